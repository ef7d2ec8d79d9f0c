// Resource limits of the data server: connection counts, idle timeout, the
// cap on reply bytes not yet handed to the socket, oversized and hostile bodies.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

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
  TLimitedServer server(options);
  ASSERT_EQ(server.AssetListStatus(), 200);

  // Four clients that send half a request line and then nothing.
  std::vector<std::unique_ptr<TRawClient>> idle;
  for (int i = 0; i < 4; ++i) {
    idle.push_back(std::make_unique<TRawClient>(server.Server.Port()));
    ASSERT_TRUE(idle.back()->Connected());
    ASSERT_TRUE(idle.back()->Send("GET /Quorv"));
  }
  // A fifth connection waits until the timeout has closed an idle one.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(server.AssetListStatus(), 200);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  // The idle ones were closed without an answer.
  for (const auto& client : idle) EXPECT_EQ(client->ReadAll(), "");
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
