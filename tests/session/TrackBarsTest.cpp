#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "TrackBarContent.h"
#include "session/TrackBars.h"

namespace session {
namespace {

// Guide from Y 10, 230 high; cursor 50 high: 180 px of travel.
constexpr TTrackBarGeometry kGeometry{10.0, 230.0, 0.0, 50.0};

TTrackBarGeometry At(double cursorTop, double guideHeight = 230.0, double cursorHeight = 50.0) {
  return {10.0, guideHeight, cursorTop, cursorHeight};
}

TTrackBarGeometries AllBars(const TTrackBarGeometry& g) { return {g, g, g, g, g, g}; }

TrackBarState Bar(std::int32_t items, std::int32_t pageSize, std::int32_t position) {
  TrackBarState state{16.0, items, pageSize};
  state.Position = position;
  return state;
}

std::vector<TLabelledSeries> Rows(int count, const std::string& prefix) {
  std::vector<TLabelledSeries> rows;
  for (int i = 0; i < count; ++i) rows.push_back({{prefix + std::to_string(i), "Europe"}, {{40000.0, 1.0}}});
  return rows;
}

// Six regions of seven countries and the closing row: 46 body rows.
std::vector<TRegionAllocationRow> RankingRows() {
  std::vector<TRegionAllocationRow> rows(7);
  for (int r = 0; r < 6; ++r) rows[static_cast<std::size_t>(r)].Items.resize(7);
  return rows;
}

// Pages whose scrolled widgets hold data: 28 FX rows, 46 ranking rows,
// 40 history rows (EQBL 8 group rows), a closing ranking of 24 entries.
struct TPagesWithData {
  std::unique_ptr<TModelPages> Pages = std::make_unique<TModelPages>();
  std::vector<TLabelledSeries> RankingPages = Rows(24, "C");

  TPagesWithData() {
    TModelPages& p = *Pages;
    p.Init();
    std::vector<TFXHedgingPosition> fx(28);
    for (TFXHedgingTable* t : {&p.MYGPGraphic.HedgingTable, &p.EQGPGraphic.HedgingTable, &p.FIGPGraphic.HedgingTable})
      t->SetData(fx);
    for (TCountryRankingTable* t : {&p.MYGPGraphic.RankingTable, &p.MYGPGraphic.SecondRankingTable,
                                    &p.EQGPGraphic.RankingTable, &p.FIGPGraphic.RankingTable})
      t->SetData(RankingRows(), true, "A", "B");
    for (TRankingGraphic* page :
         {static_cast<TRankingGraphic*>(&p.EQSLGraphic), static_cast<TRankingGraphic*>(&p.FISLGraphic),
          static_cast<TRankingGraphic*>(&p.FICYGraphic)}) {
      page->RankingChart.SetData(Rows(40, "R"), 25, 16, 0);
      page->SelectionChart.SetData(Rows(40, "S"), 25, 16, 0);
      page->DataAvailable = true;
      page->Record.RankingPages = &RankingPages;
    }
    p.EQQVGraphic.GroupHistoryChart.SetData(Rows(40, "Q"), 25, 16, 0);
    p.EQBLGraphic.GroupHistoryChart.SetData(Rows(8, "B"), 25, 16, 0);
  }
};

TViewState ShownView(std::int32_t mainTab, std::int32_t subIndex) {
  TViewState view;
  view.WorkspaceShown = true;
  view.SelectedMainTab = mainTab;
  view.GlobalSubIndex = mainTab == 0 ? subIndex : 0;
  view.EquitySubIndex = mainTab == 1 ? subIndex : 0;
  view.BondSubIndex = mainTab == 2 ? subIndex : 0;
  return view;
}

std::int32_t& CurrentView(TModelPages& p, std::int32_t mainTab, std::int32_t subIndex) {
  static std::int32_t none = 0;
  if (mainTab == 0) return p.MYGPGraphic.CurrentView;
  if (mainTab == 1) {
    std::int32_t* views[] = {&p.EQGPGraphic.CurrentView, &p.EQSLGraphic.CurrentView, &p.EQQVGraphic.CurrentView,
                             &p.EQBLGraphic.CurrentView};
    return *views[subIndex];
  }
  if (mainTab == 2) {
    std::int32_t* views[] = {&p.FIGPGraphic.CurrentView, &p.FISLGraphic.CurrentView, &p.FICYGraphic.CurrentView,
                             &p.FIGFGraphic.CurrentView};
    return *views[subIndex];
  }
  return none;
}

using sessiontest::Scrolled;

TEST(TrackBarsTest, StepAndFollowClampAndSnap) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* name;
    std::int32_t mode;  // 0 step, 1 follow (held)
    TrackBarState bar;
    TTrackBarGeometry geometry;
    double y;
    std::int32_t position;
    double cursor;
  };
  // Zone 46/16 over 180 px: 6 px per item; the cursor's centre is 25 below its top.
  const Case cases[] = {
      {"step below the cursor", 0, Bar(46, 16, 0), At(0.0), 100.0, 1, 6.0},
      {"step above the cursor", 0, Bar(46, 16, 5), At(30.0), 20.0, 4, 24.0},
      {"step on the cursor", 0, Bar(46, 16, 5), At(30.0), 50.0, 5, 30.0},
      {"step above the guide", 0, Bar(46, 16, 5), At(30.0), 9.0, 5, 30.0},
      {"step below the guide", 0, Bar(46, 16, 5), At(30.0), 241.0, 5, 30.0},
      {"last zone position is 30", 0, Bar(46, 16, 30), At(180.0), 239.0, 30, 180.0},
      {"step not below 0", 0, Bar(46, 16, 0), At(20.0), 15.0, 0, 0.0},
      {"follow an item", 1, Bar(46, 16, 0), kGeometry, 85.0, 10, 60.0},
      {"follow truncates", 1, Bar(46, 16, 0), kGeometry, 90.9, 10, 60.0},
      {"follow past the end", 1, Bar(46, 16, 0), kGeometry, 1000.0, 30, 180.0},
      {"follow above the start", 1, Bar(46, 16, 12), kGeometry, 0.0, 0, 0.0},
      {"follow huge", 1, Bar(46, 16, 0), kGeometry, 1e300, 30, 180.0},
      {"follow infinite", 1, Bar(46, 16, 0), kGeometry, kInf, 30, 180.0},
      {"follow not a number", 1, Bar(46, 16, 7), kGeometry, std::nan(""), 0, 0.0},
      // Nothing to travel: position 0, cursor at the top, no 0/0, no infinite ratio.
      {"as many items as shown", 0, Bar(16, 16, 0), At(0.0), 200.0, 0, 0.0},
      {"fewer items than shown", 0, Bar(10, 16, 3), At(40.0), 200.0, 0, 0.0},
      {"cursor as tall as the guide", 0, Bar(46, 16, 0), At(0.0, 50.0), 55.0, 0, 0.0},
      {"cursor taller than the guide", 0, Bar(46, 16, 4), At(0.0, 40.0, 60.0), 45.0, 0, 0.0},
      {"follow, as many items as shown", 1, Bar(16, 16, 0), kGeometry, 150.0, 0, 0.0},
      {"follow, cursor as tall as the guide", 1, Bar(46, 16, 0), At(0.0, 50.0), 150.0, 0, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackBarState bar = c.bar;
    bar.Held = c.mode == 1;
    EXPECT_DOUBLE_EQ(MoveTrackBarCursor(bar, c.mode, c.y, c.geometry), c.cursor);
    EXPECT_EQ(bar.Position, c.position);
    // Outside the guide the cursor keeps its place and coordinate.
    EXPECT_DOUBLE_EQ(bar.CursorCoordinate, c.mode == 0 && (c.y < 10.0 || c.y > 240.0) ? 16.0 : c.cursor);
  }
  TrackBarState notHeld = Bar(46, 16, 3);
  EXPECT_DOUBLE_EQ(MoveTrackBarCursor(notHeld, 1, 150.0, At(18.0)), 18.0);
  EXPECT_EQ(notHeld.Position, 3);
}

// A wanted position is kept in 0 .. ItemCount - PageSize and the cursor
// snapped to it (6 px per item over the 180 px of travel); a bar with
// nothing to travel stands at the start of its guide, as after the reset.
TEST(TrackBarsTest, SetPositionKeepsTheRangeAndSnapsTheCursor) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  struct Case {
    const char* name;
    TrackBarState bar;
    TTrackBarGeometry geometry;
    std::int32_t value;
    std::int32_t position;
    double cursor;
  };
  const Case cases[] = {
      {"inside", Bar(46, 16, 3), kGeometry, 12, 12, 72.0},
      {"the last position", Bar(46, 16, 0), kGeometry, 30, 30, 180.0},
      {"beyond the end", Bar(46, 16, 0), kGeometry, 31, 30, 180.0},
      {"far beyond the end", Bar(46, 16, 5), kGeometry, kMax, 30, 180.0},
      {"negative", Bar(46, 16, 9), kGeometry, -1, 0, 0.0},
      {"most negative", Bar(46, 16, 9), kGeometry, kMin, 0, 0.0},
      {"as many items as shown", Bar(16, 16, 0), kGeometry, 3, 0, 0.0},
      {"fewer items than shown", Bar(10, 16, 2), kGeometry, 2, 0, 0.0},
      {"no items", Bar(0, 6, 0), kGeometry, 1, 0, 0.0},
      {"cursor as tall as the guide", Bar(46, 16, 0), At(0.0, 50.0), 12, 0, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TrackBarState bar = c.bar;
    EXPECT_DOUBLE_EQ(SetTrackBarPosition(bar, c.value, c.geometry), c.cursor);
    EXPECT_EQ(bar.Position, c.position);
    EXPECT_DOUBLE_EQ(bar.CursorCoordinate, c.cursor);
    EXPECT_EQ(bar.CommittedPosition, c.bar.CommittedPosition);  // placing is not applying
  }
}

TEST(TrackBarsTest, DispatchPicksTheBarOfTheSelectedView) {
  struct Case {
    std::int32_t mainTab, subIndex, currentView;
    TTrackBar bar;
    std::int32_t phase;
  };
  const Case cases[] = {
      {0, 0, 4, TTrackBar::Zone, 2},
      {0, 0, 6, TTrackBar::Zone, 2},
      {0, 0, 7, TTrackBar::FX, 2},
      {0, 0, 1, TTrackBar::None, 2},
      {1, 0, 3, TTrackBar::Zone, 2},
      {1, 0, 4, TTrackBar::FX, 2},
      {2, 0, 3, TTrackBar::Zone, 2},
      {2, 0, 0, TTrackBar::None, 2},
      {1, 1, 2, TTrackBar::History, 1},
      {1, 1, 3, TTrackBar::History, 1},
      {1, 1, 1, TTrackBar::EQHeatMap, 2},
      {1, 1, 0, TTrackBar::None, kNoRepaint},
      {1, 2, 1, TTrackBar::History, 1},
      {1, 3, 1, TTrackBar::History, 1},
      {1, 2, 4, TTrackBar::None, 1},
      {2, 1, 1, TTrackBar::FIHeatMap, 2},
      {2, 1, 3, TTrackBar::History, 1},
      {2, 2, 1, TTrackBar::CYHeatMap, 2},
      {2, 2, 5, TTrackBar::None, kNoRepaint},
      {2, 3, 1, TTrackBar::None, kNoRepaint},
      {3, 0, 0, TTrackBar::None, kNoRepaint},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mainTab << "/" << c.subIndex << " view " << c.currentView);
    TPagesWithData data;
    TViewState view = ShownView(c.mainTab, c.subIndex);
    CurrentView(*data.Pages, c.mainTab, c.subIndex) = c.currentView;
    // The other signal page at its history view must not lend its bar.
    if (c.mainTab == 1 && c.subIndex == 2 && c.currentView != 1) data.Pages->EQBLGraphic.CurrentView = 1;

    const TTrackBarOutcome pressed = PressTrackBar(view, *data.Pages, TTrackBar::Zone, true, 200.0, AllBars(At(0.0)));
    EXPECT_EQ(pressed.Moved, c.bar);
    EXPECT_EQ(pressed.RepaintPhase, c.phase);
    EXPECT_TRUE(pressed.UpdateTitles);
    if (c.bar != TTrackBar::None) {
      // EQBL's history has 8 rows: nothing to scroll.
      const std::int32_t stepped = c.mainTab == 1 && c.subIndex == 3 ? 0 : 1;
      EXPECT_EQ(TrackBarRecord(view, c.bar).Position, stepped);
      EXPECT_EQ(TrackBarRecord(view, c.bar).CommittedPosition, stepped);
    }
    // The sender is pressed whichever bar moved.
    EXPECT_TRUE(view.ZoneTrack.Pressed);
  }
}

TEST(TrackBarsTest, PressStepsThenHoldPastTheSixthTickFollowsUntilRelease) {
  TPagesWithData data;
  TViewState view = ShownView(1, 0);
  data.Pages->EQGPGraphic.CurrentView = 3;  // zone bar
  const TTrackBarGeometries bars = AllBars(kGeometry);

  EXPECT_DOUBLE_EQ(PressTrackBar(view, *data.Pages, TTrackBar::Zone, true, 200.0, bars).CursorTop, 6.0);
  EXPECT_EQ(view.ZoneTrack.Position, 1);
  for (int tick = 1; tick <= 5; ++tick) TickTrackBarHolds(view);
  EXPECT_FALSE(view.ZoneTrack.Held);
  // Not held yet: a move changes nothing.
  EXPECT_EQ(DragTrackBar(view, *data.Pages, TTrackBar::Zone, true, 145.0, bars).Moved, TTrackBar::None);
  EXPECT_EQ(view.ZoneTrack.Position, 1);

  TickTrackBarHolds(view);
  ASSERT_TRUE(view.ZoneTrack.Held);
  const TTrackBarOutcome followed = DragTrackBar(view, *data.Pages, TTrackBar::Zone, true, 145.0, bars);
  EXPECT_EQ(followed.Moved, TTrackBar::Zone);
  EXPECT_EQ(view.ZoneTrack.Position, 20);  // (145 - 25) / 6
  EXPECT_DOUBLE_EQ(followed.CursorTop, 120.0);
  EXPECT_EQ(followed.RepaintPhase, 2);
  EXPECT_EQ(data.Pages->EQGPGraphic.RankingTable.ScrollPosition(), 20);
  // Without the left button, at the cursor's own coordinate or after the release: nothing.
  EXPECT_EQ(DragTrackBar(view, *data.Pages, TTrackBar::Zone, false, 200.0, bars).Moved, TTrackBar::None);
  EXPECT_EQ(DragTrackBar(view, *data.Pages, TTrackBar::Zone, true, 120.0, bars).Moved, TTrackBar::None);
  ReleaseTrackBar(view, TTrackBar::Zone);
  EXPECT_FALSE(view.ZoneTrack.Pressed);
  EXPECT_EQ(DragTrackBar(view, *data.Pages, TTrackBar::Zone, true, 200.0, bars).Moved, TTrackBar::None);
  // A right press marks the bar pressed and moves nothing.
  EXPECT_FALSE(PressTrackBar(view, *data.Pages, TTrackBar::Zone, false, 239.0, bars).UpdateTitles);
  EXPECT_TRUE(view.ZoneTrack.Pressed);
  EXPECT_EQ(view.ZoneTrack.Position, 20);
}

TEST(TrackBarsTest, ApplyWritesEveryScrolledWidget) {
  const std::tuple<std::int32_t, std::int32_t, std::int32_t, TTrackBar> cases[] = {
      {0, 0, 4, TTrackBar::Zone},      {0, 0, 7, TTrackBar::FX},        {1, 1, 3, TTrackBar::History},
      {1, 1, 1, TTrackBar::EQHeatMap}, {2, 1, 1, TTrackBar::FIHeatMap}, {2, 2, 1, TTrackBar::CYHeatMap}};
  for (const auto& [mainTab, subIndex, currentView, bar] : cases) {
    SCOPED_TRACE(static_cast<int>(bar));
    TPagesWithData data;
    TViewState view = ShownView(mainTab, subIndex);
    CurrentView(*data.Pages, mainTab, subIndex) = currentView;
    TrackBarState& state = TrackBarRecord(view, bar);
    state.ItemCount = 40;
    state.Held = true;
    // Follow to item 7: 7 x R / D + half the cursor.
    DragTrackBar(view, *data.Pages, bar, true, 7.0 * 180.0 / (40 - state.PageSize) + 25.0 + 1e-9, AllBars(kGeometry));
    ASSERT_EQ(state.Position, 7);
    EXPECT_EQ(state.CommittedPosition, 7);
    for (const std::int32_t written : Scrolled(*data.Pages, bar)) EXPECT_EQ(written, 7);
  }
}

TEST(TrackBarsTest, HistoryBarCountsTheRowsOfTheHistoryShown) {
  struct Case {
    std::int32_t mainTab, subIndex, currentView;
    std::int32_t rows;
  };
  // The refresh left FICY's 40 rows in the bar; the shown history decides.
  const Case cases[] = {{1, 1, 3, 25}, {1, 1, 2, 25}, {1, 3, 1, 8}, {1, 2, 1, 40}, {2, 2, 3, 40}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.mainTab << "/" << c.subIndex << " view " << c.currentView);
    TPagesWithData data;
    TModelPages& p = *data.Pages;
    p.EQSLGraphic.RankingChart.SetData(Rows(25, "E"), 25, 16, 0);
    p.EQSLGraphic.SelectionChart.SetData(Rows(25, "F"), 25, 16, 0);
    TViewState view = ShownView(c.mainTab, c.subIndex);
    CurrentView(p, c.mainTab, c.subIndex) = c.currentView;
    view.HistoryTrack.ItemCount = 40;
    view.HistoryTrack.Held = true;
    EXPECT_EQ(ShownHistoryRows(view, p), c.rows);

    const TTrackBarOutcome end = DragTrackBar(view, p, TTrackBar::History, true, 235.0, AllBars(kGeometry));
    EXPECT_EQ(view.HistoryTrack.ItemCount, c.rows);
    EXPECT_EQ(view.HistoryTrack.Position, std::max(c.rows - 16, 0));
    EXPECT_DOUBLE_EQ(end.CursorTop, c.rows > 16 ? 180.0 : 0.0);
  }
}

// A reload puts every widget back on its first row: each bar's position,
// taken into its range, is written back, so thumb and rows agree.
TEST(TrackBarsTest, ReloadedContentFollowsEveryBarsPosition) {
  struct Case {
    TTrackBar Bar;
    std::int32_t ItemCount, Position, Kept;
  };
  // 24 heat-map entries of 6, 40 history rows of 16, 46 zone rows and 28 FX rows of 16.
  const Case cases[] = {{TTrackBar::EQHeatMap, 24, 0, 0}, {TTrackBar::FIHeatMap, 24, 30, 18},
                        {TTrackBar::CYHeatMap, 24, 5, 5}, {TTrackBar::History, 40, 9, 9},
                        {TTrackBar::Zone, 46, 25, 25},    {TTrackBar::FX, 28, 20, 12},
                        {TTrackBar::FX, 28, -3, 0},       {TTrackBar::FX, 10, 7, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << static_cast<int>(c.Bar) << " at " << c.Position);
    TPagesWithData data;
    TModelPages& p = *data.Pages;
    TViewState view = ShownView(0, 0);
    TrackBarState& state = TrackBarRecord(view, c.Bar);
    state.ItemCount = c.ItemCount;
    state.Position = c.Position;
    for (int bar = 0; bar < 6; ++bar) {
      if (static_cast<TTrackBar>(bar) == c.Bar) continue;
      TrackBarRecord(view, static_cast<TTrackBar>(bar)).Position = 3;
    }
    // The reload: every table on its first row (the FX tables hold ItemCount
    // rows); the history charts stand at 0 and no heat-map page is loaded.
    std::vector<TFXHedgingPosition> fx(static_cast<std::size_t>(c.Bar == TTrackBar::FX ? c.ItemCount : 28));
    for (TFXHedgingTable* t : {&p.MYGPGraphic.HedgingTable, &p.EQGPGraphic.HedgingTable, &p.FIGPGraphic.HedgingTable})
      t->SetData(fx);
    for (TCountryRankingTable* t : {&p.MYGPGraphic.RankingTable, &p.MYGPGraphic.SecondRankingTable,
                                    &p.EQGPGraphic.RankingTable, &p.FIGPGraphic.RankingTable})
      t->SetData(RankingRows(), true, "A", "B");

    FollowReloadedContent(view, p);
    EXPECT_EQ(state.Position, c.Kept);
    for (int bar = 0; bar < 6; ++bar) {
      const auto which = static_cast<TTrackBar>(bar);
      const std::int32_t position = TrackBarRecord(view, which).Position;
      for (const std::int32_t shown : Scrolled(p, which)) EXPECT_EQ(shown, position) << "bar " << bar;
    }
  }
}

TEST(TrackBarsTest, DoubleClickInsideTheViewResetsEveryBarAndCursor) {
  for (const bool shown : {true, false}) {
    for (const float x : {150.0f, 99.0f}) {
      SCOPED_TRACE(testing::Message() << "shown " << shown << " x " << x);
      TPagesWithData data;
      TModelPages& p = *data.Pages;
      TViewState view = ShownView(0, 0);
      view.WorkspaceShown = shown;
      p.MYGPGraphic.CurrentView = 7;  // its area: the FX table's, from X 100
      p.MYGPGraphic.HedgingTable.Left = 100.0f;
      p.MYGPGraphic.HedgingTable.Width = p.MYGPGraphic.HedgingTable.Height = 300.0f;
      std::vector<TAllocationRow> history(40);
      p.MYGPGraphic.AllocationChart.SetData("", history, {}, 25, 0.0, 1.0);
      p.MYGPGraphic.MoveCursors(2, -3);
      for (TrackBarState* bar : view.TrackBars()) bar->Position = 5;
      for (int bar = 0; bar < 6; ++bar) WriteTrackBarPosition(view, p, static_cast<TTrackBar>(bar));

      const TDoubleClickOutcome outcome = ResetTrackBarsOnDoubleClick(view, p, x, 200.0f);
      const bool inside = x >= 100.0f;
      EXPECT_EQ(outcome.Reset, inside);
      EXPECT_EQ(outcome.RepaintPhase, inside && shown ? 2 : kNoRepaint);
      for (int bar = 0; bar < 6; ++bar) {
        EXPECT_EQ(view.TrackBars()[static_cast<std::size_t>(bar)]->Position, inside ? 0 : 5);
        EXPECT_DOUBLE_EQ(view.TrackBars()[static_cast<std::size_t>(bar)]->CursorCoordinate, inside ? 0.0 : 16.0);
        for (const std::int32_t written : Scrolled(p, static_cast<TTrackBar>(bar))) EXPECT_EQ(written, inside ? 0 : 5);
      }
      EXPECT_EQ(p.MYGPGraphic.AllocationChart.LastIndex, inside ? 39 : 33);
    }
  }
}

}  // namespace
}  // namespace session
