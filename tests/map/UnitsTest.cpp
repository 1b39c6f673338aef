#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "map/MapUnits.h"
#include "map/Zoom.h"

namespace hl {
namespace {

std::vector<int> Steps(int from, int (*step)(int), int n) {
  std::vector<int> out;
  for (int i = 0; i < n; ++i) out.push_back(from = step(from));
  return out;
}

TEST(Zoom, ButtonStepsAreExactDecimals) {
  EXPECT_EQ(Steps(40, ZoomInStep, 9),
            (std::vector<int>{60, 80, 100, 120, 140, 160, 180, 200, 200}));
  EXPECT_EQ(Steps(40, ZoomOutStep, 5), (std::vector<int>{20, 15, 10, 5, 5}));
  EXPECT_EQ(ZoomOutStep(25), 20);
  EXPECT_EQ(Steps(15, ZoomInStep, 2), (std::vector<int>{20, 40}));
  EXPECT_EQ(ZoomInStep(85), 100);
  EXPECT_EQ(ZoomInStep(100), 120);
  EXPECT_EQ(ZoomLabel(40), "100:40");
  EXPECT_EQ(ZoomLabel(100), "100:100");
}

TEST(Zoom, TypedZoomsAreExactHundredthsInTheButtonsRange) {
  struct Case {
    const char* Text;
    int Hundredths;
  };
  for (const Case c : {Case{"0.4", 40}, Case{"0.05", 5}, Case{"2", 200}, Case{"1.4", 140},
                       Case{"1.25", 125}, Case{"001", 100}, Case{"1.", 100}, Case{"0.5", 50},
                       Case{"000.05", 5}, Case{"0000.5", 0}}) {
    const auto z = ParseZoom(c.Text);
    if (c.Hundredths == 0) {
      EXPECT_FALSE(z) << c.Text;  // four whole digits are more than any zoom needs
    } else {
      ASSERT_TRUE(z) << c.Text;
      EXPECT_EQ(*z, c.Hundredths) << c.Text;
    }
  }
  for (const char* bad : {"", ".5", "0.04", "2.01", "1.234", "x", "1,5", "-1", "0.4 ", "1e2",
                          "3", "0"}) {
    EXPECT_FALSE(ParseZoom(bad)) << bad;
  }
}

TEST(ObjectIndex, TakesApartWhatItMakes) {
  for (int library : {0, 1, 7, kObjectLibraries - 1}) {
    for (int image : {0, 1, 9998, kMaxFieldImage, kObjectIndexBase - 1}) {
      const int index = ObjectIndex::Make(library, image);
      EXPECT_EQ(ObjectIndex::Library(index), library);
      EXPECT_EQ(ObjectIndex::Image(index), image);
    }
  }
  // A cell holds the number + 1: an empty cell reads as -1, image 0 of library 2 as itself.
  EXPECT_EQ(ObjectIndex::FromCell(0, 0), -1);
  EXPECT_EQ(ObjectIndex::FromCell(2, 1), ObjectIndex::Make(2, 0));
}

TEST(ObjectIndex, WhatACellCanHold) {
  EXPECT_TRUE(ObjectIndex::FitsCell(-1));  // no object
  EXPECT_FALSE(ObjectIndex::FitsCell(-2));
  EXPECT_TRUE(ObjectIndex::FitsCell(ObjectIndex::Make(3, kMaxFieldImage)));
  EXPECT_FALSE(ObjectIndex::FitsCell(ObjectIndex::Make(3, kMaxFieldImage + 1)));
  // The last image of a library + 1 wraps round to the base: the cell would read as no object
  // of the next library.
  EXPECT_FALSE(ObjectIndex::FitsCell(kObjectIndexBase - 1));
  EXPECT_FALSE(ObjectIndex::FitsCell(ObjectIndex::Make(3, kObjectIndexBase - 1)));
  EXPECT_FALSE(ObjectIndex::FitsCell(ObjectIndex::Make(3, kObjectIndexBase - 2)));
  EXPECT_TRUE(ObjectIndex::FitsCell(255LL * kObjectIndexBase + kMaxFieldImage));  // a byte
  EXPECT_FALSE(ObjectIndex::FitsCell(255LL * kObjectIndexBase + kObjectIndexBase - 1));
  EXPECT_FALSE(ObjectIndex::FitsCell(256LL * kObjectIndexBase));

  EXPECT_TRUE(ObjectIndex::NamesLibraryImage(ObjectIndex::Make(kObjectLibraries - 1, 0)));
  EXPECT_FALSE(ObjectIndex::NamesLibraryImage(ObjectIndex::Make(kObjectLibraries, 0)));
  EXPECT_FALSE(ObjectIndex::NamesLibraryImage(ObjectIndex::Make(0, kMaxFieldImage + 1)));
  EXPECT_FALSE(ObjectIndex::NamesLibraryImage(-1));
}

}  // namespace
}  // namespace hl
