// The nine pages after a calculation on the sample data, as the window uses
// them: every reachable view selected by its tab choices, laid out and drawn
// at two screen sizes, cursors moved both ways and reset, drawn again; the
// regime overview's boxes and texts at the three window sizes with real
// type metrics.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "TextMeasuringCanvas.h"
#include "common/Globals.h"
#include "pages/MYGPRegimePanels.h"
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

// Where a text of width x height lands in [from, to] by its alignment.
std::pair<float, float> Placed(platform::TTextAlign align, float from, float to, float size) {
  if (align == platform::TTextAlign::Leading) return {from, from + size};
  if (align == platform::TTextAlign::Trailing) return {to - size, to};
  const float centre = (from + to) / 2.0f;
  return {centre - size / 2.0f, centre + size / 2.0f};
}

bool Overlap(const platform::TRectF& a, const platform::TRectF& b) {
  constexpr float kTouch = 0.01f;  // shared edges do not count
  return a.Left < b.Right - kTouch && b.Left < a.Right - kTouch && a.Top < b.Bottom - kTouch &&
         b.Top < a.Bottom - kTouch;
}

// What a drawing of the regime overview must hold in a chart area of width
// x height: the coloured boxes lie apart and inside the area's width; every
// text fits its rectangle, lies inside the area and, outside the boxes,
// crosses none.
void ExpectBoxesApartAndTextsWhole(pagerun::TTextMeasuringCanvas& canvas, float width, float height) {
  constexpr TAlphaColor kPanelBackground = 0xFFFDFDFD;
  std::vector<platform::TRectF> boxes;
  for (const TCanvasOp& op : canvas.OpsOfKind(platform::TCanvasOpKind::FillRect))
    if (op.RadiusX == 2.0f && op.Fill.Color != kPanelBackground) boxes.push_back(op.Rect);
  ASSERT_GE(boxes.size(), 20u);
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    EXPECT_TRUE(boxes[i].Left >= 0.0f && boxes[i].Right <= width) << "box " << i << " leaves the area";
    for (std::size_t j = i + 1; j < boxes.size(); ++j)
      EXPECT_FALSE(Overlap(boxes[i], boxes[j])) << "boxes " << i << " and " << j;
  }
  for (const TCanvasOp& op : canvas.OpsOfKind(platform::TCanvasOpKind::FillText)) {
    if (op.Text.empty()) continue;
    canvas.Font = op.Font;
    const float textWidth = canvas.TextWidth(op.Text);
    EXPECT_LE(textWidth, op.Rect.Width() + 0.01f) << op.Text << " is cut";
    const auto [left, right] = Placed(op.HorizontalAlign, op.Rect.Left, op.Rect.Right, textWidth);
    const auto [top, bottom] = Placed(op.VerticalAlign, op.Rect.Top, op.Rect.Bottom, canvas.TextHeight(op.Text));
    const platform::TRectF written{left, top, right, bottom};
    EXPECT_TRUE(left >= 0.0f && right <= width && top >= 0.0f && bottom <= height) << op.Text << " leaves the area";
    const platform::TPointF centre{(left + right) / 2.0f, (top + bottom) / 2.0f};
    const bool inBox =
        std::any_of(boxes.begin(), boxes.end(), [&](const platform::TRectF& box) { return box.Contains(centre); });
    if (inBox) continue;
    for (const platform::TRectF& box : boxes) EXPECT_FALSE(Overlap(written, box)) << op.Text << " crosses a box";
  }
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

// At the smallest (1728 x 972), the reference and the largest window the
// regime overview's boxes lie apart and no text is cut: with the sample
// run's best lists and with the six widest country names in every list.
TEST_F(PageRunTest, RegimeOverviewBoxesApartAndTextsWholeAtEverySize) {
  // The six widest names of the run's country list in bold type.
  pagerun::TTextMeasuringCanvas measure;
  measure.Font = {"Yu Gothic UI", 16.0f, platform::fsBold};
  std::vector<std::string> names;
  for (const TCountry& country : vcMyExternCountryList) names.push_back(country.Name);
  ASSERT_GE(names.size(), 6u);
  std::sort(names.begin(), names.end(),
            [&](const std::string& a, const std::string& b) { return measure.TextWidth(a) > measure.TextWidth(b); });
  names.resize(6);

  for (const auto& [w, h] : {std::pair{1728, 972}, std::pair{1920, 1080}, std::pair{2560, 1440}}) {
    for (const bool widest : {false, true}) {
      SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h) + (widest ? " widest names" : " sample lists"));
      auto page = std::make_unique<TMYGPGraphic>(pages_->MYGPGraphic);
      page->SelectView(0, -1, -1, -1, -1);
      ASSERT_EQ(page->CurrentView, 0);
      if (widest) {
        TRegimePanelsData data = BuildRegimePanels(
            {vcMyExternCountryList, usMyExternUserSettings, cMyExternEQQVGraphicData, cMyExternEQBLGraphicData,
             cMyExternEQSLGraphicData, cMyExternFISLGraphicData, cMyExternFIGFGraphicData, cMyExternFICYGraphicData});
        for (TChoicePanelData* panel :
             {&data.EquityBondChoicePanel, &data.BondChoicePanel, &data.CurrencyChoicePanel}) {
          panel->Labels.resize(12);
          panel->Colours.resize(12, claRegionColors[0]);
          std::copy(names.begin(), names.end(), panel->Labels.begin() + 6);
        }
        SetPanel(page->EquityBondChoicePanel, data.EquityBondChoicePanel);
        SetPanel(page->BondChoicePanel, data.BondChoicePanel);
        SetPanel(page->CurrencyChoicePanel, data.CurrencyChoicePanel);
      }
      const pagefixture::TChartArea area = pagefixture::ChartArea(w, h);
      pagerun::TTextMeasuringCanvas canvas;
      canvas.BeginScene();
      page->Layout(canvas, area.Width, area.Height, area.Aspect, area.TabWidth);
      EXPECT_TRUE(page->Draw(canvas, area.Width));
      canvas.EndScene();
      ExpectBoxesApartAndTextsWhole(canvas, area.Width, area.Height);
    }
  }
  pagefixture::SetWindowGlobals();
}

// Before any calculation every reachable view shows "No Data": drawn by the
// view's widget or page, or, where the page reports that it drew nothing
// (PageReportsNoData), by the window. The two signal-timing pages draw their
// own, their grid and group views included.
TEST_F(PageRunTest, PageReportsNoDataOrDrawsItOnEveryEmptyView) {
  auto empty = std::make_unique<TModelPages>();
  empty->Init();
  for (const pagefixture::TPageView& view : pagefixture::ReachableViews()) {
    pagefixture::SelectPageView(*empty, view, false);
    for (const auto& [w, h] : {std::pair{1920, 1080}, std::pair{1728, 972}}) {
      const pagefixture::TChartArea area = pagefixture::ChartArea(w, h);
      RecordingCanvas canvas;
      empty->Layout(view.Kind, canvas, area.Width, area.Height, area.Aspect, area.TabWidth);
      const bool drawn = empty->Draw(view.Kind, canvas, area.Width, 1);
      const bool windowWrites = !drawn && PageReportsNoData(view.Kind);
      EXPECT_NE(ShowsNoData(canvas), windowWrites) << view.Name << " at " << w;
      EXPECT_EQ(drawn, !windowWrites) << view.Name;
    }
  }
  pagefixture::SetWindowGlobals();
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
