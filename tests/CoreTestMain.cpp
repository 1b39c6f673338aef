#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

// No application object here: whatever these tests reach must run without Qt.
int main(int argc, char** argv) {
  // Recovery copies made by the commands under test stay out of the user's own folder.
  const std::filesystem::path recovery = std::filesystem::temp_directory_path() /
                                         ("hl-core-tests-recovery-" + std::to_string(::getpid()));
  ::setenv("HARBOURLIGHT_RECOVERY_DIR", recovery.c_str(), 1);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::error_code ignored;
  std::filesystem::remove_all(recovery, ignored);
  return result;
}
