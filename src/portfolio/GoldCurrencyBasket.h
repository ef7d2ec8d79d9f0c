#pragma once
// Gold against paper money: a dated 0/1 signal that is 1.0 when gold's
// trailing one-year return is at least that of an equal-weighted basket of
// cash deposits in "USD", "EUR", "GBP", "JPY" and "CNY" (valued in dollars).

#include <vector>

#include "common/Records.h"
#include "common/SharedCountryList.h"
#include "portfolio/ClassicPortfolio.h"

struct TGoldCurrencyBasket {
  // Stores the date range and the basket's own copy of the country list.
  void SetData(const TSharedCountryList& countries, double startDate, double endDate);
  // Recomputes Signal; a missing input leaves it empty.
  void Build();
  // The five-currency cash basket, ComputeWeights already run.
  TClassicPortfolio BuildCurrencySeries() const;

  double StartDate = 0.0;
  double EndDate = 0.0;
  TSharedCountryList Countries;
  TSeries Signal;  // 1.0: gold trend >= currency trend, else 0.0
};
