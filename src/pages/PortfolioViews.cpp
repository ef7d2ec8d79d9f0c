#include "pages/PortfolioViews.h"

#include <algorithm>
#include <utility>

#include "common/Globals.h"
#include "common/SeriesHelpers.h"
#include "pages/PageCommon.h"

namespace pages {

std::vector<TLegendItem> BondAssetClassItems() {
  return {{{"Fixed Rate Bond"}, {}, claGraphicPalette[5]},
          {{"Inflation-Linked Bond"}, {}, claGraphicPalette[4]},
          {{"Gold"}, {}, claGraphicPalette[7]}};
}

void LoadAllocationBars(TSeriesBarChart& chart, const std::string& title, std::vector<TAllocationRow>& history,
                        const std::vector<TCountry>& countries, const std::vector<TLegendItem>& legend) {
  const auto window =
      static_cast<std::int32_t>(std::min<std::size_t>(history.size(), static_cast<std::size_t>(kAllocationWindow)));
  ExtendSeriesToSignalGrid(countries, history);
  chart.SetData(title, history, legend, window, 0.0, 1.0);
}

void SetPerformanceCharts(TSeriesComparisonChart& wealth, TSeriesComparisonChart& drawdown,
                          TSeriesComparisonChart& rolling, const TPortfolioPerformance& performance, bool fresh) {
  TPerformanceCharts charts;
  if (!fresh) charts = {wealth, drawdown, rolling};
  SetPerformanceCharts(charts, performance.IndexCharts, performance.DrawdownCharts, performance.OneYearCharts, 2);
  wealth = std::move(charts.Wealth);
  drawdown = std::move(charts.Drawdown);
  rolling = std::move(charts.Rolling);
}

std::vector<TLegendItem> RegionLegend() {
  std::vector<TLegendItem> legend;
  const std::size_t regions = std::min(strRegionNameList.size(), claRegionColors.size());
  for (std::size_t r = 0; r < regions; ++r) legend.push_back({{strRegionNameList[r]}, {}, claRegionColors[r]});
  return legend;
}

TTextTable* SummaryTableAt(std::int32_t view, std::int32_t statisticsView, TTextTable& statistics,
                           TTextTable& parameters) {
  if (view == statisticsView) return &statistics;
  if (view == statisticsView + 4) return &parameters;
  return nullptr;
}

bool LayoutPortfolioView(platform::Canvas& canvas, TTextTable* table, TSeriesComparisonChart* chart,
                         TSeriesBarChart* bars, float width, float height, float aspect) {
  if (table == nullptr) return LayoutTimeChart(canvas, chart, bars, width, height, aspect);
  table->Layout(canvas, 0.0f, 0.0f, width, height);
  return true;
}

bool DrawPortfolioView(platform::Canvas& canvas, const TTextTable* table, TSeriesComparisonChart* chart,
                       TSeriesBarChart* bars, float width, bool fullLegend) {
  if (table == nullptr) return DrawTimeChart(canvas, chart, bars, width, fullLegend);
  table->Draw(canvas, width);
  return true;
}

}  // namespace pages
