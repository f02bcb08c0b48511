#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/menu.h"
#include "shell/menu_layout.h"
#include "store/page_mark_store.h"
#include "store/prefs.h"
#include "store/records.h"

// The Site side of the tray menus: one submenu per Site, each holding that Site's newest pages,
// and the list of Sites, newest first, in the "Sites" submenu while "Menu State" lists Topics in
// the main menu, or in the main menu from mainListPosition otherwise. It owns the submenus and
// knows which Site holds each page; the main and secondary menus it fills are its owner's, handed
// to it after every build. Main thread only.
class SiteLists {
 public:
  // layout is its owner's, measured again before every build.
  SiteLists(const CPrefs& prefs, const MenuLayout& layout, const PageMarkStore& store);
  SiteLists(const SiteLists&) = delete;
  SiteLists& operator=(const SiteLists&) = delete;

  // The main menu and the submenu at secondaryMenuPosition, as just built (without Site entries).
  void SetMenus(std::shared_ptr<Menu> main, std::shared_ptr<Menu> secondary);
  // A submenu for every Site of the store with its newest pages, and the Sites listed by their
  // latest visit; pages is the store's list, oldest first.
  void Fill(const PageMarkList& pages);
  // Puts the PageMark into its Site's submenu (making the submenu for a new Site) and moves the
  // Site to the top of its list.
  void Place(const std::string& siteKey, const CPez& p);
  // A page shown again: to the top of its Site, its Site to the top of the list.
  void MovePageToTop(const CPez& p);
  void Relabel(const CPez& p);
  // Removes the PageMark's item from its Site's submenu.
  void Remove(const CPez& p);
  // Takes a Site that lost its last PageMark out of its list and forgets its submenu.
  void RemoveSite(const std::string& siteKey);
  // Cuts a main-menu list of Sites back to the rows it may take now.
  void FitMainList();
  // Empties and forgets every Site submenu.
  void Clear();

  // Site key -> that Site's submenu; a Site is known once it has an entry.
  const std::map<std::string, std::shared_ptr<Menu>>& Menus() const { return siteMenus_; }

 private:
  // Inserts a Site entry at the top of its list and applies that list's size rule.
  void InsertSiteAtTop(const std::string& siteKey, const std::shared_ptr<Menu>& submenu);
  // Moves the Site's entry to the top of its list (found by label). False when the Site is not in
  // its list (a size rule pushed it out).
  bool MoveSiteToTop(const std::string& siteKey, const std::shared_ptr<Menu>& submenu);
  std::size_t MainListPosition() const;

  const CPrefs& prefs_;
  const MenuLayout& layout_;
  const PageMarkStore& store_;
  std::shared_ptr<Menu> main_;
  std::shared_ptr<Menu> secondary_;
  std::map<std::string, std::shared_ptr<Menu>> siteMenus_;
  // PageMark number -> the Site whose submenu holds its item.
  std::unordered_map<uint32_t, std::string> placedSite_;
};
