#pragma once

#include <QAbstractItemModel>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "checker/check_view.h"
#include "store/page_mark_store.h"
#include "windows/image_list.h"
#include "windows/watch_marks.h"

// The Sites tree as a Qt item model straight over the store: no copies of its records. The top
// rows are the Sites in the store's sorted order, each index pointing at the store's PageMarkSite;
// below each Site its PageMarks, the most recently visited first (the reverse of the store's Site
// order), each index pointing at the store's CPez. The model follows the store's two-phase
// notices: a new PageMark comes at the top of its Site, a revisit moves it there, a removal takes
// its row (and its Site's row when the Site goes with it). An edit that takes a PageMark to another
// Site moves its row there; when that makes or empties a Site the model is reset instead.
//
// One column: the Site's key with its count of PageMarks ("example.org (5)"), or the PageMark's
// title (an empty one shows the URL, greyed) with the picture of its last verdict; a PageMark's
// tooltip is its URL, decoded for reading, and the verdict with its reason. A watched page shows
// its own picture where no check of the window found anything, and its watch line in the tooltip.
class SiteTreeModel : public QAbstractItemModel, private StoreListener {
  Q_OBJECT

 public:
  explicit SiteTreeModel(const PageMarkStore& store, QObject* parent = nullptr);

  // The PageMark of a PageMark row; null for a Site row or an invalid index.
  const CPez* PageAt(const QModelIndex& index) const;
  // The Site of a Site row; null otherwise.
  const PageMarkSite* SiteAt(const QModelIndex& index) const;
  QModelIndex IndexOf(const PageMarkSite& site) const;
  QModelIndex IndexOf(const CPez& page) const;
  void SetVerdict(const CPez& page, Verdict verdict, const QString& reason = {});
  void ClearVerdicts();
  // The watched pages show their pictures and tips; null: none.
  void SetWatched(const WatchedPages* watched);

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 private:
  // What the store announced and the model has begun to tell its views.
  enum class Pending { kNone, kInsert, kRemove, kMove, kReset };

  // A PageMark's row in its Site from its place in the store's Site list.
  static int Row(const PageMarkPlace& at, std::size_t sitePages);
  QModelIndex SiteIndex(std::size_t siteRow) const;

  void OnPageMarkAboutToBeAdded(const PageMarkPlace& at) override;
  void OnPageMarkAboutToMove(const CPez& p, const PageMarkPlace& from) override;
  void OnPageMarkAboutToBeRemoved(const CPez& p, const PageMarkPlace& at) override;
  void OnPageMarkAboutToChangeSite(const CPez& p, const PageMarkPlace& from,
                                   const PageMarkPlace& to) override;
  void OnStoreAboutToReset() override;
  void OnPageMarkAdded(const CPez& p) override;
  void OnPageMarkChanged(const CPez& p, uint32_t what) override;
  void OnPageMarkRemoved(const CPez& p) override;
  void OnStoreReset() override;
  // Ends what was begun, and tells of the new counts of the Sites it touched.
  void Finish();
  void EndPending();

  const PageMarkStore& store_;
  ImageList images_;
  struct Mark {
    Verdict verdict = Verdict::kUnchanged;
    QString reason;
  };
  // The last verdict of each PageMark checked in the last run.
  std::unordered_map<const CPez*, Mark> verdicts_;
  Pending pending_ = Pending::kNone;
  std::vector<std::size_t> recounted_;  // rows of Sites that stay, whose count the change alters
  PageMarkStore::Subscription subscription_;
  const WatchedPages* watched_ = nullptr;
  std::unique_ptr<WatchFollower> watchFollower_;
};
