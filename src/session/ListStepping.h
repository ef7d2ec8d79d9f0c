#pragma once
// The up and down arrows of the workspace's list selectors: the combined
// list (CO), the country and item-group lists (QV 1 and 2) and the region and
// rank lists (SL 1 and 2). A press steps the list position of the selected
// model by one with wrap-around, writes the selector's title and brings the
// page to the new position; the window applies the returned result.

#include <cstdint>
#include <optional>
#include <string>

#include "pages/ModelPages.h"
#include "session/MainTitles.h"
#include "session/ViewState.h"

namespace session {

// The five selectors, named after their title controls.
enum class TListSelector : std::int32_t {
  CO,   // COListSelectionTitle
  QV1,  // QVListSelectionTitle_1, the country list
  QV2,  // QVListSelectionTitle_2, the item-group list
  SL1,  // SLListSelectionTitle_1
  SL2,  // SLListSelectionTitle_2, the rank list
};

// Down steps one position back, Up one position forward.
enum class TListArrow : std::int32_t { Down, Up };

// What follows a step, by the list that was stepped.
enum class TListFollowUp : std::int32_t {
  None,            // nothing stepped
  ArrangeAndShow,  // a CO list: ArrangeTabsheets, then ShowSelectedView
  ShowView,        // a rank list: ShowSelectedView
  GroupSeries,     // the item-group list: the EQQV page reloaded its group
  CountryItem,     // the country list: the EQQV and EQBL pages loaded the country
};

// What the window applies after a press, in this order: the selector titles
// (texts as stored: "&&" shows as one "&"), ArrangeTabsheets when asked,
// ShowSelectedView when asked, a repaint of the chart area with the
// state's PaintPhase when asked, then the main titles when given.
struct TListStepResult {
  TListFollowUp FollowUp = TListFollowUp::None;
  std::optional<std::string> COListSelectionTitle;
  std::optional<std::string> QVListSelectionTitle_1;
  std::optional<std::string> QVListSelectionTitle_2;
  std::optional<std::string> SLListSelectionTitle_2;
  bool ArrangeTabsheets = false;
  bool ShowSelectedView = false;
  bool Repaint = false;         // PaintPhase already set; only while WorkspaceShown
  bool CountryChanged = false;  // the flag the country step passed to SelectItem
  // The closing main titles of the press; empty when ShowSelectedView is
  // asked for, whose own closing titles are then the ones to show.
  std::optional<TMainTitles> Titles;
};

// One arrow press on a selector. The model is that of the selected main tab
// and its theme; the lists it steps, checked in this order:
//   MYGP: the CO list (GlobalCOIndex 0..3) on any arrow, when HA entry 0 of VL
//     entry 2 is selected;
//   EQGP, FIGP: the CO list (EQGPCOIndex, FIGPCOIndex 0..2) on any arrow;
//   EQSL, FISL, FICY: the rank (1..n) on the SL2 arrows with VL entry 1
//     selected; n = rows of the page's ranking history with data, else 1;
//   EQQV: the item group (QVList2Index 0..7) on the QV2 arrows with VL entry 0
//     or 1 selected; then as EQBL;
//   EQQV, EQBL: the CO list (EquityCOIndex 0..2) on the CO arrows with VL
//     entry 2 selected; the country (CountryListIndex 0..m-1, m the EQQV
//     page's country records) on the QV1 arrows with VL entry 3 selected.
// Back from the first value (or below) gives the last, forward from the last
// (or past it) the first. An empty country list steps nothing; a country
// position outside the records has an empty name. Any other press changes
// nothing but the main titles.
TListStepResult StepList(TViewState& state, TModelPages& pages, TListSelector selector, TListArrow arrow);

}  // namespace session
