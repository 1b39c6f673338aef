#include <memory>
#include <ostream>

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/DrawingCommandNames.h"
#include "images/LibrarySet.h"
#include "map/MapFile.h"
#include "view/TmxFile.h"

namespace hl::cli {

namespace {

int RunExportTmx(const Invocation& inv, std::ostream&, std::ostream& err) {
  const std::string& mapFile = inv.Positional[0];
  const std::string& out = inv.Positional[1];
  auto doc = std::make_unique<MapDocument>();
  const LoadResult read = LoadMap(*doc, mapFile);
  if (!read) return Failure(err, read.Message());
  const auto header = ReadMapHeaderBytes(mapFile);
  if (!header)
    return Failure(err, "cannot open '" + mapFile + "': the header cannot be read again");
  LibrarySet libraries;
  libraries.Open(FormatOf(inv), inv.Value("--libs"));
  std::vector<InputFile> inputs = LibraryInputs(libraries);
  inputs.insert(inputs.begin(), InputFile{"the map", mapFile});
  if (const std::string problem = OutputProblem(out, inputs); !problem.empty()) {
    return Failure(err, problem);
  }
  if (!read.Warning().empty()) err << "hlmap: " << read.Warning() << "\n";
  WarnOfMissingLibraries(libraries, inv.Value("--libs"), err);
  if (const SaveResult written = ExportTmx(*doc, *header, libraries, out); !written) {
    return Failure(err, written.Message());
  }
  return 0;
}

int RunImportTmx(const Invocation& inv, std::ostream&, std::ostream& err) {
  const std::string& in = inv.Positional[0];
  const std::string& out = inv.Positional[1];
  if (const std::string problem = OutputProblem(out, {InputFile{"the TMX map", in}});
      !problem.empty()) {
    return Failure(err, problem);
  }
  auto doc = std::make_unique<MapDocument>();
  std::array<std::uint8_t, kMapHeaderSize> header{};
  std::string why;
  if (!ImportTmx(in, BitCountOf(inv), *doc, header, &why)) return Failure(err, why);
  if (const SaveResult written = WriteMapWithHeader(*doc, out, header); !written) {
    return Failure(err, written.Message());
  }
  return 0;
}

}  // namespace

std::vector<Command> TmxCommands() {
  return {
      {"export-tmx",
       kExportTmxSynopsis,
       "Writes MAP as a Tiled map (TMX, orthogonal, 48 x 32 cells) that Tiled 1.8 opens:\n"
       "a tile layer per drawing pass in the view's order (\"big tiles\", \"small tiles\",\n"
       "\"objects\"), each image where the view draws it, and the images the map shows as\n"
       "PNG files in the folder OUT.tilesets beside OUT (one image-collection tileset per\n"
       "library, tile ids are image numbers). The map property \"harbourlight-cells\"\n"
       "carries the header and every cell record (zlib, base64), so that import-tmx gives\n"
       "back everything the layers cannot show. Libraries come from --libs (default: here).\n",
       {FormatOption(),
        {"--libs", {}, "folder of the image libraries (default: here)", true, "DIR"}},
       2,
       2,
       RunExportTmx},
      {"import-tmx",
       kImportTmxSynopsis,
       "Reads a TMX map made by export-tmx, and perhaps edited in Tiled since, and writes it\n"
       "as the map OUT: the layers say which big tile, small tile and object each cell\n"
       "holds, the \"harbourlight-cells\" property the rest (without it, the rest is empty\n"
       "and --format chooses the bit count). A big tile painted in Tiled fills its 2 x 2\n"
       "block. Layer data may be CSV or base64 (plain, zlib or gzip). zstd, flipped tiles,\n"
       "tiles of no library and big tiles on odd cells are refused with a message naming\n"
       "the cell.\n",
       {FormatOption()},
       2,
       2,
       RunImportTmx},
  };
}

}  // namespace hl::cli
