#pragma once

#include <unordered_map>
#include <vector>

#include "store/page_mark_store.h"
#include "windows/site_tree_model.h"
#include "windows/window_check_view.h"

// The Sites window as the update checker sees it: the store's Sites and their PageMarks in tree
// order, walked as they stand. The checker's keys are handed out here, a new one each time a
// node is named, and each stays with its node until the node leaves the store (then it is gone
// for good): the one table of the window, kept because the checker holds no pointer.
class SiteTreeCheckView : public WindowCheckView, private StoreListener {
 public:
  SiteTreeCheckView(SiteTreeModel& model, PageMarkStore& store, QLabel& status, QAction& menuItem);

  // A key for the Site, for a check of that Site alone.
  ItemKey KeyOf(const PageMarkSite& site) { return Hand(&site); }

  void SetVerdict(ItemKey item, Verdict verdict, const VerdictCause& cause) override;
  void ClearVerdicts() override { model_.ClearVerdicts(); }
  std::vector<ItemKey> Children(ItemKey parent) override;
  bool Describe(ItemKey item, ItemFacts& facts) override;
  bool StoreSize(ItemKey item, uint32_t size) override;

 private:
  ItemKey Hand(const void* node);
  // The node behind a key, if it is still in the store.
  const void* NodeOf(ItemKey item) const;
  const CPez* PageOf(ItemKey item) const;
  void Forget(const void* node);

  void OnPageMarkAboutToBeRemoved(const CPez& p, const PageMarkPlace& at) override;
  void OnPageMarkAboutToChangeSite(const CPez& p, const PageMarkPlace& from,
                                   const PageMarkPlace& to) override;
  void OnStoreAboutToReset() override { handed_.clear(); }

  SiteTreeModel& model_;
  PageMarkStore& store_;
  std::unordered_map<ItemKey, const void*> handed_;
  ItemKey lastKey_ = kTopLevel;
  PageMarkStore::Subscription subscription_;
};
