#include "exchange/browser_data.h"

#include <algorithm>
#include <cctype>
#include <limits>

#include "browser/address_guard.h"

namespace {

// Seconds from 1601-01-01 to 1970-01-01.
constexpr int64_t kChromiumEpochOffset = 11'644'473'600;

Time32 FromSeconds(int64_t seconds) {
  if (seconds <= 0 || seconds > std::numeric_limits<Time32>::max()) return 0;
  return static_cast<Time32>(seconds);
}

// The browsers' own pages and the schemes that show no page of the web.
constexpr std::string_view kInternalSchemes[] = {
    "about",    "blob",        "chrome",   "chrome-extension", "chrome-search", "chrome-untrusted",
    "data",     "devtools",    "edge",     "javascript",       "moz-extension", "place",
    "resource", "view-source", "vbscript", "moz-icon",         "jar",
};

std::string SchemeOf(std::string_view url) {
  const std::size_t colon = url.find(':');
  if (colon == std::string_view::npos) return {};
  std::string scheme(url.substr(0, colon));
  std::transform(scheme.begin(), scheme.end(), scheme.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return scheme;
}

}  // namespace

Time32 FromChromiumTime(int64_t microseconds) {
  if (microseconds <= 0) return 0;
  return FromSeconds(microseconds / 1'000'000 - kChromiumEpochOffset);
}

Time32 FromUnixMicroseconds(int64_t microseconds) {
  return FromSeconds(microseconds / 1'000'000);
}

bool IsImportableAddress(std::string_view url) {
  if (url.empty() || BrowserRefusal(url)) return false;
  const std::string scheme = SchemeOf(url);
  return std::find(std::begin(kInternalSchemes), std::end(kInternalSchemes), scheme) ==
         std::end(kInternalSchemes);
}
