#include "session/TabArrangement.h"

#include "session/WindowTexts.h"

namespace session {
namespace {

enum class TPage { None, MYGP, EQGP, EQSL, EQQV, EQBL, FIGP, FISL, FICY, FIGF };

TPage CurrentPage(const TViewState& state) {
  static constexpr std::array<TPage, 4> kEquity{TPage::EQGP, TPage::EQSL, TPage::EQQV, TPage::EQBL};
  static constexpr std::array<TPage, 4> kBond{TPage::FIGP, TPage::FISL, TPage::FICY, TPage::FIGF};
  switch (state.SelectedMainTab) {
    case 0:
      return state.GlobalSubIndex == 0 ? TPage::MYGP : TPage::None;
    case 1:
      return state.EquitySubIndex >= 0 && state.EquitySubIndex < 4 ? kEquity[state.EquitySubIndex] : TPage::None;
    case 2:
      return state.BondSubIndex >= 0 && state.BondSubIndex < 4 ? kBond[state.BondSubIndex] : TPage::None;
    default:
      return TPage::None;
  }
}

// The current record, or none when CurrentModelRecord does not name one.
const TModelRecord* CurrentRecord(const TViewState& state) {
  const auto index = static_cast<std::size_t>(state.CurrentModelRecord);
  return state.CurrentModelRecord >= 0 && index < state.ModelRecords.size() ? &state.ModelRecords[index] : nullptr;
}

bool HASelected(const TVLTabEntry& vl, std::size_t j) { return j < vl.HATabs.size() && vl.HATabs[j].Selected; }
bool HBSelected(const TVLTabEntry& vl, std::size_t k) { return k < vl.HBTabs.size() && vl.HBTabs[k].Selected; }
bool VRSelected(const TVLTabEntry& vl, std::size_t k) {
  return !vl.HATabs.empty() && k < vl.HATabs[0].VRTabs.size() && vl.HATabs[0].VRTabs[k].Selected;
}

// Entry `index` of a title table; an index off the table writes no title.
template <std::size_t N>
std::optional<std::string> TitleAt(const std::array<std::string, N>& table, std::int32_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= N) return std::nullopt;
  return table[static_cast<std::size_t>(index)];
}

void OpenHA(TTabArrangement& a) {
  a.HATabsheet = std::array<bool, kHATabCount>{true, true, true, true, true, true, false};
  a.PlaceHATabsheets = true;
  a.HATabsheetSupport = true;
}

void CloseHA(TTabArrangement& a) {
  a.HATabsheet = std::array<bool, kHATabCount>{};
  a.PlaceHATabsheets = true;
  a.HATabsheetSupport = false;
}

template <std::size_t N>
void Allocation(TTabArrangement& a, const TVLTabEntry& vl, std::int32_t index, bool twoVR, bool fx, bool hb,
                const std::array<std::string, N>& titles) {
  a.VRTabsheet = std::array<bool, kVRTabCount>{twoVR, twoVR, false, false};
  a.VRTabsheetSupport = true;
  a.VFXTrackBarMainSupport = fx;
  a.VZoneTrackBarMainSupport = twoVR && VRSelected(vl, 1);
  a.HBTabsheetSupport = hb;
  a.COListSelectionSupport = true;
  a.COListSelectionTitle = TitleAt(titles, index);
}

// Heat map: the track bar only with more than 6 entries and "Detailed" (HB 1) chosen.
void HeatMap(TTabArrangement& a, const TVLTabEntry& vl, bool& trackBar, const TSLPageFacts& page) {
  CloseHA(a);
  a.HBTabsheetSupport = true;
  trackBar = page.HeatMapCount > 6 && HBSelected(vl, 1);
}

// History: the track bar with more than 16 records; the rank selector with data and HB 1 chosen.
void History(TTabArrangement& a, const TVLTabEntry& vl, const TSLPageFacts& page) {
  CloseHA(a);
  a.HBTabsheetSupport = true;
  a.VHistoryTrackBarMainSupport = page.HistoryCount > 16;
  a.SLListSelectionSupport_2 = page.DataAvailable && page.HistoryCount > 0 && HBSelected(vl, 1);
}

void SLPortfolio(TTabArrangement& a, const TVLTabEntry& vl) {
  OpenHA(a);
  for (std::size_t j = 0; j < vl.HATabs.size() && j < kHATabCount; ++j) {
    if (j == 3 || !vl.HATabs[j].Selected) continue;
    a.VRTabsheet = std::array<bool, kVRTabCount>{};
    a.VRTabsheetSupport = false;
  }
  a.HBTabsheetSupport = HASelected(vl, 0);
}

void SLPage(TTabArrangement& a, const TVLTabEntry& vl, std::size_t i, bool& heatMapTrack, const TSLPageFacts& page) {
  if (i == 0) HeatMap(a, vl, heatMapTrack, page);
  if (i == 1) History(a, vl, page);
  if (i == 2) SLPortfolio(a, vl);
}

void QVPage(TTabArrangement& a, const TViewState& state, const TVLTabEntry& vl, std::size_t i, bool showQV2) {
  if (i == 0) a.QVListSelectionSupport_2 = showQV2;
  if (i == 1) {
    CloseHA(a);
    a.QVListSelectionSupport_2 = showQV2;
    a.VHistoryTrackBarMainSupport = true;
  }
  if (i == 2) {
    OpenHA(a);
    a.HBTabsheetSupport = HASelected(vl, 0);
    a.COListSelectionSupport = HASelected(vl, 0);
    a.COListSelectionTitle = TitleAt(sEquityCOListTitles, state.EquityCOIndex);
  }
  if (i == 3) {
    OpenHA(a);
    a.QVListSelectionSupport_1 = true;
  }
}

const std::array<std::string, 6> kHATitles{"Allocation", "Performance", "NAV", "Drawdown", "1Y Rolling", "Information"};

void SetHATitles(TTabTitles& t, const char* first) {
  for (std::size_t j = 0; j < kHATitles.size(); ++j) t.HA[j] = kHATitles[j];
  t.HA[0] = first;
}

void SetHBTitles(TTabTitles& t, const char* first, const char* second) {
  t.HB[0] = first;
  t.HB[1] = second;
}

void Paint(TTabPaint& tab, TTabGroup group) {
  const TTabGroupColours colours = TabGroupColours(group);
  tab.Fill = colours.HighlightFill;
  tab.FontColor = colours.FontColor;
}

// Paints the selected entries under one VL entry: HA with their VR, then HB.
void PaintBelow(TTabColours& c, const TVLTabEntry& vl) {
  for (std::size_t j = 0; j < vl.HATabs.size() && j < kHATabCount; ++j) {
    if (!vl.HATabs[j].Selected) continue;
    Paint(c.HA[j], TTabGroup::HA);
    const auto& vr = vl.HATabs[j].VRTabs;
    for (std::size_t k = 0; k < vr.size() && k < kVRTabCount; ++k)
      if (vr[k].Selected) Paint(c.VR[k], TTabGroup::VR);
  }
  for (std::size_t k = 0; k < vl.HBTabs.size() && k < kHBTabCount; ++k)
    if (vl.HBTabs[k].Selected) Paint(c.HB[k], TTabGroup::HB);
}

}  // namespace

TTabGroupColours TabGroupColours(TTabGroup group) {
  switch (group) {
    case TTabGroup::Main:
      return {claTabColorSets[0], claTabColorSets[2], claTabColorSets[3]};
    case TTabGroup::Theme:
    case TTabGroup::VL:
      return {claTabColorSets[4], claTabColorSets[6], claTabColorSets[7]};
    default:
      return {claButtonColorSet[0], claButtonColorSet[2], claButtonColorSet[3]};
  }
}

TTabTitles SetTabsheetTitles(const TViewState& state) {
  TTabTitles t;
  const TPage page = CurrentPage(state);
  if (page == TPage::None) return t;
  t.VL = {"Heat Map", "History", "Portfolio", "Country"};
  const TModelRecord* record = CurrentRecord(state);
  if (record == nullptr) return t;
  for (std::size_t i = 0; i < record->VLTabs.size(); ++i) {
    const TVLTabEntry& vl = record->VLTabs[i];
    if (!vl.Selected) continue;
    switch (page) {
      case TPage::MYGP:
      case TPage::EQGP:
      case TPage::FIGP:
        if (page == TPage::MYGP && i != 2) break;
        if (i > 3) break;
        SetHATitles(t, "Allocation");
        if (HASelected(vl, 0)) {
          t.VR[0] = "Summarized";
          t.VR[1] = "Detailed";
          SetHBTitles(t, "Current", "Past");
        }
        break;
      case TPage::EQSL:
      case TPage::FISL:
      case TPage::FICY:
        if (i == 0 || i == 1) SetHBTitles(t, "Summarized", "Detailed");
        if (i == 2) {
          SetHATitles(t, "Allocation");
          SetHBTitles(t, "Current", "Past");
        }
        break;
      case TPage::EQQV:
      case TPage::EQBL:
        if (i == 2) {
          SetHATitles(t, "Allocation");
          SetHBTitles(t, "Current", "Past");
        }
        if (i == 3) SetHATitles(t, "Signal");
        break;
      case TPage::FIGF:
        if (i == 2) {
          SetHATitles(t, "Allocation");
          SetHBTitles(t, "Current", "Past");
        }
        break;
      case TPage::None:
        break;
    }
  }
  return t;
}

TTabArrangement ArrangeTabsheets(const TViewState& state, const TSLFacts& facts) {
  TTabArrangement a;
  if (state.SelectedMainTab == kNoMainTab) return a;
  a.Applies = true;  // baseline is the default of TTabArrangement

  const TPage page = CurrentPage(state);
  const TModelRecord* record = CurrentRecord(state);
  if (page == TPage::None || record == nullptr) return a;

  switch (page) {
    case TPage::MYGP:
      a.VLTabsheet[1] = a.VLTabsheet[3] = false;
      break;
    case TPage::EQGP:
    case TPage::FIGP:
      a.VLTabsheetSupport = false;
      break;
    case TPage::EQSL:
    case TPage::FISL:
    case TPage::FICY:
    case TPage::FIGF:
      a.VLTabsheet[3] = false;
      break;
    default:
      break;
  }

  for (std::size_t i = 0; i < record->VLTabs.size(); ++i) {
    const TVLTabEntry& vl = record->VLTabs[i];
    if (!vl.Selected) continue;
    switch (page) {
      case TPage::MYGP:
        if (i == 0) a.HATabsheet = std::array<bool, kHATabCount>{};  // hidden, not placed
        if (i == 2) {
          OpenHA(a);
          const std::int32_t co = state.GlobalCOIndex;
          if (HASelected(vl, 0)) Allocation(a, vl, co, co == 1 || co == 2, co == 3, co == 0, sGlobalCOListTitles);
        }
        break;
      case TPage::EQGP:
      case TPage::FIGP: {
        if (i > 3) break;
        OpenHA(a);
        const bool eq = page == TPage::EQGP;
        const std::int32_t co = eq ? state.EQGPCOIndex : state.FIGPCOIndex;
        if (!HASelected(vl, 0)) break;
        if (eq)
          Allocation(a, vl, co, co == 1, co == 2, co == 0, sEQGPCOListTitles);
        else
          Allocation(a, vl, co, co == 1, co == 2, co == 0, sFIGPCOListTitles);
        break;
      }
      case TPage::EQSL:
        SLPage(a, vl, i, a.VEQHeatMapTrackBarMainSupport, facts.EQSL);
        break;
      case TPage::FISL:
        SLPage(a, vl, i, a.VFIHeatMapTrackBarMainSupport, facts.FISL);
        break;
      case TPage::FICY:
        SLPage(a, vl, i, a.VCYHeatMapTrackBarMainSupport, facts.FICY);
        break;
      case TPage::EQQV:
      case TPage::EQBL:
        QVPage(a, state, vl, i, page == TPage::EQQV);
        break;
      case TPage::FIGF:
        if (i == 2) {
          OpenHA(a);
          if (HASelected(vl, 0)) a.HBTabsheetSupport = true;
        }
        break;
      case TPage::None:
        break;
    }
  }
  return a;
}

TTabColours SetTabsheetColours(TViewState& state, bool allPages) {
  TTabColours c;  // every VL, VR, HA and HB tab starts unselected-filled, fonts untouched
  if (!allPages) {
    const TModelRecord* record = CurrentRecord(state);
    if (record == nullptr) return c;
    for (std::size_t i = 0; i < record->VLTabs.size() && i < kVLTabCount; ++i) {
      const TVLTabEntry& vl = record->VLTabs[i];
      if (!vl.Selected) continue;
      Paint(c.VL[i], TTabGroup::VL);
      PaintBelow(c, vl);
    }
    return c;
  }
  ResetSelection(state);
  // Every selected entry of every record, whether or not its parent is selected.
  for (const TModelRecord& record : state.ModelRecords) {
    for (std::size_t i = 0; i < record.VLTabs.size() && i < kVLTabCount; ++i) {
      if (record.VLTabs[i].Selected) Paint(c.VL[i], TTabGroup::VL);
      PaintBelow(c, record.VLTabs[i]);
    }
  }
  return c;
}

}  // namespace session
