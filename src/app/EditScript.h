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
  // Work is counted in cells. Every line costs kLineWork and its length (reading it, and the
  // table of columns of the undo step it may open); a command adds the cells it may go through
  // and kColumnWork for each column it may change (the undo history copies a column before
  // its first change). The verb table says what each command adds.
  static constexpr std::uint64_t kLineWork = kStorageSide;
  static constexpr std::uint64_t kColumnWork = kStorageSide;
  // Reading a set file, by its bytes: parsing a byte costs about what two cells of the other
  // lines do.
  static constexpr std::uint64_t kSetByteWork = 2;
  // The work a script may do. bench/ScriptBench.cpp measures every kind of line per cell of
  // work; the slowest, fills and scrolls, took about 5 ns a cell on a 2.6 GHz machine of two
  // cores, so the worst script this admits runs about three and a half minutes there (five
  // with the machine shared). The demo's own scripts use well under a hundredth of it.
  static constexpr std::uint64_t kDefaultWorkBudget = 40'000'000'000;

  EditScript(MapDocument& doc, std::uint8_t mapBitCount, std::uint32_t seed,
             const SelectionLimits& limits);
  ~EditScript();

  std::optional<ScriptError> Run(std::istream& script);

  const ToolState& Tools() const { return tools_; }
  // Where set files named without a leading '/' are found (empty: the current folder); a
  // folder ends with its separator.
  void SetSetFolder(std::string folder) { setFolder_ = std::move(folder); }
  // How much work Run may do before it stops with an error at the line that would pass it.
  void SetWorkBudget(std::uint64_t cells) {
    workBudget_ = cells;
    workLeft_ = cells;
  }
  std::uint64_t WorkDone() const { return workBudget_ - workLeft_; }

  // The verbs of the script language, one line each with its synopsis, for the help text.
  static std::string VerbHelp();
  // What each line is charged and the budget: generated from the verb table and the brushes.
  static std::string WorkHelp();

 private:
  class Answers;
  struct Line;
  struct Verbs;
  struct Verb {
    std::string_view Name;
    std::string_view Synopsis;
    std::string_view Help;
    std::optional<std::string> (*Run)(EditScript&, const Line&);
    // What the command adds to its line's work, for the help; empty for nothing.
    std::string_view Work = {};
  };
  static const std::vector<Verb>& VerbTable();
  std::optional<std::string> RunLine(const std::string& line);
  // Takes `cells` of work from the budget; false (and nothing taken) when they exceed it.
  bool TakeWork(std::uint64_t cells);
  // Takes the work of going through `cells` and changing `columns`, `times` over.
  bool TakeReach(std::uint64_t cells, std::uint64_t columns, std::uint64_t times = 1);
  // The error of the line whose work would pass the budget.
  std::string OverBudget() const;

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
  std::uint64_t workBudget_ = kDefaultWorkBudget;
  std::uint64_t workLeft_ = kDefaultWorkBudget;
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
