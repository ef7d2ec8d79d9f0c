// Benchmark portfolio: the split of each country's weight by trust level and
// signal, the ranking selection, allocation rows, net returns, turnover and
// costs, the recalculation against a given series and the end-counted pairing.
// Figures are worked by hand on small month-end lists (spot rates constant
// 1.0, cash leg "CASH" itself, so the cash leg earns 0.0 and the equity leg
// earns its growth over a flat cash series).

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "TestCountries.h"
#include "common/DateHelpers.h"
#include "common/SeriesHelpers.h"
#include "portfolio/BenchmarkPortfolio.h"
#include "portfolio/ModelError.h"

namespace {

using testcountries::Asset;
using testcountries::Constant;
using testcountries::EquityCountry;
using testcountries::kTol;
using testcountries::MakeSettings;
using testcountries::MonthEnd;
using testcountries::Monthly;
using testcountries::ScopedCountryList;
using testcountries::Step;
using testcountries::ValuesNear;

// Countries from January 2000 over `count` months, equity growing by the
// given monthly rates, cash flat; the first one is the USD country.
std::vector<TCountry> GrowthCountries(const std::vector<double>& growths, int count = 36) {
  std::vector<TCountry> countries;
  for (std::size_t i = 0; i < growths.size(); ++i) {
    countries.push_back(EquityCountry("C" + std::to_string(i), "USD", 2000, 1, count, growths[i]));
  }
  return countries;
}

// Cash leg "CASH"; BL trust blTrust.
TUserSettings CashLegSettings(const std::vector<TCountry>& countries, double eqWeight, double eqCost = 0.0,
                              double blTrust = 0.0) {
  TUserSettings s = MakeSettings(countries, eqWeight, 0.0, 0.0, eqCost);
  s.RiskFreeId = "CASH";
  s.BLTrustLevel = blTrust;
  return s;
}

// Both signals of a country over `count` months from January 2000: "QVSIGNAL"
// at qv, "BLSIGNAL" at bl before month blOffFrom and 0.0 from it on.
void SetSignals(TCountry& c, double qv, double bl, int blOffFrom = 36, int count = 36) {
  Asset(c, atSignal, "QVSIGNAL") = Constant(2000, 1, count, qv);
  Asset(c, atSignal, "BLSIGNAL") = Step(2000, 1, count, blOffFrom, bl, 0.0);
}

// Built to December 2002 (with trust rows when trust) under the list, then recalculated.
TBenchmarkPortfolio Recalculated(const std::vector<TCountry>& countries, const TUserSettings& settings, bool trust,
                                 bool rank) {
  ScopedCountryList scoped(countries);
  TBenchmarkPortfolio b;
  b.Build(countries, settings, 0, MonthEnd(2002, 12), trust);
  b.Recalculate(rank);
  return b;
}

// Countries of weight 20 % each with both signals on, except "BLSIGNAL" off
// for country blOff; BL trust blTrust, fraction 0.5; built with trust and
// recalculated with ranking.
TBenchmarkPortfolio RankedBenchmark(const std::vector<double>& growths, std::size_t blOff, double blTrust) {
  std::vector<TCountry> countries = GrowthCountries(growths);
  for (std::size_t i = 0; i < countries.size(); ++i) SetSignals(countries[i], 1.0, i == blOff ? 0.0 : 1.0);
  return Recalculated(countries, CashLegSettings(countries, 20.0, 0.0, blTrust), true, true);
}

struct Item {
  double equity;
  double riskFree;
  std::int32_t rank;  // 0: not checked
};

// The row holds these items in line order and its weights total 1.0.
::testing::AssertionResult RowIs(const TBenchmarkAllocation& row, const std::vector<Item>& expected) {
  if (row.Items.size() != expected.size()) return ::testing::AssertionFailure() << row.Items.size() << " items";
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const TBenchmarkHolding& h = row.Items[i];
    const Item& e = expected[i];
    if (std::abs(h.EquityWeight - e.equity) > kTol || std::abs(h.RiskFreeWeight - e.riskFree) > kTol ||
        (e.rank != 0 && h.Rank != e.rank)) {
      return ::testing::AssertionFailure() << "item " << i << " (" << h.Name << "): " << h.EquityWeight << ", "
                                           << h.RiskFreeWeight << ", rank " << h.Rank;
    }
  }
  if (std::abs(row.Total - 1.0) > kTol) return ::testing::AssertionFailure() << "total " << row.Total;
  return ::testing::AssertionSuccess();
}

// ---------------------------------------------------------------- signal weights

struct SplitCase {
  double qvTrust;
  double blTrust;
  double qvSignal;
  double blSignal;
  double equity;  // expected equity weight for EqWeight 100
  double cash;
};

class BenchmarkSignalSplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(BenchmarkSignalSplitTest, WeightIsSplitByTrustAndSignal) {
  const SplitCase& c = GetParam();
  std::vector<TCountry> countries = GrowthCountries({0.01}, 24);
  SetSignals(countries[0], c.qvSignal, c.blSignal, 24, 24);
  ScopedCountryList scoped(countries);
  TUserSettings settings = CashLegSettings(countries, 100.0, 0.0, c.blTrust);
  settings.QVTrustLevel = c.qvTrust;

  TBenchmarkPortfolio b;
  b.QVTrustLevel = c.qvTrust;
  b.BLTrustLevel = c.blTrust;
  const TSeries returns = Constant(2000, 2, 23, 0.01);
  const TSeries equity = b.BuildSignalWeights(countries, settings, 0, returns, returns, true, 0);
  const TSeries cash = b.BuildSignalWeights(countries, settings, 0, returns, returns, false, 0);
  ASSERT_FALSE(equity.empty());
  EXPECT_TRUE(ValuesNear(equity, std::vector<double>(equity.size(), c.equity)));
  EXPECT_TRUE(ValuesNear(cash, std::vector<double>(equity.size(), c.cash)));
}

INSTANTIATE_TEST_SUITE_P(Cases, BenchmarkSignalSplitTest,
                         ::testing::Values(SplitCase{0.0, 40.0, 1.0, 0.0, 0.6, 0.4},     // only BL trust, BL off
                                           SplitCase{0.0, 40.0, 0.0, 1.0, 1.0, 0.0},     // only BL trust, BL on
                                           SplitCase{30.0, 0.0, 0.0, 0.0, 0.7, 0.3},     // only QV trust, QV off
                                           SplitCase{50.0, 50.0, 0.0, 0.0, 0.25, 0.75},  // both trusts, both off
                                           SplitCase{50.0, 50.0, 0.0, 1.0, 0.5, 0.5},    // both trusts, QV off
                                           SplitCase{50.0, 50.0, 1.0, 1.0, 1.0, 0.0},    // both on
                                           // a missing signal (-1.0) counts as on
                                           SplitCase{50.0, 50.0, -1.0, 0.0, 0.5, 0.5}));

TEST(BenchmarkSignalWeights, CombineSignalsNeedsEqualNonZeroLengths) {
  const TSeries q = Monthly(2000, 1, {0.0, 1.0, 0.0});
  const TSeries bl = Monthly(2000, 1, {0.0, 0.0, 1.0});
  const TSeries g = TBenchmarkPortfolio::CombineSignals(q, bl, 0.5, 0.2);
  EXPECT_TRUE(ValuesNear(g, {0.5 * 0.8, 0.8, 0.5}));
  EXPECT_TRUE(TBenchmarkPortfolio::CombineSignals(q, Monthly(2000, 1, {1.0}), 0.5, 0.5).empty());
  EXPECT_TRUE(TBenchmarkPortfolio::CombineSignals({}, {}, 0.5, 0.5).empty());
}

TEST(BenchmarkSignalWeights, WeightsKeepTheSignalDatesAndNeedAReturnRange) {
  std::vector<TCountry> countries = GrowthCountries({0.01});
  SetSignals(countries[0], 1.0, 1.0, 18);
  ScopedCountryList scoped(countries);
  TUserSettings settings = CashLegSettings(countries, 50.0, 0.0, 40.0);
  TBenchmarkPortfolio b;
  b.BLTrustLevel = 40.0;
  // Returns cover only 2001; the weights run over the whole signal.
  const TSeries returns = Constant(2001, 1, 12, 0.01);
  const TSeries equity = b.BuildSignalWeights(countries, settings, 0, returns, returns, true, 0);
  ASSERT_EQ(equity.size(), 36u);
  EXPECT_EQ(equity.front().Date, MonthEnd(2000, 1));
  EXPECT_NEAR(equity[17].Value, 0.5, kTol);
  EXPECT_NEAR(equity[18].Value, 0.3, kTol);  // 0.6 x 50 / 100
  // No common range of the returns with the cash series nor with "QVSIGNAL":
  // both ranges are the marker pair, equal bounds, so no weights.
  Asset(countries[0], atSignal, "QVSIGNAL").clear();
  EXPECT_TRUE(b.BuildSignalWeights(countries, settings, 0, returns, {}, true, 0).empty());
}

TEST(BenchmarkSignalWeights, SignalFactorsAndDateGrid) {
  const TSeries f = TBenchmarkPortfolio::SignalFactors(Monthly(2000, 1, {0.0, 1.0, -1.0}), 0.3);
  EXPECT_TRUE(ValuesNear(f, {0.7, 1.0, 1.0}));

  TBenchmarkPortfolio b;
  EXPECT_TRUE(b.BuildDateGrid(true).empty());
  TBenchmarkLine first;
  first.RankingValues = Monthly(2000, 3, {0.1, 0.2, 0.3});
  first.EquityReturns = Monthly(2000, 2, {0.1, 0.2, 0.3, 0.4});
  TBenchmarkLine second;
  second.RankingValues = Monthly(2000, 2, {0.5, 0.6});
  second.EquityReturns = Monthly(2000, 2, {0.1, 0.2, 0.3, 0.4, 0.5});
  b.Lines = {first, second};
  // Criterion: the second line starts earlier. Returns: equal starts, the first line wins.
  const TSeries byCriterion = b.BuildDateGrid(true);
  ASSERT_EQ(byCriterion.size(), 2u);
  EXPECT_EQ(byCriterion.front().Date, MonthEnd(2000, 2));
  EXPECT_EQ(byCriterion.front().Value, -1.0);
  EXPECT_EQ(b.BuildDateGrid(false).size(), 4u);
}

// ---------------------------------------------------------------- currency conversion

// testcountries::EuroPair, portfolio currency EUR, hedging on, swap cost
// 1.2 % a year (0.001 a month) in both rows.
TUserSettings EuroHedged(const std::vector<TCountry>& countries) {
  return testcountries::Hedged(MakeSettings(countries, 50.0, 50.0, 0.0), "EUR", 1.2);
}

TEST(BenchmarkConversion, ReturnsAreHedgedThroughUsdAndConvertedIntoThePortfolioCurrency) {
  // Prices rise 1 % a month. r = (price return - cash return - cost) x growth of
  // the country/USD rate, then (1 + r) x growth of the USD/EUR rate - 1; in March
  // the euro doubles against the dollar (USD/EUR rate x 0.5).
  for (bool reverseQuote : {false, true}) {
    const std::vector<TCountry> countries = testcountries::EuroPair(0.0, reverseQuote);
    ScopedCountryList scoped(countries);
    TUserSettings settings = EuroHedged(countries);
    const TSeries prices = testcountries::Growing(2000, 1, 4, 100.0, 0.01);
    TBenchmarkPortfolio b;
    // USA is not the portfolio-currency country: its swap cost applies.
    const TSeries usa = b.ConvertReturns(countries, settings, 0, prices, 0);
    ASSERT_TRUE(ValuesNear(usa, {0.009, 1.009 * 0.5 - 1.0, 0.009}));
    EXPECT_EQ(usa.front().Date, MonthEnd(2000, 2));
    // GERMANY is the portfolio-currency country: no cost; its rate to USD doubles in March.
    EXPECT_TRUE(ValuesNear(b.ConvertReturns(countries, settings, 0, prices, 1), {0.01, 1.02 * 0.5 - 1.0, 0.01}));
    settings.FxHedging = false;
    EXPECT_TRUE(ValuesNear(b.ConvertReturns(countries, settings, 0, prices, 0), {0.01, 1.01 * 0.5 - 1.0, 0.01}));
    EXPECT_TRUE(b.ConvertReturns(countries, settings, 0, prices, 2).empty());
  }
}

TEST(BenchmarkConversion, HedgedFormChargesTheSwapCostEvenInThePortfolioCurrency) {
  const std::vector<TCountry> countries = testcountries::EuroPair();
  ScopedCountryList scoped(countries);
  const TUserSettings settings = EuroHedged(countries);
  const TSeries prices = testcountries::Growing(2000, 1, 4, 100.0, 0.01);
  TBenchmarkPortfolio b;
  // GERMANY in EUR: rate 1.0 throughout, 0.01 - 0.001.
  EXPECT_TRUE(ValuesNear(b.ConvertHedgedReturns(countries, settings, 0, prices, 1), {0.009, 0.009, 0.009}));
  // USA into EUR: -0.001 + 0.01 x rate growth (0.5 in March).
  EXPECT_TRUE(ValuesNear(b.ConvertHedgedReturns(countries, settings, 0, prices, 0), {0.009, 0.004, 0.009}));
}

TEST(BenchmarkConversion, BuildConvertsBothLegsLikeConvertReturns) {
  // 30 months with a euro that moves every month; both legs of both countries
  // must be the converted series cut to the line's dates.
  std::vector<TCountry> countries = {testcountries::MakeCountry("USA", "USD"),
                                     testcountries::MakeCountry("GERMANY", "EUR")};
  std::vector<double> spot;
  for (int m = 0; m < 30; ++m) spot.push_back(m % 2 == 0 ? 0.9 : 0.8);
  for (std::size_t i = 0; i < 2; ++i) {
    TCountry& c = countries[i];
    Asset(c, atIndex, "EQINDEX") = testcountries::Growing(2000, 1, 30, 100.0, 0.01 * static_cast<double>(i + 1));
    Asset(c, atRiskFreeAsset, "CASH") = testcountries::Growing(2000, 1, 30, 100.0, 0.001);
    Asset(c, atRiskFreeAsset, "RISKFREEASSET1") = testcountries::Growing(2000, 1, 30, 100.0, 0.004);
    Asset(c, atSpotFx, "SPOTFX") = i == 0 ? Constant(2000, 1, 30, 1.0) : Monthly(2000, 1, spot);
  }
  ScopedCountryList scoped(countries);
  // GERMANY's swap cost is not charged: it is the portfolio-currency country.
  const TUserSettings settings = testcountries::Hedged(MakeSettings(countries, 50.0, 0.0, 0.0), "EUR", 2.4);
  TBenchmarkPortfolio b;
  b.Build(countries, settings, 0, MonthEnd(2002, 6), false);
  ASSERT_EQ(b.Lines.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    const TBenchmarkLine& line = b.Lines[i];
    const double from = line.EquityReturns.front().Date;
    const double to = line.EquityReturns.back().Date;
    EXPECT_EQ(line.EquityReturns,
              SliceSeries(b.ConvertReturns(countries, settings, 0, countries[i].IndexAssets[0].Series, i), from, to));
    EXPECT_EQ(
        line.CashReturns,
        SliceSeries(b.ConvertReturns(countries, settings, 0, countries[i].RiskFreeAssets[1].Series, i), from, to));
  }
  // The USA equity leg pays the swap cost (0.002 a month) and converts into EUR.
  EXPECT_NE(b.Lines[0].EquityReturns.front().Value, b.Lines[1].EquityReturns.front().Value);
}

// ---------------------------------------------------------------- build

TEST(BenchmarkBuild, LinesStartAtTheFirstOneYearReturnAndNeedTwelveOfThem) {
  // 24 prices give 23 returns and 12 one-year returns; 23 prices give only 11.
  std::vector<TCountry> countries = GrowthCountries({0.01});
  countries.push_back(EquityCountry("SHORT", "EUR", 2000, 1, 23, 0.01));
  countries.push_back(EquityCountry("ENOUGH", "EUR", 2000, 1, 24, 0.01));
  countries.push_back(EquityCountry("NOWEIGHT", "EUR", 2000, 1, 36, 0.01));
  ScopedCountryList scoped(countries);
  TUserSettings settings = CashLegSettings(countries, 25.0);
  settings.CountrySettings[3].EqWeight = 0.0;
  settings.CountryRankingCriteria = {0.7, 0.1, 0.2};

  TBenchmarkPortfolio b;
  b.Build(countries, settings, 0, MonthEnd(2002, 12), true);
  ASSERT_EQ(b.Lines.size(), 2u);
  EXPECT_EQ(b.Lines[0].Name, "C0");
  EXPECT_EQ(b.Lines[1].Name, "ENOUGH");
  EXPECT_DOUBLE_EQ(b.CountryRankingCriteria, 0.7);
  const TBenchmarkLine& line = b.Lines[0];
  // First one-year return: January 2001 (twelve returns from February 2000).
  for (const TSeries* s :
       {&line.EquityReturns, &line.CashReturns, &line.RankingValues, &line.EquityWeights, &line.CashWeights}) {
    ASSERT_EQ(s->size(), 24u);
    EXPECT_EQ(s->front().Date, MonthEnd(2001, 1));
    EXPECT_EQ(s->back().Date, MonthEnd(2002, 12));
  }
  EXPECT_TRUE(line.Ranks.empty());
  EXPECT_NEAR(line.EquityReturns.front().Value, 0.01, kTol);
  EXPECT_NEAR(line.CashReturns.front().Value, 0.0, kTol);
  EXPECT_NEAR(line.RankingValues.front().Value, std::pow(1.01, 12) - 1.0, 1e-12);
  EXPECT_EQ(b.Lines[1].RankingValues.size(), 12u);
}

TEST(BenchmarkBuild, EndDateCutsAndSettingsRowsMustFollowTheCountries) {
  std::vector<TCountry> countries = GrowthCountries({0.01, 0.02});
  ScopedCountryList scoped(countries);
  TUserSettings settings = CashLegSettings(countries, 50.0);
  TBenchmarkPortfolio b;
  b.Build(countries, settings, 0, MonthEnd(2002, 6), false);
  ASSERT_EQ(b.Lines.size(), 2u);
  EXPECT_EQ(b.Lines[0].EquityWeights.back().Date, MonthEnd(2002, 6));

  settings.CountrySettings.pop_back();
  EXPECT_THROW(b.Build(countries, settings, 0, MonthEnd(2002, 12), false), EModelError);
}

TEST(BenchmarkBuild, MissingUsdCountryOrSpotRateDropsTheCountry) {
  std::vector<TCountry> countries = GrowthCountries({0.01, 0.02});
  countries[1].SpotFxAssets.clear();
  ScopedCountryList scoped(countries);
  TUserSettings settings = CashLegSettings(countries, 50.0);
  TBenchmarkPortfolio b;
  b.Build(countries, settings, 0, MonthEnd(2002, 12), false);
  ASSERT_EQ(b.Lines.size(), 1u);
  EXPECT_EQ(b.Lines[0].Name, "C0");

  settings.PortfolioCcy = "CHF";  // no country of that currency
  b.Build(countries, settings, 0, MonthEnd(2002, 12), false);
  EXPECT_TRUE(b.Lines.empty());
}

// ---------------------------------------------------------------- recalculation

TEST(BenchmarkRecalculate, WithoutTrustRowsHoldNormalisedWeightsAndReturnsAreWeighted) {
  std::vector<TCountry> countries = GrowthCountries({0.01, 0.02, -0.01});
  TUserSettings settings = CashLegSettings(countries, 10.0, 0.5);
  settings.CountrySettings[2].EqWeight = 20.0;  // weights 10, 10, 20 percent: sum 0.4
  const TBenchmarkPortfolio b = Recalculated(countries, settings, true, false);
  // 24 weight dates (Jan 2001 .. Dec 2002): 23 results from February 2001.
  // 0.25 * 0.01 + 0.25 * 0.02 + 0.5 * (-0.01) = 0.0025; no cost while the weights stay.
  ASSERT_TRUE(ValuesNear(b.ReturnSeries, std::vector<double>(23, 0.0025)));
  EXPECT_TRUE(ValuesNear(b.TurnoverSeries, std::vector<double>(23, 0.0)));
  EXPECT_TRUE(ValuesNear(b.ExposureSeries, std::vector<double>(23, 1.0)));
  ASSERT_TRUE(ValuesNear(b.CostSeries, std::vector<double>(23, 0.0)));
  ASSERT_EQ(b.WeightHistory.size(), 23u);
  EXPECT_EQ(b.ReturnSeries.front().Date, MonthEnd(2001, 2));
  EXPECT_EQ(b.WeightHistory.front().Date, MonthEnd(2001, 2));
  EXPECT_EQ(b.CostSeries.front().Date, MonthEnd(2001, 2));
  for (const auto& row : b.WeightHistory) EXPECT_TRUE(RowIs(row, {{0.25, 0.0, 1}, {0.25, 0.0, 1}, {0.5, 0.0, 1}}));
}

TEST(BenchmarkRecalculate, SignalSwitchMovesWeightAndCostsTheChange) {
  // One country, BL trust 40, BLSIGNAL on until June 2001 and off from July 2001.
  std::vector<TCountry> countries = GrowthCountries({0.01});
  SetSignals(countries[0], 1.0, 1.0, 18);
  const TBenchmarkPortfolio b = Recalculated(countries, CashLegSettings(countries, 100.0, 0.5, 40.0), true, false);
  ASSERT_EQ(b.ReturnSeries.size(), 23u);
  ASSERT_EQ(b.WeightHistory.size(), 23u);
  // Point k (k = 1..23) is dated Jan 2001 + k months; the weight of k - 1 earns it.
  for (std::size_t k = 1; k <= 23; ++k) {
    const std::size_t i = k - 1;
    const double e0 = k - 1 < 6 ? 1.0 : 0.6;
    const double e1 = k < 6 ? 1.0 : 0.6;
    const double cost = 2.0 * 0.5 / 100.0 * std::abs(e1 - e0);
    EXPECT_EQ(b.ReturnSeries[i].Date, MonthEnd(2001, 1, static_cast<int>(k)));
    EXPECT_NEAR(b.ExposureSeries[i].Value, e1, kTol) << k;
    EXPECT_NEAR(b.TurnoverSeries[i].Value, std::abs(e1 - e0), kTol) << k;
    EXPECT_NEAR(b.CostSeries[i].Value, cost, kTol) << k;
    EXPECT_NEAR(b.ReturnSeries[i].Value, e0 * 0.01 - cost, 1e-12) << k;
    EXPECT_TRUE(RowIs(b.WeightHistory[i], {{e1, 1.0 - e1, 0}})) << k;
  }
  // The switch month: 0.006 earned less 2 x 0.5 % x 0.4 = 0.004.
  EXPECT_NEAR(b.ReturnSeries[5].Value, 0.01 - 0.004, 1e-12);
  EXPECT_NEAR(b.ReturnSeries[6].Value, 0.006, 1e-12);
}

TEST(BenchmarkRecalculate, RankSelectionKeepsTheBestFractionAndSpreadsTheRest) {
  // Five countries of weight 20; growths rank them 1..5 in list order. C4's
  // BL signal is off (trust 50): equity 0.1, cash 0.1.
  const TBenchmarkPortfolio b = RankedBenchmark({0.05, 0.04, 0.03, 0.02, 0.01}, 4, 50.0);
  ASSERT_EQ(b.WeightHistory.size(), 23u);
  // Total equity 0.9, kept 0.6 (ranks 1..3: thresholds 0, 0.25, 0.5), removed
  // 0.3: each selected line 0.2 + 0.2 / 0.6 x 0.3 = 0.3. C4 keeps its cash 0.1.
  for (const auto& row : b.WeightHistory) {
    EXPECT_TRUE(RowIs(row, {{0.3, 0.0, 1}, {0.3, 0.0, 2}, {0.3, 0.0, 3}, {0.0, 0.0, -1}, {0.0, 0.1, -1}}));
  }
  // 0.3 x (0.05 + 0.04 + 0.03) + 0.1 x 0.0 = 0.036.
  EXPECT_TRUE(ValuesNear(b.ReturnSeries, std::vector<double>(23, 0.036)));
}

TEST(BenchmarkRecalculate, LinesWithoutEquityWeightAreNotRankedNorCounted) {
  // BL trust 100: C0's signal is off, so its 20 % sit in cash and it takes no
  // part in the ranking although its one-year return is the best. Among C1 and
  // C2 (count 2, fraction 0.5) only rank 1 stays: C1 takes C2's 0.2 and holds
  // 0.4 of equity beside C0's 0.2 of cash, normalised by 0.6: 2/3 and 1/3.
  const TBenchmarkPortfolio b = RankedBenchmark({0.05, 0.03, 0.01}, 0, 100.0);
  ASSERT_EQ(b.WeightHistory.size(), 23u);
  for (const auto& row : b.WeightHistory) {
    EXPECT_TRUE(RowIs(row, {{0.0, 1.0 / 3.0, -1}, {2.0 / 3.0, 0.0, 1}, {0.0, 0.0, -1}}));
  }
  // 2/3 x 0.03 + 1/3 x 0.0.
  EXPECT_TRUE(ValuesNear(b.ReturnSeries, std::vector<double>(23, 0.02)));
  EXPECT_EQ(b.Lines[0].Ranks.front().Value, -1.0);
}

TEST(BenchmarkRecalculate, LateCountryJoinsRowsAtItsFirstDateAndReturnsAtItsSecond) {
  std::vector<TCountry> countries = GrowthCountries({0.01});
  countries.push_back(EquityCountry("LATE", "USD", 2000, 7, 30, 0.03));  // lines from July 2001
  const TBenchmarkPortfolio b = Recalculated(countries, CashLegSettings(countries, 50.0), false, false);
  ASSERT_EQ(b.WeightHistory.size(), 23u);
  // k = 5: June 2001, C0 alone (0.5 normalised to 1.0); k = 6: July 2001, both at 0.5.
  EXPECT_TRUE(RowIs(b.WeightHistory[4], {{1.0, 0.0, 0}}));
  EXPECT_TRUE(RowIs(b.WeightHistory[5], {{0.5, 0.0, 0}, {0.5, 0.0, 0}}));
  EXPECT_EQ(b.WeightHistory[5].Date, MonthEnd(2001, 7));
  // July 2001 is earned by C0 alone; from August both earn.
  ASSERT_EQ(b.ReturnSeries.size(), 23u);
  EXPECT_NEAR(b.ReturnSeries[5].Value, 0.01, 1e-12);
  EXPECT_NEAR(b.ReturnSeries[6].Value, 0.5 * 0.01 + 0.5 * 0.03, 1e-12);
}

TEST(BenchmarkRecalculate, WithoutLinesEveryResultIsEmptied) {
  // An earlier run's turnover, exposure and costs are not left beside empty returns.
  TBenchmarkPortfolio b;
  b.ReturnSeries = b.TurnoverSeries = b.ExposureSeries = b.CostSeries = Monthly(2000, 1, {0.1});
  b.WeightHistory.resize(2);
  b.Recalculate(true);
  EXPECT_TRUE(b.WeightHistory.empty());
  for (const TSeries* r : {&b.ReturnSeries, &b.TurnoverSeries, &b.ExposureSeries, &b.CostSeries}) {
    EXPECT_TRUE(r->empty());
  }
}

// A portfolio rebuilt over another list (shorter history, other countries,
// fewer or more holdings per date) holds exactly what a fresh one holds: the
// rows of the earlier history are rewritten, none is left over.
TEST(BenchmarkRecalculate, RebuildOverAnEarlierResultEqualsAFreshPortfolio) {
  std::vector<TCountry> longer = GrowthCountries({0.01, 0.02, 0.005}, 48);
  std::vector<TCountry> shorter = GrowthCountries({0.03}, 30);
  shorter.push_back(EquityCountry("LATE", "USD", 2000, 7, 23, 0.02));
  for (const auto& [first, second] : {std::pair{&longer, &shorter}, std::pair{&shorter, &longer}}) {
    const TUserSettings firstSettings = CashLegSettings(*first, 30.0);
    const TUserSettings secondSettings = CashLegSettings(*second, 50.0, 0.2);
    TBenchmarkPortfolio reused;
    {
      ScopedCountryList scoped(*first);
      reused.Build(*first, firstSettings, 0, MonthEnd(2003, 12), false);
      reused.Recalculate(false);
    }
    ScopedCountryList scoped(*second);
    reused.Build(*second, secondSettings, 0, MonthEnd(2003, 12), false);
    reused.Recalculate(false);
    TBenchmarkPortfolio fresh;
    fresh.Build(*second, secondSettings, 0, MonthEnd(2003, 12), false);
    fresh.Recalculate(false);
    ASSERT_FALSE(fresh.WeightHistory.empty());
    ASSERT_EQ(reused.WeightHistory.size(), fresh.WeightHistory.size());
    for (std::size_t k = 0; k < fresh.WeightHistory.size(); ++k) {
      const TBenchmarkAllocation& a = reused.WeightHistory[k];
      const TBenchmarkAllocation& b = fresh.WeightHistory[k];
      EXPECT_EQ(a.Date, b.Date) << k;
      EXPECT_EQ(a.Total, b.Total) << k;
      ASSERT_EQ(a.Items.size(), b.Items.size()) << k;
      for (std::size_t i = 0; i < b.Items.size(); ++i) {
        EXPECT_EQ(a.Items[i].Name, b.Items[i].Name);
        EXPECT_EQ(a.Items[i].EquityWeight, b.Items[i].EquityWeight);
        EXPECT_EQ(a.Items[i].RiskFreeWeight, b.Items[i].RiskFreeWeight);
        EXPECT_EQ(a.Items[i].Rank, b.Items[i].Rank);
      }
    }
    EXPECT_EQ(reused.ReturnSeries, fresh.ReturnSeries);
    EXPECT_EQ(reused.TurnoverSeries, fresh.TurnoverSeries);
    EXPECT_EQ(reused.ExposureSeries, fresh.ExposureSeries);
  }
}

// The series alone (no allocation table) are those of the full
// recalculation, bit for bit, and ComputeWeights on its own forms the same
// turnover, exposure and costs as the one pass of the recalculation: over
// lines that begin late, with switching signals, costs and ranking.
TEST(BenchmarkRecalculate, SeriesAloneAndComputeWeightsEqualTheFullRecalculation) {
  std::vector<TCountry> countries = GrowthCountries({0.01, 0.02, 0.015});
  countries.push_back(EquityCountry("LATE", "USD", 2000, 7, 30, 0.03));
  for (std::size_t i = 0; i < countries.size(); ++i) SetSignals(countries[i], 1.0, 1.0, 20 + static_cast<int>(i));
  const TUserSettings settings = CashLegSettings(countries, 25.0, 0.3, 60.0);
  ScopedCountryList scoped(countries);
  for (bool rank : {false, true}) {
    SCOPED_TRACE(rank ? "ranked" : "unranked");
    TBenchmarkPortfolio full;
    full.Build(countries, settings, 0, MonthEnd(2002, 12), true);
    TBenchmarkPortfolio alone = full;
    full.Recalculate(rank);
    alone.RecalculateSeries(rank);
    ASSERT_EQ(full.WeightHistory.size(), 23u);
    EXPECT_TRUE(alone.WeightHistory.empty());
    for (const auto& [a, b] :
         {std::pair{&full.ReturnSeries, &alone.ReturnSeries}, std::pair{&full.TurnoverSeries, &alone.TurnoverSeries},
          std::pair{&full.ExposureSeries, &alone.ExposureSeries}, std::pair{&full.CostSeries, &alone.CostSeries}})
      EXPECT_EQ(*a, *b);
    EXPECT_GT(std::accumulate(full.CostSeries.begin(), full.CostSeries.end(), 0.0,
                              [](double s, const TDataPoint& p) { return s + p.Value; }),
              0.0);
    TBenchmarkPortfolio separate = full;
    separate.ComputeWeights(0);
    EXPECT_EQ(separate.TurnoverSeries, full.TurnoverSeries);
    EXPECT_EQ(separate.ExposureSeries, full.ExposureSeries);
    EXPECT_EQ(separate.CostSeries, full.CostSeries);
    alone.Recalculate(rank);  // the table is formed again
    EXPECT_EQ(alone.WeightHistory.size(), full.WeightHistory.size());
  }
}

TEST(BenchmarkRecalculate, EqualCriteriaRankTheLaterLineFirst) {
  std::vector<TCountry> countries = GrowthCountries({0.02, 0.02});
  TUserSettings settings = CashLegSettings(countries, 50.0);
  settings.CountryRankingCriteria = {1.0, 0.5, 0.5};
  // Ranking on: the later line ranks 1; off: every line with a value is rank 1.
  for (const auto& [rank, first] : {std::pair{true, 2}, std::pair{false, 1}}) {
    const TBenchmarkPortfolio b = Recalculated(countries, settings, false, rank);
    ASSERT_FALSE(b.WeightHistory.empty());
    EXPECT_TRUE(RowIs(b.WeightHistory.back(), {{0.5, 0.0, first}, {0.5, 0.0, 1}})) << rank;
  }
}

TEST(BenchmarkRecalculate, GappedLineFailsTheModelInsteadOfReadingOutside) {
  // Line B has two weight points (January and May) while the longest line has
  // five: counted from the end, B's point for February lies before its start.
  TBenchmarkPortfolio b;
  TBenchmarkLine a;
  a.Name = "A";
  a.EquityReturns = a.CashReturns = a.RankingValues = Constant(2000, 1, 5, 0.01);
  a.EquityWeights = Constant(2000, 1, 5, 0.5);
  a.CashWeights = Constant(2000, 1, 5, 0.0);
  TBenchmarkLine g = a;
  g.Name = "B";
  g.EquityWeights = {{MonthEnd(2000, 1), 0.5}, {MonthEnd(2000, 5), 0.5}};
  g.CashWeights = g.EquityWeights;
  b.Lines = {a, g};
  EXPECT_THROW(b.Recalculate(false), EModelError);
}

TEST(BenchmarkRecalculateWithSeries, GivenSeriesBecomesTheCashLeg) {
  std::vector<TCountry> countries = GrowthCountries({0.01});
  SetSignals(countries[0], 1.0, 0.0);
  TBenchmarkPortfolio b = Recalculated(countries, CashLegSettings(countries, 100.0, 0.0, 40.0), true, false);
  // An empty series changes nothing.
  const TSeries before = b.ReturnSeries;
  b.RecalculateWithSeries({}, true);
  EXPECT_EQ(b.ReturnSeries, before);

  // Cash returns 0.002 from July 2001: a 0.0 point is put in June 2001.
  b.RecalculateWithSeries(Constant(2001, 7, 18, 0.002), true);
  ASSERT_EQ(b.Lines[0].CashReturns.size(), 19u);
  EXPECT_EQ(b.Lines[0].CashReturns.front().Date, MonthEnd(2001, 6));
  EXPECT_EQ(b.Lines[0].CashReturns.front().Value, 0.0);
  ASSERT_TRUE(ValuesNear(b.ReturnSeries, std::vector<double>(18, 0.6 * 0.01 + 0.4 * 0.002)));
  EXPECT_EQ(b.ReturnSeries.front().Date, MonthEnd(2001, 7));
}

}  // namespace
