#pragma once
// Plain 2D geometry of the drawing layer: points, rectangles and affine
// matrices in canvas units (single precision, y pointing down).

#include <cmath>

namespace platform {

struct TPointF {
  float X = 0.0f;
  float Y = 0.0f;

  friend bool operator==(const TPointF&, const TPointF&) = default;
};

// Rectangle by its edges; Width = Right - Left, Height = Bottom - Top.
struct TRectF {
  float Left = 0.0f;
  float Top = 0.0f;
  float Right = 0.0f;
  float Bottom = 0.0f;

  float Width() const { return Right - Left; }
  float Height() const { return Bottom - Top; }
  // The same rectangle moved by (dx, dy).
  TRectF Offset(float dx, float dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
  // Edges belong to the rectangle.
  bool Contains(TPointF p) const { return Left <= p.X && p.X <= Right && Top <= p.Y && p.Y <= Bottom; }

  friend bool operator==(const TRectF&, const TRectF&) = default;
};

// Affine matrix for row vectors: [x y 1] * M, so
//   x' = M11 x + M21 y + M31,  y' = M12 x + M22 y + M32.
// A * B applies A first, then B.
struct TMatrix {
  float M11 = 1.0f, M12 = 0.0f;
  float M21 = 0.0f, M22 = 1.0f;
  float M31 = 0.0f, M32 = 0.0f;

  static TMatrix Identity() { return {}; }
  static TMatrix CreateTranslation(float dx, float dy) { return {1.0f, 0.0f, 0.0f, 1.0f, dx, dy}; }
  // Rotation by angle radians; positive turns clockwise on a y-down canvas.
  static TMatrix CreateRotation(float angle) {
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    return {c, s, -s, c, 0.0f, 0.0f};
  }

  TPointF Map(TPointF p) const { return {M11 * p.X + M21 * p.Y + M31, M12 * p.X + M22 * p.Y + M32}; }

  friend TMatrix operator*(const TMatrix& a, const TMatrix& b) {
    return {a.M11 * b.M11 + a.M12 * b.M21,         a.M11 * b.M12 + a.M12 * b.M22,
            a.M21 * b.M11 + a.M22 * b.M21,         a.M21 * b.M12 + a.M22 * b.M22,
            a.M31 * b.M11 + a.M32 * b.M21 + b.M31, a.M31 * b.M12 + a.M32 * b.M22 + b.M32};
  }
  friend bool operator==(const TMatrix&, const TMatrix&) = default;
};

}  // namespace platform
