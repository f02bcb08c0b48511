#include "checker/watch_run.h"

#include <map>
#include <string>
#include <utility>

#include "checker/page_exchange.h"
#include "checker/walkers.h"

namespace {

WatchAnswer AnswerOf(const std::string& url, const PageAnswer& answer) {
  WatchAnswer taken;
  taken.url = url;
  taken.sizeMeasured = answer.storeSize;
  taken.size = answer.size;
  if (answer.kind == PageAnswer::Kind::kUnreachable)
    taken.finding = WatchFinding::kUnreachable;
  else if (answer.badStatus)
    taken.finding = WatchFinding::kBadStatus;
  else if (answer.updated)
    taken.finding = WatchFinding::kChanged;
  if (taken.finding == WatchFinding::kChanged) taken.modified = answer.modified;
  if (taken.finding == WatchFinding::kBadStatus) taken.status = answer.status;
  return taken;
}

}  // namespace

// The run's window: a flat list of copies, key i + 1 for pages_[i]. Only the run's thread uses it
// while a run is under way, only the main thread before and after.
class WatchRun::View : public CheckView {
 public:
  void Reset(const std::vector<WatchedPage>& pages) {
    pages_ = pages;
    answers_.clear();
  }
  std::vector<WatchAnswer> Answers() const {
    std::vector<WatchAnswer> answers;
    for (const auto& [key, answer] : answers_) answers.push_back(answer);
    return answers;
  }

  void SetStatusText(const std::string&) override {}
  void SetMenuLabel(const std::string&) override {}
  // A page that found no worker at all is unreachable without an answer.
  void SetVerdict(ItemKey item, Verdict verdict, const VerdictCause& cause) override {
    const WatchedPage* page = Page(item);
    if (!page) return;
    if (cause.answer)
      answers_[item] = AnswerOf(page->url, *cause.answer);
    else if (verdict == Verdict::kUnreachable && !answers_.contains(item))
      answers_[item] = AnswerOf(page->url, PageAnswer{});
  }
  std::vector<ItemKey> Children(ItemKey parent) override {
    std::vector<ItemKey> keys;
    if (parent == kTopLevel)
      for (size_t i = 0; i < pages_.size(); ++i) keys.push_back(i + 1);
    return keys;
  }
  bool Describe(ItemKey item, ItemFacts& facts) override {
    const WatchedPage* page = Page(item);
    if (!page) return false;
    facts = ItemFacts{false, page->url, page->seenAt, page->size};
    return true;
  }
  bool StoreSize(ItemKey item, uint32_t) override { return Page(item) != nullptr; }

 private:
  const WatchedPage* Page(ItemKey item) const {
    return item >= 1 && item <= pages_.size() ? &pages_[item - 1] : nullptr;
  }

  std::vector<WatchedPage> pages_;
  std::map<ItemKey, WatchAnswer> answers_;
};

namespace {

CPrefs SecurePagesChecked() {
  CPrefs prefs;
  prefs.checkSecurePages = 1;
  return prefs;
}

}  // namespace

WatchRun::WatchRun(HttpClient& client, CheckLimits limits)
    : view_(std::make_unique<View>()),
      prefs_(SecurePagesChecked()),
      checker_(*view_, client, prefs_, limits) {}

WatchRun::~WatchRun() = default;

bool WatchRun::Start(const std::vector<WatchedPage>& pages, std::function<void()> ended) {
  if (checker_.RunRegistered()) return false;
  checker_.Wait();
  view_->Reset(pages);
  checker_.SetEndedHook([ended = std::move(ended)](int) {
    if (ended) ended();
  });
  return checker_.Start(CheckScope(CheckPageMarkList));
}

std::vector<WatchAnswer> WatchRun::Finish() {
  checker_.Wait();
  return view_->Answers();
}
