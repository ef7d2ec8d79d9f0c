// The whole start of the application on the sample data server: the first
// start downloads after the question and a sign-in, a second start finds
// nothing new, a start without server works from the local file.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QSignalSpy>
#include <filesystem>
#include <fstream>

#include "AppTestSupport.h"
#include "common/Globals.h"
#include "data/LocalQuorvaneDB.h"
#include "dialogs/DateSelectionForm.h"
#include "pages/FXHedgingPositions.h"
#include "platform/DateTime.h"
#include "server/ServerTestSupport.h"
#include "session/WindowTexts.h"

namespace {

using session::TWindowGroup;

std::int64_t CountRows(const std::string& file, const char* sql) {
  sqlite3* db = nullptr;
  std::int64_t count = -1;
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK && sqlite3_step(statement) == SQLITE_ROW) {
      count = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
  }
  sqlite3_close(db);
  return count;
}

// The window shows the workspace frame with the results of all nine models.
void ExpectWorkspace(const app::TMainForm& form) {
  EXPECT_TRUE(form.View.WorkspaceShown);
  EXPECT_EQ(form.Step.Kind, 9);
  EXPECT_EQ(form.Step.ModelNumber, 10);
  for (platform::TAlphaColor lamp : form.Screen.Indicators) EXPECT_EQ(lamp, session::kIndicatorDoneColour);
  EXPECT_FALSE(form.Screen.IsVisible(TWindowGroup::ProgressSupport));
  EXPECT_TRUE(form.Group(TWindowGroup::ConnectButtonSupport)->isVisibleTo(&form));
  EXPECT_TRUE(form.Group(TWindowGroup::GeneralInformationAndGraphicSupport)->isVisibleTo(&form));
  EXPECT_TRUE(form.Group(TWindowGroup::SetParametersButtonSupport)->isVisibleTo(&form));
  EXPECT_EQ(form.View.SelectedMainTab, 0);
  EXPECT_EQ(form.View.CurrentModelRecord, 0);
  EXPECT_EQ(form.Find("EndDateButtonTitle")->Text, "28 February 2026");
  EXPECT_EQ(form.LastErrorText, "");
  EXPECT_EQ(vcMyExternCountryList.size(), 40u);
  // The pages hold the run: the ranking pages have data, the currency table
  // lists every currency, and the FX track bar counts them.
  TModelPages& pages = *form.Pages();
  EXPECT_TRUE(pages.EQSLGraphic.DataAvailable);
  EXPECT_TRUE(pages.FICYGraphic.DataAvailable);
  EXPECT_EQ(vExternFIGPFXHedgingPosition.size(), 29u);
  EXPECT_EQ(form.View.FXTrack.ItemCount, 29);
  EXPECT_EQ(form.View.HistoryTrack.ItemCount, static_cast<std::int32_t>(cMyExternFICYGraphicData.RankingRows.size()));
}

TEST(MainFormRoadTest, DownloadsThenStartsFromTheLocalFileWithAndWithoutServer) {
  qvtest::TRunningServer server;
  TempDir home;
  const std::string folder = home.UseAsHome("home");
  const std::string market = folder + "/QVDBV4.sqlite";
  ScopedEnv host("QUORVANE_SERVER_HOST", ("127.0.0.1:" + std::to_string(server.Server().Port())).c_str());

  {  // Empty home, damaged sign-in store: the question, "DOWNLOAD", the store's warning, the sign-in, the download.
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/registry.conf") << std::string(1100000, '\n');
    app::TMainForm form;
    apptest::TAnswerer answerer(form);
    QObject::connect(&form, &app::TMainForm::StepStarted, [&form](int kind) {
      if (kind == 4) apptest::SaveShot(form, "downloading");
      if (kind == 9) apptest::SaveShot(form, "calculating");
    });
    ASSERT_TRUE(apptest::RunToEnd(form)) << form.Screen.MessageContent;
    EXPECT_EQ(answerer.Questions, 1);
    EXPECT_EQ(answerer.LastQuestion, "Do you want to download new available data");
    EXPECT_EQ(answerer.SignIns, 1);
    ASSERT_EQ(answerer.Messages.size(), 1u);  // said once, before the sign-in
    EXPECT_EQ(answerer.MessagesBeforeSignIn, 1u);
    EXPECT_EQ(answerer.Messages[0].rfind("The sign-in and proxy values are at their defaults: " + folder, 0), 0u);
    EXPECT_TRUE(form.SignedInThisSession);
    ExpectWorkspace(form);
    apptest::SaveShot(form, "workspace");
    EXPECT_EQ(CountRows(market, "SELECT COUNT(*) FROM DATA"), 720 * 434);
    EXPECT_EQ(CountRows(market, "SELECT COUNT(*) FROM DATA_BIS"), 720);
    EXPECT_EQ(form.Context.DailyDataStartDate, form.LatestDailyDate);
    EXPECT_GT(form.MonthlyDates.size(), 400u);

    // The access code uploads the two model-state reports; the panel stays until "Go Back To Workspace".
    QSignalSpy transferred(&form, &app::TMainForm::TransferEnded);
    apptest::TypeWithCtrl(&form, "qxW");
    EXPECT_TRUE(form.Group(TWindowGroup::ProgressSupport)->isVisibleTo(&form));
    EXPECT_EQ(form.Screen.MessageContent, "Data transfert in progress, please wait");
    ASSERT_TRUE(transferred.count() > 0 || transferred.wait(apptest::kRoadTimeoutMs));
    EXPECT_EQ(form.Screen.MessageContent, "Transfert has successfully ");
    EXPECT_TRUE(form.Group(TWindowGroup::SuccessImage)->isVisibleTo(&form));
    apptest::SaveShot(form, "transfer");
    EXPECT_EQ(form.Screen.Indicators.back(), session::kIndicatorDoneColour);
    EXPECT_EQ(CountRows(server.Path(), "SELECT COUNT(*) FROM RECEIVED_REPORT"), 2);
    EXPECT_TRUE(qttest::TWindowPointer(&form).ClickOn(form.Find("GoBackToWorkspaceButtonTitle")));
    EXPECT_FALSE(form.Group(TWindowGroup::ProgressSupport)->isVisibleTo(&form));
    EXPECT_TRUE(form.Group(TWindowGroup::GeneralInformationAndGraphicSupport)->isVisibleTo(&form));
  }
  {  // Second start: nothing new, no question; a row no series can hold (stored by an
     // earlier version) changes nothing; a setting out of range is taken into it with a
     // warning once the workspace is up.
    {
      TLocalQuorvaneDB db;
      db.Connect();
      db.InsertSeriesRows("DATA", {{"SOUTH AFRICA", "EQINDEX", {1e15, 1.0}}}, nullptr);
      db.Disconnect();
      db.DatabaseKind = kSettingsDatabase;
      db.Connect();
      db.Connection().Exec("INSERT INTO USER_FI_COMPETITION_SETTINGS VALUES (10, 250, 15)");  // 250 % of TIPS
    }
    app::TMainForm form;
    apptest::TAnswerer answerer(form);
    ASSERT_TRUE(apptest::RunToEnd(form)) << form.Screen.MessageContent;
    EXPECT_EQ(answerer.Questions, 0);
    EXPECT_EQ(answerer.Messages, std::vector<std::string>{folder + "/USDBV4.sqlite: values out of range or not numbers "
                                                          "were taken into their ranges "
                                                          "(USER_FI_COMPETITION_SETTINGS.MAXTIPSALLOCATION)"});
    EXPECT_EQ(usMyExternUserSettings.MaxTipsAllocation, 100.0);
    EXPECT_FALSE(form.SignedInThisSession);
    ExpectWorkspace(form);
    // A new start date is stored, then the models run again.
    QSignalSpy handled(&form, &app::TMainForm::StepHandled);
    // The dialog's own clicks are tested with the dialog; here it answers June 1990.
    apptest::WhenShowing(form.DateSelectionForm, [&form] {
      form.DateSelectionForm->ChosenDate = platform::EncodeDate(1990, 6, 30);
      form.DateSelectionForm->SetModalResult(1);
    });
    EXPECT_TRUE(qttest::TWindowPointer(&form).ClickOn(form.Find("StartDateButtonTitle")));
    EXPECT_EQ(form.Find("StartDateButtonTitle")->Text, "30 June 1990");
    ASSERT_TRUE(QTest::qWaitFor([&] { return handled.count() >= 2 && !form.StepRunning(); }, apptest::kRoadTimeoutMs));
    EXPECT_EQ(handled[0][0].toInt(), 8);
    EXPECT_EQ(handled[1][0].toInt(), 9);
    EXPECT_TRUE(form.View.WorkspaceShown);
    EXPECT_EQ(usMyExternUserSettings.InceptionDate, platform::EncodeDate(1990, 6, 30));
    // Without a sign-in in this session the access code does nothing.
    apptest::TypeWithCtrl(&form, "qxW");
    EXPECT_FALSE(form.StepRunning());
    EXPECT_FALSE(form.Group(TWindowGroup::ProgressSupport)->isVisibleTo(&form));
    EXPECT_EQ(form.AccessKeys.sTypedLetters, "");
  }
  {  // No server: the disabled-server image and the local data.
    ScopedEnv closed("QUORVANE_SERVER_HOST", "127.0.0.1:1");
    app::TMainForm form;
    apptest::TAnswerer answerer(form);
    ASSERT_TRUE(apptest::RunToEnd(form)) << form.Screen.MessageContent;
    EXPECT_EQ(answerer.Questions, 0);
    ExpectWorkspace(form);
    EXPECT_EQ(CountRows(market, "SELECT COUNT(*) FROM DATA"), 720 * 434 + 1);  // the poisoned row waits for a download
    EXPECT_EQ(form.Find("StartDateButtonTitle")->Text, "30 June 1990");  // stored by the second start
    // No synchronisation ran: the intra-month date is the file's latest daily row, not day zero.
    const double daily = static_cast<double>(
        CountRows(market, "SELECT CAST(MAX(DATE) AS INTEGER) FROM DATA_BIS WHERE COUNTRYNAME='SOUTH AFRICA'"));
    ASSERT_GT(daily, platform::EncodeDate(2000, 1, 1));
    EXPECT_EQ(form.LatestDailyDate, daily);
    QSignalSpy handled(&form, &app::TMainForm::StepHandled);
    apptest::WhenShowing(form.DateSelectionForm, [&form] {
      EXPECT_TRUE(qttest::TWindowPointer(&form).ClickOn(form.DateSelectionForm->IntraMonthButton));
    });
    EXPECT_TRUE(qttest::TWindowPointer(&form).ClickOn(form.Find("EndDateButtonTitle")));
    EXPECT_TRUE(form.DateSelectionForm->IntraMonth);
    EXPECT_EQ(form.Find("IntraMonthTitle")->Text, "[ " + session::DateTitle(daily) + " ]");
    ASSERT_TRUE(QTest::qWaitFor([&] { return handled.count() >= 2 && !form.StepRunning(); }, apptest::kRoadTimeoutMs));
    EXPECT_TRUE(form.View.WorkspaceShown);
    EXPECT_TRUE(form.Group(TWindowGroup::IntraMonthTitleSupport)->isVisibleTo(&form));
  }
}

TEST(MainFormRoadTest, CancelledDownloadOnAnEmptyHomeOffersTheDownloadButton) {
  qvtest::TRunningServer server;
  TempDir home;
  home.UseAsHome("home");
  ScopedEnv host("QUORVANE_SERVER_HOST", ("127.0.0.1:" + std::to_string(server.Server().Port())).c_str());
  app::TMainForm form;
  apptest::TAnswerer answerer(form);
  answerer.DownloadAnswer = false;
  ASSERT_TRUE(apptest::RunToEnd(form));
  EXPECT_EQ(answerer.Questions, 1);
  EXPECT_EQ(answerer.SignIns, 0);
  EXPECT_EQ(form.Step.Kind, 6);
  EXPECT_EQ(form.LastErrorText, "Your database is empty. You have to download data from server before using Quorvane.");
  EXPECT_EQ(form.Screen.MessageColour, claErrorColor);
  EXPECT_TRUE(form.Group(TWindowGroup::DownloadDataButton)->isVisibleTo(&form));
  EXPECT_TRUE(form.Group(TWindowGroup::ConnectButtonSupport)->isVisibleTo(&form));
  EXPECT_FALSE(form.View.WorkspaceShown);
  apptest::SaveShot(form, "empty-database");
}

// "Download Data" leaves the panel once the download it started runs (a
// second click finds nothing); closing the window then cuts the download at
// once and stores nothing.
TEST(MainFormRoadTest, DownloadDataButtonHidesWhileItsDownloadRunsAndCloseCutsIt) {
  qvtest::TRunningServer server;
  TempDir home;
  const std::string market = home.UseAsHome("home") + "/QVDBV4.sqlite";
  ScopedEnv host("QUORVANE_SERVER_HOST", ("127.0.0.1:" + std::to_string(server.Server().Port())).c_str());
  app::TMainForm form;
  apptest::TAnswerer answerer(form);
  answerer.DownloadAnswer = false;
  ASSERT_TRUE(apptest::RunToEnd(form));
  app::TControl* button = form.Group(TWindowGroup::DownloadDataButton);
  ASSERT_TRUE(button->isVisibleTo(&form));
  const QPoint face = qttest::TWindowPointer(&form).PointOf(form.Find("DownloadDataButtonTitle"));

  std::vector<int> started;
  bool buttonShownDuringStep = false;
  bool secondClickReached = false;
  QSignalSpy handled(&form, &app::TMainForm::StepHandled);
  QObject::connect(&form, &app::TMainForm::StepStarted, [&](int kind) {
    started.push_back(kind);
    buttonShownDuringStep |= button->isVisibleTo(&form);
    secondClickReached |=
        static_cast<bool>(qttest::TWindowPointer(&form).Reaches(form.Find("DownloadDataButtonTitle"), face));
    if (kind == 4) form.close();
  });
  EXPECT_TRUE(qttest::TWindowPointer(&form).ClickOn(form.Find("DownloadDataButtonTitle")));
  EXPECT_EQ(answerer.SignIns, 1);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !form.isVisible(); }, apptest::kRoadTimeoutMs));
  ASSERT_FALSE(started.empty());
  EXPECT_EQ(started.back(), 4);
  EXPECT_FALSE(buttonShownDuringStep);
  EXPECT_FALSE(secondClickReached);
  EXPECT_EQ(form.Step.Kind, 4);
  // Ended failed by the close, or by the request it cut.
  EXPECT_TRUE(form.Step.ErrorText == session::kStepAbortedText || form.Step.ErrorText == "Connection to server failed")
      << form.Step.ErrorText;
  EXPECT_EQ(handled.last().front().toInt(), 4);  // nothing ran after the cut download
  EXPECT_EQ(CountRows(market, "SELECT COUNT(*) FROM DATA"), 0);
}

}  // namespace
