#pragma once
// What the nine model pages share: the cursor rule of their windowed
// widgets, the region colours of their legends, the short name of the
// risk-free asset, the full-recent-history test of the ranking pages, the
// value texts of the indicators and the three performance charts of a
// portfolio. Pages are plain classes without virtuals; these are free
// functions over the widgets and records they hold.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "common/Globals.h"
#include "common/Records.h"
#include "platform/Canvas.h"
#include "widgets/RegionSeriesChart.h"
#include "widgets/SeriesBarChart.h"
#include "widgets/SeriesComparisonChart.h"
#include "widgets/WidgetCommon.h"

namespace pages {

// Colour of a label or box outside the six regions (the text colour).
inline constexpr TAlphaColor kOtherRegionColour = 0xFF4C4C4E;

// Whether view is one of views.
bool IsOneOf(std::int32_t view, std::initializer_list<std::int32_t> views);

// The cursor rule: c := cursor + delta; c := count - 1 when c >= count;
// then c := window - 1 when c < window - 1 (a series shorter than its
// window ends on window - 1).
std::int32_t StepCursor(std::int32_t cursor, std::int32_t delta, std::int32_t count, std::int32_t window);

// Moves a region series chart's last visible column by delta under the rule
// (window = its visible columns). The chart keeps the column within its
// points, so it never reads a point it does not have.
void MoveRegionCursor(TRegionSeriesChart& chart, std::int32_t delta);
// Puts the chart's last visible column on column (count - 1 of a chart).
void ResetRegionCursor(TRegionSeriesChart& chart, std::int32_t column);
// Whether the chart holds points and does not show its last one.
bool RegionHasNext(const TRegionSeriesChart& chart);

// Moves a bar chart's last index by delta under the rule (window = its
// window length) and reloads its window from the history it holds, never
// from a result record.
void MoveBarCursor(TSeriesBarChart& chart, std::int32_t delta);
// Puts the bar chart's last index on its newest entry and reloads its window.
void ResetBarCursor(TSeriesBarChart& chart);
// Whether the bar chart holds entries and its window does not end at the newest.
bool BarHasNext(const TSeriesBarChart& chart);

// claRegionColors at the place of regionName in strRegionNameList;
// kOtherRegionColour for any other name.
TAlphaColor RegionColour(const std::string& regionName);

// One legend item per row: label 0 the row's label 0 (with currency true a
// second label "(" + currency of that country + ")"), colour the region
// colour of the row's label 1. Rows without labels give "" in the text colour.
std::vector<TLegendItem> CountryLegend(const std::vector<TLabelledSeries>& rows, bool withCurrency = false);

// Title of a risk-free asset ID, shortened for legends: "10Y Gov Bond" ->
// "10Y Bond", "2Y Gov Bond" -> "2Y Bond"; any other title unchanged; "" for
// an unknown ID.
std::string RiskFreeShortName(const std::string& riskFreeId);

// Whether some row's last 24 points are all other than -1.0 (a row with
// fewer than 24 points never counts).
bool HasFullRecentHistory(const std::vector<TLabelledSeries>& rows);

// Indicator text of a value: percent true FloatToStrF(value x 100, fixed,
// 8, 2) + "%", else FloatToStrF(value, fixed, 8, 2); decimal separator
// strDecimalSeparator.
std::string ValueText(double value, bool percent);
// Writes ValueText into text when view is in percentViews or plainViews;
// leaves text unchanged otherwise.
void FormatViewValue(std::int32_t view, double value, std::initializer_list<std::int32_t> percentViews,
                     std::initializer_list<std::int32_t> plainViews, std::string& text);

// The three performance charts of a portfolio, filled from its three sets:
// wealth (kind 0, logarithmic), drawdown (kind 3, linear), rolling one-year
// return (kind 0, linear), each with seriesCount series, the whole history
// (window -1) and free bounds (-1.0, -1.0).
struct TPerformanceCharts {
  TSeriesComparisonChart Wealth;
  TSeriesComparisonChart Drawdown;
  TSeriesComparisonChart Rolling;
};
void SetPerformanceCharts(TPerformanceCharts& charts, const TNamedSeriesSet& wealth, const TNamedSeriesSet& drawdown,
                          const TNamedSeriesSet& rolling, std::int32_t seriesCount);

// step x count in 64 bits, held to the 32-bit range: a long drag cannot
// wrap (the cursor rule clamps to the data anyway).
std::int32_t CursorDelta(std::int32_t step, std::int32_t count);

// The performance chart a view shows: wealth at wealthView, drawdown at
// wealthView + 1, rolling return at wealthView + 2; nullptr for other views.
template <typename TChart>
TChart* PerformanceChartAt(std::int32_t view, std::int32_t wealthView, TChart& wealth, TChart& drawdown,
                           TChart& rolling) {
  if (view == wealthView) return &wealth;
  if (view == wealthView + 1) return &drawdown;
  if (view == wealthView + 2) return &rolling;
  return nullptr;
}

// The time chart of the current view is the comparison chart or the bar
// chart given (at most one of them is not nullptr); these forward to it and
// give nothing (no values, (0, 0), a zero area) when both are nullptr.
std::vector<TDataPoint> ValuesAt(const TSeriesComparisonChart* chart, TSeriesBarChart* bars, float x, float y);
platform::TPointF ScreenPoint(const TSeriesComparisonChart* chart, const TSeriesBarChart* bars, TDataPoint point);
TViewArea RangeOf(const TSeriesComparisonChart* chart, const TSeriesBarChart* bars);
// Lays the time chart out at (32, 64 x aspect), width - 64 wide and
// height - 64 x aspect high; false when both are nullptr.
bool LayoutTimeChart(platform::Canvas& canvas, TSeriesComparisonChart* chart, TSeriesBarChart* bars, float width,
                     float height, float aspect);
// Draws the time chart (a bar chart with its full legend when fullLegend);
// false when both are nullptr.
bool DrawTimeChart(platform::Canvas& canvas, TSeriesComparisonChart* chart, TSeriesBarChart* bars, float width,
                   bool fullLegend);

// Element index of a vector when it lies inside, else nullptr.
template <typename T>
const T* At(const std::vector<T>& items, std::int64_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return nullptr;
  return &items[static_cast<std::size_t>(index)];
}
template <typename T>
T* At(std::vector<T>& items, std::int64_t index) {
  if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return nullptr;
  return &items[static_cast<std::size_t>(index)];
}

}  // namespace pages
