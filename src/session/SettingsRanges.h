#pragma once
// The user settings taken into the ranges in which the parameter pages show
// them, so that a settings file holding absurd values or texts runs the
// models as the pages show it, and the user is told which columns changed.

#include <string>
#include <vector>

#include "common/Records.h"

namespace session {

// Takes every value into its page's range; a value that is no number takes
// the lower end, as the pages show it:
//   per-country weights, transaction and swap costs       [0, 100]
//   concentration levels (CountryRankingCriteria)          [0.05, 1]
//   max gold, max inflation-linked bonds, max FX risk      [0, 100]
//   max equity share [0, 100], then min equity share       [0, max]
//   the three trust levels                                 [0, 100]
// Returns the stored columns whose values changed, as "TABLE.COLUMN", each
// once, in the order above.
std::vector<std::string> TakeSettingsIntoRanges(TUserSettings& settings);

// The one warning line: "<file>: values out of range or not numbers were
// taken into their ranges (<column>, <column>, ...)"; empty without columns.
std::string SettingsRangeWarning(const std::string& file, const std::vector<std::string>& columns);

}  // namespace session
