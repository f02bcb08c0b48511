// Opening the PageMarks and Sites windows over a store of 5,000 PageMarks (500 Sites of ten pages),
// one keystroke in the PageMarks window's filter field, and opening the Topics window over 10,000
// links in 100 folders (with the tree already read, as in the running program, and with the read of
// its 101 files counted too), on the offscreen platform. Each opening counts until the window has
// been shown and painted; closing it is not counted.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "platform/curl_http_client.h"
#include "store/data_files.h"
#include "store/page_mark_store.h"
#include "store/topics_model.h"
#include "windows/page_marks_dlg.h"
#include "windows/sites_dlg.h"
#include "windows/topics_dlg.h"

namespace {

constexpr int kPageMarks = 5000;
constexpr int kSites = 500;

class FixedClock : public Clock {
 public:
  Time32 Now() const override { return 1700000000; }
};

class NoBrowser : public UrlOpener {
 public:
  void OpenInBrowser(const std::string&) override {}
};

// A store of 5,000 PageMarks with titles and URLs of the usual lengths, and what the windows need
// besides; no data file is written.
struct Bench {
  Bench() {
    std::vector<std::unique_ptr<CPez>> pages;
    for (int i = 0; i < kPageMarks; ++i) {
      auto page = std::make_unique<CPez>();
      page->url = "http://www.site" + std::to_string(i % kSites) + ".example.com/articles/2024/" +
                  std::to_string(i) + "/a-page-with-a-long-name.html";
      page->title =
          "Article number " + std::to_string(i) + " - an example page of site " + std::to_string(i % kSites);
      page->lastVisited = page->firstVisited = 1700000000 - kPageMarks + i;
      pages.push_back(std::move(page));
    }
    store.Load(std::move(pages));
  }

  FixedClock clock;
  NoMessages messages;
  NoBrowser opener;
  CPrefs prefs;
  DataPaths paths;
  PageMarkStore store{prefs, clock};
  DataFiles files{messages, clock};
  TopicsModel topics{files, clock, paths};
  CurlHttpClient http;
  WatchedPages watched{clock};
  WindowServices services{prefs, store, topics, opener, messages, http, watched};
  PageMarkSortFlags flags;
};

Bench& Shared() {
  static Bench bench;
  return bench;
}

constexpr int kTopicFolders = 100;
constexpr int kLinksPerFolder = 100;

// The Topics of a data folder of its own: 100 top-level folders of 100 links each.
struct TopicsBench {
  TopicsBench() {
    std::string pattern = (std::filesystem::temp_directory_path() / "hopwise-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) std::abort();
    dir = pattern;
    std::filesystem::create_directory(dir + "/Topics");
    paths = FormDataPaths(dir);
    TopicsModel::Batch batch(topics);
    for (int f = 0; f < kTopicFolders; ++f) {
      const CTopic* folder = topics.NewFolder(topics.Root(), 0, "Folder " + std::to_string(f));
      for (int i = 0; i < kLinksPerFolder; ++i)
        topics.NewLink(*folder, 0, "Article number " + std::to_string(i) + " - an example page",
                       "http://www.site" + std::to_string(f) + ".example.com/articles/" + std::to_string(i));
    }
  }
  ~TopicsBench() { std::filesystem::remove_all(dir); }

  std::string dir;
  FixedClock clock;
  NoMessages messages;
  NoBrowser opener;
  CPrefs prefs;
  DataPaths paths;
  PageMarkStore store{prefs, clock};
  DataFiles files{messages, clock};
  TopicsModel topics{files, clock, paths};
  CurlHttpClient http;
  WatchedPages watched{clock};
  WindowServices services{prefs, store, topics, opener, messages, http, watched};
};

TopicsBench& SharedTopics() {
  static TopicsBench bench;
  return bench;
}

template <typename Window, typename... Args>
void OpenWindow(benchmark::State& state, const WindowServices& services, Args&... args) {
  for (auto _ : state) {
    auto window = std::make_unique<Window>(services, args...);
    window->show();
    QApplication::processEvents();
    benchmark::DoNotOptimize(window.get());
    state.PauseTiming();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}

void BM_OpenPageMarksWindow(benchmark::State& state) {
  OpenWindow<CPageMarksDlg>(state, Shared().services, Shared().flags);
}
void BM_OpenSitesWindow(benchmark::State& state) {
  OpenWindow<CSitesDlg>(state, Shared().services);
}
void BM_OpenTopicsWindow(benchmark::State& state) {
  OpenWindow<CTopicsDlg>(state, SharedTopics().services);
}
void BM_ReadAndOpenTopicsWindow(benchmark::State& state) {
  for (auto _ : state) {
    SharedTopics().topics.Reload();
    auto window = std::make_unique<CTopicsDlg>(SharedTopics().services);
    window->show();
    QApplication::processEvents();
    state.PauseTiming();
    window.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}

// One keystroke each: a letter that narrows the rows, then the Backspace that brings them back.
void BM_FilterKeystroke(benchmark::State& state) {
  CPageMarksDlg window(Shared().services, Shared().flags);
  window.show();
  QApplication::processEvents();
  bool narrowing = true;
  for (auto _ : state) {
    QTest::keyClick(window.Filter(), narrowing ? Qt::Key_7 : Qt::Key_Backspace);
    QApplication::processEvents();
    narrowing = !narrowing;
  }
}

}  // namespace

BENCHMARK(BM_OpenPageMarksWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenSitesWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterKeystroke)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenTopicsWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadAndOpenTopicsWindow)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ::benchmark::Initialize(&argc, argv);
  ::benchmark::RunSpecifiedBenchmarks();
  ::benchmark::Shutdown();
  return 0;
}
