#include "browser/address_guard.h"

#include <array>
#include <cctype>

namespace {

// Blanks that the browsers (or a program before them) may strip from the front of an argument:
// ASCII controls and spaces, and the Unicode spaces in UTF-8.
constexpr std::array<std::string_view, 22> kUnicodeBlanks = {
    "\u0085", "\u00A0", "\u1680", "\u180E", "\u2000", "\u2001", "\u2002", "\u2003",
    "\u2004", "\u2005", "\u2006", "\u2007", "\u2008", "\u2009", "\u200A", "\u200B",
    "\u2028", "\u2029", "\u202F", "\u205F", "\u3000", "\uFEFF"};

// The length of the blank at the front of text, 0 when it starts with something else.
size_t BlankAt(std::string_view text) {
  const auto byte = static_cast<unsigned char>(text.front());
  if (byte <= 0x20 || byte == 0x7F) return 1;
  for (std::string_view blank : kUnicodeBlanks)
    if (text.starts_with(blank)) return blank.size();
  return 0;
}

std::string_view WithoutLeadingBlanks(std::string_view text) {
  while (!text.empty()) {
    const size_t blank = BlankAt(text);
    if (blank == 0) break;
    text.remove_prefix(blank);
  }
  return text;
}

// The scheme in lower case as a browser reads it (tabs and line breaks anywhere are dropped), empty
// when the text has none.
std::string SchemeOf(std::string_view text) {
  std::string scheme;
  for (char c : text) {
    if (c == '\t' || c == '\n' || c == '\r') continue;
    if (c == ':') return scheme;
    const auto byte = static_cast<unsigned char>(c);
    const bool letter = std::isalpha(byte) != 0;
    if (!letter && (scheme.empty() || (!std::isdigit(byte) && c != '+' && c != '-' && c != '.'))) return {};
    scheme += static_cast<char>(std::tolower(byte));
  }
  return {};
}

// The text as the message shows it: at most 80 bytes, cut between characters, control characters
// shown as spaces.
std::string Quoted(std::string_view text) {
  constexpr size_t kShown = 80;
  size_t cut = text.size();
  if (cut > kShown) {
    cut = kShown;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  }
  std::string shown(text.substr(0, cut));
  for (char& c : shown)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  return "\"" + shown + (cut < text.size() ? "...\"" : "\"");
}

}  // namespace

std::optional<std::string> BrowserRefusal(std::string_view text) {
  const std::string_view start = WithoutLeadingBlanks(text);
  const std::string opening = "Hopwise did not open " + Quoted(text) + ": ";
  if (start.starts_with('-'))
    return opening + "it begins with \"-\", so the browser program would take it as one of its options. " +
           "No web address begins with \"-\".";
  const std::string scheme = SchemeOf(start);
  if (scheme == "javascript" || scheme == "vbscript")
    return opening + "a " + scheme + ": address runs a script instead of showing a page.";
  if (scheme == "data")
    return opening + "a data: address carries a page of its own instead of the address of one, " +
           "and such a page can pass itself off as any site.";
  return std::nullopt;
}
