// Decoded images stay within their budget, shared by the libraries of a set, whatever the
// libraries declare.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "LibraryTestSupport.h"
#include "TempDir.h"
#include "images/ImageMemory.h"
#include "images/LibrarySet.h"
#include "images/LibraryWriter.h"
#include "images/TFirImages.h"

namespace hl {
namespace {

constexpr int kSide = 256;  // a decoded image of 256 x 256 5-6-5 pixels holds 128 KiB
constexpr std::size_t kImageBytes = kSide * kSide * 2;

class ImageMemoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    messages_.clear();
    ImageBudget::SetReporter([this](const std::string& m) { messages_.push_back(m); });
  }
  void TearDown() override { ImageBudget::SetReporter({}); }

  // A library of `count` images of kSide x kSide, and one of twice the side at the end.
  std::unique_ptr<TFirImages> Library(const std::string& name, int count) {
    std::vector<LibraryImage> images;
    for (int i = 0; i < count; ++i) images.push_back(test::PatternImage(kSide, kSide, 16, i));
    images.push_back(test::PatternImage(2 * kSide, 2 * kSide, 16, 99));
    const SaveResult written = WriteDataLibrary(dir_.File(name), 3, images);
    EXPECT_TRUE(written) << written.Message();
    auto lib = std::make_unique<TFirImages>(clock_.Function());
    lib->FileName = dir_.File(name);
    lib->Open();
    EXPECT_TRUE(lib->Initialized);
    return lib;
  }

  test::TempDir dir_;
  test::ManualClock clock_;
  std::vector<std::string> messages_;
};

TEST_F(ImageMemoryTest, LeastRecentlyUsedImagesOfAllSharingLibrariesGoFirst) {
  ImageMemory memory(3 * kImageBytes + kImageBytes / 2);  // room for three
  auto a = Library("A.Data", 4);
  auto b = Library("B.Data", 4);
  a->ShareMemory(memory);
  b->ShareMemory(memory);
  ASSERT_NE(a->GetBitmap(0), nullptr);
  clock_.Now += 10;
  ASSERT_NE(b->GetBitmap(0), nullptr);
  clock_.Now += 10;
  ASSERT_NE(a->GetBitmap(1), nullptr);
  clock_.Now += 10;
  ASSERT_NE(a->GetBitmap(0), nullptr);  // used again: now B's image is the oldest
  EXPECT_EQ(memory.Used(), 3 * kImageBytes);

  clock_.Now += 10;
  const QImage* fourth = b->GetBitmap(1);
  ASSERT_NE(fourth, nullptr);
  EXPECT_EQ(fourth->width(), kSide);
  EXPECT_LE(memory.Used(), memory.Budget());
  EXPECT_EQ(b->Images[0].Bitmap, nullptr);  // the oldest went
  EXPECT_NE(a->Images[0].Bitmap, nullptr);  // the freshest stayed
  // Freed images come back on request, and the lists hold only what is decoded.
  ASSERT_NE(b->GetBitmap(0), nullptr);
  for (auto* lib : {a.get(), b.get()}) {
    for (int index : lib->LoadedList) EXPECT_NE(lib->Images[index].Bitmap, nullptr);
  }
  EXPECT_TRUE(messages_.empty());
}

TEST_F(ImageMemoryTest, ManyRequestsNeverOutgrowTheBudgetAndEachGetsItsImage) {
  ImageMemory memory(5 * kImageBytes);
  auto lib = Library("Many.Data", 24);
  lib->ShareMemory(memory);
  for (int round = 0; round < 3; ++round) {
    for (int i = 0; i < 24; ++i) {
      clock_.Now += 1;
      const QImage* image = lib->GetBitmap(i);
      ASSERT_NE(image, nullptr) << i;
      EXPECT_EQ(image->width(), kSide);
      ASSERT_NE(lib->GetTexture(i), nullptr);  // the other form of the same image stays
      EXPECT_NE(lib->Images[static_cast<std::size_t>(i)].Bitmap, nullptr);
      EXPECT_LE(memory.Used(), memory.Budget());
    }
  }
  lib->FreeAllImages();
  EXPECT_EQ(memory.Used(), 0u);
}

TEST_F(ImageMemoryTest, AnImageLargerThanTheBudgetIsMissingAndSaidOnce) {
  ImageMemory memory(2 * kImageBytes);  // the large image needs four
  auto lib = Library("Large.Data", 2);
  lib->ShareMemory(memory);
  ASSERT_NE(lib->GetBitmap(0), nullptr);
  EXPECT_EQ(lib->GetBitmap(2), nullptr);
  EXPECT_EQ(lib->GetBitmap(2), nullptr);
  EXPECT_EQ(lib->GetTexture(2), nullptr);
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_NE(messages_[0].find("image 2 of '" + dir_.File("Large.Data") + "'"), std::string::npos);
  EXPECT_NE(lib->GetBitmap(0), nullptr);  // what fitted stays
  EXPECT_EQ(memory.Used(), kImageBytes);
}

TEST_F(ImageMemoryTest, TheVariableLowersTheBudgetButNeverRaisesIt) {
  const char* name = ImageBudget::kVariable;
  setenv(name, "64", 1);
  EXPECT_EQ(ImageBudget::Bytes(), std::size_t{64} << 20);
  setenv(name, "100000", 1);
  EXPECT_EQ(ImageBudget::Bytes(), ImageBudget::kDefaultBytes);
  for (const char* bad : {"", "12x", "-5"}) {
    setenv(name, bad, 1);
    EXPECT_EQ(ImageBudget::Bytes(), ImageBudget::kDefaultBytes) << bad;
  }
  unsetenv(name);
  EXPECT_EQ(ImageBudget::Bytes(), ImageBudget::kDefaultBytes);
}

TEST_F(ImageMemoryTest, ALibrarySetSharesOneBudgetThatOutlivesItsLibraries) {
  for (const char* name : {"Tiles.Data", "Objects.Data"}) Library(name, 2);
  setenv(ImageBudget::kVariable, "1", 1);
  {
    LibrarySet set;
    set.Open(LibraryFormat::Data, dir_.Path());
    unsetenv(ImageBudget::kVariable);
    ASSERT_NE(set.Tiles().GetBitmap(0), nullptr);
    ASSERT_NE(set.ObjectSlotLibrary(0).GetBitmap(1), nullptr);
    EXPECT_EQ(set.Memory().Used(), 2 * kImageBytes);
    EXPECT_EQ(&set.Tiles().Memory(), &set.Memory());
    set.Open(LibraryFormat::Data, dir_.Path());  // the old libraries leave nothing counted
    EXPECT_EQ(set.Memory().Used(), 0u);
    ASSERT_NE(set.Tiles().GetBitmap(0), nullptr);
  }  // destroyed in order: no use of a freed budget (the sanitizers watch)
}

}  // namespace
}  // namespace hl
