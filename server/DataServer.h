#pragma once
// The stand-in data server over libmicrohttpd: a fixed pool of threads
// polling every connection (a slow or idle client costs a socket, not a
// thread), request bodies read on every method (the protocol sends them with
// GET), bodies above a limit refused with status 413 (unread when their
// length is announced, read and dropped when chunked), bounded connection
// counts in all and per address with places kept free for newcomers, a
// deadline for a request to arrive whole, requests of ambiguous length
// refused (400) as are header names that are not tokens, an idle timeout,
// large replies produced piece by piece as the client reads, and a cap on the
// reply bytes produced but not yet handed to the socket.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "RequestHandler.h"
#include "ServerStore.h"
#include "SignInGate.h"

struct MHD_Daemon;

namespace qvserver {

struct TDataServerOptions {
  std::size_t MaxBodyBytes = kDefaultMaxBodyBytes;
  unsigned ThreadCount = 16;  // threads serving requests
  // Open connections in all (at most what the process's descriptor limit
  // leaves) and from one address. A waiting connection costs a socket and a
  // little memory, so the budget is large.
  unsigned MaxConnections = 1024;
  unsigned MaxConnectionsPerIp = 16;
  // Connections kept free for newcomers: once fewer are left, each new
  // connection closes one that has been waiting for its request to arrive
  // whole (at least EvictAfter): the longest-waiting of the address holding
  // most such connections. So connections that trickle from many addresses
  // cannot take every place, and they pay before a slow upload of another
  // address does.
  unsigned ReservedConnections = 128;
  std::chrono::milliseconds EvictAfter{1000};
  unsigned IdleTimeoutSeconds = 30;  // a connection without traffic this long is closed
  // A connection whose request has not arrived whole this long after it
  // opened (or after its previous reply) is closed, however it trickles.
  std::chrono::milliseconds RequestTimeout{10000};
  // Reply bytes produced and not yet handed to the socket, over all
  // connections (a reader that stalls holds at most one piece of its reply,
  // under 128 KB); a request arriving above it is answered 503.
  std::size_t MaxPendingReplyBytes = std::size_t{256} << 20;
  // Password work: sign-in checks and the hashes of new-user requests. A
  // waiting job holds a queue place, not a serving thread, so the queue can
  // take every connection one address may open (16) twice over: clients
  // behind one address signing in together are never refused, while a
  // flooding address holds at most half of the places.
  TSignInLimits SignIn{.MaxChecks = 32};
  // A busy answer (status 503) or a write refused by a store limit goes this
  // long after its request arrived, the connection suspended meanwhile: a
  // client that retries at once cannot keep the server busy with refusals.
  std::chrono::milliseconds BusyPause{250};
  bool LogRequests = true;  // one line per request
  // Receives each log line (without newline); unset writes it to stderr.
  std::function<void(const std::string&)> LogSink;
};

// Client text made safe for a one-line log: control bytes, DEL and the
// backslash are written as escapes ("\n", "\x1b", "\\").
std::string EscapeLogText(std::string_view text);

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
  struct TSocket;
  int OnRequest(void* connection, const char* url, const char* method, const char* uploadData,
                std::size_t* uploadDataSize, void** context);
  void OnCompleted(void* connection, void** context);
  void OnSocketOpened(void* connection, void** socketContext);
  void OnSocketClosed(void** socketContext);
  // Reply bytes produced and not yet handed to the socket (0 when idle).
  std::size_t PendingReplyBytes() const { return PendingReplyBytes_.load(); }
  // Busy answers waiting for the pause.
  std::size_t HeldAnswers() {
    std::lock_guard lock(PauseLock_);
    return Paused_.size();
  }
  // Password work (sign-in checks, new-user hashes) waiting or running, in all and of one address.
  int PasswordJobs() const { return Handler_.PasswordJobs(); }
  int PasswordJobsFrom(const std::string& address) const { return Handler_.PasswordJobsFrom(address); }

 private:
  int Queue(void* connection, TConnection& state, const char* method, const char* url, THttpAnswer answer);
  void SetReplying(void* connection, bool replying);
  void Log(const std::string& line) const;
  void WatchRequestDeadlines();
  // Shuts down a socket waiting for its request (at least EvictAfter), of the
  // address holding most such sockets, when fewer than the reserved places
  // are left; the lock is held.
  void EvictForNewcomerLocked();
  // Whether the socket waits for its request to arrive whole and may be shut down.
  static bool AwaitingRequest(const TSocket& socket);
  // Shuts the socket down; the library sees the end of the stream and closes it.
  void ShutDownLocked(TSocket& socket);
  unsigned ConnectionLimit() const;
  void FinishAsync();
  bool Held(const THttpAnswer& answer) const;
  void HoldThenResume(void* connection, TConnection* state);
  void RunPauses();

  TServerStore& Store_;
  TDataServerOptions Options_;
  TRequestHandler Handler_;
  MHD_Daemon* Daemon_ = nullptr;
  std::atomic<std::size_t> PendingReplyBytes_{0};
  std::uint16_t Port_ = 0;
  unsigned Limit_ = 0;    // the connection limit in force
  unsigned Reserve_ = 0;  // places kept free for newcomers: at most a quarter of Limit_

  // Open sockets by their record, for the request deadline.
  std::mutex SocketsLock_;
  std::unordered_map<TSocket*, std::unique_ptr<TSocket>> Sockets_;
  std::condition_variable WatchWake_;
  bool WatchStop_ = false;
  std::thread Watch_;

  // Sign-in checks answered later; Stop waits until none is outstanding.
  std::mutex AsyncLock_;
  std::condition_variable AsyncDone_;
  int Outstanding_ = 0;
  bool Stopping_ = false;

  // Suspended connections whose busy answer waits for the pause, by due time.
  std::mutex PauseLock_;
  std::condition_variable PauseWake_;
  std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> Paused_;
  bool PauseStop_ = false;
  std::thread Pauser_;
};

}  // namespace qvserver
