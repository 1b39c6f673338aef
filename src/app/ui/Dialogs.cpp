#include "app/ui/Dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace hl {

TfrmBitCount::TfrmBitCount(QWidget* parent) : QDialog(parent) {
  setObjectName("frmBitCount");
  setWindowTitle("Welcome, Select Your Format");
  auto* layout = new QVBoxLayout(this);
  SelectWil = new QRadioButton("Select(Wil)", this);
  SelectWil->setObjectName("SelectWil");
  SelectData = new QRadioButton("Select(Data)", this);
  SelectData->setObjectName("SelectData");
  SelectData->setChecked(true);
  auto* ok = new QPushButton("Ok", this);
  ok->setObjectName("BtnOk");
  ok->setDefault(true);
  layout->addWidget(SelectWil);
  layout->addWidget(SelectData);
  layout->addWidget(ok);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

std::uint8_t TfrmBitCount::MapBitCount() const {
  return SelectWil->isChecked() ? 0 : 16;
}

TFrmMapSize::TFrmMapSize(QWidget* parent) : CheckedDialog(parent) {
  setObjectName("FrmMapSize");
  setWindowTitle("Map Size (999 x 999)");
  auto* form = new QFormLayout(this);
  EdWidth = new QLineEdit("20", this);
  EdWidth->setObjectName("EdWidth");
  EdHeight = new QLineEdit("20", this);
  EdHeight->setObjectName("EdHeight");
  form->addRow("X", EdWidth);
  form->addRow("Y", EdHeight);
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton("Ok", this);
  ok->setObjectName("BtnOk");
  ok->setDefault(true);
  auto* close = new QPushButton("Close", this);
  close->setObjectName("BtnClose");
  buttons->addWidget(ok);
  buttons->addWidget(close);
  form->addRow(buttons);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

TFrmScrollMap::TFrmScrollMap(QWidget* parent) : CheckedDialog(parent) {
  setObjectName("FrmScrollMap");
  setWindowTitle("ScrollMap");
  auto* form = new QFormLayout(this);
  form->addRow(new QLabel("ScrollMap XY:", this));
  EdX = new QLineEdit(this);
  EdX->setObjectName("EdX");
  EdY = new QLineEdit(this);
  EdY->setObjectName("EdY");
  form->addRow("Cords X ", EdX);
  form->addRow("Cords Y", EdY);
  auto* ok = new QPushButton("Ok", this);
  ok->setObjectName("BtnOk");
  ok->setDefault(true);
  form->addRow(ok);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

namespace {

// A lighthouse over the water: the about box's picture, drawn rather than shipped.
QPixmap AboutPicture() {
  QImage image(240, 140, QImage::Format_RGB32);
  image.fill(QColor(28, 44, 84));
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setBrush(QColor(255, 236, 150, 70));
  p.setPen(Qt::NoPen);
  p.drawPolygon(QPolygon({QPoint(120, 40), QPoint(0, 10), QPoint(0, 70)}));
  p.drawPolygon(QPolygon({QPoint(120, 40), QPoint(240, 10), QPoint(240, 70)}));
  p.setBrush(QColor(40, 90, 150));
  p.drawRect(0, 110, 240, 30);
  p.setBrush(QColor(240, 240, 235));
  p.drawPolygon(QPolygon({QPoint(108, 112), QPoint(132, 112), QPoint(126, 48), QPoint(114, 48)}));
  p.setBrush(QColor(200, 40, 40));
  p.drawRect(112, 70, 16, 10);
  p.drawRect(110, 92, 20, 10);
  p.setBrush(QColor(255, 230, 120));
  p.drawRect(113, 34, 14, 14);
  p.setBrush(QColor(60, 60, 70));
  p.drawPolygon(QPolygon({QPoint(110, 34), QPoint(130, 34), QPoint(120, 24)}));
  return QPixmap::fromImage(image);
}

}  // namespace

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("frmAbout");
  setWindowTitle("About");
  auto* layout = new QVBoxLayout(this);
  auto* picture = new QLabel(this);
  picture->setPixmap(AboutPicture());
  layout->addWidget(picture);
  layout->addWidget(new QLabel("Harbourlight 16bit Map Editor", this));
  auto* buttons = new QHBoxLayout;
  auto* visit = new QPushButton("Visit Us", this);
  visit->setObjectName("BtnVisit");
  auto* close = new QPushButton("Close", this);
  close->setObjectName("BtnClose");
  buttons->addWidget(visit);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  connect(visit, &QPushButton::clicked, this, [] {
    // The project's README stands in for a home page; a failure to open it is not reported.
    const QString readme = QDir(HL_SOURCE_DIR).filePath("README.md");
    QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(readme).absoluteFilePath()));
  });
}

}  // namespace hl
