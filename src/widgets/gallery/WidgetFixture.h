#pragma once
// One sample data set for every widget (40 countries in six regions, 420
// month ends from January 1990 with gaps, allocations, statistics, FX
// positions, regime panels) and, per widget and mode, a function that fills
// the widget from it and one that lays it out and draws it at 1920 x 1080
// as a page does. Used by the widget gallery program and the widget
// benchmark; not part of the widget library.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/Canvas.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/PortfolioPerformance.h"
#include "widgets/BulletListChart.h"
#include "widgets/CountryRankingTable.h"
#include "widgets/FXHedgingTable.h"
#include "widgets/PercentBarChart.h"
#include "widgets/PercentGridTable.h"
#include "widgets/PercentTable.h"
#include "widgets/RegimePanel.h"
#include "widgets/RegionGridTable.h"
#include "widgets/RegionSeriesChart.h"
#include "widgets/SeriesBarChart.h"
#include "widgets/SeriesComparisonChart.h"
#include "widgets/TextTable.h"

namespace widgetfixture {

constexpr float kScreenWidth = 1920.0f;
constexpr float kScreenHeight = 1080.0f;
constexpr int kMonths = 420;
constexpr int kChartWindow = 25;  // visible months of the windowed charts

// Screen ratios 1.0 and the background and reference colours, as the main
// window sets them at creation.
void SetWindowGlobals();

// Month end `index` months after January 1990.
double MonthEnd(int index);

// ---- The data set ----
// The forty countries in display order with their regions.
const std::vector<TCountry>& Countries();
// Per country 420 monthly states in 0..states-1 with gaps (-1.0) in every
// seventh country; label 0 the country, label 1 its region.
std::vector<TLabelledSeries> StateRows(int states, bool gaps);
// Model, first and second reference of a comparison chart: 0 wealth (log
// scale), 1 one-year returns, 2 drawdowns, 3 monthly shares (last 25 months).
TNamedSeriesSet ComparisonSeries(int kind);
// 420 monthly allocations over the forty countries, and their legend.
std::vector<TAllocationRow> AllocationHistory();
std::vector<TLegendItem> CountryLegend();
TSeriesInfo Parameters();
TPerformanceStatistics Statistics();
std::vector<TFXHedgingPosition> FxPositions();
std::vector<TStateItem> StateItems();
std::vector<TRegionItem> RegionItems();
// Six regions of the forty countries, then "TOTAL": 47 rows.
std::vector<TRegionAllocationRow> RegionAllocationRows();
TPercentBarRecord AssetShares();
std::vector<TAlphaColor> AssetGroupColours();

// ---- Filled widgets, one per widget and mode ----
TSeriesComparisonChart ComparisonChart(int kind);  // as ComparisonSeries
TSeriesBarChart BarChart();
TTextTable ParameterTable();
TTextTable StatisticsTable(bool total);
TFXHedgingTable FxTable();
TPercentTable PercentTable();
TPercentGridTable PercentGridTable();
TRegionSeriesChart RegionChart(int mode);  // 0 40 countries, 1 six currencies, 2 eight ranks
TRegionGridTable RegionGrid(int mode);
TBulletListChart BulletList(int mode);
TCountryRankingTable RankingTable(bool equityMode);
std::vector<TRegimePanel> RegimePanels();  // four indicator panels, three choice panels
TPercentBarChart PercentBarChart();

// ---- The pictures ----
// One picture: "<Widget>_<mode>" and a function that lays the filled widget
// out and draws it on a 1920 x 1080 canvas (called repeatedly by the
// benchmark; the widget state lives in the function).
struct TGalleryItem {
  std::string Name;
  std::function<void(platform::Canvas&)> Paint;
};
std::vector<TGalleryItem> GalleryItems();

}  // namespace widgetfixture
