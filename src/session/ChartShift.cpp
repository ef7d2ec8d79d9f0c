#include "session/ChartShift.h"

#include <algorithm>
#include <cmath>

namespace session {

namespace {

TViewArea SelectedViewArea(const TViewState& view, TModelPages& pages) {
  TViewArea area;
  pages.WithPage(PageForTab(view.SelectedMainTab, view.GlobalSubIndex, view.EquitySubIndex, view.BondSubIndex),
                 [&](auto& page) { area = page.GetViewRange(); });
  return area;
}

// Sign(trunc(v)): -1, 0 or 1 of v truncated toward zero (NaN gives 0).
int TruncatedSign(float v) {
  const float t = std::trunc(v);
  return (t > 0.0f) - (t < 0.0f);
}

// Position += delta, kept in 0 .. max(0, ItemCount - PageSize); then the cursor snapped.
double StepBar(TrackBarState& state, std::int32_t delta, const TTrackBarGeometry& geometry) {
  const std::int64_t last =
      std::max<std::int64_t>(0, static_cast<std::int64_t>(state.ItemCount) - static_cast<std::int64_t>(state.PageSize));
  state.Position =
      static_cast<std::int32_t>(std::clamp<std::int64_t>(static_cast<std::int64_t>(state.Position) + delta, 0, last));
  return ClampAndSnap(state, geometry);
}

void MoveAllCursors(TModelPages& pages, std::int32_t direction) {
  pages.EQSLGraphic.MoveCursors(kShiftPoints, direction);
  pages.EQQVGraphic.MoveCursors(kShiftPoints, direction);
  pages.EQBLGraphic.MoveCursors(kShiftPoints, direction);
  pages.EQGPGraphic.MoveCursors(kShiftPoints, direction);
  pages.FISLGraphic.MoveCursors(kShiftPoints, direction);
  pages.FICYGraphic.MoveCursors(kShiftPoints, direction);
  pages.FIGFGraphic.MoveCursors(kShiftPoints, direction);
  pages.FIGPGraphic.MoveCursors(kShiftPoints, direction);
  pages.MYGPGraphic.MoveCursors(kShiftPoints, direction);
}

}  // namespace

bool LocateInSelectedView(const TViewState& view, TModelPages& pages, float x, float y) {
  const TViewArea area = SelectedViewArea(view, pages);
  return x >= area.Left && x <= area.Left + area.Width && y >= area.Top && y <= area.Top + area.Height;
}

bool GetSelectedViewRange(const TViewState& view, TModelPages& pages, float x, float y) {
  const TViewArea area = SelectedViewArea(view, pages);
  return x >= area.Left && x <= area.Left + area.Width && y >= area.SpanTop && y <= area.SpanBottom;
}

TShiftOutcome ShiftSelectedView(TChartShiftState& shift, TViewState& view, TModelPages& pages, std::int32_t mode,
                                float x, float y, const TTrackBarGeometries& geometries) {
  TShiftOutcome outcome;
  if (mode == 0) {
    shift.ShiftAnchorX = shift.ShiftLastX = x;
    shift.ShiftAnchorY = shift.ShiftLastY = y;
  } else if (mode == 1) {
    const float previousX = shift.ShiftLastX;
    const float previousY = shift.ShiftLastY;
    shift.ShiftLastX = x;
    shift.ShiftLastY = y;
    // A reversal restarts the count where it happened.
    if (TruncatedSign(shift.ShiftAnchorX - x) != TruncatedSign(previousX - x)) shift.ShiftAnchorX = x;
    if (TruncatedSign(shift.ShiftAnchorY - y) != TruncatedSign(previousY - y)) shift.ShiftAnchorY = y;

    const float dx = shift.ShiftAnchorX - x;
    const float dy = shift.ShiftAnchorY - y;
    std::int32_t stepX = 0;
    if (std::fabs(dx) >= kShiftStepX) {
      shift.ShiftAnchorX = x;
      stepX = dx > 0.0f ? 1 : -1;
    }
    std::int32_t stepY = 0;
    if (std::fabs(dy) >= kShiftStepY) {
      shift.ShiftAnchorY = y;
      stepY = dy > 0.0f ? 1 : -1;
    }

    const TTrackBar bar = TrackBarOfSelectedView(view, pages).Bar;
    std::int32_t phase = 1;
    if (bar == TTrackBar::Zone || bar == TTrackBar::FX || (bar == TTrackBar::History && stepY != 0)) {
      TrackBarState& state = TrackBarRecord(view, bar);
      if (bar == TTrackBar::History) state.ItemCount = ShownHistoryRows(view, pages);
      outcome.Moved = bar;
      outcome.CursorTop = StepBar(state, stepY, geometries[static_cast<std::size_t>(bar)]);
      WriteTrackBarPosition(view, pages, bar);
      phase = 2;
    } else if (stepX != 0) {
      MoveAllCursors(pages, stepX);
    }
    if (view.WorkspaceShown) outcome.RepaintPhase = phase;
  }
  shift.ViewShiftActive = mode == 0 || mode == 1;
  return outcome;
}

void PressChart(TChartShiftState& shift, const TViewState& view, TModelPages& pages, float x, float y, bool leftButton,
                bool rightButton) {
  shift.LastPointerX = x;
  shift.LastPointerY = y;
  if (leftButton && LocateInSelectedView(view, pages, x, y)) {
    shift.ShiftAnchorX = shift.ShiftLastX = x;
    shift.ShiftAnchorY = shift.ShiftLastY = y;
    shift.ViewShiftActive = true;
  }
  if (rightButton) shift.ViewShiftActive = false;
}

TShiftOutcome MoveOverChart(TChartShiftState& shift, TViewState& view, TModelPages& pages, float x, float y,
                            bool leftButton, const TTrackBarGeometries& geometries) {
  shift.LastPointerX = x;
  shift.LastPointerY = y;
  if (!leftButton) return {};
  return ShiftSelectedView(shift, view, pages, LocateInSelectedView(view, pages, x, y) ? 1 : 3, x, y, geometries);
}

void EndChartShift(TChartShiftState& shift) { shift.ViewShiftActive = false; }

}  // namespace session
