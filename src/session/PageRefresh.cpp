#include "session/PageRefresh.h"

#include "pages/FXHedgingPositions.h"
#include "session/TrackBars.h"

namespace session {

namespace {

void ResetTrack(TrackBarState& track, std::size_t items) {
  track.ItemCount = static_cast<std::int32_t>(items);
  track.Position = 0;
  track.CommittedPosition = -1;
}

}  // namespace

void RefreshModelGraphics(TViewState& view, TModelPages& pages) {
  view.FISLRank = 1;
  view.FICYRank = 1;
  view.EQSLRank = 1;
  view.SLListTitle2 = "Rank 1";
  if (!view.WorkDataReady || !view.WorkspaceShown) return;

  pages.Refresh({view.CountryListIndex, view.QVList2Index});
  ResetTrack(view.EQHeatMapTrack, cMyExternEQSLGraphicData.RankingPages.size());
  ResetTrack(view.FIHeatMapTrack, cMyExternFISLGraphicData.RankingPages.size());
  ResetTrack(view.CYHeatMapTrack, cMyExternFICYGraphicData.RankingPages.size());
  ResetTrack(view.HistoryTrack, cMyExternFICYGraphicData.RankingRows.size());
  // The FX bar keeps its position; only its range follows the positions.
  view.FXTrack.ItemCount = static_cast<std::int32_t>(vExternFIGPFXHedgingPosition.size());
  // The reloaded tables stand at their first row: the zone and FX tables
  // follow their bars' kept positions, so thumb and rows agree.
  FollowReloadedContent(view, pages);
}

}  // namespace session
