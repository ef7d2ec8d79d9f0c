// Shared page rules: the cursor rule of the windowed charts, region colours
// of legends, the full-recent-history test and the indicator value texts.

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "pages/PageCommon.h"
#include "platform/RecordingCanvas.h"

namespace {

TSeries Points(std::size_t count, double value = 1.0) {
  TSeries s;
  for (std::size_t i = 0; i < count; ++i) s.push_back({40000.0 + 30.0 * static_cast<double>(i), value});
  return s;
}

TLabelledSeries Row(const std::string& name, const std::string& region, TSeries series) {
  return TLabelledSeries{{name, region}, std::move(series), false};
}

TEST(PageCommonTest, StepCursorClampsUpperFirstThenToTheWindow) {
  struct Case {
    std::int32_t cursor, delta, count, window, expected;
  };
  const Case cases[] = {
      {50, 2, 60, 25, 52},    // inside
      {58, 10, 60, 25, 59},   // past the last point
      {30, -20, 60, 25, 24},  // before the window's first end
      {23, 2, 24, 25, 24},    // series shorter than its window: window - 1
      {0, 0, 0, 25, 24},      // no points
      {59, 2147483647, 60, 25, 59},
      {30, -2147483647, 60, 25, 24},
  };
  for (const Case& c : cases)
    EXPECT_EQ(pages::StepCursor(c.cursor, c.delta, c.count, c.window), c.expected)
        << c.cursor << " " << c.delta << " " << c.count << " " << c.window;
}

TEST(PageCommonTest, RegionCursorStaysOnExistingPointsAndHasNextFollowsIt) {
  TRegionSeriesChart chart;
  chart.SetData({Row("A", strRegionNameList[0], Points(40)), Row("B", strRegionNameList[1], Points(40))}, 25, 16, 0);
  EXPECT_FALSE(pages::RegionHasNext(chart));
  pages::MoveRegionCursor(chart, -10);
  EXPECT_EQ(chart.LastVisibleColumn(), 29);
  EXPECT_TRUE(pages::RegionHasNext(chart));
  pages::MoveRegionCursor(chart, -100);
  EXPECT_EQ(chart.LastVisibleColumn(), 24);
  pages::MoveRegionCursor(chart, 100);
  EXPECT_EQ(chart.LastVisibleColumn(), 39);
  pages::MoveRegionCursor(chart, -6);
  pages::ResetRegionCursor(chart, chart.PointCount() - 1);
  EXPECT_FALSE(pages::RegionHasNext(chart));

  // 24 points in a 25 window: the rule asks for column 24, the chart keeps
  // its last point and never reads a 25th.
  TRegionSeriesChart shortChart;
  shortChart.SetData({Row("A", strRegionNameList[0], Points(24))}, 25, 16, 0);
  pages::MoveRegionCursor(shortChart, -2);
  EXPECT_EQ(shortChart.LastVisibleColumn(), 23);
  EXPECT_FALSE(pages::RegionHasNext(shortChart));

  TRegionSeriesChart empty;
  pages::MoveRegionCursor(empty, 2);
  pages::ResetRegionCursor(empty, -1);
  EXPECT_FALSE(pages::RegionHasNext(empty));
}

TEST(PageCommonTest, BarCursorReloadsTheWindowFromTheChartsOwnHistory) {
  std::vector<TAllocationRow> history;
  for (int i = 0; i < 30; ++i) {
    TAllocationRow row;
    row.Date = 40000.0 + 30.0 * i;
    history.push_back(row);
  }
  TSeriesBarChart chart;
  chart.SetData("Weights", history, {}, 25, 0.0, 1.0);
  EXPECT_FALSE(pages::BarHasNext(chart));
  pages::MoveBarCursor(chart, -2);
  EXPECT_EQ(chart.LastIndex, 27);
  EXPECT_DOUBLE_EQ(chart.WindowEnd, history[27].Date);
  EXPECT_DOUBLE_EQ(chart.WindowStart, history[3].Date + 1.0);
  EXPECT_EQ(chart.Title, "Weights");
  EXPECT_TRUE(pages::BarHasNext(chart));
  pages::MoveBarCursor(chart, -50);
  EXPECT_EQ(chart.LastIndex, 24);
  pages::ResetBarCursor(chart);
  EXPECT_EQ(chart.LastIndex, 29);
  EXPECT_FALSE(pages::BarHasNext(chart));

  TSeriesBarChart empty;
  pages::MoveBarCursor(empty, 2);
  pages::ResetBarCursor(empty);
  EXPECT_FALSE(pages::BarHasNext(empty));
}

TEST(PageCommonTest, LegendColoursFollowTheRegionAndOtherNamesTakeTheTextColour) {
  const auto legend = pages::CountryLegend({Row("A", strRegionNameList[2], {}), Row("B", "Elsewhere", {}),
                                            TLabelledSeries{}, Row("C", strRegionNameList[5], {})});
  ASSERT_EQ(legend.size(), 4u);
  EXPECT_EQ(legend[0].Labels, std::vector<std::string>{"A"});
  EXPECT_EQ(legend[0].Colour, claRegionColors[2]);
  EXPECT_EQ(legend[1].Colour, pages::kOtherRegionColour);
  EXPECT_EQ(legend[2].Labels, std::vector<std::string>{""});
  EXPECT_EQ(legend[2].Colour, pages::kOtherRegionColour);
  EXPECT_EQ(legend[3].Colour, claRegionColors[5]);
}

TEST(PageCommonTest, FullRecentHistoryNeedsTwentyFourRankedPointsInOneRow) {
  TSeries gap = Points(30);
  gap[5].Value = -1.0;  // before the last 24 (indices 6..29)
  TSeries late = Points(30);
  late[29 - 5].Value = -1.0;
  struct Case {
    const char* name;
    std::vector<TLabelledSeries> rows;
    bool expected;
  };
  const std::vector<Case> cases{
      {"none", {}, false},
      {"24 points", {Row("A", "", Points(24))}, true},
      {"23 points", {Row("A", "", Points(23))}, false},
      {"-1 before the last 24", {Row("A", "", gap)}, true},
      {"-1 among the last 24", {Row("A", "", late)}, false},
      {"one good row among bad ones", {Row("A", "", late), Row("B", "", Points(23)), Row("C", "", Points(25))}, true},
  };
  for (const Case& c : cases) EXPECT_EQ(pages::HasFullRecentHistory(c.rows), c.expected) << c.name;
}

TEST(PageCommonTest, CursorDeltaHoldsTheProductToThirtyTwoBits) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  const struct {
    std::int32_t step, count, expected;
  } cases[] = {{2, -3, -6}, {0, kMax, 0}, {kMax, 2, kMax}, {kMax, -2, kMin}, {kMin, -1, kMax}, {-65536, 65536, kMin}};
  for (const auto& c : cases) EXPECT_EQ(pages::CursorDelta(c.step, c.count), c.expected) << c.step << " x " << c.count;
}

TEST(PageCommonTest, TimeChartForwardersPickTheGivenChartAndAnswerNothingWithoutOne) {
  TNamedSeriesSet set;
  set[0].Series = set[2].Series = Points(30);
  TSeriesComparisonChart chart;
  chart.SetData(set, 0, 0, 2, -1, -1.0, -1.0);
  platform::RecordingCanvas canvas;
  EXPECT_FALSE(pages::LayoutTimeChart(canvas, nullptr, nullptr, 1000.0f, 600.0f, 2.0f));
  EXPECT_FALSE(pages::DrawTimeChart(canvas, nullptr, nullptr, 1000.0f, true));
  EXPECT_TRUE(canvas.Ops.empty());
  EXPECT_TRUE(pages::ValuesAt(nullptr, nullptr, 500.0f, 300.0f).empty());
  EXPECT_EQ(pages::RangeOf(nullptr, nullptr).Width, 0.0f);
  const platform::TPointF none = pages::ScreenPoint(nullptr, nullptr, {40300.0, 1.0});
  EXPECT_EQ(none.X, 0.0f);
  EXPECT_EQ(none.Y, 0.0f);

  // The chart takes the time-chart frame: (32, 64 x aspect), width - 64, height - 64 x aspect.
  ASSERT_TRUE(pages::LayoutTimeChart(canvas, &chart, nullptr, 1000.0f, 600.0f, 2.0f));
  EXPECT_FLOAT_EQ(chart.PlotWidth, 2.0f * 936.0f / 3.0f);
  EXPECT_FLOAT_EQ(chart.PlotTop, 128.0f + 472.0f / 6.0f);
  EXPECT_TRUE(pages::DrawTimeChart(canvas, &chart, nullptr, 1000.0f, true));
  EXPECT_FALSE(canvas.Ops.empty());
  EXPECT_EQ(pages::RangeOf(&chart, nullptr).Width, chart.ViewArea().Width);
  EXPECT_GT(pages::RangeOf(&chart, nullptr).Width, 0.0f);
  EXPECT_FALSE(pages::ValuesAt(&chart, nullptr, 500.0f, 300.0f).empty());
  EXPECT_GT(pages::ScreenPoint(&chart, nullptr, {40300.0, 1.0}).X, 0.0f);
}

TEST(PageCommonTest, ValueTextsOfPercentAndPlainViews) {
  struct Case {
    std::int32_t view;
    double value;
    const char* expected;
  };
  const Case cases[] = {
      {5, 0.1234, "12.34%"}, {5, -0.25, "-25.00%"}, {10, 0.5, "50.00%"}, {4, 1234.5, "1234.50"}, {0, 3.0, "keep"},
  };
  for (const Case& c : cases) {
    std::string text = "keep";
    pages::FormatViewValue(c.view, c.value, {5, 6, 10}, {4, 16}, text);
    EXPECT_EQ(text, c.expected) << c.view;
  }
}

}  // namespace
