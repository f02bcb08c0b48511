#include "exchange/profile_database.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// The files beside a database that hold its journal.
constexpr const char* kJournalSuffixes[] = {"-wal", "-journal", "-shm"};

// How many virtual machine steps pass between two looks at the cancel flag.
constexpr int kCancelCheckSteps = 10000;

int CheckCancel(void* flag) {
  return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0;
}

bool CopyOne(const fs::path& from, const fs::path& to, std::string& why) {
  std::error_code ec;
  if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, ec)) {
    why = from.string() + ": " + ec.message();
    return false;
  }
  fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, ec);
  return true;
}

}  // namespace

ProfileDatabase::~ProfileDatabase() {
  if (db_) sqlite3_close(db_);
  std::error_code ec;
  if (!folder_.empty()) fs::remove_all(folder_, ec);
}

bool ProfileDatabase::Copy(const std::string& path, std::string& why) {
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) {
    why = path + (fs::exists(path, ec) ? ": is not a regular file" : ": no such file");
    return false;
  }
  std::string pattern = (fs::temp_directory_path(ec) / "hopwise-profile-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    why = std::string("cannot make a temporary folder: ") + std::strerror(errno);
    return false;
  }
  folder_ = pattern;  // mkdtemp makes it with mode 0700
  const fs::path copy = fs::path(folder_) / fs::path(path).filename();
  if (!CopyOne(path, copy, why)) return false;
  for (const char* suffix : kJournalSuffixes) {
    const std::string journal = path + suffix;
    if (fs::exists(journal, ec) && !CopyOne(journal, copy.string() + suffix, why)) return false;
  }
  return true;
}

bool ProfileDatabase::Open(const std::string& path, std::string& why, const std::atomic<bool>* cancel) {
  if (!Copy(path, why)) return false;
  const std::string copy = (fs::path(folder_) / fs::path(path).filename()).string();
  // Read and write on the copy: a copied hot journal is rolled back and a copied log applied there.
  if (sqlite3_open_v2(copy.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK) {
    why = path + ": " + LastError();
    return false;
  }
  if (cancel)
    sqlite3_progress_handler(db_, kCancelCheckSteps, CheckCancel, const_cast<std::atomic<bool>*>(cancel));
  // The first read finds out whether the file is a database at all, and undamaged at its start.
  char* error = nullptr;
  if (sqlite3_exec(db_, "PRAGMA query_only = 1; SELECT count(*) FROM sqlite_master;", nullptr, nullptr,
                   &error) != SQLITE_OK) {
    why = path + ": " + (error ? error : LastError());
    sqlite3_free(error);
    return false;
  }
  return true;
}

std::vector<std::string> ProfileDatabase::Columns(const std::string& table) const {
  std::vector<std::string> columns;
  ProfileQuery query(*this, ("PRAGMA table_info(\"" + table + "\")").c_str());
  while (query.Next()) columns.push_back(query.Text(1));
  return columns;
}

std::string ProfileDatabase::Missing(const std::string& table,
                                     const std::vector<std::string>& columns) const {
  const std::vector<std::string> present = Columns(table);
  if (present.empty()) return "it has no table " + table;
  for (const std::string& column : columns)
    if (std::find(present.begin(), present.end(), column) == present.end())
      return "its table " + table + " has no column " + column;
  return {};
}

std::string ProfileDatabase::LastError() const {
  return db_ ? sqlite3_errmsg(db_) : "out of memory";
}

ProfileQuery::ProfileQuery(const ProfileDatabase& db, const char* sql) {
  failed_ = sqlite3_prepare_v2(db.Handle(), sql, -1, &statement_, nullptr) != SQLITE_OK;
}

ProfileQuery::~ProfileQuery() {
  sqlite3_finalize(statement_);
}

void ProfileQuery::Bind(int index, int64_t value) {
  if (statement_) sqlite3_bind_int64(statement_, index, value);
}

bool ProfileQuery::Next() {
  if (failed_ || !statement_) return false;
  const int step = sqlite3_step(statement_);
  if (step == SQLITE_ROW) return true;
  failed_ = step != SQLITE_DONE;
  return false;
}

int64_t ProfileQuery::Integer(int column) const {
  return sqlite3_column_int64(statement_, column);
}

std::string ProfileQuery::Text(int column) const {
  const unsigned char* text = sqlite3_column_text(statement_, column);
  return text ? std::string(reinterpret_cast<const char*>(text),
                            static_cast<std::size_t>(sqlite3_column_bytes(statement_, column)))
              : std::string();
}

bool ProfileQuery::IsNull(int column) const {
  return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}
