#include "pages/EQGPGraphic.h"

#include <algorithm>
#include <limits>

#include "common/SeriesHelpers.h"
#include "models/equity/EQGPModel.h"
#include "pages/FXHedgingPositions.h"

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

constexpr std::int32_t kMaxBarWindow = 25;  // months shown by the allocation bars

// Runs one refill step; a step that throws leaves its widget as it stands and
// the others still run, so that no exception leaves Update.
template <typename TStep>
void RunStep(TStep&& step) {
  try {
    step();
  } catch (...) {
  }
}

// The history chart of the current view; nullptr for the other views.
template <typename TPage>
auto HistoryChartOf(TPage& page) -> decltype(&page.HistoryCharts.Wealth) {
  switch (page.CurrentView) {
    case kWealthView:
      return &page.HistoryCharts.Wealth;
    case kDrawdownView:
      return &page.HistoryCharts.Drawdown;
    case kOneYearView:
      return &page.HistoryCharts.Rolling;
    default:
      return nullptr;
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
  // Window = min(months before the extension, 25): the empty months put in
  // front to start the history on the signal grid do not count.
  RunStep([&] {
    const std::vector<TLegendItem> legend = BarLegend();
    const auto months = static_cast<std::int32_t>(
        std::min<std::size_t>(total.AllocationHistory.size(), static_cast<std::size_t>(kMaxBarWindow)));
    ExtendSeriesToSignalGrid(record.Countries, total.AllocationHistory);
    AllocationChart.SetData(total.AllocationTitle, total.AllocationHistory, legend, months, 0.0, 1.0);
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
  RankingTable.Legend.clear();
  for (std::size_t i = 0; i < strRegionNameList.size() && i < claRegionColors.size(); ++i) {
    TLegendItem item;
    item.Labels = {strRegionNameList[i]};
    item.Colour = claRegionColors[i];
    RankingTable.Legend.push_back(std::move(item));
  }
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
    case kBarsView:
      AllocationChart.Layout(canvas, 32.0f, 64.0f * aspect, width - 64.0f, height - 64.0f * aspect);
      break;
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
    case kStatisticsView:
      StatisticsTable.Layout(canvas, 0.0f, 0.0f, width, height);
      break;
    case kParameterView:
      ParameterTable.Layout(canvas, 0.0f, 0.0f, width, height);
      break;
    case kWealthView:
    case kDrawdownView:
    case kOneYearView:
      HistoryChartOf(*this)->Layout(canvas, 32.0f, 64.0f * aspect, width - 64.0f, height - 64.0f * aspect);
      break;
    default:
      break;
  }
}

bool TEQGPGraphic::Draw(platform::Canvas& canvas, float width) {
  if (!HasData) return false;
  switch (CurrentView) {
    case kBarsView:
      AllocationChart.Draw(canvas, width, true);
      break;
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
    case kStatisticsView:
      StatisticsTable.Draw(canvas, width);
      break;
    case kParameterView:
      ParameterTable.Draw(canvas, width);
      break;
    case kWealthView:
    case kDrawdownView:
    case kOneYearView:
      HistoryChartOf(*this)->Draw(canvas, width);
      break;
    default:
      break;
  }
  return true;
}

void TEQGPGraphic::ResetCursors() { pages::ResetBarCursor(AllocationChart); }

void TEQGPGraphic::GetViewData(TSeriesComparisonChart& chart) const {
  if (CurrentView == kWealthView) chart = HistoryCharts.Wealth;
}

TViewArea TEQGPGraphic::GetViewRange() const {
  if (CurrentView == kBarsView) return AllocationChart.ViewArea();
  if (CurrentView == kFullRankingView) return RankingTable.ViewArea();
  if (CurrentView == kHedgingView) return HedgingTable.ViewArea();
  if (const TSeriesComparisonChart* chart = HistoryChartOf(*this)) return chart->ViewArea();
  return {};
}

void TEQGPGraphic::MoveCursors(std::int32_t step, std::int32_t count) {
  // d = step x count, held within 32 bits (the cursor clamps to the series anyway).
  const std::int64_t d =
      std::clamp<std::int64_t>(static_cast<std::int64_t>(step) * count, std::numeric_limits<std::int32_t>::min(),
                               std::numeric_limits<std::int32_t>::max());
  pages::MoveBarCursor(AllocationChart, static_cast<std::int32_t>(d));
}

bool TEQGPGraphic::HasNextItem() const { return CurrentView == kBarsView && pages::BarHasNext(AllocationChart); }

platform::TPointF TEQGPGraphic::GetCurrentItem() const {
  if (CurrentView == kBarsView) return AllocationChart.CaptionAnchor;
  return {};
}

std::vector<TDataPoint> TEQGPGraphic::GetValuesAt(float x, float y) {
  if (CurrentView == kBarsView) return AllocationChart.GetValuesAt(x, y);
  if (const TSeriesComparisonChart* chart = HistoryChartOf(*this)) return chart->GetValuesAt(x);
  return {};
}

platform::TPointF TEQGPGraphic::DataToScreen(TDataPoint point) const {
  if (CurrentView == kBarsView) return AllocationChart.DataToScreen(point);
  if (const TSeriesComparisonChart* chart = HistoryChartOf(*this)) return chart->DataToScreen(point);
  return {};
}

void TEQGPGraphic::FormatValue(double value, std::string& text) const {
  pages::FormatViewValue(CurrentView, value, {kBarsView, kDrawdownView, kOneYearView}, {kWealthView}, text);
}
