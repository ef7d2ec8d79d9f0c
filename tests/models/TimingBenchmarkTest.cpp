// Benchmark stages of the timing models: the timed and plain totals with
// their total-level series and names, and the one-country benchmarks, built
// once from shared legs and checked against building each one directly.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "common/SeriesHelpers.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/SeriesCurrencyConversion.h"
#include "models/equity/TimingModel.h"

namespace {

using models::TTimingKind;
using testcountries::Asset;
using testcountries::Constant;
using testcountries::Growing;
using testcountries::MakeCountry;
using testcountries::MakeSettings;
using testcountries::MonthEnd;
using testcountries::Monthly;
using testcountries::ScopedCountryList;
using testcountries::Step;
using testcountries::ValuesNear;

constexpr int kMonths = 36;  // January 2000 to December 2002

// Equity +eq, cash +0.2 %, 10Y bond +0.5 % a month, spot 1.0; QV On, BL On
// for blOnMonths months then Off.
TCountry Country(const std::string& name, const std::string& ccy, double eq, int blOnMonths = kMonths,
                 int months = kMonths) {
  TCountry c = MakeCountry(name, ccy);
  Asset(c, atIndex, "EQINDEX") = Growing(2000, 1, months, 100.0, eq);
  Asset(c, atRiskFreeAsset, "CASH") = Growing(2000, 1, months, 100.0, 0.002);
  Asset(c, atRiskFreeAsset, "RISKFREEASSET1") = Growing(2000, 1, months, 100.0, 0.005);
  Asset(c, atSpotFx, "SPOTFX") = Constant(2000, 1, months, 1.0);
  Asset(c, atSignal, "QVSIGNAL") = Constant(2000, 1, months, 1.0);
  Asset(c, atSignal, "BLSIGNAL") = Step(2000, 1, months, blOnMonths, 1.0, 0.0);
  return c;
}

TUserSettings Settings(const std::vector<TCountry>& list, double blTrust, const std::string& ccy = "USD") {
  TUserSettings s = MakeSettings(list, 100.0 / static_cast<double>(list.size()), 0.0, 0.0);
  s.PortfolioCcy = ccy;
  s.BLTrustLevel = blTrust;
  s.InceptionDate = MonthEnd(2000, 1);
  s.EndDate = MonthEnd(2002, 12);
  return s;
}

// Both stages on a record whose Countries and parameters are the entry's.
TEQBLGraphicData RunStages(const std::vector<TCountry>& list, const TUserSettings& s,
                           TTimingKind kind = TTimingKind::EQBL) {
  ScopedCountryList scoped(list);
  TEQBLGraphicData r;
  r.Countries = list;
  r.Total.Parameters.PortfolioCcy = s.PortfolioCcy;
  r.Total.Parameters.RiskFreeId = s.RiskFreeId;
  models::ComputeTimingBenchmark(kind, r, list, s, false);
  models::ComputeTimingBenchmark2(kind, r, list, s, false);
  return r;
}

// Every date, total, name, weight and rank of an allocation history, in order.
std::vector<std::string> Flat(const std::vector<TBenchmarkAllocation>& history) {
  std::vector<std::string> out;
  auto hex = [](double v) { return std::to_string(std::bit_cast<std::uint64_t>(v)); };
  for (const TBenchmarkAllocation& a : history) {
    out.push_back(hex(a.Date) + " " + hex(a.Total));
    for (const TBenchmarkHolding& h : a.Items)
      out.push_back(h.Name + " " + hex(h.EquityWeight) + " " + hex(h.RiskFreeWeight) + " " + std::to_string(h.Rank));
  }
  return out;
}

std::vector<double> Dates(const TSeries& s) {
  std::vector<double> d;
  for (const TDataPoint& p : s) d.push_back(p.Date);
  return d;
}

// One USD country, BL trust 100, BL Off from January 2002: a return earns
// the equity leg (1 %) while the signal at the previous date is On and the
// bond (0.5 %) after; cash excess and the converted-back cash cancel.
TEST(TimingBenchmark, TimedTotalFollowsTheSignalOnOneRange) {
  const std::vector<TCountry> list = {Country("USA", "USD", 0.01, 24)};
  const TEQBLGraphicData r = RunStages(list, Settings(list, 100.0));
  const TEQBLGraphicPart& t = r.Total;
  ASSERT_GE(t.ModelSeries.size(), 12u);
  for (std::size_t k = 0; k < t.ModelSeries.size(); ++k) {
    const double d = t.ModelSeries[k].Date;
    EXPECT_NEAR(t.ModelSeries[k].Value, d <= MonthEnd(2002, 1) ? 0.01 : 0.005, 1e-12) << k;
    EXPECT_NEAR(t.BenchmarkSeries[k].Value, 0.01, 1e-12) << k;
    EXPECT_EQ(t.ExposureSeries[k].Value, d <= MonthEnd(2001, 12) ? 1.0 : 0.0) << k;
    EXPECT_EQ(t.TurnoverSeries[k].Value, d == MonthEnd(2002, 1) ? 1.0 : 0.0) << k;
  }
  for (const TSeries* s : {&t.BenchmarkSeries, &t.ExposureSeries, &t.TurnoverSeries})
    EXPECT_EQ(Dates(*s), Dates(t.ModelSeries));
  ASSERT_FALSE(t.RiskFreeSeries.empty());
  EXPECT_GE(t.RiskFreeSeries.front().Date, t.ModelSeries.front().Date);
  EXPECT_LE(t.RiskFreeSeries.back().Date, t.ModelSeries.back().Date);
  EXPECT_NEAR(t.RiskFreeSeries.front().Value, 0.005, 1e-12);

  // The model's own trust level at 0: timed and plain coincide exactly.
  const TEQBLGraphicData plain = RunStages(list, Settings(list, 0.0));
  EXPECT_EQ(plain.Total.ModelSeries, plain.Total.BenchmarkSeries);
  // EQQV keeps the QV trust (0 here) and drops the BL trust.
  const TEQBLGraphicData qv = RunStages(list, Settings(list, 100.0), TTimingKind::EQQV);
  EXPECT_EQ(qv.Total.ModelSeries, qv.Total.BenchmarkSeries);
}

TEST(TimingBenchmark, NamesAndRiskFreeSeriesOfThePortfolioCurrency) {
  struct Case {
    const char* ccy;
    const char* riskFreeId;
    const char* riskFreeName;
    bool riskFreeSeries;
  };
  const std::vector<TCountry> list = {Country("USA", "USD", 0.01), Country("GERMANY", "EUR", 0.02)};
  for (const Case& c :
       {Case{"EUR", "RISKFREEASSET1", "10Y Gov Bond (In EUR)", true}, Case{"EUR", "RISKFREEASSET9", " (In EUR)", false},
        Case{"CHF", "RISKFREEASSET1", " (In CHF)", false}}) {
    TUserSettings s = Settings(list, 50.0, c.ccy);
    s.RiskFreeId = c.riskFreeId;
    const TEQBLGraphicPart t = RunStages(list, s).Total;
    EXPECT_EQ(t.BenchmarkName, std::string("Benchmark (In ") + c.ccy + ")");
    EXPECT_EQ(t.ModelName, std::string("(In ") + c.ccy + ")");
    EXPECT_EQ(t.RiskFreeSeriesName, c.riskFreeName);
    EXPECT_EQ(!t.RiskFreeSeries.empty(), c.riskFreeSeries) << c.ccy << " " << c.riskFreeId;
  }
}

TEST(TimingBenchmark, EveryCountryGetsItsOwnBenchmark) {
  // GERMANY has no weight, JAPAN too short a history for a one-year ranking.
  const std::vector<TCountry> list = {Country("USA", "USD", 0.01, 24), Country("GERMANY", "EUR", 0.03),
                                      Country("JAPAN", "JPY", 0.01, 6, 6)};
  TUserSettings s = Settings(list, 100.0);
  s.CountrySettings[1].EqWeight = 0.0;
  const TEQBLGraphicData r = RunStages(list, s);
  ASSERT_EQ(r.Benchmarks.size(), 3u);
  ASSERT_EQ(r.Benchmarks[1].Lines.size(), 1u);
  EXPECT_EQ(r.Benchmarks[1].Lines[0].Name, "GERMANY");
  EXPECT_FALSE(r.Benchmarks[1].ReturnSeries.empty());
  EXPECT_TRUE(r.Benchmarks[2].Lines.empty());
  EXPECT_TRUE(r.Benchmarks[2].ExposureSeries.empty() && r.Benchmarks[2].TurnoverSeries.empty());
  // Only USA takes part in the totals: the timed total is USA's own benchmark.
  EXPECT_TRUE(ValuesNear(r.Total.ModelSeries, testcountries::Values(r.Benchmarks[0].ReturnSeries)));
}

// A list with moving spot rates, hedging, costs and switching signals.
std::vector<TCountry> MixedList() {
  std::vector<TCountry> list = {Country("USA", "USD", 0.01), Country("GERMANY", "EUR", 0.0),
                                Country("JAPAN", "JPY", 0.0)};
  for (std::size_t c = 0; c < list.size(); ++c) {
    std::vector<double> eq, spot, qv, bl;
    for (int i = 0; i < kMonths; ++i) {
      eq.push_back(100.0 * (1.0 + 0.2 * std::sin(0.4 * i + static_cast<double>(c))));
      spot.push_back(1.0 + 0.1 * std::cos(0.3 * i + static_cast<double>(c)));
      qv.push_back((i / (3 + static_cast<int>(c))) % 2 == 0 ? 1.0 : 0.0);
      bl.push_back((i / 5) % 3 == 0 ? 0.0 : 1.0);
    }
    Asset(list[c], atIndex, "EQINDEX") = Monthly(2000, 1, eq);
    Asset(list[c], atSpotFx, "SPOTFX") = Monthly(2000, 1, spot);
    Asset(list[c], atSignal, "QVSIGNAL") = Monthly(2000, 1, qv);
    Asset(list[c], atSignal, "BLSIGNAL") = Monthly(2000, 1, bl);
  }
  // JAPAN starts half a year later.
  for (int type = atIndex; type <= atSpotFx; ++type)
    for (TAssetSeries& a : *AssetsOfType(list[2], type)) a.Series = SliceSeries(a.Series, MonthEnd(2000, 7), 1e9);
  return list;
}

TEST(TimingBenchmark, SharedLegsGiveTheSameBenchmarksAsBuildingEachDirectly) {
  const std::vector<TCountry> list = MixedList();
  TUserSettings s = Settings(list, 60.0, "EUR");
  s.QVTrustLevel = 30.0;
  s.FxHedging = true;
  for (TCountrySettings& row : s.CountrySettings) {
    row.EqTransactionCost = 0.4;
    row.EqFxSwapBorrowingCost = 1.5;
  }
  for (TTimingKind kind : {TTimingKind::EQBL, TTimingKind::EQQV}) {
    const TEQBLGraphicData r = RunStages(list, s, kind);
    ScopedCountryList scoped(list);
    TUserSettings direct = s;
    (kind == TTimingKind::EQBL ? direct.QVTrustLevel : direct.BLTrustLevel) = 0.0;
    direct.CountryRankingCriteria[0] = 1.0;

    TBenchmarkPortfolio timed;
    timed.Build(list, direct, 0, s.InceptionDate, s.EndDate, 0, true);
    timed.Recalculate(false);
    const TSeries model =
        models::ConvertSeriesToPortfolioCurrency(list, timed.ReturnSeries, direct, s.InceptionDate, s.EndDate);
    ASSERT_FALSE(r.Total.ModelSeries.empty());
    EXPECT_EQ(r.Total.ModelSeries,
              SliceSeries(model, r.Total.ModelSeries.front().Date, r.Total.ModelSeries.back().Date));

    ASSERT_EQ(r.Benchmarks.size(), list.size());
    for (std::size_t i = 0; i < list.size(); ++i) {
      for (std::size_t j = 0; j < list.size(); ++j) direct.CountrySettings[j].EqWeight = i == j ? 100.0 : 0.0;
      TBenchmarkPortfolio p;
      p.Build(list, direct, 0, s.InceptionDate, s.EndDate, 0, true);
      p.Recalculate(false);
      const TBenchmarkPortfolio& fast = r.Benchmarks[i];
      EXPECT_EQ(fast.ReturnSeries,
                models::ConvertSeriesToPortfolioCurrency(list, p.ReturnSeries, direct, s.InceptionDate, s.EndDate));
      EXPECT_FALSE(fast.ExposureSeries.empty());
      EXPECT_EQ(fast.ExposureSeries, p.ExposureSeries);
      EXPECT_EQ(fast.TurnoverSeries, p.TurnoverSeries);
      EXPECT_EQ(Flat(fast.WeightHistory), Flat(p.WeightHistory));
    }
  }
}

// The entry runs both stages at once on its own cut list, with one
// conversion of the legs: the record must come out as after the two stages.
TEST(TimingBenchmark, CombinedStagesGiveTheRecordOfTheTwoStages) {
  const std::vector<TCountry> list = MixedList();
  TUserSettings s = Settings(list, 60.0, "EUR");
  s.QVTrustLevel = 30.0;
  s.FxHedging = true;
  s.CountrySettings[1].EqWeight = 0.0;  // the totals leave it out, its own benchmark does not
  ScopedCountryList scoped(list);
  for (TTimingKind kind : {TTimingKind::EQBL, TTimingKind::EQQV}) {
    auto record = [&] {
      TEQBLGraphicData r;
      r.StartDate = s.InceptionDate;
      r.EndDate = s.EndDate;
      r.Countries = models::CutCountryList(list, s.InceptionDate, s.EndDate);
      r.Total.Parameters.PortfolioCcy = s.PortfolioCcy;
      r.Total.Parameters.RiskFreeId = s.RiskFreeId;
      return r;
    };
    TEQBLGraphicData separate = record();
    models::ComputeTimingBenchmark(kind, separate, list, s, false);
    models::ComputeTimingBenchmark2(kind, separate, list, s, false);
    TEQBLGraphicData combined = record();
    models::ComputeTimingBenchmarks(kind, combined, list, s, false);

    const TEQBLGraphicPart& a = separate.Total;
    const TEQBLGraphicPart& b = combined.Total;
    ASSERT_FALSE(a.ModelSeries.empty());
    EXPECT_EQ(a.ModelSeries, b.ModelSeries);
    EXPECT_EQ(a.BenchmarkSeries, b.BenchmarkSeries);
    EXPECT_EQ(a.ExposureSeries, b.ExposureSeries);
    EXPECT_EQ(a.TurnoverSeries, b.TurnoverSeries);
    EXPECT_EQ(a.RiskFreeSeries, b.RiskFreeSeries);
    EXPECT_EQ(a.ModelName + a.BenchmarkName + a.RiskFreeSeriesName, b.ModelName + b.BenchmarkName + b.RiskFreeSeriesName);
    ASSERT_EQ(separate.Benchmarks.size(), combined.Benchmarks.size());
    for (std::size_t i = 0; i < separate.Benchmarks.size(); ++i) {
      EXPECT_EQ(separate.Benchmarks[i].ReturnSeries, combined.Benchmarks[i].ReturnSeries) << i;
      EXPECT_EQ(separate.Benchmarks[i].ExposureSeries, combined.Benchmarks[i].ExposureSeries) << i;
      EXPECT_EQ(Flat(separate.Benchmarks[i].WeightHistory), Flat(combined.Benchmarks[i].WeightHistory)) << i;
    }
  }
}

}  // namespace
