#include "exchange/bookmark_reader.h"

#include "exchange/bookmark_parser.h"
#include "exchange/line_reader.h"
#include "exchange/start_tag.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool ContainsNoCase(std::string_view text, std::string_view wanted) {
  for (std::size_t i = 0; i + wanted.size() <= text.size(); ++i)
    if (StartsWithNoCase(text.substr(i), wanted)) return true;
  return false;
}

// The bytes from the stream's position to its end, or 0 when it cannot seek.
uint64_t RemainingBytes(std::istream& in) {
  const std::istream::pos_type here = in.tellg();
  if (here == std::istream::pos_type(-1)) return 0;
  in.seekg(0, std::ios::end);
  const std::istream::pos_type end = in.tellg();
  in.clear();
  in.seekg(here);
  return end == std::istream::pos_type(-1) || end < here ? 0 : static_cast<uint64_t>(end - here);
}

class FileReading {
 public:
  FileReading(std::istream& in, BookmarkSink& sink, const ReadOptions& options)
      : lines_(in, kMaxBookmarkLine),
        parser_(sink, kMaxBookmarkLine),
        options_(options),
        total_(options.totalBytes ? options.totalBytes : RemainingBytes(in)) {}

  ReadResult Run() {
    if (!ReadFirstLine()) return result_;
    std::string line;
    for (;;) {
      const LineReader::Result got = lines_.Next(line);
      if (got == LineReader::Result::End) break;
      if (got != LineReader::Result::Line) return Stop(got);
      if (!parser_.Line(line)) return Stop(LineReader::Result::TooLong);
      if (!Report()) return Stop(ReadStatus::Cancelled);
    }
    result_.truncated = parser_.End();
    Count();
    if (!Report(true)) result_.status = ReadStatus::Cancelled;
    return result_;
  }

 private:
  // The first line names the format; when it does not, the file is read only on request, and then
  // from its first line on. False when reading is over.
  bool ReadFirstLine() {
    std::string line;
    const LineReader::Result got = lines_.Next(line);
    if (got == LineReader::Result::TooLong || got == LineReader::Result::Failed) {
      Stop(got);
      return false;
    }
    const std::string_view first = std::string_view(line).substr(line.starts_with(kByteOrderMark) ? 3 : 0);
    if (got == LineReader::Result::Line && ContainsNoCase(first, kBookmarkDoctype)) return true;
    if (!options_.loadAnyway) {
      result_.status = ReadStatus::NotBookmarkFile;
      return false;
    }
    if (got == LineReader::Result::Line) parser_.Line(first);
    return true;
  }

  bool Report(bool last = false) {
    if (!options_.progress || (!last && lines_.BytesRead() == reported_)) return true;
    reported_ = lines_.BytesRead();
    return options_.progress(reported_, total_);
  }

  ReadResult Stop(LineReader::Result why) {
    return Stop(why == LineReader::Result::TooLong ? ReadStatus::LineTooLong : ReadStatus::ReadFailed);
  }

  ReadResult Stop(ReadStatus status) {
    Count();
    result_.status = status;
    result_.line = lines_.LineNumber();
    return result_;
  }

  void Count() {
    result_.folders = parser_.Folders();
    result_.links = parser_.Links();
    result_.noAddress = parser_.NoAddress();
    result_.unknown = parser_.Unknown();
  }

  LineReader lines_;
  BookmarkParser parser_;
  const ReadOptions& options_;
  uint64_t total_;
  uint64_t reported_ = 0;
  ReadResult result_;
};

}  // namespace

ReadResult ReadBookmarks(std::istream& in, BookmarkSink& sink, const ReadOptions& options) {
  return FileReading(in, sink, options).Run();
}

std::string DescribeReadProblem(const ReadResult& result) {
  const std::string where = "line " + std::to_string(result.line);
  switch (result.status) {
    case ReadStatus::Ok:
      return "";
    case ReadStatus::NotBookmarkFile:
      return "The file does not appear to be a Netscape-style bookmark file.";
    case ReadStatus::LineTooLong:
      return "The bookmark file has an entry longer than 16 MiB at " + where + "; reading stopped there.";
    case ReadStatus::ReadFailed:
      return "The bookmark file could not be read after " + where + ".";
    case ReadStatus::Cancelled:
      return "The import was cancelled.";
  }
  return "";
}
