#pragma once
// Helpers of the dialog tests: the application object (one per program, made
// by a global test environment), an offscreen 1920 x 1080 main window, and
// clicks, keys and hovering sent straight to widgets. Modal loops are driven
// by zero-delay single-shot callbacks: no test waits on the clock.

#include <QApplication>
#include <QEnterEvent>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

#include "dialogs/DialogWidgets.h"

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

inline void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }
// A press and release at a point of the widget.
inline void ClickAt(QWidget* widget, QPoint point) { QTest::mouseClick(widget, Qt::LeftButton, {}, point); }
inline void Escape(QWidget* widget) { QTest::keyClick(widget, Qt::Key_Escape); }

inline void Hover(QWidget* widget, bool enter) {
  if (enter) {
    QEnterEvent event(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(widget, &event);
  } else {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
  }
}

inline QRgb TextColor(const QLabel* label) { return dialogs::TextColorOf(label); }

}  // namespace dialogtest
