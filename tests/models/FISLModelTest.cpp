// FISL: the whole run on a small bond list (progress, failures, window,
// returns, rerun), and the ranking, statistics and allocation stages on
// hand-built records.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "RankingModelFixtures.h"
#include "models/equity/PerformanceStage.h"
#include "models/global/FISLModel.h"
#include "platform/DateTime.h"
#include "portfolio/ModelError.h"

using namespace testcountries;
using platform::EncodeDate;
using rankingtest::FirstLabels;

namespace {

// ------------------------------------------------------------------ whole run

// "United States" (USD), "Germany" (EUR), "Japan" (JPY) over the month ends
// of 2000 to 2004: flat cash, spot 1.0, 10-year bonds growing by 1 %, 2 % and
// 0.5 % a month, constant 10-year rates 4, 5 and 1 (Germany ranks first,
// then the United States, then Japan); QVSIGNAL from (signalYear, signalMonth).
std::vector<TCountry> BondList(int signalYear = 2000, int signalMonth = 1) {
  std::vector<TCountry> list = {MakeCountry("United States", "USD"), MakeCountry("Germany", "EUR", "Europe (Euro)"),
                                MakeCountry("Japan", "JPY", "Japan")};
  const double growth[] = {0.01, 0.02, 0.005};
  const double rate[] = {4.0, 5.0, 1.0};
  const int months = (2004 - signalYear) * 12 + (12 - signalMonth) + 1;
  for (std::size_t i = 0; i < list.size(); ++i) {
    TCountry& c = list[i];
    Asset(c, atRiskFreeAsset, "CASH") = Constant(2000, 1, 60, 100.0);
    Asset(c, atRiskFreeAsset, "RISKFREEASSET1") = Growing(2000, 1, 60, 100.0, growth[i]);
    Asset(c, atIndex, "10YRATEINDEX") = Constant(2000, 1, 60, rate[i]);
    Asset(c, atSpotFx, "SPOTFX") = Constant(2000, 1, 60, 1.0);
    Asset(c, atSignal, "QVSIGNAL") = Constant(signalYear, signalMonth, months, 1.0);
  }
  return list;
}

// Bond weights 10 %, bond criterion 0.5 (ranks 1 and 2 of three are held),
// inception 31 Dec 2002, end 31 Dec 2003.
TUserSettings BondSettings(const std::vector<TCountry>& list) {
  TUserSettings s = MakeSettings(list, 0.0, 10.0, 0.0);
  s.CountryRankingCriteria = {0.25, 0.5, 0.75};
  s.MaxGoldAllocation = 15.0;
  s.MaxTipsAllocation = 20.0;
  s.MaxFxRiskAllocation = 30.0;
  s.SLTrustLevel = 40.0;
  s.QVTrustLevel = 50.0;
  s.InceptionDate = EncodeDate(2002, 12, 31);
  s.EndDate = EncodeDate(2003, 12, 31);
  return s;
}

using ModelRun = rankingtest::ModelRun<TFISLGraphicData>;

// Runs the model with `global` as the shared user settings.
void RunFISL(ModelRun& run, const std::vector<TCountry>& list, const TUserSettings& settings,
             const TUserSettings& global, std::uint32_t frequency = 0, bool intraMonth = false) {
  rankingtest::RunModel(&models::ComputeFISLModel, run, list, settings, global, frequency, intraMonth);
}

TEST(FISLRun, ShowsNineProgressTextsAndFillsEveryStage) {
  ModelRun run;
  ASSERT_NO_FATAL_FAILURE(rankingtest::ExpectCompleteRun(
      &models::ComputeFISLModel, run, BondList(), BondSettings(BondList()), "Model Portfolio", "Benchmark Portfolio"));
  const TFISLGraphicData& r = run.result;
  const TSeriesInfo& info = r.Performance.Parameters;
  EXPECT_EQ(info.BondRankingCriteria, 0.5);
  EXPECT_EQ(info.CurrencyRankingCriteria, 0.75);
  EXPECT_EQ(info.MaxGoldAllocation, 15.0);
  EXPECT_EQ(info.MaxTipsAllocation, 20.0);
  EXPECT_EQ(info.MaxFxRiskAllocation, 30.0);
  EXPECT_EQ(info.SLTrustLevel, 40.0);
  EXPECT_EQ(info.EquityRankingCriteria, 0.0);  // not a bond parameter
  EXPECT_EQ(info.QVTrustLevel, 0.0);

  // Ranks: Germany 1, United States 2, Japan 3 at every date. The model holds
  // ranks 1 and 2 at 0.5 each: 0.5 * 2 % + 0.5 * 1 % = 1.5 % a month; the
  // benchmark holds all three at 1/3: (2 + 1 + 0.5) / 3 %.
  const TPortfolioPerformance& p = r.Performance;
  EXPECT_EQ(p.ModelReturns.back().Date, r.EndDate);
  EXPECT_TRUE(ValuesNear(p.ModelReturns, std::vector<double>(p.ModelReturns.size(), 0.015)));
  EXPECT_TRUE(ValuesNear(p.BenchmarkReturns, std::vector<double>(p.BenchmarkReturns.size(), 0.035 / 3.0)));
  EXPECT_EQ(p.Statistics.Labels.Caption1, "Portfolio");
  EXPECT_NEAR(p.Statistics.Model.Return, std::pow(1.015, 12.0) - 1.0, 1e-12);
  EXPECT_EQ(p.Statistics.Model.Sharpe, kNoFigure);  // constant returns: volatility 0.0

  EXPECT_EQ(FirstLabels(r.RankingPages), (std::vector<std::string>{"Germany", "United States", "Japan"}));
  ASSERT_EQ(r.RegionItems.size(), 3u);
  const struct {
    double value;
    int state;
    int excluded;
  } expected[] = {{0.5, 2, 1}, {0.5, 1, 1}, {0.0, -1, 1}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_NEAR(r.RegionItems[i].Value, expected[i].value, 1e-12) << i;
    EXPECT_EQ(r.RegionItems[i].State, expected[i].state) << i;
    EXPECT_EQ(r.RegionItems[i].Excluded, expected[i].excluded) << i;
  }
}

TEST(FISLRun, FailsAtTheStageReached) {
  rankingtest::ExpectEmptyListFailsAtTheFrame(&models::ComputeFISLModel);

  // The run's own settings are complete; the shared ones lack Japan's row.
  const std::vector<TCountry> list = BondList();
  TUserSettings shortGlobal = BondSettings(list);
  shortGlobal.CountrySettings.pop_back();
  ModelRun shortRows;
  RunFISL(shortRows, list, BondSettings(list), shortGlobal);
  EXPECT_TRUE(shortRows.failed);
  EXPECT_EQ(shortRows.step, 5u);
  EXPECT_TRUE(shortRows.result.RankingRows.empty());

  rankingtest::ExpectNoSignalsFailAtTheRanking(&models::ComputeFISLModel, BondList(), BondSettings(BondList()));
}

// Daily QVSIGNAL points on the given days of March 2002 (the grid is the
// earliest-starting series).
void DailySignal(std::vector<TCountry>& list, const std::vector<int>& days) {
  for (TCountry& c : list) {
    TSeries& s = Asset(c, atSignal, "QVSIGNAL");
    s.clear();
    for (int day : days) s.push_back({EncodeDate(2002, 3, day), 1.0});
  }
}

TEST(FISLRun, WindowOpensOnePeriodEarlierWhenTheSignalsReachBack) {
  struct Case {
    const char* what;
    std::uint32_t frequency;
    int signalYear;
    int signalMonth;
    std::vector<int> dailyDays;  // replaces the monthly signals when not empty
    double inception;
    bool intraMonth;
    double start;
    double end;
  };
  const double monday = EncodeDate(2002, 3, 4);
  // clang-format off
  const Case cases[] = {
      {"monthly, signals from 2000: the previous month end", 0, 2000, 1, {}, EncodeDate(2002, 12, 31), false,
       EncodeDate(2002, 11, 30), EncodeDate(2003, 12, 31)},
      {"monthly, signals from exactly that month end", 0, 2002, 11, {}, EncodeDate(2002, 12, 31), false,
       EncodeDate(2002, 11, 30), EncodeDate(2003, 12, 31)},
      {"monthly, signals from December 2002: the inception date", 0, 2002, 12, {}, EncodeDate(2002, 12, 31), false,
       EncodeDate(2002, 12, 31), EncodeDate(2003, 12, 31)},
      {"intra-month: the key asset's month end", 0, 2000, 1, {}, EncodeDate(2002, 12, 31), true,
       EncodeDate(2002, 11, 30), EncodeDate(2003, 11, 30)},
      {"daily, signals from the Friday before", 2, 0, 0, {1, 4, 5}, monday, false, EncodeDate(2002, 3, 1),
       EncodeDate(2003, 12, 31)},
      {"daily, signals from the Monday itself", 2, 0, 0, {4, 5}, monday, false, monday, EncodeDate(2003, 12, 31)},
  };
  // clang-format on
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<TCountry> list = c.dailyDays.empty() ? BondList(c.signalYear, c.signalMonth) : BondList();
    if (!c.dailyDays.empty()) DailySignal(list, c.dailyDays);
    list[0].IndexAssets[0].FirstDailyPoint = {EncodeDate(2003, 11, 12), 1.0};  // EQINDEX
    TUserSettings settings = BondSettings(list);
    settings.InceptionDate = c.inception;
    ModelRun run;
    RunFISL(run, list, settings, settings, c.frequency, c.intraMonth);
    ASSERT_FALSE(run.failed);
    EXPECT_EQ(run.step, 9u);
    EXPECT_EQ(run.result.Frequency, c.frequency);
    EXPECT_EQ(run.result.StartDate, c.start);
    EXPECT_EQ(run.result.EndDate, c.end);
    rankingtest::ExpectCountriesWithin(run.result.Countries, c.start, c.end);
  }
}

TEST(FISLRun, SecondRunOnOtherInputKeepsNothingOfTheFirst) {
  const std::vector<TCountry> first = BondList();
  std::vector<TCountry> second = BondList(2001, 6);
  second[2].RegionName = "Europe (Non Euro)";
  // No country of the portfolio currency: neither portfolio gets a line, so
  // nothing may remain of the first run's allocations and turnover.
  TUserSettings noLines = BondSettings(second);
  noLines.PortfolioCcy = "CHF";
  TUserSettings concentrated = BondSettings(second);
  concentrated.CountryRankingCriteria[1] = 0.0;

  for (const TUserSettings* secondSettings : {&noLines, &concentrated}) {
    ModelRun reused;
    ModelRun fresh;
    ASSERT_NO_FATAL_FAILURE(rankingtest::ExpectRerunEqualsFreshRun(&models::ComputeFISLModel, first,
                                                                   BondSettings(first), second, *secondSettings,
                                                                   BondSettings(first), reused, fresh));
    EXPECT_EQ(reused.result.Performance.Statistics.Turnover, fresh.result.Performance.Statistics.Turnover);
  }
}

// ------------------------------------------------------------------ ranking stage

// Line C of the ranking record with one more rank, dated one day before
// EndDate: no closing rank.
const TSeries kDayEarlyRankOfC = {{MonthEnd(2000, 5) - 1.0, 1.0}};

TEST(FISLRanking, HistoryRowsOnTheSignalGrid) {
  rankingtest::ExpectHistoryRowsOnTheSignalGrid(&models::ComputeFISLRanking, &TCountrySettings::FiWeight,
                                                kDayEarlyRankOfC);
}

TEST(FISLRanking, ClosingRowsInRankThenLineOrderWithTheirOwnFlag) {
  // The flag of each closing row is its own country's, whatever the last
  // country's flag (F: true in the first case, false in the second); the
  // equity weight (10.0) is not read.
  const struct {
    std::vector<double> weights;
    std::vector<bool> selected;  // E, B, A
  } cases[] = {
      {rankingtest::kRankingWeights, {true, false, true}},
      {{0.0, 2.0, 1.0, 1.0, -1.0, 0.0}, {false, true, false}},
  };
  for (const auto& c : cases) {
    rankingtest::ExpectClosingRowsInRankThenLineOrder(&models::ComputeFISLRanking, c.weights,
                                                      &TCountrySettings::FiWeight, c.selected, kDayEarlyRankOfC);
  }
}

// ------------------------------------------------------------------ benchmark and statistics

TEST(FISLStatistics, PortfolioTitleZeroRateAndTheModelsTurnover) {
  TFISLGraphicData r;
  r.ModelPortfolio.PortfolioCcy = "EUR";
  r.ModelPortfolio.Returns = Monthly(2001, 1, {0.02, 0.0, 0.02, 0.0});
  r.ModelPortfolio.AnnualTurnover = 0.37;
  r.BenchmarkPortfolio.Returns = Monthly(2001, 1, {0.01, -0.01, 0.01, -0.01});
  r.BenchmarkPortfolio.AnnualTurnover = 0.99;
  r.Performance.Statistics.RiskFreeRate = 0.05;
  models::ComputeFISLBenchmark(&r);
  models::ComputeFISLStatistics(&r);

  const TPortfolioPerformance& p = r.Performance;
  EXPECT_EQ(p.ModelName, "(In EUR)");
  EXPECT_EQ(p.BenchmarkName, "Benchmark (In EUR)");
  const TPerformanceStatistics& s = p.Statistics;
  EXPECT_TRUE(s.HasData);
  EXPECT_EQ(s.Labels.Caption1, "Portfolio");
  EXPECT_EQ(s.Labels.Caption4, "EUR");
  EXPECT_EQ(s.Labels.Caption6, "EUR");
  EXPECT_EQ(s.RiskFreeRate, 0.0);
  EXPECT_EQ(s.Turnover, 0.37);
  EXPECT_EQ(s.EquityInvested, kNoFigure);
  EXPECT_EQ(s.Labels.StartDate, MonthEnd(2000, 12));
  EXPECT_EQ(s.Labels.EndDate, MonthEnd(2001, 4));
  // Model: G = 1.02^2 over 4 months, return G^3 - 1; volatility 0.01 * sqrt(12);
  // with a rate of 0.0 the Sharpe ratio is their quotient.
  const double modelReturn = std::pow(1.0404, 3.0) - 1.0;
  const double volatility = 0.01 * std::sqrt(12.0);
  EXPECT_NEAR(s.Model.Return, modelReturn, 1e-12);
  EXPECT_NEAR(s.Model.Volatility, volatility, 1e-12);
  EXPECT_NEAR(s.Model.Sharpe, modelReturn / volatility, 1e-9);
  EXPECT_NEAR(s.Index.Sharpe, (std::pow(1.01 * 0.99, 6.0) - 1.0) / volatility, 1e-9);
  EXPECT_EQ(s.RiskFree.Sharpe, kNoFigure);  // the risk-free column is not filled
  EXPECT_NEAR(s.Correlation, 1.0, 1e-12);
  EXPECT_NEAR(s.Beta, 1.0, 1e-12);

  // Without model returns: no data, dates, rate and Sharpe ratios kNoFigure;
  // the turnover still comes from the model portfolio.
  r.ModelPortfolio.Returns.clear();
  models::ComputeFISLBenchmark(&r);
  models::ComputeFISLStatistics(&r);
  rankingtest::ExpectNoModelFigures(s);
  EXPECT_EQ(s.Turnover, 0.37);
}

// ------------------------------------------------------------------ allocations

TEST(FISLAllocations, ZoneRowsFromTheLastCompositionAndTheBondWeights) {
  std::vector<TCountry> countries = rankingtest::AllocationCountries();
  countries.push_back(MakeCountry("UK", "GBP", "Europe (Non Euro)"));
  TUserSettings settings = MakeSettings(countries, 0.0, 10.0, 0.0);
  settings.CountrySettings[1].FiWeight = 0.0;   // US: greyed though it is held
  settings.CountrySettings[3].FiWeight = -2.0;  // negative: takes part
  settings.CountrySettings[4].EqWeight = 5.0;   // the equity weight is not read
  settings.CountrySettings[4].FiWeight = 0.0;
  // name, value, region total, rank, region state, participation
  rankingtest::ExpectRegionRowsFromTheLastAllocation(&models::ComputeFISLAllocations, countries, settings,
                                                     {{"Japan 1", 0.3, 0.5, 1, 0, 1},
                                                      {"US", 0.5, 0.5, 2, 0, 2},
                                                      {"Japan 2", 0.2, 0.5, 3, 0, 1},
                                                      // held only in the earlier composition
                                                      {"Germany", 0.0, 0.0, -1, -1, 1},
                                                      {"UK", 0.0, 0.0, -1, -1, 2}});
}

TEST(FISLAllocations, EmptyModelLeavesNamedEmptyCharts) {
  TFISLGraphicData r;
  r.Performance.ModelName = "(In USD)";
  r.Performance.BenchmarkName = "Benchmark (In USD)";
  r.Performance.BenchmarkReturns = Constant(2000, 7, 20, 0.02);
  for (TNamedSeriesSet* set : {&r.Performance.IndexCharts, &r.Performance.DrawdownCharts, &r.Performance.OneYearCharts})
    (*set)[0].Series = Monthly(1999, 1, {1.0});
  models::ComputeFISLAllocations(&r, TUserSettings{});
  for (const TNamedSeriesSet* set :
       {&r.Performance.IndexCharts, &r.Performance.DrawdownCharts, &r.Performance.OneYearCharts}) {
    EXPECT_EQ((*set)[0].Name, "Benchmark (In USD)");
    EXPECT_EQ((*set)[2].Name, "(In USD)");
    EXPECT_TRUE((*set)[0].Series.empty());
    EXPECT_TRUE((*set)[2].Series.empty());
  }
  EXPECT_TRUE(r.RegionItems.empty());
}

}  // namespace
