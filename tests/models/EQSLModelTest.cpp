// EQSL: the whole run on a small list (progress, failures, window, ranks,
// selection flags, rerun), and the ranking, benchmark and allocation stages
// on hand-built records.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "RankingModelFixtures.h"
#include "models/equity/EQSLModel.h"
#include "platform/DateTime.h"
#include "portfolio/ModelError.h"

using namespace testcountries;
using platform::EncodeDate;
using rankingtest::FirstLabels;
using rankingtest::SelectedFlags;

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

using ModelRun = rankingtest::ModelRun<TEQSLGraphicData>;

// Runs the model with `global` as the shared user settings.
void RunEQSL(ModelRun& run, const std::vector<TCountry>& list, const TUserSettings& settings,
             const TUserSettings& global, bool intraMonth = false) {
  rankingtest::RunModel(&models::ComputeEQSLModel, run, list, settings, global, 0, intraMonth);
}

TEST(EQSLRun, ShowsNineProgressTextsAndFillsEveryStage) {
  ModelRun run;
  ASSERT_NO_FATAL_FAILURE(rankingtest::ExpectCompleteRun(&models::ComputeEQSLModel, run, RunList(),
                                                         RunSettings(RunList()), "Risk Model Portfolio",
                                                         "Risk Benchmark Portfolio"));
  const TEQSLGraphicData& r = run.result;
  const TSeriesInfo& info = r.Performance.Parameters;
  EXPECT_TRUE(info.FxHedging);
  EXPECT_EQ(info.EquityRankingCriteria, 0.5);
  EXPECT_EQ(info.QVTrustLevel, 30.0);
  EXPECT_EQ(info.BLTrustLevel, 40.0);
  EXPECT_EQ(info.BondRankingCriteria, 0.0);  // not an equity parameter

  EXPECT_EQ(r.Performance.Statistics.Labels.Caption1, "Risk Portfolio");

  // Criteria 0.5 of three ranked lines holds ranks 1 and 2: Germany and the
  // United States at 0.5 each; Japan is not held.
  ASSERT_EQ(r.RegionItems.size(), 3u);
  EXPECT_NEAR(r.RegionItems[1].Value, 0.5, 1e-12);
  EXPECT_EQ(r.RegionItems[1].State, 1);
  EXPECT_EQ(r.RegionItems[2].State, -1);
  EXPECT_EQ(r.RegionItems[2].Flag, -1);
}

TEST(EQSLRun, FailsAtTheStageReached) {
  rankingtest::ExpectEmptyListFailsAtTheFrame(&models::ComputeEQSLModel);
  rankingtest::ExpectNoSignalsFailAtTheRanking(&models::ComputeEQSLModel, RunList(), RunSettings(RunList()));
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
    rankingtest::ExpectCountriesWithin(run.result.Countries, c.start, c.end);
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

  ModelRun reused;
  ModelRun fresh;
  ASSERT_NO_FATAL_FAILURE(rankingtest::ExpectRerunEqualsFreshRun(
      &models::ComputeEQSLModel, first, RunSettings(first), second, secondSettings, RunSettings(first), reused, fresh));
  EXPECT_EQ(fresh.result.Performance.ModelName, "(In EUR)");
  EXPECT_EQ(fresh.result.RegionItems.size(), 2u);

  // No country of the portfolio currency: neither portfolio gets a line, so
  // nothing may remain of the first run's allocations and turnover.
  TUserSettings noLines = RunSettings(second);
  noLines.PortfolioCcy = "CHF";
  ModelRun reusedNoLines;
  ModelRun freshNoLines;
  ASSERT_NO_FATAL_FAILURE(rankingtest::ExpectRerunEqualsFreshRun(&models::ComputeEQSLModel, first,
                                                                 RunSettings(first), second, noLines,
                                                                 RunSettings(first), reusedNoLines, freshNoLines));
  EXPECT_EQ(reusedNoLines.result.Performance.Statistics.Turnover,
            freshNoLines.result.Performance.Statistics.Turnover);
}

// ------------------------------------------------------------------ ranking stage

TEST(EQSLRanking, HistoryRowsOnTheSignalGrid) {
  rankingtest::ExpectHistoryRowsOnTheSignalGrid(&models::ComputeEQSLRanking, &TCountrySettings::EqWeight);
}

TEST(EQSLRanking, ClosingRankingInRankThenLineOrder) {
  rankingtest::ExpectClosingRowsInRankThenLineOrder(&models::ComputeEQSLRanking, rankingtest::kRankingWeights,
                                                    &TCountrySettings::EqWeight, {true, false, true});

  // One line, two countries of its name: one closing row per country, in country order.
  modeltest::ScopedUserSettings global(rankingtest::GlobalWeights(rankingtest::kRankingWeights));
  TEQSLGraphicData twin;
  twin.Countries = {MakeCountry("A", "USD", "Japan"), MakeCountry("A", "EUR", "Europe (Euro)")};
  Asset(twin.Countries.Edit()[0], atSignal, "QVSIGNAL") = Constant(2000, 1, 3, 1.0);
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
    TEQSLGraphicData r = rankingtest::RankingRecord<TEQSLGraphicData>();
    if (c.clearSignals) {
      for (TCountry& country : r.Countries.Edit()) Asset(country, atSignal, "QVSIGNAL").clear();
    }
    r.EndDate = c.endDate;
    modeltest::ScopedUserSettings global(rankingtest::GlobalWeights(std::vector<double>(c.globalRows, 1.0)));
    EXPECT_THROW(models::ComputeEQSLRanking(&r), EModelError) << c.what;
  }
}

// ------------------------------------------------------------------ benchmark and allocations

TEST(EQSLBenchmark, NamesInThePortfolioCurrencyAndNoRiskFreeRate) {
  rankingtest::ExpectBenchmarkInThePortfolioCurrency(&models::ComputeEQSLBenchmark);
}

TEST(EQSLAllocations, RegionRowsFromTheLastAllocation) {
  const std::vector<TCountry> countries = rankingtest::AllocationCountries();
  TUserSettings settings = MakeSettings(countries, 10.0, 0.0, 0.0);
  settings.CountrySettings[1].EqWeight = 0.0;     // US: greyed though it carries a weight
  settings.CountrySettings[3].EqWeight = 0.0001;  // Germany takes part
  rankingtest::ExpectRegionRowsFromTheLastAllocation(&models::ComputeEQSLAllocations, countries, settings,
                                                     {{"Japan 1", 0.3, 0.5, 1, 0, 0},
                                                      {"US", 0.5, 0.5, 2, 0, 2},
                                                      {"Japan 2", 0.2, 0.5, 3, 0, 0},
                                                      // held only in the earlier allocation
                                                      {"Germany", 0.0, 0.0, -1, -1, 0}});
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
