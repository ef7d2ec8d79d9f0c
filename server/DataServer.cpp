#include "DataServer.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netdb.h>
#include <strings.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ReplyWriter.h"

namespace qvserver {

#if MHD_VERSION >= 0x00097002
using TMhdResult = MHD_Result;
#else
using TMhdResult = int;
#endif

struct DataServer::TConnection {
  std::string Body;
  bool TooLarge = false;
  bool Close = false;     // the body is left unread: the connection closes after the reply
  bool Answered = false;  // a reply was queued before the body was read
  std::chrono::steady_clock::time_point Started = std::chrono::steady_clock::now();
  // Password work answered later: the connection is suspended until then.
  std::mutex Lock;
  bool Suspended = false;
  std::optional<THttpAnswer> Deferred;
  bool Held = false;  // Deferred is a busy answer that waits for the pause
};

// One open socket, watched for the request deadline.
struct DataServer::TSocket {
  int Fd = -1;
  std::string Address;  // the peer's
  std::chrono::steady_clock::time_point RequestSince = std::chrono::steady_clock::now();
  bool Replying = false;  // a reply is queued: the deadline does not apply
  bool ShutDown = false;
};

namespace {

TMhdResult AccessCallback(void* cls, MHD_Connection* connection, const char* url, const char* method,
                          const char* /*version*/, const char* uploadData, std::size_t* uploadDataSize,
                          void** context) {
  auto* server = static_cast<DataServer*>(cls);
  return static_cast<TMhdResult>(server->OnRequest(connection, url, method, uploadData, uploadDataSize, context));
}

void CompletedCallback(void* cls, MHD_Connection* connection, void** context, MHD_RequestTerminationCode /*code*/) {
  static_cast<DataServer*>(cls)->OnCompleted(connection, context);
}

void ConnectionCallback(void* cls, MHD_Connection* connection, void** socketContext,
                        MHD_ConnectionNotificationCode code) {
  auto* server = static_cast<DataServer*>(cls);
  if (code == MHD_CONNECTION_NOTIFY_STARTED)
    server->OnSocketOpened(connection, socketContext);
  else
    server->OnSocketClosed(socketContext);
}

std::string PeerAddress(MHD_Connection* connection) {
  const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CLIENT_ADDRESS);
  if (!info || !info->client_addr) return "?";
  char text[INET6_ADDRSTRLEN] = "?";
  const sockaddr* addr = info->client_addr;
  if (addr->sa_family == AF_INET)
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(addr)->sin_addr, text, sizeof text);
  else if (addr->sa_family == AF_INET6)
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(addr)->sin6_addr, text, sizeof text);
  return text;
}

// Whether a header name is an HTTP token: letters, digits and !#$%&'*+-.^_`|~.
// The library keeps white space before the colon in the name, and a folded
// line inside it, so "Content-Length : 5" reaches us as a header named
// "Content-Length ".
bool IsToken(std::string_view name) {
  constexpr std::string_view kMarks = "!#$%&'*+-.^_`|~";
  return !name.empty() && std::all_of(name.begin(), name.end(), [&](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           kMarks.find(c) != std::string_view::npos;
  });
}

// The headers that frame a request body.
struct TFraming {
  int Lengths = 0;
  std::string FirstLength;
  bool LengthsDiffer = false;
  bool TransferEncoding = false;
  bool BadName = false;  // a header name that is not a token
  // A body whose length two receivers could read differently: two different
  // Content-Length values, a length beside a transfer encoding, or a header
  // name that another receiver could read as one of those after trimming.
  bool Ambiguous() const { return LengthsDiffer || (Lengths > 0 && TransferEncoding) || BadName; }
};

TMhdResult CountFraming(void* cls, MHD_ValueKind /*kind*/, const char* key, const char* value) {
  auto* framing = static_cast<TFraming*>(cls);
  if (!key || !IsToken(key)) framing->BadName = true;
  if (strcasecmp(key, MHD_HTTP_HEADER_CONTENT_LENGTH) == 0) {
    const std::string text = value ? value : "";
    if (framing->Lengths++ == 0)
      framing->FirstLength = text;
    else if (text != framing->FirstLength)
      framing->LengthsDiffer = true;
  }
  if (strcasecmp(key, MHD_HTTP_HEADER_TRANSFER_ENCODING) == 0) framing->TransferEncoding = true;
  return MHD_YES;
}

// Each pool thread takes an equal share of the connection limit, so there are
// never more threads than connections allowed.
unsigned PoolSize(unsigned threads, unsigned connections) { return std::max(1u, std::min(threads, connections)); }

TSignInLimits SignInLimitsOf(const TDataServerOptions& options) {
  TSignInLimits limits = options.SignIn;
  // A queue without places would refuse every sign-in.
  if (limits.MaxChecks <= 0) limits.MaxChecks = 32;
  return limits;
}

// A reply body handed to the library as the connection drains: the whole
// body at once, or piece by piece when it has pieces. Pending counts the bytes
// produced and not yet handed over: pending = produced - handed over. Bytes
// handed over sit in the library's block buffer and the socket, both bounded
// per connection, so a stalled reader holds at most one piece here.
struct TReplyStream {
  std::function<bool(std::string&)> NextPiece;
  std::atomic<std::size_t>* Pending = nullptr;
  std::string Buffer;
  std::size_t Offset = 0;
  bool Done = false;
  TReplyStream(std::atomic<std::size_t>& pending, std::string body, std::function<bool(std::string&)> nextPiece)
      : NextPiece(std::move(nextPiece)), Pending(&pending), Buffer(std::move(body)), Done(!NextPiece) {
    *Pending += Buffer.size();
  }
  ~TReplyStream() { *Pending -= Buffer.size() - Offset; }
  TReplyStream(const TReplyStream&) = delete;
  TReplyStream& operator=(const TReplyStream&) = delete;
};

ssize_t ReadReply(void* cls, std::uint64_t /*position*/, char* target, std::size_t room) {
  auto* stream = static_cast<TReplyStream*>(cls);
  try {
    while (stream->Offset == stream->Buffer.size()) {
      stream->Buffer.clear();
      stream->Offset = 0;
      if (stream->Done || !stream->NextPiece(stream->Buffer)) {
        stream->Done = true;
        stream->Buffer.clear();
        return MHD_CONTENT_READER_END_OF_STREAM;
      }
      *stream->Pending += stream->Buffer.size();
    }
  } catch (...) {
    // The status line is gone already: all that is left is to break off.
    return MHD_CONTENT_READER_END_WITH_ERROR;
  }
  const std::size_t count = std::min(room, stream->Buffer.size() - stream->Offset);
  std::memcpy(target, stream->Buffer.data() + stream->Offset, count);
  stream->Offset += count;
  *stream->Pending -= count;
  return static_cast<ssize_t>(count);
}

// Bytes handed to the socket per read of a piece stream.
constexpr std::size_t kStreamBlockBytes = 32 * 1024;

}  // namespace

std::string EscapeLogText(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      out += "\\x";
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xf]);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

DataServer::DataServer(TServerStore& store, TDataServerOptions options)
    : Store_(store), Options_(std::move(options)), Handler_(store, SignInLimitsOf(Options_)) {}

DataServer::~DataServer() { Stop(); }

bool DataServer::Start(const std::string& host, std::uint16_t port, std::string& error) {
  if (Daemon_) {
    error = "Server already started";
    return false;
  }
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &found); rc != 0 || !found) {
    error = "Cannot resolve listen address " + host + ": " + gai_strerror(rc);
    return false;
  }
  sockaddr_storage address{};
  std::memcpy(&address, found->ai_addr, found->ai_addrlen);
  const bool ipv6 = found->ai_family == AF_INET6;
  freeaddrinfo(found);

  // A pool of polling threads: a connection that sends or reads slowly holds
  // a socket and a little memory, never a thread.
  const unsigned connections = ConnectionLimit();
  Limit_ = connections;
  // With a small limit the full reserve would leave no ordinary places.
  Reserve_ = std::min(Options_.ReservedConnections, connections / 4);
  const unsigned threads = PoolSize(Options_.ThreadCount, connections);
  unsigned int flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO | MHD_ALLOW_SUSPEND_RESUME;
  if (ipv6) flags |= MHD_USE_IPv6;
  Daemon_ = MHD_start_daemon(
      flags, port, nullptr, nullptr, &AccessCallback, this, MHD_OPTION_SOCK_ADDR, reinterpret_cast<sockaddr*>(&address),
      MHD_OPTION_NOTIFY_COMPLETED, &CompletedCallback, this, MHD_OPTION_NOTIFY_CONNECTION, &ConnectionCallback, this,
      MHD_OPTION_THREAD_POOL_SIZE, threads, MHD_OPTION_CONNECTION_LIMIT, connections,
      MHD_OPTION_PER_IP_CONNECTION_LIMIT, Options_.MaxConnectionsPerIp, MHD_OPTION_CONNECTION_TIMEOUT,
      Options_.IdleTimeoutSeconds, MHD_OPTION_END);
  if (!Daemon_) {
    error = "Cannot listen on " + host + ":" + std::to_string(port) + " (address in use or not allowed)";
    return false;
  }
  const MHD_DaemonInfo* info = MHD_get_daemon_info(Daemon_, MHD_DAEMON_INFO_BIND_PORT);
  Port_ = info ? info->port : port;
  {
    std::lock_guard lock(SocketsLock_);
    WatchStop_ = false;
  }
  {
    std::lock_guard lock(AsyncLock_);
    Stopping_ = false;
  }
  {
    std::lock_guard lock(PauseLock_);
    PauseStop_ = false;
  }
  Watch_ = std::thread([this] { WatchRequestDeadlines(); });
  Pauser_ = std::thread([this] { RunPauses(); });
  return true;
}

void DataServer::Stop() {
  if (!Daemon_) return;
  // Every suspended connection is resumed before the library stops: waiting
  // checks are refused, running ones finish; later requests are answered in place.
  {
    std::lock_guard lock(AsyncLock_);
    Stopping_ = true;
  }
  Handler_.DrainSignIns();
  {
    std::lock_guard lock(PauseLock_);
    PauseStop_ = true;
  }
  PauseWake_.notify_all();
  if (Pauser_.joinable()) Pauser_.join();
  {
    std::unique_lock lock(AsyncLock_);
    AsyncDone_.wait(lock, [&] { return Outstanding_ == 0; });
  }
  {
    std::lock_guard lock(SocketsLock_);
    WatchStop_ = true;
  }
  WatchWake_.notify_all();
  if (Watch_.joinable()) Watch_.join();
  MHD_stop_daemon(Daemon_);
  Daemon_ = nullptr;
  Port_ = 0;
}

// The connection limit: as configured, but no more than the descriptors the
// process may open, less some for the database and the library's own.
unsigned DataServer::ConnectionLimit() const {
  constexpr rlim_t kOtherDescriptors = 64;
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return Options_.MaxConnections;
  const rlim_t room = limit.rlim_cur > 2 * kOtherDescriptors ? limit.rlim_cur - kOtherDescriptors : limit.rlim_cur / 2;
  return static_cast<unsigned>(std::min<rlim_t>(Options_.MaxConnections, std::max<rlim_t>(1, room)));
}

void DataServer::OnSocketOpened(void* connectionHandle, void** socketContext) {
  auto* connection = static_cast<MHD_Connection*>(connectionHandle);
  auto socket = std::make_unique<TSocket>();
  const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
  if (info) socket->Fd = info->connect_fd;
  socket->Address = PeerAddress(connection);
  std::lock_guard lock(SocketsLock_);
  *socketContext = socket.get();
  Sockets_.emplace(socket.get(), std::move(socket));
  EvictForNewcomerLocked();
}

// Places left = limit - open sockets; below the reserve, one socket goes per
// newcomer (so the open count stays at the reserve's edge): of the addresses
// holding the most sockets that wait for their request to arrive whole, the
// one whose such socket has waited longest gives that socket up. So a
// flooding address pays for its own trickle, and one slow upload from another
// address is left to finish. A socket replying, or waiting less than
// EvictAfter, is kept (a real client's request arrives at once): when the
// heaviest addresses hold only such sockets, none goes this time.
void DataServer::EvictForNewcomerLocked() {
  if (Sockets_.size() + Reserve_ <= Limit_) return;
  const auto now = std::chrono::steady_clock::now();
  struct TWaiting {
    std::size_t Count = 0;      // sockets waiting for their request
    TSocket* Oldest = nullptr;  // the longest-waiting of them, when past EvictAfter
  };
  std::unordered_map<std::string_view, TWaiting> waiting;
  std::size_t open = 0;  // sockets not shut down already
  for (auto& [key, socket] : Sockets_) {
    if (!socket->ShutDown) ++open;
    if (!AwaitingRequest(*socket)) continue;
    TWaiting& address = waiting[socket->Address];
    ++address.Count;
    if (now - socket->RequestSince < Options_.EvictAfter) continue;
    if (!address.Oldest || socket->RequestSince < address.Oldest->RequestSince) address.Oldest = socket.get();
  }
  if (open + Reserve_ <= Limit_) return;
  std::size_t most = 0;
  for (const auto& [address, counted] : waiting) most = std::max(most, counted.Count);
  TSocket* victim = nullptr;
  for (const auto& [address, counted] : waiting) {
    if (counted.Count != most || !counted.Oldest) continue;
    if (!victim || counted.Oldest->RequestSince < victim->RequestSince) victim = counted.Oldest;
  }
  if (victim) ShutDownLocked(*victim);
}

bool DataServer::AwaitingRequest(const TSocket& socket) {
  return !socket.Replying && !socket.ShutDown && socket.Fd >= 0;
}

void DataServer::ShutDownLocked(TSocket& socket) {
  ::shutdown(socket.Fd, SHUT_RDWR);
  socket.ShutDown = true;
}

// Called before the library closes the descriptor: once the record is gone
// the watcher never touches that descriptor number again.
void DataServer::OnSocketClosed(void** socketContext) {
  std::lock_guard lock(SocketsLock_);
  Sockets_.erase(static_cast<TSocket*>(*socketContext));
  *socketContext = nullptr;
}

void DataServer::SetReplying(void* connectionHandle, bool replying) {
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(static_cast<MHD_Connection*>(connectionHandle), MHD_CONNECTION_INFO_SOCKET_CONTEXT);
  if (!info || !info->socket_context) return;
  std::lock_guard lock(SocketsLock_);
  const auto found = Sockets_.find(static_cast<TSocket*>(info->socket_context));
  if (found == Sockets_.end()) return;
  found->second->Replying = replying;
  // The next request on a kept-alive connection has its own deadline.
  if (!replying) found->second->RequestSince = std::chrono::steady_clock::now();
}

// Shuts down sockets whose request has not arrived whole in time; the
// library sees the end of the stream and closes the connection itself.
void DataServer::WatchRequestDeadlines() {
  const auto period = std::clamp<std::chrono::milliseconds>(Options_.RequestTimeout / 4, std::chrono::milliseconds(20),
                                                            std::chrono::milliseconds(1000));
  std::unique_lock lock(SocketsLock_);
  while (!WatchStop_) {
    WatchWake_.wait_for(lock, period, [&] { return WatchStop_; });
    const auto now = std::chrono::steady_clock::now();
    for (auto& [key, socket] : Sockets_) {
      if (!AwaitingRequest(*socket)) continue;
      if (now - socket->RequestSince <= Options_.RequestTimeout) continue;
      ShutDownLocked(*socket);
    }
  }
}

int DataServer::OnRequest(void* connectionHandle, const char* url, const char* method, const char* uploadData,
                          std::size_t* uploadDataSize, void** context) {
  auto* connection = static_cast<MHD_Connection*>(connectionHandle);
  if (*context == nullptr) {
    auto* state = new TConnection;
    *context = state;
    // A body of ambiguous length is refused unread, and the connection closed.
    TFraming framing;
    MHD_get_connection_values(connection, MHD_HEADER_KIND, &CountFraming, &framing);
    if (framing.Ambiguous()) {
      state->Close = true;
      state->Answered = true;
      THttpAnswer answer;
      answer.Status = 400;
      answer.Body = StatusReply("", framing.BadName ? "Malformed header: a header name holds white space or a separator"
                                                    : "Ambiguous request length: two Content-Length values or one "
                                                      "with a transfer encoding");
      return Queue(connection, *state, method, url, std::move(answer));
    }
    // An announced length above the limit is refused at once: the body is
    // never read and the connection is closed after the reply.
    if (framing.Lengths > 0 && std::strtoull(framing.FirstLength.c_str(), nullptr, 10) > Options_.MaxBodyBytes) {
      state->TooLarge = true;  // closes the connection after the reply
      state->Answered = true;
      return Queue(connection, *state, method, url, Handler_.Handle(method, url, {}, true));
    }
    return MHD_YES;
  }
  auto* state = static_cast<TConnection*>(*context);
  if (*uploadDataSize != 0) {
    if (!state->TooLarge) {
      if (state->Body.size() + *uploadDataSize > Options_.MaxBodyBytes) {
        state->TooLarge = true;
        state->Body.clear();
        state->Body.shrink_to_fit();
      } else {
        state->Body.append(uploadData, *uploadDataSize);
      }
    }
    *uploadDataSize = 0;
    return MHD_YES;
  }
  if (state->Answered) return MHD_YES;
  // The request has arrived whole: its deadline is met, however long a
  // password job now waits.
  SetReplying(connection, true);

  {
    std::lock_guard lock(state->Lock);
    if (state->Deferred) {
      THttpAnswer answer = std::move(*state->Deferred);
      state->Deferred.reset();
      return Queue(connection, *state, method, url, std::move(answer));
    }
  }
  {
    std::lock_guard lock(AsyncLock_);
    if (Stopping_)
      return Queue(connection, *state, method, url,
                   Handler_.Handle(method, url, state->Body, state->TooLarge, PeerAddress(connection)));
    ++Outstanding_;
  }
  // Password work answers later on another thread: the connection is
  // suspended meanwhile and resumed with its answer, so no serving thread
  // waits for a check. A busy answer is held back for the pause first.
  auto later = [this, connection, state](THttpAnswer given) {
    const bool held = Held(given);
    bool pause = false;
    {
      std::lock_guard lock(state->Lock);
      state->Deferred = std::move(given);
      state->Held = held;
      if (state->Suspended && !held) {
        state->Suspended = false;
        MHD_resume_connection(connection);
      }
      pause = state->Suspended;  // suspended and held: resumed after the pause
    }
    // A held answer given before the connection was suspended is left to the request's thread.
    if (pause)
      HoldThenResume(connection, state);
    else if (!held)
      FinishAsync();
  };
  std::optional<THttpAnswer> answer;
  if (PendingReplyBytes_.load() > Options_.MaxPendingReplyBytes) {
    answer = THttpAnswer{};
    answer->Status = 503;
    answer->Body = StatusReply("", "Server busy, try again later");
    answer->Pause = true;
  } else {
    answer = Handler_.HandleAsync(method, url, state->Body, state->TooLarge, PeerAddress(connection), later);
  }
  if (answer) {
    if (Held(*answer)) {
      {
        std::lock_guard lock(state->Lock);
        state->Deferred = std::move(*answer);
        state->Suspended = true;
        MHD_suspend_connection(connection);
      }
      HoldThenResume(connection, state);
      return MHD_YES;
    }
    FinishAsync();
    return Queue(connection, *state, method, url, std::move(*answer));
  }
  std::unique_lock lock(state->Lock);
  if (state->Deferred && !state->Held) {
    // Answered already (refused at once): no need to suspend.
    THttpAnswer ready = std::move(*state->Deferred);
    state->Deferred.reset();
    return Queue(connection, *state, method, url, std::move(ready));
  }
  state->Suspended = true;
  MHD_suspend_connection(connection);
  // A held answer given already: this thread sees to its pause.
  const bool held = state->Deferred && state->Held;
  lock.unlock();
  if (held) HoldThenResume(connection, state);
  return MHD_YES;
}

bool DataServer::Held(const THttpAnswer& answer) const {
  return answer.Pause && Options_.BusyPause.count() > 0;
}

// Resumes the suspended connection once the busy pause has passed (at once
// when the server stops), and ends its outstanding answer.
void DataServer::HoldThenResume(void* connectionHandle, TConnection* state) {
  auto resume = [this, connectionHandle, state] {
    {
      std::lock_guard lock(state->Lock);
      state->Held = false;
      if (state->Suspended) {
        state->Suspended = false;
        MHD_resume_connection(static_cast<MHD_Connection*>(connectionHandle));
      }
    }
    FinishAsync();
  };
  {
    std::lock_guard lock(PauseLock_);
    if (!PauseStop_) {
      Paused_.emplace(std::chrono::steady_clock::now() + Options_.BusyPause, std::move(resume));
      PauseWake_.notify_all();
      return;
    }
  }
  resume();
}

void DataServer::RunPauses() {
  std::unique_lock lock(PauseLock_);
  while (!PauseStop_) {
    if (Paused_.empty()) {
      PauseWake_.wait(lock);
      continue;
    }
    const auto first = Paused_.begin();
    if (first->first > std::chrono::steady_clock::now()) {
      PauseWake_.wait_until(lock, first->first);
      continue;
    }
    std::function<void()> resume = std::move(first->second);
    Paused_.erase(first);
    lock.unlock();
    resume();
    lock.lock();
  }
  // Stopping: every held answer goes at once.
  auto rest = std::move(Paused_);
  Paused_.clear();
  lock.unlock();
  for (auto& [due, resume] : rest) resume();
}

void DataServer::FinishAsync() {
  std::lock_guard lock(AsyncLock_);
  if (--Outstanding_ == 0) AsyncDone_.notify_all();
}

int DataServer::Queue(void* connectionHandle, TConnection& state, const char* method, const char* url,
                      THttpAnswer answer) {
  auto* connection = static_cast<MHD_Connection*>(connectionHandle);
  const bool streamed = static_cast<bool>(answer.NextPiece);
  const std::size_t bytes = answer.Body.size();
  // Every reply is handed over as the connection drains, so that the pending
  // count sees what is delivered; a whole body goes with its length.
  auto* stream = new TReplyStream(PendingReplyBytes_, std::move(answer.Body), std::move(answer.NextPiece));
  MHD_Response* response = MHD_create_response_from_callback(
      streamed ? MHD_SIZE_UNKNOWN : bytes,
      streamed ? kStreamBlockBytes : std::clamp<std::size_t>(bytes, 1, kStreamBlockBytes), &ReadReply, stream,
      [](void* cls) { delete static_cast<TReplyStream*>(cls); });
  if (!response) {
    delete stream;
    return MHD_NO;
  }
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.ContentType.c_str());
  // The idle timer restarts with the reply: password work may have waited
  // longer than the idle timeout (a new value after 0 restarts the timer).
  MHD_set_connection_option(connection, MHD_CONNECTION_OPTION_TIMEOUT, 0u);
  MHD_set_connection_option(connection, MHD_CONNECTION_OPTION_TIMEOUT, Options_.IdleTimeoutSeconds);
  // A refused body was not read to its end: close the connection.
  if (state.Close || state.TooLarge) MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
  const int result = MHD_queue_response(connection, static_cast<unsigned int>(answer.Status), response);
  MHD_destroy_response(response);
  if (result == MHD_YES) SetReplying(connection, true);

  if (Options_.LogRequests) {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - state.Started);
    char figures[160];
    std::snprintf(figures, sizeof figures, " kind=%d status=%d in=%zu out=%s %.1fms", answer.Kind, answer.Status,
                  state.Body.size(), streamed ? "stream" : std::to_string(bytes).c_str(),
                  static_cast<double>(elapsed.count()) / 1000.0);
    Log(PeerAddress(connection) + " " + EscapeLogText(method) + " " + EscapeLogText(url) + figures);
  }
  return result;
}

void DataServer::Log(const std::string& line) const {
  if (Options_.LogSink)
    Options_.LogSink(line);
  else
    std::fprintf(stderr, "%s\n", line.c_str());
}

void DataServer::OnCompleted(void* connection, void** context) {
  delete static_cast<TConnection*>(*context);
  *context = nullptr;
  SetReplying(connection, false);
}

}  // namespace qvserver
