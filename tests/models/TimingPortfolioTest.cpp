// Portfolio simulation of the timing models: legs in the portfolio currency,
// switching with trust level and costs, the weighted second pass, and the
// annualised cash return over the country's own model window.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "ModelTestSupport.h"
#include "models/equity/TimingModel.h"

namespace {

using namespace testcountries;
using models::TTimingKind;

// USA (USD) and GERMANY (EUR) over five month ends from January 2000: index
// +10 % a month, 10Y bond +1 %, spot 1.0; USA's cash +0.2 % over twelve
// months, GERMANY's +0.5 % over five. Weights 30 / 20 give 0.6 / 0.4.
std::vector<TCountry> TwoCountries() {
  std::vector<TCountry> list = {MakeCountry("USA", "USD"), MakeCountry("GERMANY", "EUR", "Europe (Euro)")};
  for (TCountry& c : list) {
    Asset(c, atIndex, "EQINDEX") = Growing(2000, 1, 5, 100.0, 0.10);
    Asset(c, atRiskFreeAsset, "RISKFREEASSET1") = Growing(2000, 1, 5, 100.0, 0.01);
    Asset(c, atSpotFx, "SPOTFX") = Constant(2000, 1, 5, 1.0);
  }
  list[1].IndexName = "Euro Index";
  Asset(list[0], atRiskFreeAsset, "CASH") = Growing(2000, 1, 12, 100.0, 0.002);
  Asset(list[1], atRiskFreeAsset, "CASH") = Growing(2000, 1, 5, 100.0, 0.005);
  return list;
}

TUserSettings TwoCountrySettings(const std::vector<TCountry>& list, double trust, double cost) {
  TUserSettings s = MakeSettings(list, 30.0, 0.0, 0.0, cost);
  s.CountrySettings[1].EqWeight = 20.0;
  s.QVTrustLevel = trust;
  s.BLTrustLevel = trust;
  return s;
}

// The record as the earlier stages leave it for the simulation.
TEQBLGraphicData Prepared(TTimingKind kind, const std::vector<TCountry>& list, const TUserSettings& settings) {
  TEQBLGraphicData result;
  result.Countries = list;
  models::PrepareTimingRun(kind, result, list);
  models::BuildTimingCountryRecords(kind, result, settings);
  return result;
}

struct SwitchCase {
  const char* name;
  TTimingKind kind;
  double trust;                     // percent
  double cost;                      // EqTransactionCost, percent (index and 10Y bond)
  std::vector<double> positions;    // January to May
  std::vector<double> model;        // February to May
  std::vector<double> exposure;     // weight 0.6
  std::vector<double> turnover;
};

class TimingPortfolioSwitching : public ::testing::TestWithParam<SwitchCase> {};

// m_i = w_i 0.10 + (1 - w_i) 0.01 - |w_i - w_(i+1)| 2 cost, w = 1 unless the position is 0.0 (then 1 - T).
TEST_P(TimingPortfolioSwitching, ModelContributionExposureTurnover) {
  const SwitchCase& c = GetParam();
  std::vector<TCountry> list = TwoCountries();
  for (TCountry& country : list) {
    Asset(country, atSignal, "QVSIGNAL") = Monthly(2000, 1, c.positions);
    Asset(country, atSignal, "BLSIGNAL") = Monthly(2000, 1, c.positions);
  }
  ScopedCountryList global(list);
  TEQBLGraphicData result = Prepared(c.kind, list, TwoCountrySettings(list, c.trust, c.cost));
  models::ComputeTimingPortfolio(c.kind, result);

  const TCountryModelData& usa = result.CountryData[0];
  ASSERT_TRUE(ValuesNear(usa.Series1.Series, c.model, 1e-12));
  EXPECT_EQ(usa.Series1.Series.front().Date, MonthEnd(2000, 2));
  EXPECT_TRUE(ValuesNear(usa.Series2.Series, std::vector<double>(4, 0.10), 1e-12));
  EXPECT_TRUE(ValuesNear(usa.Series3.Series, std::vector<double>(4, 0.01), 1e-12));

  const TCountryModelSummary& summary = result.Total.Summaries[0];
  std::vector<double> contribution;
  for (double m : c.model) contribution.push_back(0.6 * m);
  EXPECT_TRUE(ValuesNear(summary.ContributionSeries, contribution, 1e-12));
  EXPECT_TRUE(ValuesNear(summary.IndexContribution, std::vector<double>(4, 0.06), 1e-12));
  EXPECT_TRUE(ValuesNear(summary.ExposureSeries, c.exposure, 1e-12));
  EXPECT_TRUE(ValuesNear(summary.TurnoverSeries, c.turnover, 1e-12));
  ASSERT_EQ(summary.ExposureSeries.size(), 4u);
  EXPECT_EQ(summary.ExposureSeries.front().Date, MonthEnd(2000, 2));
}

INSTANTIATE_TEST_SUITE_P(
    TimingPortfolio, TimingPortfolioSwitching,
    ::testing::Values(
        // Trust 100: Off is fully risk-free; each switch costs 2 x 0.5 %.
        SwitchCase{"FullTrust", TTimingKind::EQBL, 100.0, 0.5, {1, 0, 0, 1, 1},
                   {0.09, 0.01, 0.0, 0.10}, {0.6, 0.0, 0.0, 0.6}, {0.6, 0.0, 0.6, 0.0}},
        // Trust 0: always invested, never a switching cost.
        SwitchCase{"NoTrust", TTimingKind::EQQV, 0.0, 0.5, {1, 0, 0, 1, 1},
                   {0.10, 0.10, 0.10, 0.10}, {0.6, 0.6, 0.6, 0.6}, {0.0, 0.0, 0.0, 0.0}},
        SwitchCase{"HalfTrust", TTimingKind::EQBL, 50.0, 0.0, {1, 0, 0, 1, 1},
                   {0.10, 0.055, 0.055, 0.10}, {0.6, 0.3, 0.3, 0.6}, {0.3, 0.0, 0.3, 0.0}},
        // -1.0 (no signal) counts as invested.
        SwitchCase{"MissingSignalInvested", TTimingKind::EQQV, 100.0, 0.0, {-1, -1, 0, 1, 1},
                   {0.10, 0.10, 0.01, 0.10}, {0.6, 0.6, 0.0, 0.6}, {0.0, 0.6, 0.6, 0.0}}),
    [](const ::testing::TestParamInfo<SwitchCase>& caseInfo) { return std::string(caseInfo.param.name); });

class TimingPortfolioTest : public ::testing::Test {
 protected:
  std::vector<TCountry> list_ = [] {
    std::vector<TCountry> list = TwoCountries();
    for (TCountry& c : list) {
      Asset(c, atSignal, "QVSIGNAL") = Monthly(2000, 1, {1, 0, 1, 0, 1});
      Asset(c, atSignal, "BLSIGNAL") = Monthly(2000, 1, {1, 0, 1, 0, 1});
    }
    return list;
  }();
};

TEST_F(TimingPortfolioTest, OwnTrustZeroGivesTheIndexReturns) {
  std::vector<TCountry> list = list_;
  Asset(list[0], atIndex, "EQINDEX") = Monthly(2000, 1, {100.0, 93.0, 97.0, 120.0, 111.0});
  ScopedCountryList global(list);
  TUserSettings settings = TwoCountrySettings(list, 0.0, 0.7);
  settings.QVTrustLevel = 100.0;  // the other model's trust level is not read
  TEQBLGraphicData result = Prepared(TTimingKind::EQBL, list, settings);
  models::ComputeTimingPortfolio(TTimingKind::EQBL, result);
  ASSERT_EQ(result.CountryData[0].Series1.Series.size(), 4u);
  EXPECT_EQ(result.CountryData[0].Series1.Series, result.CountryData[0].Series2.Series);
  EXPECT_EQ(result.CountryData[1].Series1.Series, result.CountryData[1].Series2.Series);
}

TEST_F(TimingPortfolioTest, ForeignIndexInThePortfolioCurrency) {
  struct Case {
    const char* name;
    bool hedged;
    bool reverseQuote;
    std::vector<double> index;  // GERMANY's index, January to May
    std::vector<double> spot;   // GERMANY's spot rate
    std::vector<double> expected;
  };
  // Hedged at 1.2 % a year (h = 0.001) with an unchanged rate:
  // e = 0.10 - 0.005 (EUR cash) + 0.002 (USD cash) - 0.001.
  // Unhedged, flat index: the euro doubles against the dollar in March.
  const std::vector<double> growing = {100.0, 110.0, 121.0, 133.1, 146.41};
  const std::vector<double> flat(5, 100.0);
  for (const Case& c : {Case{"Hedged", true, false, growing, {1, 1, 1, 1, 1}, {0.096, 0.096, 0.096, 0.096}},
                        Case{"Unhedged", false, false, flat, {1, 1, 0.5, 0.5, 0.5}, {0.0, 1.0, 0.0, 0.0}},
                        Case{"UnhedgedReverse", false, true, flat, {1, 1, 2, 2, 2}, {0.0, 1.0, 0.0, 0.0}}}) {
    std::vector<TCountry> list = list_;
    list[1].ReverseQuote = c.reverseQuote;
    Asset(list[1], atIndex, "EQINDEX") = Monthly(2000, 1, c.index);
    Asset(list[1], atSpotFx, "SPOTFX") = Monthly(2000, 1, c.spot);
    ScopedCountryList global(list);
    TUserSettings settings = c.hedged ? Hedged(TwoCountrySettings(list, 100.0, 0.0), "USD", 1.2)
                                      : TwoCountrySettings(list, 100.0, 0.0);
    TEQBLGraphicData result = Prepared(TTimingKind::EQBL, list, settings);
    models::ComputeTimingPortfolio(TTimingKind::EQBL, result);
    const TCountryModelData& germany = result.CountryData[1];
    EXPECT_TRUE(ValuesNear(germany.Series2.Series, c.expected, 1e-12)) << c.name;
    EXPECT_EQ(germany.Series2.Name, "Euro Index EUR (In USD)") << c.name;
    EXPECT_EQ(germany.Series3.Name, "10Y Gov Bond EUR (In USD)") << c.name;
    EXPECT_EQ(germany.Series1.Name, "(In USD)") << c.name;
    EXPECT_EQ(result.Total.Summaries[1].ContributionName, "(In USD)") << c.name;
  }
}

TEST_F(TimingPortfolioTest, RiskFreeRateOverTheCountrysOwnModelWindow) {
  std::vector<TCountry> list = list_;
  Asset(list[0], atSignal, "BLSIGNAL") = Monthly(2000, 2, {1, 0, 1, 1});  // starts on the window start
  Asset(list[1], atSignal, "BLSIGNAL").clear();
  // USD cash earns 1 % a month from March to May only.
  Asset(list[0], atRiskFreeAsset, "CASH") =
      Monthly(2000, 1, {100, 100, 101, 102.01, 103.0301, 103.0301, 103.0301, 103.0301, 103.0301, 103.0301,
                        103.0301, 103.0301});
  ScopedCountryList global(list);
  TEQBLGraphicData result = Prepared(TTimingKind::EQBL, list, TwoCountrySettings(list, 100.0, 0.0));
  ASSERT_EQ(result.Values2.size(), 11u);
  result.Total.ModelSeries = result.Values2;  // a previous run's total model series
  models::ComputeTimingPortfolio(TTimingKind::EQBL, result);

  // The window moves to the signal's second date: returns March to May.
  const TSeries& usa = result.CountryData[0].Series1.Series;
  ASSERT_TRUE(ValuesNear(usa, {0.10, 0.01, 0.10}, 1e-12));
  EXPECT_EQ(usa.front().Date, MonthEnd(2000, 3));
  EXPECT_NEAR(result.CountryData[0].Statistics.RiskFreeRate, std::pow(1.01, 12.0) - 1.0, 1e-12);
  // No positions: no model series and no cash window.
  EXPECT_TRUE(result.CountryData[1].Series1.Series.empty());
  EXPECT_TRUE(result.Total.Summaries[1].ContributionSeries.empty());
  EXPECT_EQ(result.CountryData[1].Statistics.RiskFreeRate, kNoFigure);
}

TEST_F(TimingPortfolioTest, SecondPassUsesTheSummaryParameters) {
  ScopedCountryList global(list_);
  TEQBLGraphicData result = Prepared(TTimingKind::EQQV, list_, TwoCountrySettings(list_, 100.0, 0.0));
  result.Total.Summaries[0].Parameters.QVTrustLevel = 0.0;
  models::ComputeTimingPortfolio(TTimingKind::EQQV, result);
  EXPECT_TRUE(ValuesNear(result.CountryData[0].Series1.Series, {0.10, 0.01, 0.10, 0.01}, 1e-12));
  EXPECT_TRUE(ValuesNear(result.Total.Summaries[0].ContributionSeries, std::vector<double>(4, 0.06), 1e-12));
  EXPECT_TRUE(ValuesNear(result.Total.Summaries[0].TurnoverSeries, std::vector<double>(4, 0.0), 1e-12));

  TEQBLGraphicData empty;
  empty.CountryData.resize(1);
  empty.CountryData[0].Name = "kept";
  models::ComputeTimingPortfolio(TTimingKind::EQQV, empty);
  EXPECT_EQ(empty.CountryData[0].Name, "kept");
}

}  // namespace
