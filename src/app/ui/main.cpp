#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <string>

#include "app/ui/Dialogs.h"
#include "app/ui/TFrmMain.h"
#include "util/FileSizeSignal.h"

int main(int argc, char** argv) {
  hl::IgnoreFileSizeSignal();
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    // Qt wants a private runtime folder and complains at every start without one.
    const std::string runtime = "/tmp/harbourlight-runtime-" + std::to_string(::getuid());
    ::mkdir(runtime.c_str(), 0700);
    qputenv("XDG_RUNTIME_DIR", QByteArray::fromStdString(runtime));
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(hl::TFrmMain::kCaption);
  bool resetLayout = false;
  for (const QString& argument : QApplication::arguments().mid(1)) {
    if (argument == "--reset-layout") {
      resetLayout = true;
    } else {
      std::fprintf(stderr,
                   "usage: harbourlight [--reset-layout]\n"
                   "  --reset-layout  start with the windows and docks as at a first start\n");
      return argument == "--help" || argument == "-h" ? 0 : 64;
    }
  }
  // The format is asked once, before any library is opened; closing the box counts as Ok.
  std::uint8_t mapBitCount = 16;
  {
    hl::TfrmBitCount format;
    format.exec();
    mapBitCount = format.MapBitCount();
  }
  hl::TFrmMain main(mapBitCount);
  // The layout of the last run; it is written again at exit either way.
  if (!resetLayout) main.RestoreWorkspace();
  main.show();
  return QApplication::exec();
}
