#pragma once
// The update process as a table-driven machine: which file and text each
// step's launcher uses, and what the window does when a step ends.

#include <cstdint>
#include <string>

#include "session/UpdateStep.h"

namespace session {

// What a step's launcher does before the start.
struct TLauncher {
  std::int32_t Kind = 0;
  std::int32_t DatabaseKind = -1;  // file connected before the start; -1 none
  const char* Text = "";           // progress text (mode 1)
  bool ProgressScreen = false;     // switches to the progress screen (mode 5)
  // Closing the window aborts the step: a transfer (kinds 2 to 5) or the
  // model calculation (9). The local steps (0, 1, 6, 7, 8: tables, work data,
  // settings) take milliseconds and are let finish, so a save is never lost.
  bool AbortsOnClose = false;
};

// Kinds 0..9 (a larger kind gives the settings-file launcher of kind 9's shape).
const TLauncher& LauncherOf(std::int32_t kind);
// The file a step opens: 0 market data for kinds 0, 3, 4, 5, 6; else 1.
std::int32_t OpenLocalDBSelector(std::int32_t kind);

// The window's reaction to a finished step.
enum class TStepEndAction {
  Nothing,        // kind above 9, or a failed kind 2
  ShowFailure,    // red text (and the failure display when FailureDisplay)
  StartStep,      // NextKind
  AskDownload,    // "Do you want to download new available data"
  ShowWorkspace,  // all nine models ran
};

struct TStepEnd {
  TStepEndAction Action = TStepEndAction::Nothing;
  std::int32_t NextKind = -1;
  std::string Text;                   // failure text shown red
  bool StoreLastError = false;        // LastErrorText := Text
  bool FailureDisplay = false;        // logo, connect and toolbar shown, parameters hidden, workspace off
  bool ShowSystemButtons = false;     // every failure: the toolbar shows, so the window can be closed
  bool ShowDownloadButton = false;    // kind 6 failure naming "EMPTY"
  bool ShowParameterButton = false;   // model failure ("Resume")
  bool ClearProgress = false;         // kind 3: panel and spinner hidden before going on
  bool BuildMonthlyDates = false;     // kind 6 success
  bool SetDateTitles = false;         // kind 7 success: date titles, IntraMonth cleared
  bool ShowDisabledServer = false;    // kind 2: the server did not answer
};

// The step machine's decision for a finished step; dataUpToDate is the
// window's flag written by kind 3.
TStepEnd DecideStepEnd(const TUpdateStep& step, std::int32_t dataUpToDate);

// The warning that a step which succeeded leaves for the window (shown once
// the workspace is up), from the context's WarningText: for kind 5 "The
// daily data could not be synchronised: " and the text, for the others the
// text as it is; empty for a failed step or no warning.
std::string StepWarning(const TUpdateStep& step, const std::string& warningText);

// "<CODE> Failed (Step <n>)" of model number 1..9; empty for other numbers.
std::string ModelFailureText(std::int32_t modelNumber, std::int32_t modelStep);

}  // namespace session
