#pragma once

#include <deque>
#include <istream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/MainCommands.h"
#include "app/RegionCommands.h"
#include "map/MapDocument.h"
#include "objects/ObjectSets.h"
#include "tools/ToolDispatch.h"
#include "tools/ToolRandom.h"
#include "tools/ToolState.h"

namespace hl {

// What the selections of a script may name: the sizes of the libraries found, or with none
// found, what the cell fields can store.
struct SelectionLimits {
  int BigTileGroups = ToolState::kMaxBigTileGroup + 1;
  int SmallTileGroups = ToolState::kMaxSmallTileGroup + 1;
  int Tiles = ToolState::kMaxTile + 1;
  // Images of each object library (20 slots); a negative count means "any that fits a cell".
  int ObjectImages[kObjectLibraries] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
                          -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
};

struct ScriptError {
  int Line;
  std::string Message;
};

// Runs an edit script: one command a line, driving the same dispatch as the map view's mouse
// (tool, layer, zoom, selections, press, press-px, drag) and the map-wide commands (scroll,
// resize, undo). Blank lines and lines starting with # are skipped. Stops at the first line
// it cannot run and says why.
class EditScript {
 public:
  // Longer lines are refused: no command needs more, and a file without line breaks (or a
  // device without end) is not read into memory as one line.
  static constexpr std::size_t kMaxLineLength = 4096;
  // Dispatched actions (presses, drags, scrolls, resizes, undos) a script may do by default:
  // far more than any real edit needs, while a hostile script cannot run for days.
  static constexpr std::uint64_t kDefaultActionLimit = 10'000'000;

  EditScript(MapDocument& doc, std::uint8_t mapBitCount, std::uint32_t seed,
             const SelectionLimits& limits);
  ~EditScript();

  std::optional<ScriptError> Run(std::istream& script);

  const ToolState& Tools() const { return tools_; }
  // Where set files named without a leading '/' are found (empty: the current folder); a
  // folder ends with its separator.
  void SetSetFolder(std::string folder) { setFolder_ = std::move(folder); }
  // How many actions Run may dispatch before it stops with an error.
  void SetActionLimit(std::uint64_t limit) { actionsLeft_ = limit; }

  // The verbs of the script language, one line each with its synopsis, for the help text.
  static std::string VerbHelp();

 private:
  class Answers;
  struct Line;
  struct Verbs;
  struct Verb {
    std::string_view Name;
    std::string_view Synopsis;
    std::string_view Help;
    std::optional<std::string> (*Run)(EditScript&, const Line&);
  };
  static const std::vector<Verb>& VerbTable();
  std::optional<std::string> RunLine(const std::string& line);
  // Takes `count` actions from the limit; false (and nothing taken) when they exceed it.
  bool TakeActions(std::uint64_t count);

  MapDocument& doc_;
  SelectionLimits limits_;
  ToolState tools_;
  ToolRandom random_;
  int zoom_ = kStartZoom;
  // Answers for the dialogs, each with the line that gave it; nothing stands for "cancel".
  std::deque<std::pair<int, std::optional<Questions::TextPair>>> pendingSizes_;
  std::deque<std::pair<int, std::optional<Questions::TextPair>>> pendingShifts_;
  std::deque<std::pair<int, std::optional<std::string>>> lightAnswers_;
  std::deque<std::pair<int, std::optional<Questions::DoorTexts>>> doorAnswers_;
  // The object-set window of a script: the file last loaded and the row picked in it.
  ObjectSetList sets_;
  std::string setsFile_;
  std::string setFolder_;
  int setRow_ = -1;
  int line_ = 0;
  std::uint64_t actionsLeft_ = kDefaultActionLimit;
  std::optional<std::string> missingAnswer_;
  // An answer a dialog's Ok refused, with the line that gave it: the script stops there.
  std::optional<ScriptError> refused_;
  struct Hooks;
  std::unique_ptr<Hooks> hooks_;
  std::unique_ptr<Answers> answers_;
  std::unique_ptr<ToolDispatch> dispatch_;
  std::unique_ptr<MainCommands> commands_;
  // The selection and a clipboard of the script's own: no desktop clipboard without a window.
  RegionCommands regions_{doc_};
};

}  // namespace hl
