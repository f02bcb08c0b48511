// hopwise-bookmarks: brings a Netscape-format bookmark file (what browsers export) into the
// Topics, or writes the Topics out as one, working on Hopwise's data folder with the same code as
// the Topics window.
//
//   hopwise-bookmarks [--data DIR] [--force] import FILE
//   hopwise-bookmarks [--data DIR] export FILE
//   hopwise-bookmarks [--data DIR] import-browser chromium|firefox [--profile DIR] [--history] [--bookmarks]
//
// Exit status: 0 done, 1 failed (an import that fails adds nothing), 2 usage error. Only a regular
// file of at most 256 MiB is imported (see BookmarkFile).

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/bookmark_file.h"
#include "exchange/browser_import.h"
#include "exchange/topics_export.h"
#include "exchange/topics_import.h"
#include "platform/dde_names.h"
#include "platform/instance_lock.h"

namespace fs = std::filesystem;

namespace {

constexpr char kUsage[] =
    "usage: hopwise-bookmarks [--data DIR] [--force] import FILE\n"
    "       hopwise-bookmarks [--data DIR] export FILE\n"
    "       hopwise-bookmarks [--data DIR] import-browser chromium|firefox [--profile DIR] [--history] "
    "[--bookmarks]\n"
    "Imports a Netscape-format bookmark file, as browsers export them, into the Hopwise Topics (its\n"
    "folders and links come after the Topics already there), or exports the Topics to such a file.\n"
    "import-browser brings in the history (as PageMarks) and the bookmarks (as Topics) of a Chromium\n"
    "or Firefox profile, reading copies of its files; a second run adds only what is new.\n"
    "  --data DIR     the Hopwise data folder (default: $XDG_DATA_HOME/hopwise, else "
    "~/.local/share/hopwise)\n"
    "  --force        import a file even when its first line does not name the bookmark format\n"
    "  --profile DIR  the browser's profile folder (default: the first one the browser has, Chromium's\n"
    "                 Default, Firefox's profile of profiles.ini it starts with)\n"
    "  --history      only the history; --bookmarks only the bookmarks (default: both)\n";
constexpr char kRunning[] =
    "Hopwise is running and owns the Topics files; use the File menu of its Topics window, or quit Hopwise "
    "first.";

struct Command {
  std::string verb;
  std::string file;  // import-browser: the browser
  std::string dataDir;
  bool force = false;
  std::string profile;
  bool history = false;
  bool bookmarks = false;
};

void Fail(const std::string& text) {
  std::cerr << "hopwise-bookmarks: " << text << "\n";
}

// Hopwise's messages (a damaged or unwritable Topics file) as lines on stderr.
class StderrMessages : public MessageBoxes {
 public:
  void Ok(const std::string& text) override {
    std::string line = text;
    for (char& c : line)
      if (c == '\n') c = ' ';
    Fail(line);
    ++shown;
  }
  bool YesNo(const std::string& text) override {
    Ok(text);
    return false;
  }
  int shown = 0;
};

// The folder the Hopwise launcher starts Hopwise in.
std::string DefaultDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg) return std::string(xdg) + "/hopwise";
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.local/share/hopwise";
}

fs::path Canonical(const std::string& folder) {
  std::error_code ec;
  fs::path path = fs::weakly_canonical(folder, ec).lexically_normal();
  return path.has_filename() ? path : path.parent_path();
}

bool SameFolder(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec) || Canonical(a) == Canonical(b);
}

// Whether the options given fit the verb.
bool OptionsFit(const Command& command) {
  if (command.verb == "import-browser") return !command.force && ParseBrowserKind(command.file).has_value();
  if (command.verb != "import" && command.verb != "export") return false;
  if (command.force && command.verb != "import") return false;
  return command.profile.empty() && !command.history && !command.bookmarks;
}

std::optional<Command> ParseArguments(const std::vector<std::string_view>& args) {
  Command command;
  command.dataDir = DefaultDataFolder();
  std::vector<std::string_view> words;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--force")
      command.force = true;
    else if (args[i] == "--history")
      command.history = true;
    else if (args[i] == "--bookmarks")
      command.bookmarks = true;
    else if (args[i] == "--data" && i + 1 < args.size())
      command.dataDir = args[++i];
    else if (args[i].starts_with("--data="))
      command.dataDir = args[i].substr(7);
    else if (args[i] == "--profile" && i + 1 < args.size())
      command.profile = args[++i];
    else if (args[i].starts_with("--profile="))
      command.profile = args[i].substr(10);
    else if (args[i].starts_with("-") && args[i] != "-")
      return std::nullopt;
    else
      words.push_back(args[i]);
  }
  if (words.size() != 2 || command.dataDir.empty()) return std::nullopt;
  command.verb = words[0];
  command.file = words[1];
  if (!OptionsFit(command)) return std::nullopt;
  return command;
}

// Makes folder (mode 0700, its missing parents as mkdir -p does) when it is missing; false when it
// cannot be had.
bool MakeFolder(const std::string& folder) {
  std::error_code ec;
  fs::path path = fs::path(folder).lexically_normal();
  if (!path.has_filename()) path = path.parent_path();
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    Fail(folder + ": cannot make the folder: " + std::strerror(errno));
    return false;
  }
  if (fs::is_directory(folder, ec)) return true;
  Fail(folder + ": is not a folder");
  return false;
}

// Everything a command works with: the data folder's paths and the Topics model over them.
struct Topics {
  explicit Topics(const std::string& dataDir) : paths(FormDataPaths(dataDir)) {}
  StderrMessages messages;
  SystemClock clock;
  DataPaths paths;
  CPrefs prefs;  // only "Max PageMarks" counts here
  DataFiles files{messages, clock};
  TopicsModel model{files, clock, paths};
};

// The whole file is read before the data folder is touched: a file refused changes nothing.
int Import(const Command& command) {
  BookmarkFile in;
  std::string why;
  if (!in.Open(command.file, why)) {
    Fail(command.file + ": cannot open: " + why);
    return 1;
  }
  TopicsImportResult result;
  BookmarkCollector bookmarks(TopicsModel::kMaxFolderDepth);
  ReadOptions options;
  options.loadAnyway = command.force;
  ReadForImport(in.Stream(), bookmarks, options, result);
  if (result.read.status == ReadStatus::NotBookmarkFile) {
    Fail(command.file +
         ": does not appear to be a Netscape-style bookmark file; nothing was imported (--force "
         "imports it anyway)");
    return 1;
  }
  if (result.read.status != ReadStatus::Ok || result.tooMany) {
    Fail(command.file + ": " + DescribeImport(result));
    return 1;
  }
  if (!MakeFolder(command.dataDir) || !MakeFolder(command.dataDir + "/Topics")) return 1;
  Topics topics(command.dataDir);
  topics.model.Root();
  SeededRandom random(static_cast<uint32_t>(topics.clock.Now()));
  AddToTopics(topics.model, bookmarks, random, result);
  if (!result.written || result.tooMany) {
    Fail(DescribeImport(result));
    return 1;
  }
  std::cout << DescribeImport(result) << "\n";
  return 0;
}

// "Max PageMarks" as the preferences file holds it (a QSettings INI file, where a blank in a key
// is written %20); nothing when there is none.
std::optional<int32_t> StoredMaxPageMarks() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  const std::string base = config && *config ? config : std::string(home ? home : "") + "/.config";
  std::ifstream in(base + "/Ostrand Software/Hopwise/1.2.conf");
  for (std::string line; std::getline(in, line);) {
    for (std::string_view key : {"Max%20PageMarks=", "Max PageMarks="})
      if (line.starts_with(key)) return std::atoi(line.c_str() + key.size());
  }
  return std::nullopt;
}

// The profile named with --profile, else the first the browser has.
std::optional<BrowserProfile> ChooseProfile(const Command& command, BrowserKind browser) {
  if (!command.profile.empty()) return ProfileAt(browser, command.profile);
  std::vector<BrowserProfile> found = FindProfiles(browser, ProfilePlaces::FromEnvironment());
  if (!found.empty()) return found.front();
  Fail("no " + BrowserName(browser) + " profile was found; name its folder with --profile DIR");
  return std::nullopt;
}

// The whole profile is read before the data folder is touched: a profile refused changes nothing.
int ImportBrowser(const Command& command) {
  const BrowserKind browser = *ParseBrowserKind(command.file);
  const std::optional<BrowserProfile> profile = ChooseProfile(command, browser);
  if (!profile) return 1;
  Topics topics(command.dataDir);
  if (std::optional<int32_t> max = StoredMaxPageMarks()) topics.prefs.maxPageMarks = *max;
  PageMarkStore store(topics.prefs, topics.clock);
  BrowserImportOptions options;
  options.history = command.history || !command.bookmarks;
  options.bookmarks = command.bookmarks || !command.history;
  options.historyLimit = store.PageMarkLimit();
  BrowserData data;
  std::string why;
  if (!ReadBrowserProfile(*profile, options, data, why)) {
    Fail(why + "; nothing was brought in from " + DescribeProfile(*profile) + ".");
    return 1;
  }
  if (!MakeFolder(command.dataDir) || !MakeFolder(command.dataDir + "/Topics")) return 1;
  const LoadOutcome cache = topics.files.LoadCache(store, topics.paths.cachePath);
  topics.model.Root();
  if (cache == LoadOutcome::Unreadable || cache == LoadOutcome::Damaged || topics.files.UnreadFiles() > 0) {
    Fail("the data folder could not be read whole; nothing was brought in.");
    return 1;
  }
  SeededRandom random(static_cast<uint32_t>(topics.clock.Now()));
  BrowserImportResult result = ApplyBrowserImport(data, store, topics.model, random, [&] {
    return topics.files.SaveCache(store, topics.paths.cachePath);
  });
  result.source = DescribeProfile(*profile);
  if (!result.problem.empty()) {
    Fail(DescribeBrowserImport(result));
    return 1;
  }
  std::cout << DescribeBrowserImport(result) << "\n";
  return 0;
}

void CountNodes(const CTopic& folder, std::size_t& folders, std::size_t& links) {
  if (!folder.children) return;
  for (const auto& node : *folder.children) {
    node->isFolder ? ++folders : ++links;
    if (node->isFolder) CountNodes(*node, folders, links);
  }
}

int Export(const Command& command) {
  std::error_code ec;
  if (!fs::is_directory(command.dataDir, ec)) {
    Fail(command.dataDir + ": no such data folder");
    return 1;
  }
  Topics topics(command.dataDir);
  CTopic none(0);
  none.children = std::make_unique<TopicArray>();
  // Without topics.data there are no Topics; the model would write an empty one.
  const CTopic& root = fs::exists(topics.paths.topicsPath, ec) ? topics.model.Root() : none;
  if (topics.files.UnreadFiles() > 0) {
    Fail("the Topics could not all be read; nothing was exported and " + command.file + " is as it was");
    return 1;
  }
  std::string why;
  if (!ExportTopicsToFile(command.file, root, topics.clock, &why)) {
    Fail(command.file + ": cannot write: " + why);
    return 1;
  }
  std::size_t folders = 0, links = 0;
  CountNodes(root, folders, links);
  std::cout << "Exported " << links << (links == 1 ? " link and " : " links and ") << folders
            << (folders == 1 ? " folder.\n" : " folders.\n");
  return 0;
}

int Run(const Command& command) {
  // A running Hopwise owns the Topics of the default data folder. Holding its lock for the run
  // keeps one from starting meanwhile.
  std::unique_ptr<InstanceLock> lock;
  if (SameFolder(command.dataDir, DefaultDataFolder())) {
    const std::string runtime = dde::names::DefaultRuntimeDir();
    lock = InstanceLock::Acquire(runtime);
    if (!lock && InstanceLock::IsHeld(runtime)) {
      Fail(kRunning);
      return 1;
    }
  }
  if (command.verb == "import-browser") return ImportBrowser(command);
  return command.verb == "import" ? Import(command) : Export(command);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string_view> args(argv + 1, argv + argc);
  for (std::string_view arg : args) {
    if (arg == "--help" || arg == "-h") {
      std::cout << kUsage;
      return 0;
    }
  }
  const std::optional<Command> command = ParseArguments(args);
  if (!command) {
    std::cerr << kUsage;
    return 2;
  }
  return Run(*command);
}
