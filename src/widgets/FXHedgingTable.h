#pragma once
// Per currency, the foreign-exchange positions of a global model portfolio:
// the currency and three figures in percent under "SPOT FX" and "FX SWAP".
// A figure's sign decides its colour, a zero figure is written "-", and a
// currency whose figures are all zero or missing is greyed. Sixteen rows
// are visible at a time; the page's track bar scrolls them.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "widgets/WidgetCommon.h"

class TFXHedgingTable {
 public:
  static constexpr std::int32_t kVisibleRows = 16;
  static constexpr TAlphaColor kNegativeColour = 0xFFCC121C;

  float Left = 0.0f;  // offset added to every cell when drawing
  float Top = 0.0f;
  float Width = 0.0f;
  float Height = 0.0f;
  float SpanTop = 0.0f;  // no plot band: always 0
  float SpanBottom = 0.0f;
  // Column 0 the currencies, columns 1 to 3 the figures (Value holds the
  // number, the text its two-decimal form; an empty text is a missing figure).
  std::vector<std::vector<TTableCell>> Columns;
  std::int32_t FirstRow = 0;     // first of the visible rows
  float TrackBarAnchorX = 0.0f;  // left edge of the drawn table

  // One row per position (FirstRow back to 0).
  void SetData(const std::vector<TFXHedgingPosition>& positions);
  void BuildRows(const std::vector<TFXHedgingPosition>& positions);

  void Layout(platform::Canvas& canvas, float left, float top, float width, float height);
  // The visible rows and the two header lines; the sub-headers name referenceCurrency.
  void Draw(platform::Canvas& canvas, const std::string& referenceCurrency) const;

  // The track bar's window start: FirstRow, clamped to [0, rows - 16] when set.
  std::int32_t ScrollPosition() const { return FirstRow; }
  void SetScrollPosition(std::int32_t position);
  std::int32_t RowCount() const;
  TViewArea ViewArea() const { return {Left, Top, Width, Height, SpanTop, SpanBottom}; }

 private:
  std::int32_t ClampRow(std::int32_t row) const;
  void PlaceRows();
  float AreaTop_ = 0.0f;    // the area's top of the last Layout
  float RowHeight_ = 0.0f;  // of the last Layout; 0 before
};
