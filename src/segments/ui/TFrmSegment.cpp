#include "segments/ui/TFrmSegment.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QRegularExpressionValidator>
#include <QScrollBar>

namespace hl {

namespace {

std::optional<std::string> ProjectDialog(QWidget* parent, QFileDialog::AcceptMode mode) {
  QFileDialog dialog(parent, mode == QFileDialog::AcceptSave ? "Save" : "Open");
  dialog.setAcceptMode(mode);
  dialog.setDefaultSuffix("mp");
  if (mode == QFileDialog::AcceptOpen) dialog.setFileMode(QFileDialog::ExistingFile);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

}  // namespace

TFrmSegment::TFrmSegment(SegmentCommands& commands, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), commands_(commands) {
  setObjectName("FrmSegment");
  setWindowTitle("SegUnit");
  auto* layout = new QGridLayout(this);
  auto box = [this](const char* name, const char* text) {
    auto* edit = new QLineEdit(text, this);
    edit->setObjectName(name);
    edit->setMaximumWidth(120);
    return edit;
  };
  EdIdent = box("EdIdent", "A");
  // The project file keeps 15 characters of one byte each, and segment files are named after
  // them: no folder separators (IdentProblem's rule, so the box cannot offer what New refuses).
  EdIdent->setMaxLength(static_cast<int>(kMaxIdentLength));
  EdIdent->setValidator(new QRegularExpressionValidator(
      QRegularExpression("[\\x20-\\x2E\\x30-\\x39\\x3B-\\x5B\\x5D-\\x7E]*"), EdIdent));
  EdCol = box("EdCol", "3");
  EdRow = box("EdRow", "3");
  layout->addWidget(new QLabel("Ident", this), 0, 0);
  layout->addWidget(EdIdent, 0, 1);
  layout->addWidget(new QLabel("EDCol", this), 0, 2);
  layout->addWidget(EdCol, 0, 3);
  layout->addWidget(new QLabel("Row", this), 0, 4);
  layout->addWidget(EdRow, 0, 5);
  auto button = [&](const char* name, const char* caption, int column, void (TFrmSegment::*click)()) {
    auto* b = new QPushButton(caption, this);
    b->setObjectName(name);
    layout->addWidget(b, 1, column);
    connect(b, &QPushButton::clicked, this, [this, click] { (this->*click)(); });
    return b;
  };
  BtnNew = button("BtnNew", "New", 0, &TFrmSegment::BtnNewClick);
  BtnOpen = button("BtnOpen", "Open", 1, &TFrmSegment::BtnOpenClick);
  BtnSave = button("BtnSave", "Save", 2, &TFrmSegment::BtnSaveClick);
  BtnEdit = button("BtnEdit", "Edit", 3, &TFrmSegment::BtnEditClick);
  BtnSaveSegs = button("BtnSaveSegs", "Save Segs", 4, &TFrmSegment::BtnSaveSegsClick);
  BtnCancel = button("BtnCancel", "Cancel", 5, &TFrmSegment::BtnCancelClick);

  SegGrid = new DrawGrid(this);
  SegGrid->setObjectName("SegGrid");
  SegGrid->SetCellSize(kCellWidth, kCellHeight);
  SegGrid->SetDrawCell([this](QPainter& p, const QRect& cell, int col, int row) {
    const bool inWindow = col >= commands_.OriginCol() && col < commands_.OriginCol() + 3 &&
                          row >= commands_.OriginRow() && row < commands_.OriginRow() + 3;
    if (inWindow) p.fillRect(cell, palette().color(QPalette::AlternateBase));
    p.setPen(palette().color(QPalette::Text));
    p.drawText(cell.adjusted(4, 0, -4, 0), Qt::AlignVCenter | Qt::AlignLeft,
               QString::fromStdString(commands_.Grid().Name(col, row)));
  });
  layout->addWidget(SegGrid, 2, 0, 1, 6);
  connect(SegGrid->horizontalScrollBar(), &QScrollBar::valueChanged, this,
          [this] { GridScrolled(); });
  connect(SegGrid->verticalScrollBar(), &QScrollBar::valueChanged, this,
          [this] { GridScrolled(); });
  ShowGrid();
  resize(6 * 100, 5 * (kCellHeight + 1) + 90);
}

void TFrmSegment::ShowGrid() {
  SegGrid->SetColumnCount(commands_.Grid().Cols);
  SegGrid->SetRowCount(commands_.Grid().Rows);
  ScrollToOrigin();
}

void TFrmSegment::ScrollToOrigin() {
  scrolling_ = true;
  SegGrid->horizontalScrollBar()->setValue(commands_.OriginCol() * (kCellWidth + 1));
  SegGrid->verticalScrollBar()->setValue(commands_.OriginRow() * (kCellHeight + 1));
  scrolling_ = false;
  SegGrid->viewport()->update();
}

void TFrmSegment::GridScrolled() {
  if (scrolling_) return;
  commands_.SetOrigin(SegGrid->horizontalScrollBar()->value() / (kCellWidth + 1),
                      SegGrid->verticalScrollBar()->value() / (kCellHeight + 1));
  SegGrid->viewport()->update();
}

void TFrmSegment::BtnNewClick() {
  if (commands_.New(EdIdent->text().toStdString(), EdCol->text().toStdString(),
                    EdRow->text().toStdString()))
    ShowGrid();
}

void TFrmSegment::OpenProjectFile(const std::string& fileName) {
  SegmentCommands::Boxes boxes{EdIdent->text().toStdString(), EdCol->text().toStdString(),
                               EdRow->text().toStdString()};
  const bool filled = commands_.OpenProject(fileName, boxes);
  EdIdent->setText(QString::fromStdString(boxes.Ident));
  EdCol->setText(QString::fromStdString(boxes.Col));
  EdRow->setText(QString::fromStdString(boxes.Row));
  if (filled) ShowGrid();
}

void TFrmSegment::SaveProjectFile(const std::string& fileName) {
  commands_.SaveProject(fileName, EdIdent->text().toStdString(), EdCol->text().toStdString(),
                        EdRow->text().toStdString());
}

void TFrmSegment::BtnOpenClick() {
  if (const auto name = ProjectDialog(this, QFileDialog::AcceptOpen)) OpenProjectFile(*name);
}

void TFrmSegment::BtnSaveClick() {
  if (const auto name = ProjectDialog(this, QFileDialog::AcceptSave)) SaveProjectFile(*name);
}

void TFrmSegment::BtnEditClick() {
  if (commands_.EditWindow()) hide();
  SegGrid->viewport()->update();
}

void TFrmSegment::BtnSaveSegsClick() {
  commands_.SaveSegs();
}

void TFrmSegment::BtnCancelClick() {
  commands_.Cancel();
  hide();
}

void TFrmSegment::EditAround(int col, int row) {
  if (commands_.EditAround(col, row)) hide();
  ScrollToOrigin();
}

void TFrmSegment::MoveWindow(int dCol, int dRow) {
  commands_.Move(dCol, dRow);
  ScrollToOrigin();
}

}  // namespace hl
