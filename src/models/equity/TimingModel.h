#pragma once
// The signal-timing models EQBL (behavioural signal "BLSIGNAL", trust level
// BLTrustLevel) and EQQV (macro signal "QVSIGNAL" and the rule assets, trust
// level QVTrustLevel): one procedure, two parameter sets. Each country holds
// its equity index while its signal is On and moves the share T/100 of its
// weight to the risk-free asset while it is Off (exactly 0.0).
//
// TEQQVGraphicData derives from TEQBLGraphicData without adding members, so
// every stage body works on TEQBLGraphicData and takes the model kind; the
// named functions are the entry points of each model.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/ProgressSink.h"
#include "portfolio/EquityResultRecords.h"

namespace models {

enum class TTimingKind { EQBL, EQQV };

// Parameters of one timing model.
struct TTimingModelValues {
  TTimingKind Kind;
  const char* Code;       // "EQBL" / "EQQV"
  const char* SignalKey;  // "BLSIGNAL" / "QVSIGNAL"
};
const TTimingModelValues& TimingValues(TTimingKind kind);

// The trust level (percent) of the model in a parameter record or in settings.
double TimingTrustLevel(TTimingKind kind, const TSeriesInfo& parameters);
double TimingTrustLevel(TTimingKind kind, const TUserSettings& settings);

// ---- Generic bodies (one per stage) ----------------------------------------
void ComputeTimingModel(TTimingKind kind, TEQBLGraphicData& result, const std::vector<TCountry>& countries,
                        const TUserSettings& settings, std::uint32_t frequency, bool intraMonth,
                        platform::ProgressSink& progress, std::uint32_t& step);
// The entry's preparation after the frame: EstimatedSignals (Values1) from the
// uncut input list, one default CountryData and Summaries entry per country.
void PrepareTimingRun(TTimingKind kind, TEQBLGraphicData& result, const std::vector<TCountry>& countries);
void BuildTimingCountryRecords(TTimingKind kind, TEQBLGraphicData& result, const TUserSettings& settings);
void BuildTimingCountryWeightSeries(TEQBLGraphicData& result);
void LoadTimingSignals(TTimingKind kind, TEQBLGraphicData& result);
void ComputeTimingPositions(TTimingKind kind, TEQBLGraphicData& result);
void ComputeTimingPortfolio(TTimingKind kind, TEQBLGraphicData& result);
void ComputeTimingBenchmark(TTimingKind kind, TEQBLGraphicData& result, const std::vector<TCountry>& countries,
                            const TUserSettings& settings, bool intraMonth);
void ComputeTimingBenchmark2(TTimingKind kind, TEQBLGraphicData& result, const std::vector<TCountry>& countries,
                             const TUserSettings& settings, bool intraMonth);
// Both benchmark stages with one preparation and one conversion of the
// countries' legs: the same results as ComputeTimingBenchmark followed by
// ComputeTimingBenchmark2 when result.Countries is the list cut to the run
// window (as the entry leaves it).
void ComputeTimingBenchmarks(TTimingKind kind, TEQBLGraphicData& result, const std::vector<TCountry>& countries,
                             const TUserSettings& settings, bool intraMonth);
void ComputeTimingStatistics(TTimingKind kind, TEQBLGraphicData& result);
void ComputeTimingAllocations(TTimingKind kind, TEQBLGraphicData& result);
// The part of ComputeTimingAllocations that fills each country's chart sets
// from its model, index and risk-free series (stage 5's results); the rest
// runs without it when withCountryCharts is false.
void FillTimingCountryCharts(TEQBLGraphicData& result);
void ComputeTimingAllocations(TTimingKind kind, TEQBLGraphicData& result, bool withCountryCharts);

// ---- EQBL --------------------------------------------------------------------
// Model entry: failureText and the unread context of the caller are not
// written; step holds the stage reached when an exception leaves the entry.
void ComputeEQBLModel(TEQBLGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& failureText,
                      platform::ProgressSink& progress, std::uint32_t& step);
void BuildEQBLCountryRecords(TEQBLGraphicData* result, TUserSettings settings);
void BuildEQBLCountryWeightSeries(TEQBLGraphicData* result);
void LoadEQBLSignals(TEQBLGraphicData* result);
void ComputeEQBLPositions(TEQBLGraphicData* result);
void ComputeEQBLPortfolio(TEQBLGraphicData* result);
void ComputeEQBLBenchmark(TEQBLGraphicData* result, const std::vector<TCountry>& countries,
                          const TUserSettings& settings, bool intraMonth);
void ComputeEQBLBenchmark2(TEQBLGraphicData* result, const std::vector<TCountry>& countries,
                           const TUserSettings& settings, bool intraMonth);
void ComputeEQBLStatistics(TEQBLGraphicData* result);
void ComputeEQBLAllocations(TEQBLGraphicData* result);

// ---- EQQV --------------------------------------------------------------------
void ComputeEQQVModel(TEQQVGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& failureText,
                      platform::ProgressSink& progress, std::uint32_t& step);
void BuildEQQVCountryRecords(TEQQVGraphicData* result, TUserSettings settings);
void BuildEQQVCountryWeightSeries(TEQQVGraphicData* result);
void LoadEQQVSignals(TEQQVGraphicData* result);
void ComputeEQQVPositions(TEQQVGraphicData* result);
void ComputeEQQVPortfolio(TEQQVGraphicData* result);
void ComputeEQQVBenchmark(TEQQVGraphicData* result, const std::vector<TCountry>& countries,
                          const TUserSettings& settings, bool intraMonth);
void ComputeEQQVBenchmark2(TEQQVGraphicData* result, const std::vector<TCountry>& countries,
                           const TUserSettings& settings, bool intraMonth);
void ComputeEQQVStatistics(TEQQVGraphicData* result);
void ComputeEQQVAllocations(TEQQVGraphicData* result);

}  // namespace models
