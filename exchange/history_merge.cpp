#include "exchange/history_merge.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace {

// A page of the merge: a page of the store (changed or not) or a new one.
struct Candidate {
  CPez page;
  bool isNew = false;
  bool updated = false;
};

// The store's copy of a page after the browser's: true when anything changed; moved when the
// browser saw it last, so that it takes a new place in the order.
bool Absorb(CPez& page, const VisitedPage& seen, bool& moved) {
  const CPez before = page;
  if (seen.lastVisited > page.lastVisited) {
    if (!seen.title.empty()) page.title = seen.title;
    page.lastVisited = seen.lastVisited;
    moved = true;
  }
  if (seen.firstVisited > 0 && (page.firstVisited == 0 || seen.firstVisited < page.firstVisited))
    page.firstVisited = seen.firstVisited;
  return page.title != before.title || page.lastVisited != before.lastVisited ||
         page.firstVisited != before.firstVisited;
}

}  // namespace

HistoryMerge MergeHistory(const std::vector<CPez>& existing, const std::vector<VisitedPage>& imported,
                          std::size_t keep) {
  std::unordered_map<std::string_view, const VisitedPage*> byUrl;
  for (const VisitedPage& page : imported) byUrl.emplace(page.url, &page);  // the first is the latest
  // The store's pages that stay where they are, and those that move, with the new ones.
  std::vector<Candidate> staying, arriving;
  std::unordered_set<std::string_view> known;
  for (const CPez& page : existing) {
    Candidate candidate{page};
    known.insert(page.url);
    bool moved = false;
    if (auto seen = byUrl.find(page.url); seen != byUrl.end())
      candidate.updated = Absorb(candidate.page, *seen->second, moved);
    (moved ? arriving : staying).push_back(std::move(candidate));
  }
  for (const VisitedPage& page : imported) {
    if (!known.insert(page.url).second) continue;
    arriving.push_back({CPez{.lastVisited = page.lastVisited,
                             .firstVisited = page.firstVisited,
                             .url = page.url,
                             .title = page.title},
                        true, false});
  }
  std::stable_sort(arriving.begin(), arriving.end(), [](const Candidate& a, const Candidate& b) {
    return a.page.lastVisited < b.page.lastVisited;
  });
  // Each arriving page goes before the first staying page visited after it.
  std::vector<Candidate*> order;
  order.reserve(staying.size() + arriving.size());
  auto next = arriving.begin();
  for (Candidate& page : staying) {
    for (; next != arriving.end() && next->page.lastVisited < page.page.lastVisited; ++next)
      order.push_back(&*next);
    order.push_back(&page);
  }
  for (; next != arriving.end(); ++next) order.push_back(&*next);

  HistoryMerge merge;
  const std::size_t drop = order.size() > keep ? order.size() - keep : 0;
  for (auto it = order.begin() + static_cast<std::ptrdiff_t>(drop); it != order.end(); ++it) {
    Candidate& candidate = **it;
    merge.added += candidate.isNew;
    merge.updated += candidate.updated;
    merge.pages.push_back(std::make_unique<CPez>(std::move(candidate.page)));
  }
  return merge;
}
