// Building and recalculating the benchmark portfolio on 40 countries with 420
// monthly points each (35 years), with both trust levels set and the ranking
// selection on, as the global equity model does. Target: under 5 ms per
// build + recalculation.

#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "common/Globals.h"
#include "common/Records.h"
#include "platform/DateTime.h"
#include "portfolio/BenchmarkPortfolio.h"

namespace {

constexpr int kCountries = 40;
constexpr int kMonths = 420;

double MonthEnd(int index) {
  const int y = 1990 + index / 12;
  const int m = index % 12 + 1;
  return platform::EncodeDate(y, m, platform::DaysInMonth(y, m));
}

TAssetSeries Asset(const std::string& id, const std::string& title, int type) {
  TAssetSeries a;
  a.ID = id;
  a.Title = title;
  a.Type = type;
  return a;
}

// Deterministic country c: equity with a country-specific drift and a cycle,
// cash growing slowly, signals switching in runs, a spot rate drifting.
TCountry MakeCountry(int c) {
  TCountry country;
  country.Name = "COUNTRY" + std::to_string(c);
  country.Currency = c == 0 ? "USD" : "CUR" + std::to_string(c % 7);
  country.IndexAssets = {Asset("EQINDEX", "Equity Index", atIndex)};
  country.RiskFreeAssets = {Asset("CASH", "1M Cash", atRiskFreeAsset),
                            Asset("RISKFREEASSET1", "10Y Gov Bond", atRiskFreeAsset)};
  country.SignalAssets = {Asset("QVSIGNAL", "QV Signal", atSignal), Asset("BLSIGNAL", "BL Signal", atSignal)};
  country.SpotFxAssets = {Asset("SPOTFX", "Spot FX", atSpotFx)};
  double equity = 100.0;
  double cash = 100.0;
  double bond = 100.0;
  double spot = 1.0 + 0.01 * c;
  for (int i = 0; i < kMonths; ++i) {
    const double date = MonthEnd(i);
    country.IndexAssets[0].Series.push_back({date, equity});
    country.RiskFreeAssets[0].Series.push_back({date, cash});
    country.RiskFreeAssets[1].Series.push_back({date, bond});
    country.SignalAssets[0].Series.push_back({date, ((i / (7 + c % 5)) % 2 == 0) ? 1.0 : 0.0});
    country.SignalAssets[1].Series.push_back({date, ((i / (11 + c % 3)) % 3 == 0) ? 0.0 : 1.0});
    country.SpotFxAssets[0].Series.push_back({date, spot});
    equity *= 1.0 + 0.004 + 0.0005 * (c % 9) + 0.03 * std::sin(0.3 * i + c);
    cash *= 1.0025;
    bond *= 1.0035 + 0.002 * std::cos(0.2 * i + c);
    spot *= 1.0 + 0.002 * std::sin(0.1 * i + c);
  }
  return country;
}

TUserSettings MakeSettings() {
  TUserSettings s;
  s.PortfolioCcy = "USD";
  s.RiskFreeId = "RISKFREEASSET1";
  s.QVTrustLevel = 50.0;
  s.BLTrustLevel = 40.0;
  s.FxHedging = true;
  s.CountryRankingCriteria = {0.5, 0.5, 0.5};
  for (int c = 0; c < kCountries; ++c) {
    TCountrySettings row;
    row.EqWeight = 2.5;
    row.EqTransactionCost = 0.2;
    row.EqFxSwapBorrowingCost = 0.5;
    s.CountrySettings.push_back(row);
  }
  return s;
}

void BM_BuildAndRecalculate(benchmark::State& state) {
  std::vector<TCountry> countries;
  for (int c = 0; c < kCountries; ++c) countries.push_back(MakeCountry(c));
  vcMyExternCountryList = countries;  // asset titles are looked up in the loaded list
  const TUserSettings settings = MakeSettings();
  const double endDate = MonthEnd(kMonths - 1);
  for (auto _ : state) {
    TBenchmarkPortfolio portfolio;
    portfolio.Build(countries, settings, 0, endDate, true);
    portfolio.Recalculate(true);
    benchmark::DoNotOptimize(portfolio.ReturnSeries.data());
    if (portfolio.Lines.size() != kCountries || portfolio.ReturnSeries.empty()) {
      state.SkipWithError("unexpected benchmark shape");
      break;
    }
  }
  vcMyExternCountryList.clear();
}
BENCHMARK(BM_BuildAndRecalculate)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
