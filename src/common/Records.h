#pragma once
// Plain records exchanged by every layer: dated points, asset series,
// countries, user settings, per-country settings and portfolio templates.
// Dates are day counts in a double (day 0 = 30 Dec 1899; 2.0 = missing date).

#include <array>
#include <cstdint>
#include <span>
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

// A run of points read in place (a slice without its copy).
using TSeriesSpan = std::span<const TDataPoint>;

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

// target := source for a series, its storage kept; a target that already
// holds the same points (bit for bit) is not written.
void AssignSeries(TSeries& target, const TSeries& source);

// target := source for a country list, member by member, every series
// through copySeries(target series, source series); the lists, texts and
// series of target keep their storage (a list copied for an earlier run is
// rewritten without allocating).
template <class TCopySeries>
void CopyCountryList(std::vector<TCountry>& target, const std::vector<TCountry>& source, TCopySeries copySeries);
// The same with AssignSeries.
void CopyCountryList(std::vector<TCountry>& target, const std::vector<TCountry>& source);

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

template <class TCopySeries>
void CopyCountryList(std::vector<TCountry>& target, const std::vector<TCountry>& source, TCopySeries copySeries) {
  // Every member of the two records is copied below: a record that gains a
  // member must gain its line here (the sizes are those of this build).
  static_assert(sizeof(TCountry) == 312 && sizeof(TAssetSeries) == 144, "copy the new member in CopyCountryList");
  if (&target == &source) return;
  target.resize(source.size());
  for (std::size_t i = 0; i < source.size(); ++i) {
    const TCountry& from = source[i];
    TCountry& to = target[i];
    to.Name = from.Name;
    to.RegionName = from.RegionName;
    to.Currency = from.Currency;
    to.IndexName = from.IndexName;
    to.IndexTicker = from.IndexTicker;
    to.Rank = from.Rank;
    to.RegionRank = from.RegionRank;
    to.IsDevelopped = from.IsDevelopped;
    to.ReverseQuote = from.ReverseQuote;
    to.EstimationDate = from.EstimationDate;
    to.EstimatedSignal = from.EstimatedSignal;
    for (int type = atIndex; type <= atSpotFx; ++type) {
      const std::vector<TAssetSeries>& assets = *AssetsOfType(from, type);
      std::vector<TAssetSeries>& copies = *AssetsOfType(to, type);
      copies.resize(assets.size());
      for (std::size_t k = 0; k < assets.size(); ++k) {
        const TAssetSeries& asset = assets[k];
        TAssetSeries& copy = copies[k];
        copy.CountryName = asset.CountryName;
        copy.ID = asset.ID;
        copy.Title = asset.Title;
        copy.Type = asset.Type;
        copy.FirstDailyPoint = asset.FirstDailyPoint;
        copySeries(copy.Series, asset.Series);
      }
    }
  }
}
