#include <vector>

#include "checker/check_texts.h"
#include "checker/walkers.h"

void ReconcileTopic(CheckView& view, ItemKey topic) {
  const std::vector<ItemKey> children = view.Children(topic);
  for (auto child = children.rbegin(); child != children.rend(); ++child) {
    ItemFacts facts;
    if (!view.Describe(*child, facts)) continue;
    if (facts.isFolder)
      ReconcileTopic(view, *child);
    else
      view.ReconcileEntry(*child);
  }
}

WalkEnd CheckTopic(CheckRun& run, ItemKey topic) {
  CheckView& view = run.View();
  const auto saveTopic = [&run, topic] {
    if (!run.StopRequested()) run.View().SaveTopic(topic);
  };
  const std::vector<ItemKey> children = view.Children(topic);
  for (auto child = children.rbegin(); child != children.rend(); ++child) {
    ItemFacts facts;
    if (!view.Describe(*child, facts)) continue;
    if (facts.isFolder) {
      if (CheckTopic(run, *child) == WalkEnd::kStopped) return WalkEnd::kStopped;
      continue;
    }
    if (run.StopRequested()) return WalkEnd::kStopped;
    run.Add(*child, facts, saveTopic);
  }
  return WalkEnd::kCompleted;
}

WalkEnd CheckTopics(CheckRun& run) {
  run.View().SetStatusText(kReconcilingStatus);
  ReconcileTopic(run.View(), run.Scope().item);
  run.View().SetStatusText(kCheckingPageMarksStatus);
  return CheckTopic(run, run.Scope().item);
}
