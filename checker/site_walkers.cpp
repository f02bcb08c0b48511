#include "checker/page_exchange.h"
#include "checker/walkers.h"

namespace {

WalkEnd CheckSiteRows(CheckRun& run, ItemKey site) {
  for (ItemKey row : run.View().Children(site)) {
    if (run.StopRequested()) return WalkEnd::kStopped;
    ItemFacts page;
    if (!run.View().Describe(row, page)) continue;
    if (CheckTreeEntry(run, row, page) == WalkEnd::kStopped) return WalkEnd::kStopped;
  }
  return WalkEnd::kCompleted;
}

}  // namespace

WalkEnd CheckAllSites(CheckRun& run) {
  for (ItemKey site : run.View().Children(kTopLevel)) {
    if (CheckSiteRows(run, site) == WalkEnd::kStopped) return WalkEnd::kStopped;
  }
  return WalkEnd::kCompleted;
}

WalkEnd CheckSelectedSite(CheckRun& run) {
  return CheckSiteRows(run, run.Scope().item);
}
