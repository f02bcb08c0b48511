#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "exchange/browser_data.h"
#include "store/records.h"

// The PageMarks a store holds once a browser's history is merged in.
struct HistoryMerge {
  std::vector<std::unique_ptr<CPez>> pages;  // least recently visited first, as the store keeps them
  std::size_t added = 0;                     // pages of the history that were not in the store
  std::size_t updated = 0;                   // pages of the store that took a title or a wider visit span
  bool Changed() const { return added + updated > 0; }
};

// Merges imported (most recently visited first) into existing (the store's pages, least recently
// visited first), keeping at most keep pages. A page the store has already (the same URL, exactly)
// takes the title of whichever saw it last, the earlier first visit and the later last visit; it
// keeps its place unless the browser saw it later than the store did, and then stands where its
// new last visit puts it. A new page stands by its last visit among the store's pages, whose own
// order never changes. Then the least recently visited pages go until keep are left: the usual
// rule, so a page of the store goes only for pages visited after it. The counts are of the pages
// that stay.
HistoryMerge MergeHistory(const std::vector<CPez>& existing, const std::vector<VisitedPage>& imported,
                          std::size_t keep);
