#pragma once
// The two text drawing helpers that the charts and tables share.

#include <cstdint>
#include <string>

#include "platform/Canvas.h"

// Writes text rotated by `angle` radians about `anchor` in the canvas'
// current font and fill colour, opacity 1, no word wrap. Alignment codes
// (0 centre, 1 leading, 2 trailing) place the text's box relative to the
// anchor in the rotated frame: horizontally [dx, dx + w] with dx = -w/2,
// 0 or -w; vertically [dy, dy + h] with dy = -h/2, 0 or -h (w, h: the
// text's width and height). The canvas matrix is restored afterwards.
void DrawRotatedText(platform::Canvas& canvas, platform::TPointF anchor, float angle, const std::string& text,
                     int horizontalAlign, int verticalAlign);

// Fills rect in fillColour at `opacity` without outline, then writes text
// in textColour with the application font ("Yu Gothic UI", 16, or 15 when
// fScreenWidthRatio < 1.0) in `style`, aligned horizontally by
// `horizontalAlign` and centred vertically, no word wrap, opacity 1.
// Leaves the canvas with that stroke, fill colour (the text colour) and font.
void DrawTextBox(platform::Canvas& canvas, const platform::TRectF& rect, std::uint32_t fillColour, double opacity,
                 std::uint32_t textColour, int horizontalAlign, platform::TFontStyles style, const std::string& text);
