#include "store/watched_file.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/damaged_copy.h"

namespace {

constexpr char kHeader[] = "Hopwise watched pages ";
constexpr size_t kPageFields = 13;  // "page" and its twelve values

std::string Escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool Unescape(const std::string& text, std::string& out) {
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        out += '\\';
        break;
      case 't':
        out += '\t';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      default:
        return false;
    }
  }
  return true;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}

template <typename Number>
bool ReadNumber(const std::string& text, Number& number) {
  const char* end = text.data() + text.size();
  auto [at, error] = std::from_chars(text.data(), end, number);
  return error == std::errc() && at == end && !text.empty();
}

bool ReadPage(const std::vector<std::string>& f, WatchedPage& page) {
  int last = 0, changed = 0, reported = 0;
  bool ok = Unescape(f[1], page.url) && Unescape(f[2], page.title) && ReadNumber(f[3], page.seenAt) &&
            ReadNumber(f[4], page.size) && ReadNumber(f[5], last) && ReadNumber(f[6], page.checkedAt) &&
            Unescape(f[7], page.status) && ReadNumber(f[8], changed) && ReadNumber(f[9], page.changedAt) &&
            ReadNumber(f[10], page.sizeBefore) && ReadNumber(f[11], page.failedRuns) &&
            ReadNumber(f[12], reported);
  ok = ok && last >= 0 && last <= static_cast<int>(WatchFinding::kBadStatus) && !page.url.empty();
  page.last = static_cast<WatchFinding>(last);
  page.changed = changed != 0;
  page.failureReported = reported != 0;
  return ok;
}

}  // namespace

void WriteWatched(std::ostream& out, const WatchedPages& watched) {
  out << kHeader << 1 << '\n' << "last-run\t" << watched.LastRun() << '\n';
  for (const WatchedPage& p : watched.Pages())
    out << "page\t" << Escape(p.url) << '\t' << Escape(p.title) << '\t' << p.seenAt << '\t' << p.size << '\t'
        << static_cast<int>(p.last) << '\t' << p.checkedAt << '\t' << Escape(p.status) << '\t'
        << (p.changed ? 1 : 0) << '\t' << p.changedAt << '\t' << p.sizeBefore << '\t' << p.failedRuns << '\t'
        << (p.failureReported ? 1 : 0) << '\n';
}

bool ReadWatched(std::istream& in, WatchedPages& watched) {
  std::string line;
  int version = 0;
  if (!std::getline(in, line) || line.rfind(kHeader, 0) != 0 ||
      !ReadNumber(line.substr(sizeof(kHeader) - 1), version) || version < 1)
    return false;
  std::vector<WatchedPage> pages;
  Time32 lastRun = 0;
  while (std::getline(in, line)) {
    const std::vector<std::string> fields = SplitTabs(line);
    if (fields[0] == "last-run") {
      if (fields.size() != 2 || !ReadNumber(fields[1], lastRun)) return false;
    } else if (fields[0] == "page") {
      WatchedPage page;
      if (fields.size() < kPageFields || !ReadPage(fields, page)) return false;
      const bool twice =
          std::any_of(pages.begin(), pages.end(), [&](const auto& p) { return p.url == page.url; });
      if (!twice) pages.push_back(std::move(page));
    }
  }
  if (in.bad()) return false;
  watched.Reset(std::move(pages), lastRun);
  return true;
}

std::string WatchedPathBeside(const std::string& cachePath) {
  const size_t slash = cachePath.rfind('/');
  return (slash == std::string::npos ? std::string(".") : cachePath.substr(0, slash)) + "/" +
         kWatchedFileName;
}

bool LoadWatchedFile(const std::string& path, WatchedPages& watched, MessageBoxes& messages, Time32 now) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    if (errno == ENOENT) return true;
    messages.Ok("Hopwise cannot read " + path + ": " + std::strerror(errno) +
                ".\nThe file is left as it is and will not be written while Hopwise runs.");
    return false;
  }
  if (ReadWatched(in, watched)) return true;
  std::string why;
  const std::string copy = KeepDamagedCopy(path, now, why);
  if (copy.empty()) {
    messages.Ok("The list of watched pages " + path + " is damaged, and could not be moved aside (" + why +
                "), so it is left as it is and will not be written while Hopwise runs.");
    return false;
  }
  messages.Ok("The list of watched pages " + path +
              " is damaged; no page is watched now.\nThe damaged file was kept as " + copy + ".");
  return true;
}

bool SaveWatchedFile(const std::string& path, const WatchedPages& watched, std::string* why) {
  std::ostringstream out;
  WriteWatched(out, watched);
  return ReplaceFile(path, out.str(), ReplaceOptions{}, why);
}
