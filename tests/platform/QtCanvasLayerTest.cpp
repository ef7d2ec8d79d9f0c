// The Qt canvas takes faster routes on raster images (a clip of the whole
// device for thin lines, translucent fills through a scratch layer, large
// polygons rasterised in bands on worker threads); the pixels must be
// exactly those of the painter's own drawing, whatever the opacity, matrix,
// format, size and overlap.
#include <gtest/gtest.h>

#if __has_include(<QGuiApplication>)

#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "platform/qt/QtCanvas.h"

using namespace platform;

namespace {

constexpr TAlphaColor kBackground = 0xFFFDFDFDu;

// A wavy area of 200 points over most of a 640 x 400 picture, shifted by dx.
std::vector<TPointF> Area(float dx, float depth) {
  std::vector<TPointF> points{{20.0f + dx, 30.0f}};
  for (int i = 0; i < 200; ++i)
    points.push_back({20.0f + dx + 2.9f * static_cast<float>(i),
                      30.0f + depth * std::fabs(std::sin(static_cast<float>(i) / 17.0f))});
  points.push_back({20.0f + dx + 2.9f * 199.0f, 30.0f});
  return points;
}

// Parabolic dips hanging from a baseline at y = top, as a drawdown area:
// `count` dips of `depth` pixels over 600 pixels, 300 points.
std::vector<TPointF> Dips(float top, float depth, int count) {
  std::vector<TPointF> points{{10.0f, top}};
  for (int i = 0; i < 300; ++i) {
    const float phase = std::fmod(static_cast<float>(i * count) / 300.0f, 1.0f);
    points.push_back({10.0f + 2.0f * static_cast<float>(i), top + depth * 4.0f * phase * (1.0f - phase)});
  }
  points.push_back({608.0f, top});
  return points;
}

// `count` random points in [-20, 660) x [-20, 420); with step > 0 every y
// from `stepFrom` down a multiple of step (1/128: half of them half-way
// between two of the raster engine's sixty-fourths of a pixel).
std::vector<TPointF> RandomPoints(unsigned seed, int count, float step = 0.0f, float stepFrom = -20.0f) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> x(-20.0f, 660.0f);
  std::uniform_real_distribution<float> y(-20.0f, 420.0f);
  std::vector<TPointF> points;
  for (int i = 0; i < count; ++i) {
    const float py = y(rng);
    points.push_back({x(rng), step > 0.0f && py >= stepFrom ? std::round(py / step) * step : py});
  }
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
  image.fill(QColor::fromRgba(kBackground));
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

QImage CanvasPicture(QImage::Format format, const std::function<void(Canvas&)>& draw,
                     QtCanvas::TPaintPath path = QtCanvas::TPaintPath::Fast) {
  QImage image(640, 400, format);
  image.fill(QColor::fromRgba(kBackground));
  QtCanvas canvas(&image, path);
  EXPECT_TRUE(canvas.BeginScene());
  draw(canvas);
  canvas.EndScene();
  return image;
}

// Pixels that differ between the pictures, and pixels off the background.
struct TComparison {
  int Differing = 0;
  int Inked = 0;
};
TComparison Compare(const QImage& expected, const QImage& actual) {
  TComparison result;
  const QRgb background = QColor::fromRgba(kBackground).rgba();
  for (int y = 0; y < expected.height(); ++y)
    for (int x = 0; x < expected.width(); ++x) {
      if (expected.pixel(x, y) != actual.pixel(x, y)) ++result.Differing;
      if (actual.pixel(x, y) != background) ++result.Inked;
    }
  return result;
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
      {"small polygon",
       QImage::Format_ARGB32_Premultiplied,
       TMatrix::Identity(),
       {{{{10.0f, 10.0f}, {50.0f, 12.5f}, {30.0f, 40.0f}}, 0xFF293556u, 0.85f}}},
      // Large polygons of many points are rasterised in bands on worker threads.
      {"drawdown dips in bands",
       QImage::Format_ARGB32_Premultiplied,
       TMatrix::Identity(),
       {{Dips(20.0f, 360.0f, 7), 0xFF4A8DB7u, 0.85f}, {Dips(20.0f, 250.0f, 11), 0xFF293556u, 0.85f}}},
      {"thin wide wave in bands",
       QImage::Format_ARGB32_Premultiplied,
       TMatrix::Identity(),
       {{Dips(181.0f, 41.0f, 12), 0xFFE4E4E4u, 0.85f}}},
      {"bands moved by whole pixels, RGB32",
       QImage::Format_RGB32,
       TMatrix::CreateTranslation(-3.0f, 17.0f),
       {{Dips(5.0f, 330.0f, 5), 0xFF293556u, 0.5f}}},
      {"bands not taken under a move by a fraction",
       QImage::Format_ARGB32_Premultiplied,
       TMatrix::CreateTranslation(0.3f, 0.6f),
       {{Dips(5.0f, 330.0f, 5), 0xFF293556u, 0.5f}}},
      // Points half-way between two sixty-fourths of a pixel round away from
      // zero: no band may start below one (it would move by 1/64 pixel).
      {"random polygons with half-way points",
       QImage::Format_ARGB32_Premultiplied,
       TMatrix::Identity(),
       {{RandomPoints(1, 150, 1.0f / 128.0f), 0xFF293556u, 0.85f},
        {RandomPoints(2, 90, 1.0f / 128.0f, 150.0f), 0xFF4A8DB7u, 0.6f},
        {RandomPoints(3, 200, 1.0f / 128.0f, 250.0f), 0xFFE4E4E4u, 0.85f}}},
      {"random polygons with half-way points, moved by whole pixels",
       QImage::Format_ARGB32_Premultiplied,
       TMatrix::CreateTranslation(0.0f, 9.0f),
       {{RandomPoints(4, 120, 1.0f / 128.0f, 100.0f), 0xFF293556u, 0.85f},
        {RandomPoints(5, 160, 1.0f / 128.0f, 300.0f), 0xFF4A8DB7u, 0.6f}}},
      {"random polygons of float points",
       QImage::Format_ARGB32_Premultiplied,
       TMatrix::Identity(),
       {{RandomPoints(6, 180), 0xFF293556u, 0.85f}, {RandomPoints(7, 70), 0xFF4A8DB7u, 0.3f}}},
  };
  for (const Case& c : cases) {
    const QImage expected = PainterReference(c.Format, c.Matrix, c.Shapes);
    const QImage actual = CanvasPicture(c.Format, [&](Canvas& canvas) {
      canvas.SetMatrix(c.Matrix);
      for (const TShape& shape : c.Shapes) {
        canvas.Fill.Color = shape.Colour;
        canvas.FillPolygon(shape.Points, shape.Opacity);
      }
    });
    const TComparison comparison = Compare(expected, actual);
    EXPECT_EQ(comparison.Differing, 0) << c.Name;
    EXPECT_GT(comparison.Inked, 100) << c.Name << ": nothing drawn";
  }
}

// Every other drawing call, fast path against the painter path.
TEST(QtCanvasLayer, FastPathDrawsThePainterPathsPixels) {
  const auto dots = [](float size, float opacity) {
    return [=](Canvas& canvas) {
      for (int i = 0; i < 60; ++i) {
        const float x = 5.3f + static_cast<float>(i % 12) * (size + 7.7f);
        const float y = 4.1f + static_cast<float>(i / 12) * (size + 5.9f);
        canvas.Fill.Color = i % 3 == 0 ? 0xFFEEF0F4u : i % 3 == 1 ? 0xFFF07C80u : 0x80355C7Du;
        canvas.FillEllipse({x, y, x + size, y + size}, i % 2 == 0 ? opacity : 1.0f);
      }
    };
  };
  const auto outlines = [](float opacity, float thickness, TStrokeDash dash) {
    return [=](Canvas& canvas) {
      canvas.Stroke = {TBrushKind::Solid, 0xFF293556u, thickness, dash};
      canvas.DrawPolygon(Dips(30.0f, 300.0f, 9), opacity);
      canvas.Stroke.Color = 0xFF4A8DB7u;
      canvas.DrawPolygon(Area(4.0f, 320.0f), opacity);
      for (int i = 0; i < 12; ++i)
        canvas.DrawLine({3.5f + 11.0f * static_cast<float>(i), 390.0f}, {630.2f, 7.3f + 30.0f * static_cast<float>(i)},
                        opacity);
      canvas.DrawEllipse({100.4f, 120.7f, 180.1f, 170.9f}, opacity);
      canvas.DrawRect({300.5f, 40.25f, 420.75f, 100.5f}, 0.0f, 0.0f, opacity);
      canvas.DrawRect({430.5f, 40.25f, 520.75f, 100.5f}, 6.0f, 6.0f, opacity);
    };
  };
  const auto rectangles = [](float opacity) {
    return [=](Canvas& canvas) {
      for (int i = 0; i < 8; ++i) {
        const float left = 10.3f + 70.0f * static_cast<float>(i);
        canvas.Fill.Color = i % 2 == 0 ? 0xFF293556u : 0x604A8DB7u;
        canvas.FillRect({left, 20.6f, left + 90.2f, 300.1f}, i % 3 == 0 ? 4.0f : 0.0f, i % 3 == 0 ? 4.0f : 0.0f,
                        opacity);
      }
    };
  };
  const auto text = [](float opacity) {
    return [=](Canvas& canvas) {
      canvas.Font.Size = 16.0f;
      canvas.Fill.Color = 0xFF293556u;
      canvas.FillRect({50.0f, 50.0f, 400.0f, 200.0f}, 0.0f, 0.0f, 0.5f);
      canvas.Fill.Color = 0xFF404040u;
      canvas.FillText({40.0f, 40.0f, 500.0f, 120.0f}, "Model (In USD) -12.5%", false, opacity, TTextAlign::Leading);
      canvas.SetMatrix(TMatrix::CreateRotation(-std::numbers::pi_v<float> / 4.0f) *
                       TMatrix::CreateTranslation(200.0f, 300.0f));
      canvas.FillText({0.0f, 0.0f, 200.0f, 30.0f}, "Jan 2026", false, opacity, TTextAlign::Trailing);
      canvas.Fill.Color = 0xFF4A8DB7u;
      canvas.FillPolygon(Dips(0.0f, 120.0f, 4), 0.85f);
    };
  };
  struct Case {
    std::string Name;
    std::function<void(Canvas&)> Draw;
  };
  const std::vector<Case> cases{
      {"dots of 8 pixels", dots(8.0f, 0.2f)},
      {"dots of 22 pixels", dots(22.0f, 0.2f)},
      {"dots of 40 pixels", dots(40.0f, 0.6f)},
      {"translucent outlines", outlines(0.85f, 1.0f, TStrokeDash::Solid)},
      {"opaque outlines", outlines(1.0f, 1.0f, TStrokeDash::Solid)},
      {"dashed outlines", outlines(0.5f, 1.0f, TStrokeDash::Dash)},
      {"thick outlines", outlines(0.85f, 3.0f, TStrokeDash::Solid)},
      {"opaque and rounded rectangles", rectangles(1.0f)},
      {"translucent rectangles", rectangles(0.4f)},
      {"text, rotated text and an area", text(1.0f)},
      {"translucent text", text(0.5f)},
  };
  for (const QImage::Format format :
       {QImage::Format_ARGB32_Premultiplied, QImage::Format_RGB32, QImage::Format_ARGB32}) {
    for (const Case& c : cases) {
      const QImage expected = CanvasPicture(format, c.Draw, QtCanvas::TPaintPath::Painter);
      const QImage actual = CanvasPicture(format, c.Draw);
      const TComparison comparison = Compare(expected, actual);
      EXPECT_EQ(comparison.Differing, 0) << c.Name << " in format " << format;
      EXPECT_GT(comparison.Inked, 500) << c.Name << ": nothing drawn";
    }
  }
}

}  // namespace

#endif
