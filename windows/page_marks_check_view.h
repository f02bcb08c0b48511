#pragma once

#include <vector>

#include "store/page_mark_store.h"
#include "windows/page_mark_table_model.h"
#include "windows/window_check_view.h"

// The PageMarks window as the update checker sees it: its rows, each found afresh by its key.
class PageMarkListCheckView : public WindowCheckView {
 public:
  PageMarkListCheckView(PageMarkTableModel& model, PageMarkStore& store, QLabel& status, QAction& menuItem)
      : WindowCheckView(status, menuItem), model_(model), store_(store) {}

  void SetVerdict(ItemKey item, Verdict verdict, const VerdictCause& cause) override {
    model_.SetVerdict(item, verdict, QString::fromStdString(cause.reason));
  }
  void ClearVerdicts() override { model_.ClearVerdicts(); }
  // The rows shown (the filter counts), in the store's order: least recently visited first.
  std::vector<ItemKey> Children(ItemKey parent) override;
  bool Describe(ItemKey item, ItemFacts& facts) override;
  bool StoreSize(ItemKey item, uint32_t size) override;

 private:
  PageMarkTableModel& model_;
  PageMarkStore& store_;
};
