// The full download against the in-process data server with a fault put at
// each request and at each local write in turn: the step fails with its
// text, nothing after the fault runs, the local file holds the old snapshot
// or the complete new one, and the server's demand is cleared only on success.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "SessionTestSupport.h"
#include "common/Globals.h"
#include "data/SeriesRowRules.h"
#include "platform/DateTime.h"

namespace {

using platform::EncodeDate;
using session::StepProgressLook;
using sessiontest::TStepBench;

std::string Snapshot(TLocalQuorvaneDB& db) {
  std::string text;
  for (const char* sql :
       {"SELECT COUNT(*), TOTAL(DATE), TOTAL(VALUE) FROM DATA", "SELECT COUNT(*), group_concat(NAME) FROM COUNTRY_LIST",
        "SELECT COUNT(*), group_concat(ID) FROM ASSET_LIST",
        "SELECT COUNT(*), group_concat(ID) FROM PORTFOLIO_TEMPLATE_LIST",
        "SELECT COUNT(*), TOTAL(WEIGHT) FROM PORTFOLIO_TEMPLATE_DATA"}) {
    platform::SqliteStatement statement(db.Connection(), sql);
    while (statement.Step())
      for (int i = 0; i < statement.ColumnCount(); ++i) text += statement.ColumnText(i) + "|";
    text += "\n";
  }
  return text;
}

const std::string& UserId() {
  static const std::string user = qvserver::kSampleUserId;
  return user;
}

class DownloadFaultTest : public ::testing::Test {
 protected:
  // One server with the short sample set (monthly January 1990 to April
  // 1993) and one local file downloaded from it, cut after February 1993.
  static void SetUpTestSuite() {
    Dir_ = new qvtest::TTempDir;
    const std::string serverFile = Dir_->File("server.sqlite");
    qvtest::WriteTestSample(serverFile, EncodeDate(1993, 5, 20));
    Server_ = new qvtest::TRunningServer(serverFile);
    TStepBench bench;
    Point(bench);
    ASSERT_EQ(bench.Run(4).ErrorText, "");
    bench.Db.Connection().Exec("DELETE FROM DATA WHERE DATE>" + std::to_string(EncodeDate(1993, 2, 28)));
    const std::string path = bench.Db.DatabasePath();
    bench.Db.Disconnect();
    std::filesystem::copy_file(path, Dir_->File("old.sqlite"));
  }
  static void TearDownTestSuite() {
    delete Server_;
    delete Dir_;
  }
  static void Point(TStepBench& bench) {
    bench.Transport.Forward = true;
    bench.Client.SetBaseUrl(Server_->BaseUrl());
  }
  // A bench on a copy of the old local file; the server demands a new
  // download of the rows from January 1992 on.
  void Prepare(TStepBench& bench) {
    const std::string path = bench.Db.DatabasePath();
    bench.Db.Disconnect();
    std::filesystem::remove(path);
    std::filesystem::copy_file(Dir_->File("old.sqlite"), path);
    bench.Db.Connect();
    Point(bench);
    ASSERT_EQ(Server_->Store().UpdateStartDate(UserId(), kForcedStart), 1);
    // The user signed in from this address, as before every download.
    ASSERT_EQ(Server_->SignIn(UserId(), qvserver::kSamplePassword), "1");
    bench.Context.SignIn = {UserId(), kForcedStart};
  }
  std::string ServerStartDate() {
    return Server_->Store().UserValue("LOGIN_LIST", "STARTDATETOUPDATE", UserId()).value_or("<none>");
  }

  static constexpr double kForcedStart = 33634.0;  // 31 January 1992
  static qvtest::TTempDir* Dir_;
  static qvtest::TRunningServer* Server_;
};

qvtest::TTempDir* DownloadFaultTest::Dir_ = nullptr;
qvtest::TRunningServer* DownloadFaultTest::Server_ = nullptr;

TEST_F(DownloadFaultTest, AFailedRequestLeavesTheOldFileAndStopsTheStep) {
  std::string complete;
  {
    TStepBench reference;
    Prepare(reference);
    const std::string old = Snapshot(reference.Db);
    ASSERT_EQ(reference.Run(4).ErrorText, "");
    complete = Snapshot(reference.Db);
    EXPECT_NE(complete, old);
    EXPECT_EQ(reference.Count("SELECT count(*) FROM DATA"), 720 * 40);
    EXPECT_EQ(reference.Context.RowsStored, 720u * 16u);  // January 1992 to April 1993 again
    EXPECT_EQ(ServerStartDate(), "2");
    // Rows after the last month end before the forced date.
    EXPECT_EQ(reference.Transport.Statements(8),
              std::vector<std::string>{"SELECT * FROM DATA WHERE DATE>33603 ORDER BY DATE ASC"});
    ASSERT_EQ(reference.Reporter.Looks.size(), 8u);  // sub-steps 1 to 8 in order
    for (int sub = 1; sub <= 8; ++sub) EXPECT_EQ(reference.Reporter.Looks[sub - 1], StepProgressLook(4, sub).Text);
    EXPECT_EQ(reference.Reporter.Texts.back(), "100%");
  }
  // Requests in order: assets, countries, template list, three template
  // weights, rows, the server's start date.
  for (int fault = 0; fault < 8; ++fault) {
    TStepBench bench;
    Prepare(bench);
    const std::string old = Snapshot(bench.Db);
    bench.Transport.FailAt = fault;
    const session::TUpdateStep step = bench.Run(4);
    EXPECT_EQ(step.ErrorText, "Connection to server failed") << fault;
    EXPECT_EQ(bench.Transport.Sent.size(), static_cast<std::size_t>(fault) + 1) << fault;
    // Only the last request comes after the commit.
    EXPECT_EQ(Snapshot(bench.Db), fault == 7 ? complete : old) << fault;
    EXPECT_EQ(ServerStartDate(), qvserver::FormatReal(kForcedStart)) << fault;
  }
}

TEST_F(DownloadFaultTest, AFailedLocalWriteRollsEverythingBack) {
  for (const char* target : {"INSERT ON ASSET_LIST", "INSERT ON COUNTRY_LIST", "INSERT ON PORTFOLIO_TEMPLATE_LIST",
                             "INSERT ON PORTFOLIO_TEMPLATE_DATA", "DELETE ON DATA", "INSERT ON DATA"}) {
    TStepBench bench;
    Prepare(bench);
    const std::string old = Snapshot(bench.Db);
    bench.Db.Connection().Exec(std::string("CREATE TEMP TRIGGER fault BEFORE ") + target +
                               " BEGIN SELECT RAISE(ABORT,'injected'); END");
    const session::TUpdateStep step = bench.Run(4);
    EXPECT_NE(step.ErrorText.find("injected"), std::string::npos) << target << ": " << step.ErrorText;
    EXPECT_TRUE(bench.Transport.Statements(0).empty()) << target;  // the server value is not written
    bench.Db.Connection().Exec("DROP TRIGGER temp.fault");
    EXPECT_EQ(Snapshot(bench.Db), old) << target;
    EXPECT_EQ(ServerStartDate(), qvserver::FormatReal(kForcedStart)) << target;
  }
}

// The window closing stops the running download (it asks the step to stop
// and aborts the transport): at any request, or halfway through storing the
// rows, the step ends failed, the local file keeps its old snapshot and the
// server its demand, and no later step sends anything.
TEST_F(DownloadFaultTest, AnAbortAtAnyPointLeavesTheOldFile) {
  // Requests 0..6 (assets to rows), then -1: when the store shows 50 %.
  for (int at : {0, 1, 2, 3, 4, 5, 6, -1}) {
    TStepBench bench;
    Prepare(bench);
    const std::string old = Snapshot(bench.Db);
    bench.Transport.Script = [&bench, at](const TSQLRequest&) -> std::optional<std::string> {
      if (static_cast<int>(bench.Transport.Sent.size()) - 1 == at) {
        bench.Context.AbortRequested = true;
        bench.Transport.Abort();
      }
      return std::nullopt;
    };
    bench.Reporter.OnText = [&bench, at](const std::string& text) {
      if (at < 0 && text == "50%") {
        bench.Context.AbortRequested = true;
        bench.Transport.Abort();
      }
    };
    const session::TUpdateStep step = bench.Run(4);
    EXPECT_EQ(step.ErrorText, at < 0 ? session::kStepAbortedText : "Connection to server failed") << at;
    EXPECT_EQ(bench.Transport.Sent.size(), at < 0 ? 7u : static_cast<std::size_t>(at) + 1) << at;
    EXPECT_EQ(Snapshot(bench.Db), old) << at;
    EXPECT_EQ(bench.Context.RowsStored, 0u) << at;
    EXPECT_EQ(ServerStartDate(), qvserver::FormatReal(kForcedStart)) << at;
    // Every later step stops before its first request.
    EXPECT_EQ(bench.Run(5).ErrorText, session::kStepAbortedText) << at;
    EXPECT_EQ(bench.Transport.Sent.size(), at < 0 ? 7u : static_cast<std::size_t>(at) + 1) << at;
  }
}

// A file holding rows that no series can hold (a reference-series row dated
// past the last day of next month: 180 days ahead, a day past that month,
// 1E15; an absurd value in 1991) still sees the new data at its next start,
// and one download replaces them: the file then equals a clean download and
// the work data load.
TEST_F(DownloadFaultTest, PoisonedRowsAreReplacedByOneDownload) {
  std::string clean, cleanLoad;
  {
    TStepBench reference;
    Point(reference);
    reference.Context.SignIn = {UserId(), kMissingDate};
    ASSERT_EQ(reference.Run(4).ErrorText, "");
    clean = Snapshot(reference.Db);
    cleanLoad = reference.Run(6).ErrorText;
  }
  const double today = platform::Today();
  for (const double ahead : {today + 180.0, LatestSeriesDate(today) + 1.0, 1e15}) {
    TStepBench bench;
    Prepare(bench);
    bench.Context.SignIn = {UserId(), kMissingDate};
    const double poisonedMonth = EncodeDate(1991, 6, 30);
    bench.Db.InsertSeriesRows("DATA", {{"SOUTH AFRICA", "EQINDEX", {ahead, 1.0}}}, nullptr);
    bench.Db.Connection().Exec("UPDATE DATA SET VALUE=1e300 WHERE COUNTRYNAME='USA' AND ASSETID='EQINDEX' AND DATE=" +
                               std::to_string(poisonedMonth));
    ASSERT_EQ(bench.Count("SELECT count(*) FROM DATA WHERE VALUE=1e300"), 1);
    EXPECT_EQ(bench.Db.GetSeriesLastDate("DATA", "SOUTH AFRICA", "EQINDEX"), EncodeDate(1993, 2, 28)) << ahead;
    ASSERT_EQ(bench.Run(3).ErrorText, "");
    EXPECT_EQ(bench.Context.DataUpToDate, 0) << ahead;  // the server's April 1993 is newer

    ASSERT_EQ(bench.Run(4).ErrorText, "");
    EXPECT_EQ(Snapshot(bench.Db), clean) << ahead;
    EXPECT_EQ(bench.Count("SELECT count(*) FROM DATA WHERE DATE>" + std::to_string(today) + " OR abs(VALUE)>1e12"), 0);
    // Fetched again after the month before the poisoned one.
    EXPECT_EQ(bench.Transport.Statements(8).back(),
              "SELECT * FROM DATA WHERE DATE>" + std::to_string(static_cast<int>(EncodeDate(1991, 5, 31))) +
                  " ORDER BY DATE ASC");
    EXPECT_EQ(bench.Run(6).ErrorText, cleanLoad);  // the short sample set lacks some series
  }
}

}  // namespace
