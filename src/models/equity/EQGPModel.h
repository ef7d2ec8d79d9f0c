#pragma once
// EQGP ("Global Equity Strategy"): country concentration by ranking combined
// with the macro and behavioural signals, against the plain benchmark.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/ProgressSink.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/GlobalResultRecords.h"

namespace models {

void ComputeEQGPModel(TEQGPGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& failureText,
                      platform::ProgressSink& progress, std::uint32_t& step);
void BuildEQGPPortfolio(TEQGPGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                        std::uint32_t frequency);
void ComputeEQGPBenchmark(TEQGPGraphicData* result, const TUserSettings& settings);
void ComputeEQGPAllocations(TEQGPGraphicData* result, const TUserSettings& settings);
void ComputeEQGPRegionAllocations(TEQGPGraphicData* result, const TUserSettings& settings);
void AddEQGPTotalRows(TEQGPGraphicData* result);
// Seven placeholder rows (six regions in the order of strRegionNameList, then
// "TOTAL" when the list is not empty); every country gets an item in the row
// of its RegionName, a country outside the six regions in none.
std::vector<TRegionAllocationRow> BuildRegionTotalRows(const std::vector<TCountry>& countries);
// The seven region rows (six regions, then "TOTAL") of the global bond model.
void AddFIGPTotalRows(TFIGPGraphicData* result);
// Sets MacroOn and BehaviourOn of every country item: true when the last row
// of the same country name (EQQV and EQBL last-signal rows) has the first
// point 1.0, false when it has another first point or none; an item without
// a row of its name in a list keeps that flag.
void FlagEQGPAllocationItems(TEQGPGraphicData* result, const std::vector<TLabelledSeries>& macroRows,
                             const std::vector<TLabelledSeries>& behaviouralRows);

}  // namespace models
