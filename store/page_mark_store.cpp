#include "store/page_mark_store.h"

#include <algorithm>

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

bool PageMarkStore::RecordVisit(const std::string& url, const std::string& title) {
  auto lock = Lock();
  const Time32 now = clock_.Now();
  auto found = UrlIndex.find(url);
  if (found == UrlIndex.end()) {
    RecordNewPage(url, title, now);
    return true;
  }
  return RecordRevisit(*found->second, url, title, now);
}

void PageMarkStore::RecordNewPage(const std::string& url, const std::string& title, Time32 now) {
  cacheDirty = true;
  RenumberIfExhausted();

  auto owned = std::make_unique<CPez>();
  CPez& p = *owned;
  p.title = title;
  p.url = url;
  p.commandId = nextCommandId;
  p.lastVisited = p.firstVisited = now;
  UrlIndex[p.url] = &p;
  CommandIndex[p.commandId] = &p;
  Notify([&](StoreListener& l) { l.OnNewPageMark(p); });

  ++nextCommandId;
  PageMarkCache.push_back(std::move(owned));
  if (PageMarkCache.size() > PageMarkLimit()) DropOldest();

  Notify([&](StoreListener& l) { l.OnPageMarkAdded(p); });
}

bool PageMarkStore::RecordRevisit(CPez& p, const std::string& url, const std::string& title,
                                  Time32 now) {
  cacheDirty = true;
  if (url == lastRecordedUrl) return false;

  lastRecordedUrl = url;
  p.title = title;
  Notify([&](StoreListener& l) { l.OnRevisitRecent(p); });

  // Shown again within five minutes of its first visit: the last visit stays the first.
  if (static_cast<int64_t>(now) - p.firstVisited > 300) p.lastVisited = now;

  auto at = std::find_if(PageMarkCache.begin(), PageMarkCache.end(),
                         [&](const std::unique_ptr<CPez>& q) { return q.get() == &p; });
  if (at != PageMarkCache.end()) std::rotate(at, at + 1, PageMarkCache.end());

  Notify([&](StoreListener& l) { l.OnRevisitSite(p); });
  return true;
}

// Numbers are never reused within one build of the menus, so after 5000 new pages they would
// run into the Topic numbers. Before that happens every PageMark is numbered afresh from 1034.
// When the store already holds 5000 (it is full, so this visit drops the oldest anyway), the
// oldest goes first, so that the new PageMark still finds a number.
void PageMarkStore::RenumberIfExhausted() {
  if (nextCommandId <= kLastPageMarkCommand) return;
  while (PageMarkCache.size() >= kPageMarkNumbers) DropOldest();
  ResetIndexes();
  IndexPageMarks();
  Notify([](StoreListener& l) { l.OnPageMarksRenumbered(); });
}

void PageMarkStore::DropOldest() {
  CPez& oldest = *PageMarkCache.front();
  Notify([&](StoreListener& l) { l.OnDroppedPageMark(oldest); });
  FreePageMark(&oldest);
}

void PageMarkStore::FreePageMark(const CPez* target) {
  auto at = std::find_if(PageMarkCache.begin(), PageMarkCache.end(),
                         [&](const std::unique_ptr<CPez>& q) { return q.get() == target; });
  if (at == PageMarkCache.end()) return;
  // Taken out of the store first, so that nothing a listener does can reach it twice; the
  // record stays valid until the listeners have heard of it.
  std::unique_ptr<CPez> owned = std::move(*at);
  CPez& p = *owned;
  PageMarkCache.erase(at);
  if (auto it = UrlIndex.find(p.url); it != UrlIndex.end() && it->second == &p) UrlIndex.erase(it);
  if (auto it = CommandIndex.find(p.commandId); it != CommandIndex.end() && it->second == &p)
    CommandIndex.erase(it);
  std::erase(SendToTopicsList, &p);
  Notify([&](StoreListener& l) { l.OnPageMarkRemoved(p); });
}

void PageMarkStore::IndexPageMark(CPez& p) {
  auto lock = Lock();
  p.commandId = nextCommandId++;
  UrlIndex[p.url] = &p;
  CommandIndex[p.commandId] = &p;
}

void PageMarkStore::IndexPageMarks() {
  auto lock = Lock();
  for (const std::unique_ptr<CPez>& p : PageMarkCache) IndexPageMark(*p);
}

void PageMarkStore::ResetIndexes() {
  auto lock = Lock();
  UrlIndex.clear();
  CommandIndex.clear();
  nextCommandId = kFirstPageMarkCommand;
}

CPez* PageMarkStore::FindPageMarkByUrl(const std::string& url) const {
  auto lock = Lock();
  auto it = UrlIndex.find(url);
  return it == UrlIndex.end() ? nullptr : it->second;
}

CPez* PageMarkStore::FindPageMarkByCommand(uint32_t commandId) const {
  auto lock = Lock();
  auto it = CommandIndex.find(commandId);
  return it == CommandIndex.end() ? nullptr : it->second;
}

void PageMarkStore::DeletePageMark(CPez* p) {
  auto lock = Lock();
  FreePageMark(p);
}

void PageMarkStore::ClearStore() {
  auto lock = Lock();
  std::vector<std::unique_ptr<CPez>> freed = std::move(PageMarkCache);
  PageMarkCache.clear();
  UrlIndex.clear();
  CommandIndex.clear();
  SendToTopicsList.clear();
  for (const std::unique_ptr<CPez>& p : freed) Notify([&](StoreListener& l) { l.OnPageMarkRemoved(*p); });
}
