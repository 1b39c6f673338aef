#include "tools/ui/Pickers.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
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
  for (int k = 0; k < pickers::kObjectLibrariesBrowsed; ++k)
    CbWilIndexList->addItem(LibraryItemText(k));
  layout->addWidget(CbWilIndexList, 0, Qt::AlignTop);
  ObjGrid = new DrawGrid(this);
  ObjGrid->setObjectName("ObjGrid");
  ObjGrid->SetRowCount(1);
  ObjGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  layout->addWidget(ObjGrid, 1);
  resize(640, 150);
  ObjGrid->viewport()->installEventFilter(this);
  ObjGrid->SetDrawCell([this](QPainter& p, const QRect& cell, int col, int row) {
    TGameImages& lib = Objects();
    const int index = row * ObjGrid->ColumnCount() + col;
    if (index < 0 || index >= lib.ImageCount) return;
    const QImage* bitmap = lib.GetBitmap(index);
    if (!bitmap || bitmap->isNull()) return;
    // Whole, at the top of the cell in its middle: scaled down into what shows of the cell
    // above the scroll bar, or at normal size 1:1 (the cells are as large as the largest, and
    // scroll). Scaled copies are made per paint and not kept: a paint shows a few dozen.
    const int height = normalSize_
                           ? cell.height()
                           : std::min(cell.height(), ObjGrid->viewport()->height() - cell.y());
    const pickers::ObjectFit fit =
        pickers::FitObject(bitmap->width(), bitmap->height(), cell.width(), height);
    if (fit.W <= 0) return;
    const QPoint at(cell.x() + (cell.width() - fit.W) / 2, cell.y());
    p.save();
    p.setClipRect(cell);
    if (fit.W == bitmap->width() && fit.H == bitmap->height()) {
      p.drawImage(at, *bitmap);
    } else {
      p.drawImage(at, ScaleNearest(*bitmap, fit.W, fit.H));
    }
    p.restore();
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

TGameImages& TFrmObj::Objects() const {
  return host_.Libraries().GetObjectLibrary(ObjectIndex::Make(library_, 0));
}

int TFrmObj::Selection() const {
  return pickers::ObjectSelection(ObjGrid->Col(), library_, Objects().ImageCount);
}

void TFrmObj::SetNormalSize(bool normal) {
  normalSize_ = normal;
  if (isVisible()) Arrange();
}

QString TFrmObj::ObjectToolTip(int col) const {
  const int selection = pickers::ObjectSelection(col, library_, Objects().ImageCount);
  if (selection < 0) return {};
  const QImage* bitmap = Objects().GetBitmap(col);
  const QString size = bitmap && !bitmap->isNull()
                           ? QString("%1 x %2").arg(bitmap->width()).arg(bitmap->height())
                           : QString("no image");
  return QString("ObjectIndex %1\n%2").arg(selection).arg(size);
}

QString TFrmObj::LibraryItemText(int k) const {
  const TGameImages& lib = host_.Libraries().ObjectSlotLibrary(k);
  QString name = QString::fromStdString(lib.FileName);
  name = name.mid(name.lastIndexOf('/') + 1);
  if (name.isEmpty() || !lib.Initialized) name = name.isEmpty() ? "(missing)" : name + " (missing)";
  return QString("%1~%2  %3").arg(k * 10000).arg(k * 10000 + 9999).arg(name);
}

void TFrmObj::Arrange() {
  TGameImages& lib = Objects();
  int width = kCellWidth / 2;
  int height = std::max(1, ObjGrid->height() - 4);
  if (normalSize_) {
    // Every object at 1:1 in columns as large as the largest (read from the image headers
    // once); what does not fit the window scrolls.
    const QSize largest = lib.ImageCount > 0 ? lib.LargestImageSize() : QSize();
    width = std::max(kCellWidth, largest.width());
    height = std::max(height, largest.height());
  }
  ObjGrid->setVerticalScrollBarPolicy(normalSize_ ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
  ObjGrid->SetCellSize(width, height);
  ObjGrid->SetColumnCount(pickers::ObjectColumns(lib.ImageCount));
  ObjGrid->viewport()->update();
}

void TFrmObj::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  for (int k = 0; k < CbWilIndexList->count(); ++k)
    CbWilIndexList->setItemText(k, LibraryItemText(k));
  Arrange();
}

void TFrmObj::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Arrange();
}

bool TFrmObj::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ObjGrid->viewport() && event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    const std::optional<QPoint> cell = ObjGrid->CellAt(help->pos());
    const QString text = cell ? ObjectToolTip(cell->x()) : QString();
    if (text.isEmpty()) {
      QToolTip::hideText();
    } else {
      QToolTip::showText(help->globalPos(), text, ObjGrid->viewport(),
                         ObjGrid->CellRect(cell->x(), cell->y()));
    }
    return true;
  }
  return QWidget::eventFilter(watched, event);
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
