#pragma once

#include <string>

namespace qvserver {

// Letter case folded for ASCII letters only, whatever the locale: user ids,
// mail addresses, field names and statement words compare this way.
inline std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

inline std::string AsciiUpper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

}  // namespace qvserver
