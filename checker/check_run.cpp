#include "checker/check_run.h"

#include <algorithm>

namespace {

constexpr std::chrono::seconds kLongestWait{1};

}  // namespace

CheckRun::CheckRun(CheckView& view, PagePool& pool, const std::atomic<bool>& stopRequested,
                   const CheckScope& scope, bool checkSecurePages, const CheckLimits& limits)
    : view_(view),
      pool_(pool),
      stopRequested_(stopRequested),
      scope_(scope),
      checkSecurePages_(checkSecurePages),
      limits_(limits) {}

void CheckRun::Add(ItemKey item, const ItemFacts& page, std::function<void()> afterUpdateDecision) {
  const bool checked = IsCheckedUrl(page.url, checkSecurePages_);
  if (!checked && !counted_) return;
  ++total_;
  queue_.push_back(
      Queued{item, page, checked ? HostOf(page.url) : std::string(), std::move(afterUpdateDecision)});
}

WalkEnd CheckRun::CheckQueued() {
  while (!StopRequested()) {
    StartWhatMayStart();
    if (asking_.empty() && queue_.empty()) return WalkEnd::kCompleted;
    const Clock::time_point now = Clock::now();
    for (const auto& [ticket, answer] : pool_.Wait(NextPlaceFreed(now))) Finish(ticket, answer);
  }
  return WalkEnd::kStopped;
}

void CheckRun::StartWhatMayStart() {
  for (auto next = queue_.begin(); next != queue_.end();) {
    if (StopRequested()) return;
    if (!HostHasRoom(next->host)) {
      ++next;
      continue;
    }
    if (asking_.size() >= static_cast<size_t>(limits_.openPages) ||
        PagesInPlace(Clock::now()) >= static_cast<size_t>(limits_.places))
      return;
    if (Begin(*next))
      next = queue_.erase(next);
    else
      ++next;
  }
}

bool CheckRun::Begin(Queued& next) {
  if (!view_.Describe(next.item, next.page)) {  // gone
    ++finished_;
    return true;
  }
  const bool checked = IsCheckedUrl(next.page.url, checkSecurePages_);
  const std::string host = checked ? HostOf(next.page.url) : std::string();
  if (host != next.host) {
    next.host = host;
    if (!HostHasRoom(host)) return false;
  }
  view_.SetVerdict(next.item, Verdict::kUnchanged, {});
  if (!checked) {
    if (counted_) ShowProgress(next.page.url);
    ++finished_;
    return true;
  }
  const PagePool::Ticket ticket = nextTicket_++;
  const Clock::time_point now = Clock::now();
  if (!pool_.Start(ticket, next.page, now + std::chrono::milliseconds(limits_.pageDeadlineMs))) {
    if (!asking_.empty()) return false;  // it waits for a worker to be free
    view_.SetVerdict(next.item, Verdict::kUnreachable, {"No connection could be opened."});  // no worker
    ++finished_;
    return true;
  }
  asking_.emplace(ticket, Asking{next.item, next.page.url, host, now, std::move(next.after)});
  ++perHost_[host];
  ShowProgress(next.page.url);
  return true;
}

void CheckRun::Finish(PagePool::Ticket ticket, const PageAnswer& answer) {
  auto asked = asking_.find(ticket);
  if (asked == asking_.end()) return;
  const Asking page = std::move(asked->second);
  asking_.erase(asked);
  --perHost_[page.host];
  ++finished_;
  if (StopRequested()) return;
  ShowAnswer(view_, page.item, answer, page.after, (limits_.pageDeadlineMs + 999) / 1000);
  if (!asking_.empty()) ShowProgress({});
}

bool CheckRun::HostHasRoom(const std::string& host) const {
  if (host.empty()) return true;
  const auto found = perHost_.find(host);
  return found == perHost_.end() || found->second < limits_.perHost;
}

size_t CheckRun::PagesInPlace(Clock::time_point now) const {
  const auto place = std::chrono::milliseconds(limits_.placeMs);
  return std::count_if(asking_.begin(), asking_.end(),
                       [&](const auto& asked) { return now < asked.second.started + place; });
}

// When the first page still in its place gives it up; the wait for answers ends then at the latest.
CheckRun::Clock::time_point CheckRun::NextPlaceFreed(Clock::time_point now) const {
  const auto place = std::chrono::milliseconds(limits_.placeMs);
  for (const auto& [ticket, asked] : asking_)
    if (now < asked.started + place) return std::min(asked.started + place, now + kLongestWait);
  return now + kLongestWait;
}

void CheckRun::ShowProgress(const std::string& startedUrl) {
  const std::string& url = asking_.empty() ? startedUrl : asking_.begin()->second.url;
  const std::string text = counted_ ? "Checking " + std::to_string(std::min(finished_ + 1, total_)) + " of " +
                                          std::to_string(total_) + ", " + url
                                    : "Checking " + url + "...";
  if (text == lastText_) return;
  lastText_ = text;
  view_.SetStatusText(text);
}
