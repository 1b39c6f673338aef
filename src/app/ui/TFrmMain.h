#pragma once

#include <QAction>
#include <QActionGroup>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <QToolButton>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/MainCommands.h"
#include "app/RegionCommands.h"
#include "app/RegionTool.h"
#include "app/ui/HistoryDock.h"
#include "app/ui/QtQuestions.h"
#include "app/ui/ToolDock.h"
#include "app/Recovery.h"
#include "images/LibrarySet.h"
#include "map/MapDocument.h"
#include "objects/ObjectSets.h"
#include "objects/ui/TFrmObjEdit.h"
#include "objects/ui/TFrmObjSet.h"
#include "app/SegmentCommands.h"
#include "segments/ui/TFrmSegment.h"
#include "tools/ToolDispatch.h"
#include "tools/ToolRandom.h"
#include "tools/ToolState.h"
#include "tools/ui/Pickers.h"
#include "tools/ui/TFrmMoveObj.h"
#include "view/ui/TMapView.h"

namespace hl {

// The main window: owns the map document with its history, the image libraries and the map
// view; its menus, toolbar, keys and timer call the commands of MainCommands.
class TFrmMain : public QMainWindow,
                 private MainWindowHooks,
                 private DispatchFeedback,
                 private PickerHost {
  Q_OBJECT

 public:
  static constexpr char kCaption[] = "Harbourlight 16bit Map Editor";
  // Set (to anything but empty or 0), the workspace starts as it does the first time.
  static constexpr char kResetLayoutVariable[] = "HARBOURLIGHT_RESET_LAYOUT";

  // `mapBitCount` is the format chosen at start-up (16 Data, 0 Wil); libraries are opened from
  // `libraryFolder` (empty: the current directory). Questions go to real dialogs unless a test
  // passes its own.
  TFrmMain(std::uint8_t mapBitCount, const std::string& libraryFolder = {},
           Questions* questions = nullptr);
  ~TFrmMain() override;

  MapDocument& Document() { return *doc_; }
  LibrarySet& Libraries() override { return libraries_; }
  MainCommands& Commands() { return *commands_; }
  TMapView* MapView() { return MainScroll; }
  hl::LayerMode LayerMode() const { return tools_.LayerMode; }
  ToolState& Tools() override { return tools_; }
  TFrmMainPal* MainPalette() { return FrmMainPal; }
  TFrmTile* TilePicker() { return FrmTile; }
  TFrmSmTile* SmallTilePicker() { return FrmSmTile; }
  TFrmObj* ObjectPicker() { return FrmObj; }
  TFrmMoveObj* MoveObjectWindow() { return FrmMoveObj; }
  ObjectSetList& Sets() { return sets_; }
  TFrmObjEdit* ObjectEditor() { return FrmObjEdit; }
  TFrmObjSet* ObjectSetWindow() { return FrmObjSet; }
  TFrmSegment* SegmentUnit() { return FrmSegment; }
  SegmentCommands& Segments() { return *segments_; }
  RegionCommands& Regions() { return *regions_; }
  RegionTool& RegionPresses() { return *regionTool_; }
  HistoryDock* History() { return history_; }
  std::uint8_t SelectionLayers() const { return regionLayers_; }

  // The map view's mouse, turned into the tool dispatch.
  void MapPaintMouseDown(QPoint surfacePixel, Qt::MouseButton button, Qt::MouseButtons held,
                         Qt::KeyboardModifiers modifiers);
  void MapPaintMouseMove(QPoint surfacePixel, Qt::MouseButtons held,
                         Qt::KeyboardModifiers modifiers);
  const std::string& StartDir() const { return startDir_; }

  // The name-label timer's work, also callable by tests without waiting. It also keeps the
  // recovery copy of a modified map.
  void Timer1Timer();
  RecoveryStore& Recovery() { return *recovery_; }
  // Offers the copies that editors which did not close left behind (OfferRecoveredMaps). Runs
  // once, right after the window first shows.
  void OfferRecovery();

  // The workspace (TFrmMainWorkspace.cpp): window geometry, docks, zoom and the view options,
  // written at exit and read back at the next start. Restoring tolerates anything the settings
  // hold and puts the window and floating docks on screen; false when nothing was restored
  // (nothing saved, or kResetLayoutVariable set).
  bool RestoreWorkspace();
  void SaveWorkspace();
  // The dock holding a tool window (the palette, a picker, the set browser, the segment window).
  ToolDock* DockOf(const QWidget* toolWindow) const;
  // A dropped file: a map opens as File > Open does, a segment project in the segment window.
  void OpenDropped(const QString& path);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // MainWindowHooks
  void SizeView() override;
  void Repaint() override;
  void SetNameLabel(const std::string& text) override;
  SaveResult ExportOverview(const std::string& path) override;
  // DispatchFeedback
  void EraseHover() override;
  void ShowHover(const ClickArea& area) override;
  void SetCoordinateLabel(const std::string& text) override;
  void SetModified() override;
  // PickerHost
  void PressLayerButton(hl::LayerMode layer) override;
  void RepaintMap() override { MainScroll->Repaint(); }
  Questions& Ask() override { return *questions_; }

  void CreateMenus();
  void CreateToolBar();
  void ShowBackgroundTile1Click(QAction* item);
  void UpdateStatus();
  // The Edit menu's items name the steps that Undo and Redo would take.
  void UpdateEditMenu();
  // The status bar's tool and layer, and the Tools menu's check.
  void UpdateToolStatus();
  // The caption, the map's name and the unsaved mark.
  void UpdateTitle();
  void RememberRecent(const std::string& file);

  // Regions (TFrmMainRegions.cpp). The press handlers return true when the press was theirs.
  void CreateRegionItems(QMenu* edit);
  bool RegionCopyToClipboard();
  void RegionPasteFromClipboard();
  void RegionNewSet();
  // Runs an edit of cells; on success the map is marked changed and drawn again.
  void RegionEdit(const std::function<bool()>& edit);
  bool CanFillRectangle() const;
  bool RegionPress(int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
  bool RegionMove(int x, int y, Qt::MouseButtons held);
  bool RegionRelease();
  bool RegionEscape();
  void UpdateRegionOverlay();
  void RebuildRecentMenu();

  // The tool windows in their docks, placed as a first start has them.
  void CreateDocks();
  // The object editor, with the tile picker lent to it while it runs.
  bool RunObjectEditor();

  std::unique_ptr<MapDocument> doc_;
  LibrarySet libraries_;
  std::unique_ptr<QtQuestions> ownQuestions_;
  Questions* questions_ = nullptr;
  std::unique_ptr<MainCommands> commands_;
  std::unique_ptr<SegmentCommands> segments_;
  std::string startDir_;
  ToolState tools_;
  ObjectSetList sets_;
  ToolRandom random_;
  std::unique_ptr<ToolDispatch> dispatch_;
  std::unique_ptr<RecoveryStore> recovery_;
  std::unique_ptr<RegionCommands> regions_;
  std::unique_ptr<RegionTool> regionTool_;
  std::uint8_t regionLayers_ = kRegionAllLayers;
  QImage previewPicture_;  // the floating copy at previewZoom_
  int previewOf_ = -1;     // the tool's PreviewVersion it shows
  int previewZoom_ = 0;
  bool offeredRecovery_ = false;

  TMapView* MainScroll = nullptr;
  QLabel* LbXY = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* LbMapName = nullptr;
  QLabel* statusSize_ = nullptr;
  QLabel* statusZoom_ = nullptr;
  QLabel* statusCell_ = nullptr;
  QLabel* statusSelection_ = nullptr;
  QLabel* statusTool_ = nullptr;
  HistoryDock* history_ = nullptr;
  std::vector<ToolDock*> toolDocks_;
  QAction* Undo1 = nullptr;
  QAction* Redo1 = nullptr;
  QTimer* Timer1 = nullptr;
  QActionGroup* layerButtons_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  TFrmMainPal* FrmMainPal = nullptr;
  TFrmObj* FrmObj = nullptr;
  TFrmTile* FrmTile = nullptr;
  TFrmSmTile* FrmSmTile = nullptr;
  TFrmMoveObj* FrmMoveObj = nullptr;
  TFrmObjEdit* FrmObjEdit = nullptr;
  TFrmObjSet* FrmObjSet = nullptr;
  TFrmSegment* FrmSegment = nullptr;
  QAction* ShowBackgroundTile1 = nullptr;
  QAction* ShowMiddleTile1 = nullptr;
  QAction* ShowObject1 = nullptr;
  QAction* ShowAttribMarks1 = nullptr;
  QAction* MiddleTransparent1 = nullptr;
  bool shown_ = false;
};

}  // namespace hl
