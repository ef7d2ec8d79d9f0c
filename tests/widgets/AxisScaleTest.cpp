// Date ticks, value grid and log brackets of the time charts.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/DateHelpers.h"
#include "platform/DateTime.h"
#include "widgets/AxisScale.h"

using platform::EncodeDate;

namespace {

struct TMonthEndCase {
  const char* Name;
  double First;
  double Last;
  std::int32_t Intervals;
  double LastTick;
};

TEST(AxisScaleTest, MonthEndWalk) {
  const TMonthEndCase cases[] = {
      // One month end per step, 31 December reached at the eleventh step.
      {"year 2020", EncodeDate(2020, 1, 31), EncodeDate(2020, 12, 31), 11, EncodeDate(2020, 12, 31)},
      // Two monthly points: a step of 29/12 days must still reach the next month end.
      {"two monthly points", EncodeDate(2020, 1, 31), EncodeDate(2020, 2, 29), 1, EncodeDate(2020, 2, 29)},
      // Short range: stops at the step that reaches the last date, no tick after it.
      {"three months", EncodeDate(2020, 1, 31), EncodeDate(2020, 4, 30), 3, EncodeDate(2020, 4, 30)},
      // A last date inside a month moves to its month end.
      {"mid-month end", EncodeDate(2020, 1, 31), EncodeDate(2020, 4, 15), 3, EncodeDate(2020, 4, 30)},
      // 442 months, step 1121 days: ticks about 37 months apart, twelve steps.
      {"1990 to 2026", EncodeDate(1990, 1, 31), EncodeDate(2026, 11, 30), 12, EncodeDate(2027, 1, 31)},
  };
  for (const TMonthEndCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const axis::TDateScale scale = axis::MonthEndScale(c.First, c.Last);
    EXPECT_DOUBLE_EQ(scale.FirstTick, c.First);
    EXPECT_DOUBLE_EQ(scale.TickStep, (c.Last - c.First) / 12.0);
    EXPECT_EQ(scale.Intervals, c.Intervals);
    EXPECT_DOUBLE_EQ(scale.LastDate, c.LastTick);
    const std::vector<double> ticks = axis::MonthEndTicks(scale);
    ASSERT_EQ(ticks.size(), static_cast<std::size_t>(c.Intervals + 1));
    for (std::size_t k = 0; k < ticks.size(); ++k) {
      EXPECT_DOUBLE_EQ(ticks[k], GetEndOfMonth(ticks[k]));
      if (k > 0) {
        EXPECT_GT(ticks[k], ticks[k - 1]);
      }
      if (k + 1 < ticks.size()) {
        EXPECT_LT(ticks[k], c.Last) << "tick after the last date";
      }
    }
    EXPECT_DOUBLE_EQ(ticks.back(), scale.LastDate);
  }
  // The year 2020 walk: one month end per step.
  const std::vector<double> year =
      axis::MonthEndTicks(axis::MonthEndScale(EncodeDate(2020, 1, 31), EncodeDate(2020, 12, 31)));
  for (int month = 1; month <= 12; ++month)
    EXPECT_DOUBLE_EQ(year[static_cast<std::size_t>(month - 1)],
                     EncodeDate(2020, month, platform::DaysInMonth(2020, month)));
}

TEST(AxisScaleTest, MidMonthsFollowEachOther) {
  // 40 days after a mid-month is always the next month (a running date
  // advanced by 40 days skips about every third month).
  double mid = axis::MidMonth(EncodeDate(2019, 12, 31) + 1.0);
  EXPECT_DOUBLE_EQ(mid, EncodeDate(2020, 1, 15));
  for (int k = 1; k < 60; ++k) {
    const double next = axis::NextMidMonth(mid);
    const platform::CivilDate a = platform::DecodeDate(mid);
    const platform::CivilDate b = platform::DecodeDate(next);
    EXPECT_EQ(b.Day, 15);
    EXPECT_EQ(b.Year * 12 + b.Month, a.Year * 12 + a.Month + 1) << "after " << a.Year << "-" << a.Month;
    mid = next;
  }
  const axis::TDateScale equal = axis::EqualStepScale(100.0, 340.0, 24);
  EXPECT_EQ(equal.Intervals, 24);
  EXPECT_DOUBLE_EQ(equal.TickStep, 10.0);
}

struct TGridCase {
  const char* Name;
  double Lowest;
  double Highest;
  double Start;
  double Step;
  std::int32_t Steps;
};

TEST(AxisScaleTest, ValueGridExamples) {
  const TGridCase cases[] = {
      // lo 195, hi 230, span 7: step 1 gives 35 steps, x5 gives step 5 from 195.
      {"-5 to 30", -5.0, 30.0, -5.0, 5.0, 6},
      // lo 200, hi 201, span 0.2: step 0.1 from 200, lines 0 % .. 100 %.
      {"0 to 1", 0.0, 1.0, 0.0, 0.1, 9},
      // lo -999999800, span 4e8: step 1e8 gives 20 steps, x5 too few, x0.5 eight.
      {"extremes", -1e9, 1e9, -1e9 - 200.0, 2.5e8, 8},
      // lo 200, hi 1200, span 200: e = 2, step 100 from 200; 1200 = start + 10 steps is not too many.
      {"0 to 1000", 0.0, 1000.0, 0.0, 100.0, 9},
  };
  for (const TGridCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const axis::TValueGrid grid = axis::ComputeValueGrid(c.Lowest, c.Highest);
    EXPECT_NEAR(grid.Start, c.Start, 1e-9 * c.Step);
    EXPECT_NEAR(grid.Step, c.Step, 1e-12 * c.Step);
    EXPECT_EQ(grid.Steps, c.Steps);
  }
}

TEST(AxisScaleTest, ValueGridCoversEveryRange) {
  const double ranges[][2] = {{-5.0, 30.0},       {0.0, 1.0},     {-0.35, 0.02},    {0.97, 3.4},
                              {0.5, 0.5 + 1e-11}, {-1e9, 1e9},    {-1e9, -1e9 + 1}, {1e-6, 2e-6},
                              {-250.0, -199.0},   {199.9, 200.1}, {-0.001, 0.0},    {12345.0, 98765.0}};
  for (const auto& range : ranges) {
    SCOPED_TRACE(std::to_string(range[0]) + " .. " + std::to_string(range[1]));
    const axis::TValueGrid grid = axis::ComputeValueGrid(range[0], range[1]);
    ASSERT_GT(grid.Step, 0.0);
    const double tolerance = 1e-9 * grid.Step + 1e-12 * std::fabs(range[0] + 200.0);
    // The grid starts at or below the lowest value and its last line reaches the highest.
    EXPECT_LE(grid.Start, range[0] + tolerance);
    EXPECT_GT(grid.Start + grid.Step, range[0] - tolerance);
    EXPECT_GE(grid.Steps, 0);
    EXPECT_LT(grid.Start + grid.Steps * grid.Step, range[1] + tolerance);
    EXPECT_GE(grid.Start + (grid.Steps + 1) * grid.Step, range[1] - tolerance);
    EXPECT_LE(grid.Steps, 10);
  }
  // A range that is empty or reversed is refused.
  EXPECT_EQ(axis::ComputeValueGrid(1.0, 1.0).Steps, -1);
  EXPECT_EQ(axis::ComputeValueGrid(2.0, 1.0).Step, 0.0);
  EXPECT_EQ(axis::ComputeValueGrid(0.0, NAN).Steps, -1);
}

struct TLogCase {
  const char* Name;
  double Lowest;
  double Highest;
  double Lower;
  double Upper;
  std::int32_t Count;
};

TEST(AxisScaleTest, LogBrackets) {
  const TLogCase cases[] = {
      {"0.9 to 3.1", 0.9, 3.1, 64.0, 512.0, 4},        // 90 >= 64, 310 > 256
      {"exact power", 0.64, 2.56, 64.0, 256.0, 3},     // 256 = 100 x highest: upper 256
      {"under 0.01", 0.005, 0.02, 1.0, 4.0, 3},        // lower bound at least 1, two bands
      {"one band widened", 1.0, 1.2, 64.0, 256.0, 3},  // 64..128 widened to two bands
      {"negative values", -0.5, 0.9, 1.0, 128.0, 8},   // nothing below 1
  };
  for (const TLogCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const axis::TLogBounds bounds = axis::ComputeLogBounds(c.Lowest, c.Highest);
    EXPECT_DOUBLE_EQ(bounds.Lower, c.Lower);
    EXPECT_DOUBLE_EQ(bounds.Upper, c.Upper);
    EXPECT_EQ(bounds.Count(), c.Count);
  }
}

// A label states its own line's value with the decimals the step needs,
// trailing zeros dropped: the drawdown grid of -10.1 % .. 0 steps 1.25 %.
TEST(AxisScaleTest, GridLabelsStateTheirLinesValue) {
  const struct {
    double Step;
    std::int32_t Decimals;
  } steps[] = {{5.0, 0}, {1.25, 2}, {0.5, 1}, {0.025, 3}, {12.5, 1}, {1.0 / 3.0, 6}, {-1.25, 2}, {0.0, 0}};
  for (const auto& c : steps) EXPECT_EQ(axis::StepDecimals(c.Step), c.Decimals) << c.Step;

  const struct {
    double Value, Step;
    const char* Text;
  } texts[] = {{-2.5, 1.25, "-2.5"},     {-3.75, 1.25, "-3.75"},   {-5.0, 1.25, "-5"},  {0.0, 1.25, "0"},
               {-1e-13, 1.25, "0"},      {10.0, 5.0, "10"},        {-0.5, 0.5, "-0.5"}, {64.0, 1.0, "64"},
               {2.4999999, 1.25, "2.5"}, {1.2500001, 0.25, "1.25"}};
  for (const auto& c : texts) EXPECT_EQ(axis::GridValueText(c.Value, c.Step), c.Text) << c.Value << " / " << c.Step;

  const axis::TValueGrid grid = axis::ComputeValueGrid(-0.101, 0.0);
  ASSERT_NEAR(grid.Step, 0.0125, 1e-12);
  std::vector<std::string> labels;
  for (std::int32_t i = 0; i <= grid.Steps + 1; ++i)
    labels.push_back(axis::PercentGridLabel(grid.Start + i * grid.Step, grid.Step));
  EXPECT_EQ(labels, (std::vector<std::string>{"-11.25%", "-10%", "-8.75%", "-7.5%", "-6.25%", "-5%", "-3.75%", "-2.5%",
                                              "-1.25%", "0%"}));
}

}  // namespace
