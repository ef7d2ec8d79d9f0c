// The FX hedging table: figure texts and colours by the rounded value,
// label greying, geometry and headers, scrolling by ScrollPosition.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/RecordingCanvas.h"
#include "widgets/FXHedgingTable.h"
#include "widgets/WidgetTestSupport.h"

using platform::RecordingCanvas;

namespace {

constexpr float kChar = 9.6f;
constexpr TAlphaColor kRed = 0xFFCC121C;

std::vector<TFXHedgingPosition> Positions(int count) {
  std::vector<TFXHedgingPosition> positions;
  for (int i = 0; i < count; ++i)
    positions.push_back({"C" + std::to_string(i), 1.0 + i, -(0.5 + i), i % 2 == 0 ? 0.0 : 2.0});
  return positions;
}

// The texts drawn in column c (by the cell's left edge) in drawing order.
std::vector<std::string> DrawnColumn(const RecordingCanvas& canvas, const TFXHedgingTable& table, std::size_t c) {
  std::vector<std::string> texts;
  const float left = table.Left + table.Columns[c][0].Bounds.Left;
  for (const auto& op : widgettest::Texts(canvas))
    if (op.Rect.Left == left && op.HorizontalAlign != platform::TTextAlign::Center) texts.push_back(op.Text);
  return texts;
}

TEST(FXHedgingTableTest, FigureTextsAndColoursFollowTheRoundedValue) {
  widgettest::SetWindowGlobals();
  struct Case {
    double value;
    const char* drawn;
    TAlphaColor colour;
  };
  const std::vector<Case> cases = {
      {-12.5, "-12.50 %", kRed},         {3.0, "3.00 %", kWidgetTextColour},
      {0.0, "-", kWidgetGridColour},     {0.004, "-", kWidgetGridColour},
      {-0.004, "-", kWidgetGridColour},  {-0.006, "-0.01 %", kRed},
      {1e9, "1E9 %", kWidgetTextColour}, {-1e9, "-1E9 %", kRed},
  };
  for (const Case& c : cases) {
    TFXHedgingTable table;
    table.SetData({{"EUR", c.value, c.value, c.value}});
    EXPECT_DOUBLE_EQ(table.Columns[1][0].Value, c.value);
    RecordingCanvas canvas;
    table.Layout(canvas, 0, 0, 1000, 800);
    table.Draw(canvas, "USD");
    for (std::size_t col = 1; col < 4; ++col) {
      const auto drawn = DrawnColumn(canvas, table, col);
      ASSERT_EQ(drawn.size(), 1u) << c.value;
      EXPECT_EQ(drawn[0], c.drawn) << c.value;
      EXPECT_EQ(table.Columns[col][0].Colour, c.colour) << c.value;
    }
    const platform::TCanvasOp* op = widgettest::FindText(canvas, c.drawn);
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->Fill.Color, c.colour);
    EXPECT_EQ(op->HorizontalAlign, platform::TTextAlign::Trailing);
  }
}

TEST(FXHedgingTableTest, CurrencyLabelIsGreyWithoutAShownFigure) {
  widgettest::SetWindowGlobals();
  TFXHedgingTable table;
  table.SetData({{"AAA", 0.0, kNoFigure, 0.001},
                 {"BBB", kNoFigure, kNoFigure, kNoFigure},
                 {"CCC", 0.0, 0.0, -4.0},
                 {"DDD", kNoFigure, 7.0, kNoFigure}});
  EXPECT_TRUE(table.Columns[2][0].Text.empty());
  RecordingCanvas canvas;
  table.Layout(canvas, 0, 0, 1000, 800);
  table.Draw(canvas, "USD");
  const std::vector<std::pair<const char*, bool>> expected = {
      {"AAA", false}, {"BBB", false}, {"CCC", true}, {"DDD", true}};
  for (const auto& [label, bold] : expected) {
    const platform::TCanvasOp* op = widgettest::FindText(canvas, label);
    ASSERT_NE(op, nullptr);
    EXPECT_EQ(op->Fill.Color, bold ? kWidgetTextColour : kWidgetGridColour) << label;
    EXPECT_EQ(op->Font.Style, bold ? platform::fsBold : 0u) << label;
  }
  // Missing figures are neither written with " %" nor as "-".
  EXPECT_EQ(DrawnColumn(canvas, table, 2), (std::vector<std::string>{"", "", "-", "7.00 %"}));
}

TEST(FXHedgingTableTest, GeometryAndHeaders) {
  widgettest::SetWindowGlobals(1.0f, 0.8f);
  TFXHedgingTable table;
  table.SetData(Positions(5));
  RecordingCanvas canvas;
  table.Layout(canvas, 100, 40, 1600, 900);
  const float w = 19 * kChar;                  // "CCY BORROWED VS USD"
  const float rowH = 1.2f * 16 * 1.4f * 0.8f;  // TextHeight x 1.4 x height ratio
  EXPECT_FLOAT_EQ(table.Width, 4 * w);
  EXPECT_FLOAT_EQ(table.Height, 19 * rowH);
  EXPECT_FLOAT_EQ(table.Left, 100 + (1600 - 4 * w) * 0.5f);
  EXPECT_FLOAT_EQ(table.Top, 40 + (900 - 19 * rowH) * 0.5f);
  EXPECT_FLOAT_EQ(table.TrackBarAnchorX, table.Left);
  const TViewArea area = table.ViewArea();
  EXPECT_FLOAT_EQ(area.Left, table.Left);
  EXPECT_FLOAT_EQ(area.Top, table.Top);
  EXPECT_FLOAT_EQ(area.Width, table.Width);
  EXPECT_FLOAT_EQ(area.Height, table.Height);
  EXPECT_EQ(area.SpanTop, 0.0f);
  EXPECT_EQ(area.SpanBottom, 0.0f);
  // Column 0 is six X wide; the figure columns follow it; cell tops hold the area's top.
  EXPECT_FLOAT_EQ(table.Columns[0][2].Bounds.Right, 6 * kChar);
  EXPECT_FLOAT_EQ(table.Columns[1][2].Bounds.Left, 6 * kChar);
  EXPECT_FLOAT_EQ(table.Columns[3][2].Bounds.Right, 6 * kChar + 3 * w);
  EXPECT_FLOAT_EQ(table.Columns[1][2].Bounds.Top, 40 + 2 * rowH);

  table.Draw(canvas, "USD");
  const platform::TRectF c1 = table.Columns[1][0].Bounds.Offset(table.Left, table.Top);
  const platform::TRectF c2 = table.Columns[2][0].Bounds.Offset(table.Left, table.Top);
  const platform::TRectF c3 = table.Columns[3][0].Bounds.Offset(table.Left, table.Top);
  const float p = 7 * kChar;  // "100.00%"
  const platform::TCanvasOp* spot = widgettest::FindText(canvas, "SPOT FX");
  const platform::TCanvasOp* swap = widgettest::FindText(canvas, "FX SWAP");
  const platform::TCanvasOp* borrowed = widgettest::FindText(canvas, "CCY BORROWED VS USD");
  const platform::TCanvasOp* lent = widgettest::FindText(canvas, "CCY LENT VS USD");
  ASSERT_TRUE(spot && swap && borrowed && lent);
  EXPECT_EQ(spot->Rect, (platform::TRectF{c1.Left, c1.Top - 2 * rowH, c2.Right - p, c1.Bottom - 2 * rowH}));
  EXPECT_EQ(swap->Rect, (platform::TRectF{c3.Left, c1.Top - 2 * rowH, c3.Right - p, c1.Bottom - 2 * rowH}));
  EXPECT_EQ(borrowed->Rect,
            (platform::TRectF{c2.Left + 1.5f * p, c1.Top - rowH, c2.Right + 1.5f * p, c1.Bottom - rowH}));
  EXPECT_EQ(lent->Rect, (platform::TRectF{c3.Left + 1.5f * p, c1.Top - rowH, c3.Right + 1.5f * p, c1.Bottom - rowH}));
  EXPECT_EQ(spot->Font.Style, platform::fsBold);  // row 0's label is bold
  EXPECT_EQ(borrowed->Font.Style, 0u);
  EXPECT_EQ(spot->HorizontalAlign, platform::TTextAlign::Center);
  EXPECT_EQ(spot->Fill.Color, kWidgetTextColour);
  EXPECT_EQ(DrawnColumn(canvas, table, 0), (std::vector<std::string>{"C0", "C1", "C2", "C3", "C4"}));
}

TEST(FXHedgingTableTest, ThirtyRowsScrollByScrollPosition) {
  widgettest::SetWindowGlobals();
  TFXHedgingTable table;
  table.SetData(Positions(30));
  ASSERT_EQ(table.RowCount(), 30);
  RecordingCanvas canvas;
  table.Layout(canvas, 0, 0, 1600, 900);
  const float firstTop = table.Columns[0][0].Bounds.Top;
  table.Draw(canvas, "USD");
  auto labels = DrawnColumn(canvas, table, 0);
  ASSERT_EQ(labels.size(), 16u);
  EXPECT_EQ(labels.front(), "C0");
  EXPECT_EQ(labels.back(), "C15");

  // Set from outside: clamped to [0, 30 - 16]; the first visible row takes the first place.
  const std::vector<std::pair<std::int32_t, std::int32_t>> positions = {{3, 3}, {100, 14}, {-5, 0}, {14, 14}};
  for (const auto& [set, expected] : positions) {
    table.SetScrollPosition(set);
    EXPECT_EQ(table.ScrollPosition(), expected) << set;
    EXPECT_FLOAT_EQ(table.Columns[0][static_cast<std::size_t>(expected)].Bounds.Top, firstTop) << set;
  }
  RecordingCanvas scrolled;
  table.Draw(scrolled, "USD");
  labels = DrawnColumn(scrolled, table, 0);
  ASSERT_EQ(labels.size(), 16u);
  EXPECT_EQ(labels.front(), "C14");
  EXPECT_EQ(labels.back(), "C29");
  // The headers stay above the first visible row.
  const platform::TCanvasOp* spot = widgettest::FindText(scrolled, "SPOT FX");
  ASSERT_NE(spot, nullptr);
  EXPECT_FLOAT_EQ(spot->Rect.Top, table.Top + firstTop - 2 * table.Columns[1][14].Bounds.Height());
  // A new layout keeps the position; new data resets it.
  table.Layout(canvas, 0, 0, 1600, 900);
  EXPECT_EQ(table.ScrollPosition(), 14);
  EXPECT_FLOAT_EQ(table.Columns[0][14].Bounds.Top, firstTop);
  table.SetData(Positions(30));
  EXPECT_EQ(table.ScrollPosition(), 0);
  // Fewer rows than a page cannot scroll.
  table.SetData(Positions(5));
  table.SetScrollPosition(2);
  EXPECT_EQ(table.ScrollPosition(), 0);
}

TEST(FXHedgingTableTest, EmptyTablesDrawNothingAndSmallScreensUseSize15) {
  widgettest::SetWindowGlobals();
  for (bool set : {false, true}) {
    TFXHedgingTable table;
    if (set) table.SetData({});
    RecordingCanvas canvas;
    table.Layout(canvas, 0, 0, 1000, 800);
    table.Draw(canvas, "USD");
    EXPECT_TRUE(widgettest::Texts(canvas).empty()) << set;
  }
  widgettest::SetWindowGlobals(0.9f, 0.9f);
  TFXHedgingTable table;
  table.SetData(Positions(3));
  RecordingCanvas canvas;
  table.Layout(canvas, 0, 0, 1000, 800);
  EXPECT_FLOAT_EQ(table.Width, 4 * 19 * 0.6f * 15);
  table.Draw(canvas, "USD");
  for (const auto& op : widgettest::Texts(canvas)) EXPECT_EQ(op.Font.Size, 15.0f) << op.Text;
  widgettest::SetWindowGlobals();
}

#ifdef QUORVANE_WIDGET_PNG
TEST(FXHedgingTableTest, Picture) { widgettest::RenderGalleryPngs("FXHedgingTable_"); }
#endif

}  // namespace
