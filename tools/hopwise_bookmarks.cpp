// hopwise-bookmarks: brings a Netscape-format bookmark file (what browsers export) into the
// Topics, or writes the Topics out as one, working on Hopwise's data folder with the same code as
// the Topics window.
//
//   hopwise-bookmarks [--data DIR] [--force] import FILE
//   hopwise-bookmarks [--data DIR] export FILE
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
#include "exchange/topics_export.h"
#include "exchange/topics_import.h"
#include "platform/dde_names.h"
#include "platform/instance_lock.h"

namespace fs = std::filesystem;

namespace {

constexpr char kUsage[] =
    "usage: hopwise-bookmarks [--data DIR] [--force] import FILE\n"
    "       hopwise-bookmarks [--data DIR] export FILE\n"
    "Imports a Netscape-format bookmark file, as browsers export them, into the Hopwise Topics (its\n"
    "folders and links come after the Topics already there), or exports the Topics to such a file.\n"
    "  --data DIR  the Hopwise data folder (default: $XDG_DATA_HOME/hopwise, else ~/.local/share/hopwise)\n"
    "  --force     import a file even when its first line does not name the bookmark format\n";
constexpr char kRunning[] =
    "Hopwise is running and owns the Topics files; use Import in its Topics window, or quit Hopwise first.";

struct Command {
  std::string verb;
  std::string file;
  std::string dataDir;
  bool force = false;
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

std::optional<Command> ParseArguments(const std::vector<std::string_view>& args) {
  Command command;
  command.dataDir = DefaultDataFolder();
  std::vector<std::string_view> words;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--force")
      command.force = true;
    else if (args[i] == "--data" && i + 1 < args.size())
      command.dataDir = args[++i];
    else if (args[i].starts_with("--data="))
      command.dataDir = args[i].substr(7);
    else if (args[i].starts_with("-") && args[i] != "-")
      return std::nullopt;
    else
      words.push_back(args[i]);
  }
  if (words.size() != 2 || command.dataDir.empty()) return std::nullopt;
  command.verb = words[0];
  command.file = words[1];
  if (command.verb != "import" && command.verb != "export") return std::nullopt;
  if (command.force && command.verb != "import") return std::nullopt;
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
