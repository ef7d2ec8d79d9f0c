// Resource limits of the data server: connection counts, idle timeout, the
// cap on reply bytes not yet handed to the socket, oversized and hostile bodies.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "ServerTestSupport.h"

using qvtest::Http;
using qvtest::RequestBody;

namespace {

using qvtest::TRawClient;

std::string RawRequest(const std::string& method, const std::string& body) {
  return method + " /QuorvaneDB HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// A server over a copy of the sample set with the given limits.
struct TLimitedServer : qvtest::TOptionsServer {
  using TOptionsServer::TOptionsServer;
  long AssetListStatus() const { return Http("GET", Url(), RequestBody(6, "SELECT * FROM ASSET_LIST")).Status; }
};

qvserver::TDataServerOptions QuietOptions() { return qvtest::QuietServerOptions(); }

TEST(ServerLimits, IdleConnectionsAreCappedAndTimedOut) {
  qvserver::TDataServerOptions options = QuietOptions();
  options.ThreadCount = 1;  // the pool shares the connection limit among its threads
  options.MaxConnections = 4;
  options.IdleTimeoutSeconds = 1;
  options.EvictAfter = std::chrono::seconds(60);  // none gives its place up: only the timeout frees one
  TLimitedServer server(options);
  ASSERT_EQ(server.AssetListStatus(), 200);

  // Four clients that send half a request line and then nothing.
  std::vector<std::unique_ptr<TRawClient>> idle;
  for (int i = 0; i < 4; ++i) {
    idle.push_back(std::make_unique<TRawClient>(server.Server.Port()));
    ASSERT_TRUE(idle.back()->Connected());
    ASSERT_TRUE(idle.back()->Send("GET /Quorv"));
  }
  // A fifth connection is accepted and closed unanswered, not left waiting for a place.
  EXPECT_EQ(server.AssetListStatus(), -1);
  // The idle ones are closed by the timeout without an answer; then there is
  // room (once the library has let their places go).
  for (const auto& client : idle) EXPECT_EQ(client->ReadAll(), "");
  EXPECT_TRUE(qvtest::WaitUntil([&] { return server.AssetListStatus() == 200; }));
}

// One reply on a kept-alive connection: its head and Content-Length bytes of body.
std::string ReadOneReply(const TRawClient& client) {
  std::string text;
  for (;;) {
    const std::size_t head = text.find("\r\n\r\n");
    const std::size_t length = text.find("Content-Length: ");
    if (head != std::string::npos && length != std::string::npos &&
        text.size() >= head + 4 + std::stoul(text.substr(length + 16)))
      return text;
    const std::string more = client.ReadAll(1);
    if (more.empty()) return text;
    text += more;
  }
}

// At the limit a newcomer is still accepted, and takes the place of a
// connection that may go: first a kept-alive connection idle between two
// requests, however briefly, of an address holding two more than the
// newcomer's; else, of the connections waiting at least EvictAfter for a
// request that does not arrive at a fair rate and the downloads whose reader
// stalled, the oldest of the address holding most of them, of an address
// holding at least as many as the newcomer's when that holds more than a
// quarter of its share. An address that had one closed so closes none for
// its own newcomers. When none may go, the newcomer is closed at once.
TEST(ServerLimits, AtTheLimitANewcomerTakesThePlaceOfAConnectionThatMayGo) {
  qvserver::TDataServerOptions options = QuietOptions();
  options.ThreadCount = 2;
  options.MaxConnections = 8;
  options.ReservedConnections = 0;  // places are short only at the limit
  options.EvictAfter = std::chrono::milliseconds(1000);
  options.SlowReplyWindow = std::chrono::milliseconds(500);
  options.IdleTimeoutSeconds = 60;
  enum TKind { Waiting, Idle, Stalled, Uploading };
  struct TGroup {
    const char* From;
    int Count;
    TKind Kind;
    bool Aged;  // opened before the others, older than EvictAfter (and sampled slow) when the newcomers come
  };
  struct TCase {
    const char* Name;
    std::vector<TGroup> Groups;
    // Address and status (-1: closed at once), in turn; "+" before the address:
    // a connection that sends half a request line and stays, 200 when it is not closed.
    std::vector<std::pair<const char*, long>> Newcomers;
    int Victim;  // the group that loses its first connection, and no other; -1: none
  };
  constexpr const char* kOther = "127.0.0.9";
  const std::vector<TCase> cases{
      {"an idle kept-alive connection goes before older waiting ones",
       {{"127.0.0.2", 4, Waiting, true}, {"127.0.0.3", 4, Idle, false}},
       {{kOther, 200}},
       1},
      {"none may go", {{"127.0.0.2", 4, Waiting, false}, {"127.0.0.3", 4, Waiting, false}}, {{kOther, -1}}, -1},
      {"the address holding most that may go, not most in all",
       {{"127.0.0.2", 3, Waiting, true}, {"127.0.0.3", 5, Waiting, false}},
       {{kOther, 200}},
       0},
      {"a stalled download goes like a waiting connection",
       {{"127.0.0.2", 4, Stalled, true}, {"127.0.0.3", 4, Waiting, false}},
       {{kOther, 200}},
       0},
      {"uploads under way stay while a trickle may go",
       {{"127.0.0.3", 4, Uploading, true}, {"127.0.0.2", 3, Waiting, true}, {"127.0.0.4", 1, Waiting, false}},
       {{kOther, 200}},
       1},
      {"an address closes no idle connection of one no heavier",
       {{"127.0.0.2", 4, Idle, false}, {"127.0.0.3", 4, Idle, false}},
       {{"127.0.0.3", -1}},
       -1},
      {"an address of many closes no waiting connection of one of fewer",
       {{"127.0.0.2", 2, Waiting, true}, {"127.0.0.3", 6, Waiting, false}},
       {{"127.0.0.3", -1}},
       -1},
      {"an address whose waiting connection went closes none for its newcomers",
       {{"127.0.0.2", 4, Waiting, true}, {"127.0.0.3", 4, Waiting, false}},
       {{"+127.0.0.9", 200}, {"127.0.0.2", -1}},
       0},
  };
  const std::string download = RawRequest("GET", RequestBody(8, "SELECT * FROM DATA WHERE DATE>2 ORDER BY DATE ASC"));
  // A report of a megabyte announced, its first 64 KB sent at once: 53 KB/s on average when the newcomers come.
  const std::string upload = "POST /QuorvaneDB HTTP/1.1\r\nHost: x\r\nContent-Length: 1000000\r\n\r\n" +
                             std::string(64 * 1024, 'u');
  auto opening = [&](TKind kind) {
    return kind == Waiting ? std::string("GET /Quo")
           : kind == Stalled ? download
           : kind == Uploading ? upload
                               : std::string("GET /Default HTTP/1.1\r\nHost: x\r\n\r\n");
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TLimitedServer server(options);
    std::vector<std::vector<std::unique_ptr<TRawClient>>> groups(c.Groups.size());
    for (bool aged : {true, false}) {
      for (std::size_t g = 0; g < c.Groups.size(); ++g) {
        if (c.Groups[g].Aged != aged) continue;
        for (int i = 0; i < c.Groups[g].Count; ++i) {
          auto& client = groups[g].emplace_back(std::make_unique<TRawClient>(server.Server.Port(), c.Groups[g].From));
          ASSERT_TRUE(client->Connected());
          ASSERT_TRUE(client->Send(opening(c.Groups[g].Kind)));
          if (c.Groups[g].Kind == Idle) {
            ASSERT_EQ(ReadOneReply(*client).rfind("HTTP/1.1 200", 0), 0u);
          }
          std::this_thread::sleep_for(std::chrono::milliseconds(20));  // the first of a group is its oldest
        }
      }
      if (!aged) continue;
      std::this_thread::sleep_for(options.EvictAfter + std::chrono::milliseconds(200));
      const auto stalled =
          std::count_if(c.Groups.begin(), c.Groups.end(), [](const TGroup& g) { return g.Kind == Stalled; });
      ASSERT_TRUE(qvtest::WaitUntil([&] { return server.Server.SlowReplies() == (stalled ? 4u : 0u); }));
    }
    std::vector<std::unique_ptr<TRawClient>> staying;
    for (const auto& [from, status] : c.Newcomers) {
      const auto start = std::chrono::steady_clock::now();
      if (from[0] == '+') {
        auto& client = staying.emplace_back(std::make_unique<TRawClient>(server.Server.Port(), from + 1));
        ASSERT_TRUE(client->Send("GET /Quo"));
        EXPECT_EQ(client->ClosedWithin(std::chrono::milliseconds(300)), status < 0) << from;
        continue;
      }
      EXPECT_EQ(Http("GET", server.Url(), RequestBody(6, "SELECT * FROM ASSET_LIST"), from).Status, status) << from;
      EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));  // not the 10 s deadline
    }
    for (std::size_t g = 0; g < groups.size(); ++g) {
      for (std::size_t i = 0; i < groups[g].size(); ++i) {
        const bool victim = static_cast<int>(g) == c.Victim && i == 0;
        EXPECT_EQ(groups[g][i]->ClosedWithin(std::chrono::milliseconds(victim ? 2000 : 50)), victim)
            << "group " << g << " connection " << i;
      }
    }
  }
}

TEST(ServerLimits, SlowClientsDoNotBlockOthers) {
  qvserver::TDataServerOptions options = QuietOptions();
  options.ThreadCount = 2;
  TLimitedServer server(options);
  // More trickling clients than serving threads, fewer than one address may open.
  std::vector<std::unique_ptr<TRawClient>> slow;
  for (int i = 0; i < 12; ++i) {
    slow.push_back(std::make_unique<TRawClient>(server.Server.Port()));
    ASSERT_TRUE(slow.back()->Send(RawRequest("GET", RequestBody(6, "SELECT * FROM ASSET_LIST")).substr(0, 40)));
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(server.AssetListStatus(), 200);
  // Blocked, it would wait for the idle timeout (30 s) to drop a trickling client.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
}

// The cap counts reply bytes produced and not yet handed to the socket:
// downloads read in part and then stalled hold at most a piece each, however
// much of their reply was delivered, so another address's requests are
// answered and its full download goes through; once the readers went away
// nothing counts.
TEST(ServerLimits, StalledDownloadsCountOnlyWhatIsNotHandedToTheSocket) {
  constexpr std::size_t kCap = std::size_t{1} << 20;
  qvserver::TDataServerOptions options = QuietOptions();
  options.MaxPendingReplyBytes = kCap;
  TLimitedServer server(options);
  const std::string table = RequestBody(8, "SELECT * FROM DATA WHERE DATE>2 ORDER BY DATE ASC");
  {
    std::vector<std::unique_ptr<TRawClient>> readers;
    for (const char* from : {"127.0.0.2", "127.0.0.2", "127.0.0.3", "127.0.0.3"}) {
      readers.push_back(std::make_unique<TRawClient>(server.Server.Port(), from));
      ASSERT_TRUE(readers.back()->Send(RawRequest("GET", table)));
      ASSERT_GE(readers.back()->ReadAll(std::size_t{2} << 20).size(), std::size_t{2} << 20);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));  // the stalled replies fill their sockets
    EXPECT_LT(server.Server.PendingReplyBytes(), kCap);
    EXPECT_EQ(server.AssetListStatus(), 200);
    const qvtest::THttpResult download = Http("GET", server.Url(), table, "127.0.0.4");
    EXPECT_EQ(download.Status, 200);
    EXPECT_GT(download.Body.size(), std::size_t{2} << 20);
    EXPECT_EQ(download.Body.substr(download.Body.size() - 2), "]}");
  }
  EXPECT_TRUE(qvtest::WaitUntil([&] { return server.Server.PendingReplyBytes() == 0; }));
}

TEST(ServerLimits, AnAnnouncedOversizedBodyIsRefusedUnread) {
  qvserver::TDataServerOptions options = QuietOptions();
  options.MaxBodyBytes = 1000;
  TLimitedServer server(options);
  TRawClient client(server.Server.Port());
  // Announces a gigabyte and sends only the headers: the answer comes at once.
  ASSERT_TRUE(client.Send(
      "POST /QuorvaneDB HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\nContent-Length: 1000000000\r\n\r\n"));
  const std::string reply = client.ReadAll();
  EXPECT_EQ(reply.rfind("HTTP/1.1 413", 0), 0u) << reply;
  EXPECT_NE(reply.find("\"ErrorMessage\""), std::string::npos);
  EXPECT_EQ(server.AssetListStatus(), 200);
}

// Bodies that are not requests, each answered 400 with an error text, the
// server staying up.
TEST(ServerLimits, HostileBodiesGetAnErrorAndTheServerStaysUp) {
  TLimitedServer server(QuietOptions());
  const std::string deep = std::string(200000, '[') + std::string(200000, ']');
  const std::string deepObject = "{\"SQLRequest\":" + deep + "}";
  // A raw NUL inside a JSON string is not JSON.
  const char rawNul[] = "{\"SQLRequest\":[{\"ResponseType\":\"6\",\"Content\":\"SELECT * FROM ASSET_LIST\0\"}]}";
  const std::vector<std::string> bodies{
      deep,
      deepObject,
      "{\"SQLRequest\":[{\"ResponseType\":\"6\",\"Content\":\"SELECT * FROM ASSET_LIST\"}]} trailing",
      "{\"SQLRequest\":[{\"ResponseType\":\"99999999999999999999\",\"Content\":\"x\"}]}",
      "{\"SQLRequest\":[{\"ResponseType\":\"-1\",\"Content\":\"x\"}]}",
      "{\"SQLRequest\":[{\"ResponseType\":6.5,\"Content\":\"SELECT * FROM ASSET_LIST\"}]}",
      "{\"SQLRequest\":[{\"ResponseType\":1e999,\"Content\":\"SELECT * FROM ASSET_LIST\"}]}",
      "{\"SQLRequest\":[{\"ResponseType\":NaN,\"Content\":\"SELECT * FROM ASSET_LIST\"}]}",
      "{\"SQLRequest\":[{\"ResponseType\":null,\"Content\":\"SELECT * FROM ASSET_LIST\"}]}",
      "{\"SQLRequest\":[{\"ResponseType\":\"6\",\"Content\":\"SELECT * FROM ASSET_LIST\",\"Field\":[]}]}",
      "{\"SQLRequest\":{\"ResponseType\":\"6\",\"Content\":\"SELECT * FROM ASSET_LIST\"}}",
      "{\"SQLRequest\":[\"6\"]}",
      "{\"SQLRequest\":[{\"ResponseType\":\"6\",\"Content\":\"\\ud800\"}]}",
      std::string(rawNul, sizeof rawNul - 1),
  };
  for (const std::string& body : bodies) {
    const qvtest::TReply reply = qvtest::ParseReply(Http("GET", server.Url(), body));
    EXPECT_EQ(reply.Status, 400) << body.substr(0, 80);
    EXPECT_TRUE(reply.Parsed) << body.substr(0, 80);
    EXPECT_FALSE(reply.Error.empty()) << body.substr(0, 80);
  }
  EXPECT_EQ(server.AssetListStatus(), 200);
}

}  // namespace
