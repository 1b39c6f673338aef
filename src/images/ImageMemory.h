#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace hl {

class TGameImages;

// How much memory the images kept for drawing may hold. Each open set of libraries shares one
// budget for its decoded images, and each renderer has one for its scaled copies: a library
// can declare images of up to 4096 x 4096 pixels at every index, and nothing else bounds what
// a map makes the editor decode.
struct ImageBudget {
  static constexpr std::size_t kDefaultBytes = std::size_t{512} << 20;
  // The variable that lowers every image budget, in MiB (tests use it; it never raises one).
  static constexpr const char* kVariable = "HARBOURLIGHT_IMAGE_BUDGET_MB";
  // kDefaultBytes, or less when kVariable asks for less.
  static std::size_t Bytes();

  // An image that alone needs more than a budget is drawn as missing, and said once per image
  // through this (the editor shows it in its status bar); unset, it goes to stderr.
  using Reporter = std::function<void(const std::string&)>;
  static void SetReporter(Reporter reporter);
  static void ReportTooLarge(const std::string& library, int index, std::size_t bytes,
                             std::size_t budget);
};

// The decoded images of the libraries that share it: what they hold together, and room made
// by freeing the least recently used of them.
class ImageMemory {
 public:
  explicit ImageMemory(std::size_t budget = ImageBudget::Bytes()) : budget_(budget) {}
  ImageMemory(const ImageMemory&) = delete;
  ImageMemory& operator=(const ImageMemory&) = delete;

  std::size_t Budget() const { return budget_; }
  std::size_t Used() const { return used_; }

  void Register(TGameImages* library);
  void Unregister(TGameImages* library);
  void Add(std::size_t bytes) { used_ += bytes; }
  void Remove(std::size_t bytes) { used_ -= bytes < used_ ? bytes : used_; }

  // Room for `bytes` more, made by freeing images that were used longest ago, never image
  // `keep` of `owner` (the one being asked for). False when `bytes` alone exceed the budget.
  bool MakeRoom(std::size_t bytes, const TGameImages* owner, int keep);

 private:
  std::size_t budget_;
  std::size_t used_ = 0;
  std::vector<TGameImages*> libraries_;
};

}  // namespace hl
