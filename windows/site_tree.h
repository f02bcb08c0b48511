#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "checker/check_view.h"
#include "store/page_mark_store.h"
#include "windows/image_list.h"

class QTreeWidget;
class QTreeWidgetItem;

// The items of the Sites tree: a Site item per Site key at the top level (in the store's sorted
// order, a new Site in its alphabetical place), and below each Site its PageMarks, the most
// recently visited first. Every item has a key that no other item of the tree ever gets (the
// update checker's handle). A Site item lives while it holds PageMark items.
class SiteTree {
 public:
  SiteTree(QTreeWidget& tree, const PageMarkStore& store);

  // Builds every item again from the store.
  void Rebuild();
  // A new PageMark: the first child of its Site's item (made when the Site has none).
  void AddPageMark(const CPez& page);
  // Its item goes, and its Site's item when that holds nothing more.
  void RemovePageMark(const CPez& page);
  // A new title shows; a new URL moves the item to the first place of its (new) Site.
  void Refresh(const CPez& page, uint32_t what);
  void SetVerdict(ItemKey key, Verdict verdict);

  QTreeWidgetItem* Item(ItemKey key) const;
  ItemKey KeyOf(const QTreeWidgetItem* item) const;
  // The PageMark of a PageMark item; null for a Site item, null, or an unknown item.
  const CPez* PageOf(const QTreeWidgetItem* item) const;
  const CPez* PageOf(ItemKey key) const;
  bool IsSite(const QTreeWidgetItem* item) const;
  // kTopLevel: the Sites in tree order; a Site: its PageMarks in tree order; else nothing.
  std::vector<ItemKey> Children(ItemKey parent) const;

 private:
  QTreeWidgetItem* NewItem(const QString& text, int image);
  QTreeWidgetItem* NewPageItem(const CPez& page);
  QTreeWidgetItem* NewSiteItem(const std::string& siteKey);
  // The Site's item, made in its alphabetical place when there is none.
  QTreeWidgetItem* SiteItem(const std::string& siteKey);
  void DropPageItem(const CPez& page, QTreeWidgetItem* item);
  void Clear();

  QTreeWidget& tree_;
  const PageMarkStore& store_;
  ImageList images_;
  std::unordered_map<ItemKey, QTreeWidgetItem*> items_;
  std::unordered_map<ItemKey, const CPez*> pages_;
  std::unordered_map<const CPez*, ItemKey> pageKeys_;
  std::unordered_map<std::string, QTreeWidgetItem*> sites_;
  std::unordered_map<ItemKey, std::string> siteKeys_;
  ItemKey lastKey_ = kTopLevel;
};
