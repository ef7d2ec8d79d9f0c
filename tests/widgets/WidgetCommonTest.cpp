// Shared widget conventions: sizes by screen width, number and date texts,
// hover label sequences and the hint query.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/RecordingCanvas.h"
#include "widgets/WidgetCommon.h"
#include "widgets/WidgetTestSupport.h"

using platform::RecordingCanvas;
using platform::TCanvasOpKind;

namespace {

TEST(WidgetCommonTest, SizesAndTexts) {
  struct Case {
    float Ratio, Text, NoData, Title;
  };
  for (const Case& c : std::vector<Case>{{1.0f, 16, 52, 21}, {1.6f, 16, 52, 21}, {0.999f, 15, 50, 20}}) {
    widgettest::SetWindowGlobals(c.Ratio);
    EXPECT_EQ(widgets::TextSize(), c.Text) << c.Ratio;
    EXPECT_EQ(widgets::NoDataSize(), c.NoData) << c.Ratio;
    EXPECT_EQ(widgets::PanelTitleSize(), c.Title) << c.Ratio;
  }
  widgettest::SetWindowGlobals();
  EXPECT_EQ(widgets::PercentText(12.5), "12.50 %");
  EXPECT_EQ(widgets::PercentText(-3.456), "-3.46 %");
  EXPECT_EQ(widgets::DateLabel(platform::EncodeDate(2021, 3, 15)), "Mar 2021");
  EXPECT_EQ(widgets::DateLabel(platform::EncodeDate(1999, 12, 31)), "Dec 1999");
}

// Two labels with a gap between them, drawn at offset (100, 50).
const std::vector<TTextHitArea> kAreas{{"Alpha", {0, 0, 10, 10}, 1, kWidgetTextColour},
                                       {"Beta", {12, 0, 22, 10}, 2, kWidgetTextColour}};

TEST(WidgetCommonTest, HighlightSequences) {
  widgettest::SetWindowGlobals();
  struct Label {
    std::size_t Area;
    TAlphaColor Colour;
  };
  struct Case {
    const char* Name;
    std::int32_t Hovered;
    float X, Y;
    std::int32_t Expected;
    std::vector<Label> Labels;  // hover labels drawn, in order
  };
  const std::vector<Case> cases{
      {"onto an element", -1, 5, 5, 0, {{0, kWidgetHoverColour}}},
      {"within one element", 0, 6, 7, 0, {}},
      {"onto the neighbour", 0, 15, 5, 1, {{1, kWidgetHoverColour}, {0, kWidgetTextColour}}},
      {"to empty space", 1, 11, 5, -1, {{1, kWidgetTextColour}}},
      {"empty space, nothing hovered", -1, 11, 5, -1, {}},
      {"right and bottom edge", -1, 22, 10, 1, {{1, kWidgetHoverColour}}},
      {"just past the edge", -1, 22.01f, 10, -1, {}},
  };
  for (const Case& c : cases) {
    RecordingCanvas canvas;
    EXPECT_EQ(widgets::HighlightAt(canvas, kAreas, c.Hovered, c.X, c.Y, 100, 50), c.Expected) << c.Name;
    const auto texts = canvas.OpsOfKind(TCanvasOpKind::FillText);
    const auto boxes = canvas.OpsOfKind(TCanvasOpKind::FillRect);
    ASSERT_EQ(texts.size(), c.Labels.size()) << c.Name;
    ASSERT_EQ(boxes.size(), c.Labels.size()) << c.Name;
    for (std::size_t i = 0; i < texts.size(); ++i) {
      const TTextHitArea& area = kAreas[c.Labels[i].Area];
      EXPECT_EQ(texts[i].Text, area.Text) << c.Name;
      EXPECT_EQ(texts[i].Fill.Color, c.Labels[i].Colour) << c.Name;
      EXPECT_EQ(texts[i].Font.Style, platform::fsBold) << c.Name;
      EXPECT_EQ(texts[i].Rect, area.Bounds.Offset(100, 50)) << c.Name;
      EXPECT_EQ(texts[i].HorizontalAlign, platform::TextAlignFromCode(area.Alignment)) << c.Name;
      EXPECT_EQ(boxes[i].Fill.Color, claApplicationBkgColor) << c.Name;
    }
  }
  RecordingCanvas canvas;
  EXPECT_EQ(widgets::HighlightAt(canvas, {}, 3, 5, 5, 0, 0), -1);
  EXPECT_TRUE(canvas.OpsOfKind(TCanvasOpKind::FillText).empty());
}

TEST(WidgetCommonTest, HintIsTheFirstAreaHolding) {
  const std::vector<TTextHitArea> areas{
      {"First", {0, 0, 10, 10}, 0, 0}, {"Second", {5, 5, 20, 20}, 0, 0}, {"Third", {0, 0, 30, 30}, 0, 0}};
  struct Case {
    float X, Y;
    std::string Hint;
  };
  for (const Case& c : std::vector<Case>{
           {7, 7, "First"}, {10, 10, "First"}, {20, 20, "Second"}, {25, 2, "Third"}, {30.5f, 2, ""}, {-0.1f, 0, ""}})
    EXPECT_EQ(widgets::HintAt(areas, c.X, c.Y), c.Hint) << c.X << "," << c.Y;
  EXPECT_EQ(widgets::HintAt({}, 0, 0), "");
}

}  // namespace
