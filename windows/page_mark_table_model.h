#pragma once

#include <QAbstractTableModel>
#include <memory>
#include <vector>

#include "store/page_mark_store.h"
#include "windows/image_list.h"
#include "windows/page_mark_rows.h"
#include "windows/watch_marks.h"

// The PageMarks list as a Qt table: an adapter over PageMarkRows that follows the store and tells
// the view of every change. Columns "Title" (with the verdict's picture; an empty title shows the
// URL, greyed), "URL" (decoded for reading), "Last Visited", "First Visited" (the locale's date and
// time). The tooltip of a marked title says the verdict and its reason. The rows are in the order
// the user sorted them, not the store's, so they are the model's own: a new PageMark comes where
// the sort puts it (at the top while unsorted), a removed one loses its row, new titles and URLs
// show (and may take a row into the filter or out of it), a reset of the store starts again from
// the store's order under the same sort; a revisit moves nothing.
class PageMarkTableModel : public QAbstractTableModel, private StoreListener {
  Q_OBJECT

 public:
  explicit PageMarkTableModel(const PageMarkStore& store, QObject* parent = nullptr);

  const PageMarkRows& Rows() const { return rows_; }

  void SetVerdict(ItemKey key, Verdict verdict, const QString& reason = {});
  void ClearVerdicts();
  void Sort(int column, bool flag);
  void SetFilter(const QString& text);
  // The watched pages show their pictures and tips, and the watch filter applies; null: none.
  void SetWatched(const WatchedPages* watched);
  void SetWatchFilter(WatchFilter filter);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 signals:
  // The store gained or lost a PageMark (reset: it was reset, and the rows are in its order again).
  void Followed(bool reset);

 private:
  // One row per PageMark of the store, the most recently visited at the top.
  void Reset();
  void Add(const CPez& page);
  void Remove(ItemKey key);
  void Refresh(ItemKey key);

  void OnPageMarkAdded(const CPez& p) override;
  void OnPageMarkChanged(const CPez& p, uint32_t what) override;
  void OnPageMarkRemoved(const CPez& p) override;
  void OnStoreReset() override;

  const PageMarkStore& store_;
  PageMarkRows rows_;
  ImageList images_;
  PageMarkStore::Subscription subscription_;
  const WatchedPages* watched_ = nullptr;
  std::unique_ptr<WatchFollower> watchFollower_;
};
