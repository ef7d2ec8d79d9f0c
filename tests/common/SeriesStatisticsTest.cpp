#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "common/Globals.h"
#include "common/SeriesStatistics.h"
#include "common/SeriesTestData.h"
#include "platform/DateTime.h"

namespace {

using platform::EncodeDate;

using series_test::kNaN;
using series_test::MonthEnd;
using series_test::Monthly;

// n monthly returns of 0.0 except one: the growth over the series is 1 + r.
TSeries OneMove(std::size_t n, double r) {
  std::vector<double> values(n, 0.0);
  values[n / 2] = r;
  return Monthly(2000, 1, values);
}

TSeries Scaled(const TSeries& s, double factor, double shift) {
  TSeries out = s;
  for (TDataPoint& p : out) p.Value = p.Value * factor + shift;
  return out;
}

// ---------------------------------------------------------------- moments

TEST(SeriesStatisticsTest, MeanDeviationAndCovariance) {
  EXPECT_DOUBLE_EQ(MeanValue(Monthly(2000, 1, {1.0, 2.0, 3.0, 4.0})), 2.5);
  EXPECT_DOUBLE_EQ(StandardDeviation(Monthly(2000, 1, {2.0, 4.0, 4.0, 4.0, 5.0, 5.0, 7.0, 9.0})), 2.0);
  EXPECT_EQ(StandardDeviation(Monthly(2000, 1, {0.1, 0.1, 0.1})), 0.0);
  EXPECT_EQ(StandardDeviation(Monthly(2000, 1, {0.7})), 0.0);
  // deviations (-1, 0, 1) and (-1, 1, 0): covariance 1/3
  EXPECT_DOUBLE_EQ(Covariance(Monthly(2000, 1, {1.0, 2.0, 3.0}), Monthly(2000, 1, {1.0, 3.0, 2.0})), 1.0 / 3.0);
  EXPECT_EQ(MeanValue({}), kNoFigure);
  EXPECT_EQ(StandardDeviation({}), kNoFigure);
  EXPECT_EQ(Covariance({}, {}), kNoFigure);
  EXPECT_EQ(Covariance(OneMove(40, 0.1), OneMove(39, 0.1)), kNoFigure);
}

TEST(SeriesStatisticsTest, CorrelationAndBeta) {
  const TSeries a = Monthly(2000, 1, {1.0, 2.0, 3.0});
  const TSeries b = Monthly(2000, 1, {1.0, 3.0, 2.0});
  // covariance 1/3, both variances 2/3
  EXPECT_NEAR(Correlation(a, b), 0.5, 1e-15);
  EXPECT_NEAR(Beta(a, b), 0.5, 1e-15);

  std::mt19937_64 rng(5);
  std::normal_distribution<double> noise(0.0, 0.04);
  std::vector<double> values;
  for (int i = 0; i < 120; ++i) values.push_back(noise(rng));
  const TSeries r = Monthly(2000, 1, values);
  EXPECT_NEAR(Correlation(r, r), 1.0, 1e-12);
  EXPECT_NEAR(Correlation(r, Scaled(r, -1.0, 0.0)), -1.0, 1e-12);
  EXPECT_NEAR(Correlation(r, Scaled(r, 2.0, 0.01)), 1.0, 1e-12);
  EXPECT_NEAR(Beta(r, Scaled(r, 2.0, 0.0)), 2.0, 1e-12);
  EXPECT_NEAR(Beta(Scaled(r, 2.0, 0.0), r), 0.5, 1e-12);
  EXPECT_GE(Correlation(r, r), -1.0);
  EXPECT_LE(Correlation(r, r), 1.0);
}

TEST(SeriesStatisticsTest, CorrelationAndBetaRejectInputs) {
  const TSeries varying = Monthly(2000, 1, {0.01, 0.03, -0.02});
  const TSeries constant = Monthly(2000, 1, {0.01, 0.01, 0.01});
  struct Case {
    const char* name;
    TSeries a, b;
  };
  const Case cases[] = {
      {"zero-variance reference", constant, varying},
      {"lengths differ", varying, Monthly(2000, 1, {0.01, 0.02})},
      {"single point", Monthly(2000, 1, {0.01}), Monthly(2000, 1, {0.02})},
      {"empty", {}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Correlation(c.a, c.b), kNoFigure) << c.name;
    EXPECT_EQ(Beta(c.a, c.b), kNoFigure) << c.name;
  }
  // A constant second series has no correlation, and a beta of 0 on a varying reference.
  EXPECT_EQ(Correlation(varying, constant), kNoFigure);
  EXPECT_EQ(Beta(varying, constant), 0.0);
}

// ---------------------------------------------------------------- annualised figures

TEST(SeriesStatisticsTest, AnnualizedReturnByFrequencyCode) {
  struct Case {
    TSeries returns;
    std::uint32_t frequency;
    double expected;
  };
  const Case cases[] = {
      {OneMove(12, 0.2), 0, 0.2},             // one year of months
      {OneMove(24, 0.21), 0, 0.1},            // 1.21^(12/24) - 1
      {OneMove(2, 0.21), 0, 2.138428376721},  // 1.21^6 - 1 = 1.1^12 - 1
      {OneMove(52, 0.1), 1, 0.1},             // one year of weeks
      {OneMove(26, 0.21), 1, 0.4641},         // 1.21^2 - 1
      {OneMove(260, 0.05), 2, 0.05},          // one year of days
      {OneMove(130, 0.21), 2, 0.4641},
      {OneMove(24, 0.21), 3, 0.1},  // unknown codes count as monthly
      {OneMove(24, 0.21), 4294967295u, 0.1},
  };
  for (const Case& c : cases) {
    EXPECT_NEAR(AnnualizedReturn(c.returns, c.frequency), c.expected, 1e-12)
        << c.returns.size() << " points, code " << c.frequency;
  }
  // A single point: (1 + v)^P - 1.
  EXPECT_NEAR(AnnualizedReturn(Monthly(2000, 1, {0.01}), 0), std::pow(1.01, 12) - 1.0, 1e-12);
  EXPECT_EQ(AnnualizedReturn({}, 0), kNoFigure);
  // A loss beyond 100 % has no yearly rate, whatever the power.
  EXPECT_EQ(AnnualizedReturn(Monthly(2000, 1, {-1.5, 0.1, 0.1}), 0), kNoFigure);
  EXPECT_EQ(AnnualizedReturn(Monthly(2000, 1, {-1.5, 0.1, 0.1, 0.1, 0.1}), 0), kNoFigure);
  // A loss of exactly 100 %: -1 per year.
  EXPECT_EQ(AnnualizedReturn(Monthly(2000, 1, {-1.0, 0.1}), 0), -1.0);
}

TEST(SeriesStatisticsTest, AnnualizedTurnover) {
  EXPECT_NEAR(AnnualizedTurnover(Monthly(2000, 1, {0.1, 0.2, 0.3}), 0), 2.4, 1e-12);
  EXPECT_NEAR(AnnualizedTurnover(Monthly(2000, 1, {0.1, 0.2, 0.3}), 1, false), 10.4, 1e-12);
  // two changes in four steps: 12 * 2 / 4
  EXPECT_NEAR(AnnualizedTurnover(Monthly(2000, 1, {1.0, 1.0, 0.0, 0.0, 1.0}), 0, true), 6.0, 1e-12);
  EXPECT_EQ(AnnualizedTurnover(Monthly(2000, 1, {1.0}), 0, true), kNoFigure);
  EXPECT_EQ(AnnualizedTurnover({}, 0), kNoFigure);
}

// ---------------------------------------------------------------- drawdown, period returns

TEST(SeriesStatisticsTest, MaxDrawdown) {
  struct Case {
    std::vector<double> returns;
    double expected;
  };
  const Case cases[] = {
      {{0.10, -0.20, 0.05}, -0.2},  // 1.1 * 0.8 / 1.1 - 1
      {{0.10, -0.10, 0.05}, -0.1},
      {{0.01, 0.02, 0.03}, 0.0},  // never below the peak
      {{-0.05}, -0.05},           // the start counts as a peak
      {{-0.2, 0.5, -0.4}, -0.4},  // 0.8, 1.2, 0.72 against peaks 1, 1.2, 1.2
  };
  for (const Case& c : cases) EXPECT_NEAR(MaxDrawdown(Monthly(2000, 1, c.returns)), c.expected, 1e-12);
  EXPECT_EQ(MaxDrawdown({}), kNoFigure);
}

TEST(SeriesStatisticsTest, MaxDrawdownIsNeverAboveZeroAndMatchesTheDrawdownSeries) {
  std::mt19937_64 rng(11);
  std::normal_distribution<double> noise(0.004, 0.05);
  for (int round = 0; round < 20; ++round) {
    std::vector<double> values;
    for (int i = 0; i < 240; ++i) values.push_back(noise(rng));
    const TSeries r = Monthly(1990, 1, values);
    const double mdd = MaxDrawdown(r);
    ASSERT_LE(mdd, 0.0);
    double deepest = 0.0;
    for (const TDataPoint& p : DrawdownSeries(r, 0)) {
      ASSERT_LE(p.Value, 0.0);
      deepest = std::min(deepest, p.Value);
    }
    ASSERT_NEAR(mdd, deepest, 1e-15);
  }
}

TEST(SeriesStatisticsTest, YearToDateReturnCompoundsTheLastPointsYear) {
  // Nov 2015, Dec 2015, Jan 2016, Feb 2016
  const TSeries r = Monthly(2015, 11, {0.5, 0.5, 0.1, 0.2});
  EXPECT_NEAR(YearToDateReturn(r), 1.1 * 1.2 - 1.0, 1e-15);
  // Last point on 31 January: only January counts.
  EXPECT_NEAR(YearToDateReturn(TSeries(r.begin(), r.end() - 1)), 0.1, 1e-15);
  // Last point on 31 December: the whole year before the boundary.
  EXPECT_NEAR(YearToDateReturn(TSeries(r.begin(), r.end() - 2)), 1.5 * 1.5 - 1.0, 1e-15);
  EXPECT_EQ(YearToDateReturn({}), kNoFigure);
  // A last point with a time of day still closes its own window.
  TSeries late = Monthly(2016, 1, {0.1, 0.2});
  late.back().Date += 0.5;
  EXPECT_NEAR(YearToDateReturn(late), 1.1 * 1.2 - 1.0, 1e-15);
}

TEST(SeriesStatisticsTest, OneYearReturnNeedsTwelvePoints) {
  EXPECT_EQ(OneYearReturn(Monthly(2000, 1, std::vector<double>(11, 0.01))), kNoFigure);
  EXPECT_NEAR(OneYearReturn(Monthly(2000, 1, std::vector<double>(12, 0.01))), std::pow(1.01, 12) - 1.0, 1e-12);
  std::vector<double> values(13, 0.01);
  values[0] = 0.5;  // the thirteenth point from the end stays out
  EXPECT_NEAR(OneYearReturn(Monthly(2000, 1, values)), std::pow(1.01, 12) - 1.0, 1e-12);
  EXPECT_EQ(OneYearReturn({}), kNoFigure);
}

TEST(SeriesStatisticsTest, LastValueAndPointCountRatio) {
  EXPECT_EQ(LastValue(Monthly(2000, 1, {1.0, kNoFigure})), kNoFigure);
  EXPECT_EQ(LastValue(Monthly(2000, 1, {1.0, 3.5})), 3.5);
  EXPECT_EQ(LastValue({}), kNoFigure);
  EXPECT_EQ(PointCountRatio(OneMove(3, 0.0), OneMove(1, 0.0)), 0.75);
  EXPECT_EQ(PointCountRatio(OneMove(3, 0.0), {}), kNoFigure);
}

// ---------------------------------------------------------------- cash return

class SeriesStatisticsCashTest : public testing::Test {
 protected:
  void SetUp() override {
    saved_ = vcMyExternCountryList;
    TCountry usa;
    usa.Name = "USA";
    usa.Currency = "USD";
    TAssetSeries bond;
    bond.ID = "RISKFREEASSET1";
    bond.Title = "10Y Gov Bond";
    bond.Series = Monthly(2010, 1, std::vector<double>(25, 100.0));
    TAssetSeries cash;
    cash.ID = "CASH";
    cash.Title = "1M Cash";
    // levels growing 1 % a month from 31 Jan 2010 to 31 Jan 2012
    double level = 100.0;
    std::vector<double> levels;
    for (int i = 0; i < 25; ++i, level *= 1.01) levels.push_back(level);
    cash.Series = Monthly(2010, 1, levels);
    usa.RiskFreeAssets = {bond, cash};
    TCountry japan;
    japan.Name = "JAPAN";
    japan.Currency = "JPY";
    japan.RiskFreeAssets = {bond};
    vcMyExternCountryList = {usa, japan};
  }
  void TearDown() override { vcMyExternCountryList = saved_; }

 private:
  std::vector<TCountry> saved_;
};

TEST_F(SeriesStatisticsCashTest, AnnualizesTheCashReturnsOfTheWindow) {
  const std::vector<TCountry> countries = vcMyExternCountryList;
  // returns of February 2010 to January 2011: twelve months of 1 %
  EXPECT_NEAR(AnnualizedCashReturn(countries, "USD", 0, MonthEnd(2010, 2), MonthEnd(2011, 1)), std::pow(1.01, 12) - 1.0,
              1e-12);
  // six returns read as weekly: (1.01^6)^(52 / 6) - 1
  EXPECT_NEAR(AnnualizedCashReturn(countries, "usd", 1, MonthEnd(2010, 2), MonthEnd(2010, 7)),
              std::pow(1.01, 52.0) - 1.0, 1e-12);
}

TEST_F(SeriesStatisticsCashTest, TheFirstCashAssetCounts) {
  TAssetSeries flat;
  flat.ID = "RISKFREEASSET3";  // known as cash by its title only
  flat.Title = "3M Cash";
  flat.Series = Monthly(2010, 1, std::vector<double>(25, 100.0));
  std::vector<TAssetSeries>& assets = vcMyExternCountryList[0].RiskFreeAssets;
  assets.push_back(flat);  // bond, 1M cash growing 1 % a month, flat 3M cash
  const double from = MonthEnd(2010, 2);
  const double to = MonthEnd(2011, 1);
  EXPECT_NEAR(AnnualizedCashReturn(vcMyExternCountryList, "USD", 0, from, to), std::pow(1.01, 12) - 1.0, 1e-12);
  std::swap(assets[1], assets[2]);  // the flat one first
  EXPECT_EQ(AnnualizedCashReturn(vcMyExternCountryList, "USD", 0, from, to), 0.0);
}

TEST_F(SeriesStatisticsCashTest, NoCashReturnGivesTheMarker) {
  const std::vector<TCountry> countries = vcMyExternCountryList;
  EXPECT_EQ(AnnualizedCashReturn(countries, "USD", 0, MonthEnd(2015, 1), MonthEnd(2016, 1)), kNoFigure);
  EXPECT_EQ(AnnualizedCashReturn(countries, "USD", 0, MonthEnd(2010, 1), MonthEnd(2010, 1)), kNoFigure);
  EXPECT_EQ(AnnualizedCashReturn(countries, "CHF", 0, MonthEnd(2010, 1), MonthEnd(2012, 1)), kNoFigure);
  EXPECT_EQ(AnnualizedCashReturn(countries, "JPY", 0, MonthEnd(2010, 1), MonthEnd(2012, 1)), kNoFigure);
  // A list shorter than the global one.
  EXPECT_EQ(AnnualizedCashReturn({countries[0]}, "JPY", 0, MonthEnd(2010, 1), MonthEnd(2012, 1)), kNoFigure);
  EXPECT_EQ(AnnualizedCashReturn({}, "USD", 0, MonthEnd(2010, 1), MonthEnd(2012, 1)), kNoFigure);
}

// ---------------------------------------------------------------- bad input

TEST(SeriesStatisticsTest, NotANumberGivesTheMarker) {
  TSeries r = Monthly(2000, 1, std::vector<double>(24, 0.01));
  r[20].Value = kNaN;
  TSeries dates = Monthly(2000, 1, std::vector<double>(24, 0.01));
  dates.back().Date = kNaN;
  for (double figure : {MeanValue(r), StandardDeviation(r), Covariance(r, r), Correlation(r, r), Beta(r, r),
                        AnnualizedReturn(r, 0), AnnualizedTurnover(r, 0), MaxDrawdown(r), YearToDateReturn(r),
                        OneYearReturn(Monthly(2000, 1, std::vector<double>(12, kNaN))), YearToDateReturn(dates),
                        OneYearReturn(dates)}) {
    EXPECT_EQ(figure, kNoFigure);
  }
  EXPECT_EQ(MaxDrawdown(dates), 0.0);  // dates are not read
}

}  // namespace
