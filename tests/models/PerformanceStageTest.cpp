// The shared statistics stage of the ranking and global models: figures of
// hand-made return series, empty and misaligned inputs, period dates, the
// five members' titles and their EquityInvested and Turnover sources.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "RankingModelFixtures.h"
#include "models/equity/PerformanceStage.h"
#include "platform/DateTime.h"
#include "portfolio/TestCountries.h"

namespace {

using testcountries::MonthEnd;
using testcountries::Monthly;

TSeries Flat(int count, double value, int year = 2001, int month = 1) {
  return Monthly(year, month, std::vector<double>(static_cast<std::size_t>(count), value));
}

// 0.02, 0.0, 0.02, ... over `count` month ends from January 2001.
TSeries Alternating(int count) {
  std::vector<double> v;
  for (int i = 0; i < count; ++i) v.push_back(i % 2 == 0 ? 0.02 : 0.0);
  return Monthly(2001, 1, v);
}

TEQSLGraphicData EqslRecord(const TSeries& model, const TSeries& benchmark, double riskFreeRate = 0.0) {
  TEQSLGraphicData r;
  r.Performance.ModelReturns = model;
  r.Performance.BenchmarkReturns = benchmark;
  r.Performance.Parameters.PortfolioCcy = "EUR";
  r.Performance.Statistics.RiskFreeRate = riskFreeRate;
  r.ModelPortfolio.AnnualTurnover = 1.75;
  return r;
}

// Every figure and caption the stage writes, in one list for comparisons.
std::vector<double> WrittenFigures(const TPerformanceStatistics& s) {
  std::vector<double> v = {s.HasData ? 1.0 : 0.0, s.Correlation,      s.Beta,          s.EquityInvested, s.Turnover,
                           s.RiskFreeRate,        s.Labels.StartDate, s.Labels.EndDate};
  for (const TStatisticsBlock* b : {&s.Model, &s.Index}) {
    for (double x : {b->Return, b->Volatility, b->MaxDrawdown, b->LastPeriod, b->YearToDate, b->OneYear, b->Sharpe})
      v.push_back(x);
  }
  v.push_back(s.RiskFree.Sharpe);
  return v;
}

TEST(PerformanceStage, ConstantMonthlyReturnHasNoSharpeRatio) {
  TEQSLGraphicData r = EqslRecord(Flat(24, 0.01), Flat(24, 0.01));
  models::ComputeEQSLStatistics(&r);
  const TPerformanceStatistics& s = r.Performance.Statistics;
  EXPECT_TRUE(s.HasData);
  EXPECT_NEAR(s.Model.Return, 0.12682503013196977, 1e-12);  // 1.01^12 - 1
  EXPECT_EQ(s.Model.Volatility, 0.0);
  EXPECT_EQ(s.Model.Sharpe, kNoFigure);
  EXPECT_EQ(s.Index.Sharpe, kNoFigure);
  EXPECT_NEAR(s.Model.OneYear, 0.12682503013196977, 1e-12);
  EXPECT_NEAR(s.Model.YearToDate, 0.12682503013196977, 1e-12);  // the 12 points of 2002
  EXPECT_DOUBLE_EQ(s.Model.LastPeriod, 0.01);
  EXPECT_EQ(s.Model.MaxDrawdown, 0.0);
  EXPECT_EQ(s.Labels.EndDate, MonthEnd(2002, 12));
  EXPECT_EQ(s.RiskFreeRate, 0.0);
  EXPECT_EQ(s.Labels.Caption4, "EUR");
  EXPECT_EQ(s.Labels.Caption6, "EUR");
}

TEST(PerformanceStage, EmptyModelSeries) {
  TEQSLGraphicData r = EqslRecord({}, Alternating(12), 0.03);
  models::ComputeEQSLStatistics(&r);
  const TPerformanceStatistics& s = r.Performance.Statistics;
  rankingtest::ExpectNoModelFigures(s);
  EXPECT_EQ(s.RiskFree.Sharpe, kNoFigure);
  EXPECT_EQ(s.Model.Return, kNoFigure);
  EXPECT_EQ(s.Model.Volatility, kNoFigure);
  EXPECT_NEAR(s.Index.Return, std::pow(1.02, 6.0) - 1.0, 1e-12);  // benchmark still measured
  EXPECT_EQ(s.Turnover, 1.75);                                    // EQSL keeps its portfolio's turnover
  EXPECT_EQ(s.EquityInvested, kNoFigure);

  TEQGPGraphicData g;
  g.Total.BenchmarkReturns = Alternating(12);
  g.Benchmark.ExposureSeries = Flat(12, 0.8);
  g.Benchmark.TurnoverSeries = Flat(12, 0.1);
  models::ComputeEQGPStatistics(&g);
  EXPECT_EQ(g.Total.Statistics.EquityInvested, kNoFigure);
  EXPECT_EQ(g.Total.Statistics.Turnover, kNoFigure);
  EXPECT_FALSE(g.Total.Statistics.HasData);
}

TEST(PerformanceStage, UnequalLengthsGiveNoCorrelationOrBeta) {
  TEQSLGraphicData r = EqslRecord(Alternating(36), Alternating(40));
  models::ComputeEQSLStatistics(&r);
  const TPerformanceStatistics& s = r.Performance.Statistics;
  EXPECT_EQ(s.Correlation, kNoFigure);
  EXPECT_EQ(s.Beta, kNoFigure);
  EXPECT_NEAR(s.Model.Return, std::pow(1.02, 6.0) - 1.0, 1e-12);  // 18 periods of 0.02 over 3 years
  EXPECT_NEAR(s.Index.Return, std::pow(std::pow(1.02, 20.0), 12.0 / 40.0) - 1.0, 1e-12);
  EXPECT_NEAR(s.Model.OneYear, std::pow(1.02, 6.0) - 1.0, 1e-12);
  EXPECT_DOUBLE_EQ(s.Index.LastPeriod, 0.0);
}

TEST(PerformanceStage, PeriodStartIsOnePeriodBeforeTheFirstReturn) {
  struct Case {
    std::uint32_t frequency;
    double first;
    double start;
  };
  const Case cases[] = {
      {0, platform::EncodeDate(2001, 3, 31), platform::EncodeDate(2001, 2, 28)},
      {0, platform::EncodeDate(2004, 3, 31), platform::EncodeDate(2004, 2, 29)},
      {1, platform::EncodeDate(2004, 3, 31), platform::EncodeDate(2004, 3, 24)},
      {2, platform::EncodeDate(2024, 1, 1), platform::EncodeDate(2023, 12, 29)},  // Monday -> Friday
  };
  for (const Case& c : cases) {
    TEQSLGraphicData r = EqslRecord({{c.first, 0.01}, {c.first + 30.0, 0.02}}, {});
    r.Frequency = c.frequency;
    models::ComputeEQSLStatistics(&r);
    EXPECT_EQ(r.Performance.Statistics.Labels.StartDate, c.start) << "frequency " << c.frequency;
    EXPECT_EQ(r.Performance.Statistics.Labels.EndDate, c.first + 30.0);
  }
}

TEST(PerformanceStage, FiveMembersTitlesAndFigureSources) {
  const TSeries model = Alternating(12);
  const TSeries benchmark = Flat(12, 0.01);
  auto fill = [&](auto& part) {
    part.ModelReturns = model;
    part.BenchmarkReturns = benchmark;
    part.Parameters.PortfolioCcy = "CHF";
  };
  struct Outcome {
    const char* member;
    TPerformanceStatistics statistics;
    std::string title;
    double equityInvested;
    double turnover;
  };
  TEQSLGraphicData eqsl;
  fill(eqsl.Performance);
  eqsl.ModelPortfolio.AnnualTurnover = 0.4;
  models::ComputeEQSLStatistics(&eqsl);
  TFICYGraphicData ficy;
  fill(ficy.Performance);
  models::ComputeFICYStatistics(&ficy);
  TFIGFGraphicData figf;
  fill(figf.Performance);
  models::ComputeFIGFStatistics(&figf);
  TFIGPGraphicData figp;
  fill(figp.Performance);
  models::ComputeFIGPStatistics(&figp);
  TEQGPGraphicData eqgp;
  fill(eqgp.Total);
  eqgp.Benchmark.ExposureSeries = Monthly(2001, 1, {0.5, 1.0, 0.9});
  eqgp.Benchmark.TurnoverSeries = Monthly(2001, 1, {0.0, 0.2, 0.1, 0.1});
  models::ComputeEQGPStatistics(&eqgp);

  const Outcome outcomes[] = {
      {"EQSL", eqsl.Performance.Statistics, "Risk Portfolio", kNoFigure, 0.4},
      {"FICY", ficy.Performance.Statistics, "Cash Portfolio", kNoFigure, kNoFigure},
      {"FIGF", figf.Performance.Statistics, "Fixed Rate Bond vs Gold And TIPS", kNoFigure, kNoFigure},
      {"FIGP", figp.Performance.Statistics, "Fixed Rate Bond vs Gold And TIPS", kNoFigure, kNoFigure},
      // mean(0.5, 1.0, 0.9) = 0.8; 12 * mean(0.0, 0.2, 0.1, 0.1) = 1.2
      {"EQGP", eqgp.Total.Statistics, "Cash && Risk Portfolio", 0.8, 1.2},
  };
  const std::vector<double> reference = WrittenFigures(eqsl.Performance.Statistics);
  for (const Outcome& o : outcomes) {
    SCOPED_TRACE(o.member);
    EXPECT_EQ(o.statistics.Labels.Caption1, o.title);
    EXPECT_EQ(o.statistics.Labels.Caption4, "CHF");
    EXPECT_EQ(o.statistics.Labels.Caption6, "CHF");
    EXPECT_NEAR(o.statistics.EquityInvested, o.equityInvested, 1e-12);
    EXPECT_NEAR(o.statistics.Turnover, o.turnover, 1e-12);
    // Apart from the two figures the members do the same work.
    std::vector<double> figures = WrittenFigures(o.statistics);
    figures[3] = reference[3];
    figures[4] = reference[4];
    EXPECT_EQ(figures, reference);
  }
}

}  // namespace
