#pragma once
// The sample data as the application sees them: the generator writes the
// server's database for a fixed day, an in-process data server serves it,
// the client downloads it into an empty local market-data file, and the work
// data (country list with every series) are read back from that file. Used by
// the model tests and the model benchmark; no test framework here.

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "DataServer.h"
#include "SampleData.h"
#include "ServerStore.h"
#include "common/DateHelpers.h"
#include "common/DefaultSettings.h"
#include "platform/CurlTransport.h"
#include "platform/DateTime.h"
#include "server/DownloadSteps.h"

namespace modeltest {

// Fixed "today" of the sample set: Thursday 12 March 2026.
inline double SampleToday() { return platform::EncodeDate(2026, 3, 12); }

struct TSampleWorkData {
  std::vector<TCountry> Countries;  // in display order, every series and intra-month point loaded
  TUserSettings Settings;           // the default settings of that list
};

// Builds the work data once per program run (a few seconds in a sanitizer build).
inline const TSampleWorkData& SampleWorkData() {
  static const TSampleWorkData data = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "qvmodels-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    const std::filesystem::path dir = pattern;
    std::optional<std::string> savedHome;
    if (const char* old = std::getenv("QUORVANE_HOME")) savedHome = old;
    ::setenv("QUORVANE_HOME", (dir / "home").c_str(), 1);

    TSampleWorkData result;
    {
      qvserver::TServerStore store((dir / "server.sqlite").string());
      qvserver::TSampleDataOptions options;
      options.Today = SampleToday();
      options.HashLimits = qvserver::MinimalHashLimits();
      qvserver::WriteSampleData(store, options);
      qvserver::TDataServerOptions serverOptions;
      serverOptions.LogRequests = false;
      qvserver::DataServer server(store, serverOptions);
      std::string error;
      if (!server.Start("127.0.0.1", 0, error)) throw std::runtime_error(error);

      platform::CurlTransport transport;
      TQVDBClient client(transport, "NO_RESULT");
      client.SetBaseUrl("http://127.0.0.1:" + std::to_string(server.Port()) + "/");
      client.SetProxySource([] { return TProxySettings{}; });
      TLocalQuorvaneDB db;
      db.DatabaseKind = kMarketDataDatabase;
      db.Connect();
      if (!db.CreateMarketDataTables()) throw std::runtime_error(db.LastMessage);
      const qvtest::TDownloadResult monthly = qvtest::DownloadAllData(client, db, qvserver::kSampleUserId, kMissingDate);
      if (!monthly.Ok) throw std::runtime_error(monthly.ErrorText);
      const qvtest::TDownloadResult daily = qvtest::SynchronizeDailyData(client, db);
      if (!daily.Ok) throw std::runtime_error(daily.ErrorText);
      result.Countries = qvtest::LoadWorkData(db);
      // Each asset's intra-month point: its earliest daily row, dated at the end of that month.
      for (TCountry& country : result.Countries)
        for (int type = atIndex; type <= atSpotFx; ++type)
          for (TAssetSeries& asset : *AssetsOfType(country, type)) {
            const TDataPoint first = db.LoadSeriesBis(country.Name, asset.ID);
            asset.FirstDailyPoint = {GetEndOfMonth(first.Date), first.Value};
          }
    }
    result.Settings = BuildDefaultUserSettings(result.Countries);

    if (savedHome)
      ::setenv("QUORVANE_HOME", savedHome->c_str(), 1);
    else
      ::unsetenv("QUORVANE_HOME");
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    return result;
  }();
  return data;
}

}  // namespace modeltest
