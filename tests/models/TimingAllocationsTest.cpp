// Allocation stage of the timing models on a four-country record filled by
// hand: the split of each weight by the last signal and the trust level, the
// states, the signal histories, the dated total allocation and the chart sets.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "models/equity/TimingModel.h"

namespace {

using models::TTimingKind;
using testcountries::MakeCountry;
using testcountries::MonthEnd;
using testcountries::Monthly;
using testcountries::ScopedCountryList;
using testcountries::ValuesNear;

constexpr double kTol = 1e-12;

// Signals on January to March 2000 and last weights: USA 1, 0, 0 (Off now)
// at 0.4; GERMANY 0, 1, 1 at 0.3; JAPAN 1, 0.5, -1 (no signal now) at 0.3;
// CHINA without weight, weight series or contributions, signal 1, -1, -1.
// BL trust `trust`.
TEQBLGraphicData Record(double trust, const std::string& riskFreeId = "RISKFREEASSET1") {
  TEQBLGraphicData r;
  const std::vector<std::vector<double>> signals = {{1, 0, 0}, {0, 1, 1}, {1, 0.5, -1}, {1, -1, -1}};
  const double weights[] = {0.4, 0.3, 0.3};
  const char* names[] = {"USA", "GERMANY", "JAPAN", "CHINA"};
  for (std::size_t k = 0; k < 4; ++k) {
    r.Countries.Edit().push_back(MakeCountry(names[k], "USD", k == 1 ? "Europe (Euro)" : "North America"));
    TCountryModelSummary s;
    s.Parameters.RiskFreeId = riskFreeId;
    if (k < 3) {
      s.EqWeight = weights[k] * 100.0;
      s.WeightSeries = Monthly(2000, 2, {0.25, weights[k]});
      s.ContributionSeries = Monthly(2000, 2, {0.01, 0.01});
    }
    r.Total.Summaries.push_back(s);
    r.Rows1.push_back({{names[k]}, Monthly(2000, 1, signals[k]), false});
  }
  r.CountryData.resize(4);
  r.Total.Parameters.BLTrustLevel = trust;
  r.Total.Parameters.QVTrustLevel = 100.0 - trust;
  r.Total.ExposureSeries = Monthly(2000, 2, {0.9, 0.8});
  return r;
}

TEQBLGraphicData Computed(TEQBLGraphicData r, TTimingKind kind = TTimingKind::EQBL) {
  ScopedCountryList scoped(r.Countries);
  models::ComputeTimingAllocations(kind, r);
  return r;
}

TEST(TimingAllocations, ItemsSplitEachWeightByTheLastSignalAndTheTrustLevel) {
  // USA is Off: 1 - T/100 of its 40 % stays in equities; GERMANY is On;
  // JAPAN has no signal now; CHINA has no weight (state 2 in every list).
  for (double trust : {0.0, 40.0, 100.0}) {
    const double usa = (1.0 - trust / 100.0) * 40.0;
    for (const TEQBLGraphicData& r : {Computed(Record(trust)), Computed(Record(100.0 - trust), TTimingKind::EQQV)}) {
      const double expected[4][2] = {{usa, 40.0 - usa}, {30.0, 0.0}, {0.0, 0.0}, {0.0, 0.0}};
      ASSERT_EQ(r.Allocations1.size(), 4u);
      for (std::size_t k = 0; k < 4; ++k) {
        const TStateItem& both = r.Allocations1[k];
        EXPECT_EQ(both.Label + "/" + both.Text, r.Countries[k].Name + "/" + r.Countries[k].RegionName);
        EXPECT_NEAR(r.Allocations2[k].Values.at(0), expected[k][0], kTol) << trust << " " << k;
        EXPECT_NEAR(r.Allocations3[k].Values.at(0), expected[k][1], kTol) << trust << " " << k;
        EXPECT_EQ(both.Values, (std::vector<double>{r.Allocations2[k].Values[0], r.Allocations3[k].Values[0]}));
        EXPECT_EQ(std::vector<std::int64_t>({r.Allocations2[k].State, r.Allocations3[k].State, both.State}),
                  k == 3 ? std::vector<std::int64_t>({2, 2, 2}) : std::vector<std::int64_t>({0, 1, 0}));
      }
      // The last record carries the present equity total, the others the exposure.
      const std::vector<TAllocationRow>& h = r.Total.AllocationHistory;
      ASSERT_EQ(h.size(), 2u);
      EXPECT_EQ(h[0].Holdings[0].Weight, 0.9);
      EXPECT_EQ(h[1].Date, MonthEnd(2000, 3));
      EXPECT_NEAR(h[1].Holdings[0].Weight, usa / 100.0 + 0.3, kTol);
      EXPECT_NEAR(h[1].Holdings[0].Weight + h[1].Holdings[1].Weight, 1.0, kTol);
    }
  }
}

TEST(TimingAllocations, HistoriesUseEachDatesSignalAndTheLastWeight) {
  const TEQBLGraphicData r = Computed(Record(50.0));
  const double kWeights[] = {0.4, 0.3, 0.3, 0.0};
  // Equity shares per date; a country without a signal at the date is not listed.
  const std::vector<std::vector<std::pair<std::string, double>>> equity = {
      {{"USA", 0.4}, {"GERMANY", 0.15}, {"JAPAN", 0.3}, {"CHINA", 0.0}},  // no weight series: 0.0
      {{"USA", 0.2}, {"GERMANY", 0.3}, {"JAPAN", 0.3}},
      {{"USA", 0.2}, {"GERMANY", 0.3}}};
  ASSERT_EQ(r.Total.EquityHistory.size(), 3u);
  ASSERT_EQ(r.Total.RiskFreeHistory.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    const TAllocationRow& e = r.Total.EquityHistory[i];
    const TAllocationRow& f = r.Total.RiskFreeHistory[i];
    EXPECT_EQ(e.Date, MonthEnd(2000, 1, static_cast<int>(i)));
    EXPECT_EQ(e.TotalWeight, 1.0);
    ASSERT_EQ(e.Holdings.size(), equity[i].size());
    ASSERT_EQ(f.Holdings.size(), equity[i].size());
    for (std::size_t k = 0; k < equity[i].size(); ++k) {
      EXPECT_EQ(e.Holdings[k].Name, equity[i][k].first);
      EXPECT_NEAR(e.Holdings[k].Weight, equity[i][k].second, kTol);
      EXPECT_NEAR(f.Holdings[k].Weight, kWeights[k] - equity[i][k].second, kTol);
    }
  }
}

TEST(TimingAllocations, RiskFreeLabelUsesTheShortTitle) {
  for (const auto& [id, label] :
       std::vector<std::pair<std::string, std::string>>{{"RISKFREEASSET1", "Total 10Y Bond Allocation"},
                                                        {"RISKFREEASSET2", "Total 2Y Bond Allocation"},
                                                        {"CASH", "Total 1M Cash Allocation"}}) {
    const TEQBLGraphicData r = Computed(Record(50.0, id));
    EXPECT_EQ(r.Total.AllocationHistory.at(0).Holdings.at(0).Name, "Total Equity Allocation");
    EXPECT_EQ(r.Total.AllocationHistory.at(0).Holdings.at(1).Name, label);
  }
  TEQBLGraphicData other = Record(50.0, "RISKFREEASSET2");
  other.Countries.Edit()[0].RiskFreeAssets[2].Title = "5Y Gov Bond";  // titles are read from the loaded list
  EXPECT_EQ(Computed(other).Total.AllocationHistory.at(1).Holdings.at(1).Name, "Total 5Y Gov Bond Allocation");
}

TEST(TimingAllocations, ChartSetsAreCutToTheModelDates) {
  TEQBLGraphicData r = Record(50.0);
  TCountryModelData& usa = r.CountryData[0];
  usa.Series1 = {"(In USD)", Monthly(2000, 2, {0.1, -0.5})};
  usa.Series2 = {"US Index", Monthly(2000, 1, {0.05, 0.1, 0.2})};
  usa.Series3 = {"10Y Gov Bond", Monthly(2000, 2, {0.0, 0.0})};
  r.CountryData[1].Series2 = usa.Series2;  // GERMANY has no model series
  r.Total.ModelName = "(In USD)";
  r.Total.ModelSeries = usa.Series1.Series;
  r.Total.BenchmarkName = "Benchmark (In USD)";
  r.Total.BenchmarkSeries = usa.Series2.Series;
  const TEQBLGraphicData c = Computed(r);

  const std::pair<const TNamedSeriesSet*, const char*> sets[] = {{&c.CountryData[0].IndexCharts, "US Index"},
                                                                 {&c.Total.IndexCharts, "Benchmark (In USD)"}};
  for (const auto& [set, name] : sets) {
    const TNamedSeriesSet& index = *set;
    EXPECT_EQ(index[0].Name, name);
    EXPECT_EQ(index[2].Name, "(In USD)");
    ASSERT_TRUE(ValuesNear(index[0].Series, {1.0, 1.1, 1.32}));
    EXPECT_EQ(index[0].Series.front().Date, MonthEnd(2000, 1));
    EXPECT_TRUE(ValuesNear(index[2].Series, {1.0, 1.1, 0.55}));
  }
  EXPECT_TRUE(ValuesNear(c.CountryData[0].DrawdownCharts[2].Series, {0.0, 0.0, -0.5}));
  EXPECT_EQ(c.CountryData[0].OneYearCharts[1].Name, "10Y Gov Bond");
  EXPECT_TRUE(c.CountryData[1].IndexCharts[0].Series.empty());
}

}  // namespace
