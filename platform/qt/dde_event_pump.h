#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <memory>

#include "platform/dde_instance.h"

// Lets the Qt main loop serve the transport: whenever the instance has work, Dispatch() runs on
// the main thread, which is where every transaction callback of Hopwise belongs.
class DdeEventPump : public QObject {
 public:
  explicit DdeEventPump(dde::Instance& instance, QObject* parent = nullptr);

 private:
  dde::Instance& instance_;
  std::unique_ptr<QSocketNotifier> notifier_;
};
