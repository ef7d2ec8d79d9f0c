#pragma once
// The tables that the ranking models (EQSL, FISL) build from their model
// portfolio: the per-country ranking history on the signal date grid, the
// closing ranking at the end date and the region rows of the latest
// allocation.

#include <string>
#include <vector>

#include "common/Records.h"
#include "models/equity/ModelFrame.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/SLPortfolio.h"

namespace models {

// One row per country, in country order: Labels [Name, RegionName]; Series
// := the signal date grid cut to [first grid date, endDate] with every value
// -1.0, or, when a line bears the country's name (the last such line wins),
// SliceSeries(PrependSeries(grid, line.Ranks), first grid date, endDate);
// Selected := row i of the global usMyExternUserSettings has `weight` > 0.0.
// Throws EModelError (text prefixed by `code`) when the cut grid is empty or
// the global settings hold fewer rows than countries.
std::vector<TLabelledSeries> BuildRankingRows(const std::vector<TCountry>& countries, double endDate,
                                              const std::vector<TSLLine>& lines, double TCountrySettings::*weight,
                                              const std::string& code);

// For r = 1..L (L lines), each line in line order, each of its rank points
// dated exactly endDate with trunc(value) = r, and each ranking row whose
// first label is the line's name (in row order): one row {that row's
// Labels, {(endDate, r)}, that row's Selected}.
std::vector<TLabelledSeries> BuildClosingRanking(const std::vector<TLabelledSeries>& rankingRows,
                                                 const std::vector<TSLLine>& lines, double endDate);

// BuildCountryShareRows over the holdings of the last allocation (Name,
// AdjustedWeight, Rank); no holdings when there is no allocation.
std::vector<TRegionItem> RegionItemsFromAllocations(const std::vector<TCountry>& countries,
                                                    const TUserSettings& settings,
                                                    const std::vector<TSLAllocation>& allocations,
                                                    const TParticipation& participation);

}  // namespace models
