// The series bar chart: window, month geometry, stacks, legend, focus, read-outs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

#include "platform/DateTime.h"
#include "platform/RecordingCanvas.h"
#include "widgets/SeriesBarChart.h"
#include "widgets/WidgetTestSupport.h"

using platform::EncodeDate;
using platform::RecordingCanvas;
using platform::TCanvasOp;
using platform::TCanvasOpKind;

namespace {

constexpr TAlphaColor kEquity = 0xFF248CAC;
constexpr TAlphaColor kBonds = 0xFF5758BB;
constexpr TAlphaColor kGold = 0xFFF8C296;

double MonthEnd(int index) {  // index 0 = January 1990
  const int y = 1990 + index / 12;
  const int m = index % 12 + 1;
  return EncodeDate(y, m, platform::DaysInMonth(y, m));
}

// n monthly records; holdings(i) gives record i's items.
std::vector<TAllocationRow> History(int n, const std::function<std::vector<TWeightedName>(int)>& holdings) {
  std::vector<TAllocationRow> rows;
  for (int i = 0; i < n; ++i) rows.push_back({MonthEnd(i), 1.0, holdings(i)});
  return rows;
}

std::vector<TLegendItem> Legend() {
  return {{{"Equity"}, {}, kEquity}, {{"Bonds"}, {}, kBonds}, {{"Gold"}, {}, kGold}};
}

std::vector<TWeightedName> Mix(int) { return {{"Equity", 0.5}, {"Bonds", 0.3}, {"Gold", 0.2}}; }

TSeriesBarChart Laid(const std::vector<TAllocationRow>& rows, std::vector<TLegendItem> legend = Legend()) {
  TSeriesBarChart chart;
  chart.SetData("Allocation History", rows, legend, std::min(static_cast<int>(rows.size()), 25), 0.0, 1.0);
  RecordingCanvas canvas;
  chart.Layout(canvas, 0.0f, 0.0f, 1200.0f, 600.0f);
  return chart;
}

std::vector<platform::TRectF> Segments(const RecordingCanvas& canvas, TAlphaColor colour) {
  std::vector<platform::TRectF> rects;
  for (const TCanvasOp& op : canvas.OpsOfKind(TCanvasOpKind::FillRect))
    if (op.Fill.Color == colour && op.RadiusX == 0.0f) rects.push_back(op.Rect);
  return rects;
}

std::vector<std::string> Texts(const RecordingCanvas& canvas) {
  std::vector<std::string> texts;
  for (const TCanvasOp& op : canvas.OpsOfKind(TCanvasOpKind::FillText)) texts.push_back(op.Text);
  return texts;
}

class SeriesBarChartTest : public ::testing::Test {
 protected:
  void SetUp() override { widgettest::SetWindowGlobals(); }
};

TEST_F(SeriesBarChartTest, TwentyFourRecordsNeeded) {
  for (int n : {0, 1, 23, 24}) {
    SCOPED_TRACE(n);
    TSeriesBarChart chart = Laid(History(n, Mix));
    RecordingCanvas canvas;
    chart.Draw(canvas, 1200.0f, true);
    const std::vector<std::string> texts = Texts(canvas);
    const bool noData = std::find(texts.begin(), texts.end(), "No Data") != texts.end();
    EXPECT_EQ(noData, n < 24);
    EXPECT_EQ(Segments(canvas, kEquity).size(), n < 24 ? 0u : 23u);  // months 2 .. 24 of the window
  }
}

TEST_F(SeriesBarChartTest, MonthsFollowEachOtherInsideThePlot) {
  // 420 records, the window of 25 moved back 100 months: 24 bars, one per
  // month after the window's first record, none past the plot.
  TSeriesBarChart chart = Laid(History(420, Mix));
  chart.LastIndex = 319;
  chart.SetSeries(chart.ChartName, chart.History, false);
  RecordingCanvas canvas;
  chart.Draw(canvas, 1200.0f, true);
  const std::vector<platform::TRectF> bars = Segments(canvas, kEquity);
  ASSERT_EQ(bars.size(), 24u);
  for (std::size_t i = 1; i < bars.size(); ++i) EXPECT_GT(bars[i].Left, bars[i - 1].Right);
  EXPECT_LE(bars.back().Right, chart.PlotLeft + chart.PlotWidth);
  std::vector<std::string> expected;
  for (int i = 320 - 25 + 1; i <= 319; ++i) expected.push_back(widgets::DateLabel(MonthEnd(i)));
  std::vector<std::string> labels;
  for (const std::string& text : Texts(canvas))
    if (text.size() == 8 && std::isdigit(static_cast<unsigned char>(text[4]))) labels.push_back(text);
  EXPECT_EQ(labels, expected);
}

TEST_F(SeriesBarChartTest, StacksByLegendName) {
  // Record 30 holds an unknown name first (drawn nowhere, not stacked) and
  // weights summing to 1.4 (drawn above the plot top).
  TSeriesBarChart chart = Laid(History(31, [](int i) {
    if (i == 30) return std::vector<TWeightedName>{{"Unknown", 0.5}, {"Equity", 0.8}, {"Bonds", 0.6}};
    return Mix(i);
  }));
  RecordingCanvas canvas;
  chart.Draw(canvas, 1200.0f, true);
  const platform::TRectF equity = Segments(canvas, kEquity).back();
  const platform::TRectF bonds = Segments(canvas, kBonds).back();
  const float bottom = chart.PlotTop + chart.PlotHeight;
  EXPECT_FLOAT_EQ(equity.Top, bottom - 2.0f);  // from 0, not from 0.5
  EXPECT_FLOAT_EQ(equity.Bottom, bottom - 0.8f * (chart.PlotHeight - 1.0f));
  EXPECT_FLOAT_EQ(bonds.Top, equity.Bottom - 2.0f);
  EXPECT_LT(bonds.Bottom, chart.PlotTop);
  EXPECT_EQ(Segments(canvas, kGold).size(), 23u);
  // The range stays [0, 1]: the grid runs 0 % .. 100 %.
  EXPECT_DOUBLE_EQ(chart.Lowest, 0.0);
  EXPECT_DOUBLE_EQ(chart.Highest, 1.0);
  const std::vector<std::string> texts = Texts(canvas);
  EXPECT_NE(std::find(texts.begin(), texts.end(), "100%"), texts.end());
  EXPECT_NE(std::find(texts.begin(), texts.end(), "0%"), texts.end());
}

// Bounds [-0.25, 1] step 12.5 %: each label states its own line's value.
TEST_F(SeriesBarChartTest, GridLabelsStateTheirLinesValue) {
  const struct {
    double Lower, Upper;
    std::vector<std::string> Labels;
  } cases[] = {
      {-0.25, 1.0, {"-25%", "-12.5%", "0%", "12.5%", "25%", "37.5%", "50%", "62.5%", "75%", "87.5%", "100%"}},
      {0.0, 1.0, {"0%", "10%", "20%", "30%", "40%", "50%", "60%", "70%", "80%", "90%", "100%"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Lower);
    TSeriesBarChart chart;
    chart.SetData("Allocation History", History(30, Mix), Legend(), 25, c.Lower, c.Upper);
    RecordingCanvas canvas;
    chart.Layout(canvas, 0.0f, 0.0f, 1200.0f, 600.0f);
    chart.Draw(canvas, 1200.0f, true);
    EXPECT_EQ(
        widgettest::ExpectLabelsOnTheirLines(canvas, chart.Lowest, chart.Highest, chart.PlotTop, chart.PlotHeight),
        c.Labels);
  }
}

TEST_F(SeriesBarChartTest, FocusFollowsTheMouse) {
  // Equity weight 0 in the even records: no percentage written there.
  TSeriesBarChart chart = Laid(History(30, [](int i) {
    return std::vector<TWeightedName>{{"Equity", i % 2 == 0 ? 0.0 : 0.25}, {"Bonds", 0.5}};
  }));
  RecordingCanvas first;
  chart.Draw(first, 1200.0f, true);
  const platform::TRectF bonds = Segments(first, kBonds).back();  // last month, record 29
  const float x = (bonds.Left + bonds.Right) * 0.5f;
  const std::vector<TDataPoint> hit = chart.GetValuesAt(x, (bonds.Top + bonds.Bottom) * 0.5f);
  ASSERT_EQ(hit.size(), 2u);
  EXPECT_EQ(hit[0], (TDataPoint{MonthEnd(29) - 15.0, 0.25}));
  EXPECT_EQ(hit[1], (TDataPoint{MonthEnd(29) - 15.0, 0.5}));
  EXPECT_EQ(chart.HoverLabel, "Bonds");
  EXPECT_EQ(chart.PreviousHoverLabel, "");
  // The segment's top is the read-out marker's point.
  EXPECT_FLOAT_EQ(chart.DataToScreen({hit[0].Date, 0.75}).Y, bonds.Bottom);

  EXPECT_EQ(chart.GetValuesAt(x, (bonds.Top + bonds.Bottom) * 0.5f + 120.0f).size(), 2u);
  EXPECT_EQ(chart.HoverLabel, "Equity");
  EXPECT_EQ(chart.PreviousHoverLabel, "Bonds");
  RecordingCanvas focus;
  chart.Draw(focus, 1200.0f, false);
  EXPECT_EQ(Segments(focus, kEquity).size(), 0u);
  EXPECT_EQ(Segments(focus, kWidgetTextColour).size(), 24u);
  int percentages = 0;
  for (const std::string& text : Texts(focus)) percentages += text == "25.00 %" ? 1 : 0;
  EXPECT_EQ(percentages, 12);  // the odd records among 6 .. 29
  EXPECT_TRUE(chart.GetValuesAt(x, chart.PlotTop - 50.0f).empty());
  EXPECT_EQ(chart.HoverLabel, "");
  EXPECT_EQ(chart.PreviousHoverLabel, "Equity");
}

TEST_F(SeriesBarChartTest, LegendRowsAndHints) {
  TSeriesBarChart chart = Laid(History(30, Mix));
  RecordingCanvas canvas;
  chart.Draw(canvas, 1200.0f, true);
  // Labels up to 6 characters (57.6 wide) round to 60: entries 150 apart, three in a row.
  EXPECT_FLOAT_EQ(chart.LegendItems[1].Bounds.Left - chart.LegendItems[0].Bounds.Left, 150.0f);
  EXPECT_FLOAT_EQ(chart.LegendItems[2].Bounds.Top, chart.LegendItems[0].Bounds.Top);
  const platform::TRectF gold = chart.LegendItems[2].Bounds;
  EXPECT_EQ(chart.GetHintAt(gold.Right, gold.Bottom), "Gold");  // edges belong to the entry
  EXPECT_EQ(chart.GetHintAt(gold.Right + 1.0f, gold.Bottom), "");
  // The focus view draws no legend entries: its hints answer nothing.
  RecordingCanvas focus;
  chart.Draw(focus, 1200.0f, false);
  EXPECT_EQ(chart.GetHintAt(gold.Right, gold.Bottom), "");

  // Labels too wide for three entries: two in a row.
  std::vector<TLegendItem> wide = Legend();
  wide[0].Labels[0] = std::string(30, 'E');
  TSeriesBarChart two = Laid(History(30, Mix), wide);
  RecordingCanvas twoCanvas;
  two.Draw(twoCanvas, 1200.0f, true);
  EXPECT_GT(two.LegendItems[2].Bounds.Top, two.LegendItems[0].Bounds.Top);
  EXPECT_FLOAT_EQ(two.LegendItems[2].Bounds.Left, two.LegendItems[0].Bounds.Left);

  // The legend starts below the lowest corner of every rotated date label,
  // in the full and the focus legend.
  float lowest = 0.0f;
  for (const auto& op : canvas.OpsOfKind(platform::TCanvasOpKind::FillText)) {
    if (op.Matrix == platform::TMatrix::Identity()) continue;
    const platform::TRectF& r = op.Rect;
    for (const platform::TPointF corner : {platform::TPointF{r.Left, r.Top}, platform::TPointF{r.Right, r.Top},
                                           platform::TPointF{r.Left, r.Bottom}, platform::TPointF{r.Right, r.Bottom}})
      lowest = std::max(lowest, op.Matrix.Map(corner).Y);
  }
  ASSERT_GT(lowest, chart.PlotTop + chart.PlotHeight);
  EXPECT_GT(gold.Top, lowest);  // first row, drawn by the full legend above
  chart.GetValuesAt(chart.DataToScreen({chart.History.back().Date, 0.05}).X, chart.PlotTop + chart.PlotHeight - 2.0f);
  ASSERT_FALSE(chart.HoverLabel.empty());
  RecordingCanvas focusLegend;
  chart.Draw(focusLegend, 1200.0f, false);
  const auto texts = focusLegend.OpsOfKind(platform::TCanvasOpKind::FillText);
  const auto entry =
      std::find_if(texts.begin(), texts.end(), [&](const auto& op) { return op.Text == chart.HoverLabel; });
  ASSERT_NE(entry, texts.end());
  EXPECT_GT(entry->Rect.Top, lowest);
}

TEST_F(SeriesBarChartTest, ALegendPassingTheAreaLiftsThePlotUnderItsTitle) {
  // Area height 600, plot 400 centred at 100. One legend row ends a few
  // pixels past the bottom: the plot moves up just enough. Fourteen rows of
  // forty cannot fit: the plot moves up to two lines under the area top.
  struct Case {
    std::size_t items;
    bool full;
    bool fits;
  };
  const Case cases[] = {{3, true, true}, {3, false, true}, {40, true, false}};
  for (const Case& c : cases) {
    std::vector<TLegendItem> legend;
    for (std::size_t i = 0; i < c.items; ++i) legend.push_back({{"Country " + std::to_string(i)}, {}, kEquity});
    TSeriesBarChart chart = Laid(History(30,
                                         [](int) {
                                           return std::vector<TWeightedName>{{"Country 0", 0.4}};
                                         }),
                                 legend);
    chart.HoverLabel = "Country 0";
    const float centred = chart.PlotTop;
    RecordingCanvas canvas;
    chart.Draw(canvas, 1200.0f, c.full);
    const float textHeight = 1.2f * widgets::TextSize();
    float legendBottom = 0.0f;
    for (const TCanvasOp& op : canvas.OpsOfKind(TCanvasOpKind::FillText))
      if (op.Text.rfind("Country ", 0) == 0) legendBottom = std::max(legendBottom, op.Rect.Bottom);
    ASSERT_GT(legendBottom, 0.0f) << c.items;
    EXPECT_LT(chart.PlotTop, centred) << c.items << " " << c.full;
    if (c.fits) {
      EXPECT_LE(legendBottom, 600.5f) << c.items << " " << c.full;
      EXPECT_GT(legendBottom, 599.0f) << "moved no further than needed";
    } else {
      EXPECT_FLOAT_EQ(chart.PlotTop, 2.0f * textHeight);
    }
    // Drawing again starts from the centred plot: the lift does not add up.
    const float lifted = chart.PlotTop;
    chart.Draw(canvas, 1200.0f, c.full);
    EXPECT_FLOAT_EQ(chart.PlotTop, lifted);
  }
}

TEST_F(SeriesBarChartTest, WindowAndIndexesClamped) {
  TSeriesBarChart chart = Laid(History(40, Mix));
  chart.LastIndex = 1000;
  chart.SetSeries(chart.ChartName, chart.History, false);
  EXPECT_EQ(chart.LastIndex, 39);
  chart.LastIndex = -5;
  chart.SetSeries(chart.ChartName, chart.History, false);
  EXPECT_EQ(chart.LastIndex, 24);
  EXPECT_DOUBLE_EQ(chart.FirstDate, MonthEnd(0) + 1.0);
  EXPECT_DOUBLE_EQ(chart.LastDate, MonthEnd(24));
  EXPECT_EQ(chart.DateScale.Intervals, 25);
  chart.WindowLength = 500;
  chart.SetSeries(chart.ChartName, chart.History, false);
  EXPECT_EQ(chart.WindowLength, 40);
  // Mapping: first date at the plot left and the bottom, last date and 1.0 at the right and top.
  const platform::TPointF low = chart.DataToScreen({chart.FirstDate, 0.0});
  const platform::TPointF high = chart.DataToScreen({chart.LastDate, 1.0});
  EXPECT_FLOAT_EQ(low.X, chart.PlotLeft);
  EXPECT_FLOAT_EQ(low.Y, chart.PlotTop + chart.PlotHeight);
  EXPECT_FLOAT_EQ(high.X, chart.PlotLeft + chart.PlotWidth - 1.0f);
  EXPECT_FLOAT_EQ(high.Y, chart.PlotTop + 1.0f);
  // A fresh chart maps without dividing by zero and reads nothing.
  TSeriesBarChart fresh;
  EXPECT_TRUE(std::isfinite(fresh.DataToScreen({100.0, 0.5}).X));
  EXPECT_TRUE(fresh.GetValuesAt(10.0f, 10.0f).empty());
}

#ifdef QUORVANE_WIDGET_PNG
TEST_F(SeriesBarChartTest, Png) { widgettest::RenderGalleryPngs("SeriesBarChart_"); }
#endif

}  // namespace
