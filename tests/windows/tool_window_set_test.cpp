// The tool windows opened from the tray's quick commands: one of each kind at a time.
#include "windows/tool_window_set.h"

#include <QScreen>

#include "resources/resource_ids.h"
#include "shell/qt/tray_wnd.h"
#include "windows/command_dialog_set.h"
#include "windows/page_marks_dlg.h"
#include "windows/quick_info_dlg.h"
#include "windows/sites_dlg.h"
#include "windows/topics_dlg.h"
#include "windows_fixture.h"

namespace windowstest {
namespace {

class NoLauncher : public Launcher {
 public:
  bool Launch(const std::string&, const std::string&, const std::string&) override { return false; }
};

class ToolWindowSetTest : public WindowsFixture {
 protected:
  NoLauncher launcher;
  ToolWindowSet set{services};
  CommandDialogSet dialogs{prefs, messages};
  CTrayWnd tray{prefs, store, topics, opener, launcher, messages, set, dialogs};
};

TEST_F(ToolWindowSetTest, QuickCommandsOpenEachWindowOnceAndAClosedOneIsForgotten) {
  Visit("http://example.com/", "Example");
  tray.OnCommand(res::kCmdMorePageMarks);
  auto* pageMarks = qobject_cast<CPageMarksDlg*>(set.Window(ToolWindowKind::kPageMarks));
  ASSERT_NE(nullptr, pageMarks);
  EXPECT_TRUE(pageMarks->isVisible());
  tray.OnCommand(res::kCmdMoreSites);
  tray.OnCommand(res::kCmdMorePageMarks);
  EXPECT_EQ(pageMarks, set.Window(ToolWindowKind::kPageMarks)) << "a second request brings it forward";
  ASSERT_NE(nullptr, qobject_cast<CSitesDlg*>(set.Window(ToolWindowKind::kSites)));

  tray.OnCommand(res::kCmdEditTopics);
  ASSERT_NE(nullptr, qobject_cast<CTopicsDlg*>(set.Window(ToolWindowKind::kTopics)));
  store.MarkForTopics(store.FindPageMarkByUrl("http://example.com/"), true);
  tray.OnCommand(res::kCmdEditTopics);
  EXPECT_EQ(1u, topics.Root().children->size()) << "marked while open: taken when asked for again";

  QPointer<QWidget> closed(pageMarks);
  pageMarks->OnCommand(res::kCmdClose);
  EXPECT_TRUE(WaitUntil([&] { return !set.IsOpen(ToolWindowKind::kPageMarks); }));
  tray.OnCommand(res::kCmdMorePageMarks);
  EXPECT_TRUE(set.IsOpen(ToolWindowKind::kPageMarks));
  set.CloseAll();
  EXPECT_FALSE(set.IsOpen(ToolWindowKind::kSites));
  EXPECT_TRUE(closed.isNull()) << "a closed window still waiting for its deletion goes too";
}

TEST_F(ToolWindowSetTest, QuickInfoOpensAtAPointForAPageMarkThatExists) {
  const CPez& page = Visit("http://example.com/", "Example");
  EXPECT_FALSE(set.ShowQuickInfo(page.commandId + 1, 10, 10));
  ASSERT_TRUE(set.ShowQuickInfo(page.commandId, 40, 50));
  ASSERT_TRUE(set.ShowQuickInfo(page.commandId, 60, 70));
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  ASSERT_TRUE(set.ShowQuickInfo(page.commandId, screen.right() - 5, screen.bottom() - 5));
  int open = 0;
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* info = qobject_cast<CQuickInfoDlg*>(widget);
    if (!info) continue;
    ++open;
    EXPECT_TRUE(info->isVisible());
    EXPECT_TRUE(screen.contains(info->frameGeometry())) << "moved in from the corner";
    if (info->pos().x() < 100) {
      EXPECT_TRUE(info->pos() == QPoint(40, 50) || info->pos() == QPoint(60, 70));
    }
  }
  EXPECT_EQ(3, open);
}

}  // namespace
}  // namespace windowstest
