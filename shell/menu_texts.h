#pragma once

// Labels the popup menus add to the resource menus at run time.
namespace menu_text {

inline constexpr char kMoreSites[] = "More Sites...\tCtrl-W";
inline constexpr char kEditTopics[] = "Edit Topics...\tCtrl-E";
inline constexpr char kSites[] = "Sites";
inline constexpr char kTopics[] = "Topics";
inline constexpr char kNoPagesHint[] = "No pages yet: turn on the Hopwise browser extension";

}  // namespace menu_text
