#include "windows/page_mark_rows.h"

#include <algorithm>

#include "windows/shown_text.h"

bool PageMarkSortFlags::Flip(int column) {
  int32_t& flag = flags[static_cast<std::size_t>(column)];
  flag = flag == 0 ? 1 : 0;
  return flag == 1;
}

namespace {

// A row without a title shows its URL in the Title column, and sorts and filters by it there.
QString SortTitle(const QString& title, const QString& shownUrl) {
  return (title.trimmed().isEmpty() ? shownUrl : title).toCaseFolded();
}

}  // namespace

bool SortsBefore(const PageMarkRow& a, const PageMarkRow& b, int column, bool flag) {
  switch (column) {
    case kTitleColumn:
      return flag ? a.foldedTitle < b.foldedTitle : b.foldedTitle < a.foldedTitle;
    case kUrlColumn:
      return flag ? a.foldedUrl < b.foldedUrl : b.foldedUrl < a.foldedUrl;
    case kLastVisitedColumn:
      return flag ? a.lastVisited > b.lastVisited : a.lastVisited < b.lastVisited;
    case kFirstVisitedColumn:
      return flag ? a.firstVisited > b.firstVisited : a.firstVisited < b.firstVisited;
    default:
      return false;
  }
}

bool PassesFilter(const PageMarkRow& row, const QString& foldedFilter) {
  return foldedFilter.isEmpty() || row.foldedTitle.contains(foldedFilter) ||
         row.foldedUrl.contains(foldedFilter);
}

bool PassesWatchFilter(const PageMarkRow& row, WatchFilter filter, const WatchedPages* watched) {
  if (filter == WatchFilter::kAll) return true;
  const WatchedPage* page = watched && row.page ? watched->Find(row.page->url) : nullptr;
  return page && (filter == WatchFilter::kWatched || page->changed);
}

bool PageMarkRows::Passes(const PageMarkRow& row) const {
  return PassesFilter(row, filter_) && PassesWatchFilter(row, watchFilter_, watched_);
}

void PageMarkRows::SetWatchFilter(WatchFilter filter, const WatchedPages* watched) {
  watchFilter_ = filter;
  watched_ = watched;
  Refilter();
}

std::unique_ptr<PageMarkRow> PageMarkRows::MakeRow(const CPez& page) {
  auto row = std::make_unique<PageMarkRow>();
  row->key = ++lastKey_;
  row->page = &page;
  row->title = QString::fromStdString(page.title);
  row->url = QString::fromStdString(page.url);
  row->shownUrl = ShownUrl(page.url);
  row->foldedTitle = SortTitle(row->title, row->shownUrl);
  row->foldedUrl = row->shownUrl.toCaseFolded();
  row->lastVisited = page.lastVisited;
  row->firstVisited = page.firstVisited;
  return row;
}

void PageMarkRows::Reset(const std::vector<const CPez*>& topFirst) {
  all_.clear();
  byKey_.clear();
  byPage_.clear();
  all_.reserve(topFirst.size());
  for (const CPez* page : topFirst) {
    all_.push_back(MakeRow(*page));
    byKey_[all_.back()->key] = all_.back().get();
    byPage_[page] = all_.back().get();
  }
  if (sortColumn_ >= 0) return Sort(sortColumn_, sortFlag_);
  Refilter();
}

std::size_t PageMarkRows::InsertionPoint(const PageMarkRow& row) const {
  if (sortColumn_ < 0) return 0;
  const auto at = std::partition_point(all_.begin(), all_.end(), [&](const std::unique_ptr<PageMarkRow>& r) {
    return SortsBefore(*r, row, sortColumn_, sortFlag_);
  });
  return static_cast<std::size_t>(at - all_.begin());
}

int PageMarkRows::PlaceOf(const CPez& page) const {
  PageMarkRow row;
  row.title = QString::fromStdString(page.title);
  row.foldedUrl = ShownUrl(page.url).toCaseFolded();
  row.foldedTitle = SortTitle(row.title, ShownUrl(page.url));
  row.lastVisited = page.lastVisited;
  row.firstVisited = page.firstVisited;
  row.page = &page;
  if (!Passes(row)) return -1;
  const std::size_t point = InsertionPoint(row);
  return static_cast<int>(std::count_if(all_.begin(), all_.begin() + static_cast<std::ptrdiff_t>(point),
                                        [](const std::unique_ptr<PageMarkRow>& r) { return r->shown; }));
}

int PageMarkRows::Add(const CPez& page) {
  std::unique_ptr<PageMarkRow> made = MakeRow(page);
  PageMarkRow* row = made.get();
  const std::size_t point = InsertionPoint(*row);
  all_.insert(all_.begin() + static_cast<std::ptrdiff_t>(point), std::move(made));
  byKey_[row->key] = row;
  byPage_[&page] = row;
  row->shown = Passes(*row);
  if (!row->shown) return -1;
  const int position =
      static_cast<int>(std::count_if(all_.begin(), all_.begin() + static_cast<std::ptrdiff_t>(point),
                                     [](const std::unique_ptr<PageMarkRow>& r) { return r->shown; }));
  shown_.insert(shown_.begin() + position, row);
  return position;
}

void PageMarkRows::Remove(ItemKey key) {
  auto found = byKey_.find(key);
  if (found == byKey_.end()) return;
  PageMarkRow* row = found->second;
  byKey_.erase(found);
  byPage_.erase(row->page);
  std::erase(shown_, row);
  std::erase_if(all_, [row](const std::unique_ptr<PageMarkRow>& r) { return r.get() == row; });
}

void PageMarkRows::Refresh(ItemKey key) {
  auto found = byKey_.find(key);
  if (found == byKey_.end()) return;
  PageMarkRow& row = *found->second;
  row.title = QString::fromStdString(row.page->title);
  row.url = QString::fromStdString(row.page->url);
  row.shownUrl = ShownUrl(row.page->url);
  row.foldedTitle = SortTitle(row.title, row.shownUrl);
  row.foldedUrl = row.shownUrl.toCaseFolded();
  Refilter();
}

void PageMarkRows::SetVerdict(ItemKey key, Verdict verdict, const QString& reason) {
  if (auto found = byKey_.find(key); found != byKey_.end()) {
    found->second->verdict = verdict;
    found->second->reason = reason;
  }
}

void PageMarkRows::ClearVerdicts() {
  for (const std::unique_ptr<PageMarkRow>& row : all_) {
    row->verdict = Verdict::kUnchanged;
    row->reason.clear();
  }
}

void PageMarkRows::Sort(int column, bool flag) {
  sortColumn_ = column;
  sortFlag_ = flag;
  std::stable_sort(all_.begin(), all_.end(), [column, flag](const auto& a, const auto& b) {
    return SortsBefore(*a, *b, column, flag);
  });
  Refilter();
}

void PageMarkRows::SetFilter(const QString& text) {
  filter_ = text.toCaseFolded();
  Refilter();
}

void PageMarkRows::Refilter() {
  shown_.clear();
  shown_.reserve(all_.size());
  for (const std::unique_ptr<PageMarkRow>& row : all_) {
    row->shown = Passes(*row);
    if (row->shown) shown_.push_back(row.get());
  }
}

int PageMarkRows::ShownPosition(ItemKey key) const {
  auto found = byKey_.find(key);
  if (found == byKey_.end() || !found->second->shown) return -1;
  auto at = std::find(shown_.begin(), shown_.end(), found->second);
  return at == shown_.end() ? -1 : static_cast<int>(at - shown_.begin());
}

const PageMarkRow* PageMarkRows::Find(ItemKey key) const {
  auto found = byKey_.find(key);
  return found == byKey_.end() ? nullptr : found->second;
}

const PageMarkRow* PageMarkRows::FindPage(const CPez* page) const {
  auto found = byPage_.find(page);
  return found == byPage_.end() ? nullptr : found->second;
}
