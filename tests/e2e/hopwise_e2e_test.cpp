// The real hopwise program and the stand-in browser as separate processes over the real transport,
// in a temporary working directory, on the offscreen platform.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/dde_instance.h"
#include "support/child_process.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const std::string kBin = HOPWISE_BIN_DIR;

class HopwiseE2e : public ::testing::Test {
 protected:
  void SetUp() override {
    home_ = fs::temp_directory_path() / ("hopwise-e2e-" + std::to_string(getpid()) + "-" +
                                         ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(home_);
    fs::create_directories(home_ / "data" / "Topics");
    fs::create_directories(home_ / "config");
  }
  void TearDown() override { fs::remove_all(home_); }

  std::unique_ptr<ChildProcess> StartHopwise() {
    ChildProcess::Options options;
    options.workingDirectory = (home_ / "data").string();
    options.env = {"XDG_CONFIG_HOME=" + (home_ / "config").string(), "PATH=/nonexistent"};
    options.mergeStderr = true;
    auto hopwise = std::make_unique<ChildProcess>(kBin + "/hopwise", std::vector<std::string>{}, options);
    EXPECT_TRUE(hopwise->Started());
    return hopwise;
  }
  std::unique_ptr<ChildProcess> StartBrowser() {
    auto browser =
        std::make_unique<ChildProcess>(kBin + "/hopwise-stand-in-browser", std::vector<std::string>{});
    EXPECT_TRUE(browser->WaitForLine("ready"));
    return browser;
  }
  // The browser has registered Hopwise's echo server.
  static bool Registered(ChildProcess& browser) {
    return browser.WaitForLine("poke\tWWW_RegisterURLEcho\t\"HOPWISE1\"\tack", 15s);
  }
  // The browser shows a page; Hopwise records it once it has asked for the window's title.
  static void Visit(ChildProcess& browser, const std::string& window, const std::string& url,
                    const std::string& title) {
    ASSERT_TRUE(browser.Send("visit " + window + " " + url + " " + title));
    // Hopwise asks for the window's title while the echo is still under way.
    ASSERT_TRUE(browser.WaitForLine("request\tWWW_GetWindowInfo"));
    ASSERT_TRUE(browser.WaitForLine("echo\tHOPWISE1"));
  }
  std::string DumpCache() {
    ChildProcess dump(kBin + "/hopwise-archive", {"dump", (home_ / "data" / "cache.data").string()});
    EXPECT_EQ(0, dump.Wait());
    std::string all;
    for (const auto& line : dump.Lines()) all += line + "\n";
    return all;
  }

  // The exit status of the process after the signal. Five seconds are waited for: less than a
  // call to the browser may wait, so a process that ends only when its call gives up fails.
  static int EndOnSignal(ChildProcess& hopwise, int signal) {
    EXPECT_TRUE(hopwise.Signal(signal));
    return hopwise.Wait(5s);
  }

  fs::path home_;
};

TEST_F(HopwiseE2e, VisitsAreSavedOnTerminationAndComeBackAtTheNextStart) {
  auto hopwise = StartHopwise();
  auto browser = StartBrowser();
  ASSERT_TRUE(Registered(*browser)) << "a browser already running is registered with";
  Visit(*browser, "1", "http://pages.example.org/one", "First page");
  Visit(*browser, "2", "https://secure.example.com/two?x=1", "Second & last");

  ASSERT_TRUE(hopwise->Signal(SIGTERM));
  ASSERT_EQ(0, hopwise->Wait(10s));
  std::string dump = DumpCache();
  EXPECT_NE(std::string::npos, dump.find("\"url\":\"http://pages.example.org/one\""));
  EXPECT_NE(std::string::npos, dump.find("\"title\":\"First page\""));
  EXPECT_NE(std::string::npos, dump.find("\"title\":\"Second & last\""));

  // The second run loads the store; its own exit writes it back with a third page added.
  hopwise = StartHopwise();
  ASSERT_TRUE(Registered(*browser));
  Visit(*browser, "1", "http://pages.example.org/three", "Third");
  ASSERT_TRUE(hopwise->Signal(SIGINT));
  ASSERT_EQ(0, hopwise->Wait(10s));
  dump = DumpCache();
  EXPECT_NE(std::string::npos, dump.find("First page"));
  EXPECT_NE(std::string::npos, dump.find("Second & last"));
  EXPECT_NE(std::string::npos, dump.find("Third"));
}

TEST_F(HopwiseE2e, ABrowserStartedAfterHopwiseIsRegisteredWithinSeconds) {
  auto hopwise = StartHopwise();
  std::this_thread::sleep_for(1500ms);
  auto browser = StartBrowser();
  ASSERT_TRUE(Registered(*browser));
  ASSERT_TRUE(hopwise->Signal(SIGHUP));
  EXPECT_EQ(0, hopwise->Wait(10s));
  EXPECT_TRUE(fs::exists(home_ / "data" / "cache.data")) << "the end of a session writes the cache";
}

TEST_F(HopwiseE2e, ASecondHopwiseHandsOverAndLeavesTheFirstOnesPagesAlone) {
  auto hopwise = StartHopwise();
  auto browser = StartBrowser();
  ASSERT_TRUE(Registered(*browser));
  Visit(*browser, "1", "http://pages.example.org/one", "First page");

  auto second = StartHopwise();
  EXPECT_EQ(0, second->Wait(10s));
  EXPECT_TRUE(second->WaitForLine("Hopwise is already running: it was asked to show its window."));
  EXPECT_FALSE(fs::exists(home_ / "data" / "cache.data")) << "the second touched no file";

  ASSERT_TRUE(hopwise->Signal(SIGTERM));
  ASSERT_EQ(0, hopwise->Wait(10s));
  EXPECT_NE(std::string::npos, DumpCache().find("First page"));
}

// A browser that stops answering in the middle of a call: a termination signal cuts the wait short.
TEST_F(HopwiseE2e, ABrowserThatHangsMidCallDoesNotHoldBackTheSaveAndExit) {
  auto hopwise = StartHopwise();
  auto browser = StartBrowser();
  ASSERT_TRUE(Registered(*browser));
  Visit(*browser, "1", "http://pages.example.org/one", "First page");
  ASSERT_TRUE(browser->Send("hang"));
  ASSERT_TRUE(browser->WaitForLine("done\thang"));
  ASSERT_TRUE(browser->Send("visit 2 http://pages.example.org/two Second"));
  // Hopwise asks for the window's title and waits for the answer that never comes.
  ASSERT_TRUE(browser->WaitForLine("request\tWWW_GetWindowInfo"));

  EXPECT_EQ(0, EndOnSignal(*hopwise, SIGTERM));
  EXPECT_NE(std::string::npos, DumpCache().find("First page"));
}

// A process that looks like the browser, holds its name and never answers: Hopwise's registration
// call waits on it, and meanwhile Hopwise still serves its own name at once and ends at a signal.
TEST_F(HopwiseE2e, ABrowserThatNeverAnswersLeavesHopwiseServingAndQuickToEnd) {
  auto browser = StartBrowser();
  ASSERT_TRUE(browser->Send("hang"));
  ASSERT_TRUE(browser->WaitForLine("done\thang"));
  auto hopwise = StartHopwise();
  ASSERT_TRUE(Registered(*browser)) << "the browser took the registration and hangs on it";

  dde::Instance asker;
  ASSERT_TRUE(asker.Initialize([](const dde::Transaction&) { return dde::Result{}; }));
  dde::ConvHandle conv = asker.Connect("HOPWISE1", "WWW_Alert", 2000);
  ASSERT_NE(0u, conv);
  // Answered while Hopwise's own call to the browser still waits (it waits longer than this).
  std::optional<dde::Bytes> reply = asker.Request(conv, "\"Hello\",0,0", 2000);
  EXPECT_EQ((dde::Bytes{0, 0, 0, 0}), reply.value_or(dde::Bytes{}));

  EXPECT_EQ(0, EndOnSignal(*hopwise, SIGTERM));
  EXPECT_TRUE(fs::exists(home_ / "data" / "cache.data"));
}

// What an interrupted save of an ended process left is cleaned up at start; the store is not
// written again when nothing changed.
TEST_F(HopwiseE2e, StaleTemporaryFilesGoAndAnUnchangedStoreIsNotRewritten) {
  const fs::path cache = home_ / "data" / "cache.data";
  fs::copy_file(std::string(HOPWISE_TEST_DATA) + "/archive/cache_two_records.data", cache);
  const auto written = fs::last_write_time(cache);
  const fs::path stale = home_ / "data" / "cache.data.tmp-999999999-0";
  std::ofstream(stale) << "half a save";

  auto hopwise = StartHopwise();
  auto browser = StartBrowser();
  ASSERT_TRUE(Registered(*browser));
  ASSERT_TRUE(hopwise->Signal(SIGTERM));
  EXPECT_EQ(0, hopwise->Wait(10s));
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_EQ(written, fs::last_write_time(cache));
}

// The start command keeps the termination signals blocked until the program has its handlers:
// a SIGTERM in the first milliseconds ends Hopwise through its own shutdown, not the signal's.
TEST_F(HopwiseE2e, AnEarlySignalEndsHopwiseThroughItsOwnShutdown) {
  ChildProcess::Options options;
  options.env = {"XDG_CONFIG_HOME=" + (home_ / "config").string(),
                 "XDG_DATA_HOME=" + (home_ / "xdg").string(), "PATH=/nonexistent"};
  options.mergeStderr = true;
  ChildProcess start(kBin + "/hopwise-start", {}, options);
  std::this_thread::sleep_for(5ms);
  ASSERT_TRUE(start.Signal(SIGTERM));
  EXPECT_EQ(0, start.Wait(10s));
  EXPECT_TRUE(fs::is_directory(home_ / "xdg" / "hopwise" / "Topics"));
}

// "hopwise --find" with no Hopwise running sets up and starts one (which shows its find window);
// once one runs, it only asks that one for its find window, touching nothing and starting nothing.
TEST_F(HopwiseE2e, FindStartsHopwiseOnceAndThenReachesTheRunningOne) {
  ChildProcess::Options options;
  options.env = {"XDG_CONFIG_HOME=" + (home_ / "config").string(),
                 "XDG_DATA_HOME=" + (home_ / "xdg").string(), "PATH=/nonexistent"};
  options.mergeStderr = true;
  ChildProcess first(kBin + "/hopwise-start", {"--find"}, options);
  auto browser = StartBrowser();
  ASSERT_TRUE(Registered(*browser)) << "the Hopwise started by --find runs and serves";
  ASSERT_TRUE(fs::is_directory(home_ / "xdg" / "hopwise" / "Topics"));

  options.env = {"XDG_CONFIG_HOME=" + (home_ / "other-config").string(),
                 "XDG_DATA_HOME=" + (home_ / "other-xdg").string(),
                 "QT_QPA_PLATFORM=", "DISPLAY=", "WAYLAND_DISPLAY="};
  ChildProcess again(kBin + "/hopwise-start", {"--find"}, options);
  EXPECT_EQ(0, again.Wait(10s));
  EXPECT_TRUE(again.Lines().empty()) << "no display needed, nothing to say";
  EXPECT_FALSE(fs::exists(home_ / "other-xdg")) << "no set-up: the running Hopwise answered";
  EXPECT_FALSE(fs::exists(home_ / "other-config"));

  ASSERT_TRUE(first.Signal(SIGTERM));
  EXPECT_EQ(0, first.Wait(10s));
}

// Asked for help or its version, or without a display it can reach, Hopwise says so in a line.
TEST_F(HopwiseE2e, HelpVersionAndAnUnreachableDisplay) {
  for (const std::string program : {"/hopwise", "/hopwise-start"}) {
    ChildProcess help(kBin + program, {"--help"});
    EXPECT_EQ(0, help.Wait());
    EXPECT_TRUE(help.WaitForLine("usage: hopwise")) << program;
    ChildProcess version(kBin + program, {"--version"});
    EXPECT_EQ(0, version.Wait());
    EXPECT_TRUE(version.WaitForLine("Hopwise 1.2")) << program;
    EXPECT_EQ(2, ChildProcess(kBin + program, {"--bogus"}).Wait());
  }
  ChildProcess standIn(kBin + "/hopwise-stand-in-browser", {"--help"});
  EXPECT_EQ(0, standIn.Wait());
  EXPECT_TRUE(standIn.WaitForLine("visit WINDOW_ID URL TITLE"));

  ChildProcess::Options options;
  options.env = {"QT_QPA_PLATFORM=", "DISPLAY=:97", "WAYLAND_DISPLAY="};
  options.mergeStderr = true;
  ChildProcess noDisplay(kBin + "/hopwise", {}, options);
  EXPECT_EQ(1, noDisplay.Wait());
  EXPECT_TRUE(noDisplay.WaitForLine("Hopwise cannot reach the display \":97\": no X server answers there."));
}

}  // namespace
