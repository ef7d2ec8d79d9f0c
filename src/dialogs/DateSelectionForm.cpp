#include "dialogs/DateSelectionForm.h"

#include <QLabel>

#include "common/Globals.h"
#include "dialogs/DialogWidgets.h"

using namespace dialogs;

namespace {
constexpr QRgb kAllowedFill = 0xFFC5D2DD;
constexpr QRgb kChosenFill = 0xFF708CD5;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kIntraMonthColor = 0xFFF46075;
constexpr std::array<const char*, 12> kMonthTitles = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<int, 6> kColumns = {10, 64, 118, 172, 226, 280};

bool TitleNotAllowed(const TDialogButton* button) { return TextColorOf(button->Title()) == kDisabledColor; }
}  // namespace

TDateSelectionForm::TDateSelectionForm(QWidget* parent)
    : TModalForm(parent, QStringLiteral("DateSelectionForm"), 341, 412) {
  QWidget* panel = MainSupport();
  SelectedDateValue = MakeLabel(panel, QStringLiteral("SelectedDateValue"), QString(), 10, 0, 321, 30, 16, false,
                                kTextColor, Qt::AlignCenter);
  SelectedDateValue->hide();
  AddCloseButton(306, 5);

  for (int m = 0; m < 12; ++m) {
    auto* button = new TDialogButton(panel, QStringLiteral("Button_%1").arg(m + 1),
                                     QString::fromLatin1(kMonthTitles[static_cast<std::size_t>(m)]),
                                     kColumns[static_cast<std::size_t>(m % 6)], m < 6 ? 40 : 94, 50, 50, 14, true, 4.0);
    MonthButtons[static_cast<std::size_t>(m)] = button;
  }
  // Years: five after "<" on the first row, six on the second, five before ">" on the third.
  for (int i = 0; i < session::kYearBlockSize; ++i) {
    int x = 0, y = 0;
    if (i < 5) {
      x = kColumns[static_cast<std::size_t>(i + 1)], y = 164;
    } else if (i < 11) {
      x = kColumns[static_cast<std::size_t>(i - 5)], y = 218;
    } else {
      x = kColumns[static_cast<std::size_t>(i - 11)], y = 272;
    }
    YearButtons[static_cast<std::size_t>(i)] =
        new TDialogButton(panel, QStringLiteral("Button_%1").arg(i + 13), QString(), x, y, 50, 50, 14, true, 4.0);
  }
  DownButton =
      new TDialogButton(panel, QStringLiteral("DownButton"), QStringLiteral("<"), 10, 164, 50, 50, 18, true, 4.0);
  UpButton = new TDialogButton(panel, QStringLiteral("UpButton"), QStringLiteral(">"), 280, 272, 50, 50, 18, true, 4.0);
  SelectDateButton = new TDialogButton(panel, QStringLiteral("SelectDateButton"), QStringLiteral("Select Date"), 10,
                                       342, 158, 50, 18, true, 4.0);
  IntraMonthButton = new TDialogButton(panel, QStringLiteral("IntraMonthButton"), QStringLiteral("Intra-Month"), 172,
                                       342, 158, 50, 18, true, 4.0);

  auto connectCalendar = [this](TDialogButton* button, auto choose) {
    connect(button, &TDialogButton::Clicked, this, [this, button, choose] {
      if (TitleNotAllowed(button)) return;
      choose();
      FillCalendar();
    });
    connect(button, &TDialogButton::Entered, this, [this, button] {
      if (button->isEnabled() && !TitleNotAllowed(button)) SetCalendarLook(button, true, true);
    });
    connect(button, &TDialogButton::Left, this, [this] { FillCalendar(); });
  };
  for (int m = 0; m < 12; ++m)
    connectCalendar(MonthButtons[static_cast<std::size_t>(m)], [this, m] { session::ChooseMonth(Choice, m + 1); });
  for (int i = 0; i < session::kYearBlockSize; ++i)
    connectCalendar(YearButtons[static_cast<std::size_t>(i)], [this, i] { session::ChooseYear(Choice, i); });

  for (TDialogButton* button : {DownButton, UpButton, SelectDateButton, IntraMonthButton}) {
    const QRgb stroke = button == IntraMonthButton ? kIntraMonthColor : kTextColor;
    ConnectHoverLook(button, stroke);
    connect(button, &TDialogButton::Clicked, this, [this, button] { OnControlButtonClick(button); });
  }
  SetControlButtonState(DownButton, true);
  SetControlButtonState(UpButton, true);
  SetControlButtonState(IntraMonthButton, true);
  SetControlButtonState(SelectDateButton, false);
}

void TDateSelectionForm::SetControlButtonState(TDialogButton* button, bool enabled) {
  button->setEnabled(enabled);
  const QRgb color = !enabled ? kDisabledColor : (button == IntraMonthButton ? kIntraMonthColor : kTextColor);
  button->SetLook(kButtonFill, color, color, 1.0);
}

void TDateSelectionForm::SetCalendarLook(TDialogButton* button, bool allowed, bool chosen) {
  if (chosen)
    button->SetLook(kChosenFill, kChosenFill, kWhite, 1.0);
  else if (allowed)
    button->SetLook(kAllowedFill, kAllowedFill, kWhite, 1.0);
  else
    button->SetLook(kButtonFill, kDisabledColor, kDisabledColor, 1.0);
}

void TDateSelectionForm::FillCalendar() {
  session::FillChoice(Choice);
  for (int i = 0; i < session::kYearBlockSize; ++i) {
    TDialogButton* button = YearButtons[static_cast<std::size_t>(i)];
    button->Title()->setText(QString::number(Choice.Year(i)));
    const bool allowed = Choice.YearAllowed[static_cast<std::size_t>(i)];
    button->setEnabled(allowed);
    SetCalendarLook(button, allowed, Choice.SelectedYear == Choice.Year(i));
  }
  for (int m = 0; m < 12; ++m) {
    TDialogButton* button = MonthButtons[static_cast<std::size_t>(m)];
    const bool allowed = Choice.MonthAllowed[static_cast<std::size_t>(m)];
    button->setEnabled(allowed);
    SetCalendarLook(button, allowed, Choice.SelectedMonth == m + 1);
  }
  SelectedDateValue->setVisible(Choice.Complete());
  if (Choice.Complete()) {
    ChosenDate = Choice.ChosenDate;
    SelectedDateValue->setText(QString::fromStdString(session::ChoiceDateText(ChosenDate)));
  }
  SetControlButtonState(SelectDateButton, Choice.Complete());
}

void TDateSelectionForm::OnControlButtonClick(TDialogButton* button) {
  if (ButtonLooksDisabled(button)) return;
  const QRgb stroke = button == IntraMonthButton ? kIntraMonthColor : kTextColor;
  button->SetLook(kButtonFill, stroke, stroke, 1.0);
  if (button == DownButton || button == UpButton) {
    session::MoveYearBlock(Choice, button == DownButton ? -1 : 1);
    FillCalendar();
    return;
  }
  if (!IsStartDate) {
    IntraMonth = button == IntraMonthButton;
    if (IntraMonth) ChosenDate = Choice.MaxDate;
  }
  SetModalResult(1);
}

bool ShowDateSelectionForm(TDateSelectionForm* form, double date, double minimum, double maximum, bool isStart) {
  form->ChosenDate = date;
  session::StartChoice(form->Choice, date, minimum, maximum);
  form->FillCalendar();
  form->IsStartDate = isStart;
  const bool offered = session::IntraMonthOffered(vcMyExternCountryList, maximum, isStart);
  form->IntraMonthButton->setVisible(offered);
  TDialogButton* select = form->SelectDateButton;
  select->move(offered ? form->YearButtons[11]->x() : (form->MainSupport()->width() - select->width()) / 2,
               select->y());
  return form->ShowModal() == 1;
}
