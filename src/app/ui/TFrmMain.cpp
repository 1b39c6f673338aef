#include "app/ui/TFrmMain.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QKeyEvent>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QToolBar>
#include <chrono>
#include <functional>
#include <utility>

#include "app/CloseQuery.h"
#include "app/ui/Dialogs.h"
#include "images/ImageMemory.h"
#include "segments/ui/WorldDock.h"
#include "tools/PickerRules.h"
#include "util/TextHelpers.h"
#include "view/OverviewBmp.h"
#include "view/ui/OverviewDock.h"

namespace hl {

namespace {

// The toolbar's layer buttons in their order: object name, caption, layer, key. A letter picks
// a tool and the same letter with Shift a layer; the numbered layers have their numbers.
constexpr struct {
  const char* Name;
  const char* Caption;
  hl::LayerMode Mode;
  const char* Keys;
} kLayerButtons[] = {{"SpeedButton1", "Big", hl::LayerMode::Big, "Shift+B"},
                     {"SpeedButton2", "Small", hl::LayerMode::Small, "Shift+S"},
                     {"SpeedButton3", "All", hl::LayerMode::All, "Shift+A"},
                     {"SpeedButton6", "1", hl::LayerMode::MarkFill, "1"},
                     {"SpeedButton4", "2", hl::LayerMode::MarkBrush, "2"},
                     {"SpeedButton5", "3", hl::LayerMode::Eraser, "3"}};

// The Tools menu's keys: the first letter of what each tool draws where that is free. Text
// fields take plain and shifted letters and digits for themselves, so none of these fires
// while one has the focus.
constexpr struct {
  const char* Name;
  const char* Keys;
} kToolKeys[] = {{"DrawBigTile1", "B"}, {"DrawObject1", "O"},     {"DrawObjectTileSet1", "E"},
                 {"DrawSmTile1", "M"},  {"SetLightEffect1", "L"}, {"UpdateDoor1", "D"},
                 {"Select1", "S"}};

}  // namespace

namespace {

std::int64_t SteadySeconds() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

constexpr int kToolBarHeight = 31;
constexpr int kRecentFiles = 8;

QAction* Item(QMenu* menu, const char* objectName, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setObjectName(objectName);
  return action;
}

QString Caption(std::uint8_t mapBitCount) {
  return QString(TFrmMain::kCaption) + (mapBitCount != 0 ? " (True Color Map)" : " (Grand Map)");
}

// Tells when the pointer leaves the widget it watches.
class LeaveWatcher : public QObject {
 public:
  LeaveWatcher(QObject* parent, std::function<void()> left)
      : QObject(parent), left_(std::move(left)) {}
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Leave) left_();
    return false;
  }

 private:
  std::function<void()> left_;
};

}  // namespace

TFrmMain::TFrmMain(std::uint8_t mapBitCount, const std::string& libraryFolder, Questions* questions)
    : doc_(std::make_unique<MapDocument>()) {
  setObjectName("FrmMain");
  setWindowTitle(Caption(mapBitCount));
  resize(800, 593);

  libraries_.Open(LibraryFormatOf(mapBitCount), libraryFolder);
  if (!questions) {
    ownQuestions_ = std::make_unique<QtQuestions>(this);
    questions = ownQuestions_.get();
  }
  questions_ = questions;
  MainWindowHooks& hooks = *this;
  commands_ = std::make_unique<MainCommands>(*doc_, *questions, hooks, mapBitCount);
  startDir_ = QDir::currentPath().toStdString();

  MainScroll = new TMapView(*doc_, libraries_, this);
  setCentralWidget(MainScroll);
  doc_->SetRepaintHandler([this] { MainScroll->Repaint(); });
  connect(MainScroll, &TMapView::ZoomChanged, this, [this](int) {
    Label1->setText(MainScroll->ZoomLabelText());
    UpdateStatus();
  });
  // The status bar's cell comes with the dispatch's own moves (MapPaintMouseMove); off the
  // view there is none.
  MainScroll->viewport()->installEventFilter(
      new LeaveWatcher(this, [this] { statusCell_->clear(); }));
  DispatchFeedback& feedback = *this;
  dispatch_ =
      std::make_unique<ToolDispatch>(*doc_, tools_, *MainScroll, random_, feedback, *questions_);
  connect(MainScroll, &TMapView::MousePressed, this, &TFrmMain::MapPaintMouseDown);
  connect(MainScroll, &TMapView::MouseMoved, this, &TFrmMain::MapPaintMouseMove);
  regions_ = std::make_unique<RegionCommands>(*doc_);
  regionTool_ = std::make_unique<RegionTool>(*regions_);
  connect(MainScroll, &TMapView::MouseReleased, this, [this] {
    if (!RegionRelease()) dispatch_->Release();
    UpdateEditMenu();
  });
  connect(MainScroll, &TMapView::ZoomChanged, this, [this](int) { UpdateRegionOverlay(); });

  // The tool windows, in the order of creation, all hidden until a command shows them.
  PickerHost& host = *this;
  FrmMainPal = new TFrmMainPal(host, startDir_, this);
  FrmObj = new TFrmObj(host, this);
  FrmTile = new TFrmTile(host, this);
  FrmSmTile = new TFrmSmTile(host, this);
  FrmObjEdit = new TFrmObjEdit(libraries_, *FrmTile, *questions_, LibraryFormatOf(mapBitCount),
                               &TGameImages::SystemMilliseconds, this);
  TFrmObjSet::Hooks setHooks;
  setHooks.Edit = [this](const TObjectSet* set) -> std::optional<TObjectSet> {
    FrmObjEdit->LoadCells(set);
    if (!RunObjectEditor()) return std::nullopt;
    TObjectSet edited;
    FrmObjEdit->StoreCells(edited);
    return edited;
  };
  setHooks.RowSelected = [this] {
    // The set tool without touching the Tools menu's checks, outlined as the set is.
    tools_.ToolMode = ToolMode::DrawObjectsInSet;
    std::vector<FootprintCell> cells;
    if (const TObjectSet* set = FrmObjSet->CurrentSet()) {
      for (const TSetCell& r : *set) cells.push_back({r.X, r.Y, r.ObjIndex});
    }
    MainScroll->SetFootprintFromSet(cells);
  };
  setHooks.RepaintMap = [this] { MainScroll->Repaint(); };
  setHooks.Inform = [this](const std::string& text) { questions_->Inform(text); };
  FrmObjSet = new TFrmObjSet(sets_, libraries_, std::move(setHooks), this);
  dispatch_->SetCurrentSetSource([this] { return FrmObjSet->CurrentSet(); });
  segments_ = std::make_unique<SegmentCommands>(*commands_, *doc_, *questions_, tools_, hooks);
  FrmSegment = new TFrmSegment(*segments_, this);
  new WorldDock(*segments_, *commands_, *FrmSegment, libraries_, this);
  auto* overview = new OverviewDock(
      *doc_, libraries_, *MainScroll, [this] { return commands_->SegmentMode(); }, this);
  addDockWidget(Qt::RightDockWidgetArea, overview);
  overview->hide();
  FrmMoveObj = new TFrmMoveObj(
      *doc_,
      [this] {
        commands_->SetModified(true);
        MainScroll->Repaint();
      },
      this);

  // Built before the menus, whose View menu shows and hides it.
  history_ = new HistoryDock(this, [this](int steps) {
    // One step at a time, through the commands, so that sizes and the view follow each.
    while (doc_->UndoCount() > steps && doc_->UndoCount() > 0) commands_->Undo();
    while (doc_->UndoCount() < steps && doc_->RedoCount() > 0) commands_->Redo();
    UpdateEditMenu();
  });
  addDockWidget(Qt::RightDockWidgetArea, history_);
  history_->hide();
  CreateDocks();
  CreateMenus();
  CreateToolBar();
  statusSize_ = new QLabel(this);
  statusZoom_ = new QLabel(this);
  statusCell_ = new QLabel(this);
  statusCell_->setObjectName("StatusCell");
  statusSelection_ = new QLabel(this);
  statusSelection_->setObjectName("StatusSelection");
  statusBar()->addWidget(statusSize_);
  statusBar()->addWidget(statusZoom_);
  statusBar()->addWidget(statusCell_);
  statusBar()->addWidget(statusSelection_);
  statusTool_ = new QLabel(this);
  statusTool_->setObjectName("StatusTool");
  statusBar()->addWidget(statusTool_);
  UpdateToolStatus();

  doc_->ClearMap();
  SetNameLabel("Untitled.map");
  SizeView();

  recovery_ = std::make_unique<RecoveryStore>(RecoveryStore::DefaultFolder());
  if (!recovery_->Active()) {
    // Editing goes on without copies; the designer should know that a crash would cost work.
    auto* off =
        new QLabel(QString::fromStdString("No recovery copies: " + recovery_->Problem()), this);
    off->setObjectName("RecoveryOff");
    statusBar()->addPermanentWidget(off);
  }

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  connect(Timer1, &QTimer::timeout, this, &TFrmMain::Timer1Timer);
  Timer1->start(1000);

  // An image too large for the image budget is drawn as missing: the designer learns which.
  ImageBudget::SetReporter([this](const std::string& message) {
    QMetaObject::invokeMethod(this, [this, message] {
      statusBar()->showMessage(QString::fromStdString(message), 15000);
    });
  });

  // The window sees every key before its controls do.
  qApp->installEventFilter(this);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

TFrmMain::~TFrmMain() {
  qApp->removeEventFilter(this);
  ImageBudget::SetReporter({});
  // The view draws from the document and the libraries, which are members and go before the
  // window's child widgets would: the view goes first.
  std::unique_ptr<QWidget> view(takeCentralWidget());
}

void TFrmMain::CreateMenus() {
  QMenu* file = menuBar()->addMenu("File(&F)");
  file->setObjectName("File1");
  connect(Item(file, "New1", "New"), &QAction::triggered, this, [this] { commands_->New1Click(); });
  connect(Item(file, "Resize1", "Resize"), &QAction::triggered, this,
          [this] { commands_->Resize1Click(); });
  QAction* open = Item(file, "Open1", "Open(&O)");
  open->setShortcut(QKeySequence::Open);
  connect(open, &QAction::triggered, this, [this] {
    commands_->Open1Click();
    RememberRecent(commands_->MapFileName());
  });
  recentMenu_ = file->addMenu("Recent Files");
  recentMenu_->setObjectName("RecentFiles");
  RebuildRecentMenu();
  connect(Item(file, "OpenOldFormatFile1", "Open Old Format"), &QAction::triggered, this,
          [this] { commands_->OpenOldFormatFile1Click(); });
  QAction* save = Item(file, "Save1", "Save");
  save->setShortcut(QKeySequence("Ctrl+S"));
  connect(save, &QAction::triggered, this, [this] {
    commands_->Save1Click();
    RememberRecent(commands_->MapFileName());
  });
  QAction* saveAs = Item(file, "SaveAs1", "SaveAs");
  saveAs->setShortcut(QKeySequence("Ctrl+Shift+S"));
  connect(saveAs, &QAction::triggered, this, [this] {
    commands_->SaveAs1Click();
    RememberRecent(commands_->MapFileName());
  });
  connect(Item(file, "OldFromatBatchConvert1", "Old Format Batch Convert"), &QAction::triggered,
          this, [this] { commands_->OldFromatBatchConvert1Click(); });
  connect(Item(file, "SaveToBitmap1", "Save To bmp"), &QAction::triggered, this,
          [this] { commands_->SaveToBitmap1Click(); });
  connect(Item(file, "NewSegmentMap1", "New Segment"), &QAction::triggered, this,
          [this] { DockOf(FrmSegment)->ShowAndRaise(); });
  connect(Item(file, "ClearEditSegments1", "Clear Segment"), &QAction::triggered, this,
          [this] { segments_->ClearSegment(); });
  connect(Item(file, "Exit1", "Exit"), &QAction::triggered, this, &QWidget::close);
  findChild<QAction*>("New1")->setShortcut(QKeySequence("Ctrl+N"));

  QMenu* edit = menuBar()->addMenu("Edit(&E)");
  edit->setObjectName("Edit1");
  // The keys are the main window's own (see eventFilter); the items only show them.
  Undo1 = Item(edit, "Undo1", "Undo");
  connect(Undo1, &QAction::triggered, this, [this] {
    commands_->Undo();
    UpdateEditMenu();
  });
  Redo1 = Item(edit, "Redo1", "Redo");
  connect(Redo1, &QAction::triggered, this, [this] {
    commands_->Redo();
    UpdateEditMenu();
  });
  connect(edit, &QMenu::aboutToShow, this, &TFrmMain::UpdateEditMenu);
  UpdateEditMenu();
  CreateRegionItems(edit);

  // Opening the Tools menu itself does nothing.
  QMenu* tools = menuBar()->addMenu("Tools(&T)");
  tools->setObjectName("Tools1");
  // DrawObject1Click: six radio items; clicking the checked one unchecks it, and each sets
  // ToolMode. None is checked at start while ToolMode is 0.
  auto* toolItems = new QActionGroup(this);
  toolItems->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
  for (const auto& t : kToolItems) {
    QAction* a = Item(tools, t.Name, t.Caption);
    a->setCheckable(true);
    toolItems->addAction(a);
    const ToolMode mode = t.Mode;
    connect(a, &QAction::triggered, this, [this, mode] {
      tools_.ToolMode = mode;
      UpdateToolStatus();
    });
  }
  for (const auto& k : kToolKeys) findChild<QAction*>(k.Name)->setShortcut(QKeySequence(k.Keys));
  connect(Item(tools, "MapScroll1", "Map Scroll"), &QAction::triggered, this,
          [this] { commands_->MapScroll1Click(); });
  connect(Item(tools, "CellMove1", "Cell Move"), &QAction::triggered, this,
          [this] { FrmMoveObj->ShowEmptied(); });

  QMenu* palette = menuBar()->addMenu("Palette(&P)");
  const struct {
    const char* Name;
    const char* Caption;
    QWidget* Window;
  } paletteItems[] = {{"Tile1", "Tiles", FrmMainPal},
                      {"TileDetail1", "Tile Details", FrmTile},
                      {"Object1", "Objects", FrmObj},
                      {"SmallTile1", "Small Tiles", FrmSmTile},
                      {"ObjectSet1", "Object Set", FrmObjSet}};
  for (const auto& item : paletteItems) {
    ToolDock* dock = DockOf(item.Window);
    connect(Item(palette, item.Name, item.Caption), &QAction::triggered, dock,
            &ToolDock::ShowAndRaise);
  }

  QMenu* objectEdit = menuBar()->addMenu("Object Edit(&O)");
  // "Run Edit" runs the editor on whatever it holds; no set goes in or comes back.
  connect(Item(objectEdit, "RunObjEditer1", "Run Edit"), &QAction::triggered, this,
          [this] { RunObjectEditor(); });

  QMenu* view = menuBar()->addMenu("View(&V)");
  auto check = [&](const char* name, const char* caption, bool on) {
    QAction* a = Item(view, name, caption);
    a->setCheckable(true);
    a->setChecked(on);
    // The handler inverts the item itself; Qt's own toggle is kept out of the way.
    connect(a, &QAction::triggered, this, [this, a](bool) { ShowBackgroundTile1Click(a); });
    return a;
  };
  ShowBackgroundTile1 = check("ShowBackgroundTile1", "Show Background Tiles", true);
  ShowMiddleTile1 = check("ShowMiddleTile1", "Show Middle Tiles", true);
  ShowObject1 = check("ShowObject1", "Show Objects", true);
  ShowAttribMarks1 = check("ShowAttribMarks1", "Show AttribMarks", false);
  MiddleTransparent1 = check("MiddleTransparent1", "Middle Transparent", true);
  view->addSeparator();
  connect(Item(view, "ZoomToFit1", "Zoom to Fit"), &QAction::triggered, this, [this] {
    MainScroll->SetZoom(
        FitZoom(doc_->MapWidth(), doc_->MapHeight(), MainScroll->viewport()->size()));
  });
  QAction* showHistory = history_->toggleViewAction();
  showHistory->setObjectName("History1");
  view->addAction(showHistory);
  QAction* grid = Item(view, "Grid1", "Grid");
  grid->setCheckable(true);
  connect(grid, &QAction::toggled, this, [this](bool on) { MainScroll->SetGrid(on); });
  view->addAction(findChild<WorldDock*>("WorldDock")->toggleViewAction());
  view->addAction(findChild<OverviewDock*>("OverviewDock")->toggleViewAction());

  QMenu* options = menuBar()->addMenu("Options(&Q)");
  QAction* normalSize = Item(options, "ObjectViewNormalSize1", "Objects View Nomal Size");
  normalSize->setCheckable(true);
  connect(normalSize, &QAction::triggered, this, [this](bool on) { FrmObj->SetNormalSize(on); });
  QMenu* undoSteps = options->addMenu("Undo Steps");
  undoSteps->setObjectName("UndoSteps1");
  auto* stepChoices = new QActionGroup(this);
  const int remembered = QSettings("Harbourlight", "harbourlight")
                             .value("undoSteps", MapDocument::kDefaultUndo)
                             .toInt();
  doc_->SetUndoLimit(remembered);
  for (const int steps : {10, 50, 100, 250, 500, 1000}) {
    QAction* a = Item(undoSteps, ("UndoSteps" + std::to_string(steps)).c_str(),
                      QString::number(steps));
    a->setCheckable(true);
    a->setChecked(steps == doc_->UndoLimit());
    stepChoices->addAction(a);
    connect(a, &QAction::triggered, this, [this, steps] {
      doc_->SetUndoLimit(steps);
      QSettings("Harbourlight", "harbourlight").setValue("undoSteps", steps);
      UpdateEditMenu();
    });
  }

  QMenu* help = menuBar()->addMenu("Help(&H)");
  connect(Item(help, "Version", "Version(&A)"), &QAction::triggered, this, [this] {
    TfrmAbout about(this);
    about.exec();
  });
}

void TFrmMain::ShowBackgroundTile1Click(QAction*) {
  // QAction has already inverted the check mark; the view takes all five as they now stand.
  MainScroll->SetOptions({ShowBackgroundTile1->isChecked(), ShowMiddleTile1->isChecked(),
                          ShowObject1->isChecked(), ShowAttribMarks1->isChecked(),
                          MiddleTransparent1->isChecked()});
}

void TFrmMain::CreateToolBar() {
  QToolBar* bar = addToolBar("Tools");
  bar->setObjectName("Panel1");
  bar->setMovable(false);
  bar->setFixedHeight(kToolBarHeight);
  layerButtons_ = new QActionGroup(this);
  layerButtons_->setExclusive(true);
  for (const auto& l : kLayerButtons) {
    QAction* a = bar->addAction(l.Caption);
    a->setObjectName(l.Name);
    a->setCheckable(true);
    a->setShortcut(QKeySequence(l.Keys));
    a->setToolTip(QString("Layer \"%1\" (%2)")
                      .arg(l.Caption, a->shortcut().toString(QKeySequence::NativeText)));
    layerButtons_->addAction(a);
    const hl::LayerMode mode = l.Mode;
    connect(a, &QAction::triggered, this, [this, mode] {
      tools_.LayerMode = mode;
      UpdateToolStatus();
    });
  }
  bar->addSeparator();
  auto* cords = new QLabel("Mouse Cords:", bar);
  cords->setObjectName("Label2");
  bar->addWidget(cords);
  LbXY = new QLabel(bar);
  LbXY->setObjectName("LbXY");
  LbXY->setMinimumWidth(70);
  bar->addWidget(LbXY);
  QAction* out = bar->addAction("Out");
  out->setObjectName("ZoomIn");
  connect(out, &QAction::triggered, this, [this] { MainScroll->ZoomInClick(); });
  QAction* in = bar->addAction("In");
  in->setObjectName("ZoomOut");
  connect(in, &QAction::triggered, this, [this] { MainScroll->ZoomOutClick(); });
  Label1 = new QLabel(MainScroll->ZoomLabelText(), bar);
  Label1->setObjectName("Label1");
  bar->addWidget(Label1);
  LbMapName = new QLabel(bar);
  LbMapName->setObjectName("LbMapName");
  LbMapName->setFixedWidth(160);
  LbMapName->setAlignment(Qt::AlignCenter);
  bar->addWidget(LbMapName);
  struct SegmentButton {
    const char* Name;
    const char* Caption;
    int DCol, DRow;
  };
  for (const SegmentButton& b : {SegmentButton{"BtnLeftSeg", "L", -1, 0},
                                 SegmentButton{"BtnUpSeg", "U", 0, -1},
                                 SegmentButton{"BtnDownSeg", "D", 0, 1},
                                 SegmentButton{"BtnRightSeg", "R", 1, 0}}) {
    // The segment buttons move the loaded window in segment mode; outside it they do nothing.
    QAction* a = bar->addAction(b.Caption);
    a->setObjectName(b.Name);
    connect(a, &QAction::triggered, this,
            [this, b] { FrmSegment->MoveWindow(b.DCol, b.DRow); });
  }
}

void TFrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  // FormShow: the "Small" button is down at start.
  PressLayerButton(hl::LayerMode::Small);
  // The map takes the keys that scroll it until the designer clicks elsewhere.
  MainScroll->setFocus();
  FrmMainPal->SetGroupCount(pickers::BigTileGroups(libraries_.Tiles().ImageCount));
  FrmSmTile->SetGroupCount(pickers::SmallTileGroups(libraries_.SmTiles().ImageCount));
  // The sets saved here in an earlier run; a missing "kel.set" leaves the list empty.
  std::string error;
  if (!sets_.LoadDefaultSets(&error)) questions_->Inform(error);
  // Once the window stands, so that the question has it as its parent.
  QTimer::singleShot(0, this, &TFrmMain::OfferRecovery);
}

void TFrmMain::OfferRecovery() {
  if (offeredRecovery_) return;
  offeredRecovery_ = true;
  if (OfferRecoveredMaps(*recovery_, *commands_, *doc_, *questions_, SteadySeconds())) {
    UpdateStatus();
  }
}

void TFrmMain::Timer1Timer() {
  LbMapName->setText(QString::fromStdString(commands_->NameLabelText()));
  UpdateToolStatus();  // pickers and the set browser choose tools too
  UpdateTitle();
  recovery_->Tick(*commands_, *doc_, SteadySeconds());
}

void TFrmMain::closeEvent(QCloseEvent* event) {
  if (EditorCloseQuery(*commands_, sets_, *recovery_, *questions_)) {
    SaveWorkspace();
    event->accept();
  } else {
    event->ignore();
  }
}

bool TFrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress && isActiveWindow()) {
    auto* key = static_cast<QKeyEvent*>(event);
    const auto mods =
        key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if ((key->key() == Qt::Key_Z && mods == Qt::ControlModifier) ||
        (key->key() == Qt::Key_F11 && mods == Qt::ControlModifier)) {
      commands_->Undo();
      UpdateEditMenu();
      return true;
    }
    if ((key->key() == Qt::Key_Y && mods == Qt::ControlModifier) ||
        (key->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier))) {
      commands_->Redo();
      UpdateEditMenu();
      return true;
    }
    if (key->key() == Qt::Key_Escape && mods == Qt::NoModifier && RegionEscape()) return true;
    if (key->key() == Qt::Key_F5 && mods == Qt::NoModifier) {
      MainScroll->Repaint();
      return true;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

void TFrmMain::SizeView() {
  MainScroll->SizeView();
  UpdateStatus();
  UpdateTitle();
}

void TFrmMain::Repaint() {
  MainScroll->Repaint();
  UpdateStatus();
  UpdateTitle();
}

void TFrmMain::SetNameLabel(const std::string& text) {
  LbMapName->setText(QString::fromStdString(text));
  UpdateTitle();
}

SaveResult TFrmMain::ExportOverview(const std::string& path) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  SaveResult written = WriteOverviewBmp(MainScroll->Renderer(), path);
  QApplication::restoreOverrideCursor();
  return written;
}

namespace {

MouseState Held(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  MouseState m;
  m.Shift = modifiers & Qt::ShiftModifier;
  // Window managers often keep Alt-clicks for themselves; Meta does the same here.
  m.Alt = (modifiers & Qt::AltModifier) || (modifiers & Qt::MetaModifier);
  m.Ctrl = modifiers & Qt::ControlModifier;
  m.Left = buttons & Qt::LeftButton;
  m.Right = buttons & Qt::RightButton;
  m.Middle = buttons & Qt::MiddleButton;
  return m;
}

}  // namespace

void TFrmMain::MapPaintMouseDown(QPoint at, Qt::MouseButton button, Qt::MouseButtons held,
                                 Qt::KeyboardModifiers modifiers) {
  const int zoom = MainScroll->Zoom();
  if (RegionPress(ToolDispatch::CellX(at.x(), zoom), ToolDispatch::CellY(at.y(), zoom), button,
                  modifiers)) {
    return;
  }
  const MouseButton which = button == Qt::RightButton    ? MouseButton::Right
                            : button == Qt::MiddleButton ? MouseButton::Middle
                                                         : MouseButton::Left;
  dispatch_->Press(at.x(), at.y(), MainScroll->Zoom(), which, Held(held, modifiers));
}

void TFrmMain::MapPaintMouseMove(QPoint at, Qt::MouseButtons held,
                                 Qt::KeyboardModifiers modifiers) {
  const int zoom = MainScroll->Zoom();
  if (!RegionMove(ToolDispatch::CellX(at.x(), zoom), ToolDispatch::CellY(at.y(), zoom), held)) {
    dispatch_->Move(at.x(), at.y(), zoom, Held(held, modifiers));
  }
  const auto cell = ToolDispatch::MapCellAt(at.x(), at.y(), MainScroll->Zoom(), doc_->MapWidth(),
                                            doc_->MapHeight());
  statusCell_->setText(cell ? QString("Cell %1, %2").arg(cell->first).arg(cell->second)
                            : QString());
}

void TFrmMain::EraseHover() {
  MainScroll->EraseHover();
}

void TFrmMain::ShowHover(const ClickArea& area) {
  const CellArea& c = area.Cells;
  MainScroll->DrawHover({c.X0, c.Y0, c.Width(), c.Height(), area.SetFootprint});
}

void TFrmMain::SetCoordinateLabel(const std::string& text) {
  LbXY->setText(QString::fromStdString(text));
}

void TFrmMain::SetModified() {
  commands_->SetModified(true);
  UpdateTitle();
}

void TFrmMain::UpdateTitle() {
  // "[*]" is where Qt shows the unsaved mark; a name holding those characters keeps them.
  const QString name = QString::fromStdString(commands_->TitleName()).replace("[*]", "[*][*]");
  setWindowTitle(Caption(commands_->MapBitCount()) + " - " + name + "[*]");
  setWindowModified(commands_->Modified());
}

void TFrmMain::UpdateEditMenu() {
  if (!Undo1) return;
  // What the keys would take back or bring again, named as the user did it.
  const std::string undo = doc_->UndoName(), redo = doc_->RedoName();
  Undo1->setEnabled(doc_->UndoCount() > 0);
  Undo1->setText(QString::fromStdString(undo.empty() ? "Undo" : "Undo " + undo) + "\tCtrl+Z");
  Redo1->setEnabled(doc_->RedoCount() > 0);
  Redo1->setText(QString::fromStdString(redo.empty() ? "Redo" : "Redo " + redo) + "\tCtrl+Y");
  if (history_) history_->Show(doc_->StepNames(), doc_->UndoCount());
}

void TFrmMain::UpdateToolStatus() {
  if (!statusTool_) return;
  std::string text;
  for (const auto& t : kToolItems) {
    if (t.Mode != tools_.ToolMode) continue;
    text = t.Caption;
    if (QAction* item = findChild<QAction*>(t.Name)) item->setChecked(true);
  }
  for (const auto& l : kLayerButtons) {
    if (l.Mode != tools_.LayerMode) continue;
    // Whatever set the layer, its button is the one shown pressed.
    if (QAction* button = findChild<QAction*>(l.Name)) button->setChecked(true);
    if (tools_.ToolMode != ToolMode::Select) text += std::string(" - ") + l.Caption;
  }
  statusTool_->setText(QString::fromStdString(text));
}

void TFrmMain::UpdateStatus() {
  if (!statusSize_) return;
  statusSize_->setText(QString("Map %1 x %2").arg(doc_->MapWidth()).arg(doc_->MapHeight()));
  statusZoom_->setText(QString("Zoom %1%").arg(MainScroll->Zoom()));
}

void TFrmMain::RememberRecent(const std::string& file) {
  if (file.empty()) return;
  QSettings settings("Harbourlight", "harbourlight");
  QStringList recent = settings.value("recentFiles").toStringList();
  recent.removeAll(QString::fromStdString(file));
  recent.prepend(QString::fromStdString(file));
  while (recent.size() > kRecentFiles) recent.removeLast();
  settings.setValue("recentFiles", recent);
  RebuildRecentMenu();
}

void TFrmMain::RebuildRecentMenu() {
  recentMenu_->clear();
  const QStringList recent =
      QSettings("Harbourlight", "harbourlight").value("recentFiles").toStringList();
  for (const QString& file : recent) {
    connect(recentMenu_->addAction(QString::fromStdString(FileNameOnly(file.toStdString())) + "  " +
                                   file),
            &QAction::triggered, this, [this, file] {
              commands_->OpenNamed(file.toStdString());
              RememberRecent(commands_->MapFileName());
            });
  }
  recentMenu_->setEnabled(!recent.isEmpty());
}

}  // namespace hl

namespace hl {

void TFrmMain::PressLayerButton(hl::LayerMode layer) {
  for (const auto& l : kLayerButtons) {
    if (l.Mode != layer) continue;
    if (QAction* button = findChild<QAction*>(l.Name)) button->setChecked(true);
    tools_.LayerMode = layer;
  }
  UpdateToolStatus();
}

}  // namespace hl
