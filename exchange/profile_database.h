#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A browser's SQLite database, read through a private copy: the database file and the files its
// journal lives in (-wal, -journal, -shm, where present) are copied into a new folder of the
// user's own (mode 0700) and the copy is opened, so a running browser, which holds its files
// locked, is neither waited for nor disturbed, and nothing of the profile is ever written. The
// copy brings in what the browser has committed: SQLite applies the copied write-ahead log, or
// rolls back a copied hot journal, on the copy. The folder goes when the object does.
class ProfileDatabase {
 public:
  ProfileDatabase() = default;
  ~ProfileDatabase();
  ProfileDatabase(const ProfileDatabase&) = delete;
  ProfileDatabase& operator=(const ProfileDatabase&) = delete;

  // Copies and opens path; false with the reason in why (the file missing or unreadable, not a
  // database, damaged). cancel, when given, stops a long query once it is set.
  bool Open(const std::string& path, std::string& why, const std::atomic<bool>* cancel = nullptr);
  sqlite3* Handle() const { return db_; }
  // The columns of a table (none when it is missing).
  std::vector<std::string> Columns(const std::string& table) const;
  // Empty when table holds every one of columns; else what is missing, for a message.
  std::string Missing(const std::string& table, const std::vector<std::string>& columns) const;
  // The database's own text for its last error.
  std::string LastError() const;

 private:
  bool Copy(const std::string& path, std::string& why);

  std::string folder_;
  sqlite3* db_ = nullptr;
};

// One query over a ProfileDatabase, stepped row by row.
class ProfileQuery {
 public:
  ProfileQuery(const ProfileDatabase& db, const char* sql);
  ~ProfileQuery();
  ProfileQuery(const ProfileQuery&) = delete;
  ProfileQuery& operator=(const ProfileQuery&) = delete;

  void Bind(int index, int64_t value);
  // True while a row is there; at the end or on an error false (then Failed()).
  bool Next();
  bool Failed() const { return failed_; }
  int64_t Integer(int column) const;
  // A column's text (empty for NULL).
  std::string Text(int column) const;
  bool IsNull(int column) const;

 private:
  sqlite3_stmt* statement_ = nullptr;
  bool failed_ = false;
};
