#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

// What the bridge knows of the browser's tabs, and when a tab's page is due to be echoed.
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

// A page to announce to the echo servers.
struct PageEcho {
  uint32_t tabId;
  std::string url;

  bool operator==(const PageEcho&) const = default;
};

class TabTable {
 public:
  struct Tab {
    uint32_t windowId = 0;
    std::string url;
    std::string title;
    bool complete = false;
    std::optional<Clock::time_point> completeSince;  // first report of the load's end
    std::string staleTitle;                          // the previous page's title
    std::string echoedUrl;                           // the page last echoed for this tab
  };

  // How long a finished page waits for a real title before it is echoed with what it has.
  explicit TabTable(std::chrono::milliseconds grace = std::chrono::milliseconds(1000)) : titleGrace(grace) {}

  // Takes a tab's new state; returns the echo it makes due (at most one).
  std::vector<PageEcho> Update(const TabReport& report, Clock::time_point now);
  // The full list of tabs after a (re)connect: tabs not in it are gone.
  std::vector<PageEcho> Snapshot(const std::vector<TabReport>& tabs, std::optional<uint32_t> focusedWindow,
                                 Clock::time_point now);
  void Remove(uint32_t tabId);
  void Activate(uint32_t tabId, uint32_t windowId);
  // A browser window got the focus. Focus leaving the browser keeps the last one.
  void Focus(uint32_t windowId);

  // Echoes whose wait for a title ran out by now.
  std::vector<PageEcho> TakeDue(Clock::time_point now);
  // When TakeDue next has something to give.
  std::optional<Clock::time_point> NextDeadline() const;

  // The tab with this id; kAnyWindow gives the active tab of the last focused window (else the
  // tab activated last). Nothing when there is no such tab.
  std::optional<uint32_t> Resolve(uint32_t id) const;
  const Tab* Find(uint32_t id) const;
  size_t Size() const { return tabs.size(); }

  // Only web pages and local files are echoed, never the browser's own pages.
  static bool IsEchoedScheme(const std::string& url);

 private:
  std::optional<Clock::time_point> EchoDeadline(const Tab& tab) const;
  std::vector<PageEcho> Evaluate(uint32_t tabId, Tab& tab, Clock::time_point now);
  void NoteActive(uint32_t tabId, uint32_t windowId);

  std::chrono::milliseconds titleGrace;
  std::map<uint32_t, Tab> tabs;
  std::map<uint32_t, uint32_t> activeTab;   // window id -> its selected tab
  std::map<uint32_t, uint64_t> activation;  // tab id -> when it was last activated (a sequence)
  uint64_t activationCount = 0;
  std::optional<uint32_t> focusedWindow;
};

}  // namespace bridge
