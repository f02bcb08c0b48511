#include "bridge/host/json.h"

#include <gtest/gtest.h>

namespace bridge::json {
namespace {

TEST(Json, ReadsAMessageOfTheExtension) {
  const auto value = Parse(R"( {"type":"tab","tabId":1039640325,"title":"A \"quoted\" title","active":true,
                               "list":[1,-2.5e1,null,false],"nested":{"x":{}}} )");
  ASSERT_TRUE(value.has_value());
  const Object& o = *value->AsObject();
  EXPECT_EQ(GetString(o, "type"), "tab");
  EXPECT_EQ(GetUint32(o, "tabId"), 1039640325u);
  EXPECT_EQ(GetString(o, "title"), "A \"quoted\" title");
  EXPECT_EQ(GetBool(o, "active"), true);
  const Array& list = *Find(o, "list")->AsArray();
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(*list[1].AsNumber(), -25.0);
  EXPECT_TRUE(Find(*Find(o, "nested")->AsObject(), "x")->AsObject());
}

TEST(Json, RefusesMalformedText) {
  for (const char* bad : {"", "{", "{\"a\":}", "{\"a\" 1}", "[1,]", "{\"a\":1,}", "\"open", "01", "1.", "tru",
                          "{\"a\":1} x", "\"tab\tin string\"", "\"\\x\"", "\"\\u12\"", "-", "1e"}) {
    EXPECT_FALSE(Parse(bad).has_value()) << bad;
  }
}

TEST(Json, RefusesNestingBeyondTheLimit) {
  std::string deep(kMaxDepth + 2, '[');
  deep += std::string(kMaxDepth + 2, ']');
  EXPECT_FALSE(Parse(deep).has_value());
  std::string fine(kMaxDepth, '[');
  fine += std::string(kMaxDepth, ']');
  EXPECT_TRUE(Parse(fine).has_value());
}

TEST(Json, DecodesUnicodeEscapesToUtf8) {
  EXPECT_EQ(*Parse(R"("\u00e9\u20ac\ud83d\ude00")")->AsString(), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
  // Lone surrogates cannot be UTF-8: each becomes U+FFFD.
  EXPECT_EQ(*Parse(R"("\ud83dx\ude00")")->AsString(), "\xEF\xBF\xBDx\xEF\xBF\xBD");
}

TEST(Json, IdsOutsideTheUnsigned32BitRangeAreNotIds) {
  const Object o = *Parse(R"({"a":-1,"b":4294967296,"c":1.5,"d":"7","e":4294967295,"f":0})")->AsObject();
  EXPECT_FALSE(GetUint32(o, "a"));
  EXPECT_FALSE(GetUint32(o, "b"));
  EXPECT_FALSE(GetUint32(o, "c"));
  EXPECT_FALSE(GetUint32(o, "d"));
  EXPECT_EQ(GetUint32(o, "e"), 4294967295u);
  EXPECT_EQ(GetUint32(o, "f"), 0u);
  EXPECT_FALSE(GetUint32(o, "missing"));
}

TEST(Json, WritesEscapedStringsThatReadBack) {
  const std::string text = "quote\" back\\ newline\n tab\t bell\x07 del\x7f caf\xC3\xA9";
  const std::string written = Write(Object{{"t", text}, {"n", 4294967295u}, {"b", false}, {"z", nullptr}});
  EXPECT_EQ(written,
            R"({"b":false,"n":4294967295,"t":"quote\" back\\ newline\n tab\t bell\u0007 del\u007f caf)"
            "\xC3\xA9"
            R"(","z":null})");
  EXPECT_EQ(GetString(*Parse(written)->AsObject(), "t"), text);
}

TEST(Json, WritesBytesThatAreNotUtf8AsLatin1) {
  // A Latin-1 e-acute, a stray continuation byte, a truncated sequence, an overlong '/' and a surrogate.
  EXPECT_EQ(Write(Value("caf\xE9")), "\"caf\xC3\xA9\"");
  EXPECT_EQ(Write(Value("\x80")), "\"\xC2\x80\"");
  EXPECT_EQ(Write(Value("\xE2\x82")), "\"\xC3\xA2\xC2\x82\"");
  EXPECT_EQ(Write(Value("\xC0\xAF")), "\"\xC3\x80\xC2\xAF\"");
  EXPECT_EQ(Write(Value("\xED\xA0\x80")), "\"\xC3\xAD\xC2\xA0\xC2\x80\"");
  EXPECT_EQ(Write(Value("\xF0\x9F\x98\x80")), "\"\xF0\x9F\x98\x80\"");
}

}  // namespace
}  // namespace bridge::json
