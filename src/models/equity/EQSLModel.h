#pragma once
// EQSL ("Equity Risk Premium Ranking"): a fully invested equity portfolio
// concentrated on the best-ranked countries against a benchmark that holds
// every country with data.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/ProgressSink.h"
#include "portfolio/EquityResultRecords.h"

namespace models {

void ComputeEQSLModel(TEQSLGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& failureText,
                      platform::ProgressSink& progress, std::uint32_t& step);
void BuildEQSLPortfolios(TEQSLGraphicData* result, const std::vector<TCountry>& countries,
                         const TUserSettings& settings, std::uint32_t frequency);
void ComputeEQSLRanking(TEQSLGraphicData* result);
void ComputeEQSLBenchmark(TEQSLGraphicData* result);
void ComputeEQSLAllocations(TEQSLGraphicData* result, const TUserSettings& settings);

}  // namespace models
