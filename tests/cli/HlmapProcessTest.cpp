// The hlmap program itself, run as a process without a display and without a chosen Qt
// platform, as in a script on a server: the commands without pictures must not load Qt at all,
// those whose pictures hold no text must not start a GUI application, and those that draw text
// must still work.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QImage>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "RunHlmap.h"
#include "TempDir.h"
#include "map/MapFile.h"
#include "segments/SegmentProject.h"
#include "view/TestLibraries.h"

extern char** environ;

namespace hl {
namespace {

struct ProcessResult {
  int Code = -1;
  std::string Out;
  std::string Err;
};

std::string ReadText(const std::string& path) {
  const auto bytes = test::ReadFileBytes(path);
  return {bytes.begin(), bytes.end()};
}

// Runs `program` in `folder` with the environment of the tests less the display and the Qt
// platform, plus `extra` ("NAME=value").
ProcessResult RunProcess(const std::string& program, std::vector<std::string> args,
                         const std::string& folder, const std::vector<std::string>& extra = {}) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (name == "DISPLAY" || name == "WAYLAND_DISPLAY" || name == "QT_QPA_PLATFORM" ||
        name == "LD_DEBUG") {
      continue;
    }
    env.push_back(entry);
  }
  env.insert(env.end(), extra.begin(), extra.end());
  test::TempDir capture;
  const std::string outFile = capture.File("out"), errFile = capture.File("err");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT, 0600);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  args.insert(args.begin(), program);
  std::vector<char*> argv, envp;
  for (std::string& a : args) argv.push_back(a.data());
  for (std::string& e : env) envp.push_back(e.data());
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  pid_t pid = 0;
  const int spawned =
      ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ProcessResult result;
  if (spawned != 0) {
    result.Err = std::strerror(spawned);
    return result;
  }
  int status = 0;
  if (::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) result.Code = WEXITSTATUS(status);
  result.Out = ReadText(outFile);
  result.Err = ReadText(errFile);
  return result;
}

// Runs `program` in `folder` as RunProcess does, under a file-size limit of `limit` bytes and
// with SIGXFSZ at its default (ending the process), as a shell with `ulimit -f` starts it.
ProcessResult RunUnderFileSizeLimit(const std::string& program, std::vector<std::string> args,
                                    const std::string& folder, rlim_t limit) {
  test::TempDir capture;
  const std::string outFile = capture.File("out"), errFile = capture.File("err");
  args.insert(args.begin(), program);
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  ProcessResult result;
  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    const rlimit limited{limit, limit};
    const int out = ::open(outFile.c_str(), O_WRONLY | O_CREAT, 0600);
    const int err = ::open(errFile.c_str(), O_WRONLY | O_CREAT, 0600);
    if (out < 0 || err < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0 ||
        ::chdir(folder.c_str()) != 0 || ::setrlimit(RLIMIT_FSIZE, &limited) != 0 ||
        ::signal(SIGXFSZ, SIG_DFL) == SIG_ERR) {
      ::_exit(127);
    }
    ::execve(program.c_str(), argv.data(), environ);
    ::_exit(127);
  }
  int status = 0;
  if (pid > 0 && ::waitpid(pid, &status, 0) == pid) {
    result.Code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  result.Out = ReadText(outFile);
  result.Err = ReadText(errFile);
  return result;
}

// Whether the dynamic loader, asked for its report with LD_DEBUG=libs, started a library whose
// path holds `library`.
bool Started(const ProcessResult& r, const std::string& library) {
  for (std::size_t at = r.Err.find("calling init: "); at != std::string::npos;
       at = r.Err.find("calling init: ", at + 1)) {
    const std::size_t end = r.Err.find('\n', at);
    if (r.Err.substr(at, end - at).find(library) != std::string::npos) return true;
  }
  return false;
}

// The end of what a process wrote to its error output, for a failure message.
std::string Tail(const std::string& text) {
  return text.substr(text.size() > 400 ? text.size() - 400 : 0);
}

class HlmapProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto doc = std::make_unique<MapDocument>();
    doc->SetMapSize(120, 120);
    doc->SetCell(3, 4, TMapCell{0x0002, 1, 0x0003, 0x81, 1, 0, 0, 0, 2});
    ASSERT_TRUE(SaveMap(*doc, dir_.File("a.map"), kBitCountData));
    ASSERT_TRUE(SaveSegment(*doc, dir_.File("A100100.sem"), 0, 0));
    ASSERT_TRUE(WriteProject(dir_.File("w.mp"), {"A", 1, 1}));
    test::WriteFileBytes(dir_.File("script.txt"), {'l', 'a', 'y', 'e', 'r', ' ', '1', '\n'});
  }
  test::TempDir dir_;
};

TEST_F(HlmapProcessTest, CommandsWithoutPicturesLoadNoQt) {
  const std::vector<std::vector<std::string>> commands = {
      {"--help"},
      {"info", "a.map"},
      {"save-as", "a.map", "b.map"},
      {"convert-old", "b.map"},
      // A project named without a folder is found in the current one.
      {"seg-window", "w.mp", "0", "0", "c.map"},
      {"seg-store", "w.mp", "0", "0", "c.map"},
  };
  for (const auto& args : commands) {
    const ProcessResult r = RunProcess(HL_HLMAP, args, dir_.Path(), {"LD_DEBUG=libs"});
    EXPECT_EQ(r.Code, 0) << args[0] << ": " << Tail(r.Err);
    EXPECT_TRUE(Started(r, "libstdc++")) << "LD_DEBUG gave no report";
    EXPECT_FALSE(Started(r, "libQt6")) << args[0];
  }
  const ProcessResult info = RunProcess(HL_HLMAP, {"info", "c.map"}, dir_.Path());
  EXPECT_EQ(info.Out.rfind("{\"width\":120,\"height\":120,", 0), 0u) << info.Out;
  EXPECT_EQ(info.Err, "");
}

TEST_F(HlmapProcessTest, PicturesWithoutTextStartNoGuiApplication) {
  test::WriteTestLibraries(dir_.Path());
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"apply", "a.map", "d.map", "--script", "script.txt", "--libs",
                                 "."},
        {"lib-info", "Tiles.Data"},
        {"lib-export", "Tiles.Data", "0", "t.png"},
        {"render", "a.map", "v.png", "--size", "200x100"},
        {"export-bmp", "a.map", "v.bmp"}}) {
    const ProcessResult r = RunProcess(HL_HLMAP, args, dir_.Path(), {"LD_DEBUG=libs"});
    EXPECT_EQ(r.Code, 0) << args[0] << ": " << Tail(r.Err);
    EXPECT_TRUE(Started(r, "libQt6Gui")) << args[0];
    EXPECT_FALSE(Started(r, "/platforms/")) << args[0];
  }
  EXPECT_TRUE(test::FileExists(dir_.File("d.map")));
}

TEST_F(HlmapProcessTest, DrawingCommandsWorkWithoutADisplay) {
  test::WriteTestLibraries(dir_.Path());
  ProcessResult r =
      RunProcess(HL_HLMAP, {"render", "a.map", "v.png", "--size", "200x100"}, dir_.Path());
  ASSERT_EQ(r.Code, 0) << r.Err;
  const auto png = test::ReadFileBytes(dir_.File("v.png"));
  ASSERT_GE(png.size(), 8u);
  EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
  r = RunProcess(HL_HLMAP, {"export-bmp", "a.map", "v.bmp"}, dir_.Path());
  ASSERT_EQ(r.Code, 0) << r.Err;
  const auto bmp = test::ReadFileBytes(dir_.File("v.bmp"));
  ASSERT_GE(bmp.size(), 2u);
  EXPECT_EQ(bmp[0], 'B');
  EXPECT_EQ(bmp[1], 'M');
}

TEST_F(HlmapProcessTest, DoorLabelsAreDrawnAsInTheEditorsProcess) {
  test::WriteTestLibraries(dir_.Path());
  // The door of (3, 4) is labelled at zoom 1: this render starts the offscreen platform.
  const std::vector<std::string> words = {"render", "a.map",  "label.png", "--zoom",
                                          "1",      "--size", "400x300"};
  const ProcessResult r = RunProcess(HL_HLMAP, words, dir_.Path(), {"LD_DEBUG=libs"});
  ASSERT_EQ(r.Code, 0) << Tail(r.Err);
  EXPECT_TRUE(Started(r, "/platforms/"));
  // The same command in this process, whose application was there from the start.
  std::vector<std::string> here = words;
  here[1] = dir_.File("a.map");
  here[2] = dir_.File("here.png");
  here.insert(here.end(), {"--libs", dir_.Path()});
  ASSERT_EQ(test::Hlmap(here).Code, 0);
  const QImage fromProcess(QString::fromStdString(dir_.File("label.png")));
  const QImage fromHere(QString::fromStdString(dir_.File("here.png")));
  ASSERT_FALSE(fromHere.isNull());
  EXPECT_EQ(fromProcess, fromHere);
}

TEST_F(HlmapProcessTest, OutsideTheLibraryFolderThePictureSaysWhereItLooked) {
  // No libraries here, and no --libs: the current folder is where they were looked for.
  const ProcessResult r = RunProcess(HL_HLMAP, {"export-bmp", "a.map", "v.bmp"}, dir_.Path());
  EXPECT_EQ(r.Code, 0);
  const std::string here = std::filesystem::canonical(dir_.Path()).string();
  EXPECT_EQ(r.Err.rfind("hlmap: no tile library opened in " + here +
                            " (looked for Tiles.Data in any letter case): big tiles are left out\n",
                        0),
            0u)
      << r.Err;
  EXPECT_TRUE(test::FileExists(dir_.File("v.bmp")));
}

TEST_F(HlmapProcessTest, WithoutHlmapDrawOnlyTheDrawingCommandsFail) {
  const std::string alone = dir_.File("alone");
  std::filesystem::create_directory(alone);
  const std::string copy = alone + "/hlmap";
  std::filesystem::copy_file(HL_HLMAP, copy);
  std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
  EXPECT_EQ(RunProcess(copy, {"info", "a.map"}, dir_.Path()).Code, 0);
  const ProcessResult r = RunProcess(copy, {"render", "a.map", "v.png"}, dir_.Path());
  EXPECT_EQ(r.Code, 1);
  EXPECT_EQ(r.Err, "hlmap: cannot run '" + std::filesystem::canonical(alone).string() +
                       "/hlmap-draw': No such file or directory\n");
  EXPECT_FALSE(test::FileExists(dir_.File("v.png")));
}

TEST_F(HlmapProcessTest, AWriteOverTheFileSizeLimitFailsAndKeepsTheOldFile) {
  // 120 x 120 cells are a map of 172,852 bytes and a picture of over a megabyte; the limit
  // lets neither through, and the old files are smaller than it.
  test::WriteTestLibraries(dir_.Path());
  constexpr rlim_t kLimit = 64 * 1024;
  const std::vector<std::uint8_t> old = {'o', 'l', 'd'};
  const std::string draw = std::filesystem::path(HL_HLMAP).replace_filename("hlmap-draw");
  const std::vector<std::tuple<std::string, std::vector<std::string>, std::string>> runs = {
      {HL_HLMAP, {"save-as", "a.map", "b.map"}, "b.map"},
      {HL_HLMAP, {"export-bmp", "a.map", "v.bmp"}, "v.bmp"},  // handed over to hlmap-draw
      {draw, {"export-bmp", "a.map", "w.bmp"}, "w.bmp"}};
  for (const auto& [program, args, out] : runs) {
    test::WriteFileBytes(dir_.File(out), old);
    const auto before = test::ListDirectory(dir_.Path());
    const ProcessResult r = RunUnderFileSizeLimit(program, args, dir_.Path(), kLimit);
    EXPECT_EQ(r.Code, 1) << args[0] << " ended by a signal? " << r.Err;
    EXPECT_EQ(r.Err, "hlmap: cannot write '" + out + "': file too large\n") << args[0];
    EXPECT_EQ(test::ReadFileBytes(dir_.File(out)), old) << args[0];
    EXPECT_EQ(test::ListDirectory(dir_.Path()), before) << "no temporary file stays";
  }
}

}  // namespace
}  // namespace hl
