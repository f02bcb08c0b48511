#include "bridge/host/tab_table.h"

#include <algorithm>
#include <set>

#include "bridge/host/placeholder_title.h"

namespace bridge {
namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
  return text;
}

}  // namespace

bool TabTable::IsEchoedScheme(const std::string& url) {
  const auto colon = url.find(':');
  if (colon == std::string::npos) return false;
  const std::string scheme = Lower(url.substr(0, colon));
  return scheme == "http" || scheme == "https" || scheme == "ftp" || scheme == "file";
}

std::vector<PageEcho> TabTable::Update(const TabReport& report, Clock::time_point now) {
  auto [it, added] = tabs.try_emplace(report.tabId);
  Tab& tab = it->second;
  if (!added && tab.windowId != report.windowId) {
    auto old = activeTab.find(tab.windowId);
    if (old != activeTab.end() && old->second == report.tabId) activeTab.erase(old);
  }
  tab.windowId = report.windowId;
  if (added || tab.url != report.url) {
    tab.staleTitle = added ? std::string() : tab.title;
    tab.url = report.url;
    tab.complete = false;
    tab.completeSince.reset();
  }
  tab.title = report.title;
  if (report.complete && !tab.complete) tab.completeSince = now;
  tab.complete = report.complete;
  if (report.echoed) tab.echoedUrl = report.url;
  if (report.active) NoteActive(report.tabId, report.windowId);
  return Evaluate(report.tabId, tab, now);
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

std::optional<Clock::time_point> TabTable::EchoDeadline(const Tab& tab) const {
  if (tab.url == tab.echoedUrl || !IsEchoedScheme(tab.url)) return std::nullopt;
  // A title the old page left behind counts only once the new page has loaded.
  const bool titleKnown = !IsPlaceholderTitle(tab.url, tab.title) && (tab.title != tab.staleTitle || tab.complete);
  if (titleKnown) return Clock::time_point::min();
  if (tab.completeSince) return *tab.completeSince + titleGrace;
  return std::nullopt;
}

std::vector<PageEcho> TabTable::Evaluate(uint32_t tabId, Tab& tab, Clock::time_point now) {
  const auto deadline = EchoDeadline(tab);
  if (!deadline || *deadline > now) return {};
  tab.echoedUrl = tab.url;
  return {PageEcho{tabId, tab.url}};
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

const TabTable::Tab* TabTable::Find(uint32_t id) const {
  const auto resolved = Resolve(id);
  if (!resolved) return nullptr;
  return &tabs.at(*resolved);
}

}  // namespace bridge
