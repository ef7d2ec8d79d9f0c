// Country ranking table: row plan and capacity, geometry, scrolling, cell
// texts and colours, flag dots, the region view and a picture of each mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "common/CountryHelpers.h"
#include "platform/RecordingCanvas.h"
#include "widgets/CountryRankingTable.h"
#include "widgets/WidgetTestSupport.h"

using platform::RecordingCanvas;
using platform::TCanvasOp;
using platform::TCanvasOpKind;

namespace {

// Recording metrics at ratio 1: a character 9.6 wide, "X" 19.2 high, rows 26.88.
constexpr float kChar = 9.6f;
constexpr float kRow = 19.2f * 1.4f;
// Six regions over the forty countries: rows 3-6, 7-18, 19-25, 26-32, 33-34, 35-48.
const std::vector<int> kStandard{3, 11, 6, 6, 1, 13};

// Regions, then "TOTAL". Country k: rank k + 1, unranked when k % 7 == 6
// (rows 11, 18, 27, 35, 43); equity shares 0.001 (k + 1), 0.0 or 0.1234, no FX figure.
std::vector<TRegionAllocationRow> MakeRows(const std::vector<int>& perRegion) {
  std::vector<TRegionAllocationRow> rows;
  int k = 0;
  for (std::size_t r = 0; r < perRegion.size(); ++r) {
    TRegionAllocationRow row;
    row.Summary = {strRegionNameList[r % 6], 0.1 * static_cast<double>(r + 1), 0.05, kNoFigure, 0, false, false, false};
    row.DetailSummary = {strRegionNameList[r % 6], "", 0.5, 0.25, 0.02, 0.03, 0.0, 0, 0};
    for (int i = 0; i < perRegion[r]; ++i, ++k) {
      const std::string name = kCountryCodes[static_cast<std::size_t>(k % 40)].Name;
      const std::int32_t rank = k % 7 == 6 ? -1 : k + 1;
      row.Items.push_back({name, 0.001 * (k + 1), i % 3 == 0 ? 0.0 : 0.1234, kNoFigure, rank, i % 2 == 0, true, false});
      row.DetailItems.push_back({name, "x", 0.7, 0.3, 0.004 * (k + 1), 0.0, -0.02, rank, i % 2});
    }
    rows.push_back(row);
  }
  TRegionAllocationRow total;
  total.Summary = {"TOTAL", 0.6, 0.4, 0.0, 0, false, false, false};
  total.DetailSummary = {"TOTAL", "", 0.8, 0.2, 0.4, 0.6, kNoFigure, 0, 0};
  rows.push_back(total);
  return rows;
}

TCountryRankingTable MakeTable(const std::vector<int>& perRegion, bool equity) {
  TCountryRankingTable table;
  table.SetData(MakeRows(perRegion), equity, "Equity", "Bond");
  for (int pass = 0; pass < 2; ++pass)  // the page appends after every SetData: the last match wins
    for (std::size_t r = 0; r < 6; ++r)
      table.Legend.push_back({{strRegionNameList[r]}, {}, pass == 0 ? 0xFF000000u : claRegionColors[r]});
  return table;
}

std::vector<TCanvasOp> Draw(TCountryRankingTable& table, bool regionsOnly, std::int32_t scroll = 0) {
  RecordingCanvas canvas;
  table.SetScrollPosition(scroll);
  table.Layout(canvas, 0, 0, 1920, 1080, regionsOnly);
  table.Draw(canvas, regionsOnly);
  return canvas.Ops;
}

const TCanvasOp* FindText(const std::vector<TCanvasOp>& ops, const std::string& text) {
  const auto it = std::find_if(ops.begin(), ops.end(), [&](const TCanvasOp& op) {
    return op.Kind == TCanvasOpKind::FillText && op.Text == text;
  });
  return it == ops.end() ? nullptr : &*it;
}

std::size_t Count(const std::vector<TCanvasOp>& ops, TCanvasOpKind kind) {
  return static_cast<std::size_t>(
      std::count_if(ops.begin(), ops.end(), [&](const TCanvasOp& op) { return op.Kind == kind; }));
}

// The last row given is always the closing row 49; body rows past row 48 are
// dropped and the scroll range (0 .. body rows - 16) follows the rows kept.
TEST(CountryRankingTableTest, RowPlanTextsAndCapacity) {
  widgettest::SetWindowGlobals();
  struct Case {
    std::vector<int> PerRegion;
    bool Equity;
    int Column, Row;
    std::string Text;
    std::int32_t MaxScroll;
  };
  const std::vector<Case> cases{
      {kStandard, true, 2, 0, "Equity", 30},
      {kStandard, true, 1, 3, "", 30},  // head rank 0
      {kStandard, true, 1, 11, "-1", 30},
      {kStandard, true, 5, 5, "0", 30},
      {kStandard, true, 2, 49, "0.6", 30},
      {kStandard, false, 4, 1, "Rate", 30},
      {kStandard, false, 2, 4, "0.004", 30},
      {{8, 8, 8, 8, 8, 8}, true, 0, 48, "Developing Asia", 30},
      {{8, 8, 8, 8, 8, 8}, true, 0, 49, "TOTAL", 30},
      {{2, 1}, true, 0, 49, "TOTAL", 0},
  };
  for (const Case& c : cases) {
    TCountryRankingTable table = MakeTable(c.PerRegion, c.Equity);
    ASSERT_EQ(table.Columns().size(), 8u);
    ASSERT_EQ(table.Columns()[7].size(), 50u);
    EXPECT_EQ(table.Columns()[static_cast<std::size_t>(c.Column)][static_cast<std::size_t>(c.Row)].Text, c.Text)
        << c.Column << "/" << c.Row;
    table.SetScrollPosition(1000);
    EXPECT_EQ(table.ScrollPosition(), c.MaxScroll);
    table.SetScrollPosition(-4);
    EXPECT_EQ(table.ScrollPosition(), 0);
  }
  // No rows: nothing drawn, no area.
  TCountryRankingTable noRows;
  noRows.SetData({}, true, "Equity", "Bond");
  EXPECT_TRUE(Draw(noRows, false).empty());
  EXPECT_EQ(noRows.ViewArea().Width, 0.0f);
}

TEST(CountryRankingTableTest, LayoutGeometry) {
  widgettest::SetWindowGlobals();
  TCountryRankingTable table = MakeTable(kStandard, true);
  RecordingCanvas canvas;
  table.Layout(canvas, 32, 32, 1856, 1016, false);
  // Name 1.5 x "Commodity Exporters", rank 5, values 10, flags 0.25 x 9, gaps 4.5 characters.
  const float name = 1.5f * 19 * kChar, rank = 5 * kChar, value = 10 * kChar, gap = 4.5f * kChar;
  const float width = name + rank + 3 * value + 3 * 2.25f * kChar + 8 * gap;
  EXPECT_NEAR(table.TotalWidth(), width, 1e-3);
  EXPECT_NEAR(table.TotalHeight(), 23 * kRow, 1e-3);
  EXPECT_NEAR(table.LeftOffset(), 32 + (1856 - width) / 2, 1e-3);
  EXPECT_NEAR(table.TopOffset(), 32 + (1016 - 23 * kRow) / 2, 1e-3);
  // Drawn at cell bounds (which start at the area's corner) + offsets.
  const TViewArea area = table.ViewArea();
  EXPECT_NEAR(area.Left, table.LeftOffset() + 32, 1e-3);
  EXPECT_NEAR(area.Top, table.TopOffset() + 32, 1e-3);
  EXPECT_EQ(area.Width, table.TotalWidth());
  EXPECT_EQ(area.SpanBottom, 0.0f);
  EXPECT_EQ(table.TrackBarAnchorX, area.Left);
  const auto& cell = table.Columns()[2][5].Bounds;
  EXPECT_NEAR(cell.Left, 32 + name + rank + 2 * gap, 1e-3);
  EXPECT_NEAR(cell.Width(), value, 1e-3);
  EXPECT_NEAR(cell.Top, 32 + 5 * kRow, 1e-3);
  EXPECT_EQ(table.Columns()[0][19].Bounds, platform::TRectF{});  // past the 16 rows shown
}

// Sixteen body rows from the scroll position, then one blank row and the closing row.
TEST(CountryRankingTableTest, FullViewScrolls) {
  widgettest::SetWindowGlobals();
  struct Case {
    std::vector<int> PerRegion;
    std::int32_t Scroll;
    int First, Last, ClosingAt;
  };
  for (const Case& c : std::vector<Case>{
           {kStandard, 0, 3, 18, 20}, {kStandard, 5, 8, 23, 20}, {kStandard, 99, 33, 48, 20}, {{2, 1}, 0, 3, 7, 9}}) {
    TCountryRankingTable table = MakeTable(c.PerRegion, true);
    const auto ops = Draw(table, false, c.Scroll);
    for (int row = 3; row <= 48; ++row) {
      const std::string& name = table.Columns()[0][static_cast<std::size_t>(row)].Text;
      EXPECT_TRUE(name.empty() || (FindText(ops, name) != nullptr) == (row >= c.First && row <= c.Last)) << row;
    }
    EXPECT_NEAR(FindText(ops, "TOTAL")->Rect.Top - table.TopOffset(), static_cast<float>(c.ClosingAt) * kRow, 1e-3);
  }
}

TEST(CountryRankingTableTest, CellTextsAndColours) {
  widgettest::SetWindowGlobals();
  TCountryRankingTable table = MakeTable(kStandard, true);
  const auto ops = Draw(table, false, 3);  // rows 6 .. 21
  struct Case {
    int Column, Row;
    std::string Text;
    TAlphaColor Colour;
    bool Bold;
  };
  const std::vector<Case> cases{
      {2, 6, "0.30%", kWidgetTextColour, false},
      {4, 6, "-", kWidgetGridColour, false},  // no figure
      {3, 8, "-", kWidgetGridColour, false},
      {3, 6, "12.34%", kWidgetTextColour, false},
      {0, 11, kCountryCodes[6].Name, kWidgetGridColour, false},  // unranked: empty rank, grey row
      {1, 11, "", kWidgetGridColour, false},
      {0, 7, "Europe (Euro)", kWidgetOnFillColour, true},  // head row
      {2, 7, "20.00%", kWidgetOnFillColour, true},
      {4, 7, "-", kWidgetOnFillColour, false},
      {2, 49, "60.00%", kWidgetTextColour, true},
      {4, 49, "-", kWidgetGridColour, false},
  };
  for (const Case& c : cases) {
    const auto& bounds = table.Columns()[static_cast<std::size_t>(c.Column)][static_cast<std::size_t>(c.Row)].Bounds;
    const float top = bounds.Top + table.TopOffset() - (c.Row == 7 ? 3.0f : 0.0f);  // head texts raised by 3
    const auto it = std::find_if(ops.begin(), ops.end(), [&](const TCanvasOp& op) {
      return op.Kind == TCanvasOpKind::FillText && op.Rect.Left == bounds.Left + table.LeftOffset() &&
             std::abs(op.Rect.Top - top) < 1e-3f;
    });
    ASSERT_NE(it, ops.end()) << c.Column << "/" << c.Row;
    EXPECT_EQ(it->Text, c.Text) << c.Column << "/" << c.Row;
    EXPECT_EQ(it->Fill.Color, c.Colour) << c.Column << "/" << c.Row;
    EXPECT_EQ(it->Font.Style == platform::fsBold, c.Bold) << c.Column << "/" << c.Row;
  }
  // The head row's band in the last matching legend colour, to column 4's right.
  const auto band = std::find_if(ops.begin(), ops.end(), [](const TCanvasOp& op) {
    return op.Kind == TCanvasOpKind::FillRect && op.Fill.Color == claRegionColors[1];
  });
  ASSERT_NE(band, ops.end());
  EXPECT_FLOAT_EQ(band->Rect.Left, table.Columns()[0][7].Bounds.Left - 5 + table.LeftOffset());
  EXPECT_FLOAT_EQ(band->Rect.Right, table.Columns()[4][7].Bounds.Right + table.LeftOffset());
}

TEST(CountryRankingTableTest, FlagDotsOnRankedCountriesOnly) {
  widgettest::SetWindowGlobals();
  struct Case {
    bool Equity, RegionsOnly;
    std::size_t Dots;
  };
  // Rows 3-18: two heads and fourteen countries, two of them unranked.
  for (const Case& c : std::vector<Case>{{true, false, 12 * 3}, {false, false, 12}, {true, true, 0}}) {
    TCountryRankingTable table = MakeTable(kStandard, c.Equity);
    const auto ops = Draw(table, c.RegionsOnly);
    std::vector<TCanvasOp> dots;
    std::copy_if(ops.begin(), ops.end(), std::back_inserter(dots),
                 [](const TCanvasOp& op) { return op.Kind == TCanvasOpKind::FillEllipse; });
    ASSERT_EQ(dots.size(), c.Dots);
    if (c.Dots != 36) continue;
    // First country's Macro dot (on), from centre - T + 2 to centre - T + h - 2; the second country's (off).
    const auto& cell = table.Columns()[5][4].Bounds;
    const float centre = (cell.Left + cell.Right) / 2 + table.LeftOffset();
    EXPECT_EQ(dots[0].Fill.Color, claGraphicPalette[1]);
    EXPECT_NEAR(dots[0].Rect.Left, centre - 19.2f + 2, 1e-3);
    EXPECT_NEAR(dots[0].Rect.Right, centre - 19.2f + kRow - 2, 1e-3);
    EXPECT_EQ(dots[3].Fill.Color, claGraphicPalette[0]);
  }
}

TEST(CountryRankingTableTest, RegionView) {
  widgettest::SetWindowGlobals();
  struct Case {
    bool Equity;
    std::vector<std::string> Hidden, Shown;
  };
  for (const Case& c : std::vector<Case>{
           {true, {"Macro", "Competition", "Behavior", "Region/Country", kCountryCodes[0].Name}, {"Region", "Hedging"}},
           {false, {"Competition", kCountryCodes[0].Name}, {"Region", "Inflation"}}}) {
    TCountryRankingTable table = MakeTable(kStandard, c.Equity);
    const auto ops = Draw(table, true);
    for (const auto& text : c.Hidden) EXPECT_EQ(FindText(ops, text), nullptr) << text;
    for (const auto& text : c.Shown) EXPECT_NE(FindText(ops, text), nullptr) << text;
    for (std::size_t r = 0; r < 6; ++r) {
      const TCanvasOp* head = FindText(ops, strRegionNameList[r]);
      ASSERT_NE(head, nullptr);
      EXPECT_EQ(head->Fill.Color, kWidgetOnFillColour);
      EXPECT_NEAR(head->Rect.Top + 3 - table.TopOffset(), static_cast<float>(3 + r) * kRow, 1e-3);
    }
    EXPECT_NEAR(FindText(ops, "TOTAL")->Rect.Top - table.TopOffset(), 10 * kRow, 1e-3);
    EXPECT_EQ(Count(ops, TCanvasOpKind::FillRect), 6u);  // one band per region
  }
}

#ifdef QUORVANE_WIDGET_PNG
TEST(CountryRankingTableTest, Png) { widgettest::RenderGalleryPngs("CountryRankingTable_"); }
#endif

}  // namespace
