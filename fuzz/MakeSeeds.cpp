// Writes the seed corpora of the fuzz targets with the project's own library writers:
// OUT/wil and OUT/data0 ... OUT/data4.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "images/LibraryWriter.h"
#include "images/TFirImages.h"
#include "images/TWilImages.h"
#include "map/MapFile.h"
#include "objects/ObjectSets.h"
#include "segments/SegmentProject.h"
#include "segments/ThumbnailStore.h"
#include "view/TmxFile.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

std::vector<hl::LibraryImage> Images(int bits) {
  std::vector<hl::LibraryImage> images;
  const int sizes[][2] = {{8, 6}, {5, 3}, {2, 2}, {1, 5}, {3, 1}};
  for (auto [w, h] : sizes) {
    hl::LibraryImage image{w, h, 1, -2, {}};
    for (int i = 0; i < w * h * bits / 8; ++i) {
      image.Pixels.push_back(static_cast<std::uint8_t>(i < 8 ? 0x21 : i * 37 + w));
    }
    images.push_back(image);
  }
  return images;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::cerr << "usage: hl_fuzz_seeds OUT LH5_FIXTURE_DIR DEMO_DIR\n";
    return 2;
  }
  const std::filesystem::path out = argv[1];
  const std::filesystem::path work = out / "work";
  std::filesystem::create_directories(work);

  std::filesystem::create_directories(out / "wil");
  int n = 0;
  for (int bits : {8, 16, 24, 32}) {
    for (bool older : {false, true}) {
      hl::WilPalette palette{};
      for (int i = 4; i < 1024; ++i)
        palette[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i * 7);
      const std::string wil = (work / "S.wil").string();
      if (const auto written = hl::WriteWilLibrary(wil, {bits, older, palette}, Images(bits));
          !written) {
        std::cerr << written.Message() << "\n";
        return 1;
      }
      const Bytes a = Read(wil), b = Read(hl::TWilImages::IndexFileName(wil));
      Bytes seed(4);
      const auto split = static_cast<std::uint32_t>(a.size());
      std::memcpy(seed.data(), &split, 4);
      seed.insert(seed.end(), a.begin(), a.end());
      seed.insert(seed.end(), b.begin(), b.end());
      Write(out / "wil" / ("seed" + std::to_string(n++)), seed);
    }
  }

  auto images = Images(16);
  images.erase(images.begin() + 3);  // 1 x 5 stays; the odd tiny ones do not suit compression
  images.erase(images.begin() + 3);
  for (int method = 0; method <= 3; ++method) {
    const auto dir = out / ("data" + std::to_string(method));
    std::filesystem::create_directories(dir);
    const std::string path = (work / "S.Data").string();
    if (const auto written = hl::WriteDataLibrary(path, method, images); !written) {
      std::cerr << written.Message() << "\n";
      return 1;
    }
    Write(dir / "seed0", Read(path));
  }

  // Method 4: a tile compressed by an independent LHA archiver.
  const Bytes pixels = Read(std::string(argv[2]) + "/tile48x32.bin");
  const Bytes stream = Read(std::string(argv[2]) + "/tile48x32.lh5");
  if (pixels.empty() || stream.empty()) return 1;
  Bytes file(hl::TFirImages::kHeaderSize + 4 + 12 + 4, 0);
  auto put32 = [&](std::size_t at, std::int32_t v) { std::memcpy(file.data() + at, &v, 4); };
  auto put16 = [&](std::size_t at, std::int16_t v) { std::memcpy(file.data() + at, &v, 2); };
  put32(48, 1);
  put16(58, 4);
  put32(60, 64);
  put16(64, 48);
  put16(66, 32);
  put32(72, static_cast<std::int32_t>(4 + stream.size()));
  put32(76, static_cast<std::int32_t>(pixels.size()));
  file.insert(file.end(), stream.begin(), stream.end());
  std::filesystem::create_directories(out / "data4");
  Write(out / "data4" / "seed0", file);

  // Maps, set files, tile attributes and segment projects, written by the editor's writers.
  {
    auto doc = std::make_unique<hl::MapDocument>();
    doc->SetMapSize(12, 9);
    doc->SetCell(3, 4, hl::TMapCell{0x8005, 7, 0x8002, 0x81, 2, 3, 4, 7, 2});
    const std::string map = (work / "seed.map").string();
    if (!hl::SaveMap(*doc, map, hl::kBitCountData)) return 1;
    std::filesystem::create_directories(out / "map");
    for (std::uint8_t selector : {0, 1}) {
      Bytes seed{selector};
      const Bytes bytes = Read(map);
      seed.insert(seed.end(), bytes.begin(), bytes.end());
      Write(out / "map" / ("seed" + std::to_string(selector)), seed);
    }

    hl::ObjectSetList sets;
    sets.Items = {hl::TObjectSet{{0, 0, 3, 70000, 1, 2, 6, 1, 3, 0x85, 2}, {-1, 2, -1, 5, 0, 0, 0, 0, 0, 0, 0}},
                  hl::TObjectSet{}, hl::TObjectSet{{1, 1, 7, -1, 2, 0, 0, 0, 0, 0, 0}}};
    std::filesystem::create_directories(out / "text");
    Bytes setSeed{0};
    const std::string text = sets.ToText();
    setSeed.insert(setSeed.end(), text.begin(), text.end());
    Write(out / "text" / "seed0", setSeed);
    const std::string attributes = "\x01" "1\r\n0\r\n1\r\n";
    Write(out / "text" / "seed1", Bytes(attributes.begin(), attributes.end()));

    const std::string project = (work / "seed.mp").string();
    const std::string segment = (work / "seed.sem").string();
    if (!hl::WriteProject(project, {"S", 3, 3}) || !hl::SaveSegment(*doc, segment, 0, 0)) return 1;
    std::filesystem::create_directories(out / "segment");
    Bytes segmentSeed = Read(project);
    const Bytes segmentBytes = Read(segment);
    segmentSeed.insert(segmentSeed.end(), segmentBytes.begin(), segmentBytes.end());
    Write(out / "segment" / "seed0", segmentSeed);

    // A TMX export of the map (no libraries: empty layers and the carrier), and one as Tiled
    // saves a map of its own, without the carrier.
    hl::LibrarySet none;
    none.Open(hl::LibraryFormat::Data, (work / "no-libraries").string());
    const std::string tmx = (work / "seed.tmx").string();
    if (!hl::ExportTmx(*doc, hl::EncodeMapHeader(12, 9, hl::kBitCountData), none, tmx)) return 1;
    std::filesystem::create_directories(out / "tmx");
    Write(out / "tmx" / "seed0", Read(tmx));
    const std::string tiled =
        "<?xml version=\"1.0\"?>\n<map version=\"1.8\" orientation=\"orthogonal\" "
        "width=\"2\" height=\"2\" tilewidth=\"48\" tileheight=\"32\" infinite=\"0\">\n"
        " <tileset firstgid=\"1\" name=\"Objects\" tilewidth=\"48\" tileheight=\"80\" "
        "tilecount=\"1\" columns=\"0\">\n  <tile id=\"3\"><image width=\"48\" height=\"80\" "
        "source=\"o.png\"/></tile>\n </tileset>\n <group name=\"g\"><layer id=\"1\" "
        "name=\"objects\" width=\"2\" height=\"2\">\n  <data encoding=\"csv\">0,4,\n0,0</data>\n"
        " </layer></group>\n</map>\n";
    Write(out / "tmx" / "seed1", Bytes(tiled.begin(), tiled.end()));
  }

  // Edit scripts: the demo's own, and one line of every command.
  {
    std::filesystem::create_directories(out / "script");
    const std::filesystem::path demo = argv[3];
    int s = 0;
    for (const char* name : {"demo-map.txt", "world.txt"}) {
      if (std::filesystem::exists(demo / name)) {
        Write(out / "script" / ("seed" + std::to_string(s++)), Read((demo / name).string()));
      }
    }
    const std::string every =
        "# every command\n"
        "layer 0\nbig-group 1\npress 8 8\ndrag 12 8 left ctrl\nlayer 2\ntool 0\n"
        "press-rect 0 0 20 6 3\nlayer 1\ntile 7\npress 3 3 left alt\ntool 1\n"
        "small-group 2\nlayer 0\npress 10 12\ntool 2\nobject 65539\npress 5 5 left ctrl\n"
        "zoom 0.5\npress-px 100 60\ntool 5\nanswer-light 3\npress 6 6\n"
        "tool 6\nanswer-door 5 2 core\npress 7 7\nanswer-door cancel\npress 7 7\n"
        "set kel.set 0\npress 20 20\nset none\nlayer 3\npress 20 20 right\n"
        "layer 4\npress 9 9 left shift\nlayer 5\npress 8 8 left ctrl\n"
        "move-object 3 2\ndelete-object 12\nscroll 4 -2\nresize 60 50\nundo\nundo\n";
    Write(out / "script" / ("seed" + std::to_string(s)), Bytes(every.begin(), every.end()));
  }

  // The recovery folder: a description with its copy, and a lock left behind, then the answer
  // Yes (the entry format is RecoveryFuzzer's).
  {
    std::filesystem::create_directories(out / "recovery");
    auto doc = std::make_unique<hl::MapDocument>();
    doc->SetMapSize(12, 9);
    doc->SetLight(2, 3, 4);
    const std::string copy = (work / "copy.map").string();
    if (!hl::WriteMapCopy(*doc, copy, hl::kBitCountData)) return 1;
    const std::string info =
        "Harbourlight recovery 1\nname=/maps/a\\nb.map\nformat=16\nsaved=5\nsegments=/w\n";
    const Bytes map = Read(copy);
    Bytes seed = {3};
    const auto entry = [&](std::uint8_t kind, const std::string& name, std::uint8_t ending,
                           const Bytes& content) {
      seed.push_back(kind);
      seed.push_back(static_cast<std::uint8_t>(name.size()));
      seed.insert(seed.end(), name.begin(), name.end());
      seed.push_back(ending);
      seed.push_back(static_cast<std::uint8_t>(content.size() & 0xFF));
      seed.push_back(static_cast<std::uint8_t>(content.size() >> 8));
      seed.insert(seed.end(), content.begin(), content.end());
    };
    entry(0, "hl-a", 0, Bytes(info.begin(), info.end()));
    entry(0, "hl-a", 1, map);
    entry(0, "hl-b", 2, {});
    seed.push_back(0);
    Write(out / "recovery" / "seed0", seed);
  }

  // A thumbnail pack holding two thumbnails under the key ThumbnailPackFuzzer reads with.
  {
    std::filesystem::create_directories(out / "thumbs");
    const hl::WorldProject project{(work / "").string(), "F", 16, 16};
    const hl::ThumbnailStore store((work / "cache").string(), project);
    const auto key = hl::ThumbnailKey().Add("fuzz").Value();
    Bytes rgb(120 * 80 * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i / 360);
    if (!store.Store(0, 0, key, 120, 80, rgb) || !store.Store(1, 0, key, 120, 80, rgb)) return 1;
    Write(out / "thumbs" / "seed0", Read(store.PackFile(0, 0)));
  }

  std::filesystem::remove_all(work);
  return 0;
}
