#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "platform/Canvas.h"
#include "platform/RecordingCanvas.h"

using namespace platform;

namespace {

constexpr TAlphaColor kRed = 0xFFFF0000u;
constexpr TAlphaColor kBlack = 0xFF000000u;

void ExpectPointNear(TPointF actual, TPointF expected) {
  EXPECT_NEAR(actual.X, expected.X, 1e-4f);
  EXPECT_NEAR(actual.Y, expected.Y, 1e-4f);
}

}  // namespace

TEST(Geometry, RectangleMeasuresAndInclusiveEdges) {
  const TRectF r{10.0f, 20.0f, 40.0f, 60.0f};
  EXPECT_EQ(r.Width(), 30.0f);
  EXPECT_EQ(r.Height(), 40.0f);
  EXPECT_TRUE(r.Contains({40.0f, 60.0f}));
  EXPECT_TRUE(r.Contains({10.0f, 20.0f}));
  EXPECT_FALSE(r.Contains({40.5f, 30.0f}));
  EXPECT_EQ(r.Offset(5.0f, -5.0f), (TRectF{15.0f, 15.0f, 45.0f, 55.0f}));
}

TEST(Geometry, MatrixProductAppliesLeftOperandFirst) {
  const float quarter = std::numbers::pi_v<float> / 2.0f;
  // Positive angles turn clockwise on a y-down canvas: +x goes to +y.
  ExpectPointNear(TMatrix::CreateRotation(quarter).Map({1.0f, 0.0f}), {0.0f, 1.0f});
  const TMatrix moveThenTurn = TMatrix::CreateTranslation(10.0f, 0.0f) * TMatrix::CreateRotation(quarter);
  ExpectPointNear(moveThenTurn.Map({0.0f, 0.0f}), {0.0f, 10.0f});
  const TMatrix turnThenMove = TMatrix::CreateRotation(quarter) * TMatrix::CreateTranslation(10.0f, 0.0f);
  ExpectPointNear(turnThenMove.Map({1.0f, 0.0f}), {10.0f, 1.0f});
  EXPECT_EQ(TMatrix::Identity() * moveThenTurn, moveThenTurn);
}

TEST(RecordingCanvas, FixedMetrics) {
  RecordingCanvas canvas;
  canvas.Font.Size = 10.0f;
  EXPECT_FLOAT_EQ(canvas.TextWidth("abc"), 18.0f);  // 3 x 0.6 x 10
  EXPECT_FLOAT_EQ(canvas.TextWidth(""), 0.0f);
  EXPECT_FLOAT_EQ(canvas.TextWidth("\xC3\xA9\xE2\x82\xAC"), 12.0f);  // two code points: é €
  EXPECT_FLOAT_EQ(canvas.TextHeight("abc"), 12.0f);                  // 1.2 x 10
  canvas.Font.Size = 16.0f;
  EXPECT_FLOAT_EQ(canvas.TextWidth("mmm yyyy"), 76.8f);
  EXPECT_FLOAT_EQ(canvas.TextHeight("X"), 19.2f);
}

TEST(RecordingCanvas, RecordsCallsWithTheStateOfTheirTime) {
  RecordingCanvas canvas;
  EXPECT_TRUE(canvas.BeginScene());
  EXPECT_EQ(canvas.SceneDepth(), 1);
  canvas.Fill.Color = kRed;
  canvas.FillRect({1.0f, 2.0f, 3.0f, 4.0f}, 2.0f, 2.5f, 0.5f);
  canvas.Fill.Color = kBlack;
  canvas.Font = {"DejaVu Sans", 14.0f, fsBold | fsItalic};
  canvas.FillText({0.0f, 0.0f, 50.0f, 20.0f}, "Total", true, 0.75f, TTextAlign::Trailing, TTextAlign::Leading);
  canvas.Stroke = {TBrushKind::Solid, 0xFF00FF00u, 3.0f, TStrokeDash::Dot};
  canvas.DrawLine({0.0f, 0.0f}, {5.0f, 5.0f}, 1.0f);
  canvas.SetMatrix(TMatrix::CreateTranslation(7.0f, 8.0f));
  canvas.FillPolygon({{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}}, 0.85f);
  canvas.EndScene();
  EXPECT_EQ(canvas.SceneDepth(), 0);

  ASSERT_EQ(canvas.Ops.size(), 7u);
  const TCanvasOp& rect = canvas.Ops[1];
  EXPECT_EQ(rect.Kind, TCanvasOpKind::FillRect);
  EXPECT_EQ(rect.Rect, (TRectF{1.0f, 2.0f, 3.0f, 4.0f}));
  EXPECT_EQ(rect.RadiusX, 2.0f);
  EXPECT_EQ(rect.RadiusY, 2.5f);
  EXPECT_EQ(rect.Opacity, 0.5f);
  EXPECT_EQ(rect.Fill.Color, kRed);  // not the later black

  const TCanvasOp& text = canvas.Ops[2];
  EXPECT_EQ(text.Kind, TCanvasOpKind::FillText);
  EXPECT_EQ(text.Text, "Total");
  EXPECT_TRUE(text.WordWrap);
  EXPECT_EQ(text.HorizontalAlign, TTextAlign::Trailing);
  EXPECT_EQ(text.VerticalAlign, TTextAlign::Leading);
  EXPECT_EQ(text.Fill.Color, kBlack);
  EXPECT_EQ(text.Font.Style, fsBold | fsItalic);

  const TCanvasOp& line = canvas.Ops[3];
  ASSERT_EQ(line.Points.size(), 2u);
  EXPECT_EQ(line.Points[1], (TPointF{5.0f, 5.0f}));
  EXPECT_EQ(line.Stroke.Dash, TStrokeDash::Dot);
  EXPECT_EQ(line.Matrix, TMatrix::Identity());

  EXPECT_EQ(canvas.Ops[4].Kind, TCanvasOpKind::SetMatrix);
  EXPECT_EQ(canvas.Ops[5].Matrix, TMatrix::CreateTranslation(7.0f, 8.0f));
  EXPECT_EQ(canvas.Ops[5].Points.size(), 3u);
  EXPECT_EQ(canvas.GetMatrix(), TMatrix::CreateTranslation(7.0f, 8.0f));
  EXPECT_EQ(canvas.OpsOfKind(TCanvasOpKind::FillText).size(), 1u);
  EXPECT_EQ(canvas.OpsOfKind(TCanvasOpKind::DrawEllipse).size(), 0u);
}

TEST(TextAlign, CodesMapToAlignments) {
  EXPECT_EQ(TextAlignFromCode(0), TTextAlign::Center);
  EXPECT_EQ(TextAlignFromCode(1), TTextAlign::Leading);
  EXPECT_EQ(TextAlignFromCode(2), TTextAlign::Trailing);
  EXPECT_EQ(TextAlignFromCode(-1), TTextAlign::Center);
  EXPECT_EQ(TextAlignFromCode(7), TTextAlign::Center);
}
