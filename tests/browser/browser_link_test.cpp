#include <gtest/gtest.h>

#include <thread>

#include "browser/link_fixture.h"
#include "browser/verb_table.h"
#include "browser/window_title.h"

namespace {

using namespace std::chrono_literals;

using Endpoint = EndpointFixture;

TEST_F(Endpoint, EndpointsAreNamedByACountThatNeverGoesBack) {
  EXPECT_EQ("HOPWISE1", dde->name());
  EXPECT_TRUE(dde->IsRegistered());
  auto second = std::make_unique<CDDEObject>(link, prefs, launcher);
  EXPECT_EQ("HOPWISE2", second->name());
  EXPECT_TRUE(link.HasEndpoint("HOPWISE2"));
  second.reset();
  EXPECT_FALSE(link.HasEndpoint("HOPWISE2"));
  EXPECT_EQ("HOPWISE3", CDDEObject(link, prefs, launcher).name());

  // Any spelling of the name and any topic are accepted; a withdrawn name is not.
  RawSide client;
  auto accepted = client.thread.Run([&] {
    dde::ConvHandle conv = client.thread.Instance().Connect("hopwise1", "WWW_Anything");
    client.thread.Instance().Disconnect(conv);
    return conv;
  });
  EXPECT_NE(0u, Served(std::move(accepted)));
  auto refused =
      client.thread.Run([&] { return client.thread.Instance().Connect("HOPWISE2", "WWW_URLEcho"); });
  EXPECT_EQ(0u, Served(std::move(refused)));
}

TEST_F(Endpoint, OpenUrlSendsTheUrlUnescapedThenActivateBringsTheWindowForward) {
  std::vector<std::string> opened;
  BrowserPeer::Hooks hooks;
  hooks.openUrl = [&](const std::string& url, uint32_t) {
    opened.push_back(url);
    return 4u;
  };
  PeerThread browser(hooks);
  ASSERT_TRUE(browser.started);
  browser.Call([](BrowserPeer& p) { p.ShowPage(3, "http://three/", "Three"); });

  dde->OpenUrl("http://a/\"q\"");
  EXPECT_EQ(3u, dde->Activate());

  EXPECT_EQ((std::vector<std::string>{"WWW_OpenURL \"http://a/\"q\"\",,4294967295,0,",
                                      "WWW_Activate 4294967295,0,"}),
            browser.Transactions());
  EXPECT_EQ(std::vector<std::string>{"http://a/\"q\""}, browser.Call([&](BrowserPeer&) { return opened; }));
  EXPECT_TRUE(launcher.launches.empty());
  EXPECT_TRUE(link.ConversationsOf(dde->name()).empty());
}

TEST_F(Endpoint, WithoutABrowserOpenUrlLaunchesTheBrowserProgramAndActivateDoesNothing) {
  dde->OpenUrl("http://b/?q=a b");
  EXPECT_EQ(0u, dde->Activate());
  ASSERT_EQ(1u, launcher.launches.size());
  EXPECT_EQ((RecordingLauncher::Launch_{"netscape.exe", "http://b/?q=a b", "/opt/netscape"}),
            launcher.launches[0]);

  prefs.browser.clear();  // nothing configured: nothing to start
  dde->OpenUrl("http://c/");
  EXPECT_EQ(1u, launcher.launches.size());

  prefs.browser = "netscape.exe";
  instance.Interrupt();  // the program is ending: a call cut short starts nothing
  dde->OpenUrl("http://d/");
  EXPECT_EQ(1u, launcher.launches.size());
}

// The address of a menu pick, a Topic link or typed text that the guard refuses reaches neither the
// browser program nor the connected browser; the user is told. The launch itself holds the guard
// too, for a caller that goes to the endpoint directly.
TEST_F(Endpoint, RefusedAddressesGoNowhereAndSayWhy) {
  BrowserLink browserLink(link, prefs, launcher, messages);
  const std::string attack = "--renderer-cmd-prefix=sh -c touch${IFS}/tmp/pwned";
  browserLink.OpenInBrowser(attack);
  browserLink.OpenInBrowser(" -h");
  dde->OpenUrl("	--new-instance");
  dde->OpenUrl("javascript:alert(1)");
  EXPECT_TRUE(launcher.launches.empty());
  ASSERT_EQ(2u, messages.Shown().size());
  EXPECT_NE(std::string::npos, messages.Shown()[0].find('"' + attack + '"')) << messages.Shown()[0];

  std::vector<std::string> opened;
  BrowserPeer::Hooks hooks;
  hooks.openUrl = [&](const std::string& url, uint32_t) {
    opened.push_back(url);
    return 4u;
  };
  PeerThread browser(hooks);
  ASSERT_TRUE(browser.started);
  browserLink.OpenInBrowser("data:text/html,<h1>Your bank</h1>");
  browserLink.OpenInBrowser(attack);
  EXPECT_EQ(std::vector<std::string>{}, browser.Transactions());
  EXPECT_EQ(4u, messages.Shown().size());
  // Nothing to load: the browser is only brought forward.
  browserLink.OpenInBrowser("");
  EXPECT_EQ(std::vector<std::string>{"WWW_Activate 4294967295,0,"}, browser.Transactions());
  EXPECT_TRUE(launcher.launches.empty());
}

TEST_F(Endpoint, GetWindowInfoAsksBySignedIdAndTrimsTheCaption) {
  PeerThread browser;
  browser.Call([](BrowserPeer& p) {
    p.ShowPage(7, "http://seven/", "Seven");
    p.ShowPage(0x80000000u, "http://big/", "Big");
    p.ShowPage(9, "http://nine/", "");
  });

  WindowInfo seven = dde->GetWindowInfo(7);
  EXPECT_EQ("http://seven/", seven.url);
  EXPECT_EQ("Seven", seven.title);
  WindowInfo latest = dde->GetWindowInfo(0);
  EXPECT_EQ("http://nine/", latest.url);
  EXPECT_EQ("", latest.title);
  EXPECT_EQ("Big", dde->GetWindowInfo(0x80000000u).title);
  WindowInfo unknown = dde->GetWindowInfo(12);
  EXPECT_EQ("", unknown.url);
  EXPECT_EQ("", unknown.title);

  EXPECT_EQ((std::vector<std::string>{"WWW_GetWindowInfo 7", "WWW_GetWindowInfo 4294967295",
                                      "WWW_GetWindowInfo -2147483648", "WWW_GetWindowInfo 12"}),
            browser.Transactions());
  EXPECT_TRUE(link.ConversationsOf(dde->name()).empty());
}

TEST_F(Endpoint, UrlsAndTitlesOfAnyLengthAreCarried) {
  const std::string url = "http://long/" + std::string(300, 'u');
  const std::string title(70000, 't');
  PeerThread browser;
  browser.Call([&](BrowserPeer& p) { p.ShowPage(1, url, title); });
  WindowInfo info = dde->GetWindowInfo(1);
  EXPECT_EQ(url, info.url);
  EXPECT_EQ(title, info.title);
}

TEST(WindowTitle, DropsTheFirstTwelveAndTheLastCharacterOfTheCaption) {
  EXPECT_EQ("Home", TitleFromCaption("Netscape - [Home]"));
  EXPECT_EQ("", TitleFromCaption("Netscape - []"));    // 13 characters
  EXPECT_EQ("A", TitleFromCaption("Netscape - [A]"));  // 14 characters: the 13th
  EXPECT_EQ("", TitleFromCaption("Netscape - ["));
  EXPECT_EQ("", TitleFromCaption(""));
  EXPECT_EQ("indo", TitleFromCaption("Some other window"));  // not a browser caption: trimmed all the same
}

TEST_F(Endpoint, AConversationTheBrowserEndsMidRequestIsNotUsedAgain) {
  int asked = 0;
  RawSide* self = nullptr;
  RawSide browser([&](const dde::Transaction& t) {
    dde::Result r;
    if (t.type == dde::TransactionType::Connect) r.value = 1;
    if (t.type == dde::TransactionType::Request && ++asked == 1) {
      self->thread.Instance().Disconnect(t.conv);  // the browser walks away before answering
      r.data = dde::Bytes{5, 0, 0, 0};
    } else if (t.type == dde::TransactionType::Request) {
      r.data = dde::Bytes{6, 0, 0, 0};
    }
    return r;
  });
  self = &browser;
  ASSERT_TRUE(browser.Serve("NETSCAPE"));

  EXPECT_EQ(0u, dde->Activate());
  EXPECT_TRUE(link.ConversationsOf(dde->name()).empty());
  EXPECT_EQ(6u, dde->Activate());
  EXPECT_TRUE(link.ConversationsOf(dde->name()).empty());
}

TEST_F(Endpoint, ASlowBrowserCountsAsNoAnswer) {
  dde::Instance impatientInstance;
  DdeLink impatient(impatientInstance, DdeTimeouts{.transactionMs = 100});
  ASSERT_TRUE(impatient.Initialize());
  CDDEObject endpoint(impatient, prefs, launcher);
  RawSide browser([](const dde::Transaction& t) {
    dde::Result r;
    if (t.type == dde::TransactionType::Connect) r.value = 1;
    if (t.type == dde::TransactionType::Request) {
      std::this_thread::sleep_for(400ms);
      r.data = dde::Bytes{'"', 'u', '"', ',', '"', 'x', '"', 0};
    }
    return r;
  });
  ASSERT_TRUE(browser.Serve("NETSCAPE"));
  WindowInfo info = endpoint.GetWindowInfo(1);
  EXPECT_EQ("", info.url);
  EXPECT_TRUE(impatient.ConversationsOf(endpoint.name()).empty());
}

TEST_F(Endpoint, DestroyingAnEndpointEndsItsOwnConversationsOnlyAndWithdrawsTheName) {
  CDDEObject second(link, prefs, launcher);
  RawSide client;
  auto connect = [&](const std::string& name) {
    return Served(client.thread.Run([&] { return client.thread.Instance().Connect(name, "WWW_URLEcho"); }));
  };
  const dde::ConvHandle conv = connect("HOPWISE1");
  const dde::ConvHandle other = connect("HOPWISE2");
  ASSERT_NE(0u, conv);
  ASSERT_NE(0u, other);
  EXPECT_EQ(std::vector<dde::ConvHandle>{conv}, link.ConversationsOf(dde->name()));
  EXPECT_EQ(std::vector<dde::ConvHandle>{other}, link.ConversationsOf(second.name()));

  dde.reset();
  EXPECT_EQ(nullptr, link.FindConversation(conv));
  ASSERT_NE(nullptr, link.FindConversation(other));
  EXPECT_EQ("HOPWISE2", link.FindConversation(other)->holder);
  auto connected = [&](dde::ConvHandle c) {
    return client.thread.Call([&] { return client.thread.Instance().IsConnected(c); });
  };
  for (int i = 0; i < 200 && connected(conv); ++i) std::this_thread::sleep_for(5ms);
  EXPECT_FALSE(connected(conv));
  EXPECT_TRUE(connected(other));
  EXPECT_EQ(0u,
            client.thread.Call([&] { return client.thread.Instance().Connect("HOPWISE1", "WWW_URLEcho"); }));
}

}  // namespace
