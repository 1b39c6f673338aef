#include "tools/ui/Pickers.h"

#include <QPainter>
#include <QVBoxLayout>

#include "images/Drawing.h"
#include "map/MapUnits.h"
#include "tools/PickerRules.h"

namespace hl {

namespace {

constexpr ScaleFactor kHalf{1, 2};
constexpr ScaleFactor kFull{1, 1};

void MakeToolWindow(QWidget* w, const char* name, const char* caption) {
  w->setObjectName(name);
  w->setWindowTitle(caption);
  w->setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
}

}  // namespace

TFrmTile::TFrmTile(PickerHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  MakeToolWindow(this, "FrmTile", "Tile");
  TileGrid = new DrawGrid(this);
  TileGrid->setObjectName("TileGrid");
  TileGrid->SetColumnCount(pickers::kTileColumns);
  TileGrid->SetCellSize(kCellWidth, kCellHeight);
  TileGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(TileGrid);
  resize(5 * 49 + 24, 400);
  TileGrid->SetDrawCell([this](QPainter& p, const QRect& cell, int col, int row) {
    TGameImages& tiles = host_.Libraries().Tiles();
    const int index = row * TileGrid->ColumnCount() + col;
    if (index >= 0 && index < tiles.ImageCount)
      DrawScaled(p, cell.x(), cell.y(), tiles, index, kHalf);
  });
  connect(TileGrid, &DrawGrid::CurrentChanged, this,
          [this] { host_.Tools().SetCurrentTile(Selection()); });
  connect(TileGrid, &DrawGrid::CellClicked, this, [this] {
    host_.Tools().SetCurrentTile(Selection());
    host_.Tools().ToolMode = ToolMode::DrawBigTiles;
    host_.PressLayerButton(LayerMode::Small);
    if (clicked_) clicked_();
  });
}

int TFrmTile::Selection() const {
  return pickers::TileSelection(TileGrid->Row(), TileGrid->Col(),
                                host_.Libraries().Tiles().ImageCount);
}

void TFrmTile::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  TileGrid->SetRowCount(pickers::TileRows(host_.Libraries().Tiles().ImageCount));
}

TFrmSmTile::TFrmSmTile(PickerHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  MakeToolWindow(this, "FrmSmTile", "Small Tile");
  TileGrid = new DrawGrid(this);
  TileGrid->setObjectName("TileGrid");
  TileGrid->SetColumnCount(3);
  TileGrid->SetCellSize(kCellWidth, kCellHeight);
  TileGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(TileGrid);
  resize(3 * 49 + 24, 400);
  TileGrid->SetDrawCell([this](QPainter& p, const QRect& cell, int col, int row) {
    TGameImages& small = host_.Libraries().SmTiles();
    if (row < 0 || row >= small.ImageCount) return;
    const int offsets[3] = {33, 0, 17};
    DrawScaled(p, cell.x(), cell.y(), small, row * kSmallTileGroupSize + offsets[col],
               kFull);
  });
  connect(TileGrid, &DrawGrid::CellClicked, this, [this](int, int row) {
    host_.Tools().ToolMode = ToolMode::DrawSmTiles;
    if (row >= 0 && row < groups_) host_.Tools().SetSmallTileGroup(row);
  });
}

void TFrmSmTile::SetGroupCount(int groups) {
  groups_ = groups;
  TileGrid->SetRowCount(groups + 1);
}

TFrmObj::TFrmObj(PickerHost& host, QWidget* parent) : QWidget(parent), host_(host) {
  MakeToolWindow(this, "FrmObj", "FObj");
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  CbWilIndexList = new QComboBox(this);
  CbWilIndexList->setObjectName("CbWilIndexList");
  for (int k = 0; k < pickers::kObjectLibrariesBrowsed; ++k) {
    CbWilIndexList->addItem(QString("%1~%2").arg(k * 10000).arg(k * 10000 + 9999));
  }
  layout->addWidget(CbWilIndexList, 0, Qt::AlignTop);
  ObjGrid = new DrawGrid(this);
  ObjGrid->setObjectName("ObjGrid");
  ObjGrid->SetRowCount(1);
  ObjGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  layout->addWidget(ObjGrid, 1);
  resize(640, 150);
  ObjGrid->SetDrawCell([this](QPainter& p, const QRect& cell, int col, int row) {
    TGameImages& lib = host_.Libraries().GetObjectLibrary(ObjectIndex::Make(library_, 0));
    const int index = row * ObjGrid->ColumnCount() + col;
    if (index >= 0 && index < lib.ImageCount) {
      DrawScaled(p, cell.x(), cell.y(), lib, index, normalSize_ ? kFull : kHalf);
    }
  });
  connect(CbWilIndexList, &QComboBox::currentIndexChanged, this, [this](int k) {
    if (k >= 0 && k < kObjectLibraries) {
      library_ = k;
      Arrange();
    }
  });
  connect(ObjGrid, &DrawGrid::CurrentChanged, this,
          [this] { host_.Tools().ObjectSelection = Selection(); });
  connect(ObjGrid, &DrawGrid::CellClicked, this, [this] {
    host_.Tools().ObjectSelection = Selection();
    host_.Tools().ToolMode = ToolMode::DrawObjects;
  });
}

int TFrmObj::Selection() const {
  const int count = host_.Libraries().GetObjectLibrary(ObjectIndex::Make(library_, 0)).ImageCount;
  return pickers::ObjectSelection(ObjGrid->Col(), library_, count);
}

void TFrmObj::Arrange() {
  const int count = host_.Libraries().GetObjectLibrary(ObjectIndex::Make(library_, 0)).ImageCount;
  ObjGrid->SetCellSize(normalSize_ ? kCellWidth : kCellWidth / 2, std::max(1, ObjGrid->height() - 4));
  ObjGrid->SetColumnCount(pickers::ObjectColumns(count));
  ObjGrid->viewport()->update();
}

void TFrmObj::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Arrange();
}

void TFrmObj::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ObjGrid->SetCellSize(ObjGrid->CellWidth(), std::max(1, ObjGrid->height() - 4));
}

TFrmMainPal::TFrmMainPal(PickerHost& host, const std::string& startDir, QWidget* parent)
    : QWidget(parent), host_(host) {
  MakeToolWindow(this, "FrmMainPal", "Palett");
  MainPalGrid = new DrawGrid(this);
  MainPalGrid->setObjectName("MainPalGrid");
  MainPalGrid->SetColumnCount(3);
  MainPalGrid->SetCellSize(kCellWidth, kCellHeight);
  MainPalGrid->SetGridLineWidth(2);
  MainPalGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(MainPalGrid);
  resize(3 * 50 + 24, 400);
  std::string error;
  if (!attributes_.Load(startDir, &error)) host_.Ask().Inform(error);
  MainPalGrid->SetDrawCell([this](QPainter& p, const QRect& cell, int col, int row) {
    if (row < 0 || row >= groups_) return;
    TGameImages& tiles = host_.Libraries().Tiles();
    const int base = row * kBigTileGroupSize;
    const int offsets[3] = {22, 0, 21};
    DrawScaled(p, cell.x(), cell.y(), tiles, base + offsets[col], kHalf);
    if (col == 0 && attributes_.IsSet(row)) {
      p.setPen(palette().color(QPalette::WindowText));
      p.drawText(QRect(cell.x(), cell.y() + 4, cell.width(), cell.height() - 4),
                 Qt::AlignLeft | Qt::AlignTop, "#");
    }
  });
  connect(MainPalGrid, &DrawGrid::CellClicked, this, [this](int, int row) {
    host_.Tools().ToolMode = ToolMode::DrawBigTiles;
    if (row >= 0 && row < groups_) host_.Tools().SetBigTileGroup(row);
  });
  connect(MainPalGrid, &DrawGrid::KeyPressed, this, [this](int key) { MainPalGridKeyDown(key); });
}

void TFrmMainPal::SetGroupCount(int groups) {
  groups_ = groups;
  attributes_.SetGroupCount(groups);
  MainPalGrid->SetRowCount(groups + 1);
}

void TFrmMainPal::MainPalGridKeyDown(int key) {
  if (key == Qt::Key_F5) {
    host_.RepaintMap();
  } else if (key == Qt::Key_F1) {
    if (!attributes_.Toggle(MainPalGrid->Row())) return;
    if (const SaveResult saved = attributes_.Save(); !saved) host_.Ask().Inform(saved.Message());
    MainPalGrid->viewport()->update();
  }
}

}  // namespace hl
