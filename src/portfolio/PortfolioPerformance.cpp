#include "portfolio/PortfolioPerformance.h"

#include <initializer_list>
#include <tuple>
#include <utility>

#include "common/DateHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "common/SeriesStatistics.h"

void CopySettingsToSeriesInfo(TSeriesInfo& info, const TUserSettings& settings, TParameterGroup group) {
  info.PortfolioCcy = settings.PortfolioCcy;
  info.RiskFreeId = settings.RiskFreeId;
  info.FxHedging = settings.FxHedging;
  const bool all = group == TParameterGroup::All;
  if (group == TParameterGroup::Equity || all) {
    info.EquityRankingCriteria = settings.CountryRankingCriteria[0];
    info.QVTrustLevel = settings.QVTrustLevel;
    info.BLTrustLevel = settings.BLTrustLevel;
  }
  if (group == TParameterGroup::FixedIncome || all) {
    info.BondRankingCriteria = settings.CountryRankingCriteria[1];
    info.CurrencyRankingCriteria = settings.CountryRankingCriteria[2];
    info.MaxGoldAllocation = settings.MaxGoldAllocation;
    info.MaxTipsAllocation = settings.MaxTipsAllocation;
    info.MaxFxRiskAllocation = settings.MaxFxRiskAllocation;
    info.SLTrustLevel = settings.SLTrustLevel;
  }
  if (all) {
    info.MaxEqVsFiAllocation = settings.MaxEqVsFiAllocation;
    info.MinEqVsFiAllocation = settings.MinEqVsFiAllocation;
  }
}

void ComputeStatisticsBlock(TStatisticsBlock& block, const TSeries& returns, int frequency) {
  block.Return = AnnualizedReturn(returns, frequency);
  block.Volatility = AnnualizedVolatility(returns, frequency);
  block.MaxDrawdown = MaxDrawdown(returns);
  block.LastPeriod = LastValue(returns);
  block.YearToDate = YearToDateReturn(returns);
  block.OneYear = OneYearReturn(returns);
}

double SharpeRatio(const TStatisticsBlock& block, double riskFreeRate) {
  if (riskFreeRate == kNoFigure || block.Return == kNoFigure || block.Volatility == kNoFigure ||
      block.Volatility == 0.0) {
    return kNoFigure;
  }
  return (block.Return - riskFreeRate) / block.Volatility;
}

void ComputePerformanceStatistics(TPerformanceStatistics& statistics, const TSeries& modelReturns,
                                  const TSeries& benchmarkReturns, const std::string& title,
                                  const std::string& currency, int frequency, double equityInvested, double turnover) {
  statistics.Labels.Caption1 = title;
  statistics.HasData = !modelReturns.empty();
  statistics.Labels.Caption4 = currency;
  statistics.Labels.Caption6 = currency;
  if (modelReturns.empty()) {
    statistics.Labels.StartDate = kNoFigure;
    statistics.Labels.EndDate = kNoFigure;
  } else {
    statistics.Labels.StartDate = GetPreviousPeriodDate(modelReturns.front().Date, frequency);
    statistics.Labels.EndDate = modelReturns.back().Date;
  }
  ComputeStatisticsBlock(statistics.Index, benchmarkReturns, frequency);
  ComputeStatisticsBlock(statistics.Model, modelReturns, frequency);
  statistics.EquityInvested = equityInvested;
  statistics.Turnover = turnover;
  if (modelReturns.empty()) statistics.RiskFreeRate = kNoFigure;
  for (TStatisticsBlock* block : {&statistics.Model, &statistics.Index, &statistics.RiskFree}) {
    block->Sharpe = SharpeRatio(*block, statistics.RiskFreeRate);
  }
  statistics.Correlation = Correlation(benchmarkReturns, modelReturns);
  statistics.Beta = Beta(benchmarkReturns, modelReturns);
}

void ComputePerformanceStatistics(TPortfolioPerformance& performance, const std::string& title, int frequency,
                                  double turnover) {
  ComputePerformanceStatistics(performance.Statistics, performance.ModelReturns, performance.BenchmarkReturns, title,
                               performance.Parameters.PortfolioCcy, frequency, kNoFigure, turnover);
}

void FillChartSets(TNamedSeriesSet& indexCharts, TNamedSeriesSet& drawdownCharts, TNamedSeriesSet& oneYearCharts,
                   const std::string& modelName, const TSeries& modelReturns, const std::string& benchmarkName,
                   const TSeries& benchmarkReturns, int frequency) {
  // Each chart series is written into the record's own (of an earlier run).
  TSeries pickedModel;
  TSeries pickedBenchmark;
  TSeriesSpan model;
  TSeriesSpan benchmark;
  if (!modelReturns.empty()) {
    const double from = modelReturns.front().Date;
    const double to = modelReturns.back().Date;
    model = SliceSpan(modelReturns, from, to, pickedModel);
    benchmark = SliceSpan(benchmarkReturns, from, to, pickedBenchmark);
  }
  for (const auto& [slot, name, returns] :
       {std::tuple{0, &benchmarkName, benchmark}, std::tuple{2, &modelName, model}}) {
    indexCharts[slot].Name = *name;
    ReturnsToIndexInto(indexCharts[slot].Series, returns, frequency);
    drawdownCharts[slot].Name = *name;
    DrawdownSeriesInto(drawdownCharts[slot].Series, returns, frequency);
    oneYearCharts[slot].Name = *name;
    RollingOneYearReturnsInto(oneYearCharts[slot].Series, returns);
  }
}

void FillChartSets(TPortfolioPerformance& performance, int frequency) {
  FillChartSets(performance.IndexCharts, performance.DrawdownCharts, performance.OneYearCharts, performance.ModelName,
                performance.ModelReturns, performance.BenchmarkName, performance.BenchmarkReturns, frequency);
}

std::vector<TAllocationRow> AllocationRowsFromPortfolio(const std::vector<TSLAllocation>& allocations) {
  std::vector<TAllocationRow> rows;
  rows.reserve(allocations.size());
  for (const TSLAllocation& allocation : allocations) {
    TAllocationRow row;
    row.Date = allocation.Date;
    row.TotalWeight = allocation.TotalWeight;
    row.Holdings.reserve(allocation.Holdings.size());
    for (const TSLHolding& holding : allocation.Holdings)
      row.Holdings.push_back({holding.Name, holding.AdjustedWeight});
    rows.push_back(std::move(row));
  }
  return rows;
}
