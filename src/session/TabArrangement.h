#pragma once
// The decisions behind the secondary tab groups of the main window (VL left,
// HA top, VR right, HB bottom): which tabs, list selectors and track bars are
// shown for the current selection, what the tabs read and which of them are
// painted selected. The window applies the results to its controls.

#include <array>
#include <cstddef>
#include <optional>
#include <string>

#include "common/Globals.h"
#include "session/ViewState.h"

namespace session {

// What a ranking page (EQSL, FISL, FICY) tells about its result.
struct TSLPageFacts {
  std::size_t HistoryCount = 0;  // records of HistorySeries
  std::size_t HeatMapCount = 0;  // records of HeatMapSeries
  bool DataAvailable = false;    // the page's DataAvailable flag
};

struct TSLFacts {
  TSLPageFacts EQSL;
  TSLPageFacts FISL;
  TSLPageFacts FICY;
};

// Visibility of the secondary controls. An empty optional means the tabs of
// that group keep the visibility they had. PlaceVRAndHBTabsheets runs after
// the VR tabs whenever they are set; PlaceHATabsheets only where it says so.
struct TTabArrangement {
  bool Applies = false;  // false: no main tab chosen, nothing is changed (colours neither)

  bool VLTabsheetSupport = true;
  bool HATabsheetSupport = false;
  bool VRTabsheetSupport = false;
  bool HBTabsheetSupport = false;
  std::array<bool, kVLTabCount> VLTabsheet{true, true, true, true};
  std::optional<std::array<bool, kHATabCount>> HATabsheet;
  bool PlaceHATabsheets = false;  // HA tabs set but not placed when false (Global "Heat Map")
  std::optional<std::array<bool, kVRTabCount>> VRTabsheet;

  bool COListSelectionSupport = false;
  bool QVListSelectionSupport_1 = false;
  bool QVListSelectionSupport_2 = false;
  bool SLListSelectionSupport_1 = false;
  bool SLListSelectionSupport_2 = false;
  std::optional<std::string> COListSelectionTitle;  // empty: the title keeps its text

  bool VHistoryTrackBarMainSupport = false;
  bool VFIHeatMapTrackBarMainSupport = false;
  bool VEQHeatMapTrackBarMainSupport = false;
  bool VCYHeatMapTrackBarMainSupport = false;
  bool VZoneTrackBarMainSupport = false;
  bool VFXTrackBarMainSupport = false;
};

// Titles to write; an empty optional leaves the tab's title as it is.
struct TTabTitles {
  std::array<std::optional<std::string>, kVLTabCount> VL;
  std::array<std::optional<std::string>, kHATabCount> HA;
  std::array<std::optional<std::string>, kVRTabCount> VR;
  std::array<std::optional<std::string>, kHBTabCount> HB;
};

// Colours of one tab: fill and stroke together; FontColor only when painted selected.
struct TTabPaint {
  TAlphaColor Fill = claTabColorSets[0];
  std::optional<TAlphaColor> FontColor;
};

struct TTabColours {
  std::array<TTabPaint, kVLTabCount> VL;
  std::array<TTabPaint, kVRTabCount> VR;
  std::array<TTabPaint, kHATabCount> HA;
  std::array<TTabPaint, kHBTabCount> HB;
};

enum class TTabGroup { Main, Theme, VL, HA, VR, HB };

// Colours of a tab of a group: normal and highlight fill (and stroke), title font in both states.
struct TTabGroupColours {
  TAlphaColor NormalFill;
  TAlphaColor HighlightFill;
  TAlphaColor FontColor;
};

// Main tabs take the first set of claTabColorSets, theme and VL tabs the
// second, HA, VR and HB tabs claButtonColorSet.
TTabGroupColours TabGroupColours(TTabGroup group);

// Titles for the current page and its selected VL entry. Nothing when no
// page is chosen (main tab outside 0..2, Global with a sub-index other than
// 0, Equity or Bond with a sub-index outside 0..3).
TTabTitles SetTabsheetTitles(const TViewState& state);

// Visibility for the current selection; reads the state, changes nothing.
TTabArrangement ArrangeTabsheets(const TViewState& state, const TSLFacts& facts);

// Tab colours. allPages false: the selected path of the current record is
// painted. allPages true: every record's selection is first reset to its
// default, then every selected entry of every record is painted.
TTabColours SetTabsheetColours(TViewState& state, bool allPages);

}  // namespace session
