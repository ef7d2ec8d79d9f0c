#pragma once
// The stand-in data server over libmicrohttpd: a fixed pool of threads
// polling every connection (a slow or idle client costs a socket, not a
// thread), request bodies read on every method (the protocol sends them with
// GET), bodies above a limit refused with status 413 (unread when their
// length is announced, read and dropped when chunked), bounded connection
// counts in all and per address, newcomers accepted also at the limit, where
// each takes the place of a connection that may go (or is closed at once), a
// deadline for a request to arrive whole, requests of ambiguous length
// refused (400) as are header names that are not tokens and folded header
// lines, an idle timeout, large replies produced piece by piece as the client
// reads, a bound on the unsent bytes a socket holds, and a cap on the reply
// bytes produced but not yet handed to the socket.

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
  unsigned MaxConnections = 4096;
  unsigned MaxConnectionsPerIp = 16;
  // Connections kept free for newcomers. Once fewer are left, each newcomer
  // closes one connection that may go, and at the limit a newcomer is closed
  // at once when none may. First goes the kept-alive connection idle longest
  // between two requests (closing it costs its client nothing but a new
  // connection), of an address holding two more than the newcomer's, so that
  // addresses of many connections do not close each other's in turn. Else,
  // among the connections waiting at least EvictAfter for a request that
  // arrives slower than MinBytesPerSecond and the replies read slower than
  // it, the longest-waiting of the address holding most of them; a
  // newcomer's address holding more than a quarter of MaxConnectionsPerIp
  // takes these only from addresses holding at least as many. So connections
  // that trickle or read slowly from many addresses cannot take every place,
  // and they pay before an upload of another address does.
  unsigned ReservedConnections = 128;
  std::chrono::milliseconds EvictAfter{1000};
  // An address whose connection was closed for waiting too long or reading
  // too slowly has a strike for this long: its newcomers close none and take
  // no reserved place, and its connections are the first to go. So a flood
  // that reopens at once cannot use up the places that real clients'
  // newcomers would take.
  std::chrono::milliseconds StrikeMemory{30000};
  // The least rate of a fair client. A request arriving at least this fast
  // on average since it began (an upload under way) does not go for a
  // newcomer, however long it takes. A reply may go when its reader
  // acknowledged fewer bytes than this rate over the last SlowReplyWindow
  // while reply bytes waited unsent (the reader, not the server, held it back).
  std::size_t MinBytesPerSecond = 8 * 1024;
  std::chrono::milliseconds SlowReplyWindow{4000};
  // Reply bytes a socket holds unsent in the kernel: enough to keep a fast
  // line busy between two writes, so a reader that stalls holds no more.
  int MaxUnsentSocketBytes = 64 * 1024;
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
  // Whether a newcomer from `address` gets a place; closes a connection that
  // may go for it when places are short.
  bool AdmitNewcomer(const std::string& address);
  // The request line of a request has arrived: the connection is no longer idle.
  void OnRequestLine(void* connection);
  // Reply bytes produced and not yet handed to the socket (0 when idle).
  std::size_t PendingReplyBytes() const { return PendingReplyBytes_.load(); }
  // Replies whose reader took less than the minimum rate over the last window.
  std::size_t SlowReplies();
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
  // Shuts down sockets whose request is late and samples the progress of
  // requests and replies.
  void WatchRequestDeadlines();
  // Measures how fast the socket's request arrives, or how far its reply
  // moved over the last window (the lock is held).
  void SampleLocked(TSocket& socket, std::chrono::steady_clock::time_point now);
  // The socket that gives up its place to a newcomer whose address holds
  // `held` sockets, or null when none may; `strike` tells whether it goes
  // for waiting or reading too slowly (the lock is held).
  TSocket* VictimLocked(std::chrono::steady_clock::time_point now, std::size_t held, bool& strike);
  // Whether the socket waits for its request to arrive whole and may be shut down.
  static bool AwaitingRequest(const TSocket& socket);
  // Shuts the socket down; the library sees the end of the stream and closes
  // it. `strike`: closed for waiting or reading too slowly, which its address
  // remembers for StrikeMemory.
  void ShutDownLocked(TSocket& socket, bool strike);
  struct TPeer;
  // Whether the address had a socket closed for waiting or reading too slowly within StrikeMemory.
  bool StruckLocked(const TPeer& peer, std::chrono::steady_clock::time_point now) const;
  // Forgets addresses without sockets whose strike is over (the lock is held).
  void ForgetPeersLocked(std::chrono::steady_clock::time_point now);
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
  std::size_t Open_ = 0;  // sockets in Sockets_ not shut down
  // Per address: its sockets in Sockets_, those of them not shut down, and
  // when one was last closed for waiting or reading too slowly.
  struct TPeer {
    std::size_t Sockets = 0;
    std::size_t Held = 0;
    std::chrono::steady_clock::time_point StruckAt{};
  };
  std::unordered_map<std::string, TPeer> Peers_;
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
