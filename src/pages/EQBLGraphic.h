#pragma once
// The pages of the two signal-timing equity models: "Behavioral Equity Risk"
// (TEQBLGraphic) and "Macro Equity Risk" (TEQQVGraphic). Both hold each
// country's equity index while the model's risk signal is On and the
// risk-free asset while it is Off; one implementation serves both, the page
// differing only in the result record it reads and the model kind its text
// tables take.
//
// Views (CurrentView):
//   0 country grid            1 group history chart     2 country detail chart
//   3 country statistics      4 country wealth          5 country drawdown
//   6 country rolling return  7 never chosen            8 country parameters
//   9 total statistics        10/12/14 allocation history charts 1/2/3
//   11/13/15 allocation tables 1/2/3 ("All", "Equity", "Bond")
//   16 total wealth           17 total drawdown         18 total rolling return
//   19 total parameters       20 none

#include <cstdint>
#include <string>
#include <vector>

#include "pages/PageCommon.h"
#include "platform/Canvas.h"
#include "portfolio/EquityResultRecords.h"
#include "widgets/PercentTable.h"
#include "widgets/RegionGridTable.h"
#include "widgets/RegionSeriesChart.h"
#include "widgets/SeriesBarChart.h"
#include "widgets/SeriesComparisonChart.h"
#include "widgets/TextTable.h"
#include "widgets/WidgetCommon.h"

class TEQBLGraphic {
 public:
  static constexpr std::int32_t kViewCount = 20;  // also "none"
  static constexpr std::int32_t kGroupWindow = 25;
  static constexpr std::int32_t kGroupRows = 16;
  static constexpr std::int32_t kAllocationWindow = 25;

  std::int32_t CurrentView = kViewCount;
  TRegionGridTable CountryGrid;
  TRegionSeriesChart GroupHistoryChart;
  TRegionSeriesChart CountryDetailChart;
  TTextTable CountryStatisticsTable;
  TTextTable CountryParameterTable;
  TTextTable TotalParameterTable;
  TTextTable TotalStatisticsTable;
  pages::TPerformanceCharts CountryCharts;  // wealth, drawdown, rolling return of the current country
  pages::TPerformanceCharts TotalCharts;    // the same for the whole portfolio
  TSeriesBarChart AllocationChart1;         // total equity against total risk-free
  TSeriesBarChart AllocationChart2;         // per-country equity
  TSeriesBarChart AllocationChart3;         // per-country risk-free
  TPercentTable AllocationTable1;
  TPercentTable AllocationTable2;
  TPercentTable AllocationTable3;
  // The result record read (and whose allocation histories Update extends)
  // and the model kind passed to the text tables.
  TEQBLGraphicData* Record = nullptr;
  std::int32_t ModelKind = TTextTable::kEQBL;
  // Height of the chart area of the last Layout (the band of "No Data").
  float AreaHeight = 0.0f;

  explicit TEQBLGraphic(TEQBLGraphicData& record = cMyExternEQBLGraphicData,
                        std::int32_t modelKind = TTextTable::kEQBL);

  void Init();
  // Group `group` of the record's item groups into the country grid (last
  // point of each named row) and the group history chart (relayout: new
  // window of 25 months and 16 rows; else the rows only). A group the record
  // lacks empties both views.
  void LoadGroupSeries(bool relayout, std::int32_t group);
  // Reloads every widget from the record for country item `item` (its rank
  // - 1) and extends the three allocation histories to the signal date grid.
  // An item outside the per-country data empties the per-country views.
  void Update(std::int32_t item);
  // Reloads the per-country views for another item.
  void SelectItem(std::int32_t item, bool itemChanged);
  // choice1, choice2, choice3: the tab's choice indexes (-1 none); option
  // 0..2 ("All", "Equity", "Bond"). A combination without a rule keeps the view.
  void SelectView(std::int32_t choice1, std::int32_t choice2, std::int32_t choice3, std::int32_t option);
  bool ViewHasFeature(std::uint32_t feature) const;
  void Layout(platform::Canvas& canvas, float width, float height, float aspect, float tabWidth);
  // Draws the current view. Every view with a widget shows its empty state
  // ("No Data"; for the grid, the region charts and the allocation tables
  // written by the page over the area of the last Layout); view 7 and none
  // paint nothing.
  void Draw(platform::Canvas& canvas, float width);
  void ResetCursors();
  void GetViewData(TSeriesComparisonChart& chart) const;
  TViewArea GetViewRange() const;
  std::string GetHintAt(float x, float y) const;
  void HighlightAt(platform::Canvas& canvas, float x, float y, float offsetX, float offsetY);
  void MoveCursors(std::int32_t step, std::int32_t count);
  bool HasNextItem() const;
  platform::TPointF GetCurrentItem() const;
  std::vector<TDataPoint> GetValuesAt(float x, float y);
  platform::TPointF DataToScreen(TDataPoint point) const;
  void FormatValue(double value, std::string& text) const;

  // The allocation history chart and table shown by view 10..15 (nullptr otherwise).
  TSeriesBarChart* BarChartOfView();
  const TSeriesBarChart* BarChartOfView() const;
  TPercentTable* AllocationTableOfView();
  const TPercentTable* AllocationTableOfView() const;
  // The series comparison chart of views 4, 5, 6, 16, 17, 18 (nullptr otherwise).
  TSeriesComparisonChart* ComparisonChartOfView();
  const TSeriesComparisonChart* ComparisonChartOfView() const;
};

// The "Macro Equity Risk" page: the same page over the EQQV record (model kind 2).
class TEQQVGraphic : public TEQBLGraphic {
 public:
  explicit TEQQVGraphic(TEQQVGraphicData& record = cMyExternEQQVGraphicData)
      : TEQBLGraphic(record, TTextTable::kEQQV) {}
};
