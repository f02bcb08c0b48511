#pragma once

#include <string>
#include <string_view>

#include "exchange/bookmark_dates.h"

// One entry of a bookmark list: the text of a "<DT>" line, from the "<DT>" on, such as
// <DT><A HREF="http://example.com/" ADD_DATE="1">Example</A> or <DT><H3 FOLDED>News</H3>.
struct BookmarkEntry {
  enum class Kind {
    Link,     // an anchor with an HREF
    Folder,   // a heading: a folder, whose list may follow
    NoHref,   // an anchor without an HREF: no bookmark
    Empty,    // nothing after "<DT>"
    Unknown,  // anything else after "<DT>"
  };
  Kind kind = Kind::Unknown;
  bool complete = false;  // the tag is closed and its text ended: nothing is missing
  std::string name;       // the text after the tag up to the next '<', UTF-8, references decoded
  std::string url;        // a link's HREF, UTF-8, references decoded
  BookmarkDates dates;    // of a link or a folder
};

// Reads the entry of text. When the entry goes on past the end of text (an open quote, a tag
// without its '>', text without the tag that ends it), complete is false and the rest is taken
// as it stands; a caller may join the next line and read again. Lines joined with '\n' in between
// give a URL without the line breaks and the white space that follows each, and a name in which
// each break, with the white space around it, is one blank (none at the name's ends).
BookmarkEntry ReadBookmarkEntry(std::string_view text);

// Whether a line (without its leading white space) starts an entry, and the kinds of list line.
bool IsEntryLine(std::string_view line);
bool IsListStart(std::string_view line);
bool IsListEnd(std::string_view line);

// Where the next "<DT>", "<DL" or "</DL" tag after position from begins in line, or npos. Tags are
// looked for between tags only, not inside another tag's quoted values, so that lines that hold
// several entries or lists (a list opened and closed on one line, a file written as one line) are
// read as one line each.
std::size_t NextEntryOrList(std::string_view line, std::size_t from);
