// Result records: a fresh record holds 0 in every number even in storage that
// was not zeroed, copies are deep and independent, and copying and
// destroying filled records is clean (the sanitizer build checks leaks and
// double frees).

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "TestCountries.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/GlobalResultRecords.h"

namespace {

using testcountries::Constant;
using testcountries::MakeCountry;

// Default-initialises a T in storage filled with 0xAB, hands it to check, destroys it.
template <class T, class Check>
void OnDirtyStorage(Check check) {
  void* raw = ::operator new(sizeof(T));
  std::memset(raw, 0xAB, sizeof(T));
  T* record = new (raw) T;
  check(*record);
  record->~T();
  ::operator delete(raw);
}

void ExpectZero(const TStatisticsBlock& b) {
  const double figures[] = {
      b.Return,      b.ReturnWhenOn,      b.ReturnWhenOff,      b.Volatility, b.VolatilityWhenOn, b.VolatilityWhenOff,
      b.MaxDrawdown, b.MaxDrawdownWhenOn, b.MaxDrawdownWhenOff, b.LastPeriod, b.YearToDate,       b.OneYear,
      b.Sharpe};
  for (double f : figures) EXPECT_EQ(f, 0.0);
}

void ExpectZero(const TPerformanceStatistics& s) {
  EXPECT_FALSE(s.HasData);
  ExpectZero(s.Model);
  ExpectZero(s.Index);
  ExpectZero(s.RiskFree);
  for (double f :
       {s.Correlation, s.Beta, s.EquityInvested, s.Turnover, s.RiskFreeRate, s.Labels.StartDate, s.Labels.EndDate}) {
    EXPECT_EQ(f, 0.0);
  }
  EXPECT_TRUE(s.Labels.Caption1.empty());
  EXPECT_TRUE(s.Labels.Caption6.empty());
}

void ExpectZero(const TSeriesInfo& p) {
  EXPECT_FALSE(p.FxHedging);
  for (double f : {p.MaxEqVsFiAllocation, p.MinEqVsFiAllocation, p.EquityRankingCriteria, p.QVTrustLevel,
                   p.BLTrustLevel, p.BondRankingCriteria, p.CurrencyRankingCriteria, p.MaxGoldAllocation,
                   p.MaxTipsAllocation, p.MaxFxRiskAllocation, p.SLTrustLevel, p.ExtraValue, p.IndexTransactionCost,
                   p.RiskFreeTransactionCost, p.FxHedgingTransactionCost}) {
    EXPECT_EQ(f, 0.0);
  }
  EXPECT_TRUE(p.PortfolioCcy.empty());
  EXPECT_TRUE(p.IndexTicker.empty());
}

void ExpectZero(const TPortfolioPerformance& p) {
  EXPECT_TRUE(p.ModelReturns.empty());
  EXPECT_TRUE(p.IndexCharts[0].Name.empty());
  EXPECT_TRUE(p.AllocationHistory.empty());
  ExpectZero(p.Statistics);
  ExpectZero(p.Parameters);
}

void ExpectZero(const TBenchmarkPortfolio& b) {
  EXPECT_EQ(b.QVTrustLevel, 0.0);
  EXPECT_EQ(b.BLTrustLevel, 0.0);
  EXPECT_EQ(b.Frequency, 0);
  EXPECT_EQ(b.CountryRankingCriteria, 0.0);
  EXPECT_TRUE(b.Lines.empty());
  EXPECT_TRUE(b.WeightHistory.empty());
}

void ExpectZero(const TSLPortfolio& p) {
  EXPECT_EQ(p.CountryRankingCriteria, 0.0);
  EXPECT_TRUE(p.Lines.empty());
  EXPECT_TRUE(p.Allocations.empty());
}

void ExpectZero(const TRule2Evaluator& e) {
  EXPECT_EQ(e.Frequency, 0);
  EXPECT_EQ(e.StartDate, 0.0);
  EXPECT_EQ(e.EndDate, 0.0);
  EXPECT_EQ(e.Basket.StartDate, 0.0);
  EXPECT_EQ(e.BondPortfolio.AnnualTurnover, 0.0);
  EXPECT_TRUE(e.Allocations.empty());
  EXPECT_TRUE(e.InflationLinked.Lines.empty());
}

template <class T>
void ExpectZeroHeader(const T& r) {
  EXPECT_EQ(r.Frequency, 0u);
  EXPECT_EQ(r.StartDate, 0.0);
  EXPECT_EQ(r.EndDate, 0.0);
}

void ExpectZero(const TRegionAllocationRow& row) {
  for (double f : {row.Summary.EquityShare, row.Summary.RiskFreeShare, row.Summary.FxShare,
                   row.DetailSummary.FixedRateWeight, row.DetailSummary.InflationLinkedWeight,
                   row.DetailSummary.BondWeight, row.DetailSummary.IndexWeight, row.DetailSummary.FxHedge}) {
    EXPECT_EQ(f, 0.0);
  }
  EXPECT_EQ(row.Summary.Rank, 0);
  EXPECT_FALSE(row.Summary.MacroOn || row.Summary.Selected || row.Summary.BehaviourOn);
  EXPECT_EQ(row.DetailSummary.Code, 0);
  EXPECT_EQ(row.DetailSummary.Flag, 0);
}

TEST(ResultRecordsFresh, EquityRecordsHoldZeroInEveryNumber) {
  OnDirtyStorage<TEQBLGraphicData>([](const TEQBLGraphicData& r) {
    ExpectZeroHeader(r);
    EXPECT_TRUE(r.Benchmarks.empty());
    ExpectZero(r.Total.Statistics);
    ExpectZero(r.Total.Parameters);
    EXPECT_TRUE(r.Total.ModelSeries.empty());
    EXPECT_TRUE(r.Allocations3.empty());
  });
  OnDirtyStorage<TEQQVGraphicData>([](const TEQQVGraphicData& r) { ExpectZeroHeader(r); });
  OnDirtyStorage<TEQSLGraphicData>([](const TEQSLGraphicData& r) {
    ExpectZeroHeader(r);
    ExpectZero(r.ModelPortfolio);
    ExpectZero(r.BenchmarkPortfolio);
    EXPECT_EQ(r.ModelPortfolio.AnnualTurnover, 0.0);
    ExpectZero(r.Performance);
  });
  OnDirtyStorage<TEQGPGraphicData>([](const TEQGPGraphicData& r) {
    ExpectZeroHeader(r);
    ExpectZero(r.Benchmark);
    ExpectZero(r.Benchmark2);
    EXPECT_EQ(r.EquityShares.Tag, 0);
    EXPECT_EQ(r.TotalShares.Tag, 0);
    EXPECT_EQ(r.ItemIndex, 0);
    EXPECT_FALSE(r.UseTrustLevels);
    ExpectZero(r.Portfolio);
    ExpectZero(r.Total.Statistics);
    ExpectZero(r.Total.Parameters);
  });
}

TEST(ResultRecordsFresh, GlobalRecordsHoldZeroInEveryNumber) {
  OnDirtyStorage<TFISLGraphicData>([](const TFISLGraphicData& r) {
    ExpectZeroHeader(r);
    ExpectZero(r.ModelPortfolio);
    ExpectZero(r.Performance);
  });
  OnDirtyStorage<TFICYGraphicData>([](const TFICYGraphicData& r) {
    ExpectZeroHeader(r);
    EXPECT_FALSE(r.Extra);
    ExpectZero(r.ModelPortfolio);
    ExpectZero(r.BenchmarkPortfolio);
    ExpectZero(r.Performance);
  });
  const auto rule2 = [](const auto& r) {
    ExpectZeroHeader(r);
    ExpectZero(r.Rule2);
    ExpectZero(r.Performance);
  };
  OnDirtyStorage<TFIGFGraphicData>(rule2);
  OnDirtyStorage<TFIGPGraphicData>(rule2);
  OnDirtyStorage<TMYGPGraphicData>([](const TMYGPGraphicData& r) {
    ExpectZeroHeader(r);
    EXPECT_FALSE(r.Extra);
    ExpectZero(r.Benchmark);
    ExpectZero(r.Benchmark2);
    ExpectZero(r.EquityPortfolio);
    ExpectZero(r.Performance);
    EXPECT_TRUE(r.Classic1.Assets.empty());
  });
}

TEST(ResultRecordsFresh, RowsAndItemsHoldZero) {
  OnDirtyStorage<TRegionAllocationRow>([](const TRegionAllocationRow& r) { ExpectZero(r); });
  OnDirtyStorage<TCountryModelSummary>([](const TCountryModelSummary& r) {
    for (double f : r.ExtraValues) EXPECT_EQ(f, 0.0);
    EXPECT_EQ(r.EqWeight + r.EqTransactionCost, 0.0);
    ExpectZero(r.Parameters);
  });
  OnDirtyStorage<TRegionItem>([](const TRegionItem& r) {
    EXPECT_EQ(r.Value + r.RegionColor, 0.0);
    EXPECT_EQ(r.State + r.Flag + r.Excluded, 0);
  });
  OnDirtyStorage<TInflationLinkedLine>([](const TInflationLinkedLine& r) {
    EXPECT_EQ(r.FirstDate, kMissingDate);
    EXPECT_EQ(r.LastDate, kMissingDate);
  });
  OnDirtyStorage<TBenchmarkHolding>([](const TBenchmarkHolding& r) {
    EXPECT_EQ(r.EquityWeight + r.RiskFreeWeight, 0.0);
    EXPECT_EQ(r.Rank, 0);
  });
}

TEST(ResultRecordsExported, NineInstancesStartEmpty) {
  [](const auto&... records) { (ExpectZeroHeader(records), ...); }(
      cMyExternEQBLGraphicData, cMyExternEQQVGraphicData, cMyExternEQSLGraphicData, cMyExternEQGPGraphicData,
      cMyExternFISLGraphicData, cMyExternFICYGraphicData, cMyExternFIGFGraphicData, cMyExternFIGPGraphicData,
      cMyExternMYGPGraphicData);
  EXPECT_TRUE(cMyExternEQQVGraphicData.CountryData.empty());
  EXPECT_TRUE(cMyExternFIGPGraphicData.Rule2.Returns.empty());
  static_assert(std::is_base_of_v<TEQBLGraphicData, TEQQVGraphicData>);
}

// ---------------------------------------------------------------- copies

template <class T>
class ResultRecordsCopy : public ::testing::Test {};

using TRecordTypes =
    ::testing::Types<TEQBLGraphicData, TEQQVGraphicData, TEQSLGraphicData, TEQGPGraphicData, TFISLGraphicData,
                     TFICYGraphicData, TFIGFGraphicData, TFIGPGraphicData, TMYGPGraphicData>;
TYPED_TEST_SUITE(ResultRecordsCopy, TRecordTypes);

// Copies are deep: changing a copy's country series leaves the original as it was;
// assignment replaces the previous content; moved and destroyed records leave
// nothing behind (checked by the sanitizer build).
TYPED_TEST(ResultRecordsCopy, CopiesAreDeepAndIndependent) {
  TypeParam original;
  original.Frequency = 2;
  original.Countries = {MakeCountry("USA", "USD"), MakeCountry("JAPAN", "JPY")};
  original.Countries.Edit()[1].IndexAssets[0].Series = Constant(2000, 1, 12, 100.0);
  TypeParam copy(original);
  copy.Countries.Edit()[1].IndexAssets[0].Series[5].Value = 1.0;
  EXPECT_EQ(original.Countries[1].IndexAssets[0].Series[5].Value, 100.0);
  TypeParam assigned;
  assigned.Countries.Edit().resize(5);
  assigned = copy;
  EXPECT_EQ(assigned.Countries.size(), 2u);
  EXPECT_EQ(assigned.Frequency, 2u);
  EXPECT_EQ(assigned.Countries[1].IndexAssets[0].Series[5].Value, 1.0);
  TypeParam moved(std::move(copy));
  EXPECT_EQ(moved.Countries[1].IndexAssets[0].Series, assigned.Countries[1].IndexAssets[0].Series);
}

TEST(ResultRecordsNestedCopy, EmbeddedPortfoliosAndEvaluatorsCopyDeeply) {
  TBenchmarkPortfolio benchmark;
  TBenchmarkLine line;
  line.Name = "USA";
  line.EquityReturns = Constant(2000, 1, 12, 0.01);
  benchmark.Lines.push_back(line);
  benchmark.WeightHistory.push_back({1.0, 1.0, {{"USA", 0.6, 0.4, 1}}});

  TEQBLGraphicData eqbl;
  eqbl.Benchmarks = {benchmark, benchmark};
  eqbl.GroupRows.resize(1);
  eqbl.GroupRows[0].AllRows.push_back({{"USA", "North America"}, Constant(2000, 1, 3, 1.0), true});
  TEQBLGraphicData eqblCopy = eqbl;
  eqblCopy.Benchmarks[1].Lines[0].EquityReturns[3].Value = 9.0;
  eqblCopy.GroupRows[0].AllRows[0].Labels[0] = "JAPAN";
  EXPECT_EQ(eqbl.Benchmarks[1].Lines[0].EquityReturns[3].Value, 0.01);
  EXPECT_EQ(eqbl.GroupRows[0].AllRows[0].Labels[0], "USA");

  TMYGPGraphicData mygp;
  mygp.Benchmark2 = benchmark;
  mygp.Classic1.Assets.push_back({"USD", Constant(2000, 1, 3, 0.01), {}, 0.2, 0.0});
  mygp.AllocationItems.resize(7);
  mygp.AllocationItems[0].Items.push_back({"USA", 0.5, 0.1, 0.0, 1, true, true, false});
  TMYGPGraphicData mygpCopy;
  mygpCopy = mygp;
  mygpCopy.Benchmark2.WeightHistory[0].Items[0].EquityWeight = 0.0;
  mygpCopy.AllocationItems[0].Items[0].Name = "CANADA";
  EXPECT_EQ(mygp.Benchmark2.WeightHistory[0].Items[0].EquityWeight, 0.6);
  EXPECT_EQ(mygp.AllocationItems[0].Items[0].Name, "USA");
  EXPECT_EQ(mygpCopy.Classic1.Assets.size(), 1u);

  TFIGPGraphicData figp;
  figp.Rule2.Allocations.push_back({1.0, 0.9, 0.1, 0.0});
  figp.Rule2.Basket.Countries = {MakeCountry("USA", "USD")};
  figp.Performance.AllocationHistory.push_back({2.0, 1.0, {{"Gold", 0.1}}});
  TFIGPGraphicData figpCopy(figp);
  figpCopy.Rule2.Allocations[0].GoldWeight = 0.2;
  figpCopy.Performance.AllocationHistory[0].Holdings[0].Weight = 0.0;
  EXPECT_EQ(figp.Rule2.Allocations[0].GoldWeight, 0.1);
  EXPECT_EQ(figp.Performance.AllocationHistory[0].Holdings[0].Weight, 0.1);
  EXPECT_EQ(figpCopy.Rule2.Basket.Countries.size(), 1u);
}

}  // namespace
