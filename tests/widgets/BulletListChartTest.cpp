#include <gtest/gtest.h>

#include "platform/RecordingCanvas.h"
#include "widgets/BulletListChart.h"
#include "widgets/WidgetTestSupport.h"

using platform::RecordingCanvas;
using platform::TCanvasOp;
using platform::TCanvasOpKind;

namespace {

constexpr float kTol = 1e-3f;

// A row whose first point is the position in the label list (no value: no points).
TLabelledSeries Row(std::vector<double> values) {
  TLabelledSeries row;
  row.Labels = {"item"};
  for (double v : values) row.Series.push_back({widgettest::MonthEnd(0), v});
  return row;
}

std::vector<TLabelledSeries> Rows(const std::vector<double>& values) {
  std::vector<TLabelledSeries> rows;
  for (double v : values) rows.push_back(Row({v}));
  return rows;
}

class BulletListChartTest : public ::testing::Test {
 protected:
  void SetUp() override { widgettest::SetWindowGlobals(); }
  RecordingCanvas Canvas;
  const std::vector<TLegendItem> Labels{
      {{"Germany"}, {}, 0xFF000001}, {{"USA"}, {}, 0xFF000002}, {{"Euro", "Germany"}, {}, 0xFF000003}};
};

TEST_F(BulletListChartTest, EntriesCopyTheLabelsTheRowsPointAt) {
  TBulletListChart chart;
  std::vector<TLabelledSeries> rows = Rows({1, -1, 0, 3, 1.5, -2});
  rows.push_back(Row({}));  // no point
  chart.SetData(rows, Labels, 1, true);
  ASSERT_EQ(chart.Entries().size(), 2u);
  EXPECT_EQ(chart.Entries()[0].Labels, std::vector<std::string>{"USA"});
  EXPECT_EQ(chart.Entries()[0].Colour, 0xFF000002u);
  EXPECT_EQ(chart.Entries()[1].Labels, std::vector<std::string>{"Germany"});
}

TEST_F(BulletListChartTest, BoxSizesAndCentredPlacement) {
  // Size 16: "X" 9.6, height 19.2; "Germany" 67.2 wide.
  struct Case {
    std::vector<double> rows;
    bool fixedWidth;
    float boxWidth, boxHeight;
  };
  for (const Case& c : {Case{{0, 1}, false, 67.2f + 57.6f, 48.0f}, Case{{0, 1, 2}, false, 67.2f + 57.6f, 67.2f},
                        Case{{1, 1}, true, 172.8f, 48.0f}}) {
    TBulletListChart chart;
    chart.SetData(Rows(c.rows), Labels, 1, c.fixedWidth);
    chart.Layout(Canvas, 100.0f, 50.0f, 600.0f, 500.0f);
    EXPECT_NEAR(chart.BoxWidth(), c.boxWidth, kTol);
    EXPECT_NEAR(chart.BoxHeight(), c.boxHeight, kTol);
    const float totalWidth = c.boxWidth + 19.2f;
    const auto n = static_cast<float>(c.rows.size());
    const float totalHeight = n * c.boxHeight + (n - 1.0f) * 19.2f;
    EXPECT_NEAR(chart.TotalWidth(), totalWidth, kTol);
    EXPECT_NEAR(chart.TotalHeight(), totalHeight, kTol);
    EXPECT_NEAR(chart.Left(), 100.0f + (600.0f - totalWidth) * 0.5f, kTol);
    EXPECT_NEAR(chart.Top(), 50.0f + (500.0f - totalHeight) * 0.5f, kTol);
    EXPECT_EQ(chart.TrackBarAnchorX, chart.Left());
    const platform::TRectF& last = chart.Entries().back().Bounds;
    EXPECT_NEAR(last.Left, chart.Left(), kTol);
    EXPECT_NEAR(last.Right, chart.Left() + totalWidth, kTol);
    EXPECT_NEAR(last.Top, chart.Top() + (n - 1.0f) * (c.boxHeight + 19.2f), kTol);
    EXPECT_NEAR(last.Bottom, chart.Top() + totalHeight, kTol);
  }
}

TEST_F(BulletListChartTest, ArrowDotsTitleAndTwoLineBoxes) {
  TBulletListChart chart;
  chart.SetData(Rows({2, 1}), Labels, 1, false);
  chart.Layout(Canvas, 0.0f, 0.0f, 600.0f, 600.0f);
  Canvas.Ops.clear();
  chart.Draw(Canvas, "Best");
  const platform::TRectF first = chart.Entries()[0].Bounds;
  const platform::TRectF last = chart.Entries()[1].Bounds;
  const float bh = chart.BoxHeight();
  const float x = first.Right + 30.0f;

  const std::vector<TCanvasOp> lines = Canvas.OpsOfKind(TCanvasOpKind::DrawLine);
  ASSERT_EQ(lines.size(), 3u);
  for (const TCanvasOp& line : lines) EXPECT_EQ(line.Stroke.Color, 0xFF005890u);
  EXPECT_EQ(lines[0].Points[0], (platform::TPointF{last.Right + 30.0f, last.Bottom - 0.5f * bh}));
  EXPECT_EQ(lines[0].Points[1], (platform::TPointF{x, first.Top - 32.0f}));
  EXPECT_EQ(lines[1].Points[0], (platform::TPointF{x - 8.0f, first.Top - 24.0f}));
  EXPECT_EQ(lines[2].Points[0], (platform::TPointF{x + 8.0f, first.Top - 24.0f}));
  const std::vector<TCanvasOp> dots = Canvas.OpsOfKind(TCanvasOpKind::FillEllipse);
  ASSERT_EQ(dots.size(), 2u);
  EXPECT_NEAR(dots[1].Rect.Top, last.Top + 0.5f * bh - 5.0f, kTol);
  EXPECT_NEAR(dots[1].Rect.Width(), 10.0f, kTol);

  // The two-line entry: its box, then each label over its band; the one-line entry: one box.
  const std::vector<TCanvasOp> boxes = Canvas.OpsOfKind(TCanvasOpKind::FillRect);
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].Rect, first);
  EXPECT_NEAR(boxes[1].Rect.Top, first.Top + 0.25f * bh, kTol);
  EXPECT_NEAR(boxes[1].Rect.Bottom, first.Bottom - 0.5f * bh, kTol);
  EXPECT_NEAR(boxes[2].Rect.Top, first.Top + 0.5f * bh, kTol);
  EXPECT_NEAR(boxes[2].Rect.Bottom, first.Bottom - 0.25f * bh, kTol);
  EXPECT_EQ(boxes[3].Rect, last);
  for (const TCanvasOp& box : boxes) {
    EXPECT_EQ(box.RadiusX, 2.0f);
    EXPECT_EQ(box.Stroke.Kind, platform::TBrushKind::None);
  }
  std::vector<std::string> texts;
  for (const TCanvasOp& op : Canvas.OpsOfKind(TCanvasOpKind::FillText)) {
    texts.push_back(op.Text);
    EXPECT_EQ(op.Font.Style, platform::fsBold);
    EXPECT_EQ(op.HorizontalAlign, platform::TTextAlign::Center);
    if (op.Text != "Best") {
      EXPECT_EQ(op.Fill.Color, 0xFFFFFFFFu);
    }
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"Best", "", "Euro", "Germany", "USA"}));
  const TCanvasOp title = Canvas.OpsOfKind(TCanvasOpKind::FillText)[0];
  EXPECT_NEAR(title.Rect.Left, x - 38.4f, kTol);  // "Best" bold: 4 x 9.6
  EXPECT_NEAR(title.Rect.Right, x + 38.4f, kTol);
  EXPECT_NEAR(title.Rect.Bottom, first.Top - 10.0f, kTol);
  EXPECT_NEAR(title.Rect.Height(), 19.2f, kTol);

  // Mode 0: boxes only.
  chart.SetData(Rows({0}), Labels, 0, false);
  chart.Layout(Canvas, 0.0f, 0.0f, 600.0f, 600.0f);
  Canvas.Ops.clear();
  chart.Draw(Canvas, "Best");
  EXPECT_TRUE(Canvas.OpsOfKind(TCanvasOpKind::DrawLine).empty());
  EXPECT_EQ(Canvas.OpsOfKind(TCanvasOpKind::FillRect).size(), 1u);
}

TEST_F(BulletListChartTest, NoEntriesLeaveGeometryAndDrawNothing) {
  TBulletListChart chart;
  chart.SetData(Rows({0, 1}), Labels, 1, true);
  chart.Layout(Canvas, 100.0f, 50.0f, 600.0f, 500.0f);
  const float left = chart.Left();
  const float top = chart.Top();
  chart.SetData(Rows({-1, -1, 7}), Labels, 1, true);
  EXPECT_TRUE(chart.Entries().empty());
  chart.Layout(Canvas, 0.0f, 0.0f, 100.0f, 100.0f);
  EXPECT_EQ(chart.Left(), left);
  EXPECT_EQ(chart.Top(), top);
  Canvas.Ops.clear();
  chart.Draw(Canvas, "Best");
  EXPECT_TRUE(Canvas.Ops.empty());
}

#ifdef QUORVANE_WIDGET_PNG
TEST(BulletListChartPng, SixRankedItems) { widgettest::RenderGalleryPngs("BulletListChart_"); }
#endif

}  // namespace
