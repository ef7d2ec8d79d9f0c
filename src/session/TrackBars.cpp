#include "session/TrackBars.h"

#include <algorithm>
#include <cmath>

#include "session/ChartShift.h"

namespace session {

namespace {

TPageKind SelectedPage(const TViewState& view) {
  return PageForTab(view.SelectedMainTab, view.GlobalSubIndex, view.EquitySubIndex, view.BondSubIndex);
}

std::int32_t CurrentViewOf(const TModelPages& pages, TPageKind kind) {
  switch (kind) {
    case TPageKind::MYGP:
      return pages.MYGPGraphic.CurrentView;
    case TPageKind::EQGP:
      return pages.EQGPGraphic.CurrentView;
    case TPageKind::EQSL:
      return pages.EQSLGraphic.CurrentView;
    case TPageKind::EQQV:
      return pages.EQQVGraphic.CurrentView;
    case TPageKind::EQBL:
      return pages.EQBLGraphic.CurrentView;
    case TPageKind::FIGP:
      return pages.FIGPGraphic.CurrentView;
    case TPageKind::FISL:
      return pages.FISLGraphic.CurrentView;
    case TPageKind::FICY:
      return pages.FICYGraphic.CurrentView;
    case TPageKind::FIGF:
      return pages.FIGFGraphic.CurrentView;
    case TPageKind::None:
      break;
  }
  return -1;
}

// Items the bar can travel: ItemCount - PageSize, without overflow.
std::int64_t Travel(const TrackBarState& state) {
  return static_cast<std::int64_t>(state.ItemCount) - static_cast<std::int64_t>(state.PageSize);
}

// position kept in 0 .. max(0, ItemCount - PageSize).
std::int32_t InRange(std::int64_t position, const TrackBarState& state) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(position, 0, std::max<std::int64_t>(Travel(state), 0)));
}

const TRankingGraphic* RankingPage(const TModelPages& pages, TPageKind kind) {
  if (kind == TPageKind::EQSL) return &pages.EQSLGraphic;
  if (kind == TPageKind::FISL) return &pages.FISLGraphic;
  if (kind == TPageKind::FICY) return &pages.FICYGraphic;
  return nullptr;
}

TTrackBarOutcome Dispatch(TViewState& view, TModelPages& pages, std::int32_t mode, double y,
                          const TTrackBarGeometries& geometries) {
  TTrackBarOutcome outcome;
  outcome.UpdateTitles = true;
  const TTrackBarDispatch dispatch = TrackBarOfSelectedView(view, pages);
  if (dispatch.Bar != TTrackBar::None) {
    TrackBarState& state = TrackBarRecord(view, dispatch.Bar);
    // The history bar scrolls the rows of the history on screen, whichever
    // model's rows the last refresh counted.
    if (dispatch.Bar == TTrackBar::History) state.ItemCount = ShownHistoryRows(view, pages);
    outcome.Moved = dispatch.Bar;
    outcome.CursorTop = MoveTrackBarCursor(state, mode, y, geometries[static_cast<std::size_t>(dispatch.Bar)]);
    ApplyTrackBar(view, pages, dispatch.Bar);
  }
  if (view.WorkspaceShown) outcome.RepaintPhase = dispatch.Phase;
  return outcome;
}

}  // namespace

TrackBarState& TrackBarRecord(TViewState& view, TTrackBar bar) {
  switch (bar) {
    case TTrackBar::FIHeatMap:
      return view.FIHeatMapTrack;
    case TTrackBar::EQHeatMap:
      return view.EQHeatMapTrack;
    case TTrackBar::CYHeatMap:
      return view.CYHeatMapTrack;
    case TTrackBar::History:
      return view.HistoryTrack;
    case TTrackBar::Zone:
      return view.ZoneTrack;
    case TTrackBar::FX:
    case TTrackBar::None:
      break;
  }
  return view.FXTrack;
}

TTrackBarDispatch TrackBarOfSelectedView(const TViewState& view, const TModelPages& pages) {
  const TPageKind kind = SelectedPage(view);
  const std::int32_t current = CurrentViewOf(pages, kind);
  switch (kind) {
    case TPageKind::MYGP:
      if (current == 4 || current == 6) return {TTrackBar::Zone, 2};
      if (current == 7) return {TTrackBar::FX, 2};
      return {TTrackBar::None, 2};
    case TPageKind::EQGP:
    case TPageKind::FIGP:
      if (current == 3) return {TTrackBar::Zone, 2};
      if (current == 4) return {TTrackBar::FX, 2};
      return {TTrackBar::None, 2};
    case TPageKind::EQSL:
    case TPageKind::FISL:
    case TPageKind::FICY: {
      if (current == 2 || current == 3) return {TTrackBar::History, 1};
      if (current != 1) return {};
      const TTrackBar heatMap = kind == TPageKind::EQSL   ? TTrackBar::EQHeatMap
                                : kind == TPageKind::FISL ? TTrackBar::FIHeatMap
                                                          : TTrackBar::CYHeatMap;
      return {heatMap, 2};
    }
    case TPageKind::EQQV:
    case TPageKind::EQBL:
      // The selected page's own history view (not the other signal page's).
      return {current == 1 ? TTrackBar::History : TTrackBar::None, 1};
    case TPageKind::FIGF:
    case TPageKind::None:
      break;
  }
  return {};
}

std::int32_t ShownHistoryRows(const TViewState& view, const TModelPages& pages) {
  const TPageKind kind = SelectedPage(view);
  if (const TRankingGraphic* page = RankingPage(pages, kind)) {
    if (page->CurrentView == 2) return page->SelectionChart.SeriesCount();
    if (page->CurrentView == 3) return page->RankingChart.SeriesCount();
    return -1;
  }
  if (kind == TPageKind::EQQV && pages.EQQVGraphic.CurrentView == 1)
    return pages.EQQVGraphic.GroupHistoryChart.SeriesCount();
  if (kind == TPageKind::EQBL && pages.EQBLGraphic.CurrentView == 1)
    return pages.EQBLGraphic.GroupHistoryChart.SeriesCount();
  return -1;
}

double ClampAndSnap(TrackBarState& state, const TTrackBarGeometry& geometry) {
  const std::int64_t items = Travel(state);
  const double range = geometry.GuideHeight - geometry.CursorHeight;
  double cursorY = 0.0;
  if (items <= 0 || !(range > 0.0) || !std::isfinite(range)) {
    state.Position = 0;
  } else {
    state.Position = static_cast<std::int32_t>(std::clamp<std::int64_t>(state.Position, 0, items));
    // Y = Position / (D / R)
    cursorY = static_cast<double>(state.Position) / (static_cast<double>(items) / range);
  }
  state.CursorCoordinate = cursorY;
  return cursorY;
}

double MoveTrackBarCursor(TrackBarState& state, std::int32_t mode, double y, const TTrackBarGeometry& geometry) {
  if (mode == 0) {
    if (y < geometry.GuideTop || y > geometry.GuideTop + geometry.GuideHeight) return geometry.CursorTop;
    std::int64_t position = state.Position;
    if (y > geometry.CursorTop + geometry.CursorHeight) ++position;
    if (geometry.CursorTop > y) --position;
    state.Position = InRange(position, state);
    return ClampAndSnap(state, geometry);
  }
  if (mode == 1) {
    if (!state.Held) return geometry.CursorTop;
    state.CursorCoordinate = y;
    const std::int64_t items = Travel(state);
    const double range = geometry.GuideHeight - geometry.CursorHeight;
    double wanted = 0.0;  // (Y - cursor height / 2) x D / R, kept in 0 .. D before it becomes an integer
    if (items > 0 && range > 0.0 && std::isfinite(range)) {
      wanted = (y - geometry.CursorHeight * 0.5) * (static_cast<double>(items) / range);
      if (!(wanted >= 0.0)) wanted = 0.0;  // NaN too
      wanted = std::min(wanted, static_cast<double>(items));
    }
    state.Position = static_cast<std::int32_t>(std::trunc(wanted));
    return ClampAndSnap(state, geometry);
  }
  return geometry.CursorTop;
}

void WriteTrackBarPosition(TViewState& view, TModelPages& pages, TTrackBar bar) {
  const std::int32_t position = TrackBarRecord(view, bar).Position;
  switch (bar) {
    case TTrackBar::FIHeatMap:
      pages.FISLGraphic.LoadPage(position);
      break;
    case TTrackBar::EQHeatMap:
      pages.EQSLGraphic.LoadPage(position);
      break;
    case TTrackBar::CYHeatMap:
      pages.FICYGraphic.LoadPage(position);
      break;
    case TTrackBar::History:
      for (TRankingGraphic* page :
           {static_cast<TRankingGraphic*>(&pages.EQSLGraphic), static_cast<TRankingGraphic*>(&pages.FISLGraphic),
            static_cast<TRankingGraphic*>(&pages.FICYGraphic)}) {
        page->RankingChart.SetScrollPosition(position);
        page->SelectionChart.SetScrollPosition(position);
      }
      pages.EQQVGraphic.GroupHistoryChart.SetScrollPosition(position);
      pages.EQBLGraphic.GroupHistoryChart.SetScrollPosition(position);
      break;
    case TTrackBar::Zone:
      pages.MYGPGraphic.RankingTable.SetScrollPosition(position);
      pages.MYGPGraphic.SecondRankingTable.SetScrollPosition(position);
      pages.EQGPGraphic.RankingTable.SetScrollPosition(position);
      pages.FIGPGraphic.RankingTable.SetScrollPosition(position);
      break;
    case TTrackBar::FX:
      pages.MYGPGraphic.HedgingTable.SetScrollPosition(position);
      pages.EQGPGraphic.HedgingTable.SetScrollPosition(position);
      pages.FIGPGraphic.HedgingTable.SetScrollPosition(position);
      break;
    case TTrackBar::None:
      break;
  }
}

void ApplyTrackBar(TViewState& view, TModelPages& pages, TTrackBar bar) {
  if (bar == TTrackBar::None) return;
  WriteTrackBarPosition(view, pages, bar);
  TrackBarState& state = TrackBarRecord(view, bar);
  state.CommittedPosition = state.Position;
}

void FollowReloadedContent(TViewState& view, TModelPages& pages) {
  for (TTrackBar bar : {TTrackBar::FIHeatMap, TTrackBar::EQHeatMap, TTrackBar::CYHeatMap, TTrackBar::History,
                        TTrackBar::Zone, TTrackBar::FX}) {
    TrackBarState& state = TrackBarRecord(view, bar);
    state.Position = InRange(state.Position, state);
    WriteTrackBarPosition(view, pages, bar);
  }
}

TTrackBarOutcome PressTrackBar(TViewState& view, TModelPages& pages, TTrackBar sender, bool leftButton, double y,
                               const TTrackBarGeometries& geometries) {
  if (sender != TTrackBar::None) {
    TrackBarState& pressed = TrackBarRecord(view, sender);
    pressed.PressTicks = 0;
    pressed.Pressed = true;
  }
  if (!leftButton) return {};
  return Dispatch(view, pages, 0, y, geometries);
}

TTrackBarOutcome DragTrackBar(TViewState& view, TModelPages& pages, TTrackBar sender, bool leftButton, double y,
                              const TTrackBarGeometries& geometries) {
  if (sender == TTrackBar::None || !leftButton) return {};
  const TrackBarState& dragged = TrackBarRecord(view, sender);
  if (!dragged.Held || dragged.CursorCoordinate == y) return {};
  return Dispatch(view, pages, 1, y, geometries);
}

void ReleaseTrackBar(TViewState& view, TTrackBar sender) {
  if (sender == TTrackBar::None) return;
  TrackBarState& state = TrackBarRecord(view, sender);
  state.Held = false;
  state.Pressed = false;
}

double SetTrackBarPosition(TrackBarState& state, std::int32_t value, const TTrackBarGeometry& geometry) {
  state.Position = value;
  return ClampAndSnap(state, geometry);
}

TDoubleClickOutcome ResetTrackBarsOnDoubleClick(TViewState& view, TModelPages& pages, float x, float y) {
  TDoubleClickOutcome outcome;
  if (!LocateInSelectedView(view, pages, x, y) && !GetSelectedViewRange(view, pages, x, y)) return outcome;
  for (TTrackBar bar : {TTrackBar::Zone, TTrackBar::FX, TTrackBar::EQHeatMap, TTrackBar::History, TTrackBar::FIHeatMap,
                        TTrackBar::CYHeatMap}) {
    TrackBarState& state = TrackBarRecord(view, bar);
    state.Position = 0;
    state.CursorCoordinate = 0.0;
    WriteTrackBarPosition(view, pages, bar);
  }
  pages.EQSLGraphic.ResetCursors();
  pages.EQQVGraphic.ResetCursors();
  pages.EQBLGraphic.ResetCursors();
  pages.EQGPGraphic.ResetCursors();
  pages.FISLGraphic.ResetCursors();
  pages.FICYGraphic.ResetCursors();
  pages.FIGFGraphic.ResetCursors();
  pages.FIGPGraphic.ResetCursors();
  pages.MYGPGraphic.ResetCursors();
  outcome.Reset = true;
  if (view.WorkspaceShown) outcome.RepaintPhase = 2;
  return outcome;
}

}  // namespace session
