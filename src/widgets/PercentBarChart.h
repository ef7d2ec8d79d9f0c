#pragma once
// Two percentage allocations compared item by item as a mirrored horizontal
// bar chart: names in the centre column, the first allocation's bars growing
// to the left, the second's to the right, percentages beside them. Items come
// in colour groups; a group's first item is its bold group row and a blank
// row separates the groups.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "portfolio/GlobalResultRecords.h"
#include "widgets/WidgetCommon.h"

// What the page hands over: the left and right allocation titles and the
// items (Share drawn left, Mark right, Kind the index into the group colours).
struct TPercentBarRecord {
  std::string Title1;
  std::string Title2;
  std::vector<TAssetShareRow> Items;
};

class TPercentBarChart {
 public:
  static constexpr int kColumnCount = 5;  // left percentage, left bar, name, right bar, right percentage
  static constexpr std::int32_t kHeaderRow = -2;
  static constexpr std::int32_t kSeparatorRow = -1;

  // Cells: Text, Bounds, FillColour = bar colour, Colour = text colour,
  // Alignment, Bold = group-first flag, Value = the percentage (100 x share).
  void SetData(const TPercentBarRecord& record, const std::vector<TAlphaColor>& groupColours);
  void Layout(platform::Canvas& canvas, float left, float top, float width, float height);
  void Draw(platform::Canvas& canvas) const;

  TViewArea ViewArea() const { return {Left_, Top_, Width_, Height_, 0.0f, 0.0f}; }
  const std::vector<std::vector<TTableCell>>& Columns() const { return Columns_; }
  // Per row: kHeaderRow, kSeparatorRow or the item's index.
  const std::vector<std::int32_t>& RowItems() const { return RowItems_; }

 private:
  void BuildBars(const TPercentBarRecord& record);
  TAlphaColor GroupColour(std::int32_t group) const;

  float Left_ = 0.0f;
  float Top_ = 0.0f;
  float Width_ = 0.0f;
  float Height_ = 0.0f;
  std::vector<std::vector<TTableCell>> Columns_;
  std::vector<TAlphaColor> GroupColours_;
  std::vector<std::int32_t> RowItems_;
};
