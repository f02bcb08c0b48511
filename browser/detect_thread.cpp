#include "browser/detect_thread.h"

CDetectThread::CDetectThread(ProcessEvents& events, ProcessList& processes, Hooks hooks,
                             std::chrono::milliseconds tickPeriod)
    : events_(events), processes_(processes), hooks_(std::move(hooks)), tickPeriod_(tickPeriod) {}

CDetectThread::~CDetectThread() {
  Join();
}

void CDetectThread::Start() {
  thread_ = std::thread([this] { Run(); });
}

void CDetectThread::Join() {
  if (thread_.joinable()) thread_.join();
}

void CDetectThread::Tick() {
  const bool save = hooks_.takeCacheDirty && trigger_.TickStart(hooks_.takeCacheDirty);
  if (save && hooks_.startBackgroundSave) hooks_.startBackgroundSave();
  if (scan_.Scan(processes_) && hooks_.startRegistrationTimer) hooks_.startRegistrationTimer();
  trigger_.TickEnd();
}

// The quit event is looked at before every tick, so the thread ends within one period of it.
void CDetectThread::Run() {
  while (!events_.quit.Wait(tickPeriod_)) Tick();
  events_.detectionEnded.Set();
}
