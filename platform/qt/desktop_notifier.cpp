#include "platform/qt/desktop_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kShowAction = QStringLiteral("show");
constexpr int kAnswerMs = 5000;

}  // namespace

DesktopNotifier::DesktopNotifier(QObject* parent) : DesktopNotifier(QDBusConnection::sessionBus(), parent) {}

DesktopNotifier::DesktopNotifier(const QDBusConnection& bus, QObject* parent) : QObject(parent), bus_(bus) {
  Listen();
}

// Signals from whichever process owns the name now; each carries the notification's number.
void DesktopNotifier::Listen() {
  if (!bus_.isConnected()) return;
  bus_.connect({}, kPath, kService, QStringLiteral("ActionInvoked"), this,
               SLOT(OnActionInvoked(uint, QString)));
  bus_.connect({}, kPath, kService, QStringLiteral("NotificationClosed"), this, SLOT(OnClosed(uint, uint)));
}

void DesktopNotifier::Notify(const QString& summary, const QString& body) {
  if (!bus_.isConnected()) {
    QMetaObject::invokeMethod(
        this, [this] { emit shown(false); }, Qt::QueuedConnection);
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
  const QStringList actions{QStringLiteral("default"), QStringLiteral("Show"), kShowAction,
                            QStringLiteral("Show")};
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("hopwise"));
  hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(1));
  call.setArguments(
      {QStringLiteral("Hopwise"), id_, QString(), summary, body.toHtmlEscaped(), actions, hints, -1});
  auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kAnswerMs), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answered) {
    answered->deleteLater();
    const QDBusPendingReply<uint> reply = *answered;
    if (reply.isValid()) id_ = reply.value();
    emit shown(reply.isValid());
  });
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
  if (id == 0 || id != id_) return;
  if (action == kShowAction || action == QLatin1String("default")) emit showRequested();
}

void DesktopNotifier::OnClosed(uint id, uint) {
  if (id == id_) id_ = 0;
}
