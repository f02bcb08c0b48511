#include "bridge/host/host_manifests.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "bridge/host/replace_file.h"

namespace bridge {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

using Json = nlohmann::json;

Json Parsed(const std::string& text) {
  const Json value = Json::parse(text, nullptr, false);
  return value.is_object() ? value : Json::object();
}

TEST(HostManifest, EachBrowserAllowsTheExtensionByItsOwnKindOfId) {
  const auto chromium = Parsed(HostManifest(ManifestKind::Chromium, "/opt/hw/bin/host", "abcdefghijklmnop"));
  EXPECT_EQ(chromium.value("name", ""), "hopwise.browser_bridge");
  EXPECT_EQ(chromium.value("type", ""), "stdio");
  EXPECT_EQ(chromium.value("path", ""), "/opt/hw/bin/host");
  EXPECT_EQ(chromium.value("allowed_origins", Json()), Json::array({"chrome-extension://abcdefghijklmnop/"}));
  EXPECT_FALSE(chromium.contains("allowed_extensions"));

  const auto firefox = Parsed(HostManifest(ManifestKind::Firefox, "/opt/hw/bin/host", "abcdefghijklmnop"));
  EXPECT_EQ(firefox.value("name", ""), "hopwise.browser_bridge");
  EXPECT_EQ(firefox.value("allowed_extensions", Json()), Json::array({"browser-bridge@hopwise"}));
  EXPECT_FALSE(firefox.contains("allowed_origins"));
}

TEST(HostManifest, QuotesAndBackslashesInThePathSurvive) {
  const std::string odd = "/home/a \"b\"\\c/\xC3\xA9t\xC3\xA9/bin/host";
  EXPECT_EQ(Parsed(HostManifest(ManifestKind::Chromium, odd, "x")).value("path", ""), odd);
}

TEST(UserManifestFiles, FollowTheBrowsersOwnFolders) {
  const auto files = UserManifestFiles("/home/u", nullptr);
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0].kind, ManifestKind::Chromium);
  EXPECT_EQ(files[0].path, "/home/u/.config/chromium/NativeMessagingHosts/hopwise.browser_bridge.json");
  EXPECT_EQ(files[1].kind, ManifestKind::Firefox);
  EXPECT_EQ(files[1].path, "/home/u/.mozilla/native-messaging-hosts/hopwise.browser_bridge.json");

  EXPECT_EQ(UserManifestFiles("/home/u", "/cfg")[0].path,
            "/cfg/chromium/NativeMessagingHosts/hopwise.browser_bridge.json");
  EXPECT_EQ(UserManifestFiles("/home/u", "relative")[0].path, files[0].path)
      << "a relative folder is ignored";
  EXPECT_EQ(UserManifestFiles("/home/u", "")[0].path, files[0].path);

  const auto withoutHome = UserManifestFiles(nullptr, "/cfg");
  ASSERT_EQ(withoutHome.size(), 1u);
  EXPECT_EQ(withoutHome[0].kind, ManifestKind::Chromium);
  EXPECT_TRUE(UserManifestFiles("relative", nullptr).empty());
  EXPECT_TRUE(UserManifestFiles(nullptr, nullptr).empty());
}

class ManifestFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("hopwise-manifests-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override { fs::remove_all(root); }

  bool Install(const std::string& host, std::string* written = nullptr, std::string* errors = nullptr) {
    std::ostringstream out, err;
    const bool ok = InstallUserManifests(host, "abcdefghijklmnop", home().c_str(), nullptr, out, err);
    if (written) *written = out.str();
    if (errors) *errors = err.str();
    return ok;
  }
  std::string home() const { return (root / "home").string(); }
  fs::path chromium() const {
    return root / "home/.config/chromium/NativeMessagingHosts/hopwise.browser_bridge.json";
  }
  fs::path firefox() const {
    return root / "home/.mozilla/native-messaging-hosts/hopwise.browser_bridge.json";
  }
  size_t FilesIn(const fs::path& folder) const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
  }

  fs::path root;
};

TEST_F(ManifestFiles, AreWrittenOnceAndAgainOnlyWhenTheHostMoves) {
  std::string written;
  ASSERT_TRUE(Install("/opt/a/host", &written));
  EXPECT_EQ(written, "wrote " + chromium().string() + "\nwrote " + firefox().string() + "\n");
  EXPECT_EQ(Read(chromium()), HostManifest(ManifestKind::Chromium, "/opt/a/host", "abcdefghijklmnop"));
  EXPECT_EQ(Read(firefox()), HostManifest(ManifestKind::Firefox, "/opt/a/host", "abcdefghijklmnop"));
  EXPECT_EQ(fs::status(chromium()).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);

  const auto stamp = fs::last_write_time(chromium());
  ASSERT_TRUE(Install("/opt/a/host", &written));
  EXPECT_EQ(written, "");
  EXPECT_EQ(fs::last_write_time(chromium()), stamp);

  ASSERT_TRUE(Install("/opt/b/host", &written));
  EXPECT_EQ(Parsed(Read(firefox())).value("path", ""), "/opt/b/host");
  EXPECT_EQ(FilesIn(chromium().parent_path()), 1u) << "no temporary file is left behind";
}

TEST_F(ManifestFiles, AFolderThatCannotBeMadeFailsThatBrowserOnly) {
  fs::create_directories(root / "home");
  std::ofstream(root / "home/.mozilla") << "a file where the folder should be";
  std::string written, errors;
  EXPECT_FALSE(Install("/opt/a/host", &written, &errors));
  EXPECT_EQ(written, "wrote " + chromium().string() + "\n");
  EXPECT_EQ(errors, "could not write " + firefox().string() + "\n");
}

TEST_F(ManifestFiles, AHostPathAManifestCannotNameWritesNothing) {
  std::string errors;
  EXPECT_FALSE(Install("bin/host", nullptr, &errors));
  EXPECT_EQ(errors, "the host's own path is not known\n");
  EXPECT_FALSE(Install("/opt/caf\xE9/host", nullptr, &errors)) << "Latin-1, not UTF-8";
  EXPECT_NE(errors.find("not UTF-8"), std::string::npos);
  EXPECT_FALSE(fs::exists(root / "home"));
}

TEST_F(ManifestFiles, AFailedReplaceKeepsWhatWasThere) {
  fs::create_directories(root / "taken");  // a folder by the file's name: the rename fails
  EXPECT_EQ(WriteIfChanged((root / "taken").string(), "text"), WriteOutcome::Failed);
  EXPECT_TRUE(fs::is_directory(root / "taken"));
  EXPECT_EQ(FilesIn(root), 1u) << "the temporary file is removed";

  EXPECT_EQ(WriteIfChanged((root / "f").string(), "one"), WriteOutcome::Written);
  EXPECT_EQ(WriteIfChanged((root / "f").string(), "one"), WriteOutcome::Unchanged);
  EXPECT_EQ(WriteIfChanged((root / "f").string(), "on"), WriteOutcome::Written)
      << "a shorter text is a change";
  EXPECT_EQ(Read(root / "f"), "on");
}

}  // namespace
}  // namespace bridge
