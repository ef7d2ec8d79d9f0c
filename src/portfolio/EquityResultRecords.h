#pragma once
// Result records of the four equity models (EQBL, EQQV, EQSL, EQGP) and the
// rows they share with the bond, currency and global records. Each model
// writes its whole result into one exported record; its page reads it after
// the calculation. Plain value types: copies are deep, every number starts at
// 0 (0.0, false), every string and array empty.
//
// Several members carry the layout's generic names (Values1, Rows1, ...);
// docs/glossary.md says what each holds and by which name the model and
// page code also calls it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "common/SharedCountryList.h"
#include "portfolio/BenchmarkPortfolio.h"
#include "portfolio/PortfolioPerformance.h"
#include "portfolio/SLPortfolio.h"

// One row of a table, grid or ranking: Labels[0] the row name (country,
// currency or asset), Labels[1] its region; points on ascending dates, -1.0
// for a missing value. Selected false draws the row greyed.
struct TLabelledSeries {
  std::vector<std::string> Labels;
  TSeries Series;
  bool Selected = false;
};

// The position rows of one row kind of the signal-timing models: all
// countries, then the developed and the emerging ones.
struct TPositionTable {
  std::vector<TLabelledSeries> AllRows;
  std::vector<TLabelledSeries> DevelopedRows;
  std::vector<TLabelledSeries> EmergingRows;
};

// One row of a percentage table: country name, region, values in percent,
// colour state 0, 1 or 2 (2: the country takes no part).
struct TStateItem {
  std::string Label;
  std::string Text;
  std::vector<double> Values;
  std::int64_t State = 0;
};

// The present allocation of one country in a ranking model's result (an item
// of the region grid). The allocation stage finds the country's region by
// comparing RegionName with the six region names in their order; RegionColor
// carries that region's total share (not a colour value) and Flag marks a
// region that holds nothing.
struct TRegionItem {
  std::string Name;
  std::string RegionName;
  double Value = 0.0;         // the country's weight in the latest allocation; 0.0 when not held
  double RegionColor = 0.0;   // sum of Value over the countries of the region
  std::int32_t State = 0;     // rank in the latest allocation; -1 when not held
  std::int32_t Flag = 0;      // -1, or 0 when RegionColor is not 0.0
  std::int32_t Excluded = 0;  // participation: 1 takes part, 2 greys the row
};

// One entry of a share table.
struct TShareItem {
  std::string Label;
  std::vector<std::string> SubLabels;  // left empty by the models
  double Value = 0.0;
  std::int32_t State = 0;
};

// A titled list of shares (the EQGP allocation tables).
struct TShareTable {
  std::string Title;
  std::vector<TShareItem> Items;
  std::int32_t Tag = 0;
};

// Equity side of a global model's allocation row: shares are fractions of the
// whole portfolio, kNoFigure = no value.
struct TCountryAllocationItem {
  std::string Name;  // country, region or "TOTAL"
  double EquityShare = 0.0;
  double RiskFreeShare = 0.0;
  double FxShare = 0.0;
  std::int32_t Rank = 0;  // -1 = not ranked
  bool MacroOn = false;
  bool Selected = false;  // taking part in the competition
  bool BehaviourOn = false;
};

// Bond side of a global model's allocation row (fractions, kNoFigure = no value).
struct TCountryDetailItem {
  std::string Name;
  std::string Text;
  double FixedRateWeight = 0.0;
  double InflationLinkedWeight = 0.0;
  double BondWeight = 0.0;   // model allocation
  double IndexWeight = 0.0;  // benchmark allocation
  double FxHedge = 0.0;
  std::int32_t Code = 0;  // rank
  std::int32_t Flag = 0;  // taking part in the competition
};

// One region (or the closing "TOTAL") of a global model's country allocation.
struct TRegionAllocationRow {
  TCountryAllocationItem Summary;
  TCountryDetailItem DetailSummary;
  std::vector<TCountryAllocationItem> Items;
  std::vector<TCountryDetailItem> DetailItems;
};

// One country of a signal-timing model.
struct TCountryModelData {
  std::string Name;
  std::vector<TLabelledSeries> Rows;
  TNamedSeries Series1;  // model returns with their caption
  TNamedSeries Series2;  // index returns
  TNamedSeries Series3;  // risk-free returns
  TNamedSeriesSet IndexCharts;
  TNamedSeriesSet DrawdownCharts;
  TNamedSeriesSet OneYearCharts;
  TPerformanceStatistics Statistics;
  TSeriesInfo Parameters;
};

// The short form of a country that a signal-timing page lists and ranks.
struct TCountryModelSummary {
  std::string Name;
  std::string Text;
  double EqWeight = 0.0;           // settings row, percent
  double EqTransactionCost = 0.0;  // settings row, percent
  std::array<double, 5> ExtraValues{};
  std::string Caption1;
  std::string Caption2;
  TSeriesInfo Parameters;
  std::string WeightSeriesName;
  TSeries WeightSeries;  // normalised equity weight on the index dates
  std::string ContributionName;
  TSeries ContributionSeries;  // weighted model returns
  std::string IndexContributionName;
  TSeries IndexContribution;
  std::string ExposureSeriesName;
  TSeries ExposureSeries;
  TSeries TurnoverSeries;
};

// The whole portfolio of a signal-timing model.
struct TEQBLGraphicPart {
  std::vector<TCountryModelSummary> Summaries;
  std::string ExposureSeriesName;
  TSeries ExposureSeries;
  std::string TurnoverSeriesName;
  TSeries TurnoverSeries;
  std::string ModelName;
  TSeries ModelSeries;
  std::string BenchmarkName;
  TSeries BenchmarkSeries;
  std::string RiskFreeSeriesName;
  TSeries RiskFreeSeries;
  TNamedSeriesSet IndexCharts;
  TNamedSeriesSet DrawdownCharts;
  TNamedSeriesSet OneYearCharts;
  std::string AllocationTitle;
  std::vector<TAllocationRow> AllocationHistory;
  std::string EquityHistoryTitle;
  std::vector<TAllocationRow> EquityHistory;
  std::string RiskFreeHistoryTitle;
  std::vector<TAllocationRow> RiskFreeHistory;
  TPerformanceStatistics Statistics;
  TSeriesInfo Parameters;
};

// EQBL ("Behavioral Equity Risk"); EQQV has the same layout.
struct TEQBLGraphicData {
  std::uint32_t Frequency = 0;
  double StartDate = 0.0;
  double EndDate = 0.0;
  TSeries Values1;                              // estimated next signal, one point per country
  std::vector<TBenchmarkPortfolio> Benchmarks;  // timed benchmark of each country alone
  std::vector<TBenchmarkPortfolio> Benchmarks2;
  TSeries Values2;  // period returns of the portfolio currency's cash asset
  TSharedCountryList Countries;
  std::vector<TLabelledSeries> Rows1;     // signal rows, one per country
  std::vector<TLabelledSeries> Rows2;     // signal rows of the developed countries
  std::vector<TLabelledSeries> Rows3;     // signal rows of the emerging countries
  std::vector<TPositionTable> GroupRows;  // one position table per row kind (item group)
  std::vector<TCountryModelData> CountryData;
  std::vector<TLabelledSeries> Rows4;  // last signal point per country
  std::vector<TLabelledSeries> Rows5;  // estimated signal point per country
  TEQBLGraphicPart Total;
  std::vector<TStateItem> Allocations1;  // equity and risk-free allocation per country
  std::vector<TStateItem> Allocations2;  // equity allocation per country
  std::vector<TStateItem> Allocations3;  // risk-free allocation per country
};

// EQQV ("Macro Equity Risk"): exactly the members of TEQBLGraphicData.
struct TEQQVGraphicData : TEQBLGraphicData {};

// EQSL ("Equity Risk Premium Ranking").
struct TEQSLGraphicData {
  std::uint32_t Frequency = 0;
  double StartDate = 0.0;
  double EndDate = 0.0;
  TSharedCountryList Countries;
  TEquitySLPortfolio ModelPortfolio;          // "Risk Model Portfolio"
  TEquitySLPortfolio BenchmarkPortfolio;      // "Risk Benchmark Portfolio"
  std::vector<TLabelledSeries> RankingRows;   // ranking history, one row per country
  std::vector<TLabelledSeries> RankingPages;  // closing ranking, best first (paged views)
  TPortfolioPerformance Performance;
  std::vector<TRegionItem> RegionItems;
};

// The EQGP model against its benchmark: TPortfolioPerformance with three
// allocation histories.
struct TEQGPGraphicPart {
  std::string ModelName;
  TSeries ModelReturns;
  std::string BenchmarkName;
  TSeries BenchmarkReturns;
  TNamedSeriesSet IndexCharts;
  TNamedSeriesSet DrawdownCharts;
  TNamedSeriesSet OneYearCharts;
  std::string AllocationTitle;
  std::vector<TAllocationRow> AllocationHistory;
  std::string EquityHistoryTitle;
  std::vector<TAllocationRow> EquityHistory;
  std::string RiskFreeHistoryTitle;
  std::vector<TAllocationRow> RiskFreeHistory;
  TPerformanceStatistics Statistics;
  TSeriesInfo Parameters;
};

// EQGP ("Global Equity Strategy").
struct TEQGPGraphicData {
  std::uint32_t Frequency = 0;
  double StartDate = 0.0;
  double EndDate = 0.0;
  TBenchmarkPortfolio Benchmark;   // built with UseTrustLevels: the model portfolio
  TBenchmarkPortfolio Benchmark2;  // built without trust: the benchmark
  TShareTable EquityShares;
  TShareTable RiskFreeShares;
  TShareTable TotalShares;
  std::int32_t ItemIndex = 0;
  TSeries Values1;  // period returns of the portfolio currency's cash asset
  bool UseTrustLevels = false;
  TEquitySLPortfolio Portfolio;
  TSharedCountryList Countries;
  TEQGPGraphicPart Total;
  std::vector<TRegionItem> Ranking1;                  // country rows of the total shares
  std::vector<TRegionItem> Ranking2;                  // country rows of the equity shares
  std::vector<TRegionItem> Ranking3;                  // country rows of the risk-free shares
  TSeries Values2;                                    // copy of the model returns
  TSeries Values3;                                    // copy of the benchmark returns
  std::vector<TRegionAllocationRow> AllocationItems;  // six region rows, then "TOTAL"
};

extern TEQBLGraphicData cMyExternEQBLGraphicData;
extern TEQQVGraphicData cMyExternEQQVGraphicData;
extern TEQSLGraphicData cMyExternEQSLGraphicData;
extern TEQGPGraphicData cMyExternEQGPGraphicData;
