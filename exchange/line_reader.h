#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

// Reads a text stream line by line, each line whole however long it is, up to a bound. A line ends
// at a line feed, a carriage return, or the two together; the end is not part of the line.
class LineReader {
 public:
  enum class Result {
    Line,     // line holds the next line
    End,      // the stream has ended
    TooLong,  // the next line is longer than the bound; nothing more is read
    Failed,   // the stream failed while being read; nothing more is read
  };

  LineReader(std::istream& in, std::size_t maxLine);

  Result Next(std::string& line);
  // Bytes taken from the stream so far (ahead of the lines returned by at most one block).
  uint64_t BytesRead() const { return bytesRead_; }
  // The number of the line last returned (or refused), from 1.
  uint64_t LineNumber() const { return lineNumber_; }

 private:
  bool Fill();

  std::istream& in_;
  std::size_t maxLine_;
  std::vector<char> block_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool ended_ = false;
  bool failed_ = false;
  bool afterCarriageReturn_ = false;
  uint64_t bytesRead_ = 0;
  uint64_t lineNumber_ = 0;
};
