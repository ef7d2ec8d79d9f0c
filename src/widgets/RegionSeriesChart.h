#pragma once
// Dot grid of many dated rows side by side: one row per series (country,
// currency, asset), one column per month end, a dot per cell coloured by
// the row's value at that date. Row names stand right of the grid, region
// boxes left of it, rotated month labels above it and an optional legend
// below. The chart shows a window of the data: a number of visible columns
// ending at the last visible column and a number of visible rows starting
// at the first visible row (ScrollPosition).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "portfolio/EquityResultRecords.h"
#include "widgets/WidgetCommon.h"

// A drawn row name the mouse can hover: text, rectangle and font style.
struct TRegionHitArea {
  std::string Text;
  platform::TRectF Bounds;
  bool Bold = false;
};

class TRegionSeriesChart {
 public:
  // A rectangle by left, top, width and height.
  struct TBox {
    float Left = 0.0f;
    float Top = 0.0f;
    float Width = 0.0f;
    float Height = 0.0f;
  };

  // Region-column anchor, left by Layout: grid left - region column width -
  // 3 x TextWidth("X"); the main window puts its vertical track bar there.
  float TrackBarAnchorX = 0.0f;

  // Value given to Draw that selects the two-state colouring (held / not held).
  static constexpr float kTwoStateSelection = -1000.0f;

  // Copies the rows (label 0 name, label 1 region, further labels further
  // text columns; the first row's dates are the columns). Mode 0 signal
  // grid with region boxes, 1 plain grid with a legend, 2 grid coloured by
  // legend index. Empties the legend; the window ends at the newest point
  // and starts at row 0. Without rows the chart draws nothing.
  void SetData(const std::vector<TLabelledSeries>& series, std::int32_t visibleColumns, std::int32_t visibleRows,
               std::int32_t mode);
  // Replaces the rows only, keeping window and layout.
  void SetSeries(const std::vector<TLabelledSeries>& series);
  void SetLegend(const std::vector<TLegendItem>& legend) { Legend_ = legend; }

  void Layout(platform::Canvas& canvas, float x, float y, float width, float height);
  // selectedValue <= 0 colours by value, > 0 highlights the cells equal to
  // it, -1000.0 colours two states.
  void Draw(platform::Canvas& canvas, float selectedValue);
  void HighlightAt(platform::Canvas& canvas, float x, float y, float offsetX, float offsetY);
  // Name of the row whose drawn name holds (x, y); "" when none.
  std::string GetPointHintAt(float x, float y) const;
  // Label 0 of the legend item whose drawn label holds (x, y); "" when none.
  std::string GetSeriesHintAt(float x, float y) const;

  // Window, written by the pages' cursor and the main window's track bar;
  // both are clamped into the data.
  void SetLastVisibleColumn(std::int32_t column);
  void SetScrollPosition(std::int32_t row);
  std::int32_t LastVisibleColumn() const { return LastVisibleColumn_; }
  std::int32_t ScrollPosition() const { return FirstVisibleRow_; }

  // Extent of what Layout placed (title, region boxes, grid, text columns,
  // legend); SpanTop and SpanBottom are 0.
  TViewArea ViewArea() const { return Extent_; }
  // Top left of the square of side kTitleControlSize beside the "(Month End)"
  // title where the main window puts its shift control; set when the title is drawn.
  static constexpr float kTitleControlSize = 16.0f;
  platform::TPointF TitlePoint() const { return TitlePoint_; }

  std::int32_t Mode() const { return Mode_; }
  std::int32_t PointCount() const { return PointCount_; }
  std::int32_t SeriesCount() const { return SeriesCount_; }
  std::int32_t VisibleColumns() const { return VisibleColumns_; }
  std::int32_t VisibleRows() const { return VisibleRows_; }
  float CellWidth() const { return CellWidth_; }
  float RowHeight() const { return RowHeight_; }
  float GridLeft() const { return GridLeft_; }
  float GridTop() const { return GridTop_; }
  const std::vector<TBox>& TextColumns() const { return TextColumns_; }
  const TBox& DateAxis() const { return DateAxis_; }
  const std::vector<TLegendItem>& Legend() const { return Legend_; }
  const std::vector<TRegionHitArea>& HitAreas() const { return HitAreas_; }
  std::int32_t HoveredIndex() const { return Hovered_; }

 private:
  // First drawn column and whether the window ends at the newest point.
  std::int32_t FirstColumn(bool& atLast) const;
  // Rows drawn from the first visible row on.
  std::int32_t DrawnRows() const;
  TAlphaColor DotColour(double value, float selectedValue) const;
  void DrawRowTexts(platform::Canvas& canvas, std::int32_t row, std::int32_t slotRow, bool regionChange);
  void DrawBestMarker(platform::Canvas& canvas, std::int32_t lastSlot, std::int32_t rows);
  void DrawLegend(platform::Canvas& canvas, std::int32_t rows);

  std::vector<TBox> TextColumns_;
  TBox DateAxis_;
  float GridLeft_ = 0.0f;
  float GridTop_ = 0.0f;
  float GridWidth_ = 0.0f;
  float GridHeight_ = 0.0f;
  float CellWidth_ = 0.0f;
  float RowHeight_ = 0.0f;
  std::int32_t PointCount_ = 0;
  std::int32_t LastVisibleColumn_ = 0;
  std::int32_t SeriesCount_ = 0;
  std::int32_t FirstVisibleRow_ = 0;
  std::int32_t VisibleColumns_ = 0;
  std::int32_t VisibleRows_ = 0;
  std::vector<TLabelledSeries> Series_;
  std::int32_t Mode_ = 0;
  platform::TPointF TitlePoint_;
  std::vector<TLegendItem> Legend_;
  std::vector<TRegionHitArea> HitAreas_;
  std::int32_t Hovered_ = -1;
  TViewArea Extent_;
};
