#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/dde_names.h"
#include "platform/instance_lock.h"
#include "support/child_process.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string Fixture(const std::string& name) {
  return std::string(HOPWISE_TEST_DATA) + "/bookmarks/" + name;
}

struct ToolRun {
  int status = -1;
  std::string output;  // stdout and stderr
};

class BookmarksToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "hopwise-bookmarks-XXXXXX").string();
    ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
    dir = pattern;
  }
  void TearDown() override { fs::remove_all(dir); }

  // Runs hopwise-bookmarks with $XDG_DATA_HOME in the test's folder, so the default data folder is
  // dir + "/share/hopwise".
  ToolRun Tool(const std::vector<std::string>& args) {
    ChildProcess::Options options;
    options.env = {"XDG_DATA_HOME=" + dir + "/share"};
    options.mergeStderr = true;
    ChildProcess child(std::string(HOPWISE_BIN_DIR) + "/hopwise-bookmarks", args, options);
    ToolRun run;
    run.status = child.Wait();
    for (const std::string& line : child.Lines()) run.output += line + "\n";
    return run;
  }

  std::string dir;
};

// An export with its dates taken out, so that two exports made at different times compare.
std::string WithoutDates(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size();) {
    size_t digits = i + 2;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
    bool number =
        text.compare(i, 2, "=\"") == 0 && digits > i + 2 && digits < text.size() && text[digits] == '"';
    out += number ? "=\"\"" : text.substr(i, 1);
    i = number ? digits + 1 : i + 1;
  }
  return out;
}

TEST_F(BookmarksToolTest, ImportsIntoADataFolderAndExportsFromIt) {
  const std::string data = dir + "/data";
  ToolRun imported = Tool({"--data", data, "import", Fixture("chromium_style.html")});
  EXPECT_EQ(0, imported.status) << imported.output;
  EXPECT_EQ("Imported 7 links and 4 folders.\n", imported.output);
  struct stat topics {};
  ASSERT_EQ(0, ::stat((data + "/Topics").c_str(), &topics));
  EXPECT_EQ(0700u, topics.st_mode & 0777);

  ToolRun exported = Tool({"export", dir + "/one.html", "--data=" + data});
  EXPECT_EQ(0, exported.status) << exported.output;
  EXPECT_EQ("Exported 7 links and 4 folders.\n", exported.output);
  EXPECT_EQ(0, Tool({"--data", dir + "/copy", "import", dir + "/one.html"}).status);
  EXPECT_EQ(0, Tool({"--data", dir + "/copy", "export", dir + "/two.html"}).status);
  const std::string one = ReadAll(dir + "/one.html");
  EXPECT_NE(std::string::npos, one.find(">Crème brûlée – “best” 'recipe'</A>"));
  EXPECT_EQ(WithoutDates(one), WithoutDates(ReadAll(dir + "/two.html")));
}

TEST_F(BookmarksToolTest, RefusesBadInputAndUsageWithoutTouchingTheData) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{},
                                             {"import"},
                                             {"load", "x"},
                                             {"import", "a", "b"},
                                             {"--force", "export", "x"},
                                             {"--quiet", "import", "x"},
                                             {"import", "x", "--data"},
                                             {"import-browser", "opera"},
                                             {"import", "x", "--profile", "p"},
                                             {"--force", "import-browser", "firefox"}})
    EXPECT_EQ(2, Tool(args).status) << args.size();
  ToolRun help = Tool({"import", "--help"});
  EXPECT_EQ(0, help.status);
  EXPECT_EQ(0u, help.output.find("usage: hopwise-bookmarks"));

  const std::string data = dir + "/data";
  ToolRun missing = Tool({"--data", data, "import", dir + "/nothing.html"});
  EXPECT_EQ(1, missing.status);
  EXPECT_NE(std::string::npos, missing.output.find(dir + "/nothing.html: cannot open")) << missing.output;
  std::ofstream(dir + "/plain.html") << "<DL><p>\n<DT><A HREF=\"http://a/\">A</A>\n</DL>\n";
  ToolRun plain = Tool({"--data", data, "import", dir + "/plain.html"});
  EXPECT_EQ(1, plain.status);
  EXPECT_NE(std::string::npos, plain.output.find("does not appear to be a Netscape-style bookmark file"));
  EXPECT_EQ(1, Tool({"--data", data, "export", dir + "/out.html"}).status) << "no data folder to export";
  ToolRun noProfile = Tool({"--data", data, "import-browser", "firefox", "--profile", dir});
  EXPECT_EQ(1, noProfile.status);
  EXPECT_EQ("hopwise-bookmarks: " + dir +
                "/places.sqlite: no such file; nothing was brought in from Firefox (" +
                fs::path(dir).filename().string() + ").\n",
            noProfile.output);
  EXPECT_FALSE(fs::exists(data)) << "nothing was made for input that was refused";

  // What is not a regular file, or is far larger than any bookmark file, is refused without
  // waiting on it or reading it.
  ASSERT_EQ(0, ::mkfifo((dir + "/pipe").c_str(), 0600));
  std::ofstream(dir + "/huge.html").close();
  fs::resize_file(dir + "/huge.html", (std::uintmax_t{256} << 20) + 1);
  for (const auto& [file, why] : {std::pair{dir + "/pipe", "it is a pipe, not a file"},
                                  {"/dev/urandom", "it is a device, not a file"},
                                  {dir, "it is a folder, not a file"},
                                  {dir + "/huge.html", "it is larger than 256 MiB"}}) {
    ToolRun refused = Tool({"--data", data, "--force", "import", file});
    EXPECT_EQ(1, refused.status) << file;
    EXPECT_NE(std::string::npos, refused.output.find(why)) << refused.output;
  }
  EXPECT_FALSE(fs::exists(data));

  EXPECT_EQ(0, Tool({"--data", data, "--force", "import", dir + "/plain.html"}).status);
  EXPECT_EQ(1, Tool({"--data", data, "export", dir + "/no/such/folder.html"}).status);
}

TEST_F(BookmarksToolTest, LeavesTheDefaultDataFolderToARunningHopwise) {
  std::unique_ptr<InstanceLock> hopwise = InstanceLock::Acquire(dde::names::DefaultRuntimeDir());
  ASSERT_TRUE(hopwise);
  for (const std::string& data : {dir + "/share/hopwise", dir + "/share/./hopwise/"}) {
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"import", Fixture("firefox_style.html")}, {"import-browser", "firefox", "--profile", dir}}) {
      std::vector<std::string> args{"--data", data};
      args.insert(args.end(), command.begin(), command.end());
      ToolRun refused = Tool(args);
      EXPECT_EQ(1, refused.status);
      EXPECT_EQ(
          "hopwise-bookmarks: Hopwise is running and owns the Topics files; use the File menu of its Topics "
          "window, or quit Hopwise first.\n",
          refused.output);
    }
  }
  EXPECT_EQ(1, Tool({"export", dir + "/out.html"}).status);
  EXPECT_FALSE(fs::exists(dir + "/share"));
  EXPECT_EQ(0, Tool({"--data", dir + "/other", "import", Fixture("firefox_style.html")}).status);

  hopwise.reset();
  EXPECT_EQ(0, Tool({"import", Fixture("firefox_style.html")}).status);
  EXPECT_TRUE(fs::exists(dir + "/share/hopwise/topics.data"));
}

}  // namespace
