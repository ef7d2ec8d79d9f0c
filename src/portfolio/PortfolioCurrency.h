#pragma once
// Currency legs shared by the benchmark portfolio and the RULE2 evaluator:
// the reference ("USD") and portfolio-currency countries of a list, a
// country's cash and spot series, cross rates between two countries and the
// conversion of an asset's prices into period returns in the portfolio currency.

#include <cstdint>
#include <string>
#include <vector>

#include "common/Records.h"

// Positions of the first "USD" country and of the last country whose currency
// is the portfolio currency (the USD country when that currency is "USD");
// -1 when there is none.
struct TCurrencyCountries {
  int Usd = -1;
  int Portfolio = -1;
  bool Valid() const { return Usd >= 0 && Portfolio >= 0; }
};
TCurrencyCountries FindCurrencyCountries(const std::vector<TCountry>& countries, const std::string& portfolioCcy);

// True when the title of the risk-free asset `id` (looked up by identifier in
// the first loaded country) contains "CASH" once upper-cased.
bool IsCashAssetId(const std::string& id);
// Position, in a country's risk-free asset list, of the last asset whose
// title contains "CASH" (IsCashAssetId); -1 when none does.
int FindCashAssetPosition(const std::vector<TAssetSeries>& riskFreeAssets);
// The first / last risk-free asset of the country whose title contains
// "CASH"; nullptr when none does.
const TAssetSeries* FirstCashAsset(const TCountry& country);
const TAssetSeries* LastCashAsset(const TCountry& country);

// Series of the country's first spot exchange-rate asset; empty when it has none.
const TSeries& SpotFxSeries(const TCountry& country);
// Series of the country's last risk-free asset whose title contains "CASH"
// (upper-cased); empty when it has none.
const TSeries& CashSeries(const TCountry& country);
// Series of the asset at a position of a list; empty when the list is shorter.
const TSeries& SeriesAtPosition(const std::vector<TAssetSeries>& assets, std::size_t position);

// Factor that turns amounts in from's currency into to's:
// MultiplySeries(spot(from), spot(to), from.ReverseQuote, to.ReverseQuote).
TSeries CrossRate(const TCountry& from, const TCountry& to);

// Period returns in the portfolio currency:
//   r = ComputeHedgedReturns(prices, cash, fxToUsd, cost)   (excess over cash, in USD)
//   result = ComputeConvertedReturns(ReturnsToIndex(r, frequency), usdToPortfolio).
TSeries ConvertToPortfolioCurrency(const TSeries& prices, const TSeries& cash, const TSeries& fxToUsd, double cost,
                                   const TSeries& usdToPortfolio, std::int32_t frequency);
