#pragma once
// The result pages of the three country-ranking models: equity risk premium
// ranking (EQSL), currency ranking (FICY) and fixed-rate bond ranking (FISL).
// One page class serves all three; what differs (the record read, the
// settings weight that lets a country take part, the currency line of the
// list entries, the held-only-on-active-rows rule of the currency page, the
// table kinds) is given to it at construction.
//
// Views: 0 country grid, 1 ranking list, 2 selection history, 3 ranking
// history, 4 composition, 5 allocation grid, 6 statistics, 7 wealth,
// 8 drawdown, 9 rolling one-year return, 10 parameters; 11 none.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/Canvas.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/GlobalResultRecords.h"
#include "portfolio/PortfolioPerformance.h"
#include "widgets/BulletListChart.h"
#include "widgets/PercentGridTable.h"
#include "widgets/RegionGridTable.h"
#include "widgets/RegionSeriesChart.h"
#include "widgets/SeriesBarChart.h"
#include "widgets/SeriesComparisonChart.h"
#include "widgets/TextTable.h"
#include "widgets/WidgetCommon.h"

// The parts of a ranking model's result record that its page reads; the
// page writes only Performance.AllocationHistory (extended to the signal
// grid). Null members read as empty.
struct TRankingRecord {
  TSharedCountryList* Countries = nullptr;
  std::vector<TLabelledSeries>* RankingRows = nullptr;   // ranking history, one row per country
  std::vector<TLabelledSeries>* RankingPages = nullptr;  // closing ranking, best first
  TPortfolioPerformance* Performance = nullptr;
  std::vector<TRegionItem>* RegionItems = nullptr;  // zone allocations

  template <typename TData>
  static TRankingRecord Of(TData& data) {
    return {&data.Countries, &data.RankingRows, &data.RankingPages, &data.Performance, &data.RegionItems};
  }
};

// What tells the three ranking pages apart.
struct TRankingPageKind {
  // Settings weight above 0.0 that lets a country take part in the grid.
  double TCountrySettings::*Weight = &TCountrySettings::EqWeight;
  // A country also takes part when an active ranking row carries its name,
  // and a selection cell may be marked held only on active rows (currency page).
  bool ActiveRowRule = false;
  // List entries carry a second line "(" + currency + ")".
  bool CurrencyLine = false;
  std::int32_t StatisticsKind = TTextTable::kEQSL;
  std::int32_t ParameterKind = TTextTable::kEQSL;

  static TRankingPageKind Equity();
  static TRankingPageKind Currency();
  static TRankingPageKind FixedIncome();
};

namespace pages {

// The selection history: a copy of the ranking rows in which, at each date
// of the first row that some allocation row carries, a value becomes 0.0
// unless it is -1.0, and 1.0 when that allocation holds the row's country
// (label 0) with a weight above 0.0 (also over a -1.0). heldOnlyOnActiveRows
// makes the held test only on rows whose Selected flag is set. Dates no
// allocation carries keep their ranks; a row shorter than the first is
// changed only where it has points.
std::vector<TLabelledSeries> RankingSelectionHistory(const std::vector<TLabelledSeries>& rankingRows,
                                                     const std::vector<TAllocationRow>& history,
                                                     bool heldOnlyOnActiveRows);

}  // namespace pages

class TRankingGraphic {
 public:
  static constexpr std::int32_t kViewCount = 11;  // also "no view"
  static constexpr std::int32_t kPageSize = 6;    // entries of one ranking-list page
  static constexpr std::int32_t kVisibleColumns = 25;
  static constexpr std::int32_t kMaxVisibleRows = 16;
  static constexpr std::int32_t kMaxBarWindow = 25;

  std::int32_t CurrentView = kViewCount;
  TBulletListChart BulletList;           // view 1
  TRegionGridTable RegionGrid;           // view 0
  TRegionSeriesChart RankingChart;       // view 3
  TRegionSeriesChart SelectionChart;     // view 2
  TSeriesComparisonChart WealthChart;    // view 7
  TSeriesComparisonChart DrawdownChart;  // view 8
  TSeriesComparisonChart RollingChart;   // view 9
  TSeriesBarChart AllocationChart;       // view 4, the composition history
  TPercentGridTable AllocationGrid;      // view 5
  TTextTable StatisticsTable;            // view 6
  TTextTable ParameterTable;             // view 10
  // Some country has a rank at each of the 24 latest dates; set by Update.
  bool DataAvailable = false;
  TRankingRecord Record;
  TRankingPageKind Kind;

  TRankingGraphic(const TRankingRecord& record, const TRankingPageKind& kind) : Record(record), Kind(kind) {}

  void Init();
  // Reloads the ranking list with the closing-ranking entries start..start+5
  // (a negative start reads as 0); kept as it was without data.
  void LoadPage(std::int32_t start);
  // Rebuilds the country grid from usMyExternUserSettings; kept without data.
  void LoadItems();
  // Reloads every widget from the record; start is the ranking-list position.
  void Update(std::int32_t start);
  void SelectView(std::int32_t choice1, std::int32_t choice2, std::int32_t choice3);
  bool ViewHasFeature(std::uint32_t feature) const;
  void Layout(platform::Canvas& canvas, float width, float height, float aspect, float tabWidth);
  // False, drawing nothing, without data; rank is highlighted in view 3.
  bool Draw(platform::Canvas& canvas, float width, std::int32_t rank);
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

  // The composition bars in view 4, the performance chart of views 7, 8, 9
  // (nullptr otherwise).
  TSeriesBarChart* BarChartOfView();
  const TSeriesBarChart* BarChartOfView() const;
  TSeriesComparisonChart* ComparisonChartOfView();
  const TSeriesComparisonChart* ComparisonChartOfView() const;
};

// "Equity Risk Premium Ranking" page over cMyExternEQSLGraphicData.
class TEQSLGraphic : public TRankingGraphic {
 public:
  TEQSLGraphic();
  explicit TEQSLGraphic(TEQSLGraphicData& record);
};

// "Currency Ranking" page over cMyExternFICYGraphicData.
class TFICYGraphic : public TRankingGraphic {
 public:
  TFICYGraphic();
  explicit TFICYGraphic(TFICYGraphicData& record);
};

// Fixed-rate bond ranking page over cMyExternFISLGraphicData. Its data flag
// is also known as HasData.
class TFISLGraphic : public TRankingGraphic {
 public:
  TFISLGraphic();
  explicit TFISLGraphic(TFISLGraphicData& record);
  bool HasData() const { return DataAvailable; }
};
