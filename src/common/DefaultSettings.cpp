#include "common/DefaultSettings.h"

#include <algorithm>
#include <array>
#include <string>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "common/TextHelpers.h"

namespace {

// Countries with fixed-income and currency weights (1/28 each).
constexpr std::array<const char*, 28> kWeightedBondCountries{
    "AUSTRALIA",   "BRAZIL",    "CANADA",      "CHILE",   "CHINA",       "CZECH REPUBLIC", "DENMARK",
    "GERMANY",     "HONG KONG", "HUNGARY",     "ICELAND", "INDIA",       "INDONESIA",      "JAPAN",
    "MALAYSIA",    "MEXICO",    "NEW ZEALAND", "NORWAY",  "PHILIPPINES", "SINGAPORE",      "SOUTH AFRICA",
    "SOUTH KOREA", "SWEDEN",    "SWITZERLAND", "TAIWAN",  "TURKEY",      "UNITED KINGDOM", "USA"};

// Countries whose fixed-income transaction cost is 0.7 percent.
constexpr std::array<const char*, 17> kCostlyBondCountries{
    "BRAZIL",    "CHILE",        "CHINA",       "CZECH REPUBLIC", "HONG KONG", "HUNGARY",
    "ICELAND",   "INDIA",        "INDONESIA",   "MALAYSIA",       "MEXICO",    "PHILIPPINES",
    "SINGAPORE", "SOUTH AFRICA", "SOUTH KOREA", "TAIWAN",         "TURKEY"};

template <std::size_t N>
bool Contains(const std::array<const char*, N>& names, const std::string& upperName) {
  return std::any_of(names.begin(), names.end(), [&upperName](const char* name) { return upperName == name; });
}

bool IsKnownCountry(const std::string& upperName) {
  return std::any_of(kCountryCodes.begin(), kCountryCodes.end(),
                     [&upperName](const TCountryCode& entry) { return upperName == entry.Name; });
}

TCountrySettings DefaultCountrySettings(const TCountry& country) {
  TCountrySettings row;
  row.CountryName = country.Name;
  row.RegionName = country.RegionName;
  row.CountryRank = country.Rank;
  row.EqWeight = 0.0;
  row.FiWeight = 0.0;
  row.CyWeight = 0.0;
  row.EqTransactionCost = 0.1;
  row.FiTransactionCost = 0.1;
  row.EqFxSwapBorrowingCost = 0.12;
  const std::string upper = UpperCaseText(country.Name);
  // Weights are fractions turned into percent: 40 x 2.5 and 28 x 100/28 both total 100.
  if (IsKnownCountry(upper)) row.EqWeight = 0.025;
  row.EqWeight *= 100.0;
  const double bondShare = Contains(kWeightedBondCountries, upper) ? 1.0 / 28.0 : 0.0;
  row.FiWeight = bondShare * 100.0;
  if (Contains(kCostlyBondCountries, upper)) row.FiTransactionCost = 7 * 0.1;
  row.CyWeight = bondShare * 100.0;
  return row;
}

}  // namespace

TUserSettings BuildDefaultUserSettings(const std::vector<TCountry>& countries) {
  TUserSettings settings;
  settings.InceptionDate = GetEquityIndexDateBound(countries, false, false);
  settings.EndDate = GetEquityIndexDateBound(countries, true, true);

  settings.PortfolioCcy = "USD";
  settings.RiskFreeId = "N/A";
  if (!vcMyExternCountryList.empty()) {
    for (const TAssetSeries& asset : vcMyExternCountryList.front().RiskFreeAssets)
      if (UpperCaseText(asset.Title).find("10Y") != std::string::npos)
        settings.RiskFreeId = TranslateAssetName(asset.Title, atRiskFreeAsset, false);
  }

  settings.MaxEqVsFiAllocation = 100.0;
  settings.MinEqVsFiAllocation = 0.0;
  settings.QVTrustLevel = 100.0;
  settings.BLTrustLevel = 100.0;
  settings.SLTrustLevel = 100.0;
  settings.FxHedging = true;
  settings.CountryRankingCriteria = {0.5, 0.5, 0.5};
  settings.MaxGoldAllocation = 10.0;
  settings.MaxTipsAllocation = 100.0;
  settings.MaxFxRiskAllocation = 15.0;

  settings.CountrySettings.clear();
  settings.CountrySettings.reserve(countries.size());
  for (const TCountry& country : countries) settings.CountrySettings.push_back(DefaultCountrySettings(country));
  return settings;
}
