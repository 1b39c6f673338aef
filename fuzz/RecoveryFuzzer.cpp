// The recovery folder as anything could have left it: files, links, pipes and folders of any
// name and content, listed and offered as the editor does at its start, with the answers drawn
// from the input too. Nothing outside the folder may be read through a link, written or
// removed, and no name may add a line to the question that offers a copy.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "FuzzFiles.h"
#include "app/MainCommands.h"
#include "app/Recovery.h"
#include "map/LibraryFormat.h"
#include "util/Questions.h"

namespace {

// Reads the input front to back; past its end every read gives zeros.
struct Input {
  const std::uint8_t* Data;
  std::size_t Size;
  std::size_t At = 0;
  bool Done() const { return At >= Size; }
  std::uint8_t Byte() { return At < Size ? Data[At++] : 0; }
  std::string Bytes(std::size_t n) {
    n = std::min(n, Size - std::min(At, Size));
    std::string s(reinterpret_cast<const char*>(Data + At), n);
    At += n;
    return s;
  }
};

class DrawnAnswers : public hl::WindowlessQuestions {
 public:
  explicit DrawnAnswers(Input& in) : in_(in) {}
  Reply AskYesNoCancel(const std::string& text) override {
    // The question's own lines only: two breaks, or three for a segment window.
    const auto breaks = std::count(text.begin(), text.end(), '\n');
    if (breaks != 2 && breaks != 3) abort();
    for (char c : text) {
      if (c == '\r') abort();
    }
    switch (in_.Byte() % 3) {
      case 0:
        return Reply::Yes;
      case 1:
        return Reply::No;
      default:
        return Reply::Cancel;
    }
  }
  bool AskYesNo(const std::string&) override { return false; }

 private:
  Input& in_;
};

struct NoWindow : hl::MainWindowHooks {
  void SizeView() override {}
  void Repaint() override {}
  void SetNameLabel(const std::string&) override {}
  hl::SaveResult ExportOverview(const std::string& path) override {
    return hl::SaveResult::CannotWrite(path, "no window");
  }
};

std::vector<std::uint8_t> ReadAll(const std::string& path) {
  std::vector<std::uint8_t> bytes;
  if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) bytes.push_back(static_cast<std::uint8_t>(c));
    std::fclose(f);
  }
  return bytes;
}

}  // namespace

// Each entry: a kind byte, a name (length byte and bytes; '/' and NUL are dropped), and for
// files a content (two length bytes and bytes). Then the answers.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string scratch = hl::fuzz::ScratchDir();
  const std::string folder = scratch + "/recovery";
  const std::string victim = scratch + "/victim";
  std::error_code ignored;
  std::filesystem::remove_all(folder, ignored);
  ::mkdir(folder.c_str(), 0700);
  static const std::vector<std::uint8_t> victimBytes = {'m', 'i', 'n', 'e'};
  hl::fuzz::WriteFile(victim, victimBytes.data(), victimBytes.size());

  Input in{data, size};
  const int entries = in.Byte() % 16;
  for (int i = 0; i < entries && !in.Done(); ++i) {
    const int kind = in.Byte() % 5;
    // Short enough that the ending still fits a file name.
    std::string name = in.Bytes(in.Byte() % 240);
    name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return c == '/' || c == 0; }),
               name.end());
    // Most names the store looks at end in these; the input picks one or keeps its own.
    static const char* const kEndings[] = {".info", ".map", ".lock", ""};
    name += kEndings[in.Byte() % 4];
    if (name.empty() || name == "." || name == "..") continue;
    const std::string path = folder + "/" + name;
    // A later entry of the same name takes the place of the earlier one (and is never
    // written through a link the input made).
    std::filesystem::remove_all(path, ignored);
    switch (kind) {
      case 0:
      case 1: {
        const std::size_t length = in.Byte() | (std::size_t{in.Byte()} << 8);
        const std::string content = in.Bytes(length);
        hl::fuzz::WriteFile(path, reinterpret_cast<const std::uint8_t*>(content.data()),
                            content.size());
        break;
      }
      case 2: {
        [[maybe_unused]] const int linked = ::symlink(victim.c_str(), path.c_str());
        break;
      }
      case 3:
        ::mkfifo(path.c_str(), 0600);
        break;
      default:
        ::mkdir(path.c_str(), 0700);
        break;
    }
  }

  {
    hl::RecoveryStore store(folder);
    if (!store.Active()) abort();
    auto doc = std::make_unique<hl::MapDocument>();
    DrawnAnswers answers(in);
    NoWindow window;
    hl::MainCommands commands(*doc, answers, window, hl::kBitCountData);
    for (const hl::RecoveredMap& copy : store.Orphans()) {
      if (hl::RecoveryQuestion(copy).find('\r') != std::string::npos) abort();
    }
    hl::OfferRecoveredMaps(store, commands, *doc, answers, 0);
    store.Discard();
  }

  if (ReadAll(victim) != victimBytes) abort();
  for (const auto& e : std::filesystem::directory_iterator(scratch)) {
    const std::string name = e.path().filename().string();
    if (name != "recovery" && name != "victim") abort();
  }
  return 0;
}
