#pragma once
// The stand-in data server over libmicrohttpd: a fixed pool of threads
// polling every connection (a slow or idle client costs a socket, not a
// thread), request bodies read on every method (the protocol sends them with
// GET), bodies above a limit refused with status 413 (unread when their
// length is announced, read and dropped when chunked),
// bounded connection counts, an idle timeout, and a cap on the reply bytes
// waiting to be sent so that clients that never read cannot exhaust memory.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "RequestHandler.h"
#include "ServerStore.h"

struct MHD_Daemon;

namespace qvserver {

struct TDataServerOptions {
  std::size_t MaxBodyBytes = kDefaultMaxBodyBytes;
  unsigned ThreadCount = 16;          // threads serving requests
  unsigned MaxConnections = 256;      // open connections in all
  unsigned MaxConnectionsPerIp = 64;  // open connections from one address
  unsigned IdleTimeoutSeconds = 30;   // a connection without traffic this long is closed
  // Reply bytes queued but not yet sent, over all connections; a request
  // arriving above it is answered 503.
  std::size_t MaxPendingReplyBytes = std::size_t{1} << 30;
  bool LogRequests = true;  // one line per request to stderr
};

class DataServer {
 public:
  // The store must outlive the server.
  explicit DataServer(TServerStore& store, TDataServerOptions options = {});
  ~DataServer();
  DataServer(const DataServer&) = delete;
  DataServer& operator=(const DataServer&) = delete;

  // Listens on host (a numeric IPv4/IPv6 address or a name) and port; port
  // 0 takes any free port. False with a reason in `error` when it cannot.
  bool Start(const std::string& host, std::uint16_t port, std::string& error);
  // The port listened on; 0 when stopped.
  std::uint16_t Port() const { return Port_; }
  // Stops accepting, waits for running requests and closes the socket.
  void Stop();

  // Called by the HTTP library's callbacks.
  struct TConnection;
  int OnRequest(void* connection, const char* url, const char* method, const char* uploadData,
                std::size_t* uploadDataSize, void** context);
  void OnCompleted(void** context);
  // Reply bytes queued and not yet sent (0 when idle).
  std::size_t PendingReplyBytes() const { return PendingReplyBytes_.load(); }

 private:
  int Queue(void* connection, TConnection& state, const char* method, const char* url, THttpAnswer answer);

  TServerStore& Store_;
  TDataServerOptions Options_;
  TRequestHandler Handler_;
  MHD_Daemon* Daemon_ = nullptr;
  std::atomic<std::size_t> PendingReplyBytes_{0};
  std::uint16_t Port_ = 0;
};

}  // namespace qvserver
