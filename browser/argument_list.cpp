#include "browser/argument_list.h"

namespace {

constexpr uint32_t kMaxUnsigned = 4294967295u;

// Past the closing quote of a quoted element that opens at pos; the end when it never closes.
// A backslash directly before a double quote escapes it: the pair is stepped over.
size_t PastClosingQuote(std::string_view list, size_t pos) {
  size_t i = pos + 1;
  while (i < list.size()) {
    if (list[i] == '\\' && i + 1 < list.size() && list[i + 1] == '"') {
      i += 2;
    } else if (list[i] == '"') {
      return i + 1;
    } else {
      ++i;
    }
  }
  return list.size();
}

// The end of the element that starts at pos: the next comma after it (or after its closing quote).
size_t ElementEnd(std::string_view list, size_t pos) {
  size_t i = (pos < list.size() && list[pos] == '"') ? PastClosingQuote(list, pos) : pos;
  size_t comma = list.find(',', i);
  return comma == std::string_view::npos ? list.size() : comma;
}

std::string Quoted(const std::string& text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

std::string Unescaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '"') continue;
    out += text[i];
  }
  return out;
}

// The written form of one element; empty for an absent value or a value of the wrong kind.
std::string WriteElement(FormatToken token, const ArgValue& value) {
  const uint32_t* number = value.Number();
  const std::string* text = value.Text();
  switch (token) {
    case FormatToken::QCS:
      return text ? Quoted(*text) : std::string{};
    case FormatToken::CS:
      return text ? *text : std::string{};
    case FormatToken::DW:
      return number ? std::to_string(*number) : std::string{};
    case FormatToken::BL:
      return number ? (*number != 0 ? "TRUE" : "FALSE") : std::string{};
    case FormatToken::Unknown:
      break;
  }
  return {};
}

std::string WriteList(std::string_view format, std::initializer_list<ArgValue> values) {
  std::string text;
  auto next = values.begin();
  for (size_t pos = 0; pos < format.size();) {
    FormatToken token = TokenAt(format, pos);
    if (token != FormatToken::Unknown && next != values.end()) text += WriteElement(token, *next++);
    pos = NextFormatToken(format, pos);
    if (pos >= format.size()) break;
    text += ',';
  }
  return text;
}

bool EqualsTrueIgnoringCase(const std::string& text) {
  static constexpr std::string_view kTrue = "TRUE";
  if (text.size() != kTrue.size()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kTrue[i]) return false;
  }
  return true;
}

void ReadElement(FormatToken token, const std::optional<std::string>& element, const ArgOutput& output) {
  switch (token) {
    case FormatToken::DW:
      if (auto* out = std::get_if<uint32_t*>(&output)) **out = element ? ReadUnsigned(*element) : 0;
      break;
    case FormatToken::QCS:
      if (auto* out = std::get_if<std::string*>(&output))
        **out = element ? Unescaped(*element) : std::string{};
      break;
    case FormatToken::CS:
      if (auto* out = std::get_if<std::string*>(&output)) **out = element.value_or(std::string{});
      break;
    case FormatToken::BL:
      if (auto* out = std::get_if<uint16_t*>(&output))
        **out = element && EqualsTrueIgnoringCase(*element) ? 1 : 0;
      break;
    case FormatToken::Unknown:
      break;
  }
}

uint32_t ReadLittleEndian(const dde::Bytes& data, size_t width) {
  uint32_t value = 0;
  for (size_t i = 0; i < width; ++i) value |= static_cast<uint32_t>(data[i]) << (8 * i);
  return value;
}

}  // namespace

FormatToken TokenAt(std::string_view format, size_t pos) {
  std::string_view rest = format.substr(std::min(pos, format.size()));
  if (rest.starts_with("QCS")) return FormatToken::QCS;
  if (rest.starts_with("DW")) return FormatToken::DW;
  if (rest.starts_with("CS")) return FormatToken::CS;
  if (rest.starts_with("BL")) return FormatToken::BL;
  return FormatToken::Unknown;
}

size_t NextFormatToken(std::string_view format, size_t pos) {
  size_t comma = format.find(',', pos);
  return comma == std::string_view::npos ? format.size() : comma + 1;
}

std::optional<std::string> BuildArgumentList(std::string_view format,
                                             std::initializer_list<ArgValue> values) {
  std::string text = WriteList(format, values);
  if (text.empty()) return std::nullopt;
  return text;
}

std::optional<dde::Bytes> BuildResultData(std::string_view format, std::initializer_list<ArgValue> values) {
  std::string text = WriteList(format, values);
  if (text.empty()) return std::nullopt;
  if (format == "BL") {
    uint16_t flag = text == "TRUE" ? 1 : 0;
    return dde::Bytes{static_cast<uint8_t>(flag & 0xFF), static_cast<uint8_t>(flag >> 8)};
  }
  if (format == "DW") {
    uint32_t number = ReadUnsigned(text);
    return dde::Bytes{static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                      static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)};
  }
  dde::Bytes block(text.begin(), text.end());
  block.push_back(0);
  return block;
}

std::optional<std::string> ElementAt(std::string_view list, int n) {
  if (list.empty() || n < 1) return std::nullopt;
  size_t pos = 0;
  for (int skipped = 0; skipped < n - 1; ++skipped) {
    if (pos >= list.size()) return std::nullopt;
    pos = ElementEnd(list, pos);
    if (pos < list.size()) ++pos;  // past the comma
  }
  if (pos >= list.size() || list[pos] == ',') return std::nullopt;
  size_t end = ElementEnd(list, pos);
  std::string element;
  if (list[pos] == '"') {
    // Everything after the opening quote up to the comma, less its last character (normally the
    // closing quote; text after the closing quote keeps all but its last character).
    element = std::string(list.substr(pos + 1, end - pos - 1));
    if (!element.empty()) element.pop_back();
  } else {
    element = std::string(list.substr(pos, end - pos));
  }
  if (element.empty()) return std::nullopt;
  return element;
}

void ParseArgumentList(std::string_view list, std::string_view format,
                       std::initializer_list<ArgOutput> outputs) {
  auto next = outputs.begin();
  int index = 1;
  for (size_t pos = 0; pos < format.size() && next != outputs.end();
       pos = NextFormatToken(format, pos), ++index) {
    FormatToken token = TokenAt(format, pos);
    if (token == FormatToken::Unknown) continue;
    ReadElement(token, ElementAt(list, index), *next++);
  }
}

void ParseResultData(const std::optional<dde::Bytes>& data, std::string_view format,
                     std::initializer_list<ArgOutput> outputs) {
  if (!data || outputs.size() == 0) return;
  const ArgOutput& first = *outputs.begin();
  if (format == "DW") {
    if (auto* out = std::get_if<uint32_t*>(&first); out && data->size() >= 4)
      **out = ReadLittleEndian(*data, 4);
    return;
  }
  if (format == "BL") {
    if (auto* out = std::get_if<uint16_t*>(&first); out && data->size() >= 2) {
      **out = static_cast<uint16_t>(ReadLittleEndian(*data, 2));
    }
    return;
  }
  std::string text(data->begin(), data->end());
  if (size_t nul = text.find('\0'); nul != std::string::npos) text.resize(nul);
  ParseArgumentList(text, format, outputs);
}

uint32_t ReadUnsigned(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  uint64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    if (magnitude > kMaxUnsigned) return kMaxUnsigned;
  }
  uint32_t value = static_cast<uint32_t>(magnitude);
  return negative ? 0u - value : value;
}
