// The start command's part in the bridge: it has the host beside it write the user's manifests,
// and starts the program whatever comes of that. The program here is a stand-in that
// tells where it was started.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>

#include "bridge/host/host_manifests.h"
#include "bridge/test_files.h"
#include "support/child_process.h"

namespace {

namespace fs = std::filesystem;

class LaunchSetup : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("hopwise-launch-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "bin");
    fs::create_directories(root / "home");
    std::ofstream(root / "bin/hopwise") << "#!/bin/sh\necho \"hopwise started in $(pwd)\"\n";
    fs::permissions(root / "bin/hopwise", fs::perms::owner_all);
  }
  void TearDown() override { fs::remove_all(root); }

  void PutHostNextToProgram() {
    fs::copy_file(std::string(HOPWISE_BIN_DIR) + "/hopwise-browser-bridge",
                  root / "bin/hopwise-browser-bridge");
  }

  // Runs the start command from beside the host; every line it and the program printed.
  std::vector<std::string> Launch() {
    fs::copy_file(std::string(HOPWISE_BIN_DIR) + "/hopwise-start", root / "bin/hopwise-start",
                  fs::copy_options::overwrite_existing);
    ChildProcess::Options options;
    options.env = {"HOPWISE_PROGRAM=" + (root / "bin/hopwise").string(), "HOME=" + (root / "home").string(),
                   "XDG_CONFIG_HOME=", "XDG_DATA_HOME=", "QT_QPA_PLATFORM=offscreen"};
    options.mergeStderr = true;
    ChildProcess start((root / "bin/hopwise-start").string(), {}, options);
    start.WaitForLine("hopwise started in");
    EXPECT_EQ(start.Wait(), 0);
    return start.Lines();
  }

  std::string Started() const {
    return "hopwise started in " + (root / "home/.local/share/hopwise").string();
  }
  fs::path ChromiumManifest() const {
    return root / "home/.config/chromium/NativeMessagingHosts/hopwise.browser_bridge.json";
  }
  fs::path FirefoxManifest() const {
    return root / "home/.mozilla/native-messaging-hosts/hopwise.browser_bridge.json";
  }
  std::string PathIn(const fs::path& manifest) const {
    const auto value = nlohmann::json::parse(bridgetest::ReadFile(manifest.string()), nullptr, false);
    return value.is_object() ? value.value("path", "") : "";
  }

  fs::path root;
};

TEST_F(LaunchSetup, TheHostNextToTheProgramIsWhatTheBrowsersStart) {
  PutHostNextToProgram();
  EXPECT_EQ(Launch(), std::vector<std::string>{Started()}) << "the set-up is quiet";
  const std::string host = (root / "bin/hopwise-browser-bridge").string();
  EXPECT_EQ(PathIn(ChromiumManifest()), host);
  EXPECT_EQ(PathIn(FirefoxManifest()), host);
  EXPECT_TRUE(fs::is_directory(root / "home/.local/share/hopwise/Topics"));
  EXPECT_EQ(fs::perms::owner_all,
            fs::status(root / "home/.local/share/hopwise").permissions() & fs::perms::all)
      << "the browsing history is the user's alone";
  EXPECT_TRUE(fs::exists(root / "home/.config/Ostrand Software/Hopwise/1.2.conf"));

  // Every later start leaves manifests that are right alone.
  EXPECT_EQ(Launch(), std::vector<std::string>{Started()});
}

TEST_F(LaunchSetup, HopwiseStartsWithoutABridgeOrWhenItsSetUpFails) {
  EXPECT_EQ(Launch(), std::vector<std::string>{Started()});
  EXPECT_FALSE(fs::exists(root / "home/.config/chromium"));

  PutHostNextToProgram();
  std::ofstream(root / "home/.mozilla") << "a file where Firefox's folder should be";
  const auto lines = Launch();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), Started());
  EXPECT_NE(
      std::find(lines.begin(), lines.end(),
                "hopwise: the browser bridge is not set up; Chromium and Firefox may not reach Hopwise."),
      lines.end());
  EXPECT_EQ(PathIn(ChromiumManifest()), (root / "bin/hopwise-browser-bridge").string())
      << "Chromium's manifest is written all the same";
}

}  // namespace
