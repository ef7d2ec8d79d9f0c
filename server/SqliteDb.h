#pragma once
// Minimal RAII over the sqlite3 C API for the data server: one connection,
// prepared statements with bound values, errors raised as TSqliteError.

#include <sqlite3.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qvserver {

class TSqliteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TSqliteDb {
 public:
  // Opens (creating when missing) the file; throws TSqliteError on failure.
  // The file holds password hashes: a missing one is created with mode 0600
  // whatever the umask. SQLite gives the side files it creates later the
  // mode of the database file.
  explicit TSqliteDb(const std::string& path);
  // Takes any group and other permissions from an existing file and its
  // -wal, -shm and -journal files (called once the file is known to be ours).
  void RestrictToOwner() const;
  ~TSqliteDb();
  TSqliteDb(const TSqliteDb&) = delete;
  TSqliteDb& operator=(const TSqliteDb&) = delete;

  // Runs one or more statements of our own text (schema, pragmas).
  void Exec(const std::string& sql);
  sqlite3* Handle() const { return Db_; }
  int Changes() const { return sqlite3_changes(Db_); }

 private:
  std::string Path_;
  sqlite3* Db_ = nullptr;
};

class TSqliteStmt {
 public:
  TSqliteStmt(const TSqliteDb& db, const std::string& sql);
  ~TSqliteStmt();
  TSqliteStmt(const TSqliteStmt&) = delete;
  TSqliteStmt& operator=(const TSqliteStmt&) = delete;

  // Parameters are numbered from 1.
  TSqliteStmt& Bind(int index, const std::string& text);
  TSqliteStmt& Bind(int index, double value);
  TSqliteStmt& Bind(int index, std::int64_t value);
  TSqliteStmt& Bind(int index, int value) { return Bind(index, static_cast<std::int64_t>(value)); }
  // Advances to the next row: true with a row, false when done; throws on error.
  bool Step();
  // Resets for another run with new bindings.
  void Reset();

  int ColumnType(int column) const { return sqlite3_column_type(Stmt_, column); }
  std::string Text(int column) const;
  // The text of the current row, valid until the next Step or Reset.
  std::string_view TextView(int column) const;
  double Real(int column) const { return sqlite3_column_double(Stmt_, column); }
  std::int64_t Integer(int column) const { return sqlite3_column_int64(Stmt_, column); }

 private:
  sqlite3* Db_ = nullptr;
  sqlite3_stmt* Stmt_ = nullptr;
};

// Runs `body` inside BEGIN IMMEDIATE .. COMMIT, rolling back on an exception.
template <typename F>
void InTransaction(TSqliteDb& db, F&& body) {
  db.Exec("BEGIN IMMEDIATE");
  try {
    body();
    db.Exec("COMMIT");
  } catch (...) {
    sqlite3_exec(db.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    throw;
  }
}

}  // namespace qvserver
