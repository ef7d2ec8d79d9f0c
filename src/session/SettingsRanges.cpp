#include "session/SettingsRanges.h"

#include <algorithm>

#include "session/ValueEditors.h"

namespace session {

namespace {

// One stored value: where it lies in the settings, its column and its range.
struct TRangedValue {
  double* Value;
  const char* Column;
  double Min;
  double Max;
};

}  // namespace

std::vector<std::string> TakeSettingsIntoRanges(TUserSettings& s) {
  constexpr double kMin = kSettingPercentMin;
  constexpr double kMax = kSettingPercentMax;
  std::vector<TRangedValue> values;
  for (TCountrySettings& row : s.CountrySettings) {
    values.push_back({&row.EqWeight, "USER_EQBYCOUNTRY_SETTINGS.WEIGHT", kMin, kMax});
    values.push_back({&row.EqTransactionCost, "USER_EQBYCOUNTRY_SETTINGS.TRANSACTIONCOST", kMin, kMax});
    values.push_back({&row.EqFxSwapBorrowingCost, "USER_EQBYCOUNTRY_SETTINGS.FXSWAPBORROWINGCOST", kMin, kMax});
    values.push_back({&row.FiWeight, "USER_FIBYCOUNTRY_SETTINGS.WEIGHT", kMin, kMax});
    values.push_back({&row.FiTransactionCost, "USER_FIBYCOUNTRY_SETTINGS.TRANSACTIONCOST", kMin, kMax});
    values.push_back({&row.CyWeight, "USER_CYBYCOUNTRY_SETTINGS.WEIGHT", kMin, kMax});
  }
  const char* const competitions[] = {"USER_EQCOUNTRY_COMPETITION_SETTINGS.COUNTRYRANKINGCRITERIA",
                                      "USER_FICOUNTRY_COMPETITION_SETTINGS.COUNTRYRANKINGCRITERIA",
                                      "USER_CYCOUNTRY_COMPETITION_SETTINGS.COUNTRYRANKINGCRITERIA"};
  for (std::size_t i = 0; i < 3; ++i)
    values.push_back({&s.CountryRankingCriteria[i], competitions[i], kConcentrationPercentMin / 100.0, kMax / 100.0});
  values.push_back({&s.MaxGoldAllocation, "USER_FI_COMPETITION_SETTINGS.MAXGOLDALLOCATION", kMin, kMax});
  values.push_back({&s.MaxTipsAllocation, "USER_FI_COMPETITION_SETTINGS.MAXTIPSALLOCATION", kMin, kMax});
  values.push_back({&s.MaxFxRiskAllocation, "USER_FI_COMPETITION_SETTINGS.MAXFXRISKALLOCATION", kMin, kMax});
  values.push_back({&s.MaxEqVsFiAllocation, "USER_GLOBALPORTFOLIO_SETTINGS.MAXEQVSFIALLOCATION", kMin, kMax});
  // The minimum's range ends at the maximum, taken into its range just before.
  values.push_back({&s.MinEqVsFiAllocation, "USER_GLOBALPORTFOLIO_SETTINGS.MINEQVSFIALLOCATION", kMin, kMax});
  values.push_back({&s.QVTrustLevel, "USER_GLOBALPORTFOLIO_SETTINGS.QVTRUSTLEVEL", kMin, kMax});
  values.push_back({&s.BLTrustLevel, "USER_GLOBALPORTFOLIO_SETTINGS.BLTRUSTLEVEL", kMin, kMax});
  values.push_back({&s.SLTrustLevel, "USER_GLOBALPORTFOLIO_SETTINGS.SLTRUSTLEVEL", kMin, kMax});

  std::vector<std::string> changed;
  for (const TRangedValue& v : values) {
    const double max = v.Value == &s.MinEqVsFiAllocation ? s.MaxEqVsFiAllocation : v.Max;
    const double taken = ClampSetting(*v.Value, v.Min, max);
    // A value that is no number differs from every value, itself included.
    if (taken == *v.Value) continue;
    *v.Value = taken;
    if (std::find(changed.begin(), changed.end(), v.Column) == changed.end()) changed.emplace_back(v.Column);
  }
  return changed;
}

std::string SettingsRangeWarning(const std::string& file, const std::vector<std::string>& columns) {
  if (columns.empty()) return {};
  std::string list;
  for (const std::string& column : columns) list += (list.empty() ? "" : ", ") + column;
  return file + ": values out of range or not numbers were taken into their ranges (" + list + ")";
}

}  // namespace session
