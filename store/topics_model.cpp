#include "store/topics_model.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <utility>

#include "store/branch_names.h"

namespace fs = std::filesystem;

namespace {

// Deeper folders show empty: a bound on the recursion whatever the files hold.
constexpr std::size_t kMaxTopicDepth = TopicsModel::kMaxFolderDepth + 1;

fs::path Normalized(const std::string& path) {
  std::error_code ec;
  fs::path absolute = fs::absolute(fs::path(path), ec);
  return (ec ? fs::path(path) : absolute).lexically_normal();
}

std::size_t Depth(const CTopic* node) {
  std::size_t depth = 0;
  for (; node->parent && node->parent != node; node = node->parent) ++depth;
  return depth;
}

bool IsInside(const CTopic* node, const CTopic* folder) {
  for (; node; node = node->parent == node ? nullptr : node->parent)
    if (node == folder) return true;
  return false;
}

}  // namespace

TopicsModel::TopicsModel(DataFiles& files, const Clock& clock, const DataPaths& paths)
    : files_(files), clock_(clock), paths_(paths) {}

TopicsModel::~TopicsModel() = default;

template <typename Call>
void TopicsModel::Notify(Call call) {
  if (batchDepth_ == 0) listeners_.Notify(call);
}

void TopicsModel::BeginQuiet() {
  EnsureLoaded();
  Notify([](TopicsListener& l) { l.OnTopicsAboutToReset(); });
  ++batchDepth_;
}

const CTopic& TopicsModel::Root() {
  EnsureLoaded();
  return *root_;
}

void TopicsModel::Reload() {
  Notify([](TopicsListener& l) { l.OnTopicsAboutToReset(); });
  root_.reset();
  live_.clear();
  ids_.clear();
  nodesById_.clear();
  EnsureLoaded();
  Notify([](TopicsListener& l) { l.OnTopicsReset(); });
}

// A missing topics.data is written once as an empty array, so the Topics folder is complete.
void TopicsModel::EnsureLoaded() {
  if (root_) return;
  root_ = std::make_unique<CTopic>(clock_.Now());
  root_->isFolder = 1;
  root_->target = paths_.topicsPath;
  root_->parent = root_.get();
  root_->children = std::make_unique<TopicArray>();
  live_.insert(root_.get());
  sharing_.clear();
  refused_.clear();
  if (paths_.topicsPath.empty()) return;
  std::error_code ec;
  const bool existed = fs::exists(paths_.topicsPath, ec);
  Loading loading;
  LoadChildren(*root_, 0, loading);
  if (!existed) files_.SaveBranch(paths_.topicsPath, *root_->children);
}

// A branch file is read only when it lies directly in the Topics folder and ends in ".data": a
// damaged topics file could otherwise name any file, and a damaged branch is replaced.
bool TopicsModel::MayReadBranch(const std::string& target, std::size_t depth) const {
  if (paths_.branchPath.empty() || target.empty()) return false;
  if (depth >= kMaxTopicDepth) return false;
  fs::path folder = Normalized(paths_.branchPath);
  if (!folder.has_filename()) folder = folder.parent_path();
  const fs::path file = Normalized(target);
  return file.parent_path() == folder && file.extension() == ".data" && file.stem() != "";
}

void TopicsModel::Refuse(const CTopic& folder, const std::string& why) {
  if (!refused_.insert(folder.target).second) return;
  files_.Tell("The Topics folder \"" + folder.name + "\" names " + folder.target + ", " + why +
              ".\nThe folder is shown empty and the file is left as it is.");
}

// Whether folder's file is read; a folder whose file is another's gets one of its own here.
bool TopicsModel::MayLoad(CTopic& folder, std::size_t depth, Loading& loading) {
  if (!MayReadBranch(folder.target, depth)) return false;
  const BranchFile file = LocateBranchFile(paths_.branchPath, folder.target);
  if (file.place == BranchPlace::Outside) {
    Refuse(folder, "a link that leads out of the Topics folder");
    return false;
  }
  if (file.place == BranchPlace::NotAFile) {
    Refuse(folder, "which is not a regular file");
    return false;
  }
  if (loading.full) return false;
  if (!loading.files.insert(file.key).second) {
    Refuse(folder, "a file another folder holds; the folder gets a file of its own");
    sharing_[&folder] = file.key;
    folder.target = NewBranchFileName(paths_.branchPath, clock_.Now());
    folder.children = std::make_unique<TopicArray>();
    return false;
  }
  return true;
}

void TopicsModel::LoadChildren(CTopic& folder, std::size_t depth, Loading& loading) {
  const bool isRoot = &folder == root_.get();
  if (!isRoot && !MayLoad(folder, depth, loading)) return;
  auto children = std::make_unique<TopicArray>();
  // A folder whose file cannot be read stays closed, so nothing is ever written over that file.
  if (files_.LoadBranch(folder.target, *children) == LoadOutcome::Unreadable && !isRoot) return;
  std::erase(*children, nullptr);
  if (loading.nodes + children->size() > kMaxTopicNodes) {
    loading.full = true;
    files_.Tell("The Topics hold more than " + std::to_string(kMaxTopicNodes) + " entries; the folder \"" +
                folder.name +
                "\" and those read after it are shown empty and their files are left as they are.");
    if (!isRoot) return;  // the top level is kept whole, so topics.data is never cut short
  }
  loading.nodes += children->size();
  folder.children = std::move(children);
  for (std::unique_ptr<CTopic>& child : *folder.children) {
    child->parent = &folder;
    child->children.reset();
    live_.insert(child.get());
    if (child->isFolder != 0) LoadChildren(*child, depth + 1, loading);
  }
}

CTopic* TopicsModel::Mutable(const CTopic& node) const {
  return live_.contains(&node) ? const_cast<CTopic*>(&node) : nullptr;
}

CTopic* TopicsModel::OpenFolder(const CTopic& node) const {
  CTopic* folder = Mutable(node);
  return folder && IsOpenFolder(*folder) ? folder : nullptr;
}

std::size_t TopicsModel::IndexOf(const CTopic& node) {
  if (!node.parent || node.parent == &node || !node.parent->children) return 0;
  const TopicArray& siblings = *node.parent->children;
  auto at = std::find_if(siblings.begin(), siblings.end(), [&](const auto& c) { return c.get() == &node; });
  return static_cast<std::size_t>(at - siblings.begin());
}

TopicId TopicsModel::IdOf(const CTopic& node) {
  if (!live_.contains(&node)) return 0;
  auto [at, added] = ids_.try_emplace(&node, lastId_ + 1);
  if (added) nodesById_[++lastId_] = &node;
  return at->second;
}

const CTopic* TopicsModel::NodeOf(TopicId id) const {
  auto found = nodesById_.find(id);
  return found == nodesById_.end() ? nullptr : found->second;
}

CTopic& TopicsModel::InsertNew(CTopic& parent, std::size_t index, std::unique_ptr<CTopic> node) {
  index = std::min(index, parent.children->size());
  Notify([&](TopicsListener& l) { l.OnTopicAboutToInsert(parent, index); });
  return Insert(parent, index, std::move(node));
}

CTopic& TopicsModel::Insert(CTopic& parent, std::size_t index, std::unique_ptr<CTopic> node) {
  TopicArray& children = *parent.children;
  index = std::min(index, children.size());
  node->parent = &parent;
  CTopic& inserted =
      **children.insert(children.begin() + static_cast<std::ptrdiff_t>(index), std::move(node));
  live_.insert(&inserted);
  if (adding_ && !addedFolders_.contains(&parent)) added_.push_back(&inserted);
  return inserted;
}

bool TopicsModel::MayWriteBranch(const CTopic& folder) {
  if (&folder == root_.get()) return true;
  const BranchPlace place = LocateBranchFile(paths_.branchPath, folder.target).place;
  if (place == BranchPlace::Inside || place == BranchPlace::Absent) return true;
  Refuse(folder, place == BranchPlace::Outside ? "a link that leads out of the Topics folder"
                                               : "which is not a regular file");
  return false;
}

void TopicsModel::Saved(const CTopic& folder) {
  std::erase_if(sharing_, [&](const auto& entry) { return entry.first->parent == &folder; });
}

bool TopicsModel::SaveFolder(const CTopic& node) {
  const CTopic* folder = OpenFolder(node);
  if (!folder || !MayWriteBranch(*folder)) return false;
  if (!files_.SaveBranch(folder->target, *folder->children)) return false;
  Saved(*folder);
  return true;
}

void TopicsModel::Changed(const CTopic& folder) {
  if (batchDepth_ > 0) {
    if (batchChangedSet_.insert(&folder).second) batchChanged_.push_back(&folder);
    return;
  }
  SaveFolder(folder);
}

// Deepest first, so that after a crash part way no folder names a branch file not yet written.
bool TopicsModel::SaveBatch(std::vector<const CTopic*> folders) {
  const std::size_t wanted = folders.size();
  std::erase_if(folders,
                [this](const CTopic* folder) { return !OpenFolder(*folder) || !MayWriteBranch(*folder); });
  std::stable_sort(folders.begin(), folders.end(),
                   [](const CTopic* a, const CTopic* b) { return Depth(a) > Depth(b); });
  std::vector<std::pair<std::string, const TopicArray*>> branches;
  for (const CTopic* folder : folders) branches.emplace_back(folder->target, folder->children.get());
  const std::vector<bool> written = files_.SaveBranches(branches);
  bool all = folders.size() == wanted;
  for (std::size_t i = 0; i < folders.size(); ++i) {
    if (written[i]) Saved(*folders[i]);
    all = all && written[i];
  }
  return all;
}

const CTopic* TopicsModel::NewFolder(const CTopic& parentNode, std::size_t index, const std::string& name) {
  EnsureLoaded();
  CTopic* parent = OpenFolder(parentNode);
  if (!parent) return nullptr;
  return AddFolder(*parent, index, name, NewBranchFileName(paths_.branchPath, clock_.Now()));
}

const CTopic* TopicsModel::NewFolder(const CTopic& parentNode, std::size_t index, std::string name,
                                     RandomSource& random) {
  EnsureLoaded();
  CTopic* parent = OpenFolder(parentNode);
  if (!parent) return nullptr;
  return AddFolder(*parent, index, std::move(name),
                   NewBranchFileName(paths_.branchPath, clock_.Now(), random));
}

const CTopic* TopicsModel::AddFolder(CTopic& parent, std::size_t index, std::string name,
                                     std::string target) {
  auto folder = std::make_unique<CTopic>(clock_.Now());
  folder->isFolder = 1;
  folder->name = std::move(name);
  folder->target = std::move(target);
  folder->children = std::make_unique<TopicArray>();
  CTopic& inserted = InsertNew(parent, index, std::move(folder));
  if (adding_) addedFolders_.insert(&inserted);
  Changed(inserted);
  Changed(parent);
  Notify([&](TopicsListener& l) { l.OnTopicInserted(inserted); });
  return &inserted;
}

const CTopic* TopicsModel::NewLink(const CTopic& parentNode, std::size_t index, std::string name,
                                   std::string url) {
  EnsureLoaded();
  CTopic* parent = OpenFolder(parentNode);
  if (!parent) return nullptr;
  auto link = std::make_unique<CTopic>(clock_.Now());
  link->name = std::move(name);
  link->target = std::move(url);
  CTopic& inserted = InsertNew(*parent, index, std::move(link));
  Changed(*parent);
  Notify([&](TopicsListener& l) { l.OnTopicInserted(inserted); });
  return &inserted;
}

const CTopic* TopicsModel::AppendTopLevelLink(const std::string& name, const std::string& url) {
  const CTopic& root = Root();
  return NewLink(root, root.children->size(), name, url);
}

void TopicsModel::Edit(const CTopic& node, const std::string& name, const std::string& target) {
  CTopic* edited = Mutable(node);
  if (!edited || edited == root_.get()) return;
  edited->name = name;
  if (edited->isFolder == 0) edited->target = target;
  Changed(*edited->parent);
  Notify([&](TopicsListener& l) { l.OnTopicChanged(*edited); });
}

void TopicsModel::SetLinkState(const CTopic& node, uint32_t size, Time32 lastVisited, bool save,
                               std::optional<Time32> firstVisited) {
  CTopic* link = Mutable(node);
  if (!link || link->isFolder != 0) return;
  link->size = size;
  link->lastVisited = lastVisited;
  if (firstVisited) link->firstVisited = *firstVisited;
  if (save) Changed(*link->parent);
}

void TopicsModel::SetTimes(const CTopic& node, Time32 firstVisited, Time32 lastVisited) {
  CTopic* changed = Mutable(node);
  if (!changed || changed == root_.get()) return;
  changed->firstVisited = firstVisited;
  changed->lastVisited = lastVisited;
  Changed(*changed->parent);
}

// Removes the files of a folder and the folders inside it, never one that another folder still
// names, nor anything that is not a file of the Topics folder.
void TopicsModel::RemoveBranchFiles(const CTopic& node) {
  if (node.isFolder == 0 || !node.children) return;
  for (const std::unique_ptr<CTopic>& child : *node.children) RemoveBranchFiles(*child);
  const BranchFile file = LocateBranchFile(paths_.branchPath, node.target);
  if (file.place != BranchPlace::Inside) return;
  for (const auto& [folder, key] : sharing_)
    if (key == file.key) return;
  std::error_code ec;
  fs::remove(node.target, ec);
}

void TopicsModel::Forget(const CTopic& node) {
  live_.erase(&node);
  if (auto id = ids_.find(&node); id != ids_.end()) {
    nodesById_.erase(id->second);
    ids_.erase(id);
  }
  sharing_.erase(&node);
  if (batchChangedSet_.erase(&node)) std::erase(batchChanged_, &node);
  if (node.children)
    for (const std::unique_ptr<CTopic>& child : *node.children) Forget(*child);
}

void TopicsModel::Delete(const CTopic& node) {
  CTopic* removed = Mutable(node);
  if (!removed || removed == root_.get()) return;
  Notify([&](TopicsListener& l) { l.OnTopicAboutToRemove(*removed); });
  CTopic& parent = *removed->parent;
  TopicArray& siblings = *parent.children;
  auto at = siblings.begin() + static_cast<std::ptrdiff_t>(IndexOf(*removed));
  std::unique_ptr<CTopic> owned = std::move(*at);
  siblings.erase(at);
  Forget(*owned);
  RemoveBranchFiles(*owned);
  Changed(parent);
  Notify([&](TopicsListener& l) { l.OnTopicRemoved(*owned); });
}

bool TopicsModel::Move(const CTopic& nodeRef, const CTopic& parentRef, std::size_t index) {
  CTopic* node = Mutable(nodeRef);
  CTopic* newParent = OpenFolder(parentRef);
  if (!node || !newParent || node == root_.get() || IsInside(newParent, node)) return false;
  CTopic& oldParent = *node->parent;
  TopicArray& siblings = *oldParent.children;
  index = std::min(index, newParent->children->size() - (newParent == &oldParent ? 1 : 0));
  Notify([&](TopicsListener& l) { l.OnTopicAboutToMove(*node, *newParent, index); });
  auto at = siblings.begin() + static_cast<std::ptrdiff_t>(IndexOf(*node));
  std::unique_ptr<CTopic> owned = std::move(*at);
  siblings.erase(at);
  CTopic& moved = Insert(*newParent, index, std::move(owned));
  Changed(oldParent);
  if (newParent != &oldParent) Changed(*newParent);
  Notify([&](TopicsListener& l) { l.OnTopicMoved(moved, oldParent); });
  return true;
}

TopicsModel::Batch::Batch(TopicsModel& model) : model_(model) {
  model_.BeginQuiet();
}

TopicsModel::Batch::~Batch() {
  if (--model_.batchDepth_ > 0) return;
  model_.batchChangedSet_.clear();
  model_.SaveBatch(std::exchange(model_.batchChanged_, {}));
  model_.Notify([](TopicsListener& l) { l.OnTopicsReset(); });
}

TopicsModel::Addition::Addition(TopicsModel& model) : model_(model) {
  model_.BeginQuiet();
  model_.adding_ = true;
}

TopicsModel::Addition::~Addition() {
  if (!done_) Undo();
}

bool TopicsModel::Addition::Commit() {
  std::vector<const CTopic*> made, held;
  for (const CTopic* folder : std::exchange(model_.batchChanged_, {}))
    (model_.addedFolders_.contains(folder) ? made : held).push_back(folder);
  model_.batchChangedSet_.clear();
  bool ok = model_.SaveBatch(made);
  // The folders that were there one by one, deepest first: the first that fails ends it.
  std::stable_sort(held.begin(), held.end(),
                   [](const CTopic* a, const CTopic* b) { return Depth(a) > Depth(b); });
  std::vector<const CTopic*> written;
  for (std::size_t i = 0; ok && i < held.size(); ++i)
    if ((ok = model_.SaveBatch({held[i]}))) written.push_back(held[i]);
  if (!ok) {
    Undo();
    // Those written already get back what they held before.
    model_.SaveBatch(written);
    return false;
  }
  done_ = true;
  model_.adding_ = false;
  model_.added_.clear();
  model_.addedFolders_.clear();
  --model_.batchDepth_;
  model_.Notify([](TopicsListener& l) { l.OnTopicsReset(); });
  return true;
}

// Takes the additions out of the tree and removes the files written for them.
void TopicsModel::Addition::Undo() {
  done_ = true;
  std::error_code ec;
  for (const CTopic* folder : model_.addedFolders_) fs::remove(folder->target, ec);
  for (auto node = model_.added_.rbegin(); node != model_.added_.rend(); ++node) {
    TopicArray& siblings = *(*node)->parent->children;
    auto at = siblings.begin() + static_cast<std::ptrdiff_t>(IndexOf(**node));
    std::unique_ptr<CTopic> owned = std::move(*at);
    siblings.erase(at);
    model_.Forget(*owned);
  }
  model_.adding_ = false;
  model_.added_.clear();
  model_.addedFolders_.clear();
  model_.batchChanged_.clear();
  model_.batchChangedSet_.clear();
  --model_.batchDepth_;
  model_.Notify([](TopicsListener& l) { l.OnTopicsReset(); });
}
