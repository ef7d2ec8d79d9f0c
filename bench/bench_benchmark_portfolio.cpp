// Building and recalculating the benchmark portfolio on 40 countries with 420
// monthly points each (35 years), with both trust levels set and the ranking
// selection on, as the global equity model does. Target: under 5 ms per
// build + recalculation.

#include <benchmark/benchmark.h>

#include <vector>

#include "SyntheticCountries.h"
#include "common/Globals.h"
#include "common/Records.h"
#include "portfolio/BenchmarkPortfolio.h"

namespace {

constexpr int kCountries = 40;
constexpr int kMonths = 420;

void BM_BuildAndRecalculate(benchmark::State& state) {
  const std::vector<TCountry> countries = benchdata::SyntheticCountries(kCountries, kMonths, false);
  vcMyExternCountryList = countries;  // asset titles are looked up in the loaded list
  const TUserSettings settings = benchdata::SyntheticSettings(kCountries, kMonths);
  const double endDate = benchdata::MonthEnd(kMonths - 1);
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
