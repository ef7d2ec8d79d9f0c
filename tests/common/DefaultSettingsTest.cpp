#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "common/DefaultSettings.h"
#include "common/Globals.h"

namespace {

// The forty countries as the local database names them.
const char* const kFortyNames[] = {
    "Australia",      "Austria",  "Belgium",   "Brazil",         "Canada",      "Chile",   "China",
    "Czech Republic", "Denmark",  "Euro Area", "Finland",        "France",      "Germany", "Hong Kong",
    "Hungary",        "Iceland",  "India",     "Indonesia",      "Ireland",     "Italy",   "Japan",
    "Luxembourg",     "Malaysia", "Mexico",    "Netherlands",    "New Zealand", "Norway",  "Philippines",
    "Portugal",       "Russia",   "Singapore", "South Africa",   "South Korea", "Spain",   "Sweden",
    "Switzerland",    "Taiwan",   "Turkey",    "United Kingdom", "USA"};

class DefaultSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = vcMyExternCountryList; }
  void TearDown() override { vcMyExternCountryList = saved_; }

  static std::vector<TCountry> FortyCountries() {
    std::vector<TCountry> countries;
    int rank = 0;
    for (const char* name : kFortyNames) {
      TCountry country;
      country.Name = name;
      country.RegionName = "Region " + std::to_string(rank % 6);
      country.Rank = ++rank;
      countries.push_back(country);
    }
    return countries;
  }

 private:
  std::vector<TCountry> saved_;
};

TEST_F(DefaultSettingsTest, FortyCountriesGetWeightsThatTotalHundred) {
  const std::vector<TCountry> countries = FortyCountries();
  const TUserSettings settings = BuildDefaultUserSettings(countries);
  ASSERT_EQ(settings.CountrySettings.size(), 40u);
  double eq = 0.0, fi = 0.0, cy = 0.0;
  int fiCountries = 0, costlyBonds = 0;
  for (std::size_t i = 0; i < countries.size(); ++i) {
    const TCountrySettings& row = settings.CountrySettings[i];
    EXPECT_EQ(row.CountryName, countries[i].Name);
    EXPECT_EQ(row.RegionName, countries[i].RegionName);
    EXPECT_EQ(row.CountryRank, countries[i].Rank);
    EXPECT_EQ(row.EqWeight, 2.5) << row.CountryName;
    EXPECT_EQ(row.FiWeight, row.CyWeight) << row.CountryName;
    EXPECT_DOUBLE_EQ(row.EqTransactionCost, 0.1);
    EXPECT_DOUBLE_EQ(row.EqFxSwapBorrowingCost, 0.12);
    eq += row.EqWeight;
    fi += row.FiWeight;
    cy += row.CyWeight;
    if (row.FiWeight > 0.0) ++fiCountries;
    if (row.FiTransactionCost > 0.5) ++costlyBonds;
  }
  EXPECT_DOUBLE_EQ(eq, 100.0);
  EXPECT_NEAR(fi, 100.0, 1e-9);
  EXPECT_NEAR(cy, 100.0, 1e-9);
  EXPECT_EQ(fiCountries, 28);
  EXPECT_EQ(costlyBonds, 17);
}

// Every row of the forty countries: A = fixed-income and currency weight
// 1/28 (x 100), C = fixed-income transaction cost 7 x 0.1. Names as the local
// database spells them, ranks and regions made up so that copying shows.
TEST_F(DefaultSettingsTest, EveryRowOfTheFortyCountries) {
  struct Expected {
    const char* Name;
    bool GroupA;
    bool GroupC;
  };
  const Expected table[] = {
      {"Australia", true, false},    {"Austria", false, false},      {"Belgium", false, false},
      {"Brazil", true, true},        {"Canada", true, false},        {"Chile", true, true},
      {"China", true, true},         {"Czech Republic", true, true}, {"Denmark", true, false},
      {"Euro Area", false, false},   {"Finland", false, false},      {"France", false, false},
      {"Germany", true, false},      {"Hong Kong", true, true},      {"Hungary", true, true},
      {"Iceland", true, true},       {"India", true, true},          {"Indonesia", true, true},
      {"Ireland", false, false},     {"Italy", false, false},        {"Japan", true, false},
      {"Luxembourg", false, false},  {"Malaysia", true, true},       {"Mexico", true, true},
      {"Netherlands", false, false}, {"New Zealand", true, false},   {"Norway", true, false},
      {"Philippines", true, true},   {"Portugal", false, false},     {"Russia", false, false},
      {"Singapore", true, true},     {"South Africa", true, true},   {"South Korea", true, true},
      {"Spain", false, false},       {"Sweden", true, false},        {"Switzerland", true, false},
      {"Taiwan", true, true},        {"Turkey", true, true},         {"United Kingdom", true, false},
      {"USA", true, false},
  };
  std::vector<TCountry> countries;
  for (std::size_t i = 0; i < std::size(table); ++i) {
    TCountry country;
    country.Name = table[i].Name;
    country.RegionName = strRegionNameList[i % 6];
    country.Rank = static_cast<int>(40 - i);
    countries.push_back(country);
  }
  const TUserSettings settings = BuildDefaultUserSettings(countries);
  ASSERT_EQ(settings.CountrySettings.size(), std::size(table));
  for (std::size_t i = 0; i < std::size(table); ++i) {
    const double share = table[i].GroupA ? 3.571428571428571 : 0.0;    // (1 / 28) x 100
    const double fiCost = table[i].GroupC ? 0.7000000000000001 : 0.1;  // 7 x 0.1
    const TCountry& c = countries[i];
    const TCountrySettings expected{c.Name, c.RegionName, 2.5, share, share, 0.1, fiCost, 0.12, c.Rank};
    EXPECT_EQ(settings.CountrySettings[i], expected) << table[i].Name;
  }
  // Names are compared in upper case.
  countries.resize(1);
  countries[0].Name = "sOUTH aFRICA";
  EXPECT_EQ(BuildDefaultUserSettings(countries).CountrySettings[0].FiTransactionCost, 0.7000000000000001);
}

TEST_F(DefaultSettingsTest, UnknownCountryGetsNoWeights) {
  TCountry atlantis;
  atlantis.Name = "Atlantis";
  atlantis.RegionName = "Japan";
  atlantis.Rank = 7;
  const TUserSettings settings = BuildDefaultUserSettings({atlantis});
  const TCountrySettings expected{"Atlantis", "Japan", 0.0, 0.0, 0.0, 0.1, 0.1, 0.12, 7};
  EXPECT_EQ(settings.CountrySettings, std::vector<TCountrySettings>{expected});
}

TEST_F(DefaultSettingsTest, EmptyListGivesGlobalDefaults) {
  vcMyExternCountryList.clear();
  TUserSettings expected;
  expected.PortfolioCcy = "USD";
  expected.RiskFreeId = "N/A";
  expected.MaxEqVsFiAllocation = 100.0;
  expected.QVTrustLevel = expected.BLTrustLevel = expected.SLTrustLevel = 100.0;
  expected.FxHedging = true;
  expected.CountryRankingCriteria = {0.5, 0.5, 0.5};
  expected.MaxGoldAllocation = 10.0;
  expected.MaxTipsAllocation = 100.0;
  expected.MaxFxRiskAllocation = 15.0;
  expected.InceptionDate = expected.EndDate = 1000000.0;
  EXPECT_EQ(BuildDefaultUserSettings({}), expected);
}

TEST_F(DefaultSettingsTest, DatesComeFromEqIndexSeries) {
  std::vector<TCountry> countries(2);
  const double first[] = {100.0, 40.0};
  const double last[] = {500.0, 450.0};
  for (std::size_t i = 0; i < 2; ++i) {
    TAssetSeries index;
    index.ID = "EQINDEX";
    index.Series = {{first[i], 1.0}, {last[i], 2.0}};
    countries[i].IndexAssets.push_back(index);
  }
  const TUserSettings s = BuildDefaultUserSettings(countries);
  EXPECT_EQ(s.InceptionDate, 40.0);  // earliest first date
  EXPECT_EQ(s.EndDate, 450.0);       // earliest last date
}

TEST_F(DefaultSettingsTest, RiskFreeIdIsLastTenYearAsset) {
  TCountry first;
  for (const auto& [id, title] : {std::pair{"RISKFREEASSET2", "Usa 3M Rate"}, {"RISKFREEASSET1", "Usa 10Y Rate"}}) {
    TAssetSeries asset;
    asset.ID = id;
    asset.Title = title;
    first.RiskFreeAssets.push_back(asset);
  }
  vcMyExternCountryList = {first};
  EXPECT_EQ(BuildDefaultUserSettings({}).RiskFreeId, "RISKFREEASSET1");

  TAssetSeries later;
  later.ID = "RISKFREEASSET3";
  later.Title = "Usa 10y Linker";
  vcMyExternCountryList[0].RiskFreeAssets.push_back(later);
  EXPECT_EQ(BuildDefaultUserSettings({}).RiskFreeId, "RISKFREEASSET3");  // the last match wins

  vcMyExternCountryList[0].RiskFreeAssets.resize(1);
  EXPECT_EQ(BuildDefaultUserSettings({}).RiskFreeId, "N/A");
}

}  // namespace
