#pragma once
// Deterministic synthetic country lists of any size for the benchmarks.

#include <cmath>
#include <string>
#include <vector>

#include "common/Globals.h"
#include "common/Records.h"
#include "platform/DateTime.h"

namespace benchdata {

// Month end `index` months after January 1950.
inline double MonthEnd(int index) {
  const int y = 1950 + index / 12;
  const int m = index % 12 + 1;
  return platform::EncodeDate(y, m, platform::DaysInMonth(y, m));
}

inline TAssetSeries Asset(const std::string& id, const std::string& title, int type) {
  TAssetSeries a;
  a.ID = id;
  a.Title = title;
  a.Type = type;
  return a;
}

// Country c over `months` month ends: equity with a country-specific drift
// and a cycle, cash and bond growing, both signals and three rules switching
// in runs, a drifting spot rate. With lateStarters every seventh country
// starts two years late.
inline TCountry SyntheticCountry(int c, int months, bool lateStarters) {
  TCountry country;
  country.Name = "COUNTRY" + std::to_string(c);
  country.RegionName = strRegionNameList[static_cast<std::size_t>(c % 6)];
  country.Currency = c == 0 ? "USD" : "CUR" + std::to_string(c % 7);
  country.IsDevelopped = c % 3 != 0;
  country.IndexAssets = {Asset("EQINDEX", "Equity Index", atIndex)};
  country.RiskFreeAssets = {Asset("CASH", "1M Cash", atRiskFreeAsset),
                            Asset("RISKFREEASSET1", "10Y Gov Bond", atRiskFreeAsset)};
  country.RuleAssets = {Asset("RULE1", "Four Quadrants", atRule), Asset("RULE2", "World USD Base", atRule),
                        Asset("RULE3", "Valuation", atRule)};
  country.SignalAssets = {Asset("QVSIGNAL", "QV Signal", atSignal), Asset("BLSIGNAL", "BL Signal", atSignal)};
  country.SpotFxAssets = {Asset("SPOTFX", "Spot FX", atSpotFx)};
  double equity = 100.0, cash = 100.0, bond = 100.0, spot = 1.0 + 0.01 * c;
  const int start = lateStarters && c % 7 == 6 ? 24 : 0;
  for (int i = start; i < months; ++i) {
    const double date = MonthEnd(i);
    country.IndexAssets[0].Series.push_back({date, equity});
    country.RiskFreeAssets[0].Series.push_back({date, cash});
    country.RiskFreeAssets[1].Series.push_back({date, bond});
    for (int r = 0; r < 3; ++r)
      country.RuleAssets[static_cast<std::size_t>(r)].Series.push_back({date, ((i / (5 + r + c % 4)) % 2) * 1.0});
    country.SignalAssets[0].Series.push_back({date, ((i / (7 + c % 5)) % 2 == 0) ? 1.0 : 0.0});
    country.SignalAssets[1].Series.push_back({date, ((i / (11 + c % 3)) % 3 == 0) ? 0.0 : 1.0});
    country.SpotFxAssets[0].Series.push_back({date, spot});
    equity *= 1.0 + 0.004 + 0.0005 * (c % 9) + 0.03 * std::sin(0.3 * i + c);
    cash *= 1.0025;
    bond *= 1.0035 + 0.002 * std::cos(0.2 * i + c);
    spot *= 1.0 + 0.002 * std::sin(0.1 * i + c);
  }
  return country;
}

inline std::vector<TCountry> SyntheticCountries(int countries, int months, bool lateStarters) {
  std::vector<TCountry> list;
  for (int c = 0; c < countries; ++c) list.push_back(SyntheticCountry(c, months, lateStarters));
  return list;
}

// USD, both trust levels set, hedged, equal equity weights, window over the months.
inline TUserSettings SyntheticSettings(int countries, int months) {
  TUserSettings s;
  s.PortfolioCcy = "USD";
  s.RiskFreeId = "RISKFREEASSET1";
  s.QVTrustLevel = 50.0;
  s.BLTrustLevel = 40.0;
  s.FxHedging = true;
  s.CountryRankingCriteria = {0.5, 0.5, 0.5};
  s.InceptionDate = MonthEnd(0);
  s.EndDate = MonthEnd(months - 1);
  for (int c = 0; c < countries; ++c) {
    TCountrySettings row;
    row.CountryName = "COUNTRY" + std::to_string(c);
    row.EqWeight = 100.0 / countries;
    row.EqTransactionCost = 0.2;
    row.EqFxSwapBorrowingCost = 0.5;
    s.CountrySettings.push_back(row);
  }
  return s;
}

}  // namespace benchdata
