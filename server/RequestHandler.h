#pragma once
// Turns one HTTP request of the data-server protocol into its answer:
// resource "Default" answers the banner; resource "QuorvaneDB" reads the
// request body, recognises the statement and answers in the layout of the
// request kind. Independent of the HTTP library so that it is tested alone.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "PasswordHash.h"
#include "SignInGate.h"

namespace qvserver {

class TServerStore;

inline constexpr const char* kServerBanner = "VOSKER SERVER - Quorvane stand-in data server";
inline constexpr std::size_t kDefaultMaxBodyBytes = 1 << 20;

struct THttpAnswer {
  int Status = 200;
  std::string ContentType = "application/json; charset=utf-8";
  std::string Body;
  // Set for large replies instead of Body: appends the next piece of the body
  // to its argument and returns false once the body is complete. Pieces are
  // produced as the connection drains, so a large reply is never held whole.
  std::function<bool(std::string&)> NextPiece;
  int Kind = -1;  // the request kind answered, -1 when none was read (for the log)
  // A refusal that a client may repeat at once (busy, or a store limit
  // reached): sent after a pause.
  bool Pause = false;
};

// The whole body of an answer, its pieces drawn when it has them.
std::string WholeBody(THttpAnswer& answer);

// The error text of a sign-in from a locked address.
inline std::string TooManyAttemptsText(int seconds) {
  return "Too many attempts: try again in " + std::to_string(seconds) + " s";
}
// The error text of a change of STARTDATETOUPDATE without a recent sign-in.
inline constexpr const char* kNotSignedInText =
    "STARTDATETOUPDATE is changed only for a user signed in from this address within the last hour";
// The error texts of a usage record or a user's value asked for without the sign-in they need.
inline constexpr const char* kUsageNotSignedInText =
    "The usage record is changed only for a user signed in from this address within the last hour";
inline constexpr const char* kReadNotSignedInText =
    "This value is read only for a user signed in from this address within the last hour";
// The error texts of a usage update whose counter or date does not follow the stored record.
inline constexpr const char* kCounterJumpText = "COUNTEROFUSE must be the stored count or one more";
inline constexpr const char* kDateBeforeText = "LASTDATEOFUSE must not be more than a day before the stored date";
inline constexpr const char* kStartDateRangeText = "STARTDATETOUPDATE must be a date from 1 January 1900 to tomorrow";

class TRequestHandler {
 public:
  // `maxPasswordChecks`: sign-in checks and new-user hashes waiting or
  // running at once; one refused by the queue is answered "busy" (status 503)
  // without waiting, so that a burst cannot hold every serving thread.
  explicit TRequestHandler(TServerStore& store, int maxPasswordChecks = 8)
      : TRequestHandler(store, LimitsWithChecks(maxPasswordChecks)) {}
  TRequestHandler(TServerStore& store, const TSignInLimits& limits) : Store_(store), Gate_(limits) {}

  // `path` is the request target without query ("/QuorvaneDB"); `bodyTooLarge`
  // tells that the body exceeded the limit and was dropped; `clientAddress`
  // is the peer's address, by which failed sign-ins, sign-ins, password work
  // and stored bytes are counted. Waits for an answer given later.
  THttpAnswer Handle(const std::string& method, const std::string& path, const std::string& body, bool bodyTooLarge,
                     const std::string& clientAddress = {}) const;
  // As Handle, but password work (a sign-in check, the hash of a new-user
  // request) never blocks the caller: its answer goes to `done` later, from
  // another thread, and nullopt is returned. Every other answer is returned
  // and `done` is not called.
  using TAnswerDone = std::function<void(THttpAnswer)>;
  std::optional<THttpAnswer> HandleAsync(const std::string& method, const std::string& path, const std::string& body,
                                         bool bodyTooLarge, const std::string& clientAddress,
                                         const TAnswerDone& done) const;
  // Refuses the password work still waiting and returns once none runs.
  void DrainSignIns() const { Gate_.Drain(); }
  // Password work waiting or running, in all and of one address.
  int PasswordJobs() const { return Gate_.Queued(); }
  int PasswordJobsFrom(const std::string& address) const { return Gate_.QueuedFrom(address); }

 private:
  static TSignInLimits LimitsWithChecks(int maxChecks) {
    TSignInLimits limits;
    limits.MaxChecks = maxChecks;
    return limits;
  }
  // Password work answers through `done` and nullopt is returned.
  std::optional<THttpAnswer> Dispatch(const std::string& method, const std::string& path, const std::string& body,
                                      bool bodyTooLarge, const std::string& clientAddress,
                                      const TAnswerDone& done) const;
  std::optional<THttpAnswer> HandleQuery(const std::string& method, const std::string& body,
                                         const std::string& clientAddress, const TAnswerDone& done) const;

  // Whether `clientAddress` may read `column` of `userId`'s row.
  bool MayRead(const std::string& column, const std::string& userId, const std::string& clientAddress) const;

  TServerStore& Store_;
  mutable TSignInGate Gate_;
};

}  // namespace qvserver
