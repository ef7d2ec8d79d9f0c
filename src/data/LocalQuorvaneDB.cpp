// Files, connection and market-data schema of the local databases.

#include "data/LocalQuorvaneDB.h"
#include "data/LocalSchema.h"
#include "data/LocalSqlHelpers.h"

#include <sqlite3.h>
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
  try {
    Connection_.Open(path);
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
  // Kept statements would keep the closed file's handle alive.
  Cached_ = {};
  Connection_.Close();
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
  return DatabasePath() + " is read-only" + (clause.empty() ? "" : ", " + clause) +
         ": make it writable and start again to " +
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
    case SQLITE_CANTOPEN:
    case SQLITE_PERM: {
      // The engine says only that it could not open the file (or its
      // journal): what stands in the way is read from the file system.
      std::error_code ignored;
      if (std::filesystem::is_directory(DatabasePath(), ignored)) return MoveAwayText(" is a folder, not a data file");
      if (::access(DatabaseFolder().c_str(), W_OK) != 0) return FolderFailureText();
      return DatabasePath() + " cannot be opened: make sure you may read and write it, then start again";
    }
    case SQLITE_FULL:
    case SQLITE_IOERR:
      return DatabasePath() + " could not be read or written (disk full or failing): free some space on its disk "
                              "and start again";
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
