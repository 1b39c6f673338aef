#pragma once

#include <QDockWidget>
#include <QLabel>
#include <QMainWindow>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <unordered_map>

#include "app/MainCommands.h"
#include "app/SegmentCommands.h"
#include "images/LibrarySet.h"
#include "segments/ui/TFrmSegment.h"
#include "view/ThumbnailBuilder.h"

namespace hl {

// The thumbnails a world view keeps in memory: only those it has shown lately, within a
// budget, the least recently shown going first. Each is kept at the level it was shown at.
class ThumbnailMemory {
 public:
  static constexpr std::size_t kDefaultBudget = std::size_t{64} << 20;
  // What a segment without a picture costs to remember.
  static constexpr std::size_t kEntryBytes = 128;

  explicit ThumbnailMemory(std::size_t budget = kDefaultBudget) : budget_(budget) {}

  struct Entry {
    QImage Image;        // null: no segment file there
    bool Stale = false;  // its files changed: shown until the new picture comes
  };
  // The entry at that level, or failing it at the nearest other level; null when none.
  const Entry* Find(int col, int row, int level, int* foundLevel = nullptr);
  void Put(int col, int row, int level, QImage image);
  // Every entry of the segments in `segments` becomes stale.
  void MarkStale(const QRect& segments);
  void Clear();
  std::size_t Used() const { return used_; }
  std::size_t Count() const { return entries_.size(); }

 private:
  static std::uint64_t Key(int col, int row, int level) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(col)) << 32 |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 2 |
           static_cast<std::uint64_t>(level & 3);
  }
  static std::size_t Cost(const QImage& image) {
    return kEntryBytes + static_cast<std::size_t>(image.sizeInBytes());
  }
  struct Slot {
    Entry Value;
    int Col, Row, Level;
    std::list<std::uint64_t>::iterator Age;
  };
  std::size_t budget_;
  std::size_t used_ = 0;
  std::unordered_map<std::uint64_t, Slot> entries_;
  std::list<std::uint64_t> ages_;  // most recently used first
};

// The world of the open segment project, every segment as a small picture at the world's
// proportions. The wheel zooms around the pointer, a drag pans, the 3 x 3 window being edited
// is framed, the segment under the pointer is named, and a click loads the window around the
// segment clicked, as "Edit" does.
class WorldView : public QWidget {
  Q_OBJECT

 public:
  // Segment widths the view shows, in pixels: from 2 (a 250-segment world fits a small
  // window) to twice the thumbnails.
  static constexpr double kMinSegmentWidth = 2;
  static constexpr double kMaxSegmentWidth = 240;
  static constexpr QRgb kMissingColour = 0xFFB4AC9Au;  // no segment file: neutral ground
  static constexpr QRgb kWaitingColour = 0xFF55575Au;  // its picture is being made
  static constexpr QRgb kBackgroundColour = 0xFF2E3032u;
  static constexpr QRgb kFrameColour = 0xFFFFD21Eu;

  WorldView(QWidget* parent = nullptr);
  ~WorldView() override;

  // The world to show (nothing: no project), drawn with libraries of this format and folder
  // and kept in `cacheFolder`.
  void SetWorld(const std::optional<WorldProject>& project, LibraryFormat format,
                const std::string& libraryFolder, const std::string& cacheFolder);
  const std::optional<WorldProject>& World() const { return project_; }
  // The window to frame: its top-left segment.
  void SetWindowOrigin(QPoint origin);
  // The segments whose files were written: drawn again.
  void SegmentsChanged(const QRect& segments);

  // Pixels per segment column, and the view pixel of the world's top-left corner.
  double SegmentWidth() const { return width_; }
  QPointF Pan() const { return pan_; }
  void SetZoom(double segmentWidth, QPointF around);
  // Shows the whole world if it fits at the smallest width, else its window's part.
  void Fit();
  // The segment at a view pixel, when there is one.
  std::optional<QPoint> SegmentAt(QPointF pixel) const;
  QRectF SegmentRect(int col, int row) const;
  ThumbnailBuilder* Builder() { return builder_.get(); }
  // Segments the last paint showed without their picture (or with a stale or other-sized
  // one), and asked for.
  std::size_t Waiting() const { return wanted_.size(); }
  ThumbnailMemory& Memory() { return memory_; }

 signals:
  void Hovered(const QString& text);
  void Clicked(int col, int row);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int LevelFor(double segmentWidth) const;
  void Receive(unsigned generation, std::vector<ThumbnailBuilder::Picture> pictures);
  void ShowHover(QPointF pixel);

  std::optional<WorldProject> project_;
  std::unique_ptr<ThumbnailBuilder> builder_;
  ThumbnailMemory memory_;
  double width_ = 24;
  QPointF pan_{0, 0};
  QPoint origin_{0, 0};
  std::optional<QPoint> hover_;
  std::optional<QPointF> pressedAt_;
  QPointF lastDrag_;
  bool dragging_ = false;
  bool fitted_ = false;
  std::vector<QPoint> wanted_;  // what the last paint asked the builder for
  // Pictures arriving are shown a few at a time: a repaint for each run would keep the
  // window's thread painting while the world is made.
  QTimer* showArrived_;
  // Which world the pictures on their way are of: a builder's last pictures may still be
  // queued when the view shows another project.
  unsigned generation_ = 0;
  int wantedLevel_ = -1;
};

// The "World" dock of the main window: the world view of the segment window's project, the
// name of the segment under the pointer, and the thumbnails' progress in the status bar.
// A click runs the segment window's Edit around the segment clicked.
class WorldDock : public QDockWidget {
 public:
  WorldDock(SegmentCommands& segments, MainCommands& main, TFrmSegment& segmentWindow,
            LibrarySet& libraries, QMainWindow* mainWindow);

  WorldView* View() { return view_; }
  QLabel* HoverLabel() { return hover_; }
  QLabel* ProgressLabel() { return progress_; }
  // Follows the segment window: its project, and the window's origin.
  void FollowProject();
  // The thumbnails' progress, as the status bar shows it.
  void ShowProgress();

 private:
  SegmentCommands& segments_;
  MainCommands& main_;
  TFrmSegment& segmentWindow_;
  LibrarySet& libraries_;
  WorldView* view_;
  QLabel* hover_;
  QLabel* progress_;
  QTimer* timer_;
};

}  // namespace hl
