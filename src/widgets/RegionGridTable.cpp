#include "widgets/RegionGridTable.h"

#include <algorithm>
#include <array>

#include "common/CanvasTextHelpers.h"

namespace {

// Colour of the region a text names; 0 when it names none.
TAlphaColor RegionColour(const std::string& name) {
  for (std::size_t i = 0; i < strRegionNameList.size(); ++i)
    if (strRegionNameList[i] == name) return claRegionColors[i];
  return 0;
}

// Colour and opacity of a country's state dot.
void StateDot(std::int32_t mode, double value, TAlphaColor& colour, float& opacity) {
  colour = kWidgetGridColour;
  opacity = 1.0f;
  if (mode == 0) {
    if (value == 0.0) colour = claGraphicPalette[0];
    if (value == 1.0) colour = claGraphicPalette[1];
    if (value == 2.0) colour = claGraphicPalette[1], opacity = 0.7f;
    if (value == 3.0) colour = claGraphicPalette[2], opacity = 0.2f;
    if (value == 4.0) colour = claGraphicPalette[0], opacity = 0.7f;
    if (value == 5.0) colour = claGraphicPalette[0];
  } else {
    // Mode 1 and any other mode: two states.
    if (value == 1.0) colour = claGraphicPalette[1];
    if (value == 0.0) colour = claGraphicPalette[0];
  }
  if (value == -1.0) opacity = 0.2f;
}

}  // namespace

void TRegionGridTable::SetData(const std::vector<TLabelledSeries>& rows, std::int32_t mode) {
  Mode_ = mode;
  Blocks_.clear();
  LastDate_ = 0.0;
  std::string previous;
  TBlock current;
  for (const TLabelledSeries& row : rows) {
    const std::string region = row.Labels.size() > 1 ? row.Labels[1] : std::string();
    // A row without points has no state: it counts as missing.
    const TCell cell{row.Labels.empty() ? std::string() : row.Labels[0],
                     row.Series.empty() ? -1.0 : row.Series.back().Value};
    if (region == previous && !current.Cells.empty()) {
      current.Cells.push_back(cell);
      continue;
    }
    if (!current.Cells.empty()) Blocks_.push_back(current);
    current = {};
    current.Cells.push_back({region, -1.0});
    current.Cells.push_back(cell);
    previous = region;
  }
  if (!current.Cells.empty()) Blocks_.push_back(current);
  if (!rows.empty() && !rows.back().Series.empty()) LastDate_ = rows.back().Series.back().Date;
}

void TRegionGridTable::Layout(platform::Canvas& canvas, float x, float y, float width, float height) {
  widgets::SetFont(canvas, widgets::TextSize());
  float widest = 0.0f;
  for (const TBlock& block : Blocks_)
    for (const TCell& cell : block.Cells) widest = std::max(widest, canvas.TextWidth(cell.Text));
  CellWidth_ = widest + canvas.TextWidth("X");
  RowHeight_ = canvas.TextHeight("X") * 1.4f * fScreenHeightRatio;
  const float gap = canvas.TextWidth("XXXXXX");
  TotalWidth_ = 2.0f * gap + 3.0f * CellWidth_;
  TotalHeight_ = 20.0f * RowHeight_;

  // Three screen columns of two blocks; the header box takes the row above each block's top.
  const float dx = (width - TotalWidth_) * 0.5f;
  const float dy = (height - TotalHeight_) * 0.5f;
  Left_ = x + dx;
  Top_ = y + dy;
  const float column = CellWidth_ + gap;
  const std::array<float, kPlacedBlocks> lefts{x, x, x + column, x + column, x + 2.0f * column, x + 2.0f * column};
  const std::array<float, kPlacedBlocks> rowsDown{1.0f, 6.0f, 1.0f, 12.0f, 1.0f, 5.0f};
  for (std::size_t i = 0; i < Blocks_.size(); ++i) {
    TBlock& block = Blocks_[i];
    block.Width = CellWidth_;
    block.Height = RowHeight_;
    block.Placed = i < kPlacedBlocks;
    if (!block.Placed) continue;
    block.Left = lefts[i] + dx;
    block.Top = y + rowsDown[i] * RowHeight_ + dy;
  }
  HoveredBlock_ = -1;
  HoveredCell_ = -1;
}

platform::TRectF TRegionGridTable::CellRect(const TBlock& block, std::size_t i, float inset) const {
  const float top = block.Top + static_cast<float>(i) * RowHeight_;
  return {block.Left, top + inset, block.Left + CellWidth_, top + RowHeight_ - inset};
}

void TRegionGridTable::Draw(platform::Canvas& canvas) {
  const float xWidth = [&] {
    widgets::SetFont(canvas, widgets::TextSize());
    return canvas.TextWidth("X");
  }();
  for (const TBlock& block : Blocks_) {
    if (!block.Placed) continue;
    for (std::size_t i = 0; i < block.Cells.size(); ++i) {
      const TCell& cell = block.Cells[i];
      platform::TRectF rect = CellRect(block, i, 1.0f);
      if (i == 0) {
        // Header: region box one row above the block; a name that is no region gets the text colour.
        rect = rect.Offset(0.0f, -RowHeight_);
        const TAlphaColor colour = RegionColour(cell.Text);
        widgets::SetLine(canvas, colour != 0 ? colour : kWidgetTextColour);
        canvas.FillRect({rect.Left - 5.0f, rect.Top + 3.0f, rect.Right + xWidth, rect.Bottom + 1.0f}, 2.0f, 2.0f, 1.0f);
        widgets::SetFont(canvas, widgets::TextSize(), true);
        widgets::SetFill(canvas, kWidgetOnFillColour);
        widgets::WriteText(canvas, rect, cell.Text, 1);
        widgets::SetFont(canvas, widgets::TextSize());
        continue;
      }
      widgets::SetFill(canvas, cell.Value == -1.0 ? kWidgetGridColour : kWidgetTextColour);
      widgets::WriteText(canvas, rect, cell.Text, 1);

      // State dot: a square of row height - 4 at the line's right end.
      const float right = rect.Left - 5.0f + rect.Width() + xWidth;
      TAlphaColor colour = 0;
      float opacity = 1.0f;
      StateDot(Mode_, cell.Value, colour, opacity);
      canvas.Stroke.Kind = platform::TBrushKind::None;
      widgets::SetFill(canvas, colour);
      canvas.FillEllipse({right - RowHeight_ + 2.0f, rect.Top + 2.0f, right - 2.0f, rect.Top + RowHeight_ - 2.0f},
                         opacity);
    }
  }
}

bool TRegionGridTable::FindCell(float x, float y, float inset, std::int32_t& block, std::int32_t& cell) const {
  for (std::size_t b = 0; b < Blocks_.size(); ++b) {
    if (!Blocks_[b].Placed) continue;
    for (std::size_t i = 0; i < Blocks_[b].Cells.size(); ++i) {
      if (Blocks_[b].Cells[i].Value == -1.0) continue;
      if (!CellRect(Blocks_[b], i, inset).Contains({x, y})) continue;
      block = static_cast<std::int32_t>(b);
      cell = static_cast<std::int32_t>(i);
      return true;
    }
  }
  return false;
}

void TRegionGridTable::HighlightAt(platform::Canvas& canvas, float x, float y, float offsetX, float offsetY) {
  widgets::SetFont(canvas, widgets::TextSize());
  // The text part of a line: the dot at its right end stays untouched.
  const auto redraw = [&](std::int32_t b, std::int32_t i, float inset, TAlphaColor colour) {
    platform::TRectF rect = CellRect(Blocks_[static_cast<std::size_t>(b)], static_cast<std::size_t>(i), inset);
    rect.Right -= RowHeight_;
    DrawTextBox(canvas, rect.Offset(offsetX, offsetY), claApplicationBkgColor, 1.0, colour, 1, canvas.Font.Style,
                Blocks_[static_cast<std::size_t>(b)].Cells[static_cast<std::size_t>(i)].Text);
  };
  std::int32_t block = -1;
  std::int32_t cell = -1;
  std::int32_t oldBlock = -1;
  std::int32_t oldCell = -1;
  if (FindCell(x, y, 1.0f, block, cell)) {
    if (block != HoveredBlock_ || cell != HoveredCell_) {
      redraw(block, cell, 1.0f, kWidgetHoverColour);
      oldBlock = HoveredBlock_;
      oldCell = HoveredCell_;
      HoveredBlock_ = block;
      HoveredCell_ = cell;
    }
  } else if (HoveredBlock_ != -1) {
    oldBlock = HoveredBlock_;
    oldCell = HoveredCell_;
    HoveredBlock_ = -1;
    HoveredCell_ = -1;
  }
  if (oldBlock >= 0 && static_cast<std::size_t>(oldBlock) < Blocks_.size() && oldCell >= 0 &&
      static_cast<std::size_t>(oldCell) < Blocks_[static_cast<std::size_t>(oldBlock)].Cells.size())
    redraw(oldBlock, oldCell, 0.75f, kWidgetTextColour);
}

std::string TRegionGridTable::GetHintAt(float x, float y) const {
  std::int32_t block = -1;
  std::int32_t cell = -1;
  if (!FindCell(x, y, 0.75f, block, cell)) return {};
  return Blocks_[static_cast<std::size_t>(block)].Cells[static_cast<std::size_t>(cell)].Text;
}
