#pragma once
// Fixed-weight portfolio: assets with dated period returns and target weights
// combined date by date. An asset without a value yet has its weight spread
// over the available assets in proportion to their weights.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"

// One asset; also the per-date entry of an allocation (series left empty).
struct TClassicAsset {
  std::string Id;
  TSeries Series;                // values by ascending date (period returns)
  TSeries WeightSeries;          // (date of each Series point, Weight); rebuilt by ComputeWeights
  double Weight = 0.0;           // target weight as a fraction
  double EffectiveWeight = 0.0;  // allocation entry: re-normalised weight in force
};

// The weights in force on one date.
struct TClassicAllocation {
  double Date = 0.0;
  double TotalWeight = 0.0;  // sum of the entries' EffectiveWeight
  std::vector<TClassicAsset> Assets;
};

class TClassicPortfolio {
 public:
  TClassicPortfolio() = default;
  TClassicPortfolio(const TClassicPortfolio&) = default;
  TClassicPortfolio(TClassicPortfolio&&) noexcept = default;
  TClassicPortfolio& operator=(const TClassicPortfolio&) = default;
  TClassicPortfolio& operator=(TClassicPortfolio&&) noexcept = default;
  virtual ~TClassicPortfolio() = default;

  // Rebuilds every WeightSeries, Returns and Allocations from Assets. On each
  // date of the longest series, over the available assets (non-empty series
  // that started on or before the date) with weight w and sum S:
  //   e = w + (S != 0 ? w / S : 0) * (1 - S),  R = sum(value * e),  T = sum(e).
  virtual void ComputeWeights();

  // Dates of the earliest-starting asset series, each with value -1.0.
  TSeries GetDateGrid() const;
  // For each asset with positive weight, every grid index whose date equals
  // its first date; ascending.
  std::vector<std::int32_t> GetStartIndices() const;

  std::string Name;
  std::string Label;
  std::vector<TClassicAsset> Assets;
  TSeries Returns;
  std::vector<TClassicAllocation> Allocations;
};
