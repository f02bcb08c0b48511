#include "windows/topics_check_view.h"

#include <algorithm>
#include <utility>

const CTopic* TopicTreeCheckView::Link(ItemKey item) const {
  const CTopic* node = tree_.NodeOf(item);
  return node && !node->isFolder ? node : nullptr;
}

bool TopicTreeCheckView::Describe(ItemKey item, ItemFacts& facts) {
  const CTopic* node = tree_.NodeOf(item);
  if (!node) return false;
  facts = ItemFacts{};
  facts.isFolder = node->isFolder != 0;
  if (facts.isFolder) return true;
  facts.url = node->target;
  facts.lastVisited = node->lastVisited;
  facts.size = node->size;
  return true;
}

bool TopicTreeCheckView::StoreSize(ItemKey item, uint32_t size) {
  const CTopic* link = Link(item);
  if (!link) return false;
  model_.SetLinkState(*link, size, link->lastVisited, false);
  return true;
}

void TopicTreeCheckView::ReconcileEntry(ItemKey entry) {
  const CTopic* link = Link(entry);
  const CPez* page = link ? store_.FindPageMarkByUrl(link->target) : nullptr;
  if (page) model_.SetLinkState(*link, page->size, page->lastVisited, false, page->firstVisited);
}

void TopicTreeCheckView::SaveTopic(ItemKey folder) {
  const CTopic* node = tree_.NodeOf(folder);
  if (!node || !node->isFolder) return;
  if (!dragging_()) {
    model_.SaveFolder(*node);
  } else if (std::find(held_.begin(), held_.end(), folder) == held_.end()) {
    held_.push_back(folder);
  }
}

void TopicTreeCheckView::SaveHeld() {
  for (ItemKey folder : std::exchange(held_, {}))
    if (const CTopic* node = tree_.NodeOf(folder)) model_.SaveFolder(*node);
}
