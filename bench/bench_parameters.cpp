// "Apply Changes" of the parameter dialog in the application window on an
// in-process data server with the sample set (offscreen, or any platform
// given by QT_QPA_PLATFORM): the time from the click on the button to the
// painted workspace, which covers copying the group's values, the nine
// model runs on the worker, the refresh of the nine pages and the repaint.
// Each iteration opens the Global group first (not timed) and moves the
// maximum equity allocation by one, so that the models run on new values.
// Measured with the update steps' pause at 0 and at its 100 ms default.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "AppBenchSupport.h"
#include "common/Globals.h"
#include "dialogs/DialogWidgets.h"
#include "dialogs/ParameterSelectionForm.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFolder = fs::temp_directory_path() / "quorvane-bench-parameters";
constexpr int kIterations = 10;

app::TMainForm* Form = nullptr;

void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center()); }

void BM_ApplyChanges(benchmark::State& state) {
  Form->SetStepPause(static_cast<int>(state.range(0)));
  TParameterSelectionForm& dialog = *Form->ParameterSelectionForm;
  int iteration = 0;
  for (auto _ : state) {
    Click(Form->Find("MainTabsheet_1"));
    Form->OnButtonClick(Form->Find("SetParametersButton"));
    QWidget* arrow =
        dialog.USForm_4->findChild<QWidget*>(iteration++ % 2 == 0 ? "ValueDownControl_1" : "ValueUpControl_1");
    Click(arrow);
    QElapsedTimer clock;
    clock.start();
    Click(dialog.ApplyButton);
    appbench::RunUntil(
        [] { return !Form->StepRunning() && (Form->View.WorkspaceShown || !Form->LastErrorText.empty()); });
    Form->repaint();
    state.SetIterationTime(static_cast<double>(clock.nsecsElapsed()) * 1e-9);
    if (!Form->View.WorkspaceShown) {
      state.SkipWithError(("the calculation failed: " + Form->LastErrorText).c_str());
      break;
    }
  }
  state.counters["MaxEqVsFi"] = usMyExternUserSettings.MaxEqVsFiAllocation;
}

}  // namespace

int main(int argc, char** argv) {
  appbench::TBenchProgram program(argc, argv, kFolder);
  if (!program.Started) return 1;
  std::unique_ptr<app::TMainForm> form = appbench::WindowOnWorkspace(kFolder, "bench_parameters");
  if (!form) return 1;
  Form = form.get();
  benchmark::RegisterBenchmark("BM_ApplyChanges/pause_ms", BM_ApplyChanges)
      ->Arg(0)
      ->Arg(100)
      ->UseManualTime()
      ->Unit(benchmark::kMillisecond)
      ->Iterations(kIterations);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  form.reset();
  return 0;
}
