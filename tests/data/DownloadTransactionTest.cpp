// A full download as the update process runs it: everything is fetched and
// checked first, the local file changes in one transaction, and the server's
// forced re-download date is cleared only after that transaction committed.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "FakeTransport.h"
#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"
#include "data/TempDir.h"

namespace {

constexpr std::size_t kRowsPerDate = 18;  // every country carries every asset

// 18 rows for one date: SOUTH AFRICA's EQINDEX and 17 other assets.
std::vector<TDataRow> DateRows(double date, double value) {
  std::vector<TDataRow> rows;
  rows.push_back({"SOUTH AFRICA", "EQINDEX", {date, value}});
  for (std::size_t i = 1; i < kRowsPerDate; ++i)
    rows.push_back({"SOUTH AFRICA", "A" + std::to_string(i), {date, value}});
  return rows;
}

std::vector<TDataRow> Join(std::vector<TDataRow> a, const std::vector<TDataRow>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

std::vector<TDataRow> WithoutFirst(std::vector<TDataRow> rows) {
  rows.erase(rows.begin());
  return rows;
}

std::string ContentOf(const platform::HttpRequest& request) {
  return nlohmann::json::parse(request.Body).at("SQLRequest").at(0).at("Content").get<std::string>();
}

// The download: "" on success, else the failure text of the step.
std::string FullDownload(TQVDBClient& client, TLocalQuorvaneDB& db, double startDateToUpdate,
                         const std::string& userId) {
  const std::vector<TAssetSeries> assets = client.GetAssetList();
  if (!client.LastMessage.empty()) return client.LastMessage;
  const bool forced = startDateToUpdate != kMissingDate;
  const double lastDate = forced ? db.GetSeriesLastDateBefore("DATA", "SOUTH AFRICA", "EQINDEX", startDateToUpdate)
                                 : db.GetSeriesLastDate("DATA", "SOUTH AFRICA", "EQINDEX");
  const std::vector<TDataRow> rows = client.GetTableRowsSince("DATA", lastDate);
  if (!client.LastMessage.empty()) return client.LastMessage;
  if (rows.size() % kRowsPerDate != 0) return "Incomplete dataset (missing data)";
  try {
    auto download = db.BeginTransaction();
    if (!assets.empty()) db.SaveAssetList(assets);
    if (forced) db.DeleteSeriesFrom("DATA", startDateToUpdate);
    db.InsertSeriesRows("DATA", rows, nullptr);
    download.Commit();
  } catch (const platform::SqliteError& error) {
    return error.what();
  }
  if (forced && !client.SetStartDateToUpdate(userId, kMissingDate)) return client.LastMessage;
  return "";
}

struct DownloadCase {
  const char* Name;
  std::vector<TDataRow> ServerRows;
  std::string ServerError;
  bool LockFile;  // another program holds the file while the download runs
  std::string Failure;
};

class DownloadTransactionTest : public ::testing::TestWithParam<DownloadCase> {
 protected:
  void SetUp() override {
    Home = Temp.UseAsHome();
    Db.BusyTimeoutMs = 50;
    Db.Connect();
    ASSERT_EQ(Db.LastMessage, "");
    ASSERT_TRUE(Db.CreateMarketDataTables());
    TAssetSeries cash;
    cash.ID = "CASH";
    cash.Title = "1M Cash";
    cash.Type = atIndex;
    Db.SaveAssetList({cash});
    // Dates 100, 200 and 300, 18 rows each, all valued 1.
    Db.InsertSeriesRows("DATA", Join(Join(DateRows(100, 1), DateRows(200, 1)), DateRows(300, 1)), nullptr);
    Client.SetProxySource([] { return TProxySettings{}; });
  }

  std::int64_t Count(const std::string& sql) { return Db.Connection().QueryInt(sql); }

  TempDir Temp;
  std::string Home;
  TLocalQuorvaneDB Db;
  FakeTransport Transport;
  TQVDBClient Client{Transport, "NO_RESULT"};
};

// The user was asked to download again from date 200: the rows from 200 on
// are fetched again (after 100, the last date that stays), checked, and only
// then replace the local ones.
TEST_P(DownloadTransactionTest, ChangesTheFileOnlyWhenComplete) {
  const DownloadCase& test = GetParam();
  TAssetSeries index;
  index.ID = "EQINDEX";
  index.Title = "Equity Index";
  index.Type = atIndex;
  Transport.Ok(WriteAssetListReply({index}, ""));
  Transport.Ok(WriteTableRowsReply(test.ServerRows, test.ServerError));
  Transport.Ok(WriteStatusReply("OK", ""));

  sqlite3* other = nullptr;
  if (test.LockFile) {
    ASSERT_EQ(sqlite3_open((Home + "/QVDBV4.sqlite").c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  }
  const std::string failure = FullDownload(Client, Db, 200.0, "demo@quorvane.test");
  if (other != nullptr) {
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
  }
  EXPECT_EQ(failure, test.Failure);

  ASSERT_GE(Transport.Requests.size(), 2u);
  EXPECT_EQ(ContentOf(Transport.Requests[1]), "SELECT * FROM DATA WHERE DATE>100 ORDER BY DATE ASC");
  const bool stored = test.Failure.empty();
  // The reset is the third request, sent only after the commit.
  ASSERT_EQ(Transport.Requests.size(), stored ? 3u : 2u);
  if (stored) {
    EXPECT_EQ(ContentOf(Transport.Requests[2]),
              "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='2' WHERE USERID='demo@quorvane.test'");
  }
  // Stored: 18 rows of date 100 kept, 36 rows of 200 and 300 valued 2.
  // Otherwise the 54 rows valued 1 and the old asset list stay.
  EXPECT_EQ(Count("SELECT count(*) FROM DATA"), 54);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA WHERE VALUE=2"), stored ? 36 : 0);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA WHERE DATE=100 AND VALUE=1"), 18);
  EXPECT_EQ(Count("SELECT count(*) FROM ASSET_LIST WHERE ID='EQINDEX'"), stored ? 1 : 0);
  EXPECT_EQ(Count("SELECT count(*) FROM ASSET_LIST WHERE ID='CASH'"), stored ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(
    Download, DownloadTransactionTest,
    ::testing::Values(DownloadCase{"Complete", Join(DateRows(200, 2), DateRows(300, 2)), "", false, ""},
                      DownloadCase{"OneRowShort", WithoutFirst(Join(DateRows(200, 2), DateRows(300, 2))), "", false,
                                   "Incomplete dataset (missing data)"},
                      DownloadCase{"ServerError", Join(DateRows(200, 2), DateRows(300, 2)), "disk I/O error", false,
                                   "disk I/O error"},
                      DownloadCase{"FileLocked", Join(DateRows(200, 2), DateRows(300, 2)), "", true,
                                   "database is locked"}),
    [](const ::testing::TestParamInfo<DownloadCase>& param) { return std::string(param.param.Name); });

}  // namespace
