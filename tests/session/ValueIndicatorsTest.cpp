// The value indicators: box height, texts, colours and marker positions on
// chart and bar views, hover-label repaints and the hide request.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "common/Globals.h"
#include "platform/DateTime.h"
#include "platform/RecordingCanvas.h"
#include "session/ValueIndicators.h"

namespace {

using session::TIndicatorUpdate;
using session::TValueIndicators;

double MonthEnd(int year, int month) { return platform::EncodeDate(year, month, platform::DaysInMonth(year, month)); }

// 48 month ends from January 2014 to December 2017; f(i) at month i.
TSeries Monthly(const std::function<double(int)>& f) {
  TSeries series;
  for (int i = 0; i < 48; ++i) series.push_back({MonthEnd(2014 + i / 12, i % 12 + 1), f(i)});
  return series;
}

class ValueIndicatorsTest : public ::testing::Test {
 public:
  void SetUp() override {
    fScreenWidthRatio = 1.0f;
    fScreenHeightRatio = 1.0f;
    claReferenceGraphicColor_1 = 0xFF293556;
    claReferenceGraphicColor_2 = 0xFF4A8DB7;
    claReferenceGraphicColor_3 = 0xFFE4E4E4;
    Pages = std::make_unique<TModelPages>();
    State.WorkspaceShown = true;
    SelectGlobal();
  }

  void SelectGlobal() {
    State.SelectedMainTab = 0;
    State.GlobalSubIndex = 0;
  }

  // A line chart of `count` series; the model (series 0) takes `value` at
  // month 35 (December 2016).
  static void Load(TSeriesComparisonChart& chart, int count, double value) {
    TNamedSeriesSet set;
    set[0] = {"First", Monthly([](int i) { return 0.5 - 0.01 * i; })};
    set[1] = {"Second", Monthly([](int i) { return -0.3 + 0.02 * i; })};
    set[2] = {"Model", Monthly([value](int i) { return i == 35 ? value : 0.01 * (i % 7) - 0.02; })};
    chart = TSeriesComparisonChart();
    chart.SetData(set, 0, 0, count, -1, -1.0, -1.0);
    platform::RecordingCanvas canvas;
    chart.Layout(canvas, 0.0f, 200.0f, 1200.0f, 600.0f);
  }

  // A bar chart of four months with holdings A 0.2 and B 0.5.
  static void LoadBars(TSeriesBarChart& chart) {
    std::vector<TAllocationRow> history;
    for (int m = 1; m <= 4; ++m) history.push_back({MonthEnd(2017, m), 0.7, {{"A", 0.2}, {"B", 0.5}}});
    std::vector<TLegendItem> legend{{{"A"}, {}, 0xFF112233}, {{"B"}, {}, 0xFF445566}};
    chart = TSeriesBarChart();
    chart.SetData("Allocation", history, legend, 4, 0.0, 1.0);
    platform::RecordingCanvas canvas;
    chart.Layout(canvas, 0.0f, 200.0f, 1200.0f, 600.0f);
  }

  TIndicatorUpdate Show(float x, float y) {
    return session::UpdateValueIndicators(Indicators, State, *Pages, session::kShowValues, x, y);
  }
  TIndicatorUpdate Hide() {
    return session::UpdateValueIndicators(Indicators, State, *Pages, session::kHideValues, 0, 0);
  }

  // Box and markers hidden; a hide request also hides the value rows.
  void ExpectAllHidden(bool rowsToo) const {
    EXPECT_FALSE(Indicators.ValueIndicatorsShown);
    EXPECT_FALSE(Indicators.BoxVisible);
    if (rowsToo) {
      for (int i = 1; i <= 3; ++i) EXPECT_FALSE(Indicators.Rows[i].Visible) << "row " << i;
    }
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(Indicators.Markers[i].Visible) << "marker " << i + 1;
  }

  std::unique_ptr<TModelPages> Pages;
  session::TViewState State;
  TValueIndicators Indicators;
};

TEST_F(ValueIndicatorsTest, ChartViewsSizeTheBoxAndPlaceOneMarkerPerSeries) {
  struct TRow {
    const char* Name;
    int View;  // 9 wealth (plain), 10 drawdown (percent)
    int Series;
    double Value;
    float Height;
    const char* Text;
  };
  const TRow rows[] = {
      {"one series, plain", 9, 1, 12.5, 63.0f, "12.50"},
      {"two series, percent", 10, 2, 0.0123, 87.0f, "1.23%"},
      {"three series, percent", 10, 3, -0.0345, 111.0f, "-3.45%"},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    TMYGPGraphic& page = Pages->MYGPGraphic;
    TSeriesComparisonChart& chart = row.View == 9 ? page.WealthChart : page.DrawdownChart;
    Load(chart, row.Series, row.Value);
    page.CurrentView = row.View;
    const double date = MonthEnd(2016, 12);
    const platform::TPointF at = chart.DataToScreen({date, row.Value});
    Show(at.X, at.Y);

    EXPECT_TRUE(Indicators.ValueIndicatorsShown);
    EXPECT_TRUE(Indicators.BoxVisible);
    EXPECT_FLOAT_EQ(Indicators.BoxHeight, row.Height);
    EXPECT_EQ(Indicators.Rows[0].Text, "Dec 2016");
    EXPECT_EQ(Indicators.Rows[1].Text, row.Text);
    const std::vector<TDataPoint> values = chart.GetValuesAt(at.X);
    ASSERT_EQ(values.size(), static_cast<std::size_t>(row.Series));
    const TAlphaColor colours[3] = {0xFF293556, 0xFF4A8DB7, 0xFFE4E4E4};
    for (int i = 0; i < 3; ++i) {
      const bool present = i < row.Series;
      EXPECT_EQ(Indicators.Rows[i + 1].Visible, present) << "row " << i + 1;
      EXPECT_EQ(Indicators.Markers[i].Visible, present) << "marker " << i + 1;
      EXPECT_EQ(Indicators.Rows[i + 1].FontColour, colours[i]);
      if (!present) continue;
      const platform::TPointF point = chart.DataToScreen(values[i]);
      EXPECT_FLOAT_EQ(Indicators.Markers[i].X, point.X - 4.0f);
      EXPECT_FLOAT_EQ(Indicators.Markers[i].Y, point.Y - 2.0f);
    }
    const session::TIndicatorMarker& first = Indicators.Markers[0];
    EXPECT_FLOAT_EQ(Indicators.BoxX, first.X + 4.0f - 80.0f + 15.0f + 7.5f);
    EXPECT_FLOAT_EQ(Indicators.BoxY, first.Y - row.Height);
    EXPECT_EQ(Indicators.Rows[0].FontColour, 0xFFFFFFFFu);  // the date row keeps its colour
  }
}

TEST_F(ValueIndicatorsTest, BarViewShowsTheSegmentWithItsMarkerOnTheSegmentTop) {
  State.SelectedMainTab = 1;
  State.EquitySubIndex = 0;  // EQGP, view 0: bars with a hover label
  TEQGPGraphic& page = Pages->EQGPGraphic;
  LoadBars(page.AllocationChart);
  page.CurrentView = 0;
  State.PaintPhase = 3;
  // Mid-height of segment B (from 0.2 to 0.7) of the March bar.
  const double mid = MonthEnd(2017, 3) - 15.0;
  const platform::TPointF at = page.AllocationChart.DataToScreen({mid, 0.45});
  const TIndicatorUpdate first = Show(at.X, at.Y);

  ASSERT_TRUE(Indicators.ValueIndicatorsShown);
  EXPECT_EQ(Indicators.Rows[0].Text, "Mar 2017");
  EXPECT_EQ(Indicators.Rows[1].Text, "50.00%");
  EXPECT_FLOAT_EQ(Indicators.BoxHeight, 63.0f);
  EXPECT_TRUE(Indicators.Markers[0].Visible);
  EXPECT_FALSE(Indicators.Markers[1].Visible);
  EXPECT_FALSE(Indicators.Markers[2].Visible);
  EXPECT_FALSE(Indicators.Rows[2].Visible);
  const platform::TPointF top = page.AllocationChart.DataToScreen({mid, 0.7});
  EXPECT_FLOAT_EQ(Indicators.Markers[0].X, top.X - 4.0f);
  EXPECT_FLOAT_EQ(Indicators.Markers[0].Y, top.Y - 2.0f);
  // The hover label went from none to "B": repaint; the same segment again: none.
  EXPECT_EQ(page.AllocationChart.HoverLabel, "B");
  EXPECT_TRUE(first.Repaint);
  EXPECT_EQ(State.PaintPhase, 1);
  State.PaintPhase = 3;
  EXPECT_FALSE(Show(at.X, at.Y).Repaint);
  EXPECT_EQ(State.PaintPhase, 3);
  // Segment A of the same bar: a new label, a repaint.
  const platform::TPointF low = page.AllocationChart.DataToScreen({mid, 0.1});
  EXPECT_TRUE(Show(low.X, low.Y).Repaint);
  EXPECT_EQ(Indicators.Rows[1].Text, "20.00%");
}

TEST_F(ValueIndicatorsTest, HideClearsTheHoverLabelOfTheViewsBarChart) {
  using TChartOf = TSeriesBarChart& (*)(TModelPages&);
  struct TRow {
    const char* Name;
    std::int32_t MainTab, SubIndex, View;
    TChartOf Chart;
    bool WorkspaceShown, Cleared;
    bool Labelled = true;  // a hover label is shown
  };
  const TChartOf eqqv2 = [](TModelPages& p) -> TSeriesBarChart& { return p.EQQVGraphic.AllocationChart2; };
  const TRow rows[] = {
      {"EQQV view 12", 1, 2, 12, eqqv2, true, true},
      {"EQQV view 12, workspace hidden", 1, 2, 12, eqqv2, false, true},
      {"EQQV view 12, no label shown", 1, 2, 12, eqqv2, true, true, false},
      {"EQBL view 14", 1, 3, 14, [](TModelPages& p) -> TSeriesBarChart& { return p.EQBLGraphic.AllocationChart3; },
       true, true},
      {"FICY view 4", 2, 2, 4, [](TModelPages& p) -> TSeriesBarChart& { return p.FICYGraphic.AllocationChart; }, true,
       true},
      {"EQQV view 10", 1, 2, 10, [](TModelPages& p) -> TSeriesBarChart& { return p.EQQVGraphic.AllocationChart1; },
       true, false},
      {"FIGP view 0", 2, 0, 0, [](TModelPages& p) -> TSeriesBarChart& { return p.FIGPGraphic.AllocationChart; }, true,
       false},
      {"MYGP view 1", 0, 0, 1, [](TModelPages& p) -> TSeriesBarChart& { return p.MYGPGraphic.AllocationChart; }, true,
       false},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    State.SelectedMainTab = row.MainTab;
    State.GlobalSubIndex = row.MainTab == 0 ? row.SubIndex : -1;
    State.EquitySubIndex = row.MainTab == 1 ? row.SubIndex : -1;
    State.BondSubIndex = row.MainTab == 2 ? row.SubIndex : -1;
    const TPageKind kind = PageForTab(row.MainTab, State.GlobalSubIndex, State.EquitySubIndex, State.BondSubIndex);
    Pages->WithPage(kind, [&](auto& page) { page.CurrentView = row.View; });
    State.WorkspaceShown = row.WorkspaceShown;
    State.PaintPhase = 3;
    TSeriesBarChart& chart = row.Chart(*Pages);
    chart.HoverLabel = row.Labelled ? "B" : "";
    chart.PreviousHoverLabel = row.Labelled ? "A" : "";
    Indicators.ValueIndicatorsShown = Indicators.BoxVisible = Indicators.Markers[0].Visible = true;
    Indicators.Rows[1].Visible = true;

    const bool repaint = row.Cleared && row.WorkspaceShown && row.Labelled;
    EXPECT_EQ(Hide().Repaint, repaint);
    EXPECT_EQ(chart.HoverLabel.empty(), row.Cleared);
    EXPECT_EQ(chart.PreviousHoverLabel.empty(), row.Cleared);
    EXPECT_EQ(State.PaintPhase, repaint ? 1 : 3);
    ExpectAllHidden(true);
  }
}

TEST_F(ValueIndicatorsTest, NoValuesHideEverything) {
  TMYGPGraphic& page = Pages->MYGPGraphic;
  Load(page.WealthChart, 3, 1.5);
  page.CurrentView = 9;
  const platform::TPointF at = page.WealthChart.DataToScreen({MonthEnd(2016, 12), 1.5});
  struct TRow {
    const char* Name;
    std::function<void(ValueIndicatorsTest&)> Change;
    float X;
  };
  const TRow rows[] = {
      {"no main tab chosen", [](ValueIndicatorsTest& t) { t.State.SelectedMainTab = 3; }, at.X},
      {"sub-index outside the table", [](ValueIndicatorsTest& t) { t.State.GlobalSubIndex = 1; }, at.X},
      {"a view without values", [](ValueIndicatorsTest& t) { t.Pages->MYGPGraphic.CurrentView = 8; }, at.X},
      // Last: the chart stays without data.
      {"a chart without data", [](ValueIndicatorsTest& t) { t.Pages->MYGPGraphic.WealthChart.Loaded = false; }, at.X},
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(row.Name);
    SelectGlobal();
    page.CurrentView = 9;
    Show(at.X, at.Y);
    ASSERT_TRUE(Indicators.ValueIndicatorsShown);
    const std::string shownValue = Indicators.Rows[1].Text;
    row.Change(*this);
    Show(row.X, at.Y);
    ExpectAllHidden(false);
    EXPECT_EQ(Indicators.Rows[1].Text, shownValue);  // texts are set only when values show
  }
  // A date in January reads "Jan".
  EXPECT_EQ(session::IndicatorDateText(MonthEnd(2015, 1)), "Jan 2015");
}

}  // namespace
