#pragma once
// One control of the main window: a rectangle (or circle) with an optional
// centred text, or a custom drawing, painted through platform::Canvas.
// Buttons, tabs, labels, lamps and step images are all controls; they tell
// their handlers about presses, hovers and leaves.

#include <QWidget>
#include <functional>
#include <string>

#include "platform/Canvas.h"

namespace app {

class TControl : public QWidget {
  Q_OBJECT
 public:
  enum class TShape { None, Rectangle, Circle };

  TControl(QWidget* parent, const char* name, TShape shape = TShape::None);

  TShape Shape;
  platform::TAlphaColor FillColour = 0xFFFDFDFD;
  platform::TAlphaColor StrokeColour = 0xFF4C4C4E;
  float StrokeThickness = 0.0f;  // 0: no frame
  float Radius = 0.0f;
  std::string Text;
  float FontSize = 14.0f;
  platform::TFontStyles FontStyle = 0;
  platform::TAlphaColor FontColour = 0xFF4C4C4E;
  platform::TTextAlign TextAlign = platform::TTextAlign::Center;
  bool WordWrap = false;
  // Drawn after the shape and the text (step images, spinner, glyphs).
  std::function<void(platform::Canvas&, float width, float height)> Painter;

  // Sets the text and repaints.
  void SetText(const std::string& text);
  void SetColours(platform::TAlphaColor fill, platform::TAlphaColor stroke);

 signals:
  void Pressed(app::TControl* sender);
  void Clicked(app::TControl* sender);
  void DoubleClicked(app::TControl* sender);
  void Entered(app::TControl* sender);
  void Left(app::TControl* sender);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  bool Down_ = false;
};

// Draws the control's look onto any canvas (also used for PNG export).
void PaintControl(const TControl& control, platform::Canvas& canvas, float width, float height);

}  // namespace app
