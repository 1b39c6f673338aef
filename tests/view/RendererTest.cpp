#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>

#include "ReferencePainter.h"
#include "TempDir.h"
#include "TestLibraries.h"
#include "ZoomSteps.h"
#include "images/LibraryWriter.h"
#include "view/MapRenderer.h"

namespace hl {
namespace {

using test::Drawn;

class RendererTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path(), true);
    libs_.Open(LibraryFormat::Data, dir_.Path());
    ASSERT_EQ(libs_.Tiles().ImageCount, test::kOddTile + 1);
    ASSERT_EQ(libs_.SmTiles().ImageCount, test::kOddSmallTile + 1);
  }
  QImage Render(int zoom, ViewFrame frame = {}, ViewOptions options = {}) {
    MapRenderer r(*doc_, libs_);
    r.SetZoom(zoom);
    r.SetOptions(options);
    QImage image(frame.WindowWidth, frame.WindowHeight, QImage::Format_RGB32);
    const QPoint origin(frame.ScrollX, frame.ScrollY);
    r.PaintMap(image, origin, QRect(origin, image.size()), frame);
    return image;
  }
  QImage Reference(int zoom, ViewFrame frame = {}, ViewOptions options = {}) {
    QImage image(frame.WindowWidth, frame.WindowHeight, QImage::Format_RGB32);
    test::ReferencePaintMap(image, QPoint(frame.ScrollX, frame.ScrollY), *doc_, libs_, zoom,
                            options, frame, QFont());
    return image;
  }
  // Edits cells one at a time and redraws each change over a full repaint, which must then
  // equal a full repaint of the new state.
  void RedrawRandomEdits(int zoom, int edits);
  void FillRandomly(unsigned seed) {
    std::mt19937 rng(seed);
    for (int x = 0; x < 60; ++x) {
      for (int y = 0; y < 60; ++y) {
        const auto r = static_cast<unsigned>(rng());
        TMapCell c{};
        if (x % 2 == 0 && y % 2 == 0 && r % 4) c.BackTile = static_cast<std::uint16_t>(r % 11 + 1);
        if (r % 3 == 0) c.MiddleTile = static_cast<std::uint16_t>(rng() % 61 + 1);
        if (r % 5 == 0) c.ObjectImage = static_cast<std::uint16_t>(rng() % 3 + 1);
        if (r % 7 == 0) c.Light = 2;
        if (r % 11 == 0) c.Door = static_cast<std::uint8_t>(rng() % 256), c.DoorOffset = 3;
        if (r % 13 == 0) c.BackTile |= 0x8000, c.ObjectImage |= 0x8000, c.AniFrame = 2;
        doc_->SetCell(x, y, c);
      }
    }
  }
  test::TempDir dir_;
  LibrarySet libs_;
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
};

TEST_F(RendererTest, BigTilesStandOnEvenCellsOnly) {
  doc_->SetBackTile(2, 4, 3 + 1);
  doc_->SetBackTile(3, 4, 5 + 1);
  const QImage image = Render(100);
  EXPECT_EQ(image.pixel(96, 128), Drawn(test::TileColour(3)));
  EXPECT_EQ(image.pixel(96 + 95, 128 + 63), Drawn(test::TileColour(3)));
  EXPECT_EQ(image.pixel(95, 128), MapRenderer::kSurfaceColour);
  EXPECT_EQ(image.pixel(96 + 96, 128), MapRenderer::kSurfaceColour);  // (3, 4) is not drawn
}

TEST_F(RendererTest, ObjectsStandOnTheBottomEdgeOfTheirCell) {
  doc_->SetObject(5, 5, 0 + 1);  // 80 pixels high
  const QImage image = Render(50);
  // Zoom 0.5: 40 pixels high, bottom edge Trunc(6 x 32 x 0.5) = 96, so rows 56 to 95.
  const int x = 5 * 24 + 3;
  EXPECT_EQ(image.pixel(x, 56), Drawn(test::ObjectColour(0)));
  EXPECT_EQ(image.pixel(x, 95), Drawn(test::ObjectColour(0)));
  EXPECT_EQ(image.pixel(x, 55), MapRenderer::kSurfaceColour);
  EXPECT_EQ(image.pixel(x, 96), MapRenderer::kSurfaceColour);
}

TEST_F(RendererTest, LightsAndDoorLabelsShowWhateverTheViewMenuSays) {
  doc_->SetLight(1, 1, 2);
  doc_->SetCell(4, 2, TMapCell{0, 0, 0, 5, 0, 0, 0, 0, 0});
  ViewOptions none{false, false, false, false, false};
  auto darkPixels = [](const QImage& image, QRect box) {
    int n = 0;
    for (int y = box.top(); y <= box.bottom(); ++y) {
      for (int x = box.left(); x <= box.right(); ++x) n += qGray(image.pixel(x, y)) < 128;
    }
    return n;
  };
  const QImage at1 = Render(100, {}, none);
  EXPECT_EQ(at1.pixel(48 + 10, 32 + 10), Drawn(test::SmallColour(57)));
  EXPECT_GT(darkPixels(at1, QRect(4 * 48, 2 * 32, 48, 32)), 5);  // "D5/0"
  const QImage at85 = Render(85, {}, none);
  EXPECT_EQ(darkPixels(at85, QRect(4 * 40, 2 * 27, 40, 27)), 0);
  // The border lines close the map even so.
  EXPECT_EQ(Render(100, {0, 0, 9700, 593}, none).pixel(200 * 48, 100), qRgb(0, 0, 0));
}

TEST_F(RendererTest, MarksLabelDoorsAndLightsWhereTheLabelsFit) {
  doc_->SetCell(3, 3, TMapCell{0, 0, 0, 5, 0, 0, 0, 0, 0});     // door 5, offset 0
  doc_->SetCell(7, 3, TMapCell{0, 0, 0, 0x85, 2, 0, 0, 0, 0});  // a core door
  doc_->SetLight(5, 3, 3);
  ViewOptions marks{false, false, false, true, false};
  ViewOptions plain{false, false, false, false, false};
  auto count = [](const QImage& image, QRect box, QRgb colour) {
    int n = 0;
    for (int y = box.top(); y <= box.bottom(); ++y)
      for (int x = box.left(); x <= box.right(); ++x) n += image.pixel(x, y) == colour;
    return n;
  };
  const QRgb box = MarkLabels::kBoxColour;
  auto cell = [](int zoom, int x, int y) {
    const ScaleFactor s = ZoomScale(zoom);
    return QRect(QPoint(s.Position(48 * x), s.Position(32 * y)),
                 QPoint(s.Position(48 * (x + 1)) - 1, s.Position(32 * (y + 1)) - 1));
  };
  // Below 0.9 the door's label stands in its cell on its box, and the light's number in its.
  const QImage at80 = Render(80, {}, marks);
  EXPECT_GT(count(at80, cell(80, 3, 3), box), 20);
  EXPECT_GT(count(at80, cell(80, 5, 3), box), 10);
  EXPECT_EQ(count(at80, QRect(0, 0, 640, 480), box), count(at80, cell(80, 3, 3), box) +
                                                         count(at80, cell(80, 5, 3), box) +
                                                         count(at80, cell(80, 7, 3), box));
  // Without the marks none of it; the light's image stays.
  const QImage off80 = Render(80, {}, plain);
  EXPECT_EQ(count(off80, QRect(0, 0, 640, 480), box), 0);
  EXPECT_EQ(off80.pixel(cell(80, 5, 3).topLeft() + QPoint(3, 3)), Drawn(test::SmallColour(57)));
  // Where no label fits, a door marker, red for a core door, and no number.
  const QImage at20 = Render(20, {}, marks);
  EXPECT_EQ(count(at20, QRect(0, 0, 640, 480), box), 0);
  EXPECT_GT(count(at20, cell(20, 3, 3), MarkLabels::kDoorColour), 4);
  EXPECT_GT(count(at20, cell(20, 7, 3), MarkLabels::kCoreDoorColour), 4);
  EXPECT_EQ(count(at20, QRect(0, 0, 640, 480), MarkLabels::kDoorColour),
            count(at20, cell(20, 3, 3), MarkLabels::kDoorColour));
  // From 0.9 on the door label is the view's own text, as without the marks.
  const QImage at100 = Render(100, {}, marks);
  EXPECT_EQ(count(at100, cell(100, 3, 3), box), 0);
  EXPECT_GT(count(at100, cell(100, 5, 3), box), 10);
}

TEST_F(RendererTest, KeyingComparesTheFullColour) {
  doc_->SetBackTile(0, 0, 1);
  doc_->SetMiddleTile(0, 0, 5 + 1);  // 0x0001 everywhere: drawn
  doc_->SetMiddleTile(2, 0, 6 + 1);  // black left half: keyed out
  doc_->SetBackTile(2, 0, 2);
  const QImage image = Render(100);
  EXPECT_EQ(image.pixel(10, 10), Drawn(0x0001));
  EXPECT_NE(Drawn(0x0001), qRgb(0, 0, 0));
  EXPECT_EQ(image.pixel(2 * 48 + 5, 10), Drawn(test::TileColour(1)));
  EXPECT_EQ(image.pixel(2 * 48 + 30, 10), Drawn(test::SmallColour(6)));
}

TEST_F(RendererTest, TinyImagesVanishAtSmallZooms) {
  doc_->SetObject(3, 3, 2 + 1);  // 1 pixel high: Round(0.25) = 0
  const QImage image = Render(25);
  const QRect cell(3 * 12, 3 * 8, 12, 8);
  for (int y = cell.top() - 2; y <= cell.bottom(); ++y) {
    for (int x = cell.left(); x <= cell.right(); ++x) {
      ASSERT_EQ(image.pixel(x, y), MapRenderer::kSurfaceColour);
    }
  }
}

TEST_F(RendererTest, ContentBeyondAShrunkMapIsDrawnWithinTheLoops) {
  doc_->SetMapSize(10, 10);
  doc_->SetObject(0, 12, 1 + 1);  // 200 pixels high, standing below the map
  const QImage image = Render(100);
  EXPECT_EQ(image.pixel(10, 250), Drawn(test::ObjectColour(1)));
  EXPECT_EQ(image.pixel(10, 330), MapRenderer::kOutsideColour);  // the surface ends at 321
}

// The cell whose drawn span holds pixel p, for cells `unit` pixels long at zoom 1: the last
// one whose truncated corner lies at or before p.
int CellOfPixel(int p, int unit, int zoom) {
  return (kZoomDenominator * (p + 1) - 1) / (unit * zoom);
}

TEST_F(RendererTest, EveryPixelOfTheMapShowsItsOwnCellsTileAtEveryZoomStep) {
  // 20 x 20 cells end on whole pixels at every step, so the map fills the surface but for the
  // border lines, and lie within the loops' bounds (which follow the surface size in cells).
  doc_->SetMapSize(20, 20);
  const ViewFrame everything{0, 0, 4000, 3000};
  auto bigTile = [](int x, int y) { return (x / 2 + 3 * (y / 2)) % 10; };
  auto smallTile = [](int x, int y) { return (x + 7 * y) % 50 + 7; };  // solid ones
  auto mark = [](int x, int y) { return (x + y) % 2 ? kBackMarkImage : kFrontMarkImage; };
  struct Layer {
    const char* Name;
    ViewOptions Options;
    std::function<void(int, int)> Put;
    std::function<QRgb(int, int)> Colour;
  };
  const Layer layers[] = {
      {"big tiles",
       {true, false, false, false, true},
       [&](int x, int y) {
         if (x % 2 == 0 && y % 2 == 0) doc_->SetBackTile(x, y, bigTile(x, y) + 1);
       },
       [&](int x, int y) { return test::Drawn(test::TileColour(bigTile(x, y))); }},
      {"opaque small tiles",
       {false, true, false, false, false},
       [&](int x, int y) { doc_->SetMiddleTile(x, y, smallTile(x, y) + 1); },
       [&](int x, int y) { return test::Drawn(test::SmallColour(smallTile(x, y))); }},
      {"keyed small tiles",
       {false, true, false, false, true},
       [&](int x, int y) { doc_->SetMiddleTile(x, y, smallTile(x, y) + 1); },
       [&](int x, int y) { return test::Drawn(test::SmallColour(smallTile(x, y))); }},
      {"marks",
       {false, false, false, true, true},
       [&](int x, int y) {
         TMapCell c{};
         if (mark(x, y) == kBackMarkImage) c.BackTile = kMarkBit;
         if (mark(x, y) == kFrontMarkImage) c.ObjectImage = kMarkBit;
         doc_->SetCell(x, y, c);
       },
       [&](int x, int y) { return test::Drawn(test::SmallColour(mark(x, y))); }},
      // Without the marks, whose labels of the values would cover part of them.
      {"light marks",
       {false, false, false, false, true},
       [&](int x, int y) { doc_->SetLight(x, y, 1); },
       [&](int, int) { return test::Drawn(test::SmallColour(kLightMarkImage)); }},
  };
  for (const Layer& layer : layers) {
    doc_->ClearMap();
    std::vector<std::vector<QRgb>> colours(
        static_cast<std::size_t>(doc_->MapWidth()),
        std::vector<QRgb>(static_cast<std::size_t>(doc_->MapHeight())));
    for (int x = 0; x < doc_->MapWidth(); ++x) {
      for (int y = 0; y < doc_->MapHeight(); ++y) {
        layer.Put(x, y);
        colours[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)] = layer.Colour(x, y);
      }
    }
    for (int zoom : test::ButtonZoomSteps()) {
      MapRenderer r(*doc_, libs_);
      r.SetZoom(zoom);
      r.SetOptions(layer.Options);
      QImage image(r.Surface(), QImage::Format_RGB32);
      r.PaintMap(image, QPoint(0, 0), image.rect(), everything);
      for (int py = 0; py < image.height() - 1; ++py) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(py));
        const int y = CellOfPixel(py, kCellHeight, zoom);
        for (int px = 0; px < image.width() - 1; ++px) {
          const int x = CellOfPixel(px, kCellWidth, zoom);
          if (row[px] == colours[static_cast<std::size_t>(x)][static_cast<std::size_t>(y)])
            continue;
          FAIL() << layer.Name << " at zoom " << zoom << ": pixel (" << px << ", " << py
                 << ") of cell (" << x << ", " << y << ") shows "
                 << (row[px] == MapRenderer::kSurfaceColour ? "the white surface" : "another cell");
        }
      }
    }
  }
}

TEST_F(RendererTest, ImagesOfOtherSizesKeepTheirScaledSize) {
  doc_->SetBackTile(2, 2, test::kOddTile + 1);
  doc_->SetMiddleTile(5, 5, test::kOddSmallTile + 1);
  doc_->SetObject(4, 8, 0 + 1);  // 48 x 80
  const QImage image = Render(40);
  auto extent = [&](QPoint inside, QRgb colour) {
    QRect r(inside, inside);
    while (image.pixel(r.left() - 1, inside.y()) == colour) r.setLeft(r.left() - 1);
    while (image.pixel(r.right() + 1, inside.y()) == colour) r.setRight(r.right() + 1);
    while (image.pixel(inside.x(), r.top() - 1) == colour) r.setTop(r.top() - 1);
    while (image.pixel(inside.x(), r.bottom() + 1) == colour) r.setBottom(r.bottom() + 1);
    return r;
  };
  // 90 x 60 at 0.4 is 36 x 24 from the corner of cell (2, 2), (38, 25), not the 39 x 26 of
  // cells 2 and 3.
  EXPECT_EQ(extent({40, 30}, test::Drawn(test::TileColour(test::kOddTile))), QRect(38, 25, 36, 24));
  // 40 x 24 is Round(16) x Round(9.6) = 16 x 10 from (96, 64).
  EXPECT_EQ(extent({100, 66}, test::Drawn(test::SmallColour(test::kOddSmallTile))),
            QRect(96, 64, 16, 10));
  // The object keeps Round(19.2) = 19 columns on a cell 20 wide (76 .. 95), standing on row
  // 9's top edge, Trunc(115.2) = 115.
  EXPECT_EQ(extent({80, 110}, test::Drawn(test::ObjectColour(0))), QRect(76, 115 - 32, 19, 32));
}

TEST_F(RendererTest, MatchesThePlainPainterAtEveryZoom) {
  FillRandomly(1);
  std::vector<int> zooms = test::ButtonZoomSteps();
  zooms.insert(zooms.end(), {25, 85, 135});  // typed zooms
  for (int zoom : zooms) {
    for (ViewOptions options : {ViewOptions{}, ViewOptions{true, true, true, true, false},
                                ViewOptions{false, true, true, true, true}}) {
      const ViewFrame frame{zoom * 3, zoom * 2, 640, 480};
      ASSERT_EQ(Render(zoom, frame, options), Reference(zoom, frame, options)) << "zoom " << zoom;
    }
  }
}

TEST_F(RendererTest, PartialRedrawShowsWhatAFullRepaintShows) {
  FillRandomly(2);
  for (int zoom : test::ButtonZoomSteps()) {
    SCOPED_TRACE(zoom);
    RedrawRandomEdits(zoom, 8);
  }
}

void RendererTest::RedrawRandomEdits(int zoom, int edits) {
  const ViewFrame frame{zoom + 1, zoom * 2 / 3, 900, 700};
  MapRenderer r(*doc_, libs_);
  r.SetZoom(zoom);
  QImage image(frame.WindowWidth, frame.WindowHeight, QImage::Format_RGB32);
  const QPoint origin(frame.ScrollX, frame.ScrollY);
  r.PaintMap(image, origin, QRect(origin, image.size()), frame);

  std::mt19937 rng(static_cast<unsigned>(zoom));
  for (int step = 0; step < edits; ++step) {
    const int x = 2 + static_cast<int>(rng() % 16), y = 2 + static_cast<int>(rng() % 16);
    switch (step % 4) {
      case 0:
        doc_->SetBackTileBlock(x & ~1, y & ~1, static_cast<int>(rng() % 12));
        break;
      case 1:
        doc_->SetMiddleTile(x, y, static_cast<int>(rng() % 62));
        break;
      case 2:
        doc_->SetObject(x, y, static_cast<int>(rng() % 4));
        break;
      default:
        doc_->SetCell(x, y, TMapCell{});
        break;
    }
    r.RedrawArea(image, origin, r.ChangedArea(x & ~1, y & ~1, 1, 1), frame);
    ASSERT_EQ(image, Render(zoom, frame)) << "step " << step;
  }
}

TEST_F(RendererTest, OverviewIsOneEighthWithAllLayersOnWhite) {
  doc_->SetBackTile(0, 0, 1);
  doc_->SetObject(4, 4, 1);
  MapRenderer r(*doc_, libs_);
  r.SetOptions({false, false, false, true, true});
  const QImage overview = r.RenderOverview();
  EXPECT_EQ(overview.size(), QSize(1200, 800));
  EXPECT_EQ(overview.pixel(3, 3), Drawn(test::TileColour(0)));
  // The 80-pixel object: 10 pixels standing on (5 x 32) div 8 = 20.
  EXPECT_EQ(overview.pixel(4 * 6 + 1, 19), Drawn(test::ObjectColour(0)));
  EXPECT_EQ(overview.pixel(4 * 6 + 1, 10), Drawn(test::ObjectColour(0)));
  EXPECT_EQ(overview.pixel(4 * 6 + 1, 9), MapRenderer::kSurfaceColour);
}

}  // namespace
}  // namespace hl

namespace hl {
namespace {

TEST(HostileLibraryTest, ImagesDeclaredHugeAtEveryIndexDrawWithinTheBudgets) {
  // Objects.Data of four index entries that all lead to one record of 4096 x 4096 pixels.
  test::TempDir dir;
  std::vector<LibraryImage> images{test::Solid(4096, 4096, 0x07E0)};
  for (int i = 0; i < 3; ++i) images.push_back(test::Solid(1, 1, 0x001F));
  const SaveResult written = WriteDataLibrary(dir.File("Objects.Data"), 3, images);
  ASSERT_TRUE(written) << written.Message();
  auto bytes = test::ReadFileBytes(dir.File("Objects.Data"));
  for (std::size_t i = 1; i < 4; ++i) {
    std::copy_n(bytes.begin() + 60, 4, bytes.begin() + static_cast<std::ptrdiff_t>(60 + 4 * i));
  }
  test::WriteFileBytes(dir.File("Objects.Data"), bytes);

  constexpr std::size_t kBudget = std::size_t{64} << 20;  // two decoded images
  setenv(ImageBudget::kVariable, "64", 1);
  LibrarySet libs;
  libs.Open(LibraryFormat::Data, dir.Path());
  std::vector<std::string> said;
  ImageBudget::SetReporter([&](const std::string& m) { said.push_back(m); });
  MapDocument doc;
  doc.SetMapSize(20, 20);
  for (int i = 0; i < 4; ++i) doc.SetObject(2 * i, 4, i + 1);

  MapRenderer renderer(doc, libs);
  const ViewFrame frame{0, 0, 800, 593};
  QImage image(800, 593, QImage::Format_RGB32);
  for (int zoom : {200, 5, 200}) {
    renderer.SetZoom(zoom);
    renderer.PaintMap(image, QPoint(0, 0), image.rect(), frame);
    EXPECT_LE(libs.Memory().Used(), kBudget) << zoom;
    EXPECT_LE(renderer.PreparedBytes(), kBudget) << zoom;
    // At 2 the scaled copies (256 MiB each) are missing; at 0.05 every object stands.
    const QRgb object = test::Drawn(0x07E0);
    for (int i = 0; i < 4; ++i) {
      const QPoint foot(renderer.CellLeft(2 * i) + 1, renderer.CellTop(5) - 1);
      EXPECT_EQ(image.pixel(foot) == object, zoom == 5) << zoom << " object " << i;
    }
  }
  // Said once for each of the four images, however often they were asked for.
  EXPECT_EQ(said.size(), 4u);
  ImageBudget::SetReporter({});
  unsetenv(ImageBudget::kVariable);
}

}  // namespace
}  // namespace hl
