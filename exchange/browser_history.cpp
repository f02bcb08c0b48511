#include "exchange/browser_history.h"

#include <vector>

namespace {

// Where a browser keeps its history, and how its clock counts.
struct HistoryLayout {
  const char* pages;
  std::vector<std::string> pageColumns;
  const char* visits;
  std::vector<std::string> visitColumns;
  const char* query;  // url, title, last visit, first visit; most recent first
  Time32 (*time)(int64_t);
};

const HistoryLayout kChromium{
    "urls",
    {"id", "url", "title", "last_visit_time", "hidden"},
    "visits",
    {"url", "visit_time"},
    "SELECT u.url, u.title, u.last_visit_time, "
    "(SELECT min(v.visit_time) FROM visits v WHERE v.url = u.id) "
    "FROM urls u WHERE u.hidden = 0 AND u.last_visit_time > 0 ORDER BY u.last_visit_time DESC",
    FromChromiumTime,
};

const HistoryLayout kFirefox{
    "moz_places",
    {"id", "url", "title", "last_visit_date", "hidden"},
    "moz_historyvisits",
    {"place_id", "visit_date"},
    "SELECT p.url, p.title, p.last_visit_date, "
    "(SELECT min(v.visit_date) FROM moz_historyvisits v WHERE v.place_id = p.id) "
    "FROM moz_places p WHERE p.hidden = 0 AND p.last_visit_date > 0 ORDER BY p.last_visit_date DESC",
    FromUnixMicroseconds,
};

bool ReadHistory(const ProfileDatabase& db, const HistoryLayout& layout, std::size_t limit, BrowserData& data,
                 std::string& why) {
  for (std::string missing :
       {db.Missing(layout.pages, layout.pageColumns), db.Missing(layout.visits, layout.visitColumns)}) {
    if (missing.empty()) continue;
    why = "the history has a layout this Hopwise does not know: " + missing;
    return false;
  }
  ProfileQuery query(db, layout.query);
  while (data.pages.size() < limit && query.Next()) {
    VisitedPage page{query.Text(0), query.Text(1), 0, layout.time(query.Integer(2))};
    if (!IsImportableAddress(page.url)) {
      ++data.leftOut;
      continue;
    }
    const Time32 first = query.IsNull(3) ? 0 : layout.time(query.Integer(3));
    page.firstVisited = first > 0 && first < page.lastVisited ? first : page.lastVisited;
    if (page.title.empty()) page.title = page.url;
    data.pages.push_back(std::move(page));
  }
  if (!query.Failed()) return true;
  why = "the history could not be read: " + db.LastError();
  return false;
}

}  // namespace

bool ReadChromiumHistory(const ProfileDatabase& db, std::size_t limit, BrowserData& data, std::string& why) {
  return ReadHistory(db, kChromium, limit, data, why);
}

bool ReadFirefoxHistory(const ProfileDatabase& db, std::size_t limit, BrowserData& data, std::string& why) {
  return ReadHistory(db, kFirefox, limit, data, why);
}
