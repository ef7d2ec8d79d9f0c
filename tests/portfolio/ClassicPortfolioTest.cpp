// Fixed-weight portfolio: re-normalised weights while assets start late.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "TestCountries.h"
#include "portfolio/ClassicPortfolio.h"
#include "portfolio/ModelError.h"

namespace {

using testcountries::kTol;
using testcountries::MonthEnd;
using testcountries::Monthly;
using testcountries::ValuesNear;

TClassicAsset MakeAsset(const std::string& id, double weight, int month, const std::vector<double>& values) {
  TClassicAsset a;
  a.Id = id;
  a.Weight = weight;
  a.Series = Monthly(2000, month, values);
  return a;
}

TEST(ClassicPortfolio, LateAssetWeightIsSpreadUntilItStarts) {
  TClassicPortfolio p;
  p.Assets.push_back(MakeAsset("A", 0.6, 1, {0.01, 0.02, 0.03, 0.04}));
  p.Assets.push_back(MakeAsset("B", 0.4, 3, {0.10, -0.05}));  // from March
  p.ComputeWeights();
  // Jan, Feb: A alone; from March 0.6 x A + 0.4 x B.
  ASSERT_TRUE(ValuesNear(p.Returns, {0.01, 0.02, 0.6 * 0.03 + 0.4 * 0.10, 0.6 * 0.04 - 0.4 * 0.05}));
  EXPECT_DOUBLE_EQ(p.Returns[3].Date, MonthEnd(2000, 4));
  ASSERT_EQ(p.Allocations.size(), 4u);
  // Jan, Feb: A alone carries 0.6 + 1.0 x 0.4 = 1.0.
  EXPECT_DOUBLE_EQ(p.Allocations[0].Date, MonthEnd(2000, 1));
  ASSERT_EQ(p.Allocations[1].Assets.size(), 1u);
  EXPECT_EQ(p.Allocations[1].Assets[0].Id, "A");
  EXPECT_NEAR(p.Allocations[1].Assets[0].EffectiveWeight, 1.0, kTol);
  EXPECT_NEAR(p.Allocations[1].Assets[0].Weight, 0.6, kTol);
  // From March: 0.6 and 0.4.
  ASSERT_EQ(p.Allocations[2].Assets.size(), 2u);
  EXPECT_NEAR(p.Allocations[2].Assets[1].EffectiveWeight, 0.4, kTol);
  EXPECT_TRUE(p.Allocations[2].Assets[1].Series.empty());
  EXPECT_NEAR(p.Allocations[2].TotalWeight, 1.0, kTol);
  // Weight series: one point per series point.
  EXPECT_EQ(p.Assets[1].WeightSeries, Monthly(2000, 3, {0.4, 0.4}));
}

TEST(ClassicPortfolio, FiveEqualWeightsOneLate) {
  TClassicPortfolio p;
  for (int i = 0; i < 4; ++i) p.Assets.push_back(MakeAsset("C" + std::to_string(i), 0.2, 1, {0.01, 0.01, 0.01}));
  p.Assets.push_back(MakeAsset("LATE", 0.2, 3, {0.06}));
  p.ComputeWeights();
  for (const auto& e : p.Allocations[0].Assets) EXPECT_NEAR(e.EffectiveWeight, 0.25, kTol);
  ASSERT_EQ(p.Allocations[2].Assets.size(), 5u);
  for (const auto& e : p.Allocations[2].Assets) EXPECT_NEAR(e.EffectiveWeight, 0.2, kTol);
  EXPECT_NEAR(p.Returns[2].Value, 0.8 * 0.01 + 0.2 * 0.06, kTol);
}

TEST(ClassicPortfolio, ZeroWeightSumKeepsOwnWeightsAndNaNSumCountsAsNotZero) {
  TClassicPortfolio p;
  p.Assets.push_back(MakeAsset("A", 0.0, 1, {0.05, 0.05}));
  p.Assets.push_back(MakeAsset("B", 0.0, 1, {0.02, 0.02}));
  p.ComputeWeights();
  ASSERT_TRUE(ValuesNear(p.Returns, {0.0, 0.0}));
  EXPECT_DOUBLE_EQ(p.Allocations[0].TotalWeight, 0.0);
  EXPECT_EQ(p.Allocations[0].Assets.size(), 2u);
  p.Assets = {MakeAsset("A", std::nan(""), 1, {0.05})};
  p.ComputeWeights();
  ASSERT_EQ(p.Returns.size(), 1u);
  EXPECT_TRUE(std::isnan(p.Returns[0].Value));
}

TEST(ClassicPortfolio, EmptyInputsClearEarlierResults) {
  TClassicPortfolio p;
  p.Assets.push_back(MakeAsset("A", 1.0, 1, {0.05, 0.01}));
  p.ComputeWeights();
  ASSERT_EQ(p.Returns.size(), 2u);
  p.Assets[0].Series.clear();
  p.ComputeWeights();
  EXPECT_TRUE(p.Returns.empty());
  EXPECT_TRUE(p.Allocations.empty());
  EXPECT_TRUE(p.Assets[0].WeightSeries.empty());
  p.Assets.clear();
  p.ComputeWeights();
  EXPECT_TRUE(p.Returns.empty());
  EXPECT_TRUE(p.GetDateGrid().empty());
}

TEST(ClassicPortfolio, FirstOfEquallyLongSeriesGivesTheAxis) {
  TClassicPortfolio p;
  p.Assets.push_back(MakeAsset("A", 0.5, 1, {0.01, 0.01}));
  p.Assets.push_back(MakeAsset("B", 0.5, 1, {0.03, 0.03}));
  p.Assets[1].Series[0].Date += 0.25;  // same length, other dates
  p.Assets[1].Series[1].Date += 0.25;
  p.ComputeWeights();
  EXPECT_DOUBLE_EQ(p.Returns[0].Date, MonthEnd(2000, 1));
  // B's first date is later than the axis's first date: A alone there.
  EXPECT_EQ(p.Allocations[0].Assets.size(), 1u);
  EXPECT_EQ(p.Allocations[1].Assets.size(), 2u);
}

TEST(ClassicPortfolio, RecomputeIsStableAndFollowsNewWeights) {
  TClassicPortfolio p;
  p.Assets.push_back(MakeAsset("A", 0.5, 1, {0.01, 0.02}));
  p.Assets.push_back(MakeAsset("B", 0.5, 1, {0.03, 0.04}));
  p.ComputeWeights();
  const TSeries first = p.Returns;
  p.ComputeWeights();
  EXPECT_EQ(p.Returns, first);
  EXPECT_EQ(p.Allocations.size(), 2u);
  p.Assets[0].Weight = 0.25;
  p.Assets[1].Weight = 0.75;
  p.ComputeWeights();
  EXPECT_DOUBLE_EQ(p.Assets[0].WeightSeries[1].Value, 0.25);
  EXPECT_NEAR(p.Returns[1].Value, 0.25 * 0.02 + 0.75 * 0.04, kTol);
}

TEST(ClassicPortfolio, SeriesEndingEarlyIsAModelError) {
  TClassicPortfolio p;
  p.Assets.push_back(MakeAsset("A", 0.5, 1, {0.01, 0.02, 0.03}));
  p.Assets.push_back(MakeAsset("B", 0.5, 1, {0.01, 0.02}));  // ends in February
  EXPECT_THROW(p.ComputeWeights(), EModelError);
}

TEST(ClassicPortfolio, GridAndStartIndices) {
  TClassicPortfolio p;
  p.Assets.push_back(MakeAsset("A", 0.5, 3, {0.01, 0.02}));
  p.Assets.push_back(MakeAsset("B", 0.5, 1, {0.01, 0.02, 0.03, 0.04}));
  p.Assets.push_back(MakeAsset("Z", 0.0, 1, {0.01, 0.02, 0.03, 0.04}));
  p.Assets.push_back(MakeAsset("E", 0.5, 1, {}));
  const TSeries grid = p.GetDateGrid();
  ASSERT_EQ(grid.size(), 4u);
  EXPECT_DOUBLE_EQ(grid[0].Date, MonthEnd(2000, 1));
  EXPECT_DOUBLE_EQ(grid[0].Value, -1.0);
  EXPECT_EQ(p.GetStartIndices(), (std::vector<std::int32_t>{0, 2}));
  // Equal first dates: the earlier asset gives the grid, even when shorter.
  p.Assets[2].Series.resize(3);
  std::swap(p.Assets[1], p.Assets[2]);
  EXPECT_EQ(p.GetDateGrid().size(), 3u);
}

TEST(ClassicPortfolio, CopiesAreIndependent) {
  TClassicPortfolio p;
  p.Name = "Model Mix";
  p.Assets.push_back(MakeAsset("A", 1.0, 1, {0.01, 0.02}));
  p.ComputeWeights();
  auto* heap = new TClassicPortfolio(p);
  TClassicPortfolio copy = *heap;
  delete heap;
  p.Assets.clear();
  p.ComputeWeights();
  EXPECT_EQ(copy.Returns.size(), 2u);
  EXPECT_EQ(copy.Allocations[1].Assets[0].Id, "A");
  EXPECT_EQ(copy.Name, "Model Mix");
}

}  // namespace
