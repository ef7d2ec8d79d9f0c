#include "platform/CurlTransport.h"

#include <curl/curl.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace platform {
namespace {

void GlobalInit() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct ReceiveState {
  std::string* Content = nullptr;
  std::vector<std::string>* Pieces = nullptr;  // set when the body is taken in pieces
  const std::function<void(std::string_view)>* OnBytes = nullptr;  // told of the body's bytes as they come
  std::size_t Received = 0;
  std::size_t Limit = 0;  // 0: none
  bool Overflow = false;
  int StatusCode = -1;
  std::string StatusText;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto* state = static_cast<ReceiveState*>(user);
  const std::size_t n = size * count;
  if (state->Limit != 0 && state->Received + n > state->Limit) {
    state->Overflow = true;
    return 0;  // makes curl abort with CURLE_WRITE_ERROR
  }
  state->Received += n;
  if (state->Pieces == nullptr) {
    state->Content->append(data, n);
    return n;
  }
  // Pieces of a fixed size: the body is never copied into a larger buffer
  // while it grows, and its reader can free each piece once it is read.
  std::vector<std::string>& pieces = *state->Pieces;
  std::size_t done = 0;
  while (done < n) {
    if (pieces.empty() || pieces.back().size() == kReplyPieceBytes) {
      pieces.emplace_back();
      pieces.back().reserve(kReplyPieceBytes);
    }
    const std::size_t take = std::min(n - done, kReplyPieceBytes - pieces.back().size());
    pieces.back().append(data + done, take);
    done += take;
  }
  if (state->OnBytes != nullptr && *state->OnBytes) (*state->OnBytes)(std::string_view(data, n));
  return n;
}

// Reads a "Content-Length" header line. Reserves the whole body's buffer once
// (when the body is not taken in pieces), so that a large download is not
// copied while it grows, and refuses (false) a length over the limit before
// any of the body is read. Lengths over kMaxReserve without limit are left to
// the normal growth.
bool CheckContentLength(ReceiveState& state, const std::string& line) {
  constexpr std::size_t kMaxReserve = std::size_t{1} << 30;
  static constexpr char kName[] = "content-length:";
  if (line.size() <= sizeof kName - 1) return true;
  for (std::size_t i = 0; i < sizeof kName - 1; ++i) {
    char c = line[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kName[i]) return true;
  }
  // strtoull saturates, so an absurd length also counts as too large.
  const unsigned long long length = std::strtoull(line.c_str() + sizeof kName - 1, nullptr, 10);
  if (state.Limit != 0 && length > state.Limit) {
    state.Overflow = true;
    return false;
  }
  const std::size_t cap = state.Limit != 0 ? state.Limit : kMaxReserve;
  if (state.Pieces == nullptr && length > 0 && length <= cap) state.Content->reserve(static_cast<std::size_t>(length));
  return true;
}

// Every status line ("HTTP/1.1 404 Not Found") replaces the previous one, so
// the final reply wins over interim ones (100 Continue, proxy CONNECT).
std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto* state = static_cast<ReceiveState*>(user);
  const std::size_t n = size * count;
  std::string line(data, n);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  if (line.rfind("HTTP/", 0) != 0) return CheckContentLength(*state, line) ? n : 0;  // 0 aborts the transfer
  const auto firstSpace = line.find(' ');
  if (firstSpace == std::string::npos) return n;
  const auto codeEnd = line.find(' ', firstSpace + 1);
  const std::string code =
      line.substr(firstSpace + 1, codeEnd == std::string::npos ? std::string::npos : codeEnd - firstSpace - 1);
  int value = 0;
  bool digits = code.size() == 3;
  for (char c : code) {
    if (c < '0' || c > '9') digits = false;
    value = value * 10 + (c - '0');
  }
  if (!digits) return n;
  state->StatusCode = value;
  state->StatusText = codeEnd == std::string::npos ? std::string() : line.substr(codeEnd + 1);
  return n;
}

template <class T>
void SetOpt(CURL* curl, CURLoption option, T value) {
  const CURLcode rc = curl_easy_setopt(curl, option, value);
  if (rc != CURLE_OK) throw HttpTransportError(std::string("HTTP set-up failed: ") + curl_easy_strerror(rc));
}

}  // namespace

CurlTransport::CurlTransport() {
  GlobalInit();
  Handle_ = curl_easy_init();
  Multi_ = curl_multi_init();
}

CurlTransport::~CurlTransport() {
  if (Handle_ != nullptr) curl_easy_cleanup(static_cast<CURL*>(Handle_));
  if (Multi_ != nullptr) curl_multi_cleanup(static_cast<CURLM*>(Multi_));
}

void CurlTransport::SetLowSpeedLimit(long bytesPerSecond, long seconds) {
  if (bytesPerSecond <= 0 || seconds <= 0) return;
  LowSpeedBytes_ = bytesPerSecond;
  LowSpeedSeconds_ = seconds;
}

void CurlTransport::SetRequestFloor(long bytesPerSecond, long graceSeconds) {
  if (bytesPerSecond <= 0 || graceSeconds <= 0) return;
  FloorBytes_ = bytesPerSecond;
  GraceSeconds_ = graceSeconds;
}

void CurlTransport::Abort() {
  HttpTransport::Abort();
  // Safe from any thread: the wait in Perform returns at once.
  if (Multi_ != nullptr) curl_multi_wakeup(static_cast<CURLM*>(Multi_));
}

int CurlTransport::Perform(std::string& stopReason) {
  // The wait for the socket wakes at least this often to check the limit.
  constexpr int kCheckEveryMs = 250;
  auto* curl = static_cast<CURL*>(Handle_);
  auto* multi = static_cast<CURLM*>(Multi_);
  if (curl_multi_add_handle(multi, curl) != CURLM_OK) return CURLE_FAILED_INIT;
  const auto start = std::chrono::steady_clock::now();
  CURLcode result = CURLE_OK;
  while (true) {
    int running = 0;
    if (curl_multi_perform(multi, &running) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
    if (running == 0) {
      int left = 0;
      while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == curl) result = message->data.result;
      }
      break;
    }
    if (Aborted()) {
      stopReason = "request aborted";
      break;
    }
    // limit(t) = grace + bytes moved / floor, in seconds since the start.
    curl_off_t received = 0, sent = 0;
    curl_easy_getinfo(curl, CURLINFO_SIZE_DOWNLOAD_T, &received);
    curl_easy_getinfo(curl, CURLINFO_SIZE_UPLOAD_T, &sent);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double moved = static_cast<double>(received) + static_cast<double>(sent);
    if (seconds > static_cast<double>(GraceSeconds_) + moved / static_cast<double>(FloorBytes_)) {
      stopReason = "request too slow: " + std::to_string(static_cast<long long>(moved)) + " bytes in " +
                   std::to_string(static_cast<long long>(seconds)) + " s";
      break;
    }
    if (curl_multi_poll(multi, nullptr, 0, kCheckEveryMs, nullptr) != CURLM_OK) {
      result = CURLE_FAILED_INIT;
      break;
    }
  }
  // Removing an unfinished transfer closes its connection.
  curl_multi_remove_handle(multi, curl);
  return result;
}

HttpReply CurlTransport::Execute(const HttpRequest& request) {
  auto* curl = static_cast<CURL*>(Handle_);
  if (curl == nullptr || Multi_ == nullptr) throw HttpTransportError("HTTP layer not available");
  if (Aborted()) throw HttpTransportError("request aborted");
  curl_easy_reset(curl);  // keeps the connection cache

  HttpReply reply;
  ReceiveState state;
  state.Content = &reply.Content;
  if (request.AllowPieces) {
    state.Pieces = &reply.ContentPieces;
    state.OnBytes = &request.OnBytes;
  }
  state.Limit = request.MaxReplyBytes;

  const std::string url = JoinUrl(request.BaseUrl, request.Resource);
  SetOpt(curl, CURLOPT_URL, url.c_str());
  SetOpt(curl, CURLOPT_NOSIGNAL, 1L);
  SetOpt(curl, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  SetOpt(curl, CURLOPT_LOW_SPEED_LIMIT, LowSpeedBytes_);
  SetOpt(curl, CURLOPT_LOW_SPEED_TIME, LowSpeedSeconds_);
  SetOpt(curl, CURLOPT_FOLLOWLOCATION, 0L);
  SetOpt(curl, CURLOPT_WRITEFUNCTION, &OnBody);
  SetOpt(curl, CURLOPT_WRITEDATA, static_cast<void*>(&state));
  SetOpt(curl, CURLOPT_HEADERFUNCTION, &OnHeader);
  SetOpt(curl, CURLOPT_HEADERDATA, static_cast<void*>(&state));

  // An empty proxy text disables proxies, including those of the environment.
  SetOpt(curl, CURLOPT_PROXY, request.Proxy.Address.c_str());
  if (request.Proxy.Enabled()) {
    if (request.Proxy.Port > 0) SetOpt(curl, CURLOPT_PROXYPORT, static_cast<long>(request.Proxy.Port));
    // Credentials only when some were given: an empty user would still send
    // an empty Basic authorisation to the proxy.
    if (!request.Proxy.UserName.empty() || !request.Proxy.Password.empty()) {
      SetOpt(curl, CURLOPT_PROXYUSERNAME, request.Proxy.UserName.c_str());
      SetOpt(curl, CURLOPT_PROXYPASSWORD, request.Proxy.Password.c_str());
    }
  }

  const bool hasBody = !request.Body.empty();
  switch (request.Method) {
    case HttpMethod::Get:
      if (hasBody)
        SetOpt(curl, CURLOPT_CUSTOMREQUEST, HttpMethodName(request.Method));
      else
        SetOpt(curl, CURLOPT_HTTPGET, 1L);
      break;
    case HttpMethod::Put:
      SetOpt(curl, CURLOPT_CUSTOMREQUEST, HttpMethodName(request.Method));
      break;
    case HttpMethod::Post:
      SetOpt(curl, CURLOPT_POST, 1L);
      break;
  }
  // PUT and POST always carry a body, possibly empty; GET only when it has one.
  if (hasBody || request.Method != HttpMethod::Get) {
    SetOpt(curl, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.Body.size()));
    SetOpt(curl, CURLOPT_POSTFIELDS, request.Body.c_str());
  }

  curl_slist* headers = nullptr;
  auto addHeader = [&headers](const std::string& line) {
    curl_slist* grown = curl_slist_append(headers, line.c_str());
    if (grown == nullptr) {
      curl_slist_free_all(headers);
      throw HttpTransportError("HTTP set-up failed: out of memory");
    }
    headers = grown;
  };
  addHeader("Expect:");  // no 100-continue round trip before large bodies
  if (!request.Accept.empty()) addHeader("Accept: " + request.Accept);
  if (!request.AcceptCharset.empty()) addHeader("Accept-Charset: " + request.AcceptCharset);
  if (hasBody && !request.ContentType.empty()) addHeader("Content-Type: " + request.ContentType);
  std::string stopReason;
  CURLcode rc = curl_easy_setopt(curl, CURLOPT_HTTPHEADER, headers);
  if (rc == CURLE_OK) rc = static_cast<CURLcode>(Perform(stopReason));
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, static_cast<curl_slist*>(nullptr));
  curl_slist_free_all(headers);

  if (state.Overflow) throw HttpReplyTooLarge("reply larger than " + std::to_string(request.MaxReplyBytes) + " bytes");
  if (!stopReason.empty()) throw HttpTransportError(stopReason);
  if (rc != CURLE_OK) throw HttpTransportError(curl_easy_strerror(rc));

  long code = -1;
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &code);
  reply.StatusCode = state.StatusCode >= 0 ? state.StatusCode : static_cast<int>(code);
  reply.StatusText = std::move(state.StatusText);
  return reply;
}

}  // namespace platform
