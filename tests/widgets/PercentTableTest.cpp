// The two-sided percentage table: halves and group rows, bar geometry and
// parts, state colours, headers, hover and hint.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "common/CountryHelpers.h"
#include "common/Globals.h"
#include "platform/RecordingCanvas.h"
#include "widgets/PercentTable.h"
#include "widgets/WidgetTestSupport.h"

using platform::RecordingCanvas;
using platform::TCanvasOpKind;

namespace {

using namespace widgettest::twosided;
constexpr TAlphaColor kPink = 0xFFF17A7E;

// Names "Name00".. (six characters), groups by the given boundaries.
std::vector<TStateItem> Items(std::size_t count, const std::vector<std::pair<std::size_t, std::string>>& groups) {
  std::vector<TStateItem> items;
  for (std::size_t i = 0; i < count; ++i) {
    std::string group;
    for (const auto& [from, name] : groups)
      if (i >= from) group = name;
    const std::string name = (i < 10 ? "Name0" : "Name") + std::to_string(i);
    items.push_back({name, group, {static_cast<double>(i + 1)}, static_cast<std::int64_t>(i % 3)});
  }
  return items;
}

TEST(PercentTableTest, GeometryOfTheHalvesAndGroups) {
  widgettest::SetWindowGlobals();
  struct Case {
    std::vector<std::pair<std::size_t, std::string>> groups;
    float row22Top;  // rows below the table top
    std::size_t headers;
  };
  const std::vector<Case> cases = {
      // A group continuing from row 21 into row 22: the right half starts at its top row, no second header.
      {{{0, "North America"}, {10, "Europe (Euro)"}}, 0, 2},
      // A group starting at row 22 takes one free row for its header.
      {{{0, "North America"}, {22, "Japan"}}, 1, 2},
      {{{0, "North America"}, {5, "Japan"}, {22, "Developing Asia"}, {24, "Europe (Non Euro)"}}, 1, 4},
  };
  for (const Case& c : cases) {
    TPercentTable table;
    table.SetData(Items(26, c.groups));
    RecordingCanvas canvas;
    table.Layout(canvas, 0, 0, 1200, 800);
    const float g = 3 * kChar;
    const float p = 8 * kChar;
    const float w = 6 * kChar;
    const float b = (1200 - 2 * (w + p + 4 * g)) * 0.5f;
    EXPECT_FLOAT_EQ(table.TotalWidth, 1200);
    EXPECT_FLOAT_EQ(table.TotalHeight, 25 * kRow);
    EXPECT_FLOAT_EQ(table.Top, (800 - 25 * kRow) * 0.5f);
    const float centre = 600;
    const auto& names = table.Columns[0];
    const auto& bars = table.Columns[1];
    const auto& figures = table.Columns[2];
    // Row 0 (left half): name, bar outward with length figure x b / largest, figure beyond.
    EXPECT_FLOAT_EQ(names[0].Bounds.Right, centre - g);
    EXPECT_FLOAT_EQ(names[0].Bounds.Left, centre - g - w);
    EXPECT_FLOAT_EQ(bars[0].Bounds.Right, centre - 2 * g - w);
    EXPECT_NEAR(bars[0].Bounds.Width(), 1.0f * b / 26.0f, 1e-3);
    EXPECT_FLOAT_EQ(figures[0].Bounds.Right, bars[0].Bounds.Left - 0.5f * g);
    EXPECT_FLOAT_EQ(figures[0].Bounds.Width(), p);
    EXPECT_FLOAT_EQ(names[0].Bounds.Top, table.Top + kRow);  // below the first header
    EXPECT_EQ(names[0].Alignment, 2);
    // Row 25 (right half, the largest figure): the bar takes the whole room.
    EXPECT_FLOAT_EQ(names[25].Bounds.Left, centre + g);
    EXPECT_FLOAT_EQ(bars[25].Bounds.Left, centre + 2 * g + w);
    EXPECT_NEAR(bars[25].Bounds.Width(), b, 1e-3);
    EXPECT_FLOAT_EQ(figures[25].Bounds.Left, bars[25].Bounds.Right + 0.5f * g);
    EXPECT_EQ(names[25].Alignment, 1);
    EXPECT_NEAR(names[22].Bounds.Top, table.Top + c.row22Top * kRow, 1e-3);
    // Headers: one box per group start, in the region's colour.
    table.Draw(canvas);
    std::size_t boxes = 0;
    for (const auto& op : canvas.OpsOfKind(TCanvasOpKind::FillRect))
      if (op.Stroke.Color != op.Fill.Color) ++boxes;
    EXPECT_EQ(boxes, c.headers);
  }
}

TEST(PercentTableTest, HeaderBoxAndText) {
  widgettest::SetWindowGlobals(1.0f, 1.0f);
  TPercentTable table;
  std::vector<TStateItem> items = {{"Left", "Japan", {5}, 0}, {"Other", "Atlantis", {4}, 0}};
  for (int i = 0; i < 21; ++i) items.push_back({"Other", "Atlantis", {1}, 0});
  items.push_back({"Right", "Japan", {3}, 0});  // row 23, a new group on the right half
  table.SetData(items);
  RecordingCanvas canvas;
  table.Layout(canvas, 0, 0, 1200, 800);
  table.Draw(canvas);
  const platform::TCanvasOp* japan = widgettest::FindText(canvas, "Japan");
  ASSERT_NE(japan, nullptr);
  const platform::TRectF name = table.Columns[0][0].Bounds;
  const float width = 7 * kChar;  // "Japan" + "XX" in bold
  EXPECT_EQ(japan->Rect, (platform::TRectF{name.Right - width, name.Top - kRow, name.Right, name.Bottom - kRow}));
  EXPECT_EQ(japan->Fill.Color, kWidgetOnFillColour);
  EXPECT_EQ(japan->Font.Style, platform::fsBold);
  EXPECT_EQ(japan->HorizontalAlign, platform::TTextAlign::Trailing);
  std::vector<platform::TCanvasOp> boxes;
  for (const auto& op : canvas.OpsOfKind(TCanvasOpKind::FillRect))
    if (op.Stroke.Color != op.Fill.Color) boxes.push_back(op);
  ASSERT_EQ(boxes.size(), 3u);  // Japan, Atlantis (continued on the right without a header), Japan
  EXPECT_EQ(boxes[0].Rect, (platform::TRectF{japan->Rect.Left - 5, japan->Rect.Top + 3, japan->Rect.Right + kChar,
                                             japan->Rect.Bottom + 1}));
  EXPECT_EQ(boxes[0].Fill.Color, claRegionColors[4]);
  EXPECT_EQ(boxes[0].RadiusX, 2.0f);
  EXPECT_EQ(boxes[1].Fill.Color, kWidgetTextColour);  // a group that is no region
  // Right half: the header runs rightwards from the name's left edge.
  const platform::TRectF right = table.Columns[0][23].Bounds;
  EXPECT_FLOAT_EQ(boxes[2].Rect.Left, right.Left - 5);
}

TEST(PercentTableTest, BarParts) {
  widgettest::SetWindowGlobals();
  struct Case {
    std::vector<double> values;
    bool rightHalf;
    // Expected parts in drawing order (the first share's part first): fractions of the bar
    // cell, colour, and whether the part starts 1 beyond its neighbour.
    std::vector<std::tuple<double, double, TAlphaColor, bool>> parts;
  };
  const std::vector<Case> cases = {
      {{8}, false, {{0, 1, kBlue, false}}},
      {{3, 0}, false, {{0, 1, kBlue, true}}},    // no second share: the inner part alone
      {{0, 4}, false, {{0, 1, kSlate, false}}},  // no first share: the outer part alone
      {{1, 3}, false, {{0.75, 1, kBlue, true}, {0, 0.75, kSlate, false}}},
      {{1, 3}, true, {{0, 0.25, kBlue, false}, {0.25, 1, kSlate, true}}},
      {{2, -2, 5}, false, {{0, 1, kBlue, false}}},  // a + b = 0: one part
  };
  for (const Case& c : cases) {
    std::vector<TStateItem> items;
    for (int i = 0; i < 23; ++i) items.push_back({"N" + std::to_string(i), "Japan", {0.0}, 0});
    items[c.rightHalf ? 22 : 0].Values = c.values;
    items[5].Values = {40.0};  // the largest figure
    TPercentTable table;
    table.SetData(items);
    RecordingCanvas canvas;
    table.Layout(canvas, 0, 0, 1200, 800);
    table.Draw(canvas);
    const platform::TRectF cell = table.Columns[1][c.rightHalf ? 22 : 0].Bounds;
    std::vector<platform::TCanvasOp> bars;
    for (const auto& op : widgettest::Bars(canvas))
      if (op.Rect.Top == cell.Top + 4) bars.push_back(op);
    ASSERT_EQ(bars.size(), c.parts.size()) << c.values.size();
    for (std::size_t i = 0; i < bars.size(); ++i) {
      const auto [from, to, colour, gap] = c.parts[i];
      const float left = cell.Left + static_cast<float>(from) * cell.Width() + (gap ? 1.0f : 0.0f);
      EXPECT_NEAR(bars[i].Rect.Left, left, 1e-3);
      EXPECT_NEAR(bars[i].Rect.Right, cell.Left + static_cast<float>(to) * cell.Width(), 1e-3);
      EXPECT_FLOAT_EQ(bars[i].Rect.Bottom, cell.Bottom - 4);
      EXPECT_EQ(bars[i].Fill.Color, colour);
      EXPECT_EQ(bars[i].RadiusX, 2.0f);
    }
    // Only the two items with a figure are drawn: no bar for the zero rows.
    EXPECT_EQ(widgettest::Bars(canvas).size(), c.parts.size() + 1);
  }
}

TEST(PercentTableTest, LargestFigureZeroDrawsNoBarsAndNoFigures) {
  widgettest::SetWindowGlobals();
  TPercentTable table;
  table.SetData({{"A", "Japan", {0.0}, 0}, {"B", "Japan", {-3.0}, 1}, {"C", "Japan", {}, 2}});
  RecordingCanvas canvas;
  table.Layout(canvas, 0, 0, 1200, 800);
  widgettest::ExpectNoBars(table, canvas);
  ASSERT_NE(widgettest::FindText(canvas, "A"), nullptr);
  EXPECT_EQ(widgettest::FindText(canvas, "0.00 %"), nullptr);
  EXPECT_EQ(table.Columns[2][2].Text, "0");
}

TEST(PercentTableTest, StateColoursNameBarAndFigure) {
  widgettest::SetWindowGlobals();
  TPercentTable table;
  table.SetData({{"Zero", "Japan", {12.5}, 0}, {"One", "Japan", {2.0, 0.0}, 1}, {"Two", "Japan", {7.25}, 2}});
  RecordingCanvas canvas;
  table.Layout(canvas, 0, 0, 1200, 800);
  table.Draw(canvas);
  const std::vector<std::tuple<const char*, const char*, TAlphaColor>> rows = {
      {"Zero", "12.50 %", kBlue}, {"One", "2.00 %", kPink}, {"Two", "7.25 %", kWidgetGridColour}};
  for (const auto& [name, figure, colour] : rows) {
    ASSERT_NE(widgettest::FindText(canvas, name), nullptr);
    EXPECT_EQ(widgettest::FindText(canvas, name)->Fill.Color, colour) << name;
    ASSERT_NE(widgettest::FindText(canvas, figure), nullptr) << figure;
    EXPECT_EQ(widgettest::FindText(canvas, figure)->Fill.Color, colour) << figure;
  }
  const auto bars = widgettest::Bars(canvas);
  ASSERT_EQ(bars.size(), 3u);
  EXPECT_EQ(bars[0].Fill.Color, kBlue);
  EXPECT_EQ(bars[1].Fill.Color, kBlue);  // a two-value item: its first share's part
  EXPECT_EQ(bars[2].Fill.Color, kWidgetGridColour);
}

TEST(PercentTableTest, HoverSequenceAndHint) {
  widgettest::SetWindowGlobals();
  TPercentTable table;
  table.SetData({{"Alpha", "Japan", {5}, 1}, {"Beta", "Japan", {4}, 0}});
  RecordingCanvas layout;
  table.Layout(layout, 0, 0, 1200, 800);
  const platform::TRectF a = table.Columns[0][0].Bounds;
  const platform::TRectF b = table.Columns[0][1].Bounds;
  const float dx = 10;
  const float dy = 20;
  struct Step {
    float x, y;
    std::int32_t hovered;
    std::vector<std::pair<std::string, TAlphaColor>> drawn;
  };
  const std::vector<Step> steps = {
      {a.Left, a.Top, 0, {{"Alpha", kWidgetHoverColour}}},
      {a.Right, a.Bottom - 1, 0, {}},  // within the same element: nothing
      {b.Right, b.Bottom, 1, {{"Beta", kWidgetHoverColour}, {"Alpha", kPink}}},
      {b.Right + 1, b.Bottom, -1, {{"Beta", kBlue}}},
      {b.Right + 1, b.Bottom, -1, {}},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    RecordingCanvas canvas;
    table.HighlightAt(canvas, steps[i].x, steps[i].y, dx, dy);
    EXPECT_EQ(table.Hovered, steps[i].hovered) << "step " << i;
    const auto texts = widgettest::Texts(canvas);
    ASSERT_EQ(texts.size(), steps[i].drawn.size()) << "step " << i;
    for (std::size_t k = 0; k < texts.size(); ++k) {
      EXPECT_EQ(texts[k].Text, steps[i].drawn[k].first);
      EXPECT_EQ(texts[k].Fill.Color, steps[i].drawn[k].second);
      const platform::TRectF cell = table.Columns[0][texts[k].Text == "Alpha" ? 0 : 1].Bounds;
      EXPECT_EQ(texts[k].Rect,
                (platform::TRectF{cell.Left + dx, cell.Top + dy + 3, cell.Right + dx, cell.Bottom + dy - 3}));
    }
  }
  EXPECT_EQ(table.GetHintAt(a.Left, a.Top), "Alpha");
  EXPECT_EQ(table.GetHintAt(b.Right, b.Bottom), "Beta");
  EXPECT_EQ(table.GetHintAt(b.Right + 0.5f, b.Bottom), "");
  TPercentTable empty;
  EXPECT_EQ(empty.GetHintAt(0, 0), "");
  RecordingCanvas canvas;
  empty.HighlightAt(canvas, 0, 0, 0, 0);
  EXPECT_EQ(empty.Hovered, -1);
  empty.Layout(canvas, 0, 0, 100, 100);
  empty.Draw(canvas);
  EXPECT_TRUE(widgettest::Texts(canvas).empty());
}

#ifdef QUORVANE_WIDGET_PNG
TEST(PercentTableTest, Picture) { widgettest::RenderGalleryPngs("PercentTable_"); }
#endif

}  // namespace
