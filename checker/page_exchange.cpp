#include "checker/page_exchange.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>
#include <string_view>

#include "store/http_date.h"

namespace {

// Sizes this far apart or more mean the page changed.
constexpr uint32_t kSizeChange = 6;

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

// Whether the Last-Modified text names a later second than the last visit. The fields start as
// 1970-01-01 00:00:00, so a month name that is not known reads as January.
bool ChangedSinceVisit(const std::string& lastModified, Time32 lastVisited) {
  CalendarFields fields;
  ParseHttpDate(lastModified, fields);
  return lastVisited < HttpDateToTime(fields);
}

struct SizeDecision {
  bool store = false;
  bool updated = false;
  uint32_t size = 0;
};

SizeDecision DecideSize(uint32_t stored, uint64_t measured) {
  const uint32_t size =
      static_cast<uint32_t>(std::min<uint64_t>(measured, std::numeric_limits<uint32_t>::max()));
  const uint32_t apart = size > stored ? size - stored : stored - size;
  if (stored == 0) return {size != 0, false, size};
  if (apart >= kSizeChange) return {true, true, size};
  return {};
}

enum class Step { kGoOn, kEndHere, kStop };

// The GET half of the exchange, for a server that sent no Last-Modified.
Step MeasureBody(CheckRun& run, ItemKey item, const ItemFacts& page) {
  HttpResponse answer;
  const HttpOutcome outcome = run.Session().Perform(HttpVerb::kGet, page.url, answer);
  if (outcome == HttpOutcome::kAborted) return Step::kStop;
  if (outcome == HttpOutcome::kFailed) {
    run.View().SetVerdict(item, Verdict::kUnreachable);
    return Step::kEndHere;
  }
  const SizeDecision decision = DecideSize(page.size, answer.bodyLength);
  if (decision.store && !run.View().StoreSize(item, decision.size)) return Step::kEndHere;  // gone
  if (decision.updated) run.View().SetVerdict(item, Verdict::kUpdated);
  return Step::kGoOn;
}

}  // namespace

bool IsCheckedUrl(const std::string& url, bool checkSecurePages) {
  const size_t colon = url.find(':');
  if (colon == std::string::npos || url.compare(colon + 1, 2, "//") != 0) return false;
  const size_t server = colon + 3;
  if (server >= url.size() || url.find_first_of("/?#", server) == server) return false;
  const std::string scheme = LowerCase(std::string_view(url).substr(0, colon));
  return scheme == "http" || (checkSecurePages && scheme == "https");
}

WalkEnd CheckOnePageMark(CheckRun& run, ItemKey item, const ItemFacts& page,
                         const std::function<void()>& afterUpdateDecision) {
  if (!IsCheckedUrl(page.url, run.CheckSecurePages())) return WalkEnd::kCompleted;
  CheckView& view = run.View();
  HttpResponse head;
  const HttpOutcome outcome = run.Session().Perform(HttpVerb::kHead, page.url, head);
  if (outcome == HttpOutcome::kAborted) return WalkEnd::kStopped;
  if (outcome == HttpOutcome::kFailed) {
    view.SetVerdict(item, Verdict::kUnreachable);
    return WalkEnd::kCompleted;
  }
  if (run.StopRequested()) return WalkEnd::kStopped;

  if (!head.lastModified.empty()) {
    if (ChangedSinceVisit(head.lastModified, page.lastVisited)) view.SetVerdict(item, Verdict::kUpdated);
  } else if (const Step step = MeasureBody(run, item, page); step != Step::kGoOn) {
    return step == Step::kStop ? WalkEnd::kStopped : WalkEnd::kCompleted;
  }
  if (afterUpdateDecision) afterUpdateDecision();
  if (head.status.empty() || head.status.front() != '2') view.SetVerdict(item, Verdict::kBadStatus);
  return WalkEnd::kCompleted;
}

WalkEnd CheckTreeEntry(CheckRun& run, ItemKey item, const ItemFacts& page,
                       const std::function<void()>& afterUpdateDecision) {
  if (!IsCheckedUrl(page.url, run.CheckSecurePages())) return WalkEnd::kCompleted;
  run.View().SetVerdict(item, Verdict::kUnchanged);
  run.View().SetStatusText("Checking " + page.url + "...");
  return CheckOnePageMark(run, item, page, afterUpdateDecision);
}
