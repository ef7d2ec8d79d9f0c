// The step machine's table: every kind's success and failure row, the
// launchers' files and texts, the model failure texts.

#include <gtest/gtest.h>

#include "session/StepMachine.h"

namespace {

using session::DecideStepEnd;
using session::TStepEnd;
using session::TStepEndAction;
using session::TUpdateStep;

TUpdateStep Step(std::int32_t kind, std::string error = {}) {
  TUpdateStep step;
  step.Kind = kind;
  step.ErrorText = std::move(error);
  return step;
}

TEST(StepMachineTest, SuccessRowsChainTheSteps) {
  struct Row {
    std::int32_t kind;
    bool serverAvailable;
    std::int32_t dataUpToDate;
    TStepEndAction action;
    std::int32_t next;
  };
  const Row rows[] = {
      {0, false, 1, TStepEndAction::StartStep, 1}, {1, false, 1, TStepEndAction::StartStep, 2},
      {2, true, 1, TStepEndAction::StartStep, 5},  {2, false, 1, TStepEndAction::StartStep, 6},
      {3, false, 1, TStepEndAction::StartStep, 6}, {3, false, 0, TStepEndAction::AskDownload, -1},
      {4, false, 1, TStepEndAction::StartStep, 6}, {5, false, 1, TStepEndAction::StartStep, 3},
      {6, false, 1, TStepEndAction::StartStep, 7}, {7, false, 1, TStepEndAction::StartStep, 9},
      {8, false, 1, TStepEndAction::StartStep, 9}, {10, false, 1, TStepEndAction::Nothing, -1},
  };
  for (const Row& row : rows) {
    TUpdateStep step = Step(row.kind);
    step.ServerAvailable = row.serverAvailable;
    const TStepEnd end = DecideStepEnd(step, row.dataUpToDate);
    EXPECT_EQ(end.Action, row.action) << row.kind;
    EXPECT_EQ(end.NextKind, row.next) << row.kind;
    EXPECT_EQ(end.ShowDisabledServer, row.kind == 2 && !row.serverAvailable) << row.kind;
    EXPECT_EQ(end.ClearProgress, row.kind == 3) << row.kind;
    EXPECT_EQ(end.BuildMonthlyDates, row.kind == 6) << row.kind;
    EXPECT_EQ(end.SetDateTitles, row.kind == 7) << row.kind;
  }
}

TEST(StepMachineTest, FailureRowsShowTheTextAndKeepItByKind) {
  struct Row {
    std::int32_t kind;
    const char* text;
    TStepEndAction action;
    bool store, display, download;
  };
  const Row rows[] = {
      {0, "Unable to create table (QVDB:AL)", TStepEndAction::ShowFailure, true, false, false},
      {1, "x", TStepEndAction::ShowFailure, true, false, false},
      {2, "ignored", TStepEndAction::Nothing, false, false, false},
      {3, "x", TStepEndAction::ShowFailure, true, true, false},
      {4, "Incomplete dataset (missing data)", TStepEndAction::ShowFailure, true, true, false},
      {5, "Incomplete dataset (missing daily data)", TStepEndAction::ShowFailure, true, true, false},
      {6, "Your database is empty. You have to download data from server before using Quorvane.",
       TStepEndAction::ShowFailure, true, true, true},
      {6, "Database is eMpTy", TStepEndAction::ShowFailure, true, true, true},
      {6, "No found data associated to AUINDEX (Chile)", TStepEndAction::ShowFailure, true, true, false},
      {7, "x", TStepEndAction::ShowFailure, true, true, false},
      {8, "x", TStepEndAction::ShowFailure, true, true, false},
      {9, "model text", TStepEndAction::ShowFailure, false, false, false},
  };
  for (const Row& row : rows) {
    const TStepEnd end = DecideStepEnd(Step(row.kind, row.text), 1);
    EXPECT_EQ(end.Action, row.action) << row.kind << row.text;
    if (row.action == TStepEndAction::ShowFailure) {
      EXPECT_EQ(end.Text, row.text);
    }
    EXPECT_EQ(end.StoreLastError, row.store) << row.kind;
    EXPECT_EQ(end.FailureDisplay, row.display) << row.kind;
    EXPECT_EQ(end.ShowDownloadButton, row.download) << row.text;
    // Every failure leaves the window's toolbar to close it (a damaged file at step 0).
    EXPECT_EQ(end.ShowSystemButtons, row.action == TStepEndAction::ShowFailure) << row.kind;
    EXPECT_EQ(end.NextKind, -1);
  }
}

TEST(StepMachineTest, CalculationEndsInTheWorkspaceOrTheModelFailure) {
  TUpdateStep step = Step(9);
  step.ModelNumber = 10;
  EXPECT_EQ(DecideStepEnd(step, 1).Action, TStepEndAction::ShowWorkspace);
  const std::pair<std::int32_t, const char*> failures[] = {{1, "EQSL Failed (Step 1)"},
                                                           {4, "EQGP Failed (Step 2)"},
                                                           {7, "FICY Failed (Step 3)"},
                                                           {9, "MYGP Failed (Step 12)"}};
  const std::int32_t stages[] = {1, 2, 3, 12};
  for (std::size_t i = 0; i < std::size(failures); ++i) {
    step.ModelNumber = failures[i].first;
    step.ModelStep = stages[i];
    const TStepEnd end = DecideStepEnd(step, 1);
    EXPECT_EQ(end.Action, TStepEndAction::ShowFailure);
    EXPECT_EQ(end.Text, failures[i].second);
    EXPECT_TRUE(end.StoreLastError && end.FailureDisplay && end.ShowParameterButton);
  }
  EXPECT_EQ(session::ModelFailureText(0, 3), "");
  EXPECT_EQ(session::ModelFailureText(10, 3), "");
}

TEST(StepMachineTest, LaunchersOpenTheirFileAndShowTheirText) {
  const std::int32_t files[] = {0, 1, -1, 0, 0, 0, 0, 1, 1, -1};
  for (std::int32_t kind = 0; kind <= 9; ++kind) {
    const session::TLauncher& launcher = session::LauncherOf(kind);
    EXPECT_EQ(launcher.Kind, kind);
    EXPECT_EQ(launcher.DatabaseKind, files[kind]) << kind;
    EXPECT_EQ(launcher.ProgressScreen, kind >= 2) << kind;
    // Closing aborts transfers and the calculation, never a local step (a save among them).
    EXPECT_EQ(launcher.AbortsOnClose, (kind >= 2 && kind <= 5) || kind == 9) << kind;
    EXPECT_NE(std::string(launcher.Text).find(", please wait"), std::string::npos);
  }
  EXPECT_STREQ(session::LauncherOf(4).Text, "Synchronizing data, please wait");
  EXPECT_STREQ(session::LauncherOf(5).Text, "Synchronizing daily data, please wait");
  const std::pair<std::int32_t, std::int32_t> selectors[] = {{0, 0}, {1, 1}, {2, 1}, {3, 0}, {4, 0},
                                                             {5, 0}, {6, 0}, {7, 1}, {9, 1}, {15, 1}};
  for (const auto& [kind, file] : selectors) EXPECT_EQ(session::OpenLocalDBSelector(kind), file) << kind;
}

}  // namespace
