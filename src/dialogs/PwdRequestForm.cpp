#include "dialogs/PwdRequestForm.h"

#include <QLabel>
#include <QLineEdit>

#include "data/QVDBClient.h"
#include "dialogs/DialogWidgets.h"
#include "session/DialogRules.h"

using namespace dialogs;

TPwdRequestForm::TPwdRequestForm(QWidget* parent) : TRequestForm(parent, QStringLiteral("PwdRequestForm"), 381, 246) {
  QWidget* p = MainSupport();
  new TPictureButton(p, QStringLiteral("Logo"), TPicture::Globe, 175, 10, 32);
  MakeLabel(p, QStringLiteral("MainTitle"), QStringLiteral("CREDENTIAL REQUEST FORM"), 0, 49, 381, 27, 20, false,
            kTextColor, Qt::AlignCenter);
  AddCloseButton(347, 10);
  MakeLabel(p, QStringLiteral("Title_1"), QStringLiteral("Enter your E-mail Address ID (registered customers)"), 10, 91,
            365, 24, 16);
  UsernameEntrySupport =
      new TFrame(p, QStringLiteral("UsernameEntrySupport"), 10, 116, 360, 40, kEntryFill, kTextColor, 2.0);
  UsernameEntryIndicatorSupport = new TFrame(UsernameEntrySupport, QStringLiteral("UsernameEntryIndicatorSupport"), 0,
                                             0, 60, 40, kTextColor, kTextColor, 0.0);
  UsernameEntryIndicatorSupport->SetCallout(23, 10);
  new TPictureButton(UsernameEntryIndicatorSupport, QStringLiteral("UsernameEntryIndicator"), TPicture::User, 8, 8, 24,
                     kButtonFill);
  UsernameEntryValue =
      AddEntry(UsernameEntrySupport, QStringLiteral("UsernameEntryValue"), QStringLiteral("E-mail Address ID"), 62, 266,
               335, QStringLiteral("UsernameEntryClearButton"));
  SubmitButton =
      new TDialogButton(p, QStringLiteral("SubmitButton"), QStringLiteral("Submit"), 195, 166, 175, 42, 18, true);
  ConnectHoverLook(SubmitButton);
  connect(SubmitButton, &TDialogButton::Clicked, this, [this] {
    if (Busy()) return;
    RequestReply.clear();
    if (!ButtonLooksDisabled(SubmitButton)) SetSubmitButtonState(true);
    SendRequest();
  });
  MessageTitle = MakeLabel(p, QStringLiteral("MessageTitle"), QString(), 10, 212, 360, 22, 16, false, kTextColor,
                           Qt::AlignRight | Qt::AlignVCenter);
}

void TPwdRequestForm::OnEntryChangeTracking() {
  SetMessage(QString(), false);
  SetSubmitButtonState(!UsernameEntryValue->text().isEmpty());
}

void TPwdRequestForm::OnFormShow() { UsernameEntryValue->setFocus(); }

void TPwdRequestForm::OnEntryFocus(QLineEdit*, bool) {
  // Entering and leaving look alike; the text stays.
  UsernameEntrySupport->SetStroke(kTextColor);
  UsernameEntryIndicatorSupport->SetFill(kTextColor);
}

void TPwdRequestForm::SetEntriesEnabled(bool enabled) { UsernameEntryValue->setEnabled(enabled); }

void TPwdRequestForm::SendRequest() {
  const std::string userId = UsernameEntryValue->text().toStdString();
  if (userId.empty()) return;
  TQVDBClient* client = ptrMyExternQVDBClient;
  if (!client) {
    SetMessage(QStringLiteral("Connection to server failed"), true);
    return;
  }
  StartRequest([client, userId] { return session::SendPasswordRequest(*client, userId); });
}

bool ShowPwdRequestForm(TPwdRequestForm* form) {
  form->UsernameEntryValue->clear();
  form->OnEntryChangeTracking();
  return form->ShowModal() == 1;
}
