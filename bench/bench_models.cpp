// The nine models, each a whole entry run (the frame's cut of the country
// list into the record included):
//  - on the sample data (40 countries, monthly since 1990) with the default
//    settings, one by one and as the whole calculation of the nine;
//  - the equity models on synthetic lists of 10/20/40/80 countries x
//    210/420/840 months, to see how the time grows: the counter "per_unit" is
//    the time divided by countries x months x log2(countries) and should stay
//    flat or fall.

#include <benchmark/benchmark.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "SampleWorkData.h"
#include "SyntheticCountries.h"
#include "common/Globals.h"
#include "models/equity/EQGPModel.h"
#include "models/equity/EQSLModel.h"
#include "models/equity/TimingModel.h"
#include "models/global/FICYModel.h"
#include "models/global/FIGFModel.h"
#include "models/global/FIGPModel.h"
#include "models/global/FISLModel.h"
#include "models/global/MYGPModel.h"
#include "models/global/ModelCalculation.h"

namespace {

class NullProgress : public platform::ProgressSink {
 public:
  void SetText(const std::string&) override {}
};

enum ModelId { kEQSL, kEQQV, kEQBL, kEQGP, kFISL, kFIGF, kFICY, kFIGP, kMYGP };

// One entry run on its exported record, on the shared list and settings (the
// global models read the records of the earlier ones).
void RunModel(int model) {
  NullProgress progress;
  std::uint32_t step = 0;
  std::string failure;
  const auto run = [&](auto entry, auto& record) {
    entry(&record, vcMyExternCountryList, usMyExternUserSettings, 0u, false, failure, progress, step);
  };
  switch (model) {
    case kEQSL: run(models::ComputeEQSLModel, cMyExternEQSLGraphicData); break;
    case kEQQV: run(models::ComputeEQQVModel, cMyExternEQQVGraphicData); break;
    case kEQBL: run(models::ComputeEQBLModel, cMyExternEQBLGraphicData); break;
    case kEQGP: run(models::ComputeEQGPModel, cMyExternEQGPGraphicData); break;
    case kFISL: run(models::ComputeFISLModel, cMyExternFISLGraphicData); break;
    case kFIGF: run(models::ComputeFIGFModel, cMyExternFIGFGraphicData); break;
    case kFICY: run(models::ComputeFICYModel, cMyExternFICYGraphicData); break;
    case kFIGP: run(models::ComputeFIGPModel, cMyExternFIGPGraphicData); break;
    default: run(models::ComputeMYGPModel, cMyExternMYGPGraphicData); break;
  }
  benchmark::DoNotOptimize(step);
}

const char* kNames[] = {"EQSL", "EQQV", "EQBL", "EQGP", "FISL", "FIGF", "FICY", "FIGP", "MYGP"};

// Argument 0..8: one model (after one full calculation, so that the models
// that read earlier records find them); 9: the whole calculation of the nine
// in their order, with its working list.
void BM_SampleData(benchmark::State& state) {
  const modeltest::TSampleWorkData& data = modeltest::SampleWorkData();
  vcMyExternCountryList = data.Countries;
  usMyExternUserSettings = data.Settings;
  NullProgress progress;
  if (!models::CalculateModels(false, progress).Ok) {
    state.SkipWithError("the calculation failed on the sample data");
    return;
  }
  const int model = static_cast<int>(state.range(0));
  state.SetLabel(model < 9 ? kNames[model] : "all nine");
  // Time on the calculating thread from the start of each model to the start
  // of the next (ms per calculation); the models that run beside EQSL show
  // only what is left to wait for them and to pass on their progress.
  std::array<double, 9> spent{};
  std::chrono::steady_clock::time_point started;
  const auto lap = [&](std::uint32_t next) {
    const auto now = std::chrono::steady_clock::now();
    if (next >= 2) spent[next - 2] += std::chrono::duration<double>(now - started).count();
    started = now;
  };
  for (auto _ : state) {
    if (model < 9) {
      RunModel(model);
    } else {
      benchmark::DoNotOptimize(models::CalculateModels(false, progress, lap).Ok);
    }
  }
  if (model == 9)
    for (int k = 0; k < 9; ++k)
      state.counters[kNames[k]] = benchmark::Counter(spent[k] * 1e3 / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_SampleData)->DenseRange(0, 9)->Unit(benchmark::kMillisecond);

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
