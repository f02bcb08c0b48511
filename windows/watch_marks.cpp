#include "windows/watch_marks.h"

#include <algorithm>

#include "windows/shown_text.h"

namespace {

std::string When(Time32 time) {
  return FormatVisitTime(time).toStdString();
}

}  // namespace

Verdict WatchVerdict(const WatchedPage& page) {
  if (page.changed) return Verdict::kUpdated;
  switch (page.last) {
    case WatchFinding::kUnreachable:
      return Verdict::kUnreachable;
    case WatchFinding::kBadStatus:
      return Verdict::kBadStatus;
    default:
      return Verdict::kUnchanged;
  }
}

Verdict ShownVerdict(Verdict fromWindowCheck, const WatchedPage* watched) {
  if (fromWindowCheck != Verdict::kUnchanged || !watched) return fromWindowCheck;
  return WatchVerdict(*watched);
}

namespace {

std::string ChangeText(const WatchedPage& page) {
  if (page.sizeBefore != 0)
    return "Watched: changed, from " + std::to_string(page.sizeBefore) + " to " + std::to_string(page.size) +
           " bytes (found " + When(page.changedAt) + ")";
  return "Watched: changed on " + When(page.changedAt);
}

std::string FindingText(const WatchedPage& page) {
  if (page.changed) return ChangeText(page) + "; open the page to clear the mark";
  const std::string inARow =
      page.failedRuns > 1 ? " (" + std::to_string(page.failedRuns) + " checks in a row)" : std::string();
  switch (page.last) {
    case WatchFinding::kNotChecked:
      return "Watched: not checked yet";
    case WatchFinding::kUnreachable:
      return "Watched: the server could not be reached" + inARow;
    case WatchFinding::kBadStatus:
      return "Watched: the server answered \"" + page.status + "\"" + inARow;
    default:
      return "Watched: no change since " + When(page.seenAt);
  }
}

}  // namespace

std::string WatchTip(const WatchedPage& page) {
  std::string tip = FindingText(page);
  if (page.checkedAt != 0) tip += "\nLast checked " + When(page.checkedAt);
  return tip;
}

namespace {

void CollectLinks(const CTopic& node, std::vector<PageRef>& links) {
  if (!node.isFolder) return links.push_back({node.target, node.name});
  if (node.children)
    for (const std::unique_ptr<CTopic>& child : *node.children) CollectLinks(*child, links);
}

}  // namespace

std::vector<PageRef> LinksOf(const CTopic& node) {
  std::vector<PageRef> links;
  CollectLinks(node, links);
  return links;
}

bool AllWatched(const WatchedPages& watched, const std::vector<PageRef>& pages) {
  return !pages.empty() && std::all_of(pages.begin(), pages.end(),
                                       [&](const PageRef& page) { return watched.IsWatched(page.url); });
}

const char* WatchCommandLabel(const WatchedPages& watched, const std::vector<PageRef>& pages) {
  return AllWatched(watched, pages) ? "Stop Watching" : "Watch for Changes";
}

std::string ToggleWatch(WatchedPages& watched, const std::vector<PageRef>& pages, int32_t hours) {
  if (pages.empty()) return {};
  if (AllWatched(watched, pages)) {
    for (const PageRef& page : pages) watched.Unwatch(page.url);
    return pages.size() == 1 ? "No longer watched."
                             : std::to_string(pages.size()) + " pages no longer watched.";
  }
  int started = 0, refused = 0;
  for (const PageRef& page : pages) {
    if (watched.IsWatched(page.url)) continue;
    if (watched.Watch(page.url, page.title))
      ++started;
    else
      ++refused;
  }
  std::string text = started == 1 ? "Watching 1 page for changes"
                                  : "Watching " + std::to_string(started) + " pages for changes";
  text += hours > 0 ? "; checked every " + std::to_string(hours) + (hours == 1 ? " hour." : " hours.")
                    : "; scheduled checks are off (Preferences).";
  if (refused > 0) text += " Only http and https pages can be watched.";
  return started == 0 ? "Only http and https pages can be watched." : text;
}
