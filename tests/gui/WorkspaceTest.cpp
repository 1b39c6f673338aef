#include <gtest/gtest.h>

#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <memory>

#include "TempDir.h"
#include "app/ScriptedQuestions.h"
#include "app/ui/TFrmMain.h"
#include "map/MapFile.h"
#include "segments/SegmentProject.h"
#include "view/TestLibraries.h"

namespace hl {
namespace {

// The docks, the remembered layout and dropped files. Each test starts without saved settings
// (TestMain gives the run a settings folder of its own) and leaves none behind.
class WorkspaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path());
    Settings().clear();
    qunsetenv(TFrmMain::kResetLayoutVariable);
  }
  void TearDown() override {
    Settings().clear();
    qunsetenv(TFrmMain::kResetLayoutVariable);
  }
  static QSettings Settings() { return QSettings("Harbourlight", "harbourlight"); }
  std::unique_ptr<TFrmMain> Make(bool restore = false) {
    auto w = std::make_unique<TFrmMain>(16, dir_.Path(), &q_);
    if (restore) restored_ = w->RestoreWorkspace();
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    return w;
  }
  static ToolDock* Dock(TFrmMain& w, const char* name) {
    auto* dock = w.findChild<ToolDock*>(name);
    EXPECT_NE(dock, nullptr) << name;
    return dock;
  }
  static bool Checked(TFrmMain& w, const char* item) {
    return w.findChild<QAction*>(item)->isChecked();
  }
  static QRect Available(const QWidget& w) { return w.screen()->availableGeometry(); }
  void Drop(TFrmMain& w, const QString& file) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(file)});
    // Qt hands the drop to the widget that took the drag when it entered.
    QDragEnterEvent enter(QPoint(200, 200), Qt::CopyAction, &data, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(200, 200), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
  }

  static constexpr const char* kDocks[] = {"FrmMainPalDock", "FrmSmTileDock", "FrmTileDock",
                                           "FrmObjSetDock",  "FrmSegmentDock", "FrmObjDock"};
  test::TempDir dir_;
  test::ScriptedQuestions q_;
  bool restored_ = false;
};

TEST_F(WorkspaceTest, TheNextStartHasTheLayoutZoomAndOptionsOfTheLastExit) {
  {
    auto w = Make();
    w->resize(760, 520);
    w->findChild<QAction*>("Tile1")->trigger();
    w->findChild<QAction*>("ObjectSet1")->trigger();
    w->findChild<QAction*>("SmallTile1")->trigger();
    ToolDock* small = Dock(*w, "FrmSmTileDock");
    small->setFloating(true);
    small->setGeometry(40, 50, 180, 300);
    w->MapView()->SetZoom(100);
    w->findChild<QAction*>("ShowObject1")->trigger();
    w->findChild<QAction*>("Grid1")->trigger();
    w->findChild<QAction*>("ObjectViewNormalSize1")->trigger();
    ASSERT_TRUE(w->close());  // nothing unsaved: no question
  }
  auto w = Make(true);
  EXPECT_TRUE(restored_);
  EXPECT_EQ(w->size(), QSize(760, 520));
  for (const char* name : kDocks) {
    const bool open = std::string(name) == "FrmMainPalDock" ||
                      std::string(name) == "FrmObjSetDock" || std::string(name) == "FrmSmTileDock";
    EXPECT_EQ(Dock(*w, name)->isVisible(), open) << name;
  }
  EXPECT_EQ(w->dockWidgetArea(Dock(*w, "FrmMainPalDock")), Qt::LeftDockWidgetArea);
  EXPECT_TRUE(Dock(*w, "FrmSmTileDock")->isFloating());
  EXPECT_EQ(Dock(*w, "FrmSmTileDock")->geometry().size(), QSize(180, 300));
  EXPECT_TRUE(w->MainPalette()->isVisible());  // the window inside came with its dock
  EXPECT_EQ(w->MapView()->Zoom(), 100);
  EXPECT_FALSE(Checked(*w, "ShowObject1"));
  EXPECT_FALSE(w->MapView()->Options().ShowObject);
  EXPECT_TRUE(w->MapView()->Options().ShowBackgroundTile);
  EXPECT_TRUE(Checked(*w, "Grid1"));
  EXPECT_TRUE(Checked(*w, "ObjectViewNormalSize1"));
  EXPECT_TRUE(w->ObjectPicker()->NormalSize());

  // Asked to start afresh, the window ignores all of it.
  qputenv(TFrmMain::kResetLayoutVariable, "1");
  auto fresh = Make(true);
  EXPECT_FALSE(restored_);
  EXPECT_EQ(fresh->size(), QSize(800, 593));
  for (const char* name : kDocks) EXPECT_FALSE(Dock(*fresh, name)->isVisible()) << name;
  EXPECT_EQ(fresh->MapView()->Zoom(), 40);
  EXPECT_TRUE(Checked(*fresh, "ShowObject1"));
  EXPECT_FALSE(fresh->ObjectPicker()->NormalSize());
}

TEST_F(WorkspaceTest, WhatWasOffScreenComesBackOnScreen) {
  {
    auto w = Make();
    w->findChild<QAction*>("TileDetail1")->trigger();
    ToolDock* tiles = Dock(*w, "FrmTileDock");
    tiles->setFloating(true);
    tiles->setGeometry(Available(*w).right() + 2000, Available(*w).bottom() + 900, 250, 5000);
    ASSERT_TRUE(w->close());
  }
  // Saved on a screen far larger than this one.
  Settings().setValue("workspace/geometry", QRect(4000, 3000, 2600, 1900));
  auto w = Make(true);
  const QRect screen = Available(*w);
  // The window manager's frame comes around the window, which is no larger than the screen.
  EXPECT_TRUE(screen.contains(w->geometry().topLeft()));
  EXPECT_LE(w->width(), screen.width());
  EXPECT_LE(w->height(), screen.height());
  ToolDock* tiles = Dock(*w, "FrmTileDock");
  ASSERT_TRUE(tiles->isFloating());
  EXPECT_TRUE(tiles->isVisible());
  EXPECT_TRUE(screen.contains(tiles->frameGeometry()));
}

TEST_F(WorkspaceTest, GarbageInTheSettingsLeavesTheDefaults) {
  QSettings settings = Settings();
  settings.setValue("workspace/geometry", "a window");
  settings.setValue("workspace/maximized", "very");
  settings.setValue("workspace/docks", QByteArray("\x00\x00\x00\xff\x00\x00\x00\x01garbage", 15));
  settings.setValue("workspace/zoom", 100000);
  settings.setValue("workspace/ShowObject1", "perhaps");
  settings.setValue("workspace/Grid1", QRect(1, 2, 3, 4));
  settings.sync();
  auto w = Make(true);
  EXPECT_EQ(w->size(), QSize(800, 593));
  EXPECT_FALSE(w->isMaximized());
  for (const char* name : kDocks) EXPECT_FALSE(Dock(*w, name)->isVisible()) << name;
  EXPECT_EQ(w->MapView()->Zoom(), 40);
  EXPECT_TRUE(Checked(*w, "ShowObject1"));
  EXPECT_FALSE(Checked(*w, "Grid1"));
  // A zoom is taken only within the buttons' range.
  settings.setValue("workspace/zoom", 4);
  settings.sync();
  EXPECT_EQ(Make(true)->MapView()->Zoom(), 40);
}

TEST_F(WorkspaceTest, MenusOpenClosedDocksAndWindowsThatHideCloseThem) {
  auto w = Make();
  ToolDock* palette = Dock(*w, "FrmMainPalDock");
  EXPECT_EQ(palette->windowTitle(), "Palett");
  EXPECT_EQ(palette->widget(), w->MainPalette());
  EXPECT_FALSE(w->MainPalette()->isWindow());
  w->findChild<QAction*>("Tile1")->trigger();
  EXPECT_TRUE(w->MainPalette()->isVisible());
  palette->close();  // its title bar's close button
  EXPECT_FALSE(w->MainPalette()->isVisible());
  w->findChild<QAction*>("Tile1")->trigger();
  EXPECT_TRUE(palette->isVisible());
  EXPECT_TRUE(w->MainPalette()->isVisible());

  // The segment window hides itself after "Cancel": its dock closes, and "New Segment" and a
  // show() of the window itself bring it back.
  ToolDock* segments = Dock(*w, "FrmSegmentDock");
  w->findChild<QAction*>("NewSegmentMap1")->trigger();
  EXPECT_TRUE(segments->isVisible());
  w->SegmentUnit()->BtnCancelClick();
  EXPECT_FALSE(segments->isVisible());
  w->findChild<QAction*>("NewSegmentMap1")->trigger();
  EXPECT_TRUE(w->SegmentUnit()->isVisible());
  segments->close();
  w->SegmentUnit()->show();
  EXPECT_TRUE(segments->isVisible());
}

TEST_F(WorkspaceTest, DroppedFilesOpenAsTheirKindDoes) {
  auto w = Make();
  auto doc = std::make_unique<MapDocument>();
  doc->SetMapSize(30, 40);
  doc->SetLight(2, 3, 9);
  ASSERT_TRUE(SaveMap(*doc, dir_.File("dropped.map"), 16));
  w->Document().SetLight(1, 1, 5);
  w->Commands().SetModified(true);
  q_.Replies = {Questions::Reply::Cancel};  // the save question stops the first drop
  Drop(*w, QString::fromStdString(dir_.File("dropped.map")));
  EXPECT_EQ(q_.Asked, std::vector<std::string>{"Would you like to save ?"});
  EXPECT_EQ(w->Document().MapWidth(), 200);
  q_.Replies = {Questions::Reply::No};
  Drop(*w, QString::fromStdString(dir_.File("dropped.map")));
  EXPECT_EQ(w->Document().MapWidth(), 30);
  EXPECT_EQ(w->Document().Cell(2, 3).Light, 9);
  EXPECT_EQ(w->Commands().MapFileName(), dir_.File("dropped.map"));

  // Anything else is named in the status bar and changes nothing.
  test::WriteFileBytes(dir_.File("notes.txt"), {'h', 'i'});
  Drop(*w, QString::fromStdString(dir_.File("notes.txt")));
  EXPECT_TRUE(w->statusBar()->currentMessage().contains("notes.txt"));
  EXPECT_EQ(w->Document().MapWidth(), 30);

  // A segment project opens in the segment window.
  ASSERT_TRUE(WriteProject(dir_.File("world.mp"), {"W", 3, 2}));
  Drop(*w, QString::fromStdString(dir_.File("world.mp")));
  EXPECT_TRUE(w->SegmentUnit()->isVisible());
  EXPECT_EQ(w->SegmentUnit()->EdIdent->text(), "W");
  EXPECT_EQ(w->SegmentUnit()->SegGrid->ColumnCount(), 3);
}

TEST_F(WorkspaceTest, TheTilePickerServesTheModalObjectEditor) {
  auto w = Make();
  ToolDock* dock = Dock(*w, "FrmTileDock");
  TFrmTile* picker = w->TilePicker();
  bool usable = false;
  QTimer::singleShot(0, [&] {
    TFrmObjEdit* editor = w->ObjectEditor();
    EXPECT_EQ(QApplication::activeModalWidget(), editor);
    // A window of the editor's own, beside it, out of the main window's dock.
    EXPECT_TRUE(picker->isWindow());
    EXPECT_EQ(picker->parentWidget(), editor);
    EXPECT_TRUE(picker->isVisible());
    editor->BObj->setChecked(true);
    // A real click, which Qt would drop were the picker blocked by the modal editor.
    QTest::mouseClick(picker->TileGrid->viewport(), Qt::LeftButton, {},
                      picker->TileGrid->CellRect(2, 1).center());
    usable = editor->BTile->isChecked() && w->Tools().CurrentTile == 7;
    editor->BitBtn1->click();
  });
  w->findChild<QAction*>("RunObjEditer1")->trigger();
  EXPECT_TRUE(usable);
  // Back in its dock, which stays as it was: closed.
  EXPECT_FALSE(picker->isWindow());
  EXPECT_EQ(dock->widget(), picker);
  EXPECT_FALSE(dock->isVisible());
  w->findChild<QAction*>("TileDetail1")->trigger();
  EXPECT_TRUE(picker->isVisible());
}

}  // namespace
}  // namespace hl
