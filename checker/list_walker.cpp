#include <vector>

#include "checker/walkers.h"

WalkEnd CheckPageMarkList(CheckRun& run) {
  CheckView& view = run.View();
  const std::vector<ItemKey> source =
      run.Scope().selectedOnly ? run.Scope().selection : view.Children(kTopLevel);
  run.CountPagesInStatus();
  for (size_t i = source.size(); i-- > 0;) {
    if (run.StopRequested()) return WalkEnd::kStopped;
    ItemFacts page;
    if (view.Describe(source[i], page)) run.Add(source[i], page);
  }
  return WalkEnd::kCompleted;
}
