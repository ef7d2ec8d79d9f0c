#pragma once
// FIGF ("Monetary Debasement Risk"): a ranking portfolio of country
// fixed-rate bonds (the index) against the RULE2 rule portfolio (the model),
// which moves a share of the bonds into gold and inflation-linked bonds.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/ProgressSink.h"
#include "portfolio/GlobalResultRecords.h"

namespace models {

// The entry: frame (counter from 2, key "RISKFREEASSET1" among the risk-free
// assets, start one year earlier on the first of the month), then the
// portfolio, settings, gold-signal, benchmark, statistics and allocation
// stages. A failing stage throws; `step` then holds the stage reached.
void ComputeFIGFModel(TFIGFGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& failureText,
                      platform::ProgressSink& progress, std::uint32_t& step);

// BondPortfolio built over [StartDate, EndDate] and recalculated without
// ranking; Rule2 evaluated with the ranking flag false.
void BuildFIGFPortfolio(TFIGFGraphicData* result, const TSharedCountryList& countries, const TUserSettings& settings,
                        std::uint32_t frequency);

// Rows1: the gold signal on the signal date grid (-1.0 before the signal
// starts); Rows2: the last gold signal v and its complement 1 - v (-1.0 stays
// -1.0). Both left empty when the grid has no date up to EndDate.
void BuildFIGFSeries(TFIGFGraphicData* result);

// Model and benchmark returns with their "(In <ccy>)" names; risk-free rate 0.0.
void ComputeFIGFBenchmark(TFIGFGraphicData* result);

// ModelReturns := Rule2.Returns and BenchmarkReturns := BondPortfolio.Returns,
// both cut to their common date range.
void AlignFIGFSeries(TFIGFGraphicData* result);

// Chart sets, the dated split into fixed-rate bonds, inflation-linked bonds
// and gold, and the six asset rows of the last split.
void ComputeFIGFAllocations(TFIGFGraphicData* result);

}  // namespace models
