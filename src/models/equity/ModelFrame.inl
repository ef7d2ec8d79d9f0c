#pragma once
// Template part of ModelFrame.h.

#include <utility>

#include "portfolio/ModelError.h"

namespace models {

template <class Record>
void RunModelFrame(Record& result, const std::vector<TCountry>& countries, const TUserSettings& settings,
                   std::uint32_t frequency, bool intraMonth, const TModelFrameValues& values, TStageCounter& counter) {
  counter.Start(values.CounterStart);
  result.Frequency = frequency;
  const TRunWindow window = BaseRunWindow(countries, settings, intraMonth, values.KeyId, values.KeyAssetType);
  result.StartDate = window.StartDate;
  result.EndDate = window.EndDate;
  result.StartDate = ShiftedStartDate(countries, result.StartDate, values.Shift, frequency);
  result.Countries = CutCountryList(countries, result.StartDate, result.EndDate);
}

template <class Record>
void RunModelFrame(Record& result, std::vector<TCountry>&& countries, const TUserSettings& settings,
                   std::uint32_t frequency, bool intraMonth, const TModelFrameValues& values, TStageCounter& counter) {
  counter.Start(values.CounterStart);
  result.Frequency = frequency;
  const TRunWindow window = BaseRunWindow(countries, settings, intraMonth, values.KeyId, values.KeyAssetType);
  result.StartDate = ShiftedStartDate(countries, window.StartDate, values.Shift, frequency);
  result.EndDate = window.EndDate;
  result.Countries = std::move(countries);
  CutCountriesInPlace(result.Countries, result.StartDate, result.EndDate);
}

}  // namespace models
