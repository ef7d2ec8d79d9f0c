#pragma once
// Shared helpers of the widget tests: the globals as the main window sets
// them, and drawing a widget with the Qt canvas into a 1920 x 1080 picture
// (saved to $QUORVANE_WIDGET_PNG_DIR when set), such as the gallery's. The Qt GUI application of
// the test program is created by WidgetTestEnvironment.cpp.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "common/CountryHelpers.h"
#include "common/Globals.h"
#include "platform/Canvas.h"
#include "platform/DateTime.h"
#include "platform/RecordingCanvas.h"
#include "portfolio/EquityResultRecords.h"

#if __has_include(<QGuiApplication>)
#include <QImage>
#include <cstdlib>

#include "platform/qt/ImageInk.h"
#include "platform/qt/QtCanvas.h"
#include "widgets/gallery/WidgetFixture.h"
#define QUORVANE_WIDGET_PNG 1
#endif

namespace widgettest {

// Screen ratios 1.0 and the colours that the main window sets at creation.
inline void SetWindowGlobals(float widthRatio = 1.0f, float heightRatio = 1.0f) {
  fScreenWidthRatio = widthRatio;
  fScreenHeightRatio = heightRatio;
  claApplicationBkgColor = 0xFFFDFDFD;
  claReferenceGraphicColor_1 = 0xFF293556;
  claReferenceGraphicColor_2 = 0xFF4A8DB7;
  claReferenceGraphicColor_3 = 0xFFE4E4E4;
}

// The forty countries of the sample list, grouped by region in display
// order; Region is the position in strRegionNameList.
struct TCountryRegion {
  const char* Name;
  int Region;
};
inline const std::vector<TCountryRegion>& FortyCountries() {
  static const std::vector<TCountryRegion> kList{
      {"USA", 0},         {"Canada", 0},      {"Germany", 1},     {"France", 1},      {"Italy", 1},
      {"Spain", 1},       {"Netherlands", 1}, {"Belgium", 1},     {"Austria", 1},     {"Finland", 1},
      {"Ireland", 1},     {"Portugal", 1},    {"Luxembourg", 1},  {"Euro Area", 1},   {"United Kingdom", 2},
      {"Switzerland", 2}, {"Sweden", 2},      {"Norway", 2},      {"Denmark", 2},     {"Czech Republic", 2},
      {"Hungary", 2},     {"Iceland", 2},     {"Australia", 3},   {"New Zealand", 3}, {"South Africa", 3},
      {"Brazil", 3},      {"Mexico", 3},      {"Chile", 3},       {"Russia", 3},      {"Japan", 4},
      {"China", 5},       {"Hong Kong", 5},   {"India", 5},       {"Indonesia", 5},   {"Malaysia", 5},
      {"Philippines", 5}, {"Singapore", 5},   {"South Korea", 5}, {"Taiwan", 5},      {"Turkey", 5}};
  return kList;
}

// Month end `index` months after January 1990.
inline double MonthEnd(int index) {
  const int year = 1990 + index / 12;
  const int month = index % 12 + 1;
  return platform::EncodeDate(year, month, platform::DaysInMonth(year, month));
}

// A row labelled (name, region) with one point per value, dated at the
// month ends from January 1990.
inline TLabelledSeries MonthlyRow(const std::string& name, const std::string& region,
                                  const std::vector<double>& values) {
  TLabelledSeries row;
  row.Labels = {name, region};
  for (std::size_t i = 0; i < values.size(); ++i) row.Series.push_back({MonthEnd(static_cast<int>(i)), values[i]});
  return row;
}

// The FillText calls of a recording, in order.
inline std::vector<platform::TCanvasOp> Texts(const platform::RecordingCanvas& canvas) {
  return canvas.OpsOfKind(platform::TCanvasOpKind::FillText);
}

// The first FillText call writing exactly text; nullptr when none.
inline const platform::TCanvasOp* FindText(const platform::RecordingCanvas& canvas, const std::string& text) {
  for (const platform::TCanvasOp& op : canvas.Ops)
    if (op.Kind == platform::TCanvasOpKind::FillText && op.Text == text) return &op;
  return nullptr;
}

// The value-grid labels of a time chart ("-2.5%", "10%"), in drawing order.
inline std::vector<platform::TCanvasOp> PercentGridLabels(const platform::RecordingCanvas& canvas) {
  static const std::regex kLabel("-?[0-9]+(\\.[0-9]+)?%");
  std::vector<platform::TCanvasOp> labels;
  for (const platform::TCanvasOp& op : canvas.OpsOfKind(platform::TCanvasOpKind::FillText))
    if (std::regex_match(op.Text, kLabel)) labels.push_back(op);
  return labels;
}

// Each label is centred on the line of the value it states: y = plot top +
// plot height - (v - lowest) x (plot height - 1) / (highest - lowest) for
// the fraction v its percent text reads; returns the texts in order.
inline std::vector<std::string> ExpectLabelsOnTheirLines(const platform::RecordingCanvas& canvas, double lowest,
                                                         double highest, float plotTop, float plotHeight) {
  std::vector<std::string> texts;
  for (const platform::TCanvasOp& op : PercentGridLabels(canvas)) {
    const double v = std::strtod(op.Text.c_str(), nullptr) / 100.0;
    const double y = plotTop + plotHeight - (v - lowest) * (plotHeight - 1.0) / (highest - lowest);
    EXPECT_NEAR((op.Rect.Top + op.Rect.Bottom) / 2.0, y, 0.01) << op.Text;
    texts.push_back(op.Text);
  }
  return texts;
}

// Recorded metrics at ratio 1, regular 16 (a character 9.6 wide, rows
// 1.3 x 19.2 high) and the palette colours of the two-sided tables.
namespace twosided {
inline constexpr float kChar = 9.6f;
inline constexpr float kRow = 1.2f * 16 * 1.3f;
inline constexpr TAlphaColor kBlue = 0xFF355C7D;
inline constexpr TAlphaColor kSlate = 0xFF8395A7;
}  // namespace twosided

// Bars of the two-sided tables: the filled rectangles outlined in their fill
// colour (group-header boxes are not).
inline std::vector<platform::TCanvasOp> Bars(const platform::RecordingCanvas& canvas) {
  std::vector<platform::TCanvasOp> bars;
  for (const auto& op : canvas.OpsOfKind(platform::TCanvasOpKind::FillRect))
    if (op.Stroke.Color == op.Fill.Color && op.Stroke.Kind == platform::TBrushKind::Solid) bars.push_back(op);
  return bars;
}

// A two-sided table laid out on canvas with no positive figure: every bar
// cell has a finite left and no width, and drawing it draws no bar.
template <typename TTable>
void ExpectNoBars(TTable& table, platform::RecordingCanvas& canvas) {
  for (const auto& bar : table.Columns[1]) {
    EXPECT_TRUE(std::isfinite(bar.Bounds.Left));
    EXPECT_FLOAT_EQ(bar.Bounds.Width(), 0.0f);
  }
  table.Draw(canvas);
  EXPECT_TRUE(Bars(canvas).empty());
}

#ifdef QUORVANE_WIDGET_PNG
// Draws into a 1920 x 1080 image on the window background and checks that
// something was drawn in more than one colour; saves <name>.png into
// $QUORVANE_WIDGET_PNG_DIR when that variable is set.
inline void RenderPng(const std::string& name, const std::function<void(platform::Canvas&)>& draw) {
  QImage image(1920, 1080, QImage::Format_ARGB32_Premultiplied);
  image.fill(QColor::fromRgba(claApplicationBkgColor));
  {
    platform::QtCanvas canvas(&image);
    ASSERT_TRUE(canvas.BeginScene());
    draw(canvas);
    canvas.EndScene();
  }
  const QRgb background = QColor::fromRgba(claApplicationBkgColor).rgba();
  int inked = 0;
  const bool twoColours = platform::HasTwoColours(image, background, inked);
  EXPECT_GT(inked, 1000) << name << ": nearly nothing drawn";
  EXPECT_TRUE(twoColours) << name << ": uniform picture";
  if (const char* dir = std::getenv("QUORVANE_WIDGET_PNG_DIR"); dir != nullptr && *dir != '\0') {
    EXPECT_TRUE(image.save(QString::fromStdString(std::string(dir) + "/" + name + ".png"), "PNG")) << name;
  }
}

// Draws through RenderPng every picture of the widget gallery whose name
// ("<Widget>_<mode>") starts with prefix, from the gallery's one data set;
// fails when there is none.
inline void RenderGalleryPngs(const std::string& prefix) {
  widgetfixture::SetWindowGlobals();
  int drawn = 0;
  for (const widgetfixture::TGalleryItem& item : widgetfixture::GalleryItems()) {
    if (item.Name.rfind(prefix, 0) != 0) continue;
    SCOPED_TRACE(item.Name);
    RenderPng(item.Name, item.Paint);
    ++drawn;
  }
  EXPECT_GT(drawn, 0) << prefix << ": no gallery picture";
}
#endif

}  // namespace widgettest
