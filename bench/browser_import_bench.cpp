// Bringing in a browser's profile of 100,000 history rows and 10,000 bookmarks (100 folders of 100
// links), for Chromium (History + Bookmarks) and Firefox (places.sqlite): the copy of the files,
// the reads, the merge into an empty store kept at 5,000 PageMarks and the Topics written as
// Hopwise writes them (synced to disk). The profiles are made once, before the timings.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>

#include "bench/bench_support.h"
#include "exchange/browser_import.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPages = 100'000;
constexpr int kFolders = 100;
constexpr int kLinksPerFolder = 100;
constexpr int64_t kStart = 1'700'000'000;

void Run(sqlite3* db, const std::string& sql) {
  if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
    throw std::runtime_error(sqlite3_errmsg(db));
}

// Runs sql once per row, binding what bind gives it, in one transaction.
template <typename Bind>
void Fill(sqlite3* db, const char* sql, int rows, Bind bind) {
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, sql, -1, &statement, nullptr);
  Run(db, "BEGIN");
  for (int i = 0; i < rows; ++i) {
    bind(statement, i);
    sqlite3_step(statement);
    sqlite3_reset(statement);
  }
  Run(db, "COMMIT");
  sqlite3_finalize(statement);
}

std::string Url(int i) {
  return "https://site" + std::to_string(i % 997) + ".example.com/page/" + std::to_string(i);
}

void BindText(sqlite3_stmt* statement, int column, const std::string& text) {
  sqlite3_bind_text(statement, column, text.c_str(), -1, SQLITE_TRANSIENT);
}

void MakeChromium(const std::string& folder) {
  sqlite3* db = nullptr;
  sqlite3_open((folder + "/History").c_str(), &db);
  Run(db,
      "CREATE TABLE urls(id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, visit_count INTEGER,"
      " typed_count INTEGER, last_visit_time INTEGER NOT NULL, hidden INTEGER DEFAULT 0 NOT NULL);"
      "CREATE INDEX urls_url_index ON urls (url);"
      "CREATE TABLE visits(id INTEGER PRIMARY KEY, url INTEGER NOT NULL, visit_time INTEGER NOT NULL);"
      "CREATE INDEX visits_url_index ON visits (url);");
  const int64_t offset = 11'644'473'600;
  Fill(db, "INSERT INTO urls(id, url, title, last_visit_time) VALUES (?, ?, ?, ?)", kPages,
       [&](auto s, int i) {
         sqlite3_bind_int(s, 1, i + 1);
         BindText(s, 2, Url(i));
         BindText(s, 3, "Page number " + std::to_string(i));
         sqlite3_bind_int64(s, 4, (kStart + offset + i * 60) * 1'000'000);
       });
  Fill(db, "INSERT INTO visits(url, visit_time) VALUES (?, ?)", kPages, [&](auto s, int i) {
    sqlite3_bind_int(s, 1, i + 1);
    sqlite3_bind_int64(s, 2, (kStart + offset + i * 60 - 30) * 1'000'000);
  });
  sqlite3_close(db);
  std::ofstream out(folder + "/Bookmarks");
  out << "{\"roots\": {\"bookmark_bar\": {\"type\": \"folder\", \"name\": \"Bookmarks bar\", \"children\": [";
  for (int f = 0; f < kFolders; ++f) {
    out << (f ? "," : "") << "{\"type\": \"folder\", \"name\": \"Folder " << f << "\", \"children\": [";
    for (int l = 0; l < kLinksPerFolder; ++l)
      out << (l ? "," : "") << "{\"type\": \"url\", \"name\": \"Link " << l << "\", \"url\": \""
          << Url(f * kLinksPerFolder + l) << "\", \"date_added\": \"13340000000000000\"}";
    out << "]}";
  }
  out << "]}}, \"version\": 1}";
}

void MakeFirefox(const std::string& folder) {
  sqlite3* db = nullptr;
  sqlite3_open((folder + "/places.sqlite").c_str(), &db);
  Run(db,
      "PRAGMA journal_mode = WAL;"
      "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR,"
      " hidden INTEGER DEFAULT 0 NOT NULL, last_visit_date INTEGER);"
      "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, place_id INTEGER, visit_date INTEGER);"
      "CREATE INDEX moz_historyvisits_placedateindex ON moz_historyvisits (place_id, visit_date);"
      "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL,"
      " parent INTEGER, position INTEGER, title LONGVARCHAR, dateAdded INTEGER, lastModified INTEGER, guid "
      "TEXT);"
      "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', 0, 0, 'root________'),"
      " (2, 2, NULL, 1, 0, 'menu', 0, 0, 'menu________');");
  Fill(db, "INSERT INTO moz_places(id, url, title, last_visit_date) VALUES (?, ?, ?, ?)", kPages,
       [&](auto s, int i) {
         sqlite3_bind_int(s, 1, i + 1);
         BindText(s, 2, Url(i));
         BindText(s, 3, "Page number " + std::to_string(i));
         sqlite3_bind_int64(s, 4, (kStart + i * 60) * 1'000'000);
       });
  Fill(db, "INSERT INTO moz_historyvisits(place_id, visit_date) VALUES (?, ?)", kPages, [&](auto s, int i) {
    sqlite3_bind_int(s, 1, i + 1);
    sqlite3_bind_int64(s, 2, (kStart + i * 60 - 30) * 1'000'000);
  });
  // Folders 100..199 under the menu, each with its links.
  Fill(db,
       "INSERT INTO moz_bookmarks(id, type, fk, parent, position, title, dateAdded) VALUES (?, ?, ?, ?, ?, "
       "?, ?)",
       kFolders * (kLinksPerFolder + 1), [&](auto s, int i) {
         const int f = i / (kLinksPerFolder + 1), l = i % (kLinksPerFolder + 1);
         const bool folderRow = l == 0;
         sqlite3_bind_int(s, 1, 100 + i);
         sqlite3_bind_int(s, 2, folderRow ? 2 : 1);
         sqlite3_bind_int(s, 3, f * kLinksPerFolder + l);
         sqlite3_bind_int(s, 4, folderRow ? 2 : 100 + f * (kLinksPerFolder + 1));
         sqlite3_bind_int(s, 5, folderRow ? f : l);
         BindText(s, 6, folderRow ? "Folder " + std::to_string(f) : "Link " + std::to_string(l));
         sqlite3_bind_int64(s, 7, kStart * 1'000'000);
       });
  sqlite3_close(db);
}

struct Profiles {
  Profiles() {
    fs::create_directory(root + "/chromium");
    fs::create_directory(root + "/firefox");
    MakeChromium(root + "/chromium");
    MakeFirefox(root + "/firefox");
  }
  ~Profiles() { fs::remove_all(root); }
  std::string root = TempFolder();
};

const Profiles& TheProfiles() {
  static const Profiles profiles;
  return profiles;
}

void BringIn(benchmark::State& state, BrowserKind browser) {
  const BrowserProfile profile = ProfileAt(
      browser, TheProfiles().root + "/" + (browser == BrowserKind::Chromium ? "chromium" : "firefox"));
  BrowserImportResult result;
  for (auto _ : state) {
    state.PauseTiming();
    const std::string data = TempFolder();
    fs::create_directory(data + "/Topics");
    NoMessages messages;
    SystemClock clock;
    CPrefs prefs;
    const DataPaths paths = FormDataPaths(data);
    prefs.maxPageMarks = 5000;
    DataFiles files(messages, clock);
    TopicsModel model(files, clock, paths);
    PageMarkStore store(prefs, clock);
    SeededRandom random(1);
    state.ResumeTiming();

    BrowserImportOptions options;
    options.historyLimit = store.PageMarkLimit();
    BrowserData read;
    std::string why;
    if (!ReadBrowserProfile(profile, options, read, why)) state.SkipWithError(why.c_str());
    result = ApplyBrowserImport(read, store, model, random,
                                [&] { return files.SaveCache(store, paths.cachePath); });

    state.PauseTiming();
    fs::remove_all(data);
    state.ResumeTiming();
  }
  result.source = DescribeProfile(profile);
  state.SetLabel(DescribeBrowserImport(result));
}

void BM_ChromiumProfile(benchmark::State& state) {
  BringIn(state, BrowserKind::Chromium);
}
void BM_FirefoxProfile(benchmark::State& state) {
  BringIn(state, BrowserKind::Firefox);
}
BENCHMARK(BM_ChromiumProfile)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_FirefoxProfile)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
