#pragma once
// The data server's own SQLite database: the users, the country and asset
// lists, the portfolio templates, the monthly ("DATA") and daily
// ("DATA_BIS") series, and the received requests and reports. Every access
// runs one of the prepared statements below under one lock.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "PasswordHash.h"
#include "SqliteDb.h"
#include "common/Records.h"

namespace qvserver {

struct TAssetRow {
  std::string ID;
  std::string Title;
  std::string Type;  // "INDEX", "RISK FREE ASSET", "RULE", "SIGNAL" or "SPOT FX"
};

// A write refused by the store's limits; nothing was stored or dropped.
class TStoreRefusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Limits of the writes anyone may send without signing in.
struct TServerStoreOptions {
  // Hash limits of the passwords carried by new-user requests.
  TPasswordHashLimits HashLimits = InteractiveHashLimits();
  // The hash of a new-user password; unset: HashPassword with HashLimits.
  std::function<std::string(const std::string&)> HashFunction{};
  std::size_t MaxFieldChars = 256;          // one value of a password or new-user request, in characters
  std::size_t MaxReportBytes = 256 * 1024;  // content of one model-state report
  // Rows each table holds, the repeats answered within the window counting
  // on their kind's.
  std::int64_t MaxStoredReports = 10000;
  std::int64_t MaxStoredRequests = 10000;  // of each kind: password and new-user requests
  // Shares within a sliding window of ShareWindowDays (by the time received):
  // rows of each kind stored from one address; requests of each kind naming
  // one mail address from one address; bytes of requests and reports stored
  // from one address. Real use
  // stays far below them; the totals are the last guard against many addresses.
  double ShareWindowDays = 1.0;
  std::int64_t MaxRequestsPerAddress = 20;  // of each kind
  std::int64_t MaxRequestsPerMail = 5;      // of each kind
  std::int64_t MaxReportsPerAddress = 40;
  std::int64_t MaxStoredBytesPerAddress = std::int64_t{16} << 20;
  // Bytes of the requests and reports the tables hold, from all: what an
  // operator deletes frees its share at once.
  std::int64_t MaxStoredBytesTotal = std::int64_t{256} << 20;
};

// One table of received requests or reports (described in ServerStore.cpp).
struct TReceivedTable;

class TServerStore {
 public:
  // Opens (creating when missing) the database file and makes sure every
  // table exists. Throws TSqliteError naming the path when the file cannot be
  // used: not a database, or holding tables that are not the server's (then
  // nothing was written to it).
  explicit TServerStore(const std::string& path, TServerStoreOptions options = {});

  // True when the country list or the monthly table holds no row.
  bool IsEmpty();

  // --- sign-in and usage ---------------------------------------------------
  int CountUsers(const std::string& userId);
  std::optional<std::string> PasswordHashOf(const std::string& userId);
  // The text of one whitelisted column of the user's row; nullopt without row.
  std::optional<std::string> UserValue(const std::string& table, const std::string& column, const std::string& userId);
  // Return the number of rows changed (0 when the user is unknown).
  int UpdateStartDate(const std::string& userId, double date);
  // The outcome of a usage update.
  enum class TUsageUpdate { Updated, Unchanged, UnknownUser, CounterJump, DateBefore };
  // Sets the usage record when `counter` is one more than the stored count;
  // a counter equal to the stored one (a sign-in of the same user at the same
  // time, or a repeated update) changes nothing and is done all the same.
  // Any other counter is a CounterJump. A date more than a day before the
  // stored one (clients date by their own time zone) is refused, and the
  // stored date never goes back: it becomes max(stored, lastDateOfUse).
  TUsageUpdate UpdateUsage(const std::string& userId, double lastDateOfUse, std::int64_t counter);

  // --- lists ---------------------------------------------------------------
  std::vector<TCountry> Countries();  // ascending RANK
  std::vector<TAssetRow> Assets();    // ascending ID
  std::vector<std::string> TemplateIds();
  std::vector<double> TemplateWeights(const std::string& templateId);

  // --- series --------------------------------------------------------------
  // Column `column` of the first row of the series in the table, by date in
  // the given direction; nullopt without row.
  std::optional<std::string> SeriesValue(const std::string& table, const std::string& country, const std::string& asset,
                                         const std::string& column, bool descending);
  std::vector<TDataPoint> Series(const std::string& country, const std::string& asset);
  // Calls `row` for every row of "DATA" or "DATA_BIS" dated after `date`, in
  // ascending date (insertion order within a date); the lock is held meanwhile.
  using TRowVisitor = std::function<void(std::string_view country, std::string_view asset, double date, double value)>;
  void ForEachRowSince(const std::string& table, double date, const TRowVisitor& row);
  std::int64_t CountRows(const std::string& table);

  // --- received requests ---------------------------------------------------
  // Each stores one request or report received from `address`, or throws
  // TStoreRefusal and stores nothing: a value longer than MaxFieldChars
  // characters, a report larger than MaxReportBytes, a table already holding
  // the most rows allowed, the share of the address or of the mail address
  // named used up within the window, or bytes from the address within the
  // window or in all that would pass their cap. The bytes of a row are those of its stored
  // values; `receivedAt` is a date-time in days.
  // A password request equal to one stored within the window (the mail
  // address letter case aside) asks the same again: it is not stored, it
  // counts on the address's share and, while within the window, on the
  // table's rows (so a table at its most refuses repeats as new rows), and
  // false is returned (true when stored). The address's share is checked
  // before anything else.
  bool StorePasswordRequest(const std::vector<std::string>& values, const std::string& address, double receivedAt);
  // The checks of StoreNewUserRequest, made before the costly hash.
  void CheckNewUserRequest(const std::vector<std::string>& values, const std::string& address, double receivedAt);
  // The stored form of the password among a new-user request's values (slow
  // by design: run it off the serving threads).
  std::string HashNewUserPassword(const std::vector<std::string>& values) const;
  // The typed password values[10] is stored as `passwordHash`, never as typed.
  void StoreNewUserRequest(const std::vector<std::string>& values, const std::string& passwordHash,
                           const std::string& address, double receivedAt);
  void StoreReport(const std::string& content, const std::string& address, double receivedAt);
  // Bytes of the requests and reports stored from `address` within the
  // window before `at`, and the bytes of every row the three tables hold.
  std::int64_t StoredBytesFrom(const std::string& address, double at);
  std::int64_t StoredBytesTotal();

  // --- writing the sample set -----------------------------------------------
  // Runs `body` with the connection inside one transaction, under the lock.
  void Write(const std::function<void(TSqliteDb&)>& body);

 private:
  // Throws TStoreRefusal when the share of the address (sources[0]) is used
  // up within the window, or the table's rows with the repeats of the window
  // are at the table's most, in that order; the lock is held.
  void RequireTakenLocked(const TReceivedTable& table, const std::vector<std::string>& sources, double receivedAt);
  // Throws TStoreRefusal when the row `values` from `address` would pass a
  // further limit of `table`: the share of the mail address, the address's
  // bytes or all bytes; the lock is held. `bytes` and `sources`
  // are the row's byte count and share sources.
  void RequireRoomLocked(const TReceivedTable& table, const std::string& address, double receivedAt, std::int64_t bytes,
                         const std::vector<std::string>& sources);
  // Throws TStoreRefusal when the share of sources[source] (0: the address)
  // is used up within the window; AddShareLocked counts one row on a source.
  void RequireShareLocked(const TReceivedTable& table, const std::vector<std::string>& sources, std::size_t source,
                          double receivedAt);
  void AddShareLocked(const TReceivedTable& table, const std::string& source, double receivedAt);
  // Deletes the share and byte rows older than the window before `receivedAt`.
  void PruneOldLocked(double receivedAt);
  // Checks and stores one row of `table` from `address`; false when a row
  // stored earlier stands for it (see StorePasswordRequest).
  bool Receive(const TReceivedTable& table, const std::vector<std::string>& values, const std::string& address,
               double receivedAt);
  // The two byte counts of StoredBytesFrom and StoredBytesTotal; the lock is held.
  std::int64_t BytesFromLocked(const std::string& address, double at);
  std::int64_t BytesTotalLocked();
  // Inserts one row and counts its bytes for `address`, in one transaction; the lock is held.
  void InsertLocked(const TReceivedTable& table, const std::vector<std::string>& values, double receivedAt,
                    const std::string& address, std::int64_t bytes, const std::vector<std::string>& sources);

  TServerStoreOptions Options_;
  std::uint32_t SharesInserted_ = 0;  // share rows added: every 256th prunes the old ones
  // By kind, the times of the repeats answered (their "r:" share rows) from
  // the window on: the kind's total is checked without counting rows.
  std::map<std::string, std::multiset<double>> RepeatTimes_;
  std::mutex Lock_;
  TSqliteDb Db_;
};

// Text of a stored value in a reply: integers as "%i", reals by FormatReal.
std::string ColumnText(const TSqliteStmt& stmt, int column);
// General float-to-text conversion: at most 15 significant digits, no
// trailing zeros, always '.' as decimal separator.
std::string FormatReal(double value);

}  // namespace qvserver
