#include "widgets/WidgetCommon.h"

#include <numbers>

#include "common/CanvasTextHelpers.h"
#include "platform/DateTime.h"
#include "platform/Format.h"

const std::array<std::string, 12> strMonthShortNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

namespace widgets {

float ScreenSize(float large, float small) { return 1.0f > fScreenWidthRatio ? small : large; }
float TextSize() { return ScreenSize(16.0f, 15.0f); }
float NoDataSize() { return ScreenSize(52.0f, 50.0f); }
float PanelTitleSize() { return ScreenSize(21.0f, 20.0f); }

void SetFont(platform::Canvas& canvas, float size, bool bold) {
  canvas.Font = {kWidgetFontFamily, size, bold ? platform::fsBold : 0u};
}

void SetLine(platform::Canvas& canvas, TAlphaColor colour, float thickness) {
  canvas.Stroke = {platform::TBrushKind::Solid, colour, thickness, platform::TStrokeDash::Solid};
  canvas.Fill = {platform::TBrushKind::Solid, colour};
}

void SetFill(platform::Canvas& canvas, TAlphaColor colour) { canvas.Fill = {platform::TBrushKind::Solid, colour}; }

void WriteText(platform::Canvas& canvas, const platform::TRectF& rect, const std::string& text, int alignment) {
  canvas.FillText(rect, text, false, 1.0f, platform::TextAlignFromCode(alignment), platform::TTextAlign::Center);
}

std::string PercentText(double value) { return platform::FloatToStrF(value, platform::ffFixed, 8, 2) + " %"; }

std::string DateLabel(double date) {
  const platform::CivilDate civil = platform::DecodeDate(date);
  return strMonthShortNames[static_cast<std::size_t>(civil.Month - 1)] + " " + std::to_string(civil.Year);
}

float DateLabelRoom(platform::Canvas& canvas) { return canvas.TextWidth("mmm yyyy") * 0.707f; }

void DrawDateLabel(platform::Canvas& canvas, platform::TPointF anchor, double date) {
  DrawRotatedText(canvas, anchor, -std::numbers::pi_v<float> / 4.0f, DateLabel(date), 2, 1);
}

void DrawNoData(platform::Canvas& canvas, float paintWidth, float top, float bottom) {
  SetFont(canvas, NoDataSize(), true);
  SetFill(canvas, kWidgetTextColour);
  const float width = canvas.TextWidth("No Data");
  const float left = (paintWidth - width) / 2.0f;
  WriteText(canvas, {left, top, left + width, bottom}, "No Data", 0);
}

namespace {

void DrawHoverLabel(platform::Canvas& canvas, const TTextHitArea& area, float dx, float dy, TAlphaColor colour) {
  DrawTextBox(canvas, area.Bounds.Offset(dx, dy), claApplicationBkgColor, 1.0, colour, area.Alignment, platform::fsBold,
              area.Text);
}

}  // namespace

std::int32_t HighlightAt(platform::Canvas& canvas, const std::vector<TTextHitArea>& areas, std::int32_t hovered,
                         float x, float y, float dx, float dy) {
  SetFont(canvas, TextSize());
  if (areas.empty()) return -1;
  const platform::TPointF point{x, y};
  std::int32_t previous = -1;
  bool hit = false;
  for (std::size_t i = 0; i < areas.size(); ++i) {
    if (!areas[i].Bounds.Contains(point)) continue;
    hit = true;
    const auto index = static_cast<std::int32_t>(i);
    if (index == hovered) continue;
    DrawHoverLabel(canvas, areas[i], dx, dy, kWidgetHoverColour);
    if (hovered != -1) previous = hovered;
    hovered = index;
  }
  const auto valid = [&](std::int32_t index) { return index >= 0 && static_cast<std::size_t>(index) < areas.size(); };
  if (hit && valid(previous)) {
    DrawHoverLabel(canvas, areas[static_cast<std::size_t>(previous)], dx, dy, kWidgetTextColour);
  } else if (!hit && hovered != -1) {
    if (valid(hovered)) DrawHoverLabel(canvas, areas[static_cast<std::size_t>(hovered)], dx, dy, kWidgetTextColour);
    hovered = -1;
  }
  return hovered;
}

std::string HintAt(const std::vector<TTextHitArea>& areas, float x, float y) {
  for (const TTextHitArea& area : areas)
    if (area.Bounds.Contains({x, y})) return area.Text;
  return {};
}

}  // namespace widgets
