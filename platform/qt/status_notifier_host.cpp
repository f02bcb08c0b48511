#include "platform/qt/status_notifier_host.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>

namespace {
constexpr int kAnswerMs = 2000;
}

bool StatusNotifierHostPresent() {
  const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()->isServiceRegistered(watcher)) return false;
  QDBusInterface host(watcher, QStringLiteral("/StatusNotifierWatcher"), watcher, bus);
  host.setTimeout(kAnswerMs);
  return host.isValid() && host.property("IsStatusNotifierHostRegistered").toBool();
}
