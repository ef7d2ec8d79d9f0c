#pragma once
// The stand-in data server over libmicrohttpd: one thread per connection,
// request bodies read on every method (the protocol sends them with GET),
// bodies above a limit dropped and answered with status 413.

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

 private:
  TServerStore& Store_;
  TDataServerOptions Options_;
  TRequestHandler Handler_;
  MHD_Daemon* Daemon_ = nullptr;
  std::uint16_t Port_ = 0;
};

}  // namespace qvserver
