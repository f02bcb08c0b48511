// The bridge host as the browser runs it: a separate process speaking frames on stdin/stdout to a
// fake extension, and serving "NETSCAPE" on the real transport to a client that plays Hopwise.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <sstream>
#include <thread>
#include <utility>

#include "bridge/hopwise_side.h"
#include "bridge/host/echo_server_book.h"
#include "bridge/host/frame_codec.h"
#include "browser/argument_list.h"

extern char** environ;

namespace {

using bridgetest::HopwiseSide;
using bridgetest::SeenEcho;

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Json = nlohmann::json;

const std::string kBridge = std::string(HOPWISE_BIN_DIR) + "/hopwise-browser-bridge";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The bridge host in a child process, its stdin and stdout on pipes, its log in its own folder.
class HostProcess {
 public:
  explicit HostProcess(const std::string& stateDir) {
    int toChild[2], fromChild[2];
    if (::pipe2(toChild, O_CLOEXEC) != 0 || ::pipe2(fromChild, O_CLOEXEC) != 0) std::abort();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toChild[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fromChild[1], STDOUT_FILENO);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      if (std::string_view(*e).rfind("XDG_STATE_HOME=", 0) != 0) env.emplace_back(*e);
    }
    env.push_back("XDG_STATE_HOME=" + stateDir);
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string origin = "chrome-extension://test/";
    char* argv[] = {const_cast<char*>(kBridge.c_str()), origin.data(), nullptr};
    if (posix_spawn(&pid, kBridge.c_str(), &actions, nullptr, argv, envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(toChild[0]);
    ::close(fromChild[1]);
    in = toChild[1];
    out = fromChild[0];
  }

  ~HostProcess() {
    CloseInput();
    if (pid > 0 && !Wait(3s)) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
    }
    if (out >= 0) ::close(out);
  }

  bool Write(const std::string& bytes) {
    std::lock_guard lock(writeMutex);
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(in, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }

  void CloseInput() {
    std::lock_guard lock(writeMutex);
    if (in >= 0) ::close(in);
    in = -1;
  }

  // Waits for the process to end; its exit status is kept.
  bool Wait(std::chrono::milliseconds limit) {
    const auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
      int status = 0;
      if (::waitpid(pid, &status, WNOHANG) == pid) {
        exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        pid = -1;
        return true;
      }
      std::this_thread::sleep_for(10ms);
    }
    return false;
  }

  std::string ProcessName() const { return ReadFile("/proc/" + std::to_string(pid) + "/comm"); }

  pid_t pid = -1;
  int in = -1;
  int out = -1;
  int exitStatus = -1;

 private:
  std::mutex writeMutex;
};

// The extension's side: reads the host's frames on a thread of its own and, unless told to stay
// silent, answers "open" and "activate" as the browser would.
class FakeExtension {
 public:
  explicit FakeExtension(HostProcess& process) : host(process), reader([this] { Read(); }) {}
  ~FakeExtension() {
    host.CloseInput();
    if (reader.joinable()) reader.join();
  }

  void Send(const Json& message) { host.Write(bridge::EncodeFrame(message.dump()).value()); }

  // Every message the host sent so far, as written.
  std::vector<std::string> Received() {
    std::lock_guard lock(mutex);
    return received;
  }

  // Waits for a message of the host with this type; its object, or nothing at the time limit.
  std::optional<Json> WaitFor(const std::string& type, size_t skip = 0,
                              std::chrono::milliseconds limit = 5s) {
    std::unique_lock lock(mutex);
    std::optional<Json> found;
    changed.wait_for(lock, limit, [&] {
      size_t seen = 0;
      for (const auto& text : received) {
        const Json value = Json::parse(text, nullptr, false);
        if (value.is_object() && value.value("type", "") == type && seen++ == skip) {
          found = value;
          return true;
        }
      }
      return false;
    });
    return found;
  }

  // Waits for this very message of the host; true when it came within the time limit.
  bool Saw(const Json& expected, std::chrono::milliseconds limit = 5s) {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, limit, [&] {
      for (const auto& text : received) {
        if (Json::parse(text, nullptr, false) == expected) return true;
      }
      return false;
    });
  }

  bool Ended() {
    std::lock_guard lock(mutex);
    return ended;
  }

  std::atomic<bool> answer{true};      // reply to "open" and "activate"
  std::atomic<uint32_t> nextTab{500};  // tab id an "open" creates

 private:
  void Read() {
    bridge::FrameReader frames(bridge::kMaxFrameToBrowser);
    char buffer[4096];
    while (true) {
      const ssize_t n = ::read(host.out, buffer, sizeof buffer);
      if (n <= 0) break;
      frames.Feed(buffer, static_cast<size_t>(n));
      while (auto message = frames.Next()) Take(*message);
    }
    std::lock_guard lock(mutex);
    ended = true;
    changed.notify_all();
  }

  void Take(const std::string& text) {
    {
      std::lock_guard lock(mutex);
      received.push_back(text);
      changed.notify_all();
    }
    const Json m = Json::parse(text, nullptr, false);
    if (!m.is_object() || !answer) return;
    const std::string type = m.value("type", "");
    if (type != "open" && type != "activate") return;
    const uint32_t tab = m.contains("tabId") ? m["tabId"].get<uint32_t>() : type == "open" ? nextTab++ : 11;
    Send({{"type", "reply"}, {"id", m["id"].get<uint32_t>()}, {"ok", true}, {"tabId", tab}, {"windowId", 1}});
  }

  HostProcess& host;
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::string> received;
  bool ended = false;
  std::thread reader;
};

Json Tab(uint32_t tab, uint32_t window, const std::string& url, const std::string& title,
         const std::string& status, bool active = false) {
  return {{"type", "tab"},  {"tabId", tab},     {"windowId", window}, {"url", url},
          {"title", title}, {"status", status}, {"active", active}};
}

class BridgeHost : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/hopwise-bridge-state.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    stateDir = pattern;
    ASSERT_TRUE(hopwise.ok);
  }
  void TearDown() override { std::system(("rm -rf '" + stateDir + "'").c_str()); }

  std::string Log() { return ReadFile(stateDir + "/hopwise/bridge.log"); }

  std::string stateDir;
  HopwiseSide hopwise;
};

TEST_F(BridgeHost, EchoesEachPageOnceWithItsTitleAndAnswersWindowInfo) {
  HostProcess host(stateDir);
  FakeExtension extension(host);
  ASSERT_TRUE(hopwise.RegisterForEchoes());

  extension.Send(
      {{"type", "snapshot"},
       {"focusedWindowId", 1},
       {"tabs", Json::array({Tab(11, 1, "https://example.org/start", "Start \"here\"", "complete", true),
                             Tab(12, 1, "chrome://newtab/", "New Tab", "complete")})}});
  ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 1; }));
  const SeenEcho& first = hopwise.echoes[0];
  EXPECT_EQ(first.url, "https://example.org/start");
  EXPECT_EQ(first.mime, "text/html");
  EXPECT_EQ(first.window, 11u);
  EXPECT_EQ(first.referrer, "");
  EXPECT_EQ(first.infoUrl, "https://example.org/start");
  EXPECT_EQ(first.infoCaption, "Netscape - [Start \"here\"]");
  const auto echoed = extension.WaitFor("echoed");
  ASSERT_TRUE(echoed.has_value());
  EXPECT_EQ((*echoed)["tabId"], 11u);
  EXPECT_EQ(hopwise.WindowInfo("12").first, "chrome://newtab/") << "a tab never echoed is a window too";

  // A new page in the tab: nothing while only the stand-in title is known, one echo once the
  // real one arrives, and nothing for later reports of the same page.
  extension.Send(Tab(11, 1, "https://example.org/next", "example.org/next", "loading", true));
  hopwise.Pump(300ms);
  EXPECT_EQ(hopwise.echoes.size(), 1u);
  extension.Send(Tab(11, 1, "https://example.org/next", "Next", "loading", true));
  extension.Send(Tab(11, 1, "https://example.org/next", "Next", "complete", true));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 2; }));
  EXPECT_EQ(hopwise.echoes[1].infoCaption, "Netscape - [Next]");
  extension.Send({{"type", "snapshot"},
                  {"focusedWindowId", 1},
                  {"tabs", Json::array({Tab(11, 1, "https://example.org/next", "Next", "complete", true)})}});
  hopwise.Pump(300ms);
  EXPECT_EQ(hopwise.echoes.size(), 2u);

  // The latest title is what GetWindowInfo reports; 4294967295 is the focused window's active tab.
  extension.Send(Tab(11, 1, "https://example.org/next", "(2) Next", "complete", true));
  extension.Send(Tab(13, 2, "https://example.org/other", "Other", "complete", true));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 3; }));
  EXPECT_EQ(hopwise.WindowInfo("11"),
            std::make_pair(std::string("https://example.org/next"), std::string("Netscape - [(2) Next]")));
  EXPECT_EQ(hopwise.WindowInfo("4294967295").first, "https://example.org/next");
  extension.Send({{"type", "focused"}, {"windowId", 2}});
  hopwise.Pump(100ms);
  EXPECT_EQ(hopwise.WindowInfo("4294967295").first, "https://example.org/other");

  // A closed tab is no window any more.
  extension.Send({{"type", "removed"}, {"tabId", 13}});
  hopwise.Pump(100ms);
  EXPECT_FALSE(hopwise.Ask("WWW_GetWindowInfo", "13").has_value());
  EXPECT_EQ(hopwise.WindowInfo("4294967295").first, "https://example.org/next");
}

// Hopwise takes an echo of the page it recorded last as that page's new title, and a plain echo of
// an earlier page as a visit of it: the late title of an earlier page goes out as a title only.
TEST_F(BridgeHost, ALateTitleOfAnEarlierPageIsEchoedAsATitleOnly) {
  HostProcess host(stateDir);
  FakeExtension extension(host);
  ASSERT_TRUE(hopwise.RegisterForEchoes());
  extension.Send(Tab(11, 1, "https://example.org/app", "Loading...", "complete", true));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 1; }));
  const auto changed = Clock::now();
  extension.Send(Tab(11, 1, "https://example.org/app", "Dashboard", "complete", true));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 2; }));
  EXPECT_GE(Clock::now() - changed, 1900ms) << "a new title is echoed once it has held";
  EXPECT_EQ(hopwise.echoes[1].infoUrl, "https://example.org/app");
  EXPECT_EQ(hopwise.echoes[1].infoCaption, "Netscape - [Dashboard]");

  EXPECT_EQ(hopwise.echoes[1].flags, 0u);

  extension.Send(Tab(12, 1, "https://example.org/other", "Other", "complete", true));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 3; }));
  extension.Send(Tab(11, 1, "https://example.org/app", "Dashboard (1)", "complete", false));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 4; }));
  EXPECT_EQ(hopwise.echoes[3].flags, 1u);
  EXPECT_EQ(hopwise.echoes[3].infoUrl, "https://example.org/app");
  EXPECT_EQ(hopwise.echoes[3].infoCaption, "Netscape - [Dashboard (1)]");
  // The page echoed last is still the other one: its late title is a plain echo.
  extension.Send(Tab(12, 1, "https://example.org/other", "Other (1)", "complete", true));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 5; }));
  EXPECT_EQ(hopwise.echoes[4].flags, 0u);
  EXPECT_EQ(hopwise.echoes[4].infoCaption, "Netscape - [Other (1)]");
}

Json Snapshot(const Json& tabs, const Json& servers = Json::array()) {
  Json list = Json::array();
  for (Json tab : tabs) {
    tab.erase("type");
    list.push_back(tab);
  }
  return {{"type", "snapshot"}, {"focusedWindowId", 1}, {"servers", servers}, {"tabs", list}};
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

std::vector<std::pair<std::string, std::string>> Seen(const HopwiseSide& side) {
  std::vector<std::pair<std::string, std::string>> seen;
  for (const auto& echo : side.echoes) seen.emplace_back(echo.infoUrl, echo.infoCaption);
  return seen;
}

TEST_F(BridgeHost, PagesShownBeforeHopwiseRegistersAndThePagesOnScreenReachIt) {
  HostProcess host(stateDir);
  FakeExtension extension(host);
  extension.Send(Snapshot(Json::array({Tab(11, 1, "https://example.org/start", "Start", "complete", true),
                                       Tab(12, 1, "https://example.org/bg", "Background", "complete")})));
  extension.Send(Tab(11, 1, "https://example.org/next", "Next", "complete", true));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return Count(Log(), "nobody took") == 3; }));

  // Each page as it was shown, the tab that moved on since included, in order.
  ASSERT_TRUE(hopwise.RegisterForEchoes());
  ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 3; }));
  using Pages = std::vector<std::pair<std::string, std::string>>;
  EXPECT_EQ(Seen(hopwise), (Pages{{"https://example.org/start", "Netscape - [Start]"},
                                  {"https://example.org/bg", "Netscape - [Background]"},
                                  {"https://example.org/next", "Netscape - [Next]"}}));
  // The same program registering again gets nothing twice.
  ASSERT_TRUE(hopwise.RegisterForEchoes());
  hopwise.Pump(300ms);
  EXPECT_EQ(hopwise.echoes.size(), 3u);

  // Hopwise started again (its name on a new socket) gets the page each tab shows, the active tab last.
  hopwise.instance.UnregisterService("HOPWISE1");
  HopwiseSide restarted;
  ASSERT_TRUE(restarted.ok);
  ASSERT_TRUE(restarted.RegisterForEchoes());
  ASSERT_TRUE(restarted.PumpUntil([&] { return restarted.echoes.size() == 2; }));
  EXPECT_EQ(Seen(restarted), (Pages{{"https://example.org/bg", "Netscape - [Background]"},
                                    {"https://example.org/next", "Netscape - [Next]"}}));
}

TEST_F(BridgeHost, ABridgeStartedAgainEchoesOnWithoutRepeatingAPage) {
  Json servers;
  {
    HostProcess first(stateDir);
    FakeExtension extension(first);
    ASSERT_TRUE(hopwise.RegisterForEchoes());
    extension.Send(Tab(11, 1, "https://example.org/a", "A", "complete", true));
    ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 1; }));
    const auto told = extension.WaitFor("servers");
    ASSERT_TRUE(told.has_value());
    servers = (*told)["servers"];
  }
  // The extension hands the next host what the last one echoed, and to whom.
  HostProcess second(stateDir);
  FakeExtension extension(second);
  Json echoed = Tab(11, 1, "https://example.org/a", "A", "complete", true);
  echoed["echoed"] = true;
  extension.Send(Snapshot(Json::array({echoed}), servers));
  extension.Send(Tab(12, 1, "https://example.org/b", "B", "complete", true));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 2; })) << Log();
  EXPECT_EQ(hopwise.echoes[1].infoUrl, "https://example.org/b");
  // Hopwise sees a new browser process and registers again: nothing comes twice.
  ASSERT_TRUE(hopwise.RegisterForEchoes());
  hopwise.Pump(300ms);
  EXPECT_EQ(hopwise.echoes.size(), 2u);
}

TEST_F(BridgeHost, OpensAndActivatesThroughTheExtension) {
  HostProcess host(stateDir);
  FakeExtension extension(host);
  extension.Send({{"type", "snapshot"},
                  {"focusedWindowId", 1},
                  {"tabs", Json::array({Tab(11, 1, "https://example.org/", "Example", "complete", true)})}});

  EXPECT_EQ(hopwise.AskForWindowId("WWW_OpenURL", "\"example.org/a \"b\"\",,4294967295,0,"), 500u);
  const auto open = extension.WaitFor("open");
  ASSERT_TRUE(open.has_value());
  EXPECT_EQ((*open)["url"], "http://example.org/a \"b\"");
  EXPECT_FALSE(open->contains("tabId"));

  // A window id the browser knows is navigated in place.
  EXPECT_EQ(hopwise.AskForWindowId("WWW_OpenURL", "\"https://example.org/b\",,11,0,"), 11u);
  EXPECT_EQ(extension.WaitFor("open", 1).value_or(Json())["tabId"], 11u);

  EXPECT_EQ(hopwise.AskForWindowId("WWW_Activate", "4294967295,0,"), 11u);
  const auto activate = extension.WaitFor("activate");
  ASSERT_TRUE(activate.has_value());
  EXPECT_FALSE(activate->contains("tabId"));
}

TEST_F(BridgeHost, AnswersZeroWhenTheExtensionDoesNotReplyInTime) {
  HostProcess host(stateDir);
  FakeExtension extension(host);
  extension.answer = false;
  const auto start = Clock::now();
  const auto reply = hopwise.Ask("WWW_OpenURL", "\"https://example.org/\",,4294967295,0,");
  const auto waited = Clock::now() - start;
  ASSERT_TRUE(reply.has_value());
  uint32_t id = 99;
  ParseResultData(reply, "DW", {&id});
  EXPECT_EQ(id, 0u);
  EXPECT_GE(waited, 4s);
  EXPECT_LT(waited, 9s);
  EXPECT_NE(Log().find("no answer from the browser in time"), std::string::npos);
}

TEST_F(BridgeHost, ExitsAtEndOfInputAndWritesOnlyFramesToStdout) {
  HostProcess host(stateDir);
  FakeExtension extension(host);
  extension.Send(Tab(11, 1, "https://example.org/", "Example", "complete", true));
  ASSERT_TRUE(hopwise.ConnectBrowser("WWW_Activate"));
  host.CloseInput();
  ASSERT_TRUE(host.Wait(3s));
  EXPECT_EQ(host.exitStatus, 0);
  for (const auto& message : extension.Received()) EXPECT_TRUE(Json::accept(message)) << message;
  EXPECT_NE(Log().find("started for chrome-extension://test/"), std::string::npos);
  EXPECT_NE(Log().find("end of input"), std::string::npos);
}

TEST_F(BridgeHost, EndOfInputMidFrameEndsTheHost) {
  HostProcess host(stateDir);
  const std::string frame = bridge::EncodeFrame(Tab(11, 1, "https://e.org/", "E", "complete").dump()).value();
  host.Write(frame.substr(0, frame.size() / 2));
  host.CloseInput();
  ASSERT_TRUE(host.Wait(3s));
  EXPECT_EQ(host.exitStatus, 0);
  EXPECT_NE(Log().find("input ended in the middle of a frame"), std::string::npos);
}

TEST_F(BridgeHost, AnOversizedFrameDropsTheConnectionButGarbageJsonDoesNot) {
  HostProcess host(stateDir);
  host.Write(bridge::EncodeFrame("not json at all").value());
  host.Write(bridge::EncodeFrame(R"({"type":"teleport"})").value());
  EXPECT_FALSE(host.Wait(300ms));  // still running

  const uint32_t huge = 64u * 1024 * 1024;
  host.Write(std::string(reinterpret_cast<const char*>(&huge), 4));
  ASSERT_TRUE(host.Wait(3s));
  const std::string log = Log();
  EXPECT_NE(log.find("ignored a message from the browser: not JSON"), std::string::npos);
  EXPECT_NE(log.find("above the limit"), std::string::npos);
}

// Two browsers, each with its bridge: the first holds "NETSCAPE", the second joins it.
TEST_F(BridgeHost, TwoBrowsersAtOnceAreServedThroughTheBridgeHoldingTheName) {
  HostProcess first(stateDir);
  FakeExtension firstExtension(first);
  ASSERT_TRUE(hopwise.RegisterForEchoes());
  EXPECT_EQ(first.ProcessName(), "netscape.exe\n");
  firstExtension.Send(Tab(1, 1, "https://first.example/", "First", "complete", true));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 1; }));

  HostProcess second(stateDir);
  FakeExtension secondExtension(second);
  ASSERT_TRUE(secondExtension.WaitFor("resync").has_value()) << Log();
  EXPECT_EQ(second.ProcessName(), "hopwise-bridge\n");
  // Its browser numbers tabs from 1 too: its tab gets a window id of its own.
  secondExtension.Send(
      Snapshot(Json::array({Tab(1, 1, "https://second.example/", "Second", "complete", true)})));
  secondExtension.Send(Tab(1, 1, "https://second.example/next", "Next", "complete", true));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 3; })) << Log();
  const uint32_t secondWindow = hopwise.echoes[2].window;
  EXPECT_NE(secondWindow, 1u);
  EXPECT_EQ(hopwise.echoes[2].infoCaption, "Netscape - [Next]");
  EXPECT_EQ(hopwise.WindowInfo("1").first, "https://first.example/");
  // Its extension hears, through its bridge, what was echoed and who receives the echoes.
  EXPECT_TRUE(
      secondExtension.Saw({{"type", "echoed"}, {"tabId", 1}, {"url", "https://second.example/next"}}));
  const auto servers = secondExtension.WaitFor("servers");
  ASSERT_TRUE(servers.has_value());

  // Hopwise opens pages in the browser used last.
  EXPECT_EQ(hopwise.AskForWindowId("WWW_OpenURL", "\"https://opened.example/\",,4294967295,0,"), 500u);
  EXPECT_EQ(secondExtension.WaitFor("open").value_or(Json())["url"], "https://opened.example/");
  firstExtension.Send({{"type", "focused"}, {"windowId", 1}});
  hopwise.Pump(100ms);
  EXPECT_NE(hopwise.AskForWindowId("WWW_OpenURL", "\"https://again.example/\",,4294967295,0,"), 0u);
  EXPECT_EQ(firstExtension.WaitFor("open").value_or(Json())["url"], "https://again.example/");

  // The first browser ends: the second bridge takes the name over and goes on echoing to Hopwise,
  // which registers again on seeing the new browser process and gets nothing twice.
  first.CloseInput();
  ASSERT_TRUE(first.Wait(3s));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return second.ProcessName() == "netscape.exe\n"; }, 5s)) << Log();
  ASSERT_TRUE(secondExtension.WaitFor("resync", 1).has_value());
  Json shown = Tab(1, 1, "https://second.example/next", "Next", "complete", true);
  shown["echoed"] = true;
  secondExtension.Send(Snapshot(Json::array({shown}), (*servers)["servers"]));
  secondExtension.Send(Tab(2, 1, "https://second.example/later", "Later", "complete", true));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return hopwise.echoes.size() == 4; })) << Log();
  EXPECT_EQ(hopwise.echoes[3].infoCaption, "Netscape - [Later]");
  ASSERT_TRUE(hopwise.RegisterForEchoes());
  hopwise.Pump(300ms);
  EXPECT_EQ(hopwise.echoes.size(), 4u);
}

// A holder that did not take a joined browser's news gets all of its tabs again.
TEST_F(BridgeHost, ABridgeSendsEveryTabAgainWhenTheHolderMissedAMessage) {
  std::vector<std::string> taken;
  bool refuseNext = false;
  dde::Instance holder;
  ASSERT_TRUE(holder.Initialize([&](const dde::Transaction& t) -> dde::Result {
    if (t.type == dde::TransactionType::Connect) return {t.topic == "HopwiseBridge" ? 1u : 0u, {}};
    if (t.type != dde::TransactionType::Poke) return {};
    if (std::exchange(refuseNext, false)) return {};
    taken.push_back(Json::parse(t.item, nullptr, false).value("type", ""));
    return {dde::kFack, {}};
  }));
  ASSERT_TRUE(holder.RegisterService("NETSCAPE"));
  auto pumpUntil = [&](const std::function<bool()>& done) {
    for (const auto deadline = Clock::now() + 5s; Clock::now() < deadline; holder.Dispatch()) {
      if (done()) return true;
      pollfd fd{holder.EventFd(), POLLIN, 0};
      ::poll(&fd, 1, 20);
    }
    return false;
  };
  HostProcess host(stateDir);
  FakeExtension extension(host);
  ASSERT_TRUE(pumpUntil([&] { return extension.WaitFor("resync", 0, 0ms).has_value(); })) << Log();
  EXPECT_EQ(taken, std::vector<std::string>{"join"});

  refuseNext = true;
  extension.Send(Tab(1, 1, "https://example.org/", "Example", "complete", true));
  EXPECT_TRUE(pumpUntil([&] { return extension.WaitFor("resync", 1, 0ms).has_value(); })) << Log();
  extension.Send(Tab(1, 1, "https://example.org/next", "Next", "complete", true));
  EXPECT_TRUE(pumpUntil([&] { return taken.size() == 2; }));
  EXPECT_EQ(taken.back(), "tab");
}

// A page kept while the bridge could not join the holder yet is the holder's to echo once it
// joins (it learns every tab then): when this bridge takes the name over later, it does not send
// that page again.
TEST_F(BridgeHost, APageKeptBeforeJoiningIsNotSentAgainAfterTakingTheNameOver) {
  int refusals = 1;
  auto holder = std::make_unique<dde::Instance>();
  ASSERT_TRUE(holder->Initialize([&](const dde::Transaction& t) -> dde::Result {
    if (t.type == dde::TransactionType::Connect) return {t.topic == "HopwiseBridge" ? 1u : 0u, {}};
    if (t.type != dde::TransactionType::Poke || refusals-- > 0) return {};
    return {dde::kFack, {}};
  }));
  ASSERT_TRUE(holder->RegisterService("NETSCAPE"));
  auto pumpUntil = [&](const std::function<bool()>& done) {
    for (const auto deadline = Clock::now() + 10s; Clock::now() < deadline; holder->Dispatch()) {
      if (done()) return true;
      pollfd fd{holder->EventFd(), POLLIN, 0};
      ::poll(&fd, 1, 20);
    }
    return false;
  };
  HostProcess host(stateDir);
  FakeExtension extension(host);
  ASSERT_TRUE(pumpUntil([&] { return Log().find("waiting to take it over") != std::string::npos; }));
  extension.Send(Tab(1, 1, "https://example.org/a", "A", "complete", true));
  ASSERT_TRUE(pumpUntil([&] { return extension.WaitFor("resync", 0, 0ms).has_value(); })) << Log();
  ASSERT_NE(Log().find("nobody took its page; kept"), std::string::npos);

  // The holder echoed the page and told the extension, which hands that and the programs the
  // echoes go to over when the bridge takes the name.
  holder.reset();
  ASSERT_TRUE(extension.WaitFor("resync", 1, 10s).has_value()) << Log();
  Json shown = Tab(1, 1, "https://example.org/a", "A", "complete", true);
  shown["echoed"] = true;
  const Json servers = Json::array(
      {{{"name", "HOPWISE1"},
        {"id", bridge::EchoServerBook::SocketIdentity(hopwise.instance.RuntimeDir(), "HOPWISE1")}}});
  extension.Send(Snapshot(Json::array({shown}), servers));
  extension.Send(Tab(1, 1, "https://example.org/b", "B", "complete", true));
  ASSERT_TRUE(hopwise.PumpUntil([&] { return !hopwise.echoes.empty(); })) << Log();
  hopwise.Pump(300ms);
  EXPECT_EQ(Seen(hopwise),
            (std::vector<std::pair<std::string, std::string>>{{"https://example.org/b", "Netscape - [B]"}}));
}

}  // namespace
