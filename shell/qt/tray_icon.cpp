#include "shell/qt/tray_icon.h"

#include <QCursor>
#include <QGuiApplication>

#include "platform/qt/status_notifier_host.h"
#include "platform/qt/status_notifier_item.h"
#include "resources/icons.h"
#include "resources/resource_ids.h"
#include "shell/qt/no_tray_window.h"
#include "shell/qt/tray_badge.h"

namespace {
constexpr char kCloseQuestion[] =
    "Exit Hopwise?\n\n"
    "Yes ends Hopwise. No keeps it running without this window, still recording the pages you "
    "visit; to get the window back, start Hopwise again.";
}  // namespace

TrayIcon::TrayIcon(MessageBoxes& messages, QObject* parent)
    : QObject(parent), messages_(messages), normalIcon_(LoadIconResource(res::kIconActive)) {}

TrayIcon::~TrayIcon() {
  delete noTray_;
}

void TrayIcon::Create() {
  sniHost_ = StatusNotifierHostPresent();
  if (sniHost_) {
    CreateStatusNotifierItem();
    return;
  }
  trayIcon_ = new QSystemTrayIcon(normalIcon_, this);
  trayIcon_->setObjectName(QStringLiteral("trayIcon"));
  trayIcon_->setProperty("iconId", kTrayIconId);
  trayIcon_->setToolTip(TipText());
  connect(trayIcon_, &QSystemTrayIcon::activated, this, &TrayIcon::OnTrayActivated);
  trayIcon_->show();  // without a tray the icon shows once one appears
  if (!QSystemTrayIcon::isSystemTrayAvailable()) ShowNoTrayWindow();
}

// The host draws the icon and the menu exported to it; its left click (Activate) asks for the
// find window, the quickest way to any page. A host that asks for a menu with ContextMenu
// (one that reads no DBusMenu) gets none: a popup of Hopwise's own may not be placed on Wayland.
void TrayIcon::CreateStatusNotifierItem() {
  sni_ = std::make_unique<StatusNotifierItem>(QString::fromLatin1(kTrayTip));
  sni_->SetIcon(normalIcon_);
  sni_->SetToolTip(TipText());
  connect(sni_.get(), &StatusNotifierItem::activated, this, &TrayIcon::findRequested);
}

void TrayIcon::Export(QMenu* menu) {
  if (!sni_) return;
  sni_->SetMenu(menu);
  // (The bus is there, the host was found on it; a failure leaves Hopwise running without an icon.)
  if (sni_->ServiceName().isEmpty()) sni_->Register();
}

bool TrayIcon::ShowsIcon() const {
  return sni_ || (trayIcon_ && QSystemTrayIcon::isSystemTrayAvailable());
}

// Closing the window asks whether to end Hopwise; a start of Hopwise brings it back.
void TrayIcon::ShowNoTrayWindow() {
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
  connect(noTray_, &NoTrayWindow::mainMenuRequested, this, &TrayIcon::mainMenuRequested);
  connect(noTray_, &NoTrayWindow::quickMenuRequested, this, &TrayIcon::quickMenuRequested);
  connect(noTray_, &NoTrayWindow::exitRequested, this, &TrayIcon::exitRequested);
  noTray_->show();
}

bool TrayIcon::CanPopUpMenus() {
  return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void TrayIcon::OnTrayActivated(QSystemTrayIcon::ActivationReason reason) {
  if (!CanPopUpMenus()) return;
  if (reason == QSystemTrayIcon::Trigger)
    emit mainMenuRequested(QCursor::pos());
  else if (reason == QSystemTrayIcon::Context)
    emit quickMenuRequested(QCursor::pos());
}

void TrayIcon::SetSuspended(bool suspended) {
  suspended_ = suspended;
  ShowState(true);
}

void TrayIcon::SetBrowserConnected(bool connected) {
  if (connected == browserConnected_) return;
  browserConnected_ = connected;
  ShowState(false);
}

void TrayIcon::SetChangedBadge(int changed) {
  changed = std::max(changed, 0);
  if (changed == changed_) return;
  changed_ = changed;
  ShowState(true);
}

void TrayIcon::ShowState(bool iconChanged) {
  // The suspended picture is drawn when first needed: nobody waits for it at start.
  if (suspended_ && suspendedIcon_.isNull()) suspendedIcon_ = LoadIconResource(res::kIconSuspended);
  const QIcon icon = WithBadge(suspended_ ? suspendedIcon_ : normalIcon_, changed_);
  if (trayIcon_) {
    if (iconChanged) trayIcon_->setIcon(icon);
    trayIcon_->setToolTip(TipText());
  }
  if (sni_) {
    if (iconChanged) sni_->SetIcon(icon);
    sni_->SetToolTip(TipText());
  }
}

QString TrayIcon::TipText() const {
  QString tip = QString::fromLatin1(suspended_ ? kTraySuspendedTip : kTrayTip) + '\n' +
                QString::fromLatin1(browserConnected_ ? kBrowserConnectedTip : kBrowserNotRunningTip);
  if (changed_ > 0) tip += '\n' + ChangedPagesText(changed_);
  return tip;
}

QString ChangedPagesText(int changed) {
  return changed == 1 ? QStringLiteral("1 watched page changed")
                      : QStringLiteral("%1 watched pages changed").arg(changed);
}

void TrayIcon::Remove() {
  delete noTray_;
  sni_.reset();
  if (!trayIcon_) return;
  trayIcon_->hide();
  delete trayIcon_;
  trayIcon_ = nullptr;
}
