#pragma once
// The ten steps of the update process as plain functions: each runs its
// blocking work (local database, data server, models) on the caller's thread
// and reports only through its step record and the context's outputs. The
// window runs them on its worker thread; what they show reaches it through
// TStepReporter.
//
//   kind  step                      database file
//   0, 1  CreateLocalTables         market data / settings
//   2     CheckServerState          unchanged
//   3     VerifyNewAvailableData    market data
//   4     DownloadAllData           market data
//   5     SynchronizeDailyData      market data
//   6     LoadWorkData              market data
//   7     LoadUserSettings          settings
//   8     SaveUserSettings          settings
//   9     CalculateModels           unchanged

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/DateHelpers.h"
#include "platform/ProgressSink.h"

class TQVDBClient;
class TLocalQuorvaneDB;
class TRegistrySettings;

namespace session {

// The step images of the progress panel.
enum class TStepImage { None, LocalStorage, ServerStorage, ServerState };

// What one progress change shows: the new panel text (when ChangeText), the
// one step image shown (the others hidden) and whether the spinner with its
// percentage label shows.
struct TStepLook {
  bool ChangeText = false;
  std::string Text;
  TStepImage Image = TStepImage::None;
  bool Spinner = false;
};

// The look of a step kind at a sub-step (the progress table of the steps).
TStepLook StepProgressLook(std::int32_t kind, std::int32_t subStep);

// Receiver of everything a step shows. SetText is the percentage label
// ("42%"); ProcessMessages is a no-op on a worker thread.
class TStepReporter : public platform::ProgressSink {
 public:
  virtual void ShowLook(const TStepLook& look) = 0;
  // Fills lamp number (1..10) dark (lit) or light.
  virtual void SetIndicator(int number, bool lit) = 0;
};

// One update step (the fields the step machine reads after its end).
struct TUpdateStep {
  std::int32_t DatabaseMode = 0;  // 0 market data, 1 settings (kinds 0 and 1)
  std::int32_t Kind = 0;          // 0..9; above 9 the step does nothing
  bool ServerAvailable = false;   // kind 2
  std::string ErrorText;          // empty: success
  std::int32_t SaveSelector = 0;  // kind 8
  std::int32_t ModelNumber = 0;   // kind 9: failing model 1..9, 10 when all ran
  std::int32_t ModelStep = 0;     // kind 9: stage reached by the failing model
};

// The sign-in that a full download relies on.
struct TSignInState {
  std::string UserId;
  double StartDateToUpdate = kMissingDate;
};

// What a step works on and what it leaves for the window. While a step
// runs, only it touches these objects and the shared globals.
struct TStepContext {
  TQVDBClient* Client = nullptr;
  TLocalQuorvaneDB* Database = nullptr;
  TRegistrySettings* Registry = nullptr;
  TStepReporter* Reporter = nullptr;
  int PauseMs = 100;        // pause before every progress change
  TSignInState SignIn;      // read by kind 4
  bool IntraMonth = false;  // read by kind 9 (the date dialog's choice)
  // Set from any thread (the window closing) to end the running step early:
  // its next progress change or message pump throws, so the step ends
  // failed with kStepAbortedText and a write under way rolls back. The
  // window aborts the client's transport as well. Stays set.
  std::atomic<bool> AbortRequested{false};
  // Kind 9: the first calculation gave the allocator's free memory back to
  // the system; later ones keep it for the next calculation to reuse.
  bool FreeMemoryReturned = false;

  // Outputs.
  std::int32_t DataUpToDate = 1;    // kind 3: 1 nothing new, 0 new data
  double DailyDataStartDate = 0.0;  // kind 5: first stored daily row
  double LatestDailyDate = 0.0;     // kinds 5 and 6: last stored daily row (2.0: none)
  // Kind 5: the client's message when the server could not be read, or
  // ReadOnlyFileText() when the market-data file cannot be written, with
  // "so the new monthly data were not downloaded either" when the server
  // has some (kind 3 then offers nothing new); the step still succeeds and the start goes on
  // with the local rows. Kind 7: the settings taken into their ranges
  // (SettingsRangeWarning). Kind 2: the damaged store of the sign-in and
  // proxy values (TRegistrySettings::DamageWarning). Emptied by ExecuteStep.
  std::string WarningText;
  std::size_t RowsStored = 0;  // kinds 4 and 5: rows received and stored
};

// Failure text of a step ended by TStepContext::AbortRequested.
inline constexpr const char* kStepAbortedText = "Stopped: the window is closing";

// A reporter that shows nothing (tools, tests and benchmarks).
class TSilentReporter : public TStepReporter {
 public:
  void SetText(const std::string&) override {}
  void ShowLook(const TStepLook&) override {}
  void SetIndicator(int, bool) override {}
};

// Runs the step of step.Kind (empties ErrorText and WarningText first). No
// exception leaves it: a failure of the local database or any other
// exception becomes ErrorText. With AbortRequested set the step does not
// start, or ends at its next progress point, with kStepAbortedText.
void ExecuteStep(TUpdateStep& step, TStepContext& context);

// The step bodies.
void CreateLocalTables(TUpdateStep& step, TStepContext& context);
void CheckServerState(TUpdateStep& step, TStepContext& context);
void VerifyNewAvailableData(TUpdateStep& step, TStepContext& context);
void DownloadAllData(TUpdateStep& step, TStepContext& context);
void SynchronizeDailyData(TUpdateStep& step, TStepContext& context);
void LoadWorkData(TUpdateStep& step, TStepContext& context);
void LoadUserSettings(TUpdateStep& step, TStepContext& context);
void SaveUserSettings(TUpdateStep& step, TStepContext& context);
void CalculateModels(TUpdateStep& step, TStepContext& context);

// The progress display of a step: pause PauseMs, then the look of its kind
// and sub-step.
void ShowStepProgress(const TUpdateStep& step, TStepContext& context, std::int32_t subStep);

}  // namespace session
