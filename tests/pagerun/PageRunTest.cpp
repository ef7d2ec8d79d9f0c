// The nine pages after a calculation on the sample data, as the window uses
// them: every reachable view selected by its tab choices, laid out and drawn
// at two screen sizes, cursors moved both ways and reset, drawn again.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <regex>
#include <string>

#include "common/Globals.h"
#include "pages/gallery/PageFixture.h"
#include "platform/RecordingCanvas.h"
#include "session/PageRefresh.h"

namespace {

using platform::RecordingCanvas;
using platform::TCanvasOp;

bool Finite(float v) { return std::isfinite(v); }

// A figure written from NaN or infinity, not a word holding those letters.
const std::regex kBadFigure("(^|[^A-Za-z])-?(nan|NAN|inf|INF)($|[^A-Za-z])");

// Every coordinate drawn is finite and no text shows a NAN or INF figure.
void ExpectSaneDrawing(const RecordingCanvas& canvas, const std::string& where) {
  for (const TCanvasOp& op : canvas.Ops) {
    EXPECT_TRUE(Finite(op.Rect.Left) && Finite(op.Rect.Top) && Finite(op.Rect.Right) && Finite(op.Rect.Bottom))
        << where << " rectangle";
    for (const platform::TPointF& p : op.Points) EXPECT_TRUE(Finite(p.X) && Finite(p.Y)) << where << " point";
    EXPECT_FALSE(std::regex_search(op.Text, kBadFigure)) << where << " text " << op.Text;
  }
}

bool ShowsNoData(const RecordingCanvas& canvas) {
  for (const TCanvasOp& op : canvas.OpsOfKind(platform::TCanvasOpKind::FillText))
    if (op.Text == "No Data") return true;
  return false;
}

class PageRunTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pages_ = std::make_unique<TModelPages>().release();
    std::string message;
    ASSERT_TRUE(pagefixture::LoadSampleRun(*pages_, message)) << message;
  }
  static void TearDownTestSuite() {
    delete pages_;
    pages_ = nullptr;
  }

  // Layout + Draw of the view at window width x height; true when it drew content.
  bool Paint(const pagefixture::TPageView& view, int width, int height, const std::string& where) {
    const pagefixture::TChartArea area = pagefixture::ChartArea(width, height);
    RecordingCanvas canvas;
    canvas.BeginScene();
    pages_->Layout(view.Kind, canvas, area.Width, area.Height, area.Aspect, area.TabWidth);
    const bool drawn = pages_->Draw(view.Kind, canvas, area.Width, 1);
    canvas.EndScene();
    ExpectSaneDrawing(canvas, where);
    return drawn && !ShowsNoData(canvas) && canvas.Ops.size() > 2;
  }

  static TModelPages* pages_;
};

TModelPages* PageRunTest::pages_ = nullptr;

TEST_F(PageRunTest, EveryReachableViewIsSelectedByItsChoicesAndDrawsContent) {
  for (const pagefixture::TPageView& view : pagefixture::ReachableViews()) {
    pagefixture::SelectPageView(*pages_, view);
    ASSERT_EQ(pagefixture::CurrentView(*pages_, view.Kind), view.View) << view.Name;
    EXPECT_TRUE(Paint(view, 1920, 1080, view.Name + " at 1.0")) << view.Name << " at ratio 1.0";
    // The smallest window: ratio 0.9.
    EXPECT_TRUE(Paint(view, 1728, 972, view.Name + " at 0.9")) << view.Name << " at ratio 0.9";
    pagefixture::SetWindowGlobals();
  }
}

TEST_F(PageRunTest, CursorsMoveBothWaysAndResetOnEveryView) {
  for (const pagefixture::TPageView& view : pagefixture::ReachableViews()) {
    pagefixture::SelectPageView(*pages_, view);
    Paint(view, 1920, 1080, view.Name);
    bool hasNext = false;
    pages_->WithPage(view.Kind, [&](auto& page) { hasNext = page.HasNextItem(); });
    EXPECT_FALSE(hasNext) << view.Name << " starts on its last point";

    pages_->MoveCursors(2, -1);
    pages_->MoveCursors(2, -1);
    EXPECT_TRUE(Paint(view, 1920, 1080, view.Name + " moved back")) << view.Name;
    bool cursorView = false;
    pages_->WithPage(view.Kind, [&](auto& page) {
      cursorView = page.ViewHasFeature(1);
      hasNext = page.HasNextItem();
    });
    if (cursorView) {
      EXPECT_TRUE(hasNext) << view.Name << " after moving back";
    }

    pages_->MoveCursors(2, 1);
    pages_->MoveCursors(2, 1000);
    EXPECT_TRUE(Paint(view, 1920, 1080, view.Name + " moved on")) << view.Name;
    pages_->WithPage(view.Kind, [&](auto& page) { hasNext = page.HasNextItem(); });
    EXPECT_FALSE(hasNext) << view.Name << " past the end";

    pages_->MoveCursors(2, -1000);
    pages_->ResetCursors();
    EXPECT_TRUE(Paint(view, 1920, 1080, view.Name + " reset")) << view.Name;
    pages_->WithPage(view.Kind, [&](auto& page) { hasNext = page.HasNextItem(); });
    EXPECT_FALSE(hasNext) << view.Name << " after reset";
  }
}

TEST_F(PageRunTest, TheRankingPagesHaveDataAndASecondRefreshExtendsNothing) {
  EXPECT_TRUE(pages_->EQSLGraphic.DataAvailable);
  EXPECT_TRUE(pages_->FISLGraphic.DataAvailable);
  EXPECT_TRUE(pages_->FICYGraphic.DataAvailable);

  const auto sizes = [] {
    return std::vector<std::size_t>{cMyExternEQBLGraphicData.Total.EquityHistory.size(),
                                    cMyExternEQBLGraphicData.Total.AllocationHistory.size(),
                                    cMyExternEQQVGraphicData.Total.RiskFreeHistory.size(),
                                    cMyExternEQSLGraphicData.Performance.AllocationHistory.size(),
                                    cMyExternEQGPGraphicData.Total.AllocationHistory.size(),
                                    cMyExternFICYGraphicData.Performance.AllocationHistory.size()};
  };
  const std::vector<std::size_t> before = sizes();
  pages_->Refresh({0, 0});
  EXPECT_EQ(sizes(), before);
}

TEST_F(PageRunTest, TheWindowRefreshResetsRanksAndCountsTheTrackBarItems) {
  session::TViewState view;
  view.EQSLRank = 4;
  view.SLListTitle2 = "Rank 4";
  view.HistoryTrack.Position = 7;
  view.HistoryTrack.CommittedPosition = 7;
  view.FXTrack.Position = 3;

  session::RefreshModelGraphics(view, *pages_);  // work data not ready: ranks only
  EXPECT_EQ(view.EQSLRank, 1);
  EXPECT_EQ(view.SLListTitle2, "Rank 1");
  EXPECT_EQ(view.HistoryTrack.Position, 7);

  view.WorkDataReady = true;
  view.WorkspaceShown = true;
  session::RefreshModelGraphics(view, *pages_);
  EXPECT_EQ(view.HistoryTrack.ItemCount, static_cast<std::int32_t>(cMyExternFICYGraphicData.RankingRows.size()));
  EXPECT_EQ(view.HistoryTrack.Position, 0);
  EXPECT_EQ(view.HistoryTrack.CommittedPosition, -1);
  EXPECT_EQ(view.EQHeatMapTrack.ItemCount, static_cast<std::int32_t>(cMyExternEQSLGraphicData.RankingPages.size()));
  EXPECT_EQ(view.CYHeatMapTrack.ItemCount, static_cast<std::int32_t>(cMyExternFICYGraphicData.RankingPages.size()));
  // One position per currency of the forty countries.
  EXPECT_EQ(view.FXTrack.ItemCount, 29);
  EXPECT_EQ(view.FXTrack.Position, 3);
}

}  // namespace
