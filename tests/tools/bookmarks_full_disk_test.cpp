// hopwise-bookmarks importing into a data folder on a small file system of the test's own: one
// that fills up during the import, and one that is read-only. Mounting needs the right to mount
// (root in the test machines); without it the program reports itself skipped.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/mount.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/child_process.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class BookmarksFullDiskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "hopwise-full-disk-XXXXXX").string();
    ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
    dir = pattern;
    data = dir + "/data";
    fs::create_directory(data);
    // 40 pages: room for topics.data and a few branch files, not for a hundred.
    if (::mount("tmpfs", data.c_str(), "tmpfs", 0, "size=160k,mode=0700") != 0)
      GTEST_SKIP() << "cannot mount a small file system here: " << std::strerror(errno);
    mounted = true;
  }
  void TearDown() override {
    if (mounted) ::umount2(data.c_str(), MNT_DETACH);
    fs::remove_all(dir);
  }

  int Import(const std::string& file, std::string& output) {
    ChildProcess::Options options;
    options.mergeStderr = true;
    ChildProcess child(std::string(HOPWISE_BIN_DIR) + "/hopwise-bookmarks", {"--data", data, "import", file},
                       options);
    const int status = child.Wait();
    output.clear();
    for (const std::string& line : child.Lines()) output += line + "\n";
    return status;
  }

  // A bookmark file of `folders` folders of one link each.
  std::string Bookmarks(int folders) {
    const std::string path = dir + "/bookmarks-" + std::to_string(folders) + ".html";
    std::ofstream out(path, std::ios::binary);
    out << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    for (int i = 0; i < folders; ++i)
      out << "<DT><H3>Folder " << i << "</H3>\n<DL><p>\n<DT><A HREF=\"http://f" << i
          << "/\">L</A>\n</DL><p>\n";
    out << "</DL><p>\n";
    return path;
  }

  std::string dir;
  std::string data;
  bool mounted = false;
};

TEST_F(BookmarksFullDiskTest, AnImportThatDoesNotFitOrMayNotBeWrittenAddsNothing) {
  std::string output;
  ASSERT_EQ(0, Import(Bookmarks(2), output)) << output;
  const std::string topics = ReadAll(data + "/topics.data");
  const std::vector<std::string> files = Listing(data + "/Topics");
  ASSERT_EQ(2u, files.size());

  EXPECT_EQ(1, Import(Bookmarks(100), output));
  EXPECT_NE(std::string::npos, output.find("No space left on device")) << output;
  EXPECT_NE(std::string::npos, output.find("nothing was imported")) << output;
  EXPECT_EQ(topics, ReadAll(data + "/topics.data"));
  EXPECT_EQ(files, Listing(data + "/Topics"));

  ASSERT_EQ(0, ::mount(nullptr, data.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr))
      << std::strerror(errno);
  EXPECT_EQ(1, Import(Bookmarks(1), output));
  EXPECT_NE(std::string::npos, output.find("nothing was imported")) << output;
  EXPECT_EQ(topics, ReadAll(data + "/topics.data"));
  EXPECT_EQ(files, Listing(data + "/Topics"));
}

}  // namespace
