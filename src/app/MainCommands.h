#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "map/MapDocument.h"
#include "segments/SegmentProject.h"
#include "util/FileIdentity.h"
#include "util/LoadResult.h"
#include "util/Questions.h"
#include "util/SaveResult.h"

namespace hl {

// What the commands need of the main window: the view, the name label and the picture export.
class MainWindowHooks {
 public:
  virtual ~MainWindowHooks() = default;
  virtual void SizeView() = 0;
  virtual void Repaint() = 0;
  virtual void SetNameLabel(const std::string& text) = 0;
  // Writes the one-eighth picture of the map.
  virtual SaveResult ExportOverview(const std::string& path) = 0;
};

// The document state of the main window (file name, modified flag, segment mode, format) and
// the File and map-wide commands that work on it. No windows here: every question goes through
// Questions and every visible effect through MainWindowHooks, so each command runs headless.
class MainCommands {
 public:

  MainCommands(MapDocument& doc, Questions& questions, MainWindowHooks& window,
               std::uint8_t mapBitCount);

  std::uint8_t MapBitCount() const { return mapBitCount_; }
  const std::string& MapFileName() const { return mapFileName_; }
  // The map no longer belongs to a file: New, and the cells a cancelled segment window leaves.
  void SetUntitled();
  bool Modified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }
  bool SegmentMode() const { return segmentMode_; }
  void SetSegmentMode(bool on) { segmentMode_ = on; }
  // The window of segments loaded in segment mode, which the save question saves.
  SegmentWindow& Segments() { return segments_; }
  const SegmentWindow& Segments() const { return segments_; }
  // Writes the loaded segments; a failure is reported and leaves the map modified.
  bool SaveSegments();
  // Told after the loaded segments were written, whichever command wrote them.
  void SetSegmentsSavedListener(std::function<void(const SegmentWindow&)> listener) {
    segmentsSaved_ = std::move(listener);
  }

  // The save question before anything that would drop the map; false: stop what you do.
  bool QuerySave();
  void Open1Click();
  // Open without the dialog (a recent file): the same save question and refusals.
  void OpenNamed(const std::string& name);
  // Opens a recovery copy in place of the map. It takes the name the map had (empty: untitled)
  // and counts as modified, as none of its changes is saved anywhere else.
  bool RestoreRecovered(const std::string& copyPath, const std::string& originalName);
  void Save1Click();
  // True when the map was saved. Replacing an existing file is asked about, unless it is the
  // very file the map was opened from or last saved to (outside segment mode).
  bool SaveAs1Click();
  void New1Click();
  void Resize1Click();
  void MapScroll1Click();
  void OpenOldFormatFile1Click();
  void OldFromatBatchConvert1Click();
  void SaveToBitmap1Click();
  void Undo();
  void Redo();
  bool FormCloseQuery() { return QuerySave(); }
  // What the name label shows, refreshed every second.
  std::string NameLabelText() const;
  // The map's name in the window title: its file name, the top-left segment in segment mode,
  // "Untitled" without either.
  std::string TitleName() const;

 private:
  // The size dialog's numbers, each 1 to kMaxMapSide; its Ok refuses anything else. False
  // when the dialog was closed.
  bool AskMapSize(int* width, int* height);
  bool RefuseInSegmentMode();
  void Load(const std::string& name);
  // Shows what LoadMap had to say about a map it did read.
  void ReportWarning(const LoadResult& loaded);
  // The save dialog, and the question about replacing an existing file when it is due; No
  // goes back to the dialog. Nothing when the dialog was cancelled.
  std::optional<std::string> AskSaveName();

  MapDocument& doc_;
  Questions& questions_;
  MainWindowHooks& window_;
  std::uint8_t mapBitCount_;
  std::string mapFileName_;
  // The file as it was when the map was opened from or saved to it; saving over that same
  // file needs no question about replacing it.
  std::optional<FileIdentity> ownFile_;
  bool modified_ = false;
  bool segmentMode_ = false;
  SegmentWindow segments_;
  std::function<void(const SegmentWindow&)> segmentsSaved_;
};

}  // namespace hl
