#include <QApplication>

#include "app/Dialogs.h"
#include "app/TFrmMain.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(hl::TFrmMain::kCaption);
  // The format is asked once, before any library is opened; closing the box counts as Ok.
  std::uint8_t mapBitCount = 16;
  {
    hl::TfrmBitCount format;
    format.exec();
    mapBitCount = format.MapBitCount();
  }
  hl::TFrmMain main(mapBitCount);
  main.show();
  return QApplication::exec();
}
