#include "pages/FIGFGraphic.h"

#include <algorithm>
#include <utility>

#include "common/Globals.h"
#include "common/SeriesHelpers.h"
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
  GroupChart.SetData(rows, kChartWindow, static_cast<std::int32_t>(rows.size()), 1);
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
    pages::TPerformanceCharts charts;
    pages::SetPerformanceCharts(charts, performance.IndexCharts, performance.DrawdownCharts, performance.OneYearCharts,
                                2);
    WealthChart = std::move(charts.Wealth);
    DrawdownChart = std::move(charts.Drawdown);
    RollingChart = std::move(charts.Rolling);

    StatisticsTable.SetStatistics(performance.Statistics, TTextTable::kFIGF, true);
    ParameterTable.SetParameters(performance.Parameters, TTextTable::kFIGF, true);

    // The window is counted before the history is extended to the signal grid.
    const std::int32_t window =
        static_cast<std::int32_t>(std::min<std::size_t>(performance.AllocationHistory.size(), kChartWindow));
    const std::vector<TCountry> countries = record.Countries;
    ExtendSeriesToSignalGrid(countries, performance.AllocationHistory);
    AllocationChart.SetData(performance.AllocationTitle, performance.AllocationHistory, AssetClassItems(), window, 0.0,
                            1.0);

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
  const float chartTop = 64.0f * aspect;
  const float chartHeight = height - 64.0f * aspect;
  switch (CurrentView) {
    case 0:
      if (HasData) BulletList.Layout(canvas, 0.0f, 0.0f, width, height);
      break;
    case 1:
      if (HasData) GroupChart.Layout(canvas, 0.0f, 32.0f * aspect, width, height - 64.0f * aspect);
      break;
    case 4:
      AllocationChart.Layout(canvas, 32.0f, chartTop, width - 64.0f, chartHeight);
      break;
    case 5:
      AssetBarChart.Layout(canvas, 32.0f, 32.0f * aspect, width - 64.0f, height - 64.0f * aspect);
      break;
    case 6:
      StatisticsTable.Layout(canvas, 0.0f, 0.0f, width, height);
      break;
    case 7:
      WealthChart.Layout(canvas, 32.0f, chartTop, width - 64.0f, chartHeight);
      break;
    case 8:
      DrawdownChart.Layout(canvas, 32.0f, chartTop, width - 64.0f, chartHeight);
      break;
    case 9:
      RollingChart.Layout(canvas, 32.0f, chartTop, width - 64.0f, chartHeight);
      break;
    case 10:
      ParameterTable.Layout(canvas, 0.0f, 0.0f, width, height);
      break;
    default:  // 2, 3 and none show nothing
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
    case 4:
      AllocationChart.Draw(canvas, width, true);
      break;
    case 5:
      AssetBarChart.Draw(canvas);
      break;
    case 6:
      StatisticsTable.Draw(canvas, width);
      break;
    case 7:
      WealthChart.Draw(canvas, width);
      break;
    case 8:
      DrawdownChart.Draw(canvas, width);
      break;
    case 9:
      RollingChart.Draw(canvas, width);
      break;
    case 10:
      ParameterTable.Draw(canvas, width);
      break;
    default:
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
  switch (CurrentView) {
    case 1:
      return GroupChart.ViewArea();
    case 4:
      return AllocationChart.ViewArea();
    case 7:
      return WealthChart.ViewArea();
    case 8:
      return DrawdownChart.ViewArea();
    case 9:
      return RollingChart.ViewArea();
    default:
      return {};
  }
}

void TFIGFGraphic::MoveCursors(std::int32_t step, std::int32_t count) {
  const std::int32_t delta = step * count;
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
  switch (CurrentView) {
    case 4:
      return AllocationChart.GetValuesAt(x, y);
    case 7:
      return WealthChart.GetValuesAt(x);
    case 8:
      return DrawdownChart.GetValuesAt(x);
    case 9:
      return RollingChart.GetValuesAt(x);
    default:
      return {};
  }
}

platform::TPointF TFIGFGraphic::DataToScreen(TDataPoint point) const {
  switch (CurrentView) {
    case 4:
      return AllocationChart.DataToScreen(point);
    case 7:
      return WealthChart.DataToScreen(point);
    case 8:
      return DrawdownChart.DataToScreen(point);
    case 9:
      return RollingChart.DataToScreen(point);
    default:
      return {};
  }
}

void TFIGFGraphic::FormatValue(double value, std::string& text) const {
  // Allocation shares, drawdowns and one-year returns are fractions.
  text.clear();
  pages::FormatViewValue(CurrentView, value, {4, 8, 9}, {7}, text);
}
