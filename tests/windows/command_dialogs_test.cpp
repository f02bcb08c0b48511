// The dialogs of the quick commands as the tray opens them: the preferences dialog with its
// checks and its effect on the menus and the store, Open URL, Quick Search and the About box.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/autostart_entry.h"
#include "resources/resource_ids.h"
#include "shell/qt/tray_wnd.h"
#include "windows/about_dlg.h"
#include "windows/command_dialog_set.h"
#include "windows/page_mark_count_box.h"
#include "windows/preferences_dlg.h"
#include "windows/text_dialogs.h"
#include "windows/tool_window_set.h"
#include "windows_fixture.h"

namespace windowstest {
namespace {

class RecordingLauncher : public Launcher {
 public:
  bool Launch(const std::string& program, const std::string& argument,
              const std::string& directory) override {
    launches.push_back(program + "|" + argument + "|" + directory);
    return true;
  }
  std::vector<std::string> launches;
};

class CommandDialogsTest : public WindowsFixture {
 protected:
  void SetUp() override {
    WindowsFixture::SetUp();
    prefs.simpleSites = 1;
    prefs.browser = "firefox";
    prefs.browserPath = "/usr/bin";
    tray.BuildMenus();
    connect = QObject::connect(&tray, &CTrayWnd::preferencesChanged, [this] { ++saves; });
  }
  void TearDown() override {
    QObject::disconnect(connect);
    dialogs.CloseAll();
    WindowsFixture::TearDown();
  }
  CPreferencesDlg& Preferences() {
    tray.OnCommand(res::kCmdPreferences);
    auto* dialog = qobject_cast<CPreferencesDlg*>(dialogs.Dialog(CommandDialogSet::Which::kPreferences));
    EXPECT_NE(nullptr, dialog);
    return *dialog;
  }

  RecordingLauncher launcher;
  ToolWindowSet set{services};
  CommandDialogSet dialogs{prefs, messages};
  CTrayWnd tray{prefs, store, topics, opener, launcher, messages, set, dialogs};
  QMetaObject::Connection connect;
  int saves = 0;
};

TEST_F(CommandDialogsTest, PreferencesShowTheChoicesAndRefuseABadNumber) {
  CPreferencesDlg& dialog = Preferences();
  EXPECT_EQ(QStringLiteral("Hopwise Preferences"), dialog.windowTitle());
  EXPECT_EQ(QStringLiteral("1000"), dialog.Count()->text());
  EXPECT_TRUE(dialog.SitesButton()->isChecked());
  EXPECT_TRUE(dialog.SecurePagesBox()->isChecked());
  EXPECT_EQ(QStringLiteral("/usr/bin/firefox"), dialog.Browser()->text());
  EXPECT_EQ(QStringLiteral("DuckDuckGo"), dialog.SearchAddress()->currentText());
  EXPECT_EQ(QStringLiteral("https://duckduckgo.com/?q="), dialog.SearchAddress()->toolTip());
  EXPECT_EQ(-1, dialog.SearchAddress()->findText(QString::fromUtf8(kOldSearchService.name)));
  tray.OnCommand(res::kCmdPreferences);
  EXPECT_EQ(&dialog, dialogs.Dialog(CommandDialogSet::Which::kPreferences)) << "one at a time";

  dialog.Count()->stepBy(1);
  EXPECT_EQ(QStringLiteral("1001"), dialog.Count()->text());
  dialog.Count()->SetText("20000");
  dialog.Count()->stepBy(1);
  EXPECT_EQ(QStringLiteral("1500"), dialog.Count()->text()) << "the arrows stop where OK does";
  dialog.Count()->SetText("51");
  dialog.Count()->stepBy(-5);
  EXPECT_EQ(QStringLiteral("50"), dialog.Count()->text());

  for (const char* text : {"lots", "1501"}) {
    dialog.Count()->SetText(text);
    dialog.accept();
    EXPECT_TRUE(dialog.isVisible()) << text;
  }
  EXPECT_EQ(
      (std::vector<std::string>{"Please enter an integer.", "Please enter an integer between 50 and 1500."}),
      messages.Shown());
  EXPECT_EQ(0, saves);
  dialog.reject();
  EXPECT_EQ(1000, prefs.maxPageMarks);

  // A user who still has the old built-in service finds it by name and keeps it with OK.
  prefs.searchAddress = kOldSearchService.address;
  CPreferencesDlg& again = Preferences();
  EXPECT_EQ(QString::fromUtf8(kOldSearchService.name), again.SearchAddress()->currentText());
  again.accept();
  EXPECT_EQ(kOldSearchService.address, prefs.searchAddress);
}

TEST_F(CommandDialogsTest, OkAppliesEachChangeAndChangeKeepsTheBrowserEvenOnCancel) {
  for (int i = 0; i < 60; ++i) Visit("http://example.com/" + std::to_string(i), "p");
  CPreferencesDlg& dialog = Preferences();
  QString offered;
  dialog.SetProgramChooser([&offered](QWidget*, const QString& current) {
    offered = current;
    return QStringLiteral("/opt/run/run");
  });
  dialog.ChangeButton()->click();
  EXPECT_EQ("run", prefs.browser);
  EXPECT_EQ("/opt/run", prefs.browserPath);
  EXPECT_EQ(QStringLiteral("/opt/run/run"), dialog.Browser()->text());
  EXPECT_EQ(QStringLiteral("/usr/bin/firefox"), offered) << "the chooser opens on the current program";
  EXPECT_EQ(1, saves);

  dialog.Count()->SetText("50");
  dialog.TopicsButton()->setChecked(true);
  dialog.SecurePagesBox()->setChecked(false);
  dialog.SearchAddress()->setCurrentIndex(dialog.SearchAddress()->findText("Wikipedia"));
  EXPECT_EQ(QStringLiteral("https://en.wikipedia.org/w/index.php?search="),
            dialog.SearchAddress()->toolTip());
  dialog.accept();
  EXPECT_EQ(2, saves);
  EXPECT_EQ(50u, store.Count());
  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://example.com/9"));
  EXPECT_EQ(1, prefs.menuState);
  EXPECT_EQ("Sites", tray.findChild<TrayMenus*>(QStringLiteral("trayMenus"))->Model().MainMenu()->TextAt(12));
  EXPECT_EQ(0, prefs.checkSecurePages);
  EXPECT_EQ("https://en.wikipedia.org/w/index.php?search=", prefs.searchAddress);

  CPreferencesDlg& again = Preferences();
  again.SetProgramChooser([](QWidget*, const QString&) { return QStringLiteral("/usr/bin/chromium"); });
  again.ChangeButton()->click();
  again.PowerUserBox()->setChecked(true);
  again.reject();
  EXPECT_EQ("chromium", prefs.browser);
  EXPECT_EQ(0, prefs.powerUser);
}

TEST_F(CommandDialogsTest, OpenUrlQuickSearchAndAbout) {
  tray.OnCommand(res::kCmdOpenUrl);
  auto* open = qobject_cast<COpenUrlDlg*>(dialogs.Dialog(CommandDialogSet::Which::kOpenUrl));
  ASSERT_NE(nullptr, open);
  open->Edit(0)->setText("example.com/a b; rm -rf ~");
  open->accept();
  EXPECT_EQ((std::vector<std::string>{"example.com/a b; rm -rf ~"}), opener.opened) << "as a menu pick";
  EXPECT_EQ(std::vector<std::string>{}, launcher.launches);

  tray.OnCommand(res::kCmdQuickSearch);
  auto* search = qobject_cast<CQuickSearchDlg*>(dialogs.Dialog(CommandDialogSet::Which::kQuickSearch));
  ASSERT_NE(nullptr, search);
  search->Edit(0)->setText("new york times");
  search->accept();
  EXPECT_EQ(std::string(kDefaultSearchAddress) + "new+york+times", opener.opened.back());
  tray.OnCommand(res::kCmdQuickSearch);
  dialogs.Dialog(CommandDialogSet::Which::kQuickSearch)->reject();
  EXPECT_EQ(2u, opener.opened.size());

  tray.OnCommand(res::kCmdAbout);
  auto* about = qobject_cast<CAboutDlg*>(dialogs.Dialog(CommandDialogSet::Which::kAbout));
  ASSERT_NE(nullptr, about);
  EXPECT_EQ(QStringLiteral("Hopwise 1.2"), about->windowTitle());
  int pictures = 0;
  for (QLabel* label : about->findChildren<QLabel*>())
    if (!label->pixmap().isNull()) ++pictures;
  EXPECT_EQ(3, pictures);
}

}  // namespace
}  // namespace windowstest

namespace windowstest {
namespace {

// "Start Hopwise when I log in" works on the entry under $XDG_CONFIG_HOME/autostart.
class StartAtLogInTest : public CommandDialogsTest {
 protected:
  void SetUp() override {
    CommandDialogsTest::SetUp();
    config =
        QDir::temp().filePath(QStringLiteral("hopwise-login-%1").arg(QCoreApplication::applicationPid()));
    QDir(config).removeRecursively();
    qputenv("XDG_CONFIG_HOME", config.toUtf8());
    entry = config + "/autostart/hopwise.desktop";
  }
  void TearDown() override {
    QDir(config).removeRecursively();
    qunsetenv("XDG_CONFIG_HOME");
    CommandDialogsTest::TearDown();
  }
  QString config;
  QString entry;
};

TEST_F(StartAtLogInTest, OkWritesOrRemovesTheEntryAndAFailureKeepsTheDialogOpen) {
  CPreferencesDlg& dialog = Preferences();
  EXPECT_FALSE(dialog.StartAtLogInBox()->isChecked());
  dialog.StartAtLogInBox()->setChecked(true);
  dialog.accept();
  QFile written(entry);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  const std::string start = (QCoreApplication::applicationDirPath() + "/hopwise-start").toStdString();
  EXPECT_EQ(AutostartEntryText(start), written.readAll().toStdString());

  CPreferencesDlg& again = Preferences();
  EXPECT_TRUE(again.StartAtLogInBox()->isChecked());
  again.StartAtLogInBox()->setChecked(false);
  again.accept();
  EXPECT_FALSE(QFile::exists(entry));

  QDir(config).removeRecursively();
  QFile blocker(config);
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  CPreferencesDlg& failing = Preferences();
  failing.StartAtLogInBox()->setChecked(true);
  failing.accept();
  ASSERT_EQ(1u, messages.Shown().size());
  EXPECT_NE(std::string::npos, messages.Shown()[0].find(config.toStdString() + "/autostart"));
  EXPECT_TRUE(failing.isVisible());
  QFile::remove(config);
}

}  // namespace
}  // namespace windowstest
