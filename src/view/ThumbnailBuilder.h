#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "map/LibraryFormat.h"
#include "segments/ThumbnailStore.h"
#include "segments/WorldFiles.h"
#include "view/WorldPainter.h"

namespace hl {

// A segment's thumbnail is its part of the world picture at 1/16 (world-render's default):
// 120 x 80 pixels, objects from the segments around it included. Smaller levels halve it,
// for a world shown smaller than its thumbnails.
inline constexpr int kThumbnailScale = 16;
inline constexpr int kThumbnailLevels = 4;  // 120 x 80, 60 x 40, 30 x 20, 15 x 10
QSize ThumbnailSize(int level);

// Makes segment thumbnails in the background, on one thread per core, each with its own
// libraries (they are not thread-safe) and renderer. Thumbnails are kept on disk
// (ThumbnailStore) under a key of every file they were drawn from: the segment, the segments
// whose images may reach into it, and the libraries. A thumbnail whose files changed is made
// again, one whose files did not is read back; nothing is kept in memory here.
//
// The segments asked for (Want) come first, a run of neighbours of a row at a time; then,
// unless told otherwise, the rest of the world is made, a strip of columns at a time from top
// to bottom (each segment file is read about once), so that the next opening of the project
// finds every thumbnail on disk. A strip gives way between its rows to segments asked for.
class ThumbnailBuilder {
 public:
  struct Settings {
    WorldProject Project;
    LibraryFormat Format = LibraryFormat::Data;
    std::string LibraryFolder;
    std::string CacheFolder;  // ThumbnailStore::DefaultFolder() in the editor
    int Workers = 1;
    bool FillWorld = true;  // make every thumbnail, not only those asked for
  };
  struct Picture {
    int Col = 0, Row = 0, Level = 0;
    QImage Image;        // null: no segment file there (or one that is not read)
    bool Built = false;  // drawn now rather than read back from the disk
  };
  // Called on a worker thread with the pictures of a run asked for.
  using Deliver = std::function<void(std::vector<Picture>)>;

  ThumbnailBuilder(Settings settings, Deliver deliver);
  ThumbnailBuilder(const ThumbnailBuilder&) = delete;
  ThumbnailBuilder& operator=(const ThumbnailBuilder&) = delete;
  // Waits for the runs being made (a few segments each), drops the rest.
  ~ThumbnailBuilder();

  // The segments wanted now, in the order wanted, at a level: they replace what was wanted
  // before and not yet begun.
  void Want(const std::vector<QPoint>& segments, int level);
  // Segment files may have come or gone (a first save names a new file).
  void Rescan() { files_.Rescan(); }

  // Why thumbnails are not kept on disk (empty when they are).
  std::string CacheProblem() const { return store_.Problem(); }
  // How many segments of the world have been made or found (FillWorld), of how many.
  long FilledCount() const { return filled_; }
  long WorldCount() const { return 1L * settings_.Project.Cols * settings_.Project.Rows; }
  // Thumbnails drawn, and read back from the disk, since the start.
  long BuiltCount() const { return built_; }
  long ReadCount() const { return read_; }
  // No run waiting or being made.
  bool Idle() const;

 private:
  struct Request {
    int Col, Row, Level;
  };
  // Columns Col0 .. Col1 from row Row on: to the last row for a strip of the world, one row
  // for segments asked for.
  struct Job {
    int Row = 0, Col0 = 0, Col1 = -1, Level = 0;
    bool Deliver = false;  // asked for: the pictures go to Deliver
  };
  struct Worker;

  void Work(int index);
  bool NextJob(Job& job, std::unique_lock<std::mutex>& lock);
  // Makes or finds the thumbnails of one row of a job, with `rows` holding what it needs; those
  // made join `made`, for the caller to store.
  void MakeRow(Worker& worker, SegmentRows& rows, const Job& job, int row,
               std::vector<ThumbnailStore::Thumbnail>& made);
  void RunJob(Worker& worker, Job job);
  ThumbnailKey::Digest KeyOf(int col, int row, const SegmentRows& rows) const;

  Settings settings_;
  Deliver deliver_;
  SegmentFiles files_;
  ThumbnailStore store_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable ready_;
  bool started_ = false;  // worker 0 has measured the reach and stamped the libraries
  bool stopping_ = false;
  std::deque<Request> wanted_;
  std::deque<Job> strips_;  // of the world, not yet begun or given way
  int busy_ = 0;
  WorldReach reach_;
  const LibrarySet* model_ = nullptr;  // worker 0's libraries, which the others open alike
  int opened_ = 0;                     // workers whose libraries are open
  ThumbnailKey::Digest libraries_{};
  std::atomic<long> filled_{0};
  std::atomic<long> built_{0};
  std::atomic<long> read_{0};
  std::vector<std::thread> threads_;
};

}  // namespace hl
