#include "store/site_keys.h"

#include <array>
#include <string_view>

namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// The URL from index `from` up to its first "/" (all of the rest if there is none). An index
// past the end gives an empty text.
std::string ServerText(std::string_view url, size_t from) {
  if (from >= url.size()) return {};
  std::string_view rest = url.substr(from);
  return std::string(rest.substr(0, rest.find('/')));
}

// The five top-level domains whose http Sites are shortened to the registered domain.
bool IsShortenedSuffix(std::string_view suffix) {
  constexpr std::array<std::string_view, 5> kSuffixes{".com", ".edu", ".org", ".net", ".gov"};
  for (std::string_view s : kSuffixes)
    if (suffix == s) return true;
  return false;
}

std::string HttpSiteKey(std::string_view url, int simpleSites) {
  std::string server = ServerText(url, 7);
  if (simpleSites != 0) return server;

  server = Lower(server);
  if (size_t colon = server.rfind(':'); colon != std::string::npos) server.erase(colon);

  size_t lastDot = server.rfind('.');
  std::string_view suffix = lastDot == std::string::npos ? std::string_view(server)
                                                          : std::string_view(server).substr(lastDot);
  if (!IsShortenedSuffix(suffix)) return server;

  std::string_view rest = std::string_view(server).substr(0, lastDot);
  size_t labelDot = rest.rfind('.');
  std::string_view label = labelDot == std::string_view::npos ? rest : rest.substr(labelDot + 1);
  return std::string(label) + std::string(suffix);
}

}  // namespace

std::string SiteKeyForUrl(const std::string& url, int simpleSites) {
  const std::string prefix = Lower(std::string_view(url).substr(0, 5));
  if (prefix == "http:") return HttpSiteKey(url, simpleSites);
  if (prefix == "https") return ServerText(url, 8) + " (secure)";
  if (prefix == "about") return "about";
  if (prefix == "ftp:/") return ServerText(url, 6);
  if (prefix == "gophe") return ServerText(url, 9);
  if (prefix == "file:") return "Local Disk(s)";
  return "Unknown Server Type";
}

size_t SiteInsertPosition(const std::vector<std::string>& siteNames, const std::string& key) {
  // std::string compares through char_traits<char>, which orders bytes as unsigned values.
  size_t position = 0;
  while (position < siteNames.size() && siteNames[position] < key) ++position;
  return position;
}
