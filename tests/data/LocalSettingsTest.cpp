// The local settings file: readers, writers and save selectors (its schema is tested with the market-data file's).

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "common/DefaultSettings.h"
#include "common/TextHelpers.h"
#include "data/DataFixtures.h"

namespace {

using Counts = std::vector<std::int64_t>;

// Weights and costs base + 0.1 .. base + 0.6 in field order.
TCountrySettings CountryRow(const std::string& name, int rank, double base) {
  return TCountrySettings{
      name, "Region " + std::to_string(rank), base + 0.1, base + 0.2, base + 0.3, base + 0.4, base + 0.5, base + 0.6,
      rank};
}

TUserSettings Settings() {
  TUserSettings settings;
  settings.PortfolioCcy = "EUR";
  settings.RiskFreeId = "RISKFREEASSET1";
  settings.MaxEqVsFiAllocation = 80.0;
  settings.MinEqVsFiAllocation = 20.0;
  settings.QVTrustLevel = 50.0;
  settings.BLTrustLevel = 40.0;
  settings.SLTrustLevel = 30.0;
  settings.FxHedging = true;
  settings.CountrySettings = {CountryRow("France", 1, 1.0), CountryRow("United Kingdom", 2, 2.0),
                              CountryRow("USA", 3, 3.0)};
  settings.CountryRankingCriteria = {0.5, 0.4, 0.3};
  settings.MaxGoldAllocation = 10.0;
  settings.MaxTipsAllocation = 15.0;
  settings.MaxFxRiskAllocation = 25.0;
  settings.InceptionDate = 36000.0;
  return settings;
}

using LocalSettingsTest = OpenDbTest<kSettingsDatabase>;

TEST_F(LocalSettingsTest, SchemaCreationIsIdempotent) {
  ASSERT_TRUE(Db.SaveUserSettings(Settings(), 2));
  EXPECT_TRUE(Db.CreateUserSettingsTables());
  EXPECT_EQ(Db.LastMessage, "");
  EXPECT_EQ(RowCount("USER_GLOBALPORTFOLIO_SETTINGS"), 1);
}

TEST_F(LocalSettingsTest, EmptyTablesGiveTheDefaults) {
  const TUserSettings defaults = Settings();
  EXPECT_EQ(Db.LoadUserDateSettings(), kMissingDate);
  EXPECT_EQ(Db.LoadUserGlobalPortfolioSettings(defaults), defaults);
  for (int assetClass = 0; assetClass < 3; ++assetClass) {
    EXPECT_EQ(Db.LoadUserCountrySettings(defaults.CountrySettings, assetClass), defaults.CountrySettings);
    EXPECT_EQ(Db.LoadUserCountryCompetitionSettings(defaults.CountryRankingCriteria, assetClass),
              defaults.CountryRankingCriteria);
  }
  const TSettingsTriple limits{1.0, 2.0, 3.0};
  EXPECT_EQ(Db.LoadUserFICompetitionSettings(limits), limits);
}

TEST_F(LocalSettingsTest, GlobalPortfolioValuesRoundTrip) {
  TUserSettings values = Settings();
  values.FxHedging = false;
  ASSERT_TRUE(Db.SaveUserGlobalPortfolioSettings(values));
  EXPECT_EQ(Count("SELECT FXHEDGING FROM USER_GLOBALPORTFOLIO_SETTINGS"), 0);
  // Only the eight global-portfolio values come from the table.
  TUserSettings current;
  current.CountrySettings = {CountryRow("Japan", 1, 0.0)};
  current.MaxGoldAllocation = 3.0;
  current.InceptionDate = 1234.0;
  TUserSettings expected = values;
  expected.CountrySettings = current.CountrySettings;
  expected.CountryRankingCriteria = current.CountryRankingCriteria;
  expected.MaxGoldAllocation = 3.0;
  expected.MaxTipsAllocation = expected.MaxFxRiskAllocation = 0.0;
  expected.InceptionDate = 1234.0;
  EXPECT_EQ(Db.LoadUserGlobalPortfolioSettings(current), expected);
  // Any value other than 0 means hedging.
  Db.Connection().Exec("UPDATE USER_GLOBALPORTFOLIO_SETTINGS SET FXHEDGING=5");
  EXPECT_TRUE(Db.LoadUserGlobalPortfolioSettings(TUserSettings{}).FxHedging);
  // A second save edits the one row.
  values.PortfolioCcy = "USD";
  ASSERT_TRUE(Db.SaveUserSettings(values, 2));
  EXPECT_EQ(RowCounts({"USER_GLOBALPORTFOLIO_SETTINGS", "USER_EQBYCOUNTRY_SETTINGS"}), (Counts{1, 0}));
  EXPECT_EQ(Db.LoadUserGlobalPortfolioSettings(TUserSettings{}).PortfolioCcy, "USD");
}

TEST_F(LocalSettingsTest, EquitySelectorAppendsThenEdits) {
  TUserSettings settings = Settings();
  for (const int selector : {3, 1, 5}) {
    ASSERT_TRUE(Db.SaveUserSettings(settings, selector)) << selector;
    EXPECT_EQ(RowCounts({"USER_EQBYCOUNTRY_SETTINGS", "USER_EQCOUNTRY_COMPETITION_SETTINGS"}), (Counts{3, 1}));
  }
  // Rows in list order, names upper-cased; only the equity tables are written.
  EXPECT_EQ(Query("SELECT COUNTRYNAME,WEIGHT,FXSWAPBORROWINGCOST FROM USER_EQBYCOUNTRY_SETTINGS"),
            (std::vector<std::string>{"FRANCE|1.1|1.6", "UNITED KINGDOM|2.1|2.6", "USA|3.1|3.6"}));
  EXPECT_EQ(
      RowCounts({"USER_FIBYCOUNTRY_SETTINGS", "USER_FICOUNTRY_COMPETITION_SETTINGS", "USER_GLOBALPORTFOLIO_SETTINGS"}),
      (Counts{0, 0, 0}));

  // Loading over other defaults restores the equity columns only.
  std::vector<TCountrySettings> defaults = settings.CountrySettings;
  for (auto& row : defaults) {
    row.CountryName = UpperCaseText(row.CountryName);
    row.EqWeight = row.FiWeight = row.CyWeight = 0.0;
    row.EqTransactionCost = row.FiTransactionCost = row.EqFxSwapBorrowingCost = 0.0;
  }
  const auto loaded = Db.LoadUserCountrySettings(defaults, sacEquity);
  ASSERT_EQ(loaded.size(), 3u);
  EXPECT_EQ(loaded[2].CountryName, "USA");
  TCountrySettings expected = defaults[1];
  expected.CountryName = "United Kingdom";
  expected.EqWeight = 2.1;
  expected.EqTransactionCost = 2.4;
  expected.EqFxSwapBorrowingCost = 2.6;
  EXPECT_EQ(loaded[1], expected);
  EXPECT_EQ(Db.LoadUserCountryCompetitionSettings({9.0, 9.0, 9.0}, sacEquity), (TSettingsTriple{0.5, 9.0, 9.0}));
}

TEST_F(LocalSettingsTest, BondSelectorWritesItsTablesAndTheSwapCosts) {
  TUserSettings settings = Settings();
  ASSERT_TRUE(Db.SaveUserSettings(settings, 3));
  // The bond group changes the swap costs and its own values; the equity weights it leaves alone.
  for (auto& row : settings.CountrySettings) {
    row.EqFxSwapBorrowingCost += 10.0;
    row.EqWeight = 99.0;
  }
  settings.CountryRankingCriteria = {0.9, 0.8, 0.7};
  ASSERT_TRUE(Db.SaveUserSettings(settings, 4));
  EXPECT_EQ(RowCounts({"USER_FIBYCOUNTRY_SETTINGS", "USER_CYBYCOUNTRY_SETTINGS", "USER_FI_COMPETITION_SETTINGS"}),
            (Counts{3, 3, 1}));
  EXPECT_EQ(Db.LoadUserFICompetitionSettings({0.0, 0.0, 0.0}), (TSettingsTriple{10.0, 15.0, 25.0}));
  EXPECT_EQ(Db.LoadUserCountryCompetitionSettings({0.0, 0.0, 0.0}, sacFixedIncome), (TSettingsTriple{0.0, 0.8, 0.0}));
  EXPECT_EQ(Db.LoadUserCountryCompetitionSettings({0.0, 0.0, 0.0}, sacCurrency), (TSettingsTriple{0.0, 0.0, 0.7}));
  EXPECT_EQ(Db.LoadUserCountryCompetitionSettings({0.0, 0.0, 0.0}, sacEquity), (TSettingsTriple{0.5, 0.0, 0.0}));
  const auto equity = Db.LoadUserCountrySettings(Settings().CountrySettings, sacEquity);
  EXPECT_DOUBLE_EQ(equity[0].EqFxSwapBorrowingCost, 11.6);
  EXPECT_DOUBLE_EQ(equity[0].EqWeight, 1.1);
  std::vector<TCountrySettings> zero = Settings().CountrySettings;
  for (auto& row : zero) row.CyWeight = 0.0;
  const auto currency = Db.LoadUserCountrySettings(zero, sacCurrency);
  EXPECT_EQ(currency[2].CountryName, "USA");
  EXPECT_DOUBLE_EQ(currency[2].CyWeight, 3.3);
}

// Everything a start loads from the file over the given defaults.
TUserSettings LoadAll(TLocalQuorvaneDB& db, const TUserSettings& defaults) {
  TUserSettings s = db.LoadUserGlobalPortfolioSettings(defaults);
  for (int assetClass = 0; assetClass < 3; ++assetClass) {
    s.CountrySettings = db.LoadUserCountrySettings(s.CountrySettings, assetClass);
    s.CountryRankingCriteria = db.LoadUserCountryCompetitionSettings(s.CountryRankingCriteria, assetClass);
  }
  s.MaxGoldAllocation = db.LoadUserFICompetitionSettings({s.MaxGoldAllocation, 0.0, 0.0})[0];
  if (const double date = db.LoadUserDateSettings(); date != kMissingDate) s.InceptionDate = date;
  return s;
}

// One group's values as text: 0 the start date, 2 the global values, 3 the
// equity values but the swap costs, 4 the bond values, 5 the swap costs
// (which both the equity and the bond group edit).
std::string GroupValues(const TUserSettings& s, int group) {
  std::ostringstream out;
  if (group == 0) out << s.InceptionDate;
  if (group == 2) out << s.PortfolioCcy << ' ' << s.MaxEqVsFiAllocation << ' ' << s.QVTrustLevel;
  if (group == 3) out << s.CountryRankingCriteria[0];
  if (group == 4)
    out << s.CountryRankingCriteria[1] << ' ' << s.CountryRankingCriteria[2] << ' ' << s.MaxGoldAllocation;
  for (const TCountrySettings& row : s.CountrySettings) {
    if (group == 3) out << '|' << row.EqWeight << ' ' << row.EqTransactionCost;
    if (group == 4) out << '|' << row.FiWeight << ' ' << row.FiTransactionCost << ' ' << row.CyWeight;
    if (group == 5) out << '|' << row.EqFxSwapBorrowingCost;
  }
  return out.str();
}

// A save writes its own group only: the other groups load as stored, or at
// their defaults on a file without their rows, never as applied in memory
// (the bond group creating the equity rows for its swap costs included).
TEST_F(LocalSettingsTest, EachGroupSaveWritesOnlyItsGroup) {
  const TUserSettings stored = Settings();
  TUserSettings defaults = Settings();
  std::vector<TCountry> countries(3);
  for (std::size_t i = 0; i < 3; ++i) countries[i].Name = stored.CountrySettings[i].CountryName;
  defaults.CountrySettings = BuildDefaultUserSettings(countries).CountrySettings;
  TUserSettings applied = Settings();  // every group's values changed, none saved
  applied.PortfolioCcy = "JPY";
  for (TCountrySettings& row : applied.CountrySettings)
    for (double* value : {&row.EqWeight, &row.FiWeight, &row.CyWeight, &row.EqTransactionCost, &row.FiTransactionCost,
                          &row.EqFxSwapBorrowingCost})
      *value += 50.0;
  applied.CountryRankingCriteria = {0.9, 0.8, 0.7};
  applied.MaxGoldAllocation = 1.0;
  applied.InceptionDate = 40000.0;
  for (const bool otherRows : {false, true}) {
    for (const int selector : {0, 2, 3, 4}) {
      for (const std::string& table : Query("SELECT name FROM sqlite_master WHERE type='table'"))
        Db.Connection().Exec("DELETE FROM " + table);
      for (const int other : {0, 2, 3, 4}) {
        if (otherRows && other != selector) {
          ASSERT_TRUE(Db.SaveUserSettings(stored, other));
        }
      }
      ASSERT_TRUE(Db.SaveUserSettings(applied, selector));
      const TUserSettings loaded = LoadAll(Db, defaults);
      for (const int group : {0, 2, 3, 4, 5}) {
        const bool saved = group == selector || (group == 5 && selector >= 3);
        const TUserSettings& before = otherRows ? stored : defaults;
        EXPECT_EQ(GroupValues(loaded, group), GroupValues(saved ? applied : before, group))
            << "selector " << selector << ", group " << group << (otherRows ? ", other rows" : "");
      }
    }
  }
  // Stored rows of other countries: a load takes the equity defaults for
  // every country, and the bond group writes them when it writes the rows anew.
  Db.Connection().Exec("UPDATE USER_EQBYCOUNTRY_SETTINGS SET COUNTRYNAME='SPAIN' WHERE COUNTRYNAME='USA'");
  ASSERT_TRUE(Db.SaveUserSettings(applied, 4));
  EXPECT_EQ(Query("SELECT COUNTRYNAME,WEIGHT,TRANSACTIONCOST,FXSWAPBORROWINGCOST FROM USER_EQBYCOUNTRY_SETTINGS"),
            (std::vector<std::string>{"FRANCE|2.5|0.1|51.6", "UNITED KINGDOM|2.5|0.1|52.6", "USA|2.5|0.1|53.6"}));
}

TEST_F(LocalSettingsTest, CurrencyLoadChangesOnlyItsColumns) {
  ASSERT_TRUE(Db.SaveUserCountrySettings(Settings().CountrySettings, sacCurrency));
  std::vector<TCountrySettings> defaults = Settings().CountrySettings;
  for (auto& row : defaults) {
    row.RegionName = "old";
    row.CyWeight = -1.0;
  }
  const auto loaded = Db.LoadUserCountrySettings(defaults, sacCurrency);
  for (std::size_t i = 0; i < loaded.size(); ++i) {
    TCountrySettings expected = defaults[i];
    expected.RegionName = Settings().CountrySettings[i].RegionName;
    expected.CyWeight = Settings().CountrySettings[i].CyWeight;
    EXPECT_EQ(loaded[i], expected) << i;
  }
}

TEST_F(LocalSettingsTest, RowsAreMatchedByCountryName) {
  const TUserSettings settings = Settings();
  ASSERT_TRUE(Db.SaveUserCountrySettings(settings.CountrySettings, sacFixedIncome));
  // The list order changed: each country still gets its own values.
  std::vector<TCountrySettings> reordered{settings.CountrySettings[2], settings.CountrySettings[0],
                                          settings.CountrySettings[1]};
  for (auto& row : reordered) row.FiWeight = 0.0;
  const auto loaded = Db.LoadUserCountrySettings(reordered, sacFixedIncome);
  EXPECT_EQ(loaded[0].CountryName, "USA");
  EXPECT_DOUBLE_EQ(loaded[0].FiWeight, 3.2);
  EXPECT_DOUBLE_EQ(loaded[1].FiWeight, 1.2);
  // Saving the reordered rows updates each country's own row.
  reordered[0].FiWeight = 7.0;
  ASSERT_TRUE(Db.SaveUserCountrySettings(reordered, sacFixedIncome));
  EXPECT_EQ(RowCount("USER_FIBYCOUNTRY_SETTINGS"), 3);
  EXPECT_EQ(Query("SELECT WEIGHT FROM USER_FIBYCOUNTRY_SETTINGS WHERE COUNTRYNAME='USA'"),
            std::vector<std::string>{"7.0"});
}

TEST_F(LocalSettingsTest, OtherCountriesAreNotReadAndAreRewrittenOnSave) {
  const TUserSettings settings = Settings();
  ASSERT_TRUE(Db.SaveUserCountrySettings(settings.CountrySettings, sacFixedIncome));
  std::vector<TCountrySettings> more = settings.CountrySettings;
  more.push_back(CountryRow("Japan", 4, 4.0));
  for (auto& row : more) row.FiWeight = 0.5;
  // Four rows in the settings, three stored: the given rows come back unchanged.
  EXPECT_EQ(Db.LoadUserCountrySettings(more, sacFixedIncome), more);
  // The same count with another country is no match either.
  std::vector<TCountrySettings> swapped = settings.CountrySettings;
  swapped[0].CountryName = "Spain";
  EXPECT_EQ(Db.LoadUserCountrySettings(swapped, sacFixedIncome), swapped);
  // Saving rewrites the table with the new rows.
  ASSERT_TRUE(Db.SaveUserCountrySettings(more, sacFixedIncome));
  EXPECT_EQ(RowCount("USER_FIBYCOUNTRY_SETTINGS"), 4);
  EXPECT_EQ(Db.LoadUserCountrySettings(more, sacFixedIncome), more);
}

TEST_F(LocalSettingsTest, NothingToWriteIsReported) {
  EXPECT_FALSE(Db.SaveUserCountrySettings({}, sacEquity));
  TUserSettings settings = Settings();
  settings.CountrySettings.clear();
  EXPECT_FALSE(Db.SaveUserSettings(settings, 3));
  // The end date is never stored: selector 8 writes nothing and that is no failure.
  EXPECT_TRUE(Db.SaveUserSettings(Settings(), 8));
  EXPECT_EQ(RowCounts({"USER_DATE_SETTINGS", "USER_GLOBALPORTFOLIO_SETTINGS", "USER_EQBYCOUNTRY_SETTINGS",
                       "USER_FIBYCOUNTRY_SETTINGS", "USER_FI_COMPETITION_SETTINGS"}),
            (Counts{0, 0, 0, 0, 0}));
}

TEST_F(LocalSettingsTest, StartDateSelector) {
  ASSERT_TRUE(Db.SaveUserSettings(Settings(), 0));
  EXPECT_EQ(Db.LoadUserDateSettings(), 36000.0);
  ASSERT_TRUE(Db.SaveUserDateSettings(37000.0));
  EXPECT_EQ(Db.LoadUserDateSettings(), 37000.0);
  EXPECT_EQ(RowCounts({"USER_DATE_SETTINGS", "USER_EQBYCOUNTRY_SETTINGS"}), (Counts{1, 0}));
}

TEST_F(LocalSettingsTest, UnknownAssetClassOrMissingTableFails) {
  EXPECT_THROW(Db.LoadUserCountrySettings(Settings().CountrySettings, 3), platform::SqliteError);
  EXPECT_THROW(Db.SaveUserCountrySettings(Settings().CountrySettings, -1), platform::SqliteError);
  EXPECT_THROW(Db.LoadUserCountryCompetitionSettings({0.0, 0.0, 0.0}, 3), platform::SqliteError);
  EXPECT_THROW(Db.SaveUserCountryCompetitionSettings({0.0, 0.0, 0.0}, 5), platform::SqliteError);
  Db.Connection().Exec("DROP TABLE USER_DATE_SETTINGS");
  EXPECT_THROW(Db.LoadUserDateSettings(), platform::SqliteError);
  Db.Disconnect();
  EXPECT_THROW(Db.LoadUserFICompetitionSettings({0.0, 0.0, 0.0}), platform::SqliteError);
  EXPECT_THROW(Db.SaveUserSettings(Settings(), 2), platform::SqliteError);
}

TEST_F(LocalSettingsTest, FailedSelectorSaveUndoesEveryTable) {
  TUserSettings settings = Settings();
  ASSERT_TRUE(Db.SaveUserSettings(settings, 4));
  Db.Connection().Exec("DROP TABLE USER_CYCOUNTRY_COMPETITION_SETTINGS");
  for (auto& row : settings.CountrySettings) row.FiWeight = 42.0;
  settings.MaxGoldAllocation = 77.0;
  EXPECT_THROW(Db.SaveUserSettings(settings, 4), platform::SqliteError);
  EXPECT_NE(Db.LastMessage.find("no such table"), std::string::npos) << Db.LastMessage;
  EXPECT_EQ(Count("SELECT count(*) FROM USER_FIBYCOUNTRY_SETTINGS WHERE WEIGHT=42.0"), 0);
  EXPECT_EQ(Db.LoadUserFICompetitionSettings({0.0, 0.0, 0.0})[0], 10.0);
}

}  // namespace
