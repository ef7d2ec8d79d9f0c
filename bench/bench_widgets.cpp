// Layout + Draw of every widget and mode of the gallery's data set at
// 1920 x 1080 on the Qt canvas over a raster image (offscreen): region chart
// 40 rows x 420 points in 25 columns, comparison chart 3 x 420 points (log
// lines, areas), bar chart 420 records x 40 holdings, ranking table 47 rows,
// percentage tables 40 rows, both text tables, FX table, seven regime panels.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <memory>

#include "common/Globals.h"
#include "platform/qt/QtCanvas.h"
#include "widgets/gallery/WidgetFixture.h"

namespace {

void PaintWidget(benchmark::State& state, const widgetfixture::TGalleryItem& item) {
  QImage image(static_cast<int>(widgetfixture::kScreenWidth), static_cast<int>(widgetfixture::kScreenHeight),
               QImage::Format_ARGB32_Premultiplied);
  image.fill(QColor::fromRgba(claApplicationBkgColor));
  platform::QtCanvas canvas(&image);
  if (!canvas.BeginScene()) {
    state.SkipWithError("no painter on the image");
    return;
  }
  for (auto _ : state) {
    item.Paint(canvas);
    benchmark::ClobberMemory();
  }
  canvas.EndScene();
  benchmark::DoNotOptimize(image.constBits());
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  widgetfixture::SetWindowGlobals();
  const std::vector<widgetfixture::TGalleryItem> items = widgetfixture::GalleryItems();
  for (const widgetfixture::TGalleryItem& item : items) {
    benchmark::RegisterBenchmark(item.Name.c_str(), [&item](benchmark::State& state) {
      PaintWidget(state, item);
    })->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
