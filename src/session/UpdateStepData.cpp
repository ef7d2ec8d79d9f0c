// The market-data steps: full download (kind 4), daily synchronisation
// (kind 5) and work-data loading (kind 6).

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "common/Globals.h"
#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"
#include "session/UpdateStep.h"
#include "session/UpdateStepSupport.h"

namespace session {

namespace {

constexpr const char* kMissingDataText = "Incomplete dataset (missing data)";
constexpr const char* kMissingDailyDataText = "Incomplete dataset (missing daily data)";
constexpr const char* kEmptyDatabaseText =
    "Your database is empty. You have to download data from server before using Quorvane.";
constexpr std::size_t kAssetsPerCountry = 18;

// True (with the client's message as the step's failure) when the last request failed.
bool RequestFailed(TUpdateStep& step, const TQVDBClient& client) {
  if (client.LastMessage.empty()) return false;
  step.ErrorText = client.LastMessage;
  return true;
}

// Assets allowed to have no monthly rows.
bool MayLackMonthlyData(const std::string& id) {
  return id == "IBINDEX1" || id == "IBINDEX2" || id == "AUINDEX" || id == "10YRINDEX";
}

}  // namespace

void DownloadAllData(TUpdateStep& step, TStepContext& context) {
  TQVDBClient& client = RequireClient(context);
  TLocalQuorvaneDB& db = RequireDatabase(context);
  context.RowsStored = 0;
  if (db.IsReadOnly()) {
    step.ErrorText = db.ReadOnlyFileText();
    return;
  }
  // Everything is fetched and checked before anything local changes, so a
  // failed request or an incomplete row set leaves the local file as it was.
  ShowStepProgress(step, context, 1);
  const std::vector<TAssetSeries> assets = client.GetAssetList();
  if (RequestFailed(step, client)) return;
  ShowStepProgress(step, context, 2);
  const std::vector<TCountry> countries = client.GetCountryList();
  if (RequestFailed(step, client)) return;
  ShowStepProgress(step, context, 3);
  const std::vector<std::string> templateIds = client.GetPortfolioTemplateList();
  if (RequestFailed(step, client)) return;
  std::vector<TPortfolioTemplate> templates;
  for (const std::string& id : templateIds) {
    std::vector<double> weights = client.GetPortfolioTemplateData(id);
    if (RequestFailed(step, client)) return;
    templates.push_back({id, std::move(weights)});
  }
  ShowStepProgress(step, context, 4);
  ShowStepProgress(step, context, 5);
  // With a forced start date the rows from that date on are fetched again:
  // the local last date is the one left once they are deleted. Local rows
  // that no series can hold are dropped, and those of them dated where a
  // series can be are fetched again from their earliest date.
  const double forcedStart = context.SignIn.StartDateToUpdate;
  const bool forced = forcedStart != kMissingDate;
  const TLocalQuorvaneDB::TFaultyRows faulty = db.FindFaultySeriesRows("DATA");
  const double fetchAgainFrom = forced ? std::min(forcedStart, faulty.FetchAgainFrom) : faulty.FetchAgainFrom;
  const double localLast = std::isfinite(fetchAgainFrom)
                               ? db.GetSeriesLastDateBefore("DATA", kReferenceCountry, kReferenceAsset, fetchAgainFrom)
                               : db.GetSeriesLastDate("DATA", kReferenceCountry, kReferenceAsset);
  ShowStepProgress(step, context, 6);
  const TDataRowSet rows = client.GetTableRowsSince("DATA", localLast);
  if (RequestFailed(step, client)) return;
  if (rows.size() % kAssetsPerCountry != 0) {
    step.ErrorText = kMissingDataText;
    return;
  }

  // One transaction: lists, templates, the forced deletion and the rows all
  // land, or none of them (a throwing write rolls back in the destructor).
  {
    platform::SqliteTransaction transaction = db.BeginTransaction();
    if (!assets.empty()) db.SaveAssetList(assets);
    if (!countries.empty()) db.SaveCountryList(countries);
    if (!templates.empty()) {
      db.SavePortfolioTemplateList(templates);
      db.SavePortfolioTemplateData(templates);
    }
    // Every local row dated after the date fetched from is replaced by what came.
    db.DeleteSeriesRows("DATA", faulty.RowIds);
    db.DeleteSeriesAfter("DATA", localLast);
    if (!rows.empty()) {
      ShowStepProgress(step, context, 7);
      db.InsertSeriesRows("DATA", rows, context.Reporter);
    }
    transaction.Commit();
  }
  context.RowsStored = rows.size();
  ShowStepProgress(step, context, 8);
  // The server's demand for a new download is cleared only once the local
  // file holds the new rows.
  if (forced && !client.SetStartDateToUpdate(context.SignIn.UserId, kMissingDate))
    step.ErrorText = client.LastMessage.empty() ? "Unable to reset the update date" : client.LastMessage;
}

void SynchronizeDailyData(TUpdateStep& step, TStepContext& context) {
  TQVDBClient& client = RequireClient(context);
  TLocalQuorvaneDB& db = RequireDatabase(context);
  context.RowsStored = 0;
  // Unless new rows are stored, the date buttons get the dates of the local
  // daily rows (2.0 when there are none), so a start without server offers them too.
  auto keepLocalDates = [&] {
    context.DailyDataStartDate = db.GetSeriesFirstDate("DATA_BIS", kReferenceCountry, kReferenceAsset);
    context.LatestDailyDate = db.GetSeriesLastDate("DATA_BIS", kReferenceCountry, kReferenceAsset);
  };
  // A failed request is no failure of the step: the local daily rows stay and
  // the client's message is shown while the start goes on (offline work).
  auto serverUnreadable = [&] {
    if (client.LastMessage.empty()) return false;
    context.WarningText = client.LastMessage;
    keepLocalDates();
    return true;
  };

  ShowStepProgress(step, context, 1);
  // A file that cannot be written is used as it is: the start goes on as
  // without server, with the file named in the warning, which says too
  // whether new monthly data were skipped with the daily rows.
  if (db.IsReadOnly()) {
    const bool monthly = NewMonthlyDataAvailable(context, [] {});
    context.WarningText = db.ReadOnlyFileText(monthly ? "so the new monthly data were not downloaded either" : "");
    keepLocalDates();
    return;
  }
  const double localLast = db.GetSeriesLastDate("DATA_BIS", kReferenceCountry, kReferenceAsset);
  if (localLast != kMissingDate) {
    const double serverLast = client.GetSeriesLastDate("DATA_BIS", kReferenceCountry, kReferenceAsset);
    if (serverUnreadable()) return;
    if (serverLast == kMissingDate || serverLast < localLast) {
      keepLocalDates();
      return;
    }
  }
  ShowStepProgress(step, context, 2);
  // Every server row after the last day of the month before the local last
  // date (after 31 Dec 1899 for an empty table).
  const TDataRowSet rows = client.GetTableRowsSince("DATA_BIS", GetPreviousPeriodDate(localLast, 0));
  if (serverUnreadable()) return;
  if (rows.size() % kAssetsPerCountry != 0) step.ErrorText = kMissingDailyDataText;
  if (rows.empty() || !step.ErrorText.empty()) {
    keepLocalDates();
    return;
  }
  ShowStepProgress(step, context, 3);
  {
    platform::SqliteTransaction transaction = db.BeginTransaction();
    db.DeleteSeriesFrom("DATA_BIS", -std::numeric_limits<double>::infinity());  // every row
    db.InsertSeriesRows("DATA_BIS", rows, context.Reporter);
    transaction.Commit();
  }
  context.RowsStored = rows.size();
  context.DailyDataStartDate = rows.Rows().front().Point.Date;
  context.LatestDailyDate = rows.Rows().back().Point.Date;
}

void LoadWorkData(TUpdateStep& step, TStepContext& context) {
  TLocalQuorvaneDB& db = RequireDatabase(context);
  TStepReporter& reporter = *context.Reporter;
  vcMyExternCountryList = SortCountryList(db.LoadCountryList());
  const std::size_t n = vcMyExternCountryList.size();
  if (n == 0) {
    step.ErrorText = kEmptyDatabaseText;
  } else {
    ShowStepProgress(step, context, 0);
    for (std::size_t i = 0; i < n && step.ErrorText.empty(); ++i) {
      TCountry& country = vcMyExternCountryList[i];
      // Countries begun: trunc((i + 1) / n x 100) "%".
      reporter.SetText(std::to_string((i + 1) * 100 / n) + "%");
      reporter.ProcessMessages();
      for (int type = atIndex; type <= atSpotFx && step.ErrorText.empty(); ++type) {
        std::vector<TAssetSeries> listed = db.LoadAssetList(country.Name, type);
        if (listed.empty()) {
          step.ErrorText = std::string("No found ") + AssetTypeName(type) + " associated to " + country.Name;
          break;
        }
        // The equity index leads the indices and the QV signal the signals;
        // each match is put in front when met, the others keep their order.
        const char* leader = type == atIndex ? "EQINDEX" : (type == atSignal ? "QVSIGNAL" : nullptr);
        std::vector<TAssetSeries> assets;
        assets.reserve(listed.size());
        for (TAssetSeries& asset : listed) {
          if (leader != nullptr && asset.ID == leader)
            assets.insert(assets.begin(), std::move(asset));
          else
            assets.push_back(std::move(asset));
        }
        for (TAssetSeries& asset : assets) {
          // The earliest daily row at its month end; a stored "no value"
          // (-1000.0) becomes the no-figure mark like a missing row.
          const TDataPoint first = db.LoadSeriesBis(country.Name, asset.ID);
          asset.FirstDailyPoint = {GetEndOfMonth(first.Date),
                                   first.Value == kStoredMissingValue ? kNoFigure : first.Value};
          asset.Series = db.LoadSeries(country.Name, asset.ID);
          if (asset.Series.empty() && !MayLackMonthlyData(asset.ID)) {
            step.ErrorText = "No found data associated to " + asset.ID + " (" + country.Name + ")";
            break;
          }
        }
        if (step.ErrorText.empty()) *AssetsOfType(country, type) = std::move(assets);
      }
    }
    // The templates are read also after a failure above.
    vptMyExternPortfolioTemplateList = db.LoadPortfolioTemplateList();
    const std::size_t m = vptMyExternPortfolioTemplateList.size();
    for (std::size_t k = 0; k < m; ++k) {
      reporter.SetText(std::to_string((k + 1) * 100 / m) + "%");
      reporter.ProcessMessages();
      TPortfolioTemplate& portfolio = vptMyExternPortfolioTemplateList[k];
      portfolio.Weights = db.LoadPortfolioTemplateData(portfolio.ID);
    }
  }
  usMyExternUserSettings.InceptionDate = db.GetSeriesFirstDate("DATA", "USA", "EQINDEX");
  // The intra-month date: the latest daily row the file holds (2.0 when
  // none), also when no synchronisation ran before (a start without server).
  context.LatestDailyDate = db.GetSeriesLastDate("DATA_BIS", kReferenceCountry, kReferenceAsset);
}

}  // namespace session
