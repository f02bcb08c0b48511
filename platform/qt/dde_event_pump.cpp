#include "platform/qt/dde_event_pump.h"

DdeEventPump::DdeEventPump(dde::Instance& instance, QObject* parent)
    : QObject(parent),
      instance_(instance),
      notifier_(std::make_unique<QSocketNotifier>(instance.EventFd(), QSocketNotifier::Read)) {
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { instance_.Dispatch(); });
}
