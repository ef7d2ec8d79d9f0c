// The application window on an in-process data server with the sample set
// (offscreen): the full download (steps 4 and 5) into an empty file, with the
// longest gap between two ticks of a 5 ms timer of the window's thread while
// it runs, and the start from an up-to-date local file to the painted
// workspace (storage checks, server check, daily check, load, settings,
// nine models, first paint), each with no pause and with the 100 ms pause
// before every progress change. "bench_app first-start FOLDER" gives the
// peak memory of a first start instead (FirstStartPeak).

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <stdlib.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "AppBenchSupport.h"
#include "SampleData.h"
#include "ServerStore.h"
#include "app/MainForm.h"
#include "data/LocalQuorvaneDB.h"
#include "dialogs/LoginForm.h"
#include "platform/DateTime.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFolder = fs::temp_directory_path() / "quorvane-bench-app";

// Longest interval between ticks of a 5 ms timer of the window's thread.
class TGapMeter {
 public:
  TGapMeter() {
    QObject::connect(&Timer_, &QTimer::timeout, [this] {
      const qint64 now = Clock_.nsecsElapsed();
      if (Last_ >= 0) Longest_ = std::max(Longest_, now - Last_);
      Last_ = now;
    });
  }
  void Start() {
    Clock_.start();
    Last_ = -1;
    Timer_.start(5);
  }
  double StopMs() {
    Timer_.stop();
    return static_cast<double>(Longest_) / 1e6;
  }

 private:
  QTimer Timer_;
  QElapsedTimer Clock_;
  qint64 Last_ = -1;
  qint64 Longest_ = 0;
};

// Runs one step and what the step machine chains after it, until the step itself has ended.
double RunStep(app::TMainForm& form, std::int32_t kind) {
  bool ended = false;
  auto connection = QObject::connect(&form, &app::TMainForm::StepHandled, [&](int handled) {
    if (handled == kind) ended = true;
  });
  QElapsedTimer clock;
  clock.start();
  form.StartStep(kind);
  appbench::RunUntil([&] { return ended; });
  const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  QObject::disconnect(connection);
  return ms;
}

void BM_FullDownloadIntoEmptyFile(benchmark::State& state) {
  const int pause = static_cast<int>(state.range(0));
  double longestGap = 0.0;
  for (auto _ : state) {
    appbench::EmptyHome(kFolder);
    auto form = appbench::NewWindow(pause, false);
    // The daily synchronisation records the usage of a signed-in user.
    form->LoginForm->SignIn.UserId = qvserver::kSampleUserId;
    // Each download step is timed to its own end; the steps the machine
    // chains after it (load, settings, models) run before the next one.
    double download = 0.0;
    for (const std::int32_t kind : {4, 5}) {
      TGapMeter gaps;
      gaps.Start();
      download += RunStep(*form, kind);
      longestGap = std::max(longestGap, gaps.StopMs());
      if (!form->Step.ErrorText.empty() && form->Step.Kind == kind) state.SkipWithError(form->Step.ErrorText.c_str());
      appbench::RunUntil([&] { return !form->StepRunning(); });
    }
    state.SetIterationTime(download / 1000.0);
  }
  state.counters["longest_gui_gap_ms"] = longestGap;
}
BENCHMARK(BM_FullDownloadIntoEmptyFile)
    ->Arg(0)
    ->Arg(100)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

void BM_StartToWorkspace(benchmark::State& state) {
  const int pause = static_cast<int>(state.range(0));
  // An up-to-date local file: one full download first.
  appbench::EmptyHome(kFolder);
  {
    auto form = appbench::NewWindow(0, false);
    RunStep(*form, 4);
    appbench::RunUntil([&] { return !form->StepRunning(); });
  }
  for (auto _ : state) {
    QElapsedTimer clock;
    clock.start();
    auto form = appbench::NewWindow(pause, true);
    appbench::RunUntil([&] { return form->View.WorkspaceShown || !form->LastErrorText.empty(); });
    form->repaint();  // the first paint of the workspace
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    if (!form->View.WorkspaceShown) state.SkipWithError(form->LastErrorText.c_str());
  }
}
BENCHMARK(BM_StartToWorkspace)->Arg(0)->Arg(100)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

// Kilobytes of a "Vm..." line of /proc/self/status (0 when missing).
long StatusKb(const char* name) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(name, 0) == 0) return std::atol(line.c_str() + std::strlen(name) + 1);
  return 0;
}

// The first start on a data server of its own (QUORVANE_SERVER_HOST), so
// that the process holds the application alone: the full download (step 4,
// then what the machine chains: load, settings, nine models, workspace) and
// the daily synchronisation (step 5, the check, the load, settings, models,
// workspace again) into an empty file under folder, then the first paint.
// Prints the peak resident memory of the process.
int FirstStartPeak(int argc, char** argv, const fs::path& folder) {
  fs::create_directories(folder);
  appbench::UseReferenceScreen(folder);
  QApplication application(argc, argv);
  appbench::EmptyHome(folder);
  auto form = appbench::NewWindow(0, false);
  form->LoginForm->SignIn.UserId = qvserver::kSampleUserId;
  // The peak of each step, from the end of the step before (writing 5 to
  // clear_refs starts a new peak from the memory held now).
  long peakKb = 0;
  std::string steps;
  const auto clearPeak = [] { std::ofstream("/proc/self/clear_refs") << "5"; };
  QObject::connect(form.get(), &app::TMainForm::StepHandled, [&](int kind) {
    const long stepPeak = StatusKb("VmHWM:");
    peakKb = std::max(peakKb, stepPeak);
    steps += " step" + std::to_string(kind) + "_peak_MiB " + std::to_string(stepPeak / 1024);
    clearPeak();
  });
  clearPeak();
  for (const std::int32_t kind : {4, 5}) {
    RunStep(*form, kind);
    appbench::RunUntil([&] { return !form->StepRunning(); });
  }
  form->repaint();
  if (!form->View.WorkspaceShown) {
    std::fprintf(stderr, "the workspace did not show: %s\n", form->LastErrorText.c_str());
    return 1;
  }
  peakKb = std::max(peakKb, StatusKb("VmHWM:"));
  // The heap at the end: in use, and held free by the allocator (freed
  // chunks that it has not given back to the system).
  const struct mallinfo2 heap = mallinfo2();
  std::printf("first_start_peak_MiB %.1f rss_MiB %.1f heap_in_use_MiB %.1f heap_free_MiB %.1f%s\n",
              static_cast<double>(peakKb) / 1024.0, static_cast<double>(StatusKb("VmRSS:")) / 1024.0,
              static_cast<double>(heap.uordblks + heap.hblkhd) / 1048576.0,
              static_cast<double>(heap.fordblks) / 1048576.0, steps.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // bench_app first-start FOLDER: the peak memory of a first start (above).
  if (argc >= 3 && std::string(argv[1]) == "first-start") return FirstStartPeak(argc, argv, argv[2]);
  appbench::TBenchProgram program(argc, argv, kFolder);
  if (!program.Started) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
