#pragma once
// What the widgets a track bar scrolls show first, for the track-bar tests
// of the session and of the window.

#include <cstdint>
#include <vector>

#include "pages/ModelPages.h"
#include "session/TrackBars.h"

namespace sessiontest {

// Each widget's ScrollPosition, or for a heat map the place in its closing
// ranking of the first entry of the loaded page (-1 when none is loaded).
inline std::vector<std::int32_t> Scrolled(const TModelPages& p, session::TTrackBar bar) {
  const auto firstEntry = [](const TRankingGraphic& page) {
    const auto& entries = page.BulletList.Entries();
    const std::vector<TLabelledSeries>* ranking = page.Record.RankingPages;
    if (entries.empty() || entries[0].Labels.empty() || ranking == nullptr) return -1;
    for (std::size_t i = 0; i < ranking->size(); ++i)
      if (!(*ranking)[i].Labels.empty() && (*ranking)[i].Labels[0] == entries[0].Labels[0]) return static_cast<int>(i);
    return -1;
  };
  switch (bar) {
    case session::TTrackBar::Zone:
      return {p.MYGPGraphic.RankingTable.ScrollPosition(), p.MYGPGraphic.SecondRankingTable.ScrollPosition(),
              p.EQGPGraphic.RankingTable.ScrollPosition(), p.FIGPGraphic.RankingTable.ScrollPosition()};
    case session::TTrackBar::FX:
      return {p.MYGPGraphic.HedgingTable.ScrollPosition(), p.EQGPGraphic.HedgingTable.ScrollPosition(),
              p.FIGPGraphic.HedgingTable.ScrollPosition()};
    case session::TTrackBar::History:  // EQBL's few rows leave nothing to scroll
      return {p.EQSLGraphic.RankingChart.ScrollPosition(),     p.EQSLGraphic.SelectionChart.ScrollPosition(),
              p.FISLGraphic.RankingChart.ScrollPosition(),     p.FISLGraphic.SelectionChart.ScrollPosition(),
              p.FICYGraphic.RankingChart.ScrollPosition(),     p.FICYGraphic.SelectionChart.ScrollPosition(),
              p.EQQVGraphic.GroupHistoryChart.ScrollPosition()};
    case session::TTrackBar::EQHeatMap:
      return {firstEntry(p.EQSLGraphic)};
    case session::TTrackBar::FIHeatMap:
      return {firstEntry(p.FISLGraphic)};
    case session::TTrackBar::CYHeatMap:
      return {firstEntry(p.FICYGraphic)};
    case session::TTrackBar::None:
      break;
  }
  return {};
}

}  // namespace sessiontest
