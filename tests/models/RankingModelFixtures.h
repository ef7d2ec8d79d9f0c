#pragma once
// Shared builders and checks of the ranking model tests (EQSL, FISL): a whole
// run with its progress, the record as text, the hand-built ranking and
// allocation records and the expectations both models meet alike. The
// statistics of an empty model series are checked here too, for the
// statistics stage tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ModelTestSupport.h"
#include "common/Records.h"
#include "platform/ProgressSink.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"
#include "portfolio/SLPortfolio.h"

namespace rankingtest {

using testcountries::Asset;
using testcountries::MakeCountry;
using testcountries::MonthEnd;
using testcountries::Monthly;

// ------------------------------------------------------------------ whole run

template <class Record>
struct ModelRun {
  Record result;
  modeltest::RecordingProgress progress;
  std::uint32_t step = 0;
  bool failed = false;
};

// The entry of a ranking model.
template <class Record>
using Entry = void (*)(Record*, const std::vector<TCountry>&, const TUserSettings&, std::uint32_t, bool, std::string&,
                       platform::ProgressSink&, std::uint32_t&);

// Runs the model with `global` as the shared user settings; an EModelError
// marks the run failed.
template <class Record>
void RunModel(Entry<Record> entry, ModelRun<Record>& run, const std::vector<TCountry>& list,
              const TUserSettings& settings, const TUserSettings& global, std::uint32_t frequency = 0,
              bool intraMonth = false) {
  testcountries::ScopedCountryList installed(list);
  modeltest::ScopedUserSettings user(global);
  std::string failure;
  try {
    entry(&run.result, list, settings, frequency, intraMonth, failure, run.progress, run.step);
  } catch (const EModelError&) {
    run.failed = true;
  }
}

inline std::vector<std::string> FirstLabels(const std::vector<TLabelledSeries>& rows) {
  std::vector<std::string> names;
  for (const auto& row : rows) names.push_back(row.Labels.at(0));
  return names;
}

inline std::vector<bool> SelectedFlags(const std::vector<TLabelledSeries>& rows) {
  std::vector<bool> flags;
  for (const auto& row : rows) flags.push_back(row.Selected);
  return flags;
}

// Everything a run writes, as text, for comparing two records.
template <class Record>
std::string Describe(const Record& r) {
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
      << s.Model.Return << ' ' << s.Index.Return << ' ' << s.Model.Volatility << ' ' << s.Model.Sharpe << ' '
      << s.Correlation << ' ' << s.Turnover << ' ' << s.RiskFreeRate << '\n';
  out << p.Parameters.PortfolioCcy << ' ' << p.Parameters.EquityRankingCriteria << ' '
      << p.Parameters.BondRankingCriteria << '\n';
  for (const TRegionItem& item : r.RegionItems) {
    out << item.Name << ' ' << item.Value << ' ' << item.RegionColor << ' ' << item.State << ' ' << item.Flag << ' '
        << item.Excluded << '\n';
  }
  return out.str();
}

// A run on USD portfolios with `settings` as the shared settings too
// completes: counter at 9, the nine texts "11%" to "100%" with one pump each,
// the portfolios named, and what both models write alike: the parameters'
// currency and risk-free asset, the captions, the returns of the two
// portfolios, a rate of 0.0, the model portfolio's turnover, the end date,
// the model's index chart and one history row per allocation.
template <class Record>
void ExpectCompleteRun(Entry<Record> entry, ModelRun<Record>& run, const std::vector<TCountry>& list,
                       const TUserSettings& settings, const char* modelName, const char* benchmarkName) {
  RunModel(entry, run, list, settings, settings);
  ASSERT_FALSE(run.failed);
  EXPECT_EQ(run.step, 9u);
  EXPECT_EQ(run.progress.Texts,
            (std::vector<std::string>{"11%", "22%", "33%", "44%", "55%", "66%", "77%", "88%", "100%"}));
  EXPECT_EQ(run.progress.Pumps, 9);

  const Record& r = run.result;
  EXPECT_EQ(r.ModelPortfolio.Name, modelName);
  EXPECT_EQ(r.BenchmarkPortfolio.Name, benchmarkName);
  const TPortfolioPerformance& p = r.Performance;
  EXPECT_EQ(p.Parameters.PortfolioCcy, "USD");
  EXPECT_EQ(p.Parameters.RiskFreeId, "RISKFREEASSET1");
  EXPECT_EQ(p.ModelName, "(In USD)");
  EXPECT_EQ(p.BenchmarkName, "Benchmark (In USD)");
  ASSERT_FALSE(p.ModelReturns.empty());
  EXPECT_EQ(p.ModelReturns, r.ModelPortfolio.Returns);
  EXPECT_EQ(p.BenchmarkReturns, r.BenchmarkPortfolio.Returns);
  EXPECT_EQ(p.Statistics.RiskFreeRate, 0.0);
  EXPECT_EQ(p.Statistics.Turnover, r.ModelPortfolio.AnnualTurnover);
  EXPECT_EQ(p.Statistics.Labels.EndDate, r.EndDate);
  EXPECT_EQ(p.IndexCharts[2].Name, "(In USD)");
  EXPECT_EQ(p.AllocationHistory.size(), r.ModelPortfolio.Allocations.size());
}

// An empty list fails in the frame: counter 1, one text.
template <class Record>
void ExpectEmptyListFailsAtTheFrame(Entry<Record> entry) {
  ModelRun<Record> empty;
  RunModel(entry, empty, {}, TUserSettings{}, TUserSettings{});
  EXPECT_TRUE(empty.failed);
  EXPECT_EQ(empty.step, 1u);
  EXPECT_EQ(empty.progress.Texts, std::vector<std::string>{"11%"});
}

// Without QVSIGNAL series there is no grid: the ranking stage (5) fails.
template <class Record>
void ExpectNoSignalsFailAtTheRanking(Entry<Record> entry, std::vector<TCountry> list, const TUserSettings& settings) {
  for (TCountry& c : list) Asset(c, atSignal, "QVSIGNAL").clear();
  ModelRun<Record> noSignal;
  RunModel(entry, noSignal, list, settings, settings);
  EXPECT_TRUE(noSignal.failed);
  EXPECT_EQ(noSignal.step, 5u);
}

// Every non-empty series of every country lies within [start, end].
inline void ExpectCountriesWithin(const std::vector<TCountry>& countries, double start, double end) {
  for (const TCountry& country : countries) {
    for (int type = atIndex; type <= atSpotFx; ++type) {
      for (const TAssetSeries& asset : *AssetsOfType(country, type)) {
        if (asset.Series.empty()) continue;
        EXPECT_GE(asset.Series.front().Date, start) << country.Name << " " << asset.ID;
        EXPECT_LE(asset.Series.back().Date, end) << country.Name << " " << asset.ID;
      }
    }
  }
}

// A record run on `first` and then on `second` equals a fresh record run on
// `second` only, and differs from what the first run wrote.
template <class Record>
void ExpectRerunEqualsFreshRun(Entry<Record> entry, const std::vector<TCountry>& first,
                               const TUserSettings& firstSettings, const std::vector<TCountry>& second,
                               const TUserSettings& secondSettings, const TUserSettings& global,
                               ModelRun<Record>& reused, ModelRun<Record>& fresh) {
  RunModel(entry, reused, first, firstSettings, global);
  ASSERT_FALSE(reused.failed);
  const std::string afterFirst = Describe(reused.result);
  reused.step = 0;
  RunModel(entry, reused, second, secondSettings, global);
  RunModel(entry, fresh, second, secondSettings, global);
  ASSERT_FALSE(fresh.failed);
  EXPECT_EQ(Describe(reused.result), Describe(fresh.result));
  EXPECT_NE(Describe(fresh.result), afterFirst);
}

// ------------------------------------------------------------------ ranking stage

// Countries A to F (A's QVSIGNAL series spans January to June 2000, B's
// starts in March), EndDate 31 May 2000, and model lines in the order E, B,
// X (no country), A, C, F with the given ranks from (2000, month); line C
// ends with the points `extraOfC`.
template <class Record>
Record RankingRecord(const TSeries& extraOfC = {}) {
  Record r;
  std::vector<TCountry>& countries = r.Countries.Edit();
  for (const char* name : {"A", "B", "C", "D", "E", "F"}) countries.push_back(MakeCountry(name, "USD", "Japan"));
  countries[0].RegionName = "Europe (Euro)";
  Asset(countries[0], atSignal, "QVSIGNAL") = testcountries::Constant(2000, 1, 6, 1.0);
  Asset(countries[1], atSignal, "QVSIGNAL") = testcountries::Constant(2000, 3, 4, 0.0);
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
  r.ModelPortfolio.Lines.back().Ranks.insert(r.ModelPortfolio.Lines.back().Ranks.end(), extraOfC.begin(),
                                             extraOfC.end());
  line("F", 1, {5, 5, 5, 5, 9, 5});  // rank 9 of 6 lines: none
  return r;
}

// Global settings rows with `weight` := weights[i]; every other row member
// keeps its default but EqWeight, which is 10.0 unless it is `weight`.
inline TUserSettings GlobalWeights(const std::vector<double>& weights,
                                   double TCountrySettings::*weight = &TCountrySettings::EqWeight) {
  TUserSettings s;
  for (double w : weights) {
    TCountrySettings row;
    row.EqWeight = 10.0;
    row.*weight = w;
    s.CountrySettings.push_back(row);
  }
  return s;
}

// The weights of the ranking tests: A, D, E, F take part, B and C not.
inline const std::vector<double> kRankingWeights = {10.0, 0.0, -5.0, 1.0, 0.0001, 3.0};

// The history rows of RankingRecord(extraOfC):
// each country's labels, the grid (-1.0) before its line's first rank, the
// ranks cut at EndDate, and Selected from the global `weight`. The rows
// replace those of an earlier run.
template <class Record>
void ExpectHistoryRowsOnTheSignalGrid(void (*ranking)(Record*), double TCountrySettings::*weight,
                                      const TSeries& extraOfC = {}) {
  Record r = RankingRecord<Record>(extraOfC);
  r.RankingRows.resize(9);  // replaced, not extended
  modeltest::ScopedUserSettings global(GlobalWeights(kRankingWeights, weight));
  ranking(&r);
  ASSERT_EQ(r.RankingRows.size(), 6u);
  const struct {
    std::vector<double> values;  // from January 2000
    bool selected;
  } expected[] = {
      {{1, 2, 3, 2, 2.7}, true},     // A: cut at EndDate
      {{-1, -1, 2, 1, 1}, false},    // B: the grid before its first rank
      {{3, 3, 2, 1}, false},         // C: its own points end in April (then extraOfC)
      {{-1, -1, -1, -1, -1}, true},  // D: no line, the bare grid
      {{2, 1, 1, 1, 1}, true},       // E
      {{5, 5, 5, 5, 9}, true},       // F
  };
  for (std::size_t i = 0; i < 6; ++i) {
    SCOPED_TRACE(r.Countries[i].Name);
    const TLabelledSeries& row = r.RankingRows[i];
    EXPECT_EQ(row.Labels, (std::vector<std::string>{r.Countries[i].Name, r.Countries[i].RegionName}));
    TSeries values = Monthly(2000, 1, expected[i].values);
    if (i == 2) values.insert(values.end(), extraOfC.begin(), extraOfC.end());
    EXPECT_EQ(row.Series, values);
    EXPECT_EQ(row.Selected, expected[i].selected);
  }
}

// The closing rows of RankingRecord(extraOfC) under the global `weights`: E and B at rank 1 (line order, not country
// order), A at rank 2 (2.7); X has no country, C no rank dated EndDate, F's 9
// lies outside 1..6. Each row carries its own country's flag (E, B, A:
// `selected`). The rows replace those of an earlier run.
template <class Record>
void ExpectClosingRowsInRankThenLineOrder(void (*ranking)(Record*), const std::vector<double>& weights,
                                          double TCountrySettings::*weight, const std::vector<bool>& selected,
                                          const TSeries& extraOfC = {}) {
  Record r = RankingRecord<Record>(extraOfC);
  r.RankingPages.resize(7);
  modeltest::ScopedUserSettings global(GlobalWeights(weights, weight));
  ranking(&r);
  EXPECT_EQ(FirstLabels(r.RankingPages), (std::vector<std::string>{"E", "B", "A"}));
  ASSERT_EQ(r.RankingPages.size(), 3u);
  EXPECT_EQ(r.RankingPages[0].Series, (TSeries{{r.EndDate, 1.0}}));
  EXPECT_EQ(r.RankingPages[1].Series, (TSeries{{r.EndDate, 1.0}}));
  EXPECT_EQ(r.RankingPages[2].Series, (TSeries{{r.EndDate, 2.0}}));
  EXPECT_EQ(r.RankingPages[2].Labels, (std::vector<std::string>{"A", "Europe (Euro)"}));
  EXPECT_EQ(SelectedFlags(r.RankingPages), selected);
}

// ------------------------------------------------------------------ benchmark, statistics, allocations

// The benchmark stage on a model portfolio in EUR: captions in its currency,
// both portfolios' returns as they stand (not aligned) and a rate of 0.0
// over the 0.05 of an earlier run.
template <class Record>
void ExpectBenchmarkInThePortfolioCurrency(void (*benchmark)(Record*)) {
  Record r;
  r.ModelPortfolio.PortfolioCcy = "EUR";
  r.ModelPortfolio.Returns = Monthly(2001, 1, {0.01, 0.02});
  r.BenchmarkPortfolio.Returns = Monthly(2000, 12, {0.03, 0.0, -0.01});
  r.Performance.ModelReturns = Monthly(1990, 1, {0.5, 0.5, 0.5});
  r.Performance.Statistics.RiskFreeRate = 0.05;
  benchmark(&r);
  const TPortfolioPerformance& p = r.Performance;
  EXPECT_EQ(p.Parameters.PortfolioCcy, "EUR");
  EXPECT_EQ(p.ModelName, "(In EUR)");
  EXPECT_EQ(p.BenchmarkName, "Benchmark (In EUR)");
  EXPECT_EQ(p.ModelReturns, r.ModelPortfolio.Returns);
  EXPECT_EQ(p.BenchmarkReturns, r.BenchmarkPortfolio.Returns);
  EXPECT_EQ(p.Statistics.RiskFreeRate, 0.0);
}

// The statistics of an empty model series: no data; dates, rate and the
// model's and index's Sharpe ratios kNoFigure.
inline void ExpectNoModelFigures(const TPerformanceStatistics& s) {
  EXPECT_FALSE(s.HasData);
  EXPECT_EQ(s.Labels.StartDate, kNoFigure);
  EXPECT_EQ(s.Labels.EndDate, kNoFigure);
  EXPECT_EQ(s.RiskFreeRate, kNoFigure);
  EXPECT_EQ(s.Model.Sharpe, kNoFigure);
  EXPECT_EQ(s.Index.Sharpe, kNoFigure);
}

inline TSLAllocation Allocation(double date, std::vector<TSLHolding> holdings) {
  TSLAllocation a{date, 0.0, std::move(holdings)};
  for (const TSLHolding& h : a.Holdings) a.TotalWeight += h.AdjustedWeight;
  return a;
}

// Countries "Japan 1", "US", "Japan 2", "Germany" of three regions.
inline std::vector<TCountry> AllocationCountries() {
  return {MakeCountry("Japan 1", "JPY", "Japan"), MakeCountry("US", "USD", "North America"),
          MakeCountry("Japan 2", "JPY", "Japan"), MakeCountry("Germany", "EUR", "Europe (Euro)")};
}

// Germany held alone in November 2001; in December Japan 1, Japan 2, US and
// "Elsewhere" (no country) with raw weights that differ from the adjusted ones.
inline std::vector<TSLAllocation> TwoAllocations() {
  return {Allocation(MonthEnd(2001, 11), {{"Germany", 0.1, 1.0, 0, 0, 1}}),
          Allocation(MonthEnd(2001, 12), {{"Japan 1", 0.1, 0.3, 0, 0, 1},
                                          {"Japan 2", 0.1, 0.2, 0, 0, 3},
                                          {"US", 0.1, 0.5, 0, 0, 2},
                                          {"Elsewhere", 0.1, 0.4, 0, 0, 4}})};
}

struct RegionRow {
  const char* name;
  double value;
  double regionTotal;
  int state;     // the rank
  int flag;      // the region's state
  int excluded;  // the participation
};

// The allocation stage on a record holding TwoAllocations with the allocation
// title "old": one region row per country as `expected` (values from the
// adjusted weights of the last allocation), two history rows of adjusted
// weights, no title; settings with a row fewer than countries fail.
template <class Record>
void ExpectRegionRowsFromTheLastAllocation(void (*allocations)(Record*, const TUserSettings&),
                                           std::vector<TCountry> countries, TUserSettings settings,
                                           const std::vector<RegionRow>& expected) {
  Record r;
  r.Countries = std::move(countries);
  r.ModelPortfolio.Allocations = TwoAllocations();
  r.Performance.AllocationTitle = "old";
  allocations(&r, settings);

  ASSERT_EQ(r.RegionItems.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
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
  EXPECT_EQ(history[1].Holdings[3].Weight, 0.4);  // the adjusted weight
  EXPECT_EQ(r.Performance.AllocationTitle, "");

  settings.CountrySettings.pop_back();
  EXPECT_THROW(allocations(&r, settings), EModelError);
}

}  // namespace rankingtest
