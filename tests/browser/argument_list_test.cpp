#include "browser/argument_list.h"

#include <gtest/gtest.h>

#include <cctype>

#include "browser/verb_table.h"

namespace {

std::string Text(const std::optional<dde::Bytes>& data) {
  return data ? std::string(data->begin(), data->end()) : std::string("<none>");
}

TEST(ArgumentListWrite, QuotesEscapesAndLeavesAbsentValuesEmpty) {
  EXPECT_EQ(R"("say \"hi\"",7,0)", BuildArgumentList("QCS,DW,DW", {"say \"hi\"", 7u, 0u}));
  EXPECT_EQ(R"("u",,5,"")", BuildArgumentList("QCS,QCS,DW,QCS", {"u", std::nullopt, 5u, ""}));
  EXPECT_EQ("4294967295", BuildArgumentList("DW", {4294967295u}));
  EXPECT_EQ("0", BuildArgumentList("DW", {0u}));
  EXPECT_EQ("TRUE,FALSE,TRUE", BuildArgumentList("BL,BL,BL", {true, 0, 9}));
  EXPECT_EQ("a\"b", BuildArgumentList("CS", {"a\"b"}));
  // Absent values, values of the wrong kind and missing values still leave their commas.
  EXPECT_EQ(",,", BuildArgumentList("DW,QCS,DW", {"text", 4u}));
}

TEST(ArgumentListWrite, EmptyTextGivesNothing) {
  EXPECT_EQ(std::nullopt, BuildArgumentList("", {"x"}));
  EXPECT_EQ(std::nullopt, BuildArgumentList("CS", {""}));
  EXPECT_EQ(std::nullopt, BuildArgumentList("DW", {std::nullopt}));
  EXPECT_EQ(std::nullopt, BuildResultData("DW", {}));
  EXPECT_EQ(std::nullopt, BuildResultData("QCS", {std::optional<std::string>()}));
}

TEST(ArgumentListWrite, OnlyALoneDwOrBlReplyIsBinary) {
  EXPECT_EQ((dde::Bytes{0xFF, 0xFF, 0xFF, 0xFF}), BuildResultData("DW", {4294967295u}));
  EXPECT_EQ((dde::Bytes{0x04, 0x03, 0x02, 0x01}), BuildResultData("DW", {0x01020304u}));
  EXPECT_EQ((dde::Bytes{1, 0}), BuildResultData("BL", {true}));
  EXPECT_EQ((dde::Bytes{0, 0}), BuildResultData("BL", {false}));
  EXPECT_EQ(std::string("\"x\"\0", 4), Text(BuildResultData("QCS", {"x"})));
  EXPECT_EQ(std::string("x\0", 2), Text(BuildResultData("CS", {"x"})));
  EXPECT_EQ(std::string("7,TRUE\0", 7), Text(BuildResultData("DW,BL", {7u, 1})));
}

TEST(ElementAt, FindsPlainQuotedAndAbsentElements) {
  const std::string list = R"("a\"b",,12,"r")";
  EXPECT_EQ(R"(a\"b)", ElementAt(list, 1));  // backslashes stay for the QCS reader
  EXPECT_EQ(std::nullopt, ElementAt(list, 2));
  EXPECT_EQ("12", ElementAt(list, 3));
  EXPECT_EQ("r", ElementAt(list, 4));
  EXPECT_EQ(std::nullopt, ElementAt(list, 5));
  EXPECT_EQ(std::nullopt, ElementAt(list, 0));
  EXPECT_EQ(std::nullopt, ElementAt("", 1));
  EXPECT_EQ(std::nullopt, ElementAt(R"("",x)", 1));
  EXPECT_EQ("x", ElementAt(R"("",x)", 2));
  EXPECT_EQ(std::nullopt, ElementAt("a,", 2));
  EXPECT_EQ(std::nullopt, ElementAt(",", 1));
}

TEST(ElementAt, TextAfterAClosingQuoteLosesOnlyItsLastCharacter) {
  EXPECT_EQ("ab\"c", ElementAt(R"("ab"cd,1)", 1));
  EXPECT_EQ("1", ElementAt(R"("ab"cd,1)", 2));
  // A quote that never closes runs to the end.
  EXPECT_EQ("ab,c", ElementAt(R"("ab,cd)", 1));
  EXPECT_EQ(std::nullopt, ElementAt(R"("ab,cd)", 2));
}

TEST(ArgumentListRead, ReadsEachTokenAndGivesEmptyValuesForAbsentElements) {
  std::string url = "old", mime = "old", referrer;
  uint32_t window = 99;
  ParseArgumentList(R"("a\"b",,12,"r")", "QCS,QCS,DW,QCS", {&url, &mime, &window, &referrer});
  EXPECT_EQ("a\"b", url);
  EXPECT_EQ("", mime);
  EXPECT_EQ(12u, window);
  EXPECT_EQ("r", referrer);

  std::string x, z;
  ParseArgumentList(R"("x,y","z")", "QCS,QCS", {&x, &z});
  EXPECT_EQ("x,y", x);
  EXPECT_EQ("z", z);

  // Tokens beyond the elements read as absent; elements beyond the format are ignored.
  uint32_t a = 5, b = 5;
  ParseArgumentList("3", "DW,DW", {&a, &b});
  EXPECT_EQ(3u, a);
  EXPECT_EQ(0u, b);
  ParseArgumentList("8,9,10", "DW", {&a});
  EXPECT_EQ(8u, a);
}

TEST(ArgumentListRead, CsKeepsBackslashesAndBlWantsTrueInAnyCase) {
  std::string cs;
  uint16_t b1 = 7, b2 = 7, b3 = 7, b4 = 7;
  ParseArgumentList(R"("p\"q",true,TRUE,yes,)", "CS,BL,BL,BL,BL", {&cs, &b1, &b2, &b3, &b4});
  EXPECT_EQ(R"(p\"q)", cs);
  EXPECT_EQ(1, b1);
  EXPECT_EQ(1, b2);
  EXPECT_EQ(0, b3);
  EXPECT_EQ(0, b4);
}

TEST(ArgumentListRead, NumbersReadAsTheCLibraryReadsAnUnsignedLong) {
  EXPECT_EQ(42u, ReadUnsigned("  42abc"));
  EXPECT_EQ(0u, ReadUnsigned("abc"));
  EXPECT_EQ(4294967295u, ReadUnsigned("-1"));  // how a signed window id comes back
  EXPECT_EQ(4294967291u, ReadUnsigned("-5"));
  EXPECT_EQ(4294967295u, ReadUnsigned("99999999999999999999"));
  EXPECT_EQ(7u, ReadUnsigned("+7"));
}

TEST(ArgumentListRead, UnknownTokensTakeAPositionButNoOutput) {
  uint32_t a = 0, b = 0;
  ParseArgumentList("1,2,3", "DW,XX,DW", {&a, &b});
  EXPECT_EQ(1u, a);
  EXPECT_EQ(3u, b);
  // An output of the wrong kind is left alone.
  std::string s = "kept";
  ParseArgumentList("5", "DW", {&s});
  EXPECT_EQ("kept", s);
}

TEST(ArgumentListRoundTrip, TextsComeBackAsWritten) {
  for (const std::string& text : {std::string("plain"), std::string("with \"quotes\", commas"),
                                  std::string("\\\"x"), std::string("\x80\xFF bytes")}) {
    std::string back, second;
    auto list = BuildArgumentList("QCS,QCS", {text, "next"});
    ASSERT_TRUE(list);
    ParseArgumentList(*list, "QCS,QCS", {&back, &second});
    EXPECT_EQ(text, back);
    EXPECT_EQ("next", second);
  }
}

TEST(ArgumentListRoundTrip, ATrailingBackslashSwallowsTheElementsAfterIt) {
  std::string only;
  ParseArgumentList(*BuildArgumentList("QCS", {"dir\\"}), "QCS", {&only});
  EXPECT_EQ("dir\\", only);

  // Written as "dir\",77: the reader takes \" as an escaped quote, so the first element runs to
  // the end (less its last character) and the second is absent.
  std::string first;
  uint32_t second = 5;
  ParseArgumentList(*BuildArgumentList("QCS,DW", {"dir\\", 77u}), "QCS,DW", {&first, &second});
  EXPECT_EQ("dir\",7", first);
  EXPECT_EQ(0u, second);
}

TEST(ArgumentListRoundTrip, LongTextsAreCarriedWhole) {
  std::string url = "http://example.com/" + std::string(100000, 'p');
  std::string title(5000, 't');
  auto reply = BuildResultData("QCS,QCS", {url, "Netscape - [" + title + "]"});
  std::string gotUrl, caption;
  ParseResultData(reply, "QCS,QCS", {&gotUrl, &caption});
  EXPECT_EQ(url, gotUrl);
  EXPECT_EQ("Netscape - [" + title + "]", caption);
}

TEST(ResultData, BinaryRepliesAreLittleEndianAndTextStopsAtNul) {
  uint32_t dw = 0;
  ParseResultData(dde::Bytes{0xFF, 0xFF, 0xFF, 0xFF}, "DW", {&dw});
  EXPECT_EQ(4294967295u, dw);
  uint16_t bl = 0;
  ParseResultData(dde::Bytes{0x01, 0x00}, "BL", {&bl});
  EXPECT_EQ(1, bl);

  std::string url, title;
  ParseResultData(dde::Bytes{'"', 'u', '"', ',', 'T', 0, 'x', 'y'}, "QCS,CS", {&url, &title});
  EXPECT_EQ("u", url);
  EXPECT_EQ("T", title);
  ParseResultData(dde::Bytes{'"', 'v', '"'}, "QCS", {&url});  // no NUL at all
  EXPECT_EQ("v", url);
}

TEST(ResultData, NoReplyOrAShortBinaryReplyLeavesOutputsAlone) {
  uint32_t dw = 17;
  uint16_t bl = 3;
  std::string url = "kept";
  ParseResultData(std::nullopt, "DW", {&dw});
  ParseResultData(std::nullopt, "QCS", {&url});
  ParseResultData(dde::Bytes{1, 2, 3}, "DW", {&dw});
  ParseResultData(dde::Bytes{1}, "BL", {&bl});
  EXPECT_EQ(17u, dw);
  EXPECT_EQ(3, bl);
  EXPECT_EQ("kept", url);
  // An empty block is an empty text reply: every element absent.
  ParseResultData(dde::Bytes{}, "QCS", {&url});
  EXPECT_EQ("", url);
}

TEST(FormatTokens, AreRecognisedByTheirFirstCharacters) {
  EXPECT_EQ(FormatToken::QCS, TokenAt("QCS,DW", 0));
  EXPECT_EQ(FormatToken::DW, TokenAt("QCS,DW", 4));
  EXPECT_EQ(FormatToken::DW, TokenAt("DWORD", 0));
  EXPECT_EQ(FormatToken::Unknown, TokenAt("QC", 0));
  EXPECT_EQ(FormatToken::Unknown, TokenAt("DW", 2));
  EXPECT_EQ(4u, NextFormatToken("QCS,DW", 0));
  EXPECT_EQ(6u, NextFormatToken("QCS,DW", 4));
}

TEST(VerbTable, IndexesTopicsWithoutRegardToCase) {
  EXPECT_EQ(27, kVerbCount);
  EXPECT_EQ(WWW_Activate, VerbIndex("WWW_Activate"));
  EXPECT_EQ(WWW_URLEcho, VerbIndex("www_urlecho"));
  EXPECT_EQ(WWW_WindowChange, VerbIndex("WWW_WINDOWCHANGE"));
  EXPECT_EQ(-1, VerbIndex("WWW_Nothing"));
  EXPECT_EQ(-1, VerbIndex(""));
  EXPECT_EQ("WWW_GetWindowInfo", VerbName(6));
  EXPECT_EQ(133, VerbStringId(WWW_GetWindowInfo));
  EXPECT_EQ(123, VerbStringId(WWW_SetProgressRange));
  EXPECT_EQ("", VerbName(27));
  auto lower = [](std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
  };
  for (int i = 1; i < kVerbCount; ++i) EXPECT_LT(lower(VerbName(i - 1)), lower(VerbName(i))) << i;
}

}  // namespace
