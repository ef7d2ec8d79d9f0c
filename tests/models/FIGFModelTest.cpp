// FIGF: the gold-signal rows, the aligned model and benchmark series and the
// dated split into fixed-rate bonds, inflation-linked bonds and gold on
// hand-built records; the whole run on a small three-country list (progress,
// window, failures, a second run that keeps nothing of the first).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "GlobalModelFixtures.h"
#include "ModelTestSupport.h"
#include "models/global/FIGFModel.h"
#include "platform/DateTime.h"
#include "portfolio/ModelError.h"

using namespace testcountries;
using platform::EncodeDate;

namespace {

// ---------------------------------------------------------------- gold-signal rows

struct SeriesCase {
  const char* name;
  bool grid;                   // the first country has a QVSIGNAL series Jan..Jun 2000
  TSeries signal;              // gold signal
  double end;                  // EndDate
  bool goldRow;                // Rows1 holds the gold row
  std::vector<double> row;     // its values (dated from the grid's first date)
  std::vector<double> shares;  // Rows2 values; empty: no share rows
};

TEST(FIGFSeries, GoldRowOnTheSignalGridAndItsLastShares) {
  const double jun = MonthEnd(2000, 6);
  const SeriesCase cases[] = {
      {"signal later than grid", true, Monthly(2000, 3, {1.0, 0.0, 1.0, 0.3}), jun, true,
       {-1.0, -1.0, 1.0, 0.0, 1.0, 0.3}, {0.3, 0.7}},
      {"missing last value stays missing", true, Monthly(2000, 3, {1.0, 0.0, 1.0, -1.0}), jun, true,
       {-1.0, -1.0, 1.0, 0.0, 1.0, -1.0}, {-1.0, -1.0}},
      {"signal cut at the end date", true, Monthly(2000, 3, {1.0, 0.0, 1.0, 0.3}), MonthEnd(2000, 4), true,
       {-1.0, -1.0, 1.0, 0.0}, {0.0, 1.0}},
      // The grid only fills in before the signal, never after it.
      {"signal before the grid is cut off", true, Monthly(1999, 11, {0.0, 0.0, 1.0, 1.0, 0.0}), jun, true,
       {1.0, 1.0, 0.0}, {0.0, 1.0}},
      {"no signal: grid only", true, {}, jun, true, {-1.0, -1.0, -1.0, -1.0, -1.0, -1.0}, {-1.0, -1.0}},
      {"signal ends before the grid", true, Monthly(1999, 1, {1.0, 1.0}), jun, true, {}, {}},
      {"no QVSIGNAL anywhere", false, Monthly(2000, 3, {1.0}), jun, false, {}, {}},
      {"end before the first grid date", true, Monthly(2000, 3, {1.0}), MonthEnd(1999, 12), false, {}, {}},
  };
  for (const SeriesCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFIGFGraphicData r;
    r.Countries = {MakeCountry("United States", "USD"), MakeCountry("Germany", "EUR")};
    if (c.grid) Asset(r.Countries.Edit()[1], atSignal, "QVSIGNAL") = Constant(2000, 1, 6, 1.0);
    r.Rule2.Basket.Signal = c.signal;
    r.EndDate = c.end;
    // A previous run's rows.
    r.Rows1 = {{{"old"}, Monthly(1990, 1, {0.5}), true}, {{"old"}, {}, false}};
    r.Rows2 = {{{"old"}, Monthly(1990, 1, {0.5}), false}};

    models::BuildFIGFSeries(&r);

    ASSERT_EQ(r.Rows1.size(), c.goldRow ? 1u : 0u);
    if (c.goldRow) {
      const TLabelledSeries& row = r.Rows1[0];
      EXPECT_EQ(row.Labels, std::vector<std::string>{""});
      EXPECT_FALSE(row.Selected);
      ASSERT_TRUE(ValuesNear(row.Series, c.row));
      for (std::size_t i = 0; i < row.Series.size(); ++i) EXPECT_EQ(row.Series[i].Date, MonthEnd(2000, 1, int(i)));
    }
    ASSERT_EQ(r.Rows2.size(), c.shares.size());
    for (std::size_t i = 0; i < r.Rows2.size(); ++i) {
      const TLabelledSeries& share = r.Rows2[i];
      EXPECT_EQ(share.Labels, std::vector<std::string>{""});
      ASSERT_EQ(share.Series.size(), 1u);
      EXPECT_EQ(share.Series[0].Date, r.Rows1[0].Series.back().Date);
      EXPECT_NEAR(share.Series[0].Value, c.shares[i], kTol);
    }
  }
}

// ---------------------------------------------------------------- benchmark stage

TEST(FIGFBenchmark, ModelAndBenchmarkOnTheirCommonDates) {
  struct Case {
    const char* name;
    TSeries model;
    TSeries bond;
    std::vector<double> modelValues;
    std::vector<double> bondValues;
  };
  const Case cases[] = {
      {"overlap April to June", Monthly(2000, 2, {0.01, 0.02, 0.03, 0.04, 0.05}),
       Monthly(2000, 4, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6}), {0.03, 0.04, 0.05}, {0.1, 0.2, 0.3}},
      {"no overlap", Monthly(2000, 1, {0.01, 0.02}), Monthly(2001, 1, {0.1, 0.2}), {}, {}},
      {"one common date only", Monthly(2000, 1, {0.01, 0.02}), Monthly(2000, 2, {0.1, 0.2}), {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TFIGFGraphicData r;
    r.Rule2.Returns = c.model;
    r.BondPortfolio.Returns = c.bond;
    r.Performance.Parameters.PortfolioCcy = "EUR";
    r.Performance.ModelReturns = r.Performance.BenchmarkReturns = Monthly(1990, 1, {9.0});  // an earlier run's
    r.Performance.Statistics.RiskFreeRate = 0.05;

    models::ComputeFIGFBenchmark(&r);

    EXPECT_EQ(r.Performance.ModelName, "(In EUR)");
    EXPECT_EQ(r.Performance.BenchmarkName, "Benchmark (In EUR)");
    EXPECT_TRUE(ValuesNear(r.Performance.ModelReturns, c.modelValues));
    EXPECT_TRUE(ValuesNear(r.Performance.BenchmarkReturns, c.bondValues));
    EXPECT_EQ(r.Performance.Statistics.RiskFreeRate, 0.0);
  }
}

// ---------------------------------------------------------------- allocation stage

struct Holding {
  const char* name;
  double weight;
  int dayOffset;  // allocation date = d + dayOffset
};

struct SplitCase {
  const char* name;
  double fixedShare, goldShare, switchShare;
  std::vector<Holding> holdings;
  double fixed, linked, gold;  // expected items
};

// Inflation-linked ranges around d: "A" [d-30, d+30], "B" [d-60, d-1] (ended
// before d), "C" none, "E" [d, d].
std::vector<TInflationLinkedLine> RangesAround(double d) {
  std::vector<TInflationLinkedLine> lines(4);
  lines[0].CountryName = "A";
  lines[0].FirstDate = d - 30.0;
  lines[0].LastDate = d + 30.0;
  lines[1].CountryName = "B";
  lines[1].FirstDate = d - 60.0;
  lines[1].LastDate = d - 1.0;
  lines[2].CountryName = "C";
  lines[3].CountryName = "E";
  lines[3].FirstDate = d;
  lines[3].LastDate = d;
  return lines;
}

TEST(FIGFAllocations, SplitOfTheSwitchShareByInflationLinkedWeight) {
  const SplitCase cases[] = {
      // s = 0.25: fixed 0.3 + 0.4 x 0.75, linked 0.4 x 0.25.
      {"linked weight 0.25", 0.3, 0.3, 0.4, {{"A", 0.25, 0}, {"C", 0.75, 0}}, 0.6, 0.1, 0.3},
      {"no allocation dated d", 0.3, 0.3, 0.4, {{"A", 1.0, -31}}, 0.7, 0.0, 0.3},
      {"range ended before d", 0.0, 0.2, 0.8, {{"A", 0.25, 0}, {"B", 0.75, 0}}, 0.6, 0.2, 0.2},
      {"no switch share", 0.9, 0.1, 0.0, {{"A", 1.0, 0}}, 0.9, 0.0, 0.1},
      // Range bounds inclusive; two allocations dated d add up: s = 0.5 + 0.25.
      {"bounds and two records", 0.0, 0.0, 1.0, {{"E", 0.5, 0}, {"A", 0.25, 0}}, 0.25, 0.75, 0.0},
  };
  const double d = MonthEnd(2000, 6);
  for (const SplitCase& c : cases) {
    SCOPED_TRACE(c.name);
    TFIGFGraphicData r;
    // An earlier all-fixed row, then the row of the case.
    r.Rule2.Allocations = {{d - 30.0, 1.0, 0.0, 0.0}, {d, c.fixedShare, c.goldShare, c.switchShare}};
    r.Rule2.InflationLinked.Lines = RangesAround(d);
    for (const Holding& h : c.holdings) {
      TSLAllocation allocation;
      allocation.Date = d + h.dayOffset;
      allocation.Holdings.push_back({h.name, h.weight, h.weight, 0.0, 0.0, 1});
      r.Rule2.BondPortfolio.Allocations.push_back(allocation);
    }
    r.Performance.AllocationTitle = "old";

    models::ComputeFIGFAllocations(&r);

    const std::vector<TAllocationRow>& history = r.Performance.AllocationHistory;
    EXPECT_EQ(r.Performance.AllocationTitle, "");
    ASSERT_EQ(history.size(), 2u);
    const std::vector<std::string> items = {"Fixed Rate Bond", "Inflation-Linked Bond", "Gold"};
    globaltest::ExpectSplitRow(history[0], d - 30.0, items, {1.0, 0.0, 0.0});
    globaltest::ExpectSplitRow(history[1], d, items, {c.fixed, c.linked, c.gold});

    // Asset rows of the last split; the index is all fixed-rate bonds.
    EXPECT_EQ(r.ColumnCaption1, "Model");
    EXPECT_EQ(r.ColumnCaption2, "Index");
    globaltest::ExpectAssetShares(r.AssetShares,
                                  {{"Bond", c.fixed + c.linked, 1.0, 1}, {"Fixed Rate Bond", c.fixed, 1.0, 1},
                                   {"Inflation-Linked Bond", c.linked, 0.0, 1}, {"Gold", c.gold, 0.0, 2},
                                   {"", 0.0, 0.0, 2}, {"", 0.0, 0.0, 2}},
                                  0.0);
  }
}

TEST(FIGFAllocations, NoWeightRowsLeaveNothingOfAnEarlierRun) {
  // Model and benchmark series that did not overlap (both empty), no weight
  // rows, and a previous run's split and charts.
  TFIGFGraphicData r;
  r.Performance.ModelName = "(In USD)";
  r.Performance.BenchmarkName = "Benchmark (In USD)";
  r.Performance.AllocationTitle = "old";
  r.Performance.AllocationHistory = {{MonthEnd(1999, 1), 1.0, {{"Gold", 0.3}}}};
  r.ColumnCaption1 = "Model";
  r.ColumnCaption2 = "Index";
  r.AssetShares = std::vector<TAssetShareRow>(6, {"Bond", 0.5, 1.0, 1});
  r.Performance.IndexCharts[0] = {"x", Monthly(1999, 1, {1.0, 1.1})};
  r.Performance.IndexCharts[1] = {"kept", Monthly(1999, 1, {7.0})};
  r.Performance.IndexCharts[2] = {"x", Monthly(1999, 1, {1.0, 1.1})};

  models::ComputeFIGFAllocations(&r);

  EXPECT_EQ(r.Performance.AllocationTitle, "");
  EXPECT_TRUE(r.Performance.AllocationHistory.empty());
  EXPECT_EQ(r.ColumnCaption1, "");
  EXPECT_EQ(r.ColumnCaption2, "");
  EXPECT_TRUE(r.AssetShares.empty());
  for (const TNamedSeriesSet* set :
       {&r.Performance.IndexCharts, &r.Performance.DrawdownCharts, &r.Performance.OneYearCharts}) {
    EXPECT_EQ((*set)[0].Name, "Benchmark (In USD)");
    EXPECT_TRUE((*set)[0].Series.empty());
    EXPECT_EQ((*set)[2].Name, "(In USD)");
    EXPECT_TRUE((*set)[2].Series.empty());
  }
  EXPECT_EQ(r.Performance.IndexCharts[1].Name, "kept");  // the second entry is not this stage's
}

// ---------------------------------------------------------------- whole run

// United States (USD), Germany (EUR), Japan (JPY) over the 40 month ends from
// January 2000: cash +0.2 % a month, government bonds +0.4/0.5/0.6 %, flat
// 10-year rates; gold (first country) rallying 20 months, then slumping;
// RULE2 states cycling 1, 2, 3; inflation-linked bonds for the United States
// from November 2000 only; QVSIGNAL for every country.
std::vector<TCountry> RunList() {
  std::vector<TCountry> list = GoldRuleCountries(true);
  Asset(list[0], atIndex, "IBINDEX2") = Growing(2000, 11, 30, 100.0, 0.003);
  return list;
}

// Equal bond weights, every country selected, gold 10 %, inflation-linked
// bonds allowed; inception 15 March 2001, end 30 April 2003.
TUserSettings RunSettings(const std::vector<TCountry>& list) {
  TUserSettings s = MakeSettings(list, 0.0, 100.0 / 3.0, 0.0);
  s.CountryRankingCriteria = {0.5, 1.0, 0.75};
  s.SLTrustLevel = 100.0;
  s.MaxGoldAllocation = 10.0;
  s.MaxTipsAllocation = 100.0;
  s.MaxFxRiskAllocation = 20.0;
  s.InceptionDate = EncodeDate(2001, 3, 15);
  s.EndDate = MonthEnd(2003, 4);
  return s;
}

struct ModelRun {
  modeltest::RecordingProgress progress;
  std::uint32_t step = 0;
  bool failed = false;
};

void RunFIGF(TFIGFGraphicData& result, ModelRun& run, const std::vector<TCountry>& list,
             const TUserSettings& settings) {
  ScopedCountryList installed(list);
  modeltest::ScopedUserSettings user(settings);
  std::string failure;
  try {
    models::ComputeFIGFModel(&result, list, settings, 0, false, failure, run.progress, run.step);
  } catch (const EModelError&) {
    run.failed = true;
  }
}

// Everything the run writes, as text.
std::string Describe(const TFIGFGraphicData& r) {
  std::ostringstream out;
  out.precision(17);
  auto series = [&](const TSeries& s) {
    for (const TDataPoint& p : s) out << p.Date << ':' << p.Value << ' ';
    out << "|\n";
  };
  const TPortfolioPerformance& p = r.Performance;
  out << r.StartDate << ' ' << r.EndDate << ' ' << r.Countries.size() << ' ' << r.Rule2.Allocations.size() << ' '
      << p.ModelName << ';' << p.BenchmarkName << ';' << p.AllocationTitle << ';' << r.ColumnCaption1 << ';'
      << r.ColumnCaption2 << '\n';
  for (const auto* rows : {&r.Rows1, &r.Rows2}) {
    for (const TLabelledSeries& row : *rows) series(row.Series);
    out << "--\n";
  }
  for (const TSeries* s : {&r.BondPortfolio.Returns, &r.Rule2.Returns, &p.ModelReturns, &p.BenchmarkReturns}) series(*s);
  for (const auto* set : {&p.IndexCharts, &p.DrawdownCharts, &p.OneYearCharts}) {
    for (const TNamedSeries& slot : set->Slots) series(slot.Series);
  }
  for (const TAllocationRow& row : p.AllocationHistory) {
    for (const TWeightedName& h : row.Holdings) out << h.Name << '=' << h.Weight << ' ';
  }
  const TPerformanceStatistics& s = p.Statistics;
  out << s.HasData << s.Labels.Caption1 << s.Labels.StartDate << ' ' << s.Model.Return << ' ' << s.Index.Return << ' '
      << s.RiskFreeRate << ' ' << p.Parameters.PortfolioCcy << '\n';
  for (const TAssetShareRow& row : r.AssetShares) out << row.Name << '=' << row.Share << '/' << row.Mark << ' ';
  return out.str();
}

TEST(FIGFModelRun, StagesOnAThreeCountryList) {
  const std::vector<TCountry> list = RunList();
  const TUserSettings settings = RunSettings(list);
  TFIGFGraphicData r;
  ModelRun run;
  RunFIGF(r, run, list, settings);
  ASSERT_FALSE(run.failed);

  EXPECT_EQ(run.step, 9u);
  EXPECT_EQ(run.progress.Texts, (std::vector<std::string>{"22%", "33%", "44%", "55%", "66%", "77%", "88%", "100%"}));
  EXPECT_EQ(run.progress.Pumps, 8);
  // Signals from January 2000 reach back past 1 March 2000.
  EXPECT_EQ(r.StartDate, EncodeDate(2000, 3, 1));
  EXPECT_EQ(r.EndDate, MonthEnd(2003, 4));
  for (const TCountry& c : r.Countries) {
    for (std::size_t a = 0; a < 2; ++a) {  // cash and government bonds
      ASSERT_FALSE(c.RiskFreeAssets[a].Series.empty());
      EXPECT_EQ(c.RiskFreeAssets[a].Series.front().Date, MonthEnd(2000, 3));
    }
  }

  // Gold row: -1.0 on the grid until the gold signal begins, then the signal.
  const TSeries& signal = r.Rule2.Basket.Signal;
  ASSERT_FALSE(signal.empty());
  ASSERT_EQ(r.Rows1.size(), 1u);
  const TSeries& goldRow = r.Rows1[0].Series;
  ASSERT_EQ(goldRow.front().Date, MonthEnd(2000, 3));
  ASSERT_EQ(goldRow.back().Date, MonthEnd(2003, 4));
  std::size_t k = 0;
  for (; goldRow[k].Date < signal.front().Date; ++k) EXPECT_EQ(goldRow[k].Value, -1.0);
  EXPECT_GT(k, 0u);
  EXPECT_EQ(TSeries(goldRow.begin() + std::ptrdiff_t(k), goldRow.end()), signal);
  ASSERT_EQ(r.Rows2.size(), 2u);
  EXPECT_EQ(r.Rows2[0].Series, TSeries{signal.back()});
  EXPECT_EQ(r.Rows2[1].Series[0].Value, 1.0 - signal.back().Value);

  // Model and benchmark on common dates, statistics with a risk-free rate of 0.0.
  const TPortfolioPerformance& p = r.Performance;
  EXPECT_EQ(p.ModelName, "(In USD)");
  ASSERT_FALSE(p.ModelReturns.empty());
  ASSERT_EQ(p.ModelReturns.size(), p.BenchmarkReturns.size());
  EXPECT_EQ(p.ModelReturns.front().Date, p.BenchmarkReturns.front().Date);
  EXPECT_EQ(p.Statistics.Labels.Caption1, "Fixed Rate Bond vs Gold And TIPS");
  EXPECT_EQ(p.Statistics.RiskFreeRate, 0.0);
  EXPECT_TRUE(p.Statistics.HasData);
  EXPECT_EQ(p.Parameters.BondRankingCriteria, 1.0);
  EXPECT_EQ(p.Parameters.CurrencyRankingCriteria, 0.75);
  EXPECT_EQ(p.Parameters.MaxFxRiskAllocation, 20.0);
  EXPECT_EQ(p.Parameters.EquityRankingCriteria, 0.0);  // not a fixed-income setting
  EXPECT_EQ(p.IndexCharts[2].Series.size(), p.ModelReturns.size() + 1);

  // Split: each of the three countries holds 1/3 of the bonds and only the
  // United States has inflation-linked data, so 1/3 of a switch share goes
  // to inflation-linked bonds.
  ASSERT_EQ(p.AllocationHistory.size(), r.Rule2.Allocations.size());
  bool linkedSeen = false;
  bool goldSeen = false;
  for (std::size_t i = 0; i < p.AllocationHistory.size(); ++i) {
    const TAllocationRow& row = p.AllocationHistory[i];
    const TRule2Allocation& w = r.Rule2.Allocations[i];
    EXPECT_EQ(row.Date, w.Date);
    EXPECT_EQ(row.TotalWeight, 1.0);
    ASSERT_EQ(row.Holdings.size(), 3u);
    EXPECT_NEAR(row.Holdings[0].Weight, w.FixedRateWeight + w.InflationLinkedWeight * 2.0 / 3.0, 1e-12);
    EXPECT_NEAR(row.Holdings[1].Weight, w.InflationLinkedWeight / 3.0, 1e-12);
    EXPECT_EQ(row.Holdings[2].Weight, w.GoldWeight);
    linkedSeen |= w.InflationLinkedWeight > 0.0;
    goldSeen |= w.GoldWeight > 0.0;
  }
  EXPECT_TRUE(linkedSeen);
  EXPECT_TRUE(goldSeen);
  const TAllocationRow& last = p.AllocationHistory.back();
  ASSERT_EQ(r.AssetShares.size(), 6u);
  EXPECT_NEAR(r.AssetShares[0].Share, last.Holdings[0].Weight + last.Holdings[1].Weight, 1e-12);
  EXPECT_EQ(r.AssetShares[3].Share, last.Holdings[2].Weight);
}

TEST(FIGFModelRun, InputWithoutKeyAssetsFailsAtStepTwo) {
  std::vector<TCountry> noRiskFree = RunList();
  noRiskFree[0].RiskFreeAssets.clear();
  const std::vector<TCountry> lists[] = {{}, noRiskFree};
  for (const std::vector<TCountry>& list : lists) {
    SCOPED_TRACE(list.size());
    TFIGFGraphicData r;
    ModelRun run;
    RunFIGF(r, run, list, RunSettings(RunList()));
    EXPECT_TRUE(run.failed);
    EXPECT_EQ(run.step, 2u);
    EXPECT_EQ(run.progress.Texts, std::vector<std::string>{"22%"});
  }
  ModelRun run;
  std::string failure;
  EXPECT_THROW(models::ComputeFIGFModel(nullptr, RunList(), TUserSettings{}, 0, false, failure, run.progress,
                                        run.step),
               EModelError);
  EXPECT_THROW(models::ComputeFIGFAllocations(nullptr), EModelError);
}

TEST(FIGFModelRun, SecondRunOnOtherInputKeepsNothingOfTheFirst) {
  const std::vector<TCountry> full = RunList();
  std::vector<TCountry> noGold = full;
  Asset(noGold[0], atIndex, "AUINDEX").clear();  // no RULE2 evaluation
  for (TCountry& c : noGold) Asset(c, atSignal, "QVSIGNAL").clear();  // no signal grid either
  TUserSettings other = RunSettings(noGold);
  other.PortfolioCcy = "EUR";
  other.InceptionDate = EncodeDate(2001, 12, 31);

  TFIGFGraphicData reused;
  ModelRun first;
  RunFIGF(reused, first, full, RunSettings(full));
  ASSERT_FALSE(first.failed);
  ASSERT_FALSE(reused.Performance.AllocationHistory.empty());
  ASSERT_FALSE(reused.Rows1.empty());

  ModelRun second;
  RunFIGF(reused, second, noGold, other);
  TFIGFGraphicData fresh;
  ModelRun alone;
  RunFIGF(fresh, alone, noGold, other);
  ASSERT_FALSE(second.failed);
  EXPECT_TRUE(reused.Rule2.Allocations.empty());
  EXPECT_TRUE(reused.Performance.AllocationHistory.empty());
  EXPECT_TRUE(reused.AssetShares.empty());
  EXPECT_EQ(reused.ColumnCaption1, "");
  EXPECT_TRUE(reused.Rows1.empty());
  EXPECT_TRUE(reused.Rows2.empty());
  EXPECT_EQ(Describe(reused), Describe(fresh));
}

}  // namespace
