#pragma once
// The six vertical track bars beside the chart: a short press steps the bar
// of the selected view one item toward the pointer, a press held past the
// sixth main-timer tick turns into a drag whose cursor follows the pointer;
// every move is applied at once to the widgets the bar scrolls. The window
// owns the bar controls: it passes their geometry in and places the cursor
// where the outcome says.

#include <array>
#include <cstdint>

#include "pages/ModelPages.h"
#include "session/ViewState.h"

namespace session {

// The bars in window order (the order of TViewState::TrackBars()).
enum class TTrackBar : std::int32_t { None = -1, FIHeatMap, EQHeatMap, CYHeatMap, History, Zone, FX };

inline constexpr std::int32_t kNoRepaint = -1;

// A bar's guide (rail) and cursor (thumb), Y inside the bar's panel, downwards.
struct TTrackBarGeometry {
  double GuideTop = 0.0;
  double GuideHeight = 0.0;
  double CursorTop = 0.0;  // the cursor's Y now
  double CursorHeight = 0.0;
};
using TTrackBarGeometries = std::array<TTrackBarGeometry, 6>;  // window order

// What the window does after a bar event.
struct TTrackBarOutcome {
  TTrackBar Moved = TTrackBar::None;  // the bar moved and applied; its cursor goes to CursorTop
  double CursorTop = 0.0;
  std::int32_t RepaintPhase = kNoRepaint;  // 1 draw, 2 lay out and draw; only while the workspace is shown
  bool UpdateTitles = false;               // rewrite the main titles (UpdateMainTitles)
};

TrackBarState& TrackBarRecord(TViewState& view, TTrackBar bar);

// The bar that belongs to the selected page and its current view, and the
// phase a bar event repaints with (kNoRepaint: none):
//   MYGP 4, 6 Zone; 7 FX; other views none (phase 2)
//   EQGP, FIGP 3 Zone; 4 FX; other views none (phase 2)
//   EQSL, FISL, FICY 2, 3 History (phase 1); 1 their heat-map bar (phase 2); other views none, no repaint
//   EQQV, EQBL 1 History; other views none (phase 1)
//   FIGF or no page: none, no repaint
struct TTrackBarDispatch {
  TTrackBar Bar = TTrackBar::None;
  std::int32_t Phase = kNoRepaint;
};
TTrackBarDispatch TrackBarOfSelectedView(const TViewState& view, const TModelPages& pages);

// Rows of the history the selected view shows (the ranking rows of EQSL,
// FISL, FICY at views 2 and 3; the item group's rows of EQQV, EQBL at view 1);
// -1 for any other view.
std::int32_t ShownHistoryRows(const TViewState& view, const TModelPages& pages);

// Keeps Position in 0 .. ItemCount - PageSize and places the cursor for it:
// Y = Position x R / D with D = ItemCount - PageSize and R = guide height -
// cursor height. When D <= 0 or R <= 0 there is nothing to travel: Position 0,
// cursor at the top (Y 0). CursorCoordinate := Y; returns Y.
double ClampAndSnap(TrackBarState& state, const TTrackBarGeometry& geometry);

// Mode 0 (step): a pointer Y on the guide below the cursor adds one item,
// above it removes one; on the cursor nothing; outside the guide nothing
// changes at all. Mode 1 (follow, only while Held): the cursor centred on Y,
// Position = trunc((Y - cursor height / 2) x D / R). Both then clamp and snap.
// Other modes change nothing. Returns the cursor's Y.
double MoveTrackBarCursor(TrackBarState& state, std::int32_t mode, double y, const TTrackBarGeometry& geometry);

// Writes the bar's Position to what it scrolls: the heat-map bars load that
// page of their ranking list, History the eight region series charts of
// EQSL, FISL, FICY (two each), EQQV and EQBL, Zone the four country ranking
// tables of MYGP (two), EQGP and FIGP, FX the hedging tables of MYGP, EQGP
// and FIGP. Then CommittedPosition := Position.
void ApplyTrackBar(TViewState& view, TModelPages& pages, TTrackBar bar);
// The same without CommittedPosition (the chart drag's scroll).
void WriteTrackBarPosition(TViewState& view, TModelPages& pages, TTrackBar bar);

// After the pages reloaded their content (a calculation): every bar agrees
// with what it scrolls again. Each Position is kept in 0 .. max(0, ItemCount
// - PageSize) (the heat-map and history bars stand at 0 after the refresh,
// the zone and FX bars keep theirs) and written to its widgets, whose reload
// put them back to their first row.
void FollowReloadedContent(TViewState& view, TModelPages& pages);

// Press on the panel of `sender` (the window hides the value indicators
// first). The sender's bar is pressed (ticks 0) whatever the button; with
// the left button the bar of the selected view steps toward y and is
// applied, and the titles are rewritten.
TTrackBarOutcome PressTrackBar(TViewState& view, TModelPages& pages, TTrackBar sender, bool leftButton, double y,
                               const TTrackBarGeometries& geometries);

// Move over the panel of `sender`: only with the left button, while the
// sender's bar is held and the pointer's y differs from its
// CursorCoordinate; then the bar of the selected view follows y and is applied.
TTrackBarOutcome DragTrackBar(TViewState& view, TModelPages& pages, TTrackBar sender, bool leftButton, double y,
                              const TTrackBarGeometries& geometries);

// Release on the panel of `sender`: neither pressed nor held; nothing else.
void ReleaseTrackBar(TViewState& view, TTrackBar sender);

// Places a bar for a wanted position: Position := Value, kept in 0 ..
// ItemCount - PageSize; the cursor as ClampAndSnap. Returns the cursor's Y.
double SetTrackBarPosition(TrackBarState& state, std::int32_t value, const TTrackBarGeometry& geometry);

// Double click on the chart at the pointer (x, y).
struct TDoubleClickOutcome {
  bool Reset = false;  // every bar's cursor goes to Y 0
  std::int32_t RepaintPhase = kNoRepaint;
};
// Only when (x, y) lies in the selected view's area or plot span: the six
// bars back to position 0 with their cursors at the top, each applied
// (ScrollPosition fields, LoadPage(0)), then every page's cursors back on
// the newest data; repaint with phase 2 while the workspace is shown.
TDoubleClickOutcome ResetTrackBarsOnDoubleClick(TViewState& view, TModelPages& pages, float x, float y);

}  // namespace session
