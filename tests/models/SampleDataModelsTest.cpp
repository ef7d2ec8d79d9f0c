// The four equity models on the sample data, loaded the way the application
// loads it, with the default settings: every run completes, every figure and
// series is finite, allocations sum to 1, model and benchmark series share
// their dates.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "SampleWorkData.h"
#include "common/Globals.h"
#include "models/equity/EQGPModel.h"
#include "models/equity/EQSLModel.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/TimingModel.h"

namespace {

// Collects the places that hold a value that is not finite.
struct FiniteCheck {
  std::vector<std::string> Bad;

  void Value(double v, const std::string& where) {
    if (!std::isfinite(v)) Bad.push_back(where);
  }
  void Series(const TSeries& s, const std::string& where) {
    for (std::size_t i = 0; i < s.size(); ++i) {
      Value(s[i].Date, where + " date " + std::to_string(i));
      Value(s[i].Value, where + " value " + std::to_string(i));
    }
  }
  void Rows(const std::vector<TLabelledSeries>& rows, const std::string& where) {
    for (std::size_t i = 0; i < rows.size(); ++i) Series(rows[i].Series, where + "[" + std::to_string(i) + "]");
  }
  void Sets(const TNamedSeriesSet& a, const TNamedSeriesSet& b, const TNamedSeriesSet& c, const std::string& where) {
    for (std::size_t k = 0; k < 3; ++k) {
      Series(a[k].Series, where + " index " + std::to_string(k));
      Series(b[k].Series, where + " drawdown " + std::to_string(k));
      Series(c[k].Series, where + " one-year " + std::to_string(k));
    }
  }
  void Block(const TStatisticsBlock& s, const std::string& where) {
    for (double v : {s.Return, s.ReturnWhenOn, s.ReturnWhenOff, s.Volatility, s.VolatilityWhenOn, s.VolatilityWhenOff,
                     s.MaxDrawdown, s.MaxDrawdownWhenOn, s.MaxDrawdownWhenOff, s.LastPeriod, s.YearToDate, s.OneYear,
                     s.Sharpe})
      Value(v, where);
  }
  void Statistics(const TPerformanceStatistics& s, const std::string& where) {
    Block(s.Model, where + " model");
    Block(s.Index, where + " index");
    Block(s.RiskFree, where + " risk-free");
    for (double v : {s.Correlation, s.Beta, s.EquityInvested, s.Turnover, s.RiskFreeRate, s.Labels.StartDate,
                     s.Labels.EndDate})
      Value(v, where);
  }
  void History(const std::vector<TAllocationRow>& rows, const std::string& where) {
    for (const TAllocationRow& row : rows) {
      Value(row.Date, where);
      Value(row.TotalWeight, where);
      for (const TWeightedName& h : row.Holdings) Value(h.Weight, where + " " + h.Name);
    }
  }
  void Benchmark(const TBenchmarkPortfolio& p, const std::string& where) {
    for (const TSeries* s : {&p.ReturnSeries, &p.TurnoverSeries, &p.ExposureSeries, &p.CostSeries}) Series(*s, where);
    for (const TBenchmarkAllocation& a : p.WeightHistory)
      for (const TBenchmarkHolding& h : a.Items) {
        Value(h.EquityWeight, where + " " + h.Name);
        Value(h.RiskFreeWeight, where + " " + h.Name);
      }
  }
  void Regions(const std::vector<TRegionItem>& items, const std::string& where) {
    for (const TRegionItem& r : items) {
      Value(r.Value, where + " " + r.Name);
      Value(r.RegionColor, where + " " + r.Name);
    }
  }
};

void ExpectAllocationsSumToOne(const std::vector<TAllocationRow>& rows, const std::string& model) {
  std::size_t withItems = 0;
  for (const TAllocationRow& row : rows) {
    if (row.Holdings.empty()) continue;
    ++withItems;
    double sum = 0.0;
    for (const TWeightedName& h : row.Holdings) sum += h.Weight;
    EXPECT_NEAR(sum, 1.0, 1e-9) << model << " allocation at " << row.Date;
  }
  EXPECT_GT(withItems, 100u) << model;
}

void ExpectAlignedAscending(const TSeries& model, const TSeries& benchmark, const std::string& name) {
  ASSERT_GT(model.size(), 100u) << name;
  ASSERT_EQ(model.size(), benchmark.size()) << name;
  for (std::size_t i = 0; i < model.size(); ++i) {
    ASSERT_EQ(model[i].Date, benchmark[i].Date) << name << " point " << i;
    if (i > 0) {
      ASSERT_LT(model[i - 1].Date, model[i].Date) << name << " point " << i;
    }
  }
}

class SampleDataModels : public ::testing::Test {
 protected:
  void SetUp() override {
    const modeltest::TSampleWorkData& data = modeltest::SampleWorkData();
    SavedCountries_ = vcMyExternCountryList;
    SavedSettings_ = usMyExternUserSettings;
    vcMyExternCountryList = data.Countries;
    usMyExternUserSettings = data.Settings;
  }
  void TearDown() override {
    vcMyExternCountryList = SavedCountries_;
    usMyExternUserSettings = SavedSettings_;
  }

  // Runs one model entry and checks its progress texts and final counter.
  template <class Entry, class Record>
  void Run(Entry entry, Record& record, std::uint32_t firstStep, const std::string& code) {
    modeltest::RecordingProgress progress;
    std::uint32_t step = 0;
    std::string failure;
    try {
      entry(&record, vcMyExternCountryList, usMyExternUserSettings, 0u, false, failure, progress, step);
    } catch (const std::exception& e) {
      FAIL() << models::ModelFailureText(code, step) << ": " << e.what();
    }
    EXPECT_EQ(step, 9u) << code;
    std::vector<std::string> expected;
    for (std::uint32_t k = firstStep; k <= 9; ++k) expected.push_back(models::ProgressText(k));
    EXPECT_EQ(progress.Texts, expected) << code;
    EXPECT_EQ(progress.Pumps, static_cast<int>(expected.size())) << code;
  }

 private:
  std::vector<TCountry> SavedCountries_;
  TUserSettings SavedSettings_;
};

TEST_F(SampleDataModels, EquityModelsRunCompleteAndFinite) {
  ASSERT_EQ(vcMyExternCountryList.size(), 40u);
  TEQSLGraphicData eqsl;
  TEQQVGraphicData eqqv;
  TEQBLGraphicData eqbl;
  TEQGPGraphicData eqgp;
  // The calculation order of the update process.
  Run(models::ComputeEQSLModel, eqsl, 1, "EQSL");
  Run(models::ComputeEQQVModel, eqqv, 1, "EQQV");
  Run(models::ComputeEQBLModel, eqbl, 1, "EQBL");
  Run(models::ComputeEQGPModel, eqgp, 3, "EQGP");

  FiniteCheck check;
  // EQSL
  check.Series(eqsl.Performance.ModelReturns, "EQSL model");
  check.Series(eqsl.Performance.BenchmarkReturns, "EQSL benchmark");
  check.Sets(eqsl.Performance.IndexCharts, eqsl.Performance.DrawdownCharts, eqsl.Performance.OneYearCharts, "EQSL");
  check.Statistics(eqsl.Performance.Statistics, "EQSL statistics");
  check.History(eqsl.Performance.AllocationHistory, "EQSL allocation");
  check.Rows(eqsl.RankingRows, "EQSL ranking");
  check.Rows(eqsl.RankingPages, "EQSL closing ranking");
  check.Regions(eqsl.RegionItems, "EQSL regions");
  // EQQV and EQBL
  for (const TEQBLGraphicData* r : std::vector<const TEQBLGraphicData*>{&eqqv, &eqbl}) {
    const std::string code = r == &eqbl ? "EQBL" : "EQQV";
    check.Series(r->Values1, code + " estimates");
    check.Series(r->Values2, code + " cash");
    for (const TBenchmarkPortfolio& b : r->Benchmarks) check.Benchmark(b, code + " country benchmark");
    check.Rows(r->Rows1, code + " signals");
    check.Rows(r->Rows4, code + " last signals");
    check.Rows(r->Rows5, code + " estimated signals");
    for (const TPositionTable& t : r->GroupRows) check.Rows(t.AllRows, code + " positions");
    for (const TCountryModelData& d : r->CountryData) {
      for (const TSeries* s : {&d.Series1.Series, &d.Series2.Series, &d.Series3.Series}) check.Series(*s, code + d.Name);
      check.Rows(d.Rows, code + " " + d.Name + " rows");
      check.Sets(d.IndexCharts, d.DrawdownCharts, d.OneYearCharts, code + " " + d.Name);
      check.Statistics(d.Statistics, code + " " + d.Name);
    }
    const TEQBLGraphicPart& t = r->Total;
    for (const TCountryModelSummary& s : t.Summaries)
      for (const TSeries* x : {&s.WeightSeries, &s.ContributionSeries, &s.IndexContribution, &s.ExposureSeries,
                               &s.TurnoverSeries})
        check.Series(*x, code + " summary " + s.Name);
    for (const TSeries* x : {&t.ExposureSeries, &t.TurnoverSeries, &t.ModelSeries, &t.BenchmarkSeries,
                             &t.RiskFreeSeries})
      check.Series(*x, code + " total");
    check.Sets(t.IndexCharts, t.DrawdownCharts, t.OneYearCharts, code + " total");
    check.Statistics(t.Statistics, code + " total");
    for (const auto* h : {&t.AllocationHistory, &t.EquityHistory, &t.RiskFreeHistory}) check.History(*h, code);
    for (const auto* items : {&r->Allocations1, &r->Allocations2, &r->Allocations3})
      for (const TStateItem& item : *items)
        for (double v : item.Values) check.Value(v, code + " item " + item.Label);
    ExpectAllocationsSumToOne(t.AllocationHistory, code);
    ExpectAlignedAscending(t.ModelSeries, t.BenchmarkSeries, code);
  }
  // EQGP
  check.Benchmark(eqgp.Benchmark, "EQGP model portfolio");
  check.Benchmark(eqgp.Benchmark2, "EQGP benchmark portfolio");
  check.Series(eqgp.Values1, "EQGP cash");
  const TEQGPGraphicPart& g = eqgp.Total;
  check.Series(g.ModelReturns, "EQGP model");
  check.Series(g.BenchmarkReturns, "EQGP benchmark");
  check.Sets(g.IndexCharts, g.DrawdownCharts, g.OneYearCharts, "EQGP");
  check.Statistics(g.Statistics, "EQGP statistics");
  for (const auto* h : {&g.AllocationHistory, &g.EquityHistory, &g.RiskFreeHistory}) check.History(*h, "EQGP");
  for (const auto* rows : {&eqgp.Ranking1, &eqgp.Ranking2, &eqgp.Ranking3}) check.Regions(*rows, "EQGP rows");
  EXPECT_TRUE(check.Bad.empty()) << check.Bad.size() << " values not finite, first: " << check.Bad.front();

  ExpectAllocationsSumToOne(eqsl.Performance.AllocationHistory, "EQSL");
  ExpectAllocationsSumToOne(g.AllocationHistory, "EQGP");
  ExpectAlignedAscending(g.ModelReturns, g.BenchmarkReturns, "EQGP");
  // EQSL's two portfolios are not aligned to each other; each is ascending.
  ExpectAlignedAscending(eqsl.Performance.ModelReturns, eqsl.Performance.ModelReturns, "EQSL model");
  ExpectAlignedAscending(eqsl.Performance.BenchmarkReturns, eqsl.Performance.BenchmarkReturns, "EQSL benchmark");

  // The sample data reach the branches the pages show: EQQV builds eight
  // position tables (macro signal and seven rules), EQGP fills its seven region rows.
  EXPECT_EQ(eqqv.GroupRows.size(), 8u);
  EXPECT_EQ(eqbl.GroupRows.size(), 1u);
  ASSERT_EQ(eqgp.AllocationItems.size(), 7u);
  EXPECT_EQ(eqgp.AllocationItems.back().Summary.Name, "TOTAL");
  EXPECT_EQ(eqsl.RankingPages.empty(), false);
}

}  // namespace
