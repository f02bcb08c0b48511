#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "browser/browser_scan.h"
#include "browser/find_browser.h"

namespace {

class ListedProcesses : public ProcessList {
 public:
  std::optional<std::vector<ProcessEntry>> Snapshot() override { return listed; }
  std::optional<std::vector<ProcessEntry>> listed = std::vector<ProcessEntry>{};
};

TEST(BrowserScan, MatchesTheExecutableNameAfterItsFolderInAnyCase) {
  EXPECT_TRUE(BrowserScan::IsBrowserName("C:\\Program Files\\Netscape\\Navigator\\Program\\netscape.exe"));
  EXPECT_TRUE(BrowserScan::IsBrowserName("netscape.exe"));
  EXPECT_TRUE(BrowserScan::IsBrowserName("/usr/lib/x/NetScape.EXE"));
  EXPECT_FALSE(BrowserScan::IsBrowserName("NETSCAPE2.EXE"));
  EXPECT_FALSE(BrowserScan::IsBrowserName("netscape.exe.old"));
  EXPECT_FALSE(BrowserScan::IsBrowserName(""));
}

TEST(BrowserScan, ReportsABrowserOnceWhileItRunsAndAgainWhenItRestarts) {
  ListedProcesses processes;
  BrowserScan scan;
  processes.listed = std::vector<ProcessEntry>{{1, "init"}, {40, "netscape.exe"}};
  EXPECT_TRUE(scan.Scan(processes)) << "a browser running at the first scan is new";
  EXPECT_FALSE(scan.Scan(processes));
  EXPECT_FALSE(scan.Scan(processes));

  processes.listed = std::vector<ProcessEntry>{{1, "init"}};
  EXPECT_FALSE(scan.Scan(processes));
  EXPECT_EQ(0u, scan.Known()) << "a process leaves the map at the first scan that no longer lists it";

  processes.listed = std::vector<ProcessEntry>{{41, "netscape.exe"}};
  EXPECT_TRUE(scan.Scan(processes)) << "a restart has a new process id";
}

TEST(BrowserScan, SeveralNewBrowsersInOneScanCountOnce) {
  ListedProcesses processes;
  BrowserScan scan;
  processes.listed = std::vector<ProcessEntry>{{7, "netscape.exe"}, {8, "NETSCAPE.EXE"}};
  EXPECT_TRUE(scan.Scan(processes));
  EXPECT_EQ(2u, scan.Known());
  processes.listed = std::vector<ProcessEntry>{{7, "netscape.exe"}, {8, "NETSCAPE.EXE"}, {9, "netscape.exe"}};
  EXPECT_TRUE(scan.Scan(processes));
}

TEST(BrowserScan, AnUnreadableProcessListNeitherFailsNorForgets) {
  ListedProcesses processes;
  BrowserScan scan;
  processes.listed = std::vector<ProcessEntry>{{7, "netscape.exe"}};
  ASSERT_TRUE(scan.Scan(processes));
  processes.listed.reset();
  EXPECT_FALSE(scan.Scan(processes));
  EXPECT_EQ(1u, scan.Known());
  processes.listed = std::vector<ProcessEntry>{{7, "netscape.exe"}};
  EXPECT_FALSE(scan.Scan(processes)) << "the same browser is not registered again after a failed read";
}

TEST(ProcProcessList, ReadsNamesFromProcAndFailsSoftlyWithoutIt) {
  ProcProcessList real;
  auto list = real.Snapshot();
  ASSERT_TRUE(list.has_value());
  bool foundSelf = false;
  for (const auto& entry : *list) foundSelf |= entry.pid == static_cast<uint32_t>(getpid());
  EXPECT_TRUE(foundSelf);

  ProcProcessList missing("/nonexistent-proc-root");
  EXPECT_FALSE(missing.Snapshot().has_value());

  // Another user's processes are not listed: the browser of another user cannot reach Hopwise.
  ProcProcessList otherUser("/proc", getuid() + 1);
  auto others = otherUser.Snapshot();
  ASSERT_TRUE(others.has_value());
  for (const auto& entry : *others) EXPECT_NE(static_cast<uint32_t>(getpid()), entry.pid);
}

class PathFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = std::filesystem::temp_directory_path() / ("hopwise-path-" + std::to_string(getpid()));
    std::filesystem::create_directories(root_ / "a");
    std::filesystem::create_directories(root_ / "b");
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  void MakeProgram(const std::string& folder, const std::string& name) {
    auto path = root_ / folder / name;
    std::ofstream(path) << "#!/bin/sh\n";
    chmod(path.c_str(), 0755);
  }
  std::string Folder(const std::string& name) { return (root_ / name).string(); }
  std::filesystem::path root_;
};

TEST_F(PathFolder, FindsTheDefaultBrowserFirstThenTheOpener) {
  MakeProgram("b", "xdg-open");
  CPrefs prefs;
  ASSERT_TRUE(FindBrowserInstallation(prefs, Folder("a") + ":" + Folder("b")));
  EXPECT_EQ("xdg-open", prefs.browser);
  EXPECT_EQ(Folder("b"), prefs.browserPath);

  MakeProgram("b", "x-www-browser");
  ASSERT_TRUE(FindBrowserInstallation(prefs, Folder("a") + ":" + Folder("b")));
  EXPECT_EQ("x-www-browser", prefs.browser);
}

TEST_F(PathFolder, NothingFoundLeavesThePreferencesAsTheyWere) {
  std::ofstream(root_ / "a" / "x-www-browser") << "not executable";
  CPrefs prefs;
  prefs.browser = "keep";
  EXPECT_FALSE(FindBrowserInstallation(prefs, Folder("a") + "::" + Folder("b")));
  EXPECT_EQ("keep", prefs.browser);
  EXPECT_EQ("", prefs.browserPath);
}

}  // namespace
