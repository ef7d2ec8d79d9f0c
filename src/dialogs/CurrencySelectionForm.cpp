#include "dialogs/CurrencySelectionForm.h"

#include <QLabel>

#include "dialogs/DialogWidgets.h"

using namespace dialogs;

namespace {
constexpr int kPanelWidth = 394;
// Panel height: the lowest shown button's bottom + 10 px, as the 10 px side
// margins: 300 + 10 with the "LOCAL" row, 246 + 10 without it (the row and its
// 4 px gap, 54 px, less). Heights of 286 / 236 would cut the lowest row off.
constexpr int kFullHeight = 310;
constexpr int kLocalRowHeight = 54;
constexpr std::array<const char*, 28> kCodes = {"AUD", "BRL", "CAD", "CHF", "CLP", "CNY", "CZK", "DKK", "EUR", "GBP",
                                                "HKD", "HUF", "IDR", "INR", "ISK", "JPY", "KRW", "MXN", "MYR", "NOK",
                                                "NZD", "PHP", "SEK", "SGD", "TRY", "TWD", "USD", "ZAR"};
// Seven 50 px columns and four rows, 4 px apart.
constexpr std::array<int, 7> kColumns = {10, 64, 118, 172, 226, 280, 334};
constexpr std::array<int, 4> kRows = {34, 88, 142, 196};

void SetFill(TDialogButton* button, QRgb fill) { button->SetLook(fill, fill, kWhiteColor, 1.0); }
}  // namespace

TCurrencySelectionForm::TCurrencySelectionForm(QWidget* parent)
    : TModalForm(parent, QStringLiteral("CurrencySelectionForm"), kPanelWidth, kFullHeight) {
  QWidget* panel = MainSupport();
  AddCloseButton(370, 0);
  for (std::size_t i = 0; i < Buttons.size(); ++i) {
    // The button is named Button_N, so its caption child is ButtonTitle_N.
    auto* button = new TDialogButton(panel, QStringLiteral("Button_%1").arg(i + 1), QString::fromLatin1(kCodes[i]),
                                     kColumns[i % 7], kRows[i / 7], 50, 50, 14, true, 4.0);
    button->Title()->setObjectName(QStringLiteral("ButtonTitle_%1").arg(i + 1));
    Buttons[i] = button;
  }
  LocalButton =
      new TDialogButton(panel, QStringLiteral("LocalButton"), QStringLiteral("LOCAL"), 10, 250, 374, 50, 14, true, 4.0);
  LocalButton->Title()->setObjectName(QStringLiteral("LocalButtonTitle"));

  auto wire = [this](TDialogButton* button) {
    SetFill(button, kTabColor);
    connect(button, &TDialogButton::Entered, this, [button] { SetFill(button, kActiveColor); });
    connect(button, &TDialogButton::Left, this, [button] { SetFill(button, kTabColor); });
    connect(button, &TDialogButton::Clicked, this, [this, button] {
      SetFill(button, kActiveColor);
      SelectedCurrency = button->Caption().toStdString();
      SetModalResult(1);
    });
  };
  for (TDialogButton* button : Buttons) wire(button);
  wire(LocalButton);
}

void TCurrencySelectionForm::Prepare(bool showLocal) {
  MainSupport()->resize(kPanelWidth, kFullHeight - (showLocal ? 0 : kLocalRowHeight));
  PlacePanel();
  LocalButton->setVisible(showLocal);
  // No button marks the current choice.
  for (TDialogButton* button : Buttons) SetFill(button, kTabColor);
  SetFill(LocalButton, kTabColor);
}

bool ShowCurrencySelectionForm(TCurrencySelectionForm* form, bool showLocal) {
  form->Prepare(showLocal);
  return form->ShowModal() == 1;
}
