#include "exchange/line_reader.h"

#include <algorithm>

namespace {

constexpr std::size_t kBlock = 64 * 1024;

bool IsLineEnd(char c) {
  return c == '\n' || c == '\r';
}

}  // namespace

LineReader::LineReader(std::istream& in, std::size_t maxLine) : in_(in), maxLine_(maxLine), block_(kBlock) {}

// Takes the next block from the stream; false at its end or on a failure.
bool LineReader::Fill() {
  if (ended_ || failed_) return false;
  try {
    in_.read(block_.data(), static_cast<std::streamsize>(block_.size()));
  } catch (const std::exception&) {
    failed_ = true;
    return false;
  }
  pos_ = 0;
  end_ = static_cast<std::size_t>(std::max<std::streamsize>(in_.gcount(), 0));
  bytesRead_ += end_;
  if (in_.bad())
    failed_ = true;
  else if (!in_)
    ended_ = true;
  return end_ > 0;
}

LineReader::Result LineReader::Next(std::string& line) {
  line.clear();
  bool any = false;
  for (;;) {
    if (pos_ == end_ && !Fill()) {
      if (failed_) return Result::Failed;
      if (!any) return Result::End;
      ++lineNumber_;
      return Result::Line;
    }
    if (afterCarriageReturn_) {
      afterCarriageReturn_ = false;
      if (block_[pos_] == '\n') {
        ++pos_;
        continue;
      }
    }
    const char* begin = block_.data() + pos_;
    const char* stop = std::find_if(begin, static_cast<const char*>(block_.data() + end_), IsLineEnd);
    const std::size_t length = static_cast<std::size_t>(stop - begin);
    if (line.size() + length > maxLine_) {
      ++lineNumber_;
      failed_ = true;
      return Result::TooLong;
    }
    line.append(begin, length);
    any = true;
    pos_ += length;
    if (pos_ < end_) {
      afterCarriageReturn_ = block_[pos_] == '\r';
      ++pos_;
      ++lineNumber_;
      return Result::Line;
    }
  }
}
