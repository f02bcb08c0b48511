#include "exchange/profile_fixtures.h"

#include <cstdio>

bool FixtureDatabase::Run(const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK) return true;
  std::fprintf(stderr, "fixture: %s\n", error ? error : "?");
  sqlite3_free(error);
  return false;
}
