#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/page_mark_store.h"
#include "store/prefs.h"

// The rules of the preferences dialog, apart from its widgets.

// "Number of PageMarks to track:": the up-down control steps from 50 to 1500, and OK takes 50 to
// 1500 (a typed number outside them is refused with a message).
inline constexpr int32_t kFewestPageMarks = 50;
inline constexpr int32_t kMostPageMarks = 1500;
inline constexpr int32_t kMostWatchHours = 168;
inline constexpr char kNotAnInteger[] = "Please enter an integer.";
inline constexpr char kIntegerOutOfRange[] = "Please enter an integer between %1 and %2.";

// What the dialog hands back on OK. The browser is not among them: "Change" stores it at once.
struct PreferenceChoices {
  int32_t maxPageMarks = kDefaultMaxPageMarks;
  bool topicsInMainMenu = false;  // "Menu State"
  bool powerUser = false;
  bool simpleSites = false;
  bool modernSites = true;
  bool checkSecurePages = true;
  int32_t watchHours = 6;  // "Check watched pages every N hours", 0 to kMostWatchHours
  std::string searchAddress = kDefaultSearchAddress;
};

// The choices as the preferences hold them now (a stored non-zero number is "on").
PreferenceChoices ChoicesOf(const CPrefs& prefs);

// The number typed into "Number of PageMarks to track:", or the message that refuses it: not an
// integer (an optional sign and digits, blanks around them allowed), or an integer outside 50 to
// 1500, however many digits it has.
struct PageMarkCountReading {
  std::optional<int32_t> count;
  std::string problem;
};
PageMarkCountReading ReadPageMarkCount(std::string_view text);

// A path chosen with "Change", split at its last "/": the folder ("Browser Path", without a
// trailing "/" except for the root itself) and the file name ("Browser"). A path without "/" is a
// file name alone.
struct ProgramLocation {
  std::string folder;
  std::string file;
};
ProgramLocation SplitProgramPath(const std::string& path);
// The browser field: folder and file joined with one "/" (just the file without a folder).
std::string JoinProgramPath(const std::string& folder, const std::string& file);

// A search service "Search with:" offers by name; its address is where the keywords are appended.
struct SearchService {
  const char* name;
  const char* address;
};
// The built-in service first.
inline constexpr SearchService kSearchServices[] = {
    {"DuckDuckGo", kDefaultSearchAddress},
    {"Startpage", "https://www.startpage.com/do/search?q="},
    {"Bing", "https://www.bing.com/search?q="},
    {"Google", "https://www.google.com/search?q="},
    {"Wikipedia", "https://en.wikipedia.org/w/index.php?search="},
};
// The built-in address of earlier versions; that service has closed.
inline constexpr SearchService kOldSearchService = {
    "AltaVista (closed)", "http://www.altavista.com/cgi-bin/query?pg=q&what=web&fmt=.&q="};

// The services "Search with:" offers to a user whose address is current: kSearchServices, and the
// old built-in one too when it is the user's address, so that keeping it is a choice.
std::vector<SearchService> OfferedSearchServices(const std::string& current);
// What "Search with:" shows for an address: the name of the offered service with that address,
// else the address itself.
std::string SearchFieldText(const std::string& address, const std::vector<SearchService>& offered);
// "Search with:" as shown or typed: an offered service's name gives its address; any other text is
// an address, without the blanks around it; an empty field means the built-in address.
std::string ReadSearchAddress(std::string_view text, const std::vector<SearchService>& offered = {});
