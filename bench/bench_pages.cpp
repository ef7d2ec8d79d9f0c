// The nine pages after a calculation on the sample data: Layout + Draw of
// every reachable view in the chart area of a 1920 x 1080 window on the Qt
// canvas over a raster image (offscreen), Draw alone, and each page's Update.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <memory>
#include <string>

#include "common/Globals.h"
#include "pages/gallery/PageFixture.h"
#include "platform/qt/QtCanvas.h"

namespace {

std::unique_ptr<TModelPages> gPages;
pagefixture::TChartArea gArea;

void PaintView(benchmark::State& state, const pagefixture::TPageView& view, bool layout) {
  pagefixture::SelectPageView(*gPages, view);
  QImage image(static_cast<int>(gArea.Width), static_cast<int>(gArea.Height), QImage::Format_ARGB32_Premultiplied);
  image.fill(QColor::fromRgba(claApplicationBkgColor));
  platform::QtCanvas canvas(&image);
  if (!canvas.BeginScene()) {
    state.SkipWithError("no painter on the image");
    return;
  }
  gPages->Layout(view.Kind, canvas, gArea.Width, gArea.Height, gArea.Aspect, gArea.TabWidth);
  for (auto _ : state) {
    if (layout) gPages->Layout(view.Kind, canvas, gArea.Width, gArea.Height, gArea.Aspect, gArea.TabWidth);
    if (!gPages->Draw(view.Kind, canvas, gArea.Width, 1) && PageReportsNoData(view.Kind))
      DrawNoDataText(canvas, "No Data", gArea.Width, gArea.Height);
    benchmark::ClobberMemory();
  }
  canvas.EndScene();
  benchmark::DoNotOptimize(image.constBits());
}

// One page's reload from the result records, as the refresh calls it.
void UpdatePage(benchmark::State& state, TPageKind kind) {
  TModelPages& p = *gPages;
  for (auto _ : state) {
    switch (kind) {
      case TPageKind::EQQV:
        p.EQQVGraphic.LoadGroupSeries(true, 0);
        p.EQQVGraphic.Update(0);
        break;
      case TPageKind::EQBL:
        p.EQBLGraphic.LoadGroupSeries(true, 0);
        p.EQBLGraphic.Update(0);
        break;
      case TPageKind::EQSL:
        p.EQSLGraphic.Update(0);
        break;
      case TPageKind::EQGP:
        p.EQGPGraphic.Update(cMyExternEQSLGraphicData.RankingRows);
        break;
      case TPageKind::FISL:
        p.FISLGraphic.Update(0);
        break;
      case TPageKind::FICY:
        p.FICYGraphic.Update(0);
        break;
      case TPageKind::FIGF:
        p.FIGFGraphic.Update();
        break;
      case TPageKind::FIGP:
        p.FIGPGraphic.Update(cMyExternFIGFGraphicData.Rows1);
        break;
      case TPageKind::MYGP:
        p.MYGPGraphic.Update();
        break;
      case TPageKind::None:
        break;
    }
    benchmark::ClobberMemory();
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  gPages = std::make_unique<TModelPages>();
  std::string message;
  if (!pagefixture::LoadSampleRun(*gPages, message)) {
    std::fprintf(stderr, "the calculation failed: %s\n", message.c_str());
    return 1;
  }
  gArea = pagefixture::ChartArea();
  pagefixture::SetWindowGlobals();
  for (const pagefixture::TPageView& view : pagefixture::ReachableViews()) {
    benchmark::RegisterBenchmark(("LayoutDraw/" + view.Name).c_str(), [&view](benchmark::State& state) {
      PaintView(state, view, true);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("Draw/" + view.Name).c_str(), [&view](benchmark::State& state) {
      PaintView(state, view, false);
    })->Unit(benchmark::kMillisecond);
  }
  for (std::int32_t k = 0; k < 9; ++k) {
    const auto kind = static_cast<TPageKind>(k);
    benchmark::RegisterBenchmark((std::string("Update/") + pagefixture::PageName(kind)).c_str(),
                                 [kind](benchmark::State& state) { UpdatePage(state, kind); })
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  gPages.reset();
  return 0;
}
