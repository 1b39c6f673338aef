// One end of a clipboard round trip between two editors, each its own process on a real X
// display (the offscreen platform keeps its clipboard inside the process, so only this shows
// that a copy reaches another editor). "copy MAP READY DONE" opens MAP, copies all of it, says
// so by making READY and serves the clipboard until DONE appears; "paste MAP OUT" opens MAP,
// pastes at the top-left corner and writes the result to OUT.
#include <QApplication>
#include <QAction>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <string>

#include "app/RegionCommands.h"
#include "app/RegionTool.h"
#include "app/ui/TFrmMain.h"
#include "map/LibraryFormat.h"
#include "map/MapFile.h"
#include "util/Questions.h"

namespace {

int Fail(const char* what) {
  std::fprintf(stderr, "clipboard peer: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 4) return Fail("usage: copy MAP READY DONE | paste MAP OUT");
  const std::string mode = args[1].toStdString(), map = args[2].toStdString();
  hl::WindowlessQuestions questions;
  hl::TFrmMain w(hl::kBitCountData, {}, &questions);
  w.Commands().OpenNamed(map);
  if (w.Commands().MapFileName() != map) return Fail("the map did not open");

  if (mode == "copy" && args.size() == 5) {
    w.findChild<QAction*>("SelectAll1")->trigger();
    w.findChild<QAction*>("Copy1")->trigger();
    if (w.Regions().Clipboard().Empty()) return Fail("nothing was copied");
    QFile ready(args[3]);
    if (!ready.open(QIODevice::WriteOnly)) return Fail("cannot make the ready file");
    ready.close();
    // The clipboard lives as long as its owner: serve it until the other end is done.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (QFile::exists(args[4])) QApplication::quit();
    });
    poll.start(50);
    QTimer::singleShot(60000, [] { QApplication::exit(3); });
    return QApplication::exec();
  }
  if (mode == "paste") {
    w.findChild<QAction*>("Paste1")->trigger();
    if (!w.RegionPresses().Placing()) return Fail("the clipboard held no map cells");
    w.RegionPresses().PressPlace(0, 0, false);
    if (w.RegionPresses().Placing()) return Fail("the paste was not placed");
    return hl::WriteMapCopy(w.Document(), args[3].toStdString(), hl::kBitCountData).Ok() ? 0 : 1;
  }
  return Fail("unknown mode");
}
