// The data server against hostile clients: shares of stored requests per
// address and per mail address, the user's row and usage record behind the
// sign-in, user-name probes spending attempts, requests of ambiguous framing
// or with two statements, unusable database files, trickling connections
// from many addresses beside a slow upload, and idle kept-alive connections
// under a small connection limit.

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ServerTestSupport.h"

using qvtest::Http;
using qvtest::RequestBody;
using std::chrono::milliseconds;

namespace {

std::string PasswordRequest(const std::string& mail) {
  return "INSERT INTO PWD_REQUEST (USERID,USEREMAIL,RESPONSE)VALUES ('" + mail + "','NC','1');";
}

std::string StatusOf(const qvserver::THttpAnswer& answer) {
  const qvtest::TReply reply = qvtest::ParseReply({answer.Status, answer.Body});
  if (!reply.Error.empty()) return reply.Error;
  return reply.Rows.empty() ? "none" : reply.Rows[0].value("String", "none");
}

std::int64_t Count(qvserver::TServerStore& store, const char* table) {
  std::int64_t rows = 0;
  store.Write([&](qvserver::TSqliteDb& db) {
    qvserver::TSqliteStmt stmt(db, std::string("SELECT COUNT(*) FROM ") + table);
    stmt.Step();
    rows = stmt.Integer(0);
  });
  return rows;
}

// A request handler over a copy of the sample set, its sign-in gate on a
// clock moved by hand; Ask gives an answer's status value or error text.
struct TClockedHandler {
  explicit TClockedHandler(const qvserver::TSignInLimits& limits)
      : Store(qvtest::TSampleDatabase::Shared().Copy(Dir, "handler.sqlite")), Handler(Store, OnClock(limits)) {}
  qvserver::TSignInLimits OnClock(qvserver::TSignInLimits limits) const {
    limits.Now = Clock.Source();
    return limits;
  }
  std::string Ask(const char* method, const std::string& body, const char* from) const {
    return StatusOf(Handler.Handle(method, "/QuorvaneDB", body, false, from));
  }
  qvtest::TTempDir Dir;
  qvtest::TManualClock Clock;
  qvserver::TServerStore Store;
  const qvserver::TRequestHandler Handler;
};

// A server of 24 places, 8 per address and 8 kept for newcomers, on a clock
// moved by hand. No request deadline or idle timeout comes meanwhile.
qvserver::TDataServerOptions SmallTrickleOptions(const qvtest::TManualClock& clock) {
  qvserver::TDataServerOptions options = qvtest::QuietServerOptions();
  options.ThreadCount = 1;
  options.MaxConnections = 24;
  options.MaxConnectionsPerIp = 8;
  options.ReservedConnections = 8;
  options.RequestTimeout = std::chrono::seconds(60);
  options.IdleTimeoutSeconds = 60;
  options.Now = clock.Source();
  return options;
}

// Three addresses (127.0.0.2 to 127.0.0.4) open eight connections each that
// send half a request line, each address's 300 ms before the next's (each
// seen by the server before the clock moves); the connections that could not
// be made are left out.
std::vector<std::unique_ptr<qvtest::TRawClient>> OpenTrickle(qvserver::DataServer& server,
                                                             qvtest::TManualClock& clock) {
  std::vector<std::unique_ptr<qvtest::TRawClient>> slow;
  const std::size_t opened = server.SocketCounts().Opened;
  for (int a = 0; a < 3; ++a) {
    for (int c = 0; c < 8; ++c) {
      auto client = std::make_unique<qvtest::TRawClient>(server.Port(), ("127.0.0." + std::to_string(a + 2)).c_str());
      if (!client->Connected() || !client->Send("GET /Quo")) continue;
      slow.push_back(std::move(client));
      // Seen by the server (a trickle always finds one that may go).
      EXPECT_TRUE(qvtest::WaitUntil([&] { return server.SocketCounts().Opened >= opened + slow.size(); }));
      server.Look();
    }
    clock.Advance(milliseconds(300));
  }
  return slow;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each address has a share of each kind within a sliding day; past it the row
// is refused and nothing is stored, while other addresses go on, and a day
// later the share is free again. A password request equal to one stored
// within the day (the mail address letter case aside) asks the same again: it
// is done without being stored, counted on its address's share only. The
// address's share is checked first, so that its answer tells nothing of
// another address's requests. A mail address's share is per address, so
// made-up requests in someone's name never refuse that person's own. The
// day's repeats count on the table's total (also after a restart).
TEST(ServerShares, OneAddressOrMailAddressUsesItsShareAndOthersAreStillStored) {
  qvtest::TTempDir dir;
  qvserver::TServerStoreOptions options;
  options.HashFunction = [](const std::string&) { return std::string("$h$"); };
  options.MaxRequestsPerAddress = 3;
  options.MaxRequestsPerMail = 2;
  options.MaxReportsPerAddress = 2;
  options.MaxStoredRequests = 10;
  const std::string path = qvtest::TSampleDatabase::Shared().Copy(dir, "shares.sqlite");
  std::optional<qvserver::TServerStore> opened(std::in_place, path, options);
  const std::string byAddress = "Too many password requests from this address within a day (at most 3); refused";
  const std::string repeat = "(done, not stored again)";
  const std::string pwdByMail =
      "Too many password requests for this mail address from this address within a day (at most 2); refused";
  const std::string reportsByAddress = "Too many reports from this address within a day (at most 2); refused";
  const std::string newUserByMail =
      "Too many new-user requests for this mail address from this address within a day (at most 2); refused";
  const std::string full = "Too many stored password requests (at most 10); refused";
  const std::string byAll = "Too many stored password requests and repeats of them within a day (at most 10); refused";
  enum TKind { Pwd, NewUser, Report };
  struct TCase {
    TKind Kind;
    const char* From;
    std::string Mail;
    double Day;
    std::string Error;       // empty: stored
    const char* Response = "1";  // of a password request, whose USEREMAIL is "NC" as the client sends it
    bool Restart = false;        // the store is opened anew first
  };
  const double day = 46000.0;
  const std::vector<TCase> cases{
      {Pwd, "10.0.0.1", "a@x.test", day, ""},
      {Pwd, "10.0.0.1", "b@x.test", day, ""},
      {Pwd, "10.0.0.1", "b@x.test", day, repeat},     // the same row again: the third of the address's share
      {Pwd, "10.0.0.1", "d@x.test", day, byAddress},  // the flooding address is done for the day,
      {Pwd, "10.0.0.1", "a@x.test", day, byAddress},  // alike for a mail address asked for today
      {Pwd, "10.0.0.2", "d@x.test", day, ""},         // another address is still stored
      {Pwd, "10.0.0.3", "A@X.test", day, repeat},     // a's own request: asked already, whoever asked
      {Pwd, "10.0.0.5", "v@x.test", day, "", "2"},    // made up in v's name with other values
      {Pwd, "10.0.0.5", "V@x.test", day, "", "3"},
      {Pwd, "10.0.0.5", "v@x.test", day, pwdByMail, "4"},
      {Pwd, "10.0.0.6", "v@x.test", day, ""},  // v's own request, as the client sends it, is stored
      {NewUser, "10.0.0.1", "e@x.test", day, ""},     // a share per kind
      {NewUser, "10.0.0.5", "v@x.test", day, ""},     // made up in v's name
      {NewUser, "10.0.0.5", "V@x.test", day, ""},
      {NewUser, "10.0.0.5", "v@x.test", day, newUserByMail},
      {NewUser, "10.0.0.6", "v@x.test", day, ""},  // v's own request
      {Report, "10.0.0.1", "", day, ""},
      {Report, "10.0.0.1", "", day + 0.5, ""},
      {Report, "10.0.0.1", "", day + 0.9, reportsByAddress},
      {Report, "10.0.0.2", "", day + 0.9, ""},
      {Pwd, "10.0.0.1", "e@x.test", day + 0.99, byAddress},
      {Pwd, "10.0.0.4", "a@x.test", day + 0.99, repeat},
      {Pwd, "10.0.0.1", "a@x.test", day + 1.01, ""},  // a day later
      {Report, "10.0.0.1", "", day + 1.01, ""},       // the first report's day has passed
      // 7 stored and a repeat of the day: 8 of the total.
      {Pwd, "10.0.0.7", "g@x.test", day + 1.5, ""},
      {Pwd, "10.0.1.1", "g@x.test", day + 1.5, repeat},
      {Pwd, "10.0.1.2", "g@x.test", day + 1.5, byAll, "1", true},  // at the total, after a restart too, a repeat
      {Pwd, "10.0.1.2", "j@x.test", day + 1.5, byAll},             // and a new row are refused alike
      {Pwd, "10.0.1.2", "g@x.test", day + 2.2, repeat},            // the first repeat left the day
      {Pwd, "10.0.1.3", "g@x.test", day + 2.2, byAll},             // refused, and what left the day goes
      {Pwd, "10.0.1.3", "h@x.test", day + 3.3, ""},                // no repeat within the day
      {Pwd, "10.0.1.4", "i@x.test", day + 3.3, ""},
      {Pwd, "10.0.1.4", "h@x.test", day + 3.3, full},
  };
  std::int64_t pwd = 0, newUser = 0, reports = 0;
  const std::int64_t pwdBefore = Count(*opened, "PWD_REQUEST");
  for (std::size_t i = 0; i < cases.size(); ++i) {
    const TCase& c = cases[i];
    SCOPED_TRACE("case " + std::to_string(i));
    if (c.Restart) {
      opened.reset();
      opened.emplace(path, options);
    }
    qvserver::TServerStore& store = *opened;
    std::string error;
    try {
      if (c.Kind == Pwd && !store.StorePasswordRequest({c.Mail, "NC", c.Response}, c.From, c.Day)) error = repeat;
      if (c.Kind == NewUser)
        store.StoreNewUserRequest({"F", "L", "C", "P", c.Mail, "1", "S", "T", "Z", "FR", "pw", "1", "46093"}, "$h$",
                                  c.From, c.Day);
      if (c.Kind == Report) store.StoreReport("{\"Report\":" + std::to_string(i) + "}", c.From, c.Day);
    } catch (const qvserver::TStoreRefusal& e) {
      error = e.what();
    }
    EXPECT_EQ(error, c.Error);
    if (error.empty()) ++(c.Kind == Pwd ? pwd : c.Kind == NewUser ? newUser : reports);
    EXPECT_EQ(Count(store, "PWD_REQUEST") - pwdBefore, pwd);
    EXPECT_EQ(Count(store, "NEW_USER_REQUEST"), newUser);
    EXPECT_EQ(Count(store, "RECEIVED_REPORT"), reports);
  }
  // Refused at the total, the rows that had left the day went.
  EXPECT_EQ(Count(*opened, "RECEIVED_SHARES WHERE RECEIVEDAT <= 46001.2"), 0);
  EXPECT_EQ(Count(*opened, "RECEIVED_BYTES WHERE RECEIVEDAT <= 46001.2"), 0);
}

// Over HTTP: a flood of password requests from one address stores its share
// and is refused after it with an ordinary answer, held back for the busy
// pause on a suspended connection (a flooder that retries at once goes no
// faster); a request from another address is stored all the same, and the
// totals stay the last guard.
TEST(ServerShares, AFloodFromOneAddressLeavesRoomForAnother) {
  qvserver::TDataServerOptions serverOptions = qvtest::QuietServerOptions();
  serverOptions.BusyPause = milliseconds(1000);
  qvserver::TServerStoreOptions options;
  options.MaxRequestsPerAddress = 5;
  options.MaxStoredRequests = 7;
  qvtest::TOptionsServer server(serverOptions, options);
  auto send = [&](const std::string& mail, const char* from) {
    return qvtest::ParseReply(Http("POST", server.Url(), RequestBody(9, PasswordRequest(mail)), from));
  };
  int stored = 0;
  for (int i = 0; i < 7; ++i) {
    const qvtest::TReply reply = send("f" + std::to_string(i) + "@x.test", "127.0.0.2");
    ASSERT_TRUE(reply.Parsed);
    EXPECT_EQ(reply.Status, 200);
    if (reply.Error.empty()) ++stored;
  }
  EXPECT_EQ(stored, 5);
  // One more from the flooder waits out the pause as a held answer.
  std::thread held([&] { EXPECT_NE(send("more@x.test", "127.0.0.2").Error, ""); });
  EXPECT_TRUE(qvtest::WaitUntil([&] { return server.Server.HeldAnswers() == 1; }));
  held.join();
  EXPECT_EQ(server.Server.HeldAnswers(), 0u);
  EXPECT_EQ(send("other@x.test", "127.0.0.3").Error, "");
  EXPECT_EQ(send("third@x.test", "127.0.0.4").Error, "");
  EXPECT_EQ(send("late@x.test", "127.0.0.5").Error, "Too many stored password requests (at most 7); refused");
}

// The user's row and usage record as the client's sign-in reads and writes
// them, from the handler with a hand-moved clock: STARTDATETOUPDATE is read
// without a sign-in (the start-up check of the remembered user); FIRSTNAME
// once the address checked the user's password, matched or not (the client
// reads it after every check); every other value and the usage record only
// after a sign-in from the same address within the hour. The usage record
// takes the count one above the stored one, and the stored count itself as
// done without a change (two sign-ins of the user at once both send it); its
// date goes no later than tomorrow, and never back: a date more than a day
// before the stored one (clients date by their time zone) is refused.
TEST(ServerShares, TheUserRowAndUsageRecordFollowTheSignIn) {
  qvserver::TSignInLimits limits;
  limits.FirstWait = milliseconds(0);
  limits.MaxWait = milliseconds(0);
  TClockedHandler handler(limits);
  qvserver::TServerStore& store = handler.Store;
  const std::string user = qvserver::kSampleUserId;
  auto read = [&](const char* table, const char* column) {
    return std::pair{
        "GET",
        RequestBody(2, std::string("SELECT ") + column + " FROM " + table + " WHERE USERID='" + user + "'", column)};
  };
  auto signIn = [&](const char* password) {
    return std::pair{
        "GET", RequestBody(1, "SELECT * FROM LOGIN_LIST WHERE USERID='" + user + "' AND PASSWORD='" + password + "'")};
  };
  auto usage = [&](const std::string& date, const std::string& counter) {
    return std::pair{"PUT", RequestBody(0, "UPDATE STATISTIC_LIST SET LASTDATEOFUSE='" + date + "', COUNTEROFUSE='" +
                                               counter + "' WHERE USERID='" + user + "'")};
  };
  const std::string today = qvserver::FormatReal(platform::Today());
  const std::string tomorrow = qvserver::FormatReal(platform::Today() + 1.0);
  const std::string later = qvserver::FormatReal(platform::Today() + 2.0);
  const std::string noRead = qvserver::kReadNotSignedInText;
  const std::string noUsage = qvserver::kUsageNotSignedInText;
  const std::string yesterday = qvserver::FormatReal(platform::Today() - 1.0);
  const std::string notNext = qvserver::kCounterJumpText;
  const std::string before = qvserver::kDateBeforeText;
  struct TStep {
    int AdvanceMinutes;
    std::pair<const char*, std::string> Request;
    const char* From;
    std::string Expected;
    const char* Counter;  // the stored count afterwards
  };
  const std::vector<TStep> steps{
      {0, read("LOGIN_LIST", "STARTDATETOUPDATE"), "10.0.0.1", "2", "0"},
      {0, read("USER_LIST", "FIRSTNAME"), "10.0.0.1", noRead, "0"},
      {0, read("STATISTIC_LIST", "LASTDATEOFUSE"), "10.0.0.1", noRead, "0"},
      {0, read("STATISTIC_LIST", "COUNTEROFUSE"), "10.0.0.1", noRead, "0"},
      {0, usage(today, "1"), "10.0.0.1", noUsage, "0"},
      {0, usage("1e300", "999999999"), "10.0.0.1", noUsage, "0"},
      {0, usage(today, "0"), "10.0.0.1", noUsage, "0"},
      {0, signIn("wrong"), "10.0.0.1", "0", "0"},
      {0, read("USER_LIST", "FIRSTNAME"), "10.0.0.1", "Demo", "0"},  // the client shows "Invalid password" after it
      {0, read("LOGIN_LIST", "AUTHORIZEUPDATE"), "10.0.0.1", noRead, "0"},
      {0, usage(today, "1"), "10.0.0.1", noUsage, "0"},
      {0, signIn("demo"), "10.0.0.2", "1", "0"},
      {0, read("LOGIN_LIST", "AUTHORIZEUPDATE"), "10.0.0.2", "1", "0"},
      {0, read("STATISTIC_LIST", "COUNTEROFUSE"), "10.0.0.2", "0", "0"},
      {0, read("STATISTIC_LIST", "COUNTEROFUSE"), "10.0.0.1", noRead, "0"},  // signed in elsewhere
      {0, usage(today, "1"), "10.0.0.1", noUsage, "0"},
      {0, usage(today, "999999999"), "10.0.0.2", notNext, "0"},
      {0, usage(today, "-1"), "10.0.0.2", "LASTDATEOFUSE must be a date number and COUNTEROFUSE a whole number", "0"},
      {0, usage(today, "0"), "10.0.0.2", "OK", "0"},  // the stored count: nothing changes
      {0, usage(later, "1"), "10.0.0.2", "LASTDATEOFUSE must not be after tomorrow", "0"},
      {0, usage("1e300", "1"), "10.0.0.2", "LASTDATEOFUSE must not be after tomorrow", "0"},
      {0, usage(today, "1"), "10.0.0.2", "OK", "1"},
      {0, usage(today, "1"), "10.0.0.2", "OK", "1"},  // the second of two sign-ins at once
      {0, usage(today, "3"), "10.0.0.2", notNext, "1"},
      {0, usage(today, "0"), "10.0.0.2", notNext, "1"},
      {59, usage(tomorrow, "2"), "10.0.0.2", "OK", "2"},
      {0, usage("-1e300", "3"), "10.0.0.2", before, "2"},
      {0, usage(yesterday, "3"), "10.0.0.2", before, "2"},  // two days before the stored date
      {0, usage(today, "3"), "10.0.0.2", "OK", "3"},        // a day before: counted, the date kept
      {2, usage(tomorrow, "4"), "10.0.0.2", noUsage, "3"},  // 61 minutes after the sign-in
      {0, read("USER_LIST", "FIRSTNAME"), "10.0.0.2", noRead, "3"},
      {0, read("LOGIN_LIST", "STARTDATETOUPDATE"), "10.0.0.3", "2", "3"},
  };
  for (std::size_t i = 0; i < steps.size(); ++i) {
    const TStep& step = steps[i];
    handler.Clock.Advance(std::chrono::minutes(step.AdvanceMinutes));
    EXPECT_EQ(handler.Ask(step.Request.first, step.Request.second, step.From), step.Expected) << "step " << i;
    EXPECT_EQ(store.UserValue("STATISTIC_LIST", "COUNTEROFUSE", user), step.Counter) << "step " << i;
  }
  EXPECT_EQ(store.UserValue("STATISTIC_LIST", "LASTDATEOFUSE", user), tomorrow);
}

// Probes of user names spend the attempts of the address as sign-ins do: an
// unknown name is a failure (the check of that same name which the client
// sends next is not counted again), and a locked address has its probes
// refused with the seconds left, known names included; other addresses go on.
TEST(ServerShares, UserNameProbesSpendTheAttemptsOfTheAddress) {
  qvserver::TSignInLimits limits;
  limits.FailuresBeforeWait = 3;
  limits.FirstWait = milliseconds(10000);
  const TClockedHandler handler(limits);
  auto probe = [](const std::string& user) {
    return RequestBody(1, "SELECT * FROM LOGIN_LIST WHERE USERID='" + user + "'");
  };
  auto check = [](const std::string& user) {
    return RequestBody(1, "SELECT * FROM LOGIN_LIST WHERE USERID='" + user + "' AND PASSWORD='x'");
  };
  const std::string demo = qvserver::kSampleUserId;
  const std::string locked = qvserver::TooManyAttemptsText(10);
  struct TStep {
    std::string Body;
    const char* From;
    std::string Expected;
  };
  const std::vector<TStep> steps{
      {probe("ghost1"), "10.0.0.1", "0"},     // failure 1
      {check("ghost1"), "10.0.0.1", "0"},     // the same attempt: still 1
      {probe("ghost2"), "10.0.0.1", "0"},     // 2
      {check("ghost2"), "10.0.0.1", "0"},     // still 2
      {probe(demo), "10.0.0.1", "1"},         // a known name is no failure
      {check("ghost1"), "10.0.0.1", "0"},     // 3: no probe just before
      {probe(demo), "10.0.0.1", locked},      // the address is locked
      {probe("ghost3"), "10.0.0.1", locked},  // and counts no more
      {probe("ghost3"), "10.0.0.2", "0"},     // another address is not locked
      {probe("ghost4"), "10.0.0.3", "0"},     // 1
      {probe("ghost5"), "10.0.0.3", "0"},     // 2
      {probe("ghost6"), "10.0.0.3", "0"},     // 3
      {probe("ghost7"), "10.0.0.3", locked},
  };
  for (std::size_t i = 0; i < steps.size(); ++i)
    EXPECT_EQ(handler.Ask("GET", steps[i].Body, steps[i].From), steps[i].Expected) << "step " << i;
}

// A request holding two statements is refused whole: neither is run.
TEST(ServerShares, TwoStatementsInOneRequestAreRefusedWhole) {
  qvtest::TRunningServer server;
  nlohmann::ordered_json body;
  for (const char* mail : {"one@x.test", "two@x.test"})
    body["SQLRequest"].push_back({{"ResponseType", "9"}, {"Content", PasswordRequest(mail)}, {"Field", ""}});
  const qvtest::TReply reply = qvtest::ParseReply(Http("POST", server.BaseUrl() + "QuorvaneDB", body.dump()));
  EXPECT_EQ(reply.Status, 400);
  EXPECT_EQ(reply.Error, "Malformed request body: \"SQLRequest\" must be an array holding one object");
  EXPECT_EQ(Count(server.Store(), "PWD_REQUEST"), 0);
}

// A body whose length two receivers could read differently is refused with
// status 400 before it is read, the connection closed and nothing stored: two
// lengths, a length beside a transfer encoding, or a header name that is not
// a token (white space before the colon, a folded line), which a front proxy
// could read trimmed. A repeated equal length is one length.
TEST(ServerShares, RequestsOfAmbiguousLengthAreRefused) {
  qvtest::TOptionsServer server(qvtest::QuietServerOptions());
  const std::string body = RequestBody(9, PasswordRequest("framed@x.test"));
  const std::string length = std::to_string(body.size());
  const std::string start =
      "POST /QuorvaneDB HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Type: application/json\r\n";
  char chunkSize[32];
  std::snprintf(chunkSize, sizeof chunkSize, "%zx", body.size());
  const std::string chunked = std::string(chunkSize) + "\r\n" + body + "\r\n0\r\n\r\n";
  // A chunked body of its own (the same row twice would be stored once), ended by `trailer` lines.
  auto withTrailer = [](const std::string& head, const std::string& trailer) {
    const std::string other = RequestBody(9, PasswordRequest("trailer@x.test"));
    char size[32];
    std::snprintf(size, sizeof size, "%zx", other.size());
    return head + "Transfer-Encoding: chunked\r\n\r\n" + size + "\r\n" + other + "\r\n0\r\n" + trailer + "\r\n";
  };
  const std::string ambiguous = "Ambiguous request length";
  const std::string badName = "Malformed header: a header name holds white space or a separator";
  const std::string folded = "Malformed header: a header line folded onto the next line";
  const std::string foldedTrailer = "Malformed trailer: a trailer line folded onto the next line";
  const std::string kept = "POST /QuorvaneDB HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n";
  struct TCase {
    const char* Name;
    std::string Request;
    std::string Error;  // empty: stored
  };
  const std::vector<TCase> cases{
      {"two different lengths", start + "Content-Length: " + length + "\r\nContent-Length: 5\r\n\r\n" + body,
       ambiguous},
      {"length then chunked", start + "Content-Length: 5\r\nTransfer-Encoding: chunked\r\n\r\n" + chunked, ambiguous},
      {"chunked then length", start + "Transfer-Encoding: chunked\r\nContent-Length: " + length + "\r\n\r\n" + chunked,
       ambiguous},
      {"blank before the colon", start + "Content-Length : " + length + "\r\n\r\n" + body, badName},
      {"tab before the colon", start + "Content-Length\t: " + length + "\r\n\r\n" + body, badName},
      {"chunked with a blank beside a length",
       start + "Content-Length: " + length + "\r\nTransfer-Encoding : chunked\r\n\r\n" + body, badName},
      {"a folded line", start + "Content-Length: " + length + "\r\n X-Folded: 1\r\n\r\n" + body, folded},
      // Kept alive: a folded line that leaves the body unframed must not make it a second request.
      {"a length on a folded line", kept + "Content-Length:\r\n " + length + "\r\n\r\n" + body, folded},
      {"a value folded with a tab after a bare line feed", kept + "X-A: a\n\tb\nContent-Length: " + length +
       "\n\n" + body, folded},
      {"a folded token after a blank", kept + "Content-Length: " + length + "\r\nX-A: a\r\n b\r\n\r\n" + body, folded},
      {"a folded trailer line", withTrailer(kept, "X-T: a\r\n b\r\n"), foldedTrailer},
      {"a trailer name with a blank", withTrailer(kept, "X-T : a\r\n"), badName},
      {"a plain trailer line", withTrailer(start, "X-T: a\r\n"), ""},
      {"the same length twice",
       start + "Content-Length: " + length + "\r\nContent-Length: " + length + "\r\n\r\n" + body, ""},
  };
  std::int64_t stored = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const qvtest::TRawClient client(server.Server.Port());
    ASSERT_TRUE(client.Connected());
    ASSERT_TRUE(client.Send(c.Request));
    const std::string reply = client.ReadAll();  // read to the close
    if (c.Error.empty()) {
      EXPECT_NE(reply.find("SENT"), std::string::npos) << reply;
      EXPECT_EQ(reply.rfind("HTTP/1.1 200", 0), 0u) << reply;
      ++stored;
    } else {
      EXPECT_EQ(reply.rfind("HTTP/1.1 400", 0), 0u) << reply;
      EXPECT_NE(reply.find(c.Error), std::string::npos) << reply;
      EXPECT_EQ(reply.find("HTTP/1.1", 1), std::string::npos) << reply;  // one answer, then the close
      EXPECT_TRUE(client.ClosedWithin(milliseconds(100)));
    }
    EXPECT_EQ(Count(server.Store, "PWD_REQUEST"), stored);
  }
}

// A file that is not a server database is refused naming its path, and
// nothing is written to it (no write-ahead log, no table); an empty file and
// a server file holding a table of its own are taken.
TEST(ServerShares, UnusableDatabaseFilesAreRefusedByPathAndLeftUnwritten) {
  struct TCase {
    const char* Name;
    const char* Sql;    // the file's tables; nullptr: bytes that are no database
    std::string Error;  // after the path; empty: taken
  };
  const std::vector<TCase> cases{
      {"no database", nullptr, "cannot be used: file is not a database"},
      {"the client's market-data file",
       "CREATE TABLE ASSET_LIST(ID TEXT, TITLE TEXT, TYPE TEXT); CREATE TABLE DATA(COUNTRYNAME TEXT, ASSETID TEXT, "
       "DATE REAL, VALUE REAL)",
       "cannot be used: not a data-server database (no table COUNTRY_LIST)"},
      {"a column missing",
       "CREATE TABLE LOGIN_LIST(USERID TEXT, PASSWORD TEXT, STARTDATETOUPDATE REAL); CREATE TABLE USER_LIST(USERID, "
       "FIRSTNAME, LASTNAME); CREATE TABLE STATISTIC_LIST(USERID, COUNTEROFUSE, LASTDATEOFUSE); CREATE TABLE "
       "COUNTRY_LIST(NAME); CREATE TABLE ASSET_LIST(ID, TITLE, TYPE); CREATE TABLE DATA(COUNTRYNAME, ASSETID, DATE, "
       "VALUE); CREATE TABLE DATA_BIS(COUNTRYNAME, ASSETID, DATE, VALUE)",
       "cannot be used: not a data-server database (table COUNTRY_LIST has no column CURRENCY)"},
      {"an empty file", "", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const qvtest::TTempDir dir;
    const std::string path = dir.File("given.sqlite");
    if (c.Sql) {
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
      ASSERT_EQ(sqlite3_exec(db, c.Sql, nullptr, nullptr, nullptr), SQLITE_OK);
      sqlite3_close(db);
    } else {
      std::ofstream(path, std::ios::binary) << std::string(4096, '\x5a');
    }
    const std::string before = FileBytes(path);
    std::string error;
    try {
      qvserver::TServerStore store(path);
    } catch (const qvserver::TSqliteError& e) {
      error = e.what();
    }
    if (c.Error.empty()) {
      EXPECT_EQ(error, "");
      continue;
    }
    EXPECT_EQ(error, "Database " + path + " " + c.Error);
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
  }
}

// Trickling connections hold no more than the places left above the
// reserve: once fewer are free, a newcomer closes a connection waiting for its
// request, the longest-waiting of the addresses holding most, so a client of
// another address is still answered. A connection whose reply is under way
// is never closed for a newcomer, however long it has been open.
TEST(ServerShares, TricklingConnectionsLeaveRoomForOthers) {
  qvtest::TManualClock clock;
  qvtest::TOptionsServer server(SmallTrickleOptions(clock));
  const std::uint16_t port = server.Server.Port();

  // A download that reads nothing yet, opened first.
  const qvtest::TRawClient download(port, "127.0.0.9");
  const std::string request = RequestBody(8, "SELECT * FROM DATA WHERE DATE>2 ORDER BY DATE ASC");
  ASSERT_TRUE(download.Send("GET /QuorvaneDB HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Length: " +
                            std::to_string(request.size()) + "\r\n\r\n" + request));
  ASSERT_TRUE(qvtest::WaitUntil([&] { return server.Server.SocketCounts().Opened == 1; }));
  server.Server.Look();
  const std::vector<std::unique_ptr<qvtest::TRawClient>> slow = OpenTrickle(server.Server, clock);
  ASSERT_EQ(slow.size(), 24u);
  // Another address is answered.
  const qvtest::TReply assets =
      qvtest::ParseReply(Http("GET", server.Url(), RequestBody(6, "SELECT * FROM ASSET_LIST"), "127.0.0.20"));
  EXPECT_EQ(assets.Status, 200);
  EXPECT_EQ(assets.Rows.size(), 18u);
  // Trickling connections were closed, the oldest of the addresses holding
  // most first; the newest was kept.
  int closed = 0;
  for (const auto& client : slow) closed += client->ClosedWithin(milliseconds(50)) ? 1 : 0;
  EXPECT_GE(closed, 4);
  EXPECT_TRUE(slow.front()->ClosedWithin(milliseconds(50)));
  EXPECT_FALSE(slow.back()->ClosedWithin(milliseconds(50)));
  // The download, oldest of all, is whole.
  download.Patience(std::chrono::seconds(60));
  const std::string reply = download.ReadAll(std::size_t{64} << 20);
  EXPECT_EQ(reply.rfind("HTTP/1.1 200", 0), 0u);
  EXPECT_GT(reply.size(), std::size_t{1} << 20);
  EXPECT_EQ(reply.substr(reply.size() - 5), "0\r\n\r\n");  // the last chunk arrived
}

// Trickling connections pay before a slow upload of another address: a
// newcomer's place comes from the address holding most connections that wait
// for their request, so an upload that has waited longest of all finishes.
TEST(ServerShares, ASlowUploadOutlastsTheTrickleOfOtherAddresses) {
  qvtest::TManualClock clock;
  qvtest::TOptionsServer server(SmallTrickleOptions(clock));
  const std::uint16_t port = server.Server.Port();

  // The upload's headers and half of its body, opened first.
  const std::string body = RequestBody(9, PasswordRequest("slow@x.test"));
  const qvtest::TRawClient upload(port, "127.0.0.9");
  ASSERT_TRUE(upload.Send("POST /QuorvaneDB HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\nContent-Length: " +
                          std::to_string(body.size()) + "\r\n\r\n" + body.substr(0, body.size() / 2)));
  ASSERT_TRUE(qvtest::WaitUntil([&] { return server.Server.SocketCounts().Opened == 1; }));
  server.Server.Look();
  const std::vector<std::unique_ptr<qvtest::TRawClient>> slow = OpenTrickle(server.Server, clock);
  ASSERT_EQ(slow.size(), 24u);
  ASSERT_TRUE(upload.Send(body.substr(body.size() / 2)));
  const std::string reply = upload.ReadAll();
  EXPECT_EQ(reply.rfind("HTTP/1.1 200", 0), 0u) << reply;
  EXPECT_NE(reply.find("SENT"), std::string::npos) << reply;
  int closed = 0;
  for (const auto& client : slow) closed += client->ClosedWithin(milliseconds(50)) ? 1 : 0;
  EXPECT_GE(closed, 4);  // the places were taken from the trickling addresses
}

// Under a small connection limit the reserve is at most a quarter of it: a
// kept-alive connection idle between two requests stays open for a newcomer
// while places are free, and serves its next request.
TEST(ServerShares, AnIdleKeptAliveConnectionStaysWhilePlacesAreFree) {
  qvserver::TDataServerOptions options = qvtest::QuietServerOptions();
  options.ThreadCount = 1;
  options.MaxConnections = 8;  // the default reserve of 128 is far above it
  options.RequestTimeout = std::chrono::seconds(60);
  options.IdleTimeoutSeconds = 60;
  qvtest::TOptionsServer server(options);
  const std::uint16_t port = server.Server.Port();

  const std::string request = RequestBody(6, "SELECT * FROM ASSET_LIST");
  const std::string head =
      "GET /QuorvaneDB HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " + std::to_string(request.size()) + "\r\n";
  const qvtest::TRawClient kept(port);
  ASSERT_TRUE(kept.Connected());
  ASSERT_TRUE(kept.Send(head + "\r\n" + request));
  // Its reply has ended: it is kept alive, silent.
  ASSERT_TRUE(qvtest::WaitUntil([&] { return server.Server.SocketCounts().Kept == 1; }));
  // A newcomer is answered and the idle connection is left open.
  EXPECT_EQ(Http("GET", server.Url(), request).Status, 200);
  EXPECT_FALSE(kept.ClosedWithin(milliseconds(100)));
  ASSERT_TRUE(kept.Send(head + "Connection: close\r\n\r\n" + request));
  EXPECT_EQ(kept.ReadAll().rfind("HTTP/1.1 200", 0), 0u);
}

}  // namespace
