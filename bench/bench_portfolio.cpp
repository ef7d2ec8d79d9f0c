// Equity ranking portfolio: Build and Recalculate over generated country
// lists. The cost should grow like countries x points x log(countries): the
// "time_per_unit" counter divides the time by that product and should stay
// roughly flat across sizes.
//
// Each Build allocates and frees a few megabytes; with glibc's default heap
// trimming the page faults of giving memory back and taking it again add a
// noisy share. To see the computation alone run with
//   GLIBC_TUNABLES=glibc.malloc.trim_threshold=536870912:glibc.malloc.mmap_threshold=33554432

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "common/Globals.h"
#include "common/Records.h"
#include "platform/DateTime.h"
#include "portfolio/SLPortfolio.h"

namespace {

double MonthEnd(int monthsFrom1990) {
  const int y = 1990 + monthsFrom1990 / 12;
  const int m = monthsFrom1990 % 12 + 1;
  return platform::EncodeDate(y, m, platform::DaysInMonth(y, m));
}

TAssetSeries Asset(const std::string& country, const std::string& id, const std::string& title, int type) {
  TAssetSeries a;
  a.CountryName = country;
  a.ID = id;
  a.Title = title;
  a.Type = type;
  return a;
}

// countries x points monthly series from January 1990: random-walk equity
// indices, slowly growing cash, drifting spot rates; every fifth country
// starts two years late. The first country is the dollar country.
std::vector<TCountry> MakeCountries(int countries, int points) {
  std::mt19937 random(20261207u);
  std::normal_distribution<double> noise(0.0, 0.04);
  const char* currencies[] = {"USD", "EUR", "GBP", "JPY", "CHF", "AUD", "CAD", "SEK"};
  std::vector<TCountry> list;
  for (int c = 0; c < countries; ++c) {
    TCountry country;
    country.Name = "Country " + std::to_string(c);
    country.Currency = currencies[c % 8];
    country.ReverseQuote = (c % 3) == 1;
    country.IndexAssets = {Asset(country.Name, "EQINDEX", "Equity Index", atIndex)};
    country.RiskFreeAssets = {Asset(country.Name, "CASH", "1M Cash", atRiskFreeAsset)};
    country.SpotFxAssets = {Asset(country.Name, "SPOTFX", "Spot FX", atSpotFx)};
    const int first = (c % 5 == 4) ? 24 : 0;
    double index = 100.0;
    double cash = 100.0;
    double spot = c == 0 ? 1.0 : 1.0 + 0.1 * c;
    for (int i = first; i < points; ++i) {
      const double date = MonthEnd(i);
      country.IndexAssets[0].Series.push_back({date, index});
      country.RiskFreeAssets[0].Series.push_back({date, cash});
      country.SpotFxAssets[0].Series.push_back({date, c == 0 ? 1.0 : spot});
      index *= 1.0 + 0.005 + noise(random);
      cash *= 1.003;
      spot *= 1.0 + 0.2 * noise(random);
    }
    list.push_back(std::move(country));
  }
  return list;
}

TUserSettings MakeSettings(int countries) {
  TUserSettings s;
  s.PortfolioCcy = "USD";
  s.CountryRankingCriteria = {0.5, 0.5, 0.5};
  s.FxHedging = true;
  for (int c = 0; c < countries; ++c) {
    TCountrySettings row;
    row.EqWeight = 100.0 / countries;
    row.EqTransactionCost = 0.2;
    row.EqFxSwapBorrowingCost = 1.0;
    s.CountrySettings.push_back(row);
  }
  return s;
}

void SetUnitCounter(benchmark::State& state) {
  const double c = static_cast<double>(state.range(0));
  const double n = static_cast<double>(state.range(1));
  // Seconds per unit (printed with an SI prefix, "n" for nanoseconds).
  state.counters["time_per_unit"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * c * n * std::log2(c),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::OneK::kIs1000);
}

// Build and Recalculate (ranking on), as the equity ranking model does.
void BM_EquityBuildAndRecalculate(benchmark::State& state) {
  const int countries = static_cast<int>(state.range(0));
  const int points = static_cast<int>(state.range(1));
  vcMyExternCountryList = MakeCountries(countries, points);
  const TUserSettings settings = MakeSettings(countries);
  const double start = MonthEnd(0);
  const double end = MonthEnd(points - 1);
  for (auto _ : state) {
    TEquitySLPortfolio portfolio;
    portfolio.Build(vcMyExternCountryList, settings, 0, start, end);
    portfolio.Recalculate(true);
    benchmark::DoNotOptimize(portfolio.Returns.data());
  }
  SetUnitCounter(state);
}

// Recalculate alone on a built portfolio.
void BM_EquityRecalculate(benchmark::State& state) {
  const int countries = static_cast<int>(state.range(0));
  const int points = static_cast<int>(state.range(1));
  vcMyExternCountryList = MakeCountries(countries, points);
  TEquitySLPortfolio portfolio;
  portfolio.Build(vcMyExternCountryList, MakeSettings(countries), 0, MonthEnd(0), MonthEnd(points - 1));
  for (auto _ : state) {
    portfolio.Recalculate(true);
    benchmark::DoNotOptimize(portfolio.Returns.data());
  }
  SetUnitCounter(state);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int countries : {10, 20, 40, 80}) b->Args({countries, 420});
  for (int points : {210, 840}) b->Args({40, points});
}

}  // namespace

BENCHMARK(BM_EquityBuildAndRecalculate)->Apply(Sizes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EquityRecalculate)->Apply(Sizes)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
