#include "common/DateHelpers.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "portfolio/SLPortfolio.h"

void TEquitySLPortfolio::Build(const std::vector<TCountry>& countries, const TUserSettings& settings,
                               std::int32_t frequency, double startDate, double endDate) {
  BeginBuild(settings, 0);
  Frequency = frequency;
  StartDate = startDate;
  EndDate = endDate;
  const double periodsPerYear = PeriodsPerYear(frequency);

  // Without a USD country or a country of the portfolio currency there is no
  // conversion: no lines.
  const TCurrencyCountries found = FindCurrencyCountries(countries, PortfolioCcy);
  if (found.Usd < 0 || found.Portfolio < 0) return;
  const TCountry& usdCountry = countries[static_cast<std::size_t>(found.Usd)];
  const TSeries currencyRate = CurrencyRate(usdCountry, countries[static_cast<std::size_t>(found.Portfolio)]);
  // Every country lists its assets in the order of the first.
  const auto indexPosition = static_cast<std::ptrdiff_t>(FindAssetPosition(countries.front().IndexAssets, "EQINDEX"));

  for (std::size_t i = 0; i < countries.size(); ++i) {
    const TCountrySettings& row = SettingsRow(settings, i);
    if (row.EqWeight == 0.0) continue;
    const TCountry& country = countries[i];
    TSLLine line = NewLine(country, row.EqWeight, row.EqTransactionCost);
    // Per-period swap cost of hedging the currency back to dollars.
    const double hedgingCost = (settings.FxHedging && static_cast<int>(i) != found.Usd)
                                   ? row.EqFxSwapBorrowingCost / periodsPerYear / 100.0
                                   : 0.0;
    const TSeries dollarReturns =
        DollarExcessReturns(ModelAt(country.IndexAssets, indexPosition, "equity index asset").Series, country,
                            usdCountry, startDate, endDate, hedgingCost);
    line.Returns = ComputeConvertedReturns(ReturnsToIndex(dollarReturns, frequency), currencyRate);
    // Trailing one-year return: the highest ranks first.
    line.RankingValues = RollingOneYearReturns(line.Returns);
    Lines.push_back(std::move(line));
  }
  DropShortLines();
}

void TEquitySLPortfolio::Recalculate(bool flag) {
  if (PrepareRecalculate(flag)) RebuildResults();
}

void TEquitySLPortfolio::RebuildResults() {
  RunResultPass(
      Selections, [this](std::int32_t reference) { ComputeWeights(reference); }, &Costs);
}

void TEquitySLPortfolio::ComputeWeights(std::int32_t referenceIndex) {
  BuildTurnover(referenceIndex, Selections, Frequency, Turnover, Costs, AnnualTurnover);
}
