#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/CountryHelpers.h"
#include "common/Globals.h"

namespace {

// Keeps the global country list of each test apart.
class CountryHelpersTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = vcMyExternCountryList; }
  void TearDown() override { vcMyExternCountryList = saved_; }

  static TCountry Country(const std::string& name, const std::string& currency, std::size_t fxPoints) {
    TCountry country;
    country.Name = name;
    country.Currency = currency;
    if (fxPoints > 0) {
      TAssetSeries fx;
      fx.ID = "SPOTFX";
      fx.Series.assign(fxPoints, TDataPoint{1.0, 1.0});
      country.SpotFxAssets.push_back(fx);
    }
    return country;
  }

 private:
  std::vector<TCountry> saved_;
};

TEST(ProperCaseTest, ProperCaseName) {
  const std::pair<std::string, std::string> cases[] = {
      {"NEW ZEALAND", "New Zealand"},
      {"10y rate", "10Y Rate"},
      {"SOUTH AFRICA 2", "South Africa 2"},
      {"usd libor 3m", "Usd Libor 3M"},
      {"a b", "A B"},
      {"x", "X"},
      {"", ""},
      {"  lead", "  Lead"},
      {"CÔTE D'IVOIRE", "Côte D'ivoire"},
      {"ÉCOLE ÉTÉ", "École Été"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ProperCaseName(text), expected) << text;
}

TEST(ProperCaseTest, ProperCaseCountryName) {
  const std::pair<std::string, std::string> cases[] = {
      {"usa", "usa"},
      {"USA", "USA"},
      {"Uk", "Uk"},
      {"USD LIBOR 3M", "USD Libor 3M"},
      {"USD USD", "USD Usd"},  // only the first occurrence
      {"SOUTH KOREA", "South Korea"},
      {"USAID", "Usaid"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ProperCaseCountryName(text), expected) << text;
}

TEST_F(CountryHelpersTest, TranslateAssetName) {
  EXPECT_EQ(TranslateAssetName("EQINDEX", 0, true), "");  // empty list
  TCountry first;
  TAssetSeries index;
  index.ID = "EQINDEX";
  index.Title = "Equity Index";
  first.IndexAssets.push_back(index);
  TAssetSeries riskFree;
  riskFree.ID = "RISKFREEASSET1";
  riskFree.Title = "10Y Gov Bond";
  first.RiskFreeAssets.push_back(riskFree);
  first.SpotFxAssets.push_back(index);
  TCountry second = first;
  second.IndexAssets[0].Title = "Other Title";
  vcMyExternCountryList = {first, second};

  EXPECT_EQ(TranslateAssetName("EQINDEX", 0, true), "Equity Index");
  EXPECT_EQ(TranslateAssetName("Equity Index", 0, false), "EQINDEX");
  EXPECT_EQ(TranslateAssetName("10Y Gov Bond", 1, false), "RISKFREEASSET1");
  EXPECT_EQ(TranslateAssetName("EQINDEX", 1, true), "");
  EXPECT_EQ(TranslateAssetName("eqindex", 0, true), "");  // exact comparison
  EXPECT_EQ(TranslateAssetName("EQINDEX", 4, true), "");  // spot assets are not searched
  EXPECT_EQ(TranslateAssetName("EQINDEX", -1, true), "");
  EXPECT_EQ(TranslateAssetName("Other Title", 0, false), "");  // only the first country counts
}

TEST(SortCountryListTest, FortyCountriesInDisplayOrder) {
  std::vector<TCountry> stored(40);
  for (int i = 0; i < 40; ++i) {
    stored[static_cast<std::size_t>(i)].Name = "C" + std::to_string(i + 1);
    stored[static_cast<std::size_t>(i)].RegionName = "stored region";
    stored[static_cast<std::size_t>(i)].RegionRank = 9;
  }
  const std::vector<TCountry> sorted = SortCountryList(stored);
  ASSERT_EQ(sorted.size(), 40u);

  // Display place (1-based) -> stored position (1-based), from the display table.
  const std::pair<int, int> places[] = {{1, 1},   {20, 20}, {21, 35}, {22, 36}, {23, 33}, {24, 22},
                                        {29, 40}, {30, 21}, {31, 24}, {39, 32}, {40, 34}};
  for (const auto& [place, source] : places)
    EXPECT_EQ(sorted[static_cast<std::size_t>(place - 1)].Name, "C" + std::to_string(source)) << place;

  std::set<std::string> names;
  std::vector<int> perRegion(7, 0);
  for (std::size_t p = 0; p < sorted.size(); ++p) {
    names.insert(sorted[p].Name);
    EXPECT_EQ(sorted[p].Rank, static_cast<int>(p + 1));
    ASSERT_GE(sorted[p].RegionRank, 1);
    ASSERT_LE(sorted[p].RegionRank, 6);
    EXPECT_EQ(sorted[p].RegionName, strRegionNameList[static_cast<std::size_t>(sorted[p].RegionRank - 1)]);
    ++perRegion[static_cast<std::size_t>(sorted[p].RegionRank)];
  }
  EXPECT_EQ(names.size(), 40u);  // every stored country appears once
  EXPECT_EQ(perRegion, (std::vector<int>{0, 2, 12, 8, 7, 1, 10}));
  EXPECT_EQ(sorted[29].RegionName, "Japan");
  EXPECT_EQ(sorted[29].RegionRank, 5);
}

TEST(SortCountryListTest, OtherLengthsAreLeftAsTheyAre) {
  EXPECT_TRUE(SortCountryList({}).empty());
  std::vector<TCountry> shortList(39);
  shortList[0].Name = "First";
  EXPECT_EQ(SortCountryList(shortList)[0].Name, "First");
}

TEST(CountryCodesTest, DisplayIndexRegionAndIsoCodes) {
  EXPECT_EQ(GetCountryDisplayIndex(-1), -1);
  EXPECT_EQ(GetCountryDisplayIndex(40), -1);
  EXPECT_EQ(GetCountryDisplayIndex(0), 0);
  EXPECT_EQ(GetCountryDisplayIndex(20), 34);
  EXPECT_EQ(GetCountryDisplayIndex(29), 20);
  EXPECT_EQ(GetCountryDisplayIndex(39), 33);

  EXPECT_EQ(GetRegionCode("developing asia"), "DAS");
  EXPECT_EQ(GetRegionCode("North America"), "NAM");
  EXPECT_EQ(GetRegionCode("EUROPE (NON EURO)"), "NEUR");
  EXPECT_EQ(GetRegionCode("Europe"), "");

  EXPECT_EQ(GetCountryIsoCode("Euro Area"), "EUR");
  EXPECT_EQ(GetCountryIsoCode("united kingdom"), "GB");
  EXPECT_EQ(GetCountryIsoCode("South Africa"), "ZA");
  EXPECT_EQ(GetCountryIsoCode("SWITZERLAND"), "CH");
  EXPECT_EQ(GetCountryIsoCode("Atlantis"), "");
  EXPECT_EQ(GetCountryIsoCode(""), "");
}

// The forty names and codes, column by column as the reference table lists them.
TEST(CountryCodesTest, EveryIsoCodeOfTheFortyCountries) {
  const std::pair<const char*, const char*> table[] = {
      {"AUSTRALIA", "AU"},   {"AUSTRIA", "AT"},        {"BELGIUM", "BE"},     {"BRAZIL", "BR"},
      {"CANADA", "CA"},      {"CHILE", "CL"},          {"CHINA", "CN"},       {"CZECH REPUBLIC", "CZ"},
      {"DENMARK", "DK"},     {"UNITED KINGDOM", "GB"}, {"EURO AREA", "EUR"},  {"FINLAND", "FI"},
      {"FRANCE", "FR"},      {"GERMANY", "DE"},        {"HONG KONG", "HK"},   {"HUNGARY", "HU"},
      {"ICELAND", "IS"},     {"INDIA", "IN"},          {"INDONESIA", "ID"},   {"IRELAND", "IE"},
      {"ITALY", "IT"},       {"JAPAN", "JP"},          {"LUXEMBOURG", "LU"},  {"MALAYSIA", "MY"},
      {"MEXICO", "MX"},      {"NETHERLANDS", "NL"},    {"NEW ZEALAND", "NZ"}, {"NORWAY", "NO"},
      {"PHILIPPINES", "PH"}, {"TURKEY", "TR"},         {"PORTUGAL", "PT"},    {"RUSSIA", "RU"},
      {"SINGAPORE", "SG"},   {"SOUTH AFRICA", "ZA"},   {"SOUTH KOREA", "KR"}, {"SPAIN", "ES"},
      {"SWEDEN", "SE"},      {"SWITZERLAND", "CH"},    {"TAIWAN", "TW"},      {"USA", "US"},
  };
  std::set<std::string> names;
  for (const auto& [name, code] : table) {
    EXPECT_EQ(GetCountryIsoCode(name), code) << name;
    names.insert(name);
  }
  // The table behind the lookup holds exactly these forty names.
  ASSERT_EQ(kCountryCodes.size(), 40u);
  for (const TCountryCode& entry : kCountryCodes) EXPECT_EQ(names.count(entry.Name), 1u) << entry.Name;
}

TEST(SortCountryListTest, EveryPlaceWithItsSourceAndRegion) {
  // Place p (1-based) shows the stored country at source position kSource[p - 1] (1-based), in region kRegion[p - 1].
  const int kSource[40] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                           35, 36, 33, 22, 23, 37, 38, 39, 40, 21, 24, 25, 26, 27, 28, 29, 30, 31, 32, 34};
  const int kRegion[40] = {1, 1, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 3, 3, 3, 3, 3, 3,
                           3, 3, 4, 4, 4, 4, 4, 4, 4, 5, 6, 6, 6, 6, 6, 6, 6, 6, 6, 6};
  std::vector<TCountry> stored(40);
  for (int i = 0; i < 40; ++i) stored[static_cast<std::size_t>(i)].Name = "C" + std::to_string(i + 1);
  const std::vector<TCountry> sorted = SortCountryList(stored);
  ASSERT_EQ(sorted.size(), 40u);
  for (int p = 0; p < 40; ++p) {
    const TCountry& country = sorted[static_cast<std::size_t>(p)];
    EXPECT_EQ(GetCountryDisplayIndex(p), kSource[p] - 1) << p;
    EXPECT_EQ(country.Name, "C" + std::to_string(kSource[p])) << p;
    EXPECT_EQ(country.RegionRank, kRegion[p]) << p;
    EXPECT_EQ(country.RegionName, strRegionNameList[static_cast<std::size_t>(kRegion[p] - 1)]) << p;
  }
}

TEST_F(CountryHelpersTest, CountryCurrencyTakesLastExactMatch) {
  EXPECT_EQ(GetCountryCurrency("France"), "");
  vcMyExternCountryList = {Country("France", "EUR", 0), Country("Japan", "JPY", 0), Country("France", "FRF", 0)};
  EXPECT_EQ(GetCountryCurrency("France"), "FRF");
  EXPECT_EQ(GetCountryCurrency("Japan"), "JPY");
  EXPECT_EQ(GetCountryCurrency("france"), "");
  EXPECT_EQ(GetCountryCurrency(""), "");
}

TEST_F(CountryHelpersTest, FindCountryIndexByName) {
  EXPECT_EQ(FindCountryIndex("France", true), -1);
  vcMyExternCountryList = {Country("Germany", "EUR", 3), Country("France", "EUR", 5), Country("FRANCE", "EUR", 9)};
  EXPECT_EQ(FindCountryIndex("france", true), 1);
  EXPECT_EQ(FindCountryIndex("GERMANY", true), 0);
  EXPECT_EQ(FindCountryIndex("Spain", true), -1);
  EXPECT_EQ(FindCountryIndex("", true), -1);
}

TEST_F(CountryHelpersTest, FindCountryIndexByCurrencyPrefersLongestSpotSeries) {
  EXPECT_EQ(FindCountryIndex("EUR", false), -1);
  vcMyExternCountryList = {Country("USA", "USD", 50), Country("Austria", "EUR", 0), Country("Germany", "EUR", 40),
                           Country("France", "EUR", 60), Country("Italy", "EUR", 60)};
  EXPECT_EQ(FindCountryIndex("eur", false), 3);  // most points; Italy ties and comes later
  EXPECT_EQ(FindCountryIndex("USD", false), 0);
  EXPECT_EQ(FindCountryIndex("GBP", false), -1);
  // A match without spot assets still counts (0 points).
  vcMyExternCountryList = {Country("USA", "USD", 50), Country("Austria", "EUR", 0)};
  EXPECT_EQ(FindCountryIndex("EUR", false), 1);
  vcMyExternCountryList = {Country("Austria", "EUR", 0), Country("Belgium", "EUR", 0)};
  EXPECT_EQ(FindCountryIndex("EUR", false), 0);
}

}  // namespace
