// What the tab table makes of tab events recorded from real browsers: every message the extension
// sent while headless Chromium 156 and Firefox ESR 153 showed the pages of a small test server
// (recorded/*.jsonl, each message with the milliseconds since the first). Both must give the same
// echoes.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>

#include "bridge/host/messages.h"
#include "bridge/host/tab_table.h"

namespace bridge {
namespace {

using namespace std::chrono_literals;

const std::string kServer = "http://127.0.0.1:18432";

struct SeenEcho {
  Clock::duration at;
  PageEcho echo;
};

std::vector<PageEcho> Apply(TabTable& table, const BrowserMessage& message, Clock::time_point now) {
  if (const auto* snapshot = std::get_if<SnapshotMessage>(&message))
    return table.Snapshot(snapshot->tabs, snapshot->focusedWindow, now);
  if (const auto* tab = std::get_if<TabMessage>(&message)) return table.Update(tab->tab, now);
  if (const auto* removed = std::get_if<RemovedMessage>(&message)) table.Remove(removed->tabId);
  if (const auto* activated = std::get_if<ActivatedMessage>(&message))
    table.Activate(activated->tabId, activated->windowId);
  if (const auto* focused = std::get_if<FocusedMessage>(&message)) table.Focus(focused->windowId);
  return {};
}

// Replays a recording, looking for due echoes every 50 ms as the host's loop would, until the
// last message (the pages went on changing titles until the browser ended).
std::vector<SeenEcho> Replay(const std::string& name) {
  std::ifstream in(std::string(BRIDGE_RECORDED_DIR) + "/" + name);
  EXPECT_TRUE(in.good()) << name;
  TabTable table;
  const Clock::time_point start = Clock::time_point() + 1h;
  Clock::time_point now = start;
  std::vector<SeenEcho> seen;
  auto keep = [&](const std::vector<PageEcho>& echoes) {
    for (const auto& echo : echoes) seen.push_back({now - start, echo});
  };
  auto advanceTo = [&](Clock::time_point to) {
    for (; now + 50ms < to; now += 50ms) keep(table.TakeDue(now));
    now = to;
    keep(table.TakeDue(now));
  };
  for (std::string line; std::getline(in, line);) {
    const auto record = nlohmann::json::parse(line);
    advanceTo(start + std::chrono::milliseconds(record["at"].get<int64_t>()));
    std::string error;
    const auto message = ParseBrowserMessage(record["message"].dump(), &error);
    if (message) keep(Apply(table, *message, now));
  }
  return seen;
}

// When the recording first shows the page with this title.
Clock::duration FirstShown(const std::string& name, const std::string& url, const std::string& title) {
  std::ifstream in(std::string(BRIDGE_RECORDED_DIR) + "/" + name);
  for (std::string line; std::getline(in, line);) {
    const auto record = nlohmann::json::parse(line);
    const auto& message = record["message"];
    if (message.value("url", "") == url && message.value("title", "") == title)
      return std::chrono::milliseconds(record["at"].get<int64_t>());
  }
  return Clock::duration::max();
}

class RecordedTabs : public ::testing::TestWithParam<std::string> {
 protected:
  std::vector<std::string> Titles(const std::function<bool(const std::string&)>& isPage) const {
    std::vector<std::string> titles;
    for (const auto& seen : echoes) {
      if (isPage(seen.echo.url)) titles.push_back(seen.echo.title);
    }
    return titles;
  }
  std::vector<std::string> Titles(const std::string& path) const {
    return Titles([&](const std::string& url) { return url == kServer + path; });
  }

  const std::vector<SeenEcho> echoes = Replay(GetParam());
};

using Shown = std::vector<std::string>;

TEST_P(RecordedTabs, EachPageIsEchoedFirstWithATitleOfItsOwn) {
  EXPECT_EQ(Titles("/wiki/Cr%C3%A8me_br%C3%BBl%C3%A9e"), Shown{"Crème brûlée"});
  EXPECT_EQ(Titles("/search?q=%C3%A9"), Shown{"Search: é"});
  EXPECT_EQ(Titles([](const std::string& url) { return url.rfind(kServer + "/long3?", 0) == 0; }),
            Shown{"Long Address"});
  EXPECT_EQ(Titles([](const std::string& url) { return url.rfind(kServer + "/long5?", 0) == 0; }),
            Shown{"Longer Address"});
  EXPECT_EQ(Titles([](const std::string& url) { return url.rfind("file:", 0) == 0; }),
            Shown{"File Titled Late"});
  // history.pushState: the new address keeps the old page's title until the page sets its own.
  EXPECT_EQ(Titles("/push"), Shown{"Before Push"});
  EXPECT_EQ(Titles("/pushed"), Shown{"After Push"});
  // A jump to a fragment of the page is no new page.
  EXPECT_EQ(Titles("/hash"), Shown{"Hash Page"});
  EXPECT_EQ(Titles("/hash#b"), Shown{});
}

TEST_P(RecordedTabs, ATitleThatComesAfterTheEchoIsEchoedAgain) {
  EXPECT_EQ(Titles("/late"), (Shown{"Loading...", "Dashboard Ready"}));
  // Untitled until a script sets a title 2.5 s after the load: the stand-in first, then the title
  // as soon as the browser shows it (a title that replaces a real one waits to hold).
  EXPECT_EQ(Titles("/scripted"), (Shown{"127.0.0.1:18432/scripted", "Set By Script"}));
  const auto titled = std::find_if(echoes.begin(), echoes.end(), [](const SeenEcho& seen) {
    return seen.echo.url == kServer + "/scripted" && seen.echo.retitle;
  });
  ASSERT_NE(titled, echoes.end());
  EXPECT_EQ(titled->at, FirstShown(GetParam(), kServer + "/scripted", "Set By Script"));
}

TEST_P(RecordedTabs, TitlesThatKeepChangingAreNotEchoedAgain) {
  EXPECT_EQ(Titles("/clock"), Shown{"0"}) << "a clock ticking every second never settles";
  const Shown blink = Titles("/blink");
  ASSERT_FALSE(blink.empty());
  EXPECT_EQ(blink[0], "Chat");
  EXPECT_LE(blink.size(), 2u) << "a title going back to one echoed before is not echoed again";
  // A late title comes a second or more after the tab's previous echo.
  std::map<uint32_t, Clock::duration> last;
  for (const auto& seen : echoes) {
    if (seen.echo.retitle) {
      EXPECT_GE(seen.at - last[seen.echo.tabId], 1s) << seen.echo.url;
    }
    last[seen.echo.tabId] = seen.at;
  }
}

INSTANTIATE_TEST_SUITE_P(Browsers, RecordedTabs,
                         ::testing::Values("chromium_tabs.jsonl", "firefox_tabs.jsonl"),
                         [](const auto& test) { return test.param.substr(0, test.param.find('_')); });

}  // namespace
}  // namespace bridge
