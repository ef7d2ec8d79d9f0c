// The timing model entry (frame, preparation, stage order) and the country
// records with their normalised weight series.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/TimingModel.h"
#include "platform/DateTime.h"
#include "portfolio/ModelError.h"

namespace {

using namespace testcountries;
using models::TTimingKind;

// A country over `count` month ends from January 2000: equity +1 % a month,
// cash +0.2 %, 10Y bond +0.4 %, spot 1.0, both signals On but every third month.
TCountry TimingCountry(const std::string& name, const std::string& ccy, int count, bool developed = true) {
  TCountry c = EquityCountry(name, ccy, 2000, 1, count, 0.01, 0.002);
  c.IsDevelopped = developed;
  Asset(c, atRiskFreeAsset, "RISKFREEASSET1") = Growing(2000, 1, count, 100.0, 0.004);
  std::vector<double> signal;
  for (int i = 0; i < count; ++i) signal.push_back(i % 3 == 2 ? 0.0 : 1.0);
  Asset(c, atSignal, "QVSIGNAL") = Monthly(2000, 1, signal);
  Asset(c, atSignal, "BLSIGNAL") = Monthly(2000, 1, signal);
  return c;
}

// TEQQVGraphicData has the layout of TEQBLGraphicData and serves both entries.
struct EntryRun {
  TEQQVGraphicData result;
  modeltest::RecordingProgress progress;
  std::uint32_t step = 0;
  std::string failure;
};

void RunEntry(TTimingKind kind, EntryRun& run, const std::vector<TCountry>& countries, const TUserSettings& settings,
              bool intraMonth = false) {
  if (kind == TTimingKind::EQBL)
    models::ComputeEQBLModel(&run.result, countries, settings, 0, intraMonth, run.failure, run.progress, run.step);
  else
    models::ComputeEQQVModel(&run.result, countries, settings, 0, intraMonth, run.failure, run.progress, run.step);
}

class TimingModelEntry : public ::testing::TestWithParam<TTimingKind> {
 protected:
  std::vector<TCountry> list_{TimingCountry("USA", "USD", 36), TimingCountry("GERMANY", "EUR", 36, false)};
  ScopedCountryList countries_{list_};
  TUserSettings settings_ = [this] {
    TUserSettings s = MakeSettings(list_, 50.0, 0.0, 0.0, 0.1);
    s.QVTrustLevel = 100.0;
    s.BLTrustLevel = 50.0;
    s.InceptionDate = MonthEnd(2000, 3);
    s.EndDate = MonthEnd(2002, 6);
    return s;
  }();
  modeltest::ScopedUserSettings global_{settings_};
};

TEST_P(TimingModelEntry, ShowsEightIncrementsAndKeepsTheWindowBounds) {
  EntryRun run;
  ASSERT_NO_THROW(RunEntry(GetParam(), run, list_, settings_)) << "step " << run.step;
  EXPECT_EQ(run.step, 9u);
  EXPECT_EQ(run.progress.Texts,
            (std::vector<std::string>{"11%", "22%", "33%", "44%", "55%", "66%", "77%", "88%", "100%"}));
  EXPECT_EQ(run.progress.Pumps, 9);
  ASSERT_EQ(run.result.Countries.size(), 2u);
  const TSeries& index = run.result.Countries[1].IndexAssets[0].Series;
  ASSERT_FALSE(index.empty());
  EXPECT_EQ(index.front().Date, settings_.InceptionDate);
  EXPECT_EQ(index.back().Date, settings_.EndDate);
  EXPECT_EQ(run.result.StartDate, settings_.InceptionDate);
  EXPECT_EQ(run.result.EndDate, settings_.EndDate);
}

TEST_P(TimingModelEntry, IntraMonthEndsAtTheKeyAssetsMonthEnd) {
  std::vector<TCountry> list = {TimingCountry("USA", "USD", 60), TimingCountry("GERMANY", "EUR", 60, false)};
  struct Case {
    double firstDaily;
    double expectedEnd;
  };
  for (const Case& c : {Case{platform::EncodeDate(2004, 2, 11), platform::EncodeDate(2004, 2, 29)},
                        Case{platform::EncodeDate(2003, 2, 3), platform::EncodeDate(2003, 2, 28)}}) {
    list[0].IndexAssets[0].FirstDailyPoint = {c.firstDaily, 1.0};
    EntryRun run;
    ASSERT_NO_THROW(RunEntry(GetParam(), run, list, settings_, true)) << "step " << run.step;
    EXPECT_EQ(run.result.EndDate, c.expectedEnd);
    EXPECT_EQ(run.result.Countries[1].IndexAssets[0].Series.back().Date, c.expectedEnd);
  }
}

TEST_P(TimingModelEntry, FailsAtTheStageReached) {
  const char* code = models::TimingValues(GetParam()).Code;
  EntryRun empty;
  EXPECT_THROW(RunEntry(GetParam(), empty, {}, settings_), EModelError);
  EXPECT_EQ(empty.step, 1u);
  EXPECT_EQ(models::ModelFailureText(code, empty.step), std::string(code) + " Failed (Step 1)");

  std::vector<TCountry> noGrid = list_;
  for (TCountry& c : noGrid) Asset(c, atSignal, "QVSIGNAL").clear();
  EntryRun unsignalled;
  EXPECT_THROW(RunEntry(GetParam(), unsignalled, noGrid, settings_), EModelError);
  EXPECT_EQ(unsignalled.step, 3u);
  EXPECT_TRUE(unsignalled.failure.empty());
}

INSTANTIATE_TEST_SUITE_P(TimingModel, TimingModelEntry, ::testing::Values(TTimingKind::EQBL, TTimingKind::EQQV));

// ---- Preparation: estimated next signals -----------------------------------

TEST(TimingModelPreparation, EstimatedSignalsFollowTheEndDate) {
  std::vector<TCountry> list = {TimingCountry("USA", "USD", 12), TimingCountry("GERMANY", "EUR", 12),
                                TimingCountry("JAPAN", "JPY", 12)};
  for (std::size_t i = 0; i < list.size(); ++i) {
    list[i].EstimationDate = MonthEnd(2001, 1);
    list[i].EstimatedSignal = 0.25 * static_cast<double>(i);
  }
  Asset(list[1], atSignal, "BLSIGNAL") = Monthly(2000, 1, {1.0, 1.0, 1.0, 1.0, 1.0, 0.0, 0.0, 1.0});
  Asset(list[2], atSignal, "BLSIGNAL") = Monthly(2000, 1, {1.0, 1.0, 1.0, 1.0, 1.0, 1.0});  // ends on EndDate

  auto prepare = [&](double end) {
    TEQBLGraphicData result;
    result.EndDate = end;
    result.Countries = models::CutCountryList(list, MonthEnd(2000, 1), end);
    result.Values1 = {{9.0, 9.0}};  // a previous run's points are replaced
    models::PrepareTimingRun(TTimingKind::EQBL, result, list);
    return result;
  };

  // The first country's signal ends on EndDate: the countries' own estimates.
  const TEQBLGraphicData atEnd = prepare(MonthEnd(2000, 12));
  ASSERT_EQ(atEnd.Values1.size(), 3u);
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(atEnd.Values1[i], (TDataPoint{MonthEnd(2001, 1), 0.25 * static_cast<double>(i)}));

  // The run ends earlier: the signal point after EndDate, or (1.0, -1.0).
  const TEQBLGraphicData early = prepare(MonthEnd(2000, 6));
  ASSERT_EQ(early.Values1.size(), 3u);
  EXPECT_EQ(early.Values1[0], (TDataPoint{MonthEnd(2000, 7), 1.0}));
  EXPECT_EQ(early.Values1[1], (TDataPoint{MonthEnd(2000, 7), 0.0}));
  EXPECT_EQ(early.Values1[2], (TDataPoint{1.0, -1.0}));
  EXPECT_EQ(early.CountryData.size(), 3u);
  EXPECT_EQ(early.Total.Summaries.size(), 3u);
}

// ---- Country records ----------------------------------------------------------

class TimingModelRecords : public ::testing::Test {
 protected:
  std::vector<TCountry> list_{TimingCountry("USA", "USD", 6), TimingCountry("GERMANY", "EUR", 6, false)};
  ScopedCountryList countries_{list_};

  TEQBLGraphicData Prepared(TTimingKind kind) {
    TEQBLGraphicData result;
    result.Countries = list_;
    models::PrepareTimingRun(kind, result, list_);
    return result;
  }
};

// Per-country parameters by model and cash test; cash returns rebuilt on
// every run, empty without a cash asset of the portfolio currency.
TEST_F(TimingModelRecords, ParametersAndCashReturns) {
  struct Case {
    TTimingKind kind;
    std::string riskFreeId;
    double riskFreeCost;
  };
  for (const Case& c : {Case{TTimingKind::EQBL, "RISKFREEASSET1", 0.3}, Case{TTimingKind::EQQV, "CASH", 0.0}}) {
    TUserSettings settings = MakeSettings(list_, 40.0, 0.0, 0.0, 0.3);
    settings.RiskFreeId = c.riskFreeId;
    settings.QVTrustLevel = 70.0;
    settings.BLTrustLevel = 20.0;
    TEQBLGraphicData result = Prepared(c.kind);
    models::BuildTimingCountryRecords(c.kind, result, settings);
    const TSeriesInfo& p = result.Total.Summaries[1].Parameters;
    EXPECT_EQ(p.IndexCurrency + p.RiskFreeCurrency, "EUREUR");
    EXPECT_EQ(p.RiskFreeTransactionCost, c.riskFreeCost);
    EXPECT_EQ(result.CountryData[1].Parameters.RiskFreeTransactionCost, c.riskFreeCost);
    EXPECT_EQ(p.BLTrustLevel, c.kind == TTimingKind::EQBL ? 20.0 : 0.0);
    EXPECT_EQ(p.QVTrustLevel, c.kind == TTimingKind::EQQV ? 70.0 : 0.0);
    EXPECT_EQ(result.Total.Parameters.BLTrustLevel + result.Total.Parameters.QVTrustLevel, 90.0);
    ASSERT_TRUE(ValuesNear(result.Values2, std::vector<double>(5, 0.002), 1e-12));

    settings.PortfolioCcy = "CHF";  // no country of that currency
    models::BuildTimingCountryRecords(c.kind, result, settings);
    EXPECT_TRUE(result.Values2.empty());
    settings.PortfolioCcy = "USD";
    std::vector<TAssetSeries>& riskFree = result.Countries.Edit()[0].RiskFreeAssets;
    riskFree.erase(riskFree.begin());  // no cash asset
    models::BuildTimingCountryRecords(c.kind, result, settings);
    EXPECT_TRUE(result.Values2.empty());
  }
}

// ---- Weight series ----------------------------------------------------------

// Countries "C0", "C1", ... whose index series run from `offsets[i]` months
// after January 2000 to the month end `months - 1` months after it.
TEQBLGraphicData WeightRecord(const std::vector<double>& weights, const std::vector<int>& offsets, int months) {
  TEQBLGraphicData result;
  for (std::size_t i = 0; i < weights.size(); ++i) {
    TCountry country = MakeCountry("C" + std::to_string(i), "USD");
    Asset(country, atIndex, "EQINDEX") = Growing(2000, 1 + offsets[i], months - offsets[i], 100.0, 0.01);
    result.Countries.Edit().push_back(country);
    result.Total.Summaries.emplace_back().EqWeight = weights[i];
  }
  return result;
}

struct WeightCase {
  const char* name;
  std::vector<double> weights;
  std::vector<int> startOffsets;
  std::vector<std::vector<double>> expected;
};

class TimingModelWeights : public ::testing::TestWithParam<WeightCase> {};

TEST_P(TimingModelWeights, NormaliseTheStartedCountries) {
  const WeightCase& c = GetParam();
  TEQBLGraphicData result = WeightRecord(c.weights, c.startOffsets, 6);
  models::BuildTimingCountryWeightSeries(result);
  for (std::size_t i = 0; i < c.weights.size(); ++i)
    EXPECT_TRUE(ValuesNear(result.Total.Summaries[i].WeightSeries, c.expected[i], 1e-12)) << "country " << i;
}

INSTANTIATE_TEST_SUITE_P(
    TimingModel, TimingModelWeights,
    ::testing::Values(
        WeightCase{"SameDates", {30.0, 20.0}, {0, 0}, {{0.6, 0.6, 0.6, 0.6, 0.6}, {0.4, 0.4, 0.4, 0.4, 0.4}}},
        // The third country's first weight date is April 2000.
        WeightCase{"LaterThird",
                   {30.0, 20.0, 50.0},
                   {0, 0, 2},
                   {{0.6, 0.6, 0.3, 0.3, 0.3}, {0.4, 0.4, 0.2, 0.2, 0.2}, {0.5, 0.5, 0.5}}},
        WeightCase{"ZeroWeight", {30.0, 0.0}, {0, 0}, {{1.0, 1.0, 1.0, 1.0, 1.0}, {0.0, 0.0, 0.0, 0.0, 0.0}}},
        // Weights summing to zero are left as they are (no division by zero).
        WeightCase{"ZeroSum", {50.0, -50.0}, {0, 0}, {{0.5, 0.5, 0.5, 0.5, 0.5}, {-0.5, -0.5, -0.5, -0.5, -0.5}}},
        WeightCase{"SinglePoint", {30.0, 20.0}, {0, 5}, {{1.0, 1.0, 1.0, 1.0, 1.0}, {}}}),
    [](const ::testing::TestParamInfo<WeightCase>& caseInfo) { return std::string(caseInfo.param.name); });

TEST(TimingModelWeightSums, StartedWeightsSumToOneAndMisalignmentFails) {
  TEQBLGraphicData result = WeightRecord({10.0, 25.0, 40.0, 5.0}, {0, 2, 4, 6}, 24);
  models::BuildTimingCountryWeightSeries(result);
  for (const TDataPoint& point : result.Total.Summaries[0].WeightSeries) {
    double sum = 0.0;
    for (const TCountryModelSummary& s : result.Total.Summaries)
      for (const TDataPoint& w : s.WeightSeries) sum += w.Date == point.Date ? w.Value : 0.0;
    EXPECT_NEAR(sum, 1.0, 1e-12);
  }
  // A gap in a country's index dates cannot be paired from the end.
  TSeries& gapped = Asset(result.Countries.Edit()[3], atIndex, "EQINDEX");
  gapped.erase(gapped.begin() + 3);
  EXPECT_THROW(models::BuildTimingCountryWeightSeries(result), EModelError);
}

}  // namespace
