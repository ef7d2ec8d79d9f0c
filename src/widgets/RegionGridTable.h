#pragma once
// The latest state of every country at a glance: one block per region,
// headed by the region's name in a box of its colour, listing its countries
// one per line with a dot at the line's right end coloured by the country's
// state. Six blocks stand in three screen columns of two.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "portfolio/EquityResultRecords.h"
#include "widgets/WidgetCommon.h"

class TRegionGridTable {
 public:
  // One line of a block: a country with its latest value (-1 missing), or
  // the block's header (the region name with -1).
  struct TCell {
    std::string Text;
    double Value = -1.0;
  };
  // One region: header cell first, then its countries. Placed is false for
  // blocks beyond the six that the layout has places for; they are neither
  // drawn nor hit.
  struct TBlock {
    std::vector<TCell> Cells;
    float Left = 0.0f;
    float Top = 0.0f;
    float Width = 0.0f;
    float Height = 0.0f;
    bool Placed = false;
  };

  static constexpr std::size_t kPlacedBlocks = 6;

  // Rows in display order grouped by region (label 0 country, label 1
  // region, the last point's value the state); a run of equal regions forms
  // one block. Mode 0 five-state colours, 1 two-state colours.
  void SetData(const std::vector<TLabelledSeries>& rows, std::int32_t mode);
  void Layout(platform::Canvas& canvas, float x, float y, float width, float height);
  void Draw(platform::Canvas& canvas);
  void HighlightAt(platform::Canvas& canvas, float x, float y, float offsetX, float offsetY);
  // Country under (x, y); "" when none (headers and missing countries never answer).
  std::string GetHintAt(float x, float y) const;

  const std::vector<TBlock>& Blocks() const { return Blocks_; }
  std::int32_t Mode() const { return Mode_; }
  float CellWidth() const { return CellWidth_; }
  float RowHeight() const { return RowHeight_; }
  float Left() const { return Left_; }
  float Top() const { return Top_; }
  float TotalWidth() const { return TotalWidth_; }
  float TotalHeight() const { return TotalHeight_; }
  double LastDate() const { return LastDate_; }
  std::int32_t HoveredBlock() const { return HoveredBlock_; }
  std::int32_t HoveredCell() const { return HoveredCell_; }

 private:
  // Line i of a block from top + i x row height + inset to top + (i + 1) x row height - inset.
  platform::TRectF CellRect(const TBlock& block, std::size_t i, float inset) const;
  // Block and cell of the first answering country holding (x, y) with the given inset; false when none.
  bool FindCell(float x, float y, float inset, std::int32_t& block, std::int32_t& cell) const;

  float Left_ = 0.0f;
  float Top_ = 0.0f;
  float TotalWidth_ = 0.0f;
  float TotalHeight_ = 0.0f;
  std::int32_t Mode_ = 0;
  float CellWidth_ = 0.0f;
  float RowHeight_ = 0.0f;
  std::vector<TBlock> Blocks_;
  double LastDate_ = 0.0;
  std::int32_t HoveredBlock_ = -1;
  std::int32_t HoveredCell_ = -1;
};
