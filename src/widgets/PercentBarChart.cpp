#include "widgets/PercentBarChart.h"

#include <algorithm>
#include <array>

#include "platform/Format.h"

namespace {

// Columns 0 and 1 trailing, 2 centre, 3 and 4 leading.
constexpr std::array<std::int32_t, 5> kAlignment{2, 2, 0, 1, 1};
constexpr double kSmallest = 0.0000001;  // a percentage up to this draws no bar and no text
constexpr double kOpacityStep = 0.2;
constexpr double kLowestOpacity = 0.2;

}  // namespace

TAlphaColor TPercentBarChart::GroupColour(std::int32_t group) const {
  if (group < 0 || static_cast<std::size_t>(group) >= GroupColours_.size()) return kWidgetTextColour;
  return GroupColours_[static_cast<std::size_t>(group)];
}

void TPercentBarChart::SetData(const TPercentBarRecord& record, const std::vector<TAlphaColor>& groupColours) {
  GroupColours_ = groupColours;
  Columns_.assign(kColumnCount, {});
  RowItems_.clear();
  const auto addRow = [&](const std::string& text, std::int32_t item) {
    for (std::size_t c = 0; c < Columns_.size(); ++c) {
      TTableCell cell;
      cell.Text = text;
      cell.FillColour = kWidgetTextColour;
      cell.Colour = kWidgetTextColour;
      cell.Alignment = kAlignment[c];
      cell.Bold = 0;
      Columns_[c].push_back(cell);
    }
    RowItems_.push_back(item);
  };
  addRow("", kHeaderRow);
  for (std::size_t i = 0; i < record.Items.size(); ++i) {
    if (i == 0 || record.Items[i].Kind != record.Items[i - 1].Kind) addRow("X", kSeparatorRow);
    addRow("", static_cast<std::int32_t>(i));
  }
  BuildBars(record);
}

void TPercentBarChart::BuildBars(const TPercentBarRecord& record) {
  const std::array<std::string, 5> header{"X", record.Title1, "X", record.Title2, "X"};
  for (std::size_t c = 0; c < Columns_.size(); ++c) {
    TTableCell& cell = Columns_[c][0];
    cell.Text = header[c];
    cell.FillColour = GroupColour(0);
    cell.Colour = GroupColour(0);
  }
  for (std::size_t r = 1; r < RowItems_.size(); ++r) {
    if (RowItems_[r] < 0) continue;
    const TAssetShareRow& item = record.Items[static_cast<std::size_t>(RowItems_[r])];
    const bool first = RowItems_[r - 1] == kSeparatorRow;
    const std::array<double, 5> values{100.0 * item.Share, 100.0 * item.Share, 0.0, 100.0 * item.Mark,
                                       100.0 * item.Mark};
    for (std::size_t c = 0; c < Columns_.size(); ++c) {
      TTableCell& cell = Columns_[c][r];
      cell.Text = c == 2 ? item.Name : platform::FloatToStr(values[c]);
      cell.Value = values[c];
      cell.FillColour = GroupColour(item.Kind);
      cell.Colour = first ? GroupColour(item.Kind) : kWidgetTextColour;
      cell.Bold = first ? 1 : 0;
    }
  }
}

void TPercentBarChart::Layout(platform::Canvas& canvas, float left, float top, float width, float height) {
  if (Columns_.empty()) return;
  widgets::SetFont(canvas, widgets::TextSize());
  const float g3 = canvas.TextWidth("XXX");
  const float gp = canvas.TextWidth("(100.00 %)");
  const float h = canvas.TextHeight("X") * 1.4f * fScreenHeightRatio;

  float nameWidth = 0.0f;
  double largest = 0.0;
  for (std::size_t r = 0; r < RowItems_.size(); ++r) {
    if (RowItems_[r] < 0) continue;
    nameWidth = std::max(nameWidth, canvas.TextWidth(Columns_[2][r].Text + "XXXXXX"));
    largest = std::max({largest, Columns_[1][r].Value, Columns_[3][r].Value});
  }
  // Half width s = gp + 4 g3 + n; bar room b = (width - 2 s) / 2 (not below 0);
  // a bar is value x b / largest value long.
  const float half = gp + 4.0f * g3 + nameWidth;
  const float room = std::max(0.0f, (width - 2.0f * half) * 0.5f);
  Width_ = 2.0f * (room + half);
  Left_ = left + (width - Width_) * 0.5f;
  Height_ = static_cast<float>(RowItems_.size()) * h;
  Top_ = top + (height - Height_) * 0.5f;
  const double scale = largest > 0.0 ? static_cast<double>(room) / largest : 0.0;
  const float centre = Left_ + Width_ / 2.0f;
  const auto length = [&](std::size_t column, std::size_t r) {
    if (RowItems_[r] < 0) return room;
    return static_cast<float>(std::max(0.0, Columns_[column][r].Value * scale));
  };

  for (std::size_t r = 0; r < RowItems_.size(); ++r) {
    const float rowTop = Top_ + static_cast<float>(r) * h;
    const float rowBottom = rowTop + h;
    const platform::TRectF name{centre - nameWidth / 2.0f, rowTop, centre + nameWidth / 2.0f, rowBottom};
    const platform::TRectF leftBar{name.Left - g3 - length(1, r), rowTop, name.Left - g3, rowBottom};
    const platform::TRectF rightBar{name.Right + g3, rowTop, name.Right + g3 + length(3, r), rowBottom};
    Columns_[0][r].Bounds = {leftBar.Left - g3 - gp, rowTop, leftBar.Left - g3, rowBottom};
    Columns_[1][r].Bounds = leftBar;
    Columns_[2][r].Bounds = name;
    Columns_[3][r].Bounds = rightBar;
    Columns_[4][r].Bounds = {rightBar.Right + g3, rowTop, rightBar.Right + g3 + gp, rowBottom};
  }
}

void TPercentBarChart::Draw(platform::Canvas& canvas) const {
  if (Columns_.empty() || RowItems_.size() < 2) return;  // no items: nothing to draw
  const float size = widgets::TextSize();
  widgets::SetFont(canvas, size);
  const float x = canvas.TextWidth("X");

  for (std::size_t c : {std::size_t{1}, std::size_t{3}}) {
    const TTableCell& cell = Columns_[c][0];
    widgets::SetFont(canvas, size + 1.0f);
    widgets::SetFill(canvas, cell.FillColour);
    widgets::WriteText(canvas, cell.Bounds, cell.Text, cell.Alignment);
  }
  widgets::SetFont(canvas, size);

  // Consecutive bars of one colour in a column fade by 0.2 each, down to 0.2.
  std::array<TAlphaColor, 2> lastColour{};
  std::array<int, 2> run{-1, -1};
  for (std::size_t r = 1; r < RowItems_.size(); ++r) {
    if (RowItems_[r] < 0) continue;
    for (std::size_t side = 0; side < 2; ++side) {
      const TTableCell& bar = Columns_[side == 0 ? 1 : 3][r];
      if (bar.Value <= kSmallest) continue;
      run[side] = (run[side] >= 0 && lastColour[side] == bar.FillColour) ? run[side] + 1 : 0;
      lastColour[side] = bar.FillColour;
      const auto opacity = static_cast<float>(std::max(kLowestOpacity, 1.0 - kOpacityStep * run[side]));
      const platform::TRectF rect{bar.Bounds.Left, bar.Bounds.Top + 4.0f, bar.Bounds.Right, bar.Bounds.Bottom - 4.0f};
      widgets::SetLine(canvas, bar.FillColour);
      canvas.FillRect(rect, 2.0f, 2.0f, opacity);
      canvas.DrawRect(rect, 2.0f, 2.0f, opacity);
    }

    const TTableCell& name = Columns_[2][r];
    const bool noBars = Columns_[1][r].Bounds.Width() <= 0.0f && Columns_[3][r].Bounds.Width() <= 0.0f;
    widgets::SetFont(canvas, size, name.Bold != 0);
    widgets::SetFill(canvas, noBars ? kWidgetGridColour : name.Colour);
    widgets::WriteText(canvas, name.Bounds, name.Text, 0);

    const bool groupRow = RowItems_[r - 1] == kSeparatorRow;
    for (std::size_t c : {std::size_t{0}, std::size_t{4}}) {
      const TTableCell& cell = Columns_[c][r];
      if (cell.Value <= kSmallest) continue;
      const std::string text = widgets::PercentText(cell.Value);
      widgets::SetFont(canvas, size, cell.Bold != 0);
      widgets::SetFill(canvas, cell.Colour);
      const platform::TRectF& b = cell.Bounds;
      if (groupRow) {
        // In parentheses, the text ending at (left) or starting at (right) the cell's inner edge.
        widgets::WriteText(canvas, b, text, cell.Alignment);
        const float textWidth = canvas.TextWidth(text);
        const float textLeft = c == 0 ? b.Right - textWidth : b.Left;
        widgets::WriteText(canvas, {textLeft - x, b.Top, textLeft, b.Bottom}, "(", 0);
        widgets::WriteText(canvas, {textLeft + textWidth, b.Top, textLeft + textWidth + x, b.Bottom}, ")", 0);
      } else {
        // Over the bar, from its inner end next to the names.
        const platform::TRectF& bar = Columns_[c == 0 ? 1 : 3][r].Bounds;
        if (c == 0)
          widgets::WriteText(canvas, {bar.Left - 10.0f * x, b.Top, bar.Right, b.Bottom}, text, 2);
        else
          widgets::WriteText(canvas, {bar.Left, b.Top, bar.Right + 10.0f * x, b.Bottom}, text, 1);
      }
    }
  }
}
