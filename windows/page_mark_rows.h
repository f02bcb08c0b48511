#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "checker/check_view.h"
#include "store/records.h"
#include "store/watched_pages.h"

// The columns of the PageMarks list.
enum PageMarkColumn : int { kTitleColumn, kUrlColumn, kLastVisitedColumn, kFirstVisitedColumn, kColumnCount };

// The sort direction of each column, shared by every PageMarks window the program opens while it
// runs; all 0 at start. A click on a column flips its flag (0 becomes 1, anything else 0).
struct PageMarkSortFlags {
  std::array<int32_t, kColumnCount> flags{};
  // Flips the column's flag; returns whether it is now 1.
  bool Flip(int column);
};

// One row of the PageMarks list. The visit times are those of the moment the row was made.
struct PageMarkRow {
  ItemKey key = 0;             // never used twice in one list: the update checker's handle
  const CPez* page = nullptr;  // in the store for as long as the row exists
  QString title;
  QString url;          // as stored
  QString shownUrl;     // decoded for reading (ShownUrl)
  QString foldedTitle;  // case-folded, for sorting and filtering without regard to case
  QString foldedUrl;    // of the URL as shown
  Time32 lastVisited = 0;
  Time32 firstVisited = 0;
  Verdict verdict = Verdict::kUnchanged;
  QString reason;     // why the check gave the verdict
  bool shown = true;  // the filter lets it through
};

// Whether row a goes before row b when column is sorted with flag set (true) or clear. Titles and
// URLs compare without regard to case, A to Z when set; visit times put the later first when set.
bool SortsBefore(const PageMarkRow& a, const PageMarkRow& b, int column, bool flag);
// Whether the title or the URL holds the filter (case-folded); an empty filter lets every row through.
bool PassesFilter(const PageMarkRow& row, const QString& foldedFilter);

// Which rows the list shows besides the text filter: all, the watched pages, or the watched pages
// with a change not looked at yet.
enum class WatchFilter { kAll, kWatched, kChanged };
bool PassesWatchFilter(const PageMarkRow& row, WatchFilter filter, const WatchedPages* watched);

// The rows of the PageMarks list in the order shown, and those of them that the filter lets
// through. No Qt model here: PageMarkTableModel tells the view.
class PageMarkRows {
 public:
  // One row per page, the first at the top; the filter and the sort stay.
  void Reset(const std::vector<const CPez*>& topFirst);
  // A row for a new page where the sort puts it (ahead of rows it ties with), at the top while
  // the list is not sorted. Returns its position among the rows shown; -1 when filtered out.
  int Add(const CPez& page);
  // The position among the rows shown that Add(page) will give; -1 when the filter keeps it out.
  int PlaceOf(const CPez& page) const;
  void Remove(ItemKey key);
  // Takes the page's title and URL again.
  void Refresh(ItemKey key);
  void SetVerdict(ItemKey key, Verdict verdict, const QString& reason = {});
  // Takes every row's mark away: no row is Updated, Unreachable or BadStatus any more.
  void ClearVerdicts();
  // Sorts every row by column (stable: rows that compare equal keep their order), and keeps that
  // sort for rows added later and for a reset.
  void Sort(int column, bool flag);
  int SortColumn() const { return sortColumn_; }  // -1: the store's order, newest first
  // Shows only the rows whose title or URL holds text, without regard to case.
  void SetFilter(const QString& text);
  // Shows only the rows that filter lets through, as watched says (null: nothing is watched).
  void SetWatchFilter(WatchFilter filter, const WatchedPages* watched);
  WatchFilter CurrentWatchFilter() const { return watchFilter_; }
  // Decides again which rows are shown (after a change of what is watched).
  void Refilter();

  int Count() const { return static_cast<int>(all_.size()); }
  int ShownCount() const { return static_cast<int>(shown_.size()); }
  const PageMarkRow& Shown(int position) const { return *shown_[static_cast<std::size_t>(position)]; }
  // The row's position among those shown; -1 when it is filtered out or unknown.
  int ShownPosition(ItemKey key) const;
  const PageMarkRow* Find(ItemKey key) const;
  const PageMarkRow* FindPage(const CPez* page) const;

 private:
  std::unique_ptr<PageMarkRow> MakeRow(const CPez& page);
  bool Passes(const PageMarkRow& row) const;
  // Where in all_ a row goes under the sort.
  std::size_t InsertionPoint(const PageMarkRow& row) const;

  std::vector<std::unique_ptr<PageMarkRow>> all_;  // top first
  std::vector<PageMarkRow*> shown_;                // top first
  std::unordered_map<ItemKey, PageMarkRow*> byKey_;
  std::unordered_map<const CPez*, PageMarkRow*> byPage_;
  QString filter_;  // case-folded
  WatchFilter watchFilter_ = WatchFilter::kAll;
  const WatchedPages* watched_ = nullptr;
  ItemKey lastKey_ = kTopLevel;
  int sortColumn_ = -1;
  bool sortFlag_ = false;
};
