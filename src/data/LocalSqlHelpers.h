#pragma once
// Small helpers shared by the local-database operations.

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "common/TextHelpers.h"
#include "platform/Sqlite.h"

namespace localdb {

// Names (countries, asset identifiers and titles) as stored: upper case.
inline std::string StoredName(const std::string& name) { return UpperCaseText(name); }

// For each wanted name, the position of the stored name equal to it (both
// compared upper-cased), when the two lists hold exactly the same names once
// each; nothing otherwise.
inline std::optional<std::vector<std::size_t>> MatchByName(const std::vector<std::string>& storedNames,
                                                           const std::vector<std::string>& wantedNames) {
  if (storedNames.size() != wantedNames.size()) return std::nullopt;
  std::unordered_map<std::string, std::size_t> positions;
  for (std::size_t i = 0; i < storedNames.size(); ++i) {
    if (!positions.emplace(StoredName(storedNames[i]), i).second) return std::nullopt;
  }
  std::vector<std::size_t> matches;
  matches.reserve(wantedNames.size());
  for (const std::string& name : wantedNames) {
    const auto found = positions.find(StoredName(name));
    if (found == positions.end()) return std::nullopt;
    matches.push_back(found->second);
    positions.erase(found);
  }
  return matches;
}

// Resets a kept statement when the scope ends, so that it holds no read
// lock between uses, also when a read throws.
class TResetOnExit {
 public:
  explicit TResetOnExit(platform::SqliteStatement& statement) : Statement_(statement) {}
  ~TResetOnExit() { Statement_.Reset(); }
  TResetOnExit(const TResetOnExit&) = delete;
  TResetOnExit& operator=(const TResetOnExit&) = delete;

 private:
  platform::SqliteStatement& Statement_;
};

}  // namespace localdb
