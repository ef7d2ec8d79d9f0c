// The update steps on a fake transport and a local file in a temporary home.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>

#include "SessionTestSupport.h"
#include "common/DateHelpers.h"
#include "common/DefaultSettings.h"
#include "common/Globals.h"
#include "data/DataFixtures.h"
#include "data/RegistrySettings.h"
#include "platform/DateTime.h"
#include "platform/Format.h"
#include "platform/SettingsStore.h"
#include "session/DateButtons.h"
#include "session/StepMachine.h"

namespace {

using platform::EncodeDate;
using sessiontest::Row;
using sessiontest::TStepBench;

// ---- progress table and dispatch

struct TLookCase {
  std::int32_t Kind, SubStep;
  const char* Text;  // nullptr: text unchanged
  session::TStepImage Image;
  bool Spinner;
};

TEST(StepProgressLook, FollowsTheTableOfTheStepKinds) {
  using I = session::TStepImage;
  const std::vector<TLookCase> cases{
      {0, 0, nullptr, I::LocalStorage, false},
      {2, 0, nullptr, I::ServerState, false},
      {3, 1, "Verifying data, please wait", I::LocalStorage, false},
      {3, 2, "Verifying new available data, please wait", I::ServerStorage, false},
      {3, 7, nullptr, I::None, false},
      {4, 4, "Updating portfolio template list (2/2), please wait", I::LocalStorage, false},
      {4, 7, "Storing new available data, please wait", I::None, true},
      {4, 0, "Finalizing update process, please wait", I::LocalStorage, false},
      {4, 9, "Finalizing update process, please wait", I::LocalStorage, false},
      {5, 3, "Daily data processing (3/3), please wait", I::None, true},
      {5, 4, nullptr, I::None, false},
      {6, 0, nullptr, I::None, true},
      {10, 1, nullptr, I::None, false},
  };
  for (const TLookCase& c : cases) {
    const session::TStepLook look = session::StepProgressLook(c.Kind, c.SubStep);
    const std::string where = std::to_string(c.Kind) + "/" + std::to_string(c.SubStep);
    EXPECT_EQ(look.ChangeText, c.Text != nullptr) << where;
    EXPECT_EQ(look.Text, c.Text ? c.Text : "") << where;
    EXPECT_EQ(look.Image, c.Image) << where;
    EXPECT_EQ(look.Spinner, c.Spinner) << where;
  }
}

TEST(ExecuteStep, KindAbove9DoesNothingAndKinds0And1SetTheMode) {
  TStepBench bench;
  session::TUpdateStep step;
  step.Kind = 10;
  step.ErrorText = "old";
  session::ExecuteStep(step, bench.Context);
  EXPECT_EQ(step.ErrorText, "");
  EXPECT_TRUE(bench.Reporter.Looks.empty());
  EXPECT_EQ(bench.Run(0).DatabaseMode, 0);
  bench.Db.Disconnect();
  bench.Db.DatabaseKind = kSettingsDatabase;
  bench.Db.Connect();
  const session::TUpdateStep settings = bench.Run(1);
  EXPECT_EQ(settings.DatabaseMode, 1);
  EXPECT_EQ(settings.ErrorText, "");
  EXPECT_EQ(bench.Count("SELECT count(*) FROM sqlite_master WHERE name='USER_DATE_SETTINGS'"), 1);
}

TEST(ExecuteStep, AFailedTableCreationOrADisconnectedFileIsTheStepsFailure) {
  TStepBench bench;
  // A view in the way of a table makes "CREATE TABLE IF NOT EXISTS" fail.
  bench.Db.Connection().Exec("DROP TABLE DATA_BIS; CREATE VIEW DATA_BIS AS SELECT 1");
  EXPECT_EQ(bench.Run(0).ErrorText, "Unable to create table (QVDB:DB)");
  bench.Db.Disconnect();
  EXPECT_NE(bench.Run(6).ErrorText, "");  // the local-database failure, not an escaping exception
}

// ---- kind 3: is there new data?

struct TVerifyCase {
  const char* Name;
  bool LocalData;
  double ServerLast;
  const char* User;
  const char* Password;
  std::optional<std::string> StartDateAnswer;  // nullopt: no reply row
  std::int32_t Expected;
  std::size_t Requests;
};

TEST(VerifyNewAvailableData, DecidesFromTheLastDatesAndTheServersDemand) {
  const double local = EncodeDate(2024, 1, 31);
  const std::vector<TVerifyCase> cases{
      {"empty local table", false, local, "u", "p", "45000", 0, 0},
      {"equal dates, no user", true, local, "", "", "45000", 1, 1},
      {"demand 2.0", true, local, "u", "p", "2", 1, 2},
      {"other date", true, local, "u", "p", "45000", 0, 2},
      {"empty answer", true, local, "u", "p", std::nullopt, 1, 2},
      {"non-numeric answer", true, local, "u", "p", "soon", 1, 2},
      {"user without password", true, local, "u", "", "45000", 1, 1},
      {"server earlier", true, local - 31, "", "", "45000", 1, 1},
      {"server later", true, local + 29, "", "", "2", 0, 1},
      {"server without date", true, kMissingDate, "u", "p", "45000", 1, 1},
  };
  for (const TVerifyCase& c : cases) {
    TStepBench bench;
    TRegistrySettings registry;
    registry.WriteValue(kRegUsername, c.User, rvkString);
    registry.WriteValue(kRegPassword, c.Password, rvkString);
    bench.Context.Registry = &registry;
    if (c.LocalData) bench.Db.InsertSeriesRows("DATA", {Row("SOUTH AFRICA", "EQINDEX", local, 1.0)}, nullptr);
    bench.Transport.Script = [&](const TSQLRequest& r) -> std::optional<std::string> {
      if (r.Content.find("LOGIN_LIST") != std::string::npos) {
        if (r.Content.find("USERID='u'") == std::string::npos) return WriteStatusReply("", "unknown user");
        return c.StartDateAnswer ? WriteStatusReply(*c.StartDateAnswer, "") : WriteTextListReply({}, "");
      }
      if (c.ServerLast == kMissingDate) return WriteTextListReply({}, "");
      return WriteStatusReply(platform::FloatToStr(c.ServerLast), "");
    };
    bench.Context.DataUpToDate = 7;
    const session::TUpdateStep step = bench.Run(3);
    EXPECT_EQ(step.ErrorText, "") << c.Name;
    EXPECT_EQ(bench.Context.DataUpToDate, c.Expected) << c.Name;
    EXPECT_EQ(bench.Transport.Sent.size(), c.Requests) << c.Name;
  }
}

// ---- kind 4: full download on a scripted server

// Monthly rows of n (country, asset) pairs at one date.
std::vector<TDataRow> MonthlyRows(std::size_t n, double date) {
  std::vector<TDataRow> rows;
  for (std::size_t i = 0; i < n; ++i)
    rows.push_back(Row(i == 0 ? "SOUTH AFRICA" : "C" + std::to_string(i / 18),
                       i == 0 ? "EQINDEX" : "A" + std::to_string(i % 18), date, static_cast<double>(i)));
  return rows;
}

TEST(DownloadAllData, StoresWholeRowSetsOnlyAndKeepsListsOfEmptyReplies) {
  struct TCase {
    std::size_t Rows;
    const char* Error;
  };
  for (const TCase& c : std::vector<TCase>{{36, ""}, {35, "Incomplete dataset (missing data)"}, {0, ""}}) {
    TStepBench bench;
    TCountry kept;
    kept.Name = "Kept";
    kept.Rank = 1;
    bench.Db.SaveCountryList({kept});
    bench.Transport.Script = [&](const TSQLRequest& r) -> std::optional<std::string> {
      switch (r.ResponseType) {
        case 5:
          return WriteCountryListReply({}, "");
        case 6:
          return WriteAssetListReply({}, "");
        case 4:
          return WriteTextListReply({}, "");
        case 8:
          return WriteTableRowsReply(MonthlyRows(c.Rows, EncodeDate(2024, 1, 31)), "");
        default:
          return std::nullopt;
      }
    };
    const session::TUpdateStep step = bench.Run(4);
    EXPECT_EQ(step.ErrorText, c.Error) << c.Rows;
    EXPECT_EQ(bench.Count("SELECT count(*) FROM DATA"), std::string(c.Error).empty() ? c.Rows : 0) << c.Rows;
    EXPECT_EQ(bench.Count("SELECT count(*) FROM COUNTRY_LIST"), 1) << c.Rows;
    // An empty local table asks for every row after the missing date.
    EXPECT_EQ(bench.Transport.Statements(8),
              std::vector<std::string>{"SELECT * FROM DATA WHERE DATE>2 ORDER BY DATE ASC"});
  }
}

// ---- kind 5: daily synchronisation on a scripted server

struct TDailyCase {
  const char* Name;
  double ServerLast;
  std::size_t ServerRows;  // rows dated 1 March 2024 onward
  bool FailRows;
  const char* Error;
  bool Warned;  // the client's message is shown, the step goes on
  std::size_t RowsAfter;
  std::size_t RowRequests;
};

TEST(SynchronizeDailyData, ReplacesTheDailyTableWithWholeRowSetsOnly) {
  const double local = EncodeDate(2024, 3, 15);
  const std::vector<TDailyCase> cases{
      {"54 rows", local, 54, false, "", false, 54, 1},
      {"53 rows", local, 53, false, "Incomplete dataset (missing daily data)", false, 18, 1},
      {"no row", local, 0, false, "", false, 18, 1},
      {"failed row request", local, 54, true, "", true, 18, 1},
      {"server earlier", local - 1, 54, false, "", false, 18, 0},
  };
  for (const TDailyCase& c : cases) {
    TStepBench bench;
    std::vector<TDataRow> localRows = MonthlyRows(18, local);
    bench.Db.InsertSeriesRows("DATA_BIS", localRows, nullptr);
    std::vector<TDataRow> served;
    for (std::size_t i = 0; i < c.ServerRows; ++i)
      served.push_back(MonthlyRows(18, EncodeDate(2024, 3, 1) + static_cast<double>(i / 18))[i % 18]);
    bench.Transport.Script = [&](const TSQLRequest& r) -> std::optional<std::string> {
      if (r.ResponseType == 2) return WriteStatusReply(platform::FloatToStr(c.ServerLast), "");
      if (c.FailRows) return std::nullopt;  // no reply
      return WriteTableRowsReply(served, "");
    };
    const session::TUpdateStep step = bench.Run(5);
    EXPECT_EQ(step.ErrorText, c.Error) << c.Name;
    EXPECT_EQ(bench.Context.WarningText, c.Warned ? "Connection to server failed" : "") << c.Name;
    EXPECT_EQ(bench.Count("SELECT count(*) FROM DATA_BIS"), c.RowsAfter) << c.Name;
    const std::vector<std::string> asked = bench.Transport.Statements(8);
    ASSERT_EQ(asked.size(), c.RowRequests) << c.Name;
    // 15 March 2024 asks for the rows after 29 February 2024 (day 45351).
    if (!asked.empty()) {
      EXPECT_EQ(asked[0], "SELECT * FROM DATA_BIS WHERE DATE>45351 ORDER BY DATE ASC") << c.Name;
    }
    // The dates of the stored rows, or of the local ones when nothing was stored.
    const bool stored = c.RowsAfter == 54;
    EXPECT_EQ(bench.Context.DailyDataStartDate, stored ? EncodeDate(2024, 3, 1) : local) << c.Name;
    EXPECT_EQ(bench.Context.LatestDailyDate, stored ? EncodeDate(2024, 3, 3) : local) << c.Name;
  }
}

// ---- kind 6: work data

// A local file of countries with one or two assets per type and a monthly row each.
void FillWorkData(TStepBench& bench, std::size_t countries) {
  std::vector<TCountry> list;
  for (std::size_t i = 0; i < countries; ++i) {
    TCountry c;
    c.Name = i == 0 ? "USA" : "C" + std::to_string(i);
    c.Rank = static_cast<std::int32_t>(i + 1);
    list.push_back(c);
  }
  bench.Db.SaveCountryList(list);
  auto asset = [](const char* id, int type) {
    TAssetSeries a;
    a.ID = id;
    a.Title = id;
    a.Type = type;
    return a;
  };
  bench.Db.SaveAssetList({asset("AUINDEX", 0), asset("EQINDEX", 0), asset("CASH", 1), asset("RULE1", 2),
                          asset("BLSIGNAL", 3), asset("QVSIGNAL", 3), asset("SPOTFX", 4)});
  std::vector<TDataRow> rows;
  for (const TCountry& c : list)
    for (const char* id : {"EQINDEX", "CASH", "RULE1", "BLSIGNAL", "QVSIGNAL", "SPOTFX"})
      rows.push_back(Row(c.Name, id, EncodeDate(2000, 1, 31), 1.0));
  bench.Db.InsertSeriesRows("DATA", rows, nullptr);
}

TEST(LoadWorkData, LoadsInDisplayOrderWithTheLeadingAssetsFirst) {
  TStepBench bench;
  FillWorkData(bench, 40);
  bench.Db.InsertSeriesRows(
      "DATA_BIS",
      {Row("USA", "EQINDEX", EncodeDate(2026, 3, 12), 5.0), Row("USA", "CASH", EncodeDate(2026, 3, 12), -1000.0)},
      nullptr);
  bench.Db.SavePortfolioTemplateList({{"T1", {}}, {"T2", {}}});
  bench.Db.SavePortfolioTemplateData({{"T1", {0.5, 0.5}}, {"T2", {1.0}}});
  const session::TUpdateStep step = bench.Run(6);
  ASSERT_EQ(step.ErrorText, "");
  ASSERT_EQ(vcMyExternCountryList.size(), 40u);
  const auto found = std::find_if(vcMyExternCountryList.begin(), vcMyExternCountryList.end(),
                                  [](const TCountry& c) { return c.Name == "USA"; });
  ASSERT_NE(found, vcMyExternCountryList.end());
  const TCountry& usa = *found;
  ASSERT_EQ(usa.IndexAssets.size(), 2u);
  EXPECT_EQ(usa.IndexAssets[0].ID, "EQINDEX");
  EXPECT_TRUE(usa.IndexAssets[1].Series.empty());  // AUINDEX may lack monthly rows
  EXPECT_EQ(usa.SignalAssets[0].ID, "QVSIGNAL");
  EXPECT_EQ(usa.SignalAssets[1].ID, "BLSIGNAL");
  // Intra-month points: the first daily row at its month end; a stored
  // "no value" and a missing row both give -1000000.0.
  EXPECT_EQ(usa.IndexAssets[0].FirstDailyPoint, (TDataPoint{EncodeDate(2026, 3, 31), 5.0}));
  EXPECT_EQ(usa.RiskFreeAssets[0].FirstDailyPoint, (TDataPoint{EncodeDate(2026, 3, 31), kNoFigure}));
  EXPECT_EQ(usa.RuleAssets[0].FirstDailyPoint, (TDataPoint{GetEndOfMonth(kMissingDate), kNoFigure}));
  // Percentages: trunc((i + 1) / 40 x 100) per country, then per template.
  const std::vector<std::string>& texts = bench.Reporter.Texts;
  ASSERT_EQ(texts.size(), 42u);
  EXPECT_EQ((std::vector<std::string>(texts.begin(), texts.begin() + 3)), (std::vector<std::string>{"2%", "5%", "7%"}));
  EXPECT_EQ(texts[39], "100%");
  EXPECT_EQ(texts[40], "50%");
  ASSERT_EQ(vptMyExternPortfolioTemplateList.size(), 2u);
  EXPECT_EQ(vptMyExternPortfolioTemplateList[0].Weights, (std::vector<double>{0.5, 0.5}));
  EXPECT_EQ(usMyExternUserSettings.InceptionDate, EncodeDate(2000, 1, 31));
}

// The intra-month date comes from the local file also when no daily
// synchronisation ran (a start without server): its latest daily reference
// row, or no date when it holds none.
TEST(LoadWorkData, GivesTheLatestLocalDailyDate) {
  for (const bool daily : {true, false}) {
    SCOPED_TRACE(daily);
    TStepBench bench;
    FillWorkData(bench, 40);
    if (daily) {
      bench.Db.InsertSeriesRows("DATA_BIS",
                                {Row("SOUTH AFRICA", "EQINDEX", EncodeDate(2026, 3, 12), 5.0),
                                 Row("SOUTH AFRICA", "EQINDEX", EncodeDate(2026, 3, 11), 4.0)},
                                nullptr);
    }
    bench.Context.LatestDailyDate = 0.0;
    ASSERT_EQ(bench.Run(6).ErrorText, "");
    EXPECT_EQ(bench.Context.LatestDailyDate, daily ? EncodeDate(2026, 3, 12) : kMissingDate);
    EXPECT_EQ(session::IntraMonthTitle(bench.Context.LatestDailyDate), daily ? "[ 12 March 2026 ]" : "");
  }
}

TEST(LoadWorkData, NamesTheFirstMissingPiece) {
  struct TCase {
    const char* Name;
    const char* Sql;  // what is taken away from a complete file of two countries
    const char* Error;
  };
  const std::vector<TCase> cases{
      {"empty", "DELETE FROM COUNTRY_LIST; DELETE FROM DATA",
       "Your database is empty. You have to download data from server before using Quorvane."},
      {"no signal", "DELETE FROM ASSET_LIST WHERE TYPE='SIGNAL'", "No found SIGNAL associated to USA"},
      {"no rule rows", "DELETE FROM DATA WHERE ASSETID='RULE1' AND COUNTRYNAME='C1'",
       "No found data associated to RULE1 (C1)"},
  };
  for (const TCase& c : cases) {
    TStepBench bench;
    FillWorkData(bench, 2);
    bench.Db.Connection().Exec(c.Sql);
    vptMyExternPortfolioTemplateList = {{"untouched", {1.0}}};
    const session::TUpdateStep step = bench.Run(6);
    EXPECT_EQ(step.ErrorText, c.Error) << c.Name;
    if (std::string(c.Name) == "empty") {
      EXPECT_TRUE(vcMyExternCountryList.empty());
      EXPECT_EQ(vptMyExternPortfolioTemplateList.size(), 1u);  // not touched
      EXPECT_EQ(usMyExternUserSettings.InceptionDate, kMissingDate);
    } else {
      EXPECT_TRUE(vptMyExternPortfolioTemplateList.empty()) << c.Name;  // read also after a failure
      EXPECT_EQ(usMyExternUserSettings.InceptionDate, EncodeDate(2000, 1, 31)) << c.Name;
    }
  }
}

// ---- a market-data file that cannot be written, a damaged file

// With a read-only file and a reachable server the start goes on as without
// server: the daily step warns naming the file and what was skipped (the
// daily rows, and the monthly update when the server has new monthly data,
// asking it only what the check for new data asks), the check for new data
// offers none, a full download fails naming the file, and the work data
// load; a read-only settings file cannot be saved.
TEST(ReadOnlyFiles, TheStartGoesOnWithoutServerAndNamesTheFileAndWhatWasSkipped) {
  const double localMonthly = EncodeDate(2024, 2, 29);
  const double localDaily = EncodeDate(2024, 3, 15);
  struct TServerCase {
    const char* Name;
    std::optional<std::string> LastDate;  // the server's reply to every request; nullopt: no reply
    bool MonthlySkipped;
  };
  const std::vector<TServerCase> servers{
      {"newer monthly data", "99999", true},
      {"same monthly date", platform::FloatToStr(localMonthly), false},
      {"server failing", std::nullopt, false},
  };
  for (const TServerCase& server : servers) {
    TStepBench bench;
    FillWorkData(bench, 2);
    bench.Db.InsertSeriesRows("DATA", {Row("SOUTH AFRICA", "EQINDEX", localMonthly, 1.0)}, nullptr);
    bench.Db.InsertSeriesRows("DATA_BIS", {Row("SOUTH AFRICA", "EQINDEX", localDaily, 1.0)}, nullptr);
    const std::string path = bench.Db.DatabasePath();
    bench.Db.Disconnect();
    ReadOnlyFile readOnly(path);
    if (!readOnly.Effective()) GTEST_SKIP() << "the file stays writable for this user";
    bench.Db.Connect();
    ASSERT_EQ(bench.Db.LastMessage, "");
    bench.Transport.Script = [&](const TSQLRequest&) -> std::optional<std::string> {
      if (!server.LastDate) return std::nullopt;
      return WriteStatusReply(*server.LastDate, "");
    };
    const std::string text = path + " is read-only: make it writable and start again to download new data";
    const std::string daily =
        server.MonthlySkipped ? path + " is read-only, so the new monthly data were not downloaded either: make it "
                                       "writable and start again to download new data"
                              : text;
    struct TCase {
      std::int32_t Kind;
      std::string Error, Warning;
    };
    for (const TCase& c : {TCase{0, "", ""}, TCase{5, "", daily}, TCase{3, "", ""}, TCase{4, text, ""}, TCase{6, "", ""}}) {
      const std::size_t sent = bench.Transport.Sent.size();
      const session::TUpdateStep step = bench.Run(c.Kind);
      EXPECT_EQ(step.ErrorText, c.Error) << server.Name << " " << c.Kind;
      EXPECT_EQ(bench.Context.WarningText, c.Warning) << server.Name << " " << c.Kind;
      EXPECT_EQ(session::StepWarning(step, bench.Context.WarningText),
                c.Warning.empty() ? "" : "The daily data could not be synchronised: " + c.Warning)
          << server.Name << " " << c.Kind;
      // Only the daily step asks: the reference series' last date (then the user's demand, none remembered).
      EXPECT_EQ(bench.Transport.Sent.size() - sent, c.Kind == 5 ? 1u : 0u) << server.Name << " " << c.Kind;
    }
    EXPECT_EQ(bench.Context.DataUpToDate, 1);
    EXPECT_EQ(bench.Context.LatestDailyDate, localDaily);
    EXPECT_EQ(vcMyExternCountryList.size(), 2u);
  }

  TStepBench bench;
  bench.Db.Disconnect();
  bench.Db.DatabaseKind = kSettingsDatabase;
  bench.Db.Connect();
  ASSERT_EQ(bench.Run(1).ErrorText, "");
  const std::string settings = bench.Db.DatabasePath();
  bench.Db.Disconnect();
  ReadOnlyFile readOnlySettings(settings);
  bench.Db.Connect();
  EXPECT_EQ(bench.Run(7).ErrorText, "");
  EXPECT_EQ(bench.Run(8, 2).ErrorText,
            settings + " is read-only: make it writable and start again to save your settings");
}

// A damaged market-data file: the storage check at the start names it and
// what to do before any step writes; a damaged page met later (the work
// data) gives the same text; the file keeps its bytes.
TEST(DamagedFiles, TheStorageCheckAndLaterReadsNameTheFile) {
  for (const std::int32_t kind : {0, 6}) {
    TStepBench bench;
    FillWorkData(bench, 2);
    std::vector<TDataRow> rows;
    for (int i = 0; i < 4000; ++i) rows.push_back(Row("USA", "CASH", EncodeDate(1990, 1, 1) + i, 1.0));
    bench.Db.InsertSeriesRows("DATA", rows, nullptr);
    const std::string path = bench.Db.DatabasePath();
    bench.Db.Disconnect();
    DamageFile(path, TDamage::PageOverwritten);
    const std::string bytes = FileBytes(path);
    bench.Db.Connect();
    ASSERT_EQ(bench.Db.LastMessage, "") << kind;  // the damage is not seen on opening
    EXPECT_EQ(bench.Run(kind).ErrorText, path + " is damaged: move it away and start again to download a fresh copy")
        << kind;
    bench.Db.Disconnect();
    EXPECT_TRUE(FileBytes(path) == bytes) << kind;
  }
}

// A store of the sign-in and proxy values larger than any settings file:
// the server check at the start (whose request reads the proxy from it)
// leaves the window one warning naming it.
TEST(DamagedFiles, TheServerCheckNamesADamagedSignInStore) {
  for (const bool damaged : {false, true}) {
    TStepBench bench;
    TRegistrySettings registry;
    bench.Context.Registry = &registry;
    registry.WriteValue(kRegUsername, "u", rvkString);
    const std::string path = platform::SettingsStore::DefaultPath();
    if (damaged) std::ofstream(path, std::ios::app) << std::string(platform::SettingsStore::kMaxFileBytes, '\n');
    const std::string warning = session::StepWarning(bench.Run(2), bench.Context.WarningText);
    EXPECT_EQ(warning.rfind("The sign-in and proxy values are at their defaults: " + path + " is damaged (", 0) == 0,
              damaged)
        << warning;
  }
}

// ---- kinds 7 and 8: settings

class SettingsStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Bench.Db.Disconnect();
    Bench.Db.DatabaseKind = kSettingsDatabase;
    Bench.Db.Connect();
    ASSERT_EQ(Bench.Run(1).ErrorText, "");
    TStepBench market;  // a market file only to build a country list
    FillWorkData(market, 2);
    ASSERT_EQ(market.Run(6).ErrorText, "");
  }
  TStepBench Bench;
};

TEST_F(SettingsStepTest, SavingWritesOnlyTheSelectedPart) {
  struct TCase {
    std::int32_t Selector;
    std::vector<std::int64_t> Rows;  // date, equity rows, bond rows, equity criterion, fixed-income limits
  };
  const std::vector<TCase> cases{
      {3, {0, 2, 0, 1, 0}}, {8, {0, 0, 0, 0, 0}}, {0, {1, 0, 0, 0, 0}}, {4, {0, 2, 2, 0, 1}}};
  for (const TCase& c : cases) {
    Bench.Db.Connection().Exec(
        "DELETE FROM USER_DATE_SETTINGS; DELETE FROM USER_EQBYCOUNTRY_SETTINGS; DELETE FROM USER_FIBYCOUNTRY_SETTINGS;"
        "DELETE FROM USER_EQCOUNTRY_COMPETITION_SETTINGS; DELETE FROM USER_FI_COMPETITION_SETTINGS;");
    usMyExternUserSettings = BuildDefaultUserSettings(vcMyExternCountryList);
    Bench.Reporter.Texts.clear();
    const session::TUpdateStep step = Bench.Run(8, c.Selector);
    EXPECT_EQ(step.ErrorText, "") << c.Selector;
    EXPECT_EQ(Bench.Reporter.Texts, std::vector<std::string>{"100%"}) << c.Selector;
    const std::vector<std::int64_t> rows{Bench.Count("SELECT count(*) FROM USER_DATE_SETTINGS"),
                                         Bench.Count("SELECT count(*) FROM USER_EQBYCOUNTRY_SETTINGS"),
                                         Bench.Count("SELECT count(*) FROM USER_FIBYCOUNTRY_SETTINGS"),
                                         Bench.Count("SELECT count(*) FROM USER_EQCOUNTRY_COMPETITION_SETTINGS"),
                                         Bench.Count("SELECT count(*) FROM USER_FI_COMPETITION_SETTINGS")};
    EXPECT_EQ(rows, c.Rows) << c.Selector;
  }
  // A save that writes nothing (no country rows) or fails in the engine is a failure.
  usMyExternUserSettings.CountrySettings.clear();
  EXPECT_NE(Bench.Run(8, 3).ErrorText, "");
  Bench.Db.Connection().Exec("DROP TABLE USER_DATE_SETTINGS");
  EXPECT_NE(Bench.Run(8, 0).ErrorText, "");
}

TEST_F(SettingsStepTest, LoadingStartsFromTheDefaultsAndTakesAStoredStartDate) {
  const TUserSettings defaults = [] {
    TUserSettings s = BuildDefaultUserSettings(vcMyExternCountryList);
    s.EndDate = GetEquityIndexDateBound(vcMyExternCountryList, true, true);
    return s;
  }();
  struct TCase {
    double StoredStart;  // 0: none stored
    double Expected;
    bool Warned;  // a start date no series can hold is dropped with a warning
  };
  for (const TCase& c : std::vector<TCase>{{0.0, defaults.InceptionDate, false},
                                           {kMissingDate, defaults.InceptionDate, false},
                                           {EncodeDate(2010, 5, 31), EncodeDate(2010, 5, 31), false},
                                           {1e15, defaults.InceptionDate, true},
                                           {1.0, defaults.InceptionDate, true}}) {
    Bench.Db.Connection().Exec("DELETE FROM USER_DATE_SETTINGS");
    if (c.StoredStart != 0.0) {
      ASSERT_TRUE(Bench.Db.SaveUserDateSettings(c.StoredStart));
    }
    Bench.Reporter.Texts.clear();
    const session::TUpdateStep step = Bench.Run(7);
    EXPECT_EQ(step.ErrorText, "");
    TUserSettings expected = defaults;
    expected.InceptionDate = c.Expected;
    EXPECT_EQ(usMyExternUserSettings, expected) << c.StoredStart;
    EXPECT_EQ(Bench.Context.WarningText, c.Warned
                                             ? Bench.Db.DatabasePath() +
                                                   ": values out of range or not numbers were taken into their ranges "
                                                   "(USER_DATE_SETTINGS.INCEPTIONDATE)"
                                             : "")
        << c.StoredStart;
    EXPECT_EQ(Bench.Reporter.Texts,
              (std::vector<std::string>{"12%", "25%", "37%", "50%", "62%", "75%", "87%", "100%"}));
  }
  // A settings table that cannot be read fails the step.
  Bench.Db.Connection().Exec("DROP TABLE USER_FI_COMPETITION_SETTINGS");
  EXPECT_NE(Bench.Run(7).ErrorText, "");
}

// A settings file holding values the pages cannot show (out of range, texts)
// loads them into the pages' ranges, with one warning naming the file and
// the columns; values at the ends of their ranges stay and warn nothing.
TEST_F(SettingsStepTest, ValuesOutOfRangeOrNotNumbersAreTakenIntoTheirRanges) {
  const TUserSettings defaults = BuildDefaultUserSettings(vcMyExternCountryList);
  ASSERT_TRUE(Bench.Db.SaveUserSettings(defaults, 1));
  ASSERT_TRUE(Bench.Db.SaveUserSettings(defaults, 2));
  ASSERT_TRUE(Bench.Db.SaveUserSettings(defaults, 4));
  struct TCase {
    const char* Sql;  // run on the saved defaults
    std::function<double(const TUserSettings&)> Field;
    double Expected;
    const char* Column;  // nullptr: no warning
  };
  const std::vector<TCase> cases{
      {"UPDATE USER_EQBYCOUNTRY_SETTINGS SET WEIGHT=250", [](auto& s) { return s.CountrySettings[0].EqWeight; }, 100.0,
       "USER_EQBYCOUNTRY_SETTINGS.WEIGHT"},
      {"UPDATE USER_EQBYCOUNTRY_SETTINGS SET TRANSACTIONCOST='abc'",
       [](auto& s) { return s.CountrySettings[1].EqTransactionCost; }, 0.0,
       "USER_EQBYCOUNTRY_SETTINGS.TRANSACTIONCOST"},
      {"UPDATE USER_EQBYCOUNTRY_SETTINGS SET FXSWAPBORROWINGCOST='2,5'",  // a decimal comma reads as a number
       [](auto& s) { return s.CountrySettings[0].EqFxSwapBorrowingCost; }, 2.5, nullptr},
      {"UPDATE USER_FIBYCOUNTRY_SETTINGS SET WEIGHT=-3", [](auto& s) { return s.CountrySettings[0].FiWeight; }, 0.0,
       "USER_FIBYCOUNTRY_SETTINGS.WEIGHT"},
      {"UPDATE USER_CYBYCOUNTRY_SETTINGS SET WEIGHT=100", [](auto& s) { return s.CountrySettings[0].CyWeight; }, 100.0,
       nullptr},
      {"UPDATE USER_EQCOUNTRY_COMPETITION_SETTINGS SET COUNTRYRANKINGCRITERIA=0.01",
       [](auto& s) { return s.CountryRankingCriteria[0]; }, 0.05,
       "USER_EQCOUNTRY_COMPETITION_SETTINGS.COUNTRYRANKINGCRITERIA"},
      {"UPDATE USER_FICOUNTRY_COMPETITION_SETTINGS SET COUNTRYRANKINGCRITERIA=7",
       [](auto& s) { return s.CountryRankingCriteria[1]; }, 1.0,
       "USER_FICOUNTRY_COMPETITION_SETTINGS.COUNTRYRANKINGCRITERIA"},
      {"UPDATE USER_CYCOUNTRY_COMPETITION_SETTINGS SET COUNTRYRANKINGCRITERIA=0.05",
       [](auto& s) { return s.CountryRankingCriteria[2]; }, 0.05, nullptr},
      {"UPDATE USER_FI_COMPETITION_SETTINGS SET MAXGOLDALLOCATION='lots'", [](auto& s) { return s.MaxGoldAllocation; },
       0.0, "USER_FI_COMPETITION_SETTINGS.MAXGOLDALLOCATION"},
      {"UPDATE USER_FI_COMPETITION_SETTINGS SET MAXFXRISKALLOCATION=1e300",
       [](auto& s) { return s.MaxFxRiskAllocation; }, 100.0, "USER_FI_COMPETITION_SETTINGS.MAXFXRISKALLOCATION"},
      {"UPDATE USER_GLOBALPORTFOLIO_SETTINGS SET MAXEQVSFIALLOCATION=40, MINEQVSFIALLOCATION=60",
       [](auto& s) { return s.MinEqVsFiAllocation; }, 40.0, "USER_GLOBALPORTFOLIO_SETTINGS.MINEQVSFIALLOCATION"},
      {"UPDATE USER_GLOBALPORTFOLIO_SETTINGS SET QVTRUSTLEVEL=-5", [](auto& s) { return s.QVTrustLevel; }, 0.0,
       "USER_GLOBALPORTFOLIO_SETTINGS.QVTRUSTLEVEL"},
      {"UPDATE USER_GLOBALPORTFOLIO_SETTINGS SET SLTRUSTLEVEL=X'00'", [](auto& s) { return s.SLTrustLevel; }, 0.0,
       "USER_GLOBALPORTFOLIO_SETTINGS.SLTRUSTLEVEL"},
  };
  const std::string file = Bench.Db.DatabasePath();
  for (const TCase& c : cases) {
    Bench.Db.Connection().Exec("SAVEPOINT one_case");
    Bench.Db.Connection().Exec(c.Sql);
    const session::TUpdateStep step = Bench.Run(7);
    Bench.Db.Connection().Exec("ROLLBACK TO one_case; RELEASE one_case");
    EXPECT_EQ(step.ErrorText, "") << c.Sql;
    EXPECT_EQ(c.Field(usMyExternUserSettings), c.Expected) << c.Sql;
    EXPECT_EQ(Bench.Context.WarningText,
              c.Column == nullptr
                  ? ""
                  : file + ": values out of range or not numbers were taken into their ranges (" + c.Column + ")")
        << c.Sql;
  }
  // Several at once: one line, each column once, in the order of the pages.
  Bench.Db.Connection().Exec(
      "UPDATE USER_EQBYCOUNTRY_SETTINGS SET WEIGHT=-1; UPDATE USER_GLOBALPORTFOLIO_SETTINGS SET BLTRUSTLEVEL=101");
  EXPECT_EQ(Bench.Run(7).ErrorText, "");
  EXPECT_EQ(Bench.Context.WarningText,
            file +
                ": values out of range or not numbers were taken into their ranges "
                "(USER_EQBYCOUNTRY_SETTINGS.WEIGHT, USER_GLOBALPORTFOLIO_SETTINGS.BLTRUSTLEVEL)");
}

}  // namespace
