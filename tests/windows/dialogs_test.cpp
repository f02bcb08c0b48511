// The small dialogs on the offscreen platform: texts, the 255-character limit, the scope choice
// and the Quick Info dialog's edits.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include "windows/check_scope_dlg.h"
#include "windows/quick_info_dlg.h"
#include "windows/text_dialogs.h"
#include "windows_fixture.h"

namespace windowstest {
namespace {

using DialogsTest = WindowsFixture;

TEST_F(DialogsTest, TextDialogsTakeNoMoreThan255CharactersAndRefuseALongerPreset) {
  CNewPageMarkDlg created(messages);
  EXPECT_EQ("New PageMark", created.windowTitle().toStdString());
  QTest::keyClicks(created.Edit(0), QString(254, 'x'));
  QTest::keyClicks(created.Edit(0), "yz");
  EXPECT_EQ(std::string(254, 'x') + "y", created.Title());
  created.accept();
  EXPECT_EQ(QDialog::Accepted, created.result());
  EXPECT_EQ("", created.Url()) << "an empty field is a valid answer";

  const std::string longName(300, 'n');
  CEditTopicDlg edit(longName, messages);
  EXPECT_EQ(longName, edit.Name()) << "the preset is shown whole";
  edit.accept();
  EXPECT_EQ(std::vector<std::string>{"Please enter no more than 255 characters."}, messages.Shown());
  EXPECT_NE(QDialog::Accepted, edit.result());
  edit.Edit(0)->setText("short");
  edit.accept();
  EXPECT_EQ(QDialog::Accepted, edit.result());
  EXPECT_EQ("short", edit.Name());

  CEditPageMarkDlg link("Title", "http://x/", messages);
  EXPECT_EQ("http://x/", link.Url());
  EXPECT_EQ("Edit PageMark", link.windowTitle().toStdString());
  EXPECT_EQ("New Topic/Folder", CNewTopicDlg(messages).windowTitle().toStdString());
  EXPECT_EQ("Open URL...", COpenUrlDlg(messages).windowTitle().toStdString());
  EXPECT_EQ(kTextFieldLimit, CQuickSearchDlg(messages).Edit(0)->maxLength());
}

TEST_F(DialogsTest, ScopeDialogNamesItsSecondChoicePerWindowAndReportsTheChoice) {
  CCheckScopeDlg pageMarks, sites, topicsScope;
  sites.SetForSite();
  topicsScope.SetForTopic();
  EXPECT_EQ("Check all PageMarks in this window", pageMarks.AllChoice()->text().toStdString());
  EXPECT_EQ("Check selected PageMarks only", pageMarks.SelectedChoice()->text().toStdString());
  EXPECT_EQ("Check Selected Site Only", sites.SelectedChoice()->text().toStdString());
  EXPECT_EQ("Check Selected Topic Only", topicsScope.SelectedChoice()->text().toStdString());
  EXPECT_EQ(-1, pageMarks.Scope());
  pageMarks.accept();
  EXPECT_EQ(0, pageMarks.Scope());
  sites.SelectedChoice()->click();
  sites.accept();
  EXPECT_EQ(1, sites.Scope());
}

TEST_F(DialogsTest, QuickInfoStoresANewTitleButNotAnEmptyOneAndSendsToTopics) {
  const CPez& page = Visit("http://example.com/a", "Apple");
  {
    CQuickInfoDlg info(services, page, CQuickInfoDlg::Form::kModal);
    EXPECT_EQ("http://example.com/a", info.UrlEdit()->text().toStdString());
    EXPECT_FALSE(info.SendToTopics()->isChecked());
    info.TitleEdit()->setText("APPLE");
    info.accept();
  }
  EXPECT_EQ("APPLE", page.title) << "a change of letter case is a change";
  {
    CQuickInfoDlg info(services, page, CQuickInfoDlg::Form::kModal);
    info.TitleEdit()->clear();
    info.SendToTopics()->setChecked(true);
    info.accept();
  }
  EXPECT_EQ("APPLE", page.title);
  TopicArray written;
  ASSERT_EQ(LoadOutcome::Loaded, files.LoadBranch(paths.topicsPath, written));
  ASSERT_EQ(1u, written.size());
  EXPECT_EQ("APPLE", written.back()->name);
  EXPECT_EQ("http://example.com/a", written.back()->target);
}

TEST_F(DialogsTest, ModelessQuickInfoGoesOpensThePageAndClosesWhenItsPageMarkGoes) {
  const CPez& page = Visit("http://example.com/a", "Apple");
  QPointer<CQuickInfoDlg> info = new CQuickInfoDlg(services, page, CQuickInfoDlg::Form::kModeless);
  info->show();
  EXPECT_TRUE(info->GoButton()->isVisible());
  info->TitleEdit()->setText("Apple pie");
  info->GoButton()->click();
  EXPECT_EQ(std::vector<std::string>{"http://example.com/a"}, opener.opened);
  EXPECT_EQ("Apple pie", page.title);
  EXPECT_TRUE(WaitUntil([&] { return info.isNull(); }));

  info = new CQuickInfoDlg(services, page, CQuickInfoDlg::Form::kModeless);
  info->show();
  info->SendToTopics()->setChecked(true);
  store.DeletePageMark(&page);
  EXPECT_TRUE(WaitUntil([&] { return info.isNull(); }));
  EXPECT_TRUE(topics.Root().children->empty()) << "nothing is filed for a PageMark that is gone";
}

}  // namespace
}  // namespace windowstest
