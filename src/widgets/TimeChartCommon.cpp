#include "widgets/TimeChartCommon.h"

#include <algorithm>

#include "widgets/WidgetCommon.h"

namespace widgets {

void TTimeChartFrame::LayoutPlot(platform::Canvas& canvas, float top, float width, float height) {
  SetFont(canvas, TextSize());
  PlotWidth = 2.0f * width / 3.0f;
  PlotHeight = 2.0f * height / 3.0f;
  PlotLeft = (width - PlotWidth) * 0.5f;
  PlotTop = top + (height - PlotHeight) * 0.5f;
}

platform::TPointF TTimeChartFrame::DrawMonthEndCaption(platform::Canvas& canvas, float baseline, float xWidth,
                                                       float textHeight) const {
  SetFont(canvas, TextSize(), true);
  SetFill(canvas, kWidgetTextColour);
  const float captionLeft = PlotLeft + PlotWidth + 2.0f * xWidth;
  const platform::TRectF caption{captionLeft, baseline - textHeight, captionLeft + canvas.TextWidth("(Month End)"),
                                 baseline + textHeight};
  WriteText(canvas, caption, "(Month End)", 2);
  return {(caption.Left + caption.Right) * 0.5f - 8.0f, baseline + 7.0f};
}

void TTimeChartFrame::DrawGridLine(platform::Canvas& canvas, float y, const std::string& label, float labelRight,
                                   float axisEnd, bool first) {
  SetLine(canvas, kWidgetGridColour);
  canvas.DrawLine({labelRight - 4.0f, y}, {axisEnd, y}, 1.0f);
  SetFill(canvas, kWidgetTextColour);
  const float labelLeft = labelRight - canvas.TextWidth("X") - canvas.TextWidth(label);
  const float halfHeight = canvas.TextHeight("X") * 0.5f;
  WriteText(canvas, {labelLeft, y - halfHeight, labelRight, y + halfHeight}, label, 1);
  GridTopY = first ? y : std::min(GridTopY, y);
  GridBottomY = first ? y : std::max(GridBottomY, y);
}

}  // namespace widgets
