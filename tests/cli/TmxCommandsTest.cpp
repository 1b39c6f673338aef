// export-tmx and import-tmx: the way there and back, edits made in Tiled, what is refused, and
// the picture Tiled's own tmxrasterizer draws of our export beside our renderer's.
#include <gtest/gtest.h>
#include <zlib.h>

#include <QByteArray>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>

#include "RunHlmap.h"
#include "TempDir.h"
#include "map/MapFile.h"
#include "view/TestLibraries.h"
#include "view/TmxFile.h"

namespace hl {
namespace {

using test::Hlmap;

std::string ReadText(const std::string& path) {
  const auto bytes = test::ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

void WriteText(const std::string& path, const std::string& text) {
  test::WriteFileBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
}

class TmxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::WriteTestLibraries(dir_.Path(), true);
    doc_->SetMapSize(15, 11);  // odd: blocks cut at the right and bottom edges
    for (int x = 0; x < 16; x += 2)
      for (int y = 0; y < 12; y += 2) doc_->SetBackTileBlock(x, y, 1 + (x + y) % 11);
    doc_->SetBackTile(3, 3, 6);    // a block with another copy
    doc_->SetMiddleTile(1, 1, 7);  // half black: keyed
    doc_->SetMiddleTile(4, 9, test::kOddSmallTile + 1);
    doc_->SetObject(2, 10, 2);  // 200 pixels high, cut at the top
    doc_->SetObject(6, 4, 1);
    doc_->SetObject(14, 6, 3);  // 1 pixel high
    doc_->SetObject(8, 8, 40);  // the library has no image 39
    doc_->SetCell(9, 2,
                  TMapCell{kMarkBit, 0, static_cast<std::uint16_t>(kMarkBit | 1), 0x85, 9, 0x83, 7,
                           25, 3});  // slot 25: drawn from the first library
    doc_->SetCell(10, 3, TMapCell{0, 0, 22800, 0, 0, 0, 0, 7, 0});  // stays in library 7
    doc_->SetLight(12, 1, 2);
    ASSERT_TRUE(WriteMapCopy(*doc_, dir_.File("m.map"), kBitCountWil));
    // A title of the game's own, which a save of ours would not write.
    test::PatchFile(dir_.File("m.map"), 4, {3, 'O', 'l', 'd'});
  }
  test::HlmapResult Export(const std::string& out = "m.tmx") {
    return Hlmap({"export-tmx", dir_.File("m.map"), dir_.File(out), "--libs", dir_.Path()});
  }
  test::HlmapResult Import(const std::string& in, const std::string& out = "back.map") {
    return Hlmap({"import-tmx", dir_.File(in), dir_.File(out)});
  }
  // The CSV of a layer, as one string.
  static std::string LayerCsv(const std::string& tmx, const std::string& layer) {
    const auto at = tmx.find("name=\"" + layer + "\"");
    const auto begin = tmx.find("<data encoding=\"csv\">", at) + 21;
    return tmx.substr(begin, tmx.find("</data>", begin) - begin);
  }
  static std::vector<std::string> Gids(const std::string& csv) {
    std::vector<std::string> out;
    std::string cell;
    for (char ch : csv) {
      if (ch == ',') {
        out.push_back(cell);
        cell.clear();
      } else if (ch != '\n') {
        cell += ch;
      }
    }
    out.push_back(cell);
    return out;
  }
  static std::string JoinCsv(const std::vector<std::string>& gids, int width) {
    std::string s = "\n";
    for (std::size_t i = 0; i < gids.size(); ++i) {
      s += gids[i];
      if (i + 1 < gids.size()) s += ',';
      if ((i + 1) % static_cast<std::size_t>(width) == 0) s += '\n';
    }
    return s;
  }
  static std::string ReplaceLayer(std::string tmx, const std::string& layer,
                                  const std::string& data, const std::string& attributes) {
    const auto at = tmx.find("name=\"" + layer + "\"");
    const auto begin = tmx.find("<data", at);
    const auto end = tmx.find("</data>", begin) + 7;
    return tmx.replace(begin, end - begin, "<data " + attributes + ">" + data + "</data>");
  }

  test::TempDir dir_;
  std::unique_ptr<MapDocument> doc_ = std::make_unique<MapDocument>();
};

TEST_F(TmxTest, ExportThenImportGivesTheSameFile) {
  auto r = Export();
  ASSERT_EQ(r.Code, 0) << r.Err;
  const std::string tmx = ReadText(dir_.File("m.tmx"));
  EXPECT_NE(tmx.find("<map version=\"1.8\" orientation=\"orthogonal\""), std::string::npos);
  EXPECT_NE(tmx.find("<tileset firstgid=\"1\" name=\"Tiles\""), std::string::npos);
  // Only what the view shows is exported: Objects has images 0 to 2, of which the map shows 0-2.
  EXPECT_TRUE(test::FileExists(dir_.File("m.tilesets/Objects-2.png")));
  EXPECT_FALSE(test::FileExists(dir_.File("m.tilesets/Objects-39.png")));
  EXPECT_TRUE(test::FileExists(dir_.File("m.tilesets/SmTiles-60.png")));
  r = Import("m.tmx");
  ASSERT_EQ(r.Code, 0) << r.Err;
  EXPECT_EQ(test::ReadFileBytes(dir_.File("back.map")), test::ReadFileBytes(dir_.File("m.map")));
}

TEST_F(TmxTest, EditsMadeInTheLayersTakeEffect) {
  ASSERT_EQ(Export().Code, 0);
  std::string tmx = ReadText(dir_.File("m.tmx"));
  const int width = 15;
  auto big = Gids(LayerCsv(tmx, "big tiles"));
  auto small = Gids(LayerCsv(tmx, "small tiles"));
  auto objects = Gids(LayerCsv(tmx, "objects"));
  // A big tile painted on (4, 6) takes its block; the small tile at (1, 1) erased; the object
  // of (6, 4) moved to (7, 4).
  big[6 * width + 4] = big[0];
  small[1 * width + 1] = "0";
  objects[4 * width + 7] = objects[4 * width + 6];
  objects[4 * width + 6] = "0";
  tmx = ReplaceLayer(tmx, "big tiles", JoinCsv(big, width), "encoding=\"csv\"");
  tmx = ReplaceLayer(tmx, "small tiles", JoinCsv(small, width), "encoding=\"csv\"");
  tmx = ReplaceLayer(tmx, "objects", JoinCsv(objects, width), "encoding=\"csv\"");
  WriteText(dir_.File("e.tmx"), tmx);
  auto r = Import("e.tmx");
  ASSERT_EQ(r.Code, 0) << r.Err;
  MapDocument back;
  ASSERT_TRUE(LoadMap(back, dir_.File("back.map")));
  for (int dx = 0; dx < 2; ++dx)
    for (int dy = 0; dy < 2; ++dy)
      EXPECT_EQ(back.GetBackTile(4 + dx, 6 + dy), doc_->GetBackTile(0, 0));
  EXPECT_EQ(back.GetMiddleTile(1, 1), -1);
  EXPECT_EQ(back.GetObject(7, 4), 0);
  EXPECT_EQ(back.GetObject(6, 4), -1);
  // What the layers did not touch is as it was, the carrier's details included.
  EXPECT_EQ(back.Cell(9, 2), doc_->Cell(9, 2));
  EXPECT_EQ(back.Cell(8, 8), doc_->Cell(8, 8));
  EXPECT_EQ(back.Cell(3, 3), doc_->Cell(3, 3));
}

// Layer data in every form Tiled may save it in, from the same gids.
TEST_F(TmxTest, LayerDataIsReadAsCsvAndBase64PlainZlibAndGzip) {
  ASSERT_EQ(Export().Code, 0);
  const std::string tmx = ReadText(dir_.File("m.tmx"));
  const std::string layers[] = {"big tiles", "small tiles", "objects"};
  auto encode = [&](const std::string& compression) {
    std::string out = tmx;
    for (const std::string& layer : layers) {
      QByteArray raw;
      for (const std::string& gid : Gids(LayerCsv(tmx, layer))) {
        const auto v = static_cast<std::uint32_t>(std::stoul(gid));
        for (int k = 0; k < 4; ++k) raw.append(static_cast<char>((v >> (8 * k)) & 0xFF));
      }
      QByteArray packed = raw;
      if (!compression.empty()) {
        z_stream z{};
        deflateInit2(&z, 6, Z_DEFLATED, compression == "gzip" ? 31 : 15, 8, Z_DEFAULT_STRATEGY);
        packed.resize(static_cast<qsizetype>(deflateBound(&z, static_cast<uLong>(raw.size()))));
        z.next_in = reinterpret_cast<Bytef*>(raw.data());
        z.avail_in = static_cast<uInt>(raw.size());
        z.next_out = reinterpret_cast<Bytef*>(packed.data());
        z.avail_out = static_cast<uInt>(packed.size());
        EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
        packed.resize(static_cast<qsizetype>(z.total_out));
        deflateEnd(&z);
      }
      const std::string attributes =
          "encoding=\"base64\"" +
          (compression.empty() ? std::string() : " compression=\"" + compression + "\"");
      std::string text = packed.toBase64().toStdString();
      // Some writers wrap base64 in lines.
      if (compression.empty()) {
        for (std::size_t at = 60; at < text.size(); at += 61) text.insert(at, "\n");
      }
      out = ReplaceLayer(out, layer, "\n   " + text + "\n  ", attributes);
    }
    return out;
  };
  for (const std::string compression : {"", "zlib", "gzip"}) {
    WriteText(dir_.File("b.tmx"), encode(compression));
    auto r = Import("b.tmx", "b.map");
    ASSERT_EQ(r.Code, 0) << compression << ": " << r.Err;
    EXPECT_EQ(test::ReadFileBytes(dir_.File("b.map")), test::ReadFileBytes(dir_.File("m.map")))
        << compression;
  }
}

TEST_F(TmxTest, WhatCannotBeMappedBackIsRefusedNamingTheCell) {
  ASSERT_EQ(Export().Code, 0);
  const std::string tmx = ReadText(dir_.File("m.tmx"));
  const int width = 15;
  auto refused = [&](const std::string& edited, const std::string& message) {
    WriteText(dir_.File("x.tmx"), edited);
    auto r = Import("x.tmx", "x.map");
    EXPECT_EQ(r.Code, 1) << message;
    EXPECT_NE(r.Err.find(message), std::string::npos) << r.Err;
    EXPECT_FALSE(test::FileExists(dir_.File("x.map")));
  };
  auto withObject = [&](int x, int y, const std::string& gid) {
    auto objects = Gids(LayerCsv(tmx, "objects"));
    objects[static_cast<std::size_t>(y * width + x)] = gid;
    return ReplaceLayer(tmx, "objects", JoinCsv(objects, width), "encoding=\"csv\"");
  };
  const std::string objectGid = Gids(LayerCsv(tmx, "objects"))[4 * width + 6];
  refused(withObject(3, 2, std::to_string(std::stoul(objectGid) | 0x80000000u)),
          "cell 3,2 of the layer 'objects' holds a flipped or rotated tile");
  refused(withObject(5, 1, "99999"), "cell 5,1 of the layer 'objects' holds tile 99999");
  refused(withObject(5, 1, "1"),
          "cell 5,1 of the layer 'objects' holds a tile of Tiles, not of "
          "an object library");
  auto big = Gids(LayerCsv(tmx, "big tiles"));
  big[1 * width + 1] = big[0];
  refused(ReplaceLayer(tmx, "big tiles", JoinCsv(big, width), "encoding=\"csv\""),
          "cell 1,1 of the layer 'big tiles' holds a big tile on an odd cell");
  refused(ReplaceLayer(tmx, "objects", "KLUv/QBYAQAA", "encoding=\"base64\" compression=\"zstd\""),
          "the layer 'objects' is compressed with zstd");
  refused(ReplaceLayer(tmx, "objects", "1,2", "encoding=\"csv\""),
          "the layer 'objects' holds 2 cells, not the map's 165");
  std::string damaged = tmx;
  damaged.replace(damaged.find("value=\"") + 7, 4, "AAAA");
  refused(damaged, "the map property harbourlight-cells is damaged");
  refused(
      "<map orientation=\"isometric\" width=\"2\" height=\"2\" tilewidth=\"48\" "
      "tileheight=\"32\"/>",
      "the map is isometric, not orthogonal");
  refused("<map", "not a TMX map");
  refused(std::regex_replace(tmx, std::regex("<tileset firstgid=\"1\" name=\"Tiles\"[^>]*>"),
                             "<tileset firstgid=\"1\" source=\"tiles.tsx\">"),
          "embed it in the map first");
  auto missing = Import("none.tmx", "x.map");
  EXPECT_EQ(missing.Code, 1);
  EXPECT_NE(missing.Err.find("none.tmx"), std::string::npos);
}

TEST_F(TmxTest, ExportRefusesAnOutputThatIsAnInput) {
  auto r = Hlmap({"export-tmx", dir_.File("m.map"), dir_.File("m.map"), "--libs", dir_.Path()});
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(test::ReadFileBytes(dir_.File("m.map")).size(), 52u + 15 * 11 * 12);
  auto missing = Hlmap({"export-tmx", dir_.File("none.map"), dir_.File("n.tmx")});
  EXPECT_EQ(missing.Code, 1);
  EXPECT_NE(missing.Err.find("none.map"), std::string::npos);
}

// Where Debian's tiled package put its rasterizer, if it is installed.
std::string Rasterizer() {
  for (const char* dir : {"/usr/bin", "/usr/local/bin"}) {
    const std::string path = std::string(dir) + "/tmxrasterizer";
    if (test::FileExists(path)) return path;
  }
  return {};
}

TEST_F(TmxTest, TiledsRasterizerDrawsOurExportAsTheViewDrawsTheMap) {
  const std::string rasterizer = Rasterizer();
  if (rasterizer.empty()) GTEST_SKIP() << "tmxrasterizer (Debian package tiled) is not installed";
  ASSERT_EQ(Export().Code, 0);
  const int w = doc_->MapWidth(), h = doc_->MapHeight();
  auto r =
      Hlmap({"render", dir_.File("m.map"), dir_.File("view.png"), "--libs", dir_.Path(), "--zoom",
             "1", "--size", std::to_string(48 * w + 1) + "x" + std::to_string(32 * h + 1)});
  ASSERT_EQ(r.Code, 0) << r.Err;
  const std::string command = "QT_QPA_PLATFORM=offscreen '" + rasterizer + "' '" +
                              dir_.File("m.tmx") + "' '" + dir_.File("tiled.png") +
                              "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const QImage view(QString::fromStdString(dir_.File("view.png")));
  QImage tiled(QString::fromStdString(dir_.File("tiled.png")));
  ASSERT_EQ(tiled.size(), QSize(48 * w, 32 * h));
  tiled = tiled.convertToFormat(QImage::Format_ARGB32);
  // The light mark and the door label, which the TMX does not draw, are left out; the door's
  // label may run into the cells to the right of its own.
  auto skipped = [&](int px, int py) {
    const int x = px / 48, y = py / 32;
    return (x == 12 && y == 1) || (y == 2 && x >= 9 && x <= 11);
  };
  int differing = 0;
  for (int py = 0; py < 32 * h; ++py) {
    for (int px = 0; px < 48 * w; ++px) {
      if (skipped(px, py)) continue;
      // Tiled leaves the background transparent where nothing is drawn; the view is white.
      const QRgb t = tiled.pixel(px, py);
      const QRgb expected = qAlpha(t) == 0 ? qRgb(255, 255, 255) : t;
      if (view.pixel(px, py) != expected && ++differing <= 5) {
        ADD_FAILURE() << "pixel " << px << "," << py << ": view " << std::hex << view.pixel(px, py)
                      << ", tiled " << t;
      }
    }
  }
  EXPECT_EQ(differing, 0);
}

}  // namespace
}  // namespace hl
