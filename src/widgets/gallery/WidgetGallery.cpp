// quorvane-widget-gallery DIR: draws every widget in each of its modes from
// the sample data set into a 1920 x 1080 picture and writes DIR/<name>.png.
// Exit code 1 when a picture is empty or of one colour or cannot be written,
// 2 on a wrong call.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <string>

#include "common/Globals.h"
#include "platform/qt/ImageInk.h"
#include "platform/qt/QtCanvas.h"
#include "widgets/gallery/WidgetFixture.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: quorvane-widget-gallery DIR\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString dir = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(dir)) {
    std::fprintf(stderr, "cannot create %s\n", argv[1]);
    return 1;
  }

  widgetfixture::SetWindowGlobals();
  const QRgb background = QColor::fromRgba(claApplicationBkgColor).rgba();
  int failures = 0;
  for (const widgetfixture::TGalleryItem& item : widgetfixture::GalleryItems()) {
    QImage image(static_cast<int>(widgetfixture::kScreenWidth), static_cast<int>(widgetfixture::kScreenHeight),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    {
      platform::QtCanvas canvas(&image);
      if (canvas.BeginScene()) {
        item.Paint(canvas);
        canvas.EndScene();
      }
    }
    int inked = 0;
    const bool twoColours = platform::HasTwoColours(image, background, inked);
    const QString path = dir + "/" + QString::fromStdString(item.Name) + ".png";
    const bool saved = image.save(path, "PNG");
    // Fewer than 1000 inked pixels is a picture with nearly nothing on it.
    const bool ok = saved && inked >= 1000 && twoColours;
    std::printf("%-40s %9d inked pixels%s\n", item.Name.c_str(), inked,
                ok       ? ""
                : !saved ? "  NOT WRITTEN"
                         : "  EMPTY OR UNIFORM");
    if (!ok) ++failures;
  }
  return failures == 0 ? 0 : 1;
}
