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

// Connections that send half a request line and then nothing are closed by
// the idle timeout, unanswered; one more at the cap is answered meanwhile,
// in the place of one of them (or in a place the timeout freed).
TEST(ServerLimits, IdleConnectionsAreCappedAndTimedOut) {
  qvtest::TManualClock clock;
  qvserver::TDataServerOptions options = QuietOptions();
  options.Now = clock.Source();
  options.ThreadCount = 1;  // the pool shares the connection limit among its threads
  options.MaxConnections = 4;
  options.IdleTimeoutSeconds = 1;
  TLimitedServer server(options);
  ASSERT_EQ(server.AssetListStatus(), 200);

  // Four clients that send half a request line and then nothing, a second
  // apart: a second after its first bytes each arrives slower than a fair
  // client's, so each finds a place (the first request's connection was the
  // first to open).
  std::vector<std::unique_ptr<TRawClient>> idle;
  for (std::size_t i = 0; i < 4; ++i) {
    idle.push_back(std::make_unique<TRawClient>(server.Server.Port()));
    ASSERT_TRUE(idle.back()->Connected());
    ASSERT_TRUE(idle.back()->Send("GET /Quorv"));
    ASSERT_TRUE(qvtest::WaitUntil([&] { return server.Server.SocketCounts().Opened == i + 2; }));
    server.Server.Look();
    clock.Advance(std::chrono::seconds(1));
  }
  server.Server.Look();
  EXPECT_EQ(server.AssetListStatus(), 200);
  // Every one is closed without an answer.
  for (const auto& client : idle) EXPECT_EQ(client->ReadAll(), "");
  EXPECT_TRUE(qvtest::WaitUntil([&] { return server.Server.SocketCounts().Open == 0; }));
}

// One reply on a kept-alive connection: its head and Content-Length bytes of
// body; empty when the connection was closed first.
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

// At the limit a newcomer is still accepted and takes the place of a
// connection that makes no progress at the fair rate (8 KB/s): kept alive
// silent between two requests, a request arriving slower since its own first
// byte, a reply read slower over the window. First goes one of an address
// that lately had a connection closed for making none (for a newcomer or at
// the request deadline), then of the address holding most that may go, its
// connection longest without progress. What an address holds in all, or
// what one of its connections did, refuses none of its users; when none may
// go the newcomer is closed at once. Who holds what, and who is served: the
// holders open in turn, 100 ms apart, then age 5 s; the clock is moved by hand.
TEST(ServerLimits, AtTheLimitANewcomerTakesThePlaceOfAConnectionThatMayGo) {
  qvtest::TManualClock clock;
  qvserver::TDataServerOptions options = QuietOptions();
  options.ThreadCount = 2;
  options.MaxConnections = 8;
  options.ReservedConnections = 0;  // places are short only at the limit
  options.SlowReplyWindow = std::chrono::milliseconds(1000);
  options.RequestTimeout = std::chrono::seconds(20);
  options.IdleTimeoutSeconds = 600;
  options.Now = clock.Source();
  enum TKind {
    Trickling,   // half a request line
    Kept,        // a request answered, kept alive
    Stalled,     // a download never read into a small buffer, seen slow before the next opens (first in its case)
    Uploading,   // 64 KB of a 1 MB body sent at once
    KeptUpload,  // kept alive; after the ageing 32 KB of a 100 KB body, a second before the newcomers
    Overdue,     // half a request line, closed at the request deadline before the others open
    Newcomer     // after the ageing: a request, served (or closed at once), kept alive
  };
  // Count connections from 127.0.0.<Address> (Apart: from Address, Address + 1, ...).
  struct TGroup {
    int Address;
    int Count;
    TKind Kind;
    int Closed = 0;      // connections closed in the end, its oldest first
    bool Served = true;  // a newcomer's answer came
    bool Apart = false;
  };
  struct TCase {
    const char* Name;
    std::vector<TGroup> Groups;
  };
  const std::vector<TCase> cases{
      {"kept-alive connections go, the longest idle first, whatever their addresses hold",
       {{2, 8, Kept, 3, true, true}, {20, 3, Newcomer, 0, true, true}}},
      {"an office of many uploads is served in the places of trickles elsewhere",
       {{2, 5, Uploading}, {3, 3, Trickling, 3, true, true}, {9, 1, Newcomer}, {2, 2, Newcomer}}},
      // Struck, the office's own kept-alive connection goes before others.
      {"an office's stalled download goes first, and its other users are still served",
       {{2, 1, Stalled, 1}, {2, 3, Uploading}, {3, 4, Trickling, 1, true, true}, {9, 1, Newcomer},
        {2, 2, Newcomer, 1}}},
      {"an office whose request passed the deadline is still served",
       {{2, 1, Overdue, 1}, {2, 3, Uploading}, {3, 5, Trickling, 1, true, true}, {2, 2, Newcomer, 1}}},
      {"an upload on a kept-alive connection is timed from its own first byte",
       {{2, 1, KeptUpload}, {3, 7, Trickling, 1, true, true}, {20, 1, Newcomer}}},
      {"the address holding most that may go, not most in all",
       {{3, 2, Trickling}, {3, 3, Uploading}, {2, 3, Trickling, 1}, {9, 1, Newcomer}}},
      {"none may go: the newcomer is closed at once", {{2, 4, Uploading}, {3, 4, Uploading}, {9, 1, Newcomer, 0, false}}},
  };
  const std::string download = RawRequest("GET", RequestBody(8, "SELECT * FROM DATA WHERE DATE>2 ORDER BY DATE ASC"));
  const std::string assets = RequestBody(6, "SELECT * FROM ASSET_LIST");
  const std::string kept = "GET /QuorvaneDB HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(assets.size()) +
                           "\r\n\r\n" + assets;
  auto upload = [](std::size_t announced, std::size_t sent) {
    return "POST /QuorvaneDB HTTP/1.1\r\nHost: x\r\nContent-Length: " + std::to_string(announced) + "\r\n\r\n" +
           std::string(sent, 'u');
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TLimitedServer server(options);
    auto counts = [&] { return server.Server.SocketCounts(); };
    std::vector<std::vector<std::unique_ptr<TRawClient>>> groups(c.Groups.size());
    std::size_t opened = 0, kepts = 0, replies = 0;
    auto open = [&](std::size_t g) -> TRawClient& {
      const TGroup& group = c.Groups[g];
      const std::string from =
          "127.0.0." + std::to_string(group.Address + (group.Apart ? static_cast<int>(groups[g].size()) : 0));
      auto& client = groups[g].emplace_back(
          std::make_unique<TRawClient>(server.Server.Port(), from.c_str(), group.Kind == Stalled ? 4096 : 0));
      EXPECT_TRUE(client->Connected());
      return *client;
    };
    for (std::size_t g = 0; g < c.Groups.size() && c.Groups[g].Kind != Newcomer; ++g) {
      const TKind kind = c.Groups[g].Kind;
      for (int i = 0; i < c.Groups[g].Count; ++i) {
        TRawClient& client = open(g);
        ASSERT_TRUE(client.Send(kind == Trickling || kind == Overdue ? std::string("GET /Quo")
                                : kind == Stalled                    ? download
                                : kind == Uploading                  ? upload(1000000, 64 * 1024)
                                                                     : kept));
        ++opened;
        if (kind == Kept || kind == KeptUpload) {
          ASSERT_EQ(ReadOneReply(client).rfind("HTTP/1.1 200", 0), 0u);
        }
        kepts += kind == Kept || kind == KeptUpload ? 1 : 0;
        replies += kind == Stalled ? 1 : 0;
        ASSERT_TRUE(qvtest::WaitUntil([&] {
          const auto now = counts();
          return now.Open == opened && now.Kept == kepts && now.Replying == replies;
        }));
        server.Server.Look();
        if (kind == Stalled) {
          // It is seen slow once the server has written to it (the small buffer holds less than a window's worth).
          ASSERT_TRUE(qvtest::WaitUntil([&] {
            clock.Advance(options.SlowReplyWindow);
            server.Server.Look();
            return counts().Slow == replies;
          }));
        }
        if (kind == Overdue) {
          clock.Advance(options.RequestTimeout + std::chrono::seconds(1));
          server.Server.Look();
          ASSERT_TRUE(client.ClosedWithin(std::chrono::milliseconds(5000)));
          --opened;
        }
        clock.Advance(std::chrono::milliseconds(100));
      }
    }
    clock.Advance(std::chrono::seconds(4));
    server.Server.Look();
    ASSERT_EQ(counts().Slow, replies);
    for (std::size_t g = 0; g < c.Groups.size(); ++g) {
      if (c.Groups[g].Kind != KeptUpload) continue;
      for (const auto& client : groups[g]) ASSERT_TRUE(client->Send(upload(100 * 1000, 32 * 1024)));
    }
    server.Server.Look();
    clock.Advance(std::chrono::seconds(1));
    server.Server.Look();
    for (std::size_t g = 0; g < c.Groups.size(); ++g) {
      if (c.Groups[g].Kind != Newcomer) continue;
      for (int i = 0; i < c.Groups[g].Count; ++i) {
        TRawClient& client = open(g);
        ASSERT_TRUE(client.Send(kept));
        EXPECT_EQ(ReadOneReply(client).rfind("HTTP/1.1 200", 0) == 0, c.Groups[g].Served) << "group " << g;
        // Its reply ended: kept alive from now on, the newest of all.
        ASSERT_TRUE(qvtest::WaitUntil([&] { return counts().Replying == counts().Slow; }));
        clock.Advance(std::chrono::milliseconds(100));
      }
    }
    // Whatever went was shut down before its newcomer was served.
    for (std::size_t g = 0; g < groups.size(); ++g) {
      for (std::size_t i = 0; i < groups[g].size(); ++i) {
        const bool gone = static_cast<int>(i) < c.Groups[g].Closed || !c.Groups[g].Served;
        EXPECT_EQ(groups[g][i]->ClosedWithin(std::chrono::milliseconds(gone ? 5000 : 0)), gone)
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
    // Once the stalled replies have filled their sockets.
    EXPECT_TRUE(qvtest::WaitUntil([&] { return server.Server.PendingReplyBytes() < kCap; }));
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
