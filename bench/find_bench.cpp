// "Find a Page" at 5,000 PageMarks and 20,000 Topic links (in 100 folders): the time of one
// keystroke, typed letter by letter into queries of one to four words, as p50 and p99 per word
// count; and the time to make the index. Run build/bin/find_bench.

#include <stdlib.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "shell/page_finder.h"
#include "store/data_files.h"
#include "store/data_paths.h"

namespace fs = std::filesystem;
using Clocked = std::chrono::steady_clock;

namespace {

constexpr Time32 kNow = 1'700'000'000;
constexpr int kPageMarks = 5000;
constexpr int kFolders = 100;
constexpr int kLinksPerFolder = 200;

class NoMessages : public MessageBoxes {
 public:
  void Ok(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  bool YesNo(const std::string&) override { return false; }
};

class FixedClock : public Clock {
 public:
  Time32 Now() const override { return kNow; }
};

const std::vector<std::string> kWords = {
    "linux",  "kernel",   "release",  "notes", "café",    "zürich",    "recipe", "pasta",   "weather",
    "report", "python",   "tutorial", "guide", "review",  "camera",    "garden", "travel",  "berlin",
    "news",   "football", "music",    "album", "history", "science",   "space",  "station", "budget",
    "bank",   "account",  "login",    "docs",  "api",     "reference", "crème",  "brûlée",  "forum",
    "thread", "issue",    "release",  "video", "game",    "map",       "train",  "ticket",  "hotel"};
const std::vector<std::string> kHosts = {"example.com",     "news.example.org",   "docs.example.net",
                                         "wiki.example.de", "shop.example.co.uk", "blog.example.io"};

std::string Title(std::mt19937& random) {
  std::string title;
  const int words = 3 + static_cast<int>(random() % 5);
  for (int i = 0; i < words; ++i) title += (i ? " " : "") + kWords[random() % kWords.size()];
  return title;
}

std::string Url(std::mt19937& random, int n) {
  return "https://" + kHosts[random() % kHosts.size()] + "/" + kWords[random() % kWords.size()] + "/" +
         std::to_string(n) + "?ref=" + kWords[random() % kWords.size()];
}

void FillStore(PageMarkStore& store, std::mt19937& random) {
  std::vector<std::unique_ptr<CPez>> pages;
  for (int i = 0; i < kPageMarks; ++i) {
    auto p = std::make_unique<CPez>();
    p->url = Url(random, i);
    p->title = Title(random);
    p->firstVisited = kNow - static_cast<Time32>(random() % (400 * 86400));
    p->lastVisited = p->firstVisited + static_cast<Time32>(random() % (kNow - p->firstVisited + 1));
    pages.push_back(std::move(p));
  }
  std::sort(pages.begin(), pages.end(), [](auto& a, auto& b) { return a->lastVisited < b->lastVisited; });
  store.Load(std::move(pages));
}

void WriteTopics(DataFiles& files, const DataPaths& paths, std::mt19937& random) {
  TopicArray top;
  for (int f = 0; f < kFolders; ++f) {
    auto folder = std::make_unique<CTopic>(kNow);
    folder->isFolder = 1;
    folder->name = "Folder " + kWords[f % kWords.size()] + " " + std::to_string(f);
    folder->target = paths.branchPath + "f" + std::to_string(f) + ".data";
    TopicArray links;
    for (int i = 0; i < kLinksPerFolder; ++i) {
      auto link = std::make_unique<CTopic>(kNow - static_cast<Time32>(random() % (800 * 86400)));
      link->name = Title(random);
      link->target = Url(random, kPageMarks + f * kLinksPerFolder + i);
      links.push_back(std::move(link));
    }
    files.SaveBranch(folder->target, links);
    top.push_back(std::move(folder));
  }
  files.SaveBranch(paths.topicsPath, top);
}

double Ms(Clocked::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

// The processor time of this thread: on a machine that other programs keep busy, the work a
// keystroke takes, without the waits for a processor.
double CpuMs() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Times {
  std::vector<double> wall, cpu;
};

double Percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<std::size_t>(p * static_cast<double>(v.size())))];
}

// Types each query a letter at a time; one time per keystroke.
Times Keystrokes(PageFinder& finder, int words, std::mt19937& random, std::size_t& shown) {
  Times times;
  for (int q = 0; q < 200; ++q) {
    std::string query;
    for (int w = 0; w < words; ++w) query += (w ? " " : "") + kWords[random() % kWords.size()];
    for (std::size_t n = 1; n <= query.size(); ++n) {
      const auto start = Clocked::now();
      const double cpuStart = CpuMs();
      shown += finder.Find(query.substr(0, n), kNow).size();
      times.cpu.push_back(CpuMs() - cpuStart);
      times.wall.push_back(Ms(Clocked::now() - start));
    }
  }
  return times;
}

}  // namespace

int main() {
  std::string pattern = (fs::temp_directory_path() / "hopwise-find-bench-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) return 1;
  fs::create_directory(pattern + "/Topics");
  NoMessages messages;
  FixedClock clock;
  CPrefs prefs;
  prefs.maxPageMarks = kPageMarks;
  const DataPaths paths = FormDataPaths(pattern);
  DataFiles files(messages, clock);
  PageMarkStore store(prefs, clock);
  TopicsModel topics(files, clock, paths);
  std::mt19937 random(24);
  FillStore(store, random);
  WriteTopics(files, paths, random);
  topics.Root();

  PageFinder finder(store, topics, prefs);
  const auto start = Clocked::now();
  const std::size_t entries = finder.EntryCount();
  std::printf("index of %zu pages made in %.1f ms\n", entries, Ms(Clocked::now() - start));
  std::size_t shown = 0;
  for (int words = 1; words <= 4; ++words) {
    const Times t = Keystrokes(finder, words, random, shown);
    std::printf(
        "%d word%s: %zu keystrokes, p50 %.3f ms, p99 %.3f ms, max %.3f ms (processor time: p50 %.3f ms, "
        "p99 %.3f ms)\n",
        words, words > 1 ? "s" : " ", t.wall.size(), Percentile(t.wall, 0.50), Percentile(t.wall, 0.99),
        Percentile(t.wall, 1.0), Percentile(t.cpu, 0.50), Percentile(t.cpu, 0.99));
  }
  std::printf("(%zu rows shown in all)\n", shown);
  fs::remove_all(pattern);
  return 0;
}
