#include <algorithm>

#include "common/DateHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "portfolio/SLPortfolio.h"

namespace {

// Position of the last asset with that identifier; -1 when none.
std::ptrdiff_t FindLastAsset(const std::vector<TAssetSeries>& assets, const std::string& id) {
  std::ptrdiff_t found = -1;
  for (std::size_t i = 0; i < assets.size(); ++i) {
    if (assets[i].ID == id) found = static_cast<std::ptrdiff_t>(i);
  }
  return found;
}

}  // namespace

void TBondSLPortfolio::Build(const std::vector<TCountry>& countries, const TUserSettings& settings,
                             std::int32_t frequency, double startDate, double endDate) {
  BeginBuild(settings, 1);
  Frequency = frequency;
  StartDate = startDate;
  EndDate = endDate;
  const double periodsPerYear = PeriodsPerYear(frequency);

  // Without a USD country or a country of the portfolio currency there is no
  // conversion, and without a 10-year rate nothing to rank by: no lines.
  const TCurrencyCountries found = FindCurrencyCountries(countries, PortfolioCcy);
  if (found.Usd < 0 || found.Portfolio < 0) return;
  const std::ptrdiff_t ratePosition = FindLastAsset(countries.front().IndexAssets, "10YRATEINDEX");
  if (ratePosition < 0) return;
  const std::ptrdiff_t bondPosition =
      std::max<std::ptrdiff_t>(0, FindLastAsset(countries.front().RiskFreeAssets, "RISKFREEASSET1"));
  const TCountry& usdCountry = countries[static_cast<std::size_t>(found.Usd)];
  const TSeries currencyRate = CurrencyRate(usdCountry, countries[static_cast<std::size_t>(found.Portfolio)]);

  for (std::size_t i = 0; i < countries.size(); ++i) {
    const TCountrySettings& row = SettingsRow(settings, i);
    if (row.FiWeight == 0.0) continue;
    const TCountry& country = countries[i];
    TSLLine line = NewLine(country, row.FiWeight, row.FiTransactionCost);
    // The swap cost applies to every country but the portfolio-currency one.
    const double hedgingCost = (settings.FxHedging && static_cast<int>(i) != found.Portfolio)
                                   ? row.EqFxSwapBorrowingCost / periodsPerYear / 100.0
                                   : 0.0;
    const TSeries dollarReturns =
        DollarExcessReturns(ModelAt(country.RiskFreeAssets, bondPosition, "government bond asset").Series, country,
                            usdCountry, startDate, endDate, hedgingCost);
    const TSeries& rates = ModelAt(country.IndexAssets, ratePosition, "10-year rate asset").Series;
    if (!dollarReturns.empty()) {
      line.RateSeries = SliceSeries(rates, dollarReturns.front().Date, dollarReturns.back().Date);
    }
    line.Returns = ComputeConvertedReturns(ReturnsToIndex(dollarReturns, frequency), currencyRate);
    // The 10-year rate on the return dates: the highest rate ranks first.
    line.RankingValues = AlignSeriesOnCommonRange(line.Returns, rates);
    Lines.push_back(std::move(line));
  }
  DropShortLines();
}

void TBondSLPortfolio::Recalculate(bool flag) {
  if (PrepareRecalculate(flag)) RebuildResults();
}

void TBondSLPortfolio::RebuildResults() {
  RunResultPass(
      Selections, [this](std::int32_t reference) { ComputeWeights(reference); }, &Costs);
}

void TBondSLPortfolio::ComputeWeights(std::int32_t referenceIndex) {
  BuildTurnover(referenceIndex, Selections, Frequency, Turnover, Costs, AnnualTurnover);
}
