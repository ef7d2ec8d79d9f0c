#include "pages/RankingGraphic.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

#include "common/Globals.h"
#include "common/SeriesHelpers.h"
#include "pages/PageCommon.h"
#include "pages/PortfolioViews.h"

namespace {

enum TRankingView : std::int32_t {
  kCountryGridView = 0,
  kRankingListView = 1,
  kSelectionView = 2,
  kRankingView = 3,
  kCompositionView = 4,
  kAllocationGridView = 5,
  kStatisticsView = 6,
  kWealthView = 7,
  kDrawdownView = 8,
  kRollingView = 9,
  kParameterView = 10,
};

// What a null record member reads as.
template <typename T>
const T& OrEmpty(const T* value) {
  static const T empty{};
  return value != nullptr ? *value : empty;
}

bool HasName(const TLabelledSeries& row, const std::string& name) {
  return !row.Labels.empty() && row.Labels[0] == name;
}

// Rows shown at once by the region series charts: all, at most 16.
std::int32_t VisibleRows(const std::vector<TLabelledSeries>& rows) {
  return static_cast<std::int32_t>(
      std::min<std::size_t>(rows.size(), static_cast<std::size_t>(TRankingGraphic::kMaxVisibleRows)));
}

}  // namespace

TRankingPageKind TRankingPageKind::Equity() {
  TRankingPageKind kind;
  kind.Weight = &TCountrySettings::EqWeight;
  kind.StatisticsKind = TTextTable::kEQSL;
  kind.ParameterKind = TTextTable::kEQSL;
  return kind;
}

TRankingPageKind TRankingPageKind::Currency() {
  TRankingPageKind kind;
  kind.Weight = &TCountrySettings::CyWeight;
  kind.ActiveRowRule = true;
  kind.CurrencyLine = true;
  kind.StatisticsKind = TTextTable::kEQSL;  // the statistics form does not depend on the kind
  kind.ParameterKind = TTextTable::kFICY;
  return kind;
}

TRankingPageKind TRankingPageKind::FixedIncome() {
  TRankingPageKind kind;
  kind.Weight = &TCountrySettings::FiWeight;
  kind.StatisticsKind = TTextTable::kFISL;
  kind.ParameterKind = TTextTable::kFISL;
  return kind;
}

namespace pages {

std::vector<TLabelledSeries> RankingSelectionHistory(const std::vector<TLabelledSeries>& rankingRows,
                                                     const std::vector<TAllocationRow>& history,
                                                     bool heldOnlyOnActiveRows) {
  std::vector<TLabelledSeries> rows = rankingRows;
  if (rows.empty()) return rows;
  // The allocation rows by date, those of one date in their order (a date
  // that is no number matches no date).
  std::vector<std::pair<double, std::size_t>> byDate;
  byDate.reserve(history.size());
  for (std::size_t k = 0; k < history.size(); ++k)
    if (!std::isnan(history[k].Date)) byDate.emplace_back(history[k].Date, k);
  std::stable_sort(byDate.begin(), byDate.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  // Every row is read on the first row's dates.
  const TSeries dates = rows.front().Series;
  for (std::size_t t = 0; t < dates.size(); ++t) {
    const double date = dates[t].Date;
    const auto first = std::lower_bound(byDate.begin(), byDate.end(), date,
                                        [](const auto& entry, double d) { return entry.first < d; });
    for (auto at = first; at != byDate.end() && at->first == date; ++at) {
      const TAllocationRow& allocation = history[at->second];
      for (TLabelledSeries& row : rows) {
        if (t >= row.Series.size()) continue;
        double& value = row.Series[t].Value;
        if (value != -1.0) value = 0.0;
        if (heldOnlyOnActiveRows && !row.Selected) continue;
        const bool held = std::any_of(allocation.Holdings.begin(), allocation.Holdings.end(),
                                      [&](const TWeightedName& h) { return HasName(row, h.Name) && h.Weight > 0.0; });
        if (held) value = 1.0;
      }
    }
  }
  return rows;
}

}  // namespace pages

void TRankingGraphic::Init() {
  CurrentView = kViewCount;
  BulletList = TBulletListChart();
  RegionGrid = TRegionGridTable();
  RankingChart = TRegionSeriesChart();
  SelectionChart = TRegionSeriesChart();
  WealthChart = TSeriesComparisonChart();
  DrawdownChart = TSeriesComparisonChart();
  RollingChart = TSeriesComparisonChart();
  AllocationChart = TSeriesBarChart();
  AllocationGrid = TPercentGridTable();
  StatisticsTable = TTextTable();
  ParameterTable = TTextTable();
}

void TRankingGraphic::LoadPage(std::int32_t start) {
  if (!DataAvailable) return;
  const std::vector<TLabelledSeries>& ranking = OrEmpty(Record.RankingPages);
  const std::size_t first = static_cast<std::size_t>(std::max(start, 0));
  std::vector<TLabelledSeries> page;
  for (std::size_t i = first; i < ranking.size() && i < first + kPageSize; ++i) {
    TLabelledSeries entry = ranking[i];
    // The entry's place on the page (0..5) points at its own label item.
    if (!entry.Series.empty()) entry.Series.front().Value = static_cast<double>(i - first);
    page.push_back(std::move(entry));
  }
  BulletList.SetData(page, pages::CountryLegend(page, Kind.CurrencyLine), 1, true);
}

void TRankingGraphic::LoadItems() {
  if (!DataAvailable) return;
  const std::vector<TLabelledSeries>& rows = OrEmpty(Record.RankingRows);
  const std::vector<TRegionItem>& zones = OrEmpty(Record.RegionItems);
  const double date = !rows.empty() && !rows.front().Series.empty() ? rows.front().Series.front().Date : 0.0;
  std::vector<TLabelledSeries> items;
  items.reserve(usMyExternUserSettings.CountrySettings.size());
  for (const TCountrySettings& country : usMyExternUserSettings.CountrySettings) {
    bool takesPart = country.*Kind.Weight > 0.0;
    if (!takesPart && Kind.ActiveRowRule)
      takesPart = std::any_of(rows.begin(), rows.end(), [&](const TLabelledSeries& row) {
        return row.Selected && HasName(row, country.CountryName);
      });
    double state = -1.0;  // drawn as missing
    if (takesPart) {
      const bool held = std::any_of(zones.begin(), zones.end(), [&](const TRegionItem& zone) {
        return zone.Name == country.CountryName && zone.Value != 0.0;
      });
      state = held ? 1.0 : 0.0;
    }
    TLabelledSeries item;
    item.Labels = {country.CountryName, country.RegionName};
    item.Series = {{date, state}};
    items.push_back(std::move(item));
  }
  RegionGrid.SetData(items, 1);
}

void TRankingGraphic::Update(std::int32_t start) {
  // A failure (out of memory) leaves the widgets as far as they were
  // refilled; the window keeps running.
  try {
    const std::vector<TLabelledSeries>& rows = OrEmpty(Record.RankingRows);
    const TPortfolioPerformance& performance = OrEmpty(Record.Performance);

    DataAvailable = pages::HasFullRecentHistory(rows);
    LoadPage(start);
    LoadItems();
    if (DataAvailable) {
      RankingChart.SetData(rows, kVisibleColumns, VisibleRows(rows), 0);
      SelectionChart.SetData(pages::RankingSelectionHistory(rows, performance.AllocationHistory, Kind.ActiveRowRule),
                             kVisibleColumns, VisibleRows(rows), 0);
    }

    pages::SetPerformanceCharts(WealthChart, DrawdownChart, RollingChart, performance, false);

    // The bar window is counted before the history is extended.
    const auto window = static_cast<std::int32_t>(
        std::min<std::size_t>(performance.AllocationHistory.size(), static_cast<std::size_t>(kMaxBarWindow)));
    const std::vector<TLegendItem> labels =
        DataAvailable && !rows.empty() ? pages::CountryLegend(rows) : std::vector<TLegendItem>();
    if (Record.Performance != nullptr)
      ExtendSeriesToSignalGrid(OrEmpty(Record.Countries), Record.Performance->AllocationHistory);

    AllocationChart.SetData(performance.AllocationTitle, performance.AllocationHistory, labels, window, 0.0, 1.0);
    AllocationGrid.SetData(OrEmpty(Record.RegionItems), labels);
    StatisticsTable.SetStatistics(performance.Statistics, Kind.StatisticsKind, true);
    ParameterTable.SetParameters(performance.Parameters, Kind.ParameterKind, true);
  } catch (const std::exception&) {
  }
}

void TRankingGraphic::SelectView(std::int32_t choice1, std::int32_t choice2, std::int32_t choice3) {
  const bool option = choice3 == 0 || choice3 == 1;
  if ((choice1 == 0 || choice1 == 1) && option) {
    // 0, any, 0/1 -> 0/1; 1, any, 0/1 -> 2/3.
    CurrentView = 2 * choice1 + choice3;
  } else if (choice1 == 2 && choice2 == 0 && option) {
    CurrentView = choice3 == 1 ? kCompositionView : kAllocationGridView;
  } else if (choice1 == 2 && choice2 >= 1 && choice2 <= 5) {
    // 2, 1..5, any -> 6..10.
    CurrentView = kStatisticsView + choice2 - 1;
  }
}

bool TRankingGraphic::ViewHasFeature(std::uint32_t feature) const {
  switch (feature) {
    case 0:
    case 2:
      return pages::IsOneOf(CurrentView, {kCompositionView, kWealthView, kDrawdownView, kRollingView});
    case 1:
      return pages::IsOneOf(CurrentView, {kRankingView, kCompositionView});
    case 3:
      return CurrentView == kCompositionView;
    default:
      return false;
  }
}

void TRankingGraphic::Layout(platform::Canvas& canvas, float width, float height, float aspect, float tabWidth) {
  const float a = aspect;
  switch (CurrentView) {
    case kCountryGridView:
      if (DataAvailable) RegionGrid.Layout(canvas, 0.0f, 0.0f, width, height - 96.0f * a);
      break;
    case kRankingListView:
      if (DataAvailable) BulletList.Layout(canvas, 0.0f, 0.0f, width, height);
      break;
    case kSelectionView:
      if (DataAvailable) SelectionChart.Layout(canvas, 0.0f, 32.0f * a, width, height - 64.0f * a);
      break;
    case kRankingView:
      if (DataAvailable) RankingChart.Layout(canvas, 0.0f, 32.0f * a, width, height - 64.0f * a);
      break;
    case kAllocationGridView:
      AllocationGrid.Layout(canvas, tabWidth, 0.0f, width - 2.0f * tabWidth, height);
      break;
    default:
      pages::LayoutPortfolioView(canvas,
                                 pages::SummaryTableAt(CurrentView, kStatisticsView, StatisticsTable, ParameterTable),
                                 ComparisonChartOfView(), BarChartOfView(), width, height, aspect);
      break;
  }
}

bool TRankingGraphic::Draw(platform::Canvas& canvas, float width, std::int32_t rank) {
  if (!DataAvailable) return false;
  switch (CurrentView) {
    case kCountryGridView:
      RegionGrid.Draw(canvas);
      break;
    case kRankingListView:
      BulletList.Draw(canvas, "Best");
      break;
    case kSelectionView:
      SelectionChart.Draw(canvas, TRegionSeriesChart::kTwoStateSelection);
      break;
    case kRankingView:
      RankingChart.Draw(canvas, static_cast<float>(rank));
      break;
    case kAllocationGridView:
      AllocationGrid.Draw(canvas);
      break;
    default:  // no view: nothing drawn, still content-ready
      pages::DrawPortfolioView(canvas,
                               pages::SummaryTableAt(CurrentView, kStatisticsView, StatisticsTable, ParameterTable),
                               ComparisonChartOfView(), BarChartOfView(), width, false);
      break;
  }
  return true;
}

void TRankingGraphic::ResetCursors() {
  pages::ResetRegionCursor(RankingChart, RankingChart.PointCount() - 1);
  pages::ResetRegionCursor(SelectionChart, SelectionChart.PointCount() - 1);
  pages::ResetBarCursor(AllocationChart);
}

void TRankingGraphic::GetViewData(TSeriesComparisonChart& chart) const {
  if (CurrentView == kWealthView) chart = WealthChart;
}

TViewArea TRankingGraphic::GetViewRange() const {
  if (CurrentView == kSelectionView) return SelectionChart.ViewArea();
  if (CurrentView == kRankingView) return RankingChart.ViewArea();
  return pages::RangeOf(ComparisonChartOfView(), BarChartOfView());
}

std::string TRankingGraphic::GetHintAt(float x, float y) const {
  if (!DataAvailable) return {};
  switch (CurrentView) {
    case kSelectionView:
      return SelectionChart.GetSeriesHintAt(x, y);
    case kRankingView:
      return RankingChart.GetSeriesHintAt(x, y);
    case kCompositionView:
      return AllocationChart.GetHintAt(x, y);
    case kAllocationGridView:
      return AllocationGrid.GetHintAt(x, y);
    default:
      return {};
  }
}

void TRankingGraphic::HighlightAt(platform::Canvas& /*canvas*/, float /*x*/, float /*y*/, float /*offsetX*/,
                                  float /*offsetY*/) {
  // These pages have no hover.
}

void TRankingGraphic::MoveCursors(std::int32_t step, std::int32_t count) {
  const std::int32_t delta = pages::CursorDelta(step, count);
  pages::MoveRegionCursor(RankingChart, delta);
  pages::MoveRegionCursor(SelectionChart, delta);
  pages::MoveBarCursor(AllocationChart, delta);
}

bool TRankingGraphic::HasNextItem() const {
  switch (CurrentView) {
    case kSelectionView:
      return DataAvailable && pages::RegionHasNext(SelectionChart);
    case kRankingView:
      return DataAvailable && pages::RegionHasNext(RankingChart);
    case kCompositionView:
      return pages::BarHasNext(AllocationChart);
    default:
      return false;
  }
}

platform::TPointF TRankingGraphic::GetCurrentItem() const {
  switch (CurrentView) {
    case kSelectionView:
      return SelectionChart.TitlePoint();
    case kRankingView:
      return RankingChart.TitlePoint();
    case kCompositionView:
      return AllocationChart.CaptionAnchor;
    default:
      return {};
  }
}

std::vector<TDataPoint> TRankingGraphic::GetValuesAt(float x, float y) {
  return pages::ValuesAt(ComparisonChartOfView(), BarChartOfView(), x, y);
}

platform::TPointF TRankingGraphic::DataToScreen(TDataPoint point) const {
  return pages::ScreenPoint(ComparisonChartOfView(), BarChartOfView(), point);
}

TSeriesBarChart* TRankingGraphic::BarChartOfView() {
  return CurrentView == kCompositionView ? &AllocationChart : nullptr;
}

const TSeriesBarChart* TRankingGraphic::BarChartOfView() const {
  return CurrentView == kCompositionView ? &AllocationChart : nullptr;
}

TSeriesComparisonChart* TRankingGraphic::ComparisonChartOfView() {
  return pages::PerformanceChartAt(CurrentView, kWealthView, WealthChart, DrawdownChart, RollingChart);
}

const TSeriesComparisonChart* TRankingGraphic::ComparisonChartOfView() const {
  return pages::PerformanceChartAt(CurrentView, kWealthView, WealthChart, DrawdownChart, RollingChart);
}

void TRankingGraphic::FormatValue(double value, std::string& text) const {
  // Composition, drawdown and rolling return are fractions shown in percent
  // (value x 100 + "%"); the wealth index is a plain number; other views
  // leave the text as it was.
  pages::FormatViewValue(CurrentView, value, {kCompositionView, kDrawdownView, kRollingView}, {kWealthView}, text);
}

TEQSLGraphic::TEQSLGraphic() : TEQSLGraphic(cMyExternEQSLGraphicData) {}
TEQSLGraphic::TEQSLGraphic(TEQSLGraphicData& record)
    : TRankingGraphic(TRankingRecord::Of(record), TRankingPageKind::Equity()) {}

TFICYGraphic::TFICYGraphic() : TFICYGraphic(cMyExternFICYGraphicData) {}
TFICYGraphic::TFICYGraphic(TFICYGraphicData& record)
    : TRankingGraphic(TRankingRecord::Of(record), TRankingPageKind::Currency()) {}

TFISLGraphic::TFISLGraphic() : TFISLGraphic(cMyExternFISLGraphicData) {}
TFISLGraphic::TFISLGraphic(TFISLGraphicData& record)
    : TRankingGraphic(TRankingRecord::Of(record), TRankingPageKind::FixedIncome()) {}
