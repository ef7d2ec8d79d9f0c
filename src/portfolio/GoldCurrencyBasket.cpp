#include "portfolio/GoldCurrencyBasket.h"

#include <array>
#include <cstddef>
#include <string>

#include "common/DateHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "portfolio/SLPortfolio.h"

namespace {

const std::array<const char*, 5> kBasketCurrencies{"USD", "EUR", "GBP", "JPY", "CNY"};

bool IsBasketCurrency(const std::string& code) {
  for (const char* c : kBasketCurrencies) {
    if (code == c) return true;
  }
  return false;
}

}  // namespace

void TGoldCurrencyBasket::SetData(const TSharedCountryList& countries, double startDate, double endDate) {
  StartDate = startDate;
  EndDate = endDate;
  Countries = countries;
}

void TGoldCurrencyBasket::Build() {
  Signal.clear();
  if (Countries.empty()) return;

  // Gold: the last "AUINDEX" among the first country's index assets.
  const TAssetSeries* gold = nullptr;
  for (const TAssetSeries& asset : Countries.front().IndexAssets) {
    if (asset.ID == "AUINDEX") gold = &asset;
  }
  if (gold == nullptr) return;
  const TSeries goldTrend = RollingOneYearReturns(ComputeReturns(SliceSeries(gold->Series, StartDate, EndDate), 0.0));
  const TSeries currencyTrend = RollingOneYearReturns(BuildCurrencySeries().Returns);
  if (goldTrend.empty() || currencyTrend.empty()) return;

  const std::array<double, 2> range = GetCommonDateRange(currencyTrend, goldTrend);
  const TSeries currencySlice = SliceSeries(currencyTrend, range[0], range[1]);
  const TSeries goldSlice = SliceSeries(goldTrend, range[0], range[1]);
  if (currencySlice.empty() || currencySlice.size() != goldSlice.size()) return;
  Signal.reserve(currencySlice.size());
  for (std::size_t k = 0; k < currencySlice.size(); ++k) {
    Signal.push_back({currencySlice[k].Date, currencySlice[k].Value <= goldSlice[k].Value ? 1.0 : 0.0});
  }
}

TClassicPortfolio TGoldCurrencyBasket::BuildCurrencySeries() const {
  TClassicPortfolio basket;
  // Each basket currency is represented by the first country that uses it.
  std::vector<std::size_t> owners;
  const TCountry* reference = nullptr;
  for (std::size_t i = 0; i < Countries.size(); ++i) {
    const TCountry& country = Countries[i];
    if (reference == nullptr && country.Currency == "USD") reference = &country;
    if (!IsBasketCurrency(country.Currency)) continue;
    bool taken = false;
    for (const TClassicAsset& asset : basket.Assets) taken = taken || asset.Id == country.Currency;
    if (taken) continue;
    TClassicAsset asset;
    asset.Id = country.Currency;
    asset.Weight = 0.2;
    basket.Assets.push_back(std::move(asset));
    owners.push_back(i);
  }

  // Without a dollar country no asset gets a series and the basket stays empty.
  if (reference != nullptr) {
    const TSeries& referenceFx = SpotFxSeries(*reference);
    for (std::size_t a = 0; a < basket.Assets.size(); ++a) {
      const TCountry& country = Countries[owners[a]];
      const int cashPosition = FindCashAssetPosition(country.RiskFreeAssets);
      if (cashPosition < 0) continue;
      const TSeries cash =
          SliceSeries(country.RiskFreeAssets[static_cast<std::size_t>(cashPosition)].Series, StartDate, EndDate);
      const TSeries rate =
          MultiplySeries(SpotFxSeries(country), referenceFx, country.ReverseQuote, reference->ReverseQuote);
      // Returns of a cash deposit in that currency valued in dollars.
      basket.Assets[a].Series = ProductSeriesReturns(cash, rate);
    }
  }
  basket.ComputeWeights();
  return basket;
}
