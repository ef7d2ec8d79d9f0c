#include "common/CanvasTextHelpers.h"

#include "common/Globals.h"

namespace {

// Offset of a text box of length `size` from its anchor: centre -size/2,
// leading 0, trailing -size.
float AlignedOffset(int code, float size) {
  switch (platform::TextAlignFromCode(code)) {
    case platform::TTextAlign::Leading:
      return 0.0f;
    case platform::TTextAlign::Trailing:
      return -size;
    case platform::TTextAlign::Center:
    default:
      return -size / 2.0f;
  }
}

}  // namespace

void DrawRotatedText(platform::Canvas& canvas, platform::TPointF anchor, float angle, const std::string& text,
                     int horizontalAlign, int verticalAlign) {
  const float w = canvas.TextWidth(text);
  const float h = canvas.TextHeight(text);
  const float dx = AlignedOffset(horizontalAlign, w);
  const float dy = AlignedOffset(verticalAlign, h);
  const platform::TRectF box{dx, dy, dx + w, dy + h};

  const platform::TMatrix saved = canvas.GetMatrix();
  platform::TMatrix rotation = platform::TMatrix::CreateRotation(angle);
  rotation.M31 = anchor.X;
  rotation.M32 = anchor.Y;
  // The text frame maps into the caller's frame first, then through the
  // canvas matrix to the surface.
  canvas.SetMatrix(rotation * saved);
  canvas.FillText(box, text, false, 1.0f, platform::TextAlignFromCode(horizontalAlign),
                  platform::TextAlignFromCode(verticalAlign));
  canvas.SetMatrix(saved);
}

void DrawTextBox(platform::Canvas& canvas, const platform::TRectF& rect, std::uint32_t fillColour, double opacity,
                 std::uint32_t textColour, int horizontalAlign, platform::TFontStyles style, const std::string& text) {
  canvas.Stroke.Dash = platform::TStrokeDash::Solid;
  canvas.Stroke.Kind = platform::TBrushKind::None;
  canvas.Stroke.Thickness = 1.0f;

  canvas.Fill.Kind = platform::TBrushKind::Solid;
  canvas.Fill.Color = fillColour;
  canvas.FillRect(rect, 0.0f, 0.0f, static_cast<float>(opacity));

  canvas.Fill.Color = textColour;
  canvas.Font.Family = "Yu Gothic UI";
  canvas.Font.Size = fScreenWidthRatio < 1.0f ? 15.0f : 16.0f;
  canvas.Font.Style = style;
  canvas.FillText(rect, text, false, 1.0f, platform::TextAlignFromCode(horizontalAlign), platform::TTextAlign::Center);
}
