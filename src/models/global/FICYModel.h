#pragma once
// FICY ("Currency Ranking"): holds the user's maximum share of currency risk
// in a ranked currency portfolio and the rest in cash of the portfolio
// currency. Two currency portfolios are kept side by side: ModelPortfolio,
// restricted to the four reference currencies ("USA", "GERMANY", "JAPAN",
// "CHINA"), and BenchmarkPortfolio, the user's currency weights of every
// country. The RULE2 state picks, period by period, which one the model
// follows (2.0: the user's weights; any other state: the reference). The
// model's benchmark is cash in the portfolio currency (Values1).

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/ProgressSink.h"
#include "portfolio/GlobalResultRecords.h"

namespace models {

void ComputeFICYModel(TFICYGraphicData* result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                      std::uint32_t frequency, bool intraMonth, std::string& failureText,
                      platform::ProgressSink& progress, std::uint32_t& step);

// The settings with which the reference portfolio is built: every CyWeight
// of the list's rows 0 when the country is not the first of its name among
// "USA", "GERMANY", "JAPAN", "CHINA" (names upper-cased), the user's weight
// otherwise; when none is weighted, the country of the portfolio currency
// (FindCountryIndex by currency) gets 1.0. The weights are then divided by
// their sum S: w := (w / S)(1 - S) + w = w / S, so that they total 1.
// Throws EModelError when the settings hold fewer rows than the list.
TUserSettings FICYReferenceSettings(const std::vector<TCountry>& countries, const TUserSettings& settings);

// Values2 := the first country's "RULE2" series cut to the run window (the
// last such asset; empty when none); Extra := true; ModelPortfolio built
// with FICYReferenceSettings, BenchmarkPortfolio with the user's settings;
// Values1 := period returns of the portfolio currency's "CASH"-titled
// risk-free asset (the last such asset; empty when none).
void BuildFICYPortfolios(TFICYGraphicData* result, const std::vector<TCountry>& countries,
                         const TUserSettings& settings, std::uint32_t frequency);

// RankingRows (history of each country's rank on the signal date grid) and
// RankingPages (the countries in rank order at EndDate), taken from the
// portfolio that the RULE2 state selects at each date when the record holds
// a RULE2 series, from BenchmarkPortfolio otherwise.
void ComputeFICYRanking(TFICYGraphicData* result);

// Model returns := (100 - M) / 100 x cash + M / 100 x strategy, paired by
// date (M = Parameters.MaxFxRiskAllocation); benchmark returns := cash over
// the same dates; the strategy follows the RULE2 state at the start of each
// period when the record holds a RULE2 series, else BenchmarkPortfolio.
void ComputeFICYBenchmark(TFICYGraphicData* result);

// Chart sets of model and benchmark, then BuildFICYZoneRecords with the
// maximum FX risk.
void ComputeFICYAllocations(TFICYGraphicData* result, const TUserSettings& settings);

// AllocationHistory (ascending) and RegionItems from the followed
// portfolio's allocations: every weight x m (m = MaxFxRiskAllocation / 100
// when useFxRisk, else 1), and the cash remainder c = 1 - m once, to the
// first holding in the portfolio currency, else to an item of the portfolio
// currency's country.
void BuildFICYZoneRecords(TFICYGraphicData* result, const TUserSettings& settings, bool useFxRisk);

}  // namespace models
