#include "exchange/browser_profiles.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

bool IsFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// One [section] of an INI text with its name=value lines.
struct IniSection {
  std::string name;
  std::vector<std::pair<std::string, std::string>> values;
  std::string Get(const std::string& key) const {
    for (const auto& [k, v] : values)
      if (k == key) return v;
    return {};
  }
};

std::vector<IniSection> ParseIni(std::string_view text) {
  std::vector<IniSection> sections;
  std::istringstream in{std::string(text)};
  for (std::string raw; std::getline(in, raw);) {
    const std::string_view line = Trim(raw);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      sections.push_back({std::string(line.substr(1, line.size() - 2)), {}});
    } else if (const std::size_t equals = line.find('=');
               equals != std::string_view::npos && !sections.empty()) {
      sections.back().values.emplace_back(Trim(line.substr(0, equals)), Trim(line.substr(equals + 1)));
    }
  }
  return sections;
}

std::vector<BrowserProfile> ChromiumProfiles(const ProfilePlaces& places) {
  std::vector<BrowserProfile> found;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(fs::path(places.config) / "chromium", ec)) {
    const std::string name = entry.path().filename().string();
    if (!entry.is_directory(ec) || name == "System Profile" || name == "Guest Profile") continue;
    if (IsFile(entry.path() / "History") || IsFile(entry.path() / "Bookmarks"))
      found.push_back({BrowserKind::Chromium, name, entry.path().string()});
  }
  std::sort(found.begin(), found.end(), [](const BrowserProfile& a, const BrowserProfile& b) {
    return (a.name == "Default") != (b.name == "Default") ? a.name == "Default" : a.name < b.name;
  });
  return found;
}

std::vector<BrowserProfile> FirefoxProfiles(const ProfilePlaces& places) {
  const fs::path folder = fs::path(places.home) / ".mozilla" / "firefox";
  std::ifstream in(folder / "profiles.ini");
  std::ostringstream text;
  text << in.rdbuf();
  std::vector<BrowserProfile> found = ParseFirefoxProfiles(text.str(), folder.string());
  std::erase_if(found, [](const BrowserProfile& p) { return !IsFile(fs::path(p.folder) / "places.sqlite"); });
  return found;
}

}  // namespace

std::string BrowserName(BrowserKind browser) {
  return browser == BrowserKind::Chromium ? "Chromium" : "Firefox";
}

std::optional<BrowserKind> ParseBrowserKind(std::string_view text) {
  const std::string lower = Lower(text);
  if (lower == "chromium") return BrowserKind::Chromium;
  if (lower == "firefox") return BrowserKind::Firefox;
  return std::nullopt;
}

std::string DescribeProfile(const BrowserProfile& profile) {
  return BrowserName(profile.browser) + " (" + profile.name + ")";
}

ProfilePlaces ProfilePlaces::FromEnvironment() {
  const char* home = std::getenv("HOME");
  const char* config = std::getenv("XDG_CONFIG_HOME");
  ProfilePlaces places;
  places.home = home ? home : "";
  places.config = config && *config ? std::string(config) : places.home + "/.config";
  return places;
}

std::vector<BrowserProfile> FindProfiles(BrowserKind browser, const ProfilePlaces& places) {
  return browser == BrowserKind::Chromium ? ChromiumProfiles(places) : FirefoxProfiles(places);
}

std::vector<BrowserProfile> FindAllProfiles(const ProfilePlaces& places) {
  std::vector<BrowserProfile> all = ChromiumProfiles(places);
  for (BrowserProfile& profile : FirefoxProfiles(places)) all.push_back(std::move(profile));
  return all;
}

BrowserProfile ProfileAt(BrowserKind browser, const std::string& folder) {
  fs::path path = fs::path(folder).lexically_normal();
  if (!path.has_filename()) path = path.parent_path();
  return {browser, path.filename().string(), folder};
}

std::vector<BrowserProfile> ParseFirefoxProfiles(std::string_view ini, const std::string& iniFolder) {
  const std::vector<IniSection> sections = ParseIni(ini);
  std::vector<std::string> installDefaults;
  for (const IniSection& section : sections)
    if (section.name.starts_with("Install") && !section.Get("Default").empty())
      installDefaults.push_back(section.Get("Default"));
  // Lower ranks come first: an installation's default, then the marked one, then the rest.
  std::vector<std::pair<int, BrowserProfile>> ranked;
  for (const IniSection& section : sections) {
    const std::string path = section.Get("Path");
    if (!section.name.starts_with("Profile") || path.empty()) continue;
    const bool relative = section.Get("IsRelative") != "0";
    const std::string folder = relative ? (fs::path(iniFolder) / path).string() : path;
    const bool installDefault =
        std::find(installDefaults.begin(), installDefaults.end(), path) != installDefaults.end();
    const int rank = installDefault ? 0 : section.Get("Default") == "1" ? 1 : 2;
    const std::string name = section.Get("Name");
    ranked.push_back({rank, {BrowserKind::Firefox, name.empty() ? path : name, folder}});
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<BrowserProfile> profiles;
  for (auto& [rank, profile] : ranked) profiles.push_back(std::move(profile));
  return profiles;
}
