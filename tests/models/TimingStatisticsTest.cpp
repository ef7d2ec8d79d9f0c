// Statistics stage of the timing models, on a one-country record filled by
// hand: the On/Off split by the model's own signal, Sharpe ratios, exposure
// and turnover of the country benchmark, and the total figures.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ModelTestSupport.h"
#include "models/equity/TimingModel.h"
#include "portfolio/ModelError.h"

namespace {

using models::TTimingKind;
using testcountries::Asset;
using testcountries::Constant;
using testcountries::Growing;
using testcountries::MakeCountry;
using testcountries::MonthEnd;
using testcountries::Monthly;
using testcountries::ScopedCountryList;

constexpr double kTol = 1e-12;

// "USA": QV signal always On, BL signal 1, 0, -1, 1, 0 from January to May
// 2000, cash +0.2 % a month. Model returns 1 % to 4 % from February to May,
// constant risk-free returns, country risk-free return 2 %; the country
// benchmark is fully invested for two months, then half.
TEQBLGraphicData Record() {
  TEQBLGraphicData r;
  TCountry c = MakeCountry("USA", "USD");
  Asset(c, atSignal, "QVSIGNAL") = Constant(2000, 1, 5, 1.0);
  Asset(c, atSignal, "BLSIGNAL") = Monthly(2000, 1, {1.0, 0.0, -1.0, 1.0, 0.0});
  Asset(c, atRiskFreeAsset, "CASH") = Growing(2000, 1, 5, 100.0, 0.002);
  Asset(c, atSpotFx, "SPOTFX") = Constant(2000, 1, 5, 1.0);
  r.Countries = {c};
  TCountryModelData d;
  d.Series1.Series = Monthly(2000, 2, {0.01, 0.02, 0.03, 0.04});
  d.Series2.Series = Monthly(2000, 2, {0.02, -0.01, 0.03, 0.0});
  d.Series3.Series = Monthly(2000, 2, {0.003, 0.003, 0.003, 0.003});
  d.Parameters.PortfolioCcy = "EUR";
  d.Parameters.RiskFreeId = "RISKFREEASSET1";
  d.Parameters.IndexCurrency = d.Parameters.RiskFreeCurrency = "USD";
  d.Parameters.IndexName = "US Index";
  d.Statistics.RiskFreeRate = 0.02;
  r.CountryData = {d};
  TBenchmarkPortfolio b;
  b.ExposureSeries = Monthly(2000, 2, {1.0, 1.0, 0.5, 0.5});
  b.TurnoverSeries = Monthly(2000, 2, {0.0, 0.0, 0.5, 0.0});
  r.Benchmarks = {b};
  r.Total.ModelSeries = d.Series1.Series;
  r.Total.BenchmarkSeries = d.Series2.Series;
  r.Total.RiskFreeSeries = d.Series3.Series;
  r.Total.ExposureSeries = b.ExposureSeries;
  r.Total.TurnoverSeries = b.TurnoverSeries;
  r.Total.Parameters.PortfolioCcy = "USD";
  r.Total.Parameters.RiskFreeId = "RISKFREEASSET1";
  return r;
}

TEQBLGraphicData Computed(TEQBLGraphicData r, TTimingKind kind = TTimingKind::EQBL) {
  ScopedCountryList scoped(r.Countries);
  models::ComputeTimingStatistics(kind, r);
  return r;
}

// Model: 1 %, 2 %, 3 %, 4 %; population deviation sqrt(1.25e-4).
const double kModelReturn = std::pow(1.01 * 1.02 * 1.03 * 1.04, 3.0) - 1.0;
const double kModelVolatility = std::sqrt(1.25e-4 * 12.0);

TEST(TimingStatistics, OnOffSplitFollowsTheModelsOwnSignal) {
  // BL: February and May periods On, March Off, April (-1.0) in neither.
  const TPerformanceStatistics bl = Computed(Record()).CountryData[0].Statistics;
  EXPECT_NEAR(bl.Model.ReturnWhenOn, std::pow(1.01 * 1.04, 6.0) - 1.0, kTol);
  EXPECT_NEAR(bl.Model.VolatilityWhenOn, 0.015 * std::sqrt(12.0), kTol);
  EXPECT_NEAR(bl.Model.ReturnWhenOff, std::pow(1.02, 12.0) - 1.0, kTol);
  EXPECT_EQ(bl.Model.VolatilityWhenOff, 0.0);
  EXPECT_NEAR(bl.Index.MaxDrawdownWhenOff, -0.01, kTol);
  // QV is On throughout: no Off figure in any block, On equals the whole period.
  const TPerformanceStatistics qv = Computed(Record(), TTimingKind::EQQV).CountryData[0].Statistics;
  for (const TStatisticsBlock* b : {&qv.Model, &qv.Index, &qv.RiskFree}) {
    EXPECT_EQ(b->ReturnWhenOff, kNoFigure);
    EXPECT_EQ(b->VolatilityWhenOff, kNoFigure);
    EXPECT_EQ(b->MaxDrawdownWhenOff, kNoFigure);
    EXPECT_NEAR(b->ReturnWhenOn, b->Return, 1e-12);
  }
}

TEST(TimingStatistics, CountryFiguresSharpeAndBenchmarkExposure) {
  const TPerformanceStatistics st = Computed(Record()).CountryData[0].Statistics;
  EXPECT_TRUE(st.HasData);
  EXPECT_EQ(st.Labels.StartDate, MonthEnd(2000, 1));
  EXPECT_EQ(st.Labels.EndDate, MonthEnd(2000, 5));
  EXPECT_EQ(st.Labels.Caption1, "US Index");
  EXPECT_EQ(st.Labels.Caption2, "10Y Gov Bond");
  EXPECT_EQ(st.Labels.Caption4, "USD");
  EXPECT_EQ(st.Labels.Caption6, "EUR");
  EXPECT_NEAR(st.Model.Return, kModelReturn, kTol);
  EXPECT_NEAR(st.Model.Sharpe, (kModelReturn - 0.02) / kModelVolatility, 1e-10);
  EXPECT_EQ(st.RiskFree.Volatility, 0.0);
  EXPECT_EQ(st.RiskFree.Sharpe, kNoFigure);  // zero volatility
  EXPECT_NEAR(st.EquityInvested, 0.75, kTol);
  EXPECT_NEAR(st.Turnover, 12.0 * 0.125, kTol);
  EXPECT_EQ(st.RiskFreeRate, 0.02);  // left as the simulation set it

  TEQBLGraphicData noRate = Record();
  noRate.CountryData[0].Statistics.RiskFreeRate = kNoFigure;
  const TPerformanceStatistics none = Computed(noRate).CountryData[0].Statistics;
  EXPECT_TRUE(none.Model.Sharpe == kNoFigure && none.Index.Sharpe == kNoFigure && none.RiskFree.Sharpe == kNoFigure);
}

TEST(TimingStatistics, CountryWithoutItsRecordsIsAModelFailure) {
  TEQBLGraphicData noBenchmark = Record();
  noBenchmark.Benchmarks.clear();
  EXPECT_THROW(Computed(noBenchmark), EModelError);
  TEQBLGraphicData noData = Record();
  noData.CountryData.clear();
  EXPECT_THROW(Computed(noData), EModelError);
}

TEST(TimingStatistics, TotalFigures) {
  TEQBLGraphicData r = Record();
  r.Total.Statistics.Model.ReturnWhenOn = 7.0;  // total On/Off figures are not written
  const TPerformanceStatistics st = Computed(r).Total.Statistics;
  const double rf = std::pow(1.002, 12.0) - 1.0;  // cash over February to May
  EXPECT_NEAR(st.RiskFreeRate, rf, kTol);
  EXPECT_EQ(st.Labels.Caption1, "Portfolio");
  EXPECT_EQ(st.Labels.Caption2, "10Y Gov Bond");
  EXPECT_EQ(st.Labels.StartDate, MonthEnd(2000, 1));
  EXPECT_NEAR(st.Model.Sharpe, (kModelReturn - rf) / kModelVolatility, 1e-10);
  EXPECT_NEAR(st.EquityInvested, 0.75, kTol);
  EXPECT_NEAR(st.Turnover, 1.5, kTol);
  EXPECT_EQ(st.Model.ReturnWhenOn, 7.0);

  r.Total.ModelSeries.clear();
  const TPerformanceStatistics empty = Computed(r).Total.Statistics;
  EXPECT_FALSE(empty.HasData);
  for (double v : {empty.Labels.StartDate, empty.Labels.EndDate, empty.RiskFreeRate, empty.EquityInvested,
                   empty.Turnover, empty.Model.Sharpe, empty.Index.Sharpe, empty.RiskFree.Sharpe})
    EXPECT_EQ(v, kNoFigure);
  EXPECT_NEAR(empty.Index.Return, std::pow(1.02 * 0.99 * 1.03, 3.0) - 1.0, kTol);
}

}  // namespace
