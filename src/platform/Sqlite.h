#pragma once
// RAII wrappers over the sqlite3 C API: a connection, prepared statements with
// bound values, and a transaction guard that rolls back unless committed.
// Every failure throws SqliteError carrying the engine's message.

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace platform {

class SqliteError : public std::runtime_error {
 public:
  SqliteError(const std::string& message, int code) : std::runtime_error(message), Code_(code) {}
  // Extended result code of the engine (SQLITE_ERROR when raised by this layer).
  int Code() const { return Code_; }
  // Primary result code (the low byte of the extended one).
  int PrimaryCode() const { return Code_ & 0xFF; }

 private:
  int Code_;
};

class SqliteConnection;

class SqliteStatement {
 public:
  SqliteStatement() = default;
  // Prepares sql on the open connection; the statement must not outlive the
  // connection object (it may outlive Close()).
  SqliteStatement(const SqliteConnection& connection, std::string_view sql);
  ~SqliteStatement();
  SqliteStatement(SqliteStatement&& other) noexcept;
  SqliteStatement& operator=(SqliteStatement&& other) noexcept;
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  bool IsPrepared() const { return Stmt_ != nullptr; }

  // Parameters are numbered from 1. Texts are copied by the engine unless
  // BindStaticText is used, whose text must outlive the next Step/Reset.
  SqliteStatement& BindText(int index, std::string_view value);
  SqliteStatement& BindStaticText(int index, std::string_view value);
  SqliteStatement& BindDouble(int index, double value);
  SqliteStatement& BindInt(int index, std::int64_t value);
  SqliteStatement& BindNull(int index);
  // Index of a named parameter (":name"); throws when unknown.
  int ParameterIndex(const char* name) const;

  // Runs one step: true when a row is available, false when done.
  bool Step();
  // Steps until done (statements without a result), then resets the
  // statement for its next run; bindings stay.
  void Execute();
  // Makes the statement runnable again; bindings stay unless cleared.
  void Reset();
  void ClearBindings();

  // Columns of the current row, numbered from 0.
  int ColumnCount() const;
  std::string ColumnName(int index) const;
  // Index of a column by name, case-insensitive; throws when unknown.
  int ColumnIndex(std::string_view name) const;
  bool IsNull(int index) const;
  // True when the column's value is stored as an integer or a real number.
  bool IsNumber(int index) const;
  std::string ColumnText(int index) const;
  double ColumnDouble(int index) const;
  std::int64_t ColumnInt64(int index) const;
  std::int32_t ColumnInt(int index) const;

  std::string Text(std::string_view column) const { return ColumnText(ColumnIndex(column)); }
  double Double(std::string_view column) const { return ColumnDouble(ColumnIndex(column)); }
  std::int32_t Int(std::string_view column) const { return ColumnInt(ColumnIndex(column)); }

 private:
  void Check(int rc) const;
  void Finalize() noexcept;

  const SqliteConnection* Connection_ = nullptr;
  sqlite3* Db_ = nullptr;
  sqlite3_stmt* Stmt_ = nullptr;
};

// ReadOnlyImmutable reads the file as it stands, without locks and without
// the journal files beside it (none is created): only for a file that no one
// can write while it is open and whose write-ahead log, if any, is empty.
enum class SqliteOpenMode { ReadWriteCreate, ReadWrite, ReadOnly, ReadOnlyImmutable };

class SqliteConnection {
 public:
  // Told of every error raised on this connection before it is thrown.
  using ErrorListener = std::function<void(const SqliteError&)>;

  SqliteConnection() = default;
  ~SqliteConnection();
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  // Opens the file (closing any open one first); throws on failure, leaving
  // the connection closed. The connection and its statements are used by one
  // thread at a time: the engine does not lock them on each call (that
  // locking costs some 10 % of reading a series); the file itself stays
  // locked against other connections as always.
  void Open(const std::string& path, SqliteOpenMode mode = SqliteOpenMode::ReadWriteCreate);
  // Closes the file; statements still alive keep the handle until finalized.
  void Close() noexcept;
  bool IsOpen() const { return Db_ != nullptr; }
  const std::string& Path() const { return Path_; }
  sqlite3* Handle() const { return Db_; }

  void SetBusyTimeout(int milliseconds);
  void SetErrorListener(ErrorListener listener) { Listener_ = std::move(listener); }

  // Runs one or more statements without results.
  void Exec(const std::string& sql);
  SqliteStatement Prepare(std::string_view sql);
  // First column of the first row of a query as an integer (0 when no row).
  std::int64_t QueryInt(const std::string& sql);

  std::int64_t Changes() const;
  std::int64_t LastInsertRowId() const;
  // True while a transaction is open (the engine is not in autocommit mode).
  bool InTransaction() const;
  // True when the open file could be opened for reading only (a write-protected
  // file or folder): every write then fails with SQLITE_READONLY.
  bool IsReadOnly() const;
  std::string ErrorMessage() const;

  // Raises SqliteError for rc with the engine's message of db (the open
  // handle when null), telling the listener first.
  [[noreturn]] void Fail(int rc, sqlite3* db = nullptr) const;
  // Raises a failure of this layer (not reported by the engine).
  [[noreturn]] void Fail(const std::string& message) const;

 private:
  friend class SqliteTransaction;
  friend class SqliteStatement;
  int NextSavepoint() { return ++SavepointCounter_; }

  sqlite3* Db_ = nullptr;
  std::string Path_;
  ErrorListener Listener_;
  int SavepointCounter_ = 0;
};

// Opens a transaction (BEGIN IMMEDIATE) or, inside one, a savepoint; the
// destructor rolls back what was not committed.
class SqliteTransaction {
 public:
  explicit SqliteTransaction(SqliteConnection& connection);
  ~SqliteTransaction();
  SqliteTransaction(SqliteTransaction&& other) noexcept;
  SqliteTransaction(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(const SqliteTransaction&) = delete;
  SqliteTransaction& operator=(SqliteTransaction&&) = delete;

  void Commit();
  // Undoes the work since the guard opened; no-op when already ended.
  void Rollback() noexcept;
  bool IsActive() const { return Connection_ != nullptr; }

 private:
  SqliteConnection* Connection_ = nullptr;
  std::string Savepoint_;  // empty for the outermost transaction
};

}  // namespace platform
