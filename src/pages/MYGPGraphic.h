#pragma once
// The result page of the global equity and bond strategy: the regime overview
// (seven regime panels), the dated allocation bars, the asset-class split,
// the two country ranking tables, the currency hedging positions, the
// statistics and parameter tables and the three performance charts.
//
// Views: 0 regime overview, 1 allocation bars, 2 asset classes, 3/4 ranking
// table (regions only / full), 5/6 second ranking table (regions only /
// full), 7 FX hedging, 8 statistics, 9 wealth, 10 drawdown, 11 rolling
// one-year return, 12 parameters; 13 none.
//
// Update reads the page's result record (cMyExternMYGPGraphicData unless
// another is given), the EQQV, EQBL, EQSL, FISL, FIGF and FICY result
// records, vcMyExternCountryList, usMyExternUserSettings and the FIGP page's
// vExternFIGPFXHedgingPosition; it extends the record's allocation history
// to the signal date grid and flags its allocation rows. Every other member
// works on the widgets alone.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/Canvas.h"
#include "portfolio/GlobalResultRecords.h"
#include "widgets/CountryRankingTable.h"
#include "widgets/FXHedgingTable.h"
#include "widgets/PercentBarChart.h"
#include "widgets/RegimePanel.h"
#include "widgets/SeriesBarChart.h"
#include "widgets/SeriesComparisonChart.h"
#include "widgets/TextTable.h"
#include "widgets/WidgetCommon.h"

class TMYGPGraphic {
 public:
  static constexpr std::int32_t kViewCount = 13;  // views 0..12; 13 = none

  std::int32_t CurrentView = kViewCount;
  TSeriesComparisonChart WealthChart;
  TSeriesComparisonChart DrawdownChart;
  TSeriesComparisonChart RollingChart;
  TTextTable StatisticsTable;
  TTextTable ParameterTable;
  TSeriesBarChart AllocationChart;
  TCountryRankingTable RankingTable;
  TCountryRankingTable SecondRankingTable;
  TRegimePanel EquityBondChoicePanel;
  TRegimePanel BondChoicePanel;
  TRegimePanel CurrencyChoicePanel;
  TRegimePanel MacroeconomyPanel;
  TRegimePanel BehavioralFinancePanel;
  TRegimePanel MonetaryPolicyPanel;
  TRegimePanel LiquidityPanel;
  TPercentBarChart AssetClassChart;
  TFXHedgingTable HedgingTable;
  // The result record Update reads and extends (never null).
  TMYGPGraphicData* Record;
  // Height of the chart area of the last Layout (the band of "No Data").
  float AreaHeight = 0.0f;

  // Bound to cMyExternMYGPGraphicData.
  TMYGPGraphic();
  // Bound to another record (tests).
  explicit TMYGPGraphic(TMYGPGraphicData& record);

  // CurrentView := none; every widget replaced by an empty one.
  void Init();
  // Reloads every widget after a calculation; never throws: a step that
  // fails leaves its widgets as the steps before left them.
  void Update();
  // Indicator panels "MACROECONOMY" .. "LIQUIDITY" and the three choice panels.
  void LoadRegimePanels();
  // Flags the record's allocation rows with each country's current EQQV and
  // EQBL state (their last-signal rows), fills both ranking tables and sets
  // their six-region legend.
  void LoadCountryRanking();
  // The currency hedging rows of the global portfolio, one per currency of
  // the country list (their number follows the list).
  void UpdateFXHedgingPositions();
  // Sets CurrentView by the view table; combinations without a rule (and -1
  // where a value is read) leave it unchanged.
  void SelectView(std::int32_t group, std::int32_t entry, std::int32_t choice, std::int32_t option,
                  std::int32_t subEntry);
  // 0 and 2: views 1, 9, 10, 11; 1 and 3: view 1; else false.
  bool ViewHasFeature(std::uint32_t feature) const;
  void Layout(platform::Canvas& canvas, float width, float height, float aspect, float tabWidth);
  // Draws the current view; a view whose widget has nothing to show (no
  // panels, ranking rows, asset classes or hedging rows; the charts and
  // tables draw their own) gets "No Data" centred over the area of the last
  // Layout. True for every view, none included (which draws nothing).
  bool Draw(platform::Canvas& canvas, float width);
  // Allocation bars back on their newest entry, whatever the view.
  void ResetCursors();
  // View 9: the whole wealth chart into chart; otherwise chart unchanged.
  void GetViewData(TSeriesComparisonChart& chart) const;
  // Views 1, 4, 6, 7, 9, 10, 11: their widget's area; zeros otherwise.
  TViewArea GetViewRange() const;
  // Allocation bars' cursor by step x count, clamped to the last entry, then
  // to window - 1, whatever the view.
  void MoveCursors(std::int32_t step, std::int32_t count);
  // View 1 while the bars do not end on the newest entry.
  bool HasNextItem() const;
  // View 1: the bar chart's shift-indicator point; (0, 0) otherwise.
  platform::TPointF GetCurrentItem() const;
  std::vector<TDataPoint> GetValuesAt(float x, float y);
  platform::TPointF DataToScreen(TDataPoint point) const;
  // Views 1, 10, 11: value x 100 with two decimals and "%"; view 9: the
  // value with two decimals; other views leave text as it was.
  void FormatValue(double value, std::string& text) const;

  // The allocation bars in view 1, the performance chart of views 9, 10, 11
  // (nullptr otherwise).
  TSeriesBarChart* BarChartOfView();
  const TSeriesBarChart* BarChartOfView() const;
  TSeriesComparisonChart* ComparisonChartOfView();
  const TSeriesComparisonChart* ComparisonChartOfView() const;
};
