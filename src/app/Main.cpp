// Program entry: the main window, then the dialogs (created by the window),
// then the event loop. An exception that escapes is shown; the program
// always returns 0.

#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "app/MainForm.h"

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QApplication::setApplicationName("Quorvane");
  try {
    app::TMainForm mainForm;
    mainForm.show();
    QApplication::exec();
  } catch (const std::exception& error) {
    QMessageBox::critical(nullptr, "Quorvane", QString::fromStdString(error.what()));
  } catch (...) {
    QMessageBox::critical(nullptr, "Quorvane", QString());
  }
  return 0;
}
