// New-user and password request dialogs on a scripted transport: the
// checks, the reply rule and cancels.

#include <gtest/gtest.h>

#include <QLineEdit>

#include "data/FakeTransport.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/NewUserRequestForm.h"
#include "dialogs/PwdRequestForm.h"

namespace {

using namespace dialogtest;
using dialogs::ButtonLooksDisabled;

class RequestFormTest : public ::testing::Test {
 protected:
  void SetUp() override { ptrMyExternQVDBClient = &Fake.Client; }
  void TearDown() override { ptrMyExternQVDBClient = nullptr; }

  void Fill(const std::array<const char*, 10>& texts) {
    for (std::size_t i = 0; i < texts.size(); ++i) NewUser.EntryValues[i]->setText(QString::fromUtf8(texts[i]));
  }
  // Clicks "Submit" and runs check when the request ended.
  void SubmitThen(TRequestForm& form, std::function<void()> check) {
    auto connection = std::make_shared<QMetaObject::Connection>();
    *connection = QObject::connect(&form, &TRequestForm::RequestFinished, [connection, check] {
      QObject::disconnect(*connection);
      check();
    });
    Click(form.SubmitButton);
    EXPECT_TRUE(form.Busy());
    EXPECT_EQ(form.MessageTitle->text(), "Processing Your Request, Please Wait...");
  }

  FakeServer Fake;
  TMainWindow Main;
  TNewUserRequestForm NewUser{&Main.Window};
  TPwdRequestForm Pwd{&Main.Window};
};

const std::array<const char*, 10> kValid = {"ann", "lee",       "ann@x.test", "+41 22 123", "acme",
                                            "cfo", "1 main st", "geneva",     "1200",       "ch"};

TEST_F(RequestFormTest, NewUserChecksMarkTheFrames) {
  WhenShown([this] {
    EXPECT_TRUE(ButtonLooksDisabled(NewUser.SubmitButton));
    std::array<const char*, 10> texts = kValid;
    texts[4] = "  ";       // blanks count as empty
    texts[3] = "022-123";  // invalid, but the empty field takes precedence
    Fill(texts);
    EXPECT_TRUE(ButtonLooksDisabled(NewUser.SubmitButton));
    Click(NewUser.SubmitButton);
    EXPECT_EQ(NewUser.MessageTitle->text(), "All fields must be filled");
    EXPECT_EQ(TextColor(NewUser.MessageTitle), dialogs::kErrorColor);
    EXPECT_EQ(NewUser.EntrySupports[4]->Stroke(), dialogs::kErrorColor);
    EXPECT_NE(NewUser.EntrySupports[3]->Stroke(), dialogs::kErrorColor);
    NewUser.EntryValues[4]->setText("acme");
    EXPECT_TRUE(NewUser.MessageTitle->text().isEmpty());  // the live check clears the line
    Click(NewUser.SubmitButton);
    EXPECT_EQ(NewUser.MessageTitle->text(), "Invalid phone number");
    EXPECT_EQ(NewUser.EntrySupports[3]->Stroke(), dialogs::kErrorColor);
    EXPECT_TRUE(Fake.Transport.Requests.empty());  // nothing was sent
    Escape(NewUser.EntryValues[0]);
  });
  EXPECT_FALSE(ShowNewUserRequestForm(&NewUser));
  EXPECT_TRUE(NewUser.RequestReply.empty());
}

TEST_F(RequestFormTest, NewUserReplyRule) {
  Fake.Transport.Status("Refused: duplicate address");
  Fake.Transport.Status("Request Sent");
  WhenShown([this] {
    Fill(kValid);
    EXPECT_FALSE(ButtonLooksDisabled(NewUser.SubmitButton));
    SubmitThen(NewUser, [this] {
      // A reply without "SENT" is shown in red and the dialog stays open.
      EXPECT_EQ(NewUser.MessageTitle->text(), "Refused: duplicate address");
      EXPECT_EQ(TextColor(NewUser.MessageTitle), dialogs::kErrorColor);
      EXPECT_TRUE(NewUser.EntryValues[0]->isEnabled());
      EXPECT_EQ(NewUser.ModalResult, 0);
      SubmitThen(NewUser, [] {});
    });
  });
  EXPECT_TRUE(ShowNewUserRequestForm(&NewUser));
  EXPECT_EQ(NewUser.RequestReply, "Request Sent");
  ASSERT_EQ(Fake.Transport.Requests.size(), 2u);
  // Each submission has its own password.
  const std::string first = Decode(Fake.Transport.Requests[0]).Content;
  const std::string second = Decode(Fake.Transport.Requests[1]).Content;
  EXPECT_NE(first.substr(first.size() - 30), second.substr(second.size() - 30));
  // The next showing starts empty.
  WhenShown([this] {
    EXPECT_TRUE(NewUser.EntryValues[9]->text().isEmpty());
    ClickFormAt(&NewUser, QPoint(2, 2));
  });
  EXPECT_FALSE(ShowNewUserRequestForm(&NewUser));
  EXPECT_TRUE(NewUser.RequestReply.empty());  // a cancel leaves no reply
}

TEST_F(RequestFormTest, PasswordRequestFailureThenSuccess) {
  Fake.Transport.Fail();
  Fake.Transport.Status("sent");
  WhenShown([this] {
    EXPECT_TRUE(ButtonLooksDisabled(Pwd.SubmitButton));
    Click(Pwd.SubmitButton);  // empty entry: nothing visible
    EXPECT_TRUE(Pwd.MessageTitle->text().isEmpty());
    EXPECT_FALSE(Pwd.Busy());
    Pwd.UsernameEntryValue->setText("  ");  // blanks count as filled
    EXPECT_FALSE(ButtonLooksDisabled(Pwd.SubmitButton));
    SubmitThen(Pwd, [this] {
      EXPECT_EQ(Pwd.MessageTitle->text(), "Connection to server failed");
      EXPECT_EQ(TextColor(Pwd.MessageTitle), dialogs::kErrorColor);
      EXPECT_EQ(Pwd.UsernameEntryValue->text(), "  ");
      Pwd.UsernameEntryValue->setText(" Ann@X ");
      SubmitThen(Pwd, [] {});
    });
  });
  EXPECT_TRUE(ShowPwdRequestForm(&Pwd));
  EXPECT_EQ(Pwd.RequestReply, "sent");
  EXPECT_NE(Decode(Fake.Transport.Last()).Content.find("(' Ann@X ','NC','1')"), std::string::npos);
}

}  // namespace
