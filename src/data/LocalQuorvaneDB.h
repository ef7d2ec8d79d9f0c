#pragma once
// The local SQLite databases: the market-data file "QVDBV4.sqlite"
// (countries, assets, portfolio templates, monthly and daily series) and the
// settings file "USDBV4.sqlite" (the user's model settings). One object is
// switched between the two files: Disconnect, set DatabaseKind, Connect.
//
// Both files live in DatabaseFolder() and run with journal_mode=WAL and
// synchronous=NORMAL. Every replace of a table (delete, then inserts) runs
// in one transaction, so a failure leaves the old rows. Values go into
// statements as bound parameters. Names are stored upper-cased; country
// names and asset titles are proper-cased when read.
//
// Failures: Connect and the two schema operations report through
// LastMessage and their result; every other operation throws
// platform::SqliteError, whose message is also left in LastMessage.

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <vector>

#include "common/Records.h"
#include "data/DataRow.h"
#include "data/LocalSchema.h"
#include "platform/ProgressSink.h"
#include "platform/Sqlite.h"

// Three doubles: the ranking criteria (equity, fixed income, currency) or the
// fixed-income limits (max gold, max inflation-linked bonds, max currency risk).
using TSettingsTriple = std::array<double, 3>;

// Asset classes of the per-country and competition settings.
enum TSettingsAssetClass : int { sacEquity = 0, sacFixedIncome = 1, sacCurrency = 2 };

// DatabaseKind values.
inline constexpr std::int32_t kMarketDataDatabase = 0;
inline constexpr std::int32_t kSettingsDatabase = 1;

class TLocalQuorvaneDB {
 public:
  TLocalQuorvaneDB();
  ~TLocalQuorvaneDB();
  TLocalQuorvaneDB(const TLocalQuorvaneDB&) = delete;
  TLocalQuorvaneDB& operator=(const TLocalQuorvaneDB&) = delete;

  // ---- files and connection

  // "$QUORVANE_HOME" when set and not empty, else
  // "$XDG_DATA_HOME/Vosker/Quorvane" (XDG_DATA_HOME defaulting to
  // "$HOME/.local/share").
  static std::string DatabaseFolder();
  // "QVDBV4.sqlite" for kind 0, "USDBV4.sqlite" for kind 1, empty otherwise.
  static std::string DatabaseFileName(std::int32_t kind);
  // Full path of the file of DatabaseKind (the folder itself for an unknown kind).
  std::string DatabasePath() const;

  // Opens the file of DatabaseKind, creating the folder and the file when
  // missing. An existing file that cannot be written (write-protected file
  // or folder, or a side file of the engine that another user left
  // read-only) is opened for reading only, and without creating side files
  // when its log holds nothing; side files of this user that a read-only
  // open left read-only are given the owner's write permission back (here
  // and at Disconnect), so a file made writable again is written at the
  // next connect. LastMessage is empty when connected, else "<path> is a
  // folder, not a data file: move it away ..." (a named pipe, a socket, a
  // device: never opened), FileFailureText() of the failure (a file that is
  // no database, a folder that cannot be written or created, a full disk, a
  // lock held by another program), "<path> holds " and
  // ForeignObject() ": move it away and start again to ..." for a file
  // whose objects of our table names are not ours (refused before anything
  // is written to it), else "Connection failed" and the engine's message.
  // Already connected to that file: stays connected and succeeds; connected
  // to the other file: stays on it and leaves "Connection failed" (switch
  // files with Disconnect first). A file whose free pages exceed a quarter
  // of it (and 1024 pages) is compacted. Never throws.
  void Connect();
  void Disconnect();
  bool IsConnected() const;
  // True while connected to a file that can only be read (write-protected
  // file, folder or side file; see Connect); every write then fails.
  bool IsReadOnly() const;
  // Runs the engine's quick integrity check on the open file: false with
  // DamagedFileText() in LastMessage when the file is damaged. Writes nothing.
  bool CheckFileIntegrity();

  // What the window shows for the file of DatabaseKind:
  //   "<path> is damaged: move it away and start again to download a fresh
  //   copy" (market data; settings: "... to start with the default settings")
  //   "<path> is read-only: make it writable and start again to download
  //   new data" (settings: "... to save your settings"); with a clause,
  //   "<path> is read-only, <clause>: make it writable ..."; for a writable
  //   file in a write-protected folder "<path> is read-only, as its folder
  //   cannot be written[, <clause>]: make the folder writable and start
  //   again ..."; for a side file that cannot be written "<path>-shm is
  //   read-only[, <clause>]: make it writable ..." (or "-wal")
  std::string DamagedFileText() const;
  std::string ReadOnlyFileText(const std::string& clause = {}) const;
  // The text of an engine failure that says something of the file itself,
  // naming the file or its folder and what to do; empty for any other failure:
  //   SQLITE_CORRUPT, SQLITE_NOTADB  DamagedFileText()
  //   SQLITE_READONLY                ReadOnlyFileText() (FolderFailureText()
  //                                  when only the folder is read-only)
  //   SQLITE_BUSY, SQLITE_LOCKED     "<path> is locked by another program: try
  //                                  again once that program has finished with it"
  //   SQLITE_CANTOPEN, SQLITE_PERM,  "<path> is a folder, not a data file: move
  //   SQLITE_FULL, SQLITE_IOERR      it away and start again to ..." (a named
  //                                  pipe, ...); else for a full or failing
  //                                  disk "<path> could not be read or written
  //                                  (disk full or failing): free some space
  //                                  ..."; else FolderFailureText() when the
  //                                  folder cannot be written, else "<path>
  //                                  cannot be opened: make sure you may read
  //                                  and write it, ..."
  std::string FileFailureText(const platform::SqliteError& error) const;
  // "<folder> cannot be written: make sure the folder exists and can be
  // written, then start again".
  std::string FolderFailureText() const;
  // Groups several operations (a whole download) into one transaction; the
  // operations' own transactions become savepoints inside it. A download
  // fetches and checks everything first (GetSeriesLastDateBefore gives the
  // date to fetch after when rows are to be fetched again), then replaces
  // the lists, deletes and inserts in one transaction, and tells the server
  // that the download is done only once Commit has returned.
  platform::SqliteTransaction BeginTransaction();
  // The underlying connection (tests and tools).
  platform::SqliteConnection& Connection() { return Connection_; }

  // Handlers of the connection's events.
  void ResetLastMessage() { LastMessage.clear(); }
  void StoreConnectionError(const std::string& message) { LastMessage = message; }
  void ReportConnectionLost() { LastMessage = "Connection lost"; }

  // ---- market-data schema

  // Creates the six tables and the series indexes when missing; existing
  // tables are left as they are. False with "Unable to create table
  // (QVDB:AL)" (CL, PTL, D, DB, PTD) in LastMessage on the first failure.
  // Series indexes of an earlier layout (without VALUE) are built again
  // with it when the file can be written; otherwise they stay, as they
  // serve the same reads.
  bool CreateMarketDataTables();

  // ---- market-data lists

  // COUNTRY_LIST by ascending RANK; names proper-cased, currencies upper-cased.
  std::vector<TCountry> LoadCountryList();
  void SaveCountryList(const std::vector<TCountry>& countries);
  void ClearCountryList();
  // ASSET_LIST rows of the type's name (type 0..4), ascending ID, each with
  // countryName as given; empty for another type.
  std::vector<TAssetSeries> LoadAssetList(const std::string& countryName, int type);
  // Throws (and keeps the old rows) when an asset's Type is not 0..4.
  void SaveAssetList(const std::vector<TAssetSeries>& assets);
  void ClearAssetList();
  std::vector<TPortfolioTemplate> LoadPortfolioTemplateList();
  void SavePortfolioTemplateList(const std::vector<TPortfolioTemplate>& templates);
  void ClearPortfolioTemplateList();
  // WEIGHT of the template's rows by ascending RANK.
  std::vector<double> LoadPortfolioTemplateData(const std::string& id);
  // One row per weight, RANK its position in Weights.
  void SavePortfolioTemplateData(const std::vector<TPortfolioTemplate>& templates);
  void ClearPortfolioTemplateData();
  // (ESTIMATIONDATE, ESTIMATEDSIGNAL) of each country by ascending RANK.
  std::vector<TDataPoint> LoadCountryEstimates();
  // Writes point i into the i-th country by RANK when the counts match;
  // false (nothing written) otherwise.
  bool SaveCountryEstimates(const std::vector<TDataPoint>& estimates);
  // True when the table has no row.
  bool OpenTable(const std::string& table);

  // ---- series ("DATA" or "DATA_BIS"; other table names throw)
  //
  // Rows that no series can hold (SeriesRowRules.h; stored by earlier
  // versions) are left out of the dates and series read below.

  // Latest / earliest DATE of the series in the table; 2.0 when none.
  double GetSeriesLastDate(const std::string& table, const std::string& countryName, const std::string& assetId);
  double GetSeriesFirstDate(const std::string& table, const std::string& countryName, const std::string& assetId);
  // Latest DATE of the series earlier than before; 2.0 when none. This is
  // what GetSeriesLastDate gives after DeleteSeriesFrom(table, before), so a
  // download can ask the server for the rows it needs before anything local
  // is deleted.
  double GetSeriesLastDateBefore(const std::string& table, const std::string& countryName, const std::string& assetId,
                                 double before);
  // The DATA points of the series by ascending DATE, values of exactly -1000.0 left out.
  TSeries LoadSeries(const std::string& countryName, const std::string& assetId);
  // The earliest DATA_BIS point of the series; (2.0, -1000000.0) when none.
  TDataPoint LoadSeriesBis(const std::string& countryName, const std::string& assetId);
  // Appends the rows in one transaction (all or none), showing the share
  // done as "NN%" (NN = trunc((i + 1) / n x 100)) and pumping the sink's
  // messages about every hundredth row. The rows go in ordered as in the
  // series index (country, asset, date; equal keys as given), so their
  // rowids follow that order. With no rows, turns the values that older
  // versions stored as text with a decimal comma into numbers. label may be null.
  void InsertSeriesRows(const std::string& table, const TDataRowSet& rows, platform::ProgressSink* label);
  void InsertSeriesRows(const std::string& table, const std::vector<TDataRow>& rows, platform::ProgressSink* label);
  // Deletes the rows dated on or after date.
  void DeleteSeriesFrom(const std::string& table, double date);
  // Deletes the rows dated after date.
  void DeleteSeriesAfter(const std::string& table, double date);
  // The rows of the table that no series can hold, and the earliest date
  // among those whose date is one a series can hold (their rows are to be
  // fetched again); infinity when there is none.
  struct TFaultyRows {
    std::vector<std::int64_t> RowIds;
    double FetchAgainFrom = std::numeric_limits<double>::infinity();
  };
  TFaultyRows FindFaultySeriesRows(const std::string& table);
  void DeleteSeriesRows(const std::string& table, const std::vector<std::int64_t>& rowIds);

  // ---- settings database
  //
  // The loaders give a stored value that is no number (a text that does not
  // read as one, no value) as NaN; the caller takes values into their ranges.

  // Creates the nine settings tables when missing. False with "Unable to
  // create table  (USDB:UGS)" or "Unable to create table (USDB:UBS)" in
  // LastMessage on the first failure.
  bool CreateUserSettingsTables();
  // INCEPTIONDATE, or 2.0 when the table is empty.
  double LoadUserDateSettings();
  bool SaveUserDateSettings(double inceptionDate);
  // The global-portfolio values (PortfolioCcy, RiskFreeId, MaxEqVsFiAllocation,
  // MinEqVsFiAllocation, QVTrustLevel, BLTrustLevel, SLTrustLevel, FxHedging):
  // the loader returns current with those eight replaced by the stored row,
  // when there is one; the writer stores those eight of settings.
  TUserSettings LoadUserGlobalPortfolioSettings(const TUserSettings& current);
  bool SaveUserGlobalPortfolioSettings(const TUserSettings& settings);
  // A copy of defaults with the asset class's columns (and the name, region
  // and rank) taken from the stored row of the same country name. When the
  // stored countries are not exactly those of defaults, defaults unchanged.
  std::vector<TCountrySettings> LoadUserCountrySettings(const std::vector<TCountrySettings>& defaults, int assetClass);
  // Updates the stored rows by country name when they are exactly the
  // countries of rows; otherwise rewrites the table with rows. False (and
  // nothing written) for empty rows.
  bool SaveUserCountrySettings(const std::vector<TCountrySettings>& rows, int assetClass);
  // The triple with the asset class's element replaced by the stored value.
  TSettingsTriple LoadUserCountryCompetitionSettings(const TSettingsTriple& defaults, int assetClass);
  bool SaveUserCountryCompetitionSettings(const TSettingsTriple& criteria, int assetClass);
  TSettingsTriple LoadUserFICompetitionSettings(const TSettingsTriple& defaults);
  bool SaveUserFICompetitionSettings(const TSettingsTriple& limits);
  // Writes the part of settings chosen by the save selector, in one transaction:
  //   0        InceptionDate
  //   1, 3, 5  equity country rows, equity ranking criterion
  //   2        global-portfolio values
  //   4, 6, 7  fixed-income and currency country rows, the three limits, the
  //            fixed-income and currency criteria, and the currency-swap
  //            borrowing costs of the equity rows (edited with the bonds;
  //            equity rows it has to write anew, as a load reads none of
  //            them, take the default weights and transaction costs, never
  //            those stored or in settings)
  //   others   nothing
  // A save writes only its group: what another group holds in settings
  // (applied but not saved) stays out of the file.
  // True when every writer of the selector wrote (and for selectors that
  // write nothing), false when one wrote nothing (empty country rows).
  bool SaveUserSettings(const TUserSettings& settings, int saveSelector);

  // Which file Connect opens: kMarketDataDatabase or kSettingsDatabase.
  std::int32_t DatabaseKind = kMarketDataDatabase;
  // Message of the last connection or schema failure; empty after a good connect.
  std::string LastMessage;
  // How long a statement waits for a lock held by another connection.
  int BusyTimeoutMs = 5000;

 private:
  // The open connection; throws when not connected.
  platform::SqliteConnection& Open();
  // Runs the statements in order; false with the failing one's text in
  // LastMessage (followed by FileFailureText() when there is one).
  bool RunSchema(std::span<const localdb::TSchemaStatement> statements);
  // What the open file holds in place of the first table of the schema of
  // DatabaseKind that is not ours: "a table DATA with other columns than
  // ours", or for another object of that name "an index DATA, not our
  // table of that name" ("a view ...", "a trigger ..."); empty when every
  // object of our names is ours. Reads only.
  std::string ForeignObject();
  // "<path>" + what + ": move it away and start again to " and the advice
  // of the kind (download a fresh copy / start with the default settings).
  std::string MoveAwayText(const std::string& what) const;
  void ReplaceUserCountryRows(const std::vector<TCountrySettings>& rows, int assetClass);
  // Earliest or latest DATE of the series, only dates earlier than before counted.
  double SeriesBoundDate(const std::string& table, const std::string& countryName, const std::string& assetId,
                         bool last, double before);
  // Writes rows into the per-country table of assetClass: into the stored
  // rows by country name when they are the same countries (only
  // FXSWAPBORROWINGCOST when swapCostsOnly), else the whole table anew
  // (when swapCostsOnly, with every country's equity weight and transaction
  // cost at their defaults, as a load takes them from rows it passes over,
  // and the swap costs of rows). False (nothing written) for empty rows.
  bool WriteCountryRows(const std::vector<TCountrySettings>& rows, int assetClass, bool swapCostsOnly);

  // Queries that the work-data load runs once per asset (some 720 times):
  // prepared once per connection and kept.
  enum TCachedQuery { cqAssetList, cqSeries, cqSeriesBis, cqCachedQueries };
  // The statement of query on the open connection, prepared from sql when
  // it is not yet (or was prepared on an earlier connection), reset and
  // ready for new bindings. Callers reset it when done (TResetOnExit).
  platform::SqliteStatement& CachedQuery(TCachedQuery query, const char* sql);
  struct TCachedStatement {
    const sqlite3* Handle = nullptr;  // connection it was prepared on
    platform::SqliteStatement Statement;
  };
  std::array<TCachedStatement, cqCachedQueries> Cached_;

  platform::SqliteConnection Connection_;
};

// The one local-database object of the application.
extern TLocalQuorvaneDB* ptrMyExternLocalQuorvaneDB;
