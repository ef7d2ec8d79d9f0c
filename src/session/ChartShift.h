#pragma once
// Dragging the chart with the left button shifts the selected view:
// horizontally the time window of every page's charts (two points per 20
// pixels), vertically the rows of a ranking, FX or history list (one row per
// 10 pixels). A reversal of direction restarts the count at the reversal point.

#include <cstdint>

#include "pages/ModelPages.h"
#include "session/TrackBars.h"
#include "session/ViewState.h"

namespace session {

// Pointer and drag state of the chart, in chart-area coordinates.
struct TChartShiftState {
  float LastPointerX = 0.0f;  // the last press or move (click, double click and tap read it)
  float LastPointerY = 0.0f;
  float ShiftAnchorX = 0.0f;  // where the current horizontal resp. vertical step began
  float ShiftAnchorY = 0.0f;
  float ShiftLastX = 0.0f;  // the previous shift move
  float ShiftLastY = 0.0f;
  bool ViewShiftActive = false;
};

inline constexpr float kShiftStepX = 20.0f;  // pixels per horizontal step
inline constexpr float kShiftStepY = 10.0f;  // pixels per row
inline constexpr std::int32_t kShiftPoints = 2;

struct TShiftOutcome {
  TTrackBar Moved = TTrackBar::None;  // the list bar scrolled; its cursor goes to CursorTop
  double CursorTop = 0.0;
  std::int32_t RepaintPhase = kNoRepaint;  // only while the workspace is shown
};

// (x, y) inside [Left, Left + Width] x [Top, Top + Height] of the selected
// page's view area (bounds included); false without a page.
bool LocateInSelectedView(const TViewState& view, TModelPages& pages, float x, float y);
// (x, y) inside [Left, Left + Width] x [SpanTop, SpanBottom] of that area.
bool GetSelectedViewRange(const TViewState& view, TModelPages& pages, float x, float y);

// Mode 0 begins a drag at (x, y); mode 1 continues it; any other mode ends it.
// A move first re-anchors an axis whose direction reversed (the sign of
// trunc(anchor - x) differs from that of trunc(previous x - x)); then
// DX = anchor X - x, DY = anchor Y - y, and a step of +1 (left or up) or -1
// re-anchors at |DX| >= 20 resp. |DY| >= 10. The selected view decides:
//   ranking or FX list (MYGP 4, 6, 7; EQGP, FIGP 3, 4): its bar moves by the
//     vertical step (0 included), clamped and snapped, written to the tables;
//     phase 2;
//   history (EQSL, FISL, FICY 2, 3; EQQV, EQBL 1) at |DY| >= 10: the history
//     bar moves one row, written to the charts; phase 2;
//   otherwise: at |DX| >= 20 every page's time window moves by 2 points x the
//     horizontal step (EQSL, EQQV, EQBL, EQGP, FISL, FICY, FIGF, FIGP, MYGP);
//     phase 1, also when nothing moved.
// The drag never changes a bar's CommittedPosition. Afterwards
// ViewShiftActive := (mode is 0 or 1).
TShiftOutcome ShiftSelectedView(TChartShiftState& shift, TViewState& view, TModelPages& pages, std::int32_t mode,
                                float x, float y, const TTrackBarGeometries& geometries);

// Press on the chart: the pointer is kept; a left press inside the view area
// anchors a drag there; a right press ends any drag. (Value indicators and
// the zone are the window's other handlers.)
void PressChart(TChartShiftState& shift, const TViewState& view, TModelPages& pages, float x, float y, bool leftButton,
                bool rightButton);
// Move over the chart: the pointer is kept; with the left button the drag
// continues inside the view area and ends outside it (anchors kept).
TShiftOutcome MoveOverChart(TChartShiftState& shift, TViewState& view, TModelPages& pages, float x, float y,
                            bool leftButton, const TTrackBarGeometries& geometries);
// Release or leave: the drag ends.
void EndChartShift(TChartShiftState& shift);

}  // namespace session
