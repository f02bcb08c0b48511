#include "shell/qt/tray_wnd.h"

#include <QThread>

#include "resources/resource_ids.h"

namespace {
constexpr int kRegistrationDelayMs = 1000;
}  // namespace

CTrayWnd::CTrayWnd(CPrefs& prefs, PageMarkStore& store, TopicsModel& topics, UrlOpener& opener,
                   Launcher& launcher, MessageBoxes& messages, ToolWindows& toolWindows,
                   CommandDialogs& dialogs, const ScreenMetrics* screen, QObject* parent)
    : QObject(parent),
      toolWindows_(toolWindows),
      menus_(prefs, store, topics, opener, toolWindows, screen, this),
      icon_(messages, this),
      dialogCommands_(dialogs, prefs, store, menus_.Model(), opener, this),
      commands_(prefs, opener, launcher, messages, toolWindows, dialogCommands_) {
  registrationTimer_.setParent(this);  // found by name, as the tests look at it
  registrationTimer_.setObjectName(QStringLiteral("registrationTimer"));
  registrationTimer_.setSingleShot(true);
  registrationTimer_.setInterval(kRegistrationDelayMs);
  connect(&registrationTimer_, &QTimer::timeout, this, &CTrayWnd::registrationDue);

  connect(&menus_, &TrayMenus::commandChosen, this, [this](quint32 command) { OnCommand(command); });
  connect(&icon_, &TrayIcon::mainMenuRequested, this, [this](QPoint at) { ShowMenuAt(PopupKind::Main, at); });
  connect(&icon_, &TrayIcon::quickMenuRequested, this,
          [this](QPoint at) { ShowMenuAt(PopupKind::Quick, at); });
  connect(&icon_, &TrayIcon::findRequested, this, [this] { toolWindows_.ShowFindWindow(); });
  connect(&icon_, &TrayIcon::exitRequested, this, &CTrayWnd::exitRequested);
  connect(&dialogCommands_, &TrayDialogCommands::preferencesChanged, this, &CTrayWnd::preferencesChanged);
}

CTrayWnd::~CTrayWnd() = default;

void CTrayWnd::CreateTrayWindow() {
  icon_.Create();
  if (icon_.OnStatusNotifierHost()) menus_.SetExported();
  menus_.WatchScreens();
}

void CTrayWnd::BuildMenus() {
  menus_.Build();
  if (!icon_.TakesMenu()) return;
  if (QMenu* menu = menus_.BuildExported()) icon_.Export(menu);
}

void CTrayWnd::ShowMenuAt(PopupKind which, const QPoint& screenPoint) {
  menus_.ShowAt(which, screenPoint);
}

void CTrayWnd::ShowYourself() {
  if (icon_.ShowsIcon())
    toolWindows_.ShowPageMarksForTyping();
  else
    icon_.ShowNoTrayWindow();
}

void CTrayWnd::ToggleSuspend() {
  const bool suspend = active_ != 0;
  if (menus_.Model().MenuBar())
    menus_.Model().MenuBar()->Relabel(res::kCmdSuspend, suspend ? "Activate Hopwise" : "Suspend Hopwise");
  active_ = suspend ? 0 : 1;
  icon_.SetSuspended(suspend);
}

void CTrayWnd::SetBrowserConnected(bool connected) {
  icon_.SetBrowserConnected(connected);
}

void CTrayWnd::OnCommand(uint32_t command) {
  switch (command) {
    case res::kCmdExit:
      emit exitRequested();
      return;
    case res::kCmdSuspend:
      ToggleSuspend();
      return;
    default:
      if (!commands_.Dispatch(command)) menus_.Model().DispatchDynamicCommand(command);
  }
}

void CTrayWnd::OnDisplayChange() {
  menus_.OnDisplayChange();
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
  menus_.Model().DestroySiteMenus();
}

void CTrayWnd::RemoveTrayIcon() {
  icon_.Remove();
}
