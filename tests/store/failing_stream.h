#pragma once

#include <cerrno>
#include <fstream>
#include <ostream>
#include <streambuf>
#include <string>

// A stream buffer that takes `limit` bytes and then refuses every further byte with ENOSPC, the
// way a full disk does. Bytes taken are passed on to `next` when one is given.
class FailingBuf : public std::streambuf {
 public:
  explicit FailingBuf(size_t limit, std::streambuf* next = nullptr) : limit_(limit), next_(next) {}
  size_t Written() const { return written_; }

 protected:
  int_type overflow(int_type ch) override {
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    char c = traits_type::to_char_type(ch);
    return xsputn(&c, 1) == 1 ? ch : traits_type::eof();
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    std::streamsize room = static_cast<std::streamsize>(limit_ - written_);
    std::streamsize take = n < room ? n : room;
    if (next_ && take > 0) take = next_->sputn(s, take);
    written_ += static_cast<size_t>(take);
    if (take < n) errno = ENOSPC;
    return take;
  }
  int sync() override { return next_ ? next_->pubsync() : 0; }

 private:
  size_t limit_;
  size_t written_ = 0;
  std::streambuf* next_;
};

// A file output stream that fails after `limit` bytes: what a data file's writer meets on a full disk.
class FailingFileStream : public std::ostream {
 public:
  FailingFileStream(const std::string& path, size_t limit) : std::ostream(nullptr), buf_(limit, &file_) {
    file_.open(path, std::ios::out | std::ios::binary | std::ios::trunc);
    rdbuf(&buf_);
  }

 private:
  std::filebuf file_;
  FailingBuf buf_;
};
