#pragma once

#include <functional>
#include <string>

#include "checker/check_run.h"

// Whether the checker asks a server about url: its scheme is "http" (in any case), or "https"
// when secure pages are checked, and a server name follows "//". Everything else is passed over.
bool IsCheckedUrl(const std::string& url, bool checkSecurePages);

// CheckOnePageMark: the exchange with the server for one PageMark (or Topic entry), page being
// what the walker read of item just before. A URL that is not checked asks nothing.
//
// A HEAD request comes first. With a Last-Modified answer, the page is Updated when it names a
// later second than the last visit. Without one, a GET measures the body's length (never keeping
// the body): a size never measured (0) takes it silently, and a length 6 bytes or more away from
// the stored size is stored and makes the page Updated. afterUpdateDecision then runs (the Topics
// walker saves the folder there), and a HEAD status that does not begin with "2" makes the verdict
// BadStatus in the end. A request that fails makes the page Unreachable and ends the exchange.
// Each verdict is shown through the view as soon as it is decided.
//
// The stop request is polled after the HEAD request; kStopped means it was found set (or the
// transfer was aborted for it) and nothing more was done. An item found gone when its size is
// stored is left at that.
WalkEnd CheckOnePageMark(CheckRun& run, ItemKey item, const ItemFacts& page,
                         const std::function<void()>& afterUpdateDecision = {});

// A Site's PageMark row or a Topic entry: passed over when its URL is not checked; otherwise its
// image is reset to Unchanged, the status bar reads "Checking URL..." and the page is checked.
WalkEnd CheckTreeEntry(CheckRun& run, ItemKey item, const ItemFacts& page,
                       const std::function<void()>& afterUpdateDecision = {});
