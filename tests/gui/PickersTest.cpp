#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <memory>

#include "TempDir.h"
#include "app/ScriptedQuestions.h"
#include "app/ui/TFrmMain.h"
#include "images/LibraryWriter.h"
#include "view/TestLibraries.h"

namespace hl {
namespace {

void WriteLibrary(const std::string& path, int count, int w, int h) {
  std::vector<LibraryImage> images;
  for (int i = 0; i < count; ++i)
    images.push_back(test::Solid(w, h, static_cast<std::uint16_t>(0x0841 * (i % 30 + 1))));
  const SaveResult written = WriteDataLibrary(path, 0, images);
  ASSERT_TRUE(written) << written.Message();
}

class PickersTest : public ::testing::Test {
 protected:
  void SetUp() override { previous_ = QDir::currentPath(); }
  void TearDown() override {
    window_.reset();
    QDir::setCurrent(previous_);
  }
  // The editor started in the test folder with these library sizes.
  TFrmMain& Start(int tiles, int smallTiles, int objects3) {
    WriteLibrary(dir_.File("Tiles.Data"), tiles, 96, 64);
    WriteLibrary(dir_.File("SmTiles.Data"), smallTiles, 48, 32);
    if (objects3 > 0) WriteLibrary(dir_.File("Objects3.Data"), objects3, 48, 60);
    QDir::setCurrent(QString::fromStdString(dir_.Path()));
    window_ = std::make_unique<TFrmMain>(16, std::string(), &q_);
    window_->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    return *window_;
  }
  static void Click(DrawGrid* grid, int col, int row) {
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(col, row).center());
  }
  static void Show(QWidget* w) {
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
  }
  test::TempDir dir_;
  test::ScriptedQuestions q_;
  std::unique_ptr<TFrmMain> window_;
  QString previous_;
};

TEST_F(PickersTest, DefaultSetsLoadWhenTheWindowShows) {
  test::WriteFileBytes(dir_.File("kel.set"), {'N', 'E', 'W', '\r', '\n', '[', '0', ']', '\r', '\n',
                                              '1', ' ', '2', '\r', '\n'});
  TFrmMain& w = Start(50, 60, 0);
  ASSERT_EQ(w.Sets().Items.size(), 1u);
  EXPECT_EQ((*w.Sets().Items[0])[0].Y, 2);
}

TEST_F(PickersTest, TilePickerReachesEveryTile) {
  TFrmMain& w = Start(12, 60, 0);
  TFrmTile* picker = w.TilePicker();
  EXPECT_EQ(picker->windowTitle(), "Tile");
  Show(picker);
  EXPECT_EQ(picker->TileGrid->RowCount(), 3);
  w.findChild<QAction*>("SpeedButton1")->trigger();
  w.Tools().ToolMode = ToolMode::DrawSmTiles;
  Click(picker->TileGrid, 1, 2);
  EXPECT_EQ(w.Tools().CurrentTile, 11);
  EXPECT_EQ(w.Tools().ToolMode, ToolMode::DrawBigTiles);
  EXPECT_EQ(w.LayerMode(), LayerMode::Small);
  EXPECT_TRUE(w.findChild<QAction*>("SpeedButton2")->isChecked());
  Click(picker->TileGrid, 4, 2);
  EXPECT_EQ(w.Tools().CurrentTile, -1);  // past the last tile
}

TEST_F(PickersTest, SmallTilePickerRowsAreGroups) {
  TFrmMain& w = Start(50, 600, 0);
  TFrmSmTile* picker = w.SmallTilePicker();
  EXPECT_EQ(picker->windowTitle(), "Small Tile");
  EXPECT_EQ(picker->GroupCount(), 10);
  EXPECT_EQ(picker->TileGrid->RowCount(), 11);
  Show(picker);
  Click(picker->TileGrid, 0, 3);
  EXPECT_EQ(w.Tools().SmallTileGroup, 3);
  EXPECT_EQ(w.Tools().ToolMode, ToolMode::DrawSmTiles);
  w.Tools().ToolMode = ToolMode::DrawBigTiles;
  Click(picker->TileGrid, 2, 10);  // the spare row: only the tool changes
  EXPECT_EQ(w.Tools().SmallTileGroup, 3);
  EXPECT_EQ(w.Tools().ToolMode, ToolMode::DrawSmTiles);
}

TEST_F(PickersTest, ObjectPickerBrowsesLibraries) {
  TFrmMain& w = Start(50, 60, 10);
  TFrmObj* picker = w.ObjectPicker();
  EXPECT_EQ(picker->windowTitle(), "FObj");
  EXPECT_EQ(picker->CbWilIndexList->count(), 7);
  EXPECT_EQ(picker->CbWilIndexList->itemText(6), "60000~69999  Objects7.Data (missing)");
  EXPECT_EQ(picker->CbWilIndexList->itemText(2), "20000~29999  Objects3.Data");
  Show(picker);
  EXPECT_EQ(picker->ObjGrid->ColumnCount(), 1);  // library 0 is empty
  Click(picker->ObjGrid, 0, 0);
  EXPECT_EQ(w.Tools().ObjectSelection, -1);
  EXPECT_EQ(w.Tools().ToolMode, ToolMode::DrawObjects);
  picker->CbWilIndexList->setCurrentIndex(2);
  EXPECT_EQ(picker->Library(), 2);
  EXPECT_EQ(picker->ObjGrid->ColumnCount(), 10);
  EXPECT_EQ(picker->ObjGrid->CellWidth(), 24);
  Click(picker->ObjGrid, 7, 0);
  EXPECT_EQ(w.Tools().ObjectSelection, 131077);
  w.findChild<QAction*>("ObjectViewNormalSize1")->trigger();
  picker->hide();
  Show(picker);
  EXPECT_EQ(picker->ObjGrid->CellWidth(), 48);
}

// A house wider than its column shows whole: scaled down into it, or at normal size 1:1 in
// columns as wide as it.
TEST_F(PickersTest, ObjectPickerDrawsWideObjectsWhole) {
  LibraryImage house = test::Solid(240, 90, 0x001F);  // blue, its last 40 columns red
  for (int y = 0; y < 90; ++y) {
    for (int x = 200; x < 240; ++x) {
      house.Pixels[static_cast<std::size_t>(2 * (y * 240 + x))] = 0x00;
      house.Pixels[static_cast<std::size_t>(2 * (y * 240 + x)) + 1] = 0xF8;
    }
  }
  const std::vector<LibraryImage> images = {house, test::Solid(20, 20, 0x07E0),
                                            test::Solid(8, 8, 0x07E0)};
  const SaveResult written = WriteDataLibrary(dir_.File("Objects.Data"), 0, images);
  ASSERT_TRUE(written) << written.Message();
  TFrmMain& w = Start(50, 60, 0);
  TFrmObj* picker = w.ObjectPicker();
  EXPECT_EQ(picker->CbWilIndexList->itemText(0), "0~9999  Objects.Data");
  Show(picker);
  picker->ObjGrid->SetCurrent(2, 0);  // its frame away from the cells counted
  auto count = [&](QRect area, QRgb colour) {
    const QImage shown = picker->ObjGrid->viewport()->grab().toImage();
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x) n += shown.pixel(x, y) == colour;
    return n;
  };
  const QRgb red = test::Drawn(0xF800), blue = test::Drawn(0x001F);
  const QRect everywhere = picker->ObjGrid->viewport()->rect();
  // 24 columns wide: 240 x 90 becomes 24 x 9, every tenth column, four of them red.
  QRect cell = picker->ObjGrid->CellRect(0, 0);
  EXPECT_EQ(cell.width(), 24);
  EXPECT_EQ(count(cell, red), 4 * 9);
  EXPECT_EQ(count(cell, blue), 20 * 9);
  EXPECT_EQ(count(everywhere, red), 4 * 9);
  // A small object is never scaled up.
  EXPECT_EQ(count(picker->ObjGrid->CellRect(1, 0), test::Drawn(0x07E0)), 20 * 20);

  w.findChild<QAction*>("ObjectViewNormalSize1")->trigger();  // shows at once
  cell = picker->ObjGrid->CellRect(0, 0);
  EXPECT_EQ(cell.size(), QSize(240, std::max(90, picker->ObjGrid->height() - 4)));
  EXPECT_EQ(count(everywhere, red), 40 * 90);
  EXPECT_EQ(count(everywhere, blue), 200 * 90);
  // Choosing still goes by column.
  Click(picker->ObjGrid, 1, 0);
  EXPECT_EQ(w.Tools().ObjectSelection, 1);

  EXPECT_EQ(picker->ObjectToolTip(0), "ObjectIndex 0\n240 x 90");
  EXPECT_EQ(picker->ObjectToolTip(3), "");
  QWidget* grid = picker->ObjGrid->viewport();
  const QPoint at = picker->ObjGrid->CellRect(1, 0).center();
  QHelpEvent help(QEvent::ToolTip, at, grid->mapToGlobal(at));
  QApplication::sendEvent(grid, &help);
  EXPECT_EQ(QToolTip::text(), "ObjectIndex 1\n20 x 20");
}

TEST_F(PickersTest, PaletteChoosesGroupsAndKeepsAttributes) {
  TFrmMain& w = Start(120, 60, 0);
  TFrmMainPal* palette = w.MainPalette();
  EXPECT_EQ(palette->windowTitle(), "Palett");
  EXPECT_EQ(palette->GroupCount(), 3);
  EXPECT_EQ(palette->MainPalGrid->RowCount(), 4);
  Show(palette);
  Click(palette->MainPalGrid, 1, 1);
  EXPECT_EQ(w.Tools().BigTileGroup, 1);
  Click(palette->MainPalGrid, 1, 3);  // the spare row: the group stays
  EXPECT_EQ(w.Tools().BigTileGroup, 1);
  EXPECT_EQ(w.Tools().ToolMode, ToolMode::DrawBigTiles);
  Click(palette->MainPalGrid, 0, 0);
  QTest::keyClick(palette->MainPalGrid, Qt::Key_F1);
  EXPECT_EQ(test::ReadFileBytes(dir_.File("Tile.atr")),
            (std::vector<std::uint8_t>{'1', '\r', '\n', '0', '\r', '\n', '0', '\r', '\n', '0', '\r',
                                       '\n'}));
  EXPECT_TRUE(palette->Attributes().IsSet(0));
  EXPECT_TRUE(q_.Messages.empty());
}

}  // namespace
}  // namespace hl
