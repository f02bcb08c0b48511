#pragma once

#include <functional>
#include <utility>
#include <vector>

#include "store/page_mark_store.h"
#include "store/topics_model.h"
#include "windows/topic_tree.h"
#include "windows/window_check_view.h"

// The Topics window as the update checker sees it: its folders and links, each found afresh by
// its key. Sizes and visit times go into the model without a write; a folder's file is written
// when the walk says so (SaveTopic), but never while a drag is under way in the tree: such a
// folder is held back and written by SaveHeld once the drag has ended.
class TopicTreeCheckView : public WindowCheckView {
 public:
  TopicTreeCheckView(TopicTree& tree, TopicsModel& model, const PageMarkStore& store, QLabel& status,
                     QAction& menuItem, std::function<bool()> dragging)
      : WindowCheckView(status, menuItem),
        tree_(tree),
        model_(model),
        store_(store),
        dragging_(std::move(dragging)) {}

  void SetVerdict(ItemKey item, Verdict verdict, const VerdictCause& cause) override {
    tree_.SetVerdict(item, verdict, QString::fromStdString(cause.reason));
  }
  void ClearVerdicts() override { tree_.ClearVerdicts(); }
  std::vector<ItemKey> Children(ItemKey parent) override { return tree_.Children(parent); }
  bool Describe(ItemKey item, ItemFacts& facts) override;
  bool StoreSize(ItemKey item, uint32_t size) override;
  void ReconcileEntry(ItemKey entry) override;
  void SaveTopic(ItemKey folder) override;
  // Writes the folders held back during a drag (those still in the tree).
  void SaveHeld();

 private:
  const CTopic* Link(ItemKey item) const;

  TopicTree& tree_;
  TopicsModel& model_;
  const PageMarkStore& store_;
  std::function<bool()> dragging_;
  std::vector<ItemKey> held_;
};
