// Import and export of generated bookmark files of 10,000 and 100,000 links in nested folders,
// on temporary data folders, with every Topics file written as Hopwise writes it (synced to disk).
// Each folder holds 100 links and up to ten subfolders (three levels for 100,000 links); one link
// in ten carries a 1 KB favicon.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "bench/bench_support.h"
#include "exchange/topics_export.h"
#include "exchange/topics_import.h"

namespace fs = std::filesystem;

namespace {

constexpr int kLinksPerFolder = 100;
constexpr int kSubfolders = 10;

// Writes folder number k: links (k-1)*100 up to k*100 (below total), then its subfolders, numbered
// 10k+1 to 10k+10, those that hold links.
void WriteFolder(std::ostream& out, int k, int total, const std::string& indent) {
  static const std::string icon(1024, 'A');
  out << indent << "<DT><H3 ADD_DATE=\"1700000000\">Folder " << k << "</H3>\n" << indent << "<DL><p>\n";
  for (int n = (k - 1) * kLinksPerFolder; n < std::min(total, k * kLinksPerFolder); ++n) {
    out << indent << "    <DT><A HREF=\"https://site" << n % 997 << ".example.com/page/" << n
        << "?q=a&amp;b=c\" ADD_DATE=\"1700000000\""
        << (n % 10 == 0 ? " ICON=\"data:image/png;base64," + icon + "\"" : "") << ">Page number " << n
        << " &amp; more</A>\n";
  }
  for (int child = k * kSubfolders + 1; child <= (k + 1) * kSubfolders; ++child)
    if ((child - 1) * kLinksPerFolder < total) WriteFolder(out, child, total, indent + "    ");
  out << indent << "</DL><p>\n";
}

// The generated bookmark files, one per size, removed when the program ends.
struct BookmarkFiles {
  ~BookmarkFiles() { fs::remove_all(folder); }
  std::string folder = TempFolder();
  std::map<int, std::string> paths;
};

// A bookmark file of `links` links, made once per size.
const std::string& BookmarkFile(int links) {
  static BookmarkFiles files;
  auto found = files.paths.find(links);
  if (found != files.paths.end()) return found->second;
  std::ostringstream text;
  text << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<DL><p>\n";
  for (int top = 1; top <= kSubfolders && (top - 1) * kLinksPerFolder < links; ++top)
    WriteFolder(text, top, links, "    ");
  text << "</DL><p>\n";
  const std::string path = files.folder + "/bookmarks-" + std::to_string(links) + ".html";
  std::ofstream(path, std::ios::binary) << text.str();
  return files.paths.emplace(links, path).first->second;
}

// A data folder with its Topics model, removed at the end.
struct DataFolder {
  DataFolder() : dir(TempFolder()) {
    fs::create_directory(dir + "/Topics");
    paths = FormDataPaths(dir);
  }
  ~DataFolder() { fs::remove_all(dir); }
  std::string dir;
  NoMessages messages;
  SystemClock clock;
  CPrefs prefs;
  DataPaths paths;
  DataFiles files{messages, clock};
  TopicsModel model{files, clock, paths};
};

TopicsImportResult ImportFile(DataFolder& data, const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  SeededRandom random(static_cast<uint32_t>(data.clock.Now()));
  return ImportBookmarks(in, data.model, random);
}

void Read(benchmark::State& state) {
  const std::string& path = BookmarkFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::ifstream in(path, std::ios::binary);
    BookmarkCollector bookmarks(TopicsModel::kMaxFolderDepth);
    benchmark::DoNotOptimize(ReadBookmarks(in, bookmarks).links);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(path)));
}

void Import(benchmark::State& state) {
  const std::string& path = BookmarkFile(static_cast<int>(state.range(0)));
  std::size_t folders = 0;
  // Each import goes to a new data folder; they are all removed at the end, since files just
  // removed make the next files slower to create on some file systems.
  std::vector<std::unique_ptr<DataFolder>> done;
  for (auto _ : state) {
    state.PauseTiming();
    auto& data = done.emplace_back(std::make_unique<DataFolder>());
    data->model.Root();
    state.ResumeTiming();
    folders = ImportFile(*data, path).foldersAdded;
  }
  state.counters["folders"] = static_cast<double>(folders);
  state.counters["links"] = static_cast<double>(state.range(0));
}

void Export(benchmark::State& state) {
  DataFolder data;
  ImportFile(data, BookmarkFile(static_cast<int>(state.range(0))));
  data.model.Reload();
  const std::string out = data.dir + "/export.html";
  for (auto _ : state) {
    if (!ExportTopicsToFile(out, data.model.Root(), data.clock)) state.SkipWithError("export failed");
  }
  state.counters["links"] = static_cast<double>(state.range(0));
}

// The whole tree read from its files, as the export tool does before it writes.
void Load(benchmark::State& state) {
  DataFolder data;
  ImportFile(data, BookmarkFile(static_cast<int>(state.range(0))));
  for (auto _ : state) data.model.Reload();
}

BENCHMARK(Read)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Import)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(Load)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Export)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
