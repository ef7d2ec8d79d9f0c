#pragma once
// Shared pieces of the update-step bodies (not part of the session interface).

#include <stdexcept>

#include "session/UpdateStep.h"

namespace session {

// The reference series whose last date stands for a whole table.
inline constexpr const char* kReferenceCountry = "SOUTH AFRICA";
inline constexpr const char* kReferenceAsset = "EQINDEX";

// Failure text of an exception that carries no message.
inline constexpr const char* kUnexpectedFailureText = "Unexpected failure";

inline TLocalQuorvaneDB& RequireDatabase(const TStepContext& context) {
  if (context.Database == nullptr) throw std::logic_error("No local database");
  return *context.Database;
}

inline TQVDBClient& RequireClient(const TStepContext& context) {
  if (context.Client == nullptr) throw std::logic_error("No data-server client");
  return *context.Client;
}

}  // namespace session
