// quorvane-page-gallery DIR [WIDTHxHEIGHT]: runs the nine models on the
// sample data, then draws every reachable view of the nine pages into the
// chart area of a window picture (1920 x 1080 unless a size is given, e.g.
// 1728x972), as the window paints it ("No Data" where a page has nothing to
// show), and writes DIR/<page>_v<view>[_g<group>].png. Exit code 1 when the
// run fails or a picture is blank or cannot be written, 2 on a wrong call.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdio>
#include <memory>
#include <string>

#include "common/Globals.h"
#include "pages/gallery/PageFixture.h"
#include "platform/qt/ImageInk.h"
#include "platform/qt/QtCanvas.h"

namespace {

// "WIDTHxHEIGHT" with both at least 1; false otherwise.
bool ParseSize(const char* text, int& width, int& height) {
  char separator = 0;
  char rest = 0;
  return std::sscanf(text, "%d%c%d%c", &width, &separator, &height, &rest) == 3 && separator == 'x' && width > 0 &&
         height > 0;
}

}  // namespace

int main(int argc, char** argv) {
  int screenWidth = pagefixture::kScreenWidth;
  int screenHeight = pagefixture::kScreenHeight;
  if (argc < 2 || argc > 3 || (argc == 3 && !ParseSize(argv[2], screenWidth, screenHeight))) {
    std::fprintf(stderr, "usage: quorvane-page-gallery DIR [WIDTHxHEIGHT]\n");
    return 2;
  }
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QString dir = QString::fromLocal8Bit(argv[1]);
  if (!QDir().mkpath(dir)) {
    std::fprintf(stderr, "cannot create %s\n", argv[1]);
    return 1;
  }

  // The pages hold their widgets by value: keep them off the stack.
  auto pages = std::make_unique<TModelPages>();
  std::string message;
  if (!pagefixture::LoadSampleRun(*pages, message)) {
    std::fprintf(stderr, "the calculation failed: %s\n", message.c_str());
    return 1;
  }
  // The window's globals, then the layout of the window size (its screen ratios).
  pagefixture::SetWindowGlobals();
  const pagefixture::TChartArea area = pagefixture::ChartArea(screenWidth, screenHeight);
  const QRgb background = QColor::fromRgba(claApplicationBkgColor).rgba();
  int failures = 0;
  for (const pagefixture::TPageView& view : pagefixture::ReachableViews()) {
    pagefixture::SelectPageView(*pages, view);
    QImage chart(static_cast<int>(area.Width), static_cast<int>(area.Height), QImage::Format_ARGB32_Premultiplied);
    chart.fill(background);
    {
      platform::QtCanvas canvas(&chart);
      if (canvas.BeginScene()) {
        pages->Layout(view.Kind, canvas, area.Width, area.Height, area.Aspect, area.TabWidth);
        if (!pages->Draw(view.Kind, canvas, area.Width, 1) && PageReportsNoData(view.Kind))
          DrawNoDataText(canvas, "No Data", area.Width, area.Height);
        canvas.EndScene();
      }
    }
    int inkedPixels = 0;
    const bool inked = platform::HasTwoColours(chart, background, inkedPixels) && inkedPixels >= 1000;
    QImage screen(screenWidth, screenHeight, QImage::Format_ARGB32_Premultiplied);
    screen.fill(background);
    {
      QPainter painter(&screen);
      painter.drawImage(QPointF(area.Left, area.Top), chart);
      painter.setPen(QColor(0xB6, 0xC8, 0xD6));
      painter.drawRect(QRectF(area.Left - 1, area.Top - 1, area.Width + 1, area.Height + 1));
    }
    const QString file = dir + "/" + QString::fromStdString(view.Name) + ".png";
    const bool saved = screen.save(file);
    if (!inked || !saved) {
      std::fprintf(stderr, "%s: %s\n", view.Name.c_str(), saved ? "blank picture" : "cannot write");
      ++failures;
    } else {
      std::printf("%s\n", file.toLocal8Bit().constData());
    }
  }
  return failures == 0 ? 0 : 1;
}
