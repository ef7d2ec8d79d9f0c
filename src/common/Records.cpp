#include "common/Records.h"

#include <cstring>

namespace {
constexpr const char* kAssetTypeNames[5] = {"INDEX", "RISK FREE ASSET", "RULE", "SIGNAL", "SPOT FX"};
}

std::vector<TAssetSeries>* AssetsOfType(TCountry& country, int type) {
  switch (type) {
    case atIndex: return &country.IndexAssets;
    case atRiskFreeAsset: return &country.RiskFreeAssets;
    case atRule: return &country.RuleAssets;
    case atSignal: return &country.SignalAssets;
    case atSpotFx: return &country.SpotFxAssets;
    default: return nullptr;
  }
}

const std::vector<TAssetSeries>* AssetsOfType(const TCountry& country, int type) {
  return AssetsOfType(const_cast<TCountry&>(country), type);
}

void AssignSeries(TSeries& target, const TSeries& source) {
  static_assert(sizeof(TDataPoint) == 2 * sizeof(double), "points compared byte for byte");
  if (&target == &source) return;
  if (target.size() == source.size() &&
      (source.empty() || std::memcmp(target.data(), source.data(), source.size() * sizeof(TDataPoint)) == 0))
    return;
  target.assign(source.begin(), source.end());
}

void CopyCountryList(std::vector<TCountry>& target, const std::vector<TCountry>& source) {
  CopyCountryList(target, source, [](TSeries& to, const TSeries& from) { AssignSeries(to, from); });
}

const char* AssetTypeName(int type) {
  return type >= 0 && type < 5 ? kAssetTypeNames[type] : "";
}

int AssetTypeFromName(const std::string& name) {
  for (int i = 0; i < 5; ++i)
    if (name == kAssetTypeNames[i]) return i;
  return -1;
}
