#include "windows/page_marks_check_view.h"

std::vector<ItemKey> PageMarkListCheckView::Children(ItemKey parent) {
  std::vector<ItemKey> rows;
  if (parent != kTopLevel) return rows;
  for (const CPez& page : store_.PageMarks()) {
    const PageMarkRow* row = model_.Rows().FindPage(&page);
    if (row && row->shown) rows.push_back(row->key);
  }
  return rows;
}

// The live PageMark's values: its last visit may be later than the one its row shows.
bool PageMarkListCheckView::Describe(ItemKey item, ItemFacts& facts) {
  const PageMarkRow* row = model_.Rows().Find(item);
  if (!row) return false;
  facts.isFolder = false;
  facts.url = row->page->url;
  facts.lastVisited = row->page->lastVisited;
  facts.size = row->page->size;
  return true;
}

bool PageMarkListCheckView::StoreSize(ItemKey item, uint32_t size) {
  const PageMarkRow* row = model_.Rows().Find(item);
  if (!row) return false;
  store_.SetPageMarkSize(row->page, size);
  return true;
}
