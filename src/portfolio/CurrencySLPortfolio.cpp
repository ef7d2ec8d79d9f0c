#include <algorithm>

#include "common/SeriesArithmetic.h"
#include "common/SeriesHelpers.h"
#include "portfolio/SLPortfolio.h"

void TCurrencySLPortfolio::Build(const std::vector<TCountry>& countries, const TUserSettings& settings,
                                 std::int32_t frequency, double startDate, double endDate) {
  BeginBuild(settings, 2);
  Frequency = frequency;
  StartDate = startDate;
  EndDate = endDate;

  // Without a country of the portfolio currency there is no conversion: no lines.
  const int target = FindCurrencyCountries(countries, PortfolioCcy).Portfolio;
  if (target < 0) return;
  const TCountry& targetCountry = countries[static_cast<std::size_t>(target)];
  // The cash position is looked up once, in the first country; 0 when none.
  const auto cashPosition =
      static_cast<std::ptrdiff_t>(std::max(0, FindCashAssetPosition(countries.front().RiskFreeAssets)));

  for (std::size_t i = 0; i < countries.size(); ++i) {
    const TCountrySettings& row = SettingsRow(settings, i);
    if (row.CyWeight == 0.0) continue;
    const TCountry& country = countries[i];
    TSLLine line = NewLine(country, row.CyWeight, 0.0);
    const TSeries cash =
        SliceSeries(ModelAt(country.RiskFreeAssets, cashPosition, "cash asset").Series, startDate, endDate);
    // (cash_i * rate_i) / (cash_(i-1) * rate_(i-1)) - 1: cash held in the portfolio currency.
    line.Returns = ProductSeriesReturns(cash, CurrencyRate(country, targetCountry));
    line.RankingValues = RollingOneYearReturns(line.Returns);
    Lines.push_back(std::move(line));
  }
  DropShortLines();
}

void TCurrencySLPortfolio::Recalculate(bool flag) {
  if (PrepareRecalculate(flag)) RebuildResults();
}

void TCurrencySLPortfolio::RebuildResults() {
  // Gross returns: no turnover or cost pass.
  RunResultPass(Selections, nullptr, nullptr);
}
