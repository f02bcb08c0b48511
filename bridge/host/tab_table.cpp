#include "bridge/host/tab_table.h"

#include <algorithm>
#include <set>

#include "store/placeholder_title.h"

namespace bridge {
namespace {

// The titles kept per page to recognise one that comes back (a title that cycles).
constexpr size_t kSentTitlesKept = 16;

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return text;
}

bool Contains(const std::vector<std::string>& titles, const std::string& title) {
  return std::find(titles.begin(), titles.end(), title) != titles.end();
}

}  // namespace

bool TabTable::IsEchoedScheme(const std::string& url) {
  const auto colon = url.find(':');
  if (colon == std::string::npos) return false;
  const std::string scheme = Lower(url.substr(0, colon));
  return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "file";
}

bool TabTable::SamePage(const std::string& a, const std::string& b) {
  return a.substr(0, a.find('#')) == b.substr(0, b.find('#'));
}

std::vector<PageEcho> TabTable::Update(const TabReport& report, Clock::time_point now) {
  if (tabs.size() >= kMaxTabs && !tabs.count(report.tabId)) return {};
  auto [it, added] = tabs.try_emplace(report.tabId);
  Tab& tab = it->second;
  if (!added && tab.windowId != report.windowId) {
    auto old = activeTab.find(tab.windowId);
    if (old != activeTab.end() && old->second == report.tabId) activeTab.erase(old);
  }
  tab.windowId = report.windowId;
  TakeReport(tab, report, added, now);
  if (report.active) NoteActive(report.tabId, report.windowId);
  return Evaluate(report.tabId, tab, now);
}

// A new address starts a new page, unless only its fragment changed: a jump within the document
// (a contents link, a footnote) is no new page to record.
void TabTable::TakeReport(Tab& tab, const TabReport& report, bool added, Clock::time_point now) {
  if (added || !SamePage(tab.url, report.url)) {
    Page page;
    page.url = report.url;
    page.staleTitle = added ? std::string() : tab.title;
    page.titleSince = now;
    tab.page = std::move(page);
  }
  if (report.title != tab.title) tab.page.titleSince = now;
  tab.url = report.url;
  tab.title = report.title;
  if (report.complete && !tab.page.completeSince) tab.page.completeSince = now;
  tab.page.complete = report.complete;
  if (report.echoed && !tab.page.echoed) {
    tab.page.echoed = true;
    tab.page.sentTitles = {report.title};
    tab.page.lastSent = report.title;
  }
}

std::vector<PageEcho> TabTable::Snapshot(const std::vector<TabReport>& reports,
                                         std::optional<uint32_t> focused, Clock::time_point now) {
  std::set<uint32_t> present;
  for (const auto& report : reports) present.insert(report.tabId);
  for (auto it = tabs.begin(); it != tabs.end();) {
    const uint32_t id = it->first;
    ++it;
    if (!present.count(id)) Remove(id);
  }
  if (focused) Focus(*focused);
  std::vector<PageEcho> echoes;
  for (const auto& report : reports) {
    for (auto& echo : Update(report, now)) echoes.push_back(std::move(echo));
  }
  return echoes;
}

void TabTable::Remove(uint32_t tabId) {
  tabs.erase(tabId);
  activation.erase(tabId);
  std::erase_if(activeTab, [&](const auto& entry) { return entry.second == tabId; });
}

void TabTable::Activate(uint32_t tabId, uint32_t windowId) {
  auto it = tabs.find(tabId);
  if (it != tabs.end() && it->second.windowId != windowId) return;  // a stale event
  NoteActive(tabId, windowId);
}

void TabTable::Focus(uint32_t windowId) {
  focusedWindow = windowId;
  auto it = activeTab.find(windowId);
  if (it != activeTab.end()) activation[it->second] = ++activationCount;
}

void TabTable::NoteActive(uint32_t tabId, uint32_t windowId) {
  activeTab[windowId] = tabId;
  activation[tabId] = ++activationCount;
}

// A page's first echo waits for a title of its own: one that is no stand-in for the address and
// not the title the previous page left (after history.pushState the tab shows the old page's
// title until the page sets its own). Without one, the page is echoed with what the tab shows
// once the grace after the load's end has passed.
std::optional<Clock::time_point> TabTable::EchoDeadline(const Tab& tab) const {
  if (!IsEchoedScheme(tab.page.url)) return std::nullopt;
  if (tab.page.echoed) return RetitleDeadline(tab);
  const bool placeholder = IsPlaceholderTitle(tab.url, tab.title);
  const bool stale = tab.title == tab.page.staleTitle;
  if (!placeholder && !stale) return Clock::time_point::min();
  if (!tab.page.completeSince) return std::nullopt;
  return *tab.page.completeSince + (placeholder ? times.grace : times.staleGrace);
}

// A title that changes after the echo is echoed again once it has settled, or at once when the
// last echo brought only a stand-in. Never a stand-in, never a title this page's echoes brought
// before (a title that cycles), and only a few times per page.
std::optional<Clock::time_point> TabTable::RetitleDeadline(const Tab& tab) const {
  const Page& page = tab.page;
  if (page.retitles >= times.retitles || IsPlaceholderTitle(tab.url, tab.title) ||
      Contains(page.sentTitles, tab.title))
    return std::nullopt;
  if (IsPlaceholderTitle(page.url, page.lastSent)) return Clock::time_point::min();
  return page.titleSince.value_or(Clock::time_point::min()) + times.settle;
}

std::vector<PageEcho> TabTable::Evaluate(uint32_t tabId, Tab& tab, Clock::time_point now) {
  const auto deadline = EchoDeadline(tab);
  if (!deadline || *deadline > now) return {};
  const bool retitle = tab.page.echoed;
  tab.page.echoed = true;
  if (retitle) ++tab.page.retitles;
  NoteSent(tabId, tab.page.url, tab.title);
  return {PageEcho{tabId, tab.page.url, tab.title, retitle}};
}

void TabTable::NoteSent(uint32_t tabId, const std::string& url, const std::string& title) {
  auto it = tabs.find(tabId);
  if (it == tabs.end() || it->second.page.url != url) return;
  it->second.page.lastSent = title;
  std::vector<std::string>& sent = it->second.page.sentTitles;
  if (Contains(sent, title)) return;
  sent.push_back(title);
  if (sent.size() > kSentTitlesKept) sent.erase(sent.begin());
}

std::vector<PageEcho> TabTable::TakeDue(Clock::time_point now) {
  std::vector<PageEcho> echoes;
  for (auto& [id, tab] : tabs) {
    for (auto& echo : Evaluate(id, tab, now)) echoes.push_back(std::move(echo));
  }
  return echoes;
}

std::optional<Clock::time_point> TabTable::NextDeadline() const {
  std::optional<Clock::time_point> next;
  for (const auto& [id, tab] : tabs) {
    const auto deadline = EchoDeadline(tab);
    if (deadline && (!next || *deadline < *next)) next = deadline;
  }
  return next;
}

std::vector<PageEcho> TabTable::EchoedPages() const {
  std::vector<std::pair<uint64_t, PageEcho>> pages;
  for (const auto& [id, tab] : tabs) {
    if (!tab.page.echoed || !IsEchoedScheme(tab.page.url)) continue;
    const auto seq = activation.find(id);
    pages.push_back({seq == activation.end() ? 0 : seq->second, PageEcho{id, tab.page.url, tab.title}});
  }
  std::stable_sort(pages.begin(), pages.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<PageEcho> ordered;
  for (auto& [seq, page] : pages) ordered.push_back(std::move(page));
  return ordered;
}

std::optional<uint32_t> TabTable::Resolve(uint32_t id) const {
  if (id != kAnyWindow) {
    if (tabs.count(id)) return id;
    return std::nullopt;
  }
  if (focusedWindow) {
    auto it = activeTab.find(*focusedWindow);
    if (it != activeTab.end() && tabs.count(it->second)) return it->second;
  }
  std::optional<uint32_t> latest;
  uint64_t latestSeq = 0;
  for (const auto& [tabId, seq] : activation) {
    if (seq > latestSeq && tabs.count(tabId)) {
      latest = tabId;
      latestSeq = seq;
    }
  }
  return latest;
}

std::vector<uint32_t> TabTable::Ids() const {
  std::vector<uint32_t> ids;
  for (const auto& [id, tab] : tabs) ids.push_back(id);
  return ids;
}

const TabTable::Tab* TabTable::Find(uint32_t id) const {
  const auto resolved = Resolve(id);
  if (!resolved) return nullptr;
  return &tabs.at(*resolved);
}

}  // namespace bridge
