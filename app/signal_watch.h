#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

// Catches SIGTERM, SIGHUP and SIGINT from the first moment: the handlers only write the signal's
// number into a self-pipe (the one safe thing a handler can do), so a signal that comes while
// Hopwise is still starting waits in the pipe instead of killing it.
void InstallTerminationHandlers();

// The read end of the handlers' self-pipe: readable from the moment a signal is caught until
// SignalWatch has taken it. Others may watch it (the transport gives up its waits while it is
// readable) but must not read it. -1 before InstallTerminationHandlers().
int TerminationFd();

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
