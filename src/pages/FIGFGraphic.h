#pragma once
// Result page of the FIGF model (fixed-rate bonds against gold and
// inflation-linked bonds). Views: 0 bullet list of the gold share rows,
// 1 group chart of the input series ("FIAT Currencies" / "Gold"), 2 and 3
// empty, 4 allocation bars, 5 asset-class bars, 6 statistics, 7 wealth,
// 8 drawdown, 9 rolling one-year return, 10 parameters; 11 means none.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "portfolio/GlobalResultRecords.h"
#include "widgets/BulletListChart.h"
#include "widgets/PercentBarChart.h"
#include "widgets/RegionSeriesChart.h"
#include "widgets/SeriesBarChart.h"
#include "widgets/SeriesComparisonChart.h"
#include "widgets/TextTable.h"
#include "widgets/WidgetCommon.h"

class TFIGFGraphic {
 public:
  static constexpr std::int32_t kViewCount = 11;  // also the "none" view

  std::int32_t CurrentView = kViewCount;
  TBulletListChart BulletList;
  TRegionSeriesChart GroupChart;
  TSeriesComparisonChart WealthChart;
  TSeriesComparisonChart DrawdownChart;
  TSeriesComparisonChart RollingChart;
  TSeriesBarChart AllocationChart;
  TPercentBarChart AssetBarChart;
  TTextTable StatisticsTable;
  TTextTable ParameterTable;
  // Some group row holds 24 recent points, none of them -1.0.
  bool HasData = false;
  // The result record read by Update (cMyExternFIGFGraphicData unless a test
  // binds another one); Update extends its allocation history in place.
  TFIGFGraphicData* Record = nullptr;

  TFIGFGraphic();
  explicit TFIGFGraphic(TFIGFGraphicData& record);

  void Init();
  // The page has one group and always reloads the whole window: neither
  // argument is read.
  void LoadGroupSeries(bool relayout, std::int32_t group);
  void Update();
  // (group, entry, option): group 0 -> 0, group 1 -> 1; group 2: entry 0 with
  // option 1 -> 4, option 0 -> 5; entries 1..5 -> 6..10. Anything else keeps the view.
  void SelectView(std::int32_t group, std::int32_t entry, std::int32_t option);
  bool ViewHasFeature(std::uint32_t feature) const;
  void Layout(platform::Canvas& canvas, float width, float height, float aspect, float tabWidth);
  // False (nothing drawn) without data; otherwise true, also for the empty views.
  bool Draw(platform::Canvas& canvas, float width);
  void ResetCursors();
  void GetViewData(TSeriesComparisonChart& chart) const;
  TViewArea GetViewRange() const;
  void MoveCursors(std::int32_t step, std::int32_t count);
  bool HasNextItem() const;
  platform::TPointF GetCurrentItem() const;
  std::vector<TDataPoint> GetValuesAt(float x, float y);
  platform::TPointF DataToScreen(TDataPoint point) const;
  // Views 4, 8, 9: value x 100 with two decimals and "%"; view 7: the value
  // with two decimals; other views leave text as it was.
  void FormatValue(double value, std::string& text) const;

  // The allocation bars in view 4, the performance chart of views 7, 8, 9
  // (nullptr otherwise).
  TSeriesBarChart* BarChartOfView();
  const TSeriesBarChart* BarChartOfView() const;
  TSeriesComparisonChart* ComparisonChartOfView();
  const TSeriesComparisonChart* ComparisonChartOfView() const;
};
