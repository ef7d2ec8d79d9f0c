#pragma once
// The client side of a full download and of the daily synchronisation, as
// the update process runs them, for the end-to-end test and benchmark:
// everything is fetched and checked before anything local changes, and the
// local changes run in one transaction.

#include <string>
#include <vector>

#include "common/CountryHelpers.h"
#include "common/DateHelpers.h"
#include "data/LocalQuorvaneDB.h"
#include "data/QVDBClient.h"

namespace qvtest {

inline constexpr const char* kReferenceCountry = "SOUTH AFRICA";
inline constexpr const char* kReferenceAsset = "EQINDEX";

struct TDownloadResult {
  bool Ok = false;
  std::string ErrorText;
  std::size_t RowsStored = 0;
};

// The full download: asset list, country list, templates with their
// weights, then the monthly rows after the last local date. Everything is
// fetched and checked before anything local changes; the local changes run
// in one transaction; the server's forced start date is reset after the
// commit.
inline TDownloadResult DownloadAllData(TQVDBClient& client, TLocalQuorvaneDB& db, const std::string& userId,
                                       double startDateToUpdate) {
  TDownloadResult result;
  auto failed = [&](const std::string& text) {
    result.ErrorText = text;
    return result;
  };
  const std::vector<TAssetSeries> assets = client.GetAssetList();
  if (!client.LastMessage.empty()) return failed(client.LastMessage);
  const std::vector<TCountry> countries = client.GetCountryList();
  if (!client.LastMessage.empty()) return failed(client.LastMessage);
  std::vector<TPortfolioTemplate> templates;
  for (const std::string& id : client.GetPortfolioTemplateList()) {
    templates.push_back({id, client.GetPortfolioTemplateData(id)});
    if (!client.LastMessage.empty()) return failed(client.LastMessage);
  }
  if (!client.LastMessage.empty()) return failed(client.LastMessage);
  const bool forced = startDateToUpdate != kMissingDate;
  const double localLast =
      forced ? db.GetSeriesLastDateBefore("DATA", kReferenceCountry, kReferenceAsset, startDateToUpdate)
             : db.GetSeriesLastDate("DATA", kReferenceCountry, kReferenceAsset);
  const std::vector<TDataRow> rows = client.GetTableRowsSince("DATA", localLast);
  if (!client.LastMessage.empty()) return failed(client.LastMessage);
  if (rows.size() % 18 != 0) return failed("Incomplete dataset (missing data)");

  platform::SqliteTransaction transaction = db.BeginTransaction();
  if (!assets.empty()) db.SaveAssetList(assets);
  if (!countries.empty()) db.SaveCountryList(countries);
  if (!templates.empty()) {
    db.SavePortfolioTemplateList(templates);
    db.SavePortfolioTemplateData(templates);
  }
  if (forced) db.DeleteSeriesFrom("DATA", startDateToUpdate);
  if (!rows.empty()) db.InsertSeriesRows("DATA", rows, nullptr);
  transaction.Commit();
  if (forced && !client.SetStartDateToUpdate(userId, kMissingDate)) return failed(client.LastMessage);
  result.Ok = true;
  result.RowsStored = rows.size();
  return result;
}

// The daily synchronisation: the server's daily rows after the month before
// the last local daily date replace the local daily table.
inline TDownloadResult SynchronizeDailyData(TQVDBClient& client, TLocalQuorvaneDB& db) {
  TDownloadResult result;
  const double localLast = db.GetSeriesLastDate("DATA_BIS", kReferenceCountry, kReferenceAsset);
  if (localLast != kMissingDate) {
    const double serverLast = client.GetSeriesLastDate("DATA_BIS", kReferenceCountry, kReferenceAsset);
    if (serverLast == kMissingDate || serverLast < localLast) {
      result.Ok = true;
      return result;
    }
  }
  const std::vector<TDataRow> rows = client.GetTableRowsSince("DATA_BIS", GetPreviousPeriodDate(localLast, 0));
  if (!client.LastMessage.empty()) {
    result.ErrorText = client.LastMessage;
    return result;
  }
  if (rows.size() % 18 != 0) {
    result.ErrorText = "Incomplete dataset (missing daily data)";
    return result;
  }
  if (!rows.empty()) {
    platform::SqliteTransaction transaction = db.BeginTransaction();
    db.DeleteSeriesFrom("DATA_BIS", kMissingDate);
    db.InsertSeriesRows("DATA_BIS", rows, nullptr);
    transaction.Commit();
  }
  result.Ok = true;
  result.RowsStored = rows.size();
  return result;
}

// Reads the countries in display order with every asset and its series.
inline std::vector<TCountry> LoadWorkData(TLocalQuorvaneDB& db) {
  std::vector<TCountry> countries = SortCountryList(db.LoadCountryList());
  for (TCountry& country : countries) {
    for (int type = 0; type <= 4; ++type) {
      std::vector<TAssetSeries>& assets = *AssetsOfType(country, type);
      assets = db.LoadAssetList(country.Name, type);
      for (TAssetSeries& asset : assets) asset.Series = db.LoadSeries(country.Name, asset.ID);
    }
  }
  return countries;
}

}  // namespace qvtest
