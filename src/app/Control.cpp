#include "app/Control.h"

#include <QMouseEvent>

#include "platform/qt/QtCanvas.h"

namespace app {

TControl::TControl(QWidget* parent, const char* name, TShape shape) : QWidget(parent), Shape(shape) {
  setObjectName(name);
  setAttribute(Qt::WA_Hover);
}

void TControl::SetText(const std::string& text) {
  if (Text == text) return;
  Text = text;
  update();
}

void TControl::SetColours(platform::TAlphaColor fill, platform::TAlphaColor stroke) {
  if (FillColour == fill && StrokeColour == stroke) return;
  FillColour = fill;
  StrokeColour = stroke;
  update();
}

void TControl::SetFontColour(platform::TAlphaColor colour) {
  if (FontColour == colour) return;
  FontColour = colour;
  update();
}

void TControl::SetStrokeThickness(float thickness) {
  if (StrokeThickness == thickness) return;
  StrokeThickness = thickness;
  update();
}

void PaintControl(const TControl& control, platform::Canvas& canvas, float width, float height) {
  // Half the frame inside the rectangle, so a 2 px hover frame is not clipped.
  const float inset = control.StrokeThickness / 2.0f;
  const platform::TRectF rect{inset, inset, width - inset, height - inset};
  if (control.Shape != TControl::TShape::None) {
    canvas.Fill = {platform::TBrushKind::Solid, control.FillColour};
    canvas.Stroke = {platform::TBrushKind::Solid, control.StrokeColour, control.StrokeThickness};
    if (control.Shape == TControl::TShape::Circle) {
      canvas.FillEllipse(rect, 1.0f);
      if (control.StrokeThickness > 0.0f) canvas.DrawEllipse(rect, 1.0f);
    } else {
      canvas.FillRect(rect, control.Radius, control.Radius, 1.0f);
      if (control.StrokeThickness > 0.0f) canvas.DrawRect(rect, control.Radius, control.Radius, 1.0f);
    }
  }
  if (!control.Text.empty()) {
    canvas.Font = {"Yu Gothic UI", control.FontSize, control.FontStyle};
    canvas.Fill = {platform::TBrushKind::Solid, control.FontColour};
    canvas.FillText({0.0f, 0.0f, width, height}, control.Text, control.WordWrap, 1.0f, control.TextAlign);
  }
  if (control.Painter) control.Painter(canvas, width, height);
}

void TControl::paintEvent(QPaintEvent*) {
  platform::QtCanvas canvas(this);
  if (!canvas.BeginScene()) return;
  PaintControl(*this, canvas, static_cast<float>(width()), static_cast<float>(height()));
  canvas.EndScene();
}

void TControl::mousePressEvent(QMouseEvent* event) {
  emit PointerPressed(this, event->buttons(), event->position());
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  Down_ = true;
  emit Pressed(this);
}

void TControl::mouseReleaseEvent(QMouseEvent* event) {
  emit PointerReleased(this, event->buttons(), event->position());
  if (event->button() != Qt::LeftButton || !Down_) return QWidget::mouseReleaseEvent(event);
  Down_ = false;
  if (rect().contains(event->position().toPoint())) emit Clicked(this);
}

void TControl::mouseMoveEvent(QMouseEvent* event) {
  emit PointerMoved(this, event->buttons(), event->position());
  QWidget::mouseMoveEvent(event);
}

void TControl::enterEvent(QEnterEvent*) { emit Entered(this); }

void TControl::leaveEvent(QEvent*) { emit Left(this); }

}  // namespace app
