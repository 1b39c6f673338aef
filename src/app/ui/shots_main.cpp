// hlshots: the editor's windows as PNG pictures for the user guide, taken with the demo world.
// Runs on any Qt platform: under a real X server (Xvfb) for the committed pictures, offscreen
// in CI to check that they still come out.
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <string>

#include "app/ui/TFrmMain.h"
#include "images/PngFile.h"
#include "segments/ui/WorldDock.h"
#include "view/ui/OverviewDock.h"

namespace {

bool Save(QWidget* window, const std::string& path) {
  // Docks opened just now are laid out over a few rounds of events.
  QEventLoop settle;
  QTimer::singleShot(100, &settle, &QEventLoop::quit);
  settle.exec();
  const QPixmap picture = window->grab();
  if (const hl::SaveResult written = hl::WritePng(path, picture.toImage()); !written) {
    std::fprintf(stderr, "hlshots: %s\n", written.Message().c_str());
    return false;
  }
  std::printf("%s %dx%d\n", path.c_str(), picture.width(), picture.height());
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: hlshots DEMO-WORLD-DIR OUT-DIR\n");
    return 64;
  }
  const std::string out = std::filesystem::absolute(argv[2]).string();
  if (::chdir(argv[1]) != 0) {
    std::fprintf(stderr, "hlshots: no folder %s\n", argv[1]);
    return 1;
  }
  // Recovery copies go to a folder of this run, so that copies a crash left in the user's own
  // folder are not offered (a question would stop the pictures) and none are added to it.
  char recovery[] = "/tmp/hlshots-recovery-XXXXXX";
  if (!::mkdtemp(recovery)) {
    std::fprintf(stderr, "hlshots: no folder for recovery copies\n");
    return 1;
  }
  qputenv("HARBOURLIGHT_RECOVERY_DIR", recovery);
  struct Remove {
    const char* Folder;
    ~Remove() {
      std::error_code ignored;
      std::filesystem::remove_all(Folder, ignored);
    }
  } removeRecovery{recovery};
  QApplication app(argc, argv);
  // The pictures show the workspace as a first start has it, whatever the user's settings
  // hold; the window is never closed, so nothing is written back.
  hl::TFrmMain main(16);
  main.resize(1200, 760);
  main.show();
  main.Commands().OpenNamed("demo.map");
  // Half size: the hamlet's houses, well and lamps on the stone ground.
  main.MapView()->SetZoom(50);
  main.MapView()->horizontalScrollBar()->setValue(30 * 24);
  main.MapView()->verticalScrollBar()->setValue(137 * 16);
  // The ground palette docked on the left, the tile picker on the right, as a user opens them.
  main.DockOf(main.MainPalette())->ShowAndRaise();
  main.DockOf(main.TilePicker())->ShowAndRaise();
  bool ok = Save(&main, out + "/editor.png");

  // The overview dock beside the map, the view's part framed.
  auto* overview = main.findChild<hl::OverviewDock*>("OverviewDock");
  overview->show();
  main.resizeDocks({overview}, {300}, Qt::Horizontal);
  QApplication::processEvents();
  overview->View()->Refresh();
  ok = Save(&main, out + "/overview.png") && ok;
  overview->hide();

  // Half size from here on: the hamlet's houses.
  main.MapView()->SetZoom(50);
  main.MapView()->horizontalScrollBar()->setValue(8 * 24);
  main.MapView()->verticalScrollBar()->setValue(130 * 16);

  // A selection copied and its copy floating where the mouse is, about to be placed.
  auto pixel = [&](int x, int y) { return QPoint(x * 24 + 12, y * 16 + 8); };
  main.findChild<QAction*>("Select1")->trigger();
  main.MapPaintMouseDown(pixel(27, 146), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  main.MapPaintMouseMove(pixel(36, 155), Qt::LeftButton, Qt::NoModifier);
  emit main.MapView()->MouseReleased();
  main.findChild<QAction*>("Copy1")->trigger();
  main.findChild<QAction*>("Paste1")->trigger();
  main.MapPaintMouseMove(pixel(45, 157), Qt::NoButton, Qt::NoModifier);
  ok = Save(&main, out + "/regions.png") && ok;
  main.RegionPresses().Escape();
  main.RegionPresses().Escape();

  main.DockOf(main.TilePicker())->hide();

  // What a click will do: the eraser's outline with Shift held, over doors and lights that
  // "Show AttribMarks" labels; then the object picker with every object whole.
  main.MapView()->SetOverlay(std::nullopt, std::nullopt, QImage());  // the copy dropped
  main.statusBar()->clearMessage();
  main.findChild<QAction*>("ShowAttribMarks1")->trigger();
  main.findChild<QAction*>("DrawObject1")->trigger();
  main.findChild<QAction*>("SpeedButton5")->trigger();
  main.MapPaintMouseMove(pixel(30, 150), Qt::NoButton, Qt::ShiftModifier);
  ok = Save(&main, out + "/feedback.png") && ok;
  main.MapView()->EraseHover();
  main.findChild<QAction*>("ShowAttribMarks1")->trigger();
  main.findChild<QAction*>("SpeedButton2")->trigger();
  hl::ToolDock* objects = main.DockOf(main.ObjectPicker());
  objects->ShowAndRaise();
  main.resizeDocks({objects}, {190}, Qt::Vertical);
  main.ObjectPicker()->CbWilIndexList->setCurrentIndex(1);  // the houses
  ok = Save(objects, out + "/object-picker.png") && ok;
  objects->hide();
  main.findChild<QAction*>("Select1")->trigger();

  // The set browser in its dock on the right, a little wider than its pictures.
  hl::ToolDock* sets = main.DockOf(main.ObjectSetWindow());
  sets->ShowAndRaise();
  main.resizeDocks({sets}, {200}, Qt::Horizontal);
  ok = Save(sets, out + "/set-browser.png") && ok;
  sets->hide();

  // The object editor with the tile picker lent to it, as "Run Edit" shows them.
  hl::TFrmObjEdit* editor = main.ObjectEditor();
  hl::ToolDock* tiles = main.DockOf(main.TilePicker());
  editor->LoadCells(main.Sets().GetSet(7));
  editor->resize(1200, 760);
  tiles->Lend(editor);
  editor->show();
  ok = Save(editor, out + "/object-editor.png") && ok;
  editor->hide();
  tiles->TakeBack();

  hl::ToolDock* segments = main.DockOf(main.SegmentUnit());
  // As the open dialog gives it: with its folder, which the segment files are found in.
  main.SegmentUnit()->OpenProjectFile(std::filesystem::current_path().string() + "/world.mp");
  segments->ShowAndRaise();
  main.resizeDocks({segments}, {480}, Qt::Horizontal);
  ok = Save(segments, out + "/segments.png") && ok;
  segments->hide();

  // The world map: the demo world's segments in the dock once their thumbnails are made, the
  // window around segment (3, 2) loaded and framed, the pointer over segment (4, 1).
  auto* dock = main.findChild<hl::WorldDock*>("WorldDock");
  hl::WorldView* world = dock->View();
  if (!world->Builder()) {
    std::fprintf(stderr, "hlshots: the world map shows no project\n");
    return 1;
  }
  main.resizeDocks({dock}, {520}, Qt::Horizontal);
  QApplication::processEvents();
  world->Fit();
  world->repaint();
  for (int waited = 0; waited < 600 && !world->Builder()->Idle(); ++waited) {
    QApplication::processEvents();
    ::usleep(50000);
  }
  QApplication::processEvents();
  main.SegmentUnit()->EditAround(3, 2);
  main.MapView()->SetZoom(40);
  main.Timer1Timer();
  main.statusBar()->clearMessage();
  QMouseEvent hover(QEvent::MouseMove, world->SegmentRect(4, 1).center(),
                    world->mapToGlobal(world->SegmentRect(4, 1).center()), Qt::NoButton,
                    Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(world, &hover);
  ok = Save(&main, out + "/world.png") && ok;
  return ok ? 0 : 1;
}
