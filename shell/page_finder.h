#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/clock.h"
#include "shell/find_rules.h"
#include "store/page_mark_store.h"
#include "store/prefs.h"
#include "store/topics_model.h"

// One page the finder offers: a copy, so it stays valid whatever the store does afterwards.
struct FoundPage {
  enum class Source { kPageMark, kTopicLink };
  Source source = Source::kPageMark;
  std::string title;
  std::string url;
  std::string where;  // a PageMark's Site key; a Topic link's folder path ("Topics" at the top)
  Time32 lastVisited = 0;
  double rank = 0;  // match points + frecency (find_rules.h); 0 for the recent list
};

// "Find a Page": the PageMarks and the Topic links in one index, searched as the user types.
//
// Every typed word must be found (case- and accent-blind, any order) in a page's title, address,
// Site or Topic folder; pages rank by MatchPoints + Frecency (find_rules.h), ties go to the later
// visit. An address is offered once: where a PageMark and Topic links share it, the best ranked
// stands for all. No words: the most recently visited pages.
//
// The index holds every page's folded text in one buffer, so a query is one memmem pass for its
// longest word and a check of the other words on the pages that pass; a keystroke that only adds
// to the query checks the last query's matches alone. It follows the store by its notices page by
// page (a changed page's old text stays in the buffer, dead, until a rebuild), and takes the Topic
// links again on the first query after the Topics changed. Main thread only.
class PageFinder : private StoreListener, private TopicsListener {
 public:
  static constexpr std::size_t kMaxResults = 50;

  PageFinder(const PageMarkStore& store, TopicsModel& topics, const CPrefs& prefs);
  ~PageFinder() override;
  PageFinder(const PageFinder&) = delete;
  PageFinder& operator=(const PageFinder&) = delete;

  // The pages for what the user typed, best first, at most limit of them.
  std::vector<FoundPage> Find(std::string_view query, Time32 now, std::size_t limit = kMaxResults);
  // The pages in the index (PageMarks and Topic links, before addresses are merged).
  std::size_t EntryCount();
  // Makes the index now if anything changed since it was last made (a window about to open).
  void Refresh();

 private:
  struct Entry {
    FoundPage page;
    double loyalty = 0;  // Loyalty of its visits (find_rules.h)
    uint32_t start = 0;  // in folded_: title, 0x1F, Site, 0x1F, folder, 0x1F, address, 0x1E
    uint32_t siteAt = 0, folderAt = 0, urlAt = 0, end = 0;
    bool live = true;  // false: the page changed or left; its text stays until the next rebuild
  };
  struct Candidate {
    uint32_t entry;
    double rank;
    Time32 lastVisited;
  };

  void Rebuild();
  void RebuildTopicLinks();
  void AddPageMark(const CPez& p);
  void AddTopicLinks(const CTopic& folder, const std::string& path);
  void Add(FoundPage page, Time32 firstVisited, std::string_view site, std::string_view folder);
  void Kill(uint32_t entry);
  void KillPageMark(const CPez& p);
  const std::string& SiteOfLink(const std::string& url);
  FindFields FieldsOf(const Entry& e) const;
  std::vector<Candidate> Recent() const;
  std::vector<Candidate> Matches(const std::vector<std::string>& words, Time32 now);
  // The entries that may match words: those that matched the last query when words only add to
  // it, every entry holding the longest word otherwise.
  std::vector<uint32_t> Suspects(const std::vector<std::string>& words) const;
  uint32_t EntryAt(std::size_t offset, uint32_t from) const;
  std::vector<FoundPage> Best(std::vector<Candidate> candidates, std::size_t limit) const;

  void OnPageMarkAdded(const CPez& p) override;
  void OnPageMarkChanged(const CPez& p, uint32_t what) override;
  void OnPageMarkRemoved(const CPez& p) override;
  void OnStoreReset() override { stale_ = true; }
  void OnTopicsReset() override { topicsStale_ = true; }
  void OnTopicInserted(const CTopic&) override { topicsStale_ = true; }
  void OnTopicChanged(const CTopic&) override { topicsStale_ = true; }
  void OnTopicMoved(const CTopic&, const CTopic&) override { topicsStale_ = true; }
  void OnTopicRemoved(const CTopic&) override { topicsStale_ = true; }

  const PageMarkStore& store_;
  TopicsModel& topics_;
  const CPrefs& prefs_;
  std::vector<Entry> entries_;  // ordered by start
  std::string folded_;
  std::unordered_map<const CPez*, uint32_t> pageEntries_;
  std::vector<uint32_t> linkEntries_;
  std::unordered_map<std::string, std::string> siteOfOrigin_;  // "scheme://host" -> Site key
  std::size_t deadBytes_ = 0;
  bool stale_ = true;         // make everything again
  bool topicsStale_ = false;  // make the Topic links again
  uint64_t version_ = 0;      // counts the changes of the index
  // The last query's words and matches, while the index is unchanged.
  std::vector<std::string> lastWords_;
  std::vector<uint32_t> lastMatches_;
  uint64_t lastVersion_ = 0;
  PageMarkStore::Subscription storeSubscription_;
  TopicsModel::Subscription topicsSubscription_;
};
