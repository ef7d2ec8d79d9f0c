#pragma once
// The window's refresh of the nine result pages after a successful
// calculation: the ranking lists go back to rank 1, the pages reload from the
// result records, and the track bars whose range follows the results are
// reset to their first item.

#include "pages/ModelPages.h"
#include "session/ViewState.h"

namespace session {

// Ranks of EQSL, FISL, FICY := 1 and the rank title "Rank 1", always. When
// the work data are ready and the workspace is shown: the pages reload
// (TModelPages::Refresh with the country and the EQQV group),
// then each heat-map track bar counts its model's closing-ranking rows, the
// history track bar the FICY ranking-history rows (the last of the three
// models); each stands at position 0 with no committed position. The FX
// track bar counts the currency positions; the zone and FX bars keep their
// positions (taken into their ranges) and their tables are scrolled there.
void RefreshModelGraphics(TViewState& view, TModelPages& pages);

}  // namespace session
