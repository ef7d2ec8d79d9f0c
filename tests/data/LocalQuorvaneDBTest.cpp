// The local database files: connection, the schemas of both files, list tables and series tables.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <tuple>
#include <vector>

#include "data/DataFixtures.h"
#include "data/SeriesRowRules.h"
#include "platform/DateTime.h"
#include "platform/Format.h"

namespace {

class RecordingSink : public platform::ProgressSink {
 public:
  void SetText(const std::string& text) override { Texts.push_back(text); }
  void ProcessMessages() override {
    ++Pumps;
    if (OnPump) OnPump();
  }
  std::vector<std::string> Texts;
  int Pumps = 0;
  std::function<void()> OnPump;
};

TCountry Country(const std::string& name, int rank, const std::string& currency = "EUR") {
  TCountry country;
  country.Name = name;
  country.RegionName = "Europe (Euro)";
  country.Currency = currency;
  country.IndexName = "Index of " + name;
  country.IndexTicker = "TCK" + std::to_string(rank);
  country.Rank = rank;
  country.RegionRank = 2;
  country.IsDevelopped = rank % 2 == 1;
  country.ReverseQuote = rank % 2 == 0;
  country.EstimationDate = 45000.0 + rank;
  country.EstimatedSignal = 0.25 * rank;
  return country;
}

std::vector<TDataRow> Rows(const std::string& country, int count, double firstDate) {
  std::vector<TDataRow> rows;
  for (int i = 0; i < count; ++i) rows.push_back(Row(country, "EQINDEX", firstDate + i, 1.0));
  return rows;
}

// ------------------------------------------------------------- connection

using LocalQuorvaneDBConnectTest = LocalDbTest;

TEST_F(LocalQuorvaneDBConnectTest, FirstConnectCreatesFolderAndFileInWalMode) {
  const std::string home = Temp.UseAsHome("missing/Vosker/Quorvane");
  Db.Connect();
  EXPECT_EQ(Db.LastMessage, "");
  EXPECT_TRUE(Db.IsConnected());
  EXPECT_TRUE(std::filesystem::exists(home + "/QVDBV4.sqlite"));
  EXPECT_EQ(Query("PRAGMA journal_mode"), std::vector<std::string>{"wal"});
  EXPECT_EQ(Count("PRAGMA synchronous"), 1);  // NORMAL
}

TEST_F(LocalQuorvaneDBConnectTest, DatabaseFolderAndFileNames) {
  const std::string home = Temp.UseAsHome("home");
  EXPECT_EQ(TLocalQuorvaneDB::DatabaseFolder(), home);
  ::setenv("QUORVANE_HOME", "", 1);
  {
    ScopedEnv xdg("XDG_DATA_HOME", "/data/xdg");
    EXPECT_EQ(TLocalQuorvaneDB::DatabaseFolder(), "/data/xdg/Vosker/Quorvane");
  }
  EXPECT_EQ(TLocalQuorvaneDB::DatabaseFileName(0), "QVDBV4.sqlite");
  EXPECT_EQ(TLocalQuorvaneDB::DatabaseFileName(1), "USDBV4.sqlite");
  EXPECT_EQ(TLocalQuorvaneDB::DatabaseFileName(2), "");
}

TEST_F(LocalQuorvaneDBConnectTest, UnknownKindFailsWithoutOpening) {
  Db.DatabaseKind = 2;
  Db.Connect();
  EXPECT_EQ(Db.LastMessage, "Connection failed");
  EXPECT_FALSE(Db.IsConnected());
  // Not connected: the schema operation fails with its first text.
  EXPECT_FALSE(Db.CreateMarketDataTables());
  EXPECT_EQ(Db.LastMessage, "Unable to create table (QVDB:AL)");
  EXPECT_THROW(Db.LoadCountryList(), platform::SqliteError);
}

TEST_F(LocalQuorvaneDBConnectTest, EachKindKeepsItsOwnFile) {
  const std::string tables = "SELECT count(*) FROM sqlite_master WHERE ";
  ASSERT_NO_FATAL_FAILURE(Open(kMarketDataDatabase));
  // Connect while connected to the same file succeeds.
  Db.Connect();
  EXPECT_EQ(Db.LastMessage, "");
  EXPECT_TRUE(Db.IsConnected());
  Db.Disconnect();
  ASSERT_NO_FATAL_FAILURE(Open(kSettingsDatabase));
  EXPECT_EQ(Count(tables + "name='DATA'"), 0);
  // Connect to the other kind while connected does not reopen: the settings
  // file stays open and the message tells the caller not to go on.
  Db.DatabaseKind = kMarketDataDatabase;
  Db.Connect();
  EXPECT_EQ(Db.LastMessage, "Connection failed");
  EXPECT_TRUE(Db.IsConnected());
  EXPECT_EQ(Count(tables + "name='USER_DATE_SETTINGS'"), 1);
  // Switching goes through Disconnect.
  Db.Disconnect();
  Db.Connect();
  ASSERT_EQ(Db.LastMessage, "");
  EXPECT_EQ(Count(tables + "name='DATA'"), 1);
  EXPECT_EQ(Count(tables + "name='USER_DATE_SETTINGS'"), 0);
  EXPECT_TRUE(std::filesystem::exists(File("USDBV4.sqlite")));
}

TEST_F(LocalQuorvaneDBConnectTest, UnusableFileReportsEngineMessage) {
  std::ofstream(File("QVDBV4.sqlite")) << std::string(8192, 'x');
  Db.Connect();
  EXPECT_EQ(Db.LastMessage,
            File("QVDBV4.sqlite") + " is damaged: move it away and start again to download a fresh copy");
  EXPECT_FALSE(Db.IsConnected());

  std::filesystem::remove(File("QVDBV4.sqlite"));
  ForeignLock other(File("QVDBV4.sqlite"), "CREATE TABLE T(A); BEGIN EXCLUSIVE; INSERT INTO T VALUES (1);");
  ASSERT_TRUE(other.Locked);
  Db.Connect();
  EXPECT_EQ(Db.LastMessage,
            File("QVDBV4.sqlite") + " is locked by another program: try again once that program has finished with it");
  EXPECT_FALSE(Db.IsConnected());
  other.Release();
  Db.Connect();
  EXPECT_EQ(Db.LastMessage, "");
}

// A damaged file of either kind is found by the connection or by the
// integrity check, named with what to do, and left byte for byte as it was.
TEST_F(LocalQuorvaneDBConnectTest, DamagedFileIsNamedWithWhatToDoAndLeftAsItWas) {
  const std::pair<std::int32_t, const char*> kinds[] = {
      {kMarketDataDatabase, "download a fresh copy"}, {kSettingsDatabase, "start with the default settings"}};
  for (const auto& [kind, advice] : kinds) {
    for (const TDamage damage : {TDamage::Garbage, TDamage::CutInHalf, TDamage::PageOverwritten}) {
      const std::string where = std::to_string(kind) + " " + DamageName(damage);
      ASSERT_NO_FATAL_FAILURE(Open(kind));
      Db.Connection().Exec("CREATE TABLE FILLER(T TEXT)");
      auto insert = Db.Connection().Prepare("INSERT INTO FILLER VALUES (?1)");
      for (int i = 0; i < 3000; ++i) {
        insert.BindText(1, "row " + std::to_string(i) + std::string(40, 'f'));
        insert.Execute();
      }
      const std::string path = Db.DatabasePath();
      Db.Disconnect();
      DamageFile(path, damage);
      const std::string bytes = FileBytes(path);
      Db.Connect();
      if (Db.LastMessage.empty()) {
        EXPECT_FALSE(Db.CheckFileIntegrity()) << where;
      }
      EXPECT_EQ(Db.LastMessage, path + " is damaged: move it away and start again to " + advice) << where;
      Db.Disconnect();
      EXPECT_TRUE(FileBytes(path) == bytes) << where;
      std::filesystem::remove(path);
    }
  }
}

// A file the application cannot write is opened for reading: it reads as
// before and passes the checks, and every write fails naming the file.
TEST_F(LocalQuorvaneDBConnectTest, ReadOnlyFileIsReadAndEveryWriteNamesIt) {
  ASSERT_NO_FATAL_FAILURE(Open(kMarketDataDatabase));
  Db.InsertSeriesRows("DATA", {Row("SOUTH AFRICA", "EQINDEX", 45000.0, 7.0)}, nullptr);
  Db.Disconnect();
  ReadOnlyFile readOnly(File("QVDBV4.sqlite"));
  if (!readOnly.Effective()) GTEST_SKIP() << "the file stays writable for this user";
  Db.Connect();
  EXPECT_EQ(Db.LastMessage, "");
  EXPECT_TRUE(Db.IsReadOnly());
  EXPECT_TRUE(Db.CheckFileIntegrity());
  EXPECT_TRUE(Db.CreateMarketDataTables());  // the tables are there: nothing to write
  EXPECT_EQ(Db.LoadSeries("South Africa", "EQINDEX"), (TSeries{{45000.0, 7.0}}));
  try {
    Db.InsertSeriesRows("DATA", {Row("SOUTH AFRICA", "EQINDEX", 45001.0, 7.0)}, nullptr);
    ADD_FAILURE() << "a write to a read-only file succeeded";
  } catch (const platform::SqliteError& error) {
    EXPECT_EQ(Db.FileFailureText(error),
              File("QVDBV4.sqlite") + " is read-only: make it writable and start again to download new data");
  }
  Db.Disconnect();
  Db.DatabaseKind = kSettingsDatabase;
  EXPECT_EQ(Db.ReadOnlyFileText(),
            File("USDBV4.sqlite") + " is read-only: make it writable and start again to save your settings");
}

// A file read while it could not be written is written at the next connect
// once it is writable again (as an ordinary user): the read-only connect
// leaves no side file the writer cannot open, and those an earlier version's
// read-only open left read-only are made writable. Another user's is named.
TEST_F(LocalQuorvaneDBConnectTest, FileMadeWritableAgainIsWrittenAtTheNextConnect) {
  enum TBlocker { File, Folder, OldSideFiles, ForeignSideFile };
  const std::tuple<std::int32_t, TBlocker, const char*> cases[] = {
      {kMarketDataDatabase, File, " is read-only: make it writable"},
      {kSettingsDatabase, File, " is read-only: make it writable"},
      {kSettingsDatabase, Folder, " is read-only, as its folder cannot be written: make the folder writable"},
      {kSettingsDatabase, OldSideFiles, " is read-only: make it writable"},
      {kSettingsDatabase, ForeignSideFile, "-shm is read-only: make it writable"}};
  for (const auto& [kind, blocker, reason] : cases) {
    const std::string folder = Temp.UseAsHome(std::to_string(kind) + std::to_string(blocker));
    std::filesystem::create_directories(folder);
    Db.DatabaseKind = kind;
    const std::string path = Db.DatabasePath(), blocked = blocker == Folder ? folder : path;
    const auto write = [this] { Db.Connection().Exec("CREATE TABLE IF NOT EXISTS T(A); INSERT INTO T VALUES (1)"); };
    RUN_AS_ORDINARY_USER((std::vector<std::string>{Temp.Path(), folder}), [&] {
      ASSERT_NO_FATAL_FAILURE(Open(kind));
      Db.Disconnect();
    });
    if (blocker == ForeignSideFile && ::geteuid() != 0) continue;  // only root makes another user's file
    ASSERT_TRUE(blocker != ForeignSideFile || ::mknod((path + "-shm").c_str(), S_IFREG | 0644, 0) == 0);
    RUN_AS_ORDINARY_USER((std::vector<std::string>{}), [&] {
      const mode_t mode = blocker == Folder ? 0555 : 0444;
      ASSERT_TRUE(blocker == ForeignSideFile || ::chmod(blocked.c_str(), mode) == 0);
      if (blocker == OldSideFiles) {  // what the read-only open of earlier versions left: read-only side files
        platform::SqliteConnection old;
        old.Open(path, platform::SqliteOpenMode::ReadOnly);
        old.QueryInt("SELECT count(*) FROM sqlite_master");
      }
      Db.Connect();
      ASSERT_EQ(Db.LastMessage, "");
      EXPECT_TRUE(Db.IsReadOnly());
      EXPECT_EQ(Db.ReadOnlyFileText().rfind(path + reason, 0), 0u) << Db.ReadOnlyFileText();
      EXPECT_THROW(write(), platform::SqliteError);
      Db.Disconnect();
      if (blocker == ForeignSideFile) return;
      for (const char* side : {"-wal", "-shm"})
        EXPECT_TRUE(!std::filesystem::exists(path + side) || ::access((path + side).c_str(), W_OK) == 0) << side;
      ASSERT_EQ(::chmod(blocked.c_str(), mode | 0200), 0);
      Db.Connect();
      EXPECT_FALSE(Db.IsReadOnly());
      EXPECT_NO_THROW(write());
      Db.Disconnect();
    });
  }
}

// What stands in the way of a file is named with what to do, never the
// engine's bare text: a folder in place of the file, a data folder that
// cannot be created or written (with or without a file in it), a full disk
// met by the schema or by a write.
TEST_F(LocalQuorvaneDBConnectTest, FileProblemsAreNamedWithWhatToDo) {
  const std::string folderText = " cannot be written: make sure the folder exists and can be written, then start again";
  const std::string diskText =
      " could not be read or written (disk full or failing): free some space on its disk and start again";
  {  // a folder, or a named pipe (a read-only one would hold up the open), where each file belongs
    const std::pair<std::int32_t, const char*> kinds[] = {
        {kMarketDataDatabase, "download a fresh copy"}, {kSettingsDatabase, "start with the default settings"}};
    for (const auto& [kind, advice] : kinds) {
      Db.DatabaseKind = kind;
      std::filesystem::create_directories(Db.DatabasePath() + "/inside");
      Db.Connect();
      EXPECT_EQ(Db.LastMessage,
                Db.DatabasePath() + " is a folder, not a data file: move it away and start again to " + advice);
      EXPECT_FALSE(Db.IsConnected());
      EXPECT_TRUE(std::filesystem::exists(Db.DatabasePath() + "/inside"));
      std::filesystem::remove_all(Db.DatabasePath());
      ASSERT_EQ(::mkfifo(Db.DatabasePath().c_str(), 0444), 0);
      Db.Connect();
      EXPECT_EQ(Db.LastMessage,
                Db.DatabasePath() + " is a named pipe, not a data file: move it away and start again to " + advice);
      EXPECT_EQ(Db.FileFailureText(platform::SqliteError("disk I/O error", SQLITE_IOERR_READ)), Db.LastMessage);
      std::filesystem::remove(Db.DatabasePath());
    }
    Db.DatabaseKind = kMarketDataDatabase;
  }
  {  // a file where the data folder belongs
    std::ofstream(File("blocker")) << "x";
    const std::string folder = Temp.UseAsHome("blocker/Quorvane");
    Db.Connect();
    EXPECT_EQ(Db.LastMessage, folder + folderText);
    Temp.UseAsHome();
  }
  {  // a full disk: the file cannot grow past its pages
    Db.Connect();
    ASSERT_EQ(Db.LastMessage, "");
    Db.Connection().Exec("PRAGMA max_page_count=" + std::to_string(Count("PRAGMA page_count")));
    EXPECT_FALSE(Db.CreateMarketDataTables());
    EXPECT_EQ(Db.LastMessage, "Unable to create table (QVDB:AL): " + Db.DatabasePath() + diskText);
    Db.Connection().Exec("PRAGMA max_page_count=1073741823");
    ASSERT_TRUE(Db.CreateMarketDataTables());
    Db.Connection().Exec("PRAGMA max_page_count=" + std::to_string(Count("PRAGMA page_count")));
    try {
      Db.InsertSeriesRows("DATA", Rows("FRANCE", 5000, 0.0), nullptr);
      ADD_FAILURE() << "a write past the last page succeeded";
    } catch (const platform::SqliteError& error) {
      EXPECT_EQ(error.PrimaryCode(), SQLITE_FULL);
      EXPECT_EQ(Db.FileFailureText(error), Db.DatabasePath() + diskText);
    }
    EXPECT_EQ(RowCount("DATA"), 0);
    // The engine's other texts of a failing disk or a file it cannot open.
    EXPECT_EQ(Db.FileFailureText(platform::SqliteError("disk I/O error", SQLITE_IOERR_WRITE)), Db.DatabasePath() + diskText);
    EXPECT_EQ(Db.FileFailureText(platform::SqliteError("unable to open database file", SQLITE_CANTOPEN)),
              Db.DatabasePath() + " cannot be opened: make sure you may read and write it, then start again");
    EXPECT_EQ(Db.FileFailureText(platform::SqliteError("readonly", SQLITE_READONLY_DIRECTORY)),
              TLocalQuorvaneDB::DatabaseFolder() + folderText);
    EXPECT_EQ(Db.FileFailureText(platform::SqliteError("constraint", SQLITE_CONSTRAINT)), "");
  }
  Db.Disconnect();
  {  // a data folder that cannot be written (last: skipped where it stays
     // writable): a new file, then an existing one (opened for reading)
    const std::string folder = Temp.UseAsHome("locked");
    std::filesystem::create_directories(folder);
    for (const bool withFile : {false, true}) {
      if (withFile) {
        ASSERT_NO_FATAL_FAILURE(Open(kMarketDataDatabase));
        Db.Disconnect();
      }
      ReadOnlyFile readOnly(folder, true);
      if (!readOnly.Effective()) GTEST_SKIP() << "the folder stays writable for this user";
      Db.Connect();
      EXPECT_EQ(Db.LastMessage, withFile ? "" : folder + folderText) << withFile;
      EXPECT_EQ(Db.IsReadOnly(), withFile);
      Db.Disconnect();
    }
    Temp.UseAsHome();
  }
}

// A file whose objects of our table names are not our tables (other
// columns, an index, a view, a trigger) is refused before anything is
// written to it, naming what it holds: not a table added, not the journal
// mode switched, the bytes as they were. A file of ours in the older
// rollback-journal mode, lacking tables or not, is taken and brought up to date.
TEST_F(LocalQuorvaneDBConnectTest, FileWithOtherTablesIsRefusedUntouched) {
  struct Case {
    const char* Name;
    std::int32_t Kind;
    const char* Sql;
    std::string Refused;  // what the file holds, as the message names it; empty: the file is taken
  };
  const std::string data = "(COUNTRYNAME TEXT NOT NULL,ASSETID TEXT NOT NULL,DATE REAL NOT NULL,VALUE REAL NOT NULL)";
  const std::string dataRows = "INSERT INTO DATA VALUES ('FRANCE','EQINDEX',45000.0,1.5);";
  const std::string other = " with other columns than ours";
  const std::string notOurs = ", not our table of that name";
  const std::string trigger = "CREATE TABLE T(A); CREATE TRIGGER DATA AFTER INSERT ON T BEGIN SELECT 1; END;";
  const std::vector<Case> cases{
      {"other columns", kMarketDataDatabase, "CREATE TABLE DATA(A,B); INSERT INTO DATA VALUES (1,2);",
       "a table DATA" + other},
      {"a column more", kMarketDataDatabase,
       "CREATE TABLE DATA_BIS(COUNTRYNAME TEXT,ASSETID TEXT,DATE REAL,VALUE REAL,SOURCE TEXT)",
       "a table DATA_BIS" + other},
      {"a view", kMarketDataDatabase, "CREATE TABLE T(A); CREATE VIEW COUNTRY_LIST AS SELECT A FROM T",
       "a view COUNTRY_LIST" + notOurs},
      {"an index", kMarketDataDatabase, "CREATE TABLE T(A); CREATE INDEX data ON T(A)", "an index DATA" + notOurs},
      {"a trigger", kMarketDataDatabase, trigger.c_str(), "a trigger DATA" + notOurs},
      {"a trigger beside our table", kMarketDataDatabase, nullptr, "a trigger DATA" + notOurs},
      {"lower-case name", kMarketDataDatabase, "CREATE TABLE asset_list(ID TEXT)", "a table ASSET_LIST" + other},
      {"settings", kSettingsDatabase, "CREATE TABLE USER_DATE_SETTINGS(INCEPTIONDATE REAL, NOTE TEXT)",
       "a table USER_DATE_SETTINGS" + other},
      {"settings view", kSettingsDatabase, "CREATE VIEW USER_FI_COMPETITION_SETTINGS AS SELECT 1 AS A",
       "a view USER_FI_COMPETITION_SETTINGS" + notOurs},
      {"ours, rollback journal", kMarketDataDatabase, nullptr, ""},
      {"ours in lower case", kMarketDataDatabase, "CREATE TABLE data(countryname,assetid,date,value)", ""},
      {"another program's table beside", kSettingsDatabase, "CREATE TABLE NOTES(TEXT)", ""},
  };
  for (const Case& c : cases) {
    Db.DatabaseKind = c.Kind;
    const std::string path = Db.DatabasePath();
    std::filesystem::remove(path);
    {
      std::string sql = c.Sql != nullptr ? std::string(c.Sql) : "CREATE TABLE DATA" + data + ";" + dataRows;
      if (c.Sql == nullptr && !c.Refused.empty()) sql += trigger;
      sqlite3* raw = nullptr;
      ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
      ASSERT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << c.Name;
      sqlite3_close(raw);
    }
    const std::string bytes = FileBytes(path);
    Db.Connect();
    if (!c.Refused.empty()) {
      EXPECT_EQ(Db.LastMessage, path + " holds " + c.Refused + ": move it away and start again to " +
                                    (c.Kind == kSettingsDatabase ? "start with the default settings"
                                                                 : "download a fresh copy"))
          << c.Name;
      EXPECT_FALSE(Db.IsConnected()) << c.Name;
      EXPECT_TRUE(FileBytes(path) == bytes) << c.Name;
      EXPECT_FALSE(std::filesystem::exists(path + "-wal")) << c.Name;
      continue;
    }
    ASSERT_EQ(Db.LastMessage, "") << c.Name;
    EXPECT_TRUE(c.Kind == kMarketDataDatabase ? Db.CreateMarketDataTables() : Db.CreateUserSettingsTables()) << c.Name;
    EXPECT_EQ(Query("PRAGMA journal_mode"), std::vector<std::string>{"wal"}) << c.Name;
    if (c.Kind == kMarketDataDatabase) {
      EXPECT_EQ(Count("SELECT count(*) FROM sqlite_master WHERE type='table'"), 6) << c.Name;
      EXPECT_EQ(Db.LoadSeries("France", "EQINDEX"), c.Sql == nullptr ? (TSeries{{45000.0, 1.5}}) : TSeries{}) << c.Name;
    } else {
      EXPECT_EQ(Db.LoadUserDateSettings(), kMissingDate) << c.Name;
    }
    Db.Disconnect();
  }
}

TEST_F(LocalQuorvaneDBConnectTest, LargeFreeListIsCompactedOnConnect) {
  ASSERT_NO_FATAL_FAILURE(Open(kMarketDataDatabase));
  Db.InsertSeriesRows("DATA", Rows("FRANCE", 100000, 0.0), nullptr);
  Db.DeleteSeriesFrom("DATA", kMissingDate);
  Db.Connection().Exec("PRAGMA wal_checkpoint(TRUNCATE)");
  const auto freeBefore = Count("PRAGMA freelist_count");
  ASSERT_GT(freeBefore, 1024);
  Db.Disconnect();
  Db.Connect();
  ASSERT_EQ(Db.LastMessage, "");
  EXPECT_LT(Count("PRAGMA freelist_count"), freeBefore);
}

// ----------------------------------------------------------------- schema

struct SchemaCase {
  int Kind;
  const char* File;
  std::vector<std::string> Statements;  // in creation order
  std::vector<std::string> Indexes;
};

const SchemaCase kMarketSchema{
    kMarketDataDatabase,
    "QVDBV4.sqlite",
    {"CREATE TABLE IF NOT EXISTS ASSET_LIST(ID TEXT NOT NULL UNIQUE,TITLE TEXT NOT NULL,TYPE TEXT NOT NULL,PRIMARY "
     "KEY(ID))",
     "CREATE TABLE IF NOT EXISTS COUNTRY_LIST(NAME TEXT NOT NULL UNIQUE,RANK INTEGER NOT NULL,REGIONNAME TEXT NOT "
     "NULL,REGIONRANK INTEGER NOT NULL,ISDEVELOPPED INTEGER NOT NULL,CURRENCY TEXT NOT NULL,REVERSEQUOTE TEXT NOT "
     "NULL,INDEXNAME TEXT NOT NULL,INDEXTICKER TEXT NOT NULL,ESTIMATIONDATE REAL NOT NULL,ESTIMATEDSIGNAL REAL NOT "
     "NULL,PRIMARY KEY(NAME))",
     "CREATE TABLE IF NOT EXISTS PORTFOLIO_TEMPLATE_LIST(ID TEXT NOT NULL UNIQUE,PRIMARY KEY (ID))",
     "CREATE TABLE IF NOT EXISTS DATA(COUNTRYNAME TEXT NOT NULL,ASSETID TEXT NOT NULL,DATE REAL NOT NULL,VALUE REAL "
     "NOT NULL)",
     "CREATE TABLE IF NOT EXISTS DATA_BIS(COUNTRYNAME TEXT NOT NULL,ASSETID TEXT NOT NULL,DATE REAL NOT NULL,VALUE "
     "REAL NOT NULL)",
     "CREATE TABLE IF NOT EXISTS PORTFOLIO_TEMPLATE_DATA(PORTFOLIOID TEXT NOT NULL,RANK INTEGER NOT NULL,WEIGHT REAL "
     "NOT NULL)"},
    {"CREATE INDEX DATA_SERIES_INDEX ON DATA(COUNTRYNAME,ASSETID,DATE,VALUE);",
     "CREATE INDEX DATA_BIS_SERIES_INDEX ON DATA_BIS(COUNTRYNAME,ASSETID,DATE,VALUE);"}};

const SchemaCase kSettingsSchema{
    kSettingsDatabase,
    "USDBV4.sqlite",
    {"CREATE TABLE IF NOT EXISTS USER_DATE_SETTINGS(INCEPTIONDATE REAL NOT NULL)",
     "CREATE TABLE IF NOT EXISTS USER_GLOBALPORTFOLIO_SETTINGS(PORTFOLIOCCY TEXT NOT NULL,RISKFREEID TEXT NOT "
     "NULL,FXHEDGING INTEGER NOT NULL,MAXEQVSFIALLOCATION REAL NOT NULL,MINEQVSFIALLOCATION REAL NOT NULL,QVTRUSTLEVEL "
     "REAL NOT NULL,BLTRUSTLEVEL REAL NOT NULL,SLTRUSTLEVEL REAL NOT NULL)",
     "CREATE TABLE IF NOT EXISTS USER_EQBYCOUNTRY_SETTINGS(COUNTRYNAME TEXT NOT NULL,REGIONNAME TEXT NOT "
     "NULL,COUNTRYRANK INTEGER NOT NULL,WEIGHT REAL NOT NULL,TRANSACTIONCOST REAL NOT NULL,FXSWAPBORROWINGCOST REAL "
     "NOT "
     "NULL)",
     "CREATE TABLE IF NOT EXISTS USER_FIBYCOUNTRY_SETTINGS(COUNTRYNAME TEXT NOT NULL,REGIONNAME TEXT NOT "
     "NULL,COUNTRYRANK INTEGER NOT NULL,WEIGHT REAL NOT NULL,TRANSACTIONCOST REAL NOT NULL)",
     "CREATE TABLE IF NOT EXISTS USER_CYBYCOUNTRY_SETTINGS(COUNTRYNAME TEXT NOT NULL,REGIONNAME TEXT NOT "
     "NULL,COUNTRYRANK INTEGER NOT NULL,WEIGHT REAL NOT NULL )",
     "CREATE TABLE IF NOT EXISTS USER_EQCOUNTRY_COMPETITION_SETTINGS(COUNTRYRANKINGCRITERIA REAL NOT NULL)",
     "CREATE TABLE IF NOT EXISTS USER_FICOUNTRY_COMPETITION_SETTINGS(COUNTRYRANKINGCRITERIA REAL NOT NULL)",
     "CREATE TABLE IF NOT EXISTS USER_CYCOUNTRY_COMPETITION_SETTINGS(COUNTRYRANKINGCRITERIA REAL NOT NULL)",
     "CREATE TABLE IF NOT EXISTS USER_FI_COMPETITION_SETTINGS(MAXGOLDALLOCATION REAL NOT NULL,MAXTIPSALLOCATION REAL "
     "NOT NULL,MAXFXRISKALLOCATION REAL NOT NULL )"},
    {}};

std::string TableName(const std::string& statement) {
  const std::size_t from = std::string("CREATE TABLE IF NOT EXISTS ").size();
  return statement.substr(from, statement.find('(') - from);
}

class LocalSchemaTest : public LocalDbTest, public ::testing::WithParamInterface<SchemaCase> {};

// The shell prints each table as created, "IF NOT EXISTS" dropped.
TEST_P(LocalSchemaTest, ShellShowsEveryTableAndIndex) {
  ASSERT_NO_FATAL_FAILURE(Open(GetParam().Kind));
  const std::string schema = ShellOutput(File(GetParam().File), ".schema");
  for (std::string statement : GetParam().Statements) {
    statement.replace(0, std::string("CREATE TABLE IF NOT EXISTS ").size(), "CREATE TABLE ");
    EXPECT_NE(schema.find(statement + ";\n"), std::string::npos) << statement << "\n" << schema;
  }
  for (const std::string& index : GetParam().Indexes) EXPECT_NE(schema.find(index), std::string::npos) << index;
}

INSTANTIATE_TEST_SUITE_P(Files, LocalSchemaTest, ::testing::Values(kMarketSchema, kSettingsSchema));

struct SchemaFailureCase {
  const SchemaCase* Schema;
  std::size_t Blocked;  // position of the table whose creation an index of its name makes fail
  const char* Message;
};

class LocalSchemaFailureTest : public LocalDbTest, public ::testing::WithParamInterface<SchemaFailureCase> {};

// The first failure stops the creation: only the tables before it exist.
TEST_P(LocalSchemaFailureTest, FirstFailureStopsTheCreation) {
  const SchemaFailureCase& test = GetParam();
  const std::vector<std::string>& statements = test.Schema->Statements;
  Db.DatabaseKind = test.Schema->Kind;
  Db.Connect();
  Db.Connection().Exec("CREATE TABLE OTHER(A); CREATE INDEX " + TableName(statements[test.Blocked]) + " ON OTHER(A);");
  EXPECT_FALSE(test.Schema->Kind == kMarketDataDatabase ? Db.CreateMarketDataTables() : Db.CreateUserSettingsTables());
  EXPECT_EQ(Db.LastMessage, test.Message);
  std::vector<std::string> expected;
  for (std::size_t i = 0; i < test.Blocked; ++i) expected.push_back(TableName(statements[i]));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(Query("SELECT name FROM sqlite_master WHERE type='table' AND name<>'OTHER' ORDER BY name"), expected);
}

// The settings file's one-row tables carry the text with two blanks, the per-country tables the one with one.
INSTANTIATE_TEST_SUITE_P(Tables, LocalSchemaFailureTest,
                         ::testing::Values(SchemaFailureCase{&kMarketSchema, 3, "Unable to create table (QVDB:D)"},
                                           SchemaFailureCase{&kSettingsSchema, 0, "Unable to create table  (USDB:UGS)"},
                                           SchemaFailureCase{&kSettingsSchema, 3, "Unable to create table (USDB:UBS)"},
                                           SchemaFailureCase{&kSettingsSchema, 8,
                                                             "Unable to create table  (USDB:UGS)"}));

// ------------------------------------------------------------------ lists

using LocalMarketDataTest = OpenDbTest<kMarketDataDatabase>;

TEST_F(LocalMarketDataTest, SchemaCreationIsIdempotentAndSeriesTablesHaveNoKey) {
  Db.InsertSeriesRows("DATA", {Row("France", "EQINDEX", 100.0, 1.5), Row("France", "EQINDEX", 100.0, 1.5)}, nullptr);
  Db.SaveCountryList({Country("France", 1)});
  EXPECT_TRUE(Db.CreateMarketDataTables());
  EXPECT_EQ(Db.LastMessage, "");
  EXPECT_EQ(RowCounts({"DATA", "COUNTRY_LIST"}), (std::vector<std::int64_t>{2, 1}));
}

TEST_F(LocalMarketDataTest, CountryListRoundTrip) {
  Db.SaveCountryList({Country("United Kingdom", 2, "gbp"), Country("Cote d'Ivoire", 1)});
  EXPECT_EQ(Query("SELECT NAME,CURRENCY,typeof(REVERSEQUOTE) FROM COUNTRY_LIST ORDER BY RANK"),
            (std::vector<std::string>{"COTE D'IVOIRE|EUR|text", "UNITED KINGDOM|gbp|text"}));
  const auto loaded = Db.LoadCountryList();
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(CountryText(loaded[0]), "Cote D'ivoire|Europe (Euro)|EUR|Index of Cote d'Ivoire|TCK1|1|2|1|0|45001|0.25|0");
  EXPECT_EQ(CountryText(loaded[1]),
            "United Kingdom|Europe (Euro)|GBP|Index of United Kingdom|TCK2|2|2|0|1|45002|0.5|0");
  Db.SaveCountryList({});
  EXPECT_TRUE(Db.LoadCountryList().empty());

  // A stored reverse-quote text other than '1' loads as false.
  Db.Connection().Exec(
      "INSERT INTO COUNTRY_LIST VALUES ('USA',1,'North America',1,1,'usd','2','USA Equity Index','USAEQ',1.0,2.0),"
      "('JAPAN',2,'Japan',5,1,'JPY','1','Japan Equity Index','JPNEQ',1.0,2.0)");
  const auto stored = Db.LoadCountryList();
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(CountryText(stored[0]), "USA|North America|USD|USA Equity Index|USAEQ|1|1|1|0|1|2|0");
  EXPECT_TRUE(stored[1].ReverseQuote);
}

TEST_F(LocalMarketDataTest, AssetListRoundTrip) {
  Db.SaveAssetList({Asset("eqindex", "Equity Index", atIndex), Asset("CASH", "1M Cash", atRiskFreeAsset),
                    Asset("AUINDEX", "Gold", atIndex), Asset("BLSIGNAL", "BL Signal", atSignal)});
  EXPECT_EQ(Query("SELECT ID,TITLE,TYPE FROM ASSET_LIST WHERE ID='EQINDEX'"),
            std::vector<std::string>{"EQINDEX|EQUITY INDEX|INDEX"});
  const auto indexes = Db.LoadAssetList("France", atIndex);
  ASSERT_EQ(indexes.size(), 2u);
  EXPECT_EQ(indexes[0].ID, "AUINDEX");
  EXPECT_EQ(indexes[1].ID + "|" + indexes[1].Title + "|" + indexes[1].CountryName, "EQINDEX|Equity Index|France");
  EXPECT_EQ(indexes[1].Type, atIndex);
  const auto riskFree = Db.LoadAssetList("Japan", atRiskFreeAsset);
  ASSERT_EQ(riskFree.size(), 1u);
  EXPECT_EQ(riskFree[0].Title, "1M Cash");
  EXPECT_TRUE(Db.LoadAssetList("France", 7).empty());
  EXPECT_TRUE(Db.LoadAssetList("France", atSpotFx).empty());
}

TEST_F(LocalMarketDataTest, FailedReplaceKeepsTheOldRows) {
  Db.SaveAssetList({Asset("EQINDEX", "Equity Index", atIndex), Asset("CASH", "1M Cash", atRiskFreeAsset)});
  // The second asset has no type text: its row is refused in the middle of the replace.
  EXPECT_THROW(Db.SaveAssetList({Asset("NEW1", "New", atRule), Asset("BAD", "Bad", 9), Asset("NEW2", "New", atRule)}),
               platform::SqliteError);
  EXPECT_NE(Db.LastMessage.find("NOT NULL"), std::string::npos) << Db.LastMessage;
  const auto indexes = Db.LoadAssetList("", atIndex);
  ASSERT_EQ(indexes.size(), 1u);
  EXPECT_EQ(indexes[0].ID, "EQINDEX");
  EXPECT_EQ(RowCount("ASSET_LIST"), 2);

  // Duplicate country names violate the primary key: the old list stays.
  Db.SaveCountryList({Country("France", 1), Country("Germany", 2)});
  EXPECT_THROW(Db.SaveCountryList({Country("Spain", 1), Country("SPAIN", 2)}), platform::SqliteError);
  const auto countries = Db.LoadCountryList();
  ASSERT_EQ(countries.size(), 2u);
  EXPECT_EQ(countries[1].Name, "Germany");
}

TEST_F(LocalMarketDataTest, PortfolioTemplatesRoundTrip) {
  const std::vector<TPortfolioTemplate> templates{{"B", {}}, {"A", {0.5, 0.3, 0.2}}, {"mixed", {1.0}}};
  Db.SavePortfolioTemplateList(templates);
  Db.SavePortfolioTemplateData(templates);
  const auto list = Db.LoadPortfolioTemplateList();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[0].ID + list[1].ID + list[2].ID, "ABmixed");
  EXPECT_EQ(RowCount("PORTFOLIO_TEMPLATE_DATA"), 4);
  EXPECT_EQ(Db.LoadPortfolioTemplateData("A"), (std::vector<double>{0.5, 0.3, 0.2}));
  EXPECT_TRUE(Db.LoadPortfolioTemplateData("B").empty());
  EXPECT_TRUE(Db.LoadPortfolioTemplateData("MIXED").empty());  // identifiers keep their case
  EXPECT_EQ(Db.LoadPortfolioTemplateData("mixed"), (std::vector<double>{1.0}));
  EXPECT_EQ(Query("SELECT RANK FROM PORTFOLIO_TEMPLATE_DATA WHERE PORTFOLIOID='A' ORDER BY RANK"),
            (std::vector<std::string>{"0", "1", "2"}));
}

TEST_F(LocalMarketDataTest, CountryEstimatesAreWrittenOnlyWhenCountsMatch) {
  Db.SaveCountryList({Country("France", 2), Country("Germany", 1)});
  EXPECT_FALSE(Db.SaveCountryEstimates({{1.0, 1.0}}));
  const auto before = Db.LoadCountryEstimates();
  ASSERT_EQ(before.size(), 2u);
  EXPECT_DOUBLE_EQ(before[0].Date, 45001.0);  // Germany, rank 1
  EXPECT_TRUE(Db.SaveCountryEstimates({{10.0, -1.0}, {20.0, 1.0}}));
  EXPECT_EQ(Db.LoadCountryEstimates(), (std::vector<TDataPoint>{{10.0, -1.0}, {20.0, 1.0}}));
  EXPECT_EQ(Db.LoadCountryList()[1].Name, "France");
  EXPECT_DOUBLE_EQ(Db.LoadCountryList()[1].EstimationDate, 20.0);
}

TEST_F(LocalMarketDataTest, OpenTableTellsWhetherTheTableIsEmpty) {
  EXPECT_TRUE(Db.OpenTable("DATA"));
  Db.InsertSeriesRows("DATA", {Row("USA", "EQINDEX", 1.0, 1.0)}, nullptr);
  EXPECT_FALSE(Db.OpenTable("DATA"));
  EXPECT_THROW(Db.OpenTable("DATA; DROP TABLE DATA"), platform::SqliteError);
  EXPECT_THROW(Db.OpenTable("NO_SUCH_TABLE"), platform::SqliteError);
  EXPECT_EQ(RowCount("DATA"), 1);
}

// ----------------------------------------------------------------- series

TEST_F(LocalMarketDataTest, FirstAndLastDatesOfASeries) {
  EXPECT_EQ(Db.GetSeriesLastDate("DATA", "South Africa", "EQINDEX"), kMissingDate);
  EXPECT_EQ(Db.GetSeriesFirstDate("DATA_BIS", "South Africa", "EQINDEX"), kMissingDate);
  Db.InsertSeriesRows("DATA",
                      {Row("SOUTH AFRICA", "EQINDEX", 300.0, 1.0), Row("SOUTH AFRICA", "EQINDEX", 100.0, 1.0),
                       Row("south africa", "eqindex", 200.0, 1.0), Row("SOUTH AFRICA", "CASH", 400.0, 1.0)},
                      nullptr);
  EXPECT_EQ(Db.GetSeriesLastDate("DATA", "South Africa", "EQINDEX"), 300.0);
  EXPECT_EQ(Db.GetSeriesFirstDate("DATA", "South Africa", "EqIndex"), 100.0);
  EXPECT_EQ(Db.GetSeriesLastDate("DATA_BIS", "South Africa", "EQINDEX"), kMissingDate);
  EXPECT_THROW(Db.GetSeriesLastDate("COUNTRY_LIST", "South Africa", "EQINDEX"), platform::SqliteError);

  // The last date below a bound is the last date that DeleteSeriesFrom at
  // that bound would leave: dates 100, 200, 300 (CASH at 400 is another series).
  const std::vector<std::pair<double, double>> bounds{{200.0, 100.0},
                                                      {200.5, 200.0},
                                                      {100.0, kMissingDate},
                                                      {1000.0, 300.0},
                                                      {kMissingDate, kMissingDate},
                                                      {std::nan(""), kMissingDate}};
  for (const auto& [before, expected] : bounds) {
    EXPECT_EQ(Db.GetSeriesLastDateBefore("DATA", "south africa", "EQINDEX", before), expected) << before;
  }
  Db.DeleteSeriesFrom("DATA", 200.0);
  EXPECT_EQ(Db.GetSeriesLastDate("DATA", "South Africa", "EQINDEX"), 100.0);
}

TEST_F(LocalMarketDataTest, LoadSeriesIsAscendingAndDropsStoredMissingValues) {
  Db.InsertSeriesRows("DATA",
                      {Row("France", "EQINDEX", 40.0, 2.0), Row("France", "EQINDEX", 10.0, 1.0),
                       Row("France", "EQINDEX", 20.0, -1000.0), Row("France", "EQINDEX", 30.0, -999.99),
                       Row("Germany", "EQINDEX", 15.0, 7.0)},
                      nullptr);
  EXPECT_EQ(Db.LoadSeries("france", "EQINDEX"), (TSeries{{10.0, 1.0}, {30.0, -999.99}, {40.0, 2.0}}));
  EXPECT_TRUE(Db.LoadSeries("Spain", "EQINDEX").empty());
}

TEST_F(LocalMarketDataTest, LoadSeriesBisGivesTheFirstDailyPoint) {
  EXPECT_EQ(Db.LoadSeriesBis("France", "EQINDEX"), (TDataPoint{kMissingDate, kNoFigure}));
  Db.InsertSeriesRows("DATA_BIS", {Row("France", "EQINDEX", 12.0, 3.0), Row("France", "EQINDEX", 11.0, -1000.0)},
                      nullptr);
  EXPECT_EQ(Db.LoadSeriesBis("FRANCE", "eqindex"), (TDataPoint{11.0, -1000.0}));
  EXPECT_TRUE(Db.LoadSeries("France", "EQINDEX").empty());  // DATA_BIS rows are not DATA rows
}

// Rows that no series can hold, stored by an earlier version, never count:
// the dates and series read leave them out, and the download finds them
// (to drop them, and to fetch those dated where a series can be again).
TEST_F(LocalMarketDataTest, RowsNoSeriesCanHoldAreLeftOutAndFound) {
  const std::vector<TDataRow> good{Row("SOUTH AFRICA", "EQINDEX", 100.0, 1.0), Row("SOUTH AFRICA", "EQINDEX", 200.0, 2.0)};
  const double latest = LatestSeriesDate(platform::Today());  // last day of next month
  const std::vector<TDataRow> faulty{
      Row("SOUTH AFRICA", "EQINDEX", 1e15, 1.0),                          // far future
      Row("SOUTH AFRICA", "EQINDEX", latest + 1.0, 1.0),                 // a day after next month
      Row("SOUTH AFRICA", "EQINDEX", platform::Today() + 180.0, 1.0),     // half a year ahead
      Row("SOUTH AFRICA", "EQINDEX", 1.0, 1.0),                           // before 1900
      Row("SOUTH AFRICA", "EQINDEX", 150.0, 1e300),                       // absurd value, fetched again
      Row("SOUTH AFRICA", "EQINDEX", 160.0, -std::numeric_limits<double>::infinity()),
      Row(std::string(65, 'N'), "EQINDEX", 120.0, 1.0),                  // long name, fetched again from 120
      Row("SOUTH AFRICA", "EQ\x01INDEX", 130.0, 1.0),                     // control byte
  };
  for (const char* table : {"DATA", "DATA_BIS"}) {
    std::vector<TDataRow> rows = faulty;
    rows.insert(rows.begin() + 2, good.begin(), good.end());
    Db.InsertSeriesRows(table, rows, nullptr);
  }
  EXPECT_EQ(Db.GetSeriesLastDate("DATA", "South Africa", "EQINDEX"), 200.0);
  EXPECT_EQ(Db.GetSeriesFirstDate("DATA_BIS", "South Africa", "EQINDEX"), 100.0);
  EXPECT_EQ(Db.GetSeriesLastDateBefore("DATA", "South Africa", "EQINDEX", 1e16), 200.0);
  EXPECT_EQ(Db.LoadSeries("South Africa", "EQINDEX"), (TSeries{{100.0, 1.0}, {200.0, 2.0}}));
  EXPECT_EQ(Db.LoadSeriesBis("South Africa", "EQINDEX"), (TDataPoint{100.0, 1.0}));

  const TLocalQuorvaneDB::TFaultyRows found = Db.FindFaultySeriesRows("DATA");
  EXPECT_EQ(found.RowIds.size(), faulty.size());
  EXPECT_EQ(found.FetchAgainFrom, 120.0);
  Db.DeleteSeriesRows("DATA", found.RowIds);
  EXPECT_EQ(Query("SELECT DATE,VALUE FROM DATA ORDER BY DATE"), (std::vector<std::string>{"100.0|1.0", "200.0|2.0"}));
  const TLocalQuorvaneDB::TFaultyRows none = Db.FindFaultySeriesRows("DATA");
  EXPECT_TRUE(none.RowIds.empty());
  EXPECT_TRUE(std::isinf(none.FetchAgainFrom));
  EXPECT_EQ(Db.FindFaultySeriesRows("DATA_BIS").RowIds.size(), faulty.size());
  Db.DeleteSeriesAfter("DATA", 100.0);
  EXPECT_EQ(Query("SELECT DATE FROM DATA"), (std::vector<std::string>{"100.0"}));
  // A row on the last day of next month is one a series can hold.
  Db.InsertSeriesRows("DATA", {Row("SOUTH AFRICA", "EQINDEX", latest, 3.0)}, nullptr);
  EXPECT_EQ(Db.GetSeriesLastDate("DATA", "South Africa", "EQINDEX"), latest);
  EXPECT_EQ(Db.LoadSeries("South Africa", "EQINDEX"), (TSeries{{100.0, 1.0}, {latest, 3.0}}));
  EXPECT_TRUE(Db.FindFaultySeriesRows("DATA").RowIds.empty());
}

TEST_F(LocalMarketDataTest, NamesAreStoredUpperCasedWithQuotesKept) {
  Db.InsertSeriesRows("DATA", {Row("Cote d'Ivoire", "eqIndex", 1.0, 1.0)}, nullptr);
  EXPECT_EQ(Query("SELECT COUNTRYNAME,ASSETID FROM DATA"), std::vector<std::string>{"COTE D'IVOIRE|EQINDEX"});
}

TEST_F(LocalMarketDataTest, DecimalCommaValuesBecomeNumbers) {
  Db.Connection().Exec("INSERT INTO DATA VALUES ('FRANCE','EQINDEX',1.0,'1,25'), ('FRANCE','EQINDEX',2.0,'abc')");
  EXPECT_EQ(Count("SELECT count(*) FROM DATA WHERE typeof(VALUE)='text'"), 2);
  RecordingSink sink;
  Db.InsertSeriesRows("DATA", std::vector<TDataRow>{}, &sink);
  EXPECT_TRUE(sink.Texts.empty());
  EXPECT_EQ(sink.Pumps, 0);
  // 'abc' has no comma and stays text.
  EXPECT_EQ(Query("SELECT typeof(VALUE),VALUE FROM DATA ORDER BY DATE"),
            (std::vector<std::string>{"real|1.25", "text|abc"}));
}

struct ProgressCase {
  std::size_t Rows;
  int Pumps;
  std::vector<std::string> FirstTexts;
};

class InsertProgressTest : public LocalMarketDataTest, public ::testing::WithParamInterface<ProgressCase> {};

// Texts show trunc((i + 1) / n x 100) once per change; the pump runs before
// row i when i passes the threshold (n / 100, growing by n / 100).
TEST_P(InsertProgressTest, ShowsPercentagesAndPumpsAboutEveryHundredthRow) {
  const ProgressCase& test = GetParam();
  RecordingSink sink;
  Db.InsertSeriesRows("DATA", Rows("France", static_cast<int>(test.Rows), 0.0), &sink);
  EXPECT_EQ(sink.Pumps, test.Pumps);
  ASSERT_GE(sink.Texts.size(), test.FirstTexts.size());
  EXPECT_EQ(std::vector<std::string>(sink.Texts.begin(), sink.Texts.begin() + test.FirstTexts.size()), test.FirstTexts);
  EXPECT_EQ(sink.Texts.back(), "100%");
  EXPECT_EQ(RowCount("DATA"), static_cast<std::int64_t>(test.Rows));
}

std::vector<std::string> PercentTexts(int from, int to, int by) {
  std::vector<std::string> texts;
  for (int p = from; p <= to; p += by) texts.push_back(std::to_string(p) + "%");
  return texts;
}

INSTANTIATE_TEST_SUITE_P(
    Cadence, InsertProgressTest,
    ::testing::Values(
        // 1 row: 100 % at once, no pump.
        ProgressCase{1, 0, {"100%"}},
        // 50 rows: 2 % per row; step 0, so a pump before every row from the second.
        ProgressCase{50, 49, PercentTexts(2, 100, 2)},
        // 100 rows: step 1, pumps before rows 2..99.
        ProgressCase{100, 98, PercentTexts(1, 100, 1)},
        // 250 rows: 0.4 % per row, so every figure 0..100 once; step 2, pumps before rows 3, 5, ..., 249.
        ProgressCase{250, 124, PercentTexts(0, 100, 1)},
        // 1000 rows: step 10, pumps before rows 11, 21, ..., 991.
        ProgressCase{1000, 99, PercentTexts(0, 100, 1)}));

// NaN binds as NULL, which the NOT NULL column refuses: the call leaves no row.
TEST_F(LocalMarketDataTest, FailedInsertLeavesNoRowOfTheCall) {
  Db.InsertSeriesRows("DATA", {Row("France", "EQINDEX", 1.0, 1.0)}, nullptr);
  std::vector<TDataRow> rows = Rows("Germany", 300, 10.0);
  rows[150].Point.Value = std::numeric_limits<double>::quiet_NaN();
  EXPECT_THROW(Db.InsertSeriesRows("DATA", rows, nullptr), platform::SqliteError);
  EXPECT_EQ(RowCount("DATA"), 1);
  EXPECT_THROW(Db.InsertSeriesRows("NOT_A_SERIES", rows, nullptr), platform::SqliteError);
}

// A file written by an earlier version, whose series indexes lack VALUE, is
// brought up to date when the start creates its tables (once: the second
// start keeps the index), and reads the same series and dates as before.
// The earlier version's own statements still run on it (readable both
// ways); a file that cannot be written now (read-only, or locked by another
// program) keeps its earlier indexes and reads as before.
TEST_F(LocalMarketDataTest, FileOfTheEarlierLayoutIsBroughtUpToDate) {
  const char* earlier[] = {"DROP INDEX DATA_SERIES_INDEX", "DROP INDEX DATA_BIS_SERIES_INDEX",
                           "CREATE INDEX IF NOT EXISTS DATA_SERIES_INDEX ON DATA(COUNTRYNAME,ASSETID,DATE)",
                           "CREATE INDEX IF NOT EXISTS DATA_BIS_SERIES_INDEX ON DATA_BIS(COUNTRYNAME,ASSETID,DATE)"};
  const auto columns = [&](const std::string& index) {
    const auto names = Query("SELECT name FROM pragma_index_info('" + index + "') ORDER BY seqno");
    std::string joined;
    for (const std::string& name : names) joined += (joined.empty() ? "" : ",") + name;
    return joined;
  };
  const auto reads = [&] {
    std::string text;
    for (const char* country : {"France", "Spain"}) {
      for (const TDataPoint& p : Db.LoadSeries(country, "EQINDEX"))
        text += platform::FloatToStr(p.Date) + "=" + platform::FloatToStr(p.Value) + " ";
      const TDataPoint first = Db.LoadSeriesBis(country, "EQINDEX");
      text += "| " + platform::FloatToStr(first.Date) + "=" + platform::FloatToStr(first.Value) + " | " +
              platform::FloatToStr(Db.GetSeriesLastDate("DATA", country, "EQINDEX")) + "\n";
    }
    return text;
  };
  for (const char* sql : earlier) Db.Connection().Exec(sql);
  std::vector<TDataRow> rows;
  for (int i = 0; i < 300; ++i)
    rows.push_back(Row(i % 3 ? "FRANCE" : "SPAIN", "EQINDEX", 40000.0 - i, i == 7 ? -1000.0 : i));
  Db.InsertSeriesRows("DATA", rows, nullptr);
  Db.InsertSeriesRows("DATA_BIS", {Row("SPAIN", "EQINDEX", 45001.0, 2.0), Row("SPAIN", "EQINDEX", 45000.0, 1.0)},
                      nullptr);
  ASSERT_EQ(columns("DATA_SERIES_INDEX"), "COUNTRYNAME,ASSETID,DATE");
  const std::string before = reads();
  const std::string file = File("QVDBV4.sqlite");
  Db.Disconnect();
  {
    ReadOnlyFile readOnly(file);
    if (readOnly.Effective()) {
      Db.Connect();
      EXPECT_TRUE(Db.CreateMarketDataTables());
      EXPECT_EQ(columns("DATA_SERIES_INDEX"), "COUNTRYNAME,ASSETID,DATE");
      EXPECT_EQ(reads(), before);
      Db.Disconnect();
    }
  }
  {
    ForeignLock writer(file);  // another program writes: the indexes wait for the next start
    Db.Connect();
    EXPECT_TRUE(Db.CreateMarketDataTables());
    EXPECT_EQ(Db.LastMessage, "");
    EXPECT_EQ(columns("DATA_SERIES_INDEX"), "COUNTRYNAME,ASSETID,DATE");
    EXPECT_EQ(reads(), before);
    Db.Disconnect();
  }
  Db.Connect();
  ASSERT_TRUE(Db.CreateMarketDataTables());
  for (const char* index : {"DATA_SERIES_INDEX", "DATA_BIS_SERIES_INDEX"})
    EXPECT_EQ(columns(index), "COUNTRYNAME,ASSETID,DATE,VALUE") << index;
  EXPECT_EQ(reads(), before);
  const auto plan = Query(
      "EXPLAIN QUERY PLAN SELECT DATE,VALUE FROM DATA WHERE COUNTRYNAME='SPAIN' AND ASSETID='EQINDEX' ORDER BY DATE");
  ASSERT_FALSE(plan.empty());
  EXPECT_NE(plan[0].find("COVERING INDEX DATA_SERIES_INDEX"), std::string::npos) << plan[0];
  const auto rootPage = Query("SELECT rootpage FROM sqlite_master WHERE name='DATA_SERIES_INDEX'");
  ASSERT_TRUE(Db.CreateMarketDataTables());
  EXPECT_EQ(Query("SELECT rootpage FROM sqlite_master WHERE name='DATA_SERIES_INDEX'"), rootPage);
  for (const char* sql : {earlier[2], earlier[3]}) EXPECT_NO_THROW(Db.Connection().Exec(sql)) << sql;
  EXPECT_EQ(columns("DATA_SERIES_INDEX"), "COUNTRYNAME,ASSETID,DATE,VALUE");
  EXPECT_EQ(reads(), before);
}

TEST_F(LocalMarketDataTest, LargeInsertKeepsTheSeriesIndexAlsoWhenItFails) {
  const std::string hasIndex = "SELECT count(*) FROM sqlite_master WHERE name='DATA_SERIES_INDEX'";
  std::vector<TDataRow> rows;
  for (int i = 0; i < 12000; ++i) rows.push_back(Row(i % 2 ? "France" : "Spain", "EQINDEX", 12000.0 - i, i));
  rows[11000].Point.Value = std::numeric_limits<double>::quiet_NaN();
  EXPECT_THROW(Db.InsertSeriesRows("DATA", rows, nullptr), platform::SqliteError);
  EXPECT_EQ(Count(hasIndex), 1);
  EXPECT_EQ(RowCount("DATA"), 0);
  rows[11000].Point.Value = 11000.0;
  Db.InsertSeriesRows("DATA", rows, nullptr);
  EXPECT_EQ(Count(hasIndex), 1);
  EXPECT_EQ(RowCount("DATA"), 12000);
  const TSeries spain = Db.LoadSeries("Spain", "EQINDEX");
  ASSERT_EQ(spain.size(), 6000u);
  EXPECT_EQ(spain.front(), (TDataPoint{2.0, 11998.0}));
  EXPECT_EQ(spain.back(), (TDataPoint{12000.0, 0.0}));
  const auto plan = Query(
      "EXPLAIN QUERY PLAN SELECT DATE,VALUE FROM DATA WHERE COUNTRYNAME='SPAIN' AND ASSETID='EQINDEX' ORDER BY DATE");
  ASSERT_FALSE(plan.empty());
  EXPECT_NE(plan[0].find("DATA_SERIES_INDEX"), std::string::npos) << plan[0];
}

TEST_F(LocalMarketDataTest, ConnectionClosedWhilePumpingUndoesTheInsert) {
  Db.InsertSeriesRows("DATA", {Row("France", "EQINDEX", 1.0, 1.0)}, nullptr);
  RecordingSink sink;
  sink.OnPump = [&] {
    if (sink.Pumps == 3) Db.Disconnect();
  };
  EXPECT_THROW(Db.InsertSeriesRows("DATA", Rows("Germany", 500, 10.0), &sink), platform::SqliteError);
  EXPECT_EQ(Db.LastMessage, "Connection lost");
  EXPECT_FALSE(Db.IsConnected());
  Db.Connect();
  ASSERT_EQ(Db.LastMessage, "");
  EXPECT_EQ(RowCount("DATA"), 1);
}

TEST_F(LocalMarketDataTest, WriteWhileAnotherConnectionHoldsTheLockFails) {
  Db.InsertSeriesRows("DATA", {Row("France", "EQINDEX", 1.0, 1.0)}, nullptr);
  ForeignLock other(File("QVDBV4.sqlite"));
  ASSERT_TRUE(other.Locked);
  EXPECT_THROW(Db.InsertSeriesRows("DATA", {Row("Germany", "EQINDEX", 2.0, 1.0)}, nullptr), platform::SqliteError);
  EXPECT_EQ(Db.LastMessage, "database is locked");
  EXPECT_THROW(Db.SaveCountryList({Country("France", 1)}), platform::SqliteError);
  other.Release();
  EXPECT_EQ(RowCount("DATA"), 1);
  Db.InsertSeriesRows("DATA", {Row("Germany", "EQINDEX", 2.0, 1.0)}, nullptr);
  EXPECT_EQ(RowCount("DATA"), 2);
}

// DeleteSeriesFrom keeps earlier rows; an uncommitted outer transaction undoes
// a whole download, a committed one keeps it.
TEST_F(LocalMarketDataTest, OuterTransactionGroupsADownload) {
  Db.InsertSeriesRows(
      "DATA_BIS",
      {Row("France", "EQINDEX", 10.0, 1.0), Row("France", "EQINDEX", 20.0, 2.0), Row("Spain", "CASH", 30.0, 3.0)},
      nullptr);
  Db.DeleteSeriesFrom("DATA_BIS", 20.0);
  EXPECT_EQ(RowCount("DATA_BIS"), 1);
  EXPECT_EQ(Db.GetSeriesLastDate("DATA_BIS", "France", "EQINDEX"), 10.0);
  for (const bool commit : {false, true}) {
    {
      auto download = Db.BeginTransaction();
      Db.DeleteSeriesFrom("DATA_BIS", kMissingDate);
      EXPECT_EQ(RowCount("DATA_BIS"), 0);
      Db.InsertSeriesRows("DATA_BIS", {Row("France", "EQINDEX", 20.0, 2.0)}, nullptr);
      if (commit) download.Commit();
    }
    EXPECT_EQ(Db.LoadSeriesBis("France", "EQINDEX"), (commit ? TDataPoint{20.0, 2.0} : TDataPoint{10.0, 1.0}));
  }
}

}  // namespace
