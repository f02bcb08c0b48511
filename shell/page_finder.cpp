#include "shell/page_finder.h"

#include <string.h>

#include <algorithm>
#include <unordered_set>

#include "store/site_keys.h"

namespace {

constexpr char kFieldEnd = '\x1F';
constexpr char kEntryEnd = '\x1E';
constexpr char kTopLevelFolder[] = "Topics";
constexpr char kFolderSeparator[] = " / ";

// Whether every page that matches words also matched before: each word typed before is part of
// the word in its place now (more letters, or more words after it).
bool OnlyAddsTo(const std::vector<std::string>& before, const std::vector<std::string>& words) {
  if (before.empty() || words.size() < before.size()) return false;
  for (std::size_t i = 0; i < before.size(); ++i)
    if (words[i].find(before[i]) == std::string::npos) return false;
  return true;
}

// "scheme://host" of an address: every address that starts so has the same Site.
std::string_view OriginOf(std::string_view url) {
  const std::size_t scheme = url.find("://");
  if (scheme == std::string_view::npos) return url;
  return url.substr(0, std::min(url.size(), url.find('/', scheme + 3)));
}

}  // namespace

PageFinder::PageFinder(const PageMarkStore& store, TopicsModel& topics, const CPrefs& prefs)
    : store_(store),
      topics_(topics),
      prefs_(prefs),
      storeSubscription_(store.Subscribe(*this)),
      topicsSubscription_(topics.Subscribe(*this)) {}

PageFinder::~PageFinder() = default;

void PageFinder::Refresh() {
  if (stale_ || deadBytes_ > folded_.size() / 2)
    Rebuild();
  else if (topicsStale_)
    RebuildTopicLinks();
}

std::size_t PageFinder::EntryCount() {
  Refresh();
  return pageEntries_.size() + linkEntries_.size();
}

void PageFinder::Rebuild() {
  entries_.clear();
  folded_.clear();
  pageEntries_.clear();
  linkEntries_.clear();
  siteOfOrigin_.clear();  // "Simple Sites" or "Modern Sites" may have changed
  deadBytes_ = 0;
  stale_ = false;
  for (const CPez& p : store_.PageMarks()) AddPageMark(p);
  RebuildTopicLinks();
}

void PageFinder::RebuildTopicLinks() {
  for (uint32_t entry : linkEntries_) Kill(entry);
  linkEntries_.clear();
  topicsStale_ = false;
  AddTopicLinks(topics_.Root(), "");
}

void PageFinder::AddPageMark(const CPez& p) {
  const std::string& site = store_.SiteKeyOf(p);
  pageEntries_[&p] = static_cast<uint32_t>(entries_.size());
  Add({FoundPage::Source::kPageMark, p.title, p.url, site, p.lastVisited}, p.firstVisited, site, "");
}

// path: the folder names from the top, empty at the top level. The depth of the tree is bounded
// by the model (kMaxFolderDepth), so recursion is safe.
void PageFinder::AddTopicLinks(const CTopic& folder, const std::string& path) {
  if (!folder.children) return;
  for (const std::unique_ptr<CTopic>& node : *folder.children) {
    if (node->isFolder) {
      AddTopicLinks(*node, path.empty() ? node->name : path + kFolderSeparator + node->name);
      continue;
    }
    const std::string where = path.empty() ? kTopLevelFolder : path;
    linkEntries_.push_back(static_cast<uint32_t>(entries_.size()));
    Add({FoundPage::Source::kTopicLink, node->name, node->target, where, node->lastVisited},
        node->firstVisited, SiteOfLink(node->target), path);
  }
}

const std::string& PageFinder::SiteOfLink(const std::string& url) {
  const std::string origin(OriginOf(url));
  auto known = siteOfOrigin_.find(origin);
  if (known == siteOfOrigin_.end())
    known = siteOfOrigin_.emplace(origin, SiteKeyForUrl(url, prefs_.simpleSites, prefs_.modernSites)).first;
  return known->second;
}

void PageFinder::Add(FoundPage page, Time32 firstVisited, std::string_view site, std::string_view folder) {
  Entry e;
  e.loyalty = Loyalty(page.lastVisited, firstVisited);
  e.start = static_cast<uint32_t>(folded_.size());
  AppendFolded(page.title, folded_);
  folded_ += kFieldEnd;
  e.siteAt = static_cast<uint32_t>(folded_.size());
  AppendFolded(site, folded_);
  folded_ += kFieldEnd;
  e.folderAt = static_cast<uint32_t>(folded_.size());
  AppendFolded(folder, folded_);
  folded_ += kFieldEnd;
  e.urlAt = static_cast<uint32_t>(folded_.size());
  AppendFolded(page.url, folded_);
  e.end = static_cast<uint32_t>(folded_.size());
  folded_ += kEntryEnd;
  e.page = std::move(page);
  entries_.push_back(std::move(e));
  ++version_;
}

void PageFinder::Kill(uint32_t entry) {
  Entry& e = entries_[entry];
  if (!e.live) return;
  e.live = false;
  deadBytes_ += e.end + 1 - e.start;
  ++version_;
}

void PageFinder::KillPageMark(const CPez& p) {
  auto found = pageEntries_.find(&p);
  if (found == pageEntries_.end()) return;
  Kill(found->second);
  pageEntries_.erase(found);
}

void PageFinder::OnPageMarkAdded(const CPez& p) {
  if (!stale_) AddPageMark(p);
}

// A new size shows nowhere in the finder; anything else takes the page in afresh.
void PageFinder::OnPageMarkChanged(const CPez& p, uint32_t what) {
  if (stale_ || what == kChangedSize) return;
  KillPageMark(p);
  AddPageMark(p);
}

void PageFinder::OnPageMarkRemoved(const CPez& p) {
  if (!stale_) KillPageMark(p);
}

FindFields PageFinder::FieldsOf(const Entry& e) const {
  const char* all = folded_.data();
  return {{all + e.start, e.siteAt - 1 - e.start},
          {all + e.siteAt, e.folderAt - 1 - e.siteAt},
          {all + e.folderAt, e.urlAt - 1 - e.folderAt},
          {all + e.urlAt, e.end - e.urlAt}};
}

std::vector<FoundPage> PageFinder::Find(std::string_view query, Time32 now, std::size_t limit) {
  Refresh();
  const std::vector<std::string> words = FindWords(query);
  std::vector<FoundPage> found = Best(words.empty() ? Recent() : Matches(words, now), limit);
  if (words.empty())
    for (FoundPage& page : found) page.rank = 0;
  return found;
}

std::vector<PageFinder::Candidate> PageFinder::Recent() const {
  std::vector<Candidate> all;
  all.reserve(entries_.size());
  for (uint32_t i = 0; i < entries_.size(); ++i)
    if (entries_[i].live) all.push_back({i, static_cast<double>(entries_[i].page.lastVisited), 0});
  return all;
}

std::vector<PageFinder::Candidate> PageFinder::Matches(const std::vector<std::string>& words, Time32 now) {
  std::vector<uint32_t> suspects = Suspects(words);
  std::vector<Candidate> found;
  lastMatches_.clear();
  for (uint32_t i : suspects) {
    const Entry& e = entries_[i];
    const int points = MatchPoints(words, FieldsOf(e));
    if (points == 0) continue;
    lastMatches_.push_back(i);
    found.push_back({i, points + Recency(e.page.lastVisited, now) + e.loyalty, e.page.lastVisited});
  }
  lastWords_ = words;
  lastVersion_ = version_;
  return found;
}

std::vector<uint32_t> PageFinder::Suspects(const std::vector<std::string>& words) const {
  if (lastVersion_ == version_ && OnlyAddsTo(lastWords_, words)) return lastMatches_;
  const std::string& scan =
      *std::max_element(words.begin(), words.end(),
                        [](const std::string& a, const std::string& b) { return a.size() < b.size(); });
  std::vector<uint32_t> suspects;
  const char* const begin = folded_.data();
  const char* const end = begin + folded_.size();
  uint32_t entry = 0;
  for (const char* at = begin; at < end;) {
    const void* hit = ::memmem(at, static_cast<std::size_t>(end - at), scan.data(), scan.size());
    if (!hit) break;
    entry = EntryAt(static_cast<std::size_t>(static_cast<const char*>(hit) - begin), entry);
    at = begin + entries_[entry].end + 1;
    if (entries_[entry].live) suspects.push_back(entry);
  }
  return suspects;
}

// The entry whose text holds the byte at offset, from entry from on: a step at a time while the
// hits are dense, by halves beyond that.
uint32_t PageFinder::EntryAt(std::size_t offset, uint32_t from) const {
  for (int step = 0; step < 8; ++step, ++from)
    if (from + 1 == entries_.size() || offset < entries_[from + 1].start) return from;
  auto after = std::upper_bound(entries_.begin() + from, entries_.end(), offset,
                                [](std::size_t at, const Entry& e) { return at < e.start; });
  return static_cast<uint32_t>(std::prev(after) - entries_.begin());
}

// Only the best few are sorted; more are taken when merging addresses leaves too few.
std::vector<FoundPage> PageFinder::Best(std::vector<Candidate> candidates, std::size_t limit) const {
  auto before = [](const Candidate& a, const Candidate& b) {
    if (a.rank != b.rank) return a.rank > b.rank;
    return a.lastVisited > b.lastVisited;
  };
  std::vector<FoundPage> best;
  std::unordered_set<std::string_view> seen;
  std::size_t sorted = 0;
  for (std::size_t want = std::min(candidates.size(), 2 * limit); best.size() < limit && sorted < want;
       want = std::min(candidates.size(), want * 4)) {
    std::partial_sort(candidates.begin() + static_cast<std::ptrdiff_t>(sorted),
                      candidates.begin() + static_cast<std::ptrdiff_t>(want), candidates.end(), before);
    for (; sorted < want && best.size() < limit; ++sorted) {
      const Entry& e = entries_[candidates[sorted].entry];
      if (!seen.insert(e.page.url).second) continue;
      best.push_back(e.page);
      best.back().rank = candidates[sorted].rank;
    }
  }
  return best;
}
