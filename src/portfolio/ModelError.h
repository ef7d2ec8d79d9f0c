#pragma once
// Model failure: raised by portfolio and model code when an input does not
// hold what a calculation needs (an index counted from the end that falls
// outside a series, a list shorter than expected, a missing asset). The model
// entry catches it and reports "<CODE> Failed (Step n)".

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

class EModelError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

[[noreturn]] [[gnu::cold]] [[gnu::noinline]] inline void ThrowModelIndexError(const char* what, std::ptrdiff_t i,
                                                                              std::size_t size) {
  throw EModelError(std::string(what) + ": index " + std::to_string(i) + " outside 0.." +
                    std::to_string(static_cast<std::ptrdiff_t>(size) - 1));
}

// Element i of v; throws EModelError naming `what` when i is outside [0, size).
template <class T>
const T& ModelAt(const std::vector<T>& v, std::ptrdiff_t i, const char* what) {
  if (i < 0 || static_cast<std::size_t>(i) >= v.size()) ThrowModelIndexError(what, i, v.size());
  return v[static_cast<std::size_t>(i)];
}

template <class T>
T& ModelAt(std::vector<T>& v, std::ptrdiff_t i, const char* what) {
  const auto& cv = v;
  return const_cast<T&>(ModelAt(cv, i, what));
}
