// Allocation stage of the timing models: the level, drawdown and rolling
// one-year chart sets per country and for the total, the present split of
// every country's weight between equities and the risk-free asset (three
// item lists, in percent), that split at every signal date (two histories,
// fractions) and the dated total allocation.
//
// A country's equity factor for the signal s is 1 - T/100 when s is 0.0 (Off)
// and 1.0 otherwise; a country without a signal (-1.0) is left out.

#include <cstddef>
#include <string>

#include "common/CountryHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/TimingModel.h"
#include "portfolio/ModelError.h"

namespace models {

namespace {

// Index, drawdown and rolling one-year sets of (index or benchmark, risk-free,
// model), each series cut to the model's first and last dates first.
void FillTimingChartSets(TNamedSeriesSet& indexCharts, TNamedSeriesSet& drawdownCharts, TNamedSeriesSet& oneYearCharts,
                         const TNamedSeries& index, const TNamedSeries& riskFree, const TNamedSeries& model,
                         int frequency) {
  const double from = model.Series.empty() ? kMissingDate : model.Series.front().Date;
  const double to = model.Series.empty() ? kMissingDate : model.Series.back().Date;
  const TNamedSeries* sources[3] = {&index, &riskFree, &model};
  TSeries picked;
  for (std::size_t i = 0; i < 3; ++i) {
    // Each chart series is written into the record's own (of an earlier run).
    const TSeriesSpan cut = SliceSpan(sources[i]->Series, from, to, picked);
    indexCharts[i].Name = sources[i]->Name;
    ReturnsToIndexInto(indexCharts[i].Series, cut, frequency);
    drawdownCharts[i].Name = sources[i]->Name;
    DrawdownSeriesInto(drawdownCharts[i].Series, cut, frequency);
    oneYearCharts[i].Name = sources[i]->Name;
    RollingOneYearReturnsInto(oneYearCharts[i].Series, cut);
  }
}

// 1 - T/100 for an Off signal (0.0), else 1.0.
double EquityFactor(double signal, double trust) { return signal == 0.0 ? 1.0 - trust / 100.0 : 1.0; }

// The last normalised weight; an empty weight series counts as 0.0.
double LastWeight(const TCountryModelSummary& summary) {
  return summary.WeightSeries.empty() ? 0.0 : summary.WeightSeries.back().Value;
}

// The signal of the present allocation: the last signal value when the
// country has model contributions, else (and for an empty row) no signal.
double PresentSignal(const TCountryModelSummary& summary, const TLabelledSeries& row) {
  if (summary.ContributionSeries.empty() || row.Series.empty()) return kMissingSignal;
  return row.Series.back().Value;
}

// Equity (equity true) or risk-free shares of every country at every date of
// the signal grid: factor(s_i) * W_k, or (1 - factor(s_i)) * W_k; countries
// without a signal at the date are not listed.
// The history is written over `history` (its rows and holdings of an earlier
// run keep their storage).
void SignalHistory(std::vector<TAllocationRow>& history, const TEQBLGraphicData& result,
                   const std::vector<double>& weights, double trust, bool equity) {
  const TSeries& grid = ModelAt(result.Rows1, 0, "signal rows").Series;
  history.resize(grid.size());
  for (std::size_t i = 0; i < grid.size(); ++i) {
    TAllocationRow& row = history[i];
    row.Date = grid[i].Date;
    row.TotalWeight = 1.0;
    std::size_t held = 0;
    for (std::size_t k = 0; k < result.Countries.size(); ++k) {
      const TSeries& signal = ModelAt(result.Rows1, static_cast<std::ptrdiff_t>(k), "signal rows").Series;
      const double s = ModelAt(signal, static_cast<std::ptrdiff_t>(i), "signal row points").Value;
      if (s == kMissingSignal) continue;
      const double factor = EquityFactor(s, trust);
      if (held == row.Holdings.size()) row.Holdings.emplace_back();
      TWeightedName& holding = row.Holdings[held++];
      holding.Name = result.Countries[k].Name;
      holding.Weight = (equity ? factor : 1.0 - factor) * weights[k];
    }
    row.Holdings.resize(held);
  }
}

}  // namespace

void FillTimingCountryCharts(TEQBLGraphicData& result) {
  const int frequency = static_cast<int>(result.Frequency);
  for (std::size_t k = 0; k < result.Countries.size(); ++k) {
    TCountryModelData& d = ModelAt(result.CountryData, static_cast<std::ptrdiff_t>(k), "country records");
    FillTimingChartSets(d.IndexCharts, d.DrawdownCharts, d.OneYearCharts, d.Series2, d.Series3, d.Series1, frequency);
  }
}

void ComputeTimingAllocations(TTimingKind kind, TEQBLGraphicData& result) {
  ComputeTimingAllocations(kind, result, true);
}

void ComputeTimingAllocations(TTimingKind kind, TEQBLGraphicData& result, bool withCountryCharts) {
  const int frequency = static_cast<int>(result.Frequency);
  const double trust = TimingTrustLevel(kind, result.Total.Parameters);
  const std::size_t n = result.Countries.size();

  if (withCountryCharts) FillTimingCountryCharts(result);

  const std::string shortTitle = ShortRiskFreeTitle(TranslateAssetName(
      ModelAt(result.Total.Summaries, 0, "country summaries").Parameters.RiskFreeId, atRiskFreeAsset, true));

  // Present allocation, in percent: equity factor(s) * W * 100, risk-free
  // (1 - factor(s)) * W * 100; total = sum of the equity shares as fractions.
  result.Allocations2.clear();
  result.Allocations3.clear();
  result.Allocations1.clear();
  std::vector<double> weights(n, 0.0);
  double total = 0.0;
  for (std::size_t k = 0; k < n; ++k) {
    const auto at = static_cast<std::ptrdiff_t>(k);
    const TCountryModelSummary& summary = ModelAt(result.Total.Summaries, at, "country summaries");
    const TCountry& country = result.Countries[k];
    weights[k] = LastWeight(summary);
    const bool excluded = summary.EqWeight == 0.0;
    TStateItem equity{country.Name, country.RegionName, {0.0}, excluded ? 2 : 0};
    TStateItem riskFree{country.Name, country.RegionName, {0.0}, excluded ? 2 : 1};
    TStateItem both{country.Name, country.RegionName, {0.0, 0.0}, excluded ? 2 : 0};
    const double s = PresentSignal(summary, ModelAt(result.Rows1, at, "signal rows"));
    if (s != kMissingSignal) {
      const double factor = EquityFactor(s, trust);
      equity.Values[0] = factor * weights[k] * 100.0;
      riskFree.Values[0] = (1.0 - factor) * weights[k] * 100.0;
      both.Values = {equity.Values[0], riskFree.Values[0]};
      total += equity.Values[0] / 100.0;
    }
    result.Allocations2.push_back(std::move(equity));
    result.Allocations3.push_back(std::move(riskFree));
    result.Allocations1.push_back(std::move(both));
  }

  TEQBLGraphicPart& part = result.Total;
  part.EquityHistoryTitle.clear();
  part.RiskFreeHistoryTitle.clear();
  SignalHistory(part.EquityHistory, result, weights, trust, true);
  SignalHistory(part.RiskFreeHistory, result, weights, trust, false);

  // Total allocation per exposure date; the last record carries the present total.
  part.AllocationTitle.clear();
  const std::string riskFreeLabel = "Total " + shortTitle + " Allocation";
  const TSeries& exposure = part.ExposureSeries;
  part.AllocationHistory.resize(exposure.size());  // rows of an earlier run are rewritten
  for (std::size_t i = 0; i < exposure.size(); ++i) {
    const double v = i + 1 < exposure.size() ? exposure[i].Value : total;
    TAllocationRow& row = part.AllocationHistory[i];
    row.Date = exposure[i].Date;
    row.TotalWeight = 1.0;
    row.Holdings.resize(2);
    row.Holdings[0].Name = "Total Equity Allocation";
    row.Holdings[0].Weight = v;
    row.Holdings[1].Name = riskFreeLabel;
    row.Holdings[1].Weight = 1.0 - v;
  }

  FillTimingChartSets(part.IndexCharts, part.DrawdownCharts, part.OneYearCharts,
                      {part.BenchmarkName, part.BenchmarkSeries}, {part.RiskFreeSeriesName, part.RiskFreeSeries},
                      {part.ModelName, part.ModelSeries}, frequency);
}

}  // namespace models
