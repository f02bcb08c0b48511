#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <string>

#include "exchange/bookmark_sink.h"

// The text a bookmark file carries on its first line.
inline constexpr char kBookmarkDoctype[] = "<!DOCTYPE NETSCAPE-Bookmark-file-1>";
// The question the Topics window asks about a file without it.
inline constexpr char kNotBookmarkFileQuestion[] =
    "Doh!  File does not appear to be a Netscape-style bookmark file.  Try to load anyway?";
// The longest line read (an entry that goes on over several lines counts as one): favicons travel
// inside the line of their link, so lines of many kilobytes are ordinary.
inline constexpr std::size_t kMaxBookmarkLine = std::size_t{16} << 20;

enum class ReadStatus {
  Ok,               // read to the end (see ReadResult::truncated)
  NotBookmarkFile,  // the first line lacks kBookmarkDoctype and loadAnyway was not given; nothing read
  LineTooLong,      // a line beyond kMaxBookmarkLine; reading stopped there
  ReadFailed,       // the stream failed; reading stopped there
  Cancelled,        // the progress callback asked to stop
};

struct ReadResult {
  ReadStatus status = ReadStatus::Ok;
  bool truncated = false;   // the input ended inside a list; the folders still open were closed
  std::size_t folders = 0;  // folders and links handed to the sink
  std::size_t links = 0;
  // Entries left out as no bookmarks: anchors without an HREF, and entries that are neither an
  // anchor nor a heading.
  std::size_t noAddress = 0;
  std::size_t unknown = 0;
  uint64_t line = 0;  // where reading stopped when it did not end normally
};

// Told the bytes read so far and the input's size (0 when unknown), once per block of input read
// and once at the end; returning false stops the read (ReadStatus::Cancelled).
using ReadProgress = std::function<bool(uint64_t bytesRead, uint64_t totalBytes)>;

struct ReadOptions {
  bool loadAnyway = false;  // read a file whose first line lacks kBookmarkDoctype
  ReadProgress progress;
  uint64_t totalBytes = 0;  // 0: the stream's size, when it can seek
};

// Reads a bookmark file in the Netscape format (see BookmarkParser for what is read) and hands
// its folders and links to sink in file order. Blocks only on reading in. When it stops early the
// sink has had part of the file: a caller that wants all or nothing keeps what it got aside until
// the status is Ok (BookmarkCollector does).
ReadResult ReadBookmarks(std::istream& in, BookmarkSink& sink, const ReadOptions& options = {});

// One line for the user about a read that did not end normally; empty for ReadStatus::Ok.
std::string DescribeReadProblem(const ReadResult& result);
