#pragma once
// The calculation of the nine models in their binding order on the exported
// result records: EQSL, EQQV, EQBL, EQGP, FISL, FIGF, FICY, FIGP, MYGP. Later
// models read the records of earlier ones. Each model reads the prepared
// working list and the shared user settings, which it cannot change (its
// record keeps its own cut of the list); the shared globals themselves are
// never changed.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/Records.h"
#include "platform/ProgressSink.h"

namespace models {

// The model codes in the binding order (model number k is entry k - 1).
extern const std::array<const char*, 9> kModelCodes;

// The working list of a calculation: a copy of the list in which each
// country's "QVSIGNAL" and "BLSIGNAL" series (positions looked up in the
// first country: the last match, else 0 and 1) are cut to their common date
// range when that range has two different ends; with intraMonth, every
// asset's intra-month point (FirstDailyPoint) is appended to its series when
// it is dated after the series' last point and holds a value.
std::vector<TCountry> PrepareWorkingList(const std::vector<TCountry>& countries, bool intraMonth);

// Whether PrepareWorkingList(countries, intraMonth) holds exactly the list:
// every pair of signals already within their common range, and with
// intraMonth no intra-month point to append.
bool WorkingListIsTheList(const std::vector<TCountry>& countries, bool intraMonth);

// Appends every asset's intra-month point (FirstDailyPoint) to its series
// when it holds a value and is dated after the series' last point.
void AppendIntraMonthPoints(TCountry& country);

struct TModelCalculationResult {
  bool Ok = false;
  std::uint32_t ModelNumber = 0;  // 1..9: the failing model; 10 when all nine ran
  std::uint32_t ModelStep = 0;    // the failing model's stage counter
  std::string ErrorText;          // text a model left for the caller (not read between models)
  std::string FailureText;        // "<CODE> Failed (Step n)" when a model failed, else empty
};

// Runs the nine models on vcMyExternCountryList and usMyExternUserSettings
// (monthly). beforeModel(k) is called before model k (1..9) and with 10 after
// the ninth. A model that throws ends the calculation: the later models'
// records keep their previous content. Models that read no record of another
// run side by side on worker threads (the calculating thread waits for them);
// the progress calls, beforeModel calls and records still reach the caller
// in the binding order, as from one model after the other, and the failure
// names the first model in that order that failed, at its stage.
TModelCalculationResult CalculateModels(bool intraMonth, platform::ProgressSink& progress,
                                        const std::function<void(std::uint32_t)>& beforeModel = {});

}  // namespace models
