#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "common/SeriesHelpers.h"
#include "platform/DateTime.h"

namespace {

using platform::EncodeDate;

// SliceSeries and its in-place form keep the points within the closed range.
TEST(SeriesHelpersTest, SliceSeriesKeepsClosedRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const TSeries s{{1, 10}, {2, 20}, {3, 30}, {4, 40}};
  struct Case {
    TSeries series;
    double from, to;
    TSeries expected;
  };
  const Case cases[] = {
      {s, 2, 3, {{2, 20}, {3, 30}}},
      {s, 3, 3, {{3, 30}}},
      {s, 0, 100, s},
      {s, 3, 2, {}},
      {{}, 0, 100, {}},
      {s, nan, 100, {}},
      // Equal dates stay together; dates out of order or not a number are filtered one by one.
      {{{1, 1}, {2, 2}, {2, 3}, {3, 4}}, 2, 2, {{2, 2}, {2, 3}}},
      {{{3, 30}, {1, 10}, {2, 20}, {5, 50}}, 2, 4, {{3, 30}, {2, 20}}},
      {{{1, 10}, {nan, 20}, {3, 30}}, 0, 5, {{1, 10}, {3, 30}}},
      {{{nan, 20}, {3, 30}}, 0, 5, {{3, 30}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SliceSeries(c.series, c.from, c.to), c.expected) << c.from << ".." << c.to;
    TSeries inPlace = c.series;
    CutSeriesInPlace(inPlace, c.from, c.to);
    EXPECT_EQ(inPlace, c.expected) << c.from << ".." << c.to;
  }
}

// The points of `series` dated in [from, to], one by one: what every cut gives.
TSeries FilteredPoints(const TSeries& series, double from, double to) {
  TSeries kept;
  for (const TDataPoint& p : series)
    if (from <= p.Date && p.Date <= to) kept.push_back(p);
  return kept;
}

// Bit for bit: -0.0 and 0.0 differ, a NaN equals a NaN of the same bits.
bool SameBits(const TSeries& a, const TSeries& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::bit_cast<std::uint64_t>(a[i].Date) != std::bit_cast<std::uint64_t>(b[i].Date) ||
        std::bit_cast<std::uint64_t>(a[i].Value) != std::bit_cast<std::uint64_t>(b[i].Value))
      return false;
  return true;
}

// Every form of the cut on series of 1 to 14 points whose dates ascend but
// for one point, at each place in turn, dated earlier or not a number (the
// order check takes several points a step, then the rest one by one), and on
// the ascending series itself; targets holding the cut, other points or the
// cut with -0.0 for 0.0 all end up holding exactly the cut.
TEST(SeriesHelpersTest, EveryCutKeepsExactlyThePointsInRange) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (std::size_t n = 1; n <= 14; ++n) {
    TSeries ascending;
    for (std::size_t i = 0; i < n; ++i) ascending.push_back({10.0 + static_cast<double>(i), i % 3 == 0 ? 0.0 : 1.5});
    std::vector<TSeries> inputs{ascending};
    for (std::size_t j = 0; j < n; ++j)
      for (double date : {3.0, nan}) {
        TSeries broken = ascending;
        broken[j].Date = date;
        inputs.push_back(broken);
      }
    for (const TSeries& series : inputs)
      for (const auto& [from, to] : {std::pair{0.0, 100.0}, std::pair{11.0, 14.0}, std::pair{3.0, 12.0}}) {
        SCOPED_TRACE(testing::Message() << n << " points, [" << from << ", " << to << "]");
        const TSeries expected = FilteredPoints(series, from, to);
        EXPECT_TRUE(SameBits(SliceSeries(series, from, to), expected));
        TSeries scratch;
        const TSeriesSpan span = SliceSpan(series, from, to, scratch);
        EXPECT_TRUE(SameBits(TSeries(span.begin(), span.end()), expected));
        TSeries signedZero = expected;
        for (TDataPoint& p : signedZero)
          if (p.Value == 0.0) p.Value = -0.0;
        for (TSeries target : {expected, signedZero, ascending, TSeries{}}) {
          SliceSeriesInto(target, series, from, to);
          EXPECT_TRUE(SameBits(target, expected));
        }
        TSeries inPlace = series;
        CutSeriesInPlace(inPlace, from, to);
        EXPECT_TRUE(SameBits(inPlace, expected));
      }
  }
}

TEST(SeriesHelpersTest, ConvertedReturnsCompoundReturnAndCurrencyMove) {
  const TSeries a{{1, 100}, {2, 110}, {3, 99}, {4, 99}};
  const TSeries b{{1, 1.0}, {2, 1.2}, {3, 1.2}, {4, 0.9}};
  const TSeries r = ComputeConvertedReturns(a, b);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].Date, 2);
  EXPECT_NEAR(r[0].Value, 1.1 * 1.2 - 1.0, 1e-12);  // +10 % in a currency up 20 %
  EXPECT_EQ(r[1].Date, 3);
  EXPECT_NEAR(r[1].Value, -0.1, 1e-12);  // no currency move
  EXPECT_NEAR(r[2].Value, -0.25, 1e-12);  // flat asset, currency down 25 %
}

TEST(SeriesHelpersTest, ConvertedLevelsEqualLevelsTimesRate) {
  // Compounding the converted returns gives the converted level ratio.
  const TSeries a{{1, 100}, {2, 104}, {3, 97}, {4, 121}};
  const TSeries b{{1, 0.8}, {2, 0.85}, {3, 0.9}, {4, 0.7}};
  double level = 1.0;
  for (const TDataPoint& p : ComputeConvertedReturns(a, b)) level *= 1.0 + p.Value;
  EXPECT_NEAR(level, (121.0 * 0.7) / (100.0 * 0.8), 1e-12);
}

TEST(SeriesHelpersTest, ConvertedReturnsCutToCommonRange) {
  // A starts earlier than B: only the dates 2 and 3 are paired.
  const TSeries r = ComputeConvertedReturns({{1, 50}, {2, 100}, {3, 120}}, {{2, 2.0}, {3, 1.0}});
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Date, 3);
  EXPECT_DOUBLE_EQ(r[0].Value, 1.2 * 0.5 - 1.0);
}

TEST(SeriesHelpersTest, ConvertedReturnsWithZeroPreviousValues) {
  const TSeries r = ComputeConvertedReturns({{1, 0}, {2, 5}, {3, 10}}, {{1, 0}, {2, 2}, {3, 3}});
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].Value, 0.0);  // both previous values are 0.0: no return, no currency move
  EXPECT_DOUBLE_EQ(r[1].Value, 2.0 * 1.5 - 1.0);
  for (const TDataPoint& p : r) EXPECT_TRUE(std::isfinite(p.Value));
}

TEST(SeriesHelpersTest, ConvertedReturnsRejectsBadInput) {
  const TSeries a{{1, 100}, {2, 110}, {3, 99}};
  EXPECT_TRUE(ComputeConvertedReturns(a, {}).empty());
  EXPECT_TRUE(ComputeConvertedReturns({}, a).empty());
  // Different counts in the common range.
  EXPECT_TRUE(ComputeConvertedReturns(a, {{1, 1}, {3, 1}}).empty());
  // A single common date.
  EXPECT_TRUE(ComputeConvertedReturns(a, {{3, 1}, {4, 1}}).empty());
}

TEST(SeriesHelpersTest, HedgedReturns) {
  const TSeries a{{1, 100}, {2, 110}};
  const TSeries b{{1, 200}, {2, 202}};
  const TSeries c{{1, 1.0}, {2, 1.5}};
  const TSeries r = ComputeHedgedReturns(a, b, c, 0.01);
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Date, 2);
  EXPECT_NEAR(r[0].Value, (0.1 - 0.01 - 0.01) * 1.5, 1e-12);
  // Zero previous values make their factors 0.0: only the cost is left, converted by c.
  const TSeries z = ComputeHedgedReturns({{1, 0}, {2, 3}}, {{1, 0}, {2, 1}}, {{1, 2}, {2, 3}}, 0.02);
  ASSERT_EQ(z.size(), 1u);
  EXPECT_DOUBLE_EQ(z[0].Value, -0.02 * 1.5);
}

TEST(SeriesHelpersTest, HedgedReturnsRejectsBadInput) {
  const TSeries a{{1, 100}, {2, 110}, {3, 120}};
  const TSeries b{{1, 200}, {2, 202}, {3, 204}};
  EXPECT_TRUE(ComputeHedgedReturns(a, b, {}, 0.0).empty());
  EXPECT_TRUE(ComputeHedgedReturns({}, b, a, 0.0).empty());
  // The window holds three points of a and b but two of c.
  EXPECT_TRUE(ComputeHedgedReturns(a, b, {{1, 1}, {3, 1}}, 0.0).empty());
  // No overlap between a and c.
  EXPECT_TRUE(ComputeHedgedReturns(a, b, {{5, 1}, {6, 1}}, 0.0).empty());
}

TEST(SeriesHelpersTest, DescendingOrder) {
  using Order = std::vector<std::int32_t>;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    std::vector<double> Values;
    Order Expected;
  };
  const Case cases[] = {
      {{1.0, 3.0, 3.0, 2.0}, {2, 1, 3, 0}},
      {{}, {}},
      {{-1.0, -1.0, 0.5}, {2, 1, 0}},
      {{kNoFigure, 5.0}, {1, 0}},
      {{nan, kNoFigure}, {1, 0}},  // exactly -1000000.0 still takes part
      // Values that can never be picked follow in index order.
      {{nan, 1.0, -2.0e6, 1.0}, {3, 1, 0, 2}},
  };
  for (const Case& c : cases) EXPECT_EQ(GetDescendingOrder(c.Values), c.Expected);
}

// Sorting from any start order, and ranking members from the order of the
// date before, give GetDescendingOrder's order: values with ties, NaN and
// values below -1000000.0, starts that are the answer, its reverse, a
// rotation, or no order of the indices at all.
TEST(SeriesHelpersTest, DescendingOrderFromAStartOrder) {
  using Order = std::vector<std::int32_t>;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<std::vector<double>> valueSets{
      {}, {2.0}, {1.0, 3.0, 3.0, 2.0, nan, -2.0e6, 3.0, kNoFigure}, {5.0, 4.0, 3.0, 2.0, 1.0, 0.0, -1.0, -2.0, -3.0}};
  for (const std::vector<double>& values : valueSets) {
    const Order expected = GetDescendingOrder(values);
    const std::size_t n = values.size();
    Order reversed(expected.rbegin(), expected.rend());
    Order rotated = expected;
    if (n > 1) std::rotate(rotated.begin(), rotated.begin() + 1, rotated.end());
    Order repeated(n, 0);
    for (Order start : {expected, reversed, rotated, repeated, Order{7, -1}, Order{}}) {
      SortDescendingOrder(values, start);
      EXPECT_EQ(start, expected) << n << " values";
    }
  }
  // Lines 0..5 of which the members 1, 2, 4, 5 have values at one date; the
  // order of the date before held lines 5, 3 and 1.
  const std::vector<double> values{2.0, nan, 2.0, 7.0};
  const std::vector<std::size_t> members{1, 2, 4, 5};
  std::vector<std::size_t> previous{5, 3, 1};
  std::vector<std::int32_t> place(6, -1);
  Order order{9, 9};
  RankMembers(values, members, order, previous, place);
  EXPECT_EQ(order, GetDescendingOrder(values));
  EXPECT_EQ(previous, (std::vector<std::size_t>{5, 4, 1, 2}));  // NaN last
  EXPECT_EQ(place, std::vector<std::int32_t>(6, -1));
}

TEST(SeriesHelpersTest, PrependSeries) {
  const TSeries a{{1, 1}, {2, 2}, {3, 3}};
  const TSeries b{{2, 20}, {4, 40}};
  EXPECT_EQ(PrependSeries(a, b), (TSeries{{1, 1}, {2, 20}, {4, 40}}));
  EXPECT_EQ(PrependSeries(a, {}), a);
  EXPECT_EQ(PrependSeries({}, b), b);
  EXPECT_EQ(PrependSeries(b, a), a);  // nothing of b is dated before 1
}

// Countries whose "QVSIGNAL" series gives the grid of month ends Jan..Jun 2000.
std::vector<TCountry> GridCountries() {
  TCountry country;
  TAssetSeries signal;
  signal.ID = "QVSIGNAL";
  for (int month = 1; month <= 6; ++month)
    signal.Series.push_back({EncodeDate(2000, month, platform::DaysInMonth(2000, month)), 1.0});
  country.SignalAssets.push_back(signal);
  return {country, country};
}

TEST(SeriesHelpersTest, ExtendSeriesToSignalGrid) {
  const std::vector<TCountry> countries = GridCountries();
  TSeries s{{EncodeDate(2000, 3, 31), 7.0}, {EncodeDate(2000, 4, 30), 8.0}};
  ExtendSeriesToSignalGrid(countries, s);
  EXPECT_EQ(s, (TSeries{{EncodeDate(2000, 1, 31), 0.0},
                        {EncodeDate(2000, 2, 29), 0.0},
                        {EncodeDate(2000, 3, 31), 7.0},
                        {EncodeDate(2000, 4, 30), 8.0}}));
  const TSeries once = s;
  ExtendSeriesToSignalGrid(countries, s);
  EXPECT_EQ(s, once);

  TSeries empty;
  ExtendSeriesToSignalGrid(countries, empty);
  EXPECT_TRUE(empty.empty());
  TSeries untouched{{1.0, 1.0}};
  ExtendSeriesToSignalGrid({}, untouched);
  EXPECT_EQ(untouched, (TSeries{{1.0, 1.0}}));
}

struct DatedRecord {
  double Date = 0.0;
  double TotalWeight = 0.0;
  std::vector<std::string> Items;
};

TEST(SeriesHelpersTest, ExtendRecordsToSignalGrid) {
  std::vector<DatedRecord> records{{EncodeDate(2000, 2, 29), 1.0, {"USA"}}};
  ExtendSeriesToSignalGrid(GridCountries(), records);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].Date, EncodeDate(2000, 1, 31));
  EXPECT_EQ(records[0].TotalWeight, 0.0);
  EXPECT_TRUE(records[0].Items.empty());
  EXPECT_EQ(records[1].Items, std::vector<std::string>{"USA"});
}

}  // namespace
