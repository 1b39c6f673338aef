// The main window's workspace: the tool windows as docks, the layout kept between runs, and
// files dropped on the window.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QUrl>
#include <cstdlib>

#include "app/ui/TFrmMain.h"
#include "map/MapUnits.h"
#include "segments/ui/WorldDock.h"

namespace hl {

namespace {

// Raised when the docks change in a way that an older saved state would not fit.
constexpr int kLayoutVersion = 1;
// Below this the docks that share a side share it as tabs rather than one above the other.
constexpr QSize kRoomForSideBySide(1400, 900);
// A saved window larger than this is not a window that any screen showed.
constexpr int kLargestSide = 100000;

// The View and Options items whose checks are kept.
constexpr const char* kKeptChecks[] = {"ShowBackgroundTile1", "ShowMiddleTile1", "ShowObject1",
                                       "ShowAttribMarks1",    "MiddleTransparent1", "Grid1",
                                       "ObjectViewNormalSize1"};

QSettings Settings() {
  return QSettings("Harbourlight", "harbourlight");
}

// A check as the settings hold it ("true"/"false" in the file); anything else keeps `otherwise`.
bool ReadCheck(const QVariant& value, bool otherwise) {
  if (value.typeId() == QMetaType::Bool) return value.toBool();
  const QString text = value.toString().trimmed().toLower();
  if (text == "true" || text == "1") return true;
  if (text == "false" || text == "0") return false;
  return otherwise;
}

bool ResetRequested() {
  const QByteArray value = qgetenv(TFrmMain::kResetLayoutVariable);
  return !value.isEmpty() && value != "0";
}

}  // namespace

void TFrmMain::CreateDocks() {
  struct Placement {
    QWidget* Window;
    const char* Name;
    Qt::DockWidgetArea Area;
  };
  const Placement placements[] = {{FrmMainPal, "FrmMainPalDock", Qt::LeftDockWidgetArea},
                                  {FrmSmTile, "FrmSmTileDock", Qt::LeftDockWidgetArea},
                                  {FrmTile, "FrmTileDock", Qt::RightDockWidgetArea},
                                  {FrmObjSet, "FrmObjSetDock", Qt::RightDockWidgetArea},
                                  {FrmSegment, "FrmSegmentDock", Qt::RightDockWidgetArea},
                                  {FrmObj, "FrmObjDock", Qt::BottomDockWidgetArea}};
  // The side docks run the full height, the object strip sits under the map only.
  setCorner(Qt::TopLeftCorner, Qt::LeftDockWidgetArea);
  setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
  setCorner(Qt::TopRightCorner, Qt::RightDockWidgetArea);
  setCorner(Qt::BottomRightCorner, Qt::RightDockWidgetArea);
  for (const Placement& p : placements) {
    auto* dock = new ToolDock(p.Window, p.Name, this);
    addDockWidget(p.Area, dock, p.Area == Qt::BottomDockWidgetArea ? Qt::Horizontal : Qt::Vertical);
    toolDocks_.push_back(dock);
  }
  // Opened together, the segment window and the set browser take turns; on a small screen so
  // do the two ground pickers on the left and the tile picker with the browser on the right.
  tabifyDockWidget(DockOf(FrmObjSet), DockOf(FrmSegment));
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QSize room = screen ? screen->availableSize() : QSize();
  if (room.width() < kRoomForSideBySide.width() || room.height() < kRoomForSideBySide.height()) {
    tabifyDockWidget(DockOf(FrmMainPal), DockOf(FrmSmTile));
    tabifyDockWidget(DockOf(FrmTile), DockOf(FrmObjSet));
  }
  // Maps and segment projects dropped on the window open (dropEvent).
  setAcceptDrops(true);
}

ToolDock* TFrmMain::DockOf(const QWidget* toolWindow) const {
  for (ToolDock* dock : toolDocks_) {
    if (dock->Contents() == toolWindow) return dock;
  }
  return nullptr;
}

bool TFrmMain::RunObjectEditor() {
  // The editor is modal and shows the tile picker beside itself: only a window of its own can
  // be used while it runs.
  ToolDock* dock = DockOf(FrmTile);
  dock->Lend(FrmObjEdit);
  const bool confirmed = FrmObjEdit->Execute();
  dock->TakeBack();
  return confirmed;
}

void TFrmMain::SaveWorkspace() {
  QSettings settings = Settings();
  settings.beginGroup("workspace");
  settings.setValue("geometry", normalGeometry());
  settings.setValue("maximized", isMaximized());
  settings.setValue("docks", saveState(kLayoutVersion));
  settings.setValue("zoom", MainScroll->Zoom());
  for (const char* name : kKeptChecks) {
    if (const QAction* item = findChild<QAction*>(name)) settings.setValue(name, item->isChecked());
  }
  settings.endGroup();
}

bool TFrmMain::RestoreWorkspace() {
  if (ResetRequested()) return false;
  QSettings settings = Settings();
  settings.beginGroup("workspace");
  if (settings.childKeys().isEmpty()) return false;

  const QRect saved = settings.value("geometry").toRect();
  if (saved.isValid() && saved.width() < kLargestSide && saved.height() < kLargestSide &&
      std::abs(saved.x()) < kLargestSide && std::abs(saved.y()) < kLargestSide) {
    // On the screen it was on, if that is still there; else on the main screen, shrunk to fit.
    const QScreen* screen = QGuiApplication::screenAt(saved.center());
    if (!screen) screen = QGuiApplication::primaryScreen();
    setGeometry(screen ? ClampToArea(saved, screen->availableGeometry()) : saved);
  }
  if (ReadCheck(settings.value("maximized"), false)) {
    setWindowState(windowState() | Qt::WindowMaximized);
  }
  const QVariant docks = settings.value("docks");
  for (ToolDock* dock : toolDocks_) dock->PrepareRestore();
  if (docks.typeId() == QMetaType::QByteArray) restoreState(docks.toByteArray(), kLayoutVersion);
  // The world map opens with a segment project, never on its own.
  if (auto* world = findChild<WorldDock*>("WorldDock")) world->hide();
  for (ToolDock* dock : toolDocks_) {
    dock->SetSized();
    dock->FollowDock();
    dock->KeepOnScreen();
  }

  bool isNumber = false;
  const int zoom = settings.value("zoom").toInt(&isNumber);
  if (isNumber && zoom >= kMinZoom && zoom <= kMaxZoom) MainScroll->SetZoom(zoom);
  for (const char* name : kKeptChecks) {
    if (QAction* item = findChild<QAction*>(name)) {
      item->setChecked(ReadCheck(settings.value(name), item->isChecked()));
    }
  }
  // The checks as they now stand go to the view and the object picker ("Grid" follows its own).
  ShowBackgroundTile1Click(nullptr);
  FrmObj->SetNormalSize(findChild<QAction*>("ObjectViewNormalSize1")->isChecked());
  return true;
}

void TFrmMain::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TFrmMain::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.isEmpty()) return;
  event->acceptProposedAction();
  if (!urls.first().isLocalFile()) {
    statusBar()->showMessage("Only files on this computer can be opened by dropping them.",
                             10000);
    return;
  }
  // One at a time: each map may bring its own save question.
  OpenDropped(urls.first().toLocalFile());
}

void TFrmMain::OpenDropped(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == "map") {
    commands_->OpenNamed(path.toStdString());
    RememberRecent(commands_->MapFileName());
  } else if (suffix == "mp") {
    DockOf(FrmSegment)->ShowAndRaise();
    FrmSegment->OpenProjectFile(path.toStdString());
  } else {
    statusBar()->showMessage(
        QString("%1 was not opened: only maps (.map) and segment projects (.mp) can be dropped.")
            .arg(QFileInfo(path).fileName()),
        10000);
  }
}

}  // namespace hl
