#include "pages/FIGPGraphic.h"

#include "common/Globals.h"
#include "pages/FXHedgingPositions.h"
#include "pages/PageCommon.h"
#include "pages/PortfolioViews.h"

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
    pages::SetPerformanceCharts(WealthChart, DrawdownChart, RollingChart, performance, true);
    pages::LoadAllocationBars(AllocationChart, performance.AllocationTitle, performance.AllocationHistory,
                              record.Countries, pages::BondAssetClassItems());

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
  RankingTable.Legend = pages::RegionLegend();
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
  switch (CurrentView) {
    case 1:
      AssetBarChart.Layout(canvas, 32.0f, 32.0f * aspect, width - 64.0f, height - 64.0f * aspect);
      break;
    case 2:
    case 3:
      // View 2 shows the region rows only, view 3 every row.
      RankingTable.Layout(canvas, 34.0f, 32.0f * aspect, width - 64.0f, height - 64.0f * aspect, CurrentView == 2);
      break;
    case 4:
      HedgingTable.Layout(canvas, 32.0f, 64.0f * aspect, width - 64.0f, height - 128.0f * aspect);
      break;
    default:
      pages::LayoutPortfolioView(canvas, pages::SummaryTableAt(CurrentView, 5, StatisticsTable, ParameterTable),
                                 ComparisonChartOfView(), BarChartOfView(), width, height, aspect);
      break;
  }
}

bool TFIGPGraphic::Draw(platform::Canvas& canvas, float width) {
  if (!HasData) return false;
  switch (CurrentView) {
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
    default:
      pages::DrawPortfolioView(canvas, pages::SummaryTableAt(CurrentView, 5, StatisticsTable, ParameterTable),
                               ComparisonChartOfView(), BarChartOfView(), width, true);
      break;
  }
  return true;
}

void TFIGPGraphic::ResetCursors() { pages::ResetBarCursor(AllocationChart); }

void TFIGPGraphic::GetViewData(TSeriesComparisonChart& chart) const {
  if (CurrentView == 6) chart = WealthChart;
}

TViewArea TFIGPGraphic::GetViewRange() const {
  // View 2 is left out: the region rows have no track bar.
  if (CurrentView == 3) return RankingTable.ViewArea();
  if (CurrentView == 4) return HedgingTable.ViewArea();
  return pages::RangeOf(ComparisonChartOfView(), BarChartOfView());
}

void TFIGPGraphic::MoveCursors(std::int32_t step, std::int32_t count) {
  pages::MoveBarCursor(AllocationChart, pages::CursorDelta(step, count));
}

bool TFIGPGraphic::HasNextItem() const { return CurrentView == 0 && pages::BarHasNext(AllocationChart); }

platform::TPointF TFIGPGraphic::GetCurrentItem() const {
  if (CurrentView == 0) return AllocationChart.CaptionAnchor;
  return {};
}

std::vector<TDataPoint> TFIGPGraphic::GetValuesAt(float x, float y) {
  return pages::ValuesAt(ComparisonChartOfView(), BarChartOfView(), x, y);
}

platform::TPointF TFIGPGraphic::DataToScreen(TDataPoint point) const {
  return pages::ScreenPoint(ComparisonChartOfView(), BarChartOfView(), point);
}

void TFIGPGraphic::FormatValue(double value, std::string& text) const {
  // Allocation shares, drawdowns and one-year returns are fractions; other
  // views leave the text as it was.
  pages::FormatViewValue(CurrentView, value, {0, 7, 8}, {6}, text);
}

TSeriesBarChart* TFIGPGraphic::BarChartOfView() { return CurrentView == 0 ? &AllocationChart : nullptr; }

const TSeriesBarChart* TFIGPGraphic::BarChartOfView() const { return CurrentView == 0 ? &AllocationChart : nullptr; }

TSeriesComparisonChart* TFIGPGraphic::ComparisonChartOfView() {
  return pages::PerformanceChartAt(CurrentView, 6, WealthChart, DrawdownChart, RollingChart);
}

const TSeriesComparisonChart* TFIGPGraphic::ComparisonChartOfView() const {
  return pages::PerformanceChartAt(CurrentView, 6, WealthChart, DrawdownChart, RollingChart);
}
