#include "models/equity/TimingModel.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <utility>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/TextHelpers.h"
#include "models/equity/ModelFrame.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioCurrency.h"

namespace models {

namespace {

constexpr double kNoEstimateDate = 1.0;

std::ptrdiff_t Pos(std::size_t i) { return static_cast<std::ptrdiff_t>(i); }

// Estimates of the next signal, one point per country of result.Countries:
// (1.0, -1.0) unless the input list says otherwise. When the first input
// country's signal ends on EndDate the countries' own estimates are taken;
// otherwise each country takes the uncut signal point that follows the point
// dated EndDate, provided its signal keeps a point inside the window.
void PrepareEstimatedSignals(TTimingKind kind, TEQBLGraphicData& result, const std::vector<TCountry>& countries) {
  const std::size_t n = result.Countries.size();
  result.Values1.assign(n, TDataPoint{kNoEstimateDate, kMissingSignal});
  if (countries.empty() || countries.size() < n) return;

  const std::vector<TAssetSeries>& firstSignals = countries.front().SignalAssets;
  const std::size_t k = FindAssetPosition(firstSignals, TimingValues(kind).SignalKey);
  // Without a signal to compare with EndDate no estimate is known; the signal
  // stage reports the missing signal.
  if (k >= firstSignals.size() || firstSignals[k].Series.empty()) return;
  const double lastSignalDate = firstSignals[k].Series.back().Date;

  if (lastSignalDate == result.EndDate) {
    for (std::size_t c = 0; c < n; ++c) result.Values1[c] = {countries[c].EstimationDate, countries[c].EstimatedSignal};
    return;
  }
  for (std::size_t c = 0; c < n; ++c) {
    const std::vector<TAssetSeries>& cut = result.Countries[c].SignalAssets;
    const std::vector<TAssetSeries>& uncut = countries[c].SignalAssets;
    if (k >= cut.size() || k >= uncut.size() || cut[k].Series.empty()) continue;
    const TSeries& series = uncut[k].Series;
    for (std::size_t j = 0; j + 1 < series.size(); ++j)
      if (series[j].Date == result.EndDate) result.Values1[c] = series[j + 1];
  }
}

}  // namespace

const TTimingModelValues& TimingValues(TTimingKind kind) {
  static const TTimingModelValues kEQBL{TTimingKind::EQBL, "EQBL", "BLSIGNAL"};
  static const TTimingModelValues kEQQV{TTimingKind::EQQV, "EQQV", "QVSIGNAL"};
  return kind == TTimingKind::EQBL ? kEQBL : kEQQV;
}

double TimingTrustLevel(TTimingKind kind, const TSeriesInfo& parameters) {
  return kind == TTimingKind::EQBL ? parameters.BLTrustLevel : parameters.QVTrustLevel;
}

double TimingTrustLevel(TTimingKind kind, const TUserSettings& settings) {
  return kind == TTimingKind::EQBL ? settings.BLTrustLevel : settings.QVTrustLevel;
}

void PrepareTimingRun(TTimingKind kind, TEQBLGraphicData& result, const std::vector<TCountry>& countries) {
  PrepareEstimatedSignals(kind, result, countries);
  const std::size_t n = result.Countries.size();
  result.CountryData.assign(n, TCountryModelData{});
  result.Total.Summaries.assign(n, TCountryModelSummary{});
}

void ComputeTimingModel(TTimingKind kind, TEQBLGraphicData& result, const std::vector<TCountry>& countries,
                        const TUserSettings& settings, std::uint32_t frequency, bool intraMonth,
                        platform::ProgressSink& progress, std::uint32_t& step) {
  // The stages read the uncut list after the frame has cut the record's own.
  if (&countries == &result.Countries.List()) {
    const TSharedCountryList own = std::move(result.Countries);  // held while the run replaces the record's
    result.Countries = TSharedCountryList();
    return ComputeTimingModel(kind, result, own.List(), settings, frequency, intraMonth, progress, step);
  }
  const TTimingModelValues& values = TimingValues(kind);
  TStageCounter counter(progress, step);
  const TModelFrameValues frame{values.Code, "EQINDEX", atIndex, 1, TStartShift::None};
  RunModelFrame(result, countries, settings, frequency, intraMonth, frame, counter);
  PrepareTimingRun(kind, result, countries);

  counter.Next();  // 2
  BuildTimingCountryRecords(kind, result, settings);
  // Stage 6 reads the input list, the settings and what stage 2 formed, and
  // writes what stages 3 to 5 neither read nor write (Total's series and
  // names, Benchmarks): it runs beside them and is taken up at its own stage.
  TSideRun benchmarks([&] { ComputeTimingBenchmarks(kind, result, countries, settings, intraMonth); });
  counter.Next();  // 3
  LoadTimingSignals(kind, result);
  counter.Next();  // 4
  ComputeTimingPositions(kind, result);
  counter.Next();  // 5
  ComputeTimingPortfolio(kind, result);
  // The country charts of stage 8 read only stage 5's series and write only
  // the charts: they are filled beside stages 6 and 7.
  TSideRun charts([&] { FillTimingCountryCharts(result); });
  counter.Next();  // 6: both benchmarks on the uncut input list
  benchmarks.Join();
  counter.Next();  // 7
  ComputeTimingStatistics(kind, result);
  counter.Next();  // 8
  charts.Join();
  ComputeTimingAllocations(kind, result, false);
  counter.Next();  // 9: "100%"
}

void BuildTimingCountryRecords(TTimingKind kind, TEQBLGraphicData& result, const TUserSettings& settings) {
  const bool riskFreeIsCash = IsCashAssetId(settings.RiskFreeId);

  for (std::size_t i = 0; i < result.Countries.size(); ++i) {
    const TCountry& country = result.Countries[i];
    const TCountrySettings& row = ModelAt(settings.CountrySettings, Pos(i), "country settings");
    TSeriesInfo p;
    p.PortfolioCcy = settings.PortfolioCcy;
    p.RiskFreeId = settings.RiskFreeId;
    p.FxHedging = settings.FxHedging;
    if (kind == TTimingKind::EQQV) p.QVTrustLevel = settings.QVTrustLevel;
    if (kind == TTimingKind::EQBL) p.BLTrustLevel = settings.BLTrustLevel;
    p.IndexCurrency = country.Currency;
    p.RiskFreeCurrency = country.Currency;
    p.IndexName = country.IndexName;
    p.IndexTicker = country.IndexTicker;
    p.IndexTransactionCost = row.EqTransactionCost;
    // A cash asset is held without switching cost.
    p.RiskFreeTransactionCost = riskFreeIsCash ? 0.0 : row.EqTransactionCost;
    p.FxHedgingTransactionCost = row.EqFxSwapBorrowingCost;

    ModelAt(result.CountryData, Pos(i), "country data").Parameters = p;
    TCountryModelSummary& summary = ModelAt(result.Total.Summaries, Pos(i), "country summaries");
    summary.Parameters = std::move(p);
    summary.EqWeight = row.EqWeight;
    summary.EqTransactionCost = row.EqTransactionCost;
  }

  TSeriesInfo& total = result.Total.Parameters;
  total.PortfolioCcy = settings.PortfolioCcy;
  total.RiskFreeId = settings.RiskFreeId;
  total.FxHedging = settings.FxHedging;
  total.QVTrustLevel = settings.QVTrustLevel;
  total.BLTrustLevel = settings.BLTrustLevel;
  total.EquityRankingCriteria = settings.CountryRankingCriteria[0];
  total.RiskFreeCurrency.clear();

  BuildTimingCountryWeightSeries(result);

  // Replaced on every run: empty when there is no cash asset of the
  // portfolio currency, never the previous run's returns.
  result.Values2.clear();
  result.Values2 = PortfolioCashReturns(result.Countries, settings.PortfolioCcy);
}

void BuildTimingCountryWeightSeries(TEQBLGraphicData& result) {
  std::vector<TCountryModelSummary>& summaries = result.Total.Summaries;
  if (result.Countries.empty()) return;
  const std::size_t e = FindAssetPosition(result.Countries.front().IndexAssets, "EQINDEX");

  // Fixed weight EqWeight / 100 on every index date but the first.
  for (std::size_t i = 0; i < result.Countries.size(); ++i) {
    TCountryModelSummary& s = ModelAt(summaries, Pos(i), "country summaries");
    s.WeightSeries.clear();
    const TSeries& index = ModelAt(result.Countries[i].IndexAssets, Pos(e), "index assets").Series;
    if (index.size() < 2) continue;
    s.WeightSeries.reserve(index.size() - 1);
    for (std::size_t j = 1; j < index.size(); ++j) s.WeightSeries.push_back({index[j].Date, s.EqWeight / 100.0});
  }

  // Reference: the longest weight series of a country with a positive weight
  // (the first of equal lengths).
  const TCountryModelSummary* reference = nullptr;
  for (const TCountryModelSummary& s : summaries)
    if (s.EqWeight > 0.0 && !s.WeightSeries.empty() &&
        (reference == nullptr || s.WeightSeries.size() > reference->WeightSeries.size()))
      reference = &s;
  if (reference == nullptr) return;
  const TSeries referenceDates = reference->WeightSeries;
  const std::size_t n = referenceDates.size();

  // The countries in the order of their first weight date, so that the set
  // of started countries shrinks by a pointer while the date d falls.
  std::vector<std::size_t> started;
  for (std::size_t i = 0; i < summaries.size(); ++i)
    if (!summaries[i].WeightSeries.empty()) started.push_back(i);
  std::stable_sort(started.begin(), started.end(), [&](std::size_t a, std::size_t b) {
    return summaries[a].WeightSeries.front().Date < summaries[b].WeightSeries.front().Date;
  });

  // From the last date back: S = sum of EqWeight / 100 over the countries
  // started on or before d; each started weight v := v + (v / S)(1 - S), so
  // that the started weights sum to 1. Points are paired from the end. S is
  // summed in country order and recomputed only when the started set changes.
  std::size_t count = started.size();
  std::size_t countOfS = std::numeric_limits<std::size_t>::max();
  double sum = 0.0;
  std::vector<bool> active(summaries.size(), false);
  for (std::size_t t = n; t-- > 0;) {
    const double d = referenceDates[t].Date;
    while (count > 0 && summaries[started[count - 1]].WeightSeries.front().Date > d) --count;
    if (count != countOfS) {
      std::fill(active.begin(), active.end(), false);
      for (std::size_t a = 0; a < count; ++a) active[started[a]] = true;
      sum = 0.0;
      for (std::size_t i = 0; i < summaries.size(); ++i)
        if (active[i]) sum += summaries[i].EqWeight / 100.0;
      countOfS = count;
    }
    if (sum == 0.0) continue;  // nothing to normalise: the weights stay as they are
    for (std::size_t i = 0; i < summaries.size(); ++i) {
      if (!active[i]) continue;
      TSeries& w = summaries[i].WeightSeries;
      const std::ptrdiff_t q = Pos(w.size()) - Pos(n - t);
      TDataPoint& point = ModelAt(w, q, "weight series aligned from the end");
      point.Value = point.Value + (point.Value / sum) * (1.0 - sum);
    }
  }
}

// ---- EQBL --------------------------------------------------------------------

void ComputeEQBLModel(TEQBLGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  ComputeTimingModel(TTimingKind::EQBL, *result, countries, settings, frequency, intraMonth, progress, step);
}
void BuildEQBLCountryRecords(TEQBLGraphicData* result, TUserSettings settings) {
  BuildTimingCountryRecords(TTimingKind::EQBL, *result, settings);
}
void BuildEQBLCountryWeightSeries(TEQBLGraphicData* result) { BuildTimingCountryWeightSeries(*result); }
void LoadEQBLSignals(TEQBLGraphicData* result) { LoadTimingSignals(TTimingKind::EQBL, *result); }
void ComputeEQBLPositions(TEQBLGraphicData* result) { ComputeTimingPositions(TTimingKind::EQBL, *result); }
void ComputeEQBLPortfolio(TEQBLGraphicData* result) { ComputeTimingPortfolio(TTimingKind::EQBL, *result); }
void ComputeEQBLBenchmark(TEQBLGraphicData* result, const std::vector<TCountry>& countries,
                          const TUserSettings& settings, bool intraMonth) {
  ComputeTimingBenchmark(TTimingKind::EQBL, *result, countries, settings, intraMonth);
}
void ComputeEQBLBenchmark2(TEQBLGraphicData* result, const std::vector<TCountry>& countries,
                           const TUserSettings& settings, bool intraMonth) {
  ComputeTimingBenchmark2(TTimingKind::EQBL, *result, countries, settings, intraMonth);
}
void ComputeEQBLStatistics(TEQBLGraphicData* result) { ComputeTimingStatistics(TTimingKind::EQBL, *result); }
void ComputeEQBLAllocations(TEQBLGraphicData* result) { ComputeTimingAllocations(TTimingKind::EQBL, *result); }

// ---- EQQV --------------------------------------------------------------------

void ComputeEQQVModel(TEQQVGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  ComputeTimingModel(TTimingKind::EQQV, *result, countries, settings, frequency, intraMonth, progress, step);
}
void BuildEQQVCountryRecords(TEQQVGraphicData* result, TUserSettings settings) {
  BuildTimingCountryRecords(TTimingKind::EQQV, *result, settings);
}
void BuildEQQVCountryWeightSeries(TEQQVGraphicData* result) { BuildTimingCountryWeightSeries(*result); }
void LoadEQQVSignals(TEQQVGraphicData* result) { LoadTimingSignals(TTimingKind::EQQV, *result); }
void ComputeEQQVPositions(TEQQVGraphicData* result) { ComputeTimingPositions(TTimingKind::EQQV, *result); }
void ComputeEQQVPortfolio(TEQQVGraphicData* result) { ComputeTimingPortfolio(TTimingKind::EQQV, *result); }
void ComputeEQQVBenchmark(TEQQVGraphicData* result, const std::vector<TCountry>& countries,
                          const TUserSettings& settings, bool intraMonth) {
  ComputeTimingBenchmark(TTimingKind::EQQV, *result, countries, settings, intraMonth);
}
void ComputeEQQVBenchmark2(TEQQVGraphicData* result, const std::vector<TCountry>& countries,
                           const TUserSettings& settings, bool intraMonth) {
  ComputeTimingBenchmark2(TTimingKind::EQQV, *result, countries, settings, intraMonth);
}
void ComputeEQQVStatistics(TEQQVGraphicData* result) { ComputeTimingStatistics(TTimingKind::EQQV, *result); }
void ComputeEQQVAllocations(TEQQVGraphicData* result) { ComputeTimingAllocations(TTimingKind::EQQV, *result); }

}  // namespace models
