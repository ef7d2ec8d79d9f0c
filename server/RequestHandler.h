#pragma once
// Turns one HTTP request of the data-server protocol into its answer:
// resource "Default" answers the banner; resource "QuorvaneDB" reads the
// request body, recognises the statement and answers in the layout of the
// request kind. Independent of the HTTP library so that it is tested alone.

#include <cstddef>
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
  explicit TRequestHandler(TServerStore& store) : Store_(store) {}

  // `path` is the request target without query ("/QuorvaneDB"); `bodyTooLarge`
  // tells that the body exceeded the limit and was dropped.
  THttpAnswer Handle(const std::string& method, const std::string& path, const std::string& body,
                     bool bodyTooLarge) const;

 private:
  THttpAnswer HandleQuery(const std::string& method, const std::string& body) const;

  TServerStore& Store_;
};

}  // namespace qvserver
