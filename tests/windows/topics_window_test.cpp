// The Topics window on the offscreen platform: the tree follows the model in display order, the
// commands act on the selection, a drag through the real widget moves a node, and the File menu
// brings bookmark files in and out.
#include <sys/stat.h>

#include <QAction>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <fstream>
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
    window.reset();
    WindowsFixture::TearDown();
  }
  void Open() {
    window = std::make_unique<CTopicsDlg>(services);
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->Tree()->expandAll();
  }

  // The tree as shown, top to bottom: "b a F(y x)".
  std::string Outline(QTreeWidgetItem* parent) const {
    std::string text;
    for (int i = 0; i < parent->childCount(); ++i) {
      QTreeWidgetItem* item = parent->child(i);
      text += (i ? " " : "") + item->text(0).toStdString();
      if (window->Items().NodeOf(item)->isFolder) text += "(" + Outline(item) + ")";
    }
    return text;
  }
  std::string Outline() const { return Outline(window->Tree()->invisibleRootItem()); }
  // The tree as a new window shows it, read again from the files.
  std::string Reopened() {
    window.reset();
    topics.Reload();
    Open();
    return Outline();
  }
  static QTreeWidgetItem* Find(QTreeWidgetItem* parent, const std::string& name) {
    for (int i = 0; i < parent->childCount(); ++i) {
      if (parent->child(i)->text(0).toStdString() == name) return parent->child(i);
      if (QTreeWidgetItem* found = Find(parent->child(i), name)) return found;
    }
    return nullptr;
  }
  QTreeWidgetItem* Item(const std::string& name) const {
    return Find(window->Tree()->invisibleRootItem(), name);
  }
  QPoint Centre(const std::string& name) const { return window->Tree()->visualItemRect(Item(name)).center(); }
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
  void MoveWithButton(const QPoint& to) {
    QMouseEvent move(QEvent::MouseMove, to, window->Tree()->viewport()->mapToGlobal(to), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->Tree()->viewport(), &move);
  }
  void Drag(const std::string& from, const std::string& to) {
    QWidget* viewport = window->Tree()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, Centre(from));
    MoveWithButton(Centre(from) + QPoint(0, 3));
    MoveWithButton(Centre(from) + QPoint(0, 8));
    MoveWithButton(Centre(to));
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, Centre(to));
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
  ASSERT_NE(nullptr, Item("A"));
  EXPECT_EQ("http://A/", Item("A")->toolTip(0).toStdString());

  const std::string folderFile = window->Items().NodeOf(Item("F"))->target;
  Click("F");
  Key(Qt::Key_Delete);
  EXPECT_FALSE(std::filesystem::exists(folderFile));
  EXPECT_EQ(" b A", Reopened());
  EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(TopicsWindowTest, DragAndDropThroughTheWidget) {
  Open();
  Drag("a", "F");  // a link onto a folder: into it, at its top
  EXPECT_EQ("b F(a y x)", Outline());
  EXPECT_FALSE(window->Tree()->Dragging());
  Drag("y", "F");  // onto its own folder: refused
  Drag("F", "x");  // a folder into itself: refused
  EXPECT_EQ("b F(a y x)", Outline());
  Drag("x", "b");  // beside a link, shown directly below it
  EXPECT_EQ("b x F(a y)", Outline());

  // Escape gives the drag up.
  QTest::mousePress(window->Tree()->viewport(), Qt::LeftButton, {}, Centre("b"));
  MoveWithButton(Centre("b") + QPoint(0, 10));
  MoveWithButton(Centre("y"));
  EXPECT_TRUE(window->Tree()->Dragging());
  EXPECT_EQ(Item("y"), window->Tree()->DropTarget());
  QTest::keyClick(window->Tree(), Qt::Key_Escape);
  QTest::mouseRelease(window->Tree()->viewport(), Qt::LeftButton, {}, Centre("y"));
  EXPECT_EQ("b x F(a y)", Outline());
  EXPECT_EQ("b x F(a y)", Reopened());
}

TEST_F(TopicsWindowTest, TheTreeScrollsWhileThePointerIsBelowIt) {
  {
    TopicsModel::Batch batch(topics);
    for (int i = 0; i < 200; ++i) topics.NewLink(topics.Root(), 0, "link " + std::to_string(i), "http://l/");
  }
  Open();
  window->resize(300, 300);
  QScrollBar* bar = window->Tree()->verticalScrollBar();
  ASSERT_GT(bar->maximum(), 0);
  QTest::mousePress(window->Tree()->viewport(), Qt::LeftButton, {}, Centre("b"));
  MoveWithButton(Centre("b") + QPoint(0, 10));
  MoveWithButton(QPoint(10, window->Tree()->viewport()->height() + 20));
  EXPECT_TRUE(WaitUntil([&] { return bar->value() > 3; }));
  QTest::mouseRelease(window->Tree()->viewport(), Qt::LeftButton, {},
                      QPoint(10, window->Tree()->viewport()->height() + 20));
  EXPECT_FALSE(window->Tree()->Dragging());
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
  EXPECT_EQ(nullptr, Item("P"));
  window->ImportFile(dir + "/missing.html");
  ASSERT_EQ(2u, messages.Shown().size());
  EXPECT_NE(std::string::npos, messages.Shown()[1].find("Could not open"));
  // A pipe with no writer is refused at once, not waited on.
  ASSERT_EQ(0, ::mkfifo((dir + "/pipe").c_str(), 0600));
  window->ImportFile(dir + "/pipe");
  ASSERT_EQ(3u, messages.Shown().size());
  EXPECT_EQ("Could not open " + dir + "/pipe: it is a pipe, not a file.", messages.Shown()[2]);
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
  QTimer::singleShot(0, [this] { window.reset(); });
  CTopicsDlg* importing = window.get();
  importing->ImportFile(in);
  EXPECT_EQ(nullptr, window);
  EXPECT_EQ(3u, topics.Root().children->size());
}

// What the update checker's worker sees of the tree, and when folders are written.
TEST_F(TopicsWindowTest, TheCheckerWritesFoldersButNeverDuringADrag) {
  QTreeWidget tree;
  TopicTree items(tree, topics);
  items.Rebuild();
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
  view.SetVerdict(x, Verdict::kUpdated);
  EXPECT_FALSE(view.Describe(9999, facts));
}

TEST_F(TopicsWindowTest, ClosingWritesTopicsData) {
  Open();
  std::filesystem::remove(prefs.topicsPath);
  window->OnCommand(res::kCmdClose);
  EXPECT_TRUE(std::filesystem::exists(prefs.topicsPath));
}

}  // namespace
}  // namespace windowstest
