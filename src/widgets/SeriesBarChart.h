#pragma once
// A composition history as monthly stacked bars over a window of the last
// months: each month one bar of the month's holdings stacked from 0 up, each
// in the colour of the legend item of the same name; under it the full
// legend, or in focus mode the one holding under the mouse, whose segments
// are drawn in the text colour with their percentages above the bars.

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
class TSeriesBarChart : public widgets::TTimeChartFrame {
 public:
  std::int32_t EntryCount = 0;
  std::int32_t WindowLength = 0;
  // Index of the window's last month; the page moves it, then calls SetSeries.
  std::int32_t LastIndex = -1;
  std::int32_t FirstShownIndex = 0;
  std::int32_t LastShownIndex = -1;
  platform::TPointF CaptionAnchor;
  // The holding under the mouse at the previous and at the last GetValuesAt.
  std::string PreviousHoverLabel;
  std::string HoverLabel;
  double ForcedLower = 0.0;
  double ForcedUpper = 1.0;
  double FirstDate = 0.0;
  double LastDate = 0.0;
  double WindowStart = 0.0;
  double WindowEnd = 0.0;
  double Lowest = 0.0;
  double Highest = 1.0;
  double WorkingLowest = 0.0;
  double WorkingHighest = 1.0;
  axis::TDateScale DateScale;
  axis::TValueGrid ValueGrid;
  std::string ChartName;
  std::vector<TAllocationRow> History;
  std::vector<TLegendItem> LegendItems;
  std::string Title;
  bool Loaded = false;
  // The area of the last Layout and the plot top it centred.
  float AreaTop = 0.0f;
  float AreaBottom = 0.0f;
  float CentredPlotTop = 0.0f;

  // Pages pass window = min(records, 25), forced lower 0.0, forced upper 1.0.
  void SetData(const std::string& name, const std::vector<TAllocationRow>& history,
               const std::vector<TLegendItem>& legendItems, std::int32_t windowLength, double forcedLower,
               double forcedUpper);
  // Recomputes the window ending at LastIndex (clamped to the records).
  void SetSeries(const std::string& name, const std::vector<TAllocationRow>& history, bool resetIndexes);
  void Layout(platform::Canvas& canvas, float left, float top, float width, float height);
  void Draw(platform::Canvas& canvas, float paintWidth, bool fullLegend);
  // The segment under (x, y): (bar date, sum below it) and (bar date, its
  // weight); sets HoverLabel to its holding (PreviousHoverLabel keeps the
  // last one). Empty when no segment is hit.
  std::vector<TDataPoint> GetValuesAt(float x, float y);
  platform::TPointF DataToScreen(TDataPoint point) const;
  // Label 0 of the first legend item the last Draw drew under (x, y).
  std::string GetHintAt(float x, float y) const;
  TViewArea ViewArea() const;

 private:
  // One month of the window: its record, mid-month and slot and bar edges.
  struct TBarMonth {
    std::size_t Record = 0;
    double Mid = 0.0;
    float SlotLeft = 0.0f;
    float SlotRight = 0.0f;
    float BarLeft = 0.0f;
    float BarRight = 0.0f;
  };
  std::vector<TBarMonth> Months() const;
  float ValueY(double value) const;
  float DateX(double date) const;
  void ComputeScale();
  void DrawFrame(platform::Canvas& canvas);
  void DrawTitle(platform::Canvas& canvas);
  // Top of the first legend row, from the plot top.
  float LegendTop(float textHeight) const;
  // Rounded width of the widest legend label, and entries per legend row (2 or 3).
  float LegendLabelWidth(platform::Canvas& canvas) const;
  std::size_t LegendColumns(platform::Canvas& canvas) const;
  // The laid-out plot, moved up as far as the title allows when the legend
  // that Draw is about to draw would pass the area's bottom.
  void LiftPlotForLegend(platform::Canvas& canvas, bool fullLegend);
  void DrawLegend(platform::Canvas& canvas);
  void DrawFocusLegend(platform::Canvas& canvas);
  void DrawBarPanel(platform::Canvas& canvas, bool focus);
  // Colour box and label box of a legend entry at offset (x, y) with label width w.
  platform::TRectF DrawEntry(platform::Canvas& canvas, float x, float y, float w, TAlphaColor colour,
                             const std::string& label);
};
