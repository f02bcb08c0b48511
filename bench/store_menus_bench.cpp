// The cost of a visit, of start-up and of shutdown with the popup menus following the store, at
// a small and at a full store (5000 PageMarks), on the offscreen platform.
//
//   build/bin/store_menus_bench
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QMenu>
#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/qt/menu_renderer.h"
#include "shell/popup_menus.h"
#include "store/data_files.h"
#include "store/page_mark_store.h"
#include "store/prefs.h"
#include "store/topics_model.h"

namespace fs = std::filesystem;

namespace {

class SystemClockForBench : public Clock {
 public:
  Time32 Now() const override { return now++; }
  mutable Time32 now = 1700000000;
};

class Quiet : public MessageBoxes {
 public:
  void Ok(const std::string&) override {}
  bool YesNo(const std::string&) override { return false; }
};

class Screen : public ScreenMetrics {
 public:
  int ScreenHeight() const override { return 1080; }
  int MenuItemHeight() const override { return 24; }
};

class NoOpener : public UrlOpener {
 public:
  void OpenInBrowser(const std::string&) override {}
};

std::string Url(int64_t i) {
  return "https://site" + std::to_string(i % 300) + ".example.org/page/" + std::to_string(i);
}

// A data folder, a store of a given size and the menus over it; optionally a menu shown once.
struct World {
  explicit World(int64_t pages, bool menuShown) {
    char pattern[] = "/tmp/hopwise-bench-XXXXXX";
    dir = ::mkdtemp(pattern);
    fs::create_directory(dir + "/Topics");
    paths = FormDataPaths(dir);
    prefs.maxPageMarks = static_cast<int32_t>(std::max<int64_t>(pages, 100));
    std::vector<std::unique_ptr<CPez>> loaded;
    for (int64_t i = 0; i < pages; ++i) {
      auto p = std::make_unique<CPez>();
      p->url = Url(i);
      p->title = "Page " + std::to_string(i) + " of a site with a title of a usual length";
      loaded.push_back(std::move(p));
    }
    store.Load(std::move(loaded));
    menus.BuildMenus();
    renderer.SetModel(menus.MainMenu());
    if (menuShown) {
      renderer.Popup(QPoint(10, 10));
      renderer.Close();
      QCoreApplication::processEvents();
      QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
  }
  ~World() { fs::remove_all(dir); }

  std::string dir;
  SystemClockForBench clock;
  Quiet messages;
  CPrefs prefs;
  DataPaths paths;
  PageMarkStore store{prefs, clock};
  DataFiles files{messages, clock};
  TopicsModel topics{files, clock, paths};
  Screen screen;
  NoOpener opener;
  PopupMenus menus{prefs, store, topics, screen, opener};
  MenuRenderer renderer;
};

// One new page: at 5000 the oldest is dropped and its number used again.
void BM_VisitNewPage(benchmark::State& state) {
  World world(state.range(0), state.range(1) != 0);
  int64_t next = 1000000;
  for (auto _ : state) world.store.RecordVisit(Url(next++), "A new page");
  state.counters["PageMarks"] = static_cast<double>(world.store.Count());
}
BENCHMARK(BM_VisitNewPage)->ArgsProduct({{100, 5000}, {0, 1}})->Unit(benchmark::kMicrosecond);

// Reading a cache.data of 5000 records and building both menus from it.
void BM_LoadCacheAndBuildMenus(benchmark::State& state) {
  World source(state.range(0), false);
  source.files.SaveCache(source.store, source.paths.cachePath);
  for (auto _ : state) {
    SystemClockForBench clock;
    PageMarkStore store(source.prefs, clock);
    TopicsModel topics(source.files, clock, source.paths);
    PopupMenus menus(source.prefs, store, topics, source.screen, source.opener);
    source.files.LoadCache(store, source.paths.cachePath);
    menus.BuildMenus();
    benchmark::DoNotOptimize(menus.MainMenu()->Count());
  }
}
BENCHMARK(BM_LoadCacheAndBuildMenus)->Arg(5000)->Unit(benchmark::kMillisecond);

// What shutdown does with the store and the menus: the menus stop following, the store is freed.
void BM_Shutdown(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto world = std::make_unique<World>(state.range(0), true);
    state.ResumeTiming();
    world->menus.DestroySiteMenus();
    world->store.ClearStore();
    state.PauseTiming();
    world.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_Shutdown)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
