#include <string>
#include <vector>

#include "checker/page_exchange.h"
#include "checker/walkers.h"

WalkEnd CheckPageMarkList(CheckRun& run) {
  CheckView& view = run.View();
  const std::vector<ItemKey> source =
      run.Scope().selectedOnly ? run.Scope().selection : view.Children(kTopLevel);
  const size_t count = source.size();
  for (size_t i = count; i-- > 0;) {
    if (run.StopRequested()) return WalkEnd::kStopped;
    ItemFacts page;
    if (!view.Describe(source[i], page)) continue;
    view.SetVerdict(source[i], Verdict::kUnchanged);
    view.SetStatusText("Checking " + std::to_string(count - i) + " of " + std::to_string(count) + ", " +
                       page.url);
    if (CheckOnePageMark(run, source[i], page) == WalkEnd::kStopped) return WalkEnd::kStopped;
  }
  return WalkEnd::kCompleted;
}
