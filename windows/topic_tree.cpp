#include "windows/topic_tree.h"

#include <QTreeWidget>
#include <algorithm>

#include "store/topic_edits.h"

namespace {

constexpr int kKeyRole = Qt::UserRole;

// A folder shows the closed picture, and the open one while it is selected.
QIcon FolderIcon(const ImageList& images) {
  QIcon icon;
  for (int size : {16, 32}) {
    icon.addPixmap(images.At(kFolderImage).pixmap(size), QIcon::Normal);
    icon.addPixmap(images.At(kSelectedFolderImage).pixmap(size), QIcon::Selected);
  }
  return icon;
}

}  // namespace

TopicTree::TopicTree(QTreeWidget& tree, TopicsModel& model)
    : tree_(tree), model_(model), images_(TopicImages()), folderIcon_(FolderIcon(images_)) {}

QTreeWidgetItem* TopicTree::MakeItem(const CTopic& node) {
  auto* item = new QTreeWidgetItem(QStringList{QString::fromStdString(node.name)});
  item->setIcon(0, node.isFolder ? folderIcon_ : images_.At(TopicVerdictImage(Verdict::kUnchanged)));
  if (!node.isFolder) item->setToolTip(0, QString::fromStdString(node.target));
  item->setData(0, kKeyRole, QVariant::fromValue<quint64>(++lastKey_));
  items_[lastKey_] = item;
  nodes_[lastKey_] = &node;
  keys_[&node] = lastKey_;
  if (!node.children) return item;
  QList<QTreeWidgetItem*> children;
  children.reserve(static_cast<qsizetype>(node.children->size()));
  for (auto child = node.children->rbegin(); child != node.children->rend(); ++child)
    children.append(MakeItem(**child));
  item->addChildren(children);
  return item;
}

// All items are made before the tree takes them, in one step.
void TopicTree::Rebuild() {
  tree_.clear();
  items_.clear();
  nodes_.clear();
  keys_.clear();
  const CTopic& root = model_.Root();
  QList<QTreeWidgetItem*> top;
  for (auto child = root.children->rbegin(); child != root.children->rend(); ++child)
    top.append(MakeItem(**child));
  tree_.addTopLevelItems(top);
}

QTreeWidgetItem* TopicTree::ParentItem(const CTopic& node) const {
  if (!node.parent || node.parent->parent == node.parent) return tree_.invisibleRootItem();
  return ItemOf(node.parent);
}

void TopicTree::Insert(const CTopic& node) {
  QTreeWidgetItem* parent = ParentItem(node);
  if (!parent || keys_.contains(&node)) return;
  const int row = std::min(static_cast<int>(DisplayRow(node)), parent->childCount());
  parent->insertChild(row, MakeItem(node));
}

void TopicTree::Change(const CTopic& node) {
  if (QTreeWidgetItem* item = ItemOf(&node)) {
    item->setText(0, QString::fromStdString(node.name));
    if (!node.isFolder) item->setToolTip(0, QString::fromStdString(node.target));
  }
}

void TopicTree::Move(const CTopic& node) {
  QTreeWidgetItem* item = ItemOf(&node);
  QTreeWidgetItem* parent = ParentItem(node);
  if (!item || !parent) return;
  QTreeWidgetItem* oldParent = item->parent() ? item->parent() : tree_.invisibleRootItem();
  oldParent->removeChild(item);
  parent->insertChild(std::min(static_cast<int>(DisplayRow(node)), parent->childCount()), item);
}

void TopicTree::Forget(QTreeWidgetItem* item) {
  const ItemKey key = KeyOf(item);
  auto node = nodes_.find(key);
  if (node != nodes_.end()) keys_.erase(node->second);
  nodes_.erase(key);
  items_.erase(key);
  for (int i = 0; i < item->childCount(); ++i) Forget(item->child(i));
}

void TopicTree::Remove(const CTopic& node) {
  QTreeWidgetItem* item = ItemOf(&node);
  if (!item) return;
  Forget(item);
  delete item;
}

void TopicTree::SetVerdict(ItemKey key, Verdict verdict) {
  const CTopic* node = NodeOf(key);
  if (node && !node->isFolder) items_.at(key)->setIcon(0, images_.At(TopicVerdictImage(verdict)));
}

QTreeWidgetItem* TopicTree::ItemOf(const CTopic* node) const {
  auto found = keys_.find(node);
  return found == keys_.end() ? nullptr : Item(found->second);
}

QTreeWidgetItem* TopicTree::Item(ItemKey key) const {
  auto found = items_.find(key);
  return found == items_.end() ? nullptr : found->second;
}

ItemKey TopicTree::KeyOf(const QTreeWidgetItem* item) const {
  return item ? item->data(0, kKeyRole).value<quint64>() : kTopLevel;
}

const CTopic* TopicTree::NodeOf(const QTreeWidgetItem* item) const {
  return item ? NodeOf(KeyOf(item)) : nullptr;
}

const CTopic* TopicTree::NodeOf(ItemKey key) const {
  if (key == kTopLevel) return &model_.Root();
  auto found = nodes_.find(key);
  return found == nodes_.end() ? nullptr : found->second;
}

std::vector<ItemKey> TopicTree::Children(ItemKey parent) const {
  std::vector<ItemKey> keys;
  const CTopic* folder = NodeOf(parent);
  if (!folder || !folder->children) return keys;
  for (const auto& child : *folder->children)
    if (auto found = keys_.find(child.get()); found != keys_.end()) keys.push_back(found->second);
  return keys;
}
