#include "view/TmxFile.h"

#include <zlib.h>

#include <QByteArray>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "images/Drawing.h"
#include "images/PngFile.h"
#include "util/FileReader.h"
#include "util/LittleEndian.h"
#include "util/WriteWholeFile.h"

namespace hl {

namespace {

constexpr char kCarrierMagic[] = "HLTMX1";
constexpr std::size_t kCarrierMagicSize = sizeof(kCarrierMagic) - 1;
// A TMX of the largest map, with three CSV layers of the largest numbers and the carrier,
// stays below this; reading one costs a few times its size.
constexpr std::size_t kMaxTmxBytes = std::size_t{96} << 20;
constexpr std::uint32_t kFlipBits = 0xF0000000u;  // Tiled's flip and rotation flags

// The libraries in the order of their tilesets: "Tiles", "SmTiles", then the object slots.
constexpr int kTilesLibrary = 0;
constexpr int kSmallLibrary = 1;
constexpr int kLibraryCount = 2 + kObjectLibraries;
constexpr int ObjectLibrary(int slot) {
  return 2 + slot;
}

std::string LibraryName(int library) {
  if (library == kTilesLibrary) return "Tiles";
  if (library == kSmallLibrary) return "SmTiles";
  return ObjectLibraryName(library - 2);
}

TGameImages& Library(LibrarySet& libs, int library) {
  if (library == kTilesLibrary) return libs.Tiles();
  if (library == kSmallLibrary) return libs.SmTiles();
  return libs.ObjectSlotLibrary(library - 2);
}

// What the view draws at a cell in each pass, as (library, image); image -1 for nothing. Big
// tiles only on even cells, objects of a slot beyond the libraries from the first.
struct Shown {
  int Big = -1;
  int Small = -1;
  int ObjectLibrary = -1;
  int Object = -1;
};

Shown WhatIsShown(const TMapCell& c, int x, int y) {
  Shown s;
  if (x % kBigTileStep == 0 && y % kBigTileStep == 0) s.Big = (c.BackTile & kNumberBits) - 1;
  s.Small = c.MiddleTile - 1;
  const int i = ObjectIndex::FromCell(c.ObjectLib, c.ObjectImage & kNumberBits);
  if (i >= 0) {
    s.ObjectLibrary = ObjectLibrary(LibrarySet::ObjectSlot(i));
    s.Object = ObjectIndex::Image(i);
  }
  return s;
}

// ---- The carrier ---------------------------------------------------------------------

std::vector<std::uint8_t> CarrierBytes(const MapDocument& doc,
                                       std::array<std::uint8_t, kMapHeaderSize> header) {
  const int width = doc.MapWidth(), height = doc.MapHeight();
  StoreLE<std::uint16_t>(header.data(), static_cast<std::uint16_t>(width));
  StoreLE<std::uint16_t>(header.data() + 2, static_cast<std::uint16_t>(height));
  std::vector<std::uint8_t> raw(kCarrierMagic, kCarrierMagic + kCarrierMagicSize);
  raw.insert(raw.end(), header.begin(), header.end());
  for (int x = 0; x < width; ++x) {
    const auto* column = reinterpret_cast<const std::uint8_t*>(doc.Cells().ColumnAt(x).data());
    raw.insert(raw.end(), column, column + static_cast<std::size_t>(height) * sizeof(TMapCell));
  }
  return raw;
}

QByteArray Compress(const std::vector<std::uint8_t>& raw) {
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  std::vector<std::uint8_t> out(size);
  if (compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 6) != Z_OK)
    throw std::bad_alloc();
  return QByteArray(reinterpret_cast<const char*>(out.data()), static_cast<qsizetype>(size));
}

// zlib or gzip data, inflated to at most `limit` bytes; nothing when damaged or longer.
std::optional<std::vector<std::uint8_t>> Inflate(const QByteArray& in, std::size_t limit) {
  z_stream z{};
  // 15 + 32: either header, told apart by zlib itself.
  if (inflateInit2(&z, 15 + 32) != Z_OK) return std::nullopt;
  std::vector<std::uint8_t> out;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  z.avail_in = static_cast<uInt>(in.size());
  std::array<std::uint8_t, 65536> chunk;
  int status = Z_OK;
  while (status == Z_OK) {
    z.next_out = chunk.data();
    z.avail_out = static_cast<uInt>(chunk.size());
    status = inflate(&z, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END) break;
    const std::size_t got = chunk.size() - z.avail_out;
    if (out.size() + got > limit) {
      status = Z_DATA_ERROR;
      break;
    }
    out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(got));
    if (status == Z_OK && got == 0 && z.avail_in == 0) {
      status = Z_DATA_ERROR;  // the stream ends before its end
      break;
    }
  }
  inflateEnd(&z);
  if (status != Z_STREAM_END) return std::nullopt;
  return out;
}

// ---- Export ----------------------------------------------------------------------------

struct ExportedTile {
  int Id;
  QImage Image;
};

struct ExportedSet {
  int Library = 0;
  int FirstGid = 0;
  int TileWidth = 0, TileHeight = 0;
  int OffsetY = 0;
  std::map<int, QImage> Tiles;  // image number -> picture as drawn
};

// The image as the view draws it at zoom 1, in a form with alpha: keyed pixels transparent.
QImage DrawnImage(TGameImages& lib, int index, bool keyed) {
  const QImage* bitmap = lib.GetBitmap(index);
  if (!bitmap || bitmap->isNull()) return {};
  const PreparedImage prepared = PrepareImage(*bitmap, ScaleFactor{1, 1}, keyed);
  if (prepared.Pixels.isNull()) return {};
  return prepared.Pixels.convertToFormat(QImage::Format_ARGB32);
}

// Transparent rows below, to `height`: a tile drawn from the top of its cell keeps its place
// when Tiled anchors it at the bottom.
QImage PadBelow(const QImage& image, int height) {
  if (image.height() >= height) return image;
  QImage padded(image.width(), height, QImage::Format_ARGB32);
  padded.fill(Qt::transparent);
  for (int y = 0; y < image.height(); ++y)
    std::memcpy(padded.scanLine(y), image.constScanLine(y),
                static_cast<std::size_t>(image.width()) * 4);
  return padded;
}

// The last part of a path, without the folders.
std::string Leaf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string TmxImageFolder(const std::string& tmxPath) {
  const auto slash = tmxPath.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "" : tmxPath.substr(0, slash + 1);
  const std::string leaf = Leaf(tmxPath);
  const auto dot = leaf.rfind('.');
  return dir + (dot == std::string::npos || dot == 0 ? leaf : leaf.substr(0, dot)) + ".tilesets";
}

SaveResult ExportTmx(const MapDocument& doc, const std::array<std::uint8_t, kMapHeaderSize>& header,
                     LibrarySet& libraries, const std::string& path) {
  const int width = doc.MapWidth(), height = doc.MapHeight();
  if (const std::string problem = MapSizeProblem(width, height); !problem.empty())
    return SaveResult::CannotWrite(path, problem);
  // The view draws no cell from kAccessEnd on.
  const int drawnWidth = std::min(width, kAccessEnd), drawnHeight = std::min(height, kAccessEnd);

  // The images each pass shows, then each one drawn as the view draws it.
  std::array<std::set<int>, kLibraryCount> used;
  for (int x = 0; x < drawnWidth; ++x) {
    for (int y = 0; y < drawnHeight; ++y) {
      const Shown s = WhatIsShown(doc.Cell(x, y), x, y);
      if (s.Big >= 0) used[kTilesLibrary].insert(s.Big);
      if (s.Small >= 0) used[kSmallLibrary].insert(s.Small);
      if (s.Object >= 0) used[static_cast<std::size_t>(s.ObjectLibrary)].insert(s.Object);
    }
  }
  std::vector<ExportedSet> sets;
  std::array<int, kLibraryCount> setOf;
  setOf.fill(-1);
  int nextGid = 1;
  for (int library = 0; library < kLibraryCount; ++library) {
    TGameImages& lib = Library(libraries, library);
    ExportedSet set;
    set.Library = library;
    // Big tiles are drawn opaque, small tiles and objects with black keyed out.
    const bool keyed = library != kTilesLibrary;
    for (int id : used[static_cast<std::size_t>(library)]) {
      if (id >= lib.ImageCount) continue;
      QImage image = DrawnImage(lib, id, keyed);
      if (image.isNull()) continue;
      set.TileWidth = std::max(set.TileWidth, image.width());
      set.TileHeight = std::max(set.TileHeight, image.height());
      set.Tiles.emplace(id, std::move(image));
    }
    if (set.Tiles.empty()) continue;
    if (library == kTilesLibrary || library == kSmallLibrary) {
      for (auto& [id, image] : set.Tiles) image = PadBelow(image, set.TileHeight);
      set.OffsetY = set.TileHeight - kCellHeight;
    }
    set.FirstGid = nextGid;
    nextGid += set.Tiles.rbegin()->first + 1;
    setOf[static_cast<std::size_t>(library)] = static_cast<int>(sets.size());
    sets.push_back(std::move(set));
  }
  auto gidOf = [&](int library, int id) -> long long {
    if (library < 0 || id < 0) return 0;
    const int set = setOf[static_cast<std::size_t>(library)];
    if (set < 0 || !sets[static_cast<std::size_t>(set)].Tiles.contains(id)) return 0;
    return sets[static_cast<std::size_t>(set)].FirstGid + id;
  };

  const std::string folder = TmxImageFolder(path);
  std::error_code ec;
  std::filesystem::create_directory(folder, ec);
  if (ec) return SaveResult::CannotWrite(folder, ec.message());
  const std::string folderLeaf = Leaf(folder);

  QByteArray xml;
  QXmlStreamWriter w(&xml);
  w.setAutoFormatting(true);
  w.setAutoFormattingIndent(1);
  w.writeStartDocument();
  w.writeStartElement("map");
  w.writeAttribute("version", "1.8");
  w.writeAttribute("orientation", "orthogonal");
  w.writeAttribute("renderorder", "right-down");
  w.writeAttribute("width", QString::number(width));
  w.writeAttribute("height", QString::number(height));
  w.writeAttribute("tilewidth", QString::number(kCellWidth));
  w.writeAttribute("tileheight", QString::number(kCellHeight));
  w.writeAttribute("infinite", "0");
  w.writeAttribute("backgroundcolor", "#ffffff");
  w.writeAttribute("nextlayerid", "4");
  w.writeAttribute("nextobjectid", "1");
  w.writeStartElement("properties");
  w.writeStartElement("property");
  w.writeAttribute("name", kTmxCarrierProperty);
  w.writeAttribute("value", QString::fromLatin1(Compress(CarrierBytes(doc, header)).toBase64()));
  w.writeEndElement();
  w.writeEndElement();

  for (const ExportedSet& set : sets) {
    const std::string name = LibraryName(set.Library);
    w.writeStartElement("tileset");
    w.writeAttribute("firstgid", QString::number(set.FirstGid));
    w.writeAttribute("name", QString::fromStdString(name));
    w.writeAttribute("tilewidth", QString::number(set.TileWidth));
    w.writeAttribute("tileheight", QString::number(set.TileHeight));
    w.writeAttribute("tilecount", QString::number(set.Tiles.size()));
    w.writeAttribute("columns", "0");
    if (set.OffsetY != 0) {
      w.writeStartElement("tileoffset");
      w.writeAttribute("x", "0");
      w.writeAttribute("y", QString::number(set.OffsetY));
      w.writeEndElement();
    }
    w.writeStartElement("grid");
    w.writeAttribute("orientation", "orthogonal");
    w.writeAttribute("width", "1");
    w.writeAttribute("height", "1");
    w.writeEndElement();
    for (const auto& [id, image] : set.Tiles) {
      const std::string file = name + "-" + std::to_string(id) + ".png";
      if (const SaveResult written = WritePng(folder + "/" + file, image); !written) return written;
      w.writeStartElement("tile");
      w.writeAttribute("id", QString::number(id));
      w.writeStartElement("image");
      w.writeAttribute("width", QString::number(image.width()));
      w.writeAttribute("height", QString::number(image.height()));
      w.writeAttribute("source", QString::fromStdString(folderLeaf + "/" + file));
      w.writeEndElement();
      w.writeEndElement();
    }
    w.writeEndElement();
  }

  for (int pass = 0; pass < 3; ++pass) {
    w.writeStartElement("layer");
    w.writeAttribute("id", QString::number(pass + 1));
    w.writeAttribute("name", kTmxLayerNames[pass]);
    w.writeAttribute("width", QString::number(width));
    w.writeAttribute("height", QString::number(height));
    w.writeStartElement("data");
    w.writeAttribute("encoding", "csv");
    std::string csv = "\n";
    csv.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        long long gid = 0;
        if (x < drawnWidth && y < drawnHeight) {
          const Shown s = WhatIsShown(doc.Cell(x, y), x, y);
          gid = pass == 0   ? gidOf(kTilesLibrary, s.Big)
                : pass == 1 ? gidOf(kSmallLibrary, s.Small)
                            : gidOf(s.ObjectLibrary, s.Object);
        }
        csv += std::to_string(gid);
        if (x + 1 < width || y + 1 < height) csv += ',';
      }
      csv += '\n';
    }
    w.writeCharacters(QString::fromStdString(csv));
    w.writeEndElement();
    w.writeEndElement();
  }
  w.writeEndElement();
  w.writeEndDocument();
  return WriteWholeFile(path,
                        std::string_view(xml.constData(), static_cast<std::size_t>(xml.size())),
                        SafeFileWriter::OldTail::Drop);
}

// ---- Import ----------------------------------------------------------------------------

namespace {

struct ReadSet {
  int FirstGid = 0;
  int Library = -1;  // -1: a tileset that is none of ours
  std::string Name;
  std::set<int> Ids;  // the tiles it has images for
};

struct ReadLayer {
  bool Present = false;
  std::vector<std::uint32_t> Gids;
};

class TmxReader {
 public:
  bool Read(const QByteArray& bytes, std::string* why);

  int Width = 0, Height = 0;
  std::optional<QByteArray> Carrier;
  std::vector<ReadSet> Sets;
  std::array<ReadLayer, 3> Layers;

 private:
  bool Fail(const std::string& message) {
    error_ = message;
    return false;
  }
  bool ReadMap();
  bool ReadChildren(int depth);
  bool ReadProperties();
  bool ReadTileset();
  bool ReadLayerElement();
  bool ReadData(ReadLayer& layer, const std::string& name);

  QXmlStreamReader xml_;
  std::string error_;
};

std::optional<int> Number(const QXmlStreamAttributes& a, const char* name) {
  bool ok = false;
  const int v = a.value(QLatin1String(name)).toInt(&ok);
  if (!ok) return std::nullopt;
  return v;
}

bool TmxReader::Read(const QByteArray& bytes, std::string* why) {
  xml_.addData(bytes);
  bool ok = false;
  while (!xml_.atEnd()) {
    if (xml_.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml_.name() != QLatin1String("map")) {
      ok = Fail("not a TMX map: the document is a <" + xml_.name().toString().toStdString() + ">");
      break;
    }
    ok = ReadMap();
    break;
  }
  if (ok && xml_.hasError()) ok = Fail("not a TMX map: " + xml_.errorString().toStdString());
  if (!ok && error_.empty()) {
    error_ = xml_.hasError() ? "not a TMX map: " + xml_.errorString().toStdString()
                             : "not a TMX map: no <map> element";
  }
  if (!ok && why) *why = error_;
  return ok;
}

bool TmxReader::ReadMap() {
  const QXmlStreamAttributes a = xml_.attributes();
  if (a.value("orientation") != QLatin1String("orthogonal")) {
    return Fail("the map is " + a.value("orientation").toString().toStdString() +
                ", not orthogonal");
  }
  if (a.value("infinite") == QLatin1String("1")) return Fail("infinite maps cannot be imported");
  const auto tw = Number(a, "tilewidth"), th = Number(a, "tileheight");
  if (tw != kCellWidth || th != kCellHeight) {
    return Fail("the map's cells are " + a.value("tilewidth").toString().toStdString() + " x " +
                a.value("tileheight").toString().toStdString() + " pixels, not 48 x 32");
  }
  const auto w = Number(a, "width"), h = Number(a, "height");
  if (!w || !h || *w < 1 || *h < 1 || *w > kMaxFileSide || *h > kMaxFileSide) {
    return Fail("the map is " + a.value("width").toString().toStdString() + " x " +
                a.value("height").toString().toStdString() + " cells; a map has 1 to " +
                std::to_string(kMaxFileSide) + " columns and rows");
  }
  Width = *w;
  Height = *h;
  return ReadChildren(0);
}

bool TmxReader::ReadChildren(int depth) {
  // Layers in groups are read as if they stood at the top; a nesting deeper than any editor
  // makes is refused rather than followed.
  constexpr int kMaxGroupDepth = 32;
  if (depth > kMaxGroupDepth) return Fail("the layer groups are nested too deep");
  while (xml_.readNextStartElement()) {
    const auto name = xml_.name();
    bool ok = true;
    if (name == QLatin1String("properties") && depth == 0) {
      ok = ReadProperties();
    } else if (name == QLatin1String("tileset") && depth == 0) {
      ok = ReadTileset();
    } else if (name == QLatin1String("layer")) {
      ok = ReadLayerElement();
    } else if (name == QLatin1String("group")) {
      ok = ReadChildren(depth + 1);
    } else {
      xml_.skipCurrentElement();
    }
    if (!ok) return false;
  }
  return !xml_.hasError();
}

bool TmxReader::ReadProperties() {
  while (xml_.readNextStartElement()) {
    if (xml_.name() != QLatin1String("property")) {
      xml_.skipCurrentElement();
      continue;
    }
    const QXmlStreamAttributes a = xml_.attributes();
    const bool carrier = a.value("name") == QLatin1String(kTmxCarrierProperty);
    QString value = a.value("value").toString();
    // Tiled writes long or multi-line strings as the element's text.
    const QString text = xml_.readElementText(QXmlStreamReader::SkipChildElements);
    if (!a.hasAttribute("value")) value = text;
    if (carrier) Carrier = value.toLatin1();
  }
  return !xml_.hasError();
}

bool TmxReader::ReadTileset() {
  const QXmlStreamAttributes a = xml_.attributes();
  ReadSet set;
  set.Name = a.value("name").toString().toStdString();
  if (a.hasAttribute("source")) {
    return Fail("the tileset '" + a.value("source").toString().toStdString() +
                "' is kept in a file of its own; embed it in the map first (Tiled: Embed "
                "Tileset)");
  }
  const auto first = Number(a, "firstgid");
  if (!first || *first < 1) return Fail("the tileset '" + set.Name + "' has no valid firstgid");
  set.FirstGid = *first;
  for (int library = 0; library < kLibraryCount; ++library) {
    if (LibraryName(library) == set.Name) set.Library = library;
  }
  while (xml_.readNextStartElement()) {
    if (xml_.name() == QLatin1String("tile")) {
      const auto id = Number(xml_.attributes(), "id");
      if (id && *id >= 0) set.Ids.insert(*id);
    }
    xml_.skipCurrentElement();
  }
  Sets.push_back(std::move(set));
  return !xml_.hasError();
}

bool TmxReader::ReadLayerElement() {
  const QXmlStreamAttributes a = xml_.attributes();
  const std::string name = a.value("name").toString().toStdString();
  int pass = -1;
  for (int i = 0; i < 3; ++i) {
    if (name == kTmxLayerNames[i]) pass = i;
  }
  if (pass < 0) {
    xml_.skipCurrentElement();
    return true;
  }
  if (Number(a, "width") != Width || Number(a, "height") != Height) {
    return Fail("the layer '" + name + "' is not as large as the map");
  }
  ReadLayer& layer = Layers[static_cast<std::size_t>(pass)];
  if (layer.Present) return Fail("the map has two layers named '" + name + "'");
  layer.Present = true;
  while (xml_.readNextStartElement()) {
    if (xml_.name() == QLatin1String("data")) {
      if (!ReadData(layer, name)) return false;
    } else {
      xml_.skipCurrentElement();
    }
  }
  if (layer.Gids.size() != static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height)) {
    return Fail("the layer '" + name + "' holds " + std::to_string(layer.Gids.size()) +
                " cells, not the map's " + std::to_string(Width * Height));
  }
  return !xml_.hasError();
}

bool TmxReader::ReadData(ReadLayer& layer, const std::string& name) {
  const QXmlStreamAttributes a = xml_.attributes();
  const QString encoding = a.value("encoding").toString();
  const QString compression = a.value("compression").toString();
  const std::size_t cells = static_cast<std::size_t>(Width) * static_cast<std::size_t>(Height);
  if (encoding.isEmpty()) {
    // The old XML form: one <tile gid=".."/> a cell.
    while (xml_.readNextStartElement()) {
      if (xml_.name() == QLatin1String("chunk")) return Fail("infinite maps cannot be imported");
      if (xml_.name() == QLatin1String("tile")) {
        if (layer.Gids.size() >= cells) return Fail("the layer '" + name + "' has too many cells");
        layer.Gids.push_back(xml_.attributes().value("gid").toUInt());
      }
      xml_.skipCurrentElement();
    }
    return !xml_.hasError();
  }
  const QString text = xml_.readElementText(QXmlStreamReader::IncludeChildElements);
  if (xml_.hasError()) return false;
  if (encoding == QLatin1String("csv")) {
    layer.Gids.reserve(cells);
    std::uint64_t value = 0;
    bool inNumber = false;
    for (const QChar ch : text) {
      if (ch.isDigit()) {
        value = value * 10 + static_cast<std::uint64_t>(ch.digitValue());
        if (value > 0xFFFFFFFFull)
          return Fail("the layer '" + name + "' holds a number too large for a tile");
        inNumber = true;
      } else if (ch == QLatin1Char(',')) {
        if (!inNumber) return Fail("the layer '" + name + "' has an empty CSV field");
        if (layer.Gids.size() >= cells) return Fail("the layer '" + name + "' has too many cells");
        layer.Gids.push_back(static_cast<std::uint32_t>(value));
        value = 0;
        inNumber = false;
      } else if (!ch.isSpace()) {
        return Fail("the layer '" + name + "' holds '" + QString(ch).toStdString() +
                    "' in its CSV data");
      }
    }
    if (inNumber) {
      if (layer.Gids.size() >= cells) return Fail("the layer '" + name + "' has too many cells");
      layer.Gids.push_back(static_cast<std::uint32_t>(value));
    }
    return true;
  }
  if (encoding != QLatin1String("base64")) {
    return Fail("the layer '" + name + "' is encoded as '" + encoding.toStdString() +
                "'; CSV and base64 are read");
  }
  // Base64 may come wrapped in lines: every blank is dropped before decoding.
  QByteArray base64 = text.toLatin1();
  base64.removeIf([](char ch) { return ch == ' ' || ch == '\n' || ch == '\r' || ch == '\t'; });
  const auto decoded =
      QByteArray::fromBase64Encoding(base64, QByteArray::AbortOnBase64DecodingErrors);
  if (!decoded) return Fail("the layer '" + name + "' holds damaged base64 data");
  std::vector<std::uint8_t> bytes;
  if (compression.isEmpty()) {
    bytes.assign(decoded.decoded.begin(), decoded.decoded.end());
  } else if (compression == QLatin1String("zlib") || compression == QLatin1String("gzip")) {
    auto inflated = Inflate(decoded.decoded, cells * 4);
    if (!inflated)
      return Fail("the layer '" + name + "' holds damaged " + compression.toStdString() + " data");
    bytes = std::move(*inflated);
  } else {
    return Fail("the layer '" + name + "' is compressed with " + compression.toStdString() +
                ", which is not read; save the map with CSV or base64 (uncompressed, zlib or "
                "gzip) layer data");
  }
  if (bytes.size() != cells * 4) {
    return Fail("the layer '" + name + "' holds " + std::to_string(bytes.size() / 4) +
                " cells, not the map's " + std::to_string(cells));
  }
  layer.Gids.resize(cells);
  for (std::size_t i = 0; i < cells; ++i)
    layer.Gids[i] = LoadLE<std::uint32_t>(bytes.data() + 4 * i);
  return true;
}

}  // namespace

bool ImportTmx(const std::string& path, std::uint8_t mapBitCount, MapDocument& doc,
               std::array<std::uint8_t, kMapHeaderSize>& header, std::string* why) {
  auto fail = [&](const std::string& message) {
    if (why) *why = message;
    return false;
  };
  std::string text;
  std::string error;
  if (!ReadWholeFile(path, kMaxTmxBytes, text, &error)) return fail(error);
  TmxReader tmx;
  std::string reason;
  if (!tmx.Read(QByteArray::fromStdString(text), &reason)) return fail(path + ": " + reason);
  text.clear();

  // The carrier: header and cells as they were exported.
  CellStorage cells;
  int carrierWidth = 0, carrierHeight = 0;
  header = EncodeMapHeader(tmx.Width, tmx.Height, mapBitCount);
  if (tmx.Carrier) {
    const auto decoded = QByteArray::fromBase64Encoding(tmx.Carrier->trimmed(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    const std::size_t limit = kCarrierMagicSize + kMapHeaderSize + CellStorage::kTotalBytes;
    const auto raw = decoded ? Inflate(decoded.decoded, limit) : std::nullopt;
    if (!raw || raw->size() < kCarrierMagicSize + kMapHeaderSize ||
        std::memcmp(raw->data(), kCarrierMagic, kCarrierMagicSize) != 0) {
      return fail(path + ": the map property " + kTmxCarrierProperty + " is damaged");
    }
    std::memcpy(header.data(), raw->data() + kCarrierMagicSize, kMapHeaderSize);
    const TMapHeader h = DecodeMapHeader(header);
    carrierWidth = h.Width;
    carrierHeight = h.Height;
    const std::size_t expected =
        kCarrierMagicSize + kMapHeaderSize +
        static_cast<std::size_t>(carrierWidth) * carrierHeight * sizeof(TMapCell);
    if (carrierWidth > kStorageSide || carrierHeight > kStorageSide || raw->size() != expected) {
      return fail(path + ": the map property " + kTmxCarrierProperty + " is damaged");
    }
    const std::uint8_t* at = raw->data() + kCarrierMagicSize + kMapHeaderSize;
    for (int x = 0; x < carrierWidth; ++x) {
      std::memcpy(cells.MutableColumn(x).data(), at,
                  static_cast<std::size_t>(carrierHeight) * sizeof(TMapCell));
      at += static_cast<std::size_t>(carrierHeight) * sizeof(TMapCell);
    }
  }
  // Cells beyond the carrier's size stay empty (a map grown in Tiled), and the carrier's cells
  // beyond the map's are not written (a map shrunk).

  // gid -> (library, image), for the tilesets that are ours.
  std::vector<const ReadSet*> byGid;
  for (const ReadSet& s : tmx.Sets) byGid.push_back(&s);
  std::sort(byGid.begin(), byGid.end(),
            [](const ReadSet* a, const ReadSet* b) { return a->FirstGid < b->FirstGid; });
  auto lookUp = [&](std::uint32_t gid) -> const ReadSet* {
    const ReadSet* found = nullptr;
    for (const ReadSet* s : byGid) {
      if (static_cast<std::uint32_t>(s->FirstGid) <= gid) found = s;
    }
    return found;
  };
  std::array<const ReadSet*, kLibraryCount> setOfLibrary{};
  for (const ReadSet& s : tmx.Sets) {
    if (s.Library >= 0 && !setOfLibrary[static_cast<std::size_t>(s.Library)])
      setOfLibrary[static_cast<std::size_t>(s.Library)] = &s;
  }
  // The tile the export put where the carrier's cell shows this image: none for an image the
  // tileset lacks, which the view could not draw either.
  auto expectedGid = [&](int library, int image) -> std::uint32_t {
    if (library < 0 || image < 0) return 0;
    const ReadSet* s = setOfLibrary[static_cast<std::size_t>(library)];
    if (!s || !s->Ids.contains(image)) return 0;
    return static_cast<std::uint32_t>(s->FirstGid) + static_cast<std::uint32_t>(image);
  };

  const int drawnWidth = std::min(tmx.Width, kAccessEnd),
            drawnHeight = std::min(tmx.Height, kAccessEnd);
  for (int y = 0; y < tmx.Height; ++y) {
    for (int x = 0; x < tmx.Width; ++x) {
      const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(tmx.Width) +
                             static_cast<std::size_t>(x);
      const TMapCell before = cells.At(x, y);
      const Shown shown = WhatIsShown(before, x, y);
      for (int pass = 0; pass < 3; ++pass) {
        const ReadLayer& layer = tmx.Layers[static_cast<std::size_t>(pass)];
        const std::uint32_t gid = layer.Present ? layer.Gids[at] : 0;
        const std::string where = "cell " + std::to_string(x) + "," + std::to_string(y) +
                                  " of the layer '" + kTmxLayerNames[pass] + "'";
        if (gid & kFlipBits) return fail(path + ": " + where + " holds a flipped or rotated tile");
        const std::uint32_t expected = pass == 0   ? expectedGid(kTilesLibrary, shown.Big)
                                       : pass == 1 ? expectedGid(kSmallLibrary, shown.Small)
                                                   : expectedGid(shown.ObjectLibrary, shown.Object);
        // What the export showed stands for the carrier's cell, which says more.
        if (gid == expected) continue;
        const ReadSet* set = gid ? lookUp(gid) : nullptr;
        const int image =
            set ? static_cast<int>(gid - static_cast<std::uint32_t>(set->FirstGid)) : -1;
        if (gid && (!set || !set->Ids.contains(image))) {
          return fail(path + ": " + where + " holds tile " + std::to_string(gid) +
                      ", which no tileset has");
        }
        if (gid && set->Library < 0) {
          return fail(path + ": " + where + " holds a tile of the tileset '" + set->Name +
                      "', which is no library of ours");
        }
        if (x >= drawnWidth || y >= drawnHeight) {
          return fail(path + ": " + where + " lies beyond the cells the editor draws (" +
                      std::to_string(kAccessEnd) + " a side)");
        }
        TMapCell& c = cells.MutableColumn(x)[static_cast<std::size_t>(y)];
        if (pass == 0) {
          if (gid && set->Library != kTilesLibrary) {
            return fail(path + ": " + where + " holds a tile of " + set->Name + ", not of Tiles");
          }
          if (gid && image > kMaxFieldImage)
            return fail(path + ": " + where + " holds an image number too large for a cell");
          if (x % kBigTileStep || y % kBigTileStep) {
            return fail(path + ": " + where +
                        " holds a big tile on an odd cell; big tiles lie on even cells");
          }
          // As painting does: the whole 2 x 2 block, marks kept.
          const auto value = static_cast<std::uint16_t>(gid ? image + 1 : 0);
          for (int dx = 0; dx < kBigTileStep && x + dx < tmx.Width; ++dx) {
            for (int dy = 0; dy < kBigTileStep && y + dy < tmx.Height; ++dy) {
              TMapCell& b = cells.MutableColumn(x + dx)[static_cast<std::size_t>(y + dy)];
              b.BackTile = static_cast<std::uint16_t>((b.BackTile & kMarkBit) | value);
            }
          }
        } else if (pass == 1) {
          if (gid && set->Library != kSmallLibrary) {
            return fail(path + ": " + where + " holds a tile of " + set->Name + ", not of SmTiles");
          }
          if (gid && image > kMaxMiddleImage)
            return fail(path + ": " + where + " holds an image number too large for a cell");
          c.MiddleTile = static_cast<std::uint16_t>(gid ? image + 1 : 0);
        } else {
          if (gid && set->Library < ObjectLibrary(0)) {
            return fail(path + ": " + where + " holds a tile of " + set->Name +
                        ", not of an object library");
          }
          if (gid && image > kMaxFieldImage)
            return fail(path + ": " + where + " holds an image number too large for a cell");
          const auto mark = static_cast<std::uint16_t>(c.ObjectImage & kMarkBit);
          c.ObjectImage = static_cast<std::uint16_t>(mark | (gid ? image + 1 : 0));
          c.ObjectLib = static_cast<std::uint8_t>(gid ? set->Library - ObjectLibrary(0) : 0);
        }
      }
    }
  }
  doc.ReplaceCells(std::move(cells), tmx.Width, tmx.Height);
  return true;
}

}  // namespace hl
