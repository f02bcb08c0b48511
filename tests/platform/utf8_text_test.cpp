#include "platform/utf8_text.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8Text, WellFormedUtf8PassesAndEveryOtherByteIsLatin1) {
  for (const char* good :
       {"", "plain", "caf\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF"}) {
    EXPECT_TRUE(IsUtf8(good)) << good;
    EXPECT_EQ(Utf8OrLatin1(good), good);
  }
  // A Latin-1 e-acute, a stray continuation byte, a truncated sequence, an overlong '/', a
  // surrogate and a code point above U+10FFFF: none is UTF-8, each byte becomes one character.
  const std::pair<std::string, std::string> cases[] = {
      {"caf\xE9", "caf\xC3\xA9"},
      {"\x80", "\xC2\x80"},
      {"\xE2\x82", "\xC3\xA2\xC2\x82"},
      {"\xC0\xAF", "\xC3\x80\xC2\xAF"},
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
      {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xC2\x80\xC2\x80"},
      {"a\xFF\xC3\xA9", "a\xC3\xBF\xC3\xA9"},
  };
  for (const auto& [bytes, utf8] : cases) {
    EXPECT_FALSE(IsUtf8(bytes)) << bytes;
    EXPECT_EQ(Utf8OrLatin1(bytes), utf8) << bytes;
    EXPECT_TRUE(IsUtf8(Utf8OrLatin1(bytes)));
  }
}

}  // namespace
