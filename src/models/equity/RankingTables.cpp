#include "models/equity/RankingTables.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <unordered_map>
#include <utility>

#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "common/SeriesHelpers.h"
#include "portfolio/ModelError.h"

namespace models {

namespace {

// The closing rank of a line: every point dated exactly `endDate` whose value,
// truncated toward zero, lies in 1..lineCount, with its line position.
// Ranks are in ascending date order, so the points dated endDate form one run.
void AppendClosingRanks(const TSeries& ranks, double endDate, std::size_t line, double lineCount,
                        std::vector<std::pair<int, std::size_t>>& closing) {
  const auto [first, last] = std::equal_range(ranks.begin(), ranks.end(), TDataPoint{endDate, 0.0},
                                              [](const TDataPoint& a, const TDataPoint& b) { return a.Date < b.Date; });
  for (auto p = first; p != last; ++p) {
    if (!std::isfinite(p->Value)) continue;
    const double rank = std::trunc(p->Value);
    if (rank < 1.0 || rank > lineCount) continue;
    closing.emplace_back(static_cast<int>(rank), line);
  }
}

}  // namespace

std::vector<TLabelledSeries> BuildRankingRows(const std::vector<TCountry>& countries, double endDate,
                                              const std::vector<TSLLine>& lines, double TCountrySettings::*weight,
                                              const std::string& code) {
  TSeries grid = GetSignalDateGrid(countries);
  if (!grid.empty()) grid = SliceSeries(grid, grid.front().Date, endDate);
  if (grid.empty()) throw EModelError(code + " ranking: no signal date up to the end date");
  for (TDataPoint& p : grid) p.Value = kMissingSignal;
  const double gridStart = grid.front().Date;

  std::vector<TLabelledSeries> rows;
  rows.reserve(countries.size());
  for (std::size_t i = 0; i < countries.size(); ++i) {
    const TCountry& country = countries[i];
    TLabelledSeries row;
    row.Labels = {country.Name, country.RegionName};
    row.Series = grid;
    const TCountrySettings& global =
        ModelAt(usMyExternUserSettings.CountrySettings, static_cast<std::ptrdiff_t>(i), "global country settings");
    row.Selected = global.*weight > 0.0;
    // Of several lines of that name the last one wins.
    for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
      if (line->Name != country.Name) continue;
      row.Series = SliceSeries(PrependSeries(grid, line->Ranks), gridStart, endDate);
      break;
    }
    rows.push_back(std::move(row));
  }
  return rows;
}

std::vector<TLabelledSeries> BuildClosingRanking(const std::vector<TLabelledSeries>& rankingRows,
                                                 const std::vector<TSLLine>& lines, double endDate) {
  // Ranking rows by first label, in row order.
  std::unordered_map<std::string, std::vector<std::size_t>> rowsByName;
  for (std::size_t i = 0; i < rankingRows.size(); ++i) {
    if (!rankingRows[i].Labels.empty()) rowsByName[rankingRows[i].Labels.front()].push_back(i);
  }

  // Each line's rank at endDate found once, then a stable sort by rank keeps
  // the line order within one rank.
  std::vector<std::pair<int, std::size_t>> closing;
  const auto lineCount = static_cast<double>(lines.size());
  for (std::size_t l = 0; l < lines.size(); ++l) AppendClosingRanks(lines[l].Ranks, endDate, l, lineCount, closing);
  std::stable_sort(closing.begin(), closing.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

  std::vector<TLabelledSeries> pages;
  for (const auto& [rank, l] : closing) {
    const auto found = rowsByName.find(lines[l].Name);
    if (found == rowsByName.end()) continue;
    for (std::size_t i : found->second) {
      // The row's own flag: each closing row says whether its country takes part.
      const TLabelledSeries& history = rankingRows[i];
      pages.push_back({history.Labels, {{endDate, static_cast<double>(rank)}}, history.Selected});
    }
  }
  return pages;
}

std::vector<TRegionItem> RegionItemsFromAllocations(const std::vector<TCountry>& countries,
                                                    const TUserSettings& settings,
                                                    const std::vector<TSLAllocation>& allocations,
                                                    const TParticipation& participation) {
  std::vector<TShareItem> lastShares;
  if (!allocations.empty()) {
    lastShares.reserve(allocations.back().Holdings.size());
    for (const TSLHolding& holding : allocations.back().Holdings)
      lastShares.push_back({holding.Name, {}, holding.AdjustedWeight, holding.Rank});
  }
  return BuildCountryShareRows(countries, settings, lastShares, participation);
}

}  // namespace models
