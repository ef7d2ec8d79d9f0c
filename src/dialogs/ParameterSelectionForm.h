#pragma once
// The parameter dialog drawn in Qt: a left column with the group title, the
// group's tabs and the "Undo", "Apply Changes" and "Apply & Save Changes"
// buttons, and on the right USFormContainer with one of the four settings
// pages. It lives inside the main window (which shows it in screen mode 1);
// session::TParameterSelectionForm makes every decision and the window acts
// on the TDialogAction that a button gives.

#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "common/Records.h"
#include "dialogs/ValueEditorForms.h"
#include "session/ParameterDialog.h"

class QLabel;
class TUSForm_1;

namespace dialogs {
class TDialogButton;
}

class TParameterSelectionForm : public QWidget {
  Q_OBJECT
 public:
  // The dialog edits `settings` (rows ranked by `countryList`); `question`
  // asks the allocation and save questions, `chooseCurrency` the portfolio
  // currency. objectName "MainLayout".
  TParameterSelectionForm(QWidget* parent, TUserSettings& settings, const std::vector<TCountry>& countryList,
                          session::TDialogQuestion question, TCurrencyChoice chooseCurrency);

  // Opens the dialog on group 0..2: saved copy, every page reloaded, the
  // group's first tab and its page shown.
  void SelectParameterGroup(std::int32_t group);

  // What the window does after a button (set by the window).
  std::function<void(const session::TDialogAction&)> OnAction;
  // The text of the last failed calculation, empty when the results are current ("Undo").
  std::function<std::string()> CalculationFailure;

  session::TParameterSelectionForm Dialog;

  QLabel* Title_1 = nullptr;
  std::array<dialogs::TDialogButton*, session::kParameterTabCount> Tabsheets{};
  dialogs::TDialogButton* UndoButton = nullptr;       // Button_1
  dialogs::TDialogButton* ApplyButton = nullptr;      // Button_2
  dialogs::TDialogButton* ApplySaveButton = nullptr;  // Button_3
  QWidget* USFormContainer = nullptr;
  TUSForm_1* USForm_1 = nullptr;
  TUSForm_2* USForm_2 = nullptr;
  TUSForm_3* USForm_3 = nullptr;
  TUSForm_4* USForm_4 = nullptr;

  // The page in USFormContainer (null when none).
  QWidget* ShownPage() const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void OnTabsheetClick(std::int32_t tab);
  void OnClassicButtonClick(dialogs::TDialogButton* sender);
  // Tabs, title and the shown page as the dialog's state says.
  void ShowState();
  void RefreshShownPage();
  void PaintTabs();
};
