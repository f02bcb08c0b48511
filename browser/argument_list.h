#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/dde_instance.h"

// The text form of the browser link's arguments and replies.
//
// An argument list is one text of comma-separated elements; a format string such as
// "QCS,QCS,DW,QCS" names the type of each element:
//   QCS  text in double quotes, with a backslash before every double quote inside it
//   CS   text as it stands
//   DW   unsigned 32-bit number in decimal
//   BL   boolean, written "TRUE" / "FALSE"
// Strings are 8-bit bytes throughout and are carried whatever their length (the transport's frame
// limit is the only bound).

// One value handed to a writer: absent (its element is left empty), a number (DW, BL) or a text
// (QCS, CS). A value of the wrong kind for its token is written as absent.
class ArgValue {
 public:
  ArgValue() = default;
  ArgValue(std::nullopt_t) {}
  ArgValue(std::string text) : value_(std::move(text)) {}
  ArgValue(std::string_view text) : value_(std::string(text)) {}
  ArgValue(const char* text) : value_(std::string(text)) {}
  template <std::integral T>
  ArgValue(T number) : value_(static_cast<uint32_t>(number)) {}
  template <typename T>
  ArgValue(const std::optional<T>& value) {
    if (value) *this = ArgValue(*value);
  }

  const uint32_t* Number() const { return std::get_if<uint32_t>(&value_); }
  const std::string* Text() const { return std::get_if<std::string>(&value_); }

 private:
  std::variant<std::monostate, uint32_t, std::string> value_;
};

// Where a reader puts one element: a number for DW, a text for QCS and CS, a 16-bit boolean for BL.
// An output of the wrong kind for its token is left as it was.
using ArgOutput = std::variant<uint32_t*, std::string*, uint16_t*>;

enum class FormatToken { QCS, CS, DW, BL, Unknown };

// The token that starts at pos ("QCS" is recognised by three characters, the others by two).
FormatToken TokenAt(std::string_view format, size_t pos);
// The position just after the next comma at or after pos, or the end of the format.
size_t NextFormatToken(std::string_view format, size_t pos);

// The argument list text for the values; nothing when the text comes out empty. An unknown token
// takes no value and leaves its element empty. Values beyond the format are ignored.
std::optional<std::string> BuildArgumentList(std::string_view format, std::initializer_list<ArgValue> values);

// A reply block for the values: the list text and its NUL; nothing when the text comes out empty.
// A format of exactly "DW" gives the number as 4 bytes little-endian, of exactly "BL" the boolean
// as 2 bytes little-endian (1 or 0).
std::optional<dde::Bytes> BuildResultData(std::string_view format, std::initializer_list<ArgValue> values);

// The raw text of element n (1-based), quotes of a quoted element taken off and backslashes left in;
// nothing when the element is absent or empty.
std::optional<std::string> ElementAt(std::string_view list, int n);

// Reads element i into output i by token i. Absent elements give the empty value (0, empty text,
// false); elements beyond the format are ignored. An unknown token takes no output.
void ParseArgumentList(std::string_view list, std::string_view format,
                       std::initializer_list<ArgOutput> outputs);

// Reads a reply block. No block (no reply, time-out) leaves every output as it was, and so does a
// binary reply shorter than its 4 (DW) or 2 (BL) bytes. A text reply is read up to its NUL.
void ParseResultData(const std::optional<dde::Bytes>& data, std::string_view format,
                     std::initializer_list<ArgOutput> outputs);

// The leading unsigned decimal number of a text as the C library's "%lu" reads it into 32 bits:
// blanks skipped, an optional sign ("-1" is 4294967295), 0 without digits, 4294967295 on overflow.
uint32_t ReadUnsigned(std::string_view text);
