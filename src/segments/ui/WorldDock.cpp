#include "segments/ui/WorldDock.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "util/WorkerPool.h"

namespace hl {

namespace {

// Segments are 40 x 40 cells of 48 x 32 pixels: three wide for every two high.
constexpr double kSegmentAspect = 2.0 / 3.0;
// A press that moves less than this is a click, not a drag.
constexpr double kClickSlack = 4;
// How far a saved segment's images may reach into its neighbours, in segments: their
// pictures are made again too (those that did not change are read back from the disk).
constexpr int kSavedReach = kMaxWorldReach / kSegmentSide;

}  // namespace

const ThumbnailMemory::Entry* ThumbnailMemory::Find(int col, int row, int level, int* foundLevel) {
  for (int distance = 0; distance < kThumbnailLevels; ++distance) {
    for (const int l : {level - distance, level + distance}) {
      if (l < 0 || l >= kThumbnailLevels) continue;
      const auto it = entries_.find(Key(col, row, l));
      if (it == entries_.end()) continue;
      ages_.splice(ages_.begin(), ages_, it->second.Age);
      if (foundLevel) *foundLevel = l;
      return &it->second.Value;
    }
  }
  return nullptr;
}

void ThumbnailMemory::Put(int col, int row, int level, QImage image) {
  const std::uint64_t key = Key(col, row, level);
  if (auto it = entries_.find(key); it != entries_.end()) {
    used_ -= Cost(it->second.Value.Image);
    ages_.erase(it->second.Age);
    entries_.erase(it);
  }
  ages_.push_front(key);
  used_ += Cost(image);
  entries_.emplace(key, Slot{{std::move(image), false}, col, row, level, ages_.begin()});
  while (used_ > budget_ && ages_.size() > 1) {
    const auto old = entries_.find(ages_.back());
    used_ -= Cost(old->second.Value.Image);
    entries_.erase(old);
    ages_.pop_back();
  }
}

void ThumbnailMemory::MarkStale(const QRect& segments) {
  for (auto& [key, slot] : entries_) {
    if (segments.contains(slot.Col, slot.Row)) slot.Value.Stale = true;
  }
}

void ThumbnailMemory::Clear() {
  entries_.clear();
  ages_.clear();
  used_ = 0;
}

WorldView::WorldView(QWidget* parent) : QWidget(parent) {
  setObjectName("WorldView");
  setMouseTracking(true);
  setMinimumSize(160, 120);
  setAttribute(Qt::WA_OpaquePaintEvent);
  showArrived_ = new QTimer(this);
  showArrived_->setSingleShot(true);
  showArrived_->setInterval(100);
  connect(showArrived_, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

WorldView::~WorldView() {
  // Its workers deliver to this view: they stop first.
  builder_.reset();
}

void WorldView::SetWorld(const std::optional<WorldProject>& project, LibraryFormat format,
                         const std::string& libraryFolder, const std::string& cacheFolder) {
  if (project == project_ && (builder_ || !project)) return;
  builder_.reset();
  memory_.Clear();
  wanted_.clear();
  wantedLevel_ = -1;
  hover_.reset();
  project_ = project;
  fitted_ = false;
  ++generation_;
  if (project_) {
    ThumbnailBuilder::Settings settings{
        *project_, format, libraryFolder, cacheFolder, WorkerPool::DefaultSize(), true};
    builder_ = std::make_unique<ThumbnailBuilder>(
        settings,
        [this, generation = generation_](std::vector<ThumbnailBuilder::Picture> pictures) {
          QMetaObject::invokeMethod(
              this,
              [this, generation, pictures = std::move(pictures)]() mutable {
                Receive(generation, std::move(pictures));
              },
              Qt::QueuedConnection);
        });
  }
  update();
}

void WorldView::SetWindowOrigin(QPoint origin) {
  if (origin == origin_) return;
  origin_ = origin;
  update();
}

void WorldView::SegmentsChanged(const QRect& segments) {
  memory_.MarkStale(segments);
  if (builder_) builder_->Rescan();
  wanted_.clear();
  update();
}

void WorldView::Receive(unsigned generation, std::vector<ThumbnailBuilder::Picture> pictures) {
  if (generation != generation_) return;
  for (ThumbnailBuilder::Picture& p : pictures)
    memory_.Put(p.Col, p.Row, p.Level, std::move(p.Image));
  update();
}

int WorldView::LevelFor(double segmentWidth) const {
  // The smallest picture at least as wide as it is shown.
  int level = kThumbnailLevels - 1;
  while (level > 0 && ThumbnailSize(level).width() < segmentWidth) --level;
  return level;
}

QRectF WorldView::SegmentRect(int col, int row) const {
  const double h = width_ * kSegmentAspect;
  return {pan_.x() + col * width_, pan_.y() + row * h, width_, h};
}

std::optional<QPoint> WorldView::SegmentAt(QPointF pixel) const {
  if (!project_) return std::nullopt;
  const double col = std::floor((pixel.x() - pan_.x()) / width_);
  const double row = std::floor((pixel.y() - pan_.y()) / (width_ * kSegmentAspect));
  if (col < 0 || row < 0 || col >= project_->Cols || row >= project_->Rows) return std::nullopt;
  return QPoint(static_cast<int>(col), static_cast<int>(row));
}

void WorldView::SetZoom(double segmentWidth, QPointF around) {
  const double width = std::clamp(segmentWidth, kMinSegmentWidth, kMaxSegmentWidth);
  // The world point under `around` stays there.
  pan_ = around - (around - pan_) * (width / width_);
  width_ = width;
  update();
}

void WorldView::Fit() {
  fitted_ = true;
  if (!project_) return;
  const double fit = std::min(width() / static_cast<double>(project_->Cols),
                              height() / (project_->Rows * kSegmentAspect));
  width_ = std::clamp(std::floor(fit), kMinSegmentWidth, kMaxSegmentWidth);
  const double worldWidth = width_ * project_->Cols,
               worldHeight = width_ * kSegmentAspect * project_->Rows;
  if (worldWidth <= width() && worldHeight <= height()) {
    pan_ = {(width() - worldWidth) / 2, (height() - worldHeight) / 2};
  } else {
    // Too large to show whole: the window being edited in the middle.
    const QRectF window = QRectF(origin_.x() * width_, origin_.y() * width_ * kSegmentAspect,
                                 3 * width_, 3 * width_ * kSegmentAspect);
    pan_ = QPointF(width() / 2.0, height() / 2.0) - window.center();
  }
}

void WorldView::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor::fromRgb(kBackgroundColour));
  if (!project_) {
    p.setPen(palette().color(QPalette::BrightText));
    p.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
               "No segment project.\nOpen one in File > New Segment.");
    return;
  }
  if (!fitted_) Fit();
  const int level = LevelFor(width_);
  const double h = width_ * kSegmentAspect;
  const int c0 = std::max(0, static_cast<int>(std::floor(-pan_.x() / width_)));
  const int r0 = std::max(0, static_cast<int>(std::floor(-pan_.y() / h)));
  const int c1 =
      std::min(project_->Cols - 1, static_cast<int>(std::floor((width() - pan_.x()) / width_)));
  const int r1 =
      std::min(project_->Rows - 1, static_cast<int>(std::floor((height() - pan_.y()) / h)));
  p.setRenderHint(QPainter::SmoothPixmapTransform, width_ < ThumbnailSize(level).width());
  std::vector<QPoint> want;
  for (int r = r0; r <= r1; ++r) {
    for (int c = c0; c <= c1; ++c) {
      const QRectF cell = SegmentRect(c, r);
      int found = -1;
      const ThumbnailMemory::Entry* entry = memory_.Find(c, r, level, &found);
      if (!entry) {
        p.fillRect(cell, QColor::fromRgb(kWaitingColour));
        want.push_back({c, r});
        continue;
      }
      if (entry->Image.isNull()) {
        p.fillRect(cell, QColor::fromRgb(kMissingColour));
      } else {
        p.drawImage(cell, entry->Image);
      }
      if (found != level || entry->Stale) want.push_back({c, r});
    }
  }
  // Segment borders, where there is room for them.
  if (width_ >= 24) {
    p.setPen(QColor(0, 0, 0, 60));
    for (int c = c0; c <= c1 + 1; ++c) {
      const double x = pan_.x() + c * width_;
      p.drawLine(QPointF(x, pan_.y() + r0 * h), QPointF(x, pan_.y() + (r1 + 1) * h));
    }
    for (int r = r0; r <= r1 + 1; ++r) {
      const double y = pan_.y() + r * h;
      p.drawLine(QPointF(pan_.x() + c0 * width_, y), QPointF(pan_.x() + (c1 + 1) * width_, y));
    }
  }
  // The window being edited: as much of it as the world has.
  const int frameCols = std::min(3, project_->Cols - origin_.x());
  const int frameRows = std::min(3, project_->Rows - origin_.y());
  if (frameCols > 0 && frameRows > 0) {
    const QRectF frame =
        SegmentRect(origin_.x(), origin_.y())
            .united(SegmentRect(origin_.x() + frameCols - 1, origin_.y() + frameRows - 1));
    p.setPen(QPen(QColor::fromRgb(kFrameColour), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(frame.adjusted(1, 1, -1, -1));
  }
  if (hover_) {
    p.setPen(QPen(Qt::white, 1));
    p.drawRect(SegmentRect(hover_->x(), hover_->y()).adjusted(0.5, 0.5, -0.5, -0.5));
  }
  // Asked for a pack of thumbnails at a time (16 x 16 segments), as they are kept.
  constexpr int kPack = ThumbnailStore::kPackSide;
  std::stable_sort(want.begin(), want.end(), [](QPoint a, QPoint b) {
    return std::pair(a.y() / kPack, a.x() / kPack) < std::pair(b.y() / kPack, b.x() / kPack);
  });
  if (builder_ && (want != wanted_ || level != wantedLevel_)) {
    builder_->Want(want, level);
    wanted_ = std::move(want);
    wantedLevel_ = level;
  }
}

void WorldView::wheelEvent(QWheelEvent* event) {
  const double steps = event->angleDelta().y() / 120.0;
  if (steps != 0) SetZoom(width_ * std::pow(1.25, steps), event->position());
  ShowHover(event->position());
  event->accept();
}

void WorldView::mousePressEvent(QMouseEvent* event) {
  pressedAt_ = event->position();
  lastDrag_ = event->position();
  dragging_ = false;
}

void WorldView::mouseMoveEvent(QMouseEvent* event) {
  if (pressedAt_ && event->buttons() != Qt::NoButton) {
    const QPointF moved = event->position() - *pressedAt_;
    if (!dragging_ && std::hypot(moved.x(), moved.y()) > kClickSlack) dragging_ = true;
    if (dragging_) {
      pan_ += event->position() - lastDrag_;
      lastDrag_ = event->position();
      update();
    }
  }
  ShowHover(event->position());
}

void WorldView::mouseReleaseEvent(QMouseEvent* event) {
  const bool click = pressedAt_ && !dragging_ && event->button() == Qt::LeftButton;
  pressedAt_.reset();
  dragging_ = false;
  if (!click) return;
  if (const auto segment = SegmentAt(event->position())) emit Clicked(segment->x(), segment->y());
}

void WorldView::leaveEvent(QEvent*) {
  hover_.reset();
  emit Hovered({});
  update();
}

void WorldView::resizeEvent(QResizeEvent*) {
  update();
}

void WorldView::ShowHover(QPointF pixel) {
  const auto segment = SegmentAt(pixel);
  if (segment == hover_) return;
  hover_ = segment;
  update();
  if (!segment) {
    emit Hovered({});
    return;
  }
  const int c = segment->x(), r = segment->y();
  int found = -1;
  const ThumbnailMemory::Entry* entry = memory_.Find(c, r, 0, &found);
  emit Hovered(QString("%1  column %2, row %3  cells %4-%5, %6-%7%8")
                   .arg(QString::fromStdString(SegmentName(project_->Ident, c, r)))
                   .arg(c)
                   .arg(r)
                   .arg(c * kSegmentSide)
                   .arg(c * kSegmentSide + kSegmentSide - 1)
                   .arg(r * kSegmentSide)
                   .arg(r * kSegmentSide + kSegmentSide - 1)
                   .arg(entry && entry->Image.isNull() ? "  (no file)" : ""));
}

WorldDock::WorldDock(SegmentCommands& segments, MainCommands& main, TFrmSegment& segmentWindow,
                     LibrarySet& libraries, QMainWindow* mainWindow)
    : QDockWidget("World", mainWindow),
      segments_(segments),
      main_(main),
      segmentWindow_(segmentWindow),
      libraries_(libraries) {
  setObjectName("WorldDock");
  auto* body = new QWidget(this);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(0, 0, 0, 0);
  view_ = new WorldView(body);
  hover_ = new QLabel(body);
  hover_->setObjectName("WorldHover");
  hover_->setMinimumWidth(40);
  layout->addWidget(view_, 1);
  layout->addWidget(hover_);
  setWidget(body);
  progress_ = new QLabel(mainWindow);
  progress_->setObjectName("WorldProgress");
  mainWindow->statusBar()->addPermanentWidget(progress_);
  mainWindow->addDockWidget(Qt::RightDockWidgetArea, this);
  hide();

  connect(view_, &WorldView::Hovered, hover_, &QLabel::setText);
  connect(view_, &WorldView::Clicked, this,
          [this](int col, int row) { segmentWindow_.EditAround(col, row); });
  segments_.SetChangeListener([this] { FollowProject(); });
  main_.SetSegmentsSavedListener([this](const SegmentWindow&) {
    const QRect window(segments_.LoadedCol(), segments_.LoadedRow(), 3, 3);
    view_->SegmentsChanged(window.adjusted(0, -kSavedReach, kSavedReach, kSavedReach));
  });
  timer_ = new QTimer(this);
  connect(timer_, &QTimer::timeout, this, &WorldDock::ShowProgress);
  timer_->start(500);
}

void WorldDock::FollowProject() {
  const SegmentGrid& grid = segments_.Grid();
  std::optional<WorldProject> project;
  if (!segments_.ProjectDir().empty() && grid.NamedCols > 0 && grid.NamedRows > 0)
    project = WorldProject{segments_.ProjectDir(), grid.Ident, grid.NamedCols, grid.NamedRows};
  const bool another = project != view_->World();
  view_->SetWorld(project, libraries_.Format(), libraries_.Folder(),
                  ThumbnailStore::DefaultFolder());
  view_->SetWindowOrigin(main_.SegmentMode()
                             ? QPoint(segments_.LoadedCol(), segments_.LoadedRow())
                             : QPoint(segments_.OriginCol(), segments_.OriginRow()));
  if (another && project) show();
  ShowProgress();
}

void WorldDock::ShowProgress() {
  ThumbnailBuilder* builder = view_->Builder();
  if (!builder) {
    progress_->clear();
    return;
  }
  QString text;
  if (!builder->Idle()) {
    text = QString("World: %L1 of %L2 thumbnails")
               .arg(builder->FilledCount())
               .arg(builder->WorldCount());
  }
  if (const std::string problem = builder->CacheProblem(); !problem.empty()) {
    text += (text.isEmpty() ? "" : "; ") + QString("thumbnails are not kept: ") +
            QString::fromStdString(problem);
  }
  progress_->setText(text);
}

}  // namespace hl
