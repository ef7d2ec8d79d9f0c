// The SQLite wrapper under the local databases: statements, errors and nested transactions.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "data/TempDir.h"
#include "platform/Sqlite.h"

namespace {

class LocalSqliteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Db.Open(Temp / "test.sqlite");
    Db.SetErrorListener([this](const platform::SqliteError& error) { Heard.push_back(error.what()); });
    Db.Exec("CREATE TABLE T(NAME TEXT NOT NULL UNIQUE, VALUE REAL NOT NULL)");
  }

  void Insert(const std::string& name, double value) {
    auto insert = Db.Prepare("INSERT INTO T (NAME,VALUE) VALUES (?1,?2)");
    insert.BindText(1, name).BindDouble(2, value);
    insert.Execute();
  }

  std::int64_t Rows() { return Db.QueryInt("SELECT count(*) FROM T"); }

  TempDir Temp;
  platform::SqliteConnection Db;
  std::vector<std::string> Heard;
};

TEST_F(LocalSqliteTest, BoundTextIsNeverSql) {
  const std::string tricky = "x'); DROP TABLE T; --";
  Insert(tricky, 1.5);
  auto query = Db.Prepare("SELECT name, value FROM T WHERE NAME=?1");
  query.BindText(1, tricky);
  ASSERT_TRUE(query.Step());
  EXPECT_EQ(query.Text("NAME"), tricky);
  EXPECT_EQ(query.Double("Value"), 1.5);
  EXPECT_FALSE(query.IsNull(0));
  EXPECT_FALSE(query.Step());
  EXPECT_THROW(query.ColumnIndex("MISSING"), platform::SqliteError);
  EXPECT_EQ(Heard.back(), "no such column: MISSING");
}

TEST_F(LocalSqliteTest, EngineErrorsCarryMessageAndCode) {
  Insert("A", 1.0);
  try {
    Insert("A", 2.0);
    FAIL() << "duplicate accepted";
  } catch (const platform::SqliteError& error) {
    EXPECT_EQ(error.PrimaryCode(), SQLITE_CONSTRAINT);
    EXPECT_EQ(std::string(error.what()), "UNIQUE constraint failed: T.NAME");
  }
  ASSERT_FALSE(Heard.empty());
  EXPECT_EQ(Heard.back(), "UNIQUE constraint failed: T.NAME");
  EXPECT_THROW(Db.Prepare("SELEC nothing"), platform::SqliteError);
  EXPECT_THROW(Db.Exec("INSERT INTO NOWHERE VALUES (1)"), platform::SqliteError);
  EXPECT_EQ(Heard.back(), "no such table: NOWHERE");
}

TEST_F(LocalSqliteTest, GuardRollsBackUnlessCommitted) {
  {
    platform::SqliteTransaction transaction(Db);
    Insert("A", 1.0);
    EXPECT_TRUE(Db.InTransaction());
  }
  EXPECT_FALSE(Db.InTransaction());
  EXPECT_EQ(Rows(), 0);
  platform::SqliteTransaction transaction(Db);
  Insert("B", 1.0);
  transaction.Commit();
  EXPECT_FALSE(transaction.IsActive());
  EXPECT_THROW(transaction.Commit(), platform::SqliteError);
  EXPECT_EQ(Rows(), 1);
}

TEST_F(LocalSqliteTest, InnerGuardsAreSavepoints) {
  platform::SqliteTransaction outer(Db);
  Insert("A", 1.0);
  {
    platform::SqliteTransaction inner(Db);
    Insert("B", 2.0);
    // Not committed: only B is undone.
  }
  {
    platform::SqliteTransaction inner(Db);
    Insert("C", 3.0);
    inner.Commit();
  }
  EXPECT_TRUE(Db.InTransaction());
  outer.Commit();
  auto names = Db.Prepare("SELECT NAME FROM T ORDER BY NAME");
  std::vector<std::string> found;
  while (names.Step()) found.push_back(names.ColumnText(0));
  EXPECT_EQ(found, (std::vector<std::string>{"A", "C"}));
}

TEST_F(LocalSqliteTest, ClosedConnectionFailsCleanly) {
  platform::SqliteTransaction transaction(Db);
  Insert("A", 1.0);
  Db.Close();
  EXPECT_FALSE(Db.IsOpen());
  EXPECT_THROW(transaction.Commit(), platform::SqliteError);
  EXPECT_THROW(Db.Exec("SELECT 1"), platform::SqliteError);
  EXPECT_THROW(Db.Prepare("SELECT 1"), platform::SqliteError);
  EXPECT_EQ(Heard.back(), "not connected");
  // Closing rolled the open transaction back.
  Db.Open(Temp / "test.sqlite");
  EXPECT_EQ(Rows(), 0);
  // A missing file is not created when only read-write access is asked for.
  platform::SqliteConnection other;
  EXPECT_THROW(other.Open(Temp / "missing.sqlite", platform::SqliteOpenMode::ReadWrite), platform::SqliteError);
  EXPECT_FALSE(other.IsOpen());
}

}  // namespace
