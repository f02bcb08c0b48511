#pragma once

#include <cstdint>
#include <string>

class BrowserLink;
class PageMarkStore;
struct ProcessEvents;

// Whether recording is on: false while the user has Hopwise suspended. The tray window answers it.
class RecordingSwitch {
 public:
  virtual ~RecordingSwitch() = default;
  virtual bool IsActive() const = 0;
};

// The front half of recording a visit: the gates in front of the store, and the browser's own
// account of the window's URL and title. The URL an echo carries is never recorded; what counts
// is what the browser reports for the window when asked.
class VisitRecorder {
 public:
  VisitRecorder(BrowserLink& browser, PageMarkStore& store, ProcessEvents& events,
                const RecordingSwitch& active);

  // True between visits. A visit in progress asks the browser for the window's URL and title and
  // other transactions are served meanwhile; echoes that arrive then must be dropped, not nested.
  bool IsIdle() const { return recorderIdle_ != 0; }

  // Records the page shown in the browser window: stops when
  // recording is suspended, the application is closing or the browser reports no URL, and hands
  // the URL and title to the store. True when the store took the visit.
  bool RecordVisit(uint32_t windowId, const std::string& url);
  // A title that came later for a page recorded before, no visit: the same gates and the same
  // question, and the window's URL and title go to the store's retitling. True when the PageMark
  // took the title.
  bool RecordLateTitle(uint32_t windowId);

 private:
  bool Record(uint32_t windowId, bool titleOnly);
  bool RecordWhenIdle(uint32_t windowId, bool titleOnly);

  BrowserLink& browser_;
  PageMarkStore& store_;
  ProcessEvents& events_;
  const RecordingSwitch& active_;
  uint32_t recorderIdle_ = 1;  // 0 exactly while RecordVisit runs; main thread only
};
