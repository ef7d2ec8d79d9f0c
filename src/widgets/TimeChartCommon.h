#pragma once
// What the two time charts (comparison chart and bar chart) share: the plot
// rectangle, the date-axis band and the value-grid extent, how the plot is
// placed in the chart's area and how a value-grid line is drawn.

#include <string>

#include "platform/Canvas.h"

namespace widgets {

struct TTimeChartFrame {
  // Date-axis band, written by DrawFrame: plot left, plot top minus the
  // baseline y, plot width, depth of a rotated date label.
  float AxisLeft = 0.0f;
  float AxisTopOffset = 0.0f;
  float AxisWidth = 0.0f;
  float AxisLabelDepth = 0.0f;
  // Plot rectangle, from Layout.
  float PlotLeft = 0.0f;
  float PlotTop = 0.0f;
  float PlotWidth = 0.0f;
  float PlotHeight = 0.0f;
  // y of the highest and of the lowest value-grid line, from DrawFrame.
  float GridTopY = 0.0f;
  float GridBottomY = 0.0f;

 protected:
  // Sets the text font and centres a plot of two thirds of the area's width
  // and height: left = (width - plot width) / 2 (from 0, the area's left is
  // not used), top = top + (height - plot height) / 2.
  void LayoutPlot(platform::Canvas& canvas, float top, float width, float height);
  // The bold "(Month End)" caption right of the plot, 2 x-widths out, centred
  // on the axis baseline; returns the anchor under it: (caption centre - 8,
  // baseline + 7).
  platform::TPointF DrawMonthEndCaption(platform::Canvas& canvas, float baseline, float xWidth, float textHeight) const;
  // One value-grid line at y in the current font: the line from labelRight
  // - 4 to axisEnd in the grid colour, the label leading-aligned in a box
  // that ends at labelRight and starts TextWidth("X") + the label's width
  // before it, centred on y. GridTopY and GridBottomY take in y (first: they
  // start at y).
  void DrawGridLine(platform::Canvas& canvas, float y, const std::string& label, float labelRight, float axisEnd,
                    bool first);
};

}  // namespace widgets
