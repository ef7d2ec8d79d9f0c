#include "dialogs/LoginForm.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <array>
#include <utility>

#include "data/QVDBClient.h"
#include "data/RegistrySettings.h"
#include "dialogs/DialogWidgets.h"
#include "dialogs/NewUserRequestForm.h"
#include "dialogs/PwdRequestForm.h"
#include "platform/SettingsStore.h"

using namespace dialogs;

namespace {

void SetEditColor(QLineEdit* edit, QRgb color) {
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Text, QColor::fromRgba(color));
  edit->setPalette(palette);
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

// The most UTF-16 units a field may take so that whatever is typed into it
// can be stored under name: a unit is at most three bytes as written (UTF-8
// of a character up to U+FFFF, half of a four-byte pair, or a character
// escaped into two).
int StoredFieldLength(const char* name) {
  return static_cast<int>(platform::SettingsStore::MaxEscapedTextBytes(name) / 3);
}

}  // namespace

TLoginForm::TLoginForm(QWidget* parent, TNewUserRequestForm* newUserForm, TPwdRequestForm* pwdForm)
    : TModalForm(parent, QStringLiteral("LoginForm"), 764, 580),
      NewUserRequestForm(newUserForm),
      PwdRequestForm(pwdForm) {
  SignIn.StartDateToUpdate = 0.0;
  BuildControls();
  connect(&LoginWatcher_, &QFutureWatcherBase::finished, this, &TLoginForm::OnLoginThreadTerminate);
  connect(&TestWatcher_, &QFutureWatcherBase::finished, this, &TLoginForm::OnTestThreadTerminate);
}

TLoginForm::~TLoginForm() {
  // A job still running uses the client: let it end before the form goes.
  LoginWatcher_.waitForFinished();
  TestWatcher_.waitForFinished();
}

QLineEdit* TLoginForm::AddEntry(TFrame* frame, const QString& name, const QString& prompt, int x, int y, int w, int h) {
  auto* edit = new QLineEdit(frame);
  edit->setObjectName(name);
  edit->setPlaceholderText(prompt);
  edit->setFrame(false);
  edit->setFont(DialogFont(16));
  edit->setGeometry(x, y, w, h);
  edit->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
  SetEditColor(edit, kTextColor);
  edit->installEventFilter(this);
  connect(edit, &QLineEdit::textChanged, this, [this, edit] { OnEntryChangeTracking(edit); });
  return edit;
}

void TLoginForm::BuildControls() {
  QWidget* p = MainSupport();
  new TPictureButton(p, QStringLiteral("Logo"), TPicture::Globe, 366, 10, 32);
  AddCloseButton(730, 10);
  MakeLabel(p, QStringLiteral("MainTitle"), QStringLiteral("DATA ACCESS REQUEST FORM"), 143, 49, 478, 27, 20, false,
            kTextColor, Qt::AlignCenter);
  MakeLabel(p, QStringLiteral("Title_1"), QStringLiteral("Already Registered"), 10, 96, 0, 30, 20, true, kTitleRed);
  MakeLabel(p, QStringLiteral("Title_2"), QStringLiteral("Enter your E-mail Address ID"), 10, 140, 0, 24, 16);

  auto addSignInEntry = [this, p](const QString& base, int y, TPicture picture, TFrame*& support,
                                  TFrame*& indicatorSupport, TPictureButton*& indicator, TPictureButton*& verified,
                                  QLineEdit*& edit, const QString& prompt, const QString& verifiedName) {
    support = new TFrame(p, base + QStringLiteral("EntrySupport"), 10, y, 360, 40, kEntryFill, kTextColor, 2.0);
    indicatorSupport =
        new TFrame(support, base + QStringLiteral("EntryIndicatorSupport"), 0, 0, 60, 40, kTextColor, kTextColor, 0.0);
    indicatorSupport->SetCallout(23, 10);
    indicator =
        new TPictureButton(indicatorSupport, base + QStringLiteral("EntryIndicator"), picture, 8, 8, 24, kButtonFill);
    verified = new TPictureButton(indicatorSupport, verifiedName, TPicture::Check, 8, 8, 24, kButtonFill);
    verified->hide();
    edit = AddEntry(support, base + QStringLiteral("EntryValue"), prompt, 62, 2, 266, 36);
    auto* clear = new TPictureButton(support, base + QStringLiteral("EntryClearButton"), TPicture::Clear, 335, 12, 16);
    connect(clear, &TPictureButton::Clicked, this, [edit] { edit->clear(); });
  };
  addSignInEntry(QStringLiteral("Username"), 165, TPicture::User, UsernameEntrySupport, UsernameEntryIndicatorSupport,
                 UsernameEntryIndicator, VerifiedUsernameOK, UsernameEntryValue, QStringLiteral("E-mail Address ID"),
                 QStringLiteral("VerifiedUsernameOK"));
  QLabel* andTitle = MakeLabel(p, QStringLiteral("Title_3"), QStringLiteral("AND"), 10, 219, 0, 24, 16, true);
  MakeLabel(p, QStringLiteral("Title_4"), QStringLiteral("password"), andTitle->geometry().right() + 3, 218, 0, 24, 16);
  ForgotCredentialsTitle =
      MakeLabel(p, QStringLiteral("ForgotCredentialsTitle"), QStringLiteral("Forgot your password ?"), 168, 217, 201,
                27, 16, false, kLinkColor, Qt::AlignRight | Qt::AlignVCenter);
  ForgotCredentialsTitle->setCursor(Qt::PointingHandCursor);
  ForgotCredentialsTitle->installEventFilter(this);
  addSignInEntry(QStringLiteral("Password"), 243, TPicture::Door, PasswordEntrySupport, PasswordEntryIndicatorSupport,
                 PasswordEntryIndicator, VerifiedPasswordOK, PasswordEntryValue, QStringLiteral("Password"),
                 QStringLiteral("VerifiedPasswordOK"));
  PasswordEntryValue->setEchoMode(QLineEdit::Password);
  PasswordEntryValue->resize(236, 36);
  ViewPasswordButton =
      new TPictureButton(PasswordEntrySupport, QStringLiteral("ViewPasswordButton"), TPicture::Eye, 302, 8, 24);
  connect(ViewPasswordButton, &TPictureButton::Pressed, this,
          [this] { PasswordEntryValue->setEchoMode(QLineEdit::Normal); });
  connect(ViewPasswordButton, &TPictureButton::Released, this,
          [this] { PasswordEntryValue->setEchoMode(QLineEdit::Password); });

  RememberMeCheckBoxFrame =
      new TFrame(p, QStringLiteral("RememberMeCheckBoxFrame"), 10, 292, 24, 24, kEntryFill, kTextColor, 2.0, 1.0);
  RememberMeCheckBoxMark = new TFrame(RememberMeCheckBoxFrame, QStringLiteral("RememberMeCheckBoxMark"), 4, 4, 16, 16,
                                      kTextColor, kTextColor, 0.0);
  RememberMeCheckBoxMark->setAttribute(Qt::WA_TransparentForMouseEvents);
  RememberMeCheckBoxMark->hide();
  MakeLabel(p, QStringLiteral("RememberMeCheckBoxTitle"), QStringLiteral("Remember me"), 39, 293, 0, 24, 16);
  SignInButton = new TDialogButton(p, QStringLiteral("SignInButton"), QStringLiteral("Download Data"), 195, 292, 175,
                                   42, 18, true);
  ExitButton = new TDialogButton(p, QStringLiteral("ExitButton"), QStringLiteral("CLOSE FORM"), 362, 255, 175, 50, 16,
                                 true, 4.0);
  ExitButton->hide();
  MessageTitle_1 = MakeLabel(p, QStringLiteral("MessageTitle_1"), QString(), 10, 338, 360, 22, 16, false, kTextColor,
                             Qt::AlignRight | Qt::AlignVCenter);

  MakeLabel(p, QStringLiteral("Title_5"), QStringLiteral("New Customer"), 439, 96, 0, 30, 20, true, kTitleRed);
  const char* explanation[] = {"Registration is prerequisite for accessing", "Quorvane data and services.",
                               "After your registration has been validate by",
                               "support team, you should shortly receive an", "e-mail with your login credentials."};
  const int explanationY[] = {140, 166, 193, 220, 247};
  // Set at 16 px; the paragraph keeps one size, the largest at which every line fits.
  std::array<QLabel*, 5> lines{};
  int fitted = 16;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    lines[i] = MakeLabel(p, QStringLiteral("Title_%1").arg(6 + i), QString::fromLatin1(explanation[i]), 439,
                         explanationY[i], 320, 24, 16);
    fitted = std::min(fitted, lines[i]->font().pixelSize());
  }
  for (QLabel* line : lines) line->setFont(DialogFont(fitted));
  NewUserButton =
      new TDialogButton(p, QStringLiteral("NewUserButton"), QStringLiteral("Register"), 579, 292, 175, 42, 18, true);

  MakeLabel(p, QStringLiteral("Title_11"), QStringLiteral("Communication"), 11, 356, 0, 30, 20, true, kTitleRed);
  ProxyUsageCheckBoxFrame =
      new TFrame(p, QStringLiteral("ProxyUsageCheckBoxFrame"), 10, 399, 24, 24, kEntryFill, kTextColor, 2.0, 1.0);
  ProxyUsageCheckBoxMark = new TFrame(ProxyUsageCheckBoxFrame, QStringLiteral("ProxyUsageCheckBoxMark"), 4, 4, 16, 16,
                                      kTextColor, kTextColor, 0.0);
  ProxyUsageCheckBoxMark->setAttribute(Qt::WA_TransparentForMouseEvents);
  ProxyUsageCheckBoxMark->hide();
  MakeLabel(p, QStringLiteral("ProxyUsageCheckBoxTitle"), QStringLiteral("Proxy usage specified"), 39, 400, 0, 24, 16);
  const char* proxyTitles[] = {"Enter proxy server address", "Enter proxy username (optional)",
                               "Enter proxy password (optional)"};
  const char* proxyNames[] = {"ProxyServerAddress", "ProxyUsername", "ProxyPassword"};
  const char* proxyPrompts[] = {"Address or Address:Port ", "Username", "Password"};
  TFrame** supports[] = {&ProxyServerAddressEntrySupport, &ProxyUsernameEntrySupport, &ProxyPasswordEntrySupport};
  QLineEdit** edits[] = {&ProxyServerAddressEntryValue, &ProxyUsernameEntryValue, &ProxyPasswordEntryValue};
  for (int i = 0; i < 3; ++i) {
    const int x = 10 + 251 * i;
    const QString base = QString::fromLatin1(proxyNames[i]);
    ProxyTitles_.append(
        MakeLabel(p, QStringLiteral("Title_%1").arg(12 + i), QString::fromLatin1(proxyTitles[i]), x, 444, 245, 24, 14));
    *supports[i] = new TFrame(p, base + QStringLiteral("EntrySupport"), x, 469, 241, 40, kEntryFill, kTextColor, 2.0);
    *edits[i] = AddEntry(*supports[i], base + QStringLiteral("EntryValue"), QString::fromLatin1(proxyPrompts[i]), 4, 2,
                         205, 37);
    auto* clear =
        new TPictureButton(*supports[i], base + QStringLiteral("EntryClearButton"), TPicture::Clear, 215, 12, 16);
    QLineEdit* edit = *edits[i];
    connect(clear, &TPictureButton::Clicked, this, [edit] { edit->clear(); });
    ProxyClearButtons_.append(clear);
  }
  ProxyPasswordEntryValue->setEchoMode(QLineEdit::Password);
  TestButton = new TDialogButton(p, QStringLiteral("TestButton"), QStringLiteral("Test"), 512, 518, 115, 42, 18, true);
  SaveButton = new TDialogButton(p, QStringLiteral("SaveButton"), QStringLiteral("Save"), 638, 518, 115, 42, 18, true);
  MessageTitle_2 = new TWrappedText(p, QStringLiteral("MessageTitle_2"), 16, kTextColor);
  MessageTitle_2->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  MessageTitle_2->setGeometry(10, 528, 490, 22);
  MessageTitle_2->setProperty("DesignSize", 16);

  // The fields that end in the store take no longer text than it keeps.
  const std::pair<QLineEdit*, const char*> storedFields[] = {{UsernameEntryValue, kRegUsername},
                                                             {PasswordEntryValue, kRegPassword},
                                                             {ProxyServerAddressEntryValue, kRegProxyServerAddress},
                                                             {ProxyUsernameEntryValue, kRegProxyUsername},
                                                             {ProxyPasswordEntryValue, kRegProxyPassword}};
  for (const auto& [edit, name] : storedFields) edit->setMaxLength(StoredFieldLength(name));

  for (TDialogButton* button : {ExitButton, SignInButton, NewUserButton, TestButton, SaveButton}) {
    SetButtonEnabled(button, true);
    ConnectHoverLook(button);
    connect(button, &TDialogButton::Clicked, this, [this, button] { OnButtonClick(button); });
  }
  connect(RememberMeCheckBoxFrame, &TFrame::Clicked, this, [this] { OnCheckBoxClick(RememberMeCheckBoxFrame); });
  connect(ProxyUsageCheckBoxFrame, &TFrame::Clicked, this, [this] { OnCheckBoxClick(ProxyUsageCheckBoxFrame); });
  ApplyProxyState();
  OnEntryChangeTracking(UsernameEntryValue);
}

void TLoginForm::SetStatus(QLabel* line, const QString& text, bool error) {
  SetTextColor(line, error ? kErrorColor : kTextColor);
  // The proxy line may take the lines down to the panel's edge.
  if (line == MessageTitle_2) {
    FitStatusText(MessageTitle_2, text, line->parentWidget()->height() - 4);
  } else {
    FitText(line, text);
  }
}

void TLoginForm::ClearStatusLines() {
  SetStatus(MessageTitle_1, QString(), false);
  SetStatus(MessageTitle_2, QString(), false);
}

void TLoginForm::OnFormShow() {
  ClearStatusLines();
  if (UsernameEntryValue->text().isEmpty()) UsernameEntryValue->setFocus();
}

void TLoginForm::OnFormClose() { ClearStatusLines(); }

void TLoginForm::CloseRequested() {
  // The dialog waits for its running job: the finish handler needs it.
  if (Busy_) return;
  TModalForm::CloseRequested();
}

bool TLoginForm::eventFilter(QObject* watched, QEvent* event) {
  auto* edit = qobject_cast<QLineEdit*>(watched);
  if (edit && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
    OnEntryFocus(edit, event->type() == QEvent::FocusIn);
  if (watched == ForgotCredentialsTitle) {
    QFont font = ForgotCredentialsTitle->font();
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
      font.setUnderline(event->type() == QEvent::Enter);
      ForgotCredentialsTitle->setFont(font);
    } else if (event->type() == QEvent::MouseButtonRelease && ForgotCredentialsTitle->isEnabled() &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
      OnLinkClick();
      return true;
    }
  }
  return TModalForm::eventFilter(watched, event);
}

void TLoginForm::OnEntryFocus(QLineEdit* edit, bool entered) {
  const QRgb frame = entered ? kFocusColor : kTextColor;
  if (edit == UsernameEntryValue || edit == PasswordEntryValue) {
    (edit == UsernameEntryValue ? UsernameEntrySupport : PasswordEntrySupport)->SetStroke(frame);
    UsernameEntryIndicatorSupport->SetFill(UsernameEntrySupport->Stroke());
    PasswordEntryIndicatorSupport->SetFill(PasswordEntrySupport->Stroke());
    SetEditColor(UsernameEntryValue, kTextColor);
    SetEditColor(PasswordEntryValue, kTextColor);
  } else {
    static_cast<TFrame*>(edit->parentWidget())->SetStroke(frame);
    for (QLineEdit* proxy : {ProxyServerAddressEntryValue, ProxyUsernameEntryValue, ProxyPasswordEntryValue})
      SetEditColor(proxy, kTextColor);
  }
}

void TLoginForm::OnEntryChangeTracking(QLineEdit* sender) {
  ClearStatusLines();
  if (sender == UsernameEntryValue || sender == PasswordEntryValue) {
    VerifiedUsernameOK->hide();
    VerifiedPasswordOK->hide();
    UsernameEntryIndicator->show();
    PasswordEntryIndicator->show();
    if (sender->hasFocus()) OnEntryFocus(sender, true);
    SetButtonEnabled(SignInButton, session::SignInFieldsFilled(UsernameEntryValue->text().toStdString(),
                                                               PasswordEntryValue->text().toStdString()));
  } else {
    const session::TProxyButtons states = session::ProxyButtonStates(
        ProxyUsageSpecified, ProxyServerAddressEntryValue->text().toStdString(),
        ProxyUsernameEntryValue->text().toStdString(), ProxyPasswordEntryValue->text().toStdString());
    SetButtonEnabled(TestButton, states.TestEnabled);
    SetButtonEnabled(SaveButton, states.SaveEnabled);
  }
}

void TLoginForm::ApplyProxyState() {
  const bool on = ProxyUsageSpecified;
  ProxyUsageCheckBoxMark->setVisible(on);
  for (QLineEdit* edit : {ProxyServerAddressEntryValue, ProxyUsernameEntryValue, ProxyPasswordEntryValue}) {
    edit->setEnabled(on);
    static_cast<TFrame*>(edit->parentWidget())
        ->SetStroke(on ? (edit->hasFocus() ? kFocusColor : kTextColor) : kDisabledColor);
    if (!on) edit->clear();
  }
  for (QLabel* title : ProxyTitles_) SetTextColor(title, on ? kTextColor : kDisabledColor);
  for (TPictureButton* clear : ProxyClearButtons_) clear->setVisible(on);
  SetButtonEnabled(TestButton, on);
  SetButtonEnabled(SaveButton, on);
  OnEntryChangeTracking(ProxyServerAddressEntryValue);
}

void TLoginForm::OnCheckBoxClick(TFrame* frame) {
  if (frame == RememberMeCheckBoxFrame) {
    RememberMe = !RememberMe;
    RememberMeCheckBoxMark->setVisible(RememberMe);
  } else if (frame == ProxyUsageCheckBoxFrame) {
    // Switching the proxy while a job runs would enable "Test" beside it.
    if (Busy_) return;
    ProxyUsageSpecified = !ProxyUsageSpecified;
    ApplyProxyState();
  }
}

void TLoginForm::PrepareFromRegistry() {
  TRegistrySettings registry;
  const session::TLoginRegistryValues values = session::ReadLoginRegistry(registry);
  UsernameEntryValue->clear();
  PasswordEntryValue->clear();
  UsernameEntrySupport->SetStroke(kFocusColor);
  PasswordEntrySupport->SetStroke(kFocusColor);
  UsernameEntryIndicatorSupport->SetFill(kFocusColor);
  PasswordEntryIndicatorSupport->SetFill(kFocusColor);
  SetEditColor(UsernameEntryValue, kTextColor);
  SetEditColor(PasswordEntryValue, kTextColor);
  if (!values.Username.empty()) UsernameEntryValue->setText(Text(values.Username));
  if (!values.Password.empty()) PasswordEntryValue->setText(Text(values.Password));
  RememberMe = values.RememberMe;
  RememberMeCheckBoxMark->setVisible(RememberMe);
  OnEntryChangeTracking(UsernameEntryValue);
  ProxyUsageSpecified = values.ProxyUsageSpecified;
  ProxyServerAddressEntryValue->setText(Text(values.ProxyServerAddress));
  ProxyUsernameEntryValue->setText(Text(values.ProxyUsername));
  ProxyPasswordEntryValue->setText(Text(values.ProxyPassword));
  ApplyProxyState();
}

void TLoginForm::OnButtonClick(TDialogButton* button) {
  if (ButtonLooksDisabled(button) || Busy_) return;
  ClearStatusLines();
  SetButtonEnabled(button, true);  // the leave look
  if (button == ExitButton) {
    SetModalResult(2);
  } else if (button == SignInButton) {
    StartLogin();
  } else if (button == NewUserButton) {
    if (NewUserRequestForm && ShowNewUserRequestForm(NewUserRequestForm)) SetModalResult(2);
    if (UsernameEntryValue->text().isEmpty()) UsernameEntryValue->setFocus();
  } else if (button == TestButton) {
    StartConnectionTest();
  } else if (button == SaveButton) {
    SaveProxy();
  }
}

void TLoginForm::SaveProxy() {
  TRegistrySettings registry;
  std::string error;
  if (session::SaveProxySettings(registry, ProxyUsageSpecified, ProxyServerAddressEntryValue->text().toStdString(),
                                 ProxyUsernameEntryValue->text().toStdString(),
                                 ProxyPasswordEntryValue->text().toStdString(), error))
    SetStatus(MessageTitle_2, QStringLiteral("Saved"), false);
  else
    SetStatus(MessageTitle_2, Text(error), true);
}

void TLoginForm::OnLinkClick() {
  if (Busy_) return;
  ClearStatusLines();
  QFont font = ForgotCredentialsTitle->font();
  font.setUnderline(false);
  ForgotCredentialsTitle->setFont(font);
  if (PwdRequestForm && ShowPwdRequestForm(PwdRequestForm)) SetModalResult(2);
  if (UsernameEntryValue->text().isEmpty()) UsernameEntryValue->setFocus();
}

void TLoginForm::SetControlsEnabled(bool enabled) {
  SetButtonEnabled(ExitButton, enabled);
  SetButtonEnabled(SignInButton, enabled);
  SetButtonEnabled(NewUserButton, enabled);
  UsernameEntryValue->setEnabled(enabled);
  PasswordEntryValue->setEnabled(enabled);
  ForgotCredentialsTitle->setEnabled(enabled);
  ProxyUsageCheckBoxMark->setEnabled(enabled);
  for (QLineEdit* edit : {ProxyServerAddressEntryValue, ProxyUsernameEntryValue, ProxyPasswordEntryValue})
    edit->setEnabled(enabled && ProxyUsageSpecified);
  SetButtonEnabled(TestButton, enabled && ProxyUsageSpecified);
  SetButtonEnabled(SaveButton, enabled);
  if (enabled) OnEntryChangeTracking(ProxyServerAddressEntryValue);
}

void TLoginForm::StartLogin() {
  TQVDBClient* client = ptrMyExternQVDBClient;
  if (!client) {
    SetStatus(MessageTitle_1, QStringLiteral("Connection to server failed"), true);
    return;
  }
  LoginOk = false;
  Busy_ = true;
  setFocus();
  SetControlsEnabled(false);
  SetStatus(MessageTitle_1, QStringLiteral("Processing, Please Wait..."), false);
  const std::string user = UsernameEntryValue->text().toStdString();
  const std::string password = PasswordEntryValue->text().toStdString();
  const bool remember = RememberMe;
  LoginWatcher_.setFuture(QtConcurrent::run(&dialogs::ServerWorkPool(), [client, user, password, remember] {
    TRegistrySettings registry;
    return session::RunSignIn(*client, registry, user, password, remember);
  }));
}

void TLoginForm::StartConnectionTest() {
  TQVDBClient* client = ptrMyExternQVDBClient;
  if (!client) {
    SetStatus(MessageTitle_2, QStringLiteral("Connection Failed"), true);
    return;
  }
  Busy_ = true;
  setFocus();
  SetControlsEnabled(false);
  SetStatus(MessageTitle_2, QStringLiteral("Processing, Please Wait..."), false);
  const std::string address = ProxyServerAddressEntryValue->text().toStdString();
  const std::string user = ProxyUsernameEntryValue->text().toStdString();
  const std::string password = ProxyPasswordEntryValue->text().toStdString();
  TestWatcher_.setFuture(QtConcurrent::run(&dialogs::ServerWorkPool(), [client, address, user, password] {
    return session::RunProxyTest(*client, address, user, password);
  }));
}

void TLoginForm::OnLoginThreadTerminate() {
  const session::TSignInResult result = LoginWatcher_.result();
  SignInWarning = result.Warning;
  Busy_ = false;
  SetControlsEnabled(true);
  PasswordEntryValue->setEnabled(true);
  if (result.Checked) {
    // The callouts show a check mark for an accepted entry, the picture otherwise.
    VerifiedUsernameOK->setVisible(result.UserOk);
    UsernameEntryIndicator->setVisible(!result.UserOk);
    VerifiedPasswordOK->setVisible(result.PwdOk);
    PasswordEntryIndicator->setVisible(!result.PwdOk);
  }
  ViewPasswordButton->setVisible(!PasswordEntryValue->text().isEmpty());
  if (result.FirstNameRead) FirstName = result.FirstName;
  if (result.Refused != session::TRefusedEntry::None) {
    const bool user = result.Refused == session::TRefusedEntry::Username;
    (user ? UsernameEntrySupport : PasswordEntrySupport)->SetStroke(kErrorColor);
    (user ? UsernameEntryIndicatorSupport : PasswordEntryIndicatorSupport)->SetFill(kErrorColor);
    SetEditColor(user ? UsernameEntryValue : PasswordEntryValue, kErrorColor);
  }
  LoginOk = result.LoginOk;
  if (!LoginOk) {
    SetStatus(MessageTitle_1, Text(result.Message), true);
  } else {
    UpdateAuthorized = result.UpdateAuthorized;
    SignIn.UserId = UsernameEntryValue->text().toStdString();
    SignIn.StartDateToUpdate = result.StartDateToUpdate;
    if (UpdateAuthorized) {
      SetStatus(MessageTitle_1, QString(), false);
      SetModalResult(1);
    } else {
      SetStatus(MessageTitle_1, QStringLiteral("Synchronisation not authorized, try again later"), true);
    }
  }
  emit LoginFinished();
}

void TLoginForm::OnTestThreadTerminate() {
  const std::string failure = TestWatcher_.result();
  Busy_ = false;
  SetControlsEnabled(true);
  if (failure.empty())
    SetStatus(MessageTitle_2, QStringLiteral("Connected to server"), false);
  else
    SetStatus(MessageTitle_2, Text(failure), true);
  emit TestFinished();
}

bool ShowLoginForm(TLoginForm* form) {
  form->PrepareFromRegistry();
  return form->ShowModal() == 1;
}
