#include "widgets/PercentTable.h"

#include <algorithm>

#include "common/CanvasTextHelpers.h"
#include "platform/Format.h"

namespace {

constexpr float kRowFactor = 1.3f;
constexpr double kShownFigure = 0.0000001;  // figures at or below it show no bar and no text

// Name, bar and figure colour of a country state.
TAlphaColor StateColour(std::int64_t state) {
  switch (state) {
    case 0:
      return claGraphicPalette[1];
    case 1:
      return claGraphicPalette[0];
    default:
      return kWidgetGridColour;
  }
}

int RowAlignment(std::size_t row) { return widgets::IsLeftHalf(row) ? 2 : 1; }

}  // namespace

namespace widgets {

bool IsLeftHalf(std::size_t row) { return row < TPercentTable::kRowsPerHalf; }

TTwoSidedLayout LayoutTwoSided(platform::Canvas& canvas, const std::vector<std::string>& names,
                               const std::vector<double>& figures, const std::vector<std::string>& groups, float x,
                               float y, float width, float height) {
  TTwoSidedLayout out;
  const float g = canvas.TextWidth("XXX");
  const float p = canvas.TextWidth("100.00 %");
  float w = 0.0f;
  for (const std::string& name : names) w = std::max(w, canvas.TextWidth(name));
  const float rowH = canvas.TextHeight("X") * kRowFactor * fScreenHeightRatio;
  double m = 0.0;
  for (double f : figures) m = std::max(m, f);

  // Side s = name + figure + 4 gaps; the bars share what is left of the width.
  const float s = w + p + 4.0f * g;
  const float b = std::max(0.0f, (width - 2.0f * s) * 0.5f);
  out.TotalWidth = 2.0f * (b + s);
  out.Left = x + (width - out.TotalWidth) * 0.5f;
  out.TotalHeight = 25.0f * rowH;
  out.Top = y + (height - out.TotalHeight) * 0.5f;
  out.Centre = out.Left + out.TotalWidth * 0.5f;

  const std::size_t n = names.size();
  out.Names.resize(n);
  out.Bars.resize(n);
  out.Figures.resize(n);
  std::string previous;
  int k = 0;  // group headers so far in this half
  for (std::size_t i = 0; i < n; ++i) {
    const bool left = IsLeftHalf(i);
    if (i == TPercentTable::kRowsPerHalf) k = 0;
    const std::string& group = i < groups.size() ? groups[i] : std::string();
    if (group != previous) ++k;
    previous = group;
    const float r = static_cast<float>(left ? i : i - TPercentTable::kRowsPerHalf);
    const float top = out.Top + (r + static_cast<float>(k)) * rowH;
    const float bottom = top + rowH;
    const double figure = i < figures.size() ? figures[i] : 0.0;
    const float length = m > 0.0 ? static_cast<float>(figure * b / m) : 0.0f;
    platform::TRectF& name = out.Names[i];
    platform::TRectF& bar = out.Bars[i];
    platform::TRectF& fig = out.Figures[i];
    if (left) {
      name = {out.Centre - g - w, top, out.Centre - g, bottom};
      bar = {name.Left - g - length, top, name.Left - g, bottom};
      fig = {bar.Left - 0.5f * g - p, top, bar.Left - 0.5f * g, bottom};
    } else {
      name = {out.Centre + g, top, out.Centre + g + w, bottom};
      bar = {name.Right + g, top, name.Right + g + length, bottom};
      fig = {bar.Right + 0.5f * g, top, bar.Right + 0.5f * g + p, bottom};
    }
  }
  return out;
}

TAlphaColor RegionColour(const std::string& region, TAlphaColor fallback) {
  for (std::size_t i = 0; i < strRegionNameList.size(); ++i)
    if (strRegionNameList[i] == region) return claRegionColors[i];
  return fallback;
}

platform::TRectF DrawGroupHeader(platform::Canvas& canvas, const platform::TRectF& nameCell, bool leftHalf,
                                 const std::string& group, TAlphaColor boxColour) {
  // Header offset: TextHeight("X") x 1.3 x fScreenWidthRatio.
  const float h = canvas.TextHeight("X") * kRowFactor * fScreenWidthRatio;
  canvas.Font.Style = platform::fsBold;
  const float width = canvas.TextWidth(group + "XX");
  platform::TRectF rect = nameCell.Offset(0.0f, -h);
  if (leftHalf)
    rect.Left = rect.Right - width;
  else
    rect.Right = rect.Left + width;
  SetFill(canvas, boxColour);
  canvas.FillRect({rect.Left - 5.0f, rect.Top + 3.0f, rect.Right + canvas.TextWidth("X"), rect.Bottom + 1.0f}, 2.0f,
                  2.0f, 1.0f);
  SetFill(canvas, kWidgetOnFillColour);
  WriteText(canvas, rect, group, leftHalf ? 2 : 1);
  canvas.Font.Style = 0u;
  return rect;
}

void DrawBar(platform::Canvas& canvas, const platform::TRectF& cell, float left, float right, TAlphaColor colour) {
  SetLine(canvas, colour);
  const platform::TRectF rect{left, cell.Top + 4.0f, right, cell.Bottom - 4.0f};
  canvas.FillRect(rect, 2.0f, 2.0f, 1.0f);
  canvas.DrawRect(rect, 2.0f, 2.0f, 1.0f);
}

TTwoSidedLayout LayoutTwoSidedColumns(platform::Canvas& canvas, std::vector<std::vector<TTableCell>>& columns,
                                      const std::vector<std::string>& groups, float x, float y, float width,
                                      float height) {
  std::vector<std::string> names;
  std::vector<double> figures;
  for (const TTableCell& cell : columns[0]) names.push_back(cell.Text);
  for (const TTableCell& cell : columns[2]) figures.push_back(cell.Value);
  TTwoSidedLayout geometry = LayoutTwoSided(canvas, names, figures, groups, x, y, width, height);
  for (std::size_t i = 0; i < names.size(); ++i) {
    columns[0][i].Bounds = geometry.Names[i];
    columns[1][i].Bounds = geometry.Bars[i];
    columns[2][i].Bounds = geometry.Figures[i];
  }
  return geometry;
}

}  // namespace widgets

void TPercentTable::SetData(const std::vector<TStateItem>& items) {
  Columns.assign(3, {});
  for (auto& column : Columns) {
    column.resize(items.size());
    for (std::size_t i = 0; i < column.size(); ++i) column[i].Alignment = RowAlignment(i);
  }
  const std::vector<TStateItem> copy = items;
  BuildRows(copy);
}

void TPercentTable::BuildRows(const std::vector<TStateItem>& items) {
  Items = items;
  GroupNames.clear();
  if (Columns.size() < 3) return;
  const std::size_t rows = std::min(items.size(), Columns[0].size());
  for (std::size_t i = 0; i < rows; ++i) {
    const TStateItem& item = items[i];
    TTableCell& name = Columns[0][i];
    name.Text = item.Label;
    name.FillColour = claGraphicPalette[8];
    GroupNames.push_back(item.Text);
    TTableCell& bar = Columns[1][i];
    bar.Text.clear();
    bar.FillColour = StateColour(item.State);
    TTableCell& figure = Columns[2][i];
    figure.Value = 0.0;
    for (double v : item.Values) figure.Value += v;
    figure.Text = platform::FloatToStr(figure.Value);
    figure.FillColour = claGraphicPalette[8];
  }
}

void TPercentTable::Layout(platform::Canvas& canvas, float x, float y, float width, float height) {
  widgets::SetFont(canvas, widgets::TextSize());
  Hovered = -1;
  if (Columns.size() < 3) return;
  const widgets::TTwoSidedLayout geometry =
      widgets::LayoutTwoSidedColumns(canvas, Columns, GroupNames, x, y, width, height);
  Left = geometry.Left;
  Top = geometry.Top;
  TotalWidth = geometry.TotalWidth;
  TotalHeight = geometry.TotalHeight;
}

void TPercentTable::Draw(platform::Canvas& canvas) const {
  if (Columns.size() < 3) return;
  widgets::SetFont(canvas, widgets::TextSize());
  const std::size_t rows = Columns[0].size();

  // Figures beyond the bars, in the state colour.
  for (std::size_t i = 0; i < rows; ++i) {
    const TTableCell& figure = Columns[2][i];
    if (figure.Value <= kShownFigure) continue;
    widgets::SetFill(canvas, Columns[1][i].FillColour);
    widgets::WriteText(canvas, figure.Bounds, widgets::PercentText(figure.Value), figure.Alignment);
  }

  // Bars: one part in the state colour, or two parts of one whole: the first
  // share next to the names, the second at the outer end, 1 apart.
  for (std::size_t i = 0; i < rows; ++i) {
    if (Columns[2][i].Value <= kShownFigure) continue;
    const platform::TRectF& cell = Columns[1][i].Bounds;
    const std::vector<double> values = i < Items.size() ? Items[i].Values : std::vector<double>{};
    const double total = values.size() >= 2 ? values[0] + values[1] : 0.0;
    if (values.size() < 2 || total == 0.0) {
      // A two-part bar whose parts sum to 0 has no shares: it is drawn as one part.
      const TAlphaColor colour = values.size() < 2 ? Columns[1][i].FillColour : claGraphicPalette[1];
      widgets::DrawBar(canvas, cell, cell.Left, cell.Right, colour);
      continue;
    }
    const double sa = values[0] / total;
    const double sb = values[1] / total;
    const float length = cell.Width();
    float innerLeft, innerRight, outerLeft, outerRight;
    if (widgets::IsLeftHalf(i)) {
      outerLeft = cell.Left;
      outerRight = cell.Left + static_cast<float>(sb) * length;
      innerLeft = outerRight + 1.0f;
      innerRight = cell.Right;
    } else {
      innerLeft = cell.Left;
      innerRight = cell.Left + static_cast<float>(sa) * length;
      outerLeft = innerRight + 1.0f;
      outerRight = cell.Right;
    }
    if (sa != 0.0) widgets::DrawBar(canvas, cell, innerLeft, innerRight, claGraphicPalette[1]);
    if (sb != 0.0) widgets::DrawBar(canvas, cell, outerLeft, outerRight, claGraphicPalette[5]);
  }

  // Names in the state colour, each region group under its header.
  std::string previous;
  for (std::size_t i = 0; i < rows; ++i) {
    const TTableCell& name = Columns[0][i];
    widgets::SetFont(canvas, widgets::TextSize());
    widgets::SetFill(canvas, Columns[1][i].FillColour);
    widgets::WriteText(canvas, name.Bounds, name.Text, name.Alignment);
    const std::string& group = i < GroupNames.size() ? GroupNames[i] : std::string();
    if (group != previous)
      widgets::DrawGroupHeader(canvas, name.Bounds, widgets::IsLeftHalf(i), group,
                               widgets::RegionColour(group, kWidgetTextColour));
    previous = group;
  }
}

void TPercentTable::DrawHoverName(platform::Canvas& canvas, std::size_t row, float offsetX, float offsetY,
                                  TAlphaColor colour) const {
  const TTableCell& name = Columns[0][row];
  platform::TRectF rect = name.Bounds.Offset(offsetX, offsetY);
  rect.Top += 3.0f;
  rect.Bottom -= 3.0f;
  DrawTextBox(canvas, rect, claApplicationBkgColor, 1.0, colour, name.Alignment, 0u, name.Text);
}

void TPercentTable::HighlightAt(platform::Canvas& canvas, float x, float y, float offsetX, float offsetY) {
  widgets::SetFont(canvas, widgets::TextSize());
  if (Columns.size() < 3 || Columns[0].empty()) {
    Hovered = -1;
    return;
  }
  const std::size_t rows = Columns[0].size();
  std::int32_t previous = -1;
  bool hit = false;
  for (std::size_t i = 0; i < rows; ++i) {
    if (!Columns[0][i].Bounds.Contains({x, y})) continue;
    hit = true;
    const auto index = static_cast<std::int32_t>(i);
    if (index == Hovered) continue;
    DrawHoverName(canvas, i, offsetX, offsetY, kWidgetHoverColour);
    if (Hovered != -1) previous = Hovered;
    Hovered = index;
  }
  if (!hit && Hovered != -1) {
    previous = Hovered;
    Hovered = -1;
  }
  // The row hovered before gets its name back in its state colour.
  if (previous >= 0 && static_cast<std::size_t>(previous) < rows)
    DrawHoverName(canvas, static_cast<std::size_t>(previous), offsetX, offsetY,
                  Columns[1][static_cast<std::size_t>(previous)].FillColour);
}

std::string TPercentTable::GetHintAt(float x, float y) const {
  if (Columns.empty()) return {};
  for (const TTableCell& name : Columns[0])
    if (name.Bounds.Contains({x, y})) return name.Text;
  return {};
}
