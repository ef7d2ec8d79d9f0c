#pragma once
// Small hand-made country lists for the portfolio tests.
//
// Every country carries the same asset layout (positions matter: builders
// look positions up in the first country and use them for all):
//   IndexAssets:    "EQINDEX" ("Equity Index"), "10YRATEINDEX" ("10Y Rate"),
//                   "AUINDEX" ("Gold"), "IBINDEX2" ("Inflation Linked Bond")
//   RiskFreeAssets: "CASH" ("1M Cash"), "RISKFREEASSET1" ("10Y Gov Bond"),
//                   "RISKFREEASSET2" ("2Y Gov Bond")
//   RuleAssets:     "RULE2" ("Rule 2")
//   SignalAssets:   "QVSIGNAL" ("QV Signal"), "BLSIGNAL" ("BL Signal")
//   SpotFxAssets:   "SPOTFX" ("Spot FX")
// All series start empty; tests fill the ones they need with Monthly(),
// Growing() or Constant().

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/Globals.h"
#include "common/Records.h"
#include "platform/DateTime.h"

namespace testcountries {

// Month end `offset` months after (year, month).
inline double MonthEnd(int year, int month, int offset = 0) {
  int index = year * 12 + (month - 1) + offset;
  int y = index / 12;
  int m = index % 12 + 1;
  return platform::EncodeDate(y, m, platform::DaysInMonth(y, m));
}

// values[i] dated MonthEnd(year, month, i).
inline TSeries Monthly(int year, int month, const std::vector<double>& values) {
  TSeries s;
  s.reserve(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    s.push_back({MonthEnd(year, month, static_cast<int>(i)), values[i]});
  }
  return s;
}

// count month-end points: start, start*(1+growth), start*(1+growth)^2, ...
inline TSeries Growing(int year, int month, int count, double start, double growth) {
  std::vector<double> v;
  double x = start;
  for (int i = 0; i < count; ++i) {
    v.push_back(x);
    x *= 1.0 + growth;
  }
  return Monthly(year, month, v);
}

inline TSeries Constant(int year, int month, int count, double value) {
  return Growing(year, month, count, value, 0.0);
}

inline TAssetSeries MakeAsset(const std::string& country, const std::string& id, const std::string& title, int type) {
  TAssetSeries a;
  a.CountryName = country;
  a.ID = id;
  a.Title = title;
  a.Type = type;
  return a;
}

inline TCountry MakeCountry(const std::string& name, const std::string& currency,
                            const std::string& region = "North America", bool reverseQuote = false) {
  TCountry c;
  c.Name = name;
  c.RegionName = region;
  c.Currency = currency;
  c.ReverseQuote = reverseQuote;
  c.IndexAssets = {MakeAsset(name, "EQINDEX", "Equity Index", atIndex),
                   MakeAsset(name, "10YRATEINDEX", "10Y Rate", atIndex), MakeAsset(name, "AUINDEX", "Gold", atIndex),
                   MakeAsset(name, "IBINDEX2", "Inflation Linked Bond", atIndex)};
  c.RiskFreeAssets = {MakeAsset(name, "CASH", "1M Cash", atRiskFreeAsset),
                      MakeAsset(name, "RISKFREEASSET1", "10Y Gov Bond", atRiskFreeAsset),
                      MakeAsset(name, "RISKFREEASSET2", "2Y Gov Bond", atRiskFreeAsset)};
  c.RuleAssets = {MakeAsset(name, "RULE2", "Rule 2", atRule)};
  c.SignalAssets = {MakeAsset(name, "QVSIGNAL", "QV Signal", atSignal),
                    MakeAsset(name, "BLSIGNAL", "BL Signal", atSignal)};
  c.SpotFxAssets = {MakeAsset(name, "SPOTFX", "Spot FX", atSpotFx)};
  return c;
}

// The series of the country's asset of that type and identifier.
inline TSeries& Asset(TCountry& c, int type, const std::string& id) {
  std::vector<TAssetSeries>* list = AssetsOfType(c, type);
  if (list != nullptr) {
    for (auto& a : *list) {
      if (a.ID == id) return a.Series;
    }
  }
  throw std::invalid_argument("test country has no asset " + id);
}

// A country whose equity, cash and spot series are all filled over count
// months from (year, month): equity grows by eqGrowth, cash by cashGrowth,
// the spot rate is constant 1.0 (no currency effect).
inline TCountry EquityCountry(const std::string& name, const std::string& currency, int year, int month, int count,
                              double eqGrowth, double cashGrowth = 0.0) {
  TCountry c = MakeCountry(name, currency);
  Asset(c, atIndex, "EQINDEX") = Growing(year, month, count, 100.0, eqGrowth);
  Asset(c, atRiskFreeAsset, "CASH") = Growing(year, month, count, 100.0, cashGrowth);
  Asset(c, atSpotFx, "SPOTFX") = Constant(year, month, count, 1.0);
  return c;
}

// One settings row per country, in country order, with the given weights
// (percent) and costs (percent); ranking criteria 0.5 for the three competitions.
inline TUserSettings MakeSettings(const std::vector<TCountry>& countries, double eqWeight, double fiWeight,
                                  double cyWeight, double eqCost = 0.0, double fiCost = 0.0) {
  TUserSettings s;
  s.PortfolioCcy = "USD";
  s.RiskFreeId = "RISKFREEASSET1";
  s.CountryRankingCriteria = {0.5, 0.5, 0.5};
  for (const auto& c : countries) {
    TCountrySettings row;
    row.CountryName = c.Name;
    row.RegionName = c.RegionName;
    row.EqWeight = eqWeight;
    row.FiWeight = fiWeight;
    row.CyWeight = cyWeight;
    row.EqTransactionCost = eqCost;
    row.FiTransactionCost = fiCost;
    s.CountrySettings.push_back(row);
  }
  return s;
}

// Installs a list as vcMyExternCountryList (asset-title lookups read it) for
// the lifetime of the object, then puts the previous list back.
class ScopedCountryList {
 public:
  explicit ScopedCountryList(std::vector<TCountry> countries)
      : saved_(std::exchange(vcMyExternCountryList, std::move(countries))) {}
  ~ScopedCountryList() { vcMyExternCountryList = std::move(saved_); }
  ScopedCountryList(const ScopedCountryList&) = delete;
  ScopedCountryList& operator=(const ScopedCountryList&) = delete;

 private:
  std::vector<TCountry> saved_;
};

}  // namespace testcountries
