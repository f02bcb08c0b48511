// The find window on the offscreen platform, driven by keys as a user drives it.
#include "windows/find_window.h"

#include <QAbstractItemModelTester>
#include <QLabel>
#include <QLineEdit>
#include <QListView>

#include "windows/found_page_list.h"
#include "windows/quick_info_dlg.h"
#include "windows/tool_window_set.h"
#include "windows_fixture.h"

namespace windowstest {
namespace {

class FindWindowTest : public WindowsFixture {
 protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    Visit("https://kernel.example.org/releases", "Kernel releases");
    Visit("https://news.example.com/kernel-week", "Kernel week in review");
    Visit("https://food.example.net/creme", "Crème brûlée");
  }
  void Type(const QString& text) { QTest::keyClicks(window->Input(), text); }
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(window->Input(), key, modifiers);
  }
  std::string SelectedUrl() const { return window->Selected() ? window->Selected()->url : ""; }
  std::vector<std::string> Titles() const {
    std::vector<std::string> titles;
    for (int row = 0; row < window->Model()->rowCount(); ++row)
      titles.push_back(window->Model()->PageAt(row)->title);
    return titles;
  }

  ToolWindowSet set{services};
  PageFinder finder{store, topics, prefs};
  std::unique_ptr<FindWindow> window = std::make_unique<FindWindow>(services, finder, set, clock);
};

TEST_F(FindWindowTest, TypingArrowsAndEnterOpenTheChosenPageThroughTheOpener) {
  QAbstractItemModelTester tester(window->Model(), QAbstractItemModelTester::FailureReportingMode::Warning);
  window->ShowForSearch();
  ASSERT_TRUE(window->isVisible());
  EXPECT_EQ(window->Input(), window->focusWidget());
  EXPECT_EQ((std::vector<std::string>{"Crème brûlée", "Kernel week in review", "Kernel releases"}), Titles())
      << "nothing typed: the most recent pages";

  Type("KER");
  EXPECT_EQ((std::vector<std::string>{"Kernel week in review", "Kernel releases"}), Titles());
  EXPECT_EQ("2 pages", window->Status()->text().toStdString());
  EXPECT_EQ("https://news.example.com/kernel-week", SelectedUrl());
  Press(Qt::Key_Down);
  Press(Qt::Key_Down);  // stays on the last row
  EXPECT_EQ("https://kernel.example.org/releases", SelectedUrl());
  Press(Qt::Key_Up);
  Press(Qt::Key_Down);
  EXPECT_EQ(window->Input(), window->focusWidget()) << "the arrows leave the keyboard in the line";

  Press(Qt::Key_Return);
  EXPECT_EQ(std::vector<std::string>{"https://kernel.example.org/releases"}, opener.opened);
  EXPECT_FALSE(window->isVisible()) << "Enter closes the window";

  window->ShowForSearch();
  EXPECT_TRUE(window->Input()->text().isEmpty()) << "shown again: a new search";
  Type("creme zzz");
  EXPECT_EQ("No page found", window->Status()->text().toStdString());
  Press(Qt::Key_Return);
  EXPECT_EQ(1u, opener.opened.size()) << "nothing selected: nothing opens";
  Press(Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(1u, opener.opened.size());
}

TEST_F(FindWindowTest, KeysFileIntoTopicsOpenQuickInfoAndMoreCanBeAdded) {
  window->ShowForSearch();
  Type("brulee");
  Press(Qt::Key_T, Qt::ControlModifier);
  ASSERT_EQ(1u, topics.Root().children->size());
  EXPECT_EQ("https://food.example.net/creme", topics.Root().children->at(0)->target);
  EXPECT_TRUE(window->isVisible()) << "filing keeps the window open";

  Press(Qt::Key_Backspace);  // the Topic link is found too; the PageMark of that address stands for both
  ASSERT_EQ(1, window->Model()->rowCount());
  EXPECT_EQ(FoundPage::Source::kPageMark, window->Selected()->source);

  std::vector<std::string> taken;
  window->AddKey(Qt::ControlModifier | Qt::Key_W, [&](const FoundPage& page) {
    taken.push_back(page.url);
    return FindWindow::After::kStay;
  });
  Press(Qt::Key_W, Qt::ControlModifier);
  EXPECT_EQ(std::vector<std::string>{"https://food.example.net/creme"}, taken);

  Press(Qt::Key_Return, Qt::AltModifier);
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(opener.opened.empty()) << "Quick Info opens nothing in the browser";
  int infos = 0;
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* info = qobject_cast<CQuickInfoDlg*>(widget); info && info->isVisible()) {
      ++infos;
      EXPECT_EQ(QStringLiteral("Crème brûlée"), info->TitleEdit()->text());
    }
  EXPECT_EQ(1, infos);
}

TEST_F(FindWindowTest, ATopicLinkAloneHasNoQuickInfoAndIsNotFiledTwice) {
  topics.AppendTopLevelLink("Pasta recipes", "https://food.example.net/pasta");
  window->ShowForSearch();
  Type("pasta");
  ASSERT_EQ(1, window->Model()->rowCount());
  EXPECT_EQ("Topics", window->Selected()->where);
  Press(Qt::Key_T, Qt::ControlModifier);
  EXPECT_EQ(1u, topics.Root().children->size());
  EXPECT_EQ("Already in Topics: Topics", window->Status()->text().toStdString());
  Press(Qt::Key_Return, Qt::AltModifier);
  EXPECT_TRUE(window->isVisible());
  EXPECT_NE(std::string::npos, window->Status()->text().toStdString().find("Topic link only"));
}

// Ctrl+D is "Watch for Changes" on the selected page: a second press stops watching it, and a page
// that cannot be watched is refused with the reason. The window stays open throughout.
TEST_F(FindWindowTest, CtrlDWatchesTheSelectedPageOrStopsWatchingIt) {
  topics.AppendTopLevelLink("Mail the cook", "mailto:cook@food.example.net");
  window->ShowForSearch();
  Type("brulee");
  Press(Qt::Key_D, Qt::ControlModifier);
  EXPECT_TRUE(watched.IsWatched("https://food.example.net/creme"));
  EXPECT_EQ("Watching 1 page for changes; checked every 6 hours.", window->Status()->text().toStdString());
  Press(Qt::Key_D, Qt::ControlModifier);
  EXPECT_FALSE(watched.IsWatched("https://food.example.net/creme"));
  EXPECT_EQ("No longer watched.", window->Status()->text().toStdString());

  window->Input()->clear();
  Type("cook");
  ASSERT_EQ("mailto:cook@food.example.net", SelectedUrl());
  Press(Qt::Key_D, Qt::ControlModifier);
  EXPECT_FALSE(watched.IsWatched("mailto:cook@food.example.net"));
  EXPECT_EQ("Only http and https pages can be watched.", window->Status()->text().toStdString());
  EXPECT_TRUE(window->isVisible());
}

}  // namespace
}  // namespace windowstest
