#include "tools/ui/AttributeDialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace hl {

TFrmGetLight::TFrmGetLight(QWidget* parent) : CheckedDialog(parent) {
  setObjectName("FrmGetLight");
  setWindowTitle("Light");
  auto* layout = new QVBoxLayout(this);
  auto* label = new QLabel("Light Value (0..4)", this);
  label->setObjectName("Label1");
  Edit1 = new QLineEdit("0", this);
  Edit1->setObjectName("Edit1");
  auto* ok = new QPushButton("Ok", this);
  ok->setObjectName("BitBtn1");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel", this);
  cancel->setObjectName("BtnCancel");
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addWidget(label);
  layout->addWidget(Edit1);
  layout->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TFrmGetLight::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Typing a number and Enter is all it takes.
  Edit1->setFocus();
  Edit1->selectAll();
}

TFrmDoorDlg::TFrmDoorDlg(QWidget* parent) : CheckedDialog(parent) {
  setObjectName("FrmDoorDlg");
  setWindowTitle("FrmDoorDlg");
  auto* form = new QFormLayout(this);
  CkDoor = new QCheckBox("Door", this);
  CkDoor->setObjectName("CkDoor");
  EdIndex = new QLineEdit(this);
  EdIndex->setObjectName("EdIndex");
  EdOffset = new QLineEdit(this);
  EdOffset->setObjectName("EdOffset");
  form->addRow(CkDoor);
  form->addRow("Index", EdIndex);
  form->addRow("Offset", EdOffset);
  auto* ok = new QPushButton("Ok(&O)", this);
  ok->setObjectName("BitBtn1");
  ok->setDefault(true);
  form->addRow(ok);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace hl
