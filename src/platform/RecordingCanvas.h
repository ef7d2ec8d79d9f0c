#pragma once
// A canvas that draws nothing and records every call, for tests. Its text
// metrics are fixed so that layouts can be checked by hand:
//   TextWidth(text)  = 0.6 x font size x number of characters (code points)
//   TextHeight(text) = 1.2 x font size (any text, also the empty one)

#include <cstddef>
#include <string>
#include <vector>

#include "platform/Canvas.h"

namespace platform {

enum class TCanvasOpKind {
  BeginScene,
  EndScene,
  SetMatrix,
  FillText,
  FillRect,
  DrawRect,
  DrawLine,
  FillEllipse,
  DrawEllipse,
  FillPolygon,
  DrawPolygon
};

// One recorded call with the canvas state at the time of the call.
struct TCanvasOp {
  TCanvasOpKind Kind = TCanvasOpKind::BeginScene;
  TRectF Rect;                  // text, rectangle and ellipse calls
  std::vector<TPointF> Points;  // line (two points) and polygon calls
  std::string Text;
  bool WordWrap = false;
  float Opacity = 1.0f;
  float RadiusX = 0.0f;
  float RadiusY = 0.0f;
  TTextAlign HorizontalAlign = TTextAlign::Center;
  TTextAlign VerticalAlign = TTextAlign::Center;
  TCanvasFont Font;
  TBrush Fill;
  TStrokeBrush Stroke;
  TMatrix Matrix;  // after the call for SetMatrix
};

class RecordingCanvas : public Canvas {
 public:
  static constexpr float kCharWidthFactor = 0.6f;
  static constexpr float kLineHeightFactor = 1.2f;

  std::vector<TCanvasOp> Ops;

  // Recorded calls of one kind, in order.
  std::vector<TCanvasOp> OpsOfKind(TCanvasOpKind kind) const;
  int SceneDepth() const { return SceneDepth_; }

  bool BeginScene() override;
  void EndScene() override;
  float TextWidth(const std::string& text) override;
  float TextHeight(const std::string& text) override;
  void FillText(const TRectF& rect, const std::string& text, bool wordWrap, float opacity, TTextAlign horizontalAlign,
                TTextAlign verticalAlign = TTextAlign::Center) override;
  void FillRect(const TRectF& rect, float radiusX, float radiusY, float opacity) override;
  void DrawRect(const TRectF& rect, float radiusX, float radiusY, float opacity) override;
  void DrawLine(TPointF p1, TPointF p2, float opacity) override;
  void FillEllipse(const TRectF& rect, float opacity) override;
  void DrawEllipse(const TRectF& rect, float opacity) override;
  void FillPolygon(const std::vector<TPointF>& points, float opacity) override;
  void DrawPolygon(const std::vector<TPointF>& points, float opacity) override;
  void SetMatrix(const TMatrix& matrix) override;

 private:
  TCanvasOp& Record(TCanvasOpKind kind, float opacity);
  int SceneDepth_ = 0;
};

// Number of Unicode code points of UTF-8 text (continuation bytes skipped).
std::size_t Utf8Length(const std::string& text);

}  // namespace platform
