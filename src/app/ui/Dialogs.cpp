#include "app/ui/Dialogs.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "app/ui/Lighthouse.h"

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

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("frmAbout");
  setWindowTitle("About");
  auto* layout = new QVBoxLayout(this);
  auto* picture = new QLabel(this);
  picture->setPixmap(QPixmap::fromImage(LighthousePicture()));
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
