// Full download of the sample set from a running data server into an empty
// local market-data file: lists, templates, monthly rows, then the daily
// synchronisation, run as the update steps 4 and 5. The server address comes from QUORVANE_SERVER_HOST
// ("host:port"); bench/e2e_download.sh starts a server and runs this.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"
#include "platform/CurlTransport.h"
#include "session/UpdateStep.h"

namespace {

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
    session::TUpdateStep monthly;
    monthly.Kind = 4;
    session::ExecuteStep(monthly, context);
    const std::size_t monthlyRows = context.RowsStored;
    session::TUpdateStep daily;
    daily.Kind = 5;
    session::ExecuteStep(daily, context);
    if (!monthly.ErrorText.empty() || !daily.ErrorText.empty() || !context.WarningText.empty()) {
      state.SkipWithError((monthly.ErrorText + daily.ErrorText + context.WarningText).c_str());
      break;
    }
    rows = monthlyRows + context.RowsStored;
  }
  state.counters["rows"] = static_cast<double>(rows);
  std::filesystem::remove_all(home);
}
BENCHMARK(BM_FullDownloadIntoEmptyFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
