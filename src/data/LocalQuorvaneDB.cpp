// Files, connection and market-data schema of the local databases.

#include "data/LocalQuorvaneDB.h"
#include "data/LocalSchema.h"
#include "data/LocalSqlHelpers.h"
#include "platform/FileKind.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <string_view>
#include <system_error>

TLocalQuorvaneDB* ptrMyExternLocalQuorvaneDB = nullptr;

namespace {

// Compaction threshold: free pages above a quarter of the file and above this count.
constexpr std::int64_t kMinFreePagesToCompact = 1024;

std::string EnvOrEmpty(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

bool Writable(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }

// What stands at path in place of a data file ("a folder", "a named pipe",
// ...); empty for an ordinary file or none.
std::string SpecialKindAt(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 ? platform::SpecialFileKind(info.st_mode) : std::string();
}

// The engine's files beside a data file in write-ahead-log mode: the log and
// its shared-memory index.
constexpr const char* kSideFileSuffixes[] = {"-wal", "-shm"};

// The side file of path that exists and cannot be written; empty when none.
std::string ReadOnlySideFile(const std::string& path) {
  for (const char* suffix : kSideFileSuffixes) {
    const std::string side = path + suffix;
    struct stat info {};
    if (::lstat(side.c_str(), &info) == 0 && !Writable(side)) return side;
  }
  return {};
}

// The engine gives a side file it creates the mode of the data file, so one
// made beside a read-only file is read-only and keeps the file from being
// written once it is writable again. Side files of this user that lack the
// owner's write permission get the data file's mode with it; their content
// stays as it is (a log may hold data not yet in the file). Another user's
// side file is left as it is.
void RestoreSideFileModes(const std::string& path) {
  struct stat file {};
  if (::stat(path.c_str(), &file) != 0) return;
  for (const char* suffix : kSideFileSuffixes) {
    const std::string side = path + suffix;
    struct stat info {};
    if (::lstat(side.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() ||
        (info.st_mode & S_IWUSR) != 0)
      continue;
    ::chmod(side.c_str(), (file.st_mode & 0666) | S_IWUSR);
  }
}

// True when the write-ahead log beside path holds something.
bool LogHasContent(const std::string& path) {
  struct stat info {};
  return ::stat((path + "-wal").c_str(), &info) == 0 && info.st_size > 0;
}

}  // namespace

TLocalQuorvaneDB::TLocalQuorvaneDB() {
  // Every engine error raised on the connection is kept as the last message;
  // an I/O error on an open file means the file went away underneath.
  Connection_.SetErrorListener([this](const platform::SqliteError& error) {
    if (Connection_.IsOpen() && error.PrimaryCode() == SQLITE_IOERR) {
      ReportConnectionLost();
    } else {
      StoreConnectionError(error.what());
    }
  });
}

TLocalQuorvaneDB::~TLocalQuorvaneDB() { Disconnect(); }

std::string TLocalQuorvaneDB::DatabaseFolder() {
  const std::string home = EnvOrEmpty("QUORVANE_HOME");
  if (!home.empty()) return home;
  std::string data = EnvOrEmpty("XDG_DATA_HOME");
  if (data.empty()) data = (std::filesystem::path(EnvOrEmpty("HOME")) / ".local" / "share").string();
  return (std::filesystem::path(data) / "Vosker" / "Quorvane").string();
}

std::string TLocalQuorvaneDB::DatabaseFileName(std::int32_t kind) {
  if (kind == kMarketDataDatabase) return "QVDBV4.sqlite";
  if (kind == kSettingsDatabase) return "USDBV4.sqlite";
  return {};
}

std::string TLocalQuorvaneDB::DatabasePath() const {
  return (std::filesystem::path(DatabaseFolder()) / DatabaseFileName(DatabaseKind)).string();
}

void TLocalQuorvaneDB::Connect() {
  LastMessage = "Connection failed";
  if (Connection_.IsOpen()) {
    // An open connection is never reopened: the file is changed only through
    // Disconnect first. Asking again for the open file succeeds.
    if (!DatabaseFileName(DatabaseKind).empty() && Connection_.Path() == DatabasePath()) ResetLastMessage();
    return;
  }
  if (DatabaseFileName(DatabaseKind).empty()) return;
  const std::string path = DatabasePath();
  std::error_code error;
  std::filesystem::create_directories(DatabaseFolder(), error);
  if (error) {
    LastMessage = FolderFailureText();
    return;
  }
  // Whatever stands in place of the file (a folder, a named pipe) is named
  // before the engine opens it: opening a named pipe for reading would wait
  // for a writer.
  if (const std::string kind = SpecialKindAt(path); !kind.empty()) {
    LastMessage = MoveAwayText(" is " + kind + ", not a data file");
    return;
  }
  RestoreSideFileModes(path);
  // A file that cannot be written (the file, its folder, or a side file of
  // another user) is opened for reading. Without content in its log it is
  // read as it stands: no side file is created (none could be in a
  // write-protected folder) and none is left behind.
  platform::SqliteOpenMode mode = platform::SqliteOpenMode::ReadWriteCreate;
  if (std::filesystem::exists(path, error) &&
      (!Writable(path) || !Writable(DatabaseFolder()) || !ReadOnlySideFile(path).empty())) {
    mode = LogHasContent(path) ? platform::SqliteOpenMode::ReadOnly : platform::SqliteOpenMode::ReadOnlyImmutable;
  }
  try {
    Connection_.Open(path, mode);
    Connection_.SetBusyTimeout(BusyTimeoutMs);
    // A file whose tables of our names hold other columns is not ours: it is
    // refused before anything (a table, the journal mode) is written to it.
    // Reading its schema reads the file header: a locked file or one that
    // is no database fails here.
    if (const std::string object = ForeignObject(); !object.empty()) {
      Connection_.Close();
      LastMessage = MoveAwayText(" holds " + object);
      return;
    }
    Connection_.Exec("PRAGMA journal_mode=WAL");
    Connection_.Exec("PRAGMA synchronous=NORMAL");
    Connection_.Exec("PRAGMA cache_size=20000");
    const std::int64_t freePages = Connection_.QueryInt("PRAGMA freelist_count");
    const std::int64_t pages = Connection_.QueryInt("PRAGMA page_count");
    if (freePages > kMinFreePagesToCompact && freePages * 4 > pages) {
      try {
        Connection_.Exec("VACUUM");
      } catch (const platform::SqliteError&) {
        // Compaction is an optimisation; the file stays usable without it.
      }
    }
    ResetLastMessage();
  } catch (const platform::SqliteError& failure) {
    Connection_.Close();
    // A damaged file is named with what to do; otherwise the engine's reason
    // follows the plain failure text, so the message says both.
    LastMessage = FileFailureText(failure);
    if (LastMessage.empty())
      LastMessage = *failure.what() != '\0' ? std::string("Connection failed: ") + failure.what() : "Connection failed";
  }
}

void TLocalQuorvaneDB::Disconnect() {
  const std::string path = Connection_.Path();
  // Kept statements would keep the closed file's handle alive.
  Cached_ = {};
  Connection_.Close();
  // A read-only open may have made side files read-only.
  if (!path.empty()) RestoreSideFileModes(path);
}

platform::SqliteStatement& TLocalQuorvaneDB::CachedQuery(TCachedQuery query, const char* sql) {
  auto& db = Open();
  TCachedStatement& cached = Cached_[query];
  if (cached.Handle != db.Handle() || !cached.Statement.IsPrepared()) {
    cached.Statement = db.Prepare(sql);
    cached.Handle = db.Handle();
  }
  cached.Statement.Reset();
  return cached.Statement;
}

bool TLocalQuorvaneDB::IsConnected() const { return Connection_.IsOpen(); }

bool TLocalQuorvaneDB::IsReadOnly() const { return Connection_.IsReadOnly(); }

bool TLocalQuorvaneDB::CheckFileIntegrity() {
  LastMessage.clear();
  try {
    auto check = Open().Prepare("PRAGMA quick_check");
    // One row "ok" for a sound file, else one row per problem found.
    if (check.Step() && check.ColumnText(0) == "ok" && !check.Step()) return true;
  } catch (const platform::SqliteError& failure) {
    const std::string text = FileFailureText(failure);
    if (text.empty()) throw;
  }
  LastMessage = DamagedFileText();
  return false;
}

std::string TLocalQuorvaneDB::MoveAwayText(const std::string& what) const {
  return DatabasePath() + what + ": move it away and start again to " +
         (DatabaseKind == kSettingsDatabase ? "start with the default settings" : "download a fresh copy");
}

std::string TLocalQuorvaneDB::DamagedFileText() const { return MoveAwayText(" is damaged"); }

std::string TLocalQuorvaneDB::FolderFailureText() const {
  return DatabaseFolder() + " cannot be written: make sure the folder exists and can be written, then start again";
}

std::string TLocalQuorvaneDB::ReadOnlyFileText(const std::string& clause) const {
  const std::string path = DatabasePath();
  // What keeps the file from being written, as the open found it.
  std::string what = path + " is read-only";
  std::string fix = "make it writable";
  if (Writable(path)) {
    if (!Writable(DatabaseFolder())) {
      what += ", as its folder cannot be written";
      fix = "make the folder writable";
    } else if (const std::string side = ReadOnlySideFile(path); !side.empty()) {
      what = side + " is read-only";
    }
  }
  return what + (clause.empty() ? "" : ", " + clause) + ": " + fix + " and start again to " +
         (DatabaseKind == kSettingsDatabase ? "save your settings" : "download new data");
}

std::string TLocalQuorvaneDB::FileFailureText(const platform::SqliteError& error) const {
  switch (error.PrimaryCode()) {
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
      return DamagedFileText();
    case SQLITE_READONLY:
      // The file could be written, but not a journal beside it.
      return error.Code() == SQLITE_READONLY_DIRECTORY ? FolderFailureText() : ReadOnlyFileText();
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return DatabasePath() + " is locked by another program: try again once that program has finished with it";
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_FULL:
    case SQLITE_IOERR: {
      // The engine says only that it could not open, read or write the file
      // (or its journal): what stands in the way is read from the file system.
      if (const std::string kind = SpecialKindAt(DatabasePath()); !kind.empty())
        return MoveAwayText(" is " + kind + ", not a data file");
      if (error.PrimaryCode() == SQLITE_FULL || error.PrimaryCode() == SQLITE_IOERR)
        return DatabasePath() + " could not be read or written (disk full or failing): free some space on its disk "
                                "and start again";
      if (!Writable(DatabaseFolder())) return FolderFailureText();
      return DatabasePath() + " cannot be opened: make sure you may read and write it, then start again";
    }
    default:
      return {};
  }
}

std::string TLocalQuorvaneDB::ForeignObject() {
  const std::span<const localdb::TSchemaStatement> schema =
      DatabaseKind == kSettingsDatabase ? localdb::SettingsSchema() : localdb::MarketDataSchema();
  // Our tables as the schema creates them, to compare the file's with.
  platform::SqliteConnection model;
  model.Open(":memory:");
  for (const localdb::TSchemaStatement& statement : schema) model.Exec(statement.Sql);
  const auto columns = [](platform::SqliteConnection& db, const std::string& table) {
    auto query = db.Prepare("SELECT upper(name) FROM pragma_table_info(?1) ORDER BY upper(name)");
    query.BindText(1, table);
    std::vector<std::string> names;
    while (query.Step()) names.push_back(query.ColumnText(0));
    return names;
  };
  auto tables = model.Prepare("SELECT name FROM sqlite_master WHERE type='table'");
  // Every object of the name, the ones that are no table first (a trigger
  // may share its name with a table).
  auto found = Connection_.Prepare("SELECT type FROM sqlite_master WHERE name=?1 COLLATE NOCASE ORDER BY type='table'");
  while (tables.Step()) {
    const std::string table = tables.ColumnText(0);
    found.Reset();
    found.BindText(1, table);
    if (!found.Step()) continue;  // missing: the schema step creates it
    const std::string type = found.ColumnText(0);
    if (type != "table") {
      const bool vowel = !type.empty() && std::string_view("aeiou").find(type.front()) != std::string_view::npos;
      return (vowel ? "an " : "a ") + type + " " + table + ", not our table of that name";
    }
    if (columns(Connection_, table) != columns(model, table))
      return "a table " + table + " with other columns than ours";
  }
  return {};
}

platform::SqliteTransaction TLocalQuorvaneDB::BeginTransaction() { return platform::SqliteTransaction(Open()); }

platform::SqliteConnection& TLocalQuorvaneDB::Open() {
  if (!Connection_.IsOpen()) Connection_.Fail("not connected");
  return Connection_;
}

bool TLocalQuorvaneDB::RunSchema(std::span<const localdb::TSchemaStatement> statements) {
  LastMessage.clear();
  for (const localdb::TSchemaStatement& statement : statements) {
    try {
      Open().Exec(statement.Sql);
    } catch (const platform::SqliteError& failure) {
      // A full disk or a file that cannot be written is named with what to do.
      const std::string file = FileFailureText(failure);
      LastMessage = statement.FailureText + (file.empty() ? "" : ": " + file);
      return false;
    }
  }
  return true;
}

namespace {

// "NAME" of "CREATE INDEX IF NOT EXISTS NAME ON ...".
std::string IndexName(const char* createSql) {
  const std::string_view sql = createSql;
  const std::size_t from = std::string_view("CREATE INDEX IF NOT EXISTS ").size();
  return std::string(sql.substr(from, sql.find(' ', from) - from));
}

}  // namespace

bool TLocalQuorvaneDB::CreateMarketDataTables() {
  if (!RunSchema(localdb::MarketDataSchema())) return false;
  // A file written by an earlier version keeps series indexes without VALUE:
  // they are built again with it (once). A file that cannot be written now
  // (read-only, locked, full) keeps them and tries again at its next start;
  // they serve its reads as before.
  if (IsReadOnly()) return true;
  for (const char* indexSql : localdb::kSeriesIndexes) {
    try {
      auto& db = Open();
      const std::string name = IndexName(indexSql);
      std::vector<std::string> columns;
      {
        auto info = db.Prepare("PRAGMA index_info(" + name + ")");
        while (info.Step()) columns.push_back(info.ColumnText(2));
      }
      if (std::equal(columns.begin(), columns.end(), std::begin(localdb::kSeriesIndexColumns),
                     std::end(localdb::kSeriesIndexColumns)))
        continue;
      platform::SqliteTransaction transaction(db);
      db.Exec("DROP INDEX IF EXISTS " + name);
      db.Exec(indexSql);
      transaction.Commit();
    } catch (const platform::SqliteError&) {
      LastMessage.clear();  // the engine's text, kept by the error listener
    }
  }
  return true;
}
