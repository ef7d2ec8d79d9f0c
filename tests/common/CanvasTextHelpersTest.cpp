#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "common/CanvasTextHelpers.h"
#include "common/Globals.h"
#include "platform/RecordingCanvas.h"

using platform::RecordingCanvas;
using platform::TCanvasOp;
using platform::TCanvasOpKind;
using platform::TMatrix;
using platform::TPointF;
using platform::TRectF;
using platform::TTextAlign;

namespace {

// Keeps fScreenWidthRatio for the test and puts it back afterwards.
class ScreenRatioGuard {
 public:
  explicit ScreenRatioGuard(float ratio) : Saved_(fScreenWidthRatio) { fScreenWidthRatio = ratio; }
  ~ScreenRatioGuard() { fScreenWidthRatio = Saved_; }
  ScreenRatioGuard(const ScreenRatioGuard&) = delete;
  ScreenRatioGuard& operator=(const ScreenRatioGuard&) = delete;

 private:
  float Saved_;
};

void ExpectPointNear(TPointF actual, TPointF expected) {
  EXPECT_NEAR(actual.X, expected.X, 1e-3f);
  EXPECT_NEAR(actual.Y, expected.Y, 1e-3f);
}

}  // namespace

// Font size 10 on the recording canvas: "abcd" is 24 wide (4 x 0.6 x 10) and
// 12 high (1.2 x 10).
TEST(DrawRotatedText, BoxAroundTheAnchorByAlignment) {
  struct Case {
    int Horizontal, Vertical;
    TRectF Box;
    TTextAlign H, V;
  };
  const Case cases[] = {
      {0, 0, {-12.0f, -6.0f, 12.0f, 6.0f}, TTextAlign::Center, TTextAlign::Center},
      {1, 1, {0.0f, 0.0f, 24.0f, 12.0f}, TTextAlign::Leading, TTextAlign::Leading},
      {2, 2, {-24.0f, -12.0f, 0.0f, 0.0f}, TTextAlign::Trailing, TTextAlign::Trailing},
      {1, 2, {0.0f, -12.0f, 24.0f, 0.0f}, TTextAlign::Leading, TTextAlign::Trailing},
      {9, -3, {-12.0f, -6.0f, 12.0f, 6.0f}, TTextAlign::Center, TTextAlign::Center},  // unknown codes centre
  };
  for (const Case& c : cases) {
    RecordingCanvas canvas;
    canvas.Font.Size = 10.0f;
    DrawRotatedText(canvas, {100.0f, 50.0f}, 0.0f, "abcd", c.Horizontal, c.Vertical);
    const auto texts = canvas.OpsOfKind(TCanvasOpKind::FillText);
    ASSERT_EQ(texts.size(), 1u);
    const TCanvasOp& op = texts[0];
    EXPECT_EQ(op.Rect, c.Box) << c.Horizontal << "/" << c.Vertical;
    EXPECT_EQ(op.HorizontalAlign, c.H);
    EXPECT_EQ(op.VerticalAlign, c.V);
    EXPECT_EQ(op.Text, "abcd");
    EXPECT_FALSE(op.WordWrap);
    EXPECT_EQ(op.Opacity, 1.0f);
    EXPECT_EQ(op.Matrix, TMatrix::CreateTranslation(100.0f, 50.0f));
  }
}

TEST(DrawRotatedText, CentredTextIsCentredOnTheAnchorAndMatrixRestored) {
  RecordingCanvas canvas;
  canvas.Font.Size = 16.0f;
  DrawRotatedText(canvas, {40.0f, 70.0f}, 0.0f, "Mar 2021", 0, 0);
  const TCanvasOp op = canvas.OpsOfKind(TCanvasOpKind::FillText).at(0);
  const TPointF centre{(op.Rect.Left + op.Rect.Right) / 2.0f, (op.Rect.Top + op.Rect.Bottom) / 2.0f};
  ExpectPointNear(op.Matrix.Map(centre), {40.0f, 70.0f});
  EXPECT_EQ(canvas.GetMatrix(), TMatrix::Identity());
}

TEST(DrawRotatedText, RotatesInTheCallersFrameAndRestoresIt) {
  RecordingCanvas canvas;
  canvas.Font.Size = 10.0f;
  const TMatrix callers = TMatrix::CreateTranslation(5.0f, 5.0f);
  canvas.SetMatrix(callers);
  const float angle = -std::numbers::pi_v<float> / 4.0f;
  DrawRotatedText(canvas, {100.0f, 50.0f}, angle, "abcd", 1, 1);

  const TCanvasOp op = canvas.OpsOfKind(TCanvasOpKind::FillText).at(0);
  // Text origin lands on the anchor moved by the caller's translation; the
  // text's x axis points up-right at -45 degrees.
  ExpectPointNear(op.Matrix.Map({0.0f, 0.0f}), {105.0f, 55.0f});
  const float c = std::cos(angle);
  ExpectPointNear(op.Matrix.Map({10.0f, 0.0f}), {105.0f + 10.0f * c, 55.0f - 10.0f * c});

  const auto sets = canvas.OpsOfKind(TCanvasOpKind::SetMatrix);
  ASSERT_EQ(sets.size(), 3u);  // the caller's, the rotation, the restore
  EXPECT_EQ(sets[2].Matrix, callers);
  EXPECT_EQ(canvas.GetMatrix(), callers);
}

TEST(DrawTextBox, FillsWithoutOutlineThenWritesInTheApplicationFont) {
  const ScreenRatioGuard ratio(1.0f);
  RecordingCanvas canvas;
  canvas.Stroke.Kind = platform::TBrushKind::Solid;
  canvas.Stroke.Dash = platform::TStrokeDash::Dash;
  canvas.Stroke.Thickness = 3.0f;
  const TRectF box{10.0f, 20.0f, 110.0f, 45.0f};
  DrawTextBox(canvas, box, 0xFF005890u, 0.25, 0xFFFFFFFFu, 1, platform::fsBold, "Europe (Euro)");

  ASSERT_EQ(canvas.Ops.size(), 2u);
  const TCanvasOp& fill = canvas.Ops[0];
  EXPECT_EQ(fill.Kind, TCanvasOpKind::FillRect);
  EXPECT_EQ(fill.Rect, box);
  EXPECT_EQ(fill.RadiusX, 0.0f);
  EXPECT_EQ(fill.RadiusY, 0.0f);
  EXPECT_EQ(fill.Opacity, 0.25f);
  EXPECT_EQ(fill.Fill.Kind, platform::TBrushKind::Solid);
  EXPECT_EQ(fill.Fill.Color, 0xFF005890u);
  EXPECT_EQ(fill.Stroke.Kind, platform::TBrushKind::None);
  EXPECT_EQ(fill.Stroke.Dash, platform::TStrokeDash::Solid);
  EXPECT_EQ(fill.Stroke.Thickness, 1.0f);

  const TCanvasOp& text = canvas.Ops[1];
  EXPECT_EQ(text.Kind, TCanvasOpKind::FillText);
  EXPECT_EQ(text.Rect, box);
  EXPECT_EQ(text.Text, "Europe (Euro)");
  EXPECT_EQ(text.Fill.Color, 0xFFFFFFFFu);
  EXPECT_EQ(text.Font.Family, "Yu Gothic UI");
  EXPECT_EQ(text.Font.Size, 16.0f);
  EXPECT_EQ(text.Font.Style, platform::fsBold);
  EXPECT_EQ(text.HorizontalAlign, TTextAlign::Leading);
  EXPECT_EQ(text.VerticalAlign, TTextAlign::Center);
  EXPECT_EQ(text.Opacity, 1.0f);
  EXPECT_FALSE(text.WordWrap);

  // The canvas keeps the state the helper set.
  EXPECT_EQ(canvas.Fill.Color, 0xFFFFFFFFu);
  EXPECT_EQ(canvas.Font.Size, 16.0f);
  EXPECT_EQ(canvas.Stroke.Kind, platform::TBrushKind::None);
}

TEST(DrawTextBox, FontSizeFollowsTheScreenWidthRatio) {
  struct Case {
    float Ratio;
    float Size;
  };
  for (const Case c : {Case{1.0f, 16.0f}, Case{0.999f, 15.0f}, Case{1.5f, 16.0f}, Case{0.5f, 15.0f}}) {
    const ScreenRatioGuard ratio(c.Ratio);
    RecordingCanvas canvas;
    DrawTextBox(canvas, {0.0f, 0.0f, 50.0f, 20.0f}, 0xFFFFFFFFu, 1.0, 0xFF4C4C4Eu, 2, 0, "x");
    EXPECT_EQ(canvas.OpsOfKind(TCanvasOpKind::FillText).at(0).Font.Size, c.Size) << c.Ratio;
    EXPECT_EQ(canvas.OpsOfKind(TCanvasOpKind::FillText).at(0).HorizontalAlign, TTextAlign::Trailing);
  }
}

TEST(DrawTextBox, ZeroOpacityStillWritesTheText) {
  const ScreenRatioGuard ratio(1.0f);
  RecordingCanvas canvas;
  DrawTextBox(canvas, {0.0f, 0.0f, 50.0f, 20.0f}, 0xFF123456u, 0.0, 0xFF4C4C4Eu, 0, 0, "12.50 %");
  ASSERT_EQ(canvas.Ops.size(), 2u);
  EXPECT_EQ(canvas.Ops[0].Opacity, 0.0f);
  EXPECT_EQ(canvas.Ops[1].Opacity, 1.0f);
  EXPECT_EQ(canvas.Ops[1].Text, "12.50 %");
}
