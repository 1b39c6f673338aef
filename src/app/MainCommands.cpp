#include "app/MainCommands.h"

#include <algorithm>

#include "map/MapFile.h"
#include "map/MapShift.h"
#include "map/OldFormat.h"
#include "util/TextHelpers.h"

namespace hl {

namespace {

constexpr char kUseSegmentTool[] = "Use Segment Tool";
constexpr char kSaveQuestion[] = "Would you like to save ?";
constexpr char kConversionComplete[] = "Conversion is complete!";
constexpr char kOverviewFile[] = "map.bmp";
// Batches larger than this show progress and can be stopped between files.
constexpr std::size_t kQuietBatch = 3;

}  // namespace

MainCommands::MainCommands(MapDocument& doc, Questions& questions, MainWindowHooks& window,
                           std::uint8_t mapBitCount)
    : doc_(doc), questions_(questions), window_(window), mapBitCount_(mapBitCount) {}

bool MainCommands::RefuseInSegmentMode() {
  if (!segmentMode_) return false;
  questions_.Inform(kUseSegmentTool);
  return true;
}

bool MainCommands::QuerySave() {
  if (!modified_) return true;
  switch (questions_.AskYesNoCancel(kSaveQuestion)) {
    case Questions::Reply::Cancel:
      return false;
    case Questions::Reply::No:
      return true;
    case Questions::Reply::Yes:
      // The user wants the map kept: without a save, whatever asked must not go on.
      return segmentMode_ ? SaveSegments() : SaveAs1Click();
  }
  return false;
}

bool MainCommands::SaveSegments() {
  if (const SaveResult saved = segments_.SaveSegments(doc_); !saved) {
    questions_.Inform(saved.Message());
    return false;
  }
  modified_ = false;
  return true;
}

void MainCommands::Open1Click() {
  if (!QuerySave() || RefuseInSegmentMode()) return;
  if (const auto name = questions_.OpenMapName()) Load(*name);
}

void MainCommands::OpenNamed(const std::string& name) {
  if (!QuerySave() || RefuseInSegmentMode()) return;
  Load(name);
}

bool MainCommands::RestoreRecovered(const std::string& copyPath,
                                    const std::string& originalName) {
  if (!QuerySave() || RefuseInSegmentMode()) return false;
  if (!LoadMap(doc_, copyPath)) {
    questions_.Inform("The recovered map could not be read.");
    return false;
  }
  mapFileName_ = originalName;
  modified_ = true;
  window_.SetNameLabel(originalName.empty() ? std::string("Untitled.map")
                                            : FileNameOnly(originalName));
  window_.SizeView();
  window_.Repaint();
  return true;
}

void MainCommands::Load(const std::string& name) {
  if (!LoadMap(doc_, name)) {
    questions_.Inform("The map \"" + name + "\" could not be opened.");
    return;
  }
  mapFileName_ = name;
  modified_ = false;
  window_.SetNameLabel(FileNameOnly(name));
  window_.SizeView();
  window_.Repaint();
}

bool MainCommands::SaveAs1Click() {
  // The map writer would refuse this map whatever the file; it says why before the dialog.
  if (const std::string problem = MapSizeProblem(doc_.MapWidth(), doc_.MapHeight());
      !problem.empty()) {
    questions_.Inform(problem);
    return false;
  }
  const auto name = questions_.SaveMapName(mapFileName_);
  if (!name) return false;
  SaveMapReport report;
  if (const SaveResult saved = SaveMap(doc_, *name, mapBitCount_, &report); !saved) {
    questions_.Inform(saved.Message());
    return false;
  }
  mapFileName_ = *name;
  window_.SetNameLabel(FileNameOnly(*name));
  modified_ = false;
  if (report.KeptInLibrary7 > 0) {
    questions_.Inform(std::to_string(report.KeptInLibrary7) +
                      " objects of library 7 cannot be moved to library 6 and were saved in "
                      "library 7.");
  }
  return true;
}

void MainCommands::Save1Click() {
  if (RefuseInSegmentMode()) return;
  SaveAs1Click();
}

bool MainCommands::AskMapSize(int* width, int* height) {
  const auto texts = questions_.MapSizeTexts();
  if (!texts) return false;
  auto side = [](const std::string& text) {
    const int v = StrToIntDefault(text, 1);
    return v < 0 ? 1 : std::min(v, kMaxMapSide);  // a typed 0 stays 0
  };
  *width = side(texts->first);
  *height = side(texts->second);
  return true;
}

void MainCommands::New1Click() {
  if (!QuerySave() || RefuseInSegmentMode()) return;
  int width = 0, height = 0;
  if (!AskMapSize(&width, &height)) return;
  doc_.CloseAction();
  doc_.SetMapSize(width, height);
  doc_.ClearMap();
  doc_.ClearRedo();
  mapFileName_.clear();  // the new map is no longer that file
  window_.SetNameLabel("Untitled.map");
  window_.SizeView();
  window_.Repaint();
}

void MainCommands::Resize1Click() {
  int width = 0, height = 0;
  if (!AskMapSize(&width, &height)) return;
  doc_.PushUndo("Resize");
  doc_.SetMapSize(width, height);
  doc_.CloseAction();
  modified_ = true;
  window_.SizeView();
  window_.Repaint();
}

void MainCommands::MapScroll1Click() {
  doc_.PushUndo("Map Scroll");
  const auto [x, y] = questions_.ShiftTexts();
  ShiftMap(doc_, StrToIntDefault(x, 0), StrToIntDefault(y, 0));
  doc_.CloseAction();
  modified_ = true;
  window_.Repaint();
}

void MainCommands::OpenOldFormatFile1Click() {
  if (!QuerySave() || RefuseInSegmentMode()) return;
  const auto name = questions_.OpenMapName();
  if (!name) return;
  if (!LoadMap(doc_, *name)) {
    questions_.Inform("The map \"" + *name + "\" could not be opened.");
    return;
  }
  mapFileName_ = *name;
  window_.SetNameLabel(FileNameOnly(*name));
  window_.SizeView();
  ConvertOldCells(doc_);
  // The imported map differs from its file until it is saved in the current layout.
  modified_ = true;
  window_.Repaint();
}

void MainCommands::OldFromatBatchConvert1Click() {
  const std::vector<std::string> files = questions_.OpenMapNames();
  if (files.empty()) return;
  int converted = 0, skipped = 0, failed = 0;
  const bool showProgress = files.size() > kQuietBatch;
  bool stopped = false;
  if (showProgress) questions_.Progress("Converting maps", 0, static_cast<int>(files.size()));
  ConvertOldFiles(files, mapBitCount_, [&](const std::string&, BatchOutcome outcome) {
    switch (outcome) {
      case BatchOutcome::Converted:
        ++converted;
        break;
      case BatchOutcome::Skipped:
        ++skipped;
        break;
      case BatchOutcome::Failed:
        ++failed;
        break;
    }
    if (!showProgress) return true;
    stopped = !questions_.Progress("Converting maps", converted + skipped + failed,
                                   static_cast<int>(files.size()));
    return !stopped;
  });
  const std::string counts = std::to_string(converted) + " converted, " + std::to_string(skipped) +
                             " skipped, " + std::to_string(failed) + " failed.";
  if (stopped) {
    questions_.Inform("Conversion stopped: " + counts);
  } else {
    questions_.Inform(std::string(kConversionComplete) + "\n" + counts);
  }
}

void MainCommands::SaveToBitmap1Click() {
  if (const SaveResult written = window_.ExportOverview(kOverviewFile); !written) {
    questions_.Inform(written.Message());
  }
}

void MainCommands::Undo() {
  doc_.CloseAction();
  if (doc_.UndoCount() == 0) return;
  doc_.PopUndo();
  modified_ = true;
  window_.Repaint();
}

void MainCommands::Redo() {
  doc_.CloseAction();
  if (doc_.RedoCount() == 0) return;
  doc_.Redo();
  modified_ = true;
  window_.Repaint();
}

std::string MainCommands::NameLabelText() const {
  const std::string unsaved = modified_ ? "Unsaved" : "";
  if (segmentMode_) return unsaved + segments_.SegmentNames[0][0];
  if (modified_) return unsaved + FileNameOnly(mapFileName_);
  if (!mapFileName_.empty()) return FileNameOnly(mapFileName_);
  return "Unnamed";
}

}  // namespace hl
