#include "SignInGate.h"

#include <algorithm>
#include <future>

namespace qvserver {
namespace {

// Enough failure times to reach any ceiling: the wait doubles with each one.
constexpr std::size_t kMaxFailuresKept = 40;

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

std::chrono::milliseconds TSignInGate::WaitLocked(const std::string& address, TClock::time_point now) {
  const auto found = Failures_.find(address);
  if (found == Failures_.end()) return {};
  std::deque<TClock::time_point>& times = found->second;
  while (!times.empty() && now - times.front() > Limits_.FailureWindow) times.pop_front();
  const int failures = static_cast<int>(times.size());
  if (times.empty()) Failures_.erase(found);
  if (failures < Limits_.FailuresBeforeWait) return {};
  std::chrono::milliseconds wait = Limits_.FirstWait;
  for (int i = Limits_.FailuresBeforeWait; i < failures && wait < Limits_.MaxWait; ++i) wait *= 2;
  return std::min(wait, Limits_.MaxWait);
}

void TSignInGate::RecordFailureLocked(const std::string& address, TClock::time_point now) {
  // Forget addresses without a failure in the window once the map has grown;
  // the next pruning waits until it has doubled, so pruning stays cheap.
  if (Failures_.size() >= NextPrune_) {
    for (auto it = Failures_.begin(); it != Failures_.end();) {
      if (it->second.empty() || now - it->second.back() > Limits_.FailureWindow)
        it = Failures_.erase(it);
      else
        ++it;
    }
    NextPrune_ = std::max<std::size_t>(1024, 2 * Failures_.size());
  }
  std::deque<TClock::time_point>& times = Failures_[address];
  times.push_back(now);
  if (times.size() > kMaxFailuresKept) times.pop_front();
}

int TSignInGate::CountLocked(const std::string& address, bool waitingOnly) const {
  int count = 0;
  for (const auto& entry : Queue_)
    if (entry->Address == address && !(waitingOnly && entry->Running)) ++count;
  return count;
}

bool TSignInGate::AdmitLocked(std::unique_ptr<TEntry>& entry, std::vector<TDone>& refused) {
  if (Limits_.MaxChecks <= 0 || Stopping_) return false;
  const int own = CountLocked(entry->Address, false);
  // One address never holds more than half of the queue (at least one place).
  if (own >= std::max(1, Limits_.MaxChecks / 2)) return false;
  if (static_cast<int>(Queue_.size()) >= Limits_.MaxChecks) {
    // Full: refuse the newest waiting check of the address holding most
    // places, when it holds at least two more than the newcomer's address.
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
    if (!heaviest || most < own + 2) return false;
    auto victim = Queue_.end();
    for (auto it = Queue_.begin(); it != Queue_.end(); ++it)
      if (!(*it)->Running && (*it)->Address == *heaviest) victim = it;
    refused.push_back(std::move((*victim)->Done));
    Queue_.erase(victim);
  }
  entry->Order = NextOrder_++;
  Queue_.push_back(std::move(entry));
  return true;
}

void TSignInGate::Submit(const std::string& address, bool knownUser, std::function<bool()> verify, TDone done) {
  std::vector<TDone> refused;
  {
    std::lock_guard lock(Mutex_);
    const TClock::time_point now = TClock::now();
    const std::chrono::milliseconds wait = WaitLocked(address, now);
    // An unknown user needs no hash: answered at once unless the address must wait.
    if (!knownUser && wait.count() == 0) {
      RecordFailureLocked(address, now);
    } else {
      auto entry = std::make_unique<TEntry>();
      entry->Address = address;
      entry->KnownUser = knownUser;
      entry->Verify = std::move(verify);
      entry->Done = std::move(done);
      entry->ReadyAt = now + wait;
      if (!AdmitLocked(entry, refused)) {
        refused.push_back(std::move(entry->Done));
      }
      done = nullptr;
    }
  }
  Changed_.notify_all();
  if (done) done(false);
  for (TDone& other : refused) other(std::nullopt);
}

std::optional<bool> TSignInGate::Check(const std::string& address, bool knownUser, std::function<bool()> verify) {
  std::promise<std::optional<bool>> outcome;
  std::future<std::optional<bool>> result = outcome.get_future();
  Submit(address, knownUser, std::move(verify), [&outcome](std::optional<bool> match) { outcome.set_value(match); });
  return result.get();
}

void TSignInGate::Drain() {
  std::vector<TDone> refused;
  {
    std::unique_lock lock(Mutex_);
    for (auto it = Queue_.begin(); it != Queue_.end();) {
      if ((*it)->Running) {
        ++it;
      } else {
        refused.push_back(std::move((*it)->Done));
        it = Queue_.erase(it);
      }
    }
  }
  Changed_.notify_all();
  for (TDone& done : refused) done(std::nullopt);
  std::unique_lock lock(Mutex_);
  Changed_.wait(lock, [&] { return Queue_.empty(); });
}

TSignInGate::TQueue::iterator TSignInGate::NextReadyLocked(TClock::time_point now, TClock::time_point& earliest) {
  auto best = Queue_.end();
  int bestCount = 0;
  earliest = TClock::time_point::max();
  for (auto it = Queue_.begin(); it != Queue_.end(); ++it) {
    const TEntry& entry = **it;
    if (entry.Running) continue;
    if (entry.ReadyAt > now) {
      earliest = std::min(earliest, entry.ReadyAt);
      continue;
    }
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
    TClock::time_point earliest;
    const auto next = NextReadyLocked(TClock::now(), earliest);
    if (next == Queue_.end()) {
      if (earliest == TClock::time_point::max())
        Changed_.wait(lock);
      else
        Changed_.wait_until(lock, earliest);
      continue;
    }
    TEntry& entry = **next;
    entry.Running = true;
    lock.unlock();
    std::optional<bool> match;
    try {
      match = entry.KnownUser && entry.Verify();
    } catch (...) {
      match.reset();  // a failed hash is answered as refused
    }
    lock.lock();
    if (match == false) RecordFailureLocked(entry.Address, TClock::now());
    TDone done = std::move(entry.Done);
    Queue_.erase(next);
    lock.unlock();
    Changed_.notify_all();
    done(match);
    lock.lock();
  }
}

}  // namespace qvserver
