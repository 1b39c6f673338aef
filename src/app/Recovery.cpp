#include "app/Recovery.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>

#include "app/MainCommands.h"
#include "map/MapFile.h"
#include "util/FileReader.h"
#include "util/PrivateFolder.h"
#include "util/Questions.h"
#include "util/SafeFileWriter.h"
#include "util/TextHelpers.h"
#include "util/WriteWholeFile.h"

namespace hl {

namespace {

constexpr char kInfoHeader[] = "Harbourlight recovery 1";
constexpr std::size_t kMaxInfoBytes = 1 << 16;

// Values are one line each: line breaks and backslashes in file names are escaped.
std::string Escape(const std::string& s) {
  std::string out;
  for (char c : s) {
    if (c == '\\') out += "\\\\";
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else out += c;
  }
  return out;
}

std::string Unescape(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char next = s[++i];
    out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
  }
  return out;
}

// The part of a file name nobody can guess in advance, so that nobody can put anything under
// the name of a copy before it is written.
std::string RandomPart() {
  std::random_device random;
  char text[17];
  std::snprintf(text, sizeof text, "%08x%08x", static_cast<unsigned>(random()),
                static_cast<unsigned>(random()));
  return text;
}

// Copies and descriptions: the user's alone, and never written through a link.
constexpr WriteOptions kPrivateFile{AtLink::Replace, true};

std::string Environment(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::optional<RecoveredMap> ReadInfo(const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, kMaxInfoBytes, text, nullptr, Links::Refuse)) return std::nullopt;
  RecoveredMap copy;
  bool headerSeen = false;
  bool formatSeen = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!headerSeen) {
      if (line != kInfoHeader) return std::nullopt;
      headerSeen = true;
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const std::string value = Unescape(line.substr(eq + 1));
    if (key == "name") {
      copy.OriginalName = value;
    } else if (key == "segments") {
      copy.SegmentDir = value;
    } else if (key == "format") {
      const int bits = StrToIntDefault(value, -1);
      if (bits != kBitCountWil && bits != kBitCountData) return std::nullopt;
      copy.MapBitCount = static_cast<std::uint8_t>(bits);
      formatSeen = true;
    } else if (key == "saved") {
      char* endp = nullptr;
      copy.SavedAt = std::strtoll(value.c_str(), &endp, 10);
    }
  }
  if (!headerSeen || !formatSeen) return std::nullopt;
  return copy;
}

// "yyyy-MM-dd hh:mm:ss" in local time; empty for a time the system cannot convert.
std::string LocalTimeText(std::int64_t secondsSinceEpoch) {
  const auto t = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm tm{};
  if (!::localtime_r(&t, &tm)) return {};
  char text[128];
  const int n = std::snprintf(text, sizeof text, "%04lld-%02d-%02d %02d:%02d:%02d",
                              static_cast<long long>(tm.tm_year) + 1900, tm.tm_mon + 1, tm.tm_mday,
                              tm.tm_hour, tm.tm_min, tm.tm_sec);
  return n > 0 ? std::string(text) : std::string();
}

}  // namespace

std::string RecoveryStore::DefaultFolder() {
  if (std::string dir = Environment("HARBOURLIGHT_RECOVERY_DIR"); !dir.empty()) return dir;
  if (std::string state = Environment("XDG_STATE_HOME"); !state.empty() && state[0] == '/')
    return state + "/harbourlight/recovery";
  // Without a home there is no folder of the user's own; one under /tmp could have been made
  // first by anyone.
  if (std::string home = Environment("HOME"); !home.empty() && home[0] == '/')
    return home + "/.local/state/harbourlight/recovery";
  return {};
}

RecoveryStore::RecoveryStore(std::string folder) : folder_(std::move(folder)) {
  while (folder_.size() > 1 && folder_.back() == '/') folder_.pop_back();
  if (folder_.empty()) {
    problem_ =
        "HOME is not set, and a folder other users share will not do (set "
        "HARBOURLIGHT_RECOVERY_DIR to a folder of your own)";
    return;
  }
  const std::string cannotUse = "cannot use \"" + EscapeForDisplay(folder_) + "\": ";
  if (!MakePrivateFolders(folder_)) {
    problem_ = cannotUse + std::strerror(errno);
    return;
  }
  if (std::string problem = PrivateFolderProblem(folder_); !problem.empty()) {
    problem_ = cannotUse + problem;
    return;
  }
  // The process number alone can come back after a restart and the time is known to anyone;
  // the random part keeps the name from being taken, or linked, before the lock is made.
  for (int attempt = 0; attempt < 8 && lockFd_ < 0; ++attempt) {
    id_ = "hl-" + std::to_string(::getpid()) + "-" + std::to_string(std::time(nullptr)) + "-" +
          RandomPart();
    lockFd_ = ::open(File(id_, ".lock").c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                     0600);
    if (lockFd_ < 0 && errno != EEXIST) break;
  }
  if (lockFd_ >= 0 && ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(lockFd_);
    lockFd_ = -1;
    errno = error;
  }
  if (lockFd_ < 0) problem_ = cannotUse + std::strerror(errno);
}

RecoveryStore::~RecoveryStore() {
  if (lockFd_ < 0) return;
  if (!hasCopy_) ::unlink(File(id_, ".lock").c_str());
  ::close(lockFd_);
}

std::string RecoveryStore::File(const std::string& id, const char* extension) const {
  return folder_ + "/" + id + extension;
}

bool RecoveryStore::Tick(const MainCommands& commands, const MapDocument& doc,
                         std::int64_t now) {
  if (!Active()) return false;
  if (!commands.Modified()) {
    if (hasCopy_) Discard();
    return false;
  }
  if (lastCopy_ && now - *lastCopy_ < kInterval) return false;
  return WriteNow(commands, doc, now);
}

bool RecoveryStore::WriteNow(const MainCommands& commands, const MapDocument& doc,
                             std::int64_t now) {
  if (!Active()) return false;
  // Tried or not, the next copy waits a minute: a full disk is not hammered every second.
  lastCopy_ = now;
  std::string info = std::string(kInfoHeader) + "\n";
  info += "name=" + Escape(commands.MapFileName()) + "\n";
  info += "format=" + std::to_string(commands.MapBitCount()) + "\n";
  info += "saved=" + std::to_string(static_cast<long long>(std::time(nullptr))) + "\n";
  if (commands.SegmentMode()) info += "segments=" + Escape(commands.Segments().ProjectDir) + "\n";
  // The map first: a description is only ever found beside a complete copy.
  if (!WriteMapCopy(doc, File(id_, ".map"), commands.MapBitCount(), kPrivateFile)) return false;
  if (!WriteWholeFile(File(id_, ".info"), info, SafeFileWriter::OldTail::Drop, kPrivateFile)) {
    return false;
  }
  hasCopy_ = true;
  return true;
}

void RecoveryStore::Discard() {
  if (!Active()) return;
  ::unlink(File(id_, ".info").c_str());
  ::unlink(File(id_, ".map").c_str());
  hasCopy_ = false;
  lastCopy_.reset();
}

std::vector<RecoveredMap> RecoveryStore::Orphans() const {
  std::vector<RecoveredMap> found;
  // What lies in a folder that is not the user's alone may have been put there by anyone.
  if (!Active()) return found;
  DIR* d = ::opendir(folder_.c_str());
  if (!d) return found;
  std::vector<std::string> ids;
  std::vector<std::string> locks;
  const auto endsWith = [](const std::string& name, const std::string& tail) {
    return name.size() > tail.size() &&
           name.compare(name.size() - tail.size(), tail.size(), tail) == 0;
  };
  while (const dirent* e = ::readdir(d)) {
    const std::string name = e->d_name;
    if (endsWith(name, ".info")) ids.push_back(name.substr(0, name.size() - 5));
    if (endsWith(name, ".lock")) locks.push_back(name.substr(0, name.size() - 5));
  }
  ::closedir(d);
  const auto running = [this](const std::string& id) {
    if (id == id_) return true;
    const int fd = ::open(File(id, ".lock").c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
  };
  // Locks of editors that ended without a copy to leave are only clutter. A fresh one may
  // belong to an editor starting this very moment, before it could take its lock.
  for (const std::string& id : locks) {
    struct stat st {};
    if (std::find(ids.begin(), ids.end(), id) == ids.end() &&
        ::lstat(File(id, ".lock").c_str(), &st) == 0 && st.st_mtime < std::time(nullptr) - 60 &&
        !running(id)) {
      ::unlink(File(id, ".lock").c_str());
    }
  }
  for (const std::string& id : ids) {
    // A running editor's copy is its own business.
    if (running(id)) continue;
    auto copy = ReadInfo(File(id, ".info"));
    struct stat map {};
    if (!copy || ::lstat(File(id, ".map").c_str(), &map) != 0 || !S_ISREG(map.st_mode)) continue;
    copy->Id = id;
    copy->CopyPath = File(id, ".map");
    found.push_back(*copy);
  }
  std::sort(found.begin(), found.end(),
            [](const RecoveredMap& a, const RecoveredMap& b) { return a.SavedAt > b.SavedAt; });
  return found;
}

void RecoveryStore::Forget(const RecoveredMap& copy) const {
  if (!Active() || copy.Id.empty() || copy.Id == id_) return;
  ::unlink(File(copy.Id, ".info").c_str());
  ::unlink(File(copy.Id, ".map").c_str());
  ::unlink(File(copy.Id, ".lock").c_str());
}

std::string RecoveryQuestion(const RecoveredMap& copy) {
  const std::string what =
      copy.SegmentDir.empty()
          ? "the map \"" +
                (copy.OriginalName.empty() ? std::string("Untitled.map")
                                           : EscapeForDisplay(copy.OriginalName)) +
                "\""
          : "the segment window of \"" + EscapeForDisplay(copy.SegmentDir) + "\"";
  std::string text = "Harbourlight ended without saving " + what + ". A recovery copy from " +
                     LocalTimeText(copy.SavedAt) + " was kept.\n\n";
  if (!copy.SegmentDir.empty()) text += "It opens as a new map, not as segments.\n";
  text += "Restore it? (No deletes the copy, Cancel keeps it for the next start.)";
  return text;
}

bool OfferRecoveredMaps(RecoveryStore& store, MainCommands& commands, const MapDocument& doc,
                        Questions& questions, std::int64_t now) {
  for (const RecoveredMap& copy : store.Orphans()) {
    const Questions::Reply reply = questions.AskYesNoCancel(RecoveryQuestion(copy));
    if (reply == Questions::Reply::Cancel) return false;
    if (reply == Questions::Reply::No) {
      store.Forget(copy);
      continue;
    }
    const std::string name = copy.SegmentDir.empty() ? copy.OriginalName : std::string();
    if (!commands.RestoreRecovered(copy.CopyPath, name)) {
      // Said so already; a copy that cannot be read is not offered again at every start.
      store.Forget(copy);
      continue;
    }
    // The restored map is this editor's unsaved work now; its copy takes over at once.
    store.WriteNow(commands, doc, now);
    store.Forget(copy);
    return true;
  }
  return false;
}

}  // namespace hl
