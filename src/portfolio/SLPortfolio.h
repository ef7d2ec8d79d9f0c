#pragma once
// Ranking portfolios: one line per country with a fixed weight, a series of
// period returns and a series of ranking values. At every date the lines are
// ranked (dense ranks, 1 for the highest value); the result pass keeps the
// lines whose rank lies within the concentration level, normalises their
// weights and compounds the portfolio's period returns.
//
// Pairing rule: a line series of n points is paired with a reference series of
// N points by counting from the end (reference point k <-> line point
// k - (N - n)). Reads that fall outside a series in the result pass throw
// EModelError; the ranking treats such a point as "no value".

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "common/Records.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioCurrency.h"

// One country line of a ranking portfolio.
struct TSLLine {
  std::string Name;
  TSeries Returns;               // period returns in the portfolio currency
  TSeries RankingValues;         // value by which the lines are ranked at each date
  TSeries Ranks;                 // rank per date, 1 best; -1.0 where no ranking value
  TSeries Weights;               // Weight at each date of Returns
  double Weight = 0.0;           // fixed weight as a fraction
  double TransactionCost = 0.0;  // percent per unit of turnover
  TSeries RateSeries;            // bond portfolio: the 10-year rate over the return dates
};

// A line's series cut to the result window.
struct TSLAssetSeries {
  std::string Name;
  TSeries Returns;
  TSeries Ranks;
  TSeries Weights;
  double TransactionCost = 0.0;
};

// One selected asset at one date.
struct TSLHolding {
  std::string Name;
  double Weight = 0.0;          // raw line weight
  double AdjustedWeight = 0.0;  // weight normalised over the selected assets
  double OpeningWeight = 0.0;
  double ClosingWeight = 0.0;
  std::int32_t Rank = 0;  // integer part of the rank value
};

// The portfolio's holdings at one date.
struct TSLAllocation {
  double Date = 0.0;
  double TotalWeight = 0.0;  // sum of the holdings' AdjustedWeight
  std::vector<TSLHolding> Holdings;
};

// Names of the selected assets at one date, in line order.
struct TSLSelection {
  double Date = 0.0;
  std::vector<std::string> Names;
};

// Selections resolved to asset positions: every asset carrying a selected
// name counts as selected; selection k owns Assets[Begin[k] .. Begin[k + 1]).
struct TSLSelectionAssets {
  std::vector<std::int32_t> Assets;
  std::vector<std::size_t> Begin;
  // Asset positions of selection k; EModelError when there is no selection k.
  std::pair<const std::int32_t*, const std::int32_t*> Of(std::ptrdiff_t k) const;
};

class TSLPortfolio {
 public:
  TSLPortfolio() = default;
  TSLPortfolio(const TSLPortfolio&) = default;
  TSLPortfolio(TSLPortfolio&&) noexcept = default;
  TSLPortfolio& operator=(const TSLPortfolio&) = default;
  TSLPortfolio& operator=(TSLPortfolio&&) noexcept = default;
  virtual ~TSLPortfolio() = default;

  // flag: rank the lines (true) or give every ranked line rank 1 (false).
  // doRank -> RankAssets(flag); doRefresh -> RefreshWeightSeries(); then
  // always BuildAssetSeries().
  virtual void Compute(bool flag, bool doRank, bool doRefresh);

  // Rebuilds every line's Ranks on the dates of the longest RankingValues.
  void RankAssets(bool flag);
  // Every line's Weights := (date of each Returns point, Weight).
  void RefreshWeightSeries();
  // Rebuilds AssetSeries: every line cut to the window that starts at the
  // first grid date where two lines of positive weight have begun.
  void BuildAssetSeries();
  // Dates of the earliest-starting source series (RankingValues or Returns),
  // each with value -1.0.
  TSeries GetDateGrid(bool useRankingValues) const;
  // For each qualifying line (Weight > 0 when positiveWeightOnly), every grid
  // index whose date equals the first date of its source series; ascending.
  std::vector<std::int32_t> GetStartIndices(bool useRankingValues, bool positiveWeightOnly) const;
  // Selected when rank >= 1, count > 0 and
  // CountryRankingCriteria >= (rank - 1) / (count - 1) (threshold 0 when count is 1).
  bool IsRankSelected(std::int32_t rank, std::int32_t count) const;

  std::string Name;
  std::string PortfolioCcy;
  double CountryRankingCriteria = 0.0;
  std::vector<TSLLine> Lines;
  std::vector<TSLAssetSeries> AssetSeries;
  std::vector<TSLAllocation> Allocations;
  TSeries Returns;

 protected:
  // Helpers of the Build operations of the derived classes.
  // Empties Lines, AssetSeries and Returns; copies the portfolio currency and
  // the concentration level of competition `criteria` (0 equity, 1 fixed
  // income, 2 currency).
  void BeginBuild(const TUserSettings& settings, std::size_t criteria);
  // The country's first spot exchange-rate series; EModelError when it has none.
  static const TSeries& FirstSpotFx(const TCountry& country);
  // Factor turning amounts of `from`'s currency into `to`'s: MultiplySeries of
  // their first spot series with their ReverseQuote flags.
  static TSeries CurrencyRate(const TCountry& from, const TCountry& to);
  // Settings row i (rows follow the country order); EModelError when missing.
  static const TCountrySettings& SettingsRow(const TUserSettings& settings, std::size_t i);
  // A line named after the country, weight = percent / 100.
  static TSLLine NewLine(const TCountry& country, double weightPercent, double transactionCost);
  // Excess returns in dollars of an asset over the country's cash, both cut
  // to [from, to]: (asset return - cash return - hedgingCost) * dollar-rate growth.
  static TSeries DollarExcessReturns(const TSeries& asset, const TCountry& country, const TCountry& usdCountry,
                                     double from, double to, double hedgingCost);
  // Keeps, in order, the lines with at least 12 ranking values.
  void DropShortLines();

  // Shared steps of Recalculate and of the result pass of the derived classes.
  // Empties Returns; false when there are no lines or their weights sum to
  // exactly 0.0, otherwise runs Compute(flag, true, true) and returns true.
  bool PrepareRecalculate(bool flag);
  // Asset with the most return points (the first wins a tie); -1 when none has any.
  std::int32_t ReferenceAssetIndex() const;
  // One allocation and one selection per return date of the reference asset.
  // Over the m candidates (assets whose returns began on or before the date),
  // the selected ones (IsRankSelected(rank, m)) with weights w summing to S get
  //   adjusted = w + (S != 0 ? w / S : 0) * (1 - S),
  // written to AdjustedWeight, OpeningWeight and ClosingWeight.
  void BuildAllocations(std::int32_t referenceIndex, std::vector<TSLSelection>& selections);
  // Period k (k >= 1) earns sum(adjusted weight at k-1 * return at k) over
  // the assets selected at k-1.
  void BuildReturns(std::int32_t referenceIndex, const std::vector<TSLSelection>& selections);
  // Per period k: turnover T = sum of |adjusted change| of the assets held at
  // k-1 or k, cost C = sum of change * TransactionCost / 100; annualTurnover =
  // periods per year * mean of T (kNoFigure without turnover points).
  void BuildTurnover(std::int32_t referenceIndex, const std::vector<TSLSelection>& selections, std::int32_t frequency,
                     TSeries& turnover, TSeries& costs, double& annualTurnover) const;
  // The result pass: allocations and selections, then computeWeights (when
  // given) with the reference asset's index, the returns, and the deduction
  // of costs (when given).
  void RunResultPass(std::vector<TSLSelection>& selections, const std::function<void(std::int32_t)>& computeWeights,
                     const TSeries* costs);
  // Returns[i] -= costs[i].
  void SubtractCosts(const TSeries& costs);

 private:
  // The turnover and cost points of BuildTurnover.
  void AppendTurnover(std::int32_t referenceIndex, const std::vector<TSLSelection>& selections, TSeries& turnover,
                      TSeries& costs) const;
  // The asset positions of `selections`: those BuildAllocations formed with
  // them while the result pass that made them runs, else resolved from the
  // names into `own`.
  const TSLSelectionAssets& SelectionAssetsOf(const std::vector<TSLSelection>& selections,
                                              TSLSelectionAssets& own) const;

  // The asset positions of BuildAllocations' selections, and the selections
  // of the running result pass (nullptr outside one).
  TSLSelectionAssets SelectionAssets_;
  const std::vector<TSLSelection>* PassSelections_ = nullptr;
};

// Country equity indices, in excess of cash, in the portfolio currency;
// ranked by their trailing one-year return.
class TEquitySLPortfolio : public TSLPortfolio {
 public:
  void Build(const std::vector<TCountry>& countries, const TUserSettings& settings, std::int32_t frequency,
             double startDate, double endDate);
  void Recalculate(bool flag);
  void RebuildResults();
  void ComputeWeights(std::int32_t referenceIndex);

  std::int32_t Frequency = 0;
  double StartDate = 0.0;
  double EndDate = 0.0;
  std::vector<TSLSelection> Selections;
  TSeries Turnover;
  TSeries Costs;
  double AnnualTurnover = 0.0;
};

// Country government bonds ("RISKFREEASSET1") in excess of cash, in the
// portfolio currency; ranked by the 10-year rate.
class TBondSLPortfolio : public TSLPortfolio {
 public:
  void Build(const std::vector<TCountry>& countries, const TUserSettings& settings, std::int32_t frequency,
             double startDate, double endDate);
  void Recalculate(bool flag);
  void RebuildResults();
  void ComputeWeights(std::int32_t referenceIndex);

  std::int32_t Frequency = 0;
  double StartDate = 0.0;
  double EndDate = 0.0;
  std::vector<TSLSelection> Selections;
  TSeries Turnover;
  TSeries Costs;
  double AnnualTurnover = 0.0;
};

// Country cash held in the portfolio currency; ranked by the trailing
// one-year return. No transaction costs, no turnover.
class TCurrencySLPortfolio : public TSLPortfolio {
 public:
  void Build(const std::vector<TCountry>& countries, const TUserSettings& settings, std::int32_t frequency,
             double startDate, double endDate);
  void Recalculate(bool flag);
  void RebuildResults();

  std::int32_t Frequency = 0;
  double StartDate = 0.0;
  double EndDate = 0.0;
  std::vector<TSLSelection> Selections;
};
