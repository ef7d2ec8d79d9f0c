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

  static const TCountrySettings& Row(const TUserSettings& settings, const std::string& name) {
    for (const TCountrySettings& row : settings.CountrySettings)
      if (row.CountryName == name) return row;
    throw std::runtime_error("no row " + name);
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

TEST_F(DefaultSettingsTest, RowsOfNamedCountries) {
  const TUserSettings settings = BuildDefaultUserSettings(FortyCountries());
  struct Case {
    const char* Name;
    double Fi;
    double FiCost;
  };
  const Case cases[] = {
      {"Euro Area", 0.0, 0.1},        {"South Africa", 100.0 / 28.0, 0.7},
      {"USA", 100.0 / 28.0, 0.1},     {"United Kingdom", 100.0 / 28.0, 0.1},
      {"Russia", 0.0, 0.1},           {"Brazil", 100.0 / 28.0, 0.7},
      {"Germany", 100.0 / 28.0, 0.1}, {"France", 0.0, 0.1},
      {"Turkey", 100.0 / 28.0, 0.7},
  };
  for (const Case& c : cases) {
    const TCountrySettings& row = Row(settings, c.Name);
    EXPECT_DOUBLE_EQ(row.EqWeight, 2.5) << c.Name;
    EXPECT_DOUBLE_EQ(row.FiWeight, c.Fi) << c.Name;
    EXPECT_DOUBLE_EQ(row.CyWeight, c.Fi) << c.Name;
    EXPECT_DOUBLE_EQ(row.FiTransactionCost, c.FiCost) << c.Name;
  }
  EXPECT_DOUBLE_EQ(Row(settings, "South Africa").FiWeight, 3.571428571428571);
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
