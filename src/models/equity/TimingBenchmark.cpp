// The two benchmark stages of the timing models: the timed and plain total
// benchmarks with the total-level series, and one timed benchmark per country.
//
// Each stage converts the legs of every country once (BuildLegs) and builds
// all its portfolios from them; a portfolio built so holds the same lines as
// one built from the list directly.

#include <cstddef>
#include <string>
#include <utility>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/SeriesCurrencyConversion.h"
#include "models/equity/TimingModel.h"
#include "portfolio/BenchmarkPortfolio.h"
#include "portfolio/ModelError.h"

namespace models {

namespace {

// What both stages prepare: the run window, the argument list cut to it, the
// settings copy S' (the other model's trust level 0.0, the equity selection
// fraction 1.0) and the timing flag (the model's own trust level is not 0.0).
// Countries points at OwnCut, or at a list already cut to the same window.
struct TBenchmarkFrame {
  TRunWindow Window;
  std::vector<TCountry> OwnCut;
  const std::vector<TCountry>* Countries = nullptr;
  TUserSettings Settings;
  bool Timing = false;
};

// The frame of the benchmark stages. When `cut` is given it must be the
// argument list cut to the window that the stages compute (the run's own
// Countries: the timing models run on the same window); it is used in place
// of a new cut.
TBenchmarkFrame PrepareBenchmark(TTimingKind kind, const std::vector<TCountry>& countries,
                                 const TUserSettings& settings, bool intraMonth,
                                 const std::vector<TCountry>* cut = nullptr) {
  TBenchmarkFrame frame;
  frame.Window = BaseRunWindow(countries, settings, intraMonth, "EQINDEX", atIndex);
  if (cut == nullptr) {
    frame.OwnCut = CutCountryList(countries, frame.Window.StartDate, frame.Window.EndDate);
    cut = &frame.OwnCut;
  }
  frame.Countries = cut;
  frame.Settings = settings;
  if (kind == TTimingKind::EQBL)
    frame.Settings.QVTrustLevel = 0.0;
  else
    frame.Settings.BLTrustLevel = 0.0;
  frame.Settings.CountryRankingCriteria[0] = 1.0;
  frame.Timing = TimingTrustLevel(kind, frame.Settings) != 0.0;
  return frame;
}

// Builds the portfolio from the shared legs and recalculates it without
// ranking; with withHistory false its allocation table is left empty.
void BuildAndRecalculate(TBenchmarkPortfolio& portfolio, const std::vector<TBenchmarkLine>& legs,
                         const TBenchmarkFrame& frame, std::uint32_t frequency, bool timing, bool withHistory = true) {
  portfolio.BuildFromLegs(legs, *frame.Countries, frame.Settings, static_cast<std::int32_t>(frequency),
                          frame.Window.EndDate, timing);
  if (withHistory)
    portfolio.Recalculate(false);
  else
    portfolio.RecalculateSeries(false);
}

// The risk-free asset of the total: among the risk-free assets of the
// portfolio-currency country (FindCountryIndex by currency, taken as a
// position in the cut list) the last one with the identifier; nullptr when
// there is no such country or asset.
const TAssetSeries* TotalRiskFreeAsset(const std::vector<TCountry>& countries, const TSeriesInfo& parameters) {
  const int c = FindCountryIndex(parameters.PortfolioCcy, false);
  if (c < 0 || static_cast<std::size_t>(c) >= countries.size()) return nullptr;
  const TAssetSeries* found = nullptr;
  for (const TAssetSeries& asset : countries[static_cast<std::size_t>(c)].RiskFreeAssets)
    if (asset.ID == parameters.RiskFreeId) found = &asset;
  return found;
}

std::vector<TBenchmarkLine> BuildLegs(const TBenchmarkFrame& frame, std::uint32_t frequency, bool everyCountry) {
  return TBenchmarkPortfolio().BuildLegs(*frame.Countries, frame.Settings, static_cast<std::int32_t>(frequency),
                                         everyCountry);
}

// The timed and plain totals and the total-level series.
void TotalBenchmarks(TEQBLGraphicData& result, const TBenchmarkFrame& frame, const std::vector<TBenchmarkLine>& legs) {
  const double ws = frame.Window.StartDate;
  const double we = frame.Window.EndDate;
  // The timed and the plain benchmark differ only in their weights; only
  // their series are read.
  TBenchmarkPortfolio timed;
  TBenchmarkPortfolio plain;
  RunSideBySide([&] { BuildAndRecalculate(timed, legs, frame, result.Frequency, frame.Timing, false); },
                [&] { BuildAndRecalculate(plain, legs, frame, result.Frequency, false, false); });

  TEQBLGraphicPart& total = result.Total;
  const TSeries model = ConvertSeriesToPortfolioCurrency(result.Countries, timed.ReturnSeries, frame.Settings, ws, we);
  const TSeries benchmark =
      ConvertSeriesToPortfolioCurrency(result.Countries, plain.ReturnSeries, frame.Settings, ws, we);

  // Everything on the range common to model and benchmark.
  const auto range = GetCommonDateRange(model, benchmark);
  total.ModelSeries = SliceSeries(model, range[0], range[1]);
  total.BenchmarkSeries = SliceSeries(benchmark, range[0], range[1]);
  total.ExposureSeries = SliceSeries(timed.ExposureSeries, range[0], range[1]);
  total.TurnoverSeries = SliceSeries(timed.TurnoverSeries, range[0], range[1]);

  // Risk-free returns of the portfolio-currency country, within the model's dates.
  const TSeriesInfo& parameters = total.Parameters;
  const TAssetSeries* riskFree = TotalRiskFreeAsset(*frame.Countries, parameters);
  const std::string inCcy = " (In " + parameters.PortfolioCcy + ")";
  total.BenchmarkName = "Benchmark" + inCcy;
  total.RiskFreeSeriesName =
      (riskFree != nullptr ? TranslateAssetName(riskFree->ID, atRiskFreeAsset, true) : std::string()) +
      parameters.RiskFreeCurrency + inCcy;
  total.ModelName = "(In " + parameters.PortfolioCcy + ")";
  if (riskFree == nullptr || total.ModelSeries.empty()) {
    total.RiskFreeSeries.clear();
  } else {
    total.RiskFreeSeries = SliceSeries(ComputeReturns(riskFree->Series, 0.0), total.ModelSeries.front().Date,
                                       total.ModelSeries.back().Date);
  }
}

// One timed benchmark per country of [from, to), each holding that country
// alone at 100 %, into result.Benchmarks (already one per country). The
// record's earlier portfolios are rebuilt in place (a build and a
// recalculation rewrite every member), which spares freeing and allocating
// their histories. Leaves every EqWeight of frame.Settings at 0.0.
void CountryBenchmarks(TEQBLGraphicData& result, TBenchmarkFrame& frame, const std::vector<TBenchmarkLine>& legs,
                       std::size_t from, std::size_t to) {
  const std::size_t n = frame.Countries->size();
  for (std::size_t j = 0; j < n; ++j)
    ModelAt(frame.Settings.CountrySettings, static_cast<std::ptrdiff_t>(j), "country settings").EqWeight = 0.0;
  for (std::size_t i = from; i < to; ++i) {
    TCountrySettings& row = frame.Settings.CountrySettings[i];
    row.EqWeight = 100.0;
    TBenchmarkPortfolio& single = result.Benchmarks[i];
    BuildAndRecalculate(single, legs, frame, result.Frequency, frame.Timing);
    single.ReturnSeries = ConvertSeriesToPortfolioCurrency(result.Countries, single.ReturnSeries, frame.Settings,
                                                           frame.Window.StartDate, frame.Window.EndDate);
    row.EqWeight = 0.0;
  }
}

}  // namespace

void ComputeTimingBenchmark(TTimingKind kind, TEQBLGraphicData& result, const std::vector<TCountry>& countries,
                            const TUserSettings& settings, bool intraMonth) {
  const TBenchmarkFrame frame = PrepareBenchmark(kind, countries, settings, intraMonth);
  TotalBenchmarks(result, frame, BuildLegs(frame, result.Frequency, false));
}

void ComputeTimingBenchmark2(TTimingKind kind, TEQBLGraphicData& result, const std::vector<TCountry>& countries,
                             const TUserSettings& settings, bool intraMonth) {
  TBenchmarkFrame frame = PrepareBenchmark(kind, countries, settings, intraMonth);
  result.Benchmarks.resize(frame.Countries->size());
  CountryBenchmarks(result, frame, BuildLegs(frame, result.Frequency, true), 0, frame.Countries->size());
}

void ComputeTimingBenchmarks(TTimingKind kind, TEQBLGraphicData& result, const std::vector<TCountry>& countries,
                             const TUserSettings& settings, bool intraMonth) {
  // The run's Countries is the argument list cut to the run window; when the
  // stages' window is that window, it is their cut list too.
  const TRunWindow window = BaseRunWindow(countries, settings, intraMonth, "EQINDEX", atIndex);
  const bool sameWindow = window.StartDate == result.StartDate && window.EndDate == result.EndDate &&
                          result.Countries.size() == countries.size();
  TBenchmarkFrame frame =
      PrepareBenchmark(kind, countries, settings, intraMonth, sameWindow ? &result.Countries.List() : nullptr);
  // Legs of every country serve both stages: the totals read only the weighted ones.
  const std::vector<TBenchmarkLine> legs = BuildLegs(frame, result.Frequency, true);
  // The totals write Total; each half of the countries its own Benchmarks
  // and its own copy of the settings.
  const std::size_t n = frame.Countries->size();
  const std::size_t half = n / 2;
  result.Benchmarks.resize(n);
  TBenchmarkFrame firstHalf{frame.Window, {}, frame.Countries, frame.Settings, frame.Timing};
  TBenchmarkFrame secondHalf{frame.Window, {}, frame.Countries, frame.Settings, frame.Timing};
  RunSideBySide([&] { TotalBenchmarks(result, frame, legs); },
                [&] { CountryBenchmarks(result, firstHalf, legs, 0, half); },
                [&] { CountryBenchmarks(result, secondHalf, legs, half, n); });
}

}  // namespace models
