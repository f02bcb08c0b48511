// How the menus follow the store's notices.
#include "shell/popup_menus.h"

void PopupMenus::OnPageMarkAdded(const CPez& p) {
  if (!main_) return;
  AddRecent(p);
  PlacePageMark(store_.SiteKeyOf(p), p);
}

void PopupMenus::OnPageMarkChanged(const CPez& p, uint32_t what) {
  if (!main_) return;
  if (what & kChangedUrl) {
    // Another URL may mean another Site: the page leaves its old place and comes back as new.
    RemovePageMarkItems(p);
    AddRecent(p);
    PlacePageMark(store_.SiteKeyOf(p), p);
    return;
  }
  if (what & kChangedVisited)
    MovePageToTop(p);
  else if (what & kChangedTitle)
    RelabelPage(p);
}

void PopupMenus::OnPageMarkRemoved(const CPez& p) {
  RemovePageMarkItems(p);
}
