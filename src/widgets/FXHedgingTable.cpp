#include "widgets/FXHedgingTable.h"

#include <algorithm>
#include <cmath>

#include "common/Records.h"
#include "platform/Format.h"

namespace {

constexpr float kRowFactor = 1.4f;

TTableCell FreshCell() {
  TTableCell cell;
  cell.Alignment = 1;
  return cell;
}

// Colour of a figure by the sign of its value rounded to two decimals, as
// written: below 0 red, above 0 text colour, 0 grey (written "-").
TAlphaColor FigureColour(double value) {
  const double rounded = std::round(value * 100.0);
  if (rounded < 0.0) return TFXHedgingTable::kNegativeColour;
  if (rounded > 0.0) return kWidgetTextColour;
  return kWidgetGridColour;
}

}  // namespace

void TFXHedgingTable::SetData(const std::vector<TFXHedgingPosition>& positions) {
  FirstRow = 0;
  Columns.assign(4, std::vector<TTableCell>(positions.size(), FreshCell()));
  const std::vector<TFXHedgingPosition> copy = positions;
  BuildRows(copy);
}

void TFXHedgingTable::BuildRows(const std::vector<TFXHedgingPosition>& positions) {
  if (Columns.size() < 4) return;
  const std::size_t rows = std::min(positions.size(), Columns[0].size());
  for (std::size_t i = 0; i < rows; ++i) {
    const TFXHedgingPosition& p = positions[i];
    Columns[0][i].Text = p.Currency;
    const double figures[3] = {p.SpotFx, p.FxSwap, p.CcyPosition};
    for (std::size_t c = 1; c < 4; ++c) {
      TTableCell& cell = Columns[c][i];
      cell.Value = figures[c - 1];
      cell.Text = cell.Value == kNoFigure ? std::string() : platform::FloatToStrF(cell.Value, platform::ffFixed, 8, 2);
    }
  }
}

std::int32_t TFXHedgingTable::RowCount() const {
  return Columns.empty() ? 0 : static_cast<std::int32_t>(Columns[0].size());
}

std::int32_t TFXHedgingTable::ClampRow(std::int32_t row) const {
  return std::clamp(row, 0, std::max(0, RowCount() - kVisibleRows));
}

void TFXHedgingTable::SetScrollPosition(std::int32_t position) {
  FirstRow = ClampRow(position);
  PlaceRows();
}

// Every row is placed relative to the first visible one (row FirstRow + k at
// the area's top + k x rowH), so that a scroll needs no new layout; Draw
// writes the visible sixteen.
void TFXHedgingTable::PlaceRows() {
  for (auto& column : Columns) {
    for (std::size_t r = 0; r < column.size(); ++r) {
      const float k = static_cast<float>(static_cast<std::int32_t>(r) - FirstRow);
      column[r].Bounds.Top = AreaTop_ + k * RowHeight_;
      column[r].Bounds.Bottom = column[r].Bounds.Top + RowHeight_;
    }
  }
}

void TFXHedgingTable::Layout(platform::Canvas& canvas, float left, float top, float width, float height) {
  if (Columns.empty()) return;
  widgets::SetFont(canvas, widgets::TextSize());
  const float w = canvas.TextWidth("CCY BORROWED VS USD");
  const float rowH = canvas.TextHeight("X") * kRowFactor * fScreenHeightRatio;
  const float labelWidth = canvas.TextWidth("XXXXXX");
  RowHeight_ = rowH;
  AreaTop_ = top;
  FirstRow = ClampRow(FirstRow);
  PlaceRows();
  Width = 4.0f * w;
  Height = 19.0f * rowH;
  for (std::size_t c = 0; c < Columns.size(); ++c) {
    for (std::size_t r = 0; r < Columns[c].size(); ++r) {
      TTableCell& cell = Columns[c][r];
      cell.Bounds.Left = c == 0 ? 0.0f : Columns[c - 1][r].Bounds.Right;
      cell.Bounds.Right = c == 0 ? labelWidth : cell.Bounds.Left + w;
      cell.Alignment = c == 0 ? 1 : 2;
      cell.Bold = 0;
      cell.Colour = (c > 0 && !cell.Text.empty()) ? FigureColour(cell.Value) : kWidgetTextColour;
    }
  }
  // A currency label is bold when one of its figures is shown and not zero, grey otherwise.
  for (std::size_t r = 0; r < Columns[0].size(); ++r) {
    bool shown = false;
    for (std::size_t c = 1; c < Columns.size(); ++c) {
      const TTableCell& cell = Columns[c][r];
      shown = shown || (!cell.Text.empty() && cell.Colour != kWidgetGridColour);
    }
    if (shown)
      Columns[0][r].Bold = 1;
    else
      Columns[0][r].Colour = kWidgetGridColour;
  }
  Left = left + (width - Width) * 0.5f;
  Top = top + (height - Height) * 0.5f;
  TrackBarAnchorX = Left;
}

void TFXHedgingTable::Draw(platform::Canvas& canvas, const std::string& referenceCurrency) const {
  if (RowCount() == 0 || Columns.size() < 4) return;
  widgets::SetFont(canvas, widgets::TextSize());
  const std::int32_t first = ClampRow(FirstRow);
  const std::int32_t end = std::min(first + kVisibleRows, RowCount());
  for (std::size_t c = 0; c < Columns.size(); ++c) {
    for (std::int32_t r = first; r < end; ++r) {
      const TTableCell& cell = Columns[c][static_cast<std::size_t>(r)];
      canvas.Font.Style = cell.Bold != 0 ? platform::fsBold : 0u;
      widgets::SetFill(canvas, cell.Colour);
      std::string text = cell.Text;
      if (c > 0 && !text.empty()) text = cell.Colour == kWidgetGridColour ? "-" : text + " %";
      widgets::WriteText(canvas, cell.Bounds.Offset(Left, Top), text, cell.Alignment);
    }
  }

  // Two header lines above the first visible row: "SPOT FX" over columns 1
  // and 2, "FX SWAP" over column 3, the sub-headers over columns 2 and 3
  // shifted right by 1.5 x TextWidth("100.00%").
  const auto row = static_cast<std::size_t>(first);
  const float p = canvas.TextWidth("100.00%");
  const platform::TRectF c1 = Columns[1][row].Bounds.Offset(Left, Top);
  const platform::TRectF c2 = Columns[2][row].Bounds.Offset(Left, Top);
  const platform::TRectF c3 = Columns[3][row].Bounds.Offset(Left, Top);
  const float rowH = c1.Bottom - c1.Top;
  widgets::SetFill(canvas, kWidgetTextColour);
  canvas.Font.Style = Columns[0][0].Bold != 0 ? platform::fsBold : 0u;
  widgets::WriteText(canvas, {c1.Left, c1.Top - 2 * rowH, c2.Right - p, c1.Bottom - 2 * rowH}, "SPOT FX", 0);
  widgets::WriteText(canvas, {c3.Left, c1.Top - 2 * rowH, c3.Right - p, c1.Bottom - 2 * rowH}, "FX SWAP", 0);
  canvas.Font.Style = Columns[2][0].Bold != 0 ? platform::fsBold : 0u;
  widgets::WriteText(canvas, {c2.Left + 1.5f * p, c1.Top - rowH, c2.Right + 1.5f * p, c1.Bottom - rowH},
                     "CCY BORROWED VS " + referenceCurrency, 0);
  widgets::WriteText(canvas, {c3.Left + 1.5f * p, c1.Top - rowH, c3.Right + 1.5f * p, c1.Bottom - rowH},
                     "CCY LENT VS " + referenceCurrency, 0);
}
