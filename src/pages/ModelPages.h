#pragma once
// The nine result pages of the main window, refreshed together after each
// calculation, and the rule that picks the page of the selected tab.

#include <cstdint>
#include <string>
#include <utility>

#include "pages/EQBLGraphic.h"
#include "pages/EQGPGraphic.h"
#include "pages/FIGFGraphic.h"
#include "pages/FIGPGraphic.h"
#include "pages/MYGPGraphic.h"
#include "pages/RankingGraphic.h"
#include "platform/Canvas.h"

// Pages in the order of the page-selection table.
enum class TPageKind : std::int32_t { None = -1, MYGP, EQGP, EQSL, EQQV, EQBL, FIGP, FISL, FICY, FIGF };

// Main tab 0 Global with sub-tab 0: MYGP; 1 Equity with sub-tab 0..3: EQGP,
// EQSL, EQQV, EQBL; 2 Bond with sub-tab 0..3: FIGP, FISL, FICY, FIGF; any
// other combination: None.
TPageKind PageForTab(std::int32_t mainTab, std::int32_t globalSub, std::int32_t equitySub, std::int32_t bondSub);

// Whether the window paints "No Data" when the page's Draw returns false
// (the two signal-timing pages draw their own empty state).
bool PageReportsNoData(TPageKind kind);

// What the refresh passes besides the result records.
struct TPageRefreshInputs {
  std::int32_t CountryListIndex = 0;  // country shown by the EQQV and EQBL pages
  std::int32_t QVList2Index = 0;      // EQQV item group
};

class TModelPages {
 public:
  TMYGPGraphic MYGPGraphic;
  TEQSLGraphic EQSLGraphic;
  TEQQVGraphic EQQVGraphic;
  TEQBLGraphic EQBLGraphic;
  TEQGPGraphic EQGPGraphic;
  TFISLGraphic FISLGraphic;
  TFICYGraphic FICYGraphic;
  TFIGFGraphic FIGFGraphic;
  TFIGPGraphic FIGPGraphic;

  // Every page without a view and with empty widgets.
  void Init();

  // Reloads the nine pages from the result records in the order the pages
  // depend on each other: EQQV, EQBL, EQSL, EQGP (EQSL's rows), FISL, FICY,
  // FIGF, FIGP (FIGF's rows; publishes its currency positions), MYGP (reads
  // them). Runs on the window's thread after a successful calculation.
  void Refresh(const TPageRefreshInputs& inputs);

  // Calls f with the page of kind (nothing for None); returns whether a page was given.
  template <typename F>
  bool WithPage(TPageKind kind, F&& f) {
    switch (kind) {
      case TPageKind::MYGP:
        f(MYGPGraphic);
        return true;
      case TPageKind::EQGP:
        f(EQGPGraphic);
        return true;
      case TPageKind::EQSL:
        f(EQSLGraphic);
        return true;
      case TPageKind::EQQV:
        f(EQQVGraphic);
        return true;
      case TPageKind::EQBL:
        f(EQBLGraphic);
        return true;
      case TPageKind::FIGP:
        f(FIGPGraphic);
        return true;
      case TPageKind::FISL:
        f(FISLGraphic);
        return true;
      case TPageKind::FICY:
        f(FICYGraphic);
        return true;
      case TPageKind::FIGF:
        f(FIGFGraphic);
        return true;
      case TPageKind::None:
        break;
    }
    return false;
  }
  // Calls f with each of the nine pages in member order.
  template <typename F>
  void ForEachPage(F&& f) {
    f(MYGPGraphic);
    f(EQSLGraphic);
    f(EQQVGraphic);
    f(EQBLGraphic);
    f(EQGPGraphic);
    f(FISLGraphic);
    f(FICYGraphic);
    f(FIGFGraphic);
    f(FIGPGraphic);
  }

  // Gives the page of kind the selector values of the selected tabs, each
  // page the ones its SelectView takes: MYGP, EQGP, FIGP (vl, ha, vr, hb,
  // co); EQQV, EQBL (vl, ha, hb, co); EQSL, FISL, FICY, FIGF (vl, ha, hb).
  void SelectView(TPageKind kind, std::int32_t vl, std::int32_t ha, std::int32_t vr, std::int32_t hb, std::int32_t co);

  // Lays out the page's current view in the chart area.
  void Layout(TPageKind kind, platform::Canvas& canvas, float width, float height, float aspect, float tabWidth);
  // Draws the page's current view; rank goes to the three ranking pages.
  // True when something was drawn or the page draws its own empty state.
  bool Draw(TPageKind kind, platform::Canvas& canvas, float width, std::int32_t rank);

  // The cursor moves and resets act on all nine pages together.
  void MoveCursors(std::int32_t step, std::int32_t count);
  void ResetCursors();
};

// Paints text centred in a width x height chart area: bold, size 52 (50
// when fScreenWidthRatio < 1.0), colour 0xFF4C4C4E; the font family stays.
void DrawNoDataText(platform::Canvas& canvas, const std::string& text, float width, float height);
