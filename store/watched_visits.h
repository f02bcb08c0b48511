#pragma once

#include "store/page_mark_store.h"
#include "store/watched_pages.h"

// Seeing a page in the browser is opening it: a visit the store records to a watched page takes its
// change mark away, and a new title follows. Main thread only, like the store's notices.
class WatchedVisits : private StoreListener {
 public:
  WatchedVisits(const PageMarkStore& store, WatchedPages& watched)
      : watched_(watched), subscription_(store.Subscribe(*this)) {}

 private:
  void OnPageMarkAdded(const CPez& p) override { watched_.PageOpened(p.url, p.lastVisited); }
  void OnPageMarkChanged(const CPez& p, uint32_t what) override {
    if (what & kChangedVisited) watched_.PageOpened(p.url, p.lastVisited);
    if (what & kChangedTitle) watched_.Retitle(p.url, p.title);
  }

  WatchedPages& watched_;
  PageMarkStore::Subscription subscription_;
};
