// Full download of the sample set from a running data server into an empty
// local market-data file: lists, templates, monthly rows, then the daily
// synchronisation. The server address comes from QUORVANE_SERVER_HOST
// ("host:port"); bench/e2e_download.sh starts a server and runs this.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "../tests/server/DownloadSteps.h"
#include "platform/CurlTransport.h"

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
    const qvtest::TDownloadResult monthly = qvtest::DownloadAllData(client, db, "", kMissingDate);
    const qvtest::TDownloadResult daily = qvtest::SynchronizeDailyData(client, db);
    if (!monthly.Ok || !daily.Ok) {
      state.SkipWithError((monthly.ErrorText + daily.ErrorText).c_str());
      break;
    }
    rows = monthly.RowsStored + daily.RowsStored;
  }
  state.counters["rows"] = static_cast<double>(rows);
  std::filesystem::remove_all(home);
}
BENCHMARK(BM_FullDownloadIntoEmptyFile)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
