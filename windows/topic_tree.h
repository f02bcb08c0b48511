#pragma once

#include <QIcon>
#include <unordered_map>
#include <vector>

#include "checker/check_view.h"
#include "store/topics_model.h"
#include "windows/image_list.h"

class QTreeWidget;
class QTreeWidgetItem;

// The items of the Topics tree: one per node of the model, each folder's children shown from the
// last in its array to the first (the model's display order). The window hands the model's
// notices on to it, so the items follow every edit, whoever made it. Every item has a key that no
// other item of the tree ever gets (the update checker's handle); the hidden root is kTopLevel.
class TopicTree {
 public:
  TopicTree(QTreeWidget& tree, TopicsModel& model);

  // Builds every item again from the model (the whole tree, every folder's contents).
  void Rebuild();
  // A node (with what it holds) that came into the tree; it is shown at its display row.
  void Insert(const CTopic& node);
  void Change(const CTopic& node);
  // A node that moved: its item (with what it holds) goes to its new folder and row.
  void Move(const CTopic& node);
  // A node that leaves the tree, with everything below it.
  void Remove(const CTopic& node);
  void SetVerdict(ItemKey key, Verdict verdict);

  QTreeWidgetItem* ItemOf(const CTopic* node) const;
  QTreeWidgetItem* Item(ItemKey key) const;
  ItemKey KeyOf(const QTreeWidgetItem* item) const;
  // The node of an item; null for null or an unknown item.
  const CTopic* NodeOf(const QTreeWidgetItem* item) const;
  // The node of a key; the root for kTopLevel; null for a gone key.
  const CTopic* NodeOf(ItemKey key) const;
  // The keys of a folder's children in array order (the first stored first); empty for a link or
  // a gone key.
  std::vector<ItemKey> Children(ItemKey parent) const;
  int Count() const { return static_cast<int>(nodes_.size()); }

 private:
  // The item of node and the items of everything below it, not yet in the tree.
  QTreeWidgetItem* MakeItem(const CTopic& node);
  QTreeWidgetItem* ParentItem(const CTopic& node) const;
  void Forget(QTreeWidgetItem* item);

  QTreeWidget& tree_;
  TopicsModel& model_;
  ImageList images_;
  QIcon folderIcon_;  // the closed folder, and the open one while selected
  std::unordered_map<ItemKey, QTreeWidgetItem*> items_;
  std::unordered_map<ItemKey, const CTopic*> nodes_;
  std::unordered_map<const CTopic*, ItemKey> keys_;
  ItemKey lastKey_ = kTopLevel;
};
