#include "portfolio/PortfolioCurrency.h"

#include <algorithm>
#include <cctype>

#include "common/CountryHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"

namespace {

const TSeries kEmptySeries;

bool ContainsCash(std::string title) {
  std::transform(title.begin(), title.end(), title.begin(),
                 [](unsigned char ch) { return static_cast<char>(std::toupper(ch)); });
  return title.find("CASH") != std::string::npos;
}

}  // namespace

bool IsCashAssetId(const std::string& id) { return ContainsCash(TranslateAssetName(id, atRiskFreeAsset, true)); }

int FindCashAssetPosition(const std::vector<TAssetSeries>& riskFreeAssets) {
  int position = -1;
  for (std::size_t i = 0; i < riskFreeAssets.size(); ++i) {
    if (IsCashAssetId(riskFreeAssets[i].ID)) position = static_cast<int>(i);
  }
  return position;
}

const TAssetSeries* FirstCashAsset(const TCountry& country) {
  for (const TAssetSeries& asset : country.RiskFreeAssets)
    if (IsCashAssetId(asset.ID)) return &asset;
  return nullptr;
}

const TAssetSeries* LastCashAsset(const TCountry& country) {
  const int position = FindCashAssetPosition(country.RiskFreeAssets);
  return position < 0 ? nullptr : &country.RiskFreeAssets[static_cast<std::size_t>(position)];
}

TCurrencyCountries FindCurrencyCountries(const std::vector<TCountry>& countries, const std::string& portfolioCcy) {
  TCurrencyCountries found;
  for (std::size_t i = 0; i < countries.size(); ++i) {
    if (found.Usd < 0 && countries[i].Currency == "USD") found.Usd = static_cast<int>(i);
    if (countries[i].Currency == portfolioCcy) found.Portfolio = static_cast<int>(i);
  }
  if (portfolioCcy == "USD") found.Portfolio = found.Usd;
  return found;
}

const TSeries& SpotFxSeries(const TCountry& country) {
  return country.SpotFxAssets.empty() ? kEmptySeries : country.SpotFxAssets.front().Series;
}

const TSeries& CashSeries(const TCountry& country) {
  const int position = FindCashAssetPosition(country.RiskFreeAssets);
  return position < 0 ? kEmptySeries : country.RiskFreeAssets[static_cast<std::size_t>(position)].Series;
}

const TSeries& SeriesAtPosition(const std::vector<TAssetSeries>& assets, std::size_t position) {
  return position < assets.size() ? assets[position].Series : kEmptySeries;
}

TSeries CrossRate(const TCountry& from, const TCountry& to) {
  return MultiplySeries(SpotFxSeries(from), SpotFxSeries(to), from.ReverseQuote, to.ReverseQuote);
}

TSeries ConvertToPortfolioCurrency(const TSeries& prices, const TSeries& cash, const TSeries& fxToUsd, double cost,
                                   const TSeries& usdToPortfolio, std::int32_t frequency) {
  const TSeries hedged = ComputeHedgedReturns(prices, cash, fxToUsd, cost);
  return ComputeConvertedReturns(ReturnsToIndex(hedged, frequency), usdToPortfolio);
}
