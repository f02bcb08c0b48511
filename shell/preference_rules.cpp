#include "shell/preference_rules.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr int kMostDigits = 9;  // fits an int32_t; any longer number is out of range anyway

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string OutOfRangeMessage() {
  std::string message = kIntegerOutOfRange;
  message.replace(message.find("%1"), 2, std::to_string(kFewestPageMarks));
  message.replace(message.find("%2"), 2, std::to_string(kMostPageMarks));
  return message;
}

}  // namespace

PreferenceChoices ChoicesOf(const CPrefs& prefs) {
  PreferenceChoices choices;
  choices.maxPageMarks = prefs.maxPageMarks;
  choices.topicsInMainMenu = prefs.menuState != 0;
  choices.powerUser = prefs.powerUser != 0;
  choices.simpleSites = prefs.simpleSites != 0;
  choices.modernSites = prefs.modernSites != 0;
  choices.checkSecurePages = prefs.checkSecurePages != 0;
  choices.watchHours = std::clamp(prefs.watchHours, 0, kMostWatchHours);
  choices.searchAddress =
      prefs.searchAddress.empty() ? std::string(kDefaultSearchAddress) : prefs.searchAddress;
  return choices;
}

PageMarkCountReading ReadPageMarkCount(std::string_view text) {
  text = Trimmed(text);
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  if (text.empty()) return {std::nullopt, kNotAnInteger};
  for (char c : text)
    if (c < '0' || c > '9') return {std::nullopt, kNotAnInteger};

  while (text.size() > 1 && text.front() == '0') text.remove_prefix(1);
  if (negative || text.size() > kMostDigits) return {std::nullopt, OutOfRangeMessage()};
  const int32_t count = std::stoi(std::string(text));
  if (count < kFewestPageMarks || count > kMostPageMarks) return {std::nullopt, OutOfRangeMessage()};
  return {count, {}};
}

ProgramLocation SplitProgramPath(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {{}, path};
  return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

std::string JoinProgramPath(const std::string& folder, const std::string& file) {
  if (folder.empty()) return file;
  if (folder.back() == '/') return folder + file;
  return folder + "/" + file;
}

std::vector<SearchService> OfferedSearchServices(const std::string& current) {
  std::vector<SearchService> offered(std::begin(kSearchServices), std::end(kSearchServices));
  if (current == kOldSearchService.address) offered.push_back(kOldSearchService);
  return offered;
}

std::string SearchFieldText(const std::string& address, const std::vector<SearchService>& offered) {
  for (const SearchService& service : offered)
    if (address == service.address) return service.name;
  return address;
}

std::string ReadSearchAddress(std::string_view text, const std::vector<SearchService>& offered) {
  text = Trimmed(text);
  for (const SearchService& service : offered)
    if (text == service.name) return service.address;
  return text.empty() ? std::string(kDefaultSearchAddress) : std::string(text);
}
