#include "browser/url_echo_service.h"

#include "browser/argument_list.h"
#include "browser/verb_table.h"
#include "browser/visit_recorder.h"

UrlEchoService::UrlEchoService(const Clock& clock, VisitRecorder& recorder)
    : clock_(clock), recorder_(recorder) {}

std::optional<dde::Bytes> UrlEchoService::OnRequest(int verb, const std::string& item) {
  std::string text1, text2, text3, text4, text5;
  uint32_t number1 = 0, number2 = 0;
  uint32_t now = static_cast<uint32_t>(clock_.Now());
  switch (verb) {
    case WWW_Alert:  // message, type, buttons
      ParseArgumentList(item, "QCS,DW,DW", {&text1, &number1, &number2});
      return BuildResultData("DW", {0u});
    case WWW_BeginProgress:  // window, initial message
      ParseArgumentList(item, "DW,QCS", {&number1, &text1});
      return BuildResultData("DW", {now});
    case WWW_MakingProgress:  // transaction, message, progress
      ParseArgumentList(item, "DW,QCS,DW", {&number1, &text1, &number2});
      return BuildResultData("BL", {false});
    case WWW_OpenURL:  // URL, save-as, window, flags, form data, MIME type, progress server
      ParseArgumentList(item, "QCS,QCS,DW,DW,QCS,QCS,CS",
                        {&text1, &text2, &number1, &number2, &text3, &text4, &text5});
      return BuildResultData("DW", {now});
    default:
      return std::nullopt;
  }
}

uint32_t UrlEchoService::OnPoke(int verb, const std::string& item) {
  uint32_t numbers[6] = {};
  switch (verb) {
    case WWW_URLEcho:
      OnUrlEcho(item);
      return dde::kFack;
    case WWW_WindowChange:  // window, flags, x, y, width, height
      ParseArgumentList(item, "DW,DW,DW,DW,DW,DW",
                        {&numbers[0], &numbers[1], &numbers[2], &numbers[3], &numbers[4], &numbers[5]});
      return dde::kFack;
    case WWW_EndProgress:  // transaction
      ParseArgumentList(item, "DW", {&numbers[0]});
      return dde::kFack;
    case WWW_SetProgressRange:  // transaction, maximum
      ParseArgumentList(item, "DW,DW", {&numbers[0], &numbers[1]});
      return dde::kFack;
    default:
      return 0;
  }
}

void UrlEchoService::OnUrlEcho(const std::string& item) {
  std::string url, mimeType, referrer;
  uint32_t windowId = 0, flags = 0;
  ParseArgumentList(item, "QCS,QCS,DW,QCS,DW", {&url, &mimeType, &windowId, &referrer, &flags});
  if (!recorder_.IsIdle()) return;
  if (flags & kEchoTitleOnly) {
    recorder_.RecordLateTitle(windowId);
  } else {
    recorder_.RecordVisit(windowId, url);
  }
}
