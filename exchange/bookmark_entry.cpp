#include "exchange/bookmark_entry.h"

#include "exchange/html_text.h"
#include "exchange/start_tag.h"
#include "exchange/utf8_repair.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\f' || c == '\v';
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Whether text starts with the tag name, followed by white space, '>' or its end.
bool StartsWithTag(std::string_view text, std::string_view tag) {
  if (!StartsWithNoCase(text, tag)) return false;
  return text.size() == tag.size() || IsBlank(text[tag.size()]) || text[tag.size()] == '>';
}

bool IsHeadingTag(std::string_view text) {
  return StartsWithNoCase(text, "<H") && text.size() > 2 && text[2] >= '1' && text[2] <= '6';
}

std::string NameText(std::string_view raw) {
  if (raw.find('\n') == std::string_view::npos) return DecodeHtmlText(ValidUtf8(raw));
  std::string joined;
  std::size_t start = 0;
  for (bool last = false; !last;) {
    std::size_t stop = raw.find('\n', start);
    last = stop == std::string_view::npos;
    std::string_view part = TrimLeft(TrimRight(raw.substr(start, last ? raw.npos : stop - start)));
    if (!part.empty()) joined.append(joined.empty() ? "" : " ").append(part);
    start = stop + 1;
  }
  return DecodeHtmlText(ValidUtf8(joined));
}

std::string UrlText(std::string_view raw) {
  std::string joined;
  for (std::size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '\n') {
      joined += raw[i];
      continue;
    }
    while (i + 1 < raw.size() && IsBlank(raw[i + 1])) ++i;
  }
  return DecodeHtmlText(ValidUtf8(joined));
}

BookmarkDates DatesOf(const StartTag& tag) {
  std::optional<std::string_view> visited = tag.Attribute("LAST_VISIT");
  if (!visited) visited = tag.Attribute("LAST_VISITED");
  return {ReadBookmarkDate(tag.Attribute("ADD_DATE")), ReadBookmarkDate(visited),
          ReadBookmarkDate(tag.Attribute("LAST_MODIFIED"))};
}

}  // namespace

bool IsEntryLine(std::string_view line) {
  return StartsWithNoCase(line, "<DT>");
}
bool IsListStart(std::string_view line) {
  return StartsWithTag(line, "<DL");
}
bool IsListEnd(std::string_view line) {
  return StartsWithTag(line, "</DL");
}

std::size_t NextEntryOrList(std::string_view line, std::size_t from) {
  for (std::size_t i = line.find('<', from + 1); i != std::string_view::npos; i = line.find('<', i + 1)) {
    const std::string_view rest = line.substr(i);
    if (IsEntryLine(rest) || IsListStart(rest) || IsListEnd(rest)) return i;
    // Step over this tag, quoted values and all.
    for (++i; i < line.size() && line[i] != '>'; ++i) {
      if (line[i] != '"' && line[i] != '\'') continue;
      i = line.find(line[i], i + 1);
      if (i == std::string_view::npos) return i;
    }
    if (i >= line.size()) return std::string_view::npos;
  }
  return std::string_view::npos;
}

BookmarkEntry ReadBookmarkEntry(std::string_view text) {
  BookmarkEntry entry;
  if (IsEntryLine(text)) text.remove_prefix(4);
  while (!text.empty() && (IsBlank(text.front()) || text.front() == '\n')) text.remove_prefix(1);
  const bool anchor = StartsWithTag(text, "<A");
  if (!anchor && !IsHeadingTag(text)) {
    entry.complete = !text.empty();  // a bare "<DT>" may have its tag on the next line
    if (text.empty()) entry.kind = BookmarkEntry::Kind::Empty;
    return entry;
  }
  const StartTag tag = ReadStartTag(text);
  entry.dates = DatesOf(tag);
  std::string_view rest = text.substr(tag.end);
  const std::size_t textEnd = rest.find('<');
  entry.complete = tag.complete && textEnd != std::string_view::npos;
  entry.name = NameText(rest.substr(0, textEnd));
  if (!anchor) {
    entry.kind = BookmarkEntry::Kind::Folder;
    return entry;
  }
  const std::optional<std::string_view> href = tag.Attribute("HREF");
  entry.kind = href ? BookmarkEntry::Kind::Link : BookmarkEntry::Kind::NoHref;
  if (href) entry.url = UrlText(*href);
  return entry;
}
