#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/bookmark_entry.h"
#include "exchange/bookmark_sink.h"

// Turns the lines of a bookmark file into folders and links. A line is known by its first tag,
// after leading white space and without regard to case (a line holding several entry or list tags
// is read as one line from each of them to the next):
//   <DL ...>                 opens a list: the top-level list, or the list of the folder whose
//                            heading came before it (descriptions may stand in between)
//   </DL ...>                closes the innermost list, and its folder
//   <DT><A HREF=...>text</A> a link
//   <DT><H3 ...>text</H3>    a folder; without a list after it the folder is empty
// Other lines (descriptions, separators, paragraph marks, the header) are passed over. Entries
// outside every list (browsers write some after the top-level list has closed) are read as
// top-level entries, and a closing tag without a list open is passed over. An entry that goes on
// past its line takes the next lines, up to the next line that opens an entry or a list, and at
// most 64. Lists are counted, not recursed into, so nesting of any depth costs one bit per level.
class BookmarkParser {
 public:
  BookmarkParser(BookmarkSink& sink, std::size_t maxEntry);

  // One line, without its line end. False when an entry, with the lines it went on to, has grown
  // beyond maxEntry bytes: the caller stops there.
  bool Line(std::string_view line);
  // The input has ended: an unfinished entry is taken as it stands and every open folder is
  // closed. Returns whether any list was still open (the input was cut short).
  bool End();

  std::size_t Folders() const { return folders_; }
  std::size_t Links() const { return links_; }
  // Entries that are no bookmark: anchors without an HREF, and entries that are neither an anchor
  // nor a heading (a "<DT>" with nothing after it is not counted).
  std::size_t NoAddress() const { return noAddress_; }
  std::size_t Unknown() const { return unknown_; }

 private:
  bool Piece(std::string_view piece);
  void Take(BookmarkEntry entry);
  void TakePending();
  void StartEntry(std::string_view line);
  bool ContinueEntry(std::string_view line);
  bool AfterHeading(std::string_view line);
  void CloseList();

  BookmarkSink& sink_;
  std::size_t maxEntry_;
  std::vector<bool> lists_;    // the open lists, innermost last; true for a folder's list
  bool headingWaits_ = false;  // a folder was begun and its list has not come yet
  std::string pending_;        // an entry that goes on to the next line
  int pendingLines_ = 0;       // the lines it has taken
  std::size_t folders_ = 0;
  std::size_t links_ = 0;
  std::size_t noAddress_ = 0;
  std::size_t unknown_ = 0;
};
