// Ranking portfolios: ranking, selection rule, asset windows, result pass,
// turnover and costs, and the Build of the three classes on small lists.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TestCountries.h"
#include "portfolio/BenchmarkPortfolio.h"
#include "portfolio/SLPortfolio.h"

namespace {

using testcountries::Asset;
using testcountries::Constant;
using testcountries::Growing;
using testcountries::kTol;
using testcountries::MakeSettings;
using testcountries::MonthEnd;
using testcountries::Monthly;
using testcountries::ScopedCountryList;
using testcountries::Step;
using testcountries::ThreeCountries;
using testcountries::Values;
using testcountries::ValuesNear;
using Names = std::vector<std::string>;

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

struct Held {
  std::string name;
  std::int32_t rank;  // 0: not checked
  double adjusted;
};

// The allocation holds exactly these assets, in this order.
::testing::AssertionResult HoldingsAre(const TSLAllocation& a, const std::vector<Held>& expected) {
  if (a.Holdings.size() != expected.size()) return ::testing::AssertionFailure() << a.Holdings.size() << " holdings";
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const TSLHolding& h = a.Holdings[i];
    const Held& e = expected[i];
    if (h.Name != e.name || (e.rank != 0 && h.Rank != e.rank) || std::abs(h.AdjustedWeight - e.adjusted) > kTol) {
      return ::testing::AssertionFailure()
             << "holding " << i << ": " << h.Name << " rank " << h.Rank << " weight " << h.AdjustedWeight;
    }
  }
  return ::testing::AssertionSuccess();
}

// ---------------------------------------------------------------- selection rule

// Both ranking portfolios and the benchmark apply the same rule:
// selected when rank >= 1, count > 0 and c >= (rank - 1) / (count - 1).
TEST(SLPortfolio, IsRankSelectedThresholdIsRankMinusOneOverCountMinusOne) {
  struct Case {
    double criteria;
    int rank;
    int count;
    bool selected;
  };
  // Thresholds: 1 of 1 -> 0; 2 of 3 -> 0.5; 3 of 3 -> 1; 3, 4 of 5 -> 0.5, 0.75;
  // 5, 6 of 10 -> 4/9, 5/9; 6, 7 of 11 -> 0.5, 0.6; 2, 3 of 5 -> 0.25, 0.5.
  // Rank 0 or -1 (no rank) and count 0 (nothing ranked) are never selected.
  const Case cases[] = {{0.5, 1, 1, true},   {0.5, 2, 3, true},  {0.5, 3, 3, false},  {0.5, 3, 5, true},
                        {0.5, 4, 5, false},  {0.5, 5, 10, true}, {0.5, 6, 10, false}, {0.5, 6, 11, true},
                        {0.5, 7, 11, false}, {0.5, 0, 5, false}, {0.5, -1, 5, false}, {0.5, 1, 0, false},
                        {0.0, 1, 1, true},   {0.0, 1, 5, true},  {0.0, 2, 5, false},  {0.0, 2, 2, false},
                        {1.0, 10, 10, true}, {1.0, 5, 5, true},  {0.25, 2, 5, true},  {0.25, 3, 5, false}};
  for (const Case& c : cases) {
    TEquitySLPortfolio p;
    TBenchmarkPortfolio b;
    p.CountryRankingCriteria = b.CountryRankingCriteria = c.criteria;
    EXPECT_EQ(p.IsRankSelected(c.rank, c.count), c.selected) << "c=" << c.criteria << " " << c.rank << "/" << c.count;
    EXPECT_EQ(b.IsRankSelected(c.rank, c.count), c.selected) << "c=" << c.criteria << " " << c.rank << "/" << c.count;
  }
}

// ---------------------------------------------------------------- ranking

struct RankedLine {
  int month;  // first month of the series (2000)
  std::vector<double> values;
};

struct RankCase {
  const char* what;
  bool flag;
  std::vector<RankedLine> lines;  // ranking values
  std::vector<RankedLine> ranks;  // expected Ranks, one per line
};

class SLPortfolioRankingTest : public ::testing::TestWithParam<RankCase> {};

TEST_P(SLPortfolioRankingTest, RanksOnTheLongestLinesDates) {
  const RankCase& c = GetParam();
  TEquitySLPortfolio p;
  for (const RankedLine& l : c.lines) p.Lines.push_back(MakeLine("L", 0.5, 0, l.month, {}, l.values));
  p.RankAssets(c.flag);
  for (std::size_t i = 0; i < c.ranks.size(); ++i) {
    EXPECT_EQ(p.Lines[i].Ranks, Monthly(2000, c.ranks[i].month, c.ranks[i].values)) << c.what << ", line " << i;
  }
}

const double kNaN = std::nan("");

INSTANTIATE_TEST_SUITE_P(
    SLPortfolio, SLPortfolioRankingTest,
    ::testing::Values(
        // Jan: B 0.3 first, then A and C tie at 0.1 -> C (later) before A.
        // Feb: A and B tie at 0.5 -> B 1, A 2; C 3.  Mar: all tie -> C, B, A.
        RankCase{"dense, later line first on ties",
                 true,
                 {{1, {0.1, 0.5, 0.2}}, {1, {0.3, 0.5, 0.2}}, {1, {0.1, 0.1, 0.2}}},
                 {{1, {3, 2, 3}}, {1, {1, 1, 2}}, {1, {2, 3, 1}}}},
        RankCase{
            "ranking off: 1 for every value", false, {{1, {0.1, -3.0}}, {1, {0.9, 2.0}}}, {{1, {1, 1}}, {1, {1, 1}}}},
        // A alone in Jan and Feb; Mar: Late 2.0 > A; Apr: A 1.0 > Late 0.5.
        // A line without ranking values keeps -1.0 at every reference date.
        RankCase{"late line cut to its range, empty line -1",
                 true,
                 {{1, {1, 1, 1, 1}}, {3, {2.0, 0.5}}, {1, {}}},
                 {{1, {1, 1, 2, 1}}, {3, {1, 2}}, {1, {-1, -1, -1, -1}}}},
        // Short starts with the reference but ends two months early: counted
        // from the end its points pair with Mar and Apr, and cut to its own
        // dates (Jan, Feb) it has no value. Apr: NaN still ranks, after numbers.
        RankCase{"points outside a short line, NaN last",
                 true,
                 {{1, {1, 1, 1, kNaN}}, {1, {5.0, 5.0}}},
                 {{1, {1, 1, 2, 2}}, {1, {-1, -1}}}},
        // A (Jan-Mar) and B (Feb-Apr) hold three values each: A's dates are the
        // reference. B pairs from the end: Jan (B not begun), Feb takes B's Mar
        // value 2.0, Mar its Apr value 0.5; B is cut to its own range, Feb-Mar.
        RankCase{"first of equally long lines gives the dates",
                 true,
                 {{1, {1, 1, 1}}, {2, {2.0, 2.0, 0.5}}},
                 {{1, {1, 2, 1}}, {2, {1, 2}}}}));

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
    TSLLine line;
    line.Name = "L" + std::to_string(i);
    line.Weight = weights[i];
    line.Returns = line.RankingValues = Constant(2000, 1 + offsets[i], 24 - offsets[i], 0.01);
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
  // Jan: A 0.3 and B 0.2 (S = 0.5) -> 0.6 and 0.4.  Feb, Mar: A 0.3, C 0.5
  // (S = 0.8) -> 0.375, 0.625.  Apr: B before C in line order; S = 0.7 -> 2/7 and 5/7.
  const std::vector<Held> feb = {{"A", 1, 0.375}, {"C", 2, 0.625}};
  const std::vector<std::vector<Held>> held = {
      {{"A", 1, 0.6}, {"B", 2, 0.4}}, feb, feb, {{"B", 2, 2.0 / 7.0}, {"C", 1, 5.0 / 7.0}}};
  for (int k = 0; k < 4; ++k) {
    const TSLAllocation& a = p.Allocations[static_cast<std::size_t>(k)];
    EXPECT_DOUBLE_EQ(a.Date, MonthEnd(2000, 1, k));
    EXPECT_TRUE(HoldingsAre(a, held[static_cast<std::size_t>(k)])) << "month " << k;
    EXPECT_NEAR(a.TotalWeight, 1.0, kTol);
    Names names;
    for (const Held& h : held[static_cast<std::size_t>(k)]) names.push_back(h.name);
    EXPECT_EQ(p.Selections[static_cast<std::size_t>(k)].Names, names);
    EXPECT_DOUBLE_EQ(p.Selections[static_cast<std::size_t>(k)].Date, a.Date);
  }
  const TSLHolding& a = p.Allocations[0].Holdings[0];
  EXPECT_DOUBLE_EQ(a.Weight, 0.3);
  EXPECT_NEAR(a.OpeningWeight, 0.6, kTol);
  EXPECT_NEAR(a.ClosingWeight, 0.6, kTol);
}

TEST(SLPortfolioResults, TurnoverCostsAndNetReturns) {
  TEquitySLPortfolio p = ThreeLinePortfolio();
  p.Recalculate(true);
  // Feb: A 0.6 -> 0.375 (0.225), B leaves (0.4), C enters (0.625): 1.25.
  // Mar: unchanged: 0.  Apr: A leaves (0.375), C 0.625 -> 5/7, B enters (2/7): 0.75.
  ASSERT_TRUE(ValuesNear(p.Turnover, {1.25, 0.0, 0.75}));
  EXPECT_DOUBLE_EQ(p.Turnover[0].Date, MonthEnd(2000, 2));
  // Costs: change x cost% / 100 (A 0.1, B 0.2, C 0.3).
  const double febCost = 0.225 * 0.001 + 0.4 * 0.002 + 0.625 * 0.003;
  const double aprCost = 0.375 * 0.001 + (5.0 / 7.0 - 0.625) * 0.003 + (2.0 / 7.0) * 0.002;
  EXPECT_TRUE(ValuesNear(p.Costs, {febCost, 0.0, aprCost}));
  // Returns are earned by the holdings of the month before, less the costs.
  ASSERT_TRUE(ValuesNear(p.Returns, {0.6 * 0.01 + 0.4 * 0.04 - febCost, 0.375 * 0.02 + 0.625 * 0.10,
                                     0.375 * 0.03 + 0.625 * 0.00 - aprCost}));
  EXPECT_DOUBLE_EQ(p.Returns[2].Date, MonthEnd(2000, 4));
  // Periods a year x mean turnover 2.0 / 3: monthly 12, weekly 52, daily 260.
  const std::pair<int, double> annualised[] = {{0, 12.0}, {1, 52.0}, {2, 260.0}};
  for (const auto& [frequency, periods] : annualised) {
    p.Frequency = frequency;
    p.Recalculate(true);
    EXPECT_NEAR(p.AnnualTurnover, periods * 2.0 / 3.0, 1e-9) << frequency;
  }
}

TEST(SLPortfolioResults, BondSharesTheResultPassAndCurrencyHasGrossReturns) {
  TEquitySLPortfolio equity = ThreeLinePortfolio();
  TBondSLPortfolio bond;
  TCurrencySLPortfolio currency;
  bond.CountryRankingCriteria = currency.CountryRankingCriteria = equity.CountryRankingCriteria;
  bond.Lines = currency.Lines = equity.Lines;  // transaction costs set; the currency portfolio ignores them
  equity.Recalculate(true);
  bond.Recalculate(true);
  currency.Recalculate(true);
  EXPECT_EQ(bond.Returns, equity.Returns);
  EXPECT_EQ(bond.Costs, equity.Costs);
  EXPECT_DOUBLE_EQ(bond.AnnualTurnover, equity.AnnualTurnover);
  EXPECT_TRUE(ValuesNear(currency.Returns, {0.6 * 0.01 + 0.4 * 0.04, 0.375 * 0.02 + 0.625 * 0.10, 0.375 * 0.03}));
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
  EXPECT_EQ(p.Selections[0].Names, (Names{"A", "C"}));
  EXPECT_EQ(p.Selections[1].Names, (Names{"A", "B"}));
  EXPECT_TRUE(HoldingsAre(p.Allocations[1], {{"A", 1, 0.625}, {"B", 2, 0.375}}));
}

TEST(SLPortfolioResults, RankingOffHoldsEveryLineWithCountryWeights) {
  TEquitySLPortfolio p = ThreeLinePortfolio();
  p.CountryRankingCriteria = 0.0;  // would keep only rank 1 with ranking on
  p.Recalculate(false);
  for (const TSLAllocation& a : p.Allocations) {
    EXPECT_TRUE(HoldingsAre(a, {{"A", 1, 0.3}, {"B", 1, 0.2}, {"C", 1, 0.5}}));
    EXPECT_NEAR(a.TotalWeight, 1.0, kTol);
  }
  EXPECT_TRUE(ValuesNear(p.Turnover, {0.0, 0.0, 0.0}));
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
  EXPECT_TRUE(p.Returns.empty() && p.Turnover.empty() && p.Costs.empty());
  EXPECT_DOUBLE_EQ(p.AnnualTurnover, kNoFigure);
}

TEST(SLPortfolioResults, ZeroWeightsOrNoLinesKeepEarlierResults) {
  TEquitySLPortfolio p = ThreeLinePortfolio();
  p.Recalculate(true);
  for (TSLLine& line : p.Lines) line.Weight = 0.0;
  p.Recalculate(true);
  EXPECT_TRUE(p.Returns.empty());
  EXPECT_EQ(p.Allocations.size(), 4u);
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
  EXPECT_EQ(p.Selections[1].Names, (Names{"B"}));
  EXPECT_EQ(p.Selections[2].Names, (Names{"B", "L"}));
  EXPECT_TRUE(HoldingsAre(p.Allocations[1], {{"B", 1, 1.0}}));
  EXPECT_TRUE(HoldingsAre(p.Allocations[2], {{"B", 2, 0.6}, {"L", 1, 0.4}}));
  // Turnover: March counts B's 1.0 -> 0.6 only; L's weights begin on that
  // date, so its entry is not counted. April: unchanged.
  EXPECT_TRUE(ValuesNear(p.Turnover, {0.0, 0.4, 0.0}));
  EXPECT_TRUE(ValuesNear(p.Costs, {0.0, 0.004, 0.0}));
  // Returns: B in Feb and Mar (net of March's cost), B and L in April.
  EXPECT_TRUE(ValuesNear(p.Returns, {0.04, 0.05 - 0.004, 0.6 * 0.06 + 0.4 * 0.08}));
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
  EXPECT_TRUE(HoldingsAre(p.Allocations[1], {{"A", 2, 0.75}, {"B", 1, 0.25}}));
  EXPECT_NEAR(p.Allocations[1].Holdings[0].Weight, 0.6, kTol);
  // Turnover: Feb 0.25 + 0.25, Mar 0.15 + 0.15; costs at 1 % and 2 %.
  EXPECT_TRUE(ValuesNear(p.Turnover, {0.5, 0.3}));
  EXPECT_TRUE(ValuesNear(p.Costs, {0.0075, 0.0045}));
  // Feb earns with January's 0.5 / 0.5, Mar with February's 0.75 / 0.25.
  EXPECT_TRUE(ValuesNear(p.Returns, {0.5 * 0.1 + 0.5 * 0.3 - 0.0075, 0.75 * 0.2 + 0.25 * 0.4 - 0.0045}));
  EXPECT_NEAR(p.AnnualTurnover, 12.0 * 0.8 / 2.0, 1e-12);
}

TEST(SLPortfolioResults, TurnoverComparesWholeDays) {
  // Two lines on Mar 31 and Mar 31 12:00 (c = 0.5, so rank 1 of 2 is held):
  // B first, then A. Both weight series begin on Mar 31, which is not before
  // the whole day of Mar 31 12:00, so that period counts no turnover although
  // the holding switches from B to A.
  const double mar = MonthEnd(2000, 3);
  TEquitySLPortfolio p;
  p.CountryRankingCriteria = 0.5;
  p.Lines = {MakeLine("A", 0.5, 1.0, 1, {}, {}), MakeLine("B", 0.5, 1.0, 1, {}, {})};
  p.Lines[0].Returns = {{mar, 0.0}, {mar + 0.5, 0.02}};
  p.Lines[0].RankingValues = {{mar, 1.0}, {mar + 0.5, 2.0}};
  p.Lines[1].Returns = {{mar, 0.0}, {mar + 0.5, 0.03}};
  p.Lines[1].RankingValues = {{mar, 2.0}, {mar + 0.5, 1.0}};
  p.Recalculate(true);
  ASSERT_EQ(p.Selections.size(), 2u);
  EXPECT_EQ(p.Selections[0].Names, (Names{"B"}));
  EXPECT_EQ(p.Selections[1].Names, (Names{"A"}));
  ASSERT_TRUE(ValuesNear(p.Turnover, {0.0}));
  EXPECT_DOUBLE_EQ(p.Turnover[0].Date, mar + 0.5);
  EXPECT_TRUE(ValuesNear(p.Costs, {0.0}));
  // The period is earned by B, held at Mar 31.
  EXPECT_TRUE(ValuesNear(p.Returns, {0.03}));
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

// P built from January 2000 to `to`, monthly, with the list installed.
template <class P>
P Built(const std::vector<TCountry>& countries, const TUserSettings& settings, double to) {
  ScopedCountryList scope(countries);
  P p;
  p.Build(countries, settings, 0, MonthEnd(2000, 1), to);
  return p;
}

// Equity indices growing 1 %, 2 % and 3 % a month over `months` month ends
// from January 2000, flat cash.
std::vector<TCountry> EquityCountries(int months = 24) {
  return ThreeCountries(months, [months](TCountry& c, std::size_t i) {
    Asset(c, atIndex, "EQINDEX") = Growing(2000, 1, months, 100.0, 0.01 * static_cast<double>(i + 1));
    Asset(c, atRiskFreeAsset, "CASH") = Constant(2000, 1, months, 100.0);
  });
}

// Government bond indices growing 0.5 %, 1 % and 1.5 % a month, 10-year
// rates 3.0, 4.0 and 3.5, flat cash, over 26 months.
std::vector<TCountry> BondCountries() {
  return ThreeCountries(26, [](TCountry& c, std::size_t i) {
    Asset(c, atRiskFreeAsset, "RISKFREEASSET1") = Growing(2000, 1, 26, 100.0, 0.005 * static_cast<double>(i + 1));
    Asset(c, atRiskFreeAsset, "CASH") = Constant(2000, 1, 26, 100.0);
    Asset(c, atIndex, "10YRATEINDEX") = Constant(1999, 1, 40, std::vector<double>{3.0, 4.0, 3.5}[i]);
  });
}

// Cash over 26 months: US 0.2 %, Germany and Japan 0.4 % a month (a tie).
std::vector<TCountry> CurrencyCountries() {
  return ThreeCountries(26, [](TCountry& c, std::size_t i) {
    Asset(c, atRiskFreeAsset, "CASH") = Growing(2000, 1, 26, 100.0, i == 0 ? 0.002 : 0.004);
  });
}

TEST(EquitySLPortfolioBuild, LinesAreExcessReturnsRankedByOneYearReturn) {
  auto countries = EquityCountries();
  ScopedCountryList scope(countries);
  TUserSettings s = MakeSettings(countries, 30, 0, 0, 0.5);
  s.CountrySettings[2].EqWeight = 40;
  s.CountryRankingCriteria = {0.5, 0.1, 0.2};
  TEquitySLPortfolio p;
  p.Name = "Risk Model Portfolio";  // Build keeps the name
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
  ASSERT_TRUE(ValuesNear(de.Returns, std::vector<double>(23, 0.02)));
  EXPECT_DOUBLE_EQ(de.Returns.front().Date, MonthEnd(2000, 2));
  ASSERT_TRUE(ValuesNear(de.RankingValues, std::vector<double>(12, std::pow(1.02, 12) - 1.0)));
  EXPECT_DOUBLE_EQ(de.RankingValues.front().Date, MonthEnd(2001, 1));

  p.Recalculate(true);
  // Japan ranks 1, Germany 2, US 3 on every date; c = 0.5 holds ranks 1-2.
  EXPECT_EQ(Values(p.Lines[2].Ranks), std::vector<double>(12, 1.0));
  EXPECT_EQ(Values(p.Lines[0].Ranks), std::vector<double>(12, 3.0));
  ASSERT_EQ(p.Allocations.size(), 12u);
  EXPECT_TRUE(HoldingsAre(p.Allocations.back(), {{"Germany", 2, 0.3 / 0.7}, {"Japan", 1, 0.4 / 0.7}}));
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
  TUserSettings s = MakeSettings(countries, 30, 50, 50);
  s.CountrySettings[0].EqWeight = 0.0;
  TEquitySLPortfolio p = Built<TEquitySLPortfolio>(countries, s, MonthEnd(2001, 12));
  ASSERT_EQ(p.Lines.size(), 1u);
  EXPECT_EQ(p.Lines[0].Name, "Germany");
}

TEST(EquitySLPortfolioBuild, WeeklySeriesSpreadTheSwapCostOver52PeriodsAndSpareTheDollarCountry) {
  // 70 Fridays from 7 January 2000; the indices grow 2 % a week, cash flat,
  // spot 1.0. Swap cost 5.2 % a year: 0.1 % a week, not paid by the US line.
  const double first = platform::EncodeDate(2000, 1, 7);
  auto weekly = [first](double start, double growth) {
    TSeries s;
    double x = start;
    for (int i = 0; i < 70; ++i, x *= 1.0 + growth) s.push_back({first + 7.0 * i, x});
    return s;
  };
  std::vector<TCountry> countries = {testcountries::MakeCountry("United States", "USD"),
                                     testcountries::MakeCountry("Germany", "EUR")};
  for (TCountry& c : countries) {
    Asset(c, atIndex, "EQINDEX") = weekly(100.0, 0.02);
    Asset(c, atRiskFreeAsset, "CASH") = weekly(100.0, 0.0);
    Asset(c, atSpotFx, "SPOTFX") = weekly(1.0, 0.0);
  }
  ScopedCountryList scope(countries);
  TEquitySLPortfolio p;
  p.Build(countries, testcountries::Hedged(MakeSettings(countries, 50, 0, 0), "USD", 5.2), 1, first, first + 7.0 * 69);
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
  Asset(countries[1], atSpotFx, "SPOTFX") = Step(2000, 1, 24, 6, 2.0, 2.5);
  const TEquitySLPortfolio p =
      Built<TEquitySLPortfolio>(countries, MakeSettings(countries, 30, 0, 0), MonthEnd(2001, 12));
  // (0.02 - 0.005) x growth of the dollar rate: 0.8 in July, 1.0 otherwise.
  EXPECT_NEAR(p.Lines[1].Returns[4].Value, 0.015, 1e-12);        // June
  EXPECT_NEAR(p.Lines[1].Returns[5].Value, 0.015 * 0.8, 1e-12);  // July
  EXPECT_NEAR(p.Lines[1].Returns[6].Value, 0.015, 1e-12);
}

TEST(EquitySLPortfolioBuild, EuroPortfolioHedgesAllButTheDollarCountry) {
  // Germany's spot is reverse-quoted (dollars per euro): 1.0 until June 2000,
  // 1.25 from July, so the euro gains 25 % against the dollar in July.
  // Dollar rate of a line: spot(country)^(+1 if reverse else -1) x
  // spot(US)^(+1); dollar-to-euro rate: 1 / spot(US) x 1 / spot(Germany).
  // Hedging 1.2 % a year = 0.1 % a month for every line but the US.
  auto countries = EquityCountries();
  countries[1].ReverseQuote = true;
  Asset(countries[1], atSpotFx, "SPOTFX") = Step(2000, 1, 24, 6, 1.0, 1.25);
  // Japan lists its risk-free assets in another order: the equity lines
  // search each country's own list for its cash.
  std::swap(countries[2].RiskFreeAssets[0], countries[2].RiskFreeAssets[1]);
  Asset(countries[2], atRiskFreeAsset, "RISKFREEASSET1") = Growing(2000, 1, 24, 100.0, 0.05);
  TEquitySLPortfolio p = Built<TEquitySLPortfolio>(
      countries, testcountries::Hedged(MakeSettings(countries, 30, 0, 0), "EUR", 1.2), MonthEnd(2001, 12));
  ASSERT_EQ(p.Lines.size(), 3u);
  // June (index 4): no currency move.  July (index 5): the German line's
  // excess return x 1.25 into dollars; every dollar return r then becomes
  // (1 + r) x 0.8 - 1 in euros.
  const double june[] = {0.01, 0.019, 0.029};
  const double julyInDollars[] = {0.01, 0.019 * 1.25, 0.029};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(p.Lines[i].Returns[4].Value, june[i], 1e-12) << i;
    EXPECT_NEAR(p.Lines[i].Returns[5].Value, (1.0 + julyInDollars[i]) * 0.8 - 1.0, 1e-12) << i;
  }
}

TEST(EquitySLPortfolioBuild, MissingCurrencyCountryGivesNoLinesAndShortSettingsFail) {
  auto countries = EquityCountries();
  TUserSettings s = MakeSettings(countries, 30, 0, 0);
  s.PortfolioCcy = "CHF";
  TEquitySLPortfolio p = Built<TEquitySLPortfolio>(countries, s, MonthEnd(2001, 12));
  EXPECT_TRUE(p.Lines.empty());
  p.Recalculate(true);
  EXPECT_TRUE(p.Returns.empty());
  EXPECT_TRUE(p.Allocations.empty());

  s.PortfolioCcy = "USD";
  s.CountrySettings.pop_back();
  EXPECT_THROW(Built<TEquitySLPortfolio>(countries, s, MonthEnd(2001, 12)), EModelError);
  auto noSpot = countries;
  noSpot[1].SpotFxAssets.clear();
  EXPECT_THROW(Built<TEquitySLPortfolio>(noSpot, MakeSettings(noSpot, 30, 0, 0), MonthEnd(2001, 12)), EModelError);
  EXPECT_NO_THROW(p = Built<TEquitySLPortfolio>({}, s, MonthEnd(2001, 12)));
  EXPECT_TRUE(p.Lines.empty());
}

TEST(BondSLPortfolioBuild, RankedByTenYearRate) {
  auto countries = BondCountries();
  TUserSettings s = MakeSettings(countries, 0, 0, 0, 0.0, 0.25);
  s.CountrySettings[0].FiWeight = 20;
  s.CountrySettings[1].FiWeight = 30;
  s.CountrySettings[2].FiWeight = 50;
  s.CountrySettings[0].EqWeight = 100;  // not read by the bond portfolio
  s.CountryRankingCriteria = {0.9, 0.5, 0.9};
  TBondSLPortfolio p = Built<TBondSLPortfolio>(countries, s, MonthEnd(2002, 2));
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
  EXPECT_EQ(p.Lines[0].Ranks.front().Value, 3.0);
  EXPECT_TRUE(HoldingsAre(p.Allocations.front(), {{"Germany", 1, 0.375}, {"Japan", 2, 0.625}}));
  ASSERT_EQ(p.Returns.size(), 24u);
  EXPECT_NEAR(p.Returns[0].Value, 0.375 * 0.01 + 0.625 * 0.015, kTol);
}

TEST(BondSLPortfolioBuild, ZeroWeightHedgingAndMissingRate) {
  auto countries = BondCountries();
  TUserSettings s = testcountries::Hedged(MakeSettings(countries, 50, 30, 0), "EUR", 2.4);  // 0.2 % a month
  s.CountrySettings[2].FiWeight = 0.0;
  TBondSLPortfolio p = Built<TBondSLPortfolio>(countries, s, MonthEnd(2002, 2));
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
  Asset(euro[1], atSpotFx, "SPOTFX") = Step(2000, 1, 26, 6, 1.0, 1.25);
  s.FxHedging = false;
  p = Built<decltype(p)>(euro, s, MonthEnd(2002, 2));
  ASSERT_EQ(p.Lines.size(), 2u);
  EXPECT_NEAR(p.Lines[0].Returns[4].Value, 0.005, 1e-12);
  EXPECT_NEAR(p.Lines[0].Returns[5].Value, 1.005 * 0.8 - 1.0, 1e-12);
  EXPECT_NEAR(p.Lines[1].Returns[4].Value, 0.01, 1e-12);
  EXPECT_NEAR(p.Lines[1].Returns[5].Value, 1.0125 * 0.8 - 1.0, 1e-12);
  s.FxHedging = true;

  // No 10-year rate in the first country: nothing to rank by, no lines.
  auto noRate = countries;
  for (auto& c : noRate) c.IndexAssets.erase(c.IndexAssets.begin() + 1);
  p = Built<decltype(p)>(noRate, s, MonthEnd(2002, 2));
  EXPECT_TRUE(p.Lines.empty());

  // A country without bond returns gets empty rates and is dropped.
  auto noBond = countries;
  Asset(noBond[0], atRiskFreeAsset, "RISKFREEASSET1").clear();
  p = Built<decltype(p)>(noBond, s, MonthEnd(2002, 2));
  ASSERT_EQ(p.Lines.size(), 1u);
  EXPECT_EQ(p.Lines[0].Name, "Germany");
}

TEST(CurrencySLPortfolioBuild, CashInPortfolioCurrencyRankedByOneYearReturn) {
  auto countries = CurrencyCountries();
  TUserSettings s = MakeSettings(countries, 10, 10, 25, 3.0, 3.0);
  s.CountrySettings[0].CyWeight = 0.0;
  s.CountryRankingCriteria = {0.7, 0.9, 0.0};  // currency entry 0.0: only rank 1 held
  TCurrencySLPortfolio p = Built<TCurrencySLPortfolio>(countries, s, MonthEnd(2002, 2));
  EXPECT_DOUBLE_EQ(p.CountryRankingCriteria, 0.0);
  ASSERT_EQ(p.Lines.size(), 2u);  // the US has no currency weight
  EXPECT_EQ(p.Lines[0].Name, "Germany");
  EXPECT_DOUBLE_EQ(p.Lines[0].Weight, 0.25);
  EXPECT_DOUBLE_EQ(p.Lines[0].TransactionCost, 0.0);
  EXPECT_NEAR(p.Lines[0].Returns[0].Value, 0.004, 1e-12);
  p.Recalculate(true);
  // Equal trailing returns: the later line (Japan) ranks first and is the only holding.
  EXPECT_EQ(p.Lines[0].Ranks.front().Value, 2.0);
  for (const TSLAllocation& a : p.Allocations) EXPECT_TRUE(HoldingsAre(a, {{"Japan", 1, 1.0}}));
  // Gross: the yen cash return, no cost deducted.
  for (const TDataPoint& r : p.Returns) EXPECT_NEAR(r.Value, 0.004, 1e-12);

  // Yen quoted 100 per dollar, 125 from October 2000: that month a yen
  // deposit earns 1.004 x 100 / 125 - 1 in dollars.
  countries[2].SpotFxAssets[0].Series = Step(2000, 1, 26, 9, 100.0, 125.0);
  p = Built<decltype(p)>(countries, s, MonthEnd(2002, 2));
  EXPECT_NEAR(p.Lines[1].Returns[8].Value, 1.004 * 0.8 - 1.0, 1e-12);
  EXPECT_NEAR(p.Lines[1].Returns[9].Value, 0.004, 1e-12);
}

TEST(CurrencySLPortfolioBuild, CashPositionComesFromTheFirstCountryAndOtherPortfolioCurrencies) {
  // Japan lists its risk-free assets in another order; the currency
  // portfolio takes every country's asset at the first country's cash
  // position, so Japan's line follows its first asset (growing 1 %).
  auto countries = CurrencyCountries();
  std::swap(countries[2].RiskFreeAssets[0], countries[2].RiskFreeAssets[1]);
  Asset(countries[2], atRiskFreeAsset, "RISKFREEASSET1") = Growing(2000, 1, 26, 100.0, 0.01);
  TUserSettings s = MakeSettings(countries, 0, 0, 30);
  TCurrencySLPortfolio p = Built<TCurrencySLPortfolio>(countries, s, MonthEnd(2002, 2));
  ASSERT_EQ(p.Lines.size(), 3u);
  EXPECT_NEAR(p.Lines[2].Returns[3].Value, 0.01, 1e-12);
  EXPECT_NEAR(p.Lines[1].Returns[3].Value, 0.004, 1e-12);
  // In euros the portfolio-currency country's rate is 1: its return is its cash return.
  s.PortfolioCcy = "EUR";
  p = Built<decltype(p)>(countries, s, MonthEnd(2002, 2));
  ASSERT_EQ(p.Lines.size(), 3u);
  EXPECT_EQ(p.PortfolioCcy, "EUR");
  EXPECT_NEAR(p.Lines[1].Returns[4].Value, 0.004, 1e-12);
  s.PortfolioCcy = "CHF";
  p = Built<decltype(p)>(countries, s, MonthEnd(2002, 2));
  EXPECT_TRUE(p.Lines.empty());
}

}  // namespace
