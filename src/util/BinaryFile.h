#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace hl {

// A file opened for reading that knows its size. Reads stop at the end of the file; an I/O
// error is remembered and reported by Failed(), a short read at the end of the file is not.
class FileReader {
 public:
  FileReader() = default;
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  ~FileReader();

  // False for a missing or unreadable file and for directories. Opening never blocks, even on
  // a FIFO without a writer.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }

  // Size in bytes as the file system reports it (0 for devices and pipes).
  std::uint64_t Size() const { return size_; }

  // Reads up to buffer.size() bytes; fewer only at the end of the file or on an error.
  std::size_t Read(std::span<std::uint8_t> buffer);

  // Fills the pieces in order with one system call where possible, so large record arrays
  // land in place without a staging copy. Returns the bytes read in all.
  std::size_t ReadScatter(std::span<const std::span<std::uint8_t>> pieces);

  // Reads up to buffer.size() bytes at offset without moving the stream position; returns
  // the bytes read. Offsets past the end read nothing.
  std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer);

  bool Failed() const { return failed_; }

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
  bool failed_ = false;
  bool atEnd_ = false;
};

// Reads a whole file of at most `limit` bytes into `text`. Files that go on past the limit
// (large ones, or devices like /dev/zero that never end) are refused before they can fill
// the memory. False with a reason naming the file.
bool ReadWholeFile(const std::string& path, std::size_t limit, std::string& text,
                   std::string* error);

// The file to open for `path`: the exact name when it exists, otherwise the one entry of the
// same folder whose name matches it ignoring letter case (game data copied from other systems
// comes in any case). Nothing when neither exists.
std::optional<std::string> FindFileIgnoringCase(const std::string& path);

// Writes a file so that a failure never damages what was there before: regular files are
// written to a temporary file beside the target and renamed over it on Commit(); the old
// file stays untouched until then. Devices and pipes are written in place.
class SafeFileWriter {
 public:
  // What happens to the old file's bytes past the end of the new content: binary formats
  // that are overwritten without shortening keep them, text formats replace the whole file.
  enum class OldTail { Keep, Drop };

  SafeFileWriter() = default;
  SafeFileWriter(const SafeFileWriter&) = delete;
  SafeFileWriter& operator=(const SafeFileWriter&) = delete;
  ~SafeFileWriter();  // Abandons an uncommitted write: the target stays as it was.

  bool Open(const std::string& path, OldTail tail);
  bool Write(std::span<const std::uint8_t> bytes);
  bool WriteGather(std::span<const std::span<const std::uint8_t>> pieces);
  // Completes the file and puts it in place. False if anything failed since Open.
  bool Commit() { return Finish() && Replace(); }
  // The two halves of Commit, for files that change together: finish every file first, so
  // a failure anywhere leaves all the old files as they were, then replace them one by one.
  bool Finish();
  // With keepOld the replaced file stays reachable until the writer goes away, so that
  // RestoreOld() can put it back when a later file of the group cannot be replaced.
  bool Replace(bool keepOld = false);
  void RestoreOld();

  bool Failed() const { return failed_; }
  std::uint64_t Written() const { return written_; }

 private:
  void Abandon();
  bool CopyOldTail();

  int fd_ = -1;
  std::string target_;
  std::string temp_;  // empty when writing in place
  OldTail tail_ = OldTail::Keep;
  std::uint64_t written_ = 0;
  bool failed_ = false;
  bool finished_ = false;
  std::string kept_;     // the old file's second name while it is kept
  bool wasNew_ = false;  // Replace(true) created the target: restoring removes it
};

// Replaces the files of finished writers one after the other; when one cannot be replaced the
// ones before it get their old files back, so the group changes whole or not at all. False
// with the index of the writer that failed in `failed`.
bool ReplaceTogether(std::span<SafeFileWriter* const> writers, std::size_t* failed = nullptr);

// A failure the tests plant in the file layer: the next writes fail the way a full disk or a
// permission lost in the middle of a save does. `Count` is how far things go first: the bytes
// accepted (a write that crosses the point is cut short there, then fails) or the file
// creations, closes or renames that still succeed. It covers every SafeFileWriter in the
// process until cleared.
struct WriteFault {
  enum class At { Nothing, Create, Byte, Close, Rename };
  At Where = At::Nothing;
  std::uint64_t Count = 0;
};
void PlantWriteFault(const WriteFault& fault);

}  // namespace hl
