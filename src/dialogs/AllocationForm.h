#pragma once
// The allocation settings page drawn in Qt: titles, three tabs, the 40-row
// country grid with its region headers, check marks, step arrows and the
// total. Every decision is made by session::TAllocationPage; this page
// forwards clicks to it and shows what it holds.

#include <QWidget>
#include <array>

namespace session {
class TAllocationPage;
}
namespace dialogs {
class TDialogButton;
class TFrame;
class TPictureButton;
}  // namespace dialogs
class QLabel;

class TUSForm_1 : public QWidget {
  Q_OBJECT
 public:
  // The page's content (its "MainLayout"), objectName "USForm_1"; `page`
  // must outlive the form.
  TUSForm_1(QWidget* parent, session::TAllocationPage& page);

  // Shows the session page's whole state on the controls (after ShowPage,
  // a load or a rescale).
  void Refresh();

  session::TAllocationPage& Page() const { return Page_; }

 private:
  // One country row of the grid.
  struct TRowControls {
    QLabel* Title = nullptr;
    QLabel* Value = nullptr;
    dialogs::TFrame* Frame = nullptr;
    dialogs::TFrame* Check = nullptr;
  };

  void BuildGrid(QWidget* sub);
  void ShowTabLooks();

  session::TAllocationPage& Page_;
  QLabel* InformationTitle_1 = nullptr;
  QLabel* InformationTitle_2 = nullptr;
  std::array<dialogs::TDialogButton*, 3> Tabsheets_{};
  std::array<TRowControls, 40> Rows_{};
  dialogs::TFrame* CheckBoxFrameAll_ = nullptr;
  dialogs::TFrame* CheckBoxAll_ = nullptr;
  QLabel* TotalTitle_1 = nullptr;
  QLabel* TotalAllocationValue = nullptr;
  QLabel* TotalTitle_2 = nullptr;
};
