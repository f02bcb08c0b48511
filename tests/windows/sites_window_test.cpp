// The Sites window on the offscreen platform: Sites and their PageMarks follow the store, the
// commands act on the selected item.
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScreen>
#include <QTreeView>

#include "resources/resource_ids.h"
#include "windows/quick_info_dlg.h"
#include "windows/shown_text.h"
#include "windows/site_tree_model.h"
#include "windows/sites_dlg.h"
#include "windows/window_placement.h"
#include "windows_fixture.h"

namespace windowstest {
namespace {

class SitesWindowTest : public WindowsFixture {
 protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    Visit("http://www.beta.org/1", "Beta one");
    Visit("http://gamma.net/", "Gamma");
    Visit("http://news.beta.org/2", "Beta two");
    window = std::make_unique<CSitesDlg>(services);
    window->show();
    window->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
  }
  void TearDown() override {
    window.reset();
    WindowsFixture::TearDown();
  }

  std::string Outline() const { return SiteOutline(*window->Tree()->model()); }
  QModelIndex Item(int site, int page = -1) const {
    const QModelIndex item = window->Tree()->model()->index(site, 0);
    return page < 0 ? item : item.model()->index(page, 0, item);
  }
  QRect Rect(const QModelIndex& index) const { return window->Tree()->visualRect(index); }
  std::string Status() const { return window->StatusText()->text().toStdString(); }

  std::unique_ptr<CSitesDlg> window;
};

TEST_F(SitesWindowTest, GroupsBySiteNewestFirstAndFollowsTheStore) {
  EXPECT_EQ("Hopwise Sites", window->windowTitle().toStdString());
  EXPECT_EQ(SitesPlacement(QGuiApplication::primaryScreen()->geometry()), window->geometry());
  EXPECT_EQ("beta.org (2): Beta two, Beta one | gamma.net (1): Gamma", Outline());

  Visit("http://delta.com/", "Delta");
  Visit("http://alpha.edu/", "Alpha");
  Visit("http://gamma.net/x", "Gamma x");
  EXPECT_EQ(
      "alpha.edu (1): Alpha | beta.org (2): Beta two, Beta one | delta.com (1): Delta | gamma.net (2): Gamma "
      "x, Gamma",
      Outline());

  store.EditPageMark(store.FindPageMarkByUrl("http://gamma.net/"), "Gamma home", "http://gamma.net/");
  store.EditPageMark(store.FindPageMarkByUrl("http://delta.com/"), "Delta", "http://alpha.edu/d");
  EXPECT_EQ(
      "alpha.edu (2): Delta, Alpha | beta.org (2): Beta two, Beta one | gamma.net (2): Gamma x, Gamma home",
      Outline());

  prefs.maxPageMarks = 5;
  Visit("http://zeta.org/", "Zeta");  // the oldest, "Beta one", is dropped
  EXPECT_EQ(
      "alpha.edu (2): Delta, Alpha | beta.org (1): Beta two | gamma.net (2): Gamma x, Gamma home | zeta.org "
      "(1): Zeta",
      Outline());
  store.DeletePageMark(store.FindPageMarkByUrl("http://news.beta.org/2"));
  EXPECT_EQ("alpha.edu (2): Delta, Alpha | gamma.net (2): Gamma x, Gamma home | zeta.org (1): Zeta",
            Outline());

  // A revisit takes its PageMark to the top of its Site, and the selection goes with it.
  window->Tree()->setCurrentIndex(Item(1, 1));
  Visit("http://gamma.net/", "Gamma home");
  EXPECT_EQ("alpha.edu (2): Delta, Alpha | gamma.net (2): Gamma home, Gamma x | zeta.org (1): Zeta",
            Outline());
  EXPECT_EQ(Item(1, 0), window->Tree()->currentIndex());
}

TEST_F(SitesWindowTest, SelectionShowsUrlOrKeyAndOnlyAPageMarkGetsAMenu) {
  EXPECT_EQ("3 PageMarks in 2 Sites", Status());
  window->Tree()->setCurrentIndex(Item(0));
  EXPECT_EQ("3 PageMarks in 2 Sites", Status());
  window->Tree()->setCurrentIndex(Item(0, 1));
  EXPECT_EQ("http://www.beta.org/1", Status());
  Visit("http://www.beta.org/Z%C3%BCrich", "");
  window->Tree()->setCurrentIndex(Item(0, 0));
  EXPECT_EQ("http://www.beta.org/Zürich", Status()) << "decoded for reading";
  EXPECT_EQ("http://www.beta.org/Zürich", Item(0, 0).data().toString().toStdString()) << "an empty title";
  window->Tree()->setCurrentIndex(Item(1));
  EXPECT_EQ("4 PageMarks in 2 Sites", Status());

  const QPoint site = Rect(Item(1)).center();
  emit window->Tree()->customContextMenuRequested(site);
  EXPECT_EQ(Item(1), window->Tree()->currentIndex());
  EXPECT_FALSE(window->ContextMenu()->isVisible());
  window->Tree()->expand(Item(1));
  emit window->Tree()->customContextMenuRequested(Rect(Item(1, 0)).center());
  EXPECT_TRUE(window->ContextMenu()->isVisible());
  EXPECT_EQ("Assign to topic", window->ContextMenu()->actions().at(1)->text().toStdString());
}

TEST_F(SitesWindowTest, DeleteTakesAPageMarkOrAWholeSiteAndAnEmptiedSiteGoes) {
  window->Tree()->setCurrentIndex(Item(1, 0));
  QTest::keyClick(window.get(), Qt::Key_Delete);
  EXPECT_EQ("beta.org (2): Beta two, Beta one", Outline());
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://gamma.net/"));

  window->Tree()->setCurrentIndex(Item(0));
  messages.AnswerYes(false);
  QTest::keyClick(window.get(), Qt::Key_Delete);
  EXPECT_EQ(2u, store.Count()) << "the user said No";
  messages.AnswerYes(true);
  QTest::keyClick(window.get(), Qt::Key_Delete);
  EXPECT_EQ("", Outline());
  EXPECT_EQ(0u, store.Count());
  EXPECT_EQ((std::vector<std::string>{"Forget the 2 pages of beta.org?", "Forget the 2 pages of beta.org?"}),
            messages.Shown());
}

TEST_F(SitesWindowTest, EditAssignAndOpenActOnAPageMarkOnly) {
  const auto enabled = [this](uint32_t command) { return window->MenuAction(command)->isEnabled(); };
  EXPECT_FALSE(enabled(32962) || enabled(32959) || enabled(32958)) << "nothing selected";
  window->Tree()->setCurrentIndex(Item(0));
  EXPECT_FALSE(enabled(32962) || enabled(32959));
  EXPECT_TRUE(enabled(32958));
  window->OnCommand(32962);  // a Site: no dialog
  QTest::keyClick(window.get(), Qt::Key_T, Qt::ControlModifier);
  EXPECT_TRUE(topics.Root().children->empty());

  window->Tree()->setCurrentIndex(Item(0, 1));
  WhenModal([](QWidget& dialog) {
    auto* info = qobject_cast<CQuickInfoDlg*>(&dialog);
    ASSERT_NE(nullptr, info);
    info->TitleEdit()->setText("Beta first");
    info->SendToTopics()->setChecked(true);
    info->accept();
  });
  QTest::keyClick(window.get(), Qt::Key_F2);
  EXPECT_EQ("beta.org (2): Beta two, Beta first | gamma.net (1): Gamma", Outline());
  ASSERT_EQ(1u, topics.Root().children->size());
  EXPECT_EQ("Beta first", topics.Root().children->back()->name);
  window->OnCommand(32959);
  EXPECT_EQ(2u, topics.Root().children->size());

  window->Tree()->expand(Item(1));
  const QPoint page = Rect(Item(1, 0)).center();
  QTest::mouseClick(window->Tree()->viewport(), Qt::LeftButton, {}, page);
  QTest::mouseDClick(window->Tree()->viewport(), Qt::LeftButton, {}, page);
  EXPECT_EQ(std::vector<std::string>{"http://gamma.net/"}, opener.opened);
}

// A watched PageMark shows what the scheduled checks found as its picture and in its tip.
TEST_F(SitesWindowTest, WatchForChangesOnAPageMark) {
  window->Tree()->expandAll();
  window->Tree()->setCurrentIndex(Item(0, 1));  // Beta one
  window->OnCommand(res::kCmdWatchPages);
  EXPECT_EQ("Watching 1 page for changes; checked every 6 hours.", Status());
  watched.TakeAnswers({{"http://www.beta.org/1", WatchFinding::kUnreachable, 0, false, 0, {}}}, clock.Now());
  const std::string tip = Item(0, 1).data(Qt::ToolTipRole).toString().toStdString();
  EXPECT_EQ("http://www.beta.org/1\nWatched: the server could not be reached\nLast checked " +
                FormatVisitTime(clock.Now()).toStdString(),
            tip);
  window->OnCommand(res::kCmdWatchPages);
  EXPECT_EQ("No longer watched.", Status());
  EXPECT_EQ("http://www.beta.org/1", Item(0, 1).data(Qt::ToolTipRole).toString().toStdString());
}

}  // namespace
}  // namespace windowstest
