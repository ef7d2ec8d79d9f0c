#pragma once
// The sign-in dialog: sign-in before a data download, the proxy test and
// store, and the way to the new-user and password request dialogs. Server
// work runs off the GUI thread; the controls stay disabled until it ends.

#include <QFutureWatcher>
#include <string>

#include "dialogs/ModalForm.h"
#include "session/DialogRules.h"
#include "session/UpdateStep.h"

class QLabel;
class QLineEdit;
class TNewUserRequestForm;
class TPwdRequestForm;

namespace dialogs {
class TDialogButton;
class TFrame;
class TPictureButton;
class TWrappedText;
}  // namespace dialogs

class TLoginForm : public dialogs::TModalForm {
  Q_OBJECT
 public:
  // The request dialogs are opened from "Register" and "Forgot your password ?".
  TLoginForm(QWidget* parent, TNewUserRequestForm* newUserForm = nullptr, TPwdRequestForm* pwdForm = nullptr);
  ~TLoginForm() override;

  bool LoginOk = false;              // the last sign-in attempt succeeded
  bool RememberMe = false;           // the remember-me check box
  bool ProxyUsageSpecified = false;  // the proxy check box
  bool UpdateAuthorized = false;     // the server allows this user to update
  std::string FirstName;             // as the server gave it at the last sign-in
  // User id and STARTDATETOUPDATE of the last successful sign-in (read by the full download).
  session::TSignInState SignIn;
  // The last attempt's warning: its remembered values could not be written
  // (the sign-in went on); the main window shows it.
  std::string SignInWarning;

  TNewUserRequestForm* NewUserRequestForm;
  TPwdRequestForm* PwdRequestForm;

  // Controls (object names as below).
  QLineEdit* UsernameEntryValue = nullptr;
  QLineEdit* PasswordEntryValue = nullptr;
  QLineEdit* ProxyServerAddressEntryValue = nullptr;
  QLineEdit* ProxyUsernameEntryValue = nullptr;
  QLineEdit* ProxyPasswordEntryValue = nullptr;
  dialogs::TFrame* UsernameEntrySupport = nullptr;
  dialogs::TFrame* PasswordEntrySupport = nullptr;
  dialogs::TFrame* UsernameEntryIndicatorSupport = nullptr;
  dialogs::TFrame* PasswordEntryIndicatorSupport = nullptr;
  dialogs::TPictureButton* UsernameEntryIndicator = nullptr;
  dialogs::TPictureButton* VerifiedUsernameOK = nullptr;
  dialogs::TPictureButton* PasswordEntryIndicator = nullptr;
  dialogs::TPictureButton* VerifiedPasswordOK = nullptr;
  dialogs::TPictureButton* ViewPasswordButton = nullptr;
  dialogs::TFrame* ProxyServerAddressEntrySupport = nullptr;
  dialogs::TFrame* ProxyUsernameEntrySupport = nullptr;
  dialogs::TFrame* ProxyPasswordEntrySupport = nullptr;
  dialogs::TFrame* RememberMeCheckBoxFrame = nullptr;
  dialogs::TFrame* RememberMeCheckBoxMark = nullptr;
  dialogs::TFrame* ProxyUsageCheckBoxFrame = nullptr;
  dialogs::TFrame* ProxyUsageCheckBoxMark = nullptr;
  QLabel* ForgotCredentialsTitle = nullptr;
  QLabel* MessageTitle_1 = nullptr;
  dialogs::TWrappedText* MessageTitle_2 = nullptr;  // wraps a failure naming a file
  dialogs::TDialogButton* SignInButton = nullptr;
  dialogs::TDialogButton* ExitButton = nullptr;
  dialogs::TDialogButton* NewUserButton = nullptr;
  dialogs::TDialogButton* TestButton = nullptr;
  dialogs::TDialogButton* SaveButton = nullptr;

  // True while a sign-in or proxy test runs.
  bool Busy() const { return Busy_; }

  // Prepares the dialog from the registry (texts, check boxes, enabling rules).
  void PrepareFromRegistry();

 signals:
  // Emitted by the finish handlers, after the dialog shows the outcome.
  void LoginFinished();
  void TestFinished();

 protected:
  void OnFormShow() override;
  void OnFormClose() override;
  void CloseRequested() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void BuildControls();
  QLineEdit* AddEntry(dialogs::TFrame* frame, const QString& name, const QString& prompt, int x, int y, int w, int h);
  void SetStatus(QLabel* line, const QString& text, bool error);
  void ClearStatusLines();
  void OnButtonClick(dialogs::TDialogButton* button);
  void OnEntryFocus(QLineEdit* edit, bool entered);
  void OnEntryChangeTracking(QLineEdit* sender);
  void ApplyProxyState();
  void OnCheckBoxClick(dialogs::TFrame* frame);
  void OnLinkClick();
  void SetControlsEnabled(bool enabled);
  void StartLogin();
  void StartConnectionTest();
  void OnLoginThreadTerminate();
  void OnTestThreadTerminate();
  void SaveProxy();

  QList<QLabel*> ProxyTitles_;
  QList<dialogs::TPictureButton*> ProxyClearButtons_;
  QFutureWatcher<session::TSignInResult> LoginWatcher_;
  QFutureWatcher<std::string> TestWatcher_;
  bool Busy_ = false;
};

// Prepares the dialog from the registry and shows it; true when the sign-in
// succeeded and the user may update (modal result 1).
bool ShowLoginForm(TLoginForm* form);
