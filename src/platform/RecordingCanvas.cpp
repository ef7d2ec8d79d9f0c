#include "platform/RecordingCanvas.h"

namespace platform {

std::size_t Utf8Length(const std::string& text) {
  std::size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0u) != 0x80u) {
      ++count;
    }
  }
  return count;
}

std::vector<TCanvasOp> RecordingCanvas::OpsOfKind(TCanvasOpKind kind) const {
  std::vector<TCanvasOp> result;
  for (const TCanvasOp& op : Ops) {
    if (op.Kind == kind) {
      result.push_back(op);
    }
  }
  return result;
}

TCanvasOp& RecordingCanvas::Record(TCanvasOpKind kind, float opacity) {
  TCanvasOp op;
  op.Kind = kind;
  op.Opacity = opacity;
  op.Font = Font;
  op.Fill = Fill;
  op.Stroke = Stroke;
  op.Matrix = GetMatrix();
  Ops.push_back(std::move(op));
  return Ops.back();
}

bool RecordingCanvas::BeginScene() {
  ++SceneDepth_;
  Record(TCanvasOpKind::BeginScene, 1.0f);
  return true;
}

void RecordingCanvas::EndScene() {
  if (SceneDepth_ > 0) {
    --SceneDepth_;
  }
  Record(TCanvasOpKind::EndScene, 1.0f);
}

float RecordingCanvas::TextWidth(const std::string& text) {
  return kCharWidthFactor * Font.Size * static_cast<float>(Utf8Length(text));
}

float RecordingCanvas::TextHeight(const std::string&) { return kLineHeightFactor * Font.Size; }

void RecordingCanvas::FillText(const TRectF& rect, const std::string& text, bool wordWrap, float opacity,
                               TTextAlign horizontalAlign, TTextAlign verticalAlign) {
  TCanvasOp& op = Record(TCanvasOpKind::FillText, opacity);
  op.Rect = rect;
  op.Text = text;
  op.WordWrap = wordWrap;
  op.HorizontalAlign = horizontalAlign;
  op.VerticalAlign = verticalAlign;
}

void RecordingCanvas::FillRect(const TRectF& rect, float radiusX, float radiusY, float opacity) {
  TCanvasOp& op = Record(TCanvasOpKind::FillRect, opacity);
  op.Rect = rect;
  op.RadiusX = radiusX;
  op.RadiusY = radiusY;
}

void RecordingCanvas::DrawRect(const TRectF& rect, float radiusX, float radiusY, float opacity) {
  TCanvasOp& op = Record(TCanvasOpKind::DrawRect, opacity);
  op.Rect = rect;
  op.RadiusX = radiusX;
  op.RadiusY = radiusY;
}

void RecordingCanvas::DrawLine(TPointF p1, TPointF p2, float opacity) {
  Record(TCanvasOpKind::DrawLine, opacity).Points = {p1, p2};
}

void RecordingCanvas::FillEllipse(const TRectF& rect, float opacity) {
  Record(TCanvasOpKind::FillEllipse, opacity).Rect = rect;
}

void RecordingCanvas::DrawEllipse(const TRectF& rect, float opacity) {
  Record(TCanvasOpKind::DrawEllipse, opacity).Rect = rect;
}

void RecordingCanvas::FillPolygon(const std::vector<TPointF>& points, float opacity) {
  Record(TCanvasOpKind::FillPolygon, opacity).Points = points;
}

void RecordingCanvas::DrawPolygon(const std::vector<TPointF>& points, float opacity) {
  Record(TCanvasOpKind::DrawPolygon, opacity).Points = points;
}

void RecordingCanvas::SetMatrix(const TMatrix& matrix) {
  Canvas::SetMatrix(matrix);
  Record(TCanvasOpKind::SetMatrix, 1.0f);
}

}  // namespace platform
