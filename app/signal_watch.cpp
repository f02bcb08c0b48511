#include "app/signal_watch.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

int pipeFds[2] = {-1, -1};

void OnSignal(int signal) {
  unsigned char code = static_cast<unsigned char>(signal);
  [[maybe_unused]] ssize_t n = write(pipeFds[1], &code, 1);
}

}  // namespace

void InstallTerminationHandlers() {
  if (pipeFds[0] >= 0 || pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
}

int TerminationFd() {
  return pipeFds[0];
}

SignalWatch::SignalWatch(QObject* parent) : QObject(parent) {
  InstallTerminationHandlers();
  if (pipeFds[0] < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    unsigned char code = 0;
    while (read(pipeFds[0], &code, 1) == 1) emit terminationRequested(code);
  });
}

SignalWatch::~SignalWatch() {
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) ::signal(signal, SIG_DFL);
  notifier_.reset();
  for (int& fd : pipeFds) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}
