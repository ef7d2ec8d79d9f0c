#include "SignInGate.h"

#include <algorithm>

#include "AsciiCase.h"

namespace qvserver {
namespace {

// Enough failure times to reach any ceiling: the lock doubles with each one.
constexpr std::size_t kMaxFailuresKept = 40;

// The key of a sign-in: user ids compare without letter case, as the store's do.
std::string SignInKey(const std::string& userId, const std::string& address) {
  return AsciiLower(userId) + '\n' + address;
}

// Drops the entries that `stale` finds old once the map has reached `next`
// entries; the next pruning waits until the map has doubled, so pruning stays cheap.
template <class Map, class Stale>
void PruneWhenGrown(Map& map, std::size_t& next, Stale stale) {
  if (map.size() < next) return;
  std::erase_if(map, stale);
  next = std::max<std::size_t>(1024, 2 * map.size());
}

}  // namespace

TSignInGate::TSignInGate(const TSignInLimits& limits) : Limits_(limits) {
  for (int i = 0; i < std::max(1, Limits_.HashSlots); ++i) Workers_.emplace_back([this] { Work(); });
}

TSignInGate::~TSignInGate() {
  Drain();
  {
    std::lock_guard lock(Mutex_);
    Stopping_ = true;
  }
  Changed_.notify_all();
  for (std::thread& worker : Workers_) worker.join();
}

// lock = FirstWait x 2^(failures - FailuresBeforeWait), at most MaxWait,
// counted from the latest failure; failures older than the window are forgotten.
TSignInGate::TClock::duration TSignInGate::LockLocked(const std::string& address, TClock::time_point now) {
  const auto found = Failures_.find(address);
  if (found == Failures_.end()) return {};
  std::deque<TClock::time_point>& times = found->second;
  while (!times.empty() && now - times.front() > Limits_.FailureWindow) times.pop_front();
  if (times.empty()) {
    Failures_.erase(found);
    return {};
  }
  const int failures = static_cast<int>(times.size());
  if (failures < Limits_.FailuresBeforeWait) return {};
  std::chrono::milliseconds lock = Limits_.FirstWait;
  for (int i = Limits_.FailuresBeforeWait; i < failures && lock < Limits_.MaxWait; ++i) lock *= 2;
  const TClock::time_point until = times.back() + std::min(lock, Limits_.MaxWait);
  return until > now ? until - now : TClock::duration{};
}

void TSignInGate::RecordFailureLocked(const std::string& address, TClock::time_point now) {
  // Addresses without a failure in the window are forgotten.
  PruneWhenGrown(Failures_, NextPrune_, [&](const auto& item) {
    return item.second.empty() || now - item.second.back() > Limits_.FailureWindow;
  });
  std::deque<TClock::time_point>& times = Failures_[address];
  times.push_back(now);
  if (times.size() > kMaxFailuresKept) times.pop_front();
}

void TSignInGate::RecordCheckLocked(const std::string& userId, const std::string& address, bool matched,
                                    TClock::time_point now) {
  PruneWhenGrown(Visits_, NextSignInPrune_,
                 [&](const auto& item) { return now - item.second.Checked > Limits_.SignInValidity; });
  TVisit& visit = Visits_[SignInKey(userId, address)];
  visit.Checked = now;
  if (matched) visit.SignedIn = now;
}

bool TSignInGate::CheckedRecently(const std::string& userId, const std::string& address, bool anyOutcome) {
  std::lock_guard lock(Mutex_);
  const auto found = Visits_.find(SignInKey(userId, address));
  if (found == Visits_.end()) return false;
  const std::optional<TClock::time_point> since = anyOutcome ? found->second.Checked : found->second.SignedIn;
  return since && Now() - *since <= Limits_.SignInValidity;
}

std::optional<TCheckOutcome> TSignInGate::LockedOutcomeLocked(const std::string& address, TClock::time_point now) {
  const TClock::duration locked = LockLocked(address, now);
  if (locked <= TClock::duration::zero()) return std::nullopt;
  TCheckOutcome outcome;
  outcome.Kind = TCheckOutcome::TKind::Locked;
  // Whole seconds, rounded up: the address may try again once they have passed.
  outcome.RetryAfterSeconds = std::max(1, static_cast<int>(std::chrono::ceil<std::chrono::seconds>(locked).count()));
  return outcome;
}

TCheckOutcome TSignInGate::Probe(const std::string& address, const std::string& userId, bool knownUser) {
  std::lock_guard lock(Mutex_);
  const TClock::time_point now = Now();
  if (const std::optional<TCheckOutcome> locked = LockedOutcomeLocked(address, now)) return *locked;
  TCheckOutcome outcome;
  outcome.Kind = knownUser ? TCheckOutcome::TKind::Match : TCheckOutcome::TKind::NoMatch;
  if (!knownUser) {
    RecordFailureLocked(address, now);
    PruneWhenGrown(Probed_, NextProbePrune_,
                   [&](const auto& item) { return now - item.second.second > Limits_.FailureWindow; });
    Probed_[address] = {AsciiLower(userId), now};
  }
  return outcome;
}

int TSignInGate::CountLocked(const std::string& address, bool waitingOnly) const {
  int count = 0;
  for (const auto& entry : Queue_)
    if (entry->Address == address && !(waitingOnly && entry->Running)) ++count;
  return count;
}

int TSignInGate::Queued() {
  std::lock_guard lock(Mutex_);
  return static_cast<int>(Queue_.size());
}

int TSignInGate::QueuedFrom(const std::string& address) {
  std::lock_guard lock(Mutex_);
  return CountLocked(address, false);
}

TSignInGate::TQueue::iterator TSignInGate::VictimLocked(const std::string& address) {
  const std::string* heaviest = nullptr;
  int most = 0;
  for (const auto& candidate : Queue_) {
    if (candidate->Running) continue;
    const int count = CountLocked(candidate->Address, true);
    if (count > most) {
      most = count;
      heaviest = &candidate->Address;
    }
  }
  auto victim = Queue_.end();
  if (!heaviest || most < CountLocked(address, false) + 2) return victim;
  for (auto it = Queue_.begin(); it != Queue_.end(); ++it)
    if (!(*it)->Running && (*it)->Address == *heaviest) victim = it;
  return victim;
}

bool TSignInGate::PlaceLocked(const std::string& address, TQueue::iterator& victim) {
  victim = Queue_.end();
  if (Limits_.MaxChecks <= 0 || Stopping_) return false;
  // One address never holds more than half of the queue (at least one place).
  if (CountLocked(address, false) >= std::max(1, Limits_.MaxChecks / 2)) return false;
  if (static_cast<int>(Queue_.size()) < Limits_.MaxChecks) return true;
  victim = VictimLocked(address);
  return victim != Queue_.end();
}

bool TSignInGate::HasPlaceFor(const std::string& address) {
  std::lock_guard lock(Mutex_);
  TQueue::iterator victim;
  return PlaceLocked(address, victim);
}

bool TSignInGate::AdmitLocked(std::unique_ptr<TEntry>& entry, std::vector<std::function<void()>>& refused) {
  TQueue::iterator victim;
  if (!PlaceLocked(entry->Address, victim)) return false;
  if (victim != Queue_.end()) {
    refused.push_back(std::move((*victim)->Refuse));
    Queue_.erase(victim);
  }
  entry->Order = NextOrder_++;
  Queue_.push_back(std::move(entry));
  return true;
}

void TSignInGate::SubmitHash(const std::string& address, std::function<void()> run, std::function<void()> refused) {
  std::vector<std::function<void()>> refusals;
  {
    std::lock_guard lock(Mutex_);
    auto entry = std::make_unique<TEntry>();
    entry->Address = address;
    entry->Run = std::move(run);
    entry->Refuse = std::move(refused);
    if (!AdmitLocked(entry, refusals)) refusals.push_back(std::move(entry->Refuse));
  }
  Changed_.notify_all();
  for (const std::function<void()>& refuse : refusals) refuse();
}

void TSignInGate::Submit(const std::string& address, const std::string& userId, bool knownUser,
                         std::function<bool()> verify, TDone done) {
  TCheckOutcome atOnce;
  bool hash = false;
  {
    std::lock_guard lock(Mutex_);
    const TClock::time_point now = Now();
    if (const std::optional<TCheckOutcome> locked = LockedOutcomeLocked(address, now)) {
      atOnce = *locked;
    } else if (!knownUser) {
      // An unknown user needs no hash: answered at once, and counted as a
      // failure unless the probe of the same name just before was.
      const auto probed = Probed_.find(address);
      const bool counted = probed != Probed_.end() && probed->second.first == AsciiLower(userId) &&
                           now - probed->second.second <= Limits_.FailureWindow;
      if (probed != Probed_.end()) Probed_.erase(probed);
      if (!counted) RecordFailureLocked(address, now);
      atOnce.Kind = TCheckOutcome::TKind::NoMatch;
    } else {
      hash = true;
    }
  }
  if (!hash) {
    done(atOnce);
    return;
  }
  auto run = [this, address, userId, verify = std::move(verify), done] {
    TCheckOutcome outcome;  // a failed hash is answered as refused
    try {
      outcome.Kind = verify() ? TCheckOutcome::TKind::Match : TCheckOutcome::TKind::NoMatch;
    } catch (...) {
    }
    {
      std::lock_guard lock(Mutex_);
      if (outcome.Kind == TCheckOutcome::TKind::NoMatch) RecordFailureLocked(address, Now());
      if (outcome.Kind != TCheckOutcome::TKind::Busy)
        RecordCheckLocked(userId, address, outcome.Kind == TCheckOutcome::TKind::Match, Now());
    }
    done(outcome);
  };
  SubmitHash(address, std::move(run), [done] { done(TCheckOutcome{}); });
}

void TSignInGate::Drain() {
  std::vector<std::function<void()>> refused;
  {
    std::lock_guard lock(Mutex_);
    for (auto it = Queue_.begin(); it != Queue_.end();) {
      if ((*it)->Running) {
        ++it;
      } else {
        refused.push_back(std::move((*it)->Refuse));
        it = Queue_.erase(it);
      }
    }
  }
  Changed_.notify_all();
  for (const std::function<void()>& refuse : refused) refuse();
  std::unique_lock lock(Mutex_);
  Changed_.wait(lock, [&] { return Queue_.empty(); });
}

// The waiting job of the address with the fewest places, the oldest among equals.
TSignInGate::TQueue::iterator TSignInGate::NextLocked() {
  auto best = Queue_.end();
  int bestCount = 0;
  for (auto it = Queue_.begin(); it != Queue_.end(); ++it) {
    const TEntry& entry = **it;
    if (entry.Running) continue;
    const int count = CountLocked(entry.Address, false);
    if (best == Queue_.end() || count < bestCount || (count == bestCount && entry.Order < (*best)->Order)) {
      best = it;
      bestCount = count;
    }
  }
  return best;
}

void TSignInGate::Work() {
  std::unique_lock lock(Mutex_);
  while (!Stopping_) {
    const auto next = NextLocked();
    if (next == Queue_.end()) {
      Changed_.wait(lock);
      continue;
    }
    TEntry& entry = **next;
    entry.Running = true;
    lock.unlock();
    try {
      entry.Run();
    } catch (...) {
      // A job answers through its own callbacks; one that throws before it did is refused.
      if (entry.Refuse) entry.Refuse();
    }
    lock.lock();
    Queue_.erase(next);
    lock.unlock();
    Changed_.notify_all();
    lock.lock();
  }
}

}  // namespace qvserver
