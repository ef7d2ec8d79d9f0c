#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "session/ChartShift.h"

namespace session {
namespace {

constexpr TTrackBarGeometry kGeometry{10.0, 230.0, 0.0, 50.0};  // 180 px of travel
const TTrackBarGeometries kBars{kGeometry, kGeometry, kGeometry, kGeometry, kGeometry, kGeometry};

std::vector<TLabelledSeries> Rows(int count) {
  std::vector<TLabelledSeries> rows;
  for (int i = 0; i < count; ++i) rows.push_back({{"R" + std::to_string(i), "Europe"}, {{40000.0, 1.0}}});
  return rows;
}

// The nine pages; MYGP's and EQGP's allocation bars hold 60 months with the
// window ending at month 30; EQGP's ranking table 46 rows; the ranking pages'
// histories 40 rows.
struct TShiftFixture {
  std::unique_ptr<TModelPages> Pages = std::make_unique<TModelPages>();
  TViewState View;
  TChartShiftState Shift;

  TShiftFixture(std::int32_t mainTab, std::int32_t subIndex) {
    TModelPages& p = *Pages;
    p.Init();
    std::vector<TAllocationRow> history(60);
    for (std::size_t i = 0; i < history.size(); ++i) history[i].Date = 30000.0 + 30.0 * static_cast<double>(i);
    for (TSeriesBarChart* bars : {&p.MYGPGraphic.AllocationChart, &p.EQGPGraphic.AllocationChart}) {
      bars->SetData("", history, {}, 25, 0.0, 1.0);
      bars->LastIndex = 30;
    }
    std::vector<TRegionAllocationRow> ranking(7);
    for (int r = 0; r < 6; ++r) ranking[static_cast<std::size_t>(r)].Items.resize(7);
    p.EQGPGraphic.RankingTable.SetData(ranking, true, "A", "B");
    p.FISLGraphic.RankingChart.SetData(Rows(40), 25, 16, 0);
    p.FISLGraphic.SelectionChart.SetData(Rows(40), 25, 16, 0);
    View.WorkspaceShown = true;
    View.SelectedMainTab = mainTab;
    View.GlobalSubIndex = View.EquitySubIndex = View.BondSubIndex = subIndex;
  }

  // A drag from (0, 0) through the given points.
  TShiftOutcome Drag(const std::vector<std::pair<float, float>>& points) {
    ShiftSelectedView(Shift, View, *Pages, 0, 0.0f, 0.0f, kBars);
    TShiftOutcome last;
    for (const auto& [x, y] : points) last = ShiftSelectedView(Shift, View, *Pages, 1, x, y, kBars);
    return last;
  }
};

TEST(ChartShiftTest, HorizontalDragMovesEveryTimeWindowTwoPointsPerTwentyPixels) {
  struct Case {
    const char* name;
    std::vector<std::pair<float, float>> points;
    std::int32_t moved;  // change of the bars' last index
    std::int32_t mainTab = 0;
    bool shown = true;
  };
  const Case cases[] = {
      {"19 px right", {{19.0f, 0.0f}}, 0},
      {"20 px right: older", {{20.0f, 0.0f}}, -2},
      {"20 px left: newer", {{-20.0f, 0.0f}}, 2},
      {"40 px left in four moves", {{-10.0f, 0.0f}, {-20.0f, 0.0f}, {-30.0f, 0.0f}, {-40.0f, 0.0f}}, 4},
      {"45 px left in one move: one step", {{-45.0f, 0.0f}}, 2},
      {"9 px down does not move a chart", {{0.0f, 9.0f}}, 0},
      // The first move back (to -5) re-anchors there: 19 px on are no step, 20 px are.
      {"reversal, 19 px past it", {{-15.0f, 0.0f}, {-5.0f, 0.0f}, {14.0f, 0.0f}}, 0},
      {"reversal, 20 px past it", {{-15.0f, 0.0f}, {-5.0f, 0.0f}, {15.0f, 0.0f}}, -2},
      {"no page selected", {{-20.0f, 0.0f}}, 2, kNoMainTab},
      {"workspace hidden", {{-20.0f, 0.0f}}, 2, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TShiftFixture f(c.mainTab, 0);
    f.Pages->MYGPGraphic.CurrentView = 1;
    f.View.WorkspaceShown = c.shown;
    const TShiftOutcome outcome = f.Drag(c.points);
    EXPECT_EQ(f.Pages->MYGPGraphic.AllocationChart.LastIndex, 30 + c.moved);
    EXPECT_EQ(f.Pages->EQGPGraphic.AllocationChart.LastIndex, 30 + c.moved);
    EXPECT_EQ(outcome.RepaintPhase, c.shown ? 1 : kNoRepaint);  // also when nothing moved
    EXPECT_EQ(outcome.Moved, TTrackBar::None);
    EXPECT_TRUE(f.Shift.ViewShiftActive);
  }
}

TEST(ChartShiftTest, VerticalDragScrollsRankingFxAndHistoryRows) {
  struct Case {
    const char* name;
    std::int32_t mainTab, subIndex, view;
    float dy;  // pointer moves by -dy (up) from the press
    TTrackBar bar;
    std::int32_t position;
    std::int32_t phase;
    std::int32_t windowMoved;
  };
  const Case cases[] = {
      {"ranking 10 px up", 1, 0, 3, 10.0f, TTrackBar::Zone, 6, 2, 0},
      {"ranking 9 px up", 1, 0, 3, 9.0f, TTrackBar::Zone, 5, 2, 0},
      {"ranking 10 px down", 1, 0, 3, -10.0f, TTrackBar::Zone, 4, 2, 0},
      {"FX 10 px up", 1, 0, 4, 10.0f, TTrackBar::FX, 6, 2, 0},
      {"history 10 px up", 2, 1, 3, 10.0f, TTrackBar::History, 6, 2, 0},
      // Under 10 px a history view takes the horizontal shift (20 px left here).
      {"history 9 px up", 2, 1, 2, 9.0f, TTrackBar::None, 5, 1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TShiftFixture f(c.mainTab, c.subIndex);
    if (c.mainTab == 1)
      f.Pages->EQGPGraphic.CurrentView = c.view;
    else
      f.Pages->FISLGraphic.CurrentView = c.view;
    for (TrackBarState* bar : f.View.TrackBars()) bar->Position = 5;
    f.View.HistoryTrack.ItemCount = 10;  // the refresh's count of another model's rows

    const TShiftOutcome outcome = f.Drag({{-20.0f, -c.dy}});
    EXPECT_EQ(outcome.Moved, c.bar);
    EXPECT_EQ(outcome.RepaintPhase, c.phase);
    EXPECT_EQ(f.Pages->EQGPGraphic.AllocationChart.LastIndex, 30 + c.windowMoved);
    const TrackBarState& moved = c.bar == TTrackBar::None ? f.View.HistoryTrack : TrackBarRecord(f.View, c.bar);
    EXPECT_EQ(moved.Position, c.position);
    EXPECT_EQ(moved.CommittedPosition, -1);  // the drag never commits
    if (c.bar != TTrackBar::None) {
      EXPECT_DOUBLE_EQ(outcome.CursorTop, moved.Position * 180.0 / (moved.ItemCount - 16));
    }
    if (c.bar == TTrackBar::Zone) {
      EXPECT_EQ(f.Pages->EQGPGraphic.RankingTable.ScrollPosition(), c.position);
    }
    if (c.bar == TTrackBar::History) {
      EXPECT_EQ(f.View.HistoryTrack.ItemCount, 40);  // the history on screen
      EXPECT_EQ(f.Pages->FISLGraphic.RankingChart.ScrollPosition(), c.position);
    }
  }
}

TEST(ChartShiftTest, PointerHandlersBeginContinueAndEndTheDrag) {
  TShiftFixture f(0, 0);
  TModelPages& p = *f.Pages;
  p.MYGPGraphic.CurrentView = 7;  // FX hedging: its table is the view area, 100..300 x 100..400
  TFXHedgingTable& fx = p.MYGPGraphic.HedgingTable;
  fx.Left = 100.0f;
  fx.Top = 100.0f;
  fx.Width = 200.0f;
  fx.Height = 300.0f;

  // A press outside the area begins nothing.
  PressChart(f.Shift, f.View, p, 350.0f, 200.0f, true, false);
  EXPECT_FALSE(f.Shift.ViewShiftActive);
  EXPECT_FLOAT_EQ(f.Shift.LastPointerX, 350.0f);

  PressChart(f.Shift, f.View, p, 200.0f, 200.0f, true, false);
  EXPECT_TRUE(f.Shift.ViewShiftActive);
  EXPECT_EQ(MoveOverChart(f.Shift, f.View, p, 200.0f, 150.0f, false, kBars).RepaintPhase, kNoRepaint);
  EXPECT_FLOAT_EQ(f.Shift.LastPointerY, 150.0f);
  // A left move inside continues: 10 px up scrolls the FX rows by one.
  EXPECT_EQ(MoveOverChart(f.Shift, f.View, p, 200.0f, 190.0f, true, kBars).Moved, TTrackBar::FX);
  EXPECT_EQ(f.View.FXTrack.Position, 1);
  // Outside the area the drag ends; the anchors stay.
  EXPECT_EQ(MoveOverChart(f.Shift, f.View, p, 301.0f, 150.0f, true, kBars).Moved, TTrackBar::None);
  EXPECT_FALSE(f.Shift.ViewShiftActive);
  EXPECT_FLOAT_EQ(f.Shift.ShiftAnchorY, 190.0f);
  EXPECT_EQ(f.View.FXTrack.Position, 1);

  PressChart(f.Shift, f.View, p, 300.0f, 400.0f, true, false);  // bounds included
  EXPECT_TRUE(f.Shift.ViewShiftActive);
  PressChart(f.Shift, f.View, p, 200.0f, 200.0f, false, true);  // a right press ends it
  EXPECT_FALSE(f.Shift.ViewShiftActive);
}

}  // namespace
}  // namespace session
