// The PageMarks window on the offscreen platform: its rows follow the store, its commands act on
// the selected rows.
#include <QComboBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTableView>

#include "resources/resource_ids.h"
#include "windows/page_mark_table_model.h"
#include "windows/page_marks_dlg.h"
#include "windows/quick_info_dlg.h"
#include "windows/window_placement.h"
#include "windows_fixture.h"

namespace windowstest {
namespace {

class PageMarksWindowTest : public WindowsFixture {
 protected:
  std::unique_ptr<CPageMarksDlg> Open() {
    auto window = std::make_unique<CPageMarksDlg>(services, flags);
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    return window;
  }
  static std::vector<std::string> Titles(const CPageMarksDlg& window) {
    std::vector<std::string> titles;
    const PageMarkTableModel& model = window.Model();
    for (int i = 0; i < model.rowCount(); ++i) titles.push_back(model.Rows().Shown(i).title.toStdString());
    return titles;
  }
  static std::string Status(const CPageMarksDlg& window) { return window.StatusText()->text().toStdString(); }
  static void Select(CPageMarksDlg& window, std::initializer_list<int> rows) {
    window.List()->clearSelection();
    for (int row : rows)
      window.List()->selectionModel()->select(window.Model().index(row, 0),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
  }
  void VisitThree() {
    Visit("http://b.example.org/", "banana");
    Visit("http://a.example.org/", "Apple");
    Visit("http://c.example.org/", "cherry");
  }

  PageMarkSortFlags flags;
};

TEST_F(PageMarksWindowTest, ListsNewestFirstPlacedOnTheScreenAndFollowsVisits) {
  VisitThree();
  prefs.columnWidths = {150, 0, 120, 99999};
  auto window = Open();
  EXPECT_EQ("Hopwise PageMarks", window->windowTitle().toStdString());
  EXPECT_EQ((std::vector<std::string>{"cherry", "Apple", "banana"}), Titles(*window));
  EXPECT_EQ("3 PageMarks", Status(*window));
  EXPECT_EQ(PageMarksPlacement(QGuiApplication::primaryScreen()->geometry()), window->geometry());
  QHeaderView& header = *window->List()->horizontalHeader();
  EXPECT_GT(header.sectionSize(1), 16) << "a width that hides a column is not taken";
  window->resize(1200, 400);
  EXPECT_TRUE(WaitUntil([&] { return header.length() == window->List()->viewport()->width(); }))
      << "the Title takes the spare width";
  EXPECT_GT(header.sectionSize(0), 300);

  Visit("http://d.example.org/", "date");
  EXPECT_EQ("date", Titles(*window).front());
  EXPECT_EQ("4 PageMarks", Status(*window));
  Visit("http://b.example.org/", "banana split");  // a revisit keeps its row where it is
  EXPECT_EQ((std::vector<std::string>{"date", "cherry", "Apple", "banana split"}), Titles(*window));

  prefs.maxPageMarks = 4;
  Visit("http://e.example.org/", "elder");  // the store drops its least recently visited
  EXPECT_EQ((std::vector<std::string>{"elder", "date", "cherry", "banana split"}), Titles(*window));
  EXPECT_EQ("4 PageMarks", Status(*window));

  window->List()->horizontalHeader()->resizeSection(2, 133);
  window.reset();
  EXPECT_EQ(133, prefs.columnWidths[2]) << "the widths are kept when the window goes";
}

TEST_F(PageMarksWindowTest, SortFlagsOutliveTheWindowAndTheFilterNarrowsTheRows) {
  VisitThree();
  auto window = Open();
  window->SortByColumn(kTitleColumn);
  EXPECT_EQ((std::vector<std::string>{"Apple", "banana", "cherry"}), Titles(*window));
  window->SortByColumn(kLastVisitedColumn);
  EXPECT_EQ((std::vector<std::string>{"cherry", "Apple", "banana"}), Titles(*window)) << "newest first";

  window = Open();
  EXPECT_EQ((std::vector<std::string>{"cherry", "Apple", "banana"}), Titles(*window))
      << "store order at first";
  emit window->List()->horizontalHeader()->sectionClicked(kTitleColumn);
  EXPECT_EQ((std::vector<std::string>{"cherry", "banana", "Apple"}), Titles(*window))
      << "the flag was already set";

  QTest::keyClicks(window->Filter(), "AN");
  EXPECT_EQ((std::vector<std::string>{"banana"}), Titles(*window));
  Visit("http://f.example.org/", "Mango");
  EXPECT_EQ((std::vector<std::string>{"Mango", "banana"}), Titles(*window));
  Visit("http://g.example.org/", "grape");
  EXPECT_EQ(2, window->Model().rowCount()) << "a row the filter keeps out waits";
  EXPECT_EQ("2 of 5 PageMarks", Status(*window));
  EXPECT_FALSE(window->EmptyHint()->isVisibleTo(window.get()));
  QTest::keyClicks(window->Filter(), "xyz");
  EXPECT_EQ("0 of 5 PageMarks", Status(*window));
  EXPECT_EQ(QStringLiteral("No PageMarks match \u201cANxyz\u201d."), window->EmptyHint()->text());
  EXPECT_TRUE(window->EmptyHint()->isVisibleTo(window.get()));
  window->Filter()->clear();
  EXPECT_EQ(5, window->Model().rowCount());
  EXPECT_EQ("5 PageMarks", Status(*window));
}

TEST_F(PageMarksWindowTest, DeleteEditAssignAndOpenActOnTheSelectedRows) {
  VisitThree();
  Visit("http://d.example.org/", "date");
  auto window = Open();
  Select(*window, {0, 1, 2});
  window->setFocus();
  QTest::keyClick(window.get(), Qt::Key_Delete);
  EXPECT_EQ((std::vector<std::string>{"banana"}), Titles(*window));
  EXPECT_EQ(1u, store.Count());
  EXPECT_EQ("1 PageMark", Status(*window));
  EXPECT_TRUE(window->List()->selectionModel()->isRowSelected(0, {})) << "the row below is selected";

  Visit("http://a.example.org/", "Apple");
  Select(*window, {0, 1});
  QTest::keyClick(window.get(), Qt::Key_T, Qt::ControlModifier);
  const TopicArray& top = *topics.Root().children;
  ASSERT_EQ(2u, top.size());
  EXPECT_EQ("Apple", top[0]->name);
  EXPECT_EQ("http://b.example.org/", top[1]->target);

  Select(*window, {1});
  WhenModal([](QWidget& dialog) {
    auto* info = qobject_cast<CQuickInfoDlg*>(&dialog);
    ASSERT_NE(nullptr, info);
    EXPECT_FALSE(info->GoButton()->isVisible());
    info->TitleEdit()->setText("Banana!");
    info->accept();
  });
  QTest::keyClick(window.get(), Qt::Key_F2);
  EXPECT_EQ((std::vector<std::string>{"Apple", "Banana!"}), Titles(*window));
  EXPECT_EQ("Banana!", store.FindPageMarkByUrl("http://b.example.org/")->title);

  const QRect cell = window->List()->visualRect(window->Model().index(1, 1));
  QTest::mouseClick(window->List()->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::mouseDClick(window->List()->viewport(), Qt::LeftButton, {}, cell.center());
  EXPECT_EQ(std::vector<std::string>{"http://b.example.org/"}, opener.opened);
}

TEST_F(PageMarksWindowTest, AContextMenuOnlyWithASelectionAndRowsGoWhenDeletedElsewhere) {
  VisitThree();
  auto window = Open();
  emit window->List()->customContextMenuRequested(QPoint(5, 5));
  EXPECT_FALSE(window->ContextMenu()->isVisible());
  Select(*window, {2});
  emit window->List()->customContextMenuRequested(QPoint(5, 5));
  EXPECT_TRUE(window->ContextMenu()->isVisible());
  window->ContextMenu()->actions().last()->trigger();  // "Delete"
  EXPECT_EQ(2u, store.Count());

  store.DeletePageMark(store.FindPageMarkByUrl("http://c.example.org/"));
  EXPECT_EQ((std::vector<std::string>{"Apple"}), Titles(*window));
  store.Load({});
  EXPECT_EQ(0, window->Model().rowCount());
  EXPECT_EQ("0 PageMarks", Status(*window));
}

// The context menu watches the selected pages; the box beside the filter narrows the list to the
// watched pages, or to those changed, which is where the notification's "Show" opens it.
TEST_F(PageMarksWindowTest, WatchForChangesAndTheWatchedFilter) {
  VisitThree();  // shown: cherry, Apple, banana
  auto window = Open();
  Select(*window, {0, 2});
  emit window->List()->customContextMenuRequested(QPoint(5, 5));
  QAction* watch = window->ContextMenu()->actions().at(2);
  EXPECT_EQ("Watch for Changes", watch->text().toStdString());
  watch->trigger();
  window->ContextMenu()->hide();
  EXPECT_EQ("Watching 2 pages for changes; checked every 6 hours.", Status(*window));
  EXPECT_TRUE(watched.IsWatched("http://c.example.org/"));
  emit window->List()->customContextMenuRequested(QPoint(5, 5));
  EXPECT_EQ("Stop Watching", watch->text().toStdString());
  window->ContextMenu()->hide();

  window->WatchFilterBox()->setCurrentIndex(1);
  EXPECT_EQ((std::vector<std::string>{"cherry", "banana"}), Titles(*window));
  watched.TakeAnswers({{"http://b.example.org/", WatchFinding::kChanged, clock.Now() + 5, false, 0, {}}},
                      clock.Now() + 10);
  const QModelIndex banana = window->Model().index(1, kTitleColumn);
  EXPECT_NE(std::string::npos,
            banana.data(Qt::ToolTipRole).toString().toStdString().find("Watched: changed on"));
  EXPECT_EQ(
      window->Model().index(0, kTitleColumn).data(Qt::ToolTipRole).toString().toStdString().find("changed"),
      std::string::npos);

  window->Filter()->setText("b");
  window->ShowChanged();
  EXPECT_TRUE(window->Filter()->text().isEmpty());
  EXPECT_EQ(std::vector<std::string>{"banana"}, Titles(*window));
  Select(*window, {0});
  window->List()->doubleClicked(window->Model().index(0, 0));  // opening it clears the mark here
  watched.PageOpened(opener.opened.back(), clock.Now());       // (the application's opener does this)
  EXPECT_TRUE(Titles(*window).empty());
  window->WatchFilterBox()->setCurrentIndex(0);
  EXPECT_EQ(3, window->Model().rowCount());
}

// The sort is kept in the preferences: a window opened after a restart (new flags) sorts so again,
// a new page goes where that sort puts it, and an empty title shows the URL, decoded.
TEST_F(PageMarksWindowTest, TheSortSurvivesARestartAndNewRowsKeepIt) {
  VisitThree();
  auto window = Open();
  const auto enabled = [&window](uint32_t command) { return window->MenuAction(command)->isEnabled(); };
  EXPECT_FALSE(enabled(res::kCmdEditPageMarks) || enabled(res::kCmdDeletePageMarks)) << "nothing selected";
  Select(*window, {0});
  EXPECT_TRUE(enabled(res::kCmdEditPageMarks) && enabled(res::kCmdAssignToTopics));
  window->SortByColumn(kTitleColumn);
  window->SortByColumn(kTitleColumn);  // Z to A
  QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
  EXPECT_FALSE(window->isVisible()) << "Ctrl+W closes";
  window.reset();

  flags = PageMarkSortFlags{};
  window = Open();
  EXPECT_EQ((std::vector<std::string>{"cherry", "banana", "Apple"}), Titles(*window));
  Visit("http://b.example.org/Z%C3%BCrich", "");
  Visit("http://d.example.org/", "Bilberry");
  EXPECT_EQ((std::vector<std::string>{"", "cherry", "Bilberry", "banana", "Apple"}), Titles(*window))
      << "a row without a title sorts by the URL it shows";
  const QModelIndex untitled = window->Model().index(0, kTitleColumn);
  EXPECT_EQ(QStringLiteral("http://b.example.org/Zürich"), untitled.data().toString());
  EXPECT_TRUE(untitled.data(Qt::ForegroundRole).isValid()) << "greyed";
  QTest::keyClick(window.get(), Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible()) << "Esc closes";
}

// The program may end while a window's dialog runs: the window and its dialog go, and the command
// returns without touching either.
TEST_F(PageMarksWindowTest, TheWindowMayGoWhileItsDialogRuns) {
  VisitThree();
  for (uint32_t command : {res::kCmdEditPageMarks, res::kCmdCheckForUpdates}) {
    auto* window = new CPageMarksDlg(services, flags);
    window->show();
    Select(*window, {0, 1});
    WhenModal([window](QWidget&) { delete window; });
    window->OnCommand(command);
  }
  EXPECT_EQ(3u, store.Count());
}

}  // namespace
}  // namespace windowstest
