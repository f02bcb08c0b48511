#include "browser/visit_recorder.h"

#include "browser/dde_object.h"
#include "store/page_mark_store.h"
#include "store/process_events.h"

VisitRecorder::VisitRecorder(CDDEObject& dde, PageMarkStore& store, ProcessEvents& events,
                             const RecordingSwitch& active)
    : dde_(dde), store_(store), events_(events), active_(active) {}

bool VisitRecorder::RecordVisit(uint32_t windowId, const std::string& /*url*/) {
  recorderIdle_ = 0;
  bool recorded = RecordWhenIdle(windowId);
  recorderIdle_ = 1;
  return recorded;
}

bool VisitRecorder::RecordWhenIdle(uint32_t windowId) {
  // The store is not touched while a background save writes it.
  if (events_.saveInProgress.Test()) events_.saveDone.Wait();
  if (!active_.IsActive()) return false;
  // Looked at, not consumed: once the application is closing, no later visit is recorded either.
  if (events_.closing.IsSet()) return false;
  WindowInfo info = dde_.GetWindowInfo(windowId);
  if (info.url.empty()) return false;
  return store_.RecordVisit(info.url, info.title);
}
