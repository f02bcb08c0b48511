#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "store/data_files.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string Fixture(const std::string& name) {
  return std::string(HOPWISE_TEST_DATA) + "/archive/" + name;
}

struct ToolRun {
  int status = -1;
  std::string out;
  std::string err;
};

class ArchiveToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "hopwise-tool-XXXXXX").string();
    ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
    dir = pattern;
  }
  void TearDown() override { fs::remove_all(dir); }

  // Runs hopwise-archive with args, no shell, and collects its exit status and both outputs.
  ToolRun Tool(std::vector<std::string> args) {
    std::string program = std::string(HOPWISE_BIN_DIR) + "/hopwise-archive";
    std::string outPath = dir + "/stdout", errPath = dir + "/stderr";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::vector<char*> argv{program.data()};
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    ToolRun run;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
      int status = 0;
      ::waitpid(pid, &status, 0);
      run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = ReadAll(outPath);
    run.err = ReadAll(errPath);
    return run;
  }

  std::string dir;
};

TEST_F(ArchiveToolTest, DumpsACacheWrittenBySaveCache) {
  FakeClock clock(1600000000);
  CPrefs prefs;
  PageMarkStore store(prefs, clock);
  store.RecordVisit("http://example.com/a", "Page \"A\"");
  clock.Advance(60);
  store.RecordVisit("http://example.org/", "B");
  store.SetPageMarkSize(&store.PageMarks()[1], 2048);
  RecordingMessageBoxes messages;
  DataFiles files(messages, clock);
  std::string path = dir + "/cache.data";
  ASSERT_TRUE(files.SaveCache(store, path));

  ToolRun run = Tool({"dump", path});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(
      std::vector<std::string>({
          R"({"class":"CPez","schema":2,"url":"http://example.com/a","title":"Page \"A\"","reserved":0,)"
          R"("firstVisited":1600000000,"lastVisited":1600000000,"size":0})",
          R"({"class":"CPez","schema":2,"url":"http://example.org/","title":"B","reserved":0,)"
          R"("firstVisited":1600000060,"lastVisited":1600000060,"size":2048})",
      }),
      Lines(run.out));
  EXPECT_EQ("", run.err);
}

TEST_F(ArchiveToolTest, DumpsABranchWrittenBySaveBranch) {
  FakeClock clock(1600000000);
  RecordingMessageBoxes messages;
  DataFiles files(messages, clock);
  TopicArray topics;
  topics.push_back(std::make_unique<CTopic>(clock.Now()));
  topics[0]->target = dir + "/Topics/1600000000.data";
  topics[0]->name = "Reading";
  topics[0]->isFolder = 1;
  std::string path = dir + "/topics.data";
  ASSERT_TRUE(files.SaveBranch(path, topics));

  ToolRun run = Tool({"dump", path});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(std::vector<std::string>{"{\"class\":\"CTopic\",\"schema\":2,\"target\":\"" + dir +
                                     "/Topics/1600000000.data\",\"name\":\"Reading\",\"isFolder\":1,"
                                     "\"firstVisited\":1600000000,\"lastVisited\":1600000000,\"size\":0}"},
            Lines(run.out));
}

TEST_F(ArchiveToolTest, DumpsHandWrittenFixtures) {
  ToolRun two = Tool({"dump", Fixture("cache_two_records.data")});
  EXPECT_EQ(0, two.status);
  EXPECT_EQ(std::vector<std::string>({
                R"({"class":"CPez","schema":2,"url":"http://a.b/","title":"T","reserved":0,)"
                R"("firstVisited":1000000000,"lastVisited":1000000300,"size":0})",
                R"({"class":"CPez","schema":2,"url":"http://c.d/","title":"U","reserved":0,)"
                R"("firstVisited":1000000400,"lastVisited":1000000500,"size":4096})",
            }),
            Lines(two.out));

  // Older schemas show the fields they hold, with the times as stored.
  ToolRun old = Tool({"dump", Fixture("topics_schema1.data")});
  EXPECT_EQ(0, old.status);
  EXPECT_EQ(std::vector<std::string>({
                R"({"class":"CTopic","schema":1,"target":"/home/u/Topics/900000000.data","name":"News",)"
                R"("isFolder":1,"firstVisited":900000000,"lastVisited":900000000})",
                R"({"class":"CTopic","schema":1,"target":"http://news.example/","name":"Front page",)"
                R"("isFolder":0,"firstVisited":900000100,"lastVisited":900000200})",
            }),
            Lines(old.out));
  ToolRun oldPez = Tool({"dump", Fixture("cache_schema1.data")});
  EXPECT_EQ(0, oldPez.status);
  ASSERT_EQ(2u, Lines(oldPez.out).size());
  EXPECT_EQ(R"({"class":"CPez","schema":1,"url":"http://old.example/","title":"Old","commandId":1040,)"
            R"("reserved":0,"firstVisited":900000000,"lastVisited":900000600})",
            Lines(oldPez.out)[0]);

  ToolRun unknown = Tool({"dump", Fixture("cache_unknown_schema.data")});
  EXPECT_EQ(0, unknown.status);
  EXPECT_EQ(std::vector<std::string>({
                R"({"class":"CPez","schema":9})",
                R"({"class":"CPez","schema":2,"url":"http://k.example/","title":"kept","reserved":0,)"
                R"("firstVisited":10,"lastVisited":20,"size":0})",
            }),
            Lines(unknown.out));

  ToolRun longRefs = Tool({"dump", Fixture("cache_long_refs.data")});
  EXPECT_EQ(0, longRefs.status);
  EXPECT_EQ(3u, Lines(longRefs.out).size());

  ToolRun empty = Tool({"dump", Fixture("cache_empty.data")});
  EXPECT_EQ(0, empty.status);
  EXPECT_EQ("", empty.out);
  EXPECT_EQ("", empty.err);
}

TEST_F(ArchiveToolTest, EscapesTextThatIsNoPlainUtf8) {
  ToolRun run = Tool({"dump", Fixture("cache_mixed_text.data")});
  EXPECT_EQ(0, run.status);
  // The Latin-1 byte 0xE9 reads as "é", like the UTF-8 "é" that passes as it is; the control
  // characters are escaped.
  EXPECT_EQ(std::vector<std::string>{R"({"class":"CPez","schema":2,"url":"http://x.example/\"q\"",)"
                                     R"("title":"café \\ \u0001\t\n é\u007f","reserved":5,)"
                                     R"("firstVisited":-1,"lastVisited":2147483647,"size":4294967295})"},
            Lines(run.out));

  // C1 control characters, in UTF-8 or as Latin-1 bytes, are escaped as well.
  const auto c1 = Lines(Tool({"dump", Fixture("cache_c1_text.data")}).out);
  ASSERT_EQ(1u, c1.size());
  EXPECT_NE(std::string::npos, c1[0].find(R"("title":"a\u0085b\u009b")")) << c1[0];
}

TEST_F(ArchiveToolTest, DamagedFileFailsAndIsLeftAlone) {
  std::string path = dir + "/cache.data";
  fs::copy_file(Fixture("cache_truncated.data"), path);
  std::string before = ReadAll(path);
  ToolRun run = Tool({"dump", path});
  EXPECT_EQ(1, run.status);
  EXPECT_NE(std::string::npos, run.err.find(path)) << run.err;
  EXPECT_NE(std::string::npos, run.err.find("record 2 of 2")) << run.err;
  EXPECT_EQ(1u, Lines(run.out).size());  // the intact first record
  EXPECT_EQ(before, ReadAll(path));

  std::ofstream(dir + "/foreign.data", std::ios::binary) << std::string(
      "\x01\x00\xff\xff\x01\x00\x03\x00"
      "Foo",
      11);
  ToolRun foreign = Tool({"dump", dir + "/foreign.data"});
  EXPECT_EQ(1, foreign.status);
  EXPECT_NE(std::string::npos, foreign.err.find("Foo")) << foreign.err;
  EXPECT_EQ("", foreign.out);
}

// What a damaged file still holds comes back as a new file Hopwise can load.
TEST_F(ArchiveToolTest, RecoverWritesTheRecordsBeforeTheDamageToANewFile) {
  const std::string damaged = dir + "/cache.data.damaged-20261207-120000";
  fs::copy_file(Fixture("cache_truncated.data"), damaged);
  const std::string before = ReadAll(damaged);
  const std::string out = dir + "/cache.data";
  ToolRun run = Tool({"recover", damaged, out});
  EXPECT_EQ(0, run.status) << run.err;
  EXPECT_EQ(0u, run.out.find("1 of 2 records recovered to " + out)) << run.out;
  EXPECT_EQ(before, ReadAll(damaged));
  ToolRun dump = Tool({"dump", out});
  EXPECT_EQ(0, dump.status) << dump.err;
  EXPECT_EQ(1u, Lines(dump.out).size());

  EXPECT_EQ(1, Tool({"recover", damaged, out}).status) << "an existing file is never written over";
  EXPECT_EQ(1, Tool({"recover", dir + "/missing", dir + "/new"}).status);
  EXPECT_FALSE(fs::exists(dir + "/new"));
}

TEST_F(ArchiveToolTest, UsageErrorsAndMissingFiles) {
  EXPECT_EQ(2, Tool({}).status);
  EXPECT_EQ(2, Tool({"dump"}).status);
  EXPECT_EQ(2, Tool({"load", Fixture("cache_empty.data")}).status);
  EXPECT_EQ(2, Tool({"dump", "a", "b"}).status);
  ToolRun missing = Tool({"dump", dir + "/nothing.data"});
  EXPECT_EQ(1, missing.status);
  EXPECT_FALSE(fs::exists(dir + "/nothing.data"));
  EXPECT_EQ(1, Tool({"dump", dir}).status);
}

}  // namespace
