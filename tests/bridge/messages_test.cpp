#include "bridge/host/messages.h"

#include <gtest/gtest.h>

#include "bridge/host/json.h"

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
      R"({"type":"snapshot","focusedWindowId":12,"tabs":[
          {"tabId":1,"windowId":12,"url":"http://h/","title":"H","status":"complete","active":true,"echoed":true},
          {"tabId":-1,"windowId":12},{"windowId":12},7,
          {"tabId":2,"windowId":12,"url":"http://h/2","status":"loading"}]})");
  ASSERT_EQ(s.tabs.size(), 2u);
  EXPECT_EQ(s.focusedWindow, 12u);
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

TEST(Messages, RefusesWhatItCannotUse) {
  for (const char* bad : {"nonsense", "[]", R"({"tabId":1})", R"({"type":"warp"})",
                          R"({"type":"tab","tabId":4294967295,"windowId":1})", R"({"type":"removed"})",
                          R"({"type":"focused","windowId":-1})", R"({"type":"reply","ok":true,"tabId":3})",
                          R"({"type":"reply","id":1,"ok":true})", R"({"type":"snapshot"})"}) {
    std::string error;
    EXPECT_FALSE(ParseBrowserMessage(bad, &error).has_value()) << bad;
    EXPECT_FALSE(error.empty()) << bad;
  }
}

TEST(Messages, BuildsTheHostsRequests) {
  EXPECT_EQ(OpenMessage(1, "http://h/?q=\"x\"", std::nullopt),
            R"({"id":1,"type":"open","url":"http://h/?q=\"x\""})");
  EXPECT_EQ(OpenMessage(2, "http://h/", 77), R"({"id":2,"tabId":77,"type":"open","url":"http://h/"})");
  EXPECT_EQ(ActivateMessage(3, std::nullopt), R"({"id":3,"type":"activate"})");
  EXPECT_EQ(EchoedMessage(5, "http://h/"), R"({"tabId":5,"type":"echoed","url":"http://h/"})");
}

}  // namespace
}  // namespace bridge
