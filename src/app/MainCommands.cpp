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
constexpr char kUntitledLabel[] = "Untitled.map";
// Batches larger than this show progress and can be stopped between files.
constexpr std::size_t kQuietBatch = 3;

constexpr NumberField kWidthField{"X (the width)", 1, kMaxMapSide, std::nullopt};
constexpr NumberField kHeightField{"Y (the height)", 1, kMaxMapSide, std::nullopt};
// A shift by the whole area moves everything out of it, as any larger one would; an empty box
// shifts nothing that way.
constexpr NumberField kShiftXField{"Cords X", -kShiftArea, kShiftArea, 0};
constexpr NumberField kShiftYField{"Cords Y", -kShiftArea, kShiftArea, 0};

// The problems of both boxes of a two-box dialog, one a line; empty when both are fine.
std::string PairProblem(const NumberField& first, const NumberField& second,
                        const Questions::TextPair& texts) {
  std::string problem = first.Problem(texts.first);
  const std::string other = second.Problem(texts.second);
  if (!problem.empty() && !other.empty()) problem += "\n";
  return problem + other;
}

std::string SizeProblem(const Questions::TextPair& texts) {
  return PairProblem(kWidthField, kHeightField, texts);
}

std::string ShiftProblem(const Questions::TextPair& texts) {
  return PairProblem(kShiftXField, kShiftYField, texts);
}

// The name as the file dialog shows it, without its folder.
std::string BareFileName(const std::string& path) {
  return path.substr(DirectoryPart(path).size());
}

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
  if (segmentsSaved_) segmentsSaved_(segments_);
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
  const LoadResult loaded = LoadMap(doc_, copyPath);
  if (!loaded) {
    questions_.Inform("The recovered map could not be read: " + loaded.Reason() + ".");
    return false;
  }
  mapFileName_ = originalName;
  // The copy is not that file, whose content may be older or newer: replacing it is asked.
  ownFile_.reset();
  modified_ = true;
  window_.SetNameLabel(originalName.empty() ? std::string(kUntitledLabel)
                                            : FileNameOnly(originalName));
  window_.SizeView();
  window_.Repaint();
  ReportWarning(loaded);
  return true;
}

void MainCommands::Load(const std::string& name) {
  const LoadResult loaded = LoadMap(doc_, name);
  if (!loaded) {
    questions_.Inform(loaded.Message());
    return;
  }
  mapFileName_ = name;
  ownFile_ = RegularFileIdentity(name);
  modified_ = false;
  window_.SetNameLabel(FileNameOnly(name));
  window_.SizeView();
  window_.Repaint();
  ReportWarning(loaded);
}

void MainCommands::ReportWarning(const LoadResult& loaded) {
  if (!loaded.Warning().empty()) questions_.Inform(loaded.Warning());
}

void MainCommands::SetUntitled() {
  mapFileName_.clear();
  ownFile_.reset();
  window_.SetNameLabel(kUntitledLabel);
}

std::optional<std::string> MainCommands::AskSaveName() {
  std::string start = mapFileName_;
  for (;;) {
    std::optional<std::string> name = questions_.SaveMapName(start);
    if (!name) return std::nullopt;
    const std::optional<FileIdentity> existing = RegularFileIdentity(*name);
    // In segment mode the map's name still belongs to the map opened before the segments, so
    // its file is not this map's own.
    const bool ownFile = !segmentMode_ && ownFile_ && existing == ownFile_;
    if (!existing || ownFile ||
        questions_.AskYesNo("\"" + BareFileName(*name) +
                            "\" already exists.\nDo you want to replace it?")) {
      return name;
    }
    start = *name;
  }
}

bool MainCommands::SaveAs1Click() {
  // The map writer would refuse this map whatever the file; it says why before the dialog.
  if (const std::string problem = MapSizeProblem(doc_.MapWidth(), doc_.MapHeight());
      !problem.empty()) {
    questions_.Inform(problem);
    return false;
  }
  const auto name = AskSaveName();
  if (!name) return false;
  SaveMapReport report;
  if (const SaveResult saved = SaveMap(doc_, *name, mapBitCount_, &report); !saved) {
    questions_.Inform(saved.Message());
    return false;
  }
  mapFileName_ = *name;
  // The save put a new file in the old one's place: this is the map's file from now on.
  ownFile_ = RegularFileIdentity(*name);
  modified_ = false;
  window_.SetNameLabel(FileNameOnly(*name));
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
  const auto texts = questions_.MapSizeTexts(SizeProblem);
  if (!texts) return false;
  const auto w = kWidthField.Read(texts->first), h = kHeightField.Read(texts->second);
  // Only what the check took gets through; anything else counts as closed.
  if (!w || !h) return false;
  *width = *w;
  *height = *h;
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
  SetUntitled();  // the new map is no longer that file
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
  const auto texts = questions_.ShiftTexts(ShiftProblem);
  if (!texts) return;  // closed without Ok: nothing moves
  const auto dx = kShiftXField.Read(texts->first), dy = kShiftYField.Read(texts->second);
  if (!dx || !dy) return;
  doc_.PushUndo("Map Scroll");
  ShiftMap(doc_, *dx, *dy);
  doc_.CloseAction();
  modified_ = true;
  window_.Repaint();
}

void MainCommands::OpenOldFormatFile1Click() {
  if (!QuerySave() || RefuseInSegmentMode()) return;
  const auto name = questions_.OpenMapName();
  if (!name) return;
  const LoadResult loaded = LoadMap(doc_, *name);
  if (!loaded) {
    questions_.Inform(loaded.Message());
    return;
  }
  mapFileName_ = *name;
  ownFile_ = RegularFileIdentity(*name);
  window_.SetNameLabel(FileNameOnly(*name));
  window_.SizeView();
  ConvertOldCells(doc_);
  // The imported map differs from its file until it is saved in the current layout.
  modified_ = true;
  window_.Repaint();
  ReportWarning(loaded);
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
  const std::string name = segmentMode_ ? segments_.SegmentNames[0][0] : FileNameOnly(mapFileName_);
  if (modified_) return name.empty() ? "Unsaved" : "Unsaved " + name;
  if (segmentMode_ || !mapFileName_.empty()) return name;
  return "Unnamed";
}

std::string MainCommands::TitleName() const {
  const std::string name = segmentMode_ ? segments_.SegmentNames[0][0] : BareFileName(mapFileName_);
  return name.empty() ? "Untitled" : name;
}

}  // namespace hl
