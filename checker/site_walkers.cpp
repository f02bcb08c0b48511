#include "checker/walkers.h"

namespace {

WalkEnd QueueSiteRows(CheckRun& run, ItemKey site) {
  for (ItemKey row : run.View().Children(site)) {
    if (run.StopRequested()) return WalkEnd::kStopped;
    ItemFacts page;
    if (run.View().Describe(row, page)) run.Add(row, page);
  }
  return WalkEnd::kCompleted;
}

}  // namespace

WalkEnd CheckAllSites(CheckRun& run) {
  for (ItemKey site : run.View().Children(kTopLevel)) {
    if (QueueSiteRows(run, site) == WalkEnd::kStopped) return WalkEnd::kStopped;
  }
  return WalkEnd::kCompleted;
}

WalkEnd CheckSelectedSite(CheckRun& run) {
  return QueueSiteRows(run, run.Scope().item);
}
