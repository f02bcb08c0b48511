#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/clock.h"
#include "platform/listener_list.h"
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

// Where a PageMark stands, in the numbering of the moment a notice comes. Rows count from 0:
// - orderRow: its place in PageMarks(), least recently visited first (row 0 is the oldest);
// - siteRow: its Site's place among SiteKeys(), sorted byte-wise;
// - rowInSite: its place among the PageMarks of its Site (PagesOfSite, least recently visited first).
struct PageMarkPlace {
  std::size_t orderRow = 0;
  std::size_t siteRow = 0;
  std::size_t rowInSite = 0;
  // The Site holds no other PageMark: it comes with this one, or goes with it.
  bool siteAlone = false;
};

// Whoever shows PageMarks (the menus, the windows, the mark lists) follows the store through these
// notices. Every change comes in two halves, so an item model can follow it:
// - the "about to" notice, before the store changes; the rows it gives are those of the store as
//   it still is. A listener only reads the store here and never changes it.
// - the notice after the change, on the main thread with the store's lock released, so a
//   listener may read the store and call its operations. A removed PageMark is still alive during
//   OnPageMarkRemoved and freed right after it.
// One change never overlaps another: after its "about to" notice the store makes that one change
// and tells it before anything else happens.
class StoreListener {
 public:
  virtual ~StoreListener() = default;

  // --- Before a change ---
  // A new PageMark will stand at at: last in the order and in its Site; at.siteAlone when its
  // Site is new, and at.siteRow is then the place the new Site takes.
  virtual void OnPageMarkAboutToBeAdded(const PageMarkPlace& at) {}
  // A revisit will move p from its place to the end of the order and of its Site (a move to where
  // it already is, when it is last there already).
  virtual void OnPageMarkAboutToMove(const CPez& p, const PageMarkPlace& from) {}
  // p (at at) will leave the store; at.siteAlone when its Site goes with it.
  virtual void OnPageMarkAboutToBeRemoved(const CPez& p, const PageMarkPlace& at) {}
  // A new URL will move p from its Site to the end of another one. to.siteRow is where that Site
  // stands now or, with to.siteAlone, where it will come; from.siteAlone when the old Site goes.
  // Its place in the order stays.
  virtual void OnPageMarkAboutToChangeSite(const CPez& p, const PageMarkPlace& from,
                                           const PageMarkPlace& to) {}
  virtual void OnStoreAboutToReset() {}

  // --- After a change ---
  // A Site gained its first PageMark (heard before that PageMark's OnPageMarkAdded).
  virtual void OnSiteAdded(const std::string& siteKey) {}
  // A new PageMark, the most recently visited one.
  virtual void OnPageMarkAdded(const CPez& p) {}
  // A PageMark still in the store changed; what is a set of PageMarkChange bits (a revisit's move
  // ends with kChangedVisited, a change of Site with kChangedUrl).
  virtual void OnPageMarkChanged(const CPez& p, uint32_t what) {}
  // A PageMark is leaving the store (deleted or dropped at the size limit); forget it.
  virtual void OnPageMarkRemoved(const CPez& p) {}
  // A Site lost its last PageMark (heard after that PageMark's OnPageMarkRemoved).
  virtual void OnSiteRemoved(const std::string& siteKey) {}
  // Everything may have changed (loaded, cleared, renumbered, Sites regrouped): start again from
  // what the store holds now. No other notice refers to a PageMark from before a reset.
  virtual void OnStoreReset() {}
};

// One Site of the store: its key and its PageMarks, least recently visited first. The store owns
// it from the Site's first PageMark to its last, at one address all that time, so an item model
// can take it as the node of the Site's row.
struct PageMarkSite {
  std::string key;
  std::list<CPez*> pages;
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
// save takes Snapshot(). The lock is never held while listeners run and never taken by callers.
class PageMarkStore {
 public:
  // Places where a test of the threads holds the store at a chosen moment.
  struct Probes {
    // Called with the lock held while Snapshot copies.
    std::function<void()> whileCopying;
    // Called by every visit before its change enters the store, without the lock.
    std::function<void()> beforeVisit;
  };

  PageMarkStore(const CPrefs& prefs, const Clock& clock, Probes probes = {});
  ~PageMarkStore();
  PageMarkStore(const PageMarkStore&) = delete;
  PageMarkStore& operator=(const PageMarkStore&) = delete;

  using Subscription = ListenerList<StoreListener>::Subscription;
  // Listening reads nothing and changes nothing of the store: a const store takes listeners too.
  [[nodiscard]] Subscription Subscribe(StoreListener& listener) const {
    return listeners_.Subscribe(listener);
  }

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
  // The Site at row of SiteKeys(), the Site of a PageMark in the store, a Site's row.
  const PageMarkSite& SiteAt(std::size_t row) const { return sites_.at(siteKeys_[row]); }
  const PageMarkSite& SiteOf(const CPez& p) const { return *entries_.at(&p).site; }
  std::size_t SiteRow(const std::string& siteKey) const;
  // Whether p is a PageMark in the store now (the pointer is compared, never followed).
  bool Holds(const void* p) const { return entries_.contains(static_cast<const CPez*>(p)); }
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
  // The dirty flag of the periodic save: set by every visit and edit once its change is in the
  // store, so a save that takes the flag copies that change, or leaves the flag set for the next
  // save. (Load and ClearStore leave it: what they give is on disk already.)
  void MarkDirty() { cacheDirty_ = true; }
  // Tests and clears the flag in one step (the save pacing on the detection thread): a visit
  // between the two is never lost.
  bool TakeDirty() { return cacheDirty_.exchange(false); }

 private:
  struct Removal;
  CPez* Find(const CPez* p) const;
  PageMarkPlace PlaceOf(const CPez& p) const;
  // Where a new PageMark of siteKey would stand.
  PageMarkPlace PlaceForNew(const std::string& siteKey) const;
  void RecordNewPage(const std::string& url, const std::string& title, Time32 now);
  bool RecordRevisit(CPez& p, const std::string& url, const std::string& title, Time32 now);
  void Retitle(CPez& p, const std::string& title);
  // A command number for a new PageMark; drops the oldest first when none is free.
  uint32_t NextNumber();
  // Under the lock: takes p out of every container and hands it over for the notices.
  Removal Unlink(CPez& p);
  // Without the lock: tells the listeners of the removal and frees the PageMark.
  void Finish(Removal removal);
  // Under the lock: enters p at the end of the Site siteKey; true when the Site is new.
  bool JoinSite(CPez& p, std::string siteKey);
  // Under the lock: takes p out of its Site; true when that Site is gone with it.
  bool LeaveSite(const CPez& p, std::string& siteKey);
  void BuildIndexes();
  // Groups every PageMark into its Site afresh.
  void IndexSites();
  template <typename Call>
  void Notify(Call call);

  const CPrefs& prefs_;
  const Clock& clock_;
  mutable ListenerList<StoreListener> listeners_;

  PageMarkList::Owned cache_;  // least recently visited first; owns
  std::unordered_map<std::string, CPez*> byUrl_;
  std::unordered_map<uint32_t, CPez*> byCommand_;
  std::vector<std::string> siteKeys_;  // sorted
  // Site key -> the Site (the map keeps every element at one address while it is in the map).
  std::unordered_map<std::string, PageMarkSite> sites_;
  // Every PageMark in the store: its place in the order and in its Site, so that a visit, a drop
  // or a deletion costs the same however many PageMarks there are.
  struct Entry {
    PageMarkList::Owned::iterator inOrder;
    PageMarkSite* site = nullptr;
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
  const Probes probes_;
};
