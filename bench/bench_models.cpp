// The four equity models, each a whole entry run with its by-value copies of
// the country list and the settings:
//  - on the sample data (40 countries, monthly since 1990) with the default
//    settings, as the calculation step runs them;
//  - on synthetic lists of 10/20/40/80 countries x 210/420/840 months, to see
//    how the time grows: the counter "per_unit" is the time divided by
//    countries x months x log2(countries) and should stay flat or fall.

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "../tests/models/SampleWorkData.h"
#include "SyntheticCountries.h"
#include "common/Globals.h"
#include "models/equity/EQGPModel.h"
#include "models/equity/EQSLModel.h"
#include "models/equity/TimingModel.h"

namespace {

class NullProgress : public platform::ProgressSink {
 public:
  void SetText(const std::string&) override {}
};

enum ModelId { kEQSL, kEQQV, kEQBL, kEQGP };

TEQSLGraphicData eqsl;
TEQQVGraphicData eqqv;
TEQBLGraphicData eqbl;
TEQGPGraphicData eqgp;

// One entry run with fresh copies of the shared list and settings.
void RunModel(int model) {
  NullProgress progress;
  std::uint32_t step = 0;
  std::string failure;
  switch (model) {
    case kEQSL:
      models::ComputeEQSLModel(&eqsl, vcMyExternCountryList, usMyExternUserSettings, 0, false, failure, progress, step);
      break;
    case kEQQV:
      models::ComputeEQQVModel(&eqqv, vcMyExternCountryList, usMyExternUserSettings, 0, false, failure, progress, step);
      break;
    case kEQBL:
      models::ComputeEQBLModel(&eqbl, vcMyExternCountryList, usMyExternUserSettings, 0, false, failure, progress, step);
      break;
    default:
      models::ComputeEQGPModel(&eqgp, vcMyExternCountryList, usMyExternUserSettings, 0, false, failure, progress, step);
      break;
  }
  benchmark::DoNotOptimize(step);
}

const char* kNames[] = {"EQSL", "EQQV", "EQBL", "EQGP"};

void BM_SampleData(benchmark::State& state) {
  const modeltest::TSampleWorkData& data = modeltest::SampleWorkData();
  vcMyExternCountryList = data.Countries;
  usMyExternUserSettings = data.Settings;
  const int model = static_cast<int>(state.range(0));
  state.SetLabel(model < 4 ? kNames[model] : "all four");
  for (auto _ : state) {
    if (model < 4) {
      RunModel(model);
    } else {
      for (int m = 0; m < 4; ++m) RunModel(m);
    }
  }
}
BENCHMARK(BM_SampleData)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

// ---- Synthetic lists ---------------------------------------------------------

void BM_Synthetic(benchmark::State& state) {
  const int model = static_cast<int>(state.range(0));
  const int countries = static_cast<int>(state.range(1));
  const int months = static_cast<int>(state.range(2));
  vcMyExternCountryList = benchdata::SyntheticCountries(countries, months, true);
  usMyExternUserSettings = benchdata::SyntheticSettings(countries, months);
  state.SetLabel(kNames[model]);
  for (auto _ : state) RunModel(model);
  const double units = countries * static_cast<double>(months) * std::log2(static_cast<double>(countries));
  state.counters["per_unit"] =
      benchmark::Counter(units, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Synthetic)
    ->ArgsProduct({{kEQSL, kEQQV, kEQBL, kEQGP}, {10, 20, 40, 80}, {210, 420, 840}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
