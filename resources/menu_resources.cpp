#include "resources/menu_resources.h"

#include <cstddef>
#include <cstdint>

#include "resources/resource_ids.h"

namespace {

// One entry of a menu template: an item, a separator or a submenu with its own entries.
struct Entry {
  MenuItemKind kind;
  uint32_t command;
  const char* text;
  const Entry* children;
  std::size_t childCount;
};

constexpr Entry Item(uint32_t command, const char* text) {
  return {MenuItemKind::Command, command, text, nullptr, 0};
}
constexpr Entry Separator() {
  return {MenuItemKind::Separator, 0, "", nullptr, 0};
}
template <std::size_t N>
constexpr Entry Submenu(const char* text, const Entry (&children)[N]) {
  return {MenuItemKind::Submenu, 0, text, children, N};
}

constexpr Entry kHelp[] = {
    Item(32985, "Hopwise Help Topics"),
    Separator(),
    Item(32992, "About Ostrand Software, Inc."),
    Item(32993, "Ostrand Software, Inc. Homepage"),
    Separator(),
    Item(32994, "Why is Hopwise Cool?"),
    Item(32997, "What's the Latest Version of Hopwise?"),
    Separator(),
    Item(32998, "Hopwise News"),
    Separator(),
    Item(32999, "Frequently Asked Questions"),
    Item(33000, "Hopwise Mailing List"),
    Item(33001, "Getting Technical Support"),
};

constexpr Entry kRecentPages[] = {
    Separator(),
    Item(32941, "More PageMarks...\tCtrl-Q"),
};

constexpr Entry kGeneralSearches[] = {
    Item(32909, "Alta Vista\t[super fast web & usenet]"),
    Item(32911, "search.com"),
    Item(32913, "Excite Inc.\t[web/usenet/finance/more]"),
    Item(32910, "Infoseek Corporation"),
    Item(32914, "Lycos\t[from CMU]"),
    Item(32912, "SavvySearch\t[multiple engines]"),
};

constexpr Entry kGuides[] = {
    Item(32915, "Magellan\t[reviews and ratings]"),
    Item(32916, "Starting Point\t[novice-friendly]"),
    Item(32917, "Yahoo\t[hip reviews and ratings]"),
};

constexpr Entry kComputing[] = {
    Item(32900, "BrowserWatch\t[hot web goodies, gossip]"),
    Item(32901, "C|Net\t[large web-savvy publisher]"),
    Item(32902, "Ostrand Software\t[cool Web-user tools]"),
    Item(32903, "HotWired, Inc."),
    Item(32933, "Ostrand Software Products"),
    Item(32906, "Microsoft"),
    Item(32904, "Netscape, Inc."),
    Item(32905, "shareware.com"),
    Item(32908, "windows95.com"),
    Item(32907, "Ziff-Davis Publishers\t[large magazine publisher]"),
};

constexpr Entry kPeopleLookup[] = {
    Item(32918, "Four 11\t[free, hip pioneers]"),
    Item(32919, "WhoWhere\t[free, global]"),
};

constexpr Entry kOrganizationLookup[] = {
    Item(32921, "AT&&T Toll Free\t[AT&&T US-only]"),
    Item(32926, "BigBook"),
    Item(32922, "Environmental Organizations Web Directory"),
    Item(32923, "NYNEX Big Yellow\t[US-only]"),
    Item(32925, "US West Yellow And White Pages"),
    Item(32920, "WhoWhere\t[free, global]"),
    Item(32924, "World Wide Yellow Pages"),
};

constexpr Entry kNews[] = {
    Item(32927, "CNN\t[global coverage]"),
    Item(32928, "Deja News\t[usenet archives]"),
    Item(32929, "New York Times\t[daily Real World news]"),
    Item(32930, "news.com"),
    Item(32931, "San Jose Mercury News\t[hi-tech daily]"),
    Item(32932, "Wall Street Journal\t[daily biz news]"),
};

constexpr Entry kLinkSubmenus[] = {
    Submenu("General Searches", kGeneralSearches),
    Submenu("Guides", kGuides),
    Submenu("Computing", kComputing),
    Submenu("People Lookup", kPeopleLookup),
    Submenu("Organization Lookup", kOrganizationLookup),
    Submenu("News", kNews),
};

constexpr Entry kMainMenu[] = {
    Item(32812, "About Hopwise..."),
    Submenu("Help", kHelp),
    Separator(),
    Submenu("Recent Web Pages", kRecentPages),
    Separator(),
    kLinkSubmenus[0],
    kLinkSubmenus[1],
    kLinkSubmenus[2],
    kLinkSubmenus[3],
    kLinkSubmenus[4],
    kLinkSubmenus[5],
    Separator(),
    Separator(),
    Separator(),
};

constexpr Entry kQuickMenu[] = {
    Item(33020, "&Find a Page...\tCtrl-F"),
    Separator(),
    Item(33003, "What's This?"),
    Separator(),
    Item(32941, "Quick Access To &PageMarks\tCtrl-Q"),
    Item(32942, "Quick Access To &Sites\tCtrl-W"),
    Item(32940, "Quick Access To &Topics\tCtrl-E"),
    Separator(),
    Item(32978, "&Launch Browser"),
    Item(32979, "&Open URL..."),
    Item(33002, "&Quick Search..."),
    Separator(),
    Item(32980, "Suspend Hopwise"),
    Separator(),
    Item(32841, "Preferences..."),
    Item(57665, "E&xit"),
};

constexpr Entry kTrayMenus[] = {
    Submenu("Popup", kMainMenu),
    Submenu("Quick", kQuickMenu),
};

// The PageMarks (179) and Sites (177) windows share one menu bar; only their context menus differ
// in one label.
constexpr Entry kWindowFile[] = {
    Item(32982, "Check For &Updated PageMarks"),
    Separator(),
    Item(57602, "&Close\tCtrl+W"),
};

constexpr Entry kWindowEdit[] = {
    Item(32962, "&Edit...\tF2"),
    Item(32959, "Assign to &Topics\tCtrl-T"),
    Separator(),
    Item(32958, "&Delete\tDel"),
};

constexpr Entry kWindowBar[] = {
    Submenu("&File", kWindowFile),
    Submenu("&Edit", kWindowEdit),
};

constexpr Entry kPageMarksPopup[] = {
    Item(32962, "Edit..."), Item(32959, "Assign to Topic"), Item(33010, "Watch for Changes"), Separator(),
    Item(32958, "Delete"),
};

constexpr Entry kSitesPopup[] = {
    Item(32962, "Edit..."), Item(32959, "Assign to topic"), Item(33010, "Watch for Changes"), Separator(),
    Item(32958, "Delete"),
};

constexpr Entry kTopicsFile[] = {
    Item(32953, "Import Netscape-Style Bookmarks"),
    Item(32955, "Import From Browser..."),
    Item(32954, "Export Topics to HTML"),
    Separator(),
    Item(32982, "Check For &Updated PageMarks"),
    Separator(),
    Item(57602, "&Close\tCtrl+W"),
};

constexpr Entry kTopicsEdit[] = {
    Item(32946, "&Delete\tDel"),      Separator(), Item(32943, "&New PageMark"),
    Item(32944, "New Topic/&Folder"), Separator(), Item(32945, "&Edit PageMark\tF2"),
};

constexpr Entry kTopicsBar[] = {
    Submenu("&File", kTopicsFile),
    Submenu("&Edit", kTopicsEdit),
};

constexpr Entry kTopicsPopup[] = {
    Item(32945, "Edit..."),      Item(33010, "Watch for Changes"), Separator(),
    Item(32943, "New PageMark"), Item(32944, "New Topic/Folder"),  Separator(),
    Item(32946, "Delete"),
};

constexpr Entry kTopicsContext[] = {Submenu("Popup", kTopicsPopup)};
constexpr Entry kPageMarksContext[] = {Submenu("Popup", kPageMarksPopup)};
constexpr Entry kSitesContext[] = {Submenu("Popup", kSitesPopup)};

// Resource templates are shallow enough for plain recursion.
std::shared_ptr<Menu> Build(const Entry* entries, std::size_t count) {
  auto menu = std::make_shared<Menu>();
  for (std::size_t i = 0; i < count; ++i) {
    const Entry& e = entries[i];
    switch (e.kind) {
      case MenuItemKind::Command:
        menu->AppendItem(e.command, e.text, LabelStyle::Mnemonic);
        break;
      case MenuItemKind::Separator:
        menu->AppendSeparator();
        break;
      case MenuItemKind::Submenu:
        menu->AppendSubmenu(Build(e.children, e.childCount), e.text, LabelStyle::Mnemonic);
        break;
    }
  }
  return menu;
}

template <std::size_t N>
std::shared_ptr<Menu> Build(const Entry (&entries)[N]) {
  return Build(entries, N);
}

}  // namespace

std::shared_ptr<Menu> LoadMenuResource(int number) {
  switch (number) {
    case res::kMenuTray:
      return Build(kTrayMenus);
    case res::kMenuLinks:
      return Build(kLinkSubmenus);
    case res::kMenuPageMarksBar:
    case res::kMenuSitesBar:
      return Build(kWindowBar);
    case res::kMenuPageMarksContext:
      return Build(kPageMarksContext);
    case res::kMenuSitesContext:
      return Build(kSitesContext);
    case res::kMenuTopicsBar:
      return Build(kTopicsBar);
    case res::kMenuTopicsContext:
      return Build(kTopicsContext);
    default:
      return nullptr;
  }
}
