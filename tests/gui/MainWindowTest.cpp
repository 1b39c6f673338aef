#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QMimeData>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWindow>
#include <memory>

#include "TempDir.h"
#include "app/ScriptedQuestions.h"
#include "app/ui/Dialogs.h"
#include "app/ui/TFrmMain.h"
#include "images/TFirImages.h"
#include "images/TWilImages.h"
#include "view/TestLibraries.h"

namespace hl {
namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { test::WriteTestLibraries(dir_.Path()); }
  std::unique_ptr<TFrmMain> Make(std::uint8_t bits) {
    auto w = std::make_unique<TFrmMain>(bits, dir_.Path(), &q_);
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    w->activateWindow();
    QApplication::setActiveWindow(w.get());
    return w;
  }
  QStringList MenuCaptions(TFrmMain& w) {
    QStringList captions;
    for (QAction* menu : w.menuBar()->actions()) {
      captions << menu->text();
      for (QAction* item : menu->menu()->actions()) {
        if (!item->isSeparator()) captions << "  " + item->text();
      }
    }
    return captions;
  }
  test::TempDir dir_;
  test::ScriptedQuestions q_;
};

TEST_F(MainWindowTest, CaptionsAndLibrariesFollowTheChosenFormat) {
  auto data = Make(16);
  EXPECT_EQ(data->windowTitle(), "Harbourlight 16bit Map Editor (True Color Map) - Untitled[*]");
  EXPECT_NE(dynamic_cast<TFirImages*>(&data->Libraries().Tiles()), nullptr);
  EXPECT_EQ(data->Libraries().Tiles().ImageCount, 10);
  EXPECT_EQ(data->Libraries().ObjectSlotLibrary(19).FileName, dir_.File("Objects20.Data"));
  EXPECT_EQ(&data->Libraries().GetObjectLibrary(20 * 65535 + 3),
            &data->Libraries().ObjectSlotLibrary(0));
  auto wil = Make(0);
  EXPECT_EQ(wil->windowTitle(), "Harbourlight 16bit Map Editor (Grand Map) - Untitled[*]");
  EXPECT_EQ(wil->Libraries().ObjectSlotLibrary(1).FileName, dir_.File("Objects2.wil"));
  EXPECT_NE(dynamic_cast<TWilImages*>(&wil->Libraries().SmTiles()), nullptr);
}

TEST_F(MainWindowTest, StartUpState) {
  auto w = Make(16);
  EXPECT_EQ(w->size(), QSize(800, 593));
  EXPECT_EQ(w->LayerMode(), LayerMode::Small);
  EXPECT_TRUE(w->findChild<QAction*>("SpeedButton2")->isChecked());
  EXPECT_EQ(w->findChild<QToolBar*>("Panel1")->findChild<QLabel*>("Label1")->text(), "100:40");
  EXPECT_EQ(w->findChild<QLabel*>("LbMapName")->text(), "Untitled.map");
  w->Timer1Timer();
  EXPECT_EQ(w->findChild<QLabel*>("LbMapName")->text(), "Unnamed");
  EXPECT_EQ(w->Document().MapWidth(), 200);
  EXPECT_TRUE(w->findChild<QAction*>("ShowBackgroundTile1")->isChecked());
  EXPECT_FALSE(w->findChild<QAction*>("ShowAttribMarks1")->isChecked());
  for (const char* name : {"SpeedButton1", "SpeedButton3", "SpeedButton6", "SpeedButton4",
                           "SpeedButton5", "ZoomIn", "ZoomOut", "BtnLeftSeg", "BtnRightSeg"}) {
    EXPECT_NE(w->findChild<QAction*>(name), nullptr) << name;
  }
  EXPECT_EQ(w->findChild<QAction*>("SpeedButton6")->text(), "1");
  EXPECT_EQ(w->findChild<QAction*>("ZoomIn")->text(), "Out");
  const QStringList menus = MenuCaptions(*w);
  for (const char* caption :
       {"File(&F)", "  New", "  Resize", "  Open(&O)", "  Open Old Format", "  Save", "  SaveAs",
        "  Old Format Batch Convert", "  Save To bmp", "  Exit", "Tools(&T)", "  Map Scroll",
        "View(&V)", "  Show Background Tiles", "  Middle Transparent", "Help(&H)",
        "  Version(&A)"}) {
    EXPECT_TRUE(menus.contains(caption)) << caption;
  }
}

TEST_F(MainWindowTest, KeysUndoRedoAndRepaint) {
  auto w = Make(16);
  QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);  // empty history: nothing
  EXPECT_FALSE(w->Commands().Modified());
  w->Document().PushUndo();
  w->Document().SetLight(1, 1, 2);
  QTest::keyClick(w->MapView()->viewport(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(w->Document().Cell(1, 1).Light, 0);
  QTest::keyClick(w->MapView()->viewport(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(w->Document().Cell(1, 1).Light, 2);
  QTest::keyClick(w.get(), Qt::Key_F11, Qt::ControlModifier);
  EXPECT_EQ(w->Document().Cell(1, 1).Light, 0);
  QTest::keyClick(w.get(), Qt::Key_Z);  // Z alone does nothing
  EXPECT_EQ(w->Document().UndoCount(), 0);
}

TEST_F(MainWindowTest, ViewItemsInvertAndRepaint) {
  auto w = Make(16);
  w->Document().SetBackTile(0, 0, 1);
  w->MapView()->SetZoom(100);
  EXPECT_EQ(w->MapView()->Backing().pixel(5, 5), test::Drawn(test::TileColour(0)));
  w->findChild<QAction*>("ShowBackgroundTile1")->trigger();
  EXPECT_FALSE(w->MapView()->Options().ShowBackgroundTile);
  EXPECT_EQ(w->MapView()->Backing().pixel(5, 5), MapRenderer::kSurfaceColour);
  w->findChild<QAction*>("ShowAttribMarks1")->trigger();
  EXPECT_TRUE(w->MapView()->Options().ShowAttribMarks);
}

TEST_F(MainWindowTest, YesThenCancelKeepsTheWindowOpen) {
  auto w = Make(16);
  w->Commands().SetModified(true);
  q_.Replies = {Questions::Reply::Yes};  // and the save dialog is cancelled
  EXPECT_FALSE(w->close());
  EXPECT_TRUE(w->isVisible());
  q_.Replies = {Questions::Reply::No};
  EXPECT_TRUE(w->close());
}

TEST_F(MainWindowTest, RealDialogsAnswer) {
  TfrmBitCount format;
  EXPECT_EQ(format.MapBitCount(), 16);
  format.SelectWil->setChecked(true);
  EXPECT_EQ(format.MapBitCount(), 0);
  TFrmMapSize size;
  EXPECT_EQ(size.windowTitle(), "Map Size (999 x 999)");
  EXPECT_EQ(size.EdWidth->text(), "20");
  TFrmScrollMap shift;
  EXPECT_EQ(shift.windowTitle(), "ScrollMap");
  EXPECT_NE(shift.findChild<QLineEdit*>("EdY"), nullptr);
}

TEST_F(MainWindowTest, AStrokeIsOneStepThatTheEditMenuTakesBackAndBrings) {
  auto w = Make(16);
  w->MapView()->SetZoom(100);
  w->findChild<QAction*>("SpeedButton2")->trigger();  // "Small": single tiles, Ctrl drags on
  w->Tools().CurrentTile = 3;
  QWidget* surface = w->MapView()->viewport();
  auto send = [&](QEvent::Type type, int cx, Qt::MouseButtons held) {
    const QPointF at(cx * 48 + 5, 2 * 32 + 5);
    QMouseEvent event(type, at, surface->mapToGlobal(at), Qt::LeftButton, held,
                      Qt::ControlModifier);
    QApplication::sendEvent(surface, &event);
  };
  send(QEvent::MouseButtonPress, 0, Qt::LeftButton);
  for (int cx = 2; cx <= 8; cx += 2) send(QEvent::MouseMove, cx, Qt::LeftButton);
  send(QEvent::MouseButtonRelease, 8, Qt::NoButton);
  for (int cx = 0; cx <= 8; cx += 2) ASSERT_EQ(w->Document().GetBackTile(cx, 2), 3) << cx;
  EXPECT_EQ(w->Document().UndoCount(), 1);

  auto* undo = w->findChild<QAction*>("Undo1");
  auto* redo = w->findChild<QAction*>("Redo1");
  undo->trigger();
  for (int cx = 0; cx <= 8; cx += 2) EXPECT_EQ(w->Document().GetBackTile(cx, 2), -1) << cx;
  EXPECT_FALSE(undo->isEnabled());
  EXPECT_EQ(redo->text(), "Redo Draw Big Tiles\tCtrl+Y");
  redo->trigger();
  EXPECT_EQ(w->Document().GetBackTile(8, 2), 3);
}

// The outline shows what a click would take and changes with Shift and Ctrl as they go down
// and up; the pressed layer button is the layer, whoever chose it.
TEST_F(MainWindowTest, OutlineFollowsTheKeysAndTheButtonsShowTheLayer) {
  auto w = Make(16);
  w->MapView()->SetZoom(40);  // cells of 19 or 20 x 12 or 13 pixels
  w->findChild<QAction*>("SpeedButton5")->trigger();  // "3", the eraser
  QWidget* surface = w->MapView()->viewport();
  QTest::mouseMove(surface, QPoint(384 + 3, 192 + 3));  // cell (20, 15)
  const auto size = [&] {
    const auto hover = w->MapView()->Hover();
    return hover ? QSize(hover->W, hover->H) : QSize();
  };
  EXPECT_EQ(size(), QSize(1, 1));
  // Over the map, a dark edge with a light line inside it.
  const QImage shown = surface->grab().toImage();
  EXPECT_LT(qGray(shown.pixel(384, 197)), 40);
  EXPECT_GT(qGray(shown.pixel(385, 197)), 220);
  EXPECT_LT(qGray(shown.pixel(402, 197)), 40);  // Trunc(21 x 19.2) - 1
  QTest::keyPress(w.get(), Qt::Key_Control);
  EXPECT_EQ(size(), QSize(3, 3));
  QTest::keyRelease(w.get(), Qt::Key_Control, Qt::ControlModifier);
  EXPECT_EQ(size(), QSize(1, 1));
  QTest::keyPress(w.get(), Qt::Key_Shift);
  EXPECT_EQ(size(), QSize(21, 21));
  EXPECT_EQ(w->MapView()->Hover()->X, 10);
  QTest::keyRelease(w.get(), Qt::Key_Shift, Qt::ShiftModifier);
  w->findChild<QAction*>("SpeedButton4")->trigger();  // "2", the mark brush
  QTest::keyPress(w.get(), Qt::Key_Shift);
  EXPECT_EQ(size(), QSize(5, 5));
  QTest::keyRelease(w.get(), Qt::Key_Shift, Qt::ShiftModifier);

  // The tile picker puts "Small" down; a layer set behind the toolbar's back shows too.
  w->TilePicker()->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w->TilePicker()));
  DrawGrid* tiles = w->TilePicker()->TileGrid;
  QTest::mouseClick(tiles->viewport(), Qt::LeftButton, {}, tiles->CellRect(1, 0).center());
  EXPECT_EQ(w->LayerMode(), LayerMode::Small);
  EXPECT_TRUE(w->findChild<QAction*>("SpeedButton2")->isChecked());
  EXPECT_FALSE(w->findChild<QAction*>("SpeedButton4")->isChecked());
  w->Tools().LayerMode = LayerMode::All;
  w->Timer1Timer();
  EXPECT_TRUE(w->findChild<QAction*>("SpeedButton3")->isChecked());
  EXPECT_FALSE(w->findChild<QAction*>("SpeedButton2")->isChecked());
}

TEST_F(MainWindowTest, MousePaintsThroughTheDispatch) {
  auto w = Make(16);
  w->MapView()->SetZoom(100);
  w->findChild<QAction*>("SpeedButton1")->trigger();  // "Big"
  EXPECT_EQ(w->LayerMode(), LayerMode::Big);
  QWidget* surface = w->MapView()->viewport();
  QTest::mouseMove(surface, QPoint(5 * 48 + 3, 6 * 32 + 3));
  EXPECT_EQ(w->findChild<QLabel*>("LbXY")->text(), "4 : 4");
  EXPECT_TRUE(w->MapView()->HoverShown());
  QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, QPoint(5 * 48 + 3, 6 * 32 + 3));
  EXPECT_EQ(w->Document().GetBackTile(4, 4) / 50, 0);
  EXPECT_GE(w->Document().GetBackTile(4, 4), 0);
  EXPECT_TRUE(w->Commands().Modified());
  EXPECT_EQ(w->Document().UndoCount(), 1);
  EXPECT_FALSE(w->MapView()->HoverShown());  // the press erased it and does not redraw it
  auto* undo = w->findChild<QAction*>("Undo1");
  ASSERT_NE(undo, nullptr);
  EXPECT_EQ(undo->text(), "Undo Draw Big Tiles\tCtrl+Z");
  EXPECT_FALSE(w->findChild<QAction*>("Redo1")->isEnabled());
  // What the view shows equals a full repaint.
  const QImage shown = w->MapView()->Backing().copy();
  w->MapView()->Repaint();
  EXPECT_EQ(w->MapView()->Backing(), shown);
}

TEST_F(MainWindowTest, ToolsMenuItemsSetTheToolAndTheCurrentOneStaysChecked) {
  auto w = Make(16);
  // At start-up the tool in use is Draw Big Tiles, and only it is checked.
  for (const char* name : {"DrawBigTile1", "DrawObject1", "DrawObjectTileSet1", "DrawSmTile1",
                           "SetLightEffect1", "UpdateDoor1", "Select1"}) {
    EXPECT_EQ(w->findChild<QAction*>(name)->isChecked(), name == std::string("DrawBigTile1"))
        << name;
  }
  QAction* small = w->findChild<QAction*>("DrawSmTile1");
  small->trigger();
  EXPECT_EQ(w->Tools().ToolMode, ToolMode::DrawSmTiles);
  EXPECT_TRUE(small->isChecked());
  w->findChild<QAction*>("UpdateDoor1")->trigger();
  EXPECT_EQ(w->Tools().ToolMode, ToolMode::UpdateDoors);
  EXPECT_FALSE(small->isChecked());
  w->findChild<QAction*>("UpdateDoor1")->trigger();  // a second click: still the tool in use
  EXPECT_TRUE(w->findChild<QAction*>("UpdateDoor1")->isChecked());
  EXPECT_EQ(w->Tools().ToolMode, ToolMode::UpdateDoors);
  // The status bar names tool and layer, also when a picker presses a layer button.
  w->findChild<QAction*>("SpeedButton2")->trigger();
  EXPECT_EQ(w->findChild<QLabel*>("StatusTool")->text(), "Update Doors - Small");
  w->Tools().ToolMode = ToolMode::DrawBigTiles;  // as the set browser or a picker does
  w->Timer1Timer();
  EXPECT_EQ(w->findChild<QLabel*>("StatusTool")->text(), "Draw Big Tiles - Small");
  EXPECT_TRUE(w->findChild<QAction*>("DrawBigTile1")->isChecked());
}

TEST_F(MainWindowTest, TheHistoryListsTheStepsAndAClickGoesToOne) {
  auto w = Make(16);
  w->MapView()->SetZoom(100);
  w->findChild<QAction*>("SpeedButton1")->trigger();  // "Big"
  QWidget* surface = w->MapView()->viewport();
  for (int i = 0; i < 3; ++i) {
    QTest::mouseClick(surface, Qt::LeftButton, Qt::NoModifier, QPoint(5 + 200 * i, 5));
  }
  QListWidget* list = w->History()->List();
  ASSERT_EQ(list->count(), 4);  // "Opened" and three strokes
  EXPECT_EQ(list->item(1)->text(), "Draw Big Tiles");
  EXPECT_EQ(list->currentRow(), 3);
  list->setCurrentRow(1);  // back to the state after the first stroke
  EXPECT_EQ(w->Document().UndoCount(), 1);
  EXPECT_EQ(w->Document().RedoCount(), 2);
  EXPECT_EQ(list->count(), 4);  // the steps to bring again stay listed
  EXPECT_GE(w->Document().GetBackTile(0, 0), 0);
  EXPECT_EQ(w->Document().GetBackTile(8, 0), -1);
  list->setCurrentRow(3);
  EXPECT_EQ(w->Document().UndoCount(), 3);
  EXPECT_GE(w->Document().GetBackTile(8, 0), 0);
  list->setCurrentRow(0);
  EXPECT_EQ(w->Document().UndoCount(), 0);
  EXPECT_FALSE(w->findChild<QAction*>("Undo1")->isEnabled());
  // The View menu shows and hides the dock.
  QAction* show = w->findChild<QAction*>("History1");
  ASSERT_NE(show, nullptr);
  EXPECT_FALSE(w->History()->isVisible());
  show->trigger();
  EXPECT_TRUE(w->History()->isVisible());
}

TEST_F(MainWindowTest, CellMoveWindowMovesAndMarksTheMapChanged) {
  auto w = Make(16);
  w->Document().SetCell(1, 1, TMapCell{0, 0, 5, 0, 0, 0, 0, 0, 0});
  w->findChild<QAction*>("CellMove1")->trigger();
  TFrmMoveObj* move = w->MoveObjectWindow();
  EXPECT_TRUE(move->isVisible());
  EXPECT_EQ(move->windowTitle(), "Move Object");
  move->Edit1->setText("4");
  move->Edit3->setText("3");
  QTest::mouseClick(move->Button1, Qt::LeftButton);
  EXPECT_EQ(w->Document().Cell(1, 4).ObjectImage, 5);
  EXPECT_TRUE(w->Commands().Modified());
  w->findChild<QAction*>("CellMove1")->trigger();
  EXPECT_TRUE(move->Edit1->text().isEmpty());
}

// Answers the next modal dialog as soon as it is shown.
template <typename Answer>
void WhenDialogShows(Answer answer) {
  QTimer::singleShot(0, [answer] {
    if (QWidget* modal = QApplication::activeModalWidget()) answer(modal);
  });
}

std::string NoCheck(const Questions::TextPair&) {
  return {};
}

TEST_F(MainWindowTest, RealDialogsDrivenThroughTheQuestions) {
  QWidget parent;
  QtQuestions questions(&parent);
  WhenDialogShows([](QWidget* d) {
    d->findChild<QLineEdit*>("EdWidth")->setText("5000");
    d->findChild<QLineEdit*>("EdHeight")->setText("-5");
    d->findChild<QPushButton*>("BtnOk")->click();
  });
  EXPECT_EQ(questions.MapSizeTexts(NoCheck), (Questions::TextPair{"5000", "-5"}));
  WhenDialogShows([](QWidget* d) { d->findChild<QPushButton*>("BtnClose")->click(); });
  EXPECT_EQ(questions.MapSizeTexts(NoCheck), std::nullopt);
  WhenDialogShows([](QWidget* d) {
    d->findChild<QLineEdit*>("EdX")->setText("3");
    static_cast<QDialog*>(d)->reject();  // closed with its close box: nothing is taken
  });
  EXPECT_EQ(questions.ShiftTexts(NoCheck), std::nullopt);
  WhenDialogShows([](QWidget* d) {
    d->findChild<QLineEdit*>("EdX")->setText("3");
    d->findChild<QPushButton*>("BtnOk")->click();
  });
  EXPECT_EQ(questions.ShiftTexts(NoCheck), (Questions::TextPair{"3", ""}));
  auto anyLight = [](const std::string&) { return std::string(); };
  WhenDialogShows([](QWidget* d) {
    auto* edit = d->findChild<QLineEdit*>("Edit1");
    EXPECT_TRUE(edit->hasSelectedText());  // typing replaces the number at once
    edit->setText("3");
    d->findChild<QPushButton*>("BitBtn1")->click();
  });
  EXPECT_EQ(questions.LightText("0", anyLight), "3");
  for (const bool closeBox : {false, true}) {
    WhenDialogShows([closeBox](QWidget* d) {
      d->findChild<QLineEdit*>("Edit1")->setText("3");
      if (closeBox) {
        static_cast<QDialog*>(d)->reject();
      } else {
        d->findChild<QPushButton*>("BtnCancel")->click();
      }
    });
    EXPECT_EQ(questions.LightText("0", anyLight), std::nullopt) << closeBox;
  }
  auto anyDoor = [](const Questions::DoorTexts&) { return std::string(); };
  WhenDialogShows([](QWidget* d) {
    EXPECT_TRUE(d->findChild<QCheckBox*>("CkDoor")->isChecked());
    EXPECT_EQ(d->findChild<QLineEdit*>("EdIndex")->text(), "5");
    static_cast<QDialog*>(d)->reject();
  });
  EXPECT_EQ(questions.DoorDialog({true, "5", "0"}, anyDoor), std::nullopt);
  WhenDialogShows([](QWidget* d) {
    auto* box = qobject_cast<QMessageBox*>(d);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->text(), "Would you like to save ?");
    box->button(QMessageBox::No)->click();
  });
  EXPECT_EQ(questions.AskYesNoCancel("Would you like to save ?"), Questions::Reply::No);
  for (const auto& [button, answer] :
       {std::pair{QMessageBox::Yes, true}, std::pair{QMessageBox::No, false}}) {
    WhenDialogShows(
        [button](QWidget* d) { qobject_cast<QMessageBox*>(d)->button(button)->click(); });
    EXPECT_EQ(questions.AskYesNo("Replace?"), answer);
  }
}

// Ok with junk typed: the rule's message shows over the dialog, which stays open with the
// text as typed; what is typed next is taken.
TEST_F(MainWindowTest, ARefusedSizeKeepsTheDialogOpen) {
  TFrmMain w(16, dir_.Path());  // the real dialogs
  bool openBehindTheMessage = false;
  QString typedWhileRefused;
  QString message;
  WhenDialogShows([&](QWidget* d) {
    d->findChild<QLineEdit*>("EdWidth")->setText("abc");
    WhenDialogShows([&, d](QWidget* box) {
      message = qobject_cast<QMessageBox*>(box)->text();
      openBehindTheMessage = d->isVisible();
      typedWhileRefused = d->findChild<QLineEdit*>("EdWidth")->text();
      qobject_cast<QMessageBox*>(box)->button(QMessageBox::Ok)->click();
      QTimer::singleShot(0, [d] {
        d->findChild<QLineEdit*>("EdWidth")->setText("30");
        d->findChild<QPushButton*>("BtnOk")->click();
      });
    });
    d->findChild<QPushButton*>("BtnOk")->click();
  });
  w.findChild<QAction*>("New1")->trigger();
  EXPECT_EQ(message, "X (the width) must be a whole number from 1 to 999, not \"abc\".");
  EXPECT_TRUE(openBehindTheMessage);
  EXPECT_EQ(typedWhileRefused, "abc");
  EXPECT_EQ(w.Document().MapWidth(), 30);
  EXPECT_EQ(w.Document().MapHeight(), 20);
}

TEST_F(MainWindowTest, TitleShowsTheMapsFileAndTheUnsavedMark) {
  auto w = Make(16);
  EXPECT_FALSE(w->isWindowModified());
  w->Commands().SetModified(true);
  w->Timer1Timer();
  EXPECT_TRUE(w->isWindowModified());
  EXPECT_EQ(w->findChild<QLabel*>("LbMapName")->text(), "Unsaved");

  // Saved under a name with Qt's own placeholder in it: shown as it is.
  const std::string file = dir_.File("odd[*]name.map");
  q_.SaveNames = {file};
  ASSERT_TRUE(w->Commands().SaveAs1Click());
  EXPECT_FALSE(w->isWindowModified());
  EXPECT_EQ(w->windowTitle(),
            "Harbourlight 16bit Map Editor (True Color Map) - odd[*][*]name.map[*]");
  const QString shown = "Harbourlight 16bit Map Editor (True Color Map) - odd[*]name.map";
  EXPECT_EQ(w->windowHandle()->title(), shown);
  w->findChild<QAction*>("SpeedButton1")->trigger();  // "Big"
  w->MapView()->SetZoom(100);
  QTest::mouseClick(w->MapView()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
  EXPECT_TRUE(w->isWindowModified());  // at once, not at the next tick
  EXPECT_EQ(w->windowHandle()->title(), shown + "*");
}

TEST_F(MainWindowTest, FileMenuHasItsMnemonic) {
  auto w = Make(16);
  auto* file = w->findChild<QMenu*>("File1");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->title(), "File(&F)");
  EXPECT_EQ(file->menuAction()->text(), "File(&F)");
}

TEST_F(MainWindowTest, TheStatusCellShowsOnlyCellsOfTheMap) {
  auto w = Make(16);
  w->Document().SetMapSize(10, 10);
  w->MapView()->SetZoom(100);
  w->MapView()->SizeView();
  auto* cell = w->statusBar()->findChild<QLabel*>("StatusCell");
  ASSERT_NE(cell, nullptr);
  QWidget* surface = w->MapView()->viewport();
  // Not where other tests left the pointer: a move to the same place is no move.
  QTest::mouseMove(surface, QPoint(5 * 48 + 11, 6 * 32 + 7));
  EXPECT_EQ(cell->text(), "Cell 5, 6");
  QTest::mouseMove(surface, QPoint(10 * 48 + 3, 2 * 32));  // right of the 10 x 10 map
  EXPECT_EQ(cell->text(), "");
  QTest::mouseMove(surface, QPoint(9 * 48 + 47, 9 * 32 + 31));
  EXPECT_EQ(cell->text(), "Cell 9, 9");
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(surface, &leave);
  EXPECT_EQ(cell->text(), "");
}

}  // namespace
}  // namespace hl

namespace hl {
namespace {

class RegionWindowTest : public MainWindowTest {
 protected:
  // A press, a move and a release of the left button from one cell to another.
  void Drag(TFrmMain& w, QPoint from, QPoint to, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* surface = w.MapView()->viewport();
    auto send = [&](QEvent::Type type, QPoint cell, Qt::MouseButtons held) {
      const QPointF at(cell.x() * 48 + 5, cell.y() * 32 + 5);
      QMouseEvent event(type, at, surface->mapToGlobal(at), Qt::LeftButton, held, mods);
      QApplication::sendEvent(surface, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
  }
  void Hover(TFrmMain& w, QPoint cell) {
    QTest::mouseMove(w.MapView()->viewport(), QPoint(cell.x() * 48 + 5, cell.y() * 32 + 5));
  }
};

TEST_F(RegionWindowTest, SelectCopyAndPlaceWithTheMouseAndTheClipboard) {
  auto w = Make(16);
  w->MapView()->SetZoom(100);
  MapDocument& doc = w->Document();
  for (int x = 0; x < 4; ++x) doc.SetMiddleTile(x, 0, 10 + x);
  w->findChild<QAction*>("SpeedButton6")->trigger();  // the eraser: a select press never erases
  w->findChild<QAction*>("Select1")->trigger();
  EXPECT_EQ(w->Tools().ToolMode, ToolMode::Select);

  Drag(*w, {0, 0}, {3, 1});
  EXPECT_EQ(w->Regions().Selection(), (CellRect{0, 0, 3, 1}));
  EXPECT_EQ(w->MapView()->OverlayOutline(), QRect(0, 0, 4, 2));
  EXPECT_EQ(w->findChild<QLabel*>("StatusSelection")->text(), "Selection 4 x 2");
  EXPECT_EQ(doc.GetMiddleTile(0, 0), 9);
  EXPECT_EQ(doc.UndoCount(), 0);

  w->findChild<QAction*>("Copy1")->trigger();
  const QMimeData* mime = QApplication::clipboard()->mimeData();
  ASSERT_NE(mime, nullptr);
  ASSERT_TRUE(mime->hasFormat(kCellsMimeType));
  EXPECT_TRUE(mime->hasImage());
  const QByteArray bytes = mime->data(kCellsMimeType);
  EXPECT_EQ(bytes.left(8), QByteArray("HLCELLS1"));
  EXPECT_EQ(bytes.size(), 13 + 4 * 2 * 12);

  w->findChild<QAction*>("Paste1")->trigger();
  ASSERT_TRUE(w->RegionPresses().Placing());
  Hover(*w, {11, 7});  // the copy carries ground: it lands on even cells
  EXPECT_EQ(w->MapView()->OverlayFloating(), QRect(10, 6, 4, 2));
  Drag(*w, {11, 7}, {11, 7}, Qt::NoModifier);
  EXPECT_FALSE(w->RegionPresses().Placing());
  EXPECT_EQ(doc.GetMiddleTile(13, 6), 12);
  EXPECT_EQ(doc.UndoCount(), 1);
  EXPECT_EQ(doc.UndoName(), "Paste");
  EXPECT_TRUE(w->Commands().Modified());
  EXPECT_FALSE(w->MapView()->OverlayFloating());

  // Escape lets the selection go.
  QTest::keyClick(w.get(), Qt::Key_Escape);
  EXPECT_FALSE(w->Regions().Selection());
  EXPECT_FALSE(w->MapView()->OverlayOutline());
}

TEST_F(RegionWindowTest, ForeignOrDamagedClipboardsPasteNothing) {
  auto w = Make(16);
  QApplication::clipboard()->setText("not cells");
  w->findChild<QAction*>("Paste1")->trigger();
  EXPECT_FALSE(w->RegionPresses().Placing());
  EXPECT_TRUE(w->statusBar()->currentMessage().startsWith("Nothing pasted")) << w->statusBar()->currentMessage().toStdString();
  auto* mime = new QMimeData;
  mime->setData(kCellsMimeType, QByteArray("HLCELLS1\x02\x00\x02\x00\x0f", 13));  // no cells
  QApplication::clipboard()->setMimeData(mime);
  w->findChild<QAction*>("Paste1")->trigger();
  EXPECT_FALSE(w->RegionPresses().Placing());
  EXPECT_TRUE(w->statusBar()->currentMessage().startsWith("Nothing pasted"));
  EXPECT_EQ(w->Document().UndoCount(), 0);
}

TEST_F(RegionWindowTest, ShiftDragFillsARectangleAsOneStepAndDeleteClearsTheSelection) {
  auto w = Make(16);
  w->MapView()->SetZoom(100);
  MapDocument& doc = w->Document();
  w->findChild<QAction*>("DrawBigTile1")->trigger();
  w->findChild<QAction*>("SpeedButton1")->trigger();  // "Big"
  Drag(*w, {4, 2}, {9, 5}, Qt::ShiftModifier);
  EXPECT_EQ(doc.UndoCount(), 1);
  for (int x = 4; x <= 9; ++x) {
    for (int y = 2; y <= 5; ++y) EXPECT_GE(doc.GetBackTile(x, y), 0) << x << "," << y;
  }
  EXPECT_EQ(doc.GetBackTile(20, 2), -1);

  w->findChild<QAction*>("Select1")->trigger();
  Drag(*w, {4, 2}, {5, 3});
  w->findChild<QAction*>("Delete1")->trigger();
  EXPECT_EQ(doc.UndoCount(), 2);
  EXPECT_EQ(doc.UndoName(), "Delete");
  EXPECT_EQ(doc.GetBackTile(4, 2), -1);
  EXPECT_GE(doc.GetBackTile(6, 2), 0);
  // A selection of no layer cannot be chosen: the last one stays checked.
  for (const char* name : {"LayerGround1", "LayerSmall1", "LayerObjects1", "LayerAttributes1"})
    w->findChild<QAction*>(name)->setChecked(false);
  EXPECT_EQ(w->SelectionLayers(), kRegionAttributes);
  EXPECT_TRUE(w->findChild<QAction*>("LayerAttributes1")->isChecked());
}

}  // namespace
}  // namespace hl
