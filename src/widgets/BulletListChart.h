#pragma once
// A short ranked list as a column of rounded coloured boxes, one per entry,
// each with one or two lines of white text. In ranking mode an upward arrow
// right of the column runs from the last box to above the first, with a dot
// level with each box and a bold title above its head.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "portfolio/EquityResultRecords.h"
#include "widgets/WidgetCommon.h"

class TBulletListChart {
 public:
  // Left edge of the drawn column of boxes, left by Layout.
  float TrackBarAnchorX = 0.0f;

  // One entry per row: a copy of labelList[value of the row's first point].
  // Rows at -1.0, without points or whose value is no position in the label
  // list are left out. Mode 1 draws the ranking arrow; fixedWidth gives every
  // box 18 widths of "X".
  void SetData(const std::vector<TLabelledSeries>& rows, const std::vector<TLegendItem>& labelList, std::int32_t mode,
               bool fixedWidth);
  // Without entries nothing changes.
  void Layout(platform::Canvas& canvas, float x, float y, float width, float height);
  // title: the text above the arrow in mode 1 ("Best").
  void Draw(platform::Canvas& canvas, const std::string& title);

  // A rounded box filled in colour at opacity with text centred horizontally,
  // bold at fontSize (cut to a whole number) in textColour.
  static void DrawBox(platform::Canvas& canvas, const platform::TRectF& rect, TAlphaColor colour, float opacity,
                      TAlphaColor textColour, int verticalAlign, float fontSize, const std::string& text);

  float Left() const { return Left_; }
  float Top() const { return Top_; }
  float TotalWidth() const { return TotalWidth_; }
  float TotalHeight() const { return TotalHeight_; }
  float BoxWidth() const { return BoxWidth_; }
  float BoxHeight() const { return BoxHeight_; }
  std::int32_t Mode() const { return Mode_; }
  const std::vector<TLegendItem>& Entries() const { return Entries_; }

 private:
  // Entry i from (left, top): boxes of box height, one text height apart.
  void PlaceEntries(float left, float top, float xxWidth, float xHeight);

  float Left_ = 0.0f;
  float Top_ = 0.0f;
  float TotalWidth_ = 0.0f;
  float TotalHeight_ = 0.0f;
  std::vector<TLegendItem> Entries_;
  std::int32_t Mode_ = 0;
  float BoxWidth_ = 0.0f;
  float BoxHeight_ = 0.0f;
  bool FixedWidth_ = false;
  std::int32_t Hovered_ = -1;
};
