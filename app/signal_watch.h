#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the main thread (through a self-pipe, the
// only safe way out of a signal handler).
class SignalWatch : public QObject {
  Q_OBJECT

 public:
  explicit SignalWatch(QObject* parent = nullptr);
  ~SignalWatch() override;

 signals:
  void terminationRequested(int signal);

 private:
  std::unique_ptr<QSocketNotifier> notifier_;
};
