#pragma once
// The registration request: ten entries checked and sent as one request row.

#include <array>

#include "dialogs/RequestForm.h"
#include "session/DialogRules.h"

class TNewUserRequestForm : public TRequestForm {
  Q_OBJECT
 public:
  explicit TNewUserRequestForm(QWidget* parent);

  // EntryValue_1 .. EntryValue_10 in their frames EntrySupport_1 .. EntrySupport_10.
  std::array<QLineEdit*, session::kNewUserEntryCount> EntryValues{};
  std::array<dialogs::TFrame*, session::kNewUserEntryCount> EntrySupports{};

  session::TNewUserEntries Entries() const;
  // The live check: message line cleared, "Submit" enabled when every entry is valid.
  void OnEntryChangeTracking() override;

 protected:
  void OnFormShow() override;
  void SendRequest() override;
  void SetEntriesEnabled(bool enabled) override;
  void OnEntryFocus(QLineEdit* edit, bool entered) override;
};

// Empties the entries, runs the live check and shows the dialog; true when
// the server accepted the request (result 1; RequestReply holds its reply).
bool ShowNewUserRequestForm(TNewUserRequestForm* form);
