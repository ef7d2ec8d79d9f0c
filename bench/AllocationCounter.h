#pragma once
// Counts what the program allocates through operator new: the number of
// allocations, the bytes live now and the peak of live bytes. Include it in
// exactly one source file of a benchmark program (it replaces the global
// operator new and delete).

#include <malloc.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace allocation_counter {

inline std::atomic<std::size_t> gCount{0};
inline std::atomic<std::size_t> gLive{0};
inline std::atomic<std::size_t> gPeak{0};

inline void Count(void* p) {
  if (p == nullptr) return;
  gCount.fetch_add(1, std::memory_order_relaxed);
  const std::size_t size = malloc_usable_size(p);
  const std::size_t live = gLive.fetch_add(size) + size;
  std::size_t peak = gPeak.load();
  while (live > peak && !gPeak.compare_exchange_weak(peak, live)) {
  }
}

inline void Uncount(void* p) {
  if (p != nullptr) gLive.fetch_sub(malloc_usable_size(p));
}

// Number of allocations so far.
inline std::size_t Allocations() { return gCount.load(); }
inline std::size_t LiveBytes() { return gLive.load(); }
inline std::size_t PeakBytes() { return gPeak.load(); }
// Starts a new peak from the bytes live now.
inline void ResetPeak() { gPeak.store(gLive.load()); }

}  // namespace allocation_counter

[[gnu::noinline]] void* operator new(std::size_t size) {
  void* p = std::malloc(size == 0 ? 1 : size);
  if (p == nullptr) throw std::bad_alloc();
  allocation_counter::Count(p);
  return p;
}
[[gnu::noinline]] void operator delete(void* p) noexcept {
  allocation_counter::Uncount(p);
  std::free(p);
}
[[gnu::noinline]] void operator delete(void* p, std::size_t) noexcept {
  allocation_counter::Uncount(p);
  std::free(p);
}
