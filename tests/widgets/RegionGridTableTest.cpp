#include <gtest/gtest.h>

#include "platform/RecordingCanvas.h"
#include "widgets/RegionGridTable.h"
#include "widgets/WidgetTestSupport.h"

using platform::RecordingCanvas;
using platform::TCanvasOp;
using platform::TCanvasOpKind;

namespace {

constexpr float kTol = 1e-3f;

// A row whose last point carries the state (no points: no state).
TLabelledSeries Row(const std::string& name, const std::string& region, const std::vector<double>& values) {
  return widgettest::MonthlyRow(name, region, values);
}

// The forty countries with states cycling 0..5 and a few missing (-1).
std::vector<TLabelledSeries> FortyRows() {
  std::vector<TLabelledSeries> rows;
  int i = 0;
  for (const widgettest::TCountryRegion& country : widgettest::FortyCountries()) {
    const double state = i % 9 == 8 ? -1.0 : static_cast<double>(i % 6);
    rows.push_back(Row(country.Name, strRegionNameList[static_cast<std::size_t>(country.Region)], {2.0, state}));
    ++i;
  }
  return rows;
}

class RegionGridTableTest : public ::testing::Test {
 protected:
  void SetUp() override { widgettest::SetWindowGlobals(); }
  RecordingCanvas Canvas;
};

TEST_F(RegionGridTableTest, RunsOfEqualRegionsFormBlocks) {
  TRegionGridTable table;
  table.SetData({Row("USA", "North America", {0, 1}), Row("Canada", "North America", {}),
                 Row("Germany", "Europe (Euro)", {0}), Row("Mexico", "North America", {1, 0, -1})},
                1);
  const std::vector<TRegionGridTable::TBlock>& blocks = table.Blocks();
  ASSERT_EQ(blocks.size(), 3u);
  struct Expected {
    std::vector<std::string> texts;
    std::vector<double> values;
  };
  const std::vector<Expected> expected{{{"North America", "USA", "Canada"}, {-1, 1, -1}},
                                       {{"Europe (Euro)", "Germany"}, {-1, 0}},
                                       {{"North America", "Mexico"}, {-1, -1}}};
  for (std::size_t b = 0; b < blocks.size(); ++b) {
    ASSERT_EQ(blocks[b].Cells.size(), expected[b].texts.size());
    for (std::size_t i = 0; i < blocks[b].Cells.size(); ++i) {
      EXPECT_EQ(blocks[b].Cells[i].Text, expected[b].texts[i]);
      EXPECT_EQ(blocks[b].Cells[i].Value, expected[b].values[i]) << expected[b].texts[i];
    }
  }
  EXPECT_EQ(table.LastDate(), widgettest::MonthEnd(2));
  table.SetData({}, 0);
  EXPECT_TRUE(table.Blocks().empty());
}

TEST_F(RegionGridTableTest, SixBlocksInThreeColumnsAndNoSeventh) {
  std::vector<TLabelledSeries> rows = FortyRows();
  rows.push_back(Row("Greenland", "North America", {1}));  // a seventh block
  TRegionGridTable table;
  table.SetData(rows, 0);
  table.Layout(Canvas, 10.0f, 20.0f, 1500.0f, 800.0f);
  // Widest text "Commodity Exporters": 19 x 9.6 + 9.6; gap "XXXXXX" 57.6; row 26.88.
  const float cw = 192.0f;
  const float rh = 26.88f;
  EXPECT_NEAR(table.CellWidth(), cw, kTol);
  EXPECT_NEAR(table.RowHeight(), rh, kTol);
  EXPECT_NEAR(table.TotalWidth(), 2 * 57.6f + 3 * cw, kTol);
  EXPECT_NEAR(table.TotalHeight(), 20 * rh, kTol);
  const float dx = (1500.0f - table.TotalWidth()) * 0.5f;
  const float dy = (800.0f - table.TotalHeight()) * 0.5f;
  EXPECT_NEAR(table.Left(), 10.0f + dx, kTol);
  EXPECT_NEAR(table.Top(), 20.0f + dy, kTol);
  const std::vector<TRegionGridTable::TBlock>& blocks = table.Blocks();
  ASSERT_EQ(blocks.size(), 7u);
  const float column = cw + 57.6f;
  const std::vector<std::pair<float, float>> places{{0, 1},       {0, 6},          {column, 1},
                                                    {column, 12}, {2 * column, 1}, {2 * column, 5}};
  for (std::size_t b = 0; b < places.size(); ++b) {
    EXPECT_TRUE(blocks[b].Placed);
    EXPECT_EQ(blocks[b].Cells[0].Text, strRegionNameList[b]);
    EXPECT_NEAR(blocks[b].Left, 10.0f + dx + places[b].first, kTol) << b;
    EXPECT_NEAR(blocks[b].Top, 20.0f + dy + places[b].second * rh, kTol) << b;
  }
  EXPECT_FALSE(blocks[6].Placed);

  Canvas.Ops.clear();
  table.Draw(Canvas);
  // Six header boxes in the region colours, one row above each block; no seventh.
  std::vector<TCanvasOp> boxes = Canvas.OpsOfKind(TCanvasOpKind::FillRect);
  ASSERT_EQ(boxes.size(), 6u);
  for (std::size_t b = 0; b < 6; ++b) {
    EXPECT_EQ(boxes[b].Fill.Color, claRegionColors[b]);
    EXPECT_EQ(boxes[b].RadiusX, 2.0f);
    EXPECT_NEAR(boxes[b].Rect.Left, blocks[b].Left - 5.0f, kTol);
    EXPECT_NEAR(boxes[b].Rect.Top, blocks[b].Top - rh + 1.0f + 3.0f, kTol);
    EXPECT_NEAR(boxes[b].Rect.Right, blocks[b].Left + cw + 9.6f, kTol);
  }
  int greenland = 0;
  for (const TCanvasOp& op : Canvas.OpsOfKind(TCanvasOpKind::FillText)) {
    if (op.Text == "Greenland") ++greenland;
    if (op.Text == "Japan" && op.Font.Style == platform::fsBold) {
      EXPECT_EQ(op.Fill.Color, 0xFFFFFFFFu);
    }
  }
  EXPECT_EQ(greenland, 0);
  EXPECT_EQ(Canvas.OpsOfKind(TCanvasOpKind::FillEllipse).size(), 40u);
  EXPECT_EQ(table.GetHintAt(1.0f, rh + 2.0f), "");
}

TEST_F(RegionGridTableTest, StateDotsByModeAndGreyMissingCountries) {
  const std::vector<double> values{0, 1, 2, 3, 4, 5, -1, 9};
  struct Dot {
    TAlphaColor colour;
    float opacity;
  };
  const TAlphaColor p0 = claGraphicPalette[0];
  const TAlphaColor p1 = claGraphicPalette[1];
  const TAlphaColor p2 = claGraphicPalette[2];
  const std::vector<std::vector<Dot>> expected{{{p0, 1.0f},
                                                {p1, 1.0f},
                                                {p1, 0.7f},
                                                {p2, 0.2f},
                                                {p0, 0.7f},
                                                {p0, 1.0f},
                                                {kWidgetGridColour, 0.2f},
                                                {kWidgetGridColour, 1.0f}},
                                               {{p0, 1.0f},
                                                {p1, 1.0f},
                                                {kWidgetGridColour, 1.0f},
                                                {kWidgetGridColour, 1.0f},
                                                {kWidgetGridColour, 1.0f},
                                                {kWidgetGridColour, 1.0f},
                                                {kWidgetGridColour, 0.2f},
                                                {kWidgetGridColour, 1.0f}}};
  for (int mode : {0, 1}) {
    std::vector<TLabelledSeries> rows;
    for (double v : values) rows.push_back(Row("C" + std::to_string(rows.size()), "Japan", {v}));
    TRegionGridTable table;
    table.SetData(rows, mode);
    table.Layout(Canvas, 0.0f, 0.0f, 800.0f, 600.0f);
    Canvas.Ops.clear();
    table.Draw(Canvas);
    const std::vector<TCanvasOp> dots = Canvas.OpsOfKind(TCanvasOpKind::FillEllipse);
    ASSERT_EQ(dots.size(), values.size());
    const TRegionGridTable::TBlock& block = table.Blocks()[0];
    const float rh = table.RowHeight();
    for (std::size_t i = 0; i < dots.size(); ++i) {
      const auto m = static_cast<std::size_t>(mode);
      EXPECT_EQ(dots[i].Fill.Color, expected[m][i].colour) << mode << " " << values[i];
      EXPECT_FLOAT_EQ(dots[i].Opacity, expected[m][i].opacity) << mode << " " << values[i];
    }
    // Right end of the line: left - 5 + cell width + "X" - row height + 2, one row per country.
    EXPECT_NEAR(dots[0].Rect.Left, block.Left - 5.0f + table.CellWidth() + 9.6f - rh + 2.0f, kTol);
    EXPECT_NEAR(dots[0].Rect.Width(), rh - 4.0f, kTol);
    EXPECT_NEAR(dots[1].Rect.Top, block.Top + 2.0f * rh + 1.0f + 2.0f, kTol);
    // Missing countries are written grey, the others in the text colour.
    for (const TCanvasOp& op : Canvas.OpsOfKind(TCanvasOpKind::FillText)) {
      if (op.Text == "C6") {
        EXPECT_EQ(op.Fill.Color, kWidgetGridColour);
      }
      if (op.Text == "C0") {
        EXPECT_EQ(op.Fill.Color, kWidgetTextColour);
      }
    }
  }
}

TEST_F(RegionGridTableTest, HoverAndHintSkipHeadersAndMissingCountries) {
  TRegionGridTable table;
  table.SetData(
      {Row("USA", "North America", {1}), Row("Canada", "North America", {0}), Row("Mexico", "North America", {-1})}, 0);
  table.Layout(Canvas, 0.0f, 0.0f, 900.0f, 700.0f);
  const TRegionGridTable::TBlock& block = table.Blocks()[0];
  const float rh = table.RowHeight();
  const float cw = table.CellWidth();
  const float left = block.Left;
  const auto lineTop = [&](int i) { return block.Top + static_cast<float>(i) * rh; };

  struct HintCase {
    float x, y;
    std::string hint;
  };
  for (const HintCase& c : std::vector<HintCase>{{left, lineTop(1) + 0.75f, "USA"},
                                                 {left + cw, lineTop(2) - 0.75f, "USA"},
                                                 {left + cw + 0.1f, lineTop(1) + 5.0f, ""},
                                                 {left + 5.0f, lineTop(0) + 5.0f, ""},  // header
                                                 {left + 5.0f, lineTop(3) + 5.0f, ""},  // missing country
                                                 {left + 5.0f, lineTop(2) + 5.0f, "Canada"}}) {
    EXPECT_EQ(table.GetHintAt(c.x, c.y), c.hint) << c.x << " " << c.y;
  }

  struct Step {
    float x, y;
    int cell;
    std::vector<std::pair<std::string, TAlphaColor>> texts;
  };
  const float dx = 7.0f;
  const float dy = 9.0f;
  for (const Step& s : std::vector<Step>{
           {left + 1.0f, lineTop(1) + 0.8f, -1, {}},  // inside the hint band, outside the hover band
           {left + 1.0f, lineTop(1) + 5.0f, 1, {{"USA", 0xFF9B9C9E}}},
           {left + 1.0f, lineTop(2) + 5.0f, 2, {{"Canada", 0xFF9B9C9E}, {"USA", kWidgetTextColour}}},
           {left + 2.0f, lineTop(2) + 6.0f, 2, {}},
           {left + 1.0f, lineTop(3) + 5.0f, -1, {{"Canada", kWidgetTextColour}}},  // missing country: no hover
           {left + 1.0f, lineTop(3) + 5.0f, -1, {}}}) {
    Canvas.Ops.clear();
    table.HighlightAt(Canvas, s.x, s.y, dx, dy);
    EXPECT_EQ(table.HoveredCell(), s.cell);
    EXPECT_EQ(table.HoveredBlock(), s.cell == -1 ? -1 : 0);
    const std::vector<TCanvasOp> texts = Canvas.OpsOfKind(TCanvasOpKind::FillText);
    ASSERT_EQ(texts.size(), s.texts.size()) << s.y;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      EXPECT_EQ(texts[i].Text, s.texts[i].first);
      EXPECT_EQ(texts[i].Fill.Color, s.texts[i].second);
      // Text part only (the dot stays), moved by the offsets; restores cover 0.75 more.
      const int line = texts[i].Text == "USA" ? 1 : 2;
      const float inset = s.texts[i].second == kWidgetTextColour ? 0.75f : 1.0f;
      EXPECT_NEAR(texts[i].Rect.Left, left + dx, kTol);
      EXPECT_NEAR(texts[i].Rect.Right, left + cw - rh + dx, kTol);
      EXPECT_NEAR(texts[i].Rect.Top, lineTop(line) + inset + dy, kTol);
    }
  }
}

#ifdef QUORVANE_WIDGET_PNG
TEST(RegionGridTablePng, FortyCountriesSixRegions) { widgettest::RenderGalleryPngs("RegionGridTable_"); }
#endif

}  // namespace
