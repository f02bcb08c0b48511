#include "platform/utf8_text.h"

namespace {

bool ContinuationAt(std::string_view s, size_t i, unsigned char low = 0x80, unsigned char high = 0xBF) {
  if (i >= s.size()) return false;
  const auto c = static_cast<unsigned char>(s[i]);
  return c >= low && c <= high;
}

// Length of the well-formed UTF-8 sequence that starts at bytes[i], or 0 when none starts there
// (a stray continuation byte, a truncated or overlong sequence, a surrogate, above U+10FFFF).
size_t Utf8SequenceLength(std::string_view bytes, size_t i) {
  const auto c = static_cast<unsigned char>(bytes[i]);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return ContinuationAt(bytes, i + 1) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    const unsigned char low = c == 0xE0 ? 0xA0 : 0x80;   // no overlong forms
    const unsigned char high = c == 0xED ? 0x9F : 0xBF;  // no surrogates
    return ContinuationAt(bytes, i + 1, low, high) && ContinuationAt(bytes, i + 2) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    const unsigned char low = c == 0xF0 ? 0x90 : 0x80;   // no overlong forms
    const unsigned char high = c == 0xF4 ? 0x8F : 0xBF;  // nothing above U+10FFFF
    const bool whole = ContinuationAt(bytes, i + 1, low, high) && ContinuationAt(bytes, i + 2) &&
                       ContinuationAt(bytes, i + 3);
    return whole ? 4 : 0;
  }
  return 0;
}

}  // namespace

bool IsUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const size_t n = Utf8SequenceLength(bytes, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string Utf8OrLatin1(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    if (const size_t n = Utf8SequenceLength(bytes, i); n > 0) {
      out.append(bytes.substr(i, n));
      i += n;
      continue;
    }
    const auto c = static_cast<unsigned char>(bytes[i++]);
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}
