#pragma once
// MYGP (global equity/bond strategy): one multi-asset portfolio whose equity
// share moves between the user's minimum and maximum equity allocation. The
// minimum is held in the plain equity benchmark, the part between minimum
// and maximum in the signal-timed equity benchmark (risk-off leg: the global
// bond strategy), the rest in the global bond strategy with its currency
// overlay. Runs last in a calculation: it reads cMyExternEQSLGraphicData,
// cMyExternFISLGraphicData, cMyExternFICYGraphicData and
// cMyExternFIGPGraphicData of the same run.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/ProgressSink.h"
#include "portfolio/EquityResultRecords.h"
#include "portfolio/GlobalResultRecords.h"

namespace models {

// Entry: frame (counter 2, key "EQINDEX", start on the first day of the same
// month one year earlier when the signal grid allows it), then portfolios,
// settings block, combination, benchmark, statistics and allocations, one
// counter step each, ending at 9 ("100%").
void ComputeMYGPModel(TMYGPGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& failureText,
                      platform::ProgressSink& progress, std::uint32_t& step);

// Equity and bond ranking portfolios with every country selected (criteria
// 1.0), the signals flag, the timed and plain equity benchmarks (built from
// one set of converted legs) and the cash returns of the portfolio currency
// (emptied first; the last risk-free asset titled "...CASH..." of the
// portfolio-currency country).
void BuildMYGPPortfolios(TMYGPGraphicData* result, const std::vector<TCountry>& countries,
                         const TUserSettings& settings, std::uint32_t frequency);

// The settings block (all fourteen settings) with the equity bounds made
// consistent: Max within [0, 100], then Min within [0, Max].
void CopyMYGPSettings(TMYGPGraphicData* result, const TUserSettings& settings);

// Timed benchmark against FIGP's blended returns, plain benchmark alone, then
// the model mix (Min, Max - Min, 100 - Max) and the benchmark mix (Max,
// 100 - Max) on their common date range. Min and Max from the settings block.
void CombineMYGPModelSeries(TMYGPGraphicData* result, const TUserSettings& settings);

// Model and benchmark series of the performance record on the mixes' common
// dates, their names, and the annual cash return as risk-free rate.
void ComputeMYGPBenchmark(TMYGPGraphicData* result);

// "Cash && Risk Portfolio" statistics of model against benchmark.
void ComputeMYGPStatistics(TMYGPGraphicData* result);

// Chart sets, country composition and asset-class rows.
void ComputeMYGPAllocations(TMYGPGraphicData* result, const TUserSettings& settings);

// The seven rows (six regions by RegionName, then "TOTAL"), every figure
// -1000000.0, item ranks -1.
void AddMYGPTotalRows(TMYGPGraphicData* result);

// Lays out the rows, then fills ranks, selection flags, the equity sleeves,
// the bond sleeves and bond benchmark, the currency hedges and region sums.
void ComposeMYGPPortfolio(TMYGPGraphicData* result);

// Dated asset-class composition of the timed benchmark's dates and the six
// asset rows of the last date; empty when the timed benchmark has no records.
void ComputeMYGPAssetRows(TMYGPGraphicData* result);

// Sets MacroOn and BehaviourOn of every country item of every row: true when
// the last row of the same country name (macro and behavioural state rows)
// has the first point 1.0, false when it has another first point or none; an
// item without a row of its name in a list keeps that flag.
void FlagMYGPAllocationItems(TMYGPGraphicData* result, const std::vector<TLabelledSeries>& macroRows,
                             const std::vector<TLabelledSeries>& behaviourRows);

// The series plus the period cash return of the portfolio currency, point by
// point on their common dates; the series unchanged when the cuts differ in
// length, either is empty, or there is no cash series.
TSeries ConvertMYGPSeriesCurrency(const TMYGPGraphicData& result, const TSeries& series,
                                  const TUserSettings& settings);

// a + b point by point on the common dates of the two; `a` unchanged when
// the cuts differ in length or either is empty.
TSeries AlignMYGPSeries(const TSeries& a, const TSeries& b);

}  // namespace models
