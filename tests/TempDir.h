#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace hl::test {

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
bool FileExists(const std::string& path);
// Overwrites bytes of a file in place, from offset `at`.
void PatchFile(const std::string& path, std::size_t at, std::initializer_list<std::uint8_t> bytes);
std::vector<std::string> ListDirectory(const std::string& path);

}  // namespace hl::test
