#pragma once
// The main window's view state: which main tab and theme are chosen, the
// per-model tab selection trees, the table of views, the list positions and
// the six track bars. The window holds one TViewState and applies it to its
// controls; nothing here draws.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace session {

// One tab of a group and whether it is the chosen one.
struct TTabEntry {
  bool Selected = false;
};

// A top (HA) tab with the right (VR) tabs it offers.
struct THATabEntry {
  bool Selected = false;
  std::vector<TTabEntry> VRTabs;  // VRTabsheet_1 .. _4
};

// A left (VL) tab with the top (HA) and bottom (HB) tabs it offers.
struct TVLTabEntry {
  bool Selected = false;
  std::vector<THATabEntry> HATabs;  // HATabsheet_1 .. _7
  std::vector<TTabEntry> HBTabs;    // HBTabsheet_1, _2
};

// The tab selection tree of one model: four left tabs.
struct TModelRecord {
  std::vector<TVLTabEntry> VLTabs;  // VLTabsheet_1 .. _4
};

// One view: its id and the selection that leads to it; -1 in an index
// field means the group takes no part (the key still compares -1).
struct TViewTableEntry {
  std::int32_t ViewId = 0;
  std::int32_t MainTab = 0;
  std::int32_t SubIndex = 0;
  std::int32_t VLIndex = -1;
  std::int32_t HAIndex = -1;
  std::int32_t VRIndex = -1;
  std::int32_t HBIndex = -1;
  std::int32_t ListIndex = -1;
};

// Group sizes of a model record.
inline constexpr int kVLTabCount = 4;
inline constexpr int kHATabCount = 7;
inline constexpr int kVRTabCount = 4;
inline constexpr int kHBTabCount = 2;
inline constexpr int kModelCount = 9;
inline constexpr std::int32_t kNoView = 21;
inline constexpr std::int32_t kNoMainTab = 3;

// One vertical track bar.
struct TrackBarState {
  double CursorCoordinate = 16.0;       // cursor Y along its guide after its last placement
  std::int32_t ItemCount = 0;           // items the bar scrolls over
  std::int32_t PageSize = 0;            // items shown at once
  std::int32_t Position = 0;            // first shown item
  std::int32_t CommittedPosition = -1;  // position last applied; -1 after a reset
  std::int32_t PressTicks = 0;          // main-timer ticks counted while pressed
  bool Pressed = false;
  bool Held = false;  // pressed long enough: dragging allowed
};

struct TViewState {
  // Selection: main tab 0 Global, 1 Equity, 2 Bond, 3 none chosen yet.
  std::int32_t SelectedMainTab = kNoMainTab;
  std::int32_t GlobalSubIndex = -1;
  std::int32_t EquitySubIndex = -1;
  std::int32_t BondSubIndex = -1;

  // Nine records: 0 MYGP, 1..4 EQGP, EQSL, EQQV, EQBL, 5..8 FIGP, FISL, FICY, FIGF.
  std::vector<TModelRecord> ModelRecords;
  std::int32_t CurrentModelRecord = -1;  // index into ModelRecords; -1 none

  std::vector<TViewTableEntry> ViewTable;
  std::int32_t CurrentViewId = 0;  // kNoView when the selection matches no entry
  std::int32_t PaintPhase = 3;     // 0 place track bars, 1 draw, 2 both, other nothing

  bool WorkspaceShown = false;
  bool ViewUpdatesEnabled = false;
  bool WorkDataReady = false;

  // List positions.
  std::int32_t CountryListIndex = 0;
  std::int32_t PreviousCountryListIndex = 0;
  std::int32_t QVList2Index = 0;
  std::int32_t EQSLRank = 1;
  std::int32_t FISLRank = 1;
  std::int32_t FICYRank = 1;
  std::int32_t GlobalCOIndex = 0;
  std::int32_t EQGPCOIndex = 0;
  std::int32_t EquityCOIndex = 0;
  std::int32_t FIGPCOIndex = 0;

  // Titles of the list selectors.
  std::string QVListTitle1 = "Equity Risk";  // QVListSelectionTitle_1
  std::string QVListTitle2 = "Equity Risk";  // QVListSelectionTitle_2
  std::string SLListTitle1;                  // SLListSelectionTitle_1
  std::string SLListTitle2 = "Rank 1";       // SLListSelectionTitle_2
  std::string COListTitle = "All";           // COListSelectionTitle

  // The six track bars in window order; sizes of the workspace start.
  TrackBarState FIHeatMapTrack{16.0, 24, 6};
  TrackBarState EQHeatMapTrack{16.0, 24, 6};
  TrackBarState CYHeatMapTrack{16.0, 24, 6};
  TrackBarState HistoryTrack{16.0, 30, 16};
  TrackBarState ZoneTrack{16.0, 46, 16};
  TrackBarState FXTrack{16.0, 28, 16};

  TViewState();

  // The six track bars in window order.
  std::array<TrackBarState*, 6> TrackBars();
};

// Nine records of four VL entries, each with seven HA entries of four VR
// entries and two HB entries; nothing selected.
std::vector<TModelRecord> SetupTabsheets();

// The 113 views, model by model (MYGP, EQGP, EQSL, EQQV, EQBL, FIGP, FISL, FICY, FIGF).
std::vector<TViewTableEntry> BuildViewTable();

// View id of the first entry whose seven key fields equal the arguments; kNoView when none.
std::int32_t FindViewId(const TViewState& state, std::int32_t mainTab, std::int32_t subTab, std::int32_t vl,
                        std::int32_t ha, std::int32_t vr, std::int32_t hb, std::int32_t option);

// Record of the selection: Global 0; Equity 1 + EquitySubIndex; Bond 5 +
// BondSubIndex; 0 when the sub-index is outside 0..3 (unsigned test) or no
// main tab is chosen.
std::int32_t ModelRecordIndex(const TViewState& state);

// CurrentModelRecord := ModelRecordIndex.
void SelectCurrentModelRecord(TViewState& state);

// Selection reset: VL entry 2 in records 1 (EQGP) and 5 (FIGP), VL entry 0
// elsewhere; HA 0 and HB 0 in every VL entry; VR 0 in every HA entry.
void ResetSelection(TViewState& state);

// The workspace start up to the theme clicks: no main tab or theme chosen,
// list positions and titles, track bars, selection reset, view updates off.
// The caller then replays the theme clicks (FinishInitWorkspace does them).
void InitWorkspaceState(TViewState& state);

// A click on theme tab 0..8: tab 0 GlobalSubIndex 0; tabs 1, 4, 2, 3
// EquitySubIndex 0..3; tabs 5, 7, 8, 6 BondSubIndex 0..3; then the current
// record by the rule. Other tab numbers change nothing.
void SelectTheme(TViewState& state, int themeTab);

// The end of the workspace start: themes 0, 1 and 5, each followed by the
// first left tab of the current record (only while the workspace is shown),
// then view updates on.
void FinishInitWorkspace(TViewState& state);

// Later main-timer ticks: a pressed bar counts up to 5 ticks, then is held.
void TickTrackBarHolds(TViewState& state);

}  // namespace session
