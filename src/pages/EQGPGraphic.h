#pragma once
// The page of the global equity strategy (EQGP): the equity allocation
// history as bars, the country allocation grid, the country ranking table
// (region rows only or in full), the currency hedging positions, the
// statistics and parameter tables and three history charts. Views:
//   0 allocation bars, 1 allocation grid, 2 ranking regions, 3 ranking full,
//   4 FX hedging, 5 statistics, 6 wealth, 7 drawdown, 8 one-year return,
//   9 parameters, 10 none.
// Besides filling its widgets, Update publishes the EQGP currency hedging
// positions in vExternEQGPFXHedgingPosition.

#include <cstdint>
#include <string>
#include <vector>

#include "pages/PageCommon.h"
#include "platform/Canvas.h"
#include "portfolio/EquityResultRecords.h"
#include "widgets/CountryRankingTable.h"
#include "widgets/FXHedgingTable.h"
#include "widgets/PercentGridTable.h"
#include "widgets/SeriesBarChart.h"
#include "widgets/SeriesComparisonChart.h"
#include "widgets/TextTable.h"
#include "widgets/WidgetCommon.h"

class TEQGPGraphic {
 public:
  static constexpr std::int32_t kViewCount = 10;  // also the "no view" value

  std::int32_t CurrentView = kViewCount;
  // Views 6, 7, 8: wealth index (log scale), drawdown areas, rolling one-year return.
  pages::TPerformanceCharts HistoryCharts;
  TTextTable StatisticsTable;  // view 5
  TTextTable ParameterTable;   // view 9
  // View 0; its entry count, window and last index are the page's only cursor.
  TSeriesBarChart AllocationChart;
  TCountryRankingTable RankingTable;  // views 2 and 3
  TPercentGridTable AllocationGrid;   // view 1
  TFXHedgingTable HedgingTable;       // view 4
  // Some EQSL ranking row holds 24 recent points without a missing one.
  bool HasData = false;
  // The EQGP result the page reads and extends (the exported one unless a
  // test passes its own).
  TEQGPGraphicData* Record = nullptr;

  explicit TEQGPGraphic(TEQGPGraphicData& record = cMyExternEQGPGraphicData);

  void Init();
  // Refills every widget from the EQGP result, the EQSL ranking rows
  // (eqslRankingRows: the data flag and the grid legend), EQSL's parameters,
  // the EQQV and EQBL last-signal rows (ranking flags), the country list and
  // the user settings. Extends the EQGP allocation history in place and sets
  // the Macro and Behavior flags of its allocation rows. Never throws.
  void Update(const std::vector<TLabelledSeries>& eqslRankingRows);
  // (choice1, choice2, choice3) the three group indexes (-1 no choice),
  // option1 the allocation form (1 bars, 0 grid), option2 the allocation
  // subject (0 allocation, 1 ranking, 2 FX hedging).
  void SelectView(std::int32_t choice1, std::int32_t choice2, std::int32_t choice3, std::int32_t option1,
                  std::int32_t option2);
  bool ViewHasFeature(std::uint32_t feature) const;
  void Layout(platform::Canvas& canvas, float width, float height, float aspect, float tabWidth);
  // False without data (the window paints "No Data"); true otherwise, also for no view.
  bool Draw(platform::Canvas& canvas, float width);
  void ResetCursors();
  void GetViewData(TSeriesComparisonChart& chart) const;
  TViewArea GetViewRange() const;
  void MoveCursors(std::int32_t step, std::int32_t count);
  bool HasNextItem() const;
  platform::TPointF GetCurrentItem() const;
  std::vector<TDataPoint> GetValuesAt(float x, float y);
  platform::TPointF DataToScreen(TDataPoint point) const;
  void FormatValue(double value, std::string& text) const;

  // Called by Update only: the ranking table with its flags and region legend,
  // and the currency hedging positions.
  void LoadCountryRanking();
  void UpdateFXHedgingPositions();

  // The allocation bars in view 0, the history chart of views 6, 7, 8
  // (nullptr otherwise).
  TSeriesBarChart* BarChartOfView();
  const TSeriesBarChart* BarChartOfView() const;
  TSeriesComparisonChart* ComparisonChartOfView();
  const TSeriesComparisonChart* ComparisonChartOfView() const;
};
