#include "app/ui/ToolDock.h"

#include <QAction>
#include <QCloseEvent>
#include <QEvent>
#include <QScreen>
#include <QTimer>
#include <algorithm>

namespace hl {

QRect ClampToArea(const QRect& rect, const QRect& available) {
  if (rect.isEmpty() || available.isEmpty()) return rect;
  const int width = std::min(rect.width(), available.width());
  const int height = std::min(rect.height(), available.height());
  const int x = std::clamp(rect.x(), available.left(), available.right() - width + 1);
  const int y = std::clamp(rect.y(), available.top(), available.bottom() - height + 1);
  return {x, y, width, height};
}

ToolDock::ToolDock(QWidget* contents, const QString& objectName, QMainWindow* parent)
    : QDockWidget(contents->windowTitle(), parent), contents_(contents) {
  setObjectName(objectName);
  designed_ = contents->size();
  // The tool windows were made as stay-on-top windows of their own; in a dock they are plain
  // widgets, and the dock's own flags decide how it floats.
  contents->setWindowFlags(Qt::Widget);
  setWidget(contents);
  // Whatever the window did before it came here (the object editor shows the tile picker as it
  // fills its library list), it is closed with its dock and its next show() opens both.
  contents->hide();
  contents->installEventFilter(this);
  hide();
  connect(toggleViewAction(), &QAction::triggered, this, [this](bool open) {
    if (!open) FollowDock();
  });
  connect(this, &QDockWidget::topLevelChanged, this, [this](bool floating) {
    // Qt places a dock that comes loose where the pointer is, which may be past the edge.
    if (floating) QTimer::singleShot(0, this, &ToolDock::KeepOnScreen);
  });
}

ToolDock::~ToolDock() {
  if (contents_) contents_->removeEventFilter(this);
}

void ToolDock::ShowAndRaise() {
  if (lent_) return;
  show();
  raise();
  if (isFloating()) {
    KeepOnScreen();
  } else if (!sized_) {
    sized_ = true;
    auto* main = qobject_cast<QMainWindow*>(parentWidget());
    const Qt::DockWidgetArea area = main ? main->dockWidgetArea(this) : Qt::NoDockWidgetArea;
    if (area == Qt::LeftDockWidgetArea || area == Qt::RightDockWidgetArea) {
      main->resizeDocks({this}, {designed_.width()}, Qt::Horizontal);
    } else if (area == Qt::TopDockWidgetArea || area == Qt::BottomDockWidgetArea) {
      main->resizeDocks({this}, {designed_.height()}, Qt::Vertical);
    }
  }
}

void ToolDock::Lend(QWidget* owner) {
  if (lent_ || !contents_) return;
  openBeforeLending_ = !isHidden();
  lent_ = true;
  contents_->setParent(owner, Qt::Tool);
  hide();
}

void ToolDock::TakeBack() {
  if (!lent_ || !contents_) return;
  contents_->hide();
  contents_->setParent(this, Qt::Widget);
  setWidget(contents_);
  contents_->show();
  lent_ = false;
  setVisible(openBeforeLending_);
}

void ToolDock::KeepOnScreen() {
  if (!isFloating()) return;
  const QWidget* main = parentWidget() ? parentWidget()->window() : nullptr;
  const QScreen* screen = main ? main->screen() : nullptr;
  if (!screen) return;
  const QRect frame = frameGeometry();
  const QRect inside = ClampToArea(frame, screen->availableGeometry());
  if (inside == frame) return;
  // The frame's edges are the window manager's; the dock's own rectangle lies inside them.
  const QRect body = geometry();
  setGeometry(body.translated(inside.topLeft() - frame.topLeft())
                  .adjusted(0, 0, inside.width() - frame.width(),
                            inside.height() - frame.height()));
}

bool ToolDock::eventFilter(QObject* watched, QEvent* event) {
  if (watched == contents_ && !lent_ && !syncing_) {
    if (event->type() == QEvent::ShowToParent && isHidden()) {
      ShowAndRaise();
    } else if (event->type() == QEvent::HideToParent && !isHidden()) {
      hide();
    }
  }
  return QDockWidget::eventFilter(watched, event);
}

void ToolDock::showEvent(QShowEvent* event) {
  QDockWidget::showEvent(event);
  // A window that hid itself (the segment window after "Edit") comes back with its dock.
  if (!lent_ && contents_ && contents_->isHidden()) {
    syncing_ = true;
    contents_->show();
    syncing_ = false;
  }
}

void ToolDock::closeEvent(QCloseEvent* event) {
  QDockWidget::closeEvent(event);
  if (event->isAccepted() && !lent_ && contents_ && !contents_->isHidden()) {
    syncing_ = true;
    contents_->hide();
    syncing_ = false;
  }
}

void ToolDock::PrepareRestore() {
  if (lent_ || !contents_ || !contents_->isHidden()) return;
  syncing_ = true;
  contents_->show();
  syncing_ = false;
}

void ToolDock::FollowDock() {
  if (lent_ || !contents_ || !isHidden() || contents_->isHidden()) return;
  syncing_ = true;
  contents_->hide();
  syncing_ = false;
}

}  // namespace hl
