#include "models/equity/EQSLModel.h"

#include "models/equity/PerformanceStage.h"
#include "models/equity/RankingModel.h"

namespace models {

namespace {

// A run window from the last day of the same month one year before the
// inception date; equity settings; a country takes part (0) when its
// EqWeight is not 0.0.
constexpr TRankingModelValues kEQSL{
    .Frame = {"EQSL", "EQINDEX", atIndex, 1, TStartShift::LastDayYearEarlier},
    .ModelPortfolioName = "Risk Model Portfolio",
    .BenchmarkPortfolioName = "Risk Benchmark Portfolio",
    .Parameters = TParameterGroup::Equity,
    .Participation = {&TCountrySettings::EqWeight, 0},
};

}  // namespace

void ComputeEQSLModel(TEQSLGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& /*failureText*/,
                      platform::ProgressSink& progress, std::uint32_t& step) {
  RunRankingModel(result, countries, settings, frequency, intraMonth, progress, step, kEQSL, &ComputeEQSLStatistics);
}

void BuildEQSLPortfolios(TEQSLGraphicData* result, const std::vector<TCountry>& countries,
                         const TUserSettings& settings, std::uint32_t frequency) {
  BuildRankingPortfolios(result, countries, settings, frequency, kEQSL);
}

// Selected of the ranking rows := global settings row i's EqWeight > 0.0.
void ComputeEQSLRanking(TEQSLGraphicData* result) { ComputeRankingTables(result, kEQSL); }

void ComputeEQSLBenchmark(TEQSLGraphicData* result) {
  TEQSLGraphicData& r = RankingRecordOf(result, kEQSL);
  ComputeRankingBenchmark(r.Performance, r.ModelPortfolio, r.BenchmarkPortfolio);
}

void ComputeEQSLAllocations(TEQSLGraphicData* result, const TUserSettings& settings) {
  ComputeRankingAllocations(result, settings, kEQSL);
}

}  // namespace models
