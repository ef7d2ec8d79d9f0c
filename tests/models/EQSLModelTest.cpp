// EQSL: the whole run on a small list (progress, failures, window, ranks,
// selection flags, rerun), and the ranking, benchmark and allocation stages
// on hand-built records.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "models/equity/EQSLModel.h"
#include "platform/DateTime.h"
#include "portfolio/ModelError.h"

using namespace testcountries;
using platform::EncodeDate;

namespace {

// ------------------------------------------------------------------ whole run

// "United States" (USD) +1 % a month, "Germany" (EUR) +2 %, "Japan" (JPY)
// +0.5 %, flat cash, spot 1.0, over the month ends of 2000 to 2004; every
// country has a QVSIGNAL series of 1.0 from (signalYear, signalMonth).
std::vector<TCountry> RunList(int signalYear = 2000, int signalMonth = 1) {
  std::vector<TCountry> list = {EquityCountry("United States", "USD", 2000, 1, 60, 0.01),
                                EquityCountry("Germany", "EUR", 2000, 1, 60, 0.02),
                                EquityCountry("Japan", "JPY", 2000, 1, 60, 0.005)};
  list[1].RegionName = "Europe (Euro)";
  list[2].RegionName = "Japan";
  const int months = (2004 - signalYear) * 12 + (12 - signalMonth) + 1;
  for (TCountry& c : list) Asset(c, atSignal, "QVSIGNAL") = Constant(signalYear, signalMonth, months, 1.0);
  return list;
}

// Weights 10 %, criteria 0.5 / 0.25 / 0.75, inception 31 Dec 2002, end 31 Dec 2003.
TUserSettings RunSettings(const std::vector<TCountry>& list) {
  TUserSettings s = MakeSettings(list, 10.0, 0.0, 0.0);
  s.CountryRankingCriteria = {0.5, 0.25, 0.75};
  s.QVTrustLevel = 30.0;
  s.BLTrustLevel = 40.0;
  s.FxHedging = true;  // swap costs 0: no effect on the returns
  s.InceptionDate = EncodeDate(2002, 12, 31);
  s.EndDate = EncodeDate(2003, 12, 31);
  return s;
}

struct ModelRun {
  TEQSLGraphicData result;
  modeltest::RecordingProgress progress;
  std::uint32_t step = 0;
  bool failed = false;
};

// Runs the model with `global` as the shared user settings.
void RunEQSL(ModelRun& run, const std::vector<TCountry>& list, const TUserSettings& settings,
             const TUserSettings& global, bool intraMonth = false) {
  ScopedCountryList installed(list);
  modeltest::ScopedUserSettings user(global);
  std::string failure;
  try {
    models::ComputeEQSLModel(&run.result, list, settings, 0, intraMonth, failure, run.progress, run.step);
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
std::string Describe(const TEQSLGraphicData& r) {
  std::ostringstream out;
  out.precision(17);
  auto series = [&](const TSeries& s) {
    for (const TDataPoint& p : s) out << p.Date << ':' << p.Value << ' ';
    out << "|\n";
  };
  out << r.StartDate << ' ' << r.EndDate << ' ' << r.Countries.size() << '\n';
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
      << s.Model.Return << ' ' << s.Index.Return << ' ' << s.Model.Volatility << ' ' << s.Correlation << ' '
      << s.Turnover << ' ' << s.RiskFreeRate << '\n';
  out << p.Parameters.PortfolioCcy << ' ' << p.Parameters.EquityRankingCriteria << '\n';
  for (const TRegionItem& item : r.RegionItems) {
    out << item.Name << ' ' << item.Value << ' ' << item.RegionColor << ' ' << item.State << ' ' << item.Flag << ' '
        << item.Excluded << '\n';
  }
  return out.str();
}

TEST(EQSLRun, ShowsNineProgressTextsAndFillsEveryStage) {
  const std::vector<TCountry> list = RunList();
  const TUserSettings settings = RunSettings(list);
  ModelRun run;
  RunEQSL(run, list, settings, settings);
  ASSERT_FALSE(run.failed);
  EXPECT_EQ(run.step, 9u);
  EXPECT_EQ(run.progress.Texts,
            (std::vector<std::string>{"11%", "22%", "33%", "44%", "55%", "66%", "77%", "88%", "100%"}));
  EXPECT_EQ(run.progress.Pumps, 9);

  const TEQSLGraphicData& r = run.result;
  EXPECT_EQ(r.ModelPortfolio.Name, "Risk Model Portfolio");
  EXPECT_EQ(r.BenchmarkPortfolio.Name, "Risk Benchmark Portfolio");
  const TSeriesInfo& info = r.Performance.Parameters;
  EXPECT_EQ(info.PortfolioCcy, "USD");
  EXPECT_EQ(info.RiskFreeId, "RISKFREEASSET1");
  EXPECT_TRUE(info.FxHedging);
  EXPECT_EQ(info.EquityRankingCriteria, 0.5);
  EXPECT_EQ(info.QVTrustLevel, 30.0);
  EXPECT_EQ(info.BLTrustLevel, 40.0);
  EXPECT_EQ(info.BondRankingCriteria, 0.0);  // not an equity parameter

  const TPortfolioPerformance& p = r.Performance;
  EXPECT_EQ(p.ModelName, "(In USD)");
  EXPECT_EQ(p.BenchmarkName, "Benchmark (In USD)");
  ASSERT_FALSE(p.ModelReturns.empty());
  EXPECT_EQ(p.ModelReturns, r.ModelPortfolio.Returns);
  EXPECT_EQ(p.BenchmarkReturns, r.BenchmarkPortfolio.Returns);
  EXPECT_EQ(p.Statistics.Labels.Caption1, "Risk Portfolio");
  EXPECT_EQ(p.Statistics.RiskFreeRate, 0.0);
  EXPECT_EQ(p.Statistics.Turnover, r.ModelPortfolio.AnnualTurnover);
  EXPECT_EQ(p.Statistics.Labels.EndDate, r.EndDate);
  EXPECT_EQ(p.AllocationHistory.size(), r.ModelPortfolio.Allocations.size());
  EXPECT_EQ(p.IndexCharts[2].Name, "(In USD)");

  // Criteria 0.5 of three ranked lines holds ranks 1 and 2: Germany and the
  // United States at 0.5 each; Japan is not held.
  ASSERT_EQ(r.RegionItems.size(), 3u);
  EXPECT_NEAR(r.RegionItems[1].Value, 0.5, 1e-12);
  EXPECT_EQ(r.RegionItems[1].State, 1);
  EXPECT_EQ(r.RegionItems[2].State, -1);
  EXPECT_EQ(r.RegionItems[2].Flag, -1);
}

TEST(EQSLRun, FailsAtTheStageReached) {
  ModelRun empty;
  RunEQSL(empty, {}, TUserSettings{}, TUserSettings{});
  EXPECT_TRUE(empty.failed);
  EXPECT_EQ(empty.step, 1u);
  EXPECT_EQ(empty.progress.Texts, std::vector<std::string>{"11%"});

  std::vector<TCountry> list = RunList();
  for (TCountry& c : list) Asset(c, atSignal, "QVSIGNAL").clear();
  ModelRun noSignal;
  RunEQSL(noSignal, list, RunSettings(list), RunSettings(list));
  EXPECT_TRUE(noSignal.failed);
  EXPECT_EQ(noSignal.step, 5u);
}

TEST(EQSLRun, WindowStartsAYearEarlierWhenTheSignalsReachBack) {
  struct Case {
    const char* what;
    int signalYear;
    int signalMonth;
    bool intraMonth;
    double start;
    double end;
  };
  const Case cases[] = {
      {"signals from 2000: last day of December 2001", 2000, 1, false, EncodeDate(2001, 12, 31),
       EncodeDate(2003, 12, 31)},
      {"signals from exactly that month end", 2001, 12, false, EncodeDate(2001, 12, 31), EncodeDate(2003, 12, 31)},
      {"signals from January 2002: the inception date", 2002, 1, false, EncodeDate(2002, 12, 31),
       EncodeDate(2003, 12, 31)},
      {"intra-month: the key asset's month end", 2000, 1, true, EncodeDate(2001, 12, 31), EncodeDate(2003, 11, 30)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<TCountry> list = RunList(c.signalYear, c.signalMonth);
    list[0].IndexAssets[0].FirstDailyPoint = {EncodeDate(2003, 11, 30), 1.0};
    ModelRun run;
    RunEQSL(run, list, RunSettings(list), RunSettings(list), c.intraMonth);
    ASSERT_FALSE(run.failed);
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
    // The grid is the cut QVSIGNAL series: every history row ends at EndDate.
    for (const TLabelledSeries& row : run.result.RankingRows) EXPECT_EQ(row.Series.back().Date, c.end);
  }
}

TEST(EQSLRun, ModelRanksOneToNBenchmarkRanksAllOne) {
  const std::vector<TCountry> list = RunList();
  TUserSettings global = RunSettings(list);
  global.CountrySettings[2].EqWeight = 0.0;  // the run's own copy keeps Japan at 10 %
  ModelRun run;
  RunEQSL(run, list, RunSettings(list), global);
  ASSERT_FALSE(run.failed);
  const TEQSLGraphicData& r = run.result;
  ASSERT_EQ(r.ModelPortfolio.Lines.size(), 3u);
  ASSERT_EQ(r.BenchmarkPortfolio.Lines.size(), 3u);
  // Constant growth: Germany (2 %) first, United States (1 %), Japan (0.5 %).
  const double expectedRank[] = {2.0, 1.0, 3.0};
  for (std::size_t i = 0; i < 3; ++i) {
    const TSeries& model = r.ModelPortfolio.Lines[i].Ranks;
    const TSeries& benchmark = r.BenchmarkPortfolio.Lines[i].Ranks;
    ASSERT_FALSE(model.empty());
    EXPECT_EQ(model.back().Date, r.EndDate);
    for (const TDataPoint& point : model) EXPECT_EQ(point.Value, expectedRank[i]) << r.ModelPortfolio.Lines[i].Name;
    for (const TDataPoint& point : benchmark) EXPECT_EQ(point.Value, 1.0);
  }
  // History rows carry -1.0 on the grid dates before the first rank date.
  const TLabelledSeries& germany = r.RankingRows.at(1);
  const TSeries& ranks = r.ModelPortfolio.Lines[1].Ranks;
  ASSERT_EQ(germany.Series.size(), 25u);  // month ends December 2001 to December 2003
  const std::size_t lead = germany.Series.size() - ranks.size();
  for (std::size_t k = 0; k < germany.Series.size(); ++k) {
    EXPECT_EQ(germany.Series[k].Date, MonthEnd(2001, 12, static_cast<int>(k)));
    EXPECT_EQ(germany.Series[k].Value, k < lead ? -1.0 : 1.0) << k;
  }
  EXPECT_EQ(FirstLabels(r.RankingPages), (std::vector<std::string>{"Germany", "United States", "Japan"}));
  EXPECT_EQ(r.RankingPages.at(2).Series, (TSeries{{r.EndDate, 3.0}}));
  // Selected follows the shared settings, not the run's copy.
  EXPECT_EQ(SelectedFlags(r.RankingRows), (std::vector<bool>{true, true, false}));
  EXPECT_EQ(SelectedFlags(r.RankingPages), (std::vector<bool>{true, true, false}));
}

TEST(EQSLRun, SecondRunOnChangedInputKeepsNothingOfTheFirst) {
  const std::vector<TCountry> first = RunList();
  std::vector<TCountry> second = RunList(2000, 6);
  second.pop_back();  // without Japan
  TUserSettings secondSettings = RunSettings(second);
  secondSettings.PortfolioCcy = "EUR";
  secondSettings.CountryRankingCriteria[0] = 1.0;
  const TUserSettings global = RunSettings(first);

  ModelRun reused;
  RunEQSL(reused, first, RunSettings(first), global);
  ASSERT_FALSE(reused.failed);
  const std::string afterFirst = Describe(reused.result);
  reused.step = 0;
  RunEQSL(reused, second, secondSettings, global);
  ModelRun fresh;
  RunEQSL(fresh, second, secondSettings, global);
  ASSERT_FALSE(fresh.failed);
  EXPECT_EQ(Describe(reused.result), Describe(fresh.result));
  EXPECT_NE(Describe(fresh.result), afterFirst);
  EXPECT_EQ(fresh.result.Performance.ModelName, "(In EUR)");
  EXPECT_EQ(fresh.result.RegionItems.size(), 2u);
}

// ------------------------------------------------------------------ ranking stage

// Countries A to F (A's QVSIGNAL series spans January to June 2000, B's
// starts in March), EndDate 31 May 2000, and model lines in the order E, B,
// X (no country), A, C, F with the given ranks from (2000, month).
TEQSLGraphicData RankingRecord() {
  TEQSLGraphicData r;
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
  line("C", 1, {3, 3, 2, 1});          // no rank at EndDate
  line("F", 1, {5, 5, 5, 5, 9, 5});    // rank 9 of 6 lines: none
  return r;
}

TUserSettings GlobalWeights(const std::vector<double>& weights) {
  TUserSettings s;
  for (double w : weights) {
    TCountrySettings row;
    row.EqWeight = w;
    s.CountrySettings.push_back(row);
  }
  return s;
}

TEST(EQSLRanking, HistoryRowsOnTheSignalGrid) {
  TEQSLGraphicData r = RankingRecord();
  r.RankingRows.resize(9);  // replaced, not extended
  modeltest::ScopedUserSettings global(GlobalWeights({10.0, 0.0, -5.0, 1.0, 0.0001, 3.0}));
  models::ComputeEQSLRanking(&r);
  ASSERT_EQ(r.RankingRows.size(), 6u);
  const struct {
    std::vector<double> values;  // from January 2000
    bool selected;
  } expected[] = {
      {{1, 2, 3, 2, 2.7}, true},     // A: cut at EndDate
      {{-1, -1, 2, 1, 1}, false},    // B: the grid before its first rank
      {{3, 3, 2, 1}, false},         // C: its own points end in April
      {{-1, -1, -1, -1, -1}, true},  // D: no line, the bare grid
      {{2, 1, 1, 1, 1}, true},       // E
      {{5, 5, 5, 5, 9}, true},       // F
  };
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(r.Countries[i].Name);
    const TLabelledSeries& row = r.RankingRows[i];
    EXPECT_EQ(row.Labels, (std::vector<std::string>{r.Countries[i].Name, r.Countries[i].RegionName}));
    EXPECT_EQ(row.Series, Monthly(2000, 1, expected[i].values));
    EXPECT_EQ(row.Selected, expected[i].selected);
  }
}

TEST(EQSLRanking, ClosingRankingInRankThenLineOrder) {
  TEQSLGraphicData r = RankingRecord();
  modeltest::ScopedUserSettings global(GlobalWeights({10.0, 0.0, -5.0, 1.0, 0.0001, 3.0}));
  models::ComputeEQSLRanking(&r);
  // Rank 1: E before B (line order, not country order); X has no country;
  // rank 2: A (2.7); C has no point at EndDate; F's 9 is outside 1..6.
  EXPECT_EQ(FirstLabels(r.RankingPages), (std::vector<std::string>{"E", "B", "A"}));
  ASSERT_EQ(r.RankingPages.size(), 3u);
  EXPECT_EQ(r.RankingPages[0].Series, (TSeries{{r.EndDate, 1.0}}));
  EXPECT_EQ(r.RankingPages[1].Series, (TSeries{{r.EndDate, 1.0}}));
  EXPECT_EQ(r.RankingPages[2].Series, (TSeries{{r.EndDate, 2.0}}));
  EXPECT_EQ(r.RankingPages[2].Labels, (std::vector<std::string>{"A", "Europe (Euro)"}));
  EXPECT_EQ(SelectedFlags(r.RankingPages), (std::vector<bool>{true, false, true}));

  // One line, two countries of its name: one closing row per country, in country order.
  TEQSLGraphicData twin;
  twin.Countries = {MakeCountry("A", "USD", "Japan"), MakeCountry("A", "EUR", "Europe (Euro)")};
  Asset(twin.Countries[0], atSignal, "QVSIGNAL") = Constant(2000, 1, 3, 1.0);
  twin.EndDate = MonthEnd(2000, 3);
  twin.ModelPortfolio.Lines.resize(1);
  twin.ModelPortfolio.Lines[0].Name = "A";
  twin.ModelPortfolio.Lines[0].Ranks = Monthly(2000, 1, {1, 1, 1});
  models::ComputeEQSLRanking(&twin);
  ASSERT_EQ(twin.RankingPages.size(), 2u);
  EXPECT_EQ(twin.RankingPages[0].Labels.at(1), "Japan");
  EXPECT_EQ(twin.RankingPages[1].Labels.at(1), "Europe (Euro)");
}

TEST(EQSLRanking, FailsWithoutGridOrGlobalRows) {
  struct Case {
    const char* what;
    bool clearSignals;
    double endDate;
    std::size_t globalRows;
  };
  const Case cases[] = {
      {"no QVSIGNAL series", true, MonthEnd(2000, 5), 6},
      {"EndDate before the first signal date", false, MonthEnd(1999, 12), 6},
      {"fewer global rows than countries", false, MonthEnd(2000, 5), 5},
  };
  for (const Case& c : cases) {
    TEQSLGraphicData r = RankingRecord();
    if (c.clearSignals) {
      for (TCountry& country : r.Countries) Asset(country, atSignal, "QVSIGNAL").clear();
    }
    r.EndDate = c.endDate;
    modeltest::ScopedUserSettings global(GlobalWeights(std::vector<double>(c.globalRows, 1.0)));
    EXPECT_THROW(models::ComputeEQSLRanking(&r), EModelError) << c.what;
  }
}

// ------------------------------------------------------------------ benchmark and allocations

TEST(EQSLBenchmark, NamesInThePortfolioCurrencyAndNoRiskFreeRate) {
  TEQSLGraphicData r;
  r.ModelPortfolio.PortfolioCcy = "EUR";
  r.ModelPortfolio.Returns = Monthly(2001, 1, {0.01, 0.02});
  r.BenchmarkPortfolio.Returns = Monthly(2000, 12, {0.03, 0.0, -0.01});
  r.Performance.ModelReturns = Monthly(1990, 1, {0.5, 0.5, 0.5});
  r.Performance.Statistics.RiskFreeRate = 0.05;
  models::ComputeEQSLBenchmark(&r);
  const TPortfolioPerformance& p = r.Performance;
  EXPECT_EQ(p.Parameters.PortfolioCcy, "EUR");
  EXPECT_EQ(p.ModelName, "(In EUR)");
  EXPECT_EQ(p.BenchmarkName, "Benchmark (In EUR)");
  EXPECT_EQ(p.ModelReturns, r.ModelPortfolio.Returns);
  EXPECT_EQ(p.BenchmarkReturns, r.BenchmarkPortfolio.Returns);  // not aligned to the model
  EXPECT_EQ(p.Statistics.RiskFreeRate, 0.0);
}

TSLAllocation Allocation(double date, std::vector<TSLHolding> holdings) {
  TSLAllocation a{date, 0.0, std::move(holdings)};
  for (const TSLHolding& h : a.Holdings) a.TotalWeight += h.AdjustedWeight;
  return a;
}

TEST(EQSLAllocations, RegionRowsFromTheLastAllocation) {
  TEQSLGraphicData r;
  r.Countries = {MakeCountry("Japan 1", "JPY", "Japan"), MakeCountry("US", "USD", "North America"),
                 MakeCountry("Japan 2", "JPY", "Japan"), MakeCountry("Germany", "EUR", "Europe (Euro)")};
  // Raw weights differ from the adjusted ones: the adjusted weight is read.
  r.ModelPortfolio.Allocations = {Allocation(MonthEnd(2001, 11), {{"Germany", 0.1, 1.0, 0, 0, 1}}),
                                  Allocation(MonthEnd(2001, 12), {{"Japan 1", 0.1, 0.3, 0, 0, 1},
                                                                  {"Japan 2", 0.1, 0.2, 0, 0, 3},
                                                                  {"US", 0.1, 0.5, 0, 0, 2},
                                                                  {"Elsewhere", 0.1, 0.4, 0, 0, 4}})};
  r.Performance.AllocationTitle = "old";
  TUserSettings settings = MakeSettings(r.Countries, 10.0, 0.0, 0.0);
  settings.CountrySettings[1].EqWeight = 0.0;     // US: greyed though it carries a weight
  settings.CountrySettings[3].EqWeight = 0.0001;  // Germany takes part
  models::ComputeEQSLAllocations(&r, settings);

  const struct {
    const char* name;
    double value;
    double regionTotal;
    int state;
    int flag;
    int excluded;
  } expected[] = {{"Japan 1", 0.3, 0.5, 1, 0, 0},
                  {"US", 0.5, 0.5, 2, 0, 2},
                  {"Japan 2", 0.2, 0.5, 3, 0, 0},
                  {"Germany", 0.0, 0.0, -1, -1, 0}};  // held only in the earlier allocation
  ASSERT_EQ(r.RegionItems.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(expected[i].name);
    const TRegionItem& item = r.RegionItems[i];
    EXPECT_EQ(item.Name, expected[i].name);
    EXPECT_EQ(item.RegionName, r.Countries[i].RegionName);
    EXPECT_NEAR(item.Value, expected[i].value, 1e-15);
    EXPECT_NEAR(item.RegionColor, expected[i].regionTotal, 1e-15);
    EXPECT_EQ(item.State, expected[i].state);
    EXPECT_EQ(item.Flag, expected[i].flag);
    EXPECT_EQ(item.Excluded, expected[i].excluded);
  }
  const std::vector<TAllocationRow>& history = r.Performance.AllocationHistory;
  ASSERT_EQ(history.size(), 2u);
  EXPECT_EQ(history[1].Date, MonthEnd(2001, 12));
  EXPECT_NEAR(history[1].TotalWeight, 1.4, 1e-12);
  ASSERT_EQ(history[1].Holdings.size(), 4u);
  EXPECT_EQ(history[1].Holdings[3].Name, "Elsewhere");
  EXPECT_EQ(history[1].Holdings[3].Weight, 0.4);
  EXPECT_EQ(r.Performance.AllocationTitle, "");

  settings.CountrySettings.pop_back();
  EXPECT_THROW(models::ComputeEQSLAllocations(&r, settings), EModelError);
}

TEST(EQSLAllocations, ChartSetsOverTheModelsDateRange) {
  TEQSLGraphicData r;
  r.Performance.ModelName = "(In USD)";
  r.Performance.BenchmarkName = "Benchmark (In USD)";
  r.Performance.ModelReturns = Constant(2001, 1, 13, 0.01);          // 31 January 2001 to 31 January 2002
  r.Performance.BenchmarkReturns = Constant(2000, 7, 20, 0.02);      // July 2000 to February 2002
  r.Performance.IndexCharts[1] = {"kept", Monthly(2001, 1, {1.0})};  // the middle slot is not this model's
  models::ComputeEQSLAllocations(&r, TUserSettings{});
  const TNamedSeriesSet& index = r.Performance.IndexCharts;
  EXPECT_EQ(index[0].Name, "Benchmark (In USD)");
  ASSERT_EQ(index[0].Series.size(), 14u);  // 31 Dec 2000 at 1.0, then 13 months
  EXPECT_EQ(index[0].Series.front().Date, MonthEnd(2000, 12));
  EXPECT_EQ(index[0].Series.back().Date, MonthEnd(2002, 1));
  EXPECT_NEAR(index[0].Series.back().Value, std::pow(1.02, 13.0), 1e-12);
  EXPECT_EQ(index[2].Name, "(In USD)");
  EXPECT_NEAR(index[2].Series.at(13).Value, std::pow(1.01, 13.0), 1e-12);
  EXPECT_EQ(index[1].Name, "kept");
  // Rolling one-year returns: December 2001 and January 2002, twelve months each.
  const TNamedSeries& oneYear = r.Performance.OneYearCharts[0];
  ASSERT_EQ(oneYear.Series.size(), 2u);
  EXPECT_EQ(oneYear.Series.back().Date, MonthEnd(2002, 1));
  EXPECT_NEAR(oneYear.Series.back().Value, std::pow(1.02, 12.0) - 1.0, 1e-12);

  // Without model returns every chart series is empty.
  r.Performance.ModelReturns.clear();
  models::ComputeEQSLAllocations(&r, TUserSettings{});
  EXPECT_TRUE(r.Performance.IndexCharts[0].Series.empty());
}

}  // namespace
