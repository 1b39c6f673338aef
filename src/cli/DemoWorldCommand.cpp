#include <filesystem>
#include <memory>
#include <ostream>
#include <sstream>

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/DemoFiles.h"
#include "cli/DrawingCommandNames.h"
#include "map/MapFile.h"
#include "segments/SegmentProject.h"
#include "util/SafeFileWriter.h"
#include "util/WriteWholeFile.h"

namespace hl::cli {

namespace {

// The seed of the random full variants: the same seed paints the same world, byte for byte.
constexpr std::uint32_t kDemoSeed = 2026;
constexpr int kDemoMapSide = 200;
constexpr int kWorldSegments = 6;

std::string_view DemoData(std::string_view name) {
  for (const DemoFile& f : DemoFiles()) {
    if (f.Name == name) return f.Data;
  }
  return {};
}

// Paints a side x side map with one of the demo scripts.
bool Paint(const std::string& dir, std::string_view scriptName, int side, LibrarySet& libs,
           MapDocument& doc, std::string* error) {
  doc.SetMapSize(side, side);
  EditScript script(doc, kBitCountData, kDemoSeed, LimitsOf(libs));
  script.SetSetFolder(dir + "/");
  std::istringstream in{std::string(DemoData(scriptName))};
  if (const auto failed = script.Run(in)) {
    *error = std::string(scriptName) + " line " + std::to_string(failed->Line) + ": " +
             failed->Message;
    return false;
  }
  return true;
}

int RunDemoWorld(const Invocation& inv, std::ostream& out, std::ostream& err) {
  const std::string dir = inv.Positional[0];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (const SaveResult written = WriteDemoLibraries(dir, "both", out); !written) {
    return Failure(err, written.Message());
  }
  for (const char* name : {"kel.set", "Tile.atr"}) {
    if (const SaveResult written =
            WriteWholeFile(dir + "/" + name, DemoData(name), SafeFileWriter::OldTail::Drop);
        !written) {
      return Failure(err, written.Message());
    }
  }
  std::string error;
  LibrarySet libs;
  libs.Open(LibraryFormat::Data, dir);

  auto doc = std::make_unique<MapDocument>();
  if (!Paint(dir, "demo-map.txt", kDemoMapSide, libs, *doc, &error)) return Failure(err, error);
  if (const SaveResult saved = SaveMap(*doc, dir + "/demo.map", kBitCountData); !saved) {
    return Failure(err, saved.Message());
  }
  out << "demo.map: " << kDemoMapSide << " x " << kDemoMapSide << "\n";

  auto world = std::make_unique<MapDocument>();
  const int side = kWorldSegments * kSegmentSide;
  if (!Paint(dir, "world.txt", side, libs, *world, &error)) return Failure(err, error);
  if (const SaveResult saved =
          WriteProject(dir + "/world.mp", {"W", kWorldSegments, kWorldSegments});
      !saved) {
    return Failure(err, saved.Message());
  }
  for (int c = 0; c < kWorldSegments; ++c) {
    for (int r = 0; r < kWorldSegments; ++r) {
      const std::string path = dir + "/" + SegmentName("W", c, r) + ".sem";
      if (const SaveResult saved = SaveSegment(*world, path, c * kSegmentSide, r * kSegmentSide);
          !saved) {
        return Failure(err, saved.Message());
      }
    }
  }
  out << "world.mp: " << kWorldSegments << " x " << kWorldSegments << " segments\n";
  return 0;
}

}  // namespace

std::vector<Command> DemoWorldCommands() {
  return {{"demo-world",
           kDemoWorldSynopsis,
           "Makes a complete folder to try the editor in, from our own demo art: the libraries\n"
           "in both formats, \"kel.set\" with fourteen object sets, \"Tile.atr\", the 200 x 200\n"
           "\"demo.map\" and the segment project \"world.mp\" (6 x 6 segments W100100.sem ...),\n"
           "both painted by the editor's own tools from the scripts in the repository's demo/\n"
           "folder. The same hlmap always makes the same files.\n",
           {},
           1,
           1,
           RunDemoWorld}};
}

}  // namespace hl::cli
