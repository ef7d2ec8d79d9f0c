#include "session/StepMachine.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "models/global/ModelCalculation.h"

namespace session {

namespace {

constexpr std::array<TLauncher, 10> kLaunchers{{
    {0, 0, "Checking your data storage, please wait", false, false},
    {1, 1, "Checking your settings storage, please wait", false, false},
    {2, -1, "Verifying server state, please wait", true, true},
    {3, 0, "Verifying new available data from server, please wait", true, true},
    {4, 0, "Synchronizing data, please wait", true, true},
    {5, 0, "Synchronizing daily data, please wait", true, true},
    {6, 0, "Downloading your work data, please wait", true, false},
    {7, 1, "Downloading settings, please wait", true, false},
    {8, 1, "Saving new settings, please wait", true, false},
    {9, -1, "Calculating, please wait", true, true},
}};

bool ContainsEmpty(const std::string& text) {
  std::string upper(text);
  std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
  return upper.find("EMPTY") != std::string::npos;
}

TStepEnd Failure(const std::string& text, bool storeLastError, bool failureDisplay) {
  TStepEnd end;
  end.Action = TStepEndAction::ShowFailure;
  end.Text = text;
  end.StoreLastError = storeLastError;
  end.FailureDisplay = failureDisplay;
  // The window has no frame of its own: without its toolbar a failure at
  // the start (a damaged file) could not be closed.
  end.ShowSystemButtons = true;
  return end;
}

TStepEnd Next(std::int32_t kind) {
  TStepEnd end;
  end.Action = TStepEndAction::StartStep;
  end.NextKind = kind;
  return end;
}

}  // namespace

const TLauncher& LauncherOf(std::int32_t kind) {
  return kLaunchers[static_cast<std::size_t>(std::clamp(kind, 0, 9))];
}

std::int32_t OpenLocalDBSelector(std::int32_t kind) {
  switch (kind) {
    case 0:
    case 3:
    case 4:
    case 5:
    case 6:
      return 0;
    default:
      return 1;
  }
}

std::string StepWarning(const TUpdateStep& step, const std::string& warningText) {
  if (!step.ErrorText.empty() || warningText.empty()) return {};
  return step.Kind == 5 ? "The daily data could not be synchronised: " + warningText : warningText;
}

std::string ModelFailureText(std::int32_t modelNumber, std::int32_t modelStep) {
  if (modelNumber < 1 || modelNumber > 9) return {};
  return std::string(models::kModelCodes[static_cast<std::size_t>(modelNumber - 1)]) + " Failed (Step " +
         std::to_string(modelStep) + ")";
}

TStepEnd DecideStepEnd(const TUpdateStep& step, std::int32_t dataUpToDate) {
  const std::int32_t kind = step.Kind;
  if (kind < 0 || kind > 9) return {};
  if (!step.ErrorText.empty()) {
    switch (kind) {
      case 0:
      case 1:
        return Failure(step.ErrorText, true, false);
      case 2:
        return {};
      case 6: {
        TStepEnd end = Failure(step.ErrorText, true, true);
        end.ShowDownloadButton = ContainsEmpty(step.ErrorText);
        return end;
      }
      case 9:
        // A model's own text is shown but not kept as the last error.
        return Failure(step.ErrorText, false, false);
      default:
        return Failure(step.ErrorText, true, true);
    }
  }
  switch (kind) {
    case 0:
      return Next(1);
    case 1:
      return Next(2);
    case 2: {
      TStepEnd end = Next(step.ServerAvailable ? 5 : 6);
      end.ShowDisabledServer = !step.ServerAvailable;
      return end;
    }
    case 3: {
      TStepEnd end = dataUpToDate == 0 ? TStepEnd{} : Next(6);
      if (dataUpToDate == 0) end.Action = TStepEndAction::AskDownload;
      end.ClearProgress = true;
      return end;
    }
    case 4:
      return Next(6);
    case 5:
      return Next(3);
    case 6: {
      TStepEnd end = Next(7);
      end.BuildMonthlyDates = true;
      return end;
    }
    case 7: {
      TStepEnd end = Next(9);
      end.SetDateTitles = true;
      return end;
    }
    case 8:
      return Next(9);
    default:
      break;
  }
  if (step.ModelNumber == 10) {
    TStepEnd end;
    end.Action = TStepEndAction::ShowWorkspace;
    return end;
  }
  TStepEnd end = Failure(ModelFailureText(step.ModelNumber, step.ModelStep), true, true);
  end.ShowParameterButton = true;
  return end;
}

}  // namespace session
