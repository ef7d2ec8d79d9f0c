#pragma once
// Helpers of the dialog tests: the application object (one per program, made
// by a global test environment), an offscreen 1920 x 1080 main window, and
// clicks and hovering at window points (the window finds the widget there,
// so a covered control fails its test), keys sent to the focused widget.
// Modal loops are driven by zero-delay single-shot callbacks: no test waits
// on the clock.

#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "dialogs/DialogWidgets.h"
#include "support/WindowPointer.h"

namespace dialogtest {

// The parent window of the dialogs.
class TMainWindow {
 public:
  TMainWindow() {
    Window.resize(1920, 1080);
    Window.show();
  }
  QWidget Window;
};

// Runs action once the modal loop that the caller starts next is running.
inline void WhenShown(std::function<void()> action) { QTimer::singleShot(0, std::move(action)); }

inline qttest::TWindowPointer PointerOn(const QWidget* widget) { return qttest::TWindowPointer(widget->window()); }
// A click at the widget's centre, or at a point of it.
inline void Click(const QWidget* widget) { EXPECT_TRUE(PointerOn(widget).ClickOn(widget)); }
inline void ClickAt(const QWidget* widget, QPoint point) { EXPECT_TRUE(PointerOn(widget).ClickOn(widget, point)); }
// A click at a point of a dialog's area, on whatever the window finds there (the panel, the backdrop).
inline void ClickFormAt(const QWidget* form, QPoint point) {
  qttest::TWindowPointer pointer = PointerOn(form);
  pointer.Click(pointer.PointOf(form, point));
}
// A press held while `during` runs, then released, at the widget's centre or a point of it.
inline void HoldAt(const QWidget* widget, QPoint point, const std::function<void()>& during) {
  qttest::TWindowPointer pointer = PointerOn(widget);
  const QPoint at = pointer.PointOf(widget, point);
  EXPECT_TRUE(pointer.Reaches(widget, at));
  pointer.Wait(qttest::TWindowPointer::ApartMs());
  pointer.Press(at);
  if (during) during();
  pointer.Release(at);
}
inline void Escape(QWidget* widget) { QTest::keyClick(widget, Qt::Key_Escape); }

// The pointer onto the widget (enter) or onto the window's corner, off the dialog's panel (leave).
inline void Hover(const QWidget* widget, bool enter) {
  qttest::TWindowPointer pointer = PointerOn(widget);
  if (enter) {
    EXPECT_TRUE(pointer.HoverOn(widget));
  } else {
    pointer.Move(QPoint(1, 1));
  }
}

inline QRgb TextColor(const QLabel* label) { return dialogs::TextColorOf(label); }

}  // namespace dialogtest
