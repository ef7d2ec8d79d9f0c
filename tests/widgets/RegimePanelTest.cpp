// Regime panel: box spreading and row placement, arrows and titles, the
// indicator dot, short lists, currency boxes and a picture of the overview.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/RecordingCanvas.h"
#include "widgets/RegimePanel.h"
#include "widgets/WidgetTestSupport.h"

using platform::RecordingCanvas;
using platform::TCanvasOp;
using platform::TCanvasOpKind;

namespace {

// Recording metrics, bold 16 at ratio 1: "X" 9.6 wide and 19.2 high, h = 26.88.
constexpr float kX = 9.6f;
constexpr float kH = 19.2f * 1.4f;
constexpr TAlphaColor kBlue = 0xFF355C7D;
constexpr TAlphaColor kRed = 0xFFF17A7E;

std::vector<const TCanvasOp*> FindTexts(const RecordingCanvas& canvas, const std::string& text) {
  std::vector<const TCanvasOp*> found;
  for (const TCanvasOp& op : canvas.Ops)
    if (op.Kind == TCanvasOpKind::FillText && op.Text == text) found.push_back(&op);
  return found;
}

std::vector<std::string> ChoiceTexts(std::vector<std::string> row0, const std::vector<std::string>& row1) {
  row0.resize(6);
  row0.insert(row0.end(), row1.begin(), row1.end());
  return row0;
}

// Boxes of a row are spread with equal gaps before, between and after them
// (from the whole-number left); row 1 sits h (h/2 before 2h-high currency boxes) below row 0.
TEST(RegimePanelTest, ChoiceLayout) {
  widgettest::SetWindowGlobals();
  struct Case {
    std::vector<std::string> Row0, Row1;
    bool Currency;
    float Row1Offset, Row1Height;
  };
  for (const Case& c : std::vector<Case>{
           {{"Bonds", "Equities"}, {"Japan", "Germany", "Brazil"}, false, 2.2f * kH, 1.2f * kH},
           {{"Gold", "", "Fiat"}, {"USD"}, false, 2.2f * kH, 1.2f * kH},
           {{"Bonds"}, {"Japan", "Germany", "Brazil", "Chile", "India", "Korea"}, true, 1.7f * kH, 2.0f * kH}}) {
    TRegimePanel panel;
    panel.SetChoiceData(ChoiceTexts(c.Row0, c.Row1), std::vector<TAlphaColor>(12, kBlue), "T1", "T2", "", c.Currency);
    RecordingCanvas canvas;
    panel.Layout(canvas, 100.7f, 10, 600, 400);
    const float top = panel.ViewArea().Top;
    EXPECT_NEAR(top, 410 - 5 * kH, 1e-3);
    for (std::size_t r = 0; r < 2; ++r) {
      std::vector<platform::TRectF> boxes;
      for (const TTableCell& cell : panel.Rows()[r]) {
        if (!cell.Text.empty()) boxes.push_back(cell.Bounds);
        EXPECT_TRUE(!cell.Text.empty() || cell.Bounds == platform::TRectF{});
      }
      ASSERT_FALSE(boxes.empty());
      const float gap = boxes[0].Left - 100.0f;
      for (std::size_t i = 1; i < boxes.size(); ++i) EXPECT_NEAR(boxes[i].Left - boxes[i - 1].Right, gap, 1e-3);
      EXPECT_NEAR(700.0f - boxes.back().Right, gap, 1e-3);
      EXPECT_NEAR(boxes[0].Top, top + kH + (r == 0 ? 0.0f : c.Row1Offset), 1e-3);
      EXPECT_NEAR(boxes[0].Height(), r == 0 ? 1.2f * kH : c.Row1Height, 1e-3);
    }
  }
}

// A row too narrow for equal boxes takes boxes as wide as their own texts,
// then smaller type: no box overlaps another (at least half an "X" apart,
// inside the panel) and every text fits its box at the size it is written.
TEST(RegimePanelTest, NarrowRowsKeepBoxesApartAndTextsWhole) {
  widgettest::SetWindowGlobals();
  const std::vector<std::string> names{"Czech Republic", "USA", "South Africa", "Japan", "Netherlands", "Turkey"};
  // 51 characters: equal boxes need 6 x 144 + 7 x 4.8 = 897.6, own boxes
  // 547.2 + 33.6 = 580.8; at size s the row needs 34.2 s + 33.6.
  const struct {
    float Width;
    float Size;
    bool Equal;
  } cases[] = {{1000, 16, true}, {898, 16, true},  {897, 16, false}, {581, 16, false},
               {580, 15, false}, {500, 13, false}, {300, 8, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Width);
    TRegimePanel panel;
    panel.SetChoiceData(ChoiceTexts({"Bonds", "Equities"}, names), std::vector<TAlphaColor>(12, kBlue), "", "", "",
                        false);
    RecordingCanvas canvas;
    panel.Layout(canvas, 300, 0, c.Width, 400);
    panel.Draw(canvas);
    EXPECT_EQ(panel.RowFontSize(0), 16.0f);
    EXPECT_EQ(panel.RowFontSize(1), c.Size);
    const auto& row = panel.Rows()[1];
    float previousRight = 300.0f;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const platform::TRectF box = row[i].Bounds;
      const TCanvasOp* text = FindTexts(canvas, names[i]).at(0);
      EXPECT_EQ(text->Font.Size, c.Size) << names[i];
      const float textWidth = 0.6f * c.Size * static_cast<float>(names[i].size());
      EXPECT_NEAR(
          box.Width(),
          (c.Equal ? 14.0f : static_cast<float>(names[i].size()) + 1.0f) * 0.6f * c.Size + (c.Equal ? 9.6f : 0.0f),
          1e-3)
          << names[i];
      EXPECT_GE(box.Width(), textWidth) << names[i];
      if (c.Size > TRegimePanel::kSmallestBoxFontSize) {
        EXPECT_GE(box.Left - previousRight, 4.8f - 1e-3f) << names[i];
      }
      previousRight = box.Right;
    }
    if (c.Size > TRegimePanel::kSmallestBoxFontSize) {
      EXPECT_LE(previousRight, 300.0f + c.Width - 4.8f + 1e-3f);
    }
  }
}

TEST(RegimePanelTest, ChoiceDrawing) {
  struct Case {
    float Ratio;
    std::vector<std::string> Row1;
    std::size_t Lines;  // four per row whose cell 0 holds a text
    float TitleSize;
  };
  for (const Case& c : std::vector<Case>{{1.0f, {"Japan"}, 8, 21}, {0.999f, {"", "Japan"}, 4, 20}}) {
    widgettest::SetWindowGlobals(c.Ratio);
    TRegimePanel panel;
    std::vector<TAlphaColor> colours(12, kBlue);
    colours[1] = kRed;
    panel.SetChoiceData(ChoiceTexts({"Bonds", "Equities"}, c.Row1), colours, "Equities vs. Bonds", "Best Equities",
                        "Third", false);
    RecordingCanvas canvas;
    panel.Layout(canvas, 300, 0, 800, 400);
    panel.Draw(canvas);
    const auto lines = canvas.OpsOfKind(TCanvasOpKind::DrawLine);
    ASSERT_EQ(lines.size(), c.Lines);
    const float y = panel.Rows()[0][0].Bounds.Top + panel.Rows()[0][0].Bounds.Height() / 2;
    EXPECT_EQ(lines[0].Points, (std::vector<platform::TPointF>{{300, y}, {1100, y}}));
    EXPECT_EQ(lines[3].Points, (std::vector<platform::TPointF>{{1092, y + 8}, {1100, y}}));
    EXPECT_EQ(lines[0].Stroke.Color, claTitleColorPair[1]);
    EXPECT_EQ(lines.back().Stroke.Color, c.Lines == 8 ? claTabColorSets[0] : claTitleColorPair[1]);

    const auto best = FindTexts(canvas, "Best");  // also beside a row without cell 0, at its zero rectangle
    ASSERT_EQ(best.size(), 2u);
    const float x = c.Ratio < 1.0f ? 9.0f : kX;
    EXPECT_NEAR(best[0]->Rect.Left, 1100 + x, 1e-3);
    EXPECT_NEAR(best[0]->Rect.Width(), 6 * x, 1e-3);
    EXPECT_EQ(best[1]->Fill.Color, claTabColorSets[0]);
    EXPECT_EQ(best[1]->Rect.Top, c.Lines == 4 ? -2.0f : panel.Rows()[1][0].Bounds.Top - 2);

    const TCanvasOp* title1 = FindTexts(canvas, "Equities vs. Bonds").at(0);
    EXPECT_NEAR(title1->Rect.Left, 300 - 23 * x, 1e-3);
    EXPECT_EQ(title1->Font.Style, platform::fsBold);
    EXPECT_EQ(title1->Fill.Color, claReferenceGraphicColor_1);
    EXPECT_EQ(FindTexts(canvas, "Best Equities").at(0)->Font.Style, 0u);
    const TCanvasOp* title3 = FindTexts(canvas, "Third").at(0);
    EXPECT_EQ(title3->Font.Size, c.TitleSize);
    EXPECT_NEAR(title3->Rect.Bottom, panel.ViewArea().Top - 1.2f * (c.TitleSize - 5), 1e-3);
    const TCanvasOp* box = FindTexts(canvas, "Bonds").at(0);
    EXPECT_EQ(box->Font.Size, c.TitleSize - 5);
    EXPECT_EQ(box->Fill.Color, kWidgetOnFillColour);
    EXPECT_EQ(box->Font.Style, platform::fsBold);
  }
  widgettest::SetWindowGlobals();
}

// The dot sits at left box right + 16 + value x (width - 2 box - 32): 0.5 is half-way.
TEST(RegimePanelTest, IndicatorDot) {
  widgettest::SetWindowGlobals();
  struct Case {
    double Value;
    float X;
  };
  for (const Case& c : std::vector<Case>{{0.0, 392.8f}, {0.5, 700.0f}, {1.0, 1007.2f}, {0.25, 546.4f}}) {
    TRegimePanel panel;
    panel.SetData({"Bust", "Boom"}, {kBlue, kRed}, "MACROECONOMY", c.Value);
    RecordingCanvas canvas;
    panel.Layout(canvas, 300, 50, 800, 300);
    panel.Draw(canvas);
    const auto dots = canvas.OpsOfKind(TCanvasOpKind::FillEllipse);
    ASSERT_EQ(dots.size(), 1u);
    EXPECT_NEAR((dots[0].Rect.Left + dots[0].Rect.Right) / 2, c.X, 1e-3) << c.Value;
    EXPECT_NEAR((dots[0].Rect.Top + dots[0].Rect.Bottom) / 2, 50 + 0.6f * kH, 1e-3);
    EXPECT_NEAR(dots[0].Rect.Width(), 14.0f, 1e-4);
    EXPECT_EQ(dots[0].Fill.Color, kBlue);
    EXPECT_NEAR(panel.ViewArea().Height, 2 * kH, 1e-3);
    EXPECT_EQ(FindTexts(canvas, "Bust").at(0)->Rect, (platform::TRectF{299, 48, 377.8f, 48 + 1.2f * kH}));
    EXPECT_EQ(FindTexts(canvas, "Boom").at(0)->Rect, (platform::TRectF{1100 - 8 * kX, 48, 1101, 48 + 1.2f * kH}));
    EXPECT_EQ(FindTexts(canvas, "MACROECONOMY").at(0)->Fill.Color, kBlue);
  }
}

// Lists shorter than the cells leave the remaining cells empty; an empty
// panel draws nothing; a currency box writes "(currency)" under the name.
TEST(RegimePanelTest, ShortListsEmptyPanelAndCurrencyBoxes) {
  widgettest::SetWindowGlobals();
  TRegimePanel shortChoice;
  shortChoice.SetChoiceData({"Bonds", "Equities", "", "", "", "", "Japan"}, {kBlue}, "T1", "T2", "", false);
  EXPECT_EQ(shortChoice.Rows()[1][0].Text, "Japan");
  EXPECT_EQ(shortChoice.Rows()[1][1].Text, "");
  EXPECT_EQ(shortChoice.Rows()[1][0].FillColour, kWidgetTextColour);
  TRegimePanel shortIndicator;
  shortIndicator.SetData({"Weak"}, {}, "LIQUIDITY", 0.3);
  EXPECT_EQ(shortIndicator.Rows()[0][1].Text, "");

  TRegimePanel empty;
  RecordingCanvas emptyCanvas;
  empty.Layout(emptyCanvas, 0, 0, 800, 400);
  empty.Draw(emptyCanvas);
  EXPECT_TRUE(emptyCanvas.Ops.empty());

  const auto saved = vcMyExternCountryList;
  vcMyExternCountryList.assign(1, TCountry{});
  vcMyExternCountryList[0].Name = "Japan";
  vcMyExternCountryList[0].Currency = "JPY";
  TRegimePanel currency;
  currency.SetChoiceData(ChoiceTexts({"Gold"}, {"Japan", "Nowhere"}), std::vector<TAlphaColor>(12, kRed), "", "", "",
                         true);
  RecordingCanvas canvas;
  currency.Layout(canvas, 300, 0, 800, 400);
  currency.Draw(canvas);
  vcMyExternCountryList = saved;
  const TCanvasOp* name = FindTexts(canvas, "Japan").at(0);
  const TCanvasOp* code = FindTexts(canvas, "(JPY)").at(0);
  const auto& box = currency.Rows()[1][0].Bounds;
  EXPECT_EQ(name->Rect.Bottom, box.Top + box.Height() / 2);
  EXPECT_EQ(name->VerticalAlign, platform::TTextAlign::Trailing);
  EXPECT_EQ(code->Rect.Top, name->Rect.Bottom);
  EXPECT_EQ(code->VerticalAlign, platform::TTextAlign::Leading);
  EXPECT_EQ(FindTexts(canvas, "Nowhere").size(), 1u);  // no currency: one line
}

#ifdef QUORVANE_WIDGET_PNG
TEST(RegimePanelTest, Png) { widgettest::RenderGalleryPngs("RegimePanel_"); }
#endif

}  // namespace
