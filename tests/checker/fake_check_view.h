#pragma once

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "checker/check_view.h"

inline std::ostream& operator<<(std::ostream& out, Verdict verdict) {
  const char* const names[] = {"Unchanged", "Updated", "Unreachable", "BadStatus"};
  return out << names[static_cast<int>(verdict)];
}

namespace checkertest {

// A window as a plain tree of folders (Sites, Topics) and pages under kTopLevel, recording what a
// run shows. A removed item is gone for good. Used by one thread at a time: the worker during a
// run (hooks included), the test before and after it.
class FakeCheckView : public CheckView {
 public:
  using Record = std::pair<ItemKey, Verdict>;

  ItemKey AddFolder(ItemKey parent) { return Add(parent, ItemFacts{true, {}, 0, 0}); }
  ItemKey AddPage(ItemKey parent, const std::string& url, Time32 lastVisited = 0, uint32_t size = 0) {
    return Add(parent, ItemFacts{false, url, lastVisited, size});
  }
  void Remove(ItemKey item) {
    std::erase(children_[parent_[item]], item);
    facts_.erase(item);
  }
  uint32_t SizeOf(ItemKey item) { return facts_[item].size; }
  std::vector<Verdict> VerdictsOf(ItemKey item) const {
    std::vector<Verdict> shown;
    for (const auto& [key, verdict] : verdicts)
      if (key == item) shown.push_back(verdict);
    return shown;
  }

  std::function<void(const std::string&)> onStatus;  // after each status text
  std::function<void(ItemKey, Verdict)> onVerdict;   // after each verdict shown
  std::vector<std::string> statusTexts, labels;
  std::vector<Record> verdicts;
  std::map<ItemKey, std::string> reasons;  // the last reason shown for each item
  std::vector<ItemKey> reconciled, saved;

  void SetStatusText(const std::string& text) override {
    statusTexts.push_back(text);
    if (onStatus) onStatus(text);
  }
  void SetMenuLabel(const std::string& label) override { labels.push_back(label); }
  void SetVerdict(ItemKey item, Verdict verdict, const VerdictCause& cause) override {
    if (!facts_.contains(item)) return;
    verdicts.emplace_back(item, verdict);
    reasons[item] = cause.reason;
    if (onVerdict) onVerdict(item, verdict);
  }
  std::vector<ItemKey> Children(ItemKey parent) override { return children_[parent]; }
  bool Describe(ItemKey item, ItemFacts& facts) override {
    if (facts_.contains(item)) facts = facts_[item];
    return facts_.contains(item);
  }
  bool StoreSize(ItemKey item, uint32_t size) override {
    if (facts_.contains(item)) facts_[item].size = size;
    return facts_.contains(item);
  }
  void ReconcileEntry(ItemKey entry) override { reconciled.push_back(entry); }
  void SaveTopic(ItemKey folder) override { saved.push_back(folder); }

 private:
  ItemKey Add(ItemKey parent, ItemFacts facts) {
    facts_[++lastKey_] = std::move(facts);
    parent_[lastKey_] = parent;
    children_[parent].push_back(lastKey_);
    return lastKey_;
  }

  ItemKey lastKey_ = kTopLevel;
  std::map<ItemKey, ItemFacts> facts_;
  std::map<ItemKey, ItemKey> parent_;
  std::map<ItemKey, std::vector<ItemKey>> children_;
};

}  // namespace checkertest
