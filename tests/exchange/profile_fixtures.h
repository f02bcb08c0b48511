#pragma once

#include <sqlite3.h>

#include <cstdint>
#include <string>

// Hand-made browser databases for the import tests, written with SQLite itself.
class FixtureDatabase {
 public:
  explicit FixtureDatabase(const std::string& path) { sqlite3_open(path.c_str(), &db_); }
  ~FixtureDatabase() { sqlite3_close(db_); }
  FixtureDatabase(const FixtureDatabase&) = delete;
  FixtureDatabase& operator=(const FixtureDatabase&) = delete;

  // Runs sql; false (with the error printed) when it failed.
  bool Run(const std::string& sql);
  sqlite3* Handle() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

// Microseconds since 1601 (Chromium) and since 1970 (Firefox) of seconds since 1970.
inline int64_t ChromiumMicros(int64_t seconds) {
  return (seconds + 11'644'473'600) * 1'000'000;
}
inline int64_t UnixMicros(int64_t seconds) {
  return seconds * 1'000'000;
}

// The tables of the two browsers that the import reads, with their real columns (a few left out).
inline constexpr char kChromiumSchema[] =
    "CREATE TABLE urls(id INTEGER PRIMARY KEY AUTOINCREMENT, url LONGVARCHAR, title LONGVARCHAR, "
    "visit_count INTEGER DEFAULT 0 NOT NULL, typed_count INTEGER DEFAULT 0 NOT NULL, "
    "last_visit_time INTEGER NOT NULL, hidden INTEGER DEFAULT 0 NOT NULL);"
    "CREATE INDEX urls_url_index ON urls (url);"
    "CREATE TABLE visits(id INTEGER PRIMARY KEY AUTOINCREMENT, url INTEGER NOT NULL, visit_time INTEGER NOT "
    "NULL,"
    " from_visit INTEGER, transition INTEGER DEFAULT 0 NOT NULL);"
    "CREATE INDEX visits_url_index ON visits (url);";
inline constexpr char kFirefoxSchema[] =
    "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host "
    "LONGVARCHAR,"
    " visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL,"
    " frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER, guid TEXT);"
    "CREATE TABLE moz_historyvisits (id INTEGER PRIMARY KEY, from_visit INTEGER, place_id INTEGER,"
    " visit_date INTEGER, visit_type INTEGER, session INTEGER);"
    "CREATE INDEX moz_historyvisits_placedateindex ON moz_historyvisits (place_id, visit_date);"
    "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent "
    "INTEGER,"
    " position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER,"
    " lastModified INTEGER, guid TEXT);"
    "INSERT INTO moz_bookmarks VALUES (1, 2, NULL, 0, 0, '', NULL, NULL, 0, 0, 'root________'),"
    " (2, 2, NULL, 1, 0, 'menu', NULL, NULL, 0, 0, 'menu________'),"
    " (3, 2, NULL, 1, 1, 'toolbar', NULL, NULL, 0, 0, 'toolbar_____'),"
    " (4, 2, NULL, 1, 2, 'tags', NULL, NULL, 0, 0, 'tags________'),"
    " (5, 2, NULL, 1, 3, 'unfiled', NULL, NULL, 0, 0, 'unfiled_____'),"
    " (6, 2, NULL, 1, 4, 'mobile', NULL, NULL, 0, 0, 'mobile______');";
