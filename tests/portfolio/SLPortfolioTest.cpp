// Ranking portfolios: ranking, selection rule, asset windows, result pass,
// turnover and costs, and the Build of the three classes on small lists.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TestCountries.h"
#include "portfolio/SLPortfolio.h"

namespace {

using testcountries::Asset;
using testcountries::Constant;
using testcountries::Growing;
using testcountries::MakeCountry;
using testcountries::MakeSettings;
using testcountries::MonthEnd;
using testcountries::Monthly;
using testcountries::ScopedCountryList;

constexpr double kTol = 1e-12;

// A line on month ends from (2000, month): returns and ranking values as given.
TSLLine MakeLine(const std::string& name, double weight, double cost, int month, const std::vector<double>& returns,
                 const std::vector<double>& rankingValues) {
  TSLLine line;
  line.Name = name;
  line.Weight = weight;
  line.TransactionCost = cost;
  line.Returns = Monthly(2000, month, returns);
  line.RankingValues = Monthly(2000, month, rankingValues);
  return line;
}

// count month ends from January 2000: `before` for the first `months`
// points, `after` from then on (a spot rate that moves once).
TSeries SpotStep(int count, int months, double before, double after) {
  std::vector<double> v(static_cast<std::size_t>(count), after);
  for (int i = 0; i < months; ++i) v[static_cast<std::size_t>(i)] = before;
  return Monthly(2000, 1, v);
}

std::vector<double> Values(const TSeries& s) {
  std::vector<double> v;
  for (const auto& p : s) v.push_back(p.Value);
  return v;
}

// ---------------------------------------------------------------- selection rule

struct SelectionCase {
  double criteria;
  int rank;
  int count;
  bool selected;
};

class IsRankSelectedTest : public ::testing::TestWithParam<SelectionCase> {};

TEST_P(IsRankSelectedTest, ThresholdIsRankMinusOneOverCountMinusOne) {
  const SelectionCase& c = GetParam();
  TEquitySLPortfolio p;
  p.CountryRankingCriteria = c.criteria;
  EXPECT_EQ(p.IsRankSelected(c.rank, c.count), c.selected)
      << "c=" << c.criteria << " rank=" << c.rank << " of " << c.count;
}

INSTANTIATE_TEST_SUITE_P(SLPortfolio, IsRankSelectedTest,
                         ::testing::Values(SelectionCase{0.5, 1, 1, true},   // m = 1: threshold 0
                                           SelectionCase{0.5, 2, 3, true},   // threshold 0.5
                                           SelectionCase{0.5, 3, 3, false},  // threshold 1.0
                                           SelectionCase{0.5, 0, 5, false},  // no rank
                                           SelectionCase{0.5, -1, 5, false},
                                           SelectionCase{0.5, 1, 0, false},  // nothing ranked
                                           SelectionCase{0.0, 1, 1, true}, SelectionCase{0.0, 1, 5, true},
                                           SelectionCase{0.0, 2, 5, false},
                                           SelectionCase{0.5, 5, 10, true},   // 4/9 <= 0.5
                                           SelectionCase{0.5, 6, 10, false},  // 5/9 > 0.5
                                           SelectionCase{0.5, 6, 11, true},   // 5/10
                                           SelectionCase{0.5, 7, 11, false}, SelectionCase{1.0, 10, 10, true},
                                           SelectionCase{0.25, 2, 5, true},  // 1/4
                                           SelectionCase{0.25, 3, 5, false}));

// ---------------------------------------------------------------- ranking

TEST(SLPortfolioRanking, DenseRanksWithLaterLineFirstOnTies) {
  TEquitySLPortfolio p;
  p.Lines.push_back(MakeLine("A", 0.3, 0, 1, {0, 0, 0}, {0.1, 0.5, 0.2}));
  p.Lines.push_back(MakeLine("B", 0.3, 0, 1, {0, 0, 0}, {0.3, 0.5, 0.2}));
  p.Lines.push_back(MakeLine("C", 0.4, 0, 1, {0, 0, 0}, {0.1, 0.1, 0.2}));
  p.RankAssets(true);
  // Jan: B 0.3 first, then A and C tie at 0.1 -> C (later) before A.
  // Feb: A and B tie at 0.5 -> B 1, A 2; C 3.  Mar: all tie -> C, B, A.
  EXPECT_EQ(Values(p.Lines[0].Ranks), (std::vector<double>{3, 2, 3}));
  EXPECT_EQ(Values(p.Lines[1].Ranks), (std::vector<double>{1, 1, 2}));
  EXPECT_EQ(Values(p.Lines[2].Ranks), (std::vector<double>{2, 3, 1}));
  EXPECT_DOUBLE_EQ(p.Lines[0].Ranks[2].Date, MonthEnd(2000, 3));
}

TEST(SLPortfolioRanking, RankingOffGivesOneToEveryValue) {
  TEquitySLPortfolio p;
  p.Lines.push_back(MakeLine("A", 0.5, 0, 1, {0, 0}, {0.1, -3.0}));
  p.Lines.push_back(MakeLine("B", 0.5, 0, 1, {0, 0}, {0.9, 2.0}));
  p.RankAssets(false);
  EXPECT_EQ(Values(p.Lines[0].Ranks), (std::vector<double>{1, 1}));
  EXPECT_EQ(Values(p.Lines[1].Ranks), (std::vector<double>{1, 1}));
}

TEST(SLPortfolioRanking, LateLineIsCutToItsOwnRangeAndEmptyLineKeepsMinusOne) {
  TEquitySLPortfolio p;
  p.Lines.push_back(MakeLine("A", 0.4, 0, 1, {0, 0, 0, 0}, {1.0, 1.0, 1.0, 1.0}));
  p.Lines.push_back(MakeLine("Late", 0.4, 0, 3, {0, 0}, {2.0, 0.5}));  // Mar, Apr
  p.Lines.push_back(MakeLine("Empty", 0.2, 0, 1, {0, 0, 0, 0}, {}));
  p.RankAssets(true);
  // A alone in Jan and Feb (rank 1); Mar: Late 2.0 > A; Apr: A 1.0 > Late 0.5.
  EXPECT_EQ(Values(p.Lines[0].Ranks), (std::vector<double>{1, 1, 2, 1}));
  ASSERT_EQ(p.Lines[1].Ranks.size(), 2u);
  EXPECT_DOUBLE_EQ(p.Lines[1].Ranks[0].Date, MonthEnd(2000, 3));
  EXPECT_EQ(Values(p.Lines[1].Ranks), (std::vector<double>{1, 2}));
  // No ranking value at all: -1.0 at every reference date.
  EXPECT_EQ(Values(p.Lines[2].Ranks), (std::vector<double>{-1, -1, -1, -1}));
}

TEST(SLPortfolioRanking, PointsOutsideAShortLineHaveNoRankAndNaNRanksLast) {
  TEquitySLPortfolio p;
  p.Lines.push_back(MakeLine("A", 0.5, 0, 1, {0, 0, 0, 0}, {1.0, 1.0, 1.0, std::nan("")}));
  // Starts with the reference but ends two months early: counted from the
  // end, its two points pair with Mar and Apr; Jan and Feb fall outside it.
  p.Lines.push_back(MakeLine("Short", 0.5, 0, 1, {0, 0}, {5.0, 5.0}));
  p.RankAssets(true);
  // Apr: a value that is not a number is still ranked, after every number.
  EXPECT_EQ(Values(p.Lines[0].Ranks), (std::vector<double>{1, 1, 2, 2}));
  // Cut to its own first and last dates (Jan, Feb): no value there.
  EXPECT_EQ(Values(p.Lines[1].Ranks), (std::vector<double>{-1, -1}));
}

TEST(SLPortfolioRanking, FirstOfEquallyLongLinesGivesTheDates) {
  // A (Jan-Mar) and B (Feb-Apr) both hold three values: A's dates are the
  // reference. B pairs from the end (its Feb-Apr values on Jan-Mar) and is
  // cut to its own range, which leaves Feb and Mar.
  TEquitySLPortfolio p;
  p.Lines.push_back(MakeLine("A", 0.5, 0, 1, {0, 0, 0}, {1.0, 1.0, 1.0}));
  p.Lines.push_back(MakeLine("B", 0.5, 0, 2, {0, 0, 0}, {2.0, 2.0, 0.5}));
  p.RankAssets(true);
  ASSERT_EQ(p.Lines[0].Ranks.size(), 3u);
  EXPECT_DOUBLE_EQ(p.Lines[0].Ranks.front().Date, MonthEnd(2000, 1));
  // Jan: B has not begun; Feb: B's Mar value 2.0; Mar: B's Apr value 0.5.
  EXPECT_EQ(Values(p.Lines[0].Ranks), (std::vector<double>{1, 2, 1}));
  ASSERT_EQ(p.Lines[1].Ranks.size(), 2u);
  EXPECT_DOUBLE_EQ(p.Lines[1].Ranks.front().Date, MonthEnd(2000, 2));
  EXPECT_EQ(Values(p.Lines[1].Ranks), (std::vector<double>{1, 2}));
}

TEST(SLPortfolioRanking, NoLinesOrNoValuesChangeNothing) {
  TEquitySLPortfolio p;
  p.RankAssets(true);
  p.Lines.push_back(MakeLine("A", 1.0, 0, 1, {0.1}, {}));
  p.Lines[0].Ranks = Monthly(2000, 1, {7.0});
  p.RankAssets(true);
  EXPECT_EQ(Values(p.Lines[0].Ranks), (std::vector<double>{7.0}));
}

// ---------------------------------------------------------------- windows

// Lines whose returns start at the given month offsets (24 months overall),
// each ranked from its own first date.
TEquitySLPortfolio LinesStartingAt(const std::vector<int>& offsets, const std::vector<double>& weights) {
  TEquitySLPortfolio p;
  for (std::size_t i = 0; i < offsets.size(); ++i) {
    const int count = 24 - offsets[i];
    TSLLine line;
    line.Name = "L" + std::to_string(i);
    line.Weight = weights[i];
    line.Returns = Constant(2000, 1 + offsets[i], count, 0.01);
    line.RankingValues = line.Returns;
    p.Lines.push_back(line);
  }
  p.Compute(true, true, true);
  return p;
}

struct WindowCase {
  std::vector<int> offsets;
  std::vector<double> weights;
  int startOffset;  // month offset of the window's first date
};

class SLPortfolioWindowTest : public ::testing::TestWithParam<WindowCase> {};

TEST_P(SLPortfolioWindowTest, WindowStartsWhereTwoWeightedLinesHaveBegun) {
  const WindowCase& c = GetParam();
  TEquitySLPortfolio p = LinesStartingAt(c.offsets, c.weights);
  ASSERT_EQ(p.AssetSeries.size(), c.offsets.size());  // zero-weight lines keep a record
  const double start = MonthEnd(2000, 1, c.startOffset);
  for (std::size_t i = 0; i < c.offsets.size(); ++i) {
    const double expected = std::max(start, MonthEnd(2000, 1, c.offsets[i]));
    const TSLAssetSeries& a = p.AssetSeries[i];
    ASSERT_FALSE(a.Returns.empty());
    EXPECT_DOUBLE_EQ(a.Returns.front().Date, expected) << a.Name;
    EXPECT_DOUBLE_EQ(a.Ranks.front().Date, expected) << a.Name;
    EXPECT_DOUBLE_EQ(a.Weights.front().Date, expected) << a.Name;
    EXPECT_DOUBLE_EQ(a.Returns.back().Date, MonthEnd(2000, 1, 23)) << a.Name;
    EXPECT_DOUBLE_EQ(a.Weights.front().Value, c.weights[i]);
  }
}

INSTANTIATE_TEST_SUITE_P(SLPortfolio, SLPortfolioWindowTest,
                         ::testing::Values(WindowCase{{0, 0, 12}, {0.3, 0.3, 0.4}, 0},
                                           WindowCase{{0, 5, 12}, {0.3, 0.3, 0.4}, 5},
                                           WindowCase{{3}, {1.0}, 3},                  // one weighted line
                                           WindowCase{{0, 2, 4}, {0.0, 0.5, 0.5}, 4},  // zero weight ignored
                                           WindowCase{{0, 7}, {0.5, 0.0}, 0}));

TEST(SLPortfolioWindow, StartIndicesAndGrid) {
  TEquitySLPortfolio p = LinesStartingAt({5, 0, 12, 0}, {0.2, 0.0, 0.4, 0.4});
  TSeries grid = p.GetDateGrid(false);
  ASSERT_EQ(grid.size(), 24u);
  EXPECT_DOUBLE_EQ(grid.front().Date, MonthEnd(2000, 1));
  EXPECT_DOUBLE_EQ(grid.front().Value, -1.0);
  EXPECT_EQ(p.GetStartIndices(false, true), (std::vector<std::int32_t>{0, 5, 12}));
  EXPECT_EQ(p.GetStartIndices(false, false), (std::vector<std::int32_t>{0, 0, 5, 12}));
  // A line whose first date is on no grid date contributes nothing.
  p.Lines[2].Returns.front().Date += 0.5;
  EXPECT_EQ(p.GetStartIndices(false, true), (std::vector<std::int32_t>{0, 5}));
  EXPECT_TRUE(TEquitySLPortfolio().GetDateGrid(true).empty());
  // Equal first dates: the earlier line gives the grid, even when shorter.
  p.Lines[1].Returns.resize(6);
  EXPECT_EQ(p.GetDateGrid(false).size(), 6u);
  // A grid date that repeats (Jan, Jan, Mar, ..., Jun) gives a line starting
  // there one entry per repeat: L1 and L3 0 and 1, L0 (June) 5.
  p.Lines[1].Returns[1].Date = p.Lines[1].Returns[0].Date;
  EXPECT_EQ(p.GetStartIndices(false, false), (std::vector<std::int32_t>{0, 0, 1, 1, 5}));
}

// ---------------------------------------------------------------- result pass

// Three lines over four months with hand-chosen ranking values (c = 0.5, so
// ranks 1 and 2 of 3 are held):
//   Jan: A 1, B 2, C 3 -> A, B     Feb, Mar: A 1, C 2, B 3 -> A, C     Apr: C 1, B 2, A 3 -> B, C
TEquitySLPortfolio ThreeLinePortfolio() {
  TEquitySLPortfolio p;
  p.CountryRankingCriteria = 0.5;
  p.Lines.push_back(MakeLine("A", 0.3, 0.1, 1, {0.0, 0.01, 0.02, 0.03}, {3, 3, 3, 1}));
  p.Lines.push_back(MakeLine("B", 0.2, 0.2, 1, {0.0, 0.04, 0.05, 0.06}, {2, 1, 1, 2}));
  p.Lines.push_back(MakeLine("C", 0.5, 0.3, 1, {0.0, -0.01, 0.10, 0.00}, {1, 2, 2, 3}));
  return p;
}

TEST(SLPortfolioResults, AllocationsNormaliseOverSelectedLines) {
  TEquitySLPortfolio p = ThreeLinePortfolio();
  p.Recalculate(true);
  ASSERT_EQ(p.Allocations.size(), 4u);
  ASSERT_EQ(p.Selections.size(), 4u);
  // Jan: A 0.3 and B 0.2 (S = 0.5) -> 0.6 and 0.4.
  const TSLAllocation& jan = p.Allocations[0];
  EXPECT_DOUBLE_EQ(jan.Date, MonthEnd(2000, 1));
  ASSERT_EQ(jan.Holdings.size(), 2u);
  EXPECT_EQ(jan.Holdings[0].Name, "A");
  EXPECT_EQ(jan.Holdings[0].Rank, 1);
  EXPECT_DOUBLE_EQ(jan.Holdings[0].Weight, 0.3);
  EXPECT_NEAR(jan.Holdings[0].AdjustedWeight, 0.6, kTol);
  EXPECT_NEAR(jan.Holdings[0].OpeningWeight, 0.6, kTol);
  EXPECT_NEAR(jan.Holdings[0].ClosingWeight, 0.6, kTol);
  EXPECT_EQ(jan.Holdings[1].Name, "B");
  EXPECT_EQ(jan.Holdings[1].Rank, 2);
  EXPECT_NEAR(jan.Holdings[1].AdjustedWeight, 0.4, kTol);
  EXPECT_NEAR(jan.TotalWeight, 1.0, kTol);
  // Feb: A 0.3, C 0.5 (S = 0.8) -> 0.375, 0.625.
  EXPECT_NEAR(p.Allocations[1].Holdings[1].AdjustedWeight, 0.625, kTol);
  // Apr: B before C in line order; S = 0.7 -> 2/7 and 5/7.
  const TSLAllocation& apr = p.Allocations[3];
  ASSERT_EQ(apr.Holdings.size(), 2u);
  EXPECT_EQ(apr.Holdings[0].Name, "B");
  EXPECT_EQ(apr.Holdings[0].Rank, 2);
  EXPECT_NEAR(apr.Holdings[0].AdjustedWeight, 2.0 / 7.0, kTol);
  EXPECT_EQ(apr.Holdings[1].Name, "C");
  EXPECT_NEAR(apr.Holdings[1].AdjustedWeight, 5.0 / 7.0, kTol);
  EXPECT_EQ(p.Selections[3].Names, (std::vector<std::string>{"B", "C"}));
  EXPECT_DOUBLE_EQ(p.Selections[3].Date, MonthEnd(2000, 4));
}

TEST(SLPortfolioResults, TurnoverCostsAndNetReturns) {
  TEquitySLPortfolio p = ThreeLinePortfolio();
  p.Recalculate(true);
  // Feb: A 0.6 -> 0.375 (0.225), B leaves (0.4), C enters (0.625): 1.25.
  // Mar: unchanged: 0.  Apr: A leaves (0.375), C 0.625 -> 5/7, B enters (2/7): 0.75.
  ASSERT_EQ(p.Turnover.size(), 3u);
  EXPECT_NEAR(p.Turnover[0].Value, 1.25, kTol);
  EXPECT_NEAR(p.Turnover[1].Value, 0.0, kTol);
  EXPECT_NEAR(p.Turnover[2].Value, 0.75, kTol);
  EXPECT_DOUBLE_EQ(p.Turnover[0].Date, MonthEnd(2000, 2));
  // Costs: change x cost% / 100 (A 0.1, B 0.2, C 0.3).
  const double febCost = 0.225 * 0.001 + 0.4 * 0.002 + 0.625 * 0.003;
  const double aprCost = 0.375 * 0.001 + (5.0 / 7.0 - 0.625) * 0.003 + (2.0 / 7.0) * 0.002;
  ASSERT_EQ(p.Costs.size(), 3u);
  EXPECT_NEAR(p.Costs[0].Value, febCost, kTol);
  EXPECT_NEAR(p.Costs[1].Value, 0.0, kTol);
  EXPECT_NEAR(p.Costs[2].Value, aprCost, kTol);
  // Returns are earned by the holdings of the month before, less the costs.
  ASSERT_EQ(p.Returns.size(), 3u);
  EXPECT_NEAR(p.Returns[0].Value, 0.6 * 0.01 + 0.4 * 0.04 - febCost, kTol);
  EXPECT_NEAR(p.Returns[1].Value, 0.375 * 0.02 + 0.625 * 0.10, kTol);
  EXPECT_NEAR(p.Returns[2].Value, 0.375 * 0.03 + 0.625 * 0.00 - aprCost, kTol);
  EXPECT_DOUBLE_EQ(p.Returns[2].Date, MonthEnd(2000, 4));
  // 12 x mean turnover: 12 x 2.0 / 3.
  EXPECT_NEAR(p.AnnualTurnover, 8.0, 1e-9);
  // Weekly and daily codes annualise with 52 and 260 periods.
  p.Frequency = 1;
  p.Recalculate(true);
  EXPECT_NEAR(p.AnnualTurnover, 52.0 * 2.0 / 3.0, 1e-9);
  p.Frequency = 2;
  p.Recalculate(true);
  EXPECT_NEAR(p.AnnualTurnover, 260.0 * 2.0 / 3.0, 1e-9);
}

TEST(SLPortfolioResults, BondPortfolioSharesTheResultPass) {
  TEquitySLPortfolio equity = ThreeLinePortfolio();
  TBondSLPortfolio bond;
  bond.CountryRankingCriteria = equity.CountryRankingCriteria;
  bond.Lines = equity.Lines;
  equity.Recalculate(true);
  bond.Recalculate(true);
  EXPECT_EQ(bond.Returns, equity.Returns);
  EXPECT_EQ(bond.Costs, equity.Costs);
  EXPECT_DOUBLE_EQ(bond.AnnualTurnover, equity.AnnualTurnover);
}

TEST(SLPortfolioResults, CurrencyPortfolioHasGrossReturns) {
  TEquitySLPortfolio equity = ThreeLinePortfolio();
  TCurrencySLPortfolio currency;
  currency.CountryRankingCriteria = 0.5;
  currency.Lines = equity.Lines;  // transaction costs set, and ignored
  currency.Recalculate(true);
  ASSERT_EQ(currency.Returns.size(), 3u);
  EXPECT_NEAR(currency.Returns[0].Value, 0.6 * 0.01 + 0.4 * 0.04, kTol);
  EXPECT_NEAR(currency.Returns[2].Value, 0.375 * 0.03, kTol);
  EXPECT_EQ(currency.Allocations.size(), 4u);
}

TEST(SLPortfolioResults, UnrankedAssetCountsInMButIsNeverSelected) {
  TEquitySLPortfolio p;
  p.CountryRankingCriteria = 0.5;
  p.Lines.push_back(MakeLine("A", 0.5, 0, 1, {0, 0}, {2.0, 2.0}));
  p.Lines.push_back(MakeLine("B", 0.3, 0, 1, {0, 0}, {1.0, 1.0}));
  p.Lines.push_back(MakeLine("C", 0.2, 0, 1, {0, 0}, {3.0, 3.0}));
  p.Lines[0].Ranks = Monthly(2000, 1, {2.0, 1.0});
  p.Lines[1].Ranks = Monthly(2000, 1, {3.0, 2.0});
  p.Lines[2].Ranks = Monthly(2000, 1, {1.0, -1.0});  // no rank in February
  p.Compute(true, false, true);
  p.RebuildResults();
  ASSERT_EQ(p.Allocations.size(), 2u);
  // Jan: C 1, A 2 held (of 3).  Feb: C has rank -1 but m is still 3, so
  // rank 2 (B) passes the 0.5 threshold: A 0.5 and B 0.3 held.
  EXPECT_EQ(p.Selections[0].Names, (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(p.Selections[1].Names, (std::vector<std::string>{"A", "B"}));
  EXPECT_NEAR(p.Allocations[1].Holdings[0].AdjustedWeight, 0.625, kTol);
  EXPECT_NEAR(p.Allocations[1].Holdings[1].AdjustedWeight, 0.375, kTol);
}

TEST(SLPortfolioResults, RankingOffHoldsEveryLineWithCountryWeights) {
  TEquitySLPortfolio p = ThreeLinePortfolio();
  p.CountryRankingCriteria = 0.0;  // would keep only rank 1 with ranking on
  p.Recalculate(false);
  for (const TSLAllocation& a : p.Allocations) {
    ASSERT_EQ(a.Holdings.size(), 3u);
    EXPECT_NEAR(a.Holdings[0].AdjustedWeight, 0.3, kTol);
    EXPECT_NEAR(a.Holdings[2].AdjustedWeight, 0.5, kTol);
    EXPECT_EQ(a.Holdings[1].Rank, 1);
    EXPECT_NEAR(a.TotalWeight, 1.0, kTol);
  }
  for (const TDataPoint& t : p.Turnover) EXPECT_NEAR(t.Value, 0.0, kTol);
  EXPECT_NEAR(p.Returns[1].Value, 0.3 * 0.02 + 0.2 * 0.05 + 0.5 * 0.10, kTol);
}

TEST(SLPortfolioResults, WeightsNotSummingToOneAreScaledUp) {
  TEquitySLPortfolio p;
  p.CountryRankingCriteria = 1.0;
  p.Lines.push_back(MakeLine("A", 0.1, 0, 1, {0, 0.1}, {1, 1}));
  p.Lines.push_back(MakeLine("B", 0.3, 0, 1, {0, 0.2}, {2, 2}));
  p.Recalculate(true);
  // S = 0.4: 0.25 and 0.75.
  EXPECT_NEAR(p.Allocations[0].Holdings[0].AdjustedWeight, 0.25, kTol);
  EXPECT_NEAR(p.Returns[0].Value, 0.25 * 0.1 + 0.75 * 0.2, kTol);
}

TEST(SLPortfolioResults, SingleReturnPointGivesOneAllocationAndNoReturns) {
  TEquitySLPortfolio p;
  p.CountryRankingCriteria = 0.5;
  p.Lines.push_back(MakeLine("A", 1.0, 0.5, 1, {0.02}, {0.1}));
  p.Recalculate(true);
  EXPECT_EQ(p.Allocations.size(), 1u);
  EXPECT_EQ(p.Selections.size(), 1u);
  EXPECT_TRUE(p.Returns.empty());
  EXPECT_TRUE(p.Turnover.empty());
  EXPECT_TRUE(p.Costs.empty());
  EXPECT_DOUBLE_EQ(p.AnnualTurnover, kNoFigure);
}

TEST(SLPortfolioResults, ZeroWeightsOrNoLinesKeepEarlierResults) {
  TEquitySLPortfolio p = ThreeLinePortfolio();
  p.Recalculate(true);
  const auto allocations = p.Allocations;
  for (TSLLine& line : p.Lines) line.Weight = 0.0;
  p.Recalculate(true);
  EXPECT_TRUE(p.Returns.empty());
  EXPECT_EQ(p.Allocations.size(), allocations.size());
  EXPECT_NEAR(p.AnnualTurnover, 8.0, 1e-9);
  p.Lines.clear();
  p.Recalculate(true);
  EXPECT_TRUE(p.Returns.empty());
  EXPECT_EQ(p.Selections.size(), 4u);
}

TEST(SLPortfolioResults, LateLineJoinsTheCompetitionAtItsFirstDate) {
  // c = 0.5, every cost 1 %. A and B from January, L from March:
  //   Jan, Feb: B 1, A 2 of m = 2 -> B alone (L is no candidate yet).
  //   Mar, Apr: L 1, B 2, A 3 of m = 3 -> B 0.3 and L 0.2 -> 0.6 and 0.4.
  TEquitySLPortfolio p;
  p.CountryRankingCriteria = 0.5;
  p.Lines.push_back(MakeLine("A", 0.5, 1.0, 1, {0.0, 0.01, 0.02, 0.03}, {1, 1, 1, 1}));
  p.Lines.push_back(MakeLine("B", 0.3, 1.0, 1, {0.0, 0.04, 0.05, 0.06}, {2, 2, 2, 2}));
  p.Lines.push_back(MakeLine("L", 0.2, 1.0, 3, {0.07, 0.08}, {3, 3}));
  p.Recalculate(true);
  ASSERT_EQ(p.AssetSeries.size(), 3u);
  EXPECT_DOUBLE_EQ(p.AssetSeries[2].Returns.front().Date, MonthEnd(2000, 3));
  ASSERT_EQ(p.Selections.size(), 4u);
  EXPECT_EQ(p.Selections[1].Names, (std::vector<std::string>{"B"}));
  EXPECT_EQ(p.Selections[2].Names, (std::vector<std::string>{"B", "L"}));
  EXPECT_NEAR(p.Allocations[1].Holdings[0].AdjustedWeight, 1.0, kTol);
  EXPECT_NEAR(p.Allocations[2].Holdings[1].AdjustedWeight, 0.4, kTol);
  EXPECT_EQ(p.Allocations[2].Holdings[1].Rank, 1);
  // Turnover: March counts B's 1.0 -> 0.6 only; L's weights begin on that
  // date, so its entry is not counted. April: unchanged.
  ASSERT_EQ(p.Turnover.size(), 3u);
  EXPECT_NEAR(p.Turnover[0].Value, 0.0, kTol);
  EXPECT_NEAR(p.Turnover[1].Value, 0.4, kTol);
  EXPECT_NEAR(p.Turnover[2].Value, 0.0, kTol);
  EXPECT_NEAR(p.Costs[1].Value, 0.004, kTol);
  // Returns: B in Feb and Mar (net of March's cost), B and L in April.
  ASSERT_EQ(p.Returns.size(), 3u);
  EXPECT_NEAR(p.Returns[0].Value, 0.04, kTol);
  EXPECT_NEAR(p.Returns[1].Value, 0.05 - 0.004, kTol);
  EXPECT_NEAR(p.Returns[2].Value, 0.6 * 0.06 + 0.4 * 0.08, kTol);
  EXPECT_NEAR(p.AnnualTurnover, 12.0 * 0.4 / 3.0, 1e-12);
}

TEST(SLPortfolioResults, PeriodsUseTheWeightsOfTheDateBefore) {
  // Both lines held throughout (c = 1.0); weights changed by hand after the
  // windows are built: A 0.2, 0.6, 0.6 and B 0.2, 0.2, 0.4 (costs 1 % and 2 %).
  // Adjusted: Jan 0.5 / 0.5, Feb 0.75 / 0.25, Mar 0.6 / 0.4.
  TEquitySLPortfolio p;
  p.CountryRankingCriteria = 1.0;
  p.Lines.push_back(MakeLine("A", 0.5, 1.0, 1, {0.0, 0.1, 0.2}, {1, 1, 1}));
  p.Lines.push_back(MakeLine("B", 0.5, 2.0, 1, {0.0, 0.3, 0.4}, {2, 2, 2}));
  p.Compute(true, true, true);
  p.AssetSeries[0].Weights = Monthly(2000, 1, {0.2, 0.6, 0.6});
  p.AssetSeries[1].Weights = Monthly(2000, 1, {0.2, 0.2, 0.4});
  p.RebuildResults();
  EXPECT_NEAR(p.Allocations[1].Holdings[0].AdjustedWeight, 0.75, kTol);
  EXPECT_NEAR(p.Allocations[1].Holdings[0].Weight, 0.6, kTol);
  // Turnover: Feb 0.25 + 0.25, Mar 0.15 + 0.15; costs at 1 % and 2 %.
  ASSERT_EQ(p.Turnover.size(), 2u);
  EXPECT_NEAR(p.Turnover[0].Value, 0.5, kTol);
  EXPECT_NEAR(p.Turnover[1].Value, 0.3, kTol);
  EXPECT_NEAR(p.Costs[0].Value, 0.0075, kTol);
  EXPECT_NEAR(p.Costs[1].Value, 0.0045, kTol);
  // Feb earns with January's 0.5 / 0.5, Mar with February's 0.75 / 0.25.
  ASSERT_EQ(p.Returns.size(), 2u);
  EXPECT_NEAR(p.Returns[0].Value, 0.5 * 0.1 + 0.5 * 0.3 - 0.0075, kTol);
  EXPECT_NEAR(p.Returns[1].Value, 0.75 * 0.2 + 0.25 * 0.4 - 0.0045, kTol);
  EXPECT_NEAR(p.AnnualTurnover, 12.0 * 0.8 / 2.0, 1e-12);
}

TEST(SLPortfolioResults, TurnoverComparesWholeDays) {
  // Two lines on Mar 31 and Mar 31 12:00 (c = 0.5, so rank 1 of 2 is held):
  // B first, then A. Both weight series begin on Mar 31, which is not before
  // the whole day of Mar 31 12:00, so that period counts no turnover although
  // the holding switches from B to A.
  const double mar = MonthEnd(2000, 3);
  TSLLine a;
  a.Name = "A";
  a.Weight = 0.5;
  a.TransactionCost = 1.0;
  a.Returns = {{mar, 0.0}, {mar + 0.5, 0.02}};
  a.RankingValues = {{mar, 1.0}, {mar + 0.5, 2.0}};
  TSLLine b = a;
  b.Name = "B";
  b.Returns = {{mar, 0.0}, {mar + 0.5, 0.03}};
  b.RankingValues = {{mar, 2.0}, {mar + 0.5, 1.0}};
  TEquitySLPortfolio p;
  p.CountryRankingCriteria = 0.5;
  p.Lines = {a, b};
  p.Recalculate(true);
  ASSERT_EQ(p.Selections.size(), 2u);
  EXPECT_EQ(p.Selections[0].Names, (std::vector<std::string>{"B"}));
  EXPECT_EQ(p.Selections[1].Names, (std::vector<std::string>{"A"}));
  ASSERT_EQ(p.Turnover.size(), 1u);
  EXPECT_DOUBLE_EQ(p.Turnover[0].Date, mar + 0.5);
  EXPECT_DOUBLE_EQ(p.Turnover[0].Value, 0.0);
  EXPECT_DOUBLE_EQ(p.Costs[0].Value, 0.0);
  // The period is earned by B, held at Mar 31.
  ASSERT_EQ(p.Returns.size(), 1u);
  EXPECT_NEAR(p.Returns[0].Value, 0.03, kTol);
}

TEST(SLPortfolioResults, MisalignedLineIsAModelError) {
  TEquitySLPortfolio p;
  p.CountryRankingCriteria = 1.0;
  p.Lines.push_back(MakeLine("A", 0.5, 0, 1, {0, 0.1, 0.1, 0.1}, {1, 1, 1, 1}));
  // Starts with A but misses March: counted from the end it is one point short.
  TSLLine gap = MakeLine("Gap", 0.5, 0, 1, {0, 0.1, 0.1, 0.1}, {2, 2, 2, 2});
  gap.Returns.erase(gap.Returns.begin() + 2);
  gap.RankingValues.erase(gap.RankingValues.begin() + 2);
  p.Lines.push_back(gap);
  EXPECT_THROW(p.Recalculate(true), EModelError);
}

TEST(SLPortfolioLifetime, CopiesAreDeepAndDestroyCleanly) {
  auto original = std::make_unique<TEquitySLPortfolio>(ThreeLinePortfolio());
  original->Name = "Risk Model Portfolio";
  original->Recalculate(true);
  TEquitySLPortfolio copy = *original;
  std::vector<TEquitySLPortfolio> many(3, *original);
  const TSeries returns = original->Returns;
  original.reset();
  EXPECT_EQ(copy.Returns, returns);
  EXPECT_EQ(many[2].Allocations[3].Holdings[1].Name, "C");
  TEquitySLPortfolio moved = std::move(copy);
  EXPECT_EQ(moved.Name, "Risk Model Portfolio");
  copy = moved;  // assignment back into a moved-from object
  EXPECT_EQ(copy.Selections.size(), 4u);
  std::unique_ptr<TSLPortfolio> base = std::make_unique<TCurrencySLPortfolio>();
  base->Lines = moved.Lines;
  base.reset();  // destroyed through the base
}

// ---------------------------------------------------------------- Build

// US (USD), Germany (EUR), Japan (JPY): equity indices growing 1 %, 2 % and
// 3 % a month over `months` month ends from January 2000, flat cash, spot
// rates 1.0.
std::vector<TCountry> EquityCountries(int months = 24) {
  return {testcountries::EquityCountry("United States", "USD", 2000, 1, months, 0.01),
          testcountries::EquityCountry("Germany", "EUR", 2000, 1, months, 0.02),
          testcountries::EquityCountry("Japan", "JPY", 2000, 1, months, 0.03)};
}

TEST(EquitySLPortfolioBuild, LinesAreExcessReturnsRankedByOneYearReturn) {
  auto countries = EquityCountries();
  ScopedCountryList scope(countries);
  TUserSettings s = MakeSettings(countries, 30, 0, 0, 0.5);
  s.CountrySettings[2].EqWeight = 40;
  s.CountryRankingCriteria = {0.5, 0.1, 0.2};
  TEquitySLPortfolio p;
  p.Name = "Risk Model Portfolio";
  p.Build(countries, s, 0, MonthEnd(2000, 1), MonthEnd(2001, 12));
  EXPECT_EQ(p.Name, "Risk Model Portfolio");
  EXPECT_EQ(p.PortfolioCcy, "USD");
  EXPECT_DOUBLE_EQ(p.CountryRankingCriteria, 0.5);
  ASSERT_EQ(p.Lines.size(), 3u);
  const TSLLine& de = p.Lines[1];
  EXPECT_EQ(de.Name, "Germany");
  EXPECT_DOUBLE_EQ(de.Weight, 0.3);
  EXPECT_DOUBLE_EQ(de.TransactionCost, 0.5);
  EXPECT_TRUE(de.RateSeries.empty());
  // 24 prices: 23 returns from February 2000; the trailing year needs 12.
  ASSERT_EQ(de.Returns.size(), 23u);
  EXPECT_DOUBLE_EQ(de.Returns.front().Date, MonthEnd(2000, 2));
  for (const auto& r : de.Returns) EXPECT_NEAR(r.Value, 0.02, 1e-12);
  ASSERT_EQ(de.RankingValues.size(), 12u);
  EXPECT_DOUBLE_EQ(de.RankingValues.front().Date, MonthEnd(2001, 1));
  EXPECT_NEAR(de.RankingValues.front().Value, std::pow(1.02, 12) - 1.0, 1e-12);

  p.Recalculate(true);
  // Japan ranks 1, Germany 2, US 3 on every date; c = 0.5 holds ranks 1-2.
  EXPECT_EQ(Values(p.Lines[2].Ranks), std::vector<double>(12, 1.0));
  EXPECT_EQ(Values(p.Lines[0].Ranks), std::vector<double>(12, 3.0));
  ASSERT_EQ(p.Allocations.size(), 12u);
  const TSLAllocation& last = p.Allocations.back();
  ASSERT_EQ(last.Holdings.size(), 2u);
  EXPECT_EQ(last.Holdings[0].Name, "Germany");
  EXPECT_NEAR(last.Holdings[0].AdjustedWeight, 0.3 / 0.7, kTol);
  EXPECT_NEAR(last.Holdings[1].AdjustedWeight, 0.4 / 0.7, kTol);
  ASSERT_EQ(p.Returns.size(), 11u);
  EXPECT_NEAR(p.Returns.front().Value, (0.3 * 0.02 + 0.4 * 0.03) / 0.7, kTol);
  EXPECT_NEAR(p.AnnualTurnover, 0.0, kTol);

  // The benchmark holds every line with data.
  TEquitySLPortfolio benchmark;
  benchmark.Build(countries, s, 0, MonthEnd(2000, 1), MonthEnd(2001, 12));
  benchmark.Recalculate(false);
  EXPECT_NEAR(benchmark.Returns.back().Value, 0.3 * 0.01 + 0.3 * 0.02 + 0.4 * 0.03, kTol);
}

TEST(EquitySLPortfolioBuild, ZeroWeightAndShortSeriesGiveNoLine) {
  auto countries = EquityCountries(24);
  Asset(countries[2], atIndex, "EQINDEX").resize(23);  // 22 returns -> 11 ranking values
  ScopedCountryList scope(countries);
  TUserSettings s = MakeSettings(countries, 30, 50, 50);
  s.CountrySettings[0].EqWeight = 0.0;
  TEquitySLPortfolio p;
  p.Build(countries, s, 0, MonthEnd(2000, 1), MonthEnd(2001, 12));
  ASSERT_EQ(p.Lines.size(), 1u);
  EXPECT_EQ(p.Lines[0].Name, "Germany");
}

TEST(EquitySLPortfolioBuild, HedgingCostSparesTheDollarCountry) {
  auto countries = EquityCountries();
  ScopedCountryList scope(countries);
  TUserSettings s = MakeSettings(countries, 30, 0, 0);
  s.FxHedging = true;
  for (auto& row : s.CountrySettings) row.EqFxSwapBorrowingCost = 1.2;  // 0.1 % a month
  TEquitySLPortfolio p;
  p.Build(countries, s, 0, MonthEnd(2000, 1), MonthEnd(2001, 12));
  ASSERT_EQ(p.Lines.size(), 3u);
  EXPECT_NEAR(p.Lines[0].Returns[5].Value, 0.01, 1e-12);
  EXPECT_NEAR(p.Lines[1].Returns[5].Value, 0.019, 1e-12);
  EXPECT_NEAR(p.Lines[2].Returns[5].Value, 0.029, 1e-12);
}

TEST(EquitySLPortfolioBuild, WeeklySeriesSpreadTheSwapCostOver52Periods) {
  // 70 Fridays from 7 January 2000; Germany's index grows 2 % a week, cash
  // flat, spot 1.0. Swap cost 5.2 % a year: 0.1 % a week.
  const double first = platform::EncodeDate(2000, 1, 7);
  auto weekly = [first](double start, double growth) {
    TSeries s;
    double x = start;
    for (int i = 0; i < 70; ++i, x *= 1.0 + growth) s.push_back({first + 7.0 * i, x});
    return s;
  };
  std::vector<TCountry> countries = {MakeCountry("United States", "USD"), MakeCountry("Germany", "EUR")};
  for (TCountry& c : countries) {
    Asset(c, atIndex, "EQINDEX") = weekly(100.0, 0.02);
    Asset(c, atRiskFreeAsset, "CASH") = weekly(100.0, 0.0);
    Asset(c, atSpotFx, "SPOTFX") = weekly(1.0, 0.0);
  }
  ScopedCountryList scope(countries);
  TUserSettings s = MakeSettings(countries, 50, 0, 0);
  s.FxHedging = true;
  for (auto& row : s.CountrySettings) row.EqFxSwapBorrowingCost = 5.2;
  TEquitySLPortfolio p;
  p.Build(countries, s, 1, first, first + 7.0 * 69);
  ASSERT_EQ(p.Lines.size(), 2u);
  ASSERT_EQ(p.Lines[1].Returns.size(), 69u);
  EXPECT_NEAR(p.Lines[0].Returns[10].Value, 0.02, 1e-12);
  EXPECT_NEAR(p.Lines[1].Returns[10].Value, 0.019, 1e-12);
}

TEST(EquitySLPortfolioBuild, CashIsDeductedAndCurrencyConverted) {
  auto countries = EquityCountries();
  // Germany's cash earns 0.5 % a month; the euro is quoted 2.0 per dollar
  // until June 2000 and 2.5 from July (the dollar rate is 1 / spot).
  Asset(countries[1], atRiskFreeAsset, "CASH") = Growing(2000, 1, 24, 100.0, 0.005);
  Asset(countries[1], atSpotFx, "SPOTFX") = SpotStep(24, 6, 2.0, 2.5);
  ScopedCountryList scope(countries);
  TEquitySLPortfolio p;
  p.Build(countries, MakeSettings(countries, 30, 0, 0), 0, MonthEnd(2000, 1), MonthEnd(2001, 12));
  const TSLLine& de = p.Lines[1];
  // (0.02 - 0.005) x growth of the dollar rate: 0.8 in July, 1.0 otherwise.
  EXPECT_NEAR(de.Returns[4].Value, 0.015, 1e-12);        // June
  EXPECT_NEAR(de.Returns[5].Value, 0.015 * 0.8, 1e-12);  // July
  EXPECT_NEAR(de.Returns[6].Value, 0.015, 1e-12);
}

TEST(EquitySLPortfolioBuild, EuroPortfolioHedgesAllButTheDollarCountry) {
  // Germany's spot is reverse-quoted (dollars per euro): 1.0 until June 2000,
  // 1.25 from July, so the euro gains 25 % against the dollar in July.
  // Dollar rate of a line: spot(country)^(+1 if reverse else -1) x
  // spot(US)^(+1); dollar-to-euro rate: 1 / spot(US) x 1 / spot(Germany).
  // Hedging 1.2 % a year = 0.1 % a month for every line but the US.
  auto countries = EquityCountries();
  countries[1].ReverseQuote = true;
  Asset(countries[1], atSpotFx, "SPOTFX") = SpotStep(24, 6, 1.0, 1.25);
  // Japan lists its risk-free assets in another order: the equity lines
  // search each country's own list for its cash.
  std::swap(countries[2].RiskFreeAssets[0], countries[2].RiskFreeAssets[1]);
  Asset(countries[2], atRiskFreeAsset, "RISKFREEASSET1") = Growing(2000, 1, 24, 100.0, 0.05);
  ScopedCountryList scope(countries);
  TUserSettings s = MakeSettings(countries, 30, 0, 0);
  s.PortfolioCcy = "EUR";
  s.FxHedging = true;
  for (auto& row : s.CountrySettings) row.EqFxSwapBorrowingCost = 1.2;
  TEquitySLPortfolio p;
  p.Build(countries, s, 0, MonthEnd(2000, 1), MonthEnd(2001, 12));
  ASSERT_EQ(p.Lines.size(), 3u);
  // June (index 4): no currency move.  July (index 5): the German line's
  // excess return x 1.25 into dollars; every dollar return r then becomes
  // (1 + r) x 0.8 - 1 in euros.
  EXPECT_NEAR(p.Lines[0].Returns[4].Value, 0.01, 1e-12);
  EXPECT_NEAR(p.Lines[0].Returns[5].Value, 1.01 * 0.8 - 1.0, 1e-12);
  EXPECT_NEAR(p.Lines[1].Returns[4].Value, 0.019, 1e-12);
  EXPECT_NEAR(p.Lines[1].Returns[5].Value, (1.0 + 0.019 * 1.25) * 0.8 - 1.0, 1e-12);
  EXPECT_NEAR(p.Lines[2].Returns[4].Value, 0.029, 1e-12);
  EXPECT_NEAR(p.Lines[2].Returns[5].Value, 1.029 * 0.8 - 1.0, 1e-12);
}

TEST(EquitySLPortfolioBuild, MissingCurrencyCountryGivesNoLinesAndShortSettingsFail) {
  auto countries = EquityCountries();
  ScopedCountryList scope(countries);
  TUserSettings s = MakeSettings(countries, 30, 0, 0);
  s.PortfolioCcy = "CHF";
  TEquitySLPortfolio p;
  p.Build(countries, s, 0, MonthEnd(2000, 1), MonthEnd(2001, 12));
  EXPECT_TRUE(p.Lines.empty());
  p.Recalculate(true);
  EXPECT_TRUE(p.Returns.empty());
  EXPECT_TRUE(p.Allocations.empty());

  s.PortfolioCcy = "USD";
  s.CountrySettings.pop_back();
  EXPECT_THROW(p.Build(countries, s, 0, MonthEnd(2000, 1), MonthEnd(2001, 12)), EModelError);
  auto noSpot = countries;
  noSpot[1].SpotFxAssets.clear();
  EXPECT_THROW(p.Build(noSpot, MakeSettings(noSpot, 30, 0, 0), 0, MonthEnd(2000, 1), MonthEnd(2001, 12)), EModelError);
  EXPECT_NO_THROW(p.Build({}, s, 0, MonthEnd(2000, 1), MonthEnd(2001, 12)));
  EXPECT_TRUE(p.Lines.empty());
}

// Bond countries: government bond indices growing 0.5 %, 1 % and 1.5 % a
// month, 10-year rates 3.0, 4.0 and 3.5, flat cash, spot 1.0.
std::vector<TCountry> BondCountries() {
  std::vector<TCountry> list;
  const char* names[] = {"United States", "Germany", "Japan"};
  const char* ccys[] = {"USD", "EUR", "JPY"};
  const double growth[] = {0.005, 0.01, 0.015};
  const double rates[] = {3.0, 4.0, 3.5};
  for (int i = 0; i < 3; ++i) {
    TCountry c = MakeCountry(names[i], ccys[i]);
    Asset(c, atRiskFreeAsset, "RISKFREEASSET1") = Growing(2000, 1, 26, 100.0, growth[i]);
    Asset(c, atRiskFreeAsset, "CASH") = Constant(2000, 1, 26, 100.0);
    Asset(c, atIndex, "10YRATEINDEX") = Constant(1999, 1, 40, rates[i]);
    Asset(c, atSpotFx, "SPOTFX") = Constant(2000, 1, 26, 1.0);
    list.push_back(c);
  }
  return list;
}

TEST(BondSLPortfolioBuild, RankedByTenYearRate) {
  auto countries = BondCountries();
  ScopedCountryList scope(countries);
  TUserSettings s = MakeSettings(countries, 0, 0, 0, 0.0, 0.25);
  s.CountrySettings[0].FiWeight = 20;
  s.CountrySettings[1].FiWeight = 30;
  s.CountrySettings[2].FiWeight = 50;
  s.CountrySettings[0].EqWeight = 100;  // not read by the bond portfolio
  s.CountryRankingCriteria = {0.9, 0.5, 0.9};
  TBondSLPortfolio p;
  p.Build(countries, s, 0, MonthEnd(2000, 1), MonthEnd(2002, 2));
  EXPECT_DOUBLE_EQ(p.CountryRankingCriteria, 0.5);
  ASSERT_EQ(p.Lines.size(), 3u);
  const TSLLine& de = p.Lines[1];
  EXPECT_DOUBLE_EQ(de.TransactionCost, 0.25);
  EXPECT_DOUBLE_EQ(de.Weight, 0.3);
  ASSERT_EQ(de.Returns.size(), 25u);
  EXPECT_NEAR(de.Returns[3].Value, 0.01, 1e-12);
  // Ranking values: the 10-year rate on every return date.
  ASSERT_EQ(de.RankingValues.size(), 25u);
  EXPECT_DOUBLE_EQ(de.RankingValues.front().Date, MonthEnd(2000, 2));
  EXPECT_DOUBLE_EQ(de.RankingValues.front().Value, 4.0);
  // Rate series: the 10-year rate over the dollar-return dates.
  ASSERT_EQ(de.RateSeries.size(), 25u);
  EXPECT_DOUBLE_EQ(de.RateSeries.back().Date, MonthEnd(2002, 2));

  p.Recalculate(true);
  // Germany 4.0 ranks 1, Japan 3.5 ranks 2, US 3.0 ranks 3: Germany and Japan held.
  EXPECT_EQ(p.Lines[1].Ranks.front().Value, 1.0);
  EXPECT_EQ(p.Lines[2].Ranks.front().Value, 2.0);
  EXPECT_EQ(p.Lines[0].Ranks.front().Value, 3.0);
  const TSLAllocation& a = p.Allocations.front();
  ASSERT_EQ(a.Holdings.size(), 2u);
  EXPECT_NEAR(a.Holdings[0].AdjustedWeight, 0.375, kTol);
  EXPECT_NEAR(a.Holdings[1].AdjustedWeight, 0.625, kTol);
  ASSERT_EQ(p.Returns.size(), 24u);
  EXPECT_NEAR(p.Returns[0].Value, 0.375 * 0.01 + 0.625 * 0.015, kTol);
}

TEST(BondSLPortfolioBuild, ZeroWeightHedgingAndMissingRate) {
  auto countries = BondCountries();
  ScopedCountryList scope(countries);
  TUserSettings s = MakeSettings(countries, 50, 30, 0);
  s.CountrySettings[2].FiWeight = 0.0;
  s.PortfolioCcy = "EUR";
  s.FxHedging = true;
  for (auto& row : s.CountrySettings) row.EqFxSwapBorrowingCost = 2.4;  // 0.2 % a month
  TBondSLPortfolio p;
  p.Build(countries, s, 0, MonthEnd(2000, 1), MonthEnd(2002, 2));
  ASSERT_EQ(p.Lines.size(), 2u);  // Japan has no fixed-income weight
  // The euro country is spared; the dollar country pays the swap cost.
  EXPECT_NEAR(p.Lines[0].Returns[2].Value, 0.005 - 0.002, 1e-12);
  EXPECT_NEAR(p.Lines[1].Returns[2].Value, 0.01, 1e-12);

  // Converted into euros: the reverse-quoted euro (dollars per euro) rises
  // from 1.0 to 1.25 in July 2000 (index 5), so a dollar return r becomes
  // (1 + r) x 0.8 - 1. The US bond earns 0.5 % in dollars; the German
  // bond's 1 % excess return is 1.25 % in dollars.
  auto euro = countries;
  euro[1].ReverseQuote = true;
  Asset(euro[1], atSpotFx, "SPOTFX") = SpotStep(26, 6, 1.0, 1.25);
  s.FxHedging = false;
  p.Build(euro, s, 0, MonthEnd(2000, 1), MonthEnd(2002, 2));
  ASSERT_EQ(p.Lines.size(), 2u);
  EXPECT_NEAR(p.Lines[0].Returns[4].Value, 0.005, 1e-12);
  EXPECT_NEAR(p.Lines[0].Returns[5].Value, 1.005 * 0.8 - 1.0, 1e-12);
  EXPECT_NEAR(p.Lines[1].Returns[4].Value, 0.01, 1e-12);
  EXPECT_NEAR(p.Lines[1].Returns[5].Value, 1.0125 * 0.8 - 1.0, 1e-12);
  s.FxHedging = true;

  // No 10-year rate in the first country: nothing to rank by, no lines.
  auto noRate = countries;
  for (auto& c : noRate) c.IndexAssets.erase(c.IndexAssets.begin() + 1);
  p.Build(noRate, s, 0, MonthEnd(2000, 1), MonthEnd(2002, 2));
  EXPECT_TRUE(p.Lines.empty());

  // A country without bond returns gets empty rates and is dropped.
  auto noBond = countries;
  Asset(noBond[0], atRiskFreeAsset, "RISKFREEASSET1").clear();
  p.Build(noBond, s, 0, MonthEnd(2000, 1), MonthEnd(2002, 2));
  ASSERT_EQ(p.Lines.size(), 1u);
  EXPECT_EQ(p.Lines[0].Name, "Germany");
}

// Cash in three currencies over 26 months: US 0.2 %, Germany 0.4 %, Japan
// 0.4 % a month (Germany and Japan tie), spot 1.0.
std::vector<TCountry> CurrencyCountries() {
  std::vector<TCountry> list;
  const char* names[] = {"United States", "Germany", "Japan"};
  const char* ccys[] = {"USD", "EUR", "JPY"};
  const double growth[] = {0.002, 0.004, 0.004};
  for (int i = 0; i < 3; ++i) {
    TCountry c = MakeCountry(names[i], ccys[i]);
    Asset(c, atRiskFreeAsset, "CASH") = Growing(2000, 1, 26, 100.0, growth[i]);
    Asset(c, atSpotFx, "SPOTFX") = Constant(2000, 1, 26, 1.0);
    list.push_back(c);
  }
  return list;
}

TEST(CurrencySLPortfolioBuild, CashInPortfolioCurrencyRankedByOneYearReturn) {
  auto countries = CurrencyCountries();
  // Japan's yen is quoted 100 per dollar, 125 from the tenth month on: a
  // yen deposit loses 20 % in dollars that month.
  ScopedCountryList scope(countries);
  TUserSettings s = MakeSettings(countries, 10, 10, 25, 3.0, 3.0);
  s.CountrySettings[0].CyWeight = 0.0;
  s.CountryRankingCriteria = {0.7, 0.9, 0.0};  // currency entry 0.0: only rank 1 held
  TCurrencySLPortfolio p;
  p.Build(countries, s, 0, MonthEnd(2000, 1), MonthEnd(2002, 2));
  EXPECT_DOUBLE_EQ(p.CountryRankingCriteria, 0.0);
  ASSERT_EQ(p.Lines.size(), 2u);  // the US has no currency weight
  EXPECT_EQ(p.Lines[0].Name, "Germany");
  EXPECT_DOUBLE_EQ(p.Lines[0].Weight, 0.25);
  EXPECT_DOUBLE_EQ(p.Lines[0].TransactionCost, 0.0);
  EXPECT_NEAR(p.Lines[0].Returns[0].Value, 0.004, 1e-12);
  p.Recalculate(true);
  // Equal trailing returns: the later line (Japan) ranks first and is the only holding.
  EXPECT_EQ(p.Lines[1].Ranks.front().Value, 1.0);
  EXPECT_EQ(p.Lines[0].Ranks.front().Value, 2.0);
  for (const TSLAllocation& a : p.Allocations) {
    ASSERT_EQ(a.Holdings.size(), 1u);
    EXPECT_EQ(a.Holdings[0].Name, "Japan");
    EXPECT_NEAR(a.Holdings[0].AdjustedWeight, 1.0, kTol);
  }
  // Gross: the yen cash return, no cost deducted.
  for (const TDataPoint& r : p.Returns) EXPECT_NEAR(r.Value, 0.004, 1e-12);

  // Spot move: with the yen at 125 from October 2000 the return that month is
  // 1.004 x 100 / 125 - 1.
  countries[2].SpotFxAssets[0].Series = SpotStep(26, 9, 100.0, 125.0);
  p.Build(countries, s, 0, MonthEnd(2000, 1), MonthEnd(2002, 2));
  EXPECT_NEAR(p.Lines[1].Returns[8].Value, 1.004 * 0.8 - 1.0, 1e-12);
  EXPECT_NEAR(p.Lines[1].Returns[9].Value, 0.004, 1e-12);
}

TEST(CurrencySLPortfolioBuild, CashPositionComesFromTheFirstCountry) {
  // Japan lists its risk-free assets in another order; the currency
  // portfolio takes every country's asset at the first country's cash
  // position, so Japan's line follows its first asset (growing 1 %).
  auto countries = CurrencyCountries();
  std::swap(countries[2].RiskFreeAssets[0], countries[2].RiskFreeAssets[1]);
  Asset(countries[2], atRiskFreeAsset, "RISKFREEASSET1") = Growing(2000, 1, 26, 100.0, 0.01);
  ScopedCountryList scope(countries);
  TCurrencySLPortfolio p;
  p.Build(countries, MakeSettings(countries, 0, 0, 30), 0, MonthEnd(2000, 1), MonthEnd(2002, 2));
  ASSERT_EQ(p.Lines.size(), 3u);
  EXPECT_NEAR(p.Lines[2].Returns[3].Value, 0.01, 1e-12);
  EXPECT_NEAR(p.Lines[1].Returns[3].Value, 0.004, 1e-12);
}

TEST(CurrencySLPortfolioBuild, NonDollarPortfolioCurrency) {
  auto countries = CurrencyCountries();
  ScopedCountryList scope(countries);
  TUserSettings s = MakeSettings(countries, 0, 0, 30);
  s.PortfolioCcy = "EUR";
  TCurrencySLPortfolio p;
  p.Build(countries, s, 0, MonthEnd(2000, 1), MonthEnd(2002, 2));
  ASSERT_EQ(p.Lines.size(), 3u);
  EXPECT_EQ(p.PortfolioCcy, "EUR");
  // The portfolio-currency country's rate is 1: its return is its cash return.
  EXPECT_NEAR(p.Lines[1].Returns[4].Value, 0.004, 1e-12);
  s.PortfolioCcy = "CHF";
  p.Build(countries, s, 0, MonthEnd(2000, 1), MonthEnd(2002, 2));
  EXPECT_TRUE(p.Lines.empty());
}

}  // namespace
