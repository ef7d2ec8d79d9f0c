// Cost of the series arithmetic and statistics over the country list: every
// benchmark runs its function once per country on 40 series of N daily points
// (business days), for N = 1,000, 5,000 and 20,000. The "per_point" counter is
// the time per input point; the complexity fit shows the growth in N;
// "allocs_per_call" counts the allocations of one call (a result series costs
// one, a figure none), whatever N.
//
// With QUORVANE_STATS_DUMP=DIR set, the program writes the data set instead of
// running: DIR/levels_N.f64 (40 x N points) and DIR/returns_N.f64 (40 x N-1
// points) for each N, every point as the two doubles (date, value), country
// after country; bench/stats_vs_numpy.sh runs numpy on those files.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "AllocationCounter.h"
#include "common/SeriesArithmetic.h"
#include "common/SeriesStatistics.h"
#include "platform/DateTime.h"

namespace {

constexpr int kCountries = 40;

struct CountryData {
  std::vector<TSeries> Levels;
  std::vector<TSeries> Returns;
};

// Correlated geometric random walks on business days from 2 January 1950;
// country c starts c points late, so that pairs have to be cut to a common range.
const CountryData& Data(std::size_t n) {
  static std::map<std::size_t, CountryData> cache;
  auto found = cache.find(n);
  if (found != cache.end()) return found->second;
  std::mt19937_64 rng(1234);
  std::normal_distribution<double> noise(0.0002, 0.01);
  std::vector<double> dates;
  double date = platform::EncodeDate(1950, 1, 2);
  while (dates.size() < n + kCountries) {
    const int day = platform::DayOfWeek(date);
    if (day != 1 && day != 7) dates.push_back(date);
    date += 1.0;
  }
  std::vector<double> common(dates.size());
  for (double& c : common) c = noise(rng);
  CountryData data;
  for (int c = 0; c < kCountries; ++c) {
    TSeries levels;
    levels.reserve(n);
    double level = 100.0;
    for (std::size_t i = 0; i < n; ++i) {
      level *= std::exp(0.6 * common[i + static_cast<std::size_t>(c)] + noise(rng));
      levels.push_back({dates[i + static_cast<std::size_t>(c)], level});
    }
    data.Returns.push_back(ComputeReturns(levels, 0.0));
    data.Levels.push_back(std::move(levels));
  }
  return cache.emplace(n, std::move(data)).first->second;
}

// Runs fn(country data, c) for the 40 countries in every iteration.
template <typename TFn>
void RunOverCountries(benchmark::State& state, TFn fn) {
  const std::size_t n = static_cast<std::size_t>(state.range(0));
  const CountryData& data = Data(n);
  const std::size_t allocationsBefore = allocation_counter::Allocations();
  std::size_t calls = 0;
  for (auto _ : state) {
    for (int c = 0; c < kCountries; ++c) benchmark::DoNotOptimize(fn(data, static_cast<std::size_t>(c)));
    calls += kCountries;
  }
  state.SetComplexityN(static_cast<std::int64_t>(n));
  state.counters["allocs_per_call"] =
      static_cast<double>(allocation_counter::Allocations() - allocationsBefore) / static_cast<double>(calls);
  state.counters["per_point"] =
      benchmark::Counter(static_cast<double>(kCountries) * static_cast<double>(n),
                         benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The next country, as a second series of a pair.
std::size_t Other(std::size_t c) { return (c + 1) % kCountries; }

void BM_ComputeReturns(benchmark::State& state) {
  RunOverCountries(state, [](const CountryData& d, std::size_t c) { return ComputeReturns(d.Levels[c], 0.0); });
}

void BM_AlignSeriesOnCommonRange(benchmark::State& state) {
  RunOverCountries(state, [](const CountryData& d, std::size_t c) {
    return AlignSeriesOnCommonRange(d.Levels[c], d.Levels[Other(c)]);
  });
}

void BM_DrawdownSeries(benchmark::State& state) {
  RunOverCountries(state, [](const CountryData& d, std::size_t c) { return DrawdownSeries(d.Returns[c], 2); });
}

void BM_RollingOneYearReturns(benchmark::State& state) {
  RunOverCountries(state, [](const CountryData& d, std::size_t c) { return RollingOneYearReturns(d.Returns[c]); });
}

void BM_RollingOneYearVolatility(benchmark::State& state) {
  RunOverCountries(state,
                   [](const CountryData& d, std::size_t c) { return RollingOneYearVolatility(d.Returns[c], 2); });
}

void BM_MaxDrawdown(benchmark::State& state) {
  RunOverCountries(state, [](const CountryData& d, std::size_t c) { return MaxDrawdown(d.Returns[c]); });
}

void BM_AnnualizedVolatility(benchmark::State& state) {
  RunOverCountries(state, [](const CountryData& d, std::size_t c) { return AnnualizedVolatility(d.Returns[c], 2); });
}

// Correlation and Beta pair by position: the returns of two countries, same length.
void BM_Correlation(benchmark::State& state) {
  RunOverCountries(state,
                   [](const CountryData& d, std::size_t c) { return Correlation(d.Returns[Other(c)], d.Returns[c]); });
}

void BM_Beta(benchmark::State& state) {
  RunOverCountries(state, [](const CountryData& d, std::size_t c) { return Beta(d.Returns[Other(c)], d.Returns[c]); });
}

#define QUORVANE_SERIES_BENCHMARK(fn) \
  BENCHMARK(fn)->Arg(1000)->Arg(5000)->Arg(20000)->Unit(benchmark::kMicrosecond)->Complexity(benchmark::oN)

QUORVANE_SERIES_BENCHMARK(BM_ComputeReturns);
QUORVANE_SERIES_BENCHMARK(BM_AlignSeriesOnCommonRange);
QUORVANE_SERIES_BENCHMARK(BM_DrawdownSeries);
QUORVANE_SERIES_BENCHMARK(BM_RollingOneYearReturns);
QUORVANE_SERIES_BENCHMARK(BM_RollingOneYearVolatility);
QUORVANE_SERIES_BENCHMARK(BM_MaxDrawdown);
QUORVANE_SERIES_BENCHMARK(BM_AnnualizedVolatility);
QUORVANE_SERIES_BENCHMARK(BM_Correlation);
QUORVANE_SERIES_BENCHMARK(BM_Beta);

// Writes the series of every country one after the other as (date, value) doubles.
bool WriteSeries(const std::string& path, const std::vector<TSeries>& series) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  bool ok = true;
  for (const TSeries& s : series) ok = ok && std::fwrite(s.data(), sizeof(TDataPoint), s.size(), file) == s.size();
  return std::fclose(file) == 0 && ok;
}

int DumpData(const std::string& dir) {
  for (const std::size_t n : {1000, 5000, 20000}) {
    const CountryData& data = Data(n);
    const std::string suffix = "_" + std::to_string(n) + ".f64";
    if (!WriteSeries(dir + "/levels" + suffix, data.Levels) || !WriteSeries(dir + "/returns" + suffix, data.Returns)) {
      std::fprintf(stderr, "cannot write the data set into %s\n", dir.c_str());
      return 1;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (const char* dir = std::getenv("QUORVANE_STATS_DUMP")) return DumpData(dir);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
