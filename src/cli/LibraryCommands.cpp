#include <QImage>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <ostream>

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/DrawingCommandNames.h"
#include "images/DemoArt.h"
#include "images/ImagePacking.h"
#include "images/LibraryWriter.h"
#include "images/PngFile.h"
#include "images/TFirImages.h"
#include "images/TWilImages.h"
#include "util/SafeFileWriter.h"
#include "util/LittleEndian.h"
#include "util/TextHelpers.h"
#include "util/WriteWholeFile.h"

namespace hl::cli {

namespace {

std::string LowerExtension(const std::string& path) {
  const std::string name = path.substr(DirectoryPart(path).size());
  const auto dot = name.rfind('.');
  std::string ext = dot == std::string::npos ? "" : name.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

// The library named by LIB, opened; nothing (with the exit code in *code) when it will not.
std::unique_ptr<TGameImages> OpenLibrary(const Invocation& inv, std::ostream& err, int* code) {
  const std::string& path = inv.Positional[0];
  const std::string typed = inv.Value("--format");
  const auto format = ParseLibraryFormat(typed.empty() ? LowerExtension(path) : typed);
  std::unique_ptr<TGameImages> lib;
  if (format == LibraryFormat::Wil) {
    lib = std::make_unique<TWilImages>();
  } else if (format == LibraryFormat::Data) {
    lib = std::make_unique<TFirImages>();
  } else {
    *code = Failure(err, "cannot tell the format of '" + path + "'; give --format wil|data");
    return nullptr;
  }
  lib->FileName = path;
  lib->UseBitmaps = true;
  lib->Open();
  if (!lib->Initialized) {
    *code = Failure(err, "cannot open library '" + path + "'");
    return nullptr;
  }
  return lib;
}

int RunLibInfo(const Invocation& inv, std::ostream& out, std::ostream& err) {
  int code = 0;
  auto lib = OpenLibrary(inv, err, &code);
  if (!lib) return code;
  out << "{\"format\":";
  if (auto* wil = dynamic_cast<TWilImages*>(lib.get())) {
    out << "\"wil\",\"images\":" << wil->ImageCount << ",\"bitcount\":" << int{wil->BitCount}
        << ",\"layout\":\"" << (wil->OlderLayout ? "older" : "newer") << "\"";
  } else {
    auto* data = static_cast<TFirImages*>(lib.get());
    out << "\"data\",\"images\":" << data->ImageCount << ",\"bitcount\":16"
        << ",\"compression\":" << data->CompressionMethod;
  }
  out << ",\"positions\":" << lib->PositionCount() << "}\n";
  return 0;
}

// 5-6-5 to 8-bit channels, widening so that white stays white.
QRgb From565(std::uint16_t v) {
  const int r = v >> 11 & 0x1F, g = v >> 5 & 0x3F, b = v & 0x1F;
  return qRgb(r << 3 | r >> 2, g << 2 | g >> 4, b << 3 | b >> 2);
}

// Width, height and bits per pixel, then the rows top-down without padding: 5-6-5 words for
// 16 bits, blue, green, red for 24 and 32.
std::vector<std::uint8_t> RawExport(const QImage& image, int bits) {
  std::vector<std::uint8_t> bytes(12);
  StoreLE<std::int32_t>(bytes.data(), image.width());
  StoreLE<std::int32_t>(bytes.data() + 4, image.height());
  StoreLE<std::int32_t>(bytes.data() + 8, bits);
  const int step = bits == 16 ? 2 : bits / 8;
  for (int y = 0; y < image.height(); ++y) {
    const std::uint8_t* row = image.constScanLine(y);
    if (bits == 16) {
      bytes.insert(bytes.end(), row, row + 2 * image.width());
      continue;
    }
    for (int x = 0; x < image.width(); ++x)
      bytes.insert(bytes.end(), row + step * x, row + step * x + 3);
  }
  return bytes;
}

int BitsOfForm(const QImage& image) {
  switch (image.format()) {
    case QImage::Format_BGR888:
      return 24;
    case QImage::Format_RGB32:
      return 32;
    default:
      return 16;
  }
}

int RunLibExport(const Invocation& inv, std::ostream&, std::ostream& err) {
  const int index = StrToIntDefault(inv.Positional[1], -1);
  if (index < 0 && inv.Positional[1] != "-1") {
    return UsageError(err, "INDEX must be a number", kLibExportSynopsis);
  }
  if (inv.Has("--raw") && !inv.Value("--png-level").empty()) {
    return UsageError(err, "--png-level is for PNG output, not --raw", kLibExportSynopsis);
  }
  int code = 0;
  auto lib = OpenLibrary(inv, err, &code);
  if (!lib) return code;
  const std::string& outPath = inv.Positional[2];
  if (const std::string problem = OutputProblem(outPath, LibraryInputs(*lib)); !problem.empty()) {
    return Failure(err, problem);
  }

  QImage picture;
  int bits = 16;
  if (inv.Has("--texture")) {
    const TTexture* t = lib->GetTexture(index);
    if (!t) return Failure(err, "no image");
    picture = QImage(t->Width, t->Height, QImage::Format_RGB16);
    for (int y = 0; y < t->Height; ++y) {
      std::copy_n(t->ScanLine(y), 2 * t->Width, picture.scanLine(y));
    }
  } else {
    const QImage* b = lib->GetBitmap(index);
    if (!b) return Failure(err, "no image");
    picture = *b;
    bits = BitsOfForm(picture);
  }

  if (inv.Has("--raw")) {
    const auto bytes = RawExport(picture, bits);
    if (const SaveResult written = WriteWholeFile(outPath, bytes, SafeFileWriter::OldTail::Drop);
        !written) {
      return Failure(err, written.Message());
    }
    return 0;
  }
  QImage png = picture.convertToFormat(QImage::Format_ARGB32);
  if (inv.Has("--texture")) {
    // The texture form's 0 is transparent; show it so.
    for (int y = 0; y < png.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(png.scanLine(y));
      const std::uint8_t* src = picture.constScanLine(y);
      for (int x = 0; x < png.width(); ++x) {
        const std::uint16_t v = LoadLE<std::uint16_t>(src + 2 * x);
        row[x] = v == 0 ? qRgba(0, 0, 0, 0) : From565(v);
      }
    }
  }
  if (const SaveResult written = WritePng(outPath, png, PngLevelOf(inv)); !written) {
    return Failure(err, written.Message());
  }
  return 0;
}

int RunLibPack(const Invocation& inv, std::ostream& out, std::ostream& err) {
  constexpr std::string_view synopsis = "hlmap lib-pack OUT (--wil ... | --data ...) IMAGE...";
  const bool wil = inv.Has("--wil"), data = inv.Has("--data");
  if (wil == data) return UsageError(err, "give exactly one of --wil and --data", synopsis);
  if (wil && !inv.Value("--method").empty())
    return UsageError(err, "--method is for --data", synopsis);
  if (data && (!inv.Value("--depth").empty() || inv.Has("--older"))) {
    return UsageError(err, "--depth and --older are for --wil", synopsis);
  }
  const std::string& outPath = inv.Positional[0];
  std::vector<QImage> pictures;
  for (std::size_t i = 1; i < inv.Positional.size(); ++i) {
    QImage picture(QString::fromStdString(inv.Positional[i]));
    if (picture.isNull()) return Failure(err, "cannot read image '" + inv.Positional[i] + "'");
    pictures.push_back(std::move(picture));
  }
  const int bits = wil ? std::stoi(inv.Value("--depth", "8")) : 16;
  const WilPalette palette = bits == 8 ? BuildPalette(pictures) : WilPalette{};
  std::vector<LibraryImage> images;
  for (const QImage& picture : pictures) images.push_back(ToLibraryImage(picture, bits, palette));

  const SaveResult written =
      wil ? WriteWilLibrary(outPath, {bits, inv.Has("--older"), palette}, images)
          : WriteDataLibrary(outPath, std::stoi(inv.Value("--method", "0")), images);
  if (!written) return Failure(err, written.Message());
  out << "packed " << images.size() << (images.size() == 1 ? " image" : " images") << " into "
      << (wil ? outPath + " and " + TWilImages::IndexFileName(outPath)
              : TFirImages::DataFileName(outPath))
      << "\n";
  return 0;
}

int RunDemoLibs(const Invocation& inv, std::ostream& out, std::ostream& err) {
  if (const SaveResult written =
          WriteDemoLibraries(inv.Positional[0], inv.Value("--format", "both"), out);
      !written) {
    return Failure(err, written.Message());
  }
  return 0;
}

}  // namespace

SaveResult WriteDemoLibraries(const std::string& dir, const std::string& format,
                              std::ostream& out) {
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  const DemoArt art = DemoArt::Draw();
  const std::pair<const char*, const std::vector<QImage>*> libraries[] = {
      {"Tiles", &art.Tiles},
      {"SmTiles", &art.SmTiles},
      {"Objects", &art.Objects},
      {"Objects2", &art.Objects2}};
  for (const auto& [name, pictures] : libraries) {
    std::vector<LibraryImage> images;
    for (const QImage& picture : *pictures) images.push_back(ToLibraryImage(picture, 16, {}));
    const std::string base = dir + "/" + name;
    if (format != "wil") {
      if (SaveResult written = WriteDataLibrary(base + ".Data", 3, images); !written)
        return written;
    }
    if (format != "data") {
      if (SaveResult written = WriteWilLibrary(base + ".wil", {16, true, {}}, images); !written)
        return written;
    }
    out << name << ": " << images.size() << " images\n";
  }
  return {};
}

std::vector<Command> LibraryCommands() {
  const Option format{"--format", {"wil", "data"}, "library format (default: from the extension)"};
  return {
      {"lib-info",
       kLibInfoSynopsis,
       "Prints what the header and index of an image library say, as one line of JSON:\n"
       "images, bit count, layout (Wil) or compression method (Data), and the number of\n"
       "positions in the index. The format comes from the extension unless given.\n",
       {format},
       1,
       1,
       RunLibInfo},
      {"lib-export",
       kLibExportSynopsis,
       "Writes image INDEX of a library as a PNG: its bitmap form, as the editor draws it,\n"
       "or its texture form (transparent where the pixel is 0). With --raw the file holds\n"
       "int32 width, height and bits per pixel (16, 24 or 32; the texture is 16), then the\n"
       "rows top-down without padding: 5-6-5 words, or blue, green, red bytes. 8-bit Wil\n"
       "images come at their padded width. Exits with 1 and 'hlmap: no image' when there is\n"
       "no such image.\n",
       {format,
        {"--raw", {}, "write the raw pixel file instead of a PNG"},
        {"--texture", {}, "export the texture form"},
        PngLevelOption()},
       3,
       3,
       RunLibExport},
      {"lib-pack",
       kLibPackSynopsis,
       "Builds an image library from pictures (PNG, BMP or anything else Qt reads), in the\n"
       "order given. Transparent pixels and pure black become the colour drawing keys out.\n"
       "8-bit libraries get a palette built from the pictures. A Wil library gets its .WIX\n"
       "index beside it; 16-bit Wil libraries always use the older layout.\n",
       {{"--wil", {}, "write a Wil library"},
        {"--depth", {"8", "16", "24", "32"}, "bits per pixel of a Wil library (default 8)"},
        {"--older", {}, "the older Wil layout"},
        {"--data", {}, "write a Data library"},
        {"--method", {"0", "1", "2", "3"}, "compression of a Data library (default 0)"}},
       2,
       SIZE_MAX,
       RunLibPack},
      {"demo-libs",
       kDemoLibsSynopsis,
       "Draws the demo art set and writes it as image libraries in DIR: \"Tiles\" (four\n"
       "ground groups with every transition the big-tile painter places), \"SmTiles\" (three\n"
       "groups; images 57, 58 and 59 are the light, back-mark and front-mark signs),\n"
       "\"Objects\" (trees, bushes, rocks, flowers) and \"Objects2\" (fences, houses, lamps,\n"
       "wells). Data libraries use method 3, Wil libraries 16 bits per pixel.\n",
       {{"--format", {"data", "wil", "both"}, "which library files to write (default both)"}},
       1,
       1,
       RunDemoLibs},
  };
}

}  // namespace hl::cli
