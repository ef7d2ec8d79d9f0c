#pragma once
// Template part of ModelFrame.h.

#include "portfolio/ModelError.h"

namespace models {

template <class Record>
void RunModelFrame(Record& result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                   std::uint32_t frequency, bool intraMonth, const TModelFrameValues& values, TStageCounter& counter) {
  counter.Start(values.CounterStart);
  result.Frequency = frequency;
  const TRunWindow window = BaseRunWindow(countries, settings, intraMonth, values.KeyId, values.KeyAssetType);
  result.StartDate = ShiftedStartDate(countries, window.StartDate, values.Shift, frequency);
  result.EndDate = window.EndDate;
  if (&countries == &result.Countries.List())
    CutCountriesInPlace(result.Countries.Edit(), result.StartDate, result.EndDate);
  else if (TCalculationCuts* cuts = TCalculationCuts::Of(countries))
    result.Countries = cuts->Cut(result.StartDate, result.EndDate);
  else
    CutCountryListInto(result.Countries.Rewrite(), countries, result.StartDate, result.EndDate);
}

}  // namespace models
