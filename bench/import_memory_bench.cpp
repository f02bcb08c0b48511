// The peak memory of importing 100 MB of links (400 folders of 1,000 links of about 260 bytes) into
// an empty data folder, read as hopwise-bookmarks reads it. Prints the file's size and the peak
// resident set before and after the import. Run build/bin/import_memory_bench [MEGABYTES].

#include <stdlib.h>
#include <sys/resource.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "exchange/bookmark_file.h"
#include "exchange/topics_import.h"

namespace fs = std::filesystem;

namespace {

class NoMessages : public MessageBoxes {
 public:
  void Ok(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
  bool YesNo(const std::string&) override { return false; }
};

long PeakKilobytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Writes links until the file holds `bytes`, 1,000 to a folder; returns how many.
long WriteBookmarks(const std::string& path, uint64_t bytes) {
  std::ofstream out(path, std::ios::binary);
  out << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<DL><p>\n";
  const std::string padding(60, 'x');
  long links = 0;
  for (int folder = 0; static_cast<uint64_t>(out.tellp()) < bytes; ++folder) {
    out << "    <DT><H3 ADD_DATE=\"1700000000\">Folder " << folder << "</H3>\n    <DL><p>\n";
    for (int i = 0; i < 1000; ++i, ++links)
      out << "        <DT><A HREF=\"https://site" << links % 997 << ".example.com/some/longer/path/to/page/"
          << links << "?q=a&amp;b=c&amp;d=" << padding << "\" ADD_DATE=\"1700000000\">Page number " << links
          << " of the bookmarks &amp; more text</A>\n";
    out << "    </DL><p>\n";
  }
  out << "</DL><p>\n";
  return links;
}

}  // namespace

int main(int argc, char** argv) {
  const uint64_t megabytes = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100;
  std::string folder = (fs::temp_directory_path() / "hopwise-memory-XXXXXX").string();
  if (!::mkdtemp(folder.data())) return 1;
  const std::string file = folder + "/bookmarks.html";
  const long links = WriteBookmarks(file, megabytes << 20);
  const long before = PeakKilobytes();
  {
    fs::create_directory(folder + "/data");
    fs::create_directory(folder + "/data/Topics");
    NoMessages messages;
    SystemClock clock;
    CPrefs prefs;
    DataPaths paths;
    paths = FormDataPaths(folder + "/data");
    DataFiles files(messages, clock);
    TopicsModel model(files, clock, paths);
    BookmarkFile in;
    std::string why;
    if (!in.Open(file, why)) {
      std::fprintf(stderr, "%s\n", why.c_str());
      return 1;
    }
    TopicsImportResult result;
    BookmarkCollector bookmarks(TopicsModel::kMaxFolderDepth);
    ReadForImport(in.Stream(), bookmarks, {}, result);
    SeededRandom random(1);
    AddToTopics(model, bookmarks, random, result);
    std::printf("%s\n", DescribeImport(result).c_str());
  }
  const long after = PeakKilobytes();
  const double size = static_cast<double>(fs::file_size(file)) / (1 << 20);
  std::printf(
      "file %.1f MiB, %ld links; peak RSS %.1f MiB before the import, %.1f MiB with it (%.2f x the file)\n",
      size, links, before / 1024.0, after / 1024.0, after / 1024.0 / size);
  fs::remove_all(folder);
  return 0;
}
