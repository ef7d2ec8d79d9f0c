// Every widget and mode of the gallery drawn by the Qt canvas's fast routes
// (clip of the whole device, translucent fills through a layer, polygons
// in bands on worker threads) gives the very bytes that the painter draws
// call by call; twice in a row on one canvas, as a window repaints.
#include <gtest/gtest.h>

#if __has_include(<QGuiApplication>)

#include <QImage>

#include "WidgetTestSupport.h"
#include "platform/qt/QtCanvas.h"
#include "widgets/gallery/WidgetFixture.h"

namespace {

QImage Picture(const widgetfixture::TGalleryItem& item, platform::QtCanvas::TPaintPath path) {
  QImage image(static_cast<int>(widgetfixture::kScreenWidth), static_cast<int>(widgetfixture::kScreenHeight),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(QColor::fromRgba(claApplicationBkgColor));
  platform::QtCanvas canvas(&image, path);
  EXPECT_TRUE(canvas.BeginScene());
  item.Paint(canvas);
  item.Paint(canvas);
  canvas.EndScene();
  return image;
}

TEST(GalleryPixels, FastRoutesDrawThePaintersBytesForEveryWidget) {
  widgetfixture::SetWindowGlobals();
  const QRgb background = QColor::fromRgba(claApplicationBkgColor).rgba();
  int compared = 0;
  for (const widgetfixture::TGalleryItem& item : widgetfixture::GalleryItems()) {
    const QImage expected = Picture(item, platform::QtCanvas::TPaintPath::Painter);
    const QImage actual = Picture(item, platform::QtCanvas::TPaintPath::Fast);
    int differing = 0;
    int inked = 0;
    for (int y = 0; y < expected.height(); ++y) {
      const auto* e = reinterpret_cast<const QRgb*>(expected.constScanLine(y));
      const auto* a = reinterpret_cast<const QRgb*>(actual.constScanLine(y));
      for (int x = 0; x < expected.width(); ++x) {
        differing += e[x] != a[x] ? 1 : 0;
        inked += a[x] != background ? 1 : 0;
      }
    }
    EXPECT_EQ(differing, 0) << item.Name;
    EXPECT_GT(inked, 1000) << item.Name << ": nearly nothing drawn";
    ++compared;
  }
  EXPECT_GE(compared, 20);
}

}  // namespace

#endif
