// Full download of the sample set from a running data server into an empty
// local market-data file: lists, templates, monthly rows, then the daily
// synchronisation, run as the update steps 4 and 5. The server address comes from QUORVANE_SERVER_HOST
// ("host:port"); bench/e2e_download.sh starts a server and runs this.
//
// Two plain modes time single runs for bench/peers_side_by_side.sh, which
// sets them beside the Python peers:
//   bench_e2e download FOLDER   steps 4 and 5 into FOLDER/QVDBV4.sqlite, made
//                               anew with its tables before the clock starts;
//                               prints "download_s <s> rows <monthly> <daily>"
//   bench_e2e load FOLDER REPS  step 6 on FOLDER/QVDBV4.sqlite REPS times,
//                               connected before the clock starts; prints
//                               "load_s <s> countries <n> points <n>" per run

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "common/Globals.h"
#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"
#include "platform/CurlTransport.h"
#include "session/UpdateStep.h"

namespace {

using Clock = std::chrono::steady_clock;

// Runs the update step of the kind; its failure text (empty on success).
std::string RunStep(session::TStepContext& context, std::int32_t kind) {
  session::TUpdateStep step;
  step.Kind = kind;
  session::ExecuteStep(step, context);
  return step.ErrorText + context.WarningText;
}

void BM_FullDownloadIntoEmptyFile(benchmark::State& state) {
  const std::filesystem::path home = std::filesystem::temp_directory_path() / "quorvane-bench-e2e";
  ::setenv("QUORVANE_HOME", home.c_str(), 1);
  platform::CurlTransport transport;
  TQVDBClient client(transport, "NO_RESULT");
  client.SetProxySource([] { return TProxySettings{}; });
  if (!client.IsServerAvailable()) {
    state.SkipWithError(("no data server at " + client.BaseUrl()).c_str());
    return;
  }
  std::size_t rows = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::filesystem::remove_all(home);
    TLocalQuorvaneDB db;
    db.Connect();
    db.CreateMarketDataTables();
    state.ResumeTiming();
    session::TStepContext context;
    context.Client = &client;
    context.Database = &db;
    context.PauseMs = 0;
    const std::string monthly = RunStep(context, 4);
    const std::size_t monthlyRows = context.RowsStored;
    const std::string daily = RunStep(context, 5);
    if (!monthly.empty() || !daily.empty()) {
      state.SkipWithError((monthly + daily).c_str());
      break;
    }
    rows = monthlyRows + context.RowsStored;
  }
  state.counters["rows"] = static_cast<double>(rows);
  std::filesystem::remove_all(home);
}
BENCHMARK(BM_FullDownloadIntoEmptyFile)->Unit(benchmark::kMillisecond)->Iterations(3);

int DownloadOnce(const std::filesystem::path& folder) {
  ::setenv("QUORVANE_HOME", folder.c_str(), 1);
  std::filesystem::remove_all(folder);
  platform::CurlTransport transport;
  TQVDBClient client(transport, "NO_RESULT");
  client.SetProxySource([] { return TProxySettings{}; });
  TLocalQuorvaneDB db;
  db.Connect();
  if (!db.LastMessage.empty() || !db.CreateMarketDataTables()) {
    std::fprintf(stderr, "%s\n", db.LastMessage.c_str());
    return 1;
  }
  session::TStepContext context;
  context.Client = &client;
  context.Database = &db;
  context.PauseMs = 0;
  const auto start = Clock::now();
  const std::string monthly = RunStep(context, 4);
  const std::size_t monthlyRows = context.RowsStored;
  const std::string daily = RunStep(context, 5);
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  if (!monthly.empty() || !daily.empty()) {
    std::fprintf(stderr, "%s%s\n", monthly.c_str(), daily.c_str());
    return 1;
  }
  std::printf("download_s %.4f rows %zu %zu\n", seconds, monthlyRows, context.RowsStored);
  return 0;
}

int LoadRepeatedly(const std::filesystem::path& folder, int reps) {
  ::setenv("QUORVANE_HOME", folder.c_str(), 1);
  TLocalQuorvaneDB db;
  db.Connect();
  if (!db.LastMessage.empty()) {
    std::fprintf(stderr, "%s\n", db.LastMessage.c_str());
    return 1;
  }
  session::TStepContext context;
  context.Database = &db;
  context.PauseMs = 0;
  for (int i = 0; i < reps; ++i) {
    const auto start = Clock::now();
    const std::string failure = RunStep(context, 6);
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!failure.empty()) {
      std::fprintf(stderr, "%s\n", failure.c_str());
      return 1;
    }
    std::size_t points = 0;
    for (const TCountry& country : vcMyExternCountryList)
      for (int type = atIndex; type <= atSpotFx; ++type)
        for (const TAssetSeries& asset : *AssetsOfType(country, type)) points += asset.Series.size();
    std::printf("load_s %.4f countries %zu points %zu\n", seconds, vcMyExternCountryList.size(), points);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc >= 3 ? argv[1] : "";
  if (mode == "download") return DownloadOnce(argv[2]);
  if (mode == "load") return LoadRepeatedly(argv[2], argc >= 4 ? std::atoi(argv[3]) : 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
