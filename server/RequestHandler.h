#pragma once
// Turns one HTTP request of the data-server protocol into its answer:
// resource "Default" answers the banner; resource "QuorvaneDB" reads the
// request body, recognises the statement and answers in the layout of the
// request kind. Independent of the HTTP library so that it is tested alone.

#include <atomic>
#include <cstddef>
#include <semaphore>
#include <string>

#include "PasswordHash.h"

namespace qvserver {

class TServerStore;

inline constexpr const char* kServerBanner = "VOSKER SERVER - Quorvane stand-in data server";
inline constexpr std::size_t kDefaultMaxBodyBytes = 1 << 20;

struct THttpAnswer {
  int Status = 200;
  std::string ContentType = "application/json; charset=utf-8";
  std::string Body;
  int Kind = -1;  // the request kind answered, -1 when none was read (for the log)
};

class TRequestHandler {
 public:
  // `maxPasswordChecks`: sign-in checks hashing or waiting to hash at once;
  // one more is answered "busy" (status 503) at once, so that a burst of
  // sign-ins cannot hold every serving thread.
  explicit TRequestHandler(TServerStore& store, int maxPasswordChecks = 8)
      : Store_(store), MaxPasswordChecks_(maxPasswordChecks) {}

  // `path` is the request target without query ("/QuorvaneDB"); `bodyTooLarge`
  // tells that the body exceeded the limit and was dropped.
  THttpAnswer Handle(const std::string& method, const std::string& path, const std::string& body,
                     bool bodyTooLarge) const;

 private:
  THttpAnswer HandleQuery(const std::string& method, const std::string& body) const;
  // 1 or 0 when the password matches or not; empty when too many checks run.
  std::string CheckPassword(const std::string& userId, const std::string& password) const;

  TServerStore& Store_;
  int MaxPasswordChecks_;
  // A hash takes tens of megabytes for a moment: two at most run at once.
  mutable std::counting_semaphore<2> Hashing_{2};
  mutable std::atomic<int> PasswordChecks_{0};
};

}  // namespace qvserver
