#pragma once
// A pointer on a top-level window, as the window system drives it: every
// press, move and release enters at a window point through the window
// (Qt's own routing: the widget that QWidget::childAt finds there, the
// window itself where no child is; while a button is held, the widget that
// took the press; leave and enter when the pointer changes widget). A
// control that another widget covers therefore never sees the event, and
// its test fails. Events carry the stamps of a simulated clock that only
// Wait and the clicks advance: a press at the place of the previous one
// within the double-click interval reaches the widget as a double click,
// as the system sends it, and no test waits on the real clock.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QStyleHints>
#include <QTest>
#include <QWheelEvent>
#include <QWidget>
#include <QWindow>
#include <string>

namespace qttest {

class TWindowPointer {
 public:
  // The time between a press and its release, and between two clicks that must not pair.
  static constexpr int kPressMs = 20;
  static int ApartMs() { return QGuiApplication::styleHints()->mouseDoubleClickInterval() + 100; }

  explicit TWindowPointer(QWidget* window) : Window_(window) {}

  QWidget* Window() const { return Window_; }
  // The widget a press at the window point reaches.
  QWidget* WidgetAt(QPoint at) const {
    QWidget* widget = Window_->childAt(at);
    return widget != nullptr ? widget : Window_;
  }
  // A point of a widget of the window (its centre by default) as a window point.
  QPoint PointOf(const QWidget* widget) const { return PointOf(widget, QRectF(widget->rect()).center()); }
  QPoint PointOf(const QWidget* widget, QPointF local) const {
    return widget == Window_ ? local.toPoint() : widget->mapTo(Window_, local).toPoint();
  }

  // The control takes a press at the window point: the window finds the
  // control there, or a label inside it (a label passes presses on). A part
  // that lets the pointer through (a button's caption) stands for the
  // control that holds it.
  ::testing::AssertionResult Reaches(const QWidget* control, QPoint at) const {
    if (!control->isVisibleTo(Window_)) return ::testing::AssertionFailure() << Name(control) << " is hidden";
    const QWidget* target = control;
    while (target != Window_ && target->testAttribute(Qt::WA_TransparentForMouseEvents))
      target = target->parentWidget();
    const QWidget* hit = WidgetAt(at);
    for (const QWidget* w = hit; w != target; w = w->parentWidget()) {
      if (w == nullptr || qobject_cast<const QLabel*>(w) == nullptr || !target->isAncestorOf(w)) {
        return ::testing::AssertionFailure()
               << Name(control) << " at (" << at.x() << ", " << at.y() << ") of the window is covered by " << Name(hit);
      }
    }
    return ::testing::AssertionSuccess();
  }

  // The clock: the next event comes ms later.
  void Wait(int ms) { QTest::lastMouseTimestamp += ms; }

  // A move with the buttons held now (the system drops a move that does not change the position).
  void Move(QPoint at) { Send(QEvent::MouseMove, at, Qt::NoButton); }
  // The pointer comes to the point from a pixel beside it, so it arrives even
  // where it already was. Into a window it has not been over yet it comes
  // from the window's corner: Qt hands out enter and leave only from the
  // widget the pointer was last over.
  void Arrive(QPoint at) {
    if (!Window_->property(kEnteredProperty).toBool()) {
      Window_->setProperty(kEnteredProperty, true);
      Move(QPoint(0, 0));
    }
    Move(at + QPoint(1, 1));
    Move(at);
  }
  void Press(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    Held_ |= button;
    Send(QEvent::MouseButtonPress, at, button);
  }
  void Release(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    Held_ &= ~Qt::MouseButtons(button);
    Send(QEvent::MouseButtonRelease, at, button);
  }
  // The pointer moves to the point, presses and releases; the press comes
  // `afterMs` after the last event (by default too late to pair with it).
  void Click(QPoint at, int afterMs = -1, Qt::MouseButton button = Qt::LeftButton) {
    Wait(afterMs < 0 ? ApartMs() : afterMs);
    Arrive(at);
    Press(at, button);
    Wait(kPressMs);
    Release(at, button);
  }
  // Two clicks 100 ms apart: the second press arrives as a double click.
  void DoubleClick(QPoint at) {
    Click(at);
    Click(at, 100 - kPressMs);
  }

  // A wheel or touchpad scroll (pixels, or eighths of a degree) at the
  // window point, to the widget the window finds there.
  void Wheel(QPoint at, QPoint pixelDelta, QPoint angleDelta) {
    QWidget* target = WidgetAt(at);
    QWheelEvent event(target->mapFrom(Window_, QPointF(at)), Window_->mapToGlobal(QPointF(at)), pixelDelta, angleDelta,
                      Held_, Qt::NoModifier, Qt::ScrollUpdate, false);
    event.setTimestamp(static_cast<quint64>(++QTest::lastMouseTimestamp));
    QApplication::sendEvent(target, &event);
  }

  // A tap of one finger on a touch screen at the window point (Qt hands a
  // touch that no widget takes on as press and release).
  void Tap(QPoint at) {
    static QPointingDevice* const touchScreen = QTest::createTouchDevice();
    QTest::touchEvent(Window_, touchScreen).press(0, at);
    QTest::touchEvent(Window_, touchScreen).release(0, at);
  }

  // The same on a control's centre (or a point of it), after checking that
  // the window finds the control there.
  ::testing::AssertionResult ClickOn(const QWidget* control, int afterMs = -1) {
    return ClickOn(control, QRectF(control->rect()).center(), afterMs);
  }
  ::testing::AssertionResult ClickOn(const QWidget* control, QPointF local, int afterMs = -1) {
    const QPoint at = PointOf(control, local);
    ::testing::AssertionResult reached = Reaches(control, at);
    if (reached) Click(at, afterMs);
    return reached;
  }
  // The pointer comes to rest on a control (it takes its hover look).
  ::testing::AssertionResult HoverOn(const QWidget* control) {
    const QPoint at = PointOf(control);
    ::testing::AssertionResult reached = Reaches(control, at);
    if (reached) Arrive(at);
    return reached;
  }

  static std::string Name(const QWidget* widget) {
    const std::string name = widget->objectName().toStdString();
    return name.empty() ? std::string(widget->metaObject()->className()) : name;
  }

 private:
  void Send(QEvent::Type type, QPoint at, Qt::MouseButton button) {
    QWindow* window = Window_->windowHandle();
    if (window == nullptr) {
      ADD_FAILURE() << Name(Window_) << " has no window: show it first";
      return;
    }
    QTest::lastMouseTimestamp += 1;
    qt_handleMouseEvent(window, QPointF(at), window->mapToGlobal(QPointF(at)), Held_, button, type, Qt::NoModifier,
                        QTest::lastMouseTimestamp);
  }

  static constexpr const char* kEnteredProperty = "windowPointerEntered";
  QWidget* Window_;
  Qt::MouseButtons Held_;
};

}  // namespace qttest
