#include "widgets/RegimePanel.h"

#include <algorithm>
#include <cmath>

#include "common/CountryHelpers.h"

namespace {

constexpr std::size_t kChoiceCells = 6;
constexpr TAlphaColor kPanelBackground = 0xFFFDFDFD;

// Row height: TextHeight("X") x 1.4 x fScreenHeightRatio.
float RowHeight(platform::Canvas& canvas) { return canvas.TextHeight("X") * 1.4f * fScreenHeightRatio; }

TTableCell PanelCell(TAlphaColor fill) {
  TTableCell cell;
  cell.FillColour = fill;
  cell.Colour = kWidgetTextColour;
  cell.Alignment = 0;
  cell.Bold = 0;
  return cell;
}

TAlphaColor ColourAt(const std::vector<TAlphaColor>& colours, std::size_t i) {
  return i < colours.size() ? colours[i] : kWidgetTextColour;
}

int WholeSize(float size) { return static_cast<int>(std::lround(size)); }

}  // namespace

void TRegimePanel::SetChoiceData(const std::vector<std::string>& texts, const std::vector<TAlphaColor>& colours,
                                 const std::string& title1, const std::string& title2, const std::string& title3,
                                 bool currencyFlag) {
  Kind_ = kChoicePanel;
  CurrencyFlag_ = currencyFlag;
  Rows_.clear();
  Rows_.emplace_back(kChoiceCells, PanelCell(ColourAt(colours, 0)));
  Rows_.emplace_back(kChoiceCells, PanelCell(ColourAt(colours, 1)));
  Title1_ = title1;
  Title2_ = title2;
  Title3_ = title3;
  FillCells(texts, colours);
}

void TRegimePanel::SetData(const std::vector<std::string>& texts, const std::vector<TAlphaColor>& colours,
                           const std::string& title, double value) {
  Kind_ = kIndicatorPanel;
  Rows_.clear();
  Rows_.push_back({PanelCell(ColourAt(colours, 0)), PanelCell(ColourAt(colours, 1))});
  Value_ = value;
  Title1_ = title;
  FillCells(texts, colours);
}

void TRegimePanel::FillCells(const std::vector<std::string>& texts, const std::vector<TAlphaColor>& colours) {
  // One running index over the rows' cells; cells past the given lists stay empty.
  std::size_t i = 0;
  for (auto& row : Rows_) {
    for (TTableCell& cell : row) {
      if (i < texts.size()) cell.Text = texts[i];
      if (i < colours.size()) cell.FillColour = colours[i];
      ++i;
    }
  }
}

void TRegimePanel::Layout(platform::Canvas& canvas, float left, float top, float width, float height) {
  if (Rows_.empty()) return;
  widgets::SetFont(canvas, widgets::TextSize(), true);
  const float h = RowHeight(canvas);
  const float x = canvas.TextWidth("X");
  Left_ = left;
  Width_ = width;
  if (Kind_ == kIndicatorPanel) {
    Top_ = top;
    Height_ = 2.0f * h;
    const float box = 8.0f * x;
    Rows_[0][0].Bounds = {left, top, left + box, top + 1.2f * h};
    if (Rows_[0].size() > 1) Rows_[0][1].Bounds = {left + width - box, top, left + width, top + 1.2f * h};
    return;
  }

  // Choice panel: 5h high at the bottom of the area; each row's boxes spread
  // with equal gaps (width - sum of box widths) / (n + 1) before, between and
  // after them.
  Top_ = top + height - 5.0f * h;
  Height_ = 5.0f * h;
  RowFontSizes_.assign(Rows_.size(), widgets::TextSize());
  float rowTop = Top_ + h;
  for (std::size_t r = 0; r < Rows_.size(); ++r) {
    auto& row = Rows_[r];
    const float boxHeight = (CurrencyFlag_ && r == 1) ? 2.0f * h : 1.2f * h;
    const std::vector<float> boxWidths = FitBoxes(canvas, r, width, 0.5f * x);
    float used = 0.0f;
    for (float boxWidth : boxWidths) used += boxWidth;
    const float gap = (width - used) / static_cast<float>(boxWidths.size() + 1);
    float boxLeft = std::trunc(left) + gap;
    std::size_t box = 0;
    for (TTableCell& cell : row) {
      if (cell.Text.empty()) {
        cell.Bounds = {};
        continue;
      }
      const float boxWidth = boxWidths[box++];
      cell.Bounds = {boxLeft, rowTop, boxLeft + boxWidth, rowTop + boxHeight};
      boxLeft += boxWidth + gap;
    }
    const bool tallNext = CurrencyFlag_ && r == 0;
    rowTop += boxHeight + (tallNext ? 0.5f * h : h);
  }
  widgets::SetFont(canvas, widgets::TextSize(), true);
}

float TRegimePanel::BoxTextWidth(platform::Canvas& canvas, const TTableCell& cell) const {
  const std::string currency = CurrencyFlag_ ? GetCountryCurrency(cell.Text) : std::string();
  const float name = canvas.TextWidth(cell.Text);
  return currency.empty() ? name : std::max(name, canvas.TextWidth("(" + currency + ")"));
}

std::vector<float> TRegimePanel::FitBoxes(platform::Canvas& canvas, std::size_t r, float width, float minimumGap) {
  const auto& row = Rows_[r];
  const auto n =
      static_cast<float>(std::count_if(row.begin(), row.end(), [](const TTableCell& c) { return !c.Text.empty(); }));
  const float room = width - (n + 1.0f) * minimumGap;
  // Equal boxes, each as wide as the widest text and one "X".
  widgets::SetFont(canvas, RowFontSizes_[r], true);
  float widest = 0.0f;
  for (const TTableCell& cell : row) widest = std::max(widest, BoxTextWidth(canvas, cell));
  const float equal = widest + canvas.TextWidth("X");
  std::vector<float> widths;
  if (n * equal <= room) {
    widths.assign(static_cast<std::size_t>(n), equal);
    return widths;
  }
  // Too narrow for equal boxes: each box as wide as its own text and one
  // "X", the type one size smaller until the row fits.
  for (float size = RowFontSizes_[r]; size >= kSmallestBoxFontSize; size -= 1.0f) {
    RowFontSizes_[r] = size;
    widgets::SetFont(canvas, size, true);
    const float pad = canvas.TextWidth("X");
    widths.clear();
    float used = 0.0f;
    for (const TTableCell& cell : row) {
      if (cell.Text.empty()) continue;
      widths.push_back(BoxTextWidth(canvas, cell) + pad);
      used += widths.back();
    }
    if (used <= room) break;
  }
  return widths;
}

void TRegimePanel::DrawBox(platform::Canvas& canvas, const platform::TRectF& rect, TAlphaColor fillColour,
                           float opacity, TAlphaColor textColour, int horizontalAlign, int verticalAlign, int fontSize,
                           platform::TFontStyles fontStyle, const std::string& text) {
  canvas.Stroke.Dash = platform::TStrokeDash::Solid;
  canvas.Stroke.Kind = platform::TBrushKind::None;
  canvas.Stroke.Thickness = 1.0f;
  widgets::SetFill(canvas, fillColour);
  canvas.FillRect(rect, 2.0f, 2.0f, opacity);
  canvas.Font = {kWidgetFontFamily, static_cast<float>(fontSize), fontStyle};
  widgets::SetFill(canvas, textColour);
  canvas.FillText(rect, text, false, 1.0f, platform::TextAlignFromCode(horizontalAlign),
                  platform::TextAlignFromCode(verticalAlign));
}

void TRegimePanel::Draw(platform::Canvas& canvas) const {
  if (Rows_.empty()) return;
  if (Kind_ == kIndicatorPanel)
    DrawIndicator(canvas);
  else
    DrawChoice(canvas);
}

void TRegimePanel::DrawChoice(platform::Canvas& canvas) const {
  widgets::SetFont(canvas, widgets::TextSize(), true);
  const float x = canvas.TextWidth("X");
  const float textHeight = canvas.TextHeight("X");
  const float bestWidth = canvas.TextWidth("Best") + canvas.TextWidth("XX");
  const int size = WholeSize(widgets::TextSize());
  const float right = Left_ + Width_;
  for (std::size_t r = 0; r < Rows_.size() && r < 2; ++r) {
    const TAlphaColor colour = r == 0 ? claTitleColorPair[1] : claTabColorSets[0];
    widgets::SetLine(canvas, colour);
    const platform::TRectF first = Rows_[r][0].Bounds;
    const float y = first.Top + first.Height() / 2.0f;
    if (y != 0.0f) {
      canvas.DrawLine({Left_, y}, {right, y}, 1.0f);
      canvas.DrawLine({Left_, y - 8.0f}, {Left_, y + 8.0f}, 1.0f);
      canvas.DrawLine({right - 8.0f, y - 8.0f}, {right, y}, 1.0f);
      canvas.DrawLine({right - 8.0f, y + 8.0f}, {right, y}, 1.0f);
    }
    DrawBox(canvas, {right + x, first.Top - 2.0f, right + x + bestWidth, first.Bottom - 2.0f}, kPanelBackground, 1.0f,
            colour, 1, 0, size, platform::fsBold, "Best");
    DrawBox(canvas, {Left_ - 23.0f * x, first.Top - 2.0f, Left_, first.Bottom - 2.0f}, kPanelBackground, 1.0f,
            claReferenceGraphicColor_1, 1, 0, size, r == 0 ? platform::fsBold : 0u, r == 0 ? Title1_ : Title2_);
  }
  DrawBox(canvas, {Left_, Top_ - 2.0f * textHeight, right, Top_ - textHeight}, kPanelBackground, 1.0f,
          claReferenceGraphicColor_1, 0, 0, WholeSize(widgets::PanelTitleSize()), platform::fsBold, Title3_);
  widgets::SetFont(canvas, widgets::TextSize(), true);

  for (std::size_t r = 0; r < Rows_.size(); ++r) {
    // The row's type size: smaller where its boxes would not fit otherwise.
    const int boxSize = r < RowFontSizes_.size() ? WholeSize(RowFontSizes_[r]) : size;
    widgets::SetFont(canvas, static_cast<float>(boxSize), true);
    for (const TTableCell& cell : Rows_[r]) {
      if (cell.Text.empty()) continue;
      const std::string currency = CurrencyFlag_ ? GetCountryCurrency(cell.Text) : std::string();
      if (currency.empty()) {
        DrawBox(canvas, cell.Bounds, cell.FillColour, 1.0f, kWidgetOnFillColour, 0, 0, boxSize, platform::fsBold,
                cell.Text);
        continue;
      }
      // Two lines: the name above the middle, "(currency)" below it.
      DrawBox(canvas, cell.Bounds, cell.FillColour, 1.0f, kWidgetOnFillColour, 0, 0, boxSize, platform::fsBold, "");
      const float middle = cell.Bounds.Top + cell.Bounds.Height() / 2.0f;
      widgets::SetFill(canvas, kWidgetOnFillColour);
      canvas.FillText({cell.Bounds.Left, cell.Bounds.Top, cell.Bounds.Right, middle}, cell.Text, false, 1.0f,
                      platform::TTextAlign::Center, platform::TTextAlign::Trailing);
      canvas.FillText({cell.Bounds.Left, middle, cell.Bounds.Right, cell.Bounds.Bottom}, "(" + currency + ")", false,
                      1.0f, platform::TTextAlign::Center, platform::TTextAlign::Leading);
    }
  }
}

void TRegimePanel::DrawIndicator(platform::Canvas& canvas) const {
  if (Rows_[0].size() < 2) return;
  const TTableCell& leftBox = Rows_[0][0];
  const TTableCell& rightBox = Rows_[0][1];
  const TAlphaColor colour = leftBox.FillColour;
  widgets::SetFont(canvas, widgets::TextSize(), true);
  const float x = canvas.TextWidth("X");
  const int size = WholeSize(widgets::TextSize());
  const platform::TRectF l = leftBox.Bounds;
  const platform::TRectF r = rightBox.Bounds;
  const float y = l.Top + l.Height() / 2.0f;

  widgets::SetLine(canvas, colour);
  canvas.DrawLine({Left_, y}, {Left_ + Width_, y}, 1.0f);
  DrawBox(canvas, {Left_ - 23.0f * x, l.Top - 2.0f, Left_, l.Bottom - 2.0f}, kPanelBackground, 1.0f, colour, 1, 0, size,
          0u, Title1_);
  DrawBox(canvas, {l.Left - 1.0f, l.Top - 2.0f, l.Right + 1.0f, l.Bottom - 2.0f}, leftBox.FillColour, 1.0f,
          kWidgetOnFillColour, leftBox.Alignment, 0, size, platform::fsBold, leftBox.Text);
  DrawBox(canvas, {r.Left, r.Top - 2.0f, r.Right + 1.0f, r.Bottom - 2.0f}, rightBox.FillColour, 1.0f,
          kWidgetOnFillColour, rightBox.Alignment, 0, size, platform::fsBold, rightBox.Text);

  // Dot: x = left box right + 16 + value x (width - 2 box - 32), radius 7.
  const double span = static_cast<double>(Width_) - 2.0 * static_cast<double>(l.Width()) - 32.0;
  const auto dotX = static_cast<float>(static_cast<double>(l.Right) + 16.0 + Value_ * span);
  widgets::SetLine(canvas, colour);
  canvas.FillEllipse({dotX - 7.0f, y - 7.0f, dotX + 7.0f, y + 7.0f}, 1.0f);
}
