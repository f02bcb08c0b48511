#include "store/data_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <thread>

#include "store/allocation_limit.h"
#include "store/archive.h"
#include "store/background_save.h"
#include "store/branch_names.h"
#include "store/failing_stream.h"
#include "store/save_trigger.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Whether a thread of this process sleeps in the kernel (on a lock, for instance), by its state in
// /proc/self/task/ID/stat: the letter after the parenthesized name.
bool IsSleeping(pid_t threadId) {
  std::ifstream stat("/proc/self/task/" + std::to_string(threadId) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t nameEnd = text.rfind(')');
  return nameEnd != std::string::npos && nameEnd + 2 < text.size() && text[nameEnd + 2] == 'S';
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::vector<std::string> Listing(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

// An opener whose streams fail after `limit` bytes, as on a full disk.
OutputOpener FailingAfter(size_t limit) {
  return
      [limit](const std::string& tempPath) { return std::make_unique<FailingFileStream>(tempPath, limit); };
}

class FixedRandom : public RandomSource {
 public:
  explicit FixedRandom(std::deque<uint32_t> values) : values_(std::move(values)) {}
  uint32_t Next() override {
    uint32_t v = values_.front();
    values_.pop_front();
    return v;
  }

 private:
  std::deque<uint32_t> values_;
};

class DataFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "hopwise-data-XXXXXX").string();
    ASSERT_NE(nullptr, ::mkdtemp(pattern.data()));
    dir = pattern;
    cachePath = dir + "/cache.data";
    fs::create_directory(dir + "/Topics");
  }
  void TearDown() override { fs::remove_all(dir); }

  void Visit(const std::string& url, const std::string& title) {
    store.RecordVisit(url, title);
    clock.Advance(10);
  }

  std::vector<std::string> Urls() const {
    std::vector<std::string> urls;
    for (const CPez& p : store.PageMarks()) urls.push_back(p.url);
    return urls;
  }

  std::string dir;
  std::string cachePath;
  FakeClock clock{1000000000};
  CPrefs prefs;
  // Set by a test of the threads to hold the store at that moment.
  std::function<void()> whileCopying;
  std::function<void()> beforeVisit;
  PageMarkStore store{prefs, clock,
                      PageMarkStore::Probes{[this] {
                                              if (whileCopying) whileCopying();
                                            },
                                            [this] {
                                              if (beforeVisit) beforeVisit();
                                            }}};
  RecordingMessageBoxes messages;
};

TEST_F(DataFilesTest, CacheRoundTripsThroughTheFile) {
  Visit("http://a/", "A");
  Visit("http://b/", "B");
  store.SetPageMarkSize(&store.PageMarks()[0], 321);
  DataFiles files(messages, clock);
  ASSERT_TRUE(files.SaveCache(store, cachePath));

  PageMarkStore loaded(prefs, clock);
  files.LoadCache(loaded, cachePath);
  ASSERT_EQ(2u, loaded.Count());
  EXPECT_EQ("http://a/", loaded.PageMarks()[0].url);
  EXPECT_EQ("B", loaded.PageMarks()[1].title);
  EXPECT_EQ(321u, loaded.PageMarks()[0].size);
  EXPECT_EQ(1000000010, loaded.PageMarks()[1].firstVisited);
  EXPECT_TRUE(messages.Shown().empty());
  EXPECT_EQ(std::vector<std::string>({"Topics", "cache.data"}), Listing(dir));
}

TEST_F(DataFilesTest, EmptyStoreWritesTwoBytesAndMissingFileLoadsNothing) {
  DataFiles files(messages, clock);
  files.LoadCache(store, cachePath);
  EXPECT_TRUE((store.Count() == 0));
  EXPECT_FALSE(fs::exists(cachePath));
  ASSERT_TRUE(files.SaveCache(store, cachePath));
  EXPECT_EQ(std::string(2, '\0'), ReadAll(cachePath));
  files.LoadCache(store, cachePath);
  EXPECT_TRUE((store.Count() == 0));
  EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(DataFilesTest, BranchRoundTripAndMissingBranch) {
  std::string path = dir + "/Topics/1.data";
  DataFiles files(messages, clock);
  TopicArray none;
  files.LoadBranch(path, none);
  EXPECT_TRUE(none.empty());
  EXPECT_FALSE(fs::exists(path));

  TopicArray topics;
  topics.push_back(std::make_unique<CTopic>(clock.Now()));
  topics[0]->target = "http://x/";
  topics[0]->name = "X";
  ASSERT_TRUE(files.SaveBranch(path, topics));
  TopicArray back;
  files.LoadBranch(path, back);
  ASSERT_EQ(1u, back.size());
  EXPECT_EQ("X", back[0]->name);
  EXPECT_EQ(clock.Now(), back[0]->lastVisited);
  EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(DataFilesTest, SchemaOneBranchLoadsWithTheLoadTime) {
  std::string path = dir + "/topics.data";
  fs::copy_file(std::string(HOPWISE_TEST_DATA) + "/archive/topics_schema1.data", path);
  clock.Set(1500000000);
  DataFiles files(messages, clock);
  TopicArray topics;
  files.LoadBranch(path, topics);
  ASSERT_EQ(2u, topics.size());
  EXPECT_EQ(1500000000, topics[1]->firstVisited);
  EXPECT_EQ(1500000000, topics[1]->lastVisited);
}

TEST_F(DataFilesTest, ACacheLargerThanTheStoreKeepsItsNewestAndSaysSo) {
  std::vector<CPez> pages(100000);
  for (std::size_t i = 0; i < pages.size(); ++i) pages[i].url = "http://h/" + std::to_string(i);
  std::ostringstream out;
  WritePezArray(out, pages);
  WriteAll(cachePath, out.str());
  DataFiles files(messages, clock);
  ASSERT_EQ(LoadOutcome::Loaded, files.LoadCache(store, cachePath));
  EXPECT_EQ(5000u, store.Count());
  EXPECT_EQ("http://h/95000", store.PageMarks().front().url);
  EXPECT_EQ(
      (std::vector<std::string>{
          cachePath + " holds 100000 PageMarks, more than the 5000 Hopwise can keep; the 95000 least "
                      "recently visited were left out.\nThe file keeps them until Hopwise next saves it."}),
      messages.Shown());
  EXPECT_EQ(out.str(), ReadAll(cachePath));
}

// A cut file (a damaged disk, a copy cut short), a foreign file and a file of a newer version: each
// is moved aside, never deleted, and the user is told where it went.
TEST_F(DataFilesTest, DamagedFilesAreKeptAsideAndTheUserToldWhere) {
  const std::string full = ReadAll(std::string(HOPWISE_TEST_DATA) + "/archive/topics_schema1.data");
  const std::string cases[][2] = {
      {cachePath, ReadAll(std::string(HOPWISE_TEST_DATA) + "/archive/cache_truncated.data")},
      {cachePath, ReadAll(std::string(HOPWISE_TEST_DATA) + "/archive/cache_unknown_schema.data")},
      {dir + "/topics.data", full.substr(0, full.size() * 9 / 10)},
  };
  for (const auto& [path, bytes] : cases) {
    WriteAll(path, bytes);
    DataFiles files(messages, clock);
    TopicArray topics;
    const LoadOutcome outcome =
        path == cachePath ? files.LoadCache(store, path) : files.LoadBranch(path, topics);
    EXPECT_EQ(LoadOutcome::Damaged, outcome) << path;
    EXPECT_EQ(0u, store.Count());
    EXPECT_TRUE(topics.empty());
    EXPECT_FALSE(fs::exists(path));
    const std::string copy = path + ".damaged-20010909-014640";
    EXPECT_EQ(bytes, ReadAll(copy)) << "the damaged bytes are kept";
    ASSERT_EQ(1u, messages.Shown().size());
    EXPECT_NE(std::string::npos, messages.Shown()[0].find("\nThe damaged file was kept as " + copy + "."));
    fs::remove(copy);
    messages.Clear();
  }
  WriteAll(cachePath, cases[1][1]);
  DataFiles files(messages, clock);
  files.LoadCache(store, cachePath);
  ASSERT_EQ(1u, messages.Shown().size()) << "one message for the file, whatever it holds";
  EXPECT_EQ(0u, messages.Shown()[0].find(kUnknownPezSchema));
  WriteAll(cachePath, cases[1][1]);
  files.LoadCache(store, cachePath);
  EXPECT_TRUE(fs::exists(cachePath + ".damaged-20010909-014640-2")) << "an earlier copy is not overwritten";
}

// A file Hopwise cannot open is not damage: it is named with the system's reason, left alone, and
// not written for the rest of the run.
TEST_F(DataFilesTest, AFileThatCannotBeReadIsLeftAloneForTheRun) {
  WriteAll(cachePath, "whatever is there");
  WriteAll(dir + "/topics.data", "also kept");
  auto refuse = [](const std::string& path) {
    const bool ours =
        path.find("cache.data") != std::string::npos || path.find("topics.data") != std::string::npos;
    return ours ? FileBytes{EACCES, {}} : ReadWholeFile(path);
  };
  DataFiles files(messages, clock, OpenFileOutput, refuse);
  EXPECT_EQ(LoadOutcome::Unreadable, files.LoadCache(store, cachePath));
  TopicArray topics;
  EXPECT_EQ(LoadOutcome::Unreadable, files.LoadBranch(dir + "/topics.data", topics));
  ASSERT_EQ(2u, messages.Shown().size());
  EXPECT_EQ("Hopwise cannot read " + cachePath +
                ": Permission denied.\nThe file is left as it is and will not be written while Hopwise runs.",
            messages.Shown()[0]);
  Visit("http://a/", "A");
  EXPECT_FALSE(files.SaveCache(store, cachePath));
  EXPECT_FALSE(files.SaveBranch(dir + "/topics.data", topics));
  EXPECT_EQ("whatever is there", ReadAll(cachePath));
  EXPECT_EQ("also kept", ReadAll(dir + "/topics.data"));
  EXPECT_EQ(2u, messages.Shown().size());
}

// Memory running out while a sound file is read is no damage: the file stays where it is, is not
// written for the run, and the message says what happened. Only the format reader finds damage.
TEST_F(DataFilesTest, RunningOutOfMemoryLeavesASoundFileAlone) {
  const std::string branch = dir + "/Topics/1.data";
  TopicArray big;
  big.push_back(std::make_unique<CTopic>(1));
  big.back()->name = std::string(4 << 20, 'n');
  DataFiles good(messages, clock);
  ASSERT_TRUE(good.SaveBranch(branch, big));
  const std::string before = ReadAll(branch);

  // Out of memory while the file is read in, then while its records are made.
  bool limitAfterReading = false;
  std::optional<AllocationLimit> limit;
  auto read = [&](const std::string& path) {
    if (!limitAfterReading) limit.emplace(1 << 20);
    FileBytes bytes = ReadWholeFile(path);
    limit.emplace(1 << 20);
    return bytes;
  };
  DataFiles files(messages, clock, OpenFileOutput, read);
  for (bool after : {false, true}) {
    limitAfterReading = after;
    TopicArray topics;
    EXPECT_EQ(LoadOutcome::Unreadable, files.LoadBranch(branch, topics));
    limit.reset();
    EXPECT_EQ(before, ReadAll(branch));
    EXPECT_EQ(std::vector<std::string>({"1.data"}), Listing(dir + "/Topics"));
    EXPECT_EQ(std::vector<std::string>{"Hopwise cannot read " + branch +
                                       ": there was not enough memory.\nThe file is left as it is and "
                                       "will not be written while Hopwise runs."},
              messages.Shown());
    messages.Clear();
  }
  EXPECT_FALSE(files.SaveBranch(branch, {}));
}

// A full disk, a missing folder: the message says why, the previous file and the store stay, and
// no temporary file is left.
TEST_F(DataFilesTest, FailedSavesSayWhyAndKeepThePreviousFile) {
  Visit("http://old/", "Old");
  DataFiles good(messages, clock);
  ASSERT_TRUE(good.SaveCache(store, cachePath));
  const std::string before = ReadAll(cachePath);

  Visit("http://new/", "New");
  for (size_t limit : {size_t{0}, size_t{5}, before.size()}) {
    DataFiles failing(messages, clock, FailingAfter(limit));
    EXPECT_FALSE(failing.SaveCache(store, cachePath)) << limit;
    EXPECT_EQ(before, ReadAll(cachePath)) << limit;
    EXPECT_EQ((std::vector<std::string>{"Hopwise could not save " + cachePath +
                                        ": No space left on device.\nThe previous file is kept."}),
              messages.Shown());
    EXPECT_EQ(std::vector<std::string>({"Topics", "cache.data"}), Listing(dir))
        << "temporary file left behind";
    messages.Clear();
  }
  EXPECT_EQ(std::vector<std::string>({"http://old/", "http://new/"}), Urls());
  TopicArray topics;
  EXPECT_FALSE(good.SaveBranch(dir + "/missing/1.data", topics));
  EXPECT_EQ("Hopwise could not save " + dir +
                "/missing/1.data: No such file or directory.\nThe previous file is kept.",
            messages.Shown().at(0));
}

TEST_F(DataFilesTest, SavesWriteThroughLinksWithPrivateModesAndOnlyWhenChanged) {
  DataFiles files(messages, clock);
  const std::string elsewhere = dir + "/Topics/real-cache";
  fs::create_symlink("Topics/real-cache", cachePath);
  Visit("http://a/", "A");
  ASSERT_TRUE(files.SaveCache(store, cachePath));
  EXPECT_TRUE(fs::is_symlink(cachePath)) << "the link stays";
  const auto rw = fs::perms::owner_read | fs::perms::owner_write;
  EXPECT_EQ(rw, fs::status(elsewhere).permissions() & fs::perms::all);

  // Nothing changed since: the file is not written again (same inode, no rename).
  const auto inode = [&] {
    struct stat info {};
    ::stat(elsewhere.c_str(), &info);
    return info.st_ino;
  };
  const auto first = inode();
  ASSERT_TRUE(files.SaveCache(store, cachePath));
  EXPECT_EQ(first, inode());
  PageMarkStore loaded(prefs, clock);
  ASSERT_EQ(LoadOutcome::Loaded, files.LoadCache(loaded, cachePath));
  ASSERT_TRUE(files.SaveCache(loaded, cachePath));
  EXPECT_EQ(first, inode()) << "a store just loaded is what the file holds";

  // A looser mode is tightened, a stricter one kept.
  fs::permissions(elsewhere, rw | fs::perms::group_read | fs::perms::others_read);
  Visit("http://b/", "B");
  ASSERT_TRUE(files.SaveCache(store, cachePath));
  EXPECT_EQ(rw, fs::status(elsewhere).permissions() & fs::perms::all);
  fs::permissions(elsewhere, fs::perms::owner_read);
  Visit("http://c/", "C");
  ASSERT_TRUE(files.SaveCache(store, cachePath));
  EXPECT_EQ(fs::perms::owner_read, fs::status(elsewhere).permissions() & fs::perms::all);
}

TEST_F(DataFilesTest, TemporaryFilesOfEndedSavesAreRemoved) {
  const pid_t child = ::fork();
  if (child == 0) ::_exit(0);
  ::waitpid(child, nullptr, 0);
  const std::string dead = cachePath + ".tmp-" + std::to_string(child) + "-3";
  const std::string mine = cachePath + ".tmp-" + std::to_string(::getpid()) + "-0";
  const std::string running = dir + "/Topics/1.data.tmp-1-0";
  const std::string other = dir + "/notes.tmp-x-1";
  for (const std::string& path : {dead, mine, running, other}) WriteAll(path, "x");
  EXPECT_EQ(1, RemoveStaleTempFiles(dir));
  EXPECT_EQ(0, RemoveStaleTempFiles(dir + "/Topics"));
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(mine) && fs::exists(running) && fs::exists(other));
}

// Branches written together: each one that cannot be written keeps its old file and gets the
// message; the others are written; no temporary file is left.
TEST_F(DataFilesTest, BranchesWrittenTogetherFailOneByOne) {
  TopicArray small, large;
  small.push_back(std::make_unique<CTopic>(1));
  for (int i = 0; i < 50; ++i) large.push_back(std::make_unique<CTopic>(i));
  const std::string a = dir + "/Topics/1.data", b = dir + "/Topics/2.data", c = dir + "/topics.data";
  WriteAll(b, "old");
  DataFiles failing(messages, clock, FailingAfter(200));
  EXPECT_EQ((std::vector<bool>{true, false, true}),
            failing.SaveBranches({{a, &small}, {b, &large}, {c, &small}}));
  EXPECT_EQ("old", ReadAll(b));
  EXPECT_EQ(std::vector<std::string>{"Hopwise could not save " + b +
                                     ": No space left on device.\nThe previous file is kept."},
            messages.Shown());
  EXPECT_EQ((std::vector<std::string>{"1.data", "2.data"}), Listing(dir + "/Topics"));
  TopicArray read;
  DataFiles(messages, clock).LoadBranch(c, read);
  EXPECT_EQ(1u, read.size());
}

// The one thing a visit waits for is the store's lock, which a save holds while it copies the
// store. A visit that comes while a save copies waits for the copy, and is not in that file, but
// in the store and in the next save. Closing waits for the running save and refuses new ones.
TEST_F(DataFilesTest, VisitsWaitOnlyWhileASaveCopiesTheStoreAndClosingWaitsForTheSave) {
  struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool copying = false;
    bool release = false;
  } gate;
  DataFiles files(messages, clock);
  Visit("http://a/", "A");
  whileCopying = [&gate] {
    std::unique_lock lock(gate.mutex);
    gate.copying = true;
    gate.changed.notify_all();
    gate.changed.wait(lock, [&] { return gate.release; });
  };
  BackgroundSave saves(files, {});
  ASSERT_TRUE(saves.Start(store, cachePath));
  {
    std::unique_lock lock(gate.mutex);
    ASSERT_TRUE(gate.changed.wait_for(lock, 5s, [&] { return gate.copying; }));
  }
  // Another trigger while this save runs starts nothing and keeps the store dirty.
  store.TakeDirty();
  EXPECT_FALSE(saves.Start(store, cachePath));
  EXPECT_TRUE(store.TakeDirty());

  std::atomic<bool> recorded{false};
  std::atomic<pid_t> visitorId{0};
  std::thread visitor([&] {
    visitorId = gettid();
    store.RecordVisit("http://b/", "B");
    recorded = true;
  });
  // The visitor either records at once (the lock does not hold it) or goes to sleep on the lock.
  for (int i = 0; i < 5000 && !recorded && !(visitorId && IsSleeping(visitorId)); ++i)
    std::this_thread::sleep_for(1ms);
  EXPECT_FALSE(recorded) << "the visit waits while the store is copied";
  {
    std::lock_guard lock(gate.mutex);
    gate.release = true;
  }
  gate.changed.notify_all();
  visitor.join();
  saves.Close();
  whileCopying = nullptr;

  PageMarkStore loaded(prefs, clock);
  files.LoadCache(loaded, cachePath);
  EXPECT_EQ(1u, loaded.Count())
      << "Close returned once the save had written the copy it took before the visit";
  EXPECT_FALSE(saves.Start(store, cachePath)) << "no save starts once closing has begun";
  BackgroundSave next(files, {});
  ASSERT_TRUE(next.Start(store, cachePath));
  next.Close();
  files.LoadCache(loaded, cachePath);
  EXPECT_EQ(2u, loaded.Count());
  EXPECT_TRUE(messages.Shown().empty());
}

// A periodic save that takes the dirty mark and copies the store while a visit is on its way in
// (here: from the visit's own probe, before its change enters the store) leaves that visit to the
// next periodic save, which must not find the store clean.
TEST_F(DataFilesTest, AVisitThatMissesASaveIsInTheNextOne) {
  DataFiles files(messages, clock);
  // The trigger's test takes the mark; a save starts only when it was set.
  auto periodicSave = [&] {
    if (!store.TakeDirty()) return;
    BackgroundSave save(files, {});
    save.Start(store, cachePath);
  };
  Visit("http://a/", "A");
  beforeVisit = periodicSave;
  Visit("http://b/", "B");
  beforeVisit = nullptr;

  PageMarkStore loaded(prefs, clock);
  files.LoadCache(loaded, cachePath);
  EXPECT_EQ(1u, loaded.Count()) << "the save in between copied the store before the visit";
  periodicSave();
  files.LoadCache(loaded, cachePath);
  EXPECT_EQ(2u, loaded.Count()) << "the next save holds the visit";
}

// The worker shows nothing: the message of a failed save goes to its owner's report, on the
// worker's thread, and the store and the previous file are left as they were.
TEST_F(DataFilesTest, AFailedBackgroundSaveIsHandedToTheOwnerNotShown) {
  Visit("http://a/", "A");
  Visit("http://b/", "B");
  WriteAll(cachePath, std::string(2, '\0'));
  DataFiles files(messages, clock, FailingAfter(10));
  std::vector<std::string> reported;
  std::thread::id reportedOn;
  BackgroundSave saves(files, [&](const std::string& message) {
    reported.push_back(message);
    reportedOn = std::this_thread::get_id();
  });
  ASSERT_TRUE(saves.Start(store, cachePath));
  saves.Close();
  EXPECT_TRUE(messages.Shown().empty()) << "nothing is shown from the worker";
  ASSERT_EQ(1u, reported.size());
  EXPECT_EQ(0u, reported[0].find("Hopwise could not save " + cachePath + ": No space left on device."));
  EXPECT_NE(std::this_thread::get_id(), reportedOn);
  EXPECT_EQ(std::vector<std::string>({"http://a/", "http://b/"}), Urls());
  EXPECT_EQ(std::string(2, '\0'), ReadAll(cachePath));
}

TEST(SaveTriggerTest, FirstSaveAtTick302ThenEvery301) {
  SaveTrigger trigger;
  std::atomic<bool> dirty{true};
  std::vector<int> saves;
  for (int tick = 1; tick <= 1000; ++tick) {
    if (trigger.TickStart([&] { return dirty.exchange(false); })) saves.push_back(tick);
    dirty = true;  // a visit every second
    trigger.TickEnd();
  }
  EXPECT_EQ(std::vector<int>({302, 603, 904}), saves);
}

TEST(SaveTriggerTest, CleanStoreSavesNothingButTheCountRestarts) {
  SaveTrigger trigger;
  std::atomic<bool> dirty{false};
  std::vector<int> saves;
  for (int tick = 1; tick <= 700; ++tick) {
    if (tick == 400) dirty = true;  // dirtied after the first test passed clean
    if (trigger.TickStart([&] { return dirty.exchange(false); })) saves.push_back(tick);
    if (tick == 302) {
      EXPECT_EQ(0u, trigger.Ticks());
    }
    trigger.TickEnd();
  }
  EXPECT_EQ(std::vector<int>{603}, saves);
  EXPECT_FALSE(dirty);
}

TEST_F(DataFilesTest, BranchNamesInTheWindowForm) {
  std::string topics = dir + "/Topics/";
  EXPECT_EQ(topics + "1700000000.data", NewBranchFileName(topics, 1700000000));
  // Same second, nothing written yet: a different name all the same.
  EXPECT_EQ(topics + "1700000001.data", NewBranchFileName(topics, 1700000000));
  WriteAll(topics + "1700000005.data", "");
  WriteAll(topics + "1700000006.data", "");
  EXPECT_EQ(topics + "1700000007.data", NewBranchFileName(topics, 1700000005));
  // A folder path without its trailing separator still gets names inside it.
  EXPECT_EQ(topics + "1700000100.data", NewBranchFileName(dir + "/Topics", 1700000100));
}

TEST_F(DataFilesTest, BranchNamesInTheImportForm) {
  std::string topics = dir + "/Topics/";
  FixedRandom random({1234, 99, 1234, 99, 0, 0});
  // (1234 % 100 + 1) * (99 % 100 + 1) = 35 * 100
  EXPECT_EQ(topics + "17000000003500.data", NewBranchFileName(topics, 1700000000, random));
  EXPECT_EQ(topics + "17000000003501.data", NewBranchFileName(topics, 1700000000, random));
  WriteAll(topics + "17000000001.data", "");
  EXPECT_EQ(topics + "17000000002.data", NewBranchFileName(topics, 1700000000, random));
  // Thousands of folders of one import in one second, all from the same numbers: the search for a
  // free name does not walk through every name handed out before.
  FixedRandom same(std::deque<uint32_t>(40000, 7));
  std::set<std::string> names;
  for (int i = 0; i < 20000; ++i) names.insert(NewBranchFileName(topics, 1700000001, same));
  EXPECT_EQ(20000u, names.size());
  EXPECT_EQ(1u, names.count(topics + "170000000164.data"));
  EXPECT_EQ(1u, names.count(topics + "170000000120063.data"));
}

}  // namespace
