// The store's protection of what anyone may send without signing in: the
// password of a new-user request is stored as its hash, the database files
// are owner-only, and reports and requests have size and count limits.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "PasswordHash.h"
#include "ServerTestSupport.h"

using qvtest::TReply;
using qvtest::TRunningServer;

namespace {

std::string NewUserRequest(const std::string& firstName, const std::string& password) {
  return "INSERT INTO NEW_USER_REQUEST (FIRSTNAME,LASTNAME,COMPANYNAME,POSITION,MAILADDRESS,PHONENUMBER,STREET,CITY,"
         "STATEORZIPCODE,COUNTRY,PASSWORD,RESPONSE,REQUESTDATE)VALUES ('" +
         firstName + "','Lee','Co','Cio','ann@co.test','1','St','Town','1000','FRANCE','" + password +
         "','1','46093');";
}

std::string PasswordRequest(const std::string& userId) {
  return "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('" + userId + "','NC','1');";
}

// The first column of every row of `sql` on the file, as text.
std::vector<std::string> Column(const std::string& path, const std::string& sql) {
  qvserver::TSqliteDb db(path);
  qvserver::TSqliteStmt stmt(db, sql);
  std::vector<std::string> values;
  while (stmt.Step()) values.push_back(stmt.Text(0));
  return values;
}

// The permission bits of a file; -1 when it does not exist.
int ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
}

// Sets the process umask for the lifetime of the object.
class TUmask {
 public:
  explicit TUmask(mode_t mask) : Old_(::umask(mask)) {}
  ~TUmask() { ::umask(Old_); }
  TUmask(const TUmask&) = delete;
  TUmask& operator=(const TUmask&) = delete;

 private:
  mode_t Old_;
};

// A plain SQLite connection of another program on the same file.
class TRawConnection {
 public:
  TRawConnection(const std::string& path, const char* sql) {
    if (sqlite3_open(path.c_str(), &Db_) != SQLITE_OK || sqlite3_exec(Db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
      throw std::runtime_error("raw connection failed");
  }
  ~TRawConnection() { sqlite3_close(Db_); }
  TRawConnection(const TRawConnection&) = delete;
  TRawConnection& operator=(const TRawConnection&) = delete;

 private:
  sqlite3* Db_ = nullptr;
};

// A server over a new, empty database with the given store options.
class TStoreServer {
 public:
  explicit TStoreServer(const qvserver::TServerStoreOptions& options)
      : Path_(Dir_.File("store.sqlite")), Store_(Path_, options), Server_(Store_, Quiet()) {
    std::string error;
    if (!Server_.Start("127.0.0.1", 0, error)) throw std::runtime_error(error);
  }
  TReply Query(int kind, const std::string& content) const {
    const std::string url = "http://127.0.0.1:" + std::to_string(Server_.Port()) + "/QuorvaneDB";
    return qvtest::ParseReply(qvtest::Http(qvtest::MethodOfKind(kind), url, qvtest::RequestBody(kind, content)));
  }
  const std::string& Path() const { return Path_; }

 private:
  static qvserver::TDataServerOptions Quiet() {
    qvserver::TDataServerOptions options;
    options.LogRequests = false;
    return options;
  }
  qvtest::TTempDir Dir_;
  std::string Path_;
  qvserver::TServerStore Store_;
  qvserver::DataServer Server_;
};

TEST(ServerHardeningStore, NewUserPasswordIsStoredAsAVerifiableHash) {
  TRunningServer server;  // the default store: interactive hash limits
  const std::string typed = "Xy7$abcd";
  const TReply reply = server.Query(10, NewUserRequest("Ann", typed));
  ASSERT_TRUE(reply.Parsed);
  EXPECT_EQ(reply.Error, "");
  EXPECT_EQ(reply.Rows[0]["String"], "SENT");

  qvserver::TSqliteDb db(server.Path());
  qvserver::TSqliteStmt row(db, "SELECT FIRSTNAME, COUNTRY, REQUESTDATE, PASSWORD FROM NEW_USER_REQUEST");
  ASSERT_TRUE(row.Step());
  EXPECT_EQ(row.Text(0), "Ann");
  EXPECT_EQ(row.Text(1), "FRANCE");
  EXPECT_EQ(row.Text(2), "46093");
  const std::string stored = row.Text(3);
  EXPECT_EQ(stored.find(typed), std::string::npos);
  EXPECT_EQ(stored.rfind("$argon2id$", 0), 0u) << stored;
  EXPECT_TRUE(qvserver::VerifyPassword(stored, typed));
  EXPECT_FALSE(qvserver::VerifyPassword(stored, "Xy7$abce"));
  EXPECT_FALSE(row.Step());
}

TEST(ServerHardeningStore, DatabaseAndItsSideFilesAreOwnerOnly) {
  struct TCase {
    const char* Name;
    // Prepares the file before the server opens it; may return a connection kept open meanwhile.
    std::function<std::unique_ptr<TRawConnection>(const std::string&)> Prepare;
  };
  const std::vector<TCase> cases{
      {"new file", [](const std::string&) { return std::unique_ptr<TRawConnection>(); }},
      {"existing 0644 file",
       [](const std::string& path) {
         { const TRawConnection created(path, "CREATE TABLE T(X)"); }
         return std::unique_ptr<TRawConnection>();
       }},
      {"existing 0644 file with open 0644 side files",
       [](const std::string& path) {
         return std::make_unique<TRawConnection>(path, "PRAGMA journal_mode=WAL; CREATE TABLE T(X)");
       }},
  };
  const TUmask umask(022);
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const qvtest::TTempDir dir;
    const std::string path = dir.File("server.sqlite");
    const std::unique_ptr<TRawConnection> other = c.Prepare(path);
    if (c.Name != std::string("new file")) {
      ASSERT_EQ(ModeOf(path), 0644);
    }
    if (other) {
      ASSERT_EQ(ModeOf(path + "-wal"), 0644);
      ASSERT_EQ(ModeOf(path + "-shm"), 0644);
    }
    TRunningServer server(path);
    EXPECT_EQ(server.Query(11, "{\"Report\":1}").Error, "");
    for (const char* suffix : {"", "-wal", "-shm"}) EXPECT_EQ(ModeOf(path + suffix), 0600) << suffix;
  }
}

TEST(ServerHardeningStore, OversizedReportsAreRefusedAndNotStored) {
  TRunningServer server;  // the default limit: 256 KB
  struct TCase {
    std::size_t Bytes;
    bool Stored;
  };
  const std::vector<TCase> cases{{256 * 1024, true}, {256 * 1024 + 1, false}, {300 * 1024, false}};
  std::size_t stored = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Bytes);
    const TReply reply = server.Query(11, std::string(c.Bytes, 'r'));
    ASSERT_TRUE(reply.Parsed);
    EXPECT_EQ(reply.Error.empty(), c.Stored) << reply.Error;
    // A refusal is an ordinary answer of the kind, not a server failure.
    EXPECT_EQ(reply.Status, 200);
    if (!c.Stored) {
      EXPECT_EQ(reply.Error.rfind("Report too large", 0), 0u) << reply.Error;
    }
    if (c.Stored) ++stored;
    const std::vector<std::string> sizes = Column(server.Path(), "SELECT LENGTH(CONTENT) FROM RECEIVED_REPORT");
    ASSERT_EQ(sizes.size(), stored);
    for (const std::string& size : sizes) EXPECT_EQ(size, std::to_string(256 * 1024));
  }
}

TEST(ServerHardeningStore, StoredRequestsAndReportsAreCappedPerKindKeepingTheEarlierOnes) {
  constexpr int kLimit = 3;
  qvserver::TServerStoreOptions options;
  options.HashLimits = qvserver::MinimalHashLimits();
  options.MaxStoredReports = kLimit;
  options.MaxStoredRequests = kLimit;
  const TStoreServer server(options);
  struct TCase {
    int Kind;
    std::function<std::string(const std::string&)> Content;
    std::string StoredSql;  // the stored values, first sent first
    std::string Accepted;
  };
  const std::vector<TCase> cases{
      {9, [](const std::string& id) { return PasswordRequest(id + "@x.test"); },
       "SELECT USERID FROM PWD_REQUEST ORDER BY rowid", "SENT"},
      {10, [](const std::string& id) { return NewUserRequest(id + "@x.test", "pw"); },
       "SELECT FIRSTNAME FROM NEW_USER_REQUEST ORDER BY rowid", "SENT"},
      {11, [](const std::string& id) { return id + "@x.test"; }, "SELECT CONTENT FROM RECEIVED_REPORT ORDER BY rowid",
       "OK"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Kind);
    std::vector<std::string> sent;
    for (int i = 0; i < kLimit; ++i) {
      const std::string id = "k" + std::to_string(c.Kind) + "n" + std::to_string(i);
      const TReply reply = server.Query(c.Kind, c.Content(id));
      ASSERT_TRUE(reply.Parsed);
      EXPECT_EQ(reply.Error, "");
      EXPECT_EQ(reply.Rows[0]["String"], c.Accepted);
      sent.push_back(id + "@x.test");
    }
    for (int extra = 0; extra < 2; ++extra) {
      const TReply refused = server.Query(c.Kind, c.Content("late" + std::to_string(extra)));
      ASSERT_TRUE(refused.Parsed);
      EXPECT_EQ(refused.Status, 200);
      EXPECT_EQ(refused.Error.rfind("Too many stored", 0), 0u) << refused.Error;
      EXPECT_NE(refused.Rows[0]["String"], c.Accepted);
    }
    EXPECT_EQ(Column(server.Path(), c.StoredSql), sent);
  }
}

}  // namespace
