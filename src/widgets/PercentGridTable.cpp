#include "widgets/PercentGridTable.h"

#include <algorithm>

#include "platform/Format.h"
#include "widgets/PercentTable.h"

namespace {

constexpr std::int32_t kExcluded = 2;  // participation that greys the row

}  // namespace

void TPercentGridTable::SetData(const std::vector<TRegionItem>& items, const std::vector<TLegendItem>& legend) {
  Legend = legend;
  Columns.assign(6, {});
  for (auto& column : Columns) {
    column.resize(items.size());
    for (std::size_t i = 0; i < column.size(); ++i) {
      column[i].FillColour = kWidgetTextColour;
      column[i].Alignment = widgets::IsLeftHalf(i) ? 2 : 1;
    }
  }
  const std::vector<TRegionItem> copy = items;
  BuildRows(copy);
}

void TPercentGridTable::BuildRows(const std::vector<TRegionItem>& items) {
  GroupCells.clear();
  NameCells.clear();
  HeaderDrawn_.clear();
  if (Columns.size() < 6) return;
  const TAlphaColor blue = claGraphicPalette[1];
  const std::size_t rows = std::min(items.size(), Columns[0].size());
  const auto setColours = [](TTableCell& cell, TAlphaColor fill, TAlphaColor text) {
    cell.FillColour = fill;
    cell.Colour = text;
  };
  for (std::size_t i = 0; i < rows; ++i) {
    const TRegionItem& item = items[i];
    const bool excluded = item.Excluded == kExcluded;
    TTableCell& name = Columns[0][i];
    name.Text = item.Name;
    setColours(name, blue, excluded ? kWidgetGridColour : blue);
    TTableCell group = name;
    group.Text = item.RegionName;
    group.Bounds = {};
    GroupCells.push_back(group);
    NameCells.push_back(name);

    const double figure = item.Value * 100.0;
    TTableCell& bar = Columns[1][i];
    bar.Text = platform::FloatToStr(figure);
    bar.Value = figure;
    const TAlphaColor barColour = (item.State == -1 || item.Value == 0.0) ? claGraphicPalette[5] : blue;
    setColours(bar, barColour, barColour);

    TTableCell& fig = Columns[2][i];
    fig.Text = platform::FloatToStr(figure);
    fig.Value = figure;
    setColours(fig, blue, blue);

    TTableCell& regionState = Columns[3][i];
    regionState.Text = (item.Flag != -1 && item.Flag != 0 && !excluded) ? std::to_string(item.Flag) : std::string();
    setColours(regionState, blue, blue);

    TTableCell& rank = Columns[4][i];
    rank.Text = (item.State != -1 && item.State != 0 && !excluded) ? std::to_string(item.State) : std::string();
    setColours(rank, blue, blue);

    TTableCell& regionTotal = Columns[5][i];
    regionTotal.Value = item.RegionColor * 100.0;
    regionTotal.Text = platform::FloatToStr(regionTotal.Value);
    setColours(regionTotal, blue, blue);
  }
  HeaderDrawn_.assign(GroupCells.size(), 0);
}

void TPercentGridTable::Layout(platform::Canvas& canvas, float x, float y, float width, float height) {
  widgets::SetFont(canvas, widgets::TextSize());
  Hovered = -1;
  if (Columns.size() < 6) return;
  std::vector<std::string> groups;
  for (const TTableCell& cell : GroupCells) groups.push_back(cell.Text);
  const widgets::TTwoSidedLayout geometry =
      widgets::LayoutTwoSidedColumns(canvas, Columns, groups, x, y, width, height);
  Left = geometry.Left;
  Top = geometry.Top;
  TotalWidth = geometry.TotalWidth;
  TotalHeight = geometry.TotalHeight;
  const float gap = canvas.TextWidth("x");
  for (std::size_t i = 0; i < geometry.Names.size(); ++i) {
    const platform::TRectF& name = geometry.Names[i];
    Columns[5][i].Bounds = geometry.Figures[i];
    // Region state and rank between the name and the centre line.
    for (std::size_t c : {3u, 4u}) {
      TTableCell& cell = Columns[c][i];
      const float w = canvas.TextWidth(cell.Text);
      if (widgets::IsLeftHalf(i))
        cell.Bounds = {name.Right + gap, name.Top, name.Right + gap + w, name.Bottom};
      else
        cell.Bounds = {name.Left - gap - w, name.Top, name.Left - gap, name.Bottom};
    }
  }
}

void TPercentGridTable::Draw(platform::Canvas& canvas) {
  if (Columns.size() < 6) return;
  widgets::SetFont(canvas, widgets::TextSize());
  const std::size_t rows = Columns[0].size();
  const TAlphaColor blue = claGraphicPalette[1];

  // Names, each region group under its header; the header rectangles are kept for the hint.
  std::string previous;
  for (std::size_t i = 0; i < rows; ++i) {
    const TTableCell& name = Columns[0][i];
    widgets::SetFont(canvas, widgets::TextSize());
    widgets::SetFill(canvas, name.Colour);
    widgets::WriteText(canvas, name.Bounds, name.Text, name.Alignment);
    if (i < NameCells.size()) NameCells[i].Bounds = name.Bounds;
    if (i >= GroupCells.size()) continue;
    const std::string& group = GroupCells[i].Text;
    if (group != previous) {
      // A name that is no region keeps the name's colour for its box.
      GroupCells[i].Bounds = widgets::DrawGroupHeader(canvas, name.Bounds, widgets::IsLeftHalf(i), group,
                                                      widgets::RegionColour(group, GroupCells[i].Colour));
      HeaderDrawn_[i] = 1;
    }
    previous = group;
  }

  // Bars and figures for every share other than 0.
  for (std::size_t i = 0; i < rows; ++i) {
    const TTableCell& bar = Columns[1][i];
    if (Columns[2][i].Value == 0.0) continue;
    widgets::DrawBar(canvas, bar.Bounds, bar.Bounds.Left, bar.Bounds.Right, bar.FillColour);
  }
  widgets::SetFont(canvas, widgets::TextSize());
  widgets::SetFill(canvas, blue);
  for (std::size_t i = 0; i < rows; ++i) {
    const TTableCell& figure = Columns[2][i];
    if (figure.Value == 0.0) continue;
    widgets::WriteText(canvas, figure.Bounds, widgets::PercentText(figure.Value), figure.Alignment);
  }

  // Ranks, leading on the left half and trailing on the right half.
  widgets::SetFill(canvas, blue);
  for (std::size_t i = 0; i < rows; ++i) {
    const TTableCell& rank = Columns[4][i];
    widgets::WriteText(canvas, rank.Bounds, rank.Text, widgets::IsLeftHalf(i) ? 1 : 2);
  }
}

std::string TPercentGridTable::GetHintAt(float x, float y) const {
  const auto answers = [x, y](const TTableCell& cell) {
    if (cell.Colour == claGraphicPalette[8] || !cell.Bounds.Contains({x, y})) return false;
    return std::find(strRegionNameList.begin(), strRegionNameList.end(), cell.Text) != strRegionNameList.end();
  };
  for (std::size_t i = 0; i < GroupCells.size(); ++i)
    if (i < HeaderDrawn_.size() && HeaderDrawn_[i] != 0 && answers(GroupCells[i])) return GroupCells[i].Text;
  for (const TTableCell& cell : NameCells)
    if (answers(cell)) return cell.Text;
  return {};
}
