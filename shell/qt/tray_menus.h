#pragma once

#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "platform/qt/menu_renderer.h"
#include "shell/menu_keys.h"
#include "shell/popup_menus.h"
#include "shell/tool_windows.h"

class QScreen;

// The two popup menus on screen: the menu model, the keys typed inside an open menu, the two
// renderers (children named "mainMenuRenderer" and "quickMenuRenderer"; this object is
// "trayMenus") and the rebuild when the display changes. It tells its owner the command chosen; the
// owner dispatches it. Main thread only.
class TrayMenus : public QObject {
  Q_OBJECT

 public:
  enum class Kind { Main, Quick };

  // screen is for tests; by default the primary screen and the style's menu line are used.
  TrayMenus(CPrefs& prefs, PageMarkStore& store, TopicsModel& topics, UrlOpener& opener,
            ToolWindows& toolWindows, const ScreenMetrics* screen = nullptr, QObject* parent = nullptr);
  ~TrayMenus() override;
  TrayMenus(const TrayMenus&) = delete;
  TrayMenus& operator=(const TrayMenus&) = delete;

  // Builds the menus from the store and the Topics; until then ShowAt shows nothing.
  void Build();
  // Pops the main (bar item 0) or the quick menu (bar item 1) up at a point of the screen; not
  // when the menus are exported to a host.
  void ShowAt(Kind which, const QPoint& screenPoint);
  // The menus go to a StatusNotifierItem host from now on: they stay built, and no popup shows.
  void SetExported();
  // One menu for the host, which has one menu per icon: the main menu's items, a separator and the
  // quick menu as the submenu "Commands" (the main menu alone is as long as the screen allows, and
  // the pages are what the user comes for). Null before Build.
  QMenu* BuildExported();
  // Follows the screens (those there now and those added): a change rebuilds the menus.
  void WatchScreens();
  // The display changed: the menus are built again to fit the screen (once an open menu has
  // closed, so that it keeps its marks while it is shown).
  void OnDisplayChange();

  PopupMenus& Model() { return menus_; }

 signals:
  // A command was chosen from a menu; sent once the menu loop has ended.
  void commandChosen(quint32 command);

 private:
  void WatchScreen(QScreen* screen);
  void OnMenuCharacter(int code, uint32_t highlightedCommand, const std::shared_ptr<Menu>& menu);
  void OnMenuLoopEnded();
  bool MenuOpen() const;
  void CloseMenus();

  std::unique_ptr<ScreenMetrics> ownScreen_;
  PopupMenus menus_;
  MenuKeys keys_;
  MenuRenderer mainRenderer_;
  MenuRenderer quickRenderer_;
  QTimer displayChangeTimer_;  // one rebuild for a burst of screen signals
  bool rebuildWhenClosed_ = false;
};
