#pragma once

#include <cstddef>
#include <cstdint>

// Numbers of the program's resources and of the fixed menu commands.
namespace res {

// Menus: 130 holds the main menu ("Popup") and the quick menu ("Quick") as its items 0 and 1;
// 176 holds the six link submenus on their own.
inline constexpr int kMenuTray = 130;
inline constexpr int kMenuLinks = 176;

// Tray icons.
inline constexpr int kIconActive = 129;
inline constexpr int kIconSuspended = 187;

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
inline constexpr uint32_t kCmdExit = 57665;

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
