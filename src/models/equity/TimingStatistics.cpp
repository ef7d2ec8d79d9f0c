// Statistics stage of the timing models: per country the model, index and
// risk-free figures with their On/Off split by the model's signal, and the
// figures of the whole portfolio against its benchmark.

#include <cstddef>
#include <string>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "common/SeriesStatistics.h"
#include "models/equity/TimingModel.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

namespace {

// On/Off figures of one return series: with L = ReturnsToIndex(returns), the
// periods whose opening signal is 1.0 (On) or 0.0 (Off) give the returns
// L_k / L_(k-1) - 1, and of each set the annualised return, volatility and
// maximum drawdown. Periods with any other signal value belong to neither.
// Work series of ComputeOnOffFigures, kept from call to call.
struct TOnOffScratch {
  TSeries Levels;
  TSeries On;
  TSeries Off;
};

void ComputeOnOffFigures(TStatisticsBlock& block, const TSeries& returns, const TSeries& signal, int frequency,
                         TOnOffScratch& scratch) {
  ReturnsToIndexInto(scratch.Levels, returns, frequency);
  const TSeries& on = scratch.On;
  ConditionalReturnsInto(scratch.On, scratch.Levels, signal, true);
  block.ReturnWhenOn = AnnualizedReturn(on, static_cast<std::uint32_t>(frequency));
  block.VolatilityWhenOn = AnnualizedVolatility(on, frequency);
  block.MaxDrawdownWhenOn = MaxDrawdown(on);
  const TSeries& off = scratch.Off;
  ConditionalReturnsInto(scratch.Off, scratch.Levels, signal, false);
  block.ReturnWhenOff = AnnualizedReturn(off, static_cast<std::uint32_t>(frequency));
  block.VolatilityWhenOff = AnnualizedVolatility(off, frequency);
  block.MaxDrawdownWhenOff = MaxDrawdown(off);
}

// Dates of the table: one period before the first model date to the last.
void SetPeriod(TStatisticsLabels& labels, const TSeries& model, int frequency) {
  labels.StartDate = model.empty() ? kNoFigure : GetPreviousPeriodDate(model.front().Date, frequency);
  labels.EndDate = model.empty() ? kNoFigure : model.back().Date;
}

void ComputeCountryStatistics(TCountryModelData& data, const TCountry& country, std::size_t signalPosition,
                              const TBenchmarkPortfolio& benchmark, int frequency, TOnOffScratch& scratch) {
  const TSeries& model = data.Series1.Series;
  const TSeries& index = data.Series2.Series;
  const TSeries& riskFree = data.Series3.Series;
  TPerformanceStatistics& st = data.Statistics;
  const TSeriesInfo& p = data.Parameters;

  // The signal over the model's periods, from the position held at the start of the first.
  TSeries signal;
  if (model.size() >= 2) {
    const TAssetSeries& asset =
        ModelAt(country.SignalAssets, static_cast<std::ptrdiff_t>(signalPosition), "country signal assets");
    signal = SliceSeries(asset.Series, GetPreviousPeriodDate(model.front().Date, frequency), model.back().Date);
  }

  st.HasData = !model.empty();
  st.Labels.Caption1 = p.IndexName;
  st.Labels.Caption2 = TranslateAssetName(p.RiskFreeId, atRiskFreeAsset, true);
  st.Labels.Caption4 = p.IndexCurrency;
  st.Labels.Caption5 = p.RiskFreeCurrency;
  st.Labels.Caption6 = p.PortfolioCcy;
  SetPeriod(st.Labels, model, frequency);

  ComputeStatisticsBlock(st.Index, index, frequency);
  ComputeStatisticsBlock(st.RiskFree, riskFree, frequency);
  ComputeStatisticsBlock(st.Model, model, frequency);
  ComputeOnOffFigures(st.Index, index, signal, frequency, scratch);
  ComputeOnOffFigures(st.RiskFree, riskFree, signal, frequency, scratch);
  ComputeOnOffFigures(st.Model, model, signal, frequency, scratch);

  st.EquityInvested = MeanValue(benchmark.ExposureSeries);
  st.Turnover = AnnualizedTurnover(benchmark.TurnoverSeries, static_cast<std::uint32_t>(frequency), false);

  // (Return - rf) / Volatility against the country's annualised cash return.
  for (TStatisticsBlock* block : {&st.Model, &st.Index, &st.RiskFree})
    block->Sharpe = SharpeRatio(*block, st.RiskFreeRate);
  st.Correlation = Correlation(index, model);
  st.Beta = Beta(index, model);
}

// Title of the total's risk-free asset: the first risk-free asset with the
// identifier in the portfolio-currency country; "" when there is none.
std::string TotalRiskFreeTitle(const std::vector<TCountry>& countries, const TSeriesInfo& parameters) {
  const int c = FindCountryIndex(parameters.PortfolioCcy, false);
  if (c < 0 || static_cast<std::size_t>(c) >= countries.size()) return {};
  for (const TAssetSeries& asset : countries[static_cast<std::size_t>(c)].RiskFreeAssets)
    if (asset.ID == parameters.RiskFreeId) return TranslateAssetName(asset.ID, atRiskFreeAsset, true);
  return {};
}

void ComputeTotalStatistics(TEQBLGraphicData& result) {
  TEQBLGraphicPart& total = result.Total;
  TPerformanceStatistics& st = total.Statistics;
  const TSeries& model = total.ModelSeries;
  const int frequency = static_cast<int>(result.Frequency);
  const std::string& ccy = total.Parameters.PortfolioCcy;

  st.RiskFreeRate = model.empty() ? kNoFigure
                                  : AnnualizedCashReturn(result.Countries, ccy, result.Frequency, model.front().Date,
                                                         model.back().Date);
  st.Labels.Caption2 = TotalRiskFreeTitle(result.Countries, total.Parameters);
  st.Labels.Caption5 = total.Parameters.RiskFreeCurrency;
  ComputeStatisticsBlock(st.RiskFree, total.RiskFreeSeries, frequency);

  // Title, period, model and benchmark blocks, Sharpe ratios against
  // RiskFreeRate (all kNoFigure without model data), correlation and beta.
  const double invested = model.empty() ? kNoFigure : MeanValue(total.ExposureSeries);
  const double turnover = model.empty() ? kNoFigure : AnnualizedTurnover(total.TurnoverSeries, result.Frequency, false);
  ComputePerformanceStatistics(st, model, total.BenchmarkSeries, "Portfolio", ccy, frequency, invested, turnover);
}

}  // namespace

void ComputeTimingStatistics(TTimingKind kind, TEQBLGraphicData& result) {
  const int frequency = static_cast<int>(result.Frequency);
  const std::size_t signalPosition =
      result.Countries.empty() ? 0
                               : FindAssetPosition(result.Countries.front().SignalAssets, TimingValues(kind).SignalKey);
  TOnOffScratch scratch;
  for (std::size_t k = 0; k < result.Countries.size(); ++k) {
    const auto at = static_cast<std::ptrdiff_t>(k);
    ComputeCountryStatistics(ModelAt(result.CountryData, at, "country records"), result.Countries[k], signalPosition,
                             ModelAt(result.Benchmarks, at, "country benchmarks"), frequency, scratch);
  }
  ComputeTotalStatistics(result);
}

}  // namespace models
