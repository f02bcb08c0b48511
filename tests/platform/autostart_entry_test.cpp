#include "platform/autostart_entry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

class AutostartEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("hopwise-autostart-" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = (dir_ / "config/autostart/hopwise.desktop").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  static std::string Read(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

  fs::path dir_;
  std::string file_;
};

TEST(AutostartPaths, ConfigHomeIsHonouredWhenAbsoluteAndTheStartCommandFollowsTheLayout) {
  EXPECT_EQ("/x/cfg/autostart/hopwise.desktop", AutostartFile("/home/u", "/x/cfg"));
  EXPECT_EQ("/home/u/.config/autostart/hopwise.desktop", AutostartFile("/home/u", nullptr));
  EXPECT_EQ("/home/u/.config/autostart/hopwise.desktop", AutostartFile("/home/u", ""));
  EXPECT_EQ("/home/u/.config/autostart/hopwise.desktop", AutostartFile("/home/u", "rel/cfg"));

  EXPECT_EQ("/usr/bin/hopwise", StartCommandFor("/usr/libexec/hopwise/hopwise"));
  EXPECT_EQ("/opt/hw/bin/hopwise", StartCommandFor("/opt/hw/libexec/hopwise/hopwise"));
  EXPECT_EQ("/src/build/bin/hopwise-start", StartCommandFor("/src/build/bin/hopwise"));
}

TEST(AutostartText, TheStartCommandIsQuotedAsTheDesktopEntryFormatAsks) {
  const std::string text = AutostartEntryText("/opt/My \"Apps\"/$x\\bin/hopwise");
  EXPECT_NE(std::string::npos, text.find("\nExec=\"/opt/My \\\\\"Apps\\\\\"/\\\\$x\\\\\\\\bin/hopwise\"\n"))
      << text;
  EXPECT_NE(std::string::npos, text.find("\nTryExec=/opt/My \"Apps\"/$x\\\\bin/hopwise\n")) << text;
  EXPECT_EQ(0u, text.find("[Desktop Entry]\n"));
}

TEST_F(AutostartEntryTest, SwitchingOnWritesTheEntryInANewFolderAndSwitchingOffRemovesIt) {
  EXPECT_FALSE(AutostartIsOn(file_));
  ASSERT_EQ("", SetAutostart(file_, true, "/usr/bin/hopwise"));
  EXPECT_TRUE(AutostartIsOn(file_));
  EXPECT_EQ(AutostartEntryText("/usr/bin/hopwise"), Read(file_));

  ASSERT_EQ("", SetAutostart(file_, false, "/usr/bin/hopwise"));
  EXPECT_FALSE(fs::exists(file_));
  EXPECT_EQ("", SetAutostart(file_, false, "/usr/bin/hopwise")) << "already off is no failure";

  EXPECT_NE("", SetAutostart(file_, true, "/usr/bin/hop\nwise")) << "a path no entry can hold";
  EXPECT_FALSE(fs::exists(file_));
}

TEST_F(AutostartEntryTest, AnEntryTheDesktopSwitchedOffCountsAsOffAndIsReplacedWhenSwitchedOn) {
  fs::create_directories(fs::path(file_).parent_path());
  for (const char* off : {"Hidden=true", "X-GNOME-Autostart-enabled=false\r"}) {
    Write(file_, std::string("[Desktop Entry]\nExec=hopwise\n") + off + "\n");
    EXPECT_FALSE(AutostartIsOn(file_)) << off;
  }
  ASSERT_EQ("", SetAutostart(file_, true, "/usr/bin/hopwise"));
  EXPECT_TRUE(AutostartIsOn(file_));
}

}  // namespace
