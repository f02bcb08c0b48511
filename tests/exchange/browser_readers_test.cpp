// The readers of the browsers' own files, over hand-made profiles: what is read, what is left
// out, and the clear refusal of input that cannot be read.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "exchange/browser_import.h"
#include "exchange/profile_fixtures.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;
constexpr int64_t T = 1'700'000'000;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The roots and their trees, one line per entry, with a link's added date.
void Outline(const std::vector<BookmarkNode>& entries, Strings& out, const std::string& indent = "") {
  for (const BookmarkNode& entry : entries) {
    out.push_back(indent + (entry.isFolder
                                ? "[" + entry.name + "]"
                                : entry.name + " <" + entry.url + "> " + std::to_string(entry.dates.added)));
    Outline(entry.children, out, indent + "  ");
  }
}

class BrowserReadersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "hopwise-profile-test-XXXXXX").string();
    ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
    dir = pattern;
  }
  void TearDown() override { fs::remove_all(dir); }

  bool Read(BrowserKind browser, BrowserData& data, std::string& why, BrowserImportOptions options = {}) {
    return ReadBrowserProfile(ProfileAt(browser, dir), options, data, why);
  }
  std::string Failure(BrowserKind browser, BrowserImportOptions options = {}) {
    BrowserData data;
    std::string why;
    EXPECT_FALSE(Read(browser, data, why, options));
    return why;
  }

  std::string dir;
};

TEST_F(BrowserReadersTest, ChromiumHistoryGivesTheLatestPagesWithFirstVisitsAndLeavesOutInternalOnes) {
  {
    FixtureDatabase db(dir + "/History");
    ASSERT_TRUE(db.Run(kChromiumSchema));
    ASSERT_TRUE(db.Run(
        "INSERT INTO urls(id, url, title, last_visit_time, hidden) VALUES "
        "(1, 'http://a/', 'A', " +
        std::to_string(ChromiumMicros(T + 100)) +
        ", 0),"
        "(2, 'chrome://settings/', 'Settings', " +
        std::to_string(ChromiumMicros(T + 200)) +
        ", 0),"
        "(3, 'http://frame/', 'Frame', " +
        std::to_string(ChromiumMicros(T + 400)) +
        ", 1),"
        "(4, 'http://untitled/', '', " +
        std::to_string(ChromiumMicros(T + 300)) +
        ", 0),"
        "(5, 'http://old/', 'Old', " +
        std::to_string(ChromiumMicros(T + 5)) +
        ", 0);"
        "INSERT INTO visits(url, visit_time) VALUES (1, " +
        std::to_string(ChromiumMicros(T + 10)) + "), (1, " + std::to_string(ChromiumMicros(T + 100)) + ");"));
  }
  BrowserData data;
  std::string why;
  BrowserImportOptions options;
  options.bookmarks = false;
  options.historyLimit = 2;
  ASSERT_TRUE(Read(BrowserKind::Chromium, data, why, options)) << why;
  ASSERT_EQ(2u, data.pages.size());
  EXPECT_EQ("http://untitled/", data.pages[0].url);
  EXPECT_EQ("http://untitled/", data.pages[0].title);  // no title: its address stands in
  EXPECT_EQ(T + 300, data.pages[0].firstVisited);      // no visit rows: the last visit is the first
  EXPECT_EQ("A", data.pages[1].title);
  EXPECT_EQ(T + 10, data.pages[1].firstVisited);
  EXPECT_EQ(T + 100, data.pages[1].lastVisited);
  EXPECT_EQ(1u, data.leftOut);  // chrome://settings/; the hidden frame is no page of its own
}

TEST_F(BrowserReadersTest, FirefoxPlacesGiveHistoryAndOneFolderPerRootThatHoldsAnything) {
  {
    FixtureDatabase db(dir + "/places.sqlite");
    ASSERT_TRUE(db.Run(kFirefoxSchema));
    const std::string added = std::to_string(UnixMicros(T + 1));
    ASSERT_TRUE(
        db.Run("INSERT INTO moz_places(id, url, title, last_visit_date, hidden) VALUES "
               "(10, 'http://n/', 'News page', " +
               std::to_string(UnixMicros(T + 50)) +
               ", 0),"
               "(11, 'place:sort=8', NULL, NULL, 0), (12, 'http://t/', NULL, NULL, 0), (13, "
               "'http://tagged/', NULL, NULL, 0),"
               "(14, 'about:config', 'Config', " +
               std::to_string(UnixMicros(T + 60)) +
               ", 0);"
               "INSERT INTO moz_historyvisits(place_id, visit_date) VALUES (10, " +
               std::to_string(UnixMicros(T + 20)) +
               ");"
               "INSERT INTO moz_bookmarks(id, type, fk, parent, position, title, dateAdded, lastModified, "
               "guid) VALUES "
               "(20, 2, NULL, 2, 1, 'News', " +
               added + ", " + added +
               ", 'f1'),"
               "(21, 1, 10, 20, 0, 'N', " +
               added + ", " + added +
               ", 'b1'),"
               "(22, 3, NULL, 2, 2, '', 0, 0, 's1'),"
               "(23, 1, 11, 2, 0, 'Most Visited', 0, 0, 'q1'),"
               "(24, 1, 12, 3, 0, '', " +
               added +
               ", 0, 'b2'),"
               "(25, 2, NULL, 4, 0, 'tag', 0, 0, 't1'), (26, 1, 13, 25, 0, 'T', 0, 0, 'b3');"));
  }
  BrowserData data;
  std::string why;
  ASSERT_TRUE(Read(BrowserKind::Firefox, data, why)) << why;
  ASSERT_EQ(1u, data.pages.size());
  EXPECT_EQ("News page", data.pages[0].title);
  EXPECT_EQ(T + 20, data.pages[0].firstVisited);
  EXPECT_EQ(T + 50, data.pages[0].lastVisited);
  Strings outline;
  Outline(data.roots, outline);
  const std::string date = std::to_string(T + 1);
  EXPECT_EQ((Strings{"[Firefox bookmarks menu]", "  [News]", "    N <http://n/> " + date,
                     "[Firefox bookmarks toolbar]", "  http://t/ <http://t/> " + date}),
            outline);
  EXPECT_EQ(2u, data.bookmarks);
  EXPECT_EQ(2u, data.leftOut);  // about:config in the history, the place: query among the bookmarks
}

TEST_F(BrowserReadersTest, ChromiumBookmarksKeepTheirTreeAndDates) {
  const std::string added = std::to_string(ChromiumMicros(T + 7));
  std::ofstream(dir + "/Bookmarks") << R"J({"roots": {
    "bookmark_bar": {"type": "folder", "name": "Bookmarks bar", "children": [
      {"type": "url", "name": "One", "url": "http://one/", "date_added": ")J" +
                                           added + R"J("},
      {"type": "folder", "name": "Sub", "children": [
        {"type": "url", "name": "Two", "url": "http://two/", "date_added": "0"},
        {"type": "url", "name": "Script", "url": "javascript:void(0)"}]}]},
    "other": {"type": "folder", "name": "Other bookmarks", "children": []},
    "synced": {"type": "folder", "name": "Mobile bookmarks", "children": [
      {"type": "url", "name": "Three", "url": "http://three/", "date_added": "x"}]}},
    "version": 1})J";
  BrowserData data;
  std::string why;
  ASSERT_TRUE(Read(BrowserKind::Chromium, data, why)) << why;  // no History: the bookmarks alone
  Strings outline;
  Outline(data.roots, outline);
  EXPECT_EQ((Strings{"[Chromium bookmarks bar]", "  One <http://one/> " + std::to_string(T + 7), "  [Sub]",
                     "    Two <http://two/> 0", "[Chromium mobile bookmarks]", "  Three <http://three/> 0"}),
            outline);
  EXPECT_EQ(1u, data.leftOut);
}

// A browser that runs holds places.sqlite locked (Firefox: exclusive locking, its log in the -wal
// file, a transaction open): the import reads what was committed, from copies, and the browser's
// files stay as they were and its transaction goes on.
TEST_F(BrowserReadersTest, ARunningBrowsersLockedDatabaseIsReadFromACopyAndLeftAlone) {
  FixtureDatabase browser(dir + "/places.sqlite");
  ASSERT_TRUE(browser.Run("PRAGMA journal_mode = WAL; PRAGMA wal_autocheckpoint = 0;"));
  ASSERT_TRUE(browser.Run(kFirefoxSchema));
  ASSERT_TRUE(
      browser.Run("PRAGMA locking_mode = EXCLUSIVE;"
                  "INSERT INTO moz_places(url, title, last_visit_date) VALUES ('http://kept/', 'K', " +
                  std::to_string(UnixMicros(T)) +
                  ");"
                  "BEGIN; INSERT INTO moz_places(url, title, last_visit_date) VALUES ('http://open/', 'O', " +
                  std::to_string(UnixMicros(T + 1)) + ");"));
  ASSERT_TRUE(fs::exists(dir + "/places.sqlite-wal"));
  const std::string database = Slurp(dir + "/places.sqlite"), log = Slurp(dir + "/places.sqlite-wal");
  BrowserData data;
  std::string why;
  ASSERT_TRUE(Read(BrowserKind::Firefox, data, why)) << why;
  ASSERT_EQ(1u, data.pages.size());
  EXPECT_EQ("http://kept/", data.pages[0].url);
  EXPECT_EQ(database, Slurp(dir + "/places.sqlite"));
  EXPECT_EQ(log, Slurp(dir + "/places.sqlite-wal"));
  EXPECT_TRUE(browser.Run("COMMIT;"));
}

TEST_F(BrowserReadersTest, InputThatCannotBeReadIsRefusedWithItsReason) {
  BrowserImportOptions historyOnly, bookmarksOnly;
  historyOnly.bookmarks = false;
  bookmarksOnly.history = false;
  EXPECT_EQ(dir + "/places.sqlite: no such file", Failure(BrowserKind::Firefox));
  EXPECT_EQ(dir + ": holds neither History nor Bookmarks; is it a Chromium profile?",
            Failure(BrowserKind::Chromium));
  EXPECT_EQ(dir + "/Bookmarks: no such file", Failure(BrowserKind::Chromium, bookmarksOnly));

  std::ofstream(dir + "/places.sqlite") << std::string(4096, 'x');
  EXPECT_EQ(dir + "/places.sqlite: file is not a database", Failure(BrowserKind::Firefox));

  std::ofstream(dir + "/Bookmarks") << "{\"roots\": [";
  EXPECT_EQ(dir + "/Bookmarks: the Bookmarks file is not JSON",
            Failure(BrowserKind::Chromium, bookmarksOnly));
  std::ofstream(dir + "/Bookmarks") << "[1, 2]";
  EXPECT_EQ(dir + "/Bookmarks: the Bookmarks file holds no bookmark roots",
            Failure(BrowserKind::Chromium, bookmarksOnly));
  {
    // A browser of another version: urls without the column the import reads.
    FixtureDatabase db(dir + "/History");
    ASSERT_TRUE(db.Run(
        "CREATE TABLE urls(id INTEGER PRIMARY KEY, url TEXT, title TEXT, last_visit_us INTEGER,"
        " hidden INTEGER); CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER, visit_time INTEGER);"));
  }
  EXPECT_EQ(dir +
                "/History: the history has a layout this Hopwise does not know: its table urls has no column "
                "last_visit_time",
            Failure(BrowserKind::Chromium, historyOnly));
  // A database cut short after its first pages.
  {
    FixtureDatabase db(dir + "/cut.sqlite");
    ASSERT_TRUE(db.Run(kFirefoxSchema));
    ASSERT_TRUE(db.Run("PRAGMA synchronous = OFF"));
    for (int i = 0; i < 200; ++i)
      ASSERT_TRUE(db.Run("INSERT INTO moz_places(url, title, last_visit_date) VALUES ('http://p/" +
                         std::to_string(i) + "', '" + std::string(200, 't') + "', 1)"));
  }
  std::string cut = Slurp(dir + "/cut.sqlite");
  std::ofstream(dir + "/places.sqlite", std::ios::binary) << cut.substr(0, cut.size() / 2);
  const std::string damaged = Failure(BrowserKind::Firefox);
  EXPECT_TRUE(damaged.starts_with(dir + "/places.sqlite: ")) << damaged;

  std::atomic<bool> cancel{true};
  BrowserImportOptions cancelled;
  cancelled.cancel = &cancel;
  fs::copy_file(dir + "/cut.sqlite", dir + "/places.sqlite", fs::copy_options::overwrite_existing);
  EXPECT_EQ("the import was cancelled", Failure(BrowserKind::Firefox, cancelled));
}

TEST_F(BrowserReadersTest, ProfilesAreFoundAsTheBrowsersLayThemOut) {
  const std::string ini =
      "[Profile1]\nName=default\nIsRelative=1\nPath=abc.default\nDefault=1\n\n"
      "[Profile0]\nName=default-release\nIsRelative=1\nPath=xyz.default-release\n\n"
      "[Profile2]\nName=elsewhere\nIsRelative=0\nPath=/data/ff\n\n"
      "[Install4F96D1932A9F858E]\nDefault=xyz.default-release\nLocked=1\n";
  Strings found;
  for (const BrowserProfile& p : ParseFirefoxProfiles(ini, "/h/.mozilla/firefox"))
    found.push_back(DescribeProfile(p) + " " + p.folder);
  EXPECT_EQ((Strings{"Firefox (default-release) /h/.mozilla/firefox/xyz.default-release",
                     "Firefox (default) /h/.mozilla/firefox/abc.default", "Firefox (elsewhere) /data/ff"}),
            found);

  ProfilePlaces places{dir + "/home", dir + "/config"};
  for (const char* folder : {"Profile 1", "Default", "System Profile", "Empty"})
    fs::create_directories(places.config + "/chromium/" + folder);
  for (const char* file : {"Profile 1/Bookmarks", "Default/History", "System Profile/History"})
    std::ofstream(places.config + "/chromium/" + file) << "x";
  fs::create_directories(places.home + "/.mozilla/firefox/abc.default");
  std::ofstream(places.home + "/.mozilla/firefox/abc.default/places.sqlite") << "x";
  std::ofstream(places.home + "/.mozilla/firefox/profiles.ini") << ini;
  found.clear();
  for (const BrowserProfile& p : FindAllProfiles(places)) found.push_back(DescribeProfile(p));
  EXPECT_EQ((Strings{"Chromium (Default)", "Chromium (Profile 1)", "Firefox (default)"}), found);
}

}  // namespace
