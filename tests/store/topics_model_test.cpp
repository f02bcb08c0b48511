#include "store/topics_model.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "support/data_fixture.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"

namespace fs = std::filesystem;

namespace {

using Strings = std::vector<std::string>;

// Logs the notices after each change; with before set, those ahead of it too, each checking that
// the tree has not changed yet.
class Notices : public TopicsListener {
 public:
  void OnTopicsAboutToReset() override { Before("about to reset"); }
  void OnTopicAboutToInsert(const CTopic& parent, std::size_t index) override {
    Before("about to insert at " + std::to_string(index) + " of " + parent.name + " (" +
           std::to_string(parent.children->size()) + " there)");
  }
  void OnTopicAboutToMove(const CTopic& n, const CTopic& to, std::size_t index) override {
    Before("about to move " + n.name + " from " + std::to_string(TopicsModel::IndexOf(n)) + " of " +
           n.parent->name + " to " + std::to_string(index) + " of " + to.name);
  }
  void OnTopicAboutToRemove(const CTopic& n) override {
    Before("about to remove " + n.name + " at " + std::to_string(TopicsModel::IndexOf(n)) + " of " +
           n.parent->name + (n.children ? " holding " + std::to_string(n.children->size()) : ""));
  }
  void OnTopicsReset() override { log.push_back("reset"); }
  void OnTopicInserted(const CTopic& n) override { log.push_back("inserted " + n.name); }
  void OnTopicChanged(const CTopic& n) override { log.push_back("changed " + n.name); }
  void OnTopicMoved(const CTopic& n, const CTopic& from) override {
    log.push_back("moved " + n.name + " from " + from.name);
  }
  void OnTopicRemoved(const CTopic& n) override { log.push_back("removed " + n.name); }
  void Before(const std::string& entry) {
    if (before) log.push_back(entry);
  }
  Strings log;
  bool before = false;
};

class TopicsModelTest : public DataFixture {
 protected:
  TopicsModelTest() : DataFixture("hopwise-topics") {}
  void SetUp() override {
    DataFixture::SetUp();
    subscription = model.Subscribe(notices);
  }

  // The names stored in a branch file, in stored order.
  Strings Stored(const std::string& path) {
    TopicArray nodes;
    files.LoadBranch(path, nodes);
    Strings names;
    for (const auto& n : nodes) names.push_back(n->name);
    return names;
  }
  static Strings Names(const CTopic& folder) {
    Strings names;
    for (const auto& n : *folder.children) names.push_back(n->name);
    return names;
  }

  TopicsModel& model = topics;
  Notices notices;
  TopicsModel::Subscription subscription;
};

TEST_F(TopicsModelTest, EditsWriteTheBranchFilesTheyChange) {
  const CTopic& root = model.Root();
  EXPECT_TRUE(fs::exists(paths.topicsPath)) << "a missing topics.data is written once, empty";
  const CTopic* folder = model.NewFolder(root, 0, "F");
  ASSERT_NE(nullptr, folder);
  EXPECT_EQ(paths.branchPath + "1000000000.data", folder->target);
  EXPECT_TRUE(fs::exists(folder->target)) << "the new folder's branch file is written at once";
  const CTopic* second = model.NewFolder(root, 1, "G");
  EXPECT_NE(folder->target, second->target) << "two folders made in one second";

  const CTopic* a = model.NewLink(*folder, 0, "a", "http://a/");
  model.NewLink(*folder, 0, "b", "http://b/");
  EXPECT_EQ((Strings{"b", "a"}), Stored(folder->target));
  EXPECT_EQ((Strings{"F", "G"}), Stored(paths.topicsPath));

  model.Edit(*a, "A", "http://a2/");
  model.Edit(*folder, "Folder", "ignored for a folder");
  EXPECT_EQ("http://a2/", a->target);
  EXPECT_EQ(paths.branchPath + "1000000000.data", folder->target);
  EXPECT_EQ((Strings{"b", "A"}), Stored(folder->target));
  EXPECT_EQ((Strings{"Folder", "G"}), Stored(paths.topicsPath));

  model.AppendTopLevelLink("top", "http://top/");
  EXPECT_EQ((Strings{"Folder", "G", "top"}), Stored(paths.topicsPath));
  EXPECT_EQ((Strings{"inserted F", "inserted G", "inserted a", "inserted b", "changed A", "changed Folder",
                     "inserted top"}),
            notices.log);
  EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(TopicsModelTest, MovesAndDeletesKeepTheFilesInStep) {
  const CTopic& root = model.Root();
  const CTopic* outer = model.NewFolder(root, 0, "outer");
  const CTopic* inner = model.NewFolder(*outer, 0, "inner");
  const CTopic* link = model.NewLink(*inner, 0, "link", "http://l/");
  const CTopic* other = model.NewLink(root, 1, "other", "http://o/");
  notices.log.clear();

  EXPECT_FALSE(model.Move(*outer, *inner, 0)) << "a folder never goes inside itself";
  EXPECT_FALSE(model.Move(*outer, *outer, 0));
  EXPECT_FALSE(model.Move(*outer, *link, 0)) << "a link takes nothing in";
  EXPECT_TRUE(model.Move(*link, root, 0));
  EXPECT_EQ((Strings{"link", "outer", "other"}), Stored(paths.topicsPath));
  EXPECT_TRUE(Stored(inner->target).empty());
  EXPECT_TRUE(model.Move(*other, root, 0));  // within one folder
  EXPECT_EQ((Strings{"other", "link", "outer"}), Names(root));
  EXPECT_EQ((Strings{"moved link from inner", "moved other from "}), notices.log);

  const std::string innerFile = inner->target;
  const std::string outerFile = outer->target;
  model.Delete(*outer);
  EXPECT_FALSE(fs::exists(innerFile));
  EXPECT_FALSE(fs::exists(outerFile));
  EXPECT_EQ((Strings{"other", "link"}), Stored(paths.topicsPath));
  EXPECT_FALSE(model.Contains(inner));
  EXPECT_EQ(nullptr, model.NewLink(*inner, 0, "x", "y")) << "a removed folder takes nothing in";
  model.Delete(root);
  EXPECT_EQ(2u, root.children->size());
}

TEST_F(TopicsModelTest, UnreadableBranchesStayEmptyAndAreNeverWritten) {
  const std::string outside = dir + "/outside.data";
  std::ofstream(outside, std::ios::binary) << "not an archive";
  TopicArray top;
  auto folder = std::make_unique<CTopic>(1);
  folder->isFolder = 1;
  folder->name = "Outside";
  folder->target = outside;
  top.push_back(std::move(folder));
  ASSERT_TRUE(files.SaveBranch(paths.topicsPath, top));

  const CTopic& root = model.Root();
  const CTopic& shown = *root.children->at(0);
  EXPECT_FALSE(TopicsModel::IsOpenFolder(shown));
  EXPECT_EQ(nullptr, model.NewLink(shown, 0, "x", "http://x/"));
  model.Edit(shown, "Renamed", "");
  EXPECT_EQ(14u, fs::file_size(outside));
  EXPECT_TRUE(messages.Shown().empty());
}

// A folder entry naming target, for writing straight into a file.
std::unique_ptr<CTopic> FolderNaming(const std::string& name, const std::string& target) {
  auto folder = std::make_unique<CTopic>(1);
  folder->isFolder = 1;
  folder->name = name;
  folder->target = target;
  return folder;
}

std::string Bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

TEST_F(TopicsModelTest, BranchLinksLeadingOutOfTheTopicsFolderAreNeverFollowed) {
  TopicArray outsideTopics;
  outsideTopics.push_back(FolderNaming("inner", paths.branchPath + "x.data"));
  ASSERT_TRUE(files.SaveBranch(dir + "/archive.data", outsideTopics));
  std::ofstream(dir + "/text.txt", std::ios::binary) << "not an archive";
  fs::permissions(dir + "/text.txt", fs::perms(0644));
  const std::string archive = Bytes(dir + "/archive.data");
  fs::create_symlink(dir + "/archive.data", paths.branchPath + "1.data");
  fs::create_symlink(dir + "/text.txt", paths.branchPath + "2.data");
  fs::create_symlink(dir + "/nowhere.data", paths.branchPath + "3.data");
  fs::create_directory(paths.branchPath + "4.data");
  TopicArray top;
  for (int i = 1; i <= 4; ++i)
    top.push_back(FolderNaming("F" + std::to_string(i), paths.branchPath + std::to_string(i) + ".data"));
  ASSERT_TRUE(files.SaveBranch(paths.topicsPath, top));

  const CTopic& root = model.Root();
  for (const auto& folder : *root.children) {
    EXPECT_FALSE(TopicsModel::IsOpenFolder(*folder)) << folder->name;
    EXPECT_EQ(nullptr, model.NewLink(*folder, 0, "x", "http://x/"));
  }
  EXPECT_EQ(4u, messages.Shown().size()) << "each refused file is told once";
  model.Edit(*root.children->at(0), "Renamed", "");
  model.Delete(*root.children->at(1));
  model.Delete(*root.children->at(1));
  EXPECT_EQ(archive, Bytes(dir + "/archive.data"));
  EXPECT_EQ("not an archive", Bytes(dir + "/text.txt"));
  EXPECT_EQ(fs::perms(0644), fs::status(dir + "/text.txt").permissions());
  EXPECT_FALSE(fs::exists(dir + "/nowhere.data")) << "a dangling link is not followed to make its file";
  Strings names;
  for (const auto& entry : fs::directory_iterator(dir)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ((Strings{"Topics", "archive.data", "text.txt", "topics.data"}), names);
  EXPECT_TRUE(fs::is_directory(paths.branchPath + "4.data"));
}

TEST_F(TopicsModelTest, EachBranchFileBelongsToOneFolder) {
  // Two folders at each level name the next level's file: read as one chain, not 2^20 folders.
  constexpr int kLevels = 20;
  for (int level = 0; level <= kLevels; ++level) {
    TopicArray nodes;
    const std::string next = paths.branchPath + std::to_string(level + 1) + ".data";
    if (level < kLevels) {
      nodes.push_back(FolderNaming("A" + std::to_string(level), next));
      nodes.push_back(FolderNaming("B" + std::to_string(level), next));
    }
    const std::string path =
        level == 0 ? paths.topicsPath : paths.branchPath + std::to_string(level) + ".data";
    ASSERT_TRUE(files.SaveBranch(path, nodes));
  }
  const CTopic& root = model.Root();
  int depth = 0;
  for (const CTopic* folder = &root; !folder->children->empty(); ++depth) {
    const CTopic& second = *folder->children->at(1);
    EXPECT_TRUE(TopicsModel::IsOpenFolder(second));
    EXPECT_TRUE(second.children->empty());
    EXPECT_NE(folder->children->at(0)->target, second.target) << "a file of its own";
    folder = folder->children->at(0).get();
  }
  EXPECT_EQ(kLevels, depth);
  EXPECT_EQ(std::size_t{kLevels}, messages.Shown().size());

  // Deleting the folder that read the file leaves it while the other one's parent still names it.
  const std::string shared = root.children->at(0)->target;
  model.Delete(*root.children->at(0));
  EXPECT_TRUE(fs::exists(shared));
  model.NewLink(*root.children->at(0), 0, "kept", "http://k/");
  model.Reload();
  ASSERT_EQ(1u, model.Root().children->size());
  EXPECT_EQ(Strings{"kept"}, Names(*model.Root().children->at(0)));
}

TEST_F(TopicsModelTest, EachChangeIsToldBeforeAndAfterWithItsPlace) {
  const CTopic& root = model.Root();
  notices.before = true;
  const CTopic* f = model.NewFolder(root, 5, "F");
  const CTopic* g = model.NewFolder(root, 0, "G");
  const CTopic* a = model.NewLink(*f, 0, "a", "http://a/");
  model.NewLink(*f, 1, "b", "http://b/");
  const TopicId aId = model.IdOf(*a);
  EXPECT_EQ((Strings{"about to insert at 0 of  (0 there)", "inserted F", "about to insert at 0 of  (1 there)",
                     "inserted G", "about to insert at 0 of F (0 there)", "inserted a",
                     "about to insert at 1 of F (1 there)", "inserted b"}),
            notices.log);
  notices.log.clear();

  model.Move(*a, *f, 9);  // within its folder, to the end
  model.Move(*a, *g, 0);  // across folders
  model.Move(*g, root, 1);
  EXPECT_EQ((Strings{"about to move a from 0 of F to 1 of F", "moved a from F",
                     "about to move a from 1 of F to 0 of G", "moved a from F",
                     "about to move G from 0 of  to 1 of ", "moved G from "}),
            notices.log);
  EXPECT_EQ(aId, model.IdOf(*a)) << "a node keeps its handle when it moves";
  EXPECT_EQ(a, model.NodeOf(aId));
  notices.log.clear();

  model.Delete(*f);
  model.Delete(*g);
  EXPECT_EQ((Strings{"about to remove F at 0 of  holding 1", "removed F",
                     "about to remove G at 0 of  holding 1", "removed G"}),
            notices.log);
  EXPECT_EQ(nullptr, model.NodeOf(aId)) << "a handle goes with its node";
  EXPECT_NE(aId, model.IdOf(*model.NewLink(root, 0, "c", "http://c/"))) << "never given again";
}

TEST_F(TopicsModelTest, ABatchWritesEachFolderOnceAndTellsOnce) {
  const CTopic& root = model.Root();
  notices.log.clear();
  notices.before = true;
  {
    TopicsModel::Batch batch(model);
    const CTopic* f = model.NewFolder(root, 0, "F");
    for (int i = 0; i < 100; ++i) model.NewLink(*f, 0, "l" + std::to_string(i), "http://l/");
    EXPECT_FALSE(fs::exists(f->target)) << "nothing is written during the batch";
  }
  EXPECT_EQ((Strings{"about to reset", "reset"}), notices.log);
  EXPECT_EQ(100u, Stored(root.children->at(0)->target).size());
  EXPECT_EQ(Strings{"F"}, Stored(paths.topicsPath));

  notices.log.clear();
  {
    TopicsModel::Batch outer(model);
    TopicsModel::Addition inner(model);
    model.NewLink(root, 0, "undone", "http://u/");
  }
  model.Reload();
  EXPECT_EQ((Strings{"about to reset", "reset", "about to reset", "reset"}), notices.log)
      << "one pair for nested batches, one for a reload";
}

}  // namespace
