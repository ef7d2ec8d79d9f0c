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
// Growing() or Constant(). Shared checks (Values, ExpectValues) and settings
// builders sit beside them.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/Globals.h"
#include "common/Records.h"
#include "platform/DateTime.h"

namespace testcountries {

constexpr double kTol = 1e-12;

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

// count month ends from (year, month): `before` for the first `months`
// points, `after` from then on (a spot rate or signal that moves once).
inline TSeries Step(int year, int month, int count, int months, double before, double after) {
  std::vector<double> v(static_cast<std::size_t>(count), after);
  for (int i = 0; i < months && i < count; ++i) v[static_cast<std::size_t>(i)] = before;
  return Monthly(year, month, v);
}

inline std::vector<double> Values(const TSeries& s) {
  std::vector<double> v;
  for (const auto& p : s) v.push_back(p.Value);
  return v;
}

// The values of s match expected one by one within tol; use with ASSERT_TRUE
// where later lines index into s.
inline ::testing::AssertionResult ValuesNear(const TSeries& s, const std::vector<double>& expected, double tol = kTol) {
  if (s.size() != expected.size()) {
    return ::testing::AssertionFailure() << s.size() << " points, expected " << expected.size();
  }
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (!(std::abs(s[i].Value - expected[i]) <= tol)) {
      return ::testing::AssertionFailure() << "point " << i << ": " << s[i].Value << ", expected " << expected[i];
    }
  }
  return ::testing::AssertionSuccess();
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
inline const TSeries& Asset(const TCountry& c, int type, const std::string& id) {
  return Asset(const_cast<TCountry&>(c), type, id);
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

// Hedged settings in portfolio currency ccy: every row pays swapCost percent a year.
inline TUserSettings Hedged(TUserSettings s, const std::string& ccy, double swapCost) {
  s.PortfolioCcy = ccy;
  s.FxHedging = true;
  for (auto& row : s.CountrySettings) row.EqFxSwapBorrowingCost = swapCost;
  return s;
}

// "United States" (USD), "Germany" (EUR), "Japan" (JPY) with spot 1.0 over
// count month ends from January 2000; fill(country, index) sets the rest.
template <class Fill>
std::vector<TCountry> ThreeCountries(int count, Fill fill) {
  std::vector<TCountry> list = {MakeCountry("United States", "USD"), MakeCountry("Germany", "EUR"),
                                MakeCountry("Japan", "JPY")};
  for (std::size_t i = 0; i < list.size(); ++i) {
    Asset(list[i], atSpotFx, "SPOTFX") = Constant(2000, 1, count, 1.0);
    fill(list[i], i);
  }
  return list;
}

// "USA" (USD, first) and "GERMANY" (EUR) over January to April 2000: USA's
// cash grows by usdCashGrowth a month, GERMANY's is flat; USA's spot is 1.0,
// GERMANY's 1.0, 1.0, 0.5, 0.5 (reverse quoted: 1.0, 1.0, 2.0, 2.0, the same
// rate), so that in March the euro doubles against the dollar.
inline std::vector<TCountry> EuroPair(double usdCashGrowth = 0.0, bool reverseQuote = false) {
  std::vector<TCountry> list = {MakeCountry("USA", "USD"),
                                MakeCountry("GERMANY", "EUR", "Europe (Euro)", reverseQuote)};
  Asset(list[0], atRiskFreeAsset, "CASH") = Growing(2000, 1, 4, 100.0, usdCashGrowth);
  Asset(list[1], atRiskFreeAsset, "CASH") = Constant(2000, 1, 4, 100.0);
  Asset(list[0], atSpotFx, "SPOTFX") = Constant(2000, 1, 4, 1.0);
  Asset(list[1], atSpotFx, "SPOTFX") = Step(2000, 1, 4, 2, 1.0, reverseQuote ? 2.0 : 0.5);
  return list;
}

// "United States" (USD), "Germany" (EUR), "Japan" (JPY) over the 40 month
// ends from January 2000: cash +0.2 % a month, government bonds
// +0.4/0.5/0.6 %, flat 10-year rates 3/4/5 % (and a QVSIGNAL of 1.0 for
// every country when `qvSignal`); for the first country gold rallying 2 % a
// month for 20 months from 300, then slumping 3 % a month, and RULE2 states
// cycling 1, 2, 3.
inline std::vector<TCountry> GoldRuleCountries(bool qvSignal) {
  std::vector<TCountry> list = ThreeCountries(40, [qvSignal](TCountry& c, std::size_t i) {
    Asset(c, atRiskFreeAsset, "CASH") = Growing(2000, 1, 40, 100.0, 0.002);
    Asset(c, atRiskFreeAsset, "RISKFREEASSET1") = Growing(2000, 1, 40, 100.0, 0.004 + 0.001 * static_cast<double>(i));
    Asset(c, atIndex, "10YRATEINDEX") = Constant(2000, 1, 40, 3.0 + static_cast<double>(i));
    if (qvSignal) Asset(c, atSignal, "QVSIGNAL") = Constant(2000, 1, 40, 1.0);
  });
  std::vector<double> gold;
  std::vector<double> states;
  double g = 300.0;
  for (int m = 0; m < 40; ++m) {
    gold.push_back(g);
    g *= m < 20 ? 1.02 : 0.97;
    states.push_back(1.0 + static_cast<double>(m % 3));
  }
  Asset(list[0], atIndex, "AUINDEX") = Monthly(2000, 1, gold);
  Asset(list[0], atRule, "RULE2") = Monthly(2000, 1, states);
  return list;
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
