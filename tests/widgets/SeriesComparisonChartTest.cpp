// The series comparison chart: loading, scales, drawing order, read-outs.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <regex>
#include <set>
#include <tuple>

#include "common/DateHelpers.h"
#include "platform/DateTime.h"
#include "platform/RecordingCanvas.h"
#include "widgets/SeriesComparisonChart.h"
#include "widgets/WidgetTestSupport.h"

using platform::EncodeDate;
using platform::RecordingCanvas;
using platform::TCanvasOp;
using platform::TCanvasOpKind;

namespace {

// n month ends from the given month on, value f(i).
TSeries Monthly(int year, int month, int n, const std::function<double(int)>& f) {
  TSeries series;
  for (int i = 0; i < n; ++i) {
    const int m = (month - 1 + i) % 12 + 1;
    const int y = year + (month - 1 + i) / 12;
    series.push_back({EncodeDate(y, m, platform::DaysInMonth(y, m)), f(i)});
  }
  return series;
}

TNamedSeriesSet Set(const TSeries& model, const TSeries& first, const TSeries& second = {}) {
  TNamedSeriesSet set;
  set[0] = {"Benchmark", first};
  set[1] = {"Second", second};
  set[2] = {"(In USD)", model};
  return set;
}

std::vector<std::string> Texts(const RecordingCanvas& canvas) {
  std::vector<std::string> texts;
  for (const TCanvasOp& op : canvas.OpsOfKind(TCanvasOpKind::FillText)) texts.push_back(op.Text);
  return texts;
}

bool DrewNoData(const RecordingCanvas& canvas) {
  for (const std::string& text : Texts(canvas))
    if (text == "No Data") return true;
  return false;
}

TSeriesComparisonChart Laid(const TNamedSeriesSet& set, int kind, int scale, int count, int window = -1) {
  TSeriesComparisonChart chart;
  chart.SetData(set, kind, scale, count, window, -1.0, -1.0);
  RecordingCanvas canvas;
  chart.Layout(canvas, 0.0f, 0.0f, 1200.0f, 600.0f);
  return chart;
}

class SeriesComparisonChartTest : public ::testing::Test {
 protected:
  void SetUp() override { widgettest::SetWindowGlobals(); }
};

TEST_F(SeriesComparisonChartTest, LinesModelOnTopWithPercentGrid) {
  const TSeries model = Monthly(2010, 1, 120, [](int i) { return 0.01 * i; });
  const TSeries bench = Monthly(2010, 1, 120, [](int i) { return -0.2 + 0.005 * i; });
  TSeriesComparisonChart chart = Laid(Set(model, bench), 0, 0, 2);
  ASSERT_EQ(chart.Dates.size(), 120u);
  RecordingCanvas canvas;
  chart.Draw(canvas, 1200.0f);
  std::vector<TCanvasOp> lines;
  for (const TCanvasOp& op : canvas.OpsOfKind(TCanvasOpKind::DrawLine))
    if (op.Stroke.Thickness == 3.0f && op.Points[1].X - op.Points[0].X != 20.0f) lines.push_back(op);  // not legend
  ASSERT_EQ(lines.size(), 2u * 119u);
  EXPECT_EQ(lines.front().Stroke.Color, claReferenceGraphicColor_2);
  EXPECT_EQ(lines.back().Stroke.Color, claReferenceGraphicColor_1);  // the model is drawn last, on top
  const std::regex percent("-?[0-9]+%");
  int gridLabels = 0;
  for (const std::string& text : Texts(canvas))
    if (std::regex_match(text, percent)) ++gridLabels;
  EXPECT_GE(gridLabels, 6);
  EXPECT_FALSE(DrewNoData(canvas));
  const std::vector<std::string> texts = Texts(canvas);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Model (In USD)"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "(Month End)"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "Jan 2010"), texts.end());
  // The view area spans the plot and the grid lines.
  const TViewArea area = chart.ViewArea();
  EXPECT_FLOAT_EQ(area.Left, 200.0f);
  EXPECT_FLOAT_EQ(area.Width, 800.0f);
  EXPECT_LT(area.SpanTop, area.SpanBottom);
  EXPECT_GT(chart.CaptionAnchor.X, area.Left + area.Width);
}

TEST_F(SeriesComparisonChartTest, NoDataCases) {
  const auto rising = [](int i) { return 0.01 * (i + 1); };
  struct TCase {
    const char* Name;
    TNamedSeriesSet Set;
    int Kind;
    int Count;
    bool NoData;
  } cases[] = {
      {"kind 1, 23 dates", Set(Monthly(2000, 1, 23, rising), Monthly(2000, 1, 23, rising)), 1, 2, true},
      {"kind 1, 24 dates", Set(Monthly(2000, 1, 24, rising), Monthly(2000, 1, 24, rising)), 1, 2, false},
      {"unequal lengths", Set(Monthly(2000, 1, 10, rising), Monthly(2000, 1, 9, rising)), 0, 2, true},
      {"three series, second empty", Set(Monthly(2000, 1, 10, rising), Monthly(2000, 1, 10, rising)), 0, 3, true},
      {"series count 4", Set(Monthly(2000, 1, 10, rising), Monthly(2000, 1, 10, rising)), 0, 4, true},
      {"all zero", Set(Monthly(2000, 1, 10, [](int) { return 0.0; }), Monthly(2000, 1, 10, [](int) { return 0.0; })), 0,
       2, true},
      {"single date", Set(Monthly(2000, 1, 1, rising), Monthly(2000, 1, 1, rising)), 0, 2, true},
      {"empty", TNamedSeriesSet{}, 0, 2, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TSeriesComparisonChart chart = Laid(c.Set, c.Kind, 0, c.Count);
    RecordingCanvas canvas;
    chart.Draw(canvas, 1200.0f);
    EXPECT_EQ(DrewNoData(canvas), c.NoData);
    if (c.NoData) {
      EXPECT_TRUE(chart.GetValuesAt(600.0f).empty());
      EXPECT_EQ(canvas.OpsOfKind(TCanvasOpKind::FillText).size(), 1u);
    } else {
      EXPECT_FALSE(canvas.OpsOfKind(TCanvasOpKind::FillRect).empty());
    }
  }
  // A fresh chart draws "No Data" and maps without dividing by zero.
  TSeriesComparisonChart fresh;
  RecordingCanvas canvas;
  fresh.Draw(canvas, 800.0f);
  EXPECT_TRUE(DrewNoData(canvas));
  const platform::TPointF p = fresh.DataToScreen({40000.0, 1.0});
  EXPECT_TRUE(std::isfinite(p.X) && std::isfinite(p.Y));
}

// A grid step that is not a whole percent labels each line with its own
// value (1.25 % on a drawdown to -10.1 %); whole steps write whole numbers.
TEST_F(SeriesComparisonChartTest, GridLabelsStateTheirLinesValue) {
  const struct {
    int Kind;
    double Low, High;
    std::vector<std::string> Labels;
  } cases[] = {
      {3, -0.101, 0.0, {"-11.25%", "-10%", "-8.75%", "-7.5%", "-6.25%", "-5%", "-3.75%", "-2.5%", "-1.25%", "0%"}},
      {0, -0.2, 0.6, {"-20%", "-10%", "0%", "10%", "20%", "30%", "40%", "50%", "60%"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Kind);
    const TSeries model = Monthly(2010, 1, 36, [&](int i) { return c.Low + (c.High - c.Low) * i / 35.0; });
    const TSeries bench = Monthly(2010, 1, 36, [&](int i) { return c.High - (c.High - c.Low) * i / 70.0; });
    TSeriesComparisonChart chart = Laid(Set(model, bench), c.Kind, 0, 2);
    RecordingCanvas canvas;
    chart.Draw(canvas, 1200.0f);
    EXPECT_EQ(
        widgettest::ExpectLabelsOnTheirLines(canvas, chart.Lowest, chart.Highest, chart.PlotTop, chart.PlotHeight),
        c.Labels);
  }
}

// The date axis with its ticks and caption lies on the zero line, or on the lowest grid line where the zero line
// is outside the plot (values a grid step or more above 0, or below it); the date labels hang from the lowest line.
TEST_F(SeriesComparisonChartTest, DateAxisLiesOnTheZeroLineOrTheLowestGridLine) {
  // Lowest and highest value, and whether the axis lies on the lowest grid line.
  const std::tuple<double, double, bool> cases[] = {
      {-0.2, 0.6, false}, {0.01, 0.3, true}, {0.12, 0.3, true}, {-0.5, -0.2, true}};
  for (const auto& [low, high, onLowestGridLine] : cases) {
    const TSeries model = Monthly(2010, 1, 36, [&](int i) { return low + (high - low) * i / 35.0; });
    TSeriesComparisonChart chart = Laid(Set(model, model), 0, 0, 2);
    RecordingCanvas canvas;
    chart.Draw(canvas, 1200.0f);
    std::set<float> axis, labels;  // y of the ticks and the axis; anchors of the date labels
    for (const TCanvasOp& op : canvas.OpsOfKind(TCanvasOpKind::DrawLine))
      if (op.Stroke.Color == kWidgetTextColour) axis.insert(op.Points[0].Y);
    for (const TCanvasOp& op : canvas.OpsOfKind(TCanvasOpKind::FillText))
      if (op.Matrix.M12 != 0.0f) labels.insert(op.Matrix.M32);
    ASSERT_EQ(axis.size(), 1u) << low;
    EXPECT_EQ(std::fabs(*axis.begin() - chart.GridBottomY) < 0.5f, onLowestGridLine) << low;
    EXPECT_FLOAT_EQ(chart.CaptionAnchor.Y, *axis.begin() + 7.0f) << low;
    EXPECT_EQ(labels, std::set<float>{chart.GridBottomY + 10.0f}) << low;
  }
}

TEST_F(SeriesComparisonChartTest, ValuesAtHalfwayTakeTheLaterDate) {
  // Dates 31 Jan, 29 Feb, 31 Mar 2020 (60 days); width 364.5 gives a plot
  // 243 wide at 60.75, so (243 - 3) / 60 = 4 units a day: halfway between
  // 31 Jan and 29 Feb (14.5 days) lies at x = 60.75 + 58.
  const TSeries model = Monthly(2020, 1, 3, [](int i) { return 1.0 + i; });
  const TSeries bench = Monthly(2020, 1, 3, [](int i) { return 0.5 + i; });
  for (int scale : {0, 1}) {
    SCOPED_TRACE(scale);
    TSeriesComparisonChart chart;
    chart.SetData(Set(model, bench), 0, scale, 2, -1, -1.0, -1.0);
    RecordingCanvas canvas;
    chart.Layout(canvas, 0.0f, 0.0f, 364.5f, 300.0f);
    ASSERT_DOUBLE_EQ(chart.LastDate, EncodeDate(2020, 3, 31));
    const double factor = scale == 1 ? 100.0 : 1.0;
    const std::vector<TDataPoint> tie = chart.GetValuesAt(118.75f);
    ASSERT_EQ(tie.size(), 2u);
    EXPECT_EQ(tie[0], (TDataPoint{EncodeDate(2020, 2, 29), 2.0 * factor}));
    EXPECT_EQ(tie[1], (TDataPoint{EncodeDate(2020, 2, 29), 1.5 * factor}));
    EXPECT_DOUBLE_EQ(chart.GetValuesAt(118.5f)[0].Date, EncodeDate(2020, 1, 31));
    // Left and right of the plot: the first and the last shown date.
    EXPECT_EQ(chart.GetValuesAt(20.0f), (std::vector<TDataPoint>{{EncodeDate(2020, 1, 31), 1.0 * factor},
                                                                 {EncodeDate(2020, 1, 31), 0.5 * factor}}));
    EXPECT_EQ(chart.GetValuesAt(900.0f), (std::vector<TDataPoint>{{EncodeDate(2020, 3, 31), 3.0 * factor},
                                                                  {EncodeDate(2020, 3, 31), 2.5 * factor}}));
  }
}

TEST_F(SeriesComparisonChartTest, LogScaleBracketsAndResets) {
  const TSeries model = Monthly(2000, 1, 24, [](int i) { return 0.9 + 2.2 * i / 23.0; });
  const TSeries bench = Monthly(2000, 1, 24, [](int) { return 1.0; });
  TSeriesComparisonChart chart = Laid(Set(model, bench), 0, 1, 2);
  EXPECT_DOUBLE_EQ(chart.LogBounds.Lower, 64.0);
  EXPECT_DOUBLE_EQ(chart.LogBounds.Upper, 512.0);
  RecordingCanvas canvas;
  chart.Draw(canvas, 1200.0f);
  std::vector<std::string> labels;
  for (const std::string& text : Texts(canvas))
    if (!text.empty() && std::isdigit(static_cast<unsigned char>(text[0]))) labels.push_back(text);
  EXPECT_EQ(labels, (std::vector<std::string>{"64", "128", "256", "512"}));
  // Four grid lines share the plot height from the plot bottom up.
  EXPECT_FLOAT_EQ(chart.GridBottomY, chart.PlotTop + chart.PlotHeight);
  EXPECT_FLOAT_EQ(chart.GridTopY, chart.PlotTop + 1.0f);
  // Level 128 lies on the second grid line (d = 1 for DataToScreen of kind 0 is 3: moved up by 3).
  const platform::TPointF p = chart.DataToScreen({model[0].Date, 128.0});
  EXPECT_FLOAT_EQ(p.Y, chart.PlotTop + chart.PlotHeight - (chart.PlotHeight - 3.0f) / 3.0f - 3.0f);
  EXPECT_FLOAT_EQ(chart.DataToScreen({model[0].Date, 10.0}).Y, 0.0f);  // below every band

  // Reloading with values under 0.01 starts the bounds afresh: lower 1, two bands.
  chart.LoadSeries(
      Set(Monthly(2000, 1, 24, [](int i) { return 0.001 * (i + 1); }), Monthly(2000, 1, 24, [](int) { return 0.005; })),
      true);
  EXPECT_DOUBLE_EQ(chart.LogBounds.Lower, 1.0);
  EXPECT_GE(chart.LogBounds.Count(), 3);
  RecordingCanvas again;
  chart.Draw(again, 1200.0f);
  EXPECT_FALSE(DrewNoData(again));
}

TEST_F(SeriesComparisonChartTest, EqualValuesWidenBelow) {
  struct TCase {
    double Value;
    int Kind;
    double Lowest;
  } cases[] = {
      {2.0, 0, 1.8},    // 1.1 x 2 is not below 2: 2 - 10 %
      {-2.0, 0, -2.2},  // 1.1 x -2 is below
      {-0.5, 3, -1.1},  // -1.1 is below
      {-5.0, 3, -5.5},  // -1.1 is not below -5
      {1e9, 2, 9e8},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Value) + " kind " + std::to_string(c.Kind));
    const TSeries flat = Monthly(2001, 1, 36, [&](int) { return c.Value; });
    TSeriesComparisonChart chart = Laid(Set(flat, flat), c.Kind, 0, 2);
    EXPECT_TRUE(chart.Loaded);
    EXPECT_NEAR(chart.Lowest, c.Lowest, 1e-9 * std::fabs(c.Lowest));
    EXPECT_LT(chart.Lowest, chart.Highest);
    EXPECT_GT(chart.ValueGrid.Step, 0.0);
  }
}

TEST_F(SeriesComparisonChartTest, ExtremeValuesAndAreas) {
  const TSeries model = Monthly(1990, 1, 420, [](int i) { return i % 2 == 0 ? 1e9 : -1e9; });
  const TSeries bench = Monthly(1990, 1, 420, [](int i) { return -1e9 + i; });
  TSeriesComparisonChart chart = Laid(Set(model, bench), 3, 0, 2);
  EXPECT_LE(chart.ValueGrid.Start, -1e9);
  EXPECT_LE(chart.DateScale.Intervals, 15);
  RecordingCanvas canvas;
  chart.Draw(canvas, 1200.0f);
  // Areas: one polygon per series, filled and outlined at 0.85, never above the baseline.
  const std::vector<TCanvasOp> fills = canvas.OpsOfKind(TCanvasOpKind::FillPolygon);
  ASSERT_EQ(fills.size(), 2u);
  EXPECT_EQ(fills[0].Fill.Color, claReferenceGraphicColor_2);
  EXPECT_EQ(fills[1].Fill.Color, claReferenceGraphicColor_1);
  const float baseline = chart.PlotTop - chart.AxisTopOffset;
  for (const TCanvasOp& op : fills) {
    EXPECT_FLOAT_EQ(op.Opacity, 0.85f);
    for (const platform::TPointF& p : op.Points) EXPECT_GE(p.Y, baseline - 1e-3f);
  }
  // Kind 3 grid: nothing above 0.01.
  for (const std::string& text : Texts(canvas)) {
    if (!text.empty() && text.back() == '%') {
      EXPECT_TRUE(text == "0%" || text[0] == '-') << text;
    }
  }
}

TEST_F(SeriesComparisonChartTest, BarsFollowTheMonthsInsideThePlot) {
  // 120 months, references 0: one bar per month from the second point on,
  // each starting where the previous ended and all inside the plot.
  const TSeries model = Monthly(2000, 1, 120, [](int i) { return 0.3 + 0.005 * i; });
  const TSeries bench = Monthly(2000, 1, 120, [](int) { return 0.0; });
  TSeriesComparisonChart chart = Laid(Set(model, bench), 1, 0, 2);
  RecordingCanvas canvas;
  chart.Draw(canvas, 1200.0f);
  std::vector<platform::TRectF> bars;
  for (const TCanvasOp& op : canvas.OpsOfKind(TCanvasOpKind::FillRect))
    if (op.Fill.Color == claReferenceGraphicColor_1) bars.push_back(op.Rect);
  ASSERT_EQ(bars.size(), 119u);
  for (std::size_t i = 1; i < bars.size(); ++i) EXPECT_FLOAT_EQ(bars[i].Left, bars[i - 1].Right + 2.0f);
  EXPECT_LE(bars.back().Right, chart.PlotLeft + chart.PlotWidth + 0.01f);
  EXPECT_GT(bars.back().Right, chart.PlotLeft + chart.PlotWidth - 10.0f);
  // Kind 1 reads model minus reference and the reference, dated 15 days before the month end.
  const std::vector<TDataPoint> values = chart.GetValuesAt(chart.PlotLeft + chart.PlotWidth * 0.5f);
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(platform::DecodeDate(values[0].Date + 15.0).Day,
            platform::DaysInMonth(platform::DecodeDate(values[0].Date + 15.0).Year,
                                  platform::DecodeDate(values[0].Date + 15.0).Month));
  EXPECT_DOUBLE_EQ(values[1].Value, 0.0);
}

TEST_F(SeriesComparisonChartTest, PointsInRangeAndPeriod) {
  const TSeries model = Monthly(2015, 1, 36, [](int i) { return 1.0 + 0.01 * i; });
  const TSeries bench = Monthly(2015, 1, 36, [](int i) { return 1.0 - 0.01 * i; });
  TSeriesComparisonChart chart = Laid(Set(model, bench), 0, 0, 2);
  EXPECT_TRUE(chart.GetPointsInRange(3, 0.0, 1e9).empty());
  EXPECT_TRUE(chart.GetPointsInRange(2, 0.0, 1e9).empty());
  EXPECT_TRUE(chart.GetPointsInRange(-1, 0.0, 1e9).empty());
  const std::vector<TDataPoint> points = chart.GetPointsInRange(1, model[3].Date, model[6].Date);
  ASSERT_EQ(points.size(), 4u);  // both ends included
  EXPECT_EQ(points.front(), bench[3]);
  EXPECT_EQ(points.back(), bench[6]);

  RecordingCanvas canvas;
  chart.DrawPeriod(canvas, model[3].Date - 5.0, model[6].Date + 5.0, 0xFFC5D2DD);
  const std::vector<TCanvasOp> fills = canvas.OpsOfKind(TCanvasOpKind::FillPolygon);
  ASSERT_EQ(fills.size(), 1u);
  EXPECT_EQ(fills[0].Points.size(), 9u);  // first reference point, 4 model points, 4 reference points back
  EXPECT_EQ(fills[0].Fill.Color, 0xFFC5D2DDu);
  EXPECT_FLOAT_EQ(fills[0].Opacity, 0.5f);
  EXPECT_EQ(fills[0].Points.front(), fills[0].Points.back());
  RecordingCanvas outside;
  chart.DrawPeriod(outside, 1.0, 10.0, 0xFFC5D2DD);
  EXPECT_TRUE(outside.Ops.empty());
}

#ifdef QUORVANE_WIDGET_PNG
TEST_F(SeriesComparisonChartTest, Png) { widgettest::RenderGalleryPngs("SeriesComparisonChart_"); }
#endif

}  // namespace
