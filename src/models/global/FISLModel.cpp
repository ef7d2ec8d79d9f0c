#include "models/global/FISLModel.h"

#include <utility>

#include "models/equity/ModelFrame.h"
#include "models/equity/PerformanceStage.h"
#include "models/equity/RankingTables.h"
#include "portfolio/ModelError.h"
#include "portfolio/PortfolioPerformance.h"

namespace models {

namespace {

TFISLGraphicData& RecordOf(TFISLGraphicData* result) {
  if (result == nullptr) throw EModelError("FISL: no result record");
  return *result;
}

// The region rows of FISL: a country takes part (1) when its FiWeight is not 0.0.
constexpr TParticipation kBondParticipation{&TCountrySettings::FiWeight, 1};

}  // namespace

void ComputeFISLModel(TFISLGraphicData* result, std::vector<TCountry> countries, TUserSettings settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  TFISLGraphicData& r = RecordOf(result);
  TStageCounter counter(progress, step);
  // The window opens one period before the inception date (when the signal
  // grid reaches back that far) so that the first return can be formed.
  RunModelFrame(r, std::move(countries), settings, frequency, intraMonth,
                TModelFrameValues{"FISL", "EQINDEX", atIndex, 1, TStartShift::OnePeriodEarlier}, counter);

  counter.Next();  // 2
  BuildFISLPortfolios(result, r.Countries, settings, frequency);
  counter.Next();  // 3
  CopySettingsToSeriesInfo(r.Performance.Parameters, settings, TParameterGroup::FixedIncome);
  counter.Next();  // 4
  r.ModelPortfolio.Recalculate(true);
  r.BenchmarkPortfolio.Recalculate(false);
  counter.Next();  // 5
  ComputeFISLRanking(result);
  counter.Next();  // 6
  ComputeFISLBenchmark(result);
  counter.Next();  // 7
  ComputeFISLStatistics(result);
  counter.Next();  // 8
  ComputeFISLAllocations(result, settings);
  counter.Next();  // 9: "100%"
}

// Both portfolios start empty, so that a portfolio left without lines keeps
// no allocations, selections or turnover of an earlier run.
void BuildFISLPortfolios(TFISLGraphicData* result, const std::vector<TCountry>& countries,
                         const TUserSettings& settings, std::uint32_t frequency) {
  TFISLGraphicData& r = RecordOf(result);
  const auto code = static_cast<std::int32_t>(frequency);
  r.ModelPortfolio = TBondSLPortfolio{};
  r.BenchmarkPortfolio = TBondSLPortfolio{};
  r.ModelPortfolio.Name = "Model Portfolio";
  r.BenchmarkPortfolio.Name = "Benchmark Portfolio";
  r.ModelPortfolio.Build(countries, settings, code, r.StartDate, r.EndDate);
  r.BenchmarkPortfolio.Build(countries, settings, code, r.StartDate, r.EndDate);
}

// RankingRows: per country [Name, RegionName] on the signal grid cut to
// [first grid date, EndDate], -1.0 before the model line's first rank, then
// its ranks; Selected := FiWeight of global settings row i > 0.0.
// RankingPages: per (rank r = 1..L, line, point dated EndDate with
// int(value) = r, ranking row of the line's name) one row (labels,
// {EndDate, r}, that row's Selected). Both emptied first.
void ComputeFISLRanking(TFISLGraphicData* result) {
  TFISLGraphicData& r = RecordOf(result);
  r.RankingRows.clear();
  r.RankingPages.clear();
  r.RankingRows = BuildRankingRows(r.Countries, r.EndDate, r.ModelPortfolio.Lines, &TCountrySettings::FiWeight, "FISL");
  r.RankingPages = BuildClosingRanking(r.RankingRows, r.ModelPortfolio.Lines, r.EndDate);
}

// The two portfolios' returns and captions into Performance; the Sharpe
// ratios use a risk-free rate of 0.0.
void ComputeFISLBenchmark(TFISLGraphicData* result) {
  TFISLGraphicData& r = RecordOf(result);
  TPortfolioPerformance& performance = r.Performance;
  performance.Parameters.PortfolioCcy = r.ModelPortfolio.PortfolioCcy;
  performance.ModelName = "(In " + performance.Parameters.PortfolioCcy + ")";
  performance.BenchmarkName = "Benchmark (In " + performance.Parameters.PortfolioCcy + ")";
  performance.ModelReturns = r.ModelPortfolio.Returns;
  performance.BenchmarkReturns = r.BenchmarkPortfolio.Returns;
  performance.Statistics.RiskFreeRate = 0.0;
}

// Chart sets over the model's date range, the model portfolio's allocation
// history, and one region row per country from its last allocation
// (Excluded 1 when the settings copy's FiWeight of the country is not 0.0,
// else 2).
void ComputeFISLAllocations(TFISLGraphicData* result, const TUserSettings& settings) {
  TFISLGraphicData& r = RecordOf(result);
  TPortfolioPerformance& performance = r.Performance;
  FillChartSets(performance, static_cast<int>(r.Frequency));
  performance.AllocationTitle.clear();
  performance.AllocationHistory = AllocationRowsFromPortfolio(r.ModelPortfolio.Allocations);
  r.RegionItems = RegionItemsFromAllocations(r.Countries, settings, r.ModelPortfolio.Allocations, kBondParticipation);
}

}  // namespace models
