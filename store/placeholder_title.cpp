#include "store/placeholder_title.h"

#include <string_view>
#include <vector>

#include "platform/utf8_text.h"

namespace {

// Browsers cut a long stand-in at 256 characters (Firefox) or more; a real title as long as that
// which the address begins with does not occur.
constexpr size_t kClippedFrom = 256;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The bytes of the run of %XX escapes that starts at text[at]; *end is where the run stops.
std::string EscapeRun(std::string_view text, size_t at, size_t* end) {
  std::string bytes;
  while (at + 2 < text.size() && text[at] == '%') {
    const int high = HexDigit(text[at + 1]);
    const int low = HexDigit(text[at + 2]);
    if (high < 0 || low < 0) break;
    bytes.push_back(static_cast<char>(high * 16 + low));
    at += 3;
  }
  *end = at;
  return bytes;
}

// Every run of escapes that spells UTF-8 decoded; other runs (Latin-1 bytes, a sequence cut short)
// stay as they are, as Chromium leaves them.
std::string Decoded(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    size_t end = i;
    const std::string bytes = text[i] == '%' ? EscapeRun(text, i, &end) : std::string();
    if (end > i && IsUtf8(bytes)) {
      out += bytes;
      i = end;
    } else {
      out += text[i++];
    }
  }
  return out;
}

std::string WithoutTrailingSlash(std::string text) {
  if (!text.empty() && text.back() == '/') text.pop_back();
  return text;
}

size_t Characters(std::string_view text) {
  size_t count = 0;
  for (const char c : text) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

// The part of a clipped title that still follows the address: up to its first ellipsis, without
// the dots of an ellipsis that the clipping cut short.
std::string_view ClippedHead(std::string_view title) {
  title = title.substr(0, std::min(title.find("..."), title.find("\xE2\x80\xA6")));
  while (!title.empty() && title.back() == '.') title.remove_suffix(1);
  return title;
}

// The address as the browsers may show it, raw.
std::vector<std::string> Forms(const std::string& url) {
  std::vector<std::string> forms{url};
  if (const size_t hash = url.find('#'); hash != std::string::npos) forms.push_back(url.substr(0, hash));
  for (size_t i = 0, n = forms.size(); i < n; ++i) {
    if (const size_t scheme = forms[i].find("://"); scheme != std::string::npos)
      forms.push_back(forms[i].substr(scheme + 3));
  }
  if (url.rfind("file:", 0) == 0) {
    const std::string path = url.substr(0, url.find_first_of("?#"));
    forms.push_back(path.substr(path.rfind('/') + 1));
  }
  return forms;
}

bool Matches(const std::string& form, const std::string& title, bool clipped) {
  if (WithoutTrailingSlash(form) == WithoutTrailingSlash(title)) return true;
  if (!clipped) return false;
  const std::string_view head = ClippedHead(title);
  return !head.empty() && std::string_view(form).substr(0, head.size()) == head;
}

}  // namespace

bool IsPlaceholderTitle(const std::string& url, const std::string& title) {
  if (title.empty()) return true;
  const bool clipped = Characters(title) >= kClippedFrom;
  const std::string decodedTitle = Decoded(title);
  for (const std::string& form : Forms(url)) {
    if (Matches(form, title, clipped) || Matches(Decoded(form), decodedTitle, clipped)) return true;
  }
  return false;
}
