#include "bridge/host/messages.h"

#include <gtest/gtest.h>

namespace bridge {
namespace {

template <typename T>
T As(std::string_view text) {
  std::string error;
  auto message = ParseBrowserMessage(text, &error);
  EXPECT_TRUE(message.has_value()) << error;
  EXPECT_TRUE(message && std::holds_alternative<T>(*message));
  return message && std::holds_alternative<T>(*message) ? std::get<T>(*message) : T{};
}

TEST(Messages, ReadsASnapshotAndSkipsTabsItCannotRead) {
  const auto s = As<SnapshotMessage>(
      R"({"type":"snapshot","focusedWindowId":12,
          "servers":[{"name":"HOPWISE1","id":"1:2:3.4"},{"name":"","id":"x"},{"name":"N"},7],
          "tabs":[
          {"tabId":1,"windowId":12,"url":"http://h/","title":"H","status":"complete","active":true,"echoed":true},
          {"tabId":-1,"windowId":12},{"windowId":12},7,
          {"tabId":2,"windowId":12,"url":"http://h/2","status":"loading"}]})");
  ASSERT_EQ(s.tabs.size(), 2u);
  EXPECT_EQ(s.focusedWindow, 12u);
  EXPECT_EQ(s.servers, (std::vector<ServerMark>{{"HOPWISE1", "1:2:3.4"}}));
  EXPECT_EQ(s.tabs[0].tabId, 1u);
  EXPECT_EQ(s.tabs[0].title, "H");
  EXPECT_TRUE(s.tabs[0].complete && s.tabs[0].active && s.tabs[0].echoed);
  EXPECT_EQ(s.tabs[1].tabId, 2u);
  EXPECT_EQ(s.tabs[1].title, "");
  EXPECT_FALSE(s.tabs[1].complete || s.tabs[1].active || s.tabs[1].echoed);
}

TEST(Messages, ReadsTheSmallMessages) {
  EXPECT_EQ(As<TabMessage>(R"({"type":"tab","tabId":3,"windowId":4,"url":"u"})").tab.url, "u");
  EXPECT_EQ(As<RemovedMessage>(R"({"type":"removed","tabId":3})").tabId, 3u);
  const auto a = As<ActivatedMessage>(R"({"type":"activated","tabId":3,"windowId":4})");
  EXPECT_EQ(a.windowId, 4u);
  EXPECT_EQ(As<FocusedMessage>(R"({"type":"focused","windowId":4})").windowId, 4u);
  const auto r = As<ReplyMessage>(R"({"type":"reply","id":9,"ok":true,"tabId":3,"windowId":4})");
  EXPECT_EQ(r.id, 9u);
  EXPECT_TRUE(r.ok);
  EXPECT_EQ(r.tabId, 3u);
  const auto failed = As<ReplyMessage>(R"({"type":"reply","id":9,"ok":false,"error":"No tab"})");
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(failed.error, "No tab");
}

TEST(Messages, ReadsIdsAndTextsAsJsonSpellsThem) {
  EXPECT_EQ(As<RemovedMessage>(R"({"type":"removed","tabId":4294967295})").tabId, 4294967295u);
  EXPECT_EQ(As<RemovedMessage>(R"({"type":"removed","tabId":1e3})").tabId, 1000u);
  EXPECT_EQ(As<RemovedMessage>(R"( {"tabId":0,"type":"removed","tabId":8} )").tabId, 8u)
      << "the last one counts";
  const auto tab =
      As<TabMessage>(R"({"type":"tab","tabId":1,"windowId":2,"title":"\u00e9\ud83d\ude00 \"q\""})");
  EXPECT_EQ(tab.tab.title, "\xC3\xA9\xF0\x9F\x98\x80 \"q\"");
}

TEST(Messages, RefusesWhatItCannotUse) {
  const std::string deep = std::string(100000, '[') + std::string(100000, ']');
  for (const std::string& bad : std::vector<std::string>{
           "nonsense", "", "{", R"({"type":"removed","tabId":1,})", "[]", deep, R"({"tabId":1})",
           R"({"type":"warp"})", R"({"type":"tab","tabId":4294967295,"windowId":1})", R"({"type":"removed"})",
           R"({"type":"removed","tabId":4294967296})", R"({"type":"removed","tabId":1.5})",
           R"({"type":"removed","tabId":"7"})", R"({"type":"focused","windowId":-1})",
           R"({"type":"reply","ok":true,"tabId":3})", R"({"type":"reply","id":1,"ok":true})",
           R"({"type":"snapshot"})", "{\"type\":\"tab\",\"tabId\":1,\"windowId\":2,\"title\":\"caf\xE9\"}"}) {
    std::string error;
    EXPECT_FALSE(ParseBrowserMessage(bad, &error).has_value()) << bad.substr(0, 80);
    EXPECT_FALSE(error.empty()) << bad.substr(0, 80);
  }
}

TEST(Messages, BuildsTheHostsRequests) {
  EXPECT_EQ(OpenMessage(1, "http://h/?q=\"x\"", std::nullopt),
            R"({"id":1,"type":"open","url":"http://h/?q=\"x\""})");
  EXPECT_EQ(OpenMessage(2, "http://h/", 77), R"({"id":2,"tabId":77,"type":"open","url":"http://h/"})");
  EXPECT_EQ(ActivateMessage(3, std::nullopt), R"({"id":3,"type":"activate"})");
  EXPECT_EQ(EchoedMessage(5, "http://h/"), R"({"tabId":5,"type":"echoed","url":"http://h/"})");
  EXPECT_EQ(ServersMessage({{"HOPWISE1", "1:2:3.4"}}),
            R"({"servers":[{"id":"1:2:3.4","name":"HOPWISE1"}],"type":"servers"})");
}

// A bridge joins under a name of the bridges' own, never another program's.
TEST(Messages, ReadsAJoinNamingABridge) {
  EXPECT_EQ(ParseJoinMessage(JoinMessage("HOPWISE-BRIDGE-4242")), "HOPWISE-BRIDGE-4242");
  for (const std::string name :
       {"HOPWISE1", "HOPWISE-BRIDGE-", "HOPWISE-BRIDGE-12x", "../HOPWISE-BRIDGE-1"}) {
    EXPECT_FALSE(ParseJoinMessage(JoinMessage(name)).has_value()) << name;
  }
  EXPECT_FALSE(ParseJoinMessage(R"({"type":"tab","name":"HOPWISE-BRIDGE-1"})").has_value());
}

TEST(Messages, SendTextThatIsNotUtf8AsLatin1) {
  EXPECT_EQ(OpenMessage(1, "http://h/caf\xE9/\xC3\xA9\n", std::nullopt),
            "{\"id\":1,\"type\":\"open\",\"url\":\"http://h/caf\xC3\xA9/\xC3\xA9\\n\"}");
  EXPECT_EQ(EchoedMessage(5, "\x80"), "{\"tabId\":5,\"type\":\"echoed\",\"url\":\"\xC2\x80\"}");
}

}  // namespace
}  // namespace bridge
