#include "models/global/FISLModel.h"

#include "models/equity/PerformanceStage.h"
#include "models/equity/RankingModel.h"

namespace models {

namespace {

// A run window from one period before the inception date (when the signal
// grid reaches back that far) so that the first return can be formed;
// fixed-income settings; a country takes part (1) when its FiWeight is not
// 0.0.
constexpr TRankingModelValues kFISL{
    .Frame = {"FISL", "EQINDEX", atIndex, 1, TStartShift::OnePeriodEarlier},
    .ModelPortfolioName = "Model Portfolio",
    .BenchmarkPortfolioName = "Benchmark Portfolio",
    .Parameters = TParameterGroup::FixedIncome,
    .Participation = {&TCountrySettings::FiWeight, 1},
};

}  // namespace

void ComputeFISLModel(TFISLGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  RunRankingModel(result, countries, settings, frequency, intraMonth, progress, step, kFISL, &ComputeFISLStatistics);
}

void BuildFISLPortfolios(TFISLGraphicData* result, const std::vector<TCountry>& countries,
                         const TUserSettings& settings, std::uint32_t frequency) {
  BuildRankingPortfolios(result, countries, settings, frequency, kFISL);
}

// Selected of the ranking rows := global settings row i's FiWeight > 0.0.
void ComputeFISLRanking(TFISLGraphicData* result) { ComputeRankingTables(result, kFISL); }

void ComputeFISLBenchmark(TFISLGraphicData* result) {
  TFISLGraphicData& r = RankingRecordOf(result, kFISL);
  ComputeRankingBenchmark(r.Performance, r.ModelPortfolio, r.BenchmarkPortfolio);
}

// Region rows: Excluded 1 when the settings copy's FiWeight of the country is
// not 0.0, else 2.
void ComputeFISLAllocations(TFISLGraphicData* result, const TUserSettings& settings) {
  ComputeRankingAllocations(result, settings, kFISL);
}

}  // namespace models
