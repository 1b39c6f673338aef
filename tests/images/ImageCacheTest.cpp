#include <gtest/gtest.h>

#include <memory>

#include "LibraryTestSupport.h"
#include "TempDir.h"
#include "images/LibraryWriter.h"
#include "images/TFirImages.h"

namespace hl {
namespace {

class ImageCacheTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<LibraryImage> images;
    for (int i = 0; i < 4; ++i) images.push_back(test::PatternImage(8, 8, 16, i));

    const SaveResult written = WriteDataLibrary(dir_.File("Lib.Data"), 0, images);
    ASSERT_TRUE(written) << written.Message();
    // Image 3 becomes one that decodes to nothing: width 0.
    auto bytes = test::ReadFileBytes(dir_.File("Lib.Data"));
    const auto position = static_cast<std::size_t>(bytes[60 + 12] | bytes[60 + 13] << 8);
    bytes[position] = 0;
    test::WriteFileBytes(dir_.File("Lib.Data"), bytes);
    lib_ = std::make_unique<TFirImages>(clock_.Function());
    lib_->FileName = dir_.File("Lib.Data");
    lib_->Open();
    ASSERT_TRUE(lib_->Initialized);
  }
  const TImageEntry& Entry(int i) { return lib_->Images[static_cast<std::size_t>(i)]; }

  test::TempDir dir_;
  test::ManualClock clock_;
  std::unique_ptr<TFirImages> lib_;
};

TEST_F(ImageCacheTest, OutOfRangeRequestsReturnNoneWithoutSweeping) {
  clock_.Now += 60000;
  const std::uint32_t before = lib_->LastSweepTime;
  EXPECT_EQ(lib_->GetBitmap(-1), nullptr);
  EXPECT_EQ(lib_->GetBitmap(lib_->ImageCount), nullptr);
  EXPECT_EQ(lib_->GetTexture(lib_->ImageCount), nullptr);
  EXPECT_EQ(lib_->LastSweepTime, before);
}

TEST_F(ImageCacheTest, BothFormsLiveSideBySideAndShareTheirLastAccess) {
  ASSERT_NE(lib_->GetTexture(0), nullptr);
  EXPECT_EQ(Entry(0).Bitmap, nullptr);
  clock_.Now += 100;
  ASSERT_NE(lib_->GetBitmap(0), nullptr);
  EXPECT_NE(Entry(0).Texture, nullptr);
  EXPECT_EQ(lib_->LoadedList, (std::vector<int>{0, 0}));
  clock_.Now += 100;
  const QImage* first = lib_->GetBitmap(0);
  EXPECT_EQ(lib_->GetBitmap(0), first);  // cached: the same image, no second decode
  EXPECT_EQ(Entry(0).LastAccess, clock_.Now);
  EXPECT_EQ(lib_->LoadedList.size(), 2u);
}

TEST_F(ImageCacheTest, SweepFreesIdleImagesButNeverTheOneRequested) {
  lib_->GetBitmap(0);
  lib_->GetBitmap(1);
  clock_.Now += 300001;
  // The request that triggers the sweep keeps its own image, idle as it was.
  ASSERT_NE(lib_->GetBitmap(0), nullptr);
  EXPECT_NE(Entry(0).Bitmap, nullptr);
  EXPECT_EQ(Entry(1).Bitmap, nullptr);
  EXPECT_EQ(lib_->LoadedList, (std::vector<int>{0}));
  // Freed images come back on their next request.
  EXPECT_NE(lib_->GetBitmap(1), nullptr);
  EXPECT_EQ(lib_->LoadedList, (std::vector<int>{0, 1}));
}

TEST_F(ImageCacheTest, SweepsRunAtMostEveryFiveSeconds) {
  lib_->GetBitmap(1);
  clock_.Now += 299000;
  lib_->GetBitmap(0);  // sweeps; image 1 is not idle long enough
  clock_.Now += 4000;  // image 1 now idle for 303 s, but the last sweep was 4 s ago
  lib_->GetBitmap(0);
  EXPECT_NE(Entry(1).Bitmap, nullptr);
  clock_.Now += 1001;
  lib_->GetBitmap(0);
  EXPECT_EQ(Entry(1).Bitmap, nullptr);
}

TEST_F(ImageCacheTest, AWrappingClockFreesNothingEarly) {
  clock_.Now = 0xFFFFF000u;
  lib_->LastSweepTime = clock_.Now;
  lib_->GetBitmap(1);
  clock_.Now = 0x00001000u;  // 8 s later, across the wrap
  lib_->GetBitmap(0);
  EXPECT_EQ(lib_->LastSweepTime, 0x00001000u);  // a sweep ran...
  EXPECT_NE(Entry(1).Bitmap, nullptr);          // ...and kept the image idle for 8 s
  clock_.Now += 300000;
  lib_->GetBitmap(0);
  EXPECT_EQ(Entry(1).Bitmap, nullptr);
}

TEST_F(ImageCacheTest, EmptyImagesDoNotFillTheLoadedList) {
  EXPECT_EQ(lib_->GetBitmap(3), nullptr);
  EXPECT_EQ(lib_->GetTexture(3), nullptr);
  EXPECT_EQ(lib_->GetBitmap(3), nullptr);
  EXPECT_TRUE(lib_->LoadedList.empty());
}

TEST_F(ImageCacheTest, FreeAllImagesAndClose) {
  lib_->GetBitmap(0);
  lib_->GetTexture(1);
  lib_->FreeAllImages();
  EXPECT_EQ(Entry(0).Bitmap, nullptr);
  EXPECT_EQ(Entry(1).Texture, nullptr);
  EXPECT_TRUE(lib_->LoadedList.empty());

  lib_->GetBitmap(0);
  lib_->Close();
  EXPECT_FALSE(lib_->Initialized);
  EXPECT_EQ(lib_->ImageCount, 0);
  EXPECT_TRUE(lib_->Images.empty());
  EXPECT_TRUE(lib_->LoadedList.empty());
  EXPECT_EQ(lib_->GetBitmap(0), nullptr);
  lib_->Close();  // twice: nothing happens
  EXPECT_FALSE(lib_->Initialized);

  lib_->Open();  // and the library opens again
  EXPECT_EQ(lib_->ImageCount, 4);
  EXPECT_NE(lib_->GetBitmap(2), nullptr);

  TFirImages never;
  never.Close();
  EXPECT_FALSE(never.Initialized);
  EXPECT_EQ(never.GetBitmap(0), nullptr);
}

}  // namespace
}  // namespace hl
