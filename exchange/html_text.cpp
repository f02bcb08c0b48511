#include "exchange/html_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <utility>

#include "exchange/utf8_repair.h"

namespace {

constexpr std::array<std::pair<std::string_view, std::string_view>, 6> kNamed = {{
    {"amp", "&"},
    {"lt", "<"},
    {"gt", ">"},
    {"quot", "\""},
    {"apos", "'"},
    {"nbsp", "\xC2\xA0"},
}};

// What the export writes for the characters that would end a value or a name, or a line.
constexpr std::array<std::pair<char, std::string_view>, 6> kEscaped = {{
    {'&', "&amp;"},
    {'<', "&lt;"},
    {'>', "&gt;"},
    {'"', "&quot;"},
    {'\r', "&#13;"},
    {'\n', "&#10;"},
}};

// The character of a numeric reference's digits ("39", "x27"), if it names one.
std::optional<char32_t> NumericCharacter(std::string_view digits) {
  const bool hex = !digits.empty() && (digits[0] == 'x' || digits[0] == 'X');
  if (hex) digits.remove_prefix(1);
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  uint32_t value = 0;
  const auto [end, error] =
      std::from_chars(digits.data(), digits.data() + digits.size(), value, hex ? 16 : 10);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return std::nullopt;
  return static_cast<char32_t>(value);
}

// Appends the character of the reference whose body (between '&' and ';') is given; false when
// the body names none.
bool AppendReference(std::string& out, std::string_view body) {
  if (!body.empty() && body[0] == '#') {
    const std::optional<char32_t> c = NumericCharacter(body.substr(1));
    if (c) AppendUtf8(out, *c);
    return c.has_value();
  }
  for (const auto& [name, text] : kNamed) {
    if (body == name) {
      out += text;
      return true;
    }
  }
  return false;
}

}  // namespace

std::string DecodeHtmlText(std::string_view text) {
  constexpr std::size_t kLongestBody = 9;  // "#x10FFFF" and a little room
  if (text.find('&') == std::string_view::npos) return std::string(text);
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      const std::size_t semicolon = text.substr(i + 1, kLongestBody + 1).find(';');
      if (semicolon != std::string_view::npos && AppendReference(out, text.substr(i + 1, semicolon))) {
        i += semicolon + 1;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::string EscapeHtmlText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const auto escaped =
        std::find_if(kEscaped.begin(), kEscaped.end(), [c](const auto& e) { return e.first == c; });
    if (escaped == kEscaped.end())
      out += c;
    else
      out += escaped->second;
  }
  return out;
}
