#include "app/Glyphs.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace app {

namespace {

using platform::TPointF;
using platform::TRectF;

struct TPen {
  platform::Canvas& Canvas;
  float X0, Y0, S;  // origin and scale of a 100 x 100 design box

  TPointF P(float x, float y) const { return {X0 + x * S, Y0 + y * S}; }
  TRectF R(float l, float t, float r, float b) const { return {X0 + l * S, Y0 + t * S, X0 + r * S, Y0 + b * S}; }
  void Line(float x1, float y1, float x2, float y2) const { Canvas.DrawLine(P(x1, y1), P(x2, y2), 1.0f); }
  void Box(float l, float t, float r, float b, float radius = 0.0f) const {
    Canvas.DrawRect(R(l, t, r, b), radius * S, radius * S, 1.0f);
  }
  void Ring(float l, float t, float r, float b) const { Canvas.DrawEllipse(R(l, t, r, b), 1.0f); }
  void Disc(float l, float t, float r, float b) const { Canvas.FillEllipse(R(l, t, r, b), 1.0f); }
  void Path(std::initializer_list<TPointF> design, bool closed) const {
    std::vector<TPointF> points;
    for (const TPointF& p : design) points.push_back(P(p.X, p.Y));
    if (closed) {
      Canvas.DrawPolygon(points, 1.0f);
    } else {
      for (std::size_t i = 1; i < points.size(); ++i) Canvas.DrawLine(points[i - 1], points[i], 1.0f);
    }
  }
  // An arc of the ellipse with radii rx, ry (ry < 0: a circle of radius rx).
  void Arc(float cx, float cy, float rx, float from, float to, float ry = -1.0f) const {
    constexpr int kSegments = 24;
    if (ry < 0.0f) ry = rx;
    TPointF last = P(cx + rx * std::cos(from), cy + ry * std::sin(from));
    for (int i = 1; i <= kSegments; ++i) {
      const float a = from + (to - from) * static_cast<float>(i) / kSegments;
      const TPointF next = P(cx + rx * std::cos(a), cy + ry * std::sin(a));
      Canvas.DrawLine(last, next, 1.0f);
      last = next;
    }
  }
};

void Server(const TPen& pen) {
  pen.Box(22, 18, 78, 44, 4);
  pen.Box(22, 50, 78, 76, 4);
  pen.Line(30, 31, 44, 31);
  pen.Line(30, 63, 44, 63);
}

}  // namespace

void PaintGlyph(TGlyph glyph, platform::Canvas& canvas, float width, float height, platform::TAlphaColor colour) {
  const float side = std::min(width, height);
  const TPen pen{canvas, (width - side) / 2.0f, (height - side) / 2.0f, side / 100.0f};
  canvas.Stroke = {platform::TBrushKind::Solid, colour, std::max(1.5f, side / 22.0f)};
  canvas.Fill = {platform::TBrushKind::Solid, colour};
  constexpr float kPi = std::numbers::pi_v<float>;
  switch (glyph) {
    case TGlyph::LocalStorage:
      pen.Ring(24, 14, 76, 32);
      pen.Line(24, 23, 24, 77);
      pen.Line(76, 23, 76, 77);
      pen.Arc(50, 50, 26, 0.0f, kPi, 9);  // middle band
      pen.Arc(50, 77, 26, 0.0f, kPi, 9);  // bottom rim
      break;
    case TGlyph::ServerStorage:
      Server(pen);
      pen.Path({{62, 82}, {62, 96}}, false);
      pen.Path({{55, 89}, {62, 96}, {69, 89}}, false);
      break;
    case TGlyph::DisabledServer:
      Server(pen);
      pen.Line(14, 10, 86, 86);
      break;
    case TGlyph::ServerState:
      Server(pen);
      pen.Arc(84, 16, 10, kPi * 0.5f, kPi);
      pen.Arc(84, 16, 18, kPi * 0.5f, kPi);
      break;
    case TGlyph::Success:
      pen.Ring(10, 10, 90, 90);
      pen.Path({{30, 52}, {44, 66}, {72, 36}}, false);
      break;
    case TGlyph::Failure:
      pen.Ring(10, 10, 90, 90);
      pen.Line(50, 26, 50, 58);
      pen.Disc(45, 66, 55, 76);
      break;
    case TGlyph::FailureConnection:
      pen.Box(10, 40, 42, 60, 10);
      pen.Box(58, 40, 90, 60, 10);
      pen.Line(44, 30, 56, 70);
      break;
    case TGlyph::MailSent:
      pen.Box(14, 26, 86, 74, 3);
      pen.Path({{14, 26}, {50, 54}, {86, 26}}, false);
      break;
    case TGlyph::ServerMessage:
      pen.Path({{14, 20}, {86, 20}, {86, 66}, {44, 66}, {28, 82}, {30, 66}, {14, 66}}, true);
      pen.Line(28, 36, 72, 36);
      pen.Line(28, 50, 60, 50);
      break;
    case TGlyph::Connect:
      pen.Ring(36, 14, 64, 42);
      pen.Arc(50, 84, 28, kPi, 2.0f * kPi);
      pen.Line(22, 84, 78, 84);
      break;
    case TGlyph::Parameters:
      for (int i = 0; i < 3; ++i) {
        const float y = 26.0f + 24.0f * static_cast<float>(i);
        const float knob = 34.0f + 16.0f * static_cast<float>((i * 2) % 3);
        pen.Line(16, y, 84, y);
        pen.Disc(knob - 7, y - 7, knob + 7, y + 7);
      }
      break;
    case TGlyph::Minimize:
      pen.Line(28, 64, 72, 64);
      break;
    case TGlyph::Maximize:
      pen.Box(28, 28, 72, 72);
      break;
    case TGlyph::Restore:
      pen.Box(26, 38, 62, 74);
      pen.Path({{38, 38}, {38, 26}, {74, 26}, {74, 62}, {62, 62}}, false);
      break;
    case TGlyph::Close:
      pen.Line(30, 30, 70, 70);
      pen.Line(70, 30, 30, 70);
      break;
  }
}

void PaintSpinner(platform::Canvas& canvas, float width, float height, float angle, platform::TAlphaColor colour) {
  const float side = std::min(width, height);
  const TPen pen{canvas, (width - side) / 2.0f, (height - side) / 2.0f, side / 100.0f};
  canvas.Stroke = {platform::TBrushKind::Solid, colour, side / 10.0f};
  const float start = angle * std::numbers::pi_v<float> / 180.0f;
  pen.Arc(50, 50, 44, start, start + 1.5f * std::numbers::pi_v<float>);
}

}  // namespace app
