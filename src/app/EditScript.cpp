#include "app/EditScript.h"

#include <sstream>
#include <vector>

#include "tools/AttributeTools.h"
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

// "0.4" or "1.25" as hundredths within the zoom buttons' range.
std::optional<int> Zoom(const std::string& word) {
  const auto dot = word.find('.');
  const std::string whole = word.substr(0, dot);
  std::string fraction = dot == std::string::npos ? "" : word.substr(dot + 1);
  if (whole.empty() || fraction.size() > 2 || whole.size() > 1) return std::nullopt;
  if (whole.find_first_not_of("0123456789") != std::string::npos ||
      fraction.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  fraction.resize(2, '0');
  const int z = std::stoi(whole) * 100 + std::stoi(fraction);
  if (z < 5 || z > 200) return std::nullopt;
  return z;
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
class EditScript::Answers : public Questions {
 public:
  explicit Answers(EditScript& script) : s_(script) {}
  Reply AskYesNoCancel(const std::string&) override { return Reply::No; }
  void Inform(const std::string&) override {}
  std::optional<std::string> OpenMapName() override { return std::nullopt; }
  std::vector<std::string> OpenMapNames() override { return {}; }
  std::optional<std::string> SaveMapName(const std::string&) override { return std::nullopt; }
  std::optional<std::pair<std::string, std::string>> MapSizeTexts() override {
    if (s_.pendingSizes_.empty()) return std::nullopt;
    auto v = s_.pendingSizes_.front();
    s_.pendingSizes_.pop_front();
    return v;
  }
  std::pair<std::string, std::string> ShiftTexts() override {
    if (s_.pendingShifts_.empty()) return {};
    auto v = s_.pendingShifts_.front();
    s_.pendingShifts_.pop_front();
    return v;
  }
  std::string LightText(const std::string& initial) override {
    if (s_.lightAnswers_.empty()) {
      s_.missingAnswer_ = "the light dialog opened with no answer-light waiting";
      return initial;
    }
    std::string text = s_.lightAnswers_.front().second;
    s_.lightAnswers_.pop_front();
    return text;
  }
  std::optional<DoorTexts> DoorDialog(const DoorTexts&) override {
    if (s_.doorAnswers_.empty()) {
      s_.missingAnswer_ = "the door dialog opened with no answer-door waiting";
      return std::nullopt;
    }
    auto answer = s_.doorAnswers_.front().second;
    s_.doorAnswers_.pop_front();
    return answer;
  }
  bool Progress(const std::string&, int, int) override { return true; }
  void Beep() override {}

 private:
  EditScript& s_;
};

// A script has no window: hover, label and repaints go nowhere, the modified flag is moot.
struct EditScript::Hooks : MainWindowHooks, DispatchFeedback, NoRedraw {
  void SizeView() override {}
  void Repaint() override {}
  void SetNameLabel(const std::string&) override {}
  bool ExportOverview(const std::string&, std::string* error) override {
    *error = "no export from a script";
    return false;
  }
  void EraseHover() override {}
  void ShowHover(int, int) override {}
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
  tools_.LayerMode = 1;
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
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos || line[first] == '#') continue;
    line_ = lineNumber;
    if (auto error = RunLine(line)) return ScriptError{lineNumber, *error};
    if (missingAnswer_) return ScriptError{lineNumber, *missingAnswer_};
  }
  if (!lightAnswers_.empty()) {
    return ScriptError{lightAnswers_.front().first, "no light dialog used this answer"};
  }
  if (!doorAnswers_.empty()) {
    return ScriptError{doorAnswers_.front().first, "no door dialog used this answer"};
  }
  return std::nullopt;
}

bool EditScript::TakeActions(std::uint64_t count) {
  if (count > actionsLeft_) return false;
  actionsLeft_ -= count;
  return true;
}

std::optional<std::string> EditScript::RunLine(const std::string& line) {
  const std::string tooMuch = "the script does more than its limit of actions";
  const std::vector<std::string> w = Words(line);
  const std::string& command = w[0];
  auto numberAt = [&](std::size_t i) -> std::optional<int> {
    return i < w.size() ? Number(w[i]) : std::nullopt;
  };
  auto exactly = [&](std::size_t n) { return w.size() == n + 1; };

  if (command == "tool") {
    const auto n = numberAt(1);
    if (!exactly(1) || !n || *n < 0 || *n > 6) return "expected: tool N (0 to 6)";
    tools_.ToolMode = *n;
  } else if (command == "layer") {
    const auto n = numberAt(1);
    if (!exactly(1) || !n || *n < 0 || *n > 5) return "expected: layer N (0 to 5)";
    tools_.LayerMode = *n;
  } else if (command == "zoom") {
    const auto z = exactly(1) ? Zoom(w[1]) : std::nullopt;
    if (!z) return "expected: zoom Z (0.05 to 2, at most two decimals)";
    zoom_ = *z;
  } else if (command == "big-group") {
    const auto g = numberAt(1);
    if (!exactly(1) || !g || *g >= limits_.BigTileGroups || !tools_.SetBigTileGroup(*g)) {
      return "expected: big-group G (0 to " + std::to_string(limits_.BigTileGroups - 1) + ")";
    }
  } else if (command == "small-group") {
    const auto g = numberAt(1);
    if (!exactly(1) || !g || *g >= limits_.SmallTileGroups || !tools_.SetSmallTileGroup(*g)) {
      return "expected: small-group G (0 to " + std::to_string(limits_.SmallTileGroups - 1) + ")";
    }
  } else if (command == "tile") {
    const auto t = numberAt(1);
    if (!exactly(1) || !t || *t >= limits_.Tiles || !tools_.SetCurrentTile(*t)) {
      return "expected: tile T (-1 to " + std::to_string(limits_.Tiles - 1) + ")";
    }
  } else if (command == "object") {
    const auto i = numberAt(1);
    if (!exactly(1) || !i || *i < -1) return "expected: object N (an ObjectIndex, or -1)";
    if (*i >= 0) {
      const int slot = *i / 65535, image = *i % 65535;
      const int images = slot < 20 ? limits_.ObjectImages[slot] : 0;
      if (slot >= 20 || image > 0x7FFE || (images >= 0 && image >= images)) {
        return "expected: object N naming an image of an object library";
      }
    }
    tools_.ObjectSelection = *i;
  } else if (command == "press" || command == "press-px" || command == "drag" ||
             command == "press-rect") {
    const auto a = numberAt(1), b = numberAt(2);
    if (!a || !b || *a < 0 || *b < 0) return "expected: " + command + " X Y [buttons and keys]";
    // press-rect X0 Y0 X1 Y1 STEP: a press on every STEP-th cell of the rectangle, row by row.
    const bool rect = command == "press-rect";
    const auto x1 = numberAt(3), y1 = numberAt(4), step = numberAt(5);
    if (rect && (!x1 || !y1 || !step || *x1 < *a || *y1 < *b || *x1 > 1010 || *y1 > 1010 ||
                 *step < 1)) {
      return "expected: press-rect X0 Y0 X1 Y1 STEP [buttons and keys] (X0 <= X1 <= 1010, "
             "Y0 <= Y1 <= 1010, STEP >= 1)";
    }
    MouseState held;
    std::optional<MouseButton> pressed;
    for (std::size_t i = rect ? 6 : 3; i < w.size(); ++i) {
      const std::string& word = w[i];
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
    const std::uint64_t actions =
        rect ? static_cast<std::uint64_t>((*x1 - *a) / *step + 1) *
                   static_cast<std::uint64_t>((*y1 - *b) / *step + 1)
             : 1;
    if (!TakeActions(actions)) return tooMuch;
    if (command == "drag") {
      dispatch_->MoveCell(*a, *b, held);
    } else {
      if (!pressed) {
        pressed = MouseButton::Left;
        held.Left = true;
      }
      if (rect) {
        for (int y = *b; y <= *y1; y += *step)
          for (int x = *a; x <= *x1; x += *step) dispatch_->PressCell(x, y, *pressed, held);
      } else if (command == "press") {
        dispatch_->PressCell(*a, *b, *pressed, held);
      } else {
        dispatch_->Press(*a, *b, zoom_, *pressed, held);
      }
    }
  } else if (command == "answer-light") {
    if (w.size() < 2) return "expected: answer-light TEXT";
    lightAnswers_.emplace_back(line_, line.substr(line.find(w[1])));
  } else if (command == "answer-door") {
    if (exactly(1) && w[1] == "cancel") {
      doorAnswers_.emplace_back(line_, std::nullopt);
    } else if (exactly(2) || (exactly(3) && w[3] == "core")) {
      doorAnswers_.emplace_back(line_, Questions::DoorTexts{w.size() == 4, w[1], w[2]});
    } else {
      return "expected: answer-door INDEX OFFSET [core], or answer-door cancel";
    }
  } else if (command == "move-object" || command == "delete-object") {
    const auto a = numberAt(1);
    bool changed = false;
    if (command == "move-object") {
      const auto b = numberAt(2);
      if (!exactly(2) || !a || !b) return "expected: move-object IMAGE ROWS";
      MoveObjectImage(doc_, *a, *b, &changed);
    } else {
      if (!exactly(1) || !a) return "expected: delete-object IMAGE";
      DeleteObjectImage(doc_, *a, &changed);
    }
  } else if (command == "scroll") {
    if (!exactly(2)) return "expected: scroll DX DY";
    if (!TakeActions(1)) return tooMuch;
    pendingShifts_.emplace_back(w[1], w[2]);
    commands_->MapScroll1Click();
  } else if (command == "resize") {
    if (!exactly(2)) return "expected: resize W H";
    if (!TakeActions(1)) return tooMuch;
    pendingSizes_.emplace_back(w[1], w[2]);
    commands_->Resize1Click();
  } else if (command == "undo") {
    if (!exactly(0)) return "expected: undo";
    if (!TakeActions(1)) return tooMuch;
    commands_->Undo();
  } else if (command == "set") {
    // A click on a row of the object-set window: the object-set tool with that row's set.
    if (exactly(1) && w[1] == "none") {
      setRow_ = -1;
    } else {
      const auto row = numberAt(2);
      if (!exactly(2) || !row || *row < 0) return "expected: set FILE INDEX, or set none";
      if (w[1] != setsFile_) {
        const std::string path =
            !w[1].empty() && w[1][0] == '/' ? w[1] : setFolder_ + w[1];
        if (!FindFileIgnoringCase(path)) return "cannot find the set file '" + path + "'";
        std::string error;
        if (!sets_.LoadSets(path, &error)) return error;
        setsFile_ = w[1];
      }
      if (!sets_.GetSet(*row)) {
        return "'" + w[1] + "' has no set " + std::to_string(*row) + " (it has " +
               std::to_string(sets_.Items.size()) + ")";
      }
      setRow_ = *row;
    }
    tools_.ToolMode = 4;
  } else {
    return "unknown command '" + command + "'";
  }
  return std::nullopt;
}

}  // namespace hl
