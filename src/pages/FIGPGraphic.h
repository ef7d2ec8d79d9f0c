#pragma once
// Result page of the FIGP model (global bond strategy with currency
// hedging). Views: 0 allocation bars, 1 asset-class bars, 2 ranking table
// (regions only), 3 ranking table (all rows), 4 currency hedging positions,
// 5 statistics, 6 wealth, 7 drawdown, 8 rolling one-year return,
// 9 parameters; 10 means none. Update publishes the hedging positions in
// vExternFIGPFXHedgingPosition, which the MYGP page reads.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "portfolio/GlobalResultRecords.h"
#include "widgets/CountryRankingTable.h"
#include "widgets/FXHedgingTable.h"
#include "widgets/PercentBarChart.h"
#include "widgets/SeriesBarChart.h"
#include "widgets/SeriesComparisonChart.h"
#include "widgets/TextTable.h"
#include "widgets/WidgetCommon.h"

class TFIGPGraphic {
 public:
  static constexpr std::int32_t kViewCount = 10;  // also the "none" view

  std::int32_t CurrentView = kViewCount;
  TSeriesComparisonChart WealthChart;
  TSeriesComparisonChart DrawdownChart;
  TSeriesComparisonChart RollingChart;
  TTextTable StatisticsTable;
  TTextTable ParameterTable;
  TSeriesBarChart AllocationChart;
  TCountryRankingTable RankingTable;
  TPercentBarChart AssetBarChart;
  TFXHedgingTable HedgingTable;
  // Some FIGF group row holds 24 recent points, none of them -1.0.
  bool HasData = false;
  // The result record read by Update (cMyExternFIGPGraphicData unless a test
  // binds another one); Update extends its allocation history in place.
  TFIGPGraphicData* Record = nullptr;

  TFIGPGraphic();
  explicit TFIGPGraphic(TFIGPGraphicData& record);

  void Init();
  // figfRows1: the FIGF record's group rows, which decide HasData. Also reads
  // the FICY and FISL records, vcMyExternCountryList and the portfolio
  // currency of usMyExternUserSettings for the hedging positions.
  void Update(const std::vector<TLabelledSeries>& figfRows1);
  // The country ranking rows with the six region legend items.
  void LoadCountryRanking();
  // Publishes the hedging positions and fills the hedging table with them.
  void UpdateFXHedgingPositions();
  // Nothing unless 0 <= group < 4 and 0 <= entry < 6. Entry 0: kind 2 -> 4;
  // kind 1: option 1 -> 3, 0 -> 2; kind 0: secondOption 1 -> 0, 0 -> 1.
  // Entries 1..5 -> 5..9. Anything else keeps the view.
  void SelectView(std::int32_t group, std::int32_t entry, std::int32_t option, std::int32_t secondOption,
                  std::int32_t kind);
  bool ViewHasFeature(std::uint32_t feature) const;
  void Layout(platform::Canvas& canvas, float width, float height, float aspect, float tabWidth);
  // False (nothing drawn) without data; otherwise true.
  bool Draw(platform::Canvas& canvas, float width);
  void ResetCursors();
  void GetViewData(TSeriesComparisonChart& chart) const;
  TViewArea GetViewRange() const;
  void MoveCursors(std::int32_t step, std::int32_t count);
  bool HasNextItem() const;
  platform::TPointF GetCurrentItem() const;
  std::vector<TDataPoint> GetValuesAt(float x, float y);
  platform::TPointF DataToScreen(TDataPoint point) const;
  // Views 0, 7, 8: value x 100 with two decimals and "%"; view 6: the value
  // with two decimals; other views leave text as it was.
  void FormatValue(double value, std::string& text) const;

  // The allocation bars in view 0, the performance chart of views 6, 7, 8
  // (nullptr otherwise).
  TSeriesBarChart* BarChartOfView();
  const TSeriesBarChart* BarChartOfView() const;
  TSeriesComparisonChart* ComparisonChartOfView();
  const TSeriesComparisonChart* ComparisonChartOfView() const;
};
