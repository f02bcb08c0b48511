#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The little JSON the bridge needs for its messages: parse a message from the browser, build one
// for it. Numbers are doubles (tab and window ids fit exactly); objects keep their keys sorted.
namespace bridge::json {

struct Value;
using Array = std::vector<Value>;
using Object = std::map<std::string, Value, std::less<>>;

struct Value {
  std::variant<std::nullptr_t, bool, double, std::string, Array, Object> v;

  Value() : v(nullptr) {}
  Value(std::nullptr_t) : v(nullptr) {}
  Value(bool b) : v(b) {}
  Value(double d) : v(d) {}
  Value(int i) : v(static_cast<double>(i)) {}
  Value(int64_t i) : v(static_cast<double>(i)) {}
  Value(uint32_t i) : v(static_cast<double>(i)) {}
  Value(std::string s) : v(std::move(s)) {}
  Value(const char* s) : v(std::string(s)) {}
  Value(Array a) : v(std::move(a)) {}
  Value(Object o) : v(std::move(o)) {}

  const Object* AsObject() const { return std::get_if<Object>(&v); }
  const Array* AsArray() const { return std::get_if<Array>(&v); }
  const std::string* AsString() const { return std::get_if<std::string>(&v); }
  const double* AsNumber() const { return std::get_if<double>(&v); }
  const bool* AsBool() const { return std::get_if<bool>(&v); }
};

// Nesting deeper than this is refused (no message of ours comes close).
inline constexpr int kMaxDepth = 32;

// The value of a whole JSON text (surrounding white space allowed), or nothing when it is not
// valid JSON. \u escapes become UTF-8; a lone surrogate becomes U+FFFD.
std::optional<Value> Parse(std::string_view text);

// Compact JSON. Strings are bytes: valid UTF-8 passes through, and any byte that is not part of a
// valid UTF-8 sequence is taken as a Latin-1 character, so the output is always valid UTF-8
// (the browser drops the port on a frame that is not).
std::string Write(const Value& value);

// Members by key; nothing when absent or of another type.
const Value* Find(const Object& object, std::string_view key);
std::optional<std::string> GetString(const Object& object, std::string_view key);
std::optional<bool> GetBool(const Object& object, std::string_view key);
// An integral number in [0, 2^32 - 1]; nothing for fractions, negatives and larger numbers.
std::optional<uint32_t> GetUint32(const Object& object, std::string_view key);

}  // namespace bridge::json
