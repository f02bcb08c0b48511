#include "windows/site_tree.h"

#include <QTreeWidget>

#include "store/site_keys.h"

namespace {

constexpr int kKeyRole = Qt::UserRole;

}  // namespace

SiteTree::SiteTree(QTreeWidget& tree, const PageMarkStore& store)
    : tree_(tree), store_(store), images_(SiteImages()) {}

QTreeWidgetItem* SiteTree::NewItem(const QString& text, int image) {
  auto* item = new QTreeWidgetItem(QStringList{text});
  item->setIcon(0, images_.At(image));
  item->setData(0, kKeyRole, QVariant::fromValue<quint64>(++lastKey_));
  items_[lastKey_] = item;
  return item;
}

QTreeWidgetItem* SiteTree::NewPageItem(const CPez& page) {
  QTreeWidgetItem* item = NewItem(QString::fromStdString(page.title), VerdictImage(Verdict::kUnchanged));
  item->setToolTip(0, QString::fromStdString(page.url));
  pages_[lastKey_] = &page;
  pageKeys_[&page] = lastKey_;
  return item;
}

QTreeWidgetItem* SiteTree::NewSiteItem(const std::string& siteKey) {
  QTreeWidgetItem* item = NewItem(QString::fromStdString(siteKey), kSiteImage);
  sites_[siteKey] = item;
  siteKeys_[lastKey_] = siteKey;
  return item;
}

void SiteTree::Clear() {
  tree_.clear();
  items_.clear();
  pages_.clear();
  pageKeys_.clear();
  sites_.clear();
  siteKeys_.clear();
}

// All items are made before the tree takes them, in one step.
void SiteTree::Rebuild() {
  Clear();
  QList<QTreeWidgetItem*> siteItems;
  for (const std::string& siteKey : store_.SiteKeys()) {
    QTreeWidgetItem* site = NewSiteItem(siteKey);
    const std::vector<const CPez*> pages = store_.PagesOfSite(siteKey);
    QList<QTreeWidgetItem*> children;
    for (auto it = pages.rbegin(); it != pages.rend(); ++it) children.append(NewPageItem(**it));
    site->addChildren(children);
    siteItems.append(site);
  }
  tree_.addTopLevelItems(siteItems);
}

QTreeWidgetItem* SiteTree::SiteItem(const std::string& siteKey) {
  if (auto found = sites_.find(siteKey); found != sites_.end()) return found->second;
  std::vector<std::string> shown;
  for (int i = 0; i < tree_.topLevelItemCount(); ++i)
    shown.push_back(siteKeys_.at(KeyOf(tree_.topLevelItem(i))));
  QTreeWidgetItem* site = NewSiteItem(siteKey);
  tree_.insertTopLevelItem(static_cast<int>(SiteInsertPosition(shown, siteKey)), site);
  return site;
}

void SiteTree::AddPageMark(const CPez& page) {
  if (pageKeys_.contains(&page)) return;
  SiteItem(store_.SiteKeyOf(page))->insertChild(0, NewPageItem(page));
}

void SiteTree::DropPageItem(const CPez& page, QTreeWidgetItem* item) {
  const ItemKey key = KeyOf(item);
  QTreeWidgetItem* site = item->parent();
  items_.erase(key);
  pages_.erase(key);
  pageKeys_.erase(&page);
  delete item;
  if (!site || site->childCount() > 0) return;
  const ItemKey siteKey = KeyOf(site);
  sites_.erase(siteKeys_.at(siteKey));
  siteKeys_.erase(siteKey);
  items_.erase(siteKey);
  delete site;
}

void SiteTree::RemovePageMark(const CPez& page) {
  auto found = pageKeys_.find(&page);
  if (found != pageKeys_.end()) DropPageItem(page, items_.at(found->second));
}

void SiteTree::Refresh(const CPez& page, uint32_t what) {
  auto found = pageKeys_.find(&page);
  if (found == pageKeys_.end()) return;
  QTreeWidgetItem* item = items_.at(found->second);
  item->setText(0, QString::fromStdString(page.title));
  item->setToolTip(0, QString::fromStdString(page.url));
  if (!(what & kChangedUrl)) return;
  auto site = sites_.find(store_.SiteKeyOf(page));
  if (site != sites_.end() && item->parent() == site->second) return;
  // Moved to another Site: it starts over there as a new item.
  DropPageItem(page, item);
  AddPageMark(page);
}

void SiteTree::SetVerdict(ItemKey key, Verdict verdict) {
  if (QTreeWidgetItem* item = pages_.contains(key) ? items_.at(key) : nullptr)
    item->setIcon(0, images_.At(VerdictImage(verdict)));
}

QTreeWidgetItem* SiteTree::Item(ItemKey key) const {
  auto found = items_.find(key);
  return found == items_.end() ? nullptr : found->second;
}

ItemKey SiteTree::KeyOf(const QTreeWidgetItem* item) const {
  return item ? item->data(0, kKeyRole).value<quint64>() : kTopLevel;
}

const CPez* SiteTree::PageOf(const QTreeWidgetItem* item) const {
  return item ? PageOf(KeyOf(item)) : nullptr;
}

const CPez* SiteTree::PageOf(ItemKey key) const {
  auto found = pages_.find(key);
  return found == pages_.end() ? nullptr : found->second;
}

bool SiteTree::IsSite(const QTreeWidgetItem* item) const {
  return item && siteKeys_.contains(KeyOf(item));
}

std::vector<ItemKey> SiteTree::Children(ItemKey parent) const {
  std::vector<ItemKey> keys;
  if (parent == kTopLevel) {
    for (int i = 0; i < tree_.topLevelItemCount(); ++i) keys.push_back(KeyOf(tree_.topLevelItem(i)));
  } else if (siteKeys_.contains(parent)) {
    const QTreeWidgetItem* site = items_.at(parent);
    for (int i = 0; i < site->childCount(); ++i) keys.push_back(KeyOf(site->child(i)));
  }
  return keys;
}
