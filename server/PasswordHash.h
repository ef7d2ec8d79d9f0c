#pragma once
// Salted password hashes (libsodium's Argon2id string format): the server
// stores only hashes and answers a sign-in by verifying one.

#include <cstddef>
#include <string>

namespace qvserver {

struct TPasswordHashLimits {
  unsigned long long OpsLimit;
  std::size_t MemLimit;
};

// libsodium's interactive limits, the default for stored passwords.
TPasswordHashLimits InteractiveHashLimits();
// The lowest limits libsodium accepts; for test databases only.
TPasswordHashLimits MinimalHashLimits();

// Throws std::runtime_error when libsodium cannot hash (out of memory).
std::string HashPassword(const std::string& password, const TPasswordHashLimits& limits);
// False for a wrong password and for a text that is not a hash.
bool VerifyPassword(const std::string& hash, const std::string& password);

}  // namespace qvserver
