#include "exchange/firefox_bookmarks.h"

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "store/topics_model.h"

namespace {

constexpr int64_t kBookmarkType = 1;
constexpr int64_t kFolderType = 2;
constexpr std::size_t kMaxWalkDepth = 1000;

struct Root {
  const char* guid;
  const char* topicName;
};
constexpr Root kRoots[] = {
    {"menu________", "Firefox bookmarks menu"},
    {"toolbar_____", "Firefox bookmarks toolbar"},
    {"unfiled_____", "Firefox other bookmarks"},
    {"mobile______", "Firefox mobile bookmarks"},
};

struct Row {
  int64_t id = 0;
  int64_t type = 0;
  std::string title;
  std::string url;
  BookmarkDates dates;
};

// Every row of moz_bookmarks, by the folder that holds it, in the folder's order.
struct Tree {
  std::vector<Row> rows;
  std::unordered_map<int64_t, std::vector<std::size_t>> children;
  std::unordered_map<std::string, std::size_t> roots;  // guid -> row of the roots read
};

constexpr char kQuery[] =
    "SELECT b.id, b.type, b.parent, b.title, b.dateAdded, b.lastModified, b.guid, p.url, p.last_visit_date "
    "FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position";

bool ReadTree(const ProfileDatabase& db, Tree& tree, std::string& why) {
  for (std::string missing : {db.Missing("moz_bookmarks", {"id", "type", "fk", "parent", "position", "title",
                                                           "dateAdded", "lastModified", "guid"}),
                              db.Missing("moz_places", {"id", "url", "last_visit_date"})}) {
    if (missing.empty()) continue;
    why = "the bookmarks have a layout this Hopwise does not know: " + missing;
    return false;
  }
  ProfileQuery query(db, kQuery);
  while (query.Next()) {
    Row row{query.Integer(0),
            query.Integer(1),
            query.Text(3),
            query.Text(7),
            {.added = FromUnixMicroseconds(query.Integer(4)),
             .visited = FromUnixMicroseconds(query.Integer(8)),
             .modified = FromUnixMicroseconds(query.Integer(5))}};
    const std::string guid = query.Text(6);
    for (const Root& root : kRoots)
      if (guid == root.guid) tree.roots.emplace(guid, tree.rows.size());
    tree.children[query.Integer(2)].push_back(tree.rows.size());
    tree.rows.push_back(std::move(row));
  }
  if (!query.Failed()) return true;
  why = "the bookmarks could not be read: " + db.LastError();
  return false;
}

// Each folder is walked once, so a damaged tree that loops ends.
void Walk(const Tree& tree, int64_t folder, BookmarkCollector& out, BrowserData& data,
          std::unordered_set<int64_t>& seen, std::size_t depth) {
  auto children = tree.children.find(folder);
  if (children == tree.children.end() || depth > kMaxWalkDepth || !seen.insert(folder).second) return;
  for (std::size_t index : children->second) {
    const Row& row = tree.rows[index];
    if (row.type == kFolderType) {
      out.BeginFolder(row.title, row.dates);
      Walk(tree, row.id, out, data, seen, depth + 1);
      out.EndFolder();
    } else if (row.type == kBookmarkType) {
      if (!IsImportableAddress(row.url)) {
        ++data.leftOut;
        continue;
      }
      out.AddLink(row.title.empty() ? row.url : row.title, row.url, row.dates);
    }
  }
}

}  // namespace

bool ReadFirefoxBookmarks(const ProfileDatabase& db, BrowserData& data, std::string& why) {
  Tree tree;
  if (!ReadTree(db, tree, why)) return false;
  BookmarkCollector collector(TopicsModel::kMaxFolderDepth);
  std::unordered_set<int64_t> seen;
  for (const Root& root : kRoots) {
    auto at = tree.roots.find(root.guid);
    if (at == tree.roots.end()) continue;
    const Row& row = tree.rows[at->second];
    const std::size_t before = collector.Folders() + collector.Links();
    collector.BeginFolder(root.topicName, row.dates);
    Walk(tree, row.id, collector, data, seen, 1);
    collector.EndFolder();
    if (collector.Folders() + collector.Links() == before + 1) collector.TopLevel().pop_back();
  }
  data.bookmarks += collector.Links();
  data.foldersFlattened += collector.FlattenedFolders();
  for (BookmarkNode& root : collector.TopLevel()) data.roots.push_back(std::move(root));
  return true;
}
