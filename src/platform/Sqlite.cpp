#include "platform/Sqlite.h"

#include <sqlite3.h>

#include <filesystem>
#include <limits>
#include <string>
#include <utility>

namespace platform {

namespace {

bool EqualsNoCase(std::string_view a, const char* b) {
  if (b == nullptr) return false;
  std::size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return i == a.size() && b[i] == '\0';
}

// "file:" URI of path with the query text: '%', '?' and '#' escaped, the
// path made absolute so that it cannot be read as an authority.
std::string FileUri(const std::string& path, const char* query) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  std::string uri = "file://";
  for (const char c : error ? path : absolute.string()) {
    if (c == '%' || c == '?' || c == '#') {
      static constexpr char kHex[] = "0123456789ABCDEF";
      uri += '%';
      uri += kHex[(static_cast<unsigned char>(c) >> 4) & 0xF];
      uri += kHex[static_cast<unsigned char>(c) & 0xF];
    } else {
      uri += c;
    }
  }
  return uri + "?" + query;
}

int CheckedLength(std::string_view text) {
  if (text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw SqliteError("string or blob too big", SQLITE_TOOBIG);
  }
  return static_cast<int>(text.size());
}

}  // namespace

// ---------------------------------------------------------------- statement

SqliteStatement::SqliteStatement(const SqliteConnection& connection, std::string_view sql)
    : Connection_(&connection), Db_(connection.Handle()) {
  if (Db_ == nullptr) connection.Fail("not connected");
  const int rc = sqlite3_prepare_v2(Db_, sql.data(), CheckedLength(sql), &Stmt_, nullptr);
  if (rc != SQLITE_OK) {
    Finalize();
    connection.Fail(rc, Db_);
  }
  if (Stmt_ == nullptr) connection.Fail("empty statement");
}

SqliteStatement::~SqliteStatement() { Finalize(); }

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : Connection_(std::exchange(other.Connection_, nullptr)),
      Db_(std::exchange(other.Db_, nullptr)),
      Stmt_(std::exchange(other.Stmt_, nullptr)) {}

SqliteStatement& SqliteStatement::operator=(SqliteStatement&& other) noexcept {
  if (this != &other) {
    Finalize();
    Connection_ = std::exchange(other.Connection_, nullptr);
    Db_ = std::exchange(other.Db_, nullptr);
    Stmt_ = std::exchange(other.Stmt_, nullptr);
  }
  return *this;
}

void SqliteStatement::Finalize() noexcept {
  if (Stmt_ != nullptr) sqlite3_finalize(Stmt_);
  Stmt_ = nullptr;
}

void SqliteStatement::Check(int rc) const {
  if (rc == SQLITE_OK) return;
  if (Connection_ != nullptr) Connection_->Fail(rc, Db_);
  throw SqliteError(sqlite3_errstr(rc), rc);
}

SqliteStatement& SqliteStatement::BindText(int index, std::string_view value) {
  Check(sqlite3_bind_text(Stmt_, index, value.data(), CheckedLength(value), SQLITE_TRANSIENT));
  return *this;
}

SqliteStatement& SqliteStatement::BindStaticText(int index, std::string_view value) {
  Check(sqlite3_bind_text(Stmt_, index, value.data(), CheckedLength(value), SQLITE_STATIC));
  return *this;
}

SqliteStatement& SqliteStatement::BindDouble(int index, double value) {
  Check(sqlite3_bind_double(Stmt_, index, value));
  return *this;
}

SqliteStatement& SqliteStatement::BindInt(int index, std::int64_t value) {
  Check(sqlite3_bind_int64(Stmt_, index, value));
  return *this;
}

SqliteStatement& SqliteStatement::BindNull(int index) {
  Check(sqlite3_bind_null(Stmt_, index));
  return *this;
}

int SqliteStatement::ParameterIndex(const char* name) const {
  const int index = sqlite3_bind_parameter_index(Stmt_, name);
  if (index == 0) {
    if (Connection_ != nullptr) Connection_->Fail(std::string("no such parameter: ") + name);
    throw SqliteError(std::string("no such parameter: ") + name, SQLITE_RANGE);
  }
  return index;
}

bool SqliteStatement::Step() {
  const int rc = sqlite3_step(Stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  // The statement must be reset before it can run again; its error stays on the handle.
  Check(rc);
  return false;
}

void SqliteStatement::Execute() {
  while (Step()) {
  }
  sqlite3_reset(Stmt_);
}

void SqliteStatement::Reset() { sqlite3_reset(Stmt_); }

void SqliteStatement::ClearBindings() { sqlite3_clear_bindings(Stmt_); }

int SqliteStatement::ColumnCount() const { return sqlite3_column_count(Stmt_); }

std::string SqliteStatement::ColumnName(int index) const {
  const char* name = sqlite3_column_name(Stmt_, index);
  return name != nullptr ? std::string(name) : std::string();
}

int SqliteStatement::ColumnIndex(std::string_view name) const {
  const int count = sqlite3_column_count(Stmt_);
  for (int i = 0; i < count; ++i) {
    if (EqualsNoCase(name, sqlite3_column_name(Stmt_, i))) return i;
  }
  const std::string message = "no such column: " + std::string(name);
  if (Connection_ != nullptr) Connection_->Fail(message);
  throw SqliteError(message, SQLITE_ERROR);
}

bool SqliteStatement::IsNull(int index) const { return sqlite3_column_type(Stmt_, index) == SQLITE_NULL; }

bool SqliteStatement::IsNumber(int index) const {
  const int type = sqlite3_column_type(Stmt_, index);
  return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

std::string SqliteStatement::ColumnText(int index) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(Stmt_, index));
  if (text == nullptr) return {};
  return std::string(text, static_cast<std::size_t>(sqlite3_column_bytes(Stmt_, index)));
}

double SqliteStatement::ColumnDouble(int index) const { return sqlite3_column_double(Stmt_, index); }

std::int64_t SqliteStatement::ColumnInt64(int index) const { return sqlite3_column_int64(Stmt_, index); }

std::int32_t SqliteStatement::ColumnInt(int index) const { return sqlite3_column_int(Stmt_, index); }

// --------------------------------------------------------------- connection

SqliteConnection::~SqliteConnection() { Close(); }

void SqliteConnection::Open(const std::string& path, SqliteOpenMode mode) {
  Close();
  int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
  if (mode == SqliteOpenMode::ReadWrite) flags = SQLITE_OPEN_READWRITE;
  if (mode == SqliteOpenMode::ReadOnly) flags = SQLITE_OPEN_READONLY;
  if (mode == SqliteOpenMode::ReadOnlyImmutable) flags = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
  const std::string name = mode == SqliteOpenMode::ReadOnlyImmutable ? FileUri(path, "immutable=1") : path;
  sqlite3* db = nullptr;
  // One thread at a time (see the header): no lock on each call.
  const int rc = sqlite3_open_v2(name.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close_v2(db);
    const SqliteError error(message, rc);
    if (Listener_) Listener_(error);
    throw error;
  }
  sqlite3_extended_result_codes(db, 1);
  Db_ = db;
  Path_ = path;
}

void SqliteConnection::Close() noexcept {
  if (Db_ != nullptr) sqlite3_close_v2(Db_);
  Db_ = nullptr;
  Path_.clear();
}

void SqliteConnection::SetBusyTimeout(int milliseconds) {
  if (Db_ == nullptr) Fail("not connected");
  const int rc = sqlite3_busy_timeout(Db_, milliseconds);
  if (rc != SQLITE_OK) Fail(rc);
}

void SqliteConnection::Exec(const std::string& sql) {
  if (Db_ == nullptr) Fail("not connected");
  char* error = nullptr;
  const int rc = sqlite3_exec(Db_, sql.c_str(), nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    const std::string message = error != nullptr ? error : sqlite3_errstr(rc);
    sqlite3_free(error);
    const SqliteError failure(message, sqlite3_extended_errcode(Db_));
    if (Listener_) Listener_(failure);
    throw failure;
  }
}

SqliteStatement SqliteConnection::Prepare(std::string_view sql) { return SqliteStatement(*this, sql); }

std::int64_t SqliteConnection::QueryInt(const std::string& sql) {
  SqliteStatement statement(*this, sql);
  return statement.Step() ? statement.ColumnInt64(0) : 0;
}

std::int64_t SqliteConnection::Changes() const { return Db_ != nullptr ? sqlite3_changes64(Db_) : 0; }

std::int64_t SqliteConnection::LastInsertRowId() const { return Db_ != nullptr ? sqlite3_last_insert_rowid(Db_) : 0; }

bool SqliteConnection::InTransaction() const { return Db_ != nullptr && sqlite3_get_autocommit(Db_) == 0; }

bool SqliteConnection::IsReadOnly() const { return Db_ != nullptr && sqlite3_db_readonly(Db_, "main") == 1; }

std::string SqliteConnection::ErrorMessage() const { return Db_ != nullptr ? sqlite3_errmsg(Db_) : "not connected"; }

void SqliteConnection::Fail(int rc, sqlite3* db) const {
  if (db == nullptr) db = Db_;
  std::string message = sqlite3_errstr(rc);
  int code = rc;
  if (db != nullptr && sqlite3_errcode(db) != SQLITE_OK) {
    message = sqlite3_errmsg(db);
    code = sqlite3_extended_errcode(db);
  }
  const SqliteError error(message, code);
  if (Listener_) Listener_(error);
  throw error;
}

void SqliteConnection::Fail(const std::string& message) const {
  const SqliteError error(message, SQLITE_ERROR);
  if (Listener_) Listener_(error);
  throw error;
}

// -------------------------------------------------------------- transaction

SqliteTransaction::SqliteTransaction(SqliteConnection& connection) {
  if (connection.InTransaction()) {
    Savepoint_ = "QV_SAVEPOINT_" + std::to_string(connection.NextSavepoint());
    connection.Exec("SAVEPOINT " + Savepoint_);
  } else {
    connection.Exec("BEGIN IMMEDIATE");
  }
  Connection_ = &connection;
}

SqliteTransaction::~SqliteTransaction() { Rollback(); }

SqliteTransaction::SqliteTransaction(SqliteTransaction&& other) noexcept
    : Connection_(std::exchange(other.Connection_, nullptr)), Savepoint_(std::move(other.Savepoint_)) {}

void SqliteTransaction::Commit() {
  if (Connection_ == nullptr) throw SqliteError("no transaction is active", SQLITE_ERROR);
  SqliteConnection& connection = *Connection_;
  if (!connection.IsOpen()) {
    Connection_ = nullptr;
    connection.Fail("the connection was closed before the commit");
  }
  if (!connection.InTransaction()) {
    // The engine already rolled the transaction back (for instance after an I/O error).
    Connection_ = nullptr;
    connection.Fail("the transaction was rolled back by the engine");
  }
  connection.Exec(Savepoint_.empty() ? std::string("COMMIT") : "RELEASE SAVEPOINT " + Savepoint_);
  Connection_ = nullptr;
}

void SqliteTransaction::Rollback() noexcept {
  if (Connection_ == nullptr) return;
  sqlite3* db = Connection_->Handle();
  Connection_ = nullptr;
  if (db == nullptr || sqlite3_get_autocommit(db) != 0) return;
  if (Savepoint_.empty()) {
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  } else {
    const std::string sql = "ROLLBACK TO SAVEPOINT " + Savepoint_ + "; RELEASE SAVEPOINT " + Savepoint_;
    sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  }
}

}  // namespace platform
