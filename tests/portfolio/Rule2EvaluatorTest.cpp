// RULE2 evaluator: the split rule by gold signal and RULE2 state, the -1000.0
// fallback of the inflation-linked index, the inflation-linked portfolio
// returns under the bond weights, the alignment of a full evaluation and the
// empty outcome of missing legs.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "TestCountries.h"
#include "common/DateHelpers.h"
#include "portfolio/ModelError.h"
#include "portfolio/Rule2Evaluator.h"

namespace {

using testcountries::Asset;
using testcountries::Constant;
using testcountries::Growing;
using testcountries::kTol;
using testcountries::MakeCountry;
using testcountries::MakeSettings;
using testcountries::MonthEnd;
using testcountries::Monthly;
using testcountries::ScopedCountryList;
using testcountries::Values;
using testcountries::ValuesNear;

TUserSettings BlendSettings(double slTrust, double maxGold, double maxTips) {
  TUserSettings s;
  s.SLTrustLevel = slTrust;
  s.MaxGoldAllocation = maxGold;
  s.MaxTipsAllocation = maxTips;
  return s;
}

// An evaluator with three returns from February 2000 and four signal points from January.
TRule2Evaluator AlignedEvaluator(const std::vector<double>& signal, const std::vector<double>& states) {
  TRule2Evaluator e;
  e.GoldReturns = Monthly(2000, 2, {0.04, -0.02, 0.03});
  e.InflationLinkedReturns = Monthly(2000, 2, {0.01, 0.02, -0.01});
  e.FixedRateReturns = Monthly(2000, 2, {0.005, 0.006, 0.007});
  e.Basket.Signal = Monthly(2000, 1, signal);
  e.Rule2State = Monthly(2000, 1, states);
  return e;
}

// ---------------------------------------------------------------- split rule

TEST(Rule2Blend, SharesFollowSignalStateAndLimits) {
  struct Case {
    double slTrust;
    double maxTips;
    double signal;
    double state;
    double gold;
    double fixedRate;
    double inflationLinked;
  };
  // MaxGold 10: gold gets 10 % x SLTrustLevel / 100 while the signal is not
  // 0.0 (NaN included); state 2 puts the rest in inflation-linked bonds unless
  // MaxTips is below 100, states 1 and 3 in fixed-rate bonds.
  const Case cases[] = {
      {50.0, 100.0, 1.0, 1.0, 0.05, 0.95, 0.0}, {50.0, 100.0, 1.0, 2.0, 0.05, 0.0, 0.95},
      {50.0, 100.0, 1.0, 3.0, 0.05, 0.95, 0.0}, {50.0, 100.0, 0.0, 2.0, 0.0, 0.0, 1.0},
      {100.0, 100.0, 1.0, 1.0, 0.1, 0.9, 0.0},  {50.0, 50.0, 1.0, 2.0, 0.05, 0.95, 0.0},
      {50.0, 100.0, NAN, 1.0, 0.05, 0.95, 0.0},
  };
  for (const Case& c : cases) {
    TRule2Evaluator e = AlignedEvaluator(std::vector<double>(4, c.signal), std::vector<double>(4, c.state));
    e.Blend(BlendSettings(c.slTrust, 10.0, c.maxTips));
    ASSERT_EQ(e.Allocations.size(), 4u);
    ASSERT_EQ(e.Returns.size(), 3u);
    for (const auto& row : e.Allocations) {
      EXPECT_NEAR(row.GoldWeight, c.gold, kTol) << c.signal << " " << c.state;
      EXPECT_NEAR(row.FixedRateWeight, c.fixedRate, kTol) << c.signal << " " << c.state;
      EXPECT_NEAR(row.InflationLinkedWeight, c.inflationLinked, kTol) << c.signal << " " << c.state;
    }
  }
}

TEST(Rule2Blend, WeightsOfASignalDateEarnTheNextReturn) {
  // Signal 1, 0, 1, 1 and states 2, 1, 3, 2; SLTrustLevel 50, MaxGold 10.
  TRule2Evaluator e = AlignedEvaluator({1.0, 0.0, 1.0, 1.0}, {2.0, 1.0, 3.0, 2.0});
  e.Blend(BlendSettings(50.0, 10.0, 100.0));
  ASSERT_EQ(e.Allocations.size(), 4u);
  EXPECT_EQ(e.Allocations.front().Date, MonthEnd(2000, 1));
  // Feb: 0.05 gold + 0.95 inflation-linked; Mar: all fixed rate; Apr: 0.05 gold + 0.95 fixed rate.
  ASSERT_TRUE(ValuesNear(e.Returns, {0.05 * 0.04 + 0.95 * 0.01, 0.006, 0.05 * 0.03 + 0.95 * 0.007}));
  EXPECT_EQ(e.Returns.front().Date, MonthEnd(2000, 2));
  EXPECT_NEAR(e.Allocations[3].InflationLinkedWeight, 0.95, kTol);
}

TEST(Rule2Blend, LengthsThatDoNotFitGiveNothing) {
  TRule2Evaluator e = AlignedEvaluator({1.0, 1.0, 1.0}, {1.0, 1.0, 1.0});  // n points, not n + 1
  e.Returns = Monthly(2000, 1, {9.0});
  e.Blend(BlendSettings(100.0, 10.0, 100.0));
  EXPECT_TRUE(e.Returns.empty());
  EXPECT_TRUE(e.Allocations.empty());

  TRule2Evaluator f = AlignedEvaluator({1.0, 1.0, 1.0, 1.0}, {1.0, 1.0, 1.0, 1.0});
  f.FixedRateReturns.pop_back();
  f.Blend(BlendSettings(100.0, 10.0, 100.0));
  EXPECT_TRUE(f.Returns.empty());
}

// ---------------------------------------------------------------- inflation-linked index

TEST(Rule2MergeFallback, StoredMissingValuesAndTheTimeBeforeTheIndexTakeTheCashValue) {
  const TSeries cash = Monthly(2000, 1, {1.0, 2.0, 3.0, 4.0, 5.0, 6.0});
  const TSeries index = Monthly(2000, 3, {30.0, 40.0, -1000.0, 60.0});
  const TSeries merged = MergeSeriesWithFallback(cash, index);
  ASSERT_EQ(Values(merged), (std::vector<double>{1.0, 2.0, 30.0, 40.0, 5.0, 60.0}));
  EXPECT_EQ(merged[4].Date, MonthEnd(2000, 5));

  EXPECT_EQ(MergeSeriesWithFallback(cash, {}), cash);
  EXPECT_TRUE(MergeSeriesWithFallback({}, index).empty());
}

TEST(Rule2MergeFallback, GappedIndexFailsInsteadOfReadingOutside) {
  // The index starts in January but holds two points: counted from the end,
  // base point 0 pairs with index point -4.
  const TSeries cash = Constant(2000, 1, 6, 1.0);
  const TSeries index = {{MonthEnd(2000, 1), 5.0}, {MonthEnd(2000, 6), 6.0}};
  EXPECT_THROW(MergeSeriesWithFallback(cash, index), EModelError);
}

TEST(Rule2InflationLinked, LoadMarksTheIndexRangeAndFallsBackToCash) {
  std::vector<TCountry> countries = {MakeCountry("USA", "USD"), MakeCountry("JAPAN", "JPY")};
  Asset(countries[0], atRiskFreeAsset, "RISKFREEASSET1") = Constant(2000, 1, 6, 100.0);
  Asset(countries[0], atIndex, "IBINDEX2") = Monthly(2000, 4, {200.0, -1000.0, 202.0});
  Asset(countries[1], atRiskFreeAsset, "RISKFREEASSET1") = Constant(2000, 1, 6, 50.0);
  TInflationLinkedSet set;
  set.Lines.resize(2);
  set.LoadIndexSeries(countries);
  EXPECT_EQ(set.Lines[0].FirstDate, MonthEnd(2000, 4));
  EXPECT_EQ(set.Lines[0].LastDate, MonthEnd(2000, 6));
  EXPECT_EQ(Values(set.Lines[0].Series), (std::vector<double>{100.0, 100.0, 100.0, 200.0, 100.0, 202.0}));
  EXPECT_EQ(set.Lines[1].FirstDate, kMissingDate);
  EXPECT_EQ(set.Lines[1].Series, countries[1].RiskFreeAssets[1].Series);
}

TEST(Rule2InflationLinked, PortfolioReturnsUseThePreviousAllocation) {
  TInflationLinkedSet set;
  set.Lines.resize(2);
  set.Lines[0].CountryName = "A";
  set.Lines[0].Returns = Monthly(2000, 1, {0.01, 0.02, 0.03});
  set.Lines[1].CountryName = "B";
  set.Lines[1].Returns = Monthly(2000, 2, {0.05, 0.07});
  std::vector<TSLAllocation> allocations(3);
  for (int k = 0; k < 3; ++k) allocations[static_cast<std::size_t>(k)].Date = MonthEnd(2000, 1, k);
  allocations[0].Holdings = {{"A", 0.6, 0.6, 0.6, 0.6, 1}, {"B", 0.4, 0.4, 0.4, 0.4, 2}};
  allocations[1].Holdings = {{"A", 0.5, 0.25, 0.25, 0.25, 1}, {"B", 0.5, 0.75, 0.75, 0.75, 2}};
  set.ComputePortfolioReturns(allocations);
  ASSERT_EQ(set.Returns.size(), 2u);
  // February: B's returns begin in February, so only A (0.6 x 0.02) earns.
  EXPECT_EQ(set.Returns[0].Date, MonthEnd(2000, 2));
  EXPECT_NEAR(set.Returns[0].Value, 0.6 * 0.02, kTol);
  // March: 0.25 x 0.03 + 0.75 x 0.07.
  EXPECT_NEAR(set.Returns[1].Value, 0.25 * 0.03 + 0.75 * 0.07, kTol);

  allocations.resize(1);
  set.ComputePortfolioReturns(allocations);
  EXPECT_TRUE(set.Returns.empty());
}

TEST(Rule2InflationLinked, LineShorterThanTheAllocationsFailsTheModel) {
  TInflationLinkedSet set;
  set.Lines.resize(1);
  set.Lines[0].CountryName = "A";
  set.Lines[0].Returns = Monthly(2000, 1, {0.01});  // ends in January, allocations run to March
  std::vector<TSLAllocation> allocations(3);
  for (int k = 0; k < 3; ++k) {
    allocations[static_cast<std::size_t>(k)].Date = MonthEnd(2000, 1, k);
    allocations[static_cast<std::size_t>(k)].Holdings = {{"A", 1.0, 1.0, 1.0, 1.0, 1}};
  }
  EXPECT_THROW(set.ComputePortfolioReturns(allocations), EModelError);
}

// ---------------------------------------------------------------- currency legs

TEST(Rule2InflationLinked, LineReturnsPaySwapCostOutsideUsdAndConvertIntoThePortfolioCurrency) {
  // Index +1 % a month. r = (index return - cash return - cost) x growth of the
  // country/USD rate; then (1 + r) x growth of the USD/EUR rate (0.5 in March) - 1.
  // Hedging on with 1.2 % a year: 0.001 a month for GERMANY, none for the USD country.
  const std::vector<TCountry> countries = testcountries::EuroPair();
  ScopedCountryList scoped(countries);
  TUserSettings settings = testcountries::Hedged(MakeSettings(countries, 0.0, 50.0, 0.0), "EUR", 1.2);
  TInflationLinkedSet set;
  set.Lines.resize(2);
  for (auto& line : set.Lines) line.Series = Growing(2000, 1, 4, 100.0, 0.01);
  set.ConvertLineReturns(countries, settings, 0);
  EXPECT_TRUE(ValuesNear(set.Lines[0].Returns, {0.01, 1.01 * 0.5 - 1.0, 0.01}));
  ASSERT_TRUE(ValuesNear(set.Lines[1].Returns, {0.009, 1.018 * 0.5 - 1.0, 0.009}));
  EXPECT_EQ(set.Lines[1].Returns.front().Date, MonthEnd(2000, 2));

  settings.FxHedging = false;
  set.ConvertLineReturns(countries, settings, 0);
  EXPECT_TRUE(ValuesNear(set.Lines[1].Returns, {0.01, 1.02 * 0.5 - 1.0, 0.01}));
  settings.PortfolioCcy = "CHF";  // no country of that currency
  set.ConvertLineReturns(countries, settings, 0);
  EXPECT_TRUE(set.Lines[0].Returns.empty());
}

TEST(Rule2Evaluate, GoldIsHedgedAgainstUsdCashAndConvertedIntoThePortfolioCurrency) {
  // Gold +2 % a month against USD cash +0.5 %: 0.015 in dollars; in euros
  // 1.015 x 0.5 - 1 in March.
  std::vector<TCountry> countries = testcountries::EuroPair(0.005);
  Asset(countries[0], atIndex, "AUINDEX") = Growing(2000, 1, 4, 300.0, 0.02);
  ScopedCountryList scoped(countries);
  TRule2Evaluator e;
  e.Countries = countries;
  EXPECT_TRUE(ValuesNear(e.BuildGoldReturns("EUR"), {0.015, 1.015 * 0.5 - 1.0, 0.015}));
  EXPECT_TRUE(ValuesNear(e.BuildGoldReturns("USD"), {0.015, 0.015, 0.015}));
  e.Countries.Edit()[0].IndexAssets[2].ID = "GOLD";  // no "AUINDEX" asset
  EXPECT_TRUE(e.BuildGoldReturns("EUR").empty());
}

// ---------------------------------------------------------------- whole evaluation

// Three countries over 40 months from January 2000: bond prices, 10-year
// rates, cash, spot rates; gold (first country) rallying for 20 months then
// slumping; RULE2 states cycling 1, 2, 3; an inflation-linked index for the
// first country from month 10 with one stored missing value.
std::vector<TCountry> Rule2Countries() {
  std::vector<TCountry> countries = testcountries::GoldRuleCountries(false);
  std::vector<double> linked;
  for (int m = 10; m < 40; ++m) linked.push_back(m == 15 ? -1000.0 : 100.0 * std::pow(1.003, m));
  Asset(countries[0], atIndex, "IBINDEX2") = Monthly(2000, 11, linked);
  return countries;
}

TEST(Rule2Evaluate, AlignedLegsBlendWithOneMoreAllocationThanReturns) {
  const std::vector<TCountry> countries = Rule2Countries();
  ScopedCountryList scoped(countries);
  TUserSettings settings = MakeSettings(countries, 0.0, 100.0 / 3.0, 0.0);
  settings.SLTrustLevel = 100.0;
  settings.MaxGoldAllocation = 10.0;
  settings.MaxTipsAllocation = 100.0;
  settings.CountryRankingCriteria = {1.0, 1.0, 1.0};

  TRule2Evaluator e;
  e.Evaluate(countries, settings, false, 0, MonthEnd(2000, 1), MonthEnd(2003, 4));
  ASSERT_FALSE(e.Returns.empty());
  ASSERT_EQ(e.Allocations.size(), e.Returns.size() + 1);
  ASSERT_EQ(e.Basket.Signal.size(), e.Allocations.size());
  EXPECT_EQ(e.Allocations.front().Date, GetPreviousPeriodDate(e.Returns.front().Date, 0));
  EXPECT_EQ(e.InflationLinked.Lines[0].FirstDate, MonthEnd(2000, 11));
  EXPECT_EQ(e.InflationLinked.Lines[1].FirstDate, kMissingDate);

  bool goldSeen = false;
  bool noGoldSeen = false;
  bool linkedSeen = false;
  for (std::size_t i = 0; i < e.Allocations.size(); ++i) {
    const TRule2Allocation& row = e.Allocations[i];
    EXPECT_EQ(row.Date, e.Basket.Signal[i].Date);
    EXPECT_EQ(row.Date, e.Rule2State[i].Date);
    const double gold = e.Basket.Signal[i].Value != 0.0 ? 0.1 : 0.0;
    EXPECT_NEAR(row.GoldWeight, gold, kTol);
    const bool linked = e.Rule2State[i].Value == 2.0;
    EXPECT_NEAR(row.InflationLinkedWeight, linked ? 1.0 - gold : 0.0, kTol);
    EXPECT_NEAR(row.FixedRateWeight, linked ? 0.0 : 1.0 - gold, kTol);
    goldSeen |= gold > 0.0;
    noGoldSeen |= gold == 0.0;
    linkedSeen |= linked;
  }
  // The gold rally and slump both reach the blend, and so does state 2.
  EXPECT_TRUE(goldSeen);
  EXPECT_TRUE(noGoldSeen);
  EXPECT_TRUE(linkedSeen);
  for (std::size_t i = 0; i < e.Returns.size(); ++i) {
    const TRule2Allocation& w = e.Allocations[i];
    EXPECT_EQ(e.Returns[i].Date, e.GoldReturns[i].Date);
    EXPECT_NEAR(e.Returns[i].Value,
                w.GoldWeight * e.GoldReturns[i].Value + w.InflationLinkedWeight * e.InflationLinkedReturns[i].Value +
                    w.FixedRateWeight * e.FixedRateReturns[i].Value,
                kTol);
  }
}

TEST(Rule2Evaluate, MissingLegsLeaveAnEmptyEvaluation) {
  const std::vector<TCountry> countries = Rule2Countries();
  const TUserSettings settings = MakeSettings(countries, 0.0, 100.0 / 3.0, 0.0);
  std::vector<TCountry> noGold = countries;
  Asset(noGold[0], atIndex, "AUINDEX").clear();
  std::vector<TCountry> noRule = countries;
  noRule[0].RuleAssets.clear();
  const std::vector<TCountry> lists[] = {noGold, noRule, {}};
  for (const std::vector<TCountry>& list : lists) {
    ScopedCountryList scoped(list);
    TRule2Evaluator e;
    // An earlier run's returns, gold signal and RULE2 state are not left behind.
    e.Returns = Monthly(2000, 1, {1.0});
    e.Basket.Signal = Monthly(2000, 1, {1.0, 0.0});
    e.Rule2State = Monthly(2000, 1, {2.0, 2.0});
    e.Evaluate(list, settings, list.empty(), 0, MonthEnd(2000, 1), MonthEnd(2003, 4));
    EXPECT_TRUE(e.Returns.empty()) << list.size();
    EXPECT_TRUE(e.Allocations.empty());
    EXPECT_TRUE(e.Rule2State.empty());
    if (&list == &lists[0]) {
      EXPECT_TRUE(e.Basket.Signal.empty());
    }
  }
}

}  // namespace
