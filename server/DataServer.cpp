#include "DataServer.h"

#include <arpa/inet.h>
#include <linux/tcp.h>
#include <microhttpd.h>
#include <netdb.h>
#include <netinet/in.h>
#include <strings.h>
#include <sys/resource.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstddef>
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
  bool Owed = false;  // suspended for an answer once: counted in Owed_ until the request completes
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

// The kernel's figures of a TCP socket, with the counts of bytes received,
// acknowledged and not sent yet; false when it has none.
bool ReadTcpInfo(int fd, tcp_info& info) {
  socklen_t length = sizeof info;
  return fd >= 0 && ::getsockopt(fd, IPPROTO_TCP, TCP_INFO, &info, &length) == 0 &&
         length >= offsetof(tcp_info, tcpi_notsent_bytes) + sizeof info.tcpi_notsent_bytes;
}

std::string AddressText(const sockaddr* addr) {
  char text[INET6_ADDRSTRLEN] = "?";
  if (addr && addr->sa_family == AF_INET)
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(addr)->sin_addr, text, sizeof text);
  else if (addr && addr->sa_family == AF_INET6)
    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(addr)->sin6_addr, text, sizeof text);
  return text;
}

TMhdResult AcceptCallback(void* cls, const sockaddr* /*address*/, socklen_t /*length*/) {
  return static_cast<DataServer*>(cls)->AdmitNewcomer() ? MHD_YES : MHD_NO;
}

void* RequestLineCallback(void* cls, const char* /*uri*/, MHD_Connection* connection) {
  static_cast<DataServer*>(cls)->OnRequestLine(connection);
  return nullptr;  // the request's own state is made once its headers are in
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
  return info ? AddressText(info->client_addr) : "?";
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

// Whether a header's value follows its name as received: name, the colon
// (made a NUL by the library), white space, value. The library joins a
// folded line to the name of the line before, in a copy made elsewhere, so
// that a folded name is not followed by its value. The walk back from the
// value stays within its received line.
bool ValueFollowsName(const char* name, const char* value) {
  if (!value) return true;
  const char* colon = value - 1;
  while (*colon == ' ' || *colon == '\t') --colon;
  return *colon == '\0' && name + std::strlen(name) == colon;
}

// The header lines (or the trailer lines of a chunked body) that frame a request body.
struct TFraming {
  int Lengths = 0;
  std::string FirstLength;
  bool LengthsDiffer = false;
  bool TransferEncoding = false;
  bool BadName = false;  // a name that is not a token
  bool Folded = false;   // a line continued on a line that starts with white space
  bool Trailer = false;  // the lines are the trailer of a chunked body
  // A body whose length two receivers could read differently: two different
  // Content-Length values, a length beside a transfer encoding, a name that
  // another receiver could read as one of those after trimming, or a folded
  // line that another receiver joins to the line before.
  bool Ambiguous() const { return LengthsDiffer || (Lengths > 0 && TransferEncoding) || BadName || Folded; }
  // The error text of a refused request.
  const char* Refusal() const {
    if (Folded && Trailer) return "Malformed trailer: a trailer line folded onto the next line";
    return Folded    ? "Malformed header: a header line folded onto the next line"
           : BadName ? "Malformed header: a header name holds white space or a separator"
                     : "Ambiguous request length: two Content-Length values or one with a transfer encoding";
  }
};

TMhdResult CountFraming(void* cls, MHD_ValueKind /*kind*/, const char* key, const char* value) {
  auto* framing = static_cast<TFraming*>(cls);
  if (!key || !IsToken(key)) framing->BadName = true;
  if (!key) return MHD_YES;
  if (!ValueFollowsName(key, value)) framing->Folded = true;
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

// Sockets beyond the limit that the library may hold for a moment: those shut
// down and not yet closed, and a newcomer per serving thread on its way in.
unsigned HeadroomOf(unsigned places, unsigned threads) { return std::max(2 * std::max(1u, threads), places / 16); }

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
  const unsigned headroom = HeadroomOf(connections, Options_.ThreadCount);
  Open_ = 0;
  unsigned int flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO | MHD_ALLOW_SUSPEND_RESUME;
  if (ipv6) flags |= MHD_USE_IPv6;
  // The library's own limit lies above ours by the headroom, so that it keeps
  // accepting at our limit: there each newcomer is admitted or refused by
  // AdmitNewcomer, instead of waiting unseen in the kernel's queue.
  Daemon_ = MHD_start_daemon(
      flags, port, &AcceptCallback, this, &AccessCallback, this, MHD_OPTION_SOCK_ADDR,
      reinterpret_cast<sockaddr*>(&address), MHD_OPTION_NOTIFY_COMPLETED, &CompletedCallback, this,
      MHD_OPTION_NOTIFY_CONNECTION, &ConnectionCallback, this, MHD_OPTION_URI_LOG_CALLBACK, &RequestLineCallback, this,
      MHD_OPTION_THREAD_POOL_SIZE, threads, MHD_OPTION_CONNECTION_LIMIT, connections + headroom,
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
    // Every answer is given now; the resumed connections write theirs before
    // the library closes them (a reader that takes none is not waited for long).
    constexpr auto kWriteGrace = std::chrono::seconds(5);
    std::unique_lock lock(AsyncLock_);
    AsyncDone_.wait(lock, [&] { return Outstanding_ == 0; });
    AsyncDone_.wait_for(lock, kWriteGrace, [&] { return Owed_ == 0; });
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
// process may open leave, less some for the database and the library's own
// and less the headroom: places + HeadroomOf(places) <= descriptors - 64.
unsigned DataServer::ConnectionLimit() const {
  constexpr rlim_t kOtherDescriptors = 64;
  rlimit limit{};
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return Options_.MaxConnections;
  const rlim_t room = limit.rlim_cur > 2 * kOtherDescriptors ? limit.rlim_cur - kOtherDescriptors : limit.rlim_cur / 2;
  // HeadroomOf(p) = max(2 threads, p / 16): p <= room * 16 / 17 keeps p / 16 within it.
  const rlim_t threads = 2 * std::max(1u, Options_.ThreadCount);
  const rlim_t places = std::min(room * 16 / 17, room > threads ? room - threads : 1);
  return static_cast<unsigned>(std::min<rlim_t>(Options_.MaxConnections, std::max<rlim_t>(1, places)));
}

std::chrono::steady_clock::time_point DataServer::Now() const {
  return Options_.Now ? Options_.Now() : std::chrono::steady_clock::now();
}

void DataServer::OnSocketOpened(void* connectionHandle, void** socketContext) {
  auto* connection = static_cast<MHD_Connection*>(connectionHandle);
  TSocket opened;
  opened.Used = true;
  opened.RequestSince = opened.SilentAt = Now();
  const MHD_ConnectionInfo* info = MHD_get_connection_info(connection, MHD_CONNECTION_INFO_CONNECTION_FD);
  if (info) opened.Fd = info->connect_fd;
  // A reader that stalls holds no more than this unsent in the kernel.
  if (opened.Fd >= 0 && Options_.MaxUnsentSocketBytes > 0)
    ::setsockopt(opened.Fd, IPPROTO_TCP, TCP_NOTSENT_LOWAT, &Options_.MaxUnsentSocketBytes,
                 sizeof Options_.MaxUnsentSocketBytes);
  const std::string address = PeerAddress(connection);
  std::lock_guard lock(SocketsLock_);
  opened.Peer = &Peers_[address];
  ++opened.Peer->Sockets;
  TSocket* socket = nullptr;
  if (FreeSockets_.empty()) {
    socket = &Sockets_.emplace_back();
  } else {
    socket = FreeSockets_.back();
    FreeSockets_.pop_back();
  }
  *socket = opened;
  *socketContext = socket;
  ++Open_;
  ++Opened_;
}

DataServer::TSocket* DataServer::UsedSocket(void* context) {
  auto* socket = static_cast<TSocket*>(context);
  return socket && socket->Used ? socket : nullptr;
}

// Places left = limit - open sockets. While more than the reserve are left, a
// newcomer simply takes one. Below it, a newcomer takes the place of a socket
// that may go (so the open count stays at the reserve's edge), or, when none
// may, a reserved place while any is left. A refused newcomer is closed by
// the library at once. The library itself refuses one beyond the per-address
// limit before asking.
bool DataServer::AdmitNewcomer() {
  std::lock_guard lock(SocketsLock_);
  if (Open_ + 1 + Reserve_ <= Limit_) return true;
  bool strike = false;
  if (TSocket* victim = VictimLocked(Now(), strike)) {
    ShutDownLocked(*victim, strike);
    return true;
  }
  return Open_ + 1 <= Limit_;
}

bool DataServer::StruckLocked(const TPeer& peer, std::chrono::steady_clock::time_point now) const {
  return peer.StruckAt != std::chrono::steady_clock::time_point{} && now - peer.StruckAt < Options_.StrikeMemory;
}

// One order of the sockets that may go: those of an address with a strike
// first, then of the address holding most that may go, its socket longest
// without progress. The chosen socket is looked at once more: a request whose
// bytes came since the last look (a newcomer's first request, or the next
// one on a kept-alive connection) keeps its place, and the choice is made
// again without it.
DataServer::TSocket* DataServer::VictimLocked(std::chrono::steady_clock::time_point now, bool& strike) {
  for (;;) {
    const std::uint64_t choice = ++Choices_;
    Candidates_.clear();
    for (TSocket& socket : Sockets_) {
      if (!socket.MayGo()) continue;
      TPeer& peer = *socket.Peer;
      if (peer.Choice != choice) {
        peer.Choice = choice;
        peer.MayGo = 0;
        peer.Oldest = nullptr;
        Candidates_.push_back(&peer);
      }
      ++peer.MayGo;
      if (!peer.Oldest || socket.StaleSince() < peer.Oldest->StaleSince()) peer.Oldest = &socket;
    }
    const TPeer* chosen = nullptr;
    bool chosenStruck = false;
    for (const TPeer* peer : Candidates_) {
      const bool struck = StruckLocked(*peer, now);
      const bool before = !chosen                    ? true
                          : struck != chosenStruck   ? struck
                          : peer->MayGo != chosen->MayGo ? peer->MayGo > chosen->MayGo
                                                       : peer->Oldest->StaleSince() < chosen->Oldest->StaleSince();
      if (before) {
        chosen = peer;
        chosenStruck = struck;
      }
    }
    if (!chosen) return nullptr;
    TSocket& socket = *chosen->Oldest;
    if (!socket.Replying && ReceivingLocked(socket, now)) continue;
    strike = !(socket.Silent && socket.Served);
    return &socket;
  }
}

bool DataServer::AwaitingRequest(const TSocket& socket) {
  return !socket.Replying && !socket.ShutDown && socket.Fd >= 0;
}

void DataServer::ShutDownLocked(TSocket& socket, bool strike) {
  ::shutdown(socket.Fd, SHUT_RDWR);
  socket.ShutDown = true;
  --Open_;
  if (strike) socket.Peer->StruckAt = Now();
}

void DataServer::ForgetPeersLocked(std::chrono::steady_clock::time_point now) {
  // Addresses seen lately are few; a flood of ever new ones loses its strikes rather than the memory.
  constexpr std::size_t kMostRemembered = 100000;
  const bool crowded = Peers_.size() > kMostRemembered;
  std::erase_if(Peers_, [&](const auto& entry) {
    return entry.second.Sockets == 0 && (crowded || !StruckLocked(entry.second, now));
  });
}

// Called before the library closes the descriptor: once the record is gone
// the watcher never touches that descriptor number again.
void DataServer::OnSocketClosed(void** socketContext) {
  std::lock_guard lock(SocketsLock_);
  if (TSocket* socket = UsedSocket(*socketContext)) {
    --socket->Peer->Sockets;
    if (!socket->ShutDown) --Open_;
    *socket = TSocket{};
    FreeSockets_.push_back(socket);
  }
  *socketContext = nullptr;
}

DataServer::TSocketCounts DataServer::SocketCounts() {
  std::lock_guard lock(SocketsLock_);
  TSocketCounts counts;
  counts.Opened = Opened_;
  for (const TSocket& socket : Sockets_) {
    if (!socket.Used || socket.ShutDown) continue;
    ++counts.Open;
    counts.Silent += socket.Silent ? 1 : 0;
    counts.Kept += socket.Silent && socket.Served ? 1 : 0;
    counts.Replying += socket.Replying ? 1 : 0;
    counts.Slow += socket.Slow ? 1 : 0;
  }
  return counts;
}

void DataServer::OnRequestLine(void* connectionHandle) {
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(static_cast<MHD_Connection*>(connectionHandle), MHD_CONNECTION_INFO_SOCKET_CONTEXT);
  if (!info || !info->socket_context) return;
  std::lock_guard lock(SocketsLock_);
  TSocket* found = UsedSocket(info->socket_context);
  if (!found || !found->Silent) return;
  // Its first byte came since the last look: the request starts now.
  TSocket& socket = *found;
  socket.Silent = false;
  socket.RequestSince = Now();
  socket.Receiving = true;
}

void DataServer::SetReplying(void* connectionHandle, bool replying) {
  const MHD_ConnectionInfo* info =
      MHD_get_connection_info(static_cast<MHD_Connection*>(connectionHandle), MHD_CONNECTION_INFO_SOCKET_CONTEXT);
  if (!info || !info->socket_context) return;
  std::lock_guard lock(SocketsLock_);
  TSocket* found = UsedSocket(info->socket_context);
  if (!found) return;
  TSocket& socket = *found;
  socket.Replying = replying;
  socket.Slow = false;
  socket.Receiving = false;
  tcp_info tcp{};
  const bool measured = ReadTcpInfo(socket.Fd, tcp);
  if (replying) {
    // The reply's first window starts now.
    socket.SampleAt = measured ? Now() : std::chrono::steady_clock::time_point{};
    socket.SampleAcked = tcp.tcpi_bytes_acked;
    return;
  }
  // A reply ended: kept alive and silent until the next request's first
  // byte, from which that request has its own deadline and rate.
  socket.Served = true;
  socket.Silent = true;
  socket.RequestSince = socket.SilentAt = Now();
  if (measured) socket.RequestBytes = tcp.tcpi_bytes_received;
}

// Shuts down sockets silent too long or whose request has not arrived whole
// in time; the library sees the end of the stream and closes the connection
// itself.
void DataServer::WatchRequestDeadlines() {
  const auto period = std::clamp<std::chrono::milliseconds>(Options_.RequestTimeout / 4, std::chrono::milliseconds(20),
                                                            std::chrono::milliseconds(250));
  std::unique_lock lock(SocketsLock_);
  while (!WatchStop_) {
    WatchWake_.wait_for(lock, period, [&] { return WatchStop_; });
    LookLocked();
  }
}

void DataServer::Look() {
  std::lock_guard lock(SocketsLock_);
  LookLocked();
}

void DataServer::LookLocked() {
  const auto now = Now();
  for (TSocket& socket : Sockets_) {
    if (!socket.Used) continue;
    if (!socket.ShutDown && socket.Fd >= 0) SampleLocked(socket, now);
    if (!AwaitingRequest(socket)) continue;
    if (now - socket.RequestSince <= Options_.RequestTimeout) continue;
    ShutDownLocked(socket, !(socket.Silent && socket.Served));
  }
  ForgetPeersLocked(now);
}

// A request arrives fairly when bytes received since its first byte >=
// MinBytesPerSecond x seconds since that byte. A look that finds the first
// bytes takes the last time the socket was seen silent for it: a client that
// sends its request at once has long parsed its request line (which marks
// the start exactly), so the bound costs only one that trickles.
bool DataServer::ReceivingLocked(TSocket& socket, std::chrono::steady_clock::time_point now) {
  tcp_info info{};
  if (!ReadTcpInfo(socket.Fd, info)) return socket.Receiving;
  const std::uint64_t received = info.tcpi_bytes_received - socket.RequestBytes;
  if (socket.Silent) {
    if (received == 0) {
      socket.SilentAt = now;
      return socket.Receiving = false;
    }
    socket.Silent = false;
    socket.RequestSince = socket.SilentAt;
  }
  const double seconds = std::chrono::duration<double>(now - socket.RequestSince).count();
  socket.Receiving = static_cast<double>(received) >= static_cast<double>(Options_.MinBytesPerSecond) * seconds;
  return socket.Receiving;
}

// A reply is slow when the peer acknowledged fewer than MinBytesPerSecond x
// seconds since the last sample (at least SlowReplyWindow ago) while reply
// bytes waited unsent in the socket; a reply that the server itself has not
// produced yet leaves nothing unsent, so it is never slow. It has been slow
// since the start of the first such window.
void DataServer::SampleLocked(TSocket& socket, std::chrono::steady_clock::time_point now) {
  using TTime = std::chrono::steady_clock::time_point;
  if (!socket.Replying) {
    ReceivingLocked(socket, now);
    return;
  }
  if (socket.SampleAt != TTime{} && now - socket.SampleAt < Options_.SlowReplyWindow) return;
  tcp_info info{};
  if (!ReadTcpInfo(socket.Fd, info)) return;
  if (socket.SampleAt != TTime{}) {
    const double seconds = std::chrono::duration<double>(now - socket.SampleAt).count();
    const double moved = static_cast<double>(info.tcpi_bytes_acked - socket.SampleAcked);
    const bool slow = info.tcpi_notsent_bytes > 0 && moved < static_cast<double>(Options_.MinBytesPerSecond) * seconds;
    if (slow && !socket.Slow) socket.SlowSince = socket.SampleAt;
    socket.Slow = slow;
  }
  socket.SampleAt = now;
  socket.SampleAcked = info.tcpi_bytes_acked;
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
    if (framing.Ambiguous()) return Refuse(connection, *state, method, url, framing.Refusal());
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
  // The trailer lines of a chunked body, read as the header lines are.
  TFraming trailer;
  trailer.Trailer = true;
  if (MHD_get_connection_values(connection, MHD_FOOTER_KIND, &CountFraming, &trailer) > 0 && trailer.Ambiguous())
    return Refuse(connection, *state, method, url, trailer.Refusal());
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
        Suspend(connection, *state);
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
  Suspend(connection, *state);
  // A held answer given already: this thread sees to its pause.
  const bool held = state->Deferred && state->Held;
  lock.unlock();
  if (held) HoldThenResume(connection, state);
  return MHD_YES;
}

// Answers 400 with `error` and closes the connection after the reply (what
// follows the refused part is never read).
int DataServer::Refuse(void* connection, TConnection& state, const char* method, const char* url, const char* error) {
  state.Close = true;
  state.Answered = true;
  THttpAnswer answer;
  answer.Status = 400;
  answer.Body = StatusReply("", error);
  return Queue(connection, state, method, url, std::move(answer));
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

// The state's lock is held.
void DataServer::Suspend(void* connection, TConnection& state) {
  state.Suspended = true;
  if (!state.Owed) {
    state.Owed = true;
    std::lock_guard lock(AsyncLock_);
    ++Owed_;
  }
  MHD_suspend_connection(static_cast<MHD_Connection*>(connection));
}

void DataServer::OnCompleted(void* connection, void** context) {
  auto* state = static_cast<TConnection*>(*context);
  if (state && state->Owed) {
    std::lock_guard lock(AsyncLock_);
    if (--Owed_ == 0) AsyncDone_.notify_all();
  }
  delete state;
  *context = nullptr;
  SetReplying(connection, false);
}

}  // namespace qvserver
