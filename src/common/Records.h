#pragma once
// Plain records exchanged by every layer: dated points, asset series,
// countries, user settings, per-country settings and portfolio templates.
// Dates are day counts in a double (day 0 = 30 Dec 1899; 2.0 = missing date).

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Markers shared by every layer.
inline constexpr double kMissingDate = 2.0;           // 1 Jan 1900: no date
inline constexpr double kNoFigure = -1000000.0;       // statistic or date that cannot be computed
inline constexpr double kMissingSignal = -1.0;        // signal or rank without a value
inline constexpr double kStoredMissingValue = -1000.0;  // stored value meaning "no value"

struct TDataPoint {
  double Date = 0.0;
  double Value = 0.0;

  friend bool operator==(const TDataPoint&, const TDataPoint&) = default;
};

using TSeries = std::vector<TDataPoint>;

// Asset type codes; their stored texts are given by AssetTypeName().
enum TAssetType : std::int32_t {
  atIndex = 0,
  atRiskFreeAsset = 1,
  atRule = 2,
  atSignal = 3,
  atSpotFx = 4,
};

struct TAssetSeries {
  std::string CountryName;
  std::string ID;
  std::string Title;
  std::int32_t Type = 0;
  TSeries Series;
  // First point of the daily series, its date moved to its month end;
  // (31 Jan 1900, kNoFigure) when the daily table has no row for the asset.
  TDataPoint FirstDailyPoint{32.0, kNoFigure};
};

struct TCountry {
  std::string Name;
  std::string RegionName;
  std::string Currency;
  std::string IndexName;
  std::string IndexTicker;
  std::int32_t Rank = 0;
  std::int32_t RegionRank = 0;
  bool IsDevelopped = false;
  bool ReverseQuote = false;
  double EstimationDate = 0.0;
  double EstimatedSignal = 0.0;
  std::vector<TAssetSeries> IndexAssets;
  std::vector<TAssetSeries> RiskFreeAssets;
  std::vector<TAssetSeries> RuleAssets;
  std::vector<TAssetSeries> SignalAssets;
  std::vector<TAssetSeries> SpotFxAssets;
};

// The asset array of a country for a type code 0..4; nullptr for other codes.
std::vector<TAssetSeries>* AssetsOfType(TCountry& country, int type);
const std::vector<TAssetSeries>* AssetsOfType(const TCountry& country, int type);

// Stored text of an asset type code ("INDEX", ...); empty for unknown codes.
const char* AssetTypeName(int type);
// Asset type code of a stored text; -1 when unknown.
int AssetTypeFromName(const std::string& name);

struct TCountrySettings {
  std::string CountryName;
  std::string RegionName;
  double EqWeight = 0.0;
  double FiWeight = 0.0;
  double CyWeight = 0.0;
  double EqTransactionCost = 0.0;
  double FiTransactionCost = 0.0;
  double EqFxSwapBorrowingCost = 0.0;
  std::int32_t CountryRank = 0;

  friend bool operator==(const TCountrySettings&, const TCountrySettings&) = default;
};

struct TUserSettings {
  std::string PortfolioCcy;
  std::string RiskFreeId;
  double MaxEqVsFiAllocation = 0.0;
  double MinEqVsFiAllocation = 0.0;
  double QVTrustLevel = 0.0;
  double BLTrustLevel = 0.0;
  double SLTrustLevel = 0.0;
  bool FxHedging = false;
  std::vector<TCountrySettings> CountrySettings;
  // Concentration level of the equity, fixed-income and currency competitions.
  std::array<double, 3> CountryRankingCriteria{0.0, 0.0, 0.0};
  double MaxGoldAllocation = 0.0;
  double MaxTipsAllocation = 0.0;
  double MaxFxRiskAllocation = 0.0;
  double InceptionDate = 0.0;
  double EndDate = 0.0;  // never stored; recomputed from the country list

  friend bool operator==(const TUserSettings&, const TUserSettings&) = default;
};

struct TPortfolioTemplate {
  std::string ID;
  std::vector<double> Weights;  // by rank, ascending

  friend bool operator==(const TPortfolioTemplate&, const TPortfolioTemplate&) = default;
};
