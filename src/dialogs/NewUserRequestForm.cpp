#include "dialogs/NewUserRequestForm.h"

#include <QLabel>
#include <QLineEdit>

#include "data/QVDBClient.h"
#include "dialogs/DialogWidgets.h"
#include "platform/DateTime.h"

using namespace dialogs;

namespace {
struct TEntryPlace {
  const char* Prompt;
  int X, Y, Width;
};
constexpr std::array<TEntryPlace, session::kNewUserEntryCount> kPlaces = {{{"First Name", 10, 125, 270},
                                                                           {"Last Name", 291, 125, 271},
                                                                           {"E-mail Address", 10, 206, 366},
                                                                           {"Phone Number", 387, 206, 175},
                                                                           {"Company", 10, 287, 270},
                                                                           {"Position", 291, 287, 271},
                                                                           {"Street Address", 10, 368, 832},
                                                                           {"City", 10, 418, 270},
                                                                           {"State/ZIP Code", 291, 418, 271},
                                                                           {"Country", 572, 418, 271}}};
}  // namespace

TNewUserRequestForm::TNewUserRequestForm(QWidget* parent)
    : TRequestForm(parent, QStringLiteral("NewUserRequestForm"), 854, 495) {
  QWidget* p = MainSupport();
  new TPictureButton(p, QStringLiteral("Logo"), TPicture::Globe, 411, 10, 32);
  MakeLabel(p, QStringLiteral("MainTitle"), QStringLiteral("REGISTRATION REQUEST FORM"), 197, 49, 460, 27, 20, false,
            kTextColor, Qt::AlignCenter);
  AddCloseButton(820, 10);
  MakeLabel(p, QStringLiteral("Title_1"), QStringLiteral("Full name"), 10, 97, 0, 24, 16);
  MakeLabel(p, QStringLiteral("Title_2"), QStringLiteral("Contact E-mail & Phone"), 10, 178, 0, 24, 16);
  MakeLabel(p, QStringLiteral("Title_3"), QStringLiteral("Company name & Position"), 10, 259, 0, 24, 16);
  MakeLabel(p, QStringLiteral("Title_4"), QStringLiteral("Contact Address"), 10, 340, 0, 24, 16);
  for (int i = 0; i < session::kNewUserEntryCount; ++i) {
    const TEntryPlace& place = kPlaces[static_cast<std::size_t>(i)];
    const QString n = QString::number(i + 1);
    auto* frame = new TFrame(p, QStringLiteral("EntrySupport_") + n, place.X, place.Y, place.Width, 40, kEntryFill,
                             kTextColor, 2.0);
    EntrySupports[static_cast<std::size_t>(i)] = frame;
    EntryValues[static_cast<std::size_t>(i)] =
        AddEntry(frame, QStringLiteral("EntryValue_") + n, QString::fromLatin1(place.Prompt), 6, place.Width - 40,
                 place.Width - 25, QStringLiteral("EntryClearButton_") + n);
  }
  SubmitButton =
      new TDialogButton(p, QStringLiteral("SubmitButton"), QStringLiteral("Submit"), 620, 199, 175, 50, 18, true);
  ConnectHoverLook(SubmitButton);
  connect(SubmitButton, &TDialogButton::Clicked, this, [this] {
    if (Busy()) return;
    RequestReply.clear();
    if (!ButtonLooksDisabled(SubmitButton)) SetSubmitButtonState(true);  // the leave look
    SendRequest();
  });
  MessageTitle = MakeLabel(p, QStringLiteral("MessageTitle"), QString(), 10, 465, 832, 22, 16, false, kTextColor,
                           Qt::AlignRight | Qt::AlignVCenter);
}

session::TNewUserEntries TNewUserRequestForm::Entries() const {
  session::TNewUserEntries entries;
  for (std::size_t i = 0; i < entries.size(); ++i) entries[i] = EntryValues[i]->text().toStdString();
  return entries;
}

void TNewUserRequestForm::OnEntryChangeTracking() {
  SetMessage(QString(), false);
  SetSubmitButtonState(session::CheckNewUserEntries(Entries()).Valid);
}

void TNewUserRequestForm::OnFormShow() { EntryValues[0]->setFocus(); }

void TNewUserRequestForm::OnEntryFocus(QLineEdit* edit, bool entered) {
  for (std::size_t i = 0; i < EntryValues.size(); ++i) {
    if (EntryValues[i] != edit) continue;
    EntrySupports[i]->SetStroke(entered ? kFocusColor : kTextColor);
    // Entering an entry empties it.
    if (entered) edit->clear();
  }
}

void TNewUserRequestForm::SetEntriesEnabled(bool enabled) {
  for (QLineEdit* edit : EntryValues) edit->setEnabled(enabled);
}

void TNewUserRequestForm::SendRequest() {
  const session::TNewUserEntries entries = Entries();
  const session::TNewUserCheck check = session::CheckNewUserEntries(entries);
  if (!check.Valid) {
    for (std::size_t i = 0; i < EntrySupports.size(); ++i)
      if (check.Red[i]) EntrySupports[i]->SetStroke(kErrorColor);
    SetMessage(QString::fromStdString(check.Message), true);
    return;
  }
  TQVDBClient* client = ptrMyExternQVDBClient;
  if (!client) {
    SetMessage(QStringLiteral("Connection to server failed"), true);
    return;
  }
  const double today = platform::Today();
  StartRequest([client, entries, today] { return session::SendNewUserRequest(*client, entries, today); });
}

bool ShowNewUserRequestForm(TNewUserRequestForm* form) {
  for (QLineEdit* edit : form->EntryValues) edit->clear();
  form->OnEntryChangeTracking();
  return form->ShowModal() == 1;
}
