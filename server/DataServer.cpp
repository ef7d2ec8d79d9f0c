#include "DataServer.h"

#include <arpa/inet.h>
#include <microhttpd.h>
#include <netdb.h>
#include <sys/socket.h>

#include <algorithm>
#include <chrono>
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
  bool Answered = false;       // a reply was queued before the body was read
  std::size_t ReplyBytes = 0;  // counted in PendingReplyBytes_ until the connection completes
  std::chrono::steady_clock::time_point Started = std::chrono::steady_clock::now();
};

namespace {

TMhdResult AccessCallback(void* cls, MHD_Connection* connection, const char* url, const char* method,
                          const char* /*version*/, const char* uploadData, std::size_t* uploadDataSize,
                          void** context) {
  auto* server = static_cast<DataServer*>(cls);
  return static_cast<TMhdResult>(server->OnRequest(connection, url, method, uploadData, uploadDataSize, context));
}

void CompletedCallback(void* cls, MHD_Connection* /*connection*/, void** context, MHD_RequestTerminationCode /*code*/) {
  static_cast<DataServer*>(cls)->OnCompleted(context);
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

// Each pool thread takes an equal share of the connection limit, so there are
// never more threads than connections allowed.
unsigned PoolSize(const TDataServerOptions& options) {
  return std::max(1u, std::min(options.ThreadCount, options.MaxConnections));
}

}  // namespace

DataServer::DataServer(TServerStore& store, TDataServerOptions options)
    : Store_(store),
      Options_(options),
      // Sign-in checks leave at least four serving threads to other requests.
      Handler_(store, std::max(2, static_cast<int>(PoolSize(options)) - 4)) {}

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
  const unsigned threads = PoolSize(Options_);
  unsigned int flags = MHD_USE_INTERNAL_POLLING_THREAD | MHD_USE_AUTO;
  if (ipv6) flags |= MHD_USE_IPv6;
  Daemon_ = MHD_start_daemon(flags, port, nullptr, nullptr, &AccessCallback, this, MHD_OPTION_SOCK_ADDR,
                             reinterpret_cast<sockaddr*>(&address), MHD_OPTION_NOTIFY_COMPLETED, &CompletedCallback,
                             this, MHD_OPTION_THREAD_POOL_SIZE, threads, MHD_OPTION_CONNECTION_LIMIT,
                             Options_.MaxConnections, MHD_OPTION_PER_IP_CONNECTION_LIMIT, Options_.MaxConnectionsPerIp,
                             MHD_OPTION_CONNECTION_TIMEOUT, Options_.IdleTimeoutSeconds, MHD_OPTION_END);
  if (!Daemon_) {
    error = "Cannot listen on " + host + ":" + std::to_string(port) + " (address in use or not allowed)";
    return false;
  }
  const MHD_DaemonInfo* info = MHD_get_daemon_info(Daemon_, MHD_DAEMON_INFO_BIND_PORT);
  Port_ = info ? info->port : port;
  return true;
}

void DataServer::Stop() {
  if (!Daemon_) return;
  MHD_stop_daemon(Daemon_);
  Daemon_ = nullptr;
  Port_ = 0;
}

int DataServer::OnRequest(void* connectionHandle, const char* url, const char* method, const char* uploadData,
                          std::size_t* uploadDataSize, void** context) {
  auto* connection = static_cast<MHD_Connection*>(connectionHandle);
  if (*context == nullptr) {
    auto* state = new TConnection;
    *context = state;
    // An announced length above the limit is refused at once: the body is
    // never read and the connection is closed after the reply.
    if (const char* length = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, MHD_HTTP_HEADER_CONTENT_LENGTH)) {
      if (std::strtoull(length, nullptr, 10) > Options_.MaxBodyBytes) {
        state->TooLarge = true;
        state->Answered = true;
        return Queue(connection, *state, method, url, Handler_.Handle(method, url, {}, true));
      }
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

  if (PendingReplyBytes_.load() > Options_.MaxPendingReplyBytes) {
    THttpAnswer busy;
    busy.Status = 503;
    busy.Body = StatusReply("", "Server busy, try again later");
    return Queue(connection, *state, method, url, std::move(busy));
  }
  return Queue(connection, *state, method, url, Handler_.Handle(method, url, state->Body, state->TooLarge));
}

int DataServer::Queue(void* connectionHandle, TConnection& state, const char* method, const char* url,
                      THttpAnswer answer) {
  auto* connection = static_cast<MHD_Connection*>(connectionHandle);
  // The reply text is handed over, not copied: a table reply is tens of megabytes.
  auto* body = new std::string(std::move(answer.Body));
  const std::size_t bytes = body->size();
  MHD_Response* response = MHD_create_response_from_buffer_with_free_callback_cls(
      bytes, body->data(), [](void* text) { delete static_cast<std::string*>(text); }, body);
  if (!response) {
    delete body;
    return MHD_NO;
  }
  MHD_add_response_header(response, MHD_HTTP_HEADER_CONTENT_TYPE, answer.ContentType.c_str());
  // A refused oversized body was not read to its end: close the connection.
  if (state.TooLarge) MHD_add_response_header(response, MHD_HTTP_HEADER_CONNECTION, "close");
  const int result = MHD_queue_response(connection, static_cast<unsigned int>(answer.Status), response);
  MHD_destroy_response(response);
  if (result == MHD_YES) {
    state.ReplyBytes += bytes;
    PendingReplyBytes_ += bytes;
  }

  if (Options_.LogRequests) {
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - state.Started);
    std::fprintf(stderr, "%s %s %s kind=%d status=%d in=%zu out=%zu %.1fms\n", PeerAddress(connection).c_str(), method,
                 url, answer.Kind, answer.Status, state.Body.size(), bytes,
                 static_cast<double>(elapsed.count()) / 1000.0);
  }
  return result;
}

void DataServer::OnCompleted(void** context) {
  auto* state = static_cast<TConnection*>(*context);
  if (state) PendingReplyBytes_ -= state->ReplyBytes;
  delete state;
  *context = nullptr;
}

}  // namespace qvserver
