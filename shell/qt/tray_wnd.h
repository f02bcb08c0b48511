#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "browser/url_opener.h"
#include "browser/visit_recorder.h"
#include "platform/launcher.h"
#include "platform/message_boxes.h"
#include "shell/command_dialogs.h"
#include "shell/qt/tray_commands.h"
#include "shell/qt/tray_dialog_commands.h"
#include "shell/qt/tray_icon.h"
#include "shell/qt/tray_menus.h"
#include "shell/tool_windows.h"

// The hidden main window: it holds the tray icon, the popup menus and the message map, and tells
// each what the others asked for. Pages chosen from the menus go to the browser through the
// UrlOpener it is given; the tool windows and the dialogs of the quick commands open through the
// ToolWindows and CommandDialogs it is given. It is never shown; the tray icon is the user's way
// in. Main thread only, except StartRegistrationTimer.
class CTrayWnd : public QObject, public RecordingSwitch {
  Q_OBJECT

 public:
  using PopupKind = TrayMenus::Kind;

  // CreateTrayWindow puts the icon out. screen is for tests; by default the primary screen and the
  // style's menu line are used.
  CTrayWnd(CPrefs& prefs, PageMarkStore& store, TopicsModel& topics, UrlOpener& opener, Launcher& launcher,
           MessageBoxes& messages, ToolWindows& toolWindows, CommandDialogs& dialogs,
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
  // "hopwise --find" asked for the find window.
  void ShowFindWindow() { toolWindows_.ShowFindWindow(); }
  // Switches recording off (suspended icon, tip "Hopwise Suspended", item "Activate Hopwise") or
  // back on.
  void ToggleSuspend();
  // Whether the browser answers on the link; shown in the tip's second line.
  void SetBrowserConnected(bool connected);
  // Changed watched pages that no notification told of: a badge on the icon and a tip line.
  void SetChangedBadge(int changed) { icon_.SetChangedBadge(changed); }
  const TrayIcon& Icon() const { return icon_; }
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

  // Whether the icon went to a StatusNotifierItem host (decided when the icon is made, by whether
  // the session bus has one): the host draws the menu exported to it, and a left click on the
  // icon opens the find window.
  bool OnStatusNotifierHost() const { return icon_.OnStatusNotifierHost(); }
  // Where the help page is looked for; unset, beside the program (help_page.h).
  void SetHelpPage(std::string file) { commands_.SetHelpPage(std::move(file)); }

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
  ToolWindows& toolWindows_;
  TrayMenus menus_;
  TrayIcon icon_;  // after the menus: the menu exported to a host is the main renderer's
  TrayDialogCommands dialogCommands_;
  TrayCommands commands_;
  int32_t active_ = 1;  // 0 while recording is suspended
  QTimer registrationTimer_;
};
