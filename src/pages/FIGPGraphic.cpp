#include "pages/FIGPGraphic.h"

#include <algorithm>
#include <utility>

#include "common/Globals.h"
#include "common/SeriesHelpers.h"
#include "pages/FXHedgingPositions.h"
#include "pages/PageCommon.h"

namespace {

constexpr std::int32_t kChartWindow = 25;

// The three asset classes of the allocation bars.
std::vector<TLegendItem> AssetClassItems() {
  return {{{"Fixed Rate Bond"}, {}, claGraphicPalette[5]},
          {{"Inflation-Linked Bond"}, {}, claGraphicPalette[4]},
          {{"Gold"}, {}, claGraphicPalette[7]}};
}

}  // namespace

TFIGPGraphic::TFIGPGraphic() : Record(&cMyExternFIGPGraphicData) {}

TFIGPGraphic::TFIGPGraphic(TFIGPGraphicData& record) : Record(&record) {}

void TFIGPGraphic::Init() {
  CurrentView = kViewCount;
  WealthChart = TSeriesComparisonChart();
  DrawdownChart = TSeriesComparisonChart();
  RollingChart = TSeriesComparisonChart();
  StatisticsTable = TTextTable();
  ParameterTable = TTextTable();
  AllocationChart = TSeriesBarChart();
  RankingTable = TCountryRankingTable();
  AssetBarChart = TPercentBarChart();
  HedgingTable = TFXHedgingTable();
}

void TFIGPGraphic::Update(const std::vector<TLabelledSeries>& figfRows1) {
  try {
    TFIGPGraphicData& record = *Record;
    HasData = pages::HasFullRecentHistory(figfRows1);

    TPortfolioPerformance& performance = record.Performance;
    pages::TPerformanceCharts charts;
    pages::SetPerformanceCharts(charts, performance.IndexCharts, performance.DrawdownCharts, performance.OneYearCharts,
                                2);
    WealthChart = std::move(charts.Wealth);
    DrawdownChart = std::move(charts.Drawdown);
    RollingChart = std::move(charts.Rolling);

    // The window is counted before the history is extended to the signal grid.
    const std::int32_t window =
        static_cast<std::int32_t>(std::min<std::size_t>(performance.AllocationHistory.size(), kChartWindow));
    const std::vector<TCountry> countries = record.Countries;
    ExtendSeriesToSignalGrid(countries, performance.AllocationHistory);
    AllocationChart.SetData(performance.AllocationTitle, performance.AllocationHistory, AssetClassItems(), window, 0.0,
                            1.0);

    // Colour groups: 0 the text colour, 1 bonds, 2 gold, 3 further rows.
    AssetBarChart.SetData(
        {record.ColumnCaption1, record.ColumnCaption2, record.AssetShares},
        {pages::kOtherRegionColour, claGraphicPalette[3], claGraphicPalette[7], claGraphicPalette[6]});

    LoadCountryRanking();
    UpdateFXHedgingPositions();

    StatisticsTable.SetStatistics(performance.Statistics, TTextTable::kFIGP, true);
    ParameterTable.SetParameters(performance.Parameters, TTextTable::kFIGP, true);
  } catch (...) {
    // A record that cannot be shown is shown as "No Data".
    HasData = false;
  }
}

void TFIGPGraphic::LoadCountryRanking() {
  RankingTable.SetData(Record->AllocationItems, false, "Model", "Benchmark");
  RankingTable.Legend.clear();
  for (std::size_t r = 0; r < strRegionNameList.size(); ++r)
    RankingTable.Legend.push_back({{strRegionNameList[r]}, {}, claRegionColors[r]});
}

void TFIGPGraphic::UpdateFXHedgingPositions() {
  // Zero rows first, so that the MYGP page never reads the positions of an
  // earlier calculation should the computation fail.
  vExternFIGPFXHedgingPosition = BuildFXHedgingRows(vcMyExternCountryList);
  HedgingTable.SetData(vExternFIGPFXHedgingPosition);
  vExternFIGPFXHedgingPosition = FIGPFXHedgingPositions(*Record, cMyExternFICYGraphicData, cMyExternFISLGraphicData,
                                                        vcMyExternCountryList, usMyExternUserSettings.PortfolioCcy);
  HedgingTable.SetData(vExternFIGPFXHedgingPosition);
}

void TFIGPGraphic::SelectView(std::int32_t group, std::int32_t entry, std::int32_t option, std::int32_t secondOption,
                              std::int32_t kind) {
  if (group < 0 || group >= 4 || entry < 0 || entry >= 6) return;
  if (entry >= 1) {
    CurrentView = entry + 4;
    return;
  }
  if (kind == 2) {
    CurrentView = 4;
  } else if (kind == 1) {
    if (option == 1) CurrentView = 3;
    if (option == 0) CurrentView = 2;
  } else if (kind == 0) {
    if (secondOption == 1) CurrentView = 0;
    if (secondOption == 0) CurrentView = 1;
  }
}

bool TFIGPGraphic::ViewHasFeature(std::uint32_t feature) const {
  switch (feature) {
    case 0:
    case 2:
      return pages::IsOneOf(CurrentView, {0, 6, 7, 8});
    case 1:
    case 3:
      return CurrentView == 0;
    default:
      return false;
  }
}

void TFIGPGraphic::Layout(platform::Canvas& canvas, float width, float height, float aspect, float /*tabWidth*/) {
  const float chartTop = 64.0f * aspect;
  const float chartHeight = height - 64.0f * aspect;
  switch (CurrentView) {
    case 0:
      AllocationChart.Layout(canvas, 32.0f, chartTop, width - 64.0f, chartHeight);
      break;
    case 1:
      AssetBarChart.Layout(canvas, 32.0f, 32.0f * aspect, width - 64.0f, height - 64.0f * aspect);
      break;
    case 2:
    case 3:
      // View 2 shows the region rows only, view 3 every row.
      RankingTable.Layout(canvas, 34.0f, 32.0f * aspect, width - 64.0f, height - 64.0f * aspect, CurrentView == 2);
      break;
    case 4:
      HedgingTable.Layout(canvas, 32.0f, chartTop, width - 64.0f, height - 128.0f * aspect);
      break;
    case 5:
      StatisticsTable.Layout(canvas, 0.0f, 0.0f, width, height);
      break;
    case 6:
      WealthChart.Layout(canvas, 32.0f, chartTop, width - 64.0f, chartHeight);
      break;
    case 7:
      DrawdownChart.Layout(canvas, 32.0f, chartTop, width - 64.0f, chartHeight);
      break;
    case 8:
      RollingChart.Layout(canvas, 32.0f, chartTop, width - 64.0f, chartHeight);
      break;
    case 9:
      ParameterTable.Layout(canvas, 0.0f, 0.0f, width, height);
      break;
    default:
      break;
  }
}

bool TFIGPGraphic::Draw(platform::Canvas& canvas, float width) {
  if (!HasData) return false;
  switch (CurrentView) {
    case 0:
      AllocationChart.Draw(canvas, width, true);
      break;
    case 1:
      AssetBarChart.Draw(canvas);
      break;
    case 2:
    case 3:
      RankingTable.Draw(canvas, CurrentView == 2);
      break;
    case 4:
      HedgingTable.Draw(canvas, "USD");
      break;
    case 5:
      StatisticsTable.Draw(canvas, width);
      break;
    case 6:
      WealthChart.Draw(canvas, width);
      break;
    case 7:
      DrawdownChart.Draw(canvas, width);
      break;
    case 8:
      RollingChart.Draw(canvas, width);
      break;
    case 9:
      ParameterTable.Draw(canvas, width);
      break;
    default:
      break;
  }
  return true;
}

void TFIGPGraphic::ResetCursors() { pages::ResetBarCursor(AllocationChart); }

void TFIGPGraphic::GetViewData(TSeriesComparisonChart& chart) const {
  if (CurrentView == 6) chart = WealthChart;
}

TViewArea TFIGPGraphic::GetViewRange() const {
  switch (CurrentView) {
    case 0:
      return AllocationChart.ViewArea();
    case 3:
      return RankingTable.ViewArea();
    case 4:
      return HedgingTable.ViewArea();
    case 6:
      return WealthChart.ViewArea();
    case 7:
      return DrawdownChart.ViewArea();
    case 8:
      return RollingChart.ViewArea();
    default:  // view 2 included: the region rows have no track bar
      return {};
  }
}

void TFIGPGraphic::MoveCursors(std::int32_t step, std::int32_t count) {
  pages::MoveBarCursor(AllocationChart, step * count);
}

bool TFIGPGraphic::HasNextItem() const { return CurrentView == 0 && pages::BarHasNext(AllocationChart); }

platform::TPointF TFIGPGraphic::GetCurrentItem() const {
  if (CurrentView == 0) return AllocationChart.CaptionAnchor;
  return {};
}

std::vector<TDataPoint> TFIGPGraphic::GetValuesAt(float x, float y) {
  switch (CurrentView) {
    case 0:
      return AllocationChart.GetValuesAt(x, y);
    case 6:
      return WealthChart.GetValuesAt(x);
    case 7:
      return DrawdownChart.GetValuesAt(x);
    case 8:
      return RollingChart.GetValuesAt(x);
    default:
      return {};
  }
}

platform::TPointF TFIGPGraphic::DataToScreen(TDataPoint point) const {
  switch (CurrentView) {
    case 0:
      return AllocationChart.DataToScreen(point);
    case 6:
      return WealthChart.DataToScreen(point);
    case 7:
      return DrawdownChart.DataToScreen(point);
    case 8:
      return RollingChart.DataToScreen(point);
    default:
      return {};
  }
}

void TFIGPGraphic::FormatValue(double value, std::string& text) const {
  // Allocation shares, drawdowns and one-year returns are fractions.
  text.clear();
  pages::FormatViewValue(CurrentView, value, {0, 7, 8}, {6}, text);
}
