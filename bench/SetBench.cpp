// What reading a set file costs in memory at its worst, beside the file's own size: files of
// the largest accepted size made of the shortest lines the format reads. Every allocation of
// the process is counted, so the peak includes the text read, the lists and their slack.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "objects/ObjectSets.h"

namespace {

std::atomic<std::size_t> current{0};
std::atomic<std::size_t> peak{0};

void Count(void* p) {
  const std::size_t now = current += malloc_usable_size(p);
  std::size_t seen = peak.load();
  while (now > seen && !peak.compare_exchange_weak(seen, now)) {
  }
}

}  // namespace

void* operator new(std::size_t n) {
  void* p = std::malloc(n ? n : 1);
  if (!p) throw std::bad_alloc();
  Count(p);
  return p;
}
void operator delete(void* p) noexcept {
  if (!p) return;
  current -= malloc_usable_size(p);
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  operator delete(p);
}

namespace {

// A set file of `line` repeated up to the largest size read, after one "[0]" line.
std::string WriteFile(const std::string& line) {
  const std::string path = "/tmp/hl_bench_sets_" + std::to_string(::getpid()) + ".set";
  std::string text = "[0]\n";
  while (text.size() + line.size() <= hl::ObjectSetList::kMaxFileBytes) text.append(line);
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fclose(f);
  return path;
}

void PeakOfLoading(benchmark::State& state, const std::string& line) {
  const std::string path = WriteFile(line);
  std::size_t ratio = 0;
  for (auto _ : state) {
    hl::ObjectSetList list;
    std::string error;
    const std::size_t before = current.load();
    peak = before;
    if (!list.LoadSets(path, &error)) state.SkipWithError(error.c_str());
    ratio = (peak.load() - before) * 100 / hl::ObjectSetList::kMaxFileBytes;
  }
  state.counters["peak_per_file_byte_x100"] = static_cast<double>(ratio);
  std::remove(path.c_str());
}

// A record of one field: a whole cell for two bytes.
void BM_SetFileOfShortestRecords(benchmark::State& state) {
  PeakOfLoading(state, "0\n");
}
BENCHMARK(BM_SetFileOfShortestRecords)->Unit(benchmark::kMillisecond)->Iterations(2);

// A set header: a whole set for four bytes.
void BM_SetFileOfEmptySets(benchmark::State& state) {
  PeakOfLoading(state, "[0]\n");
}
BENCHMARK(BM_SetFileOfEmptySets)->Unit(benchmark::kMillisecond)->Iterations(2);

// Records as the editor writes them.
void BM_SetFileOfWrittenRecords(benchmark::State& state) {
  PeakOfLoading(state, "3 4 12 65005 0 0 0 f 0 0 0 \r\n");
}
BENCHMARK(BM_SetFileOfWrittenRecords)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
