#pragma once
// Puts a benchmark's period returns into the portfolio currency by adding,
// period by period, the cash return of the portfolio currency's country of
// the record's own country list.

#include "common/Records.h"
#include "portfolio/EquityResultRecords.h"

namespace models {

// The one procedure behind the three record forms below; `countries` is the
// record's Countries, [from, to] the window.
TSeries ConvertSeriesToPortfolioCurrency(const std::vector<TCountry>& countries, const TSeries& series,
                                         const TUserSettings& settings, double from, double to);

TSeries ConvertEQBLSeriesCurrency(const TEQBLGraphicData& result, const TSeries& series,
                                  const TUserSettings& settings, double from, double to);
TSeries ConvertEQQVSeriesCurrency(const TEQQVGraphicData& result, const TSeries& series,
                                  const TUserSettings& settings, double from, double to);
// Window: the record's StartDate and EndDate.
TSeries ConvertEQGPSeriesCurrency(const TEQGPGraphicData& result, const TSeries& series,
                                  const TUserSettings& settings);

}  // namespace models
