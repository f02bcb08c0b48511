#include "store/prefs.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "store/data_paths.h"
#include "support/memory_preference_store.h"

namespace {

const std::vector<std::string> kWriteOrder{"Browser",        "Browser Path",       "Column 0",
                                           "Column 1",       "Column 2",           "Column 3",
                                           "Max PageMarks",  "Power User",         "Menu State",
                                           "Simple Sites",   "Check Secure Pages", "Modern Sites",
                                           "Sort Column",    "Sort Flag",          "Browser Import Offered",
                                           "Search Address", "Expanded Sites",     "Expanded Topics"};

void ExpectDefaults(const CPrefs& prefs) {
  const CPrefs defaults;
  EXPECT_EQ(defaults.browser, prefs.browser);
  EXPECT_EQ(defaults.browserPath, prefs.browserPath);
  EXPECT_EQ(defaults.columnWidths, prefs.columnWidths);
  EXPECT_EQ(1000, prefs.maxPageMarks);
  EXPECT_EQ(0, prefs.powerUser);
  EXPECT_EQ(0, prefs.menuState);
  EXPECT_EQ(0, prefs.simpleSites);
  EXPECT_EQ(1, prefs.checkSecurePages);
  EXPECT_EQ(kDefaultSearchAddress, prefs.searchAddress);
}

TEST(PrefsTest, WithoutTheKeyDefaultsStayAndNothingIsStored) {
  MemoryPreferenceStore store;  // no key
  CPrefs prefs;
  LoadPreferences(prefs, store);
  ExpectDefaults(prefs);

  prefs.maxPageMarks = 300;
  prefs.browser = "firefox";
  SavePreferences(prefs, store);
  EXPECT_TRUE(store.Writes().empty());
  EXPECT_TRUE(store.Values().empty());
  EXPECT_FALSE(store.KeyExists());
}

TEST(PrefsTest, KeyWithOnlyMaxPageMarksGivesItAndDefaultsAndAllIsWrittenAtExit) {
  MemoryPreferenceStore store(true);
  store.WriteDword("Max PageMarks", 250);
  const size_t setupWrites = store.Writes().size();
  CPrefs prefs;
  LoadPreferences(prefs, store);
  EXPECT_EQ(250, prefs.maxPageMarks);
  prefs.maxPageMarks = 1000;
  ExpectDefaults(prefs);
  prefs.maxPageMarks = 250;

  SavePreferences(prefs, store);
  EXPECT_EQ(kWriteOrder,
            std::vector<std::string>(store.Writes().begin() + setupWrites, store.Writes().end()));
  EXPECT_EQ(250u, *store.ReadDword("Max PageMarks"));
  EXPECT_EQ(140u, *store.ReadDword("Column 0"));
  EXPECT_EQ(238u, *store.ReadDword("Column 1"));
  EXPECT_EQ(110u, *store.ReadDword("Column 3"));
  EXPECT_EQ("", *store.ReadString("Browser"));
}

TEST(PrefsTest, EveryValueSurvivesASaveAndLoadUnchecked) {
  MemoryPreferenceStore store(true);
  CPrefs saved;
  saved.browser = "x-www-browser";
  saved.browserPath = "/usr/bin";
  saved.columnWidths = {1, 2, 3, 4};
  saved.maxPageMarks = 20;  // below the dialog's range: used as it is
  saved.powerUser = 1;
  saved.menuState = 7;
  saved.simpleSites = -1;  // stored as the word 0xFFFFFFFF
  saved.checkSecurePages = 0;
  saved.searchAddress = "https://duckduckgo.com/?q=";
  saved.sortColumn = 2;
  saved.sortFlag = 1;
  saved.expandedTopics = "News\nNews\tLocal";
  SavePreferences(saved, store);
  EXPECT_EQ(0xFFFFFFFFu, *store.ReadDword("Simple Sites"));

  CPrefs loaded;
  LoadPreferences(loaded, store);
  EXPECT_EQ(saved.browser, loaded.browser);
  EXPECT_EQ(saved.browserPath, loaded.browserPath);
  EXPECT_EQ(saved.columnWidths, loaded.columnWidths);
  EXPECT_EQ(20, loaded.maxPageMarks);
  EXPECT_EQ(1, loaded.powerUser);
  EXPECT_EQ(7, loaded.menuState);
  EXPECT_EQ(-1, loaded.simpleSites);
  EXPECT_EQ(0, loaded.checkSecurePages);
  EXPECT_EQ("https://duckduckgo.com/?q=", loaded.searchAddress);
  EXPECT_EQ(2, loaded.sortColumn);
  EXPECT_EQ(1, loaded.sortFlag);
  EXPECT_EQ(saved.expandedTopics, loaded.expandedTopics);
}

// The start command makes an empty preferences file: a new user gets a working search service and
// no link submenus; a file that holds values keeps every one of them.
TEST(PrefsTest, ANewFileHidesTheLinkSubmenusAndAnExistingOneKeepsItsValues) {
  MemoryPreferenceStore fresh(true);
  CPrefs prefs;
  LoadPreferences(prefs, fresh);
  EXPECT_EQ(1, prefs.powerUser);
  EXPECT_EQ("https://duckduckgo.com/?q=", prefs.searchAddress);

  MemoryPreferenceStore existing(true);
  CPrefs earlier;
  earlier.searchAddress = "http://www.altavista.com/cgi-bin/query?pg=q&what=web&fmt=.&q=";
  SavePreferences(earlier, existing);
  CPrefs loaded;
  LoadPreferences(loaded, existing);
  EXPECT_EQ(0, loaded.powerUser);
  EXPECT_EQ(earlier.searchAddress, loaded.searchAddress);
}

TEST(PrefsTest, ValueOfTheWrongKindLeavesTheDefault) {
  MemoryPreferenceStore store(true);
  store.WriteString("Max PageMarks", "500");
  store.WriteDword("Browser", 5);
  CPrefs prefs;
  LoadPreferences(prefs, store);
  EXPECT_EQ(1000, prefs.maxPageMarks);
  EXPECT_EQ("", prefs.browser);
}

TEST(DataPathsTest, FollowTheWorkingDirectoryOfAnyLength) {
  DataPaths paths = FormDataPaths("/home/u/hop");
  EXPECT_EQ("/home/u/hop/topics.data", paths.topicsPath);
  EXPECT_EQ("/home/u/hop/cache.data", paths.cachePath);
  EXPECT_EQ("/home/u/hop/Topics/", paths.branchPath);

  const std::string longDirectory = "/" + std::string(300, 'd') + "/" + std::string(200, 'e');
  EXPECT_EQ(longDirectory + "/cache.data", FormDataPaths(longDirectory).cachePath);

  paths = FormDataPaths("/");
  EXPECT_EQ("/cache.data", paths.cachePath);
  EXPECT_EQ("/Topics/", paths.branchPath);
  EXPECT_EQ("./cache.data", FormDataPaths("").cachePath);
}

TEST(DataPathsTest, WorkingDirectoryIsReadWithoutALengthLimit) {
  namespace fs = std::filesystem;
  const fs::path previous = fs::current_path();
  char base[] = "/tmp/hopwise-prefs-XXXXXX";
  ASSERT_NE(nullptr, mkdtemp(base));
  fs::path deep = fs::canonical(base);
  for (int level = 0; level < 4; ++level) deep /= std::string(100, static_cast<char>('a' + level));
  fs::create_directories(deep);
  ASSERT_GT(deep.string().size(), 400u);

  fs::current_path(deep);
  const std::string read = ReadWorkingDirectory();
  fs::current_path(previous);
  fs::remove_all(base);
  EXPECT_EQ(deep.string(), read);
}

}  // namespace
