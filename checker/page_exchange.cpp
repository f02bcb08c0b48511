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

// The instant a Last-Modified text names. The fields start as 1970-01-01 00:00:00, so a month name
// that is not known reads as January.
Time32 ModifiedAt(const std::string& lastModified) {
  CalendarFields fields;
  ParseHttpDate(lastModified, fields);
  return HttpDateToTime(fields);
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

// A request that did not get its answer: stopped, or unreachable.
PageAnswer Failed(HttpOutcome outcome) {
  PageAnswer answer;
  answer.kind =
      outcome == HttpOutcome::kAborted ? PageAnswer::Kind::kStopped : PageAnswer::Kind::kUnreachable;
  return answer;
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

std::string HostOf(const std::string& url) {
  const size_t server = url.find("//") + 2;
  const size_t end = std::min(url.find_first_of("/?#", server), url.size());
  std::string_view host = std::string_view(url).substr(server, end - server);
  if (const size_t at = host.rfind('@'); at != std::string_view::npos) host.remove_prefix(at + 1);
  const size_t bracket = host.rfind(']');
  const size_t colon = host.rfind(':');
  if (colon != std::string_view::npos && (bracket == std::string_view::npos || colon > bracket))
    host = host.substr(0, colon);
  return LowerCase(host);
}

PageAnswer AskServer(HttpSession& session, const ItemFacts& page, HttpDeadline deadline) {
  using Kind = PageAnswer::Kind;
  PageAnswer answer;
  HttpResponse head;
  const HttpOutcome outcome = session.Perform(HttpVerb::kHead, page.url, head, deadline);
  if (outcome != HttpOutcome::kDone) return Failed(outcome);
  answer.kind = Kind::kAnswered;
  answer.badStatus = head.status.empty() || head.status.front() != '2';
  answer.status = head.status;
  if (!head.lastModified.empty()) {
    answer.modified = ModifiedAt(head.lastModified);
    answer.updated = page.lastVisited < answer.modified;
    return answer;
  }
  HttpResponse body;
  const HttpOutcome measured = session.Perform(HttpVerb::kGet, page.url, body, deadline);
  if (measured != HttpOutcome::kDone) return Failed(measured);
  const SizeDecision decision = DecideSize(page.size, body.bodyLength);
  answer.storeSize = decision.store;
  answer.size = decision.size;
  answer.updated = decision.updated;
  return answer;
}

void ShowAnswer(CheckView& view, ItemKey item, const PageAnswer& answer,
                const std::function<void()>& afterUpdateDecision) {
  if (answer.kind == PageAnswer::Kind::kStopped) return;
  view.TakeAnswer(item, answer);
  if (answer.kind == PageAnswer::Kind::kUnreachable) return view.SetVerdict(item, Verdict::kUnreachable);
  if (answer.storeSize && !view.StoreSize(item, answer.size)) return;  // gone
  if (answer.updated) view.SetVerdict(item, Verdict::kUpdated);
  if (afterUpdateDecision) afterUpdateDecision();
  if (answer.badStatus) view.SetVerdict(item, Verdict::kBadStatus);
}
