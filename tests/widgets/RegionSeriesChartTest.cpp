#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "platform/RecordingCanvas.h"
#include "widgets/RegionSeriesChart.h"
#include "widgets/WidgetTestSupport.h"

using platform::RecordingCanvas;
using platform::TCanvasOp;
using platform::TCanvasOpKind;

namespace {

constexpr float kTol = 1e-3f;

// A row of monthly points from January 1990.
TLabelledSeries Row(const std::string& name, const std::string& region, const std::vector<double>& values,
                    bool active = true) {
  TLabelledSeries row = widgettest::MonthlyRow(name, region, values);
  row.Selected = active;
  return row;
}

TLabelledSeries ConstantRow(const std::string& name, const std::string& region, int points, double value) {
  return Row(name, region, std::vector<double>(static_cast<std::size_t>(points), value));
}

// Slot of a dot or label x in the grid.
int SlotOf(const TRegionSeriesChart& chart, float left) {
  return static_cast<int>(std::lround((left - chart.GridLeft()) / chart.CellWidth()));
}

std::vector<TCanvasOp> RotatedTexts(const RecordingCanvas& canvas) {
  std::vector<TCanvasOp> texts;
  for (const TCanvasOp& op : canvas.OpsOfKind(TCanvasOpKind::FillText))
    if (!(op.Matrix == platform::TMatrix::Identity())) texts.push_back(op);
  return texts;
}

// Recorded calls of one kind that satisfy pred.
template <typename Pred>
std::vector<TCanvasOp> Where(const RecordingCanvas& canvas, TCanvasOpKind kind, Pred pred) {
  std::vector<TCanvasOp> ops;
  for (const TCanvasOp& op : canvas.OpsOfKind(kind))
    if (pred(op)) ops.push_back(op);
  return ops;
}

class RegionSeriesChartTest : public ::testing::Test {
 protected:
  void SetUp() override { widgettest::SetWindowGlobals(); }
  void TearDown() override { widgettest::SetWindowGlobals(); }
  RecordingCanvas Canvas;
};

TEST_F(RegionSeriesChartTest, LayoutPlacesGridColumnsAnchorAndExtent) {
  TRegionSeriesChart chart;
  chart.SetData({ConstantRow("USA", "North America", 30, 1), ConstantRow("Japan", "Japan", 30, 0)}, 25, 16, 0);
  chart.Layout(Canvas, 100.0f, 50.0f, 1200.0f, 800.0f);
  // Size 16: "X" 9.6 wide, 19.2 high; row height 19.2 x 1.4 = 26.88 = cell width.
  EXPECT_NEAR(chart.RowHeight(), 26.88f, kTol);
  EXPECT_NEAR(chart.CellWidth(), 26.88f, kTol);
  // Axis height 76.8 x 0.707; dx = (1200 - 672) / 2; dy = (800 - floor(430.08 + 54.2976 + 19.2)) / 2.
  EXPECT_NEAR(chart.DateAxis().Height, 54.2976f, kTol);
  EXPECT_NEAR(chart.GridLeft(), 364.0f, kTol);
  EXPECT_NEAR(chart.DateAxis().Top, 198.5f, kTol);
  EXPECT_NEAR(chart.GridTop(), 198.5f + 54.2976f + 19.2f, kTol);
  ASSERT_EQ(chart.TextColumns().size(), 2u);
  // Mode 0 gauges: "United Kingdom" and "Commodity Exporters" bold.
  EXPECT_NEAR(chart.TextColumns()[0].Left, 364.0f + 672.0f + 19.2f, kTol);
  EXPECT_NEAR(chart.TextColumns()[0].Width, 134.4f, kTol);
  EXPECT_NEAR(chart.TextColumns()[1].Left, 1055.2f + 134.4f + 19.2f, kTol);
  EXPECT_NEAR(chart.TextColumns()[1].Width, 182.4f, kTol);
  EXPECT_NEAR(chart.TextColumns()[1].Height, 16 * 26.88f, kTol);
  EXPECT_NEAR(chart.TrackBarAnchorX, 364.0f - 182.4f - 28.8f, kTol);
  const TViewArea area = chart.ViewArea();
  EXPECT_NEAR(area.Left, 364.0f - 182.4f - 9.6f - 5.0f, kTol);  // region box left
  EXPECT_NEAR(area.Top, 198.5f, kTol);
  EXPECT_NEAR(area.Left + area.Width, 1208.8f + 182.4f, kTol);
  EXPECT_NEAR(area.Top + area.Height, chart.GridTop() + 16 * 26.88f, kTol);
  EXPECT_EQ(area.SpanTop, 0.0f);
  EXPECT_EQ(area.SpanBottom, 0.0f);
}

TEST_F(RegionSeriesChartTest, WindowSlotsLabelsAndClamping) {
  struct Case {
    int setColumn;           // -1: leave the window at the newest point
    int lastColumn;          // after clamping
    std::set<int> dotSlots;  // slots holding a dot
    int labels;              // month labels written
    bool newestBold;         // a bold label in the last slot
    std::string lastLabel;
  };
  std::set<int> gap;  // window at the newest month: slots 0..22, empty slot 23, newest at 24
  for (int s = 0; s <= 22; ++s) gap.insert(s);
  gap.insert(24);
  std::set<int> full;
  for (int s = 0; s <= 24; ++s) full.insert(s);
  for (const Case& c : {Case{-1, 29, gap, 13, true, "Jun 1992"}, Case{27, 27, full, 13, false, "Apr 1992"},
                        Case{100, 29, gap, 13, true, "Jun 1992"}, Case{5, 24, full, 13, false, "Jan 1992"}}) {
    TRegionSeriesChart chart;
    chart.SetData({ConstantRow("USA", "North America", 30, 1)}, 25, 1, 0);
    if (c.setColumn >= 0) chart.SetLastVisibleColumn(c.setColumn);
    EXPECT_EQ(chart.LastVisibleColumn(), c.lastColumn);
    chart.Layout(Canvas, 0.0f, 0.0f, 1000.0f, 400.0f);
    Canvas.Ops.clear();
    chart.Draw(Canvas, 0.0f);
    std::set<int> drawnSlots;
    for (const TCanvasOp& op : Canvas.OpsOfKind(TCanvasOpKind::FillEllipse))
      drawnSlots.insert(SlotOf(chart, op.Rect.Left - 3.0f));
    EXPECT_EQ(drawnSlots, c.dotSlots) << c.setColumn;
    const std::vector<TCanvasOp> labels = RotatedTexts(Canvas);
    ASSERT_EQ(static_cast<int>(labels.size()), c.labels) << c.setColumn;
    // Labels on every second column from the first visible one.
    const float firstAnchor = chart.DateAxis().Left + 0.5f * chart.CellWidth();
    EXPECT_NEAR(labels.front().Matrix.M31, firstAnchor, kTol);
    EXPECT_NEAR(labels[1].Matrix.M31, firstAnchor + 2.0f * chart.CellWidth(), kTol);
    EXPECT_NEAR(labels.back().Matrix.M32, chart.DateAxis().Top + chart.DateAxis().Height, kTol);
    EXPECT_NEAR(labels.back().Matrix.M31, firstAnchor + 24.0f * chart.CellWidth(), kTol);
    EXPECT_EQ(labels.back().Font.Style == platform::fsBold, c.newestBold) << c.setColumn;
    EXPECT_EQ(labels.back().Text, c.lastLabel);
  }
}

TEST_F(RegionSeriesChartTest, DotColoursByModeLegendAndSelection) {
  const std::vector<TLegendItem> two{{{"Off"}, {}, 0xFF000001}, {{"On"}, {}, 0xFF000002}};
  const std::vector<TLegendItem> three{{{"A"}, {}, 0xFF000001}, {{"B"}, {}, 0xFF000002}, {{"C"}, {}, 0xFF000003}};
  struct Case {
    int mode;
    std::vector<TLegendItem> legend;
    float selected;
    double value;
    TAlphaColor colour;  // 0: no dot
    float opacity;
  };
  const std::vector<Case> cases{
      // Five states by value.
      {0, {}, 0.0f, 0, claGraphicPalette[0], 1.0f},
      {0, {}, 0.0f, 1, claGraphicPalette[1], 1.0f},
      {0, {}, 0.0f, 2, claGraphicPalette[1], 1.0f},
      {0, {}, 0.0f, 3, claGraphicPalette[2], 1.0f},
      {0, {}, 0.0f, 4, claGraphicPalette[0], 1.0f},
      {0, {}, 0.0f, 5, claGraphicPalette[0], 1.0f},
      {0, {}, 0.0f, -2, kWidgetGridColour, 1.0f},
      {0, {}, 0.0f, 7, 0, 1.0f},
      {0, {}, 0.0f, -1, kWidgetGridColour, 0.2f},
      {1, {}, 0.0f, -1, 0, 1.0f},  // only mode 0 greys -1 when the value colouring has none
      // Two states: the same values coloured differently.
      {0, {}, -1000.0f, 3, claGraphicPalette[1], 1.0f},
      {0, {}, -1000.0f, 0, claGraphicPalette[0], 1.0f},
      {1, {}, -1000.0f, -1, kWidgetGridColour, 0.2f},
      // A selected rank stands out.
      {0, {}, 3.0f, 3, claGraphicPalette[1], 1.0f},
      {0, {}, 3.0f, 2, claGraphicPalette[0], 1.0f},
      {1, {}, 3.0f, -1, kWidgetGridColour, 0.2f},
      // Legend colours.
      {1, two, 0.0f, 1, 0xFF000002, 1.0f},
      {1, two, 0.0f, 0, 0xFF000001, 1.0f},
      {1, two, 0.0f, 3, kWidgetGridColour, 1.0f},
      {2, three, 0.0f, 2, 0xFF000003, 1.0f},
      {2, three, 0.0f, 5, kWidgetGridColour, 1.0f},    // outside the legend
      {2, three, 0.0f, 1.5, kWidgetGridColour, 1.0f},  // no legend position
      {2, three, 0.0f, -1, kWidgetGridColour, 0.2f},
      {2, three, 2.0f, 2, 0xFF000001, 1.0f},
      {2, three, 2.0f, 1, kWidgetGridColour, 1.0f},
      {2, {}, 0.0f, 0, kWidgetGridColour, 1.0f},  // empty legend in mode 2
  };
  for (const Case& c : cases) {
    TRegionSeriesChart chart;
    chart.SetData({Row("Gold", "", {c.value})}, 1, 1, c.mode);
    chart.SetLegend(c.legend);
    chart.Layout(Canvas, 0.0f, 0.0f, 600.0f, 400.0f);
    Canvas.Ops.clear();
    chart.Draw(Canvas, c.selected);
    const std::vector<TCanvasOp> dots = Canvas.OpsOfKind(TCanvasOpKind::FillEllipse);
    const std::size_t expected = (c.colour != 0 ? 1u : 0u) + c.legend.size();
    ASSERT_EQ(dots.size(), expected) << c.mode << " " << c.selected << " " << c.value;
    if (c.colour == 0) continue;
    EXPECT_EQ(dots[0].Fill.Color, c.colour) << c.mode << " " << c.selected << " " << c.value;
    EXPECT_FLOAT_EQ(dots[0].Opacity, c.opacity) << c.mode << " " << c.selected << " " << c.value;
  }
}

TEST_F(RegionSeriesChartTest, RowTextsRegionBoxesBarsAndScrolling) {
  const std::vector<TLabelledSeries> rows{
      ConstantRow("USA", "North America", 4, 1), Row("Canada", "North America", {1, 1, 1, 1}, false),
      ConstantRow("Germany", "Europe (Euro)", 4, 0), ConstantRow("Atlantis", "Nowhere", 4, 0),
      ConstantRow("Japan", "Japan", 4, 1)};
  struct Case {
    int scroll, firstRow;
    std::vector<std::string> names;
    std::vector<bool> bold;
    std::vector<TAlphaColor> colours;
    int boxes, bars;
  };
  for (const Case& c :
       {Case{0,
             0,
             {"USA", "Canada", "Germany", "Atlantis", "Japan"},
             {1, 0, 1, 1, 1},
             {kWidgetTextColour, kWidgetGridColour, kWidgetTextColour, kWidgetTextColour, kWidgetTextColour},
             3,
             4},
        Case{99,
             2,
             {"Germany", "Atlantis", "Japan"},
             {1, 1, 1},
             {kWidgetTextColour, kWidgetTextColour, kWidgetTextColour},
             2,
             2}}) {
    TRegionSeriesChart chart;
    chart.SetData(rows, 4, c.scroll == 0 ? 5 : 3, 0);
    chart.SetScrollPosition(c.scroll);
    EXPECT_EQ(chart.ScrollPosition(), c.firstRow);
    chart.Layout(Canvas, 0.0f, 0.0f, 1000.0f, 400.0f);
    Canvas.Ops.clear();
    chart.Draw(Canvas, 0.0f);
    const float top = chart.GridTop();
    const float rh = chart.RowHeight();
    const std::vector<TRegionHitArea>& hits = chart.HitAreas();
    const std::vector<TCanvasOp> names = Where(Canvas, TCanvasOpKind::FillText, [&](const TCanvasOp& op) {
      return op.Rect.Left == chart.TextColumns()[0].Left;
    });
    ASSERT_EQ(hits.size(), c.names.size());
    ASSERT_EQ(names.size(), c.names.size());
    for (std::size_t i = 0; i < c.names.size(); ++i) {
      EXPECT_EQ(hits[i].Text, c.names[i]);
      EXPECT_EQ(hits[i].Bold, c.bold[i]) << c.names[i];
      EXPECT_NEAR(hits[i].Bounds.Top, top + static_cast<float>(i) * rh, kTol);
      EXPECT_EQ(names[i].Text, c.names[i]);
      EXPECT_EQ(names[i].Fill.Color, c.colours[i]) << c.names[i];
    }
    // One region box per run of equal regions, none for an unknown region.
    EXPECT_EQ(
        static_cast<int>(
            Where(Canvas, TCanvasOpKind::FillRect, [](const TCanvasOp& op) { return op.RadiusX == 2.0f; }).size()),
        c.boxes);
    // Bars: one per row of a known region, 4 down where the region changes, 3 short on the last row.
    const std::vector<TCanvasOp> bars = Where(Canvas, TCanvasOpKind::DrawLine, [&](const TCanvasOp& op) {
      return op.Points[0].X == chart.TextColumns()[0].Left - 5.0f;
    });
    ASSERT_EQ(static_cast<int>(bars.size()), c.bars);
    if (c.scroll != 0) continue;
    EXPECT_NEAR(bars[0].Points[0].Y, top + 4.0f, kTol);
    EXPECT_EQ(bars[0].Stroke.Color, claRegionColors[0]);
    EXPECT_NEAR(bars[1].Points[0].Y, top + rh, kTol);  // Canada continues the run
    EXPECT_NEAR(bars[3].Points[1].Y, top + 5.0f * rh - 3.0f, kTol);
    EXPECT_EQ(bars[3].Stroke.Color, claRegionColors[4]);
    const std::vector<TCanvasOp> region =
        Where(Canvas, TCanvasOpKind::FillText, [](const TCanvasOp& op) { return op.Text == "Europe (Euro)"; });
    ASSERT_EQ(region.size(), 1u);
    EXPECT_EQ(region[0].Fill.Color, 0xFFFFFFFFu);
    EXPECT_NEAR(region[0].Rect.Right, chart.GridLeft() - 9.6f, kTol);
  }
}

TEST_F(RegionSeriesChartTest, BestRowHidesNamesAndDrawsArrow) {
  TRegionSeriesChart chart;
  chart.SetData({ConstantRow("Best", "", 10, 1), ConstantRow("2", "", 10, 2), ConstantRow("3", "", 10, 3)}, 5, 3, 0);
  chart.Layout(Canvas, 0.0f, 100.0f, 800.0f, 400.0f);
  Canvas.Ops.clear();
  chart.Draw(Canvas, 2.0f);
  EXPECT_EQ(chart.HitAreas().size(), 3u);  // hit areas kept
  int names = 0;
  int bestLabels = 0;
  for (const TCanvasOp& op : Canvas.OpsOfKind(TCanvasOpKind::FillText)) {
    if (op.Rect.Left == chart.TextColumns()[0].Left) ++names;
    if (op.Text == "Best") ++bestLabels;
  }
  EXPECT_EQ(names, 0);
  EXPECT_EQ(bestLabels, 1);
  const float rh = chart.RowHeight();
  const float x = chart.GridLeft() + chart.CellWidth() * 5.0f + 30.0f;  // newest month in slot 4
  const float firstMiddle = chart.GridTop() + 0.5f * rh;
  const std::vector<TCanvasOp> arrow = Where(
      Canvas, TCanvasOpKind::DrawLine, [](const TCanvasOp& op) { return op.Stroke.Color == claTitleColorPair[1]; });
  ASSERT_EQ(arrow.size(), 3u);
  EXPECT_NEAR(arrow[0].Points[0].X, x, kTol);
  EXPECT_NEAR(arrow[0].Points[0].Y, firstMiddle + 2.0f * rh, kTol);
  EXPECT_NEAR(arrow[0].Points[1].Y, firstMiddle - rh, kTol);
  EXPECT_NEAR(arrow[1].Points[0].X, x - 8.0f, kTol);
  EXPECT_NEAR(arrow[1].Points[0].Y, firstMiddle - 24.0f, kTol);
  EXPECT_EQ(Where(Canvas, TCanvasOpKind::FillEllipse,
                  [](const TCanvasOp& op) { return op.Fill.Color == claTitleColorPair[1] && op.Rect.Width() == 8.0f; })
                .size(),
            3u);
}

TEST_F(RegionSeriesChartTest, LegendRowsAndSeriesHint) {
  TRegionSeriesChart chart;
  chart.SetData({ConstantRow("EUR", "", 6, 1), ConstantRow("Gold", "", 6, 0)}, 6, 2, 1);
  chart.SetLegend({{{"FIAT Currencies"}, {}, 0xFF77A1B5},
                   {{"Gold"}, {}, 0xFFF7DC68},
                   {{"C"}, {}, 0xFF000003},
                   {{"D"}, {}, 0xFF000004}});
  chart.Layout(Canvas, 0.0f, 0.0f, 900.0f, 500.0f);
  chart.Draw(Canvas, 0.0f);
  const float cw = chart.CellWidth();
  const float rh = chart.RowHeight();
  // "FIAT Currencies" bold: 15 x 9.6 = 144 -> 6 cells of 26.88 = 161.28.
  const float box = 6.0f * cw;
  const float pitch = 3.0f * cw + box;
  const std::vector<TLegendItem>& legend = chart.Legend();
  // Mode 1 widens a column to label + "X" only for a label wider than the column: "Gold" is not wider than "EURX".
  EXPECT_NEAR(chart.TextColumns()[0].Width, 38.4f, kTol);
  EXPECT_NEAR(legend[0].Bounds.Left, chart.GridLeft() + 1.0f + 1.5f * cw, kTol);
  EXPECT_NEAR(legend[0].Bounds.Top, chart.GridTop() + 3.0f * rh + 1.0f, kTol);
  EXPECT_NEAR(legend[2].Bounds.Right, chart.GridLeft() + 2.0f * pitch + 2.0f * cw + box, kTol);
  EXPECT_NEAR(legend[3].Bounds.Top, chart.GridTop() + 4.5f * rh + 1.0f, kTol);
  EXPECT_NEAR(legend[3].Bounds.Left, legend[0].Bounds.Left, kTol);
  EXPECT_EQ(chart.GetSeriesHintAt(legend[1].Bounds.Left, legend[1].Bounds.Bottom), "Gold");
  EXPECT_EQ(chart.GetSeriesHintAt(legend[3].Bounds.Right, legend[3].Bounds.Top), "D");
  EXPECT_EQ(chart.GetSeriesHintAt(legend[0].Bounds.Left - 1.0f, legend[0].Bounds.Top), "");
  // The extent reaches the legend's last row.
  EXPECT_NEAR(chart.ViewArea().Top + chart.ViewArea().Height, chart.GridTop() + 5.5f * rh, kTol);
}

TEST_F(RegionSeriesChartTest, HoverSequenceKeepsEachNameStyle) {
  TRegionSeriesChart chart;
  chart.SetData({ConstantRow("USA", "North America", 3, 1), ConstantRow("Canada", "North America", 3, 1)}, 3, 2, 0);
  chart.Layout(Canvas, 0.0f, 0.0f, 800.0f, 300.0f);
  chart.Draw(Canvas, 0.0f);
  const platform::TRectF usa = chart.HitAreas()[0].Bounds;
  const platform::TRectF canada = chart.HitAreas()[1].Bounds;
  EXPECT_EQ(chart.GetPointHintAt(canada.Right, canada.Top), "USA");  // shared edge: first area wins
  EXPECT_EQ(chart.GetPointHintAt(canada.Right, canada.Bottom - 1.0f), "Canada");
  EXPECT_EQ(chart.GetPointHintAt(canada.Right + 0.1f, canada.Bottom - 1.0f), "");

  struct Step {
    float x, y;
    int hovered;
    std::vector<std::pair<std::string, TAlphaColor>> texts;  // texts written, in order
  };
  const float dx = 10.0f;
  const float dy = 20.0f;
  for (const Step& s :
       std::vector<Step>{{canada.Left + 1.0f, canada.Bottom - 1.0f, 1, {{"Canada", 0xFF9B9C9E}}},
                         {usa.Left + 1.0f, usa.Top + 1.0f, 0, {{"USA", 0xFF9B9C9E}, {"Canada", kWidgetTextColour}}},
                         {usa.Right, usa.Top + 2.0f, 0, {}},
                         {usa.Right + 5.0f, usa.Top + 2.0f, -1, {{"USA", kWidgetTextColour}}},
                         {usa.Right + 5.0f, usa.Top + 2.0f, -1, {}}}) {
    Canvas.Ops.clear();
    chart.HighlightAt(Canvas, s.x, s.y, dx, dy);
    EXPECT_EQ(chart.HoveredIndex(), s.hovered);
    const std::vector<TCanvasOp> texts = Canvas.OpsOfKind(TCanvasOpKind::FillText);
    ASSERT_EQ(texts.size(), s.texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(texts[i].Text, s.texts[i].first);
      EXPECT_EQ(texts[i].Fill.Color, s.texts[i].second);
      // USA opens its region: bold; Canada continues it: regular. Moved by the offsets.
      EXPECT_EQ(texts[i].Font.Style, texts[i].Text == "USA" ? platform::fsBold : 0u);
      const platform::TRectF& bounds = texts[i].Text == "USA" ? usa : canada;
      EXPECT_NEAR(texts[i].Rect.Left, bounds.Left + dx, kTol);
      EXPECT_NEAR(texts[i].Rect.Top, bounds.Top + dy, kTol);
    }
  }
}

TEST_F(RegionSeriesChartTest, EmptyAndShortInputsStayInsideTheData) {
  // No rows: nothing drawn, queries empty.
  TRegionSeriesChart empty;
  empty.SetData({}, 25, 16, 0);
  empty.Layout(Canvas, 0.0f, 0.0f, 800.0f, 600.0f);
  Canvas.Ops.clear();
  empty.Draw(Canvas, 0.0f);
  empty.HighlightAt(Canvas, 10.0f, 10.0f, 0.0f, 0.0f);
  EXPECT_TRUE(Canvas.Ops.empty());
  EXPECT_EQ(empty.GetPointHintAt(10.0f, 10.0f), "");
  EXPECT_EQ(empty.GetSeriesHintAt(10.0f, 10.0f), "");

  // A row shorter than the first has no dots where its points end; rows
  // without labels draw empty names; more visible columns than points.
  TRegionSeriesChart chart;
  TLabelledSeries bare;
  bare.Series = {{widgettest::MonthEnd(0), 1.0}};
  chart.SetData({ConstantRow("USA", "North America", 6, 1), ConstantRow("Canada", "North America", 3, 1), bare}, 25, 16,
                0);
  chart.Layout(Canvas, 0.0f, 0.0f, 1000.0f, 600.0f);
  Canvas.Ops.clear();
  chart.Draw(Canvas, 0.0f);
  std::vector<int> perRow(3, 0);
  for (const TCanvasOp& op : Canvas.OpsOfKind(TCanvasOpKind::FillEllipse))
    ++perRow[static_cast<std::size_t>(std::lround((op.Rect.Top - 3.0f - chart.GridTop()) / chart.RowHeight()))];
  EXPECT_EQ(perRow, (std::vector<int>{6, 3, 1}));
  EXPECT_EQ(chart.HitAreas().size(), 3u);

  // Switching to a smaller group pulls the first visible row back.
  TRegionSeriesChart scrolled;
  std::vector<TLabelledSeries> many;
  for (int i = 0; i < 40; ++i) many.push_back(ConstantRow("C" + std::to_string(i), "Japan", 5, 1));
  scrolled.SetData(many, 5, 16, 0);
  scrolled.SetScrollPosition(24);
  EXPECT_EQ(scrolled.ScrollPosition(), 24);
  scrolled.SetScrollPosition(-3);
  EXPECT_EQ(scrolled.ScrollPosition(), 0);
  scrolled.SetScrollPosition(30);
  EXPECT_EQ(scrolled.ScrollPosition(), 24);
  scrolled.SetSeries(std::vector<TLabelledSeries>(many.begin(), many.begin() + 20));
  EXPECT_EQ(scrolled.ScrollPosition(), 4);
  scrolled.SetSeries(std::vector<TLabelledSeries>(many.begin(), many.begin() + 3));
  EXPECT_EQ(scrolled.ScrollPosition(), 0);
  scrolled.Layout(Canvas, 0.0f, 0.0f, 800.0f, 600.0f);
  scrolled.Draw(Canvas, 0.0f);
  EXPECT_EQ(scrolled.HitAreas().size(), 3u);
}

#ifdef QUORVANE_WIDGET_PNG
TEST(RegionSeriesChartPng, SignalGridMode0) { widgettest::RenderGalleryPngs("RegionSeriesChart_signals"); }

TEST(RegionSeriesChartPng, LegendGridMode1) { widgettest::RenderGalleryPngs("RegionSeriesChart_legend"); }

TEST(RegionSeriesChartPng, RankingGridMode2WithBest) { widgettest::RenderGalleryPngs("RegionSeriesChart_ranking"); }
#endif

}  // namespace
