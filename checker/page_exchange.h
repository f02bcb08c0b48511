#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "checker/check_view.h"
#include "platform/http_client.h"

// Whether the checker asks a server about url: its scheme is "http" (in any case), or "https"
// when secure pages are checked, and a server name follows "//". Everything else is passed over.
bool IsCheckedUrl(const std::string& url, bool checkSecurePages);

// The server name of a checked url, in lower case, without user name or port: the pages that count
// as one host for the checker's limit on requests at a time.
std::string HostOf(const std::string& url);

// What the exchange with the server learned about one page, before anything is shown.
struct PageAnswer {
  enum class Kind {
    kUnreachable,  // a request failed (or ran out of time)
    kAnswered,
    kStopped,  // a transfer was aborted for a stop: nothing is to be shown
  };
  Kind kind = Kind::kUnreachable;
  bool storeSize = false;  // size was measured and is to be stored
  uint32_t size = 0;
  bool updated = false;
  bool badStatus = false;  // the HEAD status does not begin with "2"
  std::string status;      // the HEAD status as the server sent it
  Time32 modified = 0;     // the instant Last-Modified named (0: none, or not read)
};

// AskServer: the exchange with the server for one page (a copy of a PageMark or Topic entry), on
// any thread, ending by deadline at the latest.
//
// A HEAD request comes first. With a Last-Modified answer, the page is Updated when it names a
// later second than the last visit. Without one, a GET measures the body's length (never keeping
// the body): a size never measured (0) takes it silently, and a length 6 bytes or more away from
// the stored size is to be stored and makes the page Updated. A HEAD status that does not begin
// with "2" makes the verdict BadStatus in the end. A request that fails makes the page Unreachable.
PageAnswer AskServer(HttpSession& session, const ItemFacts& page, HttpDeadline deadline);

// ShowAnswer: shows what AskServer learned about item through the view, on the run's thread. The
// size is stored first (an item then found gone is left at that), Updated is shown, then
// afterUpdateDecision runs (the Topics walker saves the folder there), then BadStatus. A stopped
// answer shows nothing. The view takes the whole answer first (CheckView::TakeAnswer).
void ShowAnswer(CheckView& view, ItemKey item, const PageAnswer& answer,
                const std::function<void()>& afterUpdateDecision = {});
