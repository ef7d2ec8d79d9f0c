#pragma once
// FIGP ("Global Bond Strategy"): the RULE2 split of an all-country bond
// portfolio into fixed-rate bonds, inflation-linked bonds and gold, with the
// country concentration of the FISL result and the currency positions of the
// FICY result. Runs after FISL and FICY in the same calculation: it reads
// cMyExternFISLGraphicData and cMyExternFICYGraphicData.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/ProgressSink.h"
#include "portfolio/GlobalResultRecords.h"

namespace models {

// Entry: frame (counter 2, key "RISKFREEASSET1", one-year-earlier start),
// then portfolio, settings copy, series copies, benchmark, statistics and
// allocations, one counter step each, ending at 9 ("100%").
void ComputeFIGPModel(TFIGPGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& failureText,
                      platform::ProgressSink& progress, std::uint32_t& step);

// The evaluator (ranking flag true), the bond portfolio with every country
// selected, and the cash returns of the portfolio currency (empty when there
// is no such country or cash asset).
void BuildFIGPPortfolio(TFIGPGraphicData* result, const TSharedCountryList& countries, const TUserSettings& settings,
                        std::uint32_t frequency);

// a + b on the common dates of the two, paired by position; `a` unchanged
// when the cuts differ in length or either is empty.
TSeries AlignFIGPSeries(const TSeries& a, const TSeries& b);

// Model = rule returns + FICY model returns, benchmark = FISL benchmark
// returns + FICY benchmark returns, both cut to their common dates; the
// risk-free rate is the annualised cash return over the model's dates.
void ComputeFIGPBenchmark(TFIGPGraphicData* result);

// Chart sets, then the country table and the asset rows.
void ComputeFIGPAllocations(TFIGPGraphicData* result, const TUserSettings& settings);

// The region rows' detail items: rank, holding flag, bond split, index
// weight and currency hedge per country, with row and total sums.
void ComputeFIGPCountryAllocations(TFIGPGraphicData* result);

// The dated fixed-rate / inflation-linked / gold history and the six asset rows.
void ComputeFIGPAssetRows(TFIGPGraphicData* result);

}  // namespace models
