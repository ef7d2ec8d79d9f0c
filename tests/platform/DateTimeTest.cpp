#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/DateTime.h"

using namespace platform;

TEST(DateTime, KnownDayCounts) {
  struct Case {
    int y, m, d;
    double days;
  };
  const Case cases[] = {
      {1899, 12, 30, 0.0},     {1899, 12, 31, 1.0},          {1900, 1, 1, 2.0},
      {1900, 1, 31, 32.0},     {1900, 3, 1, 61.0},  // 1900 is not a leap year
      {1970, 1, 1, 25569.0},   {2000, 2, 29, 36585.0},       {2024, 12, 31, 45657.0},
      {1, 1, 1, kMinDateTime}, {9999, 12, 31, kMaxDateTime},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.days) << c.y << "-" << c.m << "-" << c.d;
    const CivilDate back = DecodeDate(c.days + 0.75);
    EXPECT_EQ(back.Year, c.y);
    EXPECT_EQ(back.Month, c.m);
    EXPECT_EQ(back.Day, c.d);
  }
}

TEST(DateTime, RoundTripEveryDayOfFourCenturies) {
  for (double d = EncodeDate(1800, 1, 1); d <= EncodeDate(2200, 12, 31); d += 1.0) {
    const CivilDate c = DecodeDate(d);
    ASSERT_TRUE(IsValidDate(c.Year, c.Month, c.Day));
    ASSERT_EQ(EncodeDate(c.Year, c.Month, c.Day), d);
  }
}

TEST(DateTime, NegativeFractionsBelongToTheEarlierDay) {
  const CivilDate c = DecodeDate(-0.25);  // 29 Dec 1899, 18:00
  EXPECT_EQ(c.Day, 29);
  EXPECT_EQ(c.Month, 12);
}

TEST(DateTime, MonthLengthsAndLeapYears) {
  EXPECT_EQ(DaysInMonth(2024, 2), 29);
  EXPECT_EQ(DaysInMonth(2023, 2), 28);
  EXPECT_EQ(DaysInMonth(1900, 2), 28);
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2023, 13), 0);
  EXPECT_FALSE(IsValidDate(2023, 2, 29));
  EXPECT_TRUE(IsValidDate(2024, 2, 29));
}

TEST(DateTime, DayOfWeekAndBadValues) {
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 7)), 2);  // Monday
  EXPECT_EQ(DayOfWeek(0.0), 7);                      // Saturday
  const CivilDate nan = DecodeDate(std::numeric_limits<double>::quiet_NaN());
  EXPECT_TRUE(IsValidDate(nan.Year, nan.Month, nan.Day));
  const CivilDate huge = DecodeDate(1e300);
  EXPECT_EQ(huge.Year, 9999);
}

TEST(DateTime, DayOfWeekOfAnyFiniteValue) {
  struct Case {
    double Value;
    int Day;
  };
  const Case cases[] = {
      {-1.0, 6},                    // 29 Dec 1899, a Friday
      {-6.0, 1},                    // 24 Dec 1899, a Sunday
      {-0.25, 6},                   // 29 Dec 1899, 18:00
      {1.0, 1},                     // 31 Dec 1899, a Sunday
      {EncodeDate(2015, 1, 2), 6},  // a Friday
      {EncodeDate(2015, 1, 2) + 0.99, 6},
      // Day counts beyond any integer type: 10^19 = 3 (mod 7), -10^19 = 4 (mod 7).
      {1.0e19, 3},
      {-1.0e19, 4},
  };
  for (const Case& c : cases) EXPECT_EQ(DayOfWeek(c.Value), c.Day) << c.Value;
  for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()}) {
    EXPECT_EQ(DayOfWeek(bad), 7);
  }
}
