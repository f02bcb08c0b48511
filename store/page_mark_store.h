#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/clock.h"
#include "store/page_mark_list.h"
#include "store/prefs.h"
#include "store/records.h"

// What changed in a PageMark that is still in the store.
enum PageMarkChange : uint32_t {
  kChangedTitle = 1,
  // Shown again: it is now the most recently visited PageMark; its title and last visit may have
  // changed too.
  kChangedVisited = 2,
  kChangedSize = 4,
  kChangedUrl = 8,
};

// Whoever shows PageMarks (the menus, the windows, the mark lists) follows the store through these
// notices. They come on the main thread after the store has changed and with its lock released, so
// a listener may read the store and call its operations. A removed PageMark is still alive during
// OnPageMarkRemoved and freed right after it.
class StoreListener {
 public:
  virtual ~StoreListener() = default;
  // A Site gained its first PageMark (heard before that PageMark's OnPageMarkAdded).
  virtual void OnSiteAdded(const std::string& siteKey) {}
  // A new PageMark, the most recently visited one.
  virtual void OnPageMarkAdded(const CPez& p) {}
  // A PageMark still in the store changed; what is a set of PageMarkChange bits.
  virtual void OnPageMarkChanged(const CPez& p, uint32_t what) {}
  // A PageMark is leaving the store (deleted or dropped at the size limit); forget it.
  virtual void OnPageMarkRemoved(const CPez& p) {}
  // A Site lost its last PageMark (heard after that PageMark's OnPageMarkRemoved).
  virtual void OnSiteRemoved(const std::string& siteKey) {}
  // Everything may have changed (loaded, cleared, renumbered, Sites regrouped): start again from
  // what the store holds now. No other notice refers to a PageMark from before a reset.
  virtual void OnStoreReset() {}
};

inline constexpr uint32_t kFirstPageMarkCommand = 1034;
inline constexpr uint32_t kLastPageMarkCommand = 6033;
inline constexpr uint32_t kFirstTopicCommand = 6034;
// How many PageMarks the command numbers 1034..6033 can hold at once.
inline constexpr size_t kPageMarkNumbers = kLastPageMarkCommand - kFirstPageMarkCommand + 1;
inline constexpr int32_t kDefaultMaxPageMarks = 1000;

// The process-wide store of PageMarks: the PageMarks in order of their last visit, their indexes
// by URL and by command number, the Site index (sorted Site keys and the PageMarks of each Site),
// the mark list of pages waiting to be filed into Topics, and the dirty flag of the periodic save.
//
// Threads. The store is changed only on the main thread, and only through its operations; every
// change holds the store's own lock. Readers on the main thread need no lock. Other threads may
// call only the operations marked "any thread", which take copies under the lock: the background
// save takes Snapshot(), a checker takes CopyOf(). The lock is never held while listeners run and
// never taken by callers.
class PageMarkStore {
 public:
  PageMarkStore(const CPrefs& prefs, const Clock& clock);
  ~PageMarkStore();
  PageMarkStore(const PageMarkStore&) = delete;
  PageMarkStore& operator=(const PageMarkStore&) = delete;

  void AddListener(StoreListener* listener);
  void RemoveListener(StoreListener* listener);

  // --- Reading (main thread) ---
  // Least recently visited first.
  PageMarkList PageMarks() const { return PageMarkList(cache_); }
  std::size_t Count() const { return cache_.size(); }
  const CPez* FindPageMarkByUrl(const std::string& url) const;
  const CPez* FindPageMarkByCommand(uint32_t commandId) const;
  // The Site keys of the PageMarks in the store, sorted byte-wise, without duplicates.
  const std::vector<std::string>& SiteKeys() const { return siteKeys_; }
  // The PageMarks of one Site, least recently visited first (empty for an unknown Site).
  std::vector<const CPez*> PagesOfSite(const std::string& siteKey) const;
  // The Site key of a PageMark in the store.
  const std::string& SiteKeyOf(const CPez& p) const;
  // PageMarks marked for filing into Topics, in marking order.
  const std::vector<const CPez*>& SendToTopicsList() const { return sendToTopics_; }
  const std::string& LastRecordedUrl() const { return lastRecordedUrl_; }
  // A count of the store's changes (see Snapshot).
  uint64_t Generation() const { return generation_; }

  // "Max PageMarks" as the store applies it: 0 or less means the default 1000, and no more than
  // the 5000 that the PageMark command numbers can hold. The preference itself is not changed.
  size_t PageMarkLimit() const;

  // --- Changing (main thread) ---
  // The store step of a visit. A new page and a revisit both become the last recorded URL. An
  // echo of the last recorded URL again is not a visit (false); it only takes a title that
  // differs (a page that set its title late). A known page keeps a real title when the visit
  // brings only a stand-in (empty, or the page's own address; see IsPlaceholderTitle); a new page
  // takes whatever it brings until something better is known.
  bool RecordVisit(const std::string& url, const std::string& title);
  // A title that came late for a page recorded before, which is no visit: the PageMark of url
  // takes it by the same rule. True when it did; false for an unknown page or a title not taken.
  bool RetitlePage(const std::string& url, const std::string& title);
  // Replaces the whole content by pages (least recently visited first, as cache.data holds them)
  // and numbers them from 1034, oldest first. A list longer than the command numbers can hold
  // keeps its newest pages. Returns how many older pages were left out.
  std::size_t Load(std::vector<std::unique_ptr<CPez>> pages);
  // Takes the PageMark out of the indexes, the order, its Site and the mark list, tells the
  // listeners and frees it. A PageMark not in the store is left alone.
  void DeletePageMark(const CPez* p);
  // Drops the least recently visited PageMarks until no more than limit are left.
  void TrimTo(std::size_t limit);
  // Frees every PageMark (shutdown, after the final save).
  void ClearStore();
  // Groups the PageMarks into Sites again (after "Simple Sites" changed).
  void RegroupSites();
  // Edits a PageMark's title and URL (the URL index follows). False when the URL is another
  // PageMark's already, or p is not in the store.
  bool EditPageMark(const CPez* p, const std::string& title, const std::string& url);
  // The size an update check saw. Nothing happens when p is no longer in the store.
  void SetPageMarkSize(const CPez* p, uint32_t size);
  // Marks a PageMark for filing into Topics (once), or takes the mark back.
  void MarkForTopics(const CPez* p, bool marked);
  // Hands the marked PageMarks over (in marking order) and empties the list.
  std::vector<const CPez*> TakeSendToTopicsList();

  // --- Any thread ---
  // A copy of every PageMark, least recently visited first, and the generation it shows (a count
  // of the store's changes: a copy with a higher generation is newer).
  struct Copy {
    std::vector<CPez> pages;
    uint64_t generation = 0;
  };
  Copy Snapshot() const;
  // A copy of the PageMark with this command number, if it is still in the store.
  bool CopyOf(uint32_t commandId, CPez& copy) const;
  // The dirty flag of the periodic save: set by every visit once its change is in the store (so a
  // save that takes the flag copies that change, or leaves the flag set for the next save), taken
  // (tested and cleared) by the save pacing on the detection thread.
  void MarkDirty() { cacheDirty_ = true; }
  bool IsDirty() const { return cacheDirty_; }
  std::atomic<bool>& DirtyFlag() { return cacheDirty_; }

  // For tests of the threads: called with the lock held while Snapshot copies.
  void SetSnapshotHookForTest(void (*hook)(void*), void* context) {
    snapshotHook_ = hook;
    snapshotContext_ = context;
  }
  // For tests of the periodic save: called by every visit before its change enters the store,
  // without the lock.
  void SetVisitHookForTest(void (*hook)(void*), void* context) {
    visitHook_ = hook;
    visitContext_ = context;
  }

 private:
  struct Removal;
  CPez* Find(const CPez* p) const;
  void RecordNewPage(const std::string& url, const std::string& title, Time32 now);
  bool RecordRevisit(CPez& p, const std::string& url, const std::string& title, Time32 now);
  void Retitle(CPez& p, const std::string& title);
  // A command number for a new PageMark; drops the oldest first when none is free.
  uint32_t NextNumber();
  // Under the lock: takes p out of every container and hands it over for the notices.
  Removal Unlink(CPez& p);
  // Without the lock: tells the listeners of the removal and frees the PageMark.
  void Finish(Removal removal);
  // Under the lock: enters p at the end of its Site; true when the Site is new.
  bool JoinSite(CPez& p);
  // Under the lock: takes p out of its Site; true when that Site is gone with it.
  bool LeaveSite(const CPez& p, std::string& siteKey);
  void BuildIndexes();
  // Groups every PageMark into its Site afresh.
  void IndexSites();
  template <typename Call>
  void Notify(Call call);

  const CPrefs& prefs_;
  const Clock& clock_;
  std::vector<StoreListener*> listeners_;

  PageMarkList::Owned cache_;  // least recently visited first; owns
  std::unordered_map<std::string, CPez*> byUrl_;
  std::unordered_map<uint32_t, CPez*> byCommand_;
  std::vector<std::string> siteKeys_;  // sorted
  // Site key -> its PageMarks, least recently visited first.
  std::unordered_map<std::string, std::list<CPez*>> sites_;
  // Every PageMark in the store: its place in the order and in its Site, so that a visit, a drop
  // or a deletion costs the same however many PageMarks there are.
  struct Entry {
    PageMarkList::Owned::iterator inOrder;
    std::string siteKey;
    std::list<CPez*>::iterator inSite;
  };
  std::unordered_map<const CPez*, Entry> entries_;
  std::vector<const CPez*> sendToTopics_;
  std::vector<uint32_t> freeNumbers_;
  uint32_t nextCommandId_ = kFirstPageMarkCommand;
  std::string lastRecordedUrl_;
  std::atomic<bool> cacheDirty_{false};
  uint64_t generation_ = 0;  // under the lock

  mutable std::mutex mutex_;
  void (*snapshotHook_)(void*) = nullptr;
  void* snapshotContext_ = nullptr;
  void (*visitHook_)(void*) = nullptr;
  void* visitContext_ = nullptr;
};
