// The tray window on the offscreen platform: its icon, its menus on screen and its message map.
#include "shell/qt/tray_wnd.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "browser/browser_link.h"
#include "browser/browser_program.h"
#include "browser/transport_thread.h"
#include "platform/qt/process_launcher.h"
#include "resources/icons.h"
#include "resources/resource_ids.h"
#include "shell/qt/help_page.h"
#include "shell/qt/no_tray_window.h"
#include "shell/qt/qt_screen_metrics.h"
#include "shell_fixture.h"

namespace {

class LaunchRecorder : public Launcher {
 public:
  bool Launch(const std::string& program, const std::string& argument,
              const std::string& directory) override {
    launches.push_back(program + "|" + argument + "|" + directory);
    return true;
  }
  std::vector<std::string> launches;
};

// Records the windows the tray asks for.
class RecordingToolWindows : public ToolWindows {
 public:
  bool ShowToolWindow(ToolWindowKind kind) override {
    shown.push_back(kind);
    return true;
  }
  bool IsOpen(ToolWindowKind kind) const override { return false; }
  bool ShowQuickInfo(uint32_t pageMarkCommand, int screenX, int screenY) override { return false; }
  std::vector<ToolWindowKind> shown;
};

// Answers every dialog at once with what the test put in.
class AnsweringDialogs : public CommandDialogs {
 public:
  void AskUrl(TextAnswer onOk) override { Answer("url", onOk); }
  void AskSearchKeywords(TextAnswer onOk) override { Answer("search", onOk); }
  void ShowAbout() override { asked.push_back("about"); }
  void AskPreferences(std::function<void()> browserChosen,
                      std::function<void(const PreferenceChoices&)> onOk) override {
    asked.push_back("preferences");
    if (choices) onOk(*choices);
  }
  void Answer(const std::string& which, const TextAnswer& onOk) {
    asked.push_back(which);
    if (text) onOk(*text);
  }
  std::optional<std::string> text;
  std::optional<PreferenceChoices> choices;
  std::vector<std::string> asked;
};

// Serves events until done holds (a failure shows in the GoogleTest assertion that checks the result).
bool WaitFor(const std::function<bool()>& done, int timeoutMs = 3000) {
  for (QElapsedTimer timer; !done(); QTest::qWait(10)) {
    if (!timer.isValid()) timer.start();
    if (timer.elapsed() > timeoutMs) return false;
  }
  return true;
}

// The window that stands in for the icon, found by its name; null when there is none.
NoTrayWindow* NoTrayShown() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == QLatin1String("noTrayWindow")) return qobject_cast<NoTrayWindow*>(widget);
  return nullptr;
}

// Whether the icon shown is the icon resource (compared by its image).
bool ShowsIconResource(const QIcon& shown, int resource) {
  return shown.pixmap(32).toImage() == LoadIconResource(resource).pixmap(32).toImage();
}

QAction* ActionNamed(QMenu& menu, const QString& text) {
  for (QAction* action : menu.actions())
    if (action->text() == text) return action;
  return nullptr;
}

class TrayWndTest : public ShellFixture {
 protected:
  void SetUp() override {
    ShellFixture::SetUp();
    ASSERT_TRUE(link.Initialize());
    prefs.browser = "netscape.exe";
    prefs.browserPath = "/opt/netscape";
    browser = std::make_unique<BrowserLink>(link, prefs, launcher, messages);
    wnd = std::make_unique<CTrayWnd>(prefs, store, topics, *browser, launcher, messages, toolWindows, dialogs,
                                     &screen);
    QObject::connect(wnd.get(), &CTrayWnd::registrationDue, [this] { ++registrations; });
    wnd->CreateTrayWindow();
    wnd->BuildMenus();
  }
  void TearDown() override {
    wnd.reset();
    browser.reset();
    ShellFixture::TearDown();
  }

  QMenu& Shown(CTrayWnd::PopupKind which) { return *Renderer(which).Build(); }
  // The parts of the tray window, found by their names.
  MenuRenderer& Renderer(CTrayWnd::PopupKind which) const {
    const bool main = which == CTrayWnd::PopupKind::Main;
    return *wnd->findChild<MenuRenderer*>(main ? QStringLiteral("mainMenuRenderer")
                                               : QStringLiteral("quickMenuRenderer"));
  }
  PopupMenus& Menus() const { return wnd->findChild<TrayMenus*>(QStringLiteral("trayMenus"))->Model(); }
  QSystemTrayIcon* Icon() const { return wnd->findChild<QSystemTrayIcon*>(QStringLiteral("trayIcon")); }

  dde::Instance instance;
  DdeLink link{instance};
  LaunchRecorder launcher;
  RecordingToolWindows toolWindows;
  AnsweringDialogs dialogs;
  int registrations = 0;
  std::unique_ptr<BrowserLink> browser;
  std::unique_ptr<CTrayWnd> wnd;
};

TEST_F(TrayWndTest, CreatesTheIconAndShowsTheModelMenus) {
  EXPECT_EQ(QStringLiteral("Hopwise\nBrowser: not running"), Icon()->toolTip());
  wnd->SetBrowserConnected(true);
  EXPECT_EQ(QStringLiteral("Hopwise\nBrowser: connected"), Icon()->toolTip());
  EXPECT_TRUE(ShowsIconResource(Icon()->icon(), res::kIconActive));
  EXPECT_EQ("HOPWISE1", browser->EndpointName());
  EXPECT_TRUE(wnd->IsActive());

  Visit("http://example.com/fish", "Fish & Chips");
  QMenu& main = Shown(CTrayWnd::PopupKind::Main);
  EXPECT_EQ(static_cast<qsizetype>(Menus().MainMenu()->Count()), main.actions().size());
  QMenu* recent = main.actions().at(3)->menu();
  ASSERT_NE(nullptr, recent);
  EXPECT_EQ(QStringLiteral("Fish && Chips"), recent->actions().at(0)->text()) << "titles are shown literally";
  EXPECT_EQ(QStringLiteral("example.com"), main.actions().at(14)->text());
  EXPECT_EQ(QStringLiteral("E&xit"), Shown(CTrayWnd::PopupKind::Quick).actions().last()->text());
}

TEST_F(TrayWndTest, LeftClickPopsTheMainMenuRightClickTheQuickMenu) {
  MenuRenderer& main = Renderer(CTrayWnd::PopupKind::Main);
  MenuRenderer& quick = Renderer(CTrayWnd::PopupKind::Quick);
  emit Icon()->activated(QSystemTrayIcon::MiddleClick);
  EXPECT_FALSE(main.IsOpen() || quick.IsOpen());

  emit Icon()->activated(QSystemTrayIcon::Trigger);
  EXPECT_TRUE(main.IsOpen());
  EXPECT_FALSE(quick.IsOpen());
  main.Close();

  emit Icon()->activated(QSystemTrayIcon::Context);
  EXPECT_TRUE(quick.IsOpen());
  EXPECT_FALSE(main.IsOpen());
  quick.Close();
}

TEST_F(TrayWndTest, MeasuresTheRealScreenWithoutInjectedMetrics) {
  wnd.reset();
  CPrefs own;
  const DataPaths ownPaths = FormDataPaths(dir);
  PageMarkStore ownStore(own, clock);
  TopicsModel ownTopics(files, clock, ownPaths);
  CTrayWnd real(own, ownStore, ownTopics, *browser, launcher, messages, toolWindows, dialogs);
  real.CreateTrayWindow();
  real.BuildMenus();
  QtScreenMetrics metrics;
  ASSERT_GT(metrics.MenuItemHeight(), 0);
  EXPECT_EQ(std::max(QGuiApplication::primaryScreen()->geometry().height() / metrics.MenuItemHeight(), 16),
            real.findChild<TrayMenus*>(QStringLiteral("trayMenus"))->Model().Layout().menuRows);
}

TEST_F(TrayWndTest, SuspendAndActivateSwitchIconTipAndLabel) {
  QMenu& quick = Shown(CTrayWnd::PopupKind::Quick);
  wnd->OnCommand(res::kCmdSuspend);
  EXPECT_FALSE(wnd->IsActive());
  EXPECT_TRUE(ShowsIconResource(Icon()->icon(), res::kIconSuspended));
  EXPECT_EQ(QStringLiteral("Hopwise Suspended\nBrowser: not running"), Icon()->toolTip());
  EXPECT_NE(nullptr, ActionNamed(quick, QStringLiteral("Activate Hopwise")));

  screen.height = 600;
  wnd->OnDisplayChange();
  EXPECT_NE(nullptr, ActionNamed(quick, QStringLiteral("Activate Hopwise")))
      << "a rebuild keeps the state shown";

  wnd->OnCommand(res::kCmdSuspend);
  EXPECT_TRUE(wnd->IsActive());
  EXPECT_TRUE(ShowsIconResource(Icon()->icon(), res::kIconActive));
  EXPECT_EQ(QStringLiteral("Hopwise\nBrowser: not running"), Icon()->toolTip());
  EXPECT_NE(nullptr, ActionNamed(quick, QStringLiteral("Suspend Hopwise")));
}

TEST_F(TrayWndTest, ChosenPageMarkGoesToTheBrowser) {
  Visit("http://example.com/a", "A");
  QMenu* recent = Shown(CTrayWnd::PopupKind::Main).actions().at(3)->menu();
  recent->actions().at(0)->trigger();
  EXPECT_EQ(std::vector<std::string>{}, launcher.launches) << "the command is posted, not run in the menu";
  QCoreApplication::processEvents();
  // No browser answers here, so OpenUrl starts the browser program with the page.
  EXPECT_EQ(std::vector<std::string>{"netscape.exe|http://example.com/a|/opt/netscape"}, launcher.launches);

  wnd->OnCommand(5000);  // no such PageMark
  wnd->OnCommand(6034);  // no such Topic link
  EXPECT_EQ(1u, launcher.launches.size());

  browser->Close();
  wnd->OnCommand(1034);
  EXPECT_EQ(1u, launcher.launches.size());
}

// Every way text reaches the browser program goes through the guard: a PageMark's address and a
// Topic link chosen while no browser answers, and text typed into "Open URL...".
TEST_F(TrayWndTest, RefusedTextStartsTheBrowserProgramFromNoCommand) {
  const std::string attack = "--renderer-cmd-prefix=sh -c touch${IFS}/tmp/pwned";
  Visit(attack, "Read me");
  wnd->OnCommand(1034);
  topics.AppendTopLevelLink("Read me too", "\t-h");
  wnd->OnCommand(6034);
  dialogs.text = " --new-instance --profile /tmp/x";
  wnd->OnCommand(res::kCmdOpenUrl);
  EXPECT_EQ(std::vector<std::string>{}, launcher.launches);
  const auto shown = messages.Shown();
  ASSERT_EQ(3u, shown.size());
  EXPECT_NE(std::string::npos, shown[0].find(attack)) << shown[0];
  EXPECT_NE(std::string::npos, shown[2].find("would take it as one of its options")) << shown[2];

  dialogs.text = "";
  wnd->OnCommand(res::kCmdOpenUrl);
  EXPECT_EQ(std::vector<std::string>{"netscape.exe||/opt/netscape"}, launcher.launches);
}

// "Open URL..." asks the connected browser first, as a menu pick does; no second browser starts.
TEST_F(TrayWndTest, OpenUrlGoesToTheConnectedBrowser) {
  BrowserPeer::Hooks hooks;
  hooks.openUrl = [](const std::string&, uint32_t) { return 4u; };
  PeerThread peer(hooks);
  ASSERT_TRUE(peer.started);
  dialogs.text = "example.com/a b";
  wnd->OnCommand(res::kCmdOpenUrl);
  dialogs.text = "";
  wnd->OnCommand(res::kCmdOpenUrl);
  EXPECT_EQ((std::vector<std::string>{"WWW_OpenURL \"example.com/a b\",,4294967295,0,",
                                      "WWW_Activate 4294967295,0,", "WWW_Activate 4294967295,0,"}),
            peer.Transactions());
  EXPECT_EQ(std::vector<std::string>{}, launcher.launches);
}

TEST_F(TrayWndTest, AMissingHelpPageIsNamedInAMessage) {
  wnd->SetHelpPage(dir + "/gone/hopwise.html");
  wnd->OnCommand(res::kCmdHelpTopics);
  wnd->OnCommand(res::kCmdWhatsThis);
  EXPECT_EQ(std::vector<std::string>(
                2, "Hopwise cannot show its help: the help page " + dir + "/gone/hopwise.html is missing."),
            messages.Shown());
  EXPECT_EQ(std::vector<std::string>{}, launcher.launches);
}

TEST(HelpPageFile, InstalledProgramsAndBuildFoldersFindThePageUnderTheirPrefix) {
  EXPECT_EQ("/usr/share/hopwise/help/hopwise.html", HelpPageFileFor("/usr/libexec/hopwise"));
  EXPECT_EQ("/src/build/share/hopwise/help/hopwise.html", HelpPageFileFor("/src/build/bin"));
}

// A real program that logs its arguments, started the way Hopwise starts the browser: each
// address arrives whole as the one argument, and refused text starts nothing.
TEST_F(TrayWndTest, ARealProgramSeesOnlyTheAddressesLetThrough) {
  const std::string log = dir + "/argv.log";
  const std::string script = dir + "/browser.sh";
  std::ofstream(script)
      << "#!/bin/sh\n{ printf '%s' \"$#\"; for a; do printf ' [%s]' \"$a\"; done; echo; } >> '" << log
      << "'\n";
  std::filesystem::permissions(script, std::filesystem::perms::owner_all);
  prefs.browser = script;
  ProcessLauncher program;
  BrowserLink viaProgram(link, prefs, program, messages);
  viaProgram.OpenInBrowser("--renderer-cmd-prefix=sh -c touch${IFS}" + dir + "/pwned");
  viaProgram.OpenInBrowser("\n-h");
  viaProgram.OpenInBrowser("http://example.com/a b;$(id)");
  StartBrowserProgram(program, prefs, "");
  auto lines = [&] {
    std::vector<std::string> read;
    std::ifstream in(log);
    for (std::string line; std::getline(in, line);) read.push_back(line);
    std::sort(read.begin(), read.end());
    return read;
  };
  EXPECT_TRUE(WaitFor([&] { return lines().size() >= 2; }, 10000));
  EXPECT_EQ((std::vector<std::string>{"0", "1 [http://example.com/a b;$(id)]"}), lines());
  EXPECT_EQ(2u, messages.Shown().size());
}

TEST_F(TrayWndTest, QuickAccessCommandsAskForTheirWindows) {
  ActionNamed(Shown(CTrayWnd::PopupKind::Quick), QStringLiteral("Quick Access To &Sites\tCtrl-W"))->trigger();
  QCoreApplication::processEvents();
  wnd->OnCommand(res::kCmdMorePageMarks);
  wnd->OnCommand(res::kCmdEditTopics);
  EXPECT_EQ((std::vector<ToolWindowKind>{ToolWindowKind::kSites, ToolWindowKind::kPageMarks,
                                         ToolWindowKind::kTopics}),
            toolWindows.shown);
}

TEST_F(TrayWndTest, ExitAsksTheApplicationToShutDown) {
  QSignalSpy exits(wnd.get(), &CTrayWnd::exitRequested);
  ActionNamed(Shown(CTrayWnd::PopupKind::Quick), QStringLiteral("E&xit"))->trigger();
  QCoreApplication::processEvents();
  EXPECT_EQ(1, exits.count());
  wnd->RemoveTrayIcon();
  EXPECT_EQ(nullptr, Icon());
  wnd->ToggleSuspend();  // still safe without the icon
  EXPECT_FALSE(wnd->IsActive());
}

// The offscreen platform has no system tray: a window says so and offers the menus and Exit.
TEST_F(TrayWndTest, WithoutASystemTrayAWindowOffersTheMenusAndExit) {
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
  NoTrayWindow* window = NoTrayShown();
  ASSERT_NE(nullptr, window);
  EXPECT_TRUE(window->isVisible());
  auto button = [&](const QString& text) {
    for (QPushButton* b : window->findChildren<QPushButton*>())
      if (b->text() == text) return b;
    return static_cast<QPushButton*>(nullptr);
  };
  ASSERT_NE(nullptr, button("&Pages and Sites"));
  button("&Pages and Sites")->click();
  EXPECT_TRUE(Renderer(CTrayWnd::PopupKind::Main).IsOpen());
  Renderer(CTrayWnd::PopupKind::Main).Close();
  QSignalSpy exits(wnd.get(), &CTrayWnd::exitRequested);
  button("E&xit")->click();
  EXPECT_EQ(1, exits.count());

  // Closing asks; "No" keeps Hopwise running without the window, until a second start asks for it.
  messages.AnswerYes(false);
  window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(nullptr, NoTrayShown());
  EXPECT_EQ(1, exits.count());
  EXPECT_EQ(1u, messages.Shown().size());
  wnd->ShowYourself();
  ASSERT_NE(nullptr, NoTrayShown());
  EXPECT_TRUE(NoTrayShown()->isVisible());
  messages.AnswerYes(true);
  NoTrayShown()->close();
  EXPECT_EQ(2, exits.count()) << "\"Yes\" ends Hopwise";
}

TEST_F(TrayWndTest, ScreenChangeRebuildsTheMenus) {
  ASSERT_EQ(40, Menus().Layout().menuRows);
  screen.height = 950;
  QScreen* primary = QGuiApplication::primaryScreen();
  ASSERT_NE(nullptr, primary);
  emit primary->geometryChanged(primary->geometry());
  emit primary->geometryChanged(primary->geometry());
  EXPECT_TRUE(WaitFor([&] { return Menus().Layout().menuRows == 50; })) << Menus().Layout().menuRows;
}

TEST_F(TrayWndTest, RegistrationTimerFiresOnceASecondAfterTheLastStart) {
  auto* timer = wnd->findChild<QTimer*>(QStringLiteral("registrationTimer"));
  ASSERT_NE(nullptr, timer);
  std::thread detector([this] { wnd->StartRegistrationTimer(); });
  detector.join();
  EXPECT_FALSE(timer->isActive()) << "a start from another thread is carried out on the main thread";
  ASSERT_TRUE(WaitFor([&] { return timer->isActive(); }));
  EXPECT_EQ(1000, timer->interval());

  ASSERT_TRUE(WaitFor([&] { return timer->remainingTime() < 800; }));
  wnd->StartRegistrationTimer();
  EXPECT_GT(timer->remainingTime(), 800) << "a start while the timer runs begins the second anew";
  EXPECT_EQ(0, registrations);

  EXPECT_TRUE(WaitFor([&] { return registrations == 1; })) << registrations;
  EXPECT_FALSE(timer->isActive()) << "it fires once";
}

// With no browser answering, every command that opens a page starts the browser program with it.
TEST_F(TrayWndTest, HelpLinksAndLaunchReachTheBrowserProgram) {
  wnd->OnCommand(res::kCmdHelpTopics);
  wnd->OnCommand(res::kCmdWhatsThis);
  wnd->OnCommand(32919);
  wnd->OnCommand(32920);
  wnd->OnCommand(res::kCmdLaunchBrowser);
  ASSERT_EQ(5u, launcher.launches.size());
  EXPECT_EQ(0u, launcher.launches[0].find("netscape.exe|file:///"));
  EXPECT_NE(std::string::npos, launcher.launches[0].find("/hopwise.html#contents|/opt/netscape"));
  EXPECT_NE(std::string::npos, launcher.launches[1].find("/hopwise.html#whatthis|"));
  EXPECT_EQ(launcher.launches[2], launcher.launches[3]) << "the two WhoWhere entries share one address";
  EXPECT_EQ(0u, launcher.launches[2].find("netscape.exe|http"));
  EXPECT_EQ("netscape.exe||/opt/netscape", launcher.launches[4]);
}

// Keys typed into the open QMenu reach the menu keys: marks show in the QMenu at once, and the
// menu's end carries them out.
TEST_F(TrayWndTest, KeysInTheOpenMenuMarkPagesAndClosingCarriesThemOut) {
  Visit("http://example.com/a", "A");
  Visit("http://example.com/b", "B");
  wnd->ShowMenuAt(CTrayWnd::PopupKind::Main, QPoint(20, 20));
  QMenu& main = Shown(CTrayWnd::PopupKind::Main);
  QMenu* recent = main.actions().at(3)->menu();
  ASSERT_NE(nullptr, recent);
  recent->popup(QPoint(200, 20));
  QAction* b = recent->actions().at(0);
  QAction* a = recent->actions().at(1);

  recent->setActiveAction(a);
  QTest::keyClick(recent, Qt::Key_H, Qt::ControlModifier);
  EXPECT_FALSE(a->isEnabled());
  recent->setActiveAction(b);
  QTest::keyClick(recent, Qt::Key_T, Qt::ControlModifier);
  EXPECT_TRUE(b->isChecked());
  QTest::keyClick(recent, Qt::Key_W, Qt::ControlModifier);
  EXPECT_TRUE(WaitFor([&] { return !Renderer(CTrayWnd::PopupKind::Main).IsOpen(); }));

  EXPECT_EQ(nullptr, store.FindPageMarkByUrl("http://example.com/a"));
  ASSERT_EQ(1u, store.SendToTopicsList().size());
  EXPECT_EQ("http://example.com/b", store.SendToTopicsList().front()->url);
  EXPECT_EQ((std::vector<ToolWindowKind>{ToolWindowKind::kTopics, ToolWindowKind::kSites}),
            toolWindows.shown);
  EXPECT_EQ(false, Menus().RecentMenu()->IsChecked(store.SendToTopicsList().front()->commandId));
}

TEST_F(TrayWndTest, DialogCommandsActOnTheirAnswers) {
  dialogs.text = "http://example.com/?a=1&b=2 x";
  wnd->OnCommand(res::kCmdOpenUrl);
  ASSERT_EQ(1u, launcher.launches.size());
  EXPECT_EQ("netscape.exe|http://example.com/?a=1&b=2 x|/opt/netscape", launcher.launches[0]);

  prefs.searchAddress = "https://duckduckgo.com/?q=";
  dialogs.text = "c++ & c#";
  wnd->OnCommand(res::kCmdQuickSearch);
  ASSERT_EQ(2u, launcher.launches.size());
  EXPECT_EQ("netscape.exe|https://duckduckgo.com/?q=c%2B%2B+%26+c%23|/opt/netscape", launcher.launches[1]);

  QSignalSpy saves(wnd.get(), &CTrayWnd::preferencesChanged);
  dialogs.choices = ChoicesOf(prefs);
  dialogs.choices->powerUser = true;
  wnd->OnCommand(res::kCmdPreferences);
  EXPECT_EQ(1, prefs.powerUser);
  EXPECT_EQ("-", Labels(*Menus().MainMenu()).at(6)) << "the link menus are gone";
  EXPECT_EQ(1, saves.count());

  wnd->OnCommand(res::kCmdAbout);
  EXPECT_EQ((std::vector<std::string>{"url", "search", "preferences", "about"}), dialogs.asked);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
