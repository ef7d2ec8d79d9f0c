// The client against the stand-in server: a full download and the daily
// synchronisation into a temporary market-data file, read back into the
// country list, the sign-in of the sample user, a repeated download, and a
// download cut off by a stopped server.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "DownloadSteps.h"
#include "ServerTestSupport.h"
#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"
#include "platform/CurlTransport.h"

namespace {

using qvtest::DownloadAllData;
using qvtest::LoadWorkData;
using qvtest::SynchronizeDailyData;
using qvtest::TDownloadResult;

// Forwards to libcurl; calls BeforeRequest first so that a test can stop the
// server at a chosen request.
class TWatchedTransport : public platform::HttpTransport {
 public:
  platform::HttpReply Execute(const platform::HttpRequest& request) override {
    if (BeforeRequest) BeforeRequest(request);
    return Curl_.Execute(request);
  }
  std::function<void(const platform::HttpRequest&)> BeforeRequest;

 private:
  platform::CurlTransport Curl_;
};

// Points QUORVANE_HOME at a temporary folder for the local files.
class TLocalHome {
 public:
  TLocalHome() {
    if (const char* old = std::getenv("QUORVANE_HOME")) Saved_ = old;
    ::setenv("QUORVANE_HOME", Dir_.File("home").c_str(), 1);
  }
  ~TLocalHome() {
    if (Saved_)
      ::setenv("QUORVANE_HOME", Saved_->c_str(), 1);
    else
      ::unsetenv("QUORVANE_HOME");
  }

 private:
  qvtest::TTempDir Dir_;
  std::optional<std::string> Saved_;
};

std::string Snapshot(TLocalQuorvaneDB& db) {
  platform::SqliteConnection& c = db.Connection();
  std::string text;
  for (const char* sql :
       {"SELECT COUNT(*), TOTAL(DATE), TOTAL(VALUE) FROM DATA",
        "SELECT COUNT(*), TOTAL(DATE), TOTAL(VALUE) FROM DATA_BIS",
        "SELECT COUNT(*), group_concat(NAME) FROM COUNTRY_LIST", "SELECT COUNT(*), group_concat(ID) FROM ASSET_LIST",
        "SELECT COUNT(*), TOTAL(WEIGHT) FROM PORTFOLIO_TEMPLATE_DATA"}) {
    platform::SqliteStatement stmt(c, sql);
    while (stmt.Step()) {
      for (int i = 0; i < stmt.ColumnCount(); ++i) text += stmt.ColumnText(i) + "|";
    }
    text += "\n";
  }
  return text;
}

class EndToEndTest : public ::testing::Test {
 protected:
  EndToEndTest() : Client_(Transport_, "NO_RESULT") {
    Client_.SetBaseUrl(Server_.BaseUrl());
    Client_.SetProxySource([] { return TProxySettings{}; });
    Db_.DatabaseKind = kMarketDataDatabase;
    Db_.Connect();
  }

  TLocalHome Home_;
  qvtest::TRunningServer Server_;
  TWatchedTransport Transport_;
  TQVDBClient Client_;
  TLocalQuorvaneDB Db_;
};

TEST_F(EndToEndTest, DownloadSynchroniseReadBackAndSignIn) {
  ASSERT_EQ(Db_.LastMessage, "");
  ASSERT_TRUE(Db_.CreateMarketDataTables()) << Db_.LastMessage;
  ASSERT_TRUE(Client_.IsServerAvailable());

  const TDownloadResult download = DownloadAllData(Client_, Db_, qvserver::kSampleUserId, kMissingDate);
  ASSERT_TRUE(download.Ok) << download.ErrorText;
  EXPECT_EQ(download.RowsStored, 720u * 434u);
  const TDownloadResult daily = SynchronizeDailyData(Client_, Db_);
  ASSERT_TRUE(daily.Ok) << daily.ErrorText;
  EXPECT_EQ(daily.RowsStored, 720u * 9u);

  const std::vector<TCountry> countries = LoadWorkData(Db_);
  ASSERT_EQ(countries.size(), 40u);
  EXPECT_EQ(countries[0].Name, "USA");
  EXPECT_EQ(countries[29].Name, "Japan");
  EXPECT_EQ(countries[29].RegionName, "Japan");
  const std::vector<std::string> serverNames = qvserver::SampleCountryNames();
  for (std::size_t place = 0; place < countries.size(); ++place) {
    const TCountry& c = countries[place];
    std::string upper = c.Name;
    std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
    EXPECT_EQ(upper, serverNames[place]) << "place " << place + 1;
    EXPECT_EQ(c.Rank, static_cast<int>(place) + 1);
    std::size_t assetCount = 0;
    for (int type = 0; type <= 4; ++type) {
      for (const TAssetSeries& a : *AssetsOfType(c, type)) {
        ++assetCount;
        const bool ascending = std::adjacent_find(a.Series.begin(), a.Series.end(), [](const auto& x, const auto& y) {
                                 return x.Date >= y.Date;
                               }) == a.Series.end();
        EXPECT_TRUE(ascending) << c.Name << " " << a.ID;
        EXPECT_TRUE(std::none_of(a.Series.begin(), a.Series.end(),
                                 [](const TDataPoint& p) { return p.Value == kStoredMissingValue; }));
      }
    }
    EXPECT_EQ(assetCount, 18u) << c.Name;
    const auto& eq = c.IndexAssets;
    const auto equity = std::find_if(eq.begin(), eq.end(), [](const TAssetSeries& a) { return a.ID == "EQINDEX"; });
    ASSERT_NE(equity, eq.end()) << c.Name;
    EXPECT_FALSE(equity->Series.empty()) << c.Name;
    EXPECT_EQ(equity->Series.back().Date, platform::EncodeDate(2026, 2, 28)) << c.Name;
  }
  // A series read back equals the server's, value for value.
  std::vector<TDataPoint> served;
  for (const TDataPoint& p : Server_.Store().Series("SOUTH AFRICA", "RISKFREEASSET1"))
    if (p.Value != kStoredMissingValue) served.push_back(p);
  const auto& riskFree = countries[27].RiskFreeAssets;
  const auto bond =
      std::find_if(riskFree.begin(), riskFree.end(), [](const TAssetSeries& a) { return a.ID == "RISKFREEASSET1"; });
  ASSERT_NE(bond, riskFree.end());
  EXPECT_EQ(bond->Series, served);
  EXPECT_EQ(Db_.LoadPortfolioTemplateList().size(), Server_.Store().TemplateIds().size());
  EXPECT_EQ(Db_.GetSeriesLastDate("DATA_BIS", "South Africa", "EQINDEX"), qvtest::FixedToday());

  // Sign-in of the sample user, as the sign-in dialog runs it.
  const std::string user = qvserver::kSampleUserId;
  EXPECT_TRUE(Client_.UserExists(user));
  EXPECT_FALSE(Client_.CheckLogin(user, "wrong"));
  EXPECT_EQ(Client_.LastMessage, "");
  EXPECT_TRUE(Client_.CheckLogin(user, qvserver::kSamplePassword));
  EXPECT_EQ(Client_.SelectFieldValue("USER_LIST", "USERID", user, "FIRSTNAME"), "Demo");
  EXPECT_EQ(Client_.SelectFieldValue("LOGIN_LIST", "USERID", user, "STARTDATETOUPDATE"), "2");
  EXPECT_EQ(Client_.SelectFieldValue("LOGIN_LIST", "USERID", user, "AUTHORIZEUPDATE"), "1");
  EXPECT_TRUE(Client_.UpdateUsageStatistics(user)) << Client_.LastMessage;
  EXPECT_EQ(Client_.SelectFieldValue("STATISTIC_LIST", "USERID", user, "COUNTEROFUSE"), "1");
  EXPECT_FALSE(Client_.UserExists("nobody@quorvane.test"));
  EXPECT_TRUE(Client_.SetStartDateToUpdate(user, kMissingDate)) << Client_.LastMessage;

  // Request submissions and the model-state report.
  std::string reply;
  EXPECT_TRUE(Client_.SendPasswordRequest("o'hara@quorvane.test", reply)) << Client_.LastMessage;
  EXPECT_EQ(reply, "SENT");
  EXPECT_TRUE(Client_.SendNewUserRequest("Ann", "Lee", "Co", "Cio", "ann@co.test", "+1 555", "Main St", "Town", "NY",
                                         "USA", "Xy7abcde", "46093", reply))
      << Client_.LastMessage;
  EXPECT_EQ(reply, "SENT");
  EXPECT_TRUE(Client_.ExecuteStatement("{\"Model\":\"EQSL\",\"State\":1}")) << Client_.LastMessage;
  EXPECT_EQ(Client_.GetSeries("USA", "EQINDEX").size(), 434u);

  // Nothing new on the server: a second download stores nothing and changes nothing.
  const std::string before = Snapshot(Db_);
  const TDownloadResult again = DownloadAllData(Client_, Db_, user, kMissingDate);
  ASSERT_TRUE(again.Ok) << again.ErrorText;
  EXPECT_EQ(again.RowsStored, 0u);
  EXPECT_EQ(Snapshot(Db_), before);
  const TDownloadResult dailyAgain = SynchronizeDailyData(Client_, Db_);
  ASSERT_TRUE(dailyAgain.Ok) << dailyAgain.ErrorText;
  EXPECT_EQ(Snapshot(Db_), before);
}

TEST(EndToEndInterrupted, AStoppedServerLeavesTheLocalFileAsBefore) {
  // A short sample set keeps the downloads small.
  qvtest::TTempDir dir;
  const std::string serverFile = dir.File("short.sqlite");
  qvtest::WriteTestSample(serverFile, platform::EncodeDate(1993, 5, 20));
  TLocalHome home;
  qvtest::TRunningServer server(serverFile);
  TWatchedTransport transport;
  TQVDBClient client(transport, "NO_RESULT");
  client.SetBaseUrl(server.BaseUrl());
  client.SetProxySource([] { return TProxySettings{}; });
  TLocalQuorvaneDB db;
  db.Connect();
  ASSERT_TRUE(db.CreateMarketDataTables());
  ASSERT_TRUE(DownloadAllData(client, db, qvserver::kSampleUserId, kMissingDate).Ok);
  ASSERT_TRUE(SynchronizeDailyData(client, db).Ok);
  const std::string before = Snapshot(db);

  // The server demands a re-download from 1992 on and stops when the rows are asked for.
  const double forcedStart = platform::EncodeDate(1992, 1, 31);
  ASSERT_EQ(server.Store().UpdateStartDate(qvserver::kSampleUserId, forcedStart), 1);
  transport.BeforeRequest = [&](const platform::HttpRequest& request) {
    if (request.Body.find("WHERE DATE>") != std::string::npos) server.Server().Stop();
  };
  const TDownloadResult cut = DownloadAllData(client, db, qvserver::kSampleUserId, forcedStart);
  EXPECT_FALSE(cut.Ok);
  EXPECT_EQ(cut.ErrorText, "Connection to server failed");
  EXPECT_EQ(Snapshot(db), before);
  EXPECT_EQ(server.Store().UserValue("LOGIN_LIST", "STARTDATETOUPDATE", qvserver::kSampleUserId),
            qvserver::FormatReal(forcedStart));

  // The daily synchronisation against the stopped server does nothing either.
  const TDownloadResult daily = SynchronizeDailyData(client, db);
  EXPECT_EQ(Snapshot(db), before);
  EXPECT_TRUE(daily.Ok);  // no server date: nothing to do
  EXPECT_FALSE(client.IsServerAvailable());
}

}  // namespace
