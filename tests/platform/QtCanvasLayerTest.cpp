// Large translucent polygons take a faster path in the Qt canvas (a scratch
// layer laid over the image); the pixels must be exactly those of the
// painter's own translucent fill, whatever the opacity, matrix, format and
// overlap.
#include <gtest/gtest.h>

#if __has_include(<QGuiApplication>)

#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <cmath>
#include <vector>

#include "platform/Canvas.h"
#include "platform/qt/QtCanvas.h"

using namespace platform;

namespace {

// A wavy area of 200 points over most of a 640 x 400 picture, shifted by dx.
std::vector<TPointF> Area(float dx, float depth) {
  std::vector<TPointF> points{{20.0f + dx, 30.0f}};
  for (int i = 0; i < 200; ++i)
    points.push_back({20.0f + dx + 2.9f * static_cast<float>(i),
                      30.0f + depth * std::fabs(std::sin(static_cast<float>(i) / 17.0f))});
  points.push_back({20.0f + dx + 2.9f * 199.0f, 30.0f});
  return points;
}

struct TShape {
  std::vector<TPointF> Points;
  TAlphaColor Colour;
  float Opacity;
};

// The polygons as the canvas drew them before the layer: painter opacity, no pen, the brush.
QImage PainterReference(QImage::Format format, const TMatrix& m, const std::vector<TShape>& shapes) {
  QImage image(640, 400, format);
  image.fill(QColor::fromRgba(0xFFFDFDFD));
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setWorldTransform(QTransform(m.M11, m.M12, m.M21, m.M22, m.M31, m.M32));
  for (const TShape& shape : shapes) {
    QPolygonF polygon;
    for (const TPointF& p : shape.Points) polygon << QPointF(p.X, p.Y);
    painter.setOpacity(static_cast<double>(shape.Opacity));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgba(shape.Colour));
    painter.drawPolygon(polygon);
  }
  return image;
}

QImage CanvasPicture(QImage::Format format, const TMatrix& m, const std::vector<TShape>& shapes) {
  QImage image(640, 400, format);
  image.fill(QColor::fromRgba(0xFFFDFDFD));
  QtCanvas canvas(&image);
  EXPECT_TRUE(canvas.BeginScene());
  canvas.SetMatrix(m);
  for (const TShape& shape : shapes) {
    canvas.Fill.Color = shape.Colour;
    canvas.FillPolygon(shape.Points, shape.Opacity);
  }
  canvas.EndScene();
  return image;
}

TEST(QtCanvasLayer, TranslucentPolygonsMatchThePainterPixelForPixel) {
  struct Case {
    const char* Name;
    QImage::Format Format;
    TMatrix Matrix;
    std::vector<TShape> Shapes;
  };
  const std::vector<Case> cases{
      {"three overlapping areas",
       QImage::Format_ARGB32_Premultiplied,
       TMatrix::Identity(),
       {{Area(0, 300), 0xFFE4E4E4u, 0.85f}, {Area(7, 340), 0xFF4A8DB7u, 0.85f}, {Area(3, 250), 0xFF293556u, 0.85f}}},
      {"low opacity, colour alpha, RGB32",
       QImage::Format_RGB32,
       TMatrix::Identity(),
       {{Area(0, 300), 0x80F17A7Eu, 0.2f}, {Area(11, 200), 0xFF355C7Du, 0.5f}}},
      {"rotated and moved, partly outside",
       QImage::Format_ARGB32_Premultiplied,
       TMatrix::CreateRotation(0.3f) * TMatrix::CreateTranslation(120.0f, -40.0f),
       {{Area(0, 300), 0xFF293556u, 0.6f}, {Area(5, 280), 0xFF4A8DB7u, 0.35f}}},
      {"non-premultiplied image (painter path)",
       QImage::Format_ARGB32,
       TMatrix::Identity(),
       {{Area(0, 300), 0xFF293556u, 0.85f}}},
      {"small polygon (painter path)",
       QImage::Format_ARGB32_Premultiplied,
       TMatrix::Identity(),
       {{{{10.0f, 10.0f}, {50.0f, 12.5f}, {30.0f, 40.0f}}, 0xFF293556u, 0.85f}}},
  };
  for (const Case& c : cases) {
    const QImage expected = PainterReference(c.Format, c.Matrix, c.Shapes);
    const QImage actual = CanvasPicture(c.Format, c.Matrix, c.Shapes);
    const QRgb background = QColor::fromRgba(0xFFFDFDFD).rgba();
    int differing = 0;
    int inked = 0;
    for (int y = 0; y < expected.height(); ++y)
      for (int x = 0; x < expected.width(); ++x) {
        if (expected.pixel(x, y) != actual.pixel(x, y)) ++differing;
        if (actual.pixel(x, y) != background) ++inked;
      }
    EXPECT_EQ(differing, 0) << c.Name;
    EXPECT_GT(inked, 100) << c.Name << ": nothing drawn";
  }
}

}  // namespace

#endif
