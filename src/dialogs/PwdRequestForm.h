#pragma once
// The credential request: one e-mail address ID sent as one request row.

#include "dialogs/RequestForm.h"

class TPwdRequestForm : public TRequestForm {
  Q_OBJECT
 public:
  explicit TPwdRequestForm(QWidget* parent);

  QLineEdit* UsernameEntryValue = nullptr;
  dialogs::TFrame* UsernameEntrySupport = nullptr;
  dialogs::TFrame* UsernameEntryIndicatorSupport = nullptr;

  // Message line cleared; "Submit" enabled when the entry is not empty (blanks count).
  void OnEntryChangeTracking() override;

 protected:
  void OnFormShow() override;
  void SendRequest() override;
  void SetEntriesEnabled(bool enabled) override;
  void OnEntryFocus(QLineEdit* edit, bool entered) override;
};

// Empties the entry, runs the live check and shows the dialog; true when the
// server accepted the request (result 1; RequestReply holds its reply).
bool ShowPwdRequestForm(TPwdRequestForm* form);
