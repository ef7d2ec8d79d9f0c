#pragma once
// Clicks on the workspace tabs (main, theme, VL, HA, VR, HB) and the display
// of the view they select. A click changes the view state, tells the page of
// the selected model its view and returns what the window must apply to its
// controls; it never recomputes a model.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/Globals.h"
#include "pages/ModelPages.h"
#include "session/MainTitles.h"
#include "session/TabArrangement.h"
#include "session/ViewState.h"

namespace session {

// One tab: its group and its index in the group (main 0..2 for
// MainTabsheet_1 .. _3; theme n for ThemeSelectionTabsheet_n, 0..8; VL 0..3,
// HA 0..6, VR 0..3, HB 0..1 for the tab numbered index + 1).
struct TTabRef {
  TTabGroup Group = TTabGroup::Main;
  std::int32_t Index = 0;
};

// A tab painted in its group's highlight colours (hover enter, or the chosen
// tab) or back in its normal colours (hover leave of a tab that is not the
// chosen one); the colours are TabGroupColours(Group).
struct TTabHighlight {
  TTabRef Tab;
  bool Highlighted = false;
};

// The font colour the theme handler gives IntraMonthTitle.
inline constexpr TAlphaColor kIntraMonthTitleColour = 0xFFF46075;

// What the window applies after a click or a view display, in this order:
// Paints; ThemeTabVisible into its screen's ThemeTabVisible; when ViewShown,
// hide the value indicators (HideValueIndicators), repaint the chart area
// (Repaint: the state's PaintPhase is already 2), SetScreenMode 2, then
// SetScreenMode 3 whose arrangement applies Tabs, then the four main titles
// and SLListTitle2 of the state; when only Tabs is set, apply Tabs; last
// IntraMonthTitleFontColor.
struct TTabSelection {
  bool Handled = false;  // false: the click was ignored, nothing to apply

  std::vector<TTabHighlight> Paints;
  std::optional<std::array<bool, 9>> ThemeTabVisible;  // ThemeSelectionTabsheet_0 .. _8 with their titles

  bool ViewShown = false;
  bool HideValueIndicators = false;  // hide them when they are shown
  bool Repaint = false;              // only while the workspace is shown
  TMainTitles Titles;                // valid when ViewShown

  // The tab groups for the final selection: titles first, then visibility and
  // placement, then colours (colours only when Arrangement.Applies).
  struct TTabs {
    TTabTitles Titles;
    TTabArrangement Arrangement;
    TTabColours Colours;
  };
  std::optional<TTabs> Tabs;

  std::optional<TAlphaColor> IntraMonthTitleFontColor;
};

// The counts the tab arrangement reads from the three ranking pages: the
// rows of their ranking history and closing ranking, and their data flag.
TSLFacts RankingFacts(const TModelPages& pages);

// A click on a main, VL, HA, VR or HB tab (a theme tab goes to
// OnThemesSelectionTabsheetClick). Ignored while the workspace is not shown.
// A main or VL tab first tries to keep the kind of view on screen
// (SelectTabsheet); otherwise a main tab shows its model with the tabs it had
// last, a VL tab reopens the HA tab it had last, HA, VR and HB tabs select
// their index (VR for every HA tab of the selected VL tab).
TTabSelection OnTabsheetClick(TViewState& state, TModelPages& pages, TTabRef tab);

// A click on theme tab n (ThemeSelectionTabsheet_n, 0..8), also before the
// workspace is shown. The theme already chosen changes nothing.
TTabSelection OnThemesSelectionTabsheetClick(TViewState& state, TModelPages& pages, std::int32_t themeTab);

// Carries CurrentViewId over to a newly chosen main tab, theme or VL tab: the
// first view-table entry with that id under the new model (and, for a VL tab,
// that VL index) gives the model's tabs and CO list position. True when such
// an entry was applied (the view was shown when view updates are on, and the
// tabs arranged); false leaves the tab's own step done and nothing more.
bool SelectTabsheet(TViewState& state, TModelPages& pages, TTabRef tab, TTabSelection& out);

// Shows the selection: the selected page's view from the selected VL, HA, VR,
// HB tabs and the model's CO position, CurrentViewId (kNoView when no entry
// describes it), "Rank n" for a ranking page's History, a repaint while the
// workspace is shown, the tab groups and the main titles.
void ShowSelectedView(TViewState& state, TModelPages& pages, TTabSelection& out);
TTabSelection ShowSelectedView(TViewState& state, TModelPages& pages);

}  // namespace session
