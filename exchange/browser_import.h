#pragma once

#include <atomic>
#include <cstddef>
#include <functional>
#include <string>

#include "exchange/browser_data.h"
#include "exchange/browser_profiles.h"
#include "store/branch_names.h"
#include "store/page_mark_store.h"
#include "store/topics_model.h"

// What to take from a profile.
struct BrowserImportOptions {
  bool history = true;
  bool bookmarks = true;
  std::size_t historyLimit = kDefaultMaxPageMarks;  // the most pages read (the store keeps no more)
  const std::atomic<bool>* cancel = nullptr;        // set: the read stops, and nothing is taken
  // Told what the read does now ("Reading the history..."); on the reading thread.
  std::function<void(const std::string& stage)> stage;
};

// Reads what options ask for from a profile, through private copies of its databases, never
// writing to the profile. Chromium: History and Bookmarks; with both asked for, a profile with
// only one of the files gives what that one holds (Chromium writes no Bookmarks file until there
// is a bookmark). Firefox: places.sqlite. False with the reason in why (a file missing, damaged or
// of a layout this Hopwise does not know, not JSON, or the read cancelled); then data is to be
// dropped. Any thread: nothing of Hopwise is touched.
bool ReadBrowserProfile(const BrowserProfile& profile, const BrowserImportOptions& options, BrowserData& data,
                        std::string& why);

// How the store's pages are saved after an import changed them (cache.data); false when the save
// failed (and said why).
using SaveStore = std::function<bool()>;

struct BrowserImportResult {
  std::string source;  // "Firefox (default-release)"
  std::size_t pagesAdded = 0;
  std::size_t pagesUpdated = 0;
  std::size_t bookmarksAdded = 0;
  std::size_t foldersAdded = 0;
  std::size_t leftOut = 0;
  std::string problem;  // why nothing was brought in; empty when the import was done
};

// Brings data into the store (MergeHistory, up to the larger of the store's limit and its size)
// and the Topics (AddBrowserBookmarks), all or nothing: the Topics additions are made first and
// held unwritten, then the store takes its new pages and is saved with save, then the Topics files
// are written (TopicsModel::Addition). When the save or a Topics file fails, the store gets its
// pages back (and is saved again) and the Topics are as they were. Pages marked for filing into
// Topics stay marked. Main thread (the store's and the model's).
BrowserImportResult ApplyBrowserImport(BrowserData& data, PageMarkStore& store, TopicsModel& model,
                                       RandomSource& random, const SaveStore& save);

// The one line for the user: "Brought in 4,212 pages and 318 bookmarks in 12 folders from Firefox
// (default-release).", or why nothing was.
std::string DescribeBrowserImport(const BrowserImportResult& result);
// A count with a comma between thousands: "4,212".
std::string GroupedCount(std::size_t n);
