#include "objects/ui/TFrmObjEdit.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "images/Drawing.h"
#include "map/MapUnits.h"
#include "tools/PickerRules.h"
#include "tools/ui/Pickers.h"
#include "view/HoverOutline.h"

namespace hl {

namespace {
constexpr int kCellW = kCellWidth, kCellH = kCellHeight;
constexpr std::uint32_t kGuardMs = 1000;
constexpr ScaleFactor kOne{1, 1};
}  // namespace

// The edit view: paints the set and passes mouse events on.
class TFrmObjEdit::View : public QWidget {
 public:
  explicit View(TFrmObjEdit& editor) : QWidget(&editor), editor_(editor) {
    setObjectName("Pbox");
    setMouseTracking(true);
    setMinimumSize(300, 200);
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QImage image(size(), QImage::Format_RGB32);
    image.fill(palette().color(QPalette::Base));
    {
      QPainter p(&image);
      editor_.PaintView(p, size());
    }
    if (editor_.hover_) {
      const QPoint cell = editor_.ScreenToCell(*editor_.hover_);
      XorFocusRect(image, editor_.CellRect(cell.x(), cell.y()));
    }
    QPainter(this).drawImage(0, 0, image);
  }
  void mouseMoveEvent(QMouseEvent* event) override {
    editor_.hover_ = event->position().toPoint();
    const QPoint cell = editor_.ScreenToCell(*editor_.hover_);
    editor_.Label1->setText(QString("%1 : %2").arg(cell.x()).arg(cell.y()));
    update();
  }
  void mousePressEvent(QMouseEvent* event) override {
    editor_.PboxMouseDown(event->position().toPoint(), event->modifiers());
  }

 private:
  TFrmObjEdit& editor_;
};

TFrmObjEdit::TFrmObjEdit(LibrarySet& libraries, TFrmTile& tilePicker, Questions& questions,
                         LibraryFormat format, Clock clock, QWidget* parent)
    : QDialog(parent),
      libraries_(libraries),
      tilePicker_(tilePicker),
      questions_(questions),
      clock_(std::move(clock)) {
  setObjectName("FrmObjEdit");
  setWindowTitle("Object Edit   (+[Ctrl] )");
  openTick_ = clock_();
  auto button = [this](const char* name, const char* caption, bool toggle) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    b->setCheckable(toggle);
    b->setAutoDefault(false);
    return b;
  };
  auto spin = [this](const char* name, int low, int high) {
    auto* s = new QSpinBox(this);
    s->setObjectName(name);
    s->setRange(low, high);
    return s;
  };
  BtnMark1 = button("BtnMark1", "MFR", true);
  BtnMark2 = button("BtnMark2", "MBK", true);
  BObj = button("BObj", "Obj", true);
  BTile = button("BTile", "Tile", true);
  BDoor = button("BDoor", "Door", true);
  BDoorCore = button("BDoorCore", "Core", true);
  BLight = button("BLight", "Light", true);
  auto* modes = new QButtonGroup(this);
  for (QPushButton* b : {BObj, BTile, BDoor, BDoorCore, BLight}) modes->addButton(b);
  BObj->setChecked(true);
  BtnTile = button("BtnTile", "Tile", false);
  BtnClear = button("BtnClear", "Clear", false);
  BtnOk = button("BtnOk", "Ok", false);
  BitBtn1 = button("BitBtn1", "Bit", false);
  BtnLeft = button("BtnLeft", "L", false);
  BtnUp = button("BtnUp", "U", false);
  BtnDown = button("BtnDown", "D", false);
  BtnRight = button("BtnRight", "R", false);
  BtnDoorTest = button("BtnDoorTest", "Test Door", true);
  Label1 = new QLabel(this);
  Label1->setObjectName("Label1");
  LabelIndex = new QLabel(this);
  LabelIndex->setObjectName("LabelIndex");
  SeAniFrame = spin("SeAniFrame", -1, 255);
  SeAniTick = spin("SeAniTick", 0, 255);
  // What the cell's fields hold, so that a value is stored as it shows.
  SeLight = spin("SeLight", 0, kMaxLight);
  SeDoor = spin("SeDoor", 0, kMaxDoorIndex);
  SeDoorOffset = spin("SeDoorOffset", 0, kMaxDoorOffset);
  CkAlpha = new QCheckBox("Alpha", this);
  CkAlpha->setObjectName("CkAlpha");
  CkViewMark = new QCheckBox("View Mark", this);
  CkViewMark->setObjectName("CkViewMark");
  CkViewMark->setChecked(true);
  CkViewLineNumber = new QCheckBox("View No", this);
  CkViewLineNumber->setObjectName("CkViewLineNumber");
  CbWilIndexList = new QComboBox(this);
  CbWilIndexList->setObjectName("CbWilIndexList");
  for (int i = 0; i < LibrarySet::kObjectSlots; ++i) {
    if (!libraries_.ObjectSlotLibrary(i).Initialized) continue;
    const QString name = i == 0 ? QString("Objects") : QString("Objects%1").arg(i + 1);
    CbWilIndexList->addItem(name + (format == LibraryFormat::Data ? ".data" : ".wil"));
    libraryOfEntry_.push_back(i);
  }
  CbWilIndexList->setCurrentIndex(-1);

  Pbox = new View(*this);
  DetailGrid = new DrawGrid(this);
  DetailGrid->setObjectName("DetailGrid");
  DetailGrid->SetRowCount(1);
  DetailGrid->SetCellSize(24, 120);
  DetailGrid->setFixedHeight(140);
  DetailGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  DetailGrid->SetDrawCell([this](QPainter& p, const QRect& cell, int col, int) {
    TGameImages& lib = libraries_.GetObjectLibrary(ObjectIndex::Make(libraryIndex_, 0));
    if (col >= 0 && col < lib.ImageCount) DrawScaled(p, cell.x(), cell.y(), lib, col, {1, 2});
    if (CkViewLineNumber->isChecked() || col == DetailGrid->Col()) {
      const QString text = QString::number(col);
      const int over = std::max(0, p.fontMetrics().horizontalAdvance(text) - 24);
      p.setPen(palette().color(QPalette::WindowText));
      p.drawText(cell.left() - over, cell.bottom() - 2, text);
    }
  });

  // Layout: toolbar on top, controls on the left, the view in the middle, the strip below.
  auto* top = new QHBoxLayout;
  for (QWidget* w :
       std::initializer_list<QWidget*>{BtnMark1, BtnMark2, BObj, BTile, BDoor, BDoorCore, BLight,
                                       BtnTile, Label1, LabelIndex, BtnClear, BtnOk, BitBtn1}) {
    top->addWidget(w);
  }
  top->addStretch();
  auto* left = new QGridLayout;
  int row = 0;
  left->addWidget(new QLabel("SE.Ani", this), row++, 0, 1, 2);
  left->addWidget(SeAniFrame, row, 0);
  left->addWidget(SeAniTick, row++, 1);
  left->addWidget(CkAlpha, row++, 0, 1, 2);
  left->addWidget(BtnUp, row++, 0, 1, 2);
  left->addWidget(BtnLeft, row, 0);
  left->addWidget(BtnRight, row++, 1);
  left->addWidget(BtnDown, row++, 0, 1, 2);
  left->addWidget(CkViewMark, row++, 0, 1, 2);
  left->addWidget(CkViewLineNumber, row++, 0, 1, 2);
  left->addWidget(new QLabel("Light(0-4)", this), row, 0);
  left->addWidget(SeLight, row++, 1);
  left->addWidget(new QLabel("SE.Door", this), row, 0);
  left->addWidget(SeDoor, row++, 1);
  left->addWidget(new QLabel("Door Offset", this), row, 0);
  left->addWidget(SeDoorOffset, row++, 1);
  left->addWidget(BtnDoorTest, row++, 0, 1, 2);
  left->addWidget(CbWilIndexList, row++, 0, 1, 2);
  left->setRowStretch(row, 1);
  auto* middle = new QHBoxLayout;
  middle->addLayout(left);
  middle->addWidget(Pbox, 1);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addLayout(middle, 1);
  all->addWidget(DetailGrid);

  auto refresh = [this] { Refresh(); };
  connect(BtnOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
  connect(BtnClear, &QPushButton::clicked, this, [this] {
    model_.ClearCells();
    Refresh();
  });
  const std::pair<QPushButton*, ObjectEditModel::Direction> shifts[] = {
      {BtnLeft, ObjectEditModel::Direction::Left},
      {BtnUp, ObjectEditModel::Direction::Up},
      {BtnDown, ObjectEditModel::Direction::Down},
      {BtnRight, ObjectEditModel::Direction::Right}};
  for (const auto& [b, d] : shifts) {
    const auto direction = d;
    connect(b, &QPushButton::clicked, this, [this, direction] {
      model_.ShiftCells(direction);
      Refresh();
    });
  }
  connect(CkViewMark, &QCheckBox::clicked, this, refresh);
  connect(BtnDoorTest, &QPushButton::clicked, this, refresh);
  connect(CkViewLineNumber, &QCheckBox::clicked, this,
          [this] { DetailGrid->viewport()->update(); });
  connect(BtnTile, &QPushButton::clicked, this, [this] { ShowStep(); });
  connect(DetailGrid, &DrawGrid::CellClicked, this, [this](int col, int) {
    LabelIndex->setText(QString::number(col));
    BObj->setChecked(true);
  });
  connect(CbWilIndexList, &QComboBox::currentIndexChanged, this, [this](int k) {
    if (k >= 0 && k < 50 && k < static_cast<int>(libraryOfEntry_.size())) {
      libraryIndex_ = libraryOfEntry_[static_cast<std::size_t>(k)];
      ShowStep();
    }
  });
  tilePicker_.SetClickHandler([this] {
    if (isVisible()) BTile->setChecked(true);
  });
  qApp->installEventFilter(this);
}

TFrmObjEdit::~TFrmObjEdit() {
  qApp->removeEventFilter(this);
}

QRect TFrmObjEdit::CellRect(int c, int r) const {
  const int w2 = Pbox->width() / 2, h2 = Pbox->height() / 2;
  return {w2 - kCellW + kCellW * c, h2 + kCellH * r, kCellW, kCellH};
}

QPoint TFrmObjEdit::ScreenToCell(QPoint px) const {
  const int w2 = Pbox->width() / 2, h2 = Pbox->height() / 2;
  auto floorDiv = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  return {floorDiv(px.x() - (w2 - kCellW), kCellW), floorDiv(px.y() - h2, kCellH)};
}

int TFrmObjEdit::SelectedObject() const {
  const int col = DetailGrid->Col();
  const int count = libraries_.GetObjectLibrary(ObjectIndex::Make(libraryIndex_, 0)).ImageCount;
  return col >= 0 && col < count ? ObjectIndex::Make(libraryIndex_, col) : -1;
}

void TFrmObjEdit::PaintView(QPainter& p, QSize size) {
  const TObjectSet cells = model_.Cells();
  for (const TSetCell& c : cells) {
    if (c.TileIndex >= 0) {
      const QRect r = CellRect(c.X, c.Y);
      DrawScaled(p, r.x(), r.y(), libraries_.Tiles(), c.TileIndex, kOne);
    }
  }
  for (const TSetCell& c : cells) {
    const int v = ObjectEditModel::ShownObject(cells, c, BtnDoorTest->isChecked());
    if (v < 0) continue;
    const QRect r = CellRect(c.X, c.Y);
    DrawScaledTransparent(p, r.x(), r.bottom() + 1, libraries_.GetObjectLibrary(v), ObjectIndex::Image(v), kOne,
                          false);
  }
  if (CkViewMark->isChecked()) {
    p.setPen(palette().color(QPalette::WindowText));
    for (const TSetCell& c : cells) {
      const QRect r = CellRect(c.X, c.Y);
      const int bottom = r.bottom() + 1;
      if (c.Marks & 2)
        DrawScaledTransparent(p, r.x(), bottom, libraries_.SmTiles(), kFrontMarkImage, kOne, false);
      if (c.Marks & 1)
        DrawScaledTransparent(p, r.x(), bottom, libraries_.SmTiles(), kBackMarkImage, kOne, false);
      if (c.Light != 0)
        DrawScaledTransparent(p, r.x(), bottom, libraries_.SmTiles(), kLightMarkImage, kOne, false);
      if (c.Door != 0) {
        p.drawText(
            QRect(r.x() + 10, bottom - 28, 200, 20), Qt::AlignLeft | Qt::AlignTop,
            QString("%1%2/%3").arg(c.Door < 128 ? "D" : "Dx").arg(c.Door & 127).arg(c.DoorOffset));
      }
    }
  }
  p.setPen(QColor(128, 128, 128));
  const int w2 = size.width() / 2, h2 = size.height() / 2;
  p.drawLine(0, h2, size.width(), h2);
  p.drawLine(w2, 0, w2, size.height());
}

void TFrmObjEdit::PboxMouseDown(QPoint pixel, Qt::KeyboardModifiers modifiers) {
  if (clock_() - openTick_ < kGuardMs) return;
  hover_.reset();
  const QPoint cell = ScreenToCell(pixel);
  const int c = cell.x(), r = cell.y();
  constexpr int U = ObjectEditModel::kUnchanged;
  if (modifiers & Qt::ControlModifier) {
    model_.RemoveCell(c, r);
  } else if (BtnMark1->isChecked() && BtnMark2->isChecked()) {
    model_.EditCell(c, r, U, U, 3);
  } else if (BtnMark1->isChecked()) {
    model_.EditCell(c, r, U, U, 2);
  } else if (BtnMark2->isChecked()) {
    model_.EditCell(c, r, U, U, 1);
  } else if (BTile->isChecked()) {
    if (!model_.EditTile(c, r, tilePicker_.Selection())) {
      questions_.Beep();
      return;
    }
  } else if (BObj->isChecked()) {
    model_.EditCell(c, r, U, SelectedObject(), U);
  } else if (BLight->isChecked()) {
    model_.EditLight(c, r, SeLight->value());
  } else {
    model_.EditDoor(c, r, BDoorCore->isChecked(), SeDoor->value(), SeDoorOffset->value());
  }
  Refresh();
}

void TFrmObjEdit::Refresh() {
  Pbox->update();
}

void TFrmObjEdit::ShowStep() {
  const int count = libraries_.GetObjectLibrary(ObjectIndex::Make(libraryIndex_, 0)).ImageCount;
  DetailGrid->SetColumnCount(pickers::ObjectColumns(count));
  DetailGrid->viewport()->update();
  // The tile picker stays usable while the editor runs: a tool window over the right of the
  // edit view, clear of the controls on the left.
  tilePicker_.move(mapToGlobal(QPoint(std::max(0, width() - tilePicker_.width() - 24), 60)));
  tilePicker_.show();
  tilePicker_.raise();
}

void TFrmObjEdit::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  ShowStep();
}

bool TFrmObjEdit::Execute() {
  openTick_ = clock_();
  const ObjectEditModel::Animation shown = model_.ShownAnimation();
  SeAniFrame->setValue(shown.Frame);
  SeAniTick->setValue(shown.Tick);
  CkAlpha->setChecked(shown.Alpha);
  setWindowState(windowState() | Qt::WindowMaximized);
  if (exec() != QDialog::Accepted) return false;
  model_.ApplyAnimation(SeAniFrame->value(), SeAniTick->value(), CkAlpha->isChecked());
  return true;
}

void TFrmObjEdit::done(int result) {
  tilePicker_.hide();
  QDialog::done(result);
}

bool TFrmObjEdit::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::KeyPress || !isVisible() || !isActiveWindow()) {
    return QDialog::eventFilter(watched, event);
  }
  auto* key = static_cast<QKeyEvent*>(event);
  const bool ctrl = key->modifiers() & Qt::ControlModifier;
  switch (key->key()) {
    case Qt::Key_Z:
    case Qt::Key_F11:
      if (!ctrl) break;
      model_.DropOldestRecent();
      Refresh();
      return true;
    case Qt::Key_F1:
      BTile->setChecked(true);
      return true;
    case Qt::Key_F2:
      BObj->setChecked(true);
      return true;
    case Qt::Key_F3:
    case Qt::Key_F7:
      BtnMark1->toggle();
      return true;
    case Qt::Key_F4:
    case Qt::Key_F8:
      BtnMark2->toggle();
      return true;
    case Qt::Key_F5:
      Refresh();
      return true;
    default:
      break;
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace hl
