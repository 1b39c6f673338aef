#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hl {

class MapDocument;
class MainCommands;
class Questions;

// A copy of a map that had unsaved changes when its editor went away without closing.
struct RecoveredMap {
  std::string Id;
  std::string CopyPath;      // the map file of the copy
  std::string OriginalName;  // the file the map was last opened from or saved to; may be empty
  std::string SegmentDir;    // not empty: the map was the segment window of this project folder
  std::uint8_t MapBitCount = 16;
  std::int64_t SavedAt = 0;  // seconds since 1970
};

// Recovery copies of the open map, so that a crash does not take unsaved work with it. Each
// running editor holds a lock on a file of its own in the folder; the copies of an editor
// whose lock is free were left behind by one that ended without closing. A copy is written
// at most once a minute while the map is modified and removed once it is saved or dropped.
//
// The folder is the user's alone: owned by the user and writable by nobody else (made 0700
// when new), or not used at all. Its files carry a random part in their names, are written
// 0600, and replace a link found at their name instead of following it.
class RecoveryStore {
 public:
  static constexpr std::int64_t kInterval = 60;  // seconds between copies

  // The folder: $HARBOURLIGHT_RECOVERY_DIR, else $XDG_STATE_HOME/harbourlight/recovery,
  // else $HOME/.local/state/harbourlight/recovery; empty without any of them, as no folder
  // shared with other users (such as /tmp) will do.
  static std::string DefaultFolder();

  explicit RecoveryStore(std::string folder);
  ~RecoveryStore();  // releases the lock but keeps the copy: only Discard removes it
  RecoveryStore(const RecoveryStore&) = delete;
  RecoveryStore& operator=(const RecoveryStore&) = delete;

  const std::string& Folder() const { return folder_; }
  // False when the folder cannot be made, is not the user's alone, or cannot be locked in; the
  // editor then works without copies and says why (Problem).
  bool Active() const { return lockFd_ >= 0; }
  // Why the store is not active, in words for the status bar; empty when it is.
  const std::string& Problem() const { return problem_; }

  // Called every second or so with a monotonic clock in seconds. Writes the copy when the map
  // is modified and no copy was written in the last minute; removes it once the map is not
  // modified any more. True when a copy was written.
  bool Tick(const MainCommands& commands, const MapDocument& doc, std::int64_t now);
  // Writes the copy now, whatever the clock says (right after a restore).
  bool WriteNow(const MainCommands& commands, const MapDocument& doc, std::int64_t now);
  // Removes this editor's copy: the map was saved, or the user chose to drop it.
  void Discard();
  bool HasCopy() const { return hasCopy_; }

  // Copies left by editors that are not running any more, newest first. Copies whose
  // description cannot be read are not offered.
  std::vector<RecoveredMap> Orphans() const;
  // Removes the files of a copy that was restored or declined.
  void Forget(const RecoveredMap& copy) const;

 private:
  std::string File(const std::string& id, const char* extension) const;

  std::string folder_;
  std::string problem_;
  std::string id_;
  int lockFd_ = -1;
  bool hasCopy_ = false;
  std::optional<std::int64_t> lastCopy_;
};

// The question that offers one copy: what it was, when it was kept (local time) and what each
// answer does. The names from the description are shown escaped (EscapeForDisplay): a name
// with line breaks must not add lines of its own to the question.
std::string RecoveryQuestion(const RecoveredMap& copy);

// Offers the copies that editors which ended without closing left behind, newest first, until
// one is restored or the user cancels. Yes opens the copy in place of the map (under the map's
// old name, still unsaved) and makes it this editor's own copy at once, so that a second crash
// loses nothing; No deletes it and goes on to the next; Cancel keeps it and every copy not yet
// offered for the next start. A copy that fails to restore is deleted too, so that a damaged
// one is not offered at every start. `now` is the clock of RecoveryStore::Tick. True when a copy
// was restored.
bool OfferRecoveredMaps(RecoveryStore& store, MainCommands& commands, const MapDocument& doc,
                        Questions& questions, std::int64_t now);

}  // namespace hl
