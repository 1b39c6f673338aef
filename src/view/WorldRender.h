#pragma once

#include <functional>
#include <string>

#include "images/PngFile.h"
#include "map/LibraryFormat.h"
#include "segments/WorldFiles.h"
#include "util/SaveResult.h"
#include "view/WorldPainter.h"

namespace hl {

// PNG keeps sizes in 31 bits, but viewers and decoders take 65,535 pixels a side at most.
inline constexpr long long kMaxWorldPictureSide = 65535;
inline constexpr int kMaxWorldScale = 64;  // 1/1 .. 1/64

// A picture of a world (a rectangle of a project's segments) drawn and written a band of
// segment rows at a time.
struct WorldRenderJob {
  QRect Segments;  // the segments of the world, of the project
  int Scale = 16;  // the picture is drawn at 1 / Scale
  LibraryFormat Format = LibraryFormat::Data;
  std::string LibraryFolder;
  int PngLevel = kFastPngLevel;
  int Workers = 1;
  // A band is drawn in strips of pixel rows that hold at most this much, so that a picture
  // 65,535 pixels wide at 1/1 (a segment row is 1,280 pixels high) needs no more.
  std::size_t StripBytes = std::size_t{32} << 20;
  // After each band: how many of the world's segment rows are done.
  std::function<void(int done, int total)> Progress;
  // Segments that could not be read (drawn empty), and other things worth knowing.
  std::function<void(const std::string&)> Warn;
};

// The world's cells and the scale of a job.
WorldGeometry GeometryOf(const WorldRenderJob& job);

// Draws the world and writes it as PNG to `path`, which is replaced only when the picture is
// complete. Memory is one band of pixels (at most a few tens of MiB, whatever the width), the
// segment rows that band's images may reach, and the libraries of each worker; every worker
// draws and compresses part of each band.
// `opened`, when given, is a set of the job's libraries already open: the workers' sets open
// the same files without looking for them again.
SaveResult WriteWorldPng(const SegmentFiles& files, const WorldRenderJob& job,
                         const std::string& path, const LibrarySet* opened = nullptr);

}  // namespace hl
