#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class BrowserKind { Chromium, Firefox };

// A browser's profile folder: where its history and bookmarks live.
struct BrowserProfile {
  BrowserKind browser = BrowserKind::Chromium;
  std::string name;    // the profile's own name ("Default", "default-release") or the folder's
  std::string folder;  // Chromium: holds History and Bookmarks; Firefox: holds places.sqlite
};

// "Chromium" or "Firefox".
std::string BrowserName(BrowserKind browser);
// "chromium" or "firefox" (any case); nothing for any other text.
std::optional<BrowserKind> ParseBrowserKind(std::string_view text);
// How a profile is named to the user: "Firefox (default-release)".
std::string DescribeProfile(const BrowserProfile& profile);

// Where the browsers keep their profiles for a user: the home folder and the configuration folder
// ($XDG_CONFIG_HOME, else ~/.config).
struct ProfilePlaces {
  std::string home;
  std::string config;
  static ProfilePlaces FromEnvironment();
};

// The profiles a browser has, as it lays them out. Chromium: the folders of config/chromium that
// hold a History or a Bookmarks file ("Default" first, then by name; the guest and system
// profiles are none of the user's). Firefox: the profiles of ~/.mozilla/firefox/profiles.ini
// whose folder holds places.sqlite, the one an installation starts with first, then the one
// marked Default, then in the file's order.
std::vector<BrowserProfile> FindProfiles(BrowserKind browser, const ProfilePlaces& places);
// Both browsers' profiles, Firefox's after Chromium's.
std::vector<BrowserProfile> FindAllProfiles(const ProfilePlaces& places);
// A profile given by its folder (--profile DIR), named after the folder.
BrowserProfile ProfileAt(BrowserKind browser, const std::string& folder);

// The profiles of a Firefox profiles.ini text, in the order above, with their folders resolved
// against the folder that holds the file; folders are not looked at.
std::vector<BrowserProfile> ParseFirefoxProfiles(std::string_view ini, const std::string& iniFolder);
