#pragma once
// Default user settings: the parameters a user has before changing anything.

#include <vector>

#include "common/Records.h"

// Global defaults, one row per country (in list order) with default weights
// and costs, and the start and end dates from the countries' "EQINDEX"
// series. RiskFreeId is the ID of the last risk-free asset of the first
// country of vcMyExternCountryList whose upper-case title contains "10Y"
// ("N/A" when none does).
TUserSettings BuildDefaultUserSettings(const std::vector<TCountry>& countries);
