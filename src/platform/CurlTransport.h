#pragma once
// HttpTransport over libcurl. One easy handle is kept between requests so
// that connections are reused; an object must not be used by two threads at
// once. Connection attempts give up after 10 s; a transfer is aborted when it
// moves less than 1 byte/s for 60 s (no total time limit, so a large download
// on a slow line still completes). Signals are never used.

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
  static constexpr long kLowSpeedLimitBytes = 1;
  static constexpr long kLowSpeedTimeSeconds = 60;

 private:
  void* Handle_ = nullptr;  // CURL*
};

}  // namespace platform
