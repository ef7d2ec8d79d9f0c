// The data server under hostile clients: guessing passwords from one address,
// holding replies unread, trickling requests, forging log lines.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

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
  // The status value of a sign-in from `from`; "busy" for status 503, "none" without a reply.
  std::string SignIn(const std::string& password, const char* from) const {
    const qvtest::TReply reply = qvtest::ParseReply(Http("GET", Url(), SignInBody(password), from));
    if (reply.Status == 503) return "busy";
    if (!reply.Parsed || reply.Rows.empty()) return "none";
    return reply.Rows[0].value("String", "none");
  }
};

qvserver::TDataServerOptions Quiet() { return qvtest::QuietServerOptions(); }

std::string StatusOf(const qvserver::THttpAnswer& answer) {
  const qvtest::TReply reply = qvtest::ParseReply({answer.Status, answer.Body});
  return reply.Rows.empty() ? "none" : reply.Rows[0].value("String", "none");
}

// Failed sign-ins make further checks from the same address wait, doubling
// up to the ceiling; other addresses are not slowed; the replies stay "0"
// and "1". Unknown user names count as failures too.
TEST(ServerHardeningSignIn, FailuresFromOneAddressMakeItsChecksWait) {
  qvtest::TTempDir dir;
  qvserver::TServerStore store(qvtest::TSampleDatabase::Shared().Copy(dir, "gate.sqlite"));
  qvserver::TSignInLimits limits;
  limits.FirstWait = milliseconds(400);
  limits.MaxWait = milliseconds(800);
  const qvserver::TRequestHandler handler(store, limits);
  auto timed = [&](const std::string& password, const std::string& address, const std::string& user =
                                                                                  qvserver::kSampleUserId) {
    const auto start = TClock::now();
    const qvserver::THttpAnswer answer = handler.Handle("GET", "/QuorvaneDB", SignInBody(password, user), false, address);
    return std::pair{StatusOf(answer), std::chrono::duration_cast<milliseconds>(TClock::now() - start)};
  };
  for (int i = 0; i < 5; ++i) EXPECT_EQ(timed("wrong", "10.0.0.1").first, "0");
  struct TStep {
    std::string Password;
    std::string Address;
    std::string Expected;
    milliseconds AtLeast;
    milliseconds Below;
  };
  const std::vector<TStep> steps{
      {"wrong", "10.0.0.1", "0", milliseconds(400), milliseconds(5000)},  // sixth failure: the first wait
      {"wrong", "10.0.0.1", "0", milliseconds(800), milliseconds(5000)},  // doubled
      {"demo", "10.0.0.1", "1", milliseconds(800), milliseconds(5000)},   // at the ceiling; a match still matches
      {"demo", "10.0.0.2", "1", milliseconds(0), milliseconds(400)},      // the same user from elsewhere
      {"wrong", "10.0.0.2", "0", milliseconds(0), milliseconds(400)},
  };
  for (const TStep& step : steps) {
    const auto [status, took] = timed(step.Password, step.Address);
    EXPECT_EQ(status, step.Expected) << step.Address;
    EXPECT_GE(took, step.AtLeast) << step.Address << " " << step.Password;
    EXPECT_LT(took, step.Below) << step.Address << " " << step.Password;
  }
  // Guessing user names counts as well.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(timed("x", "10.0.0.3", "nobody" + std::to_string(i) + "@x.test").first, "0");
  const auto [status, took] = timed("demo", "10.0.0.3");
  EXPECT_EQ(status, "1");
  EXPECT_GE(took, milliseconds(400));
}

// 200 wrong guesses from 127.0.0.2 in parallel loops: the address gets few
// of them checked, the surplus is refused, and a correct sign-in from
// 127.0.0.1 meanwhile answers "1" at once.
TEST(ServerHardeningSignIn, AFloodOfGuessesNeitherPaysNorBlocksOthers) {
  qvserver::TDataServerOptions options = Quiet();
  options.ThreadCount = 8;
  options.SignIn.MaxChecks = 4;  // two queue places for one address
  options.SignIn.FirstWait = milliseconds(50);
  options.SignIn.MaxWait = milliseconds(200);
  const TServer server(options);

  std::atomic<int> sent{0}, checked{0}, refused{0}, matched{0};
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
        if (status == "busy" || status == "none") ++refused;
        if (status == "1") ++matched;
      }
    });
  }
  for (int i = 0; i < 3000 && sent < 200; ++i) std::this_thread::sleep_for(milliseconds(10));
  ASSERT_GE(sent.load(), 200);
  const auto start = TClock::now();
  const std::string good = server.SignIn("demo", "127.0.0.1");
  const auto took = TClock::now() - start;
  stop = true;
  for (std::thread& t : flood) t.join();
  const double floodSeconds = std::chrono::duration<double>(TClock::now() - floodStart).count();

  EXPECT_EQ(good, "1");
  EXPECT_LT(took, std::chrono::seconds(2));
  EXPECT_EQ(matched.load(), 0);
  EXPECT_GT(refused.load(), 0);
  // Two places in the queue for the address, each check after the fifth
  // waiting at least 50 ms: at most 40 checks a second, plus the first ones.
  EXPECT_LE(checked.load(), 10 + static_cast<int>(40 * floodSeconds)) << "in " << floodSeconds << " s";
}

// A check waiting out its address's delay holds no serving thread: with a
// single one, other requests and sign-ins from elsewhere are answered meanwhile.
TEST(ServerHardeningSignIn, WaitingChecksHoldNoServingThread) {
  qvserver::TDataServerOptions options = Quiet();
  options.ThreadCount = 1;
  options.SignIn.FirstWait = milliseconds(3000);
  options.SignIn.MaxWait = milliseconds(3000);
  const TServer server(options);
  for (int i = 0; i < 5; ++i) ASSERT_EQ(server.SignIn("wrong", "127.0.0.2"), "0");
  std::string delayed;
  const auto start = TClock::now();
  std::thread waiting([&] { delayed = server.SignIn("wrong", "127.0.0.2"); });
  std::this_thread::sleep_for(milliseconds(300));
  EXPECT_EQ(Http("GET", server.Url(), RequestBody(6, "SELECT * FROM ASSET_LIST"), "127.0.0.1").Status, 200);
  EXPECT_EQ(server.SignIn("demo", "127.0.0.1"), "1");
  EXPECT_LT(TClock::now() - start, milliseconds(2500));
  waiting.join();
  EXPECT_EQ(delayed, "0");
  EXPECT_GE(TClock::now() - start, milliseconds(2900));
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
  const TServer server(options);
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
  std::this_thread::sleep_for(milliseconds(300));
  // Each stalled reply holds what the socket buffers took, not the whole table
  // (about 25 MB each).
  EXPECT_LT(server.Server.PendingReplyBytes(), std::size_t{60} * 4 * 1024 * 1024);
  const qvtest::TReply assets =
      qvtest::ParseReply(Http("GET", server.Url(), RequestBody(6, "SELECT * FROM ASSET_LIST"), "127.0.0.6"));
  EXPECT_EQ(assets.Status, 200);
  EXPECT_EQ(assets.Rows.size(), 18u);

  // Sixteen half requests from one address; the seventeenth is closed at once.
  std::vector<std::unique_ptr<TRawClient>> hoard;
  for (int i = 0; i < 16; ++i) {
    hoard.push_back(std::make_unique<TRawClient>(server.Server.Port(), "127.0.0.7"));
    ASSERT_TRUE(hoard.back()->Connected());
    ASSERT_TRUE(hoard.back()->Send("GET /Quorv"));
  }
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
  options.SignIn.FirstWait = milliseconds(2000);
  options.SignIn.MaxWait = milliseconds(2000);
  const TServer server(options);

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

  // Five failures, then a check that waits two seconds: answered all the same.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(server.SignIn("wrong", "127.0.0.3"), "0");
  EXPECT_EQ(server.SignIn("wrong", "127.0.0.3"), "0");
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
