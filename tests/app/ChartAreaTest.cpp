// The chart area on the pages of a calculation on the sample data: paint
// phases and the drawing cache, "No Data", zone drag statistics, value
// indicators, the view shift by drag and wheel, the double-click reset and
// the country click.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <stdexcept>

#include "app/AppTestSupport.h"
#include "app/ChartArea.h"
#include "common/Globals.h"
#include "pages/gallery/PageFixture.h"
#include "platform/DateTime.h"
#include "portfolio/EquityResultRecords.h"
#include "widgets/SeriesComparisonChart.h"

namespace {

using app::TChartArea;

constexpr int kWidth = 1370;
constexpr int kHeight = 745;

struct TTab {
  std::int32_t Main, Sub;
};

TTab TabOf(TPageKind kind) {
  const int k = static_cast<int>(kind);
  if (kind == TPageKind::MYGP) return {0, 0};
  if (k <= static_cast<int>(TPageKind::EQBL)) return {1, k - 1};
  return {2, k - 5};
}

class ChartAreaTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    pagefixture::SetWindowGlobals();
    Pages = new TModelPages;
    std::string message;
    Loaded = pagefixture::LoadSampleRun(*Pages, message);
    LoadMessage = message;
  }
  static void TearDownTestSuite() {
    delete Pages;
    Pages = nullptr;
  }

  void SetUp() override {
    ASSERT_TRUE(Loaded) << LoadMessage;
    Area = MakeArea(*Pages);
  }

  // The chart area inside a window of its own, kMargin from its edges (the
  // pointer leaves the chart onto the window).
  std::unique_ptr<TChartArea> MakeArea(TModelPages& pages) {
    View = session::TViewState();
    View.WorkspaceShown = true;
    View.WorkDataReady = true;
    Pointer.reset();
    Area.reset();  // before the window that holds it
    Window = std::make_unique<QWidget>();
    Window->resize(kWidth + 2 * kMargin, kHeight + 2 * kMargin);
    auto area = std::make_unique<TChartArea>(View, pages, Window.get());
    area->PlaceTrackBarSupports = [this](const std::vector<app::TTrackBarSupportPlacement>& placements) {
      ++Layouts;
      Placements = placements;
    };
    area->setGeometry(kMargin, kMargin, kWidth, kHeight);
    Window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    Pointer = std::make_unique<qttest::TWindowPointer>(Window.get());
    return area;
  }
  void TearDown() override {
    Pointer.reset();
    Area.reset();
    Window.reset();
  }

  // Selects page and view as the tabs do, then paints with a fresh layout.
  void Show(TPageKind kind, std::int32_t view, TModelPages& pages = *Pages) {
    const auto& views = pagefixture::ReachableViews();
    const auto it = std::find_if(views.begin(), views.end(),
                                 [&](const pagefixture::TPageView& v) { return v.Kind == kind && v.View == view; });
    ASSERT_NE(it, views.end());
    ShowView(*it, pages);
  }
  void ShowView(const pagefixture::TPageView& pageView, TModelPages& pages = *Pages) {
    const TPageKind kind = pageView.Kind;
    pagefixture::SelectPageView(pages, pageView);
    ASSERT_EQ(pagefixture::CurrentView(pages, kind), pageView.View);
    const TTab tab = TabOf(kind);
    View.SelectedMainTab = tab.Main;
    View.GlobalSubIndex = tab.Main == 0 ? 0 : -1;
    View.EquitySubIndex = tab.Main == 1 ? tab.Sub : -1;
    View.BondSubIndex = tab.Main == 2 ? tab.Sub : -1;
    pages.ResetCursors();
    Area->RequestRepaint(2);
    Area->repaint();
  }

  // Pointer events at points of the chart area, through its window.
  QPoint OnChart(QPointF at) const { return Pointer->PointOf(Area.get(), at); }
  void Press(QPointF at) {
    Pointer->Wait(qttest::TWindowPointer::ApartMs());
    Pointer->Press(OnChart(at));
  }
  void Drag(QPointF at) { Pointer->Move(OnChart(at)); }
  void Hover(QPointF at) { Pointer->Move(OnChart(at)); }
  void Release(QPointF at) { Pointer->Release(OnChart(at)); }
  void Click(QPointF at) { Pointer->Click(OnChart(at)); }
  void Leave() { Pointer->Move(QPoint(kMargin / 2, kMargin / 2)); }

  // A point inside the page's plot, at fraction fx of its width, mid-span.
  static QPointF InPlot(const TViewArea& area, double fx) {
    return {area.Left + area.Width * fx, (area.SpanTop + area.SpanBottom) * 0.5};
  }

  // Some pixel is not the window's background colour.
  static bool HasInk(const QImage& image) {
    for (int y = 0; y < image.height(); y += 3)
      for (int x = 0; x < image.width(); x += 3)
        if (image.pixel(x, y) != claApplicationBkgColor) return true;
    return false;
  }

  static constexpr int kMargin = 20;
  static inline TModelPages* Pages = nullptr;
  static inline bool Loaded = false;
  static inline std::string LoadMessage;
  session::TViewState View;
  std::unique_ptr<QWidget> Window;
  std::unique_ptr<qttest::TWindowPointer> Pointer;
  std::unique_ptr<TChartArea> Area;
  int Layouts = 0;
  std::vector<app::TTrackBarSupportPlacement> Placements;
};

// Phases coalesce before the pass; the pass lays out and draws by the phase;
// exposes and hover moves show the cached drawing.
TEST_F(ChartAreaTest, PaintPhasesCoalesceAndTheDrawingIsCached) {
  Show(TPageKind::MYGP, 9);
  ASSERT_TRUE(HasInk(Area->ShownImage()));
  EXPECT_EQ(View.PaintPhase, 1);

  struct TCase {
    std::vector<std::int32_t> Requests;
    std::int32_t Pending;
    int LayoutDelta, DrawDelta;
  };
  const TCase cases[] = {
      {{1}, 1, 0, 1},    {{0}, 0, 1, 0},       {{2}, 2, 1, 1},       {{2, 1}, 2, 1, 1},
      {{1, 0}, 2, 1, 1}, {{0, 1, 1}, 2, 1, 1}, {{1, 1, 1}, 1, 0, 1}, {{}, 1, 0, 0},  // an expose
  };
  for (const TCase& c : cases) {
    const int layouts = Layouts;
    const int draws = Area->PageDrawCount();
    for (std::int32_t phase : c.Requests) Area->RequestRepaint(phase);
    EXPECT_EQ(View.PaintPhase, c.Pending) << c.Requests.size();
    Area->repaint();
    EXPECT_EQ(Layouts - layouts, c.LayoutDelta) << c.Pending;
    EXPECT_EQ(Area->PageDrawCount() - draws, c.DrawDelta) << c.Pending;
    EXPECT_EQ(View.PaintPhase, 1);
  }

  // Value indicators move over the chart without a new drawing of the page.
  const int draws = Area->PageDrawCount();
  const TViewArea range = Pages->MYGPGraphic.GetViewRange();
  for (double fx : {0.3, 0.5, 0.7}) {
    Hover(InPlot(range, fx));
    QApplication::processEvents();
    Area->repaint();
  }
  EXPECT_TRUE(Area->ValueBox->isVisible());
  EXPECT_EQ(Area->PageDrawCount(), draws);
}

// A page that reports nothing to show gets "No Data" from the window; the
// MYGP and the two signal-timing pages write their own; a page call that
// throws shows "No Data" and the next requested pass draws again.
TEST_F(ChartAreaTest, NoDataForEmptyPagesAndFailingPageCalls) {
  auto empty = std::make_unique<TModelPages>();
  empty->Init();
  Area = MakeArea(*empty);
  struct TCase {
    TPageKind Kind;
    std::int32_t View;
    bool NoData;
  };
  for (const TCase& c :
       {TCase{TPageKind::MYGP, 4, false}, TCase{TPageKind::EQSL, 7, true}, TCase{TPageKind::EQGP, 2, true},
        TCase{TPageKind::EQQV, 4, false}, TCase{TPageKind::EQBL, 0, false}}) {
    Show(c.Kind, c.View, *empty);
    EXPECT_EQ(Area->NoDataShown(), c.NoData) << pagefixture::PageName(c.Kind);
    EXPECT_TRUE(HasInk(Area->ShownImage())) << pagefixture::PageName(c.Kind);  // "No Data" either way
  }

  Area = MakeArea(*Pages);
  for (const char* failing : {"Layout", "Draw", "HighlightAt"}) {
    Show(TPageKind::EQSL, 1);
    ASSERT_FALSE(Area->NoDataShown());
    Area->BeforePageCall = [failing](const char* call) {
      if (std::string(call) == failing) throw std::runtime_error("page failure");
    };
    if (std::string(failing) == "HighlightAt") {
      const TViewArea range = Pages->EQSLGraphic.GetViewRange();
      Hover({range.Left + range.Width * 0.5, range.Top + range.Height * 0.5});
    } else {
      Area->RequestRepaint(2);
    }
    Area->repaint();
    EXPECT_TRUE(Area->NoDataShown()) << failing;
    EXPECT_TRUE(HasInk(Area->ShownImage())) << failing;
    Area->BeforePageCall = nullptr;
    Area->RequestRepaint(2);
    Area->repaint();
    EXPECT_FALSE(Area->NoDataShown()) << failing;
  }
}

// After each layout the window learns which supports to move: X at the
// page widget's anchor - 40 (tables) or - 60, Y at the second vertical tab.
TEST_F(ChartAreaTest, TrackBarSupportsFollowTheLaidOutPage) {
  using session::TTrackBar;
  const TRankingGraphic& eqsl = Pages->EQSLGraphic;
  Show(TPageKind::EQSL, 5);  // heat-map support placed, history support only its Y
  ASSERT_EQ(Placements.size(), 2u);
  EXPECT_EQ(Placements[0].Bar, TTrackBar::EQHeatMap);
  EXPECT_FLOAT_EQ(Placements[0].X, eqsl.BulletList.TrackBarAnchorX - 60.0f);
  EXPECT_TRUE(Placements[0].SetX && Placements[0].SetY && Placements[1].SetY);
  EXPECT_EQ(Placements[1].Bar, TTrackBar::History);
  EXPECT_FALSE(Placements[1].SetX);
  Show(TPageKind::EQSL, 3);
  ASSERT_EQ(Placements.size(), 2u);
  EXPECT_TRUE(Placements[1].SetX);
  EXPECT_FLOAT_EQ(Placements[1].X, eqsl.RankingChart.TrackBarAnchorX - 60.0f);
  Show(TPageKind::MYGP, 6);
  ASSERT_EQ(Placements.size(), 1u);
  EXPECT_EQ(Placements[0].Bar, TTrackBar::Zone);
  EXPECT_FLOAT_EQ(Placements[0].X, Pages->MYGPGraphic.SecondRankingTable.TrackBarAnchorX - 40.0f);
  Show(TPageKind::FIGF, 7);
  EXPECT_TRUE(Placements.empty());
}

std::string Percent(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %%", v * 100.0);
  return text;
}

std::string MonthText(double date) {
  static const char* const kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                        "July",    "August",   "September", "October", "November", "December"};
  const platform::CivilDate d = platform::DecodeDate(date);
  return std::string(kMonths[d.Month - 1]) + " " + std::to_string(d.Year);
}

// Return (P_n / P_0)^(12 / n) - 1, deviation of the n returns (over n) x
// sqrt 12, and the deepest fall below the running peak, each as the box writes them.
std::array<std::string, 3> ZoneFigures(const std::vector<TDataPoint>& points) {
  const std::size_t n = points.empty() ? 0 : points.size() - 1;
  if (n == 0) return {"n.c.", "n.c.", "n.c."};
  std::vector<double> returns;
  double peak = points[0].Value, drawdown = 0.0;
  for (std::size_t k = 1; k <= n; ++k) {
    returns.push_back(points[k].Value / points[k - 1].Value - 1.0);
    peak = std::max(peak, points[k].Value);
    drawdown = std::min(drawdown, points[k].Value / peak - 1.0);
  }
  double mean = 0.0, variance = 0.0;
  for (double r : returns) mean += r / static_cast<double>(n);
  for (double r : returns) variance += (r - mean) * (r - mean) / static_cast<double>(n);
  const double annual = std::pow(points[n].Value / points[0].Value, 12.0 / static_cast<double>(n)) - 1.0;
  return {Percent(annual), Percent(std::sqrt(variance) * std::sqrt(12.0)), Percent(drawdown)};
}

// A drag backwards over the NAV history: the earlier month first and, per
// series, the three figures over the chart's points in the zone; the band
// repaints the page; release hides the box. One month gives "n.c.".
TEST_F(ChartAreaTest, ZoneDragShowsTheStatisticsOfTheChartPoints) {
  Show(TPageKind::MYGP, 9);
  const TViewArea range = Pages->MYGPGraphic.GetViewRange();
  TSeriesComparisonChart chart;
  Pages->MYGPGraphic.GetViewData(chart);
  ASSERT_GE(chart.SeriesCount, 2);

  const QPointF from = InPlot(range, 0.8), to = InPlot(range, 0.25);
  Press(from);
  EXPECT_FALSE(Area->ZoneBox->isVisible());
  Drag(InPlot(range, 0.5));
  Drag(to);
  ASSERT_TRUE(Area->ZoneBox->isVisible());
  const double start = chart.GetValuesAt(static_cast<float>(to.x())).front().Date;
  const double end = chart.GetValuesAt(static_cast<float>(from.x())).front().Date;
  ASSERT_LT(start, end);
  EXPECT_EQ(Area->ZoneTexts[0]->Text, MonthText(start));
  EXPECT_EQ(Area->ZoneTexts[1]->Text, MonthText(end));
  for (std::int32_t i = 0; i < 3; ++i) {
    const auto figures =
        i < chart.SeriesCount ? ZoneFigures(chart.GetPointsInRange(i, start, end)) : std::array<std::string, 3>{};
    for (std::size_t row = 0; row < 3; ++row)
      EXPECT_EQ(Area->ZoneTexts[2 + row * 3 + static_cast<std::size_t>(i)]->Text, figures[row])
          << "series " << i << " row " << row;
  }
  EXPECT_EQ(Area->ZoneBox->pos(), QPoint(qRound(chart.ViewArea().Left + 10.0f), qRound(chart.ViewArea().Top + 10.0f)));
  const int draws = Area->PageDrawCount();
  Area->repaint();
  EXPECT_EQ(Area->PageDrawCount(), draws + 1);  // the band lies under the page: drawn again
  apptest::SaveShot(*Area, "chart_area_zone");

  Release(to);
  EXPECT_FALSE(Area->ZoneBox->isVisible());
  EXPECT_TRUE(Area->Zone.ZoneStartValues.empty());

  // A drag of one pixel that stays on one month (the system drops a move that goes nowhere).
  const QPointF month = InPlot(range, 0.6);
  const auto dateAt = [&chart](double x) { return chart.GetValuesAt(static_cast<float>(x)).front().Date; };
  const double step = dateAt(month.x() + 1.0) == dateAt(month.x()) ? 1.0 : -1.0;
  ASSERT_EQ(dateAt(month.x() + step), dateAt(month.x()));
  Press(month);
  Drag(month + QPointF(step, 0.0));
  ASSERT_TRUE(Area->ZoneBox->isVisible());
  for (std::size_t row = 0; row < 3; ++row)
    for (std::size_t i = 0; i < 3; ++i)
      EXPECT_EQ(Area->ZoneTexts[2 + row * 3 + i]->Text, static_cast<std::int32_t>(i) < chart.SeriesCount ? "n.c." : "")
          << row << " " << i;
  // Out of the chart with the button held, released outside: the zone ends.
  Leave();
  Pointer->Release(QPoint(kMargin / 2, kMargin / 2));
  EXPECT_FALSE(Area->ZoneBox->isVisible());
}

// Hover shows the values under the pointer (chart view: a row per series;
// bar view: the segment's own value, one marker); leave and press hide them.
TEST_F(ChartAreaTest, ValueIndicatorsFollowHoverAndHideOnLeaveAndPress) {
  Show(TPageKind::MYGP, 9);
  TMYGPGraphic& page = Pages->MYGPGraphic;
  const TViewArea range = page.GetViewRange();
  const QPointF at = InPlot(range, 0.5);
  Hover(at);
  const std::vector<TDataPoint> values = page.GetValuesAt(static_cast<float>(at.x()), static_cast<float>(at.y()));
  ASSERT_GE(values.size(), 2u);
  ASSERT_TRUE(Area->ValueBox->isVisible());
  std::string text;
  page.FormatValue(values[0].Value, text);
  EXPECT_EQ(Area->ValueRows[1]->Text, text);
  EXPECT_TRUE(Area->ValueMarkers[1]->isVisible());
  EXPECT_EQ(Area->ValueRows[2]->isVisibleTo(Area->ValueBox), values.size() > 1);
  EXPECT_EQ(Area->ValueRows[3]->isVisibleTo(Area->ValueBox), values.size() > 2);
  EXPECT_EQ(Area->ValueBox->height(), qRound(24.0f * static_cast<float>(values.size() + 1) + 15.0f));
  const platform::TPointF point = page.DataToScreen(values[0]);
  EXPECT_EQ(Area->ValueMarkers[0]->pos(), QPoint(qRound(point.X - 4.0f), qRound(point.Y - 4.0f + 2.0f)));
  apptest::SaveShot(*Area, "chart_area_values");
  Leave();
  EXPECT_FALSE(Area->ValueBox->isVisible());
  EXPECT_FALSE(Area->ValueMarkers[0]->isVisible());
  Hover(at);
  ASSERT_TRUE(Area->ValueBox->isVisible());
  Press(at);
  EXPECT_FALSE(Area->ValueBox->isVisible());
  Release(at);

  // Bar view: find a point over a segment.
  Show(TPageKind::MYGP, 1);
  const TViewArea bars = page.GetViewRange();
  QPointF onBar(-1.0, -1.0);
  std::vector<TDataPoint> pair;
  for (double fy = 0.9; fy > 0.1 && onBar.x() < 0.0; fy -= 0.05) {
    const QPointF p(bars.Left + bars.Width * 0.5, bars.SpanTop + (bars.SpanBottom - bars.SpanTop) * fy);
    pair = page.GetValuesAt(static_cast<float>(p.x()), static_cast<float>(p.y()));
    if (pair.size() == 2) onBar = p;
  }
  ASSERT_GE(onBar.x(), 0.0);
  Hover(onBar);
  ASSERT_TRUE(Area->ValueBox->isVisible());
  page.FormatValue(pair[1].Value, text);
  EXPECT_EQ(Area->ValueRows[1]->Text, text);
  EXPECT_FALSE(Area->ValueRows[2]->isVisibleTo(Area->ValueBox));
  EXPECT_FALSE(Area->ValueRows[3]->isVisibleTo(Area->ValueBox));
  EXPECT_TRUE(Area->ValueMarkers[0]->isVisible());
  EXPECT_FALSE(Area->ValueMarkers[1]->isVisible());
  EXPECT_EQ(Area->ValueBox->height(), 2 * 24 + 15);
  apptest::SaveShot(*Area, "chart_area_bar_values");
  Leave();
  EXPECT_FALSE(Area->ValueBox->isVisible());
}

// A horizontal drag of 20 pixels moves every page's cursors two points back
// (19 pixels nothing); the shift indicator then shows; a double click in
// the view puts every cursor and track bar back, outside it nothing.
TEST_F(ChartAreaTest, DragShiftsCursorsAndDoubleClickResets) {
  struct TCase {
    double Dx;
    bool Moved;
  };
  for (const TCase& c : {TCase{19.0, false}, TCase{-20.0, false}, TCase{20.0, true}}) {
    Show(TPageKind::MYGP, 1);
    ASSERT_FALSE(Pages->MYGPGraphic.HasNextItem());
    const QPointF at = InPlot(Pages->MYGPGraphic.GetViewRange(), 0.5);
    Press(at);
    Drag(at + QPointF(c.Dx, 0.0));
    Release(at + QPointF(c.Dx, 0.0));
    EXPECT_EQ(Pages->MYGPGraphic.HasNextItem(), c.Moved) << c.Dx;
    Area->repaint();
    EXPECT_EQ(Area->ShiftIndicator->isVisible(), c.Moved) << c.Dx;
  }
  apptest::SaveShot(*Area, "chart_area_shifted");
  const platform::TPointF item = Pages->MYGPGraphic.GetCurrentItem();
  EXPECT_EQ(Area->ShiftIndicator->pos(), QPoint(qRound(item.X + 2.0f), qRound(item.Y + 2.0f)));  // centred in 16

  QSignalSpy resets(Area.get(), &TChartArea::TrackBarsReset);
  View.ZoneTrack.Position = 7;
  Pointer->DoubleClick(OnChart(QPointF(2, 2)));  // outside the view
  EXPECT_EQ(resets.count(), 0);
  EXPECT_TRUE(Pages->MYGPGraphic.HasNextItem());
  const QPointF at = InPlot(Pages->MYGPGraphic.GetViewRange(), 0.5);
  Pointer->DoubleClick(OnChart(at));
  EXPECT_EQ(resets.count(), 1);
  EXPECT_FALSE(Pages->MYGPGraphic.HasNextItem());
  EXPECT_EQ(View.ZoneTrack.Position, 0);
  EXPECT_EQ(View.PaintPhase, 2);
  Area->repaint();
  EXPECT_FALSE(Area->ShiftIndicator->isVisible());
}

// After a horizontal drag on every view, the shift indicator lies inside
// the chart area on the page's background: it covers no text (the
// "(Month End)" title of the heat maps and bar charts) and no drawing.
TEST_F(ChartAreaTest, ShiftIndicatorCoversNothingOfThePage) {
  int shown = 0;
  for (const pagefixture::TPageView& pageView : pagefixture::ReachableViews()) {
    ShowView(pageView);
    bool hasNext = true;
    Pages->WithPage(pageView.Kind, [&](auto& page) {
      const TViewArea range = page.GetViewRange();
      const QPointF at(range.Left + range.Width * 0.5, range.Top + range.Height * 0.5);
      Press(at);
      Drag(at + QPointF(40.0, 0.0));
      Release(at + QPointF(40.0, 0.0));
      hasNext = page.HasNextItem();
    });
    Area->repaint();
    if (!hasNext) continue;
    ASSERT_TRUE(Area->ShiftIndicator->isVisible()) << pageView.Name;
    ++shown;
    const QRect marker = Area->ShiftIndicator->geometry();
    EXPECT_TRUE(Area->rect().contains(marker)) << pageView.Name;
    const QImage& drawing = Area->ShownImage();
    int ink = 0;
    for (int y = marker.top() - 1; y <= marker.bottom() + 1; ++y)
      for (int x = marker.left() - 1; x <= marker.right() + 1; ++x)
        if (drawing.rect().contains(x, y) && drawing.pixel(x, y) != claApplicationBkgColor) ++ink;
    EXPECT_EQ(ink, 0) << pageView.Name << ": the indicator at (" << marker.x() << ", " << marker.y()
                      << ") covers drawn pixels";
    if (pageView.Name == "EQBL_v01") apptest::SaveShot(*Area, "chart_area_heat_map_shifted");
  }
  EXPECT_GE(shown, 5);
}

// The value box and its markers stay inside the chart area for every view
// that gives values, wherever the pointer rests on its plot, with the chart
// area of the smallest, the reference and a large window (the box stands
// above the first marker; near the top of the area it must not be cut).
TEST_F(ChartAreaTest, ValueIndicatorsStayInsideTheChartArea) {
  for (const QSize window : {QSize(1728, 972), QSize(1920, 1080), QSize(2560, 1440)}) {
    const pagefixture::TChartArea size = pagefixture::ChartArea(window.width(), window.height());  // sets the ratios
    Window->resize(qRound(size.Width) + 2 * kMargin, qRound(size.Height) + 2 * kMargin);
    Area->setGeometry(kMargin, kMargin, qRound(size.Width), qRound(size.Height));
    int shown = 0;
    for (const pagefixture::TPageView& pageView : pagefixture::ReachableViews()) {
      ShowView(pageView);
      TViewArea range;
      bool givesValues = false;
      Pages->WithPage(pageView.Kind, [&](auto& page) {
        givesValues = page.ViewHasFeature(0);
        range = page.GetViewRange();
      });
      if (!givesValues) continue;
      for (double fx = 0.02; fx < 1.0; fx += 0.12) {
        for (double fy = 0.0; fy <= 1.0; fy += 0.1) {
          const QPointF at(range.Left + range.Width * fx, range.SpanTop + (range.SpanBottom - range.SpanTop) * fy);
          Hover(at);
          if (!Area->ValueBox->isVisible()) continue;
          ++shown;
          const QRect box = Area->ValueBox->geometry();
          EXPECT_TRUE(Area->rect().contains(box))
              << window.width() << " x " << window.height() << ", " << pageView.Name << " at (" << at.x() << ", "
              << at.y() << "): box (" << box.x() << ", " << box.y() << ", " << box.width() << " x " << box.height()
              << ")";
          for (const QWidget* marker : Area->ValueMarkers)
            EXPECT_TRUE(!marker->isVisible() || Area->rect().contains(marker->geometry())) << pageView.Name;
        }
      }
      Leave();
    }
    EXPECT_GE(shown, 100) << window.width();
  }
  pagefixture::ChartArea(1920, 1080);
}

// A run of wheel scrolls is one pan: it shifts like a drag and ends when its
// quiet timer fires.
TEST_F(ChartAreaTest, WheelRunPansAndEndsOnItsTimer) {
  Show(TPageKind::MYGP, 1);
  const QPointF at = InPlot(Pages->MYGPGraphic.GetViewRange(), 0.5);
  for (int i = 0; i < 2; ++i) {
    Pointer->Wheel(OnChart(at), QPoint(10, 0), QPoint(0, 0));
  }
  EXPECT_TRUE(Area->WheelRunActive());
  EXPECT_TRUE(Area->Shift.ViewShiftActive);
  EXPECT_TRUE(Area->WheelRunTimer.isActive());
  EXPECT_EQ(Area->WheelRunTimer.interval(), TChartArea::kWheelRunQuietMs);
  EXPECT_TRUE(Pages->MYGPGraphic.HasNextItem());
  QMetaObject::invokeMethod(&Area->WheelRunTimer, "timeout", Qt::DirectConnection);
  EXPECT_FALSE(Area->WheelRunActive());
  EXPECT_FALSE(Area->Shift.ViewShiftActive);
}

// A click on a country name of the EQQV or EQBL grid selects that country
// (Rank - 1) on both pages; elsewhere, or for a rank outside the
// per-country data, nothing changes.
TEST_F(ChartAreaTest, ChartClickOnACountryNameSelectsItOnBothPages) {
  for (TPageKind kind : {TPageKind::EQQV, TPageKind::EQBL}) {
    Show(kind, 0);
    const TEQBLGraphic& page =
        kind == TPageKind::EQQV ? static_cast<const TEQBLGraphic&>(Pages->EQQVGraphic) : Pages->EQBLGraphic;
    QPoint hit(-1, -1);
    TCountry* country = nullptr;
    for (int y = 0; y < kHeight && !country; y += 4)
      for (int x = 0; x < kWidth && !country; x += 6) {
        const std::string hint = page.GetHintAt(static_cast<float>(x), static_cast<float>(y));
        for (TCountry& c : vcMyExternCountryList)
          if (!hint.empty() && c.Name == hint && c.Rank - 1 != View.CountryListIndex && c.Rank > 1) {
            country = &c;
            hit = {x, y};
          }
      }
    ASSERT_NE(country, nullptr);
    const std::size_t index = static_cast<std::size_t>(country->Rank - 1);
    ASSERT_LT(index, cMyExternEQQVGraphicData.CountryData.size());
    QSignalSpy chosen(Area.get(), &TChartArea::CountryChosen);

    // A rank outside the per-country data: nothing.
    const std::int32_t rank = country->Rank;
    const std::int32_t listIndex = View.CountryListIndex;
    country->Rank = static_cast<std::int32_t>(cMyExternEQQVGraphicData.CountryData.size()) + 1;
    Click(hit);
    country->Rank = rank;
    EXPECT_EQ(View.CountryListIndex, listIndex);
    EXPECT_EQ(chosen.count(), 0);

    // While a step runs the click reads nothing.
    Area->PagesBusy = [] { return true; };
    Click(hit);
    Area->PagesBusy = nullptr;
    EXPECT_EQ(chosen.count(), 0);

    const std::vector<double> qvBefore = Pages->EQQVGraphic.CountryCharts.Wealth.ModelValues;
    const std::vector<double> blBefore = Pages->EQBLGraphic.CountryCharts.Wealth.ModelValues;
    Click(hit);
    EXPECT_EQ(View.CountryListIndex, static_cast<std::int32_t>(index));
    EXPECT_EQ(View.QVListTitle1, cMyExternEQQVGraphicData.CountryData[index].Name);
    EXPECT_EQ(chosen.count(), 1);
    EXPECT_NE(Pages->EQQVGraphic.CountryCharts.Wealth.ModelValues, qvBefore);
    EXPECT_NE(Pages->EQBLGraphic.CountryCharts.Wealth.ModelValues, blBefore);
    Pages->EQQVGraphic.SelectItem(0, true);
    Pages->EQBLGraphic.SelectItem(0, true);
  }
  // Not on the EQQV or EQBL page: no effect.
  Show(TPageKind::EQSL, 0);
  const std::int32_t listIndex = View.CountryListIndex;
  QSignalSpy chosen(Area.get(), &TChartArea::CountryChosen);
  const TViewArea range = Pages->EQSLGraphic.GetViewRange();
  Click(QPointF(range.Left + range.Width / 2, range.Top + range.Height / 2));
  EXPECT_EQ(chosen.count(), 0);
  EXPECT_EQ(View.CountryListIndex, listIndex);
}

// A hovered grid element keeps its highlight while the pointer moves over
// it, loses it when the pointer leaves it, and a new drawing of the page
// shows it plain.
TEST_F(ChartAreaTest, HoverHighlightLastsWhileThePointerStaysOnItsElement) {
  Show(TPageKind::EQBL, 0);
  const TEQBLGraphic& page = Pages->EQBLGraphic;
  // An element three pixels wide at least (its hint the same), and a point on no element.
  QPointF on(-1.0, -1.0), off(-1.0, -1.0);
  for (int y = 0; y < kHeight && on.x() < 0.0; y += 4)
    for (int x = 0; x + 3 < kWidth && on.x() < 0.0; x += 6) {
      const std::string hint = page.GetHintAt(static_cast<float>(x), static_cast<float>(y));
      if (!hint.empty() && hint == page.GetHintAt(static_cast<float>(x + 3), static_cast<float>(y)))
        on = {x + 0.0, y + 0.0};
    }
  for (int y = kHeight - 5; y > 0 && off.x() < 0.0; y -= 7)
    if (page.GetHintAt(5.0f, static_cast<float>(y)).empty()) off = {5.0, y + 0.0};
  ASSERT_GE(on.x(), 0.0);
  ASSERT_GE(off.x(), 0.0);
  Hover(off);
  const QImage plain = Area->ShownImage().copy();
  const int draws = Area->PageDrawCount();
  Hover(on);
  const QImage highlighted = Area->ShownImage().copy();
  EXPECT_NE(highlighted, plain);
  Hover(on + QPointF(3.0, 0.0));  // still on the element
  EXPECT_EQ(Area->ShownImage(), highlighted);
  Hover(off);
  EXPECT_NE(Area->ShownImage(), highlighted);
  EXPECT_EQ(Area->PageDrawCount(), draws);  // hover draws the element, not the page
  Area->RequestRepaint(1);
  Area->repaint();
  EXPECT_EQ(Area->ShownImage(), plain);
}

// A tap inside the chart's span shows the values at the tapped point; a tap
// outside it hides them.
TEST_F(ChartAreaTest, TapShowsTheValuesAtTheTappedPoint) {
  Show(TPageKind::MYGP, 9);
  TMYGPGraphic& page = Pages->MYGPGraphic;
  const TViewArea range = page.GetViewRange();
  const QPointF at = InPlot(range, 0.4);
  Pointer->Tap(OnChart(at));
  ASSERT_TRUE(Area->Indicators.ValueIndicatorsShown);
  EXPECT_TRUE(Area->ValueBox->isVisible());
  const std::vector<TDataPoint> values = page.GetValuesAt(static_cast<float>(at.x()), static_cast<float>(at.y()));
  ASSERT_FALSE(values.empty());
  std::string text;
  page.FormatValue(values[0].Value, text);
  EXPECT_EQ(Area->ValueRows[1]->Text, text);
  Pointer->Tap(OnChart(QPointF(range.Left + range.Width * 0.5, range.SpanTop - 20.0)));
  EXPECT_FALSE(Area->Indicators.ValueIndicatorsShown);
  EXPECT_FALSE(Area->ValueBox->isVisible());
}

}  // namespace
