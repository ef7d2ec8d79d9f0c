#pragma once
// The drawing surface of charts and tables. The caller sets the font, fill
// and stroke state, then draws; every drawing call reads the state current
// at the call and is transformed by the canvas matrix. Colours are 32-bit
// ARGB (0xAARRGGBB); opacity 0..1 multiplies the colour's own alpha.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Geometry.h"

namespace platform {

using TAlphaColor = std::uint32_t;

// Text alignment codes: 0 centre, 1 leading (left/top), 2 trailing (right/bottom).
enum class TTextAlign { Center = 0, Leading = 1, Trailing = 2 };
// Any code other than 1 and 2 centres.
inline TTextAlign TextAlignFromCode(int code) {
  return code == 1 ? TTextAlign::Leading : code == 2 ? TTextAlign::Trailing : TTextAlign::Center;
}

// Font style flags, combined with |.
enum TFontStyle : unsigned { fsBold = 1u, fsItalic = 2u, fsUnderline = 4u, fsStrikeOut = 8u };
using TFontStyles = unsigned;

enum class TBrushKind { None, Solid };
enum class TStrokeDash { Solid, Dash, Dot, DashDot, DashDotDot };

struct TCanvasFont {
  std::string Family = "Yu Gothic UI";
  float Size = 12.0f;  // canvas units (pixels), not points
  TFontStyles Style = 0;

  friend bool operator==(const TCanvasFont&, const TCanvasFont&) = default;
};

// Fill of shapes and colour of text.
struct TBrush {
  TBrushKind Kind = TBrushKind::Solid;
  TAlphaColor Color = 0xFF000000u;

  friend bool operator==(const TBrush&, const TBrush&) = default;
};

// Outline of shapes and lines.
struct TStrokeBrush {
  TBrushKind Kind = TBrushKind::Solid;
  TAlphaColor Color = 0xFF000000u;
  float Thickness = 1.0f;
  TStrokeDash Dash = TStrokeDash::Solid;

  friend bool operator==(const TStrokeBrush&, const TStrokeBrush&) = default;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  TCanvasFont Font;
  TBrush Fill;
  TStrokeBrush Stroke;

  // Drawing happens between BeginScene and EndScene (scenes may nest);
  // BeginScene returns false when the surface cannot be drawn on.
  virtual bool BeginScene() = 0;
  virtual void EndScene() = 0;

  // Advance width and line height of text in the current font.
  virtual float TextWidth(const std::string& text) = 0;
  virtual float TextHeight(const std::string& text) = 0;

  // Writes text in the fill colour inside rect, aligned both ways; text that
  // does not fit overflows (no clipping).
  virtual void FillText(const TRectF& rect, const std::string& text, bool wordWrap, float opacity,
                        TTextAlign horizontalAlign, TTextAlign verticalAlign = TTextAlign::Center) = 0;
  // Rectangles with corner radii (0 for square corners).
  virtual void FillRect(const TRectF& rect, float radiusX, float radiusY, float opacity) = 0;
  virtual void DrawRect(const TRectF& rect, float radiusX, float radiusY, float opacity) = 0;
  virtual void DrawLine(TPointF p1, TPointF p2, float opacity) = 0;
  // Ellipses inscribed in rect.
  virtual void FillEllipse(const TRectF& rect, float opacity) = 0;
  virtual void DrawEllipse(const TRectF& rect, float opacity) = 0;
  // Closed polygons; filling needs three points, outlining two.
  virtual void FillPolygon(const std::vector<TPointF>& points, float opacity) = 0;
  virtual void DrawPolygon(const std::vector<TPointF>& points, float opacity) = 0;

  // Transformation from drawing coordinates to the surface.
  TMatrix GetMatrix() const { return Matrix_; }
  virtual void SetMatrix(const TMatrix& matrix) { Matrix_ = matrix; }

 protected:
  Canvas() = default;
  Canvas(const Canvas&) = default;
  Canvas& operator=(const Canvas&) = default;

 private:
  TMatrix Matrix_;
};

}  // namespace platform
