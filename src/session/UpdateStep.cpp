#include "session/UpdateStep.h"

#include <chrono>
#include <exception>
#include <stdexcept>
#include <thread>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "common/DefaultSettings.h"
#include "common/Globals.h"
#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"
#include "data/QVDBCodec.h"
#include "data/RegistrySettings.h"
#include "data/SeriesRowRules.h"
#include "models/global/ModelCalculation.h"
#include "platform/DateTime.h"
#include "session/SettingsRanges.h"
#include "session/UpdateStepSupport.h"

namespace session {

TStepLook StepProgressLook(std::int32_t kind, std::int32_t subStep) {
  auto look = [](const char* text, TStepImage image, bool spinner = false) {
    TStepLook result;
    result.ChangeText = text != nullptr;
    if (text != nullptr) result.Text = text;
    result.Image = image;
    result.Spinner = spinner;
    return result;
  };
  switch (kind) {
    case 0:
    case 1:
      return look(nullptr, TStepImage::LocalStorage);
    case 2:
      return look(nullptr, TStepImage::ServerState);
    case 3:
      if (subStep == 1) return look("Verifying data, please wait", TStepImage::LocalStorage);
      if (subStep == 2) return look("Verifying new available data, please wait", TStepImage::ServerStorage);
      return {};
    case 4:
      switch (subStep) {
        case 1:
          return look("Updating asset list, please wait", TStepImage::ServerStorage);
        case 2:
          return look("Updating country list, please wait", TStepImage::ServerStorage);
        case 3:
          return look("Updating portfolio template list (1/2), please wait", TStepImage::ServerStorage);
        case 4:
          return look("Updating portfolio template list (2/2), please wait", TStepImage::LocalStorage);
        case 5:
          return look("Preparing your database, please wait", TStepImage::LocalStorage);
        case 6:
          return look("Downloading new available data, please wait", TStepImage::ServerStorage);
        case 7:
          return look("Storing new available data, please wait", TStepImage::None, true);
        default:
          return look("Finalizing update process, please wait", TStepImage::LocalStorage);
      }
    case 5:
      if (subStep == 1) return look("Daily data processing (1/3), please wait", TStepImage::LocalStorage);
      if (subStep == 2) return look("Daily data processing (2/3), please wait", TStepImage::ServerStorage);
      if (subStep == 3) return look("Daily data processing (3/3), please wait", TStepImage::None, true);
      return {};
    case 6:
    case 7:
    case 8:
    case 9:
      return look(nullptr, TStepImage::None, true);
    default:
      return {};
  }
}

void ShowStepProgress(const TUpdateStep& step, TStepContext& context, std::int32_t subStep) {
  if (context.PauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(context.PauseMs));
  if (context.Reporter != nullptr) context.Reporter->ShowLook(StepProgressLook(step.Kind, subStep));
}

namespace {

struct TStepAborted : std::runtime_error {
  TStepAborted() : std::runtime_error(kStepAbortedText) {}
};

// Passes everything to the step's reporter; a progress change and a message
// pump first end the step when its abort was asked for.
class TAbortingReporter : public TStepReporter {
 public:
  TAbortingReporter(TStepReporter& target, const std::atomic<bool>& abort) : Target_(target), Abort_(abort) {}
  void SetText(const std::string& text) override { Target_.SetText(text); }
  void ProcessMessages() override {
    Check();
    Target_.ProcessMessages();
  }
  void ShowLook(const TStepLook& look) override {
    Check();
    Target_.ShowLook(look);
  }
  void SetIndicator(int number, bool lit) override { Target_.SetIndicator(number, lit); }
  void Check() const {
    if (Abort_.load()) throw TStepAborted();
  }

 private:
  TStepReporter& Target_;
  const std::atomic<bool>& Abort_;
};

}  // namespace

void ExecuteStep(TUpdateStep& step, TStepContext& context) {
  step.ErrorText.clear();
  context.WarningText.clear();
  if (step.Kind < 0 || step.Kind > 9) return;
  if (step.Kind == 0 || step.Kind == 1) step.DatabaseMode = step.Kind;
  TSilentReporter silent;
  TStepReporter* const givenReporter = context.Reporter;
  TAbortingReporter reporter(givenReporter != nullptr ? *givenReporter : silent, context.AbortRequested);
  context.Reporter = &reporter;
  try {
    reporter.Check();
    switch (step.Kind) {
      case 0:
      case 1:
        CreateLocalTables(step, context);
        break;
      case 2:
        CheckServerState(step, context);
        break;
      case 3:
        VerifyNewAvailableData(step, context);
        break;
      case 4:
        DownloadAllData(step, context);
        break;
      case 5:
        SynchronizeDailyData(step, context);
        break;
      case 6:
        LoadWorkData(step, context);
        break;
      case 7:
        LoadUserSettings(step, context);
        break;
      case 8:
        SaveUserSettings(step, context);
        break;
      default:
        CalculateModels(step, context);
        break;
    }
    // A step that ran into the abort (a request cut short counts as an
    // unreadable server in the daily step) ends failed all the same.
    if (step.ErrorText.empty() && context.AbortRequested.load()) step.ErrorText = kStepAbortedText;
  } catch (const platform::SqliteError& error) {
    // A local-database failure ends the step with its message (a damaged or
    // read-only file named with what to do); an open transaction has rolled back.
    step.ErrorText = context.Database != nullptr ? context.Database->FileFailureText(error) : std::string();
    if (step.ErrorText.empty()) step.ErrorText = error.what();
    if (step.ErrorText.empty()) step.ErrorText = kUnexpectedFailureText;
  } catch (const std::exception& error) {
    // Any other fault ends the step with its message.
    step.ErrorText = error.what();
    if (step.ErrorText.empty()) step.ErrorText = kUnexpectedFailureText;
  } catch (...) {
    step.ErrorText = kUnexpectedFailureText;
  }
  context.Reporter = givenReporter;
}

void CreateLocalTables(TUpdateStep& step, TStepContext& context) {
  ShowStepProgress(step, context, 0);
  TLocalQuorvaneDB& db = RequireDatabase(context);
  // A damaged file stops the start here, before any step writes to it.
  if (!db.CheckFileIntegrity()) {
    step.ErrorText = db.LastMessage;
    return;
  }
  const bool created = step.DatabaseMode == 0 ? db.CreateMarketDataTables() : db.CreateUserSettingsTables();
  if (!created) step.ErrorText = db.LastMessage.empty() ? "Unable to create table" : db.LastMessage;
}

void CheckServerState(TUpdateStep& step, TStepContext& context) {
  ShowStepProgress(step, context, 0);
  step.ServerAvailable = RequireClient(context).IsServerAvailable();
  // The store of the sign-in and proxy values, read before every request:
  // a damaged file is named once per start (its values are at their defaults).
  if (context.Registry != nullptr) context.WarningText = context.Registry->DamageWarning();
}

bool NewMonthlyDataAvailable(TStepContext& context, const std::function<void()>& beforeServer) {
  TLocalQuorvaneDB& db = RequireDatabase(context);
  const double localLast = db.GetSeriesLastDate("DATA", kReferenceCountry, kReferenceAsset);
  if (localLast == kMissingDate) return true;
  beforeServer();
  TQVDBClient& client = RequireClient(context);
  const double serverLast = client.GetSeriesLastDate("DATA", kReferenceCountry, kReferenceAsset);
  if (serverLast == kMissingDate) return false;
  if (serverLast > localLast) return true;
  if (context.Registry == nullptr) return false;
  const std::string user = context.Registry->ReadValue(kRegUsername, "", rvkString);
  const std::string password = context.Registry->ReadValue(kRegPassword, "", rvkString);
  if (user.empty() || password.empty()) return false;
  const std::string answer = client.SelectFieldValue("LOGIN_LIST", "USERID", user, "STARTDATETOUPDATE");
  // A non-numeric answer is no demand for a new download.
  double startDate = kMissingDate;
  return !answer.empty() && ParseReplyReal(answer, startDate) && startDate != kMissingDate;
}

void VerifyNewAvailableData(TUpdateStep& step, TStepContext& context) {
  context.DataUpToDate = 1;
  ShowStepProgress(step, context, 1);
  // New data could not be stored in a file that cannot be written: nothing
  // is offered (the daily step's warning said what was skipped).
  if (RequireDatabase(context).IsReadOnly()) return;
  if (NewMonthlyDataAvailable(context, [&] { ShowStepProgress(step, context, 2); })) context.DataUpToDate = 0;
}

void LoadUserSettings(TUpdateStep& step, TStepContext& context) {
  ShowStepProgress(step, context, 0);
  TLocalQuorvaneDB& db = RequireDatabase(context);
  TStepReporter& reporter = *context.Reporter;
  // Loaders throw platform::SqliteError on a failed read; ExecuteStep turns
  // it into ErrorText and the shared settings stay as they were.
  TUserSettings settings = BuildDefaultUserSettings(std::vector<TCountry>(vcMyExternCountryList));
  for (int u = 0; u < 8; ++u) {
    // Before sub-step u: trunc((u + 1) x 0.125 x 100) "%".
    reporter.SetText(std::to_string((u + 1) * 100 / 8) + "%");
    reporter.ProcessMessages();
    switch (u) {
      case 0:
        settings = db.LoadUserGlobalPortfolioSettings(settings);
        break;
      case 1:
      case 2:
      case 3:
        settings.CountrySettings = db.LoadUserCountrySettings(settings.CountrySettings, u - 1);
        break;
      case 4:
      case 5:
      case 6:
        settings.CountryRankingCriteria = db.LoadUserCountryCompetitionSettings(settings.CountryRankingCriteria, u - 4);
        break;
      default: {
        const TSettingsTriple limits = db.LoadUserFICompetitionSettings(
            {settings.MaxGoldAllocation, settings.MaxTipsAllocation, settings.MaxFxRiskAllocation});
        settings.MaxGoldAllocation = limits[0];
        settings.MaxTipsAllocation = limits[1];
        settings.MaxFxRiskAllocation = limits[2];
        break;
      }
    }
  }
  // Values the pages could not show (out of range, texts) are taken into
  // their ranges, and a stored start date that no series can hold is
  // dropped; one warning names the file and the columns.
  std::vector<std::string> columns = TakeSettingsIntoRanges(settings);
  const double storedStart = db.LoadUserDateSettings();
  std::string problem;
  if (storedStart != kMissingDate && CheckSeriesDate(storedStart, LatestSeriesDate(platform::Today()), problem))
    settings.InceptionDate = storedStart;
  else if (storedStart != kMissingDate)
    columns.emplace_back("USER_DATE_SETTINGS.INCEPTIONDATE");
  context.WarningText = SettingsRangeWarning(db.DatabasePath(), columns);
  settings.EndDate = GetEquityIndexDateBound(std::vector<TCountry>(vcMyExternCountryList), true, true);
  usMyExternUserSettings = std::move(settings);
}

void SaveUserSettings(TUpdateStep& step, TStepContext& context) {
  ShowStepProgress(step, context, 0);
  context.Reporter->SetText("100%");
  context.Reporter->ProcessMessages();
  TLocalQuorvaneDB& db = RequireDatabase(context);
  if (!db.SaveUserSettings(usMyExternUserSettings, step.SaveSelector))
    step.ErrorText = db.LastMessage.empty() ? "Unable to save settings" : db.LastMessage;
}

void CalculateModels(TUpdateStep& step, TStepContext& context) {
  ShowStepProgress(step, context, 0);
  TStepReporter& reporter = *context.Reporter;
  // Model k lights lamp k before it runs; lamp 10 lights when all nine returned.
  const models::TModelCalculationResult result =
      models::CalculateModels(context.IntraMonth, reporter, [&](std::uint32_t k) {
        reporter.SetIndicator(static_cast<int>(k), true);
        reporter.ProcessMessages();
      });
  step.ModelNumber = static_cast<std::int32_t>(result.ModelNumber);
  step.ModelStep = static_cast<std::int32_t>(result.ModelStep);
  step.ErrorText = result.ErrorText;
  // The models' side threads free their scratch memory into allocator arenas
  // of their own, where it stays resident. After the first calculation of a
  // start (which follows the download and the load) it is given back to the
  // system; a later one (Apply Changes) keeps it, as the next calculation
  // reuses it and giving it back costs page faults then (about 13 ms).
#if defined(__GLIBC__)
  if (!context.FreeMemoryReturned) malloc_trim(0);
#endif
  context.FreeMemoryReturned = true;
}

}  // namespace session
