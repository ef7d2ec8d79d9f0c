#pragma once
// The allocation of a ranking model: countries in two halves around a centre
// line (the first 22 rows left), grouped by region under coloured headers,
// each with its name, its rank between name and centre line, a bar growing
// outward as long as its share and the share in percent beyond the bar.
// The hint names the region header under the mouse.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "portfolio/EquityResultRecords.h"
#include "widgets/WidgetCommon.h"

class TPercentGridTable {
 public:
  float Left = 0.0f;
  float Top = 0.0f;
  float TotalWidth = 0.0f;
  float TotalHeight = 0.0f;
  // Per item: 0 name, 1 bar (colour by rank and share), 2 figure (Value =
  // weight x 100), 3 region state, 4 rank, 5 region total (3 and 5 not drawn).
  std::vector<std::vector<TTableCell>> Columns;
  // Per item: the region name with the header rectangle once drawn, and a
  // second copy of the name with its rectangle.
  std::vector<TTableCell> GroupCells;
  std::vector<TTableCell> NameCells;
  std::vector<TLegendItem> Legend;  // stored, not drawn
  std::int32_t Hovered = -1;

  void SetData(const std::vector<TRegionItem>& items, const std::vector<TLegendItem>& legend);
  void BuildRows(const std::vector<TRegionItem>& items);
  void Layout(platform::Canvas& canvas, float x, float y, float width, float height);
  // Draws and stores the header rectangles the hint answers for.
  void Draw(platform::Canvas& canvas);
  // The region name of the header (or name cell) under (x, y); "" when none.
  std::string GetHintAt(float x, float y) const;

 private:
  std::vector<std::uint8_t> HeaderDrawn_;  // per item: its group cell holds a drawn header
};
