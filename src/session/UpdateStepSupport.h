#pragma once
// Shared pieces of the update-step bodies (not part of the session interface).

#include <functional>
#include <stdexcept>

#include "session/UpdateStep.h"

namespace session {

// The reference series whose last date stands for a whole table.
inline constexpr const char* kReferenceCountry = "SOUTH AFRICA";
inline constexpr const char* kReferenceAsset = "EQINDEX";

// Failure text of an exception that carries no message.
inline constexpr const char* kUnexpectedFailureText = "Unexpected failure";

// Whether the server holds monthly data that the local file lacks: the
// local reference series is empty (no request), or the server's last date
// of it is later, or (not earlier) the server demands a new download from
// the remembered user (STARTDATETOUPDATE a date other than 2.0). A failed
// request counts as nothing new. beforeServer runs before the first request.
bool NewMonthlyDataAvailable(TStepContext& context, const std::function<void()>& beforeServer);

inline TLocalQuorvaneDB& RequireDatabase(const TStepContext& context) {
  if (context.Database == nullptr) throw std::logic_error("No local database");
  return *context.Database;
}

inline TQVDBClient& RequireClient(const TStepContext& context) {
  if (context.Client == nullptr) throw std::logic_error("No data-server client");
  return *context.Client;
}

}  // namespace session
