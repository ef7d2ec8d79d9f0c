#pragma once
// The selected zone of a history chart: while the left button drags across
// the history view of the selected page, the zone between the press date and
// the date under the pointer is shaded and a box shows, per series, the
// annualised return, the annualised volatility and the maximum drawdown over
// it. Here the zone's state and the box's texts and position; the window
// copies them into its controls and shades the band while painting.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "pages/ModelPages.h"
#include "session/ViewState.h"

namespace session {

// Modes of UpdateSelectedZoneInfos.
inline constexpr std::int32_t kZoneStart = 0;
inline constexpr std::int32_t kZoneExtend = 1;
inline constexpr std::int32_t kZoneEnd = 3;  // pointer outside the plot span (final false) or end (final true)

// Offset of the box from the plot's top-left corner.
inline constexpr float kZoneBoxOffset = 10.0f;

// Texts of the box (GraphicSelectedZoneInfosSupport); "XXXXX" until first written.
struct TZoneInfoTexts {
  std::string FirstMonth = "XXXXX";  // SelectedZoneInfos_1: "January 2010"
  std::string LastMonth = "XXXXX";   // SelectedZoneInfos_2
  // Index = series 0, 1, 2 (columns a, b, c).
  std::array<std::string, 3> Returns{"XXXXX", "XXXXX", "XXXXX"};       // SelectedZoneInfos_3a..3c
  std::array<std::string, 3> Volatilities{"XXXXX", "XXXXX", "XXXXX"};  // SelectedZoneInfos_4a..4c
  std::array<std::string, 3> Drawdowns{"XXXXX", "XXXXX", "XXXXX"};     // SelectedZoneInfos_5a..5c
};

// The window's zone fields, kept apart from TViewState.
struct TZoneSelection {
  bool ZoneSelected = false;                // a drag with the left button is in progress
  std::vector<TDataPoint> ZoneStartValues;  // series values at the press date; empty: no start
  double ZoneStartDate = 0.0;               // earlier date of the zone
  double ZoneEndDate = 0.0;                 // later date of the zone
  // The zone was extended (dates and texts computed) since the last start:
  // only then are the box and the band shown.
  bool ZoneExtended = false;
  TZoneInfoTexts Texts;
  float BoxX = 0.0f;  // GraphicSelectedZoneInfosSupport position, chart-area coordinates
  float BoxY = 0.0f;
  bool BoxVisible = false;
};

// What the window does after a zone update.
struct TZoneUpdate {
  bool Applied = false;  // past the view gate: copy the texts, position and visibility to the box
  bool Repaint = false;  // PaintPhase is 1: repaint the chart area
};

// Whether the chart painting shades [ZoneStartDate, ZoneEndDate]: a drag in
// progress that extended the zone.
bool ZoneBandShown(const TZoneSelection& zone);

// Whether a page kind's current view takes part in zone selection: MYGP 9;
// EQGP, FIGP 6; EQSL, FISL, FICY, FIGF 7; EQQV, EQBL 4 and 16.
bool IsZoneView(TPageKind kind, std::int32_t view);

// Month text of a date: the month's full name, a blank and the year ("March 2015").
std::string ZoneMonthText(double date);

// Statistic text: "n.c." for kNoFigure, else FloatToStrF(v x 100, fixed, 8, 1) + " %".
std::string ZoneValueText(double value);

// The zone step at pointer x (chart-area coordinates) on the selected page's
// history chart. A selected page in another view changes nothing. Mode 0
// clears the nine value texts and, when the chart has values at x, stores
// them as the start and places the box at plot left + 10, plot top + 10.
// Mode 1 (with a start) marks the drag and, when the values at x match the
// start in number, sets the zone to [earlier, later] of the two dates and
// writes per series i, over the chart's points in the zone:
//   R = (P_n / P_0)^(12 / n) - 1,  V = sd(r) x sqrt(12) (sd over n),
//   M = min_k P_k / max(P_0..P_k) - 1,
// with r_k = P_k / P_(k-1) - 1 and n returns. Mode 3 with final false marks
// the drag; with final true ends it and forgets the start. The box is
// visible exactly while the band is shown. Past the gate, PaintPhase := 1
// when the workspace is shown.
TZoneUpdate UpdateSelectedZoneInfos(TZoneSelection& zone, TViewState& state, TModelPages& pages, std::int32_t mode,
                                    float x, bool final);

// Pointer handlers. Press: starts a zone unless one is selected, only inside
// the plot span. Move with the left button held: extends inside the plot
// span, else marks the drag. Release and leave: end a selected zone; without
// one they still forget a start, so that a later drag never extends from a
// press long released.
TZoneUpdate ZonePress(TZoneSelection& zone, TViewState& state, TModelPages& pages, float x, bool insidePlotSpan);
TZoneUpdate ZoneDrag(TZoneSelection& zone, TViewState& state, TModelPages& pages, float x, bool insidePlotSpan);
TZoneUpdate ZoneRelease(TZoneSelection& zone, TViewState& state, TModelPages& pages, float x);
TZoneUpdate ZoneLeave(TZoneSelection& zone, TViewState& state, TModelPages& pages);

}  // namespace session
