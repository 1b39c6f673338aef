#include "tools/ui/TFrmMoveObj.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include "tools/AttributeTools.h"
#include "util/TextHelpers.h"

namespace hl {

TFrmMoveObj::TFrmMoveObj(MapDocument& doc, std::function<void()> changed, QWidget* parent)
    : QWidget(parent), doc_(doc), changed_(std::move(changed)) {
  setObjectName("FrmMoveObj");
  setWindowTitle("Move Object");
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  auto* grid = new QGridLayout(this);
  auto edit = [this](const char* name) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    return e;
  };
  auto label = [this](const char* name, const char* text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(name);
    return l;
  };
  Edit1 = edit("Edit1");
  Edit3 = edit("Edit3");
  Edit4 = edit("Edit4");
  Button1 = new QPushButton("Move", this);
  Button1->setObjectName("Button1");
  Button2 = new QPushButton("Delete", this);
  Button2->setObjectName("Button2");
  grid->addWidget(label("Label1", "Image number"), 0, 0);
  grid->addWidget(Edit1, 0, 1);
  grid->addWidget(label("Label3", "Rows down (0..9)"), 1, 0);
  grid->addWidget(Edit3, 1, 1);
  grid->addWidget(Button1, 1, 2);
  grid->addWidget(label("Label4", "Image number"), 2, 0);
  grid->addWidget(Edit4, 2, 1);
  grid->addWidget(Button2, 2, 2);
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
}

void TFrmMoveObj::ShowEmptied() {
  Edit1->clear();
  Edit3->clear();
  Edit4->clear();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    adjustSize();
    move(screen->availableGeometry().center() - rect().center());
  }
  show();
  raise();
}

void TFrmMoveObj::Button1Click() {
  bool changed = false;
  MoveObjectImage(doc_, StrToIntDefault(Edit1->text().toStdString(), -1),
                  StrToIntDefault(Edit3->text().toStdString(), 0), &changed);
  if (changed && changed_) changed_();
}

void TFrmMoveObj::Button2Click() {
  bool changed = false;
  DeleteObjectImage(doc_, StrToIntDefault(Edit4->text().toStdString(), -1), &changed);
  if (changed && changed_) changed_();
}

}  // namespace hl
