#pragma once
// Admission of password checks. Failed sign-ins are counted per client
// address: past a number of failures within a window, each further check from
// that address first waits, the wait doubling up to a ceiling, so that a
// guessing client gets few guesses per second while other addresses are not
// slowed. Checks run on the gate's own few threads, never on a caller's: a
// waiting check holds a queue place, not a thread. The queue has a small
// bound; one address holds at most half of it, and when it is full a waiting
// check of the address holding most places is refused first. Among checks
// ready to run, the address with the fewest places goes first.

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
  int MaxChecks = 8;               // checks waiting or hashing at once
  int HashSlots = 2;               // hashes running at once (each takes tens of megabytes)
  int FailuresBeforeWait = 5;      // failures within the window an address gets without waiting
  std::chrono::milliseconds FailureWindow{60000};
  std::chrono::milliseconds FirstWait{1000};  // the first wait; it doubles with every further failure
  std::chrono::milliseconds MaxWait{30000};
};

class TSignInGate {
 public:
  // The outcome of a check: a match or not; nullopt when refused.
  using TDone = std::function<void(std::optional<bool>)>;

  explicit TSignInGate(const TSignInLimits& limits);
  ~TSignInGate();
  TSignInGate(const TSignInGate&) = delete;
  TSignInGate& operator=(const TSignInGate&) = delete;

  // Queues one check for `address`; `verify` compares the password (called
  // only for a known user, on a gate thread). `done` gets the outcome, on the
  // calling thread when it is known at once, else on a gate thread.
  void Submit(const std::string& address, bool knownUser, std::function<bool()> verify, TDone done);
  // Submit, waiting for the outcome.
  std::optional<bool> Check(const std::string& address, bool knownUser, std::function<bool()> verify);
  // Refuses every check still waiting and returns once none is running.
  void Drain();

 private:
  struct TEntry {
    std::string Address;
    bool KnownUser = false;
    std::function<bool()> Verify;
    TDone Done;
    std::uint64_t Order = 0;
    std::chrono::steady_clock::time_point ReadyAt;
    bool Running = false;
  };
  using TClock = std::chrono::steady_clock;
  using TQueue = std::list<std::unique_ptr<TEntry>>;

  std::chrono::milliseconds WaitLocked(const std::string& address, TClock::time_point now);
  void RecordFailureLocked(const std::string& address, TClock::time_point now);
  // Places `entry`; a refused waiting check goes to `refused`. False when the entry itself is refused.
  bool AdmitLocked(std::unique_ptr<TEntry>& entry, std::vector<TDone>& refused);
  int CountLocked(const std::string& address, bool waitingOnly) const;
  TQueue::iterator NextReadyLocked(TClock::time_point now, TClock::time_point& earliest);
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
  std::vector<std::thread> Workers_;
};

}  // namespace qvserver
