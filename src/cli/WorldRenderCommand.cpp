#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <optional>
#include <ostream>
#include <string>

#include "cli/Command.h"
#include "cli/CommandSupport.h"
#include "cli/DrawingCommandNames.h"
#include "util/FileIdentity.h"
#include "util/PathParts.h"
#include "util/TextHelpers.h"
#include "util/WorkerPool.h"
#include "view/WorldRender.h"

namespace hl::cli {

namespace {

// A number of digits only, below a million.
std::optional<int> SmallNumber(const std::string& s) {
  if (s.empty() || s.size() > 6 || s.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  return std::stoi(s);
}

std::optional<int> ParseScale(const std::string& text) {
  if (text.rfind("1/", 0) != 0) return std::nullopt;
  const auto n = SmallNumber(text.substr(2));
  if (!n || *n < 1 || *n > kMaxWorldScale) return std::nullopt;
  return n;
}

std::optional<QRect> ParseArea(const std::string& text) {
  int values[4];
  std::size_t at = 0;
  for (int i = 0; i < 4; ++i) {
    const std::size_t comma = i < 3 ? text.find(',', at) : text.size();
    if (comma == std::string::npos) return std::nullopt;
    const auto n = SmallNumber(text.substr(at, comma - at));
    if (!n) return std::nullopt;
    values[i] = *n;
    at = comma + 1;
  }
  if (values[0] > values[2] || values[1] > values[3]) return std::nullopt;
  return QRect(QPoint(values[0], values[1]), QPoint(values[2], values[3]));
}

// The smallest 1/N at which `segments` of `cellPixels`-wide cells fit a picture side.
long long ScaleThatFits(long long segments, int cellPixels) {
  return segments * kSegmentSide * cellPixels / (kMaxWorldPictureSide + 1) + 1;
}

// Why the picture cannot be written to `out`: it would replace a segment file of the project.
// The project file and the libraries are checked by OutputProblem.
std::string SegmentOutputProblem(const std::string& out, const WorldProject& project) {
  const auto target = RegularFileIdentity(out);
  if (!target) return {};
  // Where a link at OUT leads: that file would be replaced.
  char resolved[4096];
  if (!::realpath(out.c_str(), resolved)) return {};
  const std::string real = resolved;
  struct stat here {
  }, there{};
  if (::stat(ParentDirectory(real).c_str(), &here) != 0 || ::stat(project.Dir.c_str(), &there) != 0)
    return {};
  std::string name = BaseName(real);
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (here.st_dev == there.st_dev && here.st_ino == there.st_ino && name.size() > 4 &&
      name.compare(name.size() - 4, 4, ".sem") == 0) {
    return "'" + out +
           "' is a segment file of the project; writing there would replace it, so "
           "nothing was written (choose another output file)";
  }
  return {};
}

int RunWorldRender(const Invocation& inv, std::ostream&, std::ostream& err) {
  WorldRenderJob job;
  const auto scale = ParseScale(inv.Value("--scale", "1/16"));
  if (!scale) {
    return UsageError(err, "--scale takes 1/N with N from 1 to " + std::to_string(kMaxWorldScale),
                      kWorldRenderSynopsis);
  }
  job.Scale = *scale;
  std::optional<QRect> area;
  if (const std::string text = inv.Value("--area"); !text.empty()) {
    area = ParseArea(text);
    if (!area) {
      return UsageError(err, "--area takes C0,R0,C1,R1: the first and last segment column and row",
                        kWorldRenderSynopsis);
    }
  }
  const std::string& projectFile = inv.Positional[0];
  const std::string& outFile = inv.Positional[1];
  std::string error;
  const auto project = OpenWorld(projectFile, &error);
  if (!project) return Failure(err, error);
  const QRect whole(0, 0, project->Cols, project->Rows);
  if (area && !whole.contains(*area)) {
    return Failure(err, "--area " + inv.Value("--area") +
                            " reaches past the project, whose segment "
                            "columns are 0 to " +
                            std::to_string(project->Cols - 1) + " and rows 0 to " +
                            std::to_string(project->Rows - 1));
  }
  job.Segments = area.value_or(whole);
  const WorldGeometry world = GeometryOf(job);
  if (world.Width() > kMaxWorldPictureSide || world.Height() > kMaxWorldPictureSide) {
    const long long fits = std::max(ScaleThatFits(job.Segments.width(), kCellWidth),
                                    ScaleThatFits(job.Segments.height(), kCellHeight));
    std::string advice = fits <= kMaxWorldScale ? "choose --scale 1/" + std::to_string(fits) +
                                                      " or smaller, or an --area"
                                                : "choose an --area of fewer segments";
    return Failure(err, "the picture would be " + std::to_string(world.Width()) + " x " +
                            std::to_string(world.Height()) + " pixels, more than the " +
                            std::to_string(kMaxWorldPictureSide) + " a side a PNG viewer takes; " +
                            advice);
  }
  job.Format = FormatOf(inv);
  job.LibraryFolder = inv.Value("--libs");
  job.PngLevel = PngLevelOf(inv);
  job.Workers = WorkerPool::DefaultSize();

  LibrarySet libraries;
  libraries.Open(job.Format, job.LibraryFolder);
  std::vector<InputFile> inputs = LibraryInputs(libraries);
  inputs.insert(inputs.begin(), InputFile{"the project", projectFile});
  std::string problem = OutputProblem(outFile, inputs);
  if (problem.empty()) problem = SegmentOutputProblem(outFile, *project);
  if (!problem.empty()) return Failure(err, problem);
  WarnOfMissingLibraries(libraries, job.LibraryFolder, err);

  job.Warn = [&](const std::string& message) { err << "hlmap: " << message << "\n"; };
  if (inv.ErrIsTerminal) {
    job.Progress = [&](int done, int total) {
      err << "\rhlmap: world-render: segment row " << done << " of " << total << std::flush;
      if (done == total) err << "\n";
    };
  }
  const SegmentFiles files(*project);
  if (const SaveResult written = WriteWorldPng(files, job, outFile, &libraries); !written) {
    return Failure(err, written.Message());
  }
  return 0;
}

}  // namespace

std::vector<Command> WorldRenderCommands() {
  return {
      {"world-render",
       kWorldRenderSynopsis,
       "Draws the world of a segment project (all its segments, or those of --area, as one\n"
       "map) as `hlmap render` would draw that map, at 1/N of full size (default 1/16):\n"
       "big tiles, middle tiles and objects on white, no marks and no border; objects over\n"
       "a segment border are drawn whole. The picture is (columns x 1920) / N by (rows x\n"
       "1280) / N pixels, at most 65,535 a side. It is drawn and written a band of segment\n"
       "rows at a time on every core, so memory does not grow with the world. Missing\n"
       "segment files are empty ground; unreadable ones are drawn empty and named on\n"
       "standard error. Exit status 2 for a malformed --scale or --area, 1 for an area past\n"
       "the project or a picture too large.\n",
       {{"--format", {"wil", "data"}, "library format (default data)"},
        {"--libs", {}, "folder of the image libraries (default: here)", true, "DIR"},
        {"--scale", {}, "1/1 to 1/64 of full size (default 1/16)", true, "1/N"},
        {"--area", {}, "first and last segment column and row (default: all)", true, "C0,R0,C1,R1"},
        PngLevelOption()},
       2,
       2,
       RunWorldRender}};
}

}  // namespace hl::cli
