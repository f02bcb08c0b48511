#include "store/watched_pages.h"

#include <algorithm>
#include <cctype>

const WatchedPage* WatchedPages::Find(const std::string& url) const {
  auto found = std::find_if(pages_.begin(), pages_.end(), [&](const WatchedPage& p) { return p.url == url; });
  return found == pages_.end() ? nullptr : &*found;
}

WatchedPage* WatchedPages::FindMutable(const std::string& url) {
  return const_cast<WatchedPage*>(Find(url));
}

int WatchedPages::ChangedCount() const {
  return static_cast<int>(
      std::count_if(pages_.begin(), pages_.end(), [](const auto& p) { return p.changed; }));
}

bool WatchedPages::Watch(const std::string& url, const std::string& title) {
  if (!CanWatch(url) || IsWatched(url)) return false;
  WatchedPage page;
  page.url = url;
  page.title = title;
  page.seenAt = clock_.Now();
  pages_.push_back(std::move(page));
  Tell(url);
  return true;
}

void WatchedPages::Unwatch(const std::string& url) {
  if (std::erase_if(pages_, [&](const WatchedPage& p) { return p.url == url; }) > 0) Tell(url);
}

void WatchedPages::PageOpened(const std::string& url, Time32 now) {
  WatchedPage* page = FindMutable(url);
  if (!page) return;
  page->seenAt = std::max(page->seenAt, now);
  if (!page->changed) return;
  page->changed = false;
  Tell(url);
}

void WatchedPages::Retitle(const std::string& url, const std::string& title) {
  WatchedPage* page = FindMutable(url);
  if (!page || title.empty() || page->title == title) return;
  page->title = title;
  Tell(url);
}

WatchReport WatchedPages::TakeAnswers(const std::vector<WatchAnswer>& answers, Time32 now) {
  WatchReport report;
  std::vector<std::string> urls;
  for (const WatchAnswer& answer : answers) {
    WatchedPage* page = FindMutable(answer.url);
    if (!page) continue;
    urls.push_back(answer.url);
    const int told = Take(*page, answer, now);
    if (told == 1) report.changed.push_back(page);
    if (told == 2) report.failing.push_back(page);
  }
  if (!urls.empty()) Tell({});
  return report;
}

int WatchedPages::Take(WatchedPage& page, const WatchAnswer& answer, Time32 now) {
  page.last = answer.finding;
  page.checkedAt = now;
  const uint32_t before = page.size;
  if (answer.sizeMeasured) page.size = answer.size;
  if (answer.finding == WatchFinding::kUnreachable || answer.finding == WatchFinding::kBadStatus) {
    page.status = answer.status;
    if (++page.failedRuns < kFailedRunsReported || page.failureReported) return 0;
    page.failureReported = true;
    return 2;
  }
  page.failedRuns = 0;
  page.failureReported = false;
  if (answer.finding != WatchFinding::kChanged) return 0;
  // The next check compares with the version found now, so one change is found once.
  page.seenAt = std::max(page.seenAt, answer.modified);
  const bool news = !page.changed;
  page.changed = true;
  page.changedAt = answer.modified != 0 ? answer.modified : now;
  page.sizeBefore = answer.sizeMeasured ? before : 0;
  return news ? 1 : 0;
}

void WatchedPages::Reset(std::vector<WatchedPage> pages, Time32 lastRun) {
  pages_ = std::move(pages);
  lastRun_ = lastRun;
  Tell({});
}

void WatchedPages::Tell(const std::string& url) const {
  listeners_.Notify([&](WatchedPagesListener& listener) { listener.OnWatchedPageChanged(url); });
}

bool CanWatch(const std::string& url) {
  const size_t colon = url.find(':');
  if (colon == std::string::npos || url.compare(colon + 1, 2, "//") != 0) return false;
  std::string scheme = url.substr(0, colon);
  std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  const size_t server = colon + 3;
  if (server >= url.size() || url.find_first_of("/?#", server) == server) return false;
  return scheme == "http" || scheme == "https";
}
