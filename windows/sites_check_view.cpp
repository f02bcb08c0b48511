#include "windows/sites_check_view.h"

SiteTreeCheckView::SiteTreeCheckView(SiteTreeModel& model, PageMarkStore& store, QLabel& status,
                                     QAction& menuItem)
    : WindowCheckView(status, menuItem),
      model_(model),
      store_(store),
      subscription_(store.Subscribe(*this)) {}

ItemKey SiteTreeCheckView::Hand(const void* node) {
  handed_[++lastKey_] = node;
  return lastKey_;
}

const void* SiteTreeCheckView::NodeOf(ItemKey item) const {
  auto found = handed_.find(item);
  return found == handed_.end() ? nullptr : found->second;
}

const CPez* SiteTreeCheckView::PageOf(ItemKey item) const {
  const void* node = NodeOf(item);
  return node && store_.Holds(node) ? static_cast<const CPez*>(node) : nullptr;
}

void SiteTreeCheckView::Forget(const void* node) {
  std::erase_if(handed_, [node](const auto& entry) { return entry.second == node; });
}

void SiteTreeCheckView::SetVerdict(ItemKey item, Verdict verdict, const VerdictCause& cause) {
  if (const CPez* page = PageOf(item))
    model_.SetVerdict(*page, verdict, QString::fromStdString(cause.reason));
}

std::vector<ItemKey> SiteTreeCheckView::Children(ItemKey parent) {
  std::vector<ItemKey> keys;
  if (parent == kTopLevel) {
    for (std::size_t row = 0; row < store_.SiteKeys().size(); ++row)
      keys.push_back(Hand(&store_.SiteAt(row)));
    return keys;
  }
  const void* node = NodeOf(parent);
  if (!node || store_.Holds(node)) return keys;
  const auto* site = static_cast<const PageMarkSite*>(node);
  for (auto it = site->pages.rbegin(); it != site->pages.rend(); ++it) keys.push_back(Hand(*it));
  return keys;
}

bool SiteTreeCheckView::Describe(ItemKey item, ItemFacts& facts) {
  const void* node = NodeOf(item);
  if (!node) return false;
  const CPez* page = PageOf(item);
  facts = ItemFacts{};
  facts.isFolder = !page;
  if (!page) return true;
  facts.url = page->url;
  facts.lastVisited = page->lastVisited;
  facts.size = page->size;
  return true;
}

bool SiteTreeCheckView::StoreSize(ItemKey item, uint32_t size) {
  const CPez* page = PageOf(item);
  if (!page) return false;
  store_.SetPageMarkSize(page, size);
  return true;
}

void SiteTreeCheckView::OnPageMarkAboutToBeRemoved(const CPez& p, const PageMarkPlace& at) {
  if (at.siteAlone) Forget(&store_.SiteOf(p));
  Forget(&p);
}

void SiteTreeCheckView::OnPageMarkAboutToChangeSite(const CPez& p, const PageMarkPlace& from,
                                                    const PageMarkPlace&) {
  if (from.siteAlone) Forget(&store_.SiteOf(p));
}
