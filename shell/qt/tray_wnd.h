#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "browser/url_opener.h"
#include "browser/visit_recorder.h"
#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/message_boxes.h"
#include "platform/qt/menu_renderer.h"
#include "shell/command_dialogs.h"
#include "shell/menu_keys.h"
#include "shell/popup_menus.h"
#include "shell/tool_windows.h"

class NoTrayWindow;
class StatusNotifierItem;
class QScreen;

// The identifier of the tray icon (the icon carries it as its "iconId" property).
inline constexpr int kTrayIconId = 1006;
inline constexpr char kTrayTip[] = "Hopwise";
inline constexpr char kTraySuspendedTip[] = "Hopwise Suspended";
// The tip's second line: whether a browser is there to tell Hopwise what it shows.
inline constexpr char kBrowserConnectedTip[] = "Browser: connected";
inline constexpr char kBrowserNotRunningTip[] = "Browser: not running";

// The hidden main window: it owns the tray icon and the two popup menus, and dispatches every menu
// command. Pages chosen from the menus go to the browser through the UrlOpener it is given; the
// tool windows and the dialogs of the quick commands open through the ToolWindows and
// CommandDialogs it is given. It is never shown; the tray icon is the
// user's way in. Main thread only, except StartRegistrationTimer.
class CTrayWnd : public QObject, public RecordingSwitch {
  Q_OBJECT

 public:
  enum class PopupKind { Main, Quick };

  // Loads the link menus and icons; CreateTrayWindow does the rest. screen is for tests; by
  // default the primary screen and the style's menu line are used.
  CTrayWnd(CPrefs& prefs, PageMarkStore& store, TopicsModel& topics, UrlOpener& opener, Launcher& launcher,
           MessageBoxes& messages, ToolWindows& toolWindows, CommandDialogs& dialogs, const Clock& clock,
           const ScreenMetrics* screen = nullptr, QObject* parent = nullptr);
  ~CTrayWnd() override;
  CTrayWnd(const CTrayWnd&) = delete;
  CTrayWnd& operator=(const CTrayWnd&) = delete;

  // Puts the icon (tip "Hopwise") into the tray.
  void CreateTrayWindow();
  // Builds the menus from the store and the Topics; until then a click on the icon shows nothing.
  void BuildMenus();
  // Pops the main (bar item 0) or the quick menu (bar item 1) up at a point of the screen.
  void ShowMenuAt(PopupKind which, const QPoint& screenPoint);
  // Another start of Hopwise asked this one to show itself: the PageMarks window, ready for typing
  // in its filter, when the icon is in a tray; the window that stands in for the icon otherwise.
  void ShowYourself();
  // Switches recording off (suspended icon, tip "Hopwise Suspended", item "Activate Hopwise") or
  // back on.
  void ToggleSuspend();
  // Whether the browser answers on the link; shown in the tip's second line.
  void SetBrowserConnected(bool connected);
  // Shutdown, in the order the application runs it: the registration timer stops, the Site
  // submenus go (the menus stop following the store), the tray icon goes.
  void StopRegistrationTimer();
  void DestroySiteMenus();
  void RemoveTrayIcon();

  // The message map: a command chosen from a menu. Numbers without a fixed handler go to the
  // popup menus (PageMarks and Topic links).
  void OnCommand(uint32_t command);
  // The display changed: the menus are built again to fit the screen (once an open menu has
  // closed, so that it keeps its marks while it is shown).
  void OnDisplayChange();

  bool IsActive() const override { return active_ != 0; }

  PopupMenus& Menus() { return *menus_; }
  MenuRenderer& Renderer(PopupKind which) {
    return which == PopupKind::Main ? mainRenderer_ : quickRenderer_;
  }
  // The icon in an XEmbed tray (or waiting for one); null on a StatusNotifierItem host.
  QSystemTrayIcon* TrayIcon() const { return trayIcon_; }
  // Whether the icon went to a StatusNotifierItem host (decided when the icon is made, by whether
  // the session bus has one): the host draws the menu exported to it, and a left click on the
  // icon opens the PageMarks window.
  bool OnStatusNotifierHost() const { return sniHost_; }
  StatusNotifierItem* StatusItem() const { return sni_.get(); }
  // The menu exported to a StatusNotifierItem host: the main menu's items, a separator and the
  // quick menu as the submenu "Commands". Null elsewhere.
  QMenu* ExportedMenu() const;
  // The window that stands in for the icon on a desktop without a system tray (null otherwise).
  NoTrayWindow* NoTray() const { return noTray_; }
  const QIcon& NormalIcon() const { return normalIcon_; }
  const QIcon& SuspendedIcon() const { return suspendedIcon_; }
  // Menu resource 176: the six link submenus on their own.
  const std::shared_ptr<Menu>& LinkMenus() const { return linkMenus_; }
  // The command of the menu item last highlighted.
  uint32_t SelectedCommand() const { return selectedCommand_; }
  const MenuKeys& Keys() const { return *keys_; }
  // Where the help page is looked for; unset, beside the program (help_page.h).
  void SetHelpPage(std::string file) { helpPage_ = std::move(file); }

 public slots:
  // Timer 69: (re)starts a one-shot second after which "HOPWISE1" registers with the browser for
  // URL echoes. Safe to call from any thread; from another thread the start is queued to this one.
  void StartRegistrationTimer();

 signals:
  // Timer 69 ran out: time to register with the browser for URL echoes.
  void registrationDue();
  // "E&xit" was chosen. The application runs its shutdown in answer; it must not delete this
  // object from inside the connected slot (use deleteLater).
  void exitRequested();
  // The preferences changed (the dialog's OK, or a browser chosen with its "Change"): time to save
  // them.
  void preferencesChanged();

 private:
  void OnTrayActivated(QSystemTrayIcon::ActivationReason reason);
  QString TipText() const;
  void ShowNoTrayWindow();
  void CreateStatusNotifierItem();
  void ExportMenus();
  // Icon and tip as active_ and the browser say, wherever the icon is.
  void ShowIconState(bool iconChanged);
  // A popup menu is only shown where it can be placed at the icon or the pointer: never on
  // Wayland, where a popup without a parent window becomes a window of its own.
  static bool CanPopUpMenus();
  void WatchScreen(QScreen* screen);
  // Fixed commands other than the ones above.
  bool DispatchFixedCommand(uint32_t command);

  // The handlers of the quick commands, the preferences, and the keys inside an open menu.
  void OnAbout();
  void OnPreferences();
  void OnShowTopicsWindow();
  void OnShowPageMarksWindow();
  void OnShowPageMarksForTyping();
  void OnShowSitesWindow();
  void OnLaunchBrowser();
  void OnOpenTypedUrl();
  void OnHelpTopics();
  void OnQuickSearch();
  void OnWhatsThis();
  void OnOpenLink(uint32_t command);
  void OpenHelpSection(const std::string& section);
  void OnMenuCharacter(int code, uint32_t highlightedCommand, const std::shared_ptr<Menu>& menu);
  void OnMenuLoopEnded();
  bool MenuOpen() const;
  void CloseMenus();

  CPrefs& prefs_;
  PageMarkStore& store_;
  TopicsModel& topics_;
  UrlOpener& opener_;
  Launcher& launcher_;
  MessageBoxes& messages_;
  ToolWindows& toolWindows_;
  CommandDialogs& dialogs_;
  const Clock& clock_;
  std::unique_ptr<ScreenMetrics> ownScreen_;
  std::unique_ptr<PopupMenus> menus_;
  std::unique_ptr<MenuKeys> keys_;
  MenuRenderer mainRenderer_;
  MenuRenderer quickRenderer_;
  QSystemTrayIcon* trayIcon_ = nullptr;
  std::unique_ptr<StatusNotifierItem> sni_;
  QPointer<QMenu> exportedMenu_;
  NoTrayWindow* noTray_ = nullptr;
  bool sniHost_ = false;
  int32_t active_ = 1;  // 0 while recording is suspended
  bool browserConnected_ = false;
  std::shared_ptr<Menu> linkMenus_;
  QIcon normalIcon_;
  QIcon suspendedIcon_;
  uint32_t selectedCommand_ = 0;
  QTimer registrationTimer_;
  QTimer displayChangeTimer_;  // one rebuild for a burst of screen signals
  bool rebuildWhenClosed_ = false;
  std::string helpPage_;
};
