#include <algorithm>

#include "common/DateHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "portfolio/SLPortfolio.h"

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
  const std::vector<TAssetSeries>& firstIndexAssets = countries.front().IndexAssets;
  const std::size_t rateFound = FindAssetPosition(firstIndexAssets, "10YRATEINDEX", firstIndexAssets.size());
  if (rateFound == firstIndexAssets.size()) return;
  const auto ratePosition = static_cast<std::ptrdiff_t>(rateFound);
  const auto bondPosition =
      static_cast<std::ptrdiff_t>(FindAssetPosition(countries.front().RiskFreeAssets, "RISKFREEASSET1"));
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
