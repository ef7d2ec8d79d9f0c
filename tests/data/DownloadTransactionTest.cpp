// A full download as the update process runs it: everything is fetched and
// checked first, the local file changes in one transaction, and the server's
// forced re-download date is cleared only after that transaction committed.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "FakeTransport.h"
#include "data/DataFixtures.h"

namespace {

constexpr std::size_t kRowsPerDate = 18;  // every country carries every asset

// 18 rows for each date: SOUTH AFRICA's EQINDEX and 17 other assets.
std::vector<TDataRow> DateRows(std::initializer_list<double> dates, double value) {
  std::vector<TDataRow> rows;
  for (const double date : dates) {
    rows.push_back(Row("SOUTH AFRICA", "EQINDEX", date, value));
    for (std::size_t i = 1; i < kRowsPerDate; ++i)
      rows.push_back(Row("SOUTH AFRICA", "A" + std::to_string(i), date, value));
  }
  return rows;
}

std::vector<TDataRow> WithoutFirst(std::vector<TDataRow> rows) {
  rows.erase(rows.begin());
  return rows;
}

// The download: "" on success, else the failure text of the step.
std::string FullDownload(TQVDBClient& client, TLocalQuorvaneDB& db, double startDateToUpdate,
                         const std::string& userId) {
  const std::vector<TAssetSeries> assets = client.GetAssetList();
  if (!client.LastMessage.empty()) return client.LastMessage;
  const bool forced = startDateToUpdate != kMissingDate;
  const double lastDate = forced ? db.GetSeriesLastDateBefore("DATA", "SOUTH AFRICA", "EQINDEX", startDateToUpdate)
                                 : db.GetSeriesLastDate("DATA", "SOUTH AFRICA", "EQINDEX");
  const TDataRowSet rows = client.GetTableRowsSince("DATA", lastDate);
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

class DownloadTransactionTest : public OpenDbTest<kMarketDataDatabase>,
                                public FakeServer,
                                public ::testing::WithParamInterface<DownloadCase> {
 protected:
  void SetUp() override {
    OpenDbTest::SetUp();
    Db.SaveAssetList({Asset("CASH", "1M Cash", atIndex)});
    // Dates 100, 200 and 300, 18 rows each, all valued 1.
    Db.InsertSeriesRows("DATA", DateRows({100, 200, 300}, 1), nullptr);
  }
};

// The user was asked to download again from date 200: the rows from 200 on
// are fetched again (after 100, the last date that stays), checked, and only
// then replace the local ones.
TEST_P(DownloadTransactionTest, ChangesTheFileOnlyWhenComplete) {
  const DownloadCase& test = GetParam();
  Transport.Ok(WriteAssetListReply({Asset("EQINDEX", "Equity Index", atIndex)}, ""));
  Transport.Ok(WriteTableRowsReply(test.ServerRows, test.ServerError));
  Transport.Status("OK");
  std::optional<ForeignLock> other;
  if (test.LockFile) {
    other.emplace(File("QVDBV4.sqlite"));
    ASSERT_TRUE(other->Locked);
  }
  const std::string failure = FullDownload(Client, Db, 200.0, "demo@quorvane.test");
  other.reset();
  EXPECT_EQ(failure, test.Failure);

  ASSERT_GE(Transport.Requests.size(), 2u);
  EXPECT_EQ(Decode(Transport.Requests[1]).Content, "SELECT * FROM DATA WHERE DATE>100 ORDER BY DATE ASC");
  const bool stored = test.Failure.empty();
  // The reset is the third request, sent only after the commit.
  ASSERT_EQ(Transport.Requests.size(), stored ? 3u : 2u);
  if (stored) {
    EXPECT_EQ(Decode(Transport.Requests[2]).Content,
              "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='2' WHERE USERID='demo@quorvane.test'");
  }
  // Stored: 18 rows of date 100 kept, 36 rows of 200 and 300 valued 2.
  // Otherwise the 54 rows valued 1 and the old asset list stay.
  EXPECT_EQ(Count("SELECT count(*) FROM DATA"), 54);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA WHERE VALUE=2"), stored ? 36 : 0);
  EXPECT_EQ(Count("SELECT count(*) FROM DATA WHERE DATE=100 AND VALUE=1"), 18);
  EXPECT_EQ(Query("SELECT ID FROM ASSET_LIST"), std::vector<std::string>{stored ? "EQINDEX" : "CASH"});
}

INSTANTIATE_TEST_SUITE_P(
    Download, DownloadTransactionTest,
    ::testing::Values(DownloadCase{"Complete", DateRows({200, 300}, 2), "", false, ""},
                      DownloadCase{"OneRowShort", WithoutFirst(DateRows({200, 300}, 2)), "", false,
                                   "Incomplete dataset (missing data)"},
                      DownloadCase{"ServerError", DateRows({200, 300}, 2), "disk I/O error", false, "disk I/O error"},
                      DownloadCase{"FileLocked", DateRows({200, 300}, 2), "", true, "database is locked"}),
    [](const ::testing::TestParamInfo<DownloadCase>& param) { return std::string(param.param.Name); });

}  // namespace
