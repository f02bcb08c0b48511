#include "exchange/browser_import.h"

#include <filesystem>
#include <optional>

#include "exchange/browser_bookmarks.h"
#include "exchange/browser_history.h"
#include "exchange/chromium_bookmarks.h"
#include "exchange/firefox_bookmarks.h"
#include "exchange/history_merge.h"
#include "exchange/profile_database.h"

namespace fs = std::filesystem;

namespace {

constexpr char kCancelled[] = "the import was cancelled";

void Tell(const BrowserImportOptions& options, const std::string& stage) {
  if (options.stage) options.stage(stage);
}

bool Cancelled(const BrowserImportOptions& options, std::string& why) {
  if (!options.cancel || !options.cancel->load()) return false;
  why = kCancelled;
  return true;
}

bool OpenDatabase(ProfileDatabase& db, const std::string& path, const BrowserImportOptions& options,
                  std::string& why) {
  Tell(options, "Copying " + fs::path(path).filename().string() + "...");
  return db.Open(path, why, options.cancel);
}

// A database read that failed because it was cancelled says so.
bool Finish(bool ok, const BrowserImportOptions& options, const std::string& path, std::string& why) {
  if (Cancelled(options, why)) return false;
  if (!ok && !why.starts_with(path)) why = path + ": " + why;
  return ok;
}

bool ReadChromium(const BrowserProfile& profile, const BrowserImportOptions& options, BrowserData& data,
                  std::string& why) {
  const std::string history = (fs::path(profile.folder) / "History").string();
  const std::string bookmarks = (fs::path(profile.folder) / "Bookmarks").string();
  std::error_code ec;
  const bool hasHistory = fs::exists(history, ec), hasBookmarks = fs::exists(bookmarks, ec);
  // With both asked for, one of the files is enough; one asked for alone must be there.
  const bool both = options.history && options.bookmarks;
  if (both && !hasHistory && !hasBookmarks) {
    why = profile.folder + ": holds neither History nor Bookmarks; is it a Chromium profile?";
    return false;
  }
  if (options.history && (hasHistory || !both)) {
    ProfileDatabase db;
    if (!OpenDatabase(db, history, options, why)) return Finish(false, options, history, why);
    Tell(options, "Reading the history...");
    if (!Finish(ReadChromiumHistory(db, options.historyLimit, data, why), options, history, why))
      return false;
  }
  if (options.bookmarks && (hasBookmarks || !both)) {
    Tell(options, "Reading the bookmarks...");
    if (!ReadChromiumBookmarks(bookmarks, data, why)) return false;
  }
  return !Cancelled(options, why);
}

bool ReadFirefox(const BrowserProfile& profile, const BrowserImportOptions& options, BrowserData& data,
                 std::string& why) {
  const std::string places = (fs::path(profile.folder) / "places.sqlite").string();
  ProfileDatabase db;
  if (!OpenDatabase(db, places, options, why)) return Finish(false, options, places, why);
  if (options.history) {
    Tell(options, "Reading the history...");
    if (!Finish(ReadFirefoxHistory(db, options.historyLimit, data, why), options, places, why)) return false;
  }
  if (options.bookmarks) {
    Tell(options, "Reading the bookmarks...");
    if (!Finish(ReadFirefoxBookmarks(db, data, why), options, places, why)) return false;
  }
  return true;
}

// Replaces the store's pages, keeping the marks for filing into Topics on the pages still there.
void ReplacePages(PageMarkStore& store, std::vector<std::unique_ptr<CPez>> pages) {
  std::vector<std::string> marked;
  for (const CPez* p : store.SendToTopicsList()) marked.push_back(p->url);
  store.Load(std::move(pages));
  for (const std::string& url : marked) store.MarkForTopics(store.FindPageMarkByUrl(url), true);
}

std::vector<std::unique_ptr<CPez>> Owned(const std::vector<CPez>& pages) {
  std::vector<std::unique_ptr<CPez>> owned;
  owned.reserve(pages.size());
  for (const CPez& page : pages) owned.push_back(std::make_unique<CPez>(page));
  return owned;
}

std::string Count(std::size_t n, const char* one, const char* many) {
  return GroupedCount(n) + " " + (n == 1 ? one : many);
}

}  // namespace

bool ReadBrowserProfile(const BrowserProfile& profile, const BrowserImportOptions& options, BrowserData& data,
                        std::string& why) {
  std::error_code ec;
  if (!fs::is_directory(profile.folder, ec)) {
    why = profile.folder + ": no such folder";
    return false;
  }
  return profile.browser == BrowserKind::Chromium ? ReadChromium(profile, options, data, why)
                                                  : ReadFirefox(profile, options, data, why);
}

BrowserImportResult ApplyBrowserImport(BrowserData& data, PageMarkStore& store, TopicsModel& model,
                                       RandomSource& random, const SaveStore& save) {
  BrowserImportResult result;
  result.leftOut = data.leftOut;
  std::optional<TopicsModel::Addition> addition;
  if (!data.roots.empty()) {
    addition.emplace(model);
    if (model.Count() + CountEntries(data.roots) > TopicsModel::kMaxTopicNodes) {
      result.problem = "the Topics would hold more than " + GroupedCount(TopicsModel::kMaxTopicNodes) +
                       " folders and links";
      return result;
    }
    const BookmarkAddition added = AddBrowserBookmarks(model, data.roots, random);
    result.bookmarksAdded = added.links;
    result.foldersAdded = added.folders;
  }
  std::vector<CPez> before;
  HistoryMerge merge;
  if (!data.pages.empty()) {
    before = store.Snapshot().pages;
    merge = MergeHistory(before, data.pages, std::max(store.PageMarkLimit(), before.size()));
  }
  if (merge.Changed()) {
    ReplacePages(store, std::move(merge.pages));
    if (!save()) {
      ReplacePages(store, Owned(before));
      result.problem = "the PageMarks could not be saved";
      return result;
    }
  }
  if (addition && !addition->Commit()) {
    if (merge.Changed()) {
      ReplacePages(store, Owned(before));
      save();
    }
    result.problem = "the Topics files could not all be written";
    return result;
  }
  result.pagesAdded = merge.added;
  result.pagesUpdated = merge.updated;
  return result;
}

std::string DescribeBrowserImport(const BrowserImportResult& result) {
  if (!result.problem.empty()) {
    std::string text = result.problem;
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text + "; nothing was brought in" + (result.source.empty() ? "" : " from " + result.source) + ".";
  }
  std::string text = "Brought in " + Count(result.pagesAdded, "page", "pages") + " and " +
                     Count(result.bookmarksAdded, "bookmark", "bookmarks");
  if (result.foldersAdded > 0) text += " in " + Count(result.foldersAdded, "folder", "folders");
  text += " from " + result.source + ".";
  if (result.pagesUpdated > 0)
    text += " " + Count(result.pagesUpdated, "page", "pages") +
            (result.pagesUpdated == 1 ? " already there was" : " already there were") +
            " brought up to date.";
  if (result.leftOut > 0)
    text += " Left out " + Count(result.leftOut, "address", "addresses") +
            " of the browser's own pages or that Hopwise does not open.";
  return text;
}

std::string GroupedCount(std::size_t n) {
  std::string digits = std::to_string(n);
  for (std::ptrdiff_t at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
    digits.insert(static_cast<std::size_t>(at), ",");
  return digits;
}
