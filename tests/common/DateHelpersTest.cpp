#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/DateHelpers.h"
#include "platform/DateTime.h"

namespace {

using platform::EncodeDate;

// One period step: GetPreviousPeriodDate (align false) or AlignToPeriodEnd (align true).
struct PeriodCase {
  const char* Name;
  bool Align;
  double Date;
  int Frequency;
  double Expected;
};

TEST(DateHelpersTest, PeriodStepsForEachFrequency) {
  const PeriodCase cases[] = {
      {"Monday to Friday", false, EncodeDate(2015, 1, 5), kFrequencyDaily, EncodeDate(2015, 1, 2)},
      {"keeps time of day", false, EncodeDate(2015, 1, 5) + 0.5, kFrequencyDaily, EncodeDate(2015, 1, 2) + 0.5},
      {"Sunday to Saturday", false, EncodeDate(2015, 1, 4), kFrequencyDaily, EncodeDate(2015, 1, 3)},
      {"weekly", false, EncodeDate(2015, 1, 14) + 0.25, kFrequencyWeekly, EncodeDate(2015, 1, 7) + 0.25},
      {"March 2016", false, EncodeDate(2016, 3, 17), kFrequencyMonthly, EncodeDate(2016, 2, 29)},
      {"March 2000", false, EncodeDate(2000, 3, 1), kFrequencyMonthly, EncodeDate(2000, 2, 29)},
      {"March 1900", false, EncodeDate(1900, 3, 31), kFrequencyMonthly, EncodeDate(1900, 2, 28)},
      {"March 2015", false, EncodeDate(2015, 3, 10), kFrequencyMonthly, EncodeDate(2015, 2, 28)},
      {"drops time", false, EncodeDate(2024, 1, 1) + 0.75, kFrequencyMonthly, EncodeDate(2023, 12, 31)},
      {"code 7 is monthly", false, EncodeDate(2023, 5, 20), 7, EncodeDate(2023, 4, 30)},
      {"code -1 is monthly", false, EncodeDate(2023, 5, 20), -1, EncodeDate(2023, 4, 30)},
      {"daily Sunday", true, EncodeDate(2015, 1, 4), kFrequencyDaily, EncodeDate(2015, 1, 2)},
      {"daily Saturday", true, EncodeDate(2015, 1, 3), kFrequencyDaily, EncodeDate(2015, 1, 2)},
      {"daily Wednesday", true, EncodeDate(2015, 1, 7) + 0.5, kFrequencyDaily, EncodeDate(2015, 1, 7) + 0.5},
      {"weekly Friday", true, EncodeDate(2015, 1, 2), kFrequencyWeekly, EncodeDate(2015, 1, 2)},
      {"weekly Thursday", true, EncodeDate(2015, 1, 8), kFrequencyWeekly, EncodeDate(2015, 1, 2)},
      {"weekly Saturday", true, EncodeDate(2015, 1, 3), kFrequencyWeekly, EncodeDate(2015, 1, 2)},
      {"align monthly", true, EncodeDate(2024, 3, 4), kFrequencyMonthly, EncodeDate(2024, 2, 29)},
  };
  for (const PeriodCase& c : cases) {
    const double result = c.Align ? AlignToPeriodEnd(c.Date, c.Frequency) : GetPreviousPeriodDate(c.Date, c.Frequency);
    EXPECT_EQ(result, c.Expected) << c.Name;
  }
}

TEST(DateHelpersTest, MonthBoundsIncludingLeapYears) {
  struct Case {
    double Date;
    double End;
  };
  const Case cases[] = {
      {EncodeDate(2024, 2, 2), EncodeDate(2024, 2, 29)},
      {EncodeDate(2023, 2, 28), EncodeDate(2023, 2, 28)},
      {EncodeDate(1900, 2, 1), EncodeDate(1900, 2, 28)},
      {EncodeDate(2000, 2, 15), EncodeDate(2000, 2, 29)},
      {EncodeDate(2023, 4, 1), EncodeDate(2023, 4, 30)},
      {EncodeDate(2023, 12, 15) + 0.3, EncodeDate(2023, 12, 31)},
      {kMissingDate, 32.0},
  };
  for (const Case& c : cases) EXPECT_EQ(GetEndOfMonth(c.Date), c.End) << c.Date;
  EXPECT_EQ(GetStartOfMonth(EncodeDate(2024, 2, 29) + 0.5), EncodeDate(2024, 2, 1));
  EXPECT_EQ(GetStartOfMonth(kMissingDate), kMissingDate);
}

TEST(DateHelpersTest, NonFiniteDatesComeBackUnchanged) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (int frequency : {0, 1, 2}) {
    EXPECT_TRUE(std::isnan(GetPreviousPeriodDate(nan, frequency)));
    EXPECT_TRUE(std::isnan(AlignToPeriodEnd(nan, frequency)));
    EXPECT_EQ(AlignToPeriodEnd(inf, frequency), inf);
  }
  EXPECT_TRUE(std::isnan(GetEndOfMonth(nan)));
  EXPECT_TRUE(std::isnan(GetStartOfMonth(nan)));
}

TEST(DateHelpersTest, MonthlyDateGrid) {
  using Grid = std::vector<double>;
  EXPECT_EQ(BuildMonthlyDateGrid(EncodeDate(2024, 1, 31), EncodeDate(2024, 4, 30), 0),
            (Grid{EncodeDate(2024, 1, 31), EncodeDate(2024, 2, 29), EncodeDate(2024, 3, 31), EncodeDate(2024, 4, 30)}));
  EXPECT_EQ(BuildMonthlyDateGrid(EncodeDate(2023, 1, 31), EncodeDate(2023, 3, 31), 0),
            (Grid{EncodeDate(2023, 1, 31), EncodeDate(2023, 2, 28), EncodeDate(2023, 3, 31)}));
  // A start early in its month is followed by the end of that same month.
  EXPECT_EQ(BuildMonthlyDateGrid(EncodeDate(2023, 1, 1), EncodeDate(2023, 2, 27), 0),
            (Grid{EncodeDate(2023, 1, 1), EncodeDate(2023, 1, 31)}));
  EXPECT_EQ(BuildMonthlyDateGrid(EncodeDate(2023, 5, 31), EncodeDate(2023, 5, 31), 0), Grid{EncodeDate(2023, 5, 31)});
  EXPECT_TRUE(BuildMonthlyDateGrid(EncodeDate(2024, 4, 30), EncodeDate(2024, 1, 31), 0).empty());
  EXPECT_TRUE(BuildMonthlyDateGrid(EncodeDate(2024, 1, 31), EncodeDate(2024, 4, 30), 1).empty());
}

TEST(DateHelpersTest, MonthlyDateGridStopsOnBadBounds) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(BuildMonthlyDateGrid(nan, EncodeDate(2024, 1, 31), 0).empty());
  EXPECT_TRUE(BuildMonthlyDateGrid(EncodeDate(2024, 1, 31), nan, 0).empty());
  EXPECT_TRUE(BuildMonthlyDateGrid(EncodeDate(2024, 1, 31), inf, 0).empty());
  // At the end of the calendar the month ends stop advancing: the grid ends.
  const std::vector<double> tail = BuildMonthlyDateGrid(EncodeDate(9999, 1, 31), 1.0e9, 0);
  ASSERT_FALSE(tail.empty());
  EXPECT_LE(tail.size(), 12u);
  EXPECT_EQ(tail[1], EncodeDate(9999, 2, 28));
}

TAssetSeries Asset(const std::string& id, TSeries series) {
  TAssetSeries asset;
  asset.ID = id;
  asset.Series = std::move(series);
  return asset;
}

// A country whose index assets are "AUINDEX" (always 1..100) and "EQINDEX" (first..last).
TCountry IndexCountry(double first, double last) {
  TCountry country;
  country.IndexAssets.push_back(Asset("AUINDEX", {{1.0, 1.0}, {100.0, 1.0}}));
  country.IndexAssets.push_back(Asset("EQINDEX", {{first, 1.0}, {(first + last) / 2, 1.0}, {last, 1.0}}));
  return country;
}

TEST(DateHelpersTest, EquityIndexDateBoundCombinesEqIndexSeries) {
  const std::vector<TCountry> countries{IndexCountry(10, 50), IndexCountry(20, 40), IndexCountry(5, 45)};
  EXPECT_EQ(GetEquityIndexDateBound(countries, false, false), 5.0);  // earliest first date
  EXPECT_EQ(GetEquityIndexDateBound(countries, true, false), 50.0);  // latest last date
  EXPECT_EQ(GetEquityIndexDateBound(countries, false, true), 20.0);  // latest first date
  EXPECT_EQ(GetEquityIndexDateBound(countries, true, true), 40.0);   // earliest last date
}

TEST(DateHelpersTest, EquityIndexDateBoundEdgeLists) {
  const std::vector<TCountry> none;
  EXPECT_EQ(GetEquityIndexDateBound(none, false, false), 1000000.0);
  EXPECT_EQ(GetEquityIndexDateBound(none, true, true), 1000000.0);
  EXPECT_EQ(GetEquityIndexDateBound(none, true, false), 0.0);
  EXPECT_EQ(GetEquityIndexDateBound(none, false, true), 0.0);

  // A country with an empty series or without the asset does not take part.
  std::vector<TCountry> countries{IndexCountry(10, 50), IndexCountry(20, 40), TCountry{}};
  countries[1].IndexAssets[1].Series.clear();
  EXPECT_EQ(GetEquityIndexDateBound(countries, false, true), 10.0);
  EXPECT_EQ(GetEquityIndexDateBound(countries, true, true), 50.0);

  // Without "EQINDEX" in the first country, position 0 is read.
  TCountry noEqIndex;
  noEqIndex.IndexAssets.push_back(Asset("AUINDEX", {{3.0, 1.0}, {7.0, 1.0}}));
  EXPECT_EQ(GetEquityIndexDateBound({noEqIndex, IndexCountry(10, 50)}, false, false), 1.0);
}

TEST(DateHelpersTest, AssetPositionIsTheLastOfThatId) {
  // Index assets: EQINDEX (first 10), AUINDEX, EQINDEX (first 30); signals: QVSIGNAL (dates 1..2), QVSIGNAL (7..8).
  TCountry country;
  country.IndexAssets = {Asset("EQINDEX", {{10, 1}, {60, 1}}), Asset("AUINDEX", {{1, 1}, {90, 1}}),
                         Asset("EQINDEX", {{30, 1}, {40, 1}})};
  country.SignalAssets = {Asset("QVSIGNAL", {{1, 1}, {2, 1}}), Asset("QVSIGNAL", {{7, 1}, {8, 0}})};
  EXPECT_EQ(FindAssetPosition(country.IndexAssets, "EQINDEX"), 2u);
  EXPECT_EQ(FindAssetPosition(country.IndexAssets, "AUINDEX"), 1u);
  EXPECT_EQ(FindAssetPosition(country.IndexAssets, "RULE2"), 0u);
  EXPECT_EQ(FindAssetPosition({}, "EQINDEX"), 0u);
  EXPECT_EQ(FindAssetPosition(country.IndexAssets, "GOLD", 9), 9u);  // none matches: the fallback
  EXPECT_EQ(FindAssetPosition(country.IndexAssets, "EQINDEX", 9), 2u);
  EXPECT_EQ(GetEquityIndexDateBound({country}, false, false), 30.0);
  EXPECT_EQ(GetEquityIndexDateBound({country}, true, false), 40.0);
  EXPECT_EQ(GetSignalDateGrid({country}), (TSeries{{7, -1.0}, {8, -1.0}}));
}

TEST(DateHelpersTest, CommonDateRange) {
  using Range = std::array<double, 2>;
  const Range none{kNoFigure, kNoFigure};
  const TSeries a{{1, 1}, {5, 1}, {10, 1}};
  const TSeries b{{5, 2}, {20, 2}};
  EXPECT_EQ(GetCommonDateRange(a, b), (Range{5, 10}));
  EXPECT_EQ(GetCommonDateRange(b, a), (Range{5, 10}));
  EXPECT_EQ(GetCommonDateRange(a, {}), none);
  EXPECT_EQ(GetCommonDateRange({}, b), none);
  EXPECT_EQ(GetCommonDateRange({{7, 1}}, {{7, 3}}), none);
  // Disjoint series: first after last.
  EXPECT_EQ(GetCommonDateRange({{1, 1}, {3, 1}}, {{5, 1}, {8, 1}}), (Range{5, 3}));
  // Dates beyond +-1000000 do not count.
  EXPECT_EQ(GetCommonDateRange({{-2.0e6, 1}, {2.0e6, 1}}, {{4, 1}, {9, 1}}), (Range{4, 9}));
}

TCountry SignalCountry(const TSeries& qvSignal) {
  TCountry country;
  country.SignalAssets.push_back(Asset("BLSIGNAL", {{1, 1}, {2, 1}}));
  country.SignalAssets.push_back(Asset("QVSIGNAL", qvSignal));
  return country;
}

TEST(DateHelpersTest, SignalDateGridTakesEarliestQvSignal) {
  const std::vector<TCountry> countries{SignalCountry({{100, 1}, {130, 0}}), SignalCountry({}),
                                        SignalCountry({{50, 1}, {80, 0}, {110, 1}}), SignalCountry({{50, 0}, {90, 1}})};
  const TSeries grid = GetSignalDateGrid(countries);
  EXPECT_EQ(grid, (TSeries{{50, -1.0}, {80, -1.0}, {110, -1.0}}));
  EXPECT_TRUE(GetSignalDateGrid({}).empty());
  EXPECT_TRUE(GetSignalDateGrid({SignalCountry({}), SignalCountry({})}).empty());
  EXPECT_TRUE(GetSignalDateGrid({TCountry{}}).empty());
}

}  // namespace
