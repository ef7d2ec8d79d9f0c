// The main window without the sample server: its created state, minimum
// size, a file that cannot be opened, closing during a step, the close
// question and the window-state buttons.

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <set>

#include "AppTestSupport.h"
#include "data/DataFixtures.h"
#include "app/Glyphs.h"
#include "common/Globals.h"
#include "data/LocalQuorvaneDB.h"
#include "data/QVDBCodec.h"
#include "dialogs/NewUserRequestForm.h"
#include "dialogs/PwdRequestForm.h"
#include "platform/HttpTransport.h"
#include "platform/DateTime.h"
#include "platform/qt/QtCanvas.h"
#include "session/WindowTexts.h"

namespace {

using session::TWindowGroup;

// What the test sees of its transport, which the window owns and deletes.
struct THangingSeen {
  std::atomic<bool> Hanging{false};
  std::atomic<bool> Aborted{false};
  std::atomic<int> Requests{0};
};

// A server that answers the banner and one-value requests at once and never
// answers a table request: Execute blocks until the transport is aborted,
// then fails as a cut transfer does.
class THangingTransport : public platform::HttpTransport {
 public:
  explicit THangingTransport(THangingSeen& seen) : Seen_(seen) {}
  platform::HttpReply Execute(const platform::HttpRequest& request) override {
    std::unique_lock<std::mutex> lock(Mutex_);
    ++Seen_.Requests;
    if (Aborted()) throw platform::HttpTransportError("aborted");
    platform::HttpReply reply;
    reply.StatusCode = 200;
    if (request.Resource == "Default") {
      reply.Content = "VOSKER SERVER";
      return reply;
    }
    if (ReadSQLRequest(request.Body).ResponseType != 8) {
      reply.Content = WriteStatusReply("99999", "");  // a server date after every local one
      return reply;
    }
    Seen_.Hanging = true;
    Woken_.wait(lock, [this] { return Aborted(); });
    throw platform::HttpTransportError("aborted");
  }
  void Abort() override {
    platform::HttpTransport::Abort();
    Seen_.Aborted = true;
    std::lock_guard<std::mutex> lock(Mutex_);
    Woken_.notify_all();
  }

 private:
  THangingSeen& Seen_;
  std::mutex Mutex_;
  std::condition_variable Woken_;
};

// A left click at the centre of a control, entering at its window point (a
// control covered by another is missed).
void ClickThroughWindow(QWidget& window, const QWidget* control) {
  EXPECT_TRUE(qttest::TWindowPointer(&window).ClickOn(control));
}

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder = Home.UseAsHome("home");
    std::filesystem::create_directories(Folder);
    Form.SetStepPause(0);
  }
  // Clicks a control at its face, where the window must find it.
  void Click(const char* name) { EXPECT_TRUE(Pointer.ClickOn(Form.Find(name))); }
  // Answers the next question box with its first (true) or second button.
  void AnswerNextQuestion(bool first) {
    QTimer::singleShot(0, [this, first] {
      TQuestionForm* question = Form.QuestionForm;
      question->FinishAnimations();
      EXPECT_TRUE(Pointer.ClickOn(first ? static_cast<QWidget*>(question->YesButton) : question->NoButton));
    });
  }

  TempDir Home;
  ScopedEnv Host{"QUORVANE_SERVER_HOST", "127.0.0.1:1"};  // no server
  std::string Folder;
  app::TMainForm Form;
  qttest::TWindowPointer Pointer{&Form};
};

TEST_F(MainFormTest, CreatedWindowShowsTheEmptyPanelAndNamesItsControls) {
  EXPECT_EQ(Form.objectName(), "MainForm");
  EXPECT_TRUE(Form.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(Form.Find("VersionTitle")->Text, "(Version 3.1.15.0)");
  EXPECT_TRUE(Form.Group(TWindowGroup::ProgressSupport)->isVisibleTo(&Form));
  for (TWindowGroup group : {TWindowGroup::Logo, TWindowGroup::ConnectButtonSupport, TWindowGroup::MainTabsheetSupport,
                             TWindowGroup::SpinnerImage, TWindowGroup::GoBackToWorkspaceButton}) {
    EXPECT_FALSE(Form.Group(group)->isVisibleTo(&Form)) << session::GroupName(group);
  }
  for (std::size_t i = 0; i < session::kWindowGroupCount; ++i) {
    const auto group = static_cast<TWindowGroup>(i);
    EXPECT_EQ(Form.Group(group)->objectName().toStdString(), session::GroupName(group));
  }
  EXPECT_EQ(Form.View.SelectedMainTab, 3);
  EXPECT_EQ(Form.Client(), nullptr);  // nothing is opened before the first tick
  // Every control has a name of its own, by which Find gives it.
  std::set<QString> names;
  for (app::TControl* control : Form.findChildren<app::TControl*>()) {
    EXPECT_TRUE(names.insert(control->objectName()).second) << control->objectName().toStdString();
    EXPECT_EQ(Form.Find(control->objectName().toLatin1().constData()), control);
  }
  EXPECT_EQ(Form.Find("NoSuchControl"), nullptr);
}

// The intra-month title holds the widest date it shows, at every window size.
TEST_F(MainFormTest, IntraMonthTitleHoldsTheWidestDate) {
  Form.show();
  app::TControl* title = Form.Find("IntraMonthTitle");
  QImage image(1, 1, QImage::Format_ARGB32_Premultiplied);
  platform::QtCanvas canvas(&image);
  ASSERT_TRUE(canvas.BeginScene());
  canvas.Font = {"Yu Gothic UI", title->FontSize, title->FontStyle};
  const std::string widest = "[ " + session::DateTitle(platform::EncodeDate(2026, 9, 30)) + " ]";
  const float width = canvas.TextWidth(widest);
  const float height = canvas.TextHeight(widest);
  canvas.EndScene();
  for (const QSize size : {QSize(1728, 972), QSize(1920, 1080), QSize(2560, 1440)}) {
    Form.resize(size);
    EXPECT_LE(width, title->width()) << widest;
    EXPECT_LE(height, title->height());
  }
}

TEST_F(MainFormTest, SmallWindowIsEnlargedToTheMinimumWithRatiosOfNineTenths) {
  Form.show();
  Form.resize(1600, 900);
  EXPECT_EQ(Form.size(), QSize(1728, 972));
  EXPECT_FLOAT_EQ(fScreenWidthRatio, 0.9f);
  EXPECT_FLOAT_EQ(fScreenHeightRatio, 0.9f);
  EXPECT_FLOAT_EQ(Form.Geometry.TabTitleFontSize, Form.BaseTabTitleFontSize * 0.9f);
  // The panel stays centred.
  const QRect panel = Form.Group(TWindowGroup::ProgressSupport)->geometry();
  EXPECT_EQ(panel.center().x(), 1728 / 2 - (panel.width() % 2 == 0 ? 1 : 0));
}

TEST_F(MainFormTest, UnopenableMarketDataFileShowsTheMessageRedAndRunsNoStep) {
  std::filesystem::create_directories(Folder + "/QVDBV4.sqlite");  // a folder where the file should be
  QSignalSpy handled(&Form, &app::TMainForm::StepHandled);
  Form.show();
  Form.OnFormTimer(&Form.MainTimer);
  ASSERT_TRUE(handled.wait(60000));
  EXPECT_EQ(handled.front().front().toInt(), -1);  // no step ended: none ran
  EXPECT_FALSE(Form.Screen.MessageContent.empty());
  EXPECT_NE(Form.Screen.MessageContent, "Checking your data storage, please wait");
  EXPECT_EQ(Form.Screen.MessageColour, claErrorColor);
  EXPECT_TRUE(Form.Group(TWindowGroup::FailureDownloadingOrSavingImage)->isVisibleTo(&Form));
  EXPECT_FALSE(Form.StepRunning());
}

TEST_F(MainFormTest, CloseDuringAStepWaitsForItsEnd) {
  QSignalSpy handled(&Form, &app::TMainForm::StepHandled);
  Form.show();
  Form.OnFormTimer(&Form.MainTimer);
  ASSERT_TRUE(Form.StepRunning());
  Form.close();
  EXPECT_TRUE(Form.isVisible());          // deferred
  EXPECT_FALSE(Form.StartCalculation());  // no second step while one runs
  ASSERT_TRUE(handled.wait(60000));
  EXPECT_FALSE(Form.isVisible());
  EXPECT_EQ(Form.Client(), nullptr);  // closing deletes the client and the database
  EXPECT_EQ(Form.Database(), nullptr);
  EXPECT_EQ(handled.count(), 1);  // the chain stopped after the step that ran
}

// "Quit" while the daily synchronisation waits for a table reply that never
// comes: the transfer is cut, the step ends failed, nothing later runs or
// is sent, the window closes and the local daily rows stay as they were.
TEST_F(MainFormTest, QuitDuringATransferCutsItAndClosesTheWindow) {
  const std::string file = Folder + "/QVDBV4.sqlite";
  {
    TLocalQuorvaneDB db;
    db.Connect();
    ASSERT_TRUE(db.CreateMarketDataTables());
    db.InsertSeriesRows("DATA_BIS", {{"SOUTH AFRICA", "EQINDEX", {46000.0, 101.5}}}, nullptr);
  }
  THangingSeen seen;
  Form.SetTransportFactory([&seen] { return std::make_unique<THangingTransport>(seen); });
  QSignalSpy handled(&Form, &app::TMainForm::StepHandled);
  Form.show();
  Form.OnFormTimer(&Form.MainTimer);
  ASSERT_TRUE(QTest::qWaitFor([&] { return seen.Hanging.load(); }, 60000));
  EXPECT_EQ(Form.Step.Kind, 5);
  const int requests = seen.Requests;
  QTimer::singleShot(0, [this] {
    Form.QuestionForm->FinishAnimations();
    ClickThroughWindow(Form, Form.QuestionForm->YesButton);  // "Quit"
  });
  ClickThroughWindow(Form, Form.Find("CloseButton"));
  EXPECT_EQ(Form.QuestionForm->Value->text(), "Do you really want to quit application ?");
  EXPECT_TRUE(seen.Aborted);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !Form.isVisible(); }, 60000));
  EXPECT_EQ(Form.Step.Kind, 5);
  EXPECT_EQ(Form.Step.ErrorText, session::kStepAbortedText);
  EXPECT_EQ(seen.Requests, requests);  // nothing was sent after the cut
  EXPECT_EQ(Form.Client(), nullptr);
  EXPECT_EQ(handled.count(), 4);  // steps 0, 1, 2 and 5: the chain ends with the cut step
  TLocalQuorvaneDB db;
  db.Connect();
  EXPECT_EQ(db.Connection().QueryInt("SELECT count(*) FROM DATA_BIS WHERE DATE=46000 AND VALUE=101.5"), 1);
  EXPECT_EQ(db.Connection().QueryInt("SELECT count(*) FROM DATA_BIS"), 1);
}

// A damaged market-data file at the start (bytes that are no database: the
// file does not open; a page overwritten: the storage check finds it): the
// red text names the file and what to do, the toolbar shows so the window
// can be closed at its close button, and the file keeps its bytes.
TEST_F(MainFormTest, DamagedFileIsNamedAndTheWindowCanBeClosed) {
  const std::string file = Folder + "/QVDBV4.sqlite";
  for (const TDamage damage : {TDamage::Garbage, TDamage::PageOverwritten}) {
    {
      TLocalQuorvaneDB db;
      db.Connect();
      ASSERT_TRUE(db.CreateMarketDataTables());
      std::vector<TDataRow> rows;
      for (int i = 0; i < 3000; ++i) rows.push_back({"USA", "CASH", {33000.0 + i, 1.0}});
      db.InsertSeriesRows("DATA", rows, nullptr);
    }
    DamageFile(file, damage);
    const std::string bytes = FileBytes(file);
    app::TMainForm form;
    form.SetStepPause(0);
    QSignalSpy handled(&form, &app::TMainForm::StepHandled);
    form.show();
    form.OnFormTimer(&form.MainTimer);
    ASSERT_TRUE(handled.wait(60000)) << DamageName(damage);
    EXPECT_EQ(form.Screen.MessageContent,
              file + " is damaged: move it away and start again to download a fresh copy")
        << DamageName(damage);
    EXPECT_EQ(form.Screen.MessageColour, claErrorColor);
    EXPECT_TRUE(form.Group(TWindowGroup::SystemToolbarSupport)->isVisibleTo(&form)) << DamageName(damage);
    EXPECT_FALSE(form.StepRunning());
    apptest::SaveShot(form, damage == TDamage::Garbage ? "damaged-file-unopened" : "damaged-file-checked");
    QTimer::singleShot(0, [&form] {
      form.QuestionForm->FinishAnimations();
      ClickThroughWindow(form, form.QuestionForm->YesButton);  // "Quit"
    });
    ClickThroughWindow(form, form.Find("CloseButton"));
    EXPECT_FALSE(form.isVisible()) << DamageName(damage);
    EXPECT_TRUE(FileBytes(file) == bytes) << DamageName(damage);
    std::filesystem::remove(file);
  }
}

TEST_F(MainFormTest, CloseButtonAsksAndCancelKeepsTheWindow) {
  ASSERT_TRUE(apptest::RunToEnd(Form));  // the failure panel with the window's buttons
  AnswerNextQuestion(false);
  Click("CloseButton");
  EXPECT_TRUE(Form.isVisible());
  EXPECT_EQ(Form.QuestionForm->Value->text(), "Do you really want to quit application ?");
  AnswerNextQuestion(true);
  Click("CloseButton");
  EXPECT_FALSE(Form.isVisible());
}

TEST_F(MainFormTest, MaximiseRestoreAndMinimiseButtons) {
  ASSERT_TRUE(apptest::RunToEnd(Form));  // the failure panel with the window's buttons
  Click("MaximizeOrRestoreButton");
  EXPECT_TRUE(Form.isMaximized());
  EXPECT_EQ(Form.Find("MaximizeOrRestoreButton")->property("glyph").toInt(), static_cast<int>(app::TGlyph::Restore));
  Click("MinimizeButton");
  EXPECT_TRUE(Form.RestoreMaximizedOnDeactivate);
  Form.showNormal();
  Click("MaximizeOrRestoreButton");  // any button of the handler clears the flag
  EXPECT_FALSE(Form.RestoreMaximizedOnDeactivate);
  Form.showNormal();
  Click("MaximizeOrRestoreButton");
  Click("MaximizeOrRestoreButton");
  EXPECT_FALSE(Form.isMaximized());
  EXPECT_EQ(Form.Find("MaximizeOrRestoreButton")->property("glyph").toInt(), static_cast<int>(app::TGlyph::Maximize));
}

// The panel's text buttons under the pointer: an enabled frame thickens to
// 2 and back to 1 when the pointer leaves; a disabled frame stays.
TEST_F(MainFormTest, PanelTextButtonsThickenTheirFrameUnderThePointer) {
  ASSERT_TRUE(apptest::RunToEnd(Form));  // empty home, no server: "Download Data" shows
  app::TControl* download = Form.Find("DownloadDataButton");
  app::TControl* title = Form.Find("DownloadDataButtonTitle");
  const QPoint away(Form.width() / 2, 8);
  ASSERT_EQ(Pointer.WidgetAt(away), &Form);
  download->SetColours(0xFFEEEEEE, session::kEnabledButtonColour);
  ASSERT_TRUE(Pointer.HoverOn(title));
  EXPECT_EQ(download->StrokeThickness, 2.0f);
  EXPECT_EQ(download->FillColour, 0xFFFDFDFDu);
  Pointer.Move(away);
  EXPECT_EQ(download->StrokeThickness, 1.0f);
  download->SetColours(0xFFFDFDFD, session::kDisabledButtonColour);
  ASSERT_TRUE(Pointer.HoverOn(title));
  EXPECT_EQ(download->StrokeColour, session::kDisabledButtonColour);
  EXPECT_EQ(download->StrokeThickness, 1.0f);
}

TEST_F(MainFormTest, FailedCalculationNamesTheModelAndResumeRecalculates) {
  const std::vector<TCountry> saved = vcMyExternCountryList;
  vcMyExternCountryList.clear();  // EQSL fails at its first stage on an empty list
  Form.StartOnFirstTick = false;
  Form.show();
  Form.OnFormTimer(&Form.MainTimer);
  QSignalSpy handled(&Form, &app::TMainForm::StepHandled);
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (attempt == 0) {
      ASSERT_TRUE(Form.StartCalculation());
    } else {
      Click("ParameterButtonTitle");  // "Resume"
      ASSERT_TRUE(Form.StepRunning());
    }
    ASSERT_TRUE(handled.wait(60000));
    EXPECT_EQ(Form.LastErrorText, "EQSL Failed (Step 1)");
    EXPECT_EQ(Form.Screen.MessageContent, "EQSL Failed (Step 1)");
    EXPECT_EQ(Form.Screen.MessageColour, claErrorColor);
    EXPECT_TRUE(Form.Group(TWindowGroup::ParameterButton)->isVisibleTo(&Form));
    EXPECT_TRUE(Form.Group(TWindowGroup::ConnectButtonSupport)->isVisibleTo(&Form));
    EXPECT_FALSE(Form.Group(TWindowGroup::SetParametersButtonSupport)->isVisibleTo(&Form));
    EXPECT_FALSE(Form.View.WorkspaceShown);
  }
  vcMyExternCountryList = saved;
}

TEST_F(MainFormTest, CancelledSignInShowsAWaitingRequestReplyOnce) {
  // No server and an empty home: the start ends on the failure panel, whose connect button shows.
  ASSERT_TRUE(apptest::RunToEnd(Form));
  ASSERT_TRUE(Form.Group(TWindowGroup::ConnectButtonSupport)->isVisibleTo(&Form));
  Form.PwdRequestForm->RequestReply = "Your request has been SENT";
  apptest::WhenShowing(Form.LoginForm, [this] { Form.LoginForm->SetModalResult(2); });
  Click("ConnectButton");
  EXPECT_EQ(Form.Screen.MessageContent, "Your request has been SENT");
  EXPECT_EQ(Form.Screen.MessageColour, claTextColor);
  EXPECT_TRUE(Form.Group(TWindowGroup::MailSentImage)->isVisibleTo(&Form));
  EXPECT_TRUE(Form.Group(TWindowGroup::GoBackToWorkspaceButton)->isVisibleTo(&Form));
  EXPECT_TRUE(Form.Group(TWindowGroup::ProgressSupport)->isVisibleTo(&Form));
  EXPECT_EQ(Form.PwdRequestForm->RequestReply, "");
  EXPECT_FALSE(Form.StepRunning());  // a cancelled sign-in starts nothing
  // The next button other than minimise and maximise empties the panel text.
  Click("GoBackToWorkspaceButtonTitle");
  EXPECT_EQ(Form.Screen.MessageContent, "");
}

}  // namespace
