#include "pages/FIGFGraphic.h"

#include "common/Globals.h"
#include "pages/PageCommon.h"
#include "pages/PortfolioViews.h"

namespace {

constexpr std::int32_t kGroupWindow = 25;  // months the group chart shows at once

}  // namespace

TFIGFGraphic::TFIGFGraphic() : Record(&cMyExternFIGFGraphicData) {}

TFIGFGraphic::TFIGFGraphic(TFIGFGraphicData& record) : Record(&record) {}

void TFIGFGraphic::Init() {
  CurrentView = kViewCount;
  BulletList = TBulletListChart();
  GroupChart = TRegionSeriesChart();
  WealthChart = TSeriesComparisonChart();
  DrawdownChart = TSeriesComparisonChart();
  RollingChart = TSeriesComparisonChart();
  AllocationChart = TSeriesBarChart();
  AssetBarChart = TPercentBarChart();
  StatisticsTable = TTextTable();
  ParameterTable = TTextTable();
}

void TFIGFGraphic::LoadGroupSeries(bool /*relayout*/, std::int32_t /*group*/) {
  // Without data both widgets keep what they show.
  if (!HasData) return;
  const std::vector<TLegendItem> legend{{{"FIAT Currencies"}, {}, claGraphicPalette[6]},
                                        {{"Gold"}, {}, claGraphicPalette[7]}};
  const std::vector<TLabelledSeries>& rows = Record->Rows1;
  // Every group row is shown (no cap), mode 1: plain grid with a legend.
  GroupChart.SetData(rows, kGroupWindow, static_cast<std::int32_t>(rows.size()), 1);
  GroupChart.SetLegend(legend);
  // A share row's first value is its place in the legend: 0 fiat, 1 gold.
  BulletList.SetData(Record->Rows2, GroupChart.Legend(), 1, false);
}

void TFIGFGraphic::Update() {
  try {
    TFIGFGraphicData& record = *Record;
    HasData = pages::HasFullRecentHistory(record.Rows1);
    LoadGroupSeries(true, 0);

    TPortfolioPerformance& performance = record.Performance;
    pages::SetPerformanceCharts(WealthChart, DrawdownChart, RollingChart, performance, true);

    StatisticsTable.SetStatistics(performance.Statistics, TTextTable::kFIGF, true);
    ParameterTable.SetParameters(performance.Parameters, TTextTable::kFIGF, true);

    pages::LoadAllocationBars(AllocationChart, performance.AllocationTitle, performance.AllocationHistory,
                              record.Countries, pages::BondAssetClassItems());

    // Colour groups: 0 the text colour, 1 bonds, 2 gold.
    AssetBarChart.SetData({record.ColumnCaption1, record.ColumnCaption2, record.AssetShares},
                          {pages::kOtherRegionColour, claGraphicPalette[3], claGraphicPalette[7]});
  } catch (...) {
    // A record that cannot be shown is shown as "No Data".
    HasData = false;
  }
}

void TFIGFGraphic::SelectView(std::int32_t group, std::int32_t entry, std::int32_t option) {
  if (group == 0) {
    CurrentView = 0;
  } else if (group == 1) {
    CurrentView = 1;
  } else if (group == 2) {
    if (entry == 0) {
      if (option == 1) CurrentView = 4;
      if (option == 0) CurrentView = 5;
    } else if (entry >= 1 && entry <= 5) {
      CurrentView = entry + 5;
    }
  }
}

bool TFIGFGraphic::ViewHasFeature(std::uint32_t feature) const {
  switch (feature) {
    case 0:
    case 2:
      return pages::IsOneOf(CurrentView, {4, 7, 8, 9});
    case 1:
      return pages::IsOneOf(CurrentView, {1, 4});
    case 3:
      return CurrentView == 4;
    default:
      return false;
  }
}

void TFIGFGraphic::Layout(platform::Canvas& canvas, float width, float height, float aspect, float /*tabWidth*/) {
  switch (CurrentView) {
    case 0:
      if (HasData) BulletList.Layout(canvas, 0.0f, 0.0f, width, height);
      break;
    case 1:
      if (HasData) GroupChart.Layout(canvas, 0.0f, 32.0f * aspect, width, height - 64.0f * aspect);
      break;
    case 5:
      AssetBarChart.Layout(canvas, 32.0f, 32.0f * aspect, width - 64.0f, height - 64.0f * aspect);
      break;
    default:  // 2, 3 and none show nothing
      pages::LayoutPortfolioView(canvas, pages::SummaryTableAt(CurrentView, 6, StatisticsTable, ParameterTable),
                                 ComparisonChartOfView(), BarChartOfView(), width, height, aspect);
      break;
  }
}

bool TFIGFGraphic::Draw(platform::Canvas& canvas, float width) {
  if (!HasData) return false;
  switch (CurrentView) {
    case 0:
      BulletList.Draw(canvas, "Best");
      break;
    case 1:
      GroupChart.Draw(canvas, -2.0f);
      break;
    case 5:
      AssetBarChart.Draw(canvas);
      break;
    default:
      pages::DrawPortfolioView(canvas, pages::SummaryTableAt(CurrentView, 6, StatisticsTable, ParameterTable),
                               ComparisonChartOfView(), BarChartOfView(), width, true);
      break;
  }
  return true;
}

void TFIGFGraphic::ResetCursors() {
  pages::ResetRegionCursor(GroupChart, GroupChart.PointCount() - 1);
  pages::ResetBarCursor(AllocationChart);
}

void TFIGFGraphic::GetViewData(TSeriesComparisonChart& chart) const {
  if (CurrentView == 7) chart = WealthChart;
}

TViewArea TFIGFGraphic::GetViewRange() const {
  if (CurrentView == 1) return GroupChart.ViewArea();
  return pages::RangeOf(ComparisonChartOfView(), BarChartOfView());
}

void TFIGFGraphic::MoveCursors(std::int32_t step, std::int32_t count) {
  const std::int32_t delta = pages::CursorDelta(step, count);
  pages::MoveRegionCursor(GroupChart, delta);
  pages::MoveBarCursor(AllocationChart, delta);
}

bool TFIGFGraphic::HasNextItem() const {
  if (CurrentView == 1) return HasData && pages::RegionHasNext(GroupChart);
  if (CurrentView == 4) return pages::BarHasNext(AllocationChart);
  return false;
}

platform::TPointF TFIGFGraphic::GetCurrentItem() const {
  if (CurrentView == 1) return GroupChart.TitlePoint();
  if (CurrentView == 4) return AllocationChart.CaptionAnchor;
  return {};
}

std::vector<TDataPoint> TFIGFGraphic::GetValuesAt(float x, float y) {
  return pages::ValuesAt(ComparisonChartOfView(), BarChartOfView(), x, y);
}

platform::TPointF TFIGFGraphic::DataToScreen(TDataPoint point) const {
  return pages::ScreenPoint(ComparisonChartOfView(), BarChartOfView(), point);
}

void TFIGFGraphic::FormatValue(double value, std::string& text) const {
  // Allocation shares, drawdowns and one-year returns are fractions; other
  // views leave the text as it was.
  pages::FormatViewValue(CurrentView, value, {4, 8, 9}, {7}, text);
}

TSeriesBarChart* TFIGFGraphic::BarChartOfView() { return CurrentView == 4 ? &AllocationChart : nullptr; }

const TSeriesBarChart* TFIGFGraphic::BarChartOfView() const { return CurrentView == 4 ? &AllocationChart : nullptr; }

TSeriesComparisonChart* TFIGFGraphic::ComparisonChartOfView() {
  return pages::PerformanceChartAt(CurrentView, 7, WealthChart, DrawdownChart, RollingChart);
}

const TSeriesComparisonChart* TFIGFGraphic::ComparisonChartOfView() const {
  return pages::PerformanceChartAt(CurrentView, 7, WealthChart, DrawdownChart, RollingChart);
}
