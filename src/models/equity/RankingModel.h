#pragma once
// The run of the ranking models (EQSL, FISL). Both follow one sequence of
// stages over records of the same members (Frequency, StartDate, EndDate,
// Countries, ModelPortfolio, BenchmarkPortfolio, RankingRows, RankingPages,
// Performance, RegionItems) and differ only in the values of
// TRankingModelValues, the portfolio class of their record and their
// statistics stage.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "common/Records.h"
#include "models/equity/ModelFrame.h"
#include "models/equity/RankingTables.h"
#include "platform/ProgressSink.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

// What tells one ranking model from the other.
struct TRankingModelValues {
  TModelFrameValues Frame;             // code, key asset and start shift of the run window
  const char* ModelPortfolioName;      // ModelPortfolio.Name
  const char* BenchmarkPortfolioName;  // BenchmarkPortfolio.Name
  TParameterGroup Parameters;          // the settings copied into Performance.Parameters
  // Its Weight marks a country as taking part, both in the Selected flag of
  // the ranking rows and in the region rows; TakesPart is the region rows'
  // Excluded value of such a country.
  TParticipation Participation;
};

// The record behind `result`; EModelError "<code>: no result record" for none.
template <class Record>
Record& RankingRecordOf(Record* result, const TRankingModelValues& values) {
  if (result == nullptr) throw EModelError(std::string(values.Frame.Code) + ": no result record");
  return *result;
}

// Names both portfolios and builds them over [StartDate, EndDate] of the
// record. Both are emptied first, so that a portfolio left without lines
// keeps no allocations or turnover of an earlier run.
template <class Record>
void BuildRankingPortfolios(Record* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                            std::uint32_t frequency, const TRankingModelValues& values) {
  Record& r = RankingRecordOf(result, values);
  const auto code = static_cast<std::int32_t>(frequency);
  r.ModelPortfolio = {};
  r.BenchmarkPortfolio = {};
  r.ModelPortfolio.Name = values.ModelPortfolioName;
  r.BenchmarkPortfolio.Name = values.BenchmarkPortfolioName;
  r.ModelPortfolio.Build(countries, settings, code, r.StartDate, r.EndDate);
  r.BenchmarkPortfolio.Build(countries, settings, code, r.StartDate, r.EndDate);
}

// RankingRows := BuildRankingRows over the model portfolio's lines with the
// participation weight; RankingPages := BuildClosingRanking of those rows.
// Both are emptied first, so that a failing stage leaves no rows of an
// earlier run.
template <class Record>
void ComputeRankingTables(Record* result, const TRankingModelValues& values) {
  Record& r = RankingRecordOf(result, values);
  r.RankingRows.clear();
  r.RankingPages.clear();
  r.RankingRows =
      BuildRankingRows(r.Countries, r.EndDate, r.ModelPortfolio.Lines, values.Participation.Weight, values.Frame.Code);
  r.RankingPages = BuildClosingRanking(r.RankingRows, r.ModelPortfolio.Lines, r.EndDate);
}

// The two portfolios' returns and captions into Performance: PortfolioCcy :=
// the model portfolio's, ModelName := "(In <ccy>)", BenchmarkName :=
// "Benchmark (In <ccy>)"; the Sharpe ratios use a risk-free rate of 0.0.
void ComputeRankingBenchmark(TPortfolioPerformance& performance, const TSLPortfolio& model,
                             const TSLPortfolio& benchmark);

// Chart sets over the model's date range, the model portfolio's allocation
// history (no allocation title), and one region row per country from its last
// allocation under the model's participation rule.
template <class Record>
void ComputeRankingAllocations(Record* result, const TUserSettings& settings, const TRankingModelValues& values) {
  Record& r = RankingRecordOf(result, values);
  TPortfolioPerformance& performance = r.Performance;
  FillChartSets(performance, static_cast<int>(r.Frequency));
  performance.AllocationTitle.clear();
  performance.AllocationHistory = AllocationRowsFromPortfolio(r.ModelPortfolio.Allocations);
  r.RegionItems = RegionItemsFromAllocations(r.Countries, settings, r.ModelPortfolio.Allocations, values.Participation);
}

// The entry: the model frame (counter 1), then the stages 2 to 8 with
// `statistics` as stage 7, and the counter at 9 ("100%") once all succeeded.
template <class Record>
void RunRankingModel(Record* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                     std::uint32_t frequency, bool intraMonth, platform::ProgressSink& progress, std::uint32_t& step,
                     const TRankingModelValues& values, void (*statistics)(Record*)) {
  Record& r = RankingRecordOf(result, values);
  TStageCounter counter(progress, step);
  RunModelFrame(r, countries, settings, frequency, intraMonth, values.Frame, counter);

  counter.Next();  // 2
  BuildRankingPortfolios(result, r.Countries, settings, frequency, values);
  counter.Next();  // 3
  CopySettingsToSeriesInfo(r.Performance.Parameters, settings, values.Parameters);
  counter.Next();  // 4
  r.ModelPortfolio.Recalculate(true);
  r.BenchmarkPortfolio.Recalculate(false);
  counter.Next();  // 5
  ComputeRankingTables(result, values);
  counter.Next();  // 6
  ComputeRankingBenchmark(r.Performance, r.ModelPortfolio, r.BenchmarkPortfolio);
  counter.Next();  // 7
  statistics(result);
  counter.Next();  // 8
  ComputeRankingAllocations(result, settings, values);
  counter.Next();  // 9: "100%"
}

}  // namespace models
