#include "pages/EQGPGraphic.h"

#include "models/equity/EQGPModel.h"
#include "pages/FXHedgingPositions.h"
#include "pages/PortfolioViews.h"

namespace {

enum : std::int32_t {
  kBarsView = 0,
  kGridView = 1,
  kRegionRankingView = 2,
  kFullRankingView = 3,
  kHedgingView = 4,
  kStatisticsView = 5,
  kWealthView = 6,
  kDrawdownView = 7,
  kOneYearView = 8,
  kParameterView = 9,
};

// Runs one refill step; a step that throws leaves its widget as it stands and
// the others still run, so that no exception leaves Update.
template <typename TStep>
void RunStep(TStep&& step) {
  try {
    step();
  } catch (...) {
  }
}

// The two holdings of the allocation bars: the equity part and the part in
// the user's risk-free asset.
std::vector<TLegendItem> BarLegend() {
  TLegendItem equity;
  equity.Labels = {"Total Equity Allocation"};
  equity.Colour = claGraphicPalette[1];
  TLegendItem riskFree;
  riskFree.Labels = {"Total " + pages::RiskFreeShortName(usMyExternUserSettings.RiskFreeId) + " Allocation"};
  riskFree.Colour = claGraphicPalette[5];
  return {equity, riskFree};
}

}  // namespace

TEQGPGraphic::TEQGPGraphic(TEQGPGraphicData& record) : Record(&record) {}

void TEQGPGraphic::Init() {
  CurrentView = kViewCount;
  HistoryCharts = {};
  StatisticsTable = {};
  ParameterTable = {};
  AllocationChart = {};
  RankingTable = {};
  AllocationGrid = {};
  HedgingTable = {};
  HasData = false;
}

void TEQGPGraphic::Update(const std::vector<TLabelledSeries>& eqslRankingRows) {
  HasData = false;
  RunStep([&] { HasData = pages::HasFullRecentHistory(eqslRankingRows); });
  if (Record == nullptr) return;
  TEQGPGraphicData& record = *Record;
  TEQGPGraphicPart& total = record.Total;

  RunStep([&] {
    pages::SetPerformanceCharts(HistoryCharts, total.IndexCharts, total.DrawdownCharts, total.OneYearCharts, 2);
  });
  // Without data the grid gets no legend: its regions are then uncoloured.
  RunStep([&] {
    AllocationGrid.SetData(record.Ranking1,
                           HasData ? pages::CountryLegend(eqslRankingRows) : std::vector<TLegendItem>{});
  });
  RunStep([&] {
    pages::LoadAllocationBars(AllocationChart, total.AllocationTitle, total.AllocationHistory, record.Countries,
                              BarLegend());
  });
  RunStep([&] { LoadCountryRanking(); });
  RunStep([&] { UpdateFXHedgingPositions(); });
  RunStep([&] { StatisticsTable.SetStatistics(total.Statistics, TTextTable::kEQGP, true); });
  RunStep(
      [&] { ParameterTable.SetParameters(cMyExternEQSLGraphicData.Performance.Parameters, TTextTable::kEQGP, true); });
}

void TEQGPGraphic::LoadCountryRanking() {
  models::FlagEQGPAllocationItems(Record, cMyExternEQQVGraphicData.Rows4, cMyExternEQBLGraphicData.Rows4);
  RankingTable.SetData(Record->AllocationItems, true, "Equity", "Bond");
  // The table keeps its legend across SetData: the six region items replace
  // those of the previous update instead of piling up behind them.
  RankingTable.Legend = pages::RegionLegend();
}

void TEQGPGraphic::UpdateFXHedgingPositions() {
  vExternEQGPFXHedgingPosition =
      EQGPFXHedgingPositions(*Record, vcMyExternCountryList, usMyExternUserSettings.PortfolioCcy);
  HedgingTable.SetData(vExternEQGPFXHedgingPosition);
}

void TEQGPGraphic::SelectView(std::int32_t choice1, std::int32_t choice2, std::int32_t choice3, std::int32_t option1,
                              std::int32_t option2) {
  if (choice1 > 3 || choice2 > 5) return;
  switch (choice2) {
    case 0:
      if (option2 == 2) {
        CurrentView = kHedgingView;
      } else if (option2 == 1) {
        if (choice3 == 1) CurrentView = kFullRankingView;
        if (choice3 == 0) CurrentView = kRegionRankingView;
      } else if (option2 == 0) {
        if (option1 == 1) CurrentView = kBarsView;
        if (option1 == 0) CurrentView = kGridView;
      }
      break;
    case 1:
      CurrentView = kStatisticsView;
      break;
    case 2:
      CurrentView = kWealthView;
      break;
    case 3:
      CurrentView = kDrawdownView;
      break;
    case 4:
      CurrentView = kOneYearView;
      break;
    case 5:
      CurrentView = kParameterView;
      break;
    default:
      break;
  }
}

bool TEQGPGraphic::ViewHasFeature(std::uint32_t feature) const {
  switch (feature) {
    case 0:
    case 2:  // time charts: value indicators
      return pages::IsOneOf(CurrentView, {kBarsView, kWealthView, kDrawdownView, kOneYearView});
    case 1:
    case 3:  // the cursor and the bar indicator
      return CurrentView == kBarsView;
    default:
      return false;
  }
}

void TEQGPGraphic::Layout(platform::Canvas& canvas, float width, float height, float aspect, float tabWidth) {
  switch (CurrentView) {
    case kGridView:
      AllocationGrid.Layout(canvas, tabWidth, 0.0f, width - 2.0f * tabWidth, height);
      break;
    case kRegionRankingView:
    case kFullRankingView:
      RankingTable.Layout(canvas, 32.0f, 32.0f * aspect, width - 64.0f, height - 64.0f * aspect,
                          CurrentView == kRegionRankingView);
      break;
    case kHedgingView:
      HedgingTable.Layout(canvas, 32.0f, 64.0f * aspect, width - 64.0f, height - 128.0f * aspect);
      break;
    default:
      pages::LayoutPortfolioView(canvas,
                                 pages::SummaryTableAt(CurrentView, kStatisticsView, StatisticsTable, ParameterTable),
                                 ComparisonChartOfView(), BarChartOfView(), width, height, aspect);
      break;
  }
}

bool TEQGPGraphic::Draw(platform::Canvas& canvas, float width) {
  if (!HasData) return false;
  switch (CurrentView) {
    case kGridView:
      AllocationGrid.Draw(canvas);
      break;
    case kRegionRankingView:
    case kFullRankingView:
      RankingTable.Draw(canvas, CurrentView == kRegionRankingView);
      break;
    case kHedgingView:
      HedgingTable.Draw(canvas, "USD");
      break;
    default:
      pages::DrawPortfolioView(canvas,
                               pages::SummaryTableAt(CurrentView, kStatisticsView, StatisticsTable, ParameterTable),
                               ComparisonChartOfView(), BarChartOfView(), width, true);
      break;
  }
  return true;
}

void TEQGPGraphic::ResetCursors() { pages::ResetBarCursor(AllocationChart); }

void TEQGPGraphic::GetViewData(TSeriesComparisonChart& chart) const {
  if (CurrentView == kWealthView) chart = HistoryCharts.Wealth;
}

TViewArea TEQGPGraphic::GetViewRange() const {
  if (CurrentView == kFullRankingView) return RankingTable.ViewArea();
  if (CurrentView == kHedgingView) return HedgingTable.ViewArea();
  return pages::RangeOf(ComparisonChartOfView(), BarChartOfView());
}

void TEQGPGraphic::MoveCursors(std::int32_t step, std::int32_t count) {
  pages::MoveBarCursor(AllocationChart, pages::CursorDelta(step, count));
}

bool TEQGPGraphic::HasNextItem() const { return CurrentView == kBarsView && pages::BarHasNext(AllocationChart); }

platform::TPointF TEQGPGraphic::GetCurrentItem() const {
  if (CurrentView == kBarsView) return AllocationChart.CaptionAnchor;
  return {};
}

std::vector<TDataPoint> TEQGPGraphic::GetValuesAt(float x, float y) {
  return pages::ValuesAt(ComparisonChartOfView(), BarChartOfView(), x, y);
}

platform::TPointF TEQGPGraphic::DataToScreen(TDataPoint point) const {
  return pages::ScreenPoint(ComparisonChartOfView(), BarChartOfView(), point);
}

void TEQGPGraphic::FormatValue(double value, std::string& text) const {
  pages::FormatViewValue(CurrentView, value, {kBarsView, kDrawdownView, kOneYearView}, {kWealthView}, text);
}

TSeriesBarChart* TEQGPGraphic::BarChartOfView() { return CurrentView == kBarsView ? &AllocationChart : nullptr; }

const TSeriesBarChart* TEQGPGraphic::BarChartOfView() const {
  return CurrentView == kBarsView ? &AllocationChart : nullptr;
}

TSeriesComparisonChart* TEQGPGraphic::ComparisonChartOfView() {
  return pages::PerformanceChartAt(CurrentView, kWealthView, HistoryCharts.Wealth, HistoryCharts.Drawdown,
                                   HistoryCharts.Rolling);
}

const TSeriesComparisonChart* TEQGPGraphic::ComparisonChartOfView() const {
  return pages::PerformanceChartAt(CurrentView, kWealthView, HistoryCharts.Wealth, HistoryCharts.Drawdown,
                                   HistoryCharts.Rolling);
}
