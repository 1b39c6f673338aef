#include "WorldSupport.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <vector>

#include "map/MapFile.h"
#include "segments/SegmentProject.h"

extern char** environ;

namespace hl::bench {

void WriteBenchWorld(const std::string& folder, const std::string& ident, int cols, int rows,
                     LibrarySet& libraries) {
  const int tiles = libraries.Tiles().ImageCount, small = libraries.SmTiles().ImageCount;
  const int objects[2] = {libraries.ObjectSlotLibrary(0).ImageCount,
                          libraries.ObjectSlotLibrary(1).ImageCount};
  if (tiles < 1 || small < 1 || objects[0] < 1) std::abort();
  const auto header = EncodeMapHeader(kSegmentSide, kSegmentSide, 0);
  auto doc = std::make_unique<MapDocument>();
  for (int c = 0; c < cols; ++c) {
    for (int r = 0; r < rows; ++r) {
      std::mt19937 rng(static_cast<unsigned>(c * 10007 + r));
      doc->ClearMap();
      for (int x = 0; x < kSegmentSide; ++x) {
        for (int y = 0; y < kSegmentSide; ++y) {
          if (x % 2 == 0 && y % 2 == 0) doc->SetBackTile(x, y, static_cast<int>(rng() % tiles) + 1);
          if (rng() % 2) doc->SetMiddleTile(x, y, static_cast<int>(rng() % small) + 1);
          if (rng() % 20 == 0) {
            const int lib = objects[1] > 0 && rng() % 4 == 0 ? 1 : 0;
            doc->SetObject(x, y, ObjectIndex::Make(lib, static_cast<int>(rng() % objects[lib])) + 1);
          }
        }
      }
      const std::string path = folder + "/" + SegmentName(ident, c, r) + ".sem";
      std::FILE* f = std::fopen(path.c_str(), "wb");
      if (!f) std::abort();
      std::fwrite(header.data(), 1, header.size(), f);
      for (int x = 0; x < kSegmentSide; ++x)
        std::fwrite(doc->Cells().ColumnAt(x).data(), sizeof(TMapCell), kSegmentSide, f);
      if (std::fclose(f) != 0) std::abort();
    }
  }
  if (!WriteProject(folder + "/" + ident + ".mp", {ident, cols, rows})) std::abort();
}

long RunAndMeasure(const std::vector<std::string>& argv) {
  std::vector<std::string> words = argv;
  std::vector<char*> pointers;
  for (std::string& w : words) pointers.push_back(w.data());
  pointers.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned = ::posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -1;
  // The kernel's account of a child's peak (wait4) starts from the memory of the process that
  // started it, this one; the program's own high-water mark is read while it runs instead.
  const std::string status = "/proc/" + std::to_string(pid) + "/status";
  long peak = 0;
  int code = 0;
  for (;;) {
    if (std::FILE* f = std::fopen(status.c_str(), "r")) {
      char line[256];
      while (std::fgets(line, sizeof line, f)) {
        long kib = 0;
        if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) peak = std::max(peak, kib);
      }
      std::fclose(f);
    }
    const pid_t done = ::waitpid(pid, &code, WNOHANG);
    if (done == pid) break;
    if (done < 0) return -1;
    ::usleep(2000);
  }
  if (!WIFEXITED(code) || WEXITSTATUS(code) != 0) return -1;
  return peak;
}

}  // namespace hl::bench
