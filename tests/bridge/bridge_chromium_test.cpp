// The whole bridge with a real browser: headless Chromium loads the extension, which starts the
// host through native messaging; a transport client plays Hopwise. Pages come from a local HTTP
// server and are opened through Chromium's DevTools endpoint. Skipped when Chromium is not installed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "bridge/hopwise_side.h"
#include "bridge/host/json.h"

extern char** environ;

namespace {

using namespace std::chrono_literals;
using bridgetest::HopwiseSide;
using bridgetest::SeenEcho;
namespace json = bridge::json;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string FindChromium() {
  for (const char* path : {"/usr/bin/chromium", "/usr/bin/chromium-browser"}) {
    if (::access(path, X_OK) == 0) return path;
  }
  return {};
}

const char* kPages[][2] = {
    {"/a", "<html><head><title>Page A</title></head><body>A</body></html>"},
    {"/untitled", "<html><body>no title here</body></html>"},
    {"/late",
     "<html><head><title>Early</title></head><body><script>"
     "setTimeout(() => { document.title = 'Late'; }, 200);</script></body></html>"},
    {"/opened", "<html><head><title>Opened by Hopwise</title></head><body>O</body></html>"},
};

class BridgeWithChromium : public ::testing::Test {
 protected:
  void SetUp() override {
    chromium = FindChromium();
    if (chromium.empty()) GTEST_SKIP() << "Chromium is not installed";
    ASSERT_TRUE(hopwise.ok);

    char pattern[] = "/tmp/hopwise-chromium.XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir = pattern;
    profile = dir + "/profile";
    ::mkdir(profile.c_str(), 0700);
    ::mkdir((profile + "/NativeMessagingHosts").c_str(), 0700);
    std::string id = ReadFile(std::string(HOPWISE_SOURCE_DIR) + "/bridge/extension/ID");
    while (!id.empty() && (id.back() == '\n' || id.back() == ' ')) id.pop_back();
    std::ofstream(profile + "/NativeMessagingHosts/hopwise.browser_bridge.json")
        << json::Write(json::Object{{"name", "hopwise.browser_bridge"},
                                    {"description", "Hopwise browser bridge"},
                                    {"path", std::string(HOPWISE_BIN_DIR) + "/hopwise-browser-bridge"},
                                    {"type", "stdio"},
                                    {"allowed_origins", json::Array{"chrome-extension://" + id + "/"}}});

    for (const auto& [path, body] : kPages) {
      std::string text = body;
      server.Get(path, [text](const httplib::Request&, httplib::Response& res) {
        res.set_content(text, "text/html");
      });
    }
    httpPort = server.bind_to_any_port("127.0.0.1");
    serverThread = std::thread([this] { server.listen_after_bind(); });

    StartChromium();
  }

  void TearDown() override {
    if (chromiumPid > 0) {
      ::kill(chromiumPid, SIGTERM);
      ::waitpid(chromiumPid, nullptr, 0);
    }
    server.stop();
    if (serverThread.joinable()) serverThread.join();
    if (!dir.empty()) std::system(("rm -rf '" + dir + "'").c_str());
  }

  void StartChromium() {
    std::vector<std::string> args = {
        chromium,
        "--headless=new",
        "--no-first-run",
        "--disable-background-networking",
        "--disable-component-update",
        "--disable-sync",
        "--disable-quic",
        "--no-sandbox",
        "--user-data-dir=" + profile,
        "--load-extension=" + std::string(HOPWISE_SOURCE_DIR) + "/bridge/extension",
        "--remote-debugging-port=0",
        "about:blank"};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
      if (std::string_view(*e).rfind("XDG_STATE_HOME=", 0) != 0) env.emplace_back(*e);
    }
    env.push_back("XDG_STATE_HOME=" + dir + "/state");
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, (dir + "/chromium.log").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    ASSERT_EQ(posix_spawn(&chromiumPid, chromium.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
  }

  int DevToolsPort() {
    for (int i = 0; i < 200; ++i) {
      const std::string text = ReadFile(profile + "/DevToolsActivePort");
      if (!text.empty()) return std::atoi(text.c_str());
      std::this_thread::sleep_for(50ms);
    }
    return 0;
  }

  // Opens a page in a new tab through DevTools (PUT, as GET is refused).
  void OpenTab(const std::string& path) {
    httplib::Client devtools("127.0.0.1", DevToolsPort());
    const auto result = devtools.Put("/json/new?" + Url(path));
    ASSERT_TRUE(result) << "DevTools did not answer";
    EXPECT_EQ(result->status, 200);
  }

  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(httpPort) + path;
  }

  const SeenEcho* EchoOf(const std::string& path) {
    for (const auto& echo : hopwise.echoes) {
      if (echo.url == Url(path)) return &echo;
    }
    return nullptr;
  }

  bool WaitForEcho(const std::string& path, std::chrono::milliseconds limit = 15s) {
    return hopwise.PumpUntil([&] { return EchoOf(path) != nullptr; }, limit);
  }

  std::string chromium, dir, profile;
  pid_t chromiumPid = -1;
  httplib::Server server;
  int httpPort = 0;
  std::thread serverThread;
  HopwiseSide hopwise;
};

TEST_F(BridgeWithChromium, PagesReachHopwiseWithTitlesAndHopwiseOpensPages) {
  // The extension starts the host; registering succeeds once it serves "NETSCAPE".
  ASSERT_TRUE(hopwise.RegisterForEchoes()) << ReadFile(dir + "/chromium.log");

  OpenTab("/a");
  ASSERT_TRUE(WaitForEcho("/a")) << ReadFile(dir + "/state/hopwise/bridge.log");
  EXPECT_EQ(EchoOf("/a")->infoUrl, Url("/a"));
  EXPECT_EQ(EchoOf("/a")->infoCaption, "Netscape - [Page A]");
  EXPECT_EQ(EchoOf("/a")->mime, "text/html");
  EXPECT_NE(EchoOf("/a")->window, 0u);

  // A page without a title is echoed all the same, shortly after it has loaded.
  OpenTab("/untitled");
  ASSERT_TRUE(WaitForEcho("/untitled"));

  // A title set by script later is what the browser reports from then on.
  OpenTab("/late");
  ASSERT_TRUE(WaitForEcho("/late"));
  const uint32_t lateTab = EchoOf("/late")->window;
  EXPECT_TRUE(hopwise.PumpUntil(
      [&] { return hopwise.WindowInfo(std::to_string(lateTab)).second == "Netscape - [Late]"; }, 5s));

  // Hopwise opens a page: it shows in a new tab, whose id comes back and is the echo's window.
  const uint32_t opened = hopwise.AskForWindowId("WWW_OpenURL", "\"" + Url("/opened") + "\",,4294967295,0,");
  EXPECT_NE(opened, 0u);
  ASSERT_TRUE(WaitForEcho("/opened"));
  EXPECT_EQ(EchoOf("/opened")->window, opened);
  EXPECT_EQ(EchoOf("/opened")->infoCaption, "Netscape - [Opened by Hopwise]");
  EXPECT_EQ(hopwise.AskForWindowId("WWW_Activate", "4294967295,0,"), opened);

  // Each page was echoed once.
  EXPECT_EQ(hopwise.echoes.size(), 4u);

  // When the browser ends, so does the host, and "NETSCAPE" is free.
  ::kill(chromiumPid, SIGTERM);
  ::waitpid(chromiumPid, nullptr, 0);
  chromiumPid = -1;
  EXPECT_TRUE(hopwise.PumpUntil(
      [&] {
        const dde::ConvHandle conv = hopwise.instance.Connect("NETSCAPE", "WWW_Activate", 500);
        if (conv) hopwise.instance.Disconnect(conv);
        return conv == 0;
      },
      5s));
}

}  // namespace
