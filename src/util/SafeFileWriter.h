#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace hl {

// What a link at the path of a new file stands for. A user's own map reached through a link is
// the file the link points to (Follow). In a folder where a link may have been planted (the
// recovery folder, a project folder with names from stored data) the link is replaced by the
// new file and whatever it points to is left alone (Replace).
enum class AtLink { Follow, Replace };

struct WriteOptions {
  AtLink Link = AtLink::Follow;
  // The new file is readable and writable by its owner only (0600), whatever stood there.
  bool OwnerOnly = false;
};

// Writes a file so that a failure never damages what was there before: regular files are
// written to a temporary file beside the target and renamed over it on Commit(); the old
// file stays untouched until then. Devices and pipes are written in place.
//
// A save that reports success is also durable: the new file's data reaches the disk (fsync)
// before the rename, and the folder's entry for it after the rename, so a power cut right
// after a save gives back either the old file or the whole new one, never an empty name.
class SafeFileWriter {
 public:
  // What happens to the old file's bytes past the end of the new content: binary formats
  // that are overwritten without shortening keep them, text formats replace the whole file.
  enum class OldTail { Keep, Drop };

  SafeFileWriter() = default;
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;
  ~SafeFileWriter();  // Abandons an uncommitted write: the target stays as it was.

  bool Open(const std::string& path, OldTail tail, WriteOptions options = {});
  bool Write(std::span<const std::uint8_t> bytes);
  bool WriteGather(std::span<const std::span<const std::uint8_t>> pieces);
  // Completes the file and puts it in place. False if anything failed since Open.
  bool Commit() { return Finish() && Replace(); }
  // The two halves of Commit, for files that change together: finish every file first, so
  // a failure anywhere leaves all the old files as they were, then replace them one by one.
  // Finish writes the file through to the disk; a failure there leaves the old file.
  bool Finish();
  // Renames the finished file over the target and syncs the folder. False when either fails;
  // a folder that cannot be synced leaves the new content in place but not known to be on
  // the disk, and the save still counts as failed.
  // With keepOld the replaced file stays reachable until the writer goes away, so that
  // RestoreOld() can put it back when a later file of the group cannot be replaced.
  bool Replace(bool keepOld = false);
  void RestoreOld();

  bool Failed() const { return failed_; }
  std::uint64_t Written() const { return written_; }

 private:
  friend bool ReplaceTogether(std::span<SafeFileWriter* const>, std::size_t*);

  void Abandon();
  bool CopyOldTail();
  // Replace without the folder sync, which a group does once per folder. `renamed` tells
  // whether a folder entry changed (not for files written in place).
  bool Rename(bool keepOld, bool* renamed);

  int fd_ = -1;
  std::string target_;
  std::string temp_;  // empty when writing in place
  OldTail tail_ = OldTail::Keep;
  WriteOptions options_;
  std::uint64_t written_ = 0;
  bool failed_ = false;
  bool finished_ = false;
  std::string kept_;     // the old file's second name while it is kept
  bool wasNew_ = false;  // Replace(true) created the target: restoring removes it
};

// Replaces the files of finished writers one after the other; when one cannot be replaced the
// ones before it get their old files back, so the group changes whole or not at all. Then
// each folder the group changed is synced once. False with the index of the writer that
// failed in `failed` (for a folder that cannot be synced, the first writer in it).
bool ReplaceTogether(std::span<SafeFileWriter* const> writers, std::size_t* failed = nullptr);

}  // namespace hl
