#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/clock.h"
#include "platform/message_boxes.h"
#include "platform/preference_store.h"

// Where Quick Search sends its keywords unless the user chose another service: the built-in search
// service's query address, up to and including "q=".
inline constexpr char kDefaultSearchAddress[] = "https://duckduckgo.com/?q=";

// The user's choices, plus the data-file paths and the menu layout values, which are never stored.
struct CPrefs {
  std::string browser;        // "Browser": file name of the browser program
  std::string browserPath;    // "Browser Path": its directory, no trailing separator
  std::string branchPath;     // the Topics folder, with its trailing separator
  std::string prefsDataPath;  // formed, never opened
  std::string topicsPath;     // topics.data
  std::string cachePath;      // cache.data
  int32_t simpleSites = 0;    // "Simple Sites": non-zero keeps full server names as Site keys
  int32_t mainListPosition = 14;
  int32_t secondaryMenuPosition = 12;
  int32_t maxPageMarks = 1000;  // "Max PageMarks"
  int32_t menuState = 0;        // "Menu State": 0 main menu lists Sites, non-zero lists Topics
  int32_t recentPosition = 0;
  int32_t menuRows = 0;
  int32_t mainListCap = 0;
  std::array<int32_t, 4> columnWidths{140, 238, 110, 110};  // "Column 0" to "Column 3"
  int32_t powerUser = 0;             // "Power User": non-zero removes the six link submenus (a new
                                     // preferences file starts with it on)
  int32_t checkSecurePages = 1;      // "Check Secure Pages": non-zero checks https pages like http ones
  int32_t modernSites = 1;           // "Modern Sites": non-zero groups http and https pages by their
                                     // registrable domain, as browsers do
  int32_t browserImportOffered = 0;  // "Browser Import Offered": non-zero once the offer to bring in
                                     // a browser's history and bookmarks was answered
  // "Search Address": Quick Search appends the keywords to it.
  std::string searchAddress = kDefaultSearchAddress;
};

// Reads every stored value; a missing or unreadable value leaves its field at the default. A key
// that holds none of the values yet (the empty file the start command makes) is a new one: the
// link submenus start hidden ("Power User" on).
void LoadPreferences(CPrefs& prefs, const PreferenceStore& store);
// LoadPreferences at start-up, and the user told once what was wrong with the key. One that cannot
// be read leaves the defaults and is neither read nor written in this run. A damaged one gives the
// values that parse; it is then kept aside (NAME.damaged-YYYYMMDD-HHMMSS) and those values are
// written at once to a new, empty key in its place. One that cannot be moved aside is not written.
void OpenPreferences(CPrefs& prefs, PreferenceStore& store, MessageBoxes& messages, Time32 now);
// Writes every stored value; with no key nothing is stored and nothing is reported.
void SavePreferences(const CPrefs& prefs, PreferenceStore& store);
// Writes one string value at once.
void SavePreferenceString(PreferenceStore& store, const std::string& name, const std::string& text);
// Forms the four data paths from the working directory (any length): directory + "/prefs.data",
// "/topics.data", "/cache.data" and the Topics folder "/Topics/". An empty directory means ".".
void FormDataPaths(CPrefs& prefs, const std::string& workingDirectory);
// The process's current working directory, however long; "." when it cannot be read.
std::string ReadWorkingDirectory();
