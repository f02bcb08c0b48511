#include "checker/page_exchange.h"

#include <algorithm>
#include <cctype>
#include <chrono>
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

PageAnswer Unanswered(HttpOutcome outcome, const HttpResponse& response, HttpDeadline deadline) {
  PageAnswer answer;
  answer.kind =
      outcome == HttpOutcome::kAborted ? PageAnswer::Kind::kStopped : PageAnswer::Kind::kUnreachable;
  answer.timedOut = response.timedOut;
  answer.deadlineReached = response.timedOut && std::chrono::steady_clock::now() >= deadline;
  answer.failure = response.failure;
  return answer;
}

struct StatusName {
  const char* code;
  const char* text;
};

constexpr StatusName kStatusNames[] = {
    {"300", "Multiple Choices"},
    {"301", "Moved Permanently"},
    {"302", "Found"},
    {"303", "See Other"},
    {"304", "Not Modified"},
    {"307", "Temporary Redirect"},
    {"308", "Permanent Redirect"},
    {"400", "Bad Request"},
    {"401", "Unauthorized"},
    {"402", "Payment Required"},
    {"403", "Forbidden"},
    {"404", "Not Found"},
    {"405", "Method Not Allowed"},
    {"406", "Not Acceptable"},
    {"407", "Proxy Authentication Required"},
    {"408", "Request Timeout"},
    {"410", "Gone"},
    {"429", "Too Many Requests"},
    {"451", "Unavailable For Legal Reasons"},
    {"500", "Internal Server Error"},
    {"501", "Not Implemented"},
    {"502", "Bad Gateway"},
    {"503", "Service Unavailable"},
    {"504", "Gateway Timeout"},
};

}  // namespace

std::string StatusText(const std::string& code) {
  for (const StatusName& name : kStatusNames)
    if (code == name.code) return name.text;
  return {};
}

std::string VerdictReason(const PageAnswer& answer, int deadlineSeconds) {
  if (answer.kind == PageAnswer::Kind::kUnreachable) {
    if (answer.deadlineReached) return "No answer within " + std::to_string(deadlineSeconds) + " s.";
    if (answer.timedOut) return "The server did not answer in time.";
    if (answer.failure.empty()) return "The server could not be reached.";
    return "The server could not be reached (" + answer.failure + ").";
  }
  if (answer.kind != PageAnswer::Kind::kAnswered) return {};
  if (answer.badStatus) {
    if (answer.status.empty()) return "The server's answer had no status.";
    const std::string text = StatusText(answer.status);
    return "The server answered " + answer.status + (text.empty() ? "" : " " + text) + ".";
  }
  if (!answer.updated) return {};
  if (!answer.lastModified.empty())
    return "The server dates the page " + answer.lastModified + ", after the last visit.";
  return "Its size went from " + std::to_string(answer.oldSize) + " to " + std::to_string(answer.size) +
         " bytes.";
}

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
  if (outcome != HttpOutcome::kDone) return Unanswered(outcome, head, deadline);
  answer.kind = Kind::kAnswered;
  answer.status = head.status;
  answer.badStatus = head.status.empty() || head.status.front() != '2';
  if (!head.lastModified.empty()) {
    answer.lastModified = head.lastModified;
    answer.modified = ModifiedAt(head.lastModified);
    answer.updated = page.lastVisited < answer.modified;
    return answer;
  }
  HttpResponse body;
  const HttpOutcome measured = session.Perform(HttpVerb::kGet, page.url, body, deadline);
  if (measured != HttpOutcome::kDone) return Unanswered(measured, body, deadline);
  answer.oldSize = page.size;
  const SizeDecision decision = DecideSize(page.size, body.bodyLength);
  answer.storeSize = decision.store;
  answer.size = decision.size;
  answer.updated = decision.updated;
  return answer;
}

void ShowAnswer(CheckView& view, ItemKey item, const PageAnswer& answer,
                const std::function<void()>& afterUpdateDecision, int deadlineSeconds) {
  if (answer.kind == PageAnswer::Kind::kStopped) return;
  const VerdictCause cause{VerdictReason(answer, deadlineSeconds), &answer};
  if (answer.kind == PageAnswer::Kind::kUnreachable)
    return view.SetVerdict(item, Verdict::kUnreachable, cause);
  if (answer.storeSize && !view.StoreSize(item, answer.size)) return;  // gone
  if (answer.updated) {
    PageAnswer updated = answer;
    updated.badStatus = false;
    view.SetVerdict(item, Verdict::kUpdated, {VerdictReason(updated, deadlineSeconds), &answer});
  }
  if (afterUpdateDecision) afterUpdateDecision();
  if (answer.badStatus) view.SetVerdict(item, Verdict::kBadStatus, cause);
  if (!answer.updated && !answer.badStatus) view.SetVerdict(item, Verdict::kUnchanged, cause);
}
