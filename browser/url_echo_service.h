#pragma once

#include <optional>
#include <string>

#include "browser/dde_link.h"
#include "platform/clock.h"

class VisitRecorder;

// The flags a "WWW_URLEcho" item may carry as a fifth element (a number; absent means 0).
// kEchoTitleOnly: the page was echoed before and another page has been echoed since; the echo
// brings a title that came later, for that page's PageMark, and is no visit.
inline constexpr uint32_t kEchoTitleOnly = 1;

// The verbs the browser calls on Hopwise's endpoint. Above all "WWW_URLEcho", the browser's report
// that a window loaded a document, which starts the recording of a visit. The rest are answered so
// that a browser that sends them is not kept waiting, and have no other effect (a served
// "WWW_OpenURL" opens nothing). Every served verb's arguments are read in full.
class UrlEchoService : public VerbServer {
 public:
  UrlEchoService(const Clock& clock, VisitRecorder& recorder);

  // "WWW_Alert" -> DW 0; "WWW_BeginProgress" and "WWW_OpenURL" -> DW the current time;
  // "WWW_MakingProgress" -> BL false. Any other verb: no data.
  std::optional<dde::Bytes> OnRequest(int verb, const std::string& item) override;
  // "WWW_URLEcho", "WWW_WindowChange", "WWW_EndProgress", "WWW_SetProgressRange" are taken
  // (kFack); any other verb is not.
  uint32_t OnPoke(int verb, const std::string& item) override;

 private:
  // An echo is taken in every case; it is recorded (as a visit, or as a late title) only when no
  // other echo is being recorded.
  void OnUrlEcho(const std::string& item);

  const Clock& clock_;
  VisitRecorder& recorder_;
};
