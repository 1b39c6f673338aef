#include "tools/TileAttributes.h"

#include "util/FileLookup.h"
#include "util/FileReader.h"
#include "util/SafeFileWriter.h"
#include "util/WriteWholeFile.h"

namespace hl {

bool TileAttributes::Load(const std::string& folder, std::string* error) {
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  values_.clear();
  path_ = prefix + kFileName;
  const auto found = FindFileIgnoringCase(path_);
  if (!found) return true;
  path_ = *found;
  std::string text;
  if (!ReadWholeFile(path_, kMaxFileBytes, text, error)) return false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    values_.push_back(line == "1" ? 1 : 0);
    start = end + 1;
  }
  return true;
}

SaveResult TileAttributes::Save() const {
  std::string text;
  for (int v : values_) text += v == 1 ? "1\r\n" : "0\r\n";
  return WriteWholeFile(path_, text, SafeFileWriter::OldTail::Drop);
}

void TileAttributes::SetGroupCount(int groups) {
  const int length = static_cast<int>(values_.size());
  if (groups > length)
    values_.insert(values_.end(), static_cast<std::size_t>(groups - length + 1), 0);
}

bool TileAttributes::Toggle(int row) {
  if (row < 0 || row >= static_cast<int>(values_.size())) return false;
  int& v = values_[static_cast<std::size_t>(row)];
  v = v == 1 ? 0 : 1;
  return true;
}

}  // namespace hl
