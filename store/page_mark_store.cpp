#include "store/page_mark_store.h"

#include <algorithm>
#include <utility>

#include "store/placeholder_title.h"
#include "store/site_keys.h"

namespace {

// Shown again within five minutes of its first visit: the last visit stays the first.
constexpr int64_t kRevisitGraceSeconds = 300;

// Whether a page's title gives way to the one offered. A stand-in (the address the browser shows
// while the page gives no title) never replaces a real title, and the empty title replaces nothing.
bool TakesTitle(const std::string& url, const std::string& current, const std::string& offered) {
  if (offered == current || offered.empty()) return false;
  return !IsPlaceholderTitle(url, offered) || IsPlaceholderTitle(url, current);
}

}  // namespace

// A PageMark taken out of the store, waiting for its notices before it is freed.
struct PageMarkStore::Removal {
  std::unique_ptr<CPez> page;
  std::string siteKey;
  bool siteGone = false;
};

PageMarkStore::PageMarkStore(const CPrefs& prefs, const Clock& clock, Probes probes)
    : prefs_(prefs), clock_(clock), probes_(std::move(probes)) {}

PageMarkStore::~PageMarkStore() = default;

template <typename Call>
void PageMarkStore::Notify(Call call) {
  listeners_.Notify(call);
}

size_t PageMarkStore::PageMarkLimit() const {
  if (prefs_.maxPageMarks <= 0) return kDefaultMaxPageMarks;
  return std::min(static_cast<size_t>(prefs_.maxPageMarks), kPageMarkNumbers);
}

// --- Reading ---

const CPez* PageMarkStore::FindPageMarkByUrl(const std::string& url) const {
  auto it = byUrl_.find(url);
  return it == byUrl_.end() ? nullptr : it->second;
}

const CPez* PageMarkStore::FindPageMarkByCommand(uint32_t commandId) const {
  auto it = byCommand_.find(commandId);
  return it == byCommand_.end() ? nullptr : it->second;
}

std::vector<const CPez*> PageMarkStore::PagesOfSite(const std::string& siteKey) const {
  auto it = sites_.find(siteKey);
  if (it == sites_.end()) return {};
  return {it->second.pages.begin(), it->second.pages.end()};
}

const std::string& PageMarkStore::SiteKeyOf(const CPez& p) const {
  static const std::string none;
  auto it = entries_.find(&p);
  return it == entries_.end() ? none : it->second.site->key;
}

std::size_t PageMarkStore::SiteRow(const std::string& siteKey) const {
  return static_cast<std::size_t>(std::lower_bound(siteKeys_.begin(), siteKeys_.end(), siteKey) -
                                  siteKeys_.begin());
}

PageMarkPlace PageMarkStore::PlaceOf(const CPez& p) const {
  const Entry& entry = entries_.at(&p);
  const std::list<CPez*>& members = entry.site->pages;
  return {.orderRow = static_cast<std::size_t>(
              std::distance(cache_.cbegin(), PageMarkList::Owned::const_iterator(entry.inOrder))),
          .siteRow = SiteRow(entry.site->key),
          .rowInSite = static_cast<std::size_t>(
              std::distance(members.cbegin(), std::list<CPez*>::const_iterator(entry.inSite))),
          .siteAlone = members.size() == 1};
}

PageMarkPlace PageMarkStore::PlaceForNew(const std::string& siteKey) const {
  auto site = sites_.find(siteKey);
  const bool alone = site == sites_.end();
  return {.orderRow = cache_.size(),
          .siteRow = alone ? SiteInsertPosition(siteKeys_, siteKey) : SiteRow(siteKey),
          .rowInSite = alone ? 0 : site->second.pages.size(),
          .siteAlone = alone};
}

// The pointer is compared, never followed, until it is known to be in the store.
CPez* PageMarkStore::Find(const CPez* p) const {
  if (!p || !entries_.contains(p)) return nullptr;
  return const_cast<CPez*>(p);
}

// --- Visits ---

bool PageMarkStore::RecordVisit(const std::string& url, const std::string& title) {
  const Time32 now = clock_.Now();
  auto found = byUrl_.find(url);
  if (found == byUrl_.end()) {
    RecordNewPage(url, title, now);
    return true;
  }
  return RecordRevisit(*found->second, url, title, now);
}

// Three changes at most, each told whole before the next: the oldest PageMark makes room when
// every number is in use, the new one comes, and the oldest goes when the store is over its limit.
void PageMarkStore::RecordNewPage(const std::string& url, const std::string& title, Time32 now) {
  if (probes_.beforeVisit) probes_.beforeVisit();
  if (nextCommandId_ > kLastPageMarkCommand && freeNumbers_.empty() && !cache_.empty())
    DeletePageMark(cache_.front().get());
  std::string siteKey = SiteKeyForUrl(url, prefs_.simpleSites, prefs_.modernSites);
  const PageMarkPlace at = PlaceForNew(siteKey);
  Notify([&](StoreListener& l) { l.OnPageMarkAboutToBeAdded(at); });
  CPez* p = nullptr;
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    auto owned = std::make_unique<CPez>();
    p = owned.get();
    p->title = title;
    p->url = url;
    p->commandId = NextNumber();
    p->lastVisited = p->firstVisited = now;
    byUrl_[p->url] = p;
    byCommand_[p->commandId] = p;
    cache_.push_back(std::move(owned));
    entries_[p].inOrder = std::prev(cache_.end());
    // A new page is the last recorded one too: going back to the page before is a revisit.
    lastRecordedUrl_ = url;
    JoinSite(*p, std::move(siteKey));
  }
  // Only now: a save that takes the mark from here on copies the store with the new page in it.
  cacheDirty_ = true;
  if (at.siteAlone) Notify([&](StoreListener& l) { l.OnSiteAdded(SiteKeyOf(*p)); });
  Notify([&](StoreListener& l) { l.OnPageMarkAdded(*p); });
  if (cache_.size() > PageMarkLimit()) DeletePageMark(cache_.front().get());
}

bool PageMarkStore::RecordRevisit(CPez& p, const std::string& url, const std::string& title, Time32 now) {
  if (probes_.beforeVisit) probes_.beforeVisit();
  if (url == lastRecordedUrl_) {
    // The same page echoed again: only a title that arrived late is taken.
    if (TakesTitle(url, p.title, title)) Retitle(p, title);
    cacheDirty_ = true;
    return false;
  }
  uint32_t what = kChangedVisited;
  const PageMarkPlace from = PlaceOf(p);
  Notify([&](StoreListener& l) { l.OnPageMarkAboutToMove(p, from); });
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    lastRecordedUrl_ = url;
    if (TakesTitle(url, p.title, title)) {
      what |= kChangedTitle;
      p.title = title;
    }
    if (static_cast<int64_t>(now) - p.firstVisited > kRevisitGraceSeconds) p.lastVisited = now;
    const Entry& entry = entries_.at(&p);
    cache_.splice(cache_.end(), cache_, entry.inOrder);
    std::list<CPez*>& members = entry.site->pages;
    members.splice(members.end(), members, entry.inSite);
  }
  cacheDirty_ = true;  // after the change, as for a new page
  Notify([&](StoreListener& l) { l.OnPageMarkChanged(p, what); });
  return true;
}

bool PageMarkStore::RetitlePage(const std::string& url, const std::string& title) {
  auto found = byUrl_.find(url);
  if (found == byUrl_.end() || !TakesTitle(url, found->second->title, title)) return false;
  Retitle(*found->second, title);
  cacheDirty_ = true;
  return true;
}

void PageMarkStore::Retitle(CPez& p, const std::string& title) {
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    p.title = title;
  }
  Notify([&](StoreListener& l) { l.OnPageMarkChanged(p, kChangedTitle); });
}

// Numbers run from 1034 up; once 6033 is used, the numbers of PageMarks that left the store are
// used again, so a PageMark keeps its number for as long as it is in the store.
uint32_t PageMarkStore::NextNumber() {
  if (nextCommandId_ <= kLastPageMarkCommand) return nextCommandId_++;
  const uint32_t number = freeNumbers_.back();
  freeNumbers_.pop_back();
  return number;
}

bool PageMarkStore::JoinSite(CPez& p, std::string siteKey) {
  PageMarkSite& site = sites_[siteKey];
  const bool isNew = site.pages.empty();
  if (isNew) {
    siteKeys_.insert(siteKeys_.begin() + static_cast<std::ptrdiff_t>(SiteInsertPosition(siteKeys_, siteKey)),
                     siteKey);
    site.key = std::move(siteKey);
  }
  site.pages.push_back(&p);
  Entry& entry = entries_[&p];
  entry.site = &site;
  entry.inSite = std::prev(site.pages.end());
  return isNew;
}

bool PageMarkStore::LeaveSite(const CPez& p, std::string& siteKey) {
  Entry& entry = entries_.at(&p);
  siteKey = entry.site->key;
  std::list<CPez*>& members = entry.site->pages;
  members.erase(entry.inSite);
  entry.site = nullptr;
  if (!members.empty()) return false;
  sites_.erase(siteKey);
  auto at = std::lower_bound(siteKeys_.begin(), siteKeys_.end(), siteKey);
  if (at != siteKeys_.end() && *at == siteKey) siteKeys_.erase(at);
  return true;
}

// --- Removals ---

PageMarkStore::Removal PageMarkStore::Unlink(CPez& p) {
  Removal removal;
  ++generation_;
  const PageMarkList::Owned::iterator at = entries_.at(&p).inOrder;
  removal.page = std::move(*at);
  cache_.erase(at);
  if (auto it = byUrl_.find(p.url); it != byUrl_.end() && it->second == &p) byUrl_.erase(it);
  if (auto it = byCommand_.find(p.commandId); it != byCommand_.end() && it->second == &p) {
    byCommand_.erase(it);
    freeNumbers_.push_back(p.commandId);
  }
  removal.siteGone = LeaveSite(p, removal.siteKey);
  entries_.erase(&p);
  std::erase(sendToTopics_, &p);
  return removal;
}

void PageMarkStore::Finish(Removal removal) {
  Notify([&](StoreListener& l) { l.OnPageMarkRemoved(*removal.page); });
  if (removal.siteGone) Notify([&](StoreListener& l) { l.OnSiteRemoved(removal.siteKey); });
}

void PageMarkStore::DeletePageMark(const CPez* target) {
  CPez* p = Find(target);
  if (!p) return;
  const PageMarkPlace at = PlaceOf(*p);
  Notify([&](StoreListener& l) { l.OnPageMarkAboutToBeRemoved(*p, at); });
  Removal removal;
  {
    std::lock_guard lock(mutex_);
    removal = Unlink(*p);
  }
  cacheDirty_ = true;
  Finish(std::move(removal));
}

void PageMarkStore::TrimTo(std::size_t limit) {
  while (cache_.size() > limit) DeletePageMark(cache_.front().get());
}

void PageMarkStore::ClearStore() {
  Notify([](StoreListener& l) { l.OnStoreAboutToReset(); });
  PageMarkList::Owned freed;
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    freed = std::move(cache_);
    cache_.clear();
    BuildIndexes();
  }
  Notify([](StoreListener& l) { l.OnStoreReset(); });
}

// --- Whole-store changes ---

std::size_t PageMarkStore::Load(std::vector<std::unique_ptr<CPez>> pages) {
  std::size_t leftOut = 0;
  PageMarkList::Owned old;
  Notify([](StoreListener& l) { l.OnStoreAboutToReset(); });
  {
    std::lock_guard lock(mutex_);
    if (pages.size() > kPageMarkNumbers) {
      leftOut = pages.size() - kPageMarkNumbers;
      pages.erase(pages.begin(), pages.begin() + static_cast<std::ptrdiff_t>(leftOut));
    }
    ++generation_;
    old = std::move(cache_);
    cache_.clear();
    for (std::unique_ptr<CPez>& page : pages)
      if (page) cache_.push_back(std::move(page));
    BuildIndexes();
  }
  Notify([](StoreListener& l) { l.OnStoreReset(); });
  return leftOut;
}

// Numbers every PageMark from 1034, oldest first, and indexes it by URL and by Site. Of two
// PageMarks with one URL (only a hand-made file has them) the newer stays.
void PageMarkStore::BuildIndexes() {
  byUrl_.clear();
  byCommand_.clear();
  sendToTopics_.clear();
  freeNumbers_.clear();
  nextCommandId_ = kFirstPageMarkCommand;
  for (auto it = cache_.rbegin(); it != cache_.rend(); ++it)
    if (!byUrl_.emplace((*it)->url, it->get()).second) it->reset();
  cache_.remove(nullptr);
  entries_.clear();
  for (auto it = cache_.begin(); it != cache_.end(); ++it) {
    (*it)->commandId = nextCommandId_++;
    byCommand_[(*it)->commandId] = it->get();
    entries_[it->get()].inOrder = it;
  }
  IndexSites();
}

void PageMarkStore::IndexSites() {
  sites_.clear();
  siteKeys_.clear();
  for (const std::unique_ptr<CPez>& p : cache_) {
    std::string key = SiteKeyForUrl(p->url, prefs_.simpleSites, prefs_.modernSites);
    PageMarkSite& site = sites_[key];
    if (site.pages.empty()) site.key = std::move(key);
    site.pages.push_back(p.get());
    Entry& entry = entries_[p.get()];
    entry.site = &site;
    entry.inSite = std::prev(site.pages.end());
  }
  for (const auto& [key, members] : sites_) siteKeys_.push_back(key);
  std::sort(siteKeys_.begin(), siteKeys_.end());
}

void PageMarkStore::RegroupSites() {
  Notify([](StoreListener& l) { l.OnStoreAboutToReset(); });
  {
    std::lock_guard lock(mutex_);
    IndexSites();
  }
  Notify([](StoreListener& l) { l.OnStoreReset(); });
}

// --- Edits ---

bool PageMarkStore::EditPageMark(const CPez* target, const std::string& title, const std::string& url) {
  CPez* p = Find(target);
  if (!p) return false;
  if (url != p->url && byUrl_.contains(url)) return false;
  const std::string oldSite = SiteKeyOf(*p);
  std::string newSite = url == p->url ? oldSite : SiteKeyForUrl(url, prefs_.simpleSites, prefs_.modernSites);
  const bool moves = newSite != oldSite;
  PageMarkPlace to;
  if (moves) {
    const PageMarkPlace from = PlaceOf(*p);
    to = PlaceForNew(newSite);
    to.orderRow = from.orderRow;
    Notify([&](StoreListener& l) { l.OnPageMarkAboutToChangeSite(*p, from, to); });
  }
  uint32_t what = 0;
  bool siteGone = false;
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    if (title != p->title) what |= kChangedTitle;
    p->title = title;
    if (url != p->url) {
      what |= kChangedUrl;
      byUrl_.erase(p->url);
      p->url = url;
      byUrl_[p->url] = p;
    }
    if (moves) {
      std::string left;
      siteGone = LeaveSite(*p, left);
      JoinSite(*p, std::move(newSite));
    }
  }
  cacheDirty_ = true;
  if (moves && to.siteAlone) Notify([&](StoreListener& l) { l.OnSiteAdded(SiteKeyOf(*p)); });
  if (what) Notify([&](StoreListener& l) { l.OnPageMarkChanged(*p, what); });
  if (siteGone) Notify([&](StoreListener& l) { l.OnSiteRemoved(oldSite); });
  return true;
}

void PageMarkStore::SetPageMarkSize(const CPez* target, uint32_t size) {
  CPez* p = nullptr;
  {
    std::lock_guard lock(mutex_);
    p = Find(target);
    if (!p || p->size == size) return;
    ++generation_;
    p->size = size;
  }
  cacheDirty_ = true;
  Notify([&](StoreListener& l) { l.OnPageMarkChanged(*p, kChangedSize); });
}

void PageMarkStore::MarkForTopics(const CPez* target, bool marked) {
  const CPez* p = Find(target);
  if (!p) return;
  std::lock_guard lock(mutex_);
  const bool listed = std::find(sendToTopics_.begin(), sendToTopics_.end(), p) != sendToTopics_.end();
  if (marked && !listed) sendToTopics_.push_back(p);
  if (!marked) std::erase(sendToTopics_, p);
}

std::vector<const CPez*> PageMarkStore::TakeSendToTopicsList() {
  std::lock_guard lock(mutex_);
  return std::exchange(sendToTopics_, {});
}

// --- Any thread ---

PageMarkStore::Copy PageMarkStore::Snapshot() const {
  std::lock_guard lock(mutex_);
  if (probes_.whileCopying) probes_.whileCopying();
  Copy copy;
  copy.generation = generation_;
  copy.pages.reserve(cache_.size());
  for (const std::unique_ptr<CPez>& p : cache_) copy.pages.push_back(*p);
  return copy;
}
