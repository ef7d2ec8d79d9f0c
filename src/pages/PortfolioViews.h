#pragma once
// What the portfolio pages (FIGF, FIGP, MYGP, EQGP and the ranking pages)
// share beyond PageCommon: the allocation bars filled from a history, the
// three performance charts held as separate members, the six-region legend
// of the ranking tables and the layout and drawing of the views every
// portfolio page has (statistics, the time charts, parameters).

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/Canvas.h"
#include "portfolio/PortfolioPerformance.h"
#include "widgets/SeriesBarChart.h"
#include "widgets/SeriesComparisonChart.h"
#include "widgets/TextTable.h"
#include "widgets/WidgetCommon.h"

namespace pages {

// Months the allocation bars show at once at most.
inline constexpr std::int32_t kAllocationWindow = 25;

// The three asset classes of the bond pages' allocation bars: fixed-rate
// bonds, inflation-linked bonds, gold.
std::vector<TLegendItem> BondAssetClassItems();

// Fills allocation bars. The window is min(n, 25) with n the entries the
// model wrote, counted before the history is extended in place to the signal
// date grid of the countries.
void LoadAllocationBars(TSeriesBarChart& chart, const std::string& title, std::vector<TAllocationRow>& history,
                        const std::vector<TCountry>& countries, const std::vector<TLegendItem>& legend);

// The wealth, drawdown and rolling-return charts of a portfolio (two series
// each, see SetPerformanceCharts). fresh: each chart is replaced by a new one
// (its layout is dropped); otherwise each keeps its layout.
void SetPerformanceCharts(TSeriesComparisonChart& wealth, TSeriesComparisonChart& drawdown,
                          TSeriesComparisonChart& rolling, const TPortfolioPerformance& performance, bool fresh);

// One legend item per region of strRegionNameList, in list order, coloured
// by claRegionColors.
std::vector<TLegendItem> RegionLegend();

// The statistics table at statisticsView, the parameter table at
// statisticsView + 4 (the performance charts lie in between); nullptr for
// other views.
TTextTable* SummaryTableAt(std::int32_t view, std::int32_t statisticsView, TTextTable& statistics,
                           TTextTable& parameters);

// Lays out the view's summary table (over the whole area) or time chart (see
// LayoutTimeChart); false when all are nullptr.
bool LayoutPortfolioView(platform::Canvas& canvas, TTextTable* table, TSeriesComparisonChart* chart,
                         TSeriesBarChart* bars, float width, float height, float aspect);
// Draws the view's summary table or time chart; false when all are nullptr.
bool DrawPortfolioView(platform::Canvas& canvas, const TTextTable* table, TSeriesComparisonChart* chart,
                       TSeriesBarChart* bars, float width, bool fullLegend);

}  // namespace pages
