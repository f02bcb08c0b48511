#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// What the bridge knows of one browser's tabs, and when a tab's page is due to be echoed.
// Hopwise sees a tab as a browser window: the tab id is the window id of the echoes.
namespace bridge {

using Clock = std::chrono::steady_clock;

// The window id that means "the window the user is looking at".
inline constexpr uint32_t kAnyWindow = 4294967295u;

// One tab as the extension reports it: its whole current state.
struct TabReport {
  uint32_t tabId = 0;
  uint32_t windowId = 0;
  std::string url;
  std::string title;
  bool complete = false;  // the page has finished loading
  bool active = false;    // the selected tab of its window
  bool echoed = false;    // an earlier host of this browser session already echoed this page
};

// A page to announce to the echo servers, with the title it has now.
struct PageEcho {
  uint32_t tabId = 0;
  std::string url;
  std::string title;
  bool retitle = false;  // the page was echoed before: this echo brings a title that came later

  bool operator==(const PageEcho&) const = default;
};

// How long the table waits for titles.
struct TitleTimes {
  // A loaded page whose tab still shows no title of the page's own is echoed this long after the
  // load ended, with what it shows.
  std::chrono::milliseconds grace{1000};
  // A page whose tab still shows the previous page's title (after history.pushState the title
  // changes only when the page sets it, in a background tab a second later or more) waits this
  // long after the load ended for a title of its own, then is echoed with that one.
  std::chrono::milliseconds staleGrace{3000};
  // A title that changes after the echo is echoed again once it has held this long, so that a
  // title that keeps changing (a clock, a counter) is not. A title that replaces a stand-in the
  // page was echoed with goes at once: the user may leave the page before it would have held.
  std::chrono::milliseconds settle{2000};
  // Late titles sent again for one page at most.
  int retitles = 3;
};

class TabTable {
 public:
  // The document a tab shows. A change of the address's fragment alone stays on the same page.
  struct Page {
    std::string url;         // the address it came with
    std::string staleTitle;  // the title the tab showed before: the previous page's, not this one's
    bool complete = false;
    std::optional<Clock::time_point> completeSince;  // first report of the load's end
    std::optional<Clock::time_point> titleSince;     // when the tab's title last changed
    bool echoed = false;
    std::vector<std::string> sentTitles;  // the titles its echoes brought
    std::string lastSent;                 // the title its last echo brought
    int retitles = 0;
  };
  struct Tab {
    uint32_t windowId = 0;
    std::string url;    // the address the tab shows now
    std::string title;  // the title it shows now
    Page page;
  };

  // Tabs kept at most; a browser's further tabs are not served.
  static constexpr size_t kMaxTabs = 10000;

  explicit TabTable(TitleTimes waits = {}) : times(waits) {}

  // Takes a tab's new state; returns the echo it makes due (at most one).
  std::vector<PageEcho> Update(const TabReport& report, Clock::time_point now);
  // The full list of tabs after a (re)connect: tabs not in it are gone.
  std::vector<PageEcho> Snapshot(const std::vector<TabReport>& tabs, std::optional<uint32_t> focusedWindow,
                                 Clock::time_point now);
  void Remove(uint32_t tabId);
  void Activate(uint32_t tabId, uint32_t windowId);
  // A browser window got the focus. Focus leaving the browser keeps the last one.
  void Focus(uint32_t windowId);

  // Echoes whose wait ran out by now.
  std::vector<PageEcho> TakeDue(Clock::time_point now);
  // When TakeDue next has something to give.
  std::optional<Clock::time_point> NextDeadline() const;
  // The echo went out with this title (the tab's title may have changed since it fell due).
  void NoteSent(uint32_t tabId, const std::string& url, const std::string& title);
  // The page each tab shows that has been echoed, the tab activated last at the end.
  std::vector<PageEcho> EchoedPages() const;

  // The tab with this id; kAnyWindow gives the active tab of the last focused window (else the
  // tab activated last). Nothing when there is no such tab.
  std::optional<uint32_t> Resolve(uint32_t id) const;
  const Tab* Find(uint32_t id) const;
  size_t Size() const { return tabs.size(); }
  std::vector<uint32_t> Ids() const;

  // Only web pages and local files are echoed, never the browser's own pages.
  static bool IsEchoedScheme(const std::string& url);
  // True when the addresses differ in their fragment at most: the same document.
  static bool SamePage(const std::string& a, const std::string& b);

 private:
  void TakeReport(Tab& tab, const TabReport& report, bool added, Clock::time_point now);
  std::optional<Clock::time_point> EchoDeadline(const Tab& tab) const;
  std::optional<Clock::time_point> RetitleDeadline(const Tab& tab) const;
  std::vector<PageEcho> Evaluate(uint32_t tabId, Tab& tab, Clock::time_point now);
  void NoteActive(uint32_t tabId, uint32_t windowId);

  TitleTimes times;
  std::map<uint32_t, Tab> tabs;
  std::map<uint32_t, uint32_t> activeTab;   // window id -> its selected tab
  std::map<uint32_t, uint64_t> activation;  // tab id -> when it was last activated (a sequence)
  uint64_t activationCount = 0;
  std::optional<uint32_t> focusedWindow;
};

}  // namespace bridge
