#include "exchange/bookmark_parser.h"

#include <utility>

namespace {

// A link split by hand takes a few lines; past this many, an entry is taken as it stands, so that
// an entry that never ends (an open quote) is not read again and again over thousands of lines.
constexpr int kMaxEntryLines = 64;

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\f' || s.front() == '\v'))
    s.remove_prefix(1);
  return s;
}

bool IsStructural(std::string_view line) {
  return IsEntryLine(line) || IsListStart(line) || IsListEnd(line);
}

}  // namespace

BookmarkParser::BookmarkParser(BookmarkSink& sink, std::size_t maxEntry) : sink_(sink), maxEntry_(maxEntry) {}

bool BookmarkParser::Line(std::string_view raw) {
  for (std::size_t start = 0;;) {
    const std::size_t next = NextEntryOrList(raw, start);
    if (!Piece(raw.substr(start, next == std::string_view::npos ? next : next - start))) return false;
    if (next == std::string_view::npos) return true;
    start = next;
  }
}

// One entry or list tag, with what follows it up to the next.
bool BookmarkParser::Piece(std::string_view raw) {
  const std::string_view line = TrimLeft(raw);
  if (!pending_.empty()) {
    if (!IsStructural(line) && pendingLines_ < kMaxEntryLines) return ContinueEntry(raw);
    TakePending();
  }
  if (headingWaits_ && !AfterHeading(line)) return true;
  if (IsListStart(line)) {
    lists_.push_back(false);
  } else if (IsListEnd(line)) {
    CloseList();
  } else if (IsEntryLine(line)) {
    StartEntry(line);
  }
  return true;
}

bool BookmarkParser::End() {
  if (!pending_.empty()) TakePending();
  if (headingWaits_) {
    headingWaits_ = false;
    sink_.EndFolder();
  }
  const bool open = !lists_.empty();
  while (!lists_.empty()) CloseList();
  return open;
}

// A line after a folder heading: its list opens the folder; another entry or the end of the
// enclosing list leaves the folder empty. Returns whether the line is still to be read as usual.
bool BookmarkParser::AfterHeading(std::string_view line) {
  if (IsListStart(line)) {
    headingWaits_ = false;
    lists_.push_back(true);
    return false;
  }
  if (!IsStructural(line)) return false;
  headingWaits_ = false;
  sink_.EndFolder();
  return true;
}

void BookmarkParser::StartEntry(std::string_view line) {
  BookmarkEntry entry = ReadBookmarkEntry(line);
  if (entry.complete) {
    Take(std::move(entry));
    return;
  }
  pending_.assign(line);
  pendingLines_ = 1;
}

bool BookmarkParser::ContinueEntry(std::string_view line) {
  if (pending_.size() + 1 + line.size() > maxEntry_) return false;
  pending_ += '\n';
  pending_ += line;
  ++pendingLines_;
  BookmarkEntry entry = ReadBookmarkEntry(pending_);
  if (entry.complete) {
    pending_.clear();
    Take(std::move(entry));
  }
  return true;
}

void BookmarkParser::TakePending() {
  BookmarkEntry entry = ReadBookmarkEntry(pending_);
  pending_.clear();
  Take(std::move(entry));
}

void BookmarkParser::Take(BookmarkEntry entry) {
  switch (entry.kind) {
    case BookmarkEntry::Kind::Link:
      ++links_;
      sink_.AddLink(std::move(entry.name), std::move(entry.url), entry.dates);
      break;
    case BookmarkEntry::Kind::Folder:
      ++folders_;
      headingWaits_ = true;
      sink_.BeginFolder(std::move(entry.name), entry.dates);
      break;
    case BookmarkEntry::Kind::NoHref:
      ++noAddress_;
      break;
    case BookmarkEntry::Kind::Unknown:
      ++unknown_;
      break;
    case BookmarkEntry::Kind::Empty:
      break;
  }
}

void BookmarkParser::CloseList() {
  if (lists_.empty()) return;
  const bool folder = lists_.back();
  lists_.pop_back();
  if (folder) sink_.EndFolder();
}
