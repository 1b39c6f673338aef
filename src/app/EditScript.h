#pragma once

#include <deque>
#include <istream>
#include <memory>
#include <optional>
#include <string>

#include "app/MainCommands.h"
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
  int ObjectImages[20] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1,
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
  EditScript(MapDocument& doc, std::uint8_t mapBitCount, std::uint32_t seed,
             const SelectionLimits& limits);
  ~EditScript();

  std::optional<ScriptError> Run(std::istream& script);

  const ToolState& Tools() const { return tools_; }
  // Where set files named without a leading '/' are found (empty: the current folder); a
  // folder ends with its separator.
  void SetSetFolder(std::string folder) { setFolder_ = std::move(folder); }

 private:
  class Answers;
  std::optional<std::string> RunLine(const std::string& line);

  MapDocument& doc_;
  SelectionLimits limits_;
  ToolState tools_;
  ToolRandom random_;
  int zoom_ = 40;
  std::deque<std::pair<std::string, std::string>> pendingSizes_;
  std::deque<std::pair<std::string, std::string>> pendingShifts_;
  // Answers for the light and door dialogs, with the line that gave them.
  std::deque<std::pair<int, std::string>> lightAnswers_;
  std::deque<std::pair<int, std::optional<Questions::DoorTexts>>> doorAnswers_;
  // The object-set window of a script: the file last loaded and the row picked in it.
  ObjectSetList sets_;
  std::string setsFile_;
  std::string setFolder_;
  int setRow_ = -1;
  int line_ = 0;
  std::optional<std::string> missingAnswer_;
  struct Hooks;
  std::unique_ptr<Hooks> hooks_;
  std::unique_ptr<Answers> answers_;
  std::unique_ptr<ToolDispatch> dispatch_;
  std::unique_ptr<MainCommands> commands_;
};

}  // namespace hl
