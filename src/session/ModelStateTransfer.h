#pragma once
// The model-state transfer: six models (EQSL, EQQV, EQBL, FISL, FIGF, FICY)
// run twice on private copies of the loaded data with fixed neutral
// settings, and one model-state report per pass ("OFFICIAL1", then
// "INTRA-MONTH1") is sent to the data server. Runs on the worker; reads
// vcMyExternCountryList and usMyExternUserSettings and writes no global and
// none of the exported result records.

#include <string>
#include <vector>

#include "common/Records.h"
#include "session/UpdateStep.h"

class TQVDBClient;

namespace session {

// Failure text when the loaded data lack the first country's equity index series.
inline constexpr const char* kTransferNoEquityIndexText = "Model-state transfer impossible: no equity index data";

// The transfer's settings: a copy of user with the neutral overrides, one
// country row per country of countries and the dates of the first
// country's equity index series. False when that series is missing.
bool BuildTransferSettings(const TUserSettings& user, const std::vector<TCountry>& countries, TUserSettings& settings);

// Both passes; lamps 1..10 show the progress of each pass. Returns true with
// errorText empty when both reports were accepted; otherwise errorText holds
// the client's message of the failed upload, the failure of a model
// ("<CODE> Failed (Step n)") or of the report, and no later pass runs.
bool TransferModelStates(std::string& errorText, TStepReporter& reporter, TQVDBClient& client);

}  // namespace session
