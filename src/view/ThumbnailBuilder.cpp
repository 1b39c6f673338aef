#include "view/ThumbnailBuilder.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "images/TWilImages.h"
#include "util/FileLookup.h"
#include "util/WorkerPool.h"

namespace hl {

namespace {

// Segments asked for are made in runs of neighbours this long at most, which share the
// segments they are drawn from; the world is filled in strips of columns this wide.
constexpr int kRunLength = 8;
constexpr int kStripWidth = 16;
// What the workers' libraries and renderers hold together, shared out between them, but
// never so little each that a large object would be drawn missing.
constexpr std::size_t kLeastWorkerBudget = std::size_t{32} << 20;
// Bumped whenever the drawing of thumbnails changes, so that old files are made again.
constexpr std::int64_t kThumbnailVersion = 1;

int Segments(int cells) {
  return (cells + kSegmentSide - 1) / kSegmentSide;
}

QImage AtLevel(const QImage& full, int level) {
  if (level <= 0) return full;
  return full.scaled(ThumbnailSize(level), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
      .convertToFormat(QImage::Format_RGB32);
}

QImage FromRgb(const std::vector<std::uint8_t>& rgb, QSize size) {
  const QImage wrapped(rgb.data(), size.width(), size.height(), size.width() * 3,
                       QImage::Format_RGB888);
  return wrapped.convertToFormat(QImage::Format_RGB32);
}

// The RGB bytes of `size` pixels of an RGB32 image from `left`, rows top to bottom.
std::vector<std::uint8_t> ToRgb(const QImage& image, int left, QSize size) {
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.width()) *
                                  static_cast<std::size_t>(size.height()) * 3);
  std::uint8_t* out = bytes.data();
  for (int y = 0; y < size.height(); ++y) {
    const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y)) + left;
    for (int x = 0; x < size.width(); ++x, out += 3) {
      out[0] = static_cast<std::uint8_t>(qRed(row[x]));
      out[1] = static_cast<std::uint8_t>(qGreen(row[x]));
      out[2] = static_cast<std::uint8_t>(qBlue(row[x]));
    }
  }
  return bytes;
}

// The files a set of libraries was opened from, as they are now.
ThumbnailKey::Digest StampLibraries(LibrarySet& libraries) {
  ThumbnailKey key;
  auto add = [&](const std::string& name) {
    const auto found = FindFileIgnoringCase(name);
    key.Add(found ? *found : std::string());
    key.Add(found ? StampOf(*found, Links::Follow) : std::nullopt);
  };
  auto library = [&](const TGameImages& lib) {
    add(lib.FileName);
    if (libraries.Format() == LibraryFormat::Wil) add(TWilImages::IndexFileName(lib.FileName));
  };
  library(libraries.Tiles());
  library(libraries.SmTiles());
  for (int slot = 0; slot < LibrarySet::kObjectSlots; ++slot)
    library(libraries.ObjectSlotLibrary(slot));
  return key.Value();
}

}  // namespace

QSize ThumbnailSize(int level) {
  const int shift = std::clamp(level, 0, kThumbnailLevels - 1);
  return {(kSegmentSide * kCellWidth / kThumbnailScale) >> shift,
          (kSegmentSide * kCellHeight / kThumbnailScale) >> shift};
}

struct ThumbnailBuilder::Worker {
  explicit Worker(std::size_t budget) : Libraries(budget), Painter(Libraries, budget) {}
  LibrarySet Libraries;
  WorldPainter Painter;
  WorkerPool Reader{1};  // SegmentRows reads on the worker's own thread
  QImage Strip;          // kept from run to run: a new one costs its pages each time
  // Thumbnails made for the view, stored a pack at a time: the view asks for a few at a time,
  // and writing their pack after each few would write it over and over.
  std::vector<ThumbnailStore::Thumbnail> Pending;
};

ThumbnailBuilder::ThumbnailBuilder(Settings settings, Deliver deliver)
    : settings_(std::move(settings)),
      deliver_(std::move(deliver)),
      files_(settings_.Project),
      store_(settings_.CacheFolder, settings_.Project) {
  const int workers = std::max(1, settings_.Workers);
  for (int w = 0; w < workers; ++w) threads_.emplace_back([this, w] { Work(w); });
}

ThumbnailBuilder::~ThumbnailBuilder() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  ready_.notify_all();
  for (std::thread& t : threads_) t.join();
}

void ThumbnailBuilder::Want(const std::vector<QPoint>& segments, int level) {
  {
    std::lock_guard lock(mutex_);
    wanted_.clear();
    for (const QPoint& s : segments) {
      if (s.x() >= 0 && s.y() >= 0 && s.x() < settings_.Project.Cols &&
          s.y() < settings_.Project.Rows) {
        wanted_.push_back({s.x(), s.y(), level});
      }
    }
  }
  wake_.notify_all();
}

bool ThumbnailBuilder::Idle() const {
  std::lock_guard lock(mutex_);
  return started_ && busy_ == 0 && wanted_.empty() && strips_.empty();
}

bool ThumbnailBuilder::NextJob(Job& job, std::unique_lock<std::mutex>& lock) {
  wake_.wait(lock, [&] { return stopping_ || !wanted_.empty() || !strips_.empty(); });
  if (stopping_) return false;
  if (!wanted_.empty()) {
    // The first wanted, with the wanted right after it that follow it along its row (the
    // view asks row by row).
    const Request first = wanted_.front();
    wanted_.pop_front();
    job = {first.Row, first.Col, first.Col, first.Level, true};
    while (job.Col1 - job.Col0 + 1 < kRunLength && !wanted_.empty()) {
      const Request& next = wanted_.front();
      if (next.Row != job.Row || next.Level != job.Level || next.Col != job.Col1 + 1) break;
      ++job.Col1;
      wanted_.pop_front();
    }
    return true;
  }
  job = strips_.front();
  strips_.pop_front();
  return true;
}

void ThumbnailBuilder::Work(int index) {
  // The window's thread comes first: thumbnails are made with what it leaves.
  ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
  const int workers = std::max(1, settings_.Workers);
  const std::size_t budget =
      std::max(ImageBudget::Bytes() / 2 / static_cast<std::size_t>(std::max(1, workers)),
               std::min(ImageBudget::Bytes(), kLeastWorkerBudget));
  Worker worker(budget);
  std::unique_lock lock(mutex_);
  if (index == 0) {
    lock.unlock();
    // Every worker opens the same files: the first looks for them, tells what they reach
    // and what they are, and the others open what it found.
    worker.Libraries.Open(settings_.Format, settings_.LibraryFolder);
    const WorldReach reach = ReachOf(worker.Libraries);
    const ThumbnailKey::Digest stamps = StampLibraries(worker.Libraries);
    lock.lock();
    reach_ = reach;
    libraries_ = stamps;
    model_ = &worker.Libraries;
    if (settings_.FillWorld) {
      const int cols = settings_.Project.Cols;
      for (int c = 0; c < cols; c += kStripWidth)
        strips_.push_back({0, c, std::min(cols, c + kStripWidth) - 1, 0, false});
    }
    started_ = true;
    ready_.notify_all();
    wake_.notify_all();
  } else {
    ready_.wait(lock, [&] { return started_ || stopping_; });
    if (stopping_) return;
    lock.unlock();
    worker.Libraries.OpenLike(*model_);
    lock.lock();
  }
  ++opened_;
  ready_.notify_all();
  const QSize size = ThumbnailSize(0);
  auto storePending = [&] {
    ++busy_;
    lock.unlock();
    store_.Store(worker.Pending, size.width(), size.height());
    worker.Pending.clear();
    lock.lock();
    --busy_;
  };
  Job job;
  for (;;) {
    // Before waiting, and before a run of another pack, what was made is stored.
    if (!worker.Pending.empty() && !stopping_ && wanted_.empty() && strips_.empty()) {
      storePending();
      continue;
    }
    if (!NextJob(job, lock)) break;
    if (!worker.Pending.empty() &&
        (!job.Deliver ||
         store_.PackFile(job.Col0, job.Row) !=
             store_.PackFile(worker.Pending.back().Col, worker.Pending.back().Row))) {
      storePending();
    }
    ++busy_;
    lock.unlock();
    try {
      RunJob(worker, job);
    } catch (const std::exception&) {
      // Out of memory for a run: its segments stay without thumbnails for now.
    }
    lock.lock();
    --busy_;
  }
  if (!worker.Pending.empty()) storePending();
  // Worker 0's libraries are the others' model until they have opened theirs.
  if (index == 0) ready_.wait(lock, [&] { return opened_ == workers || stopping_; });
}

void ThumbnailBuilder::RunJob(Worker& worker, Job job) {
  const WorldProject& p = settings_.Project;
  const QSize size = ThumbnailSize(0);
  SegmentRows rows(files_, std::max(0, job.Col0 - Segments(reach_.Left)), job.Col1);
  // Thumbnails made and not yet stored: a strip stores a pack's worth at a time, so that each
  // pack is written once while the world is filled.
  std::vector<ThumbnailStore::Thumbnail> made;
  auto store = [&] {
    if (!made.empty()) store_.Store(made, size.width(), size.height());
    made.clear();
  };
  for (int row = job.Row; row < p.Rows; ++row) {
    MakeRow(worker, rows, job, row, made);
    if (job.Deliver) {
      std::move(made.begin(), made.end(), std::back_inserter(worker.Pending));
      return;
    }
    filled_ += job.Col1 - job.Col0 + 1;
    if (row + 1 == p.Rows) return store();
    if ((row + 1) % ThumbnailStore::kPackSide == 0) store();
    std::unique_lock lock(mutex_);
    if (!wanted_.empty() || stopping_) {
      // Segments asked for come first: the rest of the strip waits at the front.
      job.Row = row + 1;
      strips_.push_front(job);
      lock.unlock();
      return store();
    }
  }
}

ThumbnailKey::Digest ThumbnailBuilder::KeyOf(int col, int row, const SegmentRows& rows) const {
  ThumbnailKey key;
  key.Add(kThumbnailVersion).Add(std::int64_t{kThumbnailScale});
  key.Add({libraries_.data(), libraries_.size()});
  key.Add(std::int64_t{reach_.Left}).Add(std::int64_t{reach_.Above}).Add(std::int64_t{reach_.Below});
  // Every segment whose cells it is drawn from: its own and those whose images reach it.
  const WorldProject& p = settings_.Project;
  for (int c = std::max(0, col - Segments(reach_.Left)); c <= col; ++c) {
    for (int r = std::max(0, row - Segments(reach_.Above));
         r <= std::min(p.Rows - 1, row + Segments(reach_.Below)); ++r) {
      const SegmentLook& l = rows.Look(c, r);
      key.Add(std::int64_t{static_cast<int>(l.State)});
      key.Add(l.State == SegmentState::Present ? std::optional<FileStamp>(l.Stamp) : std::nullopt);
    }
  }
  return key.Value();
}

void ThumbnailBuilder::MakeRow(Worker& worker, SegmentRows& rows, const Job& job, int row,
                               std::vector<ThumbnailStore::Thumbnail>& made) {
  const WorldProject& p = settings_.Project;
  const QSize size = ThumbnailSize(0);
  const int rowFrom = row - Segments(reach_.Above), rowTo = row + Segments(reach_.Below);
  auto quiet = [](int, int, const std::string&) {};
  // The stamps first, and the files only when a thumbnail has to be drawn.
  rows.Hold(rowFrom, rowTo, worker.Reader, quiet, false);

  std::vector<Picture> pictures;
  struct Miss {
    int Col;
    ThumbnailKey::Digest Key;
  };
  std::vector<Miss> misses;
  for (int c = job.Col0; c <= job.Col1; ++c) {
    if (rows.Look(c, row).State != SegmentState::Present) {
      if (job.Deliver) pictures.push_back({c, row, job.Level, {}, false});
      continue;
    }
    const ThumbnailKey::Digest key = KeyOf(c, row, rows);
    if (job.Deliver && job.Level == kThumbnailLevels - 1) {
      // Shown small: the small copy is all it takes.
      if (const auto rgb = store_.LoadSmall(c, row, key, size.width(), size.height())) {
        ++read_;
        pictures.push_back({c, row, job.Level, FromRgb(*rgb, ThumbnailSize(job.Level)), false});
        continue;
      }
    } else if (job.Deliver) {
      if (const auto rgb = store_.Load(c, row, key, size.width(), size.height())) {
        ++read_;
        pictures.push_back({c, row, job.Level, AtLevel(FromRgb(*rgb, size), job.Level), false});
        continue;
      }
    } else if (store_.Has(c, row, key, size.width(), size.height())) {
      ++read_;
      continue;
    }
    misses.push_back({c, key});
  }

  if (!misses.empty()) {
    rows.Hold(rowFrom, rowTo, worker.Reader, quiet, true);
    const int m0 = misses.front().Col, m1 = misses.back().Col;
    WorldGeometry world;
    world.Cells = QRect(0, 0, p.Cols * kSegmentSide, p.Rows * kSegmentSide);
    world.Scale = {1, kThumbnailScale};
    const QPoint origin(static_cast<int>(world.PixelX(1LL * m0 * kSegmentSide)),
                        static_cast<int>(world.PixelY(1LL * row * kSegmentSide)));
    const QSize stripSize((m1 - m0 + 1) * size.width(), size.height());
    if (worker.Strip.width() < stripSize.width()) {
      worker.Strip = QImage(std::max(stripSize.width(), kStripWidth * size.width()), size.height(),
                            QImage::Format_RGB32);
    }
    QImage& strip = worker.Strip;
    if (strip.isNull()) return;
    worker.Painter.Draw(rows, world, reach_, strip, origin, QRect(origin, stripSize));
    for (const Miss& miss : misses) {
      const int left = (miss.Col - m0) * size.width();
      const QImage thumbnail = strip.copy(left, 0, size.width(), size.height());
      const QImage small = AtLevel(thumbnail, kThumbnailLevels - 1);
      made.push_back(
          {miss.Col, row, miss.Key, ToRgb(strip, left, size), ToRgb(small, 0, small.size())});
      ++built_;
      if (job.Deliver) {
        pictures.push_back(
            {miss.Col, row, job.Level,
             job.Level == kThumbnailLevels - 1 ? small : AtLevel(thumbnail, job.Level), true});
      }
    }
  }
  if (job.Deliver && !pictures.empty() && deliver_) deliver_(std::move(pictures));
}

}  // namespace hl
