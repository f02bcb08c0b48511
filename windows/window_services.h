#pragma once

#include <functional>

#include "browser/url_opener.h"
#include "platform/http_client.h"
#include "platform/message_boxes.h"
#include "store/page_mark_store.h"
#include "store/prefs.h"
#include "store/topics_model.h"
#include "store/watched_pages.h"

// What the windows and dialogs work with; all of it outlives every window.
struct WindowServices {
  CPrefs& prefs;  // the column widths of the PageMarks window, "Check Secure Pages"
  PageMarkStore& store;
  TopicsModel& topics;  // "Assign to Topics" and "Send To Topics?" append top-level links here
  UrlOpener& opener;    // opens a page in the browser
  MessageBoxes& messages;
  HttpClient& http;       // shared by the update checks of every window
  WatchedPages& watched;  // "Watch for Changes", and what the scheduled checks found
  // Writes cache.data now (after an import from a browser); false when it failed, and said why.
  // Unset: the store is only marked for the next periodic save.
  std::function<bool()> saveStore = nullptr;
};
