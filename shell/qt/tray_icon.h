#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QPoint>
#include <QSystemTrayIcon>
#include <memory>

#include "platform/message_boxes.h"

class NoTrayWindow;
class StatusNotifierItem;

// The identifier of the tray icon (the icon carries it as its "iconId" property).
inline constexpr int kTrayIconId = 1006;
inline constexpr char kTrayTip[] = "Hopwise";
inline constexpr char kTraySuspendedTip[] = "Hopwise Suspended";
// The tip's second line: whether a browser is there to tell Hopwise what it shows.
inline constexpr char kBrowserConnectedTip[] = "Browser: connected";
inline constexpr char kBrowserNotRunningTip[] = "Browser: not running";
// The tip's line about changed watched pages: "1 watched page changed", "3 watched pages changed".
QString ChangedPagesText(int changed);

// Hopwise's presence on the desktop: the icon in an XEmbed tray, the StatusNotifierItem on a host
// that draws it, or the window that stands in for the icon where there is no tray. It owns the
// two icons and the tip (suspended or not, browser there or not), and tells its owner what the
// user asked of it; it shows no menu itself. The icon in an XEmbed tray is its child "trayIcon";
// the stand-in window is the top-level widget "noTrayWindow". Main thread only.
class TrayIcon : public QObject {
  Q_OBJECT

 public:
  // messages asks the close question of the window that stands in for the icon.
  explicit TrayIcon(MessageBoxes& messages, QObject* parent = nullptr);
  ~TrayIcon() override;
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Puts the icon (tip "Hopwise") where the desktop has room for it.
  void Create();
  // Whether the icon went to a StatusNotifierItem host (decided by Create, by whether the session
  // bus has one): the host draws the menu exported to it, and a left click on the icon asks for
  // the find window.
  bool OnStatusNotifierHost() const { return sniHost_; }
  // Hands the host its menu and, the first time, registers the item (a host reads the item's
  // "Menu" once, when the item registers). Only on a StatusNotifierItem host.
  void Export(QMenu* menu);
  // Whether a StatusNotifierItem is there to take the exported menu.
  bool TakesMenu() const { return sni_ != nullptr; }
  // Whether the icon shows in a tray or on a host; otherwise the stand-in window is brought back.
  bool ShowsIcon() const;
  void ShowNoTrayWindow();
  // The suspended icon and tip, or the normal ones.
  void SetSuspended(bool suspended);
  void SetBrowserConnected(bool connected);
  // How many watched pages changed that no notification told of: a badge on the icon with the
  // count and a line in the tip; 0 takes both away.
  void SetChangedBadge(int changed);
  int ChangedBadge() const { return changed_; }
  // The tip as it stands, every line of it.
  QString TipText() const;
  // Takes the icon (and the stand-in window) off the desktop.
  void Remove();

 signals:
  void mainMenuRequested(QPoint where);
  void quickMenuRequested(QPoint where);
  void findRequested();
  void exitRequested();

 private:
  void CreateStatusNotifierItem();
  void OnTrayActivated(QSystemTrayIcon::ActivationReason reason);
  // Icon and tip as the state says, wherever the icon is.
  void ShowState(bool iconChanged);
  // A popup menu is only shown where it can be placed at the icon or the pointer: never on
  // Wayland, where a popup without a parent window becomes a window of its own.
  static bool CanPopUpMenus();

  MessageBoxes& messages_;
  QSystemTrayIcon* trayIcon_ = nullptr;
  std::unique_ptr<StatusNotifierItem> sni_;
  NoTrayWindow* noTray_ = nullptr;
  bool sniHost_ = false;
  bool suspended_ = false;
  bool browserConnected_ = false;
  int changed_ = 0;
  QIcon normalIcon_;
  QIcon suspendedIcon_;
};
