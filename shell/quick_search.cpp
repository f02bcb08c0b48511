#include "shell/quick_search.h"

#include <cstdio>

#include "store/prefs.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool IsUnreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~';
}

void AppendEncoded(std::string& out, unsigned char c) {
  if (IsUnreserved(c)) {
    out += static_cast<char>(c);
    return;
  }
  char escaped[4];
  std::snprintf(escaped, sizeof escaped, "%%%02X", c);
  out += escaped;
}

}  // namespace

std::string QuickSearchAddress(const std::string& searchAddress, const std::string& keywords) {
  std::string query;
  bool inKeyword = false;
  for (char c : keywords) {
    if (IsBlank(c)) {
      inKeyword = false;
      continue;
    }
    if (!inKeyword && !query.empty()) query += '+';
    inKeyword = true;
    AppendEncoded(query, static_cast<unsigned char>(c));
  }
  if (query.empty()) return {};
  return (searchAddress.empty() ? std::string(kDefaultSearchAddress) : searchAddress) + query;
}
