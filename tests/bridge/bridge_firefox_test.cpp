// The bridge with Firefox: headless Firefox ESR loads the extension from its profile (the folder
// named by a file in the profile's extensions folder, as a developer install does) and starts the
// host through the manifest the host wrote into ~/.mozilla; a transport client plays Hopwise and
// opens the pages itself. Skipped when Firefox is not installed.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <filesystem>
#include <fstream>

#include "bridge/browser_home.h"
#include "bridge/test_files.h"
#include "support/child_process.h"
#include "bridge/hopwise_side.h"
#include "bridge/host/host_manifests.h"
#include "bridge/page_server.h"

namespace {

using namespace std::chrono_literals;
using bridgetest::HopwiseSide;

const std::vector<bridgetest::PageServer::Page> kPages = {
    {"/a", "<html><head><title>Page A</title></head><body>A</body></html>"},
};

std::string FindFirefox() {
  return bridgetest::FindProgram({"/usr/bin/firefox-esr", "/usr/bin/firefox"});
}

class BridgeWithFirefox : public ::testing::Test {
 protected:
  void SetUp() override {
    if (FindFirefox().empty()) GTEST_SKIP() << "Firefox is not installed";
    ASSERT_TRUE(hopwise.ok);
    ASSERT_FALSE(home.root.empty());
    ASSERT_TRUE(home.WriteManifests());
    ASSERT_TRUE(server.Listening());
    MakeProfile();
    ChildProcess::Options options;
    options.env = home.Environment();
    options.outputPath = home.root + "/firefox.log";
    firefox = std::make_unique<ChildProcess>(
        FindFirefox(), std::vector<std::string>{"--headless", "--no-remote", "--profile", profile(), "about:blank"},
        options);
    ASSERT_TRUE(firefox->Started());
  }

  std::string profile() const { return home.root + "/profile"; }

  // An unsigned extension loads only with signatures off (ESR honours that), and one put into the
  // profile stays disabled until the user agrees unless its scope is exempt. The rest keeps the
  // first run from opening pages of its own.
  void MakeProfile() {
    std::filesystem::create_directories(profile() + "/extensions");
    std::ofstream(profile() + "/user.js") << "user_pref(\"xpinstall.signatures.required\", false);\n"
                                             "user_pref(\"extensions.autoDisableScopes\", 0);\n"
                                             "user_pref(\"datareporting.policy.dataSubmissionEnabled\", false);\n"
                                             "user_pref(\"browser.startup.homepage_override.mstone\", \"ignore\");\n";
    std::ofstream(profile() + "/extensions/" + bridge::kGeckoExtensionId)
        << HOPWISE_SOURCE_DIR << "/bridge/extension";
  }

  bridgetest::BrowserHome home;
  bridgetest::PageServer server{kPages};
  std::unique_ptr<ChildProcess> firefox;
  HopwiseSide hopwise;
};

TEST_F(BridgeWithFirefox, TheExtensionStartsTheHostAndPagesGoBothWays) {
  ASSERT_TRUE(hopwise.PumpUntil([&] { return home.BridgeLog().find("serving NETSCAPE") != std::string::npos; }, 30s))
      << bridgetest::ReadFile(home.root + "/firefox.log");
  EXPECT_NE(home.BridgeLog().find("started for " + home.home + "/.mozilla/native-messaging-hosts/"), std::string::npos)
      << "Firefox names the manifest it used";
  ASSERT_TRUE(hopwise.RegisterForEchoes());

  // Hopwise opens a page; the tab that shows it is echoed with the page's title.
  const uint32_t opened = hopwise.AskForWindowId("WWW_OpenURL", "\"" + server.Url("/a") + "\",,4294967295,0,");
  EXPECT_NE(opened, 0u);
  const bridgetest::SeenEcho* echo = nullptr;
  ASSERT_TRUE(hopwise.PumpUntil(
      [&] {
        for (const auto& seen : hopwise.echoes) {
          if (seen.url == server.Url("/a")) echo = &seen;
        }
        return echo != nullptr;
      },
      15s))
      << home.BridgeLog();
  EXPECT_EQ(echo->window, opened);
  EXPECT_EQ(echo->infoCaption, "Netscape - [Page A]");
  EXPECT_EQ(hopwise.AskForWindowId("WWW_Activate", "4294967295,0,"), opened);
}

}  // namespace
