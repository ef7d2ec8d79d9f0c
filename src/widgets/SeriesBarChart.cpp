#include "widgets/SeriesBarChart.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/CanvasTextHelpers.h"
#include "common/Globals.h"
#include "platform/Format.h"

namespace {

constexpr std::int32_t kMinRecords = 24;
constexpr float kDateRotation = -std::numbers::pi_v<float> / 4.0f;
constexpr float kPercentRotation = -std::numbers::pi_v<float> / 2.0f;

// Label width rounded up to the first multiple of 30 above it (30 .. 570);
// 570 and wider stay as they are.
float RoundedLabelWidth(float width) {
  for (int k = 1; k < 20; ++k)
    if (30.0f * static_cast<float>(k) > width) return 30.0f * static_cast<float>(k);
  return width;
}

}  // namespace

void TSeriesBarChart::SetData(const std::string& name, const std::vector<TAllocationRow>& history,
                              const std::vector<TLegendItem>& legendItems, std::int32_t windowLength,
                              double forcedLower, double forcedUpper) {
  LegendItems = legendItems;
  WindowLength = windowLength;
  EntryCount = static_cast<std::int32_t>(history.size());
  LastIndex = EntryCount - 1;
  ForcedLower = forcedLower;
  ForcedUpper = forcedUpper;
  ChartName = name;
  SetSeries(name, history, true);
  Title = name;
}

void TSeriesBarChart::SetSeries(const std::string& name, const std::vector<TAllocationRow>& history,
                                bool resetIndexes) {
  Loaded = true;
  History = history;
  EntryCount = static_cast<std::int32_t>(History.size());
  if (!History.empty()) {
    // Window and last index set from outside stay within the records.
    WindowLength = std::clamp(WindowLength, 1, EntryCount);
    LastIndex = std::clamp(LastIndex, WindowLength - 1, EntryCount - 1);
    WindowStart = History[static_cast<std::size_t>(LastIndex - WindowLength + 1)].Date + 1.0;
    WindowEnd = History[static_cast<std::size_t>(LastIndex)].Date;
    WorkingLowest = 0.0;
    WorkingHighest = 1.0;
    if (resetIndexes) {
      FirstShownIndex = 0;
      LastShownIndex = EntryCount - 1;
    }
    if (ForcedLower < 0.0) WorkingLowest = ForcedLower;
    if (ForcedUpper > 1.0) WorkingHighest = ForcedUpper;
    FirstDate = WindowStart;
    LastDate = WindowEnd;
    Lowest = WorkingLowest;
    Highest = WorkingHighest;
    ComputeScale();
  }
  Title = name;
}

void TSeriesBarChart::ComputeScale() {
  DateScale = axis::EqualStepScale(FirstDate, LastDate, WindowLength);
  ValueGrid = axis::ComputeValueGrid(Lowest, Highest);
}

void TSeriesBarChart::Layout(platform::Canvas& canvas, float /*left*/, float top, float width, float height) {
  LayoutPlot(canvas, top, width, height);
  AreaTop = top;
  AreaBottom = top + height;
  CentredPlotTop = PlotTop;
  AxisLabelDepth = widgets::DateLabelRoom(canvas);
}

void TSeriesBarChart::LiftPlotForLegend(platform::Canvas& canvas, bool fullLegend) {
  PlotTop = CentredPlotTop;
  if (AreaBottom <= AreaTop) return;
  widgets::SetFont(canvas, widgets::TextSize(), true);
  const float textHeight = canvas.TextHeight("X");
  std::size_t rows = 0;
  if (fullLegend && !LegendItems.empty()) {
    const std::size_t perRow = LegendColumns(canvas);
    rows = (LegendItems.size() + perRow - 1) / perRow;
  } else if (!fullLegend && !HoverLabel.empty()) {
    rows = 1;
  }
  if (rows == 0) return;
  // Legend bottom = plot top + legend top + (rows - 1) x row step + one line;
  // what passes the area's bottom moves the plot up, keeping two lines above
  // it for the title.
  const float bottom = PlotTop + LegendTop(textHeight) + static_cast<float>(rows - 1) * 1.2f * textHeight + textHeight;
  const float room = PlotTop - AreaTop - 2.0f * textHeight;
  if (bottom > AreaBottom && room > 0.0f) PlotTop -= std::min(bottom - AreaBottom, room);
}

std::size_t TSeriesBarChart::LegendColumns(platform::Canvas& canvas) const {
  const float w = LegendLabelWidth(canvas);
  const float entryWidth = 90.0f + w;
  return w + 2.0f * entryWidth > PlotWidth ? 2 : 3;
}

float TSeriesBarChart::LegendLabelWidth(platform::Canvas& canvas) const {
  float widest = 0.0f;
  for (const TLegendItem& item : LegendItems)
    if (!item.Labels.empty()) widest = std::max(widest, canvas.TextWidth(item.Labels[0]));
  return RoundedLabelWidth(widest);
}

float TSeriesBarChart::ValueY(double value) const {
  return static_cast<float>(PlotTop + PlotHeight -
                            axis::RangeFraction(static_cast<float>(value), Lowest, Highest) * (PlotHeight - 1.0f));
}

float TSeriesBarChart::DateX(double date) const {
  return static_cast<float>(PlotLeft +
                            axis::RangeFraction(static_cast<float>(date), FirstDate, LastDate) * (PlotWidth - 1.0f));
}

std::vector<TSeriesBarChart::TBarMonth> TSeriesBarChart::Months() const {
  std::vector<TBarMonth> months;
  if (History.empty() || LastIndex < 0 || LastIndex >= EntryCount) return months;
  const std::int32_t from = std::max(1, LastIndex - WindowLength + 2);
  // Each month's mid-month is the one after the previous month's, so months
  // follow each other without gaps.
  double mid = static_cast<float>(axis::MidMonth(FirstDate));
  float previousRight = 0.0f;
  for (std::int32_t i = from; i <= LastIndex; ++i) {
    TBarMonth month;
    month.Record = static_cast<std::size_t>(i);
    month.Mid = mid;
    month.SlotRight = DateX(mid + 15.0);
    month.SlotLeft = i == from ? DateX(mid - 15.0) - 3.0f : previousRight;
    const float centre = (month.SlotLeft + 2.0f + month.SlotRight) * 0.5f;
    month.BarLeft = centre - 12.0f;
    month.BarRight = (month.SlotRight + month.BarLeft) * 0.5f + 6.0f;
    previousRight = month.SlotRight;
    months.push_back(month);
    mid = static_cast<float>(axis::NextMidMonth(mid));
  }
  return months;
}

void TSeriesBarChart::Draw(platform::Canvas& canvas, float paintWidth, bool fullLegend) {
  // Only legend entries drawn now answer hints.
  for (TLegendItem& item : LegendItems) item.Bounds = {};
  if (EntryCount < kMinRecords || !Loaded || !(LastDate > FirstDate)) {
    widgets::DrawNoData(canvas, paintWidth, PlotTop, PlotTop + PlotHeight);
    return;
  }
  LiftPlotForLegend(canvas, fullLegend);
  DrawBarPanel(canvas, !fullLegend);
  DrawFrame(canvas);
  if (fullLegend)
    DrawLegend(canvas);
  else
    DrawFocusLegend(canvas);
}

void TSeriesBarChart::DrawBarPanel(platform::Canvas& canvas, bool focus) {
  for (const TBarMonth& month : Months()) {
    double cumulative = 0.0;
    for (const TWeightedName& item : History[month.Record].Holdings) {
      for (const TLegendItem& legend : LegendItems) {
        if (legend.Labels.empty() || legend.Labels[0] != item.Name) continue;
        const bool focused = focus && item.Name == HoverLabel;
        const TAlphaColor colour = focused ? kWidgetTextColour : legend.Colour;
        const platform::TRectF segment{month.BarLeft, ValueY(cumulative) - 2.0f, month.BarRight,
                                       ValueY(cumulative + item.Weight)};
        widgets::SetLine(canvas, colour);
        if (segment.Height() != 0.0f) canvas.FillRect(segment, 0.0f, 0.0f, 1.0f);
        if (focused && item.Weight != 0.0) {
          widgets::SetFont(canvas, widgets::TextSize());
          widgets::SetFill(canvas, kWidgetTextColour);
          DrawRotatedText(canvas, {(month.BarLeft + month.BarRight) * 0.5f, PlotTop - 10.0f}, kPercentRotation,
                          widgets::PercentText(100.0 * item.Weight), 1, 0);
        }
        cumulative += item.Weight;
      }
    }
  }
}

void TSeriesBarChart::DrawFrame(platform::Canvas& canvas) {
  widgets::SetFont(canvas, widgets::TextSize());
  const float baseline = ValueY(0.0);
  const float textHeight = canvas.TextHeight("X");
  const float xWidth = canvas.TextWidth("X");
  AxisLeft = PlotLeft;
  AxisTopOffset = PlotTop - baseline;
  AxisWidth = PlotWidth;
  AxisLabelDepth = widgets::DateLabelRoom(canvas);

  // Mid-month ticks one month apart, the last at the last date; all but the
  // last two carry a tick line and a date label.
  std::vector<double> ticks;
  double mid = static_cast<float>(axis::MidMonth(FirstDate));
  for (std::int32_t k = 0; k < DateScale.Intervals; ++k, mid = static_cast<float>(axis::NextMidMonth(mid)))
    ticks.push_back(mid);
  ticks.push_back(LastDate);
  for (std::size_t k = 0; k + 2 < ticks.size(); ++k) {
    const float x = DateX(ticks[k]);
    widgets::SetLine(canvas, kWidgetTextColour);
    canvas.DrawLine({x, baseline}, {x, baseline + 4.0f}, 1.0f);
    DrawRotatedText(canvas, {x, baseline + 10.0f}, kDateRotation, widgets::DateLabel(ticks[k]), 2, 0);
  }
  const float axisEnd = DateX(ticks.back()) + 5.0f;
  widgets::SetLine(canvas, kWidgetTextColour);
  canvas.DrawLine({PlotLeft - 2.0f, baseline}, {axisEnd, baseline}, 1.0f);

  CaptionAnchor = DrawMonthEndCaption(canvas, baseline, xWidth, textHeight);

  widgets::SetFont(canvas, widgets::TextSize());
  const float labelRight = PlotLeft - 2.0f;
  GridTopY = GridBottomY = baseline;
  for (std::int32_t i = 0; i <= ValueGrid.Steps + 1; ++i) {
    const double v = ValueGrid.Start + i * ValueGrid.Step;
    DrawGridLine(canvas, ValueY(v), axis::PercentGridLabel(v, ValueGrid.Step), labelRight, axisEnd, i == 0);
  }
  widgets::SetLine(canvas, kWidgetTextColour);
  canvas.DrawLine({PlotLeft - 2.0f, baseline}, {axisEnd, baseline}, 1.0f);
}

void TSeriesBarChart::DrawTitle(platform::Canvas& canvas) {
  widgets::SetFont(canvas, widgets::TextSize(), true);
  widgets::SetFill(canvas, kWidgetTextColour);
  const float textHeight = canvas.TextHeight("X");
  const float width = canvas.TextWidth(Title);
  const float left = PlotLeft - 2.0f + (PlotWidth - width) * 0.5f;
  widgets::WriteText(canvas, {left, PlotTop - 2.0f * textHeight, left + width, PlotTop - textHeight}, Title, 2);
}

platform::TRectF TSeriesBarChart::DrawEntry(platform::Canvas& canvas, float x, float y, float w, TAlphaColor colour,
                                            const std::string& label) {
  const float textHeight = canvas.TextHeight("X");
  widgets::SetFill(canvas, colour);
  canvas.FillRect({PlotLeft + 1.0f + x, PlotTop + 1.0f + y, PlotLeft + x + 30.0f, PlotTop + y + textHeight}, 2.0f, 2.0f,
                  1.0f);
  const platform::TRectF box{PlotLeft + 1.0f + x + 45.0f, PlotTop + 1.0f + y, PlotLeft + x + w + 45.0f + 15.0f,
                             PlotTop + y + textHeight};
  DrawTextBox(canvas, box, claApplicationBkgColor, 1.0, kWidgetTextColour, 1, platform::fsBold, label);
  widgets::SetFont(canvas, widgets::TextSize(), true);
  return box;
}

float TSeriesBarChart::LegendTop(float textHeight) const {
  // 3.25 lines under the plot, but never over the rotated date labels, which
  // reach 10 + AxisLabelDepth + about one line below the axis.
  return std::max(PlotHeight + 3.25f * textHeight, PlotHeight + 10.0f + AxisLabelDepth + textHeight);
}

void TSeriesBarChart::DrawLegend(platform::Canvas& canvas) {
  DrawTitle(canvas);
  if (LegendItems.empty()) return;
  const float textHeight = canvas.TextHeight("X");
  const float w = LegendLabelWidth(canvas);
  const float entryWidth = 90.0f + w;
  const std::size_t perRow = LegendColumns(canvas);
  const float firstRow = LegendTop(textHeight);
  const float rowStep = 1.2f * textHeight;
  for (std::size_t i = 0; i < LegendItems.size(); ++i) {
    TLegendItem& item = LegendItems[i];
    const float x = static_cast<float>(i % perRow) * entryWidth;
    const float y = firstRow + static_cast<float>(i / perRow) * rowStep;
    item.Bounds = DrawEntry(canvas, x, y, w, item.Colour, item.Labels.empty() ? std::string() : item.Labels[0]);
  }
}

void TSeriesBarChart::DrawFocusLegend(platform::Canvas& canvas) {
  if (HoverLabel.empty()) return;
  DrawTitle(canvas);
  const float w = RoundedLabelWidth(canvas.TextWidth(HoverLabel));
  DrawEntry(canvas, 0.0f, LegendTop(canvas.TextHeight("X")), w, kWidgetTextColour, HoverLabel);
}

std::vector<TDataPoint> TSeriesBarChart::GetValuesAt(float x, float y) {
  std::vector<TDataPoint> result;
  if (History.empty()) return result;
  PreviousHoverLabel = HoverLabel;
  HoverLabel.clear();
  for (const TBarMonth& month : Months()) {
    const TAllocationRow& record = History[month.Record];
    if (record.Date < FirstDate || record.Date > LastDate) continue;
    if (x > month.SlotRight || x < month.SlotLeft + 2.0f) continue;
    double cumulative = 0.0;
    for (const TWeightedName& item : record.Holdings) {
      for (const TLegendItem& legend : LegendItems) {
        if (legend.Labels.empty() || legend.Labels[0] != item.Name) continue;
        if (ValueY(cumulative + item.Weight) <= y && y <= ValueY(cumulative) - 2.0f) {
          result.push_back({record.Date - 15.0, cumulative});
          result.push_back({record.Date - 15.0, item.Weight});
          HoverLabel = item.Name;
        }
        cumulative += item.Weight;
      }
    }
  }
  return result;
}

platform::TPointF TSeriesBarChart::DataToScreen(TDataPoint point) const {
  return {DateX(point.Date), ValueY(point.Value)};
}

std::string TSeriesBarChart::GetHintAt(float x, float y) const {
  for (const TLegendItem& item : LegendItems) {
    if (item.Bounds.Width() <= 0.0f || item.Labels.empty()) continue;
    if (item.Bounds.Contains({x, y})) return item.Labels[0];
  }
  return {};
}

TViewArea TSeriesBarChart::ViewArea() const {
  return {PlotLeft, PlotTop, PlotWidth, PlotHeight, GridTopY, GridBottomY};
}
