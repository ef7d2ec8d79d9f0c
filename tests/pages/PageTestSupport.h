#pragma once
// Helpers several page tests share: month-end dates, monthly rows, countries,
// the time-chart and centred-area checks of the layout tests, and guards
// that put back the globals a test sets.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "common/Records.h"
#include "platform/DateTime.h"
#include "portfolio/EquityResultRecords.h"
#include "widgets/SeriesComparisonChart.h"
#include "widgets/TimeChartCommon.h"
#include "widgets/WidgetCommon.h"

namespace pagetest {

// End of month i counted from January 2010.
inline double MonthEnd(int i) { return GetEndOfMonth(platform::EncodeDate(2010 + i / 12, 1 + i % 12, 1)); }

// A row named name (no region) with value at the month ends 0..count-1.
inline TLabelledSeries MonthlyRow(const std::string& name, int count, double value) {
  TLabelledSeries row{{name, ""}, {}, false};
  for (int i = 0; i < count; ++i) row.Series.push_back({MonthEnd(i), value});
  return row;
}

inline TCountry Country(const std::string& name, const std::string& currency) {
  TCountry c;
  c.Name = name;
  c.Currency = currency;
  return c;
}

// A time chart laid out on (top, width, height) centres a plot of two thirds
// of its area.
inline void ExpectPlotOf(const widgets::TTimeChartFrame& frame, float top, float width, float height) {
  EXPECT_FLOAT_EQ(frame.PlotWidth, 2.0f * width / 3.0f);
  EXPECT_FLOAT_EQ(frame.PlotHeight, 2.0f * height / 3.0f);
  EXPECT_FLOAT_EQ(frame.PlotTop, top + height / 6.0f);
}

// The page's time chart `chart` (0 allocation, 1 wealth, 2 drawdown, 3
// rolling returns) laid out on (top, width, height).
template <typename TPage>
void ExpectTimeChartPlot(const TPage& page, int chart, float top, float width, float height) {
  const widgets::TTimeChartFrame* frames[] = {&page.AllocationChart, &page.WealthChart, &page.DrawdownChart,
                                              &page.RollingChart};
  ExpectPlotOf(*frames[chart], top, width, height);
}

// A widget centred in (left, top, width, height) shows a non-empty area with
// the same centre (horizontally only when checkLeft).
inline void ExpectCentredIn(const TViewArea& a, float left, float top, float width, float height, bool checkLeft) {
  EXPECT_GT(a.Width * a.Height, 0.0f);
  if (checkLeft) {
    EXPECT_NEAR(a.Left + a.Width / 2, left + width / 2, 0.01f);
  }
  EXPECT_NEAR(a.Top + a.Height / 2, top + height / 2, 0.01f);
}

// What a page in its current view answers for the time charts: GetViewData
// copies only the wealth chart of wealthView; GetValuesAt at (x, y) gives
// values only on a time chart with data (not checked on barView, whose values
// depend on the bar under the mouse); DataToScreen gives a finite point, off
// zero only on a time chart.
template <typename TPage>
void ExpectTimeChartAnswers(TPage& page, std::int32_t wealthView, std::int32_t barView, bool withData, bool timeChart,
                            float x, float y) {
  TSeriesComparisonChart copy;
  page.GetViewData(copy);
  EXPECT_EQ(copy.Loaded, page.CurrentView == wealthView);
  if (page.CurrentView != barView) {
    EXPECT_EQ(!page.GetValuesAt(x, y).empty(), withData && timeChart);
  }
  const platform::TPointF p = page.DataToScreen({MonthEnd(15), 1.1});
  EXPECT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y));
  EXPECT_EQ(p.X != 0.0f, timeChart);
}

// Keeps a global's value and puts it back when destroyed.
template <typename T>
class TKeep {
 public:
  explicit TKeep(T& global) : global_(global), value_(global) {}
  ~TKeep() { global_ = value_; }
  TKeep(const TKeep&) = delete;
  TKeep& operator=(const TKeep&) = delete;

 private:
  T& global_;
  T value_;
};

// Both screen ratios 1.0 (a 1:1 window) while it lives, the old ones after.
class TUnitScreen {
 public:
  TUnitScreen() { fScreenWidthRatio = fScreenHeightRatio = 1.0f; }

 private:
  TKeep<float> width_{fScreenWidthRatio};
  TKeep<float> height_{fScreenHeightRatio};
};

}  // namespace pagetest
