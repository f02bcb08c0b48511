#include "store/site_keys.h"

#include <libpsl.h>

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
  std::string_view suffix =
      lastDot == std::string::npos ? std::string_view(server) : std::string_view(server).substr(lastDot);
  if (!IsShortenedSuffix(suffix)) return server;

  std::string_view rest = std::string_view(server).substr(0, lastDot);
  size_t labelDot = rest.rfind('.');
  std::string_view label = labelDot == std::string_view::npos ? rest : rest.substr(labelDot + 1);
  return std::string(label) + std::string(suffix);
}

// The host of a URL's authority (between "://" and the first "/", "?" or "#"): no user
// information, no port, lower-case, no trailing dot. An IPv6 literal keeps its brackets.
std::string HostOf(std::string_view url) {
  const size_t start = url.find("://");
  if (start == std::string_view::npos) return {};
  std::string_view authority = url.substr(start + 3);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  if (size_t at = authority.rfind('@'); at != std::string_view::npos) authority = authority.substr(at + 1);
  if (authority.starts_with('[')) return Lower(authority.substr(0, authority.find(']') + 1));
  authority = authority.substr(0, authority.find(':'));
  while (authority.ends_with('.')) authority.remove_suffix(1);
  return Lower(authority);
}

bool IsIpv4(std::string_view host) {
  return !host.empty() && host.find_first_not_of("0123456789.") == std::string_view::npos;
}

const psl_ctx_t* SuffixList() {
  static const psl_ctx_t* const list = [] {
    const psl_ctx_t* latest = psl_latest(nullptr);
    return latest ? latest : psl_builtin();
  }();
  return list;
}

// The registrable domain of a host: the public suffix and the one label before it.
std::string RegistrableDomain(const std::string& host) {
  if (host.empty() || host.starts_with('[') || IsIpv4(host) || !SuffixList()) return host;
  char* lower = nullptr;
  const bool converted = psl_str_to_utf8lower(host.c_str(), "utf-8", "en", &lower) == PSL_SUCCESS;
  const std::string name = converted && lower ? lower : host;
  psl_free_string(lower);
  const char* domain = psl_registrable_domain(SuffixList(), name.c_str());
  return domain ? std::string(domain) : name;
}

std::string ModernSiteKey(std::string_view url, int simpleSites) {
  const std::string host = HostOf(url);
  return simpleSites != 0 ? host : RegistrableDomain(host);
}

}  // namespace

std::string SiteKeyForUrl(const std::string& url, int simpleSites, int modernSites) {
  const std::string prefix = Lower(std::string_view(url).substr(0, 5));
  if (modernSites != 0 && (prefix == "http:" || prefix == "https")) return ModernSiteKey(url, simpleSites);
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
