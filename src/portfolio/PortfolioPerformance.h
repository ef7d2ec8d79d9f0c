#pragma once
// The performance record of a model portfolio measured against its benchmark
// (return series with captions, value-index, drawdown and rolling one-year
// chart sets, allocation history, statistics table, parameter summary), the
// smaller records that the result records share, and the stage helpers that
// the ranking models use to fill them.
//
// Every number is value-initialised (0.0, false), so a fresh record, static
// or local, holds defined figures; -1000000.0 (kNoFigure) marks a figure that
// cannot be computed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "portfolio/SLPortfolio.h"

// A caption followed by its series.
struct TNamedSeries {
  std::string Name;
  TSeries Series;
};

// The data of one comparison chart: three slots. The ranking models write the
// benchmark into slot 0 and the model into slot 2; slot 1 holds a further
// reference series where a model has one. An empty slot has an empty name and
// no points.
struct TNamedSeriesSet {
  std::array<TNamedSeries, 3> Slots;

  // Slot i (0..2); std::out_of_range outside.
  TNamedSeries& operator[](std::size_t i) { return Slots.at(i); }
  const TNamedSeries& operator[](std::size_t i) const { return Slots.at(i); }
};

// One holding of an allocation row: asset or country name and its adjusted
// weight as a fraction.
struct TWeightedName {
  std::string Name;
  double Weight = 0.0;
};

// The holdings at one rebalancing date.
struct TAllocationRow {
  double Date = 0.0;
  double TotalWeight = 0.0;  // sum of the holdings' weights
  std::vector<TWeightedName> Holdings;
};

// Thirteen figures of one column of the statistics table; kNoFigure where a
// figure cannot be computed. The "When" entries (On/Off) are filled only by
// the signal-timing models.
struct TStatisticsBlock {
  double Return = 0.0;  // annualised return
  double ReturnWhenOn = 0.0;
  double ReturnWhenOff = 0.0;
  double Volatility = 0.0;  // annualised volatility
  double VolatilityWhenOn = 0.0;
  double VolatilityWhenOff = 0.0;
  double MaxDrawdown = 0.0;
  double MaxDrawdownWhenOn = 0.0;
  double MaxDrawdownWhenOff = 0.0;
  double LastPeriod = 0.0;  // last period's return
  double YearToDate = 0.0;
  double OneYear = 0.0;  // compounded return of the last 12 points
  double Sharpe = 0.0;   // (Return - RiskFreeRate) / Volatility
};

// Period shown by the statistics table and its captions. Caption1 is the
// statistics title; Caption4 and Caption6 the currency of the figures
// (Caption6 appears in the table's "(In " + currency + ")" header).
struct TStatisticsLabels {
  double StartDate = 0.0;
  double EndDate = 0.0;
  std::string Caption1;
  std::string Caption2;
  std::string Caption3;
  std::string Caption4;
  std::string Caption5;
  std::string Caption6;
};

// The statistics table of a portfolio: model, benchmark ("Index") and
// risk-free columns with the figures that relate model and benchmark.
struct TPerformanceStatistics {
  bool HasData = false;  // the model series is not empty
  TStatisticsBlock Model;
  TStatisticsBlock Index;
  TStatisticsBlock RiskFree;
  double Correlation = 0.0;     // Correlation(benchmark, model)
  double Beta = 0.0;            // beta of the model on the benchmark
  double EquityInvested = 0.0;  // average equity share, kNoFigure where not measured
  double Turnover = 0.0;        // annualised turnover
  double RiskFreeRate = 0.0;    // annual risk-free return used by the Sharpe ratios
  TStatisticsLabels Labels;
};

// Parameter summary of a run: the settings that produced it and, for the
// per-country records of the signal-timing models, the country's index and
// risk-free texts and costs.
struct TSeriesInfo {
  std::string PortfolioCcy;
  std::string RiskFreeId;
  double MaxEqVsFiAllocation = 0.0;
  double MinEqVsFiAllocation = 0.0;
  bool FxHedging = false;
  double EquityRankingCriteria = 0.0;
  double QVTrustLevel = 0.0;
  double BLTrustLevel = 0.0;
  double BondRankingCriteria = 0.0;
  double CurrencyRankingCriteria = 0.0;
  double MaxGoldAllocation = 0.0;
  double MaxTipsAllocation = 0.0;
  double MaxFxRiskAllocation = 0.0;
  double SLTrustLevel = 0.0;
  double ExtraValue = 0.0;
  std::string IndexCurrency;
  std::string RiskFreeCurrency;
  std::string IndexName;
  std::string IndexTicker;
  double IndexTransactionCost = 0.0;
  double RiskFreeTransactionCost = 0.0;
  double FxHedgingTransactionCost = 0.0;  // yearly cost of currency hedging, percent
};

// A model portfolio measured against its benchmark.
struct TPortfolioPerformance {
  std::string ModelName;  // legend caption, e.g. "(In USD)"
  TSeries ModelReturns;   // per-period returns of the model portfolio
  std::string BenchmarkName;
  TSeries BenchmarkReturns;
  TNamedSeriesSet IndexCharts;     // value index compounded from 1.0
  TNamedSeriesSet DrawdownCharts;  // fall below the running peak
  TNamedSeriesSet OneYearCharts;   // rolling one-year return
  std::string AllocationTitle;
  std::vector<TAllocationRow> AllocationHistory;
  TPerformanceStatistics Statistics;
  TSeriesInfo Parameters;
};

// ---------------------------------------------------------------------------
// Stage helpers
// ---------------------------------------------------------------------------

// Which settings a model copies into its parameter summary.
enum class TParameterGroup {
  Equity,       // EQSL: PortfolioCcy, RiskFreeId, FxHedging, EquityRankingCriteria, QV and BL trust
  FixedIncome,  // FISL, FICY, FIGF, FIGP: PortfolioCcy, RiskFreeId, FxHedging, bond and currency
                // criteria, MaxGold/Tips/FxRisk allocations, SLTrustLevel
  All,          // MYGP: the fourteen members from PortfolioCcy to SLTrustLevel
};

// Copies the group's members from the settings; the others keep their values.
void CopySettingsToSeriesInfo(TSeriesInfo& info, const TUserSettings& settings, TParameterGroup group);

// Return, Volatility, MaxDrawdown, LastPeriod, YearToDate and OneYear of a
// return series; the On/Off entries and Sharpe are left as they are.
void ComputeStatisticsBlock(TStatisticsBlock& block, const TSeries& returns, int frequency);

// (Return - riskFreeRate) / Volatility; kNoFigure when Return, Volatility or
// the rate is kNoFigure or Volatility is exactly 0.0.
double SharpeRatio(const TStatisticsBlock& block, double riskFreeRate);

// The statistics stage shared by the ranking and global models:
//  - Caption1 := title; HasData := model not empty; Caption4, Caption6 := currency;
//  - StartDate := one period before the first model date, EndDate := the last
//    model date (both kNoFigure for an empty model series);
//  - Index block from the benchmark, Model block from the model series;
//  - EquityInvested, Turnover := the given figures;
//  - empty model: RiskFreeRate and the three Sharpe ratios := kNoFigure;
//    otherwise Sharpe of Model, Index and RiskFree against RiskFreeRate
//    (the RiskFree block's Return and Volatility are read as they stand);
//  - Correlation and Beta of the model against the benchmark.
// Captions 2, 3, 5 and the On/Off entries are not touched.
void ComputePerformanceStatistics(TPerformanceStatistics& statistics, const TSeries& modelReturns,
                                  const TSeries& benchmarkReturns, const std::string& title,
                                  const std::string& currency, int frequency, double equityInvested, double turnover);

// The same on a performance record: its two return series and
// Parameters.PortfolioCcy; EquityInvested := kNoFigure.
void ComputePerformanceStatistics(TPortfolioPerformance& performance, const std::string& title, int frequency,
                                  double turnover);

// The three chart sets of the ranking models: benchmark and model series are
// cut to the model's date range (first to last model date), then slot 0 gets
// (benchmarkName, transform(benchmark)) and slot 2 (modelName,
// transform(model)) with the transforms ReturnsToIndex, DrawdownSeries and
// RollingOneYearReturns. Slot 1 is not touched.
void FillChartSets(TNamedSeriesSet& indexCharts, TNamedSeriesSet& drawdownCharts, TNamedSeriesSet& oneYearCharts,
                   const std::string& modelName, const TSeries& modelReturns, const std::string& benchmarkName,
                   const TSeries& benchmarkReturns, int frequency);
void FillChartSets(TPortfolioPerformance& performance, int frequency);

// One row per ranking-portfolio allocation: its Date and TotalWeight, and per
// holding its Name and AdjustedWeight.
std::vector<TAllocationRow> AllocationRowsFromPortfolio(const std::vector<TSLAllocation>& allocations);
