// Sign-in dialog against an in-process data server with the sample data:
// enabling rules, wrong password, a correct sign-in, a stopped server, the
// proxy rules and cancels.

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QThread>
#include <QThreadPool>
#include <atomic>
#include <fstream>
#include <utility>

#include "data/FakeTransport.h"
#include "data/QVDBClient.h"
#include "data/RegistrySettings.h"
#include "data/TempDir.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/DialogWidgets.h"
#include "dialogs/LoginForm.h"
#include "dialogs/PwdRequestForm.h"
#include "platform/CurlTransport.h"
#include "platform/SettingsStore.h"
#include "server/ServerTestSupport.h"

namespace {

using namespace dialogtest;
using dialogs::ButtonLooksDisabled;

// The sample server, shared by the tests of this file.
qvtest::TRunningServer& Server() {
  static qvtest::TRunningServer server;
  return server;
}

class LoginFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Home.UseAsHome("home");
    Client.SetBaseUrl(Server().BaseUrl());
    Client.SetProxySource([] { return TProxySettings{}; });
    ptrMyExternQVDBClient = &Client;
  }
  void TearDown() override { ptrMyExternQVDBClient = nullptr; }

  // Types the credentials, presses "Download Data" and runs check once the attempt ended.
  void SignInThen(const QString& user, const QString& password, std::function<void()> check) {
    WhenShown([this, user, password, check] {
      Form.UsernameEntryValue->setText(user);
      Form.PasswordEntryValue->setText(password);
      auto connection = std::make_shared<QMetaObject::Connection>();
      *connection = QObject::connect(&Form, &TLoginForm::LoginFinished, [connection, check] {
        QObject::disconnect(*connection);
        check();
      });
      Click(Form.SignInButton);
      EXPECT_TRUE(Form.Busy());
      EXPECT_EQ(Form.MessageTitle_1->text(), "Processing, Please Wait...");
      EXPECT_TRUE(ButtonLooksDisabled(Form.SignInButton));
      EXPECT_FALSE(Form.UsernameEntryValue->isEnabled());
      Escape(&Form);  // ignored while the attempt runs
      EXPECT_EQ(Form.ModalResult, 0);
    });
  }

  TempDir Home;
  platform::CurlTransport Transport;
  TQVDBClient Client{Transport, "NO_RESULT"};
  TMainWindow Main;
  TPwdRequestForm PwdForm{&Main.Window};
  TLoginForm Form{&Main.Window, nullptr, &PwdForm};
};

TEST_F(LoginFormTest, WrongPasswordShowsRedFrameAndStaysOpen) {
  SignInThen(qvserver::kSampleUserId, "wrong", [this] {
    EXPECT_FALSE(Form.LoginOk);
    EXPECT_EQ(Form.MessageTitle_1->text(), "Invalid password");
    EXPECT_EQ(TextColor(Form.MessageTitle_1), dialogs::kErrorColor);
    EXPECT_EQ(Form.PasswordEntrySupport->Stroke(), dialogs::kErrorColor);
    EXPECT_EQ(Form.PasswordEntryIndicatorSupport->Fill(), dialogs::kErrorColor);
    EXPECT_NE(Form.UsernameEntrySupport->Stroke(), dialogs::kErrorColor);
    EXPECT_FALSE(Form.VerifiedUsernameOK->isHidden());  // known user: check mark
    EXPECT_TRUE(Form.VerifiedPasswordOK->isHidden());
    EXPECT_FALSE(Form.PasswordEntryIndicator->isHidden());
    EXPECT_EQ(Form.ModalResult, 0);
    // Typing hides both check marks again and clears the status line.
    Form.PasswordEntryValue->setText("wrong2");
    EXPECT_TRUE(Form.VerifiedUsernameOK->isHidden());
    EXPECT_TRUE(Form.MessageTitle_1->text().isEmpty());
    Escape(Form.PasswordEntryValue);
  });
  EXPECT_FALSE(ShowLoginForm(&Form));
  EXPECT_EQ(Form.ModalResult, 2);
  TRegistrySettings registry;
  EXPECT_EQ(registry.ReadValue(kRegUsername, "<none>", rvkString), "<none>");
}

TEST_F(LoginFormTest, CorrectSignInSetsTheSignInState) {
  {
    TRegistrySettings registry;
    registry.WriteValue(kRegRememberMe, "1", rvkInteger);
  }
  SignInThen(qvserver::kSampleUserId, qvserver::kSamplePassword, [] {});
  ASSERT_TRUE(ShowLoginForm(&Form)) << Form.MessageTitle_1->text().toStdString();
  EXPECT_TRUE(Form.LoginOk);
  EXPECT_TRUE(Form.UpdateAuthorized);
  EXPECT_TRUE(Form.RememberMe);
  EXPECT_EQ(Form.SignIn.UserId, qvserver::kSampleUserId);
  const std::string stored =
      Client.SelectFieldValue("LOGIN_LIST", "USERID", qvserver::kSampleUserId, "STARTDATETOUPDATE");
  ASSERT_FALSE(stored.empty()) << Client.LastMessage;
  EXPECT_DOUBLE_EQ(Form.SignIn.StartDateToUpdate, std::stod(stored));
  EXPECT_FALSE(Form.FirstName.empty());
  TRegistrySettings registry;
  EXPECT_EQ(registry.ReadValue(kRegUsername, "", rvkString), qvserver::kSampleUserId);
  EXPECT_EQ(registry.ReadValue(kRegPassword, "", rvkString), qvserver::kSamplePassword);

  // The next showing reads the remembered values back.
  WhenShown([this] {
    EXPECT_EQ(Form.UsernameEntryValue->text(), qvserver::kSampleUserId);
    EXPECT_FALSE(Form.RememberMeCheckBoxMark->isHidden());
    EXPECT_FALSE(ButtonLooksDisabled(Form.SignInButton));
    Click(Form.CloseButton());
  });
  EXPECT_FALSE(ShowLoginForm(&Form));
}

TEST_F(LoginFormTest, StoppedServerShowsTheClientsMessage) {
  std::string url;
  {
    qvtest::TRunningServer stopped;
    url = stopped.BaseUrl();
  }
  Client.SetBaseUrl(url);
  Form.LoginOk = true;  // an earlier success does not survive a failed attempt
  SignInThen(qvserver::kSampleUserId, qvserver::kSamplePassword, [this] {
    EXPECT_FALSE(Form.LoginOk);
    EXPECT_EQ(Form.MessageTitle_1->text(), "Connection to server failed");
    EXPECT_EQ(TextColor(Form.MessageTitle_1), dialogs::kErrorColor);
    EXPECT_NE(Form.UsernameEntrySupport->Stroke(), dialogs::kErrorColor);
    EXPECT_FALSE(Form.UsernameEntryValue->isEnabled() == false);
    Escape(&Form);
  });
  EXPECT_FALSE(ShowLoginForm(&Form));
}

// The server's own error text (as a throttled sign-in answers) shows red in
// the status line, for the user check and for the password check alike;
// no entry is marked refused and the dialog stays open.
TEST_F(LoginFormTest, ServerErrorTextsShowRed) {
  const std::string throttled = "Too many attempts: try again in 12 s";
  const std::vector<std::vector<FakeStep>> cases{{StatusAnswer("", throttled)},
                                                 {StatusAnswer("1"), StatusAnswer("", throttled)}};
  for (const std::vector<FakeStep>& replies : cases) {
    FakeServer fake;
    fake.Transport.Queue(replies);
    ptrMyExternQVDBClient = &fake.Client;
    WhenShown([this, &throttled] {
      Form.UsernameEntryValue->setText(qvserver::kSampleUserId);
      Form.PasswordEntryValue->setText(qvserver::kSamplePassword);
      auto connection = std::make_shared<QMetaObject::Connection>();
      *connection = QObject::connect(&Form, &TLoginForm::LoginFinished, [this, connection, &throttled] {
        QObject::disconnect(*connection);
        EXPECT_FALSE(Form.LoginOk);
        EXPECT_EQ(Form.MessageTitle_1->text().toStdString(), throttled);
        EXPECT_EQ(TextColor(Form.MessageTitle_1), dialogs::kErrorColor);
        EXPECT_NE(Form.UsernameEntrySupport->Stroke(), dialogs::kErrorColor);
        EXPECT_NE(Form.PasswordEntrySupport->Stroke(), dialogs::kErrorColor);
        Escape(&Form);
      });
      Click(Form.SignInButton);
    });
    EXPECT_FALSE(ShowLoginForm(&Form));
    EXPECT_EQ(fake.Transport.Requests.size(), replies.size());
  }
}

// A settings store that cannot be written: the sign-in succeeds and the
// dialog closes for the download, with the warning kept for the window; it
// says the credentials were not stored when "Remember me" was ticked.
TEST_F(LoginFormTest, UnwritableSettingsStoreWarnsAndTheSignInSucceeds) {
  std::ofstream(Home / "file") << "x";
  Home.UseAsHome("file/home");  // below a plain file: nothing can be written
  for (const bool remember : {false, true}) {
    WhenShown([this, remember] {
      Form.UsernameEntryValue->setText(qvserver::kSampleUserId);
      Form.PasswordEntryValue->setText(qvserver::kSamplePassword);
      if (remember) Click(Form.RememberMeCheckBoxFrame);
      EXPECT_EQ(Form.RememberMe, remember);
      Click(Form.SignInButton);
    });
    ASSERT_TRUE(ShowLoginForm(&Form)) << Form.MessageTitle_1->text().toStdString();
    EXPECT_TRUE(Form.LoginOk);
    const std::string lead = remember ? "Your credentials were not stored: " : "The sign-in choices were not stored: ";
    EXPECT_EQ(Form.SignInWarning.rfind(lead, 0), 0u) << Form.SignInWarning;
    EXPECT_NE(Form.SignInWarning.find("registry.conf"), std::string::npos) << Form.SignInWarning;
  }
}

TEST_F(LoginFormTest, EnablingRulesAndProxy) {
  WhenShown([this] {
    // Empty fields keep "Download Data" disabled.
    EXPECT_TRUE(ButtonLooksDisabled(Form.SignInButton));
    Form.UsernameEntryValue->setText("a@b.c");
    EXPECT_TRUE(ButtonLooksDisabled(Form.SignInButton));
    Form.PasswordEntryValue->setText("x");
    EXPECT_FALSE(ButtonLooksDisabled(Form.SignInButton));
    // Proxy off: Save on, Test off, the fields disabled and empty.
    EXPECT_FALSE(Form.ProxyUsageSpecified);
    EXPECT_FALSE(ButtonLooksDisabled(Form.SaveButton));
    EXPECT_TRUE(ButtonLooksDisabled(Form.TestButton));
    EXPECT_FALSE(Form.ProxyServerAddressEntryValue->isEnabled());
    Click(Form.SaveButton);
    EXPECT_EQ(Form.MessageTitle_2->text(), "Saved");
    // Proxy on: an address with only a user name disables both.
    Click(Form.ProxyUsageCheckBoxFrame);
    EXPECT_TRUE(Form.ProxyUsageSpecified);
    EXPECT_TRUE(Form.ProxyServerAddressEntryValue->isEnabled());
    Form.ProxyServerAddressEntryValue->setText("127.0.0.1:9");
    EXPECT_FALSE(ButtonLooksDisabled(Form.TestButton));
    Form.ProxyUsernameEntryValue->setText("u");
    EXPECT_TRUE(ButtonLooksDisabled(Form.TestButton));
    EXPECT_TRUE(ButtonLooksDisabled(Form.SaveButton));
    Form.ProxyPasswordEntryValue->setText("p");
    EXPECT_FALSE(ButtonLooksDisabled(Form.SaveButton));
    Escape(&Form);
  });
  EXPECT_FALSE(ShowLoginForm(&Form));
  TRegistrySettings registry;
  EXPECT_EQ(registry.ReadValue(kRegProxyUsageSpecified, "<none>", rvkInteger), "0");
}

TEST_F(LoginFormTest, ProxyTestFailureAndFailedSaveShowRed) {
  WhenShown([this] {
    Click(Form.ProxyUsageCheckBoxFrame);
    Form.ProxyServerAddressEntryValue->setText("127.0.0.1:1");  // nothing listens there
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&Form, &TLoginForm::TestFinished, [this, connection] {
      QObject::disconnect(*connection);
      EXPECT_EQ(Form.MessageTitle_2->text(), "Connection Failed");
      EXPECT_EQ(TextColor(Form.MessageTitle_2), dialogs::kErrorColor);
      // A store that cannot be written: red, never "Saved".
      std::ofstream(Home / "file") << "x";
      Home.UseAsHome("file/home");
      Click(Form.SaveButton);
      EXPECT_NE(Form.MessageTitle_2->text(), "Saved");
      EXPECT_EQ(TextColor(Form.MessageTitle_2), dialogs::kErrorColor);
      const dialogs::TWrappedText* line = Form.MessageTitle_2;  // naming the file, whole, clear of the buttons
      EXPECT_EQ(line->text().toStdString(),
                "Unable to save the proxy settings: " + Home / "file/home/registry.conf" +
                    " cannot be read or saved: its folder cannot be created (Not a directory)");
      EXPECT_LE(line->HeightFor(line->width()), line->height());
      EXPECT_LE(line->geometry().bottom(), line->parentWidget()->height());
      EXPECT_FALSE(line->geometry().intersects(Form.SaveButton->geometry()));
      Escape(&Form);
    });
    Click(Form.TestButton);
    EXPECT_TRUE(Form.Busy());
  });
  EXPECT_FALSE(ShowLoginForm(&Form));
}

// Each field whose text ends in the store takes no longer text than the
// store keeps: its longest text of the widest characters (three bytes each
// as written) is stored and read back whole; one character more is refused.
TEST_F(LoginFormTest, StoredFieldsTakeNoLongerTextThanTheStoreKeeps) {
  const std::pair<QLineEdit*, const char*> fields[] = {{Form.UsernameEntryValue, kRegUsername},
                                                       {Form.PasswordEntryValue, kRegPassword},
                                                       {Form.ProxyServerAddressEntryValue, kRegProxyServerAddress},
                                                       {Form.ProxyUsernameEntryValue, kRegProxyUsername},
                                                       {Form.ProxyPasswordEntryValue, kRegProxyPassword}};
  for (const auto& [edit, name] : fields) {
    edit->setText(QString(5000, QChar(0x20AC)));  // a pasted text far too long
    EXPECT_GT(edit->text().size(), 1000) << name;
    EXPECT_LT(edit->text().size(), 5000) << name;
    const std::string typed = edit->text().toStdString();
    TRegistrySettings registry;
    registry.WriteValue(name, typed, rvkString);
    EXPECT_EQ(registry.ReadValue(name, "", rvkString), typed) << name;
    EXPECT_THROW(registry.WriteValue(name, typed + "\xE2\x82\xAC", rvkString), platform::SettingsError) << name;
  }
}

TEST_F(LoginFormTest, AcceptedPasswordRequestClosesTheSignIn) {
  WhenShown([this] {
    WhenShown([this] {  // inside the password request dialog
      ASSERT_TRUE(PwdForm.isVisible());
      PwdForm.UsernameEntryValue->setText(qvserver::kSampleUserId);
      Click(PwdForm.SubmitButton);
    });
    ClickAt(Form.ForgotCredentialsTitle, QPoint(20, 10));
  });
  EXPECT_FALSE(ShowLoginForm(&Form));
  EXPECT_EQ(Form.ModalResult, 2);
  EXPECT_EQ(PwdForm.ModalResult, 1);
  EXPECT_EQ(PwdForm.RequestReply, "SENT");
}

}  // namespace

namespace {

// A fake transport that notes whether a request ran on a thread of Qt's
// global pool, where the raster engine's fills wait for free threads.
class PoolWatchingTransport : public FakeTransport {
 public:
  platform::HttpReply Execute(const platform::HttpRequest& request) override {
    if (QThreadPool::globalInstance()->contains(QThread::currentThread())) ++OnGlobalPool;
    return FakeTransport::Execute(request);
  }
  std::atomic<int> OnGlobalPool{0};
};

}  // namespace

// The sign-in and the proxy test run their requests off Qt's global pool.
TEST_F(LoginFormTest, ServerWorkRunsOffTheGlobalPool) {
  PoolWatchingTransport transport;
  TQVDBClient client{transport, "NO_RESULT"};
  client.SetProxySource([] { return TProxySettings{}; });
  ptrMyExternQVDBClient = &client;
  transport.Queue({StatusAnswer("", "refused"), Answer(200, "OK", "VOSKER SERVER")});
  WhenShown([this] {
    Form.UsernameEntryValue->setText(qvserver::kSampleUserId);
    Form.PasswordEntryValue->setText("x");
    auto signIn = std::make_shared<QMetaObject::Connection>();
    *signIn = QObject::connect(&Form, &TLoginForm::LoginFinished, [this, signIn] {
      QObject::disconnect(*signIn);
      Click(Form.ProxyUsageCheckBoxFrame);
      Form.ProxyServerAddressEntryValue->setText("127.0.0.1:1");
      auto test = std::make_shared<QMetaObject::Connection>();
      *test = QObject::connect(&Form, &TLoginForm::TestFinished, [this, test] {
        QObject::disconnect(*test);
        Escape(&Form);
      });
      Click(Form.TestButton);
    });
    Click(Form.SignInButton);
  });
  EXPECT_FALSE(ShowLoginForm(&Form));
  EXPECT_EQ(transport.Requests.size(), 2u);
  EXPECT_EQ(transport.OnGlobalPool, 0);
}
