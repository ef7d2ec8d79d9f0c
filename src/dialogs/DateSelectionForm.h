#pragma once
// The month/year picker behind the main window's start and end date buttons.

#include <array>

#include "dialogs/ModalForm.h"
#include "session/DateChoiceRules.h"

class QLabel;

namespace dialogs {
class TDialogButton;
}

class TDateSelectionForm : public dialogs::TModalForm {
  Q_OBJECT
 public:
  explicit TDateSelectionForm(QWidget* parent);

  // Button_1 .. Button_12 (January .. December) and Button_13 .. Button_28 (the years).
  std::array<dialogs::TDialogButton*, 12> MonthButtons{};
  std::array<dialogs::TDialogButton*, session::kYearBlockSize> YearButtons{};
  dialogs::TDialogButton* DownButton = nullptr;
  dialogs::TDialogButton* UpButton = nullptr;
  dialogs::TDialogButton* SelectDateButton = nullptr;
  dialogs::TDialogButton* IntraMonthButton = nullptr;
  QLabel* SelectedDateValue = nullptr;

  bool IsStartDate = false;
  double ChosenDate = 0.0;  // the result: a month end, or the maximum date for "Intra-Month"
  bool IntraMonth = false;  // the intra-month choice; only the end-date dialog changes it
  session::TDateChoice Choice;

  // Recomputes the allowed states, looks, ChosenDate and the date text.
  void FillCalendar();

 private:
  void SetControlButtonState(dialogs::TDialogButton* button, bool enabled);
  void SetCalendarLook(dialogs::TDialogButton* button, bool allowed, bool chosen);
  void OnControlButtonClick(dialogs::TDialogButton* button);
};

// Shows the picker for date within [minimum, maximum]; true when a date was
// chosen (result 1): the caller reads ChosenDate and, for the end date, IntraMonth.
bool ShowDateSelectionForm(TDateSelectionForm* form, double date, double minimum, double maximum, bool isStart);
