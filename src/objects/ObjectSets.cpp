#include "objects/ObjectSets.h"

#include <algorithm>

#include <cctype>
#include <charconv>

#include "map/MapUnits.h"
#include "util/FileLookup.h"
#include "util/FileReader.h"
#include "util/SafeFileWriter.h"
#include "util/TextHelpers.h"
#include "util/WriteWholeFile.h"

namespace hl {

std::int32_t ParseSetNumber(std::string_view token, std::int32_t defaultValue, bool newFormat) {
  if (token.empty()) return defaultValue;
  const char first = token.front();
  if (!std::isdigit(static_cast<unsigned char>(first)) && first != '+' && first != '-') {
    return defaultValue;
  }
  constexpr int kUnreadable = -2147483647 - 1;
  const int v = StrToIntDefault(token, kUnreadable);
  if (v == kUnreadable && token != "-2147483648") return defaultValue;
  if (newFormat) return v;
  const std::int64_t converted = std::int64_t{v % 10000} + std::int64_t{v / 10000} * kObjectIndexBase;
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(converted));
}

std::string SetRecordLine(const TSetCell& c) {
  std::string line;
  for (long long v : {static_cast<long long>(c.X), static_cast<long long>(c.Y),
                      static_cast<long long>(c.TileIndex), static_cast<long long>(c.ObjIndex),
                      static_cast<long long>(c.Marks), static_cast<long long>(c.AniFrame),
                      static_cast<long long>(c.AniTick)}) {
    line += std::to_string(v) + ' ';
  }
  line += c.Alpha == 1 ? "t " : "f ";
  for (int v : {int{c.Light}, int{c.Door}, int{c.DoorOffset}}) line += std::to_string(v) + ' ';
  return line;
}

namespace {

std::string_view Trim(std::string_view s) {
  auto blank = [](char ch) { return static_cast<unsigned char>(ch) <= 0x20; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

TSetCell ReadRecord(std::string_view line, bool newFormat) {
  TSetCell c;
  std::string_view rest = line;
  auto next = [&] {
    const TokenSplit t = NextToken(rest, " ");
    rest = t.Rest;
    return t.Token;
  };
  auto number = [&] { return ParseSetNumber(next(), 0, newFormat); };
  auto byte = [&] { return static_cast<std::uint8_t>(number()); };
  c.X = number();
  c.Y = number();
  c.TileIndex = number();
  c.ObjIndex = number();
  c.Marks = byte();
  c.AniFrame = byte();
  c.AniTick = byte();
  const std::string_view alpha = next();
  c.Alpha = alpha.size() == 1 && (alpha[0] == 't' || alpha[0] == 'T') ? 1 : 0;
  c.Light = byte();
  c.Door = byte();
  c.DoorOffset = byte();
  return c;
}

}  // namespace

// Calls `visit` with every trimmed line of the text that is not blank.
template <class Visit>
void ForEachLine(std::string_view text, Visit visit) {
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = Trim(text.substr(start, end - start));
    start = end + 1;
    if (!line.empty()) visit(line);
  }
}

std::vector<TObjectSet> ObjectSetList::Parse(std::string_view text) {
  // Counted first, so that every list is allocated at its final size: a file of the shortest
  // lines then costs about fifteen times its size, where growing lists cost thirty.
  std::vector<std::size_t> records;  // of each set
  ForEachLine(text, [&](std::string_view line) {
    if (line == "NEW") return;
    if (line.front() == '[') {
      records.push_back(0);
    } else if (!records.empty()) {
      ++records.back();
    }
  });
  std::vector<TObjectSet> sets;
  sets.reserve(records.size());
  std::size_t next = 0;
  std::optional<TObjectSet> open;
  bool newFormat = false;
  ForEachLine(text, [&](std::string_view line) {
    if (line == "NEW") {
      newFormat = true;
    } else if (line.front() == '[') {
      if (open) sets.push_back(std::move(*open));
      open = TObjectSet{};
      open->reserve(records[next++]);
    } else if (open) {
      open->push_back(ReadRecord(line, newFormat));
    }
  });
  // A last set without records is lost, as it always was.
  if (open && !open->empty()) sets.push_back(std::move(*open));
  return sets;
}

SaveResult AppendSetToFile(const std::string& path, const TObjectSet& set) {
  std::string text;
  const auto found = FindFileIgnoringCase(path);
  const std::string target = found ? *found : path;
  if (found) {
    std::string error;
    if (!ReadWholeFile(*found, ObjectSetList::kMaxFileBytes, text, &error)) {
      return SaveResult::CannotWrite(target, error);
    }
    bool marked = false;
    std::size_t sets = 0;
    ForEachLine(text, [&](std::string_view line) {
      if (line == "NEW") marked = true;
      if (line.front() == '[') ++sets;
    });
    if (!marked) {
      return SaveResult::CannotWrite(target, "it is a set file of the older layout (no \"NEW\" line); "
                                        "open it in the editor and save it first");
    }
    if (!text.empty() && text.back() != '\n') text += "\r\n";
    text += "[" + std::to_string(sets) + "]\r\n";
  } else {
    text = "NEW\r\n[0]\r\n";
  }
  for (const TSetCell& c : set) text += SetRecordLine(c) + "\r\n";
  return WriteWholeFile(target, text, SafeFileWriter::OldTail::Drop);
}

bool ObjectSetList::LoadSets(const std::string& fileName, std::string* error) {
  const auto path = FindFileIgnoringCase(fileName);
  if (!path) return true;
  std::string text;
  if (!ReadWholeFile(*path, kMaxFileBytes, text, error)) return false;
  std::vector<TObjectSet> sets = Parse(text);
  text = std::string();
  Items.clear();
  Items.shrink_to_fit();
  Items.reserve(sets.size());
  for (TObjectSet& s : sets) Items.emplace_back(std::move(s));
  FileName = fileName;
  changed_flag_ = false;
  NotifyChanged();
  return true;
}

std::string ObjectSetList::ToText() const {
  std::string text = "NEW\r\n";
  for (std::size_t i = 0; i < Items.size(); ++i) {
    if (!Items[i]) continue;
    text += "[" + std::to_string(i) + "]\r\n";
    for (const TSetCell& c : *Items[i]) text += SetRecordLine(c) + "\r\n";
  }
  return text;
}

SaveResult ObjectSetList::SaveSets(const std::string& fileName) {
  SaveResult written = WriteWholeFile(fileName, ToText(), SafeFileWriter::OldTail::Drop);
  if (!written) return written;
  FileName = fileName;
  changed_flag_ = false;
  return written;
}

void ObjectSetList::ClearSets() {
  Items.clear();
  changed_flag_ = false;
  NotifyChanged();
}

const TObjectSet* ObjectSetList::GetSet(int row) const {
  if (row < 0 || static_cast<std::size_t>(row) >= Items.size() || !Items[row]) return nullptr;
  return &*Items[row];
}

void ObjectSetList::ReplaceSet(int row, TObjectSet set) {
  const int count = static_cast<int>(Items.size());
  if (row >= 0 && row < count) {
    Items[row] = std::move(set);
  } else {
    Items.emplace_back(std::move(set));
  }
  Touch();
}

void ObjectSetList::InsertEmptySlot(int row) {
  row = std::clamp(row, 0, static_cast<int>(Items.size()));
  Items.insert(Items.begin() + row, std::nullopt);
  Touch();
}

void ObjectSetList::CopySet(int row) {
  if (row < 0 || static_cast<std::size_t>(row) >= Items.size()) return;
  SetClipboard = Items[row] ? *Items[row] : TObjectSet{};
}

void ObjectSetList::PasteSet(int row) {
  if (SetClipboard.empty()) return;
  row = std::clamp(row, 0, static_cast<int>(Items.size()));
  Items.insert(Items.begin() + row, SetClipboard);
  Touch();
}

void ObjectSetList::DeleteSet(int row, bool withCtrl) {
  if (row < 0 || static_cast<std::size_t>(row) >= Items.size()) return;
  if (Items[row] && !withCtrl) return;
  Items.erase(Items.begin() + row);
  Touch();
}

}  // namespace hl
