#pragma once
// FISL ("Fixed-Rate Bond Ranking"): a fully bond-invested portfolio
// concentrated on the countries whose 10-year government bonds pay the most,
// against a benchmark that holds every country with data.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/ProgressSink.h"
#include "portfolio/GlobalResultRecords.h"

namespace models {

void ComputeFISLModel(TFISLGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& failureText,
                      platform::ProgressSink& progress, std::uint32_t& step);
void BuildFISLPortfolios(TFISLGraphicData* result, const std::vector<TCountry>& countries,
                         const TUserSettings& settings, std::uint32_t frequency);
void ComputeFISLRanking(TFISLGraphicData* result);
void ComputeFISLBenchmark(TFISLGraphicData* result);
void ComputeFISLAllocations(TFISLGraphicData* result, const TUserSettings& settings);

}  // namespace models
