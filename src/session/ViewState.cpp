#include "session/ViewState.h"

#include <cstddef>
#include <span>

namespace session {

namespace {

// A view of one model without its main tab and sub-index.
struct TViewKey {
  std::int32_t ViewId, VL, HA, VR, HB, List;
};

// Views of each model; every model ends with the five HA views 16..20 of VL 2.
constexpr TViewKey kMYGPViews[] = {{0, 0, -1, -1, -1, -1}, {5, 2, 0, -1, 0, 0},  {6, 2, 0, -1, 1, 0},
                                   {11, 2, 0, 0, -1, 1},   {12, 2, 0, 1, -1, 1}, {13, 2, 0, 0, -1, 2},
                                   {14, 2, 0, 1, -1, 2},   {15, 2, 0, -1, -1, 3}};
constexpr TViewKey kEQGPViews[] = {
    {5, 2, 0, -1, 0, 0}, {6, 2, 0, -1, 1, 0}, {11, 2, 0, 0, -1, 1}, {12, 2, 0, 1, -1, 1}, {15, 2, 0, -1, -1, 2}};
constexpr TViewKey kRankingViews[] = {{0, 0, -1, -1, 0, -1}, {1, 0, -1, -1, 1, -1}, {2, 1, -1, -1, 0, -1},
                                      {3, 1, -1, -1, 1, -1}, {5, 2, 0, -1, 0, -1},  {6, 2, 0, -1, 1, -1}};
constexpr TViewKey kMacroViews[] = {{0, 0, -1, -1, -1, -1}, {2, 1, -1, -1, -1, -1}, {5, 2, 0, -1, 0, 0},
                                    {6, 2, 0, -1, 1, 0},    {7, 2, 0, -1, 0, 1},    {8, 2, 0, -1, 1, 1},
                                    {9, 2, 0, -1, 0, 2},    {10, 2, 0, -1, 1, 2}};
constexpr TViewKey kFIGPViews[] = {
    {5, 2, 0, -1, 0, 0}, {6, 2, 0, -1, 1, 0}, {13, 2, 0, 0, -1, 1}, {14, 2, 0, 1, -1, 1}, {15, 2, 0, -1, -1, 2}};
constexpr TViewKey kFIGFViews[] = {
    {0, 0, -1, -1, -1, -1}, {2, 1, -1, -1, -1, -1}, {5, 2, 0, -1, 0, -1}, {6, 2, 0, -1, 1, -1}};

void AppendViews(std::vector<TViewTableEntry>& table, std::int32_t mainTab, std::int32_t subIndex,
                 std::span<const TViewKey> keys) {
  for (const TViewKey& k : keys) table.push_back({k.ViewId, mainTab, subIndex, k.VL, k.HA, k.VR, k.HB, k.List});
}

// Views 16..20: the HA tabs 1..5 under the given left tab.
void AppendPerformanceViews(std::vector<TViewTableEntry>& table, std::int32_t mainTab, std::int32_t subIndex,
                            std::int32_t vl) {
  for (std::int32_t ha = 1; ha <= 5; ++ha) table.push_back({15 + ha, mainTab, subIndex, vl, ha, -1, -1, -1});
}

void AppendModel(std::vector<TViewTableEntry>& table, std::int32_t mainTab, std::int32_t subIndex,
                 std::span<const TViewKey> keys, bool countryViews) {
  AppendViews(table, mainTab, subIndex, keys);
  AppendPerformanceViews(table, mainTab, subIndex, 2);
  if (countryViews) {  // EQQV and EQBL: view 4 and the HA views again under left tab 3
    table.push_back({4, mainTab, subIndex, 3, 0, -1, -1, -1});
    AppendPerformanceViews(table, mainTab, subIndex, 3);
  }
}

template <typename T>
void SelectOnly(std::vector<T>& entries, std::size_t chosen) {
  for (std::size_t i = 0; i < entries.size(); ++i) entries[i].Selected = (i == chosen);
}

void ResetTrackBar(TrackBarState& bar, std::int32_t itemCount, std::int32_t pageSize) {
  bar.CursorCoordinate = 16.0;
  bar.ItemCount = itemCount;
  bar.PageSize = pageSize;
  bar.Position = 0;
  bar.CommittedPosition = -1;
}

}  // namespace

TViewState::TViewState() : ModelRecords(SetupTabsheets()), ViewTable(BuildViewTable()) {}

std::array<TrackBarState*, 6> TViewState::TrackBars() {
  return {&FIHeatMapTrack, &EQHeatMapTrack, &CYHeatMapTrack, &HistoryTrack, &ZoneTrack, &FXTrack};
}

std::vector<TModelRecord> SetupTabsheets() {
  TVLTabEntry vl;
  THATabEntry ha;
  ha.VRTabs.resize(kVRTabCount);
  vl.HATabs.assign(kHATabCount, ha);
  vl.HBTabs.resize(kHBTabCount);
  TModelRecord record;
  record.VLTabs.assign(kVLTabCount, vl);
  return std::vector<TModelRecord>(kModelCount, record);
}

std::vector<TViewTableEntry> BuildViewTable() {
  std::vector<TViewTableEntry> table;
  table.reserve(113);
  AppendModel(table, 0, 0, kMYGPViews, false);
  AppendModel(table, 1, 0, kEQGPViews, false);
  AppendModel(table, 1, 1, kRankingViews, false);
  AppendModel(table, 1, 2, kMacroViews, true);
  AppendModel(table, 1, 3, kMacroViews, true);
  AppendModel(table, 2, 0, kFIGPViews, false);
  AppendModel(table, 2, 1, kRankingViews, false);
  AppendModel(table, 2, 2, kRankingViews, false);
  AppendModel(table, 2, 3, kFIGFViews, false);
  return table;
}

std::int32_t FindViewId(const TViewState& state, std::int32_t mainTab, std::int32_t subTab, std::int32_t vl,
                        std::int32_t ha, std::int32_t vr, std::int32_t hb, std::int32_t option) {
  for (const TViewTableEntry& e : state.ViewTable) {
    if (e.MainTab == mainTab && e.SubIndex == subTab && e.VLIndex == vl && e.HAIndex == ha && e.VRIndex == vr &&
        e.HBIndex == hb && e.ListIndex == option)
      return e.ViewId;
  }
  return kNoView;
}

std::int32_t ModelRecordIndex(const TViewState& state) {
  switch (state.SelectedMainTab) {
    case 1:
      return static_cast<std::uint32_t>(state.EquitySubIndex) <= 3 ? 1 + state.EquitySubIndex : 0;
    case 2:
      return static_cast<std::uint32_t>(state.BondSubIndex) <= 3 ? 5 + state.BondSubIndex : 0;
    default:
      return 0;
  }
}

void SelectCurrentModelRecord(TViewState& state) { state.CurrentModelRecord = ModelRecordIndex(state); }

void ResetSelection(TViewState& state) {
  for (std::size_t r = 0; r < state.ModelRecords.size(); ++r) {
    TModelRecord& record = state.ModelRecords[r];
    SelectOnly(record.VLTabs, (r == 1 || r == 5) ? 2 : 0);
    for (TVLTabEntry& vl : record.VLTabs) {
      SelectOnly(vl.HATabs, 0);
      SelectOnly(vl.HBTabs, 0);
      for (THATabEntry& ha : vl.HATabs) SelectOnly(ha.VRTabs, 0);
    }
  }
}

void InitWorkspaceState(TViewState& state) {
  state.SelectedMainTab = kNoMainTab;
  state.GlobalSubIndex = -1;
  state.EquitySubIndex = -1;
  state.BondSubIndex = -1;

  // The CO indices keep their values.
  state.CountryListIndex = 0;
  state.PreviousCountryListIndex = 0;
  state.QVList2Index = 0;
  state.EQSLRank = 1;
  state.FISLRank = 1;
  state.FICYRank = 1;
  state.QVListTitle2 = "Equity Risk";
  state.SLListTitle2 = "Rank 1";
  state.QVListTitle1 = "USA";            // the first country
  state.SLListTitle1 = "North America";  // the first region

  // The press state (PressTicks, Pressed, Held) is left as it is.
  ResetTrackBar(state.FIHeatMapTrack, 24, 6);
  ResetTrackBar(state.EQHeatMapTrack, 24, 6);
  ResetTrackBar(state.CYHeatMapTrack, 24, 6);
  ResetTrackBar(state.HistoryTrack, 30, 16);
  ResetTrackBar(state.ZoneTrack, 46, 16);
  ResetTrackBar(state.FXTrack, 28, 16);

  ResetSelection(state);
  state.ViewUpdatesEnabled = false;
}

void SelectTheme(TViewState& state, int themeTab) {
  switch (themeTab) {
    case 0:
      state.GlobalSubIndex = 0;
      break;
    case 1:
    case 4:
    case 2:
    case 3:
      state.EquitySubIndex = themeTab == 1 ? 0 : themeTab == 4 ? 1 : themeTab;
      break;
    case 5:
    case 7:
    case 8:
    case 6:
      state.BondSubIndex = themeTab == 5 ? 0 : themeTab == 7 ? 1 : themeTab == 8 ? 2 : 3;
      break;
    default:
      return;
  }
  SelectCurrentModelRecord(state);
}

void FinishInitWorkspace(TViewState& state) {
  for (int theme : {0, 1, 5}) {
    SelectTheme(state, theme);
    // The click on the first left tab counts only while the workspace is shown.
    if (state.WorkspaceShown && state.CurrentModelRecord >= 0)
      SelectOnly(state.ModelRecords[static_cast<std::size_t>(state.CurrentModelRecord)].VLTabs, 0);
  }
  state.ViewUpdatesEnabled = true;
}

void TickTrackBarHolds(TViewState& state) {
  for (TrackBarState* bar : state.TrackBars()) {
    if (!bar->Pressed) continue;
    if (bar->PressTicks <= 4)
      ++bar->PressTicks;
    else
      bar->Held = true;
  }
}

}  // namespace session
