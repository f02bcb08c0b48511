#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/clock.h"
#include "store/prefs.h"
#include "store/records.h"

// Whoever shows PageMarks (the menus, open windows, mark lists) hears of every change here.
// All calls come on the main thread, inside the store operation, while the record is still alive.
class StoreListener {
 public:
  virtual ~StoreListener() = default;
  // A new page was recorded: add it to the recent pages and its Site.
  virtual void OnNewPageMark(CPez& p) {}
  // The oldest PageMark is dropped because the store is full; it is freed after this call.
  virtual void OnDroppedPageMark(CPez& p) {}
  // A revisit: move the page to the top of the recent pages (its title may have changed).
  virtual void OnRevisitRecent(CPez& p) {}
  // A revisit: move the page to the top of its Site, and the Site to the top of its list.
  virtual void OnRevisitSite(CPez& p) {}
  // A new PageMark is in the store (after the menus took it): open windows add a row.
  virtual void OnPageMarkAdded(CPez& p) {}
  // The PageMark is about to be freed (deleted or dropped): forget every reference to it.
  virtual void OnPageMarkRemoved(CPez& p) {}
  // The command numbers were handed out anew from 1034; menus holding old numbers rebuild.
  virtual void OnPageMarksRenumbered() {}
};

inline constexpr uint32_t kFirstPageMarkCommand = 1034;
inline constexpr uint32_t kLastPageMarkCommand = 6033;
inline constexpr uint32_t kFirstTopicCommand = 6034;
// How many PageMarks the command numbers 1034..6033 can hold at once.
inline constexpr size_t kPageMarkNumbers = kLastPageMarkCommand - kFirstPageMarkCommand + 1;
inline constexpr int32_t kDefaultMaxPageMarks = 1000;

// The process-wide store of PageMarks. Used on the main thread; the background save reads it on
// its own thread while holding Lock(), which every change of the store holds too.
class PageMarkStore {
 public:
  PageMarkStore(const CPrefs& prefs, const Clock& clock);
  ~PageMarkStore();

  void AddListener(StoreListener* listener);
  void RemoveListener(StoreListener* listener);

  // The store step of a visit. Returns false only for a repeated revisit of lastRecordedUrl.
  bool RecordVisit(const std::string& url, const std::string& title);
  // Numbers one PageMark and enters it in both indexes (one step of IndexPageMarks): its
  // commandId becomes nextCommandId, and nextCommandId moves on by one.
  void IndexPageMark(CPez& p);
  // Numbers every PageMark from nextCommandId on, oldest first.
  void IndexPageMarks();
  // Empties both indexes and sets nextCommandId back to 1034 (before a rebuild re-indexes).
  void ResetIndexes();
  CPez* FindPageMarkByUrl(const std::string& url) const;
  CPez* FindPageMarkByCommand(uint32_t commandId) const;
  // Removes the PageMark from both indexes, the cache and SendToTopicsList and frees it.
  // Listeners hear of it before it is freed. A PageMark not in the store is left alone.
  void DeletePageMark(CPez* p);
  // Frees every PageMark (shutdown, after the final save); listeners hear of each one first.
  void ClearStore();

  // "Max PageMarks" as the store applies it: 0 or less means the default 1000, and no more than
  // the 5000 that the PageMark command numbers can hold. The preference itself is not changed.
  size_t PageMarkLimit() const;

  // The store lock: held by every change of the store and by the background save.
  std::unique_lock<std::recursive_mutex> Lock() const { return std::unique_lock(mutex_); }

  // Least recently visited first; owns its PageMarks.
  std::vector<std::unique_ptr<CPez>> PageMarkCache;
  std::unordered_map<std::string, CPez*> UrlIndex;
  std::unordered_map<uint32_t, CPez*> CommandIndex;
  std::vector<std::string> SiteNames;  // sorted, no duplicates; filled by the menus
  uint32_t nextCommandId = kFirstPageMarkCommand;
  std::string lastRecordedUrl;
  std::atomic<bool> cacheDirty{false};
  std::vector<CPez*> SendToTopicsList;  // marked for filing into Topics; does not own

 private:
  void RecordNewPage(const std::string& url, const std::string& title, Time32 now);
  bool RecordRevisit(CPez& p, const std::string& url, const std::string& title, Time32 now);
  // Hands out the numbers anew from 1034 when the next one would leave the PageMark range.
  void RenumberIfExhausted();
  // Drops the least recently visited PageMark because the store is full.
  void DropOldest();
  // Takes p out of the cache, the indexes and SendToTopicsList, tells the listeners, frees it.
  // Does nothing when p is not in the cache.
  void FreePageMark(const CPez* target);
  template <typename Call>
  void Notify(Call call);

  const CPrefs& prefs_;
  const Clock& clock_;
  std::vector<StoreListener*> listeners_;
  mutable std::recursive_mutex mutex_;
};
