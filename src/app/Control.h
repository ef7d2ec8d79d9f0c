#pragma once
// One control of the main window: a rectangle (or circle) with an optional
// centred text, or a custom drawing, painted through platform::Canvas.
// Buttons, tabs, labels, lamps and step images are all controls; they tell
// their handlers about presses, hovers and leaves. The object name is the
// control's name in the window; its text, colours and frame thickness are
// also readable and writable as Qt properties. The second press of a quick
// double click reaches a control as a double click, which Qt hands on as a
// press: every press acts as a press (no control adds a double-click action).

#include <QWidget>
#include <functional>
#include <string>

#include "platform/Canvas.h"

namespace app {

class TControl : public QWidget {
  Q_OBJECT
  Q_PROPERTY(QString text READ TextProperty WRITE SetTextProperty)
  Q_PROPERTY(quint32 fillColour READ FillProperty WRITE SetFillProperty)
  Q_PROPERTY(quint32 strokeColour READ StrokeProperty WRITE SetStrokeProperty)
  Q_PROPERTY(double strokeThickness READ ThicknessProperty WRITE SetThicknessProperty)
  Q_PROPERTY(quint32 fontColour READ FontColourProperty WRITE SetFontColourProperty)
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

  // Each setter repaints the control when the value changes.
  void SetText(const std::string& text);
  void SetColours(platform::TAlphaColor fill, platform::TAlphaColor stroke);
  void SetFontColour(platform::TAlphaColor colour);
  void SetStrokeThickness(float thickness);

  QString TextProperty() const { return QString::fromStdString(Text); }
  void SetTextProperty(const QString& text) { SetText(text.toStdString()); }
  quint32 FillProperty() const { return FillColour; }
  void SetFillProperty(quint32 colour) { SetColours(colour, StrokeColour); }
  quint32 StrokeProperty() const { return StrokeColour; }
  void SetStrokeProperty(quint32 colour) { SetColours(FillColour, colour); }
  double ThicknessProperty() const { return StrokeThickness; }
  void SetThicknessProperty(double thickness) { SetStrokeThickness(static_cast<float>(thickness)); }
  quint32 FontColourProperty() const { return FontColour; }
  void SetFontColourProperty(quint32 colour) { SetFontColour(colour); }

 signals:
  void Pressed(app::TControl* sender);
  void Clicked(app::TControl* sender);
  void Entered(app::TControl* sender);
  void Left(app::TControl* sender);
  // Every press, move and release with the buttons held after the event and
  // the position in the control (track-bar panels, list arrows).
  void PointerPressed(app::TControl* sender, Qt::MouseButtons buttons, QPointF position);
  void PointerMoved(app::TControl* sender, Qt::MouseButtons buttons, QPointF position);
  void PointerReleased(app::TControl* sender, Qt::MouseButtons buttons, QPointF position);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  bool Down_ = false;
};

// Draws the control's look onto any canvas (also used for PNG export).
void PaintControl(const TControl& control, platform::Canvas& canvas, float width, float height);

}  // namespace app
