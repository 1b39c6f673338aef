#include <memory>
#include <ostream>

#include "cli/Command.h"
#include "cli/MapInfo.h"
#include "map/MapDocument.h"
#include "map/MapFile.h"
#include "map/OldFormat.h"

namespace hl::cli {

namespace {

int RunInfo(const Invocation& inv, std::ostream& out, std::ostream& err) {
  const std::string& path = inv.Positional[0];
  auto doc = std::make_unique<MapDocument>();
  TMapHeader header;
  const LoadResult read = LoadMap(*doc, path, &header);
  if (!read) return Failure(err, read.Message());
  if (!read.Warning().empty()) err << "hlmap: " << read.Warning() << "\n";
  out << MapInfoJson(header, *doc) << "\n";
  return 0;
}

int RunSaveAs(const Invocation& inv, std::ostream&, std::ostream& err) {
  const std::string& in = inv.Positional[0];
  const std::string& outPath = inv.Positional[1];
  auto doc = std::make_unique<MapDocument>();
  const LoadResult read = LoadMap(*doc, in, nullptr);
  if (!read) return Failure(err, read.Message());
  if (!read.Warning().empty()) err << "hlmap: " << read.Warning() << "\n";
  return SaveMapAs(*doc, outPath, BitCountOf(inv), err);
}

int RunConvertOld(const Invocation& inv, std::ostream& out, std::ostream& err) {
  int notConverted = 0;
  ConvertOldFiles(inv.Positional, BitCountOf(inv),
                  [&](const std::string& file, BatchOutcome outcome) {
                    switch (outcome) {
                      case BatchOutcome::Converted:
                        out << "converted " << file << "\n";
                        break;
                      case BatchOutcome::Skipped:
                        out << "skipped " << file << "\n";
                        break;
                      case BatchOutcome::Failed:
                        out << "failed " << file << "\n";
                        break;
                    }
                    if (outcome != BatchOutcome::Converted) ++notConverted;
                    return true;
                  });
  out << "Conversion is complete!\n";
  if (notConverted > 0) {
    return Failure(err, std::to_string(notConverted) + " of " +
                            std::to_string(inv.Positional.size()) + " files were not converted");
  }
  return 0;
}

}  // namespace

std::vector<Command> MapCommands() {
  return {
      {"info",
       "hlmap info MAP",
       "Prints the size, title, bit count and content counts of a map file as one line of\n"
       "JSON. Cells are counted over the width x height in use.\n",
       {},
       1,
       1,
       RunInfo},
      {"save-as",
       "hlmap save-as IN OUT [--format wil|data]",
       "Loads the map IN and saves it as OUT, the way the editor saves: object library 7\n"
       "moves to library 6. An existing OUT is replaced only once the new file is complete.\n",
       {FormatOption()},
       2,
       2,
       RunSaveAs},
      {"convert-old",
       "hlmap convert-old [--format wil|data] FILE...",
       "Converts maps of the older layout in place, in the given order: every object then\n"
       "refers to library 0 and FrontMark is cleared. Prints 'converted FILE', 'skipped FILE'\n"
       "(it did not load) or 'failed FILE' (it did not save) for each, then\n"
       "'Conversion is complete!'. Exits with 1 when any file was not converted.\n",
       {FormatOption()},
       1,
       SIZE_MAX,
       RunConvertOld},
  };
}

}  // namespace hl::cli
