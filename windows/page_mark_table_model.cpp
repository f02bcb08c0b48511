#include "windows/page_mark_table_model.h"

#include <QApplication>
#include <QPalette>
#include <unordered_map>

#include "windows/shown_text.h"

namespace {

const char* const kHeaders[kColumnCount] = {"Title", "URL", "Last Visited", "First Visited"};

}  // namespace

PageMarkTableModel::PageMarkTableModel(const PageMarkStore& store, QObject* parent)
    : QAbstractTableModel(parent),
      store_(store),
      images_(PageMarkImages()),
      subscription_(store.Subscribe(*this)) {
  Reset();
}

void PageMarkTableModel::Reset() {
  std::vector<const CPez*> topFirst;
  topFirst.reserve(store_.Count());
  const PageMarkList pages = store_.PageMarks();
  for (auto it = pages.end(); it != pages.begin();) topFirst.push_back(&*--it);
  beginResetModel();
  rows_.Reset(topFirst);
  endResetModel();
}

void PageMarkTableModel::OnPageMarkAdded(const CPez& p) {
  Add(p);
  emit Followed(false);
}

void PageMarkTableModel::OnPageMarkChanged(const CPez& p, uint32_t what) {
  if (!(what & (kChangedTitle | kChangedUrl))) return;
  if (const PageMarkRow* row = rows_.FindPage(&p)) Refresh(row->key);
}

void PageMarkTableModel::OnPageMarkRemoved(const CPez& p) {
  if (const PageMarkRow* row = rows_.FindPage(&p)) Remove(row->key);
  emit Followed(false);
}

void PageMarkTableModel::OnStoreReset() {
  Reset();
  emit Followed(true);
}

void PageMarkTableModel::Add(const CPez& page) {
  const int position = rows_.PlaceOf(page);
  if (position < 0) {
    rows_.Add(page);
    return;
  }
  beginInsertRows({}, position, position);
  rows_.Add(page);
  endInsertRows();
}

void PageMarkTableModel::Remove(ItemKey key) {
  const int position = rows_.ShownPosition(key);
  if (position < 0) return rows_.Remove(key);
  beginRemoveRows({}, position, position);
  rows_.Remove(key);
  endRemoveRows();
}

// A new title or URL may take a row into the filter or out of it.
void PageMarkTableModel::Refresh(ItemKey key) {
  const int before = rows_.ShownPosition(key);
  const int shownBefore = rows_.ShownCount();
  rows_.Refresh(key);
  if (rows_.ShownCount() != shownBefore) {
    beginResetModel();
    endResetModel();
  } else if (before >= 0) {
    emit dataChanged(index(before, kTitleColumn), index(before, kUrlColumn));
  }
}

void PageMarkTableModel::SetVerdict(ItemKey key, Verdict verdict, const QString& reason) {
  rows_.SetVerdict(key, verdict, reason);
  const int position = rows_.ShownPosition(key);
  if (position >= 0) emit dataChanged(index(position, kTitleColumn), index(position, kTitleColumn));
}

void PageMarkTableModel::ClearVerdicts() {
  rows_.ClearVerdicts();
  if (rows_.ShownCount() > 0)
    emit dataChanged(index(0, kTitleColumn), index(rows_.ShownCount() - 1, kTitleColumn),
                     {Qt::DecorationRole, Qt::ToolTipRole});
}

// The selection and the current row follow their rows to where the sort puts them.
void PageMarkTableModel::Sort(int column, bool flag) {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<ItemKey> keys;
  keys.reserve(static_cast<std::size_t>(before.size()));
  for (const QModelIndex& at : before) keys.push_back(rows_.Shown(at.row()).key);
  rows_.Sort(column, flag);
  std::unordered_map<ItemKey, int> positions;
  for (int i = 0; i < rows_.ShownCount(); ++i) positions[rows_.Shown(i).key] = i;
  QModelIndexList after;
  for (qsizetype i = 0; i < before.size(); ++i)
    after.append(index(positions[keys[static_cast<std::size_t>(i)]], before[i].column()));
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void PageMarkTableModel::SetFilter(const QString& text) {
  beginResetModel();
  rows_.SetFilter(text);
  endResetModel();
}

void PageMarkTableModel::SetWatched(const WatchedPages* watched) {
  watched_ = watched;
  watchFollower_.reset();
  if (watched_)
    watchFollower_ = std::make_unique<WatchFollower>(*watched_, [this](const std::string&) {
      if (rows_.CurrentWatchFilter() != WatchFilter::kAll) return SetWatchFilter(rows_.CurrentWatchFilter());
      if (rowCount() > 0) emit dataChanged(index(0, kTitleColumn), index(rowCount() - 1, kTitleColumn));
    });
  SetWatchFilter(rows_.CurrentWatchFilter());
}

void PageMarkTableModel::SetWatchFilter(WatchFilter filter) {
  beginResetModel();
  rows_.SetWatchFilter(filter, watched_);
  endResetModel();
}

int PageMarkTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : rows_.ShownCount();
}

int PageMarkTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant PageMarkTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_.ShownCount()) return {};
  const PageMarkRow& row = rows_.Shown(index.row());
  const bool untitled = row.title.trimmed().isEmpty();
  if (index.column() == kTitleColumn) {
    const WatchedPage* watched = watched_ ? watched_->Find(row.page->url) : nullptr;
    if (role == Qt::DecorationRole) return images_.At(VerdictImage(ShownVerdict(row.verdict, watched)));
    if (role == Qt::ForegroundRole && untitled)
      return QApplication::palette().brush(QPalette::PlaceholderText);
    if (role == Qt::ToolTipRole) {
      const QString tip = WithVerdict(untitled ? row.shownUrl : row.title, row.verdict, row.reason);
      return watched ? tip + '\n' + QString::fromStdString(WatchTip(*watched)) : tip;
    }
  }
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  switch (index.column()) {
    case kTitleColumn:
      return untitled ? row.shownUrl : row.title;
    case kUrlColumn:
      return row.shownUrl;
    case kLastVisitedColumn:
      return FormatVisitTime(row.lastVisited);
    case kFirstVisitedColumn:
      return FormatVisitTime(row.firstVisited);
    default:
      return {};
  }
}

QVariant PageMarkTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumnCount)
    return {};
  return QString::fromLatin1(kHeaders[section]);
}
