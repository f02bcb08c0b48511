// Update checks run from the windows against web servers on 127.0.0.1: the scope dialog, the
// verdict pictures, the menu item and the close guard.
#include <QAction>
#include <QLabel>
#include <QRadioButton>
#include <QTableView>
#include <QTreeWidget>

#include "checker/check_texts.h"
#include "checker/test_servers.h"
#include "resources/icons.h"
#include "resources/resource_ids.h"
#include "windows/check_scope_dlg.h"
#include "windows/page_mark_table_model.h"
#include "windows/page_marks_dlg.h"
#include "windows/site_tree_model.h"
#include "windows/sites_dlg.h"
#include "windows/topic_tree.h"
#include "windows/topic_tree_widget.h"
#include "windows/topics_dlg.h"
#include "windows_fixture.h"

namespace windowstest {
namespace {

using checkertest::ClosedPort;
using checkertest::SilentServer;
using checkertest::TestServer;

QImage Pixels(const QIcon& icon) {
  return icon.pixmap(16, 16).toImage();
}

// Answers the scope dialog with its second choice (or the first), after checking its labels.
void ChooseScope(bool selectedOnly, const std::string& secondLabel) {
  WhenModal([=](QWidget& dialog) {
    auto* scope = qobject_cast<CCheckScopeDlg*>(&dialog);
    ASSERT_NE(nullptr, scope);
    EXPECT_EQ("Check for updates...", scope->windowTitle().toStdString());
    EXPECT_TRUE(scope->AllChoice()->isChecked());
    EXPECT_EQ(secondLabel, scope->SelectedChoice()->text().toStdString());
    scope->SelectedChoice()->setChecked(selectedOnly);
    scope->accept();
  });
}

class WindowCheckTest : public WindowsFixture {
 protected:
  // A page that changed n seconds after its visit (n > 0) or not since (n < 0).
  std::string Dated(const CPez& page, int n) {
    return server.Url("/dated/" + std::to_string(page.lastVisited + n));
  }
  const CPez& VisitDated(const std::string& title, int n) {
    const CPez& page = Visit(server.Url("/" + title), title);
    store.EditPageMark(&page, title, Dated(page, n));
    return page;
  }

  TestServer server;
};

TEST_F(WindowCheckTest, PageMarksRunShowsVerdictsThenAllDone) {
  const CPez& updated = VisitDated("updated", 5);
  const CPez& unchanged = VisitDated("unchanged", -50);
  const CPez& missing = Visit(server.Url("/missing"), "missing");
  const CPez& closed = Visit("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/", "closed");
  PageMarkSortFlags flags;
  CPageMarksDlg window(services, flags);
  window.show();
  QAction& item = *window.MenuAction(res::kCmdCheckForUpdates);
  EXPECT_EQ(kCheckMenuLabel, item.text().toStdString());

  ChooseScope(false, "Check selected PageMarks only");
  window.OnCommand(res::kCmdCheckForUpdates);
  EXPECT_EQ(kStopMenuLabel, item.text().toStdString());
  ASSERT_TRUE(WaitUntil([&] { return window.StatusText()->text() == kAllDoneStatus; }, 20000));
  EXPECT_EQ(kCheckMenuLabel, item.text().toStdString());
  const PageMarkRows& rows = window.Model().Rows();

  EXPECT_EQ(Verdict::kUpdated, rows.FindPage(&updated)->verdict);
  EXPECT_EQ(Verdict::kUnchanged, rows.FindPage(&unchanged)->verdict);
  EXPECT_EQ(Verdict::kBadStatus, rows.FindPage(&missing)->verdict);
  EXPECT_EQ(Verdict::kUnreachable, rows.FindPage(&closed)->verdict);
  // Each row's picture: Unchanged is the PageMark's own.
  auto shown = [&](const CPez& page) {
    const int row = window.Model().Rows().ShownPosition(rows.FindPage(&page)->key);
    return Pixels(window.Model().data(window.Model().index(row, 0), Qt::DecorationRole).value<QIcon>());
  };
  EXPECT_EQ(Pixels(LoadIconResource(res::kIconPageMark)), shown(unchanged));
  EXPECT_EQ(Pixels(LoadIconResource(res::kIconUpdated)), shown(updated));
  EXPECT_EQ(Pixels(LoadIconResource(res::kIconBadStatus)), shown(missing));
  EXPECT_EQ(Pixels(LoadIconResource(res::kIconUnreachable)), shown(closed));
  const auto tip = [&](const CPez& page) {
    const int row = window.Model().Rows().ShownPosition(rows.FindPage(&page)->key);
    return window.Model().index(row, 0).data(Qt::ToolTipRole).toString().toStdString();
  };
  EXPECT_EQ("missing\nError: The server answered 404 Not Found.", tip(missing));
  EXPECT_EQ(0u, tip(closed).find("closed\nUnreachable: The server could not be reached (")) << tip(closed);
  EXPECT_EQ("unchanged", tip(unchanged));

  // A new run takes the old marks away before it shows its own (here it checks nothing at all).
  ChooseScope(true, "Check selected PageMarks only");
  window.OnCommand(res::kCmdCheckForUpdates);
  ASSERT_TRUE(WaitUntil([&] { return window.StatusText()->text() == kAllDoneStatus; }, 20000));
  for (const CPez* page : {&updated, &missing, &closed})
    EXPECT_EQ(Verdict::kUnchanged, rows.FindPage(page)->verdict);
  EXPECT_EQ(Pixels(LoadIconResource(res::kIconPageMark)), shown(missing));
}

// The selected Topic only: its links take the store's visit times first, then show their verdicts.
TEST_F(WindowCheckTest, TopicsRunChecksTheSelectedTopic) {
  const CPez& page = VisitDated("updated", 5);
  const CTopic& root = topics.Root();
  const CTopic* folder = topics.NewFolder(root, 0, "F");
  topics.NewLink(*folder, 0, "updated", page.url);
  topics.NewLink(*folder, 1, "missing", server.Url("/missing"));
  topics.NewLink(root, 1, "outside", server.Url("/missing"));
  CTopicsDlg window(services);
  window.show();
  window.Tree()->setCurrentIndex(window.Items().IndexOf(folder));

  ChooseScope(true, "Check Selected Topic Only");
  window.OnCommand(res::kCmdCheckForUpdates);
  ASSERT_TRUE(WaitUntil([&] { return window.StatusText()->text() == kAllDoneStatus; }, 20000));
  auto shown = [&](const char* name) {
    const QModelIndexList found = window.Items().match(window.Items().index(0, 0), Qt::DisplayRole, name, 1,
                                                       Qt::MatchExactly | Qt::MatchRecursive);
    return Pixels(found.front().data(Qt::DecorationRole).value<QIcon>());
  };
  EXPECT_EQ(Pixels(LoadIconResource(res::kIconUpdated)), shown("updated"));
  EXPECT_EQ(Pixels(LoadIconResource(res::kIconBadStatus)), shown("missing"));
  EXPECT_EQ(Pixels(LoadIconResource(res::kIconPageMark)), shown("outside"));
  EXPECT_EQ(page.lastVisited, folder->children->front()->lastVisited);
}

TEST_F(WindowCheckTest, ClosingDuringARunIsRefusedUntilTheRunHasStopped) {
  SilentServer silent(false);
  Visit(silent.Url(), "silent");
  Visit("http://127.0.0.1:1/", "not selected");
  PageMarkSortFlags flags;
  auto* window = new CPageMarksDlg(services, flags);
  window->setAttribute(Qt::WA_DeleteOnClose);
  QPointer<CPageMarksDlg> alive(window);
  window->show();
  window->List()->selectRow(1);

  ChooseScope(true, "Check selected PageMarks only");
  window->OnCommand(res::kCmdCheckForUpdates);
  const QString checking = "Checking 1 of 1, " + QString::fromStdString(silent.Url());
  ASSERT_TRUE(WaitUntil([&] { return window->StatusText()->text() == checking; }));
  ASSERT_TRUE(silent.accepted.Wait(std::chrono::seconds(5)));
  EXPECT_FALSE(window->close());
  EXPECT_EQ(std::vector<std::string>{kCloseGuardMessage}, messages.Shown());
  EXPECT_TRUE(window->isVisible());

  window->OnCommand(res::kCmdCheckForUpdates);
  EXPECT_EQ(kCheckMenuLabel, window->MenuAction(res::kCmdCheckForUpdates)->text().toStdString());
  EXPECT_EQ(kStoppingStatus, window->StatusText()->text().toStdString());
  ASSERT_TRUE(WaitUntil([&] { return window->StatusText()->text() == kStoppedStatus; }));
  EXPECT_TRUE(window->close());
  EXPECT_TRUE(WaitUntil([&] { return alive.isNull(); }));
}

// The program's shutdown deletes a window whatever it is doing: its worker may be waiting on a
// call to the window or on a server; neither may hold the deletion up.
TEST_F(WindowCheckTest, DeletingAWindowDuringARunStopsItAtOnce) {
  SilentServer silent(false);
  Visit(silent.Url(), "silent");
  PageMarkSortFlags flags;
  for (bool waitForServer : {false, true}) {
    auto window = std::make_unique<CPageMarksDlg>(services, flags);
    ChooseScope(false, "Check selected PageMarks only");
    window->OnCommand(res::kCmdCheckForUpdates);
    ASSERT_TRUE(window->CheckRunning());
    if (waitForServer) {
      ASSERT_TRUE(WaitUntil([&] { return silent.accepted.Test(); }));
    }
    window.reset();  // a deletion that waited for the silent server would hang the test
  }
}

// With nothing selected the second choice checks every Site. A PageMark deleted while the run is
// under way is passed over: the window says it is gone. Rows go from the last visit to the first;
// a slow page holds the host's second place, so "later" is still waiting when "first" deletes it.
TEST_F(WindowCheckTest, SitesRunPassesOverAPageMarkDeletedDuringIt) {
  const CPez& later = VisitDated("later", 5);
  Visit(server.Url("/hold/2000"), "slow");
  const CPez& first = Visit(server.Url("/sized/300"), "first");
  struct DeleteOnSize : StoreListener {
    PageMarkStore* store;
    const CPez* trigger;
    const CPez* victim;
    void OnPageMarkChanged(const CPez& p, uint32_t what) override {
      if (&p == trigger && (what & kChangedSize) && victim)
        store->DeletePageMark(std::exchange(victim, nullptr));
    }
  } deleter;
  deleter.store = &store;
  deleter.trigger = &first;
  deleter.victim = &later;
  const std::string laterPath = later.url.substr(later.url.find("/dated/"));
  PageMarkStore::Subscription subscription = store.Subscribe(deleter);

  CSitesDlg window(services);
  window.show();
  ChooseScope(true, "Check Selected Site Only");
  window.OnCommand(res::kCmdCheckForUpdates);
  ASSERT_TRUE(WaitUntil([&] { return window.StatusText()->text() == kAllDoneStatus; }, 20000));
  subscription.Leave();
  EXPECT_EQ(300u, first.size);
  EXPECT_EQ(2, window.Tree()->model()->rowCount(window.Tree()->model()->index(0, 0)));
  for (const std::string& seen : server.Seen()) EXPECT_EQ(std::string::npos, seen.find(laterPath)) << seen;
}

}  // namespace
}  // namespace windowstest
