#include "app/EditScript.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string_view>
#include <vector>

#include "map/Zoom.h"
#include "tools/AttributeTools.h"
#include "tools/BigTilePainter.h"
#include "tools/ObjectTools.h"
#include "tools/SmallTilePainter.h"
#include "util/FileLookup.h"
#include "util/TextHelpers.h"

namespace hl {

namespace {

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// A whole decimal number, or nothing.
std::optional<int> Number(const std::string& word) {
  constexpr int kNone = -2147483647 - 1;
  const int v = StrToIntDefault(word, kNone);
  if (v == kNone && word != "-2147483648") return std::nullopt;
  return v;
}

// A count with thousands separators, as the help and the errors show budgets.
std::string Grouped(std::uint64_t n) {
  std::string digits = std::to_string(n);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return digits;
}

enum class LineRead { Line, End, TooLong };

// One line without its break. Reading stops as soon as a line passes `max` characters.
LineRead ReadLine(std::istream& in, std::string& line, std::size_t max) {
  line.clear();
  std::streambuf* buffer = in.rdbuf();
  if (!buffer) return LineRead::End;
  bool any = false;
  bool tooLong = false;
  for (;;) {
    const auto c = buffer->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      break;
    }
    any = true;
    if (c == '\n') break;
    if (line.size() == max) {
      tooLong = true;
      break;
    }
    line += static_cast<char>(c);
  }
  if (tooLong) return LineRead::TooLong;
  return any ? LineRead::Line : LineRead::End;
}

}  // namespace

// Questions of the map-wide commands, answered by the script's own words.
class EditScript::Answers : public WindowlessQuestions {
 public:
  explicit Answers(EditScript& script) : s_(script) {}
  Reply AskYesNoCancel(const std::string&) override { return Reply::No; }
  std::optional<TextPair> MapSizeTexts(const OkCheck<TextPair>& check) override {
    return Checked(s_.pendingSizes_, check, "the map size dialog");
  }
  std::optional<TextPair> ShiftTexts(const OkCheck<TextPair>& check) override {
    return Checked(s_.pendingShifts_, check, "the ScrollMap dialog");
  }
  std::optional<std::string> LightText(const std::string&,
                                       const OkCheck<std::string>& check) override {
    if (s_.lightAnswers_.empty()) {
      s_.missingAnswer_ = "the light dialog opened with no answer-light waiting";
      return std::nullopt;
    }
    return Checked(s_.lightAnswers_, check, "the light dialog");
  }
  std::optional<DoorTexts> DoorDialog(const DoorTexts&, const OkCheck<DoorTexts>& check) override {
    if (s_.doorAnswers_.empty()) {
      s_.missingAnswer_ = "the door dialog opened with no answer-door waiting";
      return std::nullopt;
    }
    return Checked(s_.doorAnswers_, check, "the door dialog");
  }

 private:
  // The next answer with the line that gave it (nothing: "cancel"), put to the dialog's Ok. A
  // script cannot type again, so a refused answer closes the dialog and stops the script at
  // that line, instead of the dialog asking for ever.
  template <typename Texts>
  std::optional<Texts> Checked(std::deque<std::pair<int, std::optional<Texts>>>& answers,
                               const OkCheck<Texts>& check, const char* dialog) {
    if (answers.empty()) return std::nullopt;
    auto [line, answer] = std::move(answers.front());
    answers.pop_front();
    if (!answer) return std::nullopt;
    if (std::string problem = check(*answer); !problem.empty()) {
      s_.refused_ = ScriptError{line, std::string(dialog) + " refused the answer: " + problem};
      return std::nullopt;
    }
    return answer;
  }

  EditScript& s_;
};

// A script has no window: hover, label and repaints go nowhere, the modified flag is moot.
struct EditScript::Hooks : MainWindowHooks, DispatchFeedback, NoRedraw {
  void SizeView() override {}
  void Repaint() override {}
  void SetNameLabel(const std::string&) override {}
  SaveResult ExportOverview(const std::string& path) override {
    return SaveResult::CannotWrite(path, "no export from a script");
  }
  void EraseHover() override {}
  void ShowHover(const ClickArea&) override {}
  void SetCoordinateLabel(const std::string&) override {}
  void SetModified() override {}
};

EditScript::EditScript(MapDocument& doc, std::uint8_t mapBitCount, std::uint32_t seed,
                       const SelectionLimits& limits)
    : doc_(doc),
      limits_(limits),
      random_(seed),
      hooks_(std::make_unique<Hooks>()),
      answers_(std::make_unique<Answers>(*this)) {
  // As in the editor once its window is shown.
  tools_.LayerMode = LayerMode::Small;
  dispatch_ = std::make_unique<ToolDispatch>(doc_, tools_, *hooks_, random_, *hooks_, *answers_);
  commands_ = std::make_unique<MainCommands>(doc_, *answers_, *hooks_, mapBitCount);
  dispatch_->SetCurrentSetSource([this] { return sets_.GetSet(setRow_); });
}

EditScript::~EditScript() = default;

std::optional<ScriptError> EditScript::Run(std::istream& script) {
  int lineNumber = 0;
  for (std::string line;;) {
    const LineRead read = ReadLine(script, line, kMaxLineLength);
    if (read == LineRead::End) break;
    ++lineNumber;
    if (read == LineRead::TooLong) {
      return ScriptError{lineNumber, "the line is longer than " +
                                         std::to_string(kMaxLineLength) + " characters"};
    }
    // Comments and blank lines too: a script of nothing but them must end as well.
    if (!TakeWork(kLineWork + line.size())) return ScriptError{lineNumber, OverBudget()};
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    line_ = lineNumber;
    if (auto error = RunLine(line)) return ScriptError{lineNumber, *error};
    if (refused_) return refused_;
    if (missingAnswer_) return ScriptError{lineNumber, *missingAnswer_};
  }
  dispatch_->Release();
  if (!lightAnswers_.empty()) {
    return ScriptError{lightAnswers_.front().first, "no light dialog used this answer"};
  }
  if (!doorAnswers_.empty()) {
    return ScriptError{doorAnswers_.front().first, "no door dialog used this answer"};
  }
  return std::nullopt;
}

bool EditScript::TakeWork(std::uint64_t cells) {
  if (cells > workLeft_) return false;
  workLeft_ -= cells;
  return true;
}

bool EditScript::TakeReach(std::uint64_t cells, std::uint64_t columns, std::uint64_t times) {
  // Each factor is at most a few million, so neither product comes near the top of 64 bits.
  return TakeWork(times * (cells + columns * kColumnWork));
}

std::string EditScript::OverBudget() const {
  return "the script's work would pass its budget of " + Grouped(workBudget_) +
         " cells (see 'hlmap apply --help')";
}

// One line taken apart: its words, and the whole text for verbs that take the rest of it.
struct EditScript::Line {
  const std::vector<std::string>& W;
  const std::string& Text;

  std::optional<int> NumberAt(std::size_t i) const {
    return i < W.size() ? Number(W[i]) : std::nullopt;
  }
  // The verb and exactly n words after it.
  bool Exactly(std::size_t n) const { return W.size() == n + 1; }
};

// What each verb does. The table below names them; its order is the order of the help text.
struct EditScript::Verbs {
  using Result = std::optional<std::string>;

  static Result Tool(EditScript& s, const Line& l) {
    const auto n = l.NumberAt(1);
    if (!l.Exactly(1) || !n || *n < 0 || *n > static_cast<int>(ToolMode::Select))
      return "expected: tool N (0 to 7)";
    s.tools_.ToolMode = static_cast<ToolMode>(*n);
    return std::nullopt;
  }
  static Result Layer(EditScript& s, const Line& l) {
    const auto n = l.NumberAt(1);
    if (!l.Exactly(1) || !n || *n < 0 || *n >= kLayerModes) return "expected: layer N (0 to 5)";
    s.tools_.LayerMode = static_cast<LayerMode>(*n);
    return std::nullopt;
  }
  static Result Zoom(EditScript& s, const Line& l) {
    const auto z = l.Exactly(1) ? ParseZoom(l.W[1]) : std::nullopt;
    if (!z) return "expected: zoom Z (0.05 to 2, at most two decimals)";
    s.zoom_ = *z;
    return std::nullopt;
  }
  static Result BigGroup(EditScript& s, const Line& l) {
    const auto g = l.NumberAt(1);
    if (!l.Exactly(1) || !g || *g >= s.limits_.BigTileGroups || !s.tools_.SetBigTileGroup(*g)) {
      return "expected: big-group G (0 to " + std::to_string(s.limits_.BigTileGroups - 1) + ")";
    }
    return std::nullopt;
  }
  static Result SmallGroup(EditScript& s, const Line& l) {
    const auto g = l.NumberAt(1);
    if (!l.Exactly(1) || !g || *g >= s.limits_.SmallTileGroups ||
        !s.tools_.SetSmallTileGroup(*g)) {
      return "expected: small-group G (0 to " + std::to_string(s.limits_.SmallTileGroups - 1) +
             ")";
    }
    return std::nullopt;
  }
  static Result Tile(EditScript& s, const Line& l) {
    const auto t = l.NumberAt(1);
    if (!l.Exactly(1) || !t || *t >= s.limits_.Tiles || !s.tools_.SetCurrentTile(*t)) {
      return "expected: tile T (-1 to " + std::to_string(s.limits_.Tiles - 1) + ")";
    }
    return std::nullopt;
  }
  static Result Object(EditScript& s, const Line& l) {
    const auto i = l.NumberAt(1);
    if (!l.Exactly(1) || !i || *i < -1) return "expected: object N (an ObjectIndex, or -1)";
    if (*i >= 0) {
      const int slot = ObjectIndex::Library(*i), image = ObjectIndex::Image(*i);
      const int images = slot < kObjectLibraries ? s.limits_.ObjectImages[slot] : 0;
      if (!ObjectIndex::NamesLibraryImage(*i) || (images >= 0 && image >= images)) {
        return "expected: object N naming an image of an object library";
      }
    }
    s.tools_.ObjectSelection = *i;
    return std::nullopt;
  }
  static Result Set(EditScript& s, const Line& l) {
    // A click on a row of the object-set window: the object-set tool with that row's set.
    if (l.Exactly(1) && l.W[1] == "none") {
      s.setRow_ = -1;
    } else {
      const auto row = l.NumberAt(2);
      if (!l.Exactly(2) || !row || *row < 0) return "expected: set FILE INDEX, or set none";
      const std::string& file = l.W[1];
      if (file != s.setsFile_) {
        const std::string path = !file.empty() && file[0] == '/' ? file : s.setFolder_ + file;
        const auto found = FindFileIgnoringCase(path);
        if (!found) return "cannot find the set file '" + path + "'";
        // Reading costs by the bytes: a regular file's size, or as much as the reader takes
        // from anything else (a pipe, a device).
        std::error_code unknown;
        const std::uintmax_t size = std::filesystem::is_regular_file(*found, unknown)
                                        ? std::filesystem::file_size(*found, unknown)
                                        : ObjectSetList::kMaxFileBytes;
        const std::uint64_t bytes =
            unknown ? ObjectSetList::kMaxFileBytes
                    : std::min<std::uint64_t>(size, ObjectSetList::kMaxFileBytes);
        if (!s.TakeWork(bytes * kSetByteWork)) return s.OverBudget();
        std::string error;
        if (!s.sets_.LoadSets(path, &error)) return error;
        s.setsFile_ = file;
      }
      if (!s.sets_.GetSet(*row)) {
        return "'" + file + "' has no set " + std::to_string(*row) + " (it has " +
               std::to_string(s.sets_.Items.size()) + ")";
      }
      s.setRow_ = *row;
    }
    s.tools_.ToolMode = ToolMode::DrawObjectsInSet;
    return std::nullopt;
  }

  enum class Pointer { Press, PressPx, PressRect, Drag };
  template <Pointer kind>
  static Result Mouse(EditScript& s, const Line& l) {
    const std::string& command = l.W[0];
    const auto a = l.NumberAt(1), b = l.NumberAt(2);
    if (!a || !b || *a < 0 || *b < 0) return "expected: " + command + " X Y [buttons and keys]";
    // press-rect X0 Y0 X1 Y1 STEP: a press on every STEP-th cell of the rectangle, row by row.
    constexpr bool rect = kind == Pointer::PressRect;
    const auto x1 = l.NumberAt(3), y1 = l.NumberAt(4), step = l.NumberAt(5);
    if (rect && (!x1 || !y1 || !step || *x1 < *a || *y1 < *b || *x1 > kLastStorageCell ||
                 *y1 > kLastStorageCell || *step < 1)) {
      const std::string last = std::to_string(kLastStorageCell);
      return "expected: press-rect X0 Y0 X1 Y1 STEP [buttons and keys] (X0 <= X1 <= " + last +
             ", Y0 <= Y1 <= " + last + ", STEP >= 1)";
    }
    MouseState held;
    std::optional<MouseButton> pressed;
    for (std::size_t i = rect ? 6 : 3; i < l.W.size(); ++i) {
      const std::string& word = l.W[i];
      if (word == "left" || word == "right" || word == "middle") {
        const bool left = word == "left", right = word == "right";
        if (!pressed)
          pressed = left ? MouseButton::Left : right ? MouseButton::Right : MouseButton::Middle;
        if (left) held.Left = true;
        if (right) held.Right = true;
        if (!left && !right) held.Middle = true;
      } else if (word == "shift") {
        held.Shift = true;
      } else if (word == "ctrl") {
        held.Ctrl = true;
      } else if (word == "alt") {
        held.Alt = true;
      } else {
        return "expected: left, right, middle, shift, ctrl or alt, not '" + word + "'";
      }
    }
    const std::uint64_t presses = rect ? static_cast<std::uint64_t>((*x1 - *a) / *step + 1) *
                                             static_cast<std::uint64_t>((*y1 - *b) / *step + 1)
                                       : 1;
    if (kind != Pointer::Drag && !pressed) {
      pressed = MouseButton::Left;
      held.Left = true;
    }
    const ToolDispatch::Reach reach = s.dispatch_->PressReach(held);
    // The presses of a rectangle are one stroke, whose undo step copies a column once: at
    // most the columns from the first brush to the last.
    const std::uint64_t columns =
        rect ? std::min({presses * reach.Columns,
                         static_cast<std::uint64_t>(*x1 - *a + 1) + reach.Columns,
                         std::uint64_t{kStorageSide}})
             : reach.Columns;
    if (!s.TakeWork(presses * reach.Cells + columns * kColumnWork)) return s.OverBudget();
    if constexpr (kind == Pointer::Drag) {
      s.dispatch_->MoveCell(*a, *b, held);
      return std::nullopt;
    }
    if constexpr (rect) {
      // One stroke, so one undo step, for the whole rectangle.
      bool first = true;
      for (int y = *b; y <= *y1; y += *step) {
        for (int x = *a; x <= *x1; x += *step) {
          s.dispatch_->PressCell(x, y, *pressed, held, first);
          first = false;
        }
      }
    } else if constexpr (kind == Pointer::Press) {
      s.dispatch_->PressCell(*a, *b, *pressed, held);
    } else {
      s.dispatch_->Press(*a, *b, s.zoom_, *pressed, held);
    }
    return std::nullopt;
  }

  static Result AnswerLight(EditScript& s, const Line& l) {
    if (l.W.size() < 2) return "expected: answer-light TEXT, or answer-light cancel";
    if (l.Exactly(1) && l.W[1] == "cancel") {
      s.lightAnswers_.emplace_back(s.line_, std::nullopt);
    } else {
      s.lightAnswers_.emplace_back(s.line_, l.Text.substr(l.Text.find(l.W[1])));
    }
    return std::nullopt;
  }
  static Result AnswerDoor(EditScript& s, const Line& l) {
    if (l.Exactly(1) && l.W[1] == "cancel") {
      s.doorAnswers_.emplace_back(s.line_, std::nullopt);
    } else if (l.Exactly(2) || (l.Exactly(3) && l.W[3] == "core")) {
      s.doorAnswers_.emplace_back(s.line_, Questions::DoorTexts{l.W.size() == 4, l.W[1], l.W[2]});
    } else {
      return "expected: answer-door INDEX OFFSET [core], or answer-door cancel";
    }
    return std::nullopt;
  }
  static Result MoveObject(EditScript& s, const Line& l) {
    const auto a = l.NumberAt(1), b = l.NumberAt(2);
    if (!l.Exactly(2) || !a || !b) return "expected: move-object IMAGE ROWS";
    if (!TakeWideArea(s)) return s.OverBudget();
    bool changed = false;
    MoveObjectImage(s.doc_, *a, *b, &changed);
    return std::nullopt;
  }
  static Result DeleteObject(EditScript& s, const Line& l) {
    const auto a = l.NumberAt(1);
    if (!l.Exactly(1) || !a) return "expected: delete-object IMAGE";
    if (!TakeWideArea(s)) return s.OverBudget();
    bool changed = false;
    DeleteObjectImage(s.doc_, *a, &changed);
    return std::nullopt;
  }
  // The bulk commands go through every cell they reach, whatever the map's size.
  static bool TakeWideArea(EditScript& s) {
    constexpr std::uint64_t side = kLastWideCell + 2;
    return s.TakeReach(side * side, side);
  }
  static Result Scroll(EditScript& s, const Line& l) {
    // The dialog's own check refuses words that are no number, and the script stops there.
    if (!l.Exactly(2)) return "expected: scroll DX DY";
    if (!TakeWideArea(s)) return s.OverBudget();
    s.pendingShifts_.emplace_back(s.line_, Questions::TextPair{l.W[1], l.W[2]});
    s.commands_->MapScroll1Click();
    return std::nullopt;
  }
  static Result Resize(EditScript& s, const Line& l) {
    if (!l.Exactly(2)) return "expected: resize W H";
    // The new map's cells; words the dialog refuses change nothing.
    const auto w = l.NumberAt(1), h = l.NumberAt(2);
    const std::uint64_t cells =
        w && h && *w > 0 && *h > 0 ? static_cast<std::uint64_t>(*w) * static_cast<std::uint64_t>(*h)
                                   : 0;
    if (!s.TakeWork(cells)) return s.OverBudget();
    s.pendingSizes_.emplace_back(s.line_, Questions::TextPair{l.W[1], l.W[2]});
    s.commands_->Resize1Click();
    return std::nullopt;
  }
  static Result Undo(EditScript& s, const Line& l) {
    if (!l.Exactly(0)) return "expected: undo";
    s.commands_->Undo();
    return std::nullopt;
  }
  // Four cell numbers from word `first` on, each within the map's cells, as a rectangle.
  static std::optional<CellRect> Rect(const Line& l, std::size_t first) {
    int v[4];
    for (std::size_t i = 0; i < 4; ++i) {
      const auto n = l.NumberAt(first + i);
      if (!n || *n < 0 || *n >= kAccessEnd) return std::nullopt;
      v[i] = *n;
    }
    if (v[0] > v[2] || v[1] > v[3]) return std::nullopt;
    return CellRect{v[0], v[1], v[2], v[3]};
  }
  static Result Select(EditScript& s, const Line& l) {
    const std::string expected = "expected: select X0 Y0 X1 Y1 [ground] [small] [objects] "
                                 "[attributes] (0 to " + std::to_string(kAccessEnd - 1) +
                                 ", X0 <= X1, Y0 <= Y1)";
    const auto r = Rect(l, 1);
    if (!r) return expected;
    if (!s.TakeReach(static_cast<std::uint64_t>(r->Width()) * r->Height(), 0)) {
      return s.OverBudget();
    }
    std::uint8_t layers = 0;
    for (std::size_t i = 5; i < l.W.size(); ++i) {
      const std::string& w = l.W[i];
      if (w == "ground") {
        layers |= kRegionGround;
      } else if (w == "small") {
        layers |= kRegionSmall;
      } else if (w == "objects") {
        layers |= kRegionObjects;
      } else if (w == "attributes") {
        layers |= kRegionAttributes;
      } else {
        return expected;
      }
    }
    if (!s.regions_.Select(r->X0, r->Y0, r->X1, r->Y1, layers ? layers : std::uint8_t{kRegionAllLayers})) {
      return "the selection lies outside the map";
    }
    return std::nullopt;
  }
  // The cells of a rectangle, and its columns when it changes them, `times` over.
  static bool TakeRect(EditScript& s, const CellRect& r, bool changes, std::uint64_t times = 1) {
    const auto width = static_cast<std::uint64_t>(r.Width());
    return s.TakeReach(width * static_cast<std::uint64_t>(r.Height()), changes ? width : 0, times);
  }
  template <bool (RegionCommands::*kCommand)(), bool kChanges>
  static Result OnSelection(EditScript& s, const Line& l) {
    if (!l.Exactly(0)) return "expected: " + l.W[0];
    if (!s.regions_.Selection()) return l.W[0] + " needs a selection";
    if (!TakeRect(s, *s.regions_.Selection(), kChanges)) return s.OverBudget();
    (s.regions_.*kCommand)();
    return std::nullopt;
  }
  static Result Paste(EditScript& s, const Line& l) {
    const auto x = l.NumberAt(1), y = l.NumberAt(2);
    const bool merge = l.Exactly(3) && l.W[3] == "ctrl";
    if (!x || !y || !(l.Exactly(2) || merge)) return "expected: paste X Y [ctrl]";
    if (s.regions_.Clipboard().Empty()) return "paste needs something copied first";
    const RegionCopy& copy = s.regions_.Clipboard();
    if (!TakeRect(s, CellRect{0, 0, copy.Width - 1, copy.Height - 1}, true)) {
      return s.OverBudget();
    }
    s.regions_.Paste(*x, *y, merge);
    return std::nullopt;
  }
  static Result Move(EditScript& s, const Line& l) {
    const auto dx = l.NumberAt(1), dy = l.NumberAt(2);
    if (!l.Exactly(2) || !dx || !dy) return "expected: move DX DY";
    if (!s.regions_.Selection()) return "move needs a selection";
    // Lifted from where it is and put down where it goes.
    if (!TakeRect(s, *s.regions_.Selection(), true, 2)) return s.OverBudget();
    s.regions_.Move(*dx, *dy);
    return std::nullopt;
  }
  static Result NewSet(EditScript& s, const Line& l) {
    if (!l.Exactly(1)) return "expected: new-set FILE";
    const auto& selection = s.regions_.Selection();
    if (!selection) return "new-set needs a selection";
    // The file is read and written whole, and every selected cell looked at.
    const std::uint64_t cells = 1ULL * selection->Width() * selection->Height();
    if (!s.TakeWork(2 * ObjectSetList::kMaxFileBytes * kSetByteWork + cells)) return s.OverBudget();
    const std::string& file = l.W[1];
    const std::string path = !file.empty() && file[0] == '/' ? file : s.setFolder_ + file;
    bool hadSmallTiles = false;
    const TObjectSet set =
        SetFromRegion(CopyRegion(s.doc_, *selection, s.regions_.Layers()), &hadSmallTiles);
    if (const SaveResult written = AppendSetToFile(path, set); !written) return written.Message();
    if (path == s.setFolder_ + s.setsFile_ || file == s.setsFile_) s.setsFile_.clear();  // read again
    return std::nullopt;
  }
  static Result FillRect(EditScript& s, const Line& l) {
    const auto r = l.Exactly(4) ? Rect(l, 1) : std::nullopt;
    if (!r) {
      return "expected: fill-rect X0 Y0 X1 Y1 (0 to " + std::to_string(kAccessEnd - 1) +
             ", X0 <= X1, Y0 <= Y1)";
    }
    const ToolDispatch::Reach reach = s.dispatch_->FillRectReach(r->X0, r->Y0, r->X1, r->Y1);
    if (!s.TakeReach(reach.Cells, reach.Columns)) return s.OverBudget();
    if (!s.dispatch_->FillRect(r->X0, r->Y0, r->X1, r->Y1)) {
      return "fill-rect needs Draw Big Tiles on layer 0, or Draw SM Tiles";
    }
    return std::nullopt;
  }
  static Result Redo(EditScript& s, const Line& l) {
    if (!l.Exactly(0)) return "expected: redo";
    s.commands_->Redo();
    return std::nullopt;
  }
};

// The table's help for set says so in words.
static_assert(EditScript::kSetByteWork == 2);

const std::vector<EditScript::Verb>& EditScript::VerbTable() {
  using V = Verbs;
  using P = V::Pointer;
  static const std::vector<Verb> verbs = {
      {"tool", "tool N",
       "the Tools menu (0 big tiles, 1 small tiles, 3 objects, 4 object sets, "
       "5 light, 6 doors, 7 select)",
       &V::Tool},
      {"layer", "layer N", "the layer buttons (0 Big, 1 Small, 2 All, 3 \"1\", 4 \"2\", 5 \"3\")",
       &V::Layer},
      {"zoom", "zoom Z", "the zoom, for press-px", &V::Zoom},
      {"big-group", "big-group G", "the tile palette's group", &V::BigGroup},
      {"small-group", "small-group G", "the small-tile picker's group", &V::SmallGroup},
      {"tile", "tile T", "the tile picker's selection", &V::Tile},
      {"object", "object N", "the object picker's selection (an ObjectIndex, or -1)", &V::Object},
      {"set", "set FILE INDEX | set none", "a row of the object-set window (tool 4)", &V::Set,
       "twice the set file's bytes when it reads one"},
      {"press", "press X Y [left|right|middle]... [shift] [ctrl] [alt]", "a press on cell (X, Y)",
       &V::Mouse<P::Press>, "the brush's reach"},
      {"press-px", "press-px PX PY ...", "the same at a view pixel at the current zoom",
       &V::Mouse<P::PressPx>, "the brush's reach"},
      {"press-rect", "press-rect X0 Y0 X1 Y1 STEP ...",
       "a press on every STEP-th cell of a rectangle", &V::Mouse<P::PressRect>,
       "the brush's reach, for every press"},
      {"drag", "drag X Y [left] [right] [middle] [shift] [ctrl] [alt]", "a mouse move onto a cell",
       &V::Mouse<P::Drag>, "the brush's reach"},
      {"answer-light", "answer-light N | answer-light cancel", "what the next light dialog answers",
       &V::AnswerLight},
      {"answer-door", "answer-door INDEX OFFSET [core] | answer-door cancel",
       "what the next door dialog answers", &V::AnswerDoor},
      {"move-object", "move-object IMAGE ROWS", "Cell Move: objects of IMAGE move ROWS down",
       &V::MoveObject, "the 1,000 x 1,000 cells it goes through and their columns"},
      {"delete-object", "delete-object IMAGE", "Cell Move: objects of IMAGE are deleted",
       &V::DeleteObject, "the 1,000 x 1,000 cells it goes through and their columns"},
      {"scroll", "scroll DX DY", "Map Scroll", &V::Scroll,
       "the 1,000 x 1,000 cells it moves and their columns"},
      {"resize", "resize W H", "Resize", &V::Resize, "the new map's cells"},
      {"select", "select X0 Y0 X1 Y1 [ground] [small] [objects] [attributes]",
       "selects a rectangle of cells with the layers named (none named: all four)", &V::Select,
       "the rectangle's cells"},
      {"copy", "copy", "copies the selection", &V::OnSelection<&RegionCommands::Copy, false>,
       "the selection's cells"},
      {"cut", "cut", "copies the selection, then deletes it",
       &V::OnSelection<&RegionCommands::Cut, true>, "the selection's cells and columns"},
      {"delete", "delete", "clears the selected layers' fields of the selection",
       &V::OnSelection<&RegionCommands::Delete, true>, "the selection's cells and columns"},
      {"paste", "paste X Y [ctrl]",
       "places the copy with its top-left at (X, Y); ctrl merges instead of replacing", &V::Paste,
       "the copy's cells and columns"},
      {"move", "move DX DY", "moves the selection and its content", &V::Move,
       "twice the selection's cells and columns"},
      {"new-set", "new-set FILE",
       "appends the selection to the set file FILE as a set (made with \"NEW\" when missing; "
       "older-layout files are refused)",
       &V::NewSet, "the set file's largest size twice, and the selection's cells"},
      {"fill-rect", "fill-rect X0 Y0 X1 Y1", "fills the rectangle with the big or small tile brush",
       &V::FillRect, "the brush's reach for every block or cell it fills, and the columns"},
      {"undo", "undo", "takes back one step (a stroke, a dialog's change or a command)", &V::Undo},
      {"redo", "redo", "brings back the step undo took last", &V::Redo},
  };
  return verbs;
}

std::string EditScript::VerbHelp() {
  std::string text;
  for (const Verb& v : VerbTable()) {
    text += "  " + std::string(v.Synopsis) + "\n      " + std::string(v.Help) + "\n";
    if (!v.Work.empty()) text += "      work: " + std::string(v.Work) + "\n";
  }
  return text;
}

std::string EditScript::WorkHelp() {
  const auto square = [](std::uint64_t side) {
    return Grouped(side * side) +
           (side == 1 ? " cell in 1 column" : " cells in " + Grouped(side) + " columns");
  };
  const auto around = [&](std::uint64_t reach) { return square(2 * reach + 1); };
  const std::string markFill = Grouped(AttributeTools::kMaxFill);
  return "Work is counted in cells, and a script may do " + Grouped(kDefaultWorkBudget) +
         " cells of it: the line that\n"
         "would go past that stops the script (exit 2), so that no script runs for more than\n"
         "minutes. Every line costs " +
         Grouped(kLineWork) +
         " and its length. A command adds what \"work:\" says above:\n"
         "the cells it may go through, and " +
         Grouped(kColumnWork) +
         " for each column it may change (the undo\n"
         "history copies a column before its first change). A brush reaches:\n"
         "  Draw Big Tiles, layer Big: " +
         Grouped(BigTilePainter::kBlockCellVisits) + " cells in " +
         Grouped(BigTilePainter::kBlockReach) +
         " columns\n"
         "  Draw Big Tiles, layer Small: " +
         square(kBigTileStep) +
         "\n"
         "  Draw Big Tiles, layer All (fill): the map's cells and columns\n"
         "  Draw Big Tiles, layer \"1\" (fill marks): the map's cells and columns, at most " +
         markFill +
         " cells\n"
         "  Draw SM Tiles, layer Big: " +
         Grouped(SmallTilePainter::kMaxCellVisits) + " cells in " +
         Grouped(SmallTilePainter::kPressReach) +
         " columns\n"
         "  objects, light and doors: " +
         square(1) +
         "\n"
         "  object sets: 2 cells for each record, in the columns the set spans and one more\n"
         "  layer \"2\" (mark brush): " +
         around(AttributeTools::kMarkBrushShiftReach) + " with shift, else " + square(1) +
         "\n"
         "  layer \"3\" (eraser): " +
         around(ObjectTools::kEraseShiftReach) +
         " with shift,\n"
         "      " +
         around(ObjectTools::kEraseCtrlReach) + " with ctrl, else " + square(1) + "\n";
}

std::optional<std::string> EditScript::RunLine(const std::string& text) {
  const std::vector<std::string> words = Words(text);
  for (const Verb& v : VerbTable()) {
    if (words[0] != v.Name) continue;
    // A stroke runs from a press to the last drag after it; any other line ends it.
    if (v.Name != "drag") dispatch_->Release();
    return v.Run(*this, Line{words, text});
  }
  return "unknown command '" + words[0] + "'";
}

}  // namespace hl
