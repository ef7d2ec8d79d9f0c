#pragma once
// One element of the regime decision tree: an indicator panel (a dot placed
// by a value between two opposite regimes, e.g. "Bust" and "Boom") or a
// choice panel (two rows of coloured boxes on arrows, each row ending in
// "Best", with the row titles on the left). A choice row too narrow for
// equal boxes sizes each box by its own text and, where that is not enough,
// writes the row in smaller type: boxes never overlap and no text is cut.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Canvas.h"
#include "widgets/WidgetCommon.h"

class TRegimePanel {
 public:
  static constexpr std::uint32_t kChoicePanel = 0;
  static constexpr std::uint32_t kIndicatorPanel = 1;
  // The smallest type a choice row's boxes shrink to.
  static constexpr float kSmallestBoxFontSize = 8.0f;

  // Choice panel: texts and box colours of row 0 cells 0-5, then row 1 cells
  // 0-5; an empty text draws no box. Missing entries leave cells empty.
  void SetChoiceData(const std::vector<std::string>& texts, const std::vector<TAlphaColor>& colours,
                     const std::string& title1, const std::string& title2, const std::string& title3,
                     bool currencyFlag);
  // Indicator panel: left and right box texts and colours, the title and the
  // value, a fraction from 0 (left) to 1 (right).
  void SetData(const std::vector<std::string>& texts, const std::vector<TAlphaColor>& colours, const std::string& title,
               double value);
  // Indicator panels sit at the top of the area, choice panels at its bottom.
  void Layout(platform::Canvas& canvas, float left, float top, float width, float height);
  void Draw(platform::Canvas& canvas) const;

  // Rounded box (radius 2) in fillColour, then text at the whole font size.
  static void DrawBox(platform::Canvas& canvas, const platform::TRectF& rect, TAlphaColor fillColour, float opacity,
                      TAlphaColor textColour, int horizontalAlign, int verticalAlign, int fontSize,
                      platform::TFontStyles fontStyle, const std::string& text);

  // The panel as laid out: left, top, width, height, 0, 0.
  TViewArea ViewArea() const { return {Left_, Top_, Width_, Height_, 0.0f, 0.0f}; }
  const std::vector<std::vector<TTableCell>>& Rows() const { return Rows_; }
  std::uint32_t Kind() const { return Kind_; }
  double Value() const { return Value_; }
  // Type size of the boxes of choice row r, from the last Layout.
  float RowFontSize(std::size_t r) const { return r < RowFontSizes_.size() ? RowFontSizes_[r] : 0.0f; }

 private:
  void FillCells(const std::vector<std::string>& texts, const std::vector<TAlphaColor>& colours);
  // Width of a box's text: the name, or in a currency box the wider of the
  // name and "(currency)", in the canvas' current font.
  float BoxTextWidth(platform::Canvas& canvas, const TTableCell& cell) const;
  // Box widths of choice row r's texts, in order, for an area of width
  // with at least minimumGap before, between and after them: equal boxes
  // of the widest text + "X" where they fit, else each its own text + "X"
  // with the row's type size (RowFontSizes_[r]) lowered by whole points
  // until they fit (kSmallestBoxFontSize at the least).
  std::vector<float> FitBoxes(platform::Canvas& canvas, std::size_t r, float width, float minimumGap);
  void DrawChoice(platform::Canvas& canvas) const;
  void DrawIndicator(platform::Canvas& canvas) const;

  std::vector<std::vector<TTableCell>> Rows_;
  std::vector<float> RowFontSizes_;  // choice rows' box type size
  std::string Title1_;
  std::string Title2_;
  std::string Title3_;
  bool CurrencyFlag_ = false;
  double Value_ = 0.0;
  float Left_ = 0.0f;
  float Top_ = 0.0f;
  float Width_ = 0.0f;
  float Height_ = 0.0f;
  std::uint32_t Kind_ = kChoicePanel;
};
