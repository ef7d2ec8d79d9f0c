// Tests of the canvas over QPainter; built only when the Qt headers are on the
// include path (the Qt parts of the build are switched on).
#include <gtest/gtest.h>

#if __has_include(<QGuiApplication>)

#include <QGuiApplication>
#include <QImage>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <numbers>

#include "platform/Canvas.h"
#include "platform/qt/QtCanvas.h"

using namespace platform;

namespace {

// Qt needs a GUI application for fonts; the offscreen platform needs no display.
class QtGuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (QCoreApplication::instance() == nullptr) {
      if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
      }
      App_ = std::make_unique<QGuiApplication>(Argc_, Argv_);
    }
  }
  void TearDown() override { App_.reset(); }

 private:
  int Argc_ = 1;
  char Name_[16] = "test_platform";
  char* Argv_[2] = {Name_, nullptr};
  std::unique_ptr<QGuiApplication> App_;
};

[[maybe_unused]] ::testing::Environment* const kQtEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtGuiEnvironment);

constexpr TAlphaColor kWhite = 0xFFFFFFFFu;
constexpr TAlphaColor kRed = 0xFFFF0000u;
constexpr TAlphaColor kBlack = 0xFF000000u;

QImage WhiteImage(int width = 100, int height = 100) {
  QImage image(width, height, QImage::Format_ARGB32);
  image.fill(QColor::fromRgba(kWhite));
  return image;
}

TAlphaColor Pixel(const QImage& image, int x, int y) { return static_cast<TAlphaColor>(image.pixel(x, y)); }

// Pixels of the image that differ from white inside (or outside) the rectangle.
int InkCount(const QImage& image, const QRect& area, bool inside) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (area.contains(x, y) == inside && Pixel(image, x, y) != kWhite) {
        ++count;
      }
    }
  }
  return count;
}

// Mean x of the non-white pixels.
double InkCentreX(const QImage& image) {
  double sum = 0.0;
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (Pixel(image, x, y) != kWhite) {
        sum += x;
        ++count;
      }
    }
  }
  return count == 0 ? -1.0 : sum / count;
}

}  // namespace

TEST(QtCanvas, FilledRectangleHasExactColours) {
  QImage image = WhiteImage();
  QtCanvas canvas(&image);
  ASSERT_TRUE(canvas.BeginScene());
  canvas.Fill.Color = kRed;
  canvas.FillRect({10.0f, 10.0f, 50.0f, 50.0f}, 0.0f, 0.0f, 1.0f);
  canvas.EndScene();
  EXPECT_EQ(Pixel(image, 10, 10), kRed);
  EXPECT_EQ(Pixel(image, 30, 30), kRed);
  EXPECT_EQ(Pixel(image, 49, 49), kRed);
  EXPECT_EQ(Pixel(image, 50, 50), kWhite);
  EXPECT_EQ(Pixel(image, 9, 30), kWhite);
}

TEST(QtCanvas, OpacityAndColourAlphaBlendWithTheBackground) {
  struct Case {
    TAlphaColor Colour;
    float Opacity;
  };
  // Red over white at half strength: green and blue fall to about 127.
  for (const Case c : {Case{kRed, 0.5f}, Case{0x80FF0000u, 1.0f}, Case{0xFFFF0000u, 0.25f}}) {
    QImage image = WhiteImage();
    QtCanvas canvas(&image);
    ASSERT_TRUE(canvas.BeginScene());
    canvas.Fill.Color = c.Colour;
    canvas.FillRect({0.0f, 0.0f, 100.0f, 100.0f}, 0.0f, 0.0f, c.Opacity);
    canvas.EndScene();
    const double strength = (static_cast<double>(c.Colour >> 24) / 255.0) * c.Opacity;
    const QColor pixel = image.pixelColor(50, 50);
    EXPECT_EQ(pixel.red(), 255);
    EXPECT_NEAR(pixel.green(), 255.0 * (1.0 - strength), 2.0);
    EXPECT_NEAR(pixel.blue(), 255.0 * (1.0 - strength), 2.0);
  }
}

TEST(QtCanvas, BrushKindNoneAndNoSceneDrawNothing) {
  QImage image = WhiteImage();
  QtCanvas canvas(&image);
  canvas.Fill.Color = kBlack;
  canvas.FillRect({0.0f, 0.0f, 100.0f, 100.0f}, 0.0f, 0.0f, 1.0f);  // before BeginScene
  ASSERT_TRUE(canvas.BeginScene());
  canvas.Fill.Kind = TBrushKind::None;
  canvas.FillRect({0.0f, 0.0f, 100.0f, 100.0f}, 0.0f, 0.0f, 1.0f);
  canvas.FillText({0.0f, 0.0f, 100.0f, 100.0f}, "Hidden", false, 1.0f, TTextAlign::Center);
  canvas.Stroke.Kind = TBrushKind::None;
  canvas.DrawLine({0.0f, 50.0f}, {100.0f, 50.0f}, 1.0f);
  canvas.DrawRect({10.0f, 10.0f, 90.0f, 90.0f}, 0.0f, 0.0f, 1.0f);
  canvas.EndScene();
  EXPECT_EQ(InkCount(image, image.rect(), true), 0);
}

TEST(QtCanvas, StrokesLinesRectanglesAndEllipses) {
  QImage image = WhiteImage();
  QtCanvas canvas(&image);
  ASSERT_TRUE(canvas.BeginScene());
  canvas.Stroke.Color = kBlack;
  canvas.Stroke.Thickness = 2.0f;
  canvas.DrawLine({10.0f, 80.0f}, {90.0f, 80.0f}, 1.0f);
  canvas.DrawRect({10.0f, 10.0f, 40.0f, 40.0f}, 0.0f, 0.0f, 1.0f);
  canvas.Fill.Color = kRed;
  canvas.FillEllipse({50.0f, 10.0f, 90.0f, 50.0f}, 1.0f);
  canvas.FillPolygon({{10.0f, 60.0f}, {30.0f, 60.0f}, {10.0f, 75.0f}}, 1.0f);
  canvas.EndScene();
  EXPECT_EQ(Pixel(image, 50, 80), kBlack);  // the line covers y 79..80
  EXPECT_EQ(Pixel(image, 50, 83), kWhite);
  EXPECT_EQ(Pixel(image, 25, 10), kBlack);  // the rectangle's top edge
  EXPECT_EQ(Pixel(image, 25, 25), kWhite);  // an outline only
  EXPECT_EQ(Pixel(image, 70, 30), kRed);    // the ellipse's centre
  EXPECT_EQ(Pixel(image, 51, 11), kWhite);  // outside the ellipse, inside its box
  EXPECT_EQ(Pixel(image, 13, 62), kRed);    // inside the triangle
  EXPECT_EQ(Pixel(image, 27, 72), kWhite);  // beyond its slanted side
}

TEST(QtCanvas, MatrixMovesTheDrawing) {
  QImage image = WhiteImage();
  QtCanvas canvas(&image);
  ASSERT_TRUE(canvas.BeginScene());
  canvas.SetMatrix(TMatrix::CreateTranslation(20.0f, 30.0f));
  canvas.Fill.Color = kRed;
  canvas.FillRect({0.0f, 0.0f, 10.0f, 10.0f}, 0.0f, 0.0f, 1.0f);
  canvas.EndScene();
  EXPECT_EQ(Pixel(image, 25, 35), kRed);
  EXPECT_EQ(Pixel(image, 5, 5), kWhite);
  EXPECT_EQ(InkCount(image, QRect(20, 30, 10, 10), false), 0);
}

TEST(QtCanvas, TextDrawsInsideItsRectangleByAlignment) {
  const TRectF box{10.0f, 20.0f, 190.0f, 60.0f};
  double centres[3] = {};
  const TTextAlign aligns[3] = {TTextAlign::Leading, TTextAlign::Center, TTextAlign::Trailing};
  for (int i = 0; i < 3; ++i) {
    QImage image = WhiteImage(200, 80);
    QtCanvas canvas(&image);
    ASSERT_TRUE(canvas.BeginScene());
    canvas.Font.Size = 16.0f;
    canvas.Fill.Color = kBlack;
    canvas.FillText(box, "Hello", false, 1.0f, aligns[i], TTextAlign::Center);
    canvas.EndScene();
    EXPECT_GT(InkCount(image, QRect(10, 20, 180, 40), true), 20);
    EXPECT_EQ(InkCount(image, QRect(10, 20, 180, 40), false), 0);
    centres[i] = InkCentreX(image);
  }
  EXPECT_LT(centres[0], 60.0);
  EXPECT_NEAR(centres[1], 100.0, 6.0);
  EXPECT_GT(centres[2], 140.0);
  // Wrapped, a word wider than the rectangle (a path) is broken where it
  // must and shown whole: it leaves as much ink as drawn on one line in a
  // wide image, where a cut one leaves only what its rectangle holds.
  const std::string path = "/home/" + std::string(30, 'p') + "/registry.conf";
  auto draw = [&](QImage& image, const TRectF& rect, bool wrap) {
    QtCanvas canvas(&image);
    ASSERT_TRUE(canvas.BeginScene());
    canvas.Fill.Color = kBlack;
    canvas.FillText(rect, path, wrap, 1.0f, TTextAlign::Center);
    canvas.EndScene();
  };
  QImage wide = WhiteImage(1000, 80);
  draw(wide, {0.0f, 0.0f, 1000.0f, 80.0f}, false);
  const int whole = InkCount(wide, wide.rect(), true);
  QImage image = WhiteImage(200, 80);
  draw(image, {10.0f, 0.0f, 190.0f, 80.0f}, true);
  EXPECT_EQ(InkCount(image, QRect(10, 0, 180, 80), false), 0);
  EXPECT_GT(InkCount(image, QRect(10, 0, 180, 80), true), whole * 9 / 10);
}

TEST(QtCanvas, TextMetricsFollowTheFont) {
  QImage image = WhiteImage();
  QtCanvas canvas(&image);
  canvas.Font.Size = 16.0f;
  const float width = canvas.TextWidth("Hello");
  const float height = canvas.TextHeight("X");
  EXPECT_GT(width, 16.0f);
  EXPECT_LT(width, 80.0f);
  EXPECT_GE(height, 16.0f);
  EXPECT_LE(height, 32.0f);
  EXPECT_EQ(canvas.TextWidth(""), 0.0f);
  EXPECT_FLOAT_EQ(canvas.TextHeight("a\nb"), 2.0f * height);
  EXPECT_GT(canvas.TextWidth("Hello Hello"), width);
  canvas.Font.Size = 32.0f;
  EXPECT_NEAR(canvas.TextWidth("Hello"), 2.0f * width, 2.0f);
  // The default family is not installed here: it measures as the fallback.
  canvas.Font.Size = 16.0f;
  const float fallbackWidth = [&] {
    canvas.Font.Family = QtCanvas::kFallbackFamily;
    return canvas.TextWidth("Quorvane 2021");
  }();
  canvas.Font.Family = "Yu Gothic UI";
  EXPECT_FLOAT_EQ(canvas.TextWidth("Quorvane 2021"), fallbackWidth);
}

#endif  // __has_include(<QGuiApplication>)
