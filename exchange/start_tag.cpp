#include "exchange/start_tag.h"

namespace {

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithNoCase(a, b);
}

class TagScanner {
 public:
  explicit TagScanner(std::string_view text) : text_(text) {}

  StartTag Read() {
    StartTag tag;
    pos_ = 1;
    tag.name = Word();
    for (;;) {
      SkipSpaceAnd('/');
      if (pos_ >= text_.size()) break;
      if (text_[pos_] == '>') {
        tag.complete = true;
        tag.end = pos_ + 1;
        return tag;
      }
      const std::string_view name = Word();
      if (name.empty()) {  // a stray '=' or quote: step over it
        ++pos_;
        continue;
      }
      std::optional<std::string_view> value = Value();
      if (!value) break;
      tag.attributes.emplace_back(name, *value);
    }
    tag.end = text_.size();
    return tag;
  }

 private:
  void SkipSpaceAnd(char also = ' ') {
    while (pos_ < text_.size() && (IsSpace(text_[pos_]) || text_[pos_] == also)) ++pos_;
  }

  // Characters up to white space, '/', '=', '>' or a quote.
  std::string_view Word() {
    const std::size_t start = pos_;
    while (pos_ < text_.size()) {
      const char c = text_[pos_];
      if (IsSpace(c) || c == '/' || c == '=' || c == '>' || c == '"' || c == '\'') break;
      ++pos_;
    }
    return text_.substr(start, pos_ - start);
  }

  // The value after an attribute name: empty without '='; nothing when its quote stays open.
  std::optional<std::string_view> Value() {
    const std::size_t afterName = pos_;
    SkipSpaceAnd();
    if (pos_ >= text_.size() || text_[pos_] != '=') {
      pos_ = afterName;
      return std::string_view();
    }
    ++pos_;
    SkipSpaceAnd();
    if (pos_ < text_.size() && (text_[pos_] == '"' || text_[pos_] == '\'')) {
      const std::size_t close = text_.find(text_[pos_], pos_ + 1);
      if (close == std::string_view::npos) return std::nullopt;
      const std::string_view value = text_.substr(pos_ + 1, close - pos_ - 1);
      pos_ = close + 1;
      return value;
    }
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsSpace(text_[pos_]) && text_[pos_] != '>') ++pos_;
    return text_.substr(start, pos_ - start);
  }

  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i)
    if (Upper(text[i]) != Upper(prefix[i])) return false;
  return true;
}

std::optional<std::string_view> StartTag::Attribute(std::string_view wanted) const {
  for (const auto& [attribute, value] : attributes)
    if (EqualNoCase(attribute, wanted)) return value;
  return std::nullopt;
}

StartTag ReadStartTag(std::string_view text) {
  return TagScanner(text).Read();
}
