// The percentage grid table: cell texts and colours from the allocation
// rows, rank placement, bars by rank and share, headers and the region hint.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/CountryHelpers.h"
#include "common/Globals.h"
#include "platform/RecordingCanvas.h"
#include "widgets/PercentGridTable.h"
#include "widgets/WidgetTestSupport.h"

using platform::RecordingCanvas;
using platform::TCanvasOpKind;

namespace {

using namespace widgettest::twosided;

TRegionItem Item(const std::string& name, const std::string& region, double weight, int rank, int excluded = 1) {
  TRegionItem item;
  item.Name = name;
  item.RegionName = region;
  item.Value = weight;
  item.RegionColor = 0.4;
  item.State = rank;
  item.Flag = 0;
  item.Excluded = excluded;
  return item;
}

TEST(PercentGridTableTest, RowsByRankShareAndParticipation) {
  widgettest::SetWindowGlobals();
  struct Case {
    TRegionItem item;
    const char* rank;  // drawn rank text, "" none
    TAlphaColor nameColour;
    TAlphaColor barColour;  // 0: no bar
    const char* figure;     // drawn figure, nullptr none
  };
  const std::vector<Case> cases = {
      {Item("Ranked", "Japan", 0.25, 3), "3", kBlue, kBlue, "25.00 %"},
      {Item("Unranked", "Japan", 0.1, -1), "", kBlue, kSlate, "10.00 %"},
      {Item("RankZero", "Japan", 0.1, 0), "", kBlue, kBlue, "10.00 %"},
      {Item("Zero", "Japan", 0.0, 4), "4", kBlue, 0, nullptr},
      {Item("Greyed", "Japan", 0.3, 2, 2), "", kWidgetGridColour, kBlue, "30.00 %"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item.Name);
    TPercentGridTable table;
    table.SetData({c.item, Item("Largest", "Japan", 0.5, 1)}, {});
    ASSERT_EQ(table.Columns.size(), 6u);
    EXPECT_EQ(table.Columns[4][0].Text, c.rank);
    EXPECT_DOUBLE_EQ(table.Columns[2][0].Value, c.item.Value * 100.0);
    EXPECT_EQ(table.Columns[5][0].Text, "40");
    RecordingCanvas canvas;
    table.Layout(canvas, 0, 0, 1200, 800);
    table.Draw(canvas);
    const platform::TCanvasOp* name = widgettest::FindText(canvas, c.item.Name);
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->Fill.Color, c.nameColour);
    const platform::TRectF barCell = table.Columns[1][0].Bounds;
    std::vector<platform::TCanvasOp> bars;
    for (const auto& op : widgettest::Bars(canvas))
      if (op.Rect.Top == barCell.Top + 4) bars.push_back(op);
    ASSERT_EQ(bars.size(), c.barColour == 0 ? 0u : 1u);
    if (!bars.empty()) {
      EXPECT_EQ(bars[0].Fill.Color, c.barColour);
      EXPECT_EQ(bars[0].Rect, (platform::TRectF{barCell.Left, barCell.Top + 4, barCell.Right, barCell.Bottom - 4}));
      EXPECT_NEAR(barCell.Width(), table.Columns[1][1].Bounds.Width() * c.item.Value / 0.5, 1e-3);
    }
    if (c.figure != nullptr) {
      const platform::TCanvasOp* figure = widgettest::FindText(canvas, c.figure);
      ASSERT_NE(figure, nullptr);
      EXPECT_EQ(figure->Fill.Color, kBlue);
      EXPECT_EQ(figure->Rect, table.Columns[2][0].Bounds);
    } else {
      EXPECT_EQ(widgettest::FindText(canvas, "0.00 %"), nullptr);
    }
  }
}

TEST(PercentGridTableTest, RankCellsBetweenNameAndCentre) {
  widgettest::SetWindowGlobals();
  std::vector<TRegionItem> items;
  for (int i = 0; i < 23; ++i) items.push_back(Item("Country" + std::to_string(i), "Japan", 0.01 * (i + 1), i + 1));
  TPercentGridTable table;
  table.SetData(items, {});
  RecordingCanvas canvas;
  table.Layout(canvas, 0, 0, 1200, 800);
  table.Draw(canvas);
  const float x = 0.6f * 16;  // TextWidth("x")
  // Left half: from the name's right edge plus "x", as wide as the text, written leading.
  const platform::TRectF leftName = table.Columns[0][11].Bounds;
  EXPECT_EQ(table.Columns[4][11].Bounds,
            (platform::TRectF{leftName.Right + x, leftName.Top, leftName.Right + x + 2 * kChar, leftName.Bottom}));
  // Right half: ending "x" before the name's left edge, written trailing.
  const platform::TRectF rightName = table.Columns[0][22].Bounds;
  EXPECT_EQ(table.Columns[4][22].Bounds,
            (platform::TRectF{rightName.Left - x - 2 * kChar, rightName.Top, rightName.Left - x, rightName.Bottom}));
  const platform::TCanvasOp* left = widgettest::FindText(canvas, "12");
  const platform::TCanvasOp* right = widgettest::FindText(canvas, "23");
  ASSERT_TRUE(left && right);
  EXPECT_EQ(left->HorizontalAlign, platform::TTextAlign::Leading);
  EXPECT_EQ(right->HorizontalAlign, platform::TTextAlign::Trailing);
  EXPECT_EQ(right->Fill.Color, kBlue);
  // The rank lies between the name and the centre line.
  const float centre = table.Left + table.TotalWidth * 0.5f;
  EXPECT_LE(left->Rect.Right, centre);
  EXPECT_GE(right->Rect.Left, centre);
  // A group continuing into the right half starts it at the top row.
  EXPECT_FLOAT_EQ(rightName.Top, table.Top);
  EXPECT_FLOAT_EQ(table.Columns[0][0].Bounds.Top, table.Top + kRow);
}

TEST(PercentGridTableTest, HintAnswersOnlyRegionHeaders) {
  widgettest::SetWindowGlobals();
  TPercentGridTable table;
  table.SetData(
      {Item("Japan", "Japan", 0.2, 1), Item("Kiribati", "Atlantis", 0.1, 2), Item("Canada", "North America", 0.3, 3),
       Item("Mexico", "North America", 0.1, 4), Item("Lemuria", "Mu", 0.1, 5, 2)},
      {TLegendItem{{"Legend"}, {}, 0xFF000000}});
  EXPECT_EQ(table.Legend.size(), 1u);
  RecordingCanvas canvas;
  table.Layout(canvas, 0, 0, 1200, 800);
  EXPECT_EQ(table.GetHintAt(1, 1), "");  // nothing drawn yet
  table.Draw(canvas);
  const platform::TRectF japan = table.GroupCells[0].Bounds;
  const platform::TRectF america = table.GroupCells[2].Bounds;
  EXPECT_FLOAT_EQ(japan.Bottom, table.Columns[0][0].Bounds.Bottom - kRow);
  EXPECT_FLOAT_EQ(japan.Width(), 7 * kChar);  // "Japan" + "XX"
  EXPECT_EQ(table.GetHintAt(japan.Left, japan.Top), "Japan");
  EXPECT_EQ(table.GetHintAt(america.Right, america.Bottom), "North America");
  EXPECT_EQ(table.GetHintAt(america.Right + 0.5f, america.Bottom), "");
  // A name cell answers only when its text is a region name.
  const platform::TRectF mexico = table.Columns[0][3].Bounds;
  EXPECT_EQ(table.GetHintAt(mexico.Left + 1, mexico.Top + 1), "");
  const platform::TRectF japanName = table.Columns[0][0].Bounds;
  EXPECT_EQ(table.GetHintAt(japanName.Left + 1, japanName.Top + 1), "Japan");
  // The header of a group that is no region keeps the name's colour (blue,
  // grey for a country that takes no part) and gives no hint; no header for
  // a continuing group.
  std::vector<platform::TCanvasOp> boxes;
  for (const auto& op : canvas.OpsOfKind(TCanvasOpKind::FillRect))
    if (op.Stroke.Color != op.Fill.Color || op.Stroke.Kind != platform::TBrushKind::Solid) boxes.push_back(op);
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].Fill.Color, claRegionColors[4]);
  EXPECT_EQ(boxes[1].Fill.Color, kBlue);
  EXPECT_EQ(boxes[2].Fill.Color, claRegionColors[0]);
  EXPECT_EQ(boxes[3].Fill.Color, kWidgetGridColour);
  const platform::TRectF atlantis = table.GroupCells[1].Bounds;
  EXPECT_EQ(table.GetHintAt(atlantis.Left + 1, atlantis.Top + 1), "");
  TPercentGridTable empty;
  EXPECT_EQ(empty.GetHintAt(0, 0), "");
}

TEST(PercentGridTableTest, AllSharesZeroOrNegativeLeaveBarsEmpty) {
  widgettest::SetWindowGlobals();
  TPercentGridTable table;
  table.SetData({Item("A", "Japan", 0.0, 1), Item("B", "Japan", 0.0, -1)}, {});
  RecordingCanvas canvas;
  table.Layout(canvas, 0, 0, 1200, 800);
  widgettest::ExpectNoBars(table, canvas);
  EXPECT_NE(widgettest::FindText(canvas, "A"), nullptr);
  TPercentGridTable fresh;
  RecordingCanvas none;
  fresh.Layout(none, 0, 0, 100, 100);
  fresh.Draw(none);
  EXPECT_TRUE(none.OpsOfKind(TCanvasOpKind::FillText).empty());
}

#ifdef QUORVANE_WIDGET_PNG
TEST(PercentGridTableTest, Picture) { widgettest::RenderGalleryPngs("PercentGridTable_"); }
#endif

}  // namespace
