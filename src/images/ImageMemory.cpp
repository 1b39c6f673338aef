#include "images/ImageMemory.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <utility>

#include "images/TGameImages.h"

namespace hl {

namespace {

// Thumbnail workers meet oversized images too: the reporter is called under this lock, so that
// once SetReporter({}) has returned no call into the window that set it is still running.
std::mutex& ReporterGuard() {
  static std::mutex guard;
  return guard;
}

ImageBudget::Reporter& TheReporter() {
  static ImageBudget::Reporter reporter;
  return reporter;
}

}  // namespace

std::size_t ImageBudget::Bytes() {
  const char* text = std::getenv(kVariable);
  if (!text || !*text) return kDefaultBytes;
  std::size_t mib = 0;
  const char* end = text + std::strlen(text);
  const auto [rest, error] = std::from_chars(text, end, mib);
  if (error != std::errc() || rest != end || mib > (kDefaultBytes >> 20)) return kDefaultBytes;
  return mib << 20;
}

void ImageBudget::SetReporter(Reporter reporter) {
  const std::lock_guard<std::mutex> lock(ReporterGuard());
  TheReporter() = std::move(reporter);
}

void ImageBudget::ReportTooLarge(const std::string& library, int index, std::size_t bytes,
                                 std::size_t budget) {
  // Once per image, whichever cache meets it first and at whatever zoom.
  static std::mutex guard;
  static std::set<std::pair<std::string, int>> reported;
  {
    const std::lock_guard<std::mutex> lock(guard);
    if (!reported.emplace(library, index).second) return;
  }
  const std::string message = "image " + std::to_string(index) + " of '" + library + "' needs " +
                              std::to_string(bytes >> 20) + " MiB, more than the " +
                              std::to_string(budget >> 20) +
                              " MiB all images may hold; it is drawn as missing";
  const std::lock_guard<std::mutex> lock(ReporterGuard());
  if (TheReporter()) {
    TheReporter()(message);
  } else {
    std::fprintf(stderr, "%s\n", message.c_str());
  }
}

void ImageMemory::Register(TGameImages* library) {
  libraries_.push_back(library);
}

void ImageMemory::Unregister(TGameImages* library) {
  std::erase(libraries_, library);
}

bool ImageMemory::MakeRoom(std::size_t bytes, const TGameImages* owner, int keep) {
  if (bytes > budget_) return false;
  if (used_ + bytes <= budget_) return true;
  // Freeing down to three quarters leaves room for the next few, so that a scroll over new
  // images does not sort the whole list for each of them.
  const std::size_t target = std::max(budget_ - budget_ / 4, bytes) - bytes;
  struct Candidate {
    std::uint32_t Age;
    TGameImages* Library;
    int Index;
  };
  std::vector<Candidate> candidates;
  for (TGameImages* library : libraries_) {
    const std::uint32_t now = library->Now();
    library->ForEachLoaded([&](int index, std::uint32_t lastAccess) {
      if (library == owner && index == keep) return;
      // Unsigned differences stay right when the millisecond counter wraps.
      candidates.push_back({now - lastAccess, library, index});
    });
  }
  std::sort(candidates.begin(), candidates.end(),
            [](const Candidate& a, const Candidate& b) { return a.Age > b.Age; });
  std::map<TGameImages*, std::vector<int>> chosen;
  std::set<std::pair<TGameImages*, int>> seen;  // an image with both forms is listed twice
  std::size_t freeing = 0;
  for (const Candidate& c : candidates) {
    if (used_ - std::min(freeing, used_) <= target) break;
    if (!seen.emplace(c.Library, c.Index).second) continue;
    freeing += TGameImages::FormBytes(c.Library->Images[static_cast<std::size_t>(c.Index)]);
    chosen[c.Library].push_back(c.Index);
  }
  for (auto& [library, indexes] : chosen) library->FreeImages(indexes);
  return used_ + bytes <= budget_;
}

}  // namespace hl
