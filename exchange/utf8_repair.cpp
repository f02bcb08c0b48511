#include "exchange/utf8_repair.h"

#include <array>

namespace {

// Code page 1252 at 0x80..0x9F; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool InRange(std::string_view s, std::size_t i, unsigned char low, unsigned char high) {
  if (i >= s.size()) return false;
  const auto c = static_cast<unsigned char>(s[i]);
  return c >= low && c <= high;
}

// Length of the well-formed UTF-8 sequence at i, or 0 when the byte there starts none.
std::size_t SequenceLength(std::string_view s, std::size_t i) {
  const auto c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return InRange(s, i + 1, 0x80, 0xBF) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    const unsigned char low = c == 0xE0 ? 0xA0 : 0x80;
    const unsigned char high = c == 0xED ? 0x9F : 0xBF;  // no surrogates
    return InRange(s, i + 1, low, high) && InRange(s, i + 2, 0x80, 0xBF) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    const unsigned char low = c == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = c == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    return InRange(s, i + 1, low, high) && InRange(s, i + 2, 0x80, 0xBF) && InRange(s, i + 3, 0x80, 0xBF) ? 4
                                                                                                          : 0;
  }
  return 0;
}

}  // namespace

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string ValidUtf8(std::string_view text) {
  std::size_t valid = 0;
  while (valid < text.size() && static_cast<unsigned char>(text[valid]) < 0x80) ++valid;
  if (valid == text.size()) return std::string(text);
  std::string out(text.substr(0, valid));
  out.reserve(text.size() + 16);
  for (std::size_t i = valid; i < text.size();) {
    const std::size_t length = SequenceLength(text, i);
    if (length > 0) {
      out.append(text.substr(i, length));
      i += length;
      continue;
    }
    const auto c = static_cast<unsigned char>(text[i++]);
    AppendUtf8(out, c < 0xA0 ? kCp1252High[c - 0x80] : c);
  }
  return out;
}
