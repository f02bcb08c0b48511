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

PageMarkStore::PageMarkStore(const CPrefs& prefs, const Clock& clock) : prefs_(prefs), clock_(clock) {}

PageMarkStore::~PageMarkStore() = default;

void PageMarkStore::AddListener(StoreListener* listener) {
  if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
    listeners_.push_back(listener);
}

void PageMarkStore::RemoveListener(StoreListener* listener) {
  std::erase(listeners_, listener);
}

// A listener may add or remove listeners while it is called: walk a copy, and skip those gone.
template <typename Call>
void PageMarkStore::Notify(Call call) {
  const std::vector<StoreListener*> snapshot = listeners_;
  for (StoreListener* listener : snapshot)
    if (std::find(listeners_.begin(), listeners_.end(), listener) != listeners_.end()) call(*listener);
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
  return {it->second.begin(), it->second.end()};
}

const std::string& PageMarkStore::SiteKeyOf(const CPez& p) const {
  static const std::string none;
  auto it = entries_.find(&p);
  return it == entries_.end() ? none : it->second.siteKey;
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

void PageMarkStore::RecordNewPage(const std::string& url, const std::string& title, Time32 now) {
  if (visitHook_) visitHook_(visitContext_);
  std::vector<Removal> before;
  std::vector<Removal> after;
  CPez* p = nullptr;
  bool newSite = false;
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    // Every number in use and every PageMark kept: the oldest makes room first.
    if (nextCommandId_ > kLastPageMarkCommand && freeNumbers_.empty() && !cache_.empty())
      before.push_back(Unlink(*cache_.front()));
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
    newSite = JoinSite(*p);
    if (cache_.size() > PageMarkLimit()) after.push_back(Unlink(*cache_.front()));
  }
  // Only now: a save that takes the mark from here on copies the store with the new page in it.
  cacheDirty_ = true;
  for (Removal& removal : before) Finish(std::move(removal));
  if (newSite) Notify([&](StoreListener& l) { l.OnSiteAdded(SiteKeyOf(*p)); });
  Notify([&](StoreListener& l) { l.OnPageMarkAdded(*p); });
  for (Removal& removal : after) Finish(std::move(removal));
}

bool PageMarkStore::RecordRevisit(CPez& p, const std::string& url, const std::string& title, Time32 now) {
  if (visitHook_) visitHook_(visitContext_);
  if (url == lastRecordedUrl_) {
    // The same page echoed again: only a title that arrived late is taken.
    if (TakesTitle(url, p.title, title)) Retitle(p, title);
    cacheDirty_ = true;
    return false;
  }
  uint32_t what = kChangedVisited;
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
    std::list<CPez*>& members = sites_.at(entry.siteKey);
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

bool PageMarkStore::JoinSite(CPez& p) {
  std::string key = SiteKeyForUrl(p.url, prefs_.simpleSites, prefs_.modernSites);
  std::list<CPez*>& members = sites_[key];
  members.push_back(&p);
  const bool isNew = members.size() == 1;
  if (isNew)
    siteKeys_.insert(siteKeys_.begin() + static_cast<std::ptrdiff_t>(SiteInsertPosition(siteKeys_, key)),
                     key);
  Entry& entry = entries_[&p];
  entry.siteKey = std::move(key);
  entry.inSite = std::prev(members.end());
  return isNew;
}

bool PageMarkStore::LeaveSite(const CPez& p, std::string& siteKey) {
  Entry& entry = entries_.at(&p);
  siteKey = entry.siteKey;
  std::list<CPez*>& members = sites_.at(siteKey);
  members.erase(entry.inSite);
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
  Removal removal;
  {
    std::lock_guard lock(mutex_);
    CPez* p = Find(target);
    if (!p) return;
    removal = Unlink(*p);
  }
  Finish(std::move(removal));
}

void PageMarkStore::TrimTo(std::size_t limit) {
  while (cache_.size() > limit) DeletePageMark(cache_.front().get());
}

void PageMarkStore::ClearStore() {
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
    std::list<CPez*>& members = sites_[key];
    members.push_back(p.get());
    Entry& entry = entries_[p.get()];
    entry.siteKey = std::move(key);
    entry.inSite = std::prev(members.end());
  }
  for (const auto& [key, members] : sites_) siteKeys_.push_back(key);
  std::sort(siteKeys_.begin(), siteKeys_.end());
}

void PageMarkStore::RegroupSites() {
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
  uint32_t what = 0;
  std::string oldSite;
  bool siteAdded = false;
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
      siteGone = LeaveSite(*p, oldSite);
      siteAdded = JoinSite(*p);
      if (siteGone && SiteKeyOf(*p) == oldSite) siteGone = siteAdded = false;
    }
  }
  if (siteAdded) Notify([&](StoreListener& l) { l.OnSiteAdded(SiteKeyOf(*p)); });
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
  if (snapshotHook_) snapshotHook_(snapshotContext_);
  Copy copy;
  copy.generation = generation_;
  copy.pages.reserve(cache_.size());
  for (const std::unique_ptr<CPez>& p : cache_) copy.pages.push_back(*p);
  return copy;
}

bool PageMarkStore::CopyOf(uint32_t commandId, CPez& copy) const {
  std::lock_guard lock(mutex_);
  auto it = byCommand_.find(commandId);
  if (it == byCommand_.end()) return false;
  copy = *it->second;
  return true;
}
