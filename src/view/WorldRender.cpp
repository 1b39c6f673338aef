#include "view/WorldRender.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <vector>

#include "util/SafeFileWriter.h"
#include "util/WorkerPool.h"

namespace hl {

namespace {

// Each worker keeps decoded and scaled images within a share of the budget, but never a share
// so small that a large object would have to be drawn missing.
constexpr std::size_t kLeastWorkerBudget = std::size_t{64} << 20;

std::size_t WorkerBudget(int workers) {
  const std::size_t whole = ImageBudget::Bytes();
  return std::max(whole / static_cast<std::size_t>(workers), std::min(whole, kLeastWorkerBudget));
}

struct Worker {
  explicit Worker(std::size_t budget) : Libraries(budget) {}
  LibrarySet Libraries;
  std::unique_ptr<WorldPainter> Painter;
};

}  // namespace

WorldGeometry GeometryOf(const WorldRenderJob& job) {
  WorldGeometry world;
  world.Cells = QRect(job.Segments.x() * kSegmentSide, job.Segments.y() * kSegmentSide,
                      job.Segments.width() * kSegmentSide, job.Segments.height() * kSegmentSide);
  world.Scale = {1, job.Scale};
  return world;
}

SaveResult WriteWorldPng(const SegmentFiles& files, const WorldRenderJob& job,
                         const std::string& path, const LibrarySet* opened) {
  const WorldGeometry world = GeometryOf(job);
  const long long width = world.Width(), height = world.Height();
  if (width < 1 || height < 1 || width > kMaxWorldPictureSide || height > kMaxWorldPictureSide) {
    return SaveResult::CannotWrite(path, "the picture would be " + std::to_string(width) + " x " +
                                             std::to_string(height) + " pixels");
  }
  const int workers = std::max(1, job.Workers);
  WorkerPool pool(workers);
  std::vector<std::unique_ptr<Worker>> contexts;
  const std::size_t budget = WorkerBudget(workers);
  for (int w = 0; w < workers; ++w) {
    contexts.push_back(std::make_unique<Worker>(budget));
    if (opened) {
      contexts.back()->Libraries.OpenLike(*opened);
    } else if (w == 0) {
      contexts.back()->Libraries.Open(job.Format, job.LibraryFolder);
    } else {
      contexts.back()->Libraries.OpenLike(contexts.front()->Libraries);
    }
  }
  // Each worker opens its own libraries, all of the same files: one of them tells the reach.
  const WorldReach reach = ReachOf(contexts.front()->Libraries);
  for (auto& c : contexts) c->Painter = std::make_unique<WorldPainter>(c->Libraries, budget);

  SafeFileWriter out;
  if (!out.Open(path, SafeFileWriter::OldTail::Drop)) return FileWriteFailure(path);
  errno = 0;
  PngBandWriter png([&](std::span<const std::uint8_t> bytes) { return out.Write(bytes); },
                    static_cast<int>(width), static_cast<int>(height), job.PngLevel);
  auto failed = [&]() -> SaveResult {
    if (out.Failed()) return FileWriteFailure(path);
    return SaveResult::CannotWrite(path, "the picture could not be encoded (out of memory?)");
  };
  if (!png.Begin()) return failed();

  const int stripRows = static_cast<int>(
      std::clamp<long long>(static_cast<long long>(job.StripBytes) / (width * 4), 1, height));
  QImage strip(static_cast<int>(width), stripRows, QImage::Format_RGB32);
  if (strip.isNull()) return SaveResult::CannotWrite(path, "no memory for a band of the picture");
  // Pieces of a strip for the workers: a few each, so that one slow piece does not hold the
  // others up.
  const int chunkWidth =
      static_cast<int>(std::max<long long>(64, (width + 4LL * workers - 1) / (4LL * workers)));
  const int chunks = static_cast<int>((width + chunkWidth - 1) / chunkWidth);

  SegmentRows rows(files, job.Segments.left(), job.Segments.right());
  const int above = (reach.Above + kSegmentSide - 1) / kSegmentSide;
  const int below = (reach.Below + kSegmentSide - 1) / kSegmentSide;
  const int bands = job.Segments.height();
  auto problem = [&](int, int, const std::string& message) {
    if (job.Warn) job.Warn(message + "; the segment is drawn empty");
  };
  for (int band = 0; band < bands; ++band) {
    const int segRow = job.Segments.top() + band;
    // The world ends at its own rows: segments outside it are not part of the picture.
    rows.Hold(std::max(job.Segments.top(), segRow - above),
              std::min(job.Segments.bottom(), segRow + below), pool, problem);
    const long long bandTop = world.PixelY(1LL * band * kSegmentSide);
    const long long bandBottom = world.PixelY(1LL * (band + 1) * kSegmentSide);
    for (long long top = bandTop; top < bandBottom; top += stripRows) {
      const int count = static_cast<int>(std::min<long long>(stripRows, bandBottom - top));
      const QRect area(0, static_cast<int>(top), static_cast<int>(width), count);
      pool.Run(chunks, [&](int i, int w) {
        const int x0 = i * chunkWidth;
        const QRect clip = area & QRect(x0, area.top(), chunkWidth, count);
        contexts[static_cast<std::size_t>(w)]->Painter->Draw(rows, world, reach, strip,
                                                             QPoint(0, area.top()), clip);
      });
      const int parts = std::min(count, 2 * workers);
      std::vector<PngBandWriter::Part> compressed(static_cast<std::size_t>(parts));
      pool.Run(parts, [&](int i, int) {
        const int first = count * i / parts, last = count * (i + 1) / parts;
        compressed[static_cast<std::size_t>(i)] = png.Compress(strip, first, last - first);
      });
      for (const PngBandWriter::Part& part : compressed) {
        if (!png.Add(part)) return failed();
      }
    }
    if (job.Progress) job.Progress(band + 1, bands);
  }
  if (!png.Finish()) return failed();
  if (!out.Commit()) return FileWriteFailure(path);
  return {};
}

}  // namespace hl
