// The local market-data file: connection, schema, list tables and series tables.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "data/LocalQuorvaneDB.h"
#include "data/TempDir.h"

namespace {

// Output of the sqlite3 command-line shell run on a file.
std::string ShellOutput(const std::string& file, const std::string& command) {
  const std::string line = "sqlite3 '" + file + "' '" + command + "' 2>&1";
  FILE* pipe = ::popen(line.c_str(), "r");
  if (pipe == nullptr) return {};
  std::string output;
  char buffer[4096];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0) output.append(buffer, count);
  ::pclose(pipe);
  return output;
}

// The statement as the shell's .schema prints it.
std::string SchemaLine(std::string statement) {
  const std::string prefix = "CREATE TABLE IF NOT EXISTS ";
  statement.replace(0, prefix.size(), "CREATE TABLE ");
  return statement + ";";
}

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

class LocalMarketDataTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Home = Temp.UseAsHome("Vosker/Quorvane");
    Db.DatabaseKind = kMarketDataDatabase;
    Db.Connect();
    ASSERT_EQ(Db.LastMessage, "");
    ASSERT_TRUE(Db.CreateMarketDataTables());
  }

  std::int64_t Count(const std::string& sql) { return Db.Connection().QueryInt(sql); }

  static TDataRow Row(const std::string& country, const std::string& asset, double date, double value) {
    return TDataRow{country, asset, TDataPoint{date, value}};
  }

  static TCountry Country(const std::string& name, int rank, const std::string& currency = "EUR") {
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

  static TAssetSeries Asset(const std::string& id, const std::string& title, int type) {
    TAssetSeries asset;
    asset.ID = id;
    asset.Title = title;
    asset.Type = type;
    return asset;
  }

  TempDir Temp;
  std::string Home;
  TLocalQuorvaneDB Db;
};

// ------------------------------------------------------------- connection

TEST(LocalQuorvaneDBConnectTest, FirstConnectCreatesFolderAndFileInWalMode) {
  TempDir temp;
  const std::string home = temp.UseAsHome("missing/Vosker/Quorvane");
  TLocalQuorvaneDB db;
  db.DatabaseKind = kMarketDataDatabase;
  db.Connect();
  EXPECT_EQ(db.LastMessage, "");
  EXPECT_TRUE(db.IsConnected());
  EXPECT_TRUE(std::filesystem::exists(home + "/QVDBV4.sqlite"));
  auto mode = db.Connection().Prepare("PRAGMA journal_mode");
  ASSERT_TRUE(mode.Step());
  EXPECT_EQ(mode.ColumnText(0), "wal");
  EXPECT_EQ(db.Connection().QueryInt("PRAGMA synchronous"), 1);  // NORMAL
}

TEST(LocalQuorvaneDBConnectTest, DatabaseFolderFollowsEnvironment) {
  TempDir temp;
  const std::string home = temp.UseAsHome("home");
  EXPECT_EQ(TLocalQuorvaneDB::DatabaseFolder(), home);
  ::setenv("QUORVANE_HOME", "", 1);
  const char* oldXdg = std::getenv("XDG_DATA_HOME");
  const std::string savedXdg = oldXdg != nullptr ? oldXdg : "";
  ::setenv("XDG_DATA_HOME", "/data/xdg", 1);
  EXPECT_EQ(TLocalQuorvaneDB::DatabaseFolder(), "/data/xdg/Vosker/Quorvane");
  if (oldXdg != nullptr) {
    ::setenv("XDG_DATA_HOME", savedXdg.c_str(), 1);
  } else {
    ::unsetenv("XDG_DATA_HOME");
  }
  EXPECT_EQ(TLocalQuorvaneDB::DatabaseFileName(0), "QVDBV4.sqlite");
  EXPECT_EQ(TLocalQuorvaneDB::DatabaseFileName(1), "USDBV4.sqlite");
  EXPECT_EQ(TLocalQuorvaneDB::DatabaseFileName(2), "");
}

TEST(LocalQuorvaneDBConnectTest, ConnectWhileConnectedToSameFileSucceeds) {
  TempDir temp;
  temp.UseAsHome();
  TLocalQuorvaneDB db;
  db.Connect();
  ASSERT_EQ(db.LastMessage, "");
  db.Connect();
  EXPECT_EQ(db.LastMessage, "");
  EXPECT_TRUE(db.IsConnected());
}

TEST(LocalQuorvaneDBConnectTest, UnknownKindFailsWithoutOpening) {
  TempDir temp;
  temp.UseAsHome();
  TLocalQuorvaneDB db;
  db.DatabaseKind = 2;
  db.Connect();
  EXPECT_EQ(db.LastMessage, "Connection failed");
  EXPECT_FALSE(db.IsConnected());
  // Not connected: the schema operation fails with its first text.
  EXPECT_FALSE(db.CreateMarketDataTables());
  EXPECT_EQ(db.LastMessage, "Unable to create table (QVDB:AL)");
  EXPECT_THROW(db.LoadCountryList(), platform::SqliteError);
}

TEST(LocalQuorvaneDBConnectTest, EachKindKeepsItsOwnFile) {
  TempDir temp;
  const std::string home = temp.UseAsHome();
  TLocalQuorvaneDB db;
  db.DatabaseKind = kMarketDataDatabase;
  db.Connect();
  ASSERT_TRUE(db.CreateMarketDataTables());
  db.Disconnect();
  db.DatabaseKind = kSettingsDatabase;
  db.Connect();
  ASSERT_EQ(db.LastMessage, "");
  ASSERT_TRUE(db.CreateUserSettingsTables());
  EXPECT_EQ(db.Connection().QueryInt("SELECT count(*) FROM sqlite_master WHERE name='DATA'"), 0);
  // Connect to the other kind while connected does not reopen: the settings
  // file stays open and the message tells the caller not to go on.
  db.DatabaseKind = kMarketDataDatabase;
  db.Connect();
  EXPECT_EQ(db.LastMessage, "Connection failed");
  EXPECT_TRUE(db.IsConnected());
  EXPECT_EQ(db.Connection().QueryInt("SELECT count(*) FROM sqlite_master WHERE name='USER_DATE_SETTINGS'"), 1);
  // Switching goes through Disconnect.
  db.Disconnect();
  db.Connect();
  ASSERT_EQ(db.LastMessage, "");
  EXPECT_EQ(db.Connection().QueryInt("SELECT count(*) FROM sqlite_master WHERE name='DATA'"), 1);
  EXPECT_EQ(db.Connection().QueryInt("SELECT count(*) FROM sqlite_master WHERE name='USER_DATE_SETTINGS'"), 0);
  EXPECT_TRUE(std::filesystem::exists(home + "/USDBV4.sqlite"));
}

TEST(LocalQuorvaneDBConnectTest, FileThatIsNotADatabaseReportsEngineMessage) {
  TempDir temp;
  const std::string home = temp.UseAsHome();
  std::ofstream(home + "/QVDBV4.sqlite") << std::string(8192, 'x');
  TLocalQuorvaneDB db;
  db.Connect();
  EXPECT_EQ(db.LastMessage, "Connection failed: file is not a database");
  EXPECT_FALSE(db.IsConnected());
}

TEST(LocalQuorvaneDBConnectTest, FileLockedExclusivelyByAnotherConnectionFails) {
  TempDir temp;
  const std::string home = temp.UseAsHome();
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open((home + "/QVDBV4.sqlite").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(
      sqlite3_exec(other, "CREATE TABLE T(A); BEGIN EXCLUSIVE; INSERT INTO T VALUES (1);", nullptr, nullptr, nullptr),
      SQLITE_OK);
  TLocalQuorvaneDB db;
  db.BusyTimeoutMs = 50;
  db.Connect();
  EXPECT_EQ(db.LastMessage, "Connection failed: database is locked");
  EXPECT_FALSE(db.IsConnected());
  sqlite3_exec(other, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  db.Connect();
  EXPECT_EQ(db.LastMessage, "");
}

TEST(LocalQuorvaneDBConnectTest, LargeFreeListIsCompactedOnConnect) {
  TempDir temp;
  temp.UseAsHome();
  TLocalQuorvaneDB db;
  db.Connect();
  ASSERT_TRUE(db.CreateMarketDataTables());
  std::vector<TDataRow> rows;
  for (int i = 0; i < 100000; ++i) rows.push_back({"FRANCE", "EQINDEX", {static_cast<double>(i), 1.0}});
  db.InsertSeriesRows("DATA", rows, nullptr);
  db.DeleteSeriesFrom("DATA", kMissingDate);
  db.Connection().Exec("PRAGMA wal_checkpoint(TRUNCATE)");
  const auto freeBefore = db.Connection().QueryInt("PRAGMA freelist_count");
  ASSERT_GT(freeBefore, 1024);
  db.Disconnect();
  db.Connect();
  ASSERT_EQ(db.LastMessage, "");
  EXPECT_LT(db.Connection().QueryInt("PRAGMA freelist_count"), freeBefore);
}

// ----------------------------------------------------------------- schema

const char* const kMarketStatements[] = {
    "CREATE TABLE IF NOT EXISTS ASSET_LIST(ID TEXT NOT NULL UNIQUE,TITLE TEXT NOT NULL,TYPE TEXT NOT NULL,PRIMARY "
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
    "NOT NULL)",
};

TEST_F(LocalMarketDataTest, ShellShowsTheSixTablesAndTheSeriesIndexes) {
  const std::string schema = ShellOutput(Home + "/QVDBV4.sqlite", ".schema");
  for (const char* statement : kMarketStatements) {
    EXPECT_NE(schema.find(SchemaLine(statement) + "\n"), std::string::npos) << statement << "\n" << schema;
  }
  EXPECT_NE(schema.find("CREATE INDEX DATA_SERIES_INDEX ON DATA(COUNTRYNAME,ASSETID,DATE);"), std::string::npos);
  EXPECT_NE(schema.find("CREATE INDEX DATA_BIS_SERIES_INDEX ON DATA_BIS(COUNTRYNAME,ASSETID,DATE);"),
            std::string::npos);
}

TEST_F(LocalMarketDataTest, SchemaCreationIsIdempotent) {
  Db.InsertSeriesRows("DATA", {Row("France", "EQINDEX", 100.0, 1.5)}, nullptr);
  Db.SaveCountryList({Country("France", 1)});
  EXPECT_TRUE(Db.CreateMarketDataTables());
  EXPECT_EQ(Db.LastMessage, "");
  EXPECT_EQ(Count("SELECT count(*) FROM DATA"), 1);
  EXPECT_EQ(Count("SELECT count(*) FROM COUNTRY_LIST"), 1);
}

TEST(LocalQuorvaneDBSchemaTest, FailureAtTheFourthTableStopsThere) {
  TempDir temp;
  temp.UseAsHome();
  TLocalQuorvaneDB db;
  db.Connect();
  // An index named DATA makes the creation of the table DATA fail.
  db.Connection().Exec("CREATE TABLE OTHER(A); CREATE INDEX DATA ON OTHER(A);");
  EXPECT_FALSE(db.CreateMarketDataTables());
  EXPECT_EQ(db.LastMessage, "Unable to create table (QVDB:D)");
  auto exists = [&](const char* name) {
    return db.Connection().QueryInt(std::string("SELECT count(*) FROM sqlite_master WHERE type='table' AND name='") +
                                    name + "'") == 1;
  };
  EXPECT_TRUE(exists("ASSET_LIST"));
  EXPECT_TRUE(exists("COUNTRY_LIST"));
  EXPECT_TRUE(exists("PORTFOLIO_TEMPLATE_LIST"));
  EXPECT_FALSE(exists("DATA_BIS"));
  EXPECT_FALSE(exists("PORTFOLIO_TEMPLATE_DATA"));
}

TEST_F(LocalMarketDataTest, SeriesTablesHaveNoKey) {
  Db.InsertSeriesRows("DATA", {Row("France", "EQINDEX", 100.0, 1.0), Row("France", "EQINDEX", 100.0, 1.0)}, nullptr);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA"), 2);
}

// ------------------------------------------------------------------ lists

TEST_F(LocalMarketDataTest, CountryListRoundTrip) {
  TCountry uk = Country("United Kingdom", 2, "gbp");
  TCountry ivory = Country("Cote d'Ivoire", 1);
  Db.SaveCountryList({uk, ivory});
  auto stored = Db.Connection().Prepare("SELECT NAME,CURRENCY,typeof(REVERSEQUOTE) FROM COUNTRY_LIST ORDER BY RANK");
  ASSERT_TRUE(stored.Step());
  EXPECT_EQ(stored.ColumnText(0), "COTE D'IVOIRE");
  ASSERT_TRUE(stored.Step());
  EXPECT_EQ(stored.ColumnText(0), "UNITED KINGDOM");
  EXPECT_EQ(stored.ColumnText(1), "gbp");
  EXPECT_EQ(stored.ColumnText(2), "text");

  const auto loaded = Db.LoadCountryList();
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded[0].Name, "Cote D'ivoire");
  EXPECT_EQ(loaded[1].Name, "United Kingdom");
  EXPECT_EQ(loaded[1].Currency, "GBP");
  EXPECT_EQ(loaded[1].RegionName, uk.RegionName);
  EXPECT_EQ(loaded[1].IndexName, uk.IndexName);
  EXPECT_EQ(loaded[1].IndexTicker, uk.IndexTicker);
  EXPECT_EQ(loaded[1].Rank, 2);
  EXPECT_EQ(loaded[1].RegionRank, 2);
  EXPECT_FALSE(loaded[1].IsDevelopped);
  EXPECT_TRUE(loaded[1].ReverseQuote);
  EXPECT_TRUE(loaded[0].IsDevelopped);
  EXPECT_FALSE(loaded[0].ReverseQuote);
  EXPECT_DOUBLE_EQ(loaded[1].EstimationDate, 45002.0);
  EXPECT_DOUBLE_EQ(loaded[1].EstimatedSignal, 0.5);
  EXPECT_TRUE(loaded[1].IndexAssets.empty());

  Db.SaveCountryList({});
  EXPECT_TRUE(Db.LoadCountryList().empty());
}

TEST_F(LocalMarketDataTest, ReverseQuoteOtherThanOneLoadsFalse) {
  Db.Connection().Exec(
      "INSERT INTO COUNTRY_LIST VALUES ('USA',1,'North America',1,1,'usd','2','S&P','SPX',1.0,2.0),"
      "('JAPAN',2,'Japan',5,1,'JPY','1','Nikkei','NKY',1.0,2.0)");
  const auto loaded = Db.LoadCountryList();
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded[0].Name, "USA");
  EXPECT_EQ(loaded[0].Currency, "USD");
  EXPECT_FALSE(loaded[0].ReverseQuote);
  EXPECT_TRUE(loaded[1].ReverseQuote);
}

TEST_F(LocalMarketDataTest, AssetListRoundTrip) {
  Db.SaveAssetList({Asset("eqindex", "Equity Index", atIndex), Asset("CASH", "1M Cash", atRiskFreeAsset),
                    Asset("AUINDEX", "Gold", atIndex), Asset("BLSIGNAL", "BL Signal", atSignal)});
  auto stored = Db.Connection().Prepare("SELECT ID,TITLE,TYPE FROM ASSET_LIST WHERE ID='EQINDEX'");
  ASSERT_TRUE(stored.Step());
  EXPECT_EQ(stored.ColumnText(1), "EQUITY INDEX");
  EXPECT_EQ(stored.ColumnText(2), "INDEX");

  const auto indexes = Db.LoadAssetList("France", atIndex);
  ASSERT_EQ(indexes.size(), 2u);
  EXPECT_EQ(indexes[0].ID, "AUINDEX");
  EXPECT_EQ(indexes[1].ID, "EQINDEX");
  EXPECT_EQ(indexes[1].Title, "Equity Index");
  EXPECT_EQ(indexes[1].Type, atIndex);
  EXPECT_EQ(indexes[1].CountryName, "France");
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
  EXPECT_EQ(Count("SELECT count(*) FROM ASSET_LIST"), 2);

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
  EXPECT_EQ(list[0].ID, "A");
  EXPECT_EQ(list[1].ID, "B");
  EXPECT_EQ(list[2].ID, "mixed");
  EXPECT_EQ(Count("SELECT count(*) FROM PORTFOLIO_TEMPLATE_DATA"), 4);
  EXPECT_EQ(Db.LoadPortfolioTemplateData("A"), (std::vector<double>{0.5, 0.3, 0.2}));
  EXPECT_TRUE(Db.LoadPortfolioTemplateData("B").empty());
  EXPECT_TRUE(Db.LoadPortfolioTemplateData("MIXED").empty());  // identifiers keep their case
  EXPECT_EQ(Db.LoadPortfolioTemplateData("mixed"), (std::vector<double>{1.0}));
  auto ranks = Db.Connection().Prepare("SELECT RANK FROM PORTFOLIO_TEMPLATE_DATA WHERE PORTFOLIOID='A' ORDER BY RANK");
  for (int expected = 0; expected < 3; ++expected) {
    ASSERT_TRUE(ranks.Step());
    EXPECT_EQ(ranks.ColumnInt(0), expected);
  }
}

TEST_F(LocalMarketDataTest, CountryEstimatesAreWrittenOnlyWhenCountsMatch) {
  Db.SaveCountryList({Country("France", 2), Country("Germany", 1)});
  EXPECT_FALSE(Db.SaveCountryEstimates({{1.0, 1.0}}));
  const auto before = Db.LoadCountryEstimates();
  ASSERT_EQ(before.size(), 2u);
  EXPECT_DOUBLE_EQ(before[0].Date, 45001.0);  // Germany, rank 1
  EXPECT_TRUE(Db.SaveCountryEstimates({{10.0, -1.0}, {20.0, 1.0}}));
  const auto after = Db.LoadCountryEstimates();
  EXPECT_EQ(after, (std::vector<TDataPoint>{{10.0, -1.0}, {20.0, 1.0}}));
  EXPECT_EQ(Db.LoadCountryList()[1].Name, "France");
  EXPECT_DOUBLE_EQ(Db.LoadCountryList()[1].EstimationDate, 20.0);
}

TEST_F(LocalMarketDataTest, OpenTableTellsWhetherTheTableIsEmpty) {
  EXPECT_TRUE(Db.OpenTable("DATA"));
  Db.InsertSeriesRows("DATA", {Row("USA", "EQINDEX", 1.0, 1.0)}, nullptr);
  EXPECT_FALSE(Db.OpenTable("DATA"));
  EXPECT_THROW(Db.OpenTable("DATA; DROP TABLE DATA"), platform::SqliteError);
  EXPECT_THROW(Db.OpenTable("NO_SUCH_TABLE"), platform::SqliteError);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA"), 1);
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
  const TSeries series = Db.LoadSeries("france", "EQINDEX");
  EXPECT_EQ(series, (TSeries{{10.0, 1.0}, {30.0, -999.99}, {40.0, 2.0}}));
  EXPECT_TRUE(Db.LoadSeries("Spain", "EQINDEX").empty());
}

TEST_F(LocalMarketDataTest, LoadSeriesBisGivesTheFirstDailyPoint) {
  EXPECT_EQ(Db.LoadSeriesBis("France", "EQINDEX"), (TDataPoint{kMissingDate, kNoFigure}));
  Db.InsertSeriesRows("DATA_BIS", {Row("France", "EQINDEX", 12.0, 3.0), Row("France", "EQINDEX", 11.0, -1000.0)},
                      nullptr);
  EXPECT_EQ(Db.LoadSeriesBis("FRANCE", "eqindex"), (TDataPoint{11.0, -1000.0}));
  EXPECT_TRUE(Db.LoadSeries("France", "EQINDEX").empty());  // DATA_BIS rows are not DATA rows
}

TEST_F(LocalMarketDataTest, NamesAreStoredUpperCasedWithQuotesKept) {
  Db.InsertSeriesRows("DATA", {Row("Cote d'Ivoire", "eqIndex", 1.0, 1.0)}, nullptr);
  auto stored = Db.Connection().Prepare("SELECT COUNTRYNAME,ASSETID FROM DATA");
  ASSERT_TRUE(stored.Step());
  EXPECT_EQ(stored.ColumnText(0), "COTE D'IVOIRE");
  EXPECT_EQ(stored.ColumnText(1), "EQINDEX");
}

TEST_F(LocalMarketDataTest, DecimalCommaValuesBecomeNumbers) {
  Db.Connection().Exec("INSERT INTO DATA VALUES ('FRANCE','EQINDEX',1.0,'1,25'), ('FRANCE','EQINDEX',2.0,'abc')");
  EXPECT_EQ(Count("SELECT count(*) FROM DATA WHERE typeof(VALUE)='text'"), 2);
  RecordingSink sink;
  Db.InsertSeriesRows("DATA", {}, &sink);
  EXPECT_TRUE(sink.Texts.empty());
  EXPECT_EQ(sink.Pumps, 0);
  auto value = Db.Connection().Prepare("SELECT typeof(VALUE),VALUE FROM DATA WHERE DATE=1.0");
  ASSERT_TRUE(value.Step());
  EXPECT_EQ(value.ColumnText(0), "real");
  EXPECT_DOUBLE_EQ(value.ColumnDouble(1), 1.25);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA WHERE typeof(VALUE)='text'"), 1);  // 'abc' has no comma
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
  std::vector<TDataRow> rows;
  for (std::size_t i = 0; i < test.Rows; ++i) rows.push_back(Row("France", "EQINDEX", static_cast<double>(i), 1.0));
  RecordingSink sink;
  Db.InsertSeriesRows("DATA", rows, &sink);
  EXPECT_EQ(sink.Pumps, test.Pumps);
  ASSERT_GE(sink.Texts.size(), test.FirstTexts.size());
  EXPECT_EQ(std::vector<std::string>(sink.Texts.begin(), sink.Texts.begin() + test.FirstTexts.size()), test.FirstTexts);
  EXPECT_EQ(sink.Texts.back(), "100%");
  EXPECT_EQ(Count("SELECT count(*) FROM DATA"), static_cast<std::int64_t>(test.Rows));
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

TEST_F(LocalMarketDataTest, FailedInsertLeavesNoRowOfTheCall) {
  Db.InsertSeriesRows("DATA", {Row("France", "EQINDEX", 1.0, 1.0)}, nullptr);
  std::vector<TDataRow> rows;
  for (int i = 0; i < 300; ++i) rows.push_back(Row("Germany", "EQINDEX", 10.0 + i, 1.0));
  // NaN binds as NULL, which the NOT NULL column refuses.
  rows[150].Point.Value = std::numeric_limits<double>::quiet_NaN();
  EXPECT_THROW(Db.InsertSeriesRows("DATA", rows, nullptr), platform::SqliteError);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA"), 1);
  EXPECT_THROW(Db.InsertSeriesRows("NOT_A_SERIES", rows, nullptr), platform::SqliteError);
}

TEST_F(LocalMarketDataTest, LargeInsertKeepsTheSeriesIndexAlsoWhenItFails) {
  const std::string hasIndex = "SELECT count(*) FROM sqlite_master WHERE name='DATA_SERIES_INDEX'";
  std::vector<TDataRow> rows;
  for (int i = 0; i < 12000; ++i) rows.push_back(Row(i % 2 ? "France" : "Spain", "EQINDEX", 12000.0 - i, i));
  rows[11000].Point.Value = std::numeric_limits<double>::quiet_NaN();
  EXPECT_THROW(Db.InsertSeriesRows("DATA", rows, nullptr), platform::SqliteError);
  EXPECT_EQ(Count(hasIndex), 1);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA"), 0);
  rows[11000].Point.Value = 11000.0;
  Db.InsertSeriesRows("DATA", rows, nullptr);
  EXPECT_EQ(Count(hasIndex), 1);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA"), 12000);
  const TSeries spain = Db.LoadSeries("Spain", "EQINDEX");
  ASSERT_EQ(spain.size(), 6000u);
  EXPECT_EQ(spain.front(), (TDataPoint{2.0, 11998.0}));
  EXPECT_EQ(spain.back(), (TDataPoint{12000.0, 0.0}));
  auto plan = Db.Connection().Prepare(
      "EXPLAIN QUERY PLAN SELECT DATE,VALUE FROM DATA WHERE COUNTRYNAME='SPAIN' AND ASSETID='EQINDEX' ORDER BY DATE");
  ASSERT_TRUE(plan.Step());
  EXPECT_NE(plan.Text("detail").find("DATA_SERIES_INDEX"), std::string::npos) << plan.Text("detail");
}

TEST_F(LocalMarketDataTest, ConnectionClosedWhilePumpingUndoesTheInsert) {
  Db.InsertSeriesRows("DATA", {Row("France", "EQINDEX", 1.0, 1.0)}, nullptr);
  std::vector<TDataRow> rows;
  for (int i = 0; i < 500; ++i) rows.push_back(Row("Germany", "EQINDEX", 10.0 + i, 1.0));
  RecordingSink sink;
  sink.OnPump = [&] {
    if (sink.Pumps == 3) Db.Disconnect();
  };
  EXPECT_THROW(Db.InsertSeriesRows("DATA", rows, &sink), platform::SqliteError);
  EXPECT_EQ(Db.LastMessage, "Connection lost");
  EXPECT_FALSE(Db.IsConnected());
  Db.Connect();
  ASSERT_EQ(Db.LastMessage, "");
  EXPECT_EQ(Count("SELECT count(*) FROM DATA"), 1);
}

TEST_F(LocalMarketDataTest, WriteWhileAnotherConnectionHoldsTheLockFails) {
  Db.InsertSeriesRows("DATA", {Row("France", "EQINDEX", 1.0, 1.0)}, nullptr);
  Db.Disconnect();
  Db.BusyTimeoutMs = 50;
  Db.Connect();
  ASSERT_EQ(Db.LastMessage, "");
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open((Home + "/QVDBV4.sqlite").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  EXPECT_THROW(Db.InsertSeriesRows("DATA", {Row("Germany", "EQINDEX", 2.0, 1.0)}, nullptr), platform::SqliteError);
  EXPECT_EQ(Db.LastMessage, "database is locked");
  EXPECT_THROW(Db.SaveCountryList({Country("France", 1)}), platform::SqliteError);
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA"), 1);
  Db.InsertSeriesRows("DATA", {Row("Germany", "EQINDEX", 2.0, 1.0)}, nullptr);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA"), 2);
}

TEST_F(LocalMarketDataTest, DeleteSeriesFromKeepsEarlierRows) {
  Db.InsertSeriesRows(
      "DATA_BIS",
      {Row("France", "EQINDEX", 10.0, 1.0), Row("France", "EQINDEX", 20.0, 2.0), Row("Spain", "CASH", 30.0, 3.0)},
      nullptr);
  Db.DeleteSeriesFrom("DATA_BIS", 20.0);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA_BIS"), 1);
  EXPECT_EQ(Db.GetSeriesLastDate("DATA_BIS", "France", "EQINDEX"), 10.0);
  Db.DeleteSeriesFrom("DATA_BIS", kMissingDate);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA_BIS"), 0);
}

TEST_F(LocalMarketDataTest, OuterTransactionGroupsADownload) {
  Db.InsertSeriesRows("DATA_BIS", {Row("France", "EQINDEX", 10.0, 1.0)}, nullptr);
  {
    auto download = Db.BeginTransaction();
    Db.DeleteSeriesFrom("DATA_BIS", kMissingDate);
    Db.InsertSeriesRows("DATA_BIS", {Row("France", "EQINDEX", 20.0, 2.0)}, nullptr);
    // Not committed: everything is undone.
  }
  EXPECT_EQ(Db.LoadSeriesBis("France", "EQINDEX"), (TDataPoint{10.0, 1.0}));
  {
    auto download = Db.BeginTransaction();
    Db.DeleteSeriesFrom("DATA_BIS", kMissingDate);
    Db.InsertSeriesRows("DATA_BIS", {Row("France", "EQINDEX", 20.0, 2.0)}, nullptr);
    download.Commit();
  }
  EXPECT_EQ(Db.LoadSeriesBis("France", "EQINDEX"), (TDataPoint{20.0, 2.0}));
}

}  // namespace
