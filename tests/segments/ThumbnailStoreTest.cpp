#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "TempDir.h"
#include "segments/ThumbnailStore.h"

namespace hl {
namespace {

class ThumbnailStoreTest : public ::testing::Test {
 protected:
  WorldProject Project(const std::string& ident = "A") {
    return WorldProject{dir_.Path() + "/", ident, 4, 4};
  }
  static std::vector<std::uint8_t> Pixels(int w, int h, int seed) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w * h * 3));
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * seed / 7);
    return rgb;
  }
  static ThumbnailKey::Digest Key(std::int64_t n) { return ThumbnailKey().Add(n).Value(); }
  std::string Cache() const { return dir_.File("cache"); }

  test::TempDir dir_;
};

TEST_F(ThumbnailStoreTest, KeysTellTheirInputsApart) {
  EXPECT_EQ(ThumbnailKey().Add("ab").Value(), ThumbnailKey().Add("ab").Value());
  EXPECT_NE(ThumbnailKey().Add("ab").Add("c").Value(), ThumbnailKey().Add("a").Add("bc").Value());
  FileStamp stamp{1, 2, 3, 4, 5};
  FileStamp later = stamp;
  later.ModifiedNanoseconds = 6;
  EXPECT_NE(ThumbnailKey().Add(stamp).Value(), ThumbnailKey().Add(later).Value());
  EXPECT_NE(ThumbnailKey().Add(stamp).Value(), ThumbnailKey().Add(std::nullopt).Value());
}

TEST_F(ThumbnailStoreTest, AThumbnailIsFoundUnderItsKeyOnly) {
  const ThumbnailStore store(Cache(), Project());
  ASSERT_TRUE(store.Active()) << store.Problem();
  const auto pixels = Pixels(120, 80, 3);
  EXPECT_FALSE(store.Load(1, 2, Key(1), 120, 80));
  ASSERT_TRUE(store.Store(1, 2, Key(1), 120, 80, pixels));
  EXPECT_EQ(store.Load(1, 2, Key(1), 120, 80), pixels);
  EXPECT_TRUE(store.Has(1, 2, Key(1), 120, 80));
  // Kept alone, a thumbnail's small copy is every eighth pixel of every eighth row.
  const auto small = store.LoadSmall(1, 2, Key(1), 120, 80);
  ASSERT_TRUE(small);
  ASSERT_EQ(small->size(), 15u * 10 * 3);
  const std::size_t at = (8 * 120 * 2 + 8 * 3) * 3;  // pixel (24, 16): small pixel (3, 2)
  EXPECT_TRUE(std::equal(small->begin() + (2 * 15 + 3) * 3, small->begin() + (2 * 15 + 3) * 3 + 3,
                         pixels.begin() + static_cast<std::ptrdiff_t>(at)));
  EXPECT_FALSE(store.Load(1, 2, Key(2), 120, 80));
  EXPECT_FALSE(store.Load(1, 2, Key(1), 60, 40));
  EXPECT_FALSE(store.Load(2, 1, Key(1), 120, 80));
  // Another project (or the same folder under another ident) keeps its own.
  const ThumbnailStore other(Cache(), Project("B"));
  EXPECT_NE(other.Folder(), store.Folder());
  EXPECT_FALSE(other.Load(1, 2, Key(1), 120, 80));
  // A new key replaces the old thumbnail.
  ASSERT_TRUE(store.Store(1, 2, Key(2), 120, 80, Pixels(120, 80, 5)));
  EXPECT_FALSE(store.Load(1, 2, Key(1), 120, 80));
  EXPECT_EQ(store.Load(1, 2, Key(2), 120, 80), Pixels(120, 80, 5));
  EXPECT_FALSE(store.Store(1, 2, Key(2), 120, 80, Pixels(120, 79, 5)));
}

TEST_F(ThumbnailStoreTest, ThumbnailsShareAPackAndADamagedOneIsAMiss) {
  const ThumbnailStore store(Cache(), Project());
  // (0, 0), (15, 15) and (3, 2) share a pack; (16, 0) has one of its own.
  const std::vector<std::uint8_t> small(3 * 2 * 3, 7);
  std::vector<ThumbnailStore::Thumbnail> three = {{0, 0, Key(1), Pixels(30, 20, 1), small},
                                                  {15, 15, Key(2), Pixels(30, 20, 2), small},
                                                  {16, 0, Key(3), Pixels(30, 20, 3), small}};
  ASSERT_TRUE(store.Store(three, 30, 20));
  ASSERT_TRUE(store.Store(3, 2, Key(4), 30, 20, Pixels(30, 20, 4)));
  EXPECT_EQ(store.PackFile(0, 0), store.PackFile(15, 15));
  EXPECT_NE(store.PackFile(0, 0), store.PackFile(16, 0));
  EXPECT_EQ(test::ListDirectory(store.Folder()).size(), 2u);
  for (const auto& t : three) {
    EXPECT_EQ(store.Load(t.Col, t.Row, t.Key, 30, 20), t.Rgb);
    EXPECT_EQ(store.LoadSmall(t.Col, t.Row, t.Key, 30, 20), small);
  }
  // A small copy of the wrong size is refused.
  EXPECT_FALSE(store.Store(
      std::vector{ThumbnailStore::Thumbnail{1, 1, Key(1), Pixels(30, 20, 1), {}}}, 30, 20));
  EXPECT_EQ(store.Load(3, 2, Key(4), 30, 20), Pixels(30, 20, 4));
  EXPECT_FALSE(store.Load(1, 0, Key(1), 30, 20));  // never stored

  // The first thumbnail in the pack follows its index: its small copy, then its pixels.
  const std::string pack = store.PackFile(0, 0);
  const auto bytes = test::ReadFileBytes(pack);
  const std::size_t firstData = 16 + 32 * 256;
  auto damaged = bytes;
  damaged[firstData + 1] ^= 0x40;
  test::WriteFileBytes(pack, damaged);
  EXPECT_FALSE(store.LoadSmall(0, 0, Key(1), 30, 20));
  EXPECT_TRUE(store.Load(0, 0, Key(1), 30, 20));
  damaged = bytes;
  damaged[firstData + small.size() + 10] ^= 0x40;
  test::WriteFileBytes(pack, damaged);
  EXPECT_FALSE(store.Load(0, 0, Key(1), 30, 20));
  EXPECT_EQ(store.Load(15, 15, Key(2), 30, 20), Pixels(30, 20, 2));
  // Storing beside a damaged thumbnail drops it and keeps the others.
  ASSERT_TRUE(store.Store(5, 5, Key(5), 30, 20, Pixels(30, 20, 5)));
  EXPECT_FALSE(store.Has(0, 0, Key(1), 30, 20));
  EXPECT_TRUE(store.Has(15, 15, Key(2), 30, 20));
  // Cut short, or with its header changed, a pack holds nothing.
  test::WriteFileBytes(pack, {bytes.begin(), bytes.begin() + 100});
  EXPECT_FALSE(store.Load(15, 15, Key(2), 30, 20));
  damaged = bytes;
  damaged[3] = 'X';
  test::WriteFileBytes(pack, damaged);
  EXPECT_FALSE(store.Load(15, 15, Key(2), 30, 20));
  test::WriteFileBytes(pack, bytes);
  EXPECT_EQ(store.Load(15, 15, Key(2), 30, 20), Pixels(30, 20, 2));
}

TEST_F(ThumbnailStoreTest, LinksAreNeverFollowed) {
  const ThumbnailStore store(Cache(), Project());
  ASSERT_TRUE(store.Store(0, 0, Key(1), 30, 20, Pixels(30, 20, 1)));
  const auto bytes = test::ReadFileBytes(store.PackFile(0, 0));
  // A link planted at a pack's name is neither read nor written through.
  const std::string victim = dir_.File("victim");
  test::WriteFileBytes(victim, bytes);
  const std::string pack = store.PackFile(16, 0);
  ASSERT_EQ(::symlink(victim.c_str(), pack.c_str()), 0);
  EXPECT_FALSE(store.Load(16, 0, Key(1), 30, 20));
  ASSERT_TRUE(store.Store(16, 0, Key(1), 30, 20, Pixels(30, 20, 9)));
  EXPECT_EQ(test::ReadFileBytes(victim), bytes);
  struct stat st {};
  ASSERT_EQ(::lstat(pack.c_str(), &st), 0);
  EXPECT_TRUE(S_ISREG(st.st_mode));
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(store.Load(16, 0, Key(1), 30, 20), Pixels(30, 20, 9));
}

TEST_F(ThumbnailStoreTest, TheFolderIsTheUsersAlone) {
  const ThumbnailStore store(Cache(), Project());
  struct stat st {};
  ASSERT_EQ(::stat(Cache().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_EQ(::chmod(Cache().c_str(), 0777), 0);
  const ThumbnailStore shared(Cache(), Project());
  EXPECT_FALSE(shared.Active());
  EXPECT_NE(shared.Problem().find("other users may write in it"), std::string::npos)
      << shared.Problem();
  EXPECT_FALSE(shared.Store(0, 0, Key(1), 30, 20, Pixels(30, 20, 1)));
  EXPECT_FALSE(ThumbnailStore("", Project()).Active());
}

TEST_F(ThumbnailStoreTest, TheDefaultFolderIsTheUsersCacheFolder) {
  const char* cache = std::getenv("XDG_CACHE_HOME");
  const char* home = std::getenv("HOME");
  const std::string keepCache = cache ? cache : "", keepHome = home ? home : "";
  ::setenv("XDG_CACHE_HOME", "/x/cache", 1);
  EXPECT_EQ(ThumbnailStore::DefaultFolder(), "/x/cache/harbourlight");
  ::setenv("XDG_CACHE_HOME", "relative", 1);  // not an absolute path: ignored
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(ThumbnailStore::DefaultFolder(), "/home/u/.cache/harbourlight");
  ::unsetenv("XDG_CACHE_HOME");
  ::unsetenv("HOME");
  EXPECT_EQ(ThumbnailStore::DefaultFolder(), "");
  cache ? ::setenv("XDG_CACHE_HOME", keepCache.c_str(), 1) : ::unsetenv("XDG_CACHE_HOME");
  home ? ::setenv("HOME", keepHome.c_str(), 1) : ::unsetenv("HOME");
}

}  // namespace
}  // namespace hl
