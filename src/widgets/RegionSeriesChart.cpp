#include "widgets/RegionSeriesChart.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/CanvasTextHelpers.h"

namespace {

constexpr const char* kTitle = "(Month End)";
constexpr const char* kBestLabel = "Best";
constexpr std::int32_t kMaxLegendCells = 19;

// Position of a region name in strRegionNameList; -1 when it names none.
int RegionIndex(const std::string& name) {
  for (std::size_t i = 0; i < strRegionNameList.size(); ++i)
    if (strRegionNameList[i] == name) return static_cast<int>(i);
  return -1;
}

const std::string& LabelAt(const TLabelledSeries& row, std::size_t index) {
  static const std::string kEmpty;
  return index < row.Labels.size() ? row.Labels[index] : kEmpty;
}

// Legend box width: the smallest multiple of the cell width (at most 19
// cells) not narrower than the widest legend text, in the bold font.
float LegendBoxWidth(platform::Canvas& canvas, const std::vector<TLegendItem>& legend, float cellWidth) {
  float widest = 0.0f;
  for (const TLegendItem& item : legend)
    for (const std::string& label : item.Labels) widest = std::max(widest, canvas.TextWidth(label));
  for (std::int32_t cells = 1; cells <= kMaxLegendCells; ++cells)
    if (static_cast<float>(cells) * cellWidth >= widest) return static_cast<float>(cells) * cellWidth;
  return static_cast<float>(kMaxLegendCells) * cellWidth;
}

}  // namespace

void TRegionSeriesChart::SetData(const std::vector<TLabelledSeries>& series, std::int32_t visibleColumns,
                                 std::int32_t visibleRows, std::int32_t mode) {
  Mode_ = mode;
  Series_ = series;
  VisibleColumns_ = std::max(visibleColumns, 0);
  VisibleRows_ = std::max(visibleRows, 0);
  Legend_.clear();
  HitAreas_.clear();
  DateAxis_ = {};
  TextColumns_.clear();
  if (!Series_.empty()) TextColumns_.resize(Series_.front().Labels.size());
  PointCount_ = Series_.empty() ? 0 : static_cast<std::int32_t>(Series_.front().Series.size());
  LastVisibleColumn_ = PointCount_ - 1;
  SeriesCount_ = static_cast<std::int32_t>(Series_.size());
  FirstVisibleRow_ = 0;
}

void TRegionSeriesChart::SetSeries(const std::vector<TLabelledSeries>& series) {
  Series_ = series;
  // A smaller group must not leave the window pointing past its rows.
  SeriesCount_ = static_cast<std::int32_t>(Series_.size());
  SetScrollPosition(FirstVisibleRow_);
}

void TRegionSeriesChart::SetLastVisibleColumn(std::int32_t column) {
  if (PointCount_ <= 0) {
    LastVisibleColumn_ = -1;
    return;
  }
  // Not below visible columns - 1, so that the first drawn column is not below 0.
  const std::int32_t lowest = std::min(VisibleColumns_ - 1, PointCount_ - 1);
  LastVisibleColumn_ = std::clamp(column, std::max(lowest, 0), PointCount_ - 1);
}

void TRegionSeriesChart::SetScrollPosition(std::int32_t row) {
  FirstVisibleRow_ = std::clamp(row, 0, std::max(SeriesCount_ - VisibleRows_, 0));
}

std::int32_t TRegionSeriesChart::FirstColumn(bool& atLast) const {
  atLast = LastVisibleColumn_ == PointCount_ - 1;
  const std::int32_t first = LastVisibleColumn_ - VisibleColumns_ + 1 + (atLast ? 1 : 0);
  return std::clamp(first, 0, std::max(LastVisibleColumn_, 0));
}

std::int32_t TRegionSeriesChart::DrawnRows() const {
  return std::clamp(SeriesCount_ - FirstVisibleRow_, 0, VisibleRows_);
}

void TRegionSeriesChart::Layout(platform::Canvas& canvas, float x, float y, float width, float height) {
  const float textSize = widgets::TextSize();
  widgets::SetFont(canvas, textSize);
  const float axisHeight = widgets::DateLabelRoom(canvas);

  // Text columns as wide as their widest label plus one "X"; mode 0 uses gauges.
  widgets::SetFont(canvas, textSize, true);
  for (TBox& column : TextColumns_) column = {};
  for (const TLabelledSeries& row : Series_) {
    for (std::size_t j = 0; j < TextColumns_.size() && j < row.Labels.size(); ++j)
      if (canvas.TextWidth(row.Labels[j]) > TextColumns_[j].Width)
        TextColumns_[j].Width = canvas.TextWidth(row.Labels[j] + "X");
  }
  if (Mode_ == 0) {
    if (!TextColumns_.empty()) TextColumns_[0].Width = canvas.TextWidth("United Kingdom");
    if (TextColumns_.size() > 1) TextColumns_[1].Width = canvas.TextWidth("Commodity Exporters");
  }

  const float xWidth = canvas.TextWidth("X");
  const float xHeight = canvas.TextHeight("X");
  RowHeight_ = xHeight * 1.4f * fScreenHeightRatio;
  CellWidth_ = RowHeight_ * fScreenHeightRatio;
  GridWidth_ = static_cast<float>(VisibleColumns_) * CellWidth_;
  GridHeight_ = static_cast<float>(VisibleRows_) * RowHeight_;

  // Centre the grid and the date axis; the text columns hang on the right.
  const float dy = (height - std::floor(GridHeight_ + axisHeight + xHeight)) * 0.5f;
  const float dx = (width - std::floor(GridWidth_)) * 0.5f;
  GridLeft_ = x + dx;
  GridTop_ = y + axisHeight + xHeight + dy;
  DateAxis_ = {x + dx, y + dy, GridWidth_, axisHeight};
  float left = GridLeft_ + GridWidth_ + 2.0f * xWidth;
  for (TBox& column : TextColumns_) {
    column.Left = left;
    column.Top = GridTop_;
    column.Height = GridHeight_;
    left += column.Width + 2.0f * xWidth;
  }
  const float regionWidth = TextColumns_.size() > 1 ? TextColumns_[1].Width : 0.0f;
  TrackBarAnchorX = GridLeft_ - regionWidth - 3.0f * xWidth;
  Hovered_ = -1;

  // Extent: title and region boxes on the left; text columns, rotated
  // labels, "Best" marker and legend on the right and below.
  const float titleWidth = canvas.TextWidth(kTitle);
  float extentLeft = GridLeft_ - titleWidth;
  if (TextColumns_.size() > 1) extentLeft = std::min(extentLeft, GridLeft_ - regionWidth - xWidth - 5.0f);
  float extentRight = std::max(left - 2.0f * xWidth, GridLeft_ + GridWidth_ + axisHeight);
  if (!Series_.empty() && LabelAt(Series_.front(), 0) == kBestLabel)
    extentRight = std::max(extentRight, GridLeft_ + GridWidth_ + 30.0f + 2.0f * canvas.TextWidth(kBestLabel));
  float extentBottom = GridTop_ + GridHeight_;
  if (!Legend_.empty()) {
    const float boxWidth = LegendBoxWidth(canvas, Legend_, CellWidth_);
    const float pitch = 3.0f * CellWidth_ + boxWidth;
    const auto perRow = static_cast<float>(std::min<std::size_t>(Legend_.size(), 3));
    const auto legendRows = static_cast<float>((Legend_.size() + 2) / 3);
    extentRight = std::max(extentRight, GridLeft_ + (perRow - 1.0f) * pitch + 2.0f * CellWidth_ + boxWidth);
    extentBottom = GridTop_ + (static_cast<float>(VisibleRows_) + 1.0f) * RowHeight_ +
                   (legendRows - 1.0f) * 1.5f * RowHeight_ + RowHeight_;
  }
  Extent_ = {extentLeft, DateAxis_.Top, extentRight - extentLeft, extentBottom - DateAxis_.Top, 0.0f, 0.0f};
}

TAlphaColor TRegionSeriesChart::DotColour(double value, float selectedValue) const {
  const auto legendColour = [&](double index) -> TAlphaColor {
    // A value that is no position in the legend is drawn grey.
    if (index < 0.0 || index != std::floor(index) || index >= static_cast<double>(Legend_.size()))
      return kWidgetGridColour;
    return Legend_[static_cast<std::size_t>(index)].Colour;
  };
  if (Mode_ == 0 && value == -1.0) return kWidgetGridColour;
  if (Mode_ == 2) {
    if (selectedValue <= 0.0f) return value == -1.0 ? kWidgetGridColour : legendColour(value);
    return value == static_cast<double>(selectedValue) ? legendColour(0.0) : kWidgetGridColour;
  }
  if (!Legend_.empty()) {
    if (value == 1.0) return legendColour(1.0);
    if (value == 0.0) return legendColour(0.0);
    return kWidgetGridColour;
  }
  if (selectedValue == kTwoStateSelection) {
    if (value > 0.0) return claGraphicPalette[1];
    if (value == 0.0) return claGraphicPalette[0];
    return kWidgetGridColour;
  }
  if (selectedValue <= 0.0f) {
    if (value == 0.0 || value == 4.0 || value == 5.0) return claGraphicPalette[0];
    if (value == 1.0 || value == 2.0) return claGraphicPalette[1];
    if (value == 3.0) return claGraphicPalette[2];
    if (value == -2.0) return kWidgetGridColour;
    return 0;  // fully transparent
  }
  if (value == static_cast<double>(selectedValue)) return claGraphicPalette[1];
  if (value == -1.0) return kWidgetGridColour;
  return claGraphicPalette[0];
}

void TRegionSeriesChart::DrawRowTexts(platform::Canvas& canvas, std::int32_t row, std::int32_t slotRow,
                                      bool regionChange) {
  const TLabelledSeries& series = Series_[static_cast<std::size_t>(row)];
  const bool bold = Mode_ != 0 || regionChange;
  widgets::SetFont(canvas, widgets::TextSize(), bold);
  const TBox& names = TextColumns_[0];
  const float top = names.Top + static_cast<float>(slotRow) * RowHeight_;
  const platform::TRectF nameRect{names.Left, top, names.Left + names.Width, top + RowHeight_};
  const std::string& name = LabelAt(series, 0);
  if (LabelAt(Series_.front(), 0) != kBestLabel) {
    widgets::SetFill(canvas, series.Selected ? kWidgetTextColour : kWidgetGridColour);
    widgets::WriteText(canvas, nameRect, name, 1);
  }
  HitAreas_.push_back({name, nameRect, bold});

  if (TextColumns_.size() < 2 || !regionChange) return;
  const int region = RegionIndex(LabelAt(series, 1));
  if (region < 0) return;
  const float xWidth = canvas.TextWidth("X");
  const platform::TRectF regionRect{GridLeft_ - TextColumns_[1].Width - xWidth, nameRect.Top, GridLeft_ - xWidth,
                                    nameRect.Bottom};
  widgets::SetLine(canvas, claRegionColors[static_cast<std::size_t>(region)]);
  canvas.FillRect({regionRect.Left - 5.0f, regionRect.Top + 3.0f, regionRect.Right + xWidth, regionRect.Bottom + 1.0f},
                  2.0f, 2.0f, 1.0f);
  widgets::SetFill(canvas, kWidgetOnFillColour);
  widgets::WriteText(canvas, regionRect, LabelAt(series, 1), 1);
}

void TRegionSeriesChart::DrawBestMarker(platform::Canvas& canvas, std::int32_t lastSlot, std::int32_t rows) {
  const float x = GridLeft_ + CellWidth_ * static_cast<float>(lastSlot + 1) + 30.0f;
  const float firstMiddle = GridTop_ + 0.5f * RowHeight_;
  const float lastMiddle = GridTop_ + (static_cast<float>(rows) - 0.5f) * RowHeight_;
  const float shaftTop = firstMiddle - RowHeight_;
  const float wings = firstMiddle - 24.0f;
  widgets::SetLine(canvas, claTitleColorPair[1]);
  canvas.DrawLine({x, lastMiddle}, {x, shaftTop}, 1.0f);
  canvas.DrawLine({x - 8.0f, wings}, {x, shaftTop}, 1.0f);
  canvas.DrawLine({x + 8.0f, wings}, {x, shaftTop}, 1.0f);
  for (std::int32_t q = 0; q < rows; ++q) {
    const float middle = firstMiddle + static_cast<float>(q) * RowHeight_;
    canvas.FillEllipse({x - 4.0f, middle - 4.0f, x + 4.0f, middle + 4.0f}, 1.0f);
  }
  widgets::SetFont(canvas, widgets::TextSize(), true);
  const std::string& label = LabelAt(Series_.front(), 0);
  const float bottom = wings - 10.0f;
  widgets::WriteText(
      canvas,
      {x - 0.5f * canvas.TextWidth("B"), bottom - canvas.TextHeight(label), x + 2.0f * canvas.TextWidth(label), bottom},
      label, 1);
}

void TRegionSeriesChart::DrawLegend(platform::Canvas& canvas, std::int32_t rows) {
  widgets::SetFont(canvas, widgets::TextSize(), true);
  const float boxWidth = LegendBoxWidth(canvas, Legend_, CellWidth_);
  const float pitch = 3.0f * CellWidth_ + boxWidth;
  for (std::size_t i = 0; i < Legend_.size(); ++i) {
    TLegendItem& item = Legend_[i];
    const float x = static_cast<float>(i % 3) * pitch;
    const float y = (static_cast<float>(rows) + 1.0f) * RowHeight_ + static_cast<float>(i / 3) * 1.5f * RowHeight_;
    canvas.Stroke.Kind = platform::TBrushKind::None;
    widgets::SetFill(canvas, item.Colour);
    canvas.FillEllipse({GridLeft_ + x + 3.0f, GridTop_ + y + 3.0f, GridLeft_ + x + CellWidth_ - 2.0f,
                        GridTop_ + y + RowHeight_ - 2.0f},
                       1.0f);
    item.Bounds = {GridLeft_ + x + 1.0f + 1.5f * CellWidth_, GridTop_ + y + 1.0f,
                   GridLeft_ + x + 2.0f * CellWidth_ + boxWidth, GridTop_ + y + RowHeight_};
    DrawTextBox(canvas, item.Bounds, claApplicationBkgColor, 1.0, kWidgetTextColour, 1, canvas.Font.Style,
                item.Labels.empty() ? std::string() : item.Labels[0]);
  }
}

void TRegionSeriesChart::Draw(platform::Canvas& canvas, float selectedValue) {
  HitAreas_.clear();
  if (Series_.empty() || PointCount_ <= 0 || TextColumns_.empty()) return;
  LastVisibleColumn_ = std::clamp(LastVisibleColumn_, 0, PointCount_ - 1);
  bool atLast = false;
  const std::int32_t first = FirstColumn(atLast);
  const std::int32_t last = LastVisibleColumn_;
  const std::int32_t rows = DrawnRows();
  const float textSize = widgets::TextSize();
  std::int32_t lastSlot = 0;

  for (std::int32_t c = first; c <= last; ++c) {
    const bool newest = c == PointCount_ - 1;
    // The newest month stands apart after one empty slot.
    const std::int32_t slot = c - first + (newest ? 1 : 0);
    lastSlot = slot;
    // The first row's dates are the columns (after SetSeries it may be shorter).
    const TSeries& dates = Series_.front().Series;

    // Month label on every second column and always on the newest one.
    widgets::SetFont(canvas, textSize, newest);
    widgets::SetFill(canvas, kWidgetTextColour);
    if (((c - first) % 2 == 0 || newest) && static_cast<std::size_t>(c) < dates.size()) {
      const double date = dates[static_cast<std::size_t>(c)].Date;
      DrawRotatedText(canvas,
                      {DateAxis_.Left + CellWidth_ * static_cast<float>(slot) + CellWidth_ * 0.5f,
                       DateAxis_.Top + DateAxis_.Height},
                      -std::numbers::pi_v<float> / 4.0f, widgets::DateLabel(date), 1, 0);
    }
    if (c == first) {
      widgets::SetFont(canvas, textSize, true);
      const float titleWidth = canvas.TextWidth(kTitle);
      const float titleHeight = canvas.TextHeight(kTitle);
      widgets::SetFont(canvas, textSize);
      const float gauge = canvas.TextWidth("mmm yyyy");
      widgets::SetFont(canvas, textSize, true);
      const float x = GridLeft_ - titleWidth;
      const float y = DateAxis_.Top + DateAxis_.Height - 0.707f * 0.5f * gauge;
      widgets::WriteText(canvas, {x, y, x + titleWidth, y + titleHeight}, kTitle, 1);
      // The 16-unit shift control stands left of the title, 4 apart, centred on its line:
      // (x - 16 - 4, y + (title height - 16) / 2), so it never covers the title.
      TitlePoint_ = {x - kTitleControlSize - 4.0f, y + (titleHeight - kTitleControlSize) * 0.5f};
    }

    const std::string* previousRegion = nullptr;
    for (std::int32_t q = 0; q < rows; ++q) {
      const std::int32_t r = FirstVisibleRow_ + q;
      const TLabelledSeries& row = Series_[static_cast<std::size_t>(r)];
      const std::string& region = LabelAt(row, 1);
      const bool regionChange = Mode_ == 0 && (previousRegion == nullptr || *previousRegion != region);
      previousRegion = &region;

      if (c == first) {
        DrawRowTexts(canvas, r, q, regionChange);
        // Mode 0: a bar in the region colour joins the rows of one region; it is drawn
        // once per row (repainting it on every second column would change nothing).
        const int regionIndex = RegionIndex(region);
        if (Mode_ == 0 && regionIndex >= 0) {
          const float top = GridTop_ + static_cast<float>(q) * RowHeight_;
          const float bottom = top + RowHeight_ - (q == rows - 1 ? 3.0f : 0.0f);
          const float x = TextColumns_[0].Left - 5.0f;
          widgets::SetLine(canvas, claRegionColors[static_cast<std::size_t>(regionIndex)]);
          canvas.DrawLine({x, top + (regionChange ? 4.0f : 0.0f)}, {x, bottom}, 1.0f);
        }
      }

      // Rows shorter than the first have no dot where their points end.
      if (static_cast<std::size_t>(c) >= row.Series.size()) continue;
      const double value = row.Series[static_cast<std::size_t>(c)].Value;
      const TAlphaColor colour = DotColour(value, selectedValue);
      if (colour == 0) continue;
      canvas.Stroke.Kind = platform::TBrushKind::None;
      widgets::SetFill(canvas, colour);
      canvas.FillEllipse({GridLeft_ + CellWidth_ * static_cast<float>(slot) + 3.0f,
                          GridTop_ + RowHeight_ * static_cast<float>(q) + 3.0f,
                          GridLeft_ + CellWidth_ * static_cast<float>(slot + 1) - 2.0f,
                          GridTop_ + RowHeight_ * static_cast<float>(q + 1) - 2.0f},
                         value == -1.0 ? 0.2f : 1.0f);
    }
  }
  if (rows > 0 && LabelAt(Series_.front(), 0) == kBestLabel) DrawBestMarker(canvas, lastSlot, rows);
  if (!Legend_.empty()) DrawLegend(canvas, VisibleRows_);
}

void TRegionSeriesChart::HighlightAt(platform::Canvas& canvas, float x, float y, float offsetX, float offsetY) {
  widgets::SetFont(canvas, widgets::TextSize());
  const auto redraw = [&](std::int32_t index, TAlphaColor colour) {
    const TRegionHitArea& area = HitAreas_[static_cast<std::size_t>(index)];
    DrawTextBox(canvas, area.Bounds.Offset(offsetX, offsetY), claApplicationBkgColor, 1.0, colour, 1,
                area.Bold ? platform::fsBold : 0u, area.Text);
  };
  std::int32_t remembered = -1;
  bool hit = false;
  for (std::size_t i = 0; i < HitAreas_.size(); ++i) {
    if (!HitAreas_[i].Bounds.Contains({x, y})) continue;
    hit = true;
    const auto index = static_cast<std::int32_t>(i);
    if (index == Hovered_) continue;
    redraw(index, kWidgetHoverColour);
    if (Hovered_ != -1) remembered = Hovered_;
    Hovered_ = index;
  }
  if (!hit && Hovered_ != -1) {
    remembered = Hovered_;
    Hovered_ = -1;
  }
  if (remembered >= 0 && static_cast<std::size_t>(remembered) < HitAreas_.size()) redraw(remembered, kWidgetTextColour);
}

std::string TRegionSeriesChart::GetPointHintAt(float x, float y) const {
  for (const TRegionHitArea& area : HitAreas_)
    if (area.Bounds.Contains({x, y})) return area.Text;
  return {};
}

std::string TRegionSeriesChart::GetSeriesHintAt(float x, float y) const {
  for (const TLegendItem& item : Legend_)
    if (item.Bounds.Contains({x, y})) return item.Labels.empty() ? std::string() : item.Labels[0];
  return {};
}
