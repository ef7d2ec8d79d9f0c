#include "portfolio/ClassicPortfolio.h"

#include <algorithm>
#include <cstddef>

#include "portfolio/ModelError.h"

void TClassicPortfolio::ComputeWeights() {
  for (TClassicAsset& asset : Assets) {
    asset.WeightSeries.clear();
    asset.WeightSeries.reserve(asset.Series.size());
    for (const TDataPoint& p : asset.Series) asset.WeightSeries.push_back({p.Date, asset.Weight});
  }
  Returns.clear();
  Allocations.clear();

  // Time axis: the longest series (a strictly longer one wins).
  const TClassicAsset* axis = nullptr;
  for (const TClassicAsset& asset : Assets) {
    if (asset.Series.size() > (axis ? axis->Series.size() : 0)) axis = &asset;
  }
  if (axis == nullptr) return;
  const std::size_t L = axis->Series.size();
  Returns.reserve(L);
  Allocations.reserve(L);

  // Series are paired with the axis by counting from the end; an available
  // asset whose paired position falls before its first point (a gap, or a
  // series ending early) is a model failure.
  std::vector<std::ptrdiff_t> positions(Assets.size());
  for (std::size_t i = 0; i < L; ++i) {
    const double date = axis->Series[i].Date;
    double sum = 0.0;
    for (std::size_t a = 0; a < Assets.size(); ++a) {
      const TClassicAsset& asset = Assets[a];
      positions[a] = -1;
      if (asset.Series.empty() || date < asset.Series.front().Date) continue;
      positions[a] = static_cast<std::ptrdiff_t>(asset.Series.size()) - static_cast<std::ptrdiff_t>(L) +
                     static_cast<std::ptrdiff_t>(i);
      sum += ModelAt(asset.WeightSeries, positions[a], "classic portfolio weights").Value;
    }
    TClassicAllocation allocation;
    allocation.Date = date;
    double combined = 0.0;
    for (std::size_t a = 0; a < Assets.size(); ++a) {
      if (positions[a] < 0) continue;
      const TClassicAsset& asset = Assets[a];
      const auto k = static_cast<std::size_t>(positions[a]);
      const double w = asset.WeightSeries[k].Value;
      // e = w + (S != 0 ? w / S : 0) * (1 - S); a NaN sum counts as not zero.
      const double effective = w + (sum != 0.0 ? w / sum : 0.0) * (1.0 - sum);
      TClassicAsset entry;
      entry.Id = asset.Id;
      entry.Weight = w;
      entry.EffectiveWeight = effective;
      allocation.Assets.push_back(std::move(entry));
      combined += asset.Series[k].Value * effective;
      allocation.TotalWeight += effective;
    }
    Allocations.push_back(std::move(allocation));
    Returns.push_back({date, combined});
  }
}

TSeries TClassicPortfolio::GetDateGrid() const {
  const TSeries* earliest = nullptr;
  for (const TClassicAsset& asset : Assets) {
    if (asset.Series.empty()) continue;
    if (earliest == nullptr || asset.Series.front().Date < earliest->front().Date) earliest = &asset.Series;
  }
  TSeries grid;
  if (earliest == nullptr) return grid;
  grid.reserve(earliest->size());
  for (const TDataPoint& p : *earliest) grid.push_back({p.Date, kMissingSignal});
  return grid;
}

std::vector<std::int32_t> TClassicPortfolio::GetStartIndices() const {
  const TSeries grid = GetDateGrid();
  std::vector<std::int32_t> starts;
  for (const TClassicAsset& asset : Assets) {
    if (asset.Series.empty() || !(asset.Weight > 0.0)) continue;
    // One entry per grid date equal to the asset's first date.
    const double first = asset.Series.front().Date;
    for (std::size_t p = 0; p < grid.size(); ++p) {
      if (grid[p].Date == first) starts.push_back(static_cast<std::int32_t>(p));
    }
  }
  std::sort(starts.begin(), starts.end());
  return starts;
}
