#pragma once
// HttpTransport over libcurl. One easy handle and one multi handle are kept
// between requests so that connections are reused; Execute must not run on
// two threads at once, Abort may be called from any thread. Connection
// attempts give up after 10 s; a transfer fails when it moves less than
// 1 KB/s for 20 s (the stall limit), and when it falls behind its
// whole-request limit (below). A reply whose announced length exceeds
// HttpRequest::MaxReplyBytes is refused before its body is read; one without
// a length is stopped as soon as it passes the limit. Abort ends a running
// transfer at once (it wakes the wait). Signals are never used.
//
// Whole-request limit: a request may last kRequestGraceSeconds plus one
// second for every kRequestFloorBytesPerSecond bytes it has moved so far
// (sent and received): limit(t) = grace + bytes(t) / floor. A line that
// keeps the floor (32 kbit/s) is never cut: it brings the 25 MB table in
// within 1.8 h. A reply trickling at r < floor ends after grace / (1 - r /
// floor) seconds: 29 s at 1.2 KB/s. With a reply cap of C bytes no request
// lasts longer than grace + C / floor.

#include "platform/HttpTransport.h"

namespace platform {

class CurlTransport : public HttpTransport {
 public:
  CurlTransport();
  ~CurlTransport() override;
  CurlTransport(const CurlTransport&) = delete;
  CurlTransport& operator=(const CurlTransport&) = delete;

  HttpReply Execute(const HttpRequest& request) override;
  void Abort() override;

  static constexpr long kConnectTimeoutSeconds = 10;
  static constexpr long kLowSpeedLimitBytes = 1024;
  static constexpr long kLowSpeedTimeSeconds = 20;
  static constexpr long kRequestGraceSeconds = 20;
  static constexpr long kRequestFloorBytesPerSecond = 4096;

  // A transfer that moves less than bytesPerSecond on average over any
  // seconds-long stretch fails; both must be positive (else ignored).
  void SetLowSpeedLimit(long bytesPerSecond, long seconds);
  // The whole-request limit's floor and grace; both must be positive (else ignored).
  void SetRequestFloor(long bytesPerSecond, long graceSeconds);

 private:
  // Runs the prepared transfer to its end, its whole-request limit or an
  // abort; stopReason is set when it was stopped by either.
  int Perform(std::string& stopReason);

  void* Handle_ = nullptr;  // CURL*
  void* Multi_ = nullptr;   // CURLM*
  long LowSpeedBytes_ = kLowSpeedLimitBytes;
  long LowSpeedSeconds_ = kLowSpeedTimeSeconds;
  long FloorBytes_ = kRequestFloorBytesPerSecond;
  long GraceSeconds_ = kRequestGraceSeconds;
};

}  // namespace platform
