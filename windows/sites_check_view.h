#pragma once

#include <vector>

#include "store/page_mark_store.h"
#include "windows/site_tree.h"
#include "windows/window_check_view.h"

// The Sites window as the update checker sees it: its Sites and their PageMark items, each found
// afresh by its key, so that the worker walks the tree as it stands.
class SiteTreeCheckView : public WindowCheckView {
 public:
  SiteTreeCheckView(SiteTree& tree, PageMarkStore& store, QLabel& status, QAction& menuItem)
      : WindowCheckView(status, menuItem), tree_(tree), store_(store) {}

  void SetVerdict(ItemKey item, Verdict verdict) override { tree_.SetVerdict(item, verdict); }
  std::vector<ItemKey> Children(ItemKey parent) override { return tree_.Children(parent); }
  bool Describe(ItemKey item, ItemFacts& facts) override;
  bool StoreSize(ItemKey item, uint32_t size) override;

 private:
  SiteTree& tree_;
  PageMarkStore& store_;
};
