#include "widgets/SeriesComparisonChart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "common/CanvasTextHelpers.h"
#include "common/Globals.h"
#include "platform/Format.h"

namespace {

constexpr std::int32_t kMinBarDates = 24;
constexpr float kRotation = -std::numbers::pi_v<float> / 4.0f;

}  // namespace

void TSeriesComparisonChart::SetData(const TNamedSeriesSet& series, std::int32_t kind, std::int32_t scaleFlag,
                                     std::int32_t seriesCount, std::int32_t windowLength, double forcedLower,
                                     double forcedUpper) {
  Kind = kind;
  ScaleFlag = scaleFlag;
  SeriesCount = seriesCount;
  WindowLength = windowLength;
  PointCount = static_cast<std::int32_t>(series[2].Series.size());
  LastIndex = PointCount - 1;
  ForcedLower = forcedLower;
  ForcedUpper = forcedUpper;
  const TNamedSeriesSet copy = series;
  LoadSeries(copy, true);
}

void TSeriesComparisonChart::LoadSeries(const TNamedSeriesSet& series, bool reset) {
  Loaded = true;
  Dates.clear();
  ModelValues.clear();
  Reference1Values.clear();
  Reference2Values.clear();
  const TSeries& model = series[2].Series;
  const TSeries& first = series[0].Series;
  const TSeries& second = series[1].Series;
  bool valid = false;
  if (SeriesCount == 1 || SeriesCount == 2)
    valid = !model.empty() && first.size() == model.size();
  else if (SeriesCount == 3)
    valid = !model.empty() && first.size() == model.size() && second.size() == model.size();
  // The loaded arrays follow the series given here; the window indexes
  // follow them too so that no index leaves the arrays.
  PointCount = static_cast<std::int32_t>(model.size());
  LastIndex = PointCount - 1;
  if (valid) {
    WindowStart = model.front().Date;
    WindowEnd = model.back().Date;
    // Start from the first value: a fixed +-1000000.0 start would cut
    // ranges lying wholly beyond it.
    WorkingLowest = model.front().Value;
    WorkingHighest = model.front().Value;
    const bool logScale = ScaleFlag == 1;
    for (std::size_t i = 0; i < model.size(); ++i) {
      Dates.push_back(model[i].Date);
      ModelValues.push_back(model[i].Value);
      if (!logScale || SeriesCount >= 2) Reference1Values.push_back(first[i].Value);
      if (SeriesCount == 3) Reference2Values.push_back(second[i].Value);
      WorkingLowest = std::min(WorkingLowest, model[i].Value);
      WorkingHighest = std::max(WorkingHighest, model[i].Value);
      if (SeriesCount >= 2) {
        WorkingLowest = std::min(WorkingLowest, first[i].Value);
        WorkingHighest = std::max(WorkingHighest, first[i].Value);
      }
      if (SeriesCount == 3) {
        WorkingLowest = std::min(WorkingLowest, second[i].Value);
        WorkingHighest = std::max(WorkingHighest, second[i].Value);
      }
    }
    // A window longer than the data shows all of it.
    if (WindowLength != -1) {
      const std::int32_t window = std::clamp(WindowLength, 1, PointCount);
      WindowStart = Dates[static_cast<std::size_t>(LastIndex - window + 1)];
      WindowEnd = Dates[static_cast<std::size_t>(LastIndex)];
    }
    if (reset) {
      FirstShownIndex = 0;
      LastShownIndex = PointCount - 1;
    }
    FirstShownIndex = std::clamp(FirstShownIndex, 0, LastIndex);
    LastShownIndex = std::clamp(LastShownIndex, FirstShownIndex, LastIndex);
    if (Kind == 1) {
      WindowStart += 1.0;
    } else {
      WindowStart = Dates[static_cast<std::size_t>(FirstShownIndex)];
      WindowEnd = Dates[static_cast<std::size_t>(LastShownIndex)];
    }
    if (ForcedLower != -1.0) WorkingLowest = std::min(WorkingLowest, ForcedLower);
    if (ForcedUpper != -1.0) WorkingHighest = std::max(WorkingHighest, ForcedUpper);
    if (WorkingLowest == WorkingHighest) {
      const double value = WorkingLowest;
      if (value == 0.0) {
        Loaded = false;
      } else {
        // The lower bound must lie below the value: value - 10 % of its size
        // where 1.1 x value (kinds 0 to 2) or -1.1 (kind 3) does not.
        WorkingLowest = Kind == 3 ? -1.1 : 1.1 * value;
        if (WorkingLowest >= value) WorkingLowest = value - 0.1 * std::fabs(value);
      }
    }
    FirstDate = WindowStart;
    LastDate = WindowEnd;
    Lowest = WorkingLowest;
    Highest = WorkingHighest;
    // Fewer than two distinct dates: nothing to scale.
    if (!(LastDate > FirstDate) || !(Lowest < Highest)) Loaded = false;
    LogBounds = axis::ComputeLogBounds(Lowest, Highest);
    if (Loaded) ComputeScale();
  } else {
    PointCount = 0;
    LastIndex = -1;
  }
  FitPlotToDateLabels();
  ModelName = series[2].Name;
  Reference1Name = SeriesCount >= 2 ? series[0].Name : std::string();
  Reference2Name = SeriesCount == 3 ? series[1].Name : std::string();
}

void TSeriesComparisonChart::ComputeScale() {
  if (Kind == 1) {
    const std::int32_t points = WindowLength != -1 ? std::clamp(WindowLength, 1, PointCount) : PointCount;
    DateScale = axis::EqualStepScale(FirstDate, LastDate, points);
  } else {
    DateScale = axis::MonthEndScale(FirstDate, LastDate);
    LastDate = DateScale.LastDate;
  }
  ValueGrid = axis::ComputeValueGrid(Lowest, Highest);
}

void TSeriesComparisonChart::Layout(platform::Canvas& canvas, float /*left*/, float top, float width, float height) {
  LayoutPlot(canvas, top, width, height);
  PlotBandHeight = PlotHeight;
  LegendY = PlotTop + PlotBandHeight + 1.4f * canvas.TextHeight("X");
  FitPlotToDateLabels();
}

bool TSeriesComparisonChart::DateLabelValue(double& value) const {
  if (Kind == 3 || ScaleFlag == 1 || !(ValueGrid.Step > 0.0)) return false;
  value = ValueGrid.Start;
  return true;
}

void TSeriesComparisonChart::FitPlotToDateLabels() {
  PlotHeight = PlotBandHeight;
  double value = 0.0;
  if (!HasData() || !DateLabelValue(value) || !(value < Lowest)) return;
  const double r = (Lowest - value) / (Highest - Lowest);
  PlotHeight = static_cast<float>((PlotBandHeight + r) / (1.0 + r));
}

bool TSeriesComparisonChart::HasData() const {
  if (!Loaded || Dates.empty()) return false;
  return Kind != 1 || static_cast<std::int32_t>(Dates.size()) >= kMinBarDates;
}

void TSeriesComparisonChart::Draw(platform::Canvas& canvas, float paintWidth) {
  if (!HasData()) {
    widgets::DrawNoData(canvas, paintWidth, PlotTop, PlotTop + PlotHeight);
    return;
  }
  DrawFrame(canvas);
  switch (Kind) {
    case 0:
      DrawLines(canvas);
      break;
    case 1:
      DrawBars(canvas);
      break;
    case 2:
      DrawAreas(canvas, true);
      break;
    case 3:
      DrawAreas(canvas, false);
      break;
    default:
      break;
  }
  DrawLegend(canvas);
}

float TSeriesComparisonChart::DateX(double date, float d) const {
  const double fraction = axis::RangeFraction(static_cast<float>(date), FirstDate, LastDate);
  return static_cast<float>(PlotLeft + fraction * (PlotWidth - d));
}

float TSeriesComparisonChart::LinearY(double value, float d) const {
  return static_cast<float>(PlotTop + PlotHeight - axis::RangeFraction(value, Lowest, Highest) * (PlotHeight - d));
}

bool TSeriesComparisonChart::LogY(double hundredths, float d, float& y) const {
  const std::int32_t n = LogBounds.Count();
  if (n < 2) return false;
  const double band = (PlotHeight - d) / (n - 1);
  double p = LogBounds.Lower;
  for (std::int32_t j = 0; j < n; ++j, p *= 2.0) {
    if (p <= hundredths && hundredths < 2.0 * p) {
      y = static_cast<float>(PlotTop + PlotHeight - j * band - (hundredths - p) * (band - d) / p);
      return true;
    }
  }
  return false;
}

float TSeriesComparisonChart::SeriesY(double value, float d, float previous) const {
  if (ScaleFlag != 1) return LinearY(value, d);
  float y = previous;
  LogY(100.0 * value, d, y);
  return y;
}

double TSeriesComparisonChart::ValueOf(std::int32_t s, std::size_t i) const {
  const std::vector<double>& values = s == 0 ? ModelValues : s == 1 ? Reference1Values : Reference2Values;
  return i < values.size() ? values[i] : 0.0;
}

bool TSeriesComparisonChart::Shown(std::size_t i) const {
  const auto index = static_cast<std::int32_t>(i);
  return index >= FirstShownIndex && index <= LastShownIndex && Dates[i] >= FirstDate && Dates[i] <= LastDate;
}

float TSeriesComparisonChart::Baseline() const {
  if (Kind == 0 && ScaleFlag == 1) return PlotTop + PlotHeight;
  return LinearY(0.0, 1.0f);
}

float TSeriesComparisonChart::AxisLine() const {
  const float baseline = Baseline();
  double lowest = 0.0;
  if (!DateLabelValue(lowest)) return baseline;
  const float lowestY = LinearY(lowest, 1.0f);
  // Half a pixel of slack: a grid starting at 0 puts both lines on one y.
  return baseline < PlotTop || baseline > lowestY + 0.5f ? lowestY : baseline;
}

void TSeriesComparisonChart::DrawFrame(platform::Canvas& canvas) {
  widgets::SetFont(canvas, widgets::TextSize());
  const float axisY = AxisLine();
  const float textHeight = canvas.TextHeight("X");
  const float xWidth = canvas.TextWidth("X");
  if (Kind == 3) {
    widgets::SetFill(canvas, claApplicationBkgColor);
    canvas.FillRect({PlotLeft, axisY - 5.0f, PlotLeft + PlotWidth, axisY}, 0.0f, 0.0f, 1.0f);
  }
  AxisLeft = PlotLeft;
  AxisTopOffset = PlotTop - axisY;
  AxisWidth = PlotWidth;
  AxisLabelDepth = widgets::DateLabelRoom(canvas);

  // Date ticks: month ends, or for bars mid-months one month apart ending
  // at the last date.
  std::vector<double> ticks;
  if (Kind == 1) {
    double mid = axis::MidMonth(FirstDate);
    for (std::int32_t k = 0; k < DateScale.Intervals; ++k, mid = axis::NextMidMonth(mid)) ticks.push_back(mid);
    ticks.push_back(LastDate);
  } else {
    ticks = axis::MonthEndTicks(DateScale);
  }
  // The labels hang from the lowest grid line where it lies below the
  // axis: clear of the data and of the value labels left of the plot.
  double labelValue = 0.0;
  const float labelLine = DateLabelValue(labelValue) ? std::max(axisY, LinearY(labelValue, 1.0f)) : axisY;
  float axisEnd = PlotLeft;
  for (std::size_t k = 0; k < ticks.size(); ++k) {
    const float x = DateX(ticks[k], 1.0f);
    const bool labelled = Kind != 1 || k + 2 < ticks.size();
    if (labelled) {
      widgets::SetLine(canvas, kWidgetTextColour);
      const float tickEnd = Kind == 3 ? axisY - 4.0f : axisY + 4.0f;
      canvas.DrawLine({x, axisY}, {x, tickEnd}, 1.0f);
      const platform::TPointF anchor{x, Kind == 3 ? axisY - 10.0f : labelLine + 10.0f};
      DrawRotatedText(canvas, anchor, kRotation, widgets::DateLabel(ticks[k]), Kind == 3 ? 1 : 2, 0);
    }
    if (k + 1 == ticks.size()) {
      axisEnd = Kind == 1 ? x + 5.0f : x;
      widgets::SetLine(canvas, kWidgetTextColour);
      canvas.DrawLine({Kind == 1 ? PlotLeft - 2.0f : PlotLeft, axisY}, {axisEnd, axisY}, 1.0f);
    }
  }

  // Caption under the axis end.
  CaptionAnchor = DrawMonthEndCaption(canvas, axisY, xWidth, textHeight);

  // Value grid: each label states its own line's value.
  widgets::SetFont(canvas, widgets::TextSize());
  const float labelRight = Kind == 1 ? PlotLeft - 2.0f : PlotLeft;
  bool anyLine = false;
  const auto gridLine = [&](float y, const std::string& label) {
    DrawGridLine(canvas, y, label, labelRight, axisEnd, !anyLine);
    anyLine = true;
  };
  if (ScaleFlag == 1) {
    // Powers of two (whole numbers of hundredths), without a suffix.
    const std::int32_t n = LogBounds.Count();
    double level = LogBounds.Lower;
    for (std::int32_t i = 0; i < n; ++i, level *= 2.0)
      gridLine(axisY - i * (PlotHeight - 1.0f) / static_cast<float>(n - 1), axis::GridValueText(level, 1.0));
  } else {
    for (std::int32_t i = 0; i <= ValueGrid.Steps + 1; ++i) {
      const double v = ValueGrid.Start + i * ValueGrid.Step;
      const float y = LinearY(v, 1.0f);
      if (Kind == 3 && (v > 0.01 || y < axisY)) continue;
      gridLine(y, axis::PercentGridLabel(v, ValueGrid.Step));
    }
  }
  if (!anyLine) GridTopY = GridBottomY = axisY;

  widgets::SetLine(canvas, kWidgetTextColour);
  canvas.DrawLine({Kind == 1 ? PlotLeft - 2.0f : PlotLeft, axisY}, {axisEnd, axisY}, 1.0f);

  // Title above the highest grid line (kind 3: above the plot).
  widgets::SetFont(canvas, widgets::TextSize(), true);
  widgets::SetFill(canvas, kWidgetTextColour);
  const float titleRight = PlotLeft - 4.0f;
  const float titleLeft = titleRight - (canvas.TextWidth(ModelName) + 2.0f * xWidth);
  const float titleBase = Kind == 3 ? PlotTop : GridTopY;
  widgets::WriteText(canvas, {titleLeft, titleBase - 2.0f * textHeight, titleRight, titleBase - textHeight}, ModelName,
                     2);
}

void TSeriesComparisonChart::DrawLines(platform::Canvas& canvas) {
  const std::array<TAlphaColor, 3> colours{claReferenceGraphicColor_1, claReferenceGraphicColor_2,
                                           claReferenceGraphicColor_3};
  const float bottom = PlotTop + PlotHeight;
  for (std::int32_t s = SeriesCount - 1; s >= 0; --s) {
    widgets::SetLine(canvas, colours[static_cast<std::size_t>(s)], 3.0f);
    bool havePrevious = false;
    platform::TPointF previous{PlotLeft, bottom};
    for (std::size_t i = 0; i < Dates.size(); ++i) {
      if (!Shown(i)) continue;
      const platform::TPointF point{DateX(Dates[i], 3.0f), SeriesY(ValueOf(s, i), 3.0f, previous.Y)};
      if (havePrevious) canvas.DrawLine(previous, point, 1.0f);
      previous = point;
      havePrevious = true;
    }
  }
}

void TSeriesComparisonChart::FillPolygon(platform::Canvas& canvas, const std::vector<platform::TPointF>& points,
                                         float opacity) {
  if (points.empty()) return;
  canvas.FillPolygon(points, opacity);
  canvas.DrawPolygon(points, opacity);
}

void TSeriesComparisonChart::DrawAreas(platform::Canvas& canvas, bool closeAtDips) {
  const std::array<TAlphaColor, 3> colours{claReferenceGraphicColor_1, claReferenceGraphicColor_2,
                                           claReferenceGraphicColor_3};
  const float baseline = Baseline();
  std::size_t firstShown = Dates.size();
  std::size_t lastShown = 0;
  for (std::size_t i = 0; i < Dates.size(); ++i) {
    if (!Shown(i)) continue;
    firstShown = std::min(firstShown, i);
    lastShown = i;
  }
  if (firstShown == Dates.size()) return;
  for (std::int32_t s = SeriesCount - 1; s >= 0; --s) {
    widgets::SetLine(canvas, colours[static_cast<std::size_t>(s)]);
    std::vector<platform::TPointF> polygon;
    for (std::size_t i = firstShown; i <= lastShown; ++i) {
      if (!Shown(i)) continue;
      const float x = DateX(Dates[i], 1.0f);
      const float y = std::max(LinearY(ValueOf(s, i), 1.0f), baseline);
      if (i == firstShown) {
        polygon.push_back({x, baseline});
        polygon.push_back({x, y});
      } else if (i == lastShown) {
        polygon.push_back({x, y});
        polygon.push_back({x, baseline});
        FillPolygon(canvas, polygon, 0.85f);
      } else if (closeAtDips && ValueOf(s, i) < 0.0) {
        // Close the area at the dip; what follows starts from the baseline.
        polygon.push_back({x, baseline});
        FillPolygon(canvas, polygon, 0.85f);
        polygon.assign(1, {x, baseline});
      } else {
        polygon.push_back({x, y});
      }
    }
  }
}

void TSeriesComparisonChart::DrawBars(platform::Canvas& canvas) {
  const std::size_t count = Dates.size();
  const std::int32_t window = WindowLength != -1 ? std::clamp(WindowLength, 1, PointCount) : PointCount;
  const std::size_t from = static_cast<std::size_t>(std::max(1, LastIndex - window + 2));
  double mid = axis::MidMonth(FirstDate);
  float previousRight = DateX(mid - 15.0, 1.0f) - 3.0f;
  const auto bar = [&](float left, float right, double low, double high, TAlphaColor colour) {
    const float yLow = LinearY(low, 1.0f);
    const float yHigh = LinearY(high, 1.0f);
    const float top = std::min(yLow, yHigh);
    widgets::SetLine(canvas, colour);
    canvas.FillRect({left + 2.0f, top, right, std::max(yLow, yHigh)}, 0.0f, 0.0f, 1.0f);
    canvas.DrawLine({left + 3.0f, top}, {right - 1.0f, top}, 1.0f);
  };
  for (std::size_t i = from; i < count && i <= static_cast<std::size_t>(LastIndex); ++i) {
    const float left = previousRight;
    const float right = DateX(mid + 15.0, 1.0f);
    const double a = ValueOf(0, i);
    const double b = ValueOf(1, i);
    if (b > 0.0) bar(left, right, a - b, a, claGraphicPalette[0]);
    bar(left, right, 0.0, a - std::max(b, 0.0), claReferenceGraphicColor_1);
    previousRight = right;
    mid = axis::NextMidMonth(mid);
  }
}

void TSeriesComparisonChart::DrawLegend(platform::Canvas& canvas) {
  widgets::SetFont(canvas, widgets::TextSize(), true);
  const float gap = canvas.TextWidth("XXXXX");
  const float textHeight = canvas.TextHeight("X");
  std::vector<std::string> texts;
  texts.push_back(WindowLength == -1 ? "Model " + ModelName : "Total Equity Allocation" + ModelName);
  if (SeriesCount >= 2) texts.push_back(Reference1Name);
  if (SeriesCount >= 3) texts.push_back(Reference2Name);
  const std::array<TAlphaColor, 3> colours{claGraphicPalette[1], claReferenceGraphicColor_2,
                                           claReferenceGraphicColor_3};
  float total = 0.0f;
  for (const std::string& text : texts) total += canvas.TextWidth(text) + 25.0f;
  total += gap * static_cast<float>(texts.size() - 1);
  float left = PlotLeft + (PlotWidth - total) * 0.5f;
  const float top = LegendY + 0.707f * canvas.TextWidth("mmm yyy") - textHeight;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const float width = canvas.TextWidth(texts[i]) + 25.0f;
    DrawLegendEntry(canvas, texts[i], {left, top, left + width, top + 2.0f * textHeight}, colours[i]);
    left += width + gap;
  }
}

void TSeriesComparisonChart::DrawLegendEntry(platform::Canvas& canvas, const std::string& text,
                                             const platform::TRectF& box, TAlphaColor colour) {
  if (text.empty()) return;
  widgets::SetFont(canvas, widgets::TextSize(), true);
  const float y = (box.Top + box.Bottom) * 0.5f + 1.5f;
  widgets::SetLine(canvas, colour, 3.0f);
  canvas.DrawLine({box.Left, y}, {box.Left + 20.0f, y}, 1.0f);
  widgets::SetFill(canvas, kWidgetTextColour);
  widgets::WriteText(canvas, {box.Left + 25.0f, box.Top, box.Right, box.Bottom}, text, 1);
}

void TSeriesComparisonChart::DrawPeriod(platform::Canvas& canvas, double from, double to, TAlphaColor colour) {
  if (!HasData()) return;
  std::vector<platform::TPointF> model;
  std::vector<platform::TPointF> reference;
  const float bottom = PlotTop + PlotHeight;
  float modelY = bottom;
  float referenceY = bottom;
  for (std::size_t i = 0; i < Dates.size(); ++i) {
    if (!Shown(i) || Dates[i] < from || Dates[i] > to) continue;
    const float x = DateX(Dates[i], 3.0f);
    modelY = SeriesY(ValueOf(0, i), 3.0f, modelY);
    referenceY = SeriesY(ValueOf(1, i), 3.0f, referenceY);
    model.push_back({x, modelY});
    reference.push_back({x, referenceY});
  }
  if (model.empty()) return;
  std::vector<platform::TPointF> polygon;
  polygon.push_back(reference.front());
  polygon.insert(polygon.end(), model.begin(), model.end());
  polygon.insert(polygon.end(), reference.rbegin(), reference.rend());
  widgets::SetLine(canvas, colour);
  FillPolygon(canvas, polygon, 0.5f);
}

std::vector<TDataPoint> TSeriesComparisonChart::GetValuesAt(float x) const {
  std::vector<TDataPoint> result;
  if (!HasData() || !(LastDate > FirstDate)) return result;
  // Left or right of the plot the date under x lies before the first or
  // after the last shown date: the nearest is that first or last one.
  const float e = Kind == 0 ? 3.0f : 1.0f;
  if (!(PlotWidth > e)) return result;
  const double date = (x - PlotLeft) / ((PlotWidth - e) / (LastDate - FirstDate)) + FirstDate;
  double best = 1000000.0;
  std::size_t nearest = Dates.size();
  for (std::size_t i = 0; i < Dates.size(); ++i) {
    if (!Shown(i)) continue;
    const double distance = std::fabs(date - Dates[i]);
    if (distance <= best) {
      best = distance;
      nearest = i;
    }
  }
  if (nearest == Dates.size()) return result;
  const double scale = ScaleFlag == 1 ? 100.0 : 1.0;
  const double pointDate = Kind == 1 ? Dates[nearest] - 15.0 : Dates[nearest];
  if (pointDate > LastDate) return result;
  for (std::int32_t s = 0; s < SeriesCount; ++s) {
    double value = ValueOf(s, nearest);
    if (Kind == 1 && s == 0) value -= ValueOf(1, nearest);
    result.push_back({pointDate, value * scale});
    if (Kind == 1 && s == 0) result.push_back({pointDate, ValueOf(1, nearest)});
  }
  return result;
}

platform::TPointF TSeriesComparisonChart::DataToScreen(TDataPoint point) const {
  const float e = Kind == 0 ? 3.0f : 1.0f;
  platform::TPointF screen{DateX(point.Date, e), 0.0f};
  if (ScaleFlag == 1) {
    float y = 0.0f;
    if (LogY(point.Value, e, y)) screen.Y = y - e;
  } else {
    screen.Y = LinearY(point.Value, e);
  }
  return screen;
}

std::vector<TDataPoint> TSeriesComparisonChart::GetPointsInRange(std::int32_t series, double from, double to) const {
  std::vector<TDataPoint> result;
  if (series < 0 || series >= SeriesCount || !Loaded) return result;
  for (std::size_t i = 0; i < Dates.size(); ++i)
    if (Dates[i] >= from && Dates[i] <= to) result.push_back({Dates[i], ValueOf(series, i)});
  return result;
}

TViewArea TSeriesComparisonChart::ViewArea() const {
  return {PlotLeft, PlotTop, PlotWidth, PlotHeight, GridTopY, GridBottomY};
}
