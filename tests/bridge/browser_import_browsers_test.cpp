// Real profiles brought in: headless Chromium and Firefox ESR, each on a fresh profile with
// bookmarks of its own (Chromium's Bookmarks file as it writes it, Firefox's from a bookmark file
// it imports at start), visit pages of a local server and end; then hopwise-bookmarks
// import-browser finds the profile as a user's and brings it in, twice. Each browser's test skips
// when the browser is not installed.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "bridge/browser_home.h"
#include "bridge/chromium_session.h"
#include "bridge/firefox_session.h"
#include "bridge/page_server.h"
#include "bridge/test_files.h"
#include "exchange/browser_import.h"
#include "support/child_process.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"

namespace bridgetest {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Strings = std::vector<std::string>;

std::string Page(const std::string& title) {
  return "<html><head><title>" + title + "</title></head><body>x</body></html>";
}

const std::vector<PageServer::Page> kPages = {{"/one", Page("Page One")}, {"/two", Page("Page Two")}};

struct ToolRun {
  int status = -1;
  std::string output;
};

// Waits up to limit for done to hold, looking every 200 ms.
template <typename Done>
bool WaitFor(Done done, std::chrono::seconds limit = 30s) {
  for (auto end = std::chrono::steady_clock::now() + limit; std::chrono::steady_clock::now() < end;) {
    if (done()) return true;
    std::this_thread::sleep_for(200ms);
  }
  return done();
}

class BrowserImportBrowsers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Listening());
    paths = FormDataPaths(home.root + "/data");
  }

  // hopwise-bookmarks import-browser with the browser's home as the user's.
  ToolRun Import(const std::string& browser) {
    ChildProcess::Options options;
    options.env = home.Environment();
    options.mergeStderr = true;
    ChildProcess tool(std::string(HOPWISE_BIN_DIR) + "/hopwise-bookmarks",
                      {"--data", home.root + "/data", "import-browser", browser}, options);
    ToolRun run;
    run.status = tool.Wait(60s);
    for (const std::string& line : tool.Lines()) run.output += line + "\n";
    return run;
  }

  // What the import left in the data folder: the PageMarks as "url title", the Topics shown.
  Strings Pages() {
    PageMarkStore store(prefs, clock);
    files.LoadCache(store, paths.cachePath);
    Strings pages;
    for (const CPez& p : store.PageMarks()) pages.push_back(p.url + " " + p.title);
    return pages;
  }
  static void Shown(const CTopic& folder, Strings& out, const std::string& indent = "") {
    for (auto node = folder.children->rbegin(); node != folder.children->rend(); ++node) {
      out.push_back(indent +
                    ((*node)->isFolder ? "[" + (*node)->name + "]" : (*node)->name + " " + (*node)->target));
      if ((*node)->isFolder && (*node)->children) Shown(**node, out, indent + "  ");
    }
  }
  Strings Topics() {
    TopicsModel model(files, clock, paths);
    Strings out;
    Shown(model.Root(), out);
    return out;
  }
  std::string Url(const std::string& path) const { return server.Url(path); }

  BrowserHome home;
  PageServer server{kPages};
  FakeClock clock;
  RecordingMessageBoxes messages;
  CPrefs prefs;
  DataPaths paths;
  DataFiles files{messages, clock};
};

TEST_F(BrowserImportBrowsers, Chromium) {
  ChromiumSession chromium;
  if (!chromium.Installed()) GTEST_SKIP() << "Chromium is not installed";
  const std::string profile = home.config + "/chromium/Default";
  fs::create_directories(profile);
  std::ofstream(profile + "/Bookmarks") << R"J({"roots": {"bookmark_bar": {"children": [
             {"date_added": "13340000000000000", "id": "4", "name": "One", "type": "url", "url": ")J"
                                        << Url("/one") << R"J("},
             {"children": [{"date_added": "13340000100000000", "id": "6", "name": "Two", "type": "url",
                            "url": ")J" << Url("/two")
                                        << R"J("}],
              "date_added": "13340000000000000", "date_modified": "0", "id": "5", "name": "Reading", "type": "folder"}],
           "date_added": "13340000000000000", "date_modified": "0", "id": "1", "name": "Bookmarks bar", "type": "folder"},
         "other": {"children": [], "id": "2", "name": "Other bookmarks", "type": "folder"},
         "synced": {"children": [], "id": "3", "name": "Mobile bookmarks", "type": "folder"}},
         "version": 1})J";
  ASSERT_TRUE(chromium.Start(home, Url("/one")));
  ASSERT_NE(0, chromium.DevToolsPort()) << chromium.Log();
  ASSERT_TRUE(chromium.OpenTab(Url("/two")));
  ASSERT_TRUE(WaitFor([&] {
    for (const DevToolsTarget& target : chromium.Targets())
      if (target.title == "Page Two") return true;
    return false;
  }));
  // Chromium stores its history every few seconds; read while it runs until both visits are there.
  BrowserImportOptions historyOnly;
  historyOnly.bookmarks = false;
  ASSERT_TRUE(WaitFor(
      [&] {
        BrowserData data;
        std::string why;
        return ReadBrowserProfile(ProfileAt(BrowserKind::Chromium, profile), historyOnly, data, why) &&
               data.pages.size() == 2;
      },
      60s));
  chromium.Stop();
  ASSERT_TRUE(WaitFor([&] { return chromium.Ended(); }));
  const std::string history = ReadFile(profile + "/History");
  ToolRun first = Import("chromium");
  EXPECT_EQ(0, first.status);
  EXPECT_EQ("Brought in 2 pages and 2 bookmarks in 2 folders from Chromium (Default).\n", first.output);
  EXPECT_EQ((Strings{Url("/one") + " Page One", Url("/two") + " Page Two"}), Pages());
  EXPECT_EQ(
      (Strings{"[Chromium bookmarks bar]", "  One " + Url("/one"), "  [Reading]", "    Two " + Url("/two")}),
      Topics());
  ToolRun second = Import("chromium");
  EXPECT_EQ("Brought in 0 pages and 0 bookmarks from Chromium (Default).\n", second.output);
  EXPECT_EQ(history, ReadFile(profile + "/History")) << "the profile is only read";
}

TEST_F(BrowserImportBrowsers, Firefox) {
  FirefoxSession firefox;
  if (!firefox.Installed()) GTEST_SKIP() << "Firefox is not installed";
  // Firefox takes the bookmarks of a bookmark file in at its start, in place of its own.
  const std::string bookmarks = home.root + "/bookmarks.html";
  std::ofstream(bookmarks) << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
                              "<DT><H3 ADD_DATE=\"1700000000\">Reading</H3>\n<DL><p>\n"
                              "<DT><A HREF=\"" +
                                  Url("/two") +
                                  "\" ADD_DATE=\"1700000001\">Two</A>\n</DL><p>\n"
                                  "<DT><H3 PERSONAL_TOOLBAR_FOLDER=\"true\">Toolbar</H3>\n<DL><p>\n"
                                  "<DT><A HREF=\"" +
                                  Url("/one") + "\" ADD_DATE=\"1700000002\">One</A>\n</DL><p>\n</DL>\n";
  firefox.extraPrefs =
      "user_pref(\"browser.places.importBookmarksHTML\", true);\n"
      "user_pref(\"browser.bookmarks.file\", \"" +
      bookmarks + "\");\n";
  // The profile as Firefox lists its profiles, so the import finds it.
  const std::string profile = FirefoxSession::ProfileFolder(home);
  fs::create_directories(home.home + "/.mozilla/firefox");
  std::ofstream(home.home + "/.mozilla/firefox/profiles.ini")
      << "[Profile0]\nName=test-release\nIsRelative=0\nPath=" << profile << "\nDefault=1\n";
  ASSERT_TRUE(firefox.Start(home, Url("/one")));
  // Read while Firefox runs and holds places.sqlite: the copy shows the visit and the bookmarks
  // once Firefox has stored them.
  ASSERT_TRUE(WaitFor(
      [&] {
        BrowserData data;
        std::string why;
        return !firefox.Ended() &&
               ReadBrowserProfile(ProfileAt(BrowserKind::Firefox, profile), {}, data, why) &&
               !data.pages.empty() && data.pages[0].title == "Page One" && data.bookmarks == 2;
      },
      60s))
      << firefox.Log();
  firefox.Stop();
  ASSERT_TRUE(WaitFor([&] { return firefox.Ended(); }));

  ToolRun first = Import("firefox");
  EXPECT_EQ(0, first.status);
  EXPECT_EQ("Brought in 1 page and 2 bookmarks in 3 folders from Firefox (test-release).\n", first.output);
  EXPECT_EQ(Strings{Url("/one") + " Page One"}, Pages());
  EXPECT_EQ((Strings{"[Firefox bookmarks menu]", "  [Reading]", "    Two " + Url("/two"),
                     "[Firefox bookmarks toolbar]", "  One " + Url("/one")}),
            Topics());
  ToolRun second = Import("firefox");
  EXPECT_EQ("Brought in 0 pages and 0 bookmarks from Firefox (test-release).\n", second.output);
}

}  // namespace
}  // namespace bridgetest
