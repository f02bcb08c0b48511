#include "windows/sites_check_view.h"

bool SiteTreeCheckView::Describe(ItemKey item, ItemFacts& facts) {
  if (tree_.IsSite(tree_.Item(item))) {
    facts = ItemFacts{};
    facts.isFolder = true;
    return true;
  }
  const CPez* page = tree_.PageOf(item);
  if (!page) return false;
  facts.isFolder = false;
  facts.url = page->url;
  facts.lastVisited = page->lastVisited;
  facts.size = page->size;
  return true;
}

bool SiteTreeCheckView::StoreSize(ItemKey item, uint32_t size) {
  const CPez* page = tree_.PageOf(item);
  if (!page) return false;
  store_.SetPageMarkSize(page, size);
  return true;
}
