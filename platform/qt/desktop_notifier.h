#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

// Desktop notifications through org.freedesktop.Notifications on the session bus, with one action,
// "Show" (a click on the notification itself counts as "Show" too, where the server offers it).
// Hopwise has one notification at a time: a new one takes the place of the last. The server may
// read markup in the body, so the text is escaped. Main thread only.
class DesktopNotifier : public QObject {
  Q_OBJECT

 public:
  // On the session bus, or on bus (tests).
  explicit DesktopNotifier(QObject* parent = nullptr);
  DesktopNotifier(const QDBusConnection& bus, QObject* parent);

  // Asks the server to show summary and body; shown() tells later whether it did.
  void Notify(const QString& summary, const QString& body);

 signals:
  // The server took the notification (true), or there is none, or it refused (false).
  void shown(bool taken);
  // The user chose "Show" on Hopwise's notification.
  void showRequested();

 private slots:
  void OnActionInvoked(uint id, const QString& action);
  void OnClosed(uint id, uint reason);

 private:
  void Listen();

  QDBusConnection bus_;
  uint id_ = 0;  // the server's number of our notification on show; 0: none
};
