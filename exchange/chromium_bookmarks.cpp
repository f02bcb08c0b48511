#include "exchange/chromium_bookmarks.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "store/topics_model.h"

namespace {

using Json = nlohmann::json;

constexpr std::uintmax_t kMaxFileSize = 256u << 20;
// Deeper than this the walk goes no further: no real file comes near it, and the Topics keep only
// TopicsModel::kMaxFolderDepth levels anyway.
constexpr std::size_t kMaxWalkDepth = 1000;

struct Root {
  const char* key;
  const char* topicName;
};
constexpr Root kRoots[] = {
    {"bookmark_bar", "Chromium bookmarks bar"},
    {"other", "Chromium other bookmarks"},
    {"synced", "Chromium mobile bookmarks"},
};

std::string TextOf(const Json& node, const char* key) {
  auto it = node.find(key);
  return it != node.end() && it->is_string() ? it->get<std::string>() : std::string();
}

Time32 DateOf(const Json& node, const char* key) {
  const std::string text = TextOf(node, key);
  int64_t value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? FromChromiumTime(value) : 0;
}

BookmarkDates DatesOf(const Json& node) {
  return {.added = DateOf(node, "date_added"),
          .visited = DateOf(node, "date_last_used"),
          .modified = DateOf(node, "date_modified")};
}

void Walk(const Json& folder, BookmarkCollector& out, BrowserData& data, std::size_t depth) {
  auto children = folder.find("children");
  if (children == folder.end() || !children->is_array() || depth > kMaxWalkDepth) return;
  for (const Json& node : *children) {
    if (!node.is_object()) continue;
    const std::string type = TextOf(node, "type");
    if (type == "folder") {
      out.BeginFolder(TextOf(node, "name"), DatesOf(node));
      Walk(node, out, data, depth + 1);
      out.EndFolder();
    } else if (type == "url") {
      std::string url = TextOf(node, "url");
      if (!IsImportableAddress(url)) {
        ++data.leftOut;
        continue;
      }
      out.AddLink(TextOf(node, "name"), std::move(url), DatesOf(node));
    }
  }
}

}  // namespace

bool ReadChromiumBookmarksText(const std::string& text, BrowserData& data, std::string& why) {
  const Json file = Json::parse(text, nullptr, false);
  if (file.is_discarded()) {
    why = "the Bookmarks file is not JSON";
    return false;
  }
  auto roots = file.is_object() ? file.find("roots") : file.end();
  if (!file.is_object() || roots == file.end() || !roots->is_object()) {
    why = "the Bookmarks file holds no bookmark roots";
    return false;
  }
  BookmarkCollector collector(TopicsModel::kMaxFolderDepth);
  for (const Root& root : kRoots) {
    auto node = roots->find(root.key);
    if (node == roots->end() || !node->is_object()) continue;
    const std::size_t before = collector.Folders() + collector.Links();
    collector.BeginFolder(root.topicName, DatesOf(*node));
    Walk(*node, collector, data, 1);
    collector.EndFolder();
    if (collector.Folders() + collector.Links() == before + 1) collector.TopLevel().pop_back();
  }
  data.bookmarks += collector.Links();
  data.foldersFlattened += collector.FlattenedFolders();
  for (BookmarkNode& root : collector.TopLevel()) data.roots.push_back(std::move(root));
  return true;
}

bool ReadChromiumBookmarks(const std::string& path, BrowserData& data, std::string& why) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    why = path + (std::filesystem::exists(path, ec) ? ": is not a regular file" : ": no such file");
    return false;
  }
  if (std::filesystem::file_size(path, ec) > kMaxFileSize) {
    why = path + ": is larger than 256 MiB, larger than any bookmarks file";
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  if (!in.is_open() || (!(text << in.rdbuf()) && in.peek() != EOF)) {
    why = path + ": cannot be read";
    return false;
  }
  if (!ReadChromiumBookmarksText(text.str(), data, why)) {
    why = path + ": " + why;
    return false;
  }
  return true;
}
