#include "shell/qt/tray_wnd.h"

#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QThread>

#include "platform/qt/status_notifier_host.h"
#include "platform/qt/status_notifier_item.h"
#include "resources/icons.h"
#include "resources/menu_resources.h"
#include "resources/resource_ids.h"
#include "shell/qt/no_tray_window.h"
#include "shell/qt/qt_screen_metrics.h"

namespace {
constexpr int kRegistrationDelayMs = 1000;
constexpr char kCommandsTitle[] = "Commands";
constexpr char kCloseQuestion[] =
    "Exit Hopwise?\n\n"
    "Yes ends Hopwise. No keeps it running without this window, still recording the pages you "
    "visit; to get the window back, start Hopwise again.";
}  // namespace

CTrayWnd::CTrayWnd(CPrefs& prefs, PageMarkStore& store, TopicsModel& topics, UrlOpener& opener,
                   Launcher& launcher, MessageBoxes& messages, ToolWindows& toolWindows,
                   CommandDialogs& dialogs, const Clock& clock, const ScreenMetrics* screen, QObject* parent)
    : QObject(parent),
      prefs_(prefs),
      store_(store),
      topics_(topics),
      opener_(opener),
      launcher_(launcher),
      messages_(messages),
      toolWindows_(toolWindows),
      dialogs_(dialogs),
      clock_(clock),
      linkMenus_(LoadMenuResource(res::kMenuLinks)),
      normalIcon_(LoadIconResource(res::kIconActive)),
      suspendedIcon_(LoadIconResource(res::kIconSuspended)) {
  if (!screen) {
    ownScreen_ = std::make_unique<QtScreenMetrics>();
    screen = ownScreen_.get();
  }
  menus_ = std::make_unique<PopupMenus>(prefs_, store_, topics_, *screen, opener_);
  keys_ = std::make_unique<MenuKeys>(store_, *menus_, toolWindows_);

  registrationTimer_.setSingleShot(true);
  registrationTimer_.setInterval(kRegistrationDelayMs);
  connect(&registrationTimer_, &QTimer::timeout, this, &CTrayWnd::registrationDue);
  displayChangeTimer_.setSingleShot(true);
  displayChangeTimer_.setInterval(0);
  connect(&displayChangeTimer_, &QTimer::timeout, this, &CTrayWnd::OnDisplayChange);

  for (MenuRenderer* renderer : {&mainRenderer_, &quickRenderer_}) {
    connect(renderer, &MenuRenderer::highlighted, this,
            [this](quint32 command) { selectedCommand_ = command; });
    // Queued, as a posted command: the menu loop has ended (and its end been handled) before the
    // command runs, and the renderer is out of its own signal when the command closes the program.
    connect(
        renderer, &MenuRenderer::chosen, this, [this](quint32 command) { OnCommand(command); },
        Qt::QueuedConnection);
    connect(renderer, &MenuRenderer::keyTyped, this,
            [this](int code, quint32 command, std::shared_ptr<Menu> menu) {
              OnMenuCharacter(code, command, menu);
            });
    connect(renderer, &MenuRenderer::closed, this, &CTrayWnd::OnMenuLoopEnded);
  }
}

CTrayWnd::~CTrayWnd() {
  delete noTray_;
}

void CTrayWnd::CreateTrayWindow() {
  sniHost_ = StatusNotifierHostPresent();
  if (sniHost_) {
    CreateStatusNotifierItem();
  } else {
    trayIcon_ = new QSystemTrayIcon(normalIcon_, this);
    trayIcon_->setProperty("iconId", kTrayIconId);
    trayIcon_->setToolTip(TipText());
    connect(trayIcon_, &QSystemTrayIcon::activated, this, &CTrayWnd::OnTrayActivated);
    trayIcon_->show();  // without a tray the icon shows once one appears
    if (!QSystemTrayIcon::isSystemTrayAvailable()) ShowNoTrayWindow();
  }

  for (QScreen* screen : QGuiApplication::screens()) WatchScreen(screen);
  auto displayChanged = [this] { displayChangeTimer_.start(); };
  connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, displayChanged](QScreen* screen) {
    WatchScreen(screen);
    displayChanged();
  });
  connect(qGuiApp, &QGuiApplication::screenRemoved, this, displayChanged);
  connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, displayChanged);
}

// The host draws the icon and the menu exported to it; its left click (Activate) opens the
// PageMarks window, the quickest way to any page. A host that asks for a menu with ContextMenu
// (one that reads no DBusMenu) gets none: a popup of Hopwise's own may not be placed on Wayland.
void CTrayWnd::CreateStatusNotifierItem() {
  sni_ = std::make_unique<StatusNotifierItem>(QString::fromLatin1(kTrayTip));
  sni_->SetIcon(normalIcon_);
  sni_->SetToolTip(TipText());
  connect(sni_.get(), &StatusNotifierItem::activated, this, &CTrayWnd::OnShowPageMarksForTyping);
  for (MenuRenderer* renderer : {&mainRenderer_, &quickRenderer_}) renderer->SetExported(true);
}

// Closing the window asks whether to end Hopwise; a start of Hopwise brings it back.
void CTrayWnd::ShowNoTrayWindow() {
  if (noTray_) {
    noTray_->show();
    noTray_->raise();
    noTray_->activateWindow();
    return;
  }
  noTray_ = new NoTrayWindow;
  noTray_->SetCloseQuestion([this] { return messages_.YesNo(kCloseQuestion); });
  noTray_->setAttribute(Qt::WA_DeleteOnClose);
  connect(noTray_, &QObject::destroyed, this, [this] { noTray_ = nullptr; });
  connect(noTray_, &NoTrayWindow::mainMenuRequested, this,
          [this](QPoint at) { ShowMenuAt(PopupKind::Main, at); });
  connect(noTray_, &NoTrayWindow::quickMenuRequested, this,
          [this](QPoint at) { ShowMenuAt(PopupKind::Quick, at); });
  connect(noTray_, &NoTrayWindow::exitRequested, this, &CTrayWnd::exitRequested);
  noTray_->show();
}

void CTrayWnd::BuildMenus() {
  menus_->BuildMenus();
  mainRenderer_.SetModel(menus_->MainMenu());
  quickRenderer_.SetModel(menus_->QuickMenu());
  if (sniHost_) ExportMenus();
}

// One menu for the host, which has one menu per icon. The commands go into a submenu: the main
// menu alone is as long as the screen allows, and the pages are what the user comes for.
void CTrayWnd::ExportMenus() {
  QMenu* menu = mainRenderer_.Build();
  QMenu* commands = quickRenderer_.Build();
  if (!menu || !commands || !sni_) return;
  commands->setTitle(QString::fromLatin1(kCommandsTitle));
  auto* separator = new QAction(menu);
  separator->setSeparator(true);
  mainRenderer_.AppendAfterModel(separator);
  mainRenderer_.AppendAfterModel(commands->menuAction());
  sni_->SetMenu(menu);
  exportedMenu_ = menu;
  // Only now, with the menu: a host reads the item's "Menu" once, when the item registers. (The
  // bus is there, the host was found on it; a failure leaves Hopwise running without an icon.)
  if (sni_->ServiceName().isEmpty()) sni_->Register();
}

QMenu* CTrayWnd::ExportedMenu() const {
  return exportedMenu_;
}

bool CTrayWnd::CanPopUpMenus() {
  return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void CTrayWnd::ShowYourself() {
  if (sni_ || (trayIcon_ && QSystemTrayIcon::isSystemTrayAvailable()))
    OnShowPageMarksForTyping();
  else
    ShowNoTrayWindow();
}

void CTrayWnd::WatchScreen(QScreen* screen) {
  connect(screen, &QScreen::geometryChanged, this, [this] { displayChangeTimer_.start(); });
}

void CTrayWnd::OnTrayActivated(QSystemTrayIcon::ActivationReason reason) {
  if (!CanPopUpMenus()) return;
  if (reason == QSystemTrayIcon::Trigger)
    ShowMenuAt(PopupKind::Main, QCursor::pos());
  else if (reason == QSystemTrayIcon::Context)
    ShowMenuAt(PopupKind::Quick, QCursor::pos());
}

void CTrayWnd::ShowMenuAt(PopupKind which, const QPoint& screenPoint) {
  MenuRenderer& renderer = Renderer(which);
  if (renderer.Model() && !renderer.IsExported()) renderer.Popup(screenPoint);
}

void CTrayWnd::ToggleSuspend() {
  const bool suspend = active_ != 0;
  if (menus_->MenuBar())
    menus_->MenuBar()->Relabel(res::kCmdSuspend, suspend ? "Activate Hopwise" : "Suspend Hopwise");
  active_ = suspend ? 0 : 1;
  ShowIconState(true);
}

void CTrayWnd::SetBrowserConnected(bool connected) {
  if (connected == browserConnected_) return;
  browserConnected_ = connected;
  ShowIconState(false);
}

void CTrayWnd::ShowIconState(bool iconChanged) {
  const QIcon& icon = active_ != 0 ? normalIcon_ : suspendedIcon_;
  if (trayIcon_) {
    if (iconChanged) trayIcon_->setIcon(icon);
    trayIcon_->setToolTip(TipText());
  }
  if (sni_) {
    if (iconChanged) sni_->SetIcon(icon);
    sni_->SetToolTip(TipText());
  }
}

QString CTrayWnd::TipText() const {
  return QString::fromLatin1(active_ != 0 ? kTrayTip : kTraySuspendedTip) + '\n' +
         QString::fromLatin1(browserConnected_ ? kBrowserConnectedTip : kBrowserNotRunningTip);
}

void CTrayWnd::OnDisplayChange() {
  if (MenuOpen()) {
    rebuildWhenClosed_ = true;
    return;
  }
  menus_->RebuildMenus();
}

void CTrayWnd::StartRegistrationTimer() {
  if (QThread::currentThread() != thread()) {
    QMetaObject::invokeMethod(this, &CTrayWnd::StartRegistrationTimer, Qt::QueuedConnection);
    return;
  }
  registrationTimer_.start();
}

void CTrayWnd::StopRegistrationTimer() {
  registrationTimer_.stop();
}

void CTrayWnd::DestroySiteMenus() {
  menus_->DestroySiteMenus();
}

void CTrayWnd::RemoveTrayIcon() {
  delete noTray_;
  sni_.reset();
  if (!trayIcon_) return;
  trayIcon_->hide();
  delete trayIcon_;
  trayIcon_ = nullptr;
}
