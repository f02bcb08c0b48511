#pragma once

#include <QIcon>
#include <QObject>
#include <QPoint>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "browser/dde_link.h"
#include "browser/dde_object.h"
#include "browser/visit_recorder.h"
#include "platform/clock.h"
#include "platform/launcher.h"
#include "platform/message_boxes.h"
#include "platform/qt/menu_renderer.h"
#include "shell/popup_menus.h"
#include "shell/url_opener.h"

class CPageMarksDlg;
class CQuickInfoDlg;
class CSitesDlg;
class CTopicsDlg;
class QScreen;

// The identifier of the tray icon (the icon carries it as its "iconId" property).
inline constexpr int kTrayIconId = 1006;
inline constexpr char kTrayTip[] = "Hopwise";
inline constexpr char kTraySuspendedTip[] = "Hopwise Suspended";

// The hidden main window: it owns the tray icon, the two popup menus, the endpoint to the browser
// and the references to the open tool windows, and it dispatches every menu command. It is never
// shown; the tray icon is the user's way in. Main thread only, except StartRegistrationTimer.
class CTrayWnd : public QObject, public RecordingSwitch, private UrlOpener {
  Q_OBJECT

 public:
  enum class PopupKind { Main, Quick };

  // Creates the endpoint "HOPWISE1" and loads the link menus and icons; CreateTrayWindow does the
  // rest. screen is for tests; by default the primary screen and the style's menu line are used.
  CTrayWnd(CPrefs& prefs, PageMarkStore& store, DataFiles& dataFiles, DdeLink& link, Launcher& launcher,
           MessageBoxes& messages, const Clock& clock, const ScreenMetrics* screen = nullptr,
           QObject* parent = nullptr);
  ~CTrayWnd() override;
  CTrayWnd(const CTrayWnd&) = delete;
  CTrayWnd& operator=(const CTrayWnd&) = delete;

  // Puts the icon (tip "Hopwise") into the tray and builds the menus, which loads cache.data.
  void CreateTrayWindow();
  // Pops the main (bar item 0) or the quick menu (bar item 1) up at a point of the screen.
  void ShowMenuAt(PopupKind which, const QPoint& screenPoint);
  // Switches recording off (suspended icon, tip "Hopwise Suspended", item "Activate Hopwise") or
  // back on.
  void ToggleSuspend();
  // Shutdown, in the order the application runs it: the endpoint goes, the Site submenus go, the
  // tray icon goes.
  void DeleteDde();
  void DestroySiteMenus();
  void RemoveTrayIcon();

  // The message map: a command chosen from a menu. Numbers without a fixed handler go to the
  // popup menus (PageMarks and Topic links).
  void OnCommand(uint32_t command);
  // The display changed: the menus are built again to fit the screen.
  void OnDisplayChange();

  bool IsActive() const override { return active != 0; }

  PopupMenus& Menus() { return *menus_; }
  MenuRenderer& Renderer(PopupKind which) { return which == PopupKind::Main ? mainRenderer_ : quickRenderer_; }
  QSystemTrayIcon* TrayIcon() const { return trayIcon_; }

  int32_t active = 1;
  CTopicsDlg* topicsWnd = nullptr;
  CSitesDlg* sitesWnd = nullptr;
  CPageMarksDlg* pageMarksWnd = nullptr;
  std::shared_ptr<Menu> linkMenus;  // menu resource 176: the six link submenus on their own
  QIcon normalIcon;
  QIcon suspendedIcon;
  CQuickInfoDlg* quickInfoWnd = nullptr;
  std::unique_ptr<CDDEObject> dde;
  uint32_t selectedCommand = 0;

 public slots:
  // Timer 69: (re)starts a one-shot second after which "HOPWISE1" registers with the browser for
  // URL echoes. Safe to call from any thread; from another thread the start is queued to this one.
  void StartRegistrationTimer();

 signals:
  // "E&xit" was chosen. The application runs its shutdown in answer; it must not delete this
  // object from inside the connected slot (use deleteLater).
  void exitRequested();

 private:
  void OpenInBrowser(const std::string& url) override;
  void OnTrayActivated(QSystemTrayIcon::ActivationReason reason);
  void OnRegistrationTimer();
  void WatchScreen(QScreen* screen);
  // Fixed commands other than the ones above.
  bool DispatchFixedCommand(uint32_t command);

  // The handlers of the quick commands, the preferences, and the keys inside an open menu. They
  // are in the message map already and act once their parts are in.
  void OnAbout();
  void OnPreferences();
  void OnShowTopicsWindow();
  void OnShowPageMarksWindow();
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

  CPrefs& prefs_;
  PageMarkStore& store_;
  DataFiles& dataFiles_;
  Launcher& launcher_;
  MessageBoxes& messages_;
  const Clock& clock_;
  std::unique_ptr<ScreenMetrics> ownScreen_;
  std::unique_ptr<PopupMenus> menus_;
  MenuRenderer mainRenderer_;
  MenuRenderer quickRenderer_;
  QSystemTrayIcon* trayIcon_ = nullptr;
  QTimer registrationTimer_;
  QTimer displayChangeTimer_;  // one rebuild for a burst of screen signals
};
