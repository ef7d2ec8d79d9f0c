#include "pages/EQBLGraphic.h"

#include <exception>

#include "pages/PortfolioViews.h"

namespace {

using pages::IsOneOf;

// Views of the member subsets.
constexpr std::initializer_list<std::int32_t> kBarViews = {10, 12, 14};
constexpr std::initializer_list<std::int32_t> kPercentViews = {5, 6, 10, 12, 14, 17, 18};
constexpr std::initializer_list<std::int32_t> kPlainViews = {4, 16};

// Labels 0 and 1 of a row ("" where missing).
std::string LabelOf(const TLabelledSeries& row, std::size_t index) {
  return index < row.Labels.size() ? row.Labels[index] : std::string();
}

// Fills an allocation history chart and its table. The window is
// min(n, 25) with n the entries the model wrote, counted before the history
// is extended in the record to the signal date grid.
void LoadAllocation(TSeriesBarChart& chart, TPercentTable& table, const std::vector<TCountry>& countries,
                    const std::string& title, std::vector<TAllocationRow>& history,
                    const std::vector<TLegendItem>& legend, const std::vector<TStateItem>& items) {
  pages::LoadAllocationBars(chart, title, history, countries, legend);
  table.SetData(items);
}

}  // namespace

TEQBLGraphic::TEQBLGraphic(TEQBLGraphicData& record, std::int32_t modelKind) : Record(&record), ModelKind(modelKind) {}

void TEQBLGraphic::Init() {
  CurrentView = kViewCount;
  CountryGrid = TRegionGridTable();
  GroupHistoryChart = TRegionSeriesChart();
  CountryDetailChart = TRegionSeriesChart();
  CountryStatisticsTable = TTextTable();
  CountryParameterTable = TTextTable();
  TotalParameterTable = TTextTable();
  TotalStatisticsTable = TTextTable();
  CountryCharts = pages::TPerformanceCharts();
  TotalCharts = pages::TPerformanceCharts();
  AllocationChart1 = TSeriesBarChart();
  AllocationChart2 = TSeriesBarChart();
  AllocationChart3 = TSeriesBarChart();
  AllocationTable1 = TPercentTable();
  AllocationTable2 = TPercentTable();
  AllocationTable3 = TPercentTable();
}

void TEQBLGraphic::LoadGroupSeries(bool relayout, std::int32_t group) {
  // A group the record lacks (the window cycles its group number over 0..7)
  // loads no rows: both views show their empty state.
  static const std::vector<TLabelledSeries> kNoRows;
  const TPositionTable* table = pages::At(Record->GroupRows, group);
  const std::vector<TLabelledSeries>& rows = table != nullptr ? table->AllRows : kNoRows;

  // The grid shows each named row's latest point only.
  std::vector<TLabelledSeries> reduced;
  reduced.reserve(rows.size());
  for (const TLabelledSeries& row : rows) {
    if (LabelOf(row, 0).empty()) continue;
    TLabelledSeries last;
    last.Labels = {LabelOf(row, 0), LabelOf(row, 1)};
    last.Selected = row.Selected;
    if (!row.Series.empty()) last.Series.push_back(row.Series.back());
    reduced.push_back(std::move(last));
  }
  CountryGrid.SetData(reduced, 0);

  // Without a relayout the chart keeps its window and only takes the rows,
  // unless it holds no columns yet (an empty group before): then it is set up.
  if (relayout || GroupHistoryChart.PointCount() <= 0)
    GroupHistoryChart.SetData(rows, kGroupWindow, kGroupRows, 0);
  else
    GroupHistoryChart.SetSeries(rows);
}

void TEQBLGraphic::Update(std::int32_t item) {
  try {
    TEQBLGraphicData& record = *Record;
    TEQBLGraphicPart& total = record.Total;
    const TCountryModelData noCountry;
    const TCountryModelData* found = pages::At(record.CountryData, item);
    const TCountryModelData& d = found != nullptr ? *found : noCountry;

    // Current country: detail rows (all visible, plain grid), performance
    // charts with index, risk-free and model, statistics and parameters.
    CountryDetailChart.SetData(d.Rows, kGroupWindow, static_cast<std::int32_t>(d.Rows.size()), 1);
    pages::SetPerformanceCharts(CountryCharts, d.IndexCharts, d.DrawdownCharts, d.OneYearCharts, 3);
    CountryStatisticsTable.SetStatistics(d.Statistics, ModelKind, false);
    CountryParameterTable.SetParameters(d.Parameters, ModelKind, false);
    if (found == nullptr) CountryParameterTable.HasData = false;

    // Whole portfolio: model against index.
    pages::SetPerformanceCharts(TotalCharts, total.IndexCharts, total.DrawdownCharts, total.OneYearCharts, 2);
    TotalStatisticsTable.SetStatistics(total.Statistics, ModelKind, true);
    TotalParameterTable.SetParameters(total.Parameters, ModelKind, true);

    const TCountryModelSummary* first = pages::At(total.Summaries, 0);
    const std::string shortName = first != nullptr ? pages::RiskFreeShortName(first->Parameters.RiskFreeId) : "";

    // Per-country histories take the countries of the ranking model's history.
    const std::vector<TLegendItem> countryLegend = pages::CountryLegend(cMyExternEQSLGraphicData.RankingRows);
    const std::vector<TCountry>& countries = record.Countries;  // only read: the histories are other members
    LoadAllocation(AllocationChart2, AllocationTable2, countries, total.EquityHistoryTitle, total.EquityHistory,
                   countryLegend, record.Allocations2);
    LoadAllocation(AllocationChart3, AllocationTable3, countries, total.RiskFreeHistoryTitle, total.RiskFreeHistory,
                   countryLegend, record.Allocations3);

    std::vector<TLegendItem> totalLegend(2);
    totalLegend[0].Labels = {"Total Equity Allocation"};
    totalLegend[0].Colour = claGraphicPalette[1];
    totalLegend[1].Labels = {"Total " + shortName + " Allocation"};
    totalLegend[1].Colour = claGraphicPalette[5];
    LoadAllocation(AllocationChart1, AllocationTable1, countries, total.AllocationTitle, total.AllocationHistory,
                   totalLegend, record.Allocations1);
  } catch (const std::exception&) {
    // A failed reload leaves no half-filled page: every view shows its empty state.
    const std::int32_t view = CurrentView;
    Init();
    CurrentView = view;
  }
}

void TEQBLGraphic::SelectItem(std::int32_t item, bool itemChanged) {
  const TCountryModelData noCountry;
  const TCountryModelData* found = pages::At(Record->CountryData, item);
  const TCountryModelData& d = found != nullptr ? *found : noCountry;

  // The detail chart keeps its window; one left empty before is set up anew.
  if (CountryDetailChart.PointCount() <= 0)
    CountryDetailChart.SetData(d.Rows, kGroupWindow, static_cast<std::int32_t>(d.Rows.size()), 1);
  else
    CountryDetailChart.SetSeries(d.Rows);
  CountryStatisticsTable.BuildStatisticsRows(d.Statistics);
  CountryParameterTable.BuildParameterRows(d.Parameters);
  if (found == nullptr) CountryParameterTable.HasData = false;
  CountryCharts.Wealth.LoadSeries(d.IndexCharts, itemChanged);
  CountryCharts.Drawdown.LoadSeries(d.DrawdownCharts, itemChanged);
  CountryCharts.Rolling.LoadSeries(d.OneYearCharts, itemChanged);
}

void TEQBLGraphic::SelectView(std::int32_t choice1, std::int32_t choice2, std::int32_t choice3, std::int32_t option) {
  switch (choice1) {
    case 0:
      CurrentView = 0;
      return;
    case 1:
      CurrentView = 1;
      return;
    case 2: {
      // Allocation views: chart (choice3 1) or table (0) of option 0..2.
      if (choice2 == 0) {
        if (choice3 >= 0 && choice3 <= 1 && option >= 0 && option <= 2)
          CurrentView = 10 + 2 * option + (choice3 == 1 ? 0 : 1);
        return;
      }
      constexpr std::int32_t kTotalViews[] = {-1, 9, 16, 17, 18, 19};
      if (choice2 >= 1 && choice2 <= 5) CurrentView = kTotalViews[choice2];
      return;
    }
    case 3: {
      // View 7 has no widget: choice2 5 skips it.
      constexpr std::int32_t kCountryViews[] = {2, 3, 4, 5, 6, 8};
      if (choice2 >= 0 && choice2 <= 5) CurrentView = kCountryViews[choice2];
      return;
    }
    default:
      return;
  }
}

bool TEQBLGraphic::ViewHasFeature(std::uint32_t feature) const {
  switch (feature) {
    case 0:
    case 2:
      return IsOneOf(CurrentView, {4, 5, 6, 10, 12, 14, 16, 17, 18});
    case 1:
      return IsOneOf(CurrentView, {1, 2, 10, 12, 14});
    case 3:
      return IsOneOf(CurrentView, kBarViews);
    default:
      return false;
  }
}

TSeriesBarChart* TEQBLGraphic::BarChartOfView() {
  return const_cast<TSeriesBarChart*>(static_cast<const TEQBLGraphic*>(this)->BarChartOfView());
}

const TSeriesBarChart* TEQBLGraphic::BarChartOfView() const {
  switch (CurrentView) {
    case 10:
      return &AllocationChart1;
    case 12:
      return &AllocationChart2;
    case 14:
      return &AllocationChart3;
    default:
      return nullptr;
  }
}

TPercentTable* TEQBLGraphic::AllocationTableOfView() {
  return const_cast<TPercentTable*>(static_cast<const TEQBLGraphic*>(this)->AllocationTableOfView());
}

const TPercentTable* TEQBLGraphic::AllocationTableOfView() const {
  switch (CurrentView) {
    case 11:
      return &AllocationTable1;
    case 13:
      return &AllocationTable2;
    case 15:
      return &AllocationTable3;
    default:
      return nullptr;
  }
}

TSeriesComparisonChart* TEQBLGraphic::ComparisonChartOfView() {
  return const_cast<TSeriesComparisonChart*>(static_cast<const TEQBLGraphic*>(this)->ComparisonChartOfView());
}

const TSeriesComparisonChart* TEQBLGraphic::ComparisonChartOfView() const {
  switch (CurrentView) {
    case 4:
      return &CountryCharts.Wealth;
    case 5:
      return &CountryCharts.Drawdown;
    case 6:
      return &CountryCharts.Rolling;
    case 16:
      return &TotalCharts.Wealth;
    case 17:
      return &TotalCharts.Drawdown;
    case 18:
      return &TotalCharts.Rolling;
    default:
      return nullptr;
  }
}

void TEQBLGraphic::Layout(platform::Canvas& canvas, float width, float height, float aspect, float tabWidth) {
  AreaHeight = height;
  const float a = aspect;
  switch (CurrentView) {
    case 0:
      CountryGrid.Layout(canvas, 0.0f, 0.0f, width, height - 96.0f * a);
      return;
    case 1:
      GroupHistoryChart.Layout(canvas, 0.0f, 32.0f * a, width, height - 64.0f * a);
      return;
    case 2:
      CountryDetailChart.Layout(canvas, 0.0f, 32.0f * a, width, height - 64.0f * a);
      return;
    case 3:
      CountryStatisticsTable.Layout(canvas, 0.0f, 0.0f, width, height);
      return;
    case 8:
      CountryParameterTable.Layout(canvas, 0.0f, 0.0f, width, height);
      return;
    case 9:
      TotalStatisticsTable.Layout(canvas, 0.0f, 0.0f, width, height);
      return;
    case 19:
      TotalParameterTable.Layout(canvas, 0.0f, 0.0f, width, height);
      return;
    default:
      break;
  }
  if (pages::LayoutTimeChart(canvas, ComparisonChartOfView(), BarChartOfView(), width, height, a)) return;
  if (TPercentTable* table = AllocationTableOfView())
    table->Layout(canvas, tabWidth, 0.0f, width - 2.0f * tabWidth, height);
}

void TEQBLGraphic::Draw(platform::Canvas& canvas, float width) {
  // The country grid, the region charts and the allocation tables draw
  // nothing without rows (a group the record lacks, an item past the
  // per-country data, no calculation yet): the page writes their "No Data",
  // as the statistics tables and the time charts do themselves.
  const auto noData = [&] { widgets::DrawNoData(canvas, width, 0.0f, AreaHeight); };
  const auto drawRegionChart = [&](TRegionSeriesChart& chart) {
    if (chart.PointCount() > 0 && chart.SeriesCount() > 0)
      chart.Draw(canvas, 0.0f);
    else
      noData();
  };
  switch (CurrentView) {
    case 0:
      if (CountryGrid.Blocks().empty())
        noData();
      else
        CountryGrid.Draw(canvas);
      return;
    case 1:
      drawRegionChart(GroupHistoryChart);
      return;
    case 2:
      drawRegionChart(CountryDetailChart);
      return;
    case 3:
      CountryStatisticsTable.Draw(canvas, width);
      return;
    case 8:
      CountryParameterTable.Draw(canvas, width);
      return;
    case 9:
      TotalStatisticsTable.Draw(canvas, width);
      return;
    case 19:
      TotalParameterTable.Draw(canvas, width);
      return;
    default:
      break;
  }
  // The total allocation chart (view 10) shows its full legend.
  if (pages::DrawTimeChart(canvas, ComparisonChartOfView(), BarChartOfView(), width, CurrentView == 10)) return;
  if (const TPercentTable* table = AllocationTableOfView()) {
    if (table->Columns.size() < 3 || table->Columns[0].empty())
      noData();
    else
      table->Draw(canvas);
  }
}

void TEQBLGraphic::ResetCursors() {
  // Both region charts hold the same dates: they go to the detail chart's
  // last point (each to its own last one while the detail chart is empty).
  const std::int32_t detailCount = CountryDetailChart.PointCount();
  const std::int32_t last = detailCount > 0 ? detailCount - 1 : GroupHistoryChart.PointCount() - 1;
  pages::ResetRegionCursor(GroupHistoryChart, last);
  pages::ResetRegionCursor(CountryDetailChart, last);
  pages::ResetBarCursor(AllocationChart1);
  pages::ResetBarCursor(AllocationChart2);
  pages::ResetBarCursor(AllocationChart3);
}

void TEQBLGraphic::GetViewData(TSeriesComparisonChart& chart) const {
  if (CurrentView == 16 || CurrentView == 4) chart = *ComparisonChartOfView();
}

TViewArea TEQBLGraphic::GetViewRange() const {
  if (CurrentView == 1) return GroupHistoryChart.ViewArea();
  if (CurrentView == 2) return CountryDetailChart.ViewArea();
  return pages::RangeOf(ComparisonChartOfView(), BarChartOfView());
}

std::string TEQBLGraphic::GetHintAt(float x, float y) const {
  if (CurrentView == 0) return CountryGrid.GetHintAt(x, y);
  if (CurrentView == 1) return GroupHistoryChart.GetPointHintAt(x, y);
  if (const TPercentTable* table = AllocationTableOfView()) return table->GetHintAt(x, y);
  return {};
}

void TEQBLGraphic::HighlightAt(platform::Canvas& canvas, float x, float y, float offsetX, float offsetY) {
  if (CurrentView == 0)
    CountryGrid.HighlightAt(canvas, x, y, offsetX, offsetY);
  else if (CurrentView == 1)
    GroupHistoryChart.HighlightAt(canvas, x, y, offsetX, offsetY);
  else if (TPercentTable* table = AllocationTableOfView())
    table->HighlightAt(canvas, x, y, offsetX, offsetY);
}

void TEQBLGraphic::MoveCursors(std::int32_t step, std::int32_t count) {
  const std::int32_t d = pages::CursorDelta(step, count);
  pages::MoveRegionCursor(GroupHistoryChart, d);
  pages::MoveRegionCursor(CountryDetailChart, d);
  pages::MoveBarCursor(AllocationChart1, d);
  pages::MoveBarCursor(AllocationChart2, d);
  pages::MoveBarCursor(AllocationChart3, d);
}

bool TEQBLGraphic::HasNextItem() const {
  if (CurrentView == 1) return pages::RegionHasNext(GroupHistoryChart);
  if (CurrentView == 2) return pages::RegionHasNext(CountryDetailChart);
  if (const TSeriesBarChart* bars = BarChartOfView()) return pages::BarHasNext(*bars);
  return false;
}

platform::TPointF TEQBLGraphic::GetCurrentItem() const {
  if (CurrentView == 1) return GroupHistoryChart.TitlePoint();
  if (CurrentView == 2) return CountryDetailChart.TitlePoint();
  if (const TSeriesBarChart* bars = BarChartOfView()) return bars->CaptionAnchor;
  return {0.0f, 0.0f};
}

std::vector<TDataPoint> TEQBLGraphic::GetValuesAt(float x, float y) {
  return pages::ValuesAt(ComparisonChartOfView(), BarChartOfView(), x, y);
}

platform::TPointF TEQBLGraphic::DataToScreen(TDataPoint point) const {
  return pages::ScreenPoint(ComparisonChartOfView(), BarChartOfView(), point);
}

void TEQBLGraphic::FormatValue(double value, std::string& text) const {
  pages::FormatViewValue(CurrentView, value, kPercentViews, kPlainViews, text);
}
