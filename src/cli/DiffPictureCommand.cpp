#include <ostream>

#include "cli/CommandSupport.h"
#include "cli/DiffCommand.h"
#include "images/LibrarySet.h"
#include "images/PngFile.h"
#include "view/DiffPicture.h"

namespace hl::cli {

namespace {

int WritePicture(const Invocation& inv, MapDocument& after, const MapDiff& diff,
                 const std::string& out, std::ostream& err) {
  LibrarySet libraries;
  libraries.Open(FormatOf(inv), inv.Value("--libs"));
  std::vector<InputFile> inputs = LibraryInputs(libraries);
  inputs.insert(inputs.begin(), {InputFile{"the first map", inv.Positional[0]},
                                 InputFile{"the second map", inv.Positional[1]}});
  if (const std::string problem = OutputProblem(out, inputs); !problem.empty()) {
    return Trouble(err, problem);
  }
  // Cells beyond B's own size are empty; the picture shows them where A had cells.
  after.SetMapSize(diff.Width, diff.Height);
  MapRenderer renderer(after, libraries);
  const int n = DiffPictureDivisor(diff.Width);
  if (inv.StartFonts && renderer.ScaledDownMayDrawText(n)) inv.StartFonts();
  const QImage picture = DrawDiffPicture(renderer, diff, n);
  if (picture.isNull()) return Trouble(err, "out of memory for the picture");
  if (const SaveResult written = WritePng(out, picture, kFastPngLevel); !written) {
    return Trouble(err, written.Message());
  }
  return 0;
}

int RunDiffDrawing(const Invocation& inv, std::ostream& out, std::ostream& err) {
  return RunDiffWith(inv, out, err, WritePicture);
}

}  // namespace

Command DiffCommandWithPicture() {
  return DiffCommandRunning(RunDiffDrawing);
}

}  // namespace hl::cli
