#include "models/equity/SeriesCurrencyConversion.h"

#include <cstddef>

#include "common/DateHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "portfolio/PortfolioCurrency.h"

namespace models {

// The conversion country is chosen in the record's own list by exact text:
// the first "USD" country for "USD", else the last country of the currency
// (FindCurrencyCountries). Its cash asset is its last risk-free asset titled
// "...CASH..." (CashSeries). With C the cash returns over [from, to] and both
// series cut to their common range, point k := (S'_k date, S'_k + C'_k),
// paired by position; the input comes back unchanged when there is no
// country, no cash, or the cuts differ in length or are empty.
TSeries ConvertSeriesToPortfolioCurrency(const std::vector<TCountry>& countries, const TSeries& series,
                                         const TUserSettings& settings, double from, double to) {
  const int p = FindCurrencyCountries(countries, settings.PortfolioCcy).Portfolio;
  if (p < 0) return series;
  const TSeries cash = ComputeReturns(SliceSeries(CashSeries(countries[static_cast<std::size_t>(p)]), from, to), 0.0);
  const auto range = GetCommonDateRange(series, cash);
  const TSeries cutSeries = SliceSeries(series, range[0], range[1]);
  const TSeries cutCash = SliceSeries(cash, range[0], range[1]);
  if (cutSeries.empty() || cutSeries.size() != cutCash.size()) return series;
  TSeries result = cutSeries;
  for (std::size_t k = 0; k < result.size(); ++k) result[k].Value += cutCash[k].Value;
  return result;
}

TSeries ConvertEQBLSeriesCurrency(const TEQBLGraphicData& result, const TSeries& series, const TUserSettings& settings,
                                  double from, double to) {
  return ConvertSeriesToPortfolioCurrency(result.Countries, series, settings, from, to);
}

TSeries ConvertEQQVSeriesCurrency(const TEQQVGraphicData& result, const TSeries& series, const TUserSettings& settings,
                                  double from, double to) {
  return ConvertSeriesToPortfolioCurrency(result.Countries, series, settings, from, to);
}

TSeries ConvertEQGPSeriesCurrency(const TEQGPGraphicData& result, const TSeries& series,
                                  const TUserSettings& settings) {
  return ConvertSeriesToPortfolioCurrency(result.Countries, series, settings, result.StartDate, result.EndDate);
}

}  // namespace models
