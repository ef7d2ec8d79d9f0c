// The data server under hostile clients: guessing passwords from one address,
// holding replies unread, trickling requests, forging log lines.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "PasswordHash.h"
#include "ReplyWriter.h"
#include "ServerTestSupport.h"

using qvtest::Http;
using qvtest::RequestBody;
using std::chrono::milliseconds;
using TClock = std::chrono::steady_clock;

namespace {

using qvtest::TRawClient;

std::string RawRequest(const std::string& method, const std::string& path, const std::string& body) {
  return method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}

std::string SignInBody(const std::string& password, const std::string& user = qvserver::kSampleUserId) {
  return RequestBody(1, "SELECT * FROM LOGIN_LIST WHERE USERID='" + user + "' AND PASSWORD='" + password + "'");
}

const std::string kAllMonthlyRows = RequestBody(8, "SELECT * FROM DATA WHERE DATE>2 ORDER BY DATE ASC");

// A server over a copy of the sample set with the given options.
struct TServer : qvtest::TOptionsServer {
  using TOptionsServer::TOptionsServer;
  // The status value of a sign-in from `from`: "busy" for status 503, the
  // error text when there is one, "none" without a reply.
  std::string SignIn(const std::string& password, const char* from) const {
    const qvtest::TReply reply = qvtest::ParseReply(Http("GET", Url(), SignInBody(password), from));
    if (reply.Status == 503) return "busy";
    if (!reply.Error.empty()) return reply.Error;
    if (!reply.Parsed || reply.Rows.empty()) return "none";
    return reply.Rows[0].value("String", "none");
  }
  // The status value of a new-user request from `from`, as SignIn.
  std::string NewUser(const std::string& firstName, const char* from) const {
    const qvtest::TReply reply =
        qvtest::ParseReply(Http("POST", Url(), RequestBody(10, qvtest::NewUserStatement(firstName, "pw")), from));
    if (reply.Status == 503) return "busy";
    if (!reply.Error.empty()) return reply.Error;
    if (!reply.Parsed || reply.Rows.empty()) return "none";
    return reply.Rows[0].value("String", "none");
  }
};

qvserver::TDataServerOptions Quiet() { return qvtest::QuietServerOptions(); }

// The status value of an answer, or its error text when it has one.
std::string StatusOf(const qvserver::THttpAnswer& answer) {
  const qvtest::TReply reply = qvtest::ParseReply({answer.Status, answer.Body});
  if (!reply.Error.empty()) return reply.Error;
  return reply.Rows.empty() ? "none" : reply.Rows[0].value("String", "none");
}

// Failed sign-ins lock their address, the lock doubling up to the ceiling;
// a check from a locked address is answered at once with the seconds left,
// the correct password included; other addresses are not locked. Unknown
// user names count as failures too; failures older than the window are
// forgotten. The clock is moved by hand.
TEST(ServerHardeningSignIn, FailuresLockTheAddressAndALockedCheckIsAnsweredAtOnce) {
  qvtest::TTempDir dir;
  qvserver::TServerStore store(qvtest::TSampleDatabase::Shared().Copy(dir, "gate.sqlite"));
  qvtest::TManualClock clock;
  qvserver::TSignInLimits limits;                  // five free failures, then 1 s doubling up to 30 s
  limits.FailureWindow = std::chrono::minutes(5);  // long enough to count twelve spaced failures
  limits.Now = clock.Source();
  const qvserver::TRequestHandler handler(store, limits);
  auto locked = [](int seconds) { return qvserver::TooManyAttemptsText(seconds); };
  struct TStep {
    int AdvanceMs;  // before the check
    const char* Password;
    const char* Address;
    std::string Expected;
    const char* User = qvserver::kSampleUserId;
  };
  const std::vector<TStep> steps{
      {0, "wrong", "10.0.0.1", "0"},
      {0, "wrong", "10.0.0.1", "0"},
      {0, "wrong", "10.0.0.1", "0"},
      {0, "wrong", "10.0.0.1", "0"},
      {0, "wrong", "10.0.0.1", "0"},       // five failures: locked 1 s
      {0, "demo", "10.0.0.1", locked(1)},  // a match is not checked either
      {0, "demo", "10.0.0.2", "1"},        // the same user from elsewhere
      {999, "wrong", "10.0.0.1", locked(1)},
      {1, "wrong", "10.0.0.1", "0"},  // sixth failure: 2 s
      {1000, "demo", "10.0.0.1", locked(1)},
      {1000, "wrong", "10.0.0.1", "0"},   // seventh: 4 s
      {4000, "wrong", "10.0.0.1", "0"},   // eighth: 8 s
      {8000, "wrong", "10.0.0.1", "0"},   // ninth: 16 s
      {16000, "wrong", "10.0.0.1", "0"},  // tenth: 30 s, the ceiling
      {30000, "wrong", "10.0.0.1", "0"},  // eleventh
      {30000, "wrong", "10.0.0.1", "0"},  // twelfth: still 30 s
      {0, "demo", "10.0.0.1", locked(30)},
      {29001, "demo", "10.0.0.1", locked(1)},
      {999, "demo", "10.0.0.1", "1"},  // the lock has passed: a match matches
      // Guessing user names counts as well.
      {0, "x", "10.0.0.3", "0", "nobody1@x.test"},
      {0, "x", "10.0.0.3", "0", "nobody2@x.test"},
      {0, "x", "10.0.0.3", "0", "nobody3@x.test"},
      {0, "x", "10.0.0.3", "0", "nobody4@x.test"},
      {0, "x", "10.0.0.3", "0", "nobody5@x.test"},
      {0, "demo", "10.0.0.3", locked(1)},
      // Failures older than the window are forgotten: four within it lock nothing.
      {0, "wrong", "10.0.0.4", "0"},
      {0, "wrong", "10.0.0.4", "0"},
      {0, "wrong", "10.0.0.4", "0"},
      {0, "wrong", "10.0.0.4", "0"},
      {300001, "wrong", "10.0.0.4", "0"},
      {0, "wrong", "10.0.0.4", "0"},
      {0, "wrong", "10.0.0.4", "0"},
      {0, "wrong", "10.0.0.4", "0"},
      {0, "demo", "10.0.0.4", "1"},
  };
  int index = 0;
  for (const TStep& step : steps) {
    clock.Advance(milliseconds(step.AdvanceMs));
    const qvserver::THttpAnswer answer =
        handler.Handle("GET", "/QuorvaneDB", SignInBody(step.Password, step.User), false, step.Address);
    EXPECT_EQ(StatusOf(answer), step.Expected) << "step " << index << " from " << step.Address;
    // A locked check is an ordinary answer that the client shows, not a failure of the server.
    EXPECT_EQ(answer.Status, 200) << "step " << index;
    ++index;
  }
}

// STARTDATETOUPDATE is changed only for a user who signed in from the same
// address within the last hour (letter case of the user id aside); any other
// change is refused and changes nothing. The clock is moved by hand.
TEST(ServerHardeningSignIn, StartDateChangesOnlyAfterASignInFromTheSameAddressWithinAnHour) {
  qvtest::TTempDir dir;
  qvserver::TServerStore store(qvtest::TSampleDatabase::Shared().Copy(dir, "start.sqlite"));
  const std::string other = "other@quorvane.test";
  store.Write([&](qvserver::TSqliteDb& db) {
    qvserver::TSqliteStmt insert(db, "INSERT INTO LOGIN_LIST VALUES(?1, ?2, 45000, 1)");
    insert.Bind(1, other).Bind(2, qvserver::HashPassword("other", qvserver::MinimalHashLimits())).Step();
  });
  qvtest::TManualClock clock;
  qvserver::TSignInLimits limits;
  limits.Now = clock.Source();
  const qvserver::TRequestHandler handler(store, limits);
  const std::string demo = qvserver::kSampleUserId;
  struct TRequest {
    const char* Method;
    std::string Body;
  };
  auto start = [](const std::string& user, const char* date) {
    return TRequest{"PUT", RequestBody(0, "UPDATE LOGIN_LIST SET STARTDATETOUPDATE='" + std::string(date) +
                                              "' WHERE USERID='" + user + "'")};
  };
  auto signIn = [](const char* password, const std::string& user = qvserver::kSampleUserId) {
    return TRequest{"GET", SignInBody(password, user)};
  };
  const std::string refused = qvserver::kNotSignedInText;
  const std::string range = qvserver::kStartDateRangeText;
  struct TStep {
    int AdvanceMs;
    TRequest Request;
    const char* Address;
    std::string Expected;
    std::string DemoStart;   // the demo user's value afterwards
    std::string OtherStart;  // the other user's value afterwards
  };
  const std::vector<TStep> steps{
      {0, start(demo, "45000"), "10.0.0.1", refused, "2", "45000"},  // never signed in
      {0, signIn("wrong"), "10.0.0.1", "0", "2", "45000"},
      {0, start(demo, "45000"), "10.0.0.1", refused, "2", "45000"},  // a failed sign-in is none
      {0, signIn("demo"), "10.0.0.2", "1", "2", "45000"},
      {0, start(demo, "45000"), "10.0.0.1", refused, "2", "45000"},  // signed in from elsewhere
      {0, start(demo, "45000"), "10.0.0.2", "OK", "45000", "45000"},
      {0, start(other, "2"), "10.0.0.2", refused, "45000", "45000"},  // another user's value
      {0, start("DEMO@Quorvane.TEST", "2"), "10.0.0.2", "OK", "2", "45000"},
      {3599000, start(demo, "45001"), "10.0.0.2", "OK", "45001", "45000"},  // 59 min 59 s after
      {2000, start(demo, "2"), "10.0.0.2", refused, "45001", "45000"},      // 1 h 1 s after
      {0, signIn("demo"), "10.0.0.2", "1", "45001", "45000"},
      {0, start(demo, "2"), "10.0.0.2", "OK", "2", "45000"},
      {0, signIn("other", other), "10.0.0.3", "1", "2", "45000"},
      {0, start(other, "2"), "10.0.0.3", "OK", "2", "2"},
      // Out of the range a date takes: before 1 January 1900 or after tomorrow.
      {0, start(other, "1.5"), "10.0.0.3", range, "2", "2"},
      {0, start(other, "-1e300"), "10.0.0.3", range, "2", "2"},
      {0, start(other, "99999"), "10.0.0.3", range, "2", "2"},
  };
  int index = 0;
  for (const TStep& step : steps) {
    clock.Advance(milliseconds(step.AdvanceMs));
    const qvserver::THttpAnswer answer =
        handler.Handle(step.Request.Method, "/QuorvaneDB", step.Request.Body, false, step.Address);
    EXPECT_EQ(StatusOf(answer), step.Expected) << "step " << index;
    EXPECT_EQ(store.UserValue("LOGIN_LIST", "STARTDATETOUPDATE", demo), step.DemoStart) << "step " << index;
    EXPECT_EQ(store.UserValue("LOGIN_LIST", "STARTDATETOUPDATE", other), step.OtherStart) << "step " << index;
    ++index;
  }
}

// 200 wrong guesses from 127.0.0.2 in parallel loops: the address gets few
// of them checked, the others are answered at once (locked) or refused, and
// a correct sign-in from 127.0.0.1 meanwhile answers "1".
TEST(ServerHardeningSignIn, AFloodOfGuessesNeitherPaysNorBlocksOthers) {
  qvserver::TDataServerOptions options = Quiet();
  options.ThreadCount = 8;
  options.SignIn.MaxChecks = 4;  // two queue places for one address
  options.SignIn.FirstWait = milliseconds(50);
  options.SignIn.MaxWait = milliseconds(200);
  const TServer server(options);

  std::atomic<int> sent{0}, checked{0}, turnedAway{0}, matched{0};
  std::atomic<bool> stop{false};
  const auto floodStart = TClock::now();
  std::vector<std::thread> flood;
  for (int loop = 0; loop < 12; ++loop) {
    flood.emplace_back([&] {
      // Each loop ends by itself after 20 s at the latest.
      while (!stop && TClock::now() - floodStart < std::chrono::seconds(20)) {
        const std::string status = server.SignIn("wrong", "127.0.0.2");
        ++sent;
        if (status == "0") ++checked;
        // Locked, refused by the queue, or the connection refused past the address's limit.
        if (status == "busy" || status == "none" || status.rfind("Too many attempts: try again in ", 0) == 0)
          ++turnedAway;
        if (status == "1") ++matched;
      }
    });
  }
  for (int i = 0; i < 3000 && sent < 200; ++i) std::this_thread::sleep_for(milliseconds(10));
  ASSERT_GE(sent.load(), 200);
  const std::string good = server.SignIn("demo", "127.0.0.1");
  stop = true;
  for (std::thread& t : flood) t.join();
  const double floodSeconds = std::chrono::duration<double>(TClock::now() - floodStart).count();

  EXPECT_EQ(good, "1");
  EXPECT_EQ(matched.load(), 0);
  EXPECT_EQ(checked.load() + turnedAway.load(), sent.load());
  EXPECT_GT(turnedAway.load(), 0);
  // Two places in the queue for the address and each check after the fifth
  // failure 50 ms after the last one at least: at most 40 checks a second,
  // plus the first ones.
  EXPECT_LE(checked.load(), 10 + static_cast<int>(40 * floodSeconds)) << "in " << floodSeconds << " s";
}

// New-user requests from ten addresses while every hash is held: their
// hashes wait in the bounded queue, at most half of it per address, the
// surplus is answered "busy" at once, and the one serving thread still
// answers requests of other addresses. Once released, every queued request
// is stored and answered "SENT", and nothing of a refused one is stored.
TEST(ServerHardeningSignIn, NewUserHashesWaitOffTheServingThreads) {
  qvtest::THeldHash hash;
  qvserver::TDataServerOptions options = Quiet();
  options.ThreadCount = 1;
  options.SignIn.MaxChecks = 8;
  qvserver::TServerStoreOptions storeOptions;
  storeOptions.HashFunction = hash.Function();
  const TServer server(options, storeOptions);

  constexpr int kAddresses = 10;
  constexpr int kPerAddress = 2;
  std::mutex lock;
  std::vector<std::string> statuses;
  std::vector<std::thread> flood;
  for (int a = 0; a < kAddresses; ++a) {
    for (int r = 0; r < kPerAddress; ++r) {
      flood.emplace_back([&, a, r] {
        const std::string from = "127.0.0." + std::to_string(a + 2);
        const std::string status = server.NewUser("F" + std::to_string(a) + "x" + std::to_string(r), from.c_str());
        std::lock_guard guard(lock);
        statuses.push_back(status);
      });
    }
  }
  auto answered = [&] {
    std::lock_guard guard(lock);
    return static_cast<int>(statuses.size());
  };
  // Every request is either queued or answered "busy".
  ASSERT_TRUE(qvtest::WaitUntil(
      [&] { return answered() + server.Server.PasswordJobs() == kAddresses * kPerAddress && hash.Held() == 2; }));
  EXPECT_EQ(server.Server.PasswordJobs(), options.SignIn.MaxChecks);
  for (int a = 0; a < kAddresses; ++a)
    EXPECT_LE(server.Server.PasswordJobsFrom("127.0.0." + std::to_string(a + 2)), options.SignIn.MaxChecks / 2);
  {
    std::lock_guard guard(lock);
    EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "busy"),
              kAddresses * kPerAddress - options.SignIn.MaxChecks);
  }
  // The single serving thread is free: a list and a password request of another address.
  const qvtest::TReply assets =
      qvtest::ParseReply(Http("GET", server.Url(), RequestBody(6, "SELECT * FROM ASSET_LIST"), "127.0.0.12"));
  EXPECT_EQ(assets.Rows.size(), 18u);
  const qvtest::TReply pwd = qvtest::ParseReply(Http(
      "POST", server.Url(),
      RequestBody(9, "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('a@b.c','NC','1');"), "127.0.0.12"));
  EXPECT_EQ(pwd.Error, "");

  hash.Release();
  for (std::thread& t : flood) t.join();
  EXPECT_EQ(std::count(statuses.begin(), statuses.end(), "SENT"), options.SignIn.MaxChecks);
  qvserver::TSqliteDb db(server.Dir.File("server.sqlite"));
  qvserver::TSqliteStmt rows(db, "SELECT COUNT(*), COUNT(DISTINCT FIRSTNAME), MIN(PASSWORD) FROM NEW_USER_REQUEST");
  ASSERT_TRUE(rows.Step());
  EXPECT_EQ(rows.Integer(0), options.SignIn.MaxChecks);
  EXPECT_EQ(rows.Integer(1), options.SignIn.MaxChecks);
  EXPECT_EQ(rows.Text(2), "$held$hash");
  // A job leaves the queue just after its answer went out.
  EXPECT_TRUE(qvtest::WaitUntil([&] { return server.Server.PasswordJobs() == 0; }));
}

// The gate's queue alone, one hash slot held by the first job: a place per
// address up to half the queue, a full queue refusing the newest waiting job
// of the address holding most places for a newcomer, and the address with
// the fewest places running first.
TEST(ServerHardeningSignIn, TheQueueIsBoundedSharedAndServesLightAddressesFirst) {
  qvserver::TSignInLimits limits;
  limits.MaxChecks = 6;  // three places per address
  limits.HashSlots = 1;
  qvserver::TSignInGate gate(limits);
  std::mutex lock;
  std::vector<std::string> ran;
  std::vector<std::string> refused;
  std::promise<void> started;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  struct TStep {
    const char* Label;
    const char* Address;
    int Queued;  // jobs in the queue after the step
  };
  const std::vector<TStep> steps{
      {"A1", "A", 1},  {"A2", "A", 2},
      {"A3", "A", 3},  {"A4", "A", 3},  // the address holds half the queue: refused
      {"B5", "B", 4},  {"B6", "B", 5},
      {"B7", "B", 6},  {"C8", "C", 6},  // full: B holds most waiting places, its newest (B7) goes
      {"C9", "C", 6},                   // A and B hold two waiting places, C one: C is refused
      {"D10", "D", 6},                  // A holds most waiting places first in line: A3 goes
  };
  for (const TStep& step : steps) {
    const std::string label = step.Label;
    gate.SubmitHash(
        step.Address,
        [&, label] {
          if (label == "A1") {
            started.set_value();
            released.wait();
          }
          std::lock_guard guard(lock);
          ran.push_back(label);
        },
        [&, label] {
          std::lock_guard guard(lock);
          refused.push_back(label);
        });
    if (label == "A1") started.get_future().wait();
    EXPECT_EQ(gate.Queued(), step.Queued) << label;
  }
  EXPECT_EQ(refused, (std::vector<std::string>{"A4", "B7", "C9", "A3"}));
  EXPECT_EQ(gate.QueuedFrom("A"), 2);
  EXPECT_EQ(gate.QueuedFrom("B"), 2);
  release.set_value();
  ASSERT_TRUE(qvtest::WaitUntil([&] { return gate.Queued() == 0; }));
  // A2, C8 and D10 each hold their address's only place: oldest first; B last.
  EXPECT_EQ(ran, (std::vector<std::string>{"A1", "A2", "C8", "D10", "B5", "B6"}));
}

// A busy answer waits for the pause on a suspended connection: the one
// serving thread answers others meanwhile, and a stop sends it at once.
TEST(ServerHardeningOverload, BusyAnswersWaitThePauseWithoutAServingThread) {
  qvtest::THeldHash hash;
  qvserver::TDataServerOptions options = Quiet();
  options.ThreadCount = 1;
  options.SignIn.MaxChecks = 2;  // one place per address
  options.BusyPause = std::chrono::minutes(1);
  qvserver::TServerStoreOptions storeOptions;
  storeOptions.HashFunction = hash.Function();
  TServer server(options, storeOptions);

  std::string queued;
  std::thread first([&] { queued = server.NewUser("Ann", "127.0.0.2"); });
  ASSERT_TRUE(hash.WaitHeld(1));
  std::atomic<bool> answered{false};
  std::string busy;
  std::thread second([&] {
    busy = server.NewUser("Bob", "127.0.0.2");
    answered = true;
  });
  ASSERT_TRUE(qvtest::WaitUntil([&] { return server.Server.HeldAnswers() == 1; }));
  const qvtest::TReply assets =
      qvtest::ParseReply(Http("GET", server.Url(), RequestBody(6, "SELECT * FROM ASSET_LIST"), "127.0.0.3"));
  EXPECT_EQ(assets.Rows.size(), 18u);
  EXPECT_FALSE(answered.load());
  hash.Release();
  first.join();
  EXPECT_EQ(queued, "SENT");
  EXPECT_FALSE(answered.load());
  server.Server.Stop();
  second.join();
  EXPECT_EQ(busy, "busy");
  EXPECT_EQ(server.Server.HeldAnswers(), 0u);
}

// A table reply goes out in pieces of whole dates that join to exactly the
// text of one reply built at once.
TEST(ServerHardeningOverload, TableRepliesAreProducedInBoundedPiecesOfTheSameText) {
  qvtest::TTempDir dir;
  qvserver::TServerStore store(qvtest::TSampleDatabase::Shared().Copy(dir, "pieces.sqlite"));
  const qvserver::TRequestHandler handler(store);
  for (const char* table : {"DATA", "DATA_BIS"}) {
    for (const double after : {2.0, 46000.0, 99999.0}) {
      qvserver::TReplyWriter writer("");
      store.ForEachRowSince(table, after, [&](std::string_view c, std::string_view a, double d, double v) {
        writer.AddRow({{"COUNTRYNAME", c}, {"ASSETID", a}, {"DATE", qvserver::FormatReal(d)},
                       {"VALUE", qvserver::FormatReal(v)}});
      });
      const std::string expected = writer.Finish();
      qvserver::THttpAnswer answer = handler.Handle(
          "GET", "/QuorvaneDB",
          RequestBody(8, std::string("SELECT * FROM ") + table + " WHERE DATE>" + qvserver::FormatReal(after) +
                             " ORDER BY DATE ASC"),
          false, "127.0.0.1");
      ASSERT_TRUE(answer.NextPiece) << table << " " << after;
      EXPECT_TRUE(answer.Body.empty());
      std::string whole;
      std::size_t largest = 0;
      int pieces = 0;
      for (std::string piece; answer.NextPiece(piece); piece.clear()) {
        largest = std::max(largest, piece.size());
        whole += piece;
        ASSERT_LT(++pieces, 100000);
      }
      EXPECT_EQ(whole, expected) << table << " " << after;
      EXPECT_LT(largest, std::size_t{256 * 1024}) << table << " " << after;
      if (expected.size() > 1024 * 1024) {
        EXPECT_GT(pieces, 10);
      }
    }
  }
}

// Sixty clients from four addresses ask for the whole monthly table and never
// read; a small request from a fifth address is still answered. One address
// holds at most sixteen connections.
TEST(ServerHardeningOverload, UnreadTableRequestsAndConnectionHoardersDoNotStopOthers) {
  // The log tells when every table request has been answered.
  std::atomic<int> tableAnswers{0};
  qvserver::TDataServerOptions options;
  options.LogSink = [&](const std::string& line) {
    if (line.find(" kind=8 ") != std::string::npos) ++tableAnswers;
  };
  TServer server(options);
  std::vector<std::unique_ptr<TRawClient>> hogs;
  for (const char* from : {"127.0.0.2", "127.0.0.3", "127.0.0.4", "127.0.0.5"}) {
    for (int i = 0; i < 15; ++i) {
      hogs.push_back(std::make_unique<TRawClient>(server.Server.Port(), from));
      ASSERT_TRUE(hogs.back()->Connected());
      ASSERT_TRUE(hogs.back()->Send(RawRequest("GET", "/QuorvaneDB", kAllMonthlyRows)));
    }
  }
  for (int i = 0; i < 6000 && tableAnswers < 60; ++i) std::this_thread::sleep_for(milliseconds(10));
  ASSERT_EQ(tableAnswers.load(), 60);
  // Once the sockets' buffers are full, each stalled reply holds what they
  // left of its last piece, not the whole table (about 25 MB each).
  EXPECT_TRUE(qvtest::WaitUntil(
      [&] { return server.Server.PendingReplyBytes() < std::size_t{60} * 4 * 1024 * 1024; }));
  const qvtest::TReply assets =
      qvtest::ParseReply(Http("GET", server.Url(), RequestBody(6, "SELECT * FROM ASSET_LIST"), "127.0.0.6"));
  EXPECT_EQ(assets.Status, 200);
  EXPECT_EQ(assets.Rows.size(), 18u);

  // Sixteen half requests from one address; the seventeenth (once the
  // sixteen hold their places) is closed at once.
  std::vector<std::unique_ptr<TRawClient>> hoard;
  const std::size_t opened = server.Server.SocketCounts().Opened;
  for (int i = 0; i < 16; ++i) {
    hoard.push_back(std::make_unique<TRawClient>(server.Server.Port(), "127.0.0.7"));
    ASSERT_TRUE(hoard.back()->Connected());
    ASSERT_TRUE(hoard.back()->Send("GET /Quorv"));
  }
  ASSERT_TRUE(qvtest::WaitUntil([&] { return server.Server.SocketCounts().Opened == opened + 16; }));
  const TRawClient extra(server.Server.Port(), "127.0.0.7");
  EXPECT_TRUE(extra.ClosedWithin(milliseconds(5000)));
  EXPECT_FALSE(hoard.front()->ClosedWithin(milliseconds(200)));
  EXPECT_EQ(Http("GET", server.Url(), RequestBody(6, "SELECT * FROM ASSET_LIST"), "127.0.0.8").Status, 200);
}

// A request trickled a byte at a time is cut off at the request deadline
// although each byte comes within the idle timeout; a request that arrived
// whole keeps its connection while its answer waits longer than the deadline
// and the idle timeout.
TEST(ServerHardeningOverload, TrickledRequestsAreClosedAtTheDeadline) {
  qvserver::TDataServerOptions options = Quiet();
  options.RequestTimeout = milliseconds(1500);
  options.IdleTimeoutSeconds = 1;
  qvtest::THeldHash hash;
  qvserver::TServerStoreOptions storeOptions;
  storeOptions.HashFunction = hash.Function();
  const TServer server(options, storeOptions);

  const TRawClient slow(server.Server.Port(), "127.0.0.2");
  ASSERT_TRUE(slow.Connected());
  const std::string request = RawRequest("GET", "/QuorvaneDB", RequestBody(6, "SELECT * FROM ASSET_LIST"));
  const auto start = TClock::now();
  bool closed = false;
  for (std::size_t i = 0; i < 25 && !closed; ++i) {
    closed = !slow.Send(request.substr(i, 1)) || slow.ClosedWithin(milliseconds(400));
  }
  const auto took = TClock::now() - start;
  EXPECT_TRUE(closed);
  EXPECT_GE(took, milliseconds(1400));
  EXPECT_LT(took, milliseconds(8000));

  // A new-user request whose hash is held two seconds: answered all the same.
  std::thread release([&] {
    std::this_thread::sleep_for(milliseconds(2000));
    hash.Release();
  });
  EXPECT_EQ(server.NewUser("Ann", "127.0.0.3"), "SENT");
  release.join();
}

// Control bytes from the client never reach the log raw: a request line
// stays one line.
TEST(ServerHardeningLog, ClientTextIsEscapedInTheLog) {
  const std::vector<std::pair<std::string, std::string>> cases{
      {"plain /QuorvaneDB", "plain /QuorvaneDB"},
      {"a\nb", "a\\nb"},
      {"a\r\nb", "a\\r\\nb"},
      {"\x1b[31mred", "\\x1b[31mred"},
      {std::string("nul\0x", 5), "nul\\x00x"},
      {"tab\tdel\x7f", "tab\\tdel\\x7f"},
      {"back\\slash", "back\\\\slash"},
      {"caf\xc3\xa9", "caf\xc3\xa9"},
  };
  for (const auto& [raw, logged] : cases) EXPECT_EQ(qvserver::EscapeLogText(raw), logged) << logged;

  std::mutex lock;
  std::vector<std::string> lines;
  qvserver::TDataServerOptions options;
  options.LogSink = [&](const std::string& line) {
    std::lock_guard guard(lock);
    lines.push_back(line);
  };
  const TServer server(options);
  const std::string base = "http://127.0.0.1:" + std::to_string(server.Server.Port());
  EXPECT_EQ(Http("GET", base + "/QuorvaneDB%0a127.0.0.1%20GET%20/QuorvaneDB%1b%5b2K").Status, 404);
  std::lock_guard guard(lock);
  ASSERT_EQ(lines.size(), 1u);
  const std::string& line = lines[0];
  for (const char c : line) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << line;
  EXPECT_NE(line.find("/QuorvaneDB\\n127.0.0.1 GET /QuorvaneDB\\x1b[2K"), std::string::npos) << line;
}

}  // namespace
