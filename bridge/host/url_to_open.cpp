#include "bridge/host/url_to_open.h"

#include <cctype>

namespace bridge {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// True when the text starts with "scheme:" and what follows is not just a port number.
bool HasScheme(const std::string& url) {
  size_t i = 0;
  if (url.empty() || !std::isalpha(static_cast<unsigned char>(url[0]))) return false;
  while (i < url.size() && (std::isalnum(static_cast<unsigned char>(url[i])) || url[i] == '+' ||
                            url[i] == '-' || url[i] == '.'))
    ++i;
  if (i >= url.size() || url[i] != ':') return false;
  size_t digits = i + 1;
  while (digits < url.size() && std::isdigit(static_cast<unsigned char>(url[digits]))) ++digits;
  const bool portOnly = digits > i + 1 && (digits == url.size() || url[digits] == '/' || url[digits] == '?');
  return !portOnly;
}

}  // namespace

std::string UrlToOpen(const std::string& requested) {
  size_t begin = 0, end = requested.size();
  while (begin < end && IsBlank(requested[begin])) ++begin;
  while (end > begin && IsBlank(requested[end - 1])) --end;
  std::string url = requested.substr(begin, end - begin);
  if (url.empty() || HasScheme(url)) return url;
  if (url[0] == '/') return "file://" + url;  // a local file by its path
  return "http://" + url;
}

}  // namespace bridge
