// The Topics window's tree rules without a window: where new and dropped nodes go, and that the
// order shown is the order a reopened window shows.
#include "store/topic_edits.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "support/data_fixture.h"
#include "support/fake_clock.h"
#include "support/recording_message_boxes.h"

namespace fs = std::filesystem;

namespace {

class TopicEditsTest : public DataFixture {
 protected:
  TopicEditsTest() : DataFixture("hopwise-edits") {}

  // The tree as the window shows it, top to bottom: "a b F(x y)".
  static std::string Shown(const CTopic& folder) {
    std::string text;
    const TopicArray& children = *folder.children;
    for (std::size_t row = 0; row < children.size(); ++row) {
      const CTopic& node = *children[children.size() - 1 - row];
      EXPECT_EQ(row, DisplayRow(node));
      text += (row ? " " : "") + node.name;
      if (node.isFolder) text += "(" + (node.children ? Shown(node) : std::string()) + ")";
    }
    return text;
  }
  // Shown after the tree was read again from its files.
  std::string Reopened() {
    model.Reload();
    return Shown(model.Root());
  }
  const CTopic* Find(const CTopic& folder, const std::string& name) {
    for (const auto& node : *folder.children) {
      if (node->name == name) return node.get();
      if (node->children)
        if (const CTopic* found = Find(*node, name)) return found;
    }
    return nullptr;
  }
  const CTopic& At(const std::string& name) { return *Find(model.Root(), name); }
  bool Drop(const std::string& dragged, const std::string& target) {
    return DropTopic(model, At(dragged), target.empty() ? nullptr : &At(target));
  }
  void NewLink(const CTopic& selected, const std::string& name) {
    const TopicPlace place = NewLinkPlace(selected);
    ASSERT_NE(nullptr, model.NewLink(*place.parent, place.index, name, "http://" + name + "/"));
  }
  void NewFolder(const CTopic& selected, const std::string& name) {
    const TopicPlace place = NewFolderPlace(selected);
    ASSERT_NE(nullptr, model.NewFolder(*place.parent, place.index, name));
  }

  TopicsModel& model = topics;
};

TEST_F(TopicEditsTest, NewNodesShowWhereTheyStayAfterReopening) {
  const CTopic& root = model.Root();
  model.NewLink(root, 0, "first", "http://1/");
  model.NewLink(root, 1, "second", "http://2/");
  model.NewLink(root, 2, "third", "http://3/");
  EXPECT_EQ("third second first", Shown(root));

  NewFolder(root, "F");  // nothing selected: the bottom of the top level, stored first
  EXPECT_EQ("F", model.Root().children->front()->name);
  NewLink(At("F"), "x");
  NewLink(At("F"), "y");    // a selected folder: its top
  NewFolder(At("x"), "G");  // a link selected in F: inside F, directly below the link
  NewLink(At("y"), "z");    // a link selected: directly below it
  NewLink(root, "top");     // nothing selected: the top of the top level
  EXPECT_EQ("top third second first F(y z x G())", Shown(root));
  EXPECT_EQ("top third second first F(y z x G())", Reopened());
}

TEST_F(TopicEditsTest, DropsFollowTheRulesAndStayAfterReopening) {
  const CTopic& root = model.Root();
  model.NewLink(root, 0, "a", "http://a/");
  model.NewFolder(root, 0, "F");
  model.NewFolder(root, 0, "G");
  model.NewLink(At("F"), 0, "y", "http://y/");
  model.NewLink(At("F"), 0, "x", "http://x/");
  model.NewFolder(At("F"), 0, "H");
  ASSERT_EQ("a F(y x H()) G()", Shown(root));

  // Refused, nothing changes: no target, itself, its own folder, a folder into its own inside.
  EXPECT_FALSE(Drop("x", ""));
  EXPECT_FALSE(Drop("x", "x"));
  EXPECT_FALSE(Drop("x", "F"));
  EXPECT_FALSE(Drop("F", "H"));
  EXPECT_FALSE(Drop("F", "y"));
  ASSERT_EQ("a F(y x H()) G()", Shown(root));

  EXPECT_TRUE(Drop("x", "y"));  // onto the sibling shown directly above: stays directly below it
  EXPECT_EQ("a F(y x H()) G()", Shown(root));
  EXPECT_TRUE(Drop("y", "x"));  // onto the sibling below: goes below it
  EXPECT_EQ("a F(x y H()) G()", Shown(root));
  EXPECT_TRUE(Drop("a", "G"));  // a link onto a folder: into it, at its top
  EXPECT_TRUE(Drop("y", "G"));
  EXPECT_EQ("F(x H()) G(y a)", Shown(root));
  EXPECT_TRUE(Drop("G", "H"));  // a folder onto a folder: beside it, not into it
  EXPECT_EQ("F(x H() G(y a))", Shown(root));
  EXPECT_TRUE(Drop("H", "a"));  // a folder onto a link: beside the link
  EXPECT_EQ("F(x G(y a H()))", Shown(root));
  EXPECT_EQ("F(x G(y a H()))", Reopened());
}

// The rows a view moves when told a move (the row taken out, then put in at the gap counted before
// it was taken out) are the rows shown after the move, within a folder and across folders.
TEST_F(TopicEditsTest, RowsOfAMoveAreTheRowsShownAfterIt) {
  const CTopic& root = model.Root();
  for (const char* name : {"a", "b", "c", "d"}) model.NewLink(root, 0, name, "http://x/");
  const CTopic* folder = model.NewFolder(root, 0, "F");
  for (const char* name : {"x", "y"}) model.NewLink(*folder, 0, name, "http://x/");
  auto rows = [](const CTopic& parent) {
    std::vector<std::string> names;
    for (std::size_t row = 0; row < parent.children->size(); ++row)
      names.push_back((*parent.children)[FlipRow(row, parent.children->size())]->name);
    return names;
  };
  for (const char* name : {"a", "b", "c", "d", "F"}) {
    for (std::size_t index = 0; index < 5; ++index) {
      std::vector<std::string> expected = rows(root);
      if (const std::optional<RowMove> move = DisplayMove(At(name), root, index)) {
        expected.erase(expected.begin() + static_cast<std::ptrdiff_t>(move->fromRow));
        const std::size_t to = move->toGap > move->fromRow ? move->toGap - 1 : move->toGap;
        expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(to), name);
      }
      ASSERT_TRUE(model.Move(At(name), root, index));
      EXPECT_EQ(expected, rows(root)) << name << " to " << index;
    }
  }
  for (std::size_t index = 0; index <= 2; ++index) {
    std::vector<std::string> expected = rows(*folder);
    const std::optional<RowMove> move = DisplayMove(At("a"), *folder, index);
    ASSERT_TRUE(move);
    expected.insert(expected.begin() + static_cast<std::ptrdiff_t>(move->toGap), "a");
    ASSERT_TRUE(model.Move(At("a"), *folder, index));
    EXPECT_EQ(expected, rows(*folder)) << "a into F at " << index;
    model.Move(At("a"), root, 0);
  }
}

TEST_F(TopicEditsTest, MarkedPagesBecomeTopLevelLinksAndADeletedOneIsNeverUsed) {
  model.NewLink(model.Root(), 0, "old", "http://old/");
  for (const char* url : {"http://a/", "http://b/", "http://c/"}) {
    clock.Advance(1);
    store.RecordVisit(url, std::string("page ") + url[7]);
    store.MarkForTopics(store.FindPageMarkByUrl(url), true);
  }
  store.DeletePageMark(store.FindPageMarkByUrl("http://b/"));

  EXPECT_EQ(2u, FileMarkedPages(store, model));
  EXPECT_TRUE(store.SendToTopicsList().empty());
  EXPECT_EQ("page c page a old", Reopened()) << "written to topics.data at once";
  EXPECT_EQ(0u, FileMarkedPages(store, model));
  EXPECT_TRUE(messages.Shown().empty());
}

}  // namespace
