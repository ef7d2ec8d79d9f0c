// The store's protection of what anyone may send without signing in: the
// password of a new-user request is stored as its hash, the database files
// are owner-only, and reports and requests have size, count and byte limits.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "PasswordHash.h"
#include "ServerTestSupport.h"

using qvtest::TReply;
using qvtest::TRunningServer;

namespace {

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
  // One request of `kind` sent from the loopback address `from`.
  TReply Query(int kind, const std::string& content, const std::string& from = "127.0.0.1") const {
    const std::string url = "http://127.0.0.1:" + std::to_string(Server_.Port()) + "/QuorvaneDB";
    return qvtest::ParseReply(qvtest::Http(qvtest::MethodOfKind(kind), url, qvtest::RequestBody(kind, content), from));
  }
  qvserver::TServerStore& Store() { return Store_; }
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
  const TReply reply = server.Query(10, qvtest::NewUserStatement("Ann", typed));
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

// A server database readable by all (mode 0644), as an older server left it.
void CopySampleOpenToAll(const std::string& path) {
  std::filesystem::copy_file(qvtest::TSampleDatabase::Shared().Path(), path);
  ASSERT_EQ(::chmod(path.c_str(), 0644), 0);
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
         CopySampleOpenToAll(path);
         { const TRawConnection created(path, "CREATE TABLE T(X)"); }
         return std::unique_ptr<TRawConnection>();
       }},
      {"existing 0644 file with open 0644 side files",
       [](const std::string& path) {
         CopySampleOpenToAll(path);
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
      {10, [](const std::string& id) { return qvtest::NewUserStatement(id + "@x.test", "pw"); },
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

// The store options of the tests below: a quick stand-in hash that counts its calls.
qvserver::TServerStoreOptions CountingHashOptions(std::atomic<int>& hashes) {
  qvserver::TServerStoreOptions options;
  options.HashFunction = [&hashes](const std::string&) {
    ++hashes;
    return std::string("$testhash$");
  };
  return options;
}

std::int64_t RowCount(const std::string& path, const char* table) {
  return std::stoll(Column(path, std::string("SELECT COUNT(*) FROM ") + table).at(0));
}

// Values of password and new-user requests longer than 256 characters are
// refused with an error naming the column, before any hash, and nothing of
// them is stored; characters are counted, not bytes.
TEST(ServerHardeningStore, OverlongValuesAreRefusedBeforeAnythingIsHashedOrStored) {
  std::atomic<int> hashes{0};
  TStoreServer server(CountingHashOptions(hashes));
  const std::string e256 = [] {
    std::string text;
    for (int i = 0; i < 256; ++i) text += "\xc3\xa9";  // 256 characters, 512 bytes
    return text;
  }();
  const std::string megabyte(1000000, 'x');  // still under the body limit
  auto pwd = [](const std::string& userId) { return PasswordRequest(userId); };
  auto newUser = [](int column, const std::string& value) {
    std::string first = "Ann", password = "pw", statement;
    if (column == 0) first = value;
    if (column == 10) password = value;
    statement = qvtest::NewUserStatement(first, password);
    if (column == 12) statement.replace(statement.rfind("'46093'"), 7, "'" + value + "'");
    return statement;
  };
  struct TCase {
    const char* Name;
    int Kind;
    std::string Content;
    std::string Error;  // empty: stored
  };
  const std::vector<TCase> cases{
      {"user id of 256", 9, pwd(std::string(256, 'u')), ""},
      {"user id of 257", 9, pwd(std::string(257, 'u')),
       "Value of USERID too long: 257 characters, at most 256; refused"},
      {"user id of 256 two-byte characters", 9, pwd(e256), ""},
      {"user id of a megabyte", 9, pwd(megabyte), "Value of USERID too long: 1000000 characters, at most 256; refused"},
      {"first name of 257", 10, newUser(0, std::string(257, 'f')),
       "Value of FIRSTNAME too long: 257 characters, at most 256; refused"},
      {"password of 257", 10, newUser(10, std::string(257, 'p')),
       "Value of PASSWORD too long: 257 characters, at most 256; refused"},
      {"password of a megabyte", 10, newUser(10, megabyte),
       "Value of PASSWORD too long: 1000000 characters, at most 256; refused"},
      {"request date of 256", 10, newUser(12, std::string(256, '4')), ""},
      {"password of 256", 10, newUser(10, std::string(256, 'p')), ""},
  };
  std::int64_t passwordRows = 0;
  std::int64_t newUserRows = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TReply reply = server.Query(c.Kind, c.Content);
    ASSERT_TRUE(reply.Parsed);
    EXPECT_EQ(reply.Status, 200);
    EXPECT_EQ(reply.Error, c.Error);
    if (c.Error.empty()) ++(c.Kind == 9 ? passwordRows : newUserRows);
    EXPECT_EQ(RowCount(server.Path(), "PWD_REQUEST"), passwordRows);
    EXPECT_EQ(RowCount(server.Path(), "NEW_USER_REQUEST"), newUserRows);
    EXPECT_EQ(hashes.load(), newUserRows);  // a refused request is never hashed
  }
  // The longest values are stored whole.
  EXPECT_EQ(Column(server.Path(), "SELECT USERID FROM PWD_REQUEST WHERE LENGTH(USERID) = 256 ORDER BY rowid"),
            (std::vector<std::string>{std::string(256, 'u'), e256}));
}

// Bytes stored from one address within a day and from all have caps: a
// request or report past either is refused with an error and nothing of it is
// stored (a new-user request before its hash); other addresses go on until
// the total is reached.
TEST(ServerHardeningStore, StoredBytesAreCappedPerAddressAndInAll) {
  std::atomic<int> hashes{0};
  qvserver::TServerStoreOptions options = CountingHashOptions(hashes);
  options.MaxStoredBytesPerAddress = 1000;
  options.MaxStoredBytesTotal = 2500;
  TStoreServer server(options);
  const std::string fromAddress = "Too much stored from this address within a day (at most 1000 bytes); refused";
  const std::string inAll = "Too much stored in all (at most 2500 bytes); refused";
  struct TCase {
    const char* From;
    int Kind;
    std::string Content;  // a password request counts its user id and 3 bytes
    std::string Error;
  };
  const std::vector<TCase> cases{
      {"127.0.0.2", 11, std::string(800, 'r'), ""},
      {"127.0.0.2", 9, PasswordRequest(std::string(197, 'u')), ""},  // 1000 bytes: at the cap
      {"127.0.0.2", 9, PasswordRequest("u"), fromAddress},
      {"127.0.0.2", 10, qvtest::NewUserStatement("Ann", "pw"), fromAddress},
      {"127.0.0.2", 11, "r", fromAddress},
      {"127.0.0.3", 11, std::string(900, 'r'), ""},
      {"127.0.0.4", 11, std::string(600, 'r'), ""},  // 2500 bytes in all: at the cap
      {"127.0.0.5", 9, PasswordRequest("u"), inAll},
      {"127.0.0.5", 10, qvtest::NewUserStatement("Ann", "pw"), inAll},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.From) + " kind " + std::to_string(c.Kind));
    const TReply reply = server.Query(c.Kind, c.Content, c.From);
    ASSERT_TRUE(reply.Parsed);
    EXPECT_EQ(reply.Status, 200);
    EXPECT_EQ(reply.Error, c.Error);
  }
  const std::vector<std::pair<std::string, std::int64_t>> stored{
      {"127.0.0.2", 1000}, {"127.0.0.3", 900}, {"127.0.0.4", 600}, {"127.0.0.5", 0}};
  for (const auto& [address, bytes] : stored)
    EXPECT_EQ(server.Store().StoredBytesFrom(address, platform::Now()), bytes) << address;
  EXPECT_EQ(server.Store().StoredBytesTotal(), 2500);
  EXPECT_EQ(RowCount(server.Path(), "RECEIVED_REPORT"), 3);
  EXPECT_EQ(RowCount(server.Path(), "PWD_REQUEST"), 1);
  EXPECT_EQ(RowCount(server.Path(), "NEW_USER_REQUEST"), 0);
  EXPECT_EQ(hashes.load(), 0);
}

// The total follows the rows the tables hold: what an operator deletes or
// shortens, from another program while the server runs, frees its bytes at
// once; the count is taken again from the rows at every start, so a file of
// an earlier version (its ever-growing count in REQUEST_SOURCES) or a count
// gone wrong holds nothing back. An address's bytes count within a day.
TEST(ServerHardeningStore, TheStoredBytesFollowTheRows) {
  const qvtest::TTempDir dir;
  const std::string path = dir.File("ledger.sqlite");
  {
    qvserver::TServerStore created(path);
    created.StoreReport(std::string(40, 'e'), "10.0.0.9", 46000.0);
  }
  // The file as an earlier version leaves it: its count full, no count by
  // rows, no bytes by day; its report stays.
  {
    std::string earlier = "DROP TABLE STORED_BYTES; DROP TABLE RECEIVED_BYTES; CREATE TABLE REQUEST_SOURCES(ADDRESS "
                          "TEXT NOT NULL PRIMARY KEY, STOREDBYTES INTEGER NOT NULL); "
                          "INSERT INTO REQUEST_SOURCES VALUES('', 1e9);";
    for (const char* table : {"PWD_REQUEST", "NEW_USER_REQUEST", "RECEIVED_REPORT"})
      for (const char* trigger : {"_BYTES_IN", "_BYTES_OUT", "_BYTES_CHANGED"})
        earlier += std::string("DROP TRIGGER ") + table + trigger + ";";
    const TRawConnection file(path, earlier.c_str());
  }
  qvserver::TServerStoreOptions options;
  options.MaxStoredBytesPerAddress = 100;
  options.MaxStoredBytesTotal = 250;
  options.MaxReportsPerAddress = 100;
  std::optional<qvserver::TServerStore> store(std::in_place, path, options);
  const std::string byAddress = "Too much stored from this address within a day (at most 100 bytes); refused";
  const std::string inAll = "Too much stored in all (at most 250 bytes); refused";
  const double day = 46001.0;
  struct TStep {
    const char* From;  // a report of Bytes bytes from this address; nullptr: Sql by another program
    double Day;
    int Bytes;
    const char* Sql;  // "reopen": the server starts again
    std::string Error;
    std::int64_t Total;  // afterwards
  };
  const std::vector<TStep> steps{
      {nullptr, day, 0, "reopen", "", 40},
      {"10.0.0.1", day, 60, nullptr, "", 100},
      {"10.0.0.1", day, 50, nullptr, byAddress, 100},
      {"10.0.0.2", day, 100, nullptr, "", 200},
      {"10.0.0.3", day, 60, nullptr, inAll, 200},
      {nullptr, day, 0, "DELETE FROM RECEIVED_REPORT WHERE LENGTH(CONTENT) = 100", "", 100},
      {"10.0.0.3", day, 100, nullptr, "", 200},
      {nullptr, day, 0, "UPDATE RECEIVED_REPORT SET CONTENT = 'x' WHERE LENGTH(CONTENT) = 60", "", 141},
      {"10.0.0.1", day + 0.5, 40, nullptr, "", 181},  // 100 bytes of 10.0.0.1 within the day
      {"10.0.0.1", day + 0.9, 1, nullptr, byAddress, 181},
      {"10.0.0.1", day + 1.1, 60, nullptr, "", 241},  // the first report's day has passed
      {nullptr, day, 0, "UPDATE STORED_BYTES SET BYTES = 1000000000 WHERE TABLENAME = 'RECEIVED_REPORT'", "",
       1000000000},
      {nullptr, day, 0, "reopen", "", 241},
      {nullptr, day, 0, "DELETE FROM RECEIVED_REPORT", "", 0},
      {"10.0.0.4", day + 1.1, 100, nullptr, "", 100},
      {"10.0.0.6", day + 1.1, 50, nullptr, "", 150},
      // A row replaced in place of another fires no delete trigger: the bytes counted under its row id leave.
      {nullptr, day, 0,
       "INSERT OR REPLACE INTO RECEIVED_REPORT(ID, RECEIVEDAT, CONTENT) SELECT ID, RECEIVEDAT, 'abc' FROM "
       "RECEIVED_REPORT WHERE LENGTH(CONTENT) = 100",
       "", 53},
      {nullptr, day, 0,
       "UPDATE OR REPLACE RECEIVED_REPORT SET ID = (SELECT MIN(ID) FROM RECEIVED_REPORT) WHERE LENGTH(CONTENT) = 50",
       "", 50},
      {nullptr, day, 0, "reopen", "", 50},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const TStep& step = steps[i];
    SCOPED_TRACE("step " + std::to_string(i));
    std::string error;
    if (step.From) {
      try {
        store->StoreReport(std::string(static_cast<std::size_t>(step.Bytes), 'r'), step.From, step.Day);
      } catch (const qvserver::TStoreRefusal& e) {
        error = e.what();
      }
    } else if (std::string(step.Sql) == "reopen") {
      store.reset();
      store.emplace(path, options);
    } else {
      const TRawConnection other(path, step.Sql);
    }
    EXPECT_EQ(error, step.Error);
    EXPECT_EQ(store->StoredBytesTotal(), step.Total);
  }
  // The password and new-user tables are counted the same way.
  store->StorePasswordRequest({"ab@c.test", "NC", "1"}, "10.0.0.5", day + 1.1);  // 12 bytes
  store->StoreNewUserRequest({"F", "L", "C", "P", "m@x.test", "1", "S", "T", "Z", "FR", "pw", "1", "46093"}, "$h$",
                             "10.0.0.5", day + 1.1);  // 27 bytes
  EXPECT_EQ(store->StoredBytesTotal(), 89);
  EXPECT_EQ(store->StoredBytesFrom("10.0.0.5", day + 1.1), 39);
  { const TRawConnection other(path, "DELETE FROM PWD_REQUEST"); }
  EXPECT_EQ(store->StoredBytesTotal(), 77);
  store.reset();
  store.emplace(path, options);
  EXPECT_EQ(store->StoredBytesTotal(), 77);
}

}  // namespace
