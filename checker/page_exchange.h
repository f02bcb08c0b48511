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
  bool badStatus = false;        // the HEAD status does not begin with "2"
  bool timedOut = false;         // unreachable: a time limit ended the request
  bool deadlineReached = false;  // ... the page's own time
  std::string failure;           // unreachable: what went wrong, in the transfer's words
  std::string status;            // the HEAD status code, "404"
  std::string lastModified;      // the server's date of the page, as sent
  Time32 modified = 0;           // the instant lastModified names (0: none, or not read)
  uint32_t oldSize = 0;          // the size stored before this check
};

// Why a page got the verdict it shows, for a reader: "The server answered 404 Not Found.", "No answer
// within 30 s.", "The server could not be reached (Couldn't connect to server).", "The server dates the page
// Tue, 08 Dec 2026 09:00:00 GMT, after the last visit.", "Its size went from 1200 to 1530 bytes.". Empty for
// an answer that marks nothing.
std::string VerdictReason(const PageAnswer& answer, int deadlineSeconds);
// The reason phrase of a common HTTP status code ("Not Found" for "404"); empty for another.
std::string StatusText(const std::string& code);

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
// answer shows nothing; an answer that marks nothing is shown as Unchanged, so the view sees every
// answer. Each verdict carries its reason (VerdictReason, with the page's time in seconds) and the
// answer itself.
void ShowAnswer(CheckView& view, ItemKey item, const PageAnswer& answer,
                const std::function<void()>& afterUpdateDecision = {}, int deadlineSeconds = 30);
