#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <streambuf>
#include <string>

// The largest bookmark file an import takes in. Real exports are a few megabytes at most (the
// largest seen was 1.7 MB); the bound keeps a wrong file (a disk image, a log) from filling memory.
inline constexpr uint64_t kMaxBookmarkFileBytes = uint64_t{256} << 20;

// A bookmark file opened for an import. Only a regular file is read: a pipe, a device, a socket
// or a folder is refused when it is opened, and opening never blocks (a pipe with no writer, say).
class BookmarkFile {
 public:
  BookmarkFile();
  ~BookmarkFile();
  BookmarkFile(const BookmarkFile&) = delete;
  BookmarkFile& operator=(const BookmarkFile&) = delete;

  // Opens path; false with the reason for the user in why (what the file is, or the system's
  // error, or its size beyond kMaxBookmarkFileBytes).
  bool Open(const std::string& path, std::string& why);
  // The file's bytes from the start. Reading fails (the stream goes bad) past kMaxBookmarkFileBytes,
  // should the file grow while it is read.
  std::istream& Stream() { return stream_; }
  uint64_t Size() const { return size_; }
  // Back to the first byte, for a second reading.
  void Rewind();

 private:
  class Buffer;
  std::unique_ptr<Buffer> buffer_;
  std::istream stream_;
  uint64_t size_ = 0;
};
