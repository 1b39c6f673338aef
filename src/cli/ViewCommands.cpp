#include <QImage>
#include <cctype>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/DrawingCommandNames.h"
#include "images/LibrarySet.h"
#include "images/PngFile.h"
#include "map/MapFile.h"
#include "map/Zoom.h"
#include "view/MapRenderer.h"
#include "view/OverviewBmp.h"

namespace hl::cli {

namespace {

// "800x593" or "40,20": two non-negative numbers around a separator.
std::optional<std::pair<int, int>> ParsePair(const std::string& text, char separator) {
  const auto at = text.find(separator);
  if (at == std::string::npos) return std::nullopt;
  auto number = [](const std::string& s) -> std::optional<int> {
    if (s.empty() || s.size() > 6 || s.find_first_not_of("0123456789") != std::string::npos) {
      return std::nullopt;
    }
    return std::stoi(s);
  };
  auto a = number(text.substr(0, at)), b = number(text.substr(at + 1));
  if (!a || !b) return std::nullopt;
  return std::pair{*a, *b};
}

struct Loaded {
  std::unique_ptr<MapDocument> Doc = std::make_unique<MapDocument>();
  LibrarySet Libraries;
};

// The map and the libraries, unless the output OUT is one of their files: a picture written
// there would take the place of the map or library it was drawn from.
std::unique_ptr<Loaded> LoadMapAndLibraries(const Invocation& inv, std::ostream& err, int* code) {
  auto loaded = std::make_unique<Loaded>();
  const std::string& mapFile = inv.Positional[0];
  const LoadResult read = LoadMap(*loaded->Doc, mapFile);
  if (!read) {
    *code = Failure(err, read.Message());
    return nullptr;
  }
  loaded->Libraries.Open(FormatOf(inv), inv.Value("--libs"));
  std::vector<InputFile> inputs = LibraryInputs(loaded->Libraries);
  inputs.insert(inputs.begin(), InputFile{"the map", mapFile});
  if (const std::string problem = OutputProblem(inv.Positional[1], inputs); !problem.empty()) {
    *code = Failure(err, problem);
    return nullptr;
  }
  if (!read.Warning().empty()) err << "hlmap: " << read.Warning() << "\n";
  WarnOfMissingLibraries(loaded->Libraries, inv.Value("--libs"), err);
  return loaded;
}

int RunRender(const Invocation& inv, std::ostream&, std::ostream& err) {
  const auto zoom = ParseZoom(inv.Value("--zoom", "0.4"));
  if (!zoom)
    return UsageError(err, "--zoom takes 0.05 to 2 with at most two decimals", kRenderSynopsis);
  const auto size = ParsePair(inv.Value("--size", "800x593"), 'x');
  if (!size || size->first < 1 || size->second < 1 || size->first > 16384 || size->second > 16384) {
    return UsageError(err, "--size takes WIDTHxHEIGHT, each 1 to 16384", kRenderSynopsis);
  }
  const auto scroll = ParsePair(inv.Value("--scroll", "0,0"), ',');
  if (!scroll) return UsageError(err, "--scroll takes X,Y in pixels", kRenderSynopsis);
  ViewOptions options;
  std::stringstream hidden(inv.Value("--hide"));
  for (std::string layer; std::getline(hidden, layer, ',');) {
    if (layer == "back") {
      options.ShowBackgroundTile = false;
    } else if (layer == "middle") {
      options.ShowMiddleTile = false;
    } else if (layer == "objects") {
      options.ShowObject = false;
    } else {
      return UsageError(err, "--hide takes back, middle and objects", kRenderSynopsis);
    }
  }
  options.ShowAttribMarks = inv.Has("--marks");
  options.MiddleTransparent = !inv.Has("--opaque-middle");

  int code = 0;
  auto loaded = LoadMapAndLibraries(inv, err, &code);
  if (!loaded) return code;
  MapRenderer renderer(*loaded->Doc, loaded->Libraries);
  renderer.SetZoom(*zoom);
  renderer.SetOptions(options);
  const ViewFrame frame{scroll->first, scroll->second, size->first, size->second};
  // The renderer's font, made before the application, resolves to the application's font
  // when the text is drawn.
  if (inv.StartFonts && renderer.MayDrawText(frame)) inv.StartFonts();
  QImage picture(size->first, size->second, QImage::Format_RGB32);
  if (picture.isNull()) return Failure(err, "out of memory for the picture");
  const QPoint origin(scroll->first, scroll->second);
  renderer.PaintMap(picture, origin, QRect(origin, picture.size()), frame);
  if (const SaveResult written = WritePng(inv.Positional[1], picture, PngLevelOf(inv)); !written) {
    return Failure(err, written.Message());
  }
  return 0;
}

int RunExportBmp(const Invocation& inv, std::ostream&, std::ostream& err) {
  int code = 0;
  auto loaded = LoadMapAndLibraries(inv, err, &code);
  if (!loaded) return code;
  MapRenderer renderer(*loaded->Doc, loaded->Libraries);
  if (const SaveResult written = WriteOverviewBmp(renderer, inv.Positional[1]); !written) {
    return Failure(err, written.Message());
  }
  return 0;
}

}  // namespace

void WarnOfMissingLibraries(LibrarySet& libs, const std::string& folder, std::ostream& err) {
  const std::string ext = libs.Format() == LibraryFormat::Wil ? ".wil" : ".Data";
  std::error_code ec;
  std::string where =
      std::filesystem::absolute(folder.empty() ? "." : folder, ec).lexically_normal().string();
  while (where.size() > 1 && where.back() == '/') where.pop_back();
  auto warn = [&](std::string_view kind, const std::string& names, std::string_view leftOut) {
    err << "hlmap: no " << kind << " library opened in " << where << " (looked for " << names
        << " in any letter case): " << leftOut << " left out\n";
  };
  if (!libs.Tiles().Initialized) warn("tile", "Tiles" + ext, "big tiles are");
  if (!libs.SmTiles().Initialized) warn("small-tile", "SmTiles" + ext, "small tiles and marks are");
  bool anyObjects = false;
  for (int slot = 0; slot < LibrarySet::kObjectSlots; ++slot)
    anyObjects = anyObjects || libs.ObjectSlotLibrary(slot).Initialized;
  if (!anyObjects) {
    warn("object",
         LibrarySet::ObjectLibraryName(0) + ext + ", " + LibrarySet::ObjectLibraryName(1) + ext +
             " ... " + LibrarySet::ObjectLibraryName(LibrarySet::kObjectSlots - 1) + ext,
         "objects are");
  }
}

std::vector<Command> ViewCommands() {
  const Option format{"--format", {"wil", "data"}, "library format (default data)"};
  const Option libs{"--libs", {}, "folder of the image libraries (default: here)", true, "DIR"};
  return {
      {"render",
       kRenderSynopsis,
       "Draws MAP as the editor's map view shows it after one full repaint, for a main\n"
       "window of W x H pixels (default 800x593) at zoom Z (default 0.4), scrolled to pixel\n"
       "X,Y (default 0,0), and writes that picture as a PNG. The layers and marks follow the\n"
       "View menu as at start-up unless the flags say otherwise. A kind of library of which\n"
       "none opens is left out and named on standard error; that is no failure.\n",
       {format,
        libs,
        {"--zoom", {}, "zoom, 0.05 to 2", true, "Z"},
        {"--size", {}, "main window size in pixels", true, "WxH"},
        {"--scroll", {}, "scroll position in pixels", true, "X,Y"},
        {"--hide", {}, "layers to leave out: back, middle, objects", true, "LAYERS"},
        {"--marks", {}, "show the attribute marks (Show AttribMarks)"},
        {"--opaque-middle", {}, "draw middle tiles opaque (Middle Transparent off)"},
        PngLevelOption()},
       2,
       2,
       RunRender},
      {"export-bmp",
       kExportBmpSynopsis,
       "Writes the whole map at one eighth of full size (6 x 4 pixels a cell) as a 24-bit\n"
       "BMP: big tiles, middle tiles and objects on white, no marks, as the editor's\n"
       "\"Save To bmp\" does. A kind of library of which none opens is left out and named on\n"
       "standard error; that is no failure.\n",
       {format, libs},
       2,
       2,
       RunExportBmp},
  };
}

}  // namespace hl::cli
