#pragma once

#include <cstddef>
#include <cstdint>

// Numbers of the program's resources and of the fixed menu commands.
namespace res {

// Menus: 130 holds the main menu ("Popup") and the quick menu ("Quick") as its items 0 and 1;
// 176 holds the six link submenus on their own.
inline constexpr int kMenuTray = 130;
inline constexpr int kMenuLinks = 176;
// The menu bars of the Sites (177) and PageMarks (179) windows, and their context menus (178, 181),
// each holding its menu as item 0.
inline constexpr int kMenuSitesBar = 177;
inline constexpr int kMenuSitesContext = 178;
inline constexpr int kMenuPageMarksBar = 179;
inline constexpr int kMenuPageMarksContext = 181;
// The Topics window's menu bar (173) and context menu (153).
inline constexpr int kMenuTopicsBar = 173;
inline constexpr int kMenuTopicsContext = 153;

// Accelerator tables of the Sites (190) and PageMarks (191) windows.
inline constexpr int kAccelSites = 190;
inline constexpr int kAccelPageMarks = 191;
inline constexpr int kAccelTopics = 189;

// Tray icons.
inline constexpr int kIconActive = 129;
inline constexpr int kIconSuspended = 187;
// The pictures of the windows' image lists: a PageMark, a Site, and the update checker's verdicts
// (193, a link inside a Topic folder, is in the lists but shows no verdict).
inline constexpr int kIconPageMark = 163;
inline constexpr int kIconSite = 164;
inline constexpr int kIconUpdated = 192;
inline constexpr int kIconFolderLink = 193;
inline constexpr int kIconUnreachable = 194;
inline constexpr int kIconBadStatus = 195;
// A Topic folder in the Topics window, and the same folder while selected.
inline constexpr int kIconFolder = 157;
inline constexpr int kIconOpenFolder = 156;
// The three pictures of the About box.
inline constexpr int kPictureRevisit = 166;
inline constexpr int kPictureSites = 167;
inline constexpr int kPictureTopics = 183;

// Strings other than the link addresses (which carry their command's number).
inline constexpr uint32_t kStringServiceName = 103;  // "HOPWISE"
inline constexpr uint32_t kStringDdeInitFailed = 104;

// Fixed commands.
inline constexpr uint32_t kCmdAbout = 32812;
inline constexpr uint32_t kCmdPreferences = 32841;
inline constexpr uint32_t kCmdEditTopics = 32940;
inline constexpr uint32_t kCmdMorePageMarks = 32941;
inline constexpr uint32_t kCmdMoreSites = 32942;
inline constexpr uint32_t kCmdLaunchBrowser = 32978;
inline constexpr uint32_t kCmdOpenUrl = 32979;
inline constexpr uint32_t kCmdSuspend = 32980;
inline constexpr uint32_t kCmdHelpTopics = 32985;
inline constexpr uint32_t kCmdQuickSearch = 33002;
inline constexpr uint32_t kCmdWhatsThis = 33003;
inline constexpr uint32_t kCmdFindPage = 33020;  // "Find a Page...": the find window
inline constexpr uint32_t kCmdExit = 57665;

// Commands of the PageMarks and Sites windows.
inline constexpr uint32_t kCmdDeletePageMarks = 32958;
inline constexpr uint32_t kCmdAssignToTopics = 32959;
inline constexpr uint32_t kCmdEditPageMarks = 32962;
inline constexpr uint32_t kCmdCheckForUpdates = 32982;
inline constexpr uint32_t kCmdClose = 57602;
// The context menus of the three windows: watch the selected pages for changes, or stop.
inline constexpr uint32_t kCmdWatchPages = 33010;

// Commands of the Topics window.
inline constexpr uint32_t kCmdNewTopicLink = 32943;
inline constexpr uint32_t kCmdNewTopicFolder = 32944;
inline constexpr uint32_t kCmdEditTopic = 32945;
inline constexpr uint32_t kCmdDeleteTopic = 32946;
inline constexpr uint32_t kCmdImportBookmarks = 32953;
inline constexpr uint32_t kCmdExportTopics = 32954;
inline constexpr uint32_t kCmdImportFromBrowser = 32955;

// Built-in link entries and help links: each opens the address in the string of its own number.
inline constexpr uint32_t kFirstLinkCmd = 32900;
inline constexpr uint32_t kLastLinkCmd = 32937;
inline constexpr uint32_t kFirstHelpLinkCmd = 32992;
inline constexpr uint32_t kLastHelpLinkCmd = 33001;

// Main menu positions as stored in resource 130.
inline constexpr std::size_t kRecentPagesPosition = 3;
inline constexpr std::size_t kFirstLinkSubmenuPosition = 5;
inline constexpr std::size_t kLinkSubmenuCount = 6;

}  // namespace res
