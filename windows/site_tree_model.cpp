#include "windows/site_tree_model.h"

#include <QApplication>
#include <QPalette>
#include <iterator>

#include "windows/shown_text.h"

SiteTreeModel::SiteTreeModel(const PageMarkStore& store, QObject* parent)
    : QAbstractItemModel(parent),
      store_(store),
      images_(SiteImages()),
      subscription_(store.Subscribe(*this)) {}

// --- Nodes ---

const CPez* SiteTreeModel::PageAt(const QModelIndex& index) const {
  if (!index.isValid() || !store_.Holds(index.internalPointer())) return nullptr;
  return static_cast<const CPez*>(index.internalPointer());
}

const PageMarkSite* SiteTreeModel::SiteAt(const QModelIndex& index) const {
  if (!index.isValid() || store_.Holds(index.internalPointer())) return nullptr;
  return static_cast<const PageMarkSite*>(index.internalPointer());
}

QModelIndex SiteTreeModel::SiteIndex(std::size_t siteRow) const {
  return createIndex(static_cast<int>(siteRow), 0, &store_.SiteAt(siteRow));
}

QModelIndex SiteTreeModel::IndexOf(const PageMarkSite& site) const {
  return SiteIndex(store_.SiteRow(site.key));
}

QModelIndex SiteTreeModel::IndexOf(const CPez& page) const {
  if (!store_.Holds(&page)) return {};
  const std::list<CPez*>& pages = store_.SiteOf(page).pages;
  const auto at = std::find(pages.rbegin(), pages.rend(), &page);
  return createIndex(static_cast<int>(std::distance(pages.rbegin(), at)), 0, &page);
}

int SiteTreeModel::Row(const PageMarkPlace& at, std::size_t sitePages) {
  return static_cast<int>(sitePages - 1 - at.rowInSite);
}

// --- QAbstractItemModel ---

QModelIndex SiteTreeModel::index(int row, int column, const QModelIndex& parent) const {
  if (!hasIndex(row, column, parent)) return {};
  if (!parent.isValid()) return SiteIndex(static_cast<std::size_t>(row));
  const PageMarkSite* site = SiteAt(parent);
  if (!site) return {};
  return createIndex(row, column, *std::next(site->pages.rbegin(), row));
}

QModelIndex SiteTreeModel::parent(const QModelIndex& child) const {
  const CPez* page = PageAt(child);
  return page ? IndexOf(store_.SiteOf(*page)) : QModelIndex();
}

int SiteTreeModel::rowCount(const QModelIndex& parent) const {
  if (!parent.isValid()) return static_cast<int>(store_.SiteKeys().size());
  const PageMarkSite* site = parent.column() == 0 ? SiteAt(parent) : nullptr;
  return site ? static_cast<int>(site->pages.size()) : 0;
}

int SiteTreeModel::columnCount(const QModelIndex&) const {
  return 1;
}

QVariant SiteTreeModel::data(const QModelIndex& index, int role) const {
  if (const PageMarkSite* site = SiteAt(index)) {
    if (role == Qt::DisplayRole)
      return QStringLiteral("%1 (%2)").arg(QString::fromStdString(site->key)).arg(site->pages.size());
    if (role == Qt::DecorationRole) return images_.At(kSiteImage);
    return {};
  }
  const CPez* page = PageAt(index);
  if (!page) return {};
  const bool untitled = QString::fromStdString(page->title).trimmed().isEmpty();
  const auto found = verdicts_.find(page);
  const Mark mark = found == verdicts_.end() ? Mark{} : found->second;
  const WatchedPage* watched = watched_ ? watched_->Find(page->url) : nullptr;
  switch (role) {
    case Qt::DisplayRole:
      return untitled ? ShownUrl(page->url) : QString::fromStdString(page->title);
    case Qt::ForegroundRole:
      return untitled ? QVariant(QApplication::palette().brush(QPalette::PlaceholderText)) : QVariant();
    case Qt::ToolTipRole: {
      const QString tip = WithVerdict(ShownUrl(page->url), mark.verdict, mark.reason);
      return watched ? tip + '\n' + QString::fromStdString(WatchTip(*watched)) : tip;
    }
    case Qt::DecorationRole:
      return images_.At(VerdictImage(ShownVerdict(mark.verdict, watched)));
    default:
      return {};
  }
}

Qt::ItemFlags SiteTreeModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  return PageAt(index) ? flags | Qt::ItemNeverHasChildren : flags;
}

void SiteTreeModel::SetVerdict(const CPez& page, Verdict verdict, const QString& reason) {
  const QModelIndex at = IndexOf(page);
  if (!at.isValid()) return;
  verdicts_[&page] = Mark{verdict, reason};
  emit dataChanged(at, at, {Qt::DecorationRole, Qt::ToolTipRole});
}

void SiteTreeModel::ClearVerdicts() {
  for (const auto& [page, mark] : std::exchange(verdicts_, {})) {
    const QModelIndex at = IndexOf(*page);
    if (at.isValid()) emit dataChanged(at, at, {Qt::DecorationRole, Qt::ToolTipRole});
  }
}

void SiteTreeModel::SetWatched(const WatchedPages* watched) {
  watched_ = watched;
  watchFollower_.reset();
  if (!watched_) return;
  watchFollower_ = std::make_unique<WatchFollower>(*watched_, [this](const std::string& url) {
    const CPez* page = url.empty() ? nullptr : store_.FindPageMarkByUrl(url);
    if (!page) {  // nothing moves: the views draw again
      emit layoutAboutToBeChanged();
      return emit layoutChanged();
    }
    const QModelIndex at = IndexOf(*page);
    if (at.isValid()) emit dataChanged(at, at, {Qt::DecorationRole, Qt::ToolTipRole});
  });
}

// --- The store's notices ---

void SiteTreeModel::OnPageMarkAboutToBeAdded(const PageMarkPlace& at) {
  const int siteRow = static_cast<int>(at.siteRow);
  if (at.siteAlone) {
    beginInsertRows({}, siteRow, siteRow);
  } else {
    beginInsertRows(SiteIndex(at.siteRow), 0, 0);
    recounted_.push_back(at.siteRow);
  }
  pending_ = Pending::kInsert;
}

void SiteTreeModel::OnPageMarkAboutToMove(const CPez& p, const PageMarkPlace& from) {
  const QModelIndex site = SiteIndex(from.siteRow);
  const int row = Row(from, store_.SiteAt(from.siteRow).pages.size());
  if (row > 0 && beginMoveRows(site, row, row, site, 0)) pending_ = Pending::kMove;
}

void SiteTreeModel::OnPageMarkAboutToBeRemoved(const CPez& p, const PageMarkPlace& at) {
  if (at.siteAlone) {
    const int siteRow = static_cast<int>(at.siteRow);
    beginRemoveRows({}, siteRow, siteRow);
  } else {
    const int row = Row(at, store_.SiteAt(at.siteRow).pages.size());
    beginRemoveRows(SiteIndex(at.siteRow), row, row);
    recounted_.push_back(at.siteRow);
  }
  pending_ = Pending::kRemove;
}

// A move between two Sites that stay; a Site that comes or goes with it makes a reset.
void SiteTreeModel::OnPageMarkAboutToChangeSite(const CPez& p, const PageMarkPlace& from,
                                                const PageMarkPlace& to) {
  if (from.siteAlone || to.siteAlone) return OnStoreAboutToReset();
  const int row = Row(from, store_.SiteAt(from.siteRow).pages.size());
  if (!beginMoveRows(SiteIndex(from.siteRow), row, row, SiteIndex(to.siteRow), 0)) return;
  pending_ = Pending::kMove;
  recounted_ = {from.siteRow, to.siteRow};
}

void SiteTreeModel::OnStoreAboutToReset() {
  beginResetModel();
  pending_ = Pending::kReset;
}

void SiteTreeModel::Finish() {
  EndPending();
  for (std::size_t row : std::exchange(recounted_, {})) {
    const QModelIndex site = SiteIndex(row);
    emit dataChanged(site, site, {Qt::DisplayRole});
  }
}

void SiteTreeModel::EndPending() {
  switch (std::exchange(pending_, Pending::kNone)) {
    case Pending::kInsert:
      return endInsertRows();
    case Pending::kRemove:
      return endRemoveRows();
    case Pending::kMove:
      return endMoveRows();
    case Pending::kReset:
      verdicts_.clear();
      recounted_.clear();
      return endResetModel();
    case Pending::kNone:
      return;
  }
}

void SiteTreeModel::OnPageMarkAdded(const CPez&) {
  Finish();
}

void SiteTreeModel::OnPageMarkChanged(const CPez& p, uint32_t) {
  Finish();
  const QModelIndex at = IndexOf(p);
  emit dataChanged(at, at, {Qt::DisplayRole, Qt::ToolTipRole});
}

void SiteTreeModel::OnPageMarkRemoved(const CPez& p) {
  verdicts_.erase(&p);
  Finish();
}

void SiteTreeModel::OnStoreReset() {
  Finish();
}
