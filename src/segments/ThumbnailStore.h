#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "segments/WorldFiles.h"
#include "util/FileStamp.h"

namespace hl {

// What a thumbnail was made from: a 128-bit FNV-1a digest of everything that decides its
// pixels (the files' stamps, the scale, the libraries). The cache folder is the user's alone,
// so nobody chooses its inputs to make two digests meet.
class ThumbnailKey {
 public:
  using Digest = std::array<std::uint8_t, 16>;

  ThumbnailKey& Add(std::span<const std::uint8_t> bytes);
  ThumbnailKey& Add(std::string_view text);
  ThumbnailKey& Add(std::int64_t number);
  // A file's stamp, or that there is no file.
  ThumbnailKey& Add(const std::optional<FileStamp>& stamp);
  Digest Value() const;

 private:
  // The FNV-1a 128 offset basis, high and low halves.
  std::uint64_t high_ = 0x6C62272E07BB0142ULL;
  std::uint64_t low_ = 0x62B821756295C58DULL;
};

// Segment thumbnails kept on disk between runs, in a folder of each project under the user's
// cache folder, packed 16 x 16 segments to a file, each with a small copy for worlds shown
// small (read without unpacking the thumbnail): a file per segment would cost a world of
// thousands of segments as many files made, and making a file costs more than drawing a
// thumbnail. A thumbnail is found only under the key it was stored with; one that is damaged,
// of another size, or stored under another key counts as missing. The folder is private like
// the recovery folder (the user's own, 0700, not used when others may write in it); packs are
// read without following links and replaced by a rename, never written through a link. They
// are not synced: a pack lost in a crash is only made again.
class ThumbnailStore {
 public:
  // $XDG_CACHE_HOME/harbourlight, else $HOME/.cache/harbourlight; empty without either (a
  // folder that other users share, such as /tmp, will not do).
  static std::string DefaultFolder();

  // The store of `project`'s thumbnails under `cacheFolder` (made when missing).
  ThumbnailStore(const std::string& cacheFolder, const WorldProject& project);

  bool Active() const { return problem_.empty(); }
  // Why thumbnails are not kept on disk, in words for the status bar.
  const std::string& Problem() const { return problem_; }
  const std::string& Folder() const { return folder_; }

  // The RGB pixels (3 bytes a pixel, rows top to bottom) of segment (col, row)'s thumbnail of
  // width x height, when one was stored under `key`.
  std::optional<std::vector<std::uint8_t>> Load(int col, int row, const ThumbnailKey::Digest& key,
                                                int width, int height) const;
  // Its small copy: width / 8 x height / 8 RGB pixels, as the thumbnail was stored with.
  std::optional<std::vector<std::uint8_t>> LoadSmall(int col, int row,
                                                     const ThumbnailKey::Digest& key, int width,
                                                     int height) const;
  // Whether a thumbnail stored under `key` is there, without reading its pixels.
  bool Has(int col, int row, const ThumbnailKey::Digest& key, int width, int height) const;
  // With a small copy of every eighth pixel.
  bool Store(int col, int row, const ThumbnailKey::Digest& key, int width, int height,
             std::span<const std::uint8_t> rgb) const;
  // Several at once, each pack they fall in written once. False when one was not kept. Each
  // comes with its small copy (width / 8 x height / 8, made as the caller likes).
  struct Thumbnail {
    int Col = 0, Row = 0;
    ThumbnailKey::Digest Key{};
    std::vector<std::uint8_t> Rgb;
    std::vector<std::uint8_t> Small;
  };
  bool Store(std::span<const Thumbnail> thumbnails, int width, int height) const;

  static constexpr int kPackSide = 16;
  // The pack that holds segment (col, row)'s thumbnail.
  std::string PackFile(int col, int row) const;

 private:
  bool WritePack(const std::string& target, std::span<const std::uint8_t> bytes) const;

  std::string folder_;
  std::string problem_;
};

}  // namespace hl
