// The store of the sign-in and proxy values (registry.conf) with the
// remembered values alone (argument 0) and behind 480,000 short entries of
// 22 bytes each, 10.5 MB (argument 1); for the reads also the remembered
// values alone (2) and behind 45,000 short entries, 0.99 MB (3), in a file
// last modified an hour ago, as a file of an earlier session is:
//  - SignInDialogReads: the seven reads of the sign-in dialog when it opens
//    (on the window's thread);
//  - ProxyCheck: the proxy check that the client makes before every request;
//  - DownloadSteps: the full download (steps 4 and 5) from an in-process
//    sample server into a fresh market-data file, every request checking the
//    proxy; the counter "requests" says how many it sends.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "DataServer.h"
#include "SampleData.h"
#include "ServerStore.h"
#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"
#include "data/RegistrySettings.h"
#include "platform/CurlTransport.h"
#include "platform/DateTime.h"
#include "platform/SettingsStore.h"
#include "session/DialogRules.h"
#include "session/UpdateStep.h"

namespace {

const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = std::filesystem::temp_directory_path() / "quorvane-bench-settings";
  return folder;
}

// registry.conf in QUORVANE_HOME as the argument says: the remembered values
// (no proxy), after entries "K000000=s:00000000000".
void WriteStore(std::int64_t argument) {
  const std::filesystem::path home = Folder() / "home";
  std::filesystem::create_directories(home);
  ::setenv("QUORVANE_HOME", home.c_str(), 1);
  const int entries = argument == 1 ? 480000 : argument == 3 ? 45000 : 0;
  std::string text;
  text.reserve(static_cast<std::size_t>(entries) * 22 + 100);
  char line[32];
  for (int i = 0; i < entries; ++i) {
    std::snprintf(line, sizeof(line), "K%06d=s:%011d\n", i, i);
    text += line;
  }
  text += "Username=s:demo@quorvane.test\nPassword=s:demo\nRememberMe=i:1\nProxyUsageSpecified=i:0\n";
  const std::filesystem::path file = home / "registry.conf";
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
  if (argument >= 2)
    std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
}

void BM_SignInDialogReads(benchmark::State& state) {
  WriteStore(state.range(0));
  for (auto _ : state) {
    TRegistrySettings registry;
    benchmark::DoNotOptimize(session::ReadLoginRegistry(registry));
  }
}
BENCHMARK(BM_SignInDialogReads)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// A transport that answers at once, so that a request costs its proxy check.
class InstantTransport : public platform::HttpTransport {
 public:
  platform::HttpReply Execute(const platform::HttpRequest&) override {
    platform::HttpReply reply;
    reply.StatusCode = 200;
    reply.StatusText = "OK";
    reply.Content = "VOSKER SERVER";
    return reply;
  }
};

void BM_ProxyCheck(benchmark::State& state) {
  WriteStore(state.range(0));
  InstantTransport transport;
  TQVDBClient client(transport, "NO_RESULT");
  for (auto _ : state) benchmark::DoNotOptimize(client.IsServerAvailable());
}
BENCHMARK(BM_ProxyCheck)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

// Counts the requests that pass through to the real transport.
class CountingTransport : public platform::CurlTransport {
 public:
  platform::HttpReply Execute(const platform::HttpRequest& request) override {
    ++Requests;
    return CurlTransport::Execute(request);
  }
  std::atomic<int> Requests{0};
};

void BM_DownloadSteps(benchmark::State& state) {
  qvserver::TServerStore store((Folder() / "server.sqlite").string());
  qvserver::TSampleDataOptions options;
  options.Today = platform::EncodeDate(2026, 3, 12);
  qvserver::WriteSampleData(store, options);
  qvserver::TDataServerOptions serverOptions;
  serverOptions.LogRequests = false;
  qvserver::DataServer server(store, serverOptions);
  std::string error;
  if (!server.Start("127.0.0.1", 0, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  ::setenv("QUORVANE_SERVER_HOST", ("127.0.0.1:" + std::to_string(server.Port())).c_str(), 1);
  WriteStore(state.range(0));
  CountingTransport transport;
  TQVDBClient client(transport, "NO_RESULT");  // the proxy comes from the store
  int requests = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const std::filesystem::path file = Folder() / "home" / TLocalQuorvaneDB::DatabaseFileName(kMarketDataDatabase);
    std::filesystem::remove(file);
    TLocalQuorvaneDB db;
    db.Connect();
    db.CreateMarketDataTables();
    transport.Requests = 0;
    state.ResumeTiming();
    session::TStepContext context;
    context.Client = &client;
    context.Database = &db;
    context.PauseMs = 0;
    for (const std::int32_t kind : {4, 5}) {
      session::TUpdateStep step;
      step.Kind = kind;
      session::ExecuteStep(step, context);
      if (!step.ErrorText.empty()) {
        state.SkipWithError(step.ErrorText.c_str());
        return;
      }
    }
    requests = transport.Requests;
  }
  state.counters["requests"] = requests;
}
BENCHMARK(BM_DownloadSteps)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::remove_all(Folder());
  std::filesystem::create_directories(Folder());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(Folder());
  return 0;
}
