#pragma once
// HttpTransport over libcurl. One easy handle is kept between requests so
// that connections are reused; an object must not be used by two threads at
// once. Connection attempts give up after 10 s; a transfer is aborted when it
// moves less than 1 KB/s for 20 s (no total time limit, so a large download
// that keeps moving still completes, and a trickling one does not hang).
// A reply whose announced length exceeds HttpRequest::MaxReplyBytes is refused
// before its body is read; one without a length is stopped as soon as it
// passes the limit. Signals are never used.

#include "platform/HttpTransport.h"

namespace platform {

class CurlTransport : public HttpTransport {
 public:
  CurlTransport();
  ~CurlTransport() override;
  CurlTransport(const CurlTransport&) = delete;
  CurlTransport& operator=(const CurlTransport&) = delete;

  HttpReply Execute(const HttpRequest& request) override;

  static constexpr long kConnectTimeoutSeconds = 10;
  static constexpr long kLowSpeedLimitBytes = 1024;
  static constexpr long kLowSpeedTimeSeconds = 20;

  // A transfer that moves less than bytesPerSecond on average over any
  // seconds-long stretch fails; both must be positive (else ignored).
  void SetLowSpeedLimit(long bytesPerSecond, long seconds);

 private:
  void* Handle_ = nullptr;  // CURL*
  long LowSpeedBytes_ = kLowSpeedLimitBytes;
  long LowSpeedSeconds_ = kLowSpeedTimeSeconds;
};

}  // namespace platform
