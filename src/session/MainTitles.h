#pragma once
// The four main titles over the workspace: the model's name, its one-line
// description and two lines naming the view of its result page.

#include <cstdint>
#include <string>
#include <vector>

#include "portfolio/EquityResultRecords.h"
#include "session/ViewState.h"

namespace session {

// Texts as the labels show them ("&&" already made one "&").
struct TMainTitles {
  std::string Title1, Title2, Title3, Title4;
};

// Titles of the selection in `state` with `viewNumber` the current view of the
// selected result page. `riskFreeId` is turned into the risk-free label
// (title in asset list 1, "10Y Gov Bond" -> "10Y bond", "2Y Gov Bond" ->
// "2Y bond", "1M Cash" -> "1M cash"); the country name is the Name of
// countries[CountryListIndex], empty outside the list. A selection or view
// number outside the tables gives four empty texts.
TMainTitles UpdateMainTitles(const TViewState& state, std::int32_t viewNumber, const std::string& riskFreeId,
                             const std::vector<TCountryModelData>& countries);

// The same with the risk-free ID of usMyExternUserSettings and the country
// records of cMyExternEQQVGraphicData.
TMainTitles UpdateMainTitles(const TViewState& state, std::int32_t viewNumber);

}  // namespace session
