// Performance record: the statistics stage (empty model series, zero
// volatility, Sharpe ratios, mismatched lengths, period labels), the chart
// sets of the ranking models, the allocation rows and the parameter copies.

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

#include "TestCountries.h"
#include "portfolio/PortfolioPerformance.h"

namespace {

using testcountries::Constant;
using testcountries::MonthEnd;
using testcountries::Monthly;

// 24 monthly returns alternating 0.02 and 0.0 from March 2016.
TSeries Alternating(int count = 24) {
  std::vector<double> v;
  for (int i = 0; i < count; ++i) v.push_back(i % 2 == 0 ? 0.02 : 0.0);
  return Monthly(2016, 3, v);
}

TEST(PerformanceStatistics, EmptyModelSeriesMarksEveryDerivedFigure) {
  TPerformanceStatistics s;
  s.RiskFreeRate = 0.03;
  ComputePerformanceStatistics(s, {}, Alternating(), "Portfolio", "EUR", 0, kNoFigure, 1.5);
  EXPECT_FALSE(s.HasData);
  for (double f : {s.Labels.StartDate, s.Labels.EndDate, s.RiskFreeRate, s.Model.Sharpe, s.Index.Sharpe,
                   s.RiskFree.Sharpe, s.Model.Return, s.Correlation}) {
    EXPECT_EQ(f, kNoFigure);
  }
  // The benchmark figures are still computed: (1.02^12)^(12/24) - 1.
  EXPECT_NEAR(s.Index.Return, std::pow(1.02, 6) - 1.0, 1e-12);
  EXPECT_EQ(s.Turnover, 1.5);
  EXPECT_EQ(s.Labels.Caption1, "Portfolio");
  EXPECT_EQ(s.Labels.Caption4, "EUR");
  EXPECT_EQ(s.Labels.Caption6, "EUR");
}

TEST(PerformanceStatistics, FiguresAndSharpeWorkedByHand) {
  // Mean 0.01, population deviation 0.01: volatility 0.01 x sqrt(12).
  TPerformanceStatistics s;
  s.RiskFreeRate = 0.02;
  const TSeries model = Alternating();
  ComputePerformanceStatistics(s, model, model, "Risk Portfolio", "USD", 0, kNoFigure, kNoFigure);
  EXPECT_TRUE(s.HasData);
  const double annual = std::pow(1.02, 6) - 1.0;
  const double volatility = 0.01 * std::sqrt(12.0);
  EXPECT_NEAR(s.Model.Return, annual, 1e-12);
  EXPECT_NEAR(s.Model.Volatility, volatility, 1e-12);
  EXPECT_NEAR(s.Model.Sharpe, (annual - 0.02) / volatility, 1e-9);
  EXPECT_NEAR(s.Model.LastPeriod, 0.0, 1e-15);
  EXPECT_NEAR(s.Model.OneYear, std::pow(1.02, 6) - 1.0, 1e-12);
  EXPECT_NEAR(s.Model.MaxDrawdown, 0.0, 1e-15);
  EXPECT_NEAR(s.Correlation, 1.0, 1e-12);
  EXPECT_NEAR(s.Beta, 1.0, 1e-12);
  // The risk-free block holds 0.0 in a fresh record: no Sharpe ratio.
  EXPECT_EQ(s.RiskFree.Sharpe, kNoFigure);
  // One period before 31 March 2016 is 29 February 2016.
  EXPECT_EQ(s.Labels.StartDate, MonthEnd(2016, 2));
  EXPECT_EQ(s.Labels.EndDate, MonthEnd(2018, 2));
}

TEST(PerformanceStatistics, EachColumnFromItsOwnSeries) {
  // Benchmark 0.02, 0.0 alternating; model 0.04, -0.01 alternating (24 months
  // from March 2016, the last in February 2018). Deviations from the means are
  // +-0.01 and +-0.025, perfectly correlated: beta of the model on the
  // benchmark 0.025 / 0.01 = 2.5 (the other way round it would be 0.4).
  std::vector<double> m;
  for (int i = 0; i < 24; ++i) m.push_back(i % 2 == 0 ? 0.04 : -0.01);
  const TSeries model = Monthly(2016, 3, m);
  const TSeries benchmark = Alternating();
  TPerformanceStatistics s;
  s.RiskFreeRate = 0.01;
  ComputePerformanceStatistics(s, model, benchmark, "Portfolio", "USD", 0, kNoFigure, kNoFigure);

  const double pair = 1.04 * 0.99;
  const double modelReturn = std::pow(pair, 6) - 1.0;
  const double modelVolatility = 0.025 * std::sqrt(12.0);
  EXPECT_NEAR(s.Model.Return, modelReturn, 1e-12);
  EXPECT_NEAR(s.Model.Volatility, modelVolatility, 1e-12);
  EXPECT_NEAR(s.Model.MaxDrawdown, -0.01, 1e-12);
  EXPECT_NEAR(s.Model.LastPeriod, -0.01, 1e-15);
  EXPECT_NEAR(s.Model.YearToDate, pair - 1.0, 1e-12);  // January and February 2018
  EXPECT_NEAR(s.Model.OneYear, std::pow(pair, 6) - 1.0, 1e-12);
  EXPECT_NEAR(s.Model.Sharpe, (modelReturn - 0.01) / modelVolatility, 1e-12);

  const double indexReturn = std::pow(1.02, 6) - 1.0;
  const double indexVolatility = 0.01 * std::sqrt(12.0);
  EXPECT_NEAR(s.Index.Return, indexReturn, 1e-12);
  EXPECT_NEAR(s.Index.Volatility, indexVolatility, 1e-12);
  EXPECT_NEAR(s.Index.MaxDrawdown, 0.0, 1e-15);
  EXPECT_NEAR(s.Index.LastPeriod, 0.0, 1e-15);
  EXPECT_NEAR(s.Index.YearToDate, 0.02, 1e-12);
  EXPECT_NEAR(s.Index.Sharpe, (indexReturn - 0.01) / indexVolatility, 1e-12);

  EXPECT_NEAR(s.Correlation, 1.0, 1e-12);
  EXPECT_NEAR(s.Beta, 2.5, 1e-12);
}

TEST(PerformanceStatistics, PeriodStartsOnePeriodOfTheModelFrequencyBeforeTheFirstReturn) {
  // Weekly: seven days before the first date.
  const double first = MonthEnd(2016, 3);
  const TSeries weekly = {{first, 0.01}, {first + 7.0, 0.02}, {first + 14.0, -0.01}};
  TPerformanceStatistics s;
  ComputePerformanceStatistics(s, weekly, weekly, "Portfolio", "USD", 1, kNoFigure, kNoFigure);
  EXPECT_EQ(s.Labels.StartDate, first - 7.0);
  EXPECT_EQ(s.Labels.EndDate, first + 14.0);
  // 52 periods a year.
  EXPECT_NEAR(s.Model.Return, std::pow(1.01 * 1.02 * 0.99, 52.0 / 3.0) - 1.0, 1e-9);
}

TEST(PerformanceStatistics, ZeroVolatilityAndUnknownRiskFreeRateGiveNoSharpe) {
  TPerformanceStatistics s;
  s.RiskFreeRate = 0.0;
  const TSeries flat = Constant(2016, 1, 24, 0.01);
  ComputePerformanceStatistics(s, flat, flat, "Portfolio", "USD", 0, kNoFigure, kNoFigure);
  EXPECT_NEAR(s.Model.Return, std::pow(1.01, 12) - 1.0, 1e-12);
  EXPECT_EQ(s.Model.Volatility, 0.0);
  EXPECT_EQ(s.Model.Sharpe, kNoFigure);
  EXPECT_EQ(s.Index.Sharpe, kNoFigure);

  s.RiskFreeRate = kNoFigure;
  ComputePerformanceStatistics(s, Alternating(), Alternating(), "Portfolio", "USD", 0, kNoFigure, kNoFigure);
  EXPECT_EQ(s.Model.Sharpe, kNoFigure);
  EXPECT_EQ(s.Index.Sharpe, kNoFigure);
}

TEST(PerformanceStatistics, SeriesOfDifferentLengthsHaveNoCorrelationOrBeta) {
  TPerformanceStatistics s;
  ComputePerformanceStatistics(s, Alternating(24), Alternating(30), "Portfolio", "USD", 0, kNoFigure, kNoFigure);
  EXPECT_EQ(s.Correlation, kNoFigure);
  EXPECT_EQ(s.Beta, kNoFigure);
  EXPECT_NE(s.Model.Return, kNoFigure);
  EXPECT_NE(s.Index.Return, kNoFigure);
}

TEST(PerformanceStatistics, RecordFormUsesItsSeriesAndCurrency) {
  TPortfolioPerformance p;
  p.ModelReturns = Alternating();
  p.BenchmarkReturns = Alternating();
  p.Parameters.PortfolioCcy = "JPY";
  p.Statistics.Labels.Caption2 = "kept";
  p.Statistics.Model.ReturnWhenOn = 0.5;
  ComputePerformanceStatistics(p, "Cash Portfolio", 0, kNoFigure);
  EXPECT_EQ(p.Statistics.Labels.Caption1, "Cash Portfolio");
  EXPECT_EQ(p.Statistics.Labels.Caption6, "JPY");
  EXPECT_EQ(p.Statistics.Labels.Caption2, "kept");
  EXPECT_EQ(p.Statistics.Model.ReturnWhenOn, 0.5);
  EXPECT_EQ(p.Statistics.EquityInvested, kNoFigure);
  EXPECT_EQ(p.Statistics.Turnover, kNoFigure);
}

TEST(PerformanceChartSets, BenchmarkInSlotZeroModelInSlotTwoBothCutToTheModelRange) {
  TPortfolioPerformance p;
  p.ModelName = "(In USD)";
  p.BenchmarkName = "Benchmark (In USD)";
  p.ModelReturns = Monthly(2000, 3, {0.1, -0.1, 0.05});
  p.BenchmarkReturns = Monthly(2000, 1, {0.5, 0.5, 0.1, 0.1, 0.1, 0.1});
  p.IndexCharts[1].Name = "untouched";
  FillChartSets(p, 0);

  EXPECT_EQ(p.IndexCharts[0].Name, "Benchmark (In USD)");
  EXPECT_EQ(p.IndexCharts[2].Name, "(In USD)");
  EXPECT_EQ(p.IndexCharts[1].Name, "untouched");
  EXPECT_TRUE(p.DrawdownCharts[1].Series.empty());
  // Benchmark cut to March..May: index 1.0 (February), 1.1, 1.21, 1.331.
  const TSeries& bench = p.IndexCharts[0].Series;
  ASSERT_EQ(bench.size(), 4u);
  EXPECT_EQ(bench.front().Date, MonthEnd(2000, 2));
  EXPECT_NEAR(bench.back().Value, 1.331, 1e-12);
  // Model drawdown 0, 0, -0.10, -0.055.
  const TSeries& dd = p.DrawdownCharts[2].Series;
  ASSERT_EQ(dd.size(), 4u);
  EXPECT_NEAR(dd[2].Value, -0.10, 1e-12);
  EXPECT_NEAR(dd[3].Value, -0.055, 1e-12);
  EXPECT_TRUE(p.OneYearCharts[2].Series.empty());  // three months make no one-year window

  TPortfolioPerformance empty;
  empty.BenchmarkReturns = Monthly(2000, 1, {0.1});
  FillChartSets(empty, 0);
  EXPECT_TRUE(empty.IndexCharts[0].Series.empty());
  EXPECT_TRUE(empty.IndexCharts[2].Series.empty());
  EXPECT_THROW((void)empty.IndexCharts[3], std::out_of_range);
}

TEST(PerformanceAllocationRows, CopyDateTotalAndAdjustedWeights) {
  std::vector<TSLAllocation> allocations(2);
  allocations[0].Date = MonthEnd(2000, 1);
  allocations[0].TotalWeight = 1.0;
  allocations[0].Holdings = {{"USA", 0.2, 0.4, 0.4, 0.4, 1}, {"JAPAN", 0.3, 0.6, 0.6, 0.6, 2}};
  allocations[1].Date = MonthEnd(2000, 2);
  const std::vector<TAllocationRow> rows = AllocationRowsFromPortfolio(allocations);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].Date, MonthEnd(2000, 1));
  EXPECT_EQ(rows[0].TotalWeight, 1.0);
  ASSERT_EQ(rows[0].Holdings.size(), 2u);
  EXPECT_EQ(rows[0].Holdings[1].Name, "JAPAN");
  EXPECT_EQ(rows[0].Holdings[1].Weight, 0.6);
  EXPECT_TRUE(rows[1].Holdings.empty());
}

TEST(PerformanceParameters, EachGroupCopiesItsMembersAndKeepsTheRest) {
  TUserSettings s;
  s.PortfolioCcy = "EUR";
  s.MaxEqVsFiAllocation = 80.0;
  s.QVTrustLevel = 30.0;
  s.SLTrustLevel = 50.0;
  s.CountryRankingCriteria = {0.1, 0.2, 0.3};
  s.MaxFxRiskAllocation = 25.0;
  TSeriesInfo equity;
  equity.MaxFxRiskAllocation = 7.0;
  CopySettingsToSeriesInfo(equity, s, TParameterGroup::Equity);
  EXPECT_EQ(equity.PortfolioCcy, "EUR");
  EXPECT_EQ(equity.EquityRankingCriteria, 0.1);
  EXPECT_EQ(equity.QVTrustLevel, 30.0);
  EXPECT_EQ(equity.MaxFxRiskAllocation, 7.0);
  TSeriesInfo bonds;
  CopySettingsToSeriesInfo(bonds, s, TParameterGroup::FixedIncome);
  EXPECT_EQ(bonds.BondRankingCriteria, 0.2);
  EXPECT_EQ(bonds.CurrencyRankingCriteria, 0.3);
  EXPECT_EQ(bonds.SLTrustLevel, 50.0);
  EXPECT_EQ(bonds.QVTrustLevel, 0.0);
  EXPECT_EQ(bonds.MaxEqVsFiAllocation, 0.0);
  TSeriesInfo all;
  CopySettingsToSeriesInfo(all, s, TParameterGroup::All);
  EXPECT_EQ(all.MaxEqVsFiAllocation, 80.0);
  EXPECT_EQ(all.QVTrustLevel, 30.0);
  EXPECT_EQ(all.MaxFxRiskAllocation, 25.0);
}

}  // namespace
