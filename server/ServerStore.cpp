#include "ServerStore.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <set>

#include "AsciiCase.h"

namespace qvserver {
namespace {

constexpr const char* kSchema = R"SQL(
CREATE TABLE IF NOT EXISTS LOGIN_LIST(USERID TEXT NOT NULL COLLATE NOCASE PRIMARY KEY, PASSWORD TEXT NOT NULL,
  STARTDATETOUPDATE REAL NOT NULL, AUTHORIZEUPDATE INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS USER_LIST(USERID TEXT NOT NULL COLLATE NOCASE PRIMARY KEY, FIRSTNAME TEXT NOT NULL,
  LASTNAME TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS STATISTIC_LIST(USERID TEXT NOT NULL COLLATE NOCASE PRIMARY KEY,
  COUNTEROFUSE INTEGER NOT NULL, LASTDATEOFUSE REAL NOT NULL);
CREATE TABLE IF NOT EXISTS COUNTRY_LIST(NAME TEXT NOT NULL PRIMARY KEY, REGIONNAME TEXT NOT NULL,
  CURRENCY TEXT NOT NULL, INDEXNAME TEXT NOT NULL, INDEXTICKER TEXT NOT NULL, RANK INTEGER NOT NULL,
  REGIONRANK INTEGER NOT NULL, ISDEVELOPPED INTEGER NOT NULL, REVERSEQUOTE INTEGER NOT NULL,
  ESTIMATIONDATE REAL NOT NULL, ESTIMATEDSIGNAL REAL NOT NULL);
CREATE TABLE IF NOT EXISTS ASSET_LIST(ID TEXT NOT NULL PRIMARY KEY, TITLE TEXT NOT NULL, TYPE TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS PORTFOLIO_TEMPLATE_LIST(ID TEXT NOT NULL PRIMARY KEY);
CREATE TABLE IF NOT EXISTS PORTFOLIO_TEMPLATE_DATA(PORTFOLIOID TEXT NOT NULL, RANK INTEGER NOT NULL,
  WEIGHT REAL NOT NULL);
CREATE TABLE IF NOT EXISTS DATA(COUNTRYNAME TEXT NOT NULL, ASSETID TEXT NOT NULL, DATE REAL NOT NULL,
  VALUE REAL NOT NULL);
CREATE TABLE IF NOT EXISTS DATA_BIS(COUNTRYNAME TEXT NOT NULL, ASSETID TEXT NOT NULL, DATE REAL NOT NULL,
  VALUE REAL NOT NULL);
CREATE INDEX IF NOT EXISTS DATA_BY_DATE ON DATA(DATE);
CREATE INDEX IF NOT EXISTS DATA_BY_SERIES ON DATA(COUNTRYNAME, ASSETID, DATE);
CREATE INDEX IF NOT EXISTS DATA_BIS_BY_DATE ON DATA_BIS(DATE);
CREATE INDEX IF NOT EXISTS DATA_BIS_BY_SERIES ON DATA_BIS(COUNTRYNAME, ASSETID, DATE);
CREATE TABLE IF NOT EXISTS PWD_REQUEST(USERID TEXT NOT NULL, USEREMAIL TEXT NOT NULL, RESPONSE TEXT NOT NULL,
  RECEIVEDAT REAL NOT NULL);
CREATE TABLE IF NOT EXISTS NEW_USER_REQUEST(FIRSTNAME TEXT NOT NULL, LASTNAME TEXT NOT NULL,
  COMPANYNAME TEXT NOT NULL, POSITION TEXT NOT NULL, MAILADDRESS TEXT NOT NULL, PHONENUMBER TEXT NOT NULL,
  STREET TEXT NOT NULL, CITY TEXT NOT NULL, STATEORZIPCODE TEXT NOT NULL, COUNTRY TEXT NOT NULL,
  PASSWORD TEXT NOT NULL, RESPONSE TEXT NOT NULL, REQUESTDATE TEXT NOT NULL, RECEIVEDAT REAL NOT NULL);
CREATE TABLE IF NOT EXISTS RECEIVED_REPORT(ID INTEGER PRIMARY KEY, RECEIVEDAT REAL NOT NULL,
  CONTENT TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS RECEIVED_SHARES(KIND TEXT NOT NULL, SOURCE TEXT NOT NULL, RECEIVEDAT REAL NOT NULL);
CREATE INDEX IF NOT EXISTS RECEIVED_SHARES_BY_SOURCE ON RECEIVED_SHARES(KIND, SOURCE, RECEIVEDAT);
CREATE INDEX IF NOT EXISTS RECEIVED_SHARES_BY_TIME ON RECEIVED_SHARES(RECEIVEDAT);
CREATE TABLE IF NOT EXISTS RECEIVED_BYTES(ADDRESS TEXT NOT NULL, RECEIVEDAT REAL NOT NULL, BYTES INTEGER NOT NULL);
CREATE INDEX IF NOT EXISTS RECEIVED_BYTES_BY_ADDRESS ON RECEIVED_BYTES(ADDRESS, RECEIVEDAT);
CREATE INDEX IF NOT EXISTS RECEIVED_BYTES_BY_TIME ON RECEIVED_BYTES(RECEIVEDAT);
CREATE TABLE IF NOT EXISTS STORED_BYTES(TABLENAME TEXT NOT NULL PRIMARY KEY, BYTES INTEGER NOT NULL);
CREATE TABLE IF NOT EXISTS STORED_ROW_BYTES(TABLENAME TEXT NOT NULL, ROWKEY INTEGER NOT NULL, BYTES INTEGER NOT NULL,
  PRIMARY KEY(TABLENAME, ROWKEY)) WITHOUT ROWID;
)SQL";

// The tables a file must hold when it holds any: the users and the data.
constexpr std::array<const char*, 7> kCoreTables{"LOGIN_LIST", "USER_LIST", "STATISTIC_LIST", "COUNTRY_LIST",
                                                 "ASSET_LIST", "DATA",      "DATA_BIS"};

// The table names that our own statements may carry; anything else throws.
const char* DataTable(const std::string& table) {
  if (table == "DATA") return "DATA";
  if (table == "DATA_BIS") return "DATA_BIS";
  throw TSqliteError("Unknown data table " + table);
}

const char* DataColumn(const std::string& column) {
  for (const char* c : {"COUNTRYNAME", "ASSETID", "DATE", "VALUE"})
    if (column == c) return c;
  throw TSqliteError("Unknown column " + column);
}

struct TUserColumn {
  const char* Table;
  const char* Column;
};
constexpr std::array<TUserColumn, 5> kUserColumns{{{"USER_LIST", "FIRSTNAME"},
                                                   {"LOGIN_LIST", "STARTDATETOUPDATE"},
                                                   {"LOGIN_LIST", "AUTHORIZEUPDATE"},
                                                   {"STATISTIC_LIST", "COUNTEROFUSE"},
                                                   {"STATISTIC_LIST", "LASTDATEOFUSE"}}};

}  // namespace

// A table of what anyone may send: the columns of the received values in
// their order, its row limit, and whether its one value is a report (limited
// in bytes) rather than a request's fields (limited in characters).
struct TReceivedTable {
  const char* Table;
  const char* What;
  std::vector<const char*> Columns;
  std::int64_t TServerStoreOptions::*MaxRows;
  bool Report;
  std::int64_t TServerStoreOptions::*MaxPerAddress;
  int MailColumn;  // the value naming a mail address, -1 when none
  // Whether the mail share is counted per address and mail address together:
  // then requests made up elsewhere in someone's name leave that person's own
  // request its place.
  bool MailShareByAddress;
  // Whether a row equal to one stored within the share window (the mail
  // address letter case aside) asks nothing new: it is taken as done and not
  // stored again, its address's share counting it all the same.
  bool RepeatIsDone;
};

namespace {

// The user id of a password request is the user's mail address.
const TReceivedTable kPasswordRequests{"PWD_REQUEST",
                                       "password requests",
                                       {"USERID", "USEREMAIL", "RESPONSE"},
                                       &TServerStoreOptions::MaxStoredRequests,
                                       false,
                                       &TServerStoreOptions::MaxRequestsPerAddress,
                                       0,
                                       true,
                                       true};
const TReceivedTable kNewUserRequests{
    "NEW_USER_REQUEST",
    "new-user requests",
    {"FIRSTNAME", "LASTNAME", "COMPANYNAME", "POSITION", "MAILADDRESS", "PHONENUMBER", "STREET", "CITY",
     "STATEORZIPCODE", "COUNTRY", "PASSWORD", "RESPONSE", "REQUESTDATE"},
    &TServerStoreOptions::MaxStoredRequests,
    false,
    &TServerStoreOptions::MaxRequestsPerAddress,
    4,
    true,
    false};
const TReceivedTable kReports{"RECEIVED_REPORT",
                              "reports",
                              {"CONTENT"},
                              &TServerStoreOptions::MaxStoredReports,
                              true,
                              &TServerStoreOptions::MaxReportsPerAddress,
                              -1,
                              false,
                              false};
constexpr std::size_t kNewUserPassword = 10;

// Characters of a UTF-8 text: its bytes that do not continue a character.
std::size_t CharacterCount(const std::string& text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::int64_t ByteCount(const std::vector<std::string>& values) {
  std::int64_t bytes = 0;
  for (const std::string& value : values) bytes += static_cast<std::int64_t>(value.size());
  return bytes;
}

// The first column of the first row of `sql` as a whole number; 0 without row.
std::int64_t SingleInteger(const TSqliteDb& db, const std::string& sql) {
  TSqliteStmt stmt(db, sql);
  return stmt.Step() ? stmt.Integer(0) : 0;
}

// Throws TStoreRefusal when a value is longer than allowed.
void CheckValues(const TReceivedTable& table, const std::vector<std::string>& values,
                 const TServerStoreOptions& options) {
  if (values.size() != table.Columns.size())
    throw TSqliteError(std::string("A row of ") + table.Table + " has " + std::to_string(table.Columns.size()) +
                       " values");
  for (std::size_t i = 0; i < values.size(); ++i) {
    const std::string& value = values[i];
    if (table.Report && value.size() > options.MaxReportBytes)
      throw TStoreRefusal("Report too large: " + std::to_string(value.size()) + " bytes, at most " +
                          std::to_string(options.MaxReportBytes));
    if (!table.Report && CharacterCount(value) > options.MaxFieldChars)
      throw TStoreRefusal(std::string("Value of ") + table.Columns[i] +
                          " too long: " + std::to_string(CharacterCount(value)) + " characters, at most " +
                          std::to_string(options.MaxFieldChars) + "; refused");
  }
}

// The share sources of a row: its address, and the mail address it names
// (letter case aside), alone or with the address.
std::vector<std::string> ShareSources(const TReceivedTable& table, const std::vector<std::string>& values,
                                      const std::string& address) {
  std::vector<std::string> sources{"a:" + address};
  if (table.MailColumn >= 0) {
    const std::string mail = AsciiLower(values.at(static_cast<std::size_t>(table.MailColumn)));
    sources.push_back(table.MailShareByAddress ? "am:" + address + "\n" + mail : "m:" + mail);
  }
  return sources;
}

// The share source of a repeat answered to the address of addressSource
// ("a:" and the address): "r:" and the address, counted on the address's
// share and, apart from stored rows, on the kind's total.
std::string RepeatSource(const std::string& addressSource) { return "r:" + addressSource.substr(2); }

// Throws when the file holds tables but is not a data-server database: it
// must then hold the core tables, and every server table it holds must have
// the server's columns. Only reads (a file that is no database fails here).
void CheckOwnTables(const TSqliteDb& db) {
  auto names = [](const TSqliteDb& from, const std::string& sql, const std::string& bound) {
    std::set<std::string> found;
    TSqliteStmt stmt(from, sql);
    if (!bound.empty()) stmt.Bind(1, bound);
    while (stmt.Step()) found.insert(AsciiUpper(stmt.Text(0)));
    return found;
  };
  const std::string tablesSql = "SELECT name FROM sqlite_master WHERE type='table'";
  const std::string columnsSql = "SELECT name FROM pragma_table_info(?1)";
  const std::set<std::string> present = names(db, tablesSql, {});
  if (present.empty()) return;
  TSqliteDb expected(":memory:");
  expected.Exec(kSchema);
  for (const std::string& table : names(expected, tablesSql, {})) {
    const bool core = std::find(kCoreTables.begin(), kCoreTables.end(), table) != kCoreTables.end();
    if (!present.contains(table)) {
      if (core) throw TSqliteError("not a data-server database (no table " + table + ")");
      continue;
    }
    const std::set<std::string> columns = names(db, columnsSql, table);
    for (const std::string& column : names(expected, columnsSql, table))
      if (!columns.contains(column))
        throw TSqliteError("not a data-server database (table " + table + " has no column " + column + ")");
  }
}

constexpr std::array<const TReceivedTable*, 3> kReceivedTables{&kPasswordRequests, &kNewUserRequests, &kReports};

// The bytes of a row of `table` named `row` (NEW, OLD or the table itself):
// the sum of its stored values' lengths in bytes.
std::string RowBytesSql(const TReceivedTable& table, const std::string& row) {
  std::string sum;
  for (const char* column : table.Columns)
    sum += std::string(sum.empty() ? "" : " + ") + "LENGTH(CAST(" + row + "." + column + " AS BLOB))";
  return sum;
}

// The ledger STORED_BYTES holds the bytes of the rows of each received
// table, and STORED_ROW_BYTES the bytes of each row by its row id. Both are
// recomputed from the rows at every start, and triggers keep them with the
// rows from then on, whoever inserts, changes or deletes them (the server or
// an operator's own statements), so that what is deleted frees its share. A
// row that an INSERT OR REPLACE (or UPDATE OR REPLACE) removes fires no
// delete trigger, but it held the row id of the row that takes its place:
// the bytes counted under that row id leave the total as the new row's enter.
void RebuildLedger(TSqliteDb& db) {
  // A count that files of earlier versions hold and nothing reads.
  db.Exec("DROP TABLE IF EXISTS REQUEST_SOURCES");
  for (const TReceivedTable* table : kReceivedTables) {
    const std::string name = table->Table;
    const std::string key = "TABLENAME = '" + name + "'";
    auto counted = [&](const std::string& row) {
      return "COALESCE((SELECT BYTES FROM STORED_ROW_BYTES WHERE " + key + " AND ROWKEY = " + row + ".rowid), 0)";
    };
    auto ledger = [&](const std::string& change) {
      return "UPDATE STORED_BYTES SET BYTES = BYTES" + change + " WHERE " + key + "; ";
    };
    const std::string added = " + (" + RowBytesSql(*table, "NEW") + ") - " + counted("NEW");
    const std::string enter = ledger(added) + "INSERT OR REPLACE INTO STORED_ROW_BYTES(TABLENAME, ROWKEY, BYTES) VALUES('" +
                              name + "', NEW.rowid, " + RowBytesSql(*table, "NEW") + "); ";
    const std::string leave =
        ledger(" - " + counted("OLD")) + "DELETE FROM STORED_ROW_BYTES WHERE " + key + " AND ROWKEY = OLD.rowid; ";
    db.Exec("DROP TRIGGER IF EXISTS " + name + "_BYTES_IN; DROP TRIGGER IF EXISTS " + name +
            "_BYTES_OUT; DROP TRIGGER IF EXISTS " + name + "_BYTES_CHANGED");
    db.Exec("CREATE TRIGGER " + name + "_BYTES_IN AFTER INSERT ON " + name + " BEGIN " + enter + "END");
    db.Exec("CREATE TRIGGER " + name + "_BYTES_OUT AFTER DELETE ON " + name + " BEGIN " + leave + "END");
    db.Exec("CREATE TRIGGER " + name + "_BYTES_CHANGED AFTER UPDATE ON " + name + " BEGIN " + leave + enter + "END");
    db.Exec("DELETE FROM STORED_ROW_BYTES WHERE " + key);
    db.Exec("INSERT INTO STORED_ROW_BYTES(TABLENAME, ROWKEY, BYTES) SELECT '" + name + "', rowid, " +
            RowBytesSql(*table, name) + " FROM " + name);
    db.Exec("INSERT OR REPLACE INTO STORED_BYTES(TABLENAME, BYTES) SELECT '" + name +
            "', CAST(TOTAL(BYTES) AS INTEGER) FROM STORED_ROW_BYTES WHERE " + key);
  }
}

}  // namespace

std::string FormatReal(double value) {
  if (!std::isfinite(value)) return "0";
  if (value == 0.0) return "0";  // also turns -0 into "0"
  char buffer[64];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  if (ec != std::errc()) return "0";
  return std::string(buffer, end);
}

std::string ColumnText(const TSqliteStmt& stmt, int column) {
  switch (stmt.ColumnType(column)) {
    case SQLITE_INTEGER:
      return std::to_string(stmt.Integer(column));
    case SQLITE_FLOAT:
      return FormatReal(stmt.Real(column));
    case SQLITE_NULL:
      return {};
    default:
      return stmt.Text(column);
  }
}

TServerStore::TServerStore(const std::string& path, TServerStoreOptions options)
    : Options_(std::move(options)), Db_(path) {
  try {
    // Nothing is written before the tables are known to be the server's.
    CheckOwnTables(Db_);
    Db_.RestrictToOwner();
    Db_.Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;");
    InTransaction(Db_, [&] {
      Db_.Exec(kSchema);
      RebuildLedger(Db_);
    });
    for (const TReceivedTable* table : kReceivedTables) {
      TSqliteStmt repeats(Db_,
                          "SELECT RECEIVEDAT FROM RECEIVED_SHARES WHERE KIND=?1 AND SOURCE>='r:' AND SOURCE<'r;'");
      repeats.Bind(1, table->Table);
      while (repeats.Step()) RepeatTimes_[table->Table].insert(repeats.Real(0));
    }
  } catch (const TSqliteError& e) {
    throw TSqliteError("Database " + path + " cannot be used: " + e.what());
  }
}

bool TServerStore::IsEmpty() {
  std::lock_guard lock(Lock_);
  TSqliteStmt countries(Db_, "SELECT EXISTS(SELECT 1 FROM COUNTRY_LIST), EXISTS(SELECT 1 FROM DATA)");
  countries.Step();
  return countries.Integer(0) == 0 || countries.Integer(1) == 0;
}

int TServerStore::CountUsers(const std::string& userId) {
  std::lock_guard lock(Lock_);
  TSqliteStmt stmt(Db_, "SELECT COUNT(*) FROM LOGIN_LIST WHERE USERID=?1");
  stmt.Bind(1, userId).Step();
  return static_cast<int>(stmt.Integer(0));
}

std::optional<std::string> TServerStore::PasswordHashOf(const std::string& userId) {
  std::lock_guard lock(Lock_);
  TSqliteStmt stmt(Db_, "SELECT PASSWORD FROM LOGIN_LIST WHERE USERID=?1");
  if (!stmt.Bind(1, userId).Step()) return std::nullopt;
  return stmt.Text(0);
}

std::optional<std::string> TServerStore::UserValue(const std::string& table, const std::string& column,
                                                   const std::string& userId) {
  for (const TUserColumn& c : kUserColumns) {
    if (table != c.Table || column != c.Column) continue;
    std::lock_guard lock(Lock_);
    TSqliteStmt stmt(Db_, std::string("SELECT ") + c.Column + " FROM " + c.Table + " WHERE USERID=?1");
    if (!stmt.Bind(1, userId).Step()) return std::nullopt;
    return ColumnText(stmt, 0);
  }
  throw TSqliteError("Column " + column + " of " + table + " cannot be read");
}

int TServerStore::UpdateStartDate(const std::string& userId, double date) {
  std::lock_guard lock(Lock_);
  TSqliteStmt stmt(Db_, "UPDATE LOGIN_LIST SET STARTDATETOUPDATE=?1 WHERE USERID=?2");
  stmt.Bind(1, date).Bind(2, userId).Step();
  return Db_.Changes();
}

TServerStore::TUsageUpdate TServerStore::UpdateUsage(const std::string& userId, double lastDateOfUse,
                                                     std::int64_t counter) {
  std::lock_guard lock(Lock_);
  TSqliteStmt stored(Db_, "SELECT COUNTEROFUSE, LASTDATEOFUSE FROM STATISTIC_LIST WHERE USERID=?1");
  if (!stored.Bind(1, userId).Step()) return TUsageUpdate::UnknownUser;
  const std::int64_t count = stored.Integer(0);
  const double date = stored.Real(1);
  if (counter != count && counter != count + 1) return TUsageUpdate::CounterJump;
  if (lastDateOfUse < date - 1.0) return TUsageUpdate::DateBefore;
  if (counter == count) return TUsageUpdate::Unchanged;
  TSqliteStmt update(Db_,
                     "UPDATE STATISTIC_LIST SET LASTDATEOFUSE=MAX(LASTDATEOFUSE, ?1), COUNTEROFUSE=?2 WHERE USERID=?3");
  update.Bind(1, lastDateOfUse).Bind(2, counter).Bind(3, userId).Step();
  return TUsageUpdate::Updated;
}

std::vector<TCountry> TServerStore::Countries() {
  std::lock_guard lock(Lock_);
  TSqliteStmt stmt(Db_,
                   "SELECT NAME, REGIONNAME, CURRENCY, INDEXNAME, INDEXTICKER, RANK, REGIONRANK, ISDEVELOPPED, "
                   "REVERSEQUOTE, ESTIMATIONDATE, ESTIMATEDSIGNAL FROM COUNTRY_LIST ORDER BY RANK ASC");
  std::vector<TCountry> result;
  while (stmt.Step()) {
    TCountry c;
    c.Name = stmt.Text(0);
    c.RegionName = stmt.Text(1);
    c.Currency = stmt.Text(2);
    c.IndexName = stmt.Text(3);
    c.IndexTicker = stmt.Text(4);
    c.Rank = static_cast<std::int32_t>(stmt.Integer(5));
    c.RegionRank = static_cast<std::int32_t>(stmt.Integer(6));
    c.IsDevelopped = stmt.Integer(7) != 0;
    c.ReverseQuote = stmt.Integer(8) != 0;
    c.EstimationDate = stmt.Real(9);
    c.EstimatedSignal = stmt.Real(10);
    result.push_back(std::move(c));
  }
  return result;
}

std::vector<TAssetRow> TServerStore::Assets() {
  std::lock_guard lock(Lock_);
  TSqliteStmt stmt(Db_, "SELECT ID, TITLE, TYPE FROM ASSET_LIST ORDER BY ID ASC");
  std::vector<TAssetRow> result;
  while (stmt.Step()) result.push_back({stmt.Text(0), stmt.Text(1), stmt.Text(2)});
  return result;
}

std::vector<std::string> TServerStore::TemplateIds() {
  std::lock_guard lock(Lock_);
  TSqliteStmt stmt(Db_, "SELECT ID FROM PORTFOLIO_TEMPLATE_LIST ORDER BY ID ASC");
  std::vector<std::string> result;
  while (stmt.Step()) result.push_back(stmt.Text(0));
  return result;
}

std::vector<double> TServerStore::TemplateWeights(const std::string& templateId) {
  std::lock_guard lock(Lock_);
  TSqliteStmt stmt(Db_, "SELECT WEIGHT FROM PORTFOLIO_TEMPLATE_DATA WHERE PORTFOLIOID=?1 ORDER BY RANK ASC");
  stmt.Bind(1, templateId);
  std::vector<double> result;
  while (stmt.Step()) result.push_back(stmt.Real(0));
  return result;
}

std::optional<std::string> TServerStore::SeriesValue(const std::string& table, const std::string& country,
                                                     const std::string& asset, const std::string& column,
                                                     bool descending) {
  const std::string sql = std::string("SELECT ") + DataColumn(column) + " FROM " + DataTable(table) +
                          " WHERE COUNTRYNAME=?1 AND ASSETID=?2 ORDER BY DATE " + (descending ? "DESC" : "ASC") +
                          " LIMIT 1";
  std::lock_guard lock(Lock_);
  TSqliteStmt stmt(Db_, sql);
  if (!stmt.Bind(1, country).Bind(2, asset).Step()) return std::nullopt;
  return ColumnText(stmt, 0);
}

std::vector<TDataPoint> TServerStore::Series(const std::string& country, const std::string& asset) {
  std::lock_guard lock(Lock_);
  TSqliteStmt stmt(Db_, "SELECT DATE, VALUE FROM DATA WHERE COUNTRYNAME=?1 AND ASSETID=?2 ORDER BY DATE ASC");
  stmt.Bind(1, country).Bind(2, asset);
  std::vector<TDataPoint> result;
  while (stmt.Step()) result.push_back({stmt.Real(0), stmt.Real(1)});
  return result;
}

void TServerStore::ForEachRowSince(const std::string& table, double date, const TRowVisitor& row) {
  const std::string sql = std::string("SELECT COUNTRYNAME, ASSETID, DATE, VALUE FROM ") + DataTable(table) +
                          " WHERE DATE>?1 ORDER BY DATE ASC, rowid ASC";
  std::lock_guard lock(Lock_);
  TSqliteStmt stmt(Db_, sql);
  stmt.Bind(1, date);
  while (stmt.Step()) row(stmt.TextView(0), stmt.TextView(1), stmt.Real(2), stmt.Real(3));
}

std::int64_t TServerStore::CountRows(const std::string& table) {
  std::lock_guard lock(Lock_);
  TSqliteStmt stmt(Db_, std::string("SELECT COUNT(*) FROM ") + DataTable(table));
  stmt.Step();
  return stmt.Integer(0);
}

void TServerStore::RequireShareLocked(const TReceivedTable& table, const std::vector<std::string>& sources,
                                      std::size_t source, double receivedAt) {
  const std::int64_t share = source == 0 ? Options_.*table.MaxPerAddress : Options_.MaxRequestsPerMail;
  // The address's share counts its repeats too.
  TSqliteStmt count(Db_,
                    "SELECT COUNT(*) FROM RECEIVED_SHARES WHERE KIND=?1 AND SOURCE IN (?2, ?3) AND RECEIVEDAT>?4");
  count.Bind(1, table.Table)
      .Bind(2, sources.at(source))
      .Bind(3, source == 0 ? RepeatSource(sources[0]) : sources.at(source))
      .Bind(4, receivedAt - Options_.ShareWindowDays)
      .Step();
  if (count.Integer(0) >= share)
    throw TStoreRefusal(std::string("Too many ") + table.What +
                        (source == 0                ? " from this address"
                         : table.MailShareByAddress ? " for this mail address from this address"
                                                    : " for this mail address") +
                        " within a day (at most " + std::to_string(share) + "); refused");
}

void TServerStore::RequireTakenLocked(const TReceivedTable& table, const std::vector<std::string>& sources,
                                      double receivedAt) {
  RequireShareLocked(table, sources, 0, receivedAt);
  // The rows the table holds and the repeats answered within the window
  // (their "r:" share rows) take at most MaxRows together: repeats from many
  // addresses keep their share rows within the total as stored rows do, and
  // a row the operator deletes still frees its place at once. Checked before
  // the row is known to be a repeat, so that the answer tells nothing of it.
  const std::int64_t maxRows = Options_.*table.MaxRows;
  const std::int64_t stored = SingleInteger(Db_, std::string("SELECT COUNT(*) FROM ") + table.Table);
  // The repeats' times, those older than the window dropped (as pruning drops their rows).
  std::multiset<double>& times = RepeatTimes_[table.Table];
  times.erase(times.begin(), times.upper_bound(receivedAt - Options_.ShareWindowDays));
  const auto repeats = static_cast<std::int64_t>(times.size());
  if (stored + repeats < maxRows) return;
  // At the total the rows older than the window go at once, so the table never holds more.
  PruneOldLocked(receivedAt);
  throw TStoreRefusal(std::string("Too many stored ") + table.What +
                      (repeats > 0 ? " and repeats of them within a day" : "") + " (at most " +
                      std::to_string(maxRows) + "); refused");
}

void TServerStore::PruneOldLocked(double receivedAt) {
  for (const char* rows : {"RECEIVED_SHARES", "RECEIVED_BYTES"}) {
    TSqliteStmt old(Db_, std::string("DELETE FROM ") + rows + " WHERE RECEIVEDAT<=?1");
    old.Bind(1, receivedAt - Options_.ShareWindowDays).Step();
  }
}

void TServerStore::AddShareLocked(const TReceivedTable& table, const std::string& source, double receivedAt) {
  TSqliteStmt share(Db_, "INSERT INTO RECEIVED_SHARES(KIND, SOURCE, RECEIVEDAT) VALUES(?1, ?2, ?3)");
  share.Bind(1, table.Table).Bind(2, source).Bind(3, receivedAt).Step();
  // Rows older than the window count no more: they go now and then.
  constexpr std::uint32_t kPruneEvery = 256;
  if (++SharesInserted_ % kPruneEvery == 0) PruneOldLocked(receivedAt);
}

void TServerStore::RequireRoomLocked(const TReceivedTable& table, const std::string& address, double receivedAt,
                                     std::int64_t bytes, const std::vector<std::string>& sources) {
  for (std::size_t i = 1; i < sources.size(); ++i) RequireShareLocked(table, sources, i, receivedAt);
  if (BytesFromLocked(address, receivedAt) + bytes > Options_.MaxStoredBytesPerAddress)
    throw TStoreRefusal("Too much stored from this address within a day (at most " +
                        std::to_string(Options_.MaxStoredBytesPerAddress) + " bytes); refused");
  if (BytesTotalLocked() + bytes > Options_.MaxStoredBytesTotal)
    throw TStoreRefusal("Too much stored in all (at most " + std::to_string(Options_.MaxStoredBytesTotal) +
                        " bytes); refused");
}

void TServerStore::InsertLocked(const TReceivedTable& table, const std::vector<std::string>& values, double receivedAt,
                                const std::string& address, std::int64_t bytes,
                                const std::vector<std::string>& sources) {
  std::string columns;
  std::string places;
  for (std::size_t i = 0; i <= table.Columns.size(); ++i) {
    columns += std::string(i ? ", " : "") + (i < table.Columns.size() ? table.Columns[i] : "RECEIVEDAT");
    places += (i ? ", ?" : "?") + std::to_string(i + 1);
  }
  InTransaction(Db_, [&] {
    TSqliteStmt insert(Db_, std::string("INSERT INTO ") + table.Table + "(" + columns + ") VALUES(" + places + ")");
    for (std::size_t i = 0; i < values.size(); ++i) insert.Bind(static_cast<int>(i) + 1, values[i]);
    insert.Bind(static_cast<int>(values.size()) + 1, receivedAt).Step();
    TSqliteStmt count(Db_, "INSERT INTO RECEIVED_BYTES(ADDRESS, RECEIVEDAT, BYTES) VALUES(?1, ?2, ?3)");
    count.Bind(1, address).Bind(2, receivedAt).Bind(3, bytes).Step();
    for (const std::string& source : sources) AddShareLocked(table, source, receivedAt);
  });
}

bool TServerStore::Receive(const TReceivedTable& table, const std::vector<std::string>& values,
                           const std::string& address, double receivedAt) {
  CheckValues(table, values, Options_);
  const std::int64_t bytes = ByteCount(values);
  const std::vector<std::string> sources = ShareSources(table, values, address);
  std::lock_guard lock(Lock_);
  // The address's share comes first: past it every row is refused alike,
  // stored already or not, so that the answer tells nothing of other
  // addresses' rows. The kind's total comes next, alike for a repeat.
  RequireTakenLocked(table, sources, receivedAt);
  if (table.RepeatIsDone) {
    std::string sql = std::string("SELECT EXISTS(SELECT 1 FROM ") + table.Table + " WHERE RECEIVEDAT > ?1";
    for (std::size_t i = 0; i < table.Columns.size(); ++i)
      sql += std::string(" AND ") + table.Columns[i] + " = ?" + std::to_string(i + 2) +
             (static_cast<int>(i) == table.MailColumn ? " COLLATE NOCASE" : "");
    TSqliteStmt stored(Db_, sql + ")");
    stored.Bind(1, receivedAt - Options_.ShareWindowDays);
    for (std::size_t i = 0; i < values.size(); ++i) stored.Bind(static_cast<int>(i) + 2, values[i]);
    stored.Step();
    if (stored.Integer(0) != 0) {
      AddShareLocked(table, RepeatSource(sources[0]), receivedAt);
      RepeatTimes_[table.Table].insert(receivedAt);
      return false;
    }
  }
  RequireRoomLocked(table, address, receivedAt, bytes, sources);
  InsertLocked(table, values, receivedAt, address, bytes, sources);
  return true;
}

bool TServerStore::StorePasswordRequest(const std::vector<std::string>& values, const std::string& address,
                                        double receivedAt) {
  return Receive(kPasswordRequests, values, address, receivedAt);
}

void TServerStore::CheckNewUserRequest(const std::vector<std::string>& values, const std::string& address,
                                       double receivedAt) {
  // The bytes with the typed password: close to those with its hash, checked again when stored.
  CheckValues(kNewUserRequests, values, Options_);
  const std::vector<std::string> sources = ShareSources(kNewUserRequests, values, address);
  std::lock_guard lock(Lock_);
  RequireTakenLocked(kNewUserRequests, sources, receivedAt);
  RequireRoomLocked(kNewUserRequests, address, receivedAt, ByteCount(values), sources);
}

std::string TServerStore::HashNewUserPassword(const std::vector<std::string>& values) const {
  const std::string& password = values.at(kNewUserPassword);
  return Options_.HashFunction ? Options_.HashFunction(password) : HashPassword(password, Options_.HashLimits);
}

void TServerStore::StoreNewUserRequest(const std::vector<std::string>& values, const std::string& passwordHash,
                                       const std::string& address, double receivedAt) {
  // The typed values pass the length check; the hash is what is stored and counted.
  CheckValues(kNewUserRequests, values, Options_);
  std::vector<std::string> stored = values;
  stored[kNewUserPassword] = passwordHash;
  Receive(kNewUserRequests, stored, address, receivedAt);
}

void TServerStore::StoreReport(const std::string& content, const std::string& address, double receivedAt) {
  Receive(kReports, {content}, address, receivedAt);
}

std::int64_t TServerStore::BytesFromLocked(const std::string& address, double at) {
  TSqliteStmt stmt(Db_, "SELECT CAST(TOTAL(BYTES) AS INTEGER) FROM RECEIVED_BYTES WHERE ADDRESS=?1 AND RECEIVEDAT>?2");
  stmt.Bind(1, address).Bind(2, at - Options_.ShareWindowDays).Step();
  return stmt.Integer(0);
}

std::int64_t TServerStore::BytesTotalLocked() {
  std::string names;
  for (const TReceivedTable* table : kReceivedTables)
    names += std::string(names.empty() ? "'" : ", '") + table->Table + "'";
  return SingleInteger(Db_,
                       "SELECT CAST(TOTAL(BYTES) AS INTEGER) FROM STORED_BYTES WHERE TABLENAME IN (" + names + ")");
}

std::int64_t TServerStore::StoredBytesFrom(const std::string& address, double at) {
  std::lock_guard lock(Lock_);
  return BytesFromLocked(address, at);
}

std::int64_t TServerStore::StoredBytesTotal() {
  std::lock_guard lock(Lock_);
  return BytesTotalLocked();
}

void TServerStore::Write(const std::function<void(TSqliteDb&)>& body) {
  std::lock_guard lock(Lock_);
  InTransaction(Db_, [&] { body(Db_); });
}

}  // namespace qvserver
