#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"

// The rules of "Find a Page": how typed words match a page and how the matches are ranked. Plain
// functions over folded text; PageFinder applies them to the store and the Topics.

// Text as the finder compares it: UTF-8 (other bytes read as Latin-1), lower case, accents taken
// off the Latin letters (é -> e, ß -> ss, Æ -> ae, Ł -> l), combining marks dropped, Greek and
// Cyrillic capitals made small. Control characters become blanks. Other characters stay as they are.
std::string FoldForFind(std::string_view text);
// The same, appended to out.
void AppendFolded(std::string_view text, std::string& out);

// The words of a query, folded, in the order typed; blanks separate them.
std::vector<std::string> FindWords(std::string_view query);

// The parts of a page that words are matched against, each folded.
struct FindFields {
  std::string_view title;
  std::string_view site;    // the Site key of its address
  std::string_view folder;  // a Topic link's folder path; empty for a PageMark
  std::string_view url;
};

// Points for one word, by where it is found best (0: nowhere). A whole title word beats the start
// of a title word, which beats a piece of one; then the Site, the Topic folder and the address,
// each better at the start of one of its words. Every whole-title-word match outranks every
// address-only match whatever the pages' visits, as the frecency adds at most kMaxFrecency.
namespace find_points {
inline constexpr int kTitleWord = 100;
inline constexpr int kTitleWordStart = 70;
inline constexpr int kTitleInside = 40;
inline constexpr int kSiteWordStart = 50;
inline constexpr int kSiteInside = 25;
inline constexpr int kFolderWordStart = 40;
inline constexpr int kFolderInside = 20;
inline constexpr int kUrlWordStart = 30;
inline constexpr int kUrlInside = 10;
}  // namespace find_points
int WordPoints(std::string_view word, const FindFields& fields);

// The sum of WordPoints over the words; 0 when any word is found nowhere (every word must match).
int MatchPoints(const std::vector<std::string>& words, const FindFields& fields);

// How much a page's visits add to its rank, from 0 to kMaxFrecency. The store keeps a page's first
// and last visit, not a count, so "often" is read from how long the user has kept coming back:
//   recency = 30 * 2^(-daysSinceLastVisit / 14)            (halves every two weeks)
//   loyalty = 10 * min(1, log2(1 + daysBetweenFirstAndLastVisit) / 8)   (full after ~8 months)
//   frecency = recency + loyalty
// A visit time in the future counts as now. Between two pages of equal match and equal span the
// more recently visited one ranks higher.
inline constexpr double kMaxFrecency = 40.0;
double Frecency(Time32 lastVisited, Time32 firstVisited, Time32 now);
// Its two terms, for an index that keeps the loyalty of each page.
double Recency(Time32 lastVisited, Time32 now);
double Loyalty(Time32 lastVisited, Time32 firstVisited);
