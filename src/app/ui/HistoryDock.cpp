#include "app/ui/HistoryDock.h"

#include <QBrush>
#include <QPalette>

namespace hl {

HistoryDock::HistoryDock(QWidget* parent, std::function<void(int)> goTo)
    : QDockWidget("History", parent), list_(new QListWidget(this)), goTo_(std::move(goTo)) {
  setObjectName("HistoryDock");
  list_->setObjectName("HistoryList");
  setWidget(list_);
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    if (!filling_ && row >= 0) goTo_(row);
  });
}

void HistoryDock::Show(const std::vector<std::string>& names, int undoCount) {
  filling_ = true;
  list_->clear();
  list_->addItem("Opened");
  const QBrush later = palette().brush(QPalette::Disabled, QPalette::Text);
  for (std::size_t i = 0; i < names.size(); ++i) {
    auto* item = new QListWidgetItem(QString::fromStdString(names[i]), list_);
    if (static_cast<int>(i) >= undoCount) item->setForeground(later);
  }
  list_->setCurrentRow(undoCount);
  list_->scrollToItem(list_->currentItem());
  filling_ = false;
}

}  // namespace hl
