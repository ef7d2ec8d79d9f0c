#include "pages/PageCommon.h"

#include <algorithm>
#include <limits>

#include "common/CountryHelpers.h"
#include "platform/Format.h"

namespace pages {

bool IsOneOf(std::int32_t view, std::initializer_list<std::int32_t> views) {
  return std::find(views.begin(), views.end(), view) != views.end();
}

std::int32_t StepCursor(std::int32_t cursor, std::int32_t delta, std::int32_t count, std::int32_t window) {
  // 64-bit sum: a drag of many steps never wraps the index.
  std::int64_t c = static_cast<std::int64_t>(cursor) + delta;
  if (c >= count) c = static_cast<std::int64_t>(count) - 1;
  if (c < static_cast<std::int64_t>(window) - 1) c = static_cast<std::int64_t>(window) - 1;
  return static_cast<std::int32_t>(c);
}

void MoveRegionCursor(TRegionSeriesChart& chart, std::int32_t delta) {
  if (chart.PointCount() <= 0) return;
  chart.SetLastVisibleColumn(StepCursor(chart.LastVisibleColumn(), delta, chart.PointCount(), chart.VisibleColumns()));
}

void ResetRegionCursor(TRegionSeriesChart& chart, std::int32_t column) {
  if (chart.PointCount() <= 0) return;
  chart.SetLastVisibleColumn(column);
}

bool RegionHasNext(const TRegionSeriesChart& chart) {
  return chart.PointCount() > 0 && chart.LastVisibleColumn() != chart.PointCount() - 1;
}

namespace {

// The bar chart's window from its own copy of the history.
void ReloadBarWindow(TSeriesBarChart& chart) {
  if (!chart.Loaded) return;
  const std::vector<TAllocationRow> history = chart.History;
  const std::string name = chart.Title;
  chart.SetSeries(name, history, false);
}

}  // namespace

void MoveBarCursor(TSeriesBarChart& chart, std::int32_t delta) {
  if (chart.EntryCount <= 0) return;
  chart.LastIndex = StepCursor(chart.LastIndex, delta, chart.EntryCount, chart.WindowLength);
  ReloadBarWindow(chart);
}

void ResetBarCursor(TSeriesBarChart& chart) {
  if (chart.EntryCount <= 0) return;
  chart.LastIndex = chart.EntryCount - 1;
  ReloadBarWindow(chart);
}

bool BarHasNext(const TSeriesBarChart& chart) {
  return chart.EntryCount > 0 && chart.LastIndex != chart.EntryCount - 1;
}

TAlphaColor RegionColour(const std::string& regionName) {
  for (std::size_t i = 0; i < strRegionNameList.size(); ++i)
    if (strRegionNameList[i] == regionName) return claRegionColors[i];
  return kOtherRegionColour;
}

std::vector<TLegendItem> CountryLegend(const std::vector<TLabelledSeries>& rows, bool withCurrency) {
  std::vector<TLegendItem> legend;
  legend.reserve(rows.size());
  for (const TLabelledSeries& row : rows) {
    TLegendItem item;
    const std::string name = row.Labels.empty() ? std::string() : row.Labels[0];
    item.Labels.push_back(name);
    if (withCurrency) item.Labels.push_back("(" + GetCountryCurrency(name) + ")");
    item.Colour = RegionColour(row.Labels.size() > 1 ? row.Labels[1] : std::string());
    legend.push_back(std::move(item));
  }
  return legend;
}

std::string RiskFreeShortName(const std::string& riskFreeId) {
  const std::string title = TranslateAssetName(riskFreeId, 1, true);
  if (title == "10Y Gov Bond") return "10Y Bond";
  if (title == "2Y Gov Bond") return "2Y Bond";
  return title;
}

bool HasFullRecentHistory(const std::vector<TLabelledSeries>& rows) {
  constexpr std::size_t kRecent = 24;
  for (const TLabelledSeries& row : rows) {
    if (row.Series.size() < kRecent) continue;
    const auto from = row.Series.end() - static_cast<std::ptrdiff_t>(kRecent);
    if (std::none_of(from, row.Series.end(), [](const TDataPoint& p) { return p.Value == -1.0; })) return true;
  }
  return false;
}

std::string ValueText(double value, bool percent) {
  const char separator = strDecimalSeparator.empty() ? '.' : strDecimalSeparator[0];
  if (percent) return platform::FloatToStrF(value * 100.0, platform::ffFixed, 8, 2, separator) + "%";
  return platform::FloatToStrF(value, platform::ffFixed, 8, 2, separator);
}

void FormatViewValue(std::int32_t view, double value, std::initializer_list<std::int32_t> percentViews,
                     std::initializer_list<std::int32_t> plainViews, std::string& text) {
  if (IsOneOf(view, percentViews))
    text = ValueText(value, true);
  else if (IsOneOf(view, plainViews))
    text = ValueText(value, false);
}

void SetPerformanceCharts(TPerformanceCharts& charts, const TNamedSeriesSet& wealth, const TNamedSeriesSet& drawdown,
                          const TNamedSeriesSet& rolling, std::int32_t seriesCount) {
  charts.Wealth.SetData(wealth, 0, 1, seriesCount, -1, -1.0, -1.0);
  charts.Drawdown.SetData(drawdown, 3, 0, seriesCount, -1, -1.0, -1.0);
  charts.Rolling.SetData(rolling, 0, 0, seriesCount, -1, -1.0, -1.0);
}

std::int32_t CursorDelta(std::int32_t step, std::int32_t count) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(static_cast<std::int64_t>(step) * count,
                                                            std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

std::vector<TDataPoint> ValuesAt(const TSeriesComparisonChart* chart, TSeriesBarChart* bars, float x, float y) {
  if (chart != nullptr) return chart->GetValuesAt(x);
  if (bars != nullptr) return bars->GetValuesAt(x, y);
  return {};
}

platform::TPointF ScreenPoint(const TSeriesComparisonChart* chart, const TSeriesBarChart* bars, TDataPoint point) {
  if (chart != nullptr) return chart->DataToScreen(point);
  if (bars != nullptr) return bars->DataToScreen(point);
  return {0.0f, 0.0f};
}

TViewArea RangeOf(const TSeriesComparisonChart* chart, const TSeriesBarChart* bars) {
  if (chart != nullptr) return chart->ViewArea();
  if (bars != nullptr) return bars->ViewArea();
  return {};
}

bool LayoutTimeChart(platform::Canvas& canvas, TSeriesComparisonChart* chart, TSeriesBarChart* bars, float width,
                     float height, float aspect) {
  if (chart != nullptr)
    chart->Layout(canvas, 32.0f, 64.0f * aspect, width - 64.0f, height - 64.0f * aspect);
  else if (bars != nullptr)
    bars->Layout(canvas, 32.0f, 64.0f * aspect, width - 64.0f, height - 64.0f * aspect);
  return chart != nullptr || bars != nullptr;
}

bool DrawTimeChart(platform::Canvas& canvas, TSeriesComparisonChart* chart, TSeriesBarChart* bars, float width,
                   bool fullLegend) {
  if (chart != nullptr)
    chart->Draw(canvas, width);
  else if (bars != nullptr)
    bars->Draw(canvas, width, fullLegend);
  return chart != nullptr || bars != nullptr;
}

}  // namespace pages
