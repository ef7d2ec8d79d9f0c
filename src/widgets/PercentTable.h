#pragma once
// Countries as a two-sided bar table around a centre line: the first 22
// rows on the left, the others on the right. Each row has the country name
// next to the centre, a bar growing outward as long as its share and the
// share in percent beyond the bar; rows are grouped by region under a box
// in the region's colour, and the country's state colours name, bar and
// figure.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "portfolio/EquityResultRecords.h"
#include "widgets/WidgetCommon.h"

namespace widgets {

// Geometry of the two-sided bar tables (this one and the percentage grid
// table): rows 0..21 on the left of the centre line, the others on the
// right, each region group opened by one free row for its header.
struct TTwoSidedLayout {
  float Left = 0.0f;
  float Top = 0.0f;
  float TotalWidth = 0.0f;
  float TotalHeight = 0.0f;
  float Centre = 0.0f;
  std::vector<platform::TRectF> Names;
  std::vector<platform::TRectF> Bars;
  std::vector<platform::TRectF> Figures;
};

// Needs the font set. Bar length = figure x bar room / largest figure
// (0 when the largest figure is not above 0).
TTwoSidedLayout LayoutTwoSided(platform::Canvas& canvas, const std::vector<std::string>& names,
                               const std::vector<double>& figures, const std::vector<std::string>& groups, float x,
                               float y, float width, float height);
// LayoutTwoSided over a table's cells: names from the texts of column 0,
// figures from the values of column 2; places the cells of columns 0 (name),
// 1 (bar) and 2 (figure) of every row.
TTwoSidedLayout LayoutTwoSidedColumns(platform::Canvas& canvas, std::vector<std::vector<TTableCell>>& columns,
                                      const std::vector<std::string>& groups, float x, float y, float width,
                                      float height);
bool IsLeftHalf(std::size_t row);
// claRegionColors entry of a region name; fallback when it names no region.
TAlphaColor RegionColour(const std::string& region, TAlphaColor fallback);
// The bold group header one header offset above a name cell, running outward
// over TextWidth(group + "XX"), in a rounded box of boxColour, white text.
// Returns the header's rectangle.
platform::TRectF DrawGroupHeader(platform::Canvas& canvas, const platform::TRectF& nameCell, bool leftHalf,
                                 const std::string& group, TAlphaColor boxColour);
// A bar 4 in from the cell's top and bottom, corners rounded by 2, filled and outlined.
void DrawBar(platform::Canvas& canvas, const platform::TRectF& cell, float left, float right, TAlphaColor colour);

}  // namespace widgets

class TPercentTable {
 public:
  static constexpr std::size_t kRowsPerHalf = 22;

  float Left = 0.0f;
  float Top = 0.0f;
  float TotalWidth = 0.0f;
  float TotalHeight = 0.0f;
  // Column 0 the names, column 1 the bars (FillColour = the state colour),
  // column 2 the figures (Value = the sum of the item's values).
  std::vector<std::vector<TTableCell>> Columns;
  std::vector<std::string> GroupNames;  // one per item
  std::int32_t Hovered = -1;
  std::vector<TStateItem> Items;

  void SetData(const std::vector<TStateItem>& items);
  void BuildRows(const std::vector<TStateItem>& items);
  void Layout(platform::Canvas& canvas, float x, float y, float width, float height);
  void Draw(platform::Canvas& canvas) const;
  // Hover over the names at offset (offsetX, offsetY) on the canvas.
  void HighlightAt(platform::Canvas& canvas, float x, float y, float offsetX, float offsetY);
  // The name whose name cell holds (x, y), edges included; "" when none.
  std::string GetHintAt(float x, float y) const;

 private:
  void DrawHoverName(platform::Canvas& canvas, std::size_t row, float offsetX, float offsetY, TAlphaColor colour) const;
};
