// The Topics window on the offscreen platform: the tree follows the model in display order (the
// item model checked by Qt's model tester throughout), the commands act on the selection, drops go
// through the item model and the view, and the File menu brings bookmark files in and out.
#include <sys/stat.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QWindow>
#include <fstream>
#include <functional>
#include <sstream>

#include "resources/resource_ids.h"
#include "windows/text_dialogs.h"
#include "windows/topic_tree.h"
#include "windows/topic_tree_widget.h"
#include "windows/topics_check_view.h"
#include "windows/topics_dlg.h"
#include "windows/window_placement.h"
#include "windows_fixture.h"

namespace windowstest {
namespace {

class TopicsWindowTest : public WindowsFixture {
 protected:
  // Top level stored as: F(x y), a, b; shown: b a F(y x).
  void SetUp() override {
    WindowsFixture::SetUp();
    const CTopic& root = topics.Root();
    const CTopic* folder = topics.NewFolder(root, 0, "F");
    topics.NewLink(*folder, 0, "x", "http://x/");
    topics.NewLink(*folder, 1, "y", "http://y/");
    topics.NewLink(root, 1, "a", "http://a/");
    topics.NewLink(root, 2, "b", "http://b/");
  }
  void TearDown() override {
    tester.reset();
    window.reset();
    WindowsFixture::TearDown();
  }
  void Open() {
    window = std::make_unique<CTopicsDlg>(services);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->Tree()->expandAll();
    tester = std::make_unique<QAbstractItemModelTester>(
        &window->Items(), QAbstractItemModelTester::FailureReportingMode::Fatal);
  }

  // The tree as shown, top to bottom: "b a F(y x)".
  static std::string Outline(const TopicTree& items, const QModelIndex& parent = {}) {
    std::string text;
    for (int row = 0; row < items.rowCount(parent); ++row) {
      const QModelIndex index = items.index(row, 0, parent);
      text += (row ? " " : "") + index.data().toString().toStdString();
      if (items.NodeOf(index)->isFolder) text += "(" + Outline(items, index) + ")";
    }
    return text;
  }
  std::string Outline() const { return Outline(window->Items()); }
  // The tree as a new window shows it, read again from the files.
  std::string Reopened() {
    tester.reset();
    window.reset();
    topics.Reload();
    Open();
    return Outline();
  }
  static QModelIndex Find(const TopicTree& items, const std::string& name, const QModelIndex& parent = {}) {
    for (int row = 0; row < items.rowCount(parent); ++row) {
      const QModelIndex index = items.index(row, 0, parent);
      if (index.data().toString().toStdString() == name) return index;
      if (const QModelIndex found = Find(items, name, index); found.isValid()) return found;
    }
    return {};
  }
  QModelIndex Item(const std::string& name) const { return Find(window->Items(), name); }
  QPoint Centre(const std::string& name) const { return window->Tree()->visualRect(Item(name)).center(); }
  std::string Status() const { return window->StatusText()->text().toStdString(); }
  // A key of the window's accelerators, with the window active (a dialog may just have closed).
  void Key(Qt::Key key) {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window->Tree(), key);
  }
  void Click(const std::string& name) {
    QTest::mouseClick(window->Tree()->viewport(), Qt::LeftButton, {}, Centre(name));
  }
  // Drops the row named from onto the row named to through the item model, as the view does.
  bool Drop(const std::string& from, const std::string& to) {
    TopicTree& items = window->Items();
    std::unique_ptr<QMimeData> data(items.mimeData({Item(from)}));
    const bool allowed = items.canDropMimeData(data.get(), Qt::MoveAction, -1, -1, Item(to));
    EXPECT_EQ(allowed, items.dropMimeData(data.get(), Qt::MoveAction, -1, -1, Item(to)));
    return allowed;
  }
  // A drag of the row named from, moved over the view to at, as the platform's drag delivers it:
  // whether the view takes it there, and whether it was dropped (drop).
  bool DragOver(const std::string& from, const QPoint& at, bool drop = false) {
    std::unique_ptr<QMimeData> data(window->Items().mimeData({Item(from)}));
    QWidget* viewport = window->Tree()->viewport();
    QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    if (!move.isAccepted() || !drop) {
      QDragLeaveEvent leave;
      QApplication::sendEvent(viewport, &leave);
      return move.isAccepted();
    }
    QDropEvent dropEvent(at, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &dropEvent);
    return dropEvent.isAccepted();
  }
  // Answers the next dialog with texts.
  static void Answer(std::vector<QString> texts) {
    WhenModal([texts](QWidget& dialog) {
      auto* fields = qobject_cast<TextFieldsDlg*>(&dialog);
      ASSERT_NE(nullptr, fields);
      for (std::size_t i = 0; i < texts.size(); ++i) fields->Edit(static_cast<int>(i))->setText(texts[i]);
      fields->accept();
    });
  }

  std::unique_ptr<CTopicsDlg> window;
  std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(TopicsWindowTest, ShowsTheWholeTreeLastStoredFirstAndTakesMarkedPages) {
  store.MarkForTopics(&Visit("http://m1/", "marked one"), true);
  store.MarkForTopics(&Visit("http://m2/", "marked two"), true);
  Open();
  EXPECT_EQ("Hopwise Topics", window->windowTitle().toStdString());
  EXPECT_EQ(TopicsPlacement(QGuiApplication::primaryScreen()->geometry()), window->geometry());
  EXPECT_EQ("marked two marked one b a F(y x)", Outline());
  EXPECT_TRUE(store.SendToTopicsList().empty());

  Click("F");
  EXPECT_EQ("Topic/Folder", Status());
  Click("y");
  EXPECT_EQ("http://y/", Status());
  QTest::mouseDClick(window->Tree()->viewport(), Qt::LeftButton, {}, Centre("y"));
  EXPECT_EQ((std::vector<std::string>{"http://y/"}), opener.opened);

  // Marked while open: taken in when the window is brought forward again.
  store.MarkForTopics(&Visit("http://m3/", "marked three"), true);
  QEvent activate(QEvent::WindowActivate);
  QApplication::sendEvent(window.get(), &activate);
  EXPECT_EQ("marked three marked two marked one b a F(y x)", Outline());
  // Another view's edit shows at once.
  topics.AppendTopLevelLink("from the tray", "http://t/");
  EXPECT_EQ("from the tray marked three marked two marked one b a F(y x)", Outline());
}

TEST_F(TopicsWindowTest, NewEditAndDeleteActOnTheSelectionAndWriteTheFiles) {
  Open();
  Click("x");
  Answer({"G"});
  window->OnCommand(res::kCmdNewTopicFolder);  // beside the link, shown directly below it
  Click("F");
  Answer({"new link", "http://n/"});
  window->OnCommand(res::kCmdNewTopicLink);  // into the folder, at its top
  window->Tree()->clearSelection();
  Answer({"", ""});
  window->OnCommand(res::kCmdNewTopicLink);  // empty fields make an empty link at the top level
  EXPECT_EQ(" b a F(new link y x G())", Outline());

  Click("a");
  Answer({"A", "http://A/"});
  Key(Qt::Key_F2);
  Click("G");
  Answer({"Folder G"});
  Key(Qt::Key_F2);
  Click("y");
  Key(Qt::Key_Delete);
  EXPECT_EQ(" b A F(new link x Folder G())", Outline());
  ASSERT_TRUE(Item("A").isValid());
  EXPECT_EQ("http://A/", window->Items().NodeOf(Item("A"))->target) << "stored as typed";

  const std::string folderFile = window->Items().NodeOf(Item("F"))->target;
  Click("F");
  Key(Qt::Key_Delete);
  EXPECT_FALSE(std::filesystem::exists(folderFile));
  EXPECT_EQ(" b A", Reopened());
  EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(TopicsWindowTest, DropsFollowTheRulesThroughTheItemModel) {
  Open();
  EXPECT_TRUE(Drop("a", "F"));  // a link onto a folder: into it, at its top
  EXPECT_EQ("b F(a y x)", Outline());
  EXPECT_FALSE(Drop("y", "F")) << "onto its own folder";
  EXPECT_FALSE(Drop("F", "x")) << "a folder into itself";
  EXPECT_FALSE(Drop("F", "F"));
  EXPECT_EQ("b F(a y x)", Outline());
  EXPECT_TRUE(Drop("x", "b"));  // beside a link, shown directly below it
  EXPECT_EQ("b x F(a y)", Outline());

  // A drag from another process (or a node that has gone since) is never taken.
  QMimeData foreign;
  foreign.setData(TopicTree::kMimeType, "1 1");
  EXPECT_FALSE(window->Items().canDropMimeData(&foreign, Qt::MoveAction, -1, -1, Item("b")));
  std::unique_ptr<QMimeData> ours(window->Items().mimeData({Item("a")}));
  EXPECT_FALSE(window->Items().canDropMimeData(ours.get(), Qt::MoveAction, -1, -1, QModelIndex()))
      << "no row under the pointer";
  std::unique_ptr<QMimeData> gone(window->Items().mimeData({Item("a")}));
  topics.Delete(*window->Items().NodeOf(Item("a")));
  EXPECT_FALSE(window->Items().dropMimeData(gone.get(), Qt::MoveAction, -1, -1, Item("b")));
  EXPECT_EQ("b x F(y)", Reopened());
}

// The view takes a drag only where the rules allow the drop, drops it there, and scrolls while the
// pointer is near its bottom edge.
TEST_F(TopicsWindowTest, TheViewTakesAllowedDropsAndScrolls) {
  {
    TopicsModel::Batch batch(topics);
    for (int i = 0; i < 200; ++i) topics.NewLink(topics.Root(), 0, "link " + std::to_string(i), "http://l/");
  }
  Open();
  window->resize(300, 300);
  window->Tree()->scrollToTop();
  EXPECT_FALSE(DragOver("y", Centre("F")));
  EXPECT_TRUE(DragOver("a", Centre("F")));
  EXPECT_TRUE(DragOver("a", Centre("F"), true));
  EXPECT_EQ("b F(a y x) link 0", Outline().substr(0, 17));

  window->Tree()->scrollToTop();
  QScrollBar* bar = window->Tree()->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  std::unique_ptr<QMimeData> data(window->Items().mimeData({Item("b")}));
  const QPoint nearBottom(10, window->Tree()->viewport()->height() - 2);
  QDragEnterEvent enter(nearBottom, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window->Tree()->viewport(), &enter);
  QDragMoveEvent move(nearBottom, Qt::MoveAction, data.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window->Tree()->viewport(), &move);
  EXPECT_TRUE(WaitUntil([&] { return bar->value() > 3; }));
  QDragLeaveEvent leave;
  QApplication::sendEvent(window->Tree()->viewport(), &leave);
}

TEST_F(TopicsWindowTest, ImportsAndExportsBookmarkFiles) {
  Open();
  const std::string in = dir + "/in.html";
  std::ofstream(in) << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n"
                       "<DT><A HREF=\"http://one/?a=1&amp;b=2\">One &amp; only</A>\n"
                       "<DT><H3>Folder</H3>\n<DL><p>\n<DT><A HREF=\"http://two/\">Two</A>\n</DL><p>\n"
                       "</DL><p>\n";
  window->ImportFile(in);
  EXPECT_EQ("Imported 2 links and 1 folder.", Status());
  window->Tree()->expandAll();
  EXPECT_EQ("b a F(y x) One & only Folder(Two)", Outline());

  const std::string out = dir + "/out.html";
  window->ExportFile(out);
  EXPECT_EQ("Exported the Topics to " + out + ".", Status());
  std::stringstream text;
  text << std::ifstream(out).rdbuf();
  EXPECT_NE(std::string::npos, text.str().find("HREF=\"http://one/?a=1&amp;b=2\""));

  // Not a bookmark file: asked first, and No leaves the tree alone.
  const std::string plain = dir + "/plain.txt";
  std::ofstream(plain) << "hello\n<DL><p>\n<DT><A HREF=\"http://p/\">P</A>\n</DL>\n";
  messages.AnswerYes(false);
  window->ImportFile(plain);
  EXPECT_FALSE(Item("P").isValid());
  window->ImportFile(dir + "/missing.html");
  ASSERT_EQ(2u, messages.Shown().size());
  EXPECT_NE(std::string::npos, messages.Shown()[1].find("Could not open"));
  // A pipe with no writer is refused at once, not waited on.
  ASSERT_EQ(0, ::mkfifo((dir + "/pipe").c_str(), 0600));
  window->ImportFile(dir + "/pipe");
  ASSERT_EQ(3u, messages.Shown().size());
  EXPECT_EQ("Could not open " + dir + "/pipe: it is a pipe, not a file.", messages.Shown()[2]);
}

// Expanded folders stay so through an import and come back expanded in a new window (from the
// preferences); Edit and Delete need a selection; an empty tree says how to begin.
TEST_F(TopicsWindowTest, ExpandedFoldersSurviveAnImportAndAReopen) {
  Open();
  window->Tree()->collapseAll();
  window->Tree()->expand(Item("F"));
  window->Tree()->clearSelection();
  EXPECT_FALSE(window->MenuAction(res::kCmdEditTopic)->isEnabled());
  EXPECT_FALSE(window->MenuAction(res::kCmdDeleteTopic)->isEnabled());
  Click("y");
  EXPECT_TRUE(window->MenuAction(res::kCmdEditTopic)->isEnabled());
  const std::string in = dir + "/in.html";
  std::ofstream(in)
      << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n<DT><A HREF=\"http://one/\">One</A>\n</DL><p>\n";
  window->ImportFile(in);
  ASSERT_TRUE(Item("One").isValid());
  EXPECT_TRUE(window->Tree()->isExpanded(Item("F")));

  window.reset();
  window = std::make_unique<CTopicsDlg>(services);
  window->show();
  EXPECT_TRUE(window->Tree()->isExpanded(Item("F")));
  EXPECT_FALSE(window->EmptyHint()->isVisibleTo(window.get()));
  for (const char* name : {"F", "One", "a", "b"}) topics.Delete(*window->Items().NodeOf(Item(name)));
  EXPECT_TRUE(window->EmptyHint()->isVisibleTo(window.get()));
  EXPECT_TRUE(window->EmptyHint()->text().contains("Ctrl+T"));
}

// The program may end (and delete the window) while an import reads its file: nothing is added
// and nothing of the window is touched after it has gone.
TEST_F(TopicsWindowTest, TheWindowMayGoWhileAnImportReads) {
  Open();
  const std::string in = dir + "/big.html";
  {
    std::ofstream file(in);
    file << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<DL><p>\n";
    for (int i = 0; i < 5000; ++i)
      file << "<DT><A HREF=\"http://example.com/" << i << "\">Page " << i << "</A>\n";
    file << "</DL><p>\n";
  }
  QTimer::singleShot(0, [this] {
    tester.reset();
    window.reset();
  });
  CTopicsDlg* importing = window.get();
  importing->ImportFile(in);
  EXPECT_EQ(nullptr, window);
  EXPECT_EQ(3u, topics.Root().children->size());
}

// A whole drag with the pointer through the platform's drag: a drop the rules refuse ends refused
// (the window beeps), Escape ends it quietly, an allowed drop moves the node. The offscreen platform
// ends every drag at once, so this runs on a display only (QT_QPA_PLATFORM=xcb with DISPLAY set).
TEST_F(TopicsWindowTest, APointerDragEndsDroppedRefusedOrCancelled) {
  if (QGuiApplication::platformName() == "offscreen") GTEST_SKIP() << "the offscreen platform has no drag";
  Open();
  std::vector<bool> ended;
  QObject::connect(window->Tree(), &TopicTreeWidget::dragEnded,
                   [&](bool refused) { ended.push_back(refused); });
  QWindow* handle = window->windowHandle();
  auto at = [&](const std::string& name) {
    return window->Tree()->viewport()->mapTo(window.get(), Centre(name));
  };
  auto drag = [&](const std::string& from, const std::string& to, bool escape) {
    QTest::mousePress(handle, Qt::LeftButton, {}, at(from));
    QTimer::singleShot(50, [&, to, escape] {
      QTest::mouseMove(handle, at(to));
      QTest::mouseMove(handle, at(to) + QPoint(1, 0));
      if (escape) QTest::keyClick(handle, Qt::Key_Escape);
      QTimer::singleShot(escape ? 50 : 0,
                         [&, to] { QTest::mouseRelease(handle, Qt::LeftButton, {}, at(to)); });
    });
    for (int step = 1; step <= 4; ++step) QTest::mouseMove(handle, at(from) + QPoint(0, 4 * step));
  };
  drag("y", "F", false);
  drag("b", "a", true);
  QTest::qWait(100);
  drag("a", "F", false);
  EXPECT_EQ((std::vector<bool>{true, false, false}), ended);
  EXPECT_EQ("b F(a y x)", Outline());
}

// The item model, checked by Qt's tester with an expanded view over it, keeps the rows of every
// folder in display order through every kind of change, and an index held across a move follows
// its node.
TEST_F(TopicsWindowTest, TheItemModelFollowsEveryChange) {
  TopicTree items(topics);
  QAbstractItemModelTester checked(&items, QAbstractItemModelTester::FailureReportingMode::Fatal);
  QTreeView view;
  view.setModel(&items);
  view.expandAll();
  // The rows as the arrays say they should be: each folder's last first.
  std::function<std::string(const CTopic&)> expected = [&](const CTopic& folder) {
    std::string text;
    for (auto node = folder.children->rbegin(); node != folder.children->rend(); ++node) {
      text += (text.empty() ? "" : " ") + (*node)->name;
      if ((*node)->isFolder) text += "(" + expected(**node) + ")";
    }
    return text;
  };
  auto inStep = [&] { return Outline(items) == expected(topics.Root()); };
  const CTopic& root = topics.Root();
  const CTopic* folder = items.NodeOf(Find(items, "F"));
  ASSERT_TRUE(inStep()) << Outline(items);

  const CTopic* g = topics.NewFolder(*folder, 1, "G");
  topics.NewLink(*g, 0, "g1", "http://g1/");
  topics.Edit(*items.NodeOf(Find(items, "x")), "x2", "http://x2/");
  EXPECT_TRUE(inStep()) << Outline(items);
  const QPersistentModelIndex held = Find(items, "a");
  for (std::size_t index = 0; index < 4; ++index) topics.Move(*items.NodeOf(held), root, index);
  EXPECT_TRUE(inStep()) << Outline(items);
  topics.Move(*items.NodeOf(held), *g, 0);
  topics.Move(*g, root, 0);  // a folder with what it holds
  EXPECT_TRUE(inStep()) << Outline(items);
  EXPECT_EQ("a", held.data().toString().toStdString()) << "a held index follows its node";
  topics.Delete(*folder);
  EXPECT_TRUE(inStep()) << Outline(items);
  {
    TopicsModel::Batch batch(topics);
    topics.NewLink(root, 0, "batched", "http://b/");
  }
  {
    TopicsModel::Addition imported(topics);
    topics.NewFolder(root, 0, "imported");
    ASSERT_TRUE(imported.Commit());
  }
  {
    TopicsModel::Addition undone(topics);
    topics.NewLink(root, 0, "undone", "http://u/");
  }
  EXPECT_TRUE(inStep()) << Outline(items);
  topics.Reload();
  EXPECT_EQ("b G(g1 a) batched imported()", Outline(items)) << "the undone addition left nothing";
}

// What the update checker's worker sees of the tree, and when folders are written.
TEST_F(TopicsWindowTest, TheCheckerWritesFoldersButNeverDuringADrag) {
  TopicTree items(topics);
  QLabel status;
  QAction menuItem("check");
  bool dragging = true;
  TopicTreeCheckView view(items, topics, store, status, menuItem, [&] { return dragging; });

  const std::vector<ItemKey> top = view.Children(kTopLevel);
  ASSERT_EQ(3u, top.size());  // stored order: F, a, b
  ItemFacts facts;
  ASSERT_TRUE(view.Describe(top[0], facts));
  EXPECT_TRUE(facts.isFolder);
  const ItemKey x = view.Children(top[0])[0];
  ASSERT_TRUE(view.Describe(x, facts));
  EXPECT_EQ("http://x/", facts.url);

  clock.Advance(100);
  store.RecordVisit("http://x/", "x");
  view.ReconcileEntry(x);
  EXPECT_TRUE(view.StoreSize(x, 1234));
  const CTopic& folder = *items.NodeOf(top[0]);
  auto storedSize = [&] {
    TopicArray stored;
    files.LoadBranch(folder.target, stored);
    return stored.at(0)->size;
  };
  view.SaveTopic(top[0]);
  EXPECT_EQ(0u, storedSize()) << "held back during a drag";
  dragging = false;
  view.SaveHeld();
  EXPECT_EQ(1234u, storedSize());
  EXPECT_EQ(clock.Now(), items.NodeOf(x)->lastVisited);
  view.SetVerdict(x, Verdict::kUpdated, {"Its size went from 1 to 1234 bytes."});
  EXPECT_TRUE(items.IndexOf(items.NodeOf(x))
                  .data(Qt::ToolTipRole)
                  .toString()
                  .endsWith("Updated: Its size went from 1 to 1234 bytes."));
  EXPECT_FALSE(view.Describe(9999, facts));
}

TEST_F(TopicsWindowTest, ClosingWritesTopicsData) {
  Open();
  std::filesystem::remove(paths.topicsPath);
  window->OnCommand(res::kCmdClose);
  EXPECT_TRUE(std::filesystem::exists(paths.topicsPath));
}

// Watch for Changes on a folder takes every link below it; again, it stops watching them.
TEST_F(TopicsWindowTest, WatchForChangesOnAFolderTakesItsLinks) {
  Open();
  const QModelIndex folder = window->Items().index(2, 0);
  window->Tree()->setCurrentIndex(folder);
  window->OnCommand(res::kCmdWatchPages);
  EXPECT_TRUE(watched.IsWatched("http://x/"));
  EXPECT_TRUE(watched.IsWatched("http://y/"));
  EXPECT_FALSE(watched.IsWatched("http://a/"));
  window->OnCommand(res::kCmdWatchPages);
  EXPECT_TRUE(watched.Pages().empty());
}

}  // namespace
}  // namespace windowstest
