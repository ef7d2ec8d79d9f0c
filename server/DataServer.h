#pragma once
// The stand-in data server over libmicrohttpd: a fixed pool of threads
// polling every connection (a slow or idle client costs a socket, not a
// thread), request bodies read on every method (the protocol sends them with
// GET), bodies above a limit refused with status 413 (unread when their
// length is announced, read and dropped when chunked), bounded connection
// counts in all and per address, newcomers accepted also at the limit, where
// each takes the place of a connection that makes no progress (or is closed
// at once), a deadline for a request to arrive whole, requests of ambiguous
// length refused (400) as are header or trailer names that are not tokens and
// folded lines, an idle timeout, large replies produced piece by piece as the client
// reads, a bound on the unsent bytes a socket holds, and a cap on the reply
// bytes produced but not yet handed to the socket.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

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
  // takes the place of a connection that may go, and when none may it takes
  // a reserved place while one is left, else it is closed at once. A
  // connection may go while it makes no progress at the least rate of a fair
  // client: kept alive silent between two requests, opened and silent, its
  // request arriving slower than MinBytesPerSecond since its first byte, or
  // its reply read slower than that over SlowReplyWindow. Of those goes
  // first a connection of an address that lately had one closed for making
  // no progress (StrikeMemory), then of the address holding most that may
  // go, its longest without progress. So a flood of connections that trickle,
  // stall or reconnect at once pays for itself, and a client that sends or
  // reads at a fair rate keeps its place, whatever its address holds.
  unsigned ReservedConnections = 128;
  // How long an address that had a connection closed while it made no
  // progress (not a kept-alive one between requests) comes first when a
  // connection has to go. It refuses none of that address's newcomers.
  std::chrono::milliseconds StrikeMemory{30000};
  // The least rate of a fair client. A request arriving at least this fast
  // since its own first byte (an upload under way, on a new or a kept-alive
  // connection) keeps its place, however long it takes. A reply may go when
  // its reader acknowledged fewer bytes than this rate over the last
  // SlowReplyWindow while reply bytes waited unsent (the reader, not the
  // server, held it back).
  std::size_t MinBytesPerSecond = 8 * 1024;
  std::chrono::milliseconds SlowReplyWindow{4000};
  // Reply bytes a socket holds unsent in the kernel: enough to keep a fast
  // line busy between two writes, so a reader that stalls holds no more.
  int MaxUnsentSocketBytes = 64 * 1024;
  unsigned IdleTimeoutSeconds = 30;  // a connection without traffic this long is closed
  // A connection is closed when it stays silent this long after it opened
  // (or after its previous reply), or when its request has not arrived whole
  // this long after its first byte, however it trickles.
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
  // The clock of the connection policy (steady_clock unless a test moves its own).
  std::function<std::chrono::steady_clock::time_point()> Now{};
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
  // Answers every request whose answer was held or is being worked out (a
  // waiting sign-in check is refused), waits a few seconds at most for those
  // answers to be written, then stops listening and closes the sockets.
  // Meanwhile it still accepts: a request arriving then is answered on its
  // serving thread, never held for a pause.
  void Stop();

  // Called by the HTTP library's callbacks.
  struct TConnection;
  int OnRequest(void* connection, const char* url, const char* method, const char* uploadData,
                std::size_t* uploadDataSize, void** context);
  void OnCompleted(void* connection, void** context);
  void OnSocketOpened(void* connection, void** socketContext);
  void OnSocketClosed(void** socketContext);
  // Whether a newcomer gets a place; closes a connection that may go for it
  // when places are short.
  bool AdmitNewcomer();
  // The request line of a request has arrived: the connection is no longer silent.
  void OnRequestLine(void* connection);
  // Reply bytes produced and not yet handed to the socket (0 when idle).
  std::size_t PendingReplyBytes() const { return PendingReplyBytes_.load(); }
  // Sockets opened since the start, and the open ones by state: in all (not
  // shut down), silent (no byte of their next request yet), kept alive
  // silent between two requests, replying, and replying to a reader that
  // took less than the minimum rate over the last window.
  struct TSocketCounts {
    std::size_t Opened = 0;
    std::size_t Open = 0;
    std::size_t Silent = 0;
    std::size_t Kept = 0;
    std::size_t Replying = 0;
    std::size_t Slow = 0;
  };
  TSocketCounts SocketCounts();
  // Looks at every socket now, as the watcher does every period: the
  // progress of requests and replies, and the deadlines.
  void Look();
  // Busy answers waiting for the pause.
  std::size_t HeldAnswers() {
    std::lock_guard lock(PauseLock_);
    return Paused_.size();
  }
  // Password work (sign-in checks, new-user hashes) waiting or running, in all and of one address.
  int PasswordJobs() const { return Handler_.PasswordJobs(); }
  int PasswordJobsFrom(const std::string& address) const { return Handler_.PasswordJobsFrom(address); }

 private:
  struct TSocket;
  int Queue(void* connection, TConnection& state, const char* method, const char* url, THttpAnswer answer);
  int Refuse(void* connection, TConnection& state, const char* method, const char* url, const char* error);
  void SetReplying(void* connection, bool replying);
  void Log(const std::string& line) const;
  // Shuts down sockets whose request is late and samples the progress of
  // requests and replies.
  void WatchRequestDeadlines();
  void LookLocked();
  std::chrono::steady_clock::time_point Now() const;
  // Measures how fast the socket's request arrives, or how far its reply
  // moved over the last window (the lock is held).
  void SampleLocked(TSocket& socket, std::chrono::steady_clock::time_point now);
  // Whether the request of a socket waiting for one arrives at the fair rate
  // now, its first byte marking its start (the lock is held).
  bool ReceivingLocked(TSocket& socket, std::chrono::steady_clock::time_point now);
  // The socket that gives up its place to a newcomer, or null when none may;
  // `strike` tells whether it goes for making no progress, rather than kept
  // alive between two requests (the lock is held).
  TSocket* VictimLocked(std::chrono::steady_clock::time_point now, bool& strike);
  // Whether the socket waits for its request and may be shut down.
  static bool AwaitingRequest(const TSocket& socket);
  // Shuts the socket down; the library sees the end of the stream and closes
  // it. `strike`: closed for making no progress, which its address
  // remembers for StrikeMemory.
  void ShutDownLocked(TSocket& socket, bool strike);
  struct TPeer;
  // Whether the address had a socket closed for making no progress within StrikeMemory.
  bool StruckLocked(const TPeer& peer, std::chrono::steady_clock::time_point now) const;
  // Forgets addresses without sockets whose strike is over (the lock is held).
  void ForgetPeersLocked(std::chrono::steady_clock::time_point now);
  // The record of an open socket given as the library's socket context; null when none.
  static TSocket* UsedSocket(void* context);
  unsigned ConnectionLimit() const;
  void FinishAsync();
  bool Held(const THttpAnswer& answer) const;
  void HoldThenResume(void* connection, TConnection* state);
  // Suspends the connection until its answer is given, counting it in Owed_ once.
  void Suspend(void* connection, TConnection& state);
  void RunPauses();

  TServerStore& Store_;
  TDataServerOptions Options_;
  TRequestHandler Handler_;
  MHD_Daemon* Daemon_ = nullptr;
  std::atomic<std::size_t> PendingReplyBytes_{0};
  std::uint16_t Port_ = 0;
  unsigned Limit_ = 0;    // the connection limit in force
  unsigned Reserve_ = 0;  // places kept free for newcomers: at most a quarter of Limit_

  // Guards the socket records, the addresses' entries and the counts.
  std::mutex SocketsLock_;
  // Per address: its sockets in Sockets_, and when one was last closed for
  // making no progress.
  struct TPeer {
    std::size_t Sockets = 0;
    std::chrono::steady_clock::time_point StruckAt{};
    // Of the choice numbered Choice: its sockets that may go, and the one
    // longest without progress (scratch of VictimLocked, so a choice walks
    // the sockets once and hashes nothing).
    std::uint64_t Choice = 0;
    std::size_t MayGo = 0;
    TSocket* Oldest = nullptr;
  };
  // One open socket, watched for the request deadline and for the progress of its request or reply.
  struct TSocket {
    using TTime = std::chrono::steady_clock::time_point;
    bool Used = false;  // the record of an open socket, not a free slot
    int Fd = -1;
    TPeer* Peer = nullptr;  // its address's entry in Peers_ (entries stay put while the map changes)
    // While silent, since when: it opened or its last reply ended. Then the
    // time its request's first byte came, from which the request's deadline
    // and rate count.
    TTime RequestSince{};
    // The last time it was seen silent: its first byte came after it.
    TTime SilentAt{};
    // Bytes received before its current (or next) request.
    std::uint64_t RequestBytes = 0;
    bool Replying = false;  // a reply is queued: the deadline does not apply
    bool ShutDown = false;
    bool Silent = true;     // no byte of its next request has come
    bool Served = false;    // it had a reply: while silent it is kept alive between two requests
    // Whether its request arrives at MinBytesPerSecond or faster since its
    // first byte, as of the last look.
    bool Receiving = false;
    // The reply's progress: bytes the peer acknowledged at SampleAt (unset
    // until the first sample), whether it moved slower than the minimum rate
    // over the last window, and since when it has been slow.
    TTime SampleAt{};
    std::uint64_t SampleAcked = 0;
    bool Slow = false;
    TTime SlowSince{};
    // Whether it may give its place up: it makes no progress at the fair rate.
    bool MayGo() const { return Used && !ShutDown && Fd >= 0 && (Replying ? Slow : !Receiving); }
    // Since when it has made no progress.
    TTime StaleSince() const { return Replying ? SlowSince : RequestSince; }
  };
  // Slots of the socket records, reused as sockets close; a record stays at
  // its place while used (the library keeps its address as the socket's
  // context), and a walk over all of them reads memory in order.
  std::deque<TSocket> Sockets_;
  std::vector<TSocket*> FreeSockets_;
  std::size_t Open_ = 0;  // sockets in use in Sockets_ not shut down
  std::size_t Opened_ = 0;
  std::unordered_map<std::string, TPeer> Peers_;
  std::uint64_t Choices_ = 0;
  std::vector<TPeer*> Candidates_;
  std::condition_variable WatchWake_;
  bool WatchStop_ = false;
  std::thread Watch_;

  // Sign-in checks answered later; Stop waits until none is outstanding, and
  // then (for a few seconds at most) until every connection suspended for an
  // answer has written it.
  std::mutex AsyncLock_;
  std::condition_variable AsyncDone_;
  int Outstanding_ = 0;
  int Owed_ = 0;  // connections suspended for an answer, until their request completes
  bool Stopping_ = false;

  // Suspended connections whose busy answer waits for the pause, by due time.
  std::mutex PauseLock_;
  std::condition_variable PauseWake_;
  std::multimap<std::chrono::steady_clock::time_point, std::function<void()>> Paused_;
  bool PauseStop_ = false;
  std::thread Pauser_;
};

}  // namespace qvserver
