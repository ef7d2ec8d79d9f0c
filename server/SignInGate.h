#pragma once
// Admission of password work: sign-in checks and the hashes of new-user
// passwords. Both run on the gate's own few threads (a hash takes tens of
// megabytes and a noticeable time), never on a caller's: a waiting job holds
// a queue place, not a thread. The queue has a small bound; one address holds
// at most half of it, and when it is full a waiting job of the address
// holding most places is refused first. Among jobs ready to run, the address
// with the fewest places goes first.
//
// Failed sign-ins are counted per client address: past a number of failures
// within a window the address is locked for a while, the lock doubling with
// every further failure up to a ceiling. A check from a locked address is
// answered at once with the seconds left, so nobody waits on the server.
// A probe of a user name counts like a check: refused while the address is
// locked, a failure when the user is unknown (the check of that unknown user
// which the client sends next is not counted again). Password checks of a
// known user and successful sign-ins are remembered per user and address for
// a while: the user's own values may be read or changed from there meanwhile.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace qvserver {

struct TSignInLimits {
  using TClock = std::chrono::steady_clock;
  int MaxChecks = 8;           // jobs (checks and hashes) waiting or running at once
  int HashSlots = 2;           // jobs running at once (each takes tens of megabytes)
  int FailuresBeforeWait = 5;  // failures within the window an address gets without a lock
  std::chrono::milliseconds FailureWindow{60000};
  // The lock after the failure that reaches FailuresBeforeWait, counted from
  // that failure; it doubles with every further failure up to MaxWait.
  std::chrono::milliseconds FirstWait{1000};
  std::chrono::milliseconds MaxWait{30000};
  // How long a successful sign-in lets the user change its own values from that address.
  std::chrono::milliseconds SignInValidity{3600000};
  // The time source; unset: the steady clock. Tests set their own.
  std::function<TClock::time_point()> Now{};
};

// The answer to one sign-in check.
struct TCheckOutcome {
  enum class TKind { Match, NoMatch, Busy, Locked };
  TKind Kind = TKind::Busy;
  int RetryAfterSeconds = 0;  // Locked: whole seconds until the address may check again, at least 1
};

class TSignInGate {
 public:
  using TClock = TSignInLimits::TClock;
  using TDone = std::function<void(const TCheckOutcome&)>;

  explicit TSignInGate(const TSignInLimits& limits);
  ~TSignInGate();
  TSignInGate(const TSignInGate&) = delete;
  TSignInGate& operator=(const TSignInGate&) = delete;

  // Queues one check of `userId`'s password for `address`; `verify` compares
  // the password (called only for a known user, on a gate thread). `done`
  // gets the outcome, on the calling thread when it is known at once (locked,
  // unknown user, refused), else on a gate thread.
  void Submit(const std::string& address, const std::string& userId, bool knownUser, std::function<bool()> verify,
              TDone done);
  // Queues a hash for a write from `address`: `run` runs on a gate thread
  // once admitted; when the queue has no place, or the job is refused later
  // while it waits, `refused` runs instead (on the calling or a gate thread).
  void SubmitHash(const std::string& address, std::function<void()> run, std::function<void()> refused);
  // Whether a job of `address` would find a place now (it may not when it comes).
  bool HasPlaceFor(const std::string& address);
  // A probe of whether `userId` exists, from `address`: Locked with the
  // seconds left, else Match for a known user and NoMatch (a failure) for an
  // unknown one.
  TCheckOutcome Probe(const std::string& address, const std::string& userId, bool knownUser);
  // True when `userId` (letter case aside) signed in from `address` within
  // the validity; with `anyOutcome`, also when its password was only checked
  // from there, rightly or not.
  bool CheckedRecently(const std::string& userId, const std::string& address, bool anyOutcome);
  bool SignedInRecently(const std::string& userId, const std::string& address) {
    return CheckedRecently(userId, address, false);
  }
  // Jobs waiting or running, in all and of one address.
  int Queued();
  int QueuedFrom(const std::string& address);
  // Refuses every job still waiting and returns once none is running.
  void Drain();

 private:
  struct TEntry {
    std::string Address;
    std::function<void()> Run;
    std::function<void()> Refuse;
    std::uint64_t Order = 0;
    bool Running = false;
  };
  using TQueue = std::list<std::unique_ptr<TEntry>>;

  TClock::time_point Now() const { return Limits_.Now ? Limits_.Now() : TClock::now(); }
  // How long `address` stays locked from `now`; zero when it is not.
  TClock::duration LockLocked(const std::string& address, TClock::time_point now);
  void RecordFailureLocked(const std::string& address, TClock::time_point now);
  // Remembers a check of a known user's password and whether it matched.
  void RecordCheckLocked(const std::string& userId, const std::string& address, bool matched, TClock::time_point now);
  // The Locked outcome with the seconds left when `address` is locked now.
  std::optional<TCheckOutcome> LockedOutcomeLocked(const std::string& address, TClock::time_point now);
  // The waiting job that a newcomer of `address` would displace from the
  // full queue: the newest of the address holding most waiting places, when
  // it holds at least two more than `address`. End when there is none.
  TQueue::iterator VictimLocked(const std::string& address);
  // Whether a job of `address` finds a place: under its share, and the queue not full or a victim found.
  bool PlaceLocked(const std::string& address, TQueue::iterator& victim);
  // Places `entry`; a refused waiting job goes to `refused`. False when the entry itself is refused.
  bool AdmitLocked(std::unique_ptr<TEntry>& entry, std::vector<std::function<void()>>& refused);
  int CountLocked(const std::string& address, bool waitingOnly) const;
  TQueue::iterator NextLocked();
  void Work();

  const TSignInLimits Limits_;
  std::mutex Mutex_;
  std::condition_variable Changed_;
  TQueue Queue_;
  std::uint64_t NextOrder_ = 0;
  bool Stopping_ = false;
  // Recent failure times per address, oldest first.
  std::unordered_map<std::string, std::deque<TClock::time_point>> Failures_;
  std::size_t NextPrune_ = 1024;
  // The last check and the last successful sign-in by "user\naddress" (user in lower case).
  struct TVisit {
    TClock::time_point Checked;
    std::optional<TClock::time_point> SignedIn;
  };
  std::unordered_map<std::string, TVisit> Visits_;
  std::size_t NextSignInPrune_ = 1024;
  // The unknown user each address probed last (lower-cased), already counted as a failure.
  std::unordered_map<std::string, std::pair<std::string, TClock::time_point>> Probed_;
  std::size_t NextProbePrune_ = 1024;
  std::vector<std::thread> Workers_;
};

}  // namespace qvserver
