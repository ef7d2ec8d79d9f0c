#pragma once
// The currency picker of the portfolio page: 28 codes as square buttons in
// seven columns and four rows, and on request a wide "LOCAL" button. A click
// on a code closes it with result 1 and leaves the code in SelectedCurrency;
// Escape, the close image or a press outside the panel give 2.

#include <array>
#include <string>

#include "dialogs/ModalForm.h"

namespace dialogs {
class TDialogButton;
}

class TCurrencySelectionForm : public dialogs::TModalForm {
  Q_OBJECT
 public:
  explicit TCurrencySelectionForm(QWidget* parent);

  // Button_1 .. Button_28 (titles ButtonTitle_1 .. ButtonTitle_28), then LocalButton.
  std::array<dialogs::TDialogButton*, 28> Buttons{};
  dialogs::TDialogButton* LocalButton = nullptr;
  // The title text of the last clicked button; kept by a cancel.
  std::string SelectedCurrency;

  // The panel height (256 without "LOCAL", 310 with it: the lowest row
  // whole), "LOCAL" shown or hidden, every button in its normal look.
  void Prepare(bool showLocal);
};

// Shows the picker; true when a code was clicked (result 1).
bool ShowCurrencySelectionForm(TCurrencySelectionForm* form, bool showLocal);
