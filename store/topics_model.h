#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/clock.h"
#include "platform/listener_list.h"
#include "store/branch_names.h"
#include "store/data_files.h"
#include "store/data_paths.h"
#include "store/records.h"

// Whoever shows the Topics tree (the menus, the Topics window) follows the model through these.
// A change is told twice: "about to" before the tree changes, with where it will happen, and once
// more after it, with the files already written. Positions are indexes in a folder's children
// array (not display rows).
class TopicsListener {
 public:
  virtual ~TopicsListener() = default;
  // The tree is about to be read again or changed as a whole (a batch of edits begins).
  virtual void OnTopicsAboutToReset() {}
  // The tree was read again or changed as a whole (a batch of edits): start again from Root().
  virtual void OnTopicsReset() {}
  // A node is about to be put at index of parent's children.
  virtual void OnTopicAboutToInsert(const CTopic& parent, std::size_t index) {}
  // A node was put into its parent's children (its parent and position say where).
  virtual void OnTopicInserted(const CTopic& node) {}
  // A node's name or target changed.
  virtual void OnTopicChanged(const CTopic& node) {}
  // A node (still where its parent and position say) is about to move to index of newParent's
  // children, the index counted after the node has left its old place.
  virtual void OnTopicAboutToMove(const CTopic& node, const CTopic& newParent, std::size_t index) {}
  // A node moved from oldParent to where its parent and position now say.
  virtual void OnTopicMoved(const CTopic& node, const CTopic& oldParent) {}
  // A node (still where its parent and position say) is about to leave the tree with everything
  // below it.
  virtual void OnTopicAboutToRemove(const CTopic& node) {}
  // A node has left the tree, with everything below it; it is freed right after this call (its
  // parent still names the folder it was in).
  virtual void OnTopicRemoved(const CTopic& node) {}
};

// A handle on a node that stays the same while the node is in the tree (moves included) and is
// never given to another node while the program runs; 0 is no node.
using TopicId = uint64_t;

// The Topics tree and the one owner of its files while the program runs: topics.data holds the
// top level, each folder's contents are its branch file in the Topics folder. The menus, the
// Topics window, "Assign to Topics" and the bookmark import all change the tree through this
// model, so nothing writes a Topics file behind another's back.
//
// The tree is read whole on first use. A folder whose branch file may not be read (outside the
// Topics folder, not a ".data" file, nested deeper than 64) keeps no children: it shows empty and
// takes nothing in, and its file is never written. Nor is one whose file is a link that leads out
// of the Topics folder, or something other than a regular file (the user is told once). Each
// branch file belongs to one folder: a second folder that names a file already read (a folder
// inside itself, two folders sharing one file) shows empty, is told once, and gets a file of its
// own, written from the next save of its parent on; the shared file is never removed on its
// behalf. At most kMaxTopicNodes entries are read: folders past that show empty and are not
// written.
//
// Every edit writes the branch files it changes at once; each operation names them. Main thread
// only; a worker gets copies of what it needs.
class TopicsModel {
 public:
  // The deepest level below the top at which a folder's contents are read.
  static constexpr std::size_t kMaxFolderDepth = 63;
  // The most entries (folders and links) read from the files.
  static constexpr std::size_t kMaxTopicNodes = 1'000'000;

  TopicsModel(DataFiles& files, const Clock& clock, const DataPaths& paths);
  ~TopicsModel();
  TopicsModel(const TopicsModel&) = delete;
  TopicsModel& operator=(const TopicsModel&) = delete;

  using Subscription = ListenerList<TopicsListener>::Subscription;
  [[nodiscard]] Subscription Subscribe(TopicsListener& listener) { return listeners_.Subscribe(listener); }

  // The node that stands for the top level (a folder whose target is topics.data); it is never
  // shown or stored itself. Reads the tree on first use.
  const CTopic& Root();
  // Reads the whole tree from the files again (OnTopicsReset).
  void Reload();
  // Whether node is in the tree now (a view may hold a node that has since been removed).
  bool Contains(const CTopic* node) const { return node && live_.contains(node); }
  // Whether a folder's contents were read and can take new nodes.
  static bool IsOpenFolder(const CTopic& node) { return node.isFolder != 0 && node.children != nullptr; }
  // The position of node in its parent's children.
  static std::size_t IndexOf(const CTopic& node);
  // The handle of a node in the tree (given on first ask); 0 for a node not in the tree.
  TopicId IdOf(const CTopic& node);
  // The node of a handle; null once it has left the tree (or after Reload).
  const CTopic* NodeOf(TopicId id) const;

  // A new folder at index of parent's children, with a new branch file: writes the new (empty)
  // branch file, then parent's. Null when parent cannot take it.
  const CTopic* NewFolder(const CTopic& parent, std::size_t index, const std::string& name);
  // The same for a folder made by a bookmark import: its branch file gets the import form of name,
  // from random (seeded once per import).
  const CTopic* NewFolder(const CTopic& parent, std::size_t index, std::string name, RandomSource& random);
  // A new link at index of parent's children: writes parent's branch file.
  const CTopic* NewLink(const CTopic& parent, std::size_t index, std::string name, std::string url);
  // A link at the end of the top level ("Assign to Topics", pages marked for filing): topics.data.
  const CTopic* AppendTopLevelLink(const std::string& name, const std::string& url);
  // Renames a node; a link also gets target as its URL (a folder keeps its branch file): writes
  // the parent's branch file.
  void Edit(const CTopic& node, const std::string& name, const std::string& target);
  // The size and visit times an update check saw for a link (the first visit too when given):
  // writes the parent's branch file unless save is false (the caller saves the folder later with
  // SaveFolder).
  void SetLinkState(const CTopic& link, uint32_t size, Time32 lastVisited, bool save = true,
                    std::optional<Time32> firstVisited = std::nullopt);
  // The visit times of a link or a folder brought in from elsewhere (a bookmark file's dates):
  // writes the parent's branch file.
  void SetTimes(const CTopic& node, Time32 firstVisited, Time32 lastVisited);
  // Removes a node and everything below it: the branch files of the folders removed, then the
  // parent's branch file.
  void Delete(const CTopic& node);
  // Moves node to index of newParent's children (index counted after node has left its old
  // place): writes the old parent's branch file, then the new parent's (once when they are one).
  // Refused (false) when newParent is node or lies inside it, or cannot take nodes.
  bool Move(const CTopic& node, const CTopic& newParent, std::size_t index);
  // Writes one folder's branch file (topics.data for the root). False when it failed.
  bool SaveFolder(const CTopic& folder);
  // The entries in the tree (folders and links, the root not counted).
  std::size_t Count() const { return live_.size() - (root_ ? 1 : 0); }

  // Many edits as one: the listeners hear OnTopicsAboutToReset when the first Batch begins; while a
  // Batch lives, nothing is written and nobody is told; when the last Batch ends, every changed
  // folder is written once, all with one sync of the disk and each folder before the folder that
  // holds it, and the listeners hear OnTopicsReset.
  class Batch {
   public:
    explicit Batch(TopicsModel& model);
    ~Batch();
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;

   private:
    TopicsModel& model_;
  };

  // New folders and links that reach the disk all together or not at all (an import). While an
  // Addition lives, nodes are only added (NewFolder, NewLink), nothing is written and nobody is
  // told. Commit writes the new folders' files first and the folders that were there before last
  // (topics.data the very last), stopping at the first that fails; then the new files are removed,
  // the additions leave the tree and the folders written already are written again without them,
  // so every file is as it was. An Addition that ends without
  // Commit leaves the same way, writing nothing. The listeners hear OnTopicsAboutToReset at the
  // start and OnTopicsReset at the end.
  class Addition {
   public:
    explicit Addition(TopicsModel& model);
    ~Addition();
    Addition(const Addition&) = delete;
    Addition& operator=(const Addition&) = delete;
    // True when every file was written.
    bool Commit();

   private:
    void Undo();

    TopicsModel& model_;
    bool done_ = false;
  };

 private:
  // What a load has seen so far.
  struct Loading {
    std::unordered_set<std::string> files;  // the keys of the branch files read (LocateBranchFile)
    std::size_t nodes = 0;
    bool full = false;  // kMaxTopicNodes was reached
  };
  void EnsureLoaded();
  void LoadChildren(CTopic& folder, std::size_t depth, Loading& loading);
  bool MayLoad(CTopic& folder, std::size_t depth, Loading& loading);
  bool MayReadBranch(const std::string& target, std::size_t depth) const;
  // Whether a folder's file may be written now: the root, or a file Inside or Absent.
  bool MayWriteBranch(const CTopic& folder);
  // Tells the user once per load about a branch file refused.
  void Refuse(const CTopic& folder, const std::string& why);
  // After folder's file was written: the folders it holds that were sharing a file no longer are.
  void Saved(const CTopic& folder);
  CTopic* Mutable(const CTopic& node) const;
  CTopic* OpenFolder(const CTopic& node) const;
  CTopic& Insert(CTopic& parent, std::size_t index, std::unique_ptr<CTopic> node);
  const CTopic* AddFolder(CTopic& parent, std::size_t index, std::string name, std::string target);
  void Forget(const CTopic& node);
  void RemoveBranchFiles(const CTopic& node);
  // Writes the folder now, or once at the end of the batch.
  void Changed(const CTopic& folder);
  // Writes folders deepest first; whether every one was written.
  bool SaveBatch(std::vector<const CTopic*> folders);
  template <typename Call>
  void Notify(Call call);
  // The start of a Batch or an Addition: the outermost tells OnTopicsAboutToReset.
  void BeginQuiet();
  // Puts a new node at index of parent's children (clamped), telling before and after.
  CTopic& InsertNew(CTopic& parent, std::size_t index, std::unique_ptr<CTopic> node);

  DataFiles& files_;
  const Clock& clock_;
  const DataPaths& paths_;
  ListenerList<TopicsListener> listeners_;
  std::unique_ptr<CTopic> root_;
  std::unordered_set<const CTopic*> live_;
  // The handles given so far, both ways (only for the nodes asked about).
  std::unordered_map<const CTopic*, TopicId> ids_;
  std::unordered_map<TopicId, const CTopic*> nodesById_;
  TopicId lastId_ = 0;
  // Folders given a file of their own because their file was another's, with that file's key,
  // until their parent is written without it.
  std::unordered_map<const CTopic*, std::string> sharing_;
  std::unordered_set<std::string> refused_;  // the files told about since the last load
  int batchDepth_ = 0;
  bool adding_ = false;                             // an Addition lives
  std::vector<CTopic*> added_;                      // its nodes put into folders that were there
  std::unordered_set<const CTopic*> addedFolders_;  // its new folders
  std::vector<const CTopic*> batchChanged_;
  std::unordered_set<const CTopic*> batchChangedSet_;
};
