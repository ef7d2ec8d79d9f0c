#include "portfolio/SLPortfolio.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numeric>
#include <utility>

#include "common/CountryHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "common/SeriesStatistics.h"

namespace {

// Position in a series of n points paired with point k of a reference of N
// points, counting from the end.
std::ptrdiff_t EndCounted(std::ptrdiff_t k, std::size_t referenceCount, std::size_t count) {
  return k - (static_cast<std::ptrdiff_t>(referenceCount) - static_cast<std::ptrdiff_t>(count));
}

// Integer part of a rank value; -1 for a value that is no rank.
std::int32_t RankOf(double value) {
  if (!(value > -2147483648.0 && value < 2147483648.0)) return -1;
  return static_cast<std::int32_t>(value);
}

// adjusted = w + (S != 0 ? w / S : 0) * (1 - S): w / S when S is not 0.
double AdjustedWeight(double w, double sum) { return w + (sum != 0.0 ? w / sum : 0.0) * (1.0 - sum); }

// The assets grouped by name: positions ordered by name (equal names by
// position), and for each asset the run [First[a], Last[a]) of that order
// holding the assets of its name.
struct TNameGroups {
  std::vector<std::int32_t> ByName;
  std::vector<std::size_t> First;
  std::vector<std::size_t> Last;

  explicit TNameGroups(const std::vector<TSLAssetSeries>& assets)
      : ByName(assets.size()), First(assets.size()), Last(assets.size()) {
    const std::size_t n = assets.size();
    std::iota(ByName.begin(), ByName.end(), 0);
    std::stable_sort(ByName.begin(), ByName.end(), [&assets](std::int32_t a, std::int32_t b) {
      return assets[static_cast<std::size_t>(a)].Name < assets[static_cast<std::size_t>(b)].Name;
    });
    for (std::size_t first = 0; first < n;) {
      std::size_t last = first + 1;
      const std::string& name = assets[static_cast<std::size_t>(ByName[first])].Name;
      while (last < n && assets[static_cast<std::size_t>(ByName[last])].Name == name) ++last;
      for (std::size_t j = first; j < last; ++j) {
        First[static_cast<std::size_t>(ByName[j])] = first;
        Last[static_cast<std::size_t>(ByName[j])] = last;
      }
      first = last;
    }
  }

  // Appends the positions of the assets named as asset a.
  void AppendGroup(std::size_t a, std::vector<std::int32_t>& out) const {
    out.insert(out.end(), ByName.begin() + static_cast<std::ptrdiff_t>(First[a]),
               ByName.begin() + static_cast<std::ptrdiff_t>(Last[a]));
  }
};

// Resolves the names of the selections to asset positions.
void ResolveSelections(const std::vector<TSLAssetSeries>& assets, const std::vector<TSLSelection>& selections,
                       TSLSelectionAssets& resolved) {
  const TNameGroups groups(assets);
  const std::size_t n = assets.size();
  resolved.Assets.clear();
  resolved.Begin.clear();
  resolved.Begin.reserve(selections.size() + 1);
  for (const TSLSelection& selection : selections) {
    resolved.Begin.push_back(resolved.Assets.size());
    // A selection lists its names in asset order: each is looked for after
    // the previous match first, then among all names.
    std::size_t cursor = 0;
    for (const std::string& name : selection.Names) {
      std::size_t a = cursor;
      while (a < n && assets[a].Name != name) ++a;
      if (a < n) {
        cursor = a + 1;
        groups.AppendGroup(a, resolved.Assets);
        continue;
      }
      const auto found = std::lower_bound(
          groups.ByName.begin(), groups.ByName.end(), name,
          [&assets](std::int32_t x, const std::string& v) { return assets[static_cast<std::size_t>(x)].Name < v; });
      if (found != groups.ByName.end() && assets[static_cast<std::size_t>(*found)].Name == name)
        groups.AppendGroup(static_cast<std::size_t>(*found), resolved.Assets);
    }
  }
  resolved.Begin.push_back(resolved.Assets.size());
}

// Weight at reference point k of the asset, paired from the end with a
// reference of referenceCount weight points.
double WeightAt(const TSLAssetSeries& asset, std::ptrdiff_t k, std::size_t referenceCount) {
  return ModelAt(asset.Weights, EndCounted(k, referenceCount, asset.Weights.size()), "ranking portfolio weights").Value;
}

// Sum of the weights at reference point k of the assets of selection k.
double SelectedWeightSum(const std::vector<TSLAssetSeries>& assets, const TSLSelectionAssets& resolved,
                         std::ptrdiff_t k, std::size_t referenceCount) {
  double sum = 0.0;
  const auto [first, last] = resolved.Of(k);
  for (const std::int32_t* a = first; a != last; ++a) {
    sum += WeightAt(assets[static_cast<std::size_t>(*a)], k, referenceCount);
  }
  return sum;
}

// Appends every grid index whose date equals `date`.
void AppendGridIndices(const TSeries& grid, double date, std::vector<std::int32_t>& indices) {
  for (std::size_t k = 0; k < grid.size(); ++k) {
    if (grid[k].Date == date) indices.push_back(static_cast<std::int32_t>(k));
  }
}

}  // namespace

std::pair<const std::int32_t*, const std::int32_t*> TSLSelectionAssets::Of(std::ptrdiff_t k) const {
  if (k < 0 || static_cast<std::size_t>(k) + 1 >= Begin.size()) {
    ThrowModelIndexError("ranking portfolio selections", k, Begin.empty() ? 0 : Begin.size() - 1);
  }
  const std::int32_t* base = Assets.data();
  return {base + Begin[static_cast<std::size_t>(k)], base + Begin[static_cast<std::size_t>(k) + 1]};
}

const TSLSelectionAssets& TSLPortfolio::SelectionAssetsOf(const std::vector<TSLSelection>& selections,
                                                          TSLSelectionAssets& own) const {
  if (PassSelections_ == &selections) return SelectionAssets_;
  ResolveSelections(AssetSeries, selections, own);
  return own;
}

void TSLPortfolio::Compute(bool flag, bool doRank, bool doRefresh) {
  if (doRank) RankAssets(flag);
  if (doRefresh) RefreshWeightSeries();
  BuildAssetSeries();
}

void TSLPortfolio::RankAssets(bool flag) {
  // Reference: the longest RankingValues; a later line must be strictly longer.
  const TSLLine* reference = nullptr;
  for (const TSLLine& line : Lines) {
    if (line.RankingValues.size() > (reference ? reference->RankingValues.size() : 0)) reference = &line;
  }
  if (reference == nullptr) return;
  const TSeries& referenceValues = reference->RankingValues;
  const std::size_t N = referenceValues.size();

  for (TSLLine& line : Lines) {
    line.Ranks.resize(N);
    for (std::size_t k = 0; k < N; ++k) line.Ranks[k] = {referenceValues[k].Date, kMissingSignal};
  }

  // Per date: the lines that have begun, in line order, ordered with
  // GetDescendingOrder (highest value first, the later line first on equal
  // values); position p (from 1) is the rank. A point that falls outside a
  // line's series counts as no value.
  std::vector<double> values;
  std::vector<std::size_t> collected;
  values.reserve(Lines.size());
  collected.reserve(Lines.size());
  // Each date's order starts from the order of the date before.
  std::vector<std::int32_t> order;
  std::vector<std::size_t> previous;
  std::vector<std::int32_t> place(Lines.size(), -1);
  for (std::size_t k = 0; k < N; ++k) {
    const double date = referenceValues[k].Date;
    values.clear();
    collected.clear();
    for (std::size_t i = 0; i < Lines.size(); ++i) {
      const TSeries& own = Lines[i].RankingValues;
      if (own.empty() || !(own.front().Date <= date)) continue;
      const std::ptrdiff_t j = EndCounted(static_cast<std::ptrdiff_t>(k), N, own.size());
      if (j < 0 || j >= static_cast<std::ptrdiff_t>(own.size())) continue;
      values.push_back(own[static_cast<std::size_t>(j)].Value);
      collected.push_back(i);
    }
    RankMembers(values, collected, order, previous, place);
    for (std::size_t p = 0; p < order.size(); ++p) {
      Lines[collected[static_cast<std::size_t>(order[p])]].Ranks[k].Value = flag ? static_cast<double>(p + 1) : 1.0;
    }
  }

  for (TSLLine& line : Lines) {
    if (line.RankingValues.empty()) continue;
    CutSeriesInPlace(line.Ranks, line.RankingValues.front().Date, line.RankingValues.back().Date);
  }
}

void TSLPortfolio::RefreshWeightSeries() {
  for (TSLLine& line : Lines) {
    line.Weights.clear();
    line.Weights.reserve(line.Returns.size());
    for (const TDataPoint& p : line.Returns) line.Weights.push_back({p.Date, line.Weight});
  }
}

TSeries TSLPortfolio::GetDateGrid(bool useRankingValues) const {
  const TSeries* earliest = nullptr;
  for (const TSLLine& line : Lines) {
    const TSeries& source = useRankingValues ? line.RankingValues : line.Returns;
    if (source.empty()) continue;
    if (earliest == nullptr || source.front().Date < earliest->front().Date) earliest = &source;
  }
  TSeries grid;
  if (earliest == nullptr) return grid;
  grid.reserve(earliest->size());
  for (const TDataPoint& p : *earliest) grid.push_back({p.Date, kMissingSignal});
  return grid;
}

std::vector<std::int32_t> TSLPortfolio::GetStartIndices(bool useRankingValues, bool positiveWeightOnly) const {
  const TSeries grid = GetDateGrid(useRankingValues);
  std::vector<std::int32_t> starts;
  for (const TSLLine& line : Lines) {
    const TSeries& source = useRankingValues ? line.RankingValues : line.Returns;
    if (source.empty() || (positiveWeightOnly && !(line.Weight > 0.0))) continue;
    AppendGridIndices(grid, source.front().Date, starts);
  }
  std::sort(starts.begin(), starts.end());
  return starts;
}

void TSLPortfolio::BuildAssetSeries() {
  const TSeries grid = GetDateGrid(false);
  const std::vector<std::int32_t> starts = grid.empty() ? std::vector<std::int32_t>{} : GetStartIndices(false, true);
  if (starts.empty()) {
    AssetSeries.clear();
    return;
  }
  // The first grid date at which two lines of positive weight have begun
  // (equal indices counted apart); the only start when there is one.
  const std::int32_t startIndex = starts.size() >= 2 ? starts[1] : starts[0];
  const double startDate = grid[static_cast<std::size_t>(startIndex)].Date;
  const double endDate = grid.back().Date;

  // One asset per line, written over the assets of an earlier build (their
  // series keep their storage).
  AssetSeries.resize(Lines.size());
  for (std::size_t i = 0; i < Lines.size(); ++i) {
    const TSLLine& line = Lines[i];
    const double from =
        (!line.Ranks.empty() && line.Ranks.front().Date > startDate) ? line.Ranks.front().Date : startDate;
    TSLAssetSeries& asset = AssetSeries[i];
    asset.Name = line.Name;
    SliceSeriesInto(asset.Returns, line.Returns, from, endDate);
    SliceSeriesInto(asset.Ranks, line.Ranks, from, endDate);
    SliceSeriesInto(asset.Weights, line.Weights, from, endDate);
    asset.TransactionCost = line.TransactionCost;
  }
}

bool TSLPortfolio::IsRankSelected(std::int32_t rank, std::int32_t count) const {
  if (rank < 1 || count == 0) return false;
  const double d = static_cast<double>(count) - 1.0;
  const double threshold = d > 0.0 ? (static_cast<double>(rank) - 1.0) / d : 0.0;
  return CountryRankingCriteria >= threshold;
}

bool TSLPortfolio::PrepareRecalculate(bool flag) {
  Returns.clear();
  if (Lines.empty()) return false;
  double sum = 0.0;
  for (const TSLLine& line : Lines) sum += line.Weight;
  if (sum == 0.0) return false;
  Compute(flag, true, true);
  return true;
}

std::int32_t TSLPortfolio::ReferenceAssetIndex() const {
  std::int32_t reference = -1;
  std::size_t best = 0;
  for (std::size_t a = 0; a < AssetSeries.size(); ++a) {
    if (AssetSeries[a].Returns.size() > best) {
      best = AssetSeries[a].Returns.size();
      reference = static_cast<std::int32_t>(a);
    }
  }
  return reference;
}

void TSLPortfolio::BuildAllocations(std::int32_t referenceIndex, std::vector<TSLSelection>& selections) {
  // The rows of an earlier pass are rewritten in place (their lists keep
  // their storage); the surplus is dropped on the way out, also when a read
  // fails, so that only this pass's rows remain.
  std::size_t used = 0;
  struct TKeepUsed {
    std::vector<TSLAllocation>& Allocations;
    std::vector<TSLSelection>& Selections;
    const std::size_t& Used;
    ~TKeepUsed() {
      Allocations.resize(Used);
      Selections.resize(Used);
    }
  } keepUsed{Allocations, selections, used};
  // The asset positions of each selection, as resolving its names gives them.
  SelectionAssets_.Assets.clear();
  SelectionAssets_.Begin.assign(1, 0);
  if (referenceIndex < 0) return;
  const TSeries& referenceReturns = ModelAt(AssetSeries, referenceIndex, "ranking portfolio assets").Returns;
  const std::size_t N = referenceReturns.size();
  Allocations.reserve(N);
  selections.reserve(N);
  SelectionAssets_.Begin.reserve(N + 1);
  const TNameGroups groups(AssetSeries);

  struct TCandidate {
    std::size_t Asset;
    std::int32_t Rank;
    double Weight;
    bool Selected;
  };
  std::vector<TCandidate> candidates;
  candidates.reserve(AssetSeries.size());
  for (std::size_t k = 0; k < N; ++k) {
    const double date = referenceReturns[k].Date;
    const auto kk = static_cast<std::ptrdiff_t>(k);
    candidates.clear();
    for (std::size_t a = 0; a < AssetSeries.size(); ++a) {
      const TSLAssetSeries& asset = AssetSeries[a];
      if (asset.Returns.empty() || !(asset.Returns.front().Date <= date)) continue;
      const std::ptrdiff_t j = EndCounted(kk, N, asset.Returns.size());
      candidates.push_back({a, RankOf(ModelAt(asset.Ranks, j, "ranking portfolio ranks").Value),
                            ModelAt(asset.Weights, j, "ranking portfolio weights").Value, false});
    }
    const auto m = static_cast<std::int32_t>(candidates.size());
    double sum = 0.0;
    std::size_t selected = 0;
    for (TCandidate& c : candidates) {
      c.Selected = IsRankSelected(c.Rank, m);
      if (c.Selected) {
        sum += c.Weight;
        ++selected;
      }
    }
    if (used == Allocations.size()) Allocations.emplace_back();
    if (used == selections.size()) selections.emplace_back();
    TSLAllocation& allocation = Allocations[used];
    TSLSelection& selection = selections[used];
    ++used;
    allocation.Date = date;
    allocation.TotalWeight = 0.0;
    selection.Date = date;
    // The holdings and names of the row are overwritten in place.
    allocation.Holdings.resize(selected);
    selection.Names.resize(selected);
    std::size_t h = 0;
    for (const TCandidate& c : candidates) {
      if (!c.Selected) continue;
      const double adjusted = AdjustedWeight(c.Weight, sum);
      const std::string& name = AssetSeries[c.Asset].Name;
      TSLHolding& holding = allocation.Holdings[h];
      holding.Name = name;
      holding.Weight = c.Weight;
      holding.AdjustedWeight = adjusted;
      holding.OpeningWeight = adjusted;
      holding.ClosingWeight = adjusted;
      holding.Rank = c.Rank;
      allocation.TotalWeight += adjusted;
      selection.Names[h] = name;
      ++h;
      groups.AppendGroup(c.Asset, SelectionAssets_.Assets);
    }
    SelectionAssets_.Begin.push_back(SelectionAssets_.Assets.size());
  }
}

void TSLPortfolio::BuildReturns(std::int32_t referenceIndex, const std::vector<TSLSelection>& selections) {
  Returns.clear();
  if (referenceIndex < 0) return;
  const TSeries& referenceReturns = ModelAt(AssetSeries, referenceIndex, "ranking portfolio assets").Returns;
  const std::size_t N = referenceReturns.size();
  if (N < 2) return;
  TSLSelectionAssets own;
  const TSLSelectionAssets& resolved = SelectionAssetsOf(selections, own);
  Returns.reserve(N - 1);
  struct THeld {
    double Return;
    double Weight;
  };
  std::vector<THeld> held;
  for (std::size_t k = 1; k < N; ++k) {
    const auto kk = static_cast<std::ptrdiff_t>(k);
    // Each asset selected at k-1: its return at j and its weight at j - 1,
    // j = k - (N - n) with n its number of return points.
    held.clear();
    double sum = 0.0;
    const auto [first, last] = resolved.Of(kk - 1);
    for (const std::int32_t* a = first; a != last; ++a) {
      const TSLAssetSeries& asset = AssetSeries[static_cast<std::size_t>(*a)];
      const std::ptrdiff_t j = EndCounted(kk, N, asset.Returns.size());
      const double r = ModelAt(asset.Returns, j, "ranking portfolio returns").Value;
      const double w = ModelAt(asset.Weights, j - 1, "ranking portfolio weights").Value;
      held.push_back({r, w});
      sum += w;
    }
    double periodReturn = 0.0;
    for (const THeld& h : held) periodReturn += AdjustedWeight(h.Weight, sum) * h.Return;
    Returns.push_back({referenceReturns[k].Date, periodReturn});
  }
}

void TSLPortfolio::BuildTurnover(std::int32_t referenceIndex, const std::vector<TSLSelection>& selections,
                                 std::int32_t frequency, TSeries& turnover, TSeries& costs,
                                 double& annualTurnover) const {
  turnover.clear();
  costs.clear();
  AppendTurnover(referenceIndex, selections, turnover, costs);
  annualTurnover = AnnualizedTurnover(turnover, static_cast<std::uint32_t>(frequency));
}

void TSLPortfolio::RunResultPass(std::vector<TSLSelection>& selections,
                                 const std::function<void(std::int32_t)>& computeWeights, const TSeries* costs) {
  if (AssetSeries.empty()) {
    selections.clear();
    Allocations.clear();
    return;
  }
  const std::int32_t reference = ReferenceAssetIndex();
  BuildAllocations(reference, selections);
  // While the pass runs, its selections stand resolved in SelectionAssets_.
  struct TPass {
    const std::vector<TSLSelection>*& Selections;
    ~TPass() { Selections = nullptr; }
  } pass{PassSelections_};
  PassSelections_ = &selections;
  if (computeWeights) computeWeights(reference);
  BuildReturns(reference, selections);
  if (costs != nullptr) SubtractCosts(*costs);
}

void TSLPortfolio::AppendTurnover(std::int32_t referenceIndex, const std::vector<TSLSelection>& selections,
                                  TSeries& turnover, TSeries& costs) const {
  if (referenceIndex < 0) return;
  const TSeries& referenceWeights = ModelAt(AssetSeries, referenceIndex, "ranking portfolio assets").Weights;
  const std::size_t N = referenceWeights.size();
  if (N < 2) return;
  TSLSelectionAssets own;
  const TSLSelectionAssets& resolved = SelectionAssetsOf(selections, own);
  const std::size_t count = AssetSeries.size();
  std::vector<char> heldBefore(count, 0);
  std::vector<char> heldNow(count, 0);
  auto mark = [&resolved](std::ptrdiff_t s, std::vector<char>& held) {
    std::fill(held.begin(), held.end(), 0);
    const auto [first, last] = resolved.Of(s);
    for (const std::int32_t* a = first; a != last; ++a) held[static_cast<std::size_t>(*a)] = 1;
  };

  turnover.reserve(N - 1);
  costs.reserve(N - 1);
  for (std::size_t k = 1; k < N; ++k) {
    const auto kk = static_cast<std::ptrdiff_t>(k);
    const double date = referenceWeights[k].Date;
    const double sumBefore = SelectedWeightSum(AssetSeries, resolved, kk - 1, N);
    const double sumNow = SelectedWeightSum(AssetSeries, resolved, kk, N);
    mark(kk - 1, heldBefore);
    mark(kk, heldNow);
    double total = 0.0;
    double cost = 0.0;
    for (std::size_t a = 0; a < count; ++a) {
      const TSLAssetSeries& asset = AssetSeries[a];
      if (asset.Weights.empty() || !(asset.Weights.front().Date < std::trunc(date))) continue;
      if (!heldBefore[a] && !heldNow[a]) continue;
      const std::ptrdiff_t j = EndCounted(kk, N, asset.Weights.size());
      const double previous =
          AdjustedWeight(ModelAt(asset.Weights, j - 1, "ranking portfolio weights").Value, sumBefore);
      const double current = AdjustedWeight(ModelAt(asset.Weights, j, "ranking portfolio weights").Value, sumNow);
      double change = 0.0;
      if (heldBefore[a] && heldNow[a]) {
        change = std::fabs(current - previous);
      } else if (heldBefore[a]) {
        change = std::fabs(previous);
      } else {
        change = std::fabs(current);
      }
      total += change;
      cost += change * asset.TransactionCost / 100.0;
    }
    turnover.push_back({date, total});
    costs.push_back({date, cost});
  }
}

void TSLPortfolio::SubtractCosts(const TSeries& costs) {
  for (std::size_t i = 0; i < Returns.size(); ++i) {
    Returns[i].Value -= ModelAt(costs, static_cast<std::ptrdiff_t>(i), "ranking portfolio costs").Value;
  }
}

void TSLPortfolio::BeginBuild(const TUserSettings& settings, std::size_t criteria) {
  Lines.clear();
  AssetSeries.clear();
  Returns.clear();
  PortfolioCcy = settings.PortfolioCcy;
  CountryRankingCriteria = settings.CountryRankingCriteria.at(criteria);
}

const TSeries& TSLPortfolio::FirstSpotFx(const TCountry& country) {
  if (country.SpotFxAssets.empty()) throw EModelError("no spot exchange-rate series for " + country.Name);
  return SpotFxSeries(country);
}

TSeries TSLPortfolio::CurrencyRate(const TCountry& from, const TCountry& to) {
  FirstSpotFx(from);
  FirstSpotFx(to);
  return CrossRate(from, to);
}

TSLLine TSLPortfolio::NewLine(const TCountry& country, double weightPercent, double transactionCost) {
  TSLLine line;
  line.Name = country.Name;
  line.Weight = weightPercent / 100.0;
  line.TransactionCost = transactionCost;
  return line;
}

TSeries TSLPortfolio::DollarExcessReturns(const TSeries& asset, const TCountry& country, const TCountry& usdCountry,
                                          double from, double to, double hedgingCost) {
  const TSeries cash = SliceSeries(CashSeries(country), from, to);
  return ComputeHedgedReturns(SliceSeries(asset, from, to), cash, CurrencyRate(country, usdCountry), hedgingCost);
}

const TCountrySettings& TSLPortfolio::SettingsRow(const TUserSettings& settings, std::size_t i) {
  return ModelAt(settings.CountrySettings, static_cast<std::ptrdiff_t>(i), "per-country settings");
}

void TSLPortfolio::DropShortLines() {
  std::erase_if(Lines, [](const TSLLine& line) { return line.RankingValues.size() < 12; });
}
