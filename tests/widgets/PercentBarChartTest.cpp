// Percentage bar chart: rows and groups, mirrored geometry, fading bars,
// percentages with and without parentheses, empty shares and a picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/RecordingCanvas.h"
#include "widgets/PercentBarChart.h"
#include "widgets/WidgetTestSupport.h"

using platform::RecordingCanvas;
using platform::TCanvasOp;
using platform::TCanvasOpKind;

namespace {

// Recording metrics, regular 16 at ratio 1: a character 9.6 wide, rows 26.88 high.
constexpr float kChar = 9.6f;
constexpr float kRow = 19.2f * 1.4f;
// As the global multi-asset page passes them: the text colour, then one per group.
const std::vector<TAlphaColor> kColours{kWidgetTextColour, claGraphicPalette[1], claGraphicPalette[6],
                                        claGraphicPalette[7]};

// Two groups of three items: header, separator, 3 items, separator, 3 items.
const TPercentBarRecord kTwoGroups{"Model",
                                   "Index",
                                   {{"Equity", 0.6, 0.5, 1},
                                    {"USA", 0.3, 0.25, 1},
                                    {"Japan", 0.3, 0.25, 1},
                                    {"Bonds", 0.4, 0.5, 2},
                                    {"Germany", 0.2, 0.0, 2},
                                    {"Italy", 0.2, 0.5, 2}}};

std::vector<TCanvasOp> Draw(const TPercentBarRecord& record, TPercentBarChart& chart) {
  RecordingCanvas canvas;
  chart.SetData(record, kColours);
  chart.Layout(canvas, 0, 0, 1200, 600);
  chart.Draw(canvas);
  return canvas.Ops;
}

std::vector<TCanvasOp> Find(const std::vector<TCanvasOp>& ops, TCanvasOpKind kind, const std::string& text = "") {
  std::vector<TCanvasOp> found;
  for (const TCanvasOp& op : ops)
    if (op.Kind == kind && (text.empty() || op.Text == text)) found.push_back(op);
  return found;
}

// A new group starts whenever the kind changes; a kind without a colour gets 0xFF4C4C4E.
TEST(PercentBarChartTest, RowsGroupsAndColours) {
  widgettest::SetWindowGlobals();
  struct Case {
    std::vector<std::int32_t> Kinds, RowItems;
    std::vector<TAlphaColor> Bars;
  };
  for (const Case& c :
       std::vector<Case>{{{1, 1, 2, 2}, {-2, -1, 0, 1, -1, 2, 3}, {kColours[1], kColours[1], kColours[2], kColours[2]}},
                         {{1, 2, 1}, {-2, -1, 0, -1, 1, -1, 2}, {kColours[1], kColours[2], kColours[1]}},
                         {{9, -1}, {-2, -1, 0, -1, 1}, {kWidgetTextColour, kWidgetTextColour}}}) {
    TPercentBarRecord record{"Model", "Index", {}};
    for (std::int32_t kind : c.Kinds) record.Items.push_back({"Item", 0.1, 0.05, kind});
    TPercentBarChart chart;
    chart.SetData(record, kColours);
    ASSERT_EQ(chart.RowItems(), c.RowItems);
    const auto& columns = chart.Columns();
    EXPECT_EQ(columns[3][0].Text, "Index");
    for (std::size_t r = 1; r < c.RowItems.size(); ++r) {
      if (c.RowItems[r] < 0) {
        EXPECT_EQ(columns[4][r].Text, "X");
        continue;
      }
      const bool first = c.RowItems[r - 1] == TPercentBarChart::kSeparatorRow;
      const TAlphaColor bar = c.Bars[static_cast<std::size_t>(c.RowItems[r])];
      EXPECT_DOUBLE_EQ(columns[0][r].Value, 10.0);
      EXPECT_DOUBLE_EQ(columns[4][r].Value, 5.0);
      EXPECT_EQ(columns[3][r].FillColour, bar);
      EXPECT_EQ(columns[2][r].Colour, first ? bar : kWidgetTextColour);
      EXPECT_EQ(columns[2][r].Bold, first ? 1 : 0);
    }
  }
}

TEST(PercentBarChartTest, MirroredGeometry) {
  widgettest::SetWindowGlobals();
  TPercentBarChart chart;
  Draw(kTwoGroups, chart);
  // n = "GermanyXXXXXX" 124.8; s = 96 + 4 x 28.8 + n = 336; b = (1200 - 2 s) / 2 = 264; bars 4.4 per percent.
  const float top = (600 - 9 * kRow) / 2;
  EXPECT_NEAR(chart.ViewArea().Top, top, 1e-3);
  struct Case {
    int Column, Row;
    float Left, Right;
  };
  for (const Case& c : std::vector<Case>{{2, 2, 537.6f, 662.4f},     // name, centred on 600
                                         {1, 2, 244.8f, 508.8f},     // 60 %, g3 before the name
                                         {0, 2, 120.0f, 216.0f},     // percentage room, g3 before the bar
                                         {4, 2, 940.0f, 1036.0f},    // 50 % to the right
                                         {3, 7, 691.2f, 691.2f},     // 0 %
                                         {3, 5, 691.2f, 955.2f}}) {  // separator: the whole bar room
    const auto& bounds = chart.Columns()[static_cast<std::size_t>(c.Column)][static_cast<std::size_t>(c.Row)].Bounds;
    EXPECT_NEAR(bounds.Left, c.Left, 1e-3) << c.Column << "/" << c.Row;
    EXPECT_NEAR(bounds.Right, c.Right, 1e-3) << c.Column << "/" << c.Row;
    EXPECT_NEAR(bounds.Top, top + static_cast<float>(c.Row) * kRow, 1e-3);
  }
}

// Bars of one colour in a column fade by 0.2 down to 0.2; another colour starts at 1 again.
TEST(PercentBarChartTest, BarOpacity) {
  widgettest::SetWindowGlobals();
  struct Case {
    std::vector<std::int32_t> Kinds;
    std::vector<double> Shares;
    std::vector<float> Opacities;
  };
  for (const Case& c : std::vector<Case>{
           {{1, 1, 1, 1, 1, 1, 1}, {0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1}, {1.0f, 0.8f, 0.6f, 0.4f, 0.2f, 0.2f, 0.2f}},
           {{1, 1, 2, 1}, {0.1, 0.1, 0.1, 0.1}, {1.0f, 0.8f, 1.0f, 1.0f}},
           {{1, 1, 1}, {0.1, 0.0, 0.1}, {1.0f, 0.8f}}}) {  // an undrawn bar does not count
    TPercentBarRecord record{"L", "R", {}};
    for (std::size_t i = 0; i < c.Kinds.size(); ++i) record.Items.push_back({"N", c.Shares[i], 0.0, c.Kinds[i]});
    TPercentBarChart chart;
    const auto ops = Draw(record, chart);
    const auto fills = Find(ops, TCanvasOpKind::FillRect);
    ASSERT_EQ(fills.size(), c.Opacities.size());
    ASSERT_EQ(Find(ops, TCanvasOpKind::DrawRect).size(), c.Opacities.size());
    for (std::size_t i = 0; i < fills.size(); ++i) EXPECT_NEAR(fills[i].Opacity, c.Opacities[i], 1e-6) << i;
  }
}

TEST(PercentBarChartTest, PercentagesAndNames) {
  widgettest::SetWindowGlobals();
  TPercentBarChart chart;
  const auto ops = Draw(kTwoGroups, chart);
  const auto& cols = chart.Columns();
  // Group row: bold in the group colour, ending at the cell's right edge, in parentheses.
  const auto group = Find(ops, TCanvasOpKind::FillText, "60.00 %").at(0);
  EXPECT_EQ(group.Rect, cols[0][2].Bounds);
  EXPECT_EQ(group.Fill.Color, kColours[1]);
  EXPECT_EQ(group.Font.Style, platform::fsBold);
  const auto open = Find(ops, TCanvasOpKind::FillText, "(").at(0);
  EXPECT_NEAR(open.Rect.Right, cols[0][2].Bounds.Right - 7 * kChar, 1e-3);
  EXPECT_NEAR(open.Rect.Width(), kChar, 1e-3);
  // Other rows: over the bar from its inner end, trailing on the left side.
  const auto other = Find(ops, TCanvasOpKind::FillText, "30.00 %").at(0);
  EXPECT_EQ(other.Rect, (platform::TRectF{cols[1][3].Bounds.Left - 10 * kChar, cols[0][3].Bounds.Top,
                                          cols[1][3].Bounds.Right, cols[0][3].Bounds.Bottom}));
  EXPECT_EQ(other.HorizontalAlign, platform::TTextAlign::Trailing);
  EXPECT_EQ(other.Fill.Color, kWidgetTextColour);
  // Titles one size larger in group colour 0; separators and 0 % write nothing.
  EXPECT_EQ(Find(ops, TCanvasOpKind::FillText, "Model").at(0).Font.Size, 17.0f);
  EXPECT_TRUE(Find(ops, TCanvasOpKind::FillText, "X").empty());
  EXPECT_TRUE(Find(ops, TCanvasOpKind::FillText, "0.00 %").empty());
}

TEST(PercentBarChartTest, NothingToShow) {
  widgettest::SetWindowGlobals();
  for (const double share : {0.0, 0.0000000005}) {  // 100 x share at most 1e-7: no bar, no percentage
    TPercentBarChart chart;
    const auto ops = Draw({"L", "R", {{"Gold", share, share, 1}, {"Silver", 0.0, 0.0, 1}}}, chart);
    EXPECT_TRUE(Find(ops, TCanvasOpKind::FillRect).empty()) << share;
    EXPECT_EQ(Find(ops, TCanvasOpKind::FillText).size(), 4u) << share;  // two titles, two names
    EXPECT_EQ(Find(ops, TCanvasOpKind::FillText, "Silver").at(0).Fill.Color, kWidgetGridColour);
  }
  TPercentBarChart noItems;
  EXPECT_TRUE(Draw({"L", "R", {}}, noItems).empty());
}

#ifdef QUORVANE_WIDGET_PNG
TEST(PercentBarChartTest, Png) { widgettest::RenderGalleryPngs("PercentBarChart_"); }
#endif

}  // namespace
