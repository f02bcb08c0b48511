// What an import does with what it read: the merge rules of the store, the Topics that a second
// import leaves alone, and all or nothing when a file cannot be written.
#include "exchange/browser_import.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <sstream>

#include "exchange/history_merge.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

CPez Page(const std::string& url, const std::string& title, Time32 first, Time32 last) {
  return CPez{.lastVisited = last, .firstVisited = first, .url = url, .title = title};
}

std::string Line(const CPez& p) {
  return p.url + " " + p.title + " " + std::to_string(p.firstVisited) + "-" + std::to_string(p.lastVisited);
}

Strings Lines(const std::vector<std::unique_ptr<CPez>>& pages) {
  Strings lines;
  for (const auto& p : pages) lines.push_back(Line(*p));
  return lines;
}

TEST(HistoryMergeTest, KnownPagesTakeNewerTitlesAndWiderSpansAndNewOnesStandByTheirLastVisit) {
  const std::vector<CPez> store{Page("http://old/", "Old", 100, 100), Page("http://same/", "Mine", 500, 600),
                                Page("http://recent/", "R", 900, 900)};
  const std::vector<VisitedPage> history{{"http://same/", "Theirs", 50, 1000},
                                         {"http://recent/", "Other", 10, 800},
                                         {"http://new1/", "N1", 650, 700},
                                         {"http://new2/", "N2", 40, 50}};
  HistoryMerge merge = MergeHistory(store, history, 4);
  // new2, older than everything, makes way; "recent" keeps its title and place (the store saw it
  // last) but takes the earlier first visit; "same" was seen last by the browser and moves.
  EXPECT_EQ((Strings{"http://old/ Old 100-100", "http://new1/ N1 650-700", "http://recent/ R 10-900",
                     "http://same/ Theirs 50-1000"}),
            Lines(merge.pages));
  EXPECT_EQ(1u, merge.added);
  EXPECT_EQ(2u, merge.updated);

  // A store already over the limit keeps its size; the same history a second time changes nothing.
  std::vector<CPez> merged;
  for (const auto& p : merge.pages) merged.push_back(*p);
  HistoryMerge again = MergeHistory(merged, history, merged.size());
  EXPECT_EQ(Lines(merge.pages), Lines(again.pages));
  EXPECT_FALSE(again.Changed());
}

class BrowserImportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "hopwise-browser-import-XXXXXX").string();
    ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
    dir = pattern;
    fs::create_directory(dir + "/Topics");
    paths = FormDataPaths(dir);
    prefs.maxPageMarks = 3;
  }
  void TearDown() override { fs::remove_all(dir); }

  BrowserImportResult Apply(BrowserData data, TopicsModel* into = nullptr) {
    BrowserImportResult result = ApplyBrowserImport(data, store, into ? *into : model, random, [this] {
      ++saves;
      return saveWorks;
    });
    result.source = "Chromium (Default)";
    return result;
  }
  Strings StorePages() const {
    Strings lines;
    for (const CPez& p : store.PageMarks()) lines.push_back(Line(p));
    return lines;
  }
  // The Topics as the window shows them (a folder's children from the last stored to the first).
  static void Shown(const CTopic& folder, Strings& out, const std::string& indent = "") {
    for (auto node = folder.children->rbegin(); node != folder.children->rend(); ++node) {
      out.push_back(indent + ((*node)->isFolder ? "[" + (*node)->name + "]" : (*node)->name) + " " +
                    std::to_string((*node)->firstVisited));
      if ((*node)->isFolder && (*node)->children) Shown(**node, out, indent + "  ");
    }
  }
  Strings Topics() {
    model.Reload();
    Strings out;
    Shown(model.Root(), out);
    return out;
  }

  static BookmarkNode Link(const std::string& name, Time32 added) {
    BookmarkNode link;
    link.name = name;
    link.url = "http://" + name + "/";
    link.dates.added = added;
    return link;
  }
  static BookmarkNode Folder(const std::string& name, std::vector<BookmarkNode> children) {
    BookmarkNode folder;
    folder.isFolder = true;
    folder.name = name;
    folder.children = std::move(children);
    folder.dates.added = 5;
    return folder;
  }
  static BrowserData Data(std::vector<BookmarkNode> roots, std::vector<VisitedPage> pages = {}) {
    BrowserData data;
    data.roots = std::move(roots);
    data.pages = std::move(pages);
    return data;
  }

  std::string dir;
  FakeClock clock{1'000'000'000};
  RecordingMessageBoxes messages;
  CPrefs prefs;
  DataPaths paths;
  DataFiles files{messages, clock};
  TopicsModel model{files, clock, paths};
  PageMarkStore store{prefs, clock};
  SeededRandom random{7};
  int saves = 0;
  bool saveWorks = true;
};

TEST_F(BrowserImportTest, ASecondImportAddsOnlyWhatIsNewAndDatesAreKept) {
  model.AppendTopLevelLink("mine", "http://mine/");
  const std::vector<VisitedPage> pages{{"http://p/", "P", 10, 20}};
  BrowserImportResult first = Apply(
      Data({Folder("Chromium bookmarks bar", {Link("a", 100), Folder("Sub", {Link("b", 200)})})}, pages));
  EXPECT_EQ("Brought in 1 page and 2 bookmarks in 2 folders from Chromium (Default).",
            DescribeBrowserImport(first));
  EXPECT_EQ(1, saves);
  // The same bookmarks again, with one more in Sub, one in a new folder, and "a" under a new title.
  BookmarkNode renamed = Link("a", 100);
  renamed.name = "A renamed";
  BrowserImportResult second =
      Apply(Data({Folder("Chromium bookmarks bar", {renamed, Folder("Sub", {Link("b", 200), Link("c", 300)}),
                                                    Folder("New", {Link("d", 400)})})},
                 pages));
  EXPECT_EQ("Brought in 0 pages and 2 bookmarks in 1 folder from Chromium (Default).",
            DescribeBrowserImport(second));
  EXPECT_EQ(1, saves);  // the history brought nothing new: cache.data is not written
  EXPECT_EQ((Strings{"mine 1000000000", "[Chromium bookmarks bar] 5", "  a 100", "  [Sub] 5", "    b 200",
                     "    c 300", "  [New] 5", "    d 400"}),
            Topics());
  EXPECT_EQ(Strings{"http://p/ P 10-20"}, StorePages());
}

TEST_F(BrowserImportTest, NothingIsKeptWhenTheStoreOrATopicsFileCannotBeWritten) {
  store.RecordVisit("http://had/", "Had");
  store.MarkForTopics(store.FindPageMarkByUrl("http://had/"), true);
  const Strings storeBefore = StorePages();
  const std::vector<VisitedPage> pages{{"http://p/", "P", 10, 2'000'000'000}};

  saveWorks = false;
  BrowserImportResult unsaved = Apply(Data({Folder("Chromium bookmarks bar", {Link("a", 1)})}, pages));
  EXPECT_EQ("The PageMarks could not be saved; nothing was brought in from Chromium (Default).",
            DescribeBrowserImport(unsaved));
  EXPECT_EQ(storeBefore, StorePages());
  EXPECT_EQ(Strings{}, Topics());

  // A new branch file cannot be written (a full disk).
  saveWorks = true;
  DataFiles full(messages, clock, [](const std::string& temp) -> std::unique_ptr<std::ostream> {
    if (temp.find("/Topics/") == std::string::npos) return OpenFileOutput(temp);
    auto failing = std::make_unique<std::ostringstream>();
    failing->setstate(std::ios::badbit);
    return failing;
  });
  TopicsModel onFullDisk(full, clock, paths);
  BrowserImportResult unwritten =
      Apply(Data({Folder("Chromium bookmarks bar", {Link("a", 1)})}, pages), &onFullDisk);
  EXPECT_EQ("The Topics files could not all be written; nothing was brought in from Chromium (Default).",
            DescribeBrowserImport(unwritten));
  EXPECT_EQ(storeBefore, StorePages());
  EXPECT_EQ(1u, store.SendToTopicsList().size());
  EXPECT_EQ(3, saves);  // the failed one, then the new pages and the old ones again
  EXPECT_EQ(Strings{}, Topics());
}

// A second import adds to a folder that was there and makes a new one at the top level: the
// folder is written first, then topics.data, which fails; the folder gets its old contents back.
TEST_F(BrowserImportTest, AFolderWrittenBeforeTopicsDataFailedGetsItsOldContentsBack) {
  Apply(Data({Folder("Chromium bookmarks bar", {Link("a", 1)})}));
  const Strings before = Topics();
  DataFiles full(messages, clock, [](const std::string& temp) -> std::unique_ptr<std::ostream> {
    if (temp.find("topics.data") == std::string::npos) return OpenFileOutput(temp);
    auto failing = std::make_unique<std::ostringstream>();
    failing->setstate(std::ios::badbit);
    return failing;
  });
  TopicsModel onFullDisk(full, clock, paths);
  BrowserImportResult result = Apply(Data({Folder("Chromium bookmarks bar", {Link("b", 2)}),
                                           Folder("Chromium other bookmarks", {Link("c", 3)})}),
                                     &onFullDisk);
  EXPECT_FALSE(result.problem.empty());
  EXPECT_EQ(before, Topics());
}

}  // namespace
