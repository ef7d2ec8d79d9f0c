#include "models/equity/EQSLModel.h"

#include <utility>

#include "models/equity/ModelFrame.h"
#include "models/equity/PerformanceStage.h"
#include "models/equity/RankingTables.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

namespace {

TEQSLGraphicData& RecordOf(TEQSLGraphicData* result) {
  if (result == nullptr) throw EModelError("EQSL: no result record");
  return *result;
}

}  // namespace

void ComputeEQSLModel(TEQSLGraphicData* result, std::vector<TCountry> countries, TUserSettings settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  TEQSLGraphicData& r = RecordOf(result);
  TStageCounter counter(progress, step);
  RunModelFrame(r, std::move(countries), settings, frequency, intraMonth,
                TModelFrameValues{"EQSL", "EQINDEX", atIndex, 1, TStartShift::LastDayYearEarlier}, counter);

  counter.Next();  // 2
  BuildEQSLPortfolios(result, r.Countries, settings, frequency);
  counter.Next();  // 3
  CopySettingsToSeriesInfo(r.Performance.Parameters, settings, TParameterGroup::Equity);
  counter.Next();  // 4
  r.ModelPortfolio.Recalculate(true);
  r.BenchmarkPortfolio.Recalculate(false);
  counter.Next();  // 5
  ComputeEQSLRanking(result);
  counter.Next();  // 6
  ComputeEQSLBenchmark(result);
  counter.Next();  // 7
  ComputeEQSLStatistics(result);
  counter.Next();  // 8
  ComputeEQSLAllocations(result, settings);
  counter.Next();  // 9: "100%"
}

void BuildEQSLPortfolios(TEQSLGraphicData* result, const std::vector<TCountry>& countries,
                         const TUserSettings& settings, std::uint32_t frequency) {
  TEQSLGraphicData& r = RecordOf(result);
  const auto code = static_cast<std::int32_t>(frequency);
  r.ModelPortfolio.Name = "Risk Model Portfolio";
  r.BenchmarkPortfolio.Name = "Risk Benchmark Portfolio";
  r.ModelPortfolio.Build(countries, settings, code, r.StartDate, r.EndDate);
  r.BenchmarkPortfolio.Build(countries, settings, code, r.StartDate, r.EndDate);
}

// RankingRows: per country [Name, RegionName], the signal grid (-1.0) up to
// the first rank date of the model line of that name, then the line's ranks,
// cut to [first grid date, EndDate]; Selected := global settings row i's
// EqWeight > 0.0. RankingPages: per (rank r = 1..L, line, point dated
// EndDate with int(value) = r, history row of the line's name) one row
// (labels, {EndDate, r}, Selected), in that order. Both are emptied first,
// so that a failing stage leaves no rows of an earlier run.
void ComputeEQSLRanking(TEQSLGraphicData* result) {
  TEQSLGraphicData& r = RecordOf(result);
  r.RankingRows.clear();
  r.RankingPages.clear();
  r.RankingRows = BuildRankingRows(r.Countries, r.EndDate, r.ModelPortfolio.Lines, &TCountrySettings::EqWeight, "EQSL");
  r.RankingPages = BuildClosingRanking(r.RankingRows, r.ModelPortfolio.Lines, r.EndDate);
}

// The two portfolios' returns and captions into Performance; the EQSL
// Sharpe ratios use a risk-free rate of 0.0.
void ComputeEQSLBenchmark(TEQSLGraphicData* result) {
  TEQSLGraphicData& r = RecordOf(result);
  TPortfolioPerformance& performance = r.Performance;
  performance.Parameters.PortfolioCcy = r.ModelPortfolio.PortfolioCcy;
  performance.ModelName = "(In " + performance.Parameters.PortfolioCcy + ")";
  performance.BenchmarkName = "Benchmark (In " + performance.Parameters.PortfolioCcy + ")";
  performance.ModelReturns = r.ModelPortfolio.Returns;
  performance.BenchmarkReturns = r.BenchmarkPortfolio.Returns;
  performance.Statistics.RiskFreeRate = 0.0;
}

// Chart sets over the model's date range, the model portfolio's allocation
// history, and one region row per country from its last allocation.
void ComputeEQSLAllocations(TEQSLGraphicData* result, const TUserSettings& settings) {
  TEQSLGraphicData& r = RecordOf(result);
  TPortfolioPerformance& performance = r.Performance;
  FillChartSets(performance, static_cast<int>(r.Frequency));
  performance.AllocationTitle.clear();
  performance.AllocationHistory = AllocationRowsFromPortfolio(r.ModelPortfolio.Allocations);
  r.RegionItems = RegionItemsFromAllocations(r.Countries, settings, r.ModelPortfolio.Allocations, TParticipation{});
}

}  // namespace models
