#pragma once
// The benchmark portfolio of the equity and global models: for every country
// with an equity weight, an equity leg ("EQINDEX") and a cash leg (the chosen
// risk-free asset), both as period returns in the portfolio currency. The
// country's weight is split between the legs by its "QVSIGNAL" and
// "BLSIGNAL" series and the user's trust in them; optionally only the
// countries with the best trailing one-year equity return keep their equity
// weight. Results: net returns, a dated allocation table, and per-period
// turnover, equity exposure and transaction costs.
//
// Pairing rule: all lines are matched to the longest line by counting from
// the END of their series (point j of a series of m points pairs with point k
// of the longest line of n points when j = m - n + k). A read that falls
// outside a series throws EModelError.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"

// One country of the benchmark.
struct TBenchmarkLine {
  std::string Name;
  TSeries EquityReturns;         // "EQINDEX" period returns in the portfolio currency
  TSeries CashReturns;           // chosen risk-free asset's period returns, or a given series
  TSeries RankingValues;         // trailing one-year equity return (ranking criterion)
  TSeries Ranks;                 // rank per date; -1.0 = unranked
  TSeries EquityWeights;         // equity-leg weight per date, fraction of the whole portfolio
  TSeries CashWeights;           // cash-leg weight per date
  double TransactionCost = 0.0;  // the country's EqTransactionCost, percent per unit traded
};

// One country's normalised weights at one date.
struct TBenchmarkHolding {
  std::string Name;
  double EquityWeight = 0.0;
  double RiskFreeWeight = 0.0;
  std::int32_t Rank = 0;  // the line's rank value truncated; -1 when not selected
};

// The allocation at one date.
struct TBenchmarkAllocation {
  double Date = 0.0;
  double Total = 0.0;  // sum of both legs' normalised weights (1.0 when any weight is present)
  std::vector<TBenchmarkHolding> Items;
};

class TBenchmarkPortfolio {
 public:
  // Replaces the lines; the results are left untouched. With trustFlag the
  // trust members take the settings' QVTrustLevel and BLTrustLevel, else 0.0.
  // Only endDate bounds the series (they start where the data allow).
  void Build(const std::vector<TCountry>& countries, const TUserSettings& settings, std::int32_t frequency,
             double endDate, bool trustFlag);
  // The call form of the model code: the start date and the mode are not read.
  void Build(const std::vector<TCountry>& countries, const TUserSettings& settings, std::int32_t frequency,
             double startDate, double endDate, std::int32_t mode, bool trustFlag);

  // The weight-independent part of the lines, element i for country i: the
  // equity and cash legs in the portfolio currency and the ranking values,
  // uncut. everyCountry false leaves the countries without equity weight
  // empty (as Build skips them). One conversion per country, to be shared by
  // several BuildFromLegs calls on the same list and settings (only the
  // settings' EqWeight may differ between them).
  std::vector<TBenchmarkLine> BuildLegs(const std::vector<TCountry>& countries, const TUserSettings& settings,
                                        std::int32_t frequency, bool everyCountry) const;
  // Build from legs made by BuildLegs on the same list: the same lines as
  // Build(countries, settings, frequency, endDate, trustFlag). EModelError
  // when a weighted country has no legs element.
  void BuildFromLegs(const std::vector<TBenchmarkLine>& legs, const std::vector<TCountry>& countries,
                     const TUserSettings& settings, std::int32_t frequency, double endDate, bool trustFlag);

  // Ranks (and with rankFlag selects) the lines, then rebuilds every result;
  // without lines all five result series come out empty.
  void Recalculate(bool rankFlag);
  // Recalculate without the dated allocation table: WeightHistory comes out
  // empty, the four series as Recalculate forms them.
  void RecalculateSeries(bool rankFlag);
  // Replaces every line's cash returns by the series (with a 0.0 point one
  // period before its first date put in front), cuts the lines to the dates
  // they share with it, then recomputes as Recalculate does. An empty series
  // or no lines change nothing.
  void RecalculateWithSeries(const TSeries& series, bool rankFlag);

  // Supporting operations.
  // Period returns of one series of country c in the portfolio currency:
  // hedged against c's cash through the c/USD rate (less the swap cost per
  // period when hedging and c is not the portfolio-currency country), compounded
  // to an index and converted by the USD/portfolio-currency rate.
  // Empty when a needed country, cash asset or spot series is missing.
  TSeries ConvertReturns(const std::vector<TCountry>& countries, const TUserSettings& settings, std::int32_t frequency,
                         const TSeries& series, std::size_t country) const;
  // Weight series of one leg of country c: EqWeight / 100 split by the
  // signal factor g (equity g, cash 1 - g); all in equity without trust.
  TSeries BuildSignalWeights(const std::vector<TCountry>& countries, const TUserSettings& settings,
                             std::int32_t frequency, const TSeries& equityReturns, const TSeries& cashReturns,
                             bool legFlag, std::size_t country) const;
  // g_i = (Q_i == 0 ? 1 - tQV : 1) * (B_i == 0 ? 1 - tBL : 1), dated as Q;
  // empty unless both have the same non-zero length.
  static TSeries CombineSignals(const TSeries& qvSignal, const TSeries& blSignal, double tQV, double tBL);
  // (date, 1 - t where the value is 0.0, 1.0 otherwise) per point.
  static TSeries SignalFactors(const TSeries& signal, double t);
  // Ranks the lines by their ranking values among those with a positive
  // equity weight at the date (rank p + 1 for place p; 1.0 when !rankFlag).
  void RankAssets(bool rankFlag);
  // RankAssets, then with rankFlag drops the equity weight of the lines
  // outside the selection fraction and spreads it over the selected ones in
  // proportion to their weights; cash weights are not touched.
  void RankAndSelect(bool rankFlag);
  // Per period k >= 1 over the lines begun before the date, with weights
  // normalised by the sum S of both legs (e' = e + (S != 0 ? e / S : 0)(1 - S)):
  // exposure = sum e'(k), turnover = sum |e'(k) - e'(k-1)|,
  // cost = sum 2 * TransactionCost / 100 * |e'(k) - e'(k-1)|.
  // longestLine -1: no line (the series are emptied).
  void ComputeWeights(std::int32_t longestLine);
  // false when rank < 1 or count == 0; else fraction >= (count > 1 ? (rank - 1) / (count - 1) : 0).
  bool IsRankSelected(std::int32_t rank, std::int32_t count) const;
  // Dates of the line whose ranking values (flag) or equity returns (!flag)
  // start first, each with value -1.0; empty when no line has such data.
  TSeries BuildDateGrid(bool flag) const;
  // HedgedReturns of the series with the c/portfolio-currency rate and the
  // cash series of c and of the portfolio-currency country, less the swap
  // cost when hedging.
  TSeries ConvertHedgedReturns(const std::vector<TCountry>& countries, const TUserSettings& settings,
                               std::int32_t frequency, const TSeries& series, std::size_t country) const;

  double QVTrustLevel = 0.0;  // percent
  double BLTrustLevel = 0.0;  // percent
  std::int32_t Frequency = 0;
  double CountryRankingCriteria = 0.0;  // selection fraction (equity criterion)
  std::vector<TBenchmarkLine> Lines;
  TSeries ReturnSeries;  // period returns net of transaction costs
  std::vector<TBenchmarkAllocation> WeightHistory;
  TSeries TurnoverSeries;
  TSeries ExposureSeries;  // sum of the normalised equity weights per period
  TSeries CostSeries;      // cost deducted from the returns per period

 private:
  // Whether RebuildResults fills WeightHistory.
  bool WithHistory_ = true;
  // Line with the most equity-weight points (the first on ties); -1 when none has any.
  std::int32_t LongestWeightLine() const;
  // Allocation rows, returns, weights and costs from the current lines.
  void RebuildResults();
  // Trust members, frequency and selection fraction of a build; clears the lines.
  void StartBuild(const TUserSettings& settings, std::int32_t frequency, bool trustFlag);
  // Adds the weight series to the legs of country i, cuts all five series
  // from the latest of their first dates to endDate and keeps the line when
  // none of them is empty.
  void AddLine(TBenchmarkLine line, const std::vector<TCountry>& countries, const TUserSettings& settings,
               double endDate, std::size_t country);
  // AddLine's work on a line that holds its legs: weights, cut, name, cost,
  // no ranks; false when the line is not kept.
  bool CompleteLine(TBenchmarkLine& line, const std::vector<TCountry>& countries, const TUserSettings& settings,
                    double endDate, std::size_t country) const;
  // Timing factor g per signal date of country c (see CombineSignals and
  // SignalFactors); empty when the legs and the "QVSIGNAL" series leave no range.
  TSeries TimingFactors(const std::vector<TCountry>& countries, const TUserSettings& settings,
                        const TSeries& equityReturns, const TSeries& cashReturns, std::size_t country) const;
  // One leg's weights: with factors, (date, (leg ? g : 1 - g) * eqWeight / 100)
  // per factor; without, (date, eqWeight * (leg ? 1 : 0) / 100) per point.
  static TSeries LegWeights(const TSeries& source, double eqWeight, bool legFlag, bool factors);
  // The same written into `weights` (its storage kept).
  static void LegWeightsInto(TSeries& weights, const TSeries& source, double eqWeight, bool legFlag, bool factors);
  // Drops the lines with fewer than 12 ranking values or no weights.
  void DropShortLines();
};
