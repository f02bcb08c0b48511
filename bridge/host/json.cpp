#include "bridge/host/json.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace bridge::json {
namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : s(text) {}

  std::optional<Value> Document() {
    auto value = ParseValue(0);
    SkipSpace();
    if (!value || pos != s.size()) return std::nullopt;
    return value;
  }

 private:
  std::string_view s;
  size_t pos = 0;

  void SkipSpace() {
    while (pos < s.size() && (s[pos] == ' ' || s[pos] == '\t' || s[pos] == '\n' || s[pos] == '\r')) ++pos;
  }

  bool Literal(std::string_view word) {
    if (s.substr(pos, word.size()) != word) return false;
    pos += word.size();
    return true;
  }

  std::optional<Value> ParseValue(int depth) {
    if (depth > kMaxDepth) return std::nullopt;
    SkipSpace();
    if (pos >= s.size()) return std::nullopt;
    switch (s[pos]) {
      case '{':
        return ParseObject(depth);
      case '[':
        return ParseArray(depth);
      case '"': {
        auto str = ParseString();
        if (!str) return std::nullopt;
        return Value(std::move(*str));
      }
      case 't':
        if (Literal("true")) return Value(true);
        return std::nullopt;
      case 'f':
        if (Literal("false")) return Value(false);
        return std::nullopt;
      case 'n':
        if (Literal("null")) return Value(nullptr);
        return std::nullopt;
      default:
        return ParseNumber();
    }
  }

  std::optional<Value> ParseObject(int depth) {
    ++pos;  // {
    Object object;
    SkipSpace();
    if (pos < s.size() && s[pos] == '}') {
      ++pos;
      return Value(std::move(object));
    }
    while (true) {
      SkipSpace();
      if (pos >= s.size() || s[pos] != '"') return std::nullopt;
      auto key = ParseString();
      if (!key) return std::nullopt;
      SkipSpace();
      if (pos >= s.size() || s[pos] != ':') return std::nullopt;
      ++pos;
      auto value = ParseValue(depth + 1);
      if (!value) return std::nullopt;
      object.insert_or_assign(std::move(*key), std::move(*value));
      SkipSpace();
      if (pos >= s.size()) return std::nullopt;
      if (s[pos] == '}') {
        ++pos;
        return Value(std::move(object));
      }
      if (s[pos] != ',') return std::nullopt;
      ++pos;
    }
  }

  std::optional<Value> ParseArray(int depth) {
    ++pos;  // [
    Array array;
    SkipSpace();
    if (pos < s.size() && s[pos] == ']') {
      ++pos;
      return Value(std::move(array));
    }
    while (true) {
      auto value = ParseValue(depth + 1);
      if (!value) return std::nullopt;
      array.push_back(std::move(*value));
      SkipSpace();
      if (pos >= s.size()) return std::nullopt;
      if (s[pos] == ']') {
        ++pos;
        return Value(std::move(array));
      }
      if (s[pos] != ',') return std::nullopt;
      ++pos;
    }
  }

  std::optional<Value> ParseNumber() {
    const size_t start = pos;
    if (pos < s.size() && s[pos] == '-') ++pos;
    if (pos >= s.size() || !std::isdigit(static_cast<unsigned char>(s[pos]))) return std::nullopt;
    if (s[pos] == '0') {
      ++pos;
    } else {
      while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) ++pos;
    }
    if (pos < s.size() && s[pos] == '.') {
      ++pos;
      if (pos >= s.size() || !std::isdigit(static_cast<unsigned char>(s[pos]))) return std::nullopt;
      while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) ++pos;
    }
    if (pos < s.size() && (s[pos] == 'e' || s[pos] == 'E')) {
      ++pos;
      if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) ++pos;
      if (pos >= s.size() || !std::isdigit(static_cast<unsigned char>(s[pos]))) return std::nullopt;
      while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) ++pos;
    }
    const std::string digits(s.substr(start, pos - start));
    return Value(std::strtod(digits.c_str(), nullptr));
  }

  static void AppendUtf8(std::string& out, uint32_t cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  std::optional<uint32_t> Hex4() {
    if (s.size() - pos < 4) return std::nullopt;
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = s[pos++];
      value <<= 4;
      if (c >= '0' && c <= '9')
        value |= static_cast<uint32_t>(c - '0');
      else if (c >= 'a' && c <= 'f')
        value |= static_cast<uint32_t>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F')
        value |= static_cast<uint32_t>(c - 'A' + 10);
      else
        return std::nullopt;
    }
    return value;
  }

  std::optional<uint32_t> Escape() {
    auto unit = Hex4();
    if (!unit) return std::nullopt;
    if (*unit >= 0xD800 && *unit < 0xDC00) {
      // A high surrogate: only a following \uDC00-\uDFFF completes it.
      if (s.substr(pos, 2) == "\\u") {
        const size_t save = pos;
        pos += 2;
        auto low = Hex4();
        if (!low) return std::nullopt;
        if (*low >= 0xDC00 && *low < 0xE000) return 0x10000 + ((*unit - 0xD800) << 10) + (*low - 0xDC00);
        pos = save;
      }
      return 0xFFFD;
    }
    if (*unit >= 0xDC00 && *unit < 0xE000) return 0xFFFD;
    return unit;
  }

  std::optional<std::string> ParseString() {
    ++pos;  // opening quote
    std::string out;
    while (pos < s.size()) {
      const char c = s[pos++];
      if (c == '"') return out;
      if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos >= s.size()) return std::nullopt;
      switch (s[pos++]) {
        case '"':
          out += '"';
          break;
        case '\\':
          out += '\\';
          break;
        case '/':
          out += '/';
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          auto cp = Escape();
          if (!cp) return std::nullopt;
          AppendUtf8(out, *cp);
          break;
        }
        default:
          return std::nullopt;
      }
    }
    return std::nullopt;
  }
};

// Length of the valid UTF-8 sequence at text[i], or 0 when the byte there starts none.
size_t Utf8SequenceLength(std::string_view text, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char c = byte(i);
  size_t n;
  uint32_t cp;
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (text.size() - i < n) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates and code points above U+10FFFF are not valid UTF-8.
  if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF || (cp >= 0xD800 && cp < 0xE000))
    return 0;
  return n;
}

void WriteString(std::string& out, std::string_view text) {
  out += '"';
  for (size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
      ++i;
    } else if (c == '\n' || c == '\t' || c == '\r') {
      out += '\\';
      out += c == '\n' ? 'n' : c == '\t' ? 't' : 'r';
      ++i;
    } else if (c < 0x20 || c == 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
      ++i;
    } else if (const size_t n = Utf8SequenceLength(text, i); n > 0) {
      out.append(text.substr(i, n));
      i += n;
    } else {
      // Not UTF-8: the byte as a Latin-1 character.
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
      ++i;
    }
  }
  out += '"';
}

void WriteNumber(std::string& out, double d) {
  if (!std::isfinite(d)) {
    out += "null";
    return;
  }
  char text[32];
  if (d == std::trunc(d) && std::fabs(d) < 9007199254740992.0) {
    std::snprintf(text, sizeof text, "%.0f", d);
  } else {
    std::snprintf(text, sizeof text, "%.17g", d);
  }
  out += text;
}

void WriteValue(std::string& out, const Value& value) {
  if (std::holds_alternative<std::nullptr_t>(value.v)) {
    out += "null";
  } else if (auto b = value.AsBool()) {
    out += *b ? "true" : "false";
  } else if (auto d = value.AsNumber()) {
    WriteNumber(out, *d);
  } else if (auto s = value.AsString()) {
    WriteString(out, *s);
  } else if (auto a = value.AsArray()) {
    out += '[';
    for (size_t i = 0; i < a->size(); ++i) {
      if (i > 0) out += ',';
      WriteValue(out, (*a)[i]);
    }
    out += ']';
  } else if (auto o = value.AsObject()) {
    out += '{';
    bool first = true;
    for (const auto& [key, member] : *o) {
      if (!first) out += ',';
      first = false;
      WriteString(out, key);
      out += ':';
      WriteValue(out, member);
    }
    out += '}';
  }
}

}  // namespace

std::optional<Value> Parse(std::string_view text) {
  return Parser(text).Document();
}

std::string Write(const Value& value) {
  std::string out;
  WriteValue(out, value);
  return out;
}

const Value* Find(const Object& object, std::string_view key) {
  auto it = object.find(key);
  return it == object.end() ? nullptr : &it->second;
}

std::optional<std::string> GetString(const Object& object, std::string_view key) {
  const Value* value = Find(object, key);
  if (!value || !value->AsString()) return std::nullopt;
  return *value->AsString();
}

std::optional<bool> GetBool(const Object& object, std::string_view key) {
  const Value* value = Find(object, key);
  if (!value || !value->AsBool()) return std::nullopt;
  return *value->AsBool();
}

std::optional<uint32_t> GetUint32(const Object& object, std::string_view key) {
  const Value* value = Find(object, key);
  if (!value || !value->AsNumber()) return std::nullopt;
  const double d = *value->AsNumber();
  if (!(d >= 0 && d <= 4294967295.0) || d != std::trunc(d)) return std::nullopt;
  return static_cast<uint32_t>(d);
}

}  // namespace bridge::json
