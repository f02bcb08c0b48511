#include "browser/visit_recorder.h"

#include "browser/browser_link.h"
#include "store/page_mark_store.h"
#include "store/process_events.h"

VisitRecorder::VisitRecorder(BrowserLink& browser, PageMarkStore& store, ProcessEvents& events,
                             const RecordingSwitch& active)
    : browser_(browser), store_(store), events_(events), active_(active) {}

bool VisitRecorder::RecordVisit(uint32_t windowId, const std::string& /*url*/) {
  return Record(windowId, false);
}

bool VisitRecorder::RecordLateTitle(uint32_t windowId) {
  return Record(windowId, true);
}

bool VisitRecorder::Record(uint32_t windowId, bool titleOnly) {
  recorderIdle_ = 0;
  bool recorded = RecordWhenIdle(windowId, titleOnly);
  recorderIdle_ = 1;
  return recorded;
}

bool VisitRecorder::RecordWhenIdle(uint32_t windowId, bool titleOnly) {
  if (!active_.IsActive()) return false;
  // Looked at, not consumed: once the application is closing, no later visit is recorded either.
  if (events_.closing.IsSet()) return false;
  WindowInfo info = browser_.GetWindowInfo(windowId);
  if (info.url.empty()) return false;
  return titleOnly ? store_.RetitlePage(info.url, info.title) : store_.RecordVisit(info.url, info.title);
}
