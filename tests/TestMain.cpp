#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace {

// Each test starts with the folders as ctest gives them, one process a test: empty. Run as one
// process, the recovery copies a window left would otherwise be offered to the next test.
class FreshFolders : public ::testing::EmptyTestEventListener {
 public:
  explicit FreshFolders(std::vector<std::filesystem::path> folders) : folders_(std::move(folders)) {}
  void OnTestStart(const ::testing::TestInfo&) override { Clear(); }
  void Clear() const {
    std::error_code ignored;
    for (const auto& folder : folders_) std::filesystem::remove_all(folder, ignored);
  }

 private:
  std::vector<std::filesystem::path> folders_;
};

}  // namespace

// Drawing text and reading pictures and the map view need an application; the offscreen platform
// gives one without a display.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    const QByteArray runtime = "/tmp/hl-tests-runtime-" + QByteArray::number(::getuid());
    ::mkdir(runtime.constData(), 0700);
    qputenv("XDG_RUNTIME_DIR", runtime);
  }
  // Recovery copies of the windows the tests open stay out of the user's own folder.
  const std::filesystem::path recovery = std::filesystem::temp_directory_path() /
                                         ("hl-tests-recovery-" + std::to_string(::getpid()));
  qputenv("HARBOURLIGHT_RECOVERY_DIR", QByteArray::fromStdString(recovery.string()));
  // So do the world map's thumbnails.
  const std::filesystem::path cache =
      std::filesystem::temp_directory_path() / ("hl-tests-cache-" + std::to_string(::getpid()));
  qputenv("XDG_CACHE_HOME", QByteArray::fromStdString(cache.string()));
  // And the settings (undo steps, recent files, the workspace) that windows write at exit:
  // each run starts with none and leaves the user's own alone.
  const std::filesystem::path config =
      std::filesystem::temp_directory_path() / ("hl-tests-config-" + std::to_string(::getpid()));
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.string()));
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  auto* fresh = new FreshFolders({recovery, cache, config});
  ::testing::UnitTest::GetInstance()->listeners().Append(fresh);  // gtest owns it
  const int result = RUN_ALL_TESTS();
  fresh->Clear();
  return result;
}
