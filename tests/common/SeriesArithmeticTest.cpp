#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "common/DateHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "common/SeriesTestData.h"
#include "platform/DateTime.h"

namespace {

using platform::EncodeDate;

using series_test::kNaN;
using series_test::MonthEnd;
using series_test::Monthly;

std::vector<double> Dates(const TSeries& s) {
  std::vector<double> v;
  for (const TDataPoint& p : s) v.push_back(p.Date);
  return v;
}

void ExpectValuesNear(const TSeries& s, const std::vector<double>& expected, double tolerance = 1e-12) {
  ASSERT_EQ(s.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(s[i].Value, expected[i], tolerance) << "point " << i;
}

// Random positive levels on month ends (a geometric random walk).
TSeries RandomLevels(std::mt19937_64& rng, std::size_t n) {
  std::normal_distribution<double> step(0.005, 0.05);
  std::vector<double> values;
  double level = 100.0;
  for (std::size_t i = 0; i < n; ++i) {
    values.push_back(level);
    level *= std::exp(step(rng));
  }
  return Monthly(1990, 1, values);
}

// ---------------------------------------------------------------- returns

TEST(SeriesArithmeticTest, ComputeReturnsFormsPeriodReturnsLessTheRate) {
  const TSeries prices = Monthly(2020, 1, {100.0, 110.0, 99.0});
  const TSeries r = ComputeReturns(prices, 0.0);
  ExpectValuesNear(r, {0.1, -0.1});
  EXPECT_EQ(Dates(r), (std::vector<double>{prices[1].Date, prices[2].Date}));
  ExpectValuesNear(ComputeReturns(prices, 0.01), {0.09, -0.11});
  EXPECT_TRUE(ComputeReturns(Monthly(2020, 1, {100.0}), 0.0).empty());
  EXPECT_TRUE(ComputeReturns({}, 0.0).empty());
}

TEST(SeriesArithmeticTest, ZeroPreviousValueGivesZeroReturn) {
  ExpectValuesNear(ComputeReturns(Monthly(2020, 1, {0.0, 5.0, 10.0}), 0.0), {0.0, 1.0});
  ExpectValuesNear(ProductSeriesReturns(Monthly(2020, 1, {0.0, 2.0}), Monthly(2020, 1, {1.0, 1.0})), {0.0});
  ExpectValuesNear(ConditionalReturns(Monthly(2020, 1, {0.0, 2.0}), Monthly(2020, 1, {1.0, 1.0}), true), {0.0});
  // Inverse of a zero value counts as 0.0.
  ExpectValuesNear(MultiplySeries(Monthly(2020, 1, {0.0, 2.0}), Monthly(2020, 1, {3.0, 0.0}), false, true), {0.0, 0.0});
  // A zero currency value makes the conversion factor 0.0: only the target cash return is left.
  const TSeries hedged = HedgedReturns(Monthly(2020, 1, {100.0, 110.0}), Monthly(2020, 1, {0.0, 1.0}),
                                       Monthly(2020, 1, {100.0, 100.0}), Monthly(2020, 1, {100.0, 102.0}), 0.0);
  ExpectValuesNear(hedged, {0.02});
}

// Every return is p_i / p_(i-1) - 1 - rate, or 0.0 - rate after a zero price,
// bit for bit, whatever the length (returns are formed four at a time in
// chunks of 32, the last ones alone) and wherever the zero prices (or 0.0 of
// either sign) stand.
TEST(SeriesArithmeticTest, ComputeReturnsOfEveryLengthAndZeroPlace) {
  std::mt19937_64 rng(11);
  for (const std::size_t n : {2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 32u, 33u, 34u, 35u, 38u, 65u, 70u})
    for (std::size_t zero = 0; zero <= n; ++zero) {
      TSeries prices = RandomLevels(rng, n);
      if (zero < n) prices[zero].Value = zero % 2 == 0 ? 0.0 : -0.0;
      for (double rate : {0.0, 0.003}) {
        const TSeries r = ComputeReturns(prices, rate);
        ASSERT_EQ(r.size(), n - 1);
        for (std::size_t i = 1; i < n; ++i) {
          const double previous = prices[i - 1].Value;
          const double expected = (previous == 0.0 ? 0.0 : prices[i].Value / previous - 1.0) - rate;
          EXPECT_EQ(r[i - 1].Date, prices[i].Date);
          EXPECT_EQ(std::bit_cast<std::uint64_t>(r[i - 1].Value), std::bit_cast<std::uint64_t>(expected))
              << n << " prices, zero at " << zero << ", return " << i;
        }
      }
    }
}

// The centred sums are, bit for bit, those of two plain passes over the
// first min(|a|, |b|) points: whichever series holds one value, a value that
// is not a number or an infinity, 0.0 of either sign, or is the longer.
TEST(SeriesArithmeticTest, CentredSumsGiveTheBitsOfThePlainPasses) {
  const auto plain = [](const TSeries& a, const TSeries& b) {
    const std::size_t n = std::min(a.size(), b.size());
    double totalA = 0.0;
    double totalB = 0.0;
    bool constantA = true;
    bool constantB = true;
    for (std::size_t i = 0; i < n; ++i) {
      totalA += a[i].Value;
      totalB += b[i].Value;
      constantA = constantA && a[i].Value == a[0].Value;
      constantB = constantB && b[i].Value == b[0].Value;
    }
    const double meanA = constantA ? a[0].Value : totalA / static_cast<double>(n);
    const double meanB = constantB ? b[0].Value : totalB / static_cast<double>(n);
    std::array<double, 5> sums{meanA, meanB, 0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < n && !(constantA && constantB); ++i) {
      const double da = constantA ? 0.0 : a[i].Value - meanA;
      const double db = constantB ? 0.0 : b[i].Value - meanB;
      sums[2] += da * da;
      sums[3] += db * db;
      sums[4] += da * db;
    }
    return sums;
  };
  constexpr double kInf = std::numeric_limits<double>::infinity();
  std::mt19937_64 rng(9);
  const std::vector<std::pair<std::vector<double>, std::vector<double>>> cases{
      {{0.01}, {-0.02}},
      {{0.01, 0.03}, {0.5, 0.5}},                       // b holds one value
      {{0.2, 0.2, 0.2}, {0.1, -0.4, 0.3}},              // a holds one value
      {{0.2, 0.2, 0.2}, {-0.1, -0.1, -0.1}},            // both
      {{0.0, -0.0, 0.0, 0.1}, {-0.0, 0.0, -0.0, 0.0}},  // zeros of both signs
      {{0.1, kNaN, 0.3, 0.2, 0.1}, {0.2, 0.1, 0.3, 0.2, 0.4}},
      {{0.1, 0.2, 0.3}, {0.2, kInf, 0.1}},
      {{kInf, kInf}, {0.3, 0.1}},
      {{0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7}, {0.3, 0.1}},  // b the shorter
  };
  std::vector<std::pair<TSeries, TSeries>> inputs;
  for (const auto& [va, vb] : cases) inputs.push_back({Monthly(2001, 1, va), Monthly(2001, 1, vb)});
  for (const std::size_t n : {8u, 9u, 40u}) inputs.push_back({RandomLevels(rng, n), RandomLevels(rng, n + 3)});
  for (const auto& [a, b] : inputs)
    for (const bool swap : {false, true}) {
      const TSeries& x = swap ? b : a;
      const TSeries& y = swap ? a : b;
      const TCentredSums sums = ComputeCentredSums(x, y);
      const std::array<double, 5> expected = plain(x, y);
      const std::array<double, 5> actual{sums.MeanA, sums.MeanB, sums.SumAA, sums.SumBB, sums.SumAB};
      ASSERT_EQ(sums.Count, std::min(x.size(), y.size()));
      for (std::size_t f = 0; f < 5; ++f)
        EXPECT_EQ(std::bit_cast<std::uint64_t>(actual[f]), std::bit_cast<std::uint64_t>(expected[f]))
            << x.size() << " and " << y.size() << " points, swapped " << swap << ", figure " << f;
    }
}

// The volatility (its centred sums formed over the series alone) equals, bit
// for bit, the one formed from the centred sums of the series against a copy
// of itself: random, constant, single-point and not-a-number series.
TEST(SeriesArithmeticTest, VolatilityEqualsTheOneOfTheCentredSumsAgainstACopy) {
  std::mt19937_64 rng(5);
  TSeries withNaN = RandomLevels(rng, 6);
  withNaN[3].Value = kNaN;
  const TSeries inputs[] = {RandomLevels(rng, 25), Monthly(2020, 1, {2.5, 2.5, 2.5}), Monthly(2020, 1, {7.0}), withNaN};
  for (const TSeries& s : inputs)
    for (int frequency : {0, 1, 2}) {
      const TSeries copy = s;
      const TCentredSums sums = ComputeCentredSums(s, copy);
      const double volatility =
          std::sqrt(sums.SumAA / static_cast<double>(sums.Count)) * std::sqrt(PeriodsPerYear(frequency));
      const double expected = std::isfinite(volatility) ? volatility : kNoFigure;
      EXPECT_EQ(std::bit_cast<std::uint64_t>(AnnualizedVolatility(s, frequency)),
                std::bit_cast<std::uint64_t>(expected))
          << s.size() << " points, frequency " << frequency;
    }
}

// ---------------------------------------------------------------- aligned operations

TEST(SeriesArithmeticTest, MultiplySeriesFlagsChooseInverses) {
  const TSeries a = Monthly(2020, 1, {2.0, 4.0});
  const TSeries b = Monthly(2020, 1, {5.0, 8.0});
  struct Case {
    bool keepA, invertB;
    std::vector<double> expected;
  };
  const Case cases[] = {
      {true, false, {10.0, 32.0}},
      {true, true, {0.4, 0.5}},
      {false, false, {2.5, 2.0}},
      {false, true, {0.1, 0.03125}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "keepA " << c.keepA << " invertB " << c.invertB);
    ExpectValuesNear(MultiplySeries(a, b, c.keepA, c.invertB), c.expected);
  }
}

TEST(SeriesArithmeticTest, AlignedOperationsCutToTheCommonRange) {
  const TSeries a = Monthly(2020, 1, {1.0, 2.0, 3.0, 4.0});      // Jan..Apr
  const TSeries b = Monthly(2020, 2, {10.0, 20.0, 30.0, 40.0});  // Feb..May
  const TSeries aligned = AlignSeriesOnCommonRange(a, b);
  ExpectValuesNear(aligned, {10.0, 20.0, 30.0});
  EXPECT_EQ(Dates(aligned), (std::vector<double>{a[1].Date, a[2].Date, a[3].Date}));
  ExpectValuesNear(MultiplySeries(a, b, true, false), {20.0, 60.0, 120.0});
  // (3 * 20) / (2 * 10) - 1 = 2; (4 * 30) / (3 * 20) - 1 = 1
  const TSeries product = ProductSeriesReturns(a, b);
  ExpectValuesNear(product, {2.0, 1.0});
  EXPECT_EQ(Dates(product), (std::vector<double>{a[2].Date, a[3].Date}));
}

TEST(SeriesArithmeticTest, AlignedOperationsRejectInputsThatDoNotPair) {
  const TSeries a = Monthly(2020, 1, {1.0, 2.0, 3.0});
  TSeries gap = Monthly(2020, 1, {1.0, 2.0, 3.0});
  gap.erase(gap.begin() + 1);                             // misses February
  const TSeries touching = Monthly(2020, 3, {5.0, 6.0});  // shares only 31 March
  const TSeries single = Monthly(2020, 1, {5.0});
  const TSeries inputs[] = {gap, touching, TSeries{}};
  for (const TSeries& b : inputs) {
    SCOPED_TRACE(testing::Message() << "b of " << b.size() << " points");
    EXPECT_TRUE(MultiplySeries(a, b, true, false).empty());
    EXPECT_TRUE(MultiplySeries(b, a, true, false).empty());
    EXPECT_TRUE(ProductSeriesReturns(a, b).empty());
    EXPECT_TRUE(ConditionalReturns(a, b, true).empty());
    EXPECT_TRUE(AlignSeriesOnCommonRange(a, b).empty());
    EXPECT_TRUE(HedgedReturns(a, b, a, a, 0.0).empty());
    EXPECT_TRUE(HedgedReturns(a, a, a, b, 0.0).empty());
  }
  // Two single points on the same date have no common range.
  EXPECT_TRUE(MultiplySeries(single, single, true, false).empty());
}

// The aligned operations pair the cuts that SliceSeries gives, by position,
// whether the cuts are runs of ascending series or points picked one by one
// from series whose dates are out of order or not numbers in one place.
TEST(SeriesArithmeticTest, AlignedOperationsPairTheCutsOfAnySeries) {
  std::mt19937_64 rng(7);
  const TSeries a = RandomLevels(rng, 11);
  const TSeries b = RandomLevels(rng, 11);
  std::vector<TSeries> variants{b};
  for (std::size_t j = 0; j < b.size(); ++j)
    for (double date : {b.front().Date - 400.0, kNaN, b[j].Date + 45.0}) {
      TSeries broken = b;
      broken[j].Date = date;
      variants.push_back(broken);
    }
  for (const TSeries& other : variants) {
    const auto range = GetCommonDateRange(a, other);
    const TSeries ca = SliceSeries(a, range[0], range[1]);
    const TSeries cb = SliceSeries(other, range[0], range[1]);
    const bool pairs = !ca.empty() && ca.size() == cb.size();
    TSeries product;
    TSeries aligned;
    TSeries returns;
    for (std::size_t i = 0; pairs && i < ca.size(); ++i) {
      product.push_back({ca[i].Date, ca[i].Value * (1.0 / cb[i].Value)});
      aligned.push_back({ca[i].Date, cb[i].Value});
      if (i == 0) continue;
      returns.push_back({ca[i].Date, (ca[i].Value * cb[i].Value) / (ca[i - 1].Value * cb[i - 1].Value) - 1.0});
    }
    EXPECT_EQ(MultiplySeries(a, other, true, true), product);
    EXPECT_EQ(AlignSeriesOnCommonRange(a, other), aligned);
    EXPECT_EQ(ProductSeriesReturns(a, other), returns);
    TSeries signal = other;
    for (std::size_t i = 0; i < signal.size(); ++i) signal[i].Value = i % 2 == 0 ? 1.0 : 0.0;
    const TSeries cs = SliceSeries(signal, range[0], range[1]);
    TSeries expectedOn;
    for (std::size_t i = 1; pairs && i < ca.size(); ++i)
      if (cs[i - 1].Value == 1.0) expectedOn.push_back({ca[i].Date, ca[i].Value / ca[i - 1].Value - 1.0});
    EXPECT_EQ(ConditionalReturns(a, signal, true), expectedOn);
    // With the roles swapped: the broken series gives the dates.
    TSeries swapped;
    for (std::size_t i = 0; pairs && i < ca.size(); ++i) swapped.push_back({cb[i].Date, ca[i].Value});
    EXPECT_EQ(AlignSeriesOnCommonRange(other, a), swapped);
  }
}

TEST(SeriesArithmeticTest, ConditionalReturnsKeepPeriodsByOpeningSignal) {
  const TSeries prices = Monthly(2020, 1, {100.0, 110.0, 99.0, 99.0, 108.9});
  const TSeries signal = Monthly(2020, 1, {1.0, 0.0, 1.0, 0.5, 0.0});
  const TSeries on = ConditionalReturns(prices, signal, true);
  ExpectValuesNear(on, {0.1, 0.0});
  EXPECT_EQ(Dates(on), (std::vector<double>{prices[1].Date, prices[3].Date}));
  const TSeries off = ConditionalReturns(prices, signal, 0.123, false);
  ExpectValuesNear(off, {-0.1});
  EXPECT_EQ(Dates(off), (std::vector<double>{prices[2].Date}));
}

TEST(SeriesArithmeticTest, HedgedReturnsAddConvertedExcessReturnToTargetCash) {
  // asset and fx Jan..Mar, cash Feb..Apr: the window is Feb..Mar.
  const TSeries asset = Monthly(2020, 1, {50.0, 100.0, 110.0});
  const TSeries fx = Monthly(2020, 1, {7.0, 1.0, 1.2});
  const TSeries local = Monthly(2020, 2, {100.0, 101.0, 999.0});
  const TSeries target = Monthly(2020, 2, {100.0, 102.0, 999.0});
  // rA 0.1, rL 0.01, rT 0.02 - 0.005: 0.015 + 0.09 * 1.2 = 0.123
  const TSeries r = HedgedReturns(asset, fx, local, target, 0.005);
  ExpectValuesNear(r, {0.123});
  EXPECT_EQ(Dates(r), (std::vector<double>{asset[2].Date}));
}

TEST(SeriesArithmeticTest, ScaleSeriesPairsByPositionOnly) {
  const TSeries a = Monthly(2020, 1, {1.0, 2.0});
  const TSeries b = Monthly(2021, 6, {3.0, 4.0});
  const TSeries scaled = ScaleSeries(a, b);
  ExpectValuesNear(scaled, {3.0, 8.0});
  EXPECT_EQ(Dates(scaled), Dates(a));
  EXPECT_TRUE(ScaleSeries(a, Monthly(2020, 1, {1.0})).empty());
  EXPECT_TRUE(ScaleSeries({}, {}).empty());
}

// ---------------------------------------------------------------- index and drawdown

TEST(SeriesArithmeticTest, ReturnsToIndexStartsOnePeriodBeforeTheFirstReturn) {
  struct Case {
    int frequency;
    double firstReturnDate;
    double expectedStart;
  };
  const Case cases[] = {
      {0, EncodeDate(2016, 2, 29), EncodeDate(2016, 1, 31)},
      {7, EncodeDate(2016, 3, 31), EncodeDate(2016, 2, 29)},  // unknown code: monthly
      {1, EncodeDate(2016, 1, 8), EncodeDate(2016, 1, 1)},
      {2, EncodeDate(2016, 1, 4), EncodeDate(2016, 1, 1)},  // Monday -> Friday
      {2, EncodeDate(2016, 1, 5), EncodeDate(2016, 1, 4)},  // Tuesday -> Monday
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "frequency " << c.frequency);
    const TSeries index = ReturnsToIndex({{c.firstReturnDate, 0.1}, {c.firstReturnDate + 7.0, -0.1}}, c.frequency);
    ASSERT_EQ(index.size(), 3u);
    EXPECT_EQ(index[0].Date, c.expectedStart);
    EXPECT_EQ(index[1].Date, c.firstReturnDate);
    ExpectValuesNear(index, {1.0, 1.1, 0.99});
  }
  EXPECT_TRUE(ReturnsToIndex({}, 0).empty());
}

TEST(SeriesArithmeticTest, DrawdownSeriesMeasuresFallBelowRunningPeak) {
  const TSeries returns = Monthly(2020, 2, {0.10, -0.10, 0.05});
  const TSeries dd = DrawdownSeries(returns, 0);
  // index 1.1, 0.99, 1.0395 against peak 1.1
  ExpectValuesNear(dd, {0.0, 0.0, -0.10, -0.055});
  EXPECT_EQ(dd[0].Date, MonthEnd(2020, 1));
  // A loss in the first period is a drawdown from the starting 1.0.
  ExpectValuesNear(DrawdownSeries(Monthly(2020, 2, {-0.2}), 0), {0.0, -0.2});
  EXPECT_TRUE(DrawdownSeries({}, 0).empty());
}

// ---------------------------------------------------------------- rolling one-year windows

TEST(SeriesArithmeticTest, RollingOneYearReturnsCompoundTwelveMonthEnds) {
  std::vector<double> values(14, 0.01);
  values[0] = 0.5;  // only in the first window
  const TSeries returns = Monthly(2000, 1, values);
  const TSeries rolling = RollingOneYearReturns(returns);
  ASSERT_EQ(rolling.size(), 3u);
  EXPECT_EQ(rolling[0].Date, EncodeDate(2000, 12, 31));
  EXPECT_NEAR(rolling[0].Value, 1.5 * std::pow(1.01, 11) - 1.0, 1e-12);
  EXPECT_NEAR(rolling[1].Value, std::pow(1.01, 12) - 1.0, 1e-12);
  EXPECT_NEAR(rolling[2].Value, std::pow(1.01, 12) - 1.0, 1e-12);
  EXPECT_EQ(rolling[2].Date, returns.back().Date);
  // Nothing after one year: no window.
  EXPECT_TRUE(RollingOneYearReturns(Monthly(2000, 1, std::vector<double>(12, 0.01))).empty());
  EXPECT_TRUE(RollingOneYearReturns({}).empty());
}

TEST(SeriesArithmeticTest, RollingWindowsStartAfterTheFirstDayOfTheMonthAYearLater) {
  // First date 15 Mar 2010: the boundary is 1 Mar 2011, and a point dated on it
  // is not after it. j = 2 (2 Mar 2011), k = 1: windows of two points.
  const TSeries returns{{EncodeDate(2010, 3, 15), 0.1},
                        {EncodeDate(2011, 3, 1), 0.2},
                        {EncodeDate(2011, 3, 2), -0.5},
                        {EncodeDate(2011, 3, 3), 0.0}};
  const TSeries rolling = RollingOneYearReturns(returns);
  EXPECT_EQ(Dates(rolling), (std::vector<double>{returns[1].Date, returns[2].Date, returns[3].Date}));
  ExpectValuesNear(rolling, {1.1 * 1.2 - 1.0, 1.2 * 0.5 - 1.0, -0.5});
  // Windows {0.1, 0.2}, {0.2, -0.5}, {-0.5, 0.0}: half their spread times sqrt(260).
  ExpectValuesNear(RollingOneYearVolatility(returns, 2),
                   {0.05 * std::sqrt(260.0), 0.35 * std::sqrt(260.0), 0.25 * std::sqrt(260.0)});
}

TEST(SeriesArithmeticTest, RollingOneYearVolatilityOfTheSameWindows) {
  std::vector<double> values;
  for (int i = 0; i < 13; ++i) values.push_back(i % 2 == 0 ? 0.01 : -0.01);
  const TSeries rolling = RollingOneYearVolatility(Monthly(2000, 1, values), 0);
  // 12-point windows of +-0.01: mean 0, standard deviation 0.01.
  ExpectValuesNear(rolling, {0.01 * std::sqrt(12.0), 0.01 * std::sqrt(12.0)});
  const TSeries weekly = RollingOneYearVolatility(Monthly(2000, 1, values), 1);
  ExpectValuesNear(weekly, {0.01 * std::sqrt(52.0), 0.01 * std::sqrt(52.0)});
  // A constant window has exactly zero volatility.
  for (const TDataPoint& p : RollingOneYearVolatility(Monthly(2000, 1, std::vector<double>(20, 0.1)), 2)) {
    EXPECT_EQ(p.Value, 0.0);
  }
}

// Direct computation of one trailing window: the points dated in [from, to].
template <typename TFigure>
double DirectWindow(const TSeries& s, double from, double to, TFigure figure) {
  std::vector<double> w;
  for (const TDataPoint& p : s) {
    if (from <= p.Date && p.Date <= to) w.push_back(p.Value);
  }
  return figure(w);
}

TEST(SeriesArithmeticTest, RollingWindowsMatchDirectComputationOnDailyDataWithRepeatedDates) {
  std::mt19937_64 rng(7);
  std::normal_distribution<double> noise(0.0, 0.01);
  std::uniform_int_distribution<int> gap(0, 3);  // 0 repeats a date
  TSeries returns;
  double date = EncodeDate(2010, 3, 15);
  for (int i = 0; i < 900; ++i) {
    returns.push_back({date, noise(rng)});
    date += gap(rng);
  }
  const TSeries product = RollingOneYearReturns(returns);
  const TSeries volatility = RollingOneYearVolatility(returns, 2);
  ASSERT_FALSE(product.empty());
  ASSERT_EQ(product.size(), volatility.size());
  const std::size_t k = returns.size() - product.size();
  for (std::size_t i = k; i < returns.size(); ++i) {
    const double from = returns[i - k].Date;
    const double to = returns[i].Date;
    const double expectedProduct = DirectWindow(returns, from, to, [](const std::vector<double>& w) {
      double g = 1.0;
      for (double v : w) g *= 1.0 + v;
      return g - 1.0;
    });
    const double expectedVolatility = DirectWindow(returns, from, to, [](const std::vector<double>& w) {
      double mean = 0.0;
      for (double v : w) mean += v;
      mean /= static_cast<double>(w.size());
      double m2 = 0.0;
      for (double v : w) m2 += (v - mean) * (v - mean);
      return std::sqrt(m2 / static_cast<double>(w.size()) * 260.0);
    });
    ASSERT_EQ(product[i - k].Date, to);
    ASSERT_NEAR(product[i - k].Value, expectedProduct, 1e-12) << "window ending at " << i;
    ASSERT_NEAR(volatility[i - k].Value, expectedVolatility, 1e-12) << "window ending at " << i;
  }
}

// The trailing windows the plain way, as the reference for the bits of the
// rolling figures: one walk over the points keeps the run [lo, hi) of each
// window as a front part [lo, mid), read from suffix aggregates stored when the
// back part [mid, hi) became the front part, and the back part folded as the
// run grows. Every figure must come out of the same operations in this order.
template <typename TAgg, typename TLift, typename TCombine, typename TFigure>
TSeries ReferenceRolling(const TSeries& s, TAgg identity, TLift lift, TCombine combine, TFigure figure) {
  const std::size_t n = s.size();
  if (n == 0) return {};
  const platform::CivilDate first = platform::DecodeDate(s.front().Date);
  const double boundary = EncodeDate(first.Year + 1, first.Month, 1);
  std::size_t j = 0;
  while (j < n && !(s[j].Date > boundary)) ++j;
  if (j == 0 || j == n) return {};
  const std::size_t k = j - 1;
  std::vector<TAgg> suffix(n);
  TAgg back = identity;
  std::size_t lo = 0;
  std::size_t mid = 0;
  std::size_t hi = 0;
  TSeries out;
  for (std::size_t i = k; i < n; ++i) {
    while (hi < n && (hi <= i || s[hi].Date <= s[i].Date)) back = combine(back, lift(s[hi++].Value));
    while (lo < i - k && !(s[lo].Date >= s[i - k].Date) && lo != hi) {
      if (lo == mid) {
        TAgg acc = identity;
        for (std::size_t p = hi; p > lo; --p) suffix[p - 1] = acc = combine(lift(s[p - 1].Value), acc);
        mid = hi;
        back = identity;
      }
      ++lo;
    }
    out.push_back({s[i].Date, figure(combine(lo < mid ? suffix[lo] : identity, back))});
  }
  return out;
}

TSeries ReferenceRollingReturns(const TSeries& s) {
  return ReferenceRolling(
      s, 1.0, [](double r) { return 1.0 + r; }, [](double x, double y) { return x * y; },
      [](double growth) { return growth - 1.0; });
}

// (count, mean, M2) merged pairwise.
using TMoments = std::array<double, 3>;
TSeries ReferenceRollingVolatility(const TSeries& s, double periods) {
  return ReferenceRolling(
      s, TMoments{},
      [](double v) {
        return TMoments{1.0, v, 0.0};
      },
      [](const TMoments& x, const TMoments& y) {
        if (x[0] == 0.0) return y;
        if (y[0] == 0.0) return x;
        const double n = x[0] + y[0];
        const double d = y[1] - x[1];
        return TMoments{n, x[1] + d * y[0] / n, x[2] + y[2] + d * d * x[0] * y[0] / n};
      },
      [periods](const TMoments& m) {
        return m[0] == 0.0 ? kNoFigure : std::sqrt(std::max(m[2], 0.0) / m[0]) * std::sqrt(periods);
      });
}

void ExpectSameBits(const TSeries& actual, const TSeries& expected, const std::string& what) {
  ASSERT_EQ(actual.size(), expected.size()) << what;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(std::bit_cast<std::uint64_t>(actual[i].Date), std::bit_cast<std::uint64_t>(expected[i].Date))
        << what << ", point " << i;
    ASSERT_EQ(std::bit_cast<std::uint64_t>(actual[i].Value), std::bit_cast<std::uint64_t>(expected[i].Value))
        << what << ", point " << i << ": " << actual[i].Value << " against " << expected[i].Value;
  }
}

TEST(SeriesArithmeticTest, RollingWindowsGiveTheBitsOfThePlainWalk) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  // Dates: business days (k = 250 from 17 Apr 2003), month ends (k = 11), a
  // first point a year before the rest, which follow day by day (k = 0:
  // windows of one point), or business days where every third point repeats
  // the date before. Window counts around the places where the walk's parts
  // change, in pieces of L = k + 2 points.
  enum class Grid { Business, MonthEnds, LoneFirst, Repeated };
  struct Case {
    Grid grid;
    std::size_t windows;                                  // as a number of points beyond k, before L multiples below
    std::size_t pieces;                                   // plus this many times L
    std::vector<std::pair<std::size_t, double>> special;  // values put at some places
    std::size_t nanDateAt = 0;                            // 0: every date a number
    std::size_t repeatAt = 0;                             // 0: no date repeats the one before
  };
  const std::vector<Case> cases{
      {Grid::Business, 1, 0, {}},  // no point after a year: no window
      {Grid::Business, 2, 0, {}},  // the least: two windows
      {Grid::Business, 3, 0, {}},
      {Grid::Business, 0, 1, {}},  // the first piece's windows exactly
      {Grid::Business, 1, 1, {}},
      {Grid::Business, 2, 1, {}},
      {Grid::Business, 0, 3, {}},
      {Grid::Business, 1, 3, {{5, 0.0}, {6, -0.0}, {400, -1.0}}},
      {Grid::Business, 3, 3, {{300, kNaN}, {301, kNaN}}},
      {Grid::Business, 200, 2, {{0, kInf}, {600, -kInf}}},
      {Grid::Business, 101, 2, {{100, 1e300}, {101, -1e300}, {500, 1e-300}}},
      {Grid::MonthEnds, 1, 0, {}},
      {Grid::MonthEnds, 2, 0, {}},
      {Grid::MonthEnds, 3, 0, {}},
      {Grid::MonthEnds, 0, 1, {}},
      {Grid::MonthEnds, 1, 1, {}},
      {Grid::MonthEnds, 3, 5, {}},
      {Grid::MonthEnds, 5, 30, {{3, kNaN}, {200, -1.0}}},
      {Grid::LoneFirst, 2, 0, {}},
      {Grid::LoneFirst, 3, 0, {}},
      {Grid::LoneFirst, 1, 1, {}},
      {Grid::LoneFirst, 0, 4, {{4, kNaN}}},
      {Grid::LoneFirst, 1, 4, {}},
      {Grid::Repeated, 1, 3, {{50, kNaN}}},
      {Grid::Business, 7, 2, {}, 300},
      {Grid::Business, 7, 2, {}, 0, 700},  // a repeat after the first window
      {Grid::Business, 7, 2, {}, 0, 100},  // and one within it
  };
  std::mt19937_64 rng(11);
  std::normal_distribution<double> noise(0.0003, 0.012);
  for (const Case& c : cases) {
    const std::size_t k = c.grid == Grid::Business ? 250 : c.grid == Grid::MonthEnds ? 11 : 0;
    std::size_t n = k + c.windows + c.pieces * (k + 2);
    if (c.grid == Grid::Repeated) n = 1000;
    TSeries s;
    double date = EncodeDate(2003, 4, 17);
    for (std::size_t i = 0; i < n; ++i) {
      if (c.grid == Grid::MonthEnds) date = MonthEnd(2003, 4 + static_cast<int>(i));
      if (c.grid == Grid::LoneFirst && i == 1) date = EncodeDate(2004, 4, 2);
      if (c.grid == Grid::Business || c.grid == Grid::Repeated) {
        while (platform::DayOfWeek(date) == 1 || platform::DayOfWeek(date) == 7) date += 1.0;
      }
      if (c.grid == Grid::Repeated && i % 3 == 2) date = s.back().Date;
      s.push_back({date, noise(rng)});
      date += 1.0;
    }
    for (const auto& [place, value] : c.special) s[place].Value = value;
    if (c.nanDateAt > 0) s[c.nanDateAt].Date = kNaN;
    if (c.repeatAt > 0) s[c.repeatAt].Date = s[c.repeatAt - 1].Date;
    const std::string what = "grid " + std::to_string(static_cast<int>(c.grid)) + ", " + std::to_string(n) + " points";
    if (c.grid != Grid::Repeated && c.nanDateAt == 0 && c.repeatAt == 0) {
      // The grid gives the k above (no window without a point beyond k + 1).
      ASSERT_EQ(ReferenceRollingReturns(s).size(), n >= k + 2 ? n - k : 0) << what;
    }
    // The same values, once more with a constant stretch and once all equal.
    TSeries flat = s;
    for (std::size_t i = n / 3; i < n / 2; ++i) flat[i].Value = 0.004;
    TSeries equal = s;
    for (TDataPoint& p : equal) p.Value = 0.004;
    for (const auto& [series, name] : {std::pair{&s, ""}, std::pair{&flat, " flat"}, std::pair{&equal, " equal"}}) {
      ExpectSameBits(RollingOneYearReturns(*series), ReferenceRollingReturns(*series), what + name);
      TSeries into{{1.0, 2.0}, {3.0, 4.0}};  // storage that held other points
      RollingOneYearReturnsInto(into, *series);
      ExpectSameBits(into, ReferenceRollingReturns(*series), what + name + " into");
      for (const int frequency : {0, 2}) {
        ExpectSameBits(RollingOneYearVolatility(*series, frequency),
                       ReferenceRollingVolatility(*series, PeriodsPerYear(frequency)),
                       what + name + " volatility " + std::to_string(frequency));
      }
    }
  }
}

// ---------------------------------------------------------------- two-leg blends

TEST(SeriesArithmeticTest, SwitchBlendsChargeWeightMoves) {
  const TSeries a = Monthly(2020, 2, {0.01, 0.02});
  const TSeries b = Monthly(2020, 2, {0.03, 0.04});
  const TSeries p = Monthly(2020, 1, {1.0, 0.0, 0.0});
  const TSeries x = Monthly(2020, 2, {2.0, 3.0});
  // f = 1: w = 1, 0, 0; the first period pays c1 + c2 = 0.003, the second nothing.
  const TSeries full = SwitchReturnsWithCost(a, b, p, 1.0, 0.001, 0.002);
  ExpectValuesNear(full, {0.007, 0.04});
  EXPECT_EQ(Dates(full), Dates(a));
  // f = 0.5: w = 1, 0.5, 0.5
  ExpectValuesNear(SwitchReturnsWithCost(a, b, p, 0.5, 0.001, 0.002), {0.0085, 0.03});
  ExpectValuesNear(SwitchReturnsWithCost3(a, b, p, x, 1.0, 0.001, 0.002), {0.014, 0.12});
  // w = s(P1) s(P2) = 1, 0.5, 0.25
  const TSeries p2 = Monthly(2020, 1, {1.0, 1.0, 0.0});
  ExpectValuesNear(DoubleSwitchReturnsWithCost(a, b, p, p2, 0.5, 0.5, 0.001, 0.002), {0.0085, 0.02925});
  // A move up costs as much as a move down: w = 0, 1, 1.
  ExpectValuesNear(SwitchReturnsWithCost(a, b, Monthly(2020, 1, {0.0, 1.0, 1.0}), 1.0, 0.001, 0.002), {0.027, 0.02});
}

TEST(SeriesArithmeticTest, AllocationBlendsUseWeightsAsGiven) {
  const TSeries a = Monthly(2020, 2, {0.01, 0.02});
  const TSeries b = Monthly(2020, 2, {0.03, 0.04});
  const TSeries w = Monthly(2020, 1, {0.6, 0.61, 0.61});
  // 0.6 * 0.01 + 0.4 * 0.03 = 0.018; 0.61 * 0.02 + 0.39 * 0.04 = 0.0278
  ExpectValuesNear(AllocationReturns(a, b, w), {0.018, 0.0278});
  // A move of 0.01 costs the full c1 + c2.
  ExpectValuesNear(AllocationReturnsWithCost(a, b, w, 0.001, 0.002), {0.015, 0.0278});
}

TEST(SeriesArithmeticTest, BlendsRejectLengthsThatDoNotFit) {
  const TSeries two = Monthly(2020, 2, {0.01, 0.02});
  const TSeries three = Monthly(2020, 1, {1.0, 0.0, 1.0});
  const TSeries one = Monthly(2020, 2, {0.01});
  EXPECT_TRUE(SwitchReturnsWithCost(two, two, two, 1.0, 0.0, 0.0).empty());    // positions not n + 1
  EXPECT_TRUE(SwitchReturnsWithCost(two, one, three, 1.0, 0.0, 0.0).empty());  // |A| != |B|
  EXPECT_TRUE(SwitchReturnsWithCost({}, {}, one, 1.0, 0.0, 0.0).empty());
  EXPECT_TRUE(SwitchReturnsWithCost3(two, two, three, one, 1.0, 0.0, 0.0).empty());  // |X| != n
  EXPECT_TRUE(DoubleSwitchReturnsWithCost(two, two, three, two, 1.0, 1.0, 0.0, 0.0).empty());
  EXPECT_TRUE(AllocationReturns(two, two, two).empty());
  EXPECT_TRUE(AllocationReturnsWithCost(two, two, Monthly(2020, 1, {1.0, 0.0, 1.0, 1.0}), 0.0, 0.0).empty());
}

TEST(SeriesArithmeticTest, PositionCostSeries) {
  const TSeries p = Monthly(2020, 1, {1.0, 0.0, 0.0});
  const TSeries r = Monthly(2020, 2, {10.0, 20.0});
  const TSeries factors = PositionCostFactors(p, r, 0.002);
  ExpectValuesNear(factors, {10.0, 19.96});
  EXPECT_EQ(Dates(factors), (std::vector<double>{p[1].Date, p[2].Date}));
  ExpectValuesNear(PositionChangeCosts(p, r, 0.002), {0.02, 0.0});
  // Moves between two non-zero positions cost nothing; back from 0 costs again.
  ExpectValuesNear(PositionChangeCosts(Monthly(2020, 1, {1.0, 0.5, 0.0, 1.0}), Monthly(2020, 2, {1.0, 1.0, 1.0}), 0.01),
                   {0.0, 0.01, 0.01});
  EXPECT_TRUE(PositionCostFactors(r, r, 0.002).empty());
  EXPECT_TRUE(PositionChangeCosts(Monthly(2020, 1, {1.0}), {}, 0.002).empty());
}

// ---------------------------------------------------------------- scalar figures

TEST(SeriesArithmeticTest, AnnualizedVolatilityByFrequencyCode) {
  const TSeries r = Monthly(2020, 1, {0.01, -0.01});  // standard deviation 0.01
  struct Case {
    int frequency;
    double periods;
  };
  const Case cases[] = {{0, 12.0}, {1, 52.0}, {2, 260.0}, {3, 12.0}, {-1, 12.0}};
  for (const Case& c : cases) {
    EXPECT_NEAR(AnnualizedVolatility(r, c.frequency), 0.01 * std::sqrt(c.periods), 1e-15) << c.frequency;
  }
  EXPECT_EQ(AnnualizedVolatility(Monthly(2020, 1, {0.1, 0.1, 0.1}), 2), 0.0);
  EXPECT_EQ(AnnualizedVolatility(Monthly(2020, 1, {0.3}), 0), 0.0);
  EXPECT_EQ(AnnualizedVolatility({}, 0), kNoFigure);
}

TEST(SeriesArithmeticTest, CompoundedReturn) {
  EXPECT_NEAR(CompoundedReturn(Monthly(2020, 1, {0.1, -0.1})), -0.01, 1e-15);
  EXPECT_EQ(CompoundedReturn({}), 0.0);
}

// ---------------------------------------------------------------- properties

TEST(SeriesArithmeticTest, ReturnsCompoundBackToTheLevels) {
  std::mt19937_64 rng(20261207);
  for (std::size_t n : {2u, 3u, 50u, 600u}) {
    const TSeries levels = RandomLevels(rng, n);
    const TSeries returns = ComputeReturns(levels, 0.0);
    const double ratio = levels.back().Value / levels.front().Value;
    EXPECT_NEAR(1.0 + CompoundedReturn(returns), ratio, 1e-12 * ratio) << n;
    const TSeries index = ReturnsToIndex(returns, 0);
    ASSERT_EQ(index.size(), levels.size());
    for (std::size_t i = 0; i < n; ++i) {
      const double expected = levels[i].Value / levels[0].Value;
      ASSERT_EQ(index[i].Date, levels[i].Date) << i;
      ASSERT_NEAR(index[i].Value, expected, 1e-12 * expected) << i;
    }
  }
}

TEST(SeriesArithmeticTest, NotANumberNeverHangsOrCrashes) {
  TSeries values = Monthly(2000, 1, std::vector<double>(30, 0.01));
  values[3].Value = kNaN;
  TSeries dates = values;
  dates[0].Date = kNaN;
  dates[10].Date = kNaN;
  const TSeries positions = Monthly(1999, 12, std::vector<double>(31, kNaN));
  for (const TSeries& s : {values, dates}) {
    EXPECT_LE(ComputeReturns(s, 0.0).size(), s.size());
    EXPECT_LE(MultiplySeries(s, values, true, false).size(), s.size());
    EXPECT_LE(ProductSeriesReturns(s, values).size(), s.size());
    EXPECT_LE(ConditionalReturns(s, s, true).size(), s.size());
    EXPECT_LE(HedgedReturns(s, s, values, s, 0.0).size(), s.size());
    EXPECT_LE(AlignSeriesOnCommonRange(values, s).size(), s.size());
    EXPECT_EQ(ReturnsToIndex(s, 2).size(), s.size() + 1);
    EXPECT_EQ(DrawdownSeries(s, 1).size(), s.size() + 1);
    EXPECT_LE(RollingOneYearReturns(s).size(), s.size());
    EXPECT_LE(RollingOneYearVolatility(s, 0).size(), s.size());
    EXPECT_EQ(SwitchReturnsWithCost(s, s, positions, 0.5, 0.0, 0.0).size(), s.size());
    EXPECT_EQ(PositionChangeCosts(positions, s, 0.1).size(), s.size());
  }
  EXPECT_EQ(AnnualizedVolatility(values, 0), kNoFigure);
  // The rolling figures recover once the value that is not a number leaves the window.
  const TSeries rolling = RollingOneYearReturns(values);
  ASSERT_FALSE(rolling.empty());
  EXPECT_TRUE(std::isnan(rolling.front().Value));
  EXPECT_NEAR(rolling.back().Value, std::pow(1.01, 12) - 1.0, 1e-12);
  const TSeries volatility = RollingOneYearVolatility(values, 0);
  EXPECT_EQ(volatility.back().Value, 0.0);
}

}  // namespace
