#include "widgets/BulletListChart.h"

#include <algorithm>
#include <cmath>

void TBulletListChart::SetData(const std::vector<TLabelledSeries>& rows, const std::vector<TLegendItem>& labelList,
                               std::int32_t mode, bool fixedWidth) {
  Mode_ = mode;
  FixedWidth_ = fixedWidth;
  Entries_.clear();
  for (const TLabelledSeries& row : rows) {
    if (row.Series.empty()) continue;
    const double value = row.Series.front().Value;
    if (value == -1.0) continue;
    // A value that is no position in the label list has nothing to show.
    if (value < 0.0 || value != std::floor(value) || value >= static_cast<double>(labelList.size())) continue;
    const TLegendItem& label = labelList[static_cast<std::size_t>(value)];
    Entries_.push_back({label.Labels, {}, label.Colour});
  }
}

void TBulletListChart::PlaceEntries(float left, float top, float xxWidth, float xHeight) {
  for (std::size_t i = 0; i < Entries_.size(); ++i) {
    const float entryTop = top + (BoxHeight_ + xHeight) * static_cast<float>(i);
    Entries_[i].Bounds = {left, entryTop, left + BoxWidth_ + xxWidth, entryTop + BoxHeight_};
  }
}

void TBulletListChart::Layout(platform::Canvas& canvas, float x, float y, float width, float height) {
  if (Entries_.empty()) return;
  widgets::SetFont(canvas, widgets::TextSize());
  const bool twoLines =
      std::any_of(Entries_.begin(), Entries_.end(), [](const TLegendItem& e) { return e.Labels.size() == 2; });
  const float lineFactor = twoLines ? 3.5f : 2.5f;
  if (FixedWidth_) {
    BoxWidth_ = 18.0f * canvas.TextWidth("X");
  } else {
    float widest = 0.0f;
    for (const TLegendItem& entry : Entries_)
      for (const std::string& label : entry.Labels) widest = std::max(widest, canvas.TextWidth(label));
    BoxWidth_ = widest + 2.0f * canvas.TextWidth("XXX");
  }
  const float xHeight = canvas.TextHeight("X");
  const float xxWidth = canvas.TextWidth("XX");
  BoxHeight_ = lineFactor * xHeight;

  PlaceEntries(x, y, xxWidth, xHeight);
  TotalWidth_ = BoxWidth_ + xxWidth;
  TotalHeight_ = Entries_.back().Bounds.Bottom - y;
  Left_ = x + (width - TotalWidth_) * 0.5f;
  Top_ = y + (height - TotalHeight_) * 0.5f;
  PlaceEntries(Left_, Top_, xxWidth, xHeight);
  TrackBarAnchorX = Left_;
  Hovered_ = -1;
}

void TBulletListChart::DrawBox(platform::Canvas& canvas, const platform::TRectF& rect, TAlphaColor colour,
                               float opacity, TAlphaColor textColour, int verticalAlign, float fontSize,
                               const std::string& text) {
  canvas.Stroke = {platform::TBrushKind::None, colour, 1.0f, platform::TStrokeDash::Solid};
  widgets::SetFill(canvas, colour);
  canvas.FillRect(rect, 2.0f, 2.0f, opacity);
  widgets::SetFont(canvas, std::trunc(fontSize), true);
  widgets::SetFill(canvas, textColour);
  canvas.FillText(rect, text, false, 1.0f, platform::TTextAlign::Center, platform::TextAlignFromCode(verticalAlign));
}

void TBulletListChart::Draw(platform::Canvas& canvas, const std::string& title) {
  if (Entries_.empty()) return;
  const float textSize = widgets::TextSize();
  if (Mode_ == 1) {
    const platform::TRectF& first = Entries_.front().Bounds;
    const platform::TRectF& last = Entries_.back().Bounds;
    const float x = first.Right + 30.0f;
    const float shaftTop = first.Top - 32.0f;
    widgets::SetLine(canvas, claTitleColorPair[1]);
    canvas.DrawLine({last.Right + 30.0f, last.Bottom - 0.5f * BoxHeight_}, {x, shaftTop}, 1.0f);
    canvas.DrawLine({x - 8.0f, first.Top - 24.0f}, {x, shaftTop}, 1.0f);
    canvas.DrawLine({x + 8.0f, first.Top - 24.0f}, {x, shaftTop}, 1.0f);
    for (const TLegendItem& entry : Entries_) {
      const float middle = entry.Bounds.Top + 0.5f * BoxHeight_;
      canvas.FillEllipse({x - 5.0f, middle - 5.0f, x + 5.0f, middle + 5.0f}, 1.0f);
    }
    widgets::SetFont(canvas, textSize, true);
    const float titleWidth = canvas.TextWidth(title);
    const float bottom = first.Top - 10.0f;
    widgets::WriteText(canvas, {x - titleWidth, bottom - canvas.TextHeight(title), x + titleWidth, bottom}, title, 0);
  }

  widgets::SetFont(canvas, textSize);
  const float fontSize = canvas.Font.Size;
  for (const TLegendItem& entry : Entries_) {
    const platform::TRectF& box = entry.Bounds;
    if (entry.Labels.size() < 2) {
      DrawBox(canvas, box, entry.Colour, 1.0f, kWidgetOnFillColour, 0, fontSize,
              entry.Labels.empty() ? std::string() : entry.Labels[0]);
      continue;
    }
    // Two lines: the box, then each label over its band (its box repainted in the same colour).
    DrawBox(canvas, box, entry.Colour, 1.0f, kWidgetOnFillColour, 0, fontSize, std::string());
    DrawBox(canvas, {box.Left, box.Top + 0.25f * BoxHeight_, box.Right, box.Bottom - 0.5f * BoxHeight_}, entry.Colour,
            1.0f, kWidgetOnFillColour, 0, fontSize, entry.Labels[0]);
    DrawBox(canvas, {box.Left, box.Top + 0.5f * BoxHeight_, box.Right, box.Bottom - 0.25f * BoxHeight_}, entry.Colour,
            1.0f, kWidgetOnFillColour, 0, fontSize, entry.Labels[1]);
  }
}
