#pragma once
// What every chart and table widget shares: the cell, legend and hit
// records, the font sizes by screen width, the colours, number and date
// texts, the "No Data" text, the hover label and the hint query. Widgets
// are plain copyable classes without virtuals that keep no canvas between
// calls: each member that draws or measures sets the font, fill and stroke
// it relies on.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Globals.h"
#include "platform/Canvas.h"

inline constexpr TAlphaColor kWidgetTextColour = 0xFF4C4C4E;   // text, axes, ticks, "No Data"
inline constexpr TAlphaColor kWidgetGridColour = 0xFFB6C8D6;   // value grid, table rules and frames
inline constexpr TAlphaColor kWidgetHoverColour = 0xFF9B9C9E;  // text of the hovered element
inline constexpr TAlphaColor kWidgetOnFillColour = 0xFFFFFFFF;  // text on a filled coloured cell
inline constexpr const char* kWidgetFontFamily = "Yu Gothic UI";

// One cell of a table widget. Value is the number the text was written
// from (numbers are never parsed back from their texts).
struct TTableCell {
  std::string Text;
  platform::TRectF Bounds;
  TAlphaColor FillColour = 0;
  TAlphaColor Colour = kWidgetTextColour;
  std::int32_t Alignment = 0;  // 0 centre, 1 leading, 2 trailing
  std::uint8_t Bold = 0;       // 0 regular, else bold
  double Value = 0.0;
};

// One legend entry (also the entries of a label list): label 0 is the
// legend text and the name data items are matched against.
struct TLegendItem {
  std::vector<std::string> Labels;
  platform::TRectF Bounds;  // set when the legend is drawn
  TAlphaColor Colour = 0;
};
using TChartItem = TLegendItem;

// A text the mouse can hover or hit.
struct TTextHitArea {
  std::string Text;
  platform::TRectF Bounds;
  std::int32_t Alignment = 0;
  TAlphaColor Colour = kWidgetTextColour;
};

// One currency row of the FX hedging table.
struct TFXHedgingPosition {
  std::string Currency;
  double SpotFx = 0.0;
  double FxSwap = 0.0;
  double CcyPosition = 0.0;
};

// Where a widget drew, for the main window's track bars and indicators:
// left, top, width, height and the y of the top and bottom grid lines
// (0 where a widget has none).
struct TViewArea {
  float Left = 0.0f;
  float Top = 0.0f;
  float Width = 0.0f;
  float Height = 0.0f;
  float SpanTop = 0.0f;
  float SpanBottom = 0.0f;
};

extern const std::array<std::string, 12> strMonthShortNames;

namespace widgets {

// A size pair: entry 0 when fScreenWidthRatio >= 1.0, entry 1 below.
float ScreenSize(float large, float small);
// Ordinary text 16/15, "No Data" 52/50, panel titles 21/20.
float TextSize();
float NoDataSize();
float PanelTitleSize();

// Font family "Yu Gothic UI" at size, bold or regular.
void SetFont(platform::Canvas& canvas, float size, bool bold = false);
// Solid stroke of colour and thickness, fill colour the same.
void SetLine(platform::Canvas& canvas, TAlphaColor colour, float thickness = 1.0f);
void SetFill(platform::Canvas& canvas, TAlphaColor colour);
// Text in the fill colour, no wrap, opacity 1, centred vertically.
void WriteText(platform::Canvas& canvas, const platform::TRectF& rect, const std::string& text, int alignment);

// "12.50 %": FloatToStrF(value, ffFixed, 8, 2) + " %" (value already in percent).
std::string PercentText(double value);
// "Mar 2021": short month name, a blank, the year.
std::string DateLabel(double date);
// Room of a -45 degree date label: TextWidth("mmm yyyy") x 0.707.
float DateLabelRoom(platform::Canvas& canvas);
// The date label rotated -45 degrees about anchor (trailing, top).
void DrawDateLabel(platform::Canvas& canvas, platform::TPointF anchor, double date);

// "No Data", bold 52/50, centred in the paint width over the band [top, bottom].
void DrawNoData(platform::Canvas& canvas, float paintWidth, float top, float bottom);

// Hover over hit areas drawn at offset (dx, dy): the element under (x, y)
// gets its hover label (bold, 0xFF9B9C9E on the background), the element
// hovered before is restored in 0xFF4C4C4E; moving within one element
// redraws nothing. Returns the new hovered index (-1 none).
std::int32_t HighlightAt(platform::Canvas& canvas, const std::vector<TTextHitArea>& areas, std::int32_t hovered,
                         float x, float y, float dx, float dy);
// Text of the first area holding (x, y), edges included; empty when none.
std::string HintAt(const std::vector<TTextHitArea>& areas, float x, float y);

}  // namespace widgets
