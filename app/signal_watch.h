#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

// Catches SIGTERM, SIGHUP and SIGINT from the first moment: the handlers only write the signal's
// number into a self-pipe (the one safe thing a handler can do), so a signal that comes while
// Hopwise is still starting waits in the pipe instead of killing it.
void InstallTerminationHandlers();

// Turns what the handlers caught into a Qt signal on the main thread, once the event loop runs.
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
