#pragma once
// Up to three monthly series over a date axis: a model series and one or two
// reference series from one TNamedSeriesSet (slot 2 the model, slots 0 and 1
// the references). Kinds: 0 lines, 1 monthly stacked bars, 2 areas closed at
// each dip, 3 areas below the zero line; linear or logarithmic value scale.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/Canvas.h"
#include "portfolio/PortfolioPerformance.h"
#include "widgets/AxisScale.h"
#include "widgets/TimeChartCommon.h"
#include "widgets/WidgetCommon.h"

// Axis band, plot rectangle and grid extent (AxisLeft .. GridBottomY) come from the frame.
class TSeriesComparisonChart : public widgets::TTimeChartFrame {
 public:
  std::int32_t PointCount = 0;
  std::int32_t WindowLength = -1;  // last n points only; -1 all
  std::int32_t LastIndex = -1;
  std::int32_t FirstShownIndex = 0;
  std::int32_t LastShownIndex = -1;
  // Under the "(Month End)" caption: (caption box centre - 8, baseline + 7).
  platform::TPointF CaptionAnchor;
  std::int32_t Kind = 0;       // 0 lines, 1 bars, 2 areas closed at dips, 3 areas
  std::int32_t ScaleFlag = 0;  // 0 linear, 1 logarithmic
  std::int32_t SeriesCount = 0;
  double ForcedLower = -1.0;  // -1.0 none
  double ForcedUpper = -1.0;
  double FirstDate = 0.0;
  double LastDate = 0.0;
  double WindowStart = 0.0;
  double WindowEnd = 0.0;
  double Lowest = 0.0;
  double Highest = 0.0;
  double WorkingLowest = 1000000.0;
  double WorkingHighest = -1000000.0;
  // Powers of two in hundredths of the value (log scale).
  axis::TLogBounds LogBounds;
  axis::TDateScale DateScale;
  axis::TValueGrid ValueGrid;
  std::vector<double> Dates;
  std::vector<double> ModelValues;
  std::vector<double> Reference1Values;
  std::vector<double> Reference2Values;
  float LegendY = 0.0f;
  // Plot height that Layout gives: two thirds of the area's height. The
  // plot itself (PlotHeight) is shorter where the date labels hang from a
  // line below it (FitPlotToDateLabels).
  float PlotBandHeight = 0.0f;
  std::string ModelName;
  std::string Reference1Name;
  std::string Reference2Name;
  bool Loaded = false;

  void SetData(const TNamedSeriesSet& series, std::int32_t kind, std::int32_t scaleFlag, std::int32_t seriesCount,
               std::int32_t windowLength, double forcedLower, double forcedUpper);
  // Reloads keeping kind, scale, series count, window and forced bounds.
  void LoadSeries(const TNamedSeriesSet& series, bool reset);
  void Layout(platform::Canvas& canvas, float left, float top, float width, float height);
  void Draw(platform::Canvas& canvas, float paintWidth);
  // Fills the band between the model and the first reference series over
  // the shown dates in [from, to], opacity 0.5.
  void DrawPeriod(platform::Canvas& canvas, double from, double to, TAlphaColor colour);
  // (date, value) of each series at the shown date nearest x (the later on
  // a tie; left or right of the plot the first or last shown date); empty
  // without data.
  std::vector<TDataPoint> GetValuesAt(float x) const;
  platform::TPointF DataToScreen(TDataPoint point) const;
  // Points of series 0 model, 1 first reference, 2 second reference dated
  // in [from, to]; empty for a series the chart does not have.
  std::vector<TDataPoint> GetPointsInRange(std::int32_t series, double from, double to) const;
  // Plot left, top, width, height and the top and bottom grid-line y.
  TViewArea ViewArea() const;
  // Something to draw: loaded with at least two distinct dates (kind 1: 24 dates).
  bool HasData() const;

 private:
  void ComputeScale();
  void DrawFrame(platform::Canvas& canvas);
  void DrawLegend(platform::Canvas& canvas);
  void DrawLegendEntry(platform::Canvas& canvas, const std::string& text, const platform::TRectF& box,
                       TAlphaColor colour);
  void DrawLines(platform::Canvas& canvas);
  void DrawBars(platform::Canvas& canvas);
  void DrawAreas(platform::Canvas& canvas, bool closeAtDips);
  static void FillPolygon(platform::Canvas& canvas, const std::vector<platform::TPointF>& points, float opacity);

  // x of a date: plot left + (date - first) x (plot width - d) / (last - first).
  float DateX(double date, float d) const;
  // y of a value, linear: plot top + plot height - (v - lowest) x (plot height - d) / (highest - lowest).
  float LinearY(double value, float d) const;
  // y of a value in hundredths on the log scale; false outside every band.
  bool LogY(double hundredths, float d, float& y) const;
  // y as the lines draw it: linear, or log keeping `previous` outside the bands.
  float SeriesY(double value, float d, float previous) const;
  // Value of series s (0 model, 1, 2 references) at index i.
  double ValueOf(std::int32_t s, std::size_t i) const;
  bool Shown(std::size_t i) const;
  // The zero line (log scale: the plot bottom), from which areas and bars rise.
  float Baseline() const;
  // The line the date axis, its ticks and the "(Month End)" caption lie on:
  // the baseline, or on the linear scale of kinds 0 to 2, where the zero
  // line lies outside the plot (every value a grid step or more above 0, or
  // all below it), the lowest grid line, on the bottom of the plot's band.
  float AxisLine() const;
  // Kinds 0 to 2 on the linear scale: the value of the lowest grid line,
  // which lies below the data; the date labels hang from it, or from the
  // baseline where that is lower. False for the other charts, whose labels
  // keep to the baseline.
  bool DateLabelValue(double& value) const;
  // Where the date labels hang from a line below the plot's band, shortens
  // the plot (top kept) so that this line lies on the band's bottom, as the
  // baseline of a log chart does: with r = (lowest - v) / (highest - lowest)
  // for the label line's value v, plot height = (band height + r) / (1 + r),
  // which puts y(v) = top + height + r x (height - 1) on top + band height.
  void FitPlotToDateLabels();
};
