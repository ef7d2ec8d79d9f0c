#include "SqliteDb.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qvserver {
namespace {

std::string ErrnoText() { return std::strerror(errno); }

bool IsNoFile(const std::string& path) { return path.empty() || path == ":memory:"; }

// Creates the missing database file owner-only. A path SQLite treats as no
// file, or a file that exists already, is left alone; a file that cannot be
// created is left to SQLite to report.
void CreateOwnerOnly(const std::string& path) {
  if (IsNoFile(path)) return;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    // The umask may have taken bits from 0600, the owner's included.
    const bool ok = ::fchmod(fd, 0600) == 0;
    const std::string why = ok ? std::string() : ErrnoText();
    ::close(fd);
    if (!ok) throw TSqliteError("Cannot set the mode of " + path + ": " + why);
  }
}

}  // namespace

TSqliteDb::TSqliteDb(const std::string& path) : Path_(path) {
  CreateOwnerOnly(path);
  const int rc =
      sqlite3_open_v2(path.c_str(), &Db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = Db_ ? sqlite3_errmsg(Db_) : sqlite3_errstr(rc);
    sqlite3_close(Db_);
    Db_ = nullptr;
    throw TSqliteError("Cannot open database " + path + ": " + message);
  }
  sqlite3_busy_timeout(Db_, 5000);
}

void TSqliteDb::RestrictToOwner() const {
  if (IsNoFile(Path_)) return;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    const std::string file = Path_ + suffix;
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & 077) == 0) continue;
    if (::chmod(file.c_str(), st.st_mode & 0700) != 0)
      throw TSqliteError("Cannot restrict the mode of " + file + ": " + ErrnoText());
  }
}

TSqliteDb::~TSqliteDb() { sqlite3_close(Db_); }

void TSqliteDb::Exec(const std::string& sql) {
  char* error = nullptr;
  if (sqlite3_exec(Db_, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
    const std::string message = error ? error : "unknown error";
    sqlite3_free(error);
    throw TSqliteError(message);
  }
}

TSqliteStmt::TSqliteStmt(const TSqliteDb& db, const std::string& sql) : Db_(db.Handle()) {
  if (sqlite3_prepare_v2(Db_, sql.c_str(), static_cast<int>(sql.size()), &Stmt_, nullptr) != SQLITE_OK)
    throw TSqliteError(sqlite3_errmsg(Db_));
}

TSqliteStmt::~TSqliteStmt() { sqlite3_finalize(Stmt_); }

TSqliteStmt& TSqliteStmt::Bind(int index, const std::string& text) {
  if (sqlite3_bind_text(Stmt_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) != SQLITE_OK)
    throw TSqliteError(sqlite3_errmsg(Db_));
  return *this;
}

TSqliteStmt& TSqliteStmt::Bind(int index, double value) {
  if (sqlite3_bind_double(Stmt_, index, value) != SQLITE_OK) throw TSqliteError(sqlite3_errmsg(Db_));
  return *this;
}

TSqliteStmt& TSqliteStmt::Bind(int index, std::int64_t value) {
  if (sqlite3_bind_int64(Stmt_, index, value) != SQLITE_OK) throw TSqliteError(sqlite3_errmsg(Db_));
  return *this;
}

bool TSqliteStmt::Step() {
  const int rc = sqlite3_step(Stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  throw TSqliteError(sqlite3_errmsg(Db_));
}

void TSqliteStmt::Reset() {
  sqlite3_reset(Stmt_);
  sqlite3_clear_bindings(Stmt_);
}

std::string TSqliteStmt::Text(int column) const { return std::string(TextView(column)); }

std::string_view TSqliteStmt::TextView(int column) const {
  const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(Stmt_, column));
  if (!p) return {};
  return std::string_view(p, static_cast<std::size_t>(sqlite3_column_bytes(Stmt_, column)));
}

}  // namespace qvserver
