#pragma once
// The value indicators: while the pointer rests on a time chart, a callout
// box above the chart shows the month under the pointer and the values of
// the chart's series there, and small markers sit on the series at that
// point. Here the texts, colours, positions, sizes and visibility of the box
// (DatasetValueIndicatorSupport), its four rows (DatasetValueIndicator_0..3)
// and the three markers (ValuePositionIndicator_1..3); the window copies them
// into its controls. Coordinates are those of the chart area.

#include <array>
#include <cstdint>
#include <string>

#include "common/Globals.h"
#include "pages/ModelPages.h"
#include "session/ViewState.h"

namespace session {

// Requests of UpdateValueIndicators.
inline constexpr std::int32_t kShowValues = 1;
inline constexpr std::int32_t kHideValues = 3;

// A text row of the box (position within the box).
struct TIndicatorRow {
  std::string Text = "XXXXX";
  TAlphaColor FontColour = 0xFF4C4C4E;
  bool Visible = true;
  float X = 3.0f;
  float Y = 0.0f;
  float Width = 72.0f;
  float Height = 24.0f;
};

// A round marker on a series.
struct TIndicatorMarker {
  float X = 0.0f;
  float Y = 0.0f;
  float Width = 8.0f;
  float Height = 8.0f;
  bool Visible = false;
};

// The eight controls with their sizes and positions as designed; the box
// and the markers start hidden.
struct TValueIndicators {
  bool ValueIndicatorsShown = false;

  float BoxX = 1.0f;
  float BoxY = 75.0f;
  float BoxWidth = 80.0f;
  float BoxHeight = 110.0f;
  float CalloutWidth = 15.0f;
  float CalloutLength = 15.0f;
  float CalloutOffset = -15.0f;
  bool BoxVisible = false;

  // 0 the date row (white), 1..3 the value rows.
  std::array<TIndicatorRow, 4> Rows{
      TIndicatorRow{"XXXXX", 0xFFFFFFFF, true, 3.0f, 0.0f}, TIndicatorRow{"XXXXX", 0xFF4C4C4E, true, 3.0f, 23.0f},
      TIndicatorRow{"XXXXX", 0xFF4C4C4E, true, 3.0f, 46.0f}, TIndicatorRow{"XXXXX", 0xFF4C4C4E, true, 3.0f, 69.0f}};
  std::array<TIndicatorMarker, 3> Markers{TIndicatorMarker{208.0f, 32.0f}, TIndicatorMarker{216.0f, 40.0f},
                                          TIndicatorMarker{224.0f, 48.0f}};
};

// Whether the window must repaint the chart area (PaintPhase is then 1).
struct TIndicatorUpdate {
  bool Repaint = false;
};

// The bar chart of a page's current view whose hover label the indicators
// compare and clear: EQGP view 0; EQSL, FISL, FICY view 4; EQQV, EQBL views
// 12 and 14 (each its own chart); nullptr for any other page or view.
TSeriesBarChart* HoverLabelChart(TModelPages& pages, TPageKind kind);

// "Mar 2015": the month's abbreviation, a blank and the year.
std::string IndicatorDateText(double date);

// Request 1 shows the values of the selected page at (x, y):
//   rows = n + 1 for a chart view of n pairs, n for a bar view (one value
//   row: the segment's own value); box height = row height x rows + callout
//   length; marker i centred on DataToScreen(pair i), 2 lower (a bar view:
//   marker 1 on the segment's top, DataToScreen(date, base + value));
//   box x = marker 1 x + marker width / 2 - box width - callout offset +
//   callout width / 2, box y = marker 1 y - box height.
// An empty value list (no page, a view without values, the pointer outside
// the data) hides box and markers. A changed hover label of the view's bar
// chart asks for a repaint.
// Request 3 hides box, rows and markers and clears the hover labels of the
// view's bar chart (asking for a repaint).
// Repaints are asked for only while the workspace is shown.
TIndicatorUpdate UpdateValueIndicators(TValueIndicators& indicators, TViewState& state, TModelPages& pages,
                                       std::int32_t request, float x, float y);

}  // namespace session
