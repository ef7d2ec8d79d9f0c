// FISL: the whole run on a small bond list (progress, failures, window,
// returns, rerun), and the ranking, statistics and allocation stages on
// hand-built records.

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "models/equity/PerformanceStage.h"
#include "models/global/FISLModel.h"
#include "platform/DateTime.h"
#include "portfolio/ModelError.h"

using namespace testcountries;
using platform::EncodeDate;

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

struct ModelRun {
  TFISLGraphicData result;
  modeltest::RecordingProgress progress;
  std::uint32_t step = 0;
  bool failed = false;
};

// Runs the model with `global` as the shared user settings.
void RunFISL(ModelRun& run, const std::vector<TCountry>& list, const TUserSettings& settings,
             const TUserSettings& global, std::uint32_t frequency = 0, bool intraMonth = false) {
  ScopedCountryList installed(list);
  modeltest::ScopedUserSettings user(global);
  std::string failure;
  try {
    models::ComputeFISLModel(&run.result, list, settings, frequency, intraMonth, failure, run.progress, run.step);
  } catch (const EModelError&) {
    run.failed = true;
  }
}

std::vector<std::string> FirstLabels(const std::vector<TLabelledSeries>& rows) {
  std::vector<std::string> names;
  for (const auto& row : rows) names.push_back(row.Labels.at(0));
  return names;
}

std::vector<bool> SelectedFlags(const std::vector<TLabelledSeries>& rows) {
  std::vector<bool> flags;
  for (const auto& row : rows) flags.push_back(row.Selected);
  return flags;
}

// Everything the run writes, as text, for comparing two records.
std::string Describe(const TFISLGraphicData& r) {
  std::ostringstream out;
  out.precision(17);
  auto series = [&](const TSeries& s) {
    for (const TDataPoint& p : s) out << p.Date << ':' << p.Value << ' ';
    out << "|\n";
  };
  out << r.Frequency << ' ' << r.StartDate << ' ' << r.EndDate << ' ' << r.Countries.size() << '\n';
  for (const auto* rows : {&r.RankingRows, &r.RankingPages}) {
    for (const TLabelledSeries& row : *rows) {
      for (const std::string& label : row.Labels) out << label << ',';
      out << row.Selected;
      series(row.Series);
    }
    out << "--\n";
  }
  const TPortfolioPerformance& p = r.Performance;
  out << p.ModelName << ';' << p.BenchmarkName << ';' << p.AllocationTitle << '\n';
  series(p.ModelReturns);
  series(p.BenchmarkReturns);
  for (const auto* set : {&p.IndexCharts, &p.DrawdownCharts, &p.OneYearCharts}) {
    for (const TNamedSeries& slot : set->Slots) {
      out << slot.Name;
      series(slot.Series);
    }
  }
  for (const TAllocationRow& row : p.AllocationHistory) {
    out << row.Date << ' ' << row.TotalWeight;
    for (const TWeightedName& h : row.Holdings) out << ' ' << h.Name << '=' << h.Weight;
    out << '\n';
  }
  const TPerformanceStatistics& s = p.Statistics;
  out << s.HasData << ' ' << s.Labels.Caption1 << ' ' << s.Labels.StartDate << ' ' << s.Labels.EndDate << ' '
      << s.Model.Return << ' ' << s.Index.Return << ' ' << s.Model.Sharpe << ' ' << s.Correlation << ' ' << s.Turnover
      << ' ' << s.RiskFreeRate << '\n';
  out << p.Parameters.PortfolioCcy << ' ' << p.Parameters.BondRankingCriteria << '\n';
  for (const TRegionItem& item : r.RegionItems) {
    out << item.Name << ' ' << item.Value << ' ' << item.RegionColor << ' ' << item.State << ' ' << item.Flag << ' '
        << item.Excluded << '\n';
  }
  return out.str();
}

TEST(FISLRun, ShowsNineProgressTextsAndFillsEveryStage) {
  const std::vector<TCountry> list = BondList();
  const TUserSettings settings = BondSettings(list);
  ModelRun run;
  RunFISL(run, list, settings, settings);
  ASSERT_FALSE(run.failed);
  EXPECT_EQ(run.step, 9u);
  EXPECT_EQ(run.progress.Texts,
            (std::vector<std::string>{"11%", "22%", "33%", "44%", "55%", "66%", "77%", "88%", "100%"}));
  EXPECT_EQ(run.progress.Pumps, 9);

  const TFISLGraphicData& r = run.result;
  EXPECT_EQ(r.ModelPortfolio.Name, "Model Portfolio");
  EXPECT_EQ(r.BenchmarkPortfolio.Name, "Benchmark Portfolio");
  const TSeriesInfo& info = r.Performance.Parameters;
  EXPECT_EQ(info.PortfolioCcy, "USD");
  EXPECT_EQ(info.RiskFreeId, "RISKFREEASSET1");
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
  EXPECT_EQ(p.ModelName, "(In USD)");
  EXPECT_EQ(p.BenchmarkName, "Benchmark (In USD)");
  ASSERT_FALSE(p.ModelReturns.empty());
  EXPECT_EQ(p.ModelReturns.back().Date, r.EndDate);
  EXPECT_TRUE(ValuesNear(p.ModelReturns, std::vector<double>(p.ModelReturns.size(), 0.015)));
  EXPECT_TRUE(ValuesNear(p.BenchmarkReturns, std::vector<double>(p.BenchmarkReturns.size(), 0.035 / 3.0)));
  EXPECT_EQ(p.Statistics.Labels.Caption1, "Portfolio");
  EXPECT_EQ(p.Statistics.RiskFreeRate, 0.0);
  EXPECT_NEAR(p.Statistics.Model.Return, std::pow(1.015, 12.0) - 1.0, 1e-12);
  EXPECT_EQ(p.Statistics.Model.Sharpe, kNoFigure);  // constant returns: volatility 0.0
  EXPECT_EQ(p.IndexCharts[2].Name, "(In USD)");
  EXPECT_EQ(p.AllocationHistory.size(), r.ModelPortfolio.Allocations.size());

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
  ModelRun empty;
  RunFISL(empty, {}, TUserSettings{}, TUserSettings{});
  EXPECT_TRUE(empty.failed);
  EXPECT_EQ(empty.step, 1u);
  EXPECT_EQ(empty.progress.Texts, std::vector<std::string>{"11%"});

  // The run's own settings are complete; the shared ones lack Japan's row.
  const std::vector<TCountry> list = BondList();
  TUserSettings shortGlobal = BondSettings(list);
  shortGlobal.CountrySettings.pop_back();
  ModelRun shortRows;
  RunFISL(shortRows, list, BondSettings(list), shortGlobal);
  EXPECT_TRUE(shortRows.failed);
  EXPECT_EQ(shortRows.step, 5u);
  EXPECT_TRUE(shortRows.result.RankingRows.empty());

  std::vector<TCountry> noSignal = BondList();
  for (TCountry& c : noSignal) Asset(c, atSignal, "QVSIGNAL").clear();
  ModelRun noGrid;
  RunFISL(noGrid, noSignal, BondSettings(noSignal), BondSettings(noSignal));
  EXPECT_TRUE(noGrid.failed);
  EXPECT_EQ(noGrid.step, 5u);
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
    for (const TCountry& country : run.result.Countries) {
      for (int type = atIndex; type <= atSpotFx; ++type) {
        for (const TAssetSeries& asset : *AssetsOfType(country, type)) {
          if (asset.Series.empty()) continue;
          EXPECT_GE(asset.Series.front().Date, c.start) << country.Name << " " << asset.ID;
          EXPECT_LE(asset.Series.back().Date, c.end) << country.Name << " " << asset.ID;
        }
      }
    }
  }
}

TEST(FISLRun, SecondRunOnOtherInputKeepsNothingOfTheFirst) {
  const std::vector<TCountry> first = BondList();
  const TUserSettings global = BondSettings(first);
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
    RunFISL(reused, first, BondSettings(first), global);
    ASSERT_FALSE(reused.failed);
    const std::string afterFirst = Describe(reused.result);
    RunFISL(reused, second, *secondSettings, global);
    ModelRun fresh;
    RunFISL(fresh, second, *secondSettings, global);
    ASSERT_FALSE(fresh.failed);
    EXPECT_EQ(Describe(reused.result), Describe(fresh.result));
    EXPECT_NE(Describe(fresh.result), afterFirst);
    EXPECT_EQ(reused.result.Performance.Statistics.Turnover, fresh.result.Performance.Statistics.Turnover);
  }
}

// ------------------------------------------------------------------ ranking stage

// Countries A to F (A's QVSIGNAL series spans January to June 2000, B's
// starts in March), EndDate 31 May 2000, and model lines in the order E, B,
// X (no country), A, C, F with the given ranks from (2000, month).
TFISLGraphicData RankingRecord() {
  TFISLGraphicData r;
  for (const char* name : {"A", "B", "C", "D", "E", "F"}) r.Countries.push_back(MakeCountry(name, "USD", "Japan"));
  r.Countries[0].RegionName = "Europe (Euro)";
  Asset(r.Countries[0], atSignal, "QVSIGNAL") = Constant(2000, 1, 6, 1.0);
  Asset(r.Countries[1], atSignal, "QVSIGNAL") = Constant(2000, 3, 4, 0.0);
  r.EndDate = MonthEnd(2000, 5);
  auto line = [&](const char* name, int month, const std::vector<double>& ranks) {
    TSLLine l;
    l.Name = name;
    l.Ranks = Monthly(2000, month, ranks);
    r.ModelPortfolio.Lines.push_back(l);
  };
  line("E", 1, {2, 1, 1, 1, 1, 2});
  line("B", 3, {2, 1, 1, 3});  // starts late
  line("X", 1, {4, 4, 4, 4, 1, 4});
  line("A", 1, {1, 2, 3, 2, 2.7, 1});  // 2.7 counts as rank 2
  line("C", 1, {3, 3, 2, 1});
  r.ModelPortfolio.Lines.back().Ranks.push_back({r.EndDate - 1.0, 1.0});  // one day early: no closing rank
  line("F", 1, {5, 5, 5, 5, 9, 5});                                       // rank 9 of 6 lines: none
  return r;
}

TUserSettings GlobalBondWeights(const std::vector<double>& weights) {
  TUserSettings s;
  for (double w : weights) {
    TCountrySettings row;
    row.FiWeight = w;
    row.EqWeight = 10.0;  // the equity weight is not read
    s.CountrySettings.push_back(row);
  }
  return s;
}

TEST(FISLRanking, HistoryRowsOnTheSignalGrid) {
  TFISLGraphicData r = RankingRecord();
  r.RankingRows.resize(9);  // replaced, not extended
  modeltest::ScopedUserSettings global(GlobalBondWeights({10.0, 0.0, -5.0, 1.0, 0.0001, 3.0}));
  models::ComputeFISLRanking(&r);
  ASSERT_EQ(r.RankingRows.size(), 6u);
  const struct {
    std::vector<double> values;  // from January 2000
    bool selected;
  } expected[] = {
      {{1, 2, 3, 2, 2.7}, true},     // A: cut at EndDate
      {{-1, -1, 2, 1, 1}, false},    // B: the grid before its first rank
      {{3, 3, 2, 1}, false},         // C: its own points (the one-day-early point follows)
      {{-1, -1, -1, -1, -1}, true},  // D: no line, the bare grid
      {{2, 1, 1, 1, 1}, true},       // E
      {{5, 5, 5, 5, 9}, true},       // F
  };
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(r.Countries[i].Name);
    const TLabelledSeries& row = r.RankingRows[i];
    EXPECT_EQ(row.Labels, (std::vector<std::string>{r.Countries[i].Name, r.Countries[i].RegionName}));
    TSeries values = Monthly(2000, 1, expected[i].values);
    if (i == 2) values.push_back({r.EndDate - 1.0, 1.0});
    EXPECT_EQ(row.Series, values);
    EXPECT_EQ(row.Selected, expected[i].selected);
  }
}

TEST(FISLRanking, ClosingRowsInRankThenLineOrderWithTheirOwnFlag) {
  // The flag of each closing row is its own country's, whatever the last
  // country's flag (F: true in the first case, false in the second).
  const struct {
    std::vector<double> weights;
    std::vector<bool> selected;  // E, B, A
  } cases[] = {
      {{10.0, 0.0, -5.0, 1.0, 0.0001, 3.0}, {true, false, true}},
      {{0.0, 2.0, 1.0, 1.0, -1.0, 0.0}, {false, true, false}},
  };
  for (const auto& c : cases) {
    TFISLGraphicData r = RankingRecord();
    r.RankingPages.resize(7);
    modeltest::ScopedUserSettings global(GlobalBondWeights(c.weights));
    models::ComputeFISLRanking(&r);
    // Rank 1: E before B (line order, not country order); X has no country;
    // rank 2: A (2.7); C's rank is dated one day early; F's 9 is outside 1..6.
    EXPECT_EQ(FirstLabels(r.RankingPages), (std::vector<std::string>{"E", "B", "A"}));
    ASSERT_EQ(r.RankingPages.size(), 3u);
    EXPECT_EQ(r.RankingPages[0].Series, (TSeries{{r.EndDate, 1.0}}));
    EXPECT_EQ(r.RankingPages[1].Series, (TSeries{{r.EndDate, 1.0}}));
    EXPECT_EQ(r.RankingPages[2].Series, (TSeries{{r.EndDate, 2.0}}));
    EXPECT_EQ(r.RankingPages[2].Labels, (std::vector<std::string>{"A", "Europe (Euro)"}));
    EXPECT_EQ(SelectedFlags(r.RankingPages), c.selected);
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
  EXPECT_FALSE(s.HasData);
  EXPECT_EQ(s.Labels.StartDate, kNoFigure);
  EXPECT_EQ(s.Labels.EndDate, kNoFigure);
  EXPECT_EQ(s.RiskFreeRate, kNoFigure);
  EXPECT_EQ(s.Model.Sharpe, kNoFigure);
  EXPECT_EQ(s.Index.Sharpe, kNoFigure);
  EXPECT_EQ(s.Turnover, 0.37);
}

// ------------------------------------------------------------------ allocations

TSLAllocation Allocation(double date, std::vector<TSLHolding> holdings) {
  TSLAllocation a{date, 0.0, std::move(holdings)};
  for (const TSLHolding& h : a.Holdings) a.TotalWeight += h.AdjustedWeight;
  return a;
}

TEST(FISLAllocations, ZoneRowsFromTheLastCompositionAndTheBondWeights) {
  TFISLGraphicData r;
  r.Countries = {MakeCountry("Japan 1", "JPY", "Japan"), MakeCountry("US", "USD", "North America"),
                 MakeCountry("Japan 2", "JPY", "Japan"), MakeCountry("Germany", "EUR", "Europe (Euro)"),
                 MakeCountry("UK", "GBP", "Europe (Non Euro)")};
  r.ModelPortfolio.Allocations = {Allocation(MonthEnd(2001, 11), {{"Germany", 0.1, 1.0, 0, 0, 1}}),
                                  Allocation(MonthEnd(2001, 12), {{"Japan 1", 0.1, 0.3, 0, 0, 1},
                                                                  {"Japan 2", 0.1, 0.2, 0, 0, 3},
                                                                  {"US", 0.1, 0.5, 0, 0, 2},
                                                                  {"Elsewhere", 0.1, 0.4, 0, 0, 4}})};
  r.Performance.AllocationTitle = "old";
  TUserSettings settings = MakeSettings(r.Countries, 0.0, 10.0, 0.0);
  settings.CountrySettings[1].FiWeight = 0.0;   // US: greyed though it is held
  settings.CountrySettings[3].FiWeight = -2.0;  // negative: takes part
  settings.CountrySettings[4].EqWeight = 5.0;   // the equity weight is not read
  settings.CountrySettings[4].FiWeight = 0.0;
  models::ComputeFISLAllocations(&r, settings);

  const struct {
    const char* name;
    double value;
    double regionTotal;
    int rank;
    int regionState;
    int participation;
  } expected[] = {{"Japan 1", 0.3, 0.5, 1, 0, 1},
                  {"US", 0.5, 0.5, 2, 0, 2},
                  {"Japan 2", 0.2, 0.5, 3, 0, 1},
                  {"Germany", 0.0, 0.0, -1, -1, 1},  // held only in the earlier composition
                  {"UK", 0.0, 0.0, -1, -1, 2}};
  ASSERT_EQ(r.RegionItems.size(), 5u);
  for (std::size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(expected[i].name);
    const TRegionItem& item = r.RegionItems[i];
    EXPECT_EQ(item.Name, expected[i].name);
    EXPECT_EQ(item.RegionName, r.Countries[i].RegionName);
    EXPECT_NEAR(item.Value, expected[i].value, 1e-15);
    EXPECT_NEAR(item.RegionColor, expected[i].regionTotal, 1e-15);
    EXPECT_EQ(item.State, expected[i].rank);
    EXPECT_EQ(item.Flag, expected[i].regionState);
    EXPECT_EQ(item.Excluded, expected[i].participation);
  }
  const std::vector<TAllocationRow>& history = r.Performance.AllocationHistory;
  ASSERT_EQ(history.size(), 2u);
  EXPECT_NEAR(history[1].TotalWeight, 1.4, 1e-12);
  ASSERT_EQ(history[1].Holdings.size(), 4u);
  EXPECT_EQ(history[1].Holdings[3].Name, "Elsewhere");
  EXPECT_EQ(history[1].Holdings[3].Weight, 0.4);  // the adjusted weight
  EXPECT_EQ(r.Performance.AllocationTitle, "");

  settings.CountrySettings.pop_back();
  EXPECT_THROW(models::ComputeFISLAllocations(&r, settings), EModelError);
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
