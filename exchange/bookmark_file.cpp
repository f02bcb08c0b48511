#include "exchange/bookmark_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace {

constexpr std::size_t kBlock = 64 * 1024;

// What a file that is not a regular one is, for the user.
std::string NotAFile(mode_t mode) {
  if (S_ISDIR(mode)) return "it is a folder, not a file";
  if (S_ISFIFO(mode)) return "it is a pipe, not a file";
  if (S_ISSOCK(mode)) return "it is a socket, not a file";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a file";
  return "it is not a regular file";
}

std::string Megabytes(uint64_t bytes) {
  return std::to_string(bytes >> 20) + " MiB";
}

}  // namespace

// Reads a file descriptor in blocks, up to kMaxBookmarkFileBytes; seeks to where the reader asks.
class BookmarkFile::Buffer : public std::streambuf {
 public:
  explicit Buffer(int fd) : fd_(fd), block_(kBlock) {}
  ~Buffer() override { ::close(fd_); }

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    ssize_t n;
    do n = ::read(fd_, block_.data(), block_.size());
    while (n < 0 && errno == EINTR);
    if (n < 0) throw std::runtime_error(std::strerror(errno));
    read_ += static_cast<uint64_t>(n);
    if (read_ > kMaxBookmarkFileBytes) throw std::runtime_error("the file grew past its bound");
    setg(block_.data(), block_.data(), block_.data() + n);
    return n == 0 ? traits_type::eof() : traits_type::to_int_type(*gptr());
  }

  pos_type seekoff(off_type offset, std::ios_base::seekdir dir, std::ios_base::openmode) override {
    if (dir == std::ios_base::cur) offset -= egptr() - gptr();
    const off_t at = ::lseek(fd_, offset,
                             dir == std::ios_base::beg   ? SEEK_SET
                             : dir == std::ios_base::cur ? SEEK_CUR
                                                         : SEEK_END);
    if (at < 0) return pos_type(off_type(-1));
    setg(block_.data(), block_.data(), block_.data());
    read_ = static_cast<uint64_t>(at);
    return pos_type(at);
  }

  pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
    return seekoff(off_type(pos), std::ios_base::beg, which);
  }

 private:
  int fd_;
  std::vector<char> block_;
  uint64_t read_ = 0;
};

BookmarkFile::BookmarkFile() : stream_(nullptr) {}

BookmarkFile::~BookmarkFile() = default;

bool BookmarkFile::Open(const std::string& path, std::string& why) {
  // O_NONBLOCK: opening a pipe with no writer would otherwise wait for one.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    why = std::strerror(errno);
    return false;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    why = S_ISREG(info.st_mode) || info.st_mode == 0 ? std::strerror(errno) : NotAFile(info.st_mode);
    ::close(fd);
    return false;
  }
  if (static_cast<uint64_t>(info.st_size) > kMaxBookmarkFileBytes) {
    why = "it is larger than " + Megabytes(kMaxBookmarkFileBytes) + ", far more than any bookmark file";
    ::close(fd);
    return false;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  size_ = static_cast<uint64_t>(info.st_size);
  buffer_ = std::make_unique<Buffer>(fd);
  stream_.rdbuf(buffer_.get());
  stream_.clear();
  return true;
}

void BookmarkFile::Rewind() {
  stream_.clear();
  stream_.seekg(0);
}
