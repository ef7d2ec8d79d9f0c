#include "session/ListStepping.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>

#include "common/Globals.h"
#include "session/WindowTexts.h"

namespace session {
namespace {

// The current record, or none when CurrentModelRecord does not name one.
const TModelRecord* CurrentRecord(const TViewState& state) {
  const auto index = static_cast<std::size_t>(state.CurrentModelRecord);
  return state.CurrentModelRecord >= 0 && index < state.ModelRecords.size() ? &state.ModelRecords[index] : nullptr;
}

bool VLSelected(const TModelRecord* record, std::size_t vl) {
  return record != nullptr && vl < record->VLTabs.size() && record->VLTabs[vl].Selected;
}

// HA entry ha of VL entry vl is selected, whether that VL entry is or not.
bool HASelected(const TModelRecord* record, std::size_t vl, std::size_t ha) {
  if (record == nullptr || vl >= record->VLTabs.size()) return false;
  const std::vector<THATabEntry>& tabs = record->VLTabs[vl].HATabs;
  return ha < tabs.size() && tabs[ha].Selected;
}

// One step inside first..last with wrap-around; a value outside the range
// steps to the end the arrow wraps to, so the result always lies inside.
std::int32_t Step(std::int32_t value, std::int32_t first, std::int32_t last, TListArrow arrow) {
  if (arrow == TListArrow::Up) return value < first || value >= last ? first : value + 1;
  return value <= first || value > last ? last : value - 1;
}

std::int32_t Count(std::size_t size) {
  return static_cast<std::int32_t>(std::min<std::size_t>(size, std::numeric_limits<std::int32_t>::max()));
}

// Highest rank of a ranking page: its ranking-history rows when it has data
// (at least 1), else 1.
std::int32_t RankBound(const TRankingGraphic& page) {
  if (!page.DataAvailable || page.Record.RankingRows == nullptr) return 1;
  return std::max<std::int32_t>(1, Count(page.Record.RankingRows->size()));
}

template <std::size_t N>
std::string TitleAt(const std::array<std::string, N>& table, std::int32_t index) {
  return index >= 0 && static_cast<std::size_t>(index) < N ? table[static_cast<std::size_t>(index)] : std::string();
}

// A CO list: index stepped over its table, title written, tabs arranged and the view shown again.
template <std::size_t N>
void StepCOList(TViewState& state, std::int32_t& index, const std::array<std::string, N>& titles, TListArrow arrow,
                TListStepResult& result) {
  index = Step(index, 0, static_cast<std::int32_t>(N) - 1, arrow);
  state.COListTitle = TitleAt(titles, index);
  result.COListSelectionTitle = state.COListTitle;
  result.FollowUp = TListFollowUp::ArrangeAndShow;
  result.ArrangeTabsheets = true;
  result.ShowSelectedView = true;
}

void StepRank(TViewState& state, std::int32_t& rank, const TRankingGraphic& page, TListArrow arrow,
              TListStepResult& result) {
  rank = Step(rank, 1, RankBound(page), arrow);
  state.SLListTitle2 = "Rank " + std::to_string(rank);
  result.SLListSelectionTitle_2 = state.SLListTitle2;
  result.FollowUp = TListFollowUp::ShowView;
  result.ShowSelectedView = true;
}

void RequestRepaint(TViewState& state, std::int32_t phase, TListStepResult& result) {
  if (!state.WorkspaceShown) return;
  state.PaintPhase = phase;
  result.Repaint = true;
}

void StepGroup(TViewState& state, TModelPages& pages, TListArrow arrow, TListStepResult& result) {
  state.QVList2Index = Step(state.QVList2Index, 0, static_cast<std::int32_t>(sQVList2Titles.size()) - 1, arrow);
  state.QVListTitle2 = TitleAt(sQVList2Titles, state.QVList2Index);
  result.QVListSelectionTitle_2 = state.QVListTitle2;
  pages.EQQVGraphic.LoadGroupSeries(false, state.QVList2Index);
  result.FollowUp = TListFollowUp::GroupSeries;
  RequestRepaint(state, 2, result);
}

// The country list over the EQQV page's country records; an empty list steps nothing.
void StepCountry(TViewState& state, TModelPages& pages, TListArrow arrow, TListStepResult& result) {
  const std::vector<TCountryModelData>& countries = pages.EQQVGraphic.Record->CountryData;
  if (countries.empty()) return;
  state.CountryListIndex = Step(state.CountryListIndex, 0, Count(countries.size()) - 1, arrow);
  result.CountryChanged = state.PreviousCountryListIndex != state.CountryListIndex;
  state.PreviousCountryListIndex = state.CountryListIndex;
  pages.EQQVGraphic.SelectItem(state.CountryListIndex, result.CountryChanged);
  pages.EQBLGraphic.SelectItem(state.CountryListIndex, result.CountryChanged);
  const auto index = static_cast<std::size_t>(state.CountryListIndex);
  state.QVListTitle1 = index < countries.size() ? countries[index].Name : std::string();
  result.QVListSelectionTitle_1 = state.QVListTitle1;
  result.FollowUp = TListFollowUp::CountryItem;
  RequestRepaint(state, 1, result);
}

// EQQV and EQBL: the CO list under VL entry 2, the country list under VL entry 3.
void StepEquityTimingLists(TViewState& state, TModelPages& pages, const TModelRecord* record, TListSelector selector,
                           TListArrow arrow, TListStepResult& result) {
  if (VLSelected(record, 2) && selector == TListSelector::CO)
    StepCOList(state, state.EquityCOIndex, sEquityCOListTitles, arrow, result);
  else if (VLSelected(record, 3) && selector == TListSelector::QV1)
    StepCountry(state, pages, arrow, result);
}

TMainTitles SelectedViewTitles(const TViewState& state, TModelPages& pages) {
  const TPageKind kind =
      PageForTab(state.SelectedMainTab, state.GlobalSubIndex, state.EquitySubIndex, state.BondSubIndex);
  std::int32_t view = -1;
  pages.WithPage(kind, [&view](const auto& page) { view = page.CurrentView; });
  return UpdateMainTitles(state, view, usMyExternUserSettings.RiskFreeId, pages.EQQVGraphic.Record->CountryData);
}

}  // namespace

TListStepResult StepList(TViewState& state, TModelPages& pages, TListSelector selector, TListArrow arrow) {
  TListStepResult result;
  const TModelRecord* record = CurrentRecord(state);
  const bool rankArrow = selector == TListSelector::SL2 && VLSelected(record, 1);

  switch (PageForTab(state.SelectedMainTab, state.GlobalSubIndex, state.EquitySubIndex, state.BondSubIndex)) {
    case TPageKind::MYGP:
      if (HASelected(record, 2, 0)) StepCOList(state, state.GlobalCOIndex, sGlobalCOListTitles, arrow, result);
      break;
    case TPageKind::EQGP:
      StepCOList(state, state.EQGPCOIndex, sEQGPCOListTitles, arrow, result);
      break;
    case TPageKind::FIGP:
      StepCOList(state, state.FIGPCOIndex, sFIGPCOListTitles, arrow, result);
      break;
    case TPageKind::EQSL:
      if (rankArrow) StepRank(state, state.EQSLRank, pages.EQSLGraphic, arrow, result);
      break;
    case TPageKind::FISL:
      if (rankArrow) StepRank(state, state.FISLRank, pages.FISLGraphic, arrow, result);
      break;
    case TPageKind::FICY:
      if (rankArrow) StepRank(state, state.FICYRank, pages.FICYGraphic, arrow, result);
      break;
    case TPageKind::EQQV:
      if ((VLSelected(record, 0) || VLSelected(record, 1)) && selector == TListSelector::QV2)
        StepGroup(state, pages, arrow, result);
      else
        StepEquityTimingLists(state, pages, record, selector, arrow, result);
      break;
    case TPageKind::EQBL:
      StepEquityTimingLists(state, pages, record, selector, arrow, result);
      break;
    case TPageKind::FIGF:
    case TPageKind::None:
      break;
  }

  // Every press ends with the main titles; ShowSelectedView gives them itself.
  if (!result.ShowSelectedView) result.Titles = SelectedViewTitles(state, pages);
  return result;
}

}  // namespace session
