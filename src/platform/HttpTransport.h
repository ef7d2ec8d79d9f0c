#pragma once
// Abstract HTTP transport through which the data-server client talks to the server.
// One synchronous exchange per call; implementations must not keep state between calls
// other than connection reuse and the abort request.

#include <atomic>
#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

enum class HttpMethod { Get, Put, Post };

// Text of a method as it goes on the request line ("GET", "PUT", "POST").
inline const char* HttpMethodName(HttpMethod method) {
  switch (method) {
    case HttpMethod::Put:
      return "PUT";
    case HttpMethod::Post:
      return "POST";
    case HttpMethod::Get:
      break;
  }
  return "GET";
}

// Proxy to route a request through; an empty Address means "no proxy".
struct HttpProxy {
  std::string Address;  // "host" or "host:port", as the user typed it
  int Port = 0;         // 0: the port in Address, else the transport's default
  std::string UserName;
  std::string Password;

  bool Enabled() const { return !Address.empty(); }
};

struct HttpRequest {
  HttpMethod Method = HttpMethod::Get;
  std::string BaseUrl;        // e.g. "http://127.0.0.1:8082/"
  std::string Resource;       // e.g. "QuorvaneDB"; joined to BaseUrl with exactly one '/'
  std::string Body;           // sent as is; a GET with a non-empty body carries it too
  std::string ContentType;    // e.g. "application/json"; unused when Body is empty
  std::string Accept;         // value of the Accept header; empty: none sent
  std::string AcceptCharset;  // value of the Accept-Charset header; empty: none sent
  HttpProxy Proxy;
  // 0: no limit. A longer reply raises HttpReplyTooLarge, without its body
  // being read when its announced length is already too long.
  std::size_t MaxReplyBytes = 0;
  // The reply may arrive in HttpReply::ContentPieces instead of Content: a
  // growing body is then never copied into a larger buffer (which would hold
  // it twice for a moment), and its reader can free each piece once read.
  bool AllowPieces = false;
  // With AllowPieces: told of the body's bytes as they arrive, in order and
  // in the blocks the transport receives (a few KB each), while the rest
  // still comes, so that the body can be read as it comes. The bytes stay
  // in the reply. Must not throw.
  std::function<void(std::string_view bytes)> OnBytes;
};

struct HttpReply {
  int StatusCode = -1;     // -1 until a status line was received
  std::string StatusText;  // reason phrase of the status line, e.g. "Not Found"
  std::string Content;     // reply body as received
  // With HttpRequest::AllowPieces: the body in pieces of at most
  // kReplyPieceBytes, in order (Content is then empty).
  std::vector<std::string> ContentPieces;
};

inline constexpr std::size_t kReplyPieceBytes = std::size_t{1} << 20;

// Raised when no HTTP reply could be obtained (refused connection, unknown host,
// timeout, proxy failure). An HTTP error status is a reply, not a transport error.
class HttpTransportError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raised when the reply body exceeds HttpRequest::MaxReplyBytes.
class HttpReplyTooLarge : public HttpTransportError {
 public:
  using HttpTransportError::HttpTransportError;
};

// Joins a base address and a resource with exactly one '/' between them.
inline std::string JoinUrl(const std::string& baseUrl, const std::string& resource) {
  if (resource.empty()) return baseUrl;
  std::string url = baseUrl;
  const bool baseSlash = !url.empty() && url.back() == '/';
  const bool resSlash = resource.front() == '/';
  if (baseSlash && resSlash)
    url.pop_back();
  else if (!baseSlash && !resSlash)
    url.push_back('/');
  return url + resource;
}

class HttpTransport {
 public:
  virtual ~HttpTransport() = default;

  // Performs the request and returns the reply, whatever its status code.
  // Throws HttpTransportError when no reply was received.
  virtual HttpReply Execute(const HttpRequest& request) = 0;

  // Makes the running request, and every later one, fail with
  // HttpTransportError as soon as it can (the window is closing). Any thread
  // may call it while another runs Execute. Overrides call this first.
  virtual void Abort() { Aborted_.store(true); }
  bool Aborted() const { return Aborted_.load(); }

 private:
  std::atomic<bool> Aborted_{false};
};

}  // namespace platform
