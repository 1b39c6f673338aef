#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace hl {

// Whether opening a path goes where a link at it points. Files in folders that other people or
// names from stored data could have put a link into are opened only as what stands there.
enum class Links { Follow, Refuse };

// A file opened for reading that knows its size. Reads stop at the end of the file; an I/O
// error is remembered and reported by Failed(), a short read at the end of the file is not.
class FileReader {
 public:
  FileReader() = default;
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;
  ~FileReader();

  // False for a missing or unreadable file and for directories, and with Links::Refuse for a
  // link. Opening never blocks, even on a FIFO without a writer.
  bool Open(const std::string& path, Links links = Links::Follow);
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
                   std::string* error, Links links = Links::Follow);

}  // namespace hl
