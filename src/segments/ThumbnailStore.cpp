#include "segments/ThumbnailStore.h"

#include <fcntl.h>
#include <unistd.h>
#include <libdeflate.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <new>
#include <random>

#include "util/FileReader.h"
#include "util/LittleEndian.h"
#include "util/PrivateFolder.h"
#include "util/TextHelpers.h"

namespace hl {

namespace {

__extension__ using Hash128 = unsigned __int128;

// Thumbnails are compressed with libdeflate: as small as zlib makes them, in less than half
// the time, which is most of what making a thumbnail costs. Each thread keeps its own
// compressor (they are not thread-safe, and costly to make).
libdeflate_compressor& Compressor() {
  struct Owned {
    libdeflate_compressor* Ptr = libdeflate_alloc_compressor(1);
    ~Owned() { libdeflate_free_compressor(Ptr); }
  };
  thread_local Owned owned;
  if (!owned.Ptr) throw std::bad_alloc();
  return *owned.Ptr;
}

libdeflate_decompressor& Decompressor() {
  struct Owned {
    libdeflate_decompressor* Ptr = libdeflate_alloc_decompressor();
    ~Owned() { libdeflate_free_decompressor(Ptr); }
  };
  thread_local Owned owned;
  if (!owned.Ptr) throw std::bad_alloc();
  return *owned.Ptr;
}

// Far above any thumbnail the editor makes (120 x 80), far below what would cost memory.
constexpr int kMaxSide = 1024;

std::string Environment(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::string Hex(const ThumbnailKey::Digest& digest) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::uint8_t b : digest) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

}  // namespace

ThumbnailKey& ThumbnailKey::Add(std::span<const std::uint8_t> bytes) {
  constexpr Hash128 kPrime = (static_cast<Hash128>(1) << 88) + 0x13B;
  Hash128 hash = static_cast<Hash128>(high_) << 64 | low_;
  for (std::uint8_t b : bytes) {
    hash ^= b;
    hash *= kPrime;
  }
  high_ = static_cast<std::uint64_t>(hash >> 64);
  low_ = static_cast<std::uint64_t>(hash);
  return *this;
}

ThumbnailKey& ThumbnailKey::Add(std::string_view text) {
  // The length first, so that two texts never read as one.
  Add(static_cast<std::int64_t>(text.size()));
  return Add({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
}

ThumbnailKey& ThumbnailKey::Add(std::int64_t number) {
  std::array<std::uint8_t, 8> bytes{};
  StoreLE<std::int64_t>(bytes.data(), number);
  return Add(bytes);
}

ThumbnailKey& ThumbnailKey::Add(const std::optional<FileStamp>& stamp) {
  if (!stamp) return Add(std::int64_t{-1});
  Add(static_cast<std::int64_t>(stamp->Device));
  Add(static_cast<std::int64_t>(stamp->Inode));
  Add(static_cast<std::int64_t>(stamp->Size));
  Add(stamp->ModifiedSeconds);
  return Add(stamp->ModifiedNanoseconds);
}

ThumbnailKey::Digest ThumbnailKey::Value() const {
  Digest digest{};
  StoreLE<std::uint64_t>(digest.data(), low_);
  StoreLE<std::uint64_t>(digest.data() + 8, high_);
  return digest;
}

std::string ThumbnailStore::DefaultFolder() {
  if (std::string cache = Environment("XDG_CACHE_HOME"); !cache.empty() && cache[0] == '/')
    return cache + "/harbourlight";
  // Without a home there is no folder of the user's own; one under /tmp could have been made
  // first by anyone.
  if (std::string home = Environment("HOME"); !home.empty() && home[0] == '/')
    return home + "/.cache/harbourlight";
  return {};
}

ThumbnailStore::ThumbnailStore(const std::string& cacheFolder, const WorldProject& project) {
  std::string root = cacheFolder;
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  if (root.empty()) {
    problem_ =
        "HOME is not set, and a folder other users share will not do (set XDG_CACHE_HOME to a "
        "folder of your own)";
    return;
  }
  // One folder per project: its folder (as the system resolves it, so that two ways to the
  // same place share thumbnails) and its ident.
  char resolved[PATH_MAX];
  const std::string dir = ::realpath(project.Dir.c_str(), resolved) ? resolved : project.Dir;
  const std::string name = Hex(ThumbnailKey().Add(dir).Add(project.Ident).Value());
  const std::string cannotUse = "cannot use \"" + EscapeForDisplay(root) + "\": ";
  // The cache folder itself is checked as the recovery folder is; the folders made inside it
  // are the user's as well.
  for (const std::string& folder : {root, root + "/thumbnails", root + "/thumbnails/" + name}) {
    if (!MakePrivateFolders(folder)) {
      problem_ = cannotUse + std::strerror(errno);
      return;
    }
    if (std::string problem = PrivateFolderProblem(folder); !problem.empty()) {
      problem_ = "cannot use \"" + EscapeForDisplay(folder) + "\": " + problem;
      return;
    }
  }
  folder_ = root + "/thumbnails/" + name;
}

std::string ThumbnailStore::PackFile(int col, int row) const {
  return folder_ + "/" + std::to_string(col / kPackSide) + "-" + std::to_string(row / kPackSide) +
         ".pack";
}

namespace {

// A pack: the header, an index entry for each of its 16 x 16 segments, then the compressed
// pixels of the thumbnails it holds, each where its entry says.
constexpr std::array<std::uint8_t, 8> kPackMagic = {'H', 'L', 'T', 'P', 'A', 'C', 'K', 1};
constexpr std::size_t kPackHeaderSize = 8 + 2 + 2 + 4;
// Key, offset, length of the compressed pixels, their CRC-32, and the CRC-32 of the small copy
// that comes first at the offset.
constexpr std::size_t kEntrySize = 16 + 4 + 4 + 4 + 4;
constexpr int kPackEntries = ThumbnailStore::kPackSide * ThumbnailStore::kPackSide;
constexpr std::size_t kIndexEnd = kPackHeaderSize + kEntrySize * kPackEntries;

struct PackEntry {
  ThumbnailKey::Digest Key{};
  std::uint32_t Offset = 0, Length = 0, Crc = 0, SmallCrc = 0;
};

// The small copy of a thumbnail: an eighth a side, for worlds shown small, kept raw so that
// a whole world of them is read at once.
std::size_t SmallBytes(int width, int height) {
  return static_cast<std::size_t>(width / 8) * static_cast<std::size_t>(height / 8) * 3;
}

std::size_t SlotOf(int col, int row) {
  return static_cast<std::size_t>(row % ThumbnailStore::kPackSide * ThumbnailStore::kPackSide +
                                  col % ThumbnailStore::kPackSide);
}

// Room the compressed pixels of a thumbnail may take: a little more than the pixels.
std::size_t MaxPacked(int width, int height) {
  const std::size_t raw = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  return raw + raw / 8 + 1024;
}

// The index of the pack at `path`, when it is a pack of thumbnails of width x height.
std::optional<std::array<PackEntry, kPackEntries>> ReadIndex(FileReader& file,
                                                            const std::string& path, int width,
                                                            int height) {
  if (!file.Open(path, Links::Refuse)) return std::nullopt;
  std::vector<std::uint8_t> head(kIndexEnd);
  if (file.Read(head) != head.size() || !std::equal(kPackMagic.begin(), kPackMagic.end(), head.begin()) ||
      LoadLE<std::uint16_t>(head.data() + 8) != width ||
      LoadLE<std::uint16_t>(head.data() + 10) != height) {
    return std::nullopt;
  }
  std::array<PackEntry, kPackEntries> index;
  for (int i = 0; i < kPackEntries; ++i) {
    const std::uint8_t* e = head.data() + kPackHeaderSize + kEntrySize * static_cast<std::size_t>(i);
    PackEntry& entry = index[static_cast<std::size_t>(i)];
    std::copy_n(e, 16, entry.Key.begin());
    entry.Offset = LoadLE<std::uint32_t>(e + 16);
    entry.Length = LoadLE<std::uint32_t>(e + 20);
    entry.Crc = LoadLE<std::uint32_t>(e + 24);
    entry.SmallCrc = LoadLE<std::uint32_t>(e + 28);
    // An entry outside the file, or larger than any thumbnail, holds nothing.
    if (entry.Length > MaxPacked(width, height) || entry.Offset < kIndexEnd ||
        entry.Offset + SmallBytes(width, height) + std::uint64_t{entry.Length} > file.Size()) {
      entry.Length = 0;
    }
  }
  return index;
}

// The compressed pixels of an entry, after its small copy, when they are whole.
std::optional<std::vector<std::uint8_t>> ReadPacked(FileReader& file, const PackEntry& entry,
                                                    std::size_t smallBytes) {
  if (entry.Length == 0) return std::nullopt;
  std::vector<std::uint8_t> packed(entry.Length);
  if (file.ReadAt(entry.Offset + smallBytes, packed) != packed.size() ||
      libdeflate_crc32(0, packed.data(), packed.size()) != entry.Crc) {
    return std::nullopt;
  }
  return packed;
}

// The small copy of an entry, when it is whole.
std::optional<std::vector<std::uint8_t>> ReadSmall(FileReader& file, const PackEntry& entry,
                                                   std::size_t smallBytes) {
  if (entry.Length == 0) return std::nullopt;
  std::vector<std::uint8_t> small(smallBytes);
  if (file.ReadAt(entry.Offset, small) != small.size() ||
      libdeflate_crc32(0, small.data(), small.size()) != entry.SmallCrc) {
    return std::nullopt;
  }
  return small;
}

// The entry of segment (col, row)'s thumbnail of width x height in the pack at `path`, when
// one is stored there under `key` (its Length may still be 0: nothing whole is there).
std::optional<PackEntry> FindEntry(FileReader& file, const std::string& path, int col, int row,
                                   const ThumbnailKey::Digest& key, int width, int height) {
  if (col < 0 || row < 0 || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) {
    return std::nullopt;
  }
  const auto index = ReadIndex(file, path, width, height);
  if (!index || (*index)[SlotOf(col, row)].Key != key) return std::nullopt;
  return (*index)[SlotOf(col, row)];
}

// Writers of one pack take turns: two threads storing thumbnails of the same pack would each
// drop the other's. (Two programs may still; a thumbnail lost so is only made again.)
std::mutex& PackMutex(const std::string& path) {
  static std::array<std::mutex, 64> mutexes;
  return mutexes[std::hash<std::string>()(path) % mutexes.size()];
}

}  // namespace

std::optional<std::vector<std::uint8_t>> ThumbnailStore::Load(int col, int row,
                                                              const ThumbnailKey::Digest& key,
                                                              int width, int height) const {
  if (!Active()) return std::nullopt;
  FileReader file;
  const auto entry = FindEntry(file, PackFile(col, row), col, row, key, width, height);
  if (!entry) return std::nullopt;
  const auto packed = ReadPacked(file, *entry, SmallBytes(width, height));
  if (!packed) return std::nullopt;
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
  std::size_t got = 0;
  if (libdeflate_zlib_decompress(&Decompressor(), packed->data(), packed->size(), rgb.data(),
                                 rgb.size(), &got) != LIBDEFLATE_SUCCESS ||
      got != rgb.size()) {
    return std::nullopt;
  }
  return rgb;
}

std::optional<std::vector<std::uint8_t>> ThumbnailStore::LoadSmall(int col, int row,
                                                                   const ThumbnailKey::Digest& key,
                                                                   int width, int height) const {
  if (!Active()) return std::nullopt;
  FileReader file;
  const auto entry = FindEntry(file, PackFile(col, row), col, row, key, width, height);
  if (!entry) return std::nullopt;
  return ReadSmall(file, *entry, SmallBytes(width, height));
}

bool ThumbnailStore::Has(int col, int row, const ThumbnailKey::Digest& key, int width,
                         int height) const {
  if (!Active()) return false;
  FileReader file;
  const auto entry = FindEntry(file, PackFile(col, row), col, row, key, width, height);
  return entry && entry->Length > 0;
}

bool ThumbnailStore::Store(int col, int row, const ThumbnailKey::Digest& key, int width,
                           int height, std::span<const std::uint8_t> rgb) const {
  Thumbnail one{col, row, key, {rgb.begin(), rgb.end()}, {}};
  // The small copy: every eighth pixel of every eighth row.
  for (int y = 0; y < height / 8; ++y) {
    for (int x = 0; x < width / 8; ++x) {
      const auto at = (static_cast<std::size_t>(y) * 8 * static_cast<std::size_t>(width) +
                       static_cast<std::size_t>(x) * 8) *
                      3;
      one.Small.insert(one.Small.end(), rgb.begin() + static_cast<std::ptrdiff_t>(at),
                       rgb.begin() + static_cast<std::ptrdiff_t>(at + 3));
    }
  }
  return Store({&one, 1}, width, height);
}

bool ThumbnailStore::Store(std::span<const Thumbnail> thumbnails, int width, int height) const {
  const std::size_t raw = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  if (!Active() || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return false;
  const std::size_t small = SmallBytes(width, height);
  for (const Thumbnail& t : thumbnails) {
    if (t.Col < 0 || t.Row < 0 || t.Rgb.size() != raw || t.Small.size() != small) return false;
  }
  bool all = true;
  std::vector<bool> done(thumbnails.size());
  for (std::size_t first = 0; first < thumbnails.size(); ++first) {
    if (done[first]) continue;
    const std::string path = PackFile(thumbnails[first].Col, thumbnails[first].Row);
    std::lock_guard lock(PackMutex(path));
    // What the pack holds, kept as it is but for the thumbnails stored now.
    std::array<PackEntry, kPackEntries> index{};
    std::array<std::vector<std::uint8_t>, kPackEntries> data;
    FileReader file;
    if (const auto old = ReadIndex(file, path, width, height)) {
      for (std::size_t i = 0; i < old->size(); ++i) {
        auto copy = ReadSmall(file, (*old)[i], small);
        auto packed = ReadPacked(file, (*old)[i], small);
        if (!copy || !packed) continue;
        index[i] = (*old)[i];
        data[i] = std::move(*copy);
        data[i].insert(data[i].end(), packed->begin(), packed->end());
      }
    }
    file.Close();
    libdeflate_compressor& compressor = Compressor();
    for (std::size_t i = first; i < thumbnails.size(); ++i) {
      const Thumbnail& t = thumbnails[i];
      if (done[i] || PackFile(t.Col, t.Row) != path) continue;
      done[i] = true;
      thread_local std::vector<std::uint8_t> scratch;
      scratch.resize(libdeflate_zlib_compress_bound(&compressor, raw));
      const std::size_t length =
          libdeflate_zlib_compress(&compressor, t.Rgb.data(), raw, scratch.data(), scratch.size());
      if (length == 0 || length > MaxPacked(width, height)) {
        all = false;
        continue;
      }
      std::vector<std::uint8_t> packed(t.Small);
      packed.insert(packed.end(), scratch.begin(),
                    scratch.begin() + static_cast<std::ptrdiff_t>(length));
      const std::size_t slot = SlotOf(t.Col, t.Row);
      index[slot].Key = t.Key;
      index[slot].SmallCrc = libdeflate_crc32(0, packed.data(), small);
      index[slot].Crc = libdeflate_crc32(0, packed.data() + small, length);
      index[slot].Length = static_cast<std::uint32_t>(length);
      data[slot] = std::move(packed);
    }
    std::size_t total = kIndexEnd;
    for (const auto& d : data) total += d.size();
    std::vector<std::uint8_t> bytes(kIndexEnd);
    bytes.reserve(total);
    std::copy(kPackMagic.begin(), kPackMagic.end(), bytes.begin());
    StoreLE<std::uint16_t>(bytes.data() + 8, static_cast<std::uint16_t>(width));
    StoreLE<std::uint16_t>(bytes.data() + 10, static_cast<std::uint16_t>(height));
    for (std::size_t i = 0; i < index.size(); ++i) {
      std::uint8_t* e = bytes.data() + kPackHeaderSize + kEntrySize * i;
      if (data[i].empty()) continue;
      std::copy(index[i].Key.begin(), index[i].Key.end(), e);
      StoreLE<std::uint32_t>(e + 16, static_cast<std::uint32_t>(bytes.size()));
      StoreLE<std::uint32_t>(e + 20, index[i].Length);
      StoreLE<std::uint32_t>(e + 24, index[i].Crc);
      StoreLE<std::uint32_t>(e + 28, index[i].SmallCrc);
      bytes.insert(bytes.end(), data[i].begin(), data[i].end());
    }
    all = WritePack(path, bytes) && all;
  }
  return all;
}

bool ThumbnailStore::WritePack(const std::string& target, std::span<const std::uint8_t> bytes) const {
  // A name of its own nobody can have put a link at, then a rename over the old file: a
  // link at the pack's name is replaced, never followed.
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
    temp = target + "." + std::to_string(random()) + ".tmp";
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  const bool closed = ::close(fd) == 0;
  if (written != bytes.size() || !closed || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace hl
