#include "PasswordHash.h"

#include <sodium.h>

#include <cstring>
#include <mutex>
#include <stdexcept>

namespace qvserver {
namespace {

void EnsureSodium() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (sodium_init() < 0) throw std::runtime_error("libsodium cannot be initialised");
  });
}

}  // namespace

TPasswordHashLimits InteractiveHashLimits() {
  return {crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE};
}

TPasswordHashLimits MinimalHashLimits() { return {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN}; }

std::string HashPassword(const std::string& password, const TPasswordHashLimits& limits) {
  EnsureSodium();
  char out[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(out, password.data(), password.size(), limits.OpsLimit, limits.MemLimit) != 0)
    throw std::runtime_error("Password hashing failed");
  return std::string(out, strnlen(out, sizeof out));
}

bool VerifyPassword(const std::string& hash, const std::string& password) {
  EnsureSodium();
  if (hash.empty() || hash.size() >= crypto_pwhash_STRBYTES) return false;
  return crypto_pwhash_str_verify(hash.c_str(), password.data(), password.size()) == 0;
}

}  // namespace qvserver
