#include "browser/url_echo_service.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "browser/link_fixture.h"
#include "browser/verb_table.h"
#include "browser/visit_recorder.h"
#include "store/page_mark_store.h"
#include "store/process_events.h"
#include "support/fake_clock.h"

namespace {

using namespace std::chrono_literals;

class Switch : public RecordingSwitch {
 public:
  bool IsActive() const override { return active; }
  bool active = true;
};

// Hopwise's served side: the endpoint with the echo service and the recorder in front of a store.
class EchoService : public LinkFixture {
 protected:
  void SetUp() override {
    LinkFixture::SetUp();
    recorder = std::make_unique<VisitRecorder>(*browserLink, store, events, recording);
    service = std::make_unique<UrlEchoService>(clock, *recorder);
    link.SetServer(service.get());
  }
  void TearDown() override {
    link.SetServer(nullptr);
    LinkFixture::TearDown();
  }

  // The browser shows a page in a window; its echo is served here before this returns.
  void Show(PeerThread& browser, uint32_t window, const std::string& url, const std::string& title) {
    auto done = browser.Run([=](BrowserPeer& p) { p.ShowPage(window, url, title); });
    ASSERT_TRUE(PumpUntil(instance, done));
  }
  uint32_t Echo(RawSide& from, const std::string& url, uint32_t window, const std::string& flags = "") {
    return Served(from.Poke("HOPWISE1", "WWW_URLEcho",
                            "\"" + url + "\",\"text/html\"," + std::to_string(window) + ",\"\"" + flags));
  }
  std::vector<std::string> Urls() const {
    std::vector<std::string> urls;
    for (const CPez& p : store.PageMarks()) urls.push_back(p.url);
    return urls;
  }

  FakeClock clock{1234567890};
  PageMarkStore store{prefs, clock};
  ProcessEvents events;
  Switch recording;
  std::unique_ptr<VisitRecorder> recorder;
  std::unique_ptr<UrlEchoService> service;
};

TEST_F(EchoService, AShownPageIsRecordedWithTheTitleTheBrowserReports) {
  PeerThread browser;
  ASSERT_TRUE(browserLink->TryRegisterForEchoes());
  Show(browser, 1, "http://a/", "Page A");
  Show(browser, 2, "http://b/" + std::string(400, 'b'), std::string(300, 'T'));

  ASSERT_EQ((std::vector<std::string>{"http://a/", "http://b/" + std::string(400, 'b')}), Urls());
  EXPECT_EQ("Page A", store.FindPageMarkByUrl("http://a/")->title);
  EXPECT_EQ(std::string(300, 'T'), store.PageMarks()[1].title);
  EXPECT_EQ(clock.Now(), store.PageMarks()[0].firstVisited);
  EXPECT_TRUE(recorder->IsIdle());
  EXPECT_TRUE(link.ConversationsOf(browserLink->EndpointName()).empty());
}

TEST_F(EchoService, RecordsWhatTheBrowserReportsForTheWindowNotWhatTheEchoCarried) {
  PeerThread browser;
  browser.Call([](BrowserPeer& p) { p.ShowPage(3, "http://real/", "Real"); });  // nobody registered yet
  RawSide other;
  EXPECT_EQ(dde::kFack, Echo(other, "http://echo/", 3));
  EXPECT_EQ(std::vector<std::string>{"http://real/"}, Urls());
  EXPECT_EQ("Real", store.PageMarks()[0].title);
}

TEST_F(EchoService, EchoesAreAcknowledgedButNotRecordedWhileSuspendedOrWithoutAUrl) {
  PeerThread browser;
  browser.Call([](BrowserPeer& p) {
    p.ShowPage(1, "http://one/", "One");
    p.ShowPage(2, "", "Blank");
  });
  RawSide other;
  recording.active = false;
  EXPECT_EQ(dde::kFack, Echo(other, "http://one/", 1));
  EXPECT_TRUE(Urls().empty());
  EXPECT_EQ(dde::kFack, Echo(other, "", 2));    // the browser reports an empty URL
  EXPECT_EQ(dde::kFack, Echo(other, "x", 77));  // a window the browser does not know
  recording.active = true;
  EXPECT_EQ(dde::kFack, Echo(other, "", 2));
  EXPECT_EQ(dde::kFack, Echo(other, "x", 77));
  EXPECT_TRUE(Urls().empty());
  EXPECT_EQ(dde::kFack, Echo(other, "http://one/", 1));
  EXPECT_EQ(std::vector<std::string>{"http://one/"}, Urls());
}

TEST_F(EchoService, OnceClosingNoVisitIsRecordedAnyMore) {
  PeerThread browser;
  browser.Call([](BrowserPeer& p) { p.ShowPage(1, "http://one/", "One"); });
  RawSide other;
  events.closing.Set();
  EXPECT_EQ(dde::kFack, Echo(other, "http://one/", 1));
  EXPECT_EQ(dde::kFack, Echo(other, "http://one/", 1));
  EXPECT_TRUE(Urls().empty());
  EXPECT_TRUE(events.closing.IsSet());
  EXPECT_TRUE(browser.Transactions().empty());  // the browser was not even asked
}

TEST_F(EchoService, AnEchoArrivingWhileTheBrowserIsAskedIsAcknowledgedAndDropped) {
  // A browser that, asked for the window, first loads another page (and echoes it), then answers
  // with the state of the window at the time of its reply.
  RawSide* self = nullptr;
  uint32_t nestedResult = 0;
  int asked = 0;
  RawSide browser([&](const dde::Transaction& t) {
    dde::Result r;
    if (t.type == dde::TransactionType::Connect) r.value = 1;
    if (t.type == dde::TransactionType::Request && t.topic == "WWW_GetWindowInfo") {
      ++asked;
      dde::Instance& own = self->thread.Instance();
      if (dde::ConvHandle conv = own.Connect("HOPWISE1", "WWW_URLEcho")) {
        nestedResult = own.Poke(conv, "\"http://second/\",\"text/html\",4,\"\"");
        own.Disconnect(conv);
      }
      std::string reply = "\"http://now/\",\"Netscape - [Now]\"";
      r.data = dde::Bytes(reply.begin(), reply.end());
      r.data->push_back(0);
    }
    return r;
  });
  self = &browser;
  ASSERT_TRUE(browser.Serve("NETSCAPE"));

  EXPECT_EQ(dde::kFack, Echo(browser, "http://first/", 4));
  EXPECT_EQ(1, browser.thread.Call([&] { return asked; }));
  EXPECT_EQ(dde::kFack, browser.thread.Call([&] { return nestedResult; }));
  EXPECT_EQ(std::vector<std::string>{"http://now/"}, Urls());
  EXPECT_EQ("Now", store.PageMarks()[0].title);
  EXPECT_TRUE(recorder->IsIdle());
}

// An echo flagged as a late title only (fifth element 1) retitles the window's page, no visit.
TEST_F(EchoService, ALateTitleOnlyEchoRetitlesAnEarlierPageWithoutAVisit) {
  PeerThread browser;
  browser.Call([](BrowserPeer& p) {
    p.ShowPage(1, "http://a/", "a");
    p.ShowPage(2, "http://b/", "B");
  });
  RawSide other;
  EXPECT_EQ(dde::kFack, Echo(other, "http://a/", 1));
  EXPECT_EQ(dde::kFack, Echo(other, "http://b/", 2));
  clock.Advance(600);
  browser.Call([](BrowserPeer& p) { p.SetWindow(1, "http://a/", "Title A"); });
  EXPECT_EQ(dde::kFack, Echo(other, "http://a/", 1, ",1"));
  EXPECT_EQ((std::vector<std::string>{"http://a/", "http://b/"}), Urls()) << "no visit";
  EXPECT_EQ("Title A", store.FindPageMarkByUrl("http://a/")->title);
  EXPECT_EQ(store.PageMarks()[0].firstVisited, store.PageMarks()[0].lastVisited);
  EXPECT_EQ("http://b/", store.LastRecordedUrl());

  // A page never recorded is not recorded by its late title.
  browser.Call([](BrowserPeer& p) { p.SetWindow(3, "http://c/", "C"); });
  EXPECT_EQ(dde::kFack, Echo(other, "http://c/", 3, ",1"));
  EXPECT_EQ(2u, store.Count());
}

TEST_F(EchoService, ServedRequestsAnswerInTheirOwnFormats) {
  RawSide browser;
  const uint32_t now = static_cast<uint32_t>(clock.Now());
  const dde::Bytes nowBytes{static_cast<uint8_t>(now), static_cast<uint8_t>(now >> 8),
                            static_cast<uint8_t>(now >> 16), static_cast<uint8_t>(now >> 24)};
  EXPECT_EQ((dde::Bytes{0, 0}),
            Served(browser.Request("HOPWISE1", "WWW_MakingProgress", "1,\"Loading\",50")));
  EXPECT_EQ(nowBytes, Served(browser.Request("HOPWISE1", "WWW_BeginProgress", "1,\"Start\"")));
  EXPECT_EQ((dde::Bytes{0, 0, 0, 0}), Served(browser.Request("HOPWISE1", "WWW_Alert", "\"Hi\",1,0")));
  EXPECT_EQ(nowBytes, Served(browser.Request("HOPWISE1", "www_openurl", "\"http://x/\",,4294967295,0,,,")));
  EXPECT_EQ(std::nullopt, Served(browser.Request("HOPWISE1", "WWW_Version", "")));
  EXPECT_EQ(std::nullopt, Served(browser.Request("HOPWISE1", "WWW_NoSuchVerb", "1")));
  EXPECT_TRUE(Urls().empty());  // a served WWW_OpenURL opens and records nothing
  EXPECT_TRUE(launcher.launches.empty());
}

TEST_F(EchoService, OnlyTheServedPokesAreAcknowledged) {
  RawSide browser;
  EXPECT_EQ(dde::kFack, Served(browser.Poke("HOPWISE1", "WWW_WindowChange", "1,0,10,10,640,480")));
  EXPECT_EQ(dde::kFack, Served(browser.Poke("HOPWISE1", "WWW_EndProgress", "1")));
  EXPECT_EQ(dde::kFack, Served(browser.Poke("HOPWISE1", "WWW_SetProgressRange", "1,100")));
  EXPECT_EQ(0u, Served(browser.Poke("HOPWISE1", "WWW_Exit", "")));
  EXPECT_EQ(0u, Served(browser.Poke("HOPWISE1", "WWW_RegisterURLEcho", "\"X\"")));
}

TEST_F(EchoService, ANameWithoutAnEndpointIsRefused) {
  ASSERT_TRUE(instance.RegisterService("ORPHAN"));
  RawSide browser;
  auto conv = browser.thread.Run([&] { return browser.thread.Instance().Connect("ORPHAN", "WWW_URLEcho"); });
  EXPECT_EQ(0u, Served(std::move(conv)));
  EXPECT_EQ(0u, Served(browser.Poke("ORPHAN", "WWW_URLEcho", "\"http://x/\",,1,")));
}

TEST_F(EchoService, ABrowserConversationLivesFromConfirmationToDisconnection) {
  RawSide browser;
  auto conv = Served(
      browser.thread.Run([&] { return browser.thread.Instance().Connect("HOPWISE1", "WWW_URLEcho"); }));
  ASSERT_NE(0u, conv);
  for (int i = 0; i < 100 && link.ConversationsOf(browserLink->EndpointName()).empty(); ++i)
    instance.Dispatch(), std::this_thread::sleep_for(2ms);
  EXPECT_EQ(1u, link.ConversationsOf(browserLink->EndpointName()).size());
  browser.thread.Call([&] { browser.thread.Instance().Disconnect(conv); });
  for (int i = 0; i < 100 && !link.ConversationsOf(browserLink->EndpointName()).empty(); ++i)
    instance.Dispatch(), std::this_thread::sleep_for(2ms);
  EXPECT_TRUE(link.ConversationsOf(browserLink->EndpointName()).empty());
  EXPECT_EQ(nullptr, link.FindConversation(conv));
}

}  // namespace
