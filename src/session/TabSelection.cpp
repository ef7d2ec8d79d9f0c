#include "session/TabSelection.h"

#include <algorithm>
#include <cstddef>

namespace session {

namespace {

bool InRange(std::int32_t index, std::int32_t count) { return index >= 0 && index < count; }

TModelRecord* CurrentRecord(TViewState& state) {
  if (!InRange(state.CurrentModelRecord, static_cast<std::int32_t>(state.ModelRecords.size()))) return nullptr;
  return &state.ModelRecords[static_cast<std::size_t>(state.CurrentModelRecord)];
}

// Highest selected index among the first `limit` entries; -1 when none.
template <typename T>
std::int32_t HighestSelected(const std::vector<T>& entries, std::size_t limit) {
  for (std::size_t i = std::min(limit, entries.size()); i-- > 0;)
    if (entries[i].Selected) return static_cast<std::int32_t>(i);
  return -1;
}

template <typename T>
std::int32_t HighestSelected(const std::vector<T>& entries) {
  return HighestSelected(entries, entries.size());
}

void Paint(TTabSelection& out, TTabGroup group, std::int32_t index, bool highlighted) {
  out.Paints.push_back({{group, index}, highlighted});
}

// Selected := (index = k) over the list; every other tab gets its normal colours.
template <typename T>
void SelectOnly(std::vector<T>& entries, std::int32_t k, TTabGroup group, TTabSelection& out) {
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const bool chosen = static_cast<std::int32_t>(i) == k;
    entries[i].Selected = chosen;
    if (!chosen) Paint(out, group, static_cast<std::int32_t>(i), false);
  }
}

void SelectVL(TViewState& state, std::int32_t k, TTabSelection& out) {
  if (TModelRecord* record = CurrentRecord(state)) SelectOnly(record->VLTabs, k, TTabGroup::VL, out);
}

// The HA, HB and VR lists are those of every selected VL entry; the VR lists
// of all its HA entries, so that its HA tabs share one VR choice.
void SelectHA(TViewState& state, std::int32_t k, TTabSelection& out) {
  if (TModelRecord* record = CurrentRecord(state))
    for (TVLTabEntry& vl : record->VLTabs)
      if (vl.Selected) SelectOnly(vl.HATabs, k, TTabGroup::HA, out);
}

void SelectHB(TViewState& state, std::int32_t k, TTabSelection& out) {
  if (TModelRecord* record = CurrentRecord(state))
    for (TVLTabEntry& vl : record->VLTabs)
      if (vl.Selected) SelectOnly(vl.HBTabs, k, TTabGroup::HB, out);
}

void SelectVR(TViewState& state, std::int32_t k, TTabSelection& out) {
  if (TModelRecord* record = CurrentRecord(state))
    for (TVLTabEntry& vl : record->VLTabs)
      if (vl.Selected)
        for (THATabEntry& ha : vl.HATabs) SelectOnly(ha.VRTabs, k, TTabGroup::VR, out);
}

std::int32_t SubIndexOf(const TViewState& state, std::int32_t mainTab) {
  switch (mainTab) {
    case 0:
      return state.GlobalSubIndex;
    case 1:
      return state.EquitySubIndex;
    case 2:
      return state.BondSubIndex;
    default:
      return -1;
  }
}

// Main tab and sub-index a theme tab sets: tab 0 Global 0; tabs 1, 4, 2, 3
// Equity 0..3; tabs 5, 7, 8, 6 Bond 0..3.
struct TThemeChoice {
  std::int32_t MainTab;
  std::int32_t SubIndex;
};
constexpr TThemeChoice kThemes[9] = {{0, 0}, {1, 0}, {1, 2}, {1, 3}, {1, 1}, {2, 0}, {2, 3}, {2, 1}, {2, 2}};

void MainTabStep(TViewState& state, std::int32_t k, TTabSelection& out) {
  state.SelectedMainTab = k;
  std::array<bool, 9> visible{};
  for (std::int32_t theme = 1; theme < 9; ++theme) visible[theme] = kThemes[theme].MainTab == k;
  out.ThemeTabVisible = visible;
  for (std::int32_t other = 0; other < 3; ++other)
    if (other != k) Paint(out, TTabGroup::Main, other, false);
  SelectCurrentModelRecord(state);
}

void ThemeStep(TViewState& state, std::int32_t theme, TTabSelection& out) {
  Paint(out, TTabGroup::Theme, theme, true);
  const std::int32_t main = kThemes[theme].MainTab;
  if (main != 0)
    for (std::int32_t sibling = main == 1 ? 1 : 5, last = sibling + 3; sibling <= last; ++sibling)
      if (sibling != theme) Paint(out, TTabGroup::Theme, sibling, false);
  SelectTheme(state, theme);  // sets the sub-index, then the current record
}

bool ValidTab(TTabRef tab) {
  switch (tab.Group) {
    case TTabGroup::Main:
      return InRange(tab.Index, 3);
    case TTabGroup::Theme:
      return InRange(tab.Index, 9);
    case TTabGroup::VL:
      return InRange(tab.Index, kVLTabCount);
    case TTabGroup::HA:
      return InRange(tab.Index, kHATabCount);
    case TTabGroup::VR:
      return InRange(tab.Index, kVRTabCount);
    case TTabGroup::HB:
      return InRange(tab.Index, kHBTabCount);
  }
  return false;
}

void ArrangeTabs(TViewState& state, TModelPages& pages, TTabSelection& out) {
  TTabSelection::TTabs tabs;
  tabs.Titles = SetTabsheetTitles(state);
  tabs.Arrangement = ArrangeTabsheets(state, RankingFacts(pages));
  if (tabs.Arrangement.Applies) tabs.Colours = SetTabsheetColours(state, false);
  out.Tabs = std::move(tabs);
}

// The selector values a model's page takes; -1 for none and for a selector
// the model does not have.
struct TSelectors {
  std::int32_t HA = -1;
  std::int32_t VR = -1;
  std::int32_t HB = -1;
  std::int32_t CO = -1;
};

TSelectors ModelSelectors(const TViewState& state, TPageKind kind, const TVLTabEntry& entry, std::int32_t vl) {
  const std::int32_t ha = HighestSelected(entry.HATabs, 6);  // HATabsheet_7 is not looked at
  const std::int32_t hb = HighestSelected(entry.HBTabs, kHBTabCount);
  // The VR choice of HA entry h: MYGP has two VR tabs, the others four.
  auto vr = [&](std::int32_t h) -> std::int32_t {
    if (h < 0) return -1;
    return HighestSelected(entry.HATabs[static_cast<std::size_t>(h)].VRTabs, kind == TPageKind::MYGP ? 2 : 4);
  };
  TSelectors s;
  switch (kind) {
    case TPageKind::MYGP:
      if (vl == 1 || vl == 3) {
        s.CO = state.GlobalCOIndex;
      } else if (vl == 2) {
        s.HA = ha;
        s.CO = ha <= 0 ? state.GlobalCOIndex : -1;
        s.VR = s.CO == 1 || s.CO == 2 ? vr(ha) : -1;
        s.HB = s.CO == 0 ? hb : -1;
      }
      break;
    case TPageKind::EQGP:
    case TPageKind::FIGP:
      s.HA = ha;
      s.CO = ha <= 0 ? (kind == TPageKind::EQGP ? state.EQGPCOIndex : state.FIGPCOIndex) : -1;
      s.VR = s.CO == 1 ? vr(ha) : -1;
      s.HB = s.CO == 0 && ha != -1 ? hb : -1;
      break;
    case TPageKind::EQQV:
    case TPageKind::EQBL:
      if (vl == 2) {
        s.HA = ha;
        s.HB = ha == 0 ? hb : -1;
        s.CO = ha == 0 ? state.EquityCOIndex : -1;
      } else if (vl == 3) {
        s.HA = ha;
      }
      break;
    case TPageKind::EQSL:
    case TPageKind::FISL:
    case TPageKind::FICY:
      if (vl == 0 || vl == 1) {
        s.HB = hb;
      } else if (vl == 2) {
        s.HA = ha;
        s.HB = ha == 0 ? hb : -1;
      }
      break;
    case TPageKind::FIGF:
      if (vl == 2) {
        s.HA = ha;
        s.HB = ha == 0 ? hb : -1;
      }
      break;
    case TPageKind::None:
      break;
  }
  return s;
}

// The click handler's body; the VL click issues the click of its HA tab into the same result.
void Click(TViewState& state, TModelPages& pages, TTabRef tab, TTabSelection& out) {
  out.Handled = true;
  if ((tab.Group == TTabGroup::Main || tab.Group == TTabGroup::VL) && SelectTabsheet(state, pages, tab, out)) return;
  // A main or VL tab's own step has already run inside SelectTabsheet.
  switch (tab.Group) {
    case TTabGroup::Main:
      ShowSelectedView(state, pages, out);
      break;
    case TTabGroup::VL:
      // Reopen the HA tab this VL tab had last.
      if (TModelRecord* record = CurrentRecord(state)) {
        const std::int32_t ha = HighestSelected(record->VLTabs[static_cast<std::size_t>(tab.Index)].HATabs);
        if (ha >= 0) Click(state, pages, {TTabGroup::HA, ha}, out);
      }
      break;
    case TTabGroup::HA:
    case TTabGroup::VR:
    case TTabGroup::HB:
      Paint(out, tab.Group, tab.Index, true);
      if (tab.Group == TTabGroup::HA) SelectHA(state, tab.Index, out);
      if (tab.Group == TTabGroup::VR) SelectVR(state, tab.Index, out);
      if (tab.Group == TTabGroup::HB) SelectHB(state, tab.Index, out);
      if (state.ViewUpdatesEnabled) ShowSelectedView(state, pages, out);
      break;
    case TTabGroup::Theme:
      break;
  }
  ArrangeTabs(state, pages, out);
}

}  // namespace

TSLFacts RankingFacts(const TModelPages& pages) {
  auto facts = [](const TRankingGraphic& page) {
    TSLPageFacts f;
    f.HistoryCount = page.Record.RankingRows ? page.Record.RankingRows->size() : 0;
    f.HeatMapCount = page.Record.RankingPages ? page.Record.RankingPages->size() : 0;
    f.DataAvailable = page.DataAvailable;
    return f;
  };
  return {facts(pages.EQSLGraphic), facts(pages.FISLGraphic), facts(pages.FICYGraphic)};
}

TTabSelection OnTabsheetClick(TViewState& state, TModelPages& pages, TTabRef tab) {
  if (tab.Group == TTabGroup::Theme) return OnThemesSelectionTabsheetClick(state, pages, tab.Index);
  TTabSelection out;
  if (!state.WorkspaceShown || !ValidTab(tab)) return out;
  Click(state, pages, tab, out);
  return out;
}

TTabSelection OnThemesSelectionTabsheetClick(TViewState& state, TModelPages& pages, std::int32_t themeTab) {
  TTabSelection out;
  if (!InRange(themeTab, 9)) return out;
  const TThemeChoice& theme = kThemes[themeTab];
  if (SubIndexOf(state, theme.MainTab) == theme.SubIndex) return out;  // already chosen
  out.Handled = true;
  if (SelectTabsheet(state, pages, {TTabGroup::Theme, themeTab}, out)) return out;
  // The theme step has already run inside SelectTabsheet.
  if (state.ViewUpdatesEnabled) ShowSelectedView(state, pages, out);
  out.IntraMonthTitleFontColor = kIntraMonthTitleColour;
  return out;
}

bool SelectTabsheet(TViewState& state, TModelPages& pages, TTabRef tab, TTabSelection& out) {
  const bool vlClick = tab.Group == TTabGroup::VL;
  if (!ValidTab(tab) || !(tab.Group == TTabGroup::Main || tab.Group == TTabGroup::Theme || vlClick)) return false;
  Paint(out, tab.Group, tab.Index, true);
  if (tab.Group == TTabGroup::Main) MainTabStep(state, tab.Index, out);
  if (tab.Group == TTabGroup::Theme) ThemeStep(state, tab.Index, out);
  if (vlClick) SelectVL(state, tab.Index, out);

  const std::int32_t main = state.SelectedMainTab;
  const std::int32_t sub = SubIndexOf(state, main);
  std::int32_t vlKey = 0;
  if (vlClick)
    if (const TModelRecord* record = CurrentRecord(state)) vlKey = std::max(0, HighestSelected(record->VLTabs));

  const TViewTableEntry* found = nullptr;
  for (const TViewTableEntry& e : state.ViewTable) {
    if (e.ViewId == state.CurrentViewId && e.MainTab == main && e.SubIndex == sub && (!vlClick || e.VLIndex == vlKey)) {
      found = &e;
      break;
    }
  }
  if (!found) return false;

  const TViewTableEntry e = *found;
  if (!vlClick && e.VLIndex != -1) SelectVL(state, e.VLIndex, out);
  if (e.HAIndex != -1) SelectHA(state, e.HAIndex, out);
  if (e.HBIndex != -1) SelectHB(state, e.HBIndex, out);
  if (e.VRIndex != -1) SelectVR(state, e.VRIndex, out);
  if (e.ListIndex != -1) {
    if (main == 0 && state.GlobalSubIndex == 0)
      state.GlobalCOIndex = e.ListIndex;
    else if (main == 1 && (state.EquitySubIndex == 2 || state.EquitySubIndex == 3))
      state.EquityCOIndex = e.ListIndex;
    else if (main == 1 && state.EquitySubIndex == 0)
      state.EQGPCOIndex = e.ListIndex;
    else if (main == 2 && state.BondSubIndex == 0)
      state.FIGPCOIndex = e.ListIndex;
  }
  if (state.ViewUpdatesEnabled) ShowSelectedView(state, pages, out);
  ArrangeTabs(state, pages, out);
  return true;
}

void ShowSelectedView(TViewState& state, TModelPages& pages, TTabSelection& out) {
  out.ViewShown = true;
  out.HideValueIndicators = true;

  const TPageKind kind =
      PageForTab(state.SelectedMainTab, state.GlobalSubIndex, state.EquitySubIndex, state.BondSubIndex);
  const TModelRecord* record = CurrentRecord(state);
  const std::int32_t vl = record ? HighestSelected(record->VLTabs) : -1;
  if (vl != -1 && kind != TPageKind::None) {
    const TSelectors s = ModelSelectors(state, kind, record->VLTabs[static_cast<std::size_t>(vl)], vl);
    if (vl == 1) {
      const std::int32_t* rank = kind == TPageKind::EQSL   ? &state.EQSLRank
                                 : kind == TPageKind::FISL ? &state.FISLRank
                                 : kind == TPageKind::FICY ? &state.FICYRank
                                                           : nullptr;
      if (rank) state.SLListTitle2 = "Rank " + std::to_string(*rank);
    }
    pages.SelectView(kind, vl, s.HA, s.VR, s.HB, s.CO);
    const std::int32_t main = state.SelectedMainTab;
    state.CurrentViewId = FindViewId(state, main, SubIndexOf(state, main), vl, s.HA, s.VR, s.HB, s.CO);
  }

  if (state.WorkspaceShown) {
    state.PaintPhase = 2;
    out.Repaint = true;
  }
  ArrangeTabs(state, pages, out);  // screen mode 3

  std::int32_t view = -1;
  pages.WithPage(kind, [&](auto& page) { view = page.CurrentView; });
  out.Titles = UpdateMainTitles(state, view);
}

TTabSelection ShowSelectedView(TViewState& state, TModelPages& pages) {
  TTabSelection out;
  out.Handled = true;
  ShowSelectedView(state, pages, out);
  return out;
}

}  // namespace session
