// Each dialog over a 1920 x 1080 window: the backdrop is opaque and dimmed
// everywhere outside the panel, the panel is light and centred. With
// QUORVANE_DIALOG_PNG_DIR set, the pictures are also written there.

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>

#include "data/TempDir.h"
#include "dialogs/DateSelectionForm.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/LoginForm.h"
#include "dialogs/NewUserRequestForm.h"
#include "dialogs/PwdRequestForm.h"
#include "dialogs/QuestionForm.h"
#include "platform/DateTime.h"

namespace {

using namespace dialogtest;

// Grabs the window while form shows, checks the look and ends the showing.
void CheckLook(TMainWindow& main, dialogs::TModalForm& form, const char* name, std::function<void()> prepare = {}) {
  WhenShown([&main, &form, name, prepare] {
    if (prepare) prepare();
    const QImage image = main.Window.grab().toImage();
    ASSERT_EQ(image.size(), QSize(1920, 1080));
    const QRect panel = form.MainSupport()->geometry();
    EXPECT_EQ(panel.topLeft(), QPoint((1920 - panel.width()) / 2, (1080 - panel.height()) / 2)) << name;
    for (QPoint p : {QPoint(0, 0), QPoint(1919, 1079), QPoint(panel.left() - 5, panel.center().y())}) {
      const QColor c = image.pixelColor(p);
      EXPECT_EQ(c.alpha(), 255) << name;
      EXPECT_LT(c.lightness(), 180) << name;  // dimmed
    }
    EXPECT_EQ(image.pixel(panel.topLeft() + QPoint(2, 2)), dialogs::kButtonFill) << name;
    const QByteArray dir = qgetenv("QUORVANE_DIALOG_PNG_DIR");
    if (!dir.isEmpty()) {
      EXPECT_TRUE(image.save(QString::fromUtf8(dir) + "/" + name + ".png"));
      EXPECT_TRUE(
          image.copy(panel.adjusted(-20, -20, 20, 20)).save(QString::fromUtf8(dir) + "/" + name + "-panel.png"));
    }
    form.SetModalResult(2);
  });
  form.ShowModal();
}

TEST(DialogLookTest, EveryDialogIsAnOpaqueDimmedPanel) {
  TMainWindow main;
  TQuestionForm question(&main.Window);
  question.Value->setText("Do you want to download new available data");
  question.YesButton->Title()->setText("DOWNLOAD");
  question.NoButton->Title()->setText("CANCEL");
  CheckLook(main, question, "question", [&] { question.FinishAnimations(); });
  TMessageForm message(&main.Window);
  message.Value->setText("Transfert has successfully completed");
  CheckLook(main, message, "message", [&] { message.FinishAnimations(); });

  TDateSelectionForm date(&main.Window);
  date.ChosenDate = platform::EncodeDate(2021, 6, 30);
  session::StartChoice(date.Choice, date.ChosenDate, platform::EncodeDate(2000, 1, 31), date.ChosenDate);
  session::ChooseYear(date.Choice, 7);
  session::ChooseMonth(date.Choice, 6);
  date.FillCalendar();
  CheckLook(main, date, "date");

  TempDir home;
  home.UseAsHome();
  TLoginForm login(&main.Window);
  CheckLook(main, login, "login", [&] {
    login.PrepareFromRegistry();
    login.UsernameEntryValue->setText("demo@quorvane.test");
    login.PasswordEntryValue->setText("demo");
    dialogs::SetTextColor(login.MessageTitle_1, dialogs::kErrorColor);
    dialogs::FitText(login.MessageTitle_1, "Synchronisation not authorized, try again later");
    EXPECT_GE(login.MessageTitle_1->width(),
              QFontMetrics(login.MessageTitle_1->font()).horizontalAdvance(login.MessageTitle_1->text()));
  });
  TNewUserRequestForm newUser(&main.Window);
  CheckLook(main, newUser, "newuser", [&] {
    newUser.EntryValues[0]->setText("Ann");
    newUser.EntryValues[3]->setText("022-123");
  });
  TPwdRequestForm pwd(&main.Window);
  CheckLook(main, pwd, "pwdrequest", [&] { pwd.UsernameEntryValue->setText("demo@quorvane.test"); });
}

// The sign-in dialog's explanation (Title_6 .. Title_10) and the password
// request's prompt (Title_1) are set at 16 px; where the fallback font is
// wider than the design font, the text is set smaller, never cut, and the
// explanation keeps one size: the largest at which all its lines fit.
TEST(DialogLookTest, ExplanationLinesAreSetAtSixteenPixels) {
  TMainWindow main;
  TLoginForm login(&main.Window);
  TPwdRequestForm pwd(&main.Window);
  const auto fits = [](const QLabel* label, int size) {
    return QFontMetrics(dialogs::DialogFont(size)).horizontalAdvance(label->text()) <= label->width() - 2;
  };
  std::vector<const QLabel*> explanation;
  for (int i = 6; i <= 10; ++i) explanation.push_back(login.findChild<QLabel*>(QStringLiteral("Title_%1").arg(i)));
  const QLabel* prompt = pwd.findChild<QLabel*>(QStringLiteral("Title_1"));
  ASSERT_NE(prompt, nullptr);
  ASSERT_NE(explanation.front(), nullptr);
  const int shared = explanation.front()->font().pixelSize();
  bool allFitLarger = shared < 16;
  for (const QLabel* label : explanation) {
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->font().pixelSize(), shared) << label->text().toStdString();
    allFitLarger = allFitLarger && fits(label, shared + 1);
  }
  EXPECT_FALSE(allFitLarger);
  for (const QLabel* label : {explanation.front(), prompt}) {
    EXPECT_EQ(label->property("DesignSize").toInt(), 16) << label->text().toStdString();
    EXPECT_TRUE(fits(label, label->font().pixelSize())) << label->text().toStdString();
  }
  const int size = prompt->font().pixelSize();
  EXPECT_TRUE(size == 16 || !fits(prompt, size + 1));
}

}  // namespace
